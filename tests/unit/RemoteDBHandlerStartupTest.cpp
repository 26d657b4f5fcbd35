// Runs in its own process: it needs the handler uninitialised at start.
#include "HandlerTestSupport.h"
#include "LogCapture.h"

#include <QTemporaryDir>
#include <QThread>

#include <future>
#include <thread>

namespace {
struct StatusCall
{
    int cmd;
    int param;
    void* user;
};
QList<StatusCall> g_statusCalls;
void recordStatus(int _iCmd, int _iParam, void* _pUser)
{
    g_statusCalls.append({_iCmd, _iParam, _pUser});
}
int g_userTag = 0;
}  // namespace

// Binding and start-up. The handler's state is per process, so these run in one ordered test.
TEST(RemoteDBHandlerStartup, BindingAndConnectionStart)
{
    LogCapture log;

    EXPECT_EQ(CLS_RemoteDBHandler::InitDb("", 9562), -1);
    EXPECT_EQ(CLS_RemoteDBHandler::InitDb("127.0.0.1", 0), -1);
    EXPECT_TRUE(log.has(3, "CLS_RemoteDBHandler::InitDb param invalid."));
    EXPECT_FALSE(CLS_RemoteDBHandler::m_bIsInitialized);
    EXPECT_TRUE(CLS_RemoteDBHandler::m_strServerIP.isEmpty());

    // Not initialised: no thread is started.
    EXPECT_EQ(CLS_RemoteDBHandler::CreateDBConnection(), -1);
    EXPECT_EQ(CLS_RemoteDBHandler::m_dbThread, nullptr);
    EXPECT_TRUE(log.has(
        2, "CreatWebsocketConnection !m_bIsInitialized(0) || m_strServerIP == nullptr || m_iPort(0)"));

    // A folder without the library: load fails, logged at level 4, and may be retried later.
    QTemporaryDir empty;
    EXPECT_FALSE(CLS_WebSocketSDK::LoadAndExportLibrary(empty.path()));
    EXPECT_TRUE(log.hasPart(4, "CLS_WebSocketSDK::LoadAndExportLibrary DllPath=" + empty.path()));

    EXPECT_EQ(CLS_RemoteDBHandler::InitDb("127.0.0.1", 9562), 0);
    EXPECT_TRUE(CLS_RemoteDBHandler::m_bIsInitialized);
    EXPECT_EQ(CLS_RemoteDBHandler::InitDb("192.168.1.10", 7000), 0);
    EXPECT_EQ(CLS_RemoteDBHandler::m_strServerIP, QString("127.0.0.1"));
    EXPECT_EQ(CLS_RemoteDBHandler::m_iPort, 9562);

    FakeWebSocketState* pFake = fakeState();
    ASSERT_NE(pFake, nullptr);
    pFake->reset();
    CLS_RemoteDBHandler::SetDBCallback(&recordStatus, &g_userTag);
    g_statusCalls.clear();

    auto status = std::async(std::launch::async, [] { return CLS_RemoteDBHandler::CreateDBConnection(); });
    // The thread creates the client and connects channel 1; the status stays 0 meanwhile.
    for (int i = 0; i < 500; ++i) {
        QMutexLocker locker(&pFake->mutex);
        if (!pFake->connects.isEmpty()) {
            break;
        }
        locker.unlock();
        QThread::msleep(2);
    }
    ASSERT_EQ(pFake->connects.size(), 1);
    EXPECT_EQ(pFake->connects[0], qMakePair(1, QString("wss://127.0.0.1:9562")));
    EXPECT_EQ(status.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    EXPECT_TRUE(log.has(2, "DB Thread start processEvents!"));

    CLS_RemoteDBHandler::WebSocketCallback(1, 1, QString(), nullptr);
    EXPECT_EQ(pFake->connects.last(), qMakePair(2, QString("wss://127.0.0.1:9563")));
    EXPECT_EQ(CLS_RemoteDBHandler::m_iConnectedStatus.load(), 0);
    CLS_RemoteDBHandler::WebSocketCallback(2, 1, QString(), nullptr);
    EXPECT_EQ(status.get(), 1);
    EXPECT_EQ(pFake->connects.last(), qMakePair(3, QString("ws://127.0.0.1:9564")));
    CLS_RemoteDBHandler::WebSocketCallback(3, 1, QString(), nullptr);
    EXPECT_EQ(pFake->connects.last(), qMakePair(4, QString("wss://127.0.0.1:9565")));
    CLS_RemoteDBHandler::WebSocketCallback(4, 1, QString(), nullptr);
    EXPECT_TRUE(CLS_RemoteDBHandler::m_bFinishFirstConnect.load());
    EXPECT_EQ(CLS_RemoteDBHandler::m_iConnectedStatus.load(), 1);
    EXPECT_EQ(pFake->connects.size(), 4);

    // One client and one thread per process: a second call reports the status and makes no
    // other. (Should it start another, the driver brings that one up so that the call returns.)
    const int iCreated = pFake->created;
    DBThread* const pThread = CLS_RemoteDBHandler::m_dbThread;
    std::thread driver([] {
        QThread::msleep(300);
        CLS_RemoteDBHandler::WebSocketCallback(1, 1, QString(), nullptr);
    });
    EXPECT_EQ(CLS_RemoteDBHandler::CreateDBConnection(), 1);
    driver.join();
    EXPECT_EQ(pFake->created, iCreated);
    EXPECT_EQ(CLS_RemoteDBHandler::m_dbThread, pThread);
    g_statusCalls.removeLast();  // the driver's event

    // Only channel 1 reaches the status callback.
    ASSERT_EQ(g_statusCalls.size(), 1);
    EXPECT_EQ(g_statusCalls[0].cmd, 1);
    EXPECT_EQ(g_statusCalls[0].param, 1);
    EXPECT_EQ(g_statusCalls[0].user, &g_userTag);

    // ExecNotify swaps its arguments.
    g_statusCalls.clear();
    CLS_RemoteDBHandlerTestAccess::notify(5, 7);
    ASSERT_EQ(g_statusCalls.size(), 1);
    EXPECT_EQ(g_statusCalls[0].cmd, 7);
    EXPECT_EQ(g_statusCalls[0].param, 5);
}

