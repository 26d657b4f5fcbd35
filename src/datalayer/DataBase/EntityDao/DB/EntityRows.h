// Reading the rows of one query: an owner for the record set and turning rows into entities.
#ifndef ENTITYROWS_H
#define ENTITYROWS_H

#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "Log.h"

#include <QMap>
#include <QString>
#include <QVector>

namespace EntityRows {

typedef QMap<QString, QString> Row;

/// Owns a record set for the length of a scope.
class Rows
{
public:
    explicit Rows(RecordSet* _pRows) : m_pRows(_pRows) {}
    ~Rows() { CLS_BaseEntityDAO::FreeRecordSet(m_pRows); }
    Rows(const Rows&) = delete;
    Rows& operator=(const Rows&) = delete;

    /// The query gave no record set.
    bool Failed() const { return m_pRows == nullptr; }
    /// The first row, or null when there is none.
    const Row* First() const
    {
        return m_pRows != nullptr && !m_pRows->isEmpty() ? m_pRows->first() : nullptr;
    }
    RecordSet::const_iterator begin() const { return m_pRows != nullptr ? m_pRows->cbegin() : nullptr; }
    RecordSet::const_iterator end() const { return m_pRows != nullptr ? m_pRows->cend() : nullptr; }

private:
    RecordSet* m_pRows;
};

}  // namespace EntityRows

/// Runs the query and appends _fromRow(row) for every row. 0, or -1 (logged at level 2 as
/// "<_pszOperation> pRecSet=null") when there is no answer. The record set is freed also when
/// _fromRow throws.
template <typename Entity, typename FromRow>
int ReadEntities(const QString& _strDbName, const QString& _strSql, const QMap<QString, QVariant>& _mapBind,
                 QVector<Entity>& _vecEntities, FromRow&& _fromRow, const char* _pszOperation)
{
    const EntityRows::Rows rows(CLS_BaseEntityDAO::ExecuteQueryEx(_strDbName, _strSql, _mapBind));
    if (rows.Failed()) {
        DL_LOG(2, "%s pRecSet=null", _pszOperation);
        return -1;
    }
    for (const EntityRows::Row* pRow : rows) {
        if (pRow != nullptr) {
            _vecEntities.append(_fromRow(*pRow));
        }
    }
    return 0;
}

#endif  // ENTITYROWS_H
