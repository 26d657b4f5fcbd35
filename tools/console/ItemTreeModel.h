// One item model over a tree of the mediator (resource, custom or passenger-flow tree), built
// from value copies and kept in step by applying the copied change signals.
#ifndef TESSEL_CONSOLE_ITEMTREEMODEL_H
#define TESSEL_CONSOLE_ITEMTREEMODEL_H

#include "ItemSnapshot.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>

#include <memory>
#include <vector>

namespace console {

class ItemTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Role
    {
        KeyRole = Qt::UserRole + 1,
        ObjectIdRole,
        TypeRole
    };
    enum Column
    {
        CaptionColumn,
        IdColumn,
        ColumnCount
    };

    explicit ItemTreeModel(TreeKind _kind, QObject* _pParent = nullptr);
    ~ItemTreeModel() override;

    TreeKind kind() const { return m_kind; }
    /// Replaces the content (parents before children, as snapshotTree gives them).
    void resetTo(const QVector<ItemSnapshot>& _vecItems);
    /// Applies one copied change signal: inserts, updates, deletes (with everything below) and
    /// reorders. Items under a parent the model does not show are left out.
    void apply(const TreeChange& _change);
    /// The index of the item with that key (column 0); invalid when not shown.
    QModelIndex indexOfKey(const QString& _strKey) const;
    /// Number of items shown.
    int itemCount() const { return m_mapNodes.size(); }

    QModelIndex index(int _iRow, int _iColumn, const QModelIndex& _parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& _child) const override;
    int rowCount(const QModelIndex& _parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& _parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& _index, int _iRole = Qt::DisplayRole) const override;
    QVariant headerData(int _iSection, Qt::Orientation _orientation,
                        int _iRole = Qt::DisplayRole) const override;

    /// A readable name of an item type ("Host", "Channel", ...).
    static QString typeName(quint32 _uiType);

private:
    struct Node
    {
        ItemSnapshot snap;
        Node* pParent = nullptr;
        std::vector<std::unique_ptr<Node>> vecChildren;
        int iRow = 0;
    };

    Node* nodeOf(const QModelIndex& _index) const;
    QModelIndex indexOfNode(const Node* _pNode, int _iColumn = 0) const;
    Node* parentFor(const ItemSnapshot& _snap) const;
    int insertPosition(const Node& _parent, const ItemSnapshot& _snap) const;
    void insertItem(const ItemSnapshot& _snap, bool _bNotify);
    void updateItem(Node* _pNode, const ItemSnapshot& _snap);
    void removeItem(Node* _pNode);
    void sortChildren(Node* _pParent);
    void forget(Node* _pNode);
    static void renumber(Node& _parent, int _iFrom);
    bool isRootKey(const QString& _strKey) const;

    TreeKind m_kind;
    Node m_root;
    QHash<QString, Node*> m_mapNodes;
    mutable QHash<int, QIcon> m_mapIcons;  ///< by QStyle::StandardPixmap
};

}  // namespace console

#endif  // TESSEL_CONSOLE_ITEMTREEMODEL_H
