#include "CLS_PassageHistoryDAO.h"

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "Log.h"
#include "MonthlyTables.h"

#include <QUuid>

using namespace DeviceDao;

const char* const CLS_PassageHistoryDAO::kDbName = "Tessel-intelligent";

namespace {

int CopyRows(RecordSet* _pRows, QVector<Row>& _vecRows)
{
    const Rows rows(_pRows);
    if (rows.Failed()) {
        return -1;
    }
    for (const Row* pRow : rows) {
        if (pRow != nullptr) {
            _vecRows.append(*pRow);
        }
    }
    return 0;
}

// The first text above every text that starts with _qstrPrefix.
QString PrefixEnd(const QString& _qstrPrefix)
{
    const uint aucMax[] = {0x10FFFF};
    return _qstrPrefix + QString::fromUcs4(aucMax, 1);
}

}  // namespace

CLS_PassageHistoryDAO::CLS_PassageHistoryDAO(const Layout& _layout) : m_layout(_layout)
{
    m_strDbName = QLatin1String(kDbName);
}

QString CLS_PassageHistoryDAO::CheckedMonth(const char* _pszOperation, const QString& _qstrTime)
{
    const QString qstrMonth = MonthlyTables::MonthOf(_qstrTime);
    if (qstrMonth.isEmpty()) {
        DL_LOG(3, "%s pass time invalid: %s", _pszOperation, qUtf8Printable(_qstrTime));
    }
    return qstrMonth;
}

QString CLS_PassageHistoryDAO::NewId()
{
    return QUuid::createUuid().toString(QUuid::Id128);
}

int CLS_PassageHistoryDAO::Store(const char* _pszOperation, const QVector<Insert>& _vecInserts)
{
    return Guarded(_pszOperation, -1, [&] {
        if (_vecInserts.isEmpty()) {
            return 0;
        }
        const QString qstrTable = QLatin1String(m_layout.table);
        if (_vecInserts.size() == 1) {
            const Insert& one = _vecInserts.first();
            return PartitionExecuteEx(m_strDbName, one.qstrSql, qstrTable, one.qstrMonth, one.mapBind);
        }
        QMap<QString, QMap<QString, Binds>> mapByMonth;
        for (const Insert& insert : _vecInserts) {
            mapByMonth[insert.qstrMonth].insert(insert.qstrSql, insert.mapBind);
        }
        return PartitionExecuteTransactionEx(m_strDbName, qstrTable, mapByMonth);
    });
}

QString CLS_PassageHistoryDAO::Union(const QVector<QString>& _vecTables, const STRCT_PassageQuery& _query,
                                     const char* _pszColumns, Binds& _mapBind) const
{
    QString qstrCond = QStringLiteral("WHERE 1=1 ");
    if (!_query.m_qstrStartTime.isEmpty()) {
        qstrCond += "AND S_PassTime >= :StartTime ";
        _mapBind.insert(":StartTime", _query.m_qstrStartTime);
    }
    if (!_query.m_qstrEndTime.isEmpty()) {
        qstrCond += "AND S_PassTime <= :EndTime ";
        _mapBind.insert(":EndTime", _query.m_qstrEndTime);
    }
    if (!_query.m_qstrKey.isEmpty()) {
        const QString qstrBind = QLatin1String(m_layout.keyBind);
        if (_query.m_bKeyPrefix) {
            // A range rather than LIKE: exact about case and wildcards, and served by the index.
            qstrCond += QLatin1String("AND ") + m_layout.keyColumn + " >= " + qstrBind + " AND " +
                        m_layout.keyColumn + " < " + qstrBind + "End ";
            _mapBind.insert(qstrBind + "End", PrefixEnd(_query.m_qstrKey));
        } else {
            qstrCond += QLatin1String(m_layout.keyCondition) + qstrBind + " ";
        }
        _mapBind.insert(qstrBind, _query.m_qstrKey);
    }
    if (!_query.m_lstTerminalSns.isEmpty()) {
        QStringList lstKeys;
        for (int i = 0; i < _query.m_lstTerminalSns.size(); ++i) {
            lstKeys.append(":SN" + QString::number(i));
            _mapBind.insert(lstKeys.last(), _query.m_lstTerminalSns.at(i));
        }
        qstrCond += QLatin1String(m_layout.snCondition) + lstKeys.join(",") + ")";
    }
    QStringList lstSelects;
    for (const QString& qstrTable : _vecTables) {
        lstSelects.append(QLatin1String("SELECT ") + _pszColumns + " FROM " + qstrTable + " " + qstrCond);
    }
    return lstSelects.join(" UNION ALL ");
}

int CLS_PassageHistoryDAO::QueryPage(const STRCT_PassageQuery& _query, QVector<Row>& _vecRows)
{
    return Guarded(m_layout.queryLog, -1, [&] {
        QVector<QString> vecTables;
        const int iList = MonthlyTables::List(
            m_strDbName, QLatin1String(m_layout.table), MonthlyTables::MonthOf(_query.m_qstrStartTime),
            MonthlyTables::MonthOf(_query.m_qstrEndTime), vecTables, m_layout.queryLog);
        if (iList != 0) {
            return iList;
        }
        DL_LOG(1, "%s qvecTables.size=%d", m_layout.queryLog, vecTables.size());
        if (vecTables.isEmpty() || _query.m_iPageSize <= 0) {
            return 0;
        }
        Binds mapBind;
        const qint64 i64Offset = qint64(qMax(_query.m_iPageIndex, 1) - 1) * _query.m_iPageSize;
        // Newest first, the order a user reads passages in; S_ID keeps equal times in one order
        // from page to page.
        const QString qstrSql = "SELECT * FROM (" + Union(vecTables, _query, "*", mapBind) + ") ORDER BY " +
                                m_layout.timeColumn + " DESC, S_ID DESC LIMIT " +
                                QString::number(_query.m_iPageSize) + " OFFSET " + QString::number(i64Offset);
        if (CopyRows(ExecuteQueryEx(m_strDbName, qstrSql, mapBind), _vecRows) != 0) {
            DL_LOG(2, "%s nullptr == pRecSet", m_layout.queryLog);
            return -1;
        }
        return 0;
    });
}

int CLS_PassageHistoryDAO::Count(const STRCT_PassageQuery& _query)
{
    return Guarded(m_layout.countLog, -1, [&] {
        QVector<QString> vecTables;
        const int iList = MonthlyTables::List(
            m_strDbName, QLatin1String(m_layout.table), MonthlyTables::MonthOf(_query.m_qstrStartTime),
            MonthlyTables::MonthOf(_query.m_qstrEndTime), vecTables, m_layout.countLog);
        if (iList != 0) {
            return iList;
        }
        DL_LOG(1, "%s qvecTables.size=%d", m_layout.countLog, vecTables.size());
        if (vecTables.isEmpty()) {
            return 0;
        }
        Binds mapBind;
        // The arms select no column: an index holding the filter columns answers each of them.
        const QString qstrSql = "SELECT COUNT(1) L_SUM FROM (" + Union(vecTables, _query, "1", mapBind) + ")";
        const Rows rows(ExecuteQueryEx(m_strDbName, qstrSql, mapBind));
        const Row* pRow = rows.First();
        if (pRow == nullptr) {
            DL_LOG(2, "%s nullptr == pRecSet", m_layout.countLog);
            return -1;
        }
        return Int(*pRow, "L_SUM");
    });
}

int CLS_PassageHistoryDAO::Oldest(int _iCount, QVector<Row>& _vecRows)
{
    return Guarded(m_layout.picFilesLog, -1, [&] {
        const QString qstrSql =
            QLatin1String("select  * from ") + m_layout.table + " order by " + m_layout.timeColumn + " asc";
        if (CopyRows(PartitionExecuteQuery(m_strDbName, qstrSql, QString(), QLatin1String(m_layout.table),
                                           QString(), QString(), 0, qMax(_iCount, 0), QString()),
                     _vecRows) != 0) {
            DL_LOG(2, "%s  pRecSet == nullptr", m_layout.picFilesLog);
            return -1;
        }
        return 0;
    });
}

int CLS_PassageHistoryDAO::DeleteByIds(const QList<QPair<QString, QString>>& _lstIdTimes)
{
    if (_lstIdTimes.isEmpty()) {
        return 0;
    }
    const QString qstrTemplate = QLatin1String(m_layout.table);
    const int iRet = Guarded("CLS_PassageHistoryDAO::DeleteByIds", -1, [&] {
        return MonthlyTables::DeleteByIds(m_strDbName, qstrTemplate, _lstIdTimes);
    });
    DropEmptyTables(QDate::currentDate());
    return iRet;
}

int CLS_PassageHistoryDAO::DeleteAll()
{
    return Guarded("CLS_PassageHistoryDAO::DeleteAll", -1,
                   [&] { return MonthlyTables::DeleteAll(m_strDbName, QLatin1String(m_layout.table)); });
}

int CLS_PassageHistoryDAO::DropEmptyTables(const QDate& _today)
{
    return Guarded("CLS_PassageHistoryDAO::DropEmptyTables", -1, [&] {
        const QByteArray baLog = QByteArray(m_layout.table) + " listing: nullptr == pTableNameRecSet";
        return MonthlyTables::DropEmpty(m_strDbName, QLatin1String(m_layout.table), _today,
                                        baLog.constData());
    });
}
