// The transport under several connections at once: answers reach the connection that asked,
// whichever thread made them, and a broadcast closes a connection that does not read without
// holding up the others.
#include "dbserver.h"
#include "testclient.h"
#include "testsupport.h"

#include <QDir>
#include <QEventLoop>
#include <QSemaphore>
#include <QThread>
#include <QTimer>


using namespace tessel::server;
using namespace tessel::server::test;

namespace {

constexpr int kWaitMs = 30000;

class TransportTest : public ::testing::Test
{
protected:
    void start(int maxOutgoingMb)
    {
        ServerOptions options;
        options.dataDir = m_folders.dataDir();
        options.schemaDir = m_folders.schemaDir();
        options.port = 0;
        options.workers = 2;
        options.maxOutgoingMb = maxOutgoingMb;
        options.backupRoots = QStringList{m_folders.path("backups")};
        QDir().mkpath(m_folders.path("backups"));
        m_server = std::make_unique<DbServer>(options);
        QString error;
        ASSERT_TRUE(m_server->start(&error)) << qPrintable(error);
    }
    QUrl url() const { return QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(m_server->basePort() + 2)); }

    TempFolders m_folders;
    std::unique_ptr<DbServer> m_server;
};

TEST_F(TransportTest, AnswersReachTheConnectionThatAsked)
{
    start(64);
    constexpr int kClients = 6;
    constexpr int kRequests = 40;
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.push_back(std::make_unique<TestClient>());
        ASSERT_TRUE(clients.back()->open(url()));
    }
    // Quick reads (answered on the network threads) and writes (answered by the workers),
    // interleaved on every connection; each answer names its connection and request.
    for (int i = 0; i < kRequests; ++i) {
        for (int c = 0; c < kClients; ++c) {
            const QString tag = QStringLiteral("%1:%2").arg(c).arg(i);
            if (i % 4 == 3) {
                clients[size_t(c)]->send(requestFrame(
                    i + 1, "Execute",
                    {{"DbName", "Tessel"}, {"sqlexec", "INSERT INTO TAB_ITEM (S_NAME) VALUES ('" + tag + "')"}}));
            } else {
                clients[size_t(c)]->send(requestFrame(
                    i + 1, "ExecuteQuery", {{"DbName", "Tessel"}, {"sqlexec", "SELECT '" + tag + "' AS tag"}}));
            }
        }
    }
    for (int c = 0; c < kClients; ++c) {
        for (int i = 0; i < kRequests; ++i) {
            const QJsonObject answer = clients[size_t(c)]->answer(i + 1);
            ASSERT_EQ(answer.value("result").toString(), "OK") << c << " " << i;
            if (i % 4 != 3) {
                EXPECT_EQ(cell(answer, 0, "tag").toString(), QStringLiteral("%1:%2").arg(c).arg(i));
            }
        }
        EXPECT_TRUE(clients[size_t(c)]->messages.isEmpty()) << qPrintable(clients[size_t(c)]->messages.join(" | "));
    }
    const QJsonObject count = clients[0]->request(
        1000, "ExecuteQuery", {{"DbName", "Tessel"}, {"sqlexec", "SELECT count(*) AS n FROM TAB_ITEM WHERE S_NAME LIKE '%:%'"}});
    EXPECT_EQ(cell(count, 0, "n").toString(), QString::number(kClients * kRequests / 4));
}

/// A connection that reads nothing once it is open, until it is destroyed.
class Sleeper
{
public:
    explicit Sleeper(const QUrl& url)
    {
        m_thread.reset(QThread::create([this, url] {
            QWebSocket socket;
            QEventLoop loop;
            QObject::connect(&socket, &QWebSocket::connected, &loop, &QEventLoop::quit);
            QObject::connect(&socket, &QWebSocket::disconnected, &loop, &QEventLoop::quit);
            QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
            socket.open(url);
            loop.exec();
            m_open.release();
            m_release.acquire();
        }));
        m_thread->start();
        m_open.acquire();
    }
    ~Sleeper()
    {
        m_release.release();
        m_thread->wait();
    }

private:
    QSemaphore m_open;
    QSemaphore m_release;
    std::unique_ptr<QThread> m_thread;
};

TEST_F(TransportTest, BroadcastClosesANonReaderAndReachesTheOthers)
{
    start(1);
    Sleeper sleeper(url());
    TestClient reader;
    ASSERT_TRUE(reader.open(url()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->connectionCount() == 2; }, kWaitMs));

    // Far more than the socket buffers of loopback take: the non-reader's queue passes 1 MiB.
    // Each broadcast is read by the reader before the next one goes out, so that it never lags.
    constexpr int kBroadcasts = 120;
    const QString piece(256 * 1024, QLatin1Char('b'));
    for (int i = 0; i < kBroadcasts; ++i) {
        m_server->broadcast(QString::number(i) + piece);
        const QString m = reader.take(QStringLiteral("*\n"));
        ASSERT_EQ(m, "*\n" + QString::number(i) + piece) << i;
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_server->slowReadersClosed() == 1; }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_server->connectionCount() == 1; }, kWaitMs));
    EXPECT_FALSE(reader.closed);
    EXPECT_EQ(reader.request(1, "ExecuteQuery", {{"DbName", "Tessel"}, {"sqlexec", "SELECT 1 AS one"}})
                  .value("result")
                  .toString(),
              "OK");
}

}  // namespace
