#include "CLS_RecLogRecordDAO.h"

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "Log.h"

using namespace DeviceDao;

namespace {

// The filter conditions in their order; each in its "first" and "later" form, with the join's
// table alias (search) or without it (count).
QStringList FilterConditions(const STRCT_OperationLogFilter& _filter, const QString& _strAlias, Binds& _mapBind)
{
    struct Condition
    {
        QString strFirst;
        QString strLater;
    };
    QList<Condition> lstConditions;
    if (!_filter.m_strStartTime.isEmpty()) {
        lstConditions.append({"  " + _strAlias + "DT_RECORDTIME >=:startTime",
                              "  and " + _strAlias + "DT_RECORDTIME >=:startTime"});
        _mapBind.insert(":startTime", _filter.m_strStartTime);
    }
    if (!_filter.m_strEndTime.isEmpty()) {
        lstConditions.append({"  " + _strAlias + "DT_RECORDTIME <=:endTime",
                              "  and " + _strAlias + "DT_RECORDTIME <=:endTime"});
        _mapBind.insert(":endTime", _filter.m_strEndTime);
    }
    if (!_filter.m_strUserID.isEmpty()) {
        lstConditions.append({" " + _strAlias + "S_USER = :uID", " and " + _strAlias + "S_USER =:uID"});
        _mapBind.insert(":uID", _filter.m_strUserID);
    }
    if (_filter.m_iLogType != -1) {
        QString strDetail;
        if (_filter.m_iLogDetailType != -1) {
            strDetail = " and " + _strAlias + "I_LOGDETAILTYPE=" + QString::number(_filter.m_iLogDetailType);
        }
        const QString strType = QString::number(_filter.m_iLogType);
        lstConditions.append({" " + _strAlias + "I_LOGTYPE=" + strType + strDetail,
                              " and " + _strAlias + "I_LOGTYPE=" + strType + strDetail});
    }
    if (!_filter.m_strDescription.isEmpty()) {
        lstConditions.append({" " + _strAlias + "S_LOGDESCRIPTION like :logDescription",
                              " and " + _strAlias + "S_LOGDESCRIPTION like :logDescription "});
        _mapBind.insert(":logDescription", "%" + _filter.m_strDescription + "%");
    }
    QStringList lstTexts;
    for (int i = 0; i < lstConditions.size(); ++i) {
        lstTexts.append(i == 0 ? lstConditions.at(i).strFirst : lstConditions.at(i).strLater);
    }
    return lstTexts;
}

void LoadLogEntry(const Row& _row, CLS_OperationLogEntity& e)
{
    e.I_ID = Int(_row, "I_ID");
    e.DT_RECORDTIME = Text(_row, "DT_RECORDTIME");
    e.S_USER = Text(_row, "S_USER");
    e.I_LOGTYPE = Int(_row, "I_LOGTYPE");
    e.I_LOGDETAILTYPE = Int(_row, "I_LOGDETAILTYPE");
    e.S_LOGDESCRIPTION = Text(_row, "S_LOGDESCRIPTION");
    e.S_CAPTION = Text(_row, "S_CAPTION");
}

}  // namespace

CLS_RecLogRecordDAO* CLS_RecLogRecordDAO::GetInstance()
{
    static CLS_RecLogRecordDAO* const s_pInstance = new CLS_RecLogRecordDAO();
    return s_pInstance;
}

CLS_RecLogRecordDAO::CLS_RecLogRecordDAO() = default;

CLS_RecLogRecordDAO::~CLS_RecLogRecordDAO() = default;

int CLS_RecLogRecordDAO::AddOperationLog(const QString& _strTime, const QString& _strUserID, qint32 _iLogType,
                                         qint32 _iLogDetailType, const QString& _strDescription)
{
    return Guarded("CLS_RecLogRecordDAO::AddOperationLog", -1, [&] {
        const Rows rows(ExecuteQuery(m_strDbName, "select max(I_ID) as I_ID from TAB_DD_LOGRECORD"));
        if (rows.Failed()) {
            DL_LOG(2, "CLS_RecLogRecordDAO::AddOperationLog pRecSet == nullptr");
            return -1;
        }
        const Row* pRow = rows.First();
        const int iId = (pRow != nullptr ? Int(*pRow, "I_ID") : 0) + 1;
        const QString strSql = "insert into TAB_DD_LOGRECORD(I_ID,DT_RECORDTIME, S_USER,I_LOGTYPE,I_LOGDETAILTYPE,"
                               "S_LOGDESCRIPTION) values(" +
                               IntToString(iId) + "," + ":logTime, :logUserID," + IntToString(_iLogType) + "," +
                               IntToString(_iLogDetailType) + "," + ":logDescription)";
        return ExecuteEx(m_strDbName, strSql,
                         {{":logTime", _strTime}, {":logUserID", _strUserID}, {":logDescription", _strDescription}});
    });
}

int CLS_RecLogRecordDAO::SearchOperationLog(const STRCT_OperationLogFilter& _filter, int _iPageSize,
                                            int _iPageNumber, QVector<CLS_OperationLogEntity*>& _vecEntries)
{
    return Guarded("CLS_RecLogRecordDAO::SearchOperationLog", -1, [&] {
        Binds mapBind;
        const QStringList lstConditions = FilterConditions(_filter, "DD.", mapBind);
        QString strSql = "select DD.I_ID,DD.DT_RECORDTIME,DD.I_LOGTYPE,DD.I_LOGDETAILTYPE,DD.S_USER,"
                         "DD.S_LOGDESCRIPTION,OBJ.S_CAPTION from TAB_DD_LOGRECORD DD INNER JOIN TAB_OBJ OBJ "
                         " where DD.S_USER=OBJ.S_ID";
        if (!lstConditions.isEmpty()) {
            strSql += " AND " + lstConditions.join(QString());
        }
        // Always paged, as the statement is: size 0 gives no entry, a negative size every entry
        // from the offset on (SQLite reads a negative offset as 0).
        const qint64 i64Offset = qint64(qMax(_iPageNumber, 1) - 1) * _iPageSize;
        strSql +=
            " order by DD.I_ID desc limit " + QString::number(i64Offset) + "," + IntToString(_iPageSize);
        return ReadEntities(ExecuteQueryEx(m_strDbName, strSql, mapBind), _vecEntries, &LoadLogEntry);
    });
}

int CLS_RecLogRecordDAO::GetOperationLogCount(const STRCT_OperationLogFilter& _filter)
{
    return Guarded("CLS_RecLogRecordDAO::GetOperationLogCount", -1, [&] {
        Binds mapBind;
        const QStringList lstConditions = FilterConditions(_filter, QString(), mapBind);
        QString strSql = "select count(*) as count from TAB_DD_LOGRECORD";
        if (!lstConditions.isEmpty()) {
            strSql += " where " + lstConditions.join(QString());
        }
        return Count(m_strDbName, strSql, mapBind);
    });
}

int CLS_RecLogRecordDAO::DeleteOperationLog(const QString& _strUserID, const QString& _strKeepTime)
{
    return Guarded("CLS_RecLogRecordDAO::DeleteOperationLog", -1, [&] {
        if (_strUserID == QLatin1String("admin")) {
            return ExecuteEx(m_strDbName, "DELETE FROM TAB_DD_LOGRECORD WHERE DT_RECORDTIME < :keepTime",
                             {{":keepTime", _strKeepTime}});
        }
        return ExecuteEx(m_strDbName,
                         "DELETE FROM TAB_DD_LOGRECORD WHERE S_USER = :uID AND DT_RECORDTIME < :keepTime",
                         {{":uID", _strUserID}, {":keepTime", _strKeepTime}});
    });
}
