// The capacity run's station: its percentiles, and that a failed operation counts as an error
// and never as a latency (a station against a stopped server reports errors, not fast answers).
#include "IntegrationFixture.h"
#include "Station.h"

#include <QJsonObject>

#include <cmath>

namespace {

const auto* const g_env =
    ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"57a710", /*admin*/ true}));

station::OpStats statsOf(const std::vector<double>& _vecMs)
{
    station::OpStats stats;
    for (double d : _vecMs) {
        stats.addSuccess(d);
    }
    return stats;
}

TEST(StationStats, NearestRankPercentiles)
{
    std::vector<double> vecHundred;
    for (int i = 100; i >= 1; --i) {  // unsorted on purpose
        vecHundred.push_back(i);
    }
    const struct
    {
        std::vector<double> vecMs;
        double dPercent;
        double dExpected;
    } cases[] = {
        {vecHundred, 50, 50},
        {vecHundred, 99, 99},
        {vecHundred, 100, 100},
        {vecHundred, 0, 1},
        {{7}, 50, 7},
        {{7}, 99, 7},
        // ten samples: the 99th percentile is the slowest one, not an interpolation below it
        {{1, 1, 1, 1, 1, 1, 1, 1, 1, 500}, 99, 500},
        {{1, 1, 1, 1, 1, 1, 1, 1, 1, 500}, 90, 1},
        {{3, 1, 2}, 50, 2},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(statsOf(c.vecMs).percentile(c.dPercent), c.dExpected)
            << c.vecMs.size() << " samples, p" << c.dPercent;
    }
    EXPECT_DOUBLE_EQ(statsOf(vecHundred).max(), 100);
}

TEST(StationStats, NoSamplesIsNoFigure)
{
    station::OpStats stats;
    stats.addError();
    EXPECT_TRUE(std::isnan(stats.percentile(50)));
    const QJsonObject json = stats.toJson();
    EXPECT_EQ(json.value("errors").toInt(), 1);
    EXPECT_EQ(json.value("count").toInt(), 0);
    for (const char* pszKey : {"p50_ms", "p99_ms", "max_ms"}) {
        EXPECT_TRUE(json.value(pszKey).isNull()) << pszKey;
    }
}

station::SiteFacts smallSite()
{
    station::SiteFacts site;
    site.strLastDay = QDate::currentDate().toString(Qt::ISODate);
    site.iAlarmDays = site.iRecordingDays = 1;
    site.strFaceFirstDay = site.strFlowFirstDay = site.strLastDay;
    site.lstFlowChannels = QStringList{"pf-a", "pf-b"};
    site.lstFaceChannels = QStringList{"face-a"};
    return site;
}

// Must stay last: it stops the server.
TEST(Station, ZErrorsCountedWithTheServerStopped)
{
    I_DataMediator* pMediator = CreateMediator();
    station::Options options;
    options.strUser = IntegrationEnvironment::kAdminName;
    options.strPassword = IntegrationEnvironment::kAdminPassword;
    options.bReceiver = true;
    station::Station live(*pMediator, smallSite(), options);

    // With the server up, the start-up's reads succeed and are timed; this site has no linkage
    // rules, which the station counts as a failed read.
    EXPECT_FALSE(live.startUp());
    for (const char* pszKind : {"login", "tree_load", "settings", "alarm_types"}) {
        EXPECT_EQ(live.stats().value(pszKind).count(), 1) << pszKind;
        EXPECT_EQ(live.stats().value(pszKind).errors(), 0) << pszKind;
    }
    EXPECT_EQ(live.stats().value("linkage").errors(), 1);
    EXPECT_TRUE(live.runOnce("view_read"));
    EXPECT_EQ(live.stats().value("view_read").count(), 1);
    // An empty alarm log reads as a count of 0, which cannot be told from a failure: an error.
    EXPECT_FALSE(live.runOnce("alarm_count"));

    ServerProcess& server = IntegrationEnvironment::instance().server();
    ASSERT_TRUE(server.stop()) << server.output().toStdString();
    ASSERT_TRUE(itest::waitFor([] { return CLS_RemoteDBHandler::m_iConnectedStatus.load() < 0; }, 5000));

    station::Station stopped(*pMediator, smallSite(), options);
    EXPECT_FALSE(stopped.startUp());
    EXPECT_EQ(stopped.stats().value("login").errors(), 1);
    EXPECT_EQ(stopped.stats().value("login").count(), 0);
    for (const station::Rate& rate : station::mixRates()) {
        EXPECT_FALSE(stopped.runOnce(rate.pszKind)) << rate.pszKind;
        const station::OpStats stats = stopped.stats().value(rate.pszKind);
        EXPECT_EQ(stats.errors(), 1) << rate.pszKind;
        EXPECT_EQ(stats.count(), 0) << rate.pszKind;
    }
    const QJsonObject ops = stopped.report().value("ops").toObject();
    EXPECT_TRUE(ops.value("alarm_page").toObject().value("p50_ms").isNull());
    EXPECT_EQ(ops.value("alarm_write").toObject().value("errors").toInt(), 1);
    EXPECT_FALSE(stopped.runOnce("no such kind"));

    CLS_DataMediatorTestAccess::releaseItems(*static_cast<CLS_DataMediator*>(pMediator));
    DeleteMediator(pMediator);
}

}  // namespace
