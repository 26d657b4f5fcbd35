#include "CLS_DataMediator.h"
#include "MediatorTestAccess.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "HandlerTestSupport.h"
#include "LogCapture.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <atomic>
#include <future>
#include <thread>

namespace {

QString configPath()
{
    return QCoreApplication::applicationDirPath() + "/DbServerConfig.json";
}

QByteArray readFile(const QString& _strPath)
{
    QFile file(_strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& _strPath, const QByteArray& _content)
{
    QFile file(_strPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << _strPath.toStdString();
    file.write(_content);
}

struct ConfigCase
{
    const char* name;
    const char* content;  // null: no file
    int result;
    const char* ip;
    int port;
    bool rewritten;  // the file changed (null content: created)
};

class ServerConfig : public ::testing::TestWithParam<ConfigCase>
{
protected:
    void TearDown() override { QFile::remove(configPath()); }
};

}  // namespace

TEST_P(ServerConfig, ReadAndRepair)
{
    const ConfigCase& c = GetParam();
    QFile::remove(configPath());
    if (c.content != nullptr) {
        writeFile(configPath(), c.content);
    }
    CLS_DataMediator mediator;
    QString strIp = "unset";
    int iPort = -5;
    EXPECT_EQ(CLS_DataMediatorTestAccess::config(mediator, strIp, iPort), c.result);
    const QByteArray after = readFile(configPath());
    if (c.result == 0) {
        EXPECT_EQ(strIp, QString(c.ip));
        EXPECT_EQ(iPort, c.port);
        const QJsonObject obj = QJsonDocument::fromJson(after).object();
        EXPECT_EQ(obj.value("server_ip").toString(), QString(c.ip));
        EXPECT_EQ(obj.value("server_port").toInt(), c.port);
    }
    if (c.content != nullptr) {
        EXPECT_EQ(after != QByteArray(c.content), c.rewritten) << after.toStdString();
    } else {
        EXPECT_TRUE(QFile::exists(configPath()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mediator, ServerConfig,
    ::testing::Values(
        ConfigCase{"absent", nullptr, 0, "127.0.0.1", 9562, true},
        ConfigCase{"port0", R"({"server_ip":"10.0.0.5","server_port":0})", 0, "10.0.0.5", 9562, true},
        ConfigCase{"portNegative", R"({"server_ip":"10.0.0.5","server_port":-1})", 0, "10.0.0.5", 9562, true},
        ConfigCase{"port65536", R"({"server_ip":"h","server_port":65536})", 0, "h", 9562, true},
        ConfigCase{"portIntMin", R"({"server_ip":"h","server_port":-2147483648})", 0, "h", 9562, true},
        ConfigCase{"portString", R"({"server_ip":"h","server_port":"9000"})", 0, "h", 9562, true},
        ConfigCase{"portMissing", R"({"server_ip":"h"})", 0, "h", 9562, true},
        ConfigCase{"port1Kept", R"({"server_ip":"h","server_port":1})", 0, "h", 1, false},
        ConfigCase{"port65535Kept", R"({"server_ip":"h","server_port":65535})", 0, "h", 65535, false},
        ConfigCase{"emptyIp", R"({"server_ip":"","server_port":7000})", 0, "127.0.0.1", 7000, true},
        ConfigCase{"syntaxError", R"({"server_ip":"h",)", -1, "", 0, false}),
    [](const ::testing::TestParamInfo<ConfigCase>& info) { return std::string(info.param.name); });

// ---- local database files ----

class DbFiles : public ::testing::Test
{
protected:
    QString path(const QString& _strName) const { return m_dir.path() + "/" + _strName; }
    QString dir() const { return m_dir.path() + "/"; }
    QTemporaryDir m_dir;
    CLS_DataMediator m_mediator;
};

TEST_F(DbFiles, EmptyLiveFileIsRemovedAndNotReplaced)
{
    writeFile(path("Tessel.db"), "");
    EXPECT_EQ(CLS_DataMediatorTestAccess::prepare(m_mediator, dir(), "Tessel"), path("Tessel.db"));
    EXPECT_FALSE(QFile::exists(path("Tessel.db")));
}

TEST_F(DbFiles, RecoveryFileReplacesTheLiveOneAndIsConsumed)
{
    writeFile(path("Tessel-record.db"), "damaged");
    writeFile(path("Tessel-record_recovery.db"), "recovered");
    EXPECT_EQ(CLS_DataMediatorTestAccess::prepare(m_mediator, dir(), "Tessel-record"),
              path("Tessel-record.db"));
    EXPECT_EQ(readFile(path("Tessel-record.db")), QByteArray("recovered"));
    EXPECT_FALSE(QFile::exists(path("Tessel-record_recovery.db")));
}

TEST_F(DbFiles, ClearMarkerResetsToThePristineCopy)
{
    writeFile(path("Tessel-record.db"), "live");
    writeFile(path("Tessel-record_clear.db"), "");
    writeFile(path("Tessel_original.db"), "pristine");
    EXPECT_EQ(CLS_DataMediatorTestAccess::prepare(m_mediator, dir(), "Tessel-record"),
              path("Tessel-record.db"));
    EXPECT_EQ(readFile(path("Tessel-record.db")), QByteArray("pristine"));
    EXPECT_FALSE(QFile::exists(path("Tessel-record_clear.db")));
    EXPECT_EQ(readFile(path("Tessel_original.db")), QByteArray("pristine"));
}

TEST_F(DbFiles, AFailedCopyStopsTheLaterDatabases)
{
    // InitData prepares the folder of the application directory.
    const QString strDb = QCoreApplication::applicationDirPath() + "/Db/";
    QDir(strDb).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(strDb + "Tessel-record_recovery.db"));  // a folder: the copy fails
    writeFile(strDb + "Tessel-intelligent.db", "live");
    writeFile(strDb + "Tessel-intelligent_clear.db", "");
    writeFile(strDb + "Tessel_original.db", "pristine");
    writeFile(QCoreApplication::applicationDirPath() + "/StartConfiguration.json", R"({"clientid":"unit"})");

    LogCapture log;
    CLS_DataMediator mediator;
    mediator.InitData();
    EXPECT_TRUE(log.has(2, "!QFile::copy(qstrCoveryPath, qstrDbPath)")) << log.dump().toStdString();
    EXPECT_EQ(readFile(strDb + "Tessel-intelligent.db"), QByteArray("live"));
    EXPECT_TRUE(QFile::exists(strDb + "Tessel-intelligent_clear.db"));

    QDir(strDb).removeRecursively();
    QFile::remove(QCoreApplication::applicationDirPath() + "/StartConfiguration.json");
    QFile::remove(configPath());
    CLS_BaseEntityDAO::ResetSysIdForTest();
    CLS_RemoteDBHandler::SetDBCallback(nullptr, nullptr);
}

// ---- entry points and the status signal ----

TEST(MediatorEntry, ExportsAndStatusSignal)
{
    EXPECT_EQ(DeleteMediator(nullptr), 0);
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(Release(), 0);

    I_DataMediator* pMediator = CreateMediator();
    ASSERT_NE(pMediator, nullptr);
    EXPECT_STREQ(pMediator->metaObject()->className(), "CLS_DataMediator");
    EXPECT_STREQ(pMediator->metaObject()->superClass()->className(), "I_DataMediator");
    // Signals in index order, the slot after them.
    const QMetaObject& meta = I_DataMediator::staticMetaObject;
    const int iFirst = meta.methodOffset();
    const char* const expected[] = {"SignResourceDataChangeCallback",
                                    "SignCustomTreeDataChangeCallback",
                                    "SignPassengerFlowCustomTreeDataChangeCallback",
                                    "SignUpdateViewSuccess",
                                    "SignUpdateP2PSvrLst",
                                    "SignDBStatuaChange",
                                    "SignSendCar",
                                    "slotUpdateR480HostConfig"};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(meta.method(iFirst + i).name(), QByteArray(expected[i])) << i;
    }
    EXPECT_EQ(meta.method(iFirst + 7).methodType(), QMetaMethod::Slot);

    ensureHandlerStarted();
    QSignalSpy spy(pMediator, &I_DataMediator::SignDBStatuaChange);
    CLS_RemoteDBHandler::SetDBCallback(&CLS_DataMediator::DbStatusCallback, pMediator);
    CLS_RemoteDBHandler::WebSocketCallback(1, 2, QString(), nullptr);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 2);
    CLS_RemoteDBHandler::WebSocketCallback(2, 2, QString(), nullptr);  // not the main channel
    EXPECT_EQ(spy.count(), 1);
    CLS_RemoteDBHandler::WebSocketCallback(1, 1, QString(), nullptr);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(1).at(0).toInt(), 1);

    // The handler still holds the pointer after the mediator is gone; an event must not reach it.
    EXPECT_EQ(DeleteMediator(pMediator), 0);
    CLS_RemoteDBHandler::WebSocketCallback(1, 2, QString(), nullptr);
    CLS_RemoteDBHandler::WebSocketCallback(1, 1, QString(), nullptr);
    CLS_RemoteDBHandler::SetDBCallback(nullptr, nullptr);
}

// A directly connected slot may wait for another thread that creates or deletes a mediator:
// the signal must not be emitted under the lock those need. A mediator being destroyed still
// never receives an event: its destructor waits for a running emission.
TEST(MediatorEntry, StatusSignalIsEmittedOutsideTheLockAndNeverReachesADestroyedMediator)
{
    ensureHandlerStarted();
    std::future<void> other;
    bool bOtherFinished = false;
    {
        CLS_DataMediator mediator;
        QObject::connect(&mediator, &I_DataMediator::SignDBStatuaChange, [&](int) {
            other = std::async(std::launch::async, [] { CLS_DataMediator created; });
            bOtherFinished = other.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        });
        CLS_RemoteDBHandler::SetDBCallback(&CLS_DataMediator::DbStatusCallback, &mediator);
        CLS_RemoteDBHandler::WebSocketCallback(1, 2, QString(), nullptr);
        CLS_RemoteDBHandler::SetDBCallback(nullptr, nullptr);
    }
    EXPECT_TRUE(bOtherFinished);
    other.wait();

    auto* pMediator = new CLS_DataMediator();
    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> bSlotDone{false};
    QObject::connect(pMediator, &I_DataMediator::SignDBStatuaChange, [&](int) {
        entered.set_value();
        released.wait();
        bSlotDone = true;
    });
    CLS_RemoteDBHandler::SetDBCallback(&CLS_DataMediator::DbStatusCallback, pMediator);
    std::thread emitter([] { CLS_RemoteDBHandler::WebSocketCallback(1, 1, QString(), nullptr); });
    entered.get_future().wait();
    auto deleting = std::async(std::launch::async, [&] {
        delete pMediator;
        return bSlotDone.load();
    });
    EXPECT_EQ(deleting.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    release.set_value();
    EXPECT_TRUE(deleting.get()) << "the mediator was destroyed while its slot ran";
    emitter.join();
    CLS_RemoteDBHandler::SetDBCallback(nullptr, nullptr);
}

// ---- maintenance commands ----

using Maintenance = RemoteDBHandlerRequests;

TEST_F(Maintenance, RequestsGoOnTheMaintenanceLaneWithTheirMembers)
{
    CLS_DataMediator mediator;
    QMap<QString, bool> results;
    QString strEmpty;
    answer(0,
           R"({"result":"OK","data":{"restoreResult":[{"dbName":"Tessel","ret":true},{"dbName":"","ret":true},
        {"dbName":"Tessel-record"}]}})");
    EXPECT_EQ(mediator.RestoreDatabase(strEmpty, {"Tessel", "Tessel-record"}, results, 42), 0);
    FakeRequest r = lastRequest();
    EXPECT_TRUE(r.selected);
    EXPECT_EQ(r.timeoutOrSelector, 3);
    EXPECT_EQ(r.command, QString("RestoreDatabase"));
    EXPECT_EQ(r.request, parseJson(R"({"filePath":"","RestoreDefault":true,"timeout":42,
        "dbArray":["Tessel","Tessel-record"]})"));
    EXPECT_EQ(results, (QMap<QString, bool>{{"Tessel", true}, {"Tessel-record", false}}));

    QString strDir = "/backups/x";
    answer(0, R"({"result":"OK","data":{"restoreResult":[]}})");
    EXPECT_EQ(mediator.RestoreDatabase(strDir, {"Tessel"}, results, 5), 0);
    EXPECT_FALSE(lastRequest().request.contains("RestoreDefault"));

    results.clear();
    answer(
        0,
        R"({"result":"OK","data":{"backupResult":[{"dbName":"Tessel","ret":true},{"dbName":"Tessel-record"}]}})");
    EXPECT_EQ(mediator.BackupDatabase("/b", {"Tessel", "Tessel-record"}, results), 0);
    EXPECT_EQ(lastRequest().request, parseJson(R"({"filePath":"/b","dbArray":["Tessel","Tessel-record"]})"));
    EXPECT_EQ(results, (QMap<QString, bool>{{"Tessel", true}, {"Tessel-record", false}}));

    QMap<QString, QVariant> data{{"Tessel", "old"}, {"Other", "kept"}};
    answer(
        0,
        R"({"result":"OK","data":{"ret":0,"DbData":[{"key":"Tessel","value":"AAA"},{"key":"Tessel","value":"BBB"}]}})");
    EXPECT_EQ(mediator.DownLoadDB(data), 0);
    EXPECT_EQ(lastRequest().request, QJsonObject());
    EXPECT_EQ(data.value("Tessel").toString(), QString("BBB"));
    EXPECT_EQ(data.value("Other").toString(), QString("kept"));

    QMap<QString, int> uploaded;
    answer(0, R"({"result":"OK","data":{"ret":[{"key":"Tessel","value":0},{"key":"Tessel-record","value":-3},
        {"key":"X","value":"bad"}]}})");
    QMap<QString, QVariant> upload{{"Tessel", "QUJD"}};
    EXPECT_EQ(mediator.UploadDB(upload, uploaded), 0);
    EXPECT_EQ(lastRequest().request, parseJson(R"({"DbData":{"Tessel":"QUJD"}})"));
    EXPECT_EQ(uploaded, (QMap<QString, int>{{"Tessel", 0}, {"Tessel-record", -3}, {"X", 0}}));
}

TEST_F(Maintenance, HostStatusFillsRecordsWithoutClearing)
{
    CLS_DataMediator mediator;
    QList<_NetworkInfo*> list{new _NetworkInfo()};
    answer(0,
           R"({"result":"OK","data":{"ret":0,"netInfo":[{"Ifrname":"eth0","Ipv4Addr":"10.0.0.2","mtu":"1500",
        "mac":"aa:bb","connectState":"1","firstDns":"10.0.0.1","DHCPStatus":"0","Ipv4Mask":"255.0.0.0",
        "Ipv4Gateway":"10.0.0.1"}]}})");
    EXPECT_EQ(mediator.GetAllNetworkInfo(list), 0);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[1]->strIfrName, QString("eth0"));
    EXPECT_EQ(list[1]->strIpv4Gateway, QString("10.0.0.1"));
    EXPECT_EQ(list[1]->strMtu, QString("1500"));
    EXPECT_EQ(list[1]->strDHCPStatus, QString("0"));
    qDeleteAll(list);

    auto* pInfo = new _NetworkInfo();
    pInfo->lstStatus.append(new _SystemStatus());
    answer(0, R"({"result":"OK","data":{"ret":0,"Ifrname":"eth0","Ipv4Addr":"10.0.0.2","status":[
        {"MemUsage":41.5,"CpuUsage":3.25,"RxByte":100,"TxByte":200,"dateTime":"2024-01-01 00:00:05"},{}]}})");
    EXPECT_EQ(mediator.GetSystemStatusByName("eth0", pInfo), 0);
    EXPECT_EQ(lastRequest().request, parseJson(R"({"name":"eth0"})"));
    EXPECT_EQ(pInfo->strIpv4Addr, QString("10.0.0.2"));
    ASSERT_EQ(pInfo->lstStatus.size(), 3);
    EXPECT_DOUBLE_EQ(pInfo->lstStatus[1]->dMemUsage, 41.5);
    EXPECT_DOUBLE_EQ(pInfo->lstStatus[1]->dCpuUsage, 3.25);
    EXPECT_EQ(pInfo->lstStatus[1]->iRxByte, 100);
    EXPECT_EQ(pInfo->lstStatus[1]->iTxByte, 200);
    EXPECT_EQ(pInfo->lstStatus[1]->strDateTime, QString("2024-01-01 00:00:05"));
    EXPECT_EQ(pInfo->lstStatus[2]->iRxByte, 0);
    delete pInfo;

    _NetworkInfo* pNew = nullptr;
    answer(0, R"({"result":"OK","data":{"ret":0,"Ifrname":"lo"}})");
    EXPECT_EQ(mediator.GetSystemStatusByName("lo", pNew), 0);
    ASSERT_NE(pNew, nullptr);
    EXPECT_EQ(pNew->strIfrName, QString("lo"));
    delete pNew;
}

TEST_F(Maintenance, FailuresKeepWhatWasFilledAndLogTheirResult)
{
    CLS_DataMediator mediator;
    LogCapture log;
    QMap<QString, QVariant> data{{"Tessel", "old"}};
    answer(0, R"({"result":"ERROR","reason":"disk full"})");
    EXPECT_EQ(mediator.DownLoadDB(data), -1);
    EXPECT_EQ(data.value("Tessel").toString(), QString("old"));
    EXPECT_TRUE(log.has(3, "DB error reason:disk full"));
    EXPECT_TRUE(log.has(2, "[CLS_RemoteDBHandler::DownLoadDB]return:iRet = -1"));

    answer(0, R"({"result":"OK","data":{"ret":-7,"netInfo":[]}})");
    QList<_NetworkInfo*> list;
    EXPECT_EQ(mediator.GetAllNetworkInfo(list), -7);
    EXPECT_TRUE(log.has(2, "[CLS_RemoteDBHandler::GetAllNetworkInfo]return:iRet = -7"));
    // A "ret" that is not a whole number in the int range fails here too.
    for (const char* pszAnswer : {R"({"result":"OK","data":{"ret":1.5,"netInfo":[]}})",
                                  R"({"result":"OK","data":{"ret":4294967296,"netInfo":[]}})"}) {
        answer(0, pszAnswer);
        EXPECT_EQ(mediator.GetAllNetworkInfo(list), -1) << pszAnswer;
        answer(0, QString(pszAnswer).replace("netInfo", "DbData"));
        EXPECT_EQ(mediator.DownLoadDB(data), -1) << pszAnswer;
    }

    answer(-1002, "");
    QMap<QString, bool> results;
    EXPECT_EQ(mediator.BackupDatabase("/b", {"Tessel"}, results), -1002);
    EXPECT_TRUE(log.has(2, "[CLS_RemoteDBHandler::BackupDatabase]return:iRet = -1002"));

    CLS_RemoteDBHandlerTestAccess::setState(-34, true);
    EXPECT_EQ(mediator.BackupDatabase("/b", {"Tessel"}, results), -1);
    EXPECT_TRUE(log.has(2, "CLS_RemoteDBHandler::BackupDatabase Connection invalid."));
}
