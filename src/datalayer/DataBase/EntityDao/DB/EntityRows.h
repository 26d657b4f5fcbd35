// Turning the rows of one query into entities.
#ifndef ENTITYROWS_H
#define ENTITYROWS_H

#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "Log.h"

#include <QVector>

/// Runs the query and appends _fromRow(row) for every row. 0, or -1 (logged at level 2 as
/// "<_pszOperation> pRecSet=null") when there is no answer.
template <typename Entity, typename FromRow>
int ReadEntities(const QString& _strDbName, const QString& _strSql, const QMap<QString, QVariant>& _mapBind,
                 QVector<Entity>& _vecEntities, FromRow&& _fromRow, const char* _pszOperation)
{
    RecordSet* pRows = CLS_BaseEntityDAO::ExecuteQueryEx(_strDbName, _strSql, _mapBind);
    if (pRows == nullptr) {
        DL_LOG(2, "%s pRecSet=null", _pszOperation);
        return -1;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        _vecEntities.append(_fromRow(*pRow));
    }
    CLS_BaseEntityDAO::FreeRecordSet(pRows);
    return 0;
}

#endif  // ENTITYROWS_H
