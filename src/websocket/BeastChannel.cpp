#include "BeastChannel.h"

#include "Frame.h"
#include "Log.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>

#include <openssl/x509.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace tessel::ws {

namespace net = boost::asio;
namespace ssl = boost::asio::ssl;
namespace beast = boost::beast;
namespace websocket = boost::beast::websocket;
using tcp = boost::asio::ip::tcp;
using boost::system::error_code;

namespace {

// Writes of a frame are masked and sent in pieces of this size.
constexpr size_t kWriteBufferBytes = 64 * 1024;
// The read buffer keeps its size between messages up to this; a larger one is given back.
constexpr size_t kKeptReadBufferBytes = 1024 * 1024;
// A normal close waits at most this long for the server's part of the closing handshake.
constexpr std::chrono::milliseconds kCloseWait{1000};
// The reader thread takes the reading role once no caller has waited for this long.
constexpr std::chrono::milliseconds kCallersIdle{2};

// Log lines show at most this much of a frame.
constexpr int kExcerptBytes = 120;

const char* const kHostNameMismatch =
    "The host name did not match any of the valid hosts for this certificate";

// A socket read Beast's asynchronous read asked for, parked until the role holder finds data.
class ParkedRead
{
public:
    virtual ~ParkedRead() = default;
    virtual void complete(const error_code& _ec, size_t _uBytes) = 0;
};

template <typename Handler>
class ParkedReadOf final : public ParkedRead
{
public:
    explicit ParkedReadOf(Handler&& _handler) : m_handler(std::move(_handler)) {}
    void complete(const error_code& _ec, size_t _uBytes) override { std::move(m_handler)(_ec, _uBytes); }

private:
    Handler m_handler;
};

// The transport below the WebSocket stream: a TCP socket, or TLS over one.
//
// While opening, it is a plain asynchronous stream on the control thread's io_context. Once the
// connection is open (shared), its executor is the connection's private io_context, which only
// the holder of the reading role runs, under the stream lock: an asynchronous read parks its
// buffers and handler here, and feedParked() completes it when the socket has data. Writes
// (a caller's frame, Beast's pong and close replies) are done at once, under the stream lock.
class ChannelStream
{
public:
    using executor_type = tcp::socket::executor_type;

    ChannelStream(net::io_context& _io, ssl::context* _pTls, net::io_context& _parkIo)
        : m_parkIo(_parkIo)
    {
        if (_pTls != nullptr)
            m_pTls = std::make_unique<ssl::stream<tcp::socket>>(_io, *_pTls);
        else
            m_pPlain = std::make_unique<tcp::socket>(_io);
    }

    executor_type get_executor() noexcept
    {
        if (m_bShared)
            return m_parkIo.get_executor();
        return socket().get_executor();
    }
    tcp::socket& socket() { return m_pTls ? m_pTls->next_layer() : *m_pPlain; }
    ssl::stream<tcp::socket>* tls() { return m_pTls.get(); }
    /// Control thread, once the connection is open: from then on the stream is used under the
    /// stream lock from several threads, and its operations complete on the private io_context.
    void setShared()
    {
        m_iFd = socket().native_handle();
        // A plain socket stays non-blocking; TLS writes need a blocking socket (the TLS engine
        // cannot take back output it has produced), so TLS reads switch it for their attempt.
        if (!m_pTls) {
            error_code ignored;
            m_pPlain->non_blocking(true, ignored);
        }
        m_bShared = true;
    }
    /// Under the stream lock: no write reaches the socket any more.
    void setWritesClosed() { m_bWritesClosed = true; }
    /// Under the stream lock: waits for the socket end at _deadline from now on.
    void beginClosing(std::chrono::steady_clock::time_point _deadline)
    {
        m_deadline = _deadline;
        m_bClosing = true;
    }
    bool closing() const { return m_bClosing; }
    bool hasParkedRead() const { return m_pParked != nullptr; }

    /// Under the stream lock: tries the parked read without waiting. True when it completed (with
    /// data or an error); its handler is then queued on the private io_context.
    bool feedParked()
    {
        if (!m_pParked)
            return false;
        error_code ec;
        size_t uRead = 0;
        if (m_pTls) {
            error_code ignored;
            socket().non_blocking(true, ignored);
            uRead = m_pTls->read_some(m_parkedBuffers, ec);
            socket().non_blocking(false, ignored);
        } else {
            uRead = m_pPlain->read_some(m_parkedBuffers, ec);
        }
        if (ec == net::error::would_block)
            return false;
        std::unique_ptr<ParkedRead> pParked = std::move(m_pParked);
        m_parkedBuffers.clear();
        net::post(m_parkIo, [pParked = std::move(pParked), ec, uRead]() mutable { pParked->complete(ec, uRead); });
        return true;
    }
    /// Under the stream lock: ends a parked read with _ec (the stream is done with).
    void abortParked(const error_code& _ec)
    {
        if (!m_pParked)
            return;
        std::unique_ptr<ParkedRead> pParked = std::move(m_pParked);
        m_parkedBuffers.clear();
        net::post(m_parkIo, [pParked = std::move(pParked), _ec]() mutable { pParked->complete(_ec, 0); });
    }

    /// The end of a closing handshake: TLS close_notify, then our FIN, then the peer's data up
    /// to its FIN (or the deadline), so that neither side sees a cut stream.
    void finishClosing()
    {
        error_code ignored;
        socket().non_blocking(true, ignored);
        if (m_pTls) {
            // Sends close_notify; the peer's own close_notify is read below with the rest.
            m_pTls->shutdown(ignored);
        }
        socket().shutdown(tcp::socket::shutdown_send, ignored);
        char buffer[4096];
        for (;;) {
            error_code ec;
            const size_t uRead = socket().read_some(net::buffer(buffer), ec);
            if (ec == net::error::would_block) {
                if (!waitFor(POLLIN))
                    break;
                continue;
            }
            if (ec || uRead == 0)
                break;
        }
        socket().shutdown(tcp::socket::shutdown_both, ignored);
    }

    // Synchronous reads serve only the stream concepts; once shared, every read is parked.
    template <typename MutableBuffers>
    size_t read_some(const MutableBuffers& _buffers, error_code& _ec)
    {
        if (m_bShared) {
            _ec = net::error::operation_not_supported;
            return 0;
        }
        return m_pTls ? m_pTls->read_some(_buffers, _ec) : m_pPlain->read_some(_buffers, _ec);
    }

    template <typename MutableBuffers>
    size_t read_some(const MutableBuffers& _buffers)
    {
        error_code ec;
        return orThrow(read_some(_buffers, ec), ec);
    }

    /// Once shared, under the stream lock.
    template <typename ConstBuffers>
    size_t write_some(const ConstBuffers& _buffers, error_code& _ec)
    {
        if (m_bWritesClosed) {
            _ec = net::error::not_connected;
            return 0;
        }
        if (m_pTls)
            return m_pTls->write_some(_buffers, _ec);
        for (;;) {
            const size_t uWritten = m_pPlain->write_some(_buffers, _ec);
            if (_ec != net::error::would_block || !m_bShared)
                return uWritten;
            _ec.clear();
            if (!waitFor(POLLOUT)) {
                _ec = net::error::connection_aborted;
                return 0;
            }
        }
    }

    template <typename ConstBuffers>
    size_t write_some(const ConstBuffers& _buffers)
    {
        error_code ec;
        return orThrow(write_some(_buffers, ec), ec);
    }

    template <typename MutableBuffers, typename Token>
    auto async_read_some(const MutableBuffers& _buffers, Token&& _token)
    {
        return net::async_initiate<Token, void(error_code, size_t)>(
            [this](auto _handler, const MutableBuffers& _b) {
                if (!m_bShared) {
                    if (m_pTls)
                        m_pTls->async_read_some(_b, std::move(_handler));
                    else
                        m_pPlain->async_read_some(_b, std::move(_handler));
                    return;
                }
                m_parkedBuffers.assign(net::buffer_sequence_begin(_b), net::buffer_sequence_end(_b));
                m_pParked = std::make_unique<ParkedReadOf<decltype(_handler)>>(std::move(_handler));
            },
            _token, _buffers);
    }

    template <typename ConstBuffers, typename Token>
    auto async_write_some(const ConstBuffers& _buffers, Token&& _token)
    {
        return net::async_initiate<Token, void(error_code, size_t)>(
            [this](auto _handler, const ConstBuffers& _b) {
                if (!m_bShared) {
                    if (m_pTls)
                        m_pTls->async_write_some(_b, std::move(_handler));
                    else
                        m_pPlain->async_write_some(_b, std::move(_handler));
                    return;
                }
                // Beast's own frames while reading or closing: written now, under the stream lock.
                error_code ec;
                const size_t uWritten = write_some(_b, ec);
                net::post(m_parkIo, [h = std::move(_handler), ec, uWritten]() mutable { h(ec, uWritten); });
            },
            _token, _buffers);
    }

private:
    static size_t orThrow(size_t _uBytes, const error_code& _ec)
    {
        if (_ec)
            throw boost::system::system_error(_ec);
        return _uBytes;
    }

    // Waits on the descriptor itself: asio's wait would read the socket's state, which a TLS
    // read changes under the lock meanwhile. A shut socket wakes it (the read or write that
    // follows reports why). False on a failure of poll itself.
    bool waitFor(short _events)
    {
        pollfd entry{m_iFd, _events, 0};
        for (;;) {
            int iTimeoutMs = -1;
            if (m_bClosing) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    m_deadline - std::chrono::steady_clock::now());
                if (left.count() <= 0)
                    return false;
                iTimeoutMs = int(left.count());
            }
            const int iReady = ::poll(&entry, 1, iTimeoutMs);
            if (iReady > 0 || (iReady == 0 && iTimeoutMs < 0))
                return true;
            if (iReady == 0)
                return false;
            if (errno != EINTR)
                return false;
        }
    }

    net::io_context& m_parkIo;
    std::unique_ptr<ssl::stream<tcp::socket>> m_pTls;
    std::unique_ptr<tcp::socket> m_pPlain;
    int m_iFd = -1;
    bool m_bShared = false;
    bool m_bWritesClosed = false;
    std::atomic<bool> m_bClosing{false};
    std::chrono::steady_clock::time_point m_deadline;
    std::vector<net::mutable_buffer> m_parkedBuffers;
    std::unique_ptr<ParkedRead> m_pParked;
};

// The WebSocket layer's end of a connection (after a close frame, or on a timeout of an
// asynchronous operation): the socket is shut, never closed here. Only BeastConnection::close()
// closes it, on the control thread, once the reader has stopped: a descriptor number is never
// reused under a thread that still uses it.
void teardown(beast::role_type, ChannelStream& _stream, error_code& _ec)
{
    _ec.clear();
    if (_stream.closing()) {
        _stream.finishClosing();
        return;
    }
    error_code ignored;
    _stream.socket().shutdown(tcp::socket::shutdown_both, ignored);
}

template <typename Handler>
void async_teardown(beast::role_type _role, ChannelStream& _stream, Handler&& _handler)
{
    error_code ec;
    teardown(_role, _stream, ec);
    net::post(_stream.get_executor(), [h = std::forward<Handler>(_handler), ec]() mutable { h(ec); });
}

void beast_close_socket(ChannelStream& _stream)
{
    error_code ignored;
    _stream.socket().shutdown(tcp::socket::shutdown_both, ignored);
}

QString text(const error_code& _ec)
{
    return QString::fromStdString(_ec.message());
}

// The start of a frame that may be huge, for a log line.
QString excerptOf(const char* _pData, size_t _uSize)
{
    if (_uSize <= size_t(kExcerptBytes))
        return QString::fromUtf8(_pData, int(_uSize));
    return QString::fromUtf8(_pData, kExcerptBytes) + QStringLiteral("... (%1 bytes)").arg(_uSize);
}

}  // namespace

struct BeastConnection::Impl : std::enable_shared_from_this<Impl>
{
    Impl(net::io_context& _io, int _iChannel, const QUrl& _url, std::shared_ptr<ssl::context> _pTls)
        : iChannel(_iChannel),
          url(_url),
          pTls(std::move(_pTls)),
          resolver(_io),
          timer(_io),
          parkIo(1),
          ws(_io, pTls.get(), parkIo),
          iWakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
    {
    }
    ~Impl()
    {
        if (iWakeFd >= 0)
            ::close(iWakeFd);
    }

    /// Handler of one step of opening: nothing once closed, fail() on an error, else _next with
    /// this and the step's results.
    template <typename Next>
    auto step(Next _next)
    {
        return [self = shared_from_this(), _next](const error_code& _ec, const auto&... _results) {
            if (self->bClosed)
                return;
            if (_ec)
                return self->fail(_ec);
            _next(*self, _results...);
        };
    }
    void fail(const error_code& _ec);
    void succeed();
    void onConnected();
    void upgrade();
    void readerLoop();
    /// The reader thread: whether it may take the reading role now; else sleeps a while.
    bool readerMayRead();
    /// Holding pumpMutex: reads until something arrives, _deadline or an interruption.
    PumpResult pump(std::chrono::steady_clock::time_point _deadline, bool _bWakeable);
    /// Under streamMutex: the next message's read (parked until data comes).
    void startRead();
    void onRead(const error_code& _ec);
    /// Under streamMutex: runs whatever the reads and writes queued on parkIo.
    void runParked();
    /// Holding pumpMutex, on the control thread: the WebSocket closing handshake, TLS
    /// close_notify and an orderly TCP end, within kCloseWait; then the stream is done.
    void closeGracefully();
    void dispatch(const char* _pData, size_t _uSize);
    QString closeReason(const error_code& _ec);
    void reportDown(const QString& _strReason);

    const int iChannel;
    const QUrl url;
    std::shared_ptr<ssl::context> pTls;
    std::string strToken;
    tcp::resolver resolver;
    net::steady_timer timer;
    /// Every use of ws and parkIo once the connection is open (see ChannelStream).
    std::mutex streamMutex;
    net::io_context parkIo;
    websocket::stream<ChannelStream> ws;
    beast::flat_buffer readBuffer;          ///< under streamMutex: the message being read
    std::deque<beast::flat_buffer> arrived; ///< under streamMutex: read, not yet dispatched
    bool bReadFailed = false;               ///< under streamMutex: no more messages will come
    QString strDownReason;                  ///< under streamMutex, once bReadFailed
    std::atomic<bool> bDownReported{false};

    /// The reading role: held by the thread that waits on the socket and runs parkIo.
    std::mutex pumpMutex;
    const int iWakeFd;  ///< interrupt() and close() wake a role holder through it
    std::atomic<int> iCallers{0};
    std::atomic<std::chrono::steady_clock::rep> lastCaller{0};  ///< steady_clock ticks
    std::mutex readerMutex;
    std::condition_variable readerCv;  ///< the reader thread's sleep; close() ends it

    // Control thread only.
    std::function<void(const QString&)> done;
    QString strTimeout;      ///< set when the attempt ran out of time
    QString strVerifyError;  ///< the first certificate problem of the TLS handshake
    bool bClosed = false;
    bool bOpened = false;
    std::thread reader;

    bool bWritable = false;  ///< under streamMutex: the stream is open for callers' frames
    bool bClosingHandshake = false;  ///< under streamMutex: no read follows the current one
    bool bCloseDone = false;         ///< under streamMutex: the closing handshake has ended
    std::atomic<bool> bStopping{false};
    ConnectionSink sink;
    int iFd = -1;  ///< the socket's descriptor while the reader runs
};

BeastConnection::BeastConnection(net::io_context& _io, int _iChannel, const QUrl& _url,
                                 std::shared_ptr<ssl::context> _pTls)
    : m_pImpl(std::make_shared<Impl>(_io, _iChannel, _url, std::move(_pTls)))
{
}

BeastConnection::~BeastConnection()
{
    close();
}

void BeastConnection::open(const QString& _strToken, std::chrono::milliseconds _timeout,
                           std::function<void(const QString&)> _done)
{
    auto self = m_pImpl;
    self->done = std::move(_done);
    self->strToken = _strToken.toStdString();
    self->timer.expires_after(_timeout);
    self->timer.async_wait([self, _timeout](const error_code& ec) {
        if (ec || self->bClosed || self->bOpened || !self->done)
            return;
        self->strTimeout = QStringLiteral("no connection within %1 ms").arg(_timeout.count());
        self->resolver.cancel();
        error_code ignored;
        self->ws.next_layer().socket().close(ignored);
    });
    const std::string strHost = self->url.host().toStdString();
    const std::string strPort = std::to_string(self->url.port());
    self->resolver.async_resolve(
        strHost, strPort, self->step([](Impl& impl, const tcp::resolver::results_type& results) {
            net::async_connect(impl.ws.next_layer().socket(), results,
                               impl.step([](Impl& next, const tcp::endpoint&) { next.onConnected(); }));
        }));
}

void BeastConnection::Impl::onConnected()
{
    error_code ignored;
    ws.next_layer().socket().set_option(tcp::no_delay(true), ignored);
    ssl::stream<tcp::socket>* pStream = ws.next_layer().tls();
    if (pStream == nullptr)
        return upgrade();

    const std::string strHost = url.host().toStdString();
    error_code addressError;
    net::ip::make_address(strHost, addressError);
    if (addressError)  // a name, not an address: tell the server which one (SNI)
        SSL_set_tlsext_host_name(pStream->native_handle(), strHost.c_str());
    if (SSL_CTX_get_verify_mode(pTls->native_handle()) != SSL_VERIFY_NONE) {
        // A plain pointer: the stream holds this callback, and the handshake's handler keeps us alive.
        Impl* self = this;
        pStream->set_verify_callback(
            [self, check = ssl::host_name_verification(strHost)](bool bPreverified,
                                                                 ssl::verify_context& context) mutable {
                if (!bPreverified) {
                    if (self->strVerifyError.isEmpty())
                        self->strVerifyError = QString::fromLatin1(
                            X509_verify_cert_error_string(X509_STORE_CTX_get_error(context.native_handle())));
                    return false;
                }
                if (!check(bPreverified, context)) {
                    if (self->strVerifyError.isEmpty())
                        self->strVerifyError = QString::fromLatin1(kHostNameMismatch);
                    return false;
                }
                return true;
            },
            ignored);
    }
    pStream->async_handshake(ssl::stream_base::client, step([](Impl& impl) { impl.upgrade(); }));
}

void BeastConnection::Impl::upgrade()
{
    ws.set_option(websocket::stream_base::decorator([strToken = strToken](websocket::request_type& request) {
        request.set(boost::beast::http::field::user_agent, "tessel-websocket 1");
        request.set("X-Tessel-Protocol", "1");
        if (!strToken.empty())
            request.set("X-Tessel-Token", strToken);
    }));
    std::string strHost = url.host().toStdString();
    if (strHost.find(':') != std::string::npos)
        strHost = "[" + strHost + "]";
    strHost += ":" + std::to_string(url.port());
    std::string strTarget = url.path(QUrl::FullyEncoded).toStdString();
    if (strTarget.empty())
        strTarget = "/";
    if (url.hasQuery())
        strTarget += "?" + url.query(QUrl::FullyEncoded).toStdString();
    ws.async_handshake(strHost, strTarget, step([](Impl& impl) { impl.succeed(); }));
}

void BeastConnection::Impl::fail(const error_code& _ec)
{
    if (bOpened || !done)
        return;
    timer.cancel();
    QString strError;
    if (!strTimeout.isEmpty())
        strError = strTimeout;
    else if (!strVerifyError.isEmpty())
        strError = QStringLiteral("TLS verification failed: ") + strVerifyError;
    else
        strError = text(_ec);
    error_code ignored;
    ws.next_layer().socket().close(ignored);
    auto callback = std::move(done);
    done = nullptr;
    callback(strError);
}

void BeastConnection::Impl::succeed()
{
    if (!done)
        return;
    timer.cancel();
    bOpened = true;
    ws.read_message_max(kMaxMessageBytes);
    ws.auto_fragment(false);  // one frame per message
    ws.write_buffer_bytes(kWriteBufferBytes);
    ws.text(true);
    ws.next_layer().setShared();
    iFd = ws.next_layer().socket().native_handle();
    {
        std::lock_guard<std::mutex> lock(streamMutex);
        bWritable = true;
        startRead();
    }
    auto callback = std::move(done);
    done = nullptr;
    callback(QString());
}

void BeastConnection::startReading(ConnectionSink _sink)
{
    Impl& impl = *m_pImpl;
    if (!impl.bOpened || impl.bClosed || impl.reader.joinable())
        return;
    impl.sink = std::move(_sink);
    impl.reader = std::thread([pImpl = m_pImpl.get()] { pImpl->readerLoop(); });
}

bool BeastConnection::send(const QByteArray& _frame)
{
    Impl& impl = *m_pImpl;
    std::lock_guard<std::mutex> lock(impl.streamMutex);
    if (!impl.bWritable)
        return false;
    error_code ec;
    impl.ws.write(net::buffer(_frame.constData(), size_t(_frame.size())), ec);
    if (!ec)
        return true;
    // A frame may be half out: nothing can follow it. The reader sees the end and reports it.
    impl.bWritable = false;
    qCWarning(lcWebSocket).noquote() << "channel" << impl.iChannel << ": write failed:" << text(ec);
    if (impl.iFd >= 0)
        ::shutdown(impl.iFd, SHUT_RDWR);
    return false;
}

void BeastConnection::callerArrives()
{
    m_pImpl->iCallers.fetch_add(1, std::memory_order_relaxed);
}

void BeastConnection::callerLeaves()
{
    Impl& impl = *m_pImpl;
    impl.lastCaller.store(std::chrono::steady_clock::now().time_since_epoch().count(), std::memory_order_relaxed);
    impl.iCallers.fetch_sub(1, std::memory_order_release);
}

bool BeastConnection::tryPump(std::chrono::steady_clock::time_point _deadline, PumpResult& _result)
{
    Impl& impl = *m_pImpl;
    std::unique_lock<std::mutex> role(impl.pumpMutex, std::try_to_lock);
    if (!role.owns_lock())
        return false;
    _result = impl.pump(_deadline, true);
    return true;
}

void BeastConnection::interrupt()
{
    const quint64 uOne = 1;
    if (m_pImpl->iWakeFd >= 0)
        (void)!::write(m_pImpl->iWakeFd, &uOne, sizeof uOne);
}

void BeastConnection::close()
{
    Impl& impl = *m_pImpl;
    if (impl.bClosed)
        return;
    impl.bClosed = true;
    impl.done = nullptr;
    impl.timer.cancel();
    impl.resolver.cancel();
    if (impl.reader.joinable()) {
        {
            std::lock_guard<std::mutex> lock(impl.readerMutex);
            impl.bStopping = true;
        }
        impl.readerCv.notify_all();
        // Whoever reads now lets go of the role: a caller, or the reader thread.
        interrupt();
        {
            std::lock_guard<std::mutex> role(impl.pumpMutex);
            impl.closeGracefully();
        }
        // Ends any caller's write stuck on a full send buffer and a reader still waiting.
        ::shutdown(impl.iFd, SHUT_RDWR);
        impl.reader.join();
    }
    std::lock_guard<std::mutex> lock(impl.streamMutex);
    impl.bWritable = false;
    impl.ws.next_layer().setWritesClosed();
    impl.ws.next_layer().abortParked(net::error::operation_aborted);
    impl.runParked();
    error_code ignored;
    impl.ws.next_layer().socket().close(ignored);
}

void BeastConnection::Impl::startRead()
{
    ws.async_read(readBuffer, [this](const error_code& ec, size_t) { onRead(ec); });
}

void BeastConnection::Impl::onRead(const error_code& _ec)
{
    if (_ec) {
        if (!bReadFailed) {
            bReadFailed = true;
            strDownReason = closeReason(_ec);
        }
        // Nothing more can go out behind a broken stream.
        bWritable = false;
        return;
    }
    if (!ws.got_text()) {
        qCWarning(lcWebSocket) << "channel" << iChannel << ": dropped a binary message of" << readBuffer.size()
                               << "bytes (the protocol has only text frames)";
        readBuffer.consume(readBuffer.size());
    } else {
        // Dispatched by the role holder once it has let go of the stream lock.
        arrived.push_back(std::move(readBuffer));
        readBuffer = beast::flat_buffer();
    }
    if (bClosingHandshake)
        return;
    startRead();
}

void BeastConnection::Impl::runParked()
{
    if (parkIo.stopped())
        parkIo.restart();
    parkIo.poll();
}

PumpResult BeastConnection::Impl::pump(std::chrono::steady_clock::time_point _deadline, bool _bWakeable)
{
    std::deque<beast::flat_buffer> messages;
    bool bFailed = false;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(streamMutex);
            if (!bReadFailed && (!_bWakeable || !bStopping)) {
                runParked();
                // Over TLS the engine may hold records it has taken from the socket already:
                // only a read that finds nothing at all makes waiting on the socket right.
                while (ws.next_layer().feedParked()) {
                    runParked();
                    if (!arrived.empty() && !pTls)
                        break;
                }
            }
            messages.swap(arrived);
            bFailed = bReadFailed || (_bWakeable && bStopping);
        }
        if (!messages.empty() || bFailed)
            break;
        // Nothing yet: wait for the socket without the stream lock.
        pollfd entries[2] = {{iFd, POLLIN, 0}, {iWakeFd, POLLIN, 0}};
        int iTimeoutMs = -1;
        if (_deadline != std::chrono::steady_clock::time_point::max()) {
            const auto left = _deadline - std::chrono::steady_clock::now();
            if (left <= std::chrono::steady_clock::duration::zero())
                return PumpResult::TimedOut;
            // Rounded up: a wait never ends just before the deadline.
            iTimeoutMs = int(std::chrono::ceil<std::chrono::milliseconds>(left).count());
        }
        const int iReady = ::poll(entries, _bWakeable ? 2 : 1, iTimeoutMs);
        if (iReady < 0 && errno != EINTR)
            return PumpResult::Down;
        if (iReady > 0 && _bWakeable && (entries[1].revents & POLLIN) != 0) {
            quint64 uCount = 0;
            (void)!::read(iWakeFd, &uCount, sizeof uCount);
            return bStopping ? PumpResult::Down : PumpResult::Progress;
        }
    }
    for (const beast::flat_buffer& message : messages)
        dispatch(static_cast<const char*>(message.data().data()), message.size());
    if (bFailed) {
        if (!bStopping) {
            std::lock_guard<std::mutex> lock(streamMutex);
            reportDown(strDownReason);
        }
        return PumpResult::Down;
    }
    return PumpResult::Progress;
}

void BeastConnection::Impl::reportDown(const QString& _strReason)
{
    if (!bDownReported.exchange(true))
        sink.onDown(_strReason);
}

bool BeastConnection::Impl::readerMayRead()
{
    std::unique_lock<std::mutex> lock(readerMutex);
    for (;;) {
        if (bStopping)
            return false;
        if (iCallers.load(std::memory_order_acquire) == 0) {
            const auto last = std::chrono::steady_clock::time_point(
                std::chrono::steady_clock::duration(lastCaller.load(std::memory_order_relaxed)));
            const auto until = last + kCallersIdle;
            if (std::chrono::steady_clock::now() >= until)
                return true;
            readerCv.wait_until(lock, until);
        } else {
            readerCv.wait_for(lock, kCallersIdle);
        }
    }
}

void BeastConnection::Impl::readerLoop()
{
    while (readerMayRead()) {
        PumpResult result = PumpResult::Progress;
        {
            std::unique_lock<std::mutex> role(pumpMutex, std::try_to_lock);
            if (!role.owns_lock())
                continue;  // a caller reads
            // Reads while no caller comes; gives the role back once one did.
            do {
                result = pump(std::chrono::steady_clock::time_point::max(), true);
            } while (result == PumpResult::Progress && iCallers.load(std::memory_order_acquire) == 0 &&
                     !bStopping);
        }
        if (sink.onRoleFree)
            sink.onRoleFree();
        if (result == PumpResult::Down)
            break;
    }
}

void BeastConnection::Impl::closeGracefully()
{
    {
        std::lock_guard<std::mutex> lock(streamMutex);
        if (!bWritable || bReadFailed)
            return;
        bWritable = false;
        bClosingHandshake = true;
        ws.next_layer().beginClosing(std::chrono::steady_clock::now() + kCloseWait);
        ws.async_close(websocket::close_code::normal, [this](const error_code& ec) {
            bCloseDone = true;
            if (ec)
                qCDebug(lcWebSocket).noquote() << "channel" << iChannel << ": closing handshake:" << text(ec);
        });
        runParked();
    }
    // The server's close frame ends the parked read; then the close completes.
    const auto deadline = std::chrono::steady_clock::now() + kCloseWait;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(streamMutex);
            if (bCloseDone)
                break;
            runParked();
            while (ws.next_layer().feedParked())
                runParked();
            arrived.clear();  // answers now have no waiter
            if (bCloseDone)
                break;
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            break;
        pollfd entry{iFd, POLLIN, 0};
        ::poll(&entry, 1, int(std::chrono::ceil<std::chrono::milliseconds>(left).count()));
    }
}

QString BeastConnection::Impl::closeReason(const error_code& _ec)
{
    if (_ec == websocket::error::closed) {
        const websocket::close_reason& reason = ws.reason();
        const QString strReason = QString::fromUtf8(reason.reason.data(), int(reason.reason.size()));
        if (!strReason.isEmpty())
            return QStringLiteral("connection closed (code %1: %2)").arg(reason.code).arg(strReason);
        return QStringLiteral("connection closed (code %1)").arg(reason.code);
    }
    return QStringLiteral("connection closed (code %1): %2")
        .arg(int(websocket::close_code::abnormal))
        .arg(text(_ec));
}

void BeastConnection::Impl::dispatch(const char* _pData, size_t _uSize)
{
    const FrameHeader header = parseFrameHeader(_pData, _uSize);
    const char* pBody = _pData + header.bodyOffset;
    const int iBodySize = int(_uSize - size_t(header.bodyOffset));
    switch (header.kind) {
        case FrameKind::Answer:
            sink.onAnswer(header.id, QString::fromUtf8(pBody, iBodySize));
            break;
        case FrameKind::Broadcast:
            sink.onBroadcast(QString::fromUtf8(pBody, iBodySize));
            break;
        case FrameKind::IdZero:
            qCWarning(lcWebSocket).noquote()
                << "channel" << iChannel
                << ": the server could not read a request header:" << excerptOf(pBody, size_t(iBodySize));
            break;
        case FrameKind::Malformed:
            qCWarning(lcWebSocket).noquote()
                << "channel" << iChannel
                << ": dropped a frame with an unreadable header:" << excerptOf(_pData, _uSize);
            break;
    }
}

}  // namespace tessel::ws
