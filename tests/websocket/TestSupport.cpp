#include "TestSupport.h"

#include <QFile>
#include <QHostAddress>
#include <QNetworkRequest>
#include <QTcpServer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <cstdio>
#include <cstdlib>

namespace wstest {

std::optional<Request> parseRequest(const QString& _strFrame)
{
    const int iNewline = _strFrame.indexOf(QLatin1Char('\n'));
    if (iNewline < 0)
        return std::nullopt;
    const QString strHeader = _strFrame.left(iNewline);
    const int iBlank = strHeader.indexOf(QLatin1Char(' '));
    if (iBlank <= 0)
        return std::nullopt;
    return Request{strHeader.left(iBlank), strHeader.mid(iBlank + 1), _strFrame.mid(iNewline + 1)};
}

void echo(QWebSocket* _pPeer, const QString& _strMessage)
{
    if (const auto request = parseRequest(_strMessage))
        _pPeer->sendTextMessage(request->strId + QLatin1Char('\n') + request->strBody);
}

// ---- TestServer ----

TestServer::TestServer(std::optional<QSslConfiguration> _tls) : m_tls(std::move(_tls)), m_handler(echo)
{
    m_pContext = new QObject;
    m_pContext->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_pContext, &QObject::deleteLater);
    m_thread.start();
}

TestServer::~TestServer()
{
    stop();
    run([this] {
        delete m_pServer;
        m_pServer = nullptr;
    });
    m_thread.quit();
    m_thread.wait();
}

void TestServer::run(const std::function<void()>& _fn)
{
    QMetaObject::invokeMethod(m_pContext, _fn, Qt::BlockingQueuedConnection);
}

quint16 TestServer::listen(quint16 _uPort)
{
    run([this, _uPort] {
        if (m_pServer == nullptr) {
            m_pServer = new QWebSocketServer(
                QStringLiteral("test"),
                m_tls ? QWebSocketServer::SecureMode : QWebSocketServer::NonSecureMode, m_pContext);
            if (m_tls)
                m_pServer->setSslConfiguration(*m_tls);
            QObject::connect(m_pServer, &QWebSocketServer::newConnection, m_pContext,
                             [this] { onNewConnection(); });
        }
        if (m_pServer->listen(QHostAddress::LocalHost, _uPort))
            m_uPort = m_pServer->serverPort();
        else
            m_uPort = 0;
    });
    return m_uPort;
}

void TestServer::onNewConnection()
{
    while (QWebSocket* pPeer = m_pServer->nextPendingConnection()) {
        m_peers.append(pPeer);
        std::vector<std::pair<QByteArray, QByteArray>> headers;
        const QNetworkRequest request = pPeer->request();
        for (const QByteArray& name : request.rawHeaderList())
            headers.emplace_back(name.toLower(), request.rawHeader(name));
        QObject::connect(pPeer, &QWebSocket::textMessageReceived, pPeer,
                         [this, pPeer](const QString& strMessage) {
                             {
                                 std::lock_guard<std::mutex> lock(m_mutex);
                                 ++m_iRequests;
                             }
                             m_cv.notify_all();
                             m_handler(pPeer, strMessage);
                         });
        QObject::connect(pPeer, &QWebSocket::disconnected, m_pContext, [this, pPeer] {
            m_peers.removeAll(pPeer);
            pPeer->deleteLater();
        });
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_iConnections;
            m_handshakes.push_back(std::move(headers));
        }
        m_cv.notify_all();
    }
}

void TestServer::stop()
{
    run([this] {
        if (m_pServer != nullptr)
            m_pServer->close();
    });
    closePeers();
}

void TestServer::closePeers()
{
    run([this] {
        const QList<QWebSocket*> peers = m_peers;
        m_peers.clear();
        for (QWebSocket* pPeer : peers) {
            pPeer->disconnect(m_pContext);
            pPeer->close(QWebSocketProtocol::CloseCodeGoingAway, QStringLiteral("test server closing"));
            pPeer->flush();
            pPeer->deleteLater();
        }
    });
}

void TestServer::setHandler(Handler _handler)
{
    run([this, &_handler] { m_handler = std::move(_handler); });
}

void TestServer::sendToAll(const QString& _strText)
{
    run([this, &_strText] {
        for (QWebSocket* pPeer : m_peers) {
            pPeer->sendTextMessage(_strText);
            pPeer->flush();
        }
    });
}

QString TestServer::url(const QString& _strHost) const
{
    return QStringLiteral("%1://%2:%3").arg(m_tls ? "wss" : "ws", _strHost).arg(m_uPort);
}

int TestServer::connections()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_iConnections;
}

int TestServer::requests()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_iRequests;
}

bool TestServer::waitForRequests(int _iCount, std::chrono::milliseconds _timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, _timeout, [&] { return m_iRequests >= _iCount; });
}

bool TestServer::waitForConnections(int _iCount, std::chrono::milliseconds _timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, _timeout, [&] { return m_iConnections >= _iCount; });
}

QByteArray TestServer::handshakeHeader(int _iIndex, const QByteArray& _name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (_iIndex < 0 || size_t(_iIndex) >= m_handshakes.size())
        return QByteArray();
    for (const auto& [name, value] : m_handshakes[size_t(_iIndex)]) {
        if (name == _name.toLower())
            return value.isNull() ? QByteArray("") : value;
    }
    return QByteArray();
}

// ---- EventLog ----

void EventLog::callback(int _iChannel, int _iEvent, const QString& _strText, void* _pUser)
{
    auto* pLog = static_cast<EventLog*>(_pUser);
    {
        std::lock_guard<std::mutex> lock(pLog->m_mutex);
        pLog->m_events.push_back(Event{_iChannel, _iEvent, _strText, std::this_thread::get_id()});
    }
    pLog->m_cv.notify_all();
}

bool EventLog::waitFor(int _iChannel, int _iEvent, int _iCount, std::chrono::milliseconds _timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, _timeout, [&] {
        int n = 0;
        for (const Event& e : m_events)
            n += (e.iChannel == _iChannel && e.iEvent == _iEvent) ? 1 : 0;
        return n >= _iCount;
    });
}

int EventLog::count(int _iChannel, int _iEvent)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int n = 0;
    for (const Event& e : m_events)
        n += (e.iChannel == _iChannel && e.iEvent == _iEvent) ? 1 : 0;
    return n;
}

int EventLog::total()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_events.size());
}

std::vector<Event> EventLog::events()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

// ---- client and environment ----

void ClientDeleter::operator()(I_WebSocket* _p) const
{
    DeleteWebsocket(_p);
}

ClientPtr makeClient()
{
    return ClientPtr(CreatWebsocket());
}

EnvScope::EnvScope(const char* _pName, const QByteArray& _value)
    : m_pName(_pName), m_bHad(qEnvironmentVariableIsSet(_pName)), m_old(qgetenv(_pName))
{
    if (_value.isNull())
        qunsetenv(_pName);
    else
        qputenv(_pName, _value);
}

EnvScope::~EnvScope()
{
    if (m_bHad)
        qputenv(m_pName, m_old);
    else
        qunsetenv(m_pName);
}

IsolatedConfig::IsolatedConfig()
    : m_config("TESSEL_WS_CONFIG", QFile::encodeName(m_dir.filePath(QStringLiteral("WebSocket.json")))),
      m_caFile("TESSEL_WS_CA_FILE", QByteArray()),
      m_verify("TESSEL_WS_VERIFY", QByteArray()),
      m_token("TESSEL_WS_TOKEN", QByteArray())
{
}

void IsolatedConfig::write(const QByteArray& _json)
{
    QFile file(path());
    if (!file.open(QIODevice::WriteOnly) || file.write(_json) != _json.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path()));
}

quint16 freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// ---- log capture ----

namespace {

std::mutex g_logMutex;
QStringList g_log;
QtMessageHandler g_previous = nullptr;

void captureMessage(QtMsgType _type, const QMessageLogContext& _context, const QString& _strMessage)
{
    if (_context.category != nullptr && qstrcmp(_context.category, "tessel.websocket") == 0) {
        std::lock_guard<std::mutex> lock(g_logMutex);
        g_log << _strMessage;
    }
    if (_type != QtDebugMsg && g_previous != nullptr)
        g_previous(_type, _context, _strMessage);
}

}  // namespace

void installLogCapture()
{
    g_previous = qInstallMessageHandler(captureMessage);
}

QStringList libraryLog()
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    return g_log;
}

void clearLibraryLog()
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    g_log.clear();
}

}  // namespace wstest
