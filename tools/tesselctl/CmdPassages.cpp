// passages car|pad|way search|count|import and behaviour search|count|import: the passage
// histories and behaviour snapshots, paged newest first; import stores pictures by the JSON of
// their image text "attribute".
#include "CtlCommand.h"

#include "I_DataMediator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// KEY=VALUE arguments from _iFirst on, each key one of _lstKeys; false for anything else.
bool parseOptions(const QStringList& _lstArgs, int _iFirst, const QStringList& _lstKeys,
                  QMap<QString, QString>& _mapOptions)
{
    for (int i = _iFirst; i < _lstArgs.size(); ++i) {
        const int iEq = _lstArgs[i].indexOf('=');
        if (iEq <= 0 || !_lstKeys.contains(_lstArgs[i].left(iEq))) {
            return false;
        }
        _mapOptions.insert(_lstArgs[i].left(iEq), _lstArgs[i].mid(iEq + 1));
    }
    return true;
}

bool positive(const QMap<QString, QString>& _mapOptions, const char* _pszKey, int& _iValue)
{
    if (!_mapOptions.contains(_pszKey)) {
        return true;
    }
    bool bOk = false;
    _iValue = _mapOptions.value(_pszKey).toInt(&bOk);
    return bOk && _iValue >= 1;
}

QJsonObject describe(const CLS_CarDataRecvEntity& c)
{
    return {{"id", c.S_ID},
            {"time", c.S_PassTime},
            {"plate", c.S_Vlp},
            {"colour", c.S_Vlpc},
            {"sn", c.S_SN},
            {"terminal", c.S_TerminalName},
            {"image", c.S_Image},
            {"plateImage", c.S_PlateImage},
            {"saveTime", c.S_SaveTime}};
}

QJsonObject describe(const CLS_PadDataRecvEntity& p)
{
    return {{"id", p.S_ID},
            {"time", p.S_PassTime},
            {"userCode", p.S_UserCode},
            {"userName", p.S_UserName},
            {"sn", p.S_TerminalSn},
            {"terminal", p.S_TerminalName},
            {"image", p.S_Image},
            {"saveTime", p.S_SaveTime}};
}

QJsonObject describe(const CLS_WayDataRecEntity& w)
{
    return {{"id", w.S_ID},
            {"time", w.S_passtime},
            {"plate", w.S_VLP},
            {"colour", w.S_VLPC},
            {"sn", w.S_SN},
            {"terminal", w.S_terminalname},
            {"crossing", w.S_crossing},
            {"lane", w.S_lane},
            {"direction", w.S_runingdirection},
            {"image", w.S_image},
            {"saveTime", w.S_savetime}};
}

QJsonObject describe(const CLS_BehaviorAnalysisEntity& b)
{
    return {{"id", b.S_ID},
            {"time", b.DT_SNAP_TIMESTAMP},
            {"seq", b.I_SEQ},
            {"type", b.I_TYPE},
            {"devId", b.S_DEV_ID},
            {"channelId", b.S_CHANNEL_ID},
            {"channel", b.S_CHANNEL_NAME},
            {"path", b.S_SNAP_PATH},
            {"size", double(b.I_FILE_SIZE)}};
}

// One line per record: the fields of describe() in their order, tab separated.
template <typename E>
void print(CtlContext& _ctx, const QVector<E>& _vec, int _iTotal)
{
    QJsonArray array;
    for (const E& e : _vec) {
        const QJsonObject object = describe(e);
        if (_ctx.json) {
            array.append(object);
            continue;
        }
        QStringList lstFields;
        for (auto it = object.begin(); it != object.end(); ++it) {
            lstFields << it.key() + "=" + it.value().toVariant().toString();
        }
        ctlOut() << lstFields.join('\t') << "\n";
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"total", _iTotal}, {"records", array}})
                        .toJson(QJsonDocument::Indented);
    } else {
        ctlOut() << "total " << _iTotal << "\n";
    }
}

// The operations of one passage kind.
template <typename E>
struct Kind
{
    int (I_DataMediator::*query)(const STRCT_PassageQuery&, QVector<E>&);
    int (I_DataMediator::*count)(const STRCT_PassageQuery&);
    bool (I_DataMediator::*parse)(QString, E&);
    int (I_DataMediator::*save)(QVector<E>&);
};

template <typename E>
int runKind(CtlContext& _ctx, const Kind<E>& _kind)
{
    const QString strVerb = _ctx.args.value(1);
    if (strVerb == "import") {
        if (_ctx.args.size() < 3) {
            ctlErr() << "usage: tesselctl passages KIND import PICTURE...\n";
            return 2;
        }
        if (_ctx.connectAndLogin() != 0) {
            return 1;
        }
        QVector<E> vecRecords;
        for (int i = 2; i < _ctx.args.size(); ++i) {
            E record;
            if (!(_ctx.mediator->*_kind.parse)(_ctx.args[i], record)) {
                ctlErr() << "tesselctl: " << _ctx.args[i] << " has no readable \"attribute\" description\n";
                return 1;
            }
            vecRecords.append(record);
        }
        const int iRet = (_ctx.mediator->*_kind.save)(vecRecords);
        if (iRet != 0) {
            ctlErr() << "tesselctl: storing failed (" << iRet << ")\n";
            return 1;
        }
        print(_ctx, vecRecords, vecRecords.size());
        return 0;
    }
    QMap<QString, QString> mapOptions;
    STRCT_PassageQuery query;
    query.m_iPageSize = 50;
    if ((strVerb != "search" && strVerb != "count") ||
        !parseOptions(_ctx.args, 2, {"from", "to", "key", "prefix", "sns", "page", "size"}, mapOptions) ||
        !positive(mapOptions, "page", query.m_iPageIndex) ||
        !positive(mapOptions, "size", query.m_iPageSize)) {
        ctlErr() << "usage: tesselctl passages car|pad|way search|count [from=TIME] [to=TIME] "
                    "[key=PLATE|USERCODE]\n"
                    "       [prefix=1] [sns=SN,SN] [page=N] [size=N]   (newest first; size 50 by default)\n"
                    "       tesselctl passages car|pad|way import PICTURE...\n";
        return 2;
    }
    query.m_qstrStartTime = mapOptions.value("from");
    query.m_qstrEndTime = mapOptions.value("to");
    query.m_qstrKey = mapOptions.value("key");
    query.m_bKeyPrefix = mapOptions.value("prefix") == "1";
    query.m_lstTerminalSns = mapOptions.value("sns").split(',', Qt::SkipEmptyParts);
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    const int iTotal = (_ctx.mediator->*_kind.count)(query);
    if (iTotal < 0) {
        ctlErr() << "tesselctl: the passage count failed\n";
        return 1;
    }
    if (strVerb == "count") {
        ctlOut() << (_ctx.json ? QString("{\"total\": %1}\n").arg(iTotal) : QString::number(iTotal) + "\n");
        return 0;
    }
    QVector<E> vecRecords;
    if ((_ctx.mediator->*_kind.query)(query, vecRecords) != 0) {
        ctlErr() << "tesselctl: the passage search failed\n";
        return 1;
    }
    print(_ctx, vecRecords, iTotal);
    return 0;
}

int runPassages(CtlContext& _ctx)
{
    const QString strKind = _ctx.args.value(0);
    if (strKind == "car") {
        return runKind<CLS_CarDataRecvEntity>(
            _ctx, {&I_DataMediator::QueryCarHistory, &I_DataMediator::GetCarRecordCount,
                   &I_DataMediator::ParseCarPictureAttribute, &I_DataMediator::SaveCarRecvDataToDB});
    }
    if (strKind == "pad") {
        return runKind<CLS_PadDataRecvEntity>(
            _ctx, {&I_DataMediator::QueryPadHistory, &I_DataMediator::GetPadRecordCount,
                   &I_DataMediator::ParsePadPictureAttribute, &I_DataMediator::SavePadRecvDataToDB});
    }
    if (strKind == "way") {
        return runKind<CLS_WayDataRecEntity>(
            _ctx, {&I_DataMediator::QueryWayHistory, &I_DataMediator::GetWayRecordCount,
                   &I_DataMediator::ParseWayPictureAttribute, &I_DataMediator::SaveWayRecvDataToDB});
    }
    ctlErr() << "usage: tesselctl passages car|pad|way search|count|import ...\n";
    return 2;
}

int runBehaviour(CtlContext& _ctx)
{
    const QString strVerb = _ctx.args.value(0);
    if (strVerb == "import" && _ctx.args.size() >= 2) {
        if (_ctx.connectAndLogin() != 0) {
            return 1;
        }
        QVector<CLS_BehaviorAnalysisEntity> vecRecords;
        for (int i = 1; i < _ctx.args.size(); ++i) {
            CLS_BehaviorAnalysisEntity record;
            if (!_ctx.mediator->ParseBehaviorPictAttribute(_ctx.args[i], record)) {
                ctlErr() << "tesselctl: " << _ctx.args[i] << " has no readable \"attribute\" description\n";
                return 1;
            }
            vecRecords.append(record);
        }
        const int iRet = _ctx.mediator->AddBehaviorAnalysisCapture(vecRecords);
        if (iRet != 0) {
            ctlErr() << "tesselctl: storing failed (" << iRet << ")\n";
            return 1;
        }
        print(_ctx, vecRecords, vecRecords.size());
        return 0;
    }
    QMap<QString, QString> mapOptions;
    CLS_BehaviorAnalysisSearchEntity search;
    search.m_iPageSize = 50;
    bool bTypeOk = true;
    if ((strVerb != "search" && strVerb != "count") ||
        !parseOptions(_ctx.args, 1, {"from", "to", "channels", "type", "page", "size"}, mapOptions) ||
        !positive(mapOptions, "page", search.m_iPageNumber) ||
        !positive(mapOptions, "size", search.m_iPageSize)) {
        bTypeOk = false;
    }
    if (bTypeOk && mapOptions.contains("type")) {
        search.m_iType = mapOptions.value("type").toInt(&bTypeOk);
    }
    if (!bTypeOk) {
        ctlErr()
            << "usage: tesselctl behaviour search|count [from=TIME] [to=TIME] [channels=ID,ID] [type=N]\n"
               "       [page=N] [size=N]   (newest first; size 50 by default)\n"
               "       tesselctl behaviour import PICTURE...\n";
        return 2;
    }
    search.m_strStartTime = mapOptions.value("from");
    search.m_strEndTime = mapOptions.value("to");
    search.m_lstChannelIDs = mapOptions.value("channels").split(',', Qt::SkipEmptyParts);
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    const int iTotal = _ctx.mediator->BehaviorAnalysisGetCount(search);
    if (iTotal < 0) {
        ctlErr() << "tesselctl: the behaviour count failed\n";
        return 1;
    }
    if (strVerb == "count") {
        ctlOut() << (_ctx.json ? QString("{\"total\": %1}\n").arg(iTotal) : QString::number(iTotal) + "\n");
        return 0;
    }
    QVector<CLS_BehaviorAnalysisEntity> vecRecords;
    if (_ctx.mediator->BehaviorAnalysisGetRecord(search, vecRecords) != 0) {
        ctlErr() << "tesselctl: the behaviour search failed\n";
        return 1;
    }
    print(_ctx, vecRecords, iTotal);
    return 0;
}

}  // namespace

TESSELCTL_COMMAND(
    "passages",
    "car|pad|way search|count [from=] [to=] [key=] [prefix=1] [sns=] [page=] [size=] | import PICTURE...",
    "vehicle, pad and road passages, newest first, or store pictures by their attribute", &runPassages,
    "Examples:\n"
    "  tesselctl passages car count from='2024-05-01 00:00:00'\n");
TESSELCTL_COMMAND("behaviour",
                  "search|count [from=] [to=] [channels=] [type=] [page=] [size=] | import PICTURE...",
                  "behaviour-analysis snapshots, newest first, or store pictures by their attribute",
                  &runBehaviour,
                  "Examples:\n"
                  "  tesselctl behaviour search size=10\n");
