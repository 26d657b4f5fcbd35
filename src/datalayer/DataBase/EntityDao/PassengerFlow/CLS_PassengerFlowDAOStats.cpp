// The counting side of CLS_PassengerFlowDAO: monthly tables TAB_PASSENGERFLOW_INFO<yyyyMM>,
// totals since a region's clear time, statistics by period and retention.
#include "CLS_PassengerFlowDAO.h"

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "DataBase/EntityDao/InAndOut/MonthlyTables.h"
#include "Log.h"

#include <QDate>
#include <QRegularExpression>

using namespace DeviceDao;

const char* const CLS_PassengerFlowDAO::kInfoTable = "TAB_PASSENGERFLOW_INFO";

namespace {

QString Day(const QDate& _date)
{
    return _date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString Month(const QDate& _date)
{
    return _date.toString(QStringLiteral("yyyyMM"));
}

}  // namespace

QString CLS_PassengerFlowDAO::MonthOf(const QString& _strDate)
{
    // Read by hand: Qt's format parser consults the time-zone database, which is not thread-safe
    // to ThreadSanitizer's eyes, and reports arrive from several threads.
    static const QRegularExpression re(QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})"));
    const QRegularExpressionMatch match = re.match(_strDate);
    if (!match.hasMatch() || !QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt()).isValid()) {
        return QString();
    }
    return match.captured(1) + match.captured(2);
}

int CLS_PassengerFlowDAO::ListInfoTables(const QString& _strStartMonth, const QString& _strEndMonth,
                                         QVector<QString>& _vecTables, const char* _pszOperation)
{
    return MonthlyTables::List(m_strDbName, kInfoTable, _strStartMonth, _strEndMonth, _vecTables, _pszOperation);
}

int CLS_PassengerFlowDAO::AddPassengerFlowInfo(const CLS_PassengerFlowEntity& _entity)
{
    return Guarded("CLS_PassengerFlowDAO::AddPassengerFlowInfo", -1, [&] {
        if (_entity.DT_TIME.isEmpty()) {
            DL_LOG(3, "CLS_PassengerFlowDAO::AddPassengerFlowInfo DT_TIME.isEmpty()");
            return -1;
        }
        const QString strMonth = MonthOf(_entity.DT_DATE);
        if (strMonth.isEmpty() || _entity.DT_DATE.size() != 10) {
            DL_LOG(3, "CLS_PassengerFlowDAO::AddPassengerFlowInfo DT_DATE invalid: %s",
                   qUtf8Printable(_entity.DT_DATE));
            return -1;
        }
        const QString strTable = kInfoTable + strMonth;
        Binds binds{{":ChannelObjID", _entity.S_CHANNEL_OBJ_ID}, {":Date", _entity.DT_DATE}, {":Time", _entity.DT_TIME}};
        const QString strSelect = "SELECT * FROM " + strTable + " WHERE S_CHANNEL_OBJ_ID = :ChannelObjID" +
                                  " AND DT_DATE =:Date AND DT_TIME =:Time";
        const QString strUpdate = "UPDATE " + strTable + " SET " + "I_IN_NUMBER = I_IN_NUMBER + " +
                                  QString::number(_entity.I_IN_NUMBER) + "," + "I_OUT_NUMBER = I_OUT_NUMBER + " +
                                  QString::number(_entity.I_OUT_NUMBER) + "," + "I_PASS_NUMBER = I_PASS_NUMBER + " +
                                  QString::number(_entity.I_PASS_NUMBER) + " WHERE S_CHANNEL_OBJ_ID =:ChannelObjID" +
                                  " AND DT_DATE = :Date" + " AND DT_TIME = :Time";
        auto slotExists = [&] { return Rows(ExecuteQueryEx(m_strDbName, strSelect, binds)).First() != nullptr; };
        if (slotExists()) {
            return ExecuteEx(m_strDbName, strUpdate, binds);
        }
        // No row yet, or no table for the month: the partitioned insert makes the month's table.
        const QString strInsert =
            QStringLiteral("INSERT INTO TAB_PASSENGERFLOW_INFO (S_ID,S_CHANNEL_OBJ_ID,DT_DATE,DT_TIME,I_IN_NUMBER,"
                           "I_OUT_NUMBER,I_PASS_NUMBER) VALUES (") +
            ":ID," + ":ChannelObjID," + ":Date," + ":Time," + QString::number(_entity.I_IN_NUMBER) + "," +
            QString::number(_entity.I_OUT_NUMBER) + "," + QString::number(_entity.I_PASS_NUMBER) + ")";
        Binds insertBinds = binds;
        insertBinds.insert(":ID", _entity.S_ID);
        const int iRet = PartitionExecuteEx(m_strDbName, strInsert, kInfoTable, strMonth, insertBinds);
        if (iRet != 0 && slotExists()) {
            // Another report of the slot stored its row first (the slot is unique): add to it.
            return ExecuteEx(m_strDbName, strUpdate, binds);
        }
        return iRet;
    });
}

int CLS_PassengerFlowDAO::SearchTotal(const QString& _strRegionID, const QString& _strClearTime,
                                      const QString& _strNowMonth, STRCT_PassengerFlowCounts& _counts)
{
    return Guarded("CLS_PassengerFlowDAO::SearchTotal", -1, [&] {
        const QDateTime clear = QDateTime::fromString(_strClearTime, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        // Without a usable clear time every stored row counts.
        const QString strClearDate = clear.isValid() ? Day(clear.date()) : QString();
        const QString strClearTime = clear.isValid() ? clear.time().toString(QStringLiteral("hh:mm:ss")) : QString();
        QVector<QString> vecTables;
        const int iList = ListInfoTables(clear.isValid() ? Month(clear.date()) : QString(), _strNowMonth,
                                         vecTables, "CLS_PassengerFlowDAO::SearchTotal");
        if (iList != 0) {
            return iList;
        }
        DL_LOG(1, "CLS_PassengerFlowDAO::SearchTotal qvecTables.size=%d", vecTables.size());
        STRCT_PassengerFlowCounts counts;
        const Binds binds{{":RegionID", _strRegionID}, {":ClearDate", strClearDate}, {":ClearTime", strClearTime}};
        for (const QString& strTable : vecTables) {
            const QString strSql = "SELECT A.I_IN_NUMBER, A.I_OUT_NUMBER, A.I_PASS_NUMBER, B.S_REGION_ID FROM " +
                                   strTable + " A, TAB_PASSENGERFLOW_REGION_CHANNEL B " +
                                   " WHERE A.S_CHANNEL_OBJ_ID = B.S_CHANNEL_OBJ_ID " + " AND B.S_REGION_ID = :RegionID " +
                                   " AND ( A.DT_DATE > :ClearDate OR (A.DT_DATE = :ClearDate AND A.DT_TIME >= :ClearTime))";
            const Rows rows(ExecuteQueryEx(m_strDbName, strSql, binds));
            if (rows.Failed()) {
                DL_LOG(2, "CLS_PassengerFlowDAO::SearchTotal %s pRecSet == nullptr", qUtf8Printable(strTable));
                return -1;
            }
            for (const Row* pRow : rows) {
                if (pRow != nullptr) {
                    counts.m_i64In += Text(*pRow, "I_IN_NUMBER").toLongLong();
                    counts.m_i64Out += Text(*pRow, "I_OUT_NUMBER").toLongLong();
                    counts.m_i64Pass += Text(*pRow, "I_PASS_NUMBER").toLongLong();
                }
            }
        }
        _counts = counts;
        return 0;
    });
}

int CLS_PassengerFlowDAO::GetStatistics(const CLS_PassengerFlowStatisticConditionEntity& _condition,
                                        QMap<QString, STRCT_PassengerFlowCounts>& _mapResult)
{
    typedef CLS_PassengerFlowStatisticConditionEntity Condition;
    return Guarded("CLS_PassengerFlowDAO::GetStatistics", -1, [&] {
        const QDate date = QDate::fromString(_condition.m_qstrDate, QStringLiteral("yyyy-MM-dd"));
        if (!date.isValid() || _condition.m_iPeriod < Condition::pdDay || _condition.m_iPeriod > Condition::pdYear) {
            DL_LOG(3, "CLS_PassengerFlowDAO::GetStatistics date %s period %d", qUtf8Printable(_condition.m_qstrDate),
                   _condition.m_iPeriod);
            return -1;
        }
        if (_condition.m_qlstChannelObjIDs.isEmpty()) {
            return 0;
        }
        static const char* const aszKeys[] = {"%H", "%w", "%d", "%m"};
        Binds binds;
        QString strCondition;
        QDate first = date;
        QDate next = date.addDays(1);
        switch (_condition.m_iPeriod) {
            case Condition::pdDay:
                strCondition = " DT_DATE = :Date";
                binds.insert(":Date", Day(date));
                if (_condition.m_bTimeRange) {
                    strCondition += " and DT_TIME >= :FromTime and DT_TIME <= :ToTime";
                    binds.insert(":FromTime", _condition.m_qstrStartTime);
                    binds.insert(":ToTime", _condition.m_qstrEndTime);
                }
                break;
            case Condition::pdWeek:
                first = date.addDays(1 - date.dayOfWeek());
                next = first.addDays(7);
                break;
            case Condition::pdMonth:
                first = QDate(date.year(), date.month(), 1);
                next = first.addMonths(1);
                break;
            default:
                first = QDate(date.year(), 1, 1);
                next = first.addYears(1);
                break;
        }
        if (_condition.m_iPeriod != Condition::pdDay) {
            strCondition = " DT_DATE >= :From and DT_DATE < :To";
            binds.insert(":From", Day(first));
            binds.insert(":To", Day(next));
        }
        const QString strKeyColumn = _condition.m_iPeriod == Condition::pdDay ? "DT_TIME" : "DT_DATE";
        const QString strChannels = BindList(":ChannelObjID", _condition.m_qlstChannelObjIDs, binds);
        QVector<QString> vecTables;
        const int iList = ListInfoTables(Month(first), Month(next.addDays(-1)), vecTables,
                                         "CLS_PassengerFlowDAO::GetStatistics");
        if (iList != 0) {
            return iList;
        }
        QMap<QString, STRCT_PassengerFlowCounts> mapResult;
        for (const QString& strTable : qAsConst(vecTables)) {
            const QString strSql = QStringLiteral("SELECT ") +
                                   QString("strftime('%1', %2) THE_TIME, ").arg(aszKeys[_condition.m_iPeriod], strKeyColumn) +
                                   " SUM(I_IN_NUMBER) THE_IN_NUMBER, " + " SUM(I_OUT_NUMBER) THE_OUT_NUMBER, " +
                                   " SUM(I_PASS_NUMBER) THE_PASS_NUMBER" + " FROM " + strTable + " " + " WHERE " +
                                   strCondition + " And S_CHANNEL_OBJ_ID in (" + strChannels + " )" + " GROUP BY THE_TIME";
            const Rows rows(ExecuteQueryEx(m_strDbName, strSql, binds));
            if (rows.Failed()) {
                DL_LOG(2, "CLS_PassengerFlowDAO::GetStatistics %s pRecSet == nullptr", qUtf8Printable(strTable));
                return -1;
            }
            for (const Row* pRow : rows) {
                if (pRow == nullptr) {
                    continue;
                }
                // A week across a month's end meets its weekdays in two tables: they add up.
                STRCT_PassengerFlowCounts& counts = mapResult[Text(*pRow, "THE_TIME")];
                counts.m_i64In += Text(*pRow, "THE_IN_NUMBER").toLongLong();
                counts.m_i64Out += Text(*pRow, "THE_OUT_NUMBER").toLongLong();
                counts.m_i64Pass += Text(*pRow, "THE_PASS_NUMBER").toLongLong();
            }
        }
        for (auto it = mapResult.cbegin(); it != mapResult.cend(); ++it) {
            _mapResult.insert(it.key(), it.value());
        }
        return 0;
    });
}

int CLS_PassengerFlowDAO::DeletePassengerFlowInfoBefore(const QString& _strMonth)
{
    return Guarded("CLS_PassengerFlowDAO::DeletePassengerFlowInfoBefore", -1, [&] {
        static const QRegularExpression reMonth(QStringLiteral("^[0-9]{6}$"));
        if (!reMonth.match(_strMonth).hasMatch()) {
            DL_LOG(3, "CLS_PassengerFlowDAO::DeletePassengerFlowInfoBefore month invalid: %s",
                   qUtf8Printable(_strMonth));
            return -1;
        }
        const int iMonth = _strMonth.toInt();
        QVector<QString> vecTables;
        int iResult = ListInfoTables(QString(), QString(), vecTables,
                                     "CLS_PassengerFlowDAO::DeletePassengerFlowInfoBefore");
        if (iResult != 0) {
            return iResult;
        }
        for (const QString& strTable : qAsConst(vecTables)) {
            if (strTable.right(6).toInt() >= iMonth) {
                continue;
            }
            const int iRet = Execute(m_strDbName, "DROP TABLE IF EXISTS " + strTable);
            if (iRet != 0) {
                DL_LOG(2, "CLS_PassengerFlowDAO::DeletePassengerFlowInfoBefore %s iRet = %d", qUtf8Printable(strTable),
                       iRet);
                iResult = -1;
            }
        }
        return iResult;
    });
}
