// Value copies of the mediator's tree items. The console keeps these, never the items: an item
// handed out with a change signal may be released by the deferred deletion once the signal has
// returned, so the copy is taken while the signal is being emitted.
#ifndef TESSEL_CONSOLE_ITEMSNAPSHOT_H
#define TESSEL_CONSOLE_ITEMSNAPSHOT_H

#include <QString>
#include <QVector>

struct STRCT_VideoItem;
class I_DataMediator;

namespace console {

/// The three trees a client shows.
enum class TreeKind
{
    Resource,
    Custom,
    PassengerFlow
};

/// What the console shows of one item.
struct ItemSnapshot
{
    QString strKey;       ///< key in its tree: the node id (custom trees) or the object id
    QString strObjectID;  ///< the object shown (m_strID)
    QString strParentKey;
    QString strCaption;
    quint32 uiType = 0;  ///< GetType()
    int iSortNum = 0;
};

/// One change signal, copied: the kind of change and the items it named.
struct TreeChange
{
    TreeKind kind = TreeKind::Resource;
    int iOperation = 0;  ///< OperationType
    QVector<ItemSnapshot> vecItems;
};

ItemSnapshot snapshotOf(const STRCT_VideoItem& _item);
QVector<ItemSnapshot> snapshotsOf(const QVector<STRCT_VideoItem*>& _vecItems);

/// Every item of one tree of the mediator, parents before children, roots left out. Call it on
/// the thread that makes the mediator's calls.
QVector<ItemSnapshot> snapshotTree(I_DataMediator& _mediator, TreeKind _kind);

/// Every item the mediator's trees hold now (for releasing them once the mediator is gone).
QVector<STRCT_VideoItem*> allTreeItems(I_DataMediator& _mediator);

/// Root keys of the trees; items whose parent is a root are shown at the top level.
extern const char kResourceRoot[];
extern const char kCustomRoot[];

}  // namespace console

#endif  // TESSEL_CONSOLE_ITEMSNAPSHOT_H
