// What the data folder holds after faults and stops: a database created while the disk is full,
// files left by a creation that did not finish, repeated clean stops, and SIGHUP reloads.
#include "dbserver.h"
#include "requesterror.h"
#include "sdnotify.h"
#include "testclient.h"
#include "testsupport.h"
#include "tlsidentity.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QTest>
#include <QWebSocket>

#include <sqlite3.h>

#include <atomic>
#include <mutex>
#include <csignal>
#include <cstring>
#include <map>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tessel::server;
using namespace tessel::server::test;

namespace {

constexpr int kWaitMs = 15000;

// ---- a disk that fills up ----

/// An SQLite VFS over the default one in which the files of a database being created (names
/// holding ".db.creating": the file, its journal, its WAL) share a disk of `capacity` bytes: a
/// write that would grow them past it fails with SQLITE_FULL, as on a full disk. Space is not
/// given back while the disk is in use.
class FullDisk
{
public:
    FullDisk()
    {
        s_real = sqlite3_vfs_find(nullptr);
        s_vfs = *s_real;
        s_vfs.zName = "tessel-full-disk";
        s_vfs.pAppData = nullptr;
        s_vfs.xOpen = &FullDisk::open;
        sqlite3_vfs_register(&s_vfs, 1);
    }
    ~FullDisk()
    {
        setCapacity(-1);
        sqlite3_vfs_unregister(&s_vfs);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    /// Bytes the files may take from now on; -1: no limit.
    void setCapacity(qint64 bytes)
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_capacity = bytes;
        s_used = 0;
    }

private:
    struct Methods
    {
        sqlite3_io_methods methods;  // first: a file's pMethods points here
        const sqlite3_io_methods* real;
    };
    static const sqlite3_io_methods* real(sqlite3_file* file)
    {
        return reinterpret_cast<const Methods*>(file->pMethods)->real;
    }

    static int write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset)
    {
        {
            std::lock_guard<std::mutex> lock(s_mutex);
            sqlite3_int64& extent = s_extents[file];
            const sqlite3_int64 end = offset + amount;
            if (end > extent) {
                if (s_capacity >= 0 && s_used + (end - extent) > s_capacity) {
                    return SQLITE_FULL;
                }
                s_used += end - extent;
                extent = end;
            }
        }
        return real(file)->xWrite(file, data, amount, offset);
    }

    static int close(sqlite3_file* file)
    {
        const sqlite3_io_methods* methods = real(file);
        {
            std::lock_guard<std::mutex> lock(s_mutex);
            s_extents.erase(file);
        }
        return methods->xClose(file);
    }

    static int open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
    {
        const int rc = s_real->xOpen(s_real, name, file, flags, outFlags);
        if (rc != SQLITE_OK || file->pMethods == nullptr || name == nullptr ||
            std::strstr(name, ".db.creating") == nullptr) {
            return rc;
        }
        // The real file stays as it is; only its table of methods is swapped for one whose
        // xWrite counts (and can fail).
        std::lock_guard<std::mutex> lock(s_mutex);
        auto& shim = s_shims[file->pMethods];
        if (shim.real == nullptr) {
            shim.methods = *file->pMethods;
            shim.methods.xWrite = &FullDisk::write;
            shim.methods.xClose = &FullDisk::close;
            shim.real = file->pMethods;
        }
        sqlite3_int64 size = 0;
        file->pMethods->xFileSize(file, &size);
        s_extents[file] = size;
        file->pMethods = &shim.methods;
        return rc;
    }

    static inline sqlite3_vfs* s_real = nullptr;
    static inline std::mutex s_mutex;
    static inline qint64 s_capacity = -1;
    static inline qint64 s_used = 0;
    static inline std::map<sqlite3_file*, sqlite3_int64> s_extents;
    static inline std::map<const sqlite3_io_methods*, Methods> s_shims;
    // Static: connections opened through it may close after the test (the fixture's cache).
    static inline sqlite3_vfs s_vfs{};
};

int rowsInFileAlone(const QString& file, const char* table);

class DatabaseCreationTest : public DispatchTest
{
};

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

TEST_F(DatabaseCreationTest, DiskFullReportsTheFailureAndLeavesNoFile)
{
    FullDisk disk;
    disk.setCapacity(0);
    const QJsonObject failed = query(QStringLiteral("SELECT S_NAME FROM TAB_ITEM"));
    EXPECT_NE(failed.value("result").toString(), "OK");
    EXPECT_TRUE(failed.value("reason").toString().contains("database or disk is full"))
        << qPrintable(failed.value("reason").toString());
    EXPECT_EQ(filesIn(m_folders.dataDir()), QStringList()) << "nothing half-written stays";

    // Space again: the next request creates a sound file, with its seed row.
    disk.setCapacity(-1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT S_NAME FROM TAB_ITEM WHERE S_ID = 1")), "seed");
    EXPECT_EQ(scalar(QStringLiteral("PRAGMA quick_check")), "ok");
    const QStringList files = filesIn(m_folders.dataDir());
    EXPECT_TRUE(files.contains("Tessel.db"));
    EXPECT_TRUE(files.filter(".creating").isEmpty()) << qPrintable(files.join(' '));
}

TEST(DatabaseCreationDiskFull, WhereverTheDiskFillsUpTheFileIsSoundOrAbsent)
{
    // From no space at all to plenty: each creation either fails with the disk's error and
    // leaves nothing, or leaves a complete database. Never a file that is there but damaged.
    int failed = 0;
    int created = 0;
    for (const qint64 capacity : {0, 600, 4096, 6000, 8192, 9000, 10000, 12288, 13000, 14000, 16384, 20000,
                                  24576, 32768, 65536}) {
        SCOPED_TRACE(capacity);
        TempFolders folders;
        DatabaseSet databases(folders.dataDir(), folders.schemaDir());
        QString answer;
        {
            FullDisk disk;
            disk.setCapacity(capacity);
            ConnectionCache connections(databases);
            try {
                Lease lease = databases.acquire(databaseIndex(u"Tessel"), connections);
                sqlite3_stmt* stmt = nullptr;
                if (sqlite3_prepare_v2(lease.connection().handle(), "SELECT S_NAME FROM TAB_ITEM WHERE S_ID = 1", -1,
                                       &stmt, nullptr) == SQLITE_OK &&
                    sqlite3_step(stmt) == SQLITE_ROW) {
                    answer = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
                } else {
                    answer = QStringLiteral("query failed: ") +
                             QString::fromUtf8(sqlite3_errmsg(lease.connection().handle()));
                }
                sqlite3_finalize(stmt);
            } catch (const RequestError& e) {
                answer = QString::fromUtf8(e.reason());
            }
        }
        const QStringList files = filesIn(folders.dataDir());
        if (answer == QLatin1String("seed")) {
            ++created;
            EXPECT_EQ(rowsInFileAlone(folders.databasePath("Tessel"), "TAB_ITEM"), 1);
        } else {
            ++failed;
            EXPECT_TRUE(answer.contains("database or disk is full")) << qPrintable(answer);
            EXPECT_FALSE(files.contains("Tessel.db")) << qPrintable(answer);
        }
        EXPECT_TRUE(files.filter(".creating").isEmpty()) << qPrintable(files.join(' '));
    }
    EXPECT_GT(failed, 0);
    EXPECT_GT(created, 0);
}

TEST(DatabaseCreationLeftovers, UnfinishedCreationsAreRemovedAtStart)
{
    TempFolders folders;
    const QString data = folders.dataDir();
    const QStringList leftovers{"Tessel.db.creating", "Tessel.db.creating-wal", "Tessel.db.creating-shm",
                                "Tessel-record.db.creating-journal"};
    for (const QString& name : leftovers) {
        writeFile(data + '/' + name, "half");
    }
    writeFile(data + "/notes.creating", "not ours");

    ServerOptions options;
    options.dataDir = data;
    options.schemaDir = folders.schemaDir();
    options.port = 0;
    DbServer server(options);
    QString error;
    ASSERT_TRUE(server.start(&error)) << qPrintable(error);
    EXPECT_EQ(filesIn(data).filter(".db.creating"), QStringList());
    EXPECT_TRUE(QFileInfo::exists(data + "/notes.creating"));
}

// ---- the executable: stops and reloads ----

/// tessel-dbserver run as a child process, its stderr collected.
class ServerProcess
{
public:
    explicit ServerProcess(const QStringList& arguments, const QProcessEnvironment& env =
                                                             QProcessEnvironment::systemEnvironment())
    {
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(TESSEL_DBSERVER_BINARY), arguments);
    }
    ~ServerProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kWaitMs);
        }
    }

    /// Waits for the ready line; the base port, or 0.
    int waitReady()
    {
        static const QRegularExpression ready(QStringLiteral("listening on \\S+ ports (\\d+)\\.\\."));
        QByteArray out;
        (void)QTest::qWaitFor(
            [&] {
                out += m_process.readAllStandardOutput();
                return out.contains('\n') || m_process.state() == QProcess::NotRunning;
            },
            kWaitMs);
        const QRegularExpressionMatch m = ready.match(QString::fromUtf8(out));
        return m.hasMatch() ? m.captured(1).toInt() : 0;
    }
    void signal(int number) { ::kill(pid_t(m_process.processId()), number); }
    bool running() const { return m_process.state() == QProcess::Running; }
    /// Waits for the exit; its code, or -1 when it did not end normally.
    int waitExit()
    {
        (void)QTest::qWaitFor([&] { return m_process.state() == QProcess::NotRunning; }, kWaitMs);
        return m_process.state() == QProcess::NotRunning && m_process.exitStatus() == QProcess::NormalExit
                   ? m_process.exitCode()
                   : -1;
    }
    QByteArray log()
    {
        QCoreApplication::processEvents();
        m_log += m_process.readAllStandardError();
        return m_log;
    }
    /// Waits until the log holds `text`.
    bool logged(const QByteArray& text)
    {
        return QTest::qWaitFor([&] { return log().contains(text); }, kWaitMs);
    }

private:
    QProcess m_process;
    QByteArray m_log;
};

QJsonObject execute(TestClient& client, qint64 id, const QString& db, const QString& sql)
{
    return client.request(id, "Execute", {{"DbName", db}, {"sqlexec", sql}});
}

/// Rows of `table` in a copy of the database file alone (no -wal or -shm beside it).
int rowsInFileAlone(const QString& file, const char* table)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("alone.db"));
    if (!QFile::copy(file, copy)) {
        return -1;
    }
    sqlite3* db = nullptr;
    int rows = -1;
    if (sqlite3_open_v2(QFile::encodeName(copy).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        const QByteArray sql = QByteArray("SELECT count(*) FROM ") + table;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW) {
            rows = sqlite3_column_int(stmt, 0);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return rows;
}

TEST(CleanStopTest, RepeatedStopsLeaveEverythingInTheDatabaseFiles)
{
    TempFolders folders;
    const QStringList arguments{"--data-dir",  folders.dataDir(), "--schema-dir", folders.schemaDir(),
                                "--port",      "0",               "--workers",    "4",
                                "--log-level", "info"};
    int items = 1;  // the seed row
    int records = 0;
    for (int round = 1; round <= 5; ++round) {
        SCOPED_TRACE(round);
        ServerProcess server(arguments);
        const int base = server.waitReady();
        ASSERT_NE(base, 0) << server.log().constData();
        // Several connections, so that workers and network threads all hold database connections
        // when the stop comes.
        std::vector<std::unique_ptr<TestClient>> clients;
        for (int c = 0; c < 4; ++c) {
            clients.push_back(std::make_unique<TestClient>());
            ASSERT_TRUE(clients.back()->open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(base + 2))));
        }
        qint64 id = 1;
        for (int i = 0; i < 20; ++i) {
            TestClient& client = *clients[size_t(i % clients.size())];
            ASSERT_EQ(execute(client, id++, "Tessel",
                              QStringLiteral("INSERT INTO TAB_ITEM (S_NAME) VALUES ('r%1-%2')").arg(round).arg(i))
                          .value("result")
                          .toString(),
                      "OK");
            ++items;
            ASSERT_EQ(execute(client, id++, "Tessel-record",
                              QStringLiteral("INSERT INTO T_RECORD (V) VALUES ('r%1-%2')").arg(round).arg(i))
                          .value("result")
                          .toString(),
                      "OK");
            ++records;
        }
        for (auto& client : clients) {
            const QJsonObject counted = client->request(
                id++, "ExecuteQuery", {{"DbName", "Tessel"}, {"sqlexec", "SELECT count(*) AS n FROM TAB_ITEM"}});
            EXPECT_EQ(cell(counted, 0, "n").toVariant().toInt(), items);
        }
        server.signal(SIGTERM);
        ASSERT_EQ(server.waitExit(), 0) << server.log().constData();

        const QStringList files = filesIn(folders.dataDir());
        EXPECT_EQ(files.filter(QRegularExpression("-(wal|shm)$")), QStringList()) << server.log().constData();
        EXPECT_FALSE(server.log().contains("-wal is left")) << server.log().constData();
        EXPECT_EQ(rowsInFileAlone(folders.databasePath("Tessel"), "TAB_ITEM"), items);
        EXPECT_EQ(rowsInFileAlone(folders.databasePath("Tessel-record"), "T_RECORD"), records);
    }
}

/// A Unix datagram socket standing in for systemd's notification socket.
class NotifySocket
{
public:
    explicit NotifySocket(const QString& path) : m_path(QFile::encodeName(path))
    {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, m_path.constData(), sizeof(address.sun_path) - 1);
        m_bound = ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~NotifySocket() { ::close(m_fd); }
    bool bound() const { return m_bound; }

    /// Waits for a datagram; its text, or empty on timeout.
    QByteArray next()
    {
        QByteArray message;
        (void)QTest::qWaitFor(
            [&] {
                char buffer[4096];
                const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
                if (n > 0) {
                    message = QByteArray(buffer, int(n));
                }
                return !message.isEmpty();
            },
            kWaitMs);
        return message;
    }

private:
    QByteArray m_path;
    int m_fd = -1;
    bool m_bound = false;
};

/// Whether a WebSocket handshake with these headers is let in.
bool admitted(const QUrl& url, const QByteArray& origin, const QByteArray& token,
              const QSslConfiguration* tls = nullptr)
{
    QWebSocket socket;
    bool gone = false;
    QObject::connect(&socket, &QWebSocket::disconnected, [&] { gone = true; });
    QNetworkRequest request(url);
    request.setRawHeader("X-Tessel-Protocol", "1");
    if (!origin.isEmpty()) {
        request.setRawHeader("Origin", origin);
    }
    if (!token.isEmpty()) {
        request.setRawHeader("X-Tessel-Token", token);
    }
    if (tls) {
        socket.setSslConfiguration(*tls);
    }
    socket.open(request);
    (void)QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState || gone; }, kWaitMs);
    if (socket.state() != QAbstractSocket::ConnectedState) {
        return false;
    }
    // A refused handshake is closed right after the upgrade: give that a moment to arrive.
    (void)QTest::qWaitFor([&] { return gone; }, 300);
    return !gone;
}

QSslConfiguration trusting(const QString& certFile)
{
    QSslConfiguration c = QSslConfiguration::defaultConfiguration();
    c.setCaCertificates(QSslCertificate::fromPath(certFile));
    c.setPeerVerifyMode(QSslSocket::VerifyPeer);
    return c;
}

void writeSecret(const QString& path, const QByteArray& content)
{
    writeFile(path, content);
    ::chmod(QFile::encodeName(path).constData(), 0600);
}

TEST(ReloadTest, SighupReadsTheOptionsAndTheCertificateAgainAndNeverStopsTheServer)
{
    TempFolders folders;
    const QString config = folders.path("dbserver.conf");
    const QString tokenFile = folders.path("token");
    const QString publicCert = folders.path("public/server.crt");
    writeSecret(tokenFile, "first-token-0123456789");
    writeFile(config, "allow-origin = https://one.example\ntoken-file = " + tokenFile.toUtf8() +
                          "\npublic-cert = " + publicCert.toUtf8() + "\n");
    NotifySocket notify(folders.path("notify"));
    ASSERT_TRUE(notify.bound());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("NOTIFY_SOCKET", folders.path("notify"));
    ServerProcess server({"--config", config, "--data-dir", folders.dataDir(), "--schema-dir",
                          folders.schemaDir(), "--port", "0"},
                         env);
    const int base = server.waitReady();
    ASSERT_NE(base, 0) << server.log().constData();
    EXPECT_TRUE(notify.next().startsWith("READY=1\nSTATUS=tessel-dbserver listening on"));
    const QUrl plain(QStringLiteral("ws://127.0.0.1:%1").arg(base + 2));
    const QUrl tls(QStringLiteral("wss://localhost:%1").arg(base));

    // The public copy of the certificate: readable by everyone, while the key stays closed.
    const QString certFile = folders.dataDir() + "/tls/server.crt";
    EXPECT_EQ(QFileInfo(publicCert).permissions() & 0x0fff & (QFile::ReadOther | QFile::ReadGroup),
              QFile::ReadOther | QFile::ReadGroup);
    EXPECT_EQ(QSslCertificate::fromPath(publicCert), QSslCertificate::fromPath(certFile));
    EXPECT_EQ(QFileInfo(folders.dataDir() + "/tls/server.key").permissions() &
                  (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
              QFile::Permissions());

    EXPECT_TRUE(admitted(plain, "https://one.example", "first-token-0123456789"));
    EXPECT_FALSE(admitted(plain, "https://two.example", "first-token-0123456789"));
    TestClient kept;  // open across the reloads
    kept.socket.open([&] {
        QNetworkRequest r(plain);
        r.setRawHeader("X-Tessel-Token", "first-token-0123456789");
        return r;
    }());
    ASSERT_TRUE(QTest::qWaitFor([&] { return kept.socket.state() == QAbstractSocket::ConnectedState; }, kWaitMs));

    // New origin, new token and a new certificate pair.
    writeSecret(tokenFile, "second-token-0123456789");
    writeFile(config, "allow-origin = https://two.example\ntoken-file = " + tokenFile.toUtf8() +
                          "\npublic-cert = " + publicCert.toUtf8() + "\n");
    const QList<QSslCertificate> oldCert = QSslCertificate::fromPath(certFile);
    SelfSignedRequest pair = defaultSelfSignedRequest(folders.dataDir() + "/tls", QHostAddress::LocalHost);
    QString error;
    ASSERT_TRUE(createSelfSigned(pair, &error)) << qPrintable(error);
    ASSERT_NE(QSslCertificate::fromPath(certFile), oldCert);
    server.signal(SIGHUP);
    EXPECT_TRUE(notify.next().startsWith("RELOADING=1\nMONOTONIC_USEC="));
    EXPECT_EQ(notify.next(), "READY=1");
    ASSERT_TRUE(server.running()) << server.log().constData();
    EXPECT_TRUE(server.logged("reloaded: access token replaced")) << server.log().constData();

    EXPECT_TRUE(admitted(plain, "https://two.example", "second-token-0123456789"));
    EXPECT_FALSE(admitted(plain, "https://one.example", "second-token-0123456789"));
    EXPECT_FALSE(admitted(plain, "", "first-token-0123456789"));
    const QSslConfiguration trustNew = trusting(certFile);
    const QSslConfiguration trustOld = [&] {
        QSslConfiguration c = trustNew;
        c.setCaCertificates(oldCert);
        return c;
    }();
    EXPECT_TRUE(admitted(tls, "", "second-token-0123456789", &trustNew)) << server.log().constData();
    EXPECT_FALSE(admitted(tls, "", "second-token-0123456789", &trustOld));
    EXPECT_EQ(QSslCertificate::fromPath(publicCert), QSslCertificate::fromPath(certFile));
    EXPECT_EQ(cell(kept.request(1, "ExecuteQuery",
                                {{"DbName", "Tessel"}, {"sqlexec", "SELECT S_NAME FROM TAB_ITEM WHERE S_ID = 1"}}),
                   0, "S_NAME"),
              "seed");

    // A configuration that cannot be used: logged, the one in force stays, the server runs on.
    writeFile(config, "no-such-option = 1\n");
    server.signal(SIGHUP);
    EXPECT_TRUE(notify.next().startsWith("RELOADING=1"));
    EXPECT_EQ(notify.next(), "READY=1");
    ASSERT_TRUE(server.running());
    EXPECT_TRUE(server.logged("reload refused, the configuration in force stays")) << server.log().constData();
    EXPECT_TRUE(admitted(plain, "", "second-token-0123456789"));
    EXPECT_FALSE(admitted(plain, "", ""));

    // A token file others may read is refused in a reload too.
    writeFile(config, "token-file = " + tokenFile.toUtf8() + "\n");
    ::chmod(QFile::encodeName(tokenFile).constData(), 0644);
    server.signal(SIGHUP);
    EXPECT_TRUE(notify.next().startsWith("RELOADING=1"));
    EXPECT_EQ(notify.next(), "READY=1");
    EXPECT_TRUE(server.logged("is open to other users")) << server.log().constData();
    EXPECT_FALSE(admitted(plain, "https://one.example", "second-token-0123456789")) << "origins unchanged";

    server.signal(SIGTERM);
    EXPECT_EQ(notify.next(), "STOPPING=1");
    EXPECT_EQ(server.waitExit(), 0) << server.log().constData();
}

TEST(CertificateExpiryTest, WarnsWithinThirtyDaysAndAfterTheEnd)
{
    const QDateTime now = QDateTime::fromString("2030-06-01T00:00:00Z", Qt::ISODate);
    const struct
    {
        const char* name;
        qint64 secondsLeft;
        const char* expected;  // part of the warning; nullptr: none
    } cases[] = {
        {"a year left", 365 * 86400LL, nullptr},
        {"31 days left", 31 * 86400LL, nullptr},
        {"30 days left", 30 * 86400LL, "expires on 2030-07-01T00:00:00Z, in 30 days"},
        {"an hour left", 3600, "in 0 days"},
        {"ended a second ago", -1, "expired on 2030-05-31T23:59:59Z"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString warning = certificateExpiryWarning("server.crt", now.addSecs(c.secondsLeft), now);
        if (c.expected == nullptr) {
            EXPECT_TRUE(warning.isEmpty()) << qPrintable(warning);
        } else {
            EXPECT_TRUE(warning.contains(QLatin1String(c.expected))) << qPrintable(warning);
            EXPECT_TRUE(warning.contains("server.crt"));
        }
    }
    EXPECT_TRUE(certificateExpiryWarning("server.crt", QDateTime(), now).isEmpty());
}

TEST(CertificateExpiryTest, ServerWarnsAtStartAndInItsStatusAndAboutAnOpenKey)
{
    TempFolders folders;
    SelfSignedRequest pair = defaultSelfSignedRequest(folders.path("tls"), QHostAddress::LocalHost);
    pair.validDays = 10;
    QString error;
    ASSERT_TRUE(createSelfSigned(pair, &error)) << qPrintable(error);
    ::chmod(QFile::encodeName(pair.keyFile).constData(), 0604);  // a key others may read: warned about

    ServerProcess server({"--data-dir", folders.dataDir(), "--schema-dir", folders.schemaDir(), "--port", "0",
                          "--cert", pair.certFile, "--key", pair.keyFile});
    const int base = server.waitReady();
    ASSERT_NE(base, 0) << server.log().constData();
    EXPECT_TRUE(server.logged("the key " + pair.keyFile.toUtf8() + " is open to other users (mode 0604)"));
    EXPECT_TRUE(server.logged(" W tessel.server.tls: the certificate " + pair.certFile.toUtf8() + " expires on"))
        << server.log().constData();

    TestClient client;
    ASSERT_TRUE(client.open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(base + 2))));
    const QJsonObject certificate =
        client.request(1, "ServerStatus", {}).value("data").toObject().value("certificate").toObject();
    EXPECT_EQ(certificate.value("file").toString(), pair.certFile);
    EXPECT_EQ(certificate.value("daysLeft").toInt(), 9);
    EXPECT_TRUE(certificate.value("warning").toString().contains("in 9 days")) << qPrintable(
        certificate.value("warning").toString());
    server.signal(SIGTERM);
    EXPECT_EQ(server.waitExit(), 0);
}

}  // namespace
