// flow add, flow region, flow rm-region, flow state, flow stats, flow prune: passenger-flow
// counts, the logged-in user's regions with their live state, statistics and retention.
#include "CtlCommand.h"

#include "I_DataMediator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const char kUsage[] =
    "tesselctl: flow takes add CHANNEL DATE TIME IN [OUT [PASS]], region ID NAME [SETTING=N...] CHANNEL..., "
    "rm-region ID, state ID, stats day|week|month|year DATE CHANNEL... or prune MONTH\n";

bool toInt(const QString& _strText, qint32& _iValue)
{
    bool bOk = false;
    _iValue = _strText.toInt(&bOk);
    return bOk;
}

void printResult(CtlContext& _ctx, const char* _pszWhat, int _iRet)
{
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"ret", _iRet}}).toJson(QJsonDocument::Compact) << "\n";
    } else if (_iRet == 0) {
        ctlOut() << _pszWhat << "\n";
    } else {
        ctlErr() << "tesselctl: flow failed (" << _iRet << ")\n";
    }
}

// Logs in (a user is required) and loads the user's regions.
bool openRegions(CtlContext& _ctx)
{
    if (_ctx.user.isEmpty()) {
        ctlErr() << "tesselctl: flow region, rm-region and state need --user NAME\n";
        return false;
    }
    if (_ctx.connectAndLogin() != 0) {
        return false;
    }
    const int iRet = _ctx.mediator->InitRegionParam();
    if (iRet != 0) {
        ctlErr() << "tesselctl: the regions of " << _ctx.user << " could not be loaded (" << iRet << ")\n";
        return false;
    }
    return true;
}

int runAdd(CtlContext& _ctx)
{
    const QStringList& a = _ctx.args;
    CLS_PassengerFlowEntity entity;
    entity.S_CHANNEL_OBJ_ID = a.value(1);
    entity.DT_DATE = a.value(2);
    entity.DT_TIME = a.value(3);
    if (a.size() < 5 || a.size() > 7 || !toInt(a[4], entity.I_IN_NUMBER) ||
        !toInt(a.value(5, "0"), entity.I_OUT_NUMBER) || !toInt(a.value(6, "0"), entity.I_PASS_NUMBER)) {
        ctlErr() << kUsage;
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    const int iRet = _ctx.mediator->AddPassengerFlowInfo(entity);
    printResult(_ctx, "counts added", iRet);
    return iRet == 0 ? 0 : 1;
}

int runRegion(CtlContext& _ctx)
{
    const QStringList& a = _ctx.args;
    if (a.size() < 3) {
        ctlErr() << kUsage;
        return 2;
    }
    STRCT_PassengerFlowRegionParam param;
    param.m_qstrRegionID = a[1];
    param.m_qstrRegionName = a[2];
    const QMap<QString, qint32*> mapSettings{{"capacity", &param.m_iMaxCapacityNumber},
                                             {"capacity-alarm", &param.m_iMaxCapacityAlarmEnable},
                                             {"surge", &param.m_iShootUpNumber},
                                             {"surge-time", &param.m_iShootUpTime},
                                             {"surge-alarm", &param.m_iShootUpAlarmEnable},
                                             {"fixed", &param.m_iFixNumber},
                                             {"interval", &param.m_iAlarmInterval}};
    for (int i = 3; i < a.size(); ++i) {
        const int iEq = a[i].indexOf('=');
        if (iEq < 0) {
            param.m_qvecChannels.append({QString(), a[i], param.m_qvecChannels.size()});
            continue;
        }
        qint32* pValue = mapSettings.value(a[i].left(iEq), nullptr);
        if (pValue == nullptr || !toInt(a[i].mid(iEq + 1), *pValue)) {
            ctlErr() << "tesselctl: flow region: bad setting " << a[i] << " (known: "
                     << QStringList(mapSettings.keys()).join(", ") << ")\n";
            return 2;
        }
    }
    if (!openRegions(_ctx)) {
        return 1;
    }
    const int iRet = _ctx.mediator->UpdateRegionParam(param);
    printResult(_ctx, "region saved", iRet);
    return iRet == 0 ? 0 : 1;
}

int runRemoveRegion(CtlContext& _ctx)
{
    if (_ctx.args.size() != 2) {
        ctlErr() << kUsage;
        return 2;
    }
    if (!openRegions(_ctx)) {
        return 1;
    }
    if (!_ctx.mediator->GetPassengerFlowRegionParams().contains(_ctx.args[1])) {
        return _ctx.fail(QStringLiteral("region %1 of %2 not found").arg(_ctx.args[1], _ctx.user));
    }
    STRCT_PassengerFlowRegionParam param;
    param.m_qstrRegionID = _ctx.args[1];
    const int iRet = _ctx.mediator->DeleteRegionParam(param);
    printResult(_ctx, "region removed", iRet);
    return iRet == 0 ? 0 : 1;
}

int runState(CtlContext& _ctx)
{
    if (_ctx.args.size() != 2) {
        ctlErr() << kUsage;
        return 2;
    }
    if (!openRegions(_ctx)) {
        return 1;
    }
    const QString strID = _ctx.args[1];
    const STRCT_PassengerFlowRegionParam param = _ctx.mediator->GetPassengerFlowRegionParams().value(strID);
    STRCT_PassengerFlowRegionRealTime state;
    if (!_ctx.mediator->GetPassengerFlowRegionRealTime(strID, state)) {
        ctlErr() << "tesselctl: no region " << strID << " of " << _ctx.user << "\n";
        return 1;
    }
    QStringList lstChannels;
    for (const STRCT_PassengerFlowRegionChannel& channel : param.m_qvecChannels) {
        lstChannels << channel.m_qstrChannelObjID;
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"region", strID},
                                              {"name", param.m_qstrRegionName},
                                              {"since", param.m_qstrClearTime},
                                              {"channels", QJsonArray::fromStringList(lstChannels)},
                                              {"in", state.m_iInTotal},
                                              {"out", state.m_iOutTotal},
                                              {"pass", state.m_iPassTotal},
                                              {"current", state.m_iCurrentNumber},
                                              {"peak", state.m_iPeakNumber},
                                              {"capacity", param.m_iMaxCapacityNumber},
                                              {"overCapacity", state.m_iOverCapacityCount > 0}})
                        .toJson(QJsonDocument::Indented);
        return 0;
    }
    ctlOut() << "region " << strID << " \"" << param.m_qstrRegionName << "\" since " << param.m_qstrClearTime << "\n"
             << "  channels: " << lstChannels.join(' ') << "\n"
             << "  in " << state.m_iInTotal << ", out " << state.m_iOutTotal << ", pass " << state.m_iPassTotal << "\n"
             << "  present " << state.m_iCurrentNumber << " (peak " << state.m_iPeakNumber << ", capacity "
             << param.m_iMaxCapacityNumber << (state.m_iOverCapacityCount > 0 ? ", over capacity" : "") << ")\n";
    return 0;
}

int runStats(CtlContext& _ctx)
{
    static const QStringList lstPeriods{"day", "week", "month", "year"};
    const QStringList& a = _ctx.args;
    CLS_PassengerFlowStatisticConditionEntity condition;
    condition.m_iPeriod = lstPeriods.indexOf(a.value(1));
    condition.m_qstrDate = a.value(2);
    condition.m_qlstChannelObjIDs = a.mid(3);
    if (condition.m_iPeriod < 0 || condition.m_qlstChannelObjIDs.isEmpty()) {
        ctlErr() << kUsage;
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    QMap<QString, STRCT_PassengerFlowCounts> mapResult;
    const int iRet = _ctx.mediator->GetPassengerFlowStatistics(condition, mapResult);
    if (iRet != 0) {
        ctlErr() << "tesselctl: flow stats failed (" << iRet << "; is DATE yyyy-MM-dd?)\n";
        return 1;
    }
    static const char* const aszKeys[] = {"hour", "weekday", "day", "month"};
    if (_ctx.json) {
        QJsonArray rows;
        for (auto it = mapResult.cbegin(); it != mapResult.cend(); ++it) {
            rows.append(QJsonObject{{aszKeys[condition.m_iPeriod], it.key()},
                                    {"in", double(it->m_i64In)},
                                    {"out", double(it->m_i64Out)},
                                    {"pass", double(it->m_i64Pass)}});
        }
        ctlOut() << QJsonDocument(rows).toJson(QJsonDocument::Indented);
        return 0;
    }
    ctlOut() << QString(aszKeys[condition.m_iPeriod]).leftJustified(8) << "      in     out    pass\n";
    for (auto it = mapResult.cbegin(); it != mapResult.cend(); ++it) {
        ctlOut() << it.key().leftJustified(8) << QString::number(it->m_i64In).rightJustified(8)
                 << QString::number(it->m_i64Out).rightJustified(8) << QString::number(it->m_i64Pass).rightJustified(8)
                 << "\n";
    }
    return 0;
}

int runPrune(CtlContext& _ctx)
{
    if (_ctx.args.size() != 2) {
        ctlErr() << kUsage;
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    const int iRet = _ctx.mediator->DeletePassengerFlowInfoBefore(_ctx.args[1]);
    printResult(_ctx, "earlier months dropped", iRet);
    return iRet == 0 ? 0 : 1;
}

int runFlow(CtlContext& _ctx)
{
    const QMap<QString, int (*)(CtlContext&)> mapVerbs{{"add", &runAdd},       {"region", &runRegion},
                                                       {"rm-region", &runRemoveRegion}, {"state", &runState},
                                                       {"stats", &runStats},   {"prune", &runPrune}};
    const auto pfnRun = mapVerbs.value(_ctx.args.value(0), nullptr);
    if (pfnRun == nullptr) {
        ctlErr() << kUsage;
        return 2;
    }
    return pfnRun(_ctx);
}

}  // namespace

TESSELCTL_COMMAND(
    "flow",
    "add CHANNEL DATE TIME IN [OUT [PASS]] | region ID NAME [SETTING=N...] CHANNEL... | rm-region ID | "
    "state ID | stats day|week|month|year DATE CHANNEL... | prune MONTH",
    "passenger-flow counts, the user's regions with their live state, statistics and retention "
    "(settings: capacity, capacity-alarm, surge, surge-time, surge-alarm, fixed, interval)",
    &runFlow,
    "Examples:\n"
    "  tesselctl flow add 5e1d... 2024-05-01 12:00:00 10 3\n"
    "  tesselctl --user admin flow stats day 2024-05-01 5e1d...\n");
