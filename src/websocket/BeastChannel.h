// One WebSocket connection of a channel, on Boost.Beast over Boost.Asio (asio::ssl for wss://).
//
// Opening (TCP connect, TLS handshake, upgrade) runs asynchronously on the client's control
// thread. Once open, the connection's own reader thread reads every frame and hands each answer
// to its waiter directly; callers write their frames themselves. The reader and the writers use
// Beast's stream under one lock, which the reader lets go while it waits for data. There is no
// thread hop on the request path. Only the control thread opens and closes.
#ifndef TESSEL_WS_BEAST_CHANNEL_H
#define TESSEL_WS_BEAST_CHANNEL_H

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>

namespace boost::asio {
class io_context;
namespace ssl {
class context;
}
}  // namespace boost::asio

namespace tessel::ws {

/// Where the reader thread hands what it reads. Every function runs on the reader thread.
struct ConnectionSink
{
    std::function<void(quint64 _uId, QString&& _strBody)> onAnswer;
    std::function<void(QString&& _strText)> onBroadcast;
    /// Once, when reading stopped for any reason but close(); the reason as LastError shows it.
    std::function<void(const QString& _strReason)> onDown;
};

class BeastConnection
{
public:
    /// A connection carries at most this much in one received message.
    static constexpr size_t kMaxMessageBytes = size_t(1) << 30;

    /// _pTls is null for ws://.
    BeastConnection(boost::asio::io_context& _io, int _iChannel, const QUrl& _url,
                    std::shared_ptr<boost::asio::ssl::context> _pTls);
    /// Closes the connection if close() was not called.
    ~BeastConnection();
    BeastConnection(const BeastConnection&) = delete;
    BeastConnection& operator=(const BeastConnection&) = delete;

    /// Control thread. Starts connecting and returns; _done runs later on the control thread,
    /// once, with an empty text when the connection is open, else why it is not. An attempt that
    /// is not done within _timeout fails. Nothing runs after close().
    void open(const QString& _strToken, std::chrono::milliseconds _timeout,
              std::function<void(const QString& _strError)> _done);
    /// Control thread, once the connection is open: starts the reader thread.
    void startReading(ConnectionSink _sink);
    /// Any thread: writes one text frame. False when the connection cannot carry it any more.
    bool send(const QByteArray& _frame);
    /// Control thread: shuts the socket, joins the reader and closes the socket (the peer sees the
    /// end of the stream). No sink function runs once it returns; later sends return false.
    void close();

private:
    struct Impl;
    std::shared_ptr<Impl> m_pImpl;
};

}  // namespace tessel::ws

#endif  // TESSEL_WS_BEAST_CHANNEL_H
