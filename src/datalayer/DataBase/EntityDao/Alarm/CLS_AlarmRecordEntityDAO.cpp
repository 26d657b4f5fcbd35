#include "CLS_AlarmRecordEntityDAO.h"

#include "DataBase/EntityDao/DB/TimeSequence.h"
#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"

#include <QDateTime>
#include <QUuid>

using namespace DeviceDao;

const char* const CLS_CacheEventEntityDAO::kTable = "TAB_CACHE_EVENT";

namespace {

QString newId()
{
    return QUuid::createUuid().toString(QUuid::Id128);
}

QString num(int _iValue)
{
    return CLS_BaseEntityDAO::IntToString(_iValue);
}

// A caption as a LIKE pattern matching it anywhere, its "%", "_" and "\" taken as plain
// characters (the statement names "\" as the escape character).
QString containsPattern(const QString& _strText)
{
    QString strEscaped;
    for (const QChar c : _strText) {
        if (c == '%' || c == '_' || c == '\\') {
            strEscaped += '\\';
        }
        strEscaped += c;
    }
    return '%' + strEscaped + '%';
}

// Sequence numbers of the records stored by this process within one second.
TimeSequence g_sequence;

}  // namespace

CLS_AlarmRecordEntityDAO* CLS_AlarmRecordEntityDAO::GetInstance()
{
    static CLS_AlarmRecordEntityDAO* const s_pInstance = new CLS_AlarmRecordEntityDAO();
    return s_pInstance;
}

int CLS_AlarmRecordEntityDAO::NextSequence(const QString& _strTime)
{
    return g_sequence.Next(_strTime);
}

int CLS_AlarmRecordEntityDAO::InsertAlarmRecord(CLS_AlarmRecordEntity& e)
{
    if (e.S_ID.isEmpty()) {
        e.S_ID = newId();
    }
    e.DT_ALARM = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    const int iSeq = NextSequence(e.DT_ALARM);
    const QString strSql =
        "Insert Into TAB_ALARM_RECORD (S_ID, DT_ALARM, S_CAMERA_ID, S_CAMERA_CAPTION, I_CAMERA_TYPE, I_ALARM_TYPE, "
        "I_RULE_ID, I_IS_ALARM, I_LEVEL, S_USER_ID, I_DEAL_STATE, S_DEAL_USER_ID, DT_DEAL, S_DEAL_CAPTION, I_SEQ) "
        "Values (" +
        QStringLiteral(":id, :alarmTime, :cameraID, :cameraCaption, ") + num(e.I_CAMERA_TYPE) + "," +
        num(e.I_ALARM_TYPE) + "," + num(e.I_RULE_ID) + "," + num(e.I_IS_ALARM) + "," + num(e.I_LEVEL) + "," +
        ":userID," + num(e.I_DEAL_STATE) + "," + ":dealUserID, :dealTime,:dealCaption," + num(iSeq) + ")";
    const Binds binds{{":id", e.S_ID},           {":alarmTime", e.DT_ALARM},
                      {":cameraID", e.S_CAMERA_ID}, {":cameraCaption", e.S_CAMERA_CAPTION},
                      {":userID", e.S_USER_ID},   {":dealUserID", e.S_DEAL_USER_ID},
                      {":dealTime", e.DT_DEAL},   {":dealCaption", e.S_DEAL_CAPTION}};
    return ExecuteEx(m_strDbName, strSql, binds);
}

bool CLS_AlarmRecordEntityDAO::BuildConditions(const CLS_AlarmRecordSearchEntity& s, bool _bCount,
                                               QString& _strWhere, Binds& _binds)
{
    _strWhere.clear();
    QStringList lstLevels;
    for (int i = 0; i < 5; ++i) {
        if (s.m_bLevel[i]) {
            lstLevels.append(num(i + 1));
        }
    }
    if (lstLevels.isEmpty()) {
        return false;
    }
    const bool bLevelFilter = lstLevels.size() < 5;
    bool bFirst = true;
    // Each condition's text as the first condition and as a later one.
    auto add = [&](const QString& _strFirst, const QString& _strLater) {
        _strWhere += bFirst ? _strFirst : _strLater;
        bFirst = false;
    };
    if (!s.m_strStartTime.isEmpty()) {
        add(_bCount ? "  DT_ALARM >=:startTime " : "  DT_ALARM >= :startTime ", QString());
        _binds.insert(":startTime", s.m_strStartTime);
    }
    if (!s.m_strEndTime.isEmpty()) {
        if (_bCount) {
            add("  DT_ALARM <= :endTime ", "  and DT_ALARM <=:endTime ");
        } else {
            add("  DT_ALARM <=:endTime ", "  and DT_ALARM <= :endTime ");
        }
        _binds.insert(":endTime", s.m_strEndTime);
    }
    if (s.m_iDealState <= 1) {
        add(" I_DEAL_STATE = " + num(s.m_iDealState), " and I_DEAL_STATE = " + num(s.m_iDealState));
    }
    if (bLevelFilter) {
        const QString strIn = "I_LEVEL IN (" + lstLevels.join(',') + ")";
        add(" " + strIn, " and " + strIn);
    }
    if (!s.m_strDealUserID.isEmpty()) {
        if (_bCount) {
            add(" S_DEAL_USER_ID = :userID ", " and S_DEAL_USER_ID = :userID");
        } else {
            add(" S_DEAL_USER_ID = :userID", " and S_DEAL_USER_ID = :userID ");
        }
        _binds.insert(":userID", s.m_strDealUserID);
    }
    if (!s.m_strCameraCaption.isEmpty()) {
        // Bound and escaped: a quote or a wildcard in the caption is matched as it stands.
        const QString strLike = QStringLiteral("S_CAMERA_CAPTION like :cameraCaption ESCAPE '\\'");
        add(" " + strLike, " and " + strLike);
        _binds.insert(":cameraCaption", containsPattern(s.m_strCameraCaption));
    }
    if (s.m_iAlarmType != 0) {
        add(" I_ALARM_TYPE = " + num(s.m_iAlarmType), " and I_ALARM_TYPE = " + num(s.m_iAlarmType));
    }
    if (!bFirst) {
        _strWhere.prepend(QStringLiteral(" where"));
    }
    return true;
}

int CLS_AlarmRecordEntityDAO::SearchAlarmRecord(const CLS_AlarmRecordSearchEntity& _search,
                                                QVector<CLS_AlarmRecordEntity*>& _vecOut)
{
    QString strWhere;
    Binds binds;
    if (!BuildConditions(_search, false, strWhere, binds)) {
        return -1;
    }
    // In 64 bits: a page far past the end must not wrap round to an early one.
    const qint64 i64Offset = qint64(qMax(_search.m_iPageNum, 1) - 1) * _search.m_iPageSize;
    const QString strSql = "select * from TAB_ALARM_RECORD" + strWhere +
                           " order by DT_ALARM desc,I_SEQ desc limit " + QString::number(i64Offset) + "," +
                           num(_search.m_iPageSize);
    RecordSet* pRecSet = ExecuteQueryEx(m_strDbName, strSql, binds);
    if (pRecSet == nullptr) {
        return -1;
    }
    const Rows rows(pRecSet);
    for (const Row* pRow : rows) {
        if (pRow == nullptr) {
            continue;
        }
        auto* e = new CLS_AlarmRecordEntity();
        e->S_ID = Text(*pRow, "S_ID");
        e->DT_ALARM = Text(*pRow, "DT_ALARM");
        e->S_CAMERA_ID = Text(*pRow, "S_CAMERA_ID");
        e->S_CAMERA_CAPTION = Text(*pRow, "S_CAMERA_CAPTION");
        e->I_CAMERA_TYPE = Int(*pRow, "I_CAMERA_TYPE");
        e->I_ALARM_TYPE = Int(*pRow, "I_ALARM_TYPE");
        e->I_RULE_ID = Int(*pRow, "I_RULE_ID");
        e->I_IS_ALARM = Int(*pRow, "I_IS_ALARM");
        e->I_LEVEL = Int(*pRow, "I_LEVEL");
        e->I_DEAL_STATE = Int(*pRow, "I_DEAL_STATE");
        e->S_USER_ID = Text(*pRow, "S_USER_ID");
        e->DT_DEAL = Text(*pRow, "DT_DEAL");
        e->S_DEAL_USER_ID = Text(*pRow, "S_DEAL_USER_ID");
        e->S_DEAL_CAPTION = Text(*pRow, "S_DEAL_CAPTION");
        _vecOut.append(e);
    }
    return 0;
}

int CLS_AlarmRecordEntityDAO::SearchAlarmRecordCount(const CLS_AlarmRecordSearchEntity& _search)
{
    QString strWhere;
    Binds binds;
    if (!BuildConditions(_search, true, strWhere, binds)) {
        return 0;
    }
    const Rows rows(ExecuteQueryEx(m_strDbName, "select count(*) as count from TAB_ALARM_RECORD" + strWhere, binds));
    const Row* pRow = rows.First();
    return pRow != nullptr ? Int(*pRow, "count") : 0;
}

int CLS_AlarmRecordEntityDAO::UpdateAlarmDealInfo(const CLS_AlarmRecordEntity& e)
{
    const QString strSql = "UPDATE TAB_ALARM_RECORD Set " + ("I_DEAL_STATE = " + num(e.I_DEAL_STATE)) + " , " +
                           "S_DEAL_CAPTION = :dealCaption , " + "S_DEAL_USER_ID = :dealUserID , " +
                           "DT_DEAL = :dealTime " + "WHERE S_ID = :id";
    return ExecuteEx(m_strDbName, strSql,
                     {{":dealCaption", e.S_DEAL_CAPTION},
                      {":dealUserID", e.S_DEAL_USER_ID},
                      {":dealTime", e.DT_DEAL},
                      {":id", e.S_ID}});
}

int CLS_AlarmRecordEntityDAO::DeleteAlarmRecord(const QString& _strCutOff)
{
    return ExecuteEx(m_strDbName, QStringLiteral("DELETE FROM TAB_ALARM_RECORD WHERE DT_ALARM < :kt "),
                     {{":kt", _strCutOff}});
}

CLS_CacheEventEntityDAO* CLS_CacheEventEntityDAO::GetInstance()
{
    static CLS_CacheEventEntityDAO* const s_pInstance = new CLS_CacheEventEntityDAO();
    return s_pInstance;
}

int CLS_CacheEventEntityDAO::InsertCacheEvent(CLS_CacheEventEntity& e)
{
    QString strSysId;
    if (GetSysId(strSysId) != 0) {
        return -1;
    }
    if (e.S_ID.isEmpty()) {
        e.S_ID = newId().toUtf8();
    }
    const QString strSql = "INSERT INTO  TAB_CACHE_EVENT(S_ID, I_TYPE, S_DATA, DT_TIME, I_PARAM) VALUES " +
                           QStringLiteral("( :id, ") + num(e.I_TYPE) + "," + ":data, " + ":time, " +
                           num(e.I_PARAM) + ")";
    return PartitionExecuteEx(m_strDbName, strSql, kTable, strSysId,
                              {{":id", QString::fromUtf8(e.S_ID)},
                               {":data", QString::fromUtf8(e.S_DATA)},
                               {":time", QString::fromUtf8(e.DT_TIME)}});
}

int CLS_CacheEventEntityDAO::SearchCacheEvent(QVector<CLS_CacheEventEntity*>& _vecOut)
{
    QString strSysId;
    if (GetSysId(strSysId) != 0) {
        return -1;
    }
    const QString strWhere = QStringLiteral("  WHERE  1=1");
    const Rows rows(PartitionExecuteQuery(m_strDbName,
                                          "SELECT S_ID, I_TYPE, S_DATA, DT_TIME, I_PARAM FROM TAB_CACHE_EVENT" +
                                              strWhere,
                                          strWhere, kTable, strSysId, strSysId, -1, -1, QString()));
    if (rows.Failed()) {
        return -1;
    }
    for (const Row* pRow : rows) {
        if (pRow == nullptr) {
            continue;
        }
        auto* e = new CLS_CacheEventEntity();
        e->S_ID = Text(*pRow, "S_ID").toUtf8();
        e->I_TYPE = Int(*pRow, "I_TYPE");
        e->S_DATA = Text(*pRow, "S_DATA").toUtf8();
        e->DT_TIME = Text(*pRow, "DT_TIME").toUtf8();
        e->I_PARAM = Int(*pRow, "I_PARAM");
        _vecOut.append(e);
    }
    return 0;
}

int CLS_CacheEventEntityDAO::DelCacheEvent(const QByteArray& _baData)
{
    QString strSysId;
    if (GetSysId(strSysId) != 0) {
        return -1;
    }
    return PartitionExecuteEx(m_strDbName, QStringLiteral("DELETE FROM TAB_CACHE_EVENT WHERE S_DATA = :data "),
                              kTable, strSysId, {{":data", QString::fromUtf8(_baData)}});
}
