// The server's status report: the running figures of ServerStats plus the sizes of the database
// files, as the ServerStatus answer (JSON) and as Prometheus text.
#ifndef TESSEL_SERVER_SERVERSTATUS_H
#define TESSEL_SERVER_SERVERSTATUS_H

#include "serverstats.h"
#include "tlsidentity.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <vector>

namespace tessel::server {

class DatabaseSet;
class Dispatcher;

struct DatabaseFileSizes
{
    QString name;
    bool exists = false;
    qint64 bytes = 0;     ///< <DbName>.db
    qint64 walBytes = 0;  ///< <DbName>.db-wal; 0 when there is none
};

struct StatusReport
{
    ServerStats::Snapshot figures;
    std::vector<DatabaseFileSizes> databases;
    ServedCertificate certificate;
    QDateTime now;  ///< when the report was made (UTC)
};

std::vector<DatabaseFileSizes> databaseFileSizes(DatabaseSet& databases);
StatusReport statusReport(const Dispatcher& dispatcher);

/// The "data" object of the ServerStatus answer (without "ret").
QJsonObject statusJson(const StatusReport& report);
/// Prometheus text exposition format 0.0.4.
QByteArray statusPrometheus(const StatusReport& report);

}  // namespace tessel::server

#endif
