// The optional Prometheus endpoint: GET /metrics answers the text that `render` makes, on a
// thread of its own (cpp-httplib), apart from the WebSocket ports.
#ifndef TESSEL_SERVER_METRICSSERVER_H
#define TESSEL_SERVER_METRICSSERVER_H

#include <QByteArray>
#include <QHostAddress>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace httplib {
class Server;
}

namespace tessel::server {

class MetricsServer
{
public:
    /// `render` is called on the endpoint's thread for every scrape.
    explicit MetricsServer(std::function<QByteArray()> render);
    ~MetricsServer();
    MetricsServer(const MetricsServer&) = delete;
    MetricsServer& operator=(const MetricsServer&) = delete;

    /// Binds `address`:`port` (0: a free port) and starts serving. False with `error` set when
    /// the port cannot be bound.
    bool start(const QHostAddress& address, quint16 port, QString* error);
    quint16 port() const { return m_port; }
    /// Stops serving and joins the thread; also done by the destructor.
    void stop();

private:
    std::function<QByteArray()> m_render;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    std::atomic<bool> m_finished{false};
    quint16 m_port = 0;
};

}  // namespace tessel::server

#endif
