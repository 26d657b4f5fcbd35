#include "ItemTreeModel.h"

#include <I_DataMediator.h>
#include <VideoItem.h>

#include <QApplication>
#include <QStyle>

#include <algorithm>

namespace console {

namespace {

// Children of a host: channels, then alarm inputs, then alarm outputs, as the library places them.
int childRank(quint32 _uiType)
{
    switch (_uiType) {
        case vitChannel:
            return 0;
        case vitAlarmIn:
            return 1;
        case vitAlarmOut:
            return 2;
        default:
            return 3;
    }
}

}  // namespace

ItemTreeModel::ItemTreeModel(TreeKind _kind, QObject* _pParent) : QAbstractItemModel(_pParent), m_kind(_kind)
{
}

ItemTreeModel::~ItemTreeModel() = default;

bool ItemTreeModel::isRootKey(const QString& _strKey) const
{
    return _strKey.isEmpty() || _strKey == QLatin1String(kResourceRoot) ||
           _strKey == QLatin1String(kCustomRoot);
}

void ItemTreeModel::resetTo(const QVector<ItemSnapshot>& _vecItems)
{
    beginResetModel();
    m_root.vecChildren.clear();
    m_mapNodes.clear();
    for (const ItemSnapshot& snap : _vecItems) {
        insertItem(snap, false);
    }
    endResetModel();
}

void ItemTreeModel::apply(const TreeChange& _change)
{
    if (_change.kind != m_kind) {
        return;
    }
    for (const ItemSnapshot& snap : _change.vecItems) {
        if (isRootKey(snap.strKey)) {
            continue;
        }
        Node* pNode = m_mapNodes.value(snap.strKey);
        switch (_change.iOperation) {
            case otInsert:
            case otUpdate:
                if (pNode == nullptr) {
                    insertItem(snap, true);
                } else {
                    updateItem(pNode, snap);
                }
                break;
            case otDelete:
                // A parent deleted earlier in the same change took its children with it.
                if (pNode != nullptr) {
                    removeItem(pNode);
                }
                break;
            case otSort:
                if (pNode != nullptr) {
                    pNode->snap.iSortNum = snap.iSortNum;
                    sortChildren(pNode->pParent);
                }
                break;
            default:
                break;
        }
    }
}

QModelIndex ItemTreeModel::indexOfKey(const QString& _strKey) const
{
    const Node* pNode = m_mapNodes.value(_strKey);
    return pNode == nullptr ? QModelIndex() : indexOfNode(pNode);
}

ItemTreeModel::Node* ItemTreeModel::nodeOf(const QModelIndex& _index) const
{
    return _index.isValid() ? static_cast<Node*>(_index.internalPointer()) : const_cast<Node*>(&m_root);
}

QModelIndex ItemTreeModel::indexOfNode(const Node* _pNode, int _iColumn) const
{
    if (_pNode == nullptr || _pNode == &m_root) {
        return QModelIndex();
    }
    return createIndex(_pNode->iRow, _iColumn, const_cast<Node*>(_pNode));
}

ItemTreeModel::Node* ItemTreeModel::parentFor(const ItemSnapshot& _snap) const
{
    if (isRootKey(_snap.strParentKey)) {
        return const_cast<Node*>(&m_root);
    }
    return m_mapNodes.value(_snap.strParentKey);
}

int ItemTreeModel::insertPosition(const Node& _parent, const ItemSnapshot& _snap) const
{
    const auto& vec = _parent.vecChildren;
    if (m_kind == TreeKind::Resource) {
        if (&_parent == &m_root) {
            return static_cast<int>(vec.size());
        }
        const int iRank = childRank(_snap.uiType);
        const auto it = std::find_if(vec.begin(), vec.end(), [iRank](const std::unique_ptr<Node>& _p) {
            return childRank(_p->snap.uiType) > iRank;
        });
        return static_cast<int>(it - vec.begin());
    }
    const auto it = std::find_if(vec.begin(), vec.end(), [&_snap](const std::unique_ptr<Node>& _p) {
        return _p->snap.iSortNum > _snap.iSortNum;
    });
    return static_cast<int>(it - vec.begin());
}

void ItemTreeModel::renumber(Node& _parent, int _iFrom)
{
    for (int i = _iFrom; i < static_cast<int>(_parent.vecChildren.size()); ++i) {
        _parent.vecChildren[static_cast<size_t>(i)]->iRow = i;
    }
}

void ItemTreeModel::insertItem(const ItemSnapshot& _snap, bool _bNotify)
{
    if (isRootKey(_snap.strKey) || m_mapNodes.contains(_snap.strKey)) {
        return;
    }
    Node* pParent = parentFor(_snap);
    if (pParent == nullptr) {
        return;
    }
    const int iRow = insertPosition(*pParent, _snap);
    auto pNode = std::make_unique<Node>();
    pNode->snap = _snap;
    pNode->pParent = pParent;
    if (_bNotify) {
        beginInsertRows(indexOfNode(pParent), iRow, iRow);
    }
    m_mapNodes.insert(_snap.strKey, pNode.get());
    pParent->vecChildren.insert(pParent->vecChildren.begin() + iRow, std::move(pNode));
    renumber(*pParent, iRow);
    if (_bNotify) {
        endInsertRows();
    }
}

void ItemTreeModel::updateItem(Node* _pNode, const ItemSnapshot& _snap)
{
    if (parentFor(_snap) != _pNode->pParent) {
        // Moved to another parent: shown there as a new row (its children are reported anew).
        removeItem(_pNode);
        insertItem(_snap, true);
        return;
    }
    const bool bResort = m_kind != TreeKind::Resource && _pNode->snap.iSortNum != _snap.iSortNum;
    _pNode->snap.strCaption = _snap.strCaption;
    _pNode->snap.strObjectID = _snap.strObjectID;
    _pNode->snap.uiType = _snap.uiType;
    _pNode->snap.iSortNum = _snap.iSortNum;
    emit dataChanged(indexOfNode(_pNode, CaptionColumn), indexOfNode(_pNode, IdColumn));
    if (bResort) {
        sortChildren(_pNode->pParent);
    }
}

void ItemTreeModel::forget(Node* _pNode)
{
    m_mapNodes.remove(_pNode->snap.strKey);
    for (const auto& pChild : _pNode->vecChildren) {
        forget(pChild.get());
    }
}

void ItemTreeModel::removeItem(Node* _pNode)
{
    Node* pParent = _pNode->pParent;
    const int iRow = _pNode->iRow;
    beginRemoveRows(indexOfNode(pParent), iRow, iRow);
    forget(_pNode);
    pParent->vecChildren.erase(pParent->vecChildren.begin() + iRow);
    renumber(*pParent, iRow);
    endRemoveRows();
}

void ItemTreeModel::sortChildren(Node* _pParent)
{
    if (_pParent == nullptr || m_kind == TreeKind::Resource) {
        return;
    }
    auto& vec = _pParent->vecChildren;
    const auto less = [](const std::unique_ptr<Node>& _a, const std::unique_ptr<Node>& _b) {
        return _a->snap.iSortNum < _b->snap.iSortNum;
    };
    if (std::is_sorted(vec.begin(), vec.end(), less)) {
        return;
    }
    const QModelIndex parentIndex = indexOfNode(_pParent);
    emit layoutAboutToBeChanged({QPersistentModelIndex(parentIndex)}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList lstBefore = persistentIndexList();
    std::stable_sort(vec.begin(), vec.end(), less);
    renumber(*_pParent, 0);
    QModelIndexList lstAfter;
    lstAfter.reserve(lstBefore.size());
    for (const QModelIndex& idx : lstBefore) {
        lstAfter << indexOfNode(nodeOf(idx), idx.column());
    }
    changePersistentIndexList(lstBefore, lstAfter);
    emit layoutChanged({QPersistentModelIndex(parentIndex)}, QAbstractItemModel::VerticalSortHint);
}

QModelIndex ItemTreeModel::index(int _iRow, int _iColumn, const QModelIndex& _parent) const
{
    const Node* pParent = nodeOf(_parent);
    if (_iRow < 0 || _iColumn < 0 || _iColumn >= ColumnCount ||
        (_parent.isValid() && _parent.column() != 0) ||
        _iRow >= static_cast<int>(pParent->vecChildren.size())) {
        return QModelIndex();
    }
    return createIndex(_iRow, _iColumn, pParent->vecChildren[static_cast<size_t>(_iRow)].get());
}

QModelIndex ItemTreeModel::parent(const QModelIndex& _child) const
{
    if (!_child.isValid()) {
        return QModelIndex();
    }
    return indexOfNode(nodeOf(_child)->pParent);
}

int ItemTreeModel::rowCount(const QModelIndex& _parent) const
{
    if (_parent.isValid() && _parent.column() != 0) {
        return 0;
    }
    return static_cast<int>(nodeOf(_parent)->vecChildren.size());
}

int ItemTreeModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

QString ItemTreeModel::typeName(quint32 _uiType)
{
    switch (_uiType) {
        case vitGroup:
            return tr("Group");
        case vitHost:
            return tr("Host");
        case vitChannel:
            return tr("Channel");
        case vitAlarmIn:
            return tr("Alarm input");
        case vitAlarmOut:
            return tr("Alarm output");
        case vitDecoder:
            return tr("Decoder");
        case vitDecoderOut:
            return tr("Decoder output");
        case vitEncoderIn:
            return tr("Encoder input");
        case vitFaceLib:
            return tr("Face library");
        default:
            return tr("Item %1").arg(_uiType);
    }
}

QVariant ItemTreeModel::data(const QModelIndex& _index, int _iRole) const
{
    if (!_index.isValid()) {
        return QVariant();
    }
    const ItemSnapshot& snap = nodeOf(_index)->snap;
    switch (_iRole) {
        case Qt::DisplayRole:
            return _index.column() == CaptionColumn ? snap.strCaption : snap.strObjectID;
        case Qt::ToolTipRole:
            return typeName(snap.uiType);
        case Qt::DecorationRole: {
            auto* pApp = qobject_cast<QApplication*>(QCoreApplication::instance());
            if (_index.column() != CaptionColumn || pApp == nullptr) {
                return QVariant();
            }
            QStyle::StandardPixmap pixmap = QStyle::SP_FileIcon;
            switch (snap.uiType) {
                case vitGroup:
                    pixmap = QStyle::SP_DirIcon;
                    break;
                case vitHost:
                    pixmap = QStyle::SP_ComputerIcon;
                    break;
                case vitChannel:
                    pixmap = QStyle::SP_DesktopIcon;
                    break;
                case vitAlarmIn:
                    pixmap = QStyle::SP_MessageBoxWarning;
                    break;
                case vitAlarmOut:
                    pixmap = QStyle::SP_MessageBoxCritical;
                    break;
                case vitDecoder:
                    pixmap = QStyle::SP_DriveNetIcon;
                    break;
                case vitDecoderOut:
                case vitEncoderIn:
                    pixmap = QStyle::SP_DriveHDIcon;
                    break;
                default:
                    break;
            }
            // Made once per kind: the style builds a new icon on every call, and a view asks for
            // the icon of each row it paints.
            auto it = m_mapIcons.constFind(pixmap);
            if (it == m_mapIcons.cend()) {
                it = m_mapIcons.insert(pixmap, QApplication::style()->standardIcon(pixmap));
            }
            return *it;
        }
        case KeyRole:
            return snap.strKey;
        case ObjectIdRole:
            return snap.strObjectID;
        case TypeRole:
            return snap.uiType;
        default:
            return QVariant();
    }
}

QVariant ItemTreeModel::headerData(int _iSection, Qt::Orientation _orientation, int _iRole) const
{
    if (_orientation != Qt::Horizontal || _iRole != Qt::DisplayRole) {
        return QVariant();
    }
    return _iSection == CaptionColumn ? tr("Name") : tr("Id");
}

}  // namespace console
