// Helpers of the resource tree shared by the mediator's tree operations
// (CLS_DataMediatorTree*.cpp): constants, conversions between items and entities, and
// CLS_ResourceTree, which works on the mediator's resource map under its lock.
#ifndef CLS_RESOURCETREE_H
#define CLS_RESOURCETREE_H

#include "CLS_CommonHandle.h"
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "Log.h"

#include <QJsonDocument>
#include <QReadWriteLock>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <algorithm>
#include <exception>
#include <string>

#if defined(__SANITIZE_THREAD__)
#define TESSEL_TREE_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TESSEL_TREE_TSAN 1
#endif
#endif
#if defined(TESSEL_TREE_TSAN)
#include <sanitizer/tsan_interface.h>
#endif

namespace ResourceTree {

/// Guards of m_lockResourceData. Under ThreadSanitizer they also tell it about the lock, whose
/// workings inside Qt it cannot see.
class ReadLocker
{
public:
    explicit ReadLocker(QReadWriteLock* _pLock) : m_pLock(_pLock)
    {
        m_pLock->lockForRead();
#if defined(TESSEL_TREE_TSAN)
        __tsan_acquire(m_pLock);
#endif
    }
    ~ReadLocker()
    {
#if defined(TESSEL_TREE_TSAN)
        __tsan_release(m_pLock);
#endif
        m_pLock->unlock();
    }
    ReadLocker(const ReadLocker&) = delete;
    ReadLocker& operator=(const ReadLocker&) = delete;

private:
    QReadWriteLock* m_pLock;
};

class WriteLocker
{
public:
    explicit WriteLocker(QReadWriteLock* _pLock) : m_pLock(_pLock)
    {
        m_pLock->lockForWrite();
#if defined(TESSEL_TREE_TSAN)
        __tsan_acquire(m_pLock);
#endif
    }
    ~WriteLocker()
    {
#if defined(TESSEL_TREE_TSAN)
        __tsan_release(m_pLock);
#endif
        m_pLock->unlock();
    }
    WriteLocker(const WriteLocker&) = delete;
    WriteLocker& operator=(const WriteLocker&) = delete;

private:
    QReadWriteLock* m_pLock;
};

constexpr char kResourceRootId[] = "resource_root_id";
// Items removed from the tree and vectors handed to a signal are deleted this much later, so
// that receivers can still read them.
constexpr int kReleaseDelayMs = 600;
// Device type passed with the removal of a host's children.
constexpr int kDevTypeChildren = 1;
// Device type passed with alarm points and channel updates.
constexpr int kDevTypeAlarm = 9;
// Sort numbers of alarm inputs and outputs start here, so that they follow the channels.
constexpr int kAlarmInSortBase = 512;
constexpr int kAlarmOutSortBase = 1024;
// Object types of the single channel of a generic device of type 2 and 3.
constexpr int kObjTypeChannel = 5;
constexpr int kObjTypeDevChannel2 = 52;
constexpr int kObjTypeDevChannel3 = 53;

inline QString qs(const std::string& _strText)
{
    return QString::fromStdString(_strText);
}

inline std::string u8(const QString& _strText)
{
    return _strText.toStdString();
}

inline std::string countText(int _iCount)
{
    return std::to_string(_iCount);
}

inline int countValue(const std::string& _strCount)
{
    bool bOk = false;
    const int iValue = qs(_strCount).toInt(&bOk, 10);
    return bOk ? iValue : 0;
}

/// A new object id: 32 lower-case hexadecimal characters.
inline QString newObjectId()
{
    return QUuid::createUuid().toString(QUuid::Id128);
}

/// Generic devices of type 2 and 3 have one channel that shows the device's description.
inline bool isBoundDevType(int _iDevType)
{
    return _iDevType == 2 || _iDevType == 3;
}

/// Runs one public operation; an exception becomes a level-4 line and the failure value.
template <typename T, typename F>
T guarded(const char* _pszOperation, T _failure, F&& _call)
{
    try {
        return _call();
    } catch (const std::exception& e) {
        DL_LOG(4, "%s exception %s", _pszOperation, e.what());
    } catch (...) {
        DL_LOG(4, "%s exception", _pszOperation);
    }
    return _failure;
}

// The fields a host item carries, laid over _entity (which may hold the stored row, so that
// columns the item has no field for keep their values).
inline void applyHostItem(const STRCT_VideoHost& _item, CLS_HostEntity& _entity, bool _bKeepStoredState)
{
    _entity.S_ID = qs(_item.m_strID);
    _entity.S_CAPTION = qs(_item.m_strCaption);
    _entity.S_IP = qs(_item.m_strIP);
    _entity.I_PORT = _item.m_iPort;
    _entity.S_USERNAME = qs(_item.m_strUserName);
    _entity.S_PASSWORD = qs(_item.m_strPassword);
    _entity.S_DESCRIPTION = qs(_item.m_strDescription);
    _entity.I_VIDEO_HOST_TYPE_ID = _item.m_iHostTypeID;
    _entity.S_VIDEO_HOST_TYPE_NAME = qs(_item.m_strHostTypeName);
    _entity.I_DNS_TYPE = _item.m_iDnsType;
    _entity.S_DNS_USER = qs(_item.m_strDnsUser);
    _entity.S_DNS_PASSWORD = qs(_item.m_strDnsPassword);
    _entity.S_PRODUCT_ID = qs(_item.m_strProductID);
    _entity.S_DOMAIN = qs(_item.m_strDomain);
    _entity.I_PROXY_TYPE = _item.m_iProxyType;
    _entity.S_PROXY1_ID = qs(_item.m_strProxyID);
    // An update stores neither the device type nor the defence state.
    if (!_bKeepStoredState) {
        _entity.I_DEVTYPE = _item.m_iHostDevType;
        _entity.I_ENABLE_DEFENCE = _item.m_iDefenceState;
    }
    _entity.I_OBJ_TYPE_ID = 4;
}

// A generic device shown as a host: its serial number stands in the address, and the
// description is a JSON object with what a player needs to reach the device.
inline CLS_HostEntity hostEntityOfDev(const Common::STRCT_DevItem& _dev)
{
    CLS_HostEntity e;
    e.S_ID = qs(_dev.S_ID);
    e.S_IP = qs(_dev.S_SN);
    e.S_CAPTION = qs(_dev.S_NAME);
    e.I_DEVTYPE = _dev.I_TYPE;
    QJsonObject description;
    if (_dev.I_TYPE == 2) {
        description.insert("devversion", _dev.S_BRAND == "0" ? 11 : 10);
    } else if (_dev.I_TYPE == 3) {
        description.insert("devversion", 12);
    }
    description.insert("sn", qs(_dev.S_SN));
    description.insert("ip", qs(_dev.S_IP));
    description.insert("port", _dev.I_PORT);
    description.insert("login", qs(_dev.S_USERNAME));
    description.insert("password", qs(_dev.S_PASSWORD));
    e.S_DESCRIPTION = QString::fromUtf8(QJsonDocument(description).toJson(QJsonDocument::Compact));
    return e;
}

/// Writes _to only when it differs from _from: items are read by the client without a lock,
/// so the fields a change leaves alone are not written at all.
template <typename V>
inline void assignChanged(V& _to, const V& _from)
{
    if (!(_to == _from)) {
        _to = _from;
    }
}

/// The values of a host item built from the stored row, taken over by the tree's item; its
/// identity, place, children and counters stay.
inline void takeHostValues(const STRCT_VideoHost& _from, STRCT_VideoHost& _to)
{
    assignChanged(_to.m_strCaption, _from.m_strCaption);
    assignChanged(_to.m_strDescription, _from.m_strDescription);
    assignChanged(_to.m_iDevType, _from.m_iDevType);
    assignChanged(_to.m_strProxyID, _from.m_strProxyID);
    assignChanged(_to.m_iDefenceState, _from.m_iDefenceState);
    assignChanged(_to.m_iHostDevType, _from.m_iHostDevType);
    assignChanged(_to.m_iHostTypeID, _from.m_iHostTypeID);
    assignChanged(_to.m_strHostTypeName, _from.m_strHostTypeName);
    assignChanged(_to.m_strIP, _from.m_strIP);
    assignChanged(_to.m_iPort, _from.m_iPort);
    assignChanged(_to.m_strUserName, _from.m_strUserName);
    assignChanged(_to.m_strPassword, _from.m_strPassword);
    assignChanged(_to.m_iDnsType, _from.m_iDnsType);
    assignChanged(_to.m_strDnsUser, _from.m_strDnsUser);
    assignChanged(_to.m_strDnsPassword, _from.m_strDnsPassword);
    assignChanged(_to.m_strProductID, _from.m_strProductID);
    assignChanged(_to.m_strDomain, _from.m_strDomain);
    assignChanged(_to.m_iProxyType, _from.m_iProxyType);
}

/// The same for a channel item.
inline void takeChannelValues(const STRCT_VideoChannel& _from, STRCT_VideoChannel& _to)
{
    assignChanged(_to.m_strCaption, _from.m_strCaption);
    assignChanged(_to.m_strDescription, _from.m_strDescription);
    assignChanged(_to.m_iDevType, _from.m_iDevType);
    assignChanged(_to.m_iDefenceState, _from.m_iDefenceState);
    assignChanged(_to.m_iChannelNo, _from.m_iChannelNo);
    assignChanged(_to.m_iLinkType, _from.m_iLinkType);
    assignChanged(_to.m_iDataType, _from.m_iDataType);
    assignChanged(_to.m_iBaudRate, _from.m_iBaudRate);
    assignChanged(_to.m_strProtocolName, _from.m_strProtocolName);
    assignChanged(_to.m_iPtzAddr, _from.m_iPtzAddr);
    assignChanged(_to.m_iComPort, _from.m_iComPort);
    assignChanged(_to.m_iSpeedX, _from.m_iSpeedX);
    assignChanged(_to.m_iSpeedY, _from.m_iSpeedY);
    assignChanged(_to.m_iControlType, _from.m_iControlType);
    assignChanged(_to.m_bEncryptEnabled, _from.m_bEncryptEnabled);
    assignChanged(_to.m_strDecryptCode, _from.m_strDecryptCode);
    assignChanged(_to.m_iBufNum, _from.m_iBufNum);
    assignChanged(_to.m_iDelayNum, _from.m_iDelayNum);
    assignChanged(_to.m_iObjType, _from.m_iObjType);
}

// Log lines of the child inserts; the formats take the result code or the position.
struct InsertTexts
{
    const char* pszNull;
    const char* pszEmpty;
    const char* pszRetry;
    const char* pszFailed;
    const char* pszNoHost;
    const char* pszBadPosition;
};

// Log lines of the child updates.
struct UpdateTexts
{
    const char* pszNull;
    const char* pszEmpty;
    const char* pszRetry;
    const char* pszNoResource;
    const char* pszWrongResource;
    const char* pszNoCustom;
    const char* pszWrongCustom;
};

}  // namespace ResourceTree

// The tree's helpers. The caller of a helper marked "lock held" holds m_lockResourceData in the
// mode the helper needs.
class CLS_ResourceTree
{
public:
    enum ChildKind
    {
        ckNone,
        ckChannel,
        ckAlarmIn,
        ckAlarmOut,
    };

    static ChildKind KindOf(const STRCT_VideoItem* _pItem)
    {
        switch (_pItem != nullptr ? _pItem->GetType() : 0) {
            case vitChannel:
                return ckChannel;
            case vitAlarmIn:
                return ckAlarmIn;
            case vitAlarmOut:
                return ckAlarmOut;
            default:
                return ckNone;
        }
    }

    static std::string& CounterOf(STRCT_VideoHost& _host, ChildKind _kind)
    {
        return _kind == ckChannel ? _host.m_strChannelCount
                                  : (_kind == ckAlarmIn ? _host.m_strAlarmInCount : _host.m_strAlarmOutCount);
    }

    static int Counter(STRCT_VideoHost& _host, ChildKind _kind)
    {
        return ResourceTree::countValue(CounterOf(_host, _kind));
    }

    // Where the children of the kind begin in the host's list: channels, then alarm inputs,
    // then alarm outputs.
    static int SectionStart(STRCT_VideoHost& _host, ChildKind _kind)
    {
        int iStart = 0;
        if (_kind == ckAlarmIn || _kind == ckAlarmOut) {
            iStart += Counter(_host, ckChannel);
        }
        if (_kind == ckAlarmOut) {
            iStart += Counter(_host, ckAlarmIn);
        }
        return iStart;
    }

    // Where a new child of the kind goes: after the last one of its kind.
    static int SectionEnd(STRCT_VideoHost& _host, ChildKind _kind)
    {
        return SectionStart(_host, _kind) + Counter(_host, _kind);
    }

    // Lock held.
    static STRCT_VideoItem* Find(const CLS_DataMediator& _m, const QString& _strID)
    {
        return _m.m_mapResourceData.value(_strID);
    }

    // Lock held.
    static STRCT_VideoHost* FindHost(const CLS_DataMediator& _m, const QString& _strID)
    {
        STRCT_VideoItem* pItem = Find(_m, _strID);
        return pItem != nullptr && pItem->GetType() == vitHost ? static_cast<STRCT_VideoHost*>(pItem)
                                                               : nullptr;
    }

    // Write lock held.
    static void Put(CLS_DataMediator& _m, STRCT_VideoItem* _pItem)
    {
        _m.m_mapResourceData.insert(_pItem);
    }

    // Write lock held. Removes the item from the map when it is the one stored under its key.
    static void Remove(CLS_DataMediator& _m, STRCT_VideoItem* _pItem)
    {
        _m.m_mapResourceData.remove(_pItem);
    }

    // Write lock held. Takes the child out of its host's list and lowers the matching counter;
    // false when the child was not in the list.
    static bool Detach(STRCT_VideoHost& _host, STRCT_VideoItem* _pChild)
    {
        auto iterPos = std::find(_host.m_vecChilds.begin(), _host.m_vecChilds.end(), _pChild);
        if (iterPos == _host.m_vecChilds.end()) {
            return false;
        }
        _host.m_vecChilds.erase(iterPos);
        const ChildKind kind = KindOf(_pChild);
        if (kind != ckNone) {
            CounterOf(_host, kind) = ResourceTree::countText(std::max(0, Counter(_host, kind) - 1));
        }
        return true;
    }

    static void EmitResource(CLS_DataMediator& _m, const QVector<STRCT_VideoItem*>& _vecItems,
                             OperationType _op, int _iDevType)
    {
        if (_vecItems.isEmpty()) {
            return;
        }
        auto* pVec = new QVector<STRCT_VideoItem*>(_vecItems);
        emit _m.SignResourceDataChangeCallback(pVec, _op, _iDevType, nullptr);
        CLS_CommonHandle* pCommonHandle = CLS_CommonHandle::GetInstance();
        if (pCommonHandle != nullptr) {
            pCommonHandle->deletePtrLater(pVec, ResourceTree::kReleaseDelayMs);
        }
    }

    static void EmitCustom(CLS_DataMediator& _m, QVector<STRCT_VideoItem*>& _vecItems, OperationType _op,
                           int _iDevType)
    {
        if (!_vecItems.isEmpty()) {
            emit _m.SignCustomTreeDataChangeCallback(_vecItems, _op, _iDevType, nullptr);
        }
    }

    // Hands removed items to the deferred deletion; false (nothing released) when the service
    // is not there.
    static bool ReleaseLater(const QVector<STRCT_VideoItem*>& _vecItems)
    {
        CLS_CommonHandle* pCommonHandle = CLS_CommonHandle::GetInstance();
        if (pCommonHandle == nullptr) {
            return false;
        }
        for (STRCT_VideoItem* pItem : _vecItems) {
            pCommonHandle->deletePtrLater(pItem, ResourceTree::kReleaseDelayMs);
        }
        return true;
    }

    // ---- the rights of the user's role (CLS_DataMediatorTreeRights.cpp) ----
    // m_mapAuthority is read once per login, for the first role of the user, and then kept in
    // step by the mediator's own operations: the rights of new objects are read and added, those
    // of removed objects dropped, and a change of rights makes the next load read them all again.

    // Reads every right of the role into m_mapAuthority unless it holds them already; false
    // (and nothing held) when the read failed.
    static bool LoadAuthority(CLS_DataMediator& _m, const QString& _strRoleID);
    // Adds the rights of the role on objects just written (they replace any held for those ids).
    static void AddAuthorityOf(CLS_DataMediator& _m, const QStringList& _lstObjIDs);
    // Drops the rights held on objects just deleted.
    static void DropAuthorityOf(CLS_DataMediator& _m, const QStringList& _lstObjIDs);
    // Forgets the rights held, so that the next load reads them again.
    static void ForgetAuthority(CLS_DataMediator& _m);
    // The same when the rights of _strRoleID were changed and those are the ones held.
    static void ForgetAuthorityOf(CLS_DataMediator& _m, const QString& _strRoleID)
    {
        if (_strRoleID == _m.m_strAuthorityRoleID) {
            ForgetAuthority(_m);
        }
    }
    // The ids of the items.
    static QStringList IdsOf(const QVector<STRCT_VideoItem*>& _vecItems);

    static int CreateResourceTree(CLS_DataMediator& _m);

    template <class K>
    static int InsertChildren(CLS_DataMediator& _m, const QVector<typename K::Item*>& _vecItems, bool _bBatch,
                              const ResourceTree::InsertTexts& _texts);
    template <class K>
    static int UpdateChildren(CLS_DataMediator& _m, const QVector<typename K::Item*>& _vecItems, bool _bBatch,
                              const ResourceTree::UpdateTexts& _texts);

    // Releases the loaded trees and rights of the mediator (to the deferred deletion), so that
    // the next InitTreeNodeData loads them afresh.
    static void DropLoaded(CLS_DataMediator& _m);

    // UpdateHost's steps after the host row is written. RecaptionChildren gives 0, or the
    // negative result of storing the captions (the children then keep theirs).
    static int RecaptionChildren(CLS_DataMediator& _m, const QString& _strHostID, const std::string& _strIP,
                                 const std::string& _strDomain);
    static int AdjustChildren(CLS_DataMediator& _m, const QString& _strHostID, ChildKind _kind,
                              const std::string& _strRequested);
    // Items of the custom trees that show _strID.
    static QVector<STRCT_VideoItem*> CustomCopies(CLS_DataMediator& _m, const std::string& _strID,
                                                  const char* _pszNullLine);
};

#endif  // CLS_RESOURCETREE_H
