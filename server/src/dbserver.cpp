#include "dbserver.h"

#include "frame.h"
#include "hoststatus.h"
#include "logging.h"
#include "maintenance.h"
#include "requesterror.h"
#include "tlsidentity.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <openssl/crypto.h>

#include <algorithm>
#include <limits>
#include <new>
#include <sys/stat.h>

namespace tessel::server {

namespace {

constexpr int kTlsHandshakeMs = 10000;
constexpr int kWebSocketHandshakeMs = 10000;
constexpr int kCloseWaitMs = 2000;
const QByteArray kProtocolHeader = QByteArrayLiteral("X-Tessel-Protocol");
const QByteArray kTokenHeader = QByteArrayLiteral("X-Tessel-Token");
constexpr int kShortTokenLength = 16;
/// How long a request may run on the quick lane before it is stopped and handed to the
/// general workers.
constexpr int kLaneLimitMs = 500;

QByteArray tokenDigest(const QByteArray& token)
{
    return QCryptographicHash::hash(token, QCryptographicHash::Sha256);
}

}  // namespace

bool isLoopbackAddress(const QHostAddress& address)
{
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    if (mapped) {
        return QHostAddress(v4).isLoopback();
    }
    return address.isLoopback();
}

bool tokenMatches(const QByteArray& digest, const QByteArray& presented)
{
    // Digests of equal length compared in constant time: neither the token's length nor the
    // position of the first differing byte shows in the time taken.
    const QByteArray candidate = tokenDigest(presented.trimmed());
    return digest.size() == candidate.size() &&
           CRYPTO_memcmp(digest.constData(), candidate.constData(), size_t(digest.size())) == 0;
}

bool originAllowed(const QString& origin, const QStringList& allowed)
{
    if (origin.isEmpty()) {
        return true;
    }
    const auto normal = [](QString o) {
        while (o.endsWith(QLatin1Char('/'))) {
            o.chop(1);
        }
        return o.trimmed().toLower();
    };
    const QString wanted = normal(origin);
    for (const QString& a : allowed) {
        if (normal(a) == wanted) {
            return true;
        }
    }
    return false;
}

bool outgoingFits(qint64 pending, qint64 bytes, qint64 limit)
{
    return pending <= 0 || pending + bytes <= limit;
}

bool isQuickCommand(const QByteArray& command)
{
    static const QByteArray kQuick[] = {"ExecuteQuery", "ExecuteQueryEx", "PartitionExecuteQuery",
                                        "PartitionExecuteQueryEx", "PartitionGetTables"};
    for (const QByteArray& q : kQuick) {
        if (command == q) {
            return true;
        }
    }
    return false;
}

struct DbServer::Client
{
    quint64 id = 0;
    QWebSocket* socket = nullptr;
    int channel = 0;
    ClientInfo info;
    /// Set when the connection ends: its statements still running are stopped.
    std::shared_ptr<std::atomic<bool>> gone = std::make_shared<std::atomic<bool>>(false);
};

class DbServer::Listener : public QTcpServer
{
public:
    Listener(DbServer* server, int channel) : QTcpServer(server), m_server(server), m_channel(channel) {}

protected:
    void incomingConnection(qintptr descriptor) override { m_server->acceptTcp(descriptor, m_channel); }

private:
    DbServer* m_server;
    int m_channel;
};

DbServer::DbServer(const ServerOptions& options, QObject* parent) : QObject(parent), m_options(options) {}

DbServer::~DbServer()
{
    m_pool.reset();  // joins the workers: nothing posts to this object afterwards
    for (Client* c : qAsConst(m_clients)) {
        QObject::disconnect(c->socket, nullptr, this, nullptr);
        c->socket->abort();
        delete c->socket;
        delete c;
    }
    m_clients.clear();
    // No event loop may run again to carry out their deleteLater().
    for (const QPointer<QWebSocket>& socket : qAsConst(m_retired)) {
        delete socket.data();
    }
    closeListeners();
    // Sockets a closed WebSocket let go of, still waiting for Qt's deleteLater().
    for (const QPointer<QTcpSocket>& socket : qAsConst(m_tcpSockets)) {
        delete socket.data();
    }
}

QString DbServer::readyLine() const
{
    return QStringLiteral("tessel-dbserver listening on %1 ports %2..%3 (data %4)")
        .arg(m_options.listenAddress.toString())
        .arg(m_basePort)
        .arg(m_basePort + kChannelCount - 1)
        .arg(m_databases ? m_databases->dataDir() : m_options.dataDir);
}

bool DbServer::start(QString* error)
{
    if (m_options.token.isEmpty() && !isLoopbackAddress(m_options.listenAddress)) {
        *error = QStringLiteral(
                     "refusing to listen on %1 without an access token: anyone who reaches that "
                     "address could run SQL on the databases. Give the token with --token-file "
                     "FILE or the environment variable %2 (clients send it as \"token\" in "
                     "WebSocket.json or TESSEL_WS_TOKEN), or listen on 127.0.0.1")
                     .arg(m_options.listenAddress.toString(), QLatin1String(kTokenEnvironment));
        return false;
    }
    if (!m_options.token.isEmpty()) {
        const QString problem = tokenProblem(m_options.token);
        if (!problem.isEmpty()) {
            *error = problem;
            return false;
        }
        m_tokenDigest = tokenDigest(m_options.token.toUtf8());
        if (m_options.token.size() < kShortTokenLength) {
            qCWarning(lcServer, "the access token has only %d characters; use at least %d random ones",
                      int(m_options.token.size()), kShortTokenLength);
        }
    }
    // Databases, backups and their -wal/-shm hold the password table: only this user reads them.
    ::umask(0077);
    const QString dataDir = QDir(m_options.dataDir).absolutePath();
    if (!QDir().mkpath(dataDir)) {
        *error = QStringLiteral("cannot create the data folder %1").arg(dataDir);
        return false;
    }
    m_databases = std::make_unique<DatabaseSet>(dataDir, m_options.schemaDir);
    ConnectionLimits limits;
    limits.valueBytes = int(std::min<qint64>(m_options.maxFrameBytes(), std::numeric_limits<int>::max()));
    m_databases->setLimits(limits);
    m_dispatcher = std::make_unique<Dispatcher>(*m_databases);
    m_dispatcher->setStatementLimitMs(qint64(m_options.statementTimeoutS) * 1000);
    m_dispatcher->setBroadcaster([this](const QString& text) { broadcast(text); });
    QStringList backupRoots = m_options.backupRoots;
    if (backupRoots.isEmpty()) {
        backupRoots << QDir(dataDir).filePath(QStringLiteral("backups"));
        QDir().mkpath(backupRoots.constFirst());
    }
    for (QString& root : backupRoots) {
        root = QDir(root).absolutePath();
        if (!QFileInfo(root).isDir()) {
            qCWarning(lcServer, "backup folder %s does not exist: no backup or restore there until it does",
                      qPrintable(root));
        }
    }
    m_dispatcher->setBackupRoots(backupRoots);
    secureFolders(dataDir, backupRoots);
    removeLeftoverScratchFiles(dataDir);
    m_dispatcher->setHostMonitor(std::make_shared<HostMonitor>(m_options.sampleIntervalMs));
    if (!QFileInfo(m_options.schemaDir).isDir()) {
        qCWarning(lcServer, "schema folder %s does not exist: missing databases cannot be created",
                  qPrintable(m_options.schemaDir));
    }

    m_certFile = m_options.certFile;
    m_keyFile = m_options.keyFile;
    if (m_certFile.isEmpty()) {
        const QString tlsDir = QDir(dataDir).filePath(QStringLiteral("tls"));
        const SelfSignedRequest request = defaultSelfSignedRequest(tlsDir, m_options.listenAddress);
        m_certFile = request.certFile;
        m_keyFile = request.keyFile;
        if (!QFileInfo::exists(m_certFile) || !QFileInfo::exists(m_keyFile)) {
            if (!createSelfSigned(request, error)) {
                return false;
            }
        }
    }
    if (!loadServerIdentity(m_certFile, m_keyFile, &m_tls, error)) {
        return false;
    }

    m_pool = std::make_unique<WorkerPool>(*m_databases, m_options.workers, 1, kLaneLimitMs);

    if (m_options.port != 0) {
        if (!listenAll(m_options.port, error)) {
            return false;
        }
    } else {
        bool listening = false;
        for (int attempt = 0; attempt < 64 && !listening; ++attempt) {
            listening = listenAll(quint16(QRandomGenerator::global()->bounded(20000, 60000)), error);
        }
        if (!listening) {
            return false;
        }
    }
    qCInfo(lcServer, "statements stop after %d s (0: no limit); unsent answers up to %d MiB per connection; "
                     "origins let in: %s",
           m_options.statementTimeoutS, m_options.maxOutgoingMb,
           m_options.allowedOrigins.isEmpty() ? "none (native clients only)"
                                              : qPrintable(m_options.allowedOrigins.join(QLatin1String(", "))));
    qCInfo(lcServer, "%d workers, requests up to %d MiB, schema folder %s, certificate %s, backup folders %s",
           m_pool->threadCount(), m_options.maxFrameMb, qPrintable(m_options.schemaDir),
           qPrintable(m_certFile), qPrintable(m_dispatcher->backupRoots().join(QLatin1String(", "))));
    if (m_tokenDigest.isEmpty()) {
        qCInfo(lcServer, "no access token: connections are let in without one (loopback address only)");
    } else {
        qCInfo(lcServer, "access token from %s: connections without it are closed",
               qPrintable(m_options.tokenSource.isEmpty() ? QStringLiteral("the options")
                                                          : m_options.tokenSource));
        if (!isLoopbackAddress(m_options.listenAddress)) {
            qCWarning(lcServer,
                      "port %d is plain WebSocket: clients that connect to it from other hosts send the "
                      "access token unencrypted; keep that port to a trusted network (see docs/security.md)",
                      m_basePort + kPlainChannel - 1);
        }
    }
    return true;
}

bool DbServer::listenAll(quint16 base, QString* error)
{
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        auto* webSockets =
            new QWebSocketServer(QStringLiteral("tessel-dbserver"), QWebSocketServer::NonSecureMode, this);
        webSockets->setHandshakeTimeout(kWebSocketHandshakeMs);
        connect(webSockets, &QWebSocketServer::newConnection, this,
                [this, webSockets, channel] { acceptWebSockets(webSockets, channel); });
        m_webSocketServers.push_back(webSockets);

        auto* listener = new Listener(this, channel);
        m_listeners.push_back(listener);
        const quint16 port = quint16(base + channel - 1);
        if (!listener->listen(m_options.listenAddress, port)) {
            *error = QStringLiteral("cannot listen on %1 port %2: %3")
                         .arg(m_options.listenAddress.toString())
                         .arg(port)
                         .arg(listener->errorString());
            closeListeners();
            return false;
        }
    }
    m_basePort = base;
    return true;
}

void DbServer::closeListeners()
{
    for (Listener* l : m_listeners) {
        l->close();
        delete l;
    }
    m_listeners.clear();
    for (QWebSocketServer* s : m_webSocketServers) {
        delete s;  // its pending sockets go with it; accepted ones were re-parented to nothing
    }
    m_webSocketServers.clear();
}

void DbServer::acceptTcp(qintptr descriptor, int channel)
{
    QWebSocketServer* webSockets = m_webSocketServers[size_t(channel - 1)];
    if (channel == kPlainChannel) {
        auto* socket = new QTcpSocket;
        if (!socket->setSocketDescriptor(descriptor)) {
            qCWarning(lcNet, "accepting on channel %d: %s", channel, qPrintable(socket->errorString()));
            delete socket;
            return;
        }
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        track(socket);
        watchUpgrade(socket);
        webSockets->handleConnection(socket);
        return;
    }

    // TLS first; the WebSocket server then reads the upgrade request from the decrypted stream.
    auto* socket = new QSslSocket(this);  // ours until the handshake is done
    track(socket);
    if (!socket->setSocketDescriptor(descriptor)) {
        qCWarning(lcNet, "accepting on channel %d: %s", channel, qPrintable(socket->errorString()));
        delete socket;
        return;
    }
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket->setSslConfiguration(m_tls);
    const auto drop = [this, socket](const char* why) {
        qCInfo(lcTls, "TLS handshake with %s failed: %s", qPrintable(socket->peerAddress().toString()),
               why ? why : qPrintable(socket->errorString()));
        QObject::disconnect(socket, nullptr, this, nullptr);
        socket->abort();
        socket->deleteLater();
    };
    connect(socket, &QSslSocket::encrypted, this, [this, socket, webSockets] {
        QObject::disconnect(socket, nullptr, this, nullptr);
        socket->setParent(nullptr);  // the WebSocket made from it owns it from here on
        watchUpgrade(socket);
        webSockets->handleConnection(socket);
    });
    connect(socket, &QAbstractSocket::errorOccurred, this, [drop] { drop(nullptr); });
    connect(socket, &QAbstractSocket::disconnected, this, [drop] { drop("closed by the peer"); });
    QTimer::singleShot(kTlsHandshakeMs, socket, [socket, drop] {
        if (!socket->isEncrypted()) {
            drop("timed out");
        }
    });
    socket->startServerEncryption();
}

QString DbServer::connectionKey(const QHostAddress& peer, quint16 peerPort, quint16 localPort)
{
    return QStringLiteral("%1 %2 %3").arg(peer.toString()).arg(peerPort).arg(localPort);
}

void DbServer::watchUpgrade(QTcpSocket* socket)
{
    // QWebSocketServer applies its handshake limit to the connections it accepts itself, not
    // to those handed to it: a peer that never completes the upgrade request (or sends bytes
    // without an end of headers) would hold its socket for good. The connection is known
    // again by its addresses when it comes out as a WebSocket.
    const QString key = connectionKey(socket->peerAddress(), socket->peerPort(), socket->localPort());
    m_upgrading.insert(key, socket);
    connect(socket, &QObject::destroyed, this, [this, key, socket](QObject*) {
        if (m_upgrading.value(key) == socket) {
            m_upgrading.remove(key);
        }
    });
    QTimer::singleShot(kWebSocketHandshakeMs, socket, [this, key, socket] {
        if (m_upgrading.value(key) != socket) {
            return;  // upgraded meanwhile
        }
        m_upgrading.remove(key);
        qCInfo(lcNet, "%s did not complete the WebSocket upgrade within %d ms; closing",
               qPrintable(socket->peerAddress().toString()), kWebSocketHandshakeMs);
        socket->abort();
        socket->deleteLater();
    });
}

void DbServer::acceptWebSockets(QWebSocketServer* server, int channel)
{
    while (server->hasPendingConnections()) {
        QWebSocket* socket = server->nextPendingConnection();
        if (!socket) {
            break;
        }
        socket->setParent(nullptr);
        m_upgrading.remove(connectionKey(socket->peerAddress(), socket->peerPort(), socket->localPort()));
        if (m_stopping || socket->state() != QAbstractSocket::ConnectedState) {
            socket->abort();
            retire(socket);
            continue;
        }
        const quint64 id = m_nextClientId++;
        const QString peer = socket->peerAddress().toString();
        const QNetworkRequest request = socket->request();
        // Checked before anything of the connection is read: a peer turned away here never has a
        // request run.
        if (!m_tokenDigest.isEmpty() && !tokenMatches(m_tokenDigest, request.rawHeader(kTokenHeader))) {
            qCInfo(lcNet, "[c%llu] %s sent %s access token; closing", id, qPrintable(peer),
                   request.hasRawHeader(kTokenHeader) ? "a wrong" : "no");
            turnAway(socket, QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("bad token"));
            continue;
        }
        if (!originAllowed(socket->origin(), m_options.allowedOrigins)) {
            // A web page's handshake: a browser on this host would otherwise reach the databases.
            qCInfo(lcNet, "[c%llu] %s sent Origin \"%s\", which is not let in; closing", id, qPrintable(peer),
                   qPrintable(socket->origin().left(200)));
            turnAway(socket, QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("origin not allowed"));
            continue;
        }
        if (request.hasRawHeader(kProtocolHeader) && request.rawHeader(kProtocolHeader).trimmed() != "1") {
            qCInfo(lcNet, "[c%llu] %s asked for protocol version \"%s\"; closing", id, qPrintable(peer),
                   request.rawHeader(kProtocolHeader).left(32).constData());
            turnAway(socket, QWebSocketProtocol::CloseCodeProtocolError,
                     QStringLiteral("unsupported protocol version"));
            continue;
        }

        auto* client = new Client;
        client->id = id;
        client->socket = socket;
        client->channel = channel;
        client->info.connectionId = id;
        client->info.loopback = isLoopbackAddress(socket->peerAddress());
        const quint64 readLimit = quint64(m_options.maxFrameBytes()) * 4;
        socket->setMaxAllowedIncomingMessageSize(std::min(readLimit, QWebSocket::maxIncomingMessageSize()));
        socket->setMaxAllowedIncomingFrameSize(std::min(readLimit, QWebSocket::maxIncomingFrameSize()));
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, id](const QString& message) { onText(id, message); });
        connect(socket, &QWebSocket::binaryMessageReceived, this, [this, id](const QByteArray&) {
            if (Client* c = m_clients.value(id)) {
                sendNow(c, Dispatcher::errorFrame(
                               0, RequestError(code::kBadFrame, QByteArray("binary frames are not accepted; "
                                                                           "send requests as text frames"))));
            }
        });
        connect(socket, &QWebSocket::disconnected, this, [this, id] { dropClient(id); });
        m_clients.insert(id, client);
        m_dispatcher->stats().connectionOpened(channel);
        qCInfo(lcNet, "[c%llu] connected from %s port %u on channel %d (%s)", id, qPrintable(peer),
               socket->peerPort(), channel, channel == kPlainChannel ? "plain" : "TLS");
    }
}

void DbServer::turnAway(QWebSocket* socket, QWebSocketProtocol::CloseCode code, const QString& reason)
{
    m_retired.removeAll(QPointer<QWebSocket>());
    m_retired.append(socket);  // deleted once the close handshake is over
    connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
    socket->close(code, reason);
    // A peer that never answers the close is cut off.
    QTimer::singleShot(kCloseWaitMs, socket, [socket] { socket->abort(); });
}

void DbServer::sendNow(Client* client, const QByteArray& frame)
{
    send(client, QString::fromUtf8(frame));
}

bool DbServer::send(Client* client, const QString& frame)
{
    const qint64 bytes = qint64(frame.size()) * 3;  // at most that many UTF-8 bytes; no scan needed
    if (!outgoingFits(client->socket->bytesToWrite(), bytes, m_options.maxOutgoingBytes())) {
        closeSlowReader(client, bytes);
        return false;
    }
    try {
        client->socket->sendTextMessage(frame);
    } catch (const std::bad_alloc&) {
        qCWarning(lcNet, "[c%llu] out of memory sending an answer of %lld characters; closing", client->id,
                  qint64(frame.size()));
        client->socket->abort();
        return false;
    }
    return true;
}

void DbServer::closeSlowReader(Client* client, qint64 bytes)
{
    ++m_slowReadersClosed;
    qCWarning(lcNet,
              "[c%llu] does not read its answers: %lld bytes unsent and %lld more to send, over the limit of "
              "%d MiB; closing (%d connections closed so far)",
              client->id, client->socket->bytesToWrite(), bytes, m_options.maxOutgoingMb, m_slowReadersClosed);
    QWebSocket* socket = client->socket;
    socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("answers not read"));
    // The close frame waits behind what the peer does not read: the connection goes at once.
    socket->abort();
}

void DbServer::onText(quint64 clientId, const QString& message)
{
    Client* client = m_clients.value(clientId);
    if (!client) {
        return;
    }
    const qint64 limit = m_options.maxFrameBytes();
    const qsizetype size = message.size();
    const bool tooLarge = size > limit || (size * 3 > limit && utf8Length(message) > limit);
    const FrameHeader header =
        parseFrameHeader(QStringView(message).left(std::min<qsizetype>(size, 64 * 1024)));
    if (tooLarge || !header.ok() || m_stopping) {
        m_dispatcher->stats().requestRefused();
    }
    if (tooLarge) {
        qCInfo(lcNet, "[c%llu] #%lld request of %lld characters is over the limit", clientId, header.id,
               qint64(size));
        sendNow(client,
                Dispatcher::errorFrame(
                    header.id,
                    RequestError(code::kTooLarge, QStringLiteral("request is larger than the limit of %1 MiB")
                                                      .arg(m_options.maxFrameMb))));
        return;
    }
    if (!header.ok()) {
        // The header was read from the first 64 KiB only: a header line longer than that is
        // unreadable anyway.
        qCInfo(lcNet, "[c%llu] unreadable frame header: %s", clientId, header.error.constData());
        sendNow(client, Dispatcher::errorFrame(header.id, RequestError(code::kBadFrame, header.error)));
        return;
    }
    if (m_stopping) {
        sendNow(client, Dispatcher::errorFrame(
                            header.id, RequestError(code::kBusy, QByteArray("the server is shutting down"))));
        return;
    }
    qCDebug(lcNet, "[c%llu] #%lld %s received, %lld characters", clientId, header.id,
            header.command.constData(), qint64(size));
    const ClientInfo info = client->info;
    const std::shared_ptr<std::atomic<bool>> gone = client->gone;
    const auto job = [this, clientId, header, message, info, gone](ConnectionCache& connections, bool onLane) {
        if (gone->load()) {
            return true;  // nobody waits for the answer
        }
        RunLimits& limits = runLimits();
        limits.cancelled = gone;
        limits.laneDeadline = onLane ? RunLimits::Clock::now() + std::chrono::milliseconds(kLaneLimitMs)
                                     : RunLimits::Clock::time_point::max();
        struct Reset
        {
            RunLimits& limits;
            ~Reset()
            {
                limits.cancelled.reset();
                limits.laneDeadline = RunLimits::Clock::time_point::max();
            }
        } reset{limits};
        QString answer;
        try {
            const QByteArray body = QStringView(message).mid(header.bodyOffset).toUtf8();
            answer = QString::fromUtf8(m_dispatcher->handle(header.id, header.command, body, info, connections));
        } catch (const LaneExpired&) {
            qCDebug(lcSql, "[c%llu] #%lld %s passed the quick lane's %d ms; handed to the workers", clientId,
                    header.id, header.command.constData(), kLaneLimitMs);
            return false;
        } catch (const std::exception& e) {
            // Every request is answered, also when the answer itself cannot be made.
            qCWarning(lcServer, "[c%llu] #%lld %s: %s", clientId, header.id, header.command.constData(), e.what());
            answer = QString::fromUtf8(Dispatcher::errorFrame(
                header.id, RequestError(code::kInternal, QByteArray("internal error: ") + e.what())));
        }
        QMetaObject::invokeMethod(
            this, [this, clientId, answer = std::move(answer)] { deliver(clientId, answer); },
            Qt::QueuedConnection);
        return true;
    };
    const bool queued = m_pool->submit(job, isQuickCommand(header.command), clientId);
    if (!queued) {
        sendNow(client, Dispatcher::errorFrame(
                            header.id, RequestError(code::kBusy, QByteArray("the server is shutting down"))));
    }
}

void DbServer::deliver(quint64 clientId, const QString& frame)
{
    Client* client = m_clients.value(clientId);
    if (!client) {
        qCDebug(lcNet, "[c%llu] gone; answer of %d characters dropped", clientId, int(frame.size()));
        return;
    }
    if (send(client, frame)) {
        client->socket->flush();  // write now rather than on the next pass of the event loop
    }
}

void DbServer::broadcast(const QString& text)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, text] { broadcast(text); }, Qt::QueuedConnection);
        return;
    }
    const QString frame = QLatin1String("*\n") + text;
    int receivers = 0;
    const QList<Client*> clients = m_clients.values();  // a slow reader may be dropped on the way
    for (Client* c : clients) {
        if (c->channel == kPlainChannel && send(c, frame)) {
            ++receivers;
        }
    }
    qCInfo(lcNet, "broadcast of %d characters sent to %d connections", int(text.size()), receivers);
}

void DbServer::dropClient(quint64 clientId)
{
    Client* client = m_clients.take(clientId);
    if (!client) {
        return;
    }
    client->gone->store(true);  // its statements still running stop at the next check
    m_dispatcher->stats().connectionClosed(client->channel);
    qCInfo(lcNet, "[c%llu] disconnected (%s)", clientId,
           client->socket->closeReason().isEmpty() ? "no reason" : qPrintable(client->socket->closeReason()));
    QObject::disconnect(client->socket, nullptr, this, nullptr);
    retire(client->socket);
    delete client;
    if (m_closingClients && m_clients.isEmpty()) {
        finishStop();
    }
}

void DbServer::track(QTcpSocket* socket)
{
    m_tcpSockets.removeAll(QPointer<QTcpSocket>());
    m_tcpSockets.append(socket);
}

void DbServer::retire(QWebSocket* socket)
{
    m_retired.removeAll(QPointer<QWebSocket>());
    m_retired.append(socket);
    socket->deleteLater();
}

void DbServer::stop()
{
    if (m_stopping) {
        return;
    }
    m_stopping = true;
    qCInfo(lcServer, "stopping: %d requests in flight, %d connections", requestsInFlight(),
           connectionCount());
    for (Listener* l : m_listeners) {
        l->close();
    }
    m_stopClock.start();
    m_stopTimer = new QTimer(this);
    m_stopTimer->setInterval(10);
    connect(m_stopTimer, &QTimer::timeout, this, &DbServer::checkStop);
    m_stopTimer->start();
    checkStop();
}

void DbServer::checkStop()
{
    const int pending = m_pool ? m_pool->pending() : 0;
    if (pending > 0 && m_stopClock.elapsed() < m_options.stopGraceMs) {
        return;
    }
    m_stopTimer->stop();
    if (pending > 0) {
        qCWarning(lcServer, "%d requests still running after %d ms; interrupting them", pending,
                  m_options.stopGraceMs);
        m_databases->interruptAll();
    }
    if (m_pool) {
        const int dropped = m_pool->stop();  // the workers close their database connections
        if (dropped > 0) {
            qCWarning(lcServer, "%d queued requests dropped", dropped);
        }
    }
    // Queued behind the answers the workers posted, so those go out first.
    QMetaObject::invokeMethod(this, &DbServer::closeClients, Qt::QueuedConnection);
}

void DbServer::closeClients()
{
    m_closingClients = true;
    if (m_clients.isEmpty()) {
        finishStop();
        return;
    }
    const QList<Client*> clients = m_clients.values();
    for (Client* c : clients) {
        c->socket->close(QWebSocketProtocol::CloseCodeGoingAway, QStringLiteral("server shutting down"));
    }
    QTimer::singleShot(kCloseWaitMs, this, &DbServer::finishStop);
}

void DbServer::finishStop()
{
    if (m_stopped) {
        return;
    }
    m_stopped = true;
    closeListeners();
    qCInfo(lcServer, "stopped");
    emit stopped();
}

}  // namespace tessel::server
