// The region side of CLS_PassengerFlowDAO: TAB_PASSENGERFLOW_REGION and its channels in
// TAB_PASSENGERFLOW_REGION_CHANNEL.
#include "CLS_PassengerFlowDAO.h"

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "Log.h"

using namespace DeviceDao;

namespace {

// The two deletes of the regions' rows, with their binds.
void DeleteStatements(const QStringList& _lstRegionIDs, const QString& _strUserID, QList<QString>& _lstSql,
                      QList<Binds>& _lstBinds)
{
    Binds binds{{":UserID", _strUserID}};
    const QString strIds = CLS_PassengerFlowDAO::BindList(":RegionID", _lstRegionIDs, binds);
    _lstSql << QStringLiteral("DELETE FROM TAB_PASSENGERFLOW_REGION WHERE 1=1") + " AND S_USER_ID=:UserID" +
                   " AND S_ID in (" + strIds + ")"
            << "DELETE FROM TAB_PASSENGERFLOW_REGION_CHANNEL WHERE S_REGION_ID in (" + strIds + ")" +
                   "  AND S_USER_ID=:UserID ";
    _lstBinds << binds << binds;
}

}  // namespace

QString CLS_PassengerFlowDAO::BindList(const char* _pszPrefix, const QStringList& _lstValues, Binds& _mapBind)
{
    QStringList lstKeys;
    for (int i = 0; i < _lstValues.size(); ++i) {
        const QString strKey = QLatin1String(_pszPrefix) + QString::number(i);
        lstKeys.append(strKey);
        _mapBind.insert(strKey, _lstValues.at(i));
    }
    return lstKeys.join(QLatin1Char(','));
}

int CLS_PassengerFlowDAO::GetRegions(const QString& _strUserID, QVector<CLS_RegionEntity*>& _vecRegions)
{
    return Guarded("CLS_PassengerFlowDAO::GetRegions", -1, [&] {
        const QString strSql = QStringLiteral(
            "select A.S_ID as S_REGION_ID,A.S_REGION_NAME,A.DT_START,A.DT_END,A.I_MAXCAPACITY_NUMBER,"
            "A.I_MAXCAPACITY_ALARM_ENABLE,A.I_SHOOTUP_NUMBER,A.I_SHOOTUP_TIME,A.I_SHOOTUP_ALARM_ENABLE,"
            "A.I_FIX_NUMBER,A.I_ALARM_INTERVAL, A.DT_START_STATISTIC,             B.S_ID as S_CHANNEL_ID,"
            "B.S_CHANNEL_OBJ_ID,B.I_SEQ from TAB_PASSENGERFLOW_REGION A LEFT JOIN TAB_PASSENGERFLOW_REGION_CHANNEL B "
            "ON A.S_ID = B.S_REGION_ID ") +
                               " where A.S_USER_ID=:UserID" + " order by A.S_ID, B.I_SEQ";
        return ReadEntities(ExecuteQueryEx(m_strDbName, strSql, {{":UserID", _strUserID}}), _vecRegions,
                            [](const Row& _row, CLS_RegionEntity& _e) {
                                _e.S_REGION_ID = Text(_row, "S_REGION_ID");
                                _e.S_REGION_NAME = Text(_row, "S_REGION_NAME");
                                _e.DT_START = Text(_row, "DT_START");
                                _e.DT_END = Text(_row, "DT_END");
                                _e.I_MAXCAPACITY_NUMBER = Int(_row, "I_MAXCAPACITY_NUMBER");
                                _e.I_MAXCAPACITY_ALARM_ENABLE = Int(_row, "I_MAXCAPACITY_ALARM_ENABLE");
                                _e.I_SHOOTUP_NUMBER = Int(_row, "I_SHOOTUP_NUMBER");
                                _e.I_SHOOTUP_TIME = Int(_row, "I_SHOOTUP_TIME");
                                _e.I_SHOOTUP_ALARM_ENABLE = Int(_row, "I_SHOOTUP_ALARM_ENABLE");
                                _e.I_FIX_NUMBER = Int(_row, "I_FIX_NUMBER");
                                _e.I_ALARM_INTERVAL = Int(_row, "I_ALARM_INTERVAL");
                                _e.S_CHANNEL_ID = Text(_row, "S_CHANNEL_ID");
                                _e.S_CHANNEL_OBJ_ID = Text(_row, "S_CHANNEL_OBJ_ID");
                                _e.I_SEQ = Int(_row, "I_SEQ");
                                _e.DT_START_STATISTIC = Text(_row, "DT_START_STATISTIC");
                            });
    });
}

int CLS_PassengerFlowDAO::UpdateRegionParam(const STRCT_PassengerFlowRegionParam& _param, const QString& _strUserID,
                                            const QString& _strClearTime)
{
    return Guarded("CLS_PassengerFlowDAO::UpdateRegionParam", -1, [&] {
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        DeleteStatements({_param.m_qstrRegionID}, _strUserID, lstSql, lstBinds);
        const qint32 aiNumbers[] = {_param.m_iMaxCapacityNumber, _param.m_iMaxCapacityAlarmEnable,
                                    _param.m_iShootUpNumber,     _param.m_iShootUpTime,
                                    _param.m_iShootUpAlarmEnable, _param.m_iFixNumber,
                                    _param.m_iAlarmInterval};
        QString strNumbers;
        for (const qint32 iNumber : aiNumbers) {
            strNumbers += QString::number(iNumber) + ",";
        }
        lstSql << QStringLiteral("INSERT INTO TAB_PASSENGERFLOW_REGION (S_ID,S_REGION_NAME,DT_START,DT_END,"
                                 "I_MAXCAPACITY_NUMBER,I_MAXCAPACITY_ALARM_ENABLE,I_SHOOTUP_NUMBER,I_SHOOTUP_TIME,"
                                 "I_SHOOTUP_ALARM_ENABLE,I_FIX_NUMBER,I_ALARM_INTERVAL,S_USER_ID,DT_START_STATISTIC) "
                                 "VALUES(") +
                      ":RegionID," + ":RegionName," + ":StartTime," + ":EndTime," + strNumbers + ":UserID," +
                      ":ClearTime)";
        lstBinds << Binds{{":RegionID", _param.m_qstrRegionID}, {":RegionName", _param.m_qstrRegionName},
                          {":StartTime", _param.m_qstrStartTime}, {":EndTime", _param.m_qstrEndTime},
                          {":UserID", _strUserID},           {":ClearTime", _strClearTime}};
        for (const STRCT_PassengerFlowRegionChannel& channel : _param.m_qvecChannels) {
            lstSql << QStringLiteral("INSERT INTO TAB_PASSENGERFLOW_REGION_CHANNEL (S_ID,S_REGION_ID,S_CHANNEL_OBJ_ID,"
                                     "I_SEQ,S_USER_ID) VALUES(") +
                          ":ChannelID," + ":RegionID," + ":ChannelObjID," + QString::number(channel.m_iSeq) + "," +
                          ":UserID)";
            lstBinds << Binds{{":ChannelID", channel.m_qstrChannelID},
                              {":RegionID", _param.m_qstrRegionID},
                              {":ChannelObjID", channel.m_qstrChannelObjID},
                              {":UserID", _strUserID}};
        }
        const int iRet = ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
        if (iRet != 0) {
            DL_LOG(2, "CLS_PassengerFlowDAO::UpdateRegionParam iRet = %d", iRet);
            return -1;
        }
        return 0;
    });
}

int CLS_PassengerFlowDAO::DeleteRegionParam(const QStringList& _lstRegionIDs, const QString& _strUserID)
{
    return Guarded("CLS_PassengerFlowDAO::DeleteRegionParam", -1, [&] {
        DL_LOG(1, "CLS_PassengerFlowDAO::DeleteRegionParam _qvectRegionEntity.size=%d", _lstRegionIDs.size());
        if (_lstRegionIDs.isEmpty()) {
            return -1;
        }
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        DeleteStatements(_lstRegionIDs, _strUserID, lstSql, lstBinds);
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds) == 0 ? 0 : -1;
    });
}

int CLS_PassengerFlowDAO::DeleteRegionChannels(const QStringList& _lstChannelObjIDs, const QString& _strUserID)
{
    return Guarded("CLS_PassengerFlowDAO::DeleteRegionChannels", -1, [&] {
        if (_lstChannelObjIDs.isEmpty()) {
            return 0;
        }
        Binds binds{{":UserID", _strUserID}};
        const QString strIds = CLS_PassengerFlowDAO::BindList(":ChannelObjID", _lstChannelObjIDs, binds);
        return ExecuteEx(m_strDbName,
                         QStringLiteral("DELETE FROM TAB_PASSENGERFLOW_REGION_CHANNEL WHERE S_USER_ID=:UserID") +
                             " AND S_CHANNEL_OBJ_ID in (" + strIds + ")",
                         binds);
    });
}

int CLS_PassengerFlowDAO::UpdateRegionClearTime(const QString& _strRegionID, const QString& _strClearTime)
{
    return Guarded("CLS_PassengerFlowDAO::UpdateRegionClearTime", -1, [&] {
        if (_strRegionID.isEmpty()) {
            DL_LOG(3, "CLS_PassengerFlowDAO::UpdateRegionClearTime _qstrRegionID isEmpty");
            return -1;
        }
        return ExecuteEx(m_strDbName,
                         QStringLiteral("UPDATE TAB_PASSENGERFLOW_REGION SET DT_START_STATISTIC = :ClearTime") +
                             " WHERE S_ID = :RegionID",
                         {{":ClearTime", _strClearTime}, {":RegionID", _strRegionID}});
    });
}
