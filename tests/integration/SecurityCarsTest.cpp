// Security vehicle lists against a real server and schema: the vehicles still to send to a
// terminal with their list periods, the send rows and their state changes, and the paged lists
// with their plate filters.
#include "CLS_DataAccess.h"
#include "IntegrationFixture.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"itcars01", false, {}}));

const char kDb[] = "Tessel";

CLS_DataAccess& access()
{
    return CLS_DataAccess::GetInstance();
}

CLS_SecurityCarEntity car(const QString& _strVlp, int _iVlpc, int _iAlwaysOk = 0)
{
    CLS_SecurityCarEntity c;
    c.S_ID = "car-" + _strVlp + "-" + QString::number(_iVlpc);
    c.S_VLP = _strVlp;
    c.I_VLPC = _iVlpc;
    c.I_ALWAYSOK = _iAlwaysOk;
    c.S_USER = "owner";
    c.S_WHITEBEGINTIME = "2024-03-01";
    c.S_WHITEENDTIME = "2024-09-30";
    c.S_BLACKBEGINTIME = "2025-01-01";
    c.S_BLACKENDTIME = "2025-02-01";
    return c;
}

CLS_SecurityCarSendEntity send(const QString& _strTerminal, const QString& _strVlp, int _iVlpc, int _iListType,
                               int _iType, int _iStatus, const QString& _strCmd = "cmd-1")
{
    CLS_SecurityCarSendEntity s;
    s.S_TERMINALSN = _strTerminal;
    s.I_TERMINALTYPE = 1;
    s.S_CMDID = _strCmd;
    s.S_VLP = _strVlp;
    s.I_VLPC = _iVlpc;
    s.I_LISTTYPE = _iListType;
    s.I_TYPE = _iType;
    s.I_STATUS = _iStatus;
    s.S_SENDTIME = "2024-05-01 10:00:00";
    return s;
}

// Plates of the vehicles still to send, sorted.
QStringList unsent(const QString& _strTerminal, int _iListType, const QString& _strVlp = QString(), int _iVlpc = 9)
{
    QVector<CLS_SecurityCarSendEntity> vecCars;
    EXPECT_EQ(access().GetUnsentSecurityCars(_strTerminal, _iListType, _strVlp, _iVlpc, vecCars), 0);
    QStringList lstPlates;
    for (const CLS_SecurityCarSendEntity& c : vecCars) {
        lstPlates << c.S_VLP + "/" + QString::number(c.I_VLPC);
    }
    lstPlates.sort();
    return lstPlates;
}

class SecurityCarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(itest::exec(kDb, "DELETE FROM TAB_SECURITY_CAR_MANAGE"), 0);
        ASSERT_EQ(itest::exec(kDb, "DELETE FROM TAB_SECURITY_CAR_SEND"), 0);
    }
};

TEST_F(SecurityCarTest, AnAlwaysAllowedVehicleHasTheUnlimitedWhitePeriod)
{
    ASSERT_EQ(access().AddSecurityCar(car("ALWAYS1", 1, 1)), 0);
    ASSERT_EQ(access().AddSecurityCar(car("DATED1", 1, 0)), 0);
    const struct {
        int listType;
        const char* plate;
        const char* begin;
        const char* end;
    } cases[] = {
        {0, "ALWAYS1", "2021-01-01", "2099-01-01"}, {-1, "ALWAYS1", "2021-01-01", "2099-01-01"},
        {0, "DATED1", "2024-03-01", "2024-09-30"},  {1, "ALWAYS1", "2025-01-01", "2025-02-01"},
        {1, "DATED1", "2025-01-01", "2025-02-01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.plate) + " list " + std::to_string(c.listType));
        QVector<CLS_SecurityCarSendEntity> vecCars;
        ASSERT_EQ(access().GetUnsentSecurityCars("T-1", c.listType, c.plate, 9, vecCars), 0);
        ASSERT_EQ(vecCars.size(), 1);
        EXPECT_EQ(vecCars[0].S_BEGINTIME, c.begin);
        EXPECT_EQ(vecCars[0].S_ENDTIME, c.end);
    }
}

TEST_F(SecurityCarTest, ARemovalOnlySendRowCountsAsNotSent)
{
    for (const char* plate : {"REMOVED", "SENT", "OTHERLIST"}) {
        ASSERT_EQ(access().AddSecurityCar(car(plate, 2)), 0);
    }
    ASSERT_EQ(access().ReplaceSecurityCarSend(send("T-1", "REMOVED", 2, 0, 0, 3)), 0);
    ASSERT_EQ(access().ReplaceSecurityCarSend(send("T-1", "SENT", 2, 0, 1, 1)), 0);
    ASSERT_EQ(access().ReplaceSecurityCarSend(send("T-1", "OTHERLIST", 2, 1, 1, 1)), 0);

    EXPECT_EQ(unsent("T-1", 0), QStringList({"OTHERLIST/2", "REMOVED/2"}));
    EXPECT_EQ(unsent("T-1", 1), QStringList({"REMOVED/2", "SENT/2"}));
    EXPECT_EQ(unsent("T-1", -1), QStringList({"REMOVED/2"}));
    EXPECT_EQ(unsent("T-2", 0), QStringList({"OTHERLIST/2", "REMOVED/2", "SENT/2"}));
}

TEST_F(SecurityCarTest, ColourNineMatchesEveryColourAndPlatesAreBound)
{
    ASSERT_EQ(access().AddSecurityCar(car("B-77", 1)), 0);
    ASSERT_EQ(access().AddSecurityCar(car("B-77", 2)), 0);
    ASSERT_EQ(access().AddSecurityCar(car("X'9%", 2)), 0);
    ASSERT_EQ(access().AddSecurityCar(car("X_99", 2)), 0);
    // The same plate and colour twice is refused and leaves the first.
    EXPECT_NE(access().AddSecurityCar(car("B-77", 1)), 0);

    EXPECT_EQ(unsent("", 0, "B-77", 9), QStringList({"B-77/1", "B-77/2"}));
    EXPECT_EQ(unsent("", 0, "B-77", 2), QStringList({"B-77/2"}));
    EXPECT_EQ(unsent("", 0, QString(), 2), QStringList({"B-77/2", "X'9%/2", "X_99/2"}));
    // Quotes and LIKE wildcards in a plate text are matched as text.
    EXPECT_EQ(unsent("", 0, "X'9", 9), QStringList({"X'9%/2"}));
    EXPECT_EQ(unsent("", 0, "%", 9), QStringList({"X'9%/2"}));
    EXPECT_EQ(unsent("", 0, "_", 9), QStringList({"X_99/2"}));
    EXPECT_EQ(unsent("' OR 1=1 --", 0), QStringList({"B-77/1", "B-77/2", "X'9%/2", "X_99/2"}));
}

TEST_F(SecurityCarTest, PurgeRemovesOnlyFinishedRemovals)
{
    const struct {
        const char* plate;
        int type;
        int status;
        bool kept;
    } rows[] = {{"P-03", 0, 3, false}, {"P-01", 0, 1, true}, {"P-13", 1, 3, true}, {"P-11", 1, 1, true}};
    for (const auto& r : rows) {
        ASSERT_EQ(access().ReplaceSecurityCarSend(send("T-p", r.plate, 1, 0, r.type, r.status)), 0);
    }
    ASSERT_EQ(access().PurgeSecurityCarRemovals(), 0);
    for (const auto& r : rows) {
        EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_SECURITY_CAR_SEND WHERE S_VLP = :v", {{":v", r.plate}}),
                  r.kept ? 1 : 0)
            << r.plate;
    }
}

TEST_F(SecurityCarTest, SendRowsAreReplacedUpdatedAndReadPerTerminal)
{
    ASSERT_EQ(access().ReplaceSecurityCarSend(send("T-s", "S-1", 1, 0, 1, 0, "c-1")), 0);
    ASSERT_EQ(access().ReplaceSecurityCarSend(send("T-s", "S-1", 1, 0, 1, 1, "c-2")), 0);  // same key: replaced
    ASSERT_EQ(access().ReplaceSecurityCarSend(send("T-s", "S-1", 1, 1, 1, 0, "c-3")), 0);  // other list
    ASSERT_EQ(access().ReplaceSecurityCarSend(send("T-other", "S-1", 1, 0, 1, 0, "c-4")), 0);

    CLS_DataMediator mediator;
    QVector<CLS_SecurityCarSendEntity> vecRows;
    ASSERT_EQ(mediator.QuerySendDataByTerminalSn("T-s", vecRows), 0);
    ASSERT_EQ(vecRows.size(), 2);
    std::sort(vecRows.begin(), vecRows.end(),
              [](const CLS_SecurityCarSendEntity& a, const CLS_SecurityCarSendEntity& b) { return a.S_CMDID < b.S_CMDID; });
    EXPECT_EQ(vecRows[0].S_CMDID, "c-2");
    EXPECT_EQ(vecRows[0].I_STATUS, 1);
    EXPECT_EQ(vecRows[1].I_LISTTYPE, 1);
    EXPECT_EQ(vecRows[1].S_SENDTIME, "2024-05-01 10:00:00");

    // An update naming a previous command that the row no longer carries changes nothing.
    CLS_SecurityCarSendEntity update = send("T-s", "S-1", 1, 0, 0, 2, "c-5");
    ASSERT_EQ(access().UpdateSecurityCarSend(update, "c-1"), 0);
    EXPECT_EQ(itest::text(kDb, "SELECT S_CMDID FROM TAB_SECURITY_CAR_SEND WHERE S_TERMINALSN='T-s' AND I_LISTTYPE=0"),
              "c-2");
    ASSERT_EQ(access().UpdateSecurityCarSend(update, "c-2"), 0);
    EXPECT_EQ(itest::text(kDb, "SELECT S_CMDID FROM TAB_SECURITY_CAR_SEND WHERE S_TERMINALSN='T-s' AND I_LISTTYPE=0"),
              "c-5");

    ASSERT_EQ(access().UpdateSecurityCarSendStatusByCmd("T-s", "c-3", 3), 0);
    EXPECT_EQ(itest::scalar(kDb, "SELECT I_STATUS FROM TAB_SECURITY_CAR_SEND WHERE S_CMDID = 'c-3'"), 3);
    ASSERT_EQ(access().ResetSecurityCarSendStatus(0, 7), 0);
    EXPECT_EQ(itest::scalar(kDb, "SELECT I_STATUS FROM TAB_SECURITY_CAR_SEND WHERE S_CMDID = 'c-4'"), 7);
    EXPECT_EQ(itest::scalar(kDb, "SELECT I_STATUS FROM TAB_SECURITY_CAR_SEND WHERE S_CMDID = 'c-3'"), 3);

    QVector<CLS_SecurityCarSendEntity> vecNone;
    EXPECT_EQ(mediator.QuerySendDataByTerminalSn("T-none", vecNone), 0);
    EXPECT_TRUE(vecNone.isEmpty());
}

TEST_F(SecurityCarTest, VehiclesAreChangedAndDeletedByPlateAndColour)
{
    ASSERT_EQ(access().AddSecurityCar(car("OLD-1", 1)), 0);
    CLS_SecurityCarEntity changed = car("NEW-1", 3, 1);
    changed.S_TEL = "555";
    ASSERT_EQ(access().UpdateSecurityCar(changed, "OLD-1", 1), 0);
    int iTotal = -1;
    QVector<CLS_SecurityCarEntity> vecCars;
    ASSERT_EQ(access().GetSecurityCarPage(QString(), 10, 0, iTotal, vecCars), 0);
    ASSERT_EQ(vecCars.size(), 1);
    EXPECT_EQ(vecCars[0].S_ID, "car-OLD-1-1");
    EXPECT_EQ(vecCars[0].S_VLP, "NEW-1");
    EXPECT_EQ(vecCars[0].I_VLPC, 3);
    EXPECT_EQ(vecCars[0].I_ALWAYSOK, 1);
    EXPECT_EQ(vecCars[0].S_TEL, "555");
    // Replacing a vehicle of the same plate and colour leaves one row.
    ASSERT_EQ(access().ReplaceSecurityCar(car("NEW-1", 3)), 0);
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_SECURITY_CAR_MANAGE"), 1);
    EXPECT_EQ(access().DeleteSecurityCar("NEW-1", 1), 0);  // other colour: nothing
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_SECURITY_CAR_MANAGE"), 1);
    EXPECT_EQ(access().DeleteSecurityCar("NEW-1", 3), 0);
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_SECURITY_CAR_MANAGE"), 0);
}

TEST_F(SecurityCarTest, TheFacadeRefusesMissingPlatesThroughTheLibraryLog)
{
    CLS_SecurityCarEntity noPlate = car("", 1);
    CLS_SecurityCarSendEntity noTerminal = send("", "A1", 1, 0, 1, 0);
    QVector<CLS_SecurityCarSendEntity> vecSends;
    const struct
    {
        std::function<int()> call;
        const char* log;
    } cases[] = {
        {[&] { return access().ReplaceSecurityCarSend(noTerminal); },
         "CLS_DataAccess::ReplaceSecurityCarSend _send.S_TERMINALSN.isEmpty() || _send.S_VLP.isEmpty()"},
        {[&] { return access().QuerySendDataByTerminalSn("", vecSends); },
         "CLS_DataAccess::QuerySendDataByTerminalSn _qstrTerminalSn.isEmpty()"},
        {[&] { return access().AddSecurityCar(noPlate); },
         "CLS_DataAccess::AddSecurityCar _car.S_ID.isEmpty() || _car.S_VLP.isEmpty()"},
        {[&] { return access().ReplaceSecurityCar(noPlate); },
         "CLS_DataAccess::ReplaceSecurityCar _car.S_ID.isEmpty() || _car.S_VLP.isEmpty()"},
        {[&] { return access().UpdateSecurityCar(noPlate, "A1", 1); },
         "CLS_DataAccess::UpdateSecurityCar _car.S_VLP.isEmpty() || _qstrOldVlp.isEmpty()"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.log);
        LogCapture log;
        EXPECT_EQ(c.call(), -1);
        EXPECT_TRUE(log.has(3, c.log)) << log.dump().toStdString();
    }
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_SECURITY_CAR_MANAGE"), 0);
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_SECURITY_CAR_SEND"), 0);
}

TEST_F(SecurityCarTest, PagedListsCountEveryMatchAndReturnOnePage)
{
    for (int i = 0; i < 7; ++i) {
        ASSERT_EQ(access().AddSecurityCar(car(QStringLiteral("PG-%1").arg(i), 1)), 0);
    }
    ASSERT_EQ(access().AddSecurityCar(car("ZZ-1", 1, 1)), 0);
    const struct {
        const char* filter;
        int size;
        int index;
        int total;
        int count;
    } cases[] = {{"", 3, 0, 8, 3}, {"", 3, 2, 8, 2}, {"PG-", 3, 2, 7, 1}, {"PG-", 10, 0, 7, 7}, {"Q", 5, 0, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.filter) + " " + std::to_string(c.index));
        int iTotal = -1;
        QVector<CLS_SecurityCarEntity> vecCars;
        ASSERT_EQ(access().GetSecurityCarPage(c.filter, c.size, c.index, iTotal, vecCars), 0);
        EXPECT_EQ(iTotal, c.total);
        EXPECT_EQ(vecCars.size(), c.count);
    }
    int iTotal = -1;
    QVector<CLS_SecurityCarEntity> vecCars;
    EXPECT_EQ(access().GetSecurityCarPage("", 0, 0, iTotal, vecCars), -1);

    ASSERT_EQ(access().ReplaceSecurityCarSend(send("T-pg", "ZZ-1", 1, 0, 1, 1)), 0);
    ASSERT_EQ(access().ReplaceSecurityCarSend(send("T-pg", "ZZ-1", 1, 1, 1, 2)), 0);
    ASSERT_EQ(access().ReplaceSecurityCarSend(send("T-pg", "PG-1", 1, 0, 1, 2)), 0);
    STRCT_SecurityCarSendQuery query;
    query.m_qstrTerminalSn = "T-pg";
    QVector<CLS_SecurityCarSendEntity> vecSends;
    ASSERT_EQ(access().GetSecurityCarSendPage(query, 10, 0, iTotal, vecSends), 0);
    EXPECT_EQ(iTotal, 3);
    query.m_qstrVlp = "ZZ";
    vecSends.clear();
    ASSERT_EQ(access().GetSecurityCarSendPage(query, 10, 0, iTotal, vecSends), 0);
    ASSERT_EQ(iTotal, 2);
    for (const CLS_SecurityCarSendEntity& s : vecSends) {
        // Each row carries the period of its own list; ZZ-1 is always allowed on the white list.
        EXPECT_EQ(s.S_BEGINTIME, s.I_LISTTYPE == 0 ? "2021-01-01" : "2025-01-01");
    }
    query.m_iListType = 1;
    query.m_iStatus = 2;
    vecSends.clear();
    ASSERT_EQ(access().GetSecurityCarSendPage(query, 10, 0, iTotal, vecSends), 0);
    ASSERT_EQ(vecSends.size(), 1);
    EXPECT_EQ(vecSends[0].S_ENDTIME, "2025-02-01");
}

}  // namespace
