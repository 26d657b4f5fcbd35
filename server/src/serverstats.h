// Running figures of the server: connections per channel, requests answered and refused, and
// per-command latency percentiles. Read by the ServerStatus command and the metrics endpoint.
#ifndef TESSEL_SERVER_SERVERSTATS_H
#define TESSEL_SERVER_SERVERSTATS_H

#include <QByteArray>
#include <QElapsedTimer>

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>

namespace tessel::server {

/// Latencies of one command in a fixed set of logarithmic buckets (1 µs .. ~1 hour, about 12 %
/// apart), so memory stays bounded however many requests are served. A percentile is the upper
/// bound of the bucket it falls in.
class LatencyHistogram
{
public:
    static constexpr int kBucketCount = 192;

    void add(qint64 nanoseconds);
    quint64 count() const { return m_count; }
    /// Upper bound in seconds of the bucket holding quantile `q` (0..1); 0 when empty.
    double quantile(double q) const;
    double sumSeconds() const { return m_sumSeconds; }
    /// Upper bound of bucket `index` in seconds.
    static double bucketBound(int index);
    static int bucketOf(qint64 nanoseconds);

private:
    std::array<quint64, kBucketCount> m_buckets{};
    quint64 m_count = 0;
    double m_sumSeconds = 0;
};

/// Request latencies counted against fixed upper bounds, as a Prometheus histogram shows them.
class BoundedLatencies
{
public:
    static constexpr int kBoundCount = 16;
    /// Upper bounds in seconds, ascending; +Inf follows them.
    static const std::array<double, kBoundCount>& bounds();

    void add(qint64 nanoseconds);
    /// Requests that took at most bounds()[i], for every i.
    std::array<quint64, kBoundCount> cumulative() const;

private:
    std::array<quint64, kBoundCount> m_counts{};  // per bound, not cumulative
};

class ServerStats
{
public:
    static constexpr int kChannelCount = 4;
    static constexpr const char kUnknownCommand[] = "(unknown)";

    ServerStats();

    void connectionOpened(int channel);
    void connectionClosed(int channel);
    /// One answered request: `refused` when the answer was an error. Commands are counted under
    /// their name; callers pass kUnknownCommand for names no handler has, so a client cannot
    /// grow the table at will.
    void requestDone(const QByteArray& command, qint64 latencyNs, bool refused);
    /// A request turned away before it reached a handler (too large, unreadable, shutting down).
    void requestRefused();

    struct CommandFigures
    {
        quint64 served = 0;
        quint64 refused = 0;
        double p50Seconds = 0;
        double p99Seconds = 0;
        double sumSeconds = 0;
        std::array<quint64, BoundedLatencies::kBoundCount> atMost{};  ///< see BoundedLatencies
    };
    struct Snapshot
    {
        qint64 uptimeMs = 0;
        std::array<int, kChannelCount> connections{};  ///< open now, by channel 1..4
        quint64 connectionsTotal = 0;                  ///< accepted since start
        quint64 served = 0;
        quint64 refused = 0;                ///< every refusal, those below included
        quint64 refusedBeforeDispatch = 0;  ///< too large, unreadable header, shutting down
        std::map<QByteArray, CommandFigures> commands;
    };
    Snapshot snapshot() const;

private:
    struct Command
    {
        quint64 served = 0;
        quint64 refused = 0;
        LatencyHistogram latency;
        BoundedLatencies bounded;
    };

    QElapsedTimer m_started;
    std::array<std::atomic<int>, kChannelCount> m_connections{};
    std::atomic<quint64> m_connectionsTotal{0};
    std::atomic<quint64> m_refusedEarly{0};
    mutable std::mutex m_mutex;
    std::map<QByteArray, Command> m_commands;  // guarded by m_mutex
};

/// The request the calling thread is working on, for log lines written below the dispatcher.
struct RequestContext
{
    quint64 connectionId = 0;
    qint64 requestId = -1;
    bool active = false;
};
RequestContext& currentRequest();

/// Lives as long as one request is handled: marks the calling thread as working on it (for the
/// log) and, when it ends, counts the request as refused unless succeeded() was called, or not
/// at all after dropped() (a request handed on to run elsewhere).
class RequestRecorder
{
public:
    RequestRecorder(ServerStats& stats, const QByteArray& command, quint64 connectionId, qint64 requestId);
    ~RequestRecorder();
    RequestRecorder(const RequestRecorder&) = delete;
    RequestRecorder& operator=(const RequestRecorder&) = delete;

    void succeeded() { m_outcome = Outcome::Served; }
    void dropped() { m_outcome = Outcome::Dropped; }

private:
    enum class Outcome
    {
        Refused,
        Served,
        Dropped
    };
    ServerStats& m_stats;
    QByteArray m_command;
    QElapsedTimer m_timer;
    Outcome m_outcome = Outcome::Refused;
};

}  // namespace tessel::server

#endif
