// The socket thread's side of the client: the four channels, reconnection, frames in and out.
// Every member function runs on the socket thread.
#ifndef TESSEL_WS_SOCKET_WORKER_H
#define TESSEL_WS_SOCKET_WORKER_H

#include "ClientConfig.h"
#include "WebSocketClient.h"

#include <QEvent>
#include <QObject>
#include <QSslConfiguration>
#include <QUrl>

#include <array>
#include <vector>

class QTimer;
class QWebSocket;

namespace tessel::ws {

class SocketWorker : public QObject
{
    Q_OBJECT

public:
    explicit SocketWorker(WebSocketClient& _client);
    ~SocketWorker() override;

    /// Posted (once per batch) when the client's frame queue stops being empty.
    static QEvent::Type sendEventType();

    /// Opens the channel to the URL recorded by Connect; no-op when it already runs there.
    void startChannel(int _iChannel);
    /// Closes the channel for good: no reconnect, no events; its requests fail as closed.
    void stopChannel(int _iChannel);
    /// Closes everything for the client's destruction.
    void stopAll();
    /// Reconnection was turned off: channels waiting for a retry give up.
    void cancelRetries();

protected:
    bool event(QEvent* _pEvent) override;

private:
    struct Channel
    {
        QWebSocket* pSocket = nullptr;
        QTimer* pRetryTimer = nullptr;
        QTimer* pConnectTimer = nullptr;
        QUrl url;
        ClientOptions options;
        QSslConfiguration tls;
        bool bActive = false;  ///< kept up: opening, open or waiting to reconnect
        bool bOpen = false;
        bool bEverOpened = false;     ///< since the last Connect
        bool bErrorReported = false;  ///< event 3 was sent since the last Connect
        int iBackoffMs = kMinReconnectMs;
        QString strAttemptError;  ///< what went wrong with the current attempt
    };

    Channel& channel(int _iChannel) { return m_channels[size_t(_iChannel - 1)]; }
    void attempt(int _iChannel);
    void onOpened(int _iChannel, QWebSocket* _pSocket);
    void onSocketError(int _iChannel, QWebSocket* _pSocket);
    void onDown(int _iChannel, QWebSocket* _pSocket);
    void onConnectTimeout(int _iChannel);
    void onMessage(int _iChannel, const QString& _strMessage);
    void retryOrGiveUp(int _iChannel);
    void releaseSocket(Channel& _channel);
    void drainQueue();

    WebSocketClient& m_client;
    std::array<Channel, kChannelCount> m_channels;
    std::vector<OutFrame> m_batch;
};

}  // namespace tessel::ws

#endif  // TESSEL_WS_SOCKET_WORKER_H
