#include "ItemSnapshot.h"

#include <I_DataMediator.h>
#include <VideoItem.h>

#include <QHash>
#include <QSet>

#include <algorithm>

namespace console {

const char kResourceRoot[] = "resource_root_id";
const char kCustomRoot[] = "custom_root_id";

ItemSnapshot snapshotOf(const STRCT_VideoItem& _item)
{
    ItemSnapshot snap;
    snap.strObjectID = QString::fromStdString(_item.m_strID);
    snap.strKey = _item.m_strNodeID.empty() ? snap.strObjectID : QString::fromStdString(_item.m_strNodeID);
    snap.strParentKey = QString::fromStdString(_item.m_strParentID);
    snap.strCaption = QString::fromStdString(_item.m_strCaption);
    snap.uiType = _item.GetType();
    snap.iSortNum = _item.m_iSortNum;
    return snap;
}

QVector<ItemSnapshot> snapshotsOf(const QVector<STRCT_VideoItem*>& _vecItems)
{
    QVector<ItemSnapshot> vecSnaps;
    vecSnaps.reserve(_vecItems.size());
    for (const STRCT_VideoItem* pItem : _vecItems) {
        if (pItem != nullptr) {
            vecSnaps.append(snapshotOf(*pItem));
        }
    }
    return vecSnaps;
}

namespace {

bool bySortNum(const ItemSnapshot& _a, const ItemSnapshot& _b)
{
    return _a.iSortNum != _b.iSortNum ? _a.iSortNum < _b.iSortNum : _a.strCaption < _b.strCaption;
}

void appendWithChildren(const STRCT_VideoItem* _pItem, QVector<ItemSnapshot>& _vecOut,
                        QSet<const void*>& _setSeen)
{
    if (_pItem == nullptr || _setSeen.contains(_pItem)) {
        return;
    }
    _setSeen.insert(_pItem);
    _vecOut.append(snapshotOf(*_pItem));
    for (const STRCT_VideoItem* pChild : _pItem->m_vecChilds) {
        appendWithChildren(pChild, _vecOut, _setSeen);
    }
}

}  // namespace

QVector<ItemSnapshot> snapshotTree(I_DataMediator& _mediator, TreeKind _kind)
{
    QVector<ItemSnapshot> vecOut;
    if (_kind == TreeKind::Resource) {
        QVector<STRCT_VideoItem*> vecTop;
        _mediator.GetChildItems(QString::fromLatin1(kResourceRoot), vecTop);
        std::stable_sort(vecTop.begin(), vecTop.end(),
                         [](const STRCT_VideoItem* _a, const STRCT_VideoItem* _b) {
                             return bySortNum(snapshotOf(*_a), snapshotOf(*_b));
                         });
        QSet<const void*> setSeen;
        for (const STRCT_VideoItem* pItem : qAsConst(vecTop)) {
            appendWithChildren(pItem, vecOut, setSeen);
        }
        return vecOut;
    }
    const QVector<ItemSnapshot> vecAll = snapshotsOf(
        _kind == TreeKind::Custom ? _mediator.GetCustomTreeItems() : _mediator.GetPassengerFlowTreeItems());
    QHash<QString, QVector<ItemSnapshot>> mapChildren;
    for (const ItemSnapshot& snap : vecAll) {
        if (snap.strKey != QLatin1String(kCustomRoot)) {
            mapChildren[snap.strParentKey].append(snap);
        }
    }
    // Parents before children, siblings in their stored order.
    QVector<QString> vecStack{QString::fromLatin1(kCustomRoot)};
    QSet<QString> setDone;
    while (!vecStack.isEmpty()) {
        const QString strParent = vecStack.takeLast();
        if (setDone.contains(strParent)) {
            continue;
        }
        setDone.insert(strParent);
        QVector<ItemSnapshot> vecKids = mapChildren.value(strParent);
        std::stable_sort(vecKids.begin(), vecKids.end(), bySortNum);
        vecOut += vecKids;
        for (auto it = vecKids.crbegin(); it != vecKids.crend(); ++it) {
            vecStack.append(it->strKey);
        }
    }
    return vecOut;
}

QVector<STRCT_VideoItem*> allTreeItems(I_DataMediator& _mediator)
{
    QSet<STRCT_VideoItem*> setItems;
    QVector<STRCT_VideoItem*> vecPending;
    _mediator.GetChildItems(QString(), vecPending);
    _mediator.GetChildItems(QString::fromLatin1(kResourceRoot), vecPending);
    while (!vecPending.isEmpty()) {
        STRCT_VideoItem* pItem = vecPending.takeLast();
        if (pItem == nullptr || setItems.contains(pItem)) {
            continue;
        }
        setItems.insert(pItem);
        const quint32 uiType = pItem->GetType();
        if (uiType == vitHost || uiType == vitDecoder || uiType == vitGroup) {
            // Children not linked into m_vecChilds (a decoder's inputs, say) are found by parent.
            _mediator.GetChildItems(QString::fromStdString(pItem->m_strID), vecPending);
        }
        for (STRCT_VideoItem* pChild : pItem->m_vecChilds) {
            vecPending.append(pChild);
        }
    }
    for (STRCT_VideoItem* pItem : _mediator.GetCustomTreeItems()) {
        setItems.insert(pItem);
    }
    for (STRCT_VideoItem* pItem : _mediator.GetPassengerFlowTreeItems()) {
        setItems.insert(pItem);
    }
    return setItems.values().toVector();
}

}  // namespace console
