#ifndef CLS_DATAMEDIATOR_H
#define CLS_DATAMEDIATOR_H

#include "DataBase/EntityDao/Tree/ItemIndex.h"
#include "DataBase/EntityDao/User/CLS_RoleRights.h"
#include "I_DataMediator.h"

#include <QMap>
#include <QReadWriteLock>
#include <QString>

#include <memory>

class DATAMEDIATOR_EXPORT CLS_DataMediator : public I_DataMediator
{
    Q_OBJECT
public:
    CLS_DataMediator();
    ~CLS_DataMediator() override;

    void InitData() override;
    int CreateDBConnection() override;
    int DownLoadDB(QMap<QString, QVariant>& _mapDbData) override;
    int UploadDB(QMap<QString, QVariant>& _mapDbData, QMap<QString, int>& _mapResults) override;
    int BackupDatabase(const QString& _strFilePath, const QList<QString>& _lstDbNames,
                       QMap<QString, bool>& _mapResults) override;
    int RestoreDatabase(QString& _strFilePath, const QList<QString>& _lstDbNames, QMap<QString, bool>& _mapResults,
                        int _iTimeout) override;
    QString GetDbDirPath() override;

    // ---- devices and the resource tree ----
    // Pass-throughs to the device tables (CLS_DataMediatorDevices.cpp).
    int GetChannelCountOfHost(QString _strHostID) override;
    int GetAlarmInCountOfHost(QString _strHostID) override;
    int GetAlarmOutCountOfHost(QString _strHostID) override;
    int GetChannelCounts(QMap<QString, int>& _mapCounts) override;
    int GetAlarmInCounts(QMap<QString, int>& _mapCounts) override;
    int GetAlarmOutCounts(QMap<QString, int>& _mapCounts) override;
    int GetCameraCount(QString _strUserID) override;
    int GetHostCount(int _iDevType, QString _strUserID) override;
    int GetHostPageCount(int _iPageSize) override;
    int GetHostPage(int _iPageSize, int _iPageIndex, QVector<CLS_HostEntity*>& _vecHosts) override;
    int GetHostPageItems(int _iPageSize, int _iPageIndex, QVector<STRCT_VideoHost*>& _vecHosts) override;
    int GetHostIdsByAddress(QString _strAddress, int _iMode, QStringList& _lstHostIDs) override;
    int GetHostIdsByProxyType(int _iProxyType, QStringList& _lstHostIDs) override;
    int GetLocalRecorderCredentials(QString& _strUserName, QString& _strPassword) override;
    int GetLocalRecorderAddress(QString& _strIP, int& _iHttpPort, int& _iPort) override;
    int SetLocalRecorderPassword(QString _strPassword) override;
    int GetAllProduct(QString _strCode, QVector<CLS_ProductEntity>& _vecProducts) override;
    // The resource tree and device maintenance (CLS_DataMediatorTree.cpp).
    int InitTreeNodeData() override;
    int InsertHost(STRCT_VideoHost* _pVideoItem) override;
    int InsertChannel(STRCT_VideoChannel* _pVideoItem) override;
    int InsertChannelEx(const QVector<STRCT_VideoChannel*>& _qvecChannelData) override;
    int InsertAlarmIn(STRCT_VideoAlarmIn* _pVideoItem) override;
    int InsertAlarmOut(STRCT_VideoAlarmOut* _pVideoItem) override;
    int InsertAlarmInEx(const QVector<STRCT_VideoAlarmIn*>& _qvecAlarmInItems) override;
    int InsertAlarmOutEx(const QVector<STRCT_VideoAlarmOut*>& _qvecAlarmOutItems) override;
    int UpdateHost(STRCT_VideoHost* _pstrctHostData) override;
    int UpdateChannelEx(const QVector<STRCT_VideoChannel*>& _qvecChannelData) override;
    int UpdateAlarmIn(STRCT_VideoAlarmIn* _pVideoItem) override;
    int UpdateAlarmInEx(const QVector<STRCT_VideoAlarmIn*>& _qvecAlarmInItems) override;
    int UpdateAlarmOut(STRCT_VideoAlarmOut* _pVideoItem) override;
    int UpdateAlarmOutEx(const QVector<STRCT_VideoAlarmOut*>& _qvecAlarmOutItems) override;
    int DeleteHost(QString _strHostID) override;
    int ModifyOrInsertDev(Common::STRCT_DevItem* _pDevItem) override;
    int DeleteDev(QString _strDevID) override;
    int UpdateRefenceState(QString _strID, int _iState) override;
    QVector<STRCT_VideoItem*> GetAllHostItems() override;
    void GetChildItems(QString _strParentID, QVector<STRCT_VideoItem*>& _vecItems) override;
    void GetResourceItemsByType(QVector<STRCT_VideoItem*>& _vecHosts, QVector<STRCT_VideoItem*>& _vecChannels,
                                QVector<STRCT_VideoItem*>& _vecAlarmIns) override;
    int GetRefenceStateById(QString _strID) override;
    STRCT_VideoItem* GetHostItemOfChild(QString _strID) override;
    bool GetProxyType(QString _qstrChannelId, int& _iProxyType) override;
    bool IsALiP2PDev(QString _qstrChannelId, QString& _qstrHostId) override;
    int GetHostSync(QString _strHostID, CLS_HostEntity& _hostEntity) override;
    int GetChanelSync(QString _strChannelID, CLS_ChannelEntity& _channelEntity) override;
    int GetChanbyChanNoAndHostID(QString _strHostID, int _iChannelNo,
                                 CLS_ChannelEntity& _channelEntity) override;
    int DeleteChannel(QString _strChannelID) override;
    int DeleteChannelsOfHost(QString _strHostID) override;
    int DeleteAlarmIns(const QStringList& _lstAlarmInIDs) override;
    int DeleteAlarmOuts(const QStringList& _lstAlarmOutIDs) override;

    // ---- users, roles and rights ----
    int LoginUser(QString _strUserName, QString _strPassword) override;
    int AddUser(QString _strUserName, QString _strPassword) override;
    QVector<CLS_UserEntity*> GetAllUser() override;
    bool IsUserExist(QString _strUserName, QString _strUserID) override;
    int UpdateUserInfo(const CLS_UserEntity& _user) override;
    int GetRoleByUser(QString _strUserID, QVector<CLS_RoleEntity>& _vecRoles) override;
    int DeleteRole(QString _strRoleID) override;
    int DeleteUser(QString _strUserID) override;
    int InsertUserAddRoleRelatedInfo(CLS_UserEntity* _pUser, CLS_RoleEntity* _pRole) override;
    int UpdateRoleInfo(CLS_RoleEntity* _pRole) override;
    bool HasAuthority(QString _strRoleID, QString _strObjID, qint32 _iAuthorityType) override;
    bool GetAuthorityByRole(QString _strRoleID, AuthorityMap& _mapAuth) override;
    int UpdateAuthToRole(STRCT_Authority* _pAuthority) override;
    int UpdateAuthToRoles(const AuthorityMap& _mapAuth) override;
    QList<qint32> GetSecurityQuestion() override;
    void SetSecurityAnswer(const QMap<QString, QString>& _mapAnswers) override;
    QList<QPair<qint32, QString>> GetSecurityAnswer() override;
    QString GetUserPassWord(QString _strUserName) override;
    QString GetCurrentUserID() override;
    QString GetCurrentUserName() override;

    // ---- settings and configuration ----
    STRCT_LocalGeneralSetting* GetLocalGeneralSettingInfo() override;
    void SavePersonalSetInfo(const STRCT_LocalGeneralSetting& _setting) override;
    void SaveComSetInfo(const STRCT_LocalGeneralSetting& _setting) override;
    QMap<QString, QString> GetVersionInfo() override;
    QList<STRCT_OpenModule> GetLastOpenModules() override;
    void SaveLastOpenModules(const QList<STRCT_OpenModule>& _lstModules) override;
    QList<STRCT_HomeModule> GetHomeModules() override;
    void UpdateHomeModules(const QMap<QString, QMap<QString, QString>>& _mapTexts) override;
    QMap<QString, QString> GetCurDisplayflag() override;
    int RecoverDefaultDisplayFlag() override;
    STRCT_DomainServerInfo GetDomainServerInfo() override;
    int TranslateLanguageType(QString _strLanguage) override;
    STRCT_DeviceAddConfig GetDeviceAddConfig() override;

    // ---- custom trees and passenger-flow trees ----
    // CLS_DataMediatorCustomTree.cpp and CLS_DataMediatorPassengerFlowTree.cpp.
    int InsertCustomTreeGroup(QString _strParentNodeID, QString _strCaption, QString& _strNodeID) override;
    int InsertCustomTreeNodes(QString _qstrParentTreeNodeID, const QVector<STRCT_VideoItem*>& _qvecItems,
                              bool _bPassengerFlow) override;
    int InsertAlarmInNodes(QString _qstrParentTreeNodeID, QVector<STRCT_VideoItem*>* _pqvecTreeNodes) override;
    int InsertAlarmOutNodes(QString _qstrParentTreeNodeID, QVector<STRCT_VideoItem*>* _pqvecTreeNodes) override;
    int UpdateCustomTreeNodeCaption(STRCT_VideoItem* _pNode) override;
    int SortCustomTreeNotesNum(QString _strNodeID, int _iNum, void* _param) override;
    int InsertCustomTreeNodesAt(const QStringList& _vecTreeNodeIDs, QString _strGroupNodeID,
                                QString _strAnchorNodeID) override;
    int DeleteFromCustomTree(QString _strNodeID) override;
    void GetCustomTreeAlarmInNodes(QVector<STRCT_VideoItem*>& _vecItems) override;
    void GetCustomTreeAlarmOutNodes(QVector<STRCT_VideoItem*>& _vecItems) override;
    int GetRootChildNodes(QString _strUserID, QVector<CLS_CustomTreeEntity*>& _vecTreeNodes) override;
    int GetRootChildNodesType(QString _strUserID, QVector<CLS_CustomTreeNodesEntity*>& _vecTreeNodes) override;
    int GetRootChildNodesType(QString _strUserID, QString _strParentNodeID,
                              QVector<CLS_CustomTreeNodesEntity*>& _vecTreeNodes) override;
    int GetRootChildNodesType(QString _strUserID, QVector<CLS_CustomTreeNodesEntity*>& _vecTreeNodes,
                              bool _bPassengerFlow) override;
    int GetRootChildNodesType(QString _strUserID, QString _strParentNodeID,
                              QVector<CLS_CustomTreeNodesEntity*>& _vecTreeNodes, bool _bPassengerFlow) override;
    int InsertPassengerFlowGroup(QString _strParentNodeID, QString _strCaption, QString& _strNodeID) override;
    int UpdatePassengerFlowNodeCaption(QString _strNodeID, QString _strCaption) override;
    int DeletePassengerFlowNodesOfObject(QString _strObjID) override;
    int DeletePassengerFlowTreeGroup(QString _qstrTreeNodeID) override;
    int DeleteFromPassengerFlowCustomTreeGroup(QString _qstrTreeNodeID) override;
    int DeletePassengerFlowDeviceNodes(QString _strObjID) override;
    QVector<STRCT_VideoItem*> GetCustomTreeItems() override;
    QVector<STRCT_VideoItem*> GetPassengerFlowTreeItems() override;

    // ---- views, view cruises and group switching ----
    // CLS_DataMediatorViews.cpp
    bool IsViewExist(QString _strViewCaption) override;
    int UpdateView(QString _strViewID, QString _strCaption) override;
    int InsertView(CLS_ViewEntity& _viewEntity) override;
    int DeleteView(QString _strViewID) override;
    int GetAllView(QVector<CLS_ViewEntity*>& _vecViews) override;
    int GetViewByLayout(QString _strLayoutID, int _iViewType, QVector<STRCT_ViewCaption>& _vecViews) override;
    int GetViewByType(int _iViewType, QVector<STRCT_ViewCaption>& _vecViews) override;
    int GetViewById(QString _qstrId, CLS_ViewEntity& _viewEntity) override;
    int InsertGroupSwitch(QString _qstrGroupId, int _iScreenStyle, int _iSwitchTime) override;
    int DeleteGroupSwitch(QString _qstrId) override;
    int UpdateGroupSwitchScreenStyle(QString _qstrId, int _iScreenStyle) override;
    int GetAllGroupSwitch(QVector<CLS_GroupSwitchEntity*>& _vecGroups) override;
    int GetAllGroupSwitch(QVector<CLS_GroupSwitchEntity>& _vecGroups) override;
    int UpdateGroupSwitchSwitchTime(int _iSwitchTime) override;
    bool IsGroupSwitchExist(QString _strGroupId) override;
    qint32 GetSwithTimeByUserId() override;
    int InsertViewCruise(CLS_ViewCruiseEntity& _entry) override;
    int UpdateViewCruiseTime(QString _strId, int _iTime) override;
    int UpdateViewCruiseSequence(QString _strId, int _iSequence) override;
    int DeleteViewCruise(QString _strId) override;
    int GetAllViewCruise(int _iViewType, QString _strLayoutID,
                                 QVector<CLS_ViewCruiseEntity*>& _vecEntries) override;
    int GetViewCruiseByType(int _iViewType, QVector<CLS_ViewCruiseEntity*>& _vecEntries) override;
    bool IsViewInCruise(QString _strViewID) override;

    // ---- decoders and TV wall ----
    // CLS_DataMediatorDecoders.cpp
    int GetAllDecoders(QVector<CLS_DecEntity*>& _vecDecs) override;
    int DecSync(QString _qstrDecID, CLS_DecEntity* _pDecEntity) override;
    int GetDecoderPage(int _iPageSize, int _iPageNum, QVector<CLS_DecEntity*>& _vecDecs, int& _iTotal) override;
    int GetDecoderCount() override;
    bool IsDecoderAddressExist(QString _qstrIP, int _iPort) override;
    int InsertDecorder(const CLS_DecEntity& _decEntity) override;
    int UpdateDecorder(const CLS_DecEntity& _decEntity) override;
    int DeleteDecorder(QString _qstrHostID) override;
    int GetAllDecOuts(QVector<CLS_DecOutEntity*>& _vecOuts) override;
    int GetDecOutsOfDecoder(QString _qstrDecID, QVector<CLS_DecOutEntity*>& _vecOuts) override;
    int GetFreeDecOuts(QString _qstrDecID, QVector<CLS_DecOutEntity*>& _vecOuts) override;
    int GetDecOut(QString _qstrDecID, int _iNum, CLS_DecOutEntity* _pDecOutEntity) override;
    int DecOutSync(QString _qstrDecOutID, CLS_DecOutEntity* _pDecOutEntity) override;
    int GetVisibleDecOutCount(QString _qstrDecID) override;
    int InsertDecOut(const CLS_DecOutEntity& _decOutEntity) override;
    int UpdateDecOut(const CLS_DecOutEntity& _decOutEntity) override;
    int DeleteDecOut(QString _qstrDecOutID) override;
    int UpdateDecoderOutCaption(QString _qstrDecOutID, QString _qstrCaption) override;
    int GetDecOutRegions(QString _qstrDecOutID, QVector<CLS_DecOutRegionEntity*>& _vecRegions) override;
    int DecOutRegionSync(QString _qstrRegionID, CLS_DecOutRegionEntity* _pRegionEntity) override;
    int InsertDecOutRegion(const CLS_DecOutRegionEntity& _regionEntity) override;
    int DeleteDecOutRegion(QString _qstrRegionID) override;
    int GetAllTVs(QVector<CLS_TVEntity*>& _vecTVs) override;
    int GetAllTVOuts(QVector<CLS_TVOutEntity*>& _vecOuts) override;
    int GetTVOutsOfTV(QString _qstrTVID, QVector<CLS_TVOutEntity*>& _vecOuts) override;
    int GetChildIdsOfType(QString _qstrParentID, int _iObjType, QStringList& _lstIDs) override;
    int GetAllScreenUnits(QVector<CLS_ScreenUnitEntity*>& _vecUnits) override;
    int ScreenUnitSync(QString _qstrUnitID, CLS_ScreenUnitEntity* _pUnitEntity) override;
    int InsertScreen(QString _qstrLayoutID, const CLS_ScreenUnitEntity* _screen) override;
    int InsertScreens(QString _qstrLayoutID, const QVector<CLS_ScreenUnitEntity>& _vecUnits) override;
    int UpdateScreen(const CLS_ScreenUnitEntity* _screen) override;
    int DeleteScreen(QString _qstrUnitID) override;
    int DeleteJoinScreen(QString _qstrJoinScreenID) override;
    int GetScreensUsingDecOut(QString _qstrLayoutID, QString _qstrDecOutID, QStringList& _lstUnitIDs) override;
    int GetTvScreenInfo(QString _qstrLayoutID, QVector<CLS_ScreenUnitEntity*>& _vecUnits) override;
    int GetLayoutScreenUnits(QString _qstrLayoutID, QVector<CLS_ScreenUnitEntity*>& _vecUnits) override;
    int GetScreenUnitsByType(int _iType, QVector<CLS_ScreenUnitEntity*>& _vecUnits) override;
    int GetAllTVLayout(QVector<CLS_TVLayoutEntity*>& _vecLayouts) override;
    int GetTVLayoutIds(QStringList& _lstIDs) override;
    int TVLayoutSyn(QString _qstrLayoutID, CLS_TVLayoutEntity* _pLayoutEntity) override;
    int GetLayOutInfoById(QString _qstrLayOutId, CLS_TVLayoutEntity& _layoutEntity, int _iSysType) override;
    bool IsTVLayoutNameExist(QString _qstrName, QString _qstrLayoutID) override;
    int InsertTVLayout(CLS_TVLayoutEntity& _layoutEntity) override;
    int UpdateTvWall(CLS_TVLayoutEntity* _pTVLayout) override;
    int UpdateTVLayoutImage(QString _qstrLayoutID, QString _qstrImgPath) override;
    int UpdateTVOutPlace(QString _qstrLayoutID, QString _qstrTVOutID, QString _qstrNewTVOutID, double _dX,
                                 double _dY, double _dW, double _dH) override;
    int RemoveTVOutFromLayout(QString _qstrLayoutID, QString _qstrTVOutID) override;
    int ClearTVLayout(QString _qstrLayoutID, bool _bWithScreens) override;
    int DeleteTVLayoutViews(QString _qstrLayoutID) override;
    int DeleteTVLayout(QString _qstrLayoutID) override;
    int InsertJoinTemplate(const CLS_TVJoinTemplateEntity& _templateEntity) override;
    int GetTemplate(QString _qstrDecOutID, QVector<CLS_TVJoinTemplateEntity>& _vecTemplates) override;
    int DeleteJoinTemplate(QString _qstrTemplateID) override;
    int InsertTemplate(QString _qstrCaption, QString _qstrDecID, int _iScreenNo,
                               const QVector<STRCT_JoinTemplateRegion>& _vecRegions) override;
    int GetTemplate(QString _qstrDecID, int _iScreenNo,
                            QMap<QString, QVector<STRCT_JoinTemplateRegion>>& _mapTemplates) override;

    // ---- electronic maps and areas ----
    int GetAllElectronicMap(QVector<CLS_ElectronicMapEntity>& _vecMaps) override;
    int GetElectronicMapNode(QString _qstrParentId, QVector<CLS_ElectronicMapNodeEntity>& _vecNodes) override;
    int AddElectronicMap(const CLS_ElectronicMapEntity& _map) override;
    int ModifyElectronicMap(const CLS_ElectronicMapEntity& _map) override;
    int DeleteElectronicMap(QString _qstrId) override;
    int AddElectronicMapNode(const QList<CLS_ElectronicMapNodeEntity*>& _lstNodes) override;
    int AddOneElectronicMapNode(const CLS_ElectronicMapNodeEntity& _node) override;
    int ModifyElectronicMapNode(QString _qstrParentId, const QList<CLS_ElectronicMapNodeEntity*>& _qlistNodeEntity) override;
    int ModifyOneElectronicMapNode(const CLS_ElectronicMapNodeEntity& _node) override;
    int RenameElectronicMapNode(QString _qstrId, QString _qstrCaption) override;
    int DeleteElectronicMapNode(QString _qstrParentId, const QStringList& _qlistNodeID) override;
    int DeleteOneElectronicMapNode(QString _qstrParentId, QString _qstrId) override;
    int DeleteNodeFromAllMaps(QString _qstrId) override;
    int DeleteAllNodesOfMap(QString _qstrParentId) override;
    int GetAllArea(QString _qstrLanguage, QVector<CLS_AreaEntity>& _vecAreas) override;
    int GetAreaDomainInfo(QString _qstrAreaUUID, QVector<CLS_AreaDomainEntity>& _vecDomains) override;
    int GetAllDomain(QMap<QString, QVector<CLS_AreaDomainEntity>>& _mapDomains) override;
    int GetDomainInfoByAreaID(QString _qstrAreaId, QVector<CLS_AreaDomainEntity>& _vecDomains) override;

    // ---- alarm catalogue and linkage ----
    AdapterAlarmInfoMap* GetAllAdapterAlarmInfo(QString _strLangType) override;
    void GetAdapterAlarmInfo(qint32 _iAdapterAlarmId, STRCT_AdapterAlarmInfo*& _pInfo) override;
    bool UpdateAdapterAlarmInfo(qint32 _iAdapterAlarmId, qint32 _iLevel) override;
    QList<CLS_AlarmLevelEntity*>* GetAllAlarmLevel() override;
    int GetAllAlarmMainType(QList<CLS_AlarmMainTypeEntity*>& _lstOut) override;
    int GetAllAlarmSubType(QList<CLS_AlarmSubTypeEntity*>& _lstOut) override;
    int GetVideoHostInfo(QList<STRCT_VideoHostInfo>& _lstOut) override;
    int StartGetAlarmLinkInfo() override;
    void LoadAllAlarmLinkInfo(STRCT_SingleAlarmLink* _pLink, AlarmLinkMap* _pCache) override;
    int UpdateAlarmLinkInfo(AlarmLinkMap* _pLinks) override;
    void UpdateAlarmLinkCache(AlarmLinkMap* _pLinks, AlarmLinkMap* _pCache) override;
    const AlarmLinkMap& GetAlarmLinkCache() override;

    // ---- alarm records ----
    bool InsertAlarmRecord(QString _strUserID, STRCT_NewAlarmRecord& _record) override;
    bool SearchAlarmRecord(const STRCT_AlarmSearchCondition& _condition, QVector<STRCT_AlarmRecord>& _vecOut) override;
    int GetAlarmRecordCount(const STRCT_AlarmSearchCondition& _condition) override;
    bool UpdateAlarmDealInfo(const STRCT_AlarmDealInfo& _deal) override;
    int DeleteAlarmRecord(QString _strFirstTime, QString _strCutOff) override;
    int InsertCacheEvent(const STRCT_CacheEvent& _event) override;
    int SearchCacheEvent(QVector<STRCT_CacheEvent>& _vecOut) override;
    int DelCacheEvent(const QByteArray& _baData) override;

    // ---- recording files ----
    bool DecodeFilePathToRecInfo(QString _strFilePath, bool _bSkipHostLookup, STRCT_RecFileInfo& _info) override;
    bool AddRecordFile(const STRCT_RecFileInfo& _info) override;
    int AddRecordFileToTransaction(const QVector<STRCT_RecFileInfo>& _vecInfos) override;
    int AddRecordFileByTransaction() override;
    int SearchPlaybackRecFile(const CLS_RecFileSearchEntity& _search, QVector<CLS_RecFileEntity*>& _vecFiles) override;
    int DeleteRecordFileByIds(const QSet<qint32>& _setIds) override;
    int DeleteAllRecordFile(QString _strSaveDisk) override;
    QDateTime GetEarliestRecordTime() override;
    int GetAllRecordFile(QVector<CLS_RecFileEntity*>& _vecFiles) override;
    qint64 GetOldestRecordFileLength(int _iCount) override;
    qint64 GetTotalRecordFileLength() override;
    int UpdateRecordPreAndDelayData(const QVector<CLS_RecPreDelayEntity>& _vecValues) override;
    void LoadRecordPreAndDelayData() override;
    QMap<QString, QPair<qint32, qint32>> GetRecordPreAndDelayData() override;
    int GetRecTypeColor(QMap<QString, QString>& _mapColors) override;
    int AddOperationLog(QString _strTime, QString _strUserID, qint32 _iLogType, qint32 _iLogDetailType,
                        QString _strDescription) override;
    int SearchOperationLog(const STRCT_OperationLogFilter& _filter, int _iPageSize, int _iPageNumber,
                           QVector<CLS_OperationLogEntity*>& _vecEntries) override;
    int GetOperationLogCount(const STRCT_OperationLogFilter& _filter) override;
    int DeleteOperationLog(QString _strUserID, QString _strKeepTime) override;

    // ---- face captures ----
    bool DecodeFaceCapturePathToFaceParseResult(QString _strFilePath, STRCT_FaceParseResult& _result) override;
    bool AddTransactionForAddFaceCapture(const QVector<STRCT_FaceParseResult>& _vecResults) override;
    int AddFaceCapture(const STRCT_FaceParseResult& _result) override;
    int SearchFaceCapture(const CLS_IntelligentDataRecSearchEntity& _search,
                          QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures) override;
    int GetFaceCaptureCount(const CLS_IntelligentDataRecSearchEntity& _search) override;
    int GetFaceCaptureStatistics(QString _strDate, int _iPeriod, int _iKind, QString _strChannelID,
                                 QMap<QString, QVector<qint64>>& _mapResult) override;
    QDateTime GetEarliestFaceCaptureTime() override;
    int GetOldestFaceCaptures(int _iCount, QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures) override;
    qint64 GetOldestFaceCaptureSize(int _iCount) override;
    int GetFaceCapturesBefore(QString _strTime, QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures) override;
    qint64 GetFaceCaptureSizeBefore(QString _strTime) override;
    int DeleteFaceCaptureByIds(const QList<QPair<QString, QString>>& _lstIdTimes) override;
    int DeleteAllFaceCapture() override;

    // ---- passenger-flow statistics ----
    // CLS_DataMediatorPassengerFlow.cpp
    int AddPassengerFlowInfo(const CLS_PassengerFlowEntity& _entity) override;
    int DealPassengerFlowInfo(const STRCT_PassengerFlowReport& _report, const QStringList& _lstRegionIDs) override;
    int InitRegionParam() override;
    int UpdateRegionParam(const STRCT_PassengerFlowRegionParam& _param) override;
    void UpdateRegionParamFromMemory(const STRCT_PassengerFlowRegionParam& _param,
                                     PassengerFlowRegionParamMap& _mapParams) override;
    int DeleteRegionParam(const STRCT_PassengerFlowRegionParam& _param) override;
    int RecountPassengerFlowRegionResult(const QString& _qstrRegionID) override;
    void RecountAllPassengerFlowRegionsAtMidnight() override;
    int DealAllPassengerFlowInfo() override;
    void CollectPassengerFlowAlarms(QMap<QString, qint32>& _qmapCapacityAlarm, QMap<QString, qint32>& _qmapShootUpAlarm,
                                    QMap<QString, qint32>& _qmapCapacityRepeat,
                                    QMap<QString, qint32>& _qmapShootUpRepeat) override;
    void UpdateRegionOccupancy(const STRCT_PassengerFlowRegionParam& _param) override;
    int GetPassengerFlowStatistics(const CLS_PassengerFlowStatisticConditionEntity& _condition,
                                   QMap<QString, STRCT_PassengerFlowCounts>& _mapResult) override;
    int DeletePassengerFlowInfoBefore(const QString& _qstrMonth) override;
    int DeleteRegionChannels(const QStringList& _qlstChannelObjIDs) override;
    PassengerFlowRegionParamMap GetPassengerFlowRegionParams() override;
    bool GetPassengerFlowRegionRealTime(const QString& _qstrRegionID, STRCT_PassengerFlowRegionRealTime& _state) override;
    int GetPassengerFlowRegionNum() override;
    /// The clock the passenger-flow operations read (local time); null restores the system
    /// clock. For tests that need midnight, second 10 or a surge window without waiting.
    void SetPassengerFlowClock(QDateTime (*_pfnNow)());

    // ---- behaviour analysis and passage histories ----
    bool ParseBehaviorPictAttribute(QString _qstrPicPath, CLS_BehaviorAnalysisEntity& _record) override;
    int AddBehaviorAnalysisCapture(QVector<CLS_BehaviorAnalysisEntity>& _vecRecords) override;
    int AddBehaviorAnalysisCapture(CLS_BehaviorAnalysisEntity& _record) override;
    int BehaviorAnalysisGetRecord(const CLS_BehaviorAnalysisSearchEntity& _search,
                                  QVector<CLS_BehaviorAnalysisEntity>& _vecRecords) override;
    int BehaviorAnalysisGetCount(const CLS_BehaviorAnalysisSearchEntity& _search) override;
    int GetOldestBehaviorAnalysisPicFiles(int _iFileNum, QVector<CLS_BehaviorAnalysisEntity>& _vecRecords) override;
    int GetBehaviorAnalysisPicFiles(QString _qstrSaveTime, int _iFileNum,
                                    QVector<CLS_BehaviorAnalysisEntity>& _vecRecords) override;
    int DelBehaviorAnalysisPicRec(const QList<QPair<QString, QString>>& _lstIdTimes) override;
    int DeleteAllBehaviorAnalysisData() override;
    bool ParseCarPictureAttribute(QString _qstrPicPath, CLS_CarDataRecvEntity& _record) override;
    bool ParsePadPictureAttribute(QString _qstrPicPath, CLS_PadDataRecvEntity& _record) override;
    bool ParseWayPictureAttribute(QString _qstrPicPath, CLS_WayDataRecEntity& _record) override;
    int SaveCarRecvDataToDB(QVector<CLS_CarDataRecvEntity>& _vecRecords) override;
    int SaveCarRecvDataToDB(CLS_CarDataRecvEntity& _record) override;
    int SavePadRecvDataToDB(QVector<CLS_PadDataRecvEntity>& _vecRecords) override;
    int SavePadRecvDataToDB(CLS_PadDataRecvEntity& _record) override;
    int SaveWayRecvDataToDB(QVector<CLS_WayDataRecEntity>& _vecRecords) override;
    int SaveWayRecvDataToDB(CLS_WayDataRecEntity& _record) override;
    int QueryCarHistory(const STRCT_PassageQuery& _query, QVector<CLS_CarDataRecvEntity>& _vecRecords) override;
    int QueryPadHistory(const STRCT_PassageQuery& _query, QVector<CLS_PadDataRecvEntity>& _vecRecords) override;
    int QueryWayHistory(const STRCT_PassageQuery& _query, QVector<CLS_WayDataRecEntity>& _vecRecords) override;
    int GetCarRecordCount(const STRCT_PassageQuery& _query) override;
    int GetPadRecordCount(const STRCT_PassageQuery& _query) override;
    int GetWayRecordCount(const STRCT_PassageQuery& _query) override;
    int GetCarPicFiles(int _iFileNum, QVector<CLS_CarDataRecvEntity>& _vecRecords) override;
    int GetPadPicFiles(int _iFileNum, QVector<CLS_PadDataRecvEntity>& _vecRecords) override;
    int GetWayPicFiles(int _iFileNum, QVector<CLS_WayDataRecEntity>& _vecRecords) override;
    int DelCarPicRec(const QList<QPair<QString, QString>>& _lstIdTimes) override;
    int DelPadPicRec(const QList<QPair<QString, QString>>& _lstIdTimes) override;
    int DelWayPicRec(const QList<QPair<QString, QString>>& _lstIdTimes) override;
    int DeleteAllCarPicData() override;
    int DeleteAllPadPicData() override;
    int DeleteAllWayPicData() override;
    int GetPadTerminalName(QString _qstrTerminalSn, QString& _qstrName) override;

    // ---- face libraries and synchronisation tasks ----
    int InsertTargetLibStaffTask(const QString& _qstrChanID, const QString& _qstrFaceLibID,
                                 const int& _iDeviceType) override;
    int GetChanTargetLibbyID(QString _qstrChanID, QVector<CLS_ChannelTargetEntity>& _vecTargets) override;
    int GetPersonLibOfNeedSyncByHostId(QString _qstrHostId, QVector<CLS_ChannelTargetEntity>& _vecTargets) override;

    // ---- security vehicle lists ----
    int QuerySendDataByTerminalSn(QString _qstrTerminalSn, QVector<CLS_SecurityCarSendEntity>& _vecSends) override;

    // ---- web-service file operations ----
    int WebserviceUploadFile(const QString& _qstrSerPath, const QString& localFilePath) override;
    int WebserviceDownloadFile(const QString& _qstrSerPath, QString& content) override;
    int WebserviceDelFile(const QString& _qstrSerPath) override;
    int WebserviceRename(const QString& _qstrOldPath, const QString& _qstrNewPath) override;
    int WebserviceCreateDir(const QString& _qstrSerPath) override;
    /// Loads the web-service worker beside the executable once; 0 when loaded, -1 on failure
    /// (tried again on the next call).
    int WebserviceLoadLib();

    // ---- server host status ----
    int GetAllNetworkInfo(QList<_NetworkInfo*>& _lstInfo) override;
    int GetSystemStatusByName(const QString& _strName, _NetworkInfo*& _pInfo) override;
    int GetServerStatus(QJsonObject& _objStatus) override;

    /// Status callback registered with the database channel; _pUser is the mediator.
    static void DbStatusCallback(int _iCmd, int _iParam, void* _pUser);

    /// The four database names, in preparation order.
    static const QStringList& DatabaseNames();

public slots:
    void slotUpdateR480HostConfig(QString _qstrUserName, QString _qstrNewPwd) override;

private:
    int GetDbServerConfig(QString& _ip, int& _port);
    QString PrepareDbFile(QString _strDir, QString _strDbName);

    friend class CLS_DataMediatorTestAccess;

    // Resource items by object id, guarded by the lock beside it.
    ItemIndex m_mapResourceData;
    QReadWriteLock m_lockResourceData;
    // Custom-tree nodes by node id.
    QMap<QString, STRCT_VideoItem*> m_mapCustomData;
    // The logged-in user.
    QString m_strUserID;
    QString m_strUserName;
    QString m_strPassword;
    // Database server address as read from DbServerConfig.json (also the file-service host).
    QString m_qstrSerIp;

    // ---- device state (CLS_DataMediatorDevices.cpp) ----
    // Products of the first code asked for with a non-empty answer, and that code.
    QVector<CLS_ProductEntity> m_vecProductCache;
    QString m_strProductCacheCode;

    // ---- resource tree state (CLS_DataMediatorTree.cpp) ----
    // The tree's helpers work on the maps and the lock above.
    friend class CLS_ResourceTree;
    // Host types of device type 0 with their captions in the client language.
    QMap<int, QString> m_mapVideoHostType;
    // Items of the passenger-flow tree by node id; that tree fills it.
    QMap<QString, STRCT_VideoItem*> m_mapPassengerFlowData;
    // Rights of the current user's first role by authority type (held compactly).
    CLS_RoleRights m_mapAuthority;
    // The role whose rights m_mapAuthority holds; empty until they are read after a login.
    QString m_strAuthorityRoleID;
    // Set once the trees have been loaded.
    bool m_bTreeInited = false;

    // ---- custom trees and passenger-flow trees state ----
    // Their helpers work on m_mapCustomData and m_mapPassengerFlowData (no lock).
    friend class CLS_CustomTree;

    // ---- views, view cruises and group switching state ----

    // ---- decoders and TV wall state ----
    // Adds the decoders with their encoder inputs and outputs to the resource tree (loading).
    int LoadDecoderItems();
    // The items of a decoder and of its outputs and inputs (read lock taken inside).
    QVector<STRCT_VideoItem*> DecoderItems(const QString& _strDecID);
    // Adds a new decoder or output item (replacing one of the same id) and announces it.
    void PutDecoderItem(STRCT_VideoItem* _pItem);

    // ---- electronic maps and areas state ----
    // The areas of the last successful GetAllArea.
    QVector<CLS_AreaEntity> m_qvecAreaList;

    // ---- alarm catalogue and linkage state ----
    // (CLS_DataMediatorAlarms.cpp) Adapter alarm types by id and the alarm levels, made on
    // first use; the link cache owns its links and their parameters.
    AdapterAlarmInfoMap* m_pqmapAdapterAlarmInfo = nullptr;
    QList<CLS_AlarmLevelEntity*>* m_pqlistAlarmLevel = nullptr;
    AlarmLinkMap m_qmapAlarmLinkInfo;
    /// Frees the adapter map, the levels and the link cache (the destructor's first step).
    void ReleaseAlarmState();
    /// Frees the links of the cache and empties it.
    static void ClearAlarmLinkCache(AlarmLinkMap& _cache);

    // ---- alarm records state ----

    // ---- recording files state ----
    // Pre-record and delay values by channel id, as last loaded (CLS_DataMediatorRecordings.cpp).
    QMap<QString, QPair<qint32, qint32>> m_qmapRecPreDelay;

    // ---- face captures state ----

    // ---- passenger-flow statistics state ----
    // (CLS_DataMediatorPassengerFlow.cpp) Region parameters by region id and the count of
    // regions, under the first lock; live states by region id under the second. A thread
    // holding the first may take the second, never the other way round.
    PassengerFlowRegionParamMap m_qmapPassengerFlowRegionParam;
    qint32 m_iRegionNum = 0;
    QReadWriteLock m_lockPassengerFlowRegionParam;
    QMap<QString, STRCT_PassengerFlowRegionRealTime> m_qmapPassengerFlowRegionRealTime;
    QReadWriteLock m_lockPassengerFlowRegionRealTime;
    QDateTime (*m_pfnPassengerFlowNow)() = nullptr;
    QDateTime PassengerFlowNow() const;
    // Folds _report into the region's live state, made when missing, but only for a region
    // with parameters (both locks are held: the parameter lock at least for reading, the
    // live-state lock for writing).
    void FoldPassengerFlowReport(const STRCT_PassengerFlowRegionParam& _param, const STRCT_PassengerFlowReport& _report);
    // Forgets the loaded regions with their live states (another user logged in).
    void DropPassengerFlowRegions();

    // ---- behaviour analysis and passage histories state ----

    // ---- face libraries and synchronisation tasks state ----

    // ---- security vehicle lists state ----

    // ---- web-service file operations state (CLS_DataMediatorWebservice.cpp) ----
    // Set once the worker library has been loaded.
    bool m_bWebserviceLoaded = false;

    // ---- settings state (CLS_DataMediatorSettings.cpp) ----
    // The record GetLocalGeneralSettingInfo hands out: made by its first call, refilled by
    // every later one, freed with the mediator.
    std::unique_ptr<STRCT_LocalGeneralSetting> m_pLocalGeneralSetting;
    // Home-page modules, read on first demand.
    QList<STRCT_HomeModule> m_lstHomeModules;
};

#endif  // CLS_DATAMEDIATOR_H
