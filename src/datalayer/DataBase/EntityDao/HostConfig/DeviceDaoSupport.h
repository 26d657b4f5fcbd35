// Helpers shared by the device DAOs: reading row maps, guarding operations against exceptions
// and loading the authority types of an object type.
#ifndef DEVICEDAOSUPPORT_H
#define DEVICEDAOSUPPORT_H

#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "DataBase/EntityDao/DB/EntityRows.h"
#include "Log.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <exception>

namespace DeviceDao {

using EntityRows::Row;
typedef QMap<QString, QVariant> Binds;

/// The text of a column; empty when the row lacks it.
inline QString Text(const Row& _row, const char* _pszColumn)
{
    return _row.value(QLatin1String(_pszColumn));
}

/// Decimal text to int; empty, missing or invalid text gives 0.
inline int Int(const Row& _row, const char* _pszColumn)
{
    bool bOk = false;
    const int iValue = _row.value(QLatin1String(_pszColumn)).toInt(&bOk, 10);
    return bOk ? iValue : 0;
}

using EntityRows::Rows;

/// Appends one new entity per row of _pRows (which it frees) to _vecOut, loaded by _load;
/// 0, or -1 (nothing appended) when the query gave no record set.
template <typename E, typename L>
int ReadEntities(RecordSet* _pRows, QVector<E*>& _vecOut, L&& _load)
{
    Rows rows(_pRows);
    if (rows.Failed()) {
        return -1;
    }
    QVector<E*> vecRead;
    try {
        for (const Row* pRow : rows) {
            if (pRow != nullptr) {
                vecRead.append(new E());
                _load(*pRow, *vecRead.last());
            }
        }
    } catch (...) {
        qDeleteAll(vecRead);
        throw;
    }
    _vecOut += vecRead;
    return 0;
}

/// Runs _fn; an exception is logged under _pszOperation and gives _failure.
template <typename R, typename F>
R Guarded(const char* _pszOperation, R _failure, F&& _fn)
{
    try {
        return _fn();
    } catch (const std::exception& e) {
        DL_LOG(4, "%s exception %s", _pszOperation, e.what());
    } catch (...) {
        DL_LOG(4, "%s exception", _pszOperation);
    }
    return _failure;
}

/// The first column of the first row as a count; -1 when the query failed or gave no row.
/// Without bind values the plain query command is used.
inline int Count(const QString& _strDbName, const QString& _strSql, const Binds& _mapBind)
{
    const Rows rows(_mapBind.isEmpty() ? CLS_BaseEntityDAO::ExecuteQuery(_strDbName, _strSql)
                                       : CLS_BaseEntityDAO::ExecuteQueryEx(_strDbName, _strSql, _mapBind));
    const Row* pRow = rows.First();
    return pRow != nullptr && !pRow->isEmpty() ? pRow->first().toInt() : -1;
}

/// The authority type ids of the rows of _strSql (first column), as texts in record order;
/// empty when the query fails.
inline QStringList LoadAuthorityTypes(const QString& _strDbName, const QString& _strSql)
{
    return Guarded("DeviceDao::LoadAuthorityTypes", QStringList(), [&] {
        QStringList lstTypes;
        const Rows rows(CLS_BaseEntityDAO::ExecuteQuery(_strDbName, _strSql));
        for (const Row* pRow : rows) {
            if (pRow != nullptr) {
                lstTypes.append(Text(*pRow, "I_AUTHORITY_TYPE_ID"));
            }
        }
        return lstTypes;
    });
}

/// Appends the named column of every row of _pRows (which it frees) to _lstValues; 0, or -1 when the query
/// failed.
inline int Column(RecordSet* _pRows, const char* _pszColumn, QStringList& _lstValues)
{
    const Rows rows(_pRows);
    if (rows.Failed()) {
        return -1;
    }
    for (const Row* pRow : rows) {
        if (pRow != nullptr) {
            _lstValues.append(Text(*pRow, _pszColumn));
        }
    }
    return 0;
}

/// Fills _mapCounts (parent id -> count) from the S_PARENT_ID and S_COUNT columns; 0, or -1
/// when the query failed (the map is then unchanged).
inline int ParentCounts(const QString& _strDbName, const QString& _strSql, QMap<QString, int>& _mapCounts)
{
    const Rows rows(CLS_BaseEntityDAO::ExecuteQuery(_strDbName, _strSql));
    if (rows.Failed()) {
        return -1;
    }
    for (const Row* pRow : rows) {
        if (pRow != nullptr) {
            _mapCounts.insert(Text(*pRow, "S_PARENT_ID"), Int(*pRow, "S_COUNT"));
        }
    }
    return 0;
}

}  // namespace DeviceDao

#endif  // DEVICEDAOSUPPORT_H
