#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "HandlerTestSupport.h"
#include "LogCapture.h"

#include <QFile>
#include <QJsonArray>

using Partitions = RemoteDBHandlerRequests;

TEST_F(Partitions, StatementAndQueryCommandsSendTheirMembers)
{
    // Through the base DAO wrappers: wait limit 3, broadcast flag false.
    EXPECT_EQ(CLS_BaseEntityDAO::PartitionExecute("Tessel", "DELETE FROM T", "T", "2024"), 0);
    FakeRequest r = lastRequest();
    EXPECT_EQ(r.command, QString("PartitionExecute"));
    EXPECT_EQ(r.timeoutOrSelector, 3);
    EXPECT_EQ(r.request,
              parseJson(R"({"DbName":"Tessel","sqlexec":"DELETE FROM T","tableName":"T","suffix":"2024",
        "isBroadcast":false})"));

    EXPECT_EQ(CLS_BaseEntityDAO::PartitionExecuteEx("Tessel", "UPDATE T SET A=:a", "T", "x", {{":a", 1}}), 0);
    r = lastRequest();
    EXPECT_EQ(r.command, QString("PartitionExecuteEx"));
    EXPECT_EQ(r.request,
              parseJson(R"({"DbName":"Tessel","sqlexec":"UPDATE T SET A=:a","tableName":"T","suffix":"x",
        "isBroadcast":false,"bindValue":{":a":1}})"));

    answer(0, R"({"result":"OK","data":{"ret":[{"record":[{"key":"A","value":"1"}]}]}})");
    RecordSet* pRows =
        CLS_BaseEntityDAO::PartitionExecuteQuery("Tessel-intelligent", "SELECT * FROM T  WHERE  1=1",
                                                 "  WHERE  1=1", "T", "202401", "202403", 10, 20, "DESC");
    ASSERT_NE(pRows, nullptr);
    EXPECT_EQ(pRows->size(), 1);
    CLS_BaseEntityDAO::FreeRecordSet(pRows);
    EXPECT_EQ(pRows, nullptr);
    r = lastRequest();
    EXPECT_EQ(r.command, QString("PartitionExecuteQuery"));
    EXPECT_EQ(r.request, parseJson(R"({"DbName":"Tessel-intelligent","sqlexec":"SELECT * FROM T  WHERE  1=1",
        "where":"  WHERE  1=1","tableName":"T","startSuffix":"202401","endSuffix":"202403","startNum":10,
        "pageSize":20,"order":"DESC"})"));

    answer(0, R"({"result":"OK","data":{"ret":[]}})");
    pRows = CLS_BaseEntityDAO::PartitionExecuteQueryEx("Tessel", "SELECT", "", "T", "", "", -1, -1, "",
                                                       {{":b", "v"}});
    ASSERT_NE(pRows, nullptr);
    EXPECT_TRUE(pRows->isEmpty());
    CLS_BaseEntityDAO::FreeRecordSet(pRows);
    r = lastRequest();
    EXPECT_EQ(r.command, QString("PartitionExecuteQueryEx"));
    EXPECT_EQ(r.request, parseJson(R"({"DbName":"Tessel","sqlexec":"SELECT","where":"","tableName":"T",
        "startSuffix":"","endSuffix":"","startNum":-1,"pageSize":-1,"order":"","bindValue":{":b":"v"}})"));
}

TEST_F(Partitions, TransactionsGoInSuffixOrderAndStatementTextOrder)
{
    QMap<QString, QVector<QString>> plain;
    plain.insert("b", {"S3", "S1"});
    plain.insert("a", {"S2"});
    EXPECT_EQ(CLS_BaseEntityDAO::PartitionExecuteTransaction("Tessel", "T", plain), 0);
    FakeRequest r = lastRequest();
    EXPECT_EQ(r.command, QString("PartitionExecuteTransaction"));
    EXPECT_EQ(r.request, parseJson(R"({"DbName":"Tessel","tableName":"T","sqlexec":[
        {"key":"a","value":["S2"]},{"key":"b","value":["S3","S1"]}]})"));

    // The inner map is keyed by the statement: an UPDATE added before a DELETE runs after it.
    QMap<QString, QMap<QString, QMap<QString, QVariant>>> binds;
    binds["202402"]["UPDATE T SET A=:a"] = {{":a", 1}};
    binds["202402"]["DELETE FROM T WHERE B=:b"] = {{":b", "x"}};
    binds["202401"]["INSERT INTO T VALUES(:c)"] = {{":c", 2.5}};
    EXPECT_EQ(CLS_BaseEntityDAO::PartitionExecuteTransactionEx("Tessel", "T", binds), 0);
    r = lastRequest();
    EXPECT_EQ(r.command, QString("PartitionExecuteTransactionEx"));
    EXPECT_EQ(r.request, parseJson(R"J({"DbName":"Tessel","tableName":"T","sqlArray":[
        {"endSuffix":"202401","sqlQueryArray":[{"sqlQuery":"INSERT INTO T VALUES(:c)","bindValue":{":c":2.5}}]},
        {"endSuffix":"202402","sqlQueryArray":[{"sqlQuery":"DELETE FROM T WHERE B=:b","bindValue":{":b":"x"}},
                                               {"sqlQuery":"UPDATE T SET A=:a","bindValue":{":a":1}}]}]})J"));
}

TEST_F(Partitions, FailuresAreLoggedUnderTheirQualifiedNames)
{
    LogCapture log;
    answer(0, R"({"result":"ERROR","reason":"no such table: T2024"})");
    EXPECT_EQ(CLS_BaseEntityDAO::PartitionExecute("Tessel", "X", "T", "2024"), -1);
    EXPECT_TRUE(log.has(2, "[CLS_RemoteDBHandler::PartitionExecute]return:iRet = -1"));
    EXPECT_TRUE(log.has(3, "DB error reason:no such table: T2024"));

    answer(-1002, "");
    EXPECT_EQ(CLS_BaseEntityDAO::PartitionExecuteQuery("Tessel", "X", "", "T", "", "", -1, -1, ""), nullptr);
    EXPECT_TRUE(log.hasPart(2, "[CLS_RemoteDBHandler::PartitionExecuteQuery][REQUEST]{"));
    EXPECT_TRUE(log.has(2, "[CLS_RemoteDBHandler::PartitionExecuteQuery][RESPONSE]"));

    answer(0, R"({"result":"OK","data":{"ret":5}})");
    EXPECT_EQ(CLS_BaseEntityDAO::PartitionExecuteTransaction("Tessel", "T", {{"a", {"S"}}}), 5);
    EXPECT_TRUE(log.has(2, "[CLS_RemoteDBHandler::PartitionExecuteTransaction]return:iRet = 5"));
}

TEST_F(Partitions, GetTablesAppendsAndReportsFailure)
{
    QVector<QString> tables{"KEEP"};
    answer(0, R"({"result":"OK","data":{"tables":["T202401","T202402"]}})");
    EXPECT_EQ(CLS_BaseEntityDAO::PartitionGetTables("Tessel", "T", "", "", tables), 0);
    EXPECT_EQ(tables, (QVector<QString>{"KEEP", "T202401", "T202402"}));
    EXPECT_EQ(lastRequest().request,
              parseJson(R"({"DbName":"Tessel","tableName":"T","startSuffix":"","endSuffix":""})"));
    answer(0, R"({"result":"OK","data":{"tables":[]}})");
    EXPECT_EQ(CLS_BaseEntityDAO::PartitionGetTables("Tessel", "T", "", "", tables), 0);

    // Every failure is a negative result and leaves the list as it was: never "no table".
    LogCapture log;
    answer(-1002, "");
    EXPECT_EQ(CLS_BaseEntityDAO::PartitionGetTables("Tessel", "T", "", "", tables), -1002);
    EXPECT_TRUE(log.has(1, "CLS_RemoteDBHandler::PartitionGetTables SendTextMessage return null."));
    for (const char* pszAnswer :
         {"not json", R"({"result":"ERROR","reason":"busy"})", R"({"result":"OK","data":{}})",
          R"({"result":"OK","data":{"tables":"T202403"}})",
          R"({"result":"OK","data":{"tables":["T202403",7]}})"}) {
        answer(0, pszAnswer);
        EXPECT_EQ(CLS_BaseEntityDAO::PartitionGetTables("Tessel", "T", "", "", tables), -1) << pszAnswer;
        EXPECT_EQ(tables.size(), 3) << pszAnswer;
    }

    CLS_RemoteDBHandlerTestAccess::setState(-18, true);
    const int iSent = m_pFake->requests.size();
    EXPECT_EQ(CLS_BaseEntityDAO::PartitionGetTables("Tessel", "T", "", "", tables), -1);
    EXPECT_EQ(tables.size(), 3);
    EXPECT_EQ(m_pFake->requests.size(), iSent);
    EXPECT_TRUE(log.has(2, "CLS_RemoteDBHandler::PartitionGetTables Connection invalid."));
}

TEST_F(Partitions, PerClientTableExistenceAndCreation)
{
    CLS_BaseEntityDAO dao;
    CLS_BaseEntityDAO::ResetSysIdForTest();
    {
        LogCapture log;
        EXPECT_EQ(dao.TableIsExist("TAB_OBJ_ALARM_ACTION"), -1);
        EXPECT_TRUE(log.has(3, "CLS_BaseEntityDAO::TableIsExist GetSysId fail iRet = -1"));
        EXPECT_TRUE(log.has(1, "GetSysId failed.Sysid Not Init ."));
        EXPECT_EQ(dao.CreateTable("TAB_OBJ_ALARM_ACTION"), -1);
        EXPECT_TRUE(log.has(3, "CLS_BaseEntityDAO::CreateTable GetSysId fail iRet = -1"));
        EXPECT_TRUE(m_pFake->requests.isEmpty());
    }
    QFile file(QCoreApplication::applicationDirPath() + "/StartConfiguration.json");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(R"({"clientid":"abc123"})");
    file.close();
    ASSERT_EQ(CLS_BaseEntityDAO::InitSysId(), 0);

    answer(0, R"({"result":"OK","data":{"tables":["TAB_OBJ_ALARM_ACTIONother"]}})");
    EXPECT_EQ(dao.TableIsExist("TAB_OBJ_ALARM_ACTION"), -1);
    answer(0, R"({"result":"OK","data":{"tables":["TAB_OBJ_ALARM_ACTIONabc123"]}})");
    EXPECT_EQ(dao.TableIsExist("TAB_OBJ_ALARM_ACTION"), 0);

    EXPECT_EQ(dao.CreateTable("TAB_OBJ_ALARM_ACTION"), 0);
    EXPECT_EQ(lastRequest().request.value("sqlexec").toString(),
              QString("CREATE TABLE \"TAB_OBJ_ALARM_ACTIONabc123\" AS SELECT * FROM \"TAB_OBJ_ALARM_ACTION\""));
    LogCapture log;
    answer(0, R"({"result":"ERROR","reason":"table exists"})");
    EXPECT_EQ(dao.CreateTable("TAB_OBJ_ALARM_ACTION"), -1);
    EXPECT_TRUE(log.has(3, "CLS_BaseEntityDAO::CreateTable ExecuteInsert fail iRet = -1"));

    file.remove();
    CLS_BaseEntityDAO::ResetSysIdForTest();
}

TEST_F(Partitions, GetFirstValueTakesTheSmallestColumnOfTheFirstRow)
{
    answer(0, R"({"result":"OK","data":{"ret":[{"record":[{"key":"b","value":"2"},{"key":"a","value":"1"}]},
        {"record":[{"key":"a","value":"9"}]}]}})");
    EXPECT_EQ(CLS_BaseEntityDAO::GetFirstValue("Tessel", "SELECT", {}), QString("1"));
    answer(0, R"({"result":"OK","data":{"ret":[]}})");
    EXPECT_EQ(CLS_BaseEntityDAO::GetFirstValue("Tessel", "SELECT", {}), QString("0"));
    answer(0, "garbage");
    EXPECT_EQ(CLS_BaseEntityDAO::GetFirstValue("Tessel", "SELECT", {}), QString("0"));
}
