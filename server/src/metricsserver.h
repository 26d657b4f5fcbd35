// The optional Prometheus endpoint: GET /metrics answers the text that `render` makes, apart
// from the WebSocket ports, on one thread of its own (Boost.Beast). Every connection is
// asynchronous with a deadline, so peers that connect and send nothing, or trickle a request,
// never delay a scrape.
#ifndef TESSEL_SERVER_METRICSSERVER_H
#define TESSEL_SERVER_METRICSSERVER_H

#include <QByteArray>
#include <QHostAddress>
#include <QString>

#include <functional>
#include <memory>

namespace tessel::server {

struct MetricsLimits
{
    int requestMs = 5000;   ///< a request must arrive whole within this; then the connection closes
    int writeMs = 5000;     ///< writing an answer
    int idleMs = 5000;      ///< a kept-alive connection waiting for its next request
    int connections = 64;   ///< open at once; more are closed as soon as they are accepted
    int requestsPerConnection = 100;
};

class MetricsServer
{
public:
    /// `render` is called on the endpoint's thread for every scrape.
    explicit MetricsServer(std::function<QByteArray()> render, const MetricsLimits& limits = MetricsLimits());
    ~MetricsServer();
    MetricsServer(const MetricsServer&) = delete;
    MetricsServer& operator=(const MetricsServer&) = delete;

    /// Binds `address`:`port` (0: a free port) and starts serving. False with `error` set when
    /// the port cannot be bound.
    bool start(const QHostAddress& address, quint16 port, QString* error);
    quint16 port() const { return m_port; }
    /// Stops serving, closes every connection and joins the thread; also done by the destructor.
    void stop();

private:
    class Impl;
    std::function<QByteArray()> m_render;
    const MetricsLimits m_limits;
    std::unique_ptr<Impl> m_impl;
    quint16 m_port = 0;
};

}  // namespace tessel::server

#endif
