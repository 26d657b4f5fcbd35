// Helpers of the WebSocket client tests: a WebSocket server on its own thread, a recorder for
// the client's events, the client's life time and the environment it reads.
#ifndef TESSEL_WS_TEST_SUPPORT_H
#define TESSEL_WS_TEST_SUPPORT_H

#include "I_WebSocket.h"

#include <QByteArray>
#include <QList>
#include <QSslConfiguration>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QWebSocket;
class QWebSocketServer;

// The entry points of libWebSocket.so (the tests link it directly).
extern "C" {
I_WebSocket* CreatWebsocket();
int DeleteWebsocket(I_WebSocket* _pSocket);
}

namespace wstest {

using namespace std::chrono_literals;

/// A request frame as the server sees it.
struct Request
{
    QString strId;
    QString strCommand;
    QString strBody;
};
std::optional<Request> parseRequest(const QString& _strFrame);

/// A WebSocket server on its own thread and event loop, on 127.0.0.1.
class TestServer
{
public:
    /// Called on the server thread for each text message. The default answers "<id>\n<body>".
    using Handler = std::function<void(QWebSocket* _pPeer, const QString& _strMessage)>;

    explicit TestServer(std::optional<QSslConfiguration> _tls = std::nullopt);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    /// Starts listening (port 0: any free port); returns the port, 0 on failure.
    quint16 listen(quint16 _uPort = 0);
    /// Stops listening and closes every connection.
    void stop();
    /// Closes every connection (with a close frame) but keeps listening.
    void closePeers();
    void setHandler(Handler _handler);
    /// Sends a text message to every connected peer.
    void sendToAll(const QString& _strText);
    /// Runs _fn on the server thread and waits for it.
    void run(const std::function<void()>& _fn);

    quint16 port() const { return m_uPort; }
    /// Lives on the server thread: a parent for objects a handler needs.
    QObject* context() const { return m_pContext; }
    QString url(const QString& _strHost = QStringLiteral("127.0.0.1")) const;

    int connections();  ///< connections accepted so far
    int requests();     ///< text messages received so far
    bool waitForRequests(int _iCount, std::chrono::milliseconds _timeout = 5s);
    bool waitForConnections(int _iCount, std::chrono::milliseconds _timeout = 5s);
    /// Raw value of a handshake header of the _iIndex-th accepted connection; null if absent.
    QByteArray handshakeHeader(int _iIndex, const QByteArray& _name);

private:
    void onNewConnection();

    std::optional<QSslConfiguration> m_tls;
    QThread m_thread;
    QObject* m_pContext = nullptr;
    QWebSocketServer* m_pServer = nullptr;  // server thread only
    QList<QWebSocket*> m_peers;             // server thread only
    Handler m_handler;                      // server thread only
    quint16 m_uPort = 0;

    std::mutex m_mutex;
    std::condition_variable m_cv;
    int m_iConnections = 0;
    int m_iRequests = 0;
    std::vector<std::vector<std::pair<QByteArray, QByteArray>>> m_handshakes;
};

/// Answers "<id>\n<body>" for a request frame.
void echo(QWebSocket* _pPeer, const QString& _strMessage);

struct Event
{
    int iChannel = 0;
    int iEvent = 0;
    QString strText;
    std::thread::id thread;
};

/// Records the client's events; pass EventLog::callback with the log as user pointer.
class EventLog
{
public:
    static void callback(int _iChannel, int _iEvent, const QString& _strText, void* _pUser);

    /// Waits until the channel has seen _iCount events of that kind.
    bool waitFor(int _iChannel, int _iEvent, int _iCount = 1, std::chrono::milliseconds _timeout = 5s);
    int count(int _iChannel, int _iEvent);
    int total();
    std::vector<Event> events();

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<Event> m_events;
};

/// Deletes the client through DeleteWebsocket.
struct ClientDeleter
{
    void operator()(I_WebSocket* _p) const;
};
using ClientPtr = std::unique_ptr<I_WebSocket, ClientDeleter>;
ClientPtr makeClient();

/// Sets (or with a null value unsets) an environment variable for its life time.
class EnvScope
{
public:
    EnvScope(const char* _pName, const QByteArray& _value);
    ~EnvScope();
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;

private:
    const char* m_pName;
    bool m_bHad;
    QByteArray m_old;
};

/// The client reads its configuration where it is created: this points it at a file of the
/// test's own (absent unless written) and clears the overrides.
class IsolatedConfig
{
public:
    IsolatedConfig();
    QString path() const { return m_dir.filePath(QStringLiteral("WebSocket.json")); }
    QString dir() const { return m_dir.path(); }
    void write(const QByteArray& _json);

private:
    QTemporaryDir m_dir;
    EnvScope m_config;
    EnvScope m_caFile;
    EnvScope m_verify;
    EnvScope m_token;
};

/// A port nothing listens on (right now).
quint16 freePort();

/// Lines the library logged under "tessel.websocket" since the last clear.
QStringList libraryLog();
void clearLibraryLog();
void installLogCapture();

}  // namespace wstest

#endif  // TESSEL_WS_TEST_SUPPORT_H
