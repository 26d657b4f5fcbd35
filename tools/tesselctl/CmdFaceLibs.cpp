// facelibs: the face libraries with their members, bound channels and synchronisation task
// counts; "facelibs add NAME" stores a new library.
#include "CtlCommand.h"

#include "CLS_DataAccess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

int addLibrary(CtlContext& _ctx)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    const QString strName = _ctx.args.value(1);
    if (access.GetFaceLibNameCount(strName) > 0) {
        ctlErr() << "tesselctl: a face library named " << strName << " exists\n";
        return 1;
    }
    CLS_FaceLibInfoEntity lib;
    lib.S_CAPTION = strName;
    const int iRet = access.AddFaceLib(lib);
    if (iRet != 0) {
        ctlErr() << "tesselctl: facelibs add failed (" << iRet << ")\n";
        return 1;
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"id", lib.S_ID}, {"caption", lib.S_CAPTION}})
                        .toJson(QJsonDocument::Compact)
                 << "\n";
    } else {
        ctlOut() << "added " << lib.S_CAPTION << " [" << lib.S_ID << "]\n";
    }
    return 0;
}

int runFaceLibs(CtlContext& _ctx)
{
    const bool bAdd = _ctx.args.value(0) == "add";
    if (!(_ctx.args.isEmpty() || (bAdd && _ctx.args.size() == 2 && !_ctx.args[1].isEmpty()))) {
        ctlErr() << "tesselctl: facelibs takes no argument, or add NAME\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    if (bAdd) {
        return addLibrary(_ctx);
    }
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    QVector<CLS_FaceLibInfoEntity> vecLibs;
    const int iRet = access.GetAllFaceLib(vecLibs);
    if (iRet != 0) {
        ctlErr() << "tesselctl: facelibs failed (" << iRet << ")\n";
        return 1;
    }
    QJsonArray array;
    for (const CLS_FaceLibInfoEntity& lib : vecLibs) {
        STRCT_FaceSyncTaskQuery failed;
        failed.m_qstrPersonLibId = lib.S_ID;
        QVector<CLS_ChannelTargetEntity> vecBindings;
        access.GetChannelTargetsByLib(lib.S_ID, vecBindings);
        const QJsonObject object{{"id", lib.S_ID},
                                 {"caption", lib.S_CAPTION},
                                 {"created", lib.DT_TIME},
                                 {"members", access.GetFaceLibMemberCount(lib.S_ID)},
                                 {"channels", vecBindings.size()},
                                 {"pendingTasks", access.GetSyncTaskCount(lib.S_ID)},
                                 {"failedTasks", access.GetTaskFailCount(failed)}};
        if (_ctx.json) {
            array.append(object);
        } else {
            ctlOut() << lib.S_CAPTION << "  [" << lib.S_ID << "]  created " << lib.DT_TIME << "  members "
                     << object["members"].toInt() << "  channels " << object["channels"].toInt() << "  tasks pending "
                     << object["pendingTasks"].toInt() << ", failed " << object["failedTasks"].toInt() << "\n";
        }
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"libraries", array}}).toJson(QJsonDocument::Indented);
    } else if (vecLibs.isEmpty()) {
        ctlOut() << "no face libraries\n";
    }
    return 0;
}

}  // namespace

TESSELCTL_COMMAND("facelibs", "[add NAME]",
                  "face libraries with members, bound channels and pending/failed sync tasks; or add one",
                  &runFaceLibs,
                  "Examples:\n"
                  "  tesselctl --user admin facelibs\n"
                  "  tesselctl --user admin facelibs add 'Staff'\n");
