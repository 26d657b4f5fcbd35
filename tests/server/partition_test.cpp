// Partitioned tables through the dispatcher: partitions made from their template, paged range
// queries, transactions across partitions, the table listing and bad requests.
#include "testsupport.h"

#include <QJsonDocument>

using namespace tessel::server;
using namespace tessel::server::test;

namespace {

const QString kDb = QStringLiteral("Tessel-intelligent");

// The template TAB_EV with an index and a trigger that writes to its own table and to another
// one; TAB_EV_TYPE only shares the prefix.
const char* const kSchema =
    "CREATE TABLE TAB_EV (ID INTEGER PRIMARY KEY, T INTEGER NOT NULL, NAME TEXT DEFAULT 'none',\n"
    "                     N INTEGER NOT NULL DEFAULT 0);\n"
    "CREATE INDEX IDX_EV_T ON TAB_EV (T);\n"
    "CREATE TABLE EV_LOG (WHAT TEXT);\n"
    "CREATE TRIGGER TRG_EV_INS AFTER INSERT ON TAB_EV BEGIN\n"
    "  INSERT INTO EV_LOG VALUES ('TAB_EV:' || new.T);\n"
    "  UPDATE TAB_EV SET N = N + 1 WHERE ID = new.ID;\n"
    "END;\n"
    "CREATE TABLE TAB_EV_TYPE (ID INTEGER PRIMARY KEY, LABEL TEXT);\n"
    "INSERT INTO TAB_EV_TYPE VALUES (1, 'shares the prefix only');\n";

class PartitionTest : public DispatchTest
{
protected:
    PartitionTest() { writeFile(m_folders.schemaDir() + "/Tessel-intelligent.sql", kSchema); }

    QJsonObject partitionExecute(const QString& sql, const QString& suffix, const QJsonObject& binds = {})
    {
        return call("PartitionExecuteEx", {{"DbName", kDb},
                                           {"sqlexec", sql},
                                           {"tableName", "TAB_EV"},
                                           {"suffix", suffix},
                                           {"bindValue", binds},
                                           {"isBroadcast", false}});
    }

    void insert(const QString& suffix, int t)
    {
        const QJsonObject a = partitionExecute("INSERT INTO TAB_EV (T) VALUES (:t)", suffix, {{":t", t}});
        ASSERT_EQ(a.value("result"), "OK") << qPrintable(a.value("reason").toString());
    }

    /// Three partitions: 202401 holds T 1..4, 202402 holds 5..7, 202403 holds 8..12.
    void fillThreePartitions()
    {
        for (int t = 1; t <= 12; ++t) {
            insert(t <= 4 ? "202401" : t <= 7 ? "202402" : "202403", t);
        }
        // Rows of the template and of a table sharing the prefix never show.
        ASSERT_EQ(execute("INSERT INTO TAB_EV (T) VALUES (100)", kDb).value("result"), "OK");
    }

    QJsonObject rangeQuery(const QString& sql, const QString& start, const QString& end, int startNum,
                           int pageSize, const QString& order, const QJsonObject& binds = {})
    {
        return call("PartitionExecuteQueryEx", {{"DbName", kDb},
                                                {"sqlexec", sql},
                                                {"where", " WHERE 1=1"},
                                                {"tableName", "TAB_EV"},
                                                {"startSuffix", start},
                                                {"endSuffix", end},
                                                {"startNum", startNum},
                                                {"pageSize", pageSize},
                                                {"order", order},
                                                {"bindValue", binds}});
    }

    /// Column T of every row of a query answer, as numbers.
    static std::vector<int> columnT(const QJsonObject& answer)
    {
        EXPECT_EQ(answer.value("result"), "OK") << qPrintable(answer.value("reason").toString());
        std::vector<int> out;
        for (int i = 0; i < rowsOf(answer).size(); ++i) {
            out.push_back(cell(answer, i, "T").toString().toInt());
        }
        return out;
    }

    QStringList schemaObjects(const QString& like)
    {
        const QJsonObject a = query(
            "SELECT type || ' ' || name || ' ON ' || tbl_name AS o FROM sqlite_master WHERE name LIKE :like "
            "ORDER BY type, name",
            {{":like", like}}, kDb);
        QStringList out;
        for (int i = 0; i < rowsOf(a).size(); ++i) {
            out << cell(a, i, "o").toString();
        }
        return out;
    }

    QStringList tables(const QJsonObject& request)
    {
        const QJsonObject a = call("PartitionGetTables", request);
        EXPECT_EQ(a.value("result"), "OK") << qPrintable(a.value("reason").toString());
        EXPECT_EQ(a.value("data").toObject().value("ret"), 0);
        QStringList out;
        for (const QJsonValue& v : a.value("data").toObject().value("tables").toArray()) {
            out << v.toString();
        }
        return out;
    }
};

TEST_F(PartitionTest, WriteCreatesThePartitionFromItsTemplate)
{
    const QJsonObject a = partitionExecute("INSERT INTO TAB_EV (T) VALUES (:t)", "_2024", {{":t", 42}});
    ASSERT_EQ(a.value("result"), "OK") << qPrintable(a.value("reason").toString());
    EXPECT_EQ(a.value("data").toObject().value("ret"), 0);

    EXPECT_EQ(schemaObjects("%_2024"),
              QStringList({"index IDX_EV_T_2024 ON TAB_EV_2024", "table TAB_EV_2024 ON TAB_EV_2024",
                           "trigger TRG_EV_INS_2024 ON TAB_EV_2024"}));
    // Columns and defaults come from the template; the trigger works on the partition; the text
    // 'TAB_EV:' in the trigger body was left alone.
    const QJsonObject row = query("SELECT T, NAME, N FROM TAB_EV_2024", {}, kDb);
    ASSERT_EQ(rowsOf(row).size(), 1);
    EXPECT_EQ(cell(row, 0, "T"), "42");
    EXPECT_EQ(cell(row, 0, "NAME"), "none");
    EXPECT_EQ(cell(row, 0, "N"), "1");
    EXPECT_EQ(scalar("SELECT group_concat(WHAT) FROM EV_LOG", kDb), "TAB_EV:42");
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_EV", kDb), "0");
    EXPECT_EQ(scalar("SELECT base || '|' || suffix FROM __tessel_partitions", kDb), "TAB_EV|_2024");
    // The index is really the partition's.
    const QJsonObject plan = query("EXPLAIN QUERY PLAN SELECT * FROM TAB_EV_2024 WHERE T = 1", {}, kDb);
    EXPECT_TRUE(cell(plan, 0, "detail").toString().contains("IDX_EV_T_2024"))
        << qPrintable(cell(plan, 0, "detail").toString());

    // The next write uses the partition that is there.
    insert("_2024", 43);
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_EV_2024", kDb), "2");

    // A suffix that cannot stand bare in SQL.
    insert("-01 x", 7);
    EXPECT_EQ(scalar("SELECT T FROM \"TAB_EV-01 x\"", kDb), "7");
}

TEST_F(PartitionTest, FailedWritesAndReadsMakeNoPartition)
{
    struct
    {
        const char* what;
        QJsonObject request;
        const char* code;
        const char* reason;
    } cases[] = {
        {"constraint",
         {{"DbName", kDb},
          {"sqlexec", "INSERT INTO TAB_EV (T) VALUES (NULL)"},
          {"tableName", "TAB_EV"},
          {"suffix", "X"}},
         "sql",
         "NOT NULL constraint failed: TAB_EVX.T"},
        {"second statement of a text",
         {{"DbName", kDb},
          {"sqlexec", "INSERT INTO TAB_EV (T) VALUES (1); INSERT INTO TAB_EV (NOPE) VALUES (1)"},
          {"tableName", "TAB_EV"},
          {"suffix", "X"}},
         "sql",
         "no column named NOPE"},
        {"read",
         {{"DbName", kDb}, {"sqlexec", "SELECT * FROM TAB_EV"}, {"tableName", "TAB_EV"}, {"suffix", "X"}},
         "sql",
         "no such table: TAB_EVX"},
        {"no template",
         {{"DbName", kDb},
          {"sqlexec", "INSERT INTO NOPE (T) VALUES (1)"},
          {"tableName", "NOPE"},
          {"suffix", "X"}},
         "sql",
         "there is no table NOPE"},
    };
    for (const auto& c : cases) {
        const QJsonObject a = call("PartitionExecute", c.request);
        EXPECT_EQ(a.value("code"), c.code) << c.what;
        EXPECT_TRUE(a.value("reason").toString().contains(c.reason))
            << c.what << ": " << qPrintable(a.value("reason").toString());
    }
    EXPECT_EQ(schemaObjects("%X"), QStringList());
    EXPECT_EQ(scalar("SELECT count(*) FROM sqlite_master WHERE name = '__tessel_partitions'", kDb), "0");
}

struct PageCase
{
    const char* sql;
    const char* start;
    const char* end;
    int startNum;
    int pageSize;
    const char* order;
    std::vector<int> expected;
};

TEST_F(PartitionTest, PagesOverARangeOfPartitions)
{
    fillThreePartitions();
    const char* desc = "SELECT T FROM TAB_EV WHERE 1=1 ORDER BY T DESC";
    const char* limited = "SELECT T FROM TAB_EV ORDER BY T LIMIT 2";  // a LIMIT of its own per partition
    const PageCase cases[] = {
        // partitions newest first, rows of each by the statement's ORDER BY
        {desc, "", "", 0, 3, "DESC", {12, 11, 10}},
        {desc, "", "", 3, 4, "DESC", {9, 8, 7, 6}},  // starts in 202403, ends in 202402
        {desc, "", "", 6, 4, "DESC", {6, 5, 4, 3}},
        {desc, "", "", -1, -1, "DESC", {12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}},
        {desc, "", "", 10, -1, "DESC", {2, 1}},
        {desc, "", "", -1, 2, "DESC", {12, 11}},
        // ascending partitions; the rows inside still follow the statement
        {desc, "", "", 2, 4, "", {2, 1, 7, 6}},
        {desc, "", "", 2, 4, "ASC", {2, 1, 7, 6}},
        {desc, "", "", -1, -1, "", {4, 3, 2, 1, 7, 6, 5, 12, 11, 10, 9, 8}},
        {desc, "", "", 11, 5, "", {8}},
        {desc, "", "", 12, 5, "", {}},  // beyond the end
        {desc, "", "", 1000, 5, "DESC", {}},
        {desc, "", "", 0, 0, "DESC", {}},
        // bounds, both included, compared as text
        {desc, "202402", "", -1, -1, "DESC", {12, 11, 10, 9, 8, 7, 6, 5}},
        {desc, "", "202402", -1, -1, "", {4, 3, 2, 1, 7, 6, 5}},
        {desc, "202402", "202402", -1, -1, "", {7, 6, 5}},
        {desc, "2024015", "2024025", 1, 1, "", {6}},
        {desc, "202404", "", -1, -1, "", {}},
        {desc, "202403", "202401", -1, -1, "", {}},
        {limited, "", "", -1, -1, "", {1, 2, 5, 6, 8, 9}},
        {limited, "", "", 1, 3, "DESC", {9, 5, 6}},
    };
    for (const PageCase& c : cases) {
        EXPECT_EQ(columnT(rangeQuery(c.sql, c.start, c.end, c.startNum, c.pageSize, c.order)), c.expected)
            << c.sql << " [" << c.start << ", " << c.end << "] from " << c.startNum << " size " << c.pageSize
            << " " << c.order;
    }

    // Bind values reach every partition's statement.
    EXPECT_EQ(columnT(rangeQuery("SELECT T FROM TAB_EV WHERE T % :m = 0 ORDER BY T", "", "", 1, 3, "DESC",
                                 {{":m", 3}})),
              std::vector<int>({12, 6, 3}));
    // The plain form: no bind values.
    const QJsonObject plain = call("PartitionExecuteQuery", {{"DbName", kDb},
                                                             {"sqlexec", "SELECT T FROM TAB_EV ORDER BY T"},
                                                             {"where", ""},
                                                             {"tableName", "TAB_EV"},
                                                             {"startSuffix", "202403"},
                                                             {"endSuffix", "202403"},
                                                             {"startNum", 3},
                                                             {"pageSize", 10},
                                                             {"order", "DESC"}});
    EXPECT_EQ(columnT(plain), std::vector<int>({11, 12}));
}

TEST_F(PartitionTest, RangeWithoutPartitionsIsEmpty)
{
    for (const char* table : {"TAB_EV", "EV_LOG", "NOPE"}) {
        const QJsonObject a = call("PartitionExecuteQuery", {{"DbName", kDb},
                                                             {"sqlexec", QString("SELECT * FROM ") + table},
                                                             {"tableName", table},
                                                             {"startSuffix", ""},
                                                             {"endSuffix", ""},
                                                             {"startNum", -1},
                                                             {"pageSize", -1},
                                                             {"order", ""}});
        EXPECT_EQ(a.value("result"), "OK") << table << ": " << qPrintable(a.value("reason").toString());
        EXPECT_EQ(rowsOf(a), QJsonArray()) << table;
    }
}

TEST_F(PartitionTest, QueryThatWritesChangesNothing)
{
    fillThreePartitions();
    const QJsonObject a = rangeQuery("DELETE FROM TAB_EV", "", "", -1, -1, "");
    EXPECT_EQ(a.value("result"), "ERROR");
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_EV202401", kDb), "4");
}

TEST_F(PartitionTest, TransactionIsAllOrNothingAcrossPartitions)
{
    insert("202401", 1);
    const QJsonObject failed =
        call("PartitionExecuteTransaction",
             {{"DbName", kDb},
              {"tableName", "TAB_EV"},
              {"sqlexec",
               QJsonArray{QJsonObject{{"key", "202401"},
                                      {"value", QJsonArray{"INSERT INTO TAB_EV (T) VALUES (2)",
                                                           "UPDATE TAB_EV SET NAME = 'changed'"}}},
                          QJsonObject{{"key", "202402"},
                                      {"value", QJsonArray{"INSERT INTO TAB_EV (T) VALUES (5)",
                                                           "INSERT INTO TAB_EV (T) VALUES (NULL)"}}}}}});
    EXPECT_EQ(failed.value("code"), "sql");
    EXPECT_EQ(failed.value("failedStatement"), 3);  // counted over the whole request
    EXPECT_TRUE(failed.value("reason").toString().startsWith("partition TAB_EV202402: NOT NULL"))
        << qPrintable(failed.value("reason").toString());
    EXPECT_EQ(scalar("SELECT group_concat(T || NAME) FROM TAB_EV202401", kDb), "1none");
    EXPECT_EQ(schemaObjects("TAB_EV2024%"), QStringList({"table TAB_EV202401 ON TAB_EV202401"}));

    // The same with the bind form succeeds; statements run in the order given.
    const auto entry = [](const char* suffix, QJsonArray queries) {
        return QJsonObject{{"endSuffix", suffix}, {"sqlQueryArray", queries}};
    };
    const auto statement = [](const char* sql, QJsonObject binds) {
        return QJsonObject{{"sqlQuery", sql}, {"bindValue", binds}};
    };
    const QJsonObject ok =
        call("PartitionExecuteTransactionEx",
             {{"DbName", kDb},
              {"tableName", "TAB_EV"},
              {"sqlArray",
               QJsonArray{entry("202402", {statement("INSERT INTO TAB_EV (T, NAME) VALUES (:t, :n)",
                                                     {{":t", 5}, {":n", "a"}}),
                                           statement("UPDATE TAB_EV SET NAME = NAME || :x", {{":x", "b"}})}),
                          entry("202401", {statement("DELETE FROM TAB_EV WHERE T = :t", {{":t", 1}})})}}});
    ASSERT_EQ(ok.value("result"), "OK") << qPrintable(ok.value("reason").toString());
    EXPECT_EQ(scalar("SELECT group_concat(T || NAME) FROM TAB_EV202402", kDb), "5ab");
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_EV202401", kDb), "0");
    EXPECT_EQ(schemaObjects("%202402"),
              QStringList({"index IDX_EV_T202402 ON TAB_EV202402", "table TAB_EV202402 ON TAB_EV202402",
                           "trigger TRG_EV_INS202402 ON TAB_EV202402"}));
}

TEST_F(PartitionTest, GetTablesListsPartitionsByNameWithinTheBounds)
{
    fillThreePartitions();
    // A partition a client made itself counts (same columns as the template); tables that only
    // share the prefix do not, nor the template itself.
    ASSERT_EQ(execute("CREATE TABLE TAB_EV202312 AS SELECT * FROM TAB_EV WHERE 0", kDb).value("result"),
              "OK");
    ASSERT_EQ(execute("CREATE TABLE TAB_EVX (ID INTEGER PRIMARY KEY, T INTEGER)", kDb).value("result"), "OK");

    const QJsonObject all{{"DbName", kDb}, {"tableName", "TAB_EV"}, {"startSuffix", ""}, {"endSuffix", ""}};
    EXPECT_EQ(tables(all), QStringList({"TAB_EV202312", "TAB_EV202401", "TAB_EV202402", "TAB_EV202403"}));
    QJsonObject bounded = all;
    bounded["startSuffix"] = "202401";
    bounded["endSuffix"] = "202402";
    EXPECT_EQ(tables(bounded), QStringList({"TAB_EV202401", "TAB_EV202402"}));
    bounded["endSuffix"] = "";
    EXPECT_EQ(tables(bounded), QStringList({"TAB_EV202401", "TAB_EV202402", "TAB_EV202403"}));
    EXPECT_EQ(tables({{"DbName", kDb}, {"tableName", "tab_ev"}, {"endSuffix", "202312"}}),
              QStringList({"TAB_EV202312"}));
    EXPECT_EQ(tables({{"DbName", kDb}, {"tableName", "EV_LOG"}}), QStringList());

    // The client-made partition takes part in queries too; a dropped partition leaves the list.
    ASSERT_EQ(execute("INSERT INTO TAB_EV202312 (ID, T) VALUES (1, 0)", kDb).value("result"), "OK");
    EXPECT_EQ(columnT(rangeQuery("SELECT T FROM TAB_EV ORDER BY T", "", "202401", 0, 2, "")),
              std::vector<int>({0, 1}));
    ASSERT_EQ(execute("DROP TABLE TAB_EV202402", kDb).value("result"), "OK");
    EXPECT_EQ(tables(all), QStringList({"TAB_EV202312", "TAB_EV202401", "TAB_EV202403"}));
}

TEST_F(PartitionTest, BadRequestsGetClearAnswersAndChangeNothing)
{
    fillThreePartitions();
    const QJsonObject write{{"DbName", kDb},
                            {"sqlexec", "INSERT INTO TAB_EV (T) VALUES (1)"},
                            {"tableName", "TAB_EV"},
                            {"suffix", "Z"}};
    const QJsonObject read{{"DbName", kDb},         {"sqlexec", "SELECT T FROM TAB_EV"},
                           {"tableName", "TAB_EV"}, {"startSuffix", ""},
                           {"endSuffix", ""},       {"startNum", 0},
                           {"pageSize", 5},         {"order", "DESC"}};
    const auto without = [](QJsonObject o, const char* key) {
        o.remove(key);
        return o;
    };
    const auto with = [](QJsonObject o, const char* key, const QJsonValue& v) {
        o[key] = v;
        return o;
    };
    const struct
    {
        const char* command;
        QJsonObject request;
        const char* code;
        const char* reason;
    } cases[] = {
        {"PartitionExecute", without(write, "tableName"), "bad-request", "member \"tableName\" is missing"},
        {"PartitionExecute", without(write, "suffix"), "bad-request", "member \"suffix\" is missing"},
        {"PartitionExecute", with(write, "suffix", ""), "bad-request", "must not be empty"},
        {"PartitionExecute", with(write, "suffix", 2024), "bad-request",
         "member \"suffix\" must be a string"},
        {"PartitionExecute", with(write, "tableName", ""), "bad-request", "must name the base table"},
        {"PartitionExecute", with(write, "DbName", "Other"), "bad-database", "unknown database"},
        {"PartitionExecute", with(write, "sqlexec", "INSERT INTO EV_LOG VALUES (1)"), "bad-request",
         "does not name the table \"TAB_EV\""},
        {"PartitionExecuteEx", write, "bad-request", "member \"bindValue\" is missing"},
        {"PartitionExecuteQuery", without(read, "sqlexec"), "bad-request", "member \"sqlexec\" is missing"},
        {"PartitionExecuteQuery", with(read, "startNum", "5"), "bad-request",
         "\"startNum\" must be a whole number"},
        {"PartitionExecuteQuery", with(read, "startNum", 1.5), "bad-request",
         "\"startNum\" must be a whole number"},
        {"PartitionExecuteQuery", with(read, "pageSize", -2), "bad-request",
         "\"pageSize\" must be a whole number"},
        {"PartitionExecuteQuery", with(read, "order", "UP"), "bad-request", "\"order\" must be"},
        {"PartitionExecuteQuery", with(read, "endSuffix", QJsonArray()), "bad-request",
         "\"endSuffix\" must be a string"},
        {"PartitionExecuteQuery", with(read, "sqlexec", "SELECT T FROM TAB_EV; SELECT 1"), "bad-request",
         "must be one SELECT statement"},
        {"PartitionExecuteQueryEx", with(read, "bindValue", "x"), "bad-request",
         "\"bindValue\" must be an object"},
        {"PartitionExecuteTransaction", with(without(write, "suffix"), "sqlexec", "INSERT"), "bad-request",
         "member \"sqlexec\" must be an array"},
        {"PartitionExecuteTransaction",
         with(write, "sqlexec",
              QJsonArray{QJsonObject{{"key", "Z"}, {"value", QJsonArray{"DELETE FROM TAB_EV"}}},
                         QJsonObject{{"value", QJsonArray{}}}}),
         "bad-request", "element 1 of \"sqlexec\" needs \"key\" as a string"},
        {"PartitionExecuteTransaction",
         with(write, "sqlexec", QJsonArray{QJsonObject{{"key", "Z"}, {"value", "DELETE FROM TAB_EV"}}}),
         "bad-request", "needs \"value\" as an array of strings"},
        {"PartitionExecuteTransactionEx", without(write, "sqlexec"), "bad-request",
         "member \"sqlArray\" is missing"},
        {"PartitionExecuteTransactionEx",
         with(write, "sqlArray",
              QJsonArray{QJsonObject{
                  {"endSuffix", "Z"},
                  {"sqlQueryArray",
                   QJsonArray{QJsonObject{{"sqlQuery", "DELETE FROM TAB_EV"}, {"bindValue", 3}}}}}}),
         "bad-request", "needs \"bindValue\" as an object"},
        {"PartitionGetTables", with(read, "startSuffix", 5), "bad-request",
         "\"startSuffix\" must be a string"},
    };
    for (const auto& c : cases) {
        const QJsonObject a = call(c.command, c.request);
        EXPECT_EQ(a.value("result"), "ERROR") << c.command << " " << c.reason;
        EXPECT_EQ(a.value("code"), c.code) << c.command << " " << c.reason;
        EXPECT_TRUE(a.value("reason").toString().contains(c.reason))
            << c.command << ": " << qPrintable(a.value("reason").toString());
    }
    EXPECT_EQ(schemaObjects("%Z"), QStringList());
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_EV202401", kDb), "4");
}

}  // namespace
