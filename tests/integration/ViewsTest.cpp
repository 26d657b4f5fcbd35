// Views, view cruises and group switching against a real server and schema: views read back
// with their channels, deletes with their memberships and cruise entries, the cruise sequence
// and default time, and the per-user switch time.
#include "CLS_DataMediator.h"
#include "IntegrationFixture.h"
#include "LogCapture.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"itviews01", true, {}}));

using itest::scalar;
using itest::text;

const char kDb[] = "Tessel";

STRCT_ViewChannel channel(const QString& _strCamera, int _iPanel)
{
    STRCT_ViewChannel c;
    c.S_CAMERA_ID = _strCamera;
    c.I_PANEL_NUM = _iPanel;
    c.I_DATA_TYPE = _iPanel % 2;
    c.S_TREENODE_ID = "node-" + _strCamera;
    return c;
}

CLS_ViewEntity view(const QString& _strCaption, int _iType, const QVector<STRCT_ViewChannel>& _vecChannels,
                    const QString& _strLayoutID = QString())
{
    CLS_ViewEntity v;
    v.S_CAPTION = _strCaption;
    v.S_PARAM = R"({"split":4})";
    v.I_TYPE = _iType;
    v.m_vecChannels = _vecChannels;
    v.S_LAYOUT_ID = _strLayoutID;
    return v;
}

}  // namespace

class Views : public LoggedInTest
{
protected:
    void SetUp() override
    {
        for (const char* pszTable :
             {"TAB_VIEW", "TAB_VIEW_CHANNEL", "TAB_LAYOUT_VIEW", "TAB_VIEW_CRUISE", "TAB_GROUP_SWITCH"}) {
            ASSERT_EQ(itest::exec(kDb, QStringLiteral("DELETE FROM ") + pszTable), 0);
        }
        LoggedInTest::SetUp();
    }
};

TEST_F(Views, AViewIsReadBackAsOneEntityWithItsChannelsInOrder)
{
    QSignalSpy spy(&m_mediator, &I_DataMediator::SignUpdateViewSuccess);
    // Camera ids out of alphabetical and panel order, so that only the row order gives this order.
    CLS_ViewEntity three = view("Three", 1, {channel("cam-c", 2), channel("cam-a", 0), channel("cam-b", 1)}, "wall");
    ASSERT_EQ(m_mediator.InsertView(three), 0);
    ASSERT_EQ(three.S_ID.size(), 32);
    CLS_ViewEntity empty = view("Empty", 1, {});
    ASSERT_EQ(m_mediator.InsertView(empty), 0);
    EXPECT_EQ(spy.size(), 2);

    CLS_ViewEntity read;
    ASSERT_EQ(m_mediator.GetViewById(three.S_ID, read), 0);
    EXPECT_EQ(read.S_CAPTION, "Three");
    EXPECT_EQ(read.S_PARAM, R"({"split":4})");
    EXPECT_EQ(read.S_LAYOUT_ID, "wall");
    EXPECT_EQ(read.I_TYPE, 1);
    ASSERT_EQ(read.m_vecChannels.size(), 3);
    QStringList lstCameras;
    for (const STRCT_ViewChannel& c : read.m_vecChannels) {
        lstCameras << c.S_CAMERA_ID;
    }
    EXPECT_EQ(lstCameras, QStringList({"cam-c", "cam-a", "cam-b"}));
    EXPECT_EQ(read.m_vecChannels[0].I_PANEL_NUM, 2);
    EXPECT_EQ(read.m_vecChannels[1].S_TREENODE_ID, "node-cam-a");

    // A view without channels comes back with none.
    ASSERT_EQ(m_mediator.GetViewById(empty.S_ID, read), 0);
    EXPECT_EQ(read.S_CAPTION, "Empty");
    EXPECT_TRUE(read.m_vecChannels.isEmpty());

    QVector<CLS_ViewEntity*> vecAll;
    ASSERT_EQ(m_mediator.GetAllView(vecAll), 0);
    ASSERT_EQ(vecAll.size(), 2);
    int iChannels = 0;
    for (const CLS_ViewEntity* p : vecAll) {
        iChannels += p->m_vecChannels.size();
    }
    EXPECT_EQ(iChannels, 3);
    qDeleteAll(vecAll);

    QVector<STRCT_ViewCaption> vecInLayout;
    ASSERT_EQ(m_mediator.GetViewByLayout("wall", 1, vecInLayout), 0);
    ASSERT_EQ(vecInLayout.size(), 1);
    EXPECT_EQ(vecInLayout[0].S_ID, three.S_ID);
    QVector<STRCT_ViewCaption> vecOfType;
    ASSERT_EQ(m_mediator.GetViewByType(2, vecOfType), 0);
    EXPECT_TRUE(vecOfType.isEmpty());

    EXPECT_TRUE(m_mediator.IsViewExist("Three"));
    EXPECT_FALSE(m_mediator.IsViewExist("three"));
    LogCapture log;
    EXPECT_FALSE(m_mediator.IsViewExist(""));
    EXPECT_TRUE(log.has(3, "_strViewCaption == nullptr || _strViewCaption.length() <= 0"));
    EXPECT_EQ(m_mediator.GetViewById("", read), -1);
    EXPECT_TRUE(log.has(2, "GetViewById _qstrId.isEmpty()"));
    EXPECT_EQ(m_mediator.GetViewById("no such view", read), -1);
}

TEST_F(Views, DeletingAViewTakesItsLayoutMembershipAndCruiseEntries)
{
    CLS_ViewEntity kept = view("Kept", 0, {channel("cam", 0)}, "wall");
    CLS_ViewEntity gone = view("Gone", 0, {channel("cam", 0)}, "wall");
    ASSERT_EQ(m_mediator.InsertView(kept), 0);
    ASSERT_EQ(m_mediator.InsertView(gone), 0);
    for (const CLS_ViewEntity* p : {&kept, &gone}) {
        CLS_ViewCruiseEntity entry;
        entry.S_VIEW_ID = p->S_ID;
        ASSERT_EQ(m_mediator.InsertViewCruise(entry), 0);
    }
    ASSERT_TRUE(m_mediator.IsViewInCruise(gone.S_ID));

    QSignalSpy spy(&m_mediator, &I_DataMediator::SignUpdateViewSuccess);
    ASSERT_EQ(m_mediator.DeleteView(gone.S_ID), 0);
    EXPECT_EQ(spy.size(), 1);
    EXPECT_FALSE(m_mediator.IsViewInCruise(gone.S_ID));
    EXPECT_TRUE(m_mediator.IsViewInCruise(kept.S_ID));
    EXPECT_EQ(text(kDb, "SELECT group_concat(S_VIEW_ID) FROM TAB_LAYOUT_VIEW"), kept.S_ID);
    EXPECT_EQ(text(kDb, "SELECT group_concat(S_ID) FROM TAB_VIEW"), kept.S_ID);

    EXPECT_EQ(m_mediator.DeleteView(""), -1);
    EXPECT_EQ(spy.size(), 1);

    ASSERT_EQ(m_mediator.UpdateView(kept.S_ID, "Renamed"), 0);
    EXPECT_EQ(spy.size(), 2);
    EXPECT_TRUE(m_mediator.IsViewExist("Renamed"));
}

TEST_F(Views, CruiseEntriesGoLastOverAllUsersAndANegativeTimeBecomesTen)
{
    CLS_ViewEntity v = view("Cruised", 3, {channel("cam", 0)}, "wall");
    ASSERT_EQ(m_mediator.InsertView(v), 0);
    struct Case {
        int iTime;
        int iStoredTime;
        int iSequence;
    };
    // The first entry of an empty table gets 1; another user's entry at 5 pushes the next to 6.
    CLS_ViewCruiseEntity first;
    first.S_VIEW_ID = v.S_ID;
    first.I_TIME = 30;
    ASSERT_EQ(m_mediator.InsertViewCruise(first), 0);
    EXPECT_EQ(first.I_SEQUENCE, 1);
    ASSERT_EQ(itest::exec(kDb,
                          "INSERT INTO TAB_VIEW_CRUISE (S_ID, S_USER_ID, S_VIEW_ID, I_TIME, I_SEQUENCE) VALUES "
                          "('other', 'someone else', :v, 10, 5)",
                          {{":v", v.S_ID}}),
              0);
    for (const Case& c : {Case{-5, 10, 6}, Case{0, 0, 7}}) {
        CLS_ViewCruiseEntity entry;
        entry.S_VIEW_ID = v.S_ID;
        entry.I_TIME = c.iTime;
        ASSERT_EQ(m_mediator.InsertViewCruise(entry), 0);
        EXPECT_EQ(scalar(kDb, "SELECT I_TIME FROM TAB_VIEW_CRUISE WHERE S_ID = :id", {{":id", entry.S_ID}}),
                  c.iStoredTime);
        EXPECT_EQ(scalar(kDb, "SELECT I_SEQUENCE FROM TAB_VIEW_CRUISE WHERE S_ID = :id", {{":id", entry.S_ID}}),
                  c.iSequence);
        EXPECT_EQ(text(kDb, "SELECT S_USER_ID FROM TAB_VIEW_CRUISE WHERE S_ID = :id", {{":id", entry.S_ID}}),
                  m_mediator.GetCurrentUserID());
    }

    // Reordering moves the first entry to the end of the user's list; other users' entries
    // never show.
    ASSERT_EQ(m_mediator.UpdateViewCruiseSequence(first.S_ID, 9), 0);
    ASSERT_EQ(m_mediator.UpdateViewCruiseTime(first.S_ID, 45), 0);
    for (const bool bByLayout : {false, true}) {
        QVector<CLS_ViewCruiseEntity*> vecEntries;
        ASSERT_EQ(bByLayout ? m_mediator.GetAllViewCruise(3, "wall", vecEntries)
                            : m_mediator.GetViewCruiseByType(3, vecEntries),
                  0);
        QList<int> lstSequences;
        for (const CLS_ViewCruiseEntity* p : vecEntries) {
            lstSequences << p->I_SEQUENCE;
            EXPECT_EQ(p->S_CAPTION, "Cruised");
        }
        EXPECT_EQ(lstSequences, QList<int>({6, 7, 9})) << bByLayout;
        ASSERT_FALSE(vecEntries.isEmpty());
        EXPECT_EQ(vecEntries.last()->I_TIME, 45);
        qDeleteAll(vecEntries);
    }
    QVector<CLS_ViewCruiseEntity*> vecOtherLayout;
    ASSERT_EQ(m_mediator.GetAllViewCruise(3, "another wall", vecOtherLayout), 0);
    EXPECT_TRUE(vecOtherLayout.isEmpty());

    LogCapture log;
    EXPECT_EQ(m_mediator.DeleteViewCruise(""), -1);
    EXPECT_TRUE(log.has(3, "DeleteViewCruise _strId.isEmpty()"));
    ASSERT_EQ(m_mediator.DeleteViewCruise(first.S_ID), 0);
    EXPECT_EQ(scalar(kDb, "SELECT COUNT(*) FROM TAB_VIEW_CRUISE"), 3);
}

TEST_F(Views, GroupSwitchingIsPerUserWithOneSwitchTime)
{
    ASSERT_EQ(itest::exec(kDb, "INSERT OR REPLACE INTO TAB_USER_OBJ (S_ID, S_USER_ID, S_CAPTION) VALUES ('g1', :u, "
                               "'Lobby')",
                          {{":u", m_mediator.GetCurrentUserID()}}),
              0);
    ASSERT_EQ(m_mediator.InsertGroupSwitch("g1", 4, 20), 0);
    ASSERT_EQ(m_mediator.InsertGroupSwitch("g2", 9, 20), 0);
    ASSERT_EQ(itest::exec(kDb, "INSERT INTO TAB_GROUP_SWITCH (S_GROUP_ID, I_SCREEN_STYLE, I_SWITCH_TIME, S_USER_ID) "
                               "VALUES ('g3', 1, 99, 'someone else')"),
              0);

    ASSERT_EQ(m_mediator.UpdateGroupSwitchSwitchTime(35), 0);
    EXPECT_EQ(m_mediator.GetSwithTimeByUserId(), 35);
    EXPECT_EQ(scalar(kDb, "SELECT COUNT(*) FROM TAB_GROUP_SWITCH WHERE I_SWITCH_TIME = 35"), 2);
    EXPECT_EQ(scalar(kDb, "SELECT I_SWITCH_TIME FROM TAB_GROUP_SWITCH WHERE S_GROUP_ID = 'g3'"), 99);

    ASSERT_EQ(m_mediator.UpdateGroupSwitchScreenStyle("g2", 16), 0);
    QVector<CLS_GroupSwitchEntity> vecGroups;
    ASSERT_EQ(m_mediator.GetAllGroupSwitch(vecGroups), 0);
    ASSERT_EQ(vecGroups.size(), 2);
    QMap<QString, QPair<QString, int>> mapGroups;
    for (const CLS_GroupSwitchEntity& g : vecGroups) {
        mapGroups.insert(g.S_GROUP_ID, {g.S_GROUP_NAME, g.I_SCREEN_STYLE});
    }
    EXPECT_EQ(mapGroups["g1"], qMakePair(QString("Lobby"), 4));
    EXPECT_EQ(mapGroups["g2"], qMakePair(QString(), 16));
    QVector<CLS_GroupSwitchEntity*> vecOwned;
    ASSERT_EQ(m_mediator.GetAllGroupSwitch(vecOwned), 0);
    EXPECT_EQ(vecOwned.size(), 2);
    qDeleteAll(vecOwned);

    EXPECT_TRUE(m_mediator.IsGroupSwitchExist("g1"));
    ASSERT_EQ(m_mediator.DeleteGroupSwitch("g1"), 0);
    EXPECT_FALSE(m_mediator.IsGroupSwitchExist("g1"));

    struct Refusal {
        int iRet;
        const char* pszLine;
    };
    LogCapture log;
    for (const Refusal& r : {Refusal{m_mediator.UpdateGroupSwitchSwitchTime(-1),
                                     "UpdateGroupSwitchSwitchTime m_strUserID.isEmpty() || _iSwitchTime < 0"},
                             Refusal{m_mediator.UpdateGroupSwitchScreenStyle("g2", -1),
                                     "UpdateGroupSwitchScreenStyle _qstrId.isEmpty() || _iScreenStyle < 0"},
                             Refusal{m_mediator.DeleteGroupSwitch(""), "DeleteGroupSwitch _qstrId.isEmpty()"}}) {
        EXPECT_EQ(r.iRet, -1) << r.pszLine;
        EXPECT_TRUE(log.has(2, r.pszLine)) << r.pszLine;
    }
}

TEST(ViewsWithoutLogin, OperationsForTheUserAreRefused)
{
    CLS_DataMediator mediator;
    ItemReleaser release(mediator);
    LogCapture log;
    CLS_ViewCruiseEntity entry;
    entry.S_VIEW_ID = "v";
    EXPECT_EQ(mediator.InsertViewCruise(entry), -1);
    EXPECT_EQ(mediator.InsertGroupSwitch("g", 1, 1), -1);
    EXPECT_EQ(mediator.GetSwithTimeByUserId(), -1);
    QVector<CLS_ViewCruiseEntity*> vecEntries;
    EXPECT_EQ(mediator.GetAllViewCruise(0, "wall", vecEntries), -1);
    for (const char* pszLine : {"InsertViewCruise m_strUserID.isEmpty()", "InsertGroupSwitch m_strUserID.isEmpty()",
                                "GetSwithTimeByUserId m_strUserID.isEmpty()"}) {
        EXPECT_TRUE(log.has(2, pszLine)) << pszLine;
    }
    EXPECT_TRUE(log.has(3, "CLS_DataAccess::GetAllViewCruise _qstrUserId.isEmpty()"));
    EXPECT_EQ(itest::scalar(kDb, "SELECT COUNT(*) FROM TAB_VIEW_CRUISE WHERE S_VIEW_ID = 'v'"), 0);
}
