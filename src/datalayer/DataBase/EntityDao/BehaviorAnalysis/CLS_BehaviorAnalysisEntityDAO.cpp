#include "CLS_BehaviorAnalysisEntityDAO.h"

#include "DataBase/EntityDao/DB/TimeSequence.h"
#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "DataBase/EntityDao/InAndOut/MonthlyTables.h"
#include "Log.h"

#include <QUuid>

#include <limits>

using namespace DeviceDao;

const char* const CLS_BehaviorAnalysisEntityDAO::kTable = "TAB_INTELLIGENT_BEHAVIOR_CAPTURE";

namespace {

// Sequence numbers of the snapshots stored by this process within one second.
TimeSequence g_sequence;

// Id, sequence and month of a record about to be stored; false (logged) without a month.
bool Prepare(const char* _pszOperation, CLS_BehaviorAnalysisEntity& _record, QString& _qstrMonth)
{
    _qstrMonth = MonthlyTables::MonthOf(_record.DT_SNAP_TIMESTAMP);
    if (_qstrMonth.isEmpty()) {
        DL_LOG(3, "%s DT_SNAP_TIMESTAMP invalid: %s", _pszOperation,
               qUtf8Printable(_record.DT_SNAP_TIMESTAMP));
        return false;
    }
    if (_record.S_ID.isEmpty()) {
        _record.S_ID = QUuid::createUuid().toString(QUuid::Id128);
    }
    _record.I_SEQ = g_sequence.Next(_record.DT_SNAP_TIMESTAMP);
    return true;
}

QString InsertStatement(const CLS_BehaviorAnalysisEntity& r, int _iIndex, Binds& _mapBind)
{
    const QString qstrIdKey = ":ID_" + QString::number(_iIndex);
    _mapBind = Binds{{qstrIdKey, r.S_ID},
                     {":hostID", r.S_DEV_ID},
                     {":channelID", r.S_CHANNEL_ID},
                     {":channelName", r.S_CHANNEL_NAME},
                     {":capturePath", r.S_SNAP_PATH},
                     {":capTime", r.DT_SNAP_TIMESTAMP},
                     {":extra", r.S_EXTRA}};
    return QStringLiteral(
               "insert into TAB_INTELLIGENT_BEHAVIOR_CAPTURE(S_ID,S_DEV_ID, S_CHANNEL_ID,S_CHANNEL_NAME,"
               "                                    I_TYPE,S_SNAP_PATH,I_FILE_SIZE,DT_SNAP_TIMESTAMP,I_SEQ,"
               "S_EXTRA) Values(") +
           qstrIdKey + "," + ":hostID," + ":channelID, " + ":channelName," + QString::number(r.I_TYPE) + "," +
           ":capturePath," + QString::number(r.I_FILE_SIZE) + "," + ":capTime," + QString::number(r.I_SEQ) +
           "," + ":extra" + ")";
}

QString Conditions(const CLS_BehaviorAnalysisSearchEntity& _search, Binds& _mapBind)
{
    QString qstrWhere = QStringLiteral(" where 1=1 ");
    if (!_search.m_strStartTime.isEmpty()) {
        qstrWhere += " and DT_SNAP_TIMESTAMP >=:startTime";
        _mapBind.insert(":startTime", _search.m_strStartTime);
    }
    if (!_search.m_lstChannelIDs.isEmpty()) {
        QStringList lstKeys;
        for (int i = 0; i < _search.m_lstChannelIDs.size(); ++i) {
            lstKeys.append(":id_" + QString::number(i));
            _mapBind.insert(lstKeys.last(), _search.m_lstChannelIDs.at(i));
        }
        qstrWhere += "  and S_CHANNEL_ID in(" + lstKeys.join(",") + ")";
    }
    if (!_search.m_strEndTime.isEmpty()) {
        qstrWhere += "  and DT_SNAP_TIMESTAMP <=:endTime";
        _mapBind.insert(":endTime", _search.m_strEndTime);
    }
    if (_search.m_iType != CLS_BehaviorAnalysisSearchEntity::kAnyType) {
        qstrWhere += " and I_TYPE=" + QString::number(_search.m_iType);
    }
    return qstrWhere;
}

int ReadRecords(RecordSet* _pRows, QVector<CLS_BehaviorAnalysisEntity>& _vecRecords)
{
    const Rows rows(_pRows);
    if (rows.Failed()) {
        return -1;
    }
    for (const Row* pRow : rows) {
        if (pRow != nullptr) {
            _vecRecords.append(CLS_BehaviorAnalysisEntity());
            CLS_BehaviorAnalysisEntityDAO::Load(*pRow, _vecRecords.last());
        }
    }
    return 0;
}

}  // namespace

CLS_BehaviorAnalysisEntityDAO* CLS_BehaviorAnalysisEntityDAO::GetInstance()
{
    static CLS_BehaviorAnalysisEntityDAO* const s_pInstance = new CLS_BehaviorAnalysisEntityDAO();
    return s_pInstance;
}

CLS_BehaviorAnalysisEntityDAO::CLS_BehaviorAnalysisEntityDAO()
{
    m_strDbName = QStringLiteral("Tessel-intelligent");
}

void CLS_BehaviorAnalysisEntityDAO::Load(const Row& _row, CLS_BehaviorAnalysisEntity& r)
{
    r.S_ID = Text(_row, "S_ID");
    r.S_DEV_ID = Text(_row, "S_DEV_ID");
    r.S_CHANNEL_ID = Text(_row, "S_CHANNEL_ID");
    r.S_CHANNEL_NAME = Text(_row, "S_CHANNEL_NAME");
    r.I_TYPE = Int(_row, "I_TYPE");
    r.S_SNAP_PATH = Text(_row, "S_SNAP_PATH");
    r.I_FILE_SIZE = Text(_row, "I_FILE_SIZE").toLongLong();
    r.DT_SNAP_TIMESTAMP = Text(_row, "DT_SNAP_TIMESTAMP");
    r.I_SEQ = Int(_row, "I_SEQ");
    r.S_EXTRA = Text(_row, "S_EXTRA");
}

int CLS_BehaviorAnalysisEntityDAO::AddBehaviorAnalysisCaptures(
    QVector<CLS_BehaviorAnalysisEntity>& _vecRecords)
{
    const char* const pszOperation = "CLS_BehaviorAnalysisEntityDAO::AddBehaviorAnalysisCaptures";
    return Guarded(pszOperation, -1, [&] {
        for (const CLS_BehaviorAnalysisEntity& r : qAsConst(_vecRecords)) {
            if (MonthlyTables::MonthOf(r.DT_SNAP_TIMESTAMP).isEmpty()) {
                DL_LOG(3, "%s DT_SNAP_TIMESTAMP invalid: %s", pszOperation,
                       qUtf8Printable(r.DT_SNAP_TIMESTAMP));
                return -1;
            }
        }
        QMap<QString, QMap<QString, Binds>> mapByMonth;
        for (int i = 0; i < _vecRecords.size(); ++i) {
            QString qstrMonth;
            Prepare(pszOperation, _vecRecords[i], qstrMonth);
            Binds mapBind;
            const QString qstrSql = InsertStatement(_vecRecords[i], i, mapBind);
            mapByMonth[qstrMonth].insert(qstrSql, mapBind);
        }
        return mapByMonth.isEmpty() ? 0 : PartitionExecuteTransactionEx(m_strDbName, kTable, mapByMonth);
    });
}

int CLS_BehaviorAnalysisEntityDAO::AddBehaviorAnalysisCapture(CLS_BehaviorAnalysisEntity& _record)
{
    const char* const pszOperation = "CLS_BehaviorAnalysisEntityDAO::AddBehaviorAnalysisCapture";
    return Guarded(pszOperation, -1, [&] {
        QString qstrMonth;
        if (!Prepare(pszOperation, _record, qstrMonth)) {
            return -1;
        }
        Binds mapBind;
        const QString qstrSql = InsertStatement(_record, 0, mapBind);
        return PartitionExecuteEx(m_strDbName, qstrSql, kTable, qstrMonth, mapBind);
    });
}

int CLS_BehaviorAnalysisEntityDAO::BehaviorAnalysisGetRecord(const CLS_BehaviorAnalysisSearchEntity& _search,
                                                             QVector<CLS_BehaviorAnalysisEntity>& _vecRecords)
{
    return Guarded("CLS_BehaviorAnalysisEntityDAO::BehaviorAnalysisGetRecord", -1, [&] {
        Binds mapBind;
        const QString qstrWhere = Conditions(_search, mapBind);
        const QString qstrSql = QStringLiteral("select * from TAB_INTELLIGENT_BEHAVIOR_CAPTURE ") +
                                qstrWhere + " order by DT_SNAP_TIMESTAMP desc, I_SEQ desc";
        int iStartNum = -1;
        int iPageSize = -1;
        if (_search.m_iPageSize > 0) {
            iPageSize = _search.m_iPageSize;
            const qint64 i64Start = qint64(qMax(_search.m_iPageNumber, 1) - 1) * iPageSize;
            if (i64Start > std::numeric_limits<int>::max()) {
                return 0;  // past every row this layer can page through: an empty page
            }
            iStartNum = static_cast<int>(i64Start);
        }
        const int iRet =
            ReadRecords(PartitionExecuteQueryEx(m_strDbName, qstrSql, qstrWhere, kTable,
                                                MonthlyTables::MonthOf(_search.m_strStartTime),
                                                MonthlyTables::MonthOf(_search.m_strEndTime), iStartNum,
                                                iPageSize, QStringLiteral("DESC"), mapBind),
                        _vecRecords);
        if (iRet != 0) {
            DL_LOG(2, "CLS_BehaviorAnalysisEntityDAO::BehaviorAnalysisGetRecord nullptr == pRecSet");
        }
        return iRet;
    });
}

int CLS_BehaviorAnalysisEntityDAO::BehaviorAnalysisGetCount(const CLS_BehaviorAnalysisSearchEntity& _search)
{
    return Guarded("CLS_BehaviorAnalysisEntityDAO::BehaviorAnalysisGetCount", -1, [&] {
        Binds mapBind;
        const QString qstrWhere = Conditions(_search, mapBind);
        QVector<QString> vecTables;
        const int iList =
            MonthlyTables::List(m_strDbName, kTable, MonthlyTables::MonthOf(_search.m_strStartTime),
                                MonthlyTables::MonthOf(_search.m_strEndTime), vecTables,
                                "CLS_BehaviorAnalysisEntityDAO::BehaviorAnalysisGetCount");
        if (iList != 0) {
            return iList;
        }
        int iTotal = 0;
        for (const QString& qstrTable : qAsConst(vecTables)) {
            const int iCount =
                Count(m_strDbName, "select count(*) as count from " + qstrTable + qstrWhere, mapBind);
            if (iCount < 0) {
                DL_LOG(2, "CLS_BehaviorAnalysisEntityDAO::BehaviorAnalysisGetCount %s iRet = %d",
                       qUtf8Printable(qstrTable), iCount);
                return -1;
            }
            iTotal += iCount;
        }
        return iTotal;
    });
}

int CLS_BehaviorAnalysisEntityDAO::GetBehaviorAnalysisPicFiles(
    int _iCount, QVector<CLS_BehaviorAnalysisEntity>& _vecRecords)
{
    return Guarded("CLS_BehaviorAnalysisEntityDAO::GetBehaviorAnalysisPicFiles", -1, [&] {
        const int iRet = ReadRecords(
            PartitionExecuteQuery(m_strDbName,
                                  "select  * from TAB_INTELLIGENT_BEHAVIOR_CAPTURE order by "
                                  "DT_SNAP_TIMESTAMP asc, I_SEQ asc",
                                  QString(), kTable, QString(), QString(), 0, qMax(_iCount, 0), QString()),
            _vecRecords);
        if (iRet != 0) {
            DL_LOG(2, "CLS_BehaviorAnalysisEntityDAO::GetBehaviorAnalysisPicFiles nullptr== pRecSet");
        }
        return iRet;
    });
}

int CLS_BehaviorAnalysisEntityDAO::GetBehaviorAnalysisPicFilesBefore(
    const QString& _qstrSaveTime, int _iCount, QVector<CLS_BehaviorAnalysisEntity>& _vecRecords)
{
    return Guarded("CLS_BehaviorAnalysisEntityDAO::GetBehaviorAnalysisPicFiles", -1, [&] {
        const QString qstrWhere = QStringLiteral(" where 1=1") + " and  DT_SNAP_TIMESTAMP < " + ":saveTime";
        const int iRet = ReadRecords(
            PartitionExecuteQueryEx(m_strDbName,
                                    "select * from TAB_INTELLIGENT_BEHAVIOR_CAPTURE" + qstrWhere +
                                        " order by DT_SNAP_TIMESTAMP asc, I_SEQ asc",
                                    qstrWhere, kTable, QString(), MonthlyTables::MonthOf(_qstrSaveTime),
                                    _iCount > 0 ? 0 : -1, _iCount > 0 ? _iCount : -1, QString(),
                                    {{":saveTime", _qstrSaveTime}}),
            _vecRecords);
        if (iRet != 0) {
            DL_LOG(2, "CLS_BehaviorAnalysisEntityDAO::GetBehaviorAnalysisPicFiles nullptr == pRecSet");
        }
        return iRet;
    });
}

int CLS_BehaviorAnalysisEntityDAO::DelBehaviorAnalysisPicRec(
    const QList<QPair<QString, QString>>& _lstIdTimes)
{
    if (_lstIdTimes.isEmpty()) {
        return 0;
    }
    const int iRet = Guarded("CLS_BehaviorAnalysisEntityDAO::DelBehaviorAnalysisPicRec", -1,
                             [&] { return MonthlyTables::DeleteByIds(m_strDbName, kTable, _lstIdTimes); });
    DropBehaviorAnalysisTable(QDate::currentDate());
    return iRet;
}

int CLS_BehaviorAnalysisEntityDAO::DeleteAllBehaviorAnalysisData()
{
    return Guarded("CLS_BehaviorAnalysisEntityDAO::DeleteAllBehaviorAnalysisData", -1,
                   [&] { return MonthlyTables::DeleteAll(m_strDbName, kTable); });
}

int CLS_BehaviorAnalysisEntityDAO::DropBehaviorAnalysisTable(const QDate& _today)
{
    return Guarded("CLS_BehaviorAnalysisEntityDAO::DropBehaviorAnalysisTable", -1, [&] {
        return MonthlyTables::DropEmpty(
            m_strDbName, kTable, _today,
            "CLS_BehaviorAnalysisEntityDAO::DropBehaviorAnalysisTable() nullptr == "
            "pTableNameRecSet");
    });
}
