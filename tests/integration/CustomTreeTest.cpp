// Custom trees and passenger-flow trees against a real server and schema: what the loading
// shows of stored nodes, the group and node inserts with what they store and report, the order
// stored by InsertCustomTreeNodesAt, captions, sorting and removal, the nodes of deleted devices,
// and the passenger-flow tree in its own database.
#include "CLS_CustomTreeEntity.h"
#include "CLS_DataAccess.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmInEntity.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmOutEntity.h"
#include "IntegrationFixture.h"
#include "LogCapture.h"
#include "VideoItem.h"

#include <QMap>

#include <limits>

#include <gtest/gtest.h>

namespace {

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"itcustom01", true, {}}));

const char kMain[] = "Tessel";
const char kFlow[] = "Tessel-passengerFlow";
const char kRoot[] = "custom_root_id";
const char kHidden[] = "25387a42-d3d1-478e-9df2-fe40cfa8aca5";

QString qs(const std::string& _str)
{
    return QString::fromStdString(_str);
}

// A stored host with channels "<id>-c<n>" (object type _iChannelType), alarm inputs "<id>-i<n>"
// and alarm outputs "<id>-o<n>", written through the facade so that the administrator's role
// holds its rights on them.
void storeHost(const QString& _strID, int _iChannels, int _iAlarmIns, int _iAlarmOuts, int _iChannelType = 5)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    CLS_HostEntity host;
    host.S_ID = _strID;
    host.S_CAPTION = "Host " + _strID;
    host.S_IP = "10.1.1.1";
    host.I_PORT = 3000;
    host.I_DEVTYPE = _iChannelType == 52 ? 2 : 1;
    host.I_PROXY_TYPE = 1;
    ASSERT_EQ(access.InsertHost(host), 0);
    for (int i = 0; i < _iChannels; ++i) {
        CLS_ChannelEntity e;
        e.S_ID = QStringLiteral("%1-c%2").arg(_strID).arg(i);
        e.S_PARENT_ID = _strID;
        e.S_CAPTION = QStringLiteral("%1 Channel %2").arg(_strID).arg(i + 1);
        e.I_NUM = i;
        e.I_OBJ_TYPE_ID = _iChannelType;
        e.I_BINDINGDEVTYPE = host.I_DEVTYPE;
        ASSERT_EQ(access.InsertChannel(e), 0);
    }
    for (int i = 0; i < _iAlarmIns; ++i) {
        CLS_AlarmInEntity e;
        e.S_ID = QStringLiteral("%1-i%2").arg(_strID).arg(i);
        e.S_PARENT_ID = _strID;
        e.S_CAPTION = QStringLiteral("%1 AlarmIn %2").arg(_strID).arg(i + 1);
        e.I_NUM = i;
        e.I_OBJ_TYPE_ID = 6;
        ASSERT_EQ(access.InsertAlarmIn(e), 0);
    }
    for (int i = 0; i < _iAlarmOuts; ++i) {
        CLS_AlarmOutEntity e;
        e.S_ID = QStringLiteral("%1-o%2").arg(_strID).arg(i);
        e.S_PARENT_ID = _strID;
        e.S_CAPTION = QStringLiteral("%1 AlarmOut %2").arg(_strID).arg(i + 1);
        e.I_NUM = i;
        e.I_OBJ_TYPE_ID = 7;
        ASSERT_EQ(access.InsertAlarmOut(e), 0);
    }
}

// A stored node written directly; an empty object or parent is stored as NULL.
void storeNode(const char* _pszDb, const QString& _strUser, const QString& _strID, const QString& _strObjID,
               const QString& _strCaption, const QString& _strParentID, qint64 _iNum = -1)
{
    ASSERT_EQ(itest::exec(_pszDb,
                          "INSERT INTO TAB_USER_OBJ (S_ID, S_USER_ID, S_OBJ_ID, S_CAPTION, S_PARENT_ID, I_NUM) "
                          "VALUES (:id, :user, :obj, :caption, :parent, :num)",
                          {{":id", _strID},
                           {":user", _strUser},
                           {":obj", _strObjID.isEmpty() ? QVariant() : QVariant(_strObjID)},
                           {":caption", _strCaption},
                           {":parent", _strParentID.isEmpty() ? QVariant() : QVariant(_strParentID)},
                           {":num", _iNum < 0 ? QVariant() : QVariant(_iNum)}}),
              0);
}

int rowsOf(const char* _pszDb, const QString& _strWhere, const itest::Binds& _mapBind)
{
    return itest::scalar(_pszDb, "SELECT COUNT(*) FROM TAB_USER_OBJ WHERE " + _strWhere, _mapBind);
}

// The children of a stored node in I_NUM order, as their object ids (captions for groups).
QStringList storedChildren(const char* _pszDb, const QString& _strParentID)
{
    RecordSet* pRows = CLS_BaseEntityDAO::ExecuteQueryEx(
        _pszDb, "SELECT IFNULL(S_OBJ_ID, S_CAPTION) FROM TAB_USER_OBJ WHERE S_PARENT_ID = :p ORDER BY I_NUM, S_ID",
        {{":p", _strParentID}});
    QStringList lst;
    if (pRows != nullptr) {
        for (const auto* pRow : *pRows) {
            lst << pRow->first();
        }
    }
    CLS_BaseEntityDAO::FreeRecordSet(pRows);
    return lst;
}

// What one change signal carried, read while it was emitted.
struct Change
{
    OperationType op;
    int iDevType;
    void* param;
    QStringList lstNodeIDs;
    QStringList lstObjIDs;
};

class ChangeRecorder
{
public:
    explicit ChangeRecorder(CLS_DataMediator& _mediator)
    {
        QObject::connect(&_mediator, &I_DataMediator::SignCustomTreeDataChangeCallback, &m_context,
                         [this](QVector<STRCT_VideoItem*>& _items, OperationType _op, int _iDevType, void* _param) {
                             record(m_custom, _items, _op, _iDevType, _param);
                         });
        QObject::connect(&_mediator, &I_DataMediator::SignPassengerFlowCustomTreeDataChangeCallback, &m_context,
                         [this](QVector<STRCT_VideoItem*> _items, OperationType _op, int _iDevType, void* _param) {
                             record(m_flow, _items, _op, _iDevType, _param);
                         });
    }
    QList<Change> m_custom;
    QList<Change> m_flow;

private:
    static void record(QList<Change>& _lst, const QVector<STRCT_VideoItem*>& _items, OperationType _op,
                       int _iDevType, void* _param)
    {
        Change change{_op, _iDevType, _param, {}, {}};
        for (const STRCT_VideoItem* pItem : _items) {
            change.lstNodeIDs << qs(pItem->m_strNodeID);
            change.lstObjIDs << qs(pItem->m_strID);
        }
        _lst.append(change);
    }
    QObject m_context;
};

class CustomTreeTest : public LoggedInTest
{
protected:
    void SetUp() override
    {
        LoggedInTest::SetUp();
        m_strUser = m_mediator.GetCurrentUserID();
        ASSERT_FALSE(m_strUser.isEmpty());
    }

    // A fresh mediator of the same user with the trees loaded (replacing m_mediator's state).
    void reload()
    {
        CLS_DataMediatorTestAccess::releaseItems(m_mediator);
        m_pLoaded = std::make_unique<CLS_DataMediator>();
        ASSERT_EQ(m_pLoaded->LoginUser(IntegrationEnvironment::kAdminName, IntegrationEnvironment::kAdminPassword), 0);
        ASSERT_EQ(m_pLoaded->InitTreeNodeData(), 0);
    }
    void TearDown() override
    {
        if (m_pLoaded) {
            CLS_DataMediatorTestAccess::releaseItems(*m_pLoaded);
        }
        LoggedInTest::TearDown();
    }
    CLS_DataMediator& tree() { return m_pLoaded ? *m_pLoaded : m_mediator; }

    QMap<QString, STRCT_VideoItem*> customItems(bool _bPassengerFlow = false)
    {
        QMap<QString, STRCT_VideoItem*> map;
        const QVector<STRCT_VideoItem*> vec =
            _bPassengerFlow ? tree().GetPassengerFlowTreeItems() : tree().GetCustomTreeItems();
        for (STRCT_VideoItem* pItem : vec) {
            map.insert(qs(pItem->m_strNodeID), pItem);
        }
        return map;
    }

    QString m_strUser;
    std::unique_ptr<CLS_DataMediator> m_pLoaded;
};

// ---- loading ----

TEST_F(CustomTreeTest, LoadingShowsAllowedNodesAsCopiesOfTheirObjects)
{
    storeHost("ld-h", 3, 1, 1);
    storeHost("ld-g", 1, 0, 0, 52);
    // No right on the third channel.
    ASSERT_EQ(itest::exec(kMain, "UPDATE TAB_OBJ_ROLE_AUTHORITY SET I_STATUS = 0 WHERE S_OBJ_ID = 'ld-h-c2'"), 0);
    storeNode(kMain, m_strUser, "ld-G1", "", "  Group \t one ", "", 7);
    storeNode(kMain, m_strUser, "ld-n1", "ld-h-c0", "first  cam", "ld-G1", 3);
    storeNode(kMain, m_strUser, "ld-n2", "ld-h-c2", "no right", "ld-G1", 4);
    storeNode(kMain, m_strUser, "ld-n3", "ld-h-i0", "door", "ld-G1", 5);
    storeNode(kMain, m_strUser, "ld-n7", "ld-h-o0", "siren", "ld-G1", 6);
    storeNode(kMain, m_strUser, "ld-G2", "", "inner", "ld-G1", 8);
    storeNode(kMain, m_strUser, "ld-n4", "ld-g-c0", "nested generic", "ld-G2", 1);
    storeNode(kMain, m_strUser, "ld-n5", "ld-g-c0", "root generic", "", 9);
    storeNode(kMain, m_strUser, "ld-n6", "ld-gone", "deleted object", "", 10);
    storeNode(kMain, m_strUser, kHidden, "", "hidden", "", 11);
    storeNode(kMain, "someone-else", "ld-other", "ld-h-c0", "not mine", "", 1);
    reload();

    const QMap<QString, STRCT_VideoItem*> items = customItems();
    ASSERT_TRUE(items.contains(kRoot));
    EXPECT_EQ(items[kRoot]->GetType(), static_cast<uint32_t>(vitGroup));
    EXPECT_EQ(items[kRoot]->m_strCaption, "");

    struct Expected
    {
        const char* pszNode;
        uint32_t uiType;
        const char* pszObj;
        const char* pszCaption;
        const char* pszParent;
        int iSortNum;
    };
    const Expected expected[] = {
        {"ld-G1", vitGroup, "ld-G1", "Group one", kRoot, 7},
        {"ld-n1", vitChannel, "ld-h-c0", "first cam", "ld-G1", 3},
        {"ld-n3", vitAlarmIn, "ld-h-i0", "door", "ld-G1", 512 + 5},
        {"ld-n7", vitAlarmOut, "ld-h-o0", "siren", "ld-G1", 1024 + 6},
        {"ld-G2", vitGroup, "ld-G2", "inner", "ld-G1", 8},
        {"ld-n4", vitChannel, "ld-g-c0", "nested generic", "ld-G2", 1},
        {"ld-n5", vitChannel, "ld-g-c0", "root generic", kRoot, 9},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.pszNode);
        ASSERT_TRUE(items.contains(e.pszNode));
        const STRCT_VideoItem* pItem = items[e.pszNode];
        EXPECT_EQ(pItem->GetType(), e.uiType);
        EXPECT_EQ(pItem->m_strID, e.pszObj);
        EXPECT_EQ(pItem->m_strCaption, e.pszCaption);
        EXPECT_EQ(pItem->m_strParentID, e.pszParent);
        EXPECT_EQ(pItem->m_iSortNum, e.iSortNum);
    }
    // The copy carries what the channel of the resource tree carries.
    QVector<STRCT_VideoItem*> vecResource;
    tree().GetChildItems("ld-g", vecResource);
    ASSERT_EQ(vecResource.size(), 1);
    const auto* pResource = static_cast<const STRCT_VideoChannel*>(vecResource[0]);
    const auto* pCopy = static_cast<const STRCT_VideoChannel*>(items["ld-n5"]);
    EXPECT_EQ(pCopy->m_iDevType, 2);
    EXPECT_EQ(pCopy->m_iDevType, pResource->m_iDevType);
    EXPECT_EQ(pCopy->m_iObjType, pResource->m_iObjType);
    EXPECT_EQ(pCopy->m_strDescription, pResource->m_strDescription);
    EXPECT_EQ(pCopy->m_iDefenceState, pResource->m_iDefenceState);
    EXPECT_EQ(pResource->m_strNodeID, "ld-g-c0");
    for (const char* pszAbsent : {"ld-n2", "ld-n6", kHidden, "ld-other"}) {
        EXPECT_FALSE(items.contains(pszAbsent)) << pszAbsent;
    }
    // Not shown is not removed.
    EXPECT_EQ(rowsOf(kMain, "S_ID = 'ld-n2'", {}), 1);
}

TEST_F(CustomTreeTest, LoadingReportsUnreadableCustomTreesAndLoadsOnceTheyCanBeRead)
{
    const QString strView =
        itest::text(kMain, "SELECT sql FROM sqlite_master WHERE type = 'view' AND name = 'VIEW_CUSTOM_TREE'");
    ASSERT_TRUE(strView.startsWith("CREATE VIEW")) << strView.toStdString();
    ASSERT_EQ(itest::exec(kMain, "DROP VIEW VIEW_CUSTOM_TREE"), 0);
    CLS_DataMediator mediator;
    ItemReleaser release(mediator);
    ASSERT_EQ(mediator.LoginUser(IntegrationEnvironment::kAdminName, IntegrationEnvironment::kAdminPassword), 0);
    const int iFailed = mediator.InitTreeNodeData();
    ASSERT_EQ(itest::exec(kMain, strView), 0);
    EXPECT_LT(iFailed, 0);
    EXPECT_TRUE(mediator.GetCustomTreeItems().isEmpty());
    EXPECT_EQ(mediator.InitTreeNodeData(), 0);
    EXPECT_FALSE(mediator.GetCustomTreeItems().isEmpty());
}

// ---- groups and nodes ----

TEST_F(CustomTreeTest, GroupsStoreTheirParentAndReportTheirInsert)
{
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    ChangeRecorder changes(m_mediator);
    QString strTop;
    QString strInner;
    const QString strCaption = "O'Brien\"; DROP TABLE TAB_USER_OBJ; --";
    ASSERT_EQ(m_mediator.InsertCustomTreeGroup(kRoot, strCaption, strTop), 0);
    ASSERT_EQ(m_mediator.InsertCustomTreeGroup(strTop, "inner", strInner), 0);
    QString strUnused;
    EXPECT_EQ(m_mediator.InsertCustomTreeGroup("no-such-node", "x", strUnused), -1);

    EXPECT_EQ(itest::text(kMain, "SELECT IFNULL(S_PARENT_ID, 'NULL') FROM TAB_USER_OBJ WHERE S_ID = :id",
                          {{":id", strTop}}),
              "NULL");
    EXPECT_EQ(itest::text(kMain, "SELECT S_CAPTION FROM TAB_USER_OBJ WHERE S_ID = :id", {{":id", strTop}}), strCaption);
    EXPECT_EQ(itest::text(kMain, "SELECT S_PARENT_ID FROM TAB_USER_OBJ WHERE S_ID = :id", {{":id", strInner}}),
              strTop);
    EXPECT_EQ(itest::text(kMain, "SELECT S_USER_ID FROM TAB_USER_OBJ WHERE S_ID = :id", {{":id", strInner}}),
              m_strUser);
    const QMap<QString, STRCT_VideoItem*> items = customItems();
    ASSERT_TRUE(items.contains(strInner));
    EXPECT_EQ(items[strInner]->m_strParentID, strTop.toStdString());
    EXPECT_EQ(items[strInner]->m_iSortNum,
              itest::scalar(kMain, "SELECT I_NUM FROM TAB_USER_OBJ WHERE S_ID = :id", {{":id", strInner}}));
    ASSERT_EQ(changes.m_custom.size(), 2);
    for (const Change& c : changes.m_custom) {
        EXPECT_EQ(c.op, otInsert);
        EXPECT_EQ(c.iDevType, 9);
    }
    EXPECT_EQ(changes.m_custom[1].lstNodeIDs, QStringList{strInner});
}

TEST_F(CustomTreeTest, DeviceNodesTakeOnlyObjectsOfTheirKind)
{
    storeHost("dn-h", 2, 1, 1);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    QString strGroup;
    ASSERT_EQ(m_mediator.InsertCustomTreeGroup(kRoot, "devices", strGroup), 0);
    ChangeRecorder changes(m_mediator);
    STRCT_VideoChannel c0, c1, missing;
    c0.m_strID = "dn-h-c0";
    c1.m_strID = "dn-h-c1";
    missing.m_strID = "dn-h-c9";
    STRCT_VideoAlarmIn in0;
    in0.m_strID = "dn-h-i0";
    STRCT_VideoAlarmOut out0;
    out0.m_strID = "dn-h-o0";

    EXPECT_EQ(m_mediator.InsertCustomTreeNodes(strGroup, {&c0, nullptr, &missing, &c1}, false), 0);
    QVector<STRCT_VideoItem*> vecAlarmIn{&in0, &c0};
    EXPECT_EQ(m_mediator.InsertAlarmInNodes(strGroup, &vecAlarmIn), 0);
    QVector<STRCT_VideoItem*> vecWrong{&in0};
    EXPECT_EQ(m_mediator.InsertAlarmOutNodes(strGroup, &vecWrong), -1);
    QVector<STRCT_VideoItem*> vecAlarmOut{&out0};
    EXPECT_EQ(m_mediator.InsertAlarmOutNodes("no-such-node", &vecAlarmOut), -1);
    EXPECT_EQ(m_mediator.InsertAlarmOutNodes(strGroup, nullptr), -1);
    EXPECT_EQ(m_mediator.InsertAlarmOutNodes(strGroup, &vecAlarmOut), 0);

    EXPECT_EQ(storedChildren(kMain, strGroup), (QStringList{"dn-h-c0", "dn-h-c1", "dn-h-i0", "dn-h-o0"}));
    EXPECT_EQ(itest::text(kMain, "SELECT S_CAPTION FROM TAB_USER_OBJ WHERE S_OBJ_ID = 'dn-h-i0'"), "dn-h AlarmIn 1");
    ASSERT_EQ(changes.m_custom.size(), 3);
    EXPECT_EQ(changes.m_custom[0].lstObjIDs, (QStringList{"dn-h-c0", "dn-h-c1"}));
    EXPECT_EQ(changes.m_custom[1].lstObjIDs, QStringList{"dn-h-i0"});
    EXPECT_EQ(changes.m_custom[2].lstObjIDs, QStringList{"dn-h-o0"});
    for (const Change& c : changes.m_custom) {
        EXPECT_EQ(c.op, otInsert);
        EXPECT_EQ(c.iDevType, 9);
    }
    // What was stored is what the next login shows.
    const QStringList lstNodes = changes.m_custom[0].lstNodeIDs + changes.m_custom[1].lstNodeIDs;
    auto shown = [this](const QStringList& _lstNodes) {
        QStringList lst;
        const QMap<QString, STRCT_VideoItem*> items = customItems();
        for (const QString& strNode : _lstNodes) {
            const STRCT_VideoItem* pItem = items.value(strNode);
            lst << (pItem == nullptr ? QStringLiteral("missing")
                                     : QStringLiteral("%1 %2 %3").arg(qs(pItem->m_strID)).arg(pItem->m_iSortNum).arg(
                                           pItem->GetType()));
        }
        return lst;
    };
    const QStringList lstBefore = shown(lstNodes);
    EXPECT_FALSE(lstBefore.contains("missing"));
    reload();
    EXPECT_EQ(shown(lstNodes), lstBefore);
}

TEST_F(CustomTreeTest, InsertAtStoresTheNewOrder)
{
    storeHost("at-h", 6, 1, 0);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    QString strGroup;
    ASSERT_EQ(m_mediator.InsertCustomTreeGroup(kRoot, "ordered", strGroup), 0);
    STRCT_VideoChannel a, b, c;
    a.m_strID = "at-h-c0";
    b.m_strID = "at-h-c1";
    c.m_strID = "at-h-c2";
    ASSERT_EQ(m_mediator.InsertCustomTreeNodes(strGroup, {&a, &b, &c}, false), 0);
    auto nodeOf = [&](const char* _pszObj) {
        return itest::text(kMain, "SELECT S_ID FROM TAB_USER_OBJ WHERE S_OBJ_ID = :o AND S_PARENT_ID = :g",
                           {{":o", _pszObj}, {":g", strGroup}});
    };
    const QString strNodeB = nodeOf("at-h-c1");
    // A gap in the numbers, and the new nodes' numbers come after it.
    ASSERT_EQ(m_mediator.SortCustomTreeNotesNum(nodeOf("at-h-c2"), 10, nullptr), 0);
    ASSERT_EQ(storedChildren(kMain, strGroup), (QStringList{"at-h-c0", "at-h-c1", "at-h-c2"}));

    ChangeRecorder changes(m_mediator);
    // The alarm input and the unknown id are skipped.
    EXPECT_EQ(m_mediator.InsertCustomTreeNodesAt({"at-h-c3", "at-h-i0", "nothing", "at-h-c4"}, strGroup, strNodeB),
              0);
    EXPECT_EQ(storedChildren(kMain, strGroup),
              (QStringList{"at-h-c0", "at-h-c3", "at-h-c4", "at-h-c1", "at-h-c2"}));
    // Without an anchor at the end.
    EXPECT_EQ(m_mediator.InsertCustomTreeNodesAt({"at-h-c5"}, strGroup, QString()), 0);
    const QStringList lstOrder{"at-h-c0", "at-h-c3", "at-h-c4", "at-h-c1", "at-h-c2", "at-h-c5"};
    EXPECT_EQ(storedChildren(kMain, strGroup), lstOrder);

    ASSERT_GE(changes.m_custom.size(), 2);
    EXPECT_EQ(changes.m_custom[0].op, otInsert);
    EXPECT_EQ(changes.m_custom[0].lstObjIDs, (QStringList{"at-h-c3", "at-h-c4"}));
    EXPECT_EQ(changes.m_custom[1].op, otSort);
    EXPECT_EQ(changes.m_custom[1].lstObjIDs, (QStringList{"at-h-c0", "at-h-c3", "at-h-c4", "at-h-c1", "at-h-c2"}));
    // The items sort the same way as the rows.
    QVector<STRCT_VideoItem*> vecChildren;
    for (STRCT_VideoItem* pItem : m_mediator.GetCustomTreeItems()) {
        if (pItem->m_strParentID == strGroup.toStdString()) {
            vecChildren.append(pItem);
        }
    }
    std::sort(vecChildren.begin(), vecChildren.end(),
              [](const STRCT_VideoItem* x, const STRCT_VideoItem* y) { return x->m_iSortNum < y->m_iSortNum; });
    QStringList lstItems;
    for (const STRCT_VideoItem* pItem : vecChildren) {
        lstItems << qs(pItem->m_strID);
    }
    EXPECT_EQ(lstItems, lstOrder);

    // Refusals change nothing.
    EXPECT_EQ(m_mediator.InsertCustomTreeNodesAt({"at-h-c0"}, "no-such-group", QString()), -1);
    EXPECT_EQ(m_mediator.InsertCustomTreeNodesAt({}, strGroup, QString()), -1);
    EXPECT_EQ(m_mediator.InsertCustomTreeNodesAt({"at-h-i0", "nothing"}, strGroup, QString()), -1);
    EXPECT_EQ(storedChildren(kMain, strGroup), lstOrder);
}

TEST_F(CustomTreeTest, CaptionSortAndRemovalStoreAndReport)
{
    storeHost("cs-h", 2, 0, 0);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    QString strGroup;
    QString strInner;
    ASSERT_EQ(m_mediator.InsertCustomTreeGroup(kRoot, "outer", strGroup), 0);
    ASSERT_EQ(m_mediator.InsertCustomTreeGroup(strGroup, "inner", strInner), 0);
    STRCT_VideoChannel c0, c1;
    c0.m_strID = "cs-h-c0";
    c1.m_strID = "cs-h-c1";
    ASSERT_EQ(m_mediator.InsertCustomTreeNodes(strGroup, {&c0}, false), 0);
    ASSERT_EQ(m_mediator.InsertCustomTreeNodes(strInner, {&c1}, false), 0);
    const QString strNode =
        itest::text(kMain, "SELECT S_ID FROM TAB_USER_OBJ WHERE S_OBJ_ID = 'cs-h-c0' AND S_PARENT_ID = :g",
                    {{":g", strGroup}});
    ChangeRecorder changes(m_mediator);

    STRCT_VideoGroup renamed;
    renamed.m_strNodeID = strNode.toStdString();
    renamed.m_strCaption = "  front   door ";
    EXPECT_EQ(m_mediator.UpdateCustomTreeNodeCaption(&renamed), 0);
    EXPECT_EQ(itest::text(kMain, "SELECT S_CAPTION FROM TAB_USER_OBJ WHERE S_ID = :id", {{":id", strNode}}),
              "  front   door ");
    EXPECT_EQ(customItems()[strNode]->m_strCaption, "front door");

    const int iNum = itest::scalar(kMain, "SELECT I_NUM FROM TAB_USER_OBJ WHERE S_ID = :id", {{":id", strNode}});
    EXPECT_EQ(m_mediator.SortCustomTreeNotesNum(strNode, -1, nullptr), -1);
    EXPECT_EQ(m_mediator.SortCustomTreeNotesNum(QString(), 3, nullptr), -1);
    EXPECT_EQ(m_mediator.SortCustomTreeNotesNum("no-such-node", 3, nullptr), -1);
    EXPECT_EQ(itest::scalar(kMain, "SELECT I_NUM FROM TAB_USER_OBJ WHERE S_ID = :id", {{":id", strNode}}), iNum);
    int iTag = 0;
    EXPECT_EQ(m_mediator.SortCustomTreeNotesNum(strNode, 40, &iTag), 0);
    EXPECT_EQ(itest::scalar(kMain, "SELECT I_NUM FROM TAB_USER_OBJ WHERE S_ID = :id", {{":id", strNode}}), 40);
    EXPECT_EQ(customItems()[strNode]->m_iSortNum, 40);

    // A group goes with everything below it.
    EXPECT_EQ(m_mediator.DeleteFromCustomTree(QString()), -1);
    EXPECT_EQ(m_mediator.DeleteFromCustomTree("no-such-node"), -1);
    EXPECT_EQ(m_mediator.DeleteFromCustomTree(kRoot), -1);
    EXPECT_EQ(m_mediator.DeleteFromCustomTree(strGroup), 0);
    EXPECT_EQ(rowsOf(kMain, "S_ID = :g OR S_PARENT_ID IN (:g, :i)", {{":g", strGroup}, {":i", strInner}}), 0);
    const QMap<QString, STRCT_VideoItem*> items = customItems();
    EXPECT_FALSE(items.contains(strGroup) || items.contains(strInner) || items.contains(strNode));

    ASSERT_EQ(changes.m_custom.size(), 3);
    EXPECT_EQ(changes.m_custom[0].op, otUpdate);
    EXPECT_EQ(changes.m_custom[0].lstNodeIDs, QStringList{strNode});
    EXPECT_EQ(changes.m_custom[1].op, otSort);
    EXPECT_EQ(changes.m_custom[1].param, &iTag);
    EXPECT_EQ(changes.m_custom[2].op, otDelete);
    EXPECT_EQ(changes.m_custom[2].lstNodeIDs.size(), 4);
    EXPECT_EQ(changes.m_custom[2].lstNodeIDs.first(), strGroup);
    for (const Change& c : changes.m_custom) {
        EXPECT_EQ(c.iDevType, 9);
    }
}

// ---- copies of resource objects ----

TEST_F(CustomTreeTest, DeletedHostLeavesEveryUsersCustomTree)
{
    storeHost("dh-h", 2, 1, 0);
    storeHost("dh-keep", 1, 0, 0);
    storeNode(kMain, m_strUser, "dh-n1", "dh-h-c0", "mine", "");
    storeNode(kMain, m_strUser, "dh-n2", "dh-h-i0", "mine too", "");
    storeNode(kMain, m_strUser, "dh-n3", "dh-keep-c0", "kept", "");
    storeNode(kMain, "second-user", "dh-o1", "dh-h-c1", "theirs", "");
    storeNode(kMain, "second-user", "dh-o2", "dh-h-c0", "theirs too", "");
    reload();
    ChangeRecorder changes(tree());

    ASSERT_EQ(tree().DeleteHost("dh-h"), 0);
    EXPECT_EQ(rowsOf(kMain, "S_OBJ_ID IN ('dh-h-c0', 'dh-h-c1', 'dh-h-i0')", {}), 0);
    EXPECT_EQ(rowsOf(kMain, "S_ID = 'dh-n3'", {}), 1);
    const QMap<QString, STRCT_VideoItem*> items = customItems();
    EXPECT_FALSE(items.contains("dh-n1") || items.contains("dh-n2"));
    EXPECT_TRUE(items.contains("dh-n3"));
    ASSERT_EQ(changes.m_custom.size(), 1);
    EXPECT_EQ(changes.m_custom[0].op, otDelete);
    QStringList lstReported = changes.m_custom[0].lstNodeIDs;
    lstReported.sort();
    EXPECT_EQ(lstReported, (QStringList{"dh-n1", "dh-n2"}));
}

TEST_F(CustomTreeTest, GenericDeviceCopiesFollowTheDevice)
{
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    Common::STRCT_DevItem dev;
    dev.S_ID = "gd-dev";
    dev.S_NAME = "counter";
    dev.I_TYPE = 2;
    dev.S_SN = "SN1";
    ASSERT_EQ(m_mediator.ModifyOrInsertDev(&dev), 0);
    QString strGroup;
    ASSERT_EQ(m_mediator.InsertCustomTreeGroup(kRoot, "generic", strGroup), 0);
    STRCT_VideoChannel channel;
    channel.m_strID = "gd-dev_0";
    ASSERT_EQ(m_mediator.InsertCustomTreeNodes(strGroup, {&channel}, false), 0);
    ChangeRecorder changes(m_mediator);

    dev.S_NAME = "renamed counter";
    ASSERT_EQ(m_mediator.ModifyOrInsertDev(&dev), 0);
    ASSERT_EQ(m_mediator.DeleteDev("gd-dev"), 0);

    EXPECT_EQ(rowsOf(kMain, "S_OBJ_ID = 'gd-dev_0'", {}), 0);
    ASSERT_EQ(changes.m_custom.size(), 2);
    EXPECT_EQ(changes.m_custom[0].op, otUpdate);
    EXPECT_EQ(changes.m_custom[0].lstObjIDs, QStringList{"gd-dev_0"});
    EXPECT_EQ(changes.m_custom[1].op, otDelete);
    EXPECT_EQ(changes.m_custom[1].lstObjIDs, QStringList{"gd-dev_0"});
    for (STRCT_VideoItem* pItem : m_mediator.GetCustomTreeItems()) {
        EXPECT_NE(pItem->m_strID, "gd-dev_0");
    }
}

TEST_F(CustomTreeTest, ChannelAndAlarmUpdatesReachTheCopies)
{
    storeHost("up-h", 1, 1, 0);
    storeNode(kMain, m_strUser, "up-n1", "up-h-c0", "cam", "");
    storeNode(kMain, m_strUser, "up-n2", "up-h-i0", "door", "");
    reload();
    ChangeRecorder changes(tree());
    STRCT_VideoChannel channel = *static_cast<STRCT_VideoChannel*>(customItems()["up-n1"]);
    channel.m_strParentID = "up-h";
    channel.m_strCaption = "lobby";
    ASSERT_EQ(tree().UpdateChannelEx({&channel}), 0);
    STRCT_VideoAlarmIn alarmIn = *static_cast<STRCT_VideoAlarmIn*>(customItems()["up-n2"]);
    alarmIn.m_strParentID = "up-h";
    alarmIn.m_strCaption = "back door";
    ASSERT_EQ(tree().UpdateAlarmIn(&alarmIn), 0);
    EXPECT_EQ(customItems()["up-n1"]->m_strCaption, "lobby");
    EXPECT_EQ(customItems()["up-n2"]->m_strCaption, "back door");
    ASSERT_EQ(changes.m_custom.size(), 2);
    EXPECT_EQ(changes.m_custom[0].lstNodeIDs, QStringList{"up-n1"});
    EXPECT_EQ(changes.m_custom[1].lstNodeIDs, QStringList{"up-n2"});
    for (const Change& c : changes.m_custom) {
        EXPECT_EQ(c.op, otUpdate);
        EXPECT_EQ(c.iDevType, 9);
    }
}

// ---- sort numbers past the int range ----

// The server numbers a new node one past its largest sibling, so numbers grow past 2^31 - 1
// once a client has set a large one; both trees must read and keep them whole.
TEST_F(CustomTreeTest, SortNumbersPastTheIntRangeAreReadAndKept)
{
    storeHost("bg-h", 3, 0, 0);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    const qint64 kBig = qint64(std::numeric_limits<qint32>::max()) + 10;
    auto storedNum = [](const char* _pszDb, const QString& _strNodeID) {
        return itest::text(_pszDb, "SELECT I_NUM FROM TAB_USER_OBJ WHERE S_ID = :id", {{":id", _strNodeID}})
            .toLongLong();
    };
    struct Case
    {
        const char* name;
        const char* db;
        bool bFlow;
    };
    for (const Case& t : {Case{"custom", kMain, false}, Case{"passenger flow", kFlow, true}}) {
        SCOPED_TRACE(t.name);
        storeNode(t.db, m_strUser, QStringLiteral("bg-seed-%1").arg(t.bFlow), "", "seed", "", kBig);
        QString strGroup;
        LogCapture log;
        ASSERT_EQ(t.bFlow ? m_mediator.InsertPassengerFlowGroup(kRoot, "after big", strGroup)
                          : m_mediator.InsertCustomTreeGroup(kRoot, "after big", strGroup),
                  0);
        EXPECT_EQ(rowsOf(t.db, "S_CAPTION = 'after big'", {}), 1);
        EXPECT_EQ(storedNum(t.db, strGroup), kBig + 1);
        EXPECT_EQ(customItems(t.bFlow)[strGroup]->m_iSortNum, kBig + 1);

        storeNode(t.db, m_strUser, QStringLiteral("bg-inner-%1").arg(t.bFlow), "", "inner seed", strGroup,
                  kBig + 5);
        STRCT_VideoChannel c0;
        c0.m_strID = "bg-h-c0";
        ASSERT_EQ(m_mediator.InsertCustomTreeNodes(strGroup, {&c0}, t.bFlow), 0);
        const QString strNode = itest::text(t.db, "SELECT S_ID FROM TAB_USER_OBJ WHERE S_OBJ_ID = 'bg-h-c0'");
        EXPECT_EQ(storedNum(t.db, strNode), kBig + 6);
        EXPECT_EQ(customItems(t.bFlow)[strNode]->m_iSortNum, kBig + 6);
        EXPECT_FALSE(log.hasPart(3, "[Second]")) << qPrintable(log.dump());

        // A number that cannot be read back: the insert is not repeated and the node does not stay.
        ASSERT_EQ(itest::exec(t.db,
                              "CREATE TRIGGER TRG_TEST_UNREADABLE AFTER UPDATE OF I_NUM ON TAB_USER_OBJ "
                              "WHEN NEW.S_CAPTION = 'unreadable' OR NEW.S_OBJ_ID = 'bg-h-c2' BEGIN "
                              "UPDATE TAB_USER_OBJ SET I_NUM = 'not a number' WHERE S_ID = NEW.S_ID; END"),
                  0);
        QString strUnread;
        EXPECT_EQ(t.bFlow ? m_mediator.InsertPassengerFlowGroup(kRoot, "unreadable", strUnread)
                          : m_mediator.InsertCustomTreeGroup(kRoot, "unreadable", strUnread),
                  -1);
        STRCT_VideoChannel c2;
        c2.m_strID = "bg-h-c2";
        EXPECT_LT(m_mediator.InsertCustomTreeNodes(strGroup, {&c2}, t.bFlow), 0);
        ASSERT_EQ(itest::exec(t.db, "DROP TRIGGER TRG_TEST_UNREADABLE"), 0);
        EXPECT_FALSE(log.hasPart(3, "[Second]")) << qPrintable(log.dump());
        EXPECT_EQ(rowsOf(t.db, "S_CAPTION = 'unreadable' OR S_OBJ_ID = 'bg-h-c2'", {}), 0);
        EXPECT_TRUE(strUnread.isEmpty());
    }

    // Placing a node among children with large numbers: rows and items agree on the order.
    const QString strGroup =
        itest::text(kMain, "SELECT S_ID FROM TAB_USER_OBJ WHERE S_CAPTION = 'after big'");
    ASSERT_EQ(m_mediator.InsertCustomTreeNodesAt({"bg-h-c1"}, strGroup, QString()), 0);
    EXPECT_EQ(storedChildren(kMain, strGroup), (QStringList{"inner seed", "bg-h-c0", "bg-h-c1"}));
    for (const STRCT_VideoItem* pItem : m_mediator.GetCustomTreeItems()) {
        if (qs(pItem->m_strParentID) == strGroup) {
            EXPECT_EQ(pItem->m_iSortNum, storedNum(kMain, qs(pItem->m_strNodeID))) << pItem->m_strID;
        }
    }

    // Loading reads them whole.
    reload();
    const QMap<QString, STRCT_VideoItem*> items = customItems();
    ASSERT_TRUE(items.contains(strGroup));
    EXPECT_EQ(items[strGroup]->m_iSortNum, kBig + 1);
    int iChildren = 0;
    for (const STRCT_VideoItem* pItem : items) {
        if (qs(pItem->m_strParentID) == strGroup) {
            ++iChildren;
            EXPECT_EQ(pItem->m_iSortNum, storedNum(kMain, qs(pItem->m_strNodeID))) << pItem->m_strID;
        }
    }
    EXPECT_EQ(iChildren, 3);
    const QString strFlowGroup =
        itest::text(kFlow, "SELECT S_ID FROM TAB_USER_OBJ WHERE S_CAPTION = 'after big'");
    ASSERT_TRUE(customItems(true).contains(strFlowGroup));
    EXPECT_EQ(customItems(true)[strFlowGroup]->m_iSortNum, kBig + 1);
}

// ---- passenger-flow trees ----

TEST_F(CustomTreeTest, PassengerFlowTreeLivesInItsOwnDatabase)
{
    storeHost("pf-h", 3, 1, 0);
    storeNode(kFlow, m_strUser, "pf-G1", "", "entrance", "");
    storeNode(kFlow, m_strUser, "pf-n1", "pf-h-c0", "stored caption", "pf-G1");
    storeNode(kFlow, m_strUser, "pf-n2", "pf-gone", "gone camera", "pf-G1");
    storeNode(kFlow, m_strUser, "pf-G2", "", "inner", "pf-G1");
    storeNode(kFlow, m_strUser, "pf-n3", "pf-h-c1", "deep", "pf-G2");
    storeNode(kFlow, "second-user", "pf-o1", "pf-h-c0", "theirs", "");
    reload();
    ChangeRecorder changes(tree());
    QMap<QString, STRCT_VideoItem*> items = customItems(true);
    ASSERT_TRUE(items.contains(kRoot));
    ASSERT_TRUE(items.contains("pf-n1") && items.contains("pf-n3") && items.contains("pf-G2"));
    EXPECT_EQ(items["pf-n1"]->GetType(), static_cast<uint32_t>(vitChannel));
    EXPECT_EQ(items["pf-n1"]->m_strCaption, "pf-h Channel 1");
    EXPECT_EQ(items["pf-n1"]->m_strParentID, "pf-G1");
    EXPECT_FALSE(items.contains("pf-n2") || items.contains("pf-o1"));
    EXPECT_EQ(itest::text(kFlow, "SELECT S_CAPTION FROM TAB_USER_OBJ WHERE S_ID = 'pf-n2'"), "gone camera");
    EXPECT_TRUE(customItems().value("pf-n1") == nullptr);

    QString strGroup;
    ASSERT_EQ(tree().InsertPassengerFlowGroup(kRoot, "hall", strGroup), 0);
    EXPECT_EQ(itest::text(kFlow, "SELECT IFNULL(S_PARENT_ID, 'NULL') FROM TAB_USER_OBJ WHERE S_ID = :id",
                          {{":id", strGroup}}),
              "NULL");
    EXPECT_EQ(rowsOf(kMain, "S_ID = :id", {{":id", strGroup}}), 0);
    STRCT_VideoChannel c2;
    c2.m_strID = "pf-h-c2";
    STRCT_VideoAlarmIn in0;
    in0.m_strID = "pf-h-i0";
    EXPECT_EQ(tree().InsertCustomTreeNodes(strGroup, {&in0}, true), -1);
    EXPECT_EQ(tree().InsertCustomTreeNodes(strGroup, {&c2}, true), 0);
    EXPECT_EQ(storedChildren(kFlow, strGroup), QStringList{"pf-h-c2"});
    EXPECT_EQ(tree().UpdatePassengerFlowNodeCaption(strGroup, "main hall"), 0);
    EXPECT_EQ(itest::text(kFlow, "SELECT S_CAPTION FROM TAB_USER_OBJ WHERE S_ID = :id", {{":id", strGroup}}),
              "main hall");
    EXPECT_EQ(customItems(true)[strGroup]->m_strCaption, "main hall");

    // In memory only: the node leaves, its row stays, nothing is reported.
    const int iReported = changes.m_flow.size();
    EXPECT_EQ(tree().DeleteFromPassengerFlowCustomTreeGroup(QString()), -1);
    EXPECT_EQ(tree().DeleteFromPassengerFlowCustomTreeGroup("no-such-node"), -1);
    EXPECT_EQ(tree().DeleteFromPassengerFlowCustomTreeGroup("pf-n3"), 0);
    EXPECT_FALSE(customItems(true).contains("pf-n3"));
    EXPECT_EQ(rowsOf(kFlow, "S_ID = 'pf-n3'", {}), 1);
    EXPECT_EQ(changes.m_flow.size(), iReported);

    // A group goes with its direct children; deeper rows stay.
    EXPECT_EQ(tree().DeletePassengerFlowTreeGroup(QString()), -1);
    EXPECT_EQ(tree().DeletePassengerFlowTreeGroup("no-such-node"), -1);
    EXPECT_EQ(tree().DeletePassengerFlowTreeGroup("pf-G1"), 0);
    EXPECT_EQ(rowsOf(kFlow, "S_ID IN ('pf-G1', 'pf-n1', 'pf-n2', 'pf-G2')", {}), 0);
    EXPECT_EQ(rowsOf(kFlow, "S_ID = 'pf-n3'", {}), 1);
    items = customItems(true);
    EXPECT_FALSE(items.contains("pf-G1") || items.contains("pf-n1") || items.contains("pf-G2"));

    EXPECT_EQ(tree().DeletePassengerFlowDeviceNodes(QString()), 0);
    EXPECT_EQ(rowsOf(kFlow, "S_USER_ID = :u AND S_OBJ_ID IS NOT NULL", {{":u", m_strUser}}), 0);
    EXPECT_EQ(rowsOf(kFlow, "S_ID = 'pf-o1'", {}), 1);
    EXPECT_EQ(rowsOf(kFlow, "S_ID = :id", {{":id", strGroup}}), 1);

    QList<OperationType> lstOps;
    for (const Change& c : changes.m_flow) {
        lstOps << c.op;
        EXPECT_EQ(c.iDevType, 9);
    }
    EXPECT_EQ(lstOps, (QList<OperationType>{otInsert, otInsert, otUpdate, otDelete, otDelete}));
    EXPECT_TRUE(changes.m_custom.isEmpty());
}

}  // namespace

namespace {

// Must stay last: it stops the server and starts it again.
class CustomTreeServerStopped : public CustomTreeTest
{
};

TEST_F(CustomTreeServerStopped, InsertsFailAndAddNothing)
{
    storeHost("st-h", 1, 0, 0);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    const int iCustom = m_mediator.GetCustomTreeItems().size();
    const int iFlow = m_mediator.GetPassengerFlowTreeItems().size();
    ServerProcess& server = IntegrationEnvironment::instance().server();
    ASSERT_TRUE(server.stop()) << server.output().toStdString();
    ASSERT_TRUE(itest::waitFor([] { return CLS_RemoteDBHandler::m_iConnectedStatus.load() < 0; }, 10000));

    QString strGroup;
    EXPECT_EQ(m_mediator.InsertCustomTreeGroup(kRoot, "down", strGroup), -1);
    EXPECT_EQ(m_mediator.InsertPassengerFlowGroup(kRoot, "down", strGroup), -1);
    STRCT_VideoChannel c0;
    c0.m_strID = "st-h-c0";
    EXPECT_LT(m_mediator.InsertCustomTreeNodes(kRoot, {&c0}, false), 0);
    EXPECT_LT(m_mediator.InsertCustomTreeNodes(kRoot, {&c0}, true), 0);
    EXPECT_LT(m_mediator.InsertCustomTreeNodesAt({"st-h-c0"}, kRoot, QString()), 0);
    EXPECT_EQ(m_mediator.GetCustomTreeItems().size(), iCustom);
    EXPECT_EQ(m_mediator.GetPassengerFlowTreeItems().size(), iFlow);

    ASSERT_TRUE(server.start()) << server.output().toStdString();
    ASSERT_TRUE(itest::waitFor([] { return CLS_RemoteDBHandler::m_iConnectedStatus.load() == 1; }, 20000));
    EXPECT_EQ(rowsOf(kMain, "S_CAPTION = 'down' OR S_OBJ_ID = 'st-h-c0'", {}), 0);
    EXPECT_EQ(rowsOf(kFlow, "S_CAPTION = 'down' OR S_OBJ_ID = 'st-h-c0'", {}), 0);
}

}  // namespace
