#ifndef CLS_DATAMEDIATOR_H
#define CLS_DATAMEDIATOR_H

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
    QMap<QString, STRCT_VideoItem*> m_mapResourceData;
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
    // Rights of the current user's first role by authority type.
    AuthorityMap m_mapAuthority;
    // Set once the trees have been loaded.
    bool m_bTreeInited = false;

    // ---- custom trees and passenger-flow trees state ----

    // ---- views, view cruises and group switching state ----

    // ---- decoders and TV wall state ----

    // ---- electronic maps and areas state ----

    // ---- alarm catalogue and linkage state ----

    // ---- alarm records state ----

    // ---- recording files state ----

    // ---- face captures state ----

    // ---- passenger-flow statistics state ----

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
