// Passenger-flow statistics: storing counts, the user's regions with their in-memory parameters
// and live states, the periodic surge, alarm and midnight processing, statistics and retention.
//
// Locks: m_lockPassengerFlowRegionParam guards the parameters and m_iRegionNum,
// m_lockPassengerFlowRegionRealTime the live states. The live-state lock may be taken while the
// parameter lock is held, never the other way round; whatever needs a parameter under the
// live-state lock copies it first.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/Tree/CLS_ResourceTree.h"
#include "Log.h"

#include <QRegularExpression>
#include <QUuid>

#include <algorithm>
#include <limits>

namespace {

using ResourceTree::ReadLocker;
using ResourceTree::WriteLocker;

const char kTimeFormat[] = "yyyy-MM-dd hh:mm:ss";

// A local time text "yyyy-MM-dd hh:mm:ss" as a time without zone (invalid for another text):
// slots are reckoned on the texts themselves, without the time-zone database (which Qt's format
// parser would consult, on every reporting thread).
QDateTime ParseTime(const QString& _strTime)
{
    static const QRegularExpression re(QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2}) ([0-9]{2}):([0-9]{2}):([0-9]{2})$"));
    const QRegularExpressionMatch m = re.match(_strTime);
    if (!m.hasMatch()) {
        return QDateTime();
    }
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    return date.isValid() && time.isValid() ? QDateTime(date, time, Qt::UTC) : QDateTime();
}

// _a + _b kept within the range of qint32.
qint32 ClampedSum(qint64 _a, qint64 _b)
{
    const qint64 i64Sum = _a + _b;
    return qint32(qBound<qint64>(std::numeric_limits<qint32>::min(), i64Sum, std::numeric_limits<qint32>::max()));
}

// Occupancy from the totals, its peak and the consecutive over-capacity count.
void ApplyOccupancy(const STRCT_PassengerFlowRegionParam& _param, STRCT_PassengerFlowRegionRealTime& _state)
{
    const qint64 i64Current = qint64(_param.m_iFixNumber) + _state.m_iInTotal - _state.m_iOutTotal;
    _state.m_iCurrentNumber = ClampedSum(qMax<qint64>(i64Current, 0), 0);
    _state.m_iPeakNumber = qMax(_state.m_iPeakNumber, _state.m_iCurrentNumber);
    const bool bOver = _param.m_iMaxCapacityAlarmEnable != 0 && _state.m_iCurrentNumber > _param.m_iMaxCapacityNumber;
    _state.m_iOverCapacityCount = bOver ? ClampedSum(_state.m_iOverCapacityCount, 1) : 0;
}

// The countdown an alarm starts from; a negative interval counts as 0.
qint32 AlarmInterval(const STRCT_PassengerFlowRegionParam& _param)
{
    return qMax(_param.m_iAlarmInterval, 0);
}

// The state a recount (or a save of the region) leaves: counting restarts from the fixed number.
void ResetState(const STRCT_PassengerFlowRegionParam& _param, STRCT_PassengerFlowRegionRealTime& _state)
{
    _state.m_iInTotal = 0;
    _state.m_iOutTotal = 0;
    _state.m_iPassTotal = 0;
    _state.m_iCurrentNumber = _param.m_iFixNumber;
    _state.m_iPeakNumber = _param.m_iFixNumber;
    _state.m_iOverCapacityCount = 0;
    _state.m_iShootUpCount = 0;
    _state.m_qmapShootUpSlots.clear();
    _state.m_iShootUpAlarmState = 0;
    _state.m_iCapacityAlarmCountdown = AlarmInterval(_param);
    _state.m_iShootUpAlarmCountdown = AlarmInterval(_param);
}

// One alarm kind of a collection round: begin or end into _mapAlarm; whether it ended.
bool StepAlarm(const QString& _strRegionID, qint32 _iCount, qint32& _iState, QMap<QString, qint32>& _mapAlarm)
{
    if (_iCount > 0 && _iState == 0) {
        _iState = 1;
        _mapAlarm.insert(_strRegionID, 1);
    } else if (_iCount == 0 && _iState == 1) {
        _iState = 0;
        _mapAlarm.insert(_strRegionID, 0);
        return true;
    }
    return false;
}

// 1 (logged) when the software type stores no counts, 0 when it stores them, -1 (logged)
// when the setting could not be read: then nothing is stored and the caller fails.
int StoresNothing()
{
    QString strType;
    if (CLS_DataAccess::GetInstance().GetSoftwareType(strType) != 0) {
        DL_LOG(2, "CLS_DataMediator::AddPassengerFlowInfo GetSoftwareType failed");
        return -1;
    }
    if (strType != QLatin1String(CLS_DataAccess::kSoftwareTypeNoRecords)) {
        return 0;
    }
    DL_LOG(2, "CLS_DataMediator::AddPassengerFlowInfo SoftwareType=%s", qUtf8Printable(strType));
    return 1;
}

}  // namespace

void CLS_DataMediator::SetPassengerFlowClock(QDateTime (*_pfnNow)())
{
    m_pfnPassengerFlowNow = _pfnNow;
}

QDateTime CLS_DataMediator::PassengerFlowNow() const
{
    const QDateTime now = m_pfnPassengerFlowNow != nullptr ? m_pfnPassengerFlowNow() : QDateTime::currentDateTime();
    // The local wall-clock time, reckoned like the slot texts.
    return QDateTime(now.date(), now.time(), Qt::UTC);
}

void CLS_DataMediator::FoldPassengerFlowReport(const STRCT_PassengerFlowRegionParam& _param,
                                               const STRCT_PassengerFlowReport& _report)
{
    // A region removed meanwhile must not come back with a live state (and its alarms).
    if (!m_qmapPassengerFlowRegionParam.contains(_param.m_qstrRegionID)) {
        return;
    }
    STRCT_PassengerFlowRegionRealTime& state = m_qmapPassengerFlowRegionRealTime[_param.m_qstrRegionID];
    state.m_qstrRegionID = _param.m_qstrRegionID;
    state.m_iInTotal = ClampedSum(state.m_iInTotal, _report.m_iIn);
    state.m_iOutTotal = ClampedSum(state.m_iOutTotal, _report.m_iOut);
    state.m_iPassTotal = ClampedSum(state.m_iPassTotal, _report.m_iPass);
    ApplyOccupancy(_param, state);
    if (_report.m_qstrTime.isEmpty()) {
        return;
    }
    const QDateTime time = ParseTime(_report.m_qstrTime);
    if (!time.isValid()) {
        DL_LOG(3, "CLS_DataMediator::DealPassengerFlowInfo time invalid: %s", qUtf8Printable(_report.m_qstrTime));
        return;
    }
    const int iSecond = time.time().second();
    // The next full minute, and the next multiple of ten seconds (a time on one moves a step).
    STRCT_PassengerFlowSlot& slot = state.m_qmapMinuteSlots[time.addSecs(60 - iSecond).toString(kTimeFormat)];
    slot.m_iIn = ClampedSum(slot.m_iIn, _report.m_iIn);
    slot.m_iOut = ClampedSum(slot.m_iOut, _report.m_iOut);
    slot.m_iPass = ClampedSum(slot.m_iPass, _report.m_iPass);
    qint32& iSurge = state.m_qmapShootUpSlots[time.addSecs((iSecond / 10 + 1) * 10 - iSecond).toString(kTimeFormat)];
    iSurge = ClampedSum(iSurge, _report.m_iIn);
}

int CLS_DataMediator::AddPassengerFlowInfo(const CLS_PassengerFlowEntity& _entity)
{
    const int iNothing = StoresNothing();
    if (iNothing != 0) {
        return iNothing > 0 ? 0 : -1;
    }
    CLS_PassengerFlowEntity entity = _entity;
    entity.S_ID = QUuid::createUuid().toString(QUuid::Id128);
    if (entity.DT_TIME.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::AddPassengerFlowInfo DT_TIME.isEmpty()");
        return -1;
    }
    return CLS_DataAccess::GetInstance().AddPassengerFlowInfo(entity);
}

int CLS_DataMediator::DealPassengerFlowInfo(const STRCT_PassengerFlowReport& _report, const QStringList& _lstRegionIDs)
{
    for (const QString& strRegionID : _lstRegionIDs) {
        // The parameter stays locked through the fold: a region deleted meanwhile is not folded.
        ReadLocker paramLocker(&m_lockPassengerFlowRegionParam);
        const auto itParam = m_qmapPassengerFlowRegionParam.constFind(strRegionID);
        if (itParam == m_qmapPassengerFlowRegionParam.constEnd()) {
            continue;
        }
        WriteLocker locker(&m_lockPassengerFlowRegionRealTime);
        FoldPassengerFlowReport(itParam.value(), _report);
    }
    return 0;
}

int CLS_DataMediator::InitRegionParam()
{
    if (m_strUserID.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::InitRegionParam m_strUserID.isEmpty()");
        return -1;
    }
    QVector<CLS_RegionEntity*> vecRows;
    if (CLS_DataAccess::GetInstance().GetPassengerFlowRegions(m_strUserID, vecRows) != 0) {
        qDeleteAll(vecRows);
        DL_LOG(2, "InitRegionParam failed");
        return -1;
    }
    PassengerFlowRegionParamMap mapParams;
    for (const CLS_RegionEntity* pRow : qAsConst(vecRows)) {
        STRCT_PassengerFlowRegionParam& param = mapParams[pRow->S_REGION_ID];
        param.m_qstrRegionID = pRow->S_REGION_ID;
        param.m_qstrRegionName = pRow->S_REGION_NAME;
        param.m_qstrStartTime = pRow->DT_START;
        param.m_qstrEndTime = pRow->DT_END;
        param.m_qstrClearTime = pRow->DT_START_STATISTIC;
        param.m_iMaxCapacityNumber = pRow->I_MAXCAPACITY_NUMBER;
        param.m_iMaxCapacityAlarmEnable = pRow->I_MAXCAPACITY_ALARM_ENABLE;
        param.m_iShootUpNumber = pRow->I_SHOOTUP_NUMBER;
        param.m_iShootUpTime = pRow->I_SHOOTUP_TIME;
        param.m_iShootUpAlarmEnable = pRow->I_SHOOTUP_ALARM_ENABLE;
        param.m_iAlarmInterval = pRow->I_ALARM_INTERVAL;
        param.m_iFixNumber = pRow->I_FIX_NUMBER;
        if (!pRow->S_CHANNEL_ID.isEmpty()) {
            param.m_qvecChannels.append({pRow->S_CHANNEL_ID, pRow->S_CHANNEL_OBJ_ID, pRow->I_SEQ});
        }
    }
    qDeleteAll(vecRows);
    {
        WriteLocker locker(&m_lockPassengerFlowRegionParam);
        m_qmapPassengerFlowRegionParam = mapParams;
        DL_LOG(2, "CLS_DataMediator::InitRegionParam m_qmapPassengerFlowRegionParam.size(%d)", mapParams.size());
        // A second load replaces the first: the count starts again.
        m_iRegionNum = 0;
        for (const STRCT_PassengerFlowRegionParam& param : qAsConst(mapParams)) {
            DL_LOG(2, "CLS_DataMediator::InitRegionParam Param.m_qstrRegionID(%s)", qUtf8Printable(param.m_qstrRegionID));
            ++m_iRegionNum;
        }
    }
    const QString strNowMonth = PassengerFlowNow().toString("yyyyMM");
    QMap<QString, STRCT_PassengerFlowCounts> mapTotals;
    int iResult = 0;
    for (const STRCT_PassengerFlowRegionParam& param : qAsConst(mapParams)) {
        STRCT_PassengerFlowCounts counts;
        if (CLS_DataAccess::GetInstance().SearchPassengerFlowTotal(param.m_qstrRegionID, param.m_qstrClearTime,
                                                                   strNowMonth, counts) != 0) {
            DL_LOG(2, "CLS_DataMediator::InitRegionParam SearchTotal failed RegionID=%s",
                   qUtf8Printable(param.m_qstrRegionID));
            iResult = -1;
        }
        mapTotals.insert(param.m_qstrRegionID, counts);
    }
    ReadLocker paramLocker(&m_lockPassengerFlowRegionParam);
    WriteLocker locker(&m_lockPassengerFlowRegionRealTime);
    // Live states of regions no longer loaded (deleted elsewhere, or of an earlier user) go:
    // they would keep raising alarms.
    for (auto it = m_qmapPassengerFlowRegionRealTime.begin();
         it != m_qmapPassengerFlowRegionRealTime.end();) {
        if (m_qmapPassengerFlowRegionParam.contains(it.key())) {
            ++it;
        } else {
            it = m_qmapPassengerFlowRegionRealTime.erase(it);
        }
    }
    for (const STRCT_PassengerFlowRegionParam& loaded : qAsConst(mapParams)) {
        // The parameter as held now: the region may have been saved or removed meanwhile.
        const auto itParam = m_qmapPassengerFlowRegionParam.constFind(loaded.m_qstrRegionID);
        if (itParam == m_qmapPassengerFlowRegionParam.constEnd()) {
            continue;
        }
        const STRCT_PassengerFlowRegionParam& param = itParam.value();
        const STRCT_PassengerFlowCounts counts = mapTotals.value(param.m_qstrRegionID);
        // The totals are set, not added to those of an earlier load.
        STRCT_PassengerFlowRegionRealTime& state = m_qmapPassengerFlowRegionRealTime[param.m_qstrRegionID];
        state.m_iInTotal = state.m_iOutTotal = state.m_iPassTotal = 0;
        STRCT_PassengerFlowReport report;
        report.m_iIn = ClampedSum(counts.m_i64In, 0);
        report.m_iOut = ClampedSum(counts.m_i64Out, 0);
        report.m_iPass = ClampedSum(counts.m_i64Pass, 0);
        FoldPassengerFlowReport(param, report);
    }
    return iResult;
}

int CLS_DataMediator::UpdateRegionParam(const STRCT_PassengerFlowRegionParam& _param)
{
    if (m_strUserID.isEmpty() || _param.m_qstrRegionID.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::UpdateRegionParam m_strUserID.isEmpty() || m_qstrRegionID.isEmpty()");
        return -1;
    }
    STRCT_PassengerFlowRegionParam param = _param;
    param.m_qstrClearTime = PassengerFlowNow().toString(kTimeFormat);
    for (STRCT_PassengerFlowRegionChannel& channel : param.m_qvecChannels) {
        if (channel.m_qstrChannelID.isEmpty()) {
            channel.m_qstrChannelID = QUuid::createUuid().toString(QUuid::Id128);
        }
    }
    if (CLS_DataAccess::GetInstance().UpdatePassengerFlowRegion(param, m_strUserID, param.m_qstrClearTime) != 0) {
        DL_LOG(2, "CLS_DataMediator::UpdateRegionParam UpdateRegionParam fail RegionID=%s",
               qUtf8Printable(param.m_qstrRegionID));
        return -1;
    }
    WriteLocker locker(&m_lockPassengerFlowRegionParam);
    UpdateRegionParamFromMemory(param, m_qmapPassengerFlowRegionParam);
    DL_LOG(2, "CLS_DataMediator::UpdateRegionParam m_qmapPassengerFlowRegionParam.size(%d)",
           m_qmapPassengerFlowRegionParam.size());
    for (auto it = m_qmapPassengerFlowRegionParam.cbegin(); it != m_qmapPassengerFlowRegionParam.cend(); ++it) {
        DL_LOG(2, "CLS_DataMediator::UpdateRegionParam Param.m_qstrRegionID(%s)", qUtf8Printable(it.key()));
    }
    // The stored counting restarted now; a live state of the region restarts with it.
    WriteLocker stateLocker(&m_lockPassengerFlowRegionRealTime);
    const auto itState = m_qmapPassengerFlowRegionRealTime.find(param.m_qstrRegionID);
    if (itState != m_qmapPassengerFlowRegionRealTime.end()) {
        ResetState(param, itState.value());
    }
    return 0;
}

void CLS_DataMediator::UpdateRegionParamFromMemory(const STRCT_PassengerFlowRegionParam& _param,
                                                   PassengerFlowRegionParamMap& _mapParams)
{
    const bool bAdded = !_mapParams.contains(_param.m_qstrRegionID);
    _mapParams.insert(_param.m_qstrRegionID, _param);
    // A new region counts: the periodic processing skips everything while the count is 0.
    if (bAdded && &_mapParams == &m_qmapPassengerFlowRegionParam) {
        ++m_iRegionNum;
    }
}

int CLS_DataMediator::DeleteRegionParam(const STRCT_PassengerFlowRegionParam& _param)
{
    if (m_strUserID.isEmpty() || _param.m_qstrRegionID.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::DeleteRegionParam m_strUserID.isEmpty() || m_qstrRegionID.isEmpty()");
        return -1;
    }
    if (CLS_DataAccess::GetInstance().DeletePassengerFlowRegions({_param.m_qstrRegionID}, m_strUserID) != 0) {
        DL_LOG(2, "CLS_DataMediator::DeleteRegionParam DeleteRegionParam fail RegionID=%s",
               qUtf8Printable(_param.m_qstrRegionID));
        return -1;
    }
    WriteLocker locker(&m_lockPassengerFlowRegionParam);
    if (m_qmapPassengerFlowRegionParam.remove(_param.m_qstrRegionID) > 0) {
        DL_LOG(2, "CLS_DataMediator::DeleteRegionParam m_qmapPassengerFlowRegionParam.remove(%s)",
               qUtf8Printable(_param.m_qstrRegionID));
        m_iRegionNum = qMax(m_iRegionNum - 1, 0);
    }
    // A removed region raises no more alarms.
    WriteLocker stateLocker(&m_lockPassengerFlowRegionRealTime);
    m_qmapPassengerFlowRegionRealTime.remove(_param.m_qstrRegionID);
    return 0;
}

int CLS_DataMediator::RecountPassengerFlowRegionResult(const QString& _qstrRegionID)
{
    const QString strClearTime = PassengerFlowNow().toString(kTimeFormat);
    // Both locks through the store: a region removed meanwhile gets no live state back.
    WriteLocker locker(&m_lockPassengerFlowRegionParam);
    const auto itParam = m_qmapPassengerFlowRegionParam.find(_qstrRegionID);
    if (itParam == m_qmapPassengerFlowRegionParam.end()) {
        DL_LOG(3, "CLS_DataMediator::RecountPassengerFlowRegionResult no region RegionID=%s",
               qUtf8Printable(_qstrRegionID));
        return -1;
    }
    WriteLocker stateLocker(&m_lockPassengerFlowRegionRealTime);
    if (CLS_DataAccess::GetInstance().UpdatePassengerFlowRegionClearTime(_qstrRegionID, strClearTime) != 0) {
        DL_LOG(2, "CLS_DataMediator::RecountPassengerFlowRegionResult UpdateRegionClearTime fail RegionID=%s",
               qUtf8Printable(_qstrRegionID));
        return -1;
    }
    STRCT_PassengerFlowRegionRealTime& state = m_qmapPassengerFlowRegionRealTime[_qstrRegionID];
    state.m_qstrRegionID = _qstrRegionID;
    ResetState(itParam.value(), state);
    itParam->m_qstrClearTime = strClearTime;
    return 0;
}

void CLS_DataMediator::RecountAllPassengerFlowRegionsAtMidnight()
{
    if (PassengerFlowNow().toString("hh:mm:ss") != QLatin1String("00:00:00")) {
        return;
    }
    QStringList lstRegionIDs;
    {
        ReadLocker locker(&m_lockPassengerFlowRegionRealTime);
        lstRegionIDs = m_qmapPassengerFlowRegionRealTime.keys();
    }
    for (const QString& strRegionID : qAsConst(lstRegionIDs)) {
        RecountPassengerFlowRegionResult(strRegionID);
    }
}

int CLS_DataMediator::DealAllPassengerFlowInfo()
{
    ReadLocker locker(&m_lockPassengerFlowRegionParam);
    if (m_iRegionNum < 1) {
        return 0;
    }
    if (m_qmapPassengerFlowRegionParam.size() != m_iRegionNum) {
        DL_LOG(2, "CLS_DataMediator::DealAllPassengerFlowInfo m_iRegionNum(%d) Paramsize(%d)", m_iRegionNum,
               m_qmapPassengerFlowRegionParam.size());
        for (auto it = m_qmapPassengerFlowRegionParam.cbegin(); it != m_qmapPassengerFlowRegionParam.cend(); ++it) {
            DL_LOG(2, "CLS_DataMediator::DealAllPassengerFlowInfo Param.m_qstrRegionID(%s)", qUtf8Printable(it.key()));
        }
    }
    const QDateTime now = PassengerFlowNow();
    const bool bPrune = now.time().second() == 10;
    const QDateTime pruneBefore = now.addSecs(-10 - 600);
    for (const STRCT_PassengerFlowRegionParam& param : qAsConst(m_qmapPassengerFlowRegionParam)) {
        WriteLocker stateLocker(&m_lockPassengerFlowRegionRealTime);
        const auto itState = m_qmapPassengerFlowRegionRealTime.find(param.m_qstrRegionID);
        if (itState == m_qmapPassengerFlowRegionRealTime.end()) {
            continue;
        }
        STRCT_PassengerFlowRegionRealTime& state = itState.value();
        // Surge: the people in within the window; older slots leave the map.
        const QDateTime windowStart = now.addSecs(-qint64(param.m_iShootUpTime));
        qint64 i64Sum = 0;
        for (auto it = state.m_qmapShootUpSlots.begin(); it != state.m_qmapShootUpSlots.end();) {
            const QDateTime slot = ParseTime(it.key());
            if (slot.isValid() && slot.secsTo(windowStart) < 1) {
                i64Sum += it.value();
                ++it;
            } else {
                it = state.m_qmapShootUpSlots.erase(it);
            }
        }
        const bool bSurge = param.m_iShootUpAlarmEnable != 0 && i64Sum > param.m_iShootUpNumber;
        state.m_iShootUpCount = bSurge ? ClampedSum(state.m_iShootUpCount, 1) : 0;
        if (!bPrune) {
            continue;
        }
        for (auto it = state.m_qmapMinuteSlots.begin(); it != state.m_qmapMinuteSlots.end();) {
            const QDateTime slot = ParseTime(it.key());
            if (slot.isValid() && slot.secsTo(pruneBefore) < 1) {
                ++it;
            } else {
                it = state.m_qmapMinuteSlots.erase(it);
            }
        }
    }
    return 0;
}

void CLS_DataMediator::CollectPassengerFlowAlarms(QMap<QString, qint32>& _qmapCapacityAlarm,
                                                  QMap<QString, qint32>& _qmapShootUpAlarm,
                                                  QMap<QString, qint32>& _qmapCapacityRepeat,
                                                  QMap<QString, qint32>& _qmapShootUpRepeat)
{
    // The intervals are read before the live-state lock is taken.
    const PassengerFlowRegionParamMap mapParams = GetPassengerFlowRegionParams();
    WriteLocker locker(&m_lockPassengerFlowRegionRealTime);
    for (auto it = m_qmapPassengerFlowRegionRealTime.begin(); it != m_qmapPassengerFlowRegionRealTime.end(); ++it) {
        STRCT_PassengerFlowRegionRealTime& state = it.value();
        const QString& strRegionID = it.key();
        if (state.m_iCapacityAlarmState == 1) {
            --state.m_iCapacityAlarmCountdown;
        }
        if (state.m_iShootUpAlarmState == 1) {
            --state.m_iShootUpAlarmCountdown;
        }
        const bool bCapacityEnded =
            StepAlarm(strRegionID, state.m_iOverCapacityCount, state.m_iCapacityAlarmState, _qmapCapacityAlarm);
        const bool bShootUpEnded =
            StepAlarm(strRegionID, state.m_iShootUpCount, state.m_iShootUpAlarmState, _qmapShootUpAlarm);
        if (state.m_iOverCapacityCount >= 1 && state.m_iCapacityAlarmState == 1 && state.m_iCapacityAlarmCountdown == 0) {
            _qmapCapacityRepeat.insert(strRegionID, 1);
        }
        if (state.m_iShootUpCount >= 1 && state.m_iShootUpAlarmState == 1 && state.m_iShootUpAlarmCountdown == 0) {
            _qmapShootUpRepeat.insert(strRegionID, 1);
        }
        if (state.m_iCapacityAlarmCountdown < 1 || state.m_iShootUpAlarmCountdown < 1 || bCapacityEnded ||
            bShootUpEnded) {
            const qint32 iInterval = AlarmInterval(mapParams.value(strRegionID));
            if (!(state.m_iCapacityAlarmCountdown > 0 && !bCapacityEnded)) {
                state.m_iCapacityAlarmCountdown = iInterval;
            }
            if (!(state.m_iShootUpAlarmCountdown > 0 && !bShootUpEnded)) {
                state.m_iShootUpAlarmCountdown = iInterval;
            }
        }
    }
}

void CLS_DataMediator::UpdateRegionOccupancy(const STRCT_PassengerFlowRegionParam& _param)
{
    ReadLocker paramLocker(&m_lockPassengerFlowRegionParam);
    if (!m_qmapPassengerFlowRegionParam.contains(_param.m_qstrRegionID)) {
        DL_LOG(3, "CLS_DataMediator::UpdateRegionOccupancy no region RegionID=%s",
               qUtf8Printable(_param.m_qstrRegionID));
        return;
    }
    WriteLocker locker(&m_lockPassengerFlowRegionRealTime);
    STRCT_PassengerFlowRegionRealTime& state = m_qmapPassengerFlowRegionRealTime[_param.m_qstrRegionID];
    state.m_qstrRegionID = _param.m_qstrRegionID;
    ApplyOccupancy(_param, state);
}

void CLS_DataMediator::DropPassengerFlowRegions()
{
    WriteLocker locker(&m_lockPassengerFlowRegionParam);
    m_qmapPassengerFlowRegionParam.clear();
    m_iRegionNum = 0;
    WriteLocker stateLocker(&m_lockPassengerFlowRegionRealTime);
    m_qmapPassengerFlowRegionRealTime.clear();
}

int CLS_DataMediator::GetPassengerFlowStatistics(const CLS_PassengerFlowStatisticConditionEntity& _condition,
                                                 QMap<QString, STRCT_PassengerFlowCounts>& _mapResult)
{
    return CLS_DataAccess::GetInstance().GetPassengerFlowStatistics(_condition, _mapResult);
}

int CLS_DataMediator::DeletePassengerFlowInfoBefore(const QString& _qstrMonth)
{
    return CLS_DataAccess::GetInstance().DeletePassengerFlowInfoBefore(_qstrMonth);
}

int CLS_DataMediator::DeleteRegionChannels(const QStringList& _qlstChannelObjIDs)
{
    if (m_strUserID.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::DeleteRegionChannels m_strUserID.isEmpty()");
        return -1;
    }
    const int iRet = CLS_DataAccess::GetInstance().DeletePassengerFlowRegionChannels(_qlstChannelObjIDs, m_strUserID);
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::DeleteRegionChannels iRet = %d", iRet);
        return -1;
    }
    WriteLocker locker(&m_lockPassengerFlowRegionParam);
    for (STRCT_PassengerFlowRegionParam& param : m_qmapPassengerFlowRegionParam) {
        auto& vecChannels = param.m_qvecChannels;
        vecChannels.erase(std::remove_if(vecChannels.begin(), vecChannels.end(),
                                         [&](const STRCT_PassengerFlowRegionChannel& _channel) {
                                             return _qlstChannelObjIDs.contains(_channel.m_qstrChannelObjID);
                                         }),
                          vecChannels.end());
    }
    return 0;
}

PassengerFlowRegionParamMap CLS_DataMediator::GetPassengerFlowRegionParams()
{
    ReadLocker locker(&m_lockPassengerFlowRegionParam);
    return m_qmapPassengerFlowRegionParam;
}

bool CLS_DataMediator::GetPassengerFlowRegionRealTime(const QString& _qstrRegionID,
                                                      STRCT_PassengerFlowRegionRealTime& _state)
{
    ReadLocker locker(&m_lockPassengerFlowRegionRealTime);
    const auto it = m_qmapPassengerFlowRegionRealTime.constFind(_qstrRegionID);
    if (it == m_qmapPassengerFlowRegionRealTime.constEnd()) {
        return false;
    }
    _state = it.value();
    return true;
}

int CLS_DataMediator::GetPassengerFlowRegionNum()
{
    ReadLocker locker(&m_lockPassengerFlowRegionParam);
    return m_iRegionNum;
}
