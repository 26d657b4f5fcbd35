// What the car, pad and way passage DAOs share: monthly tables of "Tessel-intelligent" searched
// as one union over the months of the range, paged newest first, counted, listed oldest first
// for retention and deleted by id or whole.
#ifndef CLS_PASSAGEHISTORYDAO_H
#define CLS_PASSAGEHISTORYDAO_H

#include "CLS_PassageEntities.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_PassageHistoryDAO : public CLS_BaseEntityDAO
{
public:
    /// Names that set one kind apart.
    struct Layout
    {
        const char* table;         ///< template, "TAB_CAR_HISTORY"
        const char* timeColumn;    ///< pass time column as stored
        const char* keyCondition;  ///< "AND S_Vlp=" (plate or user code), bound to :VLP / :UserCode
        const char* keyColumn;     ///< "S_Vlp"
        const char* keyBind;       ///< ":VLP"
        const char* snCondition;   ///< "AND S_SN IN("
        const char* queryLog;      ///< "CLS_CarDataRecvDao::QueryCarHistory"
        const char* countLog;      ///< "CLS_CarDataRecvDao::GetCarRecordCount"
        const char* picFilesLog;   ///< "CLS_CarDataRecvDao::GetCarPicFiles"
    };

    static const char* const kDbName;  ///< "Tessel-intelligent"

    /// One insert of a record: the month it goes to, its statement and bind values.
    struct Insert
    {
        QString qstrMonth;
        QString qstrSql;
        QMap<QString, QVariant> mapBind;
    };

    /// 0, or -1 when a table failed; the tables of the range are listed first (none: no rows).
    /// Rows come newest first (pass time descending).
    int QueryPage(const STRCT_PassageQuery& _query, QVector<QMap<QString, QString>>& _vecRows);
    /// Rows matching over the months of the range; -1 on failure.
    int Count(const STRCT_PassageQuery& _query);
    /// The oldest _iCount rows over every month; 0 or -1.
    int Oldest(int _iCount, QVector<QMap<QString, QString>>& _vecRows);
    /// Deletes (id, pass time) pairs per monthly table in one transaction, then drops the past
    /// months left empty. 0 for an empty list; ids of months without a table are skipped.
    int DeleteByIds(const QList<QPair<QString, QString>>& _lstIdTimes);
    /// Empties every monthly table.
    int DeleteAll();
    int DropEmptyTables(const QDate& _today);

protected:
    explicit CLS_PassageHistoryDAO(const Layout& _layout);

    /// One record as one partitioned statement, several as one partitioned transaction.
    int Store(const char* _pszOperation, const QVector<Insert>& _vecInserts);

    /// Gives each record without S_ID a new id and stores them all (_insertOf makes record i's
    /// insert); -1, nothing stored, when the pass time (_pTime) of one has no month.
    template <typename E>
    int SaveRecords(const char* _pszOperation, QVector<E>& _vecRecords, QString E::*_pTime,
                    Insert (*_insertOf)(const E&, int, const QString&))
    {
        QVector<Insert> vecInserts;
        for (int i = 0; i < _vecRecords.size(); ++i) {
            E& r = _vecRecords[i];
            const QString qstrMonth = CheckedMonth(_pszOperation, r.*_pTime);
            if (qstrMonth.isEmpty()) {
                return -1;
            }
            if (r.S_ID.isEmpty()) {
                r.S_ID = NewId();
            }
            vecInserts.append(_insertOf(r, i, qstrMonth));
        }
        return Store(_pszOperation, vecInserts);
    }

    /// Appends the rows loaded as records; passes _iRet on.
    template <typename E>
    static int ToRecords(int _iRet, const QVector<QMap<QString, QString>>& _vecRows, QVector<E>& _vecRecords,
                         void (*_load)(const QMap<QString, QString>&, E&))
    {
        for (const auto& row : _vecRows) {
            _vecRecords.append(E());
            _load(row, _vecRecords.last());
        }
        return _iRet;
    }
    /// The month of a pass time, logged under _pszOperation when there is none.
    static QString CheckedMonth(const char* _pszOperation, const QString& _qstrTime);
    static QString NewId();

    const Layout& m_layout;

private:
    /// "SELECT <_pszColumns> FROM <table> WHERE 1=1 <conditions>" per table, joined by UNION ALL.
    QString Union(const QVector<QString>& _vecTables, const STRCT_PassageQuery& _query,
                  const char* _pszColumns, QMap<QString, QVariant>& _mapBind) const;
};

#endif  // CLS_PASSAGEHISTORYDAO_H
