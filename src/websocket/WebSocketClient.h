// I_WebSocket on Boost.Beast.
//
// Thread model: the client's control thread (m_thread, an asio io_context) opens, reconnects and
// closes the channels (ChannelManager) and calls the event callbacks, one at a time. Requests
// never pass through it: a caller registers its request in the pending map, writes the frame on
// the open connection itself (BeastConnection::send, under the connection's stream lock) and then
// reads the connection itself while no other thread does (BeastConnection::tryPump), handing
// other callers' answers to their waiters under the pending mutex. A caller that finds another
// thread reading sleeps on its own condition variable until its answer comes or the reading role
// is let go. Each connection's reader thread reads only when no caller has waited for a while.
#ifndef TESSEL_WS_WEBSOCKET_CLIENT_H
#define TESSEL_WS_WEBSOCKET_CLIENT_H

#include "ClientConfig.h"
#include "I_WebSocket.h"

#include <QUrl>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>

#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

namespace tessel::ws {

class BeastConnection;
class ChannelManager;

constexpr int kChannelCount = 4;

/// What the control thread needs to open a channel.
struct ChannelTarget
{
    QUrl url;
    ClientOptions options;
};

class WebSocketClient final : public I_WebSocket
{
public:
    WebSocketClient();
    /// Only after shutdown().
    ~WebSocketClient();
    WebSocketClient(const WebSocketClient&) = delete;
    WebSocketClient& operator=(const WebSocketClient&) = delete;

    const char* GetVersion() override;
    int SetOption(const QString& _strKey, const QString& _strValue) override;
    QString GetOption(const QString& _strKey) override;
    int Disconnect(int _iChannel) override;
    int DisconnectAll() override;
    int ChannelState(int _iChannel) override;
    QString ChannelUrl(int _iChannel) override;
    int PendingRequests() override;
    QString LastError(int _iChannel) override;
    int SetReconnect(bool _bEnabled, int _iMaxDelayMs) override;
    int Post(const QString& _strCommand, const QJsonObject& _jsonRequest) override;
    int Connect(int _iChannel, QString _strUrl, WebSocketEventCallback _pCallback, void* _pUser) override;
    int IsConnected(int _iChannel) override;
    int SendAndWait(const QString& _strCommand, const QJsonObject& _jsonRequest, QString& _strAnswer,
                    int _iTimeoutSec) override;
    int SendAndWaitSelected(const QString& _strCommand, const QJsonObject& _jsonRequest, QString& _strAnswer,
                            int _iSelector) override;

    /// The thread that runs the event callbacks.
    bool isControlThread() const { return std::this_thread::get_id() == m_controlThreadId; }
    /// Fails every waiter, closes the channels and joins the control thread. Not on that thread.
    void shutdown();

    // ---- used by the control thread and the connections' reader threads ----
    void completeRequest(quint64 _uId, QString&& _strBody);
    /// A connection's reader thread let go of the reading role.
    void roleFreed(BeastConnection* _pConnection);
    void failChannelRequests(int _iChannel, int _iCode);
    ChannelTarget channelTarget(int _iChannel);
    ClientOptions options();
    bool reconnectEnabled() const { return m_bReconnect.load(std::memory_order_relaxed); }
    int reconnectMaxMs();
    void setChannelState(int _iChannel, int _iState);
    /// Ends "wanted" for a channel the control thread gave up on (configuration error, no
    /// reconnect); a later Connect starts it again.
    void channelGaveUp(int _iChannel);
    void setLastError(int _iChannel, const QString& _strError);
    /// Calls the channel's callback unless the client is shutting down.
    void notify(int _iChannel, int _iEvent, const QString& _strText);

private:
    struct Waiter
    {
        std::condition_variable cv;
        QString strAnswer;
        BeastConnection* pConnection = nullptr;  ///< held by the waiting caller
        BeastConnection* pFollowing = nullptr;   ///< set while another thread reads for it
        int iChannel = 0;
        int iResult = WS_SEND_OK;
        bool bDone = false;
    };

    struct ChannelInfo
    {
        QString strUrl;
        QUrl url;
        WebSocketEventCallback pCallback = nullptr;
        void* pUser = nullptr;
        bool bWanted = false;  ///< between Connect and Disconnect / giving up
        QString strLastError;
    };

    /// Counts the threads inside a public entry so that shutdown() frees nothing under them.
    class CallGuard
    {
    public:
        explicit CallGuard(WebSocketClient& _client);
        ~CallGuard();

    private:
        WebSocketClient& m_client;
    };

    static bool validChannel(int _iChannel) { return _iChannel >= 1 && _iChannel <= kChannelCount; }
    bool channelOpen(int _iChannel) const;
    int chooseLane(bool _bMaintenance) const;
    int sendAndWait(const QString& _strCommand, const QJsonObject& _jsonRequest, QString& _strAnswer,
                    std::chrono::milliseconds _timeout, bool _bMaintenance);
    void finishLocked(std::unordered_map<quint64, Waiter*>::iterator _it, int _iResult);
    /// Until the waiter is done (true) or _deadline (false, the waiter taken out of the map):
    /// reads the connection itself whenever no other thread does.
    bool awaitAnswer(Waiter& _waiter, BeastConnection* _pConnection, std::chrono::steady_clock::time_point _deadline);
    /// Under m_pendingMutex: a thread let go of the reading role of _pConnection.
    void roleFreedLocked(BeastConnection* _pConnection);
    /// Runs _fn on the control thread and waits for it (at once when already there).
    void runOnControlThread(const std::function<void()>& _fn);
    void postToControlThread(std::function<void()> _fn);

    boost::asio::io_context m_io;
    std::optional<boost::asio::executor_work_guard<boost::asio::io_context::executor_type>> m_work;
    std::unique_ptr<ChannelManager> m_pManager;
    std::thread m_thread;
    std::thread::id m_controlThreadId;
    bool m_bStopped = false;

    std::atomic<bool> m_bShutdown{false};
    std::atomic<int> m_iActiveCalls{0};
    std::mutex m_idleMutex;
    std::condition_variable m_idleCv;

    std::atomic<quint64> m_uNextId{1};

    std::mutex m_pendingMutex;
    std::unordered_map<quint64, Waiter*> m_pending;
    quint64 m_uRoleTurn = 0;  ///< under m_pendingMutex: counts the times a reading role was let go

    mutable std::mutex m_infoMutex;
    std::array<ChannelInfo, kChannelCount> m_info;
    std::array<std::atomic<int>, kChannelCount> m_state{};      ///< ChannelState values
    std::array<std::atomic<bool>, kChannelCount> m_loopback{};  ///< host of the URL is loopback

    std::mutex m_optionsMutex;
    ClientOptions m_options;
    std::atomic<bool> m_bLoopbackPlain{true};
    std::atomic<bool> m_bReconnect{true};
};

}  // namespace tessel::ws

#endif  // TESSEL_WS_WEBSOCKET_CLIENT_H
