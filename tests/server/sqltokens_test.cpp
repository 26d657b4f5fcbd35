// The SQL tokenizer and the renaming of a table where it stands as a whole identifier.
#include "sqltokens.h"

#include <gtest/gtest.h>

using namespace tessel::server;

namespace {

TEST(RenameTableTest, ReplacesOnlyWholeIdentifiers)
{
    const struct
    {
        const char* sql;
        const char* to;
        const char* expected;
        int replaced;
    } cases[] = {
        {"SELECT * FROM TAB_EV", "TAB_EV2024", "SELECT * FROM TAB_EV2024", 1},
        {"select * from tab_ev where 1=1", "TAB_EV2024", "select * from TAB_EV2024 where 1=1", 1},
        // string literals, escaped quotes included, are data
        {"SELECT 'TAB_EV', 'it''s TAB_EV' FROM TAB_EV", "P", "SELECT 'TAB_EV', 'it''s TAB_EV' FROM P", 1},
        // longer names that merely contain the base name
        {"SELECT TAB_EV_TYPE.X FROM TAB_EV_TYPE, XTAB_EV, TAB_EV1, TAB_EV$2", "P",
         "SELECT TAB_EV_TYPE.X FROM TAB_EV_TYPE, XTAB_EV, TAB_EV1, TAB_EV$2", 0},
        {"SELECT * FROM TAB_EV\xC3\xA9", "P", "SELECT * FROM TAB_EV\xC3\xA9", 0},
        // quoted identifiers keep their quoting, any letter case
        {"SELECT * FROM \"TAB_EV\" JOIN [tab_ev] JOIN `Tab_Ev`", "P2024",
         "SELECT * FROM \"P2024\" JOIN [P2024] JOIN `P2024`", 3},
        {"SELECT * FROM \"TAB\"\"EV\"", "P", "SELECT * FROM \"TAB\"\"EV\"", 0},
        {"SELECT * FROM \"A\"\"B\"", "X\"Y", "SELECT * FROM \"X\"\"Y\"", 1},  // from = A"B
        // qualified names: the table part is renamed, the schema and column parts are not
        {"SELECT TAB_EV.S_ID, main.TAB_EV.T FROM main.TAB_EV", "P", "SELECT P.S_ID, main.P.T FROM main.P", 3},
        // comments are left alone
        {"SELECT 1 -- TAB_EV\nFROM /* TAB_EV */ TAB_EV", "P", "SELECT 1 -- TAB_EV\nFROM /* TAB_EV */ P", 1},
        {"SELECT * FROM TAB_EV /* unterminated TAB_EV", "P", "SELECT * FROM P /* unterminated TAB_EV", 1},
        // parameters, blobs and numbers are not names
        {"SELECT :TAB_EV, @TAB_EV, $TAB_EV, #TAB_EV, ?1 FROM TAB_EV", "P",
         "SELECT :TAB_EV, @TAB_EV, $TAB_EV, #TAB_EV, ?1 FROM P", 1},
        {"SELECT X'AB', 1e+5, 0x1F, 1TAB_EV FROM TAB_EV", "P", "SELECT X'AB', 1e+5, 0x1F, 1TAB_EV FROM P", 1},
        // an unterminated string runs to the end
        {"SELECT * FROM TAB_EV WHERE A = 'TAB_EV", "P", "SELECT * FROM P WHERE A = 'TAB_EV", 1},
        // names that cannot stand bare are quoted
        {"DELETE FROM TAB_EV", "TAB_EV-01", "DELETE FROM \"TAB_EV-01\"", 1},
        {"DELETE FROM TAB_EV", "ORDER", "DELETE FROM \"ORDER\"", 1},
        {"DELETE FROM TAB_EV", "9X", "DELETE FROM \"9X\"", 1},
        {"DELETE FROM `TAB_EV`", "a`b", "DELETE FROM `a``b`", 1},
        {"DELETE FROM [TAB_EV]", "a]b", "DELETE FROM \"a]b\"", 1},
    };
    for (const auto& c : cases) {
        const QByteArray from = QByteArray(c.sql).contains("\"A\"\"B\"") ? QByteArray("A\"B") : "TAB_EV";
        int replaced = -1;
        EXPECT_EQ(sql::renameTable(c.sql, from, c.to, &replaced), QByteArray(c.expected)) << c.sql;
        EXPECT_EQ(replaced, c.replaced) << c.sql;
    }
}

TEST(RenameTableTest, CreateStatementsOfTheTemplate)
{
    const struct
    {
        const char* sql;
        const char* newObject;
        const char* expected;
    } cases[] = {
        {"CREATE TABLE TAB_EV (ID INTEGER PRIMARY KEY, UP INTEGER REFERENCES TAB_EV(ID), S TEXT DEFAULT "
         "'TAB_EV')",
         "TAB_EV_1",
         "CREATE TABLE TAB_EV_1 (ID INTEGER PRIMARY KEY, UP INTEGER REFERENCES TAB_EV_1(ID), S TEXT DEFAULT "
         "'TAB_EV')"},
        {"CREATE TABLE \"TAB_EV\"(ID)", "TAB_EV_1", "CREATE TABLE \"TAB_EV_1\"(ID)"},
        {"CREATE UNIQUE INDEX IF NOT EXISTS IDX_T ON TAB_EV (T)", "IDX_T_1",
         "CREATE UNIQUE INDEX IF NOT EXISTS IDX_T_1 ON TAB_EV_1 (T)"},
        {"CREATE INDEX main.IDX_T ON TAB_EV(T)", "IDX_T_1", "CREATE INDEX main.IDX_T_1 ON TAB_EV_1(T)"},
        {"CREATE TRIGGER TRG AFTER INSERT ON TAB_EV BEGIN UPDATE TAB_EV SET N = 1 WHERE ID = new.ID; "
         "INSERT INTO LOG VALUES ('TAB_EV'); END",
         "TRG_1",
         "CREATE TRIGGER TRG_1 AFTER INSERT ON TAB_EV_1 BEGIN UPDATE TAB_EV_1 SET N = 1 WHERE ID = new.ID; "
         "INSERT INTO LOG VALUES ('TAB_EV'); END"},
        {"CREATE TEMP TRIGGER IF NOT EXISTS [TRG] BEFORE DELETE ON TAB_EV BEGIN SELECT 1; END", "TRG-1",
         "CREATE TEMP TRIGGER IF NOT EXISTS [TRG-1] BEFORE DELETE ON TAB_EV_1 BEGIN SELECT 1; END"},
        {"CREATE VIEW V AS SELECT * FROM TAB_EV", "V_1", ""},
        {"SELECT 1", "X", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sql::rewriteCreateStatement(c.sql, "TAB_EV", "TAB_EV_1", c.newObject),
                  QByteArray(c.expected))
            << c.sql;
    }
}

TEST(StatementShapeTest, CountsStatementsTrimsTheEndAndFindsItsOwnOrderAndLimit)
{
    const struct
    {
        const char* sql;
        const char* text;
        const char* unordered;  // without its own ORDER BY
        int count;
        bool limit;
    } cases[] = {
        {"SELECT 1", "SELECT 1", "SELECT 1", 1, false},
        {"  SELECT 1 ;; -- done\n", "  SELECT 1", "  SELECT 1", 1, false},
        {"SELECT 1 -- trailing comment", "SELECT 1", "SELECT 1", 1, false},
        {"SELECT 1; SELECT 2", "SELECT 1", "SELECT 1", 2, false},
        {"SELECT ';' AS semicolon", "SELECT ';' AS semicolon", "SELECT ';' AS semicolon", 1, false},
        {"SELECT T FROM A ORDER BY T limit 5", "SELECT T FROM A ORDER BY T limit 5",
         "SELECT T FROM A limit 5", 1, true},
        {"SELECT T FROM A WHERE 1=1 order by T DESC, 'x' ;", "SELECT T FROM A WHERE 1=1 order by T DESC, 'x'",
         "SELECT T FROM A WHERE 1=1 ", 1, false},
        {"SELECT * FROM (SELECT T FROM A ORDER BY T LIMIT 1) WHERE T IN (SELECT 1 LIMIT 1)",
         "SELECT * FROM (SELECT T FROM A ORDER BY T LIMIT 1) WHERE T IN (SELECT 1 LIMIT 1)",
         "SELECT * FROM (SELECT T FROM A ORDER BY T LIMIT 1) WHERE T IN (SELECT 1 LIMIT 1)", 1, false},
        {"SELECT row_number() OVER (ORDER BY T) FROM A", "SELECT row_number() OVER (ORDER BY T) FROM A",
         "SELECT row_number() OVER (ORDER BY T) FROM A", 1, false},
        {"SELECT 'LIMIT', \"ORDER\" BY FROM A", "SELECT 'LIMIT', \"ORDER\" BY FROM A",
         "SELECT 'LIMIT', \"ORDER\" BY FROM A", 1, false},
        {"-- only a comment\n;", "", "", 0, false},
    };
    for (const auto& c : cases) {
        const sql::StatementShape shape = sql::statementShape(c.sql);
        EXPECT_EQ(shape.text, QByteArray(c.text)) << c.sql;
        EXPECT_EQ(shape.unordered, QByteArray(c.unordered)) << c.sql;
        EXPECT_EQ(shape.statementCount, c.count) << c.sql;
        EXPECT_EQ(shape.topLevelLimit, c.limit) << c.sql;
    }
}

}  // namespace
