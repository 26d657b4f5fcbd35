// custom add-group, custom add, custom rm: the logged-in user's custom tree; and the printing of
// the custom and passenger-flow trees for `tree --custom` / `tree --passenger-flow`.
#include "CtlCommand.h"

#include "I_DataMediator.h"
#include "VideoItem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

// Logs in and loads the trees (CmdTree.cpp).
bool openTree(CtlContext& _ctx, const char* _pszCommand);

namespace {

const char kRootId[] = "custom_root_id";

QString text(const std::string& _strValue)
{
    return QString::fromStdString(_strValue);
}

const char* kindName(const STRCT_VideoItem* _pItem)
{
    switch (_pItem->GetType()) {
        case vitGroup:
            return "group";
        case vitChannel:
            return "channel";
        case vitAlarmIn:
            return "alarm-in";
        case vitAlarmOut:
            return "alarm-out";
        default:
            return "item";
    }
}

// The children of each node, in their order.
QMap<QString, QVector<const STRCT_VideoItem*>> childrenByParent(const QVector<STRCT_VideoItem*>& _vecItems)
{
    QMap<QString, QVector<const STRCT_VideoItem*>> map;
    for (const STRCT_VideoItem* pItem : _vecItems) {
        if (pItem != nullptr && pItem->m_strNodeID != kRootId) {
            map[text(pItem->m_strParentID)].append(pItem);
        }
    }
    for (auto& vec : map) {
        std::stable_sort(vec.begin(), vec.end(), [](const STRCT_VideoItem* a, const STRCT_VideoItem* b) {
            return a->m_iSortNum < b->m_iSortNum;
        });
    }
    return map;
}

QJsonArray jsonNodes(const QMap<QString, QVector<const STRCT_VideoItem*>>& _map, const QString& _strParent)
{
    QJsonArray nodes;
    for (const STRCT_VideoItem* pItem : _map.value(_strParent)) {
        QJsonObject node{{"node", text(pItem->m_strNodeID)},
                         {"type", kindName(pItem)},
                         {"caption", text(pItem->m_strCaption)},
                         {"order", qint64(pItem->m_iSortNum)}};
        if (pItem->GetType() == vitGroup) {
            node.insert("children", jsonNodes(_map, text(pItem->m_strNodeID)));
        } else {
            node.insert("object", text(pItem->m_strID));
        }
        nodes.append(node);
    }
    return nodes;
}

void printNodes(const QMap<QString, QVector<const STRCT_VideoItem*>>& _map, const QString& _strParent, int _iDepth)
{
    for (const STRCT_VideoItem* pItem : _map.value(_strParent)) {
        ctlOut() << QString(2 * _iDepth, ' ') << QString(kindName(pItem)).leftJustified(9) << " \""
                 << text(pItem->m_strCaption) << "\"  [" << text(pItem->m_strNodeID) << "]";
        if (pItem->GetType() != vitGroup) {
            ctlOut() << "  -> " << text(pItem->m_strID);
        }
        ctlOut() << "\n";
        if (pItem->GetType() == vitGroup) {
            printNodes(_map, text(pItem->m_strNodeID), _iDepth + 1);
        }
    }
}

int runCustom(CtlContext& _ctx)
{
    const QString strVerb = _ctx.args.value(0);
    const int iArgs = _ctx.args.size() - 1;
    const bool bUsage = (strVerb == "add-group" && (iArgs == 1 || iArgs == 2)) || (strVerb == "add" && iArgs == 2) ||
                        (strVerb == "rm" && iArgs == 1);
    if (!bUsage) {
        ctlErr() << "tesselctl: custom takes add-group NAME [PARENT], add CHANNEL-ID GROUP or rm NODE\n";
        return 2;
    }
    if (!openTree(_ctx, "custom")) {
        return 1;
    }
    I_DataMediator& mediator = *_ctx.mediator;
    int iRet = -1;
    QString strNodeID;
    if (strVerb == "add-group") {
        iRet = mediator.InsertCustomTreeGroup(_ctx.args.value(2, kRootId), _ctx.args[1], strNodeID);
    } else if (strVerb == "add") {
        STRCT_VideoChannel object;
        object.m_strID = _ctx.args[1].toStdString();
        QVector<STRCT_VideoItem*> vecAdded;
        QObject::connect(&mediator, &I_DataMediator::SignCustomTreeDataChangeCallback, &mediator,
                         [&vecAdded](QVector<STRCT_VideoItem*>& _items, OperationType _op, int, void*) {
                             if (_op == otInsert) {
                                 vecAdded += _items;
                             }
                         });
        iRet = mediator.InsertCustomTreeNodes(_ctx.args[2], {&object}, false);
        if (iRet == 0 && !vecAdded.isEmpty()) {
            strNodeID = text(vecAdded.first()->m_strNodeID);
        }
    } else {
        strNodeID = _ctx.args[1];
        iRet = mediator.DeleteFromCustomTree(strNodeID);
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"ret", iRet}, {"node", strNodeID}}).toJson(QJsonDocument::Compact)
                 << "\n";
    } else if (iRet == 0) {
        ctlOut() << "node " << strNodeID << (strVerb == "rm" ? " removed\n" : " added\n");
    } else {
        ctlErr() << "tesselctl: custom " << strVerb << " failed (" << iRet
                 << "; is the parent a group of your custom tree, the object one of your resource tree?)\n";
    }
    return iRet == 0 ? 0 : 1;
}

}  // namespace

void printCustomTree(CtlContext& _ctx, bool _bPassengerFlow)
{
    const QVector<STRCT_VideoItem*> vecItems =
        _bPassengerFlow ? _ctx.mediator->GetPassengerFlowTreeItems() : _ctx.mediator->GetCustomTreeItems();
    const QMap<QString, QVector<const STRCT_VideoItem*>> map = childrenByParent(vecItems);
    const char* pszName = _bPassengerFlow ? "passenger-flow tree" : "custom tree";
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"user", _ctx.user},
                                              {"tree", _bPassengerFlow ? "passenger-flow" : "custom"},
                                              {"nodes", jsonNodes(map, kRootId)}})
                        .toJson(QJsonDocument::Indented);
        return;
    }
    const int iNodes = std::max(0, vecItems.size() - 1);
    ctlOut() << pszName << " of " << _ctx.user << ": " << iNodes << (iNodes == 1 ? " node\n" : " nodes\n");
    printNodes(map, kRootId, 1);
}

TESSELCTL_OPTION("custom", "tree: the custom tree instead of the resource tree.");
TESSELCTL_OPTION("passenger-flow", "tree: the passenger-flow tree instead of the resource tree.");
TESSELCTL_COMMAND("custom", "add-group NAME [PARENT] | add CHANNEL-ID GROUP | rm NODE",
                  "change the logged-in user's custom tree (PARENT, GROUP and NODE are node ids)", &runCustom,
                  "Examples:\n"
                  "  tesselctl --user admin custom add-group 'North side'\n"
                  "  tesselctl --user admin custom add 5e1d... 8a2f...\n");
