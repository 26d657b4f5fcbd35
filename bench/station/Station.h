// One simulated operator station: the start-up a GUI client makes (login, resource tree,
// settings, alarm catalogue and linkage), then a timed mix of the operations of a busy control
// room, all through I_DataMediator. Every operation's result is checked: a failure counts as an
// error and never as a latency.
#ifndef BENCH_STATION_STATION_H
#define BENCH_STATION_STATION_H

#include "I_DataMediator.h"

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <random>
#include <vector>

namespace station {

/// Latencies of the successful calls of one kind, and the number of failed ones.
class OpStats
{
public:
    void addSuccess(double _dMs) { m_vecMs.push_back(_dMs); }
    void addError() { ++m_iErrors; }
    int count() const { return static_cast<int>(m_vecMs.size()); }
    int errors() const { return m_iErrors; }
    /// Nearest rank: the smallest sample with at least _dPercent % of the samples at or below it.
    /// NaN without samples.
    double percentile(double _dPercent) const;
    double max() const;
    const std::vector<double>& samples() const { return m_vecMs; }
    /// count, errors, p50_ms, p99_ms, max_ms (null without samples) and the samples.
    QJsonObject toJson() const;

private:
    std::vector<double> m_vecMs;
    int m_iErrors = 0;
};

/// What the seeder wrote, as the station needs it to ask sensible questions.
struct SiteFacts
{
    QString strLastDay;           ///< "yyyy-MM-dd": the newest day of the seeded history
    int iAlarmDays = 0;           ///< days of alarm records up to the last day
    QString strFaceFirstDay;      ///< first day with face captures
    int iRecordingDays = 0;       ///< days of the recording index up to the last day
    QString strFlowFirstDay;      ///< first day with passenger-flow counts
    QStringList lstFlowChannels;  ///< channels with passenger-flow counts
    QStringList lstFaceChannels;  ///< channels with face captures
    /// From the seeder's site.json; false when unreadable.
    bool load(const QString& _strPath);
};

struct Options
{
    QString strUser;
    QString strPassword;
    double dDurationS = 60;
    bool bReceiver = false;  ///< also writes alarm records and passenger-flow reports
    double dRateScale = 1;   ///< multiplies every rate of the mix
    quint32 uSeed = 1;
};

/// Mean seconds between two operations of a kind, per station (before the rate scale).
struct Rate
{
    const char* pszKind;
    double dEveryS;
    bool bReceiverOnly;
};
const std::vector<Rate>& mixRates();

class Station
{
public:
    Station(I_DataMediator& _mediator, const SiteFacts& _site, const Options& _options);

    /// Login, tree, settings, alarm types and linkage, each timed under its own kind
    /// ("login", "tree_load", "settings", "alarm_types", "linkage"). False at the first failure.
    bool startUp();
    /// The mix for the duration of the options (Poisson arrivals per kind, one caller thread, as
    /// a GUI's worker runs them).
    void runMix();
    /// One operation of the mix by kind; false for a failure or an unknown kind.
    bool runOnce(const QString& _strKind);

    /// A failure outside the operations above (the connection, say).
    void addError(const QString& _strKind) { m_mapStats[_strKind].addError(); }
    const QMap<QString, OpStats>& stats() const { return m_mapStats; }
    QJsonObject report() const;
    /// The largest delay between an operation's planned and actual start (the station fell
    /// behind its own schedule by this much).
    double maxLagMs() const { return m_dMaxLagMs; }

private:
    bool timed(const QString& _strKind, const std::function<bool()>& _fn);
    QString randomChannel();
    /// A day from _strFirst to the site's last day, both included.
    QString randomDaySince(const QString& _strFirst);
    QString nowText() const;

    I_DataMediator& m_mediator;
    SiteFacts m_site;
    Options m_options;
    std::mt19937 m_random;
    QStringList m_lstChannels;  ///< the channels of the operator's tree
    QStringList m_lstViewIds;
    QMap<QString, OpStats> m_mapStats;
    double m_dMaxLagMs = 0;
    double m_dElapsedS = 0;
};

}  // namespace station

#endif
