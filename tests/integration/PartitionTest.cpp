// Partitioned tables against a real server: partitions made from their template, paging over
// a range in both orders, atomic transactions across partitions, per-client tables.
#include "CLS_RemoteDBHandler.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "IntegrationFixture.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

namespace {

const auto* const g_env = ::testing::AddGlobalTestEnvironment(
    new IntegrationEnvironment(IntegrationOptions{"9a870001", false, {}, nullptr, nullptr, [] {
        ASSERT_EQ(CLS_BaseEntityDAO::Execute(
                      "Tessel",
                      "CREATE TABLE T_EVT(I_ID INTEGER PRIMARY KEY, S_NAME TEXT DEFAULT 'none', "
                      "I_V INTEGER NOT NULL DEFAULT 7)"),
                  0);
        ASSERT_EQ(CLS_BaseEntityDAO::Execute("Tessel", "CREATE INDEX IDX_T_EVT_V ON T_EVT(I_V)"), 0);
        ASSERT_EQ(CLS_BaseEntityDAO::Execute("Tessel", "CREATE TABLE T_EVT_LOG(S_WHAT TEXT)"), 0);
        ASSERT_EQ(CLS_BaseEntityDAO::Execute(
                      "Tessel",
                      "CREATE TRIGGER TRG_T_EVT AFTER INSERT ON T_EVT BEGIN INSERT INTO T_EVT_LOG "
                      "VALUES(NEW.S_NAME); END"),
                  0);
        // Ten rows in each of three partitions, written through the partition commands.
        for (const QString strSuffix : {"202401", "202402", "202403"}) {
            for (int i = 1; i <= 10; ++i) {
                ASSERT_EQ(CLS_BaseEntityDAO::PartitionExecuteEx(
                              "Tessel", "INSERT INTO T_EVT(I_ID, S_NAME) VALUES(:id, :name)", "T_EVT", strSuffix,
                              {{":id", i}, {":name", strSuffix + "-" + QString::number(i)}}),
                          0);
            }
        }
    }}));

QStringList names(RecordSet* _pRows)
{
    QStringList lst;
    if (_pRows != nullptr) {
        for (const QMap<QString, QString>* pRow : *_pRows) {
            lst << pRow->value("S_NAME");
        }
    }
    CLS_BaseEntityDAO::FreeRecordSet(_pRows);
    return lst;
}

QStringList rows(const QString& _strSql, const QMap<QString, QVariant>& _mapBind = {})
{
    return names(CLS_BaseEntityDAO::ExecuteQueryEx("Tessel", _strSql, _mapBind));
}

}  // namespace

TEST(Partitions, AWriteCreatesThePartitionFromItsTemplate)
{
    QVector<QString> tables;
    CLS_BaseEntityDAO::PartitionGetTables("Tessel", "T_EVT", "", "", tables);
    EXPECT_EQ(tables, (QVector<QString>{"T_EVT202401", "T_EVT202402", "T_EVT202403"}));
    tables.clear();
    CLS_BaseEntityDAO::PartitionGetTables("Tessel", "T_EVT", "202402", "", tables);
    EXPECT_EQ(tables, (QVector<QString>{"T_EVT202402", "T_EVT202403"}));

    // The template's defaults, index and trigger came along.
    RecordSet* pRows = CLS_BaseEntityDAO::ExecuteQuery(
        "Tessel", "SELECT type, tbl_name FROM sqlite_master WHERE tbl_name = 'T_EVT202402' ORDER BY type");
    ASSERT_NE(pRows, nullptr);
    QStringList types;
    for (const auto* pRow : *pRows) {
        types << pRow->value("type");
    }
    CLS_BaseEntityDAO::FreeRecordSet(pRows);
    EXPECT_TRUE(types.contains("index")) << types.join(',').toStdString();
    EXPECT_TRUE(types.contains("trigger")) << types.join(',').toStdString();
    EXPECT_EQ(CLS_BaseEntityDAO::GetFirstValue("Tessel", "SELECT MIN(I_V) AS V FROM T_EVT202402", {}),
              QString("7"));
    EXPECT_EQ(CLS_BaseEntityDAO::GetFirstValue("Tessel", "SELECT COUNT(*) AS N FROM T_EVT_LOG", {}),
              QString("30"));
    // The template itself holds nothing.
    EXPECT_EQ(CLS_BaseEntityDAO::GetFirstValue("Tessel", "SELECT COUNT(*) AS N FROM T_EVT", {}),
              QString("0"));
}

struct PageCase
{
    const char* name;
    const char* start;
    const char* end;
    int startNum;
    int pageSize;
    const char* order;
    const char* expected;  // S_NAME values joined by ','
};

class PartitionPaging : public ::testing::TestWithParam<PageCase>
{
};

TEST_P(PartitionPaging, PageOverTheRange)
{
    const PageCase& c = GetParam();
    const QStringList got = names(CLS_BaseEntityDAO::PartitionExecuteQueryEx(
        "Tessel", "SELECT I_ID, S_NAME FROM T_EVT  WHERE  I_ID > :min ORDER BY I_ID", "  WHERE  I_ID > :min",
        "T_EVT", c.start, c.end, c.startNum, c.pageSize, c.order, {{":min", 0}}));
    EXPECT_EQ(got.join(','), QString(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Partitions, PartitionPaging,
    ::testing::Values(
        PageCase{"ascAcrossTwo", "", "", 8, 5, "", "202401-9,202401-10,202402-1,202402-2,202402-3"},
        PageCase{"descAcrossTwo", "", "", 8, 5, "DESC", "202403-9,202403-10,202402-1,202402-2,202402-3"},
        PageCase{"descThirdPartition", "", "", 25, 10, "DESC",
                 "202401-6,202401-7,202401-8,202401-9,202401-10"},
        PageCase{"boundedRange", "202402", "202402", 0, 3, "", "202402-1,202402-2,202402-3"},
        PageCase{"beyondTheEnd", "", "", 30, 5, "", ""},
        PageCase{"noPartitionInRange", "202501", "202512", -1, -1, "", ""},
        PageCase{"openLowerBound", "", "202401", 9, -1, "DESC", "202401-10"}),
    [](const ::testing::TestParamInfo<PageCase>& info) { return std::string(info.param.name); });

TEST(Partitions, ANulCharacterInTheStatementIsRefused)
{
    // SQLite stops reading at a NUL; the server must refuse the text, not spin on it.
    EXPECT_EQ(CLS_BaseEntityDAO::PartitionExecute("Tessel", QString("SELECT * FROM T_EVT;") + QChar(0),
                                                  "T_EVT", "202401"),
              -1);
    EXPECT_EQ(CLS_BaseEntityDAO::GetFirstValue("Tessel", "SELECT COUNT(*) AS N FROM T_EVT202401", {}),
              QString("10"));
}

TEST(Partitions, NoPagingReturnsEveryRowOfTheRange)
{
    const QStringList all = names(CLS_BaseEntityDAO::PartitionExecuteQuery(
        "Tessel", "SELECT S_NAME FROM T_EVT ORDER BY I_ID", "", "T_EVT", "", "", -1, -1, ""));
    ASSERT_EQ(all.size(), 30);
    EXPECT_EQ(all.first(), QString("202401-1"));
    EXPECT_EQ(all.last(), QString("202403-10"));
}

TEST(Partitions, TransactionsAcrossPartitionsAreAllOrNothing)
{
    QMap<QString, QVector<QString>> failing;
    failing.insert("202401", {"UPDATE T_EVT SET S_NAME = 'changed' WHERE I_ID = 1"});
    failing.insert("202402", {"INSERT INTO T_EVT(I_ID) VALUES(1)"});  // primary key clash
    EXPECT_NE(CLS_BaseEntityDAO::PartitionExecuteTransaction("Tessel", "T_EVT", failing), 0);
    EXPECT_EQ(rows("SELECT S_NAME FROM T_EVT202401 WHERE I_ID = 1"), QStringList{"202401-1"});

    QMap<QString, QMap<QString, QMap<QString, QVariant>>> binds;
    binds["202403"]["UPDATE T_EVT SET S_NAME = :n WHERE I_ID = :id"] = {{":n", "x"}, {":id", 2}};
    binds["202404"]["INSERT INTO T_EVT(I_ID, S_NAME) VALUES(:id, :n)"] = {{":id", 1}, {":n", "202404-1"}};
    EXPECT_EQ(CLS_BaseEntityDAO::PartitionExecuteTransactionEx("Tessel", "T_EVT", binds), 0);
    EXPECT_EQ(rows("SELECT S_NAME FROM T_EVT202403 WHERE I_ID = 2"), QStringList{"x"});
    EXPECT_EQ(rows("SELECT S_NAME FROM T_EVT202404"), QStringList{"202404-1"});
    CLS_BaseEntityDAO::PartitionExecute("Tessel", "DELETE FROM T_EVT", "T_EVT", "202404");
}

TEST(Partitions, PerClientTableExistsOnceCreated)
{
    const QString strConfig = QCoreApplication::applicationDirPath() + "/StartConfiguration.json";
    {
        QFile file(strConfig);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(R"({"clientid":"1e5700000000001"})");
    }
    CLS_BaseEntityDAO::ResetSysIdForTest();
    ASSERT_EQ(CLS_BaseEntityDAO::InitSysId(), 0);
    QFile::remove(strConfig);

    ASSERT_EQ(CLS_BaseEntityDAO::Execute("Tessel",
                                         "CREATE TABLE TAB_ITEST_PERCLIENT(S_ID TEXT PRIMARY KEY, S_V TEXT)"),
              0);
    ASSERT_EQ(CLS_BaseEntityDAO::Execute("Tessel", "INSERT INTO TAB_ITEST_PERCLIENT VALUES('shared', 'row')"),
              0);
    CLS_BaseEntityDAO dao;
    EXPECT_EQ(dao.TableIsExist("TAB_ITEST_PERCLIENT"), -1);
    EXPECT_EQ(dao.CreateTable("TAB_ITEST_PERCLIENT"), 0);
    EXPECT_EQ(dao.TableIsExist("TAB_ITEST_PERCLIENT"), 0);
    // The new client starts with a copy of the shared rows.
    EXPECT_EQ(
        CLS_BaseEntityDAO::GetFirstValue("Tessel", "SELECT S_V FROM TAB_ITEST_PERCLIENT1e5700000000001", {}),
        QString("row"));
    CLS_BaseEntityDAO::ResetSysIdForTest();
}
