// Channels: opening, automatic reconnection, failures, closing for good, handshake headers.
#include "TestSupport.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QThread>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

using namespace wstest;

namespace {

class Connection : public ::testing::Test
{
protected:
    IsolatedConfig m_config;
    EventLog m_events;
    TestServer m_server;
};

TEST_F(Connection, OpensAndReportsOpenedOnTheSocketThread)
{
    ASSERT_NE(m_server.listen(), 0);
    ClientPtr client = makeClient();
    EXPECT_EQ(client->ChannelState(1), 0);
    ASSERT_EQ(client->Connect(1, m_server.url(), EventLog::callback, &m_events), 1);
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_OPENED));

    EXPECT_NE(client->IsConnected(1), 0);
    EXPECT_EQ(client->ChannelState(1), 2);
    EXPECT_EQ(client->ChannelUrl(1), m_server.url());
    EXPECT_EQ(client->IsConnected(2), 0);
    const std::vector<Event> events = m_events.events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_NE(events[0].thread, std::this_thread::get_id());

    QString strAnswer;
    EXPECT_EQ(client->SendAndWait(QStringLiteral("Execute"), QJsonObject{{"k", 1}}, strAnswer, 3),
              WS_SEND_OK);
    EXPECT_EQ(strAnswer, QStringLiteral("{\"k\":1}"));
}

TEST_F(Connection, SecondConnectOnAnOpenChannelDoesNothing)
{
    ASSERT_NE(m_server.listen(), 0);
    ClientPtr client = makeClient();
    ASSERT_EQ(client->Connect(1, m_server.url(), EventLog::callback, &m_events), 1);
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_OPENED));

    EventLog other;
    EXPECT_EQ(client->Connect(1, m_server.url(), EventLog::callback, &other), 1);
    // A round trip after the second Connect: anything it had started would have shown by now.
    QString strAnswer;
    ASSERT_EQ(client->SendAndWait(QStringLiteral("Execute"), QJsonObject{}, strAnswer, 3), WS_SEND_OK);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(m_server.connections(), 1);
    EXPECT_EQ(m_events.total(), 1);
    EXPECT_EQ(other.total(), 0);
    EXPECT_EQ(client->ChannelState(1), 2);
}

TEST_F(Connection, ReconnectsAfterTheServerGoesAwayAndComesBack)
{
    const quint16 uPort = m_server.listen();
    ASSERT_NE(uPort, 0);
    ClientPtr client = makeClient();
    ASSERT_EQ(client->Connect(1, m_server.url(), EventLog::callback, &m_events), 1);
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_OPENED));

    m_server.stop();
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_CLOSED));
    EXPECT_EQ(client->IsConnected(1), 0);
    EXPECT_EQ(client->ChannelState(1), 1);
    EXPECT_FALSE(client->LastError(1).isEmpty());
    QString strAnswer;
    EXPECT_EQ(client->SendAndWait(QStringLiteral("Execute"), QJsonObject{}, strAnswer, 1),
              WS_SEND_NOT_CONNECTED);

    // Several refused attempts while the server is away: reported neither as closed nor as errors.
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(m_events.count(1, WS_EVENT_CLOSED), 1);
    EXPECT_EQ(m_events.count(1, WS_EVENT_ERROR), 0);
    EXPECT_EQ(client->ChannelState(1), 1);

    ASSERT_EQ(m_server.listen(uPort), uPort);
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_OPENED, 2));
    EXPECT_EQ(client->ChannelState(1), 2);
    ASSERT_EQ(client->SendAndWait(QStringLiteral("Execute"), QJsonObject{{"again", true}}, strAnswer, 3),
              WS_SEND_OK);
    EXPECT_EQ(strAnswer, QStringLiteral("{\"again\":true}"));
    const std::vector<Event> events = m_events.events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].iEvent, WS_EVENT_OPENED);
    EXPECT_EQ(events[1].iEvent, WS_EVENT_CLOSED);
    EXPECT_EQ(events[2].iEvent, WS_EVENT_OPENED);
}

TEST_F(Connection, RefusedConnectReportsOneErrorAndKeepsTrying)
{
    const quint16 uPort = freePort();
    ASSERT_NE(uPort, 0);
    ClientPtr client = makeClient();
    ASSERT_EQ(
        client->Connect(2, QStringLiteral("ws://127.0.0.1:%1").arg(uPort), EventLog::callback, &m_events), 1);
    ASSERT_TRUE(m_events.waitFor(2, WS_EVENT_ERROR));
    EXPECT_FALSE(client->LastError(2).isEmpty());

    // Attempts at 100, 200 and 400 ms fail as well; none of them is reported again.
    std::this_thread::sleep_for(800ms);
    EXPECT_EQ(m_events.count(2, WS_EVENT_ERROR), 1);
    EXPECT_EQ(m_events.total(), 1);
    EXPECT_EQ(client->ChannelState(2), 1);

    ASSERT_EQ(m_server.listen(uPort), uPort);
    ASSERT_TRUE(m_events.waitFor(2, WS_EVENT_OPENED));
    EXPECT_EQ(client->ChannelState(2), 2);
}

TEST_F(Connection, WithoutReconnectAClosedChannelStaysClosed)
{
    ASSERT_NE(m_server.listen(), 0);
    ClientPtr client = makeClient();
    EXPECT_EQ(client->SetReconnect(true, 99), -1);
    ASSERT_EQ(client->SetReconnect(false, 0), 0);
    ASSERT_EQ(client->Connect(1, m_server.url(), EventLog::callback, &m_events), 1);
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_OPENED));

    m_server.closePeers();
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_CLOSED));
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(client->ChannelState(1), 0);
    EXPECT_EQ(m_server.connections(), 1);
    EXPECT_EQ(m_events.total(), 2);

    // A new Connect starts it again.
    ASSERT_EQ(client->Connect(1, m_server.url(), EventLog::callback, &m_events), 1);
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_OPENED, 2));
}

TEST_F(Connection, DisconnectClosesForGoodWithoutEvents)
{
    ASSERT_NE(m_server.listen(), 0);
    ClientPtr client = makeClient();
    ASSERT_EQ(client->Connect(1, m_server.url(), EventLog::callback, &m_events), 1);
    ASSERT_EQ(client->Connect(2, m_server.url(), EventLog::callback, &m_events), 1);
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_OPENED));
    ASSERT_TRUE(m_events.waitFor(2, WS_EVENT_OPENED));

    EXPECT_EQ(client->Disconnect(0), -1);
    EXPECT_EQ(client->Disconnect(1), 0);
    EXPECT_EQ(client->IsConnected(1), 0);
    EXPECT_EQ(client->ChannelState(1), 0);
    EXPECT_NE(client->IsConnected(2), 0);
    // Requests move to the next lane.
    QString strAnswer;
    EXPECT_EQ(client->SendAndWait(QStringLiteral("Execute"), QJsonObject{}, strAnswer, 3), WS_SEND_OK);

    EXPECT_EQ(client->DisconnectAll(), 0);
    EXPECT_EQ(client->ChannelState(2), 0);
    EXPECT_EQ(client->SendAndWait(QStringLiteral("Execute"), QJsonObject{}, strAnswer, 1),
              WS_SEND_NOT_CONNECTED);
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(m_server.connections(), 2);
    EXPECT_EQ(m_events.total(), 2);
}

TEST_F(Connection, DisconnectStopsAChannelThatIsRetrying)
{
    ClientPtr client = makeClient();
    ASSERT_EQ(client->Connect(1, QStringLiteral("ws://127.0.0.1:%1").arg(freePort()), EventLog::callback,
                              &m_events),
              1);
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_ERROR));
    EXPECT_EQ(client->Disconnect(1), 0);
    EXPECT_EQ(client->ChannelState(1), 0);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(client->ChannelState(1), 0);
    EXPECT_EQ(m_events.total(), 1);
}

TEST_F(Connection, RejectsBadChannelsAndUrls)
{
    struct Case
    {
        int iChannel;
        const char* pUrl;
    };
    const QString strGood = QStringLiteral("ws://127.0.0.1:%1").arg(freePort());
    const Case cases[] = {
        {0, nullptr},
        {5, nullptr},
        {-1, nullptr},
        {1, ""},
        {1, "http://127.0.0.1:9562"},
        {1, "ws://127.0.0.1"},
        {1, "ws://:9562"},
        {1, "ws://127.0.0.1:0"},
        {1, "not a url"},
        {1, "ws://127.0.0.1:99999"},
        {1, "127.0.0.1:9562"},
    };
    ClientPtr client = makeClient();
    for (const Case& c : cases) {
        const QString strUrl = c.pUrl != nullptr ? QString::fromLatin1(c.pUrl) : strGood;
        SCOPED_TRACE(QStringLiteral("channel %1, URL %2").arg(c.iChannel).arg(strUrl).toStdString());
        EXPECT_EQ(client->Connect(c.iChannel, strUrl, EventLog::callback, &m_events), 0);
        EXPECT_EQ(client->ChannelState(c.iChannel), 0);
        if (c.iChannel == 1) {
            EXPECT_FALSE(client->LastError(1).isEmpty());
        }
    }
    EXPECT_EQ(client->ChannelUrl(1), QString());
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(m_events.total(), 0);
}

TEST_F(Connection, HandshakeCarriesProtocolVersionAndTokenOnlyWhenSet)
{
    ASSERT_NE(m_server.listen(), 0);
    ClientPtr client = makeClient();
    ASSERT_EQ(client->Connect(1, m_server.url(), EventLog::callback, &m_events), 1);
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_OPENED));
    EXPECT_EQ(m_server.handshakeHeader(0, "X-Tessel-Protocol"), QByteArray("1"));
    EXPECT_TRUE(m_server.handshakeHeader(0, "X-Tessel-Token").isNull());

    ASSERT_EQ(client->SetOption(QStringLiteral("token"), QStringLiteral("s3cret")), 0);
    ASSERT_EQ(client->Connect(2, m_server.url(), EventLog::callback, &m_events), 1);
    ASSERT_TRUE(m_events.waitFor(2, WS_EVENT_OPENED));
    EXPECT_EQ(m_server.handshakeHeader(1, "X-Tessel-Protocol"), QByteArray("1"));
    EXPECT_EQ(m_server.handshakeHeader(1, "X-Tessel-Token"), QByteArray("s3cret"));
}

TEST_F(Connection, ConnectMovesAChannelToANewUrl)
{
    ASSERT_NE(m_server.listen(), 0);
    TestServer second;
    ASSERT_NE(second.listen(), 0);
    second.setHandler([](QWebSocket* pPeer, const QString& strMessage) {
        if (const auto request = parseRequest(strMessage))
            pPeer->sendTextMessage(request->strId + QStringLiteral("\n\"second\""));
    });
    ClientPtr client = makeClient();
    ASSERT_EQ(client->Connect(1, m_server.url(), EventLog::callback, &m_events), 1);
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_OPENED));
    ASSERT_EQ(client->Connect(1, second.url(), EventLog::callback, &m_events), 1);
    ASSERT_TRUE(m_events.waitFor(1, WS_EVENT_OPENED, 2));
    EXPECT_EQ(client->ChannelUrl(1), second.url());
    QString strAnswer;
    ASSERT_EQ(client->SendAndWait(QStringLiteral("Execute"), QJsonObject{}, strAnswer, 3), WS_SEND_OK);
    EXPECT_EQ(strAnswer, QStringLiteral("\"second\""));

    // Away and back while the socket thread is held in a callback of channel 2: when it runs
    // again, the channel is where it was and must still count as open.
    struct Gate
    {
        std::mutex mutex;
        std::condition_variable cv;
        bool bHeld = false;
        bool bReleased = false;
    } gate;
    auto hold = [](int, int iEvent, const QString&, void* pUser) {
        auto* pGate = static_cast<Gate*>(pUser);
        if (iEvent != WS_EVENT_BROADCAST)
            return;
        std::unique_lock<std::mutex> lock(pGate->mutex);
        pGate->bHeld = true;
        pGate->cv.notify_all();
        pGate->cv.wait(lock, [pGate] { return pGate->bReleased; });
    };
    ASSERT_EQ(client->Connect(2, second.url(), hold, &gate), 1);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (client->IsConnected(2) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_NE(client->IsConnected(2), 0);
    second.sendToAll(QStringLiteral("*\nhold"));
    {
        std::unique_lock<std::mutex> lock(gate.mutex);
        ASSERT_TRUE(gate.cv.wait_for(lock, 5s, [&] { return gate.bHeld; }));
    }
    ASSERT_EQ(client->Connect(1, m_server.url(), EventLog::callback, &m_events), 1);
    ASSERT_EQ(client->Connect(1, second.url(), EventLog::callback, &m_events), 1);
    {
        std::lock_guard<std::mutex> lock(gate.mutex);
        gate.bReleased = true;
    }
    gate.cv.notify_all();
    // A Post rides the same queue: once its request arrived, the socket thread is past both Connects.
    const int iRequests = second.requests();
    ASSERT_EQ(client->Post(QStringLiteral("Execute"), QJsonObject{}), WS_SEND_OK);
    ASSERT_TRUE(second.waitForRequests(iRequests + 1));
    EXPECT_EQ(client->ChannelState(1), 2);
    ASSERT_EQ(client->SendAndWait(QStringLiteral("Execute"), QJsonObject{}, strAnswer, 3), WS_SEND_OK);
    EXPECT_EQ(strAnswer, QStringLiteral("\"second\""));
}

// The data layer loads the library by path and resolves the two C entry points.
TEST(EntryPoints, ResolveThroughQLibraryAndRefuseBadPointers)
{
    QLibrary library(QCoreApplication::applicationDirPath() + QStringLiteral("/libWebSocket.so"));
    ASSERT_TRUE(library.load()) << library.errorString().toStdString();
    auto pCreate = reinterpret_cast<PFN_CreatWebsocket>(library.resolve("CreatWebsocket"));
    auto pDelete = reinterpret_cast<PFN_DeleteWebsocket>(library.resolve("DeleteWebsocket"));
    ASSERT_NE(pCreate, nullptr);
    ASSERT_NE(pDelete, nullptr);
    EXPECT_EQ(library.resolve("_ZN6tessel2ws15WebSocketClientC1Ev"), nullptr);

    EXPECT_EQ(pDelete(nullptr), -1);
    IsolatedConfig config;
    I_WebSocket* pClient = pCreate();
    ASSERT_NE(pClient, nullptr);
    EXPECT_STREQ(pClient->GetVersion(), "tessel-websocket 1");
    EXPECT_EQ(pDelete(pClient), 0);
    EXPECT_EQ(pDelete(pClient), -1);
}

}  // namespace
