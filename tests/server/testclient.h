// A WebSocket client for the server tests: sends request frames and collects what comes back.
#ifndef TESSEL_SERVER_TESTCLIENT_H
#define TESSEL_SERVER_TESTCLIENT_H

#include "testsupport.h"

#include <QJsonDocument>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QTest>
#include <QWebSocket>

namespace tessel::server::test {

inline constexpr int kClientWaitMs = 10000;

inline QByteArray requestFrame(qint64 id, const QByteArray& command, const QJsonObject& body)
{
    return QByteArray::number(id) + ' ' + command + '\n' + QJsonDocument(body).toJson(QJsonDocument::Compact);
}

/// A WebSocket client collecting what the server sends.
class TestClient
{
public:
    TestClient()
    {
        QObject::connect(&socket, &QWebSocket::textMessageReceived,
                         [this](const QString& m) { messages << m; });
        QObject::connect(&socket, &QWebSocket::disconnected, [this] { closed = true; });
    }

    bool open(const QUrl& url, const QSslConfiguration* tls = nullptr, const QByteArray& protocol = "1",
              const QByteArray& origin = QByteArray())
    {
        QNetworkRequest request(url);
        if (!origin.isEmpty()) {
            request.setRawHeader("Origin", origin);
        }
        if (!protocol.isEmpty()) {
            request.setRawHeader("X-Tessel-Protocol", protocol);
        }
        if (tls) {
            socket.setSslConfiguration(*tls);
        }
        socket.open(request);
        (void)QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState || closed; },
                              kClientWaitMs);
        return socket.state() == QAbstractSocket::ConnectedState;
    }

    void send(const QByteArray& frame) { socket.sendTextMessage(QString::fromUtf8(frame)); }

    /// Waits for and takes the first message starting with `prefix`; empty on timeout.
    QString take(const QString& prefix, int timeoutMs = kClientWaitMs)
    {
        QString found;
        (void)QTest::qWaitFor(
            [&] {
                for (int i = 0; i < messages.size(); ++i) {
                    if (messages.at(i).startsWith(prefix)) {
                        found = messages.takeAt(i);
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return found;
    }

    QJsonObject answer(qint64 id)
    {
        const QString frame = take(QString::number(id) + '\n');
        EXPECT_FALSE(frame.isEmpty()) << "no answer " << id;
        return parseAnswer(frame.toUtf8(), id);
    }

    QJsonObject request(qint64 id, const QByteArray& command, const QJsonObject& body)
    {
        send(requestFrame(id, command, body));
        return answer(id);
    }

    QWebSocket socket;
    QStringList messages;
    bool closed = false;
};

}  // namespace tessel::server::test

#endif
