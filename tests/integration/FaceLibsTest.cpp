// Face libraries against a real server and schema: the task queue of a library bound to a
// channel (creation through the mediator, fetching, failing, re-queuing), the bindings and their
// states, the refusal of criteria that would reach every row, persons held by several
// libraries, the person listings and their filters, the captions of a person's libraries, and
// every operation with the server stopped.
#include "CLS_DataAccess.h"
#include "IntegrationFixture.h"
#include "LogCapture.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <functional>

namespace {

const auto* const g_env =
    ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"itfacelib01", /*admin*/ true, {}}));

const char kDb[] = "Tessel";

CLS_DataAccess& access()
{
    return CLS_DataAccess::GetInstance();
}

int rows(const QString& _strSql, const itest::Binds& _mapBind = itest::Binds())
{
    return itest::scalar(kDb, _strSql, _mapBind);
}

QString addLib(const QString& _strCaption, const QString& _strTime = QString())
{
    CLS_FaceLibInfoEntity lib;
    lib.S_CAPTION = _strCaption;
    lib.DT_TIME = _strTime;
    EXPECT_EQ(access().AddFaceLib(lib), 0);
    return lib.S_ID;
}

CLS_FaceInfoEntity addPerson(const QString& _strId, const QString& _strNumber, const QString& _strLib)
{
    CLS_FaceInfoEntity person;
    person.S_ID = _strId;
    person.S_NAME = "Name " + _strId;
    person.S_NUMBER = _strNumber;
    person.I_SEX = 1;
    person.S_FACEPIC_PATH = "/faces/" + _strId + ".jpg";
    EXPECT_EQ(access().AddPerson(person, _strLib), 0);
    return person;
}

void bind(const QString& _strId, const QString& _strLib, const QString& _strHost, const QString& _strChan,
          int _iStatus, const QString& _strCaption = QString())
{
    CLS_ChannelTargetEntity target;
    target.S_ID = _strId;
    target.S_FACELIB_ID = _strLib;
    target.S_HOST_ID = _strHost;
    target.S_CHANNEL_ID = _strChan;
    target.I_SIMILARITY = 80;
    target.I_ENABLE = 1;
    target.I_STATUS = _iStatus;
    target.S_STATUS_CAPTION = _strCaption;
    ASSERT_EQ(access().InsertChannelTarget(target), 0);
}

CLS_FaceLibSyncTaskEntity task(const QString& _strId, const QString& _strLib, const QString& _strHost,
                               const QString& _strChan, const QString& _strPerson, int _iCmd)
{
    CLS_FaceLibSyncTaskEntity t;
    t.S_ID = _strId;
    t.S_TARGETLIB_ID = _strLib;
    t.S_HOST_ID = _strHost;
    t.S_CHAN_ID = _strChan;
    t.S_PERSON_ID = _strPerson;
    t.S_NAME = "task " + _strId;
    t.I_OPT_CMD = _iCmd;
    t.I_SUB_CMD = 0;
    return t;
}

// A host with two channels in the resource tree of the logged-in administrator.
class FaceLibTaskTest : public LoggedInTest
{
protected:
    void SetUp() override
    {
        LoggedInTest::SetUp();
        static bool s_bStored = false;
        if (!s_bStored) {
            CLS_HostEntity host;
            host.S_ID = "fh-1";
            host.S_CAPTION = "Face host";
            host.S_IP = "10.0.0.7";
            host.I_PORT = 3000;
            host.I_DEVTYPE = 1;
            ASSERT_EQ(access().InsertHost(host), 0);
            for (int i = 0; i < 2; ++i) {
                CLS_ChannelEntity channel;
                channel.S_ID = QStringLiteral("fh-1-c%1").arg(i);
                channel.S_PARENT_ID = "fh-1";
                channel.S_CAPTION = QStringLiteral("Face channel %1").arg(i);
                channel.I_NUM = i;
                ASSERT_EQ(access().InsertChannel(channel), 0);
            }
            s_bStored = true;
        }
        ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    }
};

TEST_F(FaceLibTaskTest, TasksOfALibraryGoToTheChannelsHostWithEveryMembersCard)
{
    const QString strLib = addLib("staff");
    addPerson("p-a", "001", strLib);
    addPerson("p-b", "002", strLib);
    addPerson("p-c", "003", strLib);
    ASSERT_EQ(itest::exec(kDb, "INSERT INTO TAB_PERSON_CARD (S_PERSON_ID, S_CARD_NO) VALUES ('p-b', 'CARD-77')"), 0);

    ASSERT_EQ(m_mediator.InsertTargetLibStaffTask("fh-1-c0", strLib, 1), 0);

    QVector<CLS_FaceLibSyncTaskEntity> vecTasks, vecDeletes;
    ASSERT_EQ(access().GetSyncTask("fh-1", strLib, "fh-1-c0", vecTasks, vecDeletes), 0);
    ASSERT_EQ(vecTasks.size(), 3);
    EXPECT_TRUE(vecDeletes.isEmpty());
    QStringList lstPersons;
    for (const CLS_FaceLibSyncTaskEntity& t : vecTasks) {
        lstPersons << t.S_PERSON_ID;
        EXPECT_EQ(t.I_OPT_CMD, 1);
        EXPECT_EQ(t.I_SUB_CMD, 2);
        EXPECT_EQ(t.S_FINGER_OR_CARD_ID, t.S_PERSON_ID == "p-b" ? QString("CARD-77") : QString());
        EXPECT_EQ(t.S_FACEPIC_PATH, "/faces/" + t.S_PERSON_ID + ".jpg");
        EXPECT_TRUE(QDateTime::fromString(t.DT_OPT_TIME, "yyyy-MM-dd hh:mm:ss").isValid()) << t.DT_OPT_TIME.toStdString();
        EXPECT_EQ(t.S_ID.size(), 32);
    }
    lstPersons.sort();
    EXPECT_EQ(lstPersons, QStringList({"p-a", "p-b", "p-c"}));
    EXPECT_EQ(access().GetSyncTaskCount(strLib), 3);

    // A self-hosted device (type 4) is its own host.
    ASSERT_EQ(m_mediator.InsertTargetLibStaffTask("fh-1-c1", strLib, 4), 0);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM TAB_FACELIB_HOST_SYNC_TASK WHERE S_HOST_ID = 'fh-1-c1' AND S_CHAN_ID = "
                   "'fh-1-c1' AND S_TARGETLIB_ID = :l",
                   {{":l", strLib}}),
              3);
}

TEST_F(FaceLibTaskTest, ALibraryWithoutMembersMakesNoTask)
{
    const QString strLib = addLib("empty library");
    const int iBefore = access().GetSyncTaskCount(QString());
    EXPECT_EQ(m_mediator.InsertTargetLibStaffTask("fh-1-c0", strLib, 1), 0);
    EXPECT_EQ(access().GetSyncTaskCount(QString()), iBefore);
    EXPECT_EQ(access().GetSyncTaskCount(strLib), 0);
}

TEST_F(FaceLibTaskTest, TaskCreationRefusesMissingIdsAndChannelsOutsideTheTree)
{
    const QString strLib = addLib("refusals");
    addPerson("p-refused", "900", strLib);
    struct Case {
        const char* chan;
        QString lib;
        const char* log;
    } const cases[] = {
        {"", strLib, "CLS_DataMediator::InsertTargetLibStaffTask _qstrChanID.isEmpty() || _qstrFaceLibID.isEmpty()"},
        {"fh-1-c0", "", "CLS_DataMediator::InsertTargetLibStaffTask _qstrChanID.isEmpty() || _qstrFaceLibID.isEmpty()"},
        {"no-such-channel", strLib, "CLS_DataMediator::InsertTargetLibStaffTask pHost=nullptr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chan);
        LogCapture log;
        EXPECT_EQ(m_mediator.InsertTargetLibStaffTask(c.chan, c.lib, 1), -1);
        EXPECT_TRUE(log.has(3, c.log)) << log.dump().toStdString();
    }
    EXPECT_EQ(access().GetSyncTaskCount(strLib), 0);
}

TEST(FaceLibTasks, RemovalTasksComeBackWithoutTheirPerson)
{
    const QString strLib = addLib("removals");
    addPerson("p-stay", "100", strLib);
    addPerson("p-gone", "101", strLib);
    ASSERT_EQ(access().InsertStaffTask(task("t-add", strLib, "h-r", "c-r", "p-stay", 1)), 0);
    ASSERT_EQ(access().InsertStaffTask(task("t-del", strLib, "h-r", "c-r", "p-gone", 4)), 0);
    ASSERT_EQ(access().InsertStaffTask(task("t-other-chan", strLib, "h-r", "c-x", "p-stay", 1)), 0);
    ASSERT_EQ(access().RemovePersonFromLib("p-gone", strLib), 0);

    QVector<CLS_FaceLibSyncTaskEntity> vecTasks, vecDeletes;
    ASSERT_EQ(access().GetSyncTask("h-r", strLib, "c-r", vecTasks, vecDeletes), 0);
    ASSERT_EQ(vecTasks.size(), 1);
    EXPECT_EQ(vecTasks[0].S_ID, "t-add");
    EXPECT_EQ(vecTasks[0].S_NUMBER, "100");
    ASSERT_EQ(vecDeletes.size(), 1);
    EXPECT_EQ(vecDeletes[0].S_ID, "t-del");
    EXPECT_EQ(vecDeletes[0].I_OPT_CMD, 4);
    // A second fetch into the same lists gives the same tasks, not twice as many.
    vecTasks.append(vecTasks.first());
    ASSERT_EQ(access().GetSyncTask("h-r", strLib, "c-r", vecTasks, vecDeletes), 0);
    EXPECT_EQ(vecTasks.size(), 1);
    EXPECT_EQ(vecDeletes.size(), 1);
    ASSERT_EQ(access().GetSyncTask("h-r", strLib, "c-none", vecTasks, vecDeletes), 0);
    EXPECT_TRUE(vecTasks.isEmpty());
    EXPECT_TRUE(vecDeletes.isEmpty());
    // A task made without a card or finger id stores "null".
    EXPECT_EQ(itest::text(kDb, "SELECT S_FINGER_OR_CARD_ID FROM TAB_FACELIB_HOST_SYNC_TASK WHERE S_ID = 't-add'"),
              "null");
}

TEST(FaceLibTasks, FailingMovesTheTaskWithItsIdAndRequeuingMarksEveryChannelOfTheHost)
{
    const QString strLib = addLib("requeue");
    const QString strOtherLib = addLib("requeue other");
    addPerson("p-q", "200", strLib);
    bind("b-q0", strLib, "h-q", "h-q-c0", 2);
    bind("b-q1", strLib, "h-q", "h-q-c1", 4);
    bind("b-q-other-host", strLib, "h-z", "h-z-c0", 2);
    bind("b-q-other-lib", strOtherLib, "h-q", "h-q-c0", 2);
    ASSERT_EQ(access().InsertStaffTask(task("t-q", strLib, "h-q", "h-q-c0", "p-q", 1)), 0);

    ASSERT_EQ(access().InsertSyncTaskFail("t-q", "device refused the picture"), 0);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM TAB_FACELIB_HOST_SYNC_TASK WHERE S_ID = 't-q'"), 0);
    STRCT_FaceSyncTaskQuery query;
    query.m_qstrPersonLibId = strLib;
    QVector<CLS_FaceLibSyncTaskEntity> vecFailed;
    ASSERT_EQ(access().SearchTaskFail(query, vecFailed), 0);
    ASSERT_EQ(vecFailed.size(), 1);
    EXPECT_EQ(vecFailed[0].S_ID, "t-q");
    EXPECT_EQ(vecFailed[0].S_ERROR, "device refused the picture");
    EXPECT_EQ(vecFailed[0].S_HOST_ID, "h-q");
    EXPECT_EQ(access().GetTaskFailCount(query), 1);
    EXPECT_EQ(access().GetFailPersonCount(strLib, "h-q", QString()), 1);
    EXPECT_EQ(access().GetFailPersonCount(strLib, "h-z", QString()), 0);

    ASSERT_EQ(access().TaskFailConvertSync("t-q"), 0);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM TAB_FACELIB_HOST_SYNC_FAIL WHERE S_ID = 't-q'"), 0);
    CLS_FaceLibSyncTaskEntity back;
    ASSERT_EQ(access().QueryTaskSyncById("t-q", back), 0);
    EXPECT_EQ(back.S_PERSON_ID, "p-q");
    const struct {
        const char* id;
        int status;
    } expected[] = {{"b-q0", 3}, {"b-q1", 3}, {"b-q-other-host", 2}, {"b-q-other-lib", 2}};
    for (const auto& e : expected) {
        EXPECT_EQ(rows("SELECT I_STATUS FROM TAB_FACELIB_CHANNEL_REL WHERE S_ID = :id", {{":id", e.id}}), e.status)
            << e.id;
    }
    // Re-queuing a task that is not among the failed ones changes nothing and succeeds.
    EXPECT_EQ(access().TaskFailConvertSync("t-none"), 0);
}

TEST(FaceLibTasks, FailingAMissingTaskFailsAtTheLookUpAndChangesNothing)
{
    const int iFailed = rows("SELECT COUNT(*) FROM TAB_FACELIB_HOST_SYNC_FAIL");
    const int iPending = rows("SELECT COUNT(*) FROM TAB_FACELIB_HOST_SYNC_TASK");
    LogCapture log;
    EXPECT_EQ(access().InsertSyncTaskFail("t-missing", "error"), -1);
    EXPECT_TRUE(log.has(2, "CLS_FaceLibSyncTaskEntityDAO::QueryTaskSyncById pRecSet=null")) << log.dump().toStdString();
    EXPECT_EQ(rows("SELECT COUNT(*) FROM TAB_FACELIB_HOST_SYNC_FAIL"), iFailed);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM TAB_FACELIB_HOST_SYNC_TASK"), iPending);
}

TEST(FaceLibTasks, DeletingFailedTasksUsesOnlyItsCriteria)
{
    const QString strLib = addLib("delete failed");
    for (const char* id : {"t-f1", "t-f2", "t-f3"}) {
        ASSERT_EQ(access().InsertStaffTask(task(id, strLib, "h-f", id == QString("t-f3") ? "c-2" : "c-1", "p", 1)), 0);
        ASSERT_EQ(access().InsertSyncTaskFail(id, "x"), 0);
    }
    STRCT_FaceSyncTaskQuery query;
    query.m_qstrPersonLibId = strLib;
    query.m_qstrChanId = "c-1";
    query.m_qstrTaskId = "t-f1";  // not a criterion of the deletion
    ASSERT_EQ(access().DeleteFailTask(query), 0);
    STRCT_FaceSyncTaskQuery left;
    left.m_qstrPersonLibId = strLib;
    QVector<CLS_FaceLibSyncTaskEntity> vecLeft;
    ASSERT_EQ(access().SearchTaskFail(left, vecLeft), 0);
    ASSERT_EQ(vecLeft.size(), 1);
    EXPECT_EQ(vecLeft[0].S_ID, "t-f3");
}

TEST(FaceLibTasks, OperationsThatWouldActOnEveryRowAreRefused)
{
    const QString strLib = addLib("no criteria");
    bind("b-n0", strLib, "h-n", "h-n-c0", 1, "kept");
    ASSERT_EQ(access().InsertStaffTask(task("t-n", strLib, "h-n", "h-n-c0", "p", 1)), 0);
    ASSERT_EQ(access().InsertSyncTaskFail("t-n", "x"), 0);
    const int iFailed = rows("SELECT COUNT(*) FROM TAB_FACELIB_HOST_SYNC_FAIL");
    ASSERT_GT(iFailed, 0);
    const QString strBindings =
        "SELECT COUNT(*) FROM TAB_FACELIB_CHANNEL_REL WHERE I_STATUS = 1 AND S_STATUS_CAPTION = 'kept'";
    const int iBindings = rows(strBindings);

    STRCT_FaceSyncTaskQuery none;
    STRCT_FaceSyncTaskQuery onlyTaskId;  // the task id is not a criterion of the deletion
    onlyTaskId.m_qstrTaskId = "t-n";
    const struct
    {
        const char* name;
        std::function<int()> call;
        const char* log;
    } cases[] = {
        {"deleteNone", [&] { return access().DeleteFailTask(none); },
         "CLS_FaceLibSyncTaskEntityDAO::DeleteFailTask no criteria"},
        {"deleteTaskId", [&] { return access().DeleteFailTask(onlyTaskId); },
         "CLS_FaceLibSyncTaskEntityDAO::DeleteFailTask no criteria"},
        {"status",
         [] { return access().UpdateChannelTargetStatus(QString(), QString(), QString(), 2, "changed"); },
         "CLS_ChannelTargetEntityDAO::UpdateChannelTargetStatus no host, library or channel"},
        {"caption",
         [] { return access().UpdateChannelTargetCaption(QString(), QString(), QString(), "changed"); },
         "CLS_ChannelTargetEntityDAO::UpdateChannelTargetCaption no host, library or channel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        EXPECT_EQ(c.call(), -1);
        EXPECT_TRUE(log.has(3, c.log)) << log.dump().toStdString();
    }
    EXPECT_EQ(rows("SELECT COUNT(*) FROM TAB_FACELIB_HOST_SYNC_FAIL"), iFailed);
    EXPECT_EQ(rows(strBindings), iBindings);

    // One criterion is enough.
    STRCT_FaceSyncTaskQuery byLib;
    byLib.m_qstrPersonLibId = strLib;
    EXPECT_EQ(access().DeleteFailTask(byLib), 0);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM TAB_FACELIB_HOST_SYNC_FAIL"), iFailed - 1);
    EXPECT_EQ(access().UpdateChannelTargetStatus(QString(), QString(), "h-n-c0", 2, "changed"), 0);
    EXPECT_EQ(rows("SELECT I_STATUS FROM TAB_FACELIB_CHANNEL_REL WHERE S_ID = 'b-n0'"), 2);
}

TEST(FaceLibBindings, StatesDecideWhichHostsNeedSynchronisation)
{
    const QString strLib = addLib("bindings");
    bind("b-s1", strLib, "h-s1", "h-s1-c0", 1);
    bind("b-s2", strLib, "h-s2", "h-s2-c0", 2);
    bind("b-s4", strLib, "h-s4", "h-s4-c0", 4);
    bind("b-s3", strLib, "h-s3", "h-s3-c0", 3, "syncing");

    QStringList lstHosts;
    ASSERT_EQ(access().GetHostsNeedSync(lstHosts), 0);
    EXPECT_TRUE(lstHosts.contains("h-s1"));
    EXPECT_TRUE(lstHosts.contains("h-s3"));
    EXPECT_FALSE(lstHosts.contains("h-s2"));
    EXPECT_FALSE(lstHosts.contains("h-s4"));
    EXPECT_EQ(access().GetBoundCount(strLib), 1);
    EXPECT_EQ(access().IsTargetLibBoundChan(strLib, "h-s2-c0"), 1);
    EXPECT_EQ(access().IsTargetLibBoundChan(strLib, "h-s9-c0"), 0);

    CLS_DataMediator mediator;
    QVector<CLS_ChannelTargetEntity> vecNeed;
    ASSERT_EQ(mediator.GetPersonLibOfNeedSyncByHostId("h-s2", vecNeed), 0);
    EXPECT_TRUE(vecNeed.isEmpty());
    ASSERT_EQ(mediator.GetPersonLibOfNeedSyncByHostId("h-s3", vecNeed), 0);
    ASSERT_EQ(vecNeed.size(), 1);
    EXPECT_EQ(vecNeed[0].S_CHANNEL_ID, "h-s3-c0");
    EXPECT_EQ(vecNeed[0].S_STATUS_CAPTION, "syncing");

    QVector<CLS_ChannelTargetEntity> vecChan;
    ASSERT_EQ(mediator.GetChanTargetLibbyID("h-s1-c0", vecChan), 0);
    ASSERT_EQ(vecChan.size(), 1);
    EXPECT_EQ(vecChan[0].S_FACELIB_ID, strLib);
    EXPECT_EQ(vecChan[0].S_STATUS_CAPTION, "--");  // an empty caption is stored as "--"
    EXPECT_EQ(vecChan[0].I_SIMILARITY, 80);

    // Updates touch only the bindings matching every id given.
    ASSERT_EQ(access().UpdateChannelTargetStatus("h-s1", strLib, QString(), 2, QString()), 0);
    ASSERT_EQ(access().UpdateChannelTargetCaption(QString(), strLib, "h-s4-c0", "done"), 0);
    EXPECT_EQ(rows("SELECT I_STATUS FROM TAB_FACELIB_CHANNEL_REL WHERE S_ID = 'b-s1'"), 2);
    EXPECT_EQ(rows("SELECT I_STATUS FROM TAB_FACELIB_CHANNEL_REL WHERE S_ID = 'b-s3'"), 3);
    EXPECT_EQ(itest::text(kDb, "SELECT S_STATUS_CAPTION FROM TAB_FACELIB_CHANNEL_REL WHERE S_ID = 'b-s4'"), "done");
    EXPECT_EQ(itest::text(kDb, "SELECT S_STATUS_CAPTION FROM TAB_FACELIB_CHANNEL_REL WHERE S_ID = 'b-s1'"), "--");
}

TEST(FaceLibBindings, UnbindingRemovesOnlyThatChannelsTasks)
{
    const QString strLib = addLib("unbind");
    bind("b-u0", strLib, "h-u", "h-u-c0", 1);
    bind("b-u1", strLib, "h-u", "h-u-c1", 1);
    ASSERT_EQ(access().InsertStaffTask(task("t-u0", strLib, "h-u", "h-u-c0", "p", 1)), 0);
    ASSERT_EQ(access().InsertStaffTask(task("t-u0f", strLib, "h-u", "h-u-c0", "p", 1)), 0);
    ASSERT_EQ(access().InsertSyncTaskFail("t-u0f", "x"), 0);
    ASSERT_EQ(access().InsertStaffTask(task("t-u1", strLib, "h-u", "h-u-c1", "p", 1)), 0);

    ASSERT_EQ(access().UnbindChannelTarget(strLib, "h-u-c0"), 0);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM TAB_FACELIB_HOST_SYNC_TASK WHERE S_ID IN ('t-u0', 't-u1')"), 1);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM TAB_FACELIB_HOST_SYNC_FAIL WHERE S_ID = 't-u0f'"), 0);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM TAB_FACELIB_CHANNEL_REL WHERE S_FACELIB_ID = :l", {{":l", strLib}}), 1);
}

TEST(FaceLibPersons, CaptionsOfAPersonsLibrariesStopAtFifteenOldestFirst)
{
    const QString strFirst = addLib("lib-00", "2020-01-01 00:00:00");
    addPerson("p-many", "300", strFirst);
    for (int i = 16; i >= 1; --i) {  // stored newest first, so order comes from the time
        const QString strLib = addLib(QStringLiteral("lib-%1").arg(i, 2, 10, QChar('0')),
                                      QStringLiteral("2020-01-%1 00:00:00").arg(i + 1, 2, 10, QChar('0')));
        ASSERT_EQ(itest::exec(kDb,
                              "INSERT INTO TAB_FACELIB_PERSON_REL (S_ID, S_FACELIB_ID, S_PERSON_ID) "
                              "VALUES (:id, :lib, 'p-many')",
                              {{":id", "rel-" + strLib}, {":lib", strLib}}),
                  0);
    }
    QStringList lstCaptions;
    ASSERT_EQ(access().GetFaceLibCaptionsOfPerson("p-many", lstCaptions), 0);
    QStringList lstExpected;
    for (int i = 0; i < 15; ++i) {
        lstExpected << QStringLiteral("lib-%1").arg(i, 2, 10, QChar('0'));
    }
    EXPECT_EQ(lstCaptions, lstExpected);
    EXPECT_EQ(access().GetPersonLibRelCount("p-many"), 17);
}

TEST(FaceLibPersons, PagesStartAtPageOneAndCarryThePersonsOwnId)
{
    const QString strLib = addLib("paged");
    const QString strOther = addLib("paged other");
    for (int i = 1; i <= 12; ++i) {
        addPerson(QStringLiteral("pg-%1").arg(i), QStringLiteral("P%1").arg(i, 3, 10, QChar('0')), strLib);
    }
    addPerson("pg-other", "P000", strOther);
    STRCT_FacePersonQuery query;
    const struct {
        int index;
        const char* first;
        int count;
    } cases[] = {{0, "P001", 5}, {1, "P001", 5}, {2, "P006", 5}, {3, "P011", 2}, {4, "", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        QVector<CLS_FaceInfoEntity> vecPage;
        ASSERT_EQ(access().GetPagePerson({strLib}, query, 5, c.index, vecPage), 0);
        ASSERT_EQ(vecPage.size(), c.count);
        if (c.count > 0) {
            EXPECT_EQ(vecPage[0].S_NUMBER, c.first);
            // The person's id, not the library's or the membership's.
            EXPECT_EQ(vecPage[0].S_ID, "pg-" + QString::number(QString(c.first).mid(1).toInt()));
            EXPECT_EQ(vecPage[0].S_FACELIB_ID, strLib);
            EXPECT_EQ(vecPage[0].S_FACELIB_CAPTION, "paged");
        }
    }
    EXPECT_EQ(access().GetPageOrgManageQuery({strLib}, query), 12);
    EXPECT_EQ(access().GetPageOrgManageQuery({strLib, strOther}, query), 13);
    query.m_qstrNumber = "P01";
    EXPECT_EQ(access().GetPageOrgManageQuery({strLib}, query), 3);
    EXPECT_EQ(access().GetFaceLibMemberCount(strLib), 12);
    EXPECT_GE(access().GetFaceLibMemberCount("facelib_root_id"), 13);

    STRCT_FacePersonQuery exact;
    EXPECT_EQ(access().GetPersonByFaceLibQuery(strLib, exact), -1);
    exact.m_qstrNumber = "P003";
    EXPECT_EQ(access().GetPersonByFaceLibQuery(strLib, exact), 1);
    exact.m_qstrID = "pg-4";
    EXPECT_EQ(access().GetPersonByFaceLibQuery(strLib, exact), 0);

    ASSERT_EQ(access().RemovePersonsOfLibs({strLib}), 0);
    EXPECT_EQ(access().GetFaceLibMemberCount(strLib), 0);
    EXPECT_EQ(access().GetPersonIdCount("pg-other"), 1);
}

TEST(FaceLibPersons, APersonStaysWhileALibraryHoldsIt)
{
    const QString strA = addLib("shared A");
    const QString strB = addLib("shared B");
    const QString strC = addLib("shared C");
    addPerson("p-shared", "400", strA);
    ASSERT_EQ(itest::exec(kDb,
                          "INSERT INTO TAB_FACELIB_PERSON_REL (S_ID, S_FACELIB_ID, S_PERSON_ID) "
                          "VALUES ('rel-shared-b', :lib, 'p-shared'), ('rel-shared-c', :libC, 'p-shared')",
                          {{":lib", strB}, {":libC", strC}}),
              0);
    addPerson("p-only-a", "401", strA);

    ASSERT_EQ(access().RemovePersonFromLib("p-shared", strA), 0);
    EXPECT_EQ(access().GetPersonIdCount("p-shared"), 1);
    EXPECT_EQ(access().GetPersonLibRelCount("p-shared"), 2);
    EXPECT_EQ(access().GetFaceLibMemberCount(strA), 1);
    EXPECT_EQ(access().GetFaceLibMemberCount(strB), 1);

    // Removing the libraries B and A removes their memberships; C still holds the person.
    ASSERT_EQ(access().RemovePersonsOfLibs({strB, strA}), 0);
    EXPECT_EQ(access().GetPersonIdCount("p-only-a"), 0);
    EXPECT_EQ(access().GetPersonIdCount("p-shared"), 1);
    EXPECT_EQ(access().GetFaceLibMemberCount(strC), 1);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM TAB_FACELIB_PERSON_REL WHERE S_PERSON_ID = 'p-shared'"), 1);

    // The last library lets it go, with no membership left behind.
    ASSERT_EQ(access().RemovePersonFromLib("p-shared", strC), 0);
    EXPECT_EQ(access().GetPersonIdCount("p-shared"), 0);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM TAB_FACELIB_PERSON_REL WHERE S_PERSON_ID = 'p-shared'"), 0);
}

TEST(FaceLibPersons, NameAndNumberFiltersTakeWildcardCharactersLiterally)
{
    const QString strLib = addLib("wildcards");
    const struct
    {
        const char* id;
        const char* name;
        const char* number;
    } persons[] = {
        {"w-percent", "100% sure", "N%1"},
        {"w-under", "under_score", "N_2"},
        {"w-back", "back\\slash", "N\\3"},
        {"w-plain", "plain name", "N44"},
    };
    for (const auto& p : persons) {
        CLS_FaceInfoEntity person;
        person.S_ID = p.id;
        person.S_NAME = p.name;
        person.S_NUMBER = p.number;
        ASSERT_EQ(access().AddPerson(person, strLib), 0);
    }
    const struct
    {
        const char* name;
        const char* number;
        QStringList ids;
    } cases[] = {
        {"%", "", {"w-percent"}},    {"_", "", {"w-under"}},
        {"\\", "", {"w-back"}},      {"", "%", {"w-percent"}},
        {"", "_", {"w-under"}},      {"", "N", {"w-back", "w-percent", "w-plain", "w-under"}},
        {"0% s", "", {"w-percent"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " / " + c.number);
        STRCT_FacePersonQuery query;
        query.m_qstrName = c.name;
        query.m_qstrNumber = c.number;
        QVector<CLS_FaceInfoEntity> vecPage;
        ASSERT_EQ(access().GetPagePerson({strLib}, query, 20, 1, vecPage), 0);
        QStringList lstIds;
        for (const CLS_FaceInfoEntity& person : vecPage) {
            lstIds << person.S_ID;
        }
        lstIds.sort();
        EXPECT_EQ(lstIds.join(' ').toStdString(), c.ids.join(' ').toStdString());
        EXPECT_EQ(access().GetPageOrgManageQuery({strLib}, query), c.ids.size());
    }
}

TEST(FaceLibInfo, LibrariesAreStoredRenamedAndDeleted)
{
    const QString strLib = addLib("visitors");
    EXPECT_EQ(access().GetFaceLibNameCount("visitors"), 1);
    ASSERT_EQ(access().RenameFaceLib(strLib, "guests"), 0);
    CLS_FaceLibInfoEntity lib;
    ASSERT_EQ(access().GetFaceLibById(strLib, lib), 0);
    EXPECT_EQ(lib.S_CAPTION, "guests");
    EXPECT_EQ(access().GetFaceLibNameCount("visitors"), 0);
    ASSERT_EQ(access().DeleteFaceLib(strLib), 0);
    EXPECT_EQ(access().GetFaceLibById(strLib, lib), -1);
    EXPECT_EQ(access().GetFaceLibById(QString(), lib), -1);

    ASSERT_EQ(access().SetDistinguishType("h-mode", 2), 0);
    ASSERT_EQ(access().SetDistinguishType("h-mode", 5), 0);
    int iType = -1;
    ASSERT_EQ(access().GetDistinguishType("h-mode", iType), 0);
    EXPECT_EQ(iType, 5);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM TAB_CONFIG_CHANNEL_FACE WHERE S_HOST_ID = 'h-mode'"), 1);
}

// Must stay last: it stops the server.
TEST(FaceLibZServerStopped, EveryOperationFailsAndLeavesTheCallersListsAlone)
{
    const QString strLib = addLib("before the stop");
    addPerson("p-stop", "500", strLib);
    ASSERT_EQ(access().InsertStaffTask(task("t-stop", strLib, "h-stop", "c-stop", "p-stop", 1)), 0);
    ServerProcess& server = IntegrationEnvironment::instance().server();
    ASSERT_TRUE(server.stop()) << server.output().toStdString();
    ASSERT_TRUE(itest::waitFor([] { return CLS_RemoteDBHandler::m_iConnectedStatus.load() < 0; }, 10000));

    STRCT_FaceSyncTaskQuery byLib;
    byLib.m_qstrPersonLibId = strLib;
    STRCT_FacePersonQuery anyone;
    CLS_FaceLibSyncTaskEntity marker;
    marker.S_ID = "marker";
    QVector<CLS_FaceLibSyncTaskEntity> vecTasks{marker};
    QVector<CLS_FaceLibSyncTaskEntity> vecDeletes{marker};
    QVector<CLS_FaceInfoEntity> vecPersons;
    const struct
    {
        const char* name;
        std::function<int()> call;
    } cases[] = {
        {"RemovePersonFromLib", [&] { return access().RemovePersonFromLib("p-stop", strLib); }},
        {"RemovePersonsOfLibs", [&] { return access().RemovePersonsOfLibs({strLib}); }},
        {"DeleteFailTask", [&] { return access().DeleteFailTask(byLib); }},
        {"UpdateChannelTargetStatus",
         [&] { return access().UpdateChannelTargetStatus("h-stop", strLib, "c-stop", 2, "x"); }},
        {"UpdateChannelTargetCaption",
         [&] { return access().UpdateChannelTargetCaption("h-stop", strLib, "c-stop", "x"); }},
        {"GetSyncTask",
         [&] { return access().GetSyncTask("h-stop", strLib, "c-stop", vecTasks, vecDeletes); }},
        {"GetPagePerson", [&] { return access().GetPagePerson({strLib}, anyone, 10, 1, vecPersons); }},
        {"GetPageOrgManageQuery", [&] { return access().GetPageOrgManageQuery({strLib}, anyone); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_LT(c.call(), 0);
    }
    ASSERT_EQ(vecTasks.size(), 1);
    EXPECT_EQ(vecTasks[0].S_ID, "marker");
    ASSERT_EQ(vecDeletes.size(), 1);
    EXPECT_EQ(vecDeletes[0].S_ID, "marker");
    EXPECT_TRUE(vecPersons.isEmpty());
}

}  // namespace
