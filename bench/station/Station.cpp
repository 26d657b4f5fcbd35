#include "Station.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>
#include <QUuid>

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>

namespace station {

// ---- statistics ----

double OpStats::percentile(double _dPercent) const
{
    if (m_vecMs.empty()) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    std::vector<double> vecSorted = m_vecMs;
    std::sort(vecSorted.begin(), vecSorted.end());
    const double dRank = std::ceil(_dPercent / 100.0 * static_cast<double>(vecSorted.size()));
    const size_t uIndex = static_cast<size_t>(std::max(1.0, dRank)) - 1;
    return vecSorted[std::min(uIndex, vecSorted.size() - 1)];
}

double OpStats::max() const
{
    return m_vecMs.empty() ? std::numeric_limits<double>::quiet_NaN()
                           : *std::max_element(m_vecMs.begin(), m_vecMs.end());
}

namespace {

QJsonValue number(double _d)
{
    return std::isnan(_d) ? QJsonValue(QJsonValue::Null) : QJsonValue(std::round(_d * 1000.0) / 1000.0);
}

}  // namespace

QJsonObject OpStats::toJson() const
{
    QJsonArray samples;
    for (double d : m_vecMs) {
        samples.append(std::round(d * 1000.0) / 1000.0);
    }
    return QJsonObject{{"count", count()},
                       {"errors", errors()},
                       {"p50_ms", number(percentile(50))},
                       {"p99_ms", number(percentile(99))},
                       {"max_ms", number(max())},
                       {"samples_ms", samples}};
}

bool SiteFacts::load(const QString& _strPath)
{
    QFile file(_strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QJsonObject obj = QJsonDocument::fromJson(file.readAll()).object();
    strLastDay = obj.value("last_day").toString();
    iAlarmDays = obj.value("alarm_days").toInt();
    strFaceFirstDay = obj.value("face_first_day").toString();
    iRecordingDays = obj.value("recording_days").toInt();
    strFlowFirstDay = obj.value("flow_first_day").toString();
    lstFlowChannels.clear();
    for (const QJsonValue& v : obj.value("flow_channels").toArray()) {
        lstFlowChannels << v.toString();
    }
    lstFaceChannels.clear();
    for (const QJsonValue& v : obj.value("face_channels").toArray()) {
        lstFaceChannels << v.toString();
    }
    return QDate::fromString(strLastDay, Qt::ISODate).isValid() && iAlarmDays > 0 &&
           QDate::fromString(strFaceFirstDay, Qt::ISODate).isValid() && iRecordingDays > 0 &&
           QDate::fromString(strFlowFirstDay, Qt::ISODate).isValid() && !lstFlowChannels.isEmpty() &&
           !lstFaceChannels.isEmpty();
}

// A busy control room, per operator station (see docs/capacity.md for the reasoning): the alarm
// log panel refreshes its page and count, the operator looks up captures and recordings, checks
// the passenger-flow figures now and then and switches views; the alarm receiver writes the
// site's alarms and the counting cameras' reports as they come.
const std::vector<Rate>& mixRates()
{
    static const std::vector<Rate> s_rates{
        {"alarm_page", 5, false}, {"alarm_count", 5, false}, {"face_search", 15, false},
        {"playback", 10, false},  {"flow_stats", 30, false}, {"view_read", 10, false},
        {"alarm_write", 1, true}, {"flow_report", 2, true},
    };
    return s_rates;
}

// ---- the station ----

Station::Station(I_DataMediator& _mediator, const SiteFacts& _site, const Options& _options)
    : m_mediator(_mediator), m_site(_site), m_options(_options), m_random(_options.uSeed)
{
}

bool Station::timed(const QString& _strKind, const std::function<bool()>& _fn)
{
    QElapsedTimer timer;
    timer.start();
    const bool bOk = _fn();
    const double dMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    OpStats& stats = m_mapStats[_strKind];
    if (bOk) {
        stats.addSuccess(dMs);
    } else {
        stats.addError();
    }
    return bOk;
}

QString Station::nowText() const
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString Station::randomChannel()
{
    if (m_lstChannels.isEmpty()) {
        return QStringLiteral("none");
    }
    return m_lstChannels[static_cast<int>(m_random() % static_cast<quint32>(m_lstChannels.size()))];
}

QString Station::randomDaySince(const QString& _strFirst)
{
    const QDate last = QDate::fromString(m_site.strLastDay, Qt::ISODate);
    const qint64 i64Days = std::max<qint64>(1, QDate::fromString(_strFirst, Qt::ISODate).daysTo(last) + 1);
    return last.addDays(-static_cast<qint64>(m_random() % static_cast<quint64>(i64Days)))
        .toString(Qt::ISODate);
}

bool Station::startUp()
{
    if (!timed("login",
               [&] { return m_mediator.LoginUser(m_options.strUser, m_options.strPassword) == 0; })) {
        return false;
    }
    if (!timed("tree_load", [&] { return m_mediator.InitTreeNodeData() == 0; })) {
        return false;
    }
    m_lstChannels.clear();
    for (const STRCT_VideoItem* pHost : m_mediator.GetAllHostItems()) {
        for (const STRCT_VideoItem* pChild : pHost->m_vecChilds) {
            const QString strId = QString::fromStdString(pChild->m_strID);
            if (strId.contains(QLatin1String("-c"))) {
                m_lstChannels << strId;
            }
        }
    }
    // The settings swallow their own failures; the version entry is always stored, so an empty
    // answer is a failed read.
    if (!timed("settings", [&] {
            m_mediator.GetLocalGeneralSettingInfo();
            return !m_mediator.GetVersionInfo().isEmpty();
        })) {
        return false;
    }
    if (!timed("alarm_types", [&] {
            QList<CLS_AlarmMainTypeEntity*> lstMain;
            QList<CLS_AlarmSubTypeEntity*> lstSub;
            const bool bOk = m_mediator.GetAllAdapterAlarmInfo("EN") != nullptr &&
                             m_mediator.GetAllAlarmMainType(lstMain) == 0 &&
                             m_mediator.GetAllAlarmSubType(lstSub) == 0 && !lstMain.isEmpty();
            qDeleteAll(lstMain);
            qDeleteAll(lstSub);
            return bOk;
        })) {
        return false;
    }
    // Every seeded user has linkage rules: -1 ("nothing to load") is a failed read here.
    return timed("linkage", [&] { return m_mediator.StartGetAlarmLinkInfo() == 0; });
}

bool Station::runOnce(const QString& _strKind)
{
    if (_strKind == QLatin1String("alarm_page") || _strKind == QLatin1String("alarm_count")) {
        STRCT_AlarmSearchCondition condition;
        // The panel shows the last day; one search in twenty looks back a month.
        const bool bMonth = m_random() % 20 == 0;
        const QDateTime end = QDateTime::fromString(m_site.strLastDay + " 23:59:59", Qt::ISODate);
        condition.m_strEndTime =
            nowText() > end.toString("yyyy-MM-dd hh:mm:ss") ? nowText() : end.toString("yyyy-MM-dd hh:mm:ss");
        condition.m_strStartTime = end.addDays(bMonth ? -30 : -1).toString("yyyy-MM-dd hh:mm:ss");
        condition.m_iPageNum = 1 + static_cast<int>(m_random() % 5);
        if (_strKind == QLatin1String("alarm_page")) {
            return timed(_strKind, [&] {
                QVector<STRCT_AlarmRecord> vecOut;
                return m_mediator.SearchAlarmRecord(condition, vecOut) && !vecOut.isEmpty();
            });
        }
        // The count reads 0 for a failure; every window of the seeded log holds records.
        return timed(_strKind, [&] { return m_mediator.GetAlarmRecordCount(condition) > 0; });
    }
    if (_strKind == QLatin1String("face_search")) {
        CLS_IntelligentDataRecSearchEntity search;
        const QString strDay = randomDaySince(m_site.strFaceFirstDay);
        search.m_strStartTime = strDay + " 00:00:00";
        search.m_strEndTime = strDay + " 23:59:59";
        search.m_iGender = static_cast<qint32>(m_random() % 2);
        search.m_iPageSize = 50;
        search.m_iPageNumber = 1;
        for (int i = 0; i < 4; ++i) {
            search.m_lstChannelIDs << m_site.lstFaceChannels[static_cast<int>(
                m_random() % static_cast<quint32>(m_site.lstFaceChannels.size()))];
        }
        return timed(_strKind, [&] {
            QVector<CLS_IntelligentDataRecEntity*> vecCaptures;
            const int iRet = m_mediator.SearchFaceCapture(search, vecCaptures);
            qDeleteAll(vecCaptures);
            return iRet >= 0 && m_mediator.GetFaceCaptureCount(search) >= 0;
        });
    }
    if (_strKind == QLatin1String("playback")) {
        CLS_RecFileSearchEntity search;
        search.m_strChannelID = randomChannel();
        const QDate first =
            QDate::fromString(m_site.strLastDay, Qt::ISODate).addDays(1 - m_site.iRecordingDays);
        const QString strDay = randomDaySince(first.toString(Qt::ISODate));
        search.m_strStartTime = strDay + " 00:00:00";
        search.m_strEndTime = strDay + " 23:59:59";
        return timed(_strKind, [&] {
            QVector<CLS_RecFileEntity*> vecFiles;
            const int iRet = m_mediator.SearchPlaybackRecFile(search, vecFiles);
            const bool bFound = !vecFiles.isEmpty();
            qDeleteAll(vecFiles);
            // Every channel of the site records all day.
            return iRet == 0 && bFound;
        });
    }
    if (_strKind == QLatin1String("flow_stats")) {
        CLS_PassengerFlowStatisticConditionEntity condition;
        condition.m_qstrDate = randomDaySince(m_site.strFlowFirstDay);
        condition.m_iPeriod = m_random() % 4 == 0 ? CLS_PassengerFlowStatisticConditionEntity::pdMonth
                                                  : CLS_PassengerFlowStatisticConditionEntity::pdDay;
        const int iFirst = static_cast<int>(m_random() % static_cast<quint32>(m_site.lstFlowChannels.size()));
        for (int i = 0; i < 16; ++i) {
            condition.m_qlstChannelObjIDs
                << m_site.lstFlowChannels[(iFirst + i) % m_site.lstFlowChannels.size()];
        }
        return timed(_strKind, [&] {
            QMap<QString, STRCT_PassengerFlowCounts> mapResult;
            return m_mediator.GetPassengerFlowStatistics(condition, mapResult) == 0 && !mapResult.isEmpty();
        });
    }
    if (_strKind == QLatin1String("view_read")) {
        return timed(_strKind, [&] {
            QVector<CLS_ViewEntity*> vecViews;
            const int iRet = m_mediator.GetAllView(vecViews);
            QString strId;
            if (!vecViews.isEmpty()) {
                strId = vecViews[static_cast<int>(m_random() % static_cast<quint32>(vecViews.size()))]->S_ID;
            }
            qDeleteAll(vecViews);
            if (iRet != 0) {
                return false;
            }
            CLS_ViewEntity view;
            return strId.isEmpty() || m_mediator.GetViewById(strId, view) == 0;
        });
    }
    if (_strKind == QLatin1String("alarm_write")) {
        STRCT_NewAlarmRecord record;
        record.m_strCameraID = randomChannel();
        record.m_strCameraCaption = record.m_strCameraID;
        record.m_iCameraType = 5;
        record.m_iAlarmType = 1 + static_cast<qint32>(m_random() % 12);
        record.m_iIsAlarm = 1;
        record.m_iLevel = 1 + static_cast<qint32>(m_random() % 5);
        return timed(_strKind, [&] { return m_mediator.InsertAlarmRecord(m_options.strUser, record); });
    }
    if (_strKind == QLatin1String("flow_report")) {
        CLS_PassengerFlowEntity entity;
        const QDateTime now = QDateTime::currentDateTime();
        entity.S_ID = QUuid::createUuid().toString(QUuid::Id128);
        entity.S_CHANNEL_OBJ_ID = m_site.lstFlowChannels[static_cast<int>(
            m_random() % static_cast<quint32>(m_site.lstFlowChannels.size()))];
        entity.DT_DATE = now.toString("yyyy-MM-dd");
        entity.DT_TIME = QString("%1:%2:00")
                             .arg(now.time().hour(), 2, 10, QLatin1Char('0'))
                             .arg(now.time().minute() / 15 * 15, 2, 10, QLatin1Char('0'));
        entity.I_IN_NUMBER = 1 + static_cast<qint32>(m_random() % 5);
        entity.I_OUT_NUMBER = static_cast<qint32>(m_random() % 5);
        entity.I_PASS_NUMBER = 1;
        return timed(_strKind, [&] { return m_mediator.AddPassengerFlowInfo(entity) == 0; });
    }
    return false;
}

void Station::runMix()
{
    struct Next
    {
        double dAtS;
        size_t uKind;
        bool operator>(const Next& _other) const { return dAtS > _other.dAtS; }
    };
    const std::vector<Rate>& rates = mixRates();
    std::priority_queue<Next, std::vector<Next>, std::greater<Next>> queue;
    auto interval = [&](size_t _uKind) {
        std::exponential_distribution<double> exp(m_options.dRateScale / rates[_uKind].dEveryS);
        return exp(m_random);
    };
    for (size_t k = 0; k < rates.size(); ++k) {
        if (!rates[k].bReceiverOnly || m_options.bReceiver) {
            queue.push({interval(k), k});
        }
    }
    QElapsedTimer clock;
    clock.start();
    while (!queue.empty()) {
        const Next next = queue.top();
        queue.pop();
        if (next.dAtS >= m_options.dDurationS) {
            continue;
        }
        const double dNowS = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (next.dAtS > dNowS) {
            QThread::usleep(static_cast<unsigned long>((next.dAtS - dNowS) * 1e6));
        } else {
            m_dMaxLagMs = std::max(m_dMaxLagMs, (dNowS - next.dAtS) * 1e3);
        }
        runOnce(QString::fromLatin1(rates[next.uKind].pszKind));
        queue.push({next.dAtS + interval(next.uKind), next.uKind});
    }
    m_dElapsedS = static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

QJsonObject Station::report() const
{
    QJsonObject ops;
    for (auto it = m_mapStats.cbegin(); it != m_mapStats.cend(); ++it) {
        ops.insert(it.key(), it.value().toJson());
    }
    return QJsonObject{{"user", m_options.strUser},          {"receiver", m_options.bReceiver},
                       {"duration_s", m_options.dDurationS}, {"elapsed_s", m_dElapsedS},
                       {"rate_scale", m_options.dRateScale}, {"tree_channels", m_lstChannels.size()},
                       {"max_lag_ms", m_dMaxLagMs},          {"ops", ops}};
}

}  // namespace station
