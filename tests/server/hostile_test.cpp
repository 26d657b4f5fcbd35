// Requests of hostile or careless clients: statements that would exhaust a worker's stack or
// memory, run for ever or change the pooled connections, names cut short by NUL, restores
// that follow links out of the backup folders, web pages, clients that never read, and the
// files a server start must tighten or clear away.
#include "dbserver.h"
#include "testclient.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSemaphore>
#include <QThread>
#include <QTimer>

#include <sys/stat.h>

using namespace tessel::server;
using namespace tessel::server::test;

namespace {

constexpr int kWaitMs = 15000;
// Runs for far longer than any test waits, unless it is stopped.
const char* const kEndlessQuery =
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) AS n FROM c";

QString chainedWith(int tables)
{
    QString sql = QStringLiteral("WITH c0 AS (SELECT 1 AS x)");
    for (int i = 1; i < tables; ++i) {
        sql += QStringLiteral(", c%1 AS (SELECT x FROM c%2)").arg(i).arg(i - 1);
    }
    return sql + QStringLiteral(" SELECT x FROM c%1").arg(tables - 1);
}

QString repeated(const QString& piece, int times, const QString& end)
{
    QString out;
    out.reserve(piece.size() * times + end.size());
    for (int i = 0; i < times; ++i) {
        out += piece;
    }
    return out + end;
}

mode_t modeOf(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

/// A client that sends `count` copies of a frame and then reads nothing (its thread is blocked)
/// until it is destroyed: the answers pile up in the server.
class NonReader
{
public:
    NonReader(const QUrl& url, const QByteArray& frame, int count)
    {
        m_thread.reset(QThread::create([this, url, frame, count] {
            QWebSocket socket;
            QEventLoop loop;
            QObject::connect(&socket, &QWebSocket::connected, &loop, &QEventLoop::quit);
            QObject::connect(&socket, &QWebSocket::disconnected, &loop, &QEventLoop::quit);
            QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
            socket.open(url);
            loop.exec();
            for (int i = 0; i < count; ++i) {
                socket.sendTextMessage(QString::fromUtf8(frame));
            }
            socket.flush();
            m_release.acquire();
        }));
        m_thread->start();
    }
    ~NonReader()
    {
        m_release.release();
        m_thread->wait();
    }

private:
    QSemaphore m_release;
    std::unique_ptr<QThread> m_thread;
};

class HostileDispatchTest : public DispatchTest
{
protected:
    void expectSeedReadable()
    {
        EXPECT_EQ(scalar("SELECT S_NAME FROM TAB_ITEM WHERE S_ID = 1").toString(), "seed");
    }
    QString root() const { return m_folders.path("backups"); }
};

TEST_F(HostileDispatchTest, DeepStatementsAreRefusedAndTheServerGoesOn)
{
    struct Case
    {
        const char* what;
        QString sql;
    };
    const Case cases[] = {
        {"40,000 chained WITH tables (1.3 MB; crashed a worker)", chainedWith(40000)},
        {"600 chained WITH tables", chainedWith(600)},
        {"expression 5,000 deep", repeated(QStringLiteral("1+"), 5000, QStringLiteral("1")).prepend("SELECT ")},
        {"compound of 400 SELECTs", repeated(QStringLiteral("SELECT 1 UNION ALL "), 399, QStringLiteral("SELECT 1"))},
        {"subqueries 400 deep",
         repeated(QStringLiteral("SELECT * FROM ("), 400, QStringLiteral("SELECT 1") + QString(400, ')'))},
    };
    for (const Case& c : cases) {
        const QJsonObject answer = query(c.sql);
        EXPECT_EQ(answer.value("result").toString(), "ERROR") << c.what;
        EXPECT_FALSE(answer.value("reason").toString().isEmpty()) << c.what;
        expectSeedReadable();
    }
    // Ordinary depths still run.
    EXPECT_EQ(scalar(chainedWith(100)).toString(), "1");
    EXPECT_EQ(scalar(repeated(QStringLiteral("1+"), 200, QStringLiteral("1")).prepend("SELECT ")).toString(), "201");
}

TEST_F(HostileDispatchTest, HugeValuesAreRefusedWithAnAnswer)
{
    for (const char* sql : {"SELECT hex(zeroblob(400000000))", "SELECT zeroblob(999999999)"}) {
        const QJsonObject answer = query(QString::fromLatin1(sql));
        EXPECT_EQ(answer.value("result").toString(), "ERROR") << sql;
        EXPECT_EQ(answer.value("code").toString(), "sql") << sql;
    }
    // One value larger than the answer limit is caught while the row is written.
    m_dispatcher->setMaxAnswerBytes(1 << 20);
    const QJsonObject answer = query("SELECT hex(zeroblob(3000000)) AS v");
    EXPECT_EQ(answer.value("result").toString(), "ERROR");
    EXPECT_EQ(answer.value("code").toString(), "too-large");
    expectSeedReadable();
}

TEST_F(HostileDispatchTest, OnlyReadingPragmasRun)
{
    for (const char* pragma :
         {"PRAGMA query_only=1", "PRAGMA locking_mode=EXCLUSIVE", "PRAGMA temp_store_directory='/tmp'",
          "PRAGMA foreign_keys=OFF", "PRAGMA journal_mode=DELETE", "PRAGMA cache_size=1",
          "PRAGMA writable_schema=ON", "PRAGMA recursive_triggers=1", "PRAGMA user_version=5"}) {
        const QJsonObject answer = execute(QString::fromLatin1(pragma));
        EXPECT_EQ(answer.value("result").toString(), "ERROR") << pragma;
        EXPECT_FALSE(answer.value("reason").toString().isEmpty()) << pragma;
        // The pooled connection is as it was: writes keep working, every time.
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(execute("INSERT INTO TAB_ITEM (S_NAME) VALUES ('w')").value("result").toString(), "OK")
                << "after " << pragma;
        }
    }
    EXPECT_EQ(scalar("PRAGMA foreign_keys").toString(), "1");
    EXPECT_EQ(scalar("PRAGMA journal_mode").toString(), "wal");
    EXPECT_EQ(scalar("PRAGMA user_version").toString(), "0");
    EXPECT_EQ(rowsOf(query("PRAGMA table_info(TAB_ITEM)")).size(), 5);
    EXPECT_EQ(scalar("SELECT count(*) FROM pragma_table_info('TAB_ITEM')").toString(), "5");
}

TEST_F(HostileDispatchTest, StatementsStopAtTheTimeLimit)
{
    const auto timed = [&](const QJsonObject& request, qint64* elapsedMs) {
        QElapsedTimer clock;
        clock.start();
        const QJsonObject answer = call("ExecuteQuery", request);
        *elapsedMs = clock.elapsed();
        return answer;
    };
    qint64 elapsed = 0;
    m_dispatcher->setStatementLimitMs(300);
    QJsonObject answer = timed({{"DbName", "Tessel"}, {"sqlexec", kEndlessQuery}}, &elapsed);
    EXPECT_EQ(answer.value("code").toString(), "timeout") << qPrintable(answer.value("reason").toString());
    EXPECT_TRUE(answer.value("reason").toString().contains("300 ms"));
    EXPECT_LT(elapsed, 5000);

    // The request may lower the server's limit, never raise it.
    m_dispatcher->setStatementLimitMs(60000);
    answer = timed({{"DbName", "Tessel"}, {"sqlexec", kEndlessQuery}, {"timeoutMs", 200}}, &elapsed);
    EXPECT_EQ(answer.value("code").toString(), "timeout");
    EXPECT_LT(elapsed, 5000);

    // A writer waiting for another one's lock gives up at its deadline.
    {
        std::lock_guard<std::timed_mutex> held(m_databases->slot(0).writeMutex);
        answer = call("Execute", {{"DbName", "Tessel"},
                                  {"sqlexec", "INSERT INTO TAB_ITEM (S_NAME) VALUES ('late')"},
                                  {"timeoutMs", 200}});
        EXPECT_EQ(answer.value("code").toString(), "timeout");
    }
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_ITEM WHERE S_NAME = 'late'").toString(), "0");
    EXPECT_EQ(execute("INSERT INTO TAB_ITEM (S_NAME) VALUES ('late')").value("result").toString(), "OK");
}

TEST_F(HostileDispatchTest, NulInNamesAndPathsIsRefused)
{
    QDir().mkpath(root());
    m_dispatcher->setBackupRoots({root()});
    const QString nul(QChar(0));
    struct Case
    {
        const char* command;
        QJsonObject request;
    };
    const Case cases[] = {
        {"BackupDatabase", {{"filePath", "bk" + nul + "/elsewhere"}, {"dbArray", QJsonArray{"Tessel"}}}},
        {"BackupDatabase", {{"filePath", "bk"}, {"dbArray", QJsonArray{"Tessel" + nul + "junk"}}}},
        {"RestoreDatabase", {{"filePath", "bk" + nul + "x"}, {"dbArray", QJsonArray{"Tessel"}}}},
        {"GetSystemStatusByName", {{"name", "lo" + nul + "x"}}},
    };
    for (const Case& c : cases) {
        const QJsonObject answer = call(c.command, c.request);
        EXPECT_EQ(answer.value("code").toString(), "bad-request") << c.command;
        EXPECT_TRUE(answer.value("reason").toString().contains("NUL")) << c.command;
    }
    EXPECT_FALSE(QFileInfo::exists(root() + "/bk"));
}

TEST_F(HostileDispatchTest, RestoreFollowsLinksOnlyWithinTheBackupFolders)
{
    QDir().mkpath(root());
    m_dispatcher->setBackupRoots({root()});
    ASSERT_EQ(call("BackupDatabase", {{"filePath", "good"}, {"dbArray", QJsonArray{"Tessel"}}})
                  .value("result")
                  .toString(),
              "OK");
    // A database outside every backup folder, with a row of its own.
    const QString outside = m_folders.path("outside/Tessel.db");
    QDir().mkpath(m_folders.path("outside"));
    ASSERT_TRUE(QFile::copy(root() + "/good/Tessel.db", outside));
    execute("INSERT INTO TAB_ITEM (S_NAME) VALUES ('live')");

    QDir().mkpath(root() + "/evil");
    ASSERT_TRUE(QFile::link(outside, root() + "/evil/Tessel.db"));
    QJsonObject answer = call("RestoreDatabase", {{"filePath", "evil"}, {"dbArray", QJsonArray{"Tessel"}}});
    EXPECT_FALSE(answer.value("data").toObject().value("restoreResult").toArray().at(0).toObject().value("ret").toBool());
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_ITEM WHERE S_NAME = 'live'").toString(), "1");

    // A link that stays inside is followed.
    QDir().mkpath(root() + "/alias");
    ASSERT_TRUE(QFile::link(root() + "/good/Tessel.db", root() + "/alias/Tessel.db"));
    answer = call("RestoreDatabase", {{"filePath", "alias"}, {"dbArray", QJsonArray{"Tessel"}}});
    EXPECT_TRUE(answer.value("data").toObject().value("restoreResult").toArray().at(0).toObject().value("ret").toBool());
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_ITEM WHERE S_NAME = 'live'").toString(), "0");
}

TEST_F(HostileDispatchTest, BodiesTheParserMustNotSeeAreRefused)
{
    const QByteArray twoWays =
        R"(7 ExecuteQuery
{"DbName":"Tessel","sqlexec":"SELECT 1","\n":[1,2,3],"\u000a":[4]})";
    QJsonObject answer = parseAnswer(callRaw(twoWays), 7);
    EXPECT_EQ(answer.value("code").toString(), "bad-json");
    EXPECT_TRUE(answer.value("reason").toString().contains("twice"));

    answer = parseAnswer(callRaw("7 ExecuteQuery\n" + QByteArray(8 << 20, '[')), 7);
    EXPECT_EQ(answer.value("code").toString(), "bad-json");
    EXPECT_TRUE(answer.value("reason").toString().contains("deeper")) << qPrintable(answer.value("reason").toString());
}

// ---- over the network ----

class HostileNetworkTest : public ::testing::Test
{
protected:
    void start(const std::function<void(ServerOptions&)>& adjust = {})
    {
        ServerOptions options;
        options.dataDir = m_folders.dataDir();
        options.schemaDir = m_folders.schemaDir();
        options.port = 0;
        options.workers = 1;
        options.backupRoots = QStringList{m_folders.path("backups")};
        QDir().mkpath(m_folders.path("backups"));
        if (adjust) {
            adjust(options);
        }
        m_server = std::make_unique<DbServer>(options);
        QString error;
        ASSERT_TRUE(m_server->start(&error)) << qPrintable(error);
    }
    QUrl url() const { return QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(m_server->basePort() + 2)); }

    TempFolders m_folders;
    std::unique_ptr<DbServer> m_server;
};

const QJsonObject kSeedQuery{{"DbName", "Tessel"}, {"sqlexec", "SELECT S_NAME FROM TAB_ITEM WHERE S_ID = 1"}};

TEST_F(HostileNetworkTest, HandshakesFromWebPagesAreRefused)
{
    start([](ServerOptions& o) { o.allowedOrigins = QStringList{QStringLiteral("https://console.example")}; });
    struct Case
    {
        QByteArray origin;
        bool letIn;
    };
    for (const Case& c : {Case{"", true}, Case{"http://evil.example", false}, Case{"null", false},
                          Case{"https://console.example", true}, Case{"https://console.example.evil", false}}) {
        TestClient client;
        const bool opened = client.open(url(), nullptr, "1", c.origin);
        if (c.letIn) {
            ASSERT_TRUE(opened) << c.origin.constData();
            EXPECT_EQ(client.request(1, "ExecuteQuery", kSeedQuery).value("result").toString(), "OK");
        } else {
            // Closed before any request is read.
            EXPECT_TRUE(!opened || QTest::qWaitFor([&] { return client.closed; }, kWaitMs)) << c.origin.constData();
            EXPECT_NE(client.socket.closeReason(), QString()) << c.origin.constData();
        }
    }
}

TEST_F(HostileNetworkTest, ClientThatNeverReadsIsClosedAndOthersGoOn)
{
    start([](ServerOptions& o) { o.maxOutgoingMb = 1; });
    const QJsonObject big{{"DbName", "Tessel"}, {"sqlexec", "SELECT hex(randomblob(131072)) AS v"}};
    NonReader hog(url(), requestFrame(1, "ExecuteQuery", big), 400);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->slowReadersClosed() == 1; }, 60000));
    TestClient other;
    ASSERT_TRUE(other.open(url()));
    EXPECT_EQ(other.request(1, "ExecuteQuery", kSeedQuery).value("result").toString(), "OK");
}

TEST_F(HostileNetworkTest, DisconnectStopsTheStatementAndQuickReadsKeepALane)
{
    start();
    TestClient slow;
    ASSERT_TRUE(slow.open(url()));
    // Execute is not a quick read: it takes the one general worker.
    slow.send(requestFrame(1, "Execute", {{"DbName", "Tessel"}, {"sqlexec", kEndlessQuery}}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->requestsInFlight() == 1; }, kWaitMs));

    TestClient reader;
    ASSERT_TRUE(reader.open(url()));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(reader.request(1, "ExecuteQuery", kSeedQuery).value("result").toString(), "OK");
    EXPECT_LT(clock.elapsed(), 5000);

    // A slow read leaves the lane for the general worker queue and is still answered.
    const QString slowRead =
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3000000) SELECT count(*) AS n FROM c";
    reader.send(requestFrame(2, "ExecuteQuery", {{"DbName", "Tessel"}, {"sqlexec", slowRead}}));
    EXPECT_EQ(reader.request(3, "ExecuteQuery", kSeedQuery).value("result").toString(), "OK");

    slow.socket.abort();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_server->requestsInFlight() == 0; }, kWaitMs));
    const QJsonObject answer = reader.answer(2);
    EXPECT_EQ(cell(answer, 0, "n").toString(), "3000000") << qPrintable(answer.value("reason").toString());
}

TEST_F(HostileNetworkTest, OneConnectionsLongStatementsLeaveAGeneralWorkerToOthers)
{
    start([](ServerOptions& o) { o.workers = 2; });
    TestClient hog;
    ASSERT_TRUE(hog.open(url()));
    // Two statements that never end on their own, neither of them a quick read; the second
    // comes when the first has run longer than a short job.
    hog.send(requestFrame(1, "Execute", {{"DbName", "Tessel"}, {"sqlexec", kEndlessQuery}}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->requestsInFlight() == 1; }, kWaitMs));
    QTest::qWait(800);
    hog.send(requestFrame(2, "Execute", {{"DbName", "Tessel"}, {"sqlexec", kEndlessQuery}}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->requestsInFlight() == 2; }, kWaitMs));

    TestClient writer;
    ASSERT_TRUE(writer.open(url()));
    QElapsedTimer clock;
    clock.start();
    const QJsonObject answer = writer.request(
        1, "ExecuteEx",
        {{"DbName", "Tessel"}, {"sqlexec", "INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (:id, :name)"},
         {"bindValue", QJsonObject{{":id", 77}, {":name", "written"}}}});
    EXPECT_EQ(answer.value("result").toString(), "OK") << qPrintable(answer.value("reason").toString());
    EXPECT_LT(clock.elapsed(), 5000);
    hog.socket.abort();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_server->requestsInFlight() == 0; }, kWaitMs));
}

TEST_F(HostileNetworkTest, StartTightensPermissionsAndClearsLeftovers)
{
    const QString data = m_folders.dataDir();
    writeFile(data + "/Tessel.db", "not opened at start");
    writeFile(data + "/Tessel.db.restore-0123456789abcdef", QByteArray(4096, 'x'));
    writeFile(data + "/Tessel.db.restore-0123456789abcdef-wal", "x");
    writeFile(data + "/notes.restore-txt", "kept");
    ::chmod(QFile::encodeName(data).constData(), 0755);
    ::chmod(QFile::encodeName(data + "/Tessel.db").constData(), 0644);
    start();
    EXPECT_EQ(modeOf(data), 0700u);
    EXPECT_EQ(modeOf(data + "/Tessel.db"), 0600u);
    EXPECT_EQ(modeOf(m_folders.path("backups")), 0700u);
    EXPECT_FALSE(QFileInfo::exists(data + "/Tessel.db.restore-0123456789abcdef"));
    EXPECT_FALSE(QFileInfo::exists(data + "/Tessel.db.restore-0123456789abcdef-wal"));
    EXPECT_TRUE(QFileInfo::exists(data + "/notes.restore-txt"));

    // Files made from here on are the server user's alone.
    TestClient client;
    ASSERT_TRUE(client.open(url()));
    EXPECT_EQ(client.request(1, "ExecuteQuery", {{"DbName", "Tessel-record"}, {"sqlexec", "SELECT 1"}})
                  .value("result")
                  .toString(),
              "OK");
    EXPECT_EQ(modeOf(data + "/Tessel-record.db"), 0600u);
    EXPECT_EQ(client.request(2, "BackupDatabase", {{"filePath", "b1"}, {"dbArray", QJsonArray{"Tessel-record"}}})
                  .value("result")
                  .toString(),
              "OK");
    EXPECT_EQ(modeOf(m_folders.path("backups/b1")), 0700u);
    EXPECT_EQ(modeOf(m_folders.path("backups/b1/Tessel-record.db")), 0600u);
}

TEST(HostilePieces, OutgoingBoundAndOriginRules)
{
    constexpr qint64 kLimit = 1000;
    EXPECT_TRUE(outgoingFits(0, 5000, kLimit));  // one answer always goes to a reading client
    EXPECT_TRUE(outgoingFits(400, 600, kLimit));
    EXPECT_FALSE(outgoingFits(400, 601, kLimit));
    EXPECT_FALSE(outgoingFits(1, 5000, kLimit));
    EXPECT_TRUE(originAllowed(QString(), {}));
    EXPECT_FALSE(originAllowed("http://localhost", {}));
    EXPECT_TRUE(originAllowed("HTTPS://Console.Example/", {"https://console.example"}));
    EXPECT_TRUE(isQuickCommand("ExecuteQuery"));
    EXPECT_FALSE(isQuickCommand("Execute"));
    EXPECT_FALSE(isQuickCommand("RestoreDatabase"));
}

}  // namespace
