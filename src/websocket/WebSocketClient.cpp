#include "WebSocketClient.h"

#include "ChannelManager.h"
#include "Frame.h"
#include "Log.h"

#include <boost/asio/ip/address.hpp>
#include <boost/asio/post.hpp>

#include <chrono>
#include <future>
#include <set>

Q_LOGGING_CATEGORY(lcWebSocket, "tessel.websocket")

namespace tessel::ws {

namespace {

constexpr std::chrono::seconds kDefaultTimeout{3};
constexpr std::chrono::seconds kMaintenanceTimeout{3600};
constexpr int kMaintenanceSelector = 3;

bool isLoopbackHost(const QString& _strHost)
{
    if (_strHost.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    boost::system::error_code ec;
    const boost::asio::ip::address address = boost::asio::ip::make_address(_strHost.toStdString(), ec);
    return !ec && address.is_loopback();
}

// Why a URL cannot be a channel's; empty when it can.
QString urlProblem(const QUrl& _url)
{
    if (!_url.isValid())
        return QStringLiteral("not a valid URL: ") + _url.errorString();
    if (_url.scheme() != QLatin1String("ws") && _url.scheme() != QLatin1String("wss"))
        return QStringLiteral("the scheme must be ws or wss");
    if (_url.host().isEmpty())
        return QStringLiteral("the URL has no host");
    if (_url.port() < 1)
        return QStringLiteral("the URL has no port");
    return QString();
}

}  // namespace

// ---- call accounting ----

WebSocketClient::CallGuard::CallGuard(WebSocketClient& _client) : m_client(_client)
{
    std::lock_guard<std::mutex> lock(m_client.m_idleMutex);
    ++m_client.m_iActiveCalls;
}

WebSocketClient::CallGuard::~CallGuard()
{
    // Under the mutex: once shutdown() sees zero, no caller touches the client any more.
    std::lock_guard<std::mutex> lock(m_client.m_idleMutex);
    if (--m_client.m_iActiveCalls == 0 && m_client.m_bShutdown.load())
        m_client.m_idleCv.notify_all();
}

// ---- life cycle ----

WebSocketClient::WebSocketClient() : m_options(loadClientOptions())
{
    m_bLoopbackPlain = m_options.loopbackPlain;
    m_work.emplace(boost::asio::make_work_guard(m_io));
    m_pManager = std::make_unique<ChannelManager>(*this, m_io);
    std::promise<std::thread::id> started;
    std::future<std::thread::id> id = started.get_future();
    m_thread = std::thread([this, &started] {
        started.set_value(std::this_thread::get_id());
        m_io.run();
    });
    m_controlThreadId = id.get();
}

WebSocketClient::~WebSocketClient()
{
    shutdown();
}

void WebSocketClient::shutdown()
{
    if (m_bStopped)
        return;
    m_bStopped = true;
    {
        std::lock_guard<std::mutex> lock(m_pendingMutex);
        m_bShutdown = true;
        while (!m_pending.empty())
            finishLocked(m_pending.begin(), WS_SEND_SHUTDOWN);
    }
    {
        std::unique_lock<std::mutex> lock(m_idleMutex);
        m_idleCv.wait(lock, [this] { return m_iActiveCalls == 0; });
    }
    runOnControlThread([this] { m_pManager->stopAll(); });
    // The thread ends once the handlers of the closed connections have run.
    m_work.reset();
    m_thread.join();
    m_pManager.reset();
}

void WebSocketClient::runOnControlThread(const std::function<void()>& _fn)
{
    if (isControlThread()) {
        _fn();
        return;
    }
    std::promise<void> done;
    boost::asio::post(m_io, [&_fn, &done] {
        _fn();
        done.set_value();
    });
    done.get_future().wait();
}

void WebSocketClient::postToControlThread(std::function<void()> _fn)
{
    boost::asio::post(m_io, std::move(_fn));
}

// ---- I_WebSocket ----

const char* WebSocketClient::GetVersion()
{
    return "tessel-websocket 1";
}

int WebSocketClient::SetOption(const QString& _strKey, const QString& _strValue)
{
    CallGuard guard(*this);
    QString strError;
    std::lock_guard<std::mutex> lock(m_optionsMutex);
    if (!setOptionText(m_options, _strKey, _strValue, &strError)) {
        qCWarning(lcWebSocket).noquote() << "SetOption:" << strError;
        return -1;
    }
    m_bLoopbackPlain = m_options.loopbackPlain;
    return 0;
}

QString WebSocketClient::GetOption(const QString& _strKey)
{
    CallGuard guard(*this);
    std::lock_guard<std::mutex> lock(m_optionsMutex);
    return optionText(m_options, _strKey);
}

int WebSocketClient::Disconnect(int _iChannel)
{
    CallGuard guard(*this);
    if (!validChannel(_iChannel))
        return -1;
    if (m_bShutdown)
        return 0;
    {
        std::lock_guard<std::mutex> lock(m_infoMutex);
        m_info[size_t(_iChannel - 1)].bWanted = false;
    }
    runOnControlThread([this, _iChannel] { m_pManager->stopChannel(_iChannel); });
    return 0;
}

int WebSocketClient::DisconnectAll()
{
    CallGuard guard(*this);
    if (m_bShutdown)
        return 0;
    {
        std::lock_guard<std::mutex> lock(m_infoMutex);
        for (ChannelInfo& info : m_info)
            info.bWanted = false;
    }
    runOnControlThread([this] {
        for (int i = 1; i <= kChannelCount; ++i)
            m_pManager->stopChannel(i);
    });
    return 0;
}

int WebSocketClient::ChannelState(int _iChannel)
{
    return validChannel(_iChannel) ? m_state[size_t(_iChannel - 1)].load() : 0;
}

QString WebSocketClient::ChannelUrl(int _iChannel)
{
    if (!validChannel(_iChannel))
        return QString();
    std::lock_guard<std::mutex> lock(m_infoMutex);
    return m_info[size_t(_iChannel - 1)].strUrl;
}

int WebSocketClient::PendingRequests()
{
    std::lock_guard<std::mutex> lock(m_pendingMutex);
    return int(m_pending.size());
}

QString WebSocketClient::LastError(int _iChannel)
{
    if (!validChannel(_iChannel))
        return QString();
    std::lock_guard<std::mutex> lock(m_infoMutex);
    return m_info[size_t(_iChannel - 1)].strLastError;
}

int WebSocketClient::SetReconnect(bool _bEnabled, int _iMaxDelayMs)
{
    CallGuard guard(*this);
    if (_bEnabled && _iMaxDelayMs < kMinReconnectMs) {
        qCWarning(lcWebSocket) << "SetReconnect: the maximum delay must be >=" << kMinReconnectMs << "ms";
        return -1;
    }
    if (_iMaxDelayMs >= kMinReconnectMs) {
        std::lock_guard<std::mutex> lock(m_optionsMutex);
        m_options.reconnectMaxMs = _iMaxDelayMs;
    }
    m_bReconnect = _bEnabled;
    if (!_bEnabled && !m_bShutdown)
        postToControlThread([this] { m_pManager->cancelRetries(); });
    return 0;
}

int WebSocketClient::Post(const QString& _strCommand, const QJsonObject& _jsonRequest)
{
    CallGuard guard(*this);
    if (m_bShutdown)
        return WS_SEND_SHUTDOWN;
    if (!isValidCommand(_strCommand)) {
        qCWarning(lcWebSocket) << "Post: bad command name" << excerpt(_strCommand);
        return WS_SEND_BAD_ARGUMENT;
    }
    const int iLane = chooseLane(false);
    if (iLane == 0)
        return WS_SEND_NOT_CONNECTED;
    const quint64 uId = m_uNextId.fetch_add(1, std::memory_order_relaxed);
    // Nobody waits: the answer finds no waiter and is dropped.
    const std::shared_ptr<BeastConnection> pConnection = m_pManager->connection(iLane);
    if (!pConnection || !pConnection->send(buildRequestFrameUtf8(uId, _strCommand, _jsonRequest)))
        qCWarning(lcWebSocket) << "channel" << iLane << "closed before a posted request left; dropped";
    return WS_SEND_OK;
}

int WebSocketClient::Connect(int _iChannel, QString _strUrl, WebSocketEventCallback _pCallback, void* _pUser)
{
    CallGuard guard(*this);
    if (m_bShutdown)
        return 0;
    if (!validChannel(_iChannel)) {
        qCWarning(lcWebSocket) << "Connect: channel" << _iChannel << "is not 1..4";
        return 0;
    }
    const QUrl url(_strUrl.trimmed(), QUrl::StrictMode);
    const QString strProblem = urlProblem(url);
    if (!strProblem.isEmpty()) {
        qCWarning(lcWebSocket).noquote()
            << "Connect: channel" << _iChannel << "URL" << excerpt(_strUrl) << ":" << strProblem;
        setLastError(_iChannel, strProblem);
        return 0;
    }
    {
        std::lock_guard<std::mutex> lock(m_infoMutex);
        ChannelInfo& info = m_info[size_t(_iChannel - 1)];
        if (info.bWanted && info.url == url)
            return 1;
        info.strUrl = _strUrl;
        info.url = url;
        info.pCallback = _pCallback;
        info.pUser = _pUser;
        info.bWanted = true;
        m_loopback[size_t(_iChannel - 1)] = isLoopbackHost(url.host());
        // An open channel stays usable until the control thread moves it.
        int iIdle = 0;
        m_state[size_t(_iChannel - 1)].compare_exchange_strong(iIdle, 1);
    }
    postToControlThread([this, _iChannel] { m_pManager->startChannel(_iChannel); });
    return 1;
}

int WebSocketClient::IsConnected(int _iChannel)
{
    return channelOpen(_iChannel) ? 1 : 0;
}

int WebSocketClient::SendAndWait(const QString& _strCommand, const QJsonObject& _jsonRequest,
                                 QString& _strAnswer, int _iTimeoutSec)
{
    const auto timeout = _iTimeoutSec > 0 ? std::chrono::seconds(_iTimeoutSec) : kDefaultTimeout;
    return sendAndWait(_strCommand, _jsonRequest, _strAnswer, timeout, false);
}

int WebSocketClient::SendAndWaitSelected(const QString& _strCommand, const QJsonObject& _jsonRequest,
                                         QString& _strAnswer, int _iSelector)
{
    return sendAndWait(_strCommand, _jsonRequest, _strAnswer, kMaintenanceTimeout,
                       _iSelector == kMaintenanceSelector);
}

// ---- requests ----

bool WebSocketClient::channelOpen(int _iChannel) const
{
    return validChannel(_iChannel) && m_state[size_t(_iChannel - 1)].load(std::memory_order_acquire) == 2;
}

int WebSocketClient::chooseLane(bool _bMaintenance) const
{
    if (_bMaintenance && channelOpen(4))
        return 4;
    if (m_bLoopbackPlain.load(std::memory_order_relaxed) && m_loopback[2].load(std::memory_order_relaxed) &&
        channelOpen(3))
        return 3;
    for (const int iChannel : {1, 2, 4}) {
        if (channelOpen(iChannel))
            return iChannel;
    }
    return 0;
}

int WebSocketClient::sendAndWait(const QString& _strCommand, const QJsonObject& _jsonRequest,
                                 QString& _strAnswer, std::chrono::milliseconds _timeout, bool _bMaintenance)
{
    CallGuard guard(*this);
    if (m_bShutdown)
        return WS_SEND_SHUTDOWN;
    if (!isValidCommand(_strCommand)) {
        qCWarning(lcWebSocket) << "SendAndWait: bad command name" << excerpt(_strCommand);
        return WS_SEND_BAD_ARGUMENT;
    }
    if (isControlThread()) {
        qCWarning(lcWebSocket) << "SendAndWait called from an event callback: it would block the thread that"
                               << "delivers the answer";
        return WS_SEND_BAD_ARGUMENT;
    }
    const int iLane = chooseLane(_bMaintenance);
    if (iLane == 0)
        return WS_SEND_NOT_CONNECTED;

    const quint64 uId = m_uNextId.fetch_add(1, std::memory_order_relaxed);
    const QByteArray frame = buildRequestFrameUtf8(uId, _strCommand, _jsonRequest);
    const auto deadline = std::chrono::steady_clock::now() + _timeout;
    const std::shared_ptr<BeastConnection> pConnection = m_pManager->connection(iLane);
    Waiter waiter;
    waiter.iChannel = iLane;
    waiter.pConnection = pConnection.get();
    {
        std::lock_guard<std::mutex> lock(m_pendingMutex);
        if (m_bShutdown)
            return WS_SEND_SHUTDOWN;
        m_pending.emplace(uId, &waiter);
    }
    if (!pConnection || !pConnection->send(frame)) {
        std::lock_guard<std::mutex> lock(m_pendingMutex);
        const auto it = m_pending.find(uId);
        // Not found: a close or the shutdown finished it already.
        if (it != m_pending.end())
            finishLocked(it, WS_SEND_CLOSED);
    }
    if (pConnection)
        pConnection->callerArrives();
    const bool bAnswered = awaitAnswer(waiter, pConnection.get(), deadline);
    if (pConnection)
        pConnection->callerLeaves();
    if (!bAnswered) {
        qCWarning(lcWebSocket) << "request" << uId << _strCommand << "on channel" << iLane << "timed out after"
                               << _timeout.count() << "ms";
        return WS_SEND_TIMEOUT;
    }
    if (waiter.iResult == WS_SEND_OK)
        _strAnswer = std::move(waiter.strAnswer);
    return waiter.iResult;
}

bool WebSocketClient::awaitAnswer(Waiter& _waiter, BeastConnection* _pConnection,
                                  std::chrono::steady_clock::time_point _deadline)
{
    std::unique_lock<std::mutex> lock(m_pendingMutex);
    bool bCanRead = _pConnection != nullptr;
    while (!_waiter.bDone) {
        const quint64 uRoleTurn = m_uRoleTurn;
        if (bCanRead) {
            // Reads the socket itself while no other thread does: no hand-off to wake us.
            lock.unlock();
            PumpResult result = PumpResult::Progress;
            const bool bRead = _pConnection->tryPump(_deadline, result);
            lock.lock();
            if (bRead) {
                roleFreedLocked(_pConnection);
                if (result == PumpResult::Down)
                    bCanRead = false;  // the control thread fails the waiters soon
                if (result != PumpResult::TimedOut || _waiter.bDone)
                    continue;
            } else if (_waiter.bDone || m_uRoleTurn != uRoleTurn) {
                continue;
            } else {
                // Another thread reads: it hands our answer over, or the role once it is done.
                _waiter.pFollowing = _pConnection;
                const bool bWoken = _waiter.cv.wait_until(
                    lock, _deadline, [&] { return _waiter.bDone || m_uRoleTurn != uRoleTurn; });
                _waiter.pFollowing = nullptr;
                if (bWoken)
                    continue;
            }
        } else if (_waiter.cv.wait_until(lock, _deadline, [&] { return _waiter.bDone; })) {
            continue;
        }
        // Timed out. Not done means still in the map: whoever finishes a waiter removes it under
        // this lock.
        for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
            if (it->second == &_waiter) {
                m_pending.erase(it);
                break;
            }
        }
        return false;
    }
    return true;
}

void WebSocketClient::roleFreedLocked(BeastConnection* _pConnection)
{
    ++m_uRoleTurn;
    // The callers waiting on that connection try for the role; one gets it, the others wait for
    // its turn to end (or their answers).
    for (const auto& entry : m_pending) {
        if (entry.second->pFollowing == _pConnection)
            entry.second->cv.notify_one();
    }
}

void WebSocketClient::roleFreed(BeastConnection* _pConnection)
{
    std::lock_guard<std::mutex> lock(m_pendingMutex);
    roleFreedLocked(_pConnection);
}

void WebSocketClient::finishLocked(std::unordered_map<quint64, Waiter*>::iterator _it, int _iResult)
{
    Waiter* pWaiter = _it->second;
    m_pending.erase(_it);
    pWaiter->iResult = _iResult;
    pWaiter->bDone = true;
    // Notified under the lock: the waiter cannot leave (and free itself) before we are done.
    pWaiter->cv.notify_one();
    // A waiter failed while it reads the socket itself stops reading.
    if (_iResult != WS_SEND_OK && pWaiter->pConnection != nullptr)
        pWaiter->pConnection->interrupt();
}

void WebSocketClient::completeRequest(quint64 _uId, QString&& _strBody)
{
    {
        std::lock_guard<std::mutex> lock(m_pendingMutex);
        const auto it = m_pending.find(_uId);
        if (it != m_pending.end()) {
            it->second->strAnswer = std::move(_strBody);
            finishLocked(it, WS_SEND_OK);
            return;
        }
    }
    qCDebug(lcWebSocket) << "answer to request" << _uId << "that nobody waits for; dropped";
}

void WebSocketClient::failChannelRequests(int _iChannel, int _iCode)
{
    std::lock_guard<std::mutex> lock(m_pendingMutex);
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        auto next = std::next(it);
        if (it->second->iChannel == _iChannel)
            finishLocked(it, _iCode);
        it = next;
    }
}

// ---- channel bookkeeping for the control thread ----

ChannelTarget WebSocketClient::channelTarget(int _iChannel)
{
    ChannelTarget target;
    {
        std::lock_guard<std::mutex> lock(m_infoMutex);
        const ChannelInfo& info = m_info[size_t(_iChannel - 1)];
        if (!info.bWanted)
            return target;
        target.url = info.url;
    }
    std::lock_guard<std::mutex> lock(m_optionsMutex);
    target.options = m_options;
    return target;
}

ClientOptions WebSocketClient::options()
{
    std::lock_guard<std::mutex> lock(m_optionsMutex);
    return m_options;
}

int WebSocketClient::reconnectMaxMs()
{
    std::lock_guard<std::mutex> lock(m_optionsMutex);
    return m_options.reconnectMaxMs;
}

void WebSocketClient::setChannelState(int _iChannel, int _iState)
{
    m_state[size_t(_iChannel - 1)].store(_iState, std::memory_order_release);
}

void WebSocketClient::channelGaveUp(int _iChannel)
{
    std::lock_guard<std::mutex> lock(m_infoMutex);
    m_info[size_t(_iChannel - 1)].bWanted = false;
    m_state[size_t(_iChannel - 1)] = 0;
}

void WebSocketClient::setLastError(int _iChannel, const QString& _strError)
{
    std::lock_guard<std::mutex> lock(m_infoMutex);
    m_info[size_t(_iChannel - 1)].strLastError = _strError;
}

void WebSocketClient::notify(int _iChannel, int _iEvent, const QString& _strText)
{
    if (m_bShutdown)
        return;
    WebSocketEventCallback pCallback = nullptr;
    void* pUser = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_infoMutex);
        pCallback = m_info[size_t(_iChannel - 1)].pCallback;
        pUser = m_info[size_t(_iChannel - 1)].pUser;
    }
    if (pCallback != nullptr)
        pCallback(_iChannel, _iEvent, _strText, pUser);
}

}  // namespace tessel::ws

// ---- the two exported entry points ----

namespace {

// Clients handed out and not yet deleted: DeleteWebsocket refuses any other pointer without
// touching what it points to.
std::mutex g_liveMutex;
std::set<I_WebSocket*> g_live;

}  // namespace

extern "C" __attribute__((visibility("default"))) I_WebSocket* CreatWebsocket()
{
    I_WebSocket* pClient = new tessel::ws::WebSocketClient();
    std::lock_guard<std::mutex> lock(g_liveMutex);
    g_live.insert(pClient);
    return pClient;
}

extern "C" __attribute__((visibility("default"))) int DeleteWebsocket(I_WebSocket* _pSocket)
{
    if (_pSocket == nullptr)
        return -1;
    tessel::ws::WebSocketClient* pClient = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_liveMutex);
        if (g_live.count(_pSocket) == 0) {
            qCWarning(lcWebSocket) << "DeleteWebsocket: not a live client (deleted twice?)";
            return -1;
        }
        pClient = static_cast<tessel::ws::WebSocketClient*>(_pSocket);
        if (pClient->isControlThread()) {
            qCWarning(lcWebSocket) << "DeleteWebsocket called from an event callback: not allowed there";
            return -1;
        }
        g_live.erase(_pSocket);
    }
    pClient->shutdown();
    delete pClient;
    return 0;
}
