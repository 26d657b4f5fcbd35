#include "FileServer.h"

#include "FileRequest.h"
#include "UploadStream.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <QCryptographicHash>
#include <QHostAddress>
#include <QUrlQuery>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tessel::files {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = boost::beast::http;
using tcp = boost::asio::ip::tcp;

namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;
constexpr std::uint32_t kMaxHeadBytes = 16 * 1024;
// Refused requests whose body was not read: how long, and how much of it, is read and dropped
// before the connection closes, so that the client sees the answer rather than a reset.
constexpr int kDrainMs = 2000;
constexpr std::size_t kDrainBytes = 8 * 1024 * 1024;
// A download is read in pieces of this many bytes (a multiple of 3: their Base64 joins up).
constexpr qint64 kDownloadPieceBytes = 3 * 64 * 1024;
// The spool's disk is checked for free space after every this many bytes.
constexpr qint64 kSpaceCheckBytes = 8 * 1024 * 1024;

const char* const kRoutes[] = {"/upload", "/download", "/delete", "/rename", "/mkdir"};
// The routes that change the folder: POST only.
const char* const kChangingRoutes[] = {"/upload", "/delete", "/rename", "/mkdir"};

FileReply badRequest(const QString& _strWhy)
{
    return FileReply{400, QStringLiteral("bad request: %1").arg(_strWhy).toUtf8()};
}

FileReply textReply(int _iStatus, const char* _pszText)
{
    return FileReply{_iStatus, QByteArray(_pszText)};
}

FileReply tooLarge(qint64 _llLimit)
{
    return FileReply{413, QStringLiteral("request too large (limit %1 bytes)").arg(_llLimit).toUtf8()};
}

// Digests of equal length compared in constant time: the comparison tells nothing about the
// token's length or content.
bool tokenMatches(const QString& _strToken, const QByteArray& _baPresented)
{
    const QByteArray a = QCryptographicHash::hash(_strToken.toUtf8(), QCryptographicHash::Sha256);
    const QByteArray b = QCryptographicHash::hash(_baPresented.trimmed(), QCryptographicHash::Sha256);
    unsigned char diff = 0;
    for (int i = 0; i < a.size(); ++i) {
        diff |= static_cast<unsigned char>(a.at(i) ^ b.at(i));
    }
    return diff == 0;
}

QByteArray fieldOf(const http::fields& _fields, beast::string_view _name, bool* _pPresent = nullptr)
{
    const auto it = _fields.find(_name);
    if (_pPresent) {
        *_pPresent = it != _fields.end();
    }
    return it == _fields.end() ? QByteArray()
                               : QByteArray(it->value().data(), static_cast<int>(it->value().size()));
}

// The peer left, went silent past its time, or the socket failed: nothing to answer.
bool connectionGone(const beast::error_code& _ec)
{
    return _ec && (_ec == http::error::end_of_stream || _ec == beast::error::timeout ||
                   _ec == asio::error::eof || _ec.category() == asio::error::get_system_category());
}

// The file a "/download" body names, opened; *_pFd = -1 with the refusal otherwise.
FileReply openDownload(const FileStore& _store, const QByteArray& _baBody, int* _pFd, qint64* _pSize)
{
    *_pFd = -1;
    QStringList lstValues;
    QString strError;
    if (!parseFields(_baBody, {QStringLiteral("filename")}, &lstValues, &strError)) {
        return badRequest(strError);
    }
    return _store.openDownload(lstValues.at(0), _pFd, _pSize);
}

template <std::size_t N>
bool oneOf(const QByteArray& _baPath, const char* const (&_routes)[N])
{
    for (const char* pszRoute : _routes) {
        if (_baPath == pszRoute) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool originAllowed(const QString& _strOrigin, const QStringList& _lstAllowed)
{
    if (_strOrigin.isEmpty()) {
        return true;
    }
    const auto normal = [](QString _str) {
        _str = _str.trimmed();
        while (_str.endsWith(QLatin1Char('/'))) {
            _str.chop(1);
        }
        return _str.toLower();
    };
    const QString strWanted = normal(_strOrigin);
    for (const QString& strAllowed : _lstAllowed) {
        if (normal(strAllowed) == strWanted) {
            return true;
        }
    }
    return false;
}

bool hostAllowed(const QString& _strHost, const QString& _strListen, const QStringList& _lstAllowedHosts)
{
    QString strName = _strHost.trimmed().toLower();
    if (strName.startsWith(QLatin1Char('['))) {
        const int iClose = strName.indexOf(QLatin1Char(']'));
        if (iClose < 0 || (iClose + 1 < strName.size() && strName.at(iClose + 1) != QLatin1Char(':'))) {
            return false;
        }
        strName = strName.mid(1, iClose - 1);
    } else if (strName.count(QLatin1Char(':')) == 1) {
        strName = strName.left(strName.indexOf(QLatin1Char(':')));
    }
    while (strName.endsWith(QLatin1Char('.'))) {
        strName.chop(1);
    }
    if (strName.isEmpty()) {
        return false;
    }
    const QHostAddress listen(_strListen);
    const bool bWildcard =
        listen == QHostAddress::AnyIPv4 || listen == QHostAddress::AnyIPv6 || listen == QHostAddress::Any;
    QHostAddress named;
    if (!strName.contains(QLatin1Char('%')) && named.setAddress(strName)) {
        return bWildcard || (listen.isLoopback() ? named.isLoopback() : named.isEqual(listen));
    }
    if (strName == QLatin1String("localhost") && (bWildcard || listen.isLoopback())) {
        return true;
    }
    for (const QString& strAllowed : _lstAllowedHosts) {
        if (strAllowed.trimmed().toLower() == strName) {
            return true;
        }
    }
    return false;
}

FileReply handleFileRequest(const FileStore& _store, const QString& _strRoute, const QByteArray& _baBody,
                            const QString& _strDir)
{
    QStringList lstValues;
    QString strError;
    if (_strRoute == QLatin1String("/mkdir")) {
        return _store.mkdir(_strDir);
    }
    if (_strRoute == QLatin1String("/upload")) {
        if (!parseFields(_baBody, {QStringLiteral("filename"), QStringLiteral("data")}, &lstValues,
                         &strError)) {
            return badRequest(strError);
        }
        QByteArray baContent;
        if (!decodeUploadData(lstValues.at(1), &baContent, &strError)) {
            return badRequest(strError);
        }
        return _store.upload(lstValues.at(0), baContent);
    }
    if (_strRoute == QLatin1String("/rename")) {
        if (!parseFields(_baBody, {QStringLiteral("filename"), QStringLiteral("newname")}, &lstValues,
                         &strError)) {
            return badRequest(strError);
        }
        return _store.rename(lstValues.at(0), lstValues.at(1));
    }
    if (_strRoute == QLatin1String("/download") || _strRoute == QLatin1String("/delete")) {
        if (!parseFields(_baBody, {QStringLiteral("filename")}, &lstValues, &strError)) {
            return badRequest(strError);
        }
        return _strRoute == QLatin1String("/download") ? _store.download(lstValues.at(0))
                                                       : _store.remove(lstValues.at(0));
    }
    return FileReply{404, QByteArrayLiteral("unknown route")};
}

// ---------------------------------------------------------------------------------------------

class FileServer::Impl
{
public:
    Impl(const FileStore& _store, FileServerOptions _options)
        : store(_store),
          options(std::move(_options)),
          acceptor(ioc),
          workers(static_cast<std::size_t>(std::max(1, options.workerThreads))),
          acceptPause(ioc),
          stopTimer(ioc)
    {
    }

    /// Takes a place for a connection from _address; false when the caps are reached.
    bool admit(const std::string& _strAddress, bool _bLoopback)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        int& iFromAddress = perAddress[_strAddress];
        const bool bAddressFull =
            iFromAddress >= options.maxConnectionsPerAddress && (!_bLoopback || options.capLoopbackPeers);
        if (connections >= options.maxConnections || bAddressFull) {
            if (iFromAddress == 0) {
                perAddress.erase(_strAddress);
            }
            return false;
        }
        ++iFromAddress;
        ++connections;
        return true;
    }
    void release(const std::string& _strAddress)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        --connections;
        if (--perAddress[_strAddress] <= 0) {
            perAddress.erase(_strAddress);
        }
    }

    void accept();
    void beginStop();
    void pollStop();

    const FileStore& store;
    const FileServerOptions options;
    // Before the I/O context: the connections it still holds when destroyed release their places.
    std::mutex mutex;
    int connections = 0;
    std::map<std::string, int> perAddress;
    std::atomic<int> requestsUnderWay{0};
    std::atomic<bool> stopping{false};
    asio::io_context ioc;
    tcp::acceptor acceptor;
    asio::thread_pool workers;  // joined before the context goes: its jobs post back to it
    asio::steady_timer acceptPause;
    asio::steady_timer stopTimer;
    std::chrono::steady_clock::time_point stopDeadline;
};

namespace {

// One client connection: its requests one after another, every wait bounded.
class Connection : public std::enable_shared_from_this<Connection>
{
public:
    Connection(FileServer::Impl& _server, tcp::socket&& _socket, std::string _strAddress)
        : m_server(_server),
          m_options(_server.options),
          m_stream(std::move(_socket)),
          m_strAddress(std::move(_strAddress))
    {
    }
    ~Connection()
    {
        closeSpool();
        closeDownload();
        if (m_bUnderWay) {
            --m_server.requestsUnderWay;
        }
        m_server.release(m_strAddress);
    }

    void start()
    {
        asio::dispatch(m_stream.get_executor(), [self = shared_from_this()] { self->readHead(); });
    }

private:
    enum class Body
    {
        Upload,
        Small,
    };

    void readHead()
    {
        if (m_server.stopping) {
            return close();
        }
        m_parser.emplace();
        m_parser->header_limit(kMaxHeadBytes);
        // Counted here, for "/upload" and the rest alike (Beast 1.74 takes boost::none for a
        // limit of zero once a length is declared).
        m_parser->body_limit(std::numeric_limits<std::uint64_t>::max());
        m_stream.expires_after(std::chrono::milliseconds(m_options.headerTimeoutMs));
        http::async_read_header(
            m_stream, m_buffer, *m_parser,
            [self = shared_from_this()](beast::error_code _ec, std::size_t) { self->onHead(_ec); });
    }

    void onHead(beast::error_code _ec)
    {
        if (_ec == http::error::header_limit) {
            return refuse(textReply(431, "request head too large"));
        }
        if (connectionGone(_ec)) {
            return close();
        }
        if (_ec) {
            return refuse(badRequest(QStringLiteral("malformed HTTP request")));
        }
        setUnderWay(true);
        ++m_iRequests;
        const auto& request = m_parser->get();
        const FileReply refusal = check(request);
        if (refusal.status != 0) {
            return refuse(refusal);
        }
        m_llReceived = 0;
        m_bodyStart = std::chrono::steady_clock::now();
        if (request[http::field::expect].size() > 0 &&
            beast::iequals(request[http::field::expect], "100-continue") && !m_parser->is_done()) {
            m_continue.emplace(http::status::continue_, request.version());
            m_stream.expires_after(std::chrono::milliseconds(m_options.idleTimeoutMs));
            http::async_write(m_stream, *m_continue,
                              [self = shared_from_this()](beast::error_code _ec2, std::size_t) {
                                  self->m_continue.reset();
                                  if (_ec2) {
                                      return self->close();
                                  }
                                  self->readBody();
                              });
            return;
        }
        readBody();
    }

    // The checks on the head alone, before any of the body is read; status 0: none refused.
    FileReply check(const http::request_parser<http::buffer_body>::value_type& _request)
    {
        bool bHost = false;
        const QByteArray baHost = fieldOf(_request, "Host", &bHost);
        if (!bHost ||
            !hostAllowed(QString::fromLatin1(baHost), m_options.listenAddress, m_options.allowedHosts)) {
            return textReply(403, "host not allowed");
        }
        bool bOrigin = false;
        const QByteArray baOrigin = fieldOf(_request, "Origin", &bOrigin);
        // An Origin that is present but empty or "null" is a web page too.
        if (bOrigin && (baOrigin.trimmed().isEmpty() ||
                        !originAllowed(QString::fromLatin1(baOrigin), m_options.allowedOrigins))) {
            return textReply(403, "origin not allowed");
        }
        if (!m_options.token.isEmpty() && !tokenMatches(m_options.token, fieldOf(_request, kTokenHeader))) {
            return textReply(401, "token refused");
        }
        const beast::string_view target = _request.target();
        const std::size_t iQuery = target.find('?');
        m_baPath = QByteArray(target.data(), static_cast<int>(std::min(iQuery, target.size())));
        m_strDir.clear();
        if (iQuery != beast::string_view::npos) {
            // QUrlQuery keeps '+' as it stands: the client encodes a blank as %20.
            const QUrlQuery query(
                QString::fromUtf8(target.data() + iQuery + 1, static_cast<int>(target.size() - iQuery - 1)));
            m_strDir = query.queryItemValue(QStringLiteral("dir"), QUrl::FullyDecoded);
        }
        if (!oneOf(m_baPath, kRoutes)) {
            return textReply(404, "unknown route");
        }
        const bool bPost = _request.method() == http::verb::post;
        const bool bGet = _request.method() == http::verb::get;
        // A GET never changes anything: a page can make one with an image or a link.
        if (!bPost && !(bGet && !oneOf(m_baPath, kChangingRoutes))) {
            return textReply(405, "method not allowed (POST)");
        }
        m_body = m_baPath == "/upload" ? Body::Upload : Body::Small;
        m_llLimit = m_body == Body::Upload ? m_options.maxRequestBytes
                                           : std::min(m_options.maxRequestBytes, kMaxSmallBodyBytes);
        const boost::optional<std::uint64_t> length = m_parser->content_length();
        if (length && *length > static_cast<std::uint64_t>(m_llLimit)) {
            return tooLarge(m_llLimit);
        }
        m_llDeclared = length ? static_cast<qint64>(*length) : -1;
        m_baBody.clear();
        m_head = UploadHead();
        m_strAbsolute.clear();
        m_llSpooled = 0;
        m_llSpaceChecked = 0;
        return FileReply{0, {}};
    }

    void readBody()
    {
        if (m_parser->is_done()) {
            return bodyDone();
        }
        if (!m_pChunk) {
            m_pChunk = std::make_unique<char[]>(kChunkBytes);
        }
        auto& body = m_parser->get().body();
        body.data = m_pChunk.get();
        body.size = kChunkBytes;
        m_stream.expires_after(std::chrono::milliseconds(m_options.idleTimeoutMs));
        http::async_read(
            m_stream, m_buffer, *m_parser,
            [self = shared_from_this()](beast::error_code _ec, std::size_t) { self->onBody(_ec); });
    }

    void onBody(beast::error_code _ec)
    {
        if (_ec == http::error::need_buffer) {
            _ec = {};
        }
        const std::size_t uGot = kChunkBytes - m_parser->get().body().size;
        if (connectionGone(_ec)) {
            return close();
        }
        if (_ec) {
            return refuse(badRequest(QStringLiteral("malformed HTTP body")));
        }
        m_llReceived += static_cast<qint64>(uGot);
        if (m_llReceived > m_llLimit) {
            return refuse(tooLarge(m_llLimit));
        }
        const FileReply taken = take(m_pChunk.get(), uGot);
        if (taken.status != 0) {
            return refuse(taken);
        }
        if (m_parser->is_done()) {
            return bodyDone();
        }
        // A body that trickles in holds a place that others could use.
        const double dSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_bodyStart).count();
        if (dSeconds * 1000 > m_options.idleTimeoutMs &&
            static_cast<double>(m_llReceived) < dSeconds * static_cast<double>(m_options.minBytesPerSecond)) {
            return refuse(textReply(408, "request body too slow"));
        }
        readBody();
    }

    // Takes the next bytes of the body; status 0: go on.
    FileReply take(const char* _pData, std::size_t _size)
    {
        if (m_body == Body::Small) {
            m_baBody.append(_pData, static_cast<int>(_size));
            return FileReply{0, {}};
        }
        if (m_strAbsolute.isEmpty()) {
            std::size_t uHead = 0;
            switch (m_head.feed(_pData, _size, &uHead)) {
                case UploadHead::Result::NeedMore:
                    return FileReply{0, {}};
                case UploadHead::Result::Refused:
                    return badRequest(m_head.error());
                case UploadHead::Result::Complete:
                    break;
            }
            const qint64 llPayload =
                m_llDeclared < 0 ? -1
                                 : (m_llDeclared - m_llReceived + static_cast<qint64>(_size - uHead)) / 4 * 3;
            const FileReply prepared = m_server.store.prepareUpload(m_head.path(), llPayload, &m_strAbsolute);
            if (prepared.status != 200) {
                m_strAbsolute.clear();
                return prepared;
            }
            m_iSpool = FileStore::openSpool(m_strAbsolute);
            if (m_iSpool < 0) {
                const QString strWhy = QString::fromLocal8Bit(std::strerror(errno));
                m_strAbsolute.clear();
                return FileReply{500, QStringLiteral("write failed: %1").arg(strWhy).toUtf8()};
            }
            _pData += uHead;
            _size -= uHead;
        }
        while (_size > 0) {
            const ssize_t iWritten = ::write(m_iSpool, _pData, _size);
            if (iWritten < 0 && errno == EINTR) {
                continue;
            }
            if (iWritten <= 0) {
                const QString strWhy = QString::fromLocal8Bit(std::strerror(errno));
                return FileReply{500, QStringLiteral("write failed: %1").arg(strWhy).toUtf8()};
            }
            _pData += iWritten;
            _size -= static_cast<std::size_t>(iWritten);
            m_llSpooled += iWritten;
        }
        if (m_llSpooled - m_llSpaceChecked >= kSpaceCheckBytes) {
            m_llSpaceChecked = m_llSpooled;
            if (!m_server.store.spaceFor(m_strAbsolute, 0)) {
                return textReply(507, kReplySpaceLower);
            }
        }
        return FileReply{0, {}};
    }

    // The whole body is in: the file work goes to the pool, the answer comes back here.
    void bodyDone()
    {
        m_pChunk.reset();
        if (m_body == Body::Upload && m_strAbsolute.isEmpty()) {
            return answer(badRequest(m_head.incompleteReason()), keepAlive());
        }
        asio::post(m_server.workers, [self = shared_from_this()] {
            FileReply reply;
            try {
                if (self->m_baPath == "/download") {
                    int iFd = -1;
                    qint64 llSize = 0;
                    reply = openDownload(self->m_server.store, self->m_baBody, &iFd, &llSize);
                    if (iFd >= 0) {
                        asio::post(self->m_stream.get_executor(), [self, iFd, llSize] {
                            self->m_baBody.clear();
                            self->startDownload(iFd, llSize);
                        });
                        return;
                    }
                } else if (self->m_body == Body::Upload) {
                    reply = self->m_server.store.storeUpload(self->m_head.path(), self->m_strAbsolute,
                                                             self->m_iSpool, self->m_llSpooled);
                } else {
                    reply = handleFileRequest(self->m_server.store, QString::fromLatin1(self->m_baPath),
                                              self->m_baBody, self->m_strDir);
                }
            } catch (const std::exception&) {
                reply = textReply(500, "internal error");
            }
            asio::post(self->m_stream.get_executor(), [self, reply = std::move(reply)]() mutable {
                self->closeSpool();
                self->m_baBody.clear();
                self->answer(std::move(reply), self->keepAlive());
            });
        });
    }

    bool keepAlive() const
    {
        return m_parser->get().keep_alive() && m_iRequests < m_options.keepAliveMax && !m_server.stopping;
    }

    // Answers without reading the rest of the body, and closes.
    void refuse(const FileReply& _reply)
    {
        m_pChunk.reset();
        closeSpool();
        m_bDrain = m_parser && m_parser->is_header_done() && !m_parser->is_done();
        answer(_reply, false);
    }

    void answer(FileReply _reply, bool _bKeepAlive)
    {
        m_baReply = std::move(_reply.body);
        m_response.emplace(static_cast<http::status>(_reply.status),
                           m_parser ? m_parser->get().version() : 11);
        m_response->set(http::field::content_type, _reply.status == 200 && m_baReply.startsWith('{')
                                                       ? "application/json"
                                                       : "text/plain; charset=utf-8");
        if (_reply.status == 405) {
            m_response->set(http::field::allow, oneOf(m_baPath, kChangingRoutes) ? "POST" : "GET, POST");
        }
        m_response->body().data = m_baReply.data();
        m_response->body().size = static_cast<std::size_t>(m_baReply.size());
        m_response->body().more = false;
        m_response->keep_alive(_bKeepAlive);
        m_response->content_length(static_cast<std::uint64_t>(m_baReply.size()));
        // A large answer gets the time it needs at the lowest rate let through.
        const qint64 llMs = m_options.idleTimeoutMs + static_cast<qint64>(m_baReply.size()) * 1000 /
                                                          std::max<qint64>(1, m_options.minBytesPerSecond);
        m_stream.expires_after(std::chrono::milliseconds(llMs));
        http::async_write(m_stream, *m_response,
                          [self = shared_from_this(), _bKeepAlive](beast::error_code _ec, std::size_t) {
                              self->m_response.reset();
                              self->m_baReply.clear();
                              self->setUnderWay(false);
                              if (_ec) {
                                  return self->close();
                              }
                              if (!_bKeepAlive) {
                                  return self->finish();
                              }
                              self->readHead();
                          });
    }

    // A download's answer, written as it is read: pieces of the file (a multiple of 3 bytes, so
    // that their Base64 joins up) are read and encoded on the pool, one at a time, and each is
    // sent before the next is read. The length is declared from the size at opening; a file cut
    // short meanwhile ends the connection rather than the answer's length.
    void startDownload(int _iFd, qint64 _llSize)
    {
        m_iDownload = _iFd;
        m_llDownloadSize = _llSize;
        m_llDownloadRead = 0;
        const qint64 llReply = downloadReplyBytes(_llSize);
        const bool bKeepAlive = keepAlive();
        m_response.emplace(http::status::ok, m_parser->get().version());
        m_response->set(http::field::content_type, "application/json");
        m_response->keep_alive(bKeepAlive);
        m_response->content_length(static_cast<std::uint64_t>(llReply));
        m_response->body().data = nullptr;
        m_response->body().size = 0;
        m_response->body().more = true;
        m_serializer.emplace(*m_response);
        // The whole answer gets the time it needs at the lowest rate let through.
        m_stream.expires_after(std::chrono::milliseconds(
            m_options.idleTimeoutMs + llReply * 1000 / std::max<qint64>(1, m_options.minBytesPerSecond)));
        http::async_write_header(m_stream, *m_serializer,
                                 [self = shared_from_this(), bKeepAlive](beast::error_code _ec, std::size_t) {
                                     if (_ec) {
                                         return self->endDownload(false, false);
                                     }
                                     self->readPiece(bKeepAlive);
                                 });
    }

    void readPiece(bool _bKeepAlive)
    {
        asio::post(m_server.workers, [self = shared_from_this(), _bKeepAlive] {
            const bool bFirst = self->m_llDownloadRead == 0;
            const qint64 llWanted =
                std::min<qint64>(kDownloadPieceBytes, self->m_llDownloadSize - self->m_llDownloadRead);
            if (!self->m_pDownloadPiece) {
                self->m_pDownloadPiece = std::make_unique<char[]>(kDownloadPieceBytes);
            }
            qint64 llGot = 0;
            while (llGot < llWanted) {
                const ssize_t iRead = ::pread(self->m_iDownload, self->m_pDownloadPiece.get() + llGot,
                                              static_cast<std::size_t>(llWanted - llGot),
                                              static_cast<off_t>(self->m_llDownloadRead + llGot));
                if (iRead < 0 && errno == EINTR) {
                    continue;
                }
                if (iRead <= 0) {
                    break;  // cut short (or unreadable) since it was opened
                }
                llGot += iRead;
            }
            if (llGot < llWanted) {
                asio::post(self->m_stream.get_executor(), [self] { self->endDownload(false, false); });
                return;
            }
            self->m_llDownloadRead += llGot;
            const bool bLast = self->m_llDownloadRead == self->m_llDownloadSize;
            QByteArray& baOut = self->m_baReply;
            baOut.clear();
            if (bFirst) {
                baOut.append(kDownloadReplyPrefix);
            }
            baOut.append(
                QByteArray::fromRawData(self->m_pDownloadPiece.get(), static_cast<int>(llGot)).toBase64());
            if (bLast) {
                baOut.append(kDownloadReplySuffix);
            }
            asio::post(self->m_stream.get_executor(),
                       [self, bLast, _bKeepAlive] { self->writePiece(bLast, _bKeepAlive); });
        });
    }

    void writePiece(bool _bLast, bool _bKeepAlive)
    {
        auto& body = m_response->body();
        body.data = m_baReply.data();
        body.size = static_cast<std::size_t>(m_baReply.size());
        body.more = !_bLast;
        http::async_write(
            m_stream, *m_serializer,
            [self = shared_from_this(), _bLast, _bKeepAlive](beast::error_code _ec, std::size_t) {
                if (_ec == http::error::need_buffer) {
                    _ec = {};
                }
                if (_ec) {
                    return self->endDownload(false, false);
                }
                if (!_bLast) {
                    return self->readPiece(_bKeepAlive);
                }
                self->endDownload(true, _bKeepAlive);
            });
    }

    void endDownload(bool _bComplete, bool _bKeepAlive)
    {
        closeDownload();
        m_serializer.reset();
        m_response.reset();
        m_baReply = QByteArray();
        m_pDownloadPiece.reset();
        setUnderWay(false);
        if (!_bComplete) {
            return close();
        }
        if (!_bKeepAlive) {
            return finish();
        }
        readHead();
    }

    void closeDownload()
    {
        if (m_iDownload >= 0) {
            ::close(m_iDownload);
            m_iDownload = -1;
        }
    }

    // The end of a connection after its last answer: the client's unread body is read and dropped
    // for a moment, so that closing does not reset the answer away.
    void finish()
    {
        beast::error_code ec;
        m_stream.socket().shutdown(tcp::socket::shutdown_send, ec);
        if (!m_bDrain || ec) {
            return close();
        }
        m_pChunk = std::make_unique<char[]>(kChunkBytes);
        m_stream.expires_after(std::chrono::milliseconds(kDrainMs));
        drain();
    }
    void drain()
    {
        m_stream.async_read_some(asio::buffer(m_pChunk.get(), kChunkBytes),
                                 [self = shared_from_this()](beast::error_code _ec, std::size_t _n) {
                                     self->m_uDrained += _n;
                                     if (_ec || self->m_uDrained > kDrainBytes) {
                                         return self->close();
                                     }
                                     self->drain();
                                 });
    }

    void close()
    {
        beast::error_code ec;
        m_stream.socket().close(ec);
        setUnderWay(false);
    }

    void closeSpool()
    {
        if (m_iSpool >= 0) {
            ::close(m_iSpool);
            m_iSpool = -1;
        }
    }

    void setUnderWay(bool _bUnderWay)
    {
        if (_bUnderWay != m_bUnderWay) {
            m_bUnderWay = _bUnderWay;
            m_server.requestsUnderWay += _bUnderWay ? 1 : -1;
        }
    }

    FileServer::Impl& m_server;
    const FileServerOptions& m_options;
    beast::tcp_stream m_stream;
    const std::string m_strAddress;
    beast::flat_buffer m_buffer{kMaxHeadBytes + kChunkBytes};
    std::optional<http::request_parser<http::buffer_body>> m_parser;
    std::optional<http::response<http::empty_body>> m_continue;
    std::optional<http::response<http::buffer_body>> m_response;
    std::optional<http::response_serializer<http::buffer_body>> m_serializer;  // a download's
    std::unique_ptr<char[]> m_pChunk;
    QByteArray m_baReply;
    int m_iRequests = 0;
    bool m_bUnderWay = false;
    bool m_bDrain = false;
    std::size_t m_uDrained = 0;

    // The request being read.
    QByteArray m_baPath;
    QString m_strDir;
    Body m_body = Body::Small;
    qint64 m_llLimit = 0;
    qint64 m_llDeclared = -1;
    qint64 m_llReceived = 0;
    std::chrono::steady_clock::time_point m_bodyStart;
    QByteArray m_baBody;
    UploadHead m_head;
    QString m_strAbsolute;
    int m_iSpool = -1;
    qint64 m_llSpooled = 0;
    qint64 m_llSpaceChecked = 0;

    // The download being answered: its file, its size at opening and how much of it was read.
    int m_iDownload = -1;
    qint64 m_llDownloadSize = 0;
    qint64 m_llDownloadRead = 0;
    std::unique_ptr<char[]> m_pDownloadPiece;
};

// Turns a connection away before anything of it is read; best effort, never waits.
void turnAway(tcp::socket& _socket)
{
    static const char kBusy[] =
        "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain; charset=utf-8\r\n"
        "Content-Length: 20\r\nConnection: close\r\n\r\ntoo many connections";
    beast::error_code ec;
    _socket.non_blocking(true, ec);
    _socket.write_some(asio::buffer(kBusy, sizeof(kBusy) - 1), ec);
    _socket.shutdown(tcp::socket::shutdown_send, ec);
    _socket.close(ec);
}

}  // namespace

void FileServer::Impl::accept()
{
    acceptor.async_accept(asio::make_strand(ioc), [this](beast::error_code _ec, tcp::socket _socket) {
        if (_ec == asio::error::operation_aborted || !acceptor.is_open()) {
            return;
        }
        if (_ec) {
            // Out of descriptors (or another passing failure): pause rather than spin.
            acceptPause.expires_after(std::chrono::milliseconds(100));
            acceptPause.async_wait([this](beast::error_code _ec2) {
                if (!_ec2) {
                    accept();
                }
            });
            return;
        }
        beast::error_code ec;
        const tcp::endpoint remote = _socket.remote_endpoint(ec);
        std::string strAddress = ec ? std::string() : remote.address().to_string();
        if (ec || !admit(strAddress, remote.address().is_loopback())) {
            turnAway(_socket);
        } else {
            std::make_shared<Connection>(*this, std::move(_socket), std::move(strAddress))->start();
        }
        accept();
    });
}

void FileServer::Impl::beginStop()
{
    beast::error_code ec;
    acceptor.close(ec);
    acceptPause.cancel();
    stopDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.stopWaitMs);
    pollStop();
}

// Requests under way finish; then everything else is dropped.
void FileServer::Impl::pollStop()
{
    if (requestsUnderWay <= 0 || std::chrono::steady_clock::now() >= stopDeadline) {
        ioc.stop();
        return;
    }
    stopTimer.expires_after(std::chrono::milliseconds(20));
    stopTimer.async_wait([this](beast::error_code) { pollStop(); });
}

FileServer::FileServer(const FileStore& _store, FileServerOptions _options)
    : m_pImpl(std::make_unique<Impl>(_store, std::move(_options)))
{
}

FileServer::~FileServer()
{
    m_pImpl->workers.join();
}

bool FileServer::bind(QString* _pError)
{
    Impl& d = *m_pImpl;
    beast::error_code ec;
    const asio::ip::address address = asio::ip::make_address(d.options.listenAddress.toStdString(), ec);
    const tcp::endpoint endpoint(address, static_cast<unsigned short>(d.options.port));
    if (!ec) {
        d.acceptor.open(endpoint.protocol(), ec);
    }
    if (!ec) {
        d.acceptor.set_option(asio::socket_base::reuse_address(true), ec);
    }
    if (!ec) {
        d.acceptor.bind(endpoint, ec);
    }
    if (!ec) {
        d.acceptor.listen(asio::socket_base::max_listen_connections, ec);
    }
    if (ec) {
        beast::error_code ignored;
        d.acceptor.close(ignored);
        *_pError = QStringLiteral("cannot listen on %1:%2").arg(d.options.listenAddress).arg(d.options.port);
        return false;
    }
    return true;
}

int FileServer::port() const
{
    beast::error_code ec;
    const tcp::endpoint endpoint = m_pImpl->acceptor.local_endpoint(ec);
    return ec ? 0 : endpoint.port();
}

void FileServer::run()
{
    Impl& d = *m_pImpl;
    if (d.stopping) {
        return;
    }
    d.accept();
    std::vector<std::thread> threads;
    for (int i = 1; i < d.options.networkThreads; ++i) {
        threads.emplace_back([&d] { d.ioc.run(); });
    }
    d.ioc.run();
    for (std::thread& thread : threads) {
        thread.join();
    }
    d.workers.join();
}

void FileServer::stop()
{
    Impl& d = *m_pImpl;
    if (d.stopping.exchange(true)) {
        return;
    }
    asio::post(d.ioc, [&d] { d.beginStop(); });
}

}  // namespace tessel::files
