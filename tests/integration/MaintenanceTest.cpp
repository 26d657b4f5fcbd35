// Database maintenance through the mediator against a real server: backup and restore with the
// restore broadcasts, refused and accepted uploads, download, host status.
#include "CLS_DataMediator.h"
#include "CLS_RemoteDBHandler.h"
#include "LogCapture.h"
#include "IntegrationFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

namespace {

I_DataMediator* g_pMediator = nullptr;

// The client start-up as an application does it, through the mediator: it finds the channel
// the environment made and reports its status without making another.
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment(IntegrationOptions{
    "7a1e000000000001", false, {}, nullptr, nullptr,
    [] {
        g_pMediator = CreateMediator();
        g_pMediator->InitData();
        ASSERT_EQ(g_pMediator->CreateDBConnection(), 1);
    },
    [] {
        DeleteMediator(g_pMediator);
        // The start-up made these in the application directory.
        QFile::remove(QCoreApplication::applicationDirPath() + "/DbServerConfig.json");
        QDir(QCoreApplication::applicationDirPath() + "/Db").removeRecursively();
    }}));

QString valueOf(const QString& _strSql)
{
    RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQuery("Tessel", _strSql, 3);
    QString strValue = (pRows != nullptr && !pRows->isEmpty()) ? pRows->first()->first() : QString("<none>");
    if (pRows != nullptr) {
        qDeleteAll(*pRows);
        delete pRows;
    }
    return strValue;
}

bool waitForLine(const LogCapture& _log, const QString& _strLine, int _iMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < _iMs) {
        if (_log.has(2, _strLine)) {
            return true;
        }
        QThread::msleep(10);
    }
    return _log.has(2, _strLine);
}

}  // namespace

TEST(Maintenance, BackupChangeRestoreGivesTheOldRowsBack)
{
    ASSERT_EQ(CLS_RemoteDBHandler::Execute("Tessel", "CREATE TABLE T_KEEP(S_V TEXT)", 3, false), 0);
    ASSERT_EQ(CLS_RemoteDBHandler::Execute("Tessel", "INSERT INTO T_KEEP VALUES('before')", 3, false), 0);

    QMap<QString, bool> results;
    ASSERT_EQ(g_pMediator->BackupDatabase("nightly", {"Tessel"}, results), 0);
    EXPECT_EQ(results, (QMap<QString, bool>{{"Tessel", true}}));
    EXPECT_TRUE(QFile::exists(IntegrationEnvironment::instance().server().dataDir() + "/backups/nightly/Tessel.db"));

    ASSERT_EQ(CLS_RemoteDBHandler::Execute("Tessel", "UPDATE T_KEEP SET S_V = 'after'", 3, false), 0);
    ASSERT_EQ(valueOf("SELECT S_V FROM T_KEEP"), QString("after"));

    LogCapture log;
    results.clear();
    QString strDir = "nightly";
    ASSERT_EQ(g_pMediator->RestoreDatabase(strDir, {"Tessel"}, results, 30), 0);
    EXPECT_EQ(results, (QMap<QString, bool>{{"Tessel", true}}));
    EXPECT_TRUE(waitForLine(
        log, "CLS_RemoteDBHandler::WebSocketCallback BroadcastNotify Start restoring database.", 5000))
        << log.dump().toStdString();
    EXPECT_TRUE(waitForLine(
        log, "CLS_RemoteDBHandler::WebSocketCallback BroadcastNotify Restore database complete.", 5000));
    EXPECT_EQ(valueOf("SELECT S_V FROM T_KEEP"), QString("before"));

    // A folder outside the backup roots is refused.
    results.clear();
    QString strOutside = "../../etc";
    g_pMediator->RestoreDatabase(strOutside, {"Tessel"}, results, 30);
    EXPECT_FALSE(results.value("Tessel", false));
    EXPECT_EQ(valueOf("SELECT S_V FROM T_KEEP"), QString("before"));
}

TEST(Maintenance, UploadRefusesWhatIsNotADatabaseAndKeepsTheOldOne)
{
    ASSERT_EQ(CLS_RemoteDBHandler::Execute("Tessel", "CREATE TABLE IF NOT EXISTS T_UP(S_V TEXT)", 3, false),
              0);
    ASSERT_EQ(CLS_RemoteDBHandler::Execute("Tessel", "INSERT INTO T_UP VALUES('kept')", 3, false), 0);
    QMap<QString, QVariant> data{
        {"Tessel", QString::fromLatin1(QByteArray("this is not a database").toBase64())}};
    QMap<QString, int> results;
    ASSERT_EQ(g_pMediator->UploadDB(data, results), 0);
    ASSERT_TRUE(results.contains("Tessel"));
    EXPECT_LT(results.value("Tessel"), 0);
    EXPECT_EQ(valueOf("SELECT S_V FROM T_UP"), QString("kept"));

    // A downloaded database uploads back as it was.
    QMap<QString, QVariant> downloaded;
    ASSERT_EQ(g_pMediator->DownLoadDB(downloaded), 0);
    EXPECT_EQ(downloaded.size(), 4);
    ASSERT_TRUE(downloaded.contains("Tessel"));
    EXPECT_TRUE(QByteArray::fromBase64(downloaded.value("Tessel").toString().toLatin1())
                    .startsWith("SQLite format 3"));
    ASSERT_EQ(CLS_RemoteDBHandler::Execute("Tessel", "DELETE FROM T_UP", 3, false), 0);
    QMap<QString, QVariant> back{{"Tessel", downloaded.value("Tessel")}};
    results.clear();
    ASSERT_EQ(g_pMediator->UploadDB(back, results), 0);
    EXPECT_EQ(results.value("Tessel", -99), 0);
    EXPECT_EQ(valueOf("SELECT S_V FROM T_UP"), QString("kept"));
}

TEST(Maintenance, HostStatusListsTheLoopbackInterface)
{
    QList<_NetworkInfo*> list;
    ASSERT_EQ(g_pMediator->GetAllNetworkInfo(list), 0);
    bool bLoopback = false;
    for (const _NetworkInfo* pInfo : list) {
        bLoopback = bLoopback || pInfo->strIpv4Addr == QLatin1String("127.0.0.1");
    }
    EXPECT_TRUE(bLoopback);
    QString strName;
    for (const _NetworkInfo* pInfo : list) {
        if (pInfo->strIpv4Addr == QLatin1String("127.0.0.1")) {
            strName = pInfo->strIfrName;
        }
    }
    qDeleteAll(list);

    _NetworkInfo* pInfo = nullptr;
    ASSERT_EQ(g_pMediator->GetSystemStatusByName(strName, pInfo), 0);
    ASSERT_NE(pInfo, nullptr);
    EXPECT_EQ(pInfo->strIfrName, strName);
    delete pInfo;
}
