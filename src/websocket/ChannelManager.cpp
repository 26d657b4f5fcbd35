#include "ChannelManager.h"

#include "Log.h"

#include <boost/asio/post.hpp>

namespace tessel::ws {

namespace {

// A TCP connect plus TLS and the upgrade that has not finished by then is given up (and retried).
constexpr std::chrono::milliseconds kConnectTimeout{10000};

}  // namespace

ChannelManager::ChannelManager(WebSocketClient& _client, boost::asio::io_context& _io)
    : m_client(_client), m_io(_io)
{
    for (auto& pChannel : m_channels)
        pChannel = std::make_unique<Channel>(_io);
}

ChannelManager::~ChannelManager() = default;

std::shared_ptr<BeastConnection> ChannelManager::connection(int _iChannel)
{
    std::lock_guard<std::mutex> lock(m_publishedMutex);
    return m_published[size_t(_iChannel - 1)];
}

void ChannelManager::setPublished(int _iChannel, std::shared_ptr<BeastConnection> _pConnection)
{
    std::lock_guard<std::mutex> lock(m_publishedMutex);
    m_published[size_t(_iChannel - 1)] = std::move(_pConnection);
}

void ChannelManager::startChannel(int _iChannel)
{
    const ChannelTarget target = m_client.channelTarget(_iChannel);
    if (target.url.isEmpty())
        return;  // disconnected again before this ran
    Channel& c = channel(_iChannel);
    if (c.bActive && c.url == target.url) {
        // Back to the URL it already runs on (Connect elsewhere and back before this ran).
        m_client.setChannelState(_iChannel, c.bOpen ? 2 : 1);
        return;
    }
    if (c.bActive) {
        qCInfo(lcWebSocket) << "channel" << _iChannel << "moves from" << c.url.toDisplayString() << "to"
                            << target.url.toDisplayString();
        c.retryTimer.cancel();
        releaseConnection(c);
        m_client.setChannelState(_iChannel, 1);
        m_client.failChannelRequests(_iChannel, WS_SEND_CLOSED);
    }
    c.url = target.url;
    c.options = target.options;
    c.pTls.reset();
    c.bEverOpened = false;
    c.bErrorReported = false;
    c.iBackoffMs = kMinReconnectMs;
    if (c.url.scheme() == QLatin1String("wss")) {
        const QString strError = makeTlsContext(c.options, &c.pTls);
        if (!strError.isEmpty()) {
            // A configuration error: retrying cannot help, so the channel gives up at once.
            qCWarning(lcWebSocket).noquote()
                << "channel" << _iChannel << c.url.toDisplayString() << ":" << strError;
            c.bActive = false;
            m_client.setLastError(_iChannel, strError);
            m_client.channelGaveUp(_iChannel);
            m_client.notify(_iChannel, WS_EVENT_ERROR, strError);
            return;
        }
    }
    c.bActive = true;
    attempt(_iChannel);
}

void ChannelManager::attempt(int _iChannel)
{
    Channel& c = channel(_iChannel);
    m_client.setChannelState(_iChannel, 1);
    const quint64 uSerial = m_uNextSerial++;
    c.uSerial = uSerial;
    c.pConnection = std::make_shared<BeastConnection>(m_io, _iChannel, c.url, c.pTls);
    // The token as it is now: it may have changed since Connect (TLS settings may not).
    c.pConnection->open(
        m_client.options().token, kConnectTimeout,
        [this, _iChannel, uSerial](const QString& strError) { onOpenDone(_iChannel, uSerial, strError); });
}

void ChannelManager::onOpenDone(int _iChannel, quint64 _uSerial, const QString& _strError)
{
    Channel& c = channel(_iChannel);
    if (c.uSerial != _uSerial || !c.pConnection)
        return;
    if (!_strError.isEmpty()) {
        onDown(_iChannel, _uSerial, _strError);
        return;
    }
    c.bOpen = true;
    c.bEverOpened = true;
    c.iBackoffMs = kMinReconnectMs;

    ConnectionSink sink;
    sink.onAnswer = [this](quint64 uId, QString&& strBody) {
        m_client.completeRequest(uId, std::move(strBody));
    };
    sink.onBroadcast = [this, _iChannel, _uSerial](QString&& strText) {
        boost::asio::post(m_io, [this, _iChannel, _uSerial, strText = std::move(strText)] {
            if (channel(_iChannel).uSerial == _uSerial && channel(_iChannel).bOpen)
                m_client.notify(_iChannel, WS_EVENT_BROADCAST, strText);
        });
    };
    sink.onRoleFree = [this, pConnection = c.pConnection.get()] { m_client.roleFreed(pConnection); };
    sink.onDown = [this, _iChannel, _uSerial](const QString& strReason) {
        boost::asio::post(m_io,
                          [this, _iChannel, _uSerial, strReason] { onDown(_iChannel, _uSerial, strReason); });
    };
    c.pConnection->startReading(std::move(sink));
    setPublished(_iChannel, c.pConnection);
    m_client.setChannelState(_iChannel, 2);
    qCInfo(lcWebSocket) << "channel" << _iChannel << "open:" << c.url.toDisplayString();
    m_client.notify(_iChannel, WS_EVENT_OPENED, QString());
}

void ChannelManager::onDown(int _iChannel, quint64 _uSerial, const QString& _strReason)
{
    Channel& c = channel(_iChannel);
    if (c.uSerial != _uSerial || !c.pConnection)
        return;
    const bool bWasOpen = c.bOpen;
    // Callers see the channel go before its connection closes: whatever they wrote until then
    // is failed below.
    m_client.setChannelState(_iChannel, 1);
    releaseConnection(c);
    m_client.setLastError(_iChannel, _strReason);

    if (bWasOpen) {
        // Waiters learn at once; they do not sit out their timeouts.
        m_client.failChannelRequests(_iChannel, WS_SEND_CLOSED);
        qCWarning(lcWebSocket).noquote()
            << "channel" << _iChannel << c.url.toDisplayString() << ":" << _strReason;
        retryOrGiveUp(_iChannel);
        m_client.notify(_iChannel, WS_EVENT_CLOSED, _strReason);
        return;
    }
    // Only the first failure before the channel ever opened is reported; later ones of the same
    // outage would only repeat it.
    const bool bReport = !c.bEverOpened && !c.bErrorReported;
    if (bReport) {
        c.bErrorReported = true;
        qCWarning(lcWebSocket).noquote()
            << "channel" << _iChannel << c.url.toDisplayString() << ": connect failed:" << _strReason;
    } else {
        qCDebug(lcWebSocket).noquote() << "channel" << _iChannel << ": reconnect failed:" << _strReason;
    }
    retryOrGiveUp(_iChannel);
    if (bReport)
        m_client.notify(_iChannel, WS_EVENT_ERROR, _strReason);
}

void ChannelManager::retryOrGiveUp(int _iChannel)
{
    Channel& c = channel(_iChannel);
    if (!m_client.reconnectEnabled()) {
        c.bActive = false;
        m_client.channelGaveUp(_iChannel);
        return;
    }
    m_client.setChannelState(_iChannel, 1);
    c.retryTimer.expires_after(std::chrono::milliseconds(c.iBackoffMs));
    c.retryTimer.async_wait([this, _iChannel](const boost::system::error_code& ec) {
        Channel& ch = channel(_iChannel);
        if (!ec && ch.bActive && !ch.pConnection)
            attempt(_iChannel);
    });
    c.iBackoffMs = qMin(c.iBackoffMs * 2, qMax(kMinReconnectMs, m_client.reconnectMaxMs()));
}

void ChannelManager::releaseConnection(Channel& _channel)
{
    std::shared_ptr<BeastConnection> pConnection = std::move(_channel.pConnection);
    _channel.pConnection.reset();
    _channel.bOpen = false;
    ++_channel.uSerial;
    if (!pConnection)
        return;
    for (int i = 1; i <= kChannelCount; ++i) {
        if (&channel(i) == &_channel)
            setPublished(i, nullptr);
    }
    pConnection->close();
}

void ChannelManager::stopChannel(int _iChannel)
{
    Channel& c = channel(_iChannel);
    c.retryTimer.cancel();
    const bool bWasActive = c.bActive;
    c.bActive = false;
    releaseConnection(c);
    m_client.setChannelState(_iChannel, 0);
    m_client.failChannelRequests(_iChannel, WS_SEND_CLOSED);
    if (bWasActive)
        qCInfo(lcWebSocket) << "channel" << _iChannel << "closed by the application";
}

void ChannelManager::stopAll()
{
    for (int i = 1; i <= kChannelCount; ++i)
        stopChannel(i);
}

void ChannelManager::cancelRetries()
{
    for (int i = 1; i <= kChannelCount; ++i) {
        Channel& c = channel(i);
        if (c.bActive && !c.pConnection) {
            c.retryTimer.cancel();
            c.bActive = false;
            m_client.channelGaveUp(i);
        }
    }
}

}  // namespace tessel::ws
