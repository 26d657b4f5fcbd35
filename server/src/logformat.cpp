#include "logformat.h"

#include "serverstats.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace tessel::server {

namespace {

std::atomic<bool> g_json{false};

const char* levelName(QtMsgType type)
{
    switch (type) {
        case QtDebugMsg:
            return "debug";
        case QtInfoMsg:
            return "info";
        case QtWarningMsg:
            return "warning";
        case QtCriticalMsg:
            return "error";
        case QtFatalMsg:
            return "fatal";
    }
    return "info";
}

/// RFC 3339 with the local offset ("Z" at UTC).
QString logTime()
{
    QDateTime now = QDateTime::currentDateTime();
    now.setOffsetFromUtc(now.offsetFromUtc());
    return now.toString(Qt::ISODateWithMs);
}

void writeLine(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    QByteArray line = formatLogLine(g_json.load(), type, context, message);
    line.append('\n');
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

}  // namespace

QString escapeControls(const QString& text)
{
    const auto isControl = [](char16_t c) {
        return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029;
    };
    if (std::none_of(text.begin(), text.end(), [&](QChar c) { return isControl(c.unicode()); })) {
        return text;
    }
    QString out;
    out.reserve(text.size() + 16);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!isControl(u)) {
            out.append(c);
        } else if (u == '\n') {
            out.append(QLatin1String("\\n"));
        } else if (u == '\r') {
            out.append(QLatin1String("\\r"));
        } else if (u == '\t') {
            out.append(QLatin1String("\\t"));
        } else if (u <= 0xff) {
            out.append(QStringLiteral("\\x%1").arg(unsigned(u), 2, 16, QLatin1Char('0')));
        } else {
            out.append(QStringLiteral("\\u%1").arg(unsigned(u), 4, 16, QLatin1Char('0')));
        }
    }
    return out;
}

QByteArray formatLogLine(bool json, QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const RequestContext& request = currentRequest();
    if (json) {
        QJsonObject object{
            {QStringLiteral("time"), logTime()},
            {QStringLiteral("level"), QLatin1String(levelName(type))},
            {QStringLiteral("category"), QLatin1String(context.category ? context.category : "default")},
            {QStringLiteral("message"), message},
        };
        if (request.active) {
            object.insert(QStringLiteral("connection"), double(request.connectionId));
            object.insert(QStringLiteral("request"), double(request.requestId));
        }
        return QJsonDocument(object).toJson(QJsonDocument::Compact);
    }
    // Lines of the request's own handling already start with "[c<connection>]".
    const bool tagged = !request.active || message.startsWith(QLatin1String("[c"));
    // Client texts (SQL errors, names, paths) reach messages: one call stays one line.
    const QString text = tagged ? escapeControls(message)
                                : QStringLiteral("[c%1] #%2 %3")
                                      .arg(request.connectionId)
                                      .arg(request.requestId)
                                      .arg(escapeControls(message));
    return qFormatLogMessage(type, context, text).toUtf8();
}

bool installLogFormat(const QString& format)
{
    if (format != QLatin1String("text") && format != QLatin1String("json")) {
        return false;
    }
    g_json = format == QLatin1String("json");
    qInstallMessageHandler(writeLine);
    return true;
}

}  // namespace tessel::server
