// views list | add | rm: the saved views with their channels, through the mediator.
#include "CtlCommand.h"

#include "CLS_ViewEntities.h"
#include "I_DataMediator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

int listViews(CtlContext& _ctx)
{
    QVector<CLS_ViewEntity*> vecViews;
    const int iRet = _ctx.mediator->GetAllView(vecViews);
    if (iRet != 0) {
        ctlErr() << "tesselctl: views list failed (" << iRet << ")\n";
        return 1;
    }
    QJsonArray views;
    if (!_ctx.json) {
        ctlOut() << vecViews.size() << (vecViews.size() == 1 ? " view\n" : " views\n");
    }
    for (const CLS_ViewEntity* pView : qAsConst(vecViews)) {
        QJsonArray channels;
        for (const STRCT_ViewChannel& c : pView->m_vecChannels) {
            channels.append(QJsonObject{{"channel", c.S_CAMERA_ID}, {"panel", c.I_PANEL_NUM}, {"stream", c.I_DATA_TYPE}});
        }
        views.append(QJsonObject{{"id", pView->S_ID},
                                 {"caption", pView->S_CAPTION},
                                 {"type", pView->I_TYPE},
                                 {"layout", pView->S_LAYOUT_ID},
                                 {"channels", channels}});
        if (!_ctx.json) {
            ctlOut() << "  view \"" << pView->S_CAPTION << "\"  [" << pView->S_ID << "]  type " << pView->I_TYPE
                     << (pView->S_LAYOUT_ID.isEmpty() ? QString() : "  layout " + pView->S_LAYOUT_ID) << "  channels "
                     << pView->m_vecChannels.size() << "\n";
            for (const STRCT_ViewChannel& c : pView->m_vecChannels) {
                ctlOut() << "    panel " << c.I_PANEL_NUM << "  " << c.S_CAMERA_ID << "\n";
            }
        }
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"views", views}}).toJson(QJsonDocument::Indented);
    }
    qDeleteAll(vecViews);
    return 0;
}

// add CAPTION TYPE [CHANNEL...]: the channels fill panels 0, 1, ... in the order given.
int addView(CtlContext& _ctx, const QStringList& _lstArgs)
{
    bool bOk = false;
    const int iType = _lstArgs.value(1).toInt(&bOk);
    if (_lstArgs.size() < 2 || _lstArgs[0].isEmpty() || !bOk) {
        ctlErr() << "tesselctl: views add takes CAPTION TYPE [CHANNEL...]\n";
        return 2;
    }
    if (_ctx.mediator->IsViewExist(_lstArgs[0])) {
        ctlErr() << "tesselctl: a view \"" << _lstArgs[0] << "\" exists already\n";
        return 1;
    }
    CLS_ViewEntity view;
    view.S_CAPTION = _lstArgs[0];
    view.I_TYPE = iType;
    for (int i = 2; i < _lstArgs.size(); ++i) {
        STRCT_ViewChannel c;
        c.S_CAMERA_ID = _lstArgs[i];
        c.I_PANEL_NUM = i - 2;
        view.m_vecChannels.append(c);
    }
    const int iRet = _ctx.mediator->InsertView(view);
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"ret", iRet}, {"id", view.S_ID}}).toJson(QJsonDocument::Compact) << "\n";
    } else if (iRet == 0) {
        ctlOut() << "view " << view.S_ID << " added with " << view.m_vecChannels.size() << " channels\n";
    } else {
        ctlErr() << "tesselctl: views add failed (" << iRet << ")\n";
    }
    return iRet == 0 ? 0 : 1;
}

int removeView(CtlContext& _ctx, const QStringList& _lstArgs)
{
    if (_lstArgs.size() != 1) {
        ctlErr() << "tesselctl: views rm takes ID\n";
        return 2;
    }
    bool bExists = false;
    if (!ctlObjectExists(_ctx, _lstArgs[0], bExists)) {
        return 1;
    }
    if (!bExists) {
        return _ctx.fail(QStringLiteral("view %1 not found").arg(_lstArgs[0]));
    }
    const int iRet = _ctx.mediator->DeleteView(_lstArgs[0]);
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"ret", iRet}}).toJson(QJsonDocument::Compact) << "\n";
    } else if (iRet == 0) {
        ctlOut() << "view " << _lstArgs[0] << " removed with its layout membership and cruise entries\n";
    } else {
        ctlErr() << "tesselctl: views rm failed (" << iRet << ")\n";
    }
    return iRet == 0 ? 0 : 1;
}

int runViews(CtlContext& _ctx)
{
    const QString strVerb = _ctx.args.value(0, QStringLiteral("list"));
    if (strVerb != "list" && strVerb != "add" && strVerb != "rm") {
        ctlErr() << "tesselctl: views takes list, add CAPTION TYPE [CHANNEL...] or rm ID\n";
        return 2;
    }
    if (strVerb == "list" && _ctx.args.size() > 1) {
        ctlErr() << "tesselctl: views list takes no arguments\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    if (strVerb == "add") {
        return addView(_ctx, _ctx.args.mid(1));
    }
    if (strVerb == "rm") {
        return removeView(_ctx, _ctx.args.mid(1));
    }
    return listViews(_ctx);
}

}  // namespace

TESSELCTL_COMMAND("views", "[list | add CAPTION TYPE [CHANNEL...] | rm ID]",
                  "the saved views with their channels; add or remove one", &runViews,
                  "Removing a view that does not exist is a failure (\"not found\", exit status 1).\n"
                  "\n"
                  "Examples:\n"
                  "  tesselctl --user admin views\n"
                  "  tesselctl --user admin views add 'Gates' 4 4f0c... 5e1d...\n"
                  "  tesselctl --user admin views rm 7c2e...\n");
