// A read that fails fails its operation. Every store, delete and monthly read below first reads
// a setting or lists the monthly tables; with the server stopped, or with the settings read
// refused while the server runs, each must return its failure and change nothing: a failed
// settings read is not "storing is off" (nor "no join templates" to write back), a failed
// listing is not "no table".
#include "CLS_DataAccess.h"
#include "IntegrationFixture.h"
#include "LogCapture.h"

#include <functional>
#include <vector>

namespace {

const auto* const g_env =
    ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"fa11ed01", /*admin*/ false, {}}));

const char kMain[] = "Tessel";
const char kIntelligent[] = "Tessel-intelligent";
const char kFlow[] = "Tessel-passengerFlow";
const char kRecord[] = "Tessel-record";
const char kTime[] = "2024-01-10 08:00:00";
const char kTemplates[] = R"([{"TemplateCaption":"Kept","DecoderID":"dec","ScreenNo":1,"Region":[]}])";

using itest::scalar;
using itest::text;
using itest::waitFor;

int status()
{
    return CLS_RemoteDBHandler::m_iConnectedStatus.load();
}

STRCT_FaceParseResult capture()
{
    STRCT_FaceParseResult r;
    r.m_strHostID = "hostF";
    r.m_strChannelID = "chF";
    r.m_strCaptureTime = kTime;
    r.m_iAgeType = 1;
    r.m_strBigPicPath = "/cap/b.jpg";
    r.m_strSmallPicPath = "/cap/s.jpg";
    r.m_i64FileSize = 7;
    return r;
}

CLS_PassengerFlowEntity flow()
{
    CLS_PassengerFlowEntity e;
    e.S_CHANNEL_OBJ_ID = "chP";
    e.DT_DATE = "2024-01-10";
    e.DT_TIME = "08:00:00";
    e.I_IN_NUMBER = 3;
    return e;
}

STRCT_NewAlarmRecord alarm()
{
    STRCT_NewAlarmRecord a;
    a.m_strCameraID = "cam";
    a.m_strCameraCaption = "Gate";
    a.m_iAlarmType = 1;
    a.m_iLevel = 2;
    return a;
}

STRCT_PassageQuery january()
{
    STRCT_PassageQuery q;
    q.m_qstrStartTime = "2024-01-01 00:00:00";
    q.m_qstrEndTime = "2024-01-31 23:59:59";
    return q;
}

QString joinTemplates()
{
    return text(kMain,
                "SELECT S_VALUE FROM TAB_CONFIG_USER_COMMON WHERE S_MAIN_TYPE = 'MAINTYPE_VIEWCONFIG' AND "
                "S_SUB_TYPE = 'JoinTemplate'");
}

// What the operations could change, as text per store.
QMap<QString, QString> storedState()
{
    const QString strMonth = "202401";
    return {
        {"alarm records", text(kMain, "SELECT COUNT(*) FROM TAB_ALARM_RECORD")},
        {"join templates", joinTemplates()},
        {"face captures", text(kIntelligent, "SELECT COUNT(*) FROM TAB_INTELLIGENT_FACE_CAPTURE" + strMonth)},
        {"behaviour", text(kIntelligent, "SELECT COUNT(*) FROM TAB_INTELLIGENT_BEHAVIOR_CAPTURE" + strMonth)},
        {"cars", text(kIntelligent, "SELECT COUNT(*) FROM TAB_CAR_HISTORY" + strMonth)},
        {"pads", text(kIntelligent, "SELECT COUNT(*) FROM TAB_PAD_HISTORY" + strMonth)},
        {"ways", text(kIntelligent, "SELECT COUNT(*) FROM TAB_WAY_HISTORY" + strMonth)},
        {"passenger flow",
         text(kFlow, "SELECT group_concat(I_IN_NUMBER) FROM TAB_PASSENGERFLOW_INFO" + strMonth)},
        {"recording files",
         text(kRecord, "SELECT COUNT(*) FROM TAB_REC_FILE" + IntegrationEnvironment::instance().sysId())},
    };
}

std::string dump(const QMap<QString, QString>& _map)
{
    QStringList lst;
    for (auto it = _map.cbegin(); it != _map.cend(); ++it) {
        lst << it.key() + "=" + it.value();
    }
    return lst.join(", ").toStdString();
}

// One operation and whether it reported its failure (and left its outputs empty).
struct Operation
{
    const char* name;
    std::function<bool(CLS_DataMediator&)> failed;
};

// The operations that read the "SoftwareType" or "JoinTemplate" setting before acting.
std::vector<Operation> settingsReaders()
{
    return {
        {"InsertAlarmRecord",
         [](CLS_DataMediator& m) {
             STRCT_NewAlarmRecord a = alarm();
             return !m.InsertAlarmRecord("u1", a);
         }},
        {"AddFaceCapture", [](CLS_DataMediator& m) { return m.AddFaceCapture(capture()) < 0; }},
        {"AddTransactionForAddFaceCapture",
         [](CLS_DataMediator& m) {
             return !m.AddTransactionForAddFaceCapture({capture(), capture()});
         }},
        {"AddPassengerFlowInfo", [](CLS_DataMediator& m) { return m.AddPassengerFlowInfo(flow()) < 0; }},
        {"InsertTemplate", [](CLS_DataMediator& m) { return m.InsertTemplate("New", "dec", 1, {}) < 0; }},
        {"GetTemplate",
         [](CLS_DataMediator& m) {
             QMap<QString, QVector<STRCT_JoinTemplateRegion>> map;
             return m.GetTemplate("dec", 1, map) < 0 && map.isEmpty();
         }},
    };
}

class FailedReads : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(waitFor([] { return status() == 1; }, 20000)) << status();
        ASSERT_EQ(CLS_DataAccess::GetInstance().SetConfigValue("MAINTYPE_VIEWCONFIG", "JoinTemplate",
                                                               kTemplates, ""),
                  0);
        ASSERT_EQ(CLS_DataAccess::GetInstance().SetConfigValue("MAINTYPE_SYSCONFIG", "SoftwareType",
                                                               "standard", ""),
                  0);
    }

    CLS_DataMediator m_mediator;
};

TEST_F(FailedReads, ASettingsReadRefusedWhileTheServerRunsStoresNothingAndKeepsTheTemplates)
{
    // The personal tables gone, the group read fails at each of its steps, while a write of the
    // common "JoinTemplate" row would still go through.
    QStringList lstHidden;
    for (const QString& strTable :
         {QString("TAB_CONFIG_USER_PERSONAL"),
          "TAB_CONFIG_USER_PERSONAL" + IntegrationEnvironment::instance().sysId()}) {
        if (scalar(kMain, "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = :n",
                   {{":n", strTable}}) == 1) {
            ASSERT_EQ(
                itest::exec(kMain, "ALTER TABLE \"" + strTable + "\" RENAME TO \"" + strTable + "_hidden\""),
                0);
            lstHidden << strTable;
        }
    }
    ASSERT_FALSE(lstHidden.isEmpty());
    const QMap<QString, QString> before = storedState();
    ASSERT_EQ(before.value("join templates"), kTemplates);
    {
        LogCapture log;
        for (const Operation& op : settingsReaders()) {
            EXPECT_TRUE(op.failed(m_mediator)) << op.name;
        }
        EXPECT_TRUE(log.hasPart(2, "CLS_ConfigDAO::GetConfigValue pRecSet=null")) << log.dump().toStdString();
    }
    const QMap<QString, QString> after = storedState();
    for (const QString& strTable : lstHidden) {
        EXPECT_EQ(
            itest::exec(kMain, "ALTER TABLE \"" + strTable + "_hidden\" RENAME TO \"" + strTable + "\""), 0);
    }
    EXPECT_EQ(after, before) << dump(after);

    // Readable again: storing is on and the templates are there.
    STRCT_NewAlarmRecord a = alarm();
    EXPECT_TRUE(m_mediator.InsertAlarmRecord("u1", a));
    EXPECT_EQ(text(kMain, "SELECT COUNT(*) FROM TAB_ALARM_RECORD"), "1");
    QMap<QString, QVector<STRCT_JoinTemplateRegion>> map;
    ASSERT_EQ(m_mediator.GetTemplate("dec", 1, map), 0);
    EXPECT_EQ(map.keys(), QStringList({"Kept"}));
}

// Must stay last: it stops and restarts the server.
TEST_F(FailedReads, ZEveryOperationFailsWhileTheServerIsDownAndNothingChanges)
{
    // One row of each kind in January 2024, and the ids the deletions name.
    CLS_DataMediator& m = m_mediator;
    ASSERT_TRUE(m.AddTransactionForAddFaceCapture({capture()}));
    CLS_CarDataRecvEntity car;
    car.S_Vlp = "A1";
    car.S_PassTime = kTime;
    ASSERT_EQ(m.SaveCarRecvDataToDB(car), 0);
    CLS_PadDataRecvEntity pad;
    pad.S_UserCode = "u7";
    pad.S_PassTime = kTime;
    ASSERT_EQ(m.SavePadRecvDataToDB(pad), 0);
    CLS_WayDataRecEntity way;
    way.S_VLP = "W1";
    way.S_passtime = kTime;
    ASSERT_EQ(m.SaveWayRecvDataToDB(way), 0);
    CLS_BehaviorAnalysisEntity snap;
    snap.S_CHANNEL_ID = "chB";
    snap.DT_SNAP_TIMESTAMP = kTime;
    ASSERT_EQ(m.AddBehaviorAnalysisCapture(snap), 0);
    ASSERT_EQ(m.AddPassengerFlowInfo(flow()), 0);
    STRCT_RecFileInfo file;
    file.m_strChannelID = "chR";
    file.m_strStartTime = kTime;
    file.m_strEndTime = kTime;
    file.m_uiLength = 9;
    ASSERT_TRUE(m.AddRecordFile(file));
    auto idOf = [](const char* _pszTable) {
        return QList<QPair<QString, QString>>{
            {text(kIntelligent, QString("SELECT S_ID FROM %1202401").arg(_pszTable)), kTime}};
    };
    const auto faceIds = idOf("TAB_INTELLIGENT_FACE_CAPTURE");
    const auto carIds = idOf("TAB_CAR_HISTORY");
    const auto padIds = idOf("TAB_PAD_HISTORY");
    const auto wayIds = idOf("TAB_WAY_HISTORY");
    const auto snapIds = idOf("TAB_INTELLIGENT_BEHAVIOR_CAPTURE");
    const QMap<QString, QString> before = storedState();
    ASSERT_EQ(before.value("face captures"), "1") << dump(before);
    ASSERT_EQ(before.value("passenger flow"), "3") << dump(before);

    std::vector<Operation> ops = settingsReaders();
    const std::vector<Operation> listingReaders = {
        // deletions
        {"DeleteFaceCaptureByIds",
         [&](CLS_DataMediator& d) { return d.DeleteFaceCaptureByIds(faceIds) < 0; }},
        {"DeleteAllFaceCapture", [](CLS_DataMediator& d) { return d.DeleteAllFaceCapture() < 0; }},
        {"DelCarPicRec", [&](CLS_DataMediator& d) { return d.DelCarPicRec(carIds) < 0; }},
        {"DelPadPicRec", [&](CLS_DataMediator& d) { return d.DelPadPicRec(padIds) < 0; }},
        {"DelWayPicRec", [&](CLS_DataMediator& d) { return d.DelWayPicRec(wayIds) < 0; }},
        {"DelBehaviorAnalysisPicRec",
         [&](CLS_DataMediator& d) { return d.DelBehaviorAnalysisPicRec(snapIds) < 0; }},
        {"DeleteAllCarPicData", [](CLS_DataMediator& d) { return d.DeleteAllCarPicData() < 0; }},
        {"DeleteAllPadPicData", [](CLS_DataMediator& d) { return d.DeleteAllPadPicData() < 0; }},
        {"DeleteAllWayPicData", [](CLS_DataMediator& d) { return d.DeleteAllWayPicData() < 0; }},
        {"DeleteAllBehaviorAnalysisData",
         [](CLS_DataMediator& d) { return d.DeleteAllBehaviorAnalysisData() < 0; }},
        {"DeletePassengerFlowInfoBefore",
         [](CLS_DataMediator& d) { return d.DeletePassengerFlowInfoBefore("209901") < 0; }},
        // monthly reads
        {"GetFaceCaptureCount",
         [](CLS_DataMediator& d) {
             CLS_IntelligentDataRecSearchEntity search;
             search.m_strStartTime = "2024-01-01 00:00:00";
             search.m_strEndTime = "2024-01-31 23:59:59";
             return d.GetFaceCaptureCount(search) < 0;
         }},
        {"GetFaceCaptureStatistics",
         [](CLS_DataMediator& d) {
             QMap<QString, QVector<qint64>> map;
             return d.GetFaceCaptureStatistics("2024-01-10", 2, 2, "chF", map) < 0 && map.isEmpty();
         }},
        {"GetFaceCaptureSizeBefore",
         [](CLS_DataMediator& d) { return d.GetFaceCaptureSizeBefore("2099-01-01 00:00:00") < 0; }},
        {"GetOldestFaceCaptureSize", [](CLS_DataMediator& d) { return d.GetOldestFaceCaptureSize(5) < 0; }},
        {"GetPassengerFlowStatistics",
         [](CLS_DataMediator& d) {
             CLS_PassengerFlowStatisticConditionEntity condition;
             condition.m_qstrDate = "2024-01-10";
             condition.m_iPeriod = 2;
             condition.m_qlstChannelObjIDs = QStringList{"chP"};
             QMap<QString, STRCT_PassengerFlowCounts> map;
             return d.GetPassengerFlowStatistics(condition, map) < 0 && map.isEmpty();
         }},
        {"SearchPassengerFlowTotal",
         [](CLS_DataMediator&) {
             STRCT_PassengerFlowCounts counts;
             return CLS_DataAccess::GetInstance().SearchPassengerFlowTotal("r1", "2024-01-01 00:00:00",
                                                                           "202401", counts) < 0;
         }},
        {"QueryCarHistory",
         [](CLS_DataMediator& d) {
             QVector<CLS_CarDataRecvEntity> vec;
             return d.QueryCarHistory(january(), vec) < 0 && vec.isEmpty();
         }},
        {"QueryPadHistory",
         [](CLS_DataMediator& d) {
             QVector<CLS_PadDataRecvEntity> vec;
             return d.QueryPadHistory(january(), vec) < 0 && vec.isEmpty();
         }},
        {"QueryWayHistory",
         [](CLS_DataMediator& d) {
             QVector<CLS_WayDataRecEntity> vec;
             return d.QueryWayHistory(january(), vec) < 0 && vec.isEmpty();
         }},
        {"GetCarRecordCount", [](CLS_DataMediator& d) { return d.GetCarRecordCount(january()) < 0; }},
        {"GetPadRecordCount", [](CLS_DataMediator& d) { return d.GetPadRecordCount(january()) < 0; }},
        {"GetWayRecordCount", [](CLS_DataMediator& d) { return d.GetWayRecordCount(january()) < 0; }},
        {"BehaviorAnalysisGetCount",
         [](CLS_DataMediator& d) {
             CLS_BehaviorAnalysisSearchEntity search;
             search.m_strStartTime = "2024-01-01 00:00:00";
             search.m_strEndTime = "2024-01-31 23:59:59";
             return d.BehaviorAnalysisGetCount(search) < 0;
         }},
        {"GetOldestRecordFileLength", [](CLS_DataMediator& d) { return d.GetOldestRecordFileLength(5) < 0; }},
        {"GetTotalRecordFileLength", [](CLS_DataMediator& d) { return d.GetTotalRecordFileLength() < 0; }},
    };
    ops.insert(ops.end(), listingReaders.begin(), listingReaders.end());

    ServerProcess& server = IntegrationEnvironment::instance().server();
    ASSERT_TRUE(server.stop()) << server.output().toStdString();
    ASSERT_TRUE(waitFor([] { return status() < 0; }, 10000)) << status();
    for (const Operation& op : ops) {
        EXPECT_TRUE(op.failed(m)) << op.name;
    }

    ASSERT_TRUE(server.start()) << server.output().toStdString();
    ASSERT_TRUE(waitFor([] { return status() == 1; }, 20000)) << status();
    const QMap<QString, QString> after = storedState();
    EXPECT_EQ(after, before) << dump(after);
}

}  // namespace
