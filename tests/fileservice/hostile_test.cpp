// The file service under hostile and careless clients: peers that hold connections open or
// trickle their bodies, web pages (cross-site requests, DNS rebinding, GETs from images),
// requests refused on their head alone, uploads past the limit with and without a declared
// length, and the permissions of what it creates.
#include "FileServer.h"
#include "FileStore.h"
#include "rawclient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

using namespace tessel::files;
using namespace tessel::files::test;

namespace {

const char kToken[] = "files-hostile-token-7d1e";

mode_t modeOf(const QString& _strPath)
{
    struct stat st;
    return ::stat(QFile::encodeName(_strPath).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

QByteArray readAll(const QString& _strPath)
{
    QFile file(_strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeAll(const QString& _strPath, const QByteArray& _baContent)
{
    QFile file(_strPath);
    return file.open(QIODevice::WriteOnly) && file.write(_baContent) == _baContent.size();
}

// Every name in the root, hidden ones included, recursively.
QStringList entriesOf(const QString& _strRoot)
{
    QStringList lstNames;
    const QDir root(_strRoot);
    std::function<void(const QString&)> walk = [&](const QString& _strDir) {
        for (const QFileInfo& info : QDir(_strDir).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                                 QDir::System | QDir::NoDotAndDotDot)) {
            lstNames << root.relativeFilePath(info.filePath());
            if (info.isDir() && !info.isSymLink()) {
                walk(info.filePath());
            }
        }
    };
    walk(_strRoot);
    lstNames.sort();
    return lstNames;
}

class FileServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_strRoot = m_dir.filePath(QStringLiteral("files"));
        ASSERT_TRUE(QDir().mkpath(m_strRoot));
        m_options.port = 0;
        m_options.token = QLatin1String(kToken);
    }
    void TearDown() override { stop(); }

    void start()
    {
        m_pStore = std::make_unique<FileStore>(m_strRoot, 0);
        m_pServer = std::make_unique<FileServer>(*m_pStore, m_options);
        QString strError;
        ASSERT_TRUE(m_pServer->bind(&strError)) << strError.toStdString();
        m_iPort = m_pServer->port();
        m_thread = std::thread([this] { m_pServer->run(); });
    }
    void stop()
    {
        if (m_pServer) {
            m_pServer->stop();
        }
        if (m_thread.joinable()) {
            m_thread.join();
        }
        m_pServer.reset();
    }

    QByteArray hostHeader() const { return "127.0.0.1:" + QByteArray::number(m_iPort); }
    Headers headers(const Headers& _extra = {}, bool _bToken = true) const
    {
        Headers all{{"Host", hostHeader()}};
        if (_bToken) {
            all.append(qMakePair(QByteArray("X-Tessel-Token"), QByteArray(kToken)));
        }
        return all + _extra;
    }
    HttpAnswer post(const QByteArray& _baTarget, const QByteArray& _baBody, const Headers& _extra = {})
    {
        return roundTrip(m_iPort, requestText("POST", _baTarget, _baBody, headers(_extra)));
    }
    QString path(const QString& _strName) const { return m_strRoot + QLatin1Char('/') + _strName; }

    QTemporaryDir m_dir;
    QString m_strRoot;
    FileServerOptions m_options;
    std::unique_ptr<FileStore> m_pStore;
    std::unique_ptr<FileServer> m_pServer;
    std::thread m_thread;
    int m_iPort = 0;
};

// Connections that send nothing, heads that never end and bodies that trickle cost the service
// no thread: a token holder is answered at once while they wait, and each is cut off at its
// time-out.
TEST_F(FileServiceTest, IdleAndTricklingPeersLeaveOthersServed)
{
    m_options.headerTimeoutMs = 3000;
    m_options.idleTimeoutMs = 1500;
    m_options.minBytesPerSecond = 4096;
    start();
    ASSERT_TRUE(writeAll(path(QStringLiteral("f.bin")), "content"));

    std::vector<std::unique_ptr<RawClient>> silent(40);
    for (auto& pClient : silent) {
        pClient = std::make_unique<RawClient>();
        ASSERT_TRUE(pClient->connect(m_iPort));
    }
    // A head that never ends, and bodies that come a byte at a time.
    RawClient endlessHead;
    ASSERT_TRUE(endlessHead.connect(m_iPort));
    ASSERT_TRUE(endlessHead.send("POST /download HTTP/1.1\r\nHost: " + hostHeader() + "\r\n"));
    std::vector<std::unique_ptr<RawClient>> tricklers(12);
    for (auto& pClient : tricklers) {
        pClient = std::make_unique<RawClient>();
        ASSERT_TRUE(pClient->connect(m_iPort));
        ASSERT_TRUE(pClient->send(requestText("POST", "/upload", "filename=t.bin\tdata={\"buf\":\"",
                                              headers({{"Content-Length", "100000"}}))));
    }
    std::atomic<bool> bTrickle{true};
    std::thread trickler([&] {
        while (bTrickle) {
            for (auto& pClient : tricklers) {
                ::send(pClient->nativeHandle(), "A", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    });

    for (int i = 0; i < 5; ++i) {
        const HttpAnswer answer = post("/download", "filename=f.bin", {});
        EXPECT_EQ(answer.status, 200) << "while peers hold connections, round " << i;
        EXPECT_TRUE(answer.body.startsWith("{\"buf\":\"Y29udGVudA==\""));
    }

    // Each kind of hold is cut off: tricklers soon after their idle time, silent ones and the
    // endless head at the head time-out.
    for (auto& pClient : tricklers) {
        EXPECT_TRUE(pClient->endsWithin(6000)) << "a trickling body is cut off";
    }
    bTrickle = false;
    trickler.join();
    EXPECT_TRUE(endlessHead.endsWithin(6000)) << "a head that never ends is cut off";
    for (auto& pClient : silent) {
        EXPECT_TRUE(pClient->endsWithin(6000)) << "a silent connection is closed";
    }
    EXPECT_EQ(post("/download", "filename=f.bin").status, 200);
}

// One address cannot take every place: past its cap it is turned away with 503 while other
// addresses are served; past the total cap everyone new is; a freed place is taken again.
TEST_F(FileServiceTest, ConnectionCapsTurnAwayTheExcess)
{
    m_options.maxConnections = 4;
    m_options.maxConnectionsPerAddress = 3;
    m_options.capLoopbackPeers = true;  // the test's peers are all loopback addresses
    start();
    std::vector<std::unique_ptr<RawClient>> held(3);
    for (auto& pClient : held) {
        pClient = std::make_unique<RawClient>();
        ASSERT_TRUE(pClient->connect(m_iPort));
    }
    const QByteArray baRequest = requestText("POST", "/mkdir?dir=d", QByteArray(), headers());
    // The accept of the held ones may still be on its way: wait until the cap shows.
    HttpAnswer refused;
    for (int i = 0; i < 50 && refused.status != 503; ++i) {
        refused = roundTrip(m_iPort, baRequest, 3000);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(refused.status, 503);
    EXPECT_EQ(refused.body, "too many connections");

    RawClient other;
    ASSERT_TRUE(other.connect(m_iPort, "127.0.0.2"));
    EXPECT_EQ(other.exchange(baRequest, 5000).status, 200) << "another address is served";
    // The kept-alive connection from 127.0.0.2 makes four: the total cap is reached.
    RawClient third;
    ASSERT_TRUE(third.connect(m_iPort, "127.0.0.3"));
    EXPECT_EQ(third.exchange(baRequest, 5000).status, 503);

    held.front()->close();
    HttpAnswer again;
    for (int i = 0; i < 50 && again.status != 200; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        RawClient client;
        ASSERT_TRUE(client.connect(m_iPort, "127.0.0.3"));
        again = client.exchange(baRequest, 3000);
    }
    EXPECT_EQ(again.status, 200) << "a freed place is taken again";
}

// A kept-alive connection serves a bounded number of requests; the last answer says so.
TEST_F(FileServiceTest, KeptAliveConnectionEndsAfterItsRequests)
{
    m_options.keepAliveMax = 3;
    start();
    RawClient client;
    ASSERT_TRUE(client.connect(m_iPort));
    const QByteArray baRequest = requestText("POST", "/mkdir?dir=k", QByteArray(), headers());
    for (int i = 1; i <= 3; ++i) {
        const HttpAnswer answer = client.exchange(baRequest, 5000);
        EXPECT_EQ(answer.status, 200) << "request " << i;
        EXPECT_EQ(answer.connection.toLower() == "close", i == 3) << "request " << i;
    }
    EXPECT_TRUE(client.endsWithin(3000));
}

struct CrossSiteCase
{
    const char* name;
    QByteArray method;
    QByteArray target;
    QByteArray body;
    Headers headers;  ///< besides the Host, unless the case gives one
    int status;
};

// Without a token (the loopback default) a web page can reach the service; whatever carries an
// Origin not let in, a Host the service does not serve, or is a GET on a changing route is
// refused and changes nothing. What a native client or an allowed console sends still works.
TEST_F(FileServiceTest, CrossSiteRequestsChangeNothing)
{
    m_options.token.clear();
    m_options.allowedOrigins = QStringList{QStringLiteral("https://console.example")};
    m_options.allowedHosts = QStringList{QStringLiteral("files.example")};
    start();
    ASSERT_TRUE(writeAll(path(QStringLiteral("keep.txt")), "keep"));
    const QByteArray baHost = hostHeader();
    const QByteArray baUpload = uploadBody("keep.txt", "replaced");
    const std::vector<CrossSiteCase> cases = {
        {"form post from a page", "POST", "/mkdir?dir=x", "", {{"Origin", "https://evil.example"}}, 403},
        {"upload from a sandboxed page", "POST", "/upload", baUpload, {{"Origin", "null"}}, 403},
        {"delete with an empty Origin", "POST", "/delete", "filename=keep.txt", {{"Origin", ""}}, 403},
        {"image GET of mkdir", "GET", "/mkdir?dir=x", "", {}, 405},
        {"GET of delete", "GET", "/delete", "filename=keep.txt", {}, 405},
        {"GET of upload", "GET", "/upload", baUpload, {}, 405},
        {"PUT of upload", "PUT", "/upload", baUpload, {}, 405},
        {"rebound name, post",
         "POST",
         "/upload",
         baUpload,
         {{"Host", "evil.example:" + baHost.mid(10)}},
         403},
        {"rebound name, read", "GET", "/download", "filename=keep.txt", {{"Host", "evil.example"}}, 403},
        {"rebound name with its Origin",
         "POST",
         "/delete",
         "filename=keep.txt",
         {{"Host", "evil.example"}, {"Origin", "http://evil.example"}},
         403},
        {"address not served", "POST", "/delete", "filename=keep.txt", {{"Host", "10.1.2.3:9600"}}, 403},
        {"no Host", "POST", "/delete", "filename=keep.txt", {{"Host", ""}}, 403},
    };
    for (const CrossSiteCase& c : cases) {
        Headers all = c.headers;
        bool bHost = false;
        for (auto& header : all) {
            bHost = bHost || header.first == "Host";
        }
        if (!bHost) {
            all.prepend({"Host", baHost});
        }
        Headers sent;
        for (const auto& header : all) {
            if (!(header.first == "Host" && header.second.isEmpty())) {
                sent.append(header);
            }
        }
        const HttpAnswer answer = roundTrip(m_iPort, requestText(c.method, c.target, c.body, sent));
        EXPECT_EQ(answer.status, c.status) << c.name << ": " << answer.body.toStdString();
        if (c.status == 405) {
            EXPECT_EQ(answer.allow, "POST") << c.name;
        }
    }
    EXPECT_EQ(entriesOf(m_strRoot), QStringList{QStringLiteral("keep.txt")}) << "nothing changed";
    EXPECT_EQ(readAll(path(QStringLiteral("keep.txt"))), "keep");

    // What is let in: no Origin, an allowed Origin, localhost, a named host, a GET of a read.
    const std::vector<CrossSiteCase> allowed = {
        {"native client", "POST", "/mkdir?dir=a", "", {{"Host", baHost}}, 200},
        {"allowed console",
         "POST",
         "/mkdir?dir=b",
         "",
         {{"Host", baHost}, {"Origin", "https://Console.example/"}},
         200},
        {"localhost", "POST", "/mkdir?dir=c", "", {{"Host", "localhost:9600"}}, 200},
        {"allowed name", "POST", "/mkdir?dir=d", "", {{"Host", "files.example"}}, 200},
        {"GET of download", "GET", "/download", "filename=keep.txt", {{"Host", baHost}}, 200},
    };
    for (const CrossSiteCase& c : allowed) {
        const HttpAnswer answer = roundTrip(m_iPort, requestText(c.method, c.target, c.body, c.headers));
        EXPECT_EQ(answer.status, c.status) << c.name << ": " << answer.body.toStdString();
    }
    EXPECT_EQ(entriesOf(m_strRoot), (QStringList{"a", "b", "c", "d", "keep.txt"}));
}

TEST(FileServiceHost, HostMustNameWhatIsServed)
{
    const QStringList lstNamed{QStringLiteral("files.example")};
    const struct
    {
        const char* host;
        const char* listen;
        bool allowed;
    } cases[] = {
        {"127.0.0.1:9600", "127.0.0.1", true},
        {"127.0.0.1", "127.0.0.1", true},
        {"127.4.5.6:9600", "127.0.0.1", true},  // every loopback address is this host
        {"[::1]:9600", "127.0.0.1", true},
        {"localhost:9600", "127.0.0.1", true},
        {"LocalHost.", "127.0.0.1", true},
        {"files.example:9600", "127.0.0.1", true},
        {"evil.example:9600", "127.0.0.1", false},
        {"10.0.0.1:9600", "127.0.0.1", false},
        {"", "127.0.0.1", false},
        {":9600", "127.0.0.1", false},
        {"[::1", "127.0.0.1", false},
        {"[::1]x", "127.0.0.1", false},
        {"192.168.1.5:9600", "0.0.0.0", true},
        {"localhost", "0.0.0.0", true},
        {"evil.example", "0.0.0.0", false},
        {"192.168.1.5", "192.168.1.5", true},
        {"192.168.1.6", "192.168.1.5", false},
        {"127.0.0.1", "192.168.1.5", false},
        {"localhost", "192.168.1.5", false},
        {"files.example", "192.168.1.5", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hostAllowed(QLatin1String(c.host), QLatin1String(c.listen), lstNamed), c.allowed)
            << c.host << " on " << c.listen;
    }
}

struct HeadCase
{
    const char* name;
    QByteArray target;
    Headers headers;  ///< the Host is added
    int status;
};

// The head alone decides: a refused request is answered while its (huge) body has not been
// sent, and nothing of it is stored.
TEST_F(FileServiceTest, RefusedHeadsAreAnsweredBeforeTheBody)
{
    m_options.maxRequestBytes = 80 * 1024 * 1024;
    m_options.allowedOrigins = QStringList{QStringLiteral("https://console.example")};
    start();
    const QByteArray baHuge = QByteArray::number(200 * 1024 * 1024);
    const std::vector<HeadCase> cases = {
        {"no token", "/upload", {{"Content-Length", baHuge}}, 401},
        {"wrong token", "/upload", {{"Content-Length", baHuge}, {"X-Tessel-Token", "guess"}}, 401},
        {"page origin",
         "/upload",
         {{"Content-Length", baHuge}, {"X-Tessel-Token", kToken}, {"Origin", "https://evil.example"}},
         403},
        {"over the limit", "/upload", {{"Content-Length", baHuge}, {"X-Tessel-Token", kToken}}, 413},
        {"small route over its limit",
         "/delete",
         {{"Content-Length", "2000000"}, {"X-Tessel-Token", kToken}},
         413},
        {"unknown route", "/format", {{"Content-Length", baHuge}, {"X-Tessel-Token", kToken}}, 404},
    };
    for (const HeadCase& c : cases) {
        RawClient client;
        ASSERT_TRUE(client.connect(m_iPort));
        Headers all{{"Host", hostHeader()}};
        all += c.headers;
        const HttpAnswer answer = client.exchange(requestText("POST", c.target, QByteArray(), all), 5000);
        EXPECT_EQ(answer.status, c.status) << c.name << ": " << answer.body.toStdString();
        EXPECT_EQ(answer.connection.toLower(), "close") << c.name;
    }
    const HttpAnswer tooLarge = roundTrip(
        m_iPort, requestText("POST", "/upload", QByteArray(), headers({{"Content-Length", baHuge}})), 5000);
    EXPECT_EQ(tooLarge.body, "request too large (limit 83886080 bytes)");
    EXPECT_TRUE(entriesOf(m_strRoot).isEmpty());
}

// "Expect: 100-continue": the go-ahead comes only after the head passed, then the body.
TEST_F(FileServiceTest, ContinueIsSentOnlyToAcceptedHeads)
{
    start();
    const QByteArray baBody = uploadBody("c.bin", "continued");
    RawClient refused;
    ASSERT_TRUE(refused.connect(m_iPort));
    const HttpAnswer answer =
        refused.exchange(requestText("POST", "/upload", QByteArray(),
                                     {{"Host", hostHeader()},
                                      {"Expect", "100-continue"},
                                      {"Content-Length", QByteArray::number(baBody.size())}}),
                         5000);
    EXPECT_EQ(answer.status, 401);

    RawClient accepted;
    ASSERT_TRUE(accepted.connect(m_iPort));
    const HttpAnswer go = accepted.exchange(
        requestText(
            "POST", "/upload", QByteArray(),
            headers({{"Expect", "100-continue"}, {"Content-Length", QByteArray::number(baBody.size())}})),
        5000);
    EXPECT_EQ(go.status, 100);
    EXPECT_EQ(accepted.exchange(baBody, 5000).status, 200);
    EXPECT_EQ(readAll(path(QStringLiteral("c.bin"))), "continued");
}

// A body without a declared length stops at the limit: 413, nothing stored, the old file kept,
// and no spool left behind; the same upload within the limit is stored.
TEST_F(FileServiceTest, ChunkedUploadPastTheLimitWritesNothing)
{
    m_options.maxRequestBytes = 1024 * 1024;
    start();
    ASSERT_TRUE(writeAll(path(QStringLiteral("old.bin")), "old"));
    QByteArray baBig(900 * 1024, '\0');
    for (int i = 0; i < baBig.size(); ++i) {
        baBig[i] = static_cast<char>(i * 7);
    }
    const HttpAnswer over = roundTrip(
        m_iPort, requestText("POST", "/upload", uploadBody("old.bin", baBig), headers(), true, 32 * 1024),
        10000);
    EXPECT_EQ(over.status, 413);
    EXPECT_EQ(over.body, "request too large (limit 1048576 bytes)");
    const HttpAnswer overNew = roundTrip(
        m_iPort, requestText("POST", "/upload", uploadBody("new.bin", baBig), headers(), true, 32 * 1024),
        10000);
    EXPECT_EQ(overNew.status, 413);
    EXPECT_EQ(entriesOf(m_strRoot), QStringList{QStringLiteral("old.bin")});
    EXPECT_EQ(readAll(path(QStringLiteral("old.bin"))), "old");

    const QByteArray baFits = baBig.left(600 * 1024);
    EXPECT_EQ(roundTrip(m_iPort, requestText("POST", "/upload", uploadBody("old.bin", baFits), headers(),
                                             true, 32 * 1024))
                  .status,
              200);
    EXPECT_EQ(readAll(path(QStringLiteral("old.bin"))), baFits);
}

// What the service makes is its owner's alone, whatever the umask: folders 0700, files 0600,
// a replaced file too.
TEST_F(FileServiceTest, CreatedFilesAndFoldersAreTheOwnersAlone)
{
    const mode_t oldMask = ::umask(022);
    start();
    ASSERT_TRUE(writeAll(path(QStringLiteral("open.txt")), "open"));
    ASSERT_TRUE(QFile::setPermissions(
        path(QStringLiteral("open.txt")),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    EXPECT_EQ(post("/mkdir?dir=a/b/c", QByteArray()).status, 200);
    EXPECT_EQ(post("/upload", uploadBody("a/b/new.bin", "new")).status, 200);
    EXPECT_EQ(post("/upload", uploadBody("open.txt", "replaced")).status, 200);
    FileStore store(m_strRoot, 0);
    EXPECT_EQ(store.upload(QStringLiteral("a/direct.bin"), "direct").status, 200);
    ::umask(oldMask);

    for (const char* pszFolder : {"a", "a/b", "a/b/c"}) {
        EXPECT_EQ(modeOf(path(QLatin1String(pszFolder))), 0700u) << pszFolder;
    }
    for (const char* pszFile : {"a/b/new.bin", "open.txt", "a/direct.bin"}) {
        EXPECT_EQ(modeOf(path(QLatin1String(pszFile))), 0600u) << pszFile;
    }
    EXPECT_EQ(readAll(path(QStringLiteral("open.txt"))), "replaced");
}

}  // namespace
