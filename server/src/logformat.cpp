#include "logformat.h"

#include "serverstats.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

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

void writeLine(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    QByteArray line = formatLogLine(g_json.load(), type, context, message);
    line.append('\n');
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

}  // namespace

QByteArray formatLogLine(bool json, QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const RequestContext& request = currentRequest();
    if (json) {
        QJsonObject object{
            {QStringLiteral("time"), QDateTime::currentDateTime().toString(Qt::ISODateWithMs)},
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
    const QString text =
        tagged ? message
               : QStringLiteral("[c%1] #%2 %3").arg(request.connectionId).arg(request.requestId).arg(message);
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
