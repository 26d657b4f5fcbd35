// One WebSocket connection of a channel, on Boost.Beast over Boost.Asio (asio::ssl for wss://).
//
// Opening (TCP connect, TLS handshake, upgrade) runs asynchronously on the client's control
// thread. Once open, callers write their frames themselves, and a caller that waits for its
// answer reads the socket itself while no other thread does (the reading role): it hands any
// other caller's answer to that caller and, once its own has come, lets the next waiting caller
// read. A lone caller thus writes, reads and returns with no thread in between. The connection's
// own reader thread takes the role only when no caller has waited for a short while, so that
// broadcasts and the end of the connection are seen when nobody asks anything.
//
// The read of a message is a Beast asynchronous read whose socket reads are parked in the
// connection until the role holder finds data and runs it on the connection's private
// io_context; a role holder can therefore leave at its deadline in the middle of a message and
// the next one goes on where it stopped. Every use of Beast's stream runs under one stream lock.
// Only the control thread opens and closes.
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
    /// The reader thread let go of the reading role: a caller waiting for it may take it.
    std::function<void()> onRoleFree;
};

/// What one turn of reading by a waiting caller came to.
enum class PumpResult
{
    Progress,  ///< something was read (maybe the caller's answer), or the caller was woken
    TimedOut,  ///< nothing arrived before the deadline
    Down,      ///< the connection is broken or closing: nothing more will arrive
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
    /// A caller starts or stops waiting for an answer on this connection; while any does, and for
    /// a short while after, the reader thread leaves the reading to callers.
    void callerArrives();
    void callerLeaves();
    /// A waiting caller, when no other thread reads: reads until something arrives or _deadline,
    /// dispatching what arrives through the sink, and returns true with what it came to. False at
    /// once when another thread reads; the caller then waits until its answer comes or the role
    /// is free again (the sink's onRoleFree, or the client after its own turn).
    bool tryPump(std::chrono::steady_clock::time_point _deadline, PumpResult& _result);
    /// Any thread: wakes a caller reading in tryPump (its turn ends with Progress).
    void interrupt();
    /// Control thread: shuts the socket, joins the reader and closes the socket (the peer sees the
    /// end of the stream). No sink function runs once it returns; later sends return false.
    void close();

private:
    struct Impl;
    std::shared_ptr<Impl> m_pImpl;
};

}  // namespace tessel::ws

#endif  // TESSEL_WS_BEAST_CHANNEL_H
