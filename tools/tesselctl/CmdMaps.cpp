// maps list|add|place: the electronic maps with their nodes, storing a map from a picture file,
// and placing an object on a map.
#include "CtlCommand.h"

#include "I_DataMediator.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

namespace {

int listMaps(CtlContext& _ctx)
{
    QVector<CLS_ElectronicMapEntity> vecMaps;
    const int iRet = _ctx.mediator->GetAllElectronicMap(vecMaps);
    if (iRet != 0) {
        ctlErr() << "tesselctl: maps list failed (" << iRet << ")\n";
        return 1;
    }
    QJsonArray array;
    for (const CLS_ElectronicMapEntity& map : vecMaps) {
        QVector<CLS_ElectronicMapNodeEntity> vecNodes;
        _ctx.mediator->GetElectronicMapNode(map.S_ID, vecNodes);
        const QString strKind = map.S_MapImg.section(';', 0, 0);
        QJsonArray nodes;
        for (const CLS_ElectronicMapNodeEntity& node : vecNodes) {
            nodes.append(QJsonObject{{"id", node.S_ID},
                                     {"caption", node.S_Caption},
                                     {"type", node.I_NodeType},
                                     {"x", node.I_NodeX},
                                     {"y", node.I_NodeY}});
        }
        if (_ctx.json) {
            array.append(QJsonObject{{"id", map.S_ID},
                                     {"caption", map.S_Caption},
                                     {"picture", strKind},
                                     {"pictureChars", map.S_MapImg.size()},
                                     {"width", map.I_PicWidth},
                                     {"height", map.I_PicHeight},
                                     {"nodes", nodes}});
            continue;
        }
        ctlOut() << map.S_Caption << "  [" << map.S_ID << "]  " << strKind << " " << map.I_PicWidth << "x"
                 << map.I_PicHeight << "  " << vecNodes.size() << " node(s)\n";
        for (const CLS_ElectronicMapNodeEntity& node : vecNodes) {
            ctlOut() << "  " << node.S_Caption << "  [" << node.S_ID << "]  type " << node.I_NodeType << "  at "
                     << node.I_NodeX << "," << node.I_NodeY << "\n";
        }
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"maps", array}}).toJson(QJsonDocument::Indented);
    } else if (vecMaps.isEmpty()) {
        ctlOut() << "no maps\n";
    }
    return 0;
}

int addMap(CtlContext& _ctx)
{
    if (_ctx.args.size() < 2 || _ctx.args.size() > 3) {
        ctlErr() << "tesselctl: maps add takes FILE [CAPTION]\n";
        return 2;
    }
    QFile file(_ctx.args[1]);
    if (!file.open(QIODevice::ReadOnly)) {
        ctlErr() << "tesselctl: cannot read " << _ctx.args[1] << "\n";
        return 1;
    }
    CLS_ElectronicMapEntity map;
    map.m_baPicture = file.readAll();
    const QImage image = QImage::fromData(map.m_baPicture);
    if (image.isNull()) {
        ctlErr() << "tesselctl: " << _ctx.args[1] << " is not a picture\n";
        return 1;
    }
    const QString strSuffix = QFileInfo(_ctx.args[1]).suffix().toLower();
    map.m_qstrFormat = strSuffix == "jpg" ? QString("jpeg") : strSuffix;
    map.S_ID = QUuid::createUuid().toString(QUuid::Id128);
    map.S_Caption = _ctx.args.value(2, QFileInfo(_ctx.args[1]).completeBaseName());
    map.I_PicWidth = image.width();
    map.I_PicHeight = image.height();
    const int iRet = _ctx.mediator->AddElectronicMap(map);
    if (iRet != 0) {
        ctlErr() << "tesselctl: maps add failed (" << iRet << ")\n";
        return 1;
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"id", map.S_ID},
                                              {"caption", map.S_Caption},
                                              {"width", map.I_PicWidth},
                                              {"height", map.I_PicHeight}})
                        .toJson(QJsonDocument::Compact)
                 << "\n";
    } else {
        ctlOut() << "added " << map.S_Caption << " [" << map.S_ID << "] " << map.I_PicWidth << "x" << map.I_PicHeight
                 << "\n";
    }
    return 0;
}

int placeNode(CtlContext& _ctx)
{
    CLS_ElectronicMapNodeEntity node;
    bool bX = false;
    bool bY = false;
    bool bType = true;
    if (_ctx.args.size() >= 5) {
        node.I_NodeX = _ctx.args[3].toInt(&bX);
        node.I_NodeY = _ctx.args[4].toInt(&bY);
        if (_ctx.args.size() >= 6) {
            node.I_NodeType = _ctx.args[5].toInt(&bType);
        }
    }
    if (_ctx.args.size() < 5 || _ctx.args.size() > 7 || !bX || !bY || !bType || _ctx.args[1].isEmpty() ||
        _ctx.args[2].isEmpty()) {
        ctlErr() << "tesselctl: maps place takes MAP OBJECT X Y [TYPE [CAPTION]]\n";
        return 2;
    }
    node.S_ParentID = _ctx.args[1];
    node.S_ID = _ctx.args[2];
    node.S_Caption = _ctx.args.value(6, node.S_ID);
    const int iRet = _ctx.mediator->AddOneElectronicMapNode(node);
    if (iRet != 0) {
        ctlErr() << "tesselctl: maps place failed (" << iRet << "; is the object on that map already?)\n";
        return 1;
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"map", node.S_ParentID}, {"id", node.S_ID}})
                        .toJson(QJsonDocument::Compact)
                 << "\n";
    } else {
        ctlOut() << "placed " << node.S_ID << " on " << node.S_ParentID << " at " << node.I_NodeX << ","
                 << node.I_NodeY << "\n";
    }
    return 0;
}

int runMaps(CtlContext& _ctx)
{
    const QString strSub = _ctx.args.value(0);
    if (strSub != "list" && strSub != "add" && strSub != "place") {
        ctlErr() << "tesselctl: maps takes list, add or place\n";
        return 2;
    }
    if (strSub == "list" && _ctx.args.size() != 1) {
        ctlErr() << "tesselctl: maps list takes no argument\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    if (strSub == "list") {
        return listMaps(_ctx);
    }
    return strSub == "add" ? addMap(_ctx) : placeNode(_ctx);
}

}  // namespace

TESSELCTL_COMMAND("maps", "list | add FILE [CAPTION] | place MAP OBJECT X Y [TYPE [CAPTION]]",
                  "electronic maps with their nodes; store a map from a picture; place an object on a map",
                  &runMaps,
                  "Examples:\n"
                  "  tesselctl --user admin maps list\n"
                  "  tesselctl --user admin maps add floor1.png 'Floor 1'\n");
