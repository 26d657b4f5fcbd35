// What a peer can reach: the access token in the WebSocket handshake, the refusal to listen
// beyond loopback without one, statements that would open other database files, and names and
// folders that would lead out of the server's folders.
#include "dbserver.h"
#include "options.h"
#include "testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTest>
#include <QWebSocket>

#include <sys/stat.h>

using namespace tessel::server;
using namespace tessel::server::test;

namespace {

constexpr int kWaitMs = 10000;
const char kToken[] = "k7Qm2v9XrT4pW1zL8sNd";

QByteArray requestFrame(qint64 id, const QByteArray& command, const QJsonObject& body)
{
    return QByteArray::number(id) + ' ' + command + '\n' + QJsonDocument(body).toJson(QJsonDocument::Compact);
}

/// Every file below `folder`, as paths relative to it.
QStringList filesBelow(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        out << QDir(folder).relativeFilePath(it.next());
    }
    out.sort();
    return out;
}

// ---- statements that would open or create other database files ----

class AuthorizerTest : public DispatchTest
{
protected:
    QString outside(const char* name) const { return m_folders.path(QString::fromLatin1(name)); }

    QStringList attachedDatabases()
    {
        const QJsonObject a = query("SELECT group_concat(name) AS n FROM pragma_database_list");
        return cell(a, 0, "n").toString().split(QLatin1Char(','));
    }
};

TEST_F(AuthorizerTest, StatementsThatOpenOtherFilesAreRefusedOnEveryPath)
{
    const QString attached = outside("attached.db");
    const QString vacuumed = outside("vacuumed.db");
    const QJsonObject bindAttached{{":p", attached}};
    const struct
    {
        const char* name;
        QByteArray command;
        QJsonObject request;
        int failedStatement;  // -1: not a transaction
    } cases[] = {
        {"ATTACH a file",
         "Execute",
         {{"DbName", "Tessel"}, {"sqlexec", "ATTACH '" + attached + "' AS x"}},
         -1},
        {"ATTACH a bound name",
         "ExecuteEx",
         {{"DbName", "Tessel"}, {"sqlexec", "ATTACH :p AS x"}, {"bindValue", bindAttached}},
         -1},
        {"ATTACH a URI",
         "Execute",
         {{"DbName", "Tessel"}, {"sqlexec", "ATTACH 'file:" + attached + "?mode=rwc' AS x"}},
         -1},
        {"ATTACH memory", "Execute", {{"DbName", "Tessel"}, {"sqlexec", "ATTACH ':memory:' AS x"}}, -1},
        {"ATTACH a temporary database", "Execute", {{"DbName", "Tessel"}, {"sqlexec", "ATTACH '' AS x"}}, -1},
        {"DETACH", "Execute", {{"DbName", "Tessel"}, {"sqlexec", "DETACH main"}}, -1},
        {"VACUUM INTO a file",
         "Execute",
         {{"DbName", "Tessel"}, {"sqlexec", "VACUUM INTO '" + vacuumed + "'"}},
         -1},
        {"VACUUM INTO a bound name",
         "ExecuteEx",
         {{"DbName", "Tessel"}, {"sqlexec", "VACUUM INTO :p"}, {"bindValue", QJsonObject{{":p", vacuumed}}}},
         -1},
        {"VACUUM INTO behind a comment",
         "Execute",
         {{"DbName", "Tessel-record"}, {"sqlexec", "/* c */ VACUUM main INTO '" + vacuumed + "'"}},
         -1},
        {"ATTACH in a text of several statements",
         "Execute",
         {{"DbName", "Tessel"},
          {"sqlexec", "INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (9, 'x'); ATTACH '" + attached + "' AS x"}},
         -1},
        {"ATTACH in a transaction",
         "ExecuteTransaction",
         {{"DbName", "Tessel"},
          {"sqlexec", QJsonArray{"INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (9, 'x')",
                                 "ATTACH '" + attached + "' AS x"}}},
         1},
        {"ATTACH in a partition transaction",
         "PartitionExecuteTransaction",
         {{"DbName", "Tessel"},
          {"tableName", "TAB_ITEM"},
          {"sqlexec",
           QJsonArray{QJsonObject{{"key", "202401"},
                                  {"value", QJsonArray{"INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (9, 'x')",
                                                       "ATTACH '" + attached + "' AS x"}}}}}},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QJsonObject a = call(c.command, c.request);
        EXPECT_EQ(a.value("result"), "ERROR");
        EXPECT_EQ(a.value("code"), "sql");
        EXPECT_EQ(a.value("sqliteCode"), 23);  // SQLITE_AUTH
        EXPECT_TRUE(a.value("reason").toString().contains("refuses ATTACH, DETACH and VACUUM INTO"))
            << qPrintable(a.value("reason").toString());
        if (c.failedStatement >= 0) {
            EXPECT_EQ(a.value("failedStatement"), c.failedStatement);
        }
    }
    EXPECT_FALSE(QFileInfo::exists(attached));
    EXPECT_FALSE(QFileInfo::exists(vacuumed));
    // Nothing of the refused requests was kept, and the connection is as it was.
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_ITEM WHERE S_ID = 9"), "0");
    EXPECT_EQ(scalar("SELECT count(*) FROM sqlite_master WHERE name LIKE 'TAB_ITEM2%'"), "0");
    EXPECT_EQ(attachedDatabases(), QStringList({"main"}));

    // Loading a library is not possible either: SQLite keeps it off and the server never turns it on.
    const QJsonObject load =
        call("ExecuteQuery",
             {{"DbName", "Tessel"}, {"sqlexec", "SELECT load_extension('" + outside("lib.so") + "')"}});
    EXPECT_EQ(load.value("code"), "sql");
    EXPECT_TRUE(load.value("reason").toString().contains("not authorized"))
        << qPrintable(load.value("reason").toString());
}

TEST_F(AuthorizerTest, PlainVacuumAndEverydayStatementsStillRun)
{
    ASSERT_EQ(execute("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (2, 'two')").value("result"), "OK");
    ASSERT_EQ(execute("DELETE FROM TAB_ITEM WHERE S_ID = 2").value("result"), "OK");
    const QJsonObject vacuum = execute("VACUUM");
    EXPECT_EQ(vacuum.value("result"), "OK") << qPrintable(vacuum.value("reason").toString());
    EXPECT_EQ(execute("-- compact\nvacuum main").value("result"), "OK");
    EXPECT_EQ(scalar("SELECT group_concat(S_NAME) FROM TAB_ITEM"), "seed");
    EXPECT_EQ(attachedDatabases(), QStringList({"main"}));
    // Temporary objects, savepoints, pragmas and a partition made from its template.
    EXPECT_EQ(execute("CREATE TEMP TABLE T_SCRATCH (X); INSERT INTO T_SCRATCH VALUES (1)").value("result"),
              "OK");
    EXPECT_EQ(
        call("ExecuteTransaction",
             {{"DbName", "Tessel"},
              {"sqlexec", QJsonArray{"SAVEPOINT s", "INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (3, 'three')",
                                     "RELEASE s"}}})
            .value("result"),
        "OK");
    EXPECT_EQ(scalar("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(call("PartitionExecute", {{"DbName", "Tessel"},
                                        {"tableName", "TAB_ITEM"},
                                        {"suffix", "202405"},
                                        {"sqlexec", "INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (1, 'p')"}})
                  .value("result"),
              "OK");
    EXPECT_EQ(scalar("SELECT S_NAME FROM TAB_ITEM202405"), "p");
}

// ---- names and folders that would lead out of the server's folders ----

class ContainmentTest : public DispatchTest
{
protected:
    ContainmentTest()
    {
        QDir().mkpath(root());
        m_dispatcher->setBackupRoots({root()});
        m_dispatcher->setBroadcaster([](const QString&) {});
    }
    QString root() const { return m_folders.path("backups/root"); }
};

TEST_F(ContainmentTest, DatabaseNamesCannotLeadOutOfTheFolders)
{
    // A real backup inside the root, so that a restore has something it could take.
    ASSERT_EQ(call("BackupDatabase", {{"filePath", "ok"}, {"dbArray", QJsonArray{"Tessel"}}}).value("result"),
              "OK");
    const QString outsideDir = m_folders.path("backups");
    const QStringList before = filesBelow(m_folders.path(""));
    const QJsonArray badNames{
        "../Tessel", "../../Tessel", "/tmp/Tessel", "Tessel/../Tessel", "Tessel.db", "tessel",
        "",          "..",           "./Tessel"};
    for (const char* command : {"BackupDatabase", "RestoreDatabase"}) {
        const QJsonObject a = call(command, {{"filePath", "ok"}, {"timeout", 2}, {"dbArray", badNames}});
        ASSERT_EQ(a.value("result"), "OK") << command << ": " << qPrintable(a.value("reason").toString());
        const QJsonArray results =
            a.value("data")
                .toObject()
                .value(command == QByteArray("BackupDatabase") ? "backupResult" : "restoreResult")
                .toArray();
        ASSERT_EQ(results.size(), badNames.size()) << command;
        for (const QJsonValue& r : results) {
            EXPECT_FALSE(r.toObject().value("ret").toBool())
                << command << " " << qPrintable(r.toObject().value("dbName").toString());
        }
    }
    QJsonObject upload;
    for (const QJsonValue& name : badNames) {
        upload[name.toString()] = QString::fromLatin1(QByteArray("SQLite format 3").toBase64());
    }
    const QJsonObject a = call("UploadDB", {{"DbData", upload}});
    ASSERT_EQ(a.value("result"), "OK");
    for (const QJsonValue& r : a.value("data").toObject().value("ret").toArray()) {
        EXPECT_EQ(r.toObject().value("value"), -1) << qPrintable(r.toObject().value("key").toString());
    }
    // Not one file appeared or went anywhere: in the data folder, the backup folders or beside them.
    EXPECT_EQ(filesBelow(m_folders.path("")), before);
    EXPECT_FALSE(QFileInfo::exists("/tmp/Tessel.db"));
    EXPECT_EQ(QDir(outsideDir).entryList(QDir::Files), QStringList());
}

// ---- the access token over real sockets ----

/// A WebSocket client that can send a request the moment the upgrade completes.
class TokenClient
{
public:
    explicit TokenClient(const QByteArray& firstFrame = QByteArray())
    {
        QObject::connect(&socket, &QWebSocket::connected, [this, firstFrame] {
            if (!firstFrame.isEmpty()) {
                socket.sendTextMessage(QString::fromUtf8(firstFrame));
            }
        });
        QObject::connect(&socket, &QWebSocket::textMessageReceived,
                         [this](const QString& m) { messages << m; });
        QObject::connect(&socket, &QWebSocket::disconnected, [this] { closed = true; });
    }

    /// Opens and waits until the upgrade is done and, when the server turns the connection away,
    /// until it has closed it.
    void open(const QUrl& url, const QByteArray* token, const QSslConfiguration& tls)
    {
        QNetworkRequest request(url);
        request.setRawHeader("X-Tessel-Protocol", "1");
        if (token != nullptr) {
            request.setRawHeader("X-Tessel-Token", *token);
        }
        socket.setSslConfiguration(tls);
        socket.open(request);
        (void)QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState || closed; },
                              kWaitMs);
    }

    QJsonObject request(qint64 id, const QByteArray& command, const QJsonObject& body)
    {
        socket.sendTextMessage(QString::fromUtf8(requestFrame(id, command, body)));
        const QString prefix = QString::number(id) + '\n';
        QString frame;
        (void)QTest::qWaitFor(
            [&] {
                for (const QString& m : qAsConst(messages)) {
                    if (m.startsWith(prefix)) {
                        frame = m;
                        return true;
                    }
                }
                return closed;
            },
            kWaitMs);
        return frame.isEmpty() ? QJsonObject() : parseAnswer(frame.toUtf8(), id);
    }

    QWebSocket socket;
    QStringList messages;
    bool closed = false;
};

class TokenTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ServerOptions options;
        options.dataDir = m_folders.dataDir();
        options.schemaDir = m_folders.schemaDir();
        options.port = 0;
        options.workers = 2;
        options.token = QString::fromLatin1(kToken);
        m_server = std::make_unique<DbServer>(options);
        QString error;
        ASSERT_TRUE(m_server->start(&error)) << qPrintable(error);
        m_tls = QSslConfiguration::defaultConfiguration();
        m_tls.setCaCertificates(QSslCertificate::fromPath(m_server->certificateFile()));
        m_tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
    }

    QUrl url(int channel) const
    {
        return QUrl(QStringLiteral("%1://127.0.0.1:%2")
                        .arg(channel == DbServer::kPlainChannel ? "ws" : "wss")
                        .arg(m_server->basePort() + channel - 1));
    }

    TempFolders m_folders;
    std::unique_ptr<DbServer> m_server;
    QSslConfiguration m_tls;
};

const QJsonObject kCount{{"DbName", "Tessel"}, {"sqlexec", "SELECT count(*) AS n FROM TAB_ITEM"}};

TEST_F(TokenTest, OnlyTheRightTokenGetsIn)
{
    const QByteArray right(kToken);
    const struct
    {
        const char* name;
        bool header;  // false: no X-Tessel-Token at all
        QByteArray value;
        bool admitted;
    } cases[] = {
        {"no header", false, {}, false},
        {"empty", true, "", false},
        {"wrong", true, "k7Qm2v9XrT4pW1zL8sNe", false},
        {"prefix", true, right.left(right.size() - 1), false},
        {"longer", true, right + "x", false},
        {"other case", true, right.toLower(), false},
        {"right", true, right, true},
    };
    for (int channel = 1; channel <= DbServer::kChannelCount; ++channel) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " on channel " + std::to_string(channel));
            // A request sent the moment the upgrade is done must not run when the token is wrong.
            const QByteArray insert = requestFrame(
                1, "Execute",
                {{"DbName", "Tessel"}, {"sqlexec", "INSERT INTO TAB_ITEM (S_NAME) VALUES ('in')"}});
            TokenClient client(insert);
            client.open(url(channel), c.header ? &c.value : nullptr, m_tls);
            if (c.admitted) {
                ASSERT_EQ(client.socket.state(), QAbstractSocket::ConnectedState)
                    << qPrintable(client.socket.errorString());
                EXPECT_EQ(client.request(2, "ExecuteQuery", kCount).value("result"), "OK");
                EXPECT_FALSE(client.closed);
                ASSERT_EQ(client
                              .request(3, "Execute",
                                       {{"DbName", "Tessel"},
                                        {"sqlexec", "DELETE FROM TAB_ITEM WHERE S_NAME = 'in'"}})
                              .value("result"),
                          "OK");
                continue;
            }
            ASSERT_TRUE(QTest::qWaitFor([&] { return client.closed; }, kWaitMs));
            EXPECT_EQ(client.socket.closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
            EXPECT_EQ(client.socket.closeReason(), "bad token");
            EXPECT_TRUE(client.messages.isEmpty()) << qPrintable(client.messages.join(" | "));
        }
    }
    // Only the admitted connections' inserts ran (and were deleted again): the seed row is alone.
    const QByteArray token(kToken);
    TokenClient check;
    check.open(url(DbServer::kPlainChannel), &token, m_tls);
    const QJsonObject a = check.request(4, "ExecuteQuery", kCount);
    EXPECT_EQ(cell(a, 0, "n"), "1");
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_server->connectionCount() == 1; }, kWaitMs))
        << m_server->connectionCount();
}

// ---- where the server agrees to listen ----

TEST(ListenTest, BeyondLoopbackOnlyWithAToken)
{
    const struct
    {
        const char* name;
        QHostAddress address;
        const char* token;
        const char* error;  // part of the start-up error; nullptr: starts
    } cases[] = {
        {"any address without a token", QHostAddress(QHostAddress::Any), "", "refusing to listen on"},
        {"IPv4 wildcard without a token", QHostAddress(QHostAddress::AnyIPv4), "", "--token-file FILE"},
        {"IPv6 wildcard without a token", QHostAddress(QHostAddress::AnyIPv6), "", "TESSEL_SERVER_TOKEN"},
        {"documentation address without a token", QHostAddress("192.0.2.1"), "", "refusing to listen on"},
        // Allowed with a token: the address is not this host's, so listening itself fails.
        {"documentation address with a token", QHostAddress("192.0.2.1"), "k7Qm2v9XrT4pW1zL8sNd",
         "cannot listen"},
        {"a token with a blank", QHostAddress::LocalHost, "two words", "visible ASCII"},
        {"loopback without a token", QHostAddress::LocalHost, "", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolders folders;
        ServerOptions options;
        options.dataDir = folders.dataDir();
        options.schemaDir = folders.schemaDir();
        options.port = 0;
        options.listenAddress = c.address;
        options.token = QString::fromLatin1(c.token);
        DbServer server(options);
        QString error;
        const bool started = server.start(&error);
        if (c.error == nullptr) {
            EXPECT_TRUE(started) << qPrintable(error);
        } else {
            EXPECT_FALSE(started);
            EXPECT_TRUE(error.contains(QLatin1String(c.error))) << qPrintable(error);
        }
    }
}

TEST(TokenOptionTest, FileOrEnvironment)
{
    QTemporaryDir dir;
    const auto file = [&](const char* name, const QByteArray& content, mode_t mode = 0600) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        writeFile(path, content);
        ::chmod(QFile::encodeName(path).constData(), mode);
        return path;
    };
    const QString good = file("good", "  s3cr3t-T0ken_value \n");
    const QString groupReadable = file("group", "s3cr3t-T0ken_value", 0640);
    const QString othersRead = file("others-read", "s3cr3t-T0ken_value", 0644);
    const QString othersWrite = file("others-write", "s3cr3t-T0ken_value", 0602);
    const QString empty = file("empty", "\n\n");
    const QString blank = file("blank", "two words\n");
    const QString control = file("control", QByteArray("tok\x01") + "en");
    const struct
    {
        const char* name;
        QStringList args;
        const char* env;  // TESSEL_SERVER_TOKEN; nullptr: unset
        ParseOutcome outcome;
        const char* expected;  // the token, or part of the complaint
    } cases[] = {
        {"file", {"--token-file", good}, nullptr, ParseOutcome::Run, "s3cr3t-T0ken_value"},
        {"file wins over the environment",
         {"--token-file", good},
         "from-env-0123456789",
         ParseOutcome::Run,
         "s3cr3t-T0ken_value"},
        {"environment", {}, " from-env-0123456789 ", ParseOutcome::Run, "from-env-0123456789"},
        {"neither", {}, nullptr, ParseOutcome::Run, ""},
        {"missing file",
         {"--token-file", dir.filePath("none")},
         nullptr,
         ParseOutcome::ExitError,
         "--token-file"},
        {"readable by the group", {"--token-file", groupReadable}, nullptr, ParseOutcome::Run, "s3cr3t-T0ken_value"},
        {"readable by others", {"--token-file", othersRead}, nullptr, ParseOutcome::ExitError, "(mode 0644)"},
        {"writable by others", {"--token-file", othersWrite}, nullptr, ParseOutcome::ExitError, "open to other users"},
        {"empty file", {"--token-file", empty}, nullptr, ParseOutcome::ExitError, "is empty"},
        {"blank inside", {"--token-file", blank}, nullptr, ParseOutcome::ExitError, "visible ASCII"},
        {"control character", {"--token-file", control}, nullptr, ParseOutcome::ExitError, "visible ASCII"},
        {"empty environment",
         {},
         "",
         ParseOutcome::ExitError,
         "TESSEL_SERVER_TOKEN: the access token is empty"},
    };
    const bool hadEnv = qEnvironmentVariableIsSet(kTokenEnvironment);
    const QByteArray oldEnv = qgetenv(kTokenEnvironment);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.env != nullptr) {
            qputenv(kTokenEnvironment, c.env);
        } else {
            qunsetenv(kTokenEnvironment);
        }
        ServerOptions options;
        QString message;
        const ParseOutcome outcome = parseCommandLine(
            QStringList{"tessel-dbserver", "--data-dir", dir.path()} + c.args, &options, &message);
        EXPECT_EQ(outcome, c.outcome) << qPrintable(message);
        if (c.outcome == ParseOutcome::Run) {
            EXPECT_EQ(options.token, QString::fromLatin1(c.expected));
        } else {
            EXPECT_TRUE(message.contains(QLatin1String(c.expected))) << qPrintable(message);
            EXPECT_FALSE(message.contains("s3cr3t")) << "the complaint must not show a token";
        }
    }
    if (hadEnv) {
        qputenv(kTokenEnvironment, oldEnv);
    } else {
        qunsetenv(kTokenEnvironment);
    }
}

TEST(TokenOptionTest, ExecutableRefusesAWildcardWithoutAToken)
{
    TempFolders folders;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QLatin1String(kTokenEnvironment));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TESSEL_DBSERVER_BINARY),
                  {"--data-dir", folders.dataDir(), "--schema-dir", folders.schemaDir(), "--port", "0",
                   "--listen", "any"});
    ASSERT_TRUE(process.waitForFinished(kWaitMs));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    const QByteArray err = process.readAllStandardError();
    EXPECT_TRUE(err.contains("refusing to listen on")) << err.constData();
    EXPECT_TRUE(err.contains("without an access token")) << err.constData();
    EXPECT_FALSE(process.readAllStandardOutput().contains("listening"));
}

}  // namespace
