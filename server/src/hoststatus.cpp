#include "hoststatus.h"

#include "logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QRegularExpression>
#include <QtEndian>

namespace tessel::server {

namespace {

QByteArray readSmallFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(1 << 20) : QByteArray();
}

/// Gateways of the default routes by interface, from /proc/net/route.
QHash<QString, QString> defaultGateways()
{
    QHash<QString, QString> out;
    const QList<QByteArray> lines = readSmallFile(QStringLiteral("/proc/net/route")).split('\n');
    for (int i = 1; i < lines.size(); ++i) {  // the first line names the columns
        const QList<QByteArray> f = lines.at(i).simplified().split(' ');
        if (f.size() < 4 || f.at(1) != "00000000") {
            continue;
        }
        bool ok = false;
        const quint32 gateway = f.at(2).toUInt(&ok, 16);
        const uint flags = f.at(3).toUInt(nullptr, 16);
        if (ok && (flags & 0x2) && !out.contains(QString::fromLatin1(f.at(0)))) {  // RTF_GATEWAY
            // The kernel prints the address as the number it is in memory: network byte order.
            out.insert(QString::fromLatin1(f.at(0)), QHostAddress(qFromBigEndian(gateway)).toString());
        }
    }
    return out;
}

QString firstNameServer()
{
    for (const QByteArray& line : readSmallFile(QStringLiteral("/etc/resolv.conf")).split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() >= 2 && f.at(0) == "nameserver") {
            return QString::fromLatin1(f.at(1));
        }
    }
    return QString();
}

/// What the host's own network configuration says, where it says anything.
QString dhcpStatus(const QNetworkInterface& i)
{
    if (i.flags() & QNetworkInterface::IsLoopBack) {
        return QStringLiteral("static");
    }
    if (QFileInfo::exists(QStringLiteral("/run/systemd/netif/leases/%1").arg(i.index()))) {
        return QStringLiteral("dhcp");
    }
    const QByteArray name = i.name().toUtf8();
    const QDir leases(QStringLiteral("/var/lib/dhcp"));
    for (const QString& file : leases.entryList({QStringLiteral("dhclient*.leases")}, QDir::Files)) {
        if (file.contains(i.name()) ||
            readSmallFile(leases.filePath(file)).contains("interface \"" + name + "\"")) {
            return QStringLiteral("dhcp");
        }
    }
    const QRegularExpression iface(
        QStringLiteral("^\\s*iface\\s+%1\\s+inet\\s+(\\w+)").arg(QRegularExpression::escape(i.name())),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m =
        iface.match(QString::fromUtf8(readSmallFile(QStringLiteral("/etc/network/interfaces"))));
    if (m.hasMatch()) {
        return m.captured(1) == QLatin1String("dhcp") ? QStringLiteral("dhcp") : QStringLiteral("static");
    }
    return QStringLiteral("unknown");
}

InterfaceInfo describe(const QNetworkInterface& i, const QHash<QString, QString>& gateways,
                       const QString& dns)
{
    InterfaceInfo info;
    info.name = i.name();
    for (const QNetworkAddressEntry& e : i.addressEntries()) {
        if (e.ip().protocol() == QAbstractSocket::IPv4Protocol) {
            info.ipv4Address = e.ip().toString();
            info.ipv4Mask = e.netmask().toString();
            break;
        }
    }
    info.ipv4Gateway = gateways.value(i.name());
    info.mac = i.hardwareAddress();
    info.mtu = QString::number(i.maximumTransmissionUnit());
    const bool up = (i.flags() & QNetworkInterface::IsUp) && (i.flags() & QNetworkInterface::IsRunning);
    info.connectState = up ? QStringLiteral("connected") : QStringLiteral("disconnected");
    info.firstDns = dns;
    info.dhcpStatus = dhcpStatus(i);
    return info;
}

quint64 readCounter(const QString& path)
{
    return readSmallFile(path).trimmed().toULongLong();
}

}  // namespace

std::vector<InterfaceInfo> networkInterfaces()
{
    const QHash<QString, QString> gateways = defaultGateways();
    const QString dns = firstNameServer();
    std::vector<InterfaceInfo> out;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        out.push_back(describe(i, gateways, dns));
    }
    return out;
}

bool networkInterface(const QString& name, InterfaceInfo* out)
{
    const QNetworkInterface i = QNetworkInterface::interfaceFromName(name);
    if (name.isEmpty() || !i.isValid()) {
        return false;
    }
    *out = describe(i, defaultGateways(), firstNameServer());
    return true;
}

HostMonitor::HostMonitor(int intervalMs, int window)
    : m_intervalMs(intervalMs), m_window(window), m_last(readCounters()), m_thread([this] { run(); })
{
}

HostMonitor::~HostMonitor()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

std::vector<HostSample> HostMonitor::samples(const QString& interfaceName) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_samples.constFind(interfaceName);
    return it == m_samples.constEnd() ? std::vector<HostSample>()
                                      : std::vector<HostSample>(it->begin(), it->end());
}

HostMonitor::Counters HostMonitor::readCounters()
{
    Counters c;
    // "cpu  user nice system idle iowait irq softirq steal guest guest_nice"; guest time is
    // already part of user time.
    const QByteArray stat = readSmallFile(QStringLiteral("/proc/stat"));
    const QList<QByteArray> f = stat.left(stat.indexOf('\n')).simplified().split(' ');
    for (int k = 1; k < f.size() && k <= 8; ++k) {
        const quint64 v = f.at(k).toULongLong();
        c.cpuTotal += v;
        if (k == 4 || k == 5) {
            c.cpuIdle += v;
        }
    }
    const QDir net(QStringLiteral("/sys/class/net"));
    for (const QString& name : net.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        const QString dir = net.filePath(name) + QLatin1String("/statistics/");
        c.net.insert(name, {readCounter(dir + QLatin1String("rx_bytes")),
                            readCounter(dir + QLatin1String("tx_bytes"))});
    }
    return c;
}

void HostMonitor::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        m_wake.wait_for(lock, std::chrono::milliseconds(m_intervalMs), [this] { return m_stop; });
        if (m_stop) {
            break;
        }
        lock.unlock();
        sample();
        lock.lock();
    }
}

void HostMonitor::sample()
{
    const Counters now = readCounters();
    HostSample common;
    common.time = QDateTime::currentDateTime();
    const QHash<QByteArray, quint64> mem = [] {
        QHash<QByteArray, quint64> m;
        for (const QByteArray& line : readSmallFile(QStringLiteral("/proc/meminfo")).split('\n')) {
            const QList<QByteArray> f = line.simplified().split(' ');
            if (f.size() >= 2) {
                m.insert(f.at(0), f.at(1).toULongLong());
            }
        }
        return m;
    }();
    const quint64 total = mem.value("MemTotal:");
    const quint64 available = mem.value("MemAvailable:", mem.value("MemFree:"));
    common.memUsage = total > 0 ? 100.0 * double(total - std::min(available, total)) / double(total) : 0.0;
    const quint64 cpuTotal = now.cpuTotal - std::min(now.cpuTotal, m_last.cpuTotal);
    const quint64 cpuIdle = now.cpuIdle - std::min(now.cpuIdle, m_last.cpuIdle);
    common.cpuUsage =
        cpuTotal > 0 ? 100.0 * double(cpuTotal - std::min(cpuIdle, cpuTotal)) / double(cpuTotal) : 0.0;

    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = now.net.constBegin(); it != now.net.constEnd(); ++it) {
        HostSample s = common;
        const auto before = m_last.net.value(it.key(), it.value());
        // A counter that went back (interface reset) counts from zero.
        s.rxBytes =
            qint64(it.value().first >= before.first ? it.value().first - before.first : it.value().first);
        s.txBytes = qint64(it.value().second >= before.second ? it.value().second - before.second
                                                              : it.value().second);
        std::deque<HostSample>& list = m_samples[it.key()];
        list.push_back(s);
        while (int(list.size()) > m_window) {
            list.pop_front();
        }
    }
    for (auto it = m_samples.begin(); it != m_samples.end();) {  // interfaces that are gone
        it = now.net.contains(it.key()) ? std::next(it) : m_samples.erase(it);
    }
    m_last = now;
}

}  // namespace tessel::server
