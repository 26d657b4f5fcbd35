// The mediator's signals across threads: every signal the interface declares reaches a receiver
// on another thread through Qt::QueuedConnection, with its arguments copied at emission, and the
// tree operations made on a worker thread reach a queued receiver on the main thread.
#include "I_DataMediator.h"
#include "IntegrationFixture.h"
#include "VideoItem.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaMethod>
#include <QThread>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

const auto* const g_env =
    ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"itsignals01", true, {}}));

// Warnings Qt writes while a case runs ("Cannot queue arguments of type ...").
class WarningCapture
{
public:
    WarningCapture() { s_pPrevious = qInstallMessageHandler(&WarningCapture::handle); }
    ~WarningCapture() { qInstallMessageHandler(s_pPrevious); }
    static QStringList& warnings()
    {
        static QStringList s_lst;
        return s_lst;
    }

private:
    static void handle(QtMsgType _type, const QMessageLogContext& _ctx, const QString& _strMsg)
    {
        if (_type == QtWarningMsg) {
            warnings() << _strMsg;
        }
        if (s_pPrevious != nullptr) {
            s_pPrevious(_type, _ctx, _strMsg);
        }
    }
    static inline QtMessageHandler s_pPrevious = nullptr;
};

bool processEventsUntil(const std::function<bool()>& _pred, int _iMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!_pred() && timer.elapsed() < _iMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return _pred();
}

// Runs _fn on a thread of its own and waits for it; the main thread's event loop does not run
// meanwhile, so a queued call can only arrive afterwards.
void onWorker(const std::function<void()>& _fn)
{
    std::unique_ptr<QThread> pThread(QThread::create(_fn));
    pThread->start();
    pThread->wait();
}

std::string warningsText()
{
    return WarningCapture::warnings().join('\n').toStdString();
}

// What a queued receiver saw of one change signal.
struct Seen
{
    bool bArrived = false;
    bool bOnMainThread = false;
    OperationType op = otInsert;
    int iDevType = 0;
    void* pParam = nullptr;
    std::vector<std::string> vecIDs;
};

void seeItems(Seen& _seen, const QVector<STRCT_VideoItem*>& _vec, OperationType _op, int _iDevType,
              void* _pParam)
{
    _seen.bArrived = true;
    _seen.bOnMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    _seen.op = _op;
    _seen.iDevType = _iDevType;
    _seen.pParam = _pParam;
    for (const STRCT_VideoItem* pItem : _vec) {
        _seen.vecIDs.push_back(pItem->m_strID);
    }
}

class SignalsTest : public LoggedInTest
{
protected:
    QObject m_receiver;  // lives on the main thread
};

// One case per signal: emitted on a worker thread, received on the main thread through a queued
// connection with the arguments as they were at emission (the vectors are changed right after).
TEST_F(SignalsTest, EverySignalQueuesAcrossThreadsWithItsArguments)
{
    WarningCapture capture;
    I_DataMediator& m = m_mediator;
    STRCT_VideoHost host;
    host.m_strID = "queued-host";
    STRCT_VideoChannel channel;
    channel.m_strID = "queued-channel";
    int iParam = 0;

    struct Case
    {
        const char* pszSignal;
        std::function<void(Seen&)> fnConnect;
        std::function<void()> fnEmit;
        std::vector<std::string> vecIDs;
        OperationType op;
        int iDevType;
    };
    std::vector<Case> vecCases = {
        {"SignResourceDataChangeCallback",
         [&](Seen& _seen) {
             QObject::connect(
                 &m, &I_DataMediator::SignResourceDataChangeCallback, &m_receiver,
                 [&_seen](const QVector<STRCT_VideoItem*>* _p, OperationType _op, int _iDev, void* _pParam) {
                     seeItems(_seen, *_p, _op, _iDev, _pParam);
                 },
                 Qt::QueuedConnection);
         },
         // The resource vector travels by pointer and stays alive until the receiver ran.
         [&] {
             static QVector<STRCT_VideoItem*> s_vec;
             s_vec = {&host, &channel};
             emit m.SignResourceDataChangeCallback(&s_vec, otDelete, 1, &iParam);
         },
         {"queued-host", "queued-channel"},
         otDelete,
         1},
        {"SignCustomTreeDataChangeCallback",
         [&](Seen& _seen) {
             QObject::connect(
                 &m, &I_DataMediator::SignCustomTreeDataChangeCallback, &m_receiver,
                 [&_seen](QVector<STRCT_VideoItem*>& _vec, OperationType _op, int _iDev, void* _pParam) {
                     seeItems(_seen, _vec, _op, _iDev, _pParam);
                 },
                 Qt::QueuedConnection);
         },
         [&] {
             QVector<STRCT_VideoItem*> vec{&channel};
             emit m.SignCustomTreeDataChangeCallback(vec, otSort, 9, &iParam);
             vec.clear();  // the receiver holds its own copy
         },
         {"queued-channel"},
         otSort,
         9},
        {"SignPassengerFlowCustomTreeDataChangeCallback",
         [&](Seen& _seen) {
             QObject::connect(
                 &m, &I_DataMediator::SignPassengerFlowCustomTreeDataChangeCallback, &m_receiver,
                 [&_seen](QVector<STRCT_VideoItem*> _vec, OperationType _op, int _iDev, void* _pParam) {
                     seeItems(_seen, _vec, _op, _iDev, _pParam);
                 },
                 Qt::QueuedConnection);
         },
         [&] {
             QVector<STRCT_VideoItem*> vec{&host};
             emit m.SignPassengerFlowCustomTreeDataChangeCallback(vec, otUpdate, 9, &iParam);
             vec.append(&channel);
         },
         {"queued-host"},
         otUpdate,
         9},
        {"SignUpdateViewSuccess",
         [&](Seen& _seen) {
             QObject::connect(
                 &m, &I_DataMediator::SignUpdateViewSuccess, &m_receiver,
                 [&_seen] { seeItems(_seen, {}, otInsert, 0, nullptr); }, Qt::QueuedConnection);
         },
         [&] { emit m.SignUpdateViewSuccess(); },
         {},
         otInsert,
         0},
        {"SignUpdateP2PSvrLst",
         [&](Seen& _seen) {
             QObject::connect(
                 &m, &I_DataMediator::SignUpdateP2PSvrLst, &m_receiver,
                 [&_seen] { seeItems(_seen, {}, otInsert, 0, nullptr); }, Qt::QueuedConnection);
         },
         [&] { emit m.SignUpdateP2PSvrLst(); },
         {},
         otInsert,
         0},
        {"SignDBStatuaChange",
         [&](Seen& _seen) {
             QObject::connect(
                 &m, &I_DataMediator::SignDBStatuaChange, &m_receiver,
                 [&_seen](int _iStatus) { seeItems(_seen, {}, otInsert, _iStatus, nullptr); },
                 Qt::QueuedConnection);
         },
         [&] { emit m.SignDBStatuaChange(2); },
         {},
         otInsert,
         2},
        {"SignSendCar",
         [&](Seen& _seen) {
             QObject::connect(
                 &m, &I_DataMediator::SignSendCar, &m_receiver,
                 [&_seen] { seeItems(_seen, {}, otInsert, 0, nullptr); }, Qt::QueuedConnection);
         },
         [&] { emit m.SignSendCar(); },
         {},
         otInsert,
         0},
    };

    // The table names every signal the interface declares, so a new one cannot go untested.
    QStringList lstDeclared;
    const QMetaObject& meta = I_DataMediator::staticMetaObject;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        if (meta.method(i).methodType() == QMetaMethod::Signal) {
            lstDeclared << QString::fromLatin1(meta.method(i).name());
        }
    }
    QStringList lstTested;
    for (const Case& c : vecCases) {
        lstTested << QString::fromLatin1(c.pszSignal);
    }
    lstDeclared.sort();
    lstTested.sort();
    EXPECT_EQ(lstDeclared, lstTested);

    for (const Case& c : vecCases) {
        SCOPED_TRACE(c.pszSignal);
        WarningCapture::warnings().clear();
        Seen seen;
        c.fnConnect(seen);
        onWorker(c.fnEmit);
        EXPECT_FALSE(seen.bArrived) << "a queued call arrives only through the receiver's event loop";
        EXPECT_TRUE(processEventsUntil([&] { return seen.bArrived; })) << warningsText();
        EXPECT_TRUE(seen.bOnMainThread);
        EXPECT_EQ(seen.vecIDs, c.vecIDs);
        EXPECT_EQ(seen.op, c.op);
        EXPECT_EQ(seen.iDevType, c.iDevType);
        if (!c.vecIDs.empty()) {
            EXPECT_EQ(seen.pParam, &iParam);
        }
        EXPECT_TRUE(WarningCapture::warnings().isEmpty()) << warningsText();
        m.disconnect(&m_receiver);
    }
}

// A client's pattern: the blocking calls on a worker thread, the changes delivered to the main
// thread by queued connections while the items they name are still alive.
TEST_F(SignalsTest, TreeChangesMadeOnAWorkerReachAQueuedReceiver)
{
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);
    Seen resource;
    Seen custom;
    Seen flow;
    QObject::connect(
        &m_mediator, &I_DataMediator::SignResourceDataChangeCallback, &m_receiver,
        [&](const QVector<STRCT_VideoItem*>* _p, OperationType _op, int _iDev, void* _pParam) {
            if (_op == otInsert) {
                seeItems(resource, *_p, _op, _iDev, _pParam);
            }
        },
        Qt::QueuedConnection);
    QObject::connect(
        &m_mediator, &I_DataMediator::SignCustomTreeDataChangeCallback, &m_receiver,
        [&](QVector<STRCT_VideoItem*>& _vec, OperationType _op, int _iDev, void* _pParam) {
            seeItems(custom, _vec, _op, _iDev, _pParam);
        },
        Qt::QueuedConnection);
    QObject::connect(
        &m_mediator, &I_DataMediator::SignPassengerFlowCustomTreeDataChangeCallback, &m_receiver,
        [&](QVector<STRCT_VideoItem*> _vec, OperationType _op, int _iDev, void* _pParam) {
            seeItems(flow, _vec, _op, _iDev, _pParam);
        },
        Qt::QueuedConnection);

    int iHost = -100;
    int iGroup = -100;
    int iFlowGroup = -100;
    QString strGroup;
    QString strFlowGroup;
    onWorker([&] {
        STRCT_VideoHost host;
        host.m_strID = "worker-host";
        host.m_strNodeID = host.m_strID;
        host.m_strCaption = "Worker host";
        host.m_strIP = "10.9.9.9";
        host.m_iHostDevType = 1;
        host.m_iDevType = 1;
        iHost = m_mediator.InsertHost(&host);
        iGroup = m_mediator.InsertCustomTreeGroup("custom_root_id", "worker group", strGroup);
        iFlowGroup = m_mediator.InsertPassengerFlowGroup("custom_root_id", "worker hall", strFlowGroup);
    });
    ASSERT_EQ(iHost, 0);
    ASSERT_EQ(iGroup, 0);
    ASSERT_EQ(iFlowGroup, 0);
    ASSERT_TRUE(processEventsUntil([&] { return resource.bArrived && custom.bArrived && flow.bArrived; }));
    EXPECT_TRUE(resource.bOnMainThread && custom.bOnMainThread && flow.bOnMainThread);
    EXPECT_EQ(resource.vecIDs, std::vector<std::string>{"worker-host"});
    EXPECT_EQ(custom.op, otInsert);
    EXPECT_EQ(custom.vecIDs, std::vector<std::string>{strGroup.toStdString()});
    EXPECT_EQ(flow.op, otInsert);
    EXPECT_EQ(flow.vecIDs, std::vector<std::string>{strFlowGroup.toStdString()});
}

}  // namespace
