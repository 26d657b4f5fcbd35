#include "rawclient.h"

#include <limits>

#include <boost/asio/connect.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http.hpp>

#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>
#include <functional>

namespace tessel::files::test {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = boost::beast::http;
using tcp = boost::asio::ip::tcp;

QByteArray requestText(const QByteArray& _baMethod, const QByteArray& _baTarget, const QByteArray& _baBody,
                       const Headers& _headers, bool _bChunked, int _iChunk)
{
    QByteArray baText = _baMethod + ' ' + _baTarget + " HTTP/1.1\r\n";
    bool bLength = false;
    for (const auto& header : _headers) {
        baText += header.first + ": " + header.second + "\r\n";
        bLength = bLength || header.first.compare("Content-Length", Qt::CaseInsensitive) == 0 ||
                  header.first.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0;
    }
    if (_bChunked) {
        baText += "Transfer-Encoding: chunked\r\n\r\n";
        for (int i = 0; i < _baBody.size(); i += _iChunk) {
            const QByteArray baPiece = _baBody.mid(i, _iChunk);
            baText += QByteArray::number(baPiece.size(), 16) + "\r\n" + baPiece + "\r\n";
        }
        return baText + "0\r\n\r\n";
    }
    if (!bLength) {
        baText += "Content-Length: " + QByteArray::number(_baBody.size()) + "\r\n";
    }
    return baText + "\r\n" + _baBody;
}

QByteArray uploadBody(const QByteArray& _baPath, const QByteArray& _baContent)
{
    const QByteArray baBase64 = _baContent.toBase64();
    QJsonObject data;
    data.insert(QStringLiteral("size"), baBase64.size());
    data.insert(QStringLiteral("buf"), QString::fromLatin1(baBase64));
    return "filename=" + _baPath + "\tdata=" + QJsonDocument(data).toJson(QJsonDocument::Compact);
}

bool RawClient::connect(int _iPort, const char* _pszSource)
{
    beast::error_code ec;
    m_socket.open(tcp::v4(), ec);
    if (!ec && _pszSource) {
        m_socket.bind(tcp::endpoint(asio::ip::make_address(_pszSource), 0), ec);
    }
    if (!ec) {
        m_socket.connect(
            tcp::endpoint(asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(_iPort)), ec);
    }
    return !ec;
}

bool RawClient::send(const QByteArray& _baBytes)
{
    beast::error_code ec;
    asio::write(m_socket, asio::buffer(_baBytes.constData(), static_cast<std::size_t>(_baBytes.size())), ec);
    return !ec;
}

HttpAnswer RawClient::exchange(const QByteArray& _baBytes, int _iTimeoutMs)
{
    http::response_parser<http::string_body> parser;
    // Not boost::none: Beast 1.74 then refuses a declared length whose body comes apart from
    // the head.
    parser.body_limit(std::numeric_limits<std::uint64_t>::max());
    bool bRead = false;
    beast::error_code readError;
    if (!_baBytes.isEmpty()) {
        asio::async_write(m_socket,
                          asio::buffer(_baBytes.constData(), static_cast<std::size_t>(_baBytes.size())),
                          [](beast::error_code, std::size_t) {});
    }
    http::async_read(m_socket, m_buffer, parser, [&](beast::error_code _ec, std::size_t) {
        readError = _ec;
        bRead = true;
    });
    m_ioc.restart();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(_iTimeoutMs);
    while (!bRead && std::chrono::steady_clock::now() < deadline) {
        m_ioc.run_one_until(deadline);
    }
    if (!bRead || m_ioc.stopped() == false) {
        // Whatever is still under way (the read, or a write the server stopped taking) ends here.
        beast::error_code ec;
        m_socket.cancel(ec);
        m_ioc.restart();
        m_ioc.run();
    }
    HttpAnswer answer;
    if (!bRead || readError) {
        return answer;
    }
    const auto& response = parser.get();
    answer.status = static_cast<int>(response.result_int());
    answer.body = QByteArray(response.body().data(), static_cast<int>(response.body().size()));
    const auto field = [&response](http::field _name) {
        const auto it = response.find(_name);
        return it == response.end() ? QByteArray()
                                    : QByteArray(it->value().data(), static_cast<int>(it->value().size()));
    };
    answer.connection = field(http::field::connection);
    answer.allow = field(http::field::allow);
    return answer;
}

bool RawClient::endsWithin(int _iTimeoutMs)
{
    char buffer[4096];
    bool bEnded = false;
    std::function<void()> readSome;
    readSome = [&] {
        m_socket.async_read_some(asio::buffer(buffer), [&](beast::error_code _ec, std::size_t) {
            if (_ec) {
                bEnded = _ec != asio::error::operation_aborted;
                return;
            }
            readSome();
        });
    };
    readSome();
    m_ioc.restart();
    m_ioc.run_for(std::chrono::milliseconds(_iTimeoutMs));
    if (!m_ioc.stopped()) {
        beast::error_code ec;
        m_socket.cancel(ec);
        m_ioc.restart();
        m_ioc.run();
    }
    return bEnded;
}

void RawClient::close()
{
    beast::error_code ec;
    m_socket.close(ec);
}

HttpAnswer roundTrip(int _iPort, const QByteArray& _baRequest, int _iTimeoutMs)
{
    RawClient client;
    if (!client.connect(_iPort)) {
        return HttpAnswer{};
    }
    return client.exchange(_baRequest, _iTimeoutMs);
}

}  // namespace tessel::files::test
