// The users' passenger-flow trees: groups of counting cameras stored in the passenger-flow
// database, held in m_mapPassengerFlowData and reported through
// SignPassengerFlowCustomTreeDataChangeCallback. Device nodes are added by InsertCustomTreeNodes
// with its passenger-flow flag (CLS_DataMediatorCustomTree.cpp).
#include "DataBase/EntityDao/Tree/CLS_CustomTree.h"

#include <QHash>

using namespace ResourceTree;
using namespace CustomTree;

namespace {

// Builds the items of _vecNodes under _strParentID, and below each group the nodes of its id.
void addPassengerNodes(CLS_DataMediator& _m, CLS_CustomTree::ItemMap& _map,
                       const QHash<QString, QVector<CLS_CustomTreeEntity*>>& _mapByParent,
                       const QVector<CLS_CustomTreeEntity*>& _vecNodes, const QString& _strParentID)
{
    for (const CLS_CustomTreeEntity* pNode : _vecNodes) {
        if (pNode->S_ID == QLatin1String(kHiddenNodeId) || _map.contains(pNode->S_ID)) {
            continue;
        }
        if (pNode->S_OBJ_ID.isEmpty()) {
            _map.insert(pNode->S_ID, CLS_CustomTree::NewGroup(pNode->S_ID, pNode->S_CAPTION, _strParentID, pNode->I_NUM));
            addPassengerNodes(_m, _map, _mapByParent, _mapByParent.value(pNode->S_ID), pNode->S_ID);
            continue;
        }
        // Every device node of this tree is a counting camera; it shows the camera's caption.
        STRCT_VideoItem* pItem = CLS_CustomTree::NewDeviceItem(_m, pNode->S_OBJ_ID, CLS_ResourceTree::ckChannel,
                                                               pNode->S_ID, pNode->S_CAPTION, _strParentID, pNode->I_NUM);
        if (pItem == nullptr) {
            continue;
        }
        CLS_CustomTree::ResourceCaption(_m, pNode->S_OBJ_ID, pItem->m_strCaption);
        _map.insert(pNode->S_ID, pItem);
    }
}

}  // namespace

int CLS_CustomTree::CreatePassengerFlowTree(CLS_DataMediator& _m)
{
    ItemMap& map = _m.m_mapPassengerFlowData;
    ReleaseMap(map);
    map.insert(kCustomRootId, NewGroup(kCustomRootId, QString(), QString(), 0));
    // The user's nodes only: renames and removals are the user's too.
    QVector<CLS_CustomTreeEntity*> vecNodes;
    const int iRet = CLS_DataAccess::GetInstance().GetPassengerFlowTreeNodes(_m.m_strUserID, QString(), vecNodes);
    if (iRet != 0) {
        qDeleteAll(vecNodes);
        DL_LOG(2, "CLS_DataMediator::CreatePassengerFlowTree iRet = %d", iRet);
        return iRet < 0 ? iRet : -1;
    }
    QHash<QString, QVector<CLS_CustomTreeEntity*>> mapByParent;
    for (CLS_CustomTreeEntity* pNode : qAsConst(vecNodes)) {
        mapByParent[pNode->S_PARENT_ID].append(pNode);
    }
    addPassengerNodes(_m, map, mapByParent, mapByParent.value(QString()), kCustomRootId);
    qDeleteAll(vecNodes);
    return 0;
}

int CLS_DataMediator::InsertPassengerFlowGroup(QString _strParentNodeID, QString _strCaption, QString& _strNodeID)
{
    return guarded("CLS_DataMediator::InsertPassengerFlowGroup", -1, [&] {
        return CLS_CustomTree::InsertGroup(*this, true, _strParentNodeID, _strCaption, _strNodeID,
                                           "CLS_DataMediator::InsertPassengerFlowGroup");
    });
}

int CLS_DataMediator::UpdatePassengerFlowNodeCaption(QString _strNodeID, QString _strCaption)
{
    return guarded("CLS_DataMediator::UpdatePassengerFlowNodeCaption", -1, [&] {
        STRCT_VideoItem* pItem = m_mapPassengerFlowData.value(_strNodeID, nullptr);
        if (pItem == nullptr || _strNodeID == QLatin1String(kCustomRootId)) {
            DL_LOG(3, "CLS_DataMediator::UpdatePassengerFlowNodeCaption pvideoItem == nullptr");
            return -1;
        }
        const int iRet = CLS_DataAccess::GetInstance().UpdatePassengerFlowNodeCaption(m_strUserID, _strNodeID,
                                                                                      _strCaption);
        if (iRet < 0) {
            DL_LOG(2, "CLS_DataMediator::UpdatePassengerFlowNodeCaption iRet = (%d)", iRet);
            return iRet;
        }
        pItem->m_strCaption = u8(_strCaption.simplified());
        CLS_CustomTree::Emit(*this, true, {pItem}, otUpdate);
        return iRet;
    });
}

namespace {

// The device items of the passenger-flow tree: all of them, or those of one object.
QVector<STRCT_VideoItem*> deviceItems(const CLS_CustomTree::ItemMap& _map, const QString& _strObjID)
{
    QVector<STRCT_VideoItem*> vecItems;
    const std::string strObjID = u8(_strObjID);
    for (STRCT_VideoItem* pItem : _map) {
        if (pItem != nullptr && pItem->GetType() != vitGroup && (_strObjID.isEmpty() || pItem->m_strID == strObjID)) {
            vecItems.append(pItem);
        }
    }
    return vecItems;
}

}  // namespace

namespace {

// Removes stored device nodes with _remove, then their items.
template <typename F>
int removeDeviceNodes(CLS_DataMediator& _m, const QString& _strObjID, const char* _pszOperation, F&& _remove)
{
    const int iRet = _remove();
    if (iRet < 0) {
        DL_LOG(2, "%s iRet = (%d)", _pszOperation, iRet);
        return iRet;
    }
    CLS_CustomTree::RemoveItems(_m, true, deviceItems(CLS_CustomTree::MapOf(_m, true), _strObjID), kDevTypeTree,
                                false, "CLS_DataMediator::DeletePassengerFlowNodes nullptr == pCommonHandle");
    return iRet;
}

}  // namespace

int CLS_DataMediator::DeletePassengerFlowNodesOfObject(QString _strObjID)
{
    return guarded("CLS_DataMediator::DeletePassengerFlowNodesOfObject", -1, [&] {
        return removeDeviceNodes(*this, _strObjID, "CLS_DataMediator::DeletePassengerFlowNodesOfObject", [&] {
            return CLS_DataAccess::GetInstance().DeletePassengerFlowNodesOfObject(m_strUserID, _strObjID);
        });
    });
}

int CLS_DataMediator::DeletePassengerFlowDeviceNodes(QString _strObjID)
{
    return guarded("CLS_DataMediator::DeletePassengerFlowDeviceNodes", -1, [&] {
        return removeDeviceNodes(*this, _strObjID, "CLS_DataMediator::DeletePassengerFlowDeviceNodes", [&] {
            return CLS_DataAccess::GetInstance().DeletePassengerFlowDeviceNodes(m_strUserID, _strObjID);
        });
    });
}

int CLS_DataMediator::DeletePassengerFlowTreeGroup(QString _qstrTreeNodeID)
{
    return guarded("CLS_DataMediator::DeletePassengerFlowTreeGroup", -1, [&] {
        if (_qstrTreeNodeID.isEmpty()) {
            DL_LOG(3, "CLS_DataMediator::DeletePassengerFlowTreeGroup _qstrTreeNodeID == nullptr || "
                      "_qstrTreeNodeID.length() <= 0");
            return -1;
        }
        STRCT_VideoItem* pvideoItem = m_mapPassengerFlowData.value(_qstrTreeNodeID, nullptr);
        if (pvideoItem == nullptr || _qstrTreeNodeID == QLatin1String(kCustomRootId)) {
            DL_LOG(3, "CLS_DataMediator::DeletePassengerFlowTreeGroup pvideoItem == nullptr");
            return -1;
        }
        const int iRet = CLS_DataAccess::GetInstance().DeletePassengerFlowTreeGroup(m_strUserID, _qstrTreeNodeID);
        if (iRet < 0) {
            DL_LOG(2, "CLS_DataMediator::DeletePassengerFlowTreeGroup iRet = (%d)", iRet);
            return iRet;
        }
        // Deeper nodes stay stored but can no longer be reached, so they leave the tree as well.
        CLS_CustomTree::RemoveItems(*this, true, CLS_CustomTree::Subtree(m_mapPassengerFlowData, pvideoItem),
                                    kDevTypeTree, false,
                                    "CLS_DataMediator::DeletePassengerFlowTreeGroup nullptr == pCommonHandle");
        return iRet;
    });
}

int CLS_DataMediator::DeleteFromPassengerFlowCustomTreeGroup(QString _qstrTreeNodeID)
{
    return guarded("CLS_DataMediator::DeleteFromPassengerFlowCustomTreeGroup", -1, [&] {
        if (_qstrTreeNodeID.isEmpty()) {
            DL_LOG(3, "CLS_DataMediator::DeleteFromPassengerFlowCustomTreeGroup _qstrTreeNodeID == nullptr || "
                      "_qstrTreeNodeID.length() <= 0");
            return -1;
        }
        STRCT_VideoItem* pvideoItem = m_mapPassengerFlowData.value(_qstrTreeNodeID, nullptr);
        if (pvideoItem == nullptr || _qstrTreeNodeID == QLatin1String(kCustomRootId)) {
            DL_LOG(3, "CLS_DataMediator::DeleteFromPassengerFlowCustomTreeGroup pvideoItem == nullptr");
            return -1;
        }
        // In memory only, without a signal: the client has already taken the node out of its group.
        CLS_CustomTree::RemoveItems(*this, true, CLS_CustomTree::Subtree(m_mapPassengerFlowData, pvideoItem),
                                    kDevTypeTree, true,
                                    "CLS_DataMediator::DeleteFromPassengerFlowCustomTreeGroup nullptr == pCommonHandle");
        return 0;
    });
}

QVector<STRCT_VideoItem*> CLS_DataMediator::GetPassengerFlowTreeItems()
{
    return m_mapPassengerFlowData.values().toVector();
}
