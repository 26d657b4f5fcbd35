// The commands, driven in-process through the dispatcher: request frame in, answer frame out.
#include "testsupport.h"

#include <QJsonDocument>

#include <atomic>
#include <thread>
#include <vector>

using namespace tessel::server;
using namespace tessel::server::test;

namespace {

const QString kTessel = QStringLiteral("Tessel");

class CommandTest : public DispatchTest
{
};

TEST_F(CommandTest, AnswerFrameIsExactlyAsDocumented)
{
    EXPECT_EQ(
        callRaw("17 ExecuteQueryEx\n{\"DbName\":\"Tessel\",\"sqlexec\":\"SELECT S_ID, S_NAME FROM TAB_ITEM "
                "WHERE S_NAME = :name\",\"bindValue\":{\":name\":\"seed\"}}"),
        QByteArray(
            "17\n{\"result\":\"OK\",\"data\":{\"ret\":[{\"record\":[{\"key\":\"S_ID\",\"value\":\"1\"},"
            "{\"key\":\"S_NAME\",\"value\":\"seed\"}]}]}}"));
    EXPECT_EQ(callRaw("18 Execute\n{\"DbName\":\"Tessel\",\"sqlexec\":\"UPDATE TAB_ITEM SET I_COUNT = 1\"}"),
              QByteArray("18\n{\"result\":\"OK\",\"data\":{\"ret\":0}}"));
    EXPECT_EQ(callRaw("19 ExecuteQuery\n{\"DbName\":\"Tessel\",\"sqlexec\":\"SELECT 1 WHERE 0\"}"),
              QByteArray("19\n{\"result\":\"OK\",\"data\":{\"ret\":[]}}"));
}

TEST_F(CommandTest, EachCommandDoesItsWork)
{
    QJsonObject a = call("Execute", {{"DbName", kTessel},
                                     {"sqlexec",
                                      "INSERT INTO TAB_ITEM VALUES (2, 'two', 2, "
                                      "NULL, NULL)"}});
    EXPECT_EQ(a.value("result"), "OK");
    EXPECT_EQ(a.value("data").toObject().value("ret"), 0);

    a = call("ExecuteEx",
             {{"DbName", kTessel},
              {"sqlexec", "INSERT INTO TAB_ITEM (S_ID, S_NAME, I_COUNT) VALUES (:id, :name, @n)"},
              {"bindValue", QJsonObject{{":id", 3}, {":name", "three"}, {"@n", 33}}},
              {"isBroadcast", true}});
    EXPECT_EQ(a.value("result"), "OK") << qPrintable(a.value("reason").toString());

    a = call("ExecuteTransaction",
             {{"DbName", kTessel},
              {"sqlexec", QJsonArray{"INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (4, 'four')",
                                     "UPDATE TAB_ITEM SET I_COUNT = 44 WHERE S_ID = 4"}}});
    EXPECT_EQ(a.value("result"), "OK") << qPrintable(a.value("reason").toString());

    a = call(
        "ExecuteTransactionEx",
        {{"DbName", kTessel},
         {"sqlexec", QJsonArray{"INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (:id, :name)",
                                "UPDATE TAB_ITEM SET I_COUNT = $n WHERE S_ID = :id"}},
         {"bindValues", QJsonArray{QJsonObject{{"bindValue", QJsonObject{{":id", 5}, {":name", "five"}}}},
                                   QJsonObject{{"bindValue", QJsonObject{{":id", 5}, {"$n", 55}}}}}}});
    EXPECT_EQ(a.value("result"), "OK") << qPrintable(a.value("reason").toString());

    a = call("ExecuteQuery", {{"DbName", kTessel},
                              {"sqlexec",
                               "SELECT S_ID, S_NAME, I_COUNT FROM TAB_ITEM ORDER BY "
                               "S_ID"}});
    ASSERT_EQ(a.value("result"), "OK");
    ASSERT_EQ(rowsOf(a).size(), 5);
    const char* names[] = {"seed", "two", "three", "four", "five"};
    const QJsonValue counts[] = {QJsonValue::Null, "2", "33", "44", "55"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(cell(a, i, "S_ID"), QString::number(i + 1));
        EXPECT_EQ(cell(a, i, "S_NAME"), names[i]);
        EXPECT_EQ(cell(a, i, "I_COUNT"), counts[i]) << i;
    }
}

TEST_F(CommandTest, ValuesAreStringsNullIsNull)
{
    const QString awkward = QString::fromUtf8(
        "quote \" backslash \\ newline\n tab\t nul-free \x01 \xE6\x97\xA5 \xF0\x9F\x98\x80");
    ASSERT_EQ(call("ExecuteEx",
                   {{"DbName", kTessel},
                    {"sqlexec", "INSERT INTO TAB_ITEM VALUES (9, :text, 9223372036854775807, :real, :blob)"},
                    {"bindValue", QJsonObject{{":text", awkward}, {":real", 0.1}}}})
                  .value("result"),
              "OK");
    const QJsonObject a = call("ExecuteQuery", {{"DbName", kTessel},
                                                {"sqlexec",
                                                 "SELECT S_NAME, I_COUNT, F_SCORE, B_DATA, "
                                                 "X'00FF10' AS RAW, 0.1 + 0.2 AS SUM, 3.0 AS THREE, "
                                                 "-5 AS NEG FROM TAB_ITEM WHERE S_ID = 9"}});
    ASSERT_EQ(rowsOf(a).size(), 1) << qPrintable(a.value("reason").toString());
    EXPECT_EQ(cell(a, 0, "S_NAME"), awkward);
    EXPECT_EQ(cell(a, 0, "I_COUNT"), "9223372036854775807");
    EXPECT_EQ(cell(a, 0, "F_SCORE"), "0.1");
    EXPECT_EQ(cell(a, 0, "B_DATA"), QJsonValue(QJsonValue::Null));
    EXPECT_EQ(cell(a, 0, "RAW"), "AP8Q");
    EXPECT_EQ(cell(a, 0, "SUM"), "0.30000000000000004");
    EXPECT_EQ(cell(a, 0, "THREE"), "3.0");
    EXPECT_EQ(cell(a, 0, "NEG"), "-5");
}

TEST_F(CommandTest, ColumnsKeepSelectOrderAndDuplicateNames)
{
    const QJsonObject a = query("SELECT 'z' AS Z, 'a' AS A, 'again' AS Z");
    const QJsonArray record = rowsOf(a).at(0).toObject().value("record").toArray();
    ASSERT_EQ(record.size(), 3);
    EXPECT_EQ(record.at(0).toObject().value("key"), "Z");
    EXPECT_EQ(record.at(1).toObject().value("key"), "A");
    EXPECT_EQ(record.at(2).toObject().value("key"), "Z");
    EXPECT_EQ(record.at(2).toObject().value("value"), "again");
}

struct BindCase
{
    const char* json;  // the value of ":v" as JSON text
    const char* sqlType;
    QJsonValue answered;
};

class BindTypingTest : public DispatchTest, public ::testing::WithParamInterface<BindCase>
{
};

TEST_P(BindTypingTest, JsonValueBindsWithItsType)
{
    const BindCase& c = GetParam();
    const QByteArray frame = QByteArray(
                                 "5 ExecuteQueryEx\n{\"DbName\":\"Tessel\",\"sqlexec\":\"SELECT typeof(:v) "
                                 "AS t, :v AS v\",\"bindValue\":{\":v\":") +
                             c.json + "}}";
    const QJsonObject a = parseAnswer(callRaw(frame), 5);
    ASSERT_EQ(a.value("result"), "OK") << qPrintable(a.value("reason").toString());
    EXPECT_EQ(cell(a, 0, "t"), c.sqlType) << c.json;
    EXPECT_EQ(cell(a, 0, "v"), c.answered) << c.json;
}

INSTANTIATE_TEST_SUITE_P(
    Binds, BindTypingTest,
    ::testing::Values(BindCase{"42", "integer", "42"}, BindCase{"-7", "integer", "-7"},
                      BindCase{"9007199254740993", "integer", "9007199254740993"},
                      BindCase{"-9223372036854775808", "integer", "-9223372036854775808"},
                      BindCase{"1.0", "integer", "1"}, BindCase{"2.5", "real", "2.5"},
                      BindCase{"9223372036854775808", "real", "9.223372036854776e+18"},
                      BindCase{"true", "integer", "1"}, BindCase{"false", "integer", "0"},
                      BindCase{"null", "null", QJsonValue(QJsonValue::Null)},
                      BindCase{"\"text\"", "text", "text"}, BindCase{"\"\"", "text", ""},
                      BindCase{"[1,\"a\"]", "text", "[1,\"a\"]"},
                      BindCase{"{\"k\":1}", "text", "{\"k\":1}"}));

TEST_F(CommandTest, UnboundParameterIsNullAndUnknownMemberIgnored)
{
    const QJsonObject a = query("SELECT :a AS a, :b AS b", {{":a", 1}, {":zzz", 2}, {"a", 3}});
    ASSERT_EQ(a.value("result"), "OK") << qPrintable(a.value("reason").toString());
    EXPECT_EQ(cell(a, 0, "a"), "1");
    EXPECT_EQ(cell(a, 0, "b"), QJsonValue(QJsonValue::Null));
}

TEST_F(CommandTest, CachedStatementForgetsEarlierBinds)
{
    const QString sql = QStringLiteral("SELECT :a AS a, :b AS b");
    EXPECT_EQ(cell(query(sql, {{":a", 1}, {":b", 2}}), 0, "b"), "2");
    const QJsonObject again = query(sql, {{":a", 3}});
    EXPECT_EQ(cell(again, 0, "a"), "3");
    EXPECT_EQ(cell(again, 0, "b"), QJsonValue(QJsonValue::Null));
}

struct BadCase
{
    const char* name;
    QByteArray frame;
    qint64 id;
    const char* code;
    const char* reasonPart;
};

class BadRequestTest : public DispatchTest, public ::testing::WithParamInterface<BadCase>
{
};

TEST_P(BadRequestTest, AnsweredWithCodeAndReason)
{
    const BadCase& c = GetParam();
    const QJsonObject a = parseAnswer(callRaw(c.frame), c.id);
    EXPECT_EQ(a.value("result"), "ERROR") << c.name;
    EXPECT_EQ(a.value("code").toString(), c.code) << c.name;
    EXPECT_TRUE(a.value("reason").toString().contains(QString::fromUtf8(c.reasonPart)))
        << c.name << ": " << qPrintable(a.value("reason").toString());
    EXPECT_FALSE(a.contains("data"));
    // The same connection goes on serving.
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_ITEM"), "1");
}

INSTANTIATE_TEST_SUITE_P(
    Requests, BadRequestTest,
    ::testing::Values(
        BadCase{"notJson", "7 Execute\nnot json", 7, "bad-json", "not valid JSON"},
        BadCase{"jsonArray", "7 Execute\n[1,2]", 7, "bad-json", "JSON object"},
        BadCase{"emptyBody", "7 Execute", 7, "bad-json", "JSON"},
        BadCase{"unknownCommand", "7 Frobnicate\n{}", 7, "unknown-command", "Frobnicate"},
        BadCase{"badHeader", "x Execute\n{}", 0, "bad-frame", "request id"},
        BadCase{"missingDbName", "7 Execute\n{\"sqlexec\":\"SELECT 1\"}", 7, "bad-request",
                "\"DbName\" is missing"},
        BadCase{"dbNameNotString", "7 Execute\n{\"DbName\":5,\"sqlexec\":\"SELECT 1\"}", 7, "bad-request",
                "\"DbName\" must be a string"},
        BadCase{"dbNamePath", "7 Execute\n{\"DbName\":\"../x\",\"sqlexec\":\"SELECT 1\"}", 7, "bad-database",
                "unknown database \"../x\""},
        BadCase{"dbNameOther", "7 Execute\n{\"DbName\":\"Other\",\"sqlexec\":\"SELECT 1\"}", 7,
                "bad-database", "Tessel-passengerFlow"},
        BadCase{"dbNameWithSuffix", "7 Execute\n{\"DbName\":\"Tessel.db\",\"sqlexec\":\"SELECT 1\"}", 7,
                "bad-database", "Tessel.db"},
        BadCase{"missingSql", "7 ExecuteQuery\n{\"DbName\":\"Tessel\"}", 7, "bad-request",
                "\"sqlexec\" is missing"},
        BadCase{"sqlNotString", "7 Execute\n{\"DbName\":\"Tessel\",\"sqlexec\":[\"SELECT 1\"]}", 7,
                "bad-request", "\"sqlexec\" must be a string"},
        BadCase{"missingBindValue", "7 ExecuteEx\n{\"DbName\":\"Tessel\",\"sqlexec\":\"SELECT 1\"}", 7,
                "bad-request", "\"bindValue\" is missing"},
        BadCase{"bindValueArray",
                "7 ExecuteQueryEx\n{\"DbName\":\"Tessel\",\"sqlexec\":\"SELECT 1\",\"bindValue\":[1]}", 7,
                "bad-request", "\"bindValue\" must be an object"},
        BadCase{"transactionSqlString",
                "7 ExecuteTransaction\n{\"DbName\":\"Tessel\",\"sqlexec\":\"SELECT 1\"}", 7, "bad-request",
                "array of strings"},
        BadCase{"transactionSqlElement",
                "7 ExecuteTransaction\n{\"DbName\":\"Tessel\",\"sqlexec\":[\"SELECT 1\",5]}", 7,
                "bad-request", "element 1"},
        BadCase{"bindValuesMissing",
                "7 ExecuteTransactionEx\n{\"DbName\":\"Tessel\",\"sqlexec\":[\"SELECT 1\"]}", 7,
                "bad-request", "\"bindValues\" is missing"},
        BadCase{"bindValuesLength",
                "7 ExecuteTransactionEx\n{\"DbName\":\"Tessel\",\"sqlexec\":[\"SELECT 1\",\"SELECT 2\"],"
                "\"bindValues\":[{\"bindValue\":{}}]}",
                7, "bad-request", "\"bindValues\" has 1 elements but \"sqlexec\" has 2"},
        BadCase{"bindValuesElement",
                "7 ExecuteTransactionEx\n{\"DbName\":\"Tessel\",\"sqlexec\":[\"SELECT "
                "1\"],\"bindValues\":[{\"x\":1}]}",
                7, "bad-request", "element 0 of \"bindValues\""},
        BadCase{"syntaxError", "7 Execute\n{\"DbName\":\"Tessel\",\"sqlexec\":\"SELEC 1\"}", 7, "sql",
                "syntax error"},
        BadCase{"noSuchTable", "7 ExecuteQuery\n{\"DbName\":\"Tessel\",\"sqlexec\":\"SELECT * FROM NOPE\"}",
                7, "sql", "no such table: NOPE"},
        BadCase{"constraint",
                "7 Execute\n{\"DbName\":\"Tessel\",\"sqlexec\":\"INSERT INTO TAB_ITEM (S_ID) VALUES (5)\"}",
                7, "sql", "NOT NULL constraint failed"},
        BadCase{"loneBegin", "7 Execute\n{\"DbName\":\"Tessel\",\"sqlexec\":\"BEGIN\"}", 7, "sql",
                "left a transaction open"}),
    [](const ::testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

TEST_F(CommandTest, SqlErrorsCarrySqliteResultCode)
{
    EXPECT_EQ(execute("SELEC 1").value("sqliteCode"), 1);  // SQLITE_ERROR
    EXPECT_EQ(execute("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (1, 'dup')").value("sqliteCode"),
              1555);  // SQLITE_CONSTRAINT_PRIMARYKEY
    EXPECT_FALSE(call("Execute", {{"sqlexec", "x"}}).contains("sqliteCode"));
}

TEST_F(CommandTest, FailedTransactionKeepsNothing)
{
    const QJsonObject plain =
        call("ExecuteTransaction",
             {{"DbName", kTessel},
              {"sqlexec", QJsonArray{"INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (10, 'a')",
                                     "UPDATE TAB_ITEM SET S_NAME = 'changed' WHERE S_ID = 1",
                                     "INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (10, 'again')",
                                     "INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (11, 'd')"}}});
    EXPECT_EQ(plain.value("result"), "ERROR");
    EXPECT_EQ(plain.value("code"), "sql");
    EXPECT_EQ(plain.value("failedStatement"), 2);
    EXPECT_TRUE(plain.value("reason").toString().contains("UNIQUE constraint failed"));

    const QJsonObject withBinds = call(
        "ExecuteTransactionEx",
        {{"DbName", kTessel},
         {"sqlexec", QJsonArray{"INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (:id, :name)",
                                "UPDATE TAB_ITEM SET S_NAME = :name WHERE S_ID = 1",
                                "INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (:id, :name)"}},
         {"bindValues",
          QJsonArray{QJsonObject{{"bindValue", QJsonObject{{":id", 12}, {":name", "x"}}}},
                     QJsonObject{{"bindValue", QJsonObject{{":name", "changed"}}}},
                     QJsonObject{{"bindValue", QJsonObject{{":id", 13}, {":name", QJsonValue::Null}}}}}}});
    EXPECT_EQ(withBinds.value("failedStatement"), 2);
    EXPECT_TRUE(withBinds.value("reason").toString().contains("NOT NULL"));

    EXPECT_EQ(scalar("SELECT group_concat(S_ID || S_NAME) FROM TAB_ITEM"), "1seed");
    // The connection is out of the failed transaction: the next one commits normally.
    EXPECT_EQ(call("ExecuteTransaction",
                   {{"DbName", kTessel},
                    {"sqlexec", QJsonArray{"INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (20, 'ok')"}}})
                  .value("result"),
              "OK");
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_ITEM"), "2");
}

TEST_F(CommandTest, TransactionMayNotEndItself)
{
    const QJsonObject a =
        call("ExecuteTransaction",
             {{"DbName", kTessel},
              {"sqlexec", QJsonArray{"INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (30, 'a')", "ROLLBACK",
                                     "INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (31, 'b')"}}});
    EXPECT_EQ(a.value("result"), "ERROR");
    EXPECT_EQ(a.value("failedStatement"), 1);
    // A COMMIT inside is redundant: everything still commits together at the end.
    const QJsonObject b =
        call("ExecuteTransaction",
             {{"DbName", kTessel},
              {"sqlexec", QJsonArray{"INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (32, 'a')", "COMMIT",
                                     "INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (1, 'dup')"}}});
    EXPECT_EQ(b.value("failedStatement"), 2);
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_ITEM"), "1");
}

TEST_F(CommandTest, TextWithSeveralStatements)
{
    // All run; a query answers the rows of its last row-returning statement.
    const QJsonObject q = query(
        "INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (:id, 'multi'); SELECT 'first' AS f; "
        "SELECT S_NAME AS n FROM TAB_ITEM WHERE S_ID = :id; UPDATE TAB_ITEM SET I_COUNT = 5 WHERE S_ID = "
        ":id;",
        {{":id", 40}});
    ASSERT_EQ(q.value("result"), "OK") << qPrintable(q.value("reason").toString());
    ASSERT_EQ(rowsOf(q).size(), 1);
    EXPECT_EQ(cell(q, 0, "n"), "multi");
    EXPECT_EQ(scalar("SELECT I_COUNT FROM TAB_ITEM WHERE S_ID = 40"), "5");

    // All or nothing: a failing later statement takes the earlier ones back.
    const QJsonObject failed =
        execute("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (41, 'x'); INSERT INTO NOPE VALUES (1)");
    EXPECT_EQ(failed.value("code"), "sql");
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_ITEM WHERE S_ID = 41"), "0");

    // A text that brings its own BEGIN/COMMIT runs as one transaction too.
    EXPECT_EQ(execute("BEGIN TRANSACTION; INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (42, 'x'); COMMIT;")
                  .value("result"),
              "OK");
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_ITEM WHERE S_ID = 42"), "1");

    // The second run comes from the statement cache and behaves the same.
    const QJsonObject again = query(
        "INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (:id, 'multi'); SELECT 'first' AS f; "
        "SELECT S_NAME AS n FROM TAB_ITEM WHERE S_ID = :id; UPDATE TAB_ITEM SET I_COUNT = 5 WHERE S_ID = "
        ":id;",
        {{":id", 43}});
    EXPECT_EQ(cell(again, 0, "n"), "multi");
}

TEST_F(CommandTest, EmptyTextsAreNoOps)
{
    EXPECT_EQ(execute("").value("result"), "OK");
    EXPECT_EQ(rowsOf(query("  -- nothing\n")).size(), 0);
    EXPECT_EQ(call("ExecuteTransaction", {{"DbName", kTessel}, {"sqlexec", QJsonArray{}}}).value("result"),
              "OK");
}

TEST_F(CommandTest, LoneBeginLeavesNoTransactionBehind)
{
    EXPECT_EQ(execute("BEGIN").value("result"), "ERROR");
    EXPECT_EQ(execute("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (50, 'x')").value("result"), "OK");
    // Another connection sees the row: it was committed, not held in a leftover transaction.
    ConnectionCache other(*m_databases);
    const QJsonObject a =
        call("ExecuteQuery", {{"DbName", kTessel}, {"sqlexec", "SELECT count(*) AS n FROM TAB_ITEM"}}, other);
    EXPECT_EQ(cell(a, 0, "n"), "2");
}

TEST_F(CommandTest, ConcurrentWritersLoseNothing)
{
    constexpr int kThreads = 4;
    constexpr int kRounds = 60;
    std::atomic<int> failures{0};
    std::atomic<bool> writing{true};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ConnectionCache connections(*m_databases);
            for (int i = 0; i < kRounds; ++i) {
                const int id = 1000 + t * 1000 + i * 2;
                const QJsonObject one =
                    call("ExecuteEx",
                         {{"DbName", kTessel},
                          {"sqlexec",
                           "INSERT INTO TAB_ITEM (S_ID, S_NAME, I_COUNT) VALUES (:id, 'w', "
                           "(SELECT count(*) FROM TAB_ITEM))"},
                          {"bindValue", QJsonObject{{":id", id}}}},
                         connections);
                const QJsonObject two = call(
                    "ExecuteTransaction",
                    {{"DbName", kTessel},
                     {"sqlexec",
                      QJsonArray{
                          QStringLiteral("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (%1, 't')").arg(id + 1),
                          "UPDATE TAB_ITEM SET I_COUNT = coalesce(I_COUNT, 0) + 1 WHERE S_ID = 1"}}},
                    connections);
                if (one.value("result") != "OK" || two.value("result") != "OK") {
                    ++failures;
                }
            }
        });
    }
    std::thread reader([&] {
        ConnectionCache connections(*m_databases);
        while (writing) {
            const QJsonObject a =
                call("ExecuteQuery", {{"DbName", kTessel}, {"sqlexec", "SELECT count(*) FROM TAB_ITEM"}},
                     connections);
            if (a.value("result") != "OK") {
                ++failures;
            }
        }
    });
    for (std::thread& t : threads) {
        t.join();
    }
    writing = false;
    reader.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_ITEM"), QString::number(1 + kThreads * kRounds * 2));
    EXPECT_EQ(scalar("SELECT I_COUNT FROM TAB_ITEM WHERE S_ID = 1"), QString::number(kThreads * kRounds));
}

TEST_F(CommandTest, BroadcastOnlyFromLoopback)
{
    QStringList sent;
    m_dispatcher->setBroadcaster([&sent](const QString& text) { sent << text; });
    ClientInfo local;
    local.loopback = true;
    ClientInfo remote;
    remote.loopback = false;

    const QJsonObject ok = call("Broadcast", {{"text", "camera 4 offline"}}, *m_connections, local);
    EXPECT_EQ(ok.value("result"), "OK");
    EXPECT_EQ(ok.value("data").toObject().value("ret"), 0);
    EXPECT_EQ(sent, QStringList{"camera 4 offline"});

    const QJsonObject refused = call("Broadcast", {{"text", "spoof"}}, *m_connections, remote);
    EXPECT_EQ(refused.value("code"), "bad-request");
    EXPECT_EQ(refused.value("reason"), "Broadcast is only accepted from loopback");

    EXPECT_EQ(call("Broadcast", {{"text", 5}}, *m_connections, local).value("code"), "bad-request");
    EXPECT_EQ(sent.size(), 1);
}

TEST_F(CommandTest, AnswerOverTheLimitIsTooLarge)
{
    m_dispatcher->setMaxAnswerBytes(64 * 1024);
    const QJsonObject a = query(
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 100000) "
        "SELECT x FROM c");
    EXPECT_EQ(a.value("code"), "too-large");
    EXPECT_EQ(rowsOf(query("SELECT 1")).size(), 1);
}

TEST_F(CommandTest, AddedCommandIsDispatched)
{
    m_dispatcher->addCommand("Echo", [](HandlerContext& context, const QJsonObject& request,
                                        QByteArray& out) {
        out.append(QJsonDocument(QJsonObject{{"result", "OK"}, {"data", request}, {"id", context.requestId}})
                       .toJson(QJsonDocument::Compact));
    });
    const QJsonObject a = call("Echo", {{"x", 1}}, 99);
    EXPECT_EQ(a.value("data").toObject().value("x"), 1);
    EXPECT_EQ(a.value("id"), 99);
}

TEST_F(CommandTest, ExceptionInHandlerBecomesInternalError)
{
    m_dispatcher->addCommand("Throw", [](HandlerContext&, const QJsonObject&, QByteArray& out) {
        out.append("{\"partial");
        throw std::runtime_error("boom");
    });
    EXPECT_EQ(callRaw("8 Throw\n{}"),
              QByteArray("8\n{\"result\":\"ERROR\",\"reason\":\"internal error: boom\","
                         "\"code\":\"internal\"}"));
}

}  // namespace
