// How tessel-dbserver writes its log lines to standard error: text (the message pattern) or one
// JSON object per line. Lines written while a request is handled carry its connection and
// request number.
#ifndef TESSEL_SERVER_LOGFORMAT_H
#define TESSEL_SERVER_LOGFORMAT_H

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace tessel::server {

/// Installs the message handler for "text" or "json"; false for another word.
bool installLogFormat(const QString& format);

/// `text` with its control characters (C0, DEL, C1, U+2028/9) written as \n, \r, \t, \xHH or
/// \uHHHH, so that no client text can break a log line or forge another.
QString escapeControls(const QString& text);

/// One log line, without the line feed, as the handler writes it.
QByteArray formatLogLine(bool json, QtMsgType type, const QMessageLogContext& context,
                         const QString& message);

}  // namespace tessel::server

#endif
