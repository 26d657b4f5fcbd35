// Helpers shared by the face-library DAOs.
#ifndef FACEDAOSUPPORT_H
#define FACEDAOSUPPORT_H

#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QDateTime>
#include <QUuid>

namespace FaceDao {

/// The first column of the first row as a count; -1 when the read failed or gave no row.
inline int count(const QString& _strDbName, const QString& _strSql, const QMap<QString, QVariant>& _mapBind)
{
    RecordSet* pRows = CLS_BaseEntityDAO::ExecuteQueryEx(_strDbName, _strSql, _mapBind);
    if (pRows == nullptr || pRows->isEmpty() || pRows->first()->isEmpty()) {
        CLS_BaseEntityDAO::FreeRecordSet(pRows);
        return -1;
    }
    bool bOk = false;
    const int iCount = pRows->first()->first().toInt(&bOk);
    CLS_BaseEntityDAO::FreeRecordSet(pRows);
    return bOk ? iCount : -1;
}

inline QString newId()
{
    return QUuid::createUuid().toString(QUuid::Id128);
}

inline QString now()
{
    return QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss");
}

}  // namespace FaceDao

#endif  // FACEDAOSUPPORT_H
