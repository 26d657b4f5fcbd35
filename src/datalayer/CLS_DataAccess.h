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
#include "CLS_DecoderEntities.h"
#include "CLS_ViewEntities.h"

// maps and areas
#include "CLS_ElectronicMapEntity.h"

// alarms
#include "STRCT_Alarm.h"

// recordings and face captures
#include "CLS_IntelligentDataRecEntity.h"
#include "CLS_RecFileEntity.h"
#include <QDateTime>
#include <QPair>
#include <QSet>
#include <QVector>

// passenger-flow statistics
#include "CLS_PassengerFlowEntity.h"

// behaviour analysis and passages
#include "CLS_PassageEntities.h"

// face libraries and security vehicles
#include "CLS_FaceLibEntities.h"
#include "CLS_SecurityCarEntity.h"

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
    // Virtual slots 1 and 2: pad and way passages, one page newest first (CLS_DataAccessPassages.cpp).
    virtual int QueryPadHistory(const STRCT_PassageQuery& _query, QVector<CLS_PadDataRecvEntity>& _vecRecords);
    virtual int QueryWayHistory(const STRCT_PassageQuery& _query, QVector<CLS_WayDataRecEntity>& _vecRecords);
    // Virtual slots 3 to 9, after the pad and way history of slots 1 and 2.
    virtual int GetPersonInfoByPersonID(QString _qstrPersonId, CLS_FaceInfoEntity& _person);
    virtual int ResetSecurityCarSendStatus(int _iOldState, int _iNewState);
    virtual int ReplaceSecurityCarSend(const CLS_SecurityCarSendEntity& _send);
    virtual int QuerySendDataByTerminalSn(QString _qstrTerminalSn, QVector<CLS_SecurityCarSendEntity>& _vecSends);
    virtual int UpdateSecurityCarSend(const CLS_SecurityCarSendEntity& _send, QString _qstrOldCmdId);
    virtual int UpdateSecurityCarSendStatusByCmd(QString _qstrTerminalSn, QString _qstrCmdId, int _iState);
    virtual int PurgeSecurityCarRemovals();

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
    int GetServerStatus(QJsonObject& _objStatus);

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
    /// One setting; empty when missing, and when the read failed.
    QString GetConfigValue(QString _strMainType, QString _strSubType, QString _strUserID);
    /// One setting into _strValue (empty when missing); 0, or -1 when the read failed.
    int GetConfigValue(const QString& _strMainType, const QString& _strSubType, const QString& _strUserID,
                       QString& _strValue);
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
    /// store nothing. 0, or -1 (logged, _strType untouched) when the read failed: those
    /// operations then fail instead of reading the failure as "r480".
    int GetSoftwareType(QString& _strType);
    /// The same; empty text when the read failed.
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
    /// The I_NUM the server gave the node, or -1. *_pbWritten (when given): whether the insert
    /// went through; a failure after it must not be answered with a second insert.
    qint64 InsertCustomTreeNode(const CLS_CustomTreeEntity& _entity, bool* _pbWritten = nullptr);
    /// One transaction; the nodes' I_NUM are read back into them. *_pbWritten as above.
    int InsertCustomTreeNodeEx(const QVector<CLS_CustomTreeEntity*>& _vecNodes, bool* _pbWritten = nullptr);
    int UpdateCustomTreeNodeCaption(const CLS_CustomTreeEntity& _entity);
    int SetCustomTreeNodeNum(QString _strNodeID, qint64 _iNum);
    int SetCustomTreeNodeNums(const QMap<QString, qint64>& _mapNums);
    /// The node and every node below it.
    int DeleteCustomTreeNode(QString _strNodeID);
    int DeleteCustomTreeNodesOfObjects(const QStringList& _lstObjIDs);

    int GetPassengerFlowTreeNodes(QString _strUserID, QString _strParentID,
                                  QVector<CLS_CustomTreeEntity*>& _vecNodes);
    int GetRootChildNodesTypePassenager(QString _strUserID, QVector<CLS_CustomTreeNodesEntity*>& _vecNodes);
    int GetChildNodesTypePassenager(QString _strParentID, QVector<CLS_CustomTreeNodesEntity*>& _vecNodes);
    /// The I_NUM the server gave the group, or -1; *_pbWritten as for InsertCustomTreeNode.
    qint64 InsertPassengerFlowGroup(const CLS_CustomTreeEntity& _entity, bool* _pbWritten = nullptr);
    int InsertPassengerFlowNodes(const QVector<CLS_CustomTreeEntity*>& _vecNodes, bool* _pbWritten = nullptr);
    int UpdatePassengerFlowNodeCaption(QString _strUserID, QString _strNodeID, QString _strCaption);
    int DeletePassengerFlowNodesOfObject(QString _strUserID, QString _strObjID);
    int DeletePassengerFlowTreeGroup(QString _strUserID, QString _strNodeID);
    /// All device nodes of the user when _strObjID is empty.
    int DeletePassengerFlowDeviceNodes(QString _strUserID, QString _strObjID);

    // ---- views, view cruises and group switching ----
    // Forwarders to the view, view-cruise and group-switch DAOs (CLS_DataAccessViews.cpp). An
    // empty id or user is refused with -1 (false) without a request.
    int InsertView(CLS_ViewEntity& _viewEntity);
    int UpdateView(QString _strViewID, QString _strCaption);
    int DeleteView(QString _strViewID);
    int GetAllView(QVector<CLS_ViewEntity*>& _vecViews);
    int GetViewById(QString _strViewID, CLS_ViewEntity& _viewEntity);
    int GetViewByType(int _iViewType, QVector<STRCT_ViewCaption>& _vecViews);
    int GetViewByLayout(QString _strLayoutID, int _iViewType, QVector<STRCT_ViewCaption>& _vecViews);
    bool IsViewExist(QString _strCaption);
    int InsertViewCruise(CLS_ViewCruiseEntity& _entry);
    int UpdateViewCruiseTime(QString _strID, int _iTime);
    int UpdateViewCruiseSequence(QString _strID, int _iSequence);
    int DeleteViewCruise(QString _strID);
    int GetAllViewCruise(QString _qstrUserId, int _iViewType, QString _strLayoutID,
                         QVector<CLS_ViewCruiseEntity*>& _vecEntries);
    int GetViewCruiseByType(QString _strUserID, int _iViewType, QVector<CLS_ViewCruiseEntity*>& _vecEntries);
    bool IsViewInCruise(QString _strViewID);
    int InsertGroupSwitch(QString _strUserID, QString _strGroupID, int _iScreenStyle, int _iSwitchTime);
    int DeleteGroupSwitch(QString _strGroupID);
    int UpdateGroupSwitchScreenStyle(QString _strGroupID, int _iScreenStyle);
    int UpdateGroupSwitchSwitchTime(QString _strUserID, int _iSwitchTime);
    int GetAllGroupSwitch(QString _strUserID, QVector<CLS_GroupSwitchEntity>& _vecGroups);
    bool IsGroupSwitchExist(QString _strGroupID);
    int GetSwitchTime(QString _strUserID);

    // ---- decoders and TV wall ----
    // Forwarders to the decoder and TV-wall DAOs (CLS_DataAccessDecoders.cpp). An empty id is
    // refused with -1 (false) without a request.
    int GetAllDecoders(QVector<CLS_DecEntity*>& _vecDecs);
    int GetDecoderById(QString _strDecID, CLS_DecEntity& _decEntity);
    int GetDecoderPage(int _iPageSize, int _iPageNum, QVector<CLS_DecEntity*>& _vecDecs, int& _iTotal);
    int GetDecoderCount();
    bool IsDecoderAddressExist(QString _strIP, int _iPort);
    int InsertDecorder(const CLS_DecEntity& _decEntity);
    int UpdateDecorder(const CLS_DecEntity& _decEntity);
    int DeleteDecorder(QString _strDecID);
    int GetAllDecOuts(QVector<CLS_DecOutEntity*>& _vecOuts);
    int GetDecOutsOfDecoder(QString _strDecID, QVector<CLS_DecOutEntity*>& _vecOuts);
    int GetFreeDecOuts(QString _strDecID, QVector<CLS_DecOutEntity*>& _vecOuts);
    int GetDecOutByNum(QString _strDecID, int _iNum, CLS_DecOutEntity& _outEntity);
    int GetDecOutById(QString _strOutID, CLS_DecOutEntity& _outEntity);
    int GetVisibleDecOutCount(QString _strDecID);
    int InsertDecOut(const CLS_DecOutEntity& _outEntity);
    int UpdateDecOut(const CLS_DecOutEntity& _outEntity);
    int UpdateDecOutCaption(QString _strOutID, QString _strCaption);
    int DeleteDecOut(QString _strOutID);
    int GetDecOutRegions(QString _strOutID, QVector<CLS_DecOutRegionEntity*>& _vecRegions);
    int GetDecOutRegionById(QString _strRegionID, CLS_DecOutRegionEntity& _regionEntity);
    int InsertDecOutRegion(const CLS_DecOutRegionEntity& _regionEntity);
    int DeleteDecOutRegion(QString _strRegionID);
    int GetAllTVs(QVector<CLS_TVEntity*>& _vecTVs);
    int GetAllTVOuts(QVector<CLS_TVOutEntity*>& _vecOuts);
    int GetTVOutsOfTV(QString _strTVID, QVector<CLS_TVOutEntity*>& _vecOuts);
    int GetChildIdsOfType(QString _strParentID, int _iObjType, QStringList& _lstIDs);
    int GetAllScreenUnits(QVector<CLS_ScreenUnitEntity*>& _vecUnits);
    int GetScreenUnitById(QString _strUnitID, CLS_ScreenUnitEntity& _unitEntity);
    int InsertScreens(QString _strLayoutID, const QVector<CLS_ScreenUnitEntity>& _vecUnits);
    int UpdateScreen(const CLS_ScreenUnitEntity& _unitEntity);
    int DeleteScreen(QString _strUnitID);
    int DeleteJoinScreen(QString _strJoinScreenID);
    int GetScreensUsingDecOut(QString _strLayoutID, QString _strOutID, QStringList& _lstUnitIDs);
    int GetTvScreenInfo(QString _strLayoutID, QVector<CLS_ScreenUnitEntity*>& _vecUnits);
    int GetLayoutScreenUnits(QString _strLayoutID, QVector<CLS_ScreenUnitEntity*>& _vecUnits);
    int GetScreenUnitsByType(int _iType, QVector<CLS_ScreenUnitEntity*>& _vecUnits);
    int GetAllTVLayout(QVector<CLS_TVLayoutEntity*>& _vecLayouts);
    int GetTVLayoutIds(QStringList& _lstIDs);
    int GetTVLayoutById(QString _strLayoutID, CLS_TVLayoutEntity& _layoutEntity);
    int GetLayOutInfoById(QString _strLayoutID, CLS_TVLayoutEntity& _layoutEntity);
    bool IsTVLayoutNameExist(QString _strName, QString _strLayoutID);
    int InsertTVLayout(const CLS_TVLayoutEntity& _layoutEntity, QString _strUserID, QString _strOwnerRowID);
    int InsertTVLayoutImage(QString _strLayoutID, QString _strImgPath);
    int UpdateTVLayoutImage(QString _strLayoutID, QString _strImgPath);
    int UpdateTVLayoutCaption(QString _strLayoutID, QString _strCaption);
    int UpdateTVOutPlace(QString _strLayoutID, QString _strTVOutID, QString _strNewTVOutID, double _dX, double _dY,
                         double _dW, double _dH);
    int RemoveTVOutFromLayout(QString _strLayoutID, QString _strTVOutID);
    int ClearTVLayout(QString _strLayoutID, bool _bWithScreens);
    int DeleteTVLayoutViews(QString _strLayoutID);
    int DeleteTVLayout(QString _strLayoutID);
    int InsertJoinTemplate(const CLS_TVJoinTemplateEntity& _templateEntity);
    int GetTemplate(QString _strDecOutID, QVector<CLS_TVJoinTemplateEntity>& _vecTemplates);
    int DeleteJoinTemplate(QString _strTemplateID);

    // ---- electronic maps and areas ----
    // Forwarders to CLS_ElectronicMapEntityDAO and CLS_AreaDomainDAO (CLS_DataAccessMaps.cpp).
    int GetAllElectronicMap(QVector<CLS_ElectronicMapEntity>& _vecMaps);
    int GetElectronicMapNode(QString _qstrParentId, QVector<CLS_ElectronicMapNodeEntity>& _vecNodes);
    int AddElectronicMap(const CLS_ElectronicMapEntity& _map);
    int ModifyElectronicMap(const CLS_ElectronicMapEntity& _map);
    int DeleteElectronicMap(QString _qstrId);
    int AddElectronicMapNode(const QList<CLS_ElectronicMapNodeEntity*>& _lstNodes);
    int AddOneElectronicMapNode(const CLS_ElectronicMapNodeEntity& _node);
    int ModifyElectronicMapNode(QString _qstrParentId, const QList<CLS_ElectronicMapNodeEntity*>& _lstNodes);
    int ModifyOneElectronicMapNode(const CLS_ElectronicMapNodeEntity& _node);
    int RenameElectronicMapNode(QString _qstrId, QString _qstrCaption);
    int DeleteElectronicMapNode(QString _qstrParentId, const QStringList& _lstNodeIds);
    int DeleteOneElectronicMapNode(QString _qstrParentId, QString _qstrId);
    int DeleteNodeFromAllMaps(QString _qstrId);
    int DeleteAllNodesOfMap(QString _qstrParentId);
    int GetAllArea(QString _qstrLanguage, QVector<CLS_AreaEntity>& _vecAreas);
    int GetAllDomain(QVector<CLS_AreaDomainEntity>& _vecDomains);
    int GetAreaDomainInfo(QString _qstrAreaId, QVector<CLS_AreaDomainEntity>& _vecDomains);

    // ---- alarm catalogue and linkage ----
    // Catalogue reads, the linkage rules of this system and their parameter parsers (bodies in
    // CLS_DataAccessAlarms.cpp). Entities appended to output lists belong to the caller.
    /// Adds every adapter alarm type of the language to the map (entries owned by the map's
    /// owner). 0 or -1.
    int GetAllAdapterAlarmInfo(QString _strLangType, AdapterAlarmInfoMap* _pMap);
    /// Frees the list's entities and refills it. 0 or -1.
    int GetAllAlarmLevel(QList<CLS_AlarmLevelEntity*>* _pList);
    int GetAllAlarmMainType(QList<CLS_AlarmMainTypeEntity*>& _lstOut);
    int GetAllAlarmSubType(QList<CLS_AlarmSubTypeEntity*>& _lstOut);
    /// One description per host type with its alarm types. 0, or -1 when the host types could
    /// not be read.
    int GetVideoHostInfo(QList<STRCT_VideoHostInfo>& _lstOut);
    int UpdateAlarmTypeLevel(qint32 _iAdapterAlarmId, qint32 _iLevel);
    /// Files the user's rules into the cache (it takes them over); rules of an adapter alarm
    /// type missing from the map are dropped. 0, or -1 for no map, a failed query or no rules.
    int StartGetAlarmLinkInfo(QString _strUserID, AdapterAlarmInfoMap* _pAdapterMap, AlarmLinkMap* _pCache);
    /// Parses the link's parameter and appends the link to the cache, which takes it over.
    void LoadAllAlarmLinkInfo(STRCT_SingleAlarmLink* _pLink, AlarmLinkMap* _pCache);
    void ParseSoundLinkParam(const QString& _strParam, STRCT_SingleAlarmLink* _pSingleAlarmLink);
    void ParseRecordLinkParam(const QString& _strParam, STRCT_SingleAlarmLink* _pSingleAlarmLink);
    void ParseEmailLinkParam(const QString& _strParam, STRCT_SingleAlarmLink* _pSingleAlarmLink);
    void ParseBallonTipsLinkParam(const QString& _strParam, STRCT_SingleAlarmLink* _pSingleAlarmLink);
    void ParseAlarmVideoLinkParam(const QString& _strParam, STRCT_SingleAlarmLink* _pSingleAlarmLink);
    /// 0 when this system's linkage table exists, non-zero when not, -1 for no system id.
    int TableIsExist();
    int CreateTableAlarmAction();
    /// Deletes the user's stored rules of every source and alarm named by the links' keys.
    int DeleteAlarmLinkInfo(QString _strUserID, const AlarmLinkMap& _mapLinks);
    /// Stores the non-null links in one transaction; with _bReplace the user's stored rules of
    /// the named sources and alarms are deleted in the same transaction first.
    int InsertAlarmLinkInfo(QString _strUserID, const AlarmLinkMap& _mapLinks, bool _bReplace = false);
    int DeleteAlarmLinkInfoBySource(QString _strUserID, const QStringList& _lstSourceIDs);

    // ---- alarm records ----
    // The alarm log and the cached events (bodies in CLS_DataAccessAlarms.cpp).
    /// Stores the alarm and fills its time and id (also on failure). The server's result.
    int InsertAlarmRecord(QString _strUserID, STRCT_NewAlarmRecord& _record);
    /// Replaces the vector's content with the page; false when nothing was asked or no answer.
    bool SearchAlarmRecord(const STRCT_AlarmSearchCondition& _condition, QVector<STRCT_AlarmRecord>& _vecOut);
    int SearchAlarmRecordCount(const STRCT_AlarmSearchCondition& _condition);
    int UpdateAlarmDealInfo(const STRCT_AlarmDealInfo& _deal);
    int DeleteAlarmRecord(QString _strCutOff);
    int InsertCacheEvent(const STRCT_CacheEvent& _event);
    /// Appends every cached event of this system. 0 or -1.
    int SearchCacheEvent(QVector<STRCT_CacheEvent>& _vecOut);
    int DelCacheEvent(const QByteArray& _baData);

    // ---- recording files ----
    // Forwarders to the recording-file, pre/delay and operation-log DAOs
    // (CLS_DataAccessRecordings.cpp). Entities in output vectors belong to the caller.
    int AddRecordFile(const CLS_RecFileEntity& _entity);
    int AddRecordFileToTransaction(const QVector<CLS_RecFileEntity>& _vecEntities);
    int AddRecordFileByTransaction();
    int SearchPlaybackRecFile(const CLS_RecFileSearchEntity& _search, QVector<CLS_RecFileEntity*>& _vecFiles);
    int DeleteRecordFileByIds(const QSet<qint32>& _setIds);
    int DeleteAllRecordFile(const QString& _strSaveDisk);
    QDateTime GetEarliestRecordTime();
    int GetAllRecordFile(QVector<CLS_RecFileEntity*>& _vecFiles);
    qint64 GetOldestRecordFileLength(int _iCount);
    qint64 GetTotalRecordFileLength();
    int ReplaceRecPreDelay(const QVector<CLS_RecPreDelayEntity>& _vecValues);
    int SelectRecPreDelayDataAll(QVector<CLS_RecPreDelayEntity*>& _vecValues);
    int GetRecTypeColor(QMap<QString, QString>& _mapColors);
    int AddOperationLog(const QString& _strTime, const QString& _strUserID, qint32 _iLogType,
                        qint32 _iLogDetailType, const QString& _strDescription);
    int SearchOperationLog(const STRCT_OperationLogFilter& _filter, int _iPageSize, int _iPageNumber,
                           QVector<CLS_OperationLogEntity*>& _vecEntries);
    int GetOperationLogCount(const STRCT_OperationLogFilter& _filter);
    int DeleteOperationLog(const QString& _strUserID, const QString& _strKeepTime);

    // ---- face captures ----
    // Forwarders to the owned CLS_IntelligentDataRecEntityDAO (CLS_DataAccessFaceCaptures.cpp).
    int AddFaceCaptures(QVector<CLS_IntelligentDataRecEntity>& _vecEntities);
    int AddFaceCapture(CLS_IntelligentDataRecEntity& _entity);
    int SearchFaceCapture(const CLS_IntelligentDataRecSearchEntity& _search,
                          QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures);
    int GetFaceCaptureCount(const CLS_IntelligentDataRecSearchEntity& _search);
    int GetFaceCaptureStatistics(const QString& _strDate, int _iPeriod, int _iKind, const QString& _strChannelID,
                                 QMap<QString, QVector<qint64>>& _mapResult);
    QDateTime GetEarliestFaceCaptureTime();
    int GetOldestFaceCaptures(int _iCount, QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures);
    qint64 GetOldestFaceCaptureSize(int _iCount);
    int GetFaceCapturesBefore(const QString& _strTime, QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures);
    qint64 GetFaceCaptureSizeBefore(const QString& _strTime);
    int DeleteFaceCaptureByIds(const QList<QPair<QString, QString>>& _lstIdTimes);
    int DeleteAllFaceCapture();

    // ---- passenger-flow statistics ----
    // Forwarders to the counting and region side of CLS_PassengerFlowDAO
    // (CLS_DataAccessPassengerFlow.cpp). Operations for a user refuse an empty user id with -1
    // without a request.
    int AddPassengerFlowInfo(const CLS_PassengerFlowEntity& _entity);
    int SearchPassengerFlowTotal(const QString& _strRegionID, const QString& _strClearTime,
                                 const QString& _strNowMonth, STRCT_PassengerFlowCounts& _counts);
    int GetPassengerFlowStatistics(const CLS_PassengerFlowStatisticConditionEntity& _condition,
                                   QMap<QString, STRCT_PassengerFlowCounts>& _mapResult);
    int DeletePassengerFlowInfoBefore(const QString& _strMonth);
    int GetPassengerFlowRegions(const QString& _strUserID, QVector<CLS_RegionEntity*>& _vecRegions);
    int UpdatePassengerFlowRegion(const STRCT_PassengerFlowRegionParam& _param, const QString& _strUserID,
                                  const QString& _strClearTime);
    int DeletePassengerFlowRegions(const QStringList& _lstRegionIDs, const QString& _strUserID);
    int DeletePassengerFlowRegionChannels(const QStringList& _lstChannelObjIDs, const QString& _strUserID);
    int UpdatePassengerFlowRegionClearTime(const QString& _strRegionID, const QString& _strClearTime);

    // ---- behaviour analysis and passage histories ----
    // Forwarders to CLS_BehaviorAnalysisEntityDAO and the owned passage DAOs
    // (CLS_DataAccessPassages.cpp). Empty vectors, pages below 1, an empty save time and a
    // negative file count are refused with -1.
    int AddBehaviorAnalysisCapture(QVector<CLS_BehaviorAnalysisEntity>& _qvecBehaviorAnalysisData);
    int AddBehaviorAnalysisCapture(CLS_BehaviorAnalysisEntity& _record);
    int BehaviorAnalysisGetRecord(const CLS_BehaviorAnalysisSearchEntity& _search,
                                  QVector<CLS_BehaviorAnalysisEntity>& _vecRecords);
    int BehaviorAnalysisGetCount(const CLS_BehaviorAnalysisSearchEntity& _search);
    int GetOldestBehaviorAnalysisPicFiles(int _iFileNum, QVector<CLS_BehaviorAnalysisEntity>& _vecRecords);
    /// The records older than _qstrSaveTime, oldest first, at most _iFileNum (0: all).
    int GetBehaviorAnalysisPicFiles(QString _qstrSaveTime, int _iFileNum,
                                    QVector<CLS_BehaviorAnalysisEntity>& _vecRecords);
    int DelBehaviorAnalysisPicRec(const QList<QPair<QString, QString>>& _lstIdTimes);
    int DeleteAllBehaviorAnalysisData();
    int SaveCarRecvDataToDB(QVector<CLS_CarDataRecvEntity>& _qvecCarData);
    int SavePadRecvDataToDB(QVector<CLS_PadDataRecvEntity>& _qvecPadData);
    int SaveWayRecvDataToDB(QVector<CLS_WayDataRecEntity>& _qvecWayData);
    int QueryCarHistory(const STRCT_PassageQuery& _query, QVector<CLS_CarDataRecvEntity>& _vecRecords);
    int GetCarRecordCount(const STRCT_PassageQuery& _query);
    int GetPadRecordCount(const STRCT_PassageQuery& _query);
    int GetWayRecordCount(const STRCT_PassageQuery& _query);
    int GetCarPicFiles(int _iFileNum, QVector<CLS_CarDataRecvEntity>& _vecRecords);
    int GetPadPicFiles(int _iFileNum, QVector<CLS_PadDataRecvEntity>& _vecRecords);
    int GetWayPicFiles(int _iFileNum, QVector<CLS_WayDataRecEntity>& _vecRecords);
    int DelCarPicRec(const QList<QPair<QString, QString>>& _lstIdTimes);
    int DelPadPicRec(const QList<QPair<QString, QString>>& _lstIdTimes);
    int DelWayPicRec(const QList<QPair<QString, QString>>& _lstIdTimes);
    int DeleteAllCarPicData();
    int DeleteAllPadPicData();
    int DeleteAllWayPicData();
    int GetPadTerminalName(QString _qstrTerminalSn, QString& _qstrName);

    // ---- face libraries and synchronisation tasks ----
    // Forwarders to the face-library DAOs (CLS_DataAccessFaceLibs.cpp); ids are checked.
    int GetAllFaceLib(QVector<CLS_FaceLibInfoEntity>& _vecLibs);
    int GetFaceLibById(QString _qstrId, CLS_FaceLibInfoEntity& _lib);
    /// A new library (a new id when S_ID is empty, the current time when DT_TIME is empty).
    int AddFaceLib(CLS_FaceLibInfoEntity& _lib);
    int RenameFaceLib(QString _qstrId, QString _qstrCaption);
    int DeleteFaceLib(QString _qstrId);
    int GetFaceLibNameCount(QString _qstrLibName);
    int AddPerson(const CLS_FaceInfoEntity& _person, QString _qstrFaceLibId);
    int UpdatePerson(const CLS_FaceInfoEntity& _person);
    int RemovePersonFromLib(QString _qstrPersonId, QString _qstrFaceLibId);
    int RemovePersonsOfLibs(const QStringList& _lstFaceLibIds);
    int GetPersonNameCount(QString _qstrName);
    int GetPersonNumberCount(QString _qstrNumber);
    int GetPersonIdCount(QString _qstrPersonId);
    int GetPersonLibRelCount(QString _qstrPersonId);
    int GetPersonCount();
    int GetFaceLibMemberCount(QString _qstrFaceLibId);
    int GetPersonByFaceLibQuery(QString _qstrFaceLibId, const STRCT_FacePersonQuery& _query);
    int GetPageOrgManageQuery(const QStringList& _lstFaceLibIds, const STRCT_FacePersonQuery& _query);
    int GetPersonByNumber(QString _qstrNumber, QVector<CLS_FaceInfoEntity>& _vecPersons);
    int GetPersonByNumericNumber(qint64 _iNumber, QVector<CLS_FaceInfoEntity>& _vecPersons);
    int GetAllUserNameId(QMap<QString, QString>& _mapNumberName);
    int GetFaceLibCaptionsOfPerson(QString _qstrPersonId, QStringList& _lstCaptions);
    int GetPagePerson(const QStringList& _lstFaceLibIds, const STRCT_FacePersonQuery& _query, int _iPageSize,
                      int _iPageIndex, QVector<CLS_FaceInfoEntity>& _vecPersons);
    int GetAllPersonInfo(QVector<CLS_FaceInfoEntity>& _vecPersons);
    int InsertChannelTarget(const CLS_ChannelTargetEntity& _target);
    int UnbindChannelTarget(QString _qstrFaceLibId, QString _qstrChanId);
    int GetChanTargetLibbyID(QString _qstrChanId, QVector<CLS_ChannelTargetEntity>& _vecTargets);
    int GetChannelTargetsByLib(QString _qstrFaceLibId, QVector<CLS_ChannelTargetEntity>& _vecTargets);
    int GetHostIdsOfLib(QString _qstrFaceLibId, QStringList& _lstHostIds);
    int GetSyncingLibId(int _iSynState, QVector<CLS_ChannelTargetEntity>& _vecTargets);
    int GetHostsNeedSync(QStringList& _lstHostIds);
    int GetPersonLibOfNeedSyncByHostId(QString _qstrHostId, QVector<CLS_ChannelTargetEntity>& _vecTargets);
    int GetBoundCountOnHost(QString _qstrFaceLibId, QString _qstrHostId);
    int GetBoundCount(QString _qstrFaceLibId);
    int IsTargetLibBoundChan(QString _qstrFaceLibId, QString _qstrChanId);
    int UpdateChannelTargetStatus(QString _qstrHostId, QString _qstrFaceLibId, QString _qstrChanId, int _iStatus,
                                  QString _qstrStatusCaption);
    int UpdateChannelTargetCaption(QString _qstrHostId, QString _qstrFaceLibId, QString _qstrChanId,
                                   QString _qstrStatusCaption);
    int GetDistinguishType(QString _qstrHostId, int& _iDistinguishType);
    int SetDistinguishType(QString _qstrHostId, int _iDistinguishType);
    int InsertTargetLibStaffTask(QString _qstrFaceLibId, QString _qstrHostId, QString _qstrChanId);
    int InsertStaffTask(const CLS_FaceLibSyncTaskEntity& _task);
    int GetSyncTask(QString _qstrHostId, QString _qstrFaceLibId, QString _qstrChanId,
                    QVector<CLS_FaceLibSyncTaskEntity>& _vecTasks, QVector<CLS_FaceLibSyncTaskEntity>& _vecDeleteTasks);
    int QueryTaskSyncById(QString _qstrTaskId, CLS_FaceLibSyncTaskEntity& _task);
    int DeleteSyncTask(QString _qstrTaskId);
    int InsertSyncTaskFail(QString _qstrTaskId, QString _qstrError);
    int SearchTaskFail(const STRCT_FaceSyncTaskQuery& _query, QVector<CLS_FaceLibSyncTaskEntity>& _vecTasks);
    int GetTaskFailCount(const STRCT_FaceSyncTaskQuery& _query);
    int GetFailPersonCount(QString _qstrFaceLibId, QString _qstrHostId, QString _qstrChanId);
    int DeleteFailTask(const STRCT_FaceSyncTaskQuery& _query);
    int TaskFailConvertSync(QString _qstrTaskId);
    int UpdateChannelSyncTaskStatus(QString _qstrHostId, QString _qstrFaceLibId, int _iStatus,
                                    QString _qstrStatusCaption);
    int GetSyncTaskCount(QString _qstrFaceLibId);

    // ---- security vehicle lists ----
    // Forwarders to CLS_SecurityCarEntityDAO (CLS_DataAccessSecurityCars.cpp); the send-row
    // operations are the virtual slots above.
    int AddSecurityCar(const CLS_SecurityCarEntity& _car);
    int ReplaceSecurityCar(const CLS_SecurityCarEntity& _car);
    int UpdateSecurityCar(const CLS_SecurityCarEntity& _car, QString _qstrOldVlp, int _iOldVlpc);
    int DeleteSecurityCar(QString _qstrVlp, int _iVlpc);
    int GetUnsentSecurityCars(QString _qstrTerminalSn, int _iListType, QString _qstrVlp, int _iVlpc,
                              QVector<CLS_SecurityCarSendEntity>& _vecCars);
    int GetSecurityCarPage(QString _qstrVlp, int _iPageSize, int _iPageIndex, int& _iTotal,
                           QVector<CLS_SecurityCarEntity>& _vecCars);
    int GetSecurityCarSendPage(const STRCT_SecurityCarSendQuery& _query, int _iPageSize, int _iPageIndex,
                               int& _iTotal, QVector<CLS_SecurityCarSendEntity>& _vecSends);

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
