// The server host's network interfaces and its recent load: memory and CPU use and the bytes
// each interface received and sent, sampled at a fixed interval on a thread of its own.
#ifndef TESSEL_SERVER_HOSTSTATUS_H
#define TESSEL_SERVER_HOSTSTATUS_H

#include <QDateTime>
#include <QHash>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace tessel::server {

/// One interface as the maintenance commands answer it; every value is text.
struct InterfaceInfo
{
    QString name;
    QString ipv4Address;  ///< first IPv4 address, or empty
    QString ipv4Mask;
    QString ipv4Gateway;  ///< of the default route through this interface (/proc/net/route), or empty
    QString mac;
    QString mtu;
    QString connectState;  ///< "connected" (up and running) or "disconnected"
    QString firstDns;      ///< first "nameserver" of /etc/resolv.conf, or empty
    QString dhcpStatus;    ///< "dhcp", "static" or "unknown"
};

/// Every interface of the host, in the system's order.
std::vector<InterfaceInfo> networkInterfaces();
/// One interface by name; false when there is none.
bool networkInterface(const QString& name, InterfaceInfo* out);

struct HostSample
{
    double memUsage = 0;  ///< percent of memory in use (MemTotal - MemAvailable)
    double cpuUsage = 0;  ///< percent of CPU time busy over the interval, all cores
    qint64 rxBytes = 0;   ///< bytes the interface received during the interval
    qint64 txBytes = 0;   ///< bytes it sent
    QDateTime time;       ///< end of the interval, local time
};

class HostMonitor
{
public:
    /// Starts sampling every `intervalMs`, keeping the last `window` samples per interface.
    HostMonitor(int intervalMs, int window = 60);
    ~HostMonitor();
    HostMonitor(const HostMonitor&) = delete;
    HostMonitor& operator=(const HostMonitor&) = delete;

    /// The samples of one interface, oldest first.
    std::vector<HostSample> samples(const QString& interfaceName) const;
    int intervalMs() const { return m_intervalMs; }
    int window() const { return m_window; }

private:
    struct Counters
    {
        quint64 cpuTotal = 0;
        quint64 cpuIdle = 0;
        QHash<QString, QPair<quint64, quint64>> net;  // interface -> rx, tx
    };
    static Counters readCounters();
    void run();
    void sample();

    const int m_intervalMs;
    const int m_window;
    Counters m_last;  // used by the sampling thread only
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    QHash<QString, std::deque<HostSample>> m_samples;  // guarded by m_mutex
    std::thread m_thread;
};

}  // namespace tessel::server

#endif
