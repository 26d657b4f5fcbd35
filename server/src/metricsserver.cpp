#include "metricsserver.h"

#include "descriptors.h"
#include "logging.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <cerrno>
#include <chrono>
#include <exception>
#include <optional>
#include <thread>

namespace tessel::server {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

constexpr int kHeaderBytes = 8 * 1024;
constexpr int kBodyBytes = 4 * 1024;
constexpr int kAcceptPauseMs = 100;

/// What every connection of the endpoint shares; lives on the endpoint's thread.
struct Shared
{
    std::function<QByteArray()> render;
    MetricsLimits limits;
    int open = 0;
};

class Session : public std::enable_shared_from_this<Session>
{
public:
    Session(tcp::socket&& socket, Shared& shared) : m_stream(std::move(socket)), m_shared(shared)
    {
        ++m_shared.open;
    }
    ~Session() { --m_shared.open; }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void start() { readRequest(m_shared.limits.requestMs); }

private:
    /// The whole request must arrive within `ms`: a silent or trickling peer is closed then.
    void readRequest(int ms)
    {
        m_parser.emplace();
        m_parser->header_limit(kHeaderBytes);
        m_parser->body_limit(kBodyBytes);  // read and dropped: a scrape has none
        m_stream.expires_after(std::chrono::milliseconds(ms));
        http::async_read(m_stream, m_buffer, *m_parser,
                         [self = shared_from_this()](const beast::error_code& ec, size_t) { self->onRequest(ec); });
    }

    void onRequest(const beast::error_code& ec)
    {
        if (ec) {
            shutdown();  // time-out, end of stream or an unreadable request
            return;
        }
        const http::request<http::string_body>& request = m_parser->get();
        auto response = std::make_shared<http::response<http::string_body>>();
        response->version(request.version());
        response->set(http::field::server, "tessel-dbserver");
        response->keep_alive(request.keep_alive() && ++m_served < m_shared.limits.requestsPerConnection);
        const beast::string_view target = request.target();
        const beast::string_view path = target.substr(0, target.find('?'));
        if (path != "/metrics") {
            response->result(http::status::not_found);
            response->set(http::field::content_type, "text/plain");
            response->body() = "not found\n";
        } else if (request.method() != http::verb::get) {
            response->result(http::status::method_not_allowed);
            response->set(http::field::allow, "GET");
            response->set(http::field::content_type, "text/plain");
            response->body() = "only GET\n";
        } else {
            try {
                const QByteArray text = m_shared.render();
                response->result(http::status::ok);
                response->set(http::field::content_type, "text/plain; version=0.0.4; charset=utf-8");
                response->body().assign(text.constData(), size_t(text.size()));
            } catch (const std::exception& e) {
                qCWarning(lcServer, "metrics: %s", e.what());
                response->result(http::status::internal_server_error);
                response->set(http::field::content_type, "text/plain");
                response->body() = "internal error\n";
            }
        }
        response->prepare_payload();
        m_stream.expires_after(std::chrono::milliseconds(m_shared.limits.writeMs));
        http::async_write(m_stream, *response,
                          [self = shared_from_this(), response](const beast::error_code& e, size_t) {
                              if (e || !response->keep_alive()) {
                                  self->shutdown();
                                  return;
                              }
                              self->readRequest(self->m_shared.limits.idleMs);
                          });
    }

    void shutdown()
    {
        beast::error_code ignored;
        m_stream.socket().shutdown(tcp::socket::shutdown_both, ignored);
        m_stream.close();
    }

    beast::tcp_stream m_stream;
    Shared& m_shared;
    beast::flat_buffer m_buffer{kHeaderBytes};
    std::optional<http::request_parser<http::string_body>> m_parser;
    int m_served = 0;
};

}  // namespace

class MetricsServer::Impl
{
public:
    Impl(std::function<QByteArray()> render, const MetricsLimits& limits)
    {
        shared.render = std::move(render);
        shared.limits = limits;
    }
    ~Impl()
    {
        // The acceptor and the timer go before the context, which then drops the sessions'
        // handlers (closing their sockets) while `shared` is still there.
        pause.reset();
        acceptor.reset();
    }

    void accept()
    {
        acceptor->async_accept([this](const beast::error_code& ec, tcp::socket socket) {
            if (ec == asio::error::operation_aborted || !acceptor->is_open()) {
                return;
            }
            if (ec.category() == boost::system::system_category() &&
                (ec.value() == EMFILE || ec.value() == ENFILE)) {
                pause->expires_after(std::chrono::milliseconds(kAcceptPauseMs));
                pause->async_wait([this](const beast::error_code& e) {
                    if (!e) {
                        accept();
                    }
                });
                return;
            }
            if (!ec) {
                // At the cap, or into the descriptors the database listener keeps free: scrapes
                // come one at a time.
                if (shared.open >= shared.limits.connections || headroom.reached(socket.native_handle())) {
                    beast::error_code ignored;
                    socket.close(ignored);
                } else {
                    std::make_shared<Session>(std::move(socket), shared)->start();
                }
            }
            accept();
        });
    }

    Shared shared;
    const DescriptorHeadroom headroom;
    asio::io_context io{1};
    std::optional<tcp::acceptor> acceptor;
    std::optional<asio::steady_timer> pause;
    std::thread thread;
};

MetricsServer::MetricsServer(std::function<QByteArray()> render, const MetricsLimits& limits)
    : m_render(std::move(render)), m_limits(limits)
{
}

MetricsServer::~MetricsServer()
{
    stop();
}

bool MetricsServer::start(const QHostAddress& address, quint16 port, QString* error)
{
    stop();
    auto impl = std::make_unique<Impl>(m_render, m_limits);
    beast::error_code ec;
    const asio::ip::address ip = asio::ip::make_address(address.toString().toStdString(), ec);
    if (!ec) {
        const tcp::endpoint endpoint(ip, port);
        impl->acceptor.emplace(impl->io);
        impl->acceptor->open(endpoint.protocol(), ec);
        if (!ec) {
            impl->acceptor->set_option(asio::socket_base::reuse_address(true), ec);
        }
        if (!ec) {
            impl->acceptor->bind(endpoint, ec);
        }
        if (!ec) {
            impl->acceptor->listen(asio::socket_base::max_listen_connections, ec);
        }
    }
    if (ec) {
        *error = QStringLiteral("cannot listen for metrics on %1 port %2: %3")
                     .arg(address.toString())
                     .arg(port)
                     .arg(QString::fromStdString(ec.message()));
        return false;
    }
    m_port = impl->acceptor->local_endpoint().port();
    impl->pause.emplace(impl->io);
    impl->accept();
    Impl* p = impl.get();
    impl->thread = std::thread([p] {
        for (;;) {
            try {
                p->io.run();
                break;
            } catch (const std::exception& e) {
                qCWarning(lcServer, "metrics endpoint: %s", e.what());
            }
        }
    });
    m_impl = std::move(impl);
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
    if (!m_impl) {
        return;
    }
    m_impl->io.stop();  // also when run() has not begun: it then returns at once
    if (m_impl->thread.joinable()) {
        m_impl->thread.join();
    }
    m_impl.reset();
}

}  // namespace tessel::server
