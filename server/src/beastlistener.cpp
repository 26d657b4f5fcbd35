#include "beastlistener.h"

#include "database.h"
#include "dbserver.h"
#include "descriptors.h"
#include "logging.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <string>
#include <type_traits>
#include <vector>

namespace tessel::server {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace ssl = asio::ssl;
using tcp = asio::ip::tcp;

namespace {

thread_local ConnectionCache* t_connections = nullptr;

constexpr size_t kUpgradeHeaderLimit = 16 * 1024;
/// Most bytes of a message one read takes in before the budget of unfinished messages is checked.
constexpr size_t kReadPieceBytes = 64 * 1024;
constexpr int kAcceptPauseFirstMs = 10;
constexpr int kAcceptPauseMostMs = 1000;
constexpr int kAcceptPauseLogS = 10;

QString text(const beast::error_code& ec)
{
    return QString::fromStdString(ec.message());
}

QByteArray header(const http::request<http::empty_body>& request, const char* name, bool* present)
{
    const auto it = request.find(beast::string_view(name));
    *present = it != request.end();
    return *present ? QByteArray(it->value().data(), int(it->value().size())) : QByteArray();
}

/// Bytes of the messages that every connection has begun and not yet completed, against one
/// limit: however many connections send large fragmented messages, they hold no more than that.
class AssemblyBudget
{
public:
    explicit AssemblyBudget(qint64 limit) : m_limit(limit) {}
    /// Takes `bytes` more; false, taking nothing, when that would pass the limit.
    bool take(qint64 bytes)
    {
        if (m_limit <= 0) {
            return true;
        }
        qint64 used = m_used.load();
        do {
            if (used + bytes > m_limit) {
                return false;
            }
        } while (!m_used.compare_exchange_weak(used, used + bytes));
        return true;
    }
    void give(qint64 bytes) { m_used -= bytes; }
    qint64 limit() const { return m_limit; }

private:
    const qint64 m_limit;
    std::atomic<qint64> m_used{0};
};

template <class Next>
class WsConnection final : public NetConnection, public std::enable_shared_from_this<WsConnection<Next>>
{
public:
    static constexpr bool kTls = !std::is_same<Next, beast::tcp_stream>::value;

    template <class... Args>
    WsConnection(NetHost& host, const NetLimits& limits, std::shared_ptr<AssemblyBudget> budget, quint64 id,
                 int channel, const QHostAddress& peer, quint16 peerPort, tcp::socket&& socket, Args&... tls)
        : NetConnection(id, channel, peer, peerPort),
          m_host(host),
          m_limits(limits),
          m_budget(std::move(budget)),
          m_ws(std::move(socket), tls...),
          m_peer(peer.toString())
    {
    }

    ~WsConnection() override { m_budget->give(m_charged); }

    void begin()
    {
        asio::dispatch(m_ws.get_executor(), [self = this->shared_from_this()] { self->startTransport(); });
    }

    Sent send(const QByteArray& frame) override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_closed || m_closeWanted) {
                return Sent::Closed;
            }
            if (!outgoingFits(m_unsent, frame.size(), m_limits.outgoingBytes)) {
                return Sent::OverLimit;
            }
            m_unsent += frame.size();
            m_queue.push_back(frame);
            if (m_writing) {
                return Sent::Queued;
            }
            m_writing = true;
        }
        // On this connection's strand (an answer made while reading) the write starts here.
        asio::dispatch(m_ws.get_executor(), [self = this->shared_from_this()] { self->writeNext(); });
        return Sent::Queued;
    }

    qint64 unsentBytes() const override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_unsent;
    }

    void close(quint16 code, const QString& reason) override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_closed || m_closeWanted) {
                return;
            }
            m_closeWanted = true;
            m_closeReason = websocket::close_reason(static_cast<websocket::close_code>(code), reason.toStdString());
            if (m_writing) {
                return;  // sent when the queue is empty
            }
            m_writing = true;
        }
        asio::dispatch(m_ws.get_executor(), [self = this->shared_from_this()] { self->writeNext(); });
    }

    bool abort(const QString& reason) override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_closed) {
                return false;
            }
            m_closed = true;
            m_abortReason = reason;
            m_queue.clear();
            m_unsent = 0;
        }
        asio::dispatch(m_ws.get_executor(), [self = this->shared_from_this()] { self->dropSocket(); });
        return true;
    }

private:
    void startTransport()
    {
        beast::get_lowest_layer(m_ws).expires_after(std::chrono::milliseconds(m_limits.handshakeMs));
        if constexpr (kTls) {
            m_ws.next_layer().async_handshake(
                ssl::stream_base::server, [self = this->shared_from_this()](const beast::error_code& ec) {
                    if (ec) {
                        qCInfo(lcTls, "TLS handshake with %s failed: %s", qPrintable(self->m_peer),
                               ec == beast::error::timeout ? "timed out" : qPrintable(text(ec)));
                        self->dropSocket();
                        return;
                    }
                    self->readUpgrade();
                });
        } else {
            readUpgrade();
        }
    }

    void readUpgrade()
    {
        beast::get_lowest_layer(m_ws).expires_after(std::chrono::milliseconds(m_limits.handshakeMs));
        m_parser.emplace();
        m_parser->header_limit(kUpgradeHeaderLimit);
        http::async_read(m_ws.next_layer(), m_in, *m_parser,
                         [self = this->shared_from_this()](const beast::error_code& ec, size_t) {
                             self->onUpgradeRequest(ec);
                         });
    }

    void onUpgradeRequest(const beast::error_code& ec)
    {
        if (ec == beast::error::timeout) {
            qCInfo(lcNet, "%s did not complete the WebSocket upgrade within %d ms; closing", qPrintable(m_peer),
                   m_limits.handshakeMs);
            dropSocket();
            return;
        }
        if (ec) {
            qCDebug(lcNet, "%s sent no readable upgrade request: %s", qPrintable(m_peer), qPrintable(text(ec)));
            dropSocket();
            return;
        }
        m_request = m_parser->release();
        m_parser.reset();
        // From here the WebSocket's own timeouts apply (the upgrade answer, the closing handshake).
        beast::get_lowest_layer(m_ws).expires_never();
        m_ws.set_option(websocket::stream_base::timeout{std::chrono::milliseconds(m_limits.closeWaitMs),
                                                        websocket::stream_base::none(), false});
        m_ws.set_option(websocket::stream_base::decorator(
            [](websocket::response_type& response) { response.set(http::field::server, "tessel-dbserver"); }));
        m_ws.read_message_max(size_t(m_limits.readBytes));
        m_ws.auto_fragment(false);
        m_ws.async_accept(m_request, [self = this->shared_from_this()](const beast::error_code& e) {
            self->onAccepted(e);
        });
    }

    void onAccepted(const beast::error_code& ec)
    {
        if (ec) {
            qCInfo(lcNet, "%s: WebSocket upgrade refused: %s", qPrintable(m_peer), qPrintable(text(ec)));
            dropSocket();
            return;
        }
        UpgradeRequest request;
        request.token = header(m_request, "X-Tessel-Token", &request.hasToken);
        bool hasOrigin = false;
        request.origin = QString::fromUtf8(header(m_request, "Origin", &hasOrigin));
        request.protocol = header(m_request, "X-Tessel-Protocol", &request.hasProtocol);
        m_request = {};
        const Refusal refusal = m_host.admit(id(), peerAddress(), request);
        if (refusal.code != 0) {
            // Nothing of the connection is read: the close drains it up to the peer's close frame.
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_closeWanted = true;
            }
            m_ws.async_close(websocket::close_reason(static_cast<websocket::close_code>(refusal.code), refusal.reason.toStdString()),
                             [self = this->shared_from_this()](const beast::error_code&) { self->dropSocket(); });
            return;
        }
        m_opened = true;
        m_host.opened(this->shared_from_this());
        watch();
        readNext();
    }

    /// Beast answers a broken frame with a close frame and a teardown that no timer bounds:
    /// over TLS it waits for the peer's close_notify, which a peer may never send. A connection
    /// found closing at two checks in a row is dropped.
    void watch()
    {
        m_watch.expires_after(std::chrono::milliseconds(m_limits.closeWaitMs));
        m_watch.async_wait([self = this->shared_from_this()](const beast::error_code& ec) {
            if (ec || self->m_finished) {
                return;
            }
            if (self->m_ws.is_open()) {
                self->m_closingChecks = 0;
            } else if (++self->m_closingChecks >= 2) {
                self->dropSocket();
                return;
            }
            self->watch();
        });
    }

    void readNext()
    {
        m_ws.async_read_some(m_in, kReadPieceBytes,
                             [self = this->shared_from_this()](const beast::error_code& ec, size_t) {
                                 self->onRead(ec);
                             });
    }

    void onRead(const beast::error_code& ec)
    {
        if (ec) {
            finish(ec);
            return;
        }
        if (m_discarding) {
            m_in.clear();  // the rest of a refused message, up to the peer's close frame
            readNext();
            return;
        }
        if (!m_ws.is_message_done()) {
            // Part of a message: what it holds so far counts against the budget of all
            // connections.
            const qint64 more = qint64(m_in.size()) - m_charged;
            if (more > 0 && !m_budget->take(more)) {
                refuseAssembly();
            } else if (more > 0) {
                m_charged += more;
            }
            readNext();
            return;
        }
        const auto data = m_in.cdata();
        const QByteArray message(static_cast<const char*>(data.data()), int(data.size()));
        m_in.consume(m_in.size());
        m_budget->give(m_charged);
        m_charged = 0;
        m_host.received(this->shared_from_this(), message, m_ws.got_text());
        readNext();
    }

    /// The connections together hold the budget of unfinished messages: this one's message is
    /// dropped and the connection closed with 1009, the others' go on.
    void refuseAssembly()
    {
        const qint64 held = qint64(m_in.size());
        m_discarding = true;
        m_budget->give(m_charged);
        m_charged = 0;
        m_in.clear();
        m_in.shrink_to_fit();
        qCWarning(lcNet,
                  "[c%llu] %s: a message of %lld bytes so far would pass the %lld MiB that all unfinished "
                  "messages may hold together; closing (1009)",
                  id(), qPrintable(m_peer), held, m_budget->limit() >> 20);
        close(quint16(websocket::close_code::too_big), QStringLiteral("server busy with other large messages"));
    }

    void writeNext()
    {
        QByteArray next;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_closed) {
                m_writing = false;
                return;
            }
            if (m_queue.empty()) {
                if (!m_closeWanted) {
                    m_writing = false;
                    return;
                }
                // m_writing stays set: nothing is written after the close frame.
            } else {
                next = m_queue.front();
            }
        }
        if (next.isNull()) {
            m_ws.async_close(m_closeReason, [self = this->shared_from_this()](const beast::error_code& ec) {
                if (ec) {
                    self->finish(ec);
                }
            });
            return;
        }
        m_ws.text(true);
        m_ws.async_write(asio::buffer(next.constData(), size_t(next.size())),
                         [self = this->shared_from_this(), next](const beast::error_code& ec, size_t) {
                             self->onWritten(ec, next.size());
                         });
    }

    void onWritten(const beast::error_code& ec, qint64 bytes)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_closed) {
                m_queue.pop_front();
                m_unsent -= bytes;
            }
        }
        if (ec) {
            finish(ec);
            return;
        }
        writeNext();
    }

    void dropSocket()
    {
        beast::error_code ignored;
        beast::get_lowest_layer(m_ws).socket().shutdown(tcp::socket::shutdown_both, ignored);
        beast::get_lowest_layer(m_ws).close();
    }

    /// The end of an opened connection, once.
    void finish(const beast::error_code& ec)
    {
        if (m_finished) {
            return;
        }
        m_finished = true;
        QString reason;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_closed = true;
            m_queue.clear();
            m_unsent = 0;
            reason = m_abortReason;
            if (reason.isEmpty() && m_closeWanted) {
                reason = QString::fromUtf8(m_closeReason.reason.data(), int(m_closeReason.reason.size()));
            }
        }
        gone()->store(true);
        m_watch.cancel();
        m_budget->give(m_charged);
        m_charged = 0;
        if (reason.isEmpty()) {
            const auto& peerReason = m_ws.reason().reason;
            reason = ec == websocket::error::closed ? QString::fromUtf8(peerReason.data(), int(peerReason.size()))
                                                    : text(ec);
        }
        dropSocket();
        if (m_opened) {
            m_host.closed(this->shared_from_this(), reason);
        }
    }

    NetHost& m_host;
    const NetLimits m_limits;
    const std::shared_ptr<AssemblyBudget> m_budget;
    websocket::stream<Next> m_ws;
    const QString m_peer;
    beast::flat_buffer m_in;
    std::optional<http::request_parser<http::empty_body>> m_parser;
    http::request<http::empty_body> m_request;
    asio::steady_timer m_watch{m_ws.get_executor()};
    qint64 m_charged = 0;       // strand only: bytes of m_in taken from the budget
    bool m_discarding = false;  // strand only
    bool m_opened = false;      // strand only
    bool m_finished = false;  // strand only
    int m_closingChecks = 0;  // strand only

    mutable std::mutex m_mutex;  // guards what follows
    std::deque<QByteArray> m_queue;
    qint64 m_unsent = 0;
    bool m_writing = false;  // a write or the close is under way or about to start on the strand
    bool m_closeWanted = false;
    bool m_closed = false;
    websocket::close_reason m_closeReason;
    QString m_abortReason;
};

using PlainConnection = WsConnection<beast::tcp_stream>;
using TlsConnection = WsConnection<beast::ssl_stream<beast::tcp_stream>>;

}  // namespace

class BeastListener::Impl
{
public:
    Impl(NetHost& host, DatabaseSet& databases, int threads, const NetLimits& limits)
        : host(host),
          databases(databases),
          threadsWanted(std::max(threads, 1)),
          limits(limits),
          budget(std::make_shared<AssemblyBudget>(limits.assemblingBytes))
    {
        for (int i = 0; i < threadsWanted; ++i) {
            ios.push_back(std::make_unique<asio::io_context>(1));
        }
        for (auto& next : nextIoOf) {
            next = 0;
        }
    }

    /// The first network thread's context: acceptors and their timers.
    asio::io_context& io() { return *ios.front(); }

    /// Where a new connection of `channel` lives. Each connection stays on one network thread, so
    /// reading a request, answering it inline and writing the answer need no other thread; the
    /// connections of each channel go round the threads on their own count, so that the busy
    /// channel of many clients is spread as well.
    asio::io_context& ioFor(int channel)
    {
        const size_t slot = size_t(channel - 1) % nextIoOf.size();
        const unsigned turn = nextIoOf[slot].fetch_add(1, std::memory_order_relaxed);
        return *ios[(turn + unsigned(channel)) % ios.size()];
    }

    void accept(int channel)
    {
        tcp::acceptor& acceptor = *acceptors[size_t(channel - 1)];
        acceptor.async_accept(asio::make_strand(ioFor(channel)), [this, channel](const beast::error_code& ec,
                                                                     tcp::socket socket) {
            tcp::acceptor& a = *acceptors[size_t(channel - 1)];
            if (ec == asio::error::operation_aborted || !a.is_open()) {
                return;
            }
            if (isOutOfDescriptors(ec)) {
                // The peer stays in the backlog; accepting again at once would fail at once.
                pauseAccepting(channel, text(ec).toUtf8());
                return;
            }
            if (ec) {
                pauses[size_t(channel - 1)]->delayMs = 0;
                qCWarning(lcNet, "accepting on channel %d: %s", channel, qPrintable(text(ec)));
                accept(channel);
                return;
            }
            const bool atCeiling = headroom.reached(socket.native_handle());
            opened(std::move(socket), channel);
            if (atCeiling) {
                // This one is served; the next waits until a descriptor below the ceiling is free.
                pauseAccepting(channel, QByteArray::number(headroom.spare()) +
                                            " descriptors or fewer left of the limit " +
                                            QByteArray::number(headroom.limit()));
                return;
            }
            pauses[size_t(channel - 1)]->delayMs = 0;
            accept(channel);
        });
    }

    static bool isOutOfDescriptors(const beast::error_code& ec)
    {
        // By number: comparing with an errc goes through the generic category.
        if (ec.category() != boost::system::system_category()) {
            return false;
        }
        const int e = ec.value();
        return e == EMFILE || e == ENFILE || e == ENOBUFS || e == ENOMEM;
    }

    /// Waits before accepting on `channel` again: 10 ms at first, doubling up to 1 s while
    /// descriptors stay short. One warning per interval counts the pauses of every channel.
    void pauseAccepting(int channel, const QByteArray& why)
    {
        AcceptPause& pause = *pauses[size_t(channel - 1)];
        pause.delayMs = std::clamp(pause.delayMs * 2, kAcceptPauseFirstMs, kAcceptPauseMostMs);
        const quint64 paused = ++acceptPauses;
        const auto now = std::chrono::steady_clock::now();
        {
            std::lock_guard<std::mutex> lock(pauseLogMutex);
            if (now >= nextPauseLog) {
                qCWarning(lcNet,
                          "accepting paused: %s (%llu pauses in the last %d s, %llu since start); "
                          "connections wait until descriptors are free",
                          why.constData(), paused - pausesLogged, kAcceptPauseLogS, paused);
                pausesLogged = paused;
                nextPauseLog = now + std::chrono::seconds(kAcceptPauseLogS);
            }
        }
        pause.timer.expires_after(std::chrono::milliseconds(pause.delayMs));
        pause.timer.async_wait([this, channel, why](const beast::error_code& e) {
            tcp::acceptor& a = *acceptors[size_t(channel - 1)];
            if (e || !a.is_open()) {
                return;
            }
            if (!headroom.roomBelow(a.native_handle())) {
                pauseAccepting(channel, why);
                return;
            }
            accept(channel);
        });
    }

    void opened(tcp::socket socket, int channel)
    {
        beast::error_code ec;
        socket.set_option(tcp::no_delay(true), ec);
        const tcp::endpoint remote = socket.remote_endpoint(ec);
        if (ec) {
            return;  // already gone
        }
        const QHostAddress peer(QString::fromStdString(remote.address().to_string()));
        const quint64 id = nextId.fetch_add(1);
        if (channel == plainChannel) {
            std::make_shared<PlainConnection>(host, limits, budget, id, channel, peer, remote.port(),
                                              std::move(socket))
                ->begin();
        } else {
            std::make_shared<TlsConnection>(host, limits, budget, id, channel, peer, remote.port(),
                                            std::move(socket), tls)
                ->begin();
        }
    }

    struct ThreadStart
    {
        Impl* impl;
        asio::io_context* io;
    };

    static void* threadMain(void* arg)
    {
        const ThreadStart start = *static_cast<ThreadStart*>(arg);
        delete static_cast<ThreadStart*>(arg);
        Impl* impl = start.impl;
        static std::atomic<int> number{0};
        const std::string name = "tessel-net-" + std::to_string(number.fetch_add(1));
        pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
        ConnectionCache connections(impl->databases);
        t_connections = &connections;
        for (;;) {
            try {
                start.io->run();
                break;
            } catch (const std::exception& e) {
                qCWarning(lcNet, "network thread: %s", e.what());
            }
        }
        t_connections = nullptr;
        return nullptr;
    }

    NetHost& host;
    DatabaseSet& databases;
    const int threadsWanted;
    const NetLimits limits;
    const std::shared_ptr<AssemblyBudget> budget;
    ssl::context tls{ssl::context::tls_server};
    /// A pair loaded by replaceIdentity(): handed to each new TLS session by the certificate
    /// callback, since the context itself must not change while sessions are made from it.
    struct Identity
    {
        X509* cert = nullptr;
        EVP_PKEY* key = nullptr;
        STACK_OF(X509)* chain = nullptr;
        ~Identity()
        {
            X509_free(cert);
            EVP_PKEY_free(key);
            sk_X509_pop_free(chain, X509_free);
        }
    };
    std::mutex identityMutex;
    std::shared_ptr<const Identity> identity;  // guarded by identityMutex
    /// One per network thread, each run by that thread alone.
    std::vector<std::unique_ptr<asio::io_context>> ios;
    std::array<std::atomic<unsigned>, 8> nextIoOf;  ///< per channel: connections placed so far
    std::vector<asio::executor_work_guard<asio::io_context::executor_type>> work;
    std::vector<std::unique_ptr<tcp::acceptor>> acceptors;
    struct AcceptPause
    {
        explicit AcceptPause(const tcp::acceptor::executor_type& executor) : timer(executor) {}
        asio::steady_timer timer;  // on the acceptor's strand
        int delayMs = 0;
    };
    std::vector<std::unique_ptr<AcceptPause>> pauses;  // one per acceptor
    const DescriptorHeadroom headroom;
    std::atomic<quint64> acceptPauses{0};
    std::mutex pauseLogMutex;
    quint64 pausesLogged = 0;                                // guarded by pauseLogMutex
    std::chrono::steady_clock::time_point nextPauseLog{};  // guarded by pauseLogMutex
    int plainChannel = 0;
    std::atomic<quint64> nextId{1};
    std::vector<pthread_t> threads;
};

BeastListener::BeastListener(NetHost& host, DatabaseSet& databases, int threads, const NetLimits& limits)
    : m_impl(std::make_unique<Impl>(host, databases, threads, limits))
{
}

BeastListener::~BeastListener()
{
    stop();
}

bool BeastListener::setIdentity(const QString& certFile, const QString& keyFile, QString* error)
{
    beast::error_code ec;
    ssl::context& tls = m_impl->tls;
    tls.set_options(ssl::context::default_workarounds | ssl::context::no_sslv2 | ssl::context::no_sslv3 |
                        ssl::context::no_tlsv1 | ssl::context::no_tlsv1_1 | ssl::context::single_dh_use,
                    ec);
    if (!ec) {
        tls.use_certificate_chain_file(QFile::encodeName(certFile).toStdString(), ec);
        if (ec) {
            *error = QStringLiteral("cannot use the certificate %1: %2").arg(certFile, text(ec));
            return false;
        }
    }
    if (!ec) {
        tls.use_private_key_file(QFile::encodeName(keyFile).toStdString(), ssl::context::pem, ec);
        if (ec) {
            *error = QStringLiteral("cannot use the key %1: %2").arg(keyFile, text(ec));
            return false;
        }
    }
    if (ec) {
        *error = QStringLiteral("TLS set-up failed: %1").arg(text(ec));
        return false;
    }
    SSL_CTX_set_cert_cb(
        tls.native_handle(),
        [](SSL* session, void* arg) -> int {
            Impl* impl = static_cast<Impl*>(arg);
            std::shared_ptr<const Impl::Identity> identity;
            {
                std::lock_guard<std::mutex> lock(impl->identityMutex);
                identity = impl->identity;
            }
            if (!identity) {
                return 1;  // the context's own pair
            }
            return SSL_use_cert_and_key(session, identity->cert, identity->key, identity->chain, 1) == 1 ? 1 : 0;
        },
        m_impl.get());
    return true;
}

bool BeastListener::replaceIdentity(const QString& certFile, const QString& keyFile, QString* error)
{
    const auto fail = [&](const QString& what) {
        *error = what;
        ERR_clear_error();
        return false;
    };
    auto identity = std::make_shared<Impl::Identity>();
    {
        BIO* bio = BIO_new_file(QFile::encodeName(certFile).constData(), "r");
        if (!bio) {
            return fail(QStringLiteral("cannot read the certificate %1").arg(certFile));
        }
        identity->cert = PEM_read_bio_X509_AUX(bio, nullptr, nullptr, nullptr);
        identity->chain = sk_X509_new_null();
        while (X509* more = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr)) {
            sk_X509_push(identity->chain, more);
        }
        BIO_free(bio);
    }
    {
        BIO* bio = BIO_new_file(QFile::encodeName(keyFile).constData(), "r");
        if (!bio) {
            return fail(QStringLiteral("cannot read the key %1").arg(keyFile));
        }
        identity->key = PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
        BIO_free(bio);
    }
    if (!identity->cert || !identity->key) {
        return fail(QStringLiteral("%1 or %2 holds no PEM certificate or key").arg(certFile, keyFile));
    }
    if (X509_check_private_key(identity->cert, identity->key) != 1) {
        return fail(QStringLiteral("%1 is not the key of %2").arg(keyFile, certFile));
    }
    ERR_clear_error();
    std::lock_guard<std::mutex> lock(m_impl->identityMutex);
    m_impl->identity = std::move(identity);
    return true;
}

bool BeastListener::listen(const QHostAddress& address, quint16 base, int channels, int plainChannel,
                           QString* error)
{
    beast::error_code ec;
    const asio::ip::address ip = asio::ip::make_address(address.toString().toStdString(), ec);
    if (ec) {
        *error = QStringLiteral("cannot listen on %1: %2").arg(address.toString(), text(ec));
        return false;
    }
    std::vector<std::unique_ptr<tcp::acceptor>> acceptors;
    for (int channel = 1; channel <= channels; ++channel) {
        const quint16 port = quint16(base + channel - 1);
        auto acceptor = std::make_unique<tcp::acceptor>(asio::make_strand(m_impl->io()));
        const tcp::endpoint endpoint(ip, port);
        acceptor->open(endpoint.protocol(), ec);
        if (!ec) {
            acceptor->set_option(asio::socket_base::reuse_address(true), ec);
        }
        if (!ec && ip.is_v6() && ip.is_unspecified()) {
            acceptor->set_option(asio::ip::v6_only(false), ec);  // "any": IPv4 as well
        }
        if (!ec) {
            acceptor->bind(endpoint, ec);
        }
        if (!ec) {
            acceptor->listen(asio::socket_base::max_listen_connections, ec);
        }
        if (ec) {
            *error = QStringLiteral("cannot listen on %1 port %2: %3").arg(address.toString()).arg(port).arg(text(ec));
            return false;  // the acceptors opened so far close as they go
        }
        acceptors.push_back(std::move(acceptor));
    }
    m_impl->pauses.clear();
    for (const std::unique_ptr<tcp::acceptor>& acceptor : acceptors) {
        m_impl->pauses.push_back(std::make_unique<Impl::AcceptPause>(acceptor->get_executor()));
    }
    m_impl->acceptors = std::move(acceptors);
    m_impl->plainChannel = plainChannel;
    for (int channel = 1; channel <= channels; ++channel) {
        m_impl->accept(channel);
    }
    return true;
}

bool BeastListener::start(QString* error)
{
    m_impl->work.clear();
    for (const auto& io : m_impl->ios) {
        io->restart();
        m_impl->work.push_back(asio::make_work_guard(*io));
    }
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    // Requests are answered on these threads too: the same stack as the workers'.
    pthread_attr_setstacksize(&attributes, kWorkerStackBytes);
    for (int i = 0; i < m_impl->threadsWanted; ++i) {
        pthread_t thread;
        auto* threadStart = new Impl::ThreadStart{m_impl.get(), m_impl->ios[size_t(i)].get()};
        const int rc = pthread_create(&thread, &attributes, &Impl::threadMain, threadStart);
        if (rc != 0) {
            delete threadStart;
            pthread_attr_destroy(&attributes);
            *error = QStringLiteral("starting a network thread: %1").arg(QString::fromLocal8Bit(std::strerror(rc)));
            return false;
        }
        m_impl->threads.push_back(thread);
    }
    pthread_attr_destroy(&attributes);
    return true;
}

int BeastListener::threadCount() const
{
    return int(m_impl->threads.size());
}

void BeastListener::closeListeners()
{
    for (const std::unique_ptr<tcp::acceptor>& acceptor : m_impl->acceptors) {
        tcp::acceptor* a = acceptor.get();
        asio::post(a->get_executor(), [a] {
            beast::error_code ignored;
            a->close(ignored);
        });
    }
    for (const std::unique_ptr<Impl::AcceptPause>& pause : m_impl->pauses) {
        Impl::AcceptPause* p = pause.get();
        asio::post(p->timer.get_executor(), [p] { p->timer.cancel(); });
    }
}

void BeastListener::stop()
{
    m_impl->work.clear();
    for (const auto& io : m_impl->ios) {
        io->stop();
    }
    for (pthread_t thread : m_impl->threads) {
        pthread_join(thread, nullptr);
    }
    m_impl->threads.clear();
}

ConnectionCache* BeastListener::threadConnections()
{
    return t_connections;
}

}  // namespace tessel::server
