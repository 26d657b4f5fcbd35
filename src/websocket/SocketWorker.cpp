#include "SocketWorker.h"

#include "Frame.h"
#include "Log.h"

#include <QAbstractSocket>
#include <QNetworkRequest>
#include <QSslError>
#include <QTimer>
#include <QWebSocket>

namespace tessel::ws {

namespace {

// A TCP connect plus the upgrade that has not finished by then is given up (and retried).
constexpr int kConnectTimeoutMs = 10000;

QString closeText(QWebSocket* _pSocket)
{
    const int iCode = int(_pSocket->closeCode());
    const QString strReason = _pSocket->closeReason();
    if (!strReason.isEmpty())
        return QStringLiteral("connection closed (code %1: %2)").arg(iCode).arg(strReason);
    if (_pSocket->error() != QAbstractSocket::UnknownSocketError)
        return QStringLiteral("connection closed (code %1): %2").arg(iCode).arg(_pSocket->errorString());
    return QStringLiteral("connection closed (code %1)").arg(iCode);
}

}  // namespace

SocketWorker::SocketWorker(WebSocketClient& _client) : m_client(_client)
{
    for (int i = 1; i <= kChannelCount; ++i) {
        Channel& c = channel(i);
        c.pRetryTimer = new QTimer(this);
        c.pRetryTimer->setSingleShot(true);
        c.pRetryTimer->setTimerType(Qt::PreciseTimer);
        connect(c.pRetryTimer, &QTimer::timeout, this, [this, i] {
            Channel& ch = channel(i);
            if (ch.bActive && ch.pSocket == nullptr)
                attempt(i);
        });
        c.pConnectTimer = new QTimer(this);
        c.pConnectTimer->setSingleShot(true);
        connect(c.pConnectTimer, &QTimer::timeout, this, [this, i] { onConnectTimeout(i); });
    }
}

SocketWorker::~SocketWorker() = default;

QEvent::Type SocketWorker::sendEventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

bool SocketWorker::event(QEvent* _pEvent)
{
    if (_pEvent->type() == sendEventType()) {
        drainQueue();
        return true;
    }
    return QObject::event(_pEvent);
}

void SocketWorker::startChannel(int _iChannel)
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
        c.pRetryTimer->stop();
        c.pConnectTimer->stop();
        releaseSocket(c);
        m_client.failChannelRequests(_iChannel, WS_SEND_CLOSED);
    }
    c.url = target.url;
    c.options = target.options;
    c.bEverOpened = false;
    c.bErrorReported = false;
    c.iBackoffMs = kMinReconnectMs;
    if (c.url.scheme() == QLatin1String("wss")) {
        const QString strError = makeTlsConfiguration(c.options, &c.tls);
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

void SocketWorker::attempt(int _iChannel)
{
    Channel& c = channel(_iChannel);
    c.strAttemptError.clear();
    m_client.setChannelState(_iChannel, 1);

    auto* pSocket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    c.pSocket = pSocket;
    // One frame per message, as the wire protocol describes.
    pSocket->setOutgoingFrameSize(QWebSocket::maxOutgoingFrameSize());
    if (c.url.scheme() == QLatin1String("wss"))
        pSocket->setSslConfiguration(c.tls);

    connect(pSocket, &QWebSocket::connected, this,
            [this, _iChannel, pSocket] { onOpened(_iChannel, pSocket); });
    connect(pSocket, &QWebSocket::disconnected, this,
            [this, _iChannel, pSocket] { onDown(_iChannel, pSocket); });
    connect(pSocket, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), this,
            [this, _iChannel, pSocket](QAbstractSocket::SocketError) { onSocketError(_iChannel, pSocket); });
    connect(pSocket, &QWebSocket::sslErrors, this,
            [this, _iChannel, pSocket](const QList<QSslError>& errors) {
                Channel& ch = channel(_iChannel);
                if (ch.pSocket != pSocket)
                    return;
                QStringList texts;
                for (const QSslError& e : errors)
                    texts << e.errorString();
                ch.strAttemptError =
                    QStringLiteral("TLS verification failed: ") + texts.join(QStringLiteral("; "));
            });
    connect(pSocket, &QWebSocket::textMessageReceived, this,
            [this, _iChannel](const QString& strMessage) { onMessage(_iChannel, strMessage); });
    connect(pSocket, &QWebSocket::binaryMessageReceived, this, [_iChannel](const QByteArray& data) {
        qCWarning(lcWebSocket) << "channel" << _iChannel << ": dropped a binary message of" << data.size()
                               << "bytes (the protocol has only text frames)";
    });

    // The token as it is now: it may have changed since Connect (TLS settings may not).
    const QString strToken = m_client.options().token;
    QNetworkRequest request(c.url);
    request.setRawHeader(QByteArrayLiteral("X-Tessel-Protocol"), QByteArrayLiteral("1"));
    if (!strToken.isEmpty())
        request.setRawHeader(QByteArrayLiteral("X-Tessel-Token"), strToken.toUtf8());

    c.pConnectTimer->start(kConnectTimeoutMs);
    pSocket->open(request);
    if (c.pSocket != pSocket)
        return;  // failed inside open()

    // QWebSocket does not expose TCP_NODELAY: set it on its own socket once TCP is up (before the
    // upgrade request leaves the write buffer).
    if (auto* pTcp = pSocket->findChild<QAbstractSocket*>(QString(), Qt::FindDirectChildrenOnly)) {
        connect(pTcp, &QAbstractSocket::connected, pSocket,
                [pTcp] { pTcp->setSocketOption(QAbstractSocket::LowDelayOption, 1); });
    } else {
        qCWarning(lcWebSocket) << "channel" << _iChannel << ": no TCP socket found to set TCP_NODELAY on";
    }
}

void SocketWorker::onOpened(int _iChannel, QWebSocket* _pSocket)
{
    Channel& c = channel(_iChannel);
    if (c.pSocket != _pSocket)
        return;
    c.pConnectTimer->stop();
    c.bOpen = true;
    c.bEverOpened = true;
    c.iBackoffMs = kMinReconnectMs;
    m_client.setChannelState(_iChannel, 2);
    qCInfo(lcWebSocket) << "channel" << _iChannel << "open:" << c.url.toDisplayString();
    m_client.notify(_iChannel, WS_EVENT_OPENED, QString());
}

void SocketWorker::onSocketError(int _iChannel, QWebSocket* _pSocket)
{
    Channel& c = channel(_iChannel);
    if (c.pSocket != _pSocket)
        return;
    if (c.strAttemptError.isEmpty())
        c.strAttemptError = _pSocket->errorString();
    // Normally `disconnected` follows; make sure the channel moves on when it does not.
    if (_pSocket->state() == QAbstractSocket::UnconnectedState) {
        QMetaObject::invokeMethod(
            _pSocket, [this, _iChannel, _pSocket] { onDown(_iChannel, _pSocket); }, Qt::QueuedConnection);
    }
}

void SocketWorker::onConnectTimeout(int _iChannel)
{
    Channel& c = channel(_iChannel);
    QWebSocket* pSocket = c.pSocket;
    if (pSocket == nullptr || c.bOpen)
        return;
    c.strAttemptError = QStringLiteral("no connection within %1 ms").arg(kConnectTimeoutMs);
    pSocket->abort();
    if (c.pSocket == pSocket)
        onDown(_iChannel, pSocket);
}

void SocketWorker::onDown(int _iChannel, QWebSocket* _pSocket)
{
    Channel& c = channel(_iChannel);
    if (c.pSocket != _pSocket)
        return;
    c.pConnectTimer->stop();
    const bool bWasOpen = c.bOpen;
    QString strReason;
    if (bWasOpen)
        strReason = closeText(_pSocket);
    else
        strReason = !c.strAttemptError.isEmpty() ? c.strAttemptError : _pSocket->errorString();
    releaseSocket(c);
    m_client.setLastError(_iChannel, strReason);

    if (bWasOpen) {
        // Waiters learn at once; they do not sit out their timeouts.
        m_client.failChannelRequests(_iChannel, WS_SEND_CLOSED);
        qCWarning(lcWebSocket).noquote()
            << "channel" << _iChannel << c.url.toDisplayString() << ":" << strReason;
        retryOrGiveUp(_iChannel);
        m_client.notify(_iChannel, WS_EVENT_CLOSED, strReason);
        return;
    }
    // Only the first failure before the channel ever opened is reported; later ones of the same
    // outage would only repeat it.
    const bool bReport = !c.bEverOpened && !c.bErrorReported;
    if (bReport) {
        c.bErrorReported = true;
        qCWarning(lcWebSocket).noquote()
            << "channel" << _iChannel << c.url.toDisplayString() << ": connect failed:" << strReason;
    } else {
        qCDebug(lcWebSocket).noquote() << "channel" << _iChannel << ": reconnect failed:" << strReason;
    }
    retryOrGiveUp(_iChannel);
    if (bReport)
        m_client.notify(_iChannel, WS_EVENT_ERROR, strReason);
}

void SocketWorker::retryOrGiveUp(int _iChannel)
{
    Channel& c = channel(_iChannel);
    if (!m_client.reconnectEnabled()) {
        c.bActive = false;
        m_client.channelGaveUp(_iChannel);
        return;
    }
    m_client.setChannelState(_iChannel, 1);
    c.pRetryTimer->start(c.iBackoffMs);
    c.iBackoffMs = qMin(c.iBackoffMs * 2, qMax(kMinReconnectMs, m_client.reconnectMaxMs()));
}

void SocketWorker::releaseSocket(Channel& _channel)
{
    QWebSocket* pSocket = _channel.pSocket;
    if (pSocket == nullptr)
        return;
    _channel.pSocket = nullptr;
    _channel.bOpen = false;
    pSocket->disconnect(this);
    if (pSocket->state() == QAbstractSocket::ConnectedState) {
        pSocket->close(QWebSocketProtocol::CloseCodeNormal, QStringLiteral("client closing"));
        pSocket->flush();
    } else if (pSocket->state() != QAbstractSocket::UnconnectedState) {
        pSocket->abort();
    }
    // Later: this may run inside one of the socket's own signals.
    pSocket->deleteLater();
}

void SocketWorker::stopChannel(int _iChannel)
{
    Channel& c = channel(_iChannel);
    c.pRetryTimer->stop();
    c.pConnectTimer->stop();
    const bool bWasActive = c.bActive;
    c.bActive = false;
    releaseSocket(c);
    m_client.setChannelState(_iChannel, 0);
    m_client.failChannelRequests(_iChannel, WS_SEND_CLOSED);
    if (bWasActive)
        qCInfo(lcWebSocket) << "channel" << _iChannel << "closed by the application";
}

void SocketWorker::stopAll()
{
    for (int i = 1; i <= kChannelCount; ++i)
        stopChannel(i);
    m_batch.clear();
    m_client.takeFrames(m_batch);
    m_batch.clear();
}

void SocketWorker::cancelRetries()
{
    for (int i = 1; i <= kChannelCount; ++i) {
        Channel& c = channel(i);
        if (c.bActive && c.pSocket == nullptr) {
            c.pRetryTimer->stop();
            c.bActive = false;
            m_client.channelGaveUp(i);
        }
    }
}

void SocketWorker::onMessage(int _iChannel, const QString& _strMessage)
{
    const FrameHeader header = parseFrameHeader(_strMessage);
    switch (header.kind) {
        case FrameKind::Answer:
            // The one copy of the body; from here on it is moved.
            m_client.completeRequest(header.id, _strMessage.mid(header.bodyOffset));
            break;
        case FrameKind::Broadcast:
            m_client.notify(_iChannel, WS_EVENT_BROADCAST, _strMessage.mid(header.bodyOffset));
            break;
        case FrameKind::IdZero:
            qCWarning(lcWebSocket).noquote()
                << "channel" << _iChannel << ": the server could not read a request header:"
                << excerpt(_strMessage.mid(header.bodyOffset));
            break;
        case FrameKind::Malformed:
            qCWarning(lcWebSocket).noquote()
                << "channel" << _iChannel
                << ": dropped a frame with an unreadable header:" << excerpt(_strMessage);
            break;
    }
}

void SocketWorker::drainQueue()
{
    m_client.takeFrames(m_batch);
    std::array<bool, kChannelCount> sent{};
    for (OutFrame& frame : m_batch) {
        Channel& c = channel(frame.iChannel);
        if (c.pSocket != nullptr && c.bOpen) {
            c.pSocket->sendTextMessage(frame.strText);
            sent[size_t(frame.iChannel - 1)] = true;
        } else if (frame.uId != 0) {
            m_client.failRequest(frame.uId, WS_SEND_CLOSED);
        } else {
            qCWarning(lcWebSocket) << "channel" << frame.iChannel
                                   << "closed before a posted request left; dropped";
        }
    }
    m_batch.clear();
    // Write now rather than on the next turn of the event loop.
    for (int i = 1; i <= kChannelCount; ++i) {
        Channel& c = channel(i);
        if (sent[size_t(i - 1)] && c.pSocket != nullptr)
            c.pSocket->flush();
    }
}

}  // namespace tessel::ws
