// ServerStatus, the figures behind it, the metrics endpoint and the log lines' request tags.
#include "dbserver.h"
#include "logformat.h"
#include "metricsserver.h"
#include "serverstats.h"
#include "serverstatus.h"
#include "testclient.h"
#include "testsupport.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>

#include <httplib.h>

#include <csignal>

using namespace tessel::server;
using namespace tessel::server::test;

namespace {

constexpr int kWaitMs = 10000;

QJsonObject statusData(const QJsonObject& answer)
{
    EXPECT_EQ(answer.value("result"), "OK") << qPrintable(answer.value("reason").toString());
    return answer.value("data").toObject();
}

QJsonObject commandEntry(const QJsonObject& data, const QString& name)
{
    for (const QJsonValue& v : data.value("commands").toArray()) {
        if (v.toObject().value("command").toString() == name) {
            return v.toObject();
        }
    }
    return {};
}

int channelConnections(const QJsonObject& data, int channel)
{
    for (const QJsonValue& v : data.value("channels").toArray()) {
        if (v.toObject().value("channel").toInt() == channel) {
            return v.toObject().value("connections").toInt();
        }
    }
    return -1;
}

TEST(LatencyHistogramTest, EveryLatencyLandsInTheBucketThatBoundsIt)
{
    for (const qint64 ns : {qint64(0), qint64(999), qint64(1000), qint64(1001), qint64(1500), qint64(250000),
                            qint64(1000000), qint64(7777777), qint64(2500000000), qint64(3599000000000)}) {
        const int bucket = LatencyHistogram::bucketOf(ns);
        EXPECT_GE(LatencyHistogram::bucketBound(bucket) * 1e9, double(ns) * (1 - 1e-12)) << ns;
        if (bucket > 0) {
            EXPECT_LT(LatencyHistogram::bucketBound(bucket - 1) * 1e9, double(ns)) << ns;
        }
    }
    // Past the last bound everything is counted in the last bucket.
    EXPECT_EQ(LatencyHistogram::bucketOf(qint64(1e15)), LatencyHistogram::kBucketCount - 1);
    // Bounds are at most 13 % apart: a percentile is off by no more than that.
    for (int i = 1; i < LatencyHistogram::kBucketCount; ++i) {
        EXPECT_LT(LatencyHistogram::bucketBound(i) / LatencyHistogram::bucketBound(i - 1), 1.13);
    }
}

TEST(LatencyHistogramTest, PercentilesFollowTheRanks)
{
    struct Case
    {
        int fast;  // requests of 1 ms
        int slow;  // requests of 1 s
        double q;
        double expectedSeconds;
    };
    const Case cases[] = {
        {100, 0, 0.50, 1e-3}, {100, 0, 0.99, 1e-3}, {99, 1, 0.99, 1e-3},
        {98, 2, 0.99, 1.0},   {1, 1, 0.50, 1e-3},   {0, 3, 0.50, 1.0},
    };
    for (const Case& c : cases) {
        LatencyHistogram h;
        for (int i = 0; i < c.fast; ++i) {
            h.add(1000000);
        }
        for (int i = 0; i < c.slow; ++i) {
            h.add(1000000000);
        }
        const double got = h.quantile(c.q);
        EXPECT_GE(got, c.expectedSeconds * (1 - 1e-9)) << c.fast << "/" << c.slow << " q" << c.q;
        EXPECT_LT(got, c.expectedSeconds * 1.13) << c.fast << "/" << c.slow << " q" << c.q;
        EXPECT_EQ(h.count(), quint64(c.fast + c.slow));
    }
    EXPECT_EQ(LatencyHistogram().quantile(0.5), 0.0);
}

class StatusCommandTest : public DispatchTest
{
};

TEST_F(StatusCommandTest, CountsServedAndRefusedPerCommand)
{
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(call("ExecuteQuery", {{"DbName", "Tessel"}, {"sqlexec", "SELECT S_NAME FROM TAB_ITEM"}})
                      .value("result"),
                  "OK");
    }
    EXPECT_EQ(call("ExecuteQuery", {{"DbName", "Tessel"}, {"sqlexec", "SELECT nothing FROM nowhere"}})
                  .value("result"),
              "ERROR");
    EXPECT_EQ(call("Execute", {{"DbName", "Tessel"}}).value("result"), "ERROR");  // no "sqlexec"
    // Names no handler has are counted under one entry, however many a client makes up.
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(call("Made" + QByteArray::number(i), {}).value("code"), "unknown-command");
    }

    const QJsonObject data = statusData(call("ServerStatus", {}));
    EXPECT_EQ(data.value("ret"), 0);
    const QJsonObject q = commandEntry(data, "ExecuteQuery");
    EXPECT_EQ(q.value("served").toInt(), 3);
    EXPECT_EQ(q.value("refused").toInt(), 1);
    EXPECT_GT(q.value("p99Ms").toDouble(), 0.0);
    EXPECT_GE(q.value("p99Ms").toDouble(), q.value("p50Ms").toDouble());
    EXPECT_EQ(commandEntry(data, "Execute").value("refused").toInt(), 1);
    EXPECT_EQ(commandEntry(data, "(unknown)").value("refused").toInt(), 20);
    EXPECT_TRUE(commandEntry(data, "Made1").isEmpty());
    EXPECT_EQ(data.value("commands").toArray().size(), 3);  // the status request itself is counted after it
    EXPECT_EQ(data.value("served").toInt(), 3);
    EXPECT_EQ(data.value("refused").toInt(), 22);

    // The next answer counts the status request of before.
    EXPECT_EQ(commandEntry(statusData(call("ServerStatus", {})), "ServerStatus").value("served").toInt(), 1);
}

TEST_F(StatusCommandTest, DatabaseAndWalSizesAreThoseOnDisk)
{
    execute("CREATE TABLE BIG(V TEXT)");
    execute(
        "INSERT INTO BIG SELECT hex(randomblob(500)) FROM (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL "
        "SELECT x + 1 FROM c WHERE x < 200) SELECT x FROM c)");
    const QJsonObject data = statusData(call("ServerStatus", {}));
    const QJsonArray databases = data.value("databases").toArray();
    ASSERT_EQ(databases.size(), kDatabaseCount);
    for (const QJsonValue& v : databases) {
        const QJsonObject d = v.toObject();
        const QString path = m_folders.databasePath(d.value("name").toString());
        EXPECT_EQ(d.value("exists").toBool(), QFileInfo::exists(path)) << qPrintable(path);
        EXPECT_EQ(qint64(d.value("bytes").toDouble()), QFileInfo(path).size()) << qPrintable(path);
        EXPECT_EQ(qint64(d.value("walBytes").toDouble()), QFileInfo(path + "-wal").size())
            << qPrintable(path);
    }
    const QJsonObject tessel = databases.at(0).toObject();
    EXPECT_EQ(tessel.value("name"), "Tessel");
    EXPECT_TRUE(tessel.value("exists").toBool());
    EXPECT_GT(tessel.value("bytes").toDouble() + tessel.value("walBytes").toDouble(), 100000.0);
    // Databases no request touched yet have no file.
    EXPECT_FALSE(databases.at(2).toObject().value("exists").toBool());
}

TEST_F(StatusCommandTest, LogLinesOfARequestCarryItsNumbers)
{
    const QMessageLogContext context("file.cpp", 1, "f", "tessel.server.sql");
    {
        RequestRecorder record(m_dispatcher->stats(), "Execute", 42, 7);
        const QJsonObject json =
            QJsonDocument::fromJson(formatLogLine(true, QtInfoMsg, context, "said \"hi\"\n")).object();
        EXPECT_EQ(json.value("message"), "said \"hi\"\n");
        EXPECT_EQ(json.value("level"), "info");
        EXPECT_EQ(json.value("category"), "tessel.server.sql");
        EXPECT_EQ(json.value("connection").toInt(), 42);
        EXPECT_EQ(json.value("request").toInt(), 7);
        EXPECT_TRUE(formatLogLine(false, QtWarningMsg, context, "deep down").contains("[c42] #7 deep down"));
        // A line that names its connection itself is left as it is.
        EXPECT_FALSE(formatLogLine(false, QtWarningMsg, context, "[c42] #7 x").contains("#7 [c42]"));
        record.dropped();
    }
    const QJsonObject outside =
        QJsonDocument::fromJson(formatLogLine(true, QtInfoMsg, context, "idle")).object();
    EXPECT_FALSE(outside.contains("connection"));
    EXPECT_FALSE(formatLogLine(false, QtInfoMsg, context, "idle").contains("[c"));
    // Dropped: the request was handed on and is counted where it finishes.
    EXPECT_TRUE(m_dispatcher->stats().snapshot().commands.empty());
}

class LiveStatusTest : public ::testing::Test
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
        m_server = std::make_unique<DbServer>(options);
        QString error;
        ASSERT_TRUE(m_server->start(&error)) << qPrintable(error);
    }

    QUrl plainUrl() const { return QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(m_server->basePort() + 2)); }

    TempFolders m_folders;
    std::unique_ptr<DbServer> m_server;
};

TEST_F(LiveStatusTest, ConnectionsPerChannelAndEarlyRefusals)
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setCaCertificates(QSslCertificate::fromPath(m_server->certificateFile()));
    TestClient secure;
    ASSERT_TRUE(secure.open(QUrl(QStringLiteral("wss://localhost:%1").arg(m_server->basePort() + 1)), &tls));
    TestClient plain;
    ASSERT_TRUE(plain.open(plainUrl()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->connectionCount() == 2; }, kWaitMs));

    plain.send(QByteArray("5 ExecuteQuery\n") + QByteArray(2 << 20, ' '));  // over --max-frame-mb
    EXPECT_EQ(plain.answer(5).value("code"), "too-large");
    plain.send("garbage without a header line");
    EXPECT_FALSE(plain.take("0\n").isEmpty());

    QJsonObject data = statusData(plain.request(6, "ServerStatus", {}));
    EXPECT_EQ(channelConnections(data, 1), 0);
    EXPECT_EQ(channelConnections(data, 2), 1);
    EXPECT_EQ(channelConnections(data, 3), 1);
    EXPECT_EQ(channelConnections(data, 4), 0);
    EXPECT_EQ(data.value("connectionsAccepted").toInt(), 2);
    EXPECT_EQ(data.value("refusedBeforeDispatch").toInt(), 2);
    EXPECT_EQ(data.value("refused").toInt(), 2);

    secure.socket.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->connectionCount() == 1; }, kWaitMs));
    data = statusData(plain.request(7, "ServerStatus", {}));
    EXPECT_EQ(channelConnections(data, 2), 0);
    EXPECT_EQ(channelConnections(data, 3), 1);
    EXPECT_GE(data.value("uptimeS").toInt(), 0);
}

/// Value of one sample line of Prometheus text ("name{labels} value"); NaN when absent.
double sample(const std::string& text, const std::string& series)
{
    const std::string prefix = series + ' ';
    size_t at = 0;
    while ((at = text.find(prefix, at)) != std::string::npos) {
        if (at == 0 || text[at - 1] == '\n') {
            return std::stod(text.substr(at + prefix.size()));
        }
        at += prefix.size();
    }
    return std::nan("");
}

TEST_F(LiveStatusTest, MetricsEndpointServesTheSameFigures)
{
    MetricsServer metrics([this] { return statusPrometheus(statusReport(m_server->dispatcher())); });
    QString error;
    ASSERT_TRUE(metrics.start(QHostAddress::LocalHost, 0, &error)) << qPrintable(error);
    TestClient plain;
    ASSERT_TRUE(plain.open(plainUrl()));
    EXPECT_EQ(cell(plain.request(1, "ExecuteQuery",
                                 {{"DbName", "Tessel"}, {"sqlexec", "SELECT S_NAME FROM TAB_ITEM"}}),
                   0, "S_NAME"),
              "seed");
    EXPECT_EQ(plain.request(2, "Execute", {{"DbName", "Tessel"}, {"sqlexec", "bad sql"}}).value("result"),
              "ERROR");

    httplib::Client client("127.0.0.1", metrics.port());
    client.set_read_timeout(5, 0);
    const auto response = client.Get("/metrics");
    ASSERT_TRUE(response) << httplib::to_string(response.error());
    EXPECT_EQ(response->status, 200);
    EXPECT_EQ(response->get_header_value("Content-Type"), "text/plain; version=0.0.4; charset=utf-8");
    const std::string& text = response->body;
    EXPECT_EQ(sample(text, "tessel_connections{channel=\"3\"}"), 1.0) << text;
    EXPECT_EQ(sample(text, "tessel_connections{channel=\"1\"}"), 0.0);
    EXPECT_EQ(sample(text, "tessel_requests_served_total"), 1.0);
    EXPECT_EQ(sample(text, "tessel_requests_refused_total"), 1.0);
    EXPECT_EQ(sample(text, "tessel_command_requests_total{command=\"ExecuteQuery\",outcome=\"served\"}"),
              1.0);
    EXPECT_EQ(sample(text, "tessel_command_requests_total{command=\"Execute\",outcome=\"refused\"}"), 1.0);
    EXPECT_EQ(sample(text, "tessel_request_duration_seconds_count{command=\"ExecuteQuery\"}"), 1.0);
    // A histogram: cumulative buckets up to +Inf, which equals the count.
    EXPECT_EQ(sample(text, "tessel_request_duration_seconds_bucket{command=\"ExecuteQuery\",le=\"+Inf\"}"), 1.0);
    EXPECT_EQ(sample(text, "tessel_request_duration_seconds_bucket{command=\"ExecuteQuery\",le=\"60\"}"), 1.0);
    EXPECT_EQ(sample(text, "tessel_request_duration_seconds_bucket{command=\"Execute\",le=\"+Inf\"}"), 1.0);
    EXPECT_NE(text.find("# TYPE tessel_request_duration_seconds histogram\n"), std::string::npos);
    EXPECT_EQ(sample(text, "tessel_database_bytes{database=\"Tessel\"}"),
              double(QFileInfo(m_folders.databasePath("Tessel")).size()));
    EXPECT_EQ(sample(text, "tessel_database_bytes{database=\"Tessel-record\"}"), 0.0);
    // Every line is a comment or "series value".
    const QRegularExpression line(
        QStringLiteral(R"(^(# (HELP|TYPE) .+|[a-z_]+(\{[a-z]+="[^"\\]*"(,[a-z]+="[^"\\]*")*\})? \S+)$)"));
    for (const QString& l : QString::fromStdString(text).split('\n', Qt::SkipEmptyParts)) {
        EXPECT_TRUE(line.match(l).hasMatch()) << qPrintable(l);
    }

    EXPECT_EQ(client.Get("/other")->status, 404);
    metrics.stop();
    EXPECT_FALSE(client.Get("/metrics"));
}

TEST(MetricsServerTest, ABusyPortIsReportedAndStopRightAfterStartReturns)
{
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    MetricsServer busy([] { return QByteArray(); });
    QString error;
    EXPECT_FALSE(busy.start(QHostAddress::LocalHost, taken.serverPort(), &error));
    EXPECT_TRUE(error.contains(QString::number(taken.serverPort()))) << qPrintable(error);

    for (int i = 0; i < 20; ++i) {
        MetricsServer quick([] { return QByteArray("x"); });
        ASSERT_TRUE(quick.start(QHostAddress::LocalHost, 0, &error)) << qPrintable(error);
    }  // each destructor stops a loop that may not have started yet
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

TEST(ExecutableStatusTest, OptionsFileMetricsPortAndJsonLogLines)
{
    TempFolders folders;
    const quint16 metricsPort = freePort();
    const QString config = folders.path("server.conf");
    writeFile(config, QStringLiteral("# tessel-dbserver options\n"
                                     "data-dir = %1\n"
                                     "schema-dir = \"%2\"\n"
                                     "port = 0\n"
                                     "--metrics-port = %3\n"
                                     "log-format = json\n"
                                     "log-level = error\n")
                          .arg(folders.dataDir(), folders.schemaDir())
                          .arg(metricsPort)
                          .toUtf8());
    QProcess process;
    // The command line wins over the file.
    process.start(QStringLiteral(TESSEL_DBSERVER_BINARY), {"--config", config, "--log-level", "info"});
    ASSERT_TRUE(process.waitForStarted(kWaitMs));
    QByteArray out;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            out += process.readAllStandardOutput();
            return out.contains('\n') || process.state() == QProcess::NotRunning;
        },
        kWaitMs))
        << process.readAllStandardError().constData();
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("listening on 127\\.0\\.0\\.1 ports (\\d+)"))
            .match(QString::fromUtf8(out));
    ASSERT_TRUE(m.hasMatch()) << out.constData() << process.readAllStandardError().constData();

    TestClient client;
    ASSERT_TRUE(client.open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(m.captured(1).toInt() + 2))));
    EXPECT_EQ(client.request(9, "Execute", {{"DbName", "Tessel"}, {"sqlexec", "nonsense"}}).value("result"),
              "ERROR");

    httplib::Client http("127.0.0.1", metricsPort);
    const auto response = http.Get("/metrics");
    ASSERT_TRUE(response) << httplib::to_string(response.error());
    EXPECT_EQ(
        sample(response->body, "tessel_command_requests_total{command=\"Execute\",outcome=\"refused\"}"),
        1.0);

    ::kill(pid_t(process.processId()), SIGTERM);
    ASSERT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, kWaitMs));
    EXPECT_EQ(process.exitCode(), 0);
    const QList<QByteArray> lines = process.readAllStandardError().split('\n');
    bool sawOptionsFile = false;
    bool sawFailedRequest = false;
    for (const QByteArray& l : lines) {
        if (l.isEmpty()) {
            continue;
        }
        QJsonParseError error;
        const QJsonObject line = QJsonDocument::fromJson(l, &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << l.constData();
        EXPECT_TRUE(line.contains("time") && line.contains("level") && line.contains("category"))
            << l.constData();
        EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d)$)"))
                        .match(line.value("time").toString())
                        .hasMatch())
            << l.constData();
        const QString message = line.value("message").toString();
        sawOptionsFile = sawOptionsFile || message.contains(QFileInfo(config).absoluteFilePath());
        if (message.contains("Execute failed")) {
            sawFailedRequest = true;
            EXPECT_EQ(line.value("request").toInt(), 9) << l.constData();
            EXPECT_GE(line.value("connection").toInt(), 1) << l.constData();
        }
    }
    EXPECT_TRUE(sawOptionsFile);
    EXPECT_TRUE(sawFailedRequest);
}

}  // namespace
