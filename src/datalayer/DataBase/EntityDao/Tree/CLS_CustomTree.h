// Helpers of the custom trees and the passenger-flow trees shared by the mediator's tree
// operations (CLS_DataMediatorCustomTree.cpp, CLS_DataMediatorPassengerFlowTree.cpp): building
// the items of nodes, the loading of both trees and the removal of the copies of deleted devices.
// The maps of these trees are used on the client's thread only and take no lock.
#ifndef CLS_CUSTOMTREE_H
#define CLS_CUSTOMTREE_H

#include "CLS_CustomTreeEntity.h"
#include "DataBase/EntityDao/Tree/CLS_ResourceTree.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

namespace CustomTree {

constexpr char kCustomRootId[] = "custom_root_id";
// A stored node that is never part of a custom tree.
constexpr char kHiddenNodeId[] = "25387a42-d3d1-478e-9df2-fe40cfa8aca5";
// Device type passed with every change of these trees.
constexpr int kDevTypeTree = 9;

// Log lines of the device-node inserts.
struct NodeInsertTexts
{
    const char* pszNoParent;
    const char* pszNullList;
    const char* pszNullItem;
    const char* pszNoResource;
    const char* pszWrongType;
    const char* pszRetry;
    const char* pszFailed;
};

}  // namespace CustomTree

class CLS_CustomTree
{
public:
    typedef QMap<QString, STRCT_VideoItem*> ItemMap;

    static ItemMap& MapOf(CLS_DataMediator& _m, bool _bPassengerFlow)
    {
        return _bPassengerFlow ? _m.m_mapPassengerFlowData : _m.m_mapCustomData;
    }

    /// The kind of item a node of the object type becomes; ckNone for a type that is not shown.
    static CLS_ResourceTree::ChildKind KindOfNodeType(int _iType);

    /// A group item for a node.
    static STRCT_VideoGroup* NewGroup(const QString& _strNodeID, const QString& _strCaption,
                                      const QString& _strParentID, qint64 _iNum);
    /// A copy of the resource item of _strObjID when it exists and is of _kind (any child kind
    /// for ckNone), placed as node _strNodeID; null otherwise. Takes the resource map's read lock.
    static STRCT_VideoItem* NewDeviceItem(CLS_DataMediator& _m, const QString& _strObjID,
                                          CLS_ResourceTree::ChildKind _kind, const QString& _strNodeID,
                                          const QString& _strCaption, const QString& _strParentID,
                                          qint64 _iNum);
    /// The caption of the resource item of _strObjID; false when there is none. Takes the read lock.
    static bool ResourceCaption(CLS_DataMediator& _m, const QString& _strObjID, std::string& _strCaption);
    /// In memory a node at the root has the root item as parent; stored, it has none.
    static QString StoredParent(const QString& _strParentID)
    {
        return _strParentID == QLatin1String(CustomTree::kCustomRootId) ? QString() : _strParentID;
    }
    static QString ShownParent(const QString& _strStoredParent)
    {
        return _strStoredParent.isEmpty() ? QString(CustomTree::kCustomRootId) : _strStoredParent;
    }
    /// The number an item of the kind sorts by for a stored I_NUM, and back (64-bit: the server
    /// numbers siblings from the largest one, which may pass the int range).
    static qint64 SortNumOf(const STRCT_VideoItem* _pItem, qint64 _iStoredNum);
    static qint64 StoredNumOf(const STRCT_VideoItem* _pItem);

    static void Emit(CLS_DataMediator& _m, bool _bPassengerFlow, QVector<STRCT_VideoItem*> _vecItems,
                     OperationType _op, void* _param = nullptr);
    /// Takes the items out of the tree's map, reports them with otDelete (unless _bQuiet) and
    /// releases them later.
    static void RemoveItems(CLS_DataMediator& _m, bool _bPassengerFlow, const QVector<STRCT_VideoItem*>& _vecItems,
                            int _iDevType, bool _bQuiet, const char* _pszNoHandle);
    /// The item of the node with every item below it, the node's first.
    static QVector<STRCT_VideoItem*> Subtree(const ItemMap& _map, STRCT_VideoItem* _pItem);
    /// Releases every item of the map and empties it.
    static void ReleaseMap(ItemMap& _map);

    /// Both trees of the current user, custom first; on failure neither is kept.
    static int CreateTrees(CLS_DataMediator& _m);
    static int CreateCustomTree(CLS_DataMediator& _m);
    static int CreatePassengerFlowTree(CLS_DataMediator& _m);

    /// Stores a group node and adds its item; _strNodeID receives the id.
    static int InsertGroup(CLS_DataMediator& _m, bool _bPassengerFlow, const QString& _strParentNodeID,
                           const QString& _strCaption, QString& _strNodeID, const char* _pszOperation);
    /// Stores nodes for resource items of _kind (any child kind for ckNone) and adds their items.
    static int InsertDeviceNodes(CLS_DataMediator& _m, bool _bPassengerFlow, const QString& _strParentNodeID,
                                 const QVector<STRCT_VideoItem*>* _pvecItems, CLS_ResourceTree::ChildKind _kind,
                                 const CustomTree::NodeInsertTexts& _texts);

    /// The custom-tree copies of deleted resource objects leave the loaded tree, reported with
    /// otDelete (every user's stored nodes went with the objects' deleting transaction).
    static void DropObjectsOf(CLS_DataMediator& _m, const QVector<STRCT_VideoItem*>& _vecObjects, int _iDevType,
                              const char* _pszNullLine);
    static void DropObjects(CLS_DataMediator& _m, const QStringList& _lstObjIDs, int _iDevType,
                            const char* _pszNullLine);

private:
    static int AddCustomNodes(CLS_DataMediator& _m, const QVector<CLS_CustomTreeNodesEntity*>& _vecNodes,
                              const QString& _strParentID, const QSet<QString>& _setRights);
};

#endif  // CLS_CUSTOMTREE_H
