// Logging category of the WebSocket client library.
#ifndef TESSEL_WS_LOG_H
#define TESSEL_WS_LOG_H

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcWebSocket)

#endif  // TESSEL_WS_LOG_H
