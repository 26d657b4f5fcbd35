#include "logging.h"

Q_LOGGING_CATEGORY(lcServer, "tessel.server", QtInfoMsg)
Q_LOGGING_CATEGORY(lcNet, "tessel.server.net", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSql, "tessel.server.sql", QtInfoMsg)
Q_LOGGING_CATEGORY(lcTls, "tessel.server.tls", QtInfoMsg)

namespace tessel::server {

bool applyLogLevel(const QString& level)
{
    QString rules;
    if (level == QLatin1String("debug")) {
        rules = QStringLiteral("tessel.*.debug=true\ntessel.*.info=true");
    } else if (level == QLatin1String("info")) {
        rules = QStringLiteral("*.debug=false");
    } else if (level == QLatin1String("warning")) {
        rules = QStringLiteral("*.debug=false\n*.info=false");
    } else if (level == QLatin1String("error")) {
        rules = QStringLiteral("*.debug=false\n*.info=false\n*.warning=false");
    } else {
        return false;
    }
    QLoggingCategory::setFilterRules(rules);
    return true;
}

}  // namespace tessel::server
