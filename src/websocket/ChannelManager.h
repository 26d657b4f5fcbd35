// The control thread's side of the client: the four channels, opening, reconnection with capped
// back-off and the events. Every member function runs on the control thread, except
// connection(), which callers use to reach an open channel.
#ifndef TESSEL_WS_CHANNEL_MANAGER_H
#define TESSEL_WS_CHANNEL_MANAGER_H

#include "BeastChannel.h"
#include "ClientConfig.h"
#include "TlsContext.h"
#include "WebSocketClient.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>

#include <QUrl>

#include <array>
#include <memory>
#include <mutex>

namespace tessel::ws {

class ChannelManager
{
public:
    ChannelManager(WebSocketClient& _client, boost::asio::io_context& _io);
    ~ChannelManager();
    ChannelManager(const ChannelManager&) = delete;
    ChannelManager& operator=(const ChannelManager&) = delete;

    /// Opens the channel to the URL recorded by Connect; no-op when it already runs there.
    void startChannel(int _iChannel);
    /// Closes the channel for good: no reconnect, no events; its requests fail as closed.
    void stopChannel(int _iChannel);
    /// Closes everything for the client's destruction.
    void stopAll();
    /// Reconnection was turned off: channels waiting for a retry give up.
    void cancelRetries();

    /// Any thread: the channel's open connection, or null.
    std::shared_ptr<BeastConnection> connection(int _iChannel);

private:
    struct Channel
    {
        explicit Channel(boost::asio::io_context& _io) : retryTimer(_io) {}

        std::shared_ptr<BeastConnection> pConnection;  ///< the current attempt or open connection
        quint64 uSerial = 0;                           ///< of pConnection: stale reports are dropped
        boost::asio::steady_timer retryTimer;
        QUrl url;
        ClientOptions options;
        std::shared_ptr<boost::asio::ssl::context> pTls;
        bool bActive = false;  ///< kept up: opening, open or waiting to reconnect
        bool bOpen = false;
        bool bEverOpened = false;     ///< since the last Connect
        bool bErrorReported = false;  ///< event 3 was sent since the last Connect
        int iBackoffMs = kMinReconnectMs;
    };

    Channel& channel(int _iChannel) { return *m_channels[size_t(_iChannel - 1)]; }
    void attempt(int _iChannel);
    void onOpenDone(int _iChannel, quint64 _uSerial, const QString& _strError);
    void onDown(int _iChannel, quint64 _uSerial, const QString& _strReason);
    void retryOrGiveUp(int _iChannel);
    void releaseConnection(Channel& _channel);
    void setPublished(int _iChannel, std::shared_ptr<BeastConnection> _pConnection);

    WebSocketClient& m_client;
    boost::asio::io_context& m_io;
    std::array<std::unique_ptr<Channel>, kChannelCount> m_channels;
    quint64 m_uNextSerial = 1;

    std::mutex m_publishedMutex;
    std::array<std::shared_ptr<BeastConnection>, kChannelCount> m_published;  ///< open ones, for callers
};

}  // namespace tessel::ws

#endif  // TESSEL_WS_CHANNEL_MANAGER_H
