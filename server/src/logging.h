// Logging categories of the database server.
#ifndef TESSEL_SERVER_LOGGING_H
#define TESSEL_SERVER_LOGGING_H

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcServer)  // "tessel.server": start, stop, configuration
Q_DECLARE_LOGGING_CATEGORY(lcNet)     // "tessel.server.net": connections and frames
Q_DECLARE_LOGGING_CATEGORY(lcSql)     // "tessel.server.sql": requests and SQLite (noisy at debug)
Q_DECLARE_LOGGING_CATEGORY(lcTls)     // "tessel.server.tls": certificates and handshakes

namespace tessel::server {

/// Turns "debug", "info", "warning" or "error" into logging filter rules; false for another word.
bool applyLogLevel(const QString& level);

}  // namespace tessel::server

#endif
