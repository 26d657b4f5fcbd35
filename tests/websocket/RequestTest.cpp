// Requests and answers: matching under concurrency, timeouts, broadcasts, bad frames, closing
// and destroying while callers wait, and the choice of lane.
#include "TestSupport.h"

#include <QJsonDocument>
#include <QTimer>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <random>

using namespace wstest;

namespace {

QString compact(const QJsonObject& _object)
{
    return QString::fromUtf8(QJsonDocument(_object).toJson(QJsonDocument::Compact));
}

// Answers "<id>\n<body>" after _iDelayMs.
void answerLater(QWebSocket* _pPeer, const Request& _request, int _iDelayMs, const QString& _strBody)
{
    const QString strFrame = _request.strId + QLatin1Char('\n') + _strBody;
    QTimer::singleShot(_iDelayMs, _pPeer, [_pPeer, strFrame] { _pPeer->sendTextMessage(strFrame); });
}

class Requests : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(m_server.listen(), 0);
        m_client = makeClient();
        ASSERT_EQ(m_client->Connect(1, m_server.url(), EventLog::callback, &m_events), 1);
        ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_OPENED));
    }

    IsolatedConfig m_config;
    EventLog m_events;
    TestServer m_server;
    ClientPtr m_client;
};

// The server answers in shuffled batches, so answers overtake each other all the time.
TEST_F(Requests, ConcurrentCallersEachGetTheirOwnAnswer)
{
    struct Held
    {
        QWebSocket* pPeer;
        QString strFrame;
    };
    auto held = std::make_shared<std::vector<Held>>();
    auto reordered = std::make_shared<std::atomic<int>>(0);
    auto rng = std::make_shared<std::mt19937>(12345);
    auto timer = std::make_shared<QTimer*>(nullptr);
    auto flush = [held, reordered, rng] {
        std::vector<Held> batch;
        batch.swap(*held);
        std::vector<size_t> order(batch.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::shuffle(order.begin(), order.end(), *rng);
        if (!std::is_sorted(order.begin(), order.end()))
            ++*reordered;
        for (const size_t i : order)
            batch[i].pPeer->sendTextMessage(batch[i].strFrame);
    };
    m_server.run([this, timer, flush] {
        *timer = new QTimer(m_server.context());
        (*timer)->setSingleShot(true);
        (*timer)->setInterval(1);
        QObject::connect(*timer, &QTimer::timeout, flush);
    });
    m_server.setHandler([held, timer, flush](QWebSocket* pPeer, const QString& strMessage) {
        const auto request = parseRequest(strMessage);
        if (!request)
            return;
        held->push_back(Held{pPeer, request->strId + QLatin1Char('\n') + request->strBody});
        if (held->size() >= 6)
            flush();
        else if (!(*timer)->isActive())
            (*timer)->start();
    });

    constexpr int kThreads = 8;
    constexpr int kPerThread = 500;
    std::vector<std::future<int>> results;
    for (int t = 0; t < kThreads; ++t) {
        results.push_back(std::async(std::launch::async, [this, t] {
            int iWrong = 0;
            for (int i = 0; i < kPerThread; ++i) {
                const QJsonObject request{
                    {"thread", t}, {"seq", i}, {"pad", QString(i % 50, QLatin1Char('x'))}};
                QString strAnswer;
                const int iResult = m_client->SendAndWait(QStringLiteral("Execute"), request, strAnswer, 10);
                if (iResult != WS_SEND_OK || strAnswer != compact(request))
                    ++iWrong;
            }
            return iWrong;
        }));
    }
    for (auto& result : results)
        EXPECT_EQ(result.get(), 0);
    EXPECT_EQ(m_client->PendingRequests(), 0);
    EXPECT_GT(reordered->load(), 0);
}

TEST_F(Requests, TimeoutReturnsAndTheLateAnswerReachesNobody)
{
    m_server.setHandler([](QWebSocket* pPeer, const QString& strMessage) {
        const auto request = parseRequest(strMessage);
        if (!request)
            return;
        // "Slow" answers after its caller gave up (1 s) but while "Fast" still waits.
        if (request->strCommand == QLatin1String("Slow"))
            answerLater(pPeer, *request, 1300, QStringLiteral("{\"who\":\"slow\"}"));
        else
            answerLater(pPeer, *request, 600, QStringLiteral("{\"who\":\"fast\"}"));
    });
    QString strAnswer = QStringLiteral("untouched");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(m_client->SendAndWait(QStringLiteral("Slow"), QJsonObject{}, strAnswer, 1), WS_SEND_TIMEOUT);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 1s);
    EXPECT_LT(elapsed, 2s);
    EXPECT_EQ(strAnswer, QStringLiteral("untouched"));
    EXPECT_EQ(m_client->PendingRequests(), 0);

    ASSERT_EQ(m_client->SendAndWait(QStringLiteral("Fast"), QJsonObject{}, strAnswer, 3), WS_SEND_OK);
    EXPECT_EQ(strAnswer, QStringLiteral("{\"who\":\"fast\"}"));
    EXPECT_EQ(m_server.requests(), 2);
}

TEST_F(Requests, NonPositiveTimeoutWaitsThreeSeconds)
{
    m_server.setHandler([](QWebSocket*, const QString&) {});
    QString strAnswer;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(m_client->SendAndWait(QStringLiteral("Execute"), QJsonObject{}, strAnswer, 0), WS_SEND_TIMEOUT);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 3s);
    EXPECT_LT(elapsed, 4500ms);
}

TEST_F(Requests, BadArgumentsAndNoLane)
{
    QString strAnswer = QStringLiteral("untouched");
    for (const char* pName : {"", "Execute Query", "Execute\n", "Exec_Query"}) {
        EXPECT_EQ(m_client->SendAndWait(QString::fromLatin1(pName), QJsonObject{}, strAnswer, 1),
                  WS_SEND_BAD_ARGUMENT)
            << pName;
        EXPECT_EQ(m_client->Post(QString::fromLatin1(pName), QJsonObject{}), WS_SEND_BAD_ARGUMENT) << pName;
    }
    EXPECT_EQ(m_server.requests(), 0);

    ClientPtr unconnected = makeClient();
    EXPECT_EQ(unconnected->SendAndWait(QStringLiteral("Execute"), QJsonObject{}, strAnswer, 1),
              WS_SEND_NOT_CONNECTED);
    EXPECT_EQ(unconnected->SendAndWaitSelected(QStringLiteral("Execute"), QJsonObject{}, strAnswer, 3),
              WS_SEND_NOT_CONNECTED);
    EXPECT_EQ(unconnected->Post(QStringLiteral("Execute"), QJsonObject{}), WS_SEND_NOT_CONNECTED);
    EXPECT_EQ(strAnswer, QStringLiteral("untouched"));
}

TEST_F(Requests, PostSendsAndDropsTheAnswer)
{
    ASSERT_EQ(m_client->Post(QStringLiteral("Execute"), QJsonObject{{"posted", 1}}), WS_SEND_OK);
    ASSERT_TRUE(m_server.waitForRequests(1));
    QString strAnswer;
    ASSERT_EQ(m_client->SendAndWait(QStringLiteral("Execute"), QJsonObject{{"waited", 1}}, strAnswer, 3),
              WS_SEND_OK);
    EXPECT_EQ(strAnswer, QStringLiteral("{\"waited\":1}"));
    EXPECT_EQ(m_client->PendingRequests(), 0);
}

TEST_F(Requests, BroadcastReachesTheCallbackWithItsText)
{
    ASSERT_EQ(m_client->Connect(3, m_server.url(), EventLog::callback, &m_events), 1);
    ASSERT_TRUE(m_events.waitFor(3, WS_EVENT_OPENED));
    m_server.sendToAll(QStringLiteral("*\nTAB_CACHE_EVENT\nchanged"));
    m_server.sendToAll(QStringLiteral("*\n"));
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_BROADCAST, 2));
    ASSERT_TRUE(m_events.waitFor(3, WS_EVENT_BROADCAST, 2));
    std::vector<QString> texts;
    for (const Event& e : m_events.events()) {
        if (e.iChannel == 3 && e.iEvent == WS_EVENT_BROADCAST)
            texts.push_back(e.strText);
    }
    EXPECT_EQ(texts, (std::vector<QString>{QStringLiteral("TAB_CACHE_EVENT\nchanged"), QString()}));
}

// Before each answer the server sends frames that must not be taken for it (nor crash anything).
TEST_F(Requests, BadFramesFromTheServerAreDropped)
{
    m_server.setHandler([](QWebSocket* pPeer, const QString& strMessage) {
        const auto request = parseRequest(strMessage);
        if (!request)
            return;
        const QString& id = request->strId;
        const QStringList junk = {
            QStringLiteral("0\n{\"result\":\"ERROR\",\"code\":\"bad-frame\"}"),
            QString(),
            QStringLiteral("\n{}"),
            id,
            id + QStringLiteral("x\n{\"wrong\":1}"),
            QLatin1Char(' ') + id + QStringLiteral("\n{\"wrong\":2}"),
            QLatin1Char('-') + id + QStringLiteral("\n{\"wrong\":3}"),
            id + QStringLiteral("\r\n{\"wrong\":4}"),
            id + QLatin1Char(' ') + request->strCommand + QStringLiteral("\n{\"wrong\":5}"),
            QStringLiteral("99999999999999999999\n{}"),
            QStringLiteral("9223372036854775807\n{\"nobody\":1}"),
            QStringLiteral("*"),
            QString(200000, QLatin1Char('9')),
        };
        for (const QString& frame : junk)
            pPeer->sendTextMessage(frame);
        pPeer->sendBinaryMessage(id.toLatin1() + "\n{\"binary\":1}");
        pPeer->sendTextMessage(id + QLatin1Char('\n') + request->strBody);
    });
    clearLibraryLog();
    for (int i = 0; i < 3; ++i) {
        QString strAnswer;
        ASSERT_EQ(m_client->SendAndWait(QStringLiteral("Execute"), QJsonObject{{"i", i}}, strAnswer, 3),
                  WS_SEND_OK);
        EXPECT_EQ(strAnswer, QStringLiteral("{\"i\":%1}").arg(i));
    }
    EXPECT_EQ(m_events.total(), 1);  // only "opened"
    EXPECT_NE(m_client->IsConnected(1), 0);
    const QStringList log = libraryLog();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const QString& line) {
        return line.contains("could not read a request header");
    }));
}

TEST_F(Requests, ClosingFailsRequestsInFlightAtOnce)
{
    m_server.setHandler([](QWebSocket*, const QString&) {});
    constexpr int kWaiters = 4;
    std::vector<std::future<std::pair<int, std::chrono::steady_clock::duration>>> waiters;
    for (int i = 0; i < kWaiters; ++i) {
        waiters.push_back(std::async(std::launch::async, [this] {
            const auto start = std::chrono::steady_clock::now();
            QString strAnswer;
            const int iResult =
                m_client->SendAndWait(QStringLiteral("Execute"), QJsonObject{}, strAnswer, 30);
            return std::make_pair(iResult, std::chrono::steady_clock::now() - start);
        }));
    }
    ASSERT_TRUE(m_server.waitForRequests(kWaiters));
    m_server.closePeers();
    for (auto& waiter : waiters) {
        const auto [iResult, elapsed] = waiter.get();
        EXPECT_EQ(iResult, WS_SEND_CLOSED);
        EXPECT_LT(elapsed, 5s);
    }
    EXPECT_EQ(m_client->PendingRequests(), 0);
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_CLOSED));
    // The server still listens: the channel comes back by itself.
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_OPENED, 2));
}

// Created on one thread, destroyed on another while callers wait.
TEST(Shutdown, DeleteWakesEveryWaiterAndStopsCallbacks)
{
    IsolatedConfig config;
    EventLog events;
    TestServer server;
    ASSERT_NE(server.listen(), 0);
    server.setHandler([](QWebSocket*, const QString&) {});

    I_WebSocket* pClient = nullptr;
    std::thread([&] { pClient = CreatWebsocket(); }).join();
    ASSERT_NE(pClient, nullptr);
    ASSERT_EQ(pClient->Connect(1, server.url(), EventLog::callback, &events), 1);
    ASSERT_TRUE(events.waitFor(1, WS_EVENT_OPENED));

    constexpr int kWaiters = 4;
    std::vector<std::future<int>> waiters;
    for (int i = 0; i < kWaiters; ++i) {
        waiters.push_back(std::async(std::launch::async, [pClient] {
            QString strAnswer;
            return pClient->SendAndWaitSelected(QStringLiteral("Backup"), QJsonObject{}, strAnswer, 3);
        }));
    }
    ASSERT_TRUE(server.waitForRequests(kWaiters));
    const auto start = std::chrono::steady_clock::now();
    int iDeleted = -2;
    std::thread([&] { iDeleted = DeleteWebsocket(pClient); }).join();
    EXPECT_EQ(iDeleted, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    for (auto& waiter : waiters)
        EXPECT_EQ(waiter.get(), WS_SEND_SHUTDOWN);

    const int iEvents = events.total();
    server.sendToAll(QStringLiteral("*\nafter"));
    server.stop();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(events.total(), iEvents);
}

struct LaneCase
{
    const char* pName;
    std::vector<int> open;  // channels connected, each to a server of its own
    bool bLoopbackPlain;
    bool bMaintenance;  // SendAndWaitSelected with the selector 3
    int iExpected;      // channel that must carry the request; 0: none can
};

TEST(Lanes, RequestsTakeTheDocumentedLane)
{
    const LaneCase cases[] = {
        {"loopback plain on: channel 3", {1, 3}, true, false, 3},
        {"loopback plain off: channel 1", {1, 3}, false, false, 1},
        {"channel 2 when 1 is not open", {2, 3}, false, false, 2},
        {"channel 4 last", {3, 4}, false, false, 4},
        {"channel 3 alone, plain off", {3}, false, false, 0},
        {"selector 3: channel 4", {1, 3, 4}, true, true, 4},
        {"selector 3 without 4: channel 3", {1, 3}, true, true, 3},
        {"selector 3 without 4, plain off: channel 1", {1, 3}, false, true, 1},
    };
    for (const LaneCase& c : cases) {
        SCOPED_TRACE(c.pName);
        IsolatedConfig config;
        EventLog events;
        std::vector<std::unique_ptr<TestServer>> servers;
        ClientPtr client = makeClient();
        ASSERT_EQ(client->SetOption(QStringLiteral("loopback_plain"), c.bLoopbackPlain ? "1" : "0"), 0);
        for (const int iChannel : c.open) {
            servers.push_back(std::make_unique<TestServer>());
            TestServer& server = *servers.back();
            ASSERT_NE(server.listen(), 0);
            server.setHandler([iChannel](QWebSocket* pPeer, const QString& strMessage) {
                if (const auto request = parseRequest(strMessage))
                    pPeer->sendTextMessage(request->strId + QStringLiteral("\n%1").arg(iChannel));
            });
            const QString strHost = iChannel == 3 ? QStringLiteral("localhost") : QStringLiteral("127.0.0.1");
            ASSERT_EQ(client->Connect(iChannel, server.url(strHost), EventLog::callback, &events), 1);
            ASSERT_TRUE(events.waitFor(iChannel, WS_EVENT_OPENED));
        }
        QString strAnswer;
        const int iResult =
            c.bMaintenance
                ? client->SendAndWaitSelected(QStringLiteral("Execute"), QJsonObject{}, strAnswer, 3)
                : client->SendAndWait(QStringLiteral("Execute"), QJsonObject{}, strAnswer, 3);
        if (c.iExpected == 0) {
            EXPECT_EQ(iResult, WS_SEND_NOT_CONNECTED);
        } else {
            EXPECT_EQ(iResult, WS_SEND_OK);
            EXPECT_EQ(strAnswer, QString::number(c.iExpected));
        }
    }
}

}  // namespace

namespace {

// The reader answers the server's pings itself while callers write their frames: every pong must
// arrive whole and no request frame may be cut by one.
TEST_F(Requests, PingsFromTheServerAreAnsweredWhileCallersWrite)
{
    auto pongs = std::make_shared<std::atomic<int>>(0);
    m_server.setHandler([pongs](QWebSocket* pPeer, const QString& strMessage) {
        if (pPeer->property("pongCounted").isNull()) {
            pPeer->setProperty("pongCounted", true);
            QObject::connect(pPeer, &QWebSocket::pong, pPeer, [pongs](quint64, const QByteArray& payload) {
                if (payload == "are you there")
                    ++*pongs;
            });
        }
        pPeer->ping("are you there");
        echo(pPeer, strMessage);
    });
    constexpr int kThreads = 4;
    constexpr int kPerThread = 250;
    std::vector<std::future<int>> results;
    for (int t = 0; t < kThreads; ++t) {
        results.push_back(std::async(std::launch::async, [this, t] {
            int iWrong = 0;
            for (int i = 0; i < kPerThread; ++i) {
                const QJsonObject request{{"t", t}, {"i", i}, {"pad", QString(i % 300, QLatin1Char('x'))}};
                QString strAnswer;
                if (m_client->SendAndWait(QStringLiteral("Execute"), request, strAnswer, 10) != WS_SEND_OK ||
                    strAnswer != compact(request))
                    ++iWrong;
            }
            return iWrong;
        }));
    }
    for (auto& result : results)
        EXPECT_EQ(result.get(), 0);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (pongs->load() < kThreads * kPerThread && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(pongs->load(), kThreads * kPerThread);
    EXPECT_EQ(m_events.total(), 1);  // only "opened"
}

}  // namespace
