// tessel-dbserver's network side: four listening ports, WebSocket connections, the worker
// pool that runs requests, broadcasts and the orderly stop.
#ifndef TESSEL_SERVER_DBSERVER_H
#define TESSEL_SERVER_DBSERVER_H

#include "beastlistener.h"
#include "database.h"
#include "dispatcher.h"
#include "options.h"
#include "workerpool.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>

#include <atomic>
#include <memory>
#include <mutex>

class QTimer;

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

class DbServer : public QObject, private NetHost
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

    /// Takes what may change while running from `options` (read again from the command line and
    /// its options file): the access token, the origins let in, the certificate pair (read again
    /// from its files, also when they are the generated ones) and its public copy. The other
    /// options keep their values until the next start; each one that differs is logged. False
    /// with `error` set when the new values cannot be used: then nothing changes.
    bool reload(const ServerOptions& options, QString* error);

    /// Stops accepting, lets the requests in flight finish (up to the grace period), closes the
    /// connections and the databases, then emits stopped(). Call on the object's thread.
    void stop();
    bool isStopping() const { return m_stopping.load(); }

    int connectionCount() const;
    /// Connections closed because their unsent answers passed the limit.
    int slowReadersClosed() const { return m_slowReadersClosed.load(); }
    /// Requests queued or running, on the workers or on the network threads.
    int requestsInFlight() const { return (m_pool ? m_pool->pending() : 0) + m_runningInline.load(); }

signals:
    void stopped();

private:
    // NetHost, called on the network threads.
    Refusal admit(quint64 id, const QHostAddress& peer, const UpgradeRequest& request) override;
    void opened(const std::shared_ptr<NetConnection>& connection) override;
    void received(const std::shared_ptr<NetConnection>& connection, const QByteArray& message,
                  bool text) override;
    void closed(const std::shared_ptr<NetConnection>& connection, const QString& reason) override;

    /// Who may connect; replaced as a whole by reload().
    struct AdmitPolicy
    {
        QByteArray tokenDigest;  ///< SHA-256 of the access token; empty when none is configured
        QStringList allowedOrigins;
    };
    std::shared_ptr<const AdmitPolicy> admitPolicy() const;
    /// Checks the certificate's validity (a warning when it ends within 30 days or has ended),
    /// records it for the status report and writes its public copy.
    void certificateInForce();

    bool listenAll(quint16 base, QString* error);
    /// Queues a frame, or closes the connection when its unsent answers would pass the limit.
    /// False when nothing was queued.
    bool send(const std::shared_ptr<NetConnection>& connection, const QByteArray& frame);
    void closeSlowReader(const std::shared_ptr<NetConnection>& connection, qint64 bytes);
    void checkStop();
    void closeClients();
    void finishStop();

    ServerOptions m_options;
    std::unique_ptr<DatabaseSet> m_databases;
    std::unique_ptr<Dispatcher> m_dispatcher;
    std::unique_ptr<WorkerPool> m_pool;
    std::unique_ptr<BeastListener> m_net;
    std::shared_ptr<const AdmitPolicy> m_policy;  // std::atomic_load/atomic_store
    QString m_certFile;
    QString m_keyFile;
    quint16 m_basePort = 0;
    mutable std::mutex m_clientsMutex;
    QHash<quint64, std::shared_ptr<NetConnection>> m_clients;
    std::atomic<int> m_runningInline{0};
    std::atomic<int> m_slowReadersClosed{0};
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_closingClients{false};
    bool m_stopped = false;
    QElapsedTimer m_stopClock;
    QTimer* m_stopTimer = nullptr;
};

}  // namespace tessel::server

#endif
