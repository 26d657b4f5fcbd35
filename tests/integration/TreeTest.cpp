// The resource tree against a real server and schema: loading it per user and role, generic
// devices shown as hosts, the child inserts with their positions, host changes and deletes with
// what they write and report, look-ups from a second thread while the tree changes, and the
// rights held for the trees, kept equal to a fresh read while objects come and go.
#include "CLS_CommonHandle.h"
#include "MediatorTestAccess.h"
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "CLS_RemoteDBHandler.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmInEntity.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmOutEntity.h"
#include "LogCapture.h"
#include "IntegrationFixture.h"
#include "VideoItem.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

namespace {

using itest::Binds;

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment(
    IntegrationOptions{"17ee0001", /*admin*/ true, {}, nullptr, [] {
        qRegisterMetaType<const QVector<STRCT_VideoItem*>*>("const QVector<STRCT_VideoItem*>*");
        qRegisterMetaType<OperationType>("OperationType");
    }}));

int scalar(const QString& _strSql, const Binds& _mapBind = Binds())
{
    return itest::scalar("Tessel", _strSql, _mapBind);
}

QString text(const QString& _strSql, const Binds& _mapBind = Binds())
{
    const QString strValue = itest::text("Tessel", _strSql, _mapBind);
    return strValue == QLatin1String("<failed>") ? QStringLiteral("<none>") : strValue;
}

int childRows(const QString& _strHostID, const char* _pszTable)
{
    return scalar(QStringLiteral("SELECT COUNT(*) FROM %1 t JOIN TAB_OBJ o ON o.S_ID = t.S_ID "
                                 "WHERE o.S_PARENT_ID = :h")
                      .arg(_pszTable),
                  {{":h", _strHostID}});
}

std::string s(const QString& _strText)
{
    return _strText.toStdString();
}

// A stored host with its children, written through the facade (not the tree).
void storeHost(const QString& _strID, const QString& _strIP, int _iChannels, int _iAlarmIns, int _iAlarmOuts,
               int _iDevType = 1)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    CLS_HostEntity host;
    host.S_ID = _strID;
    host.S_CAPTION = "Host " + _strIP;
    host.S_IP = _strIP;
    host.I_PORT = 3000;
    host.S_USERNAME = "admin";
    host.S_PASSWORD = "pw";
    host.I_DEVTYPE = _iDevType;
    host.I_PROXY_TYPE = 1;
    ASSERT_EQ(access.InsertHost(host), 0);
    QVector<CLS_ChannelEntity*> vecChannels;
    for (int i = 0; i < _iChannels; ++i) {
        auto* p = new CLS_ChannelEntity();
        p->S_ID = QStringLiteral("%1-c%2").arg(_strID).arg(i);
        p->S_PARENT_ID = _strID;
        p->S_CAPTION = QStringLiteral("%1-Channel %2").arg(_strIP).arg(i + 1);
        p->I_NUM = i;
        vecChannels.append(p);
    }
    QVector<CLS_AlarmInEntity*> vecAlarmIns;
    for (int i = 0; i < _iAlarmIns; ++i) {
        auto* p = new CLS_AlarmInEntity();
        p->S_ID = QStringLiteral("%1-i%2").arg(_strID).arg(i);
        p->S_PARENT_ID = _strID;
        p->S_CAPTION = QStringLiteral("%1-AlarmIn %2").arg(_strIP).arg(i + 1);
        p->I_NUM = i;
        vecAlarmIns.append(p);
    }
    QVector<CLS_AlarmOutEntity*> vecAlarmOuts;
    for (int i = 0; i < _iAlarmOuts; ++i) {
        auto* p = new CLS_AlarmOutEntity();
        p->S_ID = QStringLiteral("%1-o%2").arg(_strID).arg(i);
        p->S_PARENT_ID = _strID;
        p->S_CAPTION = QStringLiteral("%1-AlarmOut %2").arg(_strIP).arg(i + 1);
        p->I_NUM = i;
        vecAlarmOuts.append(p);
    }
    const int iChannels = access.InsertChannels(vecChannels);
    const int iAlarmIns = access.InsertAlarmIns(vecAlarmIns);
    const int iAlarmOuts = access.InsertAlarmOuts(vecAlarmOuts);
    qDeleteAll(vecChannels);
    qDeleteAll(vecAlarmIns);
    qDeleteAll(vecAlarmOuts);
    ASSERT_EQ(iChannels, 0);
    ASSERT_EQ(iAlarmIns, 0);
    ASSERT_EQ(iAlarmOuts, 0);
}

// A user in a role of its own; the role holds the given rights on the given objects.
void storeUser(CLS_DataMediator& _mediator, const QString& _strID, const QString& _strRoleID,
               const QList<QPair<QString, int>>& _lstRights)
{
    CLS_UserEntity user;
    user.S_ID = _strID;
    user.S_CAPTION = _strID;
    user.S_PASSWORD = "pw";
    user.DT_LIMIT = "2099-01-01 00:00:00";
    user.I_OBJ_TYPE_ID = 13;
    CLS_RoleEntity role;
    role.S_ID = _strRoleID;
    role.S_CAPTION = _strRoleID;
    role.I_OBJ_TYPE_ID = 14;
    ASSERT_EQ(_mediator.InsertUserAddRoleRelatedInfo(&user, &role), 0);
    for (const auto& right : _lstRights) {
        STRCT_Authority auth;
        auth.m_strObjID = right.first;
        auth.m_strRoleID = _strRoleID;
        auth.m_iAuthorityType = right.second;
        auth.m_iStatus = 1;
        ASSERT_EQ(_mediator.UpdateAuthToRole(&auth), 0);
    }
}

QStringList ids(const QVector<STRCT_VideoItem*>& _vecItems)
{
    QStringList lst;
    for (const STRCT_VideoItem* pItem : _vecItems) {
        lst << QString::fromStdString(pItem->m_strID);
    }
    return lst;
}

QStringList captions(const QVector<STRCT_VideoItem*>& _vecItems)
{
    QStringList lst;
    for (const STRCT_VideoItem* pItem : _vecItems) {
        lst << QString::fromStdString(pItem->m_strCaption);
    }
    return lst;
}

// One resource signal as received: the items' ids, the operation and the device type.
struct Change
{
    QStringList ids;
    int op;
    int devType;
};

std::ostream& operator<<(std::ostream& _os, const Change& _change)
{
    return _os << "{" << _change.ids.join(",").toStdString() << " op " << _change.op << " type "
               << _change.devType << "}";
}

bool operator==(const Change& _a, const Change& _b)
{
    return _a.ids == _b.ids && _a.op == _b.op && _a.devType == _b.devType;
}

QList<Change> changes(const QSignalSpy& _spy)
{
    QList<Change> lst;
    for (const QList<QVariant>& args : _spy) {
        const auto* pVec = args.at(0).value<const QVector<STRCT_VideoItem*>*>();
        lst.append({pVec != nullptr ? ids(*pVec) : QStringList{"<null>"}, args.at(1).value<OperationType>(),
                    args.at(2).toInt()});
    }
    return lst;
}

}  // namespace

// Every case starts from empty device tables and a mediator logged in as the administrator.
class Tree : public LoggedInTest
{
protected:
    void SetUp() override
    {
        wipe();
        LoggedInTest::SetUp();
    }
    void TearDown() override
    {
        wipe();
        LoggedInTest::TearDown();
    }
    static void wipe()
    {
        ASSERT_EQ(
            CLS_BaseEntityDAO::ExecuteTransaction(
                "Tessel",
                {"DELETE FROM TAB_DEV_VIDEO_HOST", "DELETE FROM TAB_HOST", "DELETE FROM TAB_DEV_CAMERA",
                 "DELETE FROM TAB_CHANNEL", "DELETE FROM TAB_DEV_ALARM_IN", "DELETE FROM TAB_DEV_ALARM_OUT",
                 "DELETE FROM TAB_DEV", "DELETE FROM TAB_OBJ WHERE I_OBJ_TYPE_ID IN (4, 5, 6, 7, 52, 53)",
                 "DELETE FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_ROLE_ID = 'admin_role'"}),
            0);
    }
    STRCT_VideoHost* host(const QString& _strID)
    {
        for (STRCT_VideoItem* pItem : m_mediator.GetAllHostItems()) {
            if (pItem->m_strID == s(_strID)) {
                return static_cast<STRCT_VideoHost*>(pItem);
            }
        }
        return nullptr;
    }
    QVector<STRCT_VideoItem*> children(const QString& _strHostID)
    {
        STRCT_VideoHost* pHost = host(_strHostID);
        return pHost == nullptr
                   ? QVector<STRCT_VideoItem*>()
                   : QVector<STRCT_VideoItem*>(pHost->m_vecChilds.begin(), pHost->m_vecChilds.end());
    }
};

TEST_F(Tree, AUserWithoutRoleGetsNoTree)
{
    storeHost("h-1", "10.0.0.1", 1, 0, 0);
    CLS_DataMediator nobody;
    ItemReleaser release_nobody(nobody);
    LogCapture log;
    EXPECT_EQ(nobody.InitTreeNodeData(), -1);  // nobody logged in

    storeUser(m_mediator, "u-norole", "r-gone", {{"h-1", 1}});
    ASSERT_EQ(m_mediator.DeleteRole("r-gone"), 0);
    CLS_DataMediator mediator;
    ItemReleaser release_mediator(mediator);
    ASSERT_EQ(mediator.LoginUser("u-norole", "pw"), 0);
    log.clear();
    EXPECT_EQ(mediator.InitTreeNodeData(), -1);
    EXPECT_TRUE(log.has(4, "CLS_DataMediator::InitTreeNodeData vecUserRole.size=0"))
        << qPrintable(log.dump());
    EXPECT_TRUE(mediator.GetAllHostItems().isEmpty());
    QVector<STRCT_VideoItem*> vecRoot;
    mediator.GetChildItems("resource_root_id", vecRoot);
    EXPECT_TRUE(vecRoot.isEmpty());
    EXPECT_EQ(mediator.GetHostItemOfChild("h-1-c0"), nullptr);
    // Not marked as loaded: the next call checks again.
    EXPECT_EQ(mediator.InitTreeNodeData(), -1);
    ASSERT_EQ(m_mediator.DeleteUser("u-norole"), 0);
}

TEST_F(Tree, AReadThatFailsLeavesTheTreeToTheNextCall)
{
    storeHost("h-1", "10.0.0.1", 1, 0, 0);
    ASSERT_EQ(
        CLS_RemoteDBHandler::ExecuteEx("Tessel", "ALTER TABLE TAB_DEV RENAME TO TAB_DEV_AWAY", {}, 3, false),
        0);
    const int iFailed = m_mediator.InitTreeNodeData();
    ASSERT_EQ(
        CLS_RemoteDBHandler::ExecuteEx("Tessel", "ALTER TABLE TAB_DEV_AWAY RENAME TO TAB_DEV", {}, 3, false),
        0);
    EXPECT_EQ(iFailed, -1);
    EXPECT_TRUE(m_mediator.GetAllHostItems().isEmpty());
    EXPECT_EQ(m_mediator.GetHostItemOfChild("h-1"), nullptr);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    EXPECT_EQ(ids(m_mediator.GetAllHostItems()), QStringList{"h-1"});
    EXPECT_EQ(ids(children("h-1")), QStringList{"h-1-c0"});
}

TEST_F(Tree, TheTreeHoldsTheHostsOfTheRoleWithChildrenInOrder)
{
    storeHost("h-a", "10.0.0.2", 3, 2, 1);
    storeHost("h-b", "10.0.0.1", 1, 0, 0);
    // The operator's role sees h-a (authority type 1); another type on h-b does not show it.
    storeUser(m_mediator, "u-oper", "r-oper", {{"h-a", 1}, {"h-b", 2}});
    storeUser(m_mediator, "u-other", "r-other", {{"h-b", 2}});

    CLS_DataMediator oper;
    ItemReleaser release_oper(oper);
    ASSERT_EQ(oper.LoginUser("u-oper", "pw"), 0);
    ASSERT_EQ(oper.InitTreeNodeData(), 0);
    const QVector<STRCT_VideoItem*> vecHosts = oper.GetAllHostItems();
    ASSERT_EQ(ids(vecHosts), QStringList{"h-a"});
    auto* pHost = static_cast<STRCT_VideoHost*>(vecHosts[0]);
    EXPECT_EQ(pHost->m_strParentID, "resource_root_id");
    EXPECT_EQ(pHost->m_strIP, "10.0.0.2");
    EXPECT_EQ(pHost->m_strChannelCount, "3");
    EXPECT_EQ(pHost->m_strAlarmInCount, "2");
    EXPECT_EQ(pHost->m_strAlarmOutCount, "1");
    const QVector<STRCT_VideoItem*> vecChilds(pHost->m_vecChilds.begin(), pHost->m_vecChilds.end());
    EXPECT_EQ(ids(vecChilds), (QStringList{"h-a-c0", "h-a-c1", "h-a-c2", "h-a-i0", "h-a-i1", "h-a-o0"}));
    QList<int> lstSort;
    for (const STRCT_VideoItem* pChild : vecChilds) {
        lstSort << pChild->m_iSortNum;
        EXPECT_EQ(pChild->m_strParentID, "h-a");
    }
    EXPECT_EQ(lstSort, (QList<int>{0, 1, 2, 512, 513, 1024}));
    EXPECT_EQ(vecChilds[4]->GetType(), vitAlarmIn);
    EXPECT_EQ(vecChilds[5]->GetType(), vitAlarmOut);

    const STRCT_VideoItem* pRoot = oper.GetHostItemOfChild("h-a");
    ASSERT_NE(pRoot, nullptr);
    EXPECT_EQ(pRoot->GetType(), vitGroup);
    EXPECT_EQ(pRoot->m_strID, "resource_root_id");
    EXPECT_TRUE(pRoot->m_strCaption.empty());
    EXPECT_EQ(oper.GetHostItemOfChild("h-a-i1"), pHost);
    EXPECT_EQ(oper.GetHostItemOfChild("h-b-c0"), nullptr);
    QVector<STRCT_VideoItem*> vecHostsByType, vecChannels, vecAlarmIns;
    oper.GetResourceItemsByType(vecHostsByType, vecChannels, vecAlarmIns);
    EXPECT_EQ(vecHostsByType.size(), 1);
    EXPECT_EQ(vecChannels.size(), 3);
    EXPECT_EQ(vecAlarmIns.size(), 2);

    // A user whose role lacks authority type 1 sees no host.
    CLS_DataMediator other;
    ItemReleaser release_other(other);
    ASSERT_EQ(other.LoginUser("u-other", "pw"), 0);
    ASSERT_EQ(other.InitTreeNodeData(), 0);
    EXPECT_TRUE(other.GetAllHostItems().isEmpty());

    // The administrator sees both, numbered by address; a second load reads nothing new.
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    const QVector<STRCT_VideoItem*> vecAdmin = m_mediator.GetAllHostItems();
    ASSERT_EQ(ids(vecAdmin), (QStringList{"h-a", "h-b"}));
    EXPECT_EQ(vecAdmin[0]->m_iSortNum, 1);
    EXPECT_EQ(vecAdmin[1]->m_iSortNum, 0);
    storeHost("h-c", "10.0.0.3", 1, 0, 0);
    EXPECT_EQ(m_mediator.InitTreeNodeData(), 0);
    EXPECT_EQ(m_mediator.GetAllHostItems(), vecAdmin);

    ASSERT_EQ(m_mediator.DeleteUser("u-oper"), 0);
    ASSERT_EQ(m_mediator.DeleteRole("r-oper"), 0);
    ASSERT_EQ(m_mediator.DeleteUser("u-other"), 0);
    ASSERT_EQ(m_mediator.DeleteRole("r-other"), 0);
}

TEST_F(Tree, GenericDevicesAreHostsWithTheirJsonDescription)
{
    struct Case
    {
        const char* id;
        int type;
        const char* brand;
        int devversion;  // 0: no such key
    };
    const Case cases[] = {
        {"d-2-zero", 2, "0", 11}, {"d-2-other", 2, "00", 10}, {"d-3", 3, "0", 12}, {"d-5", 5, "0", 0}};
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    for (const Case& c : cases) {
        Common::STRCT_DevItem dev;
        dev.S_ID = c.id;
        dev.S_NAME = std::string("Name of ") + c.id;
        dev.I_TYPE = c.type;
        dev.S_BRAND = c.brand;
        dev.S_SN = std::string("SN-") + c.id;
        dev.S_IP = "192.168.1.20";
        dev.I_PORT = 8000;
        dev.S_USERNAME = "viewer";
        dev.S_PASSWORD = "p'w";
        ASSERT_EQ(access.InsertDev(dev), 0);
        // The stored channel of the device, with a description of its own.
        CLS_ChannelEntity channel;
        channel.S_ID = QString(c.id) + "_0";
        channel.S_PARENT_ID = c.id;
        channel.S_CAPTION = "dev channel";
        channel.S_DESCRIPTION = "own";
        channel.I_OBJ_TYPE_ID = c.type == 3 ? 53 : 52;
        ASSERT_EQ(access.InsertChannel(channel), 0);
    }
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const STRCT_VideoHost* pHost = host(c.id);
        ASSERT_NE(pHost, nullptr);
        EXPECT_EQ(pHost->m_iHostDevType, c.type);
        EXPECT_EQ(pHost->m_iDevType, c.type);
        EXPECT_EQ(pHost->m_strIP, std::string("SN-") + c.id);
        EXPECT_EQ(pHost->m_strCaption, std::string("Name of ") + c.id);
        EXPECT_EQ(pHost->m_strParentID, "resource_root_id");
        const QJsonObject description =
            QJsonDocument::fromJson(QByteArray::fromStdString(pHost->m_strDescription)).object();
        if (c.devversion == 0) {
            EXPECT_FALSE(description.contains("devversion"));
        } else {
            EXPECT_EQ(description.value("devversion").toInt(), c.devversion);
        }
        EXPECT_EQ(description.value("sn").toString(), QString("SN-") + c.id);
        EXPECT_EQ(description.value("ip").toString(), QString("192.168.1.20"));
        EXPECT_EQ(description.value("port").toInt(), 8000);
        EXPECT_EQ(description.value("login").toString(), QString("viewer"));
        EXPECT_EQ(description.value("password").toString(), QString("p'w"));

        ASSERT_EQ(pHost->m_vecChilds.size(), 1u);
        const auto* pChannel = static_cast<const STRCT_VideoChannel*>(pHost->m_vecChilds[0]);
        const bool bBound = c.type == 2 || c.type == 3;
        // Devices of type 2 and 3 lend their description and type to their channel.
        EXPECT_EQ(pChannel->m_strDescription, bBound ? pHost->m_strDescription : std::string("own"));
        EXPECT_EQ(pChannel->m_iDevType, bBound ? c.type : -1);
    }
}

TEST_F(Tree, ChildInsertsFollowTheCountersOfTheirHost)
{
    storeHost("h-1", "10.0.0.1", 2, 1, 0, 7);
    storeHost("h-2", "10.0.0.2", 2, 0, 0, 7);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    QSignalSpy spy(&m_mediator, &I_DataMediator::SignResourceDataChangeCallback);

    STRCT_VideoChannel channel;
    channel.m_strID = "h-1-new";
    channel.m_strParentID = "h-1";
    channel.m_strCaption = "  New   channel ";
    channel.m_iChannelNo = 2;
    ASSERT_EQ(m_mediator.InsertChannel(&channel), 0);
    STRCT_VideoAlarmOut alarmOut;
    alarmOut.m_strID = "h-1-out";
    alarmOut.m_strParentID = "h-1";
    ASSERT_EQ(m_mediator.InsertAlarmOut(&alarmOut), 0);
    STRCT_VideoAlarmIn alarmIn;
    alarmIn.m_strID = "h-1-in";
    alarmIn.m_strParentID = "h-1";
    alarmIn.m_iAlarmNo = 1;
    ASSERT_EQ(m_mediator.InsertAlarmIn(&alarmIn), 0);

    EXPECT_EQ(
        changes(spy),
        (QList<Change>{{{"h-1-new"}, otInsert, 7}, {{"h-1-out"}, otInsert, 9}, {{"h-1-in"}, otInsert, 9}}));
    EXPECT_EQ(ids(children("h-1")),
              (QStringList{"h-1-c0", "h-1-c1", "h-1-new", "h-1-i0", "h-1-in", "h-1-out"}));
    const STRCT_VideoHost* pHost = host("h-1");
    EXPECT_EQ(pHost->m_strChannelCount, "3");
    EXPECT_EQ(pHost->m_strAlarmInCount, "2");
    EXPECT_EQ(pHost->m_strAlarmOutCount, "1");
    const STRCT_VideoItem* pNew = children("h-1")[2];
    EXPECT_NE(pNew, &channel);
    EXPECT_EQ(pNew->m_strCaption, "New channel");
    // Items created later are numbered by the size of the tree: root, 2 hosts, 5 children.
    EXPECT_EQ(pNew->m_iSortNum, 8);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM VIEW_DEV_CHANNEL WHERE S_ID = 'h-1-new' AND S_PARENT_ID = 'h-1'"),
              1);
    EXPECT_EQ(childRows("h-1", "TAB_DEV_ALARM_IN"), 2);

    // A counter that does not match the children: the row is written, the item gets no place.
    spy.clear();
    static_cast<STRCT_VideoHost*>(host("h-2"))->m_strChannelCount = "3";
    channel.m_strID = "h-2-new";
    channel.m_strParentID = "h-2";
    LogCapture log;
    EXPECT_EQ(m_mediator.InsertChannel(&channel), -1);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::InsertChannel iNum = (3)")) << qPrintable(log.dump());
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM VIEW_DEV_CHANNEL WHERE S_ID = 'h-2-new'"), 1);
    EXPECT_EQ(ids(children("h-2")), (QStringList{"h-2-c0", "h-2-c1"}));

    // A duplicate id fails in the database twice and changes nothing.
    channel.m_strID = "h-1-new";
    channel.m_strParentID = "h-1";
    log.clear();
    EXPECT_LT(m_mediator.InsertChannel(&channel), 0);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::InsertChannel InsertChannel [Second]"));
    EXPECT_TRUE(log.hasPart(4, "CLS_DataMediator::InsertChannel iRet = ("));
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(children("h-1").size(), 6);
}

TEST_F(Tree, UpdateHostRecaptionsChildrenAndAppliesTheCounts)
{
    storeHost("h-1", "10.0.0.5", 4, 2, 0, 7);
    ASSERT_EQ(CLS_DataAccess::GetInstance().SetObjectCaption("h-1-c1", "Lobby"), 0);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    ASSERT_EQ(children("h-1")[1]->m_strCaption, "Lobby");
    QSignalSpy spy(&m_mediator, &I_DataMediator::SignResourceDataChangeCallback);

    // A new address, two more channels, one alarm input less, alarm outputs left alone.
    STRCT_VideoHost update = *host("h-1");
    update.m_vecChilds.clear();
    update.m_strIP = "10.0.0.9";
    update.m_strCaption = "Gate";
    update.m_strChannelCount = "6";
    update.m_strAlarmInCount = "1";
    update.m_strAlarmOutCount = "";
    ASSERT_EQ(m_mediator.UpdateHost(&update), 0);

    const QVector<STRCT_VideoItem*> vecChilds = children("h-1");
    EXPECT_EQ(
        captions(vecChilds),
        (QStringList{"10.0.0.9-Channel 1", "10.0.0.9-Channel 2", "10.0.0.9-Channel 3", "10.0.0.9-Channel 4",
                     "10.0.0.9-Channel 5", "10.0.0.9-Channel 6", "10.0.0.9-AlarmIn 1"}));
    EXPECT_EQ(static_cast<STRCT_VideoChannel*>(vecChilds[5])->m_iChannelNo, 5);
    const STRCT_VideoHost* pHost = host("h-1");
    EXPECT_EQ(pHost->m_strIP, "10.0.0.9");
    EXPECT_EQ(pHost->m_strCaption, "Gate");
    EXPECT_EQ(pHost->m_strChannelCount, "6");
    EXPECT_EQ(pHost->m_strAlarmInCount, "1");
    EXPECT_EQ(pHost->m_strAlarmOutCount, "0");
    // What was written: the host, the captions, the new channels, the removed alarm input.
    EXPECT_EQ(text("SELECT S_IP FROM TAB_DEV_VIDEO_HOST WHERE S_ID = 'h-1'"), QString("10.0.0.9"));
    EXPECT_EQ(text("SELECT S_CAPTION FROM TAB_OBJ WHERE S_ID = 'h-1-c1'"), QString("10.0.0.9-Channel 2"));
    EXPECT_EQ(childRows("h-1", "TAB_DEV_CAMERA"), 6);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM VIEW_DEV_CHANNEL WHERE S_PARENT_ID = 'h-1' AND I_NUM = 5 AND "
                     "S_CAPTION = '10.0.0.9-Channel 6'"),
              1);
    EXPECT_EQ(childRows("h-1", "TAB_DEV_ALARM_IN"), 1);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_OBJ WHERE S_ID = 'h-1-i1'"), 0);

    const QList<Change> lstChanges = changes(spy);
    ASSERT_EQ(lstChanges.size(), 4) << ::testing::PrintToString(lstChanges);
    EXPECT_EQ(lstChanges[0].op, otUpdate);  // the re-captioned children
    EXPECT_EQ(lstChanges[0].devType, 9);
    EXPECT_EQ(lstChanges[0].ids.size(), 6);
    EXPECT_EQ(lstChanges[1], (Change{{"h-1"}, otUpdate, 7}));
    EXPECT_EQ(lstChanges[2].op, otInsert);  // the two new channels
    EXPECT_EQ(lstChanges[2].devType, 7);
    EXPECT_EQ(lstChanges[2].ids, ids(vecChilds.mid(4, 2)));
    EXPECT_EQ(lstChanges[3], (Change{{"h-1-i1"}, otDelete, 1}));

    // Fewer channels: the last ones go, from the database and the tree. The address stays, so
    // the captions do too.
    spy.clear();
    ASSERT_EQ(CLS_DataAccess::GetInstance().SetObjectCaption("h-1-c0", "Kept"), 0);
    update.m_strCaption = "Gate";
    update.m_strChannelCount = "3";
    update.m_strAlarmInCount = "1";
    ASSERT_EQ(m_mediator.UpdateHost(&update), 0);
    EXPECT_EQ(ids(children("h-1")), (QStringList{"h-1-c0", "h-1-c1", "h-1-c2", "h-1-i0"}));
    EXPECT_EQ(children("h-1")[0]->m_strCaption, "10.0.0.9-Channel 1");
    EXPECT_EQ(text("SELECT S_CAPTION FROM TAB_OBJ WHERE S_ID = 'h-1-c0'"), QString("Kept"));
    EXPECT_EQ(childRows("h-1", "TAB_DEV_CAMERA"), 3);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_OBJ WHERE S_ID = 'h-1-c3'"), 0);
    EXPECT_EQ(changes(spy), (QList<Change>{{{"h-1"}, otUpdate, 7},
                                           {QStringList{"h-1-c3"} + lstChanges[2].ids, otDelete, 1}}));
    EXPECT_EQ(m_mediator.GetHostItemOfChild("h-1-c3"), nullptr);

    // With a domain the captions leave out the address.
    update.m_strIP = "10.0.0.10";
    update.m_strDomain = "gate.example";
    ASSERT_EQ(m_mediator.UpdateHost(&update), 0);
    EXPECT_EQ(captions(children("h-1")), (QStringList{"Channel 1", "Channel 2", "Channel 3", "AlarmIn 1"}));
}

TEST_F(Tree, DeleteHostRemovesTheChildrenRowsAndItems)
{
    storeHost("h-1", "10.0.0.1", 2, 1, 1, 4);
    storeHost("h-2", "10.0.0.2", 1, 0, 0, 4);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    QSignalSpy spy(&m_mediator, &I_DataMediator::SignResourceDataChangeCallback);
    const int iPending = CLS_CommonHandle::GetInstance()->PendingCount();

    EXPECT_EQ(m_mediator.DeleteHost(""), -1);
    ASSERT_EQ(m_mediator.DeleteHost("h-1"), 0);

    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_OBJ WHERE S_ID = 'h-1' OR S_PARENT_ID = 'h-1'"), 0);
    for (const char* pszTable : {"TAB_DEV_CAMERA", "TAB_CHANNEL", "TAB_DEV_ALARM_IN", "TAB_DEV_ALARM_OUT"}) {
        EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE S_ID LIKE 'h-1-%'").arg(pszTable)), 0)
            << pszTable;
    }
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_DEV_VIDEO_HOST WHERE S_ID = 'h-1'"), 0);
    EXPECT_EQ(childRows("h-2", "TAB_DEV_CAMERA"), 1);
    EXPECT_EQ(ids(m_mediator.GetAllHostItems()), QStringList{"h-2"});
    QVector<STRCT_VideoItem*> vecLeft;
    m_mediator.GetChildItems("h-1", vecLeft);
    EXPECT_TRUE(vecLeft.isEmpty());
    EXPECT_EQ(changes(spy), (QList<Change>{{{"h-1-c0", "h-1-c1", "h-1-i0", "h-1-o0"}, otDelete, 1},
                                           {{"h-1"}, otDelete, 4}}));
    // Five items and two signal vectors wait for the deferred deletion.
    EXPECT_EQ(CLS_CommonHandle::GetInstance()->PendingCount(), iPending + 7);
}

// The children are found in the database: a host the loaded tree does not show loses them too,
// with every rights row, so that their ids can be used again.
TEST_F(Tree, DeleteHostDeletesChildrenAndRightsTheTreeDoesNotShow)
{
    storeHost("h-1", "10.0.0.1", 2, 1, 1, 4);  // the tree is not loaded
    const QString strRights = "SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_OBJ_ID LIKE 'h-1%'";
    ASSERT_GT(scalar(strRights), 4);
    ASSERT_EQ(m_mediator.DeleteHost("h-1"), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_OBJ WHERE S_ID = 'h-1' OR S_PARENT_ID = 'h-1'"), 0);
    for (const char* pszTable : {"TAB_DEV_CAMERA", "TAB_CHANNEL", "TAB_DEV_ALARM_IN", "TAB_DEV_ALARM_OUT",
                                 "TAB_HOST", "TAB_DEV_VIDEO_HOST"}) {
        EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE S_ID LIKE 'h-1%'").arg(pszTable)), 0)
            << pszTable;
    }
    EXPECT_EQ(scalar(strRights), 0);

    // A deleted channel leaves no rights behind: its id can be inserted again in a batch.
    storeHost("h-2", "10.0.0.2", 1, 0, 0, 4);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    ASSERT_EQ(CLS_DataAccess::GetInstance().DeleteChannels({"h-2-c0"}), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_OBJ_ID = 'h-2-c0'"), 0);
    CLS_ChannelEntity again;
    again.S_ID = "h-2-c0";
    again.S_PARENT_ID = "h-2";
    again.S_CAPTION = "again";
    EXPECT_EQ(CLS_DataAccess::GetInstance().InsertChannels({&again}), 0);
    EXPECT_GT(scalar("SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_OBJ_ID = 'h-2-c0'"), 0);
}

// What was loaded for one user is not shown to the next: a login as another user drops it, a
// login as the same user keeps it.
TEST_F(Tree, ALoginAsAnotherUserDropsTheTreeOfThePreviousOne)
{
    storeHost("h-1", "10.0.0.1", 1, 0, 0);
    storeUser(m_mediator, "u-next", "r-next", {});
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    ASSERT_EQ(ids(m_mediator.GetAllHostItems()), QStringList{"h-1"});
    ASSERT_EQ(m_mediator.LoginUser(IntegrationEnvironment::kAdminName, IntegrationEnvironment::kAdminPassword), 0);
    EXPECT_EQ(ids(m_mediator.GetAllHostItems()), QStringList{"h-1"});

    ASSERT_EQ(m_mediator.LoginUser("u-next", "pw"), 0);
    EXPECT_TRUE(m_mediator.GetAllHostItems().isEmpty());
    EXPECT_EQ(m_mediator.GetHostItemOfChild("h-1-c0"), nullptr);
    m_mediator.InitTreeNodeData();  // the role of u-next holds no rights
    EXPECT_TRUE(m_mediator.GetAllHostItems().isEmpty());

    ASSERT_EQ(m_mediator.LoginUser(IntegrationEnvironment::kAdminName, IntegrationEnvironment::kAdminPassword), 0);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    EXPECT_EQ(ids(m_mediator.GetAllHostItems()), QStringList{"h-1"});
    ASSERT_EQ(m_mediator.DeleteUser("u-next"), 0);
    ASSERT_EQ(m_mediator.DeleteRole("r-next"), 0);
}

TEST_F(Tree, MaintenanceReportsOperationAndDeviceType)
{
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    QSignalSpy spy(&m_mediator, &I_DataMediator::SignResourceDataChangeCallback);
    STRCT_VideoHost newHost;
    newHost.m_strID = "h-9";
    newHost.m_strIP = "10.0.0.9";
    newHost.m_strCaption = "Nine";
    newHost.m_iHostDevType = 6;
    newHost.m_iProxyType = 4;
    newHost.m_strChannelCount = "16";  // a new host starts without children
    ASSERT_EQ(m_mediator.InsertHost(&newHost), 0);
    EXPECT_EQ(host("h-9")->m_strChannelCount, "0");
    EXPECT_EQ(text("SELECT I_DEVTYPE FROM TAB_DEV_VIDEO_HOST WHERE S_ID = 'h-9'"), QString("6"));

    QVector<STRCT_VideoChannel> channels(2);
    QVector<STRCT_VideoChannel*> vecChannels;
    for (int i = 0; i < channels.size(); ++i) {
        channels[i].m_strID = "h-9-c" + std::to_string(i);
        channels[i].m_strParentID = "h-9";
        channels[i].m_iChannelNo = i;
        vecChannels << &channels[i];
    }
    vecChannels.insert(1, nullptr);
    ASSERT_EQ(m_mediator.InsertChannelEx(vecChannels), 0);
    STRCT_VideoAlarmIn alarmIn;
    alarmIn.m_strID = "h-9-i0";
    alarmIn.m_strParentID = "h-9";
    ASSERT_EQ(m_mediator.InsertAlarmInEx({&alarmIn}), 0);
    channels[1].m_strCaption = "Renamed";
    ASSERT_EQ(m_mediator.UpdateChannelEx({&channels[1]}), 0);
    alarmIn.m_strCaption = "Door";
    ASSERT_EQ(m_mediator.UpdateAlarmIn(&alarmIn), 0);

    Common::STRCT_DevItem dev;
    dev.S_ID = "d-1";
    dev.S_NAME = "Panel";
    dev.I_TYPE = 3;
    dev.S_SN = "SN-d-1";
    ASSERT_EQ(m_mediator.ModifyOrInsertDev(&dev), 0);
    // Stored again under a new name: the same host and channel take it.
    dev.S_NAME = "Panel 2";
    ASSERT_EQ(m_mediator.ModifyOrInsertDev(&dev), 0);
    EXPECT_EQ(text("SELECT S_NAME FROM TAB_DEV WHERE S_ID = 'd-1'"), QString("Panel 2"));
    const STRCT_VideoHost* pDev = host("d-1");
    ASSERT_NE(pDev, nullptr);
    EXPECT_EQ(pDev->m_strCaption, "Panel 2");
    EXPECT_EQ(pDev->m_iHostDevType, 3);
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(pDev->m_strDescription))
                  .object()
                  .value("devversion")
                  .toInt(),
              12);
    ASSERT_EQ(ids(children("d-1")), QStringList{"d-1_0"});
    const auto* pDevChannel = static_cast<const STRCT_VideoChannel*>(children("d-1")[0]);
    EXPECT_EQ(pDevChannel->m_iChannelNo, 0);
    EXPECT_EQ(pDevChannel->m_iDevType, 3);
    EXPECT_EQ(pDevChannel->m_iObjType, 53);
    ASSERT_EQ(m_mediator.DeleteDev("d-1"), 0);
    EXPECT_EQ(host("d-1"), nullptr);
    EXPECT_EQ(m_mediator.GetHostItemOfChild("d-1_0"), nullptr);
    ASSERT_EQ(m_mediator.DeleteHost("h-9"), 0);

    EXPECT_EQ(changes(spy), (QList<Change>{{{"h-9"}, otInsert, 6},
                                           {{"h-9-c0", "h-9-c1"}, otInsert, 6},
                                           {{"h-9-i0"}, otInsert, 9},
                                           {{"h-9-c1"}, otUpdate, 9},
                                           {{"h-9-i0"}, otUpdate, 9},
                                           {{"d-1", "d-1_0"}, otUpdate, 3},
                                           {{"d-1", "d-1_0"}, otUpdate, 3},
                                           {{"d-1", "d-1_0"}, otDelete, 3},
                                           {{"h-9-c0", "h-9-c1", "h-9-i0"}, otDelete, 1},
                                           {{"h-9"}, otDelete, 6}}));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_DEV WHERE S_ID = 'd-1'"), 0);
}

TEST_F(Tree, LookupsAndDefenceStates)
{
    storeHost("h-1", "10.0.0.1", 1, 1, 1);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    int iProxyType = 0;
    QString strHostID;
    EXPECT_TRUE(m_mediator.GetProxyType("h-1-c0", iProxyType));
    EXPECT_EQ(iProxyType, 1);
    EXPECT_FALSE(m_mediator.IsALiP2PDev("h-1-c0", strHostID));
    EXPECT_EQ(strHostID, QString("h-1"));
    host("h-1")->m_iProxyType = 4;
    EXPECT_TRUE(m_mediator.IsALiP2PDev("h-1-c0", strHostID));
    EXPECT_FALSE(m_mediator.GetProxyType("h-1", iProxyType));  // the root is not a host

    struct Case
    {
        const char* id;
        const char* check;
        int result;
    };
    const Case cases[] = {
        {"h-1", "SELECT I_ENABLE_DEFENCE FROM TAB_HOST WHERE S_ID = 'h-1'", 0},
        {"h-1-c0", "SELECT I_ENABLE_DEFENCE FROM TAB_CHANNEL WHERE S_ID = 'h-1-c0'", 0},
        {"h-1-i0", "SELECT I_ENABLE_DEFENCE FROM TAB_DEV_ALARM_IN WHERE S_ID = 'h-1-i0'", 0},
        {"h-1-o0", nullptr, -1},
        {"nowhere", nullptr, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(m_mediator.UpdateRefenceState(c.id, 0), c.result);
        if (c.check != nullptr) {
            EXPECT_EQ(scalar(c.check), 0);
            EXPECT_EQ(m_mediator.GetRefenceStateById(c.id), 0);
        }
    }
    EXPECT_EQ(m_mediator.GetRefenceStateById("h-1-o0"), 1);
    EXPECT_EQ(m_mediator.GetRefenceStateById("nowhere"), -1);

    // The synchronous reads go to the database, not the tree.
    host("h-1")->m_strIP = "changed in memory";
    CLS_HostEntity hostEntity;
    ASSERT_EQ(m_mediator.GetHostSync("h-1", hostEntity), 0);
    EXPECT_EQ(hostEntity.S_IP, QString("10.0.0.1"));
    CLS_ChannelEntity channelEntity;
    ASSERT_EQ(m_mediator.GetChanelSync("h-1-c0", channelEntity), 0);
    EXPECT_EQ(channelEntity.S_PARENT_ID, QString("h-1"));
    channelEntity.S_ID = "untouched";
    EXPECT_EQ(m_mediator.GetChanelSync("nowhere", channelEntity), -1);
    EXPECT_EQ(channelEntity.S_ID, QString("untouched"));
    ASSERT_EQ(m_mediator.GetChanbyChanNoAndHostID("h-1", 0, channelEntity), 0);
    EXPECT_EQ(channelEntity.S_ID, QString("h-1-c0"));

    // The direct deletions leave the tree alone.
    QSignalSpy spy(&m_mediator, &I_DataMediator::SignResourceDataChangeCallback);
    EXPECT_EQ(m_mediator.DeleteAlarmOuts({"h-1-o0"}), 0);
    EXPECT_EQ(m_mediator.DeleteChannelsOfHost("h-1"), 0);
    EXPECT_EQ(childRows("h-1", "TAB_DEV_CAMERA"), 0);
    EXPECT_EQ(childRows("h-1", "TAB_DEV_ALARM_OUT"), 0);
    EXPECT_EQ(children("h-1").size(), 3);
    EXPECT_EQ(spy.count(), 0);
}

// Look-ups on a second thread while this one inserts and deletes channels; run it under
// ThreadSanitizer to see the locking.
TEST_F(Tree, LookupsFromASecondThreadWhileChannelsComeAndGo)
{
    storeHost("h-1", "10.0.0.1", 2, 1, 0);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    std::atomic<bool> bStop{false};
    std::atomic<int> iRounds{0};
    std::atomic<int> iBad{0};
    std::thread reader([&] {
        while (!bStop.load()) {
            for (STRCT_VideoItem* pHost : m_mediator.GetAllHostItems()) {
                if (pHost->GetType() != vitHost) {
                    ++iBad;
                }
            }
            QVector<STRCT_VideoItem*> vecChildren;
            m_mediator.GetChildItems("h-1", vecChildren);
            for (STRCT_VideoItem* pChild : vecChildren) {
                if (pChild->m_strParentID != "h-1") {
                    ++iBad;
                }
                const STRCT_VideoItem* pParent =
                    m_mediator.GetHostItemOfChild(QString::fromStdString(pChild->m_strID));
                if (pParent != nullptr && pParent->m_strID != "h-1") {
                    ++iBad;
                }
                m_mediator.GetRefenceStateById(QString::fromStdString(pChild->m_strID));
            }
            QVector<STRCT_VideoItem*> vecHosts, vecChannels, vecAlarmIns;
            m_mediator.GetResourceItemsByType(vecHosts, vecChannels, vecAlarmIns);
            int iProxyType = 0;
            m_mediator.GetProxyType("h-1-c0", iProxyType);
            ++iRounds;
        }
    });

    STRCT_VideoHost update = *host("h-1");
    update.m_vecChilds.clear();
    int iFailures = 0;
    for (int round = 0; round < 25; ++round) {
        update.m_strChannelCount = "6";
        iFailures += m_mediator.UpdateHost(&update) != 0;
        update.m_strChannelCount = "1";
        iFailures += m_mediator.UpdateHost(&update) != 0;
    }
    bStop = true;
    reader.join();
    EXPECT_EQ(iFailures, 0);
    EXPECT_EQ(iBad.load(), 0);
    EXPECT_GT(iRounds.load(), 0);
    EXPECT_EQ(ids(children("h-1")), (QStringList{"h-1-c0", "h-1-i0"}));
    EXPECT_EQ(childRows("h-1", "TAB_DEV_CAMERA"), 1);
}

namespace {

const char kAdminRole[] = "admin_role";

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

QStringList stored(const QString& _strRoleID)
{
    CLS_DataMediator reader;
    AuthorityMap mapAuth;
    EXPECT_TRUE(reader.GetAuthorityByRole(_strRoleID, mapAuth));
    return lines(mapAuth);
}

QStringList held(const CLS_DataMediator& _mediator)
{
    return lines(CLS_DataMediatorTestAccess::authority(_mediator));
}

int countOf(const QStringList& _lst, const QString& _strObjID)
{
    int n = 0;
    for (const QString& strLine : _lst) {
        n += strLine.section(' ', 1, 1) == _strObjID ? 1 : 0;
    }
    return n;
}

std::unique_ptr<STRCT_VideoHost> newHost(const char* _pszID, const char* _pszIP)
{
    auto p = std::make_unique<STRCT_VideoHost>();
    p->m_strID = _pszID;
    p->m_strNodeID = _pszID;
    p->m_strIP = _pszIP;
    p->m_strCaption = _pszIP;
    p->m_iHostDevType = 1;
    return p;
}

// New children of a host, owned by the vector.
template <class Item>
std::vector<std::unique_ptr<Item>> newChildren(const std::string& _strHostID, const char* _pszTag, int _iFirst, int _iCount)
{
    std::vector<std::unique_ptr<Item>> vec;
    for (int i = _iFirst; i < _iFirst + _iCount; ++i) {
        vec.push_back(std::make_unique<Item>());
        Item& item = *vec.back();
        item.m_strID = _strHostID + "-" + _pszTag + std::to_string(i);
        item.m_strNodeID = item.m_strID;
        item.m_strParentID = _strHostID;
        item.m_strCaption = item.m_strID;
    }
    return vec;
}

template <class Item>
QVector<Item*> pointers(const std::vector<std::unique_ptr<Item>>& _vec)
{
    QVector<Item*> vecPtrs;
    for (const auto& p : _vec) {
        vecPtrs.append(p.get());
    }
    return vecPtrs;
}

}  // namespace

// The rights the mediator holds for the trees: read once per login, then kept equal to what a
// fresh read of the role gives while the tree's own operations add and remove objects.
class TreeRights : public Tree
{
protected:
    // A host with channels, alarm inputs and outputs, added through the tree.
    void addHost(const char* _pszID, const char* _pszIP, int _iChannels, int _iAlarmIns, int _iAlarmOuts)
    {
        std::unique_ptr<STRCT_VideoHost> pHost = newHost(_pszID, _pszIP);
        ASSERT_EQ(m_mediator.InsertHost(pHost.get()), 0);
        auto channels = newChildren<STRCT_VideoChannel>(_pszID, "c", 0, _iChannels);
        for (int i = 0; i < _iChannels; ++i) {
            channels[i]->m_iChannelNo = i;
        }
        auto alarmIns = newChildren<STRCT_VideoAlarmIn>(_pszID, "i", 0, _iAlarmIns);
        auto alarmOuts = newChildren<STRCT_VideoAlarmOut>(_pszID, "o", 0, _iAlarmOuts);
        if (_iChannels > 0) {
            ASSERT_EQ(m_mediator.InsertChannelEx(pointers(channels)), 0);
        }
        if (_iAlarmIns > 0) {
            ASSERT_EQ(m_mediator.InsertAlarmInEx(pointers(alarmIns)), 0);
        }
        if (_iAlarmOuts > 0) {
            ASSERT_EQ(m_mediator.InsertAlarmOutEx(pointers(alarmOuts)), 0);
        }
    }
};

// Each step changes the stored rights of the role; what the mediator holds must then equal a
// fresh read of them, in the same order.
TEST_F(TreeRights, HeldRightsEqualAFreshReadAfterEveryAddAndRemove)
{
    addHost("h-1", "10.0.0.1", 3, 2, 1);
    EXPECT_TRUE(CLS_DataMediatorTestAccess::authorityRole(m_mediator).isEmpty()) << "nothing read before the tree";
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    ASSERT_EQ(CLS_DataMediatorTestAccess::authorityRole(m_mediator), kAdminRole);
    ASSERT_GT(countOf(held(m_mediator), "h-1-c0"), 0);
    ASSERT_EQ(held(m_mediator), stored(kAdminRole));

    struct Step
    {
        const char* name;
        std::function<int()> run;
    };
    auto channels = newChildren<STRCT_VideoChannel>("h-1", "c", 3, 2);
    auto single = newChildren<STRCT_VideoChannel>("h-1", "c", 5, 1);
    auto alarmIn = newChildren<STRCT_VideoAlarmIn>("h-1", "i", 2, 1);
    auto alarmOuts = newChildren<STRCT_VideoAlarmOut>("h-1", "o", 1, 2);
    std::unique_ptr<STRCT_VideoHost> pFewer = newHost("h-1", "10.0.0.1");
    pFewer->m_strChannelCount = "4";
    pFewer->m_strAlarmInCount = "2";
    pFewer->m_strAlarmOutCount = "4";
    Common::STRCT_DevItem dev;
    dev.S_ID = "d-1";
    dev.S_NAME = "door";
    dev.S_SN = "SN1";
    dev.I_TYPE = 2;
    const std::vector<Step> steps{
        {"InsertHost", [&] { return m_mediator.InsertHost(newHost("h-2", "10.0.0.2").get()); }},
        {"InsertChannelEx", [&] { return m_mediator.InsertChannelEx(pointers(channels)); }},
        {"InsertChannel", [&] { return m_mediator.InsertChannel(single[0].get()); }},
        {"InsertAlarmIn", [&] { return m_mediator.InsertAlarmIn(alarmIn[0].get()); }},
        {"InsertAlarmOutEx", [&] { return m_mediator.InsertAlarmOutEx(pointers(alarmOuts)); }},
        {"UpdateHost removing and adding children", [&] { return m_mediator.UpdateHost(pFewer.get()); }},
        {"host h-3 with children", [&] {
             addHost("h-3", "10.0.0.3", 2, 1, 1);
             return 0;
         }},
        {"DeleteChannel", [&] { return m_mediator.DeleteChannel("h-3-c1"); }},
        {"DeleteAlarmIns", [&] { return m_mediator.DeleteAlarmIns({"h-1-i0"}); }},
        {"DeleteAlarmOuts", [&] { return m_mediator.DeleteAlarmOuts({"h-1-o0"}); }},
        {"DeleteChannelsOfHost", [&] { return m_mediator.DeleteChannelsOfHost("h-3"); }},
        {"DeleteHost", [&] { return m_mediator.DeleteHost("h-2"); }},
        {"ModifyOrInsertDev", [&] { return m_mediator.ModifyOrInsertDev(&dev); }},
        {"DeleteDev", [&] { return m_mediator.DeleteDev("d-1"); }},
    };
    for (const Step& step : steps) {
        const QStringList lstBefore = stored(kAdminRole);
        ASSERT_EQ(step.run(), 0) << step.name;
        const QStringList lstAfter = stored(kAdminRole);
        EXPECT_EQ(held(m_mediator), lstAfter) << step.name;
        EXPECT_EQ(CLS_DataMediatorTestAccess::authorityRole(m_mediator), kAdminRole) << step.name;
        if (std::string(step.name).rfind("Insert", 0) == 0) {
            EXPECT_GT(lstAfter.size(), lstBefore.size()) << step.name << " added no rights";
        }
    }
    EXPECT_EQ(countOf(held(m_mediator), "h-2"), 0);
    EXPECT_EQ(countOf(held(m_mediator), "h-3-c0"), 0);
}

// Rights written behind the mediator in no sorted order, both statuses within a type, ids with
// digits, colons and characters beyond ASCII: the held rights are those of a fresh read, in its
// order, and a new object's withheld right joins the withheld ones of its type.
TEST_F(TreeRights, HeldRightsKeepTheOrderOfAFreshReadAcrossStatuses)
{
    addHost("h-1", "10.0.0.1", 2, 0, 0);
    const QString strOdd = QString::fromUtf8("12:\xC3\xA9t\xC3\xA9-\xF0\x9F\x93\xB7");
    const QList<std::tuple<QString, int, int>> lstRights{
        {"h-1-c1", 901, 1}, {"zz", 901, 0},  {strOdd, 901, 1}, {"h-1", 901, 0},
        {"3:x", 902, 1},    {"h-1", 777, 1}, {strOdd, 902, 0}, {"", 901, 1},
    };
    for (const auto& right : lstRights) {
        ASSERT_EQ(
            itest::exec(
                "Tessel",
                "INSERT INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS) "
                "VALUES (:obj, 'admin_role', :type, :status)",
                {{":obj", std::get<0>(right)},
                 {":type", std::get<1>(right)},
                 {":status", std::get<2>(right)}}),
            0);
    }
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    const QStringList lstHeld = held(m_mediator);
    EXPECT_EQ(lstHeld, stored(kAdminRole));
    const QStringList lst901 = lstHeld.filter(QRegularExpression("^901 "));
    EXPECT_EQ(lst901, (QStringList{"901 zz admin_role 0", "901 h-1 admin_role 0", "901 h-1-c1 admin_role 1",
                                   "901 " + strOdd + " admin_role 1", "901  admin_role 1"}));

    // The right of an object not yet in the tree, withheld; the insert of that host reads it.
    ASSERT_EQ(
        itest::exec("Tessel",
                    "INSERT INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS) "
                    "VALUES ('h-9', 'admin_role', 777, 0)"),
        0);
    addHost("h-9", "10.0.0.9", 1, 0, 0);
    EXPECT_EQ(held(m_mediator), stored(kAdminRole));
    EXPECT_EQ(held(m_mediator).filter(QRegularExpression("^777 ")),
              (QStringList{"777 h-9 admin_role 0", "777 h-1 admin_role 1"}));
}

// An insert reads the rights of its new objects only: a right written behind the mediator's back
// on an object it already had is not picked up, while those of the new channels are.
TEST_F(TreeRights, AnInsertReadsOnlyTheRightsOfItsNewObjects)
{
    addHost("h-1", "10.0.0.1", 2, 0, 0);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    const QStringList lstLoaded = held(m_mediator);
    ASSERT_EQ(itest::exec("Tessel",
                          "INSERT INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS) "
                          "VALUES ('h-1-c0', 'admin_role', 777, 1)"),
              0);

    auto channels = newChildren<STRCT_VideoChannel>("h-1", "c", 2, 3);
    ASSERT_EQ(m_mediator.InsertChannelEx(pointers(channels)), 0);
    const QStringList lstHeld = held(m_mediator);
    EXPECT_FALSE(lstHeld.contains("777 h-1-c0 admin_role 1")) << "all rights were read again";
    const int iPerChannel = countOf(lstHeld, "h-1-c0");
    ASSERT_GT(iPerChannel, 0);
    for (const char* pszNew : {"h-1-c2", "h-1-c3", "h-1-c4"}) {
        EXPECT_EQ(countOf(lstHeld, pszNew), iPerChannel) << pszNew;
    }
    EXPECT_EQ(lstHeld.size(), lstLoaded.size() + 3 * iPerChannel);
    QStringList lstStored = stored(kAdminRole);
    lstStored.removeAll("777 h-1-c0 admin_role 1");
    EXPECT_EQ(lstHeld, lstStored);
}

// The rights are read once per login: a second load of the same session reads none, a login as
// another user forgets them, and a change of the role's rights through the mediator makes the
// next load read them again.
TEST_F(TreeRights, RightsFollowTheLoginAndChangesOfTheRole)
{
    addHost("h-1", "10.0.0.1", 1, 0, 0);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    ASSERT_EQ(held(m_mediator), stored(kAdminRole));

    // Another user in a role of its own, with one right on the host.
    storeUser(m_mediator, "u-op", "r-op", {{"h-1", 1}});
    EXPECT_EQ(CLS_DataMediatorTestAccess::authorityRole(m_mediator), kAdminRole) << "another role's change";

    ASSERT_EQ(m_mediator.LoginUser("u-op", "pw"), 0);
    EXPECT_TRUE(CLS_DataMediatorTestAccess::authority(m_mediator).isEmpty());
    EXPECT_TRUE(CLS_DataMediatorTestAccess::authorityRole(m_mediator).isEmpty());
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    EXPECT_EQ(held(m_mediator), QStringList{"1 h-1 r-op 1"});

    // A new right of the held role: forgotten, and read again by the next load.
    STRCT_Authority right;
    right.m_strObjID = "h-1-c0";
    right.m_strRoleID = "r-op";
    right.m_iAuthorityType = 1;
    ASSERT_EQ(m_mediator.UpdateAuthToRole(&right), 0);
    EXPECT_TRUE(CLS_DataMediatorTestAccess::authorityRole(m_mediator).isEmpty());
    ASSERT_EQ(m_mediator.LoginUser(IntegrationEnvironment::kAdminName, IntegrationEnvironment::kAdminPassword), 0);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    EXPECT_EQ(held(m_mediator), stored(kAdminRole));
    ASSERT_EQ(m_mediator.LoginUser("u-op", "pw"), 0);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    EXPECT_EQ(held(m_mediator), (QStringList{"1 h-1 r-op 1", "1 h-1-c0 r-op 1"}));

    ASSERT_EQ(m_mediator.DeleteUser("u-op"), 0);
    ASSERT_EQ(m_mediator.DeleteRole("r-op"), 0);
    EXPECT_TRUE(CLS_DataMediatorTestAccess::authorityRole(m_mediator).isEmpty());
}
