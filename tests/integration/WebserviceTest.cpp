// File operations through the mediator against the real tessel-fileserver: round trips of
// binary, empty and large files, renames, deletes and folders, the replies the mediator judges
// and logs, the service's refusal of paths that leave its root, folder names with URL
// characters, the refusal of a URL that does not fit, a slowly stored large upload, the
// free-space threshold, the request size limit and the access token.
#include "CLS_DataMediator.h"
#include "IntegrationFixture.h"
#include "LogCapture.h"
#include "MediatorTestAccess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

const int kFilePort = 9600;
const char kToken[] = "itfiles01-token-5f0c2a";

// A loopback address of its own for each service, so that every one can take the fixed port.
QString freeLoopbackAddress()
{
    for (int iTry = 0; iTry < 200; ++iTry) {
        const quint32 uRandom = QRandomGenerator::global()->generate();
        const QString strAddress = QStringLiteral("127.%1.%2.%3")
                                       .arg(1 + uRandom % 250)
                                       .arg((uRandom >> 8) % 256)
                                       .arg(1 + (uRandom >> 16) % 250);
        QTcpServer probe;
        if (probe.listen(QHostAddress(strAddress), kFilePort)) {
            return strAddress;
        }
    }
    return QString();
}

// One tessel-fileserver over a temporary root.
class FileService
{
public:
    /// _strToken empty: no token asked for.
    bool start(const QStringList& _lstExtraArgs = {}, const QString& _strToken = QLatin1String(kToken))
    {
        m_strAddress = freeLoopbackAddress();
        if (m_strAddress.isEmpty() || !m_dirData.isValid()) {
            return false;
        }
        QDir(m_dirData.path()).mkpath(QStringLiteral("files"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("TESSEL_SERVER_TOKEN"));
        if (!_strToken.isEmpty()) {
            environment.insert(QStringLiteral("TESSEL_SERVER_TOKEN"), _strToken);
        }
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(binary(), QStringList{"--root", root(), "--listen", m_strAddress, "--min-free-mb", "0"}
                                      << _lstExtraArgs);
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 20000 && m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(100);
            m_strOutput += QString::fromUtf8(m_process.readAll());
            if (m_strOutput.contains(QLatin1String("listening"))) {
                return true;
            }
        }
        m_strOutput += QString::fromUtf8(m_process.readAll());
        return false;
    }
    ~FileService()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(10000)) {
                m_process.kill();
                m_process.waitForFinished(5000);
            }
        }
    }
    static QString binary() { return QCoreApplication::applicationDirPath() + QStringLiteral("/tessel-fileserver"); }
    QString address() const { return m_strAddress; }
    QString root() const { return m_dirData.path() + QStringLiteral("/files"); }
    QString dataDir() const { return m_dirData.path(); }
    QString output() const { return m_strOutput; }

private:
    QTemporaryDir m_dirData;
    QProcess m_process;
    QString m_strAddress;
    QString m_strOutput;
};

// Points a mediator at _strHost the way start-up does: through DbServerConfig.json in the
// application directory (put back as it was afterwards).
bool pointMediatorAt(CLS_DataMediator& _mediator, const QString& _strHost)
{
    const QString strPath = QCoreApplication::applicationDirPath() + QStringLiteral("/DbServerConfig.json");
    QFile file(strPath);
    const bool bExisted = file.exists();
    QByteArray baOld;
    if (bExisted && file.open(QIODevice::ReadOnly)) {
        baOld = file.readAll();
        file.close();
    }
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    file.write(QStringLiteral(R"({"server_ip":"%1","server_port":9562})").arg(_strHost).toUtf8());
    file.close();
    QString strIp;
    int iPort = 0;
    const int iRet = CLS_DataMediatorTestAccess::config(_mediator, strIp, iPort);
    if (bExisted) {
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(baOld);
        file.close();
    } else {
        file.remove();
    }
    return iRet == 0 && strIp == _strHost;
}

QByteArray readFile(const QString& _strPath)
{
    QFile file(_strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString& _strPath, const QByteArray& _baContent)
{
    QFile file(_strPath);
    return file.open(QIODevice::WriteOnly) && file.write(_baContent) == _baContent.size();
}

QStringList entriesOf(const QString& _strDir)
{
    return QDir(_strDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                   QDir::Name);
}

// The main service (with the access token, which this process sends) and a mediator for it.
class WebserviceTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // The worker reads the token with the channel's configuration on its first request.
        qputenv("TESSEL_WS_TOKEN", kToken);
        s_pService = new FileService;
        ASSERT_TRUE(s_pService->start()) << s_pService->output().toStdString();
    }
    static void TearDownTestSuite()
    {
        delete s_pService;
        s_pService = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_pService != nullptr);
        ASSERT_TRUE(pointMediatorAt(m_mediator, s_pService->address()));
        ASSERT_TRUE(m_dirLocal.isValid());
        m_strRoot = s_pService->root();
    }
    void TearDown() override
    {
        // Each case starts from an empty root.
        QDir root(m_strRoot);
        for (const QString& strEntry : entriesOf(m_strRoot)) {
            QFileInfo info(root.filePath(strEntry));
            if (info.isDir() && !info.isSymLink()) {
                QDir(info.filePath()).removeRecursively();
            } else {
                QFile::remove(info.filePath());
            }
        }
    }
    QString local(const QString& _strName) const { return m_dirLocal.filePath(_strName); }

    static FileService* s_pService;
    CLS_DataMediator m_mediator;
    QTemporaryDir m_dirLocal;
    QString m_strRoot;
};

FileService* WebserviceTest::s_pService = nullptr;

struct RoundTripCase
{
    const char* name;
    QByteArray content;
};

QByteArray everyByteValue()
{
    QByteArray ba;
    for (int i = 0; i < 512; ++i) {
        ba.append(static_cast<char>(i % 256));
    }
    return ba;
}

QByteArray randomBytes(int _iSize)
{
    QByteArray ba(_iSize, '\0');
    QRandomGenerator generator(22);
    for (int i = 0; i < _iSize; ++i) {
        ba[i] = static_cast<char>(generator.bounded(256));
    }
    return ba;
}

TEST_F(WebserviceTest, UploadThenDownloadGivesTheSameBytes)
{
    const RoundTripCase cases[] = {
        {"binary", everyByteValue()},
        {"empty", QByteArray()},
        {"threeBytes", QByteArray("\x00\xff\n", 3)},
        {"sixMiB", randomBytes(6 * 1024 * 1024 + 5)},
    };
    for (const RoundTripCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString strName = QStringLiteral("%1.bin").arg(QLatin1String(c.name));
        ASSERT_TRUE(writeFile(local(strName), c.content));
        ASSERT_EQ(m_mediator.WebserviceUploadFile(strName, local(strName)), 0);
        EXPECT_EQ(readFile(m_strRoot + "/" + strName), c.content);

        QString strContent = QStringLiteral("<untouched>");
        ASSERT_EQ(m_mediator.WebserviceDownloadFile(strName, strContent), 0);
        EXPECT_EQ(strContent, QString::fromLatin1(c.content.toBase64()));
        EXPECT_EQ(QByteArray::fromBase64(strContent.toLatin1()), c.content);
    }
    // Written through a temporary file and a rename: nothing else is left in the folder.
    EXPECT_EQ(entriesOf(m_strRoot),
              (QStringList{"binary.bin", "empty.bin", "sixMiB.bin", "threeBytes.bin"}));
}

TEST_F(WebserviceTest, UploadReplacesAndWritesIntoFolders)
{
    ASSERT_TRUE(writeFile(local("v1"), "first version, longer than the second"));
    ASSERT_TRUE(writeFile(local("v2"), "second"));
    ASSERT_EQ(m_mediator.WebserviceCreateDir(QStringLiteral("pictures/2026/12")), 0);
    EXPECT_TRUE(QFileInfo(m_strRoot + "/pictures/2026/12").isDir());
    ASSERT_EQ(m_mediator.WebserviceCreateDir(QStringLiteral("pictures/2026/12")), 0) << "an existing folder is success";

    ASSERT_EQ(m_mediator.WebserviceUploadFile("pictures/2026/12/snap one.jpg", local("v1")), 0);
    ASSERT_EQ(m_mediator.WebserviceUploadFile("pictures/2026/12/snap one.jpg", local("v2")), 0);
    EXPECT_EQ(readFile(m_strRoot + "/pictures/2026/12/snap one.jpg"), QByteArray("second"));
    EXPECT_EQ(entriesOf(m_strRoot + "/pictures/2026/12"), QStringList{"snap one.jpg"});
}

TEST_F(WebserviceTest, UploadOfALocalFileThatCannotBeReadSendsNothing)
{
    ASSERT_TRUE(writeFile(m_strRoot + "/kept.bin", "old content"));
    ASSERT_TRUE(QDir(m_dirLocal.path()).mkdir("aFolder"));
    const struct
    {
        const char* name;
        QString local;
    } cases[] = {
        {"missing", local("does-not-exist")},
        {"emptyPath", QString()},
        {"folder", local("aFolder")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        EXPECT_EQ(m_mediator.WebserviceUploadFile("kept.bin", c.local), -1);
        EXPECT_TRUE(log.hasPart(3, "CLS_DataMediator::WebserviceUploadFile cannot"))
            << log.dump().toStdString();
        EXPECT_FALSE(log.hasPart(1, "CLS_DataMediator::WebserviceUploadFile SerPath="))
            << "no request went out";
        EXPECT_EQ(readFile(m_strRoot + "/kept.bin"), QByteArray("old content"));
        EXPECT_EQ(m_mediator.WebserviceUploadFile("new.bin", c.local), -1);
    }
    EXPECT_EQ(entriesOf(m_strRoot), QStringList{"kept.bin"});
}

TEST_F(WebserviceTest, RenameAndDelete)
{
    ASSERT_TRUE(writeFile(m_strRoot + "/a.txt", "A"));
    LogCapture log;
    EXPECT_EQ(m_mediator.WebserviceRename("a.txt", "a.txt"), 0) << "onto itself: \"file is the same file\"";
    EXPECT_EQ(m_mediator.WebserviceRename("./a.txt", "a.txt"), 0) << "the same file by another spelling";
    EXPECT_EQ(readFile(m_strRoot + "/a.txt"), QByteArray("A"));

    ASSERT_EQ(m_mediator.WebserviceCreateDir("sub"), 0);
    EXPECT_EQ(m_mediator.WebserviceRename("a.txt", "sub/b.txt"), 0);
    EXPECT_FALSE(QFile::exists(m_strRoot + "/a.txt"));
    EXPECT_EQ(readFile(m_strRoot + "/sub/b.txt"), QByteArray("A"));

    // An existing target is never replaced.
    ASSERT_TRUE(writeFile(m_strRoot + "/c.txt", "C"));
    EXPECT_EQ(m_mediator.WebserviceRename("c.txt", "sub/b.txt"), -1);
    EXPECT_EQ(readFile(m_strRoot + "/sub/b.txt"), QByteArray("A"));
    EXPECT_EQ(readFile(m_strRoot + "/c.txt"), QByteArray("C"));
    EXPECT_EQ(m_mediator.WebserviceRename("gone.txt", "x.txt"), -1);
    EXPECT_TRUE(log.has(2, "CLS_DataMediator::WebserviceRename qstrRet=file not exists")) << log.dump().toStdString();

    EXPECT_EQ(m_mediator.WebserviceDelFile("sub"), -1) << "a folder that is not empty stays";
    EXPECT_EQ(m_mediator.WebserviceDelFile("sub/b.txt"), 0);
    EXPECT_FALSE(QFile::exists(m_strRoot + "/sub/b.txt"));
    EXPECT_EQ(m_mediator.WebserviceDelFile("sub"), 0);
    EXPECT_FALSE(QFileInfo::exists(m_strRoot + "/sub"));
    log.clear();
    EXPECT_EQ(m_mediator.WebserviceDelFile("sub/b.txt"), -1);
    EXPECT_TRUE(log.has(2, "CLS_DataMediator::WebserviceDelFile qstrRet=file not exists")) << log.dump().toStdString();
}

TEST_F(WebserviceTest, RepliesThatAreNotSuccessFailWithTheirLogLines)
{
    ASSERT_TRUE(writeFile(local("f"), "F"));
    ASSERT_TRUE(writeFile(m_strRoot + "/plain", "a file, not a folder"));
    LogCapture log;
    // A reply that is not JSON.
    QString strContent = QStringLiteral("<untouched>");
    EXPECT_EQ(m_mediator.WebserviceDownloadFile("missing.bin", strContent), -1);
    EXPECT_EQ(strContent, QStringLiteral("<untouched>"));
    EXPECT_TRUE(log.has(2, "CLS_DataMediator::WebserviceDownloadFile qstrRet[file not exists]")) << log.dump().toStdString();

    EXPECT_EQ(m_mediator.WebserviceUploadFile("no/such/dir/f", local("f")), -1);
    EXPECT_TRUE(log.has(2, "CLS_DataMediator::WebserviceUploadFile qstrRet=dir not exists")) << log.dump().toStdString();
    EXPECT_EQ(m_mediator.WebserviceUploadFile("plain/f", local("f")), -1);
    EXPECT_TRUE(log.has(2, "CLS_DataMediator::WebserviceUploadFile qstrRet=dir not find")) << log.dump().toStdString();
    // Any other reply than "ok" is logged at level 3.
    ASSERT_EQ(m_mediator.WebserviceCreateDir("folder"), 0);
    EXPECT_EQ(m_mediator.WebserviceUploadFile("folder", local("f")), -1);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::WebserviceUploadFile qstrRet=a folder has this name (folder)"))
        << log.dump().toStdString();
    EXPECT_TRUE(log.has(1, "CLS_DataMediator::WebserviceUploadFile SerPath=folder")) << log.dump().toStdString();
    EXPECT_EQ(m_mediator.WebserviceCreateDir("plain"), -1);
    EXPECT_TRUE(log.hasPart(2, "CLS_DataMediator::WebserviceCreateDir qstrRet=")) << log.dump().toStdString();
    EXPECT_EQ(readFile(m_strRoot + "/plain"), QByteArray("a file, not a folder"));
}

TEST_F(WebserviceTest, PathsLeavingTheRootAreRefused)
{
    QTemporaryDir outside;
    ASSERT_TRUE(outside.isValid());
    ASSERT_TRUE(writeFile(outside.filePath("secret"), "outside the root"));
    ASSERT_TRUE(QFile::link(outside.path(), m_strRoot + "/linkOut"));
    ASSERT_TRUE(QFile::link(outside.filePath("secret"), m_strRoot + "/secretLink"));
    ASSERT_TRUE(writeFile(m_strRoot + "/inside.txt", "inside"));
    ASSERT_TRUE(QFile::link(m_strRoot + "/inside.txt", m_strRoot + "/linkIn"));
    ASSERT_TRUE(writeFile(local("payload"), "payload"));
    const QString strOutsideName = QFileInfo(outside.path()).fileName();

    const char* const escaping[] = {"../escaped.txt", "a/../../escaped.txt", "/tmp/escaped.txt",
                                    "linkOut/escaped.txt", "secretLink", "linkOut/secret", ".."};
    for (const char* pszPath : escaping) {
        SCOPED_TRACE(pszPath);
        LogCapture log;
        EXPECT_EQ(m_mediator.WebserviceUploadFile(pszPath, local("payload")), -1);
        EXPECT_TRUE(log.hasPart(3, "CLS_DataMediator::WebserviceUploadFile qstrRet=path refused")) << log.dump().toStdString();
        QString strContent;
        EXPECT_EQ(m_mediator.WebserviceDownloadFile(pszPath, strContent), -1);
        EXPECT_EQ(m_mediator.WebserviceDelFile(pszPath), -1);
        EXPECT_EQ(m_mediator.WebserviceRename("inside.txt", pszPath), -1);
        EXPECT_EQ(m_mediator.WebserviceRename(pszPath, "taken.txt"), -1);
        EXPECT_EQ(m_mediator.WebserviceCreateDir(QString(pszPath) + "/made"), -1);
    }
    EXPECT_EQ(entriesOf(outside.path()), QStringList{"secret"});
    EXPECT_EQ(readFile(outside.filePath("secret")), QByteArray("outside the root"));
    EXPECT_FALSE(QFile::exists(QFileInfo(m_strRoot).dir().filePath("escaped.txt")));
    EXPECT_FALSE(QFile::exists(m_strRoot + "/taken.txt"));
    EXPECT_EQ(readFile(m_strRoot + "/inside.txt"), QByteArray("inside"));
    Q_UNUSED(strOutsideName);

    // The root itself is not a file to replace, delete or move.
    for (const char* pszRoot : {".", "./", "a/.."}) {
        SCOPED_TRACE(pszRoot);
        EXPECT_EQ(m_mediator.WebserviceUploadFile(pszRoot, local("payload")), -1);
        EXPECT_EQ(m_mediator.WebserviceDelFile(pszRoot), -1);
        EXPECT_EQ(m_mediator.WebserviceRename(pszRoot, "moved"), -1);
    }
    EXPECT_TRUE(QFileInfo(m_strRoot).isDir());
    EXPECT_FALSE(QFileInfo::exists(m_strRoot + "/moved"));

    // A link that stays inside the root is followed.
    QString strContent;
    ASSERT_EQ(m_mediator.WebserviceDownloadFile("linkIn", strContent), 0);
    EXPECT_EQ(QByteArray::fromBase64(strContent.toLatin1()), QByteArray("inside"));
}

TEST_F(WebserviceTest, FolderNamesArriveAsTheyStand)
{
    // Characters that mean something in a URL or its query, and text beyond ASCII.
    const QStringList lstNames{
        "a#b",         "c&d=e", "p%41q",      "plus+sign",
        "two  blanks", "q?r",   "semi;colon", QStringLiteral("caf\u00e9 \u5317\u4eac")};
    for (const QString& strName : lstNames) {
        SCOPED_TRACE(strName.toStdString());
        EXPECT_EQ(m_mediator.WebserviceCreateDir("mk/" + strName), 0);
        EXPECT_TRUE(QFileInfo(m_strRoot + "/mk/" + strName).isDir());
    }
    QStringList lstExpected = lstNames;
    lstExpected.sort();
    QStringList lstMade = entriesOf(m_strRoot + "/mk");
    lstMade.sort();
    EXPECT_EQ(lstMade.join('|').toStdString(), lstExpected.join('|').toStdString());
    EXPECT_EQ(entriesOf(m_strRoot), QStringList{"mk"});
}

TEST_F(WebserviceTest, AUrlThatDoesNotFitIsRefusedWhole)
{
    // "http://<address>:9600/mkdir?dir=" then the name: 259 bytes fit, 260 do not.
    const int iPrefix =
        QStringLiteral("http://%1:9600/mkdir?dir=").arg(s_pService->address()).toUtf8().size();
    const QString strFits(259 - iPrefix, QLatin1Char('d'));
    ASSERT_EQ(m_mediator.WebserviceCreateDir(strFits), 0);
    EXPECT_EQ(entriesOf(m_strRoot), QStringList{strFits});

    const struct
    {
        const char* name;
        QString path;
        int bytes;
    } cases[] = {
        {"oneByteOver", QString(260 - iPrefix, QLatin1Char('e')), 260},
        // Each of these takes six bytes once encoded; the old cut fell inside one.
        {"multiByte", QString(150, QChar(0x00e9)), iPrefix + 900},
        {"far", QString(1000, QLatin1Char('f')), iPrefix + 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        EXPECT_EQ(m_mediator.WebserviceCreateDir(c.path), -1);
        EXPECT_TRUE(log.has(
            3, QStringLiteral("CLS_DataMediator::WebserviceCreateDir URL too long (%1 bytes, at most 259)")
                   .arg(c.bytes)))
            << log.dump().toStdString();
    }
    EXPECT_EQ(entriesOf(m_strRoot), QStringList{strFits});
}

TEST_F(WebserviceTest, ArgumentChecksAndNoAnswer)
{
    struct Case
    {
        const char* name;
        std::function<int(CLS_DataMediator&)> call;
        int level;
        const char* message;
    };
    const auto expectEach = [](CLS_DataMediator& _mediator, const std::vector<Case>& _vecCases) {
        for (const Case& c : _vecCases) {
            SCOPED_TRACE(c.name);
            LogCapture log;
            EXPECT_EQ(c.call(_mediator), -1);
            EXPECT_TRUE(log.has(c.level, c.message)) << log.dump().toStdString();
        }
    };
    QString strContent;
    expectEach(m_mediator, {
        {"uploadPath", [](CLS_DataMediator& m) { return m.WebserviceUploadFile(QString(), "x"); }, 3,
         "CLS_DataMediator::WebserviceUploadFile _qstrSerPath isEmpty"},
        {"downloadPath", [&](CLS_DataMediator& m) { return m.WebserviceDownloadFile(QString(), strContent); }, 2,
         "CLS_DataMediator::WebserviceDownloadFile _qstrSerPath isEmpty"},
        {"deletePath", [](CLS_DataMediator& m) { return m.WebserviceDelFile(QString()); }, 2,
         "CLS_DataMediator::WebserviceDelFile _qstrSerPath isEmpty"},
        {"renameOld", [](CLS_DataMediator& m) { return m.WebserviceRename(QString(), "n"); }, 3,
         "CLS_DataMediator::WebserviceRename _qstrOldPath.isEmpty"},
        {"renameNew", [](CLS_DataMediator& m) { return m.WebserviceRename("o", QString()); }, 3,
         "CLS_DataMediator::WebserviceRename _qstrNewPath.isEmpty"},
        {"mkdirPath", [](CLS_DataMediator& m) { return m.WebserviceCreateDir(QString()); }, 2,
         "CLS_DataMediator::WebserviceCreateDir _qstrSerPath isEmpty"},
    });

    // A mediator that has not read the configuration has no host.
    CLS_DataMediator idle;
    expectEach(idle, {
        {"upload", [](CLS_DataMediator& m) { return m.WebserviceUploadFile("f", "x"); }, 3,
         "CLS_DataMediator::WebserviceUploadFile m_qstrSerIp isEmpty"},
        {"delete", [](CLS_DataMediator& m) { return m.WebserviceDelFile("f"); }, 2,
         "CLS_DataMediator::WebserviceDelFile m_qstrSerIp isEmpty"},
        {"mkdir", [](CLS_DataMediator& m) { return m.WebserviceCreateDir("d"); }, 2,
         "CLS_DataMediator::WebserviceCreateDir m_qstrSerIp isEmpty"},
        // Download and rename go out with an empty host name and get no answer.
        {"download", [&](CLS_DataMediator& m) { return m.WebserviceDownloadFile("f", strContent); }, 2,
         "CLS_DataMediator::WebserviceDownloadFile pcResult nullptr pcUrl=http://:9600/download, pcParam=filename=f"},
        {"rename", [](CLS_DataMediator& m) { return m.WebserviceRename("o", "n"); }, 2,
         "CLS_DataMediator::WebserviceRename pcResult nullptr"},
    });

    // Nothing listens on this address: no answer for any operation.
    const QString strSilent = freeLoopbackAddress();
    ASSERT_FALSE(strSilent.isEmpty());
    CLS_DataMediator unanswered;
    ASSERT_TRUE(pointMediatorAt(unanswered, strSilent));
    ASSERT_TRUE(writeFile(local("f"), "F"));
    LogCapture log;
    EXPECT_EQ(unanswered.WebserviceUploadFile("f", local("f")), -1);
    EXPECT_EQ(unanswered.WebserviceDelFile("f"), -1);
    EXPECT_EQ(unanswered.WebserviceCreateDir("d"), -1);
    for (const char* pszOperation : {"WebserviceUploadFile", "WebserviceDelFile", "WebserviceCreateDir"}) {
        EXPECT_TRUE(log.has(2, QStringLiteral("CLS_DataMediator::%1 pcResult nullptr").arg(pszOperation)))
            << pszOperation << "\n" << log.dump().toStdString();
    }
}

TEST_F(WebserviceTest, AServerThatNeverAnswersTimesOut)
{
    // The kernel accepts the connection; nobody ever reads or answers.
    QTcpServer silent;
    const QString strAddress = freeLoopbackAddress();
    ASSERT_TRUE(silent.listen(QHostAddress(strAddress), kFilePort));
    CLS_DataMediator mediator;
    ASSERT_TRUE(pointMediatorAt(mediator, strAddress));
    LogCapture log;
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(mediator.WebserviceDelFile("f"), -1);
    EXPECT_GE(timer.elapsed(), 4500);
    EXPECT_LT(timer.elapsed(), 60000);
    EXPECT_TRUE(log.has(2, "CLS_DataMediator::WebserviceDelFile pcResult nullptr")) << log.dump().toStdString();
}

// A service that takes its time to store a large upload: it reads the whole request, then
// answers "ok" only after _iDelayMs, as a busy storage host does after decoding and writing.
class SlowStore
{
public:
    explicit SlowStore(int _iDelayMs) : m_iDelayMs(_iDelayMs)
    {
        m_server.Post("/upload", [this](const httplib::Request& _request, httplib::Response& _response) {
            m_nBodyBytes = _request.body.size();
            std::this_thread::sleep_for(std::chrono::milliseconds(m_iDelayMs));
            _response.set_content("ok", "text/plain");
        });
    }
    bool start()
    {
        m_strAddress = freeLoopbackAddress();
        if (m_strAddress.isEmpty() || !m_server.bind_to_port(m_strAddress.toStdString(), kFilePort)) {
            return false;
        }
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        return true;
    }
    ~SlowStore()
    {
        m_server.stop();
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    QString address() const { return m_strAddress; }
    std::size_t bodyBytes() const { return m_nBodyBytes; }

private:
    int m_iDelayMs;
    httplib::Server m_server;
    std::thread m_thread;
    QString m_strAddress;
    std::atomic<std::size_t> m_nBodyBytes{0};
};

TEST_F(WebserviceTest, ALargeUploadThatIsStoredSlowlyIsASuccess)
{
    // 24 MiB go out as about 32 MiB of Base64; the reply comes 8 s after the last byte, longer
    // than the 5 s time-out of a small request but well inside the wait a body that size earns.
    const QByteArray baLarge = randomBytes(24 * 1024 * 1024);
    ASSERT_TRUE(writeFile(local("large.bin"), baLarge));
    SlowStore slow(8000);
    ASSERT_TRUE(slow.start());
    CLS_DataMediator toSlow;
    ASSERT_TRUE(pointMediatorAt(toSlow, slow.address()));
    LogCapture log;
    EXPECT_EQ(toSlow.WebserviceUploadFile("large.bin", local("large.bin")), 0) << log.dump().toStdString();
    EXPECT_GT(slow.bodyBytes(), static_cast<std::size_t>(baLarge.size()));

    // The same file through the real service arrives whole.
    ASSERT_EQ(m_mediator.WebserviceUploadFile("large.bin", local("large.bin")), 0);
    EXPECT_EQ(readFile(m_strRoot + "/large.bin"), baLarge);
}

TEST_F(WebserviceTest, ServiceLimits)
{
    ASSERT_TRUE(writeFile(local("twoMiB"), randomBytes(2 * 1024 * 1024)));
    ASSERT_TRUE(writeFile(local("small"), "small"));

    // Free space below the threshold: "space lower", nothing written.
    FileService full;
    ASSERT_TRUE(full.start({"--min-free-mb", "1048576"})) << full.output().toStdString();
    CLS_DataMediator toFull;
    ASSERT_TRUE(pointMediatorAt(toFull, full.address()));
    {
        LogCapture log;
        EXPECT_EQ(toFull.WebserviceUploadFile("small.bin", local("small")), -1);
        EXPECT_TRUE(log.has(2, "CLS_DataMediator::WebserviceUploadFile qstrRet=space lower")) << log.dump().toStdString();
        EXPECT_EQ(entriesOf(full.root()), QStringList());
    }

    // A request above the size limit is refused with a text that says so.
    FileService limited;
    ASSERT_TRUE(limited.start({"--max-request-mb", "1"})) << limited.output().toStdString();
    CLS_DataMediator toLimited;
    ASSERT_TRUE(pointMediatorAt(toLimited, limited.address()));
    {
        LogCapture log;
        EXPECT_EQ(toLimited.WebserviceUploadFile("big.bin", local("twoMiB")), -1);
        EXPECT_TRUE(log.has(3, "CLS_DataMediator::WebserviceUploadFile qstrRet=request too large (limit 1048576 bytes)"))
            << log.dump().toStdString();
        EXPECT_EQ(entriesOf(limited.root()), QStringList());
        EXPECT_EQ(toLimited.WebserviceUploadFile("small.bin", local("small")), 0);
    }

    // A service with another token turns this client away.
    FileService otherToken;
    ASSERT_TRUE(otherToken.start({}, QStringLiteral("a-different-token"))) << otherToken.output().toStdString();
    CLS_DataMediator toOther;
    ASSERT_TRUE(pointMediatorAt(toOther, otherToken.address()));
    {
        LogCapture log;
        EXPECT_EQ(toOther.WebserviceCreateDir("d"), -1);
        EXPECT_TRUE(log.has(2, "CLS_DataMediator::WebserviceCreateDir qstrRet=token refused")) << log.dump().toStdString();
        EXPECT_EQ(entriesOf(otherToken.root()), QStringList());
    }
}

TEST(WebserviceStartTest, OtherThanLoopbackOnlyWithAToken)
{
    QTemporaryDir root;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("TESSEL_SERVER_TOKEN"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(FileService::binary(), {"--root", root.path(), "--listen", "0.0.0.0", "--port", "1"});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAll().contains("without an access token"));
}

}  // namespace

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"itfiles01", false, {}}));
