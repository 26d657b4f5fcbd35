#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "HandlerTestSupport.h"
#include "LibraryLoader/CLS_WebSocketSDK.h"
#include "LogCapture.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLibrary>
#include <QTemporaryDir>
#include <QThread>

#include <future>

#include <gtest/gtest.h>

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

// ---- status state machine, one row per event ----

struct StatusCase
{
    const char* name;
    int statusBefore;
    bool finishedBefore;
    int channel;
    int event;
    int nextChannelConnected;  // what the channel query answers for the channel that would be started
    int connectResult;         // what connect answers for it
    int statusAfter;
    bool finishedAfter;
    int connectChannel;   // channel connected by the callback, 0 for none
    int callbackParam;    // status callback parameter, 0 for no call
    const char* logLine;  // expected level-2 line, or null
};

class StatusMachine : public ::testing::TestWithParam<StatusCase>
{
};

TEST_P(StatusMachine, Event)
{
    const StatusCase& c = GetParam();
    FakeWebSocketState* pFake = fakeState();
    ASSERT_NE(pFake, nullptr);
    ensureHandlerStarted();
    ASSERT_NE(CLS_RemoteDBHandler::m_pWebSocket, nullptr);
    pFake->reset();
    const int iNext = c.channel == 2 ? 3 : c.channel + 1;
    if (iNext >= 1 && iNext <= 4) {
        pFake->connected[iNext] = c.nextChannelConnected;
        pFake->connectResult[iNext] = c.connectResult;
    }
    CLS_RemoteDBHandlerTestAccess::setState(c.statusBefore, c.finishedBefore);
    CLS_RemoteDBHandler::SetDBCallback(&recordStatus, &g_userTag);
    g_statusCalls.clear();
    LogCapture log;

    CLS_RemoteDBHandler::WebSocketCallback(
        c.channel, c.event,
        c.event == 4 ? QString(c.logLine).section("BroadcastNotify ", 1).chopped(1) : QString(), nullptr);

    EXPECT_EQ(CLS_RemoteDBHandler::m_iConnectedStatus.load(), c.statusAfter);
    EXPECT_EQ(CLS_RemoteDBHandler::m_bFinishFirstConnect.load(), c.finishedAfter);
    if (c.connectChannel == 0) {
        EXPECT_TRUE(pFake->connects.isEmpty());
    } else {
        ASSERT_EQ(pFake->connects.size(), 1);
        EXPECT_EQ(pFake->connects[0].first, c.connectChannel);
    }
    if (c.callbackParam == 0) {
        EXPECT_TRUE(g_statusCalls.isEmpty());
    } else {
        ASSERT_EQ(g_statusCalls.size(), 1);
        EXPECT_EQ(g_statusCalls[0].cmd, 1);
        EXPECT_EQ(g_statusCalls[0].param, c.callbackParam);
        EXPECT_EQ(g_statusCalls[0].user, &g_userTag);
    }
    if (c.logLine != nullptr) {
        EXPECT_TRUE(log.has(2, c.logLine)) << log.dump().toStdString();
    }
    CLS_RemoteDBHandlerTestAccess::setState(1, true);
}

const char* const kStartRestore =
    "CLS_RemoteDBHandler::WebSocketCallback BroadcastNotify Start restoring database.";
const char* const kRestoreDone =
    "CLS_RemoteDBHandler::WebSocketCallback BroadcastNotify Restore database complete.";

INSTANTIATE_TEST_SUITE_P(
    RemoteDBHandler, StatusMachine,
    ::testing::Values(
        StatusCase{"ch1OpenStartsCh2", 0, false, 1, 1, 0, 1, 0, false, 2, 1, nullptr},
        StatusCase{"ch1OpenCh2NotStartable", 0, false, 1, 1, 0, 0, -17, false, 2, 1, nullptr},
        StatusCase{"ch1OpenCh2AlreadyOpen", 0, false, 1, 1, 1, 1, 0, false, 0, 1, nullptr},
        StatusCase{"ch2OpenFromFailure", -34, false, 2, 1, 0, 1, 1, false, 3, 0, nullptr},
        StatusCase{"ch2OpenCh3NotStartable", 0, false, 2, 1, 0, 0, -33, false, 3, 0, nullptr},
        StatusCase{"ch3OpenCh4NotStartable", 1, false, 3, 1, 0, 0, -49, false, 4, 0, nullptr},
        StatusCase{"ch4OpenFinishesChain", -50, false, 4, 1, 0, 1, 1, true, 0, 0, nullptr},
        StatusCase{"ch1Closed", 1, true, 1, 2, 0, 1, -18, true, 0, 2,
                   "CLS_RemoteDBHandler::WebSocketCallback 2"},
        StatusCase{"ch2ClosedNoCallback", 1, true, 2, 2, 0, 1, -34, true, 0, 0,
                   "CLS_RemoteDBHandler::WebSocketCallback 2"},
        StatusCase{"ch1ReopensAfterChain", -18, true, 1, 1, 0, 1, 1, true, 0, 1, nullptr},
        StatusCase{"ch3ReopensAfterChainUnchanged", -34, true, 3, 1, 0, 1, -34, true, 0, 0, nullptr},
        StatusCase{"ch2ReopensAfterChainNoConnect", -34, true, 2, 1, 0, 1, 1, true, 0, 0, nullptr},
        StatusCase{"ch4Error3", 1, true, 4, 3, 0, 1, -67, true, 0, 0,
                   "CLS_RemoteDBHandler::WebSocketCallback 3"},
        StatusCase{"ch1Error3NoCallback", 1, true, 1, 3, 0, 1, -19, true, 0, 0, nullptr},
        StatusCase{"unknownChannel", 1, true, 5, 1, 0, 1, 1, true, 0, 0, "_iServerType 5 not deal"},
        StatusCase{"broadcastStartRestore", 1, true, 3, 4, 0, 1, 1, true, 0, 0, kStartRestore},
        StatusCase{"broadcastRestoreDone", -34, true, 3, 4, 0, 1, -34, true, 0, 0, kRestoreDone},
        StatusCase{"broadcastOtherText", 1, true, 3, 4, 0, 1, 1, true, 0, 0,
                   "CLS_RemoteDBHandler::WebSocketCallback BroadcastNotify Restore database complete. ."}),
    [](const ::testing::TestParamInfo<StatusCase>& info) { return std::string(info.param.name); });

// ---- requests: what each command sends ----

TEST_F(RemoteDBHandlerRequests, EachCommandSendsItsMembersUnderItsName)
{
    QMap<QString, QVariant> binds{
        {":data", "abc"}, {":n", 5}, {":f", 1.5}, {":b", true}, {":null", QVariant()}};

    EXPECT_EQ(CLS_RemoteDBHandler::Execute("Tessel", "DELETE FROM T", 3, false), 0);
    FakeRequest r = lastRequest();
    EXPECT_EQ(r.command, QString("Execute"));
    EXPECT_EQ(r.timeoutOrSelector, 3);
    EXPECT_EQ(r.request, parseJson(R"({"DbName":"Tessel","sqlexec":"DELETE FROM T","isBroadcast":false})"));

    EXPECT_EQ(CLS_RemoteDBHandler::ExecuteEx("Tessel-record", "UPDATE T SET A=:data", binds, 7, true), 0);
    r = lastRequest();
    EXPECT_EQ(r.command, QString("ExecuteEx"));
    EXPECT_EQ(r.timeoutOrSelector, 7);
    EXPECT_EQ(r.request,
              parseJson(R"({"DbName":"Tessel-record","sqlexec":"UPDATE T SET A=:data","isBroadcast":true,
        "bindValue":{":data":"abc",":n":5,":f":1.5,":b":true,":null":null}})"));

    answer(0, R"({"result":"OK","data":{"ret":[]}})");
    RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQuery("Tessel", "SELECT 1", 3);
    ASSERT_NE(pRows, nullptr);
    delete pRows;
    r = lastRequest();
    EXPECT_EQ(r.command, QString("ExecuteQuery"));
    EXPECT_EQ(r.request, parseJson(R"({"DbName":"Tessel","sqlexec":"SELECT 1"})"));

    answer(0, R"({"result":"OK","data":{"ret":[]}})");
    pRows = CLS_RemoteDBHandler::ExecuteQueryEx("Tessel", "SELECT :data", {{":data", "abc"}}, 3);
    ASSERT_NE(pRows, nullptr);
    delete pRows;
    r = lastRequest();
    EXPECT_EQ(r.command, QString("ExecuteQueryEx"));
    EXPECT_EQ(r.request,
              parseJson(R"({"DbName":"Tessel","sqlexec":"SELECT :data","bindValue":{":data":"abc"}})"));

    EXPECT_EQ(CLS_RemoteDBHandler::ExecuteTransaction("Tessel", {"A", "B"}, 3), 0);
    r = lastRequest();
    EXPECT_EQ(r.command, QString("ExecuteTransaction"));
    EXPECT_EQ(r.request, parseJson(R"({"DbName":"Tessel","sqlexec":["A","B"]})"));

    EXPECT_EQ(CLS_RemoteDBHandler::ExecuteTransactionEx("Tessel", {"S1", "S2", "S3"},
                                                        {{{":a", 1}}, {}, {{":c", "x"}, {":d", 2}}}, 3),
              0);
    r = lastRequest();
    EXPECT_EQ(r.command, QString("ExecuteTransactionEx"));
    EXPECT_EQ(r.request, parseJson(R"({"DbName":"Tessel","sqlexec":["S1","S2","S3"],"bindValues":[
        {"bindValue":{":a":1}},{"bindValue":{}},{"bindValue":{":c":"x",":d":2}}]})"));
}

TEST_F(RemoteDBHandlerRequests, NothingIsSentWhileTheStatusIsNotOne)
{
    for (int iStatus : {0, -2, -18}) {
        CLS_RemoteDBHandlerTestAccess::setState(iStatus, true);
        LogCapture log;
        EXPECT_EQ(CLS_RemoteDBHandler::Execute("Tessel", "X", 3, false), -1);
        EXPECT_EQ(CLS_RemoteDBHandler::ExecuteEx("Tessel", "X", {}, 3, false), -1);
        EXPECT_EQ(CLS_RemoteDBHandler::ExecuteQuery("Tessel", "X", 3), nullptr);
        EXPECT_EQ(CLS_RemoteDBHandler::ExecuteQueryEx("Tessel", "X", {}, 3), nullptr);
        EXPECT_EQ(CLS_RemoteDBHandler::ExecuteTransaction("Tessel", {"X"}, 3), -1);
        EXPECT_EQ(CLS_RemoteDBHandler::ExecuteTransactionEx("Tessel", {"X"}, {{}}, 3), -1);
        for (const char* op : {"Execute", "ExecuteEx", "ExecuteQuery", "ExecuteQueryEx", "ExecuteTransaction",
                               "ExecuteTransactionEx"}) {
            EXPECT_TRUE(log.has(2, QString("CLS_RemoteDBHandler::%1 Connection invalid.").arg(op))) << op;
        }
    }
    EXPECT_TRUE(m_pFake->requests.isEmpty());
}

// ---- answer decoding, one row per answer ----

struct AnswerCase
{
    const char* name;
    int sendResult;
    const char* answer;
    int executeResult;       // what Execute returns for it
    int rowCount;            // what ExecuteQuery returns: -1 for null
    const char* level3Line;  // expected "DB error reason" line, or null
};

class AnswerDecoding : public RemoteDBHandlerRequests, public ::testing::WithParamInterface<AnswerCase>
{
};

TEST_P(AnswerDecoding, ExecuteAndQuery)
{
    const AnswerCase& c = GetParam();
    LogCapture log;
    answer(c.sendResult, c.answer);
    EXPECT_EQ(CLS_RemoteDBHandler::Execute("Tessel", "X", 3, false), c.executeResult);
    if (c.executeResult != 0) {
        EXPECT_TRUE(
            log.has(2, QString("[CLS_RemoteDBHandler::Execute]return:iRet = %1").arg(c.executeResult)))
            << log.dump().toStdString();
    } else {
        EXPECT_FALSE(log.hasPart(2, "return:iRet"));
    }
    if (c.level3Line != nullptr) {
        EXPECT_TRUE(log.has(3, c.level3Line)) << log.dump().toStdString();
    }

    log.clear();
    answer(c.sendResult, c.answer);
    RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQuery("Tessel", "SELECT", 3);
    if (c.rowCount < 0) {
        EXPECT_EQ(pRows, nullptr);
        EXPECT_TRUE(log.hasPart(2, "[CLS_RemoteDBHandler::ExecuteQuery][REQUEST]{"));
        EXPECT_TRUE(log.has(2, QString("[CLS_RemoteDBHandler::ExecuteQuery][RESPONSE]%1").arg(c.answer)));
    } else {
        ASSERT_NE(pRows, nullptr);
        EXPECT_EQ(pRows->size(), c.rowCount);
        EXPECT_FALSE(log.hasPart(2, "[REQUEST]"));
        qDeleteAll(*pRows);
        delete pRows;
    }
}

INSTANTIATE_TEST_SUITE_P(
    RemoteDBHandler, AnswerDecoding,
    ::testing::Values(AnswerCase{"okEmptyData", 0, R"({"result":"OK","data":{}})", 0, 0, nullptr},
                      AnswerCase{"okNoData", 0, R"({"result":"OK"})", 0, 0, nullptr},
                      AnswerCase{"retNineteen", 0, R"({"result":"OK","data":{"ret":19}})", 19, 0, nullptr},
                      AnswerCase{"retNegative", 0, R"({"result":"OK","data":{"ret":-19}})", -19, 0, nullptr},
                      // A "ret" that is not a whole number in the int range is a failed answer.
                      AnswerCase{"retNotANumber", 0, R"({"result":"OK","data":{"ret":"x"}})", -1, 0, nullptr},
                      AnswerCase{"retOverInt", 0, R"({"result":"OK","data":{"ret":4294967296}})", -1, 0, nullptr},
                      AnswerCase{"retFraction", 0, R"({"result":"OK","data":{"ret":1.5}})", -1, 0, nullptr},
                      AnswerCase{"retNull", 0, R"({"result":"OK","data":{"ret":null}})", -1, 0, nullptr},
                      AnswerCase{"emptyRows", 0, R"({"result":"OK","data":{"ret":[]}})", -1, 0, nullptr},
                      AnswerCase{"errorWithReason", 0, R"({"result":"ERROR","reason":"no such table: T"})",
                                 -1, -1, "DB error reason:no such table: T"},
                      AnswerCase{"lowerCaseOk", 0, R"({"result":"ok","data":{"ret":0}})", -1, -1, nullptr},
                      AnswerCase{"noResult", 0, R"({"data":{"ret":0}})", -1, -1, nullptr},
                      AnswerCase{"notJson", 0, "<html>", -1, -1, nullptr},
                      AnswerCase{"jsonArrayTop", 0, "[1,2]", -1, -1, nullptr},
                      AnswerCase{"emptyAnswer", 0, "", -1, -1, nullptr},
                      AnswerCase{"sendTimeout", -1002, "", -1002, -1, nullptr},
                      AnswerCase{"trailingGarbage", 0, R"({"result":"OK","data":{"ret":[]}} x)", -1, -1,
                                 nullptr}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST_F(RemoteDBHandlerRequests, AnswersThatAreNotJsonTextAreRefused)
{
    // Raw U+0000 never appears in JSON text; the decoder must not stop reading at it.
    answer(0, QString::fromUtf8(R"({"result":"OK","data":{"ret":[]}})") + QChar(0) + "garbage");
    EXPECT_EQ(CLS_RemoteDBHandler::ExecuteQuery("Tessel", "SELECT", 3), nullptr);
    // A lone low surrogate escape decodes without aborting.
    answer(0, R"({"result":"OK","data":{"ret":[{"record":[{"key":"K","value":"a\udc00b"}]}]}})");
    RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQuery("Tessel", "SELECT", 3);
    if (pRows != nullptr) {
        EXPECT_EQ(pRows->size(), 1);
        qDeleteAll(*pRows);
        delete pRows;
    }
}

TEST_F(RemoteDBHandlerRequests, AnAnswerRepeatingAMemberNameIsRefused)
{
    // Qt's parser would leak the first "x"; the answer is refused before it gets there.
    answer(0, R"({"result":"OK","data":{"ret":0},"x":[1,2,3],"x":1})");
    EXPECT_EQ(CLS_RemoteDBHandler::Execute("Tessel", "X", 3, false), -1);
    answer(0, R"({"result":"OK","data":{"ret":7}})");
    EXPECT_EQ(CLS_RemoteDBHandler::Execute("Tessel", "X", 3, false), 7);
    // The same rule on the query path, wherever the repeat is.
    for (const char* pszAnswer : {R"({"result":"OK","data":{"ret":[]},"data":{"ret":[]}})",
                                  R"({"result":"OK","data":{"ret":[{"record":[{"key":"K","key":"L","value":"v"}]}]}})",
                                  R"({"result":"ERROR","result":"OK","data":{"ret":[]}})"}) {
        answer(0, pszAnswer);
        RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQuery("Tessel", "SELECT", 3);
        EXPECT_EQ(pRows, nullptr) << pszAnswer;
        CLS_BaseEntityDAO::FreeRecordSet(pRows);
    }
}

TEST_F(RemoteDBHandlerRequests, RowsBecomeRecordMaps)
{
    answer(0, R"({"result":"OK","data":{"ret":[
        {"record":[{"key":"S_ID","value":"1"},{"key":"I_TYPE","value":"3"}]},
        {"record":[{"key":"N","value":5},{"key":"B","value":true},{"key":"Z","value":null},{"key":"S","value":"a"},
                   {"key":"S","value":"b"}]},
        {"norecord":1},
        {"record":[{"key":"U","value":"\u00e9\u4e2d\n\"q\""}]}]}})");
    RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQueryEx("Tessel", "SELECT", {{":data", "abc"}}, 3);
    ASSERT_NE(pRows, nullptr);
    ASSERT_EQ(pRows->size(), 4);
    EXPECT_EQ(*pRows->at(0), (QMap<QString, QString>{{"S_ID", "1"}, {"I_TYPE", "3"}}));
    // Values that are not strings read as empty texts; a repeated key keeps its last value.
    EXPECT_EQ(*pRows->at(1), (QMap<QString, QString>{{"N", ""}, {"B", ""}, {"Z", ""}, {"S", "b"}}));
    EXPECT_TRUE(pRows->at(2)->isEmpty());
    EXPECT_EQ(pRows->at(3)->value("U"), QString::fromUtf8("\xc3\xa9\xe4\xb8\xad\n\"q\""));
    qDeleteAll(*pRows);
    delete pRows;
}
