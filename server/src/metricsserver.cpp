#include "metricsserver.h"

#include "logging.h"

#include <httplib.h>

#include <exception>

namespace tessel::server {

namespace {

constexpr int kSocketTimeoutS = 5;

}  // namespace

MetricsServer::MetricsServer(std::function<QByteArray()> render) : m_render(std::move(render)) {}

MetricsServer::~MetricsServer()
{
    stop();
}

bool MetricsServer::start(const QHostAddress& address, quint16 port, QString* error)
{
    auto server = std::make_unique<httplib::Server>();
    // One scrape at a time is plenty; the default pool would start a thread per core.
    server->new_task_queue = [] { return new httplib::ThreadPool(1); };
    server->set_read_timeout(kSocketTimeoutS, 0);
    server->set_write_timeout(kSocketTimeoutS, 0);
    server->set_payload_max_length(64 * 1024);
    server->Get("/metrics", [this](const httplib::Request&, httplib::Response& response) {
        try {
            const QByteArray text = m_render();
            response.set_content(text.constData(), size_t(text.size()),
                                 "text/plain; version=0.0.4; charset=utf-8");
        } catch (const std::exception& e) {
            qCWarning(lcServer, "metrics: %s", e.what());
            response.status = 500;
            response.set_content("internal error\n", "text/plain");
        }
    });
    const std::string host = address.toString().toStdString();
    int bound = port;
    if (port == 0) {
        bound = server->bind_to_any_port(host);
    } else if (!server->bind_to_port(host, port)) {
        bound = -1;
    }
    if (bound <= 0) {
        *error = QStringLiteral("cannot listen for metrics on %1 port %2").arg(address.toString()).arg(port);
        return false;
    }
    m_port = quint16(bound);
    m_server = std::move(server);
    httplib::Server* s = m_server.get();
    m_finished = false;
    m_thread = std::thread([this, s] {
        s->listen_after_bind();
        m_finished = true;
    });
    qCInfo(lcServer, "metrics on http://%s:%u/metrics", qPrintable(address.toString()), unsigned(m_port));
    if (!address.isLoopback()) {
        qCWarning(lcServer,
                  "the metrics endpoint on %s asks for no token: anyone who reaches it reads the figures",
                  qPrintable(address.toString()));
    }
    return true;
}

void MetricsServer::stop()
{
    if (m_server) {
        // stop() does nothing until the loop runs: a stop right after start() waits for it.
        while (!m_server->is_running() && !m_finished) {
            std::this_thread::yield();
        }
        m_server->stop();
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_server.reset();
}

}  // namespace tessel::server
