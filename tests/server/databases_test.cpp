// Database files: creation from the schema, files replaced on disk, the statement cache.
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstdio>

using namespace tessel::server;
using namespace tessel::server::test;

namespace {

/// Builds a database file outside the server with one table holding `name`.
void makeDatabase(const QString& path, const char* name)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    const QByteArray sql =
        QByteArray(
            "CREATE TABLE TAB_ITEM (S_ID INTEGER PRIMARY KEY, S_NAME TEXT NOT NULL, I_COUNT "
            "INTEGER, F_SCORE REAL, B_DATA BLOB); INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES "
            "(1, '") +
        name + "');";
    EXPECT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

class DatabaseFileTest : public DispatchTest
{
};

TEST_F(DatabaseFileTest, MissingDatabaseIsCreatedFromItsSchema)
{
    const QString path = m_folders.databasePath("Tessel");
    ASSERT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(scalar("SELECT S_NAME FROM TAB_ITEM WHERE S_ID = 1"), "seed");
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_FALSE(QFileInfo::exists(path + ".creating"));
    EXPECT_EQ(scalar("PRAGMA journal_mode"), "wal");
    EXPECT_EQ(scalar("PRAGMA foreign_keys"), "1");

    // Each name has its own file and schema.
    EXPECT_EQ(scalar("SELECT count(*) FROM T_RECORD", "Tessel-record"), "0");
    EXPECT_TRUE(QFileInfo::exists(m_folders.databasePath("Tessel-record")));
    EXPECT_FALSE(QFileInfo::exists(m_folders.databasePath("Tessel-intelligent")));
}

TEST_F(DatabaseFileTest, SchemaWithItsOwnTransactionStatements)
{
    writeFile(m_folders.schemaDir() + "/Tessel-intelligent.sql",
              "PRAGMA foreign_keys=OFF;\nBEGIN TRANSACTION;\nCREATE TABLE A (X INTEGER);\n"
              "INSERT INTO A VALUES (1);\n/* seed */ INSERT INTO A VALUES (2);\nCOMMIT;\n");
    EXPECT_EQ(scalar("SELECT sum(X) FROM A", "Tessel-intelligent"), "3");
}

TEST_F(DatabaseFileTest, BrokenSchemaCreatesNothing)
{
    writeFile(m_folders.schemaDir() + "/Tessel-intelligent.sql",
              "CREATE TABLE A (X INTEGER);\nINSERT INTO A VALUES (1);\nCREAT TABLE B (Y);\n");
    const QJsonObject a = execute("INSERT INTO A VALUES (2)", "Tessel-intelligent");
    EXPECT_EQ(a.value("code"), "internal");
    EXPECT_TRUE(a.value("reason").toString().contains("syntax error"))
        << qPrintable(a.value("reason").toString());
    EXPECT_TRUE(a.value("reason").toString().contains("statement 3"));
    const QStringList left = QDir(m_folders.dataDir()).entryList({"Tessel-intelligent*"}, QDir::Files);
    EXPECT_TRUE(left.isEmpty()) << qPrintable(left.join(' '));

    // Once the schema is fixed the next request creates the file.
    writeFile(m_folders.schemaDir() + "/Tessel-intelligent.sql", "CREATE TABLE A (X INTEGER);\n");
    EXPECT_EQ(execute("INSERT INTO A VALUES (2)", "Tessel-intelligent").value("result"), "OK");
}

TEST_F(DatabaseFileTest, SchemaPiecesRunAfterTheMainScriptInNameOrder)
{
    const QString pieces = m_folders.schemaDir() + "/Tessel-intelligent.d/";
    writeFile(m_folders.schemaDir() + "/Tessel-intelligent.sql",
              "CREATE TABLE RUN_LOG (SEQ INTEGER PRIMARY KEY AUTOINCREMENT, NAME TEXT);\n"
              "INSERT INTO RUN_LOG (NAME) VALUES ('main');\n");
    // Written out of order; "10" sorts before "9" as text, and a piece may use what an earlier
    // one created.
    writeFile(pieces + "9-last.sql", "INSERT INTO RUN_LOG (NAME) SELECT 'last:' || count(*) FROM EXTRA;\n");
    writeFile(pieces + "10-first.sql",
              "BEGIN;\nCREATE TABLE EXTRA (X);\nINSERT INTO RUN_LOG (NAME) VALUES ('first');\nCOMMIT;\n");
    writeFile(pieces + "20-second.sql",
              "INSERT INTO EXTRA VALUES (1), (2);\nINSERT INTO RUN_LOG (NAME) VALUES ('second');\n");
    writeFile(pieces + "notes.txt", "not SQL at all");
    writeFile(pieces + "old/30-ignored.sql", "INSERT INTO RUN_LOG (NAME) VALUES ('subfolder');\n");
    EXPECT_EQ(scalar("SELECT group_concat(NAME, ',') FROM (SELECT NAME FROM RUN_LOG ORDER BY SEQ)",
                     "Tessel-intelligent"),
              "main,first,second,last:2");
}

TEST_F(DatabaseFileTest, FailingPieceCreatesNothingAndIsNamed)
{
    const QString pieces = m_folders.schemaDir() + "/Tessel-intelligent.d/";
    writeFile(m_folders.schemaDir() + "/Tessel-intelligent.sql", "CREATE TABLE A (X INTEGER UNIQUE);\n");
    writeFile(pieces + "10-ok.sql", "INSERT INTO A VALUES (1);\n");
    writeFile(pieces + "20-bad.sql", "INSERT INTO A VALUES (2);\nINSERT INTO A VALUES (1);\n");
    const QJsonObject a = execute("SELECT 1", "Tessel-intelligent");
    EXPECT_EQ(a.value("code"), "internal");
    const QString reason = a.value("reason").toString();
    EXPECT_TRUE(reason.contains("20-bad.sql") && reason.contains("UNIQUE") && reason.contains("statement 2"))
        << qPrintable(reason);
    EXPECT_EQ(a.value("sqliteCode"), 2067);
    const QStringList left = QDir(m_folders.dataDir()).entryList({"Tessel-intelligent*"}, QDir::Files);
    EXPECT_TRUE(left.isEmpty()) << qPrintable(left.join(' '));

    // Nothing of the main script or the first piece was kept: the next creation starts afresh.
    ASSERT_TRUE(QFile::remove(pieces + "20-bad.sql"));
    EXPECT_EQ(scalar("SELECT group_concat(X) FROM A", "Tessel-intelligent"), "1");
}

TEST_F(DatabaseFileTest, MissingSchemaFileIsReported)
{
    QFile::remove(m_folders.schemaDir() + "/Tessel-passengerFlow.sql");
    const QJsonObject a = execute("SELECT 1", "Tessel-passengerFlow");
    EXPECT_EQ(a.value("code"), "internal");
    EXPECT_TRUE(a.value("reason").toString().contains("Tessel-passengerFlow.sql"));
    EXPECT_FALSE(QFileInfo::exists(m_folders.databasePath("Tessel-passengerFlow")));
}

TEST_F(DatabaseFileTest, ReplacedFileIsPickedUpByEveryConnection)
{
    // Two workers with open connections (and cached statements) on the original file.
    ConnectionCache second(*m_databases);
    const QJsonObject nameQuery{{"DbName", "Tessel"},
                                {"sqlexec", "SELECT S_NAME FROM TAB_ITEM WHERE S_ID = 1"}};
    EXPECT_EQ(cell(call("ExecuteQuery", nameQuery), 0, "S_NAME"), "seed");
    EXPECT_EQ(cell(call("ExecuteQuery", nameQuery, second), 0, "S_NAME"), "seed");
    EXPECT_EQ(execute("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (2, 'in wal')").value("result"), "OK");

    // Replaced the way a repair does it: a copy written beside it, renamed over it.
    const QString path = m_folders.databasePath("Tessel");
    makeDatabase(m_folders.path("restored.db"), "restored");
    ASSERT_TRUE(QFile::copy(m_folders.path("restored.db"), path + ".tmp"));
    ASSERT_EQ(std::rename(QFile::encodeName(path + ".tmp").constData(), QFile::encodeName(path).constData()),
              0);

    const QJsonObject afterReplace = call("ExecuteQuery", nameQuery, second);
    EXPECT_EQ(cell(afterReplace, 0, "S_NAME").toString(), "restored")
        << qPrintable(afterReplace.value("reason").toString());
    EXPECT_EQ(cell(call("ExecuteQuery", nameQuery), 0, "S_NAME").toString(), "restored");
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_ITEM"), "1");
    EXPECT_EQ(execute("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (3, 'after')").value("result"), "OK");
    EXPECT_EQ(scalar("PRAGMA integrity_check"), "ok");

    // Removed: made again from the schema.
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(cell(call("ExecuteQuery", nameQuery, second), 0, "S_NAME"), "seed");
    EXPECT_EQ(scalar("SELECT count(*) FROM TAB_ITEM"), "1");
}

TEST_F(DatabaseFileTest, FileThatIsNotADatabaseIsAnSqlError)
{
    writeFile(m_folders.databasePath("Tessel"), QByteArray(4096, 'x'));
    const QJsonObject a = execute("SELECT 1");
    EXPECT_EQ(a.value("code"), "sql");
    EXPECT_TRUE(a.value("reason").toString().contains("not a database"))
        << qPrintable(a.value("reason").toString());
}

TEST(StatementCacheTest, EvictsTheLeastRecentlyUsed)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    auto prepare = [db](const char* sql) {
        sqlite3_stmt* s = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &s, nullptr), SQLITE_OK);
        return std::vector<sqlite3_stmt*>{s};
    };
    {
        StatementCache cache(2);
        cache.insert("SELECT 1", prepare("SELECT 1"));
        cache.insert("SELECT 2", prepare("SELECT 2"));
        ASSERT_NE(cache.find("SELECT 1"), nullptr);  // now the most recent
        cache.insert("SELECT 3", prepare("SELECT 3"));
        EXPECT_EQ(cache.size(), 2);
        EXPECT_EQ(cache.find("SELECT 2"), nullptr);
        ASSERT_NE(cache.find("SELECT 1"), nullptr);
        EXPECT_STREQ(sqlite3_sql(cache.find("SELECT 3")->statements.at(0)), "SELECT 3");
    }
    // Every statement was finalized: the connection closes cleanly.
    EXPECT_EQ(sqlite3_close(db), SQLITE_OK);
}

TEST(TransactionControlTest, RecognisesStatementsThatEndATransaction)
{
    const struct
    {
        const char* sql;
        TransactionControl kind;
    } cases[] = {
        {"BEGIN", TransactionControl::Redundant},
        {"  begin immediate transaction", TransactionControl::Redundant},
        {"/* c */ COMMIT", TransactionControl::Redundant},
        {"-- note\nEND;", TransactionControl::Redundant},
        {"ROLLBACK", TransactionControl::Rollback},
        {"rollback transaction;", TransactionControl::Rollback},
        {"ROLLBACK TO sp1", TransactionControl::None},
        {"ROLLBACK TRANSACTION TO SAVEPOINT sp1", TransactionControl::None},
        {"SAVEPOINT sp1", TransactionControl::None},
        {"BEGINNING", TransactionControl::None},
        {"SELECT 'BEGIN'", TransactionControl::None},
        {"ENDX", TransactionControl::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(transactionControlOf(c.sql), c.kind) << c.sql;
    }
}

TEST(DatabaseNamesTest, OnlyTheFourNames)
{
    EXPECT_EQ(databaseIndex(u"Tessel"), 0);
    EXPECT_EQ(databaseIndex(u"Tessel-passengerFlow"), 3);
    for (const char16_t* bad : {u"tessel", u"Tessel ", u"../Tessel", u"", u"Tessel-record.db"}) {
        EXPECT_EQ(databaseIndex(bad), -1);
    }
}

}  // namespace
