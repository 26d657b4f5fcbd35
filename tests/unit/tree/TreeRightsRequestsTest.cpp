// The requests behind the rights the mediator holds for the trees, counted on the recording
// socket: one read of every right with the tree's load, and after an insert one read bound to
// the new objects' ids and nothing else; a failed read leaves nothing held.
#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/User/CLS_RoleEntityDAO.h"
#include "HandlerTestSupport.h"
#include "MediatorTestAccess.h"

#include <memory>

namespace {

const QString kAllRights =
    "SELECT S_OBJ_ID, I_AUTHORITY_TYPE_ID, I_STATUS FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_ROLE_ID = :roleid";

AnswerRow right(const QString& _strObjID, int _iType)
{
    return {{"S_OBJ_ID", _strObjID}, {"I_AUTHORITY_TYPE_ID", QString::number(_iType)}, {"I_STATUS", "1"}};
}

QStringList lines(const AuthorityMap& _mapAuth)
{
    QStringList lst;
    for (auto it = _mapAuth.cbegin(); it != _mapAuth.cend(); ++it) {
        for (const STRCT_Authority& auth : it.value()) {
            lst << QStringLiteral("%1 %2 %3").arg(it.key()).arg(auth.m_strObjID, auth.m_strRoleID);
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
        standing(kAllRights, rowsAnswer({right("h-1", 1), right("h-1", 2)}));
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
            if (strSql.startsWith(kAllRights)) {
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

    CLS_DataMediator m_mediator;
    QStringList m_lstStanding;
};

TEST_F(TreeRightsRequests, TheLoadReadsEveryRightOnceWithSharedIds)
{
    resetRequests();
    load();
    ASSERT_EQ(rightsReads().size(), 1);
    EXPECT_EQ(rightsReads().first().value("bindValue").toObject(), (QJsonObject{{":roleid", "admin_role"}}));
    EXPECT_EQ(lines(CLS_DataMediatorTestAccess::authority(m_mediator)),
              (QStringList{"1 h-1 admin_role", "2 h-1 admin_role"}));
    // The rights on one object share its id; all share the role's.
    const AuthorityMap& mapHeld = CLS_DataMediatorTestAccess::authority(m_mediator);
    EXPECT_TRUE(mapHeld[1].first().m_strObjID.isSharedWith(mapHeld[2].first().m_strObjID));
    EXPECT_TRUE(mapHeld[1].first().m_strRoleID.isSharedWith(mapHeld[2].first().m_strRoleID));

    EXPECT_EQ(CLS_DataMediatorTestAccess::authorityRole(m_mediator), "admin_role");
}

TEST_F(TreeRightsRequests, AnInsertReadsTheRightsOfItsNewObjectsOnly)
{
    load();
    ASSERT_EQ(CLS_DataMediatorTestAccess::authority(m_mediator).size(), 2);
    // The new channels' rights, answered by type and then object as the server may order them.
    standing(kAllRights + " AND S_OBJ_ID IN (:id0,:id1)",
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
    EXPECT_EQ(lines(CLS_DataMediatorTestAccess::authority(m_mediator)),
              (QStringList{"1 h-1 admin_role", "1 h-1-c0 admin_role", "1 h-1-c1 admin_role", "2 h-1 admin_role",
                           "2 h-1-c0 admin_role"}));
    EXPECT_EQ(CLS_DataMediatorTestAccess::authorityRole(m_mediator), "admin_role");
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
    ASSERT_EQ(CLS_DataMediatorTestAccess::authority(m_mediator).size(), 2);
    // What is held can no longer be trusted.
    standing(kAllRights + " AND S_OBJ_ID IN (:id0)", R"({"result":"ERROR","reason":"database is locked"})");
    resetRequests();
    STRCT_VideoHost host;
    host.m_strID = "h-2";
    ASSERT_EQ(m_mediator.InsertHost(&host), 0);
    EXPECT_EQ(rightsReads().size(), 1);
    EXPECT_TRUE(CLS_DataMediatorTestAccess::authority(m_mediator).isEmpty());
    EXPECT_TRUE(CLS_DataMediatorTestAccess::authorityRole(m_mediator).isEmpty());
}
