// The server at its edges: out of file descriptors, many connections assembling large messages
// at once, client text in the log, hanging peers on the metrics endpoint, statements that
// name deep views, storage faults, and what a start does before it may listen.
#include "dbserver.h"
#include "dispatcher.h"
#include "logformat.h"
#include "metricsserver.h"
#include "serverstats.h"
#include "testclient.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>

#include <httplib.h>
#include <sqlite3.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace tessel::server;
using namespace tessel::server::test;

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;

namespace {

constexpr int kWaitMs = 15000;

// ---- the text log ----

TEST(LogLineTest, ClientTextCannotBreakOrForgeALine)
{
    struct Case
    {
        QString message;
        QString shown;
    };
    const Case cases[] = {
        {"near \"x\": syntax error", "near \"x\": syntax error"},
        {"no such table: a\n2026-01-01 00:00:00.000 W tessel.server: forged",
         "no such table: a\\n2026-01-01 00:00:00.000 W tessel.server: forged"},
        {"dir\r\nname", "dir\\r\\nname"},
        {"tab\there", "tab\\there"},
        {QStringLiteral("esc\x1b[31mred"), "esc\\x1b[31mred"},
        {QString("del") + QChar(0x7f) + QChar(0x9b), "del\\x7f\\x9b"},
        {QString("line") + QChar(0x2028) + "sep", "line\\u2028sep"},
        {QString("ünïcode ok"), QString("ünïcode ok")},
    };
    const QMessageLogContext context(nullptr, 0, nullptr, "tessel.server.sql");
    qSetMessagePattern(QStringLiteral("%{category}: %{message}"));
    for (const Case& c : cases) {
        EXPECT_EQ(escapeControls(c.message), c.shown) << qPrintable(c.shown);
        const QByteArray line = formatLogLine(false, QtInfoMsg, context, c.message);
        EXPECT_EQ(QString::fromUtf8(line), "tessel.server.sql: " + c.shown);
        EXPECT_FALSE(line.contains('\n') || line.contains('\r')) << line.constData();
        // The JSON lines keep the text as it is: JSON escapes it.
        const QByteArray json = formatLogLine(true, QtInfoMsg, context, c.message);
        EXPECT_FALSE(json.contains('\n'));
        EXPECT_EQ(QJsonDocument::fromJson(json).object().value("message").toString(), c.message);
    }
    // Lines written while a request is handled carry its tag before the escaped text.
    {
        ServerStats stats;
        RequestRecorder recorder(stats, "Execute", 4, 9);
        EXPECT_EQ(formatLogLine(false, QtInfoMsg, context, "a\nb"), "tessel.server.sql: [c4] #9 a\\nb");
    }
    qSetMessagePattern(QString());
}

TEST(LogLineTest, JsonTimesAreRfc3339WithTheirOffset)
{
    const QByteArray oldTz = qgetenv("TZ");
    const bool hadTz = qEnvironmentVariableIsSet("TZ");
    const QMessageLogContext context(nullptr, 0, nullptr, "tessel.server");
    const QRegularExpression rfc3339(
        QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d)$)"));
    struct Case
    {
        const char* tz;
        const char* suffix;
    };
    for (const Case& c : {Case{"UTC0", "Z"}, Case{"<+0530>-5:30", "+05:30"}, Case{"<-03>3", "-03:00"}}) {
        qputenv("TZ", c.tz);
        ::tzset();
        const QString time =
            QJsonDocument::fromJson(formatLogLine(true, QtWarningMsg, context, "x")).object().value("time").toString();
        EXPECT_TRUE(rfc3339.match(time).hasMatch()) << qPrintable(time);
        EXPECT_TRUE(time.endsWith(QLatin1String(c.suffix))) << qPrintable(time) << " for " << c.tz;
    }
    if (hadTz) {
        qputenv("TZ", oldTz);
    } else {
        qunsetenv("TZ");
    }
    ::tzset();
}

/// Collects the server's log lines (level and text) while it lives.
class LogCapture
{
public:
    LogCapture()
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&LogCapture::handle);
        QLoggingCategory::setFilterRules(QStringLiteral("tessel.*.debug=false"));
    }
    ~LogCapture()
    {
        // As test_main sets them.
        QLoggingCategory::setFilterRules(QStringLiteral("tessel.*.info=false\ntessel.*.debug=false"));
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    QtMsgType levelOf(const QString& part) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& [type, text] : m_lines) {
            if (text.contains(part)) {
                return type;
            }
        }
        return QtFatalMsg;  // not logged
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        std::lock_guard<std::mutex> lock(s_current->m_mutex);
        s_current->m_lines.emplace_back(type, message);
    }
    static inline LogCapture* s_current = nullptr;
    QtMessageHandler m_previous = nullptr;
    mutable std::mutex m_mutex;
    std::vector<std::pair<QtMsgType, QString>> m_lines;
};

class EdgesDispatchTest : public DispatchTest
{
protected:
    QString root() const { return m_folders.path("backups"); }
};

TEST_F(EdgesDispatchTest, BackupFolderNamesWithControlCharactersAreRefused)
{
    QDir().mkpath(root());
    m_dispatcher->setBackupRoots({root()});
    for (const QString& name : {QString("bk\nINFO forged"), QString("bk\rx"), QString("bk\x1b[2Jx"),
                                QString("bk") + QChar(0x85) + "x"}) {
        const QJsonObject answer = call("BackupDatabase", {{"filePath", name}, {"dbArray", QJsonArray{"Tessel"}}});
        EXPECT_EQ(answer.value("code").toString(), "bad-request") << qPrintable(escapeControls(name));
        EXPECT_TRUE(answer.value("reason").toString().contains("control characters"));
    }
    EXPECT_EQ(QDir(root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    // An ordinary name still makes its folder.
    EXPECT_EQ(call("BackupDatabase", {{"filePath", "bk 2026-12-11"}, {"dbArray", QJsonArray{"Tessel"}}})
                  .value("result")
                  .toString(),
              "OK");
    EXPECT_TRUE(QFileInfo::exists(root() + "/bk 2026-12-11/Tessel.db"));
}

TEST_F(EdgesDispatchTest, StorageFaultsAreLoggedAsErrors)
{
    struct Case
    {
        int code;
        bool storage;
    };
    for (const Case& c : {Case{SQLITE_FULL, true}, Case{SQLITE_READONLY, true}, Case{SQLITE_READONLY_DBMOVED, true},
                          Case{SQLITE_IOERR_WRITE, true}, Case{SQLITE_CORRUPT, true}, Case{SQLITE_NOTADB, true},
                          Case{SQLITE_CANTOPEN, true}, Case{SQLITE_ERROR, false}, Case{SQLITE_CONSTRAINT_UNIQUE, false},
                          Case{SQLITE_INTERRUPT, false}, Case{SQLITE_AUTH, false}, Case{-1, false}}) {
        EXPECT_EQ(isStorageFault(c.code), c.storage) << c.code;
    }
    // A database file that is not one: the request fails and the operator hears of it as an error,
    // while a client's own mistake stays at info.
    LogCapture log;
    const QJsonObject own = execute("INSERT INTO NO_SUCH_TABLE VALUES (1)");
    EXPECT_EQ(own.value("code").toString(), "sql");
    EXPECT_EQ(log.levelOf("NO_SUCH_TABLE"), QtInfoMsg);

    writeFile(m_folders.databasePath("Tessel-record"), QByteArray(8192, 'z'));
    const QJsonObject answer = call("ExecuteQuery", {{"DbName", "Tessel-record"}, {"sqlexec", "SELECT 1"}});
    EXPECT_EQ(answer.value("result").toString(), "ERROR");
    ASSERT_TRUE(isStorageFault(answer.value("sqliteCode").toInt(-1))) << qPrintable(answer.value("reason").toString());
    EXPECT_EQ(log.levelOf(answer.value("reason").toString()), QtCriticalMsg);
}

// ---- statements over views ----

/// CREATE VIEW v0 .. v<n-1>, each reading the one before.
void createViewChain(sqlite3* db, int n, const char* prefix = "v")
{
    ASSERT_EQ(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
    for (int i = 0; i < n; ++i) {
        const QByteArray sql = i == 0 ? QByteArray("CREATE VIEW ") + prefix + "0 AS SELECT 1 AS x"
                                      : QByteArray("CREATE VIEW ") + prefix + QByteArray::number(i) +
                                            " AS SELECT x FROM " + prefix + QByteArray::number(i - 1);
        ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    }
    ASSERT_EQ(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
}

QString joinOf(const QString& view, int times)
{
    QStringList from;
    for (int i = 0; i < times; ++i) {
        from << QStringLiteral("%1 a%2").arg(view).arg(i);
    }
    return "SELECT count(*) AS n FROM " + from.join(", ");
}

TEST_F(EdgesDispatchTest, StatementsOverDeepViewsAreRefusedBeforeSqliteExpandsThem)
{
    // 5,000 chained views made outside the server (an uploaded file, say): preparing the first
    // SELECT over them took about 20 s, where no time limit reaches.
    ASSERT_EQ(execute("SELECT 1").value("result").toString(), "OK");  // creates Tessel.db
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(m_folders.databasePath("Tessel")).constData(), &db), SQLITE_OK);
        createViewChain(db, 5000);
        createViewChain(db, 100, "w");
        sqlite3_close(db);
    }
    QElapsedTimer clock;
    clock.start();
    QJsonObject answer = call("ExecuteQuery", {{"DbName", "Tessel"}, {"sqlexec", "SELECT * FROM v4999"}, {"timeoutMs", 2000}});
    EXPECT_EQ(answer.value("code").toString(), "sql");
    EXPECT_TRUE(answer.value("reason").toString().contains("more than 500 SELECTs")) << qPrintable(answer.value("reason").toString());
    EXPECT_LT(clock.elapsed(), 2000);

    struct Case
    {
        QString sql;
        bool runs;
    };
    const Case cases[] = {
        {"SELECT x FROM v400", true},                  // 1 + 401 SELECTs
        {"SELECT x FROM \"V498\"", true},              // 1 + 499, quoted and in another case
        {"SELECT x FROM v499", false},                 // 1 + 500
        {joinOf("w99", 4), true},                      // 1 + 4 x 100
        {joinOf("w99", 5), false},                     // 1 + 5 x 100: every name is expanded anew
        {"SELECT x FROM main.v600", false},
        {"SELECT 'v4999', x FROM w5 -- v4999", true},  // names in strings and comments are no views
    };
    for (const Case& c : cases) {
        answer = query(c.sql);
        EXPECT_EQ(answer.value("result").toString(), c.runs ? "OK" : "ERROR")
            << qPrintable(c.sql) << ": " << qPrintable(answer.value("reason").toString());
    }
    // The second statement of a text is checked before it is prepared.
    answer = execute("INSERT INTO TAB_ITEM (S_NAME) VALUES ('kept?'); SELECT x FROM v4000");
    EXPECT_TRUE(answer.value("reason").toString().contains("SELECTs")) << qPrintable(answer.value("reason").toString());
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_ITEM WHERE S_NAME = 'kept?'").toString(), "0");
    // Such a view can still be removed.
    EXPECT_EQ(execute("DROP VIEW v4999").value("result").toString(), "OK");
}

TEST_F(EdgesDispatchTest, ViewsAreNotChainedDeeperOneRequestAtATime)
{
    ASSERT_EQ(execute("CREATE VIEW c0 AS SELECT 1 AS x").value("result").toString(), "OK");
    int refusedAt = -1;
    for (int i = 1; i < 700 && refusedAt < 0; ++i) {
        const QJsonObject answer =
            execute(QStringLiteral("CREATE VIEW c%1 AS SELECT x FROM c%2").arg(i).arg(i - 1));
        if (answer.value("result").toString() != "OK") {
            refusedAt = i;
            EXPECT_EQ(answer.value("code").toString(), "sql");
        }
    }
    EXPECT_EQ(refusedAt, 500);
    EXPECT_EQ(scalar("SELECT x FROM c498").toString(), "1");

    // Nor within one text, where each view is made before the next is prepared.
    QString text;
    for (int i = 1; i <= 600; ++i) {
        text += QStringLiteral("CREATE VIEW d%1 AS SELECT x FROM %2; ").arg(i).arg(i == 1 ? "c0" : QStringLiteral("d%1").arg(i - 1));
    }
    const QJsonObject answer = execute(text);
    EXPECT_EQ(answer.value("code").toString(), "sql") << qPrintable(answer.value("reason").toString());
    EXPECT_EQ(scalar("SELECT count(*) FROM sqlite_schema WHERE name LIKE 'd%'").toString(), "0");  // all rolled back
}

// ---- over the network ----

class EdgesNetworkTest : public ::testing::Test
{
protected:
    void start(const std::function<void(ServerOptions&)>& adjust = {})
    {
        ServerOptions options;
        options.dataDir = m_folders.dataDir();
        options.schemaDir = m_folders.schemaDir();
        options.port = 0;
        options.workers = 2;
        if (adjust) {
            adjust(options);
        }
        m_server = std::make_unique<DbServer>(options);
        QString error;
        ASSERT_TRUE(m_server->start(&error)) << qPrintable(error);
    }
    quint16 plainPort() const { return quint16(m_server->basePort() + 2); }
    QUrl url() const { return QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(plainPort())); }

    TempFolders m_folders;
    std::unique_ptr<DbServer> m_server;
};

/// A blocking WebSocket client on Beast that can leave a message unfinished.
class FragmentClient
{
public:
    explicit FragmentClient(quint16 port) : m_ws(m_io)
    {
        tcp::resolver resolver(m_io);
        asio::connect(m_ws.next_layer(), resolver.resolve("127.0.0.1", std::to_string(port)));
        // A read that waits for longer than a test does fails instead of blocking.
        const timeval timeout{10, 0};
        ::setsockopt(m_ws.next_layer().native_handle(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        m_ws.handshake("127.0.0.1", "/");
        m_ws.text(true);
        m_ws.auto_fragment(false);
    }
    /// One more frame of the current message; `last` ends it.
    bool sendPart(const std::string& part, bool last)
    {
        beast::error_code ec;
        m_ws.write_some(last, asio::buffer(part), ec);
        return !ec;
    }
    /// The next message, or empty when the connection closed (then closeCode() says how).
    std::string read()
    {
        beast::flat_buffer buffer;
        beast::error_code ec;
        m_ws.read(buffer, ec);
        if (ec) {
            m_closeCode = ec == websocket::error::closed ? int(m_ws.reason().code) : -1;
            return std::string();
        }
        return beast::buffers_to_string(buffer.data());
    }
    int closeCode() const { return m_closeCode; }

private:
    asio::io_context m_io;
    websocket::stream<tcp::socket> m_ws;
    int m_closeCode = 0;
};

TEST_F(EdgesNetworkTest, UnfinishedMessagesShareOneBudgetAcrossConnections)
{
    // Requests up to 1 MiB; a message up to 4 MiB is read; all unfinished ones together: 4 MiB.
    start([](ServerOptions& o) { o.maxFrameMb = 1; });
    const std::string piece(256 * 1024, ' ');
    // A real request, held open at 768 KiB.
    FragmentClient holder(plainPort());
    ASSERT_TRUE(holder.sendPart("1 ExecuteQuery\n{\"DbName\":\"Tessel\",\"sqlexec\":\"SELECT 7 AS n\"", false));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(holder.sendPart(piece, false));
    }
    // Others add 768 KiB each: the fifth connection would pass 4 MiB.
    std::vector<std::unique_ptr<FragmentClient>> others;
    for (int c = 0; c < 5; ++c) {
        others.push_back(std::make_unique<FragmentClient>(plainPort()));
        for (int i = 0; i < 3; ++i) {
            others.back()->sendPart(piece, false);
        }
        // Taken in before the next one's: otherwise, on a busy machine, an earlier connection
        // can be the one past the budget and the last one's read waits for ever.
        QTest::qWait(100);
    }
    QTest::qWait(300);
    EXPECT_EQ(others.back()->read(), "");
    EXPECT_EQ(others.back()->closeCode(), 1009);

    // The messages within the budget go on: the held request completes and is answered.
    ASSERT_TRUE(holder.sendPart("}", true));
    const std::string answer = holder.read();
    EXPECT_EQ(cell(parseAnswer(QByteArray::fromStdString(answer), 1), 0, "n").toString(), "7") << answer.substr(0, 200);

    // Closing the others gives their share back: a new large message fits again.
    others.clear();
    QTest::qWait(300);
    FragmentClient later(plainPort());
    ASSERT_TRUE(later.sendPart("2 ExecuteQuery\n{\"DbName\":\"Tessel\",\"sqlexec\":\"SELECT 8 AS n\"", false));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(later.sendPart(piece, false));
    }
    ASSERT_TRUE(later.sendPart("}", true));
    EXPECT_EQ(cell(parseAnswer(QByteArray::fromStdString(later.read()), 2), 0, "n").toString(), "8");
}

TEST_F(EdgesNetworkTest, AStartThatCannotListenCreatesNothing)
{
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    const QString data = m_folders.path("fresh-data");
    ServerOptions options;
    options.dataDir = data;
    options.schemaDir = m_folders.schemaDir();
    options.port = quint16(taken.serverPort() - 2);  // the plain channel's port is taken
    DbServer server(options);
    QString error;
    EXPECT_FALSE(server.start(&error));
    EXPECT_TRUE(error.contains(QString::number(taken.serverPort()))) << qPrintable(error);
    EXPECT_FALSE(QFileInfo::exists(data)) << "created before listening";
}

// ---- the executable ----

struct Started
{
    std::unique_ptr<QProcess> process;
    quint16 basePort = 0;
};

/// Runs tessel-dbserver through `sh -c` with `shellPrefix` before it (ulimit, setpriv).
Started startExecutable(const QString& shellPrefix, const QStringList& arguments)
{
    Started s;
    s.process = std::make_unique<QProcess>();
    QStringList quoted;
    for (const QString& a : QStringList{QStringLiteral(TESSEL_DBSERVER_BINARY)} + arguments) {
        quoted << "'" + QString(a).replace("'", "'\\''") + "'";
    }
    s.process->start("/bin/sh", {"-c", shellPrefix + " exec " + quoted.join(' ')});
    EXPECT_TRUE(s.process->waitForStarted(kWaitMs));
    QByteArray out;
    (void)QTest::qWaitFor(
        [&] {
            out += s.process->readAllStandardOutput();
            return out.contains('\n') || s.process->state() == QProcess::NotRunning;
        },
        kWaitMs);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("listening on 127\\.0\\.0\\.1 ports (\\d+)")).match(QString::fromUtf8(out));
    if (m.hasMatch()) {
        s.basePort = quint16(m.captured(1).toInt());
    }
    return s;
}

// More connections than descriptors: accepting pauses with a few descriptors still free (the
// server, and in a sanitizer build the checks of its virtual calls, need some), logs once per
// interval, and serves new clients once descriptors are free again.
TEST(EdgesExecutableTest, OutOfDescriptorsTheAcceptLoopPausesAndResumes)
{
    TempFolders folders;
    Started server = startExecutable("ulimit -n 96;", {"--data-dir", folders.dataDir(), "--schema-dir",
                                                       folders.schemaDir(), "--port", "0"});
    ASSERT_NE(server.basePort, 0) << server.process->readAllStandardError().constData();
    const quint16 plain = quint16(server.basePort + 2);
    QByteArray log;
    const auto drain = [&] { log += server.process->readAllStandardError(); };

    // Far more connections than the server has descriptors: they stay silent.
    std::vector<std::unique_ptr<QTcpSocket>> hogs;
    for (int i = 0; i < 160; ++i) {
        hogs.push_back(std::make_unique<QTcpSocket>());
        hogs.back()->connectToHost(QHostAddress::LocalHost, plain);
    }
    QTest::qWait(3000);
    drain();
    // Spinning wrote a line per failed accept: millions of lines a minute.
    EXPECT_TRUE(log.contains("accepting paused")) << log.right(2000).constData();
    EXPECT_LT(log.count('\n'), 40) << log.right(2000).constData();
    EXPECT_EQ(server.process->state(), QProcess::Running) << log.right(2000).constData();

    hogs.clear();
    TestClient client;
    ASSERT_TRUE(client.open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(plain))));
    EXPECT_EQ(client.request(1, "ExecuteQuery", {{"DbName", "Tessel"}, {"sqlexec", "SELECT 1 AS n"}}).value("result"),
              "OK");
    ::kill(pid_t(server.process->processId()), SIGTERM);
    EXPECT_TRUE(server.process->waitForFinished(kWaitMs));
    drain();
    EXPECT_FALSE(log.contains("runtime error")) << log.right(2000).constData();
}

TEST(EdgesExecutableTest, AReadOnlyDataFolderIsRefusedAtStart)
{
    TempFolders folders;
    const QString data = folders.dataDir();
    QDir().mkpath(data);
    if (::geteuid() == 0) {
        // root writes anywhere: the server runs as nobody on a folder it may read but not write.
        for (const QString& dir : {folders.path("."), data, folders.schemaDir()}) {
            ::chmod(QFile::encodeName(dir).constData(), 0755);
        }
        for (const QString& f : QDir(folders.schemaDir()).entryList(QDir::Files)) {
            ::chmod(QFile::encodeName(folders.schemaDir() + "/" + f).constData(), 0644);
        }
    } else {
        ::chmod(QFile::encodeName(data).constData(), 0500);
    }
    QProcess process;
    const QStringList arguments{"--data-dir", data, "--schema-dir", folders.schemaDir(), "--port", "0"};
    if (::geteuid() == 0) {
        process.start("setpriv", QStringList{"--reuid=65534", "--regid=65534", "--clear-groups",
                                             QStringLiteral(TESSEL_DBSERVER_BINARY)} +
                                     arguments);
    } else {
        process.start(QStringLiteral(TESSEL_DBSERVER_BINARY), arguments);
    }
    ASSERT_TRUE(process.waitForFinished(kWaitMs));
    EXPECT_EQ(process.exitCode(), 1);
    const QByteArray err = process.readAllStandardError();
    EXPECT_TRUE(err.contains("is not writable")) << err.constData();
    EXPECT_EQ(QDir(data).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    ::chmod(QFile::encodeName(data).constData(), 0700);
}

// ---- the metrics endpoint ----

TEST(EdgesMetricsTest, ScrapesAreAnsweredWhileOtherPeersHang)
{
    MetricsLimits limits;
    limits.requestMs = 1500;
    MetricsServer metrics([] { return QByteArray("tessel_up 1\n"); }, limits);
    QString error;
    ASSERT_TRUE(metrics.start(QHostAddress::LocalHost, 0, &error)) << qPrintable(error);

    // Silent peers, and peers trickling a request a byte at a time.
    std::vector<std::unique_ptr<QTcpSocket>> silent;
    for (int i = 0; i < 20; ++i) {
        silent.push_back(std::make_unique<QTcpSocket>());
        silent.back()->connectToHost(QHostAddress::LocalHost, metrics.port());
        ASSERT_TRUE(silent.back()->waitForConnected(kWaitMs));
    }
    std::vector<std::unique_ptr<QTcpSocket>> trickling;
    for (int i = 0; i < 3; ++i) {
        trickling.push_back(std::make_unique<QTcpSocket>());
        trickling.back()->connectToHost(QHostAddress::LocalHost, metrics.port());
        ASSERT_TRUE(trickling.back()->waitForConnected(kWaitMs));
        trickling.back()->write("G");
    }
    QElapsedTimer clock;
    clock.start();
    httplib::Client client("127.0.0.1", metrics.port());
    client.set_read_timeout(5, 0);
    const auto response = client.Get("/metrics");
    ASSERT_TRUE(response) << httplib::to_string(response.error());
    EXPECT_EQ(response->body, "tessel_up 1\n");
    EXPECT_LT(clock.elapsed(), 1000);  // one silent peer cost a single-threaded endpoint 5 s

    // The hanging peers are closed at their deadline, trickling or not.
    for (int second = 0; second < 3; ++second) {
        for (auto& t : trickling) {
            t->write("E");
            t->flush();
        }
        QTest::qWait(700);
    }
    for (auto* group : {&silent, &trickling}) {
        for (auto& s : *group) {
            EXPECT_TRUE(s->state() == QAbstractSocket::UnconnectedState ||
                        s->waitForDisconnected(kWaitMs));
        }
    }
    // A request with another method or path.
    EXPECT_EQ(client.Post("/metrics", "x", "text/plain")->status, 405);
    EXPECT_EQ(client.Get("/metrics/../x")->status, 404);
}

TEST(BoundedLatenciesTest, CountsAreCumulativeAtEveryBound)
{
    BoundedLatencies latencies;
    for (qint64 ns : {qint64(50'000), qint64(100'000), qint64(100'001), qint64(3'000'000), qint64(2'000'000'000),
                      qint64(120'000'000'000)}) {
        latencies.add(ns);
    }
    const auto& bounds = BoundedLatencies::bounds();
    const auto counts = latencies.cumulative();
    const auto at = [&](double bound) {
        for (size_t i = 0; i < bounds.size(); ++i) {
            if (bounds[i] == bound) {
                return counts[i];
            }
        }
        ADD_FAILURE() << "no bound " << bound;
        return quint64(0);
    };
    EXPECT_EQ(at(0.0001), 2u);  // a latency equal to a bound is counted under it
    EXPECT_EQ(at(0.00025), 3u);
    EXPECT_EQ(at(0.005), 4u);
    EXPECT_EQ(at(2.5), 5u);
    EXPECT_EQ(at(60), 5u);  // two minutes: only under +Inf
    for (size_t i = 1; i < bounds.size(); ++i) {
        EXPECT_LT(bounds[i - 1], bounds[i]);
        EXPECT_LE(counts[i - 1], counts[i]);
    }
}

}  // namespace
