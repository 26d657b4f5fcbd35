// server-status: the database server's own figures (ServerStatus).
#include "CtlCommand.h"

#include "CLS_RemoteDBHandler.h"
#include "I_WebSocket.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QReadLocker>

namespace {

constexpr int kStatusTimeoutS = 10;

QString uptimeText(qint64 _iSeconds)
{
    const qint64 iDays = _iSeconds / 86400;
    const QString strClock = QStringLiteral("%1:%2:%3")
                                 .arg(_iSeconds / 3600 % 24, 2, 10, QLatin1Char('0'))
                                 .arg(_iSeconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                 .arg(_iSeconds % 60, 2, 10, QLatin1Char('0'));
    return iDays > 0 ? QStringLiteral("%1 d %2").arg(iDays).arg(strClock) : strClock;
}

QString count(const QJsonValue& _value)
{
    return QString::number(qint64(_value.toDouble()));
}

void printStatus(const QJsonObject& _data)
{
    ctlOut() << "server      tessel-dbserver " << _data.value("version").toString() << "\n";
    ctlOut() << "uptime      " << uptimeText(qint64(_data.value("uptimeS").toDouble())) << "\n";
    QStringList lstChannels;
    for (const QJsonValue& channel : _data.value("channels").toArray()) {
        const QJsonObject obj = channel.toObject();
        lstChannels << QStringLiteral("%1: %2")
                           .arg(obj.value("channel").toInt())
                           .arg(obj.value("connections").toInt());
    }
    ctlOut() << "connections " << lstChannels.join("  ") << "  (accepted since start "
             << count(_data.value("connectionsAccepted")) << ")\n";
    ctlOut() << "requests    served " << count(_data.value("served")) << "  refused "
             << count(_data.value("refused")) << " (before dispatch "
             << count(_data.value("refusedBeforeDispatch")) << ")\n";
    ctlOut() << "\n"
             << QStringLiteral("%1 %2 %3 %4 %5\n")
                    .arg("command", -30)
                    .arg("served", 10)
                    .arg("refused", 8)
                    .arg("p50 ms", 10)
                    .arg("p99 ms", 10);
    for (const QJsonValue& command : _data.value("commands").toArray()) {
        const QJsonObject obj = command.toObject();
        ctlOut() << QStringLiteral("%1 %2 %3 %4 %5\n")
                        .arg(obj.value("command").toString(), -30)
                        .arg(count(obj.value("served")), 10)
                        .arg(count(obj.value("refused")), 8)
                        .arg(obj.value("p50Ms").toDouble(), 10, 'f', 3)
                        .arg(obj.value("p99Ms").toDouble(), 10, 'f', 3);
    }
    ctlOut() << "\n"
             << QStringLiteral("%1 %2 %3\n").arg("database", -30).arg("bytes", 14).arg("WAL bytes", 14);
    for (const QJsonValue& database : _data.value("databases").toArray()) {
        const QJsonObject obj = database.toObject();
        ctlOut() << QStringLiteral("%1 %2 %3\n")
                        .arg(obj.value("name").toString(), -30)
                        .arg(obj.value("exists").toBool() ? count(obj.value("bytes"))
                                                          : QStringLiteral("(none)"),
                             14)
                        .arg(count(obj.value("walBytes")), 14);
    }
    const QJsonObject certificate = _data.value("certificate").toObject();
    if (!certificate.isEmpty()) {
        ctlOut() << "\ncertificate " << certificate.value("file").toString() << " valid until "
                 << certificate.value("notAfter").toString() << " ("
                 << QString::number(certificate.value("daysLeft").toDouble(), 'f', 0) << " days)\n";
    }
}

int runServerStatus(CtlContext& _ctx)
{
    const int iStatus = _ctx.connectStatic();
    if (iStatus != 1) {
        ctlErr() << "tesselctl: not connected (status " << iStatus << ")\n";
        return 1;
    }
    QString strAnswer;
    int iRet = -1;
    {
        QReadLocker locker(&CLS_RemoteDBHandler::m_webSocketLock);
        if (CLS_RemoteDBHandler::m_pWebSocket != nullptr) {
            iRet = CLS_RemoteDBHandler::m_pWebSocket->SendAndWait("ServerStatus", QJsonObject(), strAnswer,
                                                                  kStatusTimeoutS);
        }
    }
    if (iRet != 0) {
        ctlErr() << "tesselctl: server-status failed (" << iRet << ")\n";
        return 1;
    }
    const QJsonObject answer = QJsonDocument::fromJson(strAnswer.toUtf8()).object();
    if (answer.value("result").toString() != "OK") {
        ctlErr() << "tesselctl: server-status refused: " << answer.value("reason").toString() << "\n";
        return 1;
    }
    QJsonObject data = answer.value("data").toObject();
    data.remove("ret");
    if (_ctx.json) {
        ctlOut() << QJsonDocument(data).toJson(QJsonDocument::Indented);
    } else {
        printStatus(data);
    }
    const QString strWarning = data.value("certificate").toObject().value("warning").toString();
    if (!strWarning.isEmpty()) {
        ctlErr() << "tesselctl: warning: " << strWarning << "\n";
    }
    return 0;
}

}  // namespace

TESSELCTL_COMMAND("server-status", "",
                  "the server's uptime, connections, requests, latencies per command and database sizes",
                  &runServerStatus,
                  "Examples:\n"
                  "  tesselctl server-status\n"
                  "  tesselctl --json server-status | jq .databases\n");
