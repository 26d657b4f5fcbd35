// Device tables: forwarders to the host, channel, alarm-input, alarm-output, encoder-input,
// product and generic-device DAOs.
#include "CLS_DataAccess.h"

#include "DataBase/EntityDao/HostConfig/CLS_AlarmInEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmOutEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_ChannelEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_DevDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_EncInEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_HostEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_ProductEntityDAO.h"

#include <QDebug>

int CLS_DataAccess::InsertHost(const CLS_HostEntity& _hostEntity)
{
    return CLS_HostEntityDAO::GetInstance()->InsertHost(_hostEntity);
}

int CLS_DataAccess::UpdateHost(const CLS_HostEntity& _hostEntity)
{
    return CLS_HostEntityDAO::GetInstance()->UpdateHost(_hostEntity);
}

int CLS_DataAccess::DeleteHost(QString _strHostID)
{
    if (_strHostID.isEmpty()) {
        qDebug() << "_strHostID.length() <= 0 || _strHostID == nullptr";
        return -1;
    }
    return CLS_HostEntityDAO::GetInstance()->DeleteHost(_strHostID);
}

int CLS_DataAccess::GetHostById(QString _strHostID, CLS_HostEntity& _hostEntity)
{
    if (_strHostID.isEmpty()) {
        qDebug() << "_strHostID.length() <= 0 || _strHostID == nullptr";
        return -1;
    }
    return CLS_HostEntityDAO::GetInstance()->GetHostById(_strHostID, _hostEntity);
}

int CLS_DataAccess::GetHostsOfUser(QString _strUserID, QVector<CLS_HostEntity*>& _vecHosts)
{
    if (_strUserID.isEmpty()) {
        qDebug() << "_strUserID == nullptr || _strUserID.length() <= 0";
        return -1;
    }
    return CLS_HostEntityDAO::GetInstance()->GetHostsOfUser(_strUserID, _vecHosts);
}

int CLS_DataAccess::GetHostCount(int _iDevType, QString _strUserID)
{
    return CLS_HostEntityDAO::GetInstance()->GetHostCount(_iDevType, _strUserID);
}

int CLS_DataAccess::GetHostPageCount(int _iPageSize)
{
    if (_iPageSize <= 0) {
        qDebug() << "_iPageSize <= 0";
        return -1;
    }
    return CLS_HostEntityDAO::GetInstance()->GetHostPageCount(_iPageSize);
}

int CLS_DataAccess::GetHostPage(int _iPageSize, int _iPageIndex, QVector<CLS_HostEntity*>& _vecHosts)
{
    if (_iPageSize <= 0 || _iPageIndex < 0) {
        qDebug() << "_iPageSize <= 0 || _iPageIndex < 0";
        return -1;
    }
    return CLS_HostEntityDAO::GetInstance()->GetHostPage(_iPageSize, _iPageIndex, _vecHosts);
}

bool CLS_DataAccess::IsHostExist(QString _strHostID)
{
    if (_strHostID.isEmpty()) {
        qDebug() << "_strHostID.length() <= 0 || _strHostID == nullptr";
        return false;
    }
    return CLS_HostEntityDAO::GetInstance()->IsHostExist(_strHostID);
}

int CLS_DataAccess::GetHostIdsByAddress(QString _strAddress, int _iMode, QStringList& _lstHostIDs)
{
    if (_strAddress.isEmpty()) {
        qDebug() << "_strAddress.length() <= 0 || _strAddress == nullptr";
        return -1;
    }
    return CLS_HostEntityDAO::GetInstance()->GetHostIdsByAddress(_strAddress, _iMode, _lstHostIDs);
}

int CLS_DataAccess::GetHostIdsByProxyType(int _iProxyType, QStringList& _lstHostIDs)
{
    return CLS_HostEntityDAO::GetInstance()->GetHostIdsByProxyType(_iProxyType, _lstHostIDs);
}

int CLS_DataAccess::GetVideoHostTypes(int _iDevType, QString _strLangType, QMap<int, QString>& _mapTypes)
{
    return CLS_HostEntityDAO::GetInstance()->GetVideoHostTypes(_iDevType, _strLangType, _mapTypes);
}

int CLS_DataAccess::GetLocalRecorderCredentials(QString& _strUserName, QString& _strPassword)
{
    return CLS_HostEntityDAO::GetInstance()->GetLocalRecorderCredentials(_strUserName, _strPassword);
}

int CLS_DataAccess::GetLocalRecorderAddress(QString& _strIP, int& _iHttpPort, int& _iPort)
{
    return CLS_HostEntityDAO::GetInstance()->GetLocalRecorderAddress(_strIP, _iHttpPort, _iPort);
}

int CLS_DataAccess::SetLocalRecorderPassword(QString _strPassword)
{
    return CLS_HostEntityDAO::GetInstance()->SetLocalRecorderPassword(_strPassword);
}

int CLS_DataAccess::SetR480HostConfig(QString _qstrUserName, QString _qstrNewPwd)
{
    // Only the password is stored: the recorder's user name does not change.
    Q_UNUSED(_qstrUserName);
    return CLS_HostEntityDAO::GetInstance()->SetLocalRecorderPassword(_qstrNewPwd);
}

int CLS_DataAccess::SetHostDefenceState(QString _strHostID, int _iState)
{
    if (_strHostID.isEmpty()) {
        qDebug() << "_strHostID.length() <= 0 || _strHostID == nullptr";
        return -1;
    }
    return CLS_HostEntityDAO::GetInstance()->SetHostDefenceState(_strHostID, _iState);
}

int CLS_DataAccess::InsertChannel(const CLS_ChannelEntity& _channelEntity)
{
    return CLS_ChannelEntityDAO::GetInstance()->InsertChannel(_channelEntity);
}

int CLS_DataAccess::InsertChannels(const QVector<CLS_ChannelEntity*>& _vecChannels)
{
    return CLS_ChannelEntityDAO::GetInstance()->InsertChannels(_vecChannels);
}

int CLS_DataAccess::UpdateChannel(const CLS_ChannelEntity& _channelEntity)
{
    return CLS_ChannelEntityDAO::GetInstance()->UpdateChannel(_channelEntity);
}

int CLS_DataAccess::UpdateChannels(const QVector<CLS_ChannelEntity*>& _vecChannels)
{
    return CLS_ChannelEntityDAO::GetInstance()->UpdateChannels(_vecChannels);
}

int CLS_DataAccess::DeleteChannel(QString _strChannelID)
{
    if (_strChannelID.isEmpty()) {
        qDebug() << "_strChannelID.length() <= 0 || _strChannelID == nullptr";
        return -1;
    }
    return CLS_ChannelEntityDAO::GetInstance()->DeleteChannel(_strChannelID);
}

int CLS_DataAccess::DeleteChannelsOfHost(QString _strHostID)
{
    if (_strHostID.isEmpty()) {
        qDebug() << "_strHostID.length() <= 0 || _strHostID == nullptr";
        return -1;
    }
    return CLS_ChannelEntityDAO::GetInstance()->DeleteChannelsOfHost(_strHostID);
}

int CLS_DataAccess::DeleteChannels(const QStringList& _lstChannelIDs)
{
    return CLS_ChannelEntityDAO::GetInstance()->DeleteChannels(_lstChannelIDs);
}

int CLS_DataAccess::GetAllChannels(QVector<CLS_ChannelEntity*>& _vecChannels)
{
    return CLS_ChannelEntityDAO::GetInstance()->GetAllChannels(_vecChannels);
}

int CLS_DataAccess::GetChannelById(QString _strChannelID, CLS_ChannelEntity& _channelEntity)
{
    if (_strChannelID.isEmpty()) {
        qDebug() << "_strChannelID.length() <= 0 || _strChannelID == nullptr";
        return -1;
    }
    return CLS_ChannelEntityDAO::GetInstance()->GetChannelById(_strChannelID, _channelEntity);
}

int CLS_DataAccess::GetChannelByNum(QString _strHostID, int _iChannelNo, CLS_ChannelEntity& _channelEntity)
{
    if (_strHostID.isEmpty() || _iChannelNo < 0) {
        qDebug() << "_strHostID.length() <= 0 || _strHostID == nullptr || _iChannelNo < 0";
        return -1;
    }
    return CLS_ChannelEntityDAO::GetInstance()->GetChannelByNum(_strHostID, _iChannelNo, _channelEntity);
}

int CLS_DataAccess::GetChannelCountOfHost(QString _strHostID)
{
    if (_strHostID.isEmpty()) {
        qDebug() << "_strHostID.length() <= 0 || _strHostID == nullptr";
        return -1;
    }
    return CLS_ChannelEntityDAO::GetInstance()->GetChannelCountOfHost(_strHostID);
}

int CLS_DataAccess::GetChannelCounts(QMap<QString, int>& _mapCounts)
{
    return CLS_ChannelEntityDAO::GetInstance()->GetChannelCounts(_mapCounts);
}

int CLS_DataAccess::GetCameraCount(QString _strUserID)
{
    return CLS_ChannelEntityDAO::GetInstance()->GetCameraCount(_strUserID);
}

int CLS_DataAccess::SetChannelDefenceState(QString _strChannelID, int _iState)
{
    if (_strChannelID.isEmpty()) {
        qDebug() << "_strChannelID.length() <= 0 || _strChannelID == nullptr";
        return -1;
    }
    return CLS_ChannelEntityDAO::GetInstance()->SetChannelDefenceState(_strChannelID, _iState);
}

int CLS_DataAccess::SetObjectCaption(QString _strObjID, QString _strCaption)
{
    if (_strObjID.isEmpty()) {
        qDebug() << "_strObjID.length() <= 0 || _strObjID == nullptr";
        return -1;
    }
    return CLS_ChannelEntityDAO::GetInstance()->SetObjectCaption(_strObjID, _strCaption);
}

int CLS_DataAccess::SetObjectCaptions(const QMap<QString, QString>& _mapCaptions)
{
    if (_mapCaptions.contains(QString())) {
        qDebug() << "_mapCaptions.contains(QString())";
        return -1;
    }
    return CLS_ChannelEntityDAO::GetInstance()->SetObjectCaptions(_mapCaptions);
}

int CLS_DataAccess::InsertAlarmIn(const CLS_AlarmInEntity& _alarmInEntity)
{
    return CLS_AlarmInEntityDAO::GetInstance()->InsertAlarmIn(_alarmInEntity);
}

int CLS_DataAccess::InsertAlarmIns(const QVector<CLS_AlarmInEntity*>& _vecAlarmIns)
{
    return CLS_AlarmInEntityDAO::GetInstance()->InsertAlarmIns(_vecAlarmIns);
}

int CLS_DataAccess::UpdateAlarmIn(const CLS_AlarmInEntity& _alarmInEntity)
{
    return CLS_AlarmInEntityDAO::GetInstance()->UpdateAlarmIn(_alarmInEntity);
}

int CLS_DataAccess::UpdateAlarmIns(const QVector<CLS_AlarmInEntity*>& _vecAlarmIns)
{
    return CLS_AlarmInEntityDAO::GetInstance()->UpdateAlarmIns(_vecAlarmIns);
}

int CLS_DataAccess::DeleteAlarmIns(const QStringList& _lstAlarmInIDs)
{
    return CLS_AlarmInEntityDAO::GetInstance()->DeleteAlarmIns(_lstAlarmInIDs);
}

int CLS_DataAccess::GetAllAlarmIns(QVector<CLS_AlarmInEntity*>& _vecAlarmIns)
{
    return CLS_AlarmInEntityDAO::GetInstance()->GetAllAlarmIns(_vecAlarmIns);
}

int CLS_DataAccess::GetAlarmInCountOfHost(QString _strHostID)
{
    if (_strHostID.isEmpty()) {
        qDebug() << "_strHostID.length() <= 0 || _strHostID == nullptr";
        return -1;
    }
    return CLS_AlarmInEntityDAO::GetInstance()->GetAlarmInCountOfHost(_strHostID);
}

int CLS_DataAccess::GetAlarmInCounts(QMap<QString, int>& _mapCounts)
{
    return CLS_AlarmInEntityDAO::GetInstance()->GetAlarmInCounts(_mapCounts);
}

bool CLS_DataAccess::IsAlarmInNumExist(QString _strHostID, int _iNum)
{
    if (_strHostID.isEmpty()) {
        qDebug() << "_strHostID.length() <= 0 || _strHostID == nullptr";
        return false;
    }
    return CLS_AlarmInEntityDAO::GetInstance()->IsAlarmInNumExist(_strHostID, _iNum);
}

int CLS_DataAccess::SetAlarmInDefenceState(QString _strAlarmInID, int _iState)
{
    if (_strAlarmInID.isEmpty()) {
        qDebug() << "_strAlarmInID.length() <= 0 || _strAlarmInID == nullptr";
        return -1;
    }
    return CLS_AlarmInEntityDAO::GetInstance()->SetAlarmInDefenceState(_strAlarmInID, _iState);
}

int CLS_DataAccess::InsertAlarmOut(const CLS_AlarmOutEntity& _alarmOutEntity)
{
    return CLS_AlarmOutEntityDAO::GetInstance()->InsertAlarmOut(_alarmOutEntity);
}

int CLS_DataAccess::InsertAlarmOuts(const QVector<CLS_AlarmOutEntity*>& _vecAlarmOuts)
{
    return CLS_AlarmOutEntityDAO::GetInstance()->InsertAlarmOuts(_vecAlarmOuts);
}

int CLS_DataAccess::UpdateAlarmOut(const CLS_AlarmOutEntity& _alarmOutEntity)
{
    return CLS_AlarmOutEntityDAO::GetInstance()->UpdateAlarmOut(_alarmOutEntity);
}

int CLS_DataAccess::UpdateAlarmOuts(const QVector<CLS_AlarmOutEntity*>& _vecAlarmOuts)
{
    return CLS_AlarmOutEntityDAO::GetInstance()->UpdateAlarmOuts(_vecAlarmOuts);
}

int CLS_DataAccess::DeleteAlarmOuts(const QStringList& _lstAlarmOutIDs)
{
    return CLS_AlarmOutEntityDAO::GetInstance()->DeleteAlarmOuts(_lstAlarmOutIDs);
}

int CLS_DataAccess::GetAllAlarmOuts(QVector<CLS_AlarmOutEntity*>& _vecAlarmOuts)
{
    return CLS_AlarmOutEntityDAO::GetInstance()->GetAllAlarmOuts(_vecAlarmOuts);
}

int CLS_DataAccess::GetAlarmOutCountOfHost(QString _strHostID)
{
    if (_strHostID.isEmpty()) {
        qDebug() << "_strHostID.length() <= 0 || _strHostID == nullptr";
        return -1;
    }
    return CLS_AlarmOutEntityDAO::GetInstance()->GetAlarmOutCountOfHost(_strHostID);
}

int CLS_DataAccess::GetAlarmOutCounts(QMap<QString, int>& _mapCounts)
{
    return CLS_AlarmOutEntityDAO::GetInstance()->GetAlarmOutCounts(_mapCounts);
}

bool CLS_DataAccess::IsAlarmOutNumExist(QString _strHostID, int _iNum)
{
    if (_strHostID.isEmpty()) {
        qDebug() << "_strHostID.length() <= 0 || _strHostID == nullptr";
        return false;
    }
    return CLS_AlarmOutEntityDAO::GetInstance()->IsAlarmOutNumExist(_strHostID, _iNum);
}

int CLS_DataAccess::InsertEncIn(const CLS_EncInEntity& _encInEntity)
{
    return CLS_EncInEntityDAO::GetInstance()->InsertEncIn(_encInEntity);
}

int CLS_DataAccess::UpdateEncIn(const CLS_EncInEntity& _encInEntity)
{
    return CLS_EncInEntityDAO::GetInstance()->UpdateEncIn(_encInEntity);
}

int CLS_DataAccess::SetEncInDisplayType(QString _strEncInID, int _iDisplayType)
{
    if (_strEncInID.isEmpty()) {
        qDebug() << "_strEncInID.length() <= 0 || _strEncInID == nullptr";
        return -1;
    }
    return CLS_EncInEntityDAO::GetInstance()->SetEncInDisplayType(_strEncInID, _iDisplayType);
}

int CLS_DataAccess::DeleteEncIn(QString _strEncInID)
{
    if (_strEncInID.isEmpty()) {
        qDebug() << "_strEncInID.length() <= 0 || _strEncInID == nullptr";
        return -1;
    }
    return CLS_EncInEntityDAO::GetInstance()->DeleteEncIn(_strEncInID);
}

int CLS_DataAccess::GetAllEncIns(QVector<CLS_EncInEntity*>& _vecEncIns)
{
    return CLS_EncInEntityDAO::GetInstance()->GetAllEncIns(_vecEncIns);
}

int CLS_DataAccess::GetEncInsOfDecoder(QString _strDecID, QVector<CLS_EncInEntity*>& _vecEncIns)
{
    if (_strDecID.isEmpty()) {
        qDebug() << "_strDecID.length() <= 0 || _strDecID == nullptr";
        return -1;
    }
    return CLS_EncInEntityDAO::GetInstance()->GetEncInsOfDecoder(_strDecID, _vecEncIns);
}

int CLS_DataAccess::GetEncInCountOfDecoder(QString _strDecID)
{
    if (_strDecID.isEmpty()) {
        qDebug() << "_strDecID.length() <= 0 || _strDecID == nullptr";
        return -1;
    }
    return CLS_EncInEntityDAO::GetInstance()->GetEncInCountOfDecoder(_strDecID);
}

CLS_EncInEntity* CLS_DataAccess::GetEncInByNum(QString _strDecID, int _iNum)
{
    if (_strDecID.isEmpty()) {
        qDebug() << "_strDecID.length() <= 0 || _strDecID == nullptr";
        return nullptr;
    }
    return CLS_EncInEntityDAO::GetInstance()->GetEncInByNum(_strDecID, _iNum);
}

CLS_EncInEntity* CLS_DataAccess::GetEncInById(QString _strEncInID)
{
    if (_strEncInID.isEmpty()) {
        qDebug() << "_strEncInID.length() <= 0 || _strEncInID == nullptr";
        return nullptr;
    }
    return CLS_EncInEntityDAO::GetInstance()->GetEncInById(_strEncInID);
}

bool CLS_DataAccess::IsEncInNumExist(QString _strDecID, int _iNum)
{
    if (_strDecID.isEmpty()) {
        qDebug() << "_strDecID.length() <= 0 || _strDecID == nullptr";
        return false;
    }
    return CLS_EncInEntityDAO::GetInstance()->IsEncInNumExist(_strDecID, _iNum);
}

int CLS_DataAccess::GetProducts(QString _strCode, QVector<CLS_ProductEntity*>& _vecProducts)
{
    if (_strCode.isEmpty()) {
        qDebug() << "_strCode.length() <= 0 || _strCode == nullptr";
        return -1;
    }
    return CLS_ProductEntityDAO::GetInstance()->GetProducts(_strCode, _vecProducts);
}

int CLS_DataAccess::InsertDev(const Common::STRCT_DevItem& _devItem)
{
    return CLS_DevDAO::GetInstance()->InsertDev(_devItem);
}

int CLS_DataAccess::ReplaceDev(const Common::STRCT_DevItem& _devItem)
{
    return CLS_DevDAO::GetInstance()->ReplaceDev(_devItem);
}

int CLS_DataAccess::DeleteDev(QString _strDevID)
{
    if (_strDevID.isEmpty()) {
        qDebug() << "_strDevID.length() <= 0 || _strDevID == nullptr";
        return -1;
    }
    return CLS_DevDAO::GetInstance()->DeleteDev(_strDevID);
}

bool CLS_DataAccess::IsDevExist(const Common::STRCT_DevItem& _devItem)
{
    return CLS_DevDAO::GetInstance()->IsDevExist(_devItem);
}

int CLS_DataAccess::GetDevsByType(QVector<Common::STRCT_DevItem>& _vecDevs, int _iType,
                                  Common::STRCT_PageInfo& _pageInfo)
{
    if (_pageInfo.iPageSize <= 0) {
        qDebug() << "_pageInfo.iPageSize <= 0";
        return -1;
    }
    return CLS_DevDAO::GetInstance()->GetDevsByType(_vecDevs, _iType, _pageInfo);
}

int CLS_DataAccess::GetAllDevs(QVector<Common::STRCT_DevItem>& _vecDevs)
{
    return CLS_DevDAO::GetInstance()->GetAllDevs(_vecDevs);
}
