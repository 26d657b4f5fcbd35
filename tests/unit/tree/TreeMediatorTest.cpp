// The resource tree's maintenance against the recording socket, where answers can fail on
// purpose: the single retry of inserts and updates, what a failed step leaves behind, argument
// checks, and that every change signal comes after the map's lock has been released.
#include "CLS_CommonHandle.h"
#include "MediatorTestAccess.h"
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmInEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmOutEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_ChannelEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_HostEntityDAO.h"
#include "HandlerTestSupport.h"
#include "LogCapture.h"

#include <QJsonArray>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <vector>

namespace {

const char kErrorAnswer[] = R"({"result":"ERROR","reason":"database is locked","code":"sql"})";

QStringList idsOf(const QVector<STRCT_VideoItem*>& _vecItems)
{
    QStringList lst;
    for (const STRCT_VideoItem* pItem : _vecItems) {
        lst << QString::fromStdString(pItem->m_strID);
    }
    return lst;
}

QStringList statementsOf(const FakeRequest& _request)
{
    QStringList lst;
    for (const QJsonValue& v : _request.request.value("sqlexec").toArray()) {
        lst.append(v.toString());
    }
    return lst;
}

// Records the resource signals. For each, a look-up runs on another thread while the receiver
// still has the signal: it only finishes if the emitter holds no lock on the map.
class ResourceRecorder
{
public:
    struct Record
    {
        QStringList ids;
        int op;
        int devType;
    };

    explicit ResourceRecorder(CLS_DataMediator& _mediator) : m_mediator(_mediator)
    {
        QObject::connect(
            &_mediator, &I_DataMediator::SignResourceDataChangeCallback, &m_context,
            [this](const QVector<STRCT_VideoItem*>* _pItems, OperationType _op, int _iDevType, void*) {
                std::future<int> lookup =
                    std::async(std::launch::async, [this] { return m_mediator.GetAllHostItems().size(); });
                const bool bFree = lookup.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
                m_records.append({idsOf(*_pItems), _op, _iDevType});
                m_iUnderLock += bFree ? 0 : 1;
                m_lookups.push_back(std::move(lookup));
            });
    }
    ~ResourceRecorder()
    {
        for (std::future<int>& lookup : m_lookups) {
            lookup.wait();
        }
    }
    QList<Record> m_records;
    int m_iUnderLock = 0;  ///< signals that came while the map was locked (never cleared)

private:
    CLS_DataMediator& m_mediator;
    QObject m_context;
    std::vector<std::future<int>> m_lookups;
};

}  // namespace

// A mediator with one host "h-1" (device type 5) holding two channels and one alarm input,
// built through the mediator's own inserts with the default (successful) answers.
class TreeMediator : public RemoteDBHandlerRequests
{
protected:
    void SetUp() override
    {
        RemoteDBHandlerRequests::SetUp();
        CLS_HostEntityDAO::GetInstance();
        CLS_ChannelEntityDAO::GetInstance();
        CLS_AlarmInEntityDAO::GetInstance();
        CLS_AlarmOutEntityDAO::GetInstance();
        STRCT_VideoHost host;
        host.m_strID = "h-1";
        host.m_strIP = "10.0.0.1";
        host.m_iHostDevType = 5;
        ASSERT_EQ(m_mediator.InsertHost(&host), 0);
        std::unique_ptr<STRCT_VideoChannel> c0(channel("h-1-c0", 0)), c1(channel("h-1-c1", 1));
        ASSERT_EQ(m_mediator.InsertChannelEx({c0.get(), c1.get()}), 0);
        STRCT_VideoAlarmIn alarmIn;
        alarmIn.m_strID = "h-1-i0";
        alarmIn.m_strParentID = "h-1";
        ASSERT_EQ(m_mediator.InsertAlarmIn(&alarmIn), 0);
        ASSERT_EQ(idsOf(children()), (QStringList{"h-1-c0", "h-1-c1", "h-1-i0"}));
        m_pFake->reset();
        m_pRecorder = std::make_unique<ResourceRecorder>(m_mediator);
    }
    void TearDown() override
    {
        EXPECT_EQ(m_pRecorder->m_iUnderLock, 0) << "signals emitted while the map was locked";
        m_pRecorder.reset();
        CLS_DataMediatorTestAccess::releaseItems(m_mediator);
    }
    static STRCT_VideoChannel* channel(const std::string& _strID, int _iNum)
    {
        auto* p = new STRCT_VideoChannel();
        p->m_strID = _strID;
        p->m_strParentID = "h-1";
        p->m_iChannelNo = _iNum;
        p->m_strCaption = "Channel " + std::to_string(_iNum + 1);
        return p;
    }
    STRCT_VideoHost* host()
    {
        const QVector<STRCT_VideoItem*> vecHosts = m_mediator.GetAllHostItems();
        return vecHosts.isEmpty() ? nullptr : static_cast<STRCT_VideoHost*>(vecHosts.first());
    }
    QVector<STRCT_VideoItem*> children()
    {
        STRCT_VideoHost* pHost = host();
        return pHost == nullptr
                   ? QVector<STRCT_VideoItem*>()
                   : QVector<STRCT_VideoItem*>(pHost->m_vecChilds.begin(), pHost->m_vecChilds.end());
    }
    int transactions()
    {
        int iCount = 0;
        for (const FakeRequest& r : m_pFake->requests) {
            iCount += r.command == QLatin1String("ExecuteTransactionEx");
        }
        return iCount;
    }
    CLS_DataMediator m_mediator;
    std::unique_ptr<ResourceRecorder> m_pRecorder;
};

TEST_F(TreeMediator, InsertsAreTriedOnceMoreAndASecondFailureChangesNothing)
{
    struct Case
    {
        const char* name;
        std::function<int(const std::string&)> insert;
        const char* retryLine;
        const char* failedLine;
        int devType;
    };
    const Case cases[] = {
        {"InsertChannel",
         [&](const std::string& _strID) {
             std::unique_ptr<STRCT_VideoChannel> p(channel(_strID, 2));
             return m_mediator.InsertChannel(p.get());
         },
         "CLS_DataMediator::InsertChannel InsertChannel [Second]",
         "CLS_DataMediator::InsertChannel iRet = (-1)", 5},
        {"InsertChannelEx",
         [&](const std::string& _strID) {
             std::unique_ptr<STRCT_VideoChannel> p(channel(_strID, 2));
             return m_mediator.InsertChannelEx({p.get()});
         },
         "CLS_DataMediator::InsertChannelEx re InsertChannelEx iRet(-1)",
         "CLS_DataMediator::InsertChannelEx iRet = (-1)", 5},
        {"InsertAlarmIn",
         [&](const std::string& _strID) {
             STRCT_VideoAlarmIn item;
             item.m_strID = _strID;
             item.m_strParentID = "h-1";
             return m_mediator.InsertAlarmIn(&item);
         },
         "CLS_DataMediator::InsertAlarmIn re InsertAlarmIn iRet(-1)",
         "CLS_DataMediator::InsertAlarmIn iRet = (-1)", 9},
        {"InsertAlarmInEx",
         [&](const std::string& _strID) {
             STRCT_VideoAlarmIn item;
             item.m_strID = _strID;
             item.m_strParentID = "h-1";
             return m_mediator.InsertAlarmInEx({&item});
         },
         "CLS_DataMediator::InsertAlarmInEx re InsertAlarmInEx iRet(-1)",
         "CLS_DataMediator::InsertAlarmInEx iRet = (-1)", 9},
        {"InsertAlarmOut",
         [&](const std::string& _strID) {
             STRCT_VideoAlarmOut item;
             item.m_strID = _strID;
             item.m_strParentID = "h-1";
             return m_mediator.InsertAlarmOut(&item);
         },
         "CLS_DataMediator::InsertAlarmOut re InsertAlarmOut iRet(-1)",
         "CLS_DataMediator::InsertAlarmOut iRet = (-1)", 9},
        {"InsertAlarmOutEx",
         [&](const std::string& _strID) {
             STRCT_VideoAlarmOut item;
             item.m_strID = _strID;
             item.m_strParentID = "h-1";
             return m_mediator.InsertAlarmOutEx({&item});
         },
         "CLS_DataMediator::InsertAlarmOutEx re InsertAlarmOutEx iRet(-1)",
         "CLS_DataMediator::InsertAlarmOutEx iRet = (-1)", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        m_pFake->reset();
        m_pRecorder->m_records.clear();
        const std::string strRetried = std::string(c.name) + "-retried";
        answer(0, kErrorAnswer);
        EXPECT_EQ(c.insert(strRetried), 0);
        EXPECT_EQ(transactions(), 2);
        EXPECT_TRUE(log.has(3, c.retryLine)) << qPrintable(log.dump());
        ASSERT_EQ(m_pRecorder->m_records.size(), 1);
        EXPECT_EQ(m_pRecorder->m_records[0].ids, QStringList{QString::fromStdString(strRetried)});
        EXPECT_EQ(m_pRecorder->m_records[0].op, otInsert);
        EXPECT_EQ(m_pRecorder->m_records[0].devType, c.devType);
        EXPECT_NE(m_mediator.GetHostItemOfChild(QString::fromStdString(strRetried)), nullptr);

        const std::string strFailed = std::string(c.name) + "-failed";
        const int iChildren = children().size();
        m_pFake->reset();
        answer(0, kErrorAnswer);
        answer(0, kErrorAnswer);
        EXPECT_EQ(c.insert(strFailed), -1);
        EXPECT_EQ(transactions(), 2);
        EXPECT_TRUE(log.has(4, c.failedLine)) << qPrintable(log.dump());
        EXPECT_EQ(m_pRecorder->m_records.size(), 1);
        EXPECT_EQ(m_mediator.GetHostItemOfChild(QString::fromStdString(strFailed)), nullptr);
        EXPECT_EQ(children().size(), iChildren);
    }
    // The children kept their sections: channels, alarm inputs, alarm outputs.
    EXPECT_EQ(idsOf(children()),
              (QStringList{"h-1-c0", "h-1-c1", "InsertChannel-retried", "InsertChannelEx-retried", "h-1-i0",
                           "InsertAlarmIn-retried", "InsertAlarmInEx-retried", "InsertAlarmOut-retried",
                           "InsertAlarmOutEx-retried"}));
    EXPECT_EQ(host()->m_strChannelCount, "4");
    EXPECT_EQ(host()->m_strAlarmInCount, "3");
    EXPECT_EQ(host()->m_strAlarmOutCount, "2");
}

TEST_F(TreeMediator, UpdatesAreTriedOnceMoreAndCopyNumberCaptionAndDescription)
{
    LogCapture log;
    std::unique_ptr<STRCT_VideoChannel> pChannel(channel("h-1-c1", 7));
    pChannel->m_strCaption = "  Back   door ";
    pChannel->m_strDescription = "memo";
    answer(0, kErrorAnswer);
    ASSERT_EQ(m_mediator.UpdateChannelEx({pChannel.get(), nullptr}), 0);
    EXPECT_EQ(transactions(), 2);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::UpdateChannelEx re UpdateChannelEx iRet(-1)"));
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::UpdateChannelEx _qvecChannelData[i] == nullptr"));
    const auto* pStored = static_cast<const STRCT_VideoChannel*>(children()[1]);
    EXPECT_EQ(pStored->m_iChannelNo, 7);
    EXPECT_EQ(pStored->m_strCaption, "Back door");
    EXPECT_EQ(pStored->m_strDescription, "memo");
    ASSERT_EQ(m_pRecorder->m_records.size(), 1);
    EXPECT_EQ(m_pRecorder->m_records[0].ids, QStringList{"h-1-c1"});
    EXPECT_EQ(m_pRecorder->m_records[0].op, otUpdate);
    EXPECT_EQ(m_pRecorder->m_records[0].devType, 9);

    // Two failures: the result is returned and the tree keeps what it had.
    STRCT_VideoAlarmIn alarmIn;
    alarmIn.m_strID = "h-1-i0";
    alarmIn.m_strCaption = "Changed";
    answer(0, kErrorAnswer);
    answer(0, kErrorAnswer);
    EXPECT_EQ(m_mediator.UpdateAlarmIn(&alarmIn), -1);
    EXPECT_TRUE(children()[2]->m_strCaption.empty());
    EXPECT_EQ(m_pRecorder->m_records.size(), 1);

    // Items of another kind or not in the tree are logged and left out of the signal.
    log.clear();
    STRCT_VideoAlarmOut notAnAlarmOut;
    notAnAlarmOut.m_strID = "h-1-i0";
    STRCT_VideoAlarmOut missing;
    missing.m_strID = "nowhere";
    EXPECT_EQ(m_mediator.UpdateAlarmOutEx({&notAnAlarmOut, &missing}), 0);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::UpdateAlarmOutEx nullptr == pAlarmOutResource"));
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::UpdateAlarmOutEx nullptr == pVideoItemResource"));
    EXPECT_EQ(m_pRecorder->m_records.size(), 1);
}

TEST_F(TreeMediator, NullAndEmptyArgumentsAreRefusedWithoutARequest)
{
    LogCapture log;
    struct Case
    {
        const char* line;  // empty: written to the debug stream instead
        std::function<int()> call;
    };
    const Case cases[] = {
        {"CLS_DataMediator::InsertHost nullptr == pVideoItem",
         [&] { return m_mediator.InsertHost(nullptr); }},
        {"CLS_DataMediator::InsertChannel nullptr == pVideoItem",
         [&] { return m_mediator.InsertChannel(nullptr); }},
        {"CLS_DataMediator::InsertChannelEx _qvecChannelData.isEmpty()",
         [&] { return m_mediator.InsertChannelEx({}); }},
        {"CLS_DataMediator::InsertChannelEx _qvecChannelData[i] == nullptr",
         [&] { return m_mediator.InsertChannelEx({nullptr}); }},
        {"CLS_DataMediator::InsertAlarmIn nullptr == pVideoItem",
         [&] { return m_mediator.InsertAlarmIn(nullptr); }},
        {"CLS_DataMediator::InsertAlarmOut nullptr == pVideoItem",
         [&] { return m_mediator.InsertAlarmOut(nullptr); }},
        {"CLS_DataMediator::InsertAlarmInEx _qvecAlarmInItems.isEmpty()",
         [&] { return m_mediator.InsertAlarmInEx({}); }},
        {"CLS_DataMediator::InsertAlarmOutEx _qvecAlarmOutItems.isEmpty()",
         [&] { return m_mediator.InsertAlarmOutEx({nullptr}); }},
        {"CLS_DataMediator::UpdateAlarmIn nullptr == pVideoItem",
         [&] { return m_mediator.UpdateAlarmIn(nullptr); }},
        {"CLS_DataMediator::ModifyOrInsertDev nullptr == pDevItem",
         [&] { return m_mediator.ModifyOrInsertDev(nullptr); }},
        {"", [&] { return m_mediator.UpdateHost(nullptr); }},
        {"", [&] { return m_mediator.DeleteHost(""); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.call(), -1);
        if (*c.line != '\0') {
            EXPECT_TRUE(log.has(3, c.line)) << qPrintable(log.dump());
        }
    }
    EXPECT_TRUE(m_pFake->requests.isEmpty());
    EXPECT_TRUE(m_pRecorder->m_records.isEmpty());
    EXPECT_EQ(children().size(), 3);
}

TEST_F(TreeMediator, DeleteHostRemovesTheLoadedItemsOnlyWhenTheDatabaseDeletedAll)
{
    LogCapture log;
    const int iPending = CLS_CommonHandle::GetInstance()->PendingCount();
    // The children cannot be read, or the transaction fails: nothing changes.
    answer(0, kErrorAnswer);
    EXPECT_EQ(m_mediator.DeleteHost("h-1"), -1);
    m_pFake->reset();
    answer(0, R"({"result":"OK","data":{"ret":[]}})");
    answer(0, kErrorAnswer);
    EXPECT_EQ(m_mediator.DeleteHost("h-1"), -1);
    EXPECT_EQ(m_pFake->requests.size(), 2);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::DeleteHost iRet = (-1)"));
    EXPECT_EQ(children().size(), 3);
    EXPECT_TRUE(m_pRecorder->m_records.isEmpty());

    // One transaction: the loaded children leave the tree, then the host, each reported once.
    m_pFake->reset();
    EXPECT_EQ(m_mediator.DeleteHost("h-1"), 0);
    EXPECT_EQ(transactions(), 1);
    EXPECT_TRUE(m_mediator.GetAllHostItems().isEmpty());
    ASSERT_EQ(m_pRecorder->m_records.size(), 2);
    QStringList lstChildren = m_pRecorder->m_records[0].ids;
    lstChildren.sort();
    EXPECT_EQ(lstChildren, (QStringList{"h-1-c0", "h-1-c1", "h-1-i0"}));
    EXPECT_EQ(m_pRecorder->m_records[0].op, otDelete);
    EXPECT_EQ(m_pRecorder->m_records[0].devType, 1);
    EXPECT_EQ(m_pRecorder->m_records[1].ids, QStringList{"h-1"});
    EXPECT_EQ(m_pRecorder->m_records[1].op, otDelete);
    EXPECT_EQ(m_pRecorder->m_records[1].devType, 5);
    // The removed items and the signals' vectors wait for the deferred deletion.
    EXPECT_EQ(CLS_CommonHandle::GetInstance()->PendingCount(), iPending + 6);
}

// An id held by an item that is not a host is refused, and nothing is written.
TEST_F(TreeMediator, ModifyOrInsertDevRefusesTheIdOfAnItemThatIsNotAHost)
{
    LogCapture log;
    Common::STRCT_DevItem dev;
    dev.S_ID = "h-1-c0";
    dev.I_TYPE = 2;
    EXPECT_EQ(m_mediator.ModifyOrInsertDev(&dev), -1);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::ModifyOrInsertDev pVideoItem->GetType() != vitHost"));
    EXPECT_TRUE(m_pFake->requests.isEmpty());
    EXPECT_TRUE(m_pRecorder->m_records.isEmpty());
}

TEST_F(TreeMediator, UpdateHostStopsAtAFailedWriteAndKeepsCaptionsThatCouldNotBeStored)
{
    LogCapture log;
    STRCT_VideoHost update = *host();
    update.m_vecChilds.clear();
    update.m_strIP = "10.0.0.2";

    // The host row cannot be written: nothing else is sent, nothing changes.
    answer(0, R"({"result":"OK","data":{"ret":[]}})");  // the stored row: none
    answer(0, kErrorAnswer);
    EXPECT_EQ(m_mediator.UpdateHost(&update), -1);
    EXPECT_EQ(m_pFake->requests.size(), 2);
    EXPECT_EQ(host()->m_strIP, "10.0.0.1");
    EXPECT_TRUE(m_pRecorder->m_records.isEmpty());

    // The host is written, the new captions are not: the children keep theirs, the host shows
    // its stored row, and the update reports the failure.
    m_pFake->reset();
    answer(0, R"({"result":"OK","data":{"ret":[]}})");
    answer(0, R"({"result":"OK","data":{"ret":0}})");
    answer(0, kErrorAnswer);
    EXPECT_EQ(m_mediator.UpdateHost(&update), -1);
    EXPECT_TRUE(log.has(2, "CLS_DataMediator::UpdateHost SetObjectCaptions iRet = (-1)"))
        << qPrintable(log.dump());
    EXPECT_EQ(host()->m_strIP, "10.0.0.2");
    EXPECT_EQ(children()[0]->m_strCaption, "Channel 1");
    ASSERT_EQ(m_pRecorder->m_records.size(), 1);
    EXPECT_EQ(m_pRecorder->m_records[0].ids, QStringList{"h-1"});

    // A counter that is not a number is refused; an empty one asks for no change.
    m_pFake->reset();
    update.m_strChannelCount = "many";
    update.m_strAlarmInCount = "";
    EXPECT_EQ(m_mediator.UpdateHost(&update), 0);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::UpdateHost iNewChlCount = (-1)"));
    EXPECT_EQ(children().size(), 3);
    EXPECT_EQ(transactions(), 1);
}

TEST_F(TreeMediator, HostCaptionsOfChildrenAreStoredInOneTransaction)
{
    STRCT_VideoHost update = *host();
    update.m_vecChilds.clear();
    update.m_strIP = "10.9.9.9";
    ASSERT_EQ(m_mediator.UpdateHost(&update), 0);
    const FakeRequest& captions = m_pFake->requests[2];
    EXPECT_EQ(captions.command, QString("ExecuteTransactionEx"));
    EXPECT_EQ(statementsOf(captions),
              QVector<QString>(3, "UPDATE TAB_OBJ SET S_CAPTION=:newCaption WHERE S_ID=:objId").toList());
    EXPECT_EQ(
        captions.request.value("bindValues").toArray(),
        QJsonDocument::fromJson(R"([{"bindValue":{":newCaption":"10.9.9.9-Channel 1",":objId":"h-1-c0"}},
                                          {"bindValue":{":newCaption":"10.9.9.9-Channel 2",":objId":"h-1-c1"}},
                                          {"bindValue":{":newCaption":"10.9.9.9-AlarmIn 1",":objId":"h-1-i0"}}])")
            .array());
    // No captions, nothing sent; an empty id is refused.
    m_pFake->reset();
    EXPECT_EQ(CLS_DataAccess::GetInstance().SetObjectCaptions({}), 0);
    EXPECT_EQ(CLS_DataAccess::GetInstance().SetObjectCaptions({{"", "x"}}), -1);
    EXPECT_TRUE(m_pFake->requests.isEmpty());
}

TEST_F(TreeMediator, DefenceStateChangesOnlyWhenStored)
{
    LogCapture log;
    answer(0, kErrorAnswer);
    EXPECT_EQ(m_mediator.UpdateRefenceState("h-1-c0", 0), -1);
    EXPECT_EQ(m_mediator.GetRefenceStateById("h-1-c0"), 1);
    EXPECT_EQ(m_mediator.UpdateRefenceState("h-1-c0", 0), 0);
    EXPECT_EQ(m_mediator.GetRefenceStateById("h-1-c0"), 0);
    EXPECT_EQ(lastRequest().request.value("sqlexec").toString(),
              QString("UPDATE TAB_CHANNEL SET I_ENABLE_DEFENCE=:newStates WHERE S_ID=:channelId"));
    m_pFake->reset();
    EXPECT_EQ(m_mediator.UpdateRefenceState("resource_root_id", 0), -1);
    EXPECT_EQ(m_mediator.UpdateRefenceState("nowhere", 0), -1);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::UpdateRefenceState m_mapResourceData.end() == iterItem"));
    EXPECT_TRUE(m_pFake->requests.isEmpty());
}

TEST_F(TreeMediator, ProxyLookUpsNeedAHostAsParent)
{
    LogCapture log;
    int iProxyType = -5;
    QString strHostID;
    EXPECT_FALSE(m_mediator.GetProxyType("", iProxyType));
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::GetProxyType _qstrChannelId.isEmpty()"));
    EXPECT_FALSE(m_mediator.GetProxyType("nowhere", iProxyType));
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::GetProxyType pStrctVideoItem == nullptr"));
    EXPECT_EQ(iProxyType, -5);
    EXPECT_FALSE(m_mediator.IsALiP2PDev("nowhere", strHostID));
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::IsALiP2PDev nullptr == pStrctVideoHostItem"));
    EXPECT_TRUE(strHostID.isEmpty());
    // A child whose parent is in the tree but is not a host.
    STRCT_VideoAlarmOut orphan;
    orphan.m_strID = "o-1";
    orphan.m_strParentID = "h-1-c0";
    ASSERT_EQ(m_mediator.InsertAlarmOut(&orphan), 0);
    EXPECT_FALSE(m_mediator.GetProxyType("o-1", iProxyType));
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::GetProxyType  pStrctVideoHostItem->GetType() != vitHost"));
    EXPECT_FALSE(m_mediator.IsALiP2PDev("o-1", strHostID));
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::IsALiP2PDev pStrctVideoHostItem->GetType() = 4"));
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::InsertAlarmOut nullptr == pHostItem"));
    EXPECT_TRUE(m_mediator.GetProxyType("h-1-c0", iProxyType));
    EXPECT_EQ(iProxyType, 1);
}
