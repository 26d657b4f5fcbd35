// tessel-dbserver's network side: four listening ports, WebSocket connections, the worker
// pool that runs requests, broadcasts and the orderly stop.
#ifndef TESSEL_SERVER_DBSERVER_H
#define TESSEL_SERVER_DBSERVER_H

#include "database.h"
#include "dispatcher.h"
#include "options.h"
#include "workerpool.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QWebSocketProtocol>

#include <memory>
#include <vector>

class QTcpSocket;
class QTimer;
class QWebSocket;
class QWebSocketServer;

namespace tessel::server {

/// True for 127.0.0.0/8 and ::1, also when written as an IPv4-mapped IPv6 address.
bool isLoopbackAddress(const QHostAddress& address);

/// Whether `presented` (the X-Tessel-Token header) is the token whose SHA-256 is `digest`.
/// Nothing in the time taken depends on the token: neither its length nor where they differ.
bool tokenMatches(const QByteArray& digest, const QByteArray& presented);

/// Whether a handshake's Origin header may be let in: none at all (native clients), or one of
/// `allowed` (compared without letter case and a trailing '/').
bool originAllowed(const QString& origin, const QStringList& allowed);

/// Whether a connection that has `pending` bytes not yet sent may be given `bytes` more under
/// `limit`. One answer always goes out to a connection that has read everything before it.
bool outgoingFits(qint64 pending, qint64 bytes, qint64 limit);

/// Commands that only read and usually end quickly: the quick lane may run them.
bool isQuickCommand(const QByteArray& command);

class DbServer : public QObject
{
    Q_OBJECT
public:
    /// Channel numbers: the port of channel n is base + n - 1; channel 3 is plain WebSocket.
    static constexpr int kChannelCount = 4;
    static constexpr int kPlainChannel = 3;

    explicit DbServer(const ServerOptions& options, QObject* parent = nullptr);
    ~DbServer() override;

    /// Prepares the data folder and TLS identity, starts the workers and listens on the four
    /// ports. False with `error` set when any of it fails.
    bool start(QString* error);

    quint16 basePort() const { return m_basePort; }
    /// "tessel-dbserver listening on ADDR ports P..P+3 (data DIR)"
    QString readyLine() const;
    QString certificateFile() const { return m_certFile; }
    QString keyFile() const { return m_keyFile; }

    Dispatcher& dispatcher() { return *m_dispatcher; }
    DatabaseSet& databases() { return *m_databases; }

    /// Sends "*\n<text>" to every connection of the plain port. Callable from any thread.
    void broadcast(const QString& text);

    /// Stops accepting, lets the requests in flight finish (up to the grace period), closes the
    /// connections and the databases, then emits stopped().
    void stop();
    bool isStopping() const { return m_stopping; }

    int connectionCount() const { return m_clients.size(); }
    /// Connections closed because their unsent answers passed the limit.
    int slowReadersClosed() const { return m_slowReadersClosed; }
    int requestsInFlight() const { return m_pool ? m_pool->pending() : 0; }

signals:
    void stopped();

private:
    struct Client;
    class Listener;

    bool listenAll(quint16 base, QString* error);
    void closeListeners();
    void acceptTcp(qintptr descriptor, int channel);
    void acceptWebSockets(QWebSocketServer* server, int channel);
    void onText(quint64 clientId, const QString& message);
    void sendNow(Client* client, const QByteArray& frame);
    /// Sends a frame unless the connection's unsent answers would pass the limit; then the
    /// connection is closed instead. False when it was closed.
    bool send(Client* client, const QString& frame);
    void closeSlowReader(Client* client, qint64 bytes);
    void deliver(quint64 clientId, const QString& frame);
    void dropClient(quint64 clientId);
    void track(QTcpSocket* socket);
    /// Closes `socket` unless it has become a WebSocket within the upgrade limit.
    void watchUpgrade(QTcpSocket* socket);
    static QString connectionKey(const QHostAddress& peer, quint16 peerPort, quint16 localPort);
    void retire(QWebSocket* socket);
    /// Closes a connection that is not let in, without reading anything from it.
    void turnAway(QWebSocket* socket, QWebSocketProtocol::CloseCode code, const QString& reason);
    void checkStop();
    void closeClients();
    void finishStop();

    ServerOptions m_options;
    std::unique_ptr<DatabaseSet> m_databases;
    std::unique_ptr<Dispatcher> m_dispatcher;
    std::unique_ptr<WorkerPool> m_pool;
    QSslConfiguration m_tls;
    QByteArray m_tokenDigest;  ///< SHA-256 of the access token; empty when none is configured
    QString m_certFile;
    QString m_keyFile;
    quint16 m_basePort = 0;
    std::vector<Listener*> m_listeners;
    std::vector<QWebSocketServer*> m_webSocketServers;
    QHash<quint64, Client*> m_clients;
    QList<QPointer<QWebSocket>> m_retired;     // deleteLater() called; deleted here if still around
    QList<QPointer<QTcpSocket>> m_tcpSockets;  // every accepted socket, for the same reason
    QHash<QString, QTcpSocket*> m_upgrading;   // sockets handed over for the upgrade, by addresses
    quint64 m_nextClientId = 1;
    int m_slowReadersClosed = 0;
    bool m_stopping = false;
    bool m_closingClients = false;
    bool m_stopped = false;
    QElapsedTimer m_stopClock;
    QTimer* m_stopTimer = nullptr;
};

}  // namespace tessel::server

#endif
