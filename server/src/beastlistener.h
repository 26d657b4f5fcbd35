// The server's WebSocket transport on Boost.Beast: listening sockets, TLS (asio::ssl) and
// WebSocket handshakes, and every connection's reads and writes, on a few network threads.
// Each connection lives on one network thread (that thread's own io_context) and its handlers run
// one at a time on its strand there; what it receives is handed to the NetHost on that strand,
// which may answer a request right there.
#ifndef TESSEL_SERVER_BEASTLISTENER_H
#define TESSEL_SERVER_BEASTLISTENER_H

#include <QByteArray>
#include <QHostAddress>
#include <QString>

#include <atomic>
#include <memory>

namespace tessel::server {

class ConnectionCache;
class DatabaseSet;

/// One WebSocket connection that has completed its handshake. send(), close() and abort() may
/// be called from any thread.
class NetConnection
{
public:
    enum class Sent
    {
        Queued,
        Closed,     ///< the connection is closing or gone: nothing was queued
        OverLimit,  ///< the unsent frames would pass the limit: nothing was queued
    };

    virtual ~NetConnection() = default;

    quint64 id() const { return m_id; }
    int channel() const { return m_channel; }
    const QHostAddress& peerAddress() const { return m_peerAddress; }
    quint16 peerPort() const { return m_peerPort; }
    /// Set when the connection ends: its statements still running stop at the next check.
    const std::shared_ptr<std::atomic<bool>>& gone() const { return m_gone; }

    /// Queues a text frame behind those not yet sent.
    virtual Sent send(const QByteArray& frame) = 0;
    /// Bytes of the frames queued and not yet completely written.
    virtual qint64 unsentBytes() const = 0;
    /// Sends a close frame once everything queued before it has gone out.
    virtual void close(quint16 code, const QString& reason) = 0;
    /// Drops the connection at once, unsent frames included; `reason` is what its end is logged
    /// with. False when it was already closing or gone.
    virtual bool abort(const QString& reason) = 0;

protected:
    NetConnection(quint64 id, int channel, const QHostAddress& peer, quint16 peerPort)
        : m_id(id), m_channel(channel), m_peerAddress(peer), m_peerPort(peerPort)
    {
    }

private:
    const quint64 m_id;
    const int m_channel;
    const QHostAddress m_peerAddress;
    const quint16 m_peerPort;
    const std::shared_ptr<std::atomic<bool>> m_gone = std::make_shared<std::atomic<bool>>(false);
};

/// What an upgrade request carried.
struct UpgradeRequest
{
    bool hasToken = false;
    QByteArray token;
    QString origin;
    bool hasProtocol = false;
    QByteArray protocol;
};

/// Why a connection is turned away right after its upgrade; code 0: it is let in.
struct Refusal
{
    quint16 code = 0;
    QString reason;
};

/// The server side of the transport. Every call comes from a network thread.
class NetHost
{
public:
    virtual ~NetHost() = default;
    /// Decides on a connection whose upgrade has completed, before anything of it is read.
    virtual Refusal admit(quint64 id, const QHostAddress& peer, const UpgradeRequest& request) = 0;
    virtual void opened(const std::shared_ptr<NetConnection>& connection) = 0;
    /// A whole message, on the connection's strand: the next one is read after this returns.
    virtual void received(const std::shared_ptr<NetConnection>& connection, const QByteArray& message,
                          bool text) = 0;
    /// The end of a connection opened() was called for; `reason` is the peer's close reason or
    /// what ended it.
    virtual void closed(const std::shared_ptr<NetConnection>& connection, const QString& reason) = 0;
};

struct NetLimits
{
    qint64 readBytes = 0;      ///< largest message read; a larger one closes the connection (1009)
    /// Bytes that the messages begun and not yet complete may hold on all connections together
    /// (0: no bound); the connection whose message would pass it is closed (1009).
    qint64 assemblingBytes = 0;
    qint64 outgoingBytes = 0;  ///< unsent frames a connection may have (see outgoingFits)
    int handshakeMs = 10000;   ///< TLS handshake, and then the upgrade request, each
    int closeWaitMs = 2000;    ///< how long a close waits for the peer's answer
};

class BeastListener
{
public:
    /// `threads` network threads, each with a stack of kWorkerStackBytes and database
    /// connections of its own (threadConnections()).
    BeastListener(NetHost& host, DatabaseSet& databases, int threads, const NetLimits& limits);
    ~BeastListener();
    BeastListener(const BeastListener&) = delete;
    BeastListener& operator=(const BeastListener&) = delete;

    /// The certificate chain and key (PEM files) of the TLS channels. False with `error` set.
    bool setIdentity(const QString& certFile, const QString& keyFile, QString* error);
    /// Serves a new certificate chain and key (PEM files) from the next TLS handshake on, while
    /// running; connections already open keep theirs. False with `error` set, the old pair kept.
    bool replaceIdentity(const QString& certFile, const QString& keyFile, QString* error);
    /// Listens on `base` + channel - 1 for every channel; channel `plainChannel` speaks plain
    /// WebSocket, the others TLS. False with `error` set, and nothing left listening.
    bool listen(const QHostAddress& address, quint16 base, int channels, int plainChannel, QString* error);
    /// Starts the network threads.
    bool start(QString* error);
    int threadCount() const;
    /// Stops accepting; connections already open stay.
    void closeListeners();
    /// Stops the network threads; whatever was under way is dropped.
    void stop();

    /// The database connections of the calling network thread; null on any other thread.
    static ConnectionCache* threadConnections();

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace tessel::server

#endif
