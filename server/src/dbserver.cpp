#include "dbserver.h"

#include "frame.h"
#include "hoststatus.h"
#include "logging.h"
#include "maintenance.h"
#include "requesterror.h"
#include "tlsidentity.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSslConfiguration>
#include <QThread>
#include <QTimer>

#include <openssl/crypto.h>

#include <algorithm>
#include <limits>
#include <new>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tessel::server {

namespace {

constexpr int kHandshakeMs = 10000;
constexpr int kCloseWaitMs = 2000;
constexpr int kShortTokenLength = 16;
/// How long a quick read may run on the network thread that read it before it is stopped and
/// handed to the lane thread, and there before it goes on to the general workers.
constexpr int kInlineLimitMs = 20;
constexpr int kLaneLimitMs = 500;

// WebSocket close codes (RFC 6455).
constexpr quint16 kCloseGoingAway = 1001;
constexpr quint16 kCloseProtocolError = 1002;
constexpr quint16 kClosePolicyViolated = 1008;

QByteArray tokenDigest(const QByteArray& token)
{
    return QCryptographicHash::hash(token, QCryptographicHash::Sha256);
}

/// Whether this user may create files in `folder`: a file is made there and removed again.
bool checkWritableFolder(const QString& folder, QString* error)
{
    QByteArray probe = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".tessel-write-check-XXXXXX")));
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        const int code = errno;
        *error = QStringLiteral("the data folder %1 is not writable (%2): the databases cannot be written")
                     .arg(folder, QString::fromLocal8Bit(std::strerror(code)));
        return false;
    }
    ::close(fd);
    ::unlink(probe.constData());
    return true;
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

DbServer::DbServer(const ServerOptions& options, QObject* parent) : QObject(parent), m_options(options) {}

DbServer::~DbServer()
{
    if (m_net) {
        m_net->stop();  // joins the network threads: no request arrives any more
    }
    m_pool.reset();  // joins the workers; what they still send waits in the stopped network loop
    {
        std::lock_guard<std::mutex> lock(m_clientsMutex);
        m_clients.clear();  // before the listener: the connections' sockets belong to it
    }
    m_net.reset();
    if (m_databases) {
        // Every thread that had a connection is gone: fold the WALs into the files.
        m_databases->checkpointAndClose();
    }
}

std::shared_ptr<const DbServer::AdmitPolicy> DbServer::admitPolicy() const
{
    return std::atomic_load(&m_policy);
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
    auto policy = std::make_shared<AdmitPolicy>();
    policy->allowedOrigins = m_options.allowedOrigins;
    if (!m_options.token.isEmpty()) {
        const QString problem = tokenProblem(m_options.token);
        if (!problem.isEmpty()) {
            *error = problem;
            return false;
        }
        policy->tokenDigest = tokenDigest(m_options.token.toUtf8());
        if (m_options.token.size() < kShortTokenLength) {
            qCWarning(lcServer, "the access token has only %d characters; use at least %d random ones",
                      int(m_options.token.size()), kShortTokenLength);
        }
    }
    std::atomic_store(&m_policy, std::shared_ptr<const AdmitPolicy>(std::move(policy)));
    // Databases, backups and their -wal/-shm hold the password table: only this user reads them.
    ::umask(0077);
    const QString dataDir = QDir(m_options.dataDir).absolutePath();
    m_databases = std::make_unique<DatabaseSet>(dataDir, m_options.schemaDir);
    ConnectionLimits limits;
    limits.valueBytes = int(std::min<qint64>(m_options.maxFrameBytes(), std::numeric_limits<int>::max()));
    m_databases->setLimits(limits);
    m_dispatcher = std::make_unique<Dispatcher>(*m_databases);
    m_dispatcher->setStatementLimitMs(qint64(m_options.statementTimeoutS) * 1000);
    m_dispatcher->setBroadcaster([this](const QString& text) { broadcast(text); });

    // The ports first: a server that cannot listen leaves nothing behind (folders, certificate).
    NetLimits netLimits;
    netLimits.readBytes = m_options.maxFrameBytes() * 4;
    netLimits.assemblingBytes = netLimits.readBytes;  // all connections together: one largest message
    netLimits.outgoingBytes = m_options.maxOutgoingBytes();
    netLimits.handshakeMs = kHandshakeMs;
    netLimits.closeWaitMs = kCloseWaitMs;
    m_net = std::make_unique<BeastListener>(static_cast<NetHost&>(*this), *m_databases,
                                            std::max(2, QThread::idealThreadCount()), netLimits);
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

    if (!QDir().mkpath(dataDir)) {
        *error = QStringLiteral("cannot create the data folder %1").arg(dataDir);
        return false;
    }
    if (!checkWritableFolder(dataDir, error)) {
        return false;
    }
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
    m_databases->removeUnfinishedCreations();
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
    QSslConfiguration identity;  // checks that the two files belong together
    if (!loadServerIdentity(m_certFile, m_keyFile, &identity, error)) {
        return false;
    }
    struct stat keyStat;
    if (::stat(QFile::encodeName(m_keyFile).constData(), &keyStat) == 0 && (keyStat.st_mode & S_IRWXO) != 0) {
        qCWarning(lcTls, "the key %s is open to other users (mode %04o): run chmod o-rwx on it", qPrintable(m_keyFile),
                  unsigned(keyStat.st_mode & 07777));
    }

    if (!m_net->setIdentity(m_certFile, m_keyFile, error)) {
        return false;
    }
    certificateInForce();

    m_pool = std::make_unique<WorkerPool>(*m_databases, m_options.workers, 1, kLaneLimitMs);
    if (!m_net->start(error)) {
        return false;
    }
    qCInfo(lcServer, "statements stop after %d s (0: no limit); unsent answers up to %d MiB per connection; "
                     "origins let in: %s",
           m_options.statementTimeoutS, m_options.maxOutgoingMb,
           m_options.allowedOrigins.isEmpty() ? "none (native clients only)"
                                              : qPrintable(m_options.allowedOrigins.join(QLatin1String(", "))));
    qCInfo(lcServer,
           "%d workers, %d network threads, requests up to %d MiB, schema folder %s, certificate %s, "
           "backup folders %s",
           m_pool->threadCount(), m_net->threadCount(), m_options.maxFrameMb, qPrintable(m_options.schemaDir),
           qPrintable(m_certFile), qPrintable(m_dispatcher->backupRoots().join(QLatin1String(", "))));
    if (admitPolicy()->tokenDigest.isEmpty()) {
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

void DbServer::certificateInForce()
{
    const QDateTime notAfter = certificateNotAfter(m_certFile);
    setServedCertificate(ServedCertificate{m_certFile, notAfter});
    const QString warning = certificateExpiryWarning(m_certFile, notAfter, QDateTime::currentDateTimeUtc());
    if (!warning.isEmpty()) {
        qCWarning(lcTls, "%s", qPrintable(warning));
    }
    if (!m_options.publicCertFile.isEmpty()) {
        QString error;
        if (publishCertificate(m_certFile, m_options.publicCertFile, &error)) {
            qCInfo(lcTls, "certificate copied to %s for clients", qPrintable(m_options.publicCertFile));
        } else {
            qCWarning(lcTls, "copying the certificate for clients: %s", qPrintable(error));
        }
    }
}

bool DbServer::reload(const ServerOptions& options, QString* error)
{
    if (!m_net || m_stopping.load()) {
        *error = QStringLiteral("the server is not running");
        return false;
    }
    auto policy = std::make_shared<AdmitPolicy>();
    policy->allowedOrigins = options.allowedOrigins;
    if (!options.token.isEmpty()) {
        const QString problem = tokenProblem(options.token);
        if (!problem.isEmpty()) {
            *error = problem;
            return false;
        }
        policy->tokenDigest = tokenDigest(options.token.toUtf8());
    } else if (!isLoopbackAddress(m_options.listenAddress)) {
        *error = QStringLiteral("the new configuration has no access token, and the server listens on %1")
                     .arg(m_options.listenAddress.toString());
        return false;
    }
    // The pair named now, or the one in use (the generated pair's files may have been replaced).
    // Going back from named files to a generated pair needs a start, which makes it.
    const bool named = !options.certFile.isEmpty();
    const QString certFile = named ? options.certFile : m_certFile;
    const QString keyFile = named ? options.keyFile : m_keyFile;
    QSslConfiguration identity;
    if (!loadServerIdentity(certFile, keyFile, &identity, error) ||
        !m_net->replaceIdentity(certFile, keyFile, error)) {
        return false;
    }

    const auto restartOnly = [](const char* name, bool differs) {
        if (differs) {
            qCWarning(lcServer, "reload: %s changed; it takes effect at the next start", name);
        }
    };
    restartOnly("data-dir", QDir(options.dataDir).absolutePath() != m_databases->dataDir());
    restartOnly("listen", options.listenAddress != m_options.listenAddress);
    restartOnly("port", options.port != 0 && options.port != m_basePort);
    restartOnly("workers", options.workers != m_options.workers);
    restartOnly("max-frame-mb", options.maxFrameMb != m_options.maxFrameMb);
    restartOnly("max-outgoing-mb", options.maxOutgoingMb != m_options.maxOutgoingMb);
    restartOnly("schema-dir", options.schemaDir != m_options.schemaDir);
    restartOnly("backup-root", options.backupRoots != m_options.backupRoots);
    restartOnly("statement-timeout-s", options.statementTimeoutS != m_options.statementTimeoutS);
    restartOnly("sample-interval-ms", options.sampleIntervalMs != m_options.sampleIntervalMs);
    restartOnly("metrics-port", options.metricsPort != m_options.metricsPort);
    restartOnly("metrics-address", options.metricsAddress != m_options.metricsAddress);
    restartOnly("log-format", options.logFormat != m_options.logFormat);
    restartOnly("cert (back to the generated pair)", !named && !m_options.certFile.isEmpty());

    const bool tokenChanged = policy->tokenDigest != admitPolicy()->tokenDigest;
    std::atomic_store(&m_policy, std::shared_ptr<const AdmitPolicy>(std::move(policy)));
    m_certFile = certFile;
    m_keyFile = keyFile;
    m_options.token = options.token;
    m_options.tokenSource = options.tokenSource;
    m_options.allowedOrigins = options.allowedOrigins;
    if (named) {
        m_options.certFile = options.certFile;
        m_options.keyFile = options.keyFile;
    }
    m_options.publicCertFile = options.publicCertFile;
    m_options.logLevel = options.logLevel;
    certificateInForce();
    qCInfo(lcServer, "reloaded: access token %s, origins let in: %s, certificate %s",
           tokenChanged ? "replaced" : (m_options.token.isEmpty() ? "none" : "unchanged"),
           m_options.allowedOrigins.isEmpty() ? "none" : qPrintable(m_options.allowedOrigins.join(QLatin1String(", "))),
           qPrintable(m_certFile));
    return true;
}

bool DbServer::listenAll(quint16 base, QString* error)
{
    if (!m_net->listen(m_options.listenAddress, base, kChannelCount, kPlainChannel, error)) {
        return false;
    }
    m_basePort = base;
    return true;
}

int DbServer::connectionCount() const
{
    std::lock_guard<std::mutex> lock(m_clientsMutex);
    return m_clients.size();
}

Refusal DbServer::admit(quint64 id, const QHostAddress& peer, const UpgradeRequest& request)
{
    const QString from = peer.toString();
    if (m_stopping.load()) {
        return Refusal{kCloseGoingAway, QStringLiteral("server shutting down")};
    }
    const std::shared_ptr<const AdmitPolicy> policy = admitPolicy();
    // Checked before anything of the connection is read: a peer turned away here never has a
    // request run.
    if (!policy->tokenDigest.isEmpty() && !tokenMatches(policy->tokenDigest, request.token)) {
        qCInfo(lcNet, "[c%llu] %s sent %s access token; closing", id, qPrintable(from),
               request.hasToken ? "a wrong" : "no");
        return Refusal{kClosePolicyViolated, QStringLiteral("bad token")};
    }
    if (!originAllowed(request.origin, policy->allowedOrigins)) {
        // A web page's handshake: a browser on this host would otherwise reach the databases.
        qCInfo(lcNet, "[c%llu] %s sent Origin \"%s\", which is not let in; closing", id, qPrintable(from),
               qPrintable(request.origin.left(200)));
        return Refusal{kClosePolicyViolated, QStringLiteral("origin not allowed")};
    }
    if (request.hasProtocol && request.protocol.trimmed() != "1") {
        qCInfo(lcNet, "[c%llu] %s asked for protocol version \"%s\"; closing", id, qPrintable(from),
               request.protocol.left(32).constData());
        return Refusal{kCloseProtocolError, QStringLiteral("unsupported protocol version")};
    }
    return Refusal{};
}

void DbServer::opened(const std::shared_ptr<NetConnection>& connection)
{
    {
        std::lock_guard<std::mutex> lock(m_clientsMutex);
        m_clients.insert(connection->id(), connection);
    }
    m_dispatcher->stats().connectionOpened(connection->channel());
    qCInfo(lcNet, "[c%llu] connected from %s port %u on channel %d (%s)", connection->id(),
           qPrintable(connection->peerAddress().toString()), connection->peerPort(), connection->channel(),
           connection->channel() == kPlainChannel ? "plain" : "TLS");
}

void DbServer::closed(const std::shared_ptr<NetConnection>& connection, const QString& reason)
{
    bool last = false;
    bool known = false;
    {
        std::lock_guard<std::mutex> lock(m_clientsMutex);
        known = m_clients.remove(connection->id()) > 0;
        last = m_clients.isEmpty();
    }
    if (known) {
        m_dispatcher->stats().connectionClosed(connection->channel());
    }
    qCInfo(lcNet, "[c%llu] disconnected (%s)", connection->id(),
           reason.isEmpty() ? "no reason" : qPrintable(reason));
    if (last && m_closingClients.load()) {
        QMetaObject::invokeMethod(
            this, [this] { finishStop(); }, Qt::QueuedConnection);
    }
}

bool DbServer::send(const std::shared_ptr<NetConnection>& connection, const QByteArray& frame)
{
    switch (connection->send(frame)) {
        case NetConnection::Sent::Queued:
            return true;
        case NetConnection::Sent::OverLimit:
            closeSlowReader(connection, frame.size());
            return false;
        case NetConnection::Sent::Closed:
            qCDebug(lcNet, "[c%llu] gone; frame of %lld bytes dropped", connection->id(), qint64(frame.size()));
            return false;
    }
    return false;
}

void DbServer::closeSlowReader(const std::shared_ptr<NetConnection>& connection, qint64 bytes)
{
    const qint64 unsent = connection->unsentBytes();
    // The close frame would wait behind what the peer does not read: the connection goes at once.
    if (!connection->abort(QStringLiteral("answers not read"))) {
        return;  // closed meanwhile, by another answer or the peer
    }
    const int closedSoFar = ++m_slowReadersClosed;
    qCWarning(lcNet,
              "[c%llu] does not read its answers: %lld bytes unsent and %lld more to send, over the limit of "
              "%d MiB; closing (%d connections closed so far)",
              connection->id(), unsent, bytes, m_options.maxOutgoingMb, closedSoFar);
}

void DbServer::received(const std::shared_ptr<NetConnection>& connection, const QByteArray& message, bool text)
{
    const quint64 clientId = connection->id();
    if (!text) {
        send(connection, Dispatcher::errorFrame(0, RequestError(code::kBadFrame,
                                                                QByteArray("binary frames are not accepted; "
                                                                           "send requests as text frames"))));
        return;
    }
    const qint64 limit = m_options.maxFrameBytes();
    const qsizetype size = message.size();
    // The header is read from the first 64 KiB only: a header line longer than that is
    // unreadable anyway.
    const FrameHeader header =
        parseFrameHeader(QByteArray::fromRawData(message.constData(), std::min<qsizetype>(size, 64 * 1024)));
    if (size > limit || !header.ok() || m_stopping.load()) {
        m_dispatcher->stats().requestRefused();
    }
    if (size > limit) {
        qCInfo(lcNet, "[c%llu] #%lld request of %lld bytes is over the limit", clientId, header.id, qint64(size));
        send(connection,
             Dispatcher::errorFrame(header.id,
                                    RequestError(code::kTooLarge, QStringLiteral("request is larger than the limit of %1 MiB")
                                                                      .arg(m_options.maxFrameMb))));
        return;
    }
    if (!header.ok()) {
        qCInfo(lcNet, "[c%llu] unreadable frame header: %s", clientId, header.error.constData());
        send(connection, Dispatcher::errorFrame(header.id, RequestError(code::kBadFrame, header.error)));
        return;
    }
    if (m_stopping.load()) {
        send(connection, Dispatcher::errorFrame(
                             header.id, RequestError(code::kBusy, QByteArray("the server is shutting down"))));
        return;
    }
    qCDebug(lcNet, "[c%llu] #%lld %s received, %lld bytes", clientId, header.id, header.command.constData(),
            qint64(size));
    const ClientInfo info{clientId, isLoopbackAddress(connection->peerAddress())};
    // Runs the request; false when it passed `limitMs` (a lane's limit, 0: none) and must run
    // again elsewhere, having kept nothing.
    const auto run = [this, connection, header, message, info](ConnectionCache& connections, int limitMs) {
        if (connection->gone()->load()) {
            return true;  // nobody waits for the answer
        }
        RunLimits& limits = runLimits();
        limits.cancelled = connection->gone();
        limits.laneDeadline = limitMs > 0 ? RunLimits::Clock::now() + std::chrono::milliseconds(limitMs)
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
        QByteArray answer;
        try {
            answer = m_dispatcher->handle(header.id, header.command, message.mid(int(header.bodyOffset)), info,
                                          connections);
        } catch (const LaneExpired&) {
            qCDebug(lcSql, "[c%llu] #%lld %s passed a lane's %d ms; handed on", info.connectionId, header.id,
                    header.command.constData(), limitMs);
            return false;
        } catch (const std::exception& e) {
            // Every request is answered, also when the answer itself cannot be made.
            qCWarning(lcServer, "[c%llu] #%lld %s: %s", info.connectionId, header.id, header.command.constData(),
                      e.what());
            answer = Dispatcher::errorFrame(
                header.id, RequestError(code::kInternal, QByteArray("internal error: ") + e.what()));
        }
        send(connection, answer);
        return true;
    };
    const bool quick = isQuickCommand(header.command);
    ConnectionCache* here = BeastListener::threadConnections();
    if (quick && here != nullptr) {
        // A short read is answered right here, without a hand-off; one that takes longer goes
        // to the lane thread (and from there to the general workers) so that this connection
        // and the others of this thread go on.
        ++m_runningInline;
        const bool done = run(*here, kInlineLimitMs);
        const bool queued =
            done || m_pool->submit([run](ConnectionCache& c, bool onLane) { return run(c, onLane ? kLaneLimitMs : 0); },
                                   true, clientId);
        --m_runningInline;
        if (queued) {
            return;
        }
    } else if (m_pool->submit([run](ConnectionCache& c, bool onLane) { return run(c, onLane ? kLaneLimitMs : 0); },
                              quick, clientId)) {
        return;
    }
    send(connection,
         Dispatcher::errorFrame(header.id, RequestError(code::kBusy, QByteArray("the server is shutting down"))));
}

void DbServer::broadcast(const QString& text)
{
    const QByteArray frame = "*\n" + text.toUtf8();
    QList<std::shared_ptr<NetConnection>> clients;
    {
        std::lock_guard<std::mutex> lock(m_clientsMutex);
        clients = m_clients.values();
    }
    int receivers = 0;
    for (const std::shared_ptr<NetConnection>& c : clients) {
        if (c->channel() == kPlainChannel && send(c, frame)) {
            ++receivers;
        }
    }
    qCInfo(lcNet, "broadcast of %d characters sent to %d connections", int(text.size()), receivers);
}

void DbServer::stop()
{
    if (m_stopping.exchange(true)) {
        return;
    }
    qCInfo(lcServer, "stopping: %d requests in flight, %d connections", requestsInFlight(), connectionCount());
    if (m_net) {
        m_net->closeListeners();
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
    const int pending = requestsInFlight();
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
    // The answers are queued on their connections already: each close frame follows them.
    closeClients();
}

void DbServer::closeClients()
{
    m_closingClients = true;
    QList<std::shared_ptr<NetConnection>> clients;
    {
        std::lock_guard<std::mutex> lock(m_clientsMutex);
        clients = m_clients.values();
    }
    if (clients.isEmpty()) {
        finishStop();
        return;
    }
    for (const std::shared_ptr<NetConnection>& c : clients) {
        c->close(kCloseGoingAway, QStringLiteral("server shutting down"));
    }
    QTimer::singleShot(kCloseWaitMs, this, &DbServer::finishStop);
}

void DbServer::finishStop()
{
    if (m_stopped) {
        return;
    }
    m_stopped = true;
    if (m_net) {
        m_net->closeListeners();
    }
    qCInfo(lcServer, "stopped");
    emit stopped();
}

}  // namespace tessel::server
