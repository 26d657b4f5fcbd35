// The server over real sockets on loopback: plain and TLS WebSocket clients.
#include "dbserver.h"
#include "testclient.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QNetworkInterface>
#include <QProcess>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTest>
#include <QWebSocket>

#include <csignal>
#include <thread>

using namespace tessel::server;
using namespace tessel::server::test;

namespace {

constexpr int kWaitMs = 10000;
// Takes a few hundred milliseconds of one worker.
const char* const kSlowQuery =
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3000000) SELECT count(*) AS n "
    "FROM c";

class NetworkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ServerOptions options;
        options.dataDir = m_folders.dataDir();
        options.schemaDir = m_folders.schemaDir();
        options.port = 0;
        options.workers = 2;
        options.maxFrameMb = 1;
        options.stopGraceMs = 5000;
        options.backupRoots = QStringList{m_folders.path("backups")};
        QDir().mkpath(m_folders.path("backups"));
        options.sampleIntervalMs = 100;
        m_server = std::make_unique<DbServer>(options);
        QString error;
        ASSERT_TRUE(m_server->start(&error)) << qPrintable(error);
    }

    QUrl plainUrl() const { return QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(m_server->basePort() + 2)); }
    QUrl tlsUrl(int channel) const
    {
        return QUrl(QStringLiteral("wss://localhost:%1").arg(m_server->basePort() + channel - 1));
    }
    /// Trusts exactly the server's generated certificate.
    QSslConfiguration trustServer() const
    {
        QSslConfiguration c = QSslConfiguration::defaultConfiguration();
        c.setCaCertificates(QSslCertificate::fromPath(m_server->certificateFile()));
        c.setPeerVerifyMode(QSslSocket::VerifyPeer);
        return c;
    }

    TempFolders m_folders;
    std::unique_ptr<DbServer> m_server;
};

const QJsonObject kSeedQuery{{"DbName", "Tessel"}, {"sqlexec", "SELECT S_NAME FROM TAB_ITEM WHERE S_ID = 1"}};

TEST_F(NetworkTest, RequestsOfOneConnectionRunConcurrently)
{
    TestClient client;
    ASSERT_TRUE(client.open(plainUrl()));
    EXPECT_EQ(cell(client.request(1, "ExecuteQuery", kSeedQuery), 0, "S_NAME"), "seed");

    client.send(requestFrame(2, "ExecuteQuery", {{"DbName", "Tessel"}, {"sqlexec", kSlowQuery}}));
    client.send(requestFrame(3, "ExecuteQuery", kSeedQuery));
    client.send(requestFrame(4, "Nonsense", {}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.messages.size() == 3; }, kWaitMs));
    ASSERT_EQ(client.messages.size(), 3);
    // The slow one is answered last although it was sent first.
    EXPECT_TRUE(client.messages.at(2).startsWith("2\n")) << qPrintable(client.messages.join(" | "));
    EXPECT_EQ(cell(client.answer(2), 0, "n"), "3000000");
    EXPECT_EQ(client.answer(4).value("code"), "unknown-command");
}

TEST_F(NetworkTest, TlsChannelsWithTheGeneratedCertificate)
{
    const QSslConfiguration tls = trustServer();
    for (int channel : {1, 2, 4}) {
        TestClient client;
        ASSERT_TRUE(client.open(tlsUrl(channel), &tls))
            << channel << ": " << qPrintable(client.socket.errorString());
        EXPECT_EQ(client.socket.sslConfiguration().peerCertificate(),
                  QSslCertificate::fromPath(m_server->certificateFile()).value(0));
        EXPECT_EQ(cell(client.request(channel, "ExecuteQuery", kSeedQuery), 0, "S_NAME"), "seed");
    }
    // Without trusting it the handshake fails.
    TestClient untrusting;
    EXPECT_FALSE(untrusting.open(tlsUrl(1)));
    // A TLS port does not speak plain WebSocket.
    TestClient plainOnTls;
    EXPECT_FALSE(plainOnTls.open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(m_server->basePort()))));
}

TEST_F(NetworkTest, OversizedRequestIsAnsweredAndTheConnectionStays)
{
    TestClient client;
    ASSERT_TRUE(client.open(plainUrl()));
    const QString big(1100 * 1024, QLatin1Char('a'));
    const QJsonObject a =
        client.request(5, "Execute", {{"DbName", "Tessel"}, {"sqlexec", "SELECT '" + big + "'"}});
    EXPECT_EQ(a.value("code"), "too-large");
    EXPECT_TRUE(a.value("reason").toString().contains("1 MiB"));
    // Just under the limit in characters but over it in UTF-8 bytes.
    const QString wide(600 * 1024, QChar(0x00FC));
    EXPECT_EQ(client.request(6, "Execute", {{"DbName", "Tessel"}, {"sqlexec", "SELECT '" + wide + "'"}})
                  .value("code"),
              "too-large");
    EXPECT_EQ(cell(client.request(7, "ExecuteQuery", kSeedQuery), 0, "S_NAME"), "seed");
    EXPECT_FALSE(client.closed);
}

TEST_F(NetworkTest, FrameBeyondFourTimesTheLimitClosesTheConnection)
{
    TestClient client;
    ASSERT_TRUE(client.open(plainUrl()));
    client.send("8 Execute\n{\"sqlexec\":\"" + QByteArray(4200 * 1024, 'a') + "\"}");
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.closed; }, kWaitMs));
    EXPECT_EQ(client.socket.closeCode(), QWebSocketProtocol::CloseCodeTooMuchData);
}

TEST_F(NetworkTest, OtherProtocolVersionIsClosed)
{
    TestClient client;
    client.open(plainUrl(), nullptr, "2");
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.closed; }, kWaitMs));
    EXPECT_EQ(client.socket.closeCode(), QWebSocketProtocol::CloseCodeProtocolError);
    EXPECT_EQ(client.socket.closeReason(), "unsupported protocol version");

    TestClient withoutHeader;  // taken as version 1
    ASSERT_TRUE(withoutHeader.open(plainUrl(), nullptr, QByteArray()));
    EXPECT_EQ(withoutHeader.request(9, "ExecuteQuery", kSeedQuery).value("result"), "OK");
}

TEST_F(NetworkTest, BroadcastReachesPlainConnectionsOnly)
{
    TestClient sender;
    TestClient listener;
    TestClient secure;
    const QSslConfiguration tls = trustServer();
    ASSERT_TRUE(sender.open(plainUrl()));
    ASSERT_TRUE(listener.open(plainUrl()));
    ASSERT_TRUE(secure.open(tlsUrl(1), &tls));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->connectionCount() == 3; }, kWaitMs));

    const QJsonObject a = sender.request(10, "Broadcast", {{"text", "line one\nline two"}});
    EXPECT_EQ(a.value("result"), "OK");
    EXPECT_EQ(sender.take("*\n"), "*\nline one\nline two");
    EXPECT_EQ(listener.take("*\n"), "*\nline one\nline two");

    std::thread other([this] { m_server->broadcast(QStringLiteral("from a thread")); });
    other.join();
    EXPECT_EQ(listener.take("*\n"), "*\nfrom a thread");

    // Both broadcasts had long arrived on the plain connections; none went to TLS.
    EXPECT_EQ(secure.request(11, "ExecuteQuery", kSeedQuery).value("result"), "OK");
    EXPECT_TRUE(secure.messages.isEmpty()) << qPrintable(secure.messages.join(" | "));
}

TEST_F(NetworkTest, BinaryFrameIsRefused)
{
    TestClient client;
    ASSERT_TRUE(client.open(plainUrl()));
    client.socket.sendBinaryMessage("1 Execute\n{}");
    const QJsonObject a = parseAnswer(client.take("0\n").toUtf8(), 0);
    EXPECT_EQ(a.value("code"), "bad-frame");
    EXPECT_EQ(cell(client.request(12, "ExecuteQuery", kSeedQuery), 0, "S_NAME"), "seed");
}

TEST_F(NetworkTest, StopLetsRequestsInFlightFinish)
{
    TestClient client;
    ASSERT_TRUE(client.open(plainUrl()));
    // Lighter than kSlowQuery: it must end within the stop's 5 s grace on a loaded machine too.
    const char* const query =
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000) SELECT count(*) AS n FROM c";
    client.send(requestFrame(13, "ExecuteQuery", {{"DbName", "Tessel"}, {"sqlexec", query}}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->requestsInFlight() > 0; }, kWaitMs));
    bool stopped = false;
    QObject::connect(m_server.get(), &DbServer::stopped, [&] { stopped = true; });
    m_server->stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopped && client.closed; }, kWaitMs));
    EXPECT_EQ(cell(client.answer(13), 0, "n"), "1000000");
    EXPECT_EQ(client.socket.closeCode(), QWebSocketProtocol::CloseCodeGoingAway);

    TestClient late;
    EXPECT_FALSE(late.open(plainUrl()));
}

TEST_F(NetworkTest, RestoreBringsBackupBackAndBroadcastsInOrder)
{
    TestClient listener;  // another plain connection: it gets the broadcasts too
    ASSERT_TRUE(listener.open(plainUrl()));
    TestClient client;
    ASSERT_TRUE(client.open(plainUrl()));
    const QJsonObject insertKept{{"DbName", "Tessel"},
                                 {"sqlexec", "INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (2, 'kept')"}};
    ASSERT_EQ(client.request(1, "Execute", insertKept).value("result"), "OK");
    const QJsonObject backup =
        client.request(2, "BackupDatabase", {{"filePath", "net"}, {"dbArray", QJsonArray{"Tessel"}}});
    ASSERT_EQ(backup.value("data").toObject().value("backupResult"),
              QJsonArray({QJsonObject{{"dbName", "Tessel"}, {"ret", true}}}));
    ASSERT_EQ(client.request(3, "Execute", {{"DbName", "Tessel"}, {"sqlexec", "DELETE FROM TAB_ITEM"}})
                  .value("result"),
              "OK");

    client.messages.clear();
    client.send(requestFrame(
        4, "RestoreDatabase",
        {{"filePath", m_folders.path("backups/net")}, {"timeout", 5}, {"dbArray", QJsonArray{"Tessel"}}}));
    const QJsonObject restored = client.answer(4);
    EXPECT_EQ(restored.value("data").toObject().value("restoreResult"),
              QJsonArray({QJsonObject{{"dbName", "Tessel"}, {"ret", true}}}));
    // Both broadcasts, in order, before the answer to the one who asked.
    EXPECT_EQ(client.messages,
              QStringList({"*\nStart restoring database.", "*\nRestore database complete."}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return listener.messages.size() >= 2; }, kWaitMs));
    EXPECT_EQ(listener.messages,
              QStringList({"*\nStart restoring database.", "*\nRestore database complete."}));

    const QJsonObject rows = client.request(
        5, "ExecuteQuery",
        {{"DbName", "Tessel"}, {"sqlexec", "SELECT group_concat(S_NAME) AS names FROM TAB_ITEM"}});
    EXPECT_EQ(cell(rows, 0, "names"), "seed,kept");
}

TEST_F(NetworkTest, HostSamplesAppearAfterAnInterval)
{
    TestClient client;
    ASSERT_TRUE(client.open(plainUrl()));
    QString loopback;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        if (i.flags() & QNetworkInterface::IsLoopBack) {
            loopback = i.name();
        }
    }
    ASSERT_FALSE(loopback.isEmpty());
    QJsonArray samples;
    qint64 id = 10;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            samples = client.request(++id, "GetSystemStatusByName", {{"name", loopback}})
                          .value("data")
                          .toObject()
                          .value("status")
                          .toArray();
            return samples.size() >= 2;
        },
        kWaitMs));
    const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
    for (const QJsonValue& v : samples) {
        const QJsonObject s = v.toObject();
        EXPECT_GT(s.value("MemUsage").toDouble(), 0.0);
        EXPECT_LE(s.value("MemUsage").toDouble(), 100.0);
        EXPECT_GE(s.value("CpuUsage").toDouble(), 0.0);
        EXPECT_LE(s.value("CpuUsage").toDouble(), 100.0);
        EXPECT_TRUE(s.value("RxByte").isDouble() && s.value("TxByte").isDouble());
        EXPECT_GE(s.value("RxByte").toDouble(), 0.0);
        EXPECT_TRUE(stamp.match(s.value("dateTime").toString()).hasMatch())
            << qPrintable(s.value("dateTime").toString());
    }
    // Our own requests went over the loopback interface meanwhile.
    qint64 received = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            received = 0;
            for (const QJsonValue& v : client.request(++id, "GetSystemStatusByName", {{"name", loopback}})
                                           .value("data")
                                           .toObject()
                                           .value("status")
                                           .toArray()) {
                received += qint64(v.toObject().value("RxByte").toDouble());
            }
            return received > 0;
        },
        kWaitMs));
    EXPECT_GT(received, 0);
}

TEST(ServerLoopbackTest, LoopbackAddresses)
{
    EXPECT_TRUE(isLoopbackAddress(QHostAddress("127.0.0.1")));
    EXPECT_TRUE(isLoopbackAddress(QHostAddress("127.8.9.10")));
    EXPECT_TRUE(isLoopbackAddress(QHostAddress("::1")));
    EXPECT_TRUE(isLoopbackAddress(QHostAddress("::ffff:127.0.0.1")));
    EXPECT_FALSE(isLoopbackAddress(QHostAddress("::ffff:192.0.2.1")));
    EXPECT_FALSE(isLoopbackAddress(QHostAddress("192.0.2.1")));
    EXPECT_FALSE(isLoopbackAddress(QHostAddress("::")));
}

TEST(ExecutableTest, StartsAndExitsCleanlyOnSigterm)
{
    TempFolders folders;
    QProcess process;
    process.start(QStringLiteral(TESSEL_DBSERVER_BINARY),
                  {"--data-dir", folders.dataDir(), "--schema-dir", folders.schemaDir(), "--port", "0",
                   "--log-level", "warning"});
    ASSERT_TRUE(process.waitForStarted(kWaitMs));
    QByteArray out;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            out += process.readAllStandardOutput();
            return out.contains('\n') || process.state() == QProcess::NotRunning;
        },
        kWaitMs))
        << process.readAllStandardError().constData();
    const QRegularExpression ready(QStringLiteral(
        "^tessel-dbserver listening on 127\\.0\\.0\\.1 ports (\\d+)\\.\\.(\\d+) \\(data (.+)\\)\n$"));
    const QRegularExpressionMatch m = ready.match(QString::fromUtf8(out));
    ASSERT_TRUE(m.hasMatch()) << out.constData();
    EXPECT_EQ(m.captured(2).toInt(), m.captured(1).toInt() + 3);
    EXPECT_EQ(m.captured(3), folders.dataDir());

    TestClient client;
    ASSERT_TRUE(client.open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(m.captured(1).toInt() + 2))));
    EXPECT_EQ(cell(client.request(1, "ExecuteQuery", kSeedQuery), 0, "S_NAME"), "seed");

    ::kill(pid_t(process.processId()), SIGTERM);
    ASSERT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, kWaitMs));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
    EXPECT_TRUE(QTest::qWaitFor([&] { return client.closed; }, kWaitMs));
}

}  // namespace
