// Face captures against a real server and schema: storing with the per-second sequence and the
// "r480" switch, search paging across months, counts, statistics of a week, retention queries
// and the deletion that drops past months left empty.
#include "CLS_DataAccess.h"
#include "DataBase/EntityDao/FaceRecognition/CLS_IntelligentDataRecEntityDAO.h"
#include "IntegrationFixture.h"
#include "LogCapture.h"

#include <QRegularExpression>

namespace {

const auto* const g_env =
    ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"itfaces01", /*admin*/ true, {}}));

const char kDb[] = "Tessel-intelligent";
const char kTable[] = "TAB_INTELLIGENT_FACE_CAPTURE";

STRCT_FaceParseResult capture(const QString& _strTime, const QString& _strChannel = "chF", int _iAge = 1,
                              int _iGender = 0, qint64 _i64Size = 1)
{
    STRCT_FaceParseResult r;
    r.m_strHostID = "hostF";
    r.m_strChannelID = _strChannel;
    r.m_strCaptureTime = _strTime;
    r.m_iAgeType = _iAge;
    r.m_iGenderType = _iGender;
    r.m_iMasksType = 0;
    r.m_iGlassesType = -1;
    r.m_iTemperatureType = 1;
    r.m_strTemperatureValue = "36.50";
    r.m_strBigPicPath = "/cap/" + _strTime + "b.jpg";
    r.m_strSmallPicPath = "/cap/" + _strTime + "s.jpg";
    r.m_i64FileSize = _i64Size;
    r.m_strName = "it's";
    return r;
}

QStringList monthlyTables()
{
    QVector<QString> vecTables;
    CLS_BaseEntityDAO::PartitionGetTables(kDb, kTable, QString(), QString(), vecTables);
    return QStringList(vecTables.begin(), vecTables.end());
}

struct Captures
{
    QVector<CLS_IntelligentDataRecEntity*> vec;
    ~Captures() { qDeleteAll(vec); }
    QStringList times() const
    {
        QStringList lst;
        for (const CLS_IntelligentDataRecEntity* p : vec) {
            lst << p->DT_CAPTURE + "#" + QString::number(p->I_SEQ);
        }
        return lst;
    }
};

class FaceCaptures : public LoggedInTest
{
protected:
    void SetUp() override
    {
        LoggedInTest::SetUp();
        for (const QString& strTable : monthlyTables()) {
            ASSERT_EQ(itest::exec(kDb, "DROP TABLE " + strTable), 0);
        }
    }
};

TEST_F(FaceCaptures, StoringNumbersCapturesWithinTheirSecondAndSplitsByMonth)
{
    QVector<STRCT_FaceParseResult> vecResults{capture("2024-01-31 23:59:59"), capture("2024-01-31 23:59:59"),
                                              capture("2024-01-31 23:59:59"), capture("2024-02-01 00:00:00")};
    vecResults[1].m_strName = "Ann'); DROP TABLE x; --";
    ASSERT_TRUE(m_mediator.AddTransactionForAddFaceCapture(vecResults));
    EXPECT_EQ(monthlyTables(), QStringList({"TAB_INTELLIGENT_FACE_CAPTURE202401", "TAB_INTELLIGENT_FACE_CAPTURE202402"}));
    EXPECT_EQ(itest::text(kDb, "SELECT group_concat(I_SEQ, ',') FROM (SELECT I_SEQ FROM "
                               "TAB_INTELLIGENT_FACE_CAPTURE202401 ORDER BY I_SEQ)"),
              "0,1,2");
    EXPECT_EQ(itest::scalar(kDb, "SELECT I_SEQ FROM TAB_INTELLIGENT_FACE_CAPTURE202402"), 0);
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_INTELLIGENT_FACE_CAPTURE202401 WHERE S_NAME = :n",
                            {{":n", "Ann'); DROP TABLE x; --"}}),
              1);
    const QString strId = itest::text(kDb, "SELECT S_ID FROM TAB_INTELLIGENT_FACE_CAPTURE202402");
    EXPECT_TRUE(QRegularExpression("^[0-9a-f]{32}$").match(strId).hasMatch()) << strId.toStdString();
    EXPECT_EQ(itest::text(kDb, "SELECT S_TEMPERATURE_VALUE || '|' || I_GLASSES_TYPE || '|' || S_SMALL_PATH FROM "
                               "TAB_INTELLIGENT_FACE_CAPTURE202402"),
              "36.50|-1|/cap/2024-02-01 00:00:00s.jpg");

    // One capture on its own, in the same second as the last one stored, counts on; one of an
    // earlier second starts at 0 again (only the last second is remembered).
    ASSERT_EQ(m_mediator.AddFaceCapture(capture("2024-02-01 00:00:00")), 0);
    EXPECT_EQ(itest::scalar(kDb, "SELECT MAX(I_SEQ) FROM TAB_INTELLIGENT_FACE_CAPTURE202402"), 1);
    ASSERT_EQ(m_mediator.AddFaceCapture(capture("2024-01-31 23:59:59")), 0);
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_INTELLIGENT_FACE_CAPTURE202401 WHERE I_SEQ = 0"), 2);

    // A time without a month stores nothing.
    EXPECT_FALSE(m_mediator.AddTransactionForAddFaceCapture({capture("2024-03-01 00:00:00"), capture("bad")}));
    EXPECT_EQ(monthlyTables().size(), 2);
}

TEST_F(FaceCaptures, SoftwareTypeR480StoresNothingAndSucceeds)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    const QString strBefore = access.GetSoftwareType();
    ASSERT_EQ(access.SetConfigValue("MAINTYPE_SYSCONFIG", "SoftwareType", "r480", QString()), 0);
    LogCapture log;
    const bool bStored = m_mediator.AddTransactionForAddFaceCapture({capture("2024-01-05 10:00:00")});
    const int iSingle = m_mediator.AddFaceCapture(capture("2024-01-05 10:00:01"));
    ASSERT_EQ(access.SetConfigValue("MAINTYPE_SYSCONFIG", "SoftwareType", strBefore, QString()), 0);
    EXPECT_TRUE(bStored);
    EXPECT_EQ(iSingle, 0);
    EXPECT_TRUE(log.has(2, "CLS_DataMediator::AddTransactionForAddFaceCapture SoftwareType=r480")) << log.dump().toStdString();
    EXPECT_TRUE(monthlyTables().isEmpty());
}

TEST_F(FaceCaptures, SearchPagesAcrossMonthsNewestFirstWithFilters)
{
    QVector<STRCT_FaceParseResult> vecResults;
    // January 19th lies before the range; the rest spans three months.
    vecResults << capture("2024-01-19 12:00:00") << capture("2024-01-20 08:00:00") << capture("2024-01-25 08:00:00", "chF", 2)
               << capture("2024-02-10 08:00:00") << capture("2024-02-10 08:00:00", "chG") << capture("2024-03-05 07:00:00", "chF", 1, 1)
               << capture("2024-03-05 07:00:00") << capture("2024-03-06 00:00:00");
    ASSERT_TRUE(m_mediator.AddTransactionForAddFaceCapture(vecResults));

    CLS_IntelligentDataRecSearchEntity search;
    search.m_strStartTime = "2024-01-20 00:00:00";
    search.m_strEndTime = "2024-03-05 23:59:59";
    search.m_iPageSize = 3;
    QStringList lstAll;
    for (int iPage = 1; iPage <= 3; ++iPage) {
        search.m_iPageNumber = iPage;
        Captures page;
        ASSERT_EQ(m_mediator.SearchFaceCapture(search, page.vec), 0);
        lstAll += page.times();
    }
    EXPECT_EQ(lstAll, QStringList({"2024-03-05 07:00:00#1", "2024-03-05 07:00:00#0", "2024-02-10 08:00:00#1",
                                   "2024-02-10 08:00:00#0", "2024-01-25 08:00:00#0", "2024-01-20 08:00:00#0"}));
    EXPECT_EQ(m_mediator.GetFaceCaptureCount(search), 6);

    struct Case
    {
        const char* name;
        int age, gender;
        QStringList channels;
        int count;
    };
    const Case cases[] = {
        {"age", 2, -2, {}, 1},
        {"gender", -2, 1, {}, 1},
        {"age_and_gender", 1, 0, {}, 4},
        {"channels", -2, -2, {"chG"}, 1},
        {"channel_quote", -2, -2, {"chG' OR '1'='1"}, 0},
    };
    for (const Case& c : cases) {
        CLS_IntelligentDataRecSearchEntity filtered = search;
        filtered.m_iPageSize = 0;
        filtered.m_iAge = c.age;
        filtered.m_iGender = c.gender;
        filtered.m_lstChannelIDs = c.channels;
        Captures found;
        ASSERT_EQ(m_mediator.SearchFaceCapture(filtered, found.vec), 0) << c.name;
        EXPECT_EQ(found.vec.size(), c.count) << c.name;
        EXPECT_EQ(m_mediator.GetFaceCaptureCount(filtered), c.count) << c.name;
    }

    // A channel list alone is a valid filter over every month.
    CLS_IntelligentDataRecSearchEntity byChannel;
    byChannel.m_lstChannelIDs = QStringList{"chG", "chX"};
    Captures found;
    ASSERT_EQ(m_mediator.SearchFaceCapture(byChannel, found.vec), 0);
    EXPECT_EQ(found.times(), QStringList({"2024-02-10 08:00:00#1"}));
    EXPECT_EQ(m_mediator.GetFaceCaptureCount(byChannel), 1);
    EXPECT_EQ(m_mediator.GetFaceCaptureCount(CLS_IntelligentDataRecSearchEntity()), 8);
}

TEST_F(FaceCaptures, WeekStatisticsCountFromMondayUpToTheNextMondayAcrossMonths)
{
    // Wednesday 2024-01-31: the week runs from Monday 2024-01-29 to Sunday 2024-02-04.
    QVector<STRCT_FaceParseResult> vecResults;
    vecResults << capture("2024-01-28 23:59:59")                   // Sunday before
               << capture("2024-01-29 00:00:00", "chF", 1, -1)     // Monday
               << capture("2024-01-31 12:00:00", "chF", 3, 1)      // Wednesday
               << capture("2024-01-31 13:00:00", "chF", 3, 1)      // Wednesday
               << capture("2024-02-04 23:59:59", "chF", 4, 0)      // Sunday
               << capture("2024-02-05 00:00:00")                   // next Monday
               << capture("2024-01-31 12:00:00", "chOther");
    ASSERT_TRUE(m_mediator.AddTransactionForAddFaceCapture(vecResults));

    QMap<QString, QVector<qint64>> mapCount;
    ASSERT_EQ(m_mediator.GetFaceCaptureStatistics("2024-01-31", 1, 2, "chF", mapCount), 0);
    const QMap<QString, QVector<qint64>> expectedCount{{"1", {1}}, {"3", {2}}, {"0", {1}}};
    EXPECT_EQ(mapCount, expectedCount);

    QMap<QString, QVector<qint64>> mapGender;
    ASSERT_EQ(m_mediator.GetFaceCaptureStatistics("2024-01-31", 1, 1, "chF", mapGender), 0);
    const QMap<QString, QVector<qint64>> expectedGender{{"1", {1, 0, 0}}, {"3", {0, 0, 2}}, {"0", {0, 1, 0}}};
    EXPECT_EQ(mapGender, expectedGender);

    QMap<QString, QVector<qint64>> mapDay;
    ASSERT_EQ(m_mediator.GetFaceCaptureStatistics("2024-01-31", 0, 0, "chF", mapDay), 0);
    const QMap<QString, QVector<qint64>> expectedDay{{"12", {0, 0, 1, 0}}, {"13", {0, 0, 1, 0}}};
    EXPECT_EQ(mapDay, expectedDay);

    QMap<QString, QVector<qint64>> mapYear;
    ASSERT_EQ(m_mediator.GetFaceCaptureStatistics("2024-06-15", 3, 2, "chF", mapYear), 0);
    const QMap<QString, QVector<qint64>> expectedYear{{"01", {4}}, {"02", {2}}};
    EXPECT_EQ(mapYear, expectedYear);

    QMap<QString, QVector<qint64>> mapBad;
    EXPECT_EQ(m_mediator.GetFaceCaptureStatistics("2024-01-31", 4, 2, "chF", mapBad), -1);
    EXPECT_EQ(m_mediator.GetFaceCaptureStatistics("2024-01-31", 1, 6, "chF", mapBad), -1);
    EXPECT_EQ(m_mediator.GetFaceCaptureStatistics("31.01.2024", 1, 2, "chF", mapBad), -1);
    EXPECT_TRUE(mapBad.isEmpty());
}

TEST_F(FaceCaptures, RetentionQueriesRunOverEveryMonth)
{
    EXPECT_FALSE(m_mediator.GetEarliestFaceCaptureTime().isValid());
    QVector<STRCT_FaceParseResult> vecResults;
    vecResults << capture("2024-03-01 00:00:00", "chF", 1, 0, 100) << capture("2023-12-31 23:00:00", "chF", 1, 0, 10)
               << capture("2024-01-15 00:00:00", "chF", 1, 0, 20) << capture("2024-01-15 00:00:00", "chF", 1, 0, 40);
    ASSERT_TRUE(m_mediator.AddTransactionForAddFaceCapture(vecResults));
    EXPECT_EQ(m_mediator.GetEarliestFaceCaptureTime(), QDateTime(QDate(2023, 12, 31), QTime(23, 0, 0)));
    Captures oldest;
    ASSERT_EQ(m_mediator.GetOldestFaceCaptures(3, oldest.vec), 0);
    EXPECT_EQ(oldest.times(), QStringList({"2023-12-31 23:00:00#0", "2024-01-15 00:00:00#0", "2024-01-15 00:00:00#1"}));
    EXPECT_EQ(m_mediator.GetOldestFaceCaptureSize(2), 30);
    // As "LIMIT 0,N": a negative count takes every capture, 0 none.
    Captures every;
    ASSERT_EQ(m_mediator.GetOldestFaceCaptures(-1, every.vec), 0);
    EXPECT_EQ(every.vec.size(), 4);
    EXPECT_EQ(m_mediator.GetOldestFaceCaptureSize(-1), 170);
    Captures none;
    ASSERT_EQ(m_mediator.GetOldestFaceCaptures(0, none.vec), 0);
    EXPECT_TRUE(none.vec.isEmpty());
    EXPECT_EQ(m_mediator.GetOldestFaceCaptureSize(0), 0);
    Captures before;
    ASSERT_EQ(m_mediator.GetFaceCapturesBefore("2024-03-01 00:00:00", before.vec), 0);
    EXPECT_EQ(before.vec.size(), 3);
    EXPECT_EQ(m_mediator.GetFaceCaptureSizeBefore("2024-03-01 00:00:00"), 70);
    EXPECT_EQ(m_mediator.GetFaceCaptureSizeBefore("2024-03-01 00:00:01"), 170);
}

TEST_F(FaceCaptures, DeletingDropsPastMonthsLeftEmptyAndKeepsTheCurrentOne)
{
    const QString strNow = QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss");
    const QString strCurrent = QString(kTable) + QDate::currentDate().toString("yyyyMM");
    QVector<STRCT_FaceParseResult> vecResults;
    vecResults << capture("2023-05-10 10:00:00") << capture("2023-06-10 10:00:00") << capture("2023-06-11 10:00:00")
               << capture(strNow);
    ASSERT_TRUE(m_mediator.AddTransactionForAddFaceCapture(vecResults));
    const auto idAt = [](const QString& _strTable, const QString& _strTime) {
        return itest::text(kDb, "SELECT S_ID FROM " + _strTable + " WHERE DT_CAPTURE = :t", {{":t", _strTime}});
    };
    const QString strMay = idAt("TAB_INTELLIGENT_FACE_CAPTURE202305", "2023-05-10 10:00:00");
    const QString strJune = idAt("TAB_INTELLIGENT_FACE_CAPTURE202306", "2023-06-10 10:00:00");
    const QString strToday = idAt(strCurrent, strNow);

    EXPECT_EQ(m_mediator.DeleteFaceCaptureByIds({}), 0);
    // A capture of a month without a table is skipped, not a failure.
    ASSERT_EQ(m_mediator.DeleteFaceCaptureByIds({{strMay, "2023-05-10 10:00:00"},
                                                 {strJune, "2023-06-10 10:00:00"},
                                                 {"gone", "2022-01-01 00:00:00"},
                                                 {strToday, strNow}}),
              0);
    EXPECT_EQ(monthlyTables(), QStringList({"TAB_INTELLIGENT_FACE_CAPTURE202306", strCurrent}));
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM " + strCurrent), 0);
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_INTELLIGENT_FACE_CAPTURE202306"), 1);

    // A dropped month is made again by its next capture.
    ASSERT_TRUE(m_mediator.AddTransactionForAddFaceCapture({capture("2023-05-11 10:00:00")}));
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_INTELLIGENT_FACE_CAPTURE202305"), 1);

    ASSERT_EQ(m_mediator.DeleteAllFaceCapture(), 0);
    for (const QString& strTable : monthlyTables()) {
        EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM " + strTable), 0) << strTable.toStdString();
    }
}

}  // namespace
