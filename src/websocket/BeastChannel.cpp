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
#include <sys/socket.h>

#include <cerrno>

#include <atomic>
#include <mutex>
#include <thread>

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

// Log lines show at most this much of a frame.
constexpr int kExcerptBytes = 120;

const char* const kHostNameMismatch =
    "The host name did not match any of the valid hosts for this certificate";

// The transport below the WebSocket stream: a TCP socket, or TLS over one.
//
// Once the connection is open, its reader thread reads while callers write. Beast's stream is not
// made for use from two threads at once, so every use of it (a caller's write, the reader's
// read with the pong and close replies it sends) runs under the connection's stream lock. The
// reader must not hold that lock while it waits for data: its reads here are non-blocking, and
// when nothing has arrived it lets go of the lock, waits for the socket and takes the lock again.
// Writes keep the lock for a whole frame, so nothing lands inside a caller's frame.
class ChannelStream
{
public:
    using executor_type = tcp::socket::executor_type;

    ChannelStream(net::io_context& _io, ssl::context* _pTls, std::mutex& _streamMutex)
        : m_streamMutex(_streamMutex)
    {
        if (_pTls != nullptr)
            m_pTls = std::make_unique<ssl::stream<tcp::socket>>(_io, *_pTls);
        else
            m_pPlain = std::make_unique<tcp::socket>(_io);
    }

    executor_type get_executor() noexcept { return socket().get_executor(); }
    tcp::socket& socket() { return m_pTls ? m_pTls->next_layer() : *m_pPlain; }
    ssl::stream<tcp::socket>* tls() { return m_pTls.get(); }
    /// Control thread, once the connection is open and before the reader starts: from then on
    /// the stream is used under the stream lock from several threads.
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
    /// Under the stream lock, held until the close is done: reads wait for data without letting
    /// go of the lock, and every wait ends at _deadline (the read then fails).
    void beginClosing(std::chrono::steady_clock::time_point _deadline)
    {
        m_deadline = _deadline;
        m_bClosing = true;
    }
    bool closing() const { return m_bClosing; }

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

    /// Once shared, under the stream lock (which it lets go while it waits for data).
    template <typename MutableBuffers>
    size_t read_some(const MutableBuffers& _buffers, error_code& _ec)
    {
        if (!m_bShared)
            return m_pTls ? m_pTls->read_some(_buffers, _ec) : m_pPlain->read_some(_buffers, _ec);
        for (;;) {
            size_t uRead = 0;
            if (m_pTls) {
                error_code ignored;
                socket().non_blocking(true, ignored);
                uRead = m_pTls->read_some(_buffers, _ec);
                socket().non_blocking(false, ignored);
            } else {
                uRead = m_pPlain->read_some(_buffers, _ec);
            }
            if (_ec != net::error::would_block)
                return uRead;
            _ec.clear();
            // While closing, the closing thread keeps the lock: the reader stays out.
            bool bReady = false;
            if (m_bClosing) {
                bReady = waitFor(POLLIN);
            } else {
                m_streamMutex.unlock();
                bReady = waitFor(POLLIN);
                m_streamMutex.lock();
            }
            if (!bReady) {
                _ec = net::error::connection_aborted;
                return 0;
            }
        }
    }

    // The throwing forms the stream concepts ask for; Beast itself uses the ones above and below.
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

    // Only the opening handshake runs asynchronously, before anything else uses the stream.
    template <typename MutableBuffers, typename Token>
    auto async_read_some(const MutableBuffers& _buffers, Token&& _token)
    {
        if (m_pTls)
            return m_pTls->async_read_some(_buffers, std::forward<Token>(_token));
        return m_pPlain->async_read_some(_buffers, std::forward<Token>(_token));
    }

    template <typename ConstBuffers, typename Token>
    auto async_write_some(const ConstBuffers& _buffers, Token&& _token)
    {
        if (m_pTls)
            return m_pTls->async_write_some(_buffers, std::forward<Token>(_token));
        return m_pPlain->async_write_some(_buffers, std::forward<Token>(_token));
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

    std::mutex& m_streamMutex;
    std::unique_ptr<ssl::stream<tcp::socket>> m_pTls;
    std::unique_ptr<tcp::socket> m_pPlain;
    int m_iFd = -1;
    bool m_bShared = false;
    bool m_bWritesClosed = false;
    std::atomic<bool> m_bClosing{false};
    std::chrono::steady_clock::time_point m_deadline;
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
          ws(_io, pTls.get(), streamMutex)
    {
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
    void readLoop();
    /// Control thread, the reader still running: the WebSocket closing handshake, TLS
    /// close_notify and an orderly TCP end, within kCloseWait; then the stream is done.
    void closeGracefully();
    void dispatch(const char* _pData, size_t _uSize);
    QString closeReason(const error_code& _ec);

    const int iChannel;
    const QUrl url;
    std::shared_ptr<ssl::context> pTls;
    std::string strToken;
    tcp::resolver resolver;
    net::steady_timer timer;
    /// Every use of ws once the connection is open (see ChannelStream).
    std::mutex streamMutex;
    websocket::stream<ChannelStream> ws;

    // Control thread only.
    std::function<void(const QString&)> done;
    QString strTimeout;      ///< set when the attempt ran out of time
    QString strVerifyError;  ///< the first certificate problem of the TLS handshake
    bool bClosed = false;
    bool bOpened = false;
    std::thread reader;

    bool bWritable = false;  ///< under streamMutex: the stream is open for callers' frames
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
    impl.reader = std::thread([pImpl = m_pImpl.get()] { pImpl->readLoop(); });
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
        impl.bStopping = true;
        impl.closeGracefully();
        // Ends the reader's wait for data and any caller's write stuck on a full send buffer.
        ::shutdown(impl.iFd, SHUT_RDWR);
        impl.reader.join();
    }
    std::lock_guard<std::mutex> lock(impl.streamMutex);
    impl.bWritable = false;
    impl.ws.next_layer().setWritesClosed();
    error_code ignored;
    impl.ws.next_layer().socket().close(ignored);
}

void BeastConnection::Impl::closeGracefully()
{
    std::lock_guard<std::mutex> lock(streamMutex);
    if (!bWritable)
        return;
    bWritable = false;
    ws.next_layer().beginClosing(std::chrono::steady_clock::now() + kCloseWait);
    error_code ec;
    ws.close(websocket::close_code::normal, ec);
    if (ec)
        qCDebug(lcWebSocket).noquote() << "channel" << iChannel << ": closing handshake:" << text(ec);
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

void BeastConnection::Impl::readLoop()
{
    beast::flat_buffer buffer;
    QString strReason;
    for (;;) {
        bool bText = false;
        {
            std::lock_guard<std::mutex> lock(streamMutex);
            error_code ec;
            ws.read(buffer, ec);
            if (ec) {
                strReason = closeReason(ec);
                // Nothing more can go out behind a broken stream.
                bWritable = false;
                break;
            }
            bText = ws.got_text();
        }
        if (!bText) {
            qCWarning(lcWebSocket) << "channel" << iChannel << ": dropped a binary message of"
                                   << buffer.size() << "bytes (the protocol has only text frames)";
        } else {
            dispatch(static_cast<const char*>(buffer.data().data()), buffer.size());
        }
        buffer.consume(buffer.size());
        if (buffer.capacity() > kKeptReadBufferBytes)
            buffer.shrink_to_fit();
    }
    if (!bStopping)
        sink.onDown(strReason);
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
