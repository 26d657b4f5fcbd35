// The one object through which the mediator reaches storage: checks arguments and forwards to
// the DAO of the table concerned or to CLS_RemoteDBHandler.
#ifndef CLS_DATAACCESS_H
#define CLS_DATAACCESS_H

#include "CLS_RemoteDBHandler.h"
#include "DataMediatorExport.h"
// devices
#include "CLS_ChannelEntity.h"
#include "CLS_HostEntity.h"
#include "CLS_ProductEntity.h"
#include "DevItem.h"
// users, roles and rights; settings and configuration
#include "CLS_RoleEntity.h"
#include "CLS_UserEntity.h"
#include "DataBase/EntityDao/SysConfig/CLS_HomeModulesEntity.h"
#include "DataBase/EntityDao/User/CLS_AuthEntity.h"
#include "STRCT_SettingRecords.h"

// custom trees and passenger-flow trees
#include "CLS_CustomTreeEntity.h"

// views and decoders

// maps and areas

// alarms

// recordings and face captures

// passenger-flow statistics

// behaviour analysis and passages

// face libraries and security vehicles

// web-service files

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

class CLS_AlarmInEntity;  // devices
class CLS_AlarmOutEntity;
class CLS_EncInEntity;
class CLS_IntelligentDataRecEntityDAO;
class CLS_WayDataRecEntityDAO;
class CLS_PadDataRecvDao;
class CLS_CarDataRecvDao;

class DATAMEDIATOR_EXPORT CLS_DataAccess
{
public:
    /// Created on first call (no lock: the first call comes from start-up), never destroyed.
    static CLS_DataAccess& GetInstance();
    virtual ~CLS_DataAccess();

    /// Settles the system id, then binds the WebSocket library for the server. 0 or the failure.
    int InitData(const QString& _strServerIP, int _iPort);
    bool SetDBCallback(DBStatusCallback _pCallback, void* _pUser);
    int CreateDBConnection();

    // ---- maintenance ----
    int BackupDatabase(const QString& _strFilePath, const QList<QString>& _lstDbNames,
                       QMap<QString, bool>& _mapResults);
    int RestoreDatabase(QString& _strFilePath, const QList<QString>& _lstDbNames, QMap<QString, bool>& _mapResults,
                        int _iTimeout);
    int DownLoadDB(QMap<QString, QVariant>& _mapDbData);
    int UploadDB(QMap<QString, QVariant>& _mapDbData, QMap<QString, int>& _mapResults);
    int GetAllNetworkInfo(QList<_NetworkInfo*>& _lstInfo);
    int GetSystemStatusByName(const QString& _strName, _NetworkInfo*& _pInfo);

    // ---- domain families, in the order of their domains; each family's bodies live in a
    //      CLS_DataAccess<Family>.cpp of its own ----

    // ---- devices ----
    // Forwarders to the device DAOs (bodies in CLS_DataAccessDevices.cpp). Ids are checked:
    // an empty one is refused with -1 (false, null) and the condition on the debug stream,
    // without a request. Entities in output vectors belong to the caller.
    int InsertHost(const CLS_HostEntity& _hostEntity);
    int UpdateHost(const CLS_HostEntity& _hostEntity);
    int DeleteHost(QString _strHostID);
    int GetHostById(QString _strHostID, CLS_HostEntity& _hostEntity);
    int GetHostsOfUser(QString _strUserID, QVector<CLS_HostEntity*>& _vecHosts);
    int GetHostCount(int _iDevType, QString _strUserID);
    int GetHostPageCount(int _iPageSize);
    int GetHostPage(int _iPageSize, int _iPageIndex, QVector<CLS_HostEntity*>& _vecHosts);
    bool IsHostExist(QString _strHostID);
    int GetHostIdsByAddress(QString _strAddress, int _iMode, QStringList& _lstHostIDs);
    int GetHostIdsByProxyType(int _iProxyType, QStringList& _lstHostIDs);
    int GetVideoHostTypes(int _iDevType, QString _strLangType, QMap<int, QString>& _mapTypes);
    int GetLocalRecorderCredentials(QString& _strUserName, QString& _strPassword);
    int GetLocalRecorderAddress(QString& _strIP, int& _iHttpPort, int& _iPort);
    int SetLocalRecorderPassword(QString _strPassword);
    /// Stores the local recorder's new password (the user name is not stored).
    int SetR480HostConfig(QString _qstrUserName, QString _qstrNewPwd);
    int SetHostDefenceState(QString _strHostID, int _iState);

    int InsertChannel(const CLS_ChannelEntity& _channelEntity);
    int InsertChannels(const QVector<CLS_ChannelEntity*>& _vecChannels);
    int UpdateChannel(const CLS_ChannelEntity& _channelEntity);
    int UpdateChannels(const QVector<CLS_ChannelEntity*>& _vecChannels);
    int DeleteChannel(QString _strChannelID);
    int DeleteChannelsOfHost(QString _strHostID);
    int DeleteChannels(const QStringList& _lstChannelIDs);
    int GetAllChannels(QVector<CLS_ChannelEntity*>& _vecChannels);
    int GetChannelById(QString _strChannelID, CLS_ChannelEntity& _channelEntity);
    int GetChannelByNum(QString _strHostID, int _iChannelNo, CLS_ChannelEntity& _channelEntity);
    int GetChannelCountOfHost(QString _strHostID);
    int GetChannelCounts(QMap<QString, int>& _mapCounts);
    int GetCameraCount(QString _strUserID);
    int SetChannelDefenceState(QString _strChannelID, int _iState);
    int SetObjectCaption(QString _strObjID, QString _strCaption);
    /// Captions of several objects (id -> caption) in one transaction; 0 for an empty map.
    int SetObjectCaptions(const QMap<QString, QString>& _mapCaptions);

    int InsertAlarmIn(const CLS_AlarmInEntity& _alarmInEntity);
    int InsertAlarmIns(const QVector<CLS_AlarmInEntity*>& _vecAlarmIns);
    int UpdateAlarmIn(const CLS_AlarmInEntity& _alarmInEntity);
    int UpdateAlarmIns(const QVector<CLS_AlarmInEntity*>& _vecAlarmIns);
    int DeleteAlarmIns(const QStringList& _lstAlarmInIDs);
    int GetAllAlarmIns(QVector<CLS_AlarmInEntity*>& _vecAlarmIns);
    int GetAlarmInCountOfHost(QString _strHostID);
    int GetAlarmInCounts(QMap<QString, int>& _mapCounts);
    bool IsAlarmInNumExist(QString _strHostID, int _iNum);
    int SetAlarmInDefenceState(QString _strAlarmInID, int _iState);

    int InsertAlarmOut(const CLS_AlarmOutEntity& _alarmOutEntity);
    int InsertAlarmOuts(const QVector<CLS_AlarmOutEntity*>& _vecAlarmOuts);
    int UpdateAlarmOut(const CLS_AlarmOutEntity& _alarmOutEntity);
    int UpdateAlarmOuts(const QVector<CLS_AlarmOutEntity*>& _vecAlarmOuts);
    int DeleteAlarmOuts(const QStringList& _lstAlarmOutIDs);
    int GetAllAlarmOuts(QVector<CLS_AlarmOutEntity*>& _vecAlarmOuts);
    int GetAlarmOutCountOfHost(QString _strHostID);
    int GetAlarmOutCounts(QMap<QString, int>& _mapCounts);
    bool IsAlarmOutNumExist(QString _strHostID, int _iNum);

    int InsertEncIn(const CLS_EncInEntity& _encInEntity);
    int UpdateEncIn(const CLS_EncInEntity& _encInEntity);
    int SetEncInDisplayType(QString _strEncInID, int _iDisplayType);
    int DeleteEncIn(QString _strEncInID);
    int GetAllEncIns(QVector<CLS_EncInEntity*>& _vecEncIns);
    int GetEncInsOfDecoder(QString _strDecID, QVector<CLS_EncInEntity*>& _vecEncIns);
    int GetEncInCountOfDecoder(QString _strDecID);
    CLS_EncInEntity* GetEncInByNum(QString _strDecID, int _iNum);
    CLS_EncInEntity* GetEncInById(QString _strEncInID);
    bool IsEncInNumExist(QString _strDecID, int _iNum);

    int GetProducts(QString _strCode, QVector<CLS_ProductEntity*>& _vecProducts);

    int InsertDev(const Common::STRCT_DevItem& _devItem);
    int ReplaceDev(const Common::STRCT_DevItem& _devItem);
    int DeleteDev(QString _strDevID);
    bool IsDevExist(const Common::STRCT_DevItem& _devItem);
    int GetDevsByType(QVector<Common::STRCT_DevItem>& _vecDevs, int _iType,
                      Common::STRCT_PageInfo& _pageInfo);
    int GetAllDevs(QVector<Common::STRCT_DevItem>& _vecDevs);

    // ---- users, roles and rights ----
    // Checked forwarders to CLS_UserEntityDAO and CLS_RoleEntityDAO: an empty name or id is
    // refused with -1 (false, empty) and a level-3 line, without a request.
    /// 0, -11 (unknown or expired), -12 (wrong password) or -1.
    int LoginUser(QString _strUserName, QString _strpwd);
    /// Id of the user of that name; empty when there is none.
    QString GetUserID(QString _strUserName);
    /// The first administrator with the login defaults of this system's personal settings.
    int AddUser(QString _strUserName, QString _strpwd);
    int InsertUserAndRelatedInfo(const CLS_UserEntity& _user, const CLS_RoleEntity& _role);
    int UpdateUserInfo(const CLS_UserEntity& _user);
    int DeleteUser(QString _strUserID);
    bool IsUserExist(QString _strUserName, QString _strUserID);
    /// Appends every user (password decoded); the caller owns the entities. 0 or -1.
    int GetAllUser(QVector<CLS_UserEntity*>& _vecUsers);
    /// The decoded password of the user of that name; empty when not found.
    QString GetUserPassWord(QString _strUserName);
    /// Appends the roles of the user. 0 or -1.
    int GetRoleByUser(QString _strUserID, QVector<CLS_RoleEntity>& _vecRoles);
    int DeleteRole(QString _strRoleID);
    int UpdateRole(const CLS_RoleEntity& _role);
    bool GetAuthorityByRole(QString _strRoleID, QMap<qint32, QVector<CLS_AuthEntity>>& _mapAuth);
    bool HasAuthority(QString _strRoleID, QString _strObjID, qint32 _iAuthorityType);
    int UpdateAuthToRole(const CLS_AuthEntity& _auth);
    int UpdateAuthToRoles(const QMap<qint32, QVector<CLS_AuthEntity>>& _mapAuth);

    // ---- settings and configuration ----
    // Forwarders to CLS_ConfigDAO and the dictionary DAOs.
    /// One setting; empty when missing.
    QString GetConfigValue(QString _strMainType, QString _strSubType, QString _strUserID);
    /// Writes one existing setting (common row first, else personal). 0 or the failure.
    int SetConfigValue(QString _strMainType, QString _strSubType, QString _strValue, QString _strUserID);
    /// Every key → value of a group, personal values over common ones.
    QMap<QString, QString> GetConfigMap(QString _strMainType);
    /// Every key → value of a group of the common table.
    QMap<QString, QString> GetComConfig(QString _strMainType);
    int SaveComInfo(const QMap<QString, QString>& _mapValues);
    int SavePersonalInfo(const QMap<QString, QString>& _mapValues);
    STRCT_DeviceAddConfig GetDeviceAddConfig();
    /// Caption → abbreviation of the display flags.
    QMap<QString, QString> GetCurDisplayflag();
    int RecoverDefaultDisplayFlag();
    /// Caption → abbreviation of the skins.
    QMap<QString, QString> GetSkins();
    QList<STRCT_LanguageInfo> GetLanguages();
    QMap<qint32, QString> GetLangDictionary(QString _strLangType);
    QString GetLangDictionaryEntry(QString _strLangType, qint32 _iId);
    /// Appends the home modules. 0 or -1.
    int GetHomeModules(QVector<CLS_HomeModulesEntity>& _vecModules);
    STRCT_DomainServerInfo GetDomainServerInfo();
    /// The "SoftwareType" setting, "r480" when it is missing. With "r480" the alarm-record,
    /// face-capture and passenger-flow operations fill their outputs and report success but
    /// store nothing.
    QString GetSoftwareType();
    static const char* const kSoftwareTypeNoRecords;  ///< "r480"

    // ---- custom trees and passenger-flow trees ----
    // Forwarders to CLS_CustomTreeEntityDAO (custom trees) and to the tree side of
    // CLS_PassengerFlowDAO (bodies in CLS_DataAccessCustomTree.cpp). An empty user or node id
    // is refused with -1 and the condition on the debug stream, without a request. Entities
    // appended to output vectors belong to the caller.
    int GetRootNodes(QString _strUserID, QVector<CLS_CustomTreeNodesEntity*>& _vecNodes);
    int GetChildNodes(QString _strUserID, QString _strParentID, QVector<CLS_CustomTreeNodesEntity*>& _vecNodes);
    int GetRootChildNodes(QString _strUserID, QVector<CLS_CustomTreeEntity*>& _vecNodes);
    int GetChildNodesTypePassenger(CLS_CustomTreeNodesEntity& _entity);
    /// The I_NUM the server gave the node, or -1.
    int InsertCustomTreeNode(const CLS_CustomTreeEntity& _entity);
    /// One transaction; the nodes' I_NUM are read back into them.
    int InsertCustomTreeNodeEx(const QVector<CLS_CustomTreeEntity*>& _vecNodes);
    int UpdateCustomTreeNodeCaption(const CLS_CustomTreeEntity& _entity);
    int SetCustomTreeNodeNum(QString _strNodeID, int _iNum);
    int SetCustomTreeNodeNums(const QMap<QString, int>& _mapNums);
    /// The node and every node below it.
    int DeleteCustomTreeNode(QString _strNodeID);
    int DeleteCustomTreeNodesOfObjects(const QStringList& _lstObjIDs);

    int GetPassengerFlowTreeNodes(QString _strUserID, QString _strParentID,
                                  QVector<CLS_CustomTreeEntity*>& _vecNodes);
    int GetRootChildNodesTypePassenager(QString _strUserID, QVector<CLS_CustomTreeNodesEntity*>& _vecNodes);
    int GetChildNodesTypePassenager(QString _strParentID, QVector<CLS_CustomTreeNodesEntity*>& _vecNodes);
    /// The I_NUM the server gave the group, or -1.
    int InsertPassengerFlowGroup(const CLS_CustomTreeEntity& _entity);
    int InsertPassengerFlowNodes(const QVector<CLS_CustomTreeEntity*>& _vecNodes);
    int UpdatePassengerFlowNodeCaption(QString _strUserID, QString _strNodeID, QString _strCaption);
    int DeletePassengerFlowNodesOfObject(QString _strUserID, QString _strObjID);
    int DeletePassengerFlowTreeGroup(QString _strUserID, QString _strNodeID);
    /// All device nodes of the user when _strObjID is empty.
    int DeletePassengerFlowDeviceNodes(QString _strUserID, QString _strObjID);

    // ---- views, view cruises and group switching ----

    // ---- decoders and TV wall ----

    // ---- electronic maps and areas ----

    // ---- alarm catalogue and linkage ----

    // ---- alarm records ----

    // ---- recording files ----

    // ---- face captures ----

    // ---- passenger-flow statistics ----

    // ---- behaviour analysis and passage histories ----

    // ---- face libraries and synchronisation tasks ----

    // ---- security vehicle lists ----

    // ---- web-service file operations ----

private:
    CLS_DataAccess();
    CLS_DataAccess(const CLS_DataAccess&) = delete;
    CLS_DataAccess& operator=(const CLS_DataAccess&) = delete;

    // Owned DAOs of the intelligent-record and passage-history families; created with those
    // families, null until then (their forwarders check for null).
    CLS_IntelligentDataRecEntityDAO* m_pIntelligentDataRecEntityDAO = nullptr;
    CLS_WayDataRecEntityDAO* m_pWayDataRecEntityDAO = nullptr;
    CLS_PadDataRecvDao* m_pPadDataRecvDao = nullptr;
    CLS_CarDataRecvDao* m_pCarDataRecvDao = nullptr;
};

#endif  // CLS_DATAACCESS_H
