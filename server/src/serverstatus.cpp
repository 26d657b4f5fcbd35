#include "serverstatus.h"

#include "database.h"
#include "dispatcher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>

#include <cmath>

namespace tessel::server {

namespace {

double milliseconds(double seconds)
{
    return std::round(seconds * 1e6) / 1e3;  // to the microsecond
}

/// A label value of the text format: backslash, double quote and line feed escaped.
QByteArray labelValue(const QByteArray& value)
{
    QByteArray out;
    out.reserve(value.size() + 2);
    for (const char c : value) {
        if (c == '\\' || c == '"') {
            out.append('\\').append(c);
        } else if (c == '\n') {
            out.append("\\n");
        } else {
            out.append(c);
        }
    }
    return out;
}

QByteArray number(double value)
{
    return QByteArray::number(value, 'g', 12);
}

QByteArray number(quint64 value)
{
    return QByteArray::number(value);
}

}  // namespace

std::vector<DatabaseFileSizes> databaseFileSizes(DatabaseSet& databases)
{
    std::vector<DatabaseFileSizes> out;
    for (int i = 0; i < kDatabaseCount; ++i) {
        const DatabaseSlot& slot = databases.slot(i);
        DatabaseFileSizes sizes;
        sizes.name = slot.name;
        const QFileInfo file(slot.path);
        sizes.exists = file.isFile();
        sizes.bytes = sizes.exists ? file.size() : 0;
        const QFileInfo wal(slot.path + QLatin1String("-wal"));
        sizes.walBytes = wal.isFile() ? wal.size() : 0;
        out.push_back(sizes);
    }
    return out;
}

StatusReport statusReport(const Dispatcher& dispatcher)
{
    StatusReport report;
    report.figures = dispatcher.stats().snapshot();
    report.databases = databaseFileSizes(dispatcher.databases());
    report.certificate = servedCertificate();
    report.now = QDateTime::currentDateTimeUtc();
    return report;
}

QJsonObject statusJson(const StatusReport& report)
{
    const ServerStats::Snapshot& f = report.figures;
    QJsonArray channels;
    for (int i = 0; i < ServerStats::kChannelCount; ++i) {
        channels.append(QJsonObject{{QStringLiteral("channel"), i + 1},
                                    {QStringLiteral("connections"), f.connections[size_t(i)]}});
    }
    QJsonArray commands;
    for (const auto& [name, c] : f.commands) {
        commands.append(QJsonObject{{QStringLiteral("command"), QString::fromUtf8(name)},
                                    {QStringLiteral("served"), double(c.served)},
                                    {QStringLiteral("refused"), double(c.refused)},
                                    {QStringLiteral("p50Ms"), milliseconds(c.p50Seconds)},
                                    {QStringLiteral("p99Ms"), milliseconds(c.p99Seconds)}});
    }
    QJsonArray databases;
    for (const DatabaseFileSizes& d : report.databases) {
        databases.append(QJsonObject{{QStringLiteral("name"), d.name},
                                     {QStringLiteral("exists"), d.exists},
                                     {QStringLiteral("bytes"), double(d.bytes)},
                                     {QStringLiteral("walBytes"), double(d.walBytes)}});
    }
    QJsonObject certificate;
    if (report.certificate.notAfter.isValid()) {
        const ServedCertificate& c = report.certificate;
        certificate = QJsonObject{{QStringLiteral("file"), c.file},
                                  {QStringLiteral("notAfter"), c.notAfter.toUTC().toString(Qt::ISODate)},
                                  {QStringLiteral("daysLeft"), double(report.now.secsTo(c.notAfter) / 86400)}};
        const QString warning = certificateExpiryWarning(c.file, c.notAfter, report.now);
        if (!warning.isEmpty()) {
            certificate.insert(QStringLiteral("warning"), warning);
        }
    }
    return QJsonObject{
        {QStringLiteral("certificate"), certificate},
        {QStringLiteral("version"), QCoreApplication::applicationVersion()},
        {QStringLiteral("uptimeS"), double(f.uptimeMs / 1000)},
        {QStringLiteral("channels"), channels},
        {QStringLiteral("connectionsAccepted"), double(f.connectionsTotal)},
        {QStringLiteral("served"), double(f.served)},
        {QStringLiteral("refused"), double(f.refused)},
        {QStringLiteral("refusedBeforeDispatch"), double(f.refusedBeforeDispatch)},
        {QStringLiteral("commands"), commands},
        {QStringLiteral("databases"), databases},
    };
}

QByteArray statusPrometheus(const StatusReport& report)
{
    const ServerStats::Snapshot& f = report.figures;
    QByteArray out;
    const auto family = [&out](const char* name, const char* type, const char* help) {
        out.append("# HELP ")
            .append(name)
            .append(' ')
            .append(help)
            .append("\n# TYPE ")
            .append(name)
            .append(' ');
        out.append(type).append('\n');
    };
    family("tessel_uptime_seconds", "gauge", "Seconds since the server started.");
    out.append("tessel_uptime_seconds ").append(number(double(f.uptimeMs) / 1000)).append('\n');

    family("tessel_connections", "gauge", "Open WebSocket connections by channel.");
    for (int i = 0; i < ServerStats::kChannelCount; ++i) {
        out.append("tessel_connections{channel=\"").append(QByteArray::number(i + 1)).append("\"} ");
        out.append(QByteArray::number(f.connections[size_t(i)])).append('\n');
    }
    family("tessel_connections_accepted_total", "counter", "WebSocket connections accepted since start.");
    out.append("tessel_connections_accepted_total ").append(number(f.connectionsTotal)).append('\n');

    family("tessel_requests_served_total", "counter", "Requests answered OK.");
    out.append("tessel_requests_served_total ").append(number(f.served)).append('\n');
    family("tessel_requests_refused_total", "counter",
           "Requests answered with an error, those refused before dispatch included.");
    out.append("tessel_requests_refused_total ").append(number(f.refused)).append('\n');

    family("tessel_command_requests_total", "counter", "Requests by command and outcome.");
    for (const auto& [name, c] : f.commands) {
        const QByteArray label = labelValue(name);
        out.append("tessel_command_requests_total{command=\"")
            .append(label)
            .append("\",outcome=\"served\"} ");
        out.append(number(c.served)).append('\n');
        out.append("tessel_command_requests_total{command=\"")
            .append(label)
            .append("\",outcome=\"refused\"} ");
        out.append(number(c.refused)).append('\n');
    }
    family("tessel_request_duration_seconds", "histogram",
           "Time from dispatch to the finished answer, by command.");
    for (const auto& [name, c] : f.commands) {
        const QByteArray label = labelValue(name);
        const QByteArray bucket = "tessel_request_duration_seconds_bucket{command=\"" + label + "\",le=\"";
        const auto& bounds = BoundedLatencies::bounds();
        for (size_t i = 0; i < bounds.size(); ++i) {
            out.append(bucket).append(number(bounds[i])).append("\"} ").append(number(c.atMost[i])).append('\n');
        }
        out.append(bucket).append("+Inf\"} ").append(number(c.served + c.refused)).append('\n');
        out.append("tessel_request_duration_seconds_sum{command=\"").append(label).append("\"} ");
        out.append(number(c.sumSeconds)).append('\n');
        out.append("tessel_request_duration_seconds_count{command=\"").append(label).append("\"} ");
        out.append(number(c.served + c.refused)).append('\n');
    }

    family("tessel_database_bytes", "gauge", "Size of each database file.");
    for (const DatabaseFileSizes& d : report.databases) {
        out.append("tessel_database_bytes{database=\"").append(labelValue(d.name.toUtf8())).append("\"} ");
        out.append(QByteArray::number(d.bytes)).append('\n');
    }
    family("tessel_database_wal_bytes", "gauge", "Size of each database's write-ahead log.");
    for (const DatabaseFileSizes& d : report.databases) {
        out.append("tessel_database_wal_bytes{database=\"")
            .append(labelValue(d.name.toUtf8()))
            .append("\"} ");
        out.append(QByteArray::number(d.walBytes)).append('\n');
    }
    if (report.certificate.notAfter.isValid()) {
        family("tessel_tls_certificate_expiry_timestamp_seconds", "gauge",
               "End of the validity of the TLS certificate, in seconds since 1970.");
        out.append("tessel_tls_certificate_expiry_timestamp_seconds ")
            .append(QByteArray::number(report.certificate.notAfter.toSecsSinceEpoch()))
            .append('\n');
    }
    return out;
}

}  // namespace tessel::server
