// decode-rec, decode-face, recordings, faces: the decoding of recording and face-capture paths,
// the playback search of this system's recording index and the face-capture search.
#include "CtlCommand.h"

#include "I_DataMediator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

void printObject(CtlContext& _ctx, const QJsonObject& _obj)
{
    if (_ctx.json) {
        ctlOut() << QJsonDocument(_obj).toJson(QJsonDocument::Indented);
        return;
    }
    for (auto it = _obj.constBegin(); it != _obj.constEnd(); ++it) {
        ctlOut() << it.key() << "=" << it.value().toVariant().toString() << "\n";
    }
}

// "key=value" arguments from _iFirst on; false (reason printed) for one without "=" or not in
// _lstKeys.
bool parseOptions(const QStringList& _lstArgs, int _iFirst, const QStringList& _lstKeys, QMap<QString, QString>& _map)
{
    for (int i = _iFirst; i < _lstArgs.size(); ++i) {
        const int iEq = _lstArgs.at(i).indexOf('=');
        const QString strKey = _lstArgs.at(i).left(iEq);
        if (iEq <= 0 || !_lstKeys.contains(strKey)) {
            ctlErr() << "tesselctl: unknown filter " << _lstArgs.at(i) << " (known: " << _lstKeys.join(", ") << ")\n";
            return false;
        }
        _map.insert(strKey, _lstArgs.at(i).mid(iEq + 1));
    }
    return true;
}

bool number(const QMap<QString, QString>& _map, const QString& _strKey, int& _iValue)
{
    if (!_map.contains(_strKey)) {
        return true;
    }
    bool bOk = false;
    _iValue = _map.value(_strKey).toInt(&bOk);
    if (!bOk) {
        ctlErr() << "tesselctl: " << _strKey << " must be a number\n";
    }
    return bOk;
}

int runDecodeRec(CtlContext& _ctx)
{
    if (_ctx.args.size() != 1) {
        ctlErr() << "usage: tesselctl decode-rec PATH (with --user: also look up the channel's host)\n";
        return 2;
    }
    const bool bLookup = !_ctx.user.isEmpty();
    I_DataMediator* pMediator = nullptr;
    if (bLookup) {
        if (_ctx.connectAndLogin() != 0 || _ctx.mediator->InitTreeNodeData() != 0) {
            ctlErr() << "tesselctl: the resource tree of " << _ctx.user << " could not be loaded\n";
            return 1;
        }
        pMediator = _ctx.mediator;
    } else {
        pMediator = _ctx.mediator = CreateMediator();
    }
    STRCT_RecFileInfo info;
    if (!pMediator->DecodeFilePathToRecInfo(_ctx.args.first(), !bLookup, info)) {
        ctlErr() << "tesselctl: not a recording path: " << _ctx.args.first() << "\n";
        return 1;
    }
    printObject(_ctx, {{"hostId", info.m_strHostID},
                       {"channelId", info.m_strChannelID},
                       {"recType", info.m_iRecType},
                       {"streamType", info.m_iStreamType},
                       {"fileName", info.m_strFileName},
                       {"savePath", info.m_strSavePath},
                       {"start", info.m_strStartTime},
                       {"end", info.m_strEndTime},
                       {"saveDisk", info.m_strSaveDisk},
                       {"dirField1", info.m_strDirField1},
                       {"dirField2", info.m_strDirField2},
                       {"dirField3", info.m_strDirField3},
                       {"dirNumber", info.m_iDirNumber}});
    return 0;
}

int runDecodeFace(CtlContext& _ctx)
{
    if (_ctx.args.size() != 1) {
        ctlErr() << "usage: tesselctl decode-face PATH\n";
        return 2;
    }
    _ctx.mediator = CreateMediator();
    STRCT_FaceParseResult r;
    if (!_ctx.mediator->DecodeFaceCapturePathToFaceParseResult(_ctx.args.first(), r)) {
        ctlErr() << "tesselctl: not a readable face-capture picture path: " << _ctx.args.first() << "\n";
        return 1;
    }
    printObject(_ctx, {{"channelId", r.m_strChannelID},
                       {"captureTime", r.m_strCaptureTime},
                       {"age", r.m_iAgeType},
                       {"gender", r.m_iGenderType},
                       {"masks", r.m_iMasksType},
                       {"glasses", r.m_iGlassesType},
                       {"temperatureType", r.m_iTemperatureType},
                       {"temperature", r.m_strTemperatureValue},
                       {"extra", r.m_iExtra},
                       {"similarity", r.m_iSimilarity},
                       {"faceKey", r.m_iFaceKey},
                       {"bigPath", r.m_strBigPicPath},
                       {"smallPath", r.m_strSmallPicPath},
                       {"negPath", r.m_strNegPicPath},
                       {"fileSizeKiB", r.m_i64FileSize},
                       {"dirField1", r.m_strDirField1},
                       {"dirField2", r.m_strDirField2},
                       {"dirField3", r.m_strDirField3},
                       {"dirNumber", r.m_iDirNumber}});
    return 0;
}

int runRecordings(CtlContext& _ctx)
{
    QMap<QString, QString> mapOptions;
    CLS_RecFileSearchEntity search;
    if (_ctx.args.size() < 3 ||
        !parseOptions(_ctx.args, 3, {"stream", "type", "lock"}, mapOptions) ||
        !number(mapOptions, "stream", search.m_iStreamType) || !number(mapOptions, "type", search.m_iRecType) ||
        !number(mapOptions, "lock", search.m_iLock)) {
        ctlErr() << "usage: tesselctl recordings CHANNEL|- FROM TO [stream=0|1] [type=1|2|3] [lock=N]\n"
                    "       (times \"yyyy-MM-dd hh:mm:ss\"; - for every channel)\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    search.m_strChannelID = _ctx.args.at(0) == "-" ? QString() : _ctx.args.at(0);
    search.m_strStartTime = _ctx.args.at(1);
    search.m_strEndTime = _ctx.args.at(2);
    QVector<CLS_RecFileEntity*> vecFiles;
    if (_ctx.mediator->SearchPlaybackRecFile(search, vecFiles) != 0) {
        ctlErr() << "tesselctl: the playback search failed\n";
        return 1;
    }
    QJsonArray files;
    for (const CLS_RecFileEntity* p : qAsConst(vecFiles)) {
        if (_ctx.json) {
            files.append(QJsonObject{{"id", p->I_ID},
                                     {"hostId", p->S_HOST_ID},
                                     {"channelId", p->S_CAMERA_ID},
                                     {"recType", p->I_REC_TYPE_ID},
                                     {"start", p->DT_START},
                                     {"end", p->DT_END},
                                     {"length", qint64(p->I_LENGTH)},
                                     {"lock", p->I_LOCK},
                                     {"path", p->S_SAVE_PATH}});
        } else {
            ctlOut() << p->I_ID << "\t" << p->S_CAMERA_ID << "\t" << p->DT_START << "\t" << p->DT_END << "\ttype "
                     << p->I_REC_TYPE_ID << "\t" << p->S_SAVE_PATH << "\n";
        }
    }
    qDeleteAll(vecFiles);
    if (_ctx.json) {
        ctlOut() << QJsonDocument(files).toJson(QJsonDocument::Indented);
    }
    return 0;
}

int runFaces(CtlContext& _ctx)
{
    QMap<QString, QString> mapOptions;
    CLS_IntelligentDataRecSearchEntity search;
    search.m_iPageSize = 50;
    if (!parseOptions(_ctx.args, 0,
                      {"from", "to", "channels", "age", "gender", "masks", "glasses", "temperature", "page", "size"},
                      mapOptions) ||
        !number(mapOptions, "age", search.m_iAge) || !number(mapOptions, "gender", search.m_iGender) ||
        !number(mapOptions, "masks", search.m_iMasks) || !number(mapOptions, "glasses", search.m_iGlasses) ||
        !number(mapOptions, "temperature", search.m_iTemperature) || !number(mapOptions, "page", search.m_iPageNumber) ||
        !number(mapOptions, "size", search.m_iPageSize)) {
        ctlErr() << "usage: tesselctl faces [from=TIME] [to=TIME] [channels=ID,ID] [age=N] [gender=N] [masks=N]\n"
                    "       [glasses=N] [temperature=N] [page=N] [size=N]   (newest first; size 50 by default)\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    search.m_strStartTime = mapOptions.value("from");
    search.m_strEndTime = mapOptions.value("to");
    if (mapOptions.contains("channels")) {
        search.m_lstChannelIDs = mapOptions.value("channels").split(',', Qt::SkipEmptyParts);
    }
    QVector<CLS_IntelligentDataRecEntity*> vecCaptures;
    if (_ctx.mediator->SearchFaceCapture(search, vecCaptures) != 0) {
        ctlErr() << "tesselctl: the face-capture search failed\n";
        return 1;
    }
    const int iTotal = _ctx.mediator->GetFaceCaptureCount(search);
    QJsonArray captures;
    for (const CLS_IntelligentDataRecEntity* p : qAsConst(vecCaptures)) {
        if (_ctx.json) {
            captures.append(QJsonObject{{"id", p->S_ID},
                                        {"channelId", p->S_CHANNEL_ID},
                                        {"time", p->DT_CAPTURE},
                                        {"seq", p->I_SEQ},
                                        {"age", p->I_AGE_TYPE},
                                        {"gender", p->I_GENDER_TYPE},
                                        {"masks", p->I_MASKS_TYPE},
                                        {"glasses", p->I_GLASSES_TYPE},
                                        {"temperature", p->S_TEMPERATURE_VALUE},
                                        {"bigPath", p->S_BIG_PATH}});
        } else {
            ctlOut() << p->DT_CAPTURE << "#" << p->I_SEQ << "\t" << p->S_CHANNEL_ID << "\tage " << p->I_AGE_TYPE
                     << "\tgender " << p->I_GENDER_TYPE << "\t" << p->S_BIG_PATH << "\n";
        }
    }
    qDeleteAll(vecCaptures);
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"total", iTotal}, {"captures", captures}}).toJson(QJsonDocument::Indented);
    } else {
        ctlOut() << "total " << iTotal << "\n";
    }
    return 0;
}

}  // namespace

TESSELCTL_COMMAND("decode-rec", "PATH",
                  "decode a recording file path (with --user: and find the channel's host)", &runDecodeRec,
                  "Examples:\n"
                  "  tesselctl decode-rec /rec/2024-05-01/ch01_20240501120000_20240501121000_0_0.mp4\n");
TESSELCTL_COMMAND("decode-face", "PATH", "decode a face-capture picture path and sum its pictures' sizes",
                  &runDecodeFace,
                  "Examples:\n"
                  "  tesselctl decode-face /face/2024-05-01/ch01_20240501120000_1.jpg\n");
TESSELCTL_COMMAND("recordings", "CHANNEL FROM TO [stream=] [type=] [lock=]",
                  "playback search of this system's recording index", &runRecordings,
                  "Examples:\n"
                  "  tesselctl recordings 5e1d... '2024-05-01 00:00:00' '2024-05-02 00:00:00'\n");
TESSELCTL_COMMAND("faces", "[from=] [to=] [channels=] [age=] [gender=] [page=] [size=] ...",
                  "search face captures, newest first, one page", &runFaces,
                  "Examples:\n"
                  "  tesselctl --user admin faces from='2024-05-01 00:00:00' size=20\n");
