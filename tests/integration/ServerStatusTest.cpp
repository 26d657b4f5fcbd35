// The server's own figures through the mediator: what a client reads, that they move with the
// traffic, and that a stopped or frozen server is a failure that leaves the caller's figures alone.
#include "CLS_RemoteDBHandler.h"
#include "IntegrationFixture.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <csignal>

namespace {

using itest::waitFor;

I_DataMediator* g_pMediator = nullptr;

// The administrator is stored, so the main database holds rows when the figures are read.
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment(IntegrationOptions{
    "5e7a75000000001a", true, {}, nullptr, nullptr, [] { g_pMediator = CreateMediator(); },
    [] { DeleteMediator(g_pMediator); }}));

int status()
{
    return CLS_RemoteDBHandler::m_iConnectedStatus.load();
}

QJsonObject byKey(const QJsonArray& _array, const QString& _strKey, const QString& _strValue)
{
    for (const QJsonValue& value : _array) {
        if (value.toObject().value(_strKey).toString() == _strValue) {
            return value.toObject();
        }
    }
    return QJsonObject();
}

TEST(ServerStatus, ReportsTheFiguresAndTheirGrowth)
{
    QJsonObject first;
    ASSERT_EQ(g_pMediator->GetServerStatus(first), 0);
    EXPECT_FALSE(first.contains("ret"));
    EXPECT_FALSE(first.value("version").toString().isEmpty());
    EXPECT_GE(first.value("uptimeS").toDouble(-1), 0);
    const QJsonArray channels = first.value("channels").toArray();
    ASSERT_EQ(channels.size(), 4);
    int iOpen = 0;
    for (const QJsonValue& channel : channels) {
        iOpen += channel.toObject().value("connections").toInt();
    }
    EXPECT_GE(iOpen, 1) << "this client's own connection";
    const QJsonObject tessel = byKey(first.value("databases").toArray(), "name", "Tessel");
    EXPECT_TRUE(tessel.value("exists").toBool()) << QJsonDocument(first).toJson().toStdString();
    EXPECT_GT(tessel.value("bytes").toDouble(), 0);

    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(itest::scalar("Tessel", "SELECT 1"), 1);
    }
    QJsonObject second;
    ASSERT_EQ(g_pMediator->GetServerStatus(second), 0);
    // The five queries and the first status read were served in between.
    EXPECT_GE(second.value("served").toDouble(), first.value("served").toDouble() + 6);
    const QJsonObject statusCommand = byKey(second.value("commands").toArray(), "command", "ServerStatus");
    EXPECT_GE(statusCommand.value("served").toDouble(), 1);
    EXPECT_GE(statusCommand.value("p99Ms").toDouble(), statusCommand.value("p50Ms").toDouble());
}

// A frozen server (no answer within the wait) and a stopped one: a negative code, and the figures
// the caller already had stay as they were.
TEST(ServerStatus, NoAnswerIsAFailureThatKeepsTheLastFigures)
{
    ServerProcess& server = IntegrationEnvironment::instance().server();
    const QJsonObject kept{{"served", 41}};
    QJsonObject figures = kept;

    ASSERT_EQ(::kill(static_cast<pid_t>(server.pid()), SIGSTOP), 0);
    QElapsedTimer timer;
    timer.start();
    const int iFrozen = g_pMediator->GetServerStatus(figures);
    const qint64 iWaitedMs = timer.elapsed();
    ASSERT_EQ(::kill(static_cast<pid_t>(server.pid()), SIGCONT), 0);
    EXPECT_LT(iFrozen, 0);
    EXPECT_LT(iWaitedMs, 20000) << "the status read waits a bounded time";
    EXPECT_EQ(figures, kept);

    ASSERT_TRUE(waitFor([] { return status() == 1; }, 20000)) << status();
    ASSERT_TRUE(waitFor([&] { return g_pMediator->GetServerStatus(figures) == 0; }, 20000));
    figures = kept;

    ASSERT_TRUE(server.stop()) << server.output().toStdString();
    ASSERT_TRUE(waitFor([] { return status() != 1; }, 10000)) << status();
    EXPECT_LT(g_pMediator->GetServerStatus(figures), 0);
    EXPECT_EQ(figures, kept);

    ASSERT_TRUE(server.start()) << server.output().toStdString();
    ASSERT_TRUE(waitFor([] { return status() == 1; }, 20000)) << status();
    EXPECT_EQ(g_pMediator->GetServerStatus(figures), 0);
    EXPECT_TRUE(figures.value("channels").isArray());
}

}  // namespace
