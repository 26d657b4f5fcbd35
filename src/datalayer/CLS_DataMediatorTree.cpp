// The resource tree: loading it for the logged-in user, the inserts and updates of channels and
// alarm points, and the generic devices shown as hosts. Host changes and deletes are in
// CLS_DataMediatorTreeHosts.cpp, the look-ups in CLS_DataMediatorTreeLookups.cpp.
//
// Locking: m_mapResourceData is read under the read lock and changed under the write lock,
// and so are the fields of its items that the maintenance operations change (child lists,
// counters, captions, defence states). Database calls, item building and signals all happen
// outside the lock; a signal is emitted only after the lock has been released.
#include "DataBase/EntityDao/HostConfig/CLS_AlarmInEntity.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmOutEntity.h"
#include "DataBase/EntityDao/Tree/CLS_CustomTree.h"
#include "DataBase/EntityDao/Tree/CLS_ResourceTree.h"
#include "ItemBuilder/CLS_ItemBuilder.h"

#include <QHash>

#include <future>
#include <memory>

using namespace ResourceTree;

namespace {

CLS_ChannelEntity channelEntity(const STRCT_VideoChannel& _item)
{
    CLS_ChannelEntity e;
    e.S_ID = qs(_item.m_strID);
    e.S_PARENT_ID = qs(_item.m_strParentID);
    e.I_NUM = _item.m_iChannelNo;
    e.S_CAPTION = qs(_item.m_strCaption);
    e.I_BINDINGDEVTYPE = _item.m_iDevType;
    e.S_DESCRIPTION = qs(_item.m_strDescription);
    e.I_OBJ_TYPE_ID = (_item.m_iObjType == kObjTypeDevChannel2 || _item.m_iObjType == kObjTypeDevChannel3)
                          ? _item.m_iObjType
                          : kObjTypeChannel;
    e.I_LINK_TYPE_ID = _item.m_iLinkType;
    e.I_BUF_NUM = _item.m_iBufNum;
    e.I_DELAY_NUM = _item.m_iDelayNum;
    e.I_PTZ_ADDR = _item.m_iPtzAddr;
    e.I_COM_PORT = _item.m_iComPort;
    e.I_BAUDRATE = _item.m_iBaudRate;
    e.I_CONTROL_TYPE = _item.m_iControlType;
    e.I_SPEED_X = _item.m_iSpeedX;
    e.I_SPEED_Y = _item.m_iSpeedY;
    e.I_DATA_TYPE = _item.m_iDataType;
    e.S_PROTOCOL_NAME = qs(_item.m_strProtocolName);
    e.I_ENCRYPT_ENABLED = _item.m_bEncryptEnabled;
    e.S_DECRYPT_CODE = qs(_item.m_strDecryptCode);
    e.I_ENABLE_DEFENCE = _item.m_iDefenceState;
    return e;
}

CLS_AlarmInEntity alarmInEntity(const STRCT_VideoAlarmIn& _item)
{
    CLS_AlarmInEntity e;
    e.S_ID = qs(_item.m_strID);
    e.S_PARENT_ID = qs(_item.m_strParentID);
    e.I_NUM = _item.m_iAlarmNo;
    e.S_CAPTION = qs(_item.m_strCaption);
    e.S_DESCRIPTION = qs(_item.m_strDescription);
    e.I_ENABLE_DEFENCE = _item.m_iDefenceState;
    e.I_OBJ_TYPE_ID = 6;
    return e;
}

CLS_AlarmOutEntity alarmOutEntity(const STRCT_VideoAlarmOut& _item)
{
    CLS_AlarmOutEntity e;
    e.S_ID = qs(_item.m_strID);
    e.S_PARENT_ID = qs(_item.m_strParentID);
    e.I_NUM = _item.m_iAlarmNo;
    e.S_CAPTION = qs(_item.m_strCaption);
    e.S_DESCRIPTION = qs(_item.m_strDescription);
    e.I_OBJ_TYPE_ID = 7;
    return e;
}
}  // namespace

// ---- kinds of children: how each is stored and built ----

namespace {

struct ChannelKind
{
    typedef STRCT_VideoChannel Item;
    typedef CLS_ChannelEntity Entity;
    static constexpr CLS_ResourceTree::ChildKind kKind = CLS_ResourceTree::ckChannel;
    static Entity ToEntity(const Item& _item) { return channelEntity(_item); }
    static bool Build(const Entity& _entity, Item& _item)
    {
        return CLS_ItemBuilder::BuildChannelItem(&_entity, &_item);
    }
    static int Insert(const QVector<Entity*>& _vec, bool _bBatch)
    {
        return _bBatch ? CLS_DataAccess::GetInstance().InsertChannels(_vec)
                       : CLS_DataAccess::GetInstance().InsertChannel(*_vec.first());
    }
    static int Update(const QVector<Entity*>& _vec, bool)
    {
        return CLS_DataAccess::GetInstance().UpdateChannels(_vec);
    }
    static void CopyUpdate(const Item& _from, Item& _to) { _to.m_iChannelNo = _from.m_iChannelNo; }
};

struct AlarmInKind
{
    typedef STRCT_VideoAlarmIn Item;
    typedef CLS_AlarmInEntity Entity;
    static constexpr CLS_ResourceTree::ChildKind kKind = CLS_ResourceTree::ckAlarmIn;
    static Entity ToEntity(const Item& _item) { return alarmInEntity(_item); }
    static bool Build(const Entity& _entity, Item& _item)
    {
        return CLS_ItemBuilder::BuildAlarmInItem(&_entity, &_item);
    }
    static int Insert(const QVector<Entity*>& _vec, bool _bBatch)
    {
        return _bBatch ? CLS_DataAccess::GetInstance().InsertAlarmIns(_vec)
                       : CLS_DataAccess::GetInstance().InsertAlarmIn(*_vec.first());
    }
    static int Update(const QVector<Entity*>& _vec, bool _bBatch)
    {
        return _bBatch ? CLS_DataAccess::GetInstance().UpdateAlarmIns(_vec)
                       : CLS_DataAccess::GetInstance().UpdateAlarmIn(*_vec.first());
    }
    static void CopyUpdate(const Item& _from, Item& _to) { _to.m_iAlarmNo = _from.m_iAlarmNo; }
};

struct AlarmOutKind
{
    typedef STRCT_VideoAlarmOut Item;
    typedef CLS_AlarmOutEntity Entity;
    static constexpr CLS_ResourceTree::ChildKind kKind = CLS_ResourceTree::ckAlarmOut;
    static Entity ToEntity(const Item& _item) { return alarmOutEntity(_item); }
    static bool Build(const Entity& _entity, Item& _item)
    {
        return CLS_ItemBuilder::BuildAlarmOutItem(&_entity, &_item);
    }
    static int Insert(const QVector<Entity*>& _vec, bool _bBatch)
    {
        return _bBatch ? CLS_DataAccess::GetInstance().InsertAlarmOuts(_vec)
                       : CLS_DataAccess::GetInstance().InsertAlarmOut(*_vec.first());
    }
    static int Update(const QVector<Entity*>& _vec, bool _bBatch)
    {
        return _bBatch ? CLS_DataAccess::GetInstance().UpdateAlarmOuts(_vec)
                       : CLS_DataAccess::GetInstance().UpdateAlarmOut(*_vec.first());
    }
    static void CopyUpdate(const Item& _from, Item& _to) { _to.m_iAlarmNo = _from.m_iAlarmNo; }
};

// Entities owned for the length of an operation.
template <class E>
struct OwnedEntities
{
    QVector<E*> vec;
    OwnedEntities() = default;
    OwnedEntities(const OwnedEntities&) = delete;
    OwnedEntities& operator=(const OwnedEntities&) = delete;
    ~OwnedEntities() { qDeleteAll(vec); }
};

}  // namespace

// ---- loading ----

int CLS_ResourceTree::CreateResourceTree(CLS_DataMediator& _m)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    OwnedEntities<CLS_HostEntity> hosts;
    OwnedEntities<CLS_ChannelEntity> channels;
    OwnedEntities<CLS_AlarmInEntity> alarmIns;
    OwnedEntities<CLS_AlarmOutEntity> alarmOuts;
    QVector<Common::STRCT_DevItem> vecDevs;

    // A read that fails leaves the tree unloaded, so that the next call tries again.
    int iRet = access.GetHostsOfUser(_m.m_strUserID, hosts.vec);
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::CreateResourceTree GetHostsOfUser iRet = %d", iRet);
        return iRet;
    }
    if ((iRet = access.GetAllChannels(channels.vec)) != 0 ||
        (iRet = access.GetAllAlarmIns(alarmIns.vec)) != 0 ||
        (iRet = access.GetAllAlarmOuts(alarmOuts.vec)) != 0 || (iRet = access.GetAllDevs(vecDevs)) != 0) {
        DL_LOG(2, "CLS_DataMediator::CreateResourceTree read iRet = %d", iRet);
        return iRet;
    }

    // Children by host, in the order read (by number).
    QHash<QString, QVector<CLS_ChannelEntity*>> mapChannels;
    QHash<QString, QVector<CLS_AlarmInEntity*>> mapAlarmIns;
    QHash<QString, QVector<CLS_AlarmOutEntity*>> mapAlarmOuts;
    mapChannels.reserve(hosts.vec.size() + vecDevs.size());
    for (CLS_ChannelEntity* pChannel : channels.vec) {
        mapChannels[pChannel->S_PARENT_ID].append(pChannel);
    }
    for (CLS_AlarmInEntity* pAlarmIn : alarmIns.vec) {
        mapAlarmIns[pAlarmIn->S_PARENT_ID].append(pAlarmIn);
    }
    for (CLS_AlarmOutEntity* pAlarmOut : alarmOuts.vec) {
        mapAlarmOuts[pAlarmOut->S_PARENT_ID].append(pAlarmOut);
    }

    // Generic devices follow the hosts, each as a host of its own.
    for (const Common::STRCT_DevItem& dev : vecDevs) {
        hosts.vec.append(new CLS_HostEntity(hostEntityOfDev(dev)));
    }

    auto* pRoot = new STRCT_VideoGroup();
    pRoot->m_strID = kResourceRootId;
    pRoot->m_strNodeID = kResourceRootId;
    pRoot->m_iReserved1 = 0;
    {
        WriteLocker locker(&_m.m_lockResourceData);
        Put(_m, pRoot);
    }

    QVector<STRCT_VideoItem*> vecBatch;
    for (int i = 0; i < hosts.vec.size(); ++i) {
        const CLS_HostEntity* pHostEntity = hosts.vec[i];
        auto* pHost = new STRCT_VideoHost();
        if (!CLS_ItemBuilder::BuildHostItem(pHostEntity, pHost)) {
            delete pHost;
            continue;
        }
        pHost->m_strParentID = kResourceRootId;
        pHost->m_iSortNum = i;
        vecBatch.clear();
        vecBatch.append(pHost);
        const bool bBound = isBoundDevType(pHostEntity->I_DEVTYPE);

        const QVector<CLS_ChannelEntity*> vecChannels = mapChannels.value(pHostEntity->S_ID);
        pHost->m_vecChilds.reserve(vecChannels.size() + mapAlarmIns.value(pHostEntity->S_ID).size() +
                                   mapAlarmOuts.value(pHostEntity->S_ID).size());
        int iCount = 0;
        for (int j = 0; j < vecChannels.size(); ++j) {
            CLS_ChannelEntity* pChannelEntity = vecChannels[j];
            // The channel of a generic device shows the device's JSON description, so that its
            // key rule reads the device's object.
            if (bBound) {
                pChannelEntity->I_BINDINGDEVTYPE = pHostEntity->I_DEVTYPE;
                pChannelEntity->S_DESCRIPTION = pHostEntity->S_DESCRIPTION;
            }
            auto* pChannel = new STRCT_VideoChannel();
            if (!CLS_ItemBuilder::BuildChannelItem(pChannelEntity, pChannel)) {
                delete pChannel;
                continue;
            }
            pChannel->m_iSortNum = j;
            pHost->m_vecChilds.push_back(pChannel);
            vecBatch.append(pChannel);
            ++iCount;
        }
        pHost->m_strChannelCount = countText(iCount);

        const QVector<CLS_AlarmInEntity*> vecAlarmIns = mapAlarmIns.value(pHostEntity->S_ID);
        iCount = 0;
        for (int j = 0; j < vecAlarmIns.size(); ++j) {
            auto* pAlarmIn = new STRCT_VideoAlarmIn();
            if (!CLS_ItemBuilder::BuildAlarmInItem(vecAlarmIns[j], pAlarmIn)) {
                delete pAlarmIn;
                continue;
            }
            pAlarmIn->m_iSortNum = kAlarmInSortBase + j;
            pHost->m_vecChilds.push_back(pAlarmIn);
            vecBatch.append(pAlarmIn);
            ++iCount;
        }
        pHost->m_strAlarmInCount = countText(iCount);

        const QVector<CLS_AlarmOutEntity*> vecAlarmOuts = mapAlarmOuts.value(pHostEntity->S_ID);
        iCount = 0;
        for (int j = 0; j < vecAlarmOuts.size(); ++j) {
            auto* pAlarmOut = new STRCT_VideoAlarmOut();
            if (!CLS_ItemBuilder::BuildAlarmOutItem(vecAlarmOuts[j], pAlarmOut)) {
                delete pAlarmOut;
                continue;
            }
            pAlarmOut->m_iSortNum = kAlarmOutSortBase + j;
            pHost->m_vecChilds.push_back(pAlarmOut);
            vecBatch.append(pAlarmOut);
            ++iCount;
        }
        pHost->m_strAlarmOutCount = countText(iCount);

        // A host becomes visible together with its children.
        WriteLocker locker(&_m.m_lockResourceData);
        for (STRCT_VideoItem* pItem : qAsConst(vecBatch)) {
            Put(_m, pItem);
        }
    }
    // Decoders with their encoder inputs and outputs.
    return _m.LoadDecoderItems();
}

void CLS_ResourceTree::DropLoaded(CLS_DataMediator& _m)
{
    QVector<STRCT_VideoItem*> vecOld;
    {
        WriteLocker locker(&_m.m_lockResourceData);
        vecOld = _m.m_mapResourceData.values();
        _m.m_mapResourceData.clear();
    }
    vecOld += _m.m_mapCustomData.values().toVector();
    _m.m_mapCustomData.clear();
    vecOld += _m.m_mapPassengerFlowData.values().toVector();
    _m.m_mapPassengerFlowData.clear();
    vecOld.removeAll(nullptr);
    ReleaseLater(vecOld);
    _m.m_bTreeInited = false;
}

int CLS_DataMediator::InitTreeNodeData()
{
    return guarded("CLS_DataMediator::InitTreeNodeData", -1, [&] {
        if (m_bTreeInited) {
            return 0;
        }
        m_mapVideoHostType.clear();
        QString strLanguage;
        if (const STRCT_LocalGeneralSetting* pSetting = GetLocalGeneralSettingInfo()) {
            strLanguage = pSetting->m_strLanguage;
        }
        if (strLanguage.isEmpty()) {
            strLanguage = QStringLiteral("EN");
        }
        CLS_DataAccess::GetInstance().GetVideoHostTypes(0, strLanguage, m_mapVideoHostType);

        // Whatever an earlier attempt or an insert left in the maps goes.
        CLS_ResourceTree::DropLoaded(*this);

        QVector<CLS_RoleEntity> vecUserRole;
        CLS_DataAccess::GetInstance().GetRoleByUser(m_strUserID, vecUserRole);
        if (vecUserRole.isEmpty()) {
            DL_LOG(4, "CLS_DataMediator::InitTreeNodeData vecUserRole.size=%d", vecUserRole.size());
            return -1;
        }
        const QString qstrUserId = vecUserRole.at(0).S_ID;
        if (qstrUserId.isEmpty()) {
            DL_LOG(4, "CLS_DataMediator::InitTreeNodeData qstrUserId isEmpty");
            return -1;
        }
        // Read once per login, beside the resource tree's own reads (that tree does not look at
        // them; without a thread to spare they are read by get()); the tree's own operations
        // keep them in step.
        std::future<bool> rights =
            std::async(std::launch::async | std::launch::deferred,
                       [this, &qstrUserId] { return CLS_ResourceTree::LoadAuthority(*this, qstrUserId); });
        const int iRet = CLS_ResourceTree::CreateResourceTree(*this);
        rights.get();
        if (iRet != 0) {
            QVector<STRCT_VideoItem*> vecBuilt;
            {
                WriteLocker locker(&m_lockResourceData);
                vecBuilt = m_mapResourceData.values();
                m_mapResourceData.clear();
            }
            CLS_ResourceTree::ReleaseLater(vecBuilt);
            return iRet;
        }
        const int iTrees = CLS_CustomTree::CreateTrees(*this);
        if (iTrees != 0) {
            DL_LOG(3, "CLS_DataMediator::InitTreeNodeData CreateCustomTree iRet = %d", iTrees);
            return iTrees;
        }
        m_bTreeInited = true;
        return 0;
    });
}

// ---- inserts ----

template <class K>
int CLS_ResourceTree::InsertChildren(CLS_DataMediator& _m, const QVector<typename K::Item*>& _vecItems,
                                     bool _bBatch, const InsertTexts& _texts)
{
    typedef typename K::Item Item;
    typedef typename K::Entity Entity;
    OwnedEntities<Entity> entities;
    for (int i = 0; i < _vecItems.size(); ++i) {
        if (_vecItems[i] == nullptr) {
            DL_LOG(3, _texts.pszNull);
            continue;
        }
        entities.vec.append(new Entity(K::ToEntity(*_vecItems[i])));
    }
    if (entities.vec.isEmpty()) {
        if (_bBatch) {
            DL_LOG(3, _texts.pszEmpty);
        }
        return -1;
    }

    int iRet = K::Insert(entities.vec, _bBatch);
    if (iRet < 0) {
        DL_LOG(3, _texts.pszRetry, iRet);
        iRet = K::Insert(entities.vec, _bBatch);
        if (iRet < 0) {
            DL_LOG(4, _texts.pszFailed, iRet);
            return iRet;
        }
    }

    QVector<Item*> vecBuilt;
    for (const Entity* pEntity : qAsConst(entities.vec)) {
        auto* pItem = new Item();
        if (!K::Build(*pEntity, *pItem)) {
            delete pItem;
            continue;
        }
        vecBuilt.append(pItem);
    }

    QVector<STRCT_VideoItem*> vecPlaced;
    int iDevType = K::kKind == ckChannel ? -1 : kDevTypeAlarm;
    bool bDevTypeSet = K::kKind != ckChannel;
    int iResult = 0;
    int iBadPosition = 0;
    bool bNoHost = false;
    {
        WriteLocker locker(&_m.m_lockResourceData);
        for (Item* pItem : qAsConst(vecBuilt)) {
            pItem->m_iSortNum = _m.m_mapResourceData.size();
            Put(_m, pItem);
            STRCT_VideoHost* pHostItem = FindHost(_m, qs(pItem->m_strParentID));
            if (pHostItem == nullptr) {
                // Kept in the map, without a place in any host's list.
                bNoHost = true;
                if (!bDevTypeSet) {
                    iDevType = pItem->m_iDevType;
                    bDevTypeSet = true;
                }
                vecPlaced.append(pItem);
                continue;
            }
            const int iPos = SectionEnd(*pHostItem, K::kKind);
            if (iPos < 0 || iPos > static_cast<int>(pHostItem->m_vecChilds.size())) {
                iBadPosition = iPos;
                iResult = -1;
                continue;
            }
            pHostItem->m_vecChilds.insert(pHostItem->m_vecChilds.begin() + iPos, pItem);
            CounterOf(*pHostItem, K::kKind) = countText(Counter(*pHostItem, K::kKind) + 1);
            if (!bDevTypeSet) {
                iDevType = pHostItem->m_iHostDevType;
                bDevTypeSet = true;
            }
            vecPlaced.append(pItem);
        }
    }
    if (bNoHost) {
        DL_LOG(3, _texts.pszNoHost);
    }
    // The new objects came with rights of their own (the administrator's role): those, and only
    // those, are read.
    QStringList lstNewIDs;
    lstNewIDs.reserve(entities.vec.size());
    for (const Entity* pEntity : qAsConst(entities.vec)) {
        lstNewIDs.append(pEntity->S_ID);
    }
    if (iResult != 0) {
        DL_LOG(3, _texts.pszBadPosition, iBadPosition);
        AddAuthorityOf(_m, lstNewIDs);
        return iResult;
    }
    EmitResource(_m, vecPlaced, otInsert, iDevType);
    AddAuthorityOf(_m, lstNewIDs);
    return iRet;
}

int CLS_DataMediator::InsertHost(STRCT_VideoHost* _pVideoItem)
{
    return guarded("CLS_DataMediator::InsertHost", -1, [&] {
        if (_pVideoItem == nullptr) {
            DL_LOG(3, "CLS_DataMediator::InsertHost nullptr == pVideoItem");
            return -1;
        }
        CLS_HostEntity entity;
        applyHostItem(*_pVideoItem, entity, false);
        const int iRet = CLS_DataAccess::GetInstance().InsertHost(entity);
        if (iRet < 0) {
            DL_LOG(3, "CLS_DataMediator::InsertHost iRet = (%d)", iRet);
            return iRet;
        }
        auto* pHost = new STRCT_VideoHost();
        CLS_ItemBuilder::BuildHostItem(&entity, pHost);
        pHost->m_strParentID = kResourceRootId;
        pHost->m_strChannelCount = countText(0);
        pHost->m_strAlarmInCount = countText(0);
        pHost->m_strAlarmOutCount = countText(0);
        const int iCount = CLS_DataAccess::GetInstance().GetHostCount(entity.I_DEVTYPE, m_strUserID);
        if (iCount >= 0) {
            pHost->m_iSortNum = iCount;
        }
        {
            WriteLocker locker(&m_lockResourceData);
            CLS_ResourceTree::Put(*this, pHost);
        }
        CLS_ResourceTree::EmitResource(*this, {pHost}, otInsert, entity.I_DEVTYPE);
        CLS_ResourceTree::AddAuthorityOf(*this, {entity.S_ID});
        return iRet;
    });
}

int CLS_DataMediator::InsertChannel(STRCT_VideoChannel* _pVideoItem)
{
    static const InsertTexts s_texts{"CLS_DataMediator::InsertChannel nullptr == pVideoItem",
                                     "",
                                     "CLS_DataMediator::InsertChannel InsertChannel [Second]",
                                     "CLS_DataMediator::InsertChannel iRet = (%d)",
                                     "CLS_DataMediator::InsertChannel nullptr == pHostItem",
                                     "CLS_DataMediator::InsertChannel iNum = (%d)"};
    return guarded("CLS_DataMediator::InsertChannel", -1, [&] {
        return CLS_ResourceTree::InsertChildren<ChannelKind>(*this, {_pVideoItem}, false, s_texts);
    });
}

int CLS_DataMediator::InsertChannelEx(const QVector<STRCT_VideoChannel*>& _qvecChannelData)
{
    static const InsertTexts s_texts{"CLS_DataMediator::InsertChannelEx _qvecChannelData[i] == nullptr",
                                     "CLS_DataMediator::InsertChannelEx _qvecChannelData.isEmpty()",
                                     "CLS_DataMediator::InsertChannelEx re InsertChannelEx iRet(%d)",
                                     "CLS_DataMediator::InsertChannelEx iRet = (%d)",
                                     "CLS_DataMediator::InsertChannelEx nullptr == pHostItem",
                                     "CLS_DataMediator::InsertChannelEx iNum = (%d)"};
    return guarded("CLS_DataMediator::InsertChannelEx", -1, [&] {
        return CLS_ResourceTree::InsertChildren<ChannelKind>(*this, _qvecChannelData, true, s_texts);
    });
}

int CLS_DataMediator::InsertAlarmIn(STRCT_VideoAlarmIn* _pVideoItem)
{
    static const InsertTexts s_texts{"CLS_DataMediator::InsertAlarmIn nullptr == pVideoItem",
                                     "",
                                     "CLS_DataMediator::InsertAlarmIn re InsertAlarmIn iRet(%d)",
                                     "CLS_DataMediator::InsertAlarmIn iRet = (%d)",
                                     "CLS_DataMediator::InsertAlarmIn nullptr == pHostItem",
                                     "CLS_DataMediator::InsertAlarmIn inIndex = (%d)"};
    return guarded("CLS_DataMediator::InsertAlarmIn", -1, [&] {
        return CLS_ResourceTree::InsertChildren<AlarmInKind>(*this, {_pVideoItem}, false, s_texts);
    });
}

int CLS_DataMediator::InsertAlarmOut(STRCT_VideoAlarmOut* _pVideoItem)
{
    static const InsertTexts s_texts{"CLS_DataMediator::InsertAlarmOut nullptr == pVideoItem",
                                     "",
                                     "CLS_DataMediator::InsertAlarmOut re InsertAlarmOut iRet(%d)",
                                     "CLS_DataMediator::InsertAlarmOut iRet = (%d)",
                                     "CLS_DataMediator::InsertAlarmOut nullptr == pHostItem",
                                     "CLS_DataMediator::InsertAlarmOut outIndex = (%d)"};
    return guarded("CLS_DataMediator::InsertAlarmOut", -1, [&] {
        return CLS_ResourceTree::InsertChildren<AlarmOutKind>(*this, {_pVideoItem}, false, s_texts);
    });
}

int CLS_DataMediator::InsertAlarmInEx(const QVector<STRCT_VideoAlarmIn*>& _qvecAlarmInItems)
{
    static const InsertTexts s_texts{"CLS_DataMediator::InsertAlarmInEx nullptr == pVideoItem",
                                     "CLS_DataMediator::InsertAlarmInEx _qvecAlarmInItems.isEmpty()",
                                     "CLS_DataMediator::InsertAlarmInEx re InsertAlarmInEx iRet(%d)",
                                     "CLS_DataMediator::InsertAlarmInEx iRet = (%d)",
                                     "CLS_DataMediator::InsertAlarmInEx nullptr == pHostItem",
                                     "CLS_DataMediator::InsertAlarmInEx inIndex = (%d)"};
    return guarded("CLS_DataMediator::InsertAlarmInEx", -1, [&] {
        return CLS_ResourceTree::InsertChildren<AlarmInKind>(*this, _qvecAlarmInItems, true, s_texts);
    });
}

int CLS_DataMediator::InsertAlarmOutEx(const QVector<STRCT_VideoAlarmOut*>& _qvecAlarmOutItems)
{
    static const InsertTexts s_texts{"CLS_DataMediator::InsertAlarmOutEx nullptr == pVideoItem",
                                     "CLS_DataMediator::InsertAlarmOutEx _qvecAlarmOutItems.isEmpty()",
                                     "CLS_DataMediator::InsertAlarmOutEx re InsertAlarmOutEx iRet(%d)",
                                     "CLS_DataMediator::InsertAlarmOutEx iRet = (%d)",
                                     "CLS_DataMediator::InsertAlarmOutEx nullptr == pHostItem",
                                     "CLS_DataMediator::InsertAlarmOutEx outIndex = (%d)"};
    return guarded("CLS_DataMediator::InsertAlarmOutEx", -1, [&] {
        return CLS_ResourceTree::InsertChildren<AlarmOutKind>(*this, _qvecAlarmOutItems, true, s_texts);
    });
}

// ---- updates ----

QVector<STRCT_VideoItem*> CLS_ResourceTree::CustomCopies(CLS_DataMediator& _m, const std::string& _strID,
                                                         const char* _pszNullLine)
{
    QVector<STRCT_VideoItem*> vecCopies;
    for (auto it = _m.m_mapCustomData.cbegin(); it != _m.m_mapCustomData.cend(); ++it) {
        if (it.value() == nullptr) {
            DL_LOG(3, _pszNullLine);
            continue;
        }
        if (it.value()->m_strID == _strID) {
            vecCopies.append(it.value());
        }
    }
    return vecCopies;
}

template <class K>
int CLS_ResourceTree::UpdateChildren(CLS_DataMediator& _m, const QVector<typename K::Item*>& _vecItems,
                                     bool _bBatch, const UpdateTexts& _texts)
{
    typedef typename K::Item Item;
    typedef typename K::Entity Entity;
    OwnedEntities<Entity> entities;
    QVector<const Item*> vecGiven;
    for (int i = 0; i < _vecItems.size(); ++i) {
        if (_vecItems[i] == nullptr) {
            DL_LOG(3, _texts.pszNull);
            continue;
        }
        entities.vec.append(new Entity(K::ToEntity(*_vecItems[i])));
        vecGiven.append(_vecItems[i]);
    }
    if (entities.vec.isEmpty()) {
        if (_bBatch) {
            DL_LOG(3, _texts.pszEmpty);
        }
        return -1;
    }
    int iRet = K::Update(entities.vec, _bBatch);
    if (iRet < 0) {
        DL_LOG(3, _texts.pszRetry, iRet);
        iRet = K::Update(entities.vec, _bBatch);
        if (iRet < 0) {
            return iRet;
        }
    }

    QVector<STRCT_VideoItem*> vecUpdated;
    int iMissing = 0;
    int iWrongType = 0;
    {
        WriteLocker locker(&_m.m_lockResourceData);
        for (const Item* pGiven : qAsConst(vecGiven)) {
            STRCT_VideoItem* pVideoItemResource = Find(_m, qs(pGiven->m_strID));
            if (pVideoItemResource == nullptr) {
                ++iMissing;
                continue;
            }
            if (KindOf(pVideoItemResource) != K::kKind) {
                ++iWrongType;
                continue;
            }
            Item* pResource = static_cast<Item*>(pVideoItemResource);
            K::CopyUpdate(*pGiven, *pResource);
            pResource->m_strCaption = CLS_ItemBuilder::SimplifiedCaption(qs(pGiven->m_strCaption));
            pResource->m_strDescription = pGiven->m_strDescription;
            vecUpdated.append(pResource);
        }
    }
    for (int i = 0; i < iMissing; ++i) {
        DL_LOG(3, _texts.pszNoResource);
    }
    for (int i = 0; i < iWrongType; ++i) {
        DL_LOG(3, _texts.pszWrongResource);
    }

    // The custom trees' copies of the same objects.
    QVector<STRCT_VideoItem*> vecCustom;
    for (const Item* pGiven : qAsConst(vecGiven)) {
        for (STRCT_VideoItem* pCopy : CustomCopies(_m, pGiven->m_strID, _texts.pszNoCustom)) {
            if (KindOf(pCopy) != K::kKind) {
                DL_LOG(3, _texts.pszWrongCustom);
                continue;
            }
            Item* pCustom = static_cast<Item*>(pCopy);
            K::CopyUpdate(*pGiven, *pCustom);
            pCustom->m_strCaption = CLS_ItemBuilder::SimplifiedCaption(qs(pGiven->m_strCaption));
            pCustom->m_strDescription = pGiven->m_strDescription;
            vecCustom.append(pCustom);
        }
    }
    EmitResource(_m, vecUpdated, otUpdate, kDevTypeAlarm);
    EmitCustom(_m, vecCustom, otUpdate, kDevTypeAlarm);
    return iRet;
}

int CLS_DataMediator::UpdateChannelEx(const QVector<STRCT_VideoChannel*>& _qvecChannelData)
{
    static const UpdateTexts s_texts{"CLS_DataMediator::UpdateChannelEx _qvecChannelData[i] == nullptr",
                                     "CLS_DataMediator::UpdateChannelEx _qvecChannelData.isEmpty()",
                                     "CLS_DataMediator::UpdateChannelEx re UpdateChannelEx iRet(%d)",
                                     "CLS_DataMediator::UpdateChannelEx nullptr == pVideoItemResource",
                                     "CLS_DataMediator::UpdateChannelEx nullptr == pChannelResource",
                                     "CLS_DataMediator::UpdateChannelEx nullptr == pVideoItemCustom",
                                     "CLS_DataMediator::UpdateChannelEx nullptr == pChannelCustom"};
    return guarded("CLS_DataMediator::UpdateChannelEx", -1, [&] {
        return CLS_ResourceTree::UpdateChildren<ChannelKind>(*this, _qvecChannelData, true, s_texts);
    });
}

int CLS_DataMediator::UpdateAlarmIn(STRCT_VideoAlarmIn* _pVideoItem)
{
    static const UpdateTexts s_texts{"CLS_DataMediator::UpdateAlarmIn nullptr == pVideoItem",
                                     "",
                                     "CLS_DataMediator::UpdateAlarmIn re UpdateAlarmIn iRet(%d)",
                                     "CLS_DataMediator::UpdateAlarmIn nullptr == pVideoItemResource",
                                     "CLS_DataMediator::UpdateAlarmIn nullptr == pAlarmInResource",
                                     "CLS_DataMediator::UpdateAlarmIn nullptr == pVideoItemCustom",
                                     "CLS_DataMediator::UpdateAlarmIn nullptr == pAlarmInCustom"};
    return guarded("CLS_DataMediator::UpdateAlarmIn", -1, [&] {
        return CLS_ResourceTree::UpdateChildren<AlarmInKind>(*this, {_pVideoItem}, false, s_texts);
    });
}

int CLS_DataMediator::UpdateAlarmInEx(const QVector<STRCT_VideoAlarmIn*>& _qvecAlarmInItems)
{
    static const UpdateTexts s_texts{"CLS_DataMediator::UpdateAlarmInEx nullptr == pVideoItem",
                                     "CLS_DataMediator::UpdateAlarmInEx _qvecAlarmInItems.isEmpty()",
                                     "CLS_DataMediator::UpdateAlarmInEx re UpdateAlarmInEx iRet(%d)",
                                     "CLS_DataMediator::UpdateAlarmInEx nullptr == pVideoItemResource",
                                     "CLS_DataMediator::UpdateAlarmInEx nullptr == pAlarmInResource",
                                     "CLS_DataMediator::UpdateAlarmInEx nullptr == pVideoItemCustom",
                                     "CLS_DataMediator::UpdateAlarmInEx nullptr == pAlarmInCustom"};
    return guarded("CLS_DataMediator::UpdateAlarmInEx", -1, [&] {
        return CLS_ResourceTree::UpdateChildren<AlarmInKind>(*this, _qvecAlarmInItems, true, s_texts);
    });
}

int CLS_DataMediator::UpdateAlarmOut(STRCT_VideoAlarmOut* _pVideoItem)
{
    static const UpdateTexts s_texts{"CLS_DataMediator::UpdateAlarmOut nullptr == pVideoItem",
                                     "",
                                     "CLS_DataMediator::UpdateAlarmOut re UpdateAlarmOut iRet(%d)",
                                     "CLS_DataMediator::UpdateAlarmOut nullptr == pVideoItemResource",
                                     "CLS_DataMediator::UpdateAlarmOut nullptr == pAlarmOutResource",
                                     "CLS_DataMediator::UpdateAlarmOut nullptr == pVideoItemCustom",
                                     "CLS_DataMediator::UpdateAlarmOut nullptr == pAlarmOutCustom"};
    return guarded("CLS_DataMediator::UpdateAlarmOut", -1, [&] {
        return CLS_ResourceTree::UpdateChildren<AlarmOutKind>(*this, {_pVideoItem}, false, s_texts);
    });
}

int CLS_DataMediator::UpdateAlarmOutEx(const QVector<STRCT_VideoAlarmOut*>& _qvecAlarmOutItems)
{
    static const UpdateTexts s_texts{"CLS_DataMediator::UpdateAlarmOutEx nullptr == pVideoItem",
                                     "CLS_DataMediator::UpdateAlarmOutEx _qvecAlarmOutItems.isEmpty()",
                                     "CLS_DataMediator::UpdateAlarmOutEx re UpdateAlarmOutEx iRet(%d)",
                                     "CLS_DataMediator::UpdateAlarmOutEx nullptr == pVideoItemResource",
                                     "CLS_DataMediator::UpdateAlarmOutEx nullptr == pAlarmOutResource",
                                     "CLS_DataMediator::UpdateAlarmOutEx nullptr == pVideoItemCustom",
                                     "CLS_DataMediator::UpdateAlarmOutEx nullptr == pAlarmOutCustom"};
    return guarded("CLS_DataMediator::UpdateAlarmOutEx", -1, [&] {
        return CLS_ResourceTree::UpdateChildren<AlarmOutKind>(*this, _qvecAlarmOutItems, true, s_texts);
    });
}

// ---- generic devices ----

int CLS_DataMediator::ModifyOrInsertDev(Common::STRCT_DevItem* _pDevItem)
{
    return guarded("CLS_DataMediator::ModifyOrInsertDev", -1, [&] {
        if (_pDevItem == nullptr) {
            DL_LOG(3, "CLS_DataMediator::ModifyOrInsertDev nullptr == pDevItem");
            return -1;
        }
        typedef CLS_ResourceTree T;
        const CLS_HostEntity hostEntity = hostEntityOfDev(*_pDevItem);
        // An id held by an item that is not a host is refused before anything is written.
        auto wrongType = [&] {
            return T::Find(*this, hostEntity.S_ID) != nullptr && T::FindHost(*this, hostEntity.S_ID) == nullptr;
        };
        bool bWrongType = false;
        {
            ReadLocker locker(&m_lockResourceData);
            bWrongType = wrongType();
        }
        if (bWrongType) {
            DL_LOG(3, "CLS_DataMediator::ModifyOrInsertDev pVideoItem->GetType() != vitHost");
            return -1;
        }
        const int iRet = CLS_DataAccess::GetInstance().ReplaceDev(*_pDevItem);
        if (iRet < 0) {
            DL_LOG(3, "CLS_DataMediator::ModifyOrInsertDev iRet = (%d)", iRet);
            return iRet;
        }
        const QString strChannelID = hostEntity.S_ID + QStringLiteral("_0");
        CLS_ChannelEntity channelEntity;
        channelEntity.S_ID = strChannelID;
        channelEntity.S_PARENT_ID = hostEntity.S_ID;
        channelEntity.S_CAPTION = hostEntity.S_CAPTION;
        channelEntity.I_NUM = 0;
        channelEntity.I_BINDINGDEVTYPE = _pDevItem->I_TYPE;
        channelEntity.S_DESCRIPTION = hostEntity.S_DESCRIPTION;
        channelEntity.I_OBJ_TYPE_ID = _pDevItem->I_TYPE == 2
                                          ? kObjTypeDevChannel2
                                          : (_pDevItem->I_TYPE == 3 ? kObjTypeDevChannel3 : kObjTypeChannel);

        // The items are built outside the lock: new ones go into the tree, or the tree's own
        // items take their values.
        std::unique_ptr<STRCT_VideoHost> pNewHost(new STRCT_VideoHost());
        CLS_ItemBuilder::BuildHostItem(&hostEntity, pNewHost.get());
        pNewHost->m_strParentID = kResourceRootId;
        pNewHost->m_strChannelCount = countText(0);
        pNewHost->m_strAlarmInCount = countText(0);
        pNewHost->m_strAlarmOutCount = countText(0);
        std::unique_ptr<STRCT_VideoChannel> pNewChannel(new STRCT_VideoChannel());
        CLS_ItemBuilder::BuildChannelItem(&channelEntity, pNewChannel.get());
        pNewChannel->m_iChannelNo = 0;
        pNewChannel->m_iDevType = _pDevItem->I_TYPE;
        QVector<STRCT_VideoItem*> vecChanged;
        {
            WriteLocker locker(&m_lockResourceData);
            STRCT_VideoHost* pHost = T::FindHost(*this, hostEntity.S_ID);
            if (wrongType()) {
                bWrongType = true;
            } else {
                if (pHost == nullptr) {
                    pHost = pNewHost.release();
                    pHost->m_iSortNum = static_cast<int>(std::count_if(
                        m_mapResourceData.cbegin(), m_mapResourceData.cend(),
                        [](const STRCT_VideoItem* _p) { return _p != nullptr && _p->GetType() == vitHost; }));
                    T::Put(*this, pHost);
                } else {
                    takeHostValues(*pNewHost, *pHost);
                }
                vecChanged.append(pHost);

                STRCT_VideoItem* pChannelFound = T::Find(*this, strChannelID);
                if (pChannelFound == nullptr) {
                    STRCT_VideoChannel* pChannel = pNewChannel.release();
                    pChannel->m_iSortNum = m_mapResourceData.size();
                    T::Put(*this, pChannel);
                    const int iPos = T::SectionEnd(*pHost, T::ckChannel);
                    if (iPos >= 0 && iPos <= static_cast<int>(pHost->m_vecChilds.size())) {
                        pHost->m_vecChilds.insert(pHost->m_vecChilds.begin() + iPos, pChannel);
                        T::CounterOf(*pHost, T::ckChannel) = countText(T::Counter(*pHost, T::ckChannel) + 1);
                    }
                    vecChanged.append(pChannel);
                } else if (T::KindOf(pChannelFound) == T::ckChannel) {
                    takeChannelValues(*pNewChannel, *static_cast<STRCT_VideoChannel*>(pChannelFound));
                    vecChanged.append(pChannelFound);
                }
            }
        }
        if (bWrongType) {
            // Taken by another item meanwhile: the row is written, the tree is not.
            DL_LOG(3, "CLS_DataMediator::ModifyOrInsertDev pVideoItem->GetType() != vitHost");
            return -1;
        }
        T::EmitResource(*this, vecChanged, otUpdate, _pDevItem->I_TYPE);

        QVector<STRCT_VideoItem*> vecCustom;
        for (STRCT_VideoItem* pCopy : T::CustomCopies(
                 *this, u8(strChannelID), "CLS_DataMediator::ModifyOrInsertDev nullptr == pCustomItem")) {
            pCopy->m_strCaption = CLS_ItemBuilder::SimplifiedCaption(hostEntity.S_CAPTION);
            vecCustom.append(pCopy);
        }
        T::EmitCustom(*this, vecCustom, otUpdate, _pDevItem->I_TYPE);
        return 0;
    });
}

int CLS_DataMediator::DeleteDev(QString _strDevID)
{
    return guarded("CLS_DataMediator::DeleteDev", -1, [&] {
        const int iRet = CLS_DataAccess::GetInstance().DeleteDev(_strDevID);
        if (iRet < 0) {
            DL_LOG(3, "CLS_DataMediator::DeleteDev iRet = (%d)", iRet);
            return iRet;
        }
        typedef CLS_ResourceTree T;
        const QString strChannelID = _strDevID + QStringLiteral("_0");
        QVector<STRCT_VideoItem*> vecRemoved;
        int iDevType = -1;
        bool bNoChannel = false;
        {
            WriteLocker locker(&m_lockResourceData);
            STRCT_VideoItem* pHostItem = T::Find(*this, _strDevID);
            STRCT_VideoItem* pChanItem = T::Find(*this, strChannelID);
            if (pHostItem != nullptr) {
                iDevType = pHostItem->m_iDevType;
                T::Remove(*this, pHostItem);
                vecRemoved.append(pHostItem);
            }
            if (pChanItem == nullptr) {
                bNoChannel = true;
            } else {
                if (pHostItem == nullptr) {
                    iDevType = pChanItem->m_iDevType;
                } else if (pHostItem->GetType() == vitHost) {
                    T::Detach(*static_cast<STRCT_VideoHost*>(pHostItem), pChanItem);
                }
                T::Remove(*this, pChanItem);
                vecRemoved.append(pChanItem);
            }
        }
        if (bNoChannel) {
            DL_LOG(3, "CLS_DataMediator::DeleteDev nullptr == pChanItem");
        }
        T::EmitResource(*this, vecRemoved, otDelete, iDevType);
        T::ReleaseLater(vecRemoved);
        T::DropAuthorityOf(*this, {_strDevID, strChannelID});

        // The custom trees' nodes of the device and its channel go, stored and shown.
        CLS_CustomTree::DropObjects(*this, {strChannelID, _strDevID}, iDevType,
                                    "CLS_DataMediator::DeleteDev nullptr == pCustomItem");
        return 0;
    });
}
