// The client's one interface to the data layer.
//
// A client loads the library, calls CreateMediator(), then InitData() and CreateDBConnection(),
// and from then on asks the mediator for everything stored. Operations return 0 on success and
// a negative value on failure unless documented otherwise.
#ifndef I_DATAMEDIATOR_H
#define I_DATAMEDIATOR_H

#include "DataMediatorExport.h"
#include "NetworkInfo.h"
// devices and the resource tree
#include "CLS_ChannelEntity.h"
#include "CLS_HostEntity.h"
#include "CLS_ProductEntity.h"
#include "DevItem.h"
#include "VideoItem.h"
// users, roles and rights; settings and configuration
#include "CLS_RoleEntity.h"
#include "CLS_UserEntity.h"
#include "STRCT_Authority.h"
#include "STRCT_LocalGeneralSetting.h"
#include "STRCT_SettingRecords.h"

// custom trees and passenger-flow trees

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
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>

struct STRCT_VideoItem;

/// Kind of change carried by every change signal.
enum OperationType {
    otInsert = 1,  ///< items added
    otUpdate = 2,  ///< items changed
    otDelete = 3,  ///< items removed
    otSort = 4,    ///< tree nodes reordered
};

class DATAMEDIATOR_EXPORT I_DataMediator : public QObject
{
    Q_OBJECT
public:
    explicit I_DataMediator(QObject* _pParent = nullptr) : QObject(_pParent) {}
    ~I_DataMediator() override = default;

    // ---- start-up ----
    /// Reads DbServerConfig.json, settles the system id, binds the WebSocket library, registers
    /// the status callback and repairs the local database files. Call once, first.
    virtual void InitData() = 0;
    /// Opens the database channel; 1 when usable, a negative status otherwise.
    virtual int CreateDBConnection() = 0;

    // ---- database maintenance (the server's databases) ----
    virtual int DownLoadDB(QMap<QString, QVariant>& _mapDbData) = 0;
    virtual int UploadDB(QMap<QString, QVariant>& _mapDbData, QMap<QString, int>& _mapResults) = 0;
    virtual int BackupDatabase(const QString& _strFilePath, const QList<QString>& _lstDbNames,
                               QMap<QString, bool>& _mapResults) = 0;
    virtual int RestoreDatabase(QString& _strFilePath, const QList<QString>& _lstDbNames,
                                QMap<QString, bool>& _mapResults, int _iTimeout) = 0;

    /// Folder of the local database files: the application directory followed by "/Db/".
    virtual QString GetDbDirPath() = 0;

    // ---- devices and the resource tree ----
    /// Number of channels, alarm inputs or alarm outputs of one host; -1 for no answer.
    virtual int GetChannelCountOfHost(QString _strHostID) = 0;
    virtual int GetAlarmInCountOfHost(QString _strHostID) = 0;
    virtual int GetAlarmOutCountOfHost(QString _strHostID) = 0;
    /// Adds host id -> number of channels (alarm inputs, alarm outputs) to the map; 0 or -1.
    virtual int GetChannelCounts(QMap<QString, int>& _mapCounts) = 0;
    virtual int GetAlarmInCounts(QMap<QString, int>& _mapCounts) = 0;
    virtual int GetAlarmOutCounts(QMap<QString, int>& _mapCounts) = 0;
    /// Channels the user may view (all channels for an empty user); -1 for no answer.
    virtual int GetCameraCount(QString _strUserID) = 0;
    /// Hosts of the device type (visible to the user when one is given); -1 for no answer.
    virtual int GetHostCount(int _iDevType, QString _strUserID) = 0;
    /// Number of pages of _iPageSize hosts; -1 for no answer or a page size below 1.
    virtual int GetHostPageCount(int _iPageSize) = 0;
    /// Appends page _iPageIndex (from 1) of hosts by address; the caller owns the entities.
    virtual int GetHostPage(int _iPageSize, int _iPageIndex, QVector<CLS_HostEntity*>& _vecHosts) = 0;
    /// Appends page _iPageIndex (from 1) of hosts as items whose three counters carry the host's
    /// numbers of channels, alarm inputs and alarm outputs. The items belong to the caller and
    /// are not part of the resource tree. 0, or the failure (nothing appended).
    virtual int GetHostPageItems(int _iPageSize, int _iPageIndex, QVector<STRCT_VideoHost*>& _vecHosts) = 0;
    /// Appends the ids of the hosts whose domain (mode 1), serial number (mode 2) or address
    /// (other modes) is the text.
    virtual int GetHostIdsByAddress(QString _strAddress, int _iMode, QStringList& _lstHostIDs) = 0;
    virtual int GetHostIdsByProxyType(int _iProxyType, QStringList& _lstHostIDs) = 0;
    /// The local recorder (first host of device type 0): user name and plain password, or
    /// address and ports. -1 when there is none.
    virtual int GetLocalRecorderCredentials(QString& _strUserName, QString& _strPassword) = 0;
    virtual int GetLocalRecorderAddress(QString& _strIP, int& _iHttpPort, int& _iPort) = 0;
    /// New password of every host of device type 0; 0 or -1.
    virtual int SetLocalRecorderPassword(QString _strPassword) = 0;
    /// The products of a code (the leaves of the data dictionary under it), kept after the first
    /// non-empty answer and served from there. 0, or -1 when there is none.
    virtual int GetAllProduct(QString _strCode, QVector<CLS_ProductEntity>& _vecProducts) = 0;

    // The resource tree: every host, channel and alarm point the logged-in user may see, kept
    // by id and in step with the database. Changes are reported through
    // SignResourceDataChangeCallback after they are made; the vector handed to it and the items
    // it removes stay readable for a while after the signal returns.
    /// Loads the tree of the current user once (later calls return 0 at once): the user's first
    /// role and its rights, the hosts on which the role holds authority type 1 with their
    /// channels and alarm points, and the generic devices as hosts. -1 when the user has no
    /// usable role. Emits nothing.
    virtual int InitTreeNodeData() = 0;
    /// Stores a new host (its children are added on their own) and adds it to the tree.
    virtual int InsertHost(STRCT_VideoHost* _pVideoItem) = 0;
    /// Stores a new channel (tried twice) and places it after its host's channels; -1 when the
    /// host's channel counter does not match its children (the row stays written).
    virtual int InsertChannel(STRCT_VideoChannel* _pVideoItem) = 0;
    /// The same for a batch, in one transaction and with one signal; null entries are skipped.
    virtual int InsertChannelEx(const QVector<STRCT_VideoChannel*>& _qvecChannelData) = 0;
    /// Alarm inputs go after the host's alarm inputs, alarm outputs after its alarm outputs.
    virtual int InsertAlarmIn(STRCT_VideoAlarmIn* _pVideoItem) = 0;
    virtual int InsertAlarmOut(STRCT_VideoAlarmOut* _pVideoItem) = 0;
    virtual int InsertAlarmInEx(const QVector<STRCT_VideoAlarmIn*>& _qvecAlarmInItems) = 0;
    virtual int InsertAlarmOutEx(const QVector<STRCT_VideoAlarmOut*>& _qvecAlarmOutItems) = 0;
    /// Stores the host and brings its tree item in line: a new address re-captions every child;
    /// the counters of the given item are the wanted numbers of channels, alarm inputs and
    /// alarm outputs (surplus ones are deleted from the end, missing ones created).
    virtual int UpdateHost(STRCT_VideoHost* _pstrctHostData) = 0;
    /// Store the items (tried twice), then copy number, caption and description into the tree.
    virtual int UpdateChannelEx(const QVector<STRCT_VideoChannel*>& _qvecChannelData) = 0;
    virtual int UpdateAlarmIn(STRCT_VideoAlarmIn* _pVideoItem) = 0;
    virtual int UpdateAlarmInEx(const QVector<STRCT_VideoAlarmIn*>& _qvecAlarmInItems) = 0;
    virtual int UpdateAlarmOut(STRCT_VideoAlarmOut* _pVideoItem) = 0;
    virtual int UpdateAlarmOutEx(const QVector<STRCT_VideoAlarmOut*>& _qvecAlarmOutItems) = 0;
    /// Deletes the host's channels and alarm points, then the host, from the database and the tree.
    virtual int DeleteHost(QString _strHostID) = 0;
    /// Stores a generic device and shows it as a host with one channel ("<id>_0").
    virtual int ModifyOrInsertDev(Common::STRCT_DevItem* _pDevItem) = 0;
    /// Deletes a generic device and its host and channel items.
    virtual int DeleteDev(QString _strDevID) = 0;
    /// Arms (1) or disarms (0) a host, channel or alarm input; -1 for other items.
    virtual int UpdateRefenceState(QString _strID, int _iState) = 0;

    /// Every host item of the tree, by id.
    virtual QVector<STRCT_VideoItem*> GetAllHostItems() = 0;
    /// Appends the items whose parent is _strParentID, by id.
    virtual void GetChildItems(QString _strParentID, QVector<STRCT_VideoItem*>& _vecItems) = 0;
    /// Appends the hosts, channels and alarm inputs of the tree to the three lists.
    virtual void GetResourceItemsByType(QVector<STRCT_VideoItem*>& _vecHosts,
                                        QVector<STRCT_VideoItem*>& _vecChannels,
                                        QVector<STRCT_VideoItem*>& _vecAlarmIns) = 0;
    /// The defence state of the item; -1 when it is not in the tree.
    virtual int GetRefenceStateById(QString _strID) = 0;
    /// The parent item of the item (its host); null when either is not in the tree.
    virtual STRCT_VideoItem* GetHostItemOfChild(QString _strID) = 0;
    /// The proxy type of the channel's host; false when the host is not in the tree.
    virtual bool GetProxyType(QString _qstrChannelId, int& _iProxyType) = 0;
    /// Whether the channel's host is reached through the peer-to-peer cloud service (proxy type
    /// 4); the host's id goes to _qstrHostId.
    virtual bool IsALiP2PDev(QString _qstrChannelId, QString& _qstrHostId) = 0;
    /// The stored host or channel (read from the database, not the tree); 0 or -1.
    virtual int GetHostSync(QString _strHostID, CLS_HostEntity& _hostEntity) = 0;
    virtual int GetChanelSync(QString _strChannelID, CLS_ChannelEntity& _channelEntity) = 0;
    /// The stored channel _iChannelNo of the host; 0 or -1.
    virtual int GetChanbyChanNoAndHostID(QString _strHostID, int _iChannelNo,
                                         CLS_ChannelEntity& _channelEntity) = 0;
    /// Database only: the tree and its signals are left alone.
    virtual int DeleteChannel(QString _strChannelID) = 0;
    virtual int DeleteChannelsOfHost(QString _strHostID) = 0;
    virtual int DeleteAlarmIns(const QStringList& _lstAlarmInIDs) = 0;
    virtual int DeleteAlarmOuts(const QStringList& _lstAlarmOutIDs) = 0;

    // ---- users, roles and rights ----
    /// Checks the name and password and, on success, makes this user the current one (id, name
    /// and password as entered). 0; -11 when the name is unknown or the account expired; -12
    /// when the password differs; -1 for an empty name or password or a failed query.
    virtual int LoginUser(QString _strUserName, QString _strPassword) = 0;
    /// Stores the first administrator (object "admin" in the role "admin_role") with this name
    /// and password, and makes it the login default of this system. 0 or the failure.
    virtual int AddUser(QString _strUserName, QString _strPassword) = 0;
    /// Every user, password in clear. The caller owns the entities.
    virtual QVector<CLS_UserEntity*> GetAllUser() = 0;
    /// Whether a user of that name exists, ignoring case; the user _strUserID (when given) does
    /// not count, so that a user being renamed does not collide with itself.
    virtual bool IsUserExist(QString _strUserName, QString _strUserID) = 0;
    /// Name, level, expiry, description and password of the user S_ID.
    virtual int UpdateUserInfo(const CLS_UserEntity& _user) = 0;
    /// Appends the roles of the user. 0, or -1 when the query failed.
    virtual int GetRoleByUser(QString _strUserID, QVector<CLS_RoleEntity>& _vecRoles) = 0;
    /// Removes the role, its memberships and its rights; its members stay users.
    virtual int DeleteRole(QString _strRoleID) = 0;
    /// Removes the user with its memberships and custom-tree nodes.
    virtual int DeleteUser(QString _strUserID) = 0;
    /// A new user together with a new role it belongs to, in one transaction. -1 for null.
    virtual int InsertUserAddRoleRelatedInfo(CLS_UserEntity* _pUser, CLS_RoleEntity* _pRole) = 0;
    /// Name and description of the role. -1 for null.
    virtual int UpdateRoleInfo(CLS_RoleEntity* _pRole) = 0;
    /// Whether the role holds the authority type with status 1 on the object, or on any object
    /// when _strObjID is empty.
    virtual bool HasAuthority(QString _strRoleID, QString _strObjID, qint32 _iAuthorityType) = 0;
    /// Replaces _mapAuth by the rights of the role, by authority type. False when the read failed.
    virtual bool GetAuthorityByRole(QString _strRoleID, AuthorityMap& _mapAuth) = 0;
    /// Inserts the right, or updates the status of the role's existing right. -1 for null.
    virtual int UpdateAuthToRole(STRCT_Authority* _pAuthority) = 0;
    /// Stores every right of the map in one transaction.
    virtual int UpdateAuthToRoles(const AuthorityMap& _mapAuth) = 0;
    /// Numbers of the chosen security questions, in their stored order.
    virtual QList<qint32> GetSecurityQuestion() = 0;
    /// Stores the answers: question number (decimal text) → answer.
    virtual void SetSecurityAnswer(const QMap<QString, QString>& _mapAnswers) = 0;
    /// The stored answers as (question number, answer).
    virtual QList<QPair<qint32, QString>> GetSecurityAnswer() = 0;
    /// The stored password of the user of that name, in clear; empty when not found.
    virtual QString GetUserPassWord(QString _strUserName) = 0;
    /// Id and name of the current user; empty before a successful login.
    virtual QString GetCurrentUserID() = 0;
    virtual QString GetCurrentUserName() = 0;

    // ---- settings and configuration ----
    /// Every "MAINTYPE_SYSCONFIG" setting with its default. The record belongs to the mediator
    /// and is refilled by every call; paths end with a separator and the backup folder exists.
    virtual STRCT_LocalGeneralSetting* GetLocalGeneralSettingInfo() = 0;
    /// Saves the personal settings of the record into this system's personal table (failures
    /// are logged). Keys without a row are not stored.
    virtual void SavePersonalSetInfo(const STRCT_LocalGeneralSetting& _setting) = 0;
    /// Saves the common settings of the record (failures are logged).
    virtual void SaveComSetInfo(const STRCT_LocalGeneralSetting& _setting) = 0;
    /// "VERSION" and "DATE" of "MAINTYPE_VERSIONINFO".
    virtual QMap<QString, QString> GetVersionInfo() = 0;
    /// The modules the client had open when it last closed.
    virtual QList<STRCT_OpenModule> GetLastOpenModules() = 0;
    virtual void SaveLastOpenModules(const QList<STRCT_OpenModule>& _lstModules) = 0;
    /// The home-page modules (read once, then served from the mediator's cache).
    virtual QList<STRCT_HomeModule> GetHomeModules() = 0;
    /// Translated texts by module type: each map may hold "language", "title", "des" and
    /// "icon". Only the cached modules change; the table is read only.
    virtual void UpdateHomeModules(const QMap<QString, QMap<QString, QString>>& _mapTexts) = 0;
    /// Caption → abbreviation of the display flags.
    virtual QMap<QString, QString> GetCurDisplayflag() = 0;
    /// Sets the personal display flag back to "system" (tried twice). 0 or the failure.
    virtual int RecoverDefaultDisplayFlag() = 0;
    /// The dynamic-DNS server.
    virtual STRCT_DomainServerInfo GetDomainServerInfo() = 0;
    /// "CN" 1, "TradCHS" 2, "EN" 3, "Farsi" 4, "Italian" 5, "Korean" 6, "Dutch" 7, "Russian" 8,
    /// "Turkish" 9; 3 for anything else.
    virtual int TranslateLanguageType(QString _strLanguage) = 0;
    /// Defaults the client offers when a device is added.
    virtual STRCT_DeviceAddConfig GetDeviceAddConfig() = 0;

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
    /// Stores the local file localFilePath under _qstrSerPath on the storage host (a file that
    /// cannot be read is sent empty). 0 on success, -1 on any failure.
    virtual int WebserviceUploadFile(const QString& _qstrSerPath, const QString& localFilePath) = 0;
    /// Fetches _qstrSerPath from the storage host; content receives the file as Base64 text.
    virtual int WebserviceDownloadFile(const QString& _qstrSerPath, QString& content) = 0;
    /// Deletes the remote file _qstrSerPath.
    virtual int WebserviceDelFile(const QString& _qstrSerPath) = 0;
    /// Renames a remote file; renaming a file onto its own name succeeds.
    virtual int WebserviceRename(const QString& _qstrOldPath, const QString& _qstrNewPath) = 0;
    /// Creates the remote directory _qstrSerPath.
    virtual int WebserviceCreateDir(const QString& _qstrSerPath) = 0;

    // ---- server host status ----
    /// Appends one new record per interface of the server host; the caller owns them.
    virtual int GetAllNetworkInfo(QList<_NetworkInfo*>& _lstInfo) = 0;
    /// Fills _pInfo (created when null; the caller owns it) with the interface and its samples.
    virtual int GetSystemStatusByName(const QString& _strName, _NetworkInfo*& _pInfo) = 0;

signals:
    void SignResourceDataChangeCallback(const QVector<STRCT_VideoItem*>* _pqvecDataList, OperationType _iCmdType,
                                        int _iDevType, void* _pParam);
    void SignCustomTreeDataChangeCallback(QVector<STRCT_VideoItem*>& _itemList, OperationType _iCmdType,
                                          int _iDevType, void* _param);
    void SignPassengerFlowCustomTreeDataChangeCallback(QVector<STRCT_VideoItem*> _itemList, OperationType _iCmdType,
                                                       int _iDevType, void* _param);
    void SignUpdateViewSuccess();
    void SignUpdateP2PSvrLst();
    void SignDBStatuaChange(int _iDBStatus);
    void SignSendCar();

public slots:
    /// Stores the new password of the local recorder.
    virtual void slotUpdateR480HostConfig(QString _qstrUserName, QString _qstrNewPwd) = 0;
};

extern "C" {
/// A new, idle mediator (no disk or network access).
DATAMEDIATOR_EXPORT I_DataMediator* CreateMediator();
/// Destroys a mediator; null is ignored. Always 0.
DATAMEDIATOR_EXPORT int DeleteMediator(I_DataMediator* _pMediator);
/// Both do nothing and return 0.
DATAMEDIATOR_EXPORT int Init();
DATAMEDIATOR_EXPORT int Release();
}

#endif  // I_DATAMEDIATOR_H
