// The client's one interface to the data layer.
//
// A client loads the library, calls CreateMediator(), then InitData() and CreateDBConnection(),
// and from then on asks the mediator for everything stored. Operations return 0 on success and
// a negative value on failure unless documented otherwise.
//
// Blocking: every operation that reads or writes the database blocks its caller for each round
// trip, up to 3 s per request (CreateDBConnection up to 300 s, the database transfers up to
// 3600 s) and fails at once while the connection is down; look-ups of the in-memory trees and
// caches never touch the network. Keep them off a GUI thread.
// Threads: the change signals are emitted inside the call that made the change, on its thread;
// SignDBStatuaChange on the WebSocket client's event thread. Every signal can be received with
// Qt::QueuedConnection (the argument types are registered when the first mediator is made).
// Ownership: records, entities and lists an operation hands out are the caller's; tree items
// and caches are the mediator's, and the items a change signal removes are freed 600 ms after
// it; the tree items still held when the mediator is deleted are the client's to free.
// docs/client-guide.md lists each kind with its rule.
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
#include "STRCT_FaceParseResult.h"
#include "STRCT_RecFileInfo.h"
#include <QDateTime>
#include <QPair>
#include <QSet>

// passenger-flow statistics
#include "CLS_PassengerFlowEntity.h"

// behaviour analysis and passages
#include "CLS_PassageEntities.h"

// face libraries and security vehicles
#include "CLS_FaceLibEntities.h"
#include "CLS_SecurityCarEntity.h"

// web-service files

#include <QJsonObject>
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
    /// Loads the trees of the current user once (later calls return 0 at once): the user's first
    /// role and its rights, the hosts on which the role holds authority type 1 with their
    /// channels and alarm points, the generic devices as hosts, the decoders with their inputs
    /// and outputs, then the user's custom and passenger-flow trees. -1 when the user has no
    /// usable role; a tree that cannot be read is a failure and the next call loads again.
    /// Emits nothing.
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
    /// when the password differs; -1 for an empty name or password or a failed query. A login
    /// of a different user drops the trees, rights and passenger-flow regions loaded for the
    /// previous one.
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
    // Each user's own trees of groups and references to channels and alarm points, loaded by
    // InitTreeNodeData after the resource tree and kept in step with the database. A custom
    // tree item carries the node id in m_strNodeID and the referenced object in m_strID (a
    // group: the node id); its root is the group "custom_root_id". Changes are reported with
    // SignCustomTreeDataChangeCallback (passenger-flow tree: SignPassengerFlowCustomTreeDataChangeCallback),
    // device type 9. Results: 0 or positive on success, negative on failure; a failure leaves
    // the trees unchanged.
    /// Stores a group under a group node of the custom tree (or "custom_root_id") and adds it;
    /// _strNodeID receives the new node's id.
    virtual int InsertCustomTreeGroup(QString _strParentNodeID, QString _strCaption, QString& _strNodeID) = 0;
    /// Stores nodes for the channels and alarm points of the resource tree named by the items'
    /// m_strID under a group node, in one transaction (tried twice), and adds their items. With
    /// _bPassengerFlow the passenger-flow tree takes them instead (channels only).
    virtual int InsertCustomTreeNodes(QString _qstrParentTreeNodeID, const QVector<STRCT_VideoItem*>& _qvecItems,
                                      bool _bPassengerFlow) = 0;
    /// The same for alarm inputs, respectively alarm outputs, only.
    virtual int InsertAlarmInNodes(QString _qstrParentTreeNodeID, QVector<STRCT_VideoItem*>* _pqvecTreeNodes) = 0;
    virtual int InsertAlarmOutNodes(QString _qstrParentTreeNodeID, QVector<STRCT_VideoItem*>* _pqvecTreeNodes) = 0;
    /// Stores the caption of the node _pNode->m_strNodeID and shows it.
    virtual int UpdateCustomTreeNodeCaption(STRCT_VideoItem* _pNode) = 0;
    /// Stores a node's order number; reported with otSort and _param.
    virtual int SortCustomTreeNotesNum(QString _strNodeID, int _iNum, void* _param) = 0;
    /// Stores nodes for the resource channels of _vecTreeNodeIDs under the group _strGroupNodeID,
    /// placed before the child node _strAnchorNodeID (at the end when it is empty or not a
    /// child), and renumbers the group's children so that their stored order is the new one.
    virtual int InsertCustomTreeNodesAt(const QStringList& _vecTreeNodeIDs, QString _strGroupNodeID,
                                        QString _strAnchorNodeID) = 0;
    /// Removes a node with every node below it, stored and shown.
    virtual int DeleteFromCustomTree(QString _strNodeID) = 0;
    /// Appends the alarm-input (alarm-output) items of the custom tree; they stay the mediator's.
    virtual void GetCustomTreeAlarmInNodes(QVector<STRCT_VideoItem*>& _vecItems) = 0;
    virtual void GetCustomTreeAlarmOutNodes(QVector<STRCT_VideoItem*>& _vecItems) = 0;
    /// The stored root nodes of a user.
    virtual int GetRootChildNodes(QString _strUserID, QVector<CLS_CustomTreeEntity*>& _vecTreeNodes) = 0;
    /// Stored nodes with their object types: the user's root nodes, the user's children of a
    /// node, and the same from the passenger-flow tree.
    virtual int GetRootChildNodesType(QString _strUserID, QVector<CLS_CustomTreeNodesEntity*>& _vecTreeNodes) = 0;
    virtual int GetRootChildNodesType(QString _strUserID, QString _strParentNodeID,
                                      QVector<CLS_CustomTreeNodesEntity*>& _vecTreeNodes) = 0;
    virtual int GetRootChildNodesType(QString _strUserID, QVector<CLS_CustomTreeNodesEntity*>& _vecTreeNodes,
                                      bool _bPassengerFlow) = 0;
    virtual int GetRootChildNodesType(QString _strUserID, QString _strParentNodeID,
                                      QVector<CLS_CustomTreeNodesEntity*>& _vecTreeNodes, bool _bPassengerFlow) = 0;
    /// Passenger-flow tree: stores a group under a group node (or "custom_root_id") and adds it.
    virtual int InsertPassengerFlowGroup(QString _strParentNodeID, QString _strCaption, QString& _strNodeID) = 0;
    virtual int UpdatePassengerFlowNodeCaption(QString _strNodeID, QString _strCaption) = 0;
    /// Removes the current user's nodes of an object.
    virtual int DeletePassengerFlowNodesOfObject(QString _strObjID) = 0;
    /// Removes a group with its direct children.
    virtual int DeletePassengerFlowTreeGroup(QString _qstrTreeNodeID) = 0;
    /// Takes a node out of its group in memory only: its item leaves the tree (released later);
    /// nothing is stored or reported.
    virtual int DeleteFromPassengerFlowCustomTreeGroup(QString _qstrTreeNodeID) = 0;
    /// Removes the current user's device nodes: all of them, or those of one object.
    virtual int DeletePassengerFlowDeviceNodes(QString _strObjID) = 0;
    /// The items of the trees; they stay the mediator's.
    virtual QVector<STRCT_VideoItem*> GetCustomTreeItems() = 0;
    virtual QVector<STRCT_VideoItem*> GetPassengerFlowTreeItems() = 0;

    // ---- views, view cruises and group switching ----
    // Views with their channels, the user's view cruises and group switching. Operations that
    // act for the user refuse with -1 before a login. Insert, update and delete of a view emit
    // SignUpdateViewSuccess on success.
    /// Whether a view has the caption; false for an empty caption.
    virtual bool IsViewExist(QString _strViewCaption) = 0;
    virtual int UpdateView(QString _strViewID, QString _strCaption) = 0;
    /// The view, its channels and its layout membership; a view without id gets a new one
    /// (written back).
    virtual int InsertView(CLS_ViewEntity& _viewEntity) = 0;
    /// The view with its layout membership and cruise entries (its channel rows stay).
    virtual int DeleteView(QString _strViewID) = 0;
    /// Appends every view with its channels; the caller owns the entities.
    virtual int GetAllView(QVector<CLS_ViewEntity*>& _vecViews) = 0;
    virtual int GetViewByLayout(QString _strLayoutID, int _iViewType, QVector<STRCT_ViewCaption>& _vecViews) = 0;
    virtual int GetViewByType(int _iViewType, QVector<STRCT_ViewCaption>& _vecViews) = 0;
    /// 0, or -1 (empty id, no answer, no such view).
    virtual int GetViewById(QString _qstrId, CLS_ViewEntity& _viewEntity) = 0;
    virtual int InsertGroupSwitch(QString _qstrGroupId, int _iScreenStyle, int _iSwitchTime) = 0;
    virtual int DeleteGroupSwitch(QString _qstrId) = 0;
    virtual int UpdateGroupSwitchScreenStyle(QString _qstrId, int _iScreenStyle) = 0;
    /// The current user's groups with their names; the caller owns the entities.
    virtual int GetAllGroupSwitch(QVector<CLS_GroupSwitchEntity*>& _vecGroups) = 0;
    virtual int GetAllGroupSwitch(QVector<CLS_GroupSwitchEntity>& _vecGroups) = 0;
    /// The switch time of every group of the current user.
    virtual int UpdateGroupSwitchSwitchTime(int _iSwitchTime) = 0;
    virtual bool IsGroupSwitchExist(QString _strGroupId) = 0;
    /// The current user's switch time; -1 before a login or for no answer.
    virtual qint32 GetSwithTimeByUserId() = 0;
    /// Stores the entry for the current user after every existing entry (sequence = highest
    /// + 1, 1 for the first); a negative time becomes 10. Id, user, sequence and time are
    /// written back.
    virtual int InsertViewCruise(CLS_ViewCruiseEntity& _entry) = 0;
    virtual int UpdateViewCruiseTime(QString _strId, int _iTime) = 0;
    virtual int UpdateViewCruiseSequence(QString _strId, int _iSequence) = 0;
    virtual int DeleteViewCruise(QString _strId) = 0;
    /// The current user's entries of views of the type in the layout, by sequence; the caller
    /// owns the entities.
    virtual int GetAllViewCruise(int _iViewType, QString _strLayoutID,
                                 QVector<CLS_ViewCruiseEntity*>& _vecEntries) = 0;
    virtual int GetViewCruiseByType(int _iViewType, QVector<CLS_ViewCruiseEntity*>& _vecEntries) = 0;
    virtual bool IsViewInCruise(QString _strViewID) = 0;

    // ---- decoders and TV wall ----
    // Decoders keep their items in the resource tree (type 12, outputs 13) and report changes
    // through SignResourceDataChangeCallback with device type 1 (9 for output captions). Entities
    // in output vectors belong to the caller. The single-object readers (...Sync, GetDecOut)
    // return -1 for a null result record or when there is no such object.
    virtual int GetAllDecoders(QVector<CLS_DecEntity*>& _vecDecs) = 0;
    virtual int DecSync(QString _qstrDecID, CLS_DecEntity* _pDecEntity) = 0;
    /// Page _iPageNum (from 1) of decoders by address and the number of all decoders.
    virtual int GetDecoderPage(int _iPageSize, int _iPageNum, QVector<CLS_DecEntity*>& _vecDecs, int& _iTotal) = 0;
    virtual int GetDecoderCount() = 0;
    /// Whether a decoder has the address (and the port, when it is not negative).
    virtual bool IsDecoderAddressExist(QString _qstrIP, int _iPort) = 0;
    /// Stores the decoder (with I_DECODER_IN_COUNT numbered inputs when that is positive) and
    /// adds its item under the resource root.
    virtual int InsertDecorder(const CLS_DecEntity& _decEntity) = 0;
    virtual int UpdateDecorder(const CLS_DecEntity& _decEntity) = 0;
    /// The decoder with its outputs, their screen units and memberships; the items leave the tree.
    virtual int DeleteDecorder(QString _qstrHostID) = 0;
    virtual int GetAllDecOuts(QVector<CLS_DecOutEntity*>& _vecOuts) = 0;
    virtual int GetDecOutsOfDecoder(QString _qstrDecID, QVector<CLS_DecOutEntity*>& _vecOuts) = 0;
    /// Outputs of the decoder used neither by a joined screen nor by a member of one.
    virtual int GetFreeDecOuts(QString _qstrDecID, QVector<CLS_DecOutEntity*>& _vecOuts) = 0;
    virtual int GetDecOut(QString _qstrDecID, int _iNum, CLS_DecOutEntity* _pDecOutEntity) = 0;
    virtual int DecOutSync(QString _qstrDecOutID, CLS_DecOutEntity* _pDecOutEntity) = 0;
    virtual int GetVisibleDecOutCount(QString _qstrDecID) = 0;
    virtual int InsertDecOut(const CLS_DecOutEntity& _decOutEntity) = 0;
    virtual int UpdateDecOut(const CLS_DecOutEntity& _decOutEntity) = 0;
    /// The output with the screen units on it and their memberships; its item leaves the tree.
    virtual int DeleteDecOut(QString _qstrDecOutID) = 0;
    virtual int UpdateDecoderOutCaption(QString _qstrDecOutID, QString _qstrCaption) = 0;
    virtual int GetDecOutRegions(QString _qstrDecOutID, QVector<CLS_DecOutRegionEntity*>& _vecRegions) = 0;
    virtual int DecOutRegionSync(QString _qstrRegionID, CLS_DecOutRegionEntity* _pRegionEntity) = 0;
    virtual int InsertDecOutRegion(const CLS_DecOutRegionEntity& _regionEntity) = 0;
    virtual int DeleteDecOutRegion(QString _qstrRegionID) = 0;
    virtual int GetAllTVs(QVector<CLS_TVEntity*>& _vecTVs) = 0;
    /// TV outputs that show a decoder output region.
    virtual int GetAllTVOuts(QVector<CLS_TVOutEntity*>& _vecOuts) = 0;
    virtual int GetTVOutsOfTV(QString _qstrTVID, QVector<CLS_TVOutEntity*>& _vecOuts) = 0;
    /// Ids of the children of an object that have the object type.
    virtual int GetChildIdsOfType(QString _qstrParentID, int _iObjType, QStringList& _lstIDs) = 0;
    virtual int GetAllScreenUnits(QVector<CLS_ScreenUnitEntity*>& _vecUnits) = 0;
    virtual int ScreenUnitSync(QString _qstrUnitID, CLS_ScreenUnitEntity* _pUnitEntity) = 0;
    /// A unit and its membership in the layout, in one transaction.
    virtual int InsertScreen(QString _qstrLayoutID, const CLS_ScreenUnitEntity* _screen) = 0;
    /// Several units of a layout, in one transaction.
    virtual int InsertScreens(QString _qstrLayoutID, const QVector<CLS_ScreenUnitEntity>& _vecUnits) = 0;
    virtual int UpdateScreen(const CLS_ScreenUnitEntity* _screen) = 0;
    virtual int DeleteScreen(QString _qstrUnitID) = 0;
    /// A joined screen with its member units.
    virtual int DeleteJoinScreen(QString _qstrJoinScreenID) = 0;
    /// Ids of the screens of other layouts that use the output.
    virtual int GetScreensUsingDecOut(QString _qstrLayoutID, QString _qstrDecOutID, QStringList& _lstUnitIDs) = 0;
    /// The screens of a layout with output number, decoder id and address, by unit number.
    virtual int GetTvScreenInfo(QString _qstrLayoutID, QVector<CLS_ScreenUnitEntity*>& _vecUnits) = 0;
    /// The single screens of a layout and the members of its joined screens.
    virtual int GetLayoutScreenUnits(QString _qstrLayoutID, QVector<CLS_ScreenUnitEntity*>& _vecUnits) = 0;
    virtual int GetScreenUnitsByType(int _iType, QVector<CLS_ScreenUnitEntity*>& _vecUnits) = 0;
    virtual int GetAllTVLayout(QVector<CLS_TVLayoutEntity*>& _vecLayouts) = 0;
    virtual int GetTVLayoutIds(QStringList& _lstIDs) = 0;
    virtual int TVLayoutSyn(QString _qstrLayoutID, CLS_TVLayoutEntity* _pLayoutEntity) = 0;
    /// The layout with its screens by row (F_Y), then column (F_X); joined screens carry their
    /// members. _iSysType is the client's and is not used for the read.
    virtual int GetLayOutInfoById(QString _qstrLayOutId, CLS_TVLayoutEntity& _layoutEntity, int _iSysType) = 0;
    /// Whether another layout than _qstrLayoutID has the caption.
    virtual bool IsTVLayoutNameExist(QString _qstrName, QString _qstrLayoutID) = 0;
    /// A new layout owned by the current user (a layout without id gets a new one, written
    /// back), then its image when it has one. Separate steps: the first failure ends.
    virtual int InsertTVLayout(CLS_TVLayoutEntity& _layoutEntity) = 0;
    /// Stores the caption of the layout; takes ownership of _pTVLayout and destroys it.
    virtual int UpdateTvWall(CLS_TVLayoutEntity* _pTVLayout) = 0;
    virtual int UpdateTVLayoutImage(QString _qstrLayoutID, QString _qstrImgPath) = 0;
    virtual int UpdateTVOutPlace(QString _qstrLayoutID, QString _qstrTVOutID, QString _qstrNewTVOutID, double _dX,
                                 double _dY, double _dW, double _dH) = 0;
    virtual int RemoveTVOutFromLayout(QString _qstrLayoutID, QString _qstrTVOutID) = 0;
    /// Removes the layout's memberships, and with _bWithScreens its screen units too.
    virtual int ClearTVLayout(QString _qstrLayoutID, bool _bWithScreens) = 0;
    /// Deletes the views that belong to the layout.
    virtual int DeleteTVLayoutViews(QString _qstrLayoutID) = 0;
    virtual int DeleteTVLayout(QString _qstrLayoutID) = 0;
    /// Join templates of decoder outputs in their tables.
    virtual int InsertJoinTemplate(const CLS_TVJoinTemplateEntity& _templateEntity) = 0;
    virtual int GetTemplate(QString _qstrDecOutID, QVector<CLS_TVJoinTemplateEntity>& _vecTemplates) = 0;
    virtual int DeleteJoinTemplate(QString _qstrTemplateID) = 0;
    /// Join templates in the "JoinTemplate" setting: a caption already there stores nothing (-1).
    virtual int InsertTemplate(QString _qstrCaption, QString _qstrDecID, int _iScreenNo,
                               const QVector<STRCT_JoinTemplateRegion>& _vecRegions) = 0;
    /// Caption -> regions of the templates of the decoder and screen number.
    virtual int GetTemplate(QString _qstrDecID, int _iScreenNo,
                            QMap<QString, QVector<STRCT_JoinTemplateRegion>>& _mapTemplates) = 0;

    // ---- electronic maps and areas ----
    /// Appends every map; S_MapImg is the stored text "image/<format>;base64:<Base64>".
    virtual int GetAllElectronicMap(QVector<CLS_ElectronicMapEntity>& _vecMaps) = 0;
    /// Appends the nodes of one map.
    virtual int GetElectronicMapNode(QString _qstrParentId, QVector<CLS_ElectronicMapNodeEntity>& _vecNodes) = 0;
    /// Stores a map from its picture bytes (m_baPicture) and format (m_qstrFormat, e.g. "png").
    virtual int AddElectronicMap(const CLS_ElectronicMapEntity& _map) = 0;
    /// Caption, picture and size of the map S_ID (the picture given as for AddElectronicMap).
    virtual int ModifyElectronicMap(const CLS_ElectronicMapEntity& _map) = 0;
    /// The map row only; its nodes are removed with DeleteAllNodesOfMap.
    virtual int DeleteElectronicMap(QString _qstrId) = 0;
    /// Places every node (on its S_ParentID) in one transaction; -1 for a null node.
    virtual int AddElectronicMapNode(const QList<CLS_ElectronicMapNodeEntity*>& _lstNodes) = 0;
    virtual int AddOneElectronicMapNode(const CLS_ElectronicMapNodeEntity& _node) = 0;
    /// Caption, type and place of nodes of one map, in one transaction; -1 for an empty map id
    /// or list.
    virtual int ModifyElectronicMapNode(QString _qstrParentId, const QList<CLS_ElectronicMapNodeEntity*>& _qlistNodeEntity) = 0;
    virtual int ModifyOneElectronicMapNode(const CLS_ElectronicMapNodeEntity& _node) = 0;
    /// Renames the object's node on every map.
    virtual int RenameElectronicMapNode(QString _qstrId, QString _qstrCaption) = 0;
    /// Removes nodes of one map only, in one transaction; -1 for an empty map id or list.
    virtual int DeleteElectronicMapNode(QString _qstrParentId, const QStringList& _qlistNodeID) = 0;
    virtual int DeleteOneElectronicMapNode(QString _qstrParentId, QString _qstrId) = 0;
    /// Removes the object's node from every map.
    virtual int DeleteNodeFromAllMaps(QString _qstrId) = 0;
    virtual int DeleteAllNodesOfMap(QString _qstrParentId) = 0;
    /// Replaces _vecAreas by the areas, for "CN" in pinyin order, otherwise by their name in
    /// that language; the mediator keeps them for GetAreaDomainInfo. 0 or the failure.
    virtual int GetAllArea(QString _qstrLanguage, QVector<CLS_AreaEntity>& _vecAreas) = 0;
    /// The domain servers of an area read by GetAllArea; -1 for an empty or unknown area or
    /// before any GetAllArea.
    virtual int GetAreaDomainInfo(QString _qstrAreaUUID, QVector<CLS_AreaDomainEntity>& _vecDomains) = 0;
    /// Replaces the map by area id → its domain servers. -1 when the read failed or was empty.
    virtual int GetAllDomain(QMap<QString, QVector<CLS_AreaDomainEntity>>& _mapDomains) = 0;
    /// The domain servers of one area, taken from GetAllDomain; -1 when it has none.
    virtual int GetDomainInfoByAreaID(QString _qstrAreaId, QVector<CLS_AreaDomainEntity>& _vecDomains) = 0;

    // ---- alarm catalogue and linkage ----
    /// The adapter alarm types by id, made on first use and owned by the mediator; every call
    /// adds (or refreshes) the types with their captions in _strLangType.
    virtual AdapterAlarmInfoMap* GetAllAdapterAlarmInfo(QString _strLangType) = 0;
    /// Points _pInfo at the cached entry of the id; unchanged when the id is not cached.
    virtual void GetAdapterAlarmInfo(qint32 _iAdapterAlarmId, STRCT_AdapterAlarmInfo*& _pInfo) = 0;
    /// Stores the level, then updates the cached entry; false when either step fails (the
    /// stored level may have changed all the same).
    virtual bool UpdateAdapterAlarmInfo(qint32 _iAdapterAlarmId, qint32 _iLevel) = 0;
    /// The alarm levels, refilled by every call; the list belongs to the mediator.
    virtual QList<CLS_AlarmLevelEntity*>* GetAllAlarmLevel() = 0;
    /// Appends the main (sub) alarm types; the caller owns them. 0 or -1.
    virtual int GetAllAlarmMainType(QList<CLS_AlarmMainTypeEntity*>& _lstOut) = 0;
    virtual int GetAllAlarmSubType(QList<CLS_AlarmSubTypeEntity*>& _lstOut) = 0;
    /// Appends one description per device host type with its alarm types. 0 or -1.
    virtual int GetVideoHostInfo(QList<STRCT_VideoHostInfo>& _lstOut) = 0;
    /// Loads the current user's linkage rules into the link cache (load the adapter types
    /// first: rules of an unknown type are dropped). 0, or -1 when there is nothing to load.
    virtual int StartGetAlarmLinkInfo() = 0;
    /// Parses the link's parameter and files it into _pCache, which takes it over.
    virtual void LoadAllAlarmLinkInfo(STRCT_SingleAlarmLink* _pLink, AlarmLinkMap* _pCache) = 0;
    /// Replaces the stored rules of every (source, alarm) pair named by the keys, across the
    /// cross product of the named sources and alarms, with the given links (the caller keeps
    /// them), then refreshes the cache. 0 or the failure.
    virtual int UpdateAlarmLinkInfo(AlarmLinkMap* _pLinks) = 0;
    /// The in-memory half of UpdateAlarmLinkInfo: drops the cached rules of the same cross
    /// product of named sources and alarms, then files copies of the links (which may be the
    /// cache's own).
    virtual void UpdateAlarmLinkCache(AlarmLinkMap* _pLinks, AlarmLinkMap* _pCache) = 0;
    /// The link cache; it belongs to the mediator.
    virtual const AlarmLinkMap& GetAlarmLinkCache() = 0;

    // ---- alarm records ----
    /// Writes an alarm of the user and fills its time and id; true when stored, and always
    /// under the software type that stores no records.
    virtual bool InsertAlarmRecord(QString _strUserID, STRCT_NewAlarmRecord& _record) = 0;
    /// Replaces _vecOut with one page, newest first; false when no level is selected or there
    /// was no answer.
    virtual bool SearchAlarmRecord(const STRCT_AlarmSearchCondition& _condition,
                                   QVector<STRCT_AlarmRecord>& _vecOut) = 0;
    /// Number of records matching the filters (page fields ignored); 0 on failure.
    virtual int GetAlarmRecordCount(const STRCT_AlarmSearchCondition& _condition) = 0;
    /// Marks a record as handled; true once the statement was sent.
    virtual bool UpdateAlarmDealInfo(const STRCT_AlarmDealInfo& _deal) = 0;
    /// Deletes the records written before _strCutOff ("yyyy-MM-dd hh:mm:ss"); _strFirstTime is
    /// not used. The server's result.
    virtual int DeleteAlarmRecord(QString _strFirstTime, QString _strCutOff) = 0;
    /// Stores an event of this system (the id is generated). The server's result.
    virtual int InsertCacheEvent(const STRCT_CacheEvent& _event) = 0;
    /// Appends every cached event of this system. 0 or -1.
    virtual int SearchCacheEvent(QVector<STRCT_CacheEvent>& _vecOut) = 0;
    /// Removes every event with exactly that data.
    virtual int DelCacheEvent(const QByteArray& _baData) = 0;

    // ---- recording files ----
    /// Decodes a recording path ("<disk>/<dir>/<f1>-<f2>-<f3>-<n>-<channel>/<name>") into _info;
    /// unless _bSkipHostLookup, the channel must be a child of a host of the resource tree,
    /// whose id becomes the host id. False (logged, _info unchanged) at the first failed step.
    virtual bool DecodeFilePathToRecInfo(QString _strFilePath, bool _bSkipHostLookup, STRCT_RecFileInfo& _info) = 0;
    /// Stores one file of this system's index; false when the server reports a failure.
    virtual bool AddRecordFile(const STRCT_RecFileInfo& _info) = 0;
    /// Queues the files as one insert; AddRecordFileByTransaction sends the queue as one
    /// transaction (in queue order) and empties it. Queue and send from one thread.
    virtual int AddRecordFileToTransaction(const QVector<STRCT_RecFileInfo>& _vecInfos) = 0;
    virtual int AddRecordFileByTransaction() = 0;
    /// Appends the files of the channel (every channel when empty) that overlap the time range,
    /// by start; stream type and camera name read 0 and empty. The caller owns the entities.
    /// 0, or -1 with the vector unchanged.
    virtual int SearchPlaybackRecFile(const CLS_RecFileSearchEntity& _search, QVector<CLS_RecFileEntity*>& _vecFiles) = 0;
    /// -1 for an empty set.
    virtual int DeleteRecordFileByIds(const QSet<qint32>& _setIds) = 0;
    /// Every file of this system, or those of one save disk.
    virtual int DeleteAllRecordFile(QString _strSaveDisk) = 0;
    /// Earliest start; invalid when there is none.
    virtual QDateTime GetEarliestRecordTime() = 0;
    /// Appends every file by start; the caller owns the entities. 0 or -1.
    virtual int GetAllRecordFile(QVector<CLS_RecFileEntity*>& _vecFiles) = 0;
    /// Summed length of the _iCount first-stored files (a negative count: of all), or of all
    /// files; -1 when the read failed.
    virtual qint64 GetOldestRecordFileLength(int _iCount) = 0;
    /// -1 when the read failed.
    virtual qint64 GetTotalRecordFileLength() = 0;
    /// Replaces the values of the given channels (one transaction), then reloads the cache.
    virtual int UpdateRecordPreAndDelayData(const QVector<CLS_RecPreDelayEntity>& _vecValues) = 0;
    /// Refills the cache of pre-record and delay values from the database.
    virtual void LoadRecordPreAndDelayData() = 0;
    /// The cache: channel id -> (pre-record, delay-record).
    virtual QMap<QString, QPair<qint32, qint32>> GetRecordPreAndDelayData() = 0;
    /// Recording type -> colour text.
    virtual int GetRecTypeColor(QMap<QString, QString>& _mapColors) = 0;
    /// The operation log: an entry stored under the next id; a page of matching entries (newest
    /// first, with the user's caption; the caller owns them); their number; and the deletion
    /// of entries older than _strKeepTime (every user's for "admin", else the user's own).
    virtual int AddOperationLog(QString _strTime, QString _strUserID, qint32 _iLogType, qint32 _iLogDetailType,
                                QString _strDescription) = 0;
    virtual int SearchOperationLog(const STRCT_OperationLogFilter& _filter, int _iPageSize, int _iPageNumber,
                                   QVector<CLS_OperationLogEntity*>& _vecEntries) = 0;
    virtual int GetOperationLogCount(const STRCT_OperationLogFilter& _filter) = 0;
    virtual int DeleteOperationLog(QString _strUserID, QString _strKeepTime) = 0;

    // ---- face captures ----
    /// Decodes the path of a big capture picture (".../FaceCapture/<device dir>/.../<name>b.jpg")
    /// and sums the sizes of the pictures that exist. False (logged, _result unchanged) at the
    /// first failed step, also for a path with ".." or a big picture that cannot be read.
    virtual bool DecodeFaceCapturePathToFaceParseResult(QString _strFilePath, STRCT_FaceParseResult& _result) = 0;
    /// Stores the captures in one transaction across their months; true unless the server
    /// reports a failure. With the software type "r480" nothing is stored and true returned.
    virtual bool AddTransactionForAddFaceCapture(const QVector<STRCT_FaceParseResult>& _vecResults) = 0;
    virtual int AddFaceCapture(const STRCT_FaceParseResult& _result) = 0;
    /// Appends one page of matching captures, newest first; the caller owns the entities.
    virtual int SearchFaceCapture(const CLS_IntelligentDataRecSearchEntity& _search,
                                  QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures) = 0;
    virtual int GetFaceCaptureCount(const CLS_IntelligentDataRecSearchEntity& _search) = 0;
    /// Per-period counts of one channel: _iPeriod 0 day (by hour), 1 week (by weekday, 0 =
    /// Sunday), 2 month (by day), 3 year (by month) around _strDate ("yyyy-MM-dd"); _iKind 0 age
    /// (bands 1-4), 1 gender (-1, 0, 1), 2 count, 3 glasses (0, >0, -1), 4 masks (0, 1, -1),
    /// 5 temperature (1). _mapResult: group key -> counts in that order.
    virtual int GetFaceCaptureStatistics(QString _strDate, int _iPeriod, int _iKind, QString _strChannelID,
                                         QMap<QString, QVector<qint64>>& _mapResult) = 0;
    virtual QDateTime GetEarliestFaceCaptureTime() = 0;
    /// The oldest _iCount captures (a negative count: all); 0 or -1.
    virtual int GetOldestFaceCaptures(int _iCount, QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures) = 0;
    /// Summed file size of the oldest _iCount captures (negative: all); -1 when the read failed.
    virtual qint64 GetOldestFaceCaptureSize(int _iCount) = 0;
    virtual int GetFaceCapturesBefore(QString _strTime, QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures) = 0;
    /// -1 when a read failed.
    virtual qint64 GetFaceCaptureSizeBefore(QString _strTime) = 0;
    /// Deletes captures given as (id, capture time), then drops past monthly tables left empty.
    virtual int DeleteFaceCaptureByIds(const QList<QPair<QString, QString>>& _lstIdTimes) = 0;
    virtual int DeleteAllFaceCapture() = 0;

    // ---- passenger-flow statistics ----
    // Counts per channel and time slot in monthly tables of "Tessel-passengerFlow", and the
    // current user's regions: their parameters (loaded by InitRegionParam after login) and, in
    // memory, each region's live state since its clear time. The client drives the periodic
    // operations (DealAllPassengerFlowInfo, CollectPassengerFlowAlarms,
    // RecountAllPassengerFlowRegionsAtMidnight) at least once a second. Safe to call from
    // several threads; the in-memory maps change only after the store succeeded.
    /// Adds the record's counts to its channel, day and slot (a new row, in a new month's table
    /// when needed). With the software type "r480" nothing is stored and 0 returned; -1 for an
    /// empty slot time or a bad day.
    virtual int AddPassengerFlowInfo(const CLS_PassengerFlowEntity& _entity) = 0;
    /// Folds a report into the live state of each known region of _lstRegionIDs. Always 0.
    virtual int DealPassengerFlowInfo(const STRCT_PassengerFlowReport& _report, const QStringList& _lstRegionIDs) = 0;
    /// Loads the user's regions and seeds their live states with the totals since their clear
    /// times; live states of regions no longer stored are dropped. 0, or -1 (no user, failed
    /// read).
    virtual int InitRegionParam() = 0;
    /// Stores the region (id required) with its channels, restarting its counting now, and
    /// keeps it in memory. 0, or -1 on a store failure.
    virtual int UpdateRegionParam(const STRCT_PassengerFlowRegionParam& _param) = 0;
    /// Replaces or adds the region in _mapParams (in memory only); adding to the mediator's own
    /// map raises the region count.
    virtual void UpdateRegionParamFromMemory(const STRCT_PassengerFlowRegionParam& _param,
                                             PassengerFlowRegionParamMap& _mapParams) = 0;
    /// Removes the stored region with its channels, then its parameter and live state. 0 or -1.
    virtual int DeleteRegionParam(const STRCT_PassengerFlowRegionParam& _param) = 0;
    /// Restarts the region's counting now: stores the clear time and resets the live state.
    /// 0, or -1 for an unknown region or a store failure (the state is then kept).
    virtual int RecountPassengerFlowRegionResult(const QString& _qstrRegionID) = 0;
    /// At exactly 00:00:00 recounts every region with a live state; otherwise does nothing.
    virtual void RecountAllPassengerFlowRegionsAtMidnight() = 0;
    /// Surge check of every region, and at second 10 the pruning of the ten-minute history.
    /// Always 0.
    virtual int DealAllPassengerFlowInfo() = 0;
    /// One round of alarm collection: region id -> 1 (begins) or 0 (ends) for capacity and
    /// surge alarms, and region id -> 1 for alarms due for a repeat.
    virtual void CollectPassengerFlowAlarms(QMap<QString, qint32>& _qmapCapacityAlarm,
                                            QMap<QString, qint32>& _qmapShootUpAlarm,
                                            QMap<QString, qint32>& _qmapCapacityRepeat,
                                            QMap<QString, qint32>& _qmapShootUpRepeat) = 0;
    /// Recomputes the region's current and peak occupancy and its over-capacity count; nothing
    /// for a region that is not loaded (logged at level 3).
    virtual void UpdateRegionOccupancy(const STRCT_PassengerFlowRegionParam& _param) = 0;
    /// Sums per hour, weekday, day or month of the condition's period into _mapResult. 0 or -1.
    virtual int GetPassengerFlowStatistics(const CLS_PassengerFlowStatisticConditionEntity& _condition,
                                           QMap<QString, STRCT_PassengerFlowCounts>& _mapResult) = 0;
    /// Drops the monthly counting tables before _qstrMonth ("yyyyMM"). 0 or -1.
    virtual int DeletePassengerFlowInfoBefore(const QString& _qstrMonth) = 0;
    /// Takes the channels out of all the user's regions. 0 or -1.
    virtual int DeleteRegionChannels(const QStringList& _qlstChannelObjIDs) = 0;
    /// Copies of the regions' parameters, of one live state (false when the region has none)
    /// and the region count.
    virtual PassengerFlowRegionParamMap GetPassengerFlowRegionParams() = 0;
    virtual bool GetPassengerFlowRegionRealTime(const QString& _qstrRegionID,
                                                STRCT_PassengerFlowRegionRealTime& _state) = 0;
    virtual int GetPassengerFlowRegionNum() = 0;

    // ---- behaviour analysis and passage histories ----
    /// Reads the JSON of the picture's image text "attribute" into the record, copying the keys
    /// present. False (logged, record unchanged) for a file that is not an image, a picture
    /// without that text or with text that is not a JSON object.
    virtual bool ParseBehaviorPictAttribute(QString _qstrPicPath, CLS_BehaviorAnalysisEntity& _record) = 0;
    /// Stores the snapshots in one transaction across their months; ids and sequence numbers
    /// are filled in. -1 for an empty vector or a snapshot time without a month.
    virtual int AddBehaviorAnalysisCapture(QVector<CLS_BehaviorAnalysisEntity>& _vecRecords) = 0;
    virtual int AddBehaviorAnalysisCapture(CLS_BehaviorAnalysisEntity& _record) = 0;
    /// Appends one page of matching snapshots, newest first.
    virtual int BehaviorAnalysisGetRecord(const CLS_BehaviorAnalysisSearchEntity& _search,
                                          QVector<CLS_BehaviorAnalysisEntity>& _vecRecords) = 0;
    virtual int BehaviorAnalysisGetCount(const CLS_BehaviorAnalysisSearchEntity& _search) = 0;
    /// The oldest _iFileNum snapshots over every month.
    virtual int GetOldestBehaviorAnalysisPicFiles(int _iFileNum, QVector<CLS_BehaviorAnalysisEntity>& _vecRecords) = 0;
    /// The snapshots older than _qstrSaveTime, oldest first, at most _iFileNum (0: all).
    virtual int GetBehaviorAnalysisPicFiles(QString _qstrSaveTime, int _iFileNum,
                                            QVector<CLS_BehaviorAnalysisEntity>& _vecRecords) = 0;
    /// Deletes snapshots given as (id, snapshot time), then drops past months left empty.
    virtual int DelBehaviorAnalysisPicRec(const QList<QPair<QString, QString>>& _lstIdTimes) = 0;
    virtual int DeleteAllBehaviorAnalysisData() = 0;
    /// As ParseBehaviorPictAttribute, for the passage pictures of the three kinds.
    virtual bool ParseCarPictureAttribute(QString _qstrPicPath, CLS_CarDataRecvEntity& _record) = 0;
    virtual bool ParsePadPictureAttribute(QString _qstrPicPath, CLS_PadDataRecvEntity& _record) = 0;
    virtual bool ParseWayPictureAttribute(QString _qstrPicPath, CLS_WayDataRecEntity& _record) = 0;
    /// Stores passages in the monthly tables of their pass times (one as one statement, several
    /// as one transaction); ids are filled in, and the way save time. -1 for an empty vector or
    /// a pass time without a month (nothing stored).
    virtual int SaveCarRecvDataToDB(QVector<CLS_CarDataRecvEntity>& _vecRecords) = 0;
    virtual int SaveCarRecvDataToDB(CLS_CarDataRecvEntity& _record) = 0;
    virtual int SavePadRecvDataToDB(QVector<CLS_PadDataRecvEntity>& _vecRecords) = 0;
    virtual int SavePadRecvDataToDB(CLS_PadDataRecvEntity& _record) = 0;
    virtual int SaveWayRecvDataToDB(QVector<CLS_WayDataRecEntity>& _vecRecords) = 0;
    virtual int SaveWayRecvDataToDB(CLS_WayDataRecEntity& _record) = 0;
    /// Appends one page of passages over the months of the range, newest pass time first.
    /// -1 for a page size or index below 1.
    virtual int QueryCarHistory(const STRCT_PassageQuery& _query, QVector<CLS_CarDataRecvEntity>& _vecRecords) = 0;
    virtual int QueryPadHistory(const STRCT_PassageQuery& _query, QVector<CLS_PadDataRecvEntity>& _vecRecords) = 0;
    virtual int QueryWayHistory(const STRCT_PassageQuery& _query, QVector<CLS_WayDataRecEntity>& _vecRecords) = 0;
    /// Number of matching passages (the page is ignored); -1 on failure.
    virtual int GetCarRecordCount(const STRCT_PassageQuery& _query) = 0;
    virtual int GetPadRecordCount(const STRCT_PassageQuery& _query) = 0;
    virtual int GetWayRecordCount(const STRCT_PassageQuery& _query) = 0;
    /// The oldest _iFileNum passages over every month, for retention.
    virtual int GetCarPicFiles(int _iFileNum, QVector<CLS_CarDataRecvEntity>& _vecRecords) = 0;
    virtual int GetPadPicFiles(int _iFileNum, QVector<CLS_PadDataRecvEntity>& _vecRecords) = 0;
    virtual int GetWayPicFiles(int _iFileNum, QVector<CLS_WayDataRecEntity>& _vecRecords) = 0;
    /// Deletes passages given as (id, pass time), then drops past months left empty.
    virtual int DelCarPicRec(const QList<QPair<QString, QString>>& _lstIdTimes) = 0;
    virtual int DelPadPicRec(const QList<QPair<QString, QString>>& _lstIdTimes) = 0;
    virtual int DelWayPicRec(const QList<QPair<QString, QString>>& _lstIdTimes) = 0;
    virtual int DeleteAllCarPicData() = 0;
    virtual int DeleteAllPadPicData() = 0;
    virtual int DeleteAllWayPicData() = 0;
    /// The device name of a pad terminal's serial number (empty when unknown).
    virtual int GetPadTerminalName(QString _qstrTerminalSn, QString& _qstrName) = 0;

    // ---- face libraries and synchronisation tasks ----
    /// Queues one task per member of the library for the channel's host (the channel itself
    /// when _iDeviceType is 4). -1 for an empty id or a channel without host in the tree.
    virtual int InsertTargetLibStaffTask(const QString& _qstrChanID, const QString& _qstrFaceLibID,
                                         const int& _iDeviceType) = 0;
    /// Appends the library bindings of a channel.
    virtual int GetChanTargetLibbyID(QString _qstrChanID, QVector<CLS_ChannelTargetEntity>& _vecTargets) = 0;
    /// Appends the bindings of a host that still need synchronisation (state neither 2 nor 4).
    virtual int GetPersonLibOfNeedSyncByHostId(QString _qstrHostId, QVector<CLS_ChannelTargetEntity>& _vecTargets) = 0;

    // ---- security vehicle lists ----
    /// Appends every send row of the terminal.
    virtual int QuerySendDataByTerminalSn(QString _qstrTerminalSn, QVector<CLS_SecurityCarSendEntity>& _vecSends) = 0;

    // ---- web-service file operations ----
    /// Stores the local file localFilePath under _qstrSerPath on the storage host. 0 on success,
    /// -1 on any failure; a local file that cannot be read is refused (level 3) and nothing is
    /// sent. The wait for the reply grows with the file's size.
    virtual int WebserviceUploadFile(const QString& _qstrSerPath, const QString& localFilePath) = 0;
    /// Fetches _qstrSerPath from the storage host; content receives the file as Base64 text.
    virtual int WebserviceDownloadFile(const QString& _qstrSerPath, QString& content) = 0;
    /// Deletes the remote file _qstrSerPath.
    virtual int WebserviceDelFile(const QString& _qstrSerPath) = 0;
    /// Renames a remote file; renaming a file onto its own name succeeds.
    virtual int WebserviceRename(const QString& _qstrOldPath, const QString& _qstrNewPath) = 0;
    /// Creates the remote directory _qstrSerPath (percent-encoded into the URL). Every operation
    /// refuses (-1, level 3) a URL longer than 259 bytes rather than cut it.
    virtual int WebserviceCreateDir(const QString& _qstrSerPath) = 0;

    // ---- server host status ----
    /// Appends one new record per interface of the server host; the caller owns them.
    virtual int GetAllNetworkInfo(QList<_NetworkInfo*>& _lstInfo) = 0;
    /// Fills _pInfo (created when null; the caller owns it) with the interface and its samples.
    virtual int GetSystemStatusByName(const QString& _strName, _NetworkInfo*& _pInfo) = 0;

signals:
    // The vectors and the items they name belong to the mediator: copy what you keep. Items a
    // change removes (and the vector of the resource signal) are freed 600 ms after emission,
    // so a queued receiver copies in a direct slot first when it reads more than pointers.
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

public:
    // Operations added later are declared here, after every earlier virtual function, so that
    // the places of the earlier ones stay where clients built against them expect them.

    // ---- the database server's own figures ----
    /// The server's running figures as its "ServerStatus" command answers them (without "ret"):
    /// "version", "uptimeS", "channels" (connections open per channel), "connectionsAccepted",
    /// "served", "refused", "refusedBeforeDispatch", "commands" (per command: "served",
    /// "refused", "p50Ms", "p99Ms"), "databases" ("name", "exists", "bytes", "walBytes") and
    /// "certificate". 0 with _objStatus replaced; a negative code with _objStatus unchanged when
    /// the connection is down, no answer comes within 10 s or the server refuses.
    virtual int GetServerStatus(QJsonObject& _objStatus) = 0;
};

// Every argument type of the signals above is known to Qt's meta-type system (registered when
// the first mediator is made), so any signal may be connected with Qt::QueuedConnection. The
// non-const reference of SignCustomTreeDataChangeCallback is queued as a copy of the vector.
Q_DECLARE_METATYPE(OperationType)
Q_DECLARE_METATYPE(STRCT_VideoItem*)
Q_DECLARE_METATYPE(const QVector<STRCT_VideoItem*>*)

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
