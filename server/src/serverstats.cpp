#include "serverstats.h"

#include <algorithm>
#include <cmath>

namespace tessel::server {

namespace {

constexpr double kFirstBoundNs = 1000.0;  // 1 µs
/// Growth between bucket bounds: the last bound is one hour.
const double kGrowth = std::exp(std::log(3600e9 / kFirstBoundNs) / (LatencyHistogram::kBucketCount - 1));
const double kLogGrowth = std::log(kGrowth);

}  // namespace

double LatencyHistogram::bucketBound(int index)
{
    return kFirstBoundNs * std::pow(kGrowth, index) / 1e9;
}

int LatencyHistogram::bucketOf(qint64 nanoseconds)
{
    if (nanoseconds <= qint64(kFirstBoundNs)) {
        return 0;
    }
    int index = int(std::ceil(std::log(double(nanoseconds) / kFirstBoundNs) / kLogGrowth));
    // Rounding in log() may land one bucket off near a bound.
    while (index > 0 && bucketBound(index - 1) * 1e9 >= double(nanoseconds)) {
        --index;
    }
    while (index < kBucketCount - 1 && bucketBound(index) * 1e9 < double(nanoseconds)) {
        ++index;
    }
    return std::min(index, kBucketCount - 1);
}

void LatencyHistogram::add(qint64 nanoseconds)
{
    nanoseconds = std::max<qint64>(nanoseconds, 0);
    ++m_buckets[size_t(bucketOf(nanoseconds))];
    ++m_count;
    m_sumSeconds += double(nanoseconds) / 1e9;
}

double LatencyHistogram::quantile(double q) const
{
    if (m_count == 0) {
        return 0;
    }
    q = std::clamp(q, 0.0, 1.0);
    const quint64 rank = std::max<quint64>(1, quint64(std::ceil(q * double(m_count))));
    quint64 seen = 0;
    for (int i = 0; i < kBucketCount; ++i) {
        seen += m_buckets[size_t(i)];
        if (seen >= rank) {
            return bucketBound(i);
        }
    }
    return bucketBound(kBucketCount - 1);
}

const std::array<double, BoundedLatencies::kBoundCount>& BoundedLatencies::bounds()
{
    static const std::array<double, kBoundCount> kBounds{0.0001, 0.00025, 0.0005, 0.001, 0.0025, 0.005,
                                                         0.01,   0.025,   0.05,   0.1,   0.25,   0.5,
                                                         1,      2.5,     10,     60};
    return kBounds;
}

void BoundedLatencies::add(qint64 nanoseconds)
{
    const double seconds = double(std::max<qint64>(nanoseconds, 0)) / 1e9;
    const auto& b = bounds();
    const auto at = std::lower_bound(b.begin(), b.end(), seconds);
    if (at != b.end()) {
        ++m_counts[size_t(at - b.begin())];
    }
}

std::array<quint64, BoundedLatencies::kBoundCount> BoundedLatencies::cumulative() const
{
    std::array<quint64, kBoundCount> out{};
    quint64 sum = 0;
    for (int i = 0; i < kBoundCount; ++i) {
        sum += m_counts[size_t(i)];
        out[size_t(i)] = sum;
    }
    return out;
}

ServerStats::ServerStats()
{
    m_started.start();
}

void ServerStats::connectionOpened(int channel)
{
    if (channel >= 1 && channel <= kChannelCount) {
        ++m_connections[size_t(channel - 1)];
    }
    ++m_connectionsTotal;
}

void ServerStats::connectionClosed(int channel)
{
    if (channel >= 1 && channel <= kChannelCount) {
        --m_connections[size_t(channel - 1)];
    }
}

void ServerStats::requestDone(const QByteArray& command, qint64 latencyNs, bool refused)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    Command& c = m_commands[command];
    if (refused) {
        ++c.refused;
    } else {
        ++c.served;
    }
    c.latency.add(latencyNs);
    c.bounded.add(latencyNs);
}

void ServerStats::requestRefused()
{
    ++m_refusedEarly;
}

ServerStats::Snapshot ServerStats::snapshot() const
{
    Snapshot s;
    s.uptimeMs = m_started.elapsed();
    for (int i = 0; i < kChannelCount; ++i) {
        s.connections[size_t(i)] = m_connections[size_t(i)].load();
    }
    s.connectionsTotal = m_connectionsTotal.load();
    s.refusedBeforeDispatch = m_refusedEarly.load();
    s.refused = s.refusedBeforeDispatch;
    const std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [name, c] : m_commands) {
        CommandFigures f;
        f.served = c.served;
        f.refused = c.refused;
        f.p50Seconds = c.latency.quantile(0.50);
        f.p99Seconds = c.latency.quantile(0.99);
        f.sumSeconds = c.latency.sumSeconds();
        f.atMost = c.bounded.cumulative();
        s.served += c.served;
        s.refused += c.refused;
        s.commands.emplace(name, f);
    }
    return s;
}

RequestContext& currentRequest()
{
    thread_local RequestContext context;
    return context;
}

RequestRecorder::RequestRecorder(ServerStats& stats, const QByteArray& command, quint64 connectionId,
                                 qint64 requestId)
    : m_stats(stats), m_command(command)
{
    m_timer.start();
    currentRequest() = RequestContext{connectionId, requestId, true};
}

RequestRecorder::~RequestRecorder()
{
    currentRequest() = RequestContext();
    if (m_outcome != Outcome::Dropped) {
        try {
            m_stats.requestDone(m_command, m_timer.nsecsElapsed(), m_outcome == Outcome::Refused);
        } catch (...) {
            // Out of memory for a new command's entry: the figures miss one request.
        }
    }
}

}  // namespace tessel::server
