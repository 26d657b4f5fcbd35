// The custom and passenger-flow trees' node inserts against the recording socket, where answers
// can fail on purpose: one retry of the transaction, and a second failure that stores and shows
// nothing.
#include "CLS_DataMediator.h"
#include "HandlerTestSupport.h"
#include "LogCapture.h"
#include "MediatorTestAccess.h"

#include <QJsonArray>

namespace {

const char kErrorAnswer[] = R"({"result":"ERROR","reason":"database is locked","code":"sql"})";
// The reads of the number the server gave a stored node (custom tree, passenger-flow tree).
const char* const kNumReads[] = {"Select I_NUM From TAB_USER_OBJ WHERE S_ID = :treeID",
                                 "Select I_NUM From TAB_USER_OBJ WHERE S_ID =:ID"};

class CustomTreeMediator : public RemoteDBHandlerRequests
{
protected:
    void SetUp() override
    {
        RemoteDBHandlerRequests::SetUp();
        STRCT_VideoHost host;
        host.m_strID = "h-1";
        host.m_strIP = "10.0.0.1";
        ASSERT_EQ(m_mediator.InsertHost(&host), 0);
        STRCT_VideoChannel channel;
        channel.m_strID = "h-1-c0";
        channel.m_strParentID = "h-1";
        channel.m_strCaption = "Gate";
        ASSERT_EQ(m_mediator.InsertChannel(&channel), 0);
        CLS_DataMediatorTestAccess::openEmptyTrees(m_mediator, "u-1");
        QObject::connect(&m_mediator, &I_DataMediator::SignCustomTreeDataChangeCallback, &m_context,
                         [this](QVector<STRCT_VideoItem*>& _items, OperationType _op, int, void*) {
                             m_lstSignals << QStringLiteral("custom %1 %2").arg(_op).arg(_items.size());
                         });
        QObject::connect(&m_mediator, &I_DataMediator::SignPassengerFlowCustomTreeDataChangeCallback, &m_context,
                         [this](QVector<STRCT_VideoItem*> _items, OperationType _op, int, void*) {
                             m_lstSignals << QStringLiteral("flow %1 %2").arg(_op).arg(_items.size());
                         });
        m_pFake->reset();
        QMutexLocker locker(&m_pFake->mutex);
        for (const char* pszSql : kNumReads) {
            m_pFake->standingAnswers.insert(
                pszSql, R"({"result":"OK","data":{"ret":[{"record":[{"key":"I_NUM","value":"7"}]}]}})");
        }
    }
    void TearDown() override
    {
        {
            QMutexLocker locker(&m_pFake->mutex);
            for (const char* pszSql : kNumReads) {
                m_pFake->standingAnswers.remove(pszSql);
            }
        }
        CLS_DataMediatorTestAccess::releaseItems(m_mediator);
    }

    // The transactions sent, as their database names.
    QStringList transactions()
    {
        QStringList lst;
        for (const FakeRequest& r : m_pFake->requests) {
            if (r.command == QLatin1String("ExecuteTransactionEx")) {
                lst << r.request.value("DbName").toString();
            }
        }
        return lst;
    }

    CLS_DataMediator m_mediator;
    QObject m_context;
    QStringList m_lstSignals;
};

TEST_F(CustomTreeMediator, NodeInsertsAreTriedOnceMoreAndASecondFailureChangesNothing)
{
    struct Case
    {
        bool bPassengerFlow;
        const char* pszDb;
        const char* pszSignal;
    };
    const Case cases[] = {{false, "Tessel", "custom 1 1"}, {true, "Tessel-passengerFlow", "flow 1 1"}};
    STRCT_VideoChannel object;
    object.m_strID = "h-1-c0";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszDb);
        LogCapture log;
        m_lstSignals.clear();
        m_pFake->reset();
        const int iItems =
            (c.bPassengerFlow ? m_mediator.GetPassengerFlowTreeItems() : m_mediator.GetCustomTreeItems()).size();
        answer(0, kErrorAnswer);
        EXPECT_EQ(m_mediator.InsertCustomTreeNodes("custom_root_id", {&object}, c.bPassengerFlow), 0);
        EXPECT_EQ(transactions(), (QStringList{c.pszDb, c.pszDb}));
        EXPECT_TRUE(log.has(3, "CLS_DataMediator::InsertCustomTreeNodes InsertCustomTreeNodeEx[Second]"))
            << qPrintable(log.dump());
        EXPECT_EQ(m_lstSignals, QStringList{c.pszSignal});
        EXPECT_EQ((c.bPassengerFlow ? m_mediator.GetPassengerFlowTreeItems() : m_mediator.GetCustomTreeItems()).size(),
                  iItems + 1);

        m_lstSignals.clear();
        m_pFake->reset();
        answer(0, kErrorAnswer);
        answer(0, kErrorAnswer);
        EXPECT_EQ(m_mediator.InsertCustomTreeNodes("custom_root_id", {&object}, c.bPassengerFlow), -1);
        EXPECT_EQ(transactions().size(), 2);
        EXPECT_TRUE(log.has(3, "CLS_DataAccess::GetInstance().InsertCustomTreeNodeEx iRet = (-1)"))
            << qPrintable(log.dump());
        EXPECT_TRUE(m_lstSignals.isEmpty());
        EXPECT_EQ((c.bPassengerFlow ? m_mediator.GetPassengerFlowTreeItems() : m_mediator.GetCustomTreeItems()).size(),
                  iItems + 1);
    }
    // The node's caption is the object's, bound rather than written into the statement.
    ASSERT_FALSE(m_pFake->requests.isEmpty());
    const QJsonObject request = m_pFake->requests.first().request;
    EXPECT_FALSE(request.value("sqlexec").toArray().first().toString().contains("Gate"));
    EXPECT_EQ(request.value("bindValues").toArray().first().toObject().value("bindValue").toObject().value(":Caption"),
              QJsonValue("Gate"));
}

TEST_F(CustomTreeMediator, RefusalsSendNothing)
{
    LogCapture log;
    STRCT_VideoChannel object;
    object.m_strID = "h-1-c0";
    QString strNode;
    EXPECT_EQ(m_mediator.InsertCustomTreeNodes("no-such-group", {&object}, false), -1);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::InsertCustomTreeNodes parentItem == nullptr"));
    EXPECT_EQ(m_mediator.InsertAlarmInNodes("custom_root_id", nullptr), -1);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::InsertAlarmInNodes nullptr == _pqvecTreeNodes"));
    EXPECT_EQ(m_mediator.SortCustomTreeNotesNum("custom_root_id", -1, nullptr), -1);
    EXPECT_EQ(m_mediator.DeleteFromCustomTree(QString()), -1);
    EXPECT_EQ(m_mediator.DeletePassengerFlowTreeGroup(QString()), -1);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::DeletePassengerFlowTreeGroup _qstrTreeNodeID == nullptr || "
                           "_qstrTreeNodeID.length() <= 0"));
    EXPECT_EQ(m_mediator.DeletePassengerFlowTreeGroup("no-such-group"), -1);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::DeletePassengerFlowTreeGroup pvideoItem == nullptr"));
    EXPECT_EQ(m_mediator.DeleteFromPassengerFlowCustomTreeGroup(QString()), -1);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::DeleteFromPassengerFlowCustomTreeGroup _qstrTreeNodeID == nullptr || "
                           "_qstrTreeNodeID.length() <= 0"));
    EXPECT_TRUE(m_pFake->requests.isEmpty());
    EXPECT_TRUE(m_lstSignals.isEmpty());
}

}  // namespace
