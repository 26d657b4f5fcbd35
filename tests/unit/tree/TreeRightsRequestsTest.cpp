// The requests behind the rights the mediator holds for the trees, counted on the recording
// socket: one dense read of every right with the tree's load (one row per type and status, the
// objects' ids joined), and after an insert one read bound to the new objects' ids and nothing
// else; a failed or malformed read leaves nothing held.
#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/User/CLS_RoleEntityDAO.h"
#include "HandlerTestSupport.h"
#include "LogCapture.h"
#include "MediatorTestAccess.h"

#include <memory>

namespace {

const QString kAllRights =
    "SELECT I_AUTHORITY_TYPE_ID, I_STATUS, COUNT(*) AS I_COUNT, "
    "group_concat(length(S_OBJ_ID) || ':' || S_OBJ_ID, '') AS S_OBJ_IDS FROM TAB_OBJ_ROLE_AUTHORITY "
    "WHERE S_ROLE_ID = :roleid GROUP BY I_AUTHORITY_TYPE_ID, I_STATUS ORDER BY I_AUTHORITY_TYPE_ID, I_STATUS";
const QString kRightsOf =
    "SELECT S_OBJ_ID, I_AUTHORITY_TYPE_ID, I_STATUS FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_ROLE_ID = :roleid";

AnswerRow right(const QString& _strObjID, int _iType)
{
    return {{"S_OBJ_ID", _strObjID}, {"I_AUTHORITY_TYPE_ID", QString::number(_iType)}, {"I_STATUS", "1"}};
}

// A dense row: the rights of one type and status on the objects of the text.
AnswerRow group(int _iType, int _iStatus, int _iCount, const QString& _strIds)
{
    return {{"I_AUTHORITY_TYPE_ID", QString::number(_iType)},
            {"I_STATUS", QString::number(_iStatus)},
            {"I_COUNT", QString::number(_iCount)},
            {"S_OBJ_IDS", _strIds}};
}

// One line per right, in the order held: "type obj role status".
QStringList lines(const AuthorityMap& _mapAuth)
{
    QStringList lst;
    for (auto it = _mapAuth.cbegin(); it != _mapAuth.cend(); ++it) {
        for (const STRCT_Authority& auth : it.value()) {
            lst << QStringLiteral("%1 %2 %3 %4")
                       .arg(it.key())
                       .arg(auth.m_strObjID, auth.m_strRoleID)
                       .arg(auth.m_iStatus);
        }
    }
    return lst;
}

}  // namespace

class TreeRightsRequests : public RemoteDBHandlerRequests
{
protected:
    void SetUp() override
    {
        RemoteDBHandlerRequests::SetUp();
        CLS_RoleEntityDAO::GetInstance();
        // A host to insert channels into, added before any right is held.
        STRCT_VideoHost host;
        host.m_strID = "h-1";
        host.m_strIP = "10.0.0.1";
        ASSERT_EQ(m_mediator.InsertHost(&host), 0);
        standing(kAllRights, rowsAnswer({group(1, 1, 1, "3:h-1"), group(2, 1, 1, "3:h-1")}));
        standing("SELECT distinct S_ID, S_DESCRIPTION, I_TYPE, I_OBJ_TYPE_ID, S_CAPTION FROM VIEW_ROLE WHERE  "
                 "S_USER_ID = :id",
                 rowsAnswer({{{"S_ID", "admin_role"}, {"S_DESCRIPTION", ""}, {"I_TYPE", "0"},
                              {"I_OBJ_TYPE_ID", "14"}, {"S_CAPTION", "admin"}}}));
        CLS_DataMediatorTestAccess::setUser(m_mediator, "u-1");
    }
    void TearDown() override
    {
        CLS_DataMediatorTestAccess::releaseItems(m_mediator);
        // Standing answers outlive a case: they go with it.
        QMutexLocker locker(&m_pFake->mutex);
        for (const QString& strSql : qAsConst(m_lstStanding)) {
            m_pFake->standingAnswers.remove(strSql);
        }
    }
    void standing(const QString& _strSql, const QString& _strAnswer)
    {
        QMutexLocker locker(&m_pFake->mutex);
        m_pFake->standingAnswers.insert(_strSql, _strAnswer);
        m_lstStanding.append(_strSql);
    }
    // The queries sent since the last reset that read TAB_OBJ_ROLE_AUTHORITY.
    QList<QJsonObject> rightsReads()
    {
        QMutexLocker locker(&m_pFake->mutex);
        QList<QJsonObject> lst;
        for (const FakeRequest& request : m_pFake->requests) {
            const QString strSql = request.request.value("sqlexec").toString();
            if (strSql == kAllRights || strSql.startsWith(kRightsOf)) {
                lst.append(request.request);
            }
        }
        return lst;
    }
    // The rights come with the tree's first load (whatever the empty answers make of the tree).
    void load() { m_mediator.InitTreeNodeData(); }
    void resetRequests()
    {
        QMutexLocker locker(&m_pFake->mutex);
        m_pFake->requests.clear();
    }
    QStringList held() const { return lines(CLS_DataMediatorTestAccess::authority(m_mediator)); }

    CLS_DataMediator m_mediator;
    QStringList m_lstStanding;
};

TEST_F(TreeRightsRequests, TheLoadReadsEveryRightOnce)
{
    resetRequests();
    load();
    ASSERT_EQ(rightsReads().size(), 1);
    EXPECT_EQ(rightsReads().first().value("sqlexec").toString(), kAllRights);
    EXPECT_EQ(rightsReads().first().value("bindValue").toObject(), (QJsonObject{{":roleid", "admin_role"}}));
    EXPECT_EQ(held(), (QStringList{"1 h-1 admin_role 1", "2 h-1 admin_role 1"}));
    EXPECT_EQ(CLS_DataMediatorTestAccess::authorityRole(m_mediator), "admin_role");

    resetRequests();
    m_mediator.InitTreeNodeData();
    EXPECT_TRUE(rightsReads().isEmpty()) << "a second load of the same login";
}

// The dense rows are split back into rights in the order they come: by type and status, then the
// ids in the order of their text. Lengths count characters (a surrogate pair is one), so ids may
// hold digits, colons and any character.
TEST_F(TreeRightsRequests, DenseRowsBecomeTheRightsInTheirOrder)
{
    const QString strAstral = QString::fromUtf8("cam-\xF0\x9F\x93\xB7");  // 5 characters, 6 UTF-16 units
    standing(kAllRights, rowsAnswer({group(1, 0, 2, "3:h-24:12:x"),
                                     group(1, 1, 3, "4:12:x3:h-1" + QString("5:") + strAstral),
                                     group(7, 1, 1, "0:"), group(9, 0, 0, "")}));
    load();
    EXPECT_EQ(held(),
              (QStringList{"1 h-2 admin_role 0", "1 12:x admin_role 0", "1 12:x admin_role 1",
                           "1 h-1 admin_role 1", "1 " + strAstral + " admin_role 1", "7  admin_role 1"}));
    EXPECT_EQ(CLS_DataMediatorTestAccess::authorityRole(m_mediator), "admin_role");
}

// A dense row that does not hold what it says is a failed read: nothing is held, the failure is
// logged, and the next load reads again.
TEST_F(TreeRightsRequests, AMalformedDenseRowHoldsNothing)
{
    const struct
    {
        const char* name;
        AnswerRow row;
    } cases[] = {
        {"fewer ids than counted", group(1, 1, 2, "3:h-1")},
        {"more ids than counted", group(1, 1, 1, "3:h-13:h-2")},
        {"a length past the end", group(1, 1, 1, "9:h-1")},
        {"a huge length", group(1, 1, 1, "99999999999999999999:h-1")},
        {"no length", group(1, 1, 1, ":h-1")},
        {"no colon", group(1, 1, 1, "3h-1")},
        {"no count", {{"I_AUTHORITY_TYPE_ID", "1"}, {"I_STATUS", "1"}, {"S_OBJ_IDS", "3:h-1"}}},
        {"a negative count", group(1, 1, -1, "")},
        {"no ids", {{"I_AUTHORITY_TYPE_ID", "1"}, {"I_STATUS", "1"}, {"I_COUNT", "1"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CLS_DataMediator mediator;
        CLS_DataMediatorTestAccess::setUser(mediator, "u-1");
        standing(kAllRights, rowsAnswer({group(1, 0, 1, "3:h-9"), c.row}));
        LogCapture log;
        mediator.InitTreeNodeData();
        EXPECT_TRUE(CLS_DataMediatorTestAccess::authority(mediator).isEmpty());
        EXPECT_TRUE(CLS_DataMediatorTestAccess::authorityRole(mediator).isEmpty());
        EXPECT_TRUE(log.has(2, "CLS_RoleEntityDAO::GetRightsOfRole pRec=null"));
        EXPECT_TRUE(
            log.has(2, "CLS_DataMediator::GetAuthorityByRole GetAuthorityByRole fail _strRoleID=admin_role"));
        CLS_DataMediatorTestAccess::releaseItems(mediator);
    }
}

TEST_F(TreeRightsRequests, AnInsertReadsTheRightsOfItsNewObjectsOnly)
{
    load();
    ASSERT_EQ(held().size(), 2);
    // The new channels' rights, answered by type and then object as the server may order them.
    standing(kRightsOf + " AND S_OBJ_ID IN (:id0,:id1)",
             rowsAnswer({right("h-1-c1", 1), right("h-1-c0", 1), right("h-1-c0", 2)}));
    resetRequests();
    std::unique_ptr<STRCT_VideoChannel> c0(new STRCT_VideoChannel()), c1(new STRCT_VideoChannel());
    c0->m_strID = "h-1-c0";
    c1->m_strID = "h-1-c1";
    c0->m_strParentID = c1->m_strParentID = "h-1";
    c1->m_iChannelNo = 1;
    ASSERT_EQ(m_mediator.InsertChannelEx({c0.get(), c1.get()}), 0);

    const QList<QJsonObject> lstReads = rightsReads();
    ASSERT_EQ(lstReads.size(), 1);
    EXPECT_EQ(lstReads.first().value("bindValue").toObject(),
              (QJsonObject{{":roleid", "admin_role"}, {":id0", "h-1-c0"}, {":id1", "h-1-c1"}}));
    // Appended per type in the order the channels were written.
    EXPECT_EQ(held(), (QStringList{"1 h-1 admin_role 1", "1 h-1-c0 admin_role 1", "1 h-1-c1 admin_role 1",
                                   "2 h-1 admin_role 1", "2 h-1-c0 admin_role 1"}));
    EXPECT_EQ(CLS_DataMediatorTestAccess::authorityRole(m_mediator), "admin_role");
}

// A new object's right goes where a fresh read puts it: after the held rights of its type and
// status, before those of a higher status.
TEST_F(TreeRightsRequests, AnInsertedRightJoinsItsStatusWithinItsType)
{
    standing(kAllRights, rowsAnswer({group(1, 0, 1, "3:h-1"), group(1, 1, 2, "3:h-33:h-4")}));
    load();
    standing(kRightsOf + " AND S_OBJ_ID IN (:id0)",
             rowsAnswer(
                 {right("h-2", 2), {{"S_OBJ_ID", "h-2"}, {"I_AUTHORITY_TYPE_ID", "1"}, {"I_STATUS", "0"}}}));
    STRCT_VideoHost host;
    host.m_strID = "h-2";
    ASSERT_EQ(m_mediator.InsertHost(&host), 0);
    EXPECT_EQ(held(), (QStringList{"1 h-1 admin_role 0", "1 h-2 admin_role 0", "1 h-3 admin_role 1",
                                   "1 h-4 admin_role 1", "2 h-2 admin_role 1"}));
}

TEST_F(TreeRightsRequests, AFailedReadHoldsNothing)
{
    const QString strError = R"({"result":"ERROR","reason":"database is locked"})";
    standing(kAllRights, strError);
    load();
    EXPECT_TRUE(CLS_DataMediatorTestAccess::authority(m_mediator).isEmpty());
    EXPECT_TRUE(CLS_DataMediatorTestAccess::authorityRole(m_mediator).isEmpty());
}

TEST_F(TreeRightsRequests, AFailedReadOfNewObjectsRightsDropsWhatIsHeld)
{
    load();
    ASSERT_EQ(held().size(), 2);
    // What is held can no longer be trusted.
    standing(kRightsOf + " AND S_OBJ_ID IN (:id0)", R"({"result":"ERROR","reason":"database is locked"})");
    resetRequests();
    STRCT_VideoHost host;
    host.m_strID = "h-2";
    ASSERT_EQ(m_mediator.InsertHost(&host), 0);
    EXPECT_EQ(rightsReads().size(), 1);
    EXPECT_TRUE(CLS_DataMediatorTestAccess::authority(m_mediator).isEmpty());
    EXPECT_TRUE(CLS_DataMediatorTestAccess::authorityRole(m_mediator).isEmpty());
}
