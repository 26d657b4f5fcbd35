// A small loopback client for the file service that sends exactly the bytes it is given (heads
// that a real client would never send included) and reads one answer with Beast.
#ifndef TESSEL_TESTS_FILESERVICE_RAWCLIENT_H
#define TESSEL_TESTS_FILESERVICE_RAWCLIENT_H

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>

#include <QByteArray>
#include <QList>
#include <QPair>

namespace tessel::files::test {

struct HttpAnswer
{
    int status = 0;  ///< 0: no answer (closed, reset or timed out)
    QByteArray body;
    QByteArray connection;  ///< the Connection field
    QByteArray allow;       ///< the Allow field
};

using Headers = QList<QPair<QByteArray, QByteArray>>;

/// The text of a request. A "Content-Length" is added for _baBody unless _bChunked (then the
/// body goes in chunks of _iChunk bytes) or _headers has one or a "Transfer-Encoding".
QByteArray requestText(const QByteArray& _baMethod, const QByteArray& _baTarget, const QByteArray& _baBody,
                       const Headers& _headers, bool _bChunked = false, int _iChunk = 65536);

/// The upload body for _baContent as the client builds it.
QByteArray uploadBody(const QByteArray& _baPath, const QByteArray& _baContent);

class RawClient
{
public:
    RawClient() = default;
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    /// Connects to 127.0.0.1:_iPort, from _pszSource when given (another loopback address).
    bool connect(int _iPort, const char* _pszSource = nullptr);
    /// Sends everything (blocking).
    bool send(const QByteArray& _baBytes);
    /// Sends _baBytes while reading one answer, both within _iTimeoutMs; the answer may come
    /// before everything is sent.
    HttpAnswer exchange(const QByteArray& _baBytes, int _iTimeoutMs);
    /// Reads one answer within _iTimeoutMs.
    HttpAnswer read(int _iTimeoutMs) { return exchange(QByteArray(), _iTimeoutMs); }
    /// Whether the server ends the connection within _iTimeoutMs (end of stream or reset;
    /// whatever it sends before is dropped).
    bool endsWithin(int _iTimeoutMs);
    int nativeHandle() { return m_socket.native_handle(); }
    void close();

private:
    boost::asio::io_context m_ioc;
    boost::asio::ip::tcp::socket m_socket{m_ioc};
    boost::beast::flat_buffer m_buffer;
};

/// One request on a connection of its own.
HttpAnswer roundTrip(int _iPort, const QByteArray& _baRequest, int _iTimeoutMs = 10000);

}  // namespace tessel::files::test

#endif  // TESSEL_TESTS_FILESERVICE_RAWCLIENT_H
