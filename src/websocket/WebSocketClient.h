// I_WebSocket on QtWebSockets.
//
// Thread model: every QWebSocket lives on the client's own socket thread (m_thread), driven by
// a SocketWorker. Callers never touch a socket: a request is registered in the pending map,
// its frame is appended to a locked queue (one posted event wakes the socket thread when the
// queue was empty), and the caller sleeps on its own condition variable. The socket thread
// reads only the header line of each answer and hands the body to the waiter under the
// pending mutex.
#ifndef TESSEL_WS_WEBSOCKET_CLIENT_H
#define TESSEL_WS_WEBSOCKET_CLIENT_H

#include "ClientConfig.h"
#include "I_WebSocket.h"

#include <QThread>

#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace tessel::ws {

class SocketWorker;

constexpr int kChannelCount = 4;

/// A frame waiting for the socket thread. uId is 0 for Post (nobody waits).
struct OutFrame
{
    int iChannel = 0;
    quint64 uId = 0;
    QString strText;
};

/// What the socket thread needs to open a channel.
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

    bool isSocketThread() const { return QThread::currentThread() == &m_thread; }
    /// Fails every waiter, closes the sockets and joins the socket thread. Not on that thread.
    void shutdown();

    // ---- used by the socket thread ----
    void completeRequest(quint64 _uId, QString&& _strBody);
    void failRequest(quint64 _uId, int _iCode);
    void failChannelRequests(int _iChannel, int _iCode);
    void takeFrames(std::vector<OutFrame>& _frames);
    ChannelTarget channelTarget(int _iChannel);
    ClientOptions options();
    bool reconnectEnabled() const { return m_bReconnect.load(std::memory_order_relaxed); }
    int reconnectMaxMs();
    void setChannelState(int _iChannel, int _iState);
    /// Ends "wanted" for a channel the socket thread gave up on (configuration error, no
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
    void enqueue(OutFrame&& _frame);
    void finishLocked(std::unordered_map<quint64, Waiter*>::iterator _it, int _iResult);
    void runOnSocketThread(const std::function<void()>& _fn);

    QThread m_thread;
    SocketWorker* m_pWorker = nullptr;

    std::atomic<bool> m_bShutdown{false};
    std::atomic<int> m_iActiveCalls{0};
    std::mutex m_idleMutex;
    std::condition_variable m_idleCv;

    std::atomic<quint64> m_uNextId{1};

    std::mutex m_pendingMutex;
    std::unordered_map<quint64, Waiter*> m_pending;

    std::mutex m_queueMutex;
    std::vector<OutFrame> m_queue;

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
