// Passenger-flow statistics against a real server and schema: counts summed per slot in monthly
// tables, statistics by period (a week across a month's end), retention, regions with their
// totals since the clear time, and the live state's surge window, alarms, recount, midnight and
// pruning under a clock the test sets. Last, reports from several threads against a reader.
#include "CLS_DataAccess.h"
#include "IntegrationFixture.h"
#include "LogCapture.h"

#include <QDateTime>

#include <atomic>
#include <thread>
#include <vector>

// Readable texts in failure messages.
void PrintTo(const QString& _str, std::ostream* _pOut)
{
    *_pOut << '"' << _str.toStdString() << '"';
}

namespace {

IntegrationOptions flowOptions()
{
    IntegrationOptions options;
    options.strClientId = "itflow01";
    options.bAddAdmin = true;
    return options;
}

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment(flowOptions()));

const char kDb[] = "Tessel-passengerFlow";
const char kTable[] = "TAB_PASSENGERFLOW_INFO";
const char kFormat[] = "yyyy-MM-dd hh:mm:ss";

QDateTime g_now;
QDateTime testNow()
{
    return g_now;
}
void setNow(const QString& _strTime)
{
    g_now = QDateTime::fromString(_strTime, kFormat);
    ASSERT_TRUE(g_now.isValid()) << _strTime.toStdString();
}

CLS_PassengerFlowEntity info(const QString& _strChannel, const QString& _strDate, const QString& _strTime, int _iIn,
                             int _iOut = 0, int _iPass = 0)
{
    CLS_PassengerFlowEntity e;
    e.S_CHANNEL_OBJ_ID = _strChannel;
    e.DT_DATE = _strDate;
    e.DT_TIME = _strTime;
    e.I_IN_NUMBER = _iIn;
    e.I_OUT_NUMBER = _iOut;
    e.I_PASS_NUMBER = _iPass;
    return e;
}

STRCT_PassengerFlowReport report(int _iIn, int _iOut, const QString& _strTime = QString())
{
    STRCT_PassengerFlowReport r;
    r.m_iIn = _iIn;
    r.m_iOut = _iOut;
    r.m_qstrTime = _strTime;
    return r;
}

QStringList monthlyTables()
{
    QVector<QString> vecTables;
    CLS_BaseEntityDAO::PartitionGetTables(kDb, kTable, QString(), QString(), vecTables);
    return QStringList(vecTables.begin(), vecTables.end());
}

// "key:in/out/pass" per statistics key, comma-separated.
std::string flatten(const QMap<QString, STRCT_PassengerFlowCounts>& _map)
{
    QStringList lst;
    for (auto it = _map.cbegin(); it != _map.cend(); ++it) {
        lst << QString("%1:%2/%3/%4").arg(it.key()).arg(it->m_i64In).arg(it->m_i64Out).arg(it->m_i64Pass);
    }
    return lst.join(',').toStdString();
}

class PassengerFlow : public LoggedInTest
{
protected:
    void SetUp() override
    {
        LoggedInTest::SetUp();
        for (const QString& strTable : monthlyTables()) {
            ASSERT_EQ(itest::exec(kDb, "DROP TABLE " + strTable), 0);
        }
        ASSERT_EQ(itest::exec(kDb, "DELETE FROM TAB_PASSENGERFLOW_REGION"), 0);
        ASSERT_EQ(itest::exec(kDb, "DELETE FROM TAB_PASSENGERFLOW_REGION_CHANNEL"), 0);
        setNow("2024-03-05 12:00:00");
        m_mediator.SetPassengerFlowClock(&testNow);
    }

    // A region of chA1 and chA2: capacity 10 (alarm on), surge 10 in 60 s (alarm on), fixed 2,
    // alarm interval 3.
    STRCT_PassengerFlowRegionParam region(const QString& _strID = "regionA")
    {
        STRCT_PassengerFlowRegionParam p;
        p.m_qstrRegionID = _strID;
        p.m_qstrRegionName = "Hall " + _strID;
        p.m_qstrStartTime = "08:00:00";
        p.m_qstrEndTime = "20:00:00";
        p.m_iMaxCapacityNumber = 10;
        p.m_iMaxCapacityAlarmEnable = 1;
        p.m_iShootUpNumber = 10;
        p.m_iShootUpTime = 60;
        p.m_iShootUpAlarmEnable = 1;
        p.m_iAlarmInterval = 3;
        p.m_iFixNumber = 2;
        p.m_qvecChannels = {{QString(), "chA1", 0}, {QString(), "chA2", 1}};
        return p;
    }
    STRCT_PassengerFlowRegionRealTime state(const QString& _strID = "regionA")
    {
        STRCT_PassengerFlowRegionRealTime s;
        EXPECT_TRUE(m_mediator.GetPassengerFlowRegionRealTime(_strID, s)) << _strID.toStdString();
        return s;
    }
    struct Alarms
    {
        QMap<QString, qint32> capacity, surge, capacityRepeat, surgeRepeat;
    };
    Alarms collect()
    {
        Alarms a;
        m_mediator.CollectPassengerFlowAlarms(a.capacity, a.surge, a.capacityRepeat, a.surgeRepeat);
        return a;
    }
};

TEST_F(PassengerFlow, ReportsOfOneSlotAddUpInOneRowAndANewMonthGetsItsTable)
{
    ASSERT_EQ(m_mediator.AddPassengerFlowInfo(info("chA1", "2024-02-29", "23:59:00", 3, 1, 2)), 0);
    ASSERT_EQ(m_mediator.AddPassengerFlowInfo(info("chA1", "2024-02-29", "23:59:00", 4, 2, 0)), 0);
    // The first day of the next month: its table is made by the partitioned insert.
    ASSERT_EQ(m_mediator.AddPassengerFlowInfo(info("chA1", "2024-03-01", "00:00:00", 5)), 0);
    // A channel id with a quote is a bound value like any other.
    ASSERT_EQ(m_mediator.AddPassengerFlowInfo(info("ch'); DROP TABLE x; --", "2024-03-01", "00:00:00", 1)), 0);
    EXPECT_EQ(monthlyTables(), QStringList({"TAB_PASSENGERFLOW_INFO202402", "TAB_PASSENGERFLOW_INFO202403"}));
    EXPECT_EQ(itest::text(kDb, "SELECT group_concat(S_CHANNEL_OBJ_ID || '|' || I_IN_NUMBER || '/' || I_OUT_NUMBER || '/' "
                               "|| I_PASS_NUMBER, ',') FROM TAB_PASSENGERFLOW_INFO202402"),
              "chA1|7/3/2");
    EXPECT_EQ(itest::scalar(kDb, "SELECT count(*) FROM TAB_PASSENGERFLOW_INFO202403"), 2);
    EXPECT_EQ(itest::scalar(kDb, "SELECT length(S_ID) FROM TAB_PASSENGERFLOW_INFO202402"), 32);

    // Refused before anything is stored.
    EXPECT_EQ(m_mediator.AddPassengerFlowInfo(info("chA1", "2024-03-01", "", 1)), -1);
    EXPECT_EQ(m_mediator.AddPassengerFlowInfo(info("chA1", "2024-3-1", "00:00:00", 1)), -1);
    EXPECT_EQ(itest::scalar(kDb, "SELECT sum(I_IN_NUMBER) FROM TAB_PASSENGERFLOW_INFO202403"), 6);
}

TEST_F(PassengerFlow, SoftwareTypeR480StoresNothingAndSucceeds)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    const QString strBefore = access.GetSoftwareType();
    ASSERT_EQ(access.SetConfigValue("MAINTYPE_SYSCONFIG", "SoftwareType", "r480", QString()), 0);
    LogCapture log;
    const int iRet = m_mediator.AddPassengerFlowInfo(info("chA1", "2024-03-01", "10:00:00", 1));
    ASSERT_EQ(access.SetConfigValue("MAINTYPE_SYSCONFIG", "SoftwareType", strBefore, QString()), 0);
    EXPECT_EQ(iRet, 0);
    EXPECT_TRUE(log.has(2, "CLS_DataMediator::AddPassengerFlowInfo SoftwareType=r480")) << log.dump().toStdString();
    EXPECT_TRUE(monthlyTables().isEmpty());
}

TEST_F(PassengerFlow, StatisticsByDayWeekMonthAndYear)
{
    struct Row
    {
        const char* channel;
        const char* date;
        const char* time;
        int in, out, pass;
    };
    // Week of Monday 2024-01-29 to Sunday 2024-02-04 spans January and February.
    const Row aRows[] = {
        {"chA1", "2024-01-29", "09:15:00", 1, 0, 0},  {"chA2", "2024-01-29", "09:45:00", 2, 1, 0},
        {"chA1", "2024-01-29", "10:00:00", 4, 0, 1},  {"chA1", "2024-01-31", "10:00:00", 8, 0, 0},
        {"chA1", "2024-02-04", "10:00:00", 16, 2, 0}, {"chA1", "2024-02-05", "10:00:00", 32, 0, 0},
        {"chX", "2024-01-29", "09:00:00", 64, 0, 0},  {"chA1", "2023-12-31", "10:00:00", 128, 0, 0},
        {"chA1", "2024-07-01", "10:00:00", 256, 0, 0}, {"chA1", "2024-01-22", "10:00:00", 512, 0, 0},
    };
    for (const Row& r : aRows) {
        ASSERT_EQ(m_mediator.AddPassengerFlowInfo(info(r.channel, r.date, r.time, r.in, r.out, r.pass)), 0) << r.date;
    }
    struct Case
    {
        qint32 period;
        const char* date;
        bool range;
        const char* expected;
    };
    const Case aCases[] = {
        // Day by hour; with a time range only the slots inside it.
        {0, "2024-01-29", false, "09:3/1/0,10:4/0/1"},
        {0, "2024-01-29", true, "09:1/0/0"},
        // Week by weekday: Monday and Wednesday in January, Sunday in February.
        {1, "2024-02-01", false, "0:16/2/0,1:7/1/1,3:8/0/0"},
        // A week inside one month.
        {1, "2024-01-22", false, "1:512/0/0"},
        {2, "2024-02-10", false, "04:16/2/0,05:32/0/0"},
        {3, "2024-05-01", false, "01:527/1/1,02:48/2/0,07:256/0/0"},
    };
    for (const Case& c : aCases) {
        CLS_PassengerFlowStatisticConditionEntity condition;
        condition.m_qstrDate = c.date;
        condition.m_iPeriod = c.period;
        condition.m_bTimeRange = c.range;
        condition.m_qstrStartTime = "09:00:00";
        condition.m_qstrEndTime = "09:30:00";
        condition.m_qlstChannelObjIDs = QStringList{"chA1", "chA2", "x' OR '1'='1"};
        QMap<QString, STRCT_PassengerFlowCounts> map;
        ASSERT_EQ(m_mediator.GetPassengerFlowStatistics(condition, map), 0) << c.date;
        EXPECT_EQ(flatten(map), c.expected) << "period " << c.period << " " << c.date;
    }

    // A week across the month's end reads both tables; a key met in both (here a Monday row
    // that landed in February's table) gets the sum.
    ASSERT_EQ(itest::exec(kDb, "INSERT INTO TAB_PASSENGERFLOW_INFO202402 (S_ID,S_CHANNEL_OBJ_ID,DT_DATE,DT_TIME,"
                               "I_IN_NUMBER,I_OUT_NUMBER,I_PASS_NUMBER) VALUES ('stray','chA1','2024-01-29','12:00:00',"
                               "100,0,0)"),
              0);
    ASSERT_EQ(m_mediator.AddPassengerFlowInfo(info("chA1", "2024-01-30", "11:00:00", 1000)), 0);
    ASSERT_EQ(m_mediator.AddPassengerFlowInfo(info("chA1", "2024-02-03", "11:00:00", 2000)), 0);
    CLS_PassengerFlowStatisticConditionEntity week;
    week.m_qstrDate = "2024-01-31";
    week.m_iPeriod = 1;
    week.m_qlstChannelObjIDs = QStringList{"chA1"};
    QMap<QString, STRCT_PassengerFlowCounts> mapWeek;
    ASSERT_EQ(m_mediator.GetPassengerFlowStatistics(week, mapWeek), 0);
    EXPECT_EQ(flatten(mapWeek), "0:16/2/0,1:105/0/1,2:1000/0/0,3:8/0/0,6:2000/0/0");

    // Refusals and the empty channel list.
    QMap<QString, STRCT_PassengerFlowCounts> map;
    CLS_PassengerFlowStatisticConditionEntity bad;
    bad.m_qlstChannelObjIDs = QStringList{"chA1"};
    bad.m_qstrDate = "2024-02-30";
    EXPECT_EQ(m_mediator.GetPassengerFlowStatistics(bad, map), -1);
    bad.m_qstrDate = "2024-02-01";
    bad.m_iPeriod = 4;
    EXPECT_EQ(m_mediator.GetPassengerFlowStatistics(bad, map), -1);
    bad.m_iPeriod = 0;
    bad.m_qlstChannelObjIDs.clear();
    EXPECT_EQ(m_mediator.GetPassengerFlowStatistics(bad, map), 0);
    EXPECT_TRUE(map.isEmpty());
}

TEST_F(PassengerFlow, RetentionKeepsTheGivenMonthAndDropsEarlierOnes)
{
    for (const char* pszDate : {"2023-11-30", "2023-12-01", "2024-01-15", "2024-02-01"}) {
        ASSERT_EQ(m_mediator.AddPassengerFlowInfo(info("chA1", pszDate, "10:00:00", 1)), 0);
    }
    EXPECT_EQ(m_mediator.DeletePassengerFlowInfoBefore("2024x1"), -1);
    EXPECT_EQ(monthlyTables().size(), 4);
    ASSERT_EQ(m_mediator.DeletePassengerFlowInfoBefore("202401"), 0);
    EXPECT_EQ(monthlyTables(), QStringList({"TAB_PASSENGERFLOW_INFO202401", "TAB_PASSENGERFLOW_INFO202402"}));
    // The template stays.
    EXPECT_EQ(itest::scalar(kDb, "SELECT count(*) FROM TAB_PASSENGERFLOW_INFO"), 0);
}

TEST_F(PassengerFlow, RegionsAreStoredLoadedWithTheirTotalsAndRemoved)
{
    ASSERT_EQ(m_mediator.UpdateRegionParam(region()), 0);
    EXPECT_EQ(m_mediator.GetPassengerFlowRegionNum(), 1);
    EXPECT_EQ(itest::text(kDb, "SELECT S_REGION_NAME || '|' || I_MAXCAPACITY_NUMBER || '|' || I_FIX_NUMBER || '|' || "
                               "I_ALARM_INTERVAL || '|' || DT_START_STATISTIC FROM TAB_PASSENGERFLOW_REGION"),
              "Hall regionA|10|2|3|2024-03-05 12:00:00");
    EXPECT_EQ(itest::text(kDb, "SELECT group_concat(S_CHANNEL_OBJ_ID || I_SEQ, ',') FROM (SELECT * FROM "
                               "TAB_PASSENGERFLOW_REGION_CHANNEL ORDER BY I_SEQ)"),
              "chA10,chA21");
    // Saving again replaces the rows instead of adding to them.
    ASSERT_EQ(m_mediator.UpdateRegionParam(region()), 0);
    EXPECT_EQ(m_mediator.GetPassengerFlowRegionNum(), 1);
    EXPECT_EQ(itest::scalar(kDb, "SELECT count(*) FROM TAB_PASSENGERFLOW_REGION_CHANNEL"), 2);
    ASSERT_EQ(m_mediator.UpdateRegionParam(region("regionB")), 0);
    EXPECT_EQ(m_mediator.GetPassengerFlowRegionNum(), 2);

    // Counting starts at the clear time 2024-03-05 12:00:00: earlier rows and other channels
    // are left out, later months count.
    for (const CLS_PassengerFlowEntity& e :
         {info("chA1", "2024-03-05", "11:59:59", 100, 100), info("chA1", "2024-03-05", "12:00:00", 5, 1, 1),
          info("chA2", "2024-03-06", "08:00:00", 7, 2), info("chX", "2024-03-06", "08:00:00", 50),
          info("chA2", "2024-04-01", "08:00:00", 3)}) {
        ASSERT_EQ(m_mediator.AddPassengerFlowInfo(e), 0);
    }
    setNow("2024-04-02 09:00:00");
    CLS_DataMediator fresh;
    ItemReleaser release(fresh);
    ASSERT_EQ(fresh.LoginUser(IntegrationEnvironment::kAdminName, IntegrationEnvironment::kAdminPassword), 0);
    fresh.SetPassengerFlowClock(&testNow);
    LogCapture log;
    ASSERT_EQ(fresh.InitRegionParam(), 0);
    EXPECT_TRUE(log.has(2, "CLS_DataMediator::InitRegionParam m_qmapPassengerFlowRegionParam.size(2)")) << log.dump().toStdString();
    EXPECT_EQ(fresh.GetPassengerFlowRegionNum(), 2);
    const PassengerFlowRegionParamMap mapParams = fresh.GetPassengerFlowRegionParams();
    ASSERT_TRUE(mapParams.contains("regionA"));
    const STRCT_PassengerFlowRegionParam& loaded = mapParams["regionA"];
    EXPECT_EQ(loaded.m_qstrClearTime, "2024-03-05 12:00:00");
    EXPECT_EQ(loaded.m_iAlarmInterval, 3);
    EXPECT_EQ(loaded.m_iFixNumber, 2);
    ASSERT_EQ(loaded.m_qvecChannels.size(), 2);
    EXPECT_EQ(loaded.m_qvecChannels[1].m_qstrChannelObjID, "chA2");
    STRCT_PassengerFlowRegionRealTime s;
    ASSERT_TRUE(fresh.GetPassengerFlowRegionRealTime("regionA", s));
    EXPECT_EQ(QVector<int>({s.m_iInTotal, s.m_iOutTotal, s.m_iPassTotal, s.m_iCurrentNumber, s.m_iPeakNumber}),
              QVector<int>({15, 3, 1, 14, 14}));
    EXPECT_EQ(s.m_iOverCapacityCount, 1);
    EXPECT_TRUE(s.m_qmapMinuteSlots.isEmpty());
    // Loading again sets the totals instead of adding to them.
    ASSERT_EQ(fresh.InitRegionParam(), 0);
    ASSERT_TRUE(fresh.GetPassengerFlowRegionRealTime("regionA", s));
    EXPECT_EQ(s.m_iInTotal, 15);
    EXPECT_EQ(fresh.GetPassengerFlowRegionNum(), 2);

    // Channels leave all regions; regions go with their channels, the count never below 0.
    ASSERT_EQ(fresh.DeleteRegionChannels({"chA2"}), 0);
    EXPECT_EQ(itest::scalar(kDb, "SELECT count(*) FROM TAB_PASSENGERFLOW_REGION_CHANNEL WHERE S_CHANNEL_OBJ_ID = 'chA2'"), 0);
    EXPECT_EQ(fresh.GetPassengerFlowRegionParams()["regionA"].m_qvecChannels.size(), 1);
    ASSERT_EQ(fresh.DeleteRegionParam(region("regionA")), 0);
    ASSERT_EQ(fresh.DeleteRegionParam(region("regionB")), 0);
    EXPECT_EQ(fresh.GetPassengerFlowRegionNum(), 0);
    EXPECT_FALSE(fresh.GetPassengerFlowRegionRealTime("regionA", s));
    ASSERT_EQ(fresh.DeleteRegionParam(region("regionB")), 0);
    EXPECT_EQ(fresh.GetPassengerFlowRegionNum(), 0);
    EXPECT_EQ(itest::scalar(kDb, "SELECT count(*) FROM TAB_PASSENGERFLOW_REGION"), 0);
    EXPECT_EQ(itest::scalar(kDb, "SELECT count(*) FROM TAB_PASSENGERFLOW_REGION_CHANNEL"), 0);
    EXPECT_EQ(fresh.DeleteRegionParam(STRCT_PassengerFlowRegionParam()), -1);
}

TEST_F(PassengerFlow, ReportsFillTheSlotsAndTheSurgeWindowCountsTheLastMinute)
{
    ASSERT_EQ(m_mediator.UpdateRegionParam(region()), 0);
    // Unknown regions are skipped; slots are the next full minute and the next ten seconds.
    EXPECT_EQ(m_mediator.DealPassengerFlowInfo(report(6, 0, "2024-03-05 11:59:37"), {"regionA", "nowhere"}), 0);
    EXPECT_EQ(m_mediator.DealPassengerFlowInfo(report(5, 1, "2024-03-05 11:59:40"), {"regionA"}), 0);
    EXPECT_EQ(m_mediator.DealPassengerFlowInfo(report(9, 0, "2024-03-05 11:58:50"), {"regionA"}), 0);
    STRCT_PassengerFlowRegionRealTime s;
    EXPECT_FALSE(m_mediator.GetPassengerFlowRegionRealTime("nowhere", s));
    s = state();
    EXPECT_EQ(s.m_qmapShootUpSlots.keys(),
              QStringList({"2024-03-05 11:59:00", "2024-03-05 11:59:40", "2024-03-05 11:59:50"}));
    EXPECT_EQ(s.m_qmapShootUpSlots.value("2024-03-05 11:59:40"), 6);
    EXPECT_EQ(s.m_qmapMinuteSlots.keys(), QStringList({"2024-03-05 11:59:00", "2024-03-05 12:00:00"}));
    EXPECT_EQ(s.m_qmapMinuteSlots.value("2024-03-05 12:00:00").m_iIn, 11);
    EXPECT_EQ(s.m_qmapMinuteSlots.value("2024-03-05 12:00:00").m_iOut, 1);
    EXPECT_EQ(s.m_iCurrentNumber, 2 + 20 - 1);

    // At 12:00:00 the window starts at 11:59:00: 6 + 5 + 9 = 20 > 10.
    ASSERT_EQ(m_mediator.DealAllPassengerFlowInfo(), 0);
    EXPECT_EQ(state().m_iShootUpCount, 1);
    // One second later the 11:59:00 slot is older than the window: it leaves, 6 + 5 = 11 > 10.
    setNow("2024-03-05 12:00:01");
    ASSERT_EQ(m_mediator.DealAllPassengerFlowInfo(), 0);
    s = state();
    EXPECT_EQ(s.m_iShootUpCount, 2);
    EXPECT_EQ(s.m_qmapShootUpSlots.keys(), QStringList({"2024-03-05 11:59:40", "2024-03-05 11:59:50"}));
    // Once only the 5 is in the window the count drops back to 0.
    setNow("2024-03-05 12:00:45");
    ASSERT_EQ(m_mediator.DealAllPassengerFlowInfo(), 0);
    EXPECT_EQ(state().m_iShootUpCount, 0);
    EXPECT_EQ(state().m_qmapShootUpSlots.size(), 1);

    // The ten-minute history is pruned at second 10 only, to the slots after now - 610 s.
    setNow("2024-03-05 12:10:05");
    ASSERT_EQ(m_mediator.DealAllPassengerFlowInfo(), 0);
    EXPECT_EQ(state().m_qmapMinuteSlots.size(), 2);
    setNow("2024-03-05 12:10:10");
    ASSERT_EQ(m_mediator.DealAllPassengerFlowInfo(), 0);
    EXPECT_EQ(state().m_qmapMinuteSlots.keys(), QStringList({"2024-03-05 12:00:00"}));
}

TEST_F(PassengerFlow, CapacityAlarmBeginsRepeatsAndEnds)
{
    ASSERT_EQ(m_mediator.UpdateRegionParam(region()), 0);
    // Fixed 2 + 9 in = 11 > 10.
    m_mediator.DealPassengerFlowInfo(report(9, 0), {"regionA"});
    EXPECT_EQ(state().m_iOverCapacityCount, 1);
    QStringList lstRounds;
    for (int i = 0; i < 5; ++i) {
        const Alarms a = collect();
        lstRounds << QString("%1%2").arg(a.capacity.value("regionA", -1)).arg(a.capacityRepeat.value("regionA", -1));
        EXPECT_TRUE(a.surge.isEmpty() && a.surgeRepeat.isEmpty());
        m_mediator.UpdateRegionOccupancy(region());
    }
    // Round 1 begins (the countdown starts at 0, so it repeats at once), then every third round.
    EXPECT_EQ(lstRounds, QStringList({"11", "-1-1", "-1-1", "-11", "-1-1"}));
    // Back under the capacity: the next round ends the alarm and reloads the countdown.
    m_mediator.DealPassengerFlowInfo(report(0, 5), {"regionA"});
    EXPECT_EQ(state().m_iOverCapacityCount, 0);
    Alarms a = collect();
    EXPECT_EQ(a.capacity.value("regionA", -1), 0);
    EXPECT_TRUE(a.capacityRepeat.isEmpty());
    EXPECT_EQ(state().m_iCapacityAlarmState, 0);
    EXPECT_EQ(state().m_iCapacityAlarmCountdown, 3);
    a = collect();
    EXPECT_TRUE(a.capacity.isEmpty());

    // The surge alarm: same steps on its own map.
    m_mediator.DealPassengerFlowInfo(report(11, 11, "2024-03-05 11:59:55"), {"regionA"});
    m_mediator.DealAllPassengerFlowInfo();
    a = collect();
    EXPECT_EQ(a.surge.value("regionA", -1), 1);
    EXPECT_TRUE(a.capacity.isEmpty());
    setNow("2024-03-05 12:02:00");
    m_mediator.DealAllPassengerFlowInfo();
    a = collect();
    EXPECT_EQ(a.surge.value("regionA", -1), 0);
}

TEST_F(PassengerFlow, RecountResetsTheLiveStateAndMidnightRecountsEveryRegion)
{
    ASSERT_EQ(m_mediator.UpdateRegionParam(region()), 0);
    ASSERT_EQ(m_mediator.UpdateRegionParam(region("regionB")), 0);
    m_mediator.DealPassengerFlowInfo(report(20, 3, "2024-03-05 11:59:55"), {"regionA", "regionB"});
    m_mediator.DealAllPassengerFlowInfo();
    EXPECT_EQ(collect().capacity.value("regionA"), 1);
    setNow("2024-03-05 15:30:00");
    ASSERT_EQ(m_mediator.RecountPassengerFlowRegionResult("regionA"), 0);
    STRCT_PassengerFlowRegionRealTime s = state();
    EXPECT_EQ(QVector<int>({s.m_iInTotal, s.m_iOutTotal, s.m_iCurrentNumber, s.m_iPeakNumber, s.m_iOverCapacityCount,
                            s.m_iShootUpCount, s.m_iShootUpAlarmState, s.m_iCapacityAlarmCountdown,
                            s.m_iShootUpAlarmCountdown}),
              QVector<int>({0, 0, 2, 2, 0, 0, 0, 3, 3}));
    EXPECT_TRUE(s.m_qmapShootUpSlots.isEmpty());
    // The ten-minute history and the capacity alarm state stay: the next round ends the alarm.
    EXPECT_EQ(s.m_qmapMinuteSlots.size(), 1);
    EXPECT_EQ(s.m_iCapacityAlarmState, 1);
    EXPECT_EQ(collect().capacity.value("regionA", -1), 0);
    EXPECT_EQ(itest::text(kDb, "SELECT DT_START_STATISTIC FROM TAB_PASSENGERFLOW_REGION WHERE S_ID = 'regionA'"),
              "2024-03-05 15:30:00");
    EXPECT_EQ(m_mediator.GetPassengerFlowRegionParams()["regionA"].m_qstrClearTime, "2024-03-05 15:30:00");
    EXPECT_EQ(state("regionB").m_iInTotal, 20);
    EXPECT_EQ(m_mediator.RecountPassengerFlowRegionResult("nowhere"), -1);

    // Midnight: only at exactly 00:00:00.
    for (const char* pszTime : {"2024-03-05 23:59:59", "2024-03-06 00:00:01"}) {
        setNow(pszTime);
        m_mediator.RecountAllPassengerFlowRegionsAtMidnight();
        EXPECT_EQ(state("regionB").m_iInTotal, 20) << pszTime;
    }
    setNow("2024-03-06 00:00:00");
    m_mediator.RecountAllPassengerFlowRegionsAtMidnight();
    EXPECT_EQ(state("regionB").m_iInTotal, 0);
    EXPECT_EQ(itest::scalar(kDb, "SELECT count(*) FROM TAB_PASSENGERFLOW_REGION WHERE DT_START_STATISTIC = "
                                 "'2024-03-06 00:00:00'"),
              2);

    // Saving a region restarts its stored counting, and its live state with it.
    m_mediator.DealPassengerFlowInfo(report(5, 0), {"regionB"});
    EXPECT_EQ(state("regionB").m_iInTotal, 5);
    ASSERT_EQ(m_mediator.UpdateRegionParam(region("regionB")), 0);
    EXPECT_EQ(state("regionB").m_iInTotal, 0);
    EXPECT_EQ(state("regionB").m_iCurrentNumber, 2);
}

TEST_F(PassengerFlow, OnlyLoadedRegionsKeepLiveStatesAndRaiseAlarms)
{
    ASSERT_EQ(m_mediator.UpdateRegionParam(region()), 0);
    ASSERT_EQ(m_mediator.UpdateRegionParam(region("regionB")), 0);
    // Both over capacity: 2 + 9 > 10.
    m_mediator.DealPassengerFlowInfo(report(9, 0), {"regionA", "regionB"});

    // Another station deletes regionB; loading again drops its live state, so no alarm
    // (regionA restarts from its stored totals, none yet).
    ASSERT_EQ(itest::exec(kDb, "DELETE FROM TAB_PASSENGERFLOW_REGION WHERE S_ID = 'regionB'"), 0);
    ASSERT_EQ(m_mediator.InitRegionParam(), 0);
    STRCT_PassengerFlowRegionRealTime s;
    EXPECT_FALSE(m_mediator.GetPassengerFlowRegionRealTime("regionB", s));
    EXPECT_TRUE(m_mediator.GetPassengerFlowRegionRealTime("regionA", s));
    EXPECT_EQ(collect().capacity.keys(), QStringList());

    // Neither a report nor an occupancy update makes a state for a region without parameters.
    m_mediator.DealPassengerFlowInfo(report(9, 0), {"regionB"});
    m_mediator.UpdateRegionOccupancy(region("regionB"));
    EXPECT_FALSE(m_mediator.GetPassengerFlowRegionRealTime("regionB", s));

    // Another user logging in on this mediator gets none of the administrator's regions, live
    // states or alarms.
    CLS_UserEntity user;
    user.S_ID = "u-flow";
    user.S_CAPTION = "u-flow";
    user.S_PASSWORD = "pw";
    user.DT_LIMIT = "2099-01-01 00:00:00";
    user.I_OBJ_TYPE_ID = 13;
    CLS_RoleEntity role;
    role.S_ID = "r-flow";
    role.S_CAPTION = "r-flow";
    role.I_OBJ_TYPE_ID = 14;
    ASSERT_EQ(m_mediator.InsertUserAddRoleRelatedInfo(&user, &role), 0);
    m_mediator.DealPassengerFlowInfo(report(9, 0), {"regionA"});
    ASSERT_EQ(state().m_iOverCapacityCount, 1);
    ASSERT_EQ(m_mediator.LoginUser("u-flow", "pw"), 0);
    EXPECT_EQ(m_mediator.GetPassengerFlowRegionNum(), 0);
    EXPECT_TRUE(m_mediator.GetPassengerFlowRegionParams().isEmpty());
    EXPECT_FALSE(m_mediator.GetPassengerFlowRegionRealTime("regionA", s));
    const Alarms a = collect();
    EXPECT_TRUE(a.capacity.isEmpty() && a.surge.isEmpty() && a.capacityRepeat.isEmpty() &&
                a.surgeRepeat.isEmpty());
    ASSERT_EQ(m_mediator.InitRegionParam(), 0);
    EXPECT_FALSE(m_mediator.GetPassengerFlowRegionRealTime("regionA", s));
}

TEST_F(PassengerFlow, ReportsFromSeveralThreadsLoseNothingWhileTheStateIsRead)
{
    ASSERT_EQ(m_mediator.UpdateRegionParam(region()), 0);
    constexpr int kThreads = 4;
    constexpr int kReports = 60;
    std::atomic<bool> bDone{false};
    std::atomic<int> iFailures{0};
    std::atomic<int> iReads{0};
    std::thread reader([&] {
        while (!bDone.load()) {
            STRCT_PassengerFlowRegionRealTime s;
            if (m_mediator.GetPassengerFlowRegionRealTime("regionA", s) && s.m_iCurrentNumber != 2 + s.m_iInTotal) {
                ++iFailures;
            }
            QMap<QString, qint32> a, b, c, d;
            m_mediator.CollectPassengerFlowAlarms(a, b, c, d);
            m_mediator.DealAllPassengerFlowInfo();
            ++iReads;
        }
    });
    std::vector<std::thread> vecWriters;
    for (int t = 0; t < kThreads; ++t) {
        vecWriters.emplace_back([&, t] {
            for (int i = 0; i < kReports; ++i) {
                // All threads share a few slots, so inserts of one slot race.
                const QString strTime = QString("10:%1:00").arg(i % 3, 2, 10, QChar('0'));
                if (m_mediator.AddPassengerFlowInfo(info(t % 2 ? "chA1" : "chA2", "2024-03-05", strTime, 1)) != 0) {
                    ++iFailures;
                }
                m_mediator.DealPassengerFlowInfo(report(1, 0, "2024-03-05 11:59:0" + QString::number(i % 10)),
                                                 {"regionA"});
            }
        });
    }
    for (std::thread& w : vecWriters) {
        w.join();
    }
    bDone = true;
    reader.join();
    EXPECT_EQ(iFailures.load(), 0);
    EXPECT_GT(iReads.load(), 0);
    EXPECT_EQ(state().m_iInTotal, kThreads * kReports);
    EXPECT_EQ(itest::scalar(kDb, "SELECT sum(I_IN_NUMBER) FROM TAB_PASSENGERFLOW_INFO202403"), kThreads * kReports);
    // One row per channel and slot however the inserts raced.
    EXPECT_EQ(itest::scalar(kDb, "SELECT count(*) FROM TAB_PASSENGERFLOW_INFO202403"), 6);
}

}  // namespace
