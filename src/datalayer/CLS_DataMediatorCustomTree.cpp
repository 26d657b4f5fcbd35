// The users' custom trees: loading them after the resource tree, their groups and device nodes,
// captions, order and removal, and the copies of deleted devices. The helpers of
// CLS_CustomTree are shared with the passenger-flow tree (CLS_DataMediatorPassengerFlowTree.cpp).
#include "DataBase/EntityDao/Tree/CLS_CustomTree.h"
#include "ItemBuilder/CLS_ItemBuilder.h"

#include <QDebug>
#include <QHash>

#include <algorithm>
#include <memory>
#include <unordered_set>

using namespace ResourceTree;
using namespace CustomTree;

namespace {

// Entities owned for the length of an operation.
template <class E>
struct Owned
{
    QVector<E*> vec;
    Owned() = default;
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { qDeleteAll(vec); }
};

bool isGroup(const STRCT_VideoItem* _pItem)
{
    return _pItem != nullptr && _pItem->GetType() == vitGroup;
}

// The single channel of a generic device: the device id followed by "_0".
QString deviceOfChannel(const QString& _strObjID)
{
    return _strObjID.endsWith(QLatin1String("_0")) ? _strObjID.chopped(2) : QString();
}

}  // namespace

// ---- helpers ----

CLS_ResourceTree::ChildKind CLS_CustomTree::KindOfNodeType(int _iType)
{
    switch (_iType) {
        case kObjTypeChannel:
        case kObjTypeDevChannel2:
        case kObjTypeDevChannel3:
            return CLS_ResourceTree::ckChannel;
        case 6:
            return CLS_ResourceTree::ckAlarmIn;
        case 7:
            return CLS_ResourceTree::ckAlarmOut;
        default:
            return CLS_ResourceTree::ckNone;
    }
}

STRCT_VideoGroup* CLS_CustomTree::NewGroup(const QString& _strNodeID, const QString& _strCaption,
                                           const QString& _strParentID, qint64 _iNum)
{
    auto* pGroup = new STRCT_VideoGroup();
    pGroup->m_strID = u8(_strNodeID);
    pGroup->m_strNodeID = pGroup->m_strID;
    pGroup->m_strCaption = CLS_ItemBuilder::SimplifiedCaption(_strCaption);
    pGroup->m_strParentID = u8(_strParentID);
    pGroup->m_iSortNum = _iNum;
    return pGroup;
}

qint64 CLS_CustomTree::SortNumOf(const STRCT_VideoItem* _pItem, qint64 _iStoredNum)
{
    switch (CLS_ResourceTree::KindOf(_pItem)) {
        case CLS_ResourceTree::ckAlarmIn:
            return _iStoredNum + kAlarmInSortBase;
        case CLS_ResourceTree::ckAlarmOut:
            return _iStoredNum + kAlarmOutSortBase;
        default:
            return _iStoredNum;
    }
}

qint64 CLS_CustomTree::StoredNumOf(const STRCT_VideoItem* _pItem)
{
    return _pItem->m_iSortNum - (SortNumOf(_pItem, 0));
}

STRCT_VideoItem* CLS_CustomTree::NewDeviceItem(CLS_DataMediator& _m, const QString& _strObjID,
                                               CLS_ResourceTree::ChildKind _kind, const QString& _strNodeID,
                                               const QString& _strCaption, const QString& _strParentID,
                                               qint64 _iNum)
{
    STRCT_VideoItem* pItem = nullptr;
    {
        ReadLocker locker(&_m.m_lockResourceData);
        const STRCT_VideoItem* pResource = CLS_ResourceTree::Find(_m, _strObjID);
        const CLS_ResourceTree::ChildKind kind = CLS_ResourceTree::KindOf(pResource);
        if (kind == CLS_ResourceTree::ckNone || (_kind != CLS_ResourceTree::ckNone && kind != _kind)) {
            return nullptr;
        }
        // A copy of the resource item, so that the node shows what the device shows.
        switch (kind) {
            case CLS_ResourceTree::ckChannel:
                pItem = new STRCT_VideoChannel(*static_cast<const STRCT_VideoChannel*>(pResource));
                break;
            case CLS_ResourceTree::ckAlarmIn:
                pItem = new STRCT_VideoAlarmIn(*static_cast<const STRCT_VideoAlarmIn*>(pResource));
                break;
            default:
                pItem = new STRCT_VideoAlarmOut(*static_cast<const STRCT_VideoAlarmOut*>(pResource));
                break;
        }
    }
    pItem->m_strNodeID = u8(_strNodeID);
    pItem->m_strCaption = CLS_ItemBuilder::SimplifiedCaption(_strCaption);
    pItem->m_strParentID = u8(_strParentID);
    pItem->m_iSortNum = SortNumOf(pItem, _iNum);
    return pItem;
}

bool CLS_CustomTree::ResourceCaption(CLS_DataMediator& _m, const QString& _strObjID, std::string& _strCaption)
{
    ReadLocker locker(&_m.m_lockResourceData);
    const STRCT_VideoItem* pResource = CLS_ResourceTree::Find(_m, _strObjID);
    if (pResource == nullptr) {
        return false;
    }
    _strCaption = pResource->m_strCaption;
    return true;
}

void CLS_CustomTree::Emit(CLS_DataMediator& _m, bool _bPassengerFlow, QVector<STRCT_VideoItem*> _vecItems,
                          OperationType _op, void* _param)
{
    if (_vecItems.isEmpty()) {
        return;
    }
    if (_bPassengerFlow) {
        emit _m.SignPassengerFlowCustomTreeDataChangeCallback(_vecItems, _op, kDevTypeTree, _param);
    } else {
        emit _m.SignCustomTreeDataChangeCallback(_vecItems, _op, kDevTypeTree, _param);
    }
}

QVector<STRCT_VideoItem*> CLS_CustomTree::Subtree(const ItemMap& _map, STRCT_VideoItem* _pItem)
{
    QVector<STRCT_VideoItem*> vecItems{_pItem};
    std::unordered_set<std::string> setParents{_pItem->m_strNodeID};
    // Breadth first: each round takes the children of the previous one.
    for (bool bGrew = isGroup(_pItem); bGrew;) {
        bGrew = false;
        for (STRCT_VideoItem* pItem : _map) {
            if (pItem != nullptr && setParents.count(pItem->m_strParentID) != 0 && !vecItems.contains(pItem)) {
                vecItems.append(pItem);
                if (isGroup(pItem)) {
                    setParents.insert(pItem->m_strNodeID);
                    bGrew = true;
                }
            }
        }
    }
    return vecItems;
}

void CLS_CustomTree::RemoveItems(CLS_DataMediator& _m, bool _bPassengerFlow,
                                 const QVector<STRCT_VideoItem*>& _vecItems, int _iDevType, bool _bQuiet,
                                 const char* _pszNoHandle)
{
    if (_vecItems.isEmpty()) {
        return;
    }
    ItemMap& map = MapOf(_m, _bPassengerFlow);
    for (STRCT_VideoItem* pItem : _vecItems) {
        auto it = map.find(qs(pItem->m_strNodeID));
        if (it != map.end() && it.value() == pItem) {
            map.erase(it);
        }
    }
    if (!_bQuiet) {
        QVector<STRCT_VideoItem*> vecReported(_vecItems);
        if (_bPassengerFlow) {
            emit _m.SignPassengerFlowCustomTreeDataChangeCallback(vecReported, otDelete, _iDevType, nullptr);
        } else {
            emit _m.SignCustomTreeDataChangeCallback(vecReported, otDelete, _iDevType, nullptr);
        }
    }
    if (!CLS_ResourceTree::ReleaseLater(_vecItems)) {
        DL_LOG(3, "%s", _pszNoHandle);
    }
}

void CLS_CustomTree::ReleaseMap(ItemMap& _map)
{
    QVector<STRCT_VideoItem*> vecOld = _map.values().toVector();
    _map.clear();
    vecOld.removeAll(nullptr);
    CLS_ResourceTree::ReleaseLater(vecOld);
}

void CLS_CustomTree::DropObjectsOf(CLS_DataMediator& _m, const QVector<STRCT_VideoItem*>& _vecObjects,
                                   int _iDevType, const char* _pszNullLine)
{
    QStringList lstIDs;
    for (const STRCT_VideoItem* pObject : _vecObjects) {
        if (pObject != nullptr) {
            lstIDs.append(qs(pObject->m_strID));
        }
    }
    DropObjects(_m, lstIDs, _iDevType, _pszNullLine);
}

void CLS_CustomTree::DropObjects(CLS_DataMediator& _m, const QStringList& _lstObjIDs, int _iDevType,
                                 const char* _pszNullLine)
{
    if (_lstObjIDs.isEmpty()) {
        return;
    }
    // The stored nodes went in the transaction that deleted their objects
    // (DeviceDao::AppendDependentRemoval); only the loaded copies are left.
    const std::unordered_set<std::string> setIDs = [&] {
        std::unordered_set<std::string> set;
        for (const QString& strID : _lstObjIDs) {
            set.insert(u8(strID));
        }
        return set;
    }();
    QVector<STRCT_VideoItem*> vecCopies;
    for (STRCT_VideoItem* pItem : qAsConst(_m.m_mapCustomData)) {
        if (pItem == nullptr) {
            DL_LOG(3, "%s", _pszNullLine);
        } else if (!isGroup(pItem) && setIDs.count(pItem->m_strID) != 0) {
            vecCopies.append(pItem);
        }
    }
    RemoveItems(_m, false, vecCopies, _iDevType, false, _pszNullLine);
}

// ---- loading ----

int CLS_CustomTree::CreateTrees(CLS_DataMediator& _m)
{
    int iRet = CreateCustomTree(_m);
    if (iRet == 0) {
        iRet = CreatePassengerFlowTree(_m);
    }
    if (iRet != 0) {
        ReleaseMap(_m.m_mapCustomData);
        ReleaseMap(_m.m_mapPassengerFlowData);
    }
    return iRet;
}

int CLS_CustomTree::CreateCustomTree(CLS_DataMediator& _m)
{
    ReleaseMap(_m.m_mapCustomData);
    _m.m_mapCustomData.insert(kCustomRootId, NewGroup(kCustomRootId, QString(), QString(), 0));

    Owned<CLS_CustomTreeNodesEntity> roots;
    const int iRet = CLS_DataAccess::GetInstance().GetRootNodes(_m.m_strUserID, roots.vec);
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::CreateCustomTree GetRootNodes iRet = %d", iRet);
        return iRet < 0 ? iRet : -1;
    }
    if (roots.vec.isEmpty()) {
        return 0;
    }
    // Rights of authority type 1 with status 1.
    if (!_m.m_mapAuthority.HasType(1)) {
        return 0;
    }
    return AddCustomNodes(_m, roots.vec, kCustomRootId, _m.m_mapAuthority.ObjectsWith(1, 1));
}

int CLS_CustomTree::AddCustomNodes(CLS_DataMediator& _m, const QVector<CLS_CustomTreeNodesEntity*>& _vecNodes,
                                   const QString& _strParentID, const QSet<QString>& _setRights)
{
    for (const CLS_CustomTreeNodesEntity* pNode : _vecNodes) {
        // A node met twice (a stored loop) is taken once.
        if (pNode->S_ID == QLatin1String(kHiddenNodeId) || _m.m_mapCustomData.contains(pNode->S_ID)) {
            continue;
        }
        if (pNode->S_OBJ_ID.isEmpty()) {
            _m.m_mapCustomData.insert(pNode->S_ID, NewGroup(pNode->S_ID, pNode->S_CAPTION, _strParentID, pNode->I_NUM));
            Owned<CLS_CustomTreeNodesEntity> children;
            const int iRet = CLS_DataAccess::GetInstance().GetChildNodes(_m.m_strUserID, pNode->S_ID, children.vec);
            if (iRet != 0) {
                DL_LOG(2, "CLS_DataMediator::CreateCustomTree GetChildNodes iRet = %d", iRet);
                return iRet < 0 ? iRet : -1;
            }
            const int iChildren = AddCustomNodes(_m, children.vec, pNode->S_ID, _setRights);
            if (iChildren != 0) {
                return iChildren;
            }
            continue;
        }
        // The channel of a generic device has no object row (so no type and no rights of its
        // own); it is shown when its device stands in the user's resource tree or the user
        // holds a right on the device.
        int iType = pNode->m_iTreeNodeType;
        bool bAllowed = _setRights.contains(pNode->S_OBJ_ID);
        const QString strDevice = deviceOfChannel(pNode->S_OBJ_ID);
        if (!bAllowed && !strDevice.isEmpty()) {
            ReadLocker locker(&_m.m_lockResourceData);
            const STRCT_VideoItem* pChannel = CLS_ResourceTree::Find(_m, pNode->S_OBJ_ID);
            if (CLS_ResourceTree::KindOf(pChannel) == CLS_ResourceTree::ckChannel &&
                pChannel->m_strParentID == u8(strDevice)) {
                bAllowed = _setRights.contains(strDevice) || CLS_ResourceTree::FindHost(_m, strDevice) != nullptr;
                if (iType == 0) {
                    const int iObjType = static_cast<const STRCT_VideoChannel*>(pChannel)->m_iObjType;
                    iType = iObjType == kObjTypeDevChannel2 || iObjType == kObjTypeDevChannel3 ? iObjType
                                                                                            : kObjTypeChannel;
                }
            }
        }
        if (!bAllowed) {
            continue;
        }
        const CLS_ResourceTree::ChildKind kind = KindOfNodeType(iType);
        if (kind == CLS_ResourceTree::ckNone) {
            DL_LOG(3, "CLS_DataMediator::CreateCustomTree treeNodeEntity->m_iTreeNodeType==%d", iType);
            continue;
        }
        STRCT_VideoItem* pItem =
            NewDeviceItem(_m, pNode->S_OBJ_ID, kind, pNode->S_ID, pNode->S_CAPTION, _strParentID, pNode->I_NUM);
        if (pItem != nullptr) {
            _m.m_mapCustomData.insert(pNode->S_ID, pItem);
        }
    }
    return 0;
}

// ---- inserts ----

int CLS_CustomTree::InsertGroup(CLS_DataMediator& _m, bool _bPassengerFlow, const QString& _strParentNodeID,
                                const QString& _strCaption, QString& _strNodeID, const char* _pszOperation)
{
    if (_m.m_strUserID.isEmpty()) {
        DL_LOG(3, "%s m_strUserID.isEmpty()", _pszOperation);
        return -1;
    }
    ItemMap& map = MapOf(_m, _bPassengerFlow);
    if (!isGroup(map.value(_strParentNodeID, nullptr))) {
        DL_LOG(3, "%s parentItem == nullptr", _pszOperation);
        return -1;
    }
    CLS_CustomTreeEntity entity;
    entity.S_ID = newObjectId();
    entity.S_USER_ID = _m.m_strUserID;
    entity.S_CAPTION = _strCaption;
    entity.S_PARENT_ID = StoredParent(_strParentNodeID);
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    bool bWritten = false;
    auto insert = [&] {
        return _bPassengerFlow ? access.InsertPassengerFlowGroup(entity, &bWritten)
                               : access.InsertCustomTreeNode(entity, &bWritten);
    };
    qint64 iNum = insert();
    // Tried again only when nothing was stored: after a stored insert a second one would fail
    // on the id (and report a failure for a stored node).
    if (iNum < 0 && !bWritten) {
        DL_LOG(3, "%s InsertCustomTreeNode[Second]", _pszOperation);
        iNum = insert();
    }
    if (iNum < 0) {
        DL_LOG(3, "%s iRet = (%d)", _pszOperation, int(iNum));
        return -1;
    }
    STRCT_VideoGroup* pGroup = NewGroup(entity.S_ID, _strCaption, _strParentNodeID, iNum);
    map.insert(entity.S_ID, pGroup);
    _strNodeID = entity.S_ID;
    Emit(_m, _bPassengerFlow, {pGroup}, otInsert);
    return 0;
}

int CLS_CustomTree::InsertDeviceNodes(CLS_DataMediator& _m, bool _bPassengerFlow, const QString& _strParentNodeID,
                                      const QVector<STRCT_VideoItem*>* _pvecItems, CLS_ResourceTree::ChildKind _kind,
                                      const NodeInsertTexts& _texts)
{
    if (_pvecItems == nullptr) {
        DL_LOG(3, "%s", _texts.pszNullList);
        return -1;
    }
    ItemMap& map = MapOf(_m, _bPassengerFlow);
    if (!isGroup(map.value(_strParentNodeID, nullptr))) {
        DL_LOG(3, "%s", _texts.pszNoParent);
        return -1;
    }
    if (_m.m_strUserID.isEmpty()) {
        DL_LOG(3, "%s", "CLS_DataMediator::InsertCustomTreeNodes m_strUserID.isEmpty()");
        return -1;
    }
    Owned<CLS_CustomTreeEntity> entities;
    std::vector<std::unique_ptr<STRCT_VideoItem>> vecItems;
    for (const STRCT_VideoItem* pGiven : *_pvecItems) {
        if (pGiven == nullptr) {
            DL_LOG(3, "%s", _texts.pszNullItem);
            continue;
        }
        const QString strObjID = qs(pGiven->m_strID);
        bool bExists = false;
        {
            ReadLocker locker(&_m.m_lockResourceData);
            bExists = CLS_ResourceTree::Find(_m, strObjID) != nullptr;
        }
        const QString strNodeID = newObjectId();
        STRCT_VideoItem* pItem = nullptr;
        if (bExists) {
            pItem = NewDeviceItem(_m, strObjID, _kind, strNodeID, QString(), _strParentNodeID, 0);
        }
        if (pItem == nullptr) {
            DL_LOG(3, "%s", bExists ? _texts.pszWrongType : _texts.pszNoResource);
            continue;
        }
        // The node takes the object's caption.
        vecItems.emplace_back(pItem);
        auto* pEntity = new CLS_CustomTreeEntity();
        entities.vec.append(pEntity);
        pEntity->S_ID = strNodeID;
        pEntity->S_USER_ID = _m.m_strUserID;
        pEntity->S_OBJ_ID = strObjID;
        std::string strCaption;
        ResourceCaption(_m, strObjID, strCaption);
        pEntity->S_CAPTION = qs(strCaption);
        pItem->m_strCaption = strCaption;
        pEntity->S_PARENT_ID = StoredParent(_strParentNodeID);
    }
    if (entities.vec.isEmpty()) {
        return -1;
    }
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    bool bWritten = false;
    auto insert = [&] {
        return _bPassengerFlow ? access.InsertPassengerFlowNodes(entities.vec, &bWritten)
                               : access.InsertCustomTreeNodeEx(entities.vec, &bWritten);
    };
    int iRet = insert();
    if (iRet < 0 && !bWritten) {
        DL_LOG(3, "%s", _texts.pszRetry);
        iRet = insert();
    }
    if (iRet < 0) {
        DL_LOG(3, _texts.pszFailed, iRet);
        return iRet;
    }
    QVector<STRCT_VideoItem*> vecAdded;
    for (size_t i = 0; i < vecItems.size(); ++i) {
        STRCT_VideoItem* pItem = vecItems[i].release();
        pItem->m_iSortNum = SortNumOf(pItem, entities.vec[static_cast<int>(i)]->I_NUM);
        map.insert(qs(pItem->m_strNodeID), pItem);
        vecAdded.append(pItem);
    }
    Emit(_m, _bPassengerFlow, vecAdded, otInsert);
    return 0;
}

int CLS_DataMediator::InsertCustomTreeGroup(QString _strParentNodeID, QString _strCaption, QString& _strNodeID)
{
    return guarded("CLS_DataMediator::InsertCustomTreeGroup", -1, [&] {
        return CLS_CustomTree::InsertGroup(*this, false, _strParentNodeID, _strCaption, _strNodeID,
                                           "CLS_DataMediator::InsertCustomTreeGroup");
    });
}

int CLS_DataMediator::InsertCustomTreeNodes(QString _qstrParentTreeNodeID, const QVector<STRCT_VideoItem*>& _qvecItems,
                                            bool _bPassengerFlow)
{
    static const NodeInsertTexts s_texts{"CLS_DataMediator::InsertCustomTreeNodes parentItem == nullptr",
                                         "CLS_DataMediator::InsertCustomTreeNodes nullptr == _qvecItems",
                                         "CLS_DataMediator::InsertCustomTreeNodes nullptr == pItem",
                                         "CLS_DataMediator::InsertCustomTreeNodes nullptr == pVideoItem",
                                         "CLS_DataMediator::InsertCustomTreeNodes pVideoItem->GetType()",
                                         "CLS_DataMediator::InsertCustomTreeNodes InsertCustomTreeNodeEx[Second]",
                                         "CLS_DataAccess::GetInstance().InsertCustomTreeNodeEx iRet = (%d)"};
    return guarded("CLS_DataMediator::InsertCustomTreeNodes", -1, [&] {
        // The passenger-flow tree shows counting cameras only.
        return CLS_CustomTree::InsertDeviceNodes(*this, _bPassengerFlow, _qstrParentTreeNodeID, &_qvecItems,
                                                 _bPassengerFlow ? CLS_ResourceTree::ckChannel
                                                                 : CLS_ResourceTree::ckNone,
                                                 s_texts);
    });
}

int CLS_DataMediator::InsertAlarmInNodes(QString _qstrParentTreeNodeID, QVector<STRCT_VideoItem*>* _pqvecTreeNodes)
{
    static const NodeInsertTexts s_texts{
        "CLS_DataMediator::InsertAlarmInNodes !m_mapCustomData.contains(_qstrParentTreeNodeID)",
        "CLS_DataMediator::InsertAlarmInNodes nullptr == _pqvecTreeNodes",
        "CLS_DataMediator::InsertAlarmInNodes nullptr == pItem",
        "CLS_DataMediator::InsertAlarmInNodes nullptr == pVideoItem",
        "CLS_DataMediator::InsertAlarmInNodes nullptr == pAlarmInItem",
        "CLS_DataMediator::InsertAlarmInNodes InsertCustomTreeNodeEx[Second]",
        "CLS_DataAccess::GetInstance().InsertCustomTreeNodeEx iRet = (%d)"};
    return guarded("CLS_DataMediator::InsertAlarmInNodes", -1, [&] {
        return CLS_CustomTree::InsertDeviceNodes(*this, false, _qstrParentTreeNodeID, _pqvecTreeNodes,
                                                 CLS_ResourceTree::ckAlarmIn, s_texts);
    });
}

int CLS_DataMediator::InsertAlarmOutNodes(QString _qstrParentTreeNodeID, QVector<STRCT_VideoItem*>* _pqvecTreeNodes)
{
    static const NodeInsertTexts s_texts{
        "CLS_DataMediator::InsertAlarmOutNodes !m_mapCustomData.contains(_qstrParentTreeNodeID)",
        "CLS_DataMediator::InsertAlarmOutNodes nullptr == _pqvecTreeNodes",
        "CLS_DataMediator::InsertAlarmOutNodes nullptr == pItem",
        "CLS_DataMediator::InsertAlarmOutNodes nullptr == pVideoItem",
        "CLS_DataMediator::InsertAlarmOutNodes nullptr == pAlarmOutItem",
        "CLS_DataMediator::InsertAlarmOutNodes InsertCustomTreeNodeEx[Second]",
        "CLS_DataAccess::GetInstance().InsertCustomTreeNodeEx iRet = (%d)"};
    return guarded("CLS_DataMediator::InsertAlarmOutNodes", -1, [&] {
        return CLS_CustomTree::InsertDeviceNodes(*this, false, _qstrParentTreeNodeID, _pqvecTreeNodes,
                                                 CLS_ResourceTree::ckAlarmOut, s_texts);
    });
}

// ---- captions, order, removal ----

int CLS_DataMediator::UpdateCustomTreeNodeCaption(STRCT_VideoItem* _pNode)
{
    return guarded("CLS_DataMediator::UpdateCustomTreeNodeCaption", -1, [&] {
        if (_pNode == nullptr) {
            DL_LOG(3, "CLS_DataMediator::UpdateCustomTreeNodeCaption nullptr == _pNode");
            return -1;
        }
        STRCT_VideoItem* pItem = m_mapCustomData.value(qs(_pNode->m_strNodeID), nullptr);
        if (pItem == nullptr || pItem->m_strNodeID == kCustomRootId) {
            DL_LOG(3, "CLS_DataMediator::UpdateCustomTreeNodeCaption nullptr == videoItem");
            return -1;
        }
        CLS_CustomTreeEntity entity;
        entity.S_ID = qs(_pNode->m_strNodeID);
        entity.S_CAPTION = qs(_pNode->m_strCaption);
        const int iRet = CLS_DataAccess::GetInstance().UpdateCustomTreeNodeCaption(entity);
        if (iRet < 0) {
            DL_LOG(2, "CLS_DataMediator::UpdateCustomTreeNodeCaption iRet = (%d)", iRet);
            return iRet;
        }
        pItem->m_strCaption = CLS_ItemBuilder::SimplifiedCaption(entity.S_CAPTION);
        CLS_CustomTree::Emit(*this, false, {pItem}, otUpdate);
        return iRet;
    });
}

int CLS_DataMediator::SortCustomTreeNotesNum(QString _strNodeID, int _iNum, void* _param)
{
    return guarded("CLS_DataMediator::SortCustomTreeNotesNum", -1, [&] {
        if (_strNodeID.isEmpty() || _iNum < 0) {
            qDebug() << "_strNodeID.isEmpty() || _iNum < 0";
            return -1;
        }
        STRCT_VideoItem* pItem = m_mapCustomData.value(_strNodeID, nullptr);
        if (pItem == nullptr || _strNodeID == QLatin1String(kCustomRootId)) {
            qDebug() << "(videoItem == nullptr";
            return -1;
        }
        const int iRet = CLS_DataAccess::GetInstance().SetCustomTreeNodeNum(_strNodeID, _iNum);
        if (iRet < 0) {
            DL_LOG(2, "CLS_DataMediator::SortCustomTreeNotesNum iRet = (%d)", iRet);
            return iRet;
        }
        // Alarm points keep sorting after the channels, as when loaded.
        pItem->m_iSortNum = CLS_CustomTree::SortNumOf(pItem, _iNum);
        CLS_CustomTree::Emit(*this, false, {pItem}, otSort, _param);
        return iRet;
    });
}

int CLS_DataMediator::InsertCustomTreeNodesAt(const QStringList& _vecTreeNodeIDs, QString _strGroupNodeID,
                                              QString _strAnchorNodeID)
{
    return guarded("CLS_DataMediator::InsertCustomTreeNodesAt", -1, [&] {
        STRCT_VideoItem* addUnderItem = m_mapCustomData.value(_strGroupNodeID, nullptr);
        if (!isGroup(addUnderItem)) {
            qDebug() << "addUnderItem == nullptr";
            return -1;
        }
        if (_vecTreeNodeIDs.count() <= 0) {
            qDebug() << "_vecTreeNodeIDs.count() <= 0";
            return -1;
        }
        if (m_strUserID.isEmpty()) {
            DL_LOG(3, "CLS_DataMediator::InsertCustomTreeNodesAt m_strUserID.isEmpty()");
            return -1;
        }
        // Channels only; other ids are skipped.
        Owned<CLS_CustomTreeEntity> entities;
        std::vector<std::unique_ptr<STRCT_VideoItem>> addVideoItems;
        for (const QString& strObjID : _vecTreeNodeIDs) {
            const QString strNodeID = newObjectId();
            STRCT_VideoItem* pItem =
                CLS_CustomTree::NewDeviceItem(*this, strObjID, CLS_ResourceTree::ckChannel, strNodeID, QString(),
                                              _strGroupNodeID, 0);
            if (pItem == nullptr) {
                continue;
            }
            addVideoItems.emplace_back(pItem);
            CLS_CustomTree::ResourceCaption(*this, strObjID, pItem->m_strCaption);
            auto* pEntity = new CLS_CustomTreeEntity();
            entities.vec.append(pEntity);
            pEntity->S_ID = strNodeID;
            pEntity->S_USER_ID = m_strUserID;
            pEntity->S_OBJ_ID = strObjID;
            pEntity->S_CAPTION = qs(pItem->m_strCaption);
            pEntity->S_PARENT_ID = CLS_CustomTree::StoredParent(_strGroupNodeID);
        }
        if (addVideoItems.empty()) {
            qDebug() << "addVideoItems.count() <= 0";
            return -1;
        }
        CLS_DataAccess& access = CLS_DataAccess::GetInstance();
        bool bWritten = false;
        int iRet = access.InsertCustomTreeNodeEx(entities.vec, &bWritten);
        if (iRet < 0 && !bWritten) {
            DL_LOG(3, "CLS_DataMediator::InsertCustomTreeNodesAt InsertCustomTreeNodeEx[Second]");
            iRet = access.InsertCustomTreeNodeEx(entities.vec, &bWritten);
        }
        if (iRet < 0) {
            DL_LOG(3, "CLS_DataAccess::GetInstance().InsertCustomTreeNodeEx iRet = (%d)", iRet);
            return iRet;
        }

        // The group's present children in their order, then the new nodes before the anchor.
        QVector<STRCT_VideoItem*> vecChildren;
        for (STRCT_VideoItem* pChild : qAsConst(m_mapCustomData)) {
            if (pChild == nullptr) {
                qDebug() << "videoItem == nullptr";
            } else if (pChild->m_strParentID == addUnderItem->m_strNodeID) {
                vecChildren.append(pChild);
            }
        }
        std::stable_sort(vecChildren.begin(), vecChildren.end(), [](const STRCT_VideoItem* a, const STRCT_VideoItem* b) {
            return CLS_CustomTree::StoredNumOf(a) < CLS_CustomTree::StoredNumOf(b);
        });
        QVector<qint64> vecNums;
        for (const STRCT_VideoItem* pChild : qAsConst(vecChildren)) {
            vecNums.append(CLS_CustomTree::StoredNumOf(pChild));
        }
        QVector<STRCT_VideoItem*> vecAdded;
        for (size_t i = 0; i < addVideoItems.size(); ++i) {
            STRCT_VideoItem* pItem = addVideoItems[i].release();
            const qint64 iNum = entities.vec[static_cast<int>(i)]->I_NUM;
            pItem->m_iSortNum = CLS_CustomTree::SortNumOf(pItem, iNum);
            m_mapCustomData.insert(qs(pItem->m_strNodeID), pItem);
            vecAdded.append(pItem);
            vecNums.append(iNum);
        }
        CLS_CustomTree::Emit(*this, false, vecAdded, otInsert);

        int iAt = vecChildren.size();
        for (int i = 0; i < vecChildren.size(); ++i) {
            if (qs(vecChildren[i]->m_strNodeID) == _strAnchorNodeID) {
                iAt = i;
                break;
            }
        }
        QVector<STRCT_VideoItem*> vecOrder = vecChildren.mid(0, iAt) + vecAdded + vecChildren.mid(iAt);
        // The numbers the children held are handed out again in the new order, made strictly
        // increasing so that reading by I_NUM gives this order.
        std::sort(vecNums.begin(), vecNums.end());
        QMap<QString, qint64> mapChanged;
        QVector<qint64> vecNew;
        for (int i = 0; i < vecOrder.size(); ++i) {
            const qint64 iNum = i == 0 ? vecNums[i] : std::max(vecNums[i], vecNew.last() + 1);
            vecNew.append(iNum);
            if (CLS_CustomTree::StoredNumOf(vecOrder[i]) != iNum) {
                mapChanged.insert(qs(vecOrder[i]->m_strNodeID), iNum);
            }
        }
        iRet = access.SetCustomTreeNodeNums(mapChanged);
        if (iRet < 0) {
            qDebug() << "SetNotesNum error";
            return iRet;
        }
        for (int i = 0; i < vecOrder.size(); ++i) {
            vecOrder[i]->m_iSortNum = CLS_CustomTree::SortNumOf(vecOrder[i], vecNew[i]);
            qDebug() << "index=" << i;
            qDebug() << "captain=" << qs(vecOrder[i]->m_strCaption);
        }
        CLS_CustomTree::Emit(*this, false, vecOrder, otSort);
        return 0;
    });
}

int CLS_DataMediator::DeleteFromCustomTree(QString _strNodeID)
{
    return guarded("CLS_DataMediator::DeleteFromCustomTree", -1, [&] {
        if (_strNodeID.isEmpty()) {
            qDebug() << "_strNodeID == nullptr || _strNodeID.length() <= 0 ";
            return -1;
        }
        STRCT_VideoItem* pItem = m_mapCustomData.value(_strNodeID, nullptr);
        if (pItem == nullptr || _strNodeID == QLatin1String(kCustomRootId)) {
            qDebug() << "(videoItem == nullptr";
            return -1;
        }
        const int iRet = CLS_DataAccess::GetInstance().DeleteCustomTreeNode(_strNodeID);
        if (iRet < 0) {
            DL_LOG(2, "CLS_DataMediator::DeleteFromCustomTree iRet = (%d)", iRet);
            return iRet;
        }
        CLS_CustomTree::RemoveItems(*this, false, CLS_CustomTree::Subtree(m_mapCustomData, pItem), kDevTypeTree,
                                    false, "CLS_DataMediator::DeleteFromCustomTree nullptr == pCommonHandle");
        return iRet;
    });
}

// ---- look-ups ----

namespace {

void collectOfType(const CLS_CustomTree::ItemMap& _map, uint32_t _uiType, const char* _pszNullLine,
                   QVector<STRCT_VideoItem*>& _vecItems)
{
    for (STRCT_VideoItem* pCustomItem : _map) {
        if (pCustomItem == nullptr) {
            DL_LOG(3, "%s", _pszNullLine);
        } else if (pCustomItem->GetType() == _uiType) {
            _vecItems.append(pCustomItem);
        }
    }
}

}  // namespace

void CLS_DataMediator::GetCustomTreeAlarmInNodes(QVector<STRCT_VideoItem*>& _vecItems)
{
    collectOfType(m_mapCustomData, vitAlarmIn, "CLS_DataMediator::GetCustomTreeAlarmInNodes nullptr == pCustomItem",
                  _vecItems);
}

void CLS_DataMediator::GetCustomTreeAlarmOutNodes(QVector<STRCT_VideoItem*>& _vecItems)
{
    collectOfType(m_mapCustomData, vitAlarmOut,
                  "CLS_DataMediator::GetCustomTreeAlarmOutNodes nullptr == pCustomItem", _vecItems);
}

QVector<STRCT_VideoItem*> CLS_DataMediator::GetCustomTreeItems()
{
    return m_mapCustomData.values().toVector();
}

int CLS_DataMediator::GetRootChildNodes(QString _strUserID, QVector<CLS_CustomTreeEntity*>& _vecTreeNodes)
{
    const int iRet = CLS_DataAccess::GetInstance().GetRootChildNodes(_strUserID, _vecTreeNodes);
    if (iRet < 0) {
        DL_LOG(3, "CLS_DataAccess::GetInstance().GetRootChildNodes(_strUserID, vecTreeNodes) < 0");
    }
    return iRet;
}

int CLS_DataMediator::GetRootChildNodesType(QString _strUserID, QVector<CLS_CustomTreeNodesEntity*>& _vecTreeNodes)
{
    return GetRootChildNodesType(_strUserID, _vecTreeNodes, false);
}

int CLS_DataMediator::GetRootChildNodesType(QString _strUserID, QString _strParentNodeID,
                                            QVector<CLS_CustomTreeNodesEntity*>& _vecTreeNodes)
{
    return GetRootChildNodesType(_strUserID, _strParentNodeID, _vecTreeNodes, false);
}

int CLS_DataMediator::GetRootChildNodesType(QString _strUserID, QVector<CLS_CustomTreeNodesEntity*>& _vecTreeNodes,
                                            bool _bPassengerFlow)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    const int iRet = _bPassengerFlow ? access.GetRootChildNodesTypePassenager(_strUserID, _vecTreeNodes)
                                     : access.GetRootNodes(_strUserID, _vecTreeNodes);
    if (iRet < 0) {
        DL_LOG(3, "CLS_DataMediator::GetRootChildNodesType iRet = (%d)", iRet);
    }
    return iRet;
}

int CLS_DataMediator::GetRootChildNodesType(QString _strUserID, QString _strParentNodeID,
                                            QVector<CLS_CustomTreeNodesEntity*>& _vecTreeNodes, bool _bPassengerFlow)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    const int iRet = _bPassengerFlow ? access.GetChildNodesTypePassenager(_strParentNodeID, _vecTreeNodes)
                                     : access.GetChildNodes(_strUserID, _strParentNodeID, _vecTreeNodes);
    if (iRet < 0) {
        DL_LOG(3, "CLS_DataMediator::GetRootChildNodesType iRet = (%d)", iRet);
    }
    return iRet;
}
