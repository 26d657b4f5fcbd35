// Behaviour snapshots and car, pad and way passages against a real server and schema: storing
// across months, the union over the months of a range paged newest first with its count,
// bound filters, retention lists and the deletion that drops past months left empty.
#include "CLS_DataAccess.h"
#include "IntegrationFixture.h"
#include "LogCapture.h"

#include <QRegularExpression>

namespace {

IntegrationOptions options()
{
    IntegrationOptions o;
    o.strClientId = "itpass01";
    o.bAddAdmin = true;
    return o;
}

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment(options()));

const char kDb[] = "Tessel-intelligent";
const char* const kTemplates[] = {"TAB_CAR_HISTORY", "TAB_PAD_HISTORY", "TAB_WAY_HISTORY",
                                  "TAB_INTELLIGENT_BEHAVIOR_CAPTURE"};

QStringList monthlyTables(const QString& _strTemplate)
{
    QVector<QString> vecTables;
    CLS_BaseEntityDAO::PartitionGetTables(kDb, _strTemplate, QString(), QString(), vecTables);
    QStringList lst;
    for (const QString& strTable : vecTables) {
        if (strTable != _strTemplate) {
            lst << strTable;
        }
    }
    return lst;
}

CLS_CarDataRecvEntity car(const QString& _strTime, const QString& _strPlate, const QString& _strSn = "sn1")
{
    CLS_CarDataRecvEntity c;
    c.S_Vlp = _strPlate;
    c.S_Vlpc = "2";
    c.S_PassTime = _strTime;
    c.S_Image = "/car/" + _strPlate + ".jpg";
    c.S_SN = _strSn;
    c.S_TerminalName = "gate";
    return c;
}

QStringList plates(const QVector<CLS_CarDataRecvEntity>& _vec)
{
    QStringList lst;
    for (const CLS_CarDataRecvEntity& c : _vec) {
        lst << c.S_Vlp;
    }
    return lst;
}

STRCT_PassageQuery range(const QString& _strStart, const QString& _strEnd, int _iPageSize = 50,
                         int _iPage = 1)
{
    STRCT_PassageQuery q;
    q.m_qstrStartTime = _strStart;
    q.m_qstrEndTime = _strEnd;
    q.m_iPageSize = _iPageSize;
    q.m_iPageIndex = _iPage;
    return q;
}

class Passages : public LoggedInTest
{
protected:
    void SetUp() override
    {
        LoggedInTest::SetUp();
        for (const char* pszTemplate : kTemplates) {
            for (const QString& strTable : monthlyTables(pszTemplate)) {
                ASSERT_EQ(itest::exec(kDb, "DROP TABLE " + strTable), 0);
            }
        }
    }

    // Cars over four months; the plates sort the way their times do.
    void storeCars()
    {
        QVector<CLS_CarDataRecvEntity> vec{
            car("2024-01-10 08:00:00", "A1001"),        car("2024-02-01 00:00:00", "A1002"),
            car("2024-02-20 12:00:01", "B2001", "sn2"), car("2024-02-20 12:00:00", "A1003"),
            car("2024-03-05 09:30:00", "A1004"),        car("2024-04-01 00:00:00", "A1005")};
        ASSERT_EQ(m_mediator.SaveCarRecvDataToDB(vec), 0);
    }
};

TEST_F(Passages, SeveralCarsOfOneMonthAreAllStoredWithIdsOfTheirOwn)
{
    storeCars();
    EXPECT_EQ(monthlyTables("TAB_CAR_HISTORY"),
              QStringList({"TAB_CAR_HISTORY202401", "TAB_CAR_HISTORY202402", "TAB_CAR_HISTORY202403",
                           "TAB_CAR_HISTORY202404"}));
    // Three records of February in one transaction: none is lost to another's statement.
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(DISTINCT S_ID) FROM TAB_CAR_HISTORY202402"), 3);
    const QString strId = itest::text(kDb, "SELECT S_ID FROM TAB_CAR_HISTORY202401");
    EXPECT_TRUE(QRegularExpression("^[0-9a-f]{32}$").match(strId).hasMatch()) << strId.toStdString();

    // One record alone goes through the single statement; its id comes back.
    CLS_CarDataRecvEntity one = car("2024-01-11 08:00:00", "Z'); DROP TABLE TAB_CAR_HISTORY202401; --");
    ASSERT_EQ(m_mediator.SaveCarRecvDataToDB(one), 0);
    EXPECT_FALSE(one.S_ID.isEmpty());
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_CAR_HISTORY202401 WHERE S_ID = :id",
                            {{":id", one.S_ID}}),
              1);

    // A pass time without a month stores nothing of the batch.
    QVector<CLS_CarDataRecvEntity> vecBad{car("2024-05-01 00:00:00", "C1"), car("yesterday", "C2")};
    EXPECT_EQ(m_mediator.SaveCarRecvDataToDB(vecBad), -1);
    QVector<CLS_CarDataRecvEntity> vecEmpty;
    LogCapture log;
    EXPECT_EQ(m_mediator.SaveCarRecvDataToDB(vecEmpty), -1);
    EXPECT_TRUE(log.has(3, "CLS_DataAccess::SaveCarRecvDataToDB _qvecCarData is empty"))
        << log.dump().toStdString();
    EXPECT_EQ(monthlyTables("TAB_CAR_HISTORY").size(), 4);
}

TEST_F(Passages, CarQueryUnionsTheMonthsOfItsRangeNewestFirst)
{
    storeCars();
    {
        LogCapture log;
        QVector<CLS_CarDataRecvEntity> vec;
        ASSERT_EQ(m_mediator.QueryCarHistory(range("2024-02-01 00:00:00", "2024-02-29 23:59:59"), vec), 0);
        EXPECT_TRUE(log.has(1, "CLS_CarDataRecvDao::QueryCarHistory qvecTables.size=1"))
            << log.dump().toStdString();
        EXPECT_EQ(plates(vec), QStringList({"B2001", "A1003", "A1002"}));
    }
    {
        LogCapture log;
        QVector<CLS_CarDataRecvEntity> vec;
        const STRCT_PassageQuery q = range("2024-01-10 08:00:00", "2024-03-31 00:00:00");
        ASSERT_EQ(m_mediator.QueryCarHistory(q, vec), 0);
        EXPECT_TRUE(log.has(1, "CLS_CarDataRecvDao::QueryCarHistory qvecTables.size=3"))
            << log.dump().toStdString();
        EXPECT_EQ(plates(vec), QStringList({"A1004", "B2001", "A1003", "A1002", "A1001"}));
        EXPECT_EQ(vec.first().S_PassTime, "2024-03-05 09:30:00");
        EXPECT_EQ(vec.first().S_Image, "/car/A1004.jpg");
        EXPECT_EQ(m_mediator.GetCarRecordCount(q), 5);
    }

    struct Case
    {
        const char* name;
        QString key;
        bool prefix;
        QStringList sns;
        QStringList expected;
    };
    const Case cases[] = {
        {"plate", "A1003", false, {}, {"A1003"}},
        {"plate_prefix", "A100", true, {}, {"A1005", "A1004", "A1003", "A1002", "A1001"}},
        {"prefix_is_not_a_pattern", "A_", true, {}, {}},
        {"terminals", "", false, {"sn2", "nosuch"}, {"B2001"}},
        {"plate_and_terminal", "A1003", false, {"sn2"}, {}},
        {"quote_is_a_value", "A1003' OR '1'='1", false, {}, {}},
    };
    for (const Case& c : cases) {
        STRCT_PassageQuery q = range(QString(), QString());
        q.m_qstrKey = c.key;
        q.m_bKeyPrefix = c.prefix;
        q.m_lstTerminalSns = c.sns;
        QVector<CLS_CarDataRecvEntity> vec;
        ASSERT_EQ(m_mediator.QueryCarHistory(q, vec), 0) << c.name;
        EXPECT_EQ(plates(vec), c.expected) << c.name;
        EXPECT_EQ(m_mediator.GetCarRecordCount(q), c.expected.size()) << c.name;
    }

    // A range of months without any table: no rows, count 0.
    QVector<CLS_CarDataRecvEntity> vecNone;
    EXPECT_EQ(m_mediator.QueryCarHistory(range("2030-01-01 00:00:00", "2030-02-01 00:00:00"), vecNone), 0);
    EXPECT_TRUE(vecNone.isEmpty());
    EXPECT_EQ(m_mediator.GetCarRecordCount(range("2030-01-01 00:00:00", "2030-02-01 00:00:00")), 0);
}

TEST_F(Passages, PagesWalkTheUnionAndAPagePastTheEndKeepsTheTotal)
{
    storeCars();
    QStringList lstAll;
    for (int iPage = 1; iPage <= 3; ++iPage) {
        QVector<CLS_CarDataRecvEntity> vec;
        ASSERT_EQ(m_mediator.QueryCarHistory(range(QString(), QString(), 2, iPage), vec), 0);
        EXPECT_EQ(vec.size(), 2) << iPage;
        lstAll += plates(vec);
    }
    EXPECT_EQ(lstAll, QStringList({"A1005", "A1004", "B2001", "A1003", "A1002", "A1001"}));

    const STRCT_PassageQuery past = range(QString(), QString(), 2, 4);
    QVector<CLS_CarDataRecvEntity> vecPast;
    ASSERT_EQ(m_mediator.QueryCarHistory(past, vecPast), 0);
    EXPECT_TRUE(vecPast.isEmpty());
    EXPECT_EQ(m_mediator.GetCarRecordCount(past), 6);

    LogCapture log;
    QVector<CLS_CarDataRecvEntity> vec;
    EXPECT_EQ(m_mediator.QueryCarHistory(range(QString(), QString(), 0, 1), vec), -1);
    EXPECT_EQ(m_mediator.QueryCarHistory(range(QString(), QString(), 10, 0), vec), -1);
    EXPECT_TRUE(vec.isEmpty());
    EXPECT_TRUE(
        log.has(3, "CLS_DataAccess::QueryCarHistory _query.m_iPageSize <= 0 || _query.m_iPageIndex < 1"))
        << log.dump().toStdString();
}

TEST_F(Passages, DeletingTheLastPassagesOfAPastMonthDropsItsTable)
{
    storeCars();
    const QString strNow = QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss");
    const QString strCurrent = "TAB_CAR_HISTORY" + QDate::currentDate().toString("yyyyMM");
    CLS_CarDataRecvEntity today = car(strNow, "NOW1");
    ASSERT_EQ(m_mediator.SaveCarRecvDataToDB(today), 0);

    QVector<CLS_CarDataRecvEntity> vecJan;
    ASSERT_EQ(m_mediator.QueryCarHistory(range("2024-01-01 00:00:00", "2024-01-31 23:59:59"), vecJan), 0);
    ASSERT_EQ(vecJan.size(), 1);
    QVector<CLS_CarDataRecvEntity> vecFeb;
    ASSERT_EQ(m_mediator.QueryCarHistory(range("2024-02-01 00:00:00", "2024-02-29 23:59:59"), vecFeb), 0);
    ASSERT_EQ(vecFeb.size(), 3);

    EXPECT_EQ(m_mediator.DelCarPicRec({}), 0);
    ASSERT_EQ(m_mediator.DelCarPicRec({{vecJan[0].S_ID, vecJan[0].S_PassTime},
                                       {vecFeb[0].S_ID, vecFeb[0].S_PassTime},
                                       {vecFeb[1].S_ID, vecFeb[1].S_PassTime},
                                       {"gone", "2022-01-01 00:00:00"},
                                       {today.S_ID, today.S_PassTime}}),
              0);
    const QStringList lstLeft = monthlyTables("TAB_CAR_HISTORY");
    EXPECT_FALSE(lstLeft.contains("TAB_CAR_HISTORY202401"));
    EXPECT_TRUE(lstLeft.contains("TAB_CAR_HISTORY202402"));
    EXPECT_TRUE(lstLeft.contains(strCurrent));
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_CAR_HISTORY202402"), 1);
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM " + strCurrent), 0);

    // Retention: the oldest passages over every month.
    QVector<CLS_CarDataRecvEntity> vecOldest;
    ASSERT_EQ(m_mediator.GetCarPicFiles(2, vecOldest), 0);
    EXPECT_EQ(plates(vecOldest), QStringList({"A1002", "A1004"}));

    ASSERT_EQ(m_mediator.DeleteAllCarPicData(), 0);
    EXPECT_EQ(m_mediator.GetCarRecordCount(range(QString(), QString())), 0);
}

TEST_F(Passages, PadAndWayPassagesSearchByTheirOwnColumns)
{
    QVector<CLS_PadDataRecvEntity> vecPad(3);
    const char* const aszTimes[] = {"2024-05-31 23:59:59", "2024-06-01 00:00:00", "2024-06-02 10:00:00"};
    for (int i = 0; i < 3; ++i) {
        vecPad[i].S_UserCode = i == 1 ? "U2" : "U1";
        vecPad[i].S_UserName = "Ann";
        vecPad[i].S_PassTime = aszTimes[i];
        vecPad[i].S_TerminalSn = i == 2 ? "padB" : "padA";
    }
    ASSERT_EQ(m_mediator.SavePadRecvDataToDB(vecPad), 0);
    STRCT_PassageQuery q = range("2024-05-01 00:00:00", "2024-06-30 00:00:00");
    q.m_qstrKey = "U1";
    QVector<CLS_PadDataRecvEntity> vecFound;
    {
        LogCapture log;
        ASSERT_EQ(m_mediator.QueryPadHistory(q, vecFound), 0);
        EXPECT_TRUE(log.has(1, "CLS_PadDataRecvDao::QueryPadHistory qvecTables.size=2"))
            << log.dump().toStdString();
        EXPECT_EQ(m_mediator.GetPadRecordCount(q), 2);
        EXPECT_TRUE(log.has(1, "CLS_PadDataRecvDao::GetPadRecordCount qvecTables.size=2"))
            << log.dump().toStdString();
    }
    ASSERT_EQ(vecFound.size(), 2);
    EXPECT_EQ(vecFound[0].S_PassTime, "2024-06-02 10:00:00");
    EXPECT_EQ(vecFound[0].S_TerminalSn, "padB");
    q.m_lstTerminalSns = QStringList{"padA"};
    EXPECT_EQ(m_mediator.GetPadRecordCount(q), 1);

    // The terminal's device name comes from the main database.
    ASSERT_EQ(itest::exec("Tessel",
                          "INSERT INTO TAB_DEV (S_ID, S_NAME, S_SN) VALUES ('pdev1', 'North pad', 'padA')"),
              0);
    QString strName = "stale";
    EXPECT_EQ(m_mediator.GetPadTerminalName("padA", strName), 0);
    EXPECT_EQ(strName, "North pad");
    EXPECT_EQ(m_mediator.GetPadTerminalName("padA' OR '1'='1", strName), 0);
    EXPECT_EQ(strName, "");
    EXPECT_EQ(m_mediator.GetPadTerminalName("", strName), -1);
    ASSERT_EQ(itest::exec("Tessel", "DELETE FROM TAB_DEV WHERE S_ID = 'pdev1'"), 0);

    CLS_WayDataRecEntity way;
    way.S_VLP = "W1";
    way.S_passtime = "2024-07-04 04:04:04";
    way.S_lane = "3";
    way.S_runingdirection = "north";
    ASSERT_EQ(m_mediator.SaveWayRecvDataToDB(way), 0);
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d:\\d{3}$")
                    .match(way.S_savetime)
                    .hasMatch())
        << way.S_savetime.toStdString();
    STRCT_PassageQuery wq = range("2024-07-01 00:00:00", "2024-07-31 00:00:00");
    wq.m_qstrKey = "W1";
    QVector<CLS_WayDataRecEntity> vecWay;
    ASSERT_EQ(m_mediator.QueryWayHistory(wq, vecWay), 0);
    ASSERT_EQ(vecWay.size(), 1);
    EXPECT_EQ(vecWay[0].S_lane, "3");
    EXPECT_EQ(vecWay[0].S_runingdirection, "north");
    EXPECT_EQ(vecWay[0].S_savetime, way.S_savetime);
    {
        LogCapture log;
        EXPECT_EQ(m_mediator.GetWayRecordCount(wq), 1);
        EXPECT_TRUE(log.has(1, "CLS_WayDataRecEntityDAO::GetWayRecordCount qvecTables.size=1"))
            << log.dump().toStdString();
    }

    ASSERT_EQ(m_mediator.DelPadPicRec({{vecFound[1].S_ID, vecFound[1].S_PassTime}}), 0);
    // May's only passage is gone, and the past month's table with it.
    EXPECT_FALSE(monthlyTables("TAB_PAD_HISTORY").contains("TAB_PAD_HISTORY202405"));
    QVector<CLS_WayDataRecEntity> vecWayOld;
    ASSERT_EQ(m_mediator.GetWayPicFiles(5, vecWayOld), 0);
    EXPECT_EQ(vecWayOld.size(), 1);
    ASSERT_EQ(m_mediator.DeleteAllWayPicData(), 0);
    ASSERT_EQ(m_mediator.DeleteAllPadPicData(), 0);
    EXPECT_EQ(m_mediator.GetWayRecordCount(range(QString(), QString())), 0);
    EXPECT_EQ(m_mediator.GetPadRecordCount(range(QString(), QString())), 0);
}

CLS_BehaviorAnalysisEntity snapshot(const QString& _strTime, int _iType, const QString& _strChannel = "chB",
                                    qint64 _i64Size = 10)
{
    CLS_BehaviorAnalysisEntity b;
    b.S_DEV_ID = "devB";
    b.S_CHANNEL_ID = _strChannel;
    b.S_CHANNEL_NAME = "Hall";
    b.I_TYPE = _iType;
    b.S_SNAP_PATH = "/b/" + _strTime + ".jpg";
    b.I_FILE_SIZE = _i64Size;
    b.DT_SNAP_TIMESTAMP = _strTime;
    b.S_EXTRA = "x'y";
    return b;
}

QStringList stamps(const QVector<CLS_BehaviorAnalysisEntity>& _vec)
{
    QStringList lst;
    for (const CLS_BehaviorAnalysisEntity& b : _vec) {
        lst << b.DT_SNAP_TIMESTAMP + "#" + QString::number(b.I_SEQ);
    }
    return lst;
}

TEST_F(Passages, BehaviourSnapshotsStoreSearchAndAge)
{
    QVector<CLS_BehaviorAnalysisEntity> vec{
        snapshot("2024-01-31 23:59:59", 1), snapshot("2024-01-31 23:59:59", 2),
        snapshot("2024-02-01 00:00:00", 1, "chC"), snapshot("2024-03-01 12:00:00", 1)};
    ASSERT_EQ(m_mediator.AddBehaviorAnalysisCapture(vec), 0);
    EXPECT_EQ(monthlyTables("TAB_INTELLIGENT_BEHAVIOR_CAPTURE").size(), 3);
    EXPECT_EQ(vec[1].I_SEQ, 1);
    EXPECT_EQ(
        itest::text(kDb, "SELECT S_EXTRA || '|' || I_FILE_SIZE FROM TAB_INTELLIGENT_BEHAVIOR_CAPTURE202403"),
        "x'y|10");

    CLS_BehaviorAnalysisSearchEntity search;
    search.m_strStartTime = "2024-01-01 00:00:00";
    search.m_strEndTime = "2024-02-29 23:59:59";
    search.m_iPageSize = 2;
    QVector<CLS_BehaviorAnalysisEntity> vecPage1;
    QVector<CLS_BehaviorAnalysisEntity> vecPage2;
    ASSERT_EQ(m_mediator.BehaviorAnalysisGetRecord(search, vecPage1), 0);
    search.m_iPageNumber = 2;
    ASSERT_EQ(m_mediator.BehaviorAnalysisGetRecord(search, vecPage2), 0);
    EXPECT_EQ(stamps(vecPage1) + stamps(vecPage2),
              QStringList({"2024-02-01 00:00:00#0", "2024-01-31 23:59:59#1", "2024-01-31 23:59:59#0"}));
    EXPECT_EQ(m_mediator.BehaviorAnalysisGetCount(search), 3);
    search.m_iType = 2;
    EXPECT_EQ(m_mediator.BehaviorAnalysisGetCount(search), 1);
    search.m_iType = CLS_BehaviorAnalysisSearchEntity::kAnyType;
    search.m_lstChannelIDs = QStringList{"chC", "chC' OR '1'='1"};
    EXPECT_EQ(m_mediator.BehaviorAnalysisGetCount(search), 1);

    QVector<CLS_BehaviorAnalysisEntity> vecOldest;
    ASSERT_EQ(m_mediator.GetOldestBehaviorAnalysisPicFiles(2, vecOldest), 0);
    EXPECT_EQ(stamps(vecOldest), QStringList({"2024-01-31 23:59:59#0", "2024-01-31 23:59:59#1"}));
    QVector<CLS_BehaviorAnalysisEntity> vecBefore;
    ASSERT_EQ(m_mediator.GetBehaviorAnalysisPicFiles("2024-03-01 12:00:00", 0, vecBefore), 0);
    EXPECT_EQ(vecBefore.size(), 3);

    LogCapture log;
    QVector<CLS_BehaviorAnalysisEntity> vecEmpty;
    EXPECT_EQ(m_mediator.AddBehaviorAnalysisCapture(vecEmpty), -1);
    EXPECT_EQ(m_mediator.GetBehaviorAnalysisPicFiles("", 1, vecEmpty), -1);
    EXPECT_EQ(m_mediator.GetBehaviorAnalysisPicFiles("2024-03-01 12:00:00", -1, vecEmpty), -1);
    EXPECT_TRUE(vecEmpty.isEmpty());
    EXPECT_TRUE(log.has(3, "CLS_DataAccess::AddBehaviorAnalysisCapture _qvecBehaviorAnalysisData is empty"));
    EXPECT_TRUE(log.has(3, "CLS_DataAccess::GetBehaviorAnalysisPicFiles _qstrSaveTime is empty"));
    EXPECT_TRUE(log.has(3, "CLS_DataAccess::GetBehaviorAnalysisPicFiles _iFileNum < 0"))
        << log.dump().toStdString();

    // The last snapshot of February goes, and February's table with it.
    ASSERT_EQ(m_mediator.DelBehaviorAnalysisPicRec({{vec[2].S_ID, vec[2].DT_SNAP_TIMESTAMP}}), 0);
    EXPECT_EQ(
        monthlyTables("TAB_INTELLIGENT_BEHAVIOR_CAPTURE"),
        QStringList({"TAB_INTELLIGENT_BEHAVIOR_CAPTURE202401", "TAB_INTELLIGENT_BEHAVIOR_CAPTURE202403"}));
    ASSERT_EQ(m_mediator.DeleteAllBehaviorAnalysisData(), 0);
    EXPECT_EQ(m_mediator.BehaviorAnalysisGetCount(CLS_BehaviorAnalysisSearchEntity()), 0);
}

}  // namespace
