// The device DAOs against the recording socket: the statements and bind maps they send, the
// paging arithmetic, and how answers become entities.
#include "DataBase/EntityDao/HostConfig/CLS_AlarmInEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmOutEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_ChannelEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_HostEntityDAO.h"
#include "HandlerTestSupport.h"
#include "LogCapture.h"

#include <QJsonArray>

#include <functional>

namespace {

typedef AnswerRow Row;

QString countAnswer(int _iCount)
{
    return rowsAnswer({{{"COUNT(*)", QString::number(_iCount)}}});
}

const char kErrorAnswer[] = R"({"result":"ERROR","reason":"no such table","code":"sql"})";

QString authorityTypesAnswer(const QStringList& _lstTypes)
{
    QList<Row> rows;
    for (const QString& strType : _lstTypes) {
        rows.append({{"I_AUTHORITY_TYPE_ID", strType}});
    }
    return rowsAnswer(rows);
}

QJsonArray jsonArray(const char* _pszJson)
{
    return QJsonDocument::fromJson(QByteArray(_pszJson)).array();
}

QStringList statementsOf(const FakeRequest& _request)
{
    QStringList lst;
    for (const QJsonValue& v : _request.request.value("sqlexec").toArray()) {
        lst.append(v.toString());
    }
    return lst;
}

CLS_HostEntity sampleHost()
{
    CLS_HostEntity e;
    e.S_ID = "h-1";
    e.S_CAPTION = "Gate";
    e.S_IP = "10.1.2.3";
    e.I_PORT = 3001;
    e.S_USERNAME = "admin";
    e.S_PASSWORD = "pw1";
    e.S_DESCRIPTION = "memo";
    e.I_DEVTYPE = 0;
    e.I_VIDEO_HOST_TYPE_ID = 2;
    e.S_DNS_IP = "dns";
    e.I_DNS_PORT = 53;
    e.I_DNS_TYPE = 1;
    e.S_PRODUCT_ID = "SN1";
    e.S_DOMAIN = "dom";
    e.I_HTTP_PORT = 8080;
    e.S_ITS_NUMBER = "its";
    e.I_PROXY_TYPE = 4;
    e.S_PROXY1_ID = "p1";
    e.S_PROXY1_IP = "1.1.1.1";
    e.I_PROXY1_PORT = 11;
    e.S_PROXY1_CAPTION = "P1";
    e.S_PROXY2_ID = "p2";
    e.S_PROXY2_IP = "2.2.2.2";
    e.I_PROXY2_PORT = 22;
    e.S_PROXY2_CAPTION = "P2";
    e.S_DNS_USER = "du";
    e.S_DNS_PASSWORD = "dp";
    e.I_ENABLE_DEFENCE = 0;
    return e;
}

CLS_ChannelEntity sampleChannel(const QString& _strID, int _iNum)
{
    CLS_ChannelEntity e;
    e.S_ID = _strID;
    e.S_PARENT_ID = "h-1";
    e.S_CAPTION = "Cam";
    e.S_DOMAIN_ID = "d1";
    e.I_NUM = _iNum;
    e.S_DESCRIPTION = "memo";
    e.I_LINK_TYPE_ID = 1;
    e.I_BUF_NUM = 20;
    e.I_DELAY_NUM = 2;
    e.I_PROTOCOL_TYPE = 3;
    e.I_PTZ_ADDR = 4;
    e.I_COM_PORT = 5;
    e.I_BAUDRATE = 9600;
    e.I_CONTROL_TYPE = 6;
    e.I_SPEED_X = 7;
    e.I_SPEED_Y = 8;
    e.I_DATA_TYPE = 9;
    e.I_ENCRYPT_ENABLED = true;
    e.S_DECRYPT_CODE = "  key  ";
    e.I_ENABLE_DEFENCE = 0;
    return e;
}

}  // namespace

using DevicesDao = RemoteDBHandlerRequests;

TEST_F(DevicesDao, HostInsertWritesObjectHostRowsAndAdminRightsInOneTransaction)
{
    const QString strPwd = CLS_BaseEntityDAO::EncodePassword("pw1");
    ASSERT_FALSE(strPwd.isEmpty());
    ASSERT_NE(strPwd, QString("pw1"));
    const QString strRows = QString(R"([
        {"bindValue":{":hostEntityID":"h-1",":hostEntityName":"Gate"}},
        {"bindValue":{":hostEntityID":"h-1",":hostEntityIP":"10.1.2.3",":hostEntityUser":"admin",
                      ":hostEntityPWD":"%1",":hostEntityMemo":"memo",":hostEntityDNSIP":"dns",
                      ":hostEntitySerialNo":"SN1",":hostEntityDomain":"dom",":hostEntityITSHostNo":"its"}},
        {"bindValue":{":hostEntityID":"h-1",":hostEntityProxyID1":"p1",":hostEntityProxyIP1":"1.1.1.1",
                      ":hostEntityProxyName1":"P1",":hostEntityProxyID2":"p2",":hostEntityProxyIP2":"2.2.2.2",
                      ":hostEntityProxyName2":"P2",":hostEntityDNSUser":"du",":hostEntityDNSPassword":"dp",
                      ":hostEntityDefenceState":0}})")
                                .arg(strPwd);
    const QStringList lstObjectRows{
        "Insert Into TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) Values (:hostEntityID, "
        "NULL, "
        "4, :hostEntityName, 1)",
        "Insert Into TAB_DEV_VIDEO_HOST(S_ID, S_IP, I_PORT, S_USERNAME, S_PASSWORD, S_DESCRIPTION, "
        "I_DEVTYPE,I_VIDEO_HOST_TYPE_ID, S_DNS_IP, I_DNS_PORT,I_DNS_TYPE,S_PRODUCT_ID,S_DOMAIN,I_HTTP_PORT,"
        "S_ITS_NUMBER) Values (:hostEntityID, :hostEntityIP, 3001, :hostEntityUser, :hostEntityPWD, "
        ":hostEntityMemo, 0, 2, :hostEntityDNSIP, 53, 1, :hostEntitySerialNo, :hostEntityDomain, 8080, "
        ":hostEntityITSHostNo)",
        "Insert Into TAB_HOST(S_ID, I_PROXY_TYPE, S_PROXY1_ID, S_PROXY1_IP, I_PROXY1_PORT, "
        "S_PROXY1_CAPTION,S_PROXY2_ID, S_PROXY2_IP, I_PROXY2_PORT, S_PROXY2_CAPTION, S_DNS_USER, "
        "S_DNS_PASSWORD, I_ENABLE_DEFENCE) Values (:hostEntityID, 4, :hostEntityProxyID1, "
        ":hostEntityProxyIP1, "
        "11, :hostEntityProxyName1, :hostEntityProxyID2, :hostEntityProxyIP2, 22, :hostEntityProxyName2, "
        ":hostEntityDNSUser, :hostEntityDNSPassword, :hostEntityDefenceState)"};
    const QString strRight =
        "INSERT INTO TAB_OBJ_ROLE_AUTHORITY(S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS, S_PARENT_ID) "
        "VALUES "
        "(:hostEntityID, 'admin_role', %1, 1, :hostEntityID)";

    struct Case
    {
        const char* name;
        QStringList types;
    };
    const Case cases[] = {{"one authority type", {"1"}}, {"two authority types", {"1", "3"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_pFake->reset();
        answer(0, authorityTypesAnswer(c.types));
        CLS_HostEntityDAO dao;
        ASSERT_EQ(m_pFake->requests.size(), 1);
        EXPECT_EQ(m_pFake->requests[0].command, QString("ExecuteQuery"));
        EXPECT_EQ(
            m_pFake->requests[0].request.value("sqlexec").toString(),
            QString("SELECT I_AUTHORITY_TYPE_ID FROM TAB_OBJ_TYPE_AUTHORITY_TYPE WHERE I_OBJ_TYPE_ID=4"));
        EXPECT_EQ(dao.AuthorityTypes(), c.types);

        EXPECT_EQ(dao.InsertHost(sampleHost()), 0);
        ASSERT_EQ(m_pFake->requests.size(), 2);
        const FakeRequest r = lastRequest();
        EXPECT_EQ(r.command, QString("ExecuteTransactionEx"));
        EXPECT_EQ(r.timeoutOrSelector, 3);
        EXPECT_EQ(r.request.value("DbName").toString(), QString("Tessel"));
        QStringList lstExpected = lstObjectRows;
        QString strBinds = strRows;
        for (const QString& strType : c.types) {
            lstExpected << strRight.arg(strType);
            strBinds += R"(,{"bindValue":{":hostEntityID":"h-1"}})";
        }
        EXPECT_EQ(statementsOf(r), lstExpected);
        EXPECT_EQ(r.request.value("bindValues").toArray(), jsonArray(qPrintable(strBinds + "]")));
    }
}

// A host without rights for 'admin_role' would be invisible to every user: the types are read
// again while none are held, and the insert fails while they cannot be had.
TEST_F(DevicesDao, AuthorityTypesAreReadAgainUntilHadAndAnInsertWithoutThemFails)
{
    answer(0, kErrorAnswer);  // the first read fails
    CLS_HostEntityDAO hosts;
    EXPECT_TRUE(hosts.AuthorityTypes().isEmpty());
    LogCapture log;
    m_pFake->reset();
    answer(0, kErrorAnswer);  // so does the next
    EXPECT_EQ(hosts.InsertHost(sampleHost()), -1);
    ASSERT_EQ(m_pFake->requests.size(), 1);
    EXPECT_EQ(m_pFake->requests[0].command, QString("ExecuteQuery"));
    EXPECT_TRUE(log.has(3, "CLS_HostEntityDAO::InsertHost no authority types for admin_role")) << qPrintable(log.dump());

    m_pFake->reset();
    answer(0, authorityTypesAnswer({}));  // no types stored: as good as none
    EXPECT_EQ(hosts.InsertHost(sampleHost()), -1);
    EXPECT_EQ(m_pFake->requests.size(), 1);

    m_pFake->reset();
    answer(0, authorityTypesAnswer({"1", "2"}));
    EXPECT_EQ(hosts.InsertHost(sampleHost()), 0);
    ASSERT_EQ(m_pFake->requests.size(), 2);
    const QStringList lstSql = statementsOf(m_pFake->requests[1]);
    EXPECT_EQ(lstSql.filter("TAB_OBJ_ROLE_AUTHORITY").size(), 2);
    EXPECT_EQ(hosts.AuthorityTypes(), (QStringList{"1", "2"}));

    // Held now: the next insert reads nothing.
    m_pFake->reset();
    EXPECT_EQ(hosts.InsertHost(sampleHost()), 0);
    EXPECT_EQ(m_pFake->requests.size(), 1);

    // The same for every kind of device object.
    answer(0, kErrorAnswer);
    answer(0, kErrorAnswer);
    answer(0, kErrorAnswer);
    CLS_ChannelEntityDAO channels;
    CLS_AlarmInEntityDAO alarmIns;
    CLS_AlarmOutEntityDAO alarmOuts;
    const CLS_ChannelEntity channel = sampleChannel("c-1", 0);
    CLS_AlarmInEntity alarmIn;
    CLS_AlarmOutEntity alarmOut;
    const std::pair<const char*, std::function<int()>> inserts[] = {
        {"InsertChannel", [&] { return channels.InsertChannel(channel); }},
        {"InsertChannels", [&] { return channels.InsertChannels({const_cast<CLS_ChannelEntity*>(&channel)}); }},
        {"InsertAlarmIn", [&] { return alarmIns.InsertAlarmIn(alarmIn); }},
        {"InsertAlarmIns", [&] { return alarmIns.InsertAlarmIns({&alarmIn}); }},
        {"InsertAlarmOut", [&] { return alarmOuts.InsertAlarmOut(alarmOut); }},
        {"InsertAlarmOuts", [&] { return alarmOuts.InsertAlarmOuts({&alarmOut}); }},
    };
    for (const auto& insert : inserts) {
        SCOPED_TRACE(insert.first);
        m_pFake->reset();
        answer(0, kErrorAnswer);
        EXPECT_EQ(insert.second(), -1);
        ASSERT_EQ(m_pFake->requests.size(), 1);
        EXPECT_EQ(m_pFake->requests[0].command, QString("ExecuteQuery"));
    }
}

// The children of a host are found by their parent column, so a host the loaded tree does not
// show still loses them; everything goes in one transaction with the rights rows.
TEST_F(DevicesDao, HostDeletionFindsTheChildrenInTheDatabaseAndDeletesAllInOneTransaction)
{
    CLS_HostEntityDAO hosts;
    const QString strQuoted = "h' OR '1'='1";
    m_pFake->reset();
    answer(0, rowsAnswer({{{"S_ID", "c-1"}}, {{"S_ID", "a-1"}}}));
    EXPECT_EQ(hosts.DeleteHost(strQuoted), 0);
    ASSERT_EQ(m_pFake->requests.size(), 2);
    EXPECT_EQ(m_pFake->requests[0].request.value("sqlexec").toString(),
              QString("SELECT S_ID FROM TAB_OBJ WHERE S_PARENT_ID=:id"));
    EXPECT_EQ(m_pFake->requests[0].request.value("bindValue").toObject(), (QJsonObject{{":id", strQuoted}}));
    const FakeRequest tx = m_pFake->requests[1];
    EXPECT_EQ(tx.command, QString("ExecuteTransactionEx"));
    QStringList lstSql = statementsOf(tx);
    QJsonArray binds = tx.request.value("bindValues").toArray();
    ASSERT_EQ(binds.size(), lstSql.size());
    // The alarm-linkage rules of the objects go in the same transaction with binds of their own.
    for (int i = lstSql.size() - 1; i >= 0; --i) {
        if (lstSql[i].contains("TAB_OBJ_ALARM_ACTION")) {
            lstSql.removeAt(i);
            binds.removeAt(i);
        }
    }
    const QJsonObject ids{{":id0", "c-1"}, {":id1", "a-1"}, {":id2", strQuoted}};
    QStringList lstTables;
    for (int i = 0; i < lstSql.size(); ++i) {
        EXPECT_FALSE(lstSql[i].contains("OR '1'")) << qPrintable(lstSql[i]);
        EXPECT_TRUE(lstSql[i].endsWith("IN (:id0,:id1,:id2)")) << qPrintable(lstSql[i]);
        EXPECT_EQ(binds[i].toObject().value("bindValue").toObject(), ids);
        lstTables << lstSql[i].section(' ', 2, 2);
    }
    for (const char* pszTable : {"TAB_CHANNEL", "TAB_DEV_CAMERA", "TAB_DEV_ALARM_IN", "TAB_DEV_ALARM_OUT",
                                 "TAB_HOST", "TAB_DEV_VIDEO_HOST", "TAB_OBJ_ROLE_AUTHORITY", "TAB_USER_OBJ", "TAB_OBJ"}) {
        EXPECT_TRUE(lstTables.contains(pszTable)) << pszTable;
    }
    EXPECT_EQ(lstTables.last(), QString("TAB_OBJ"));

    // Children that cannot be read: nothing is deleted.
    m_pFake->reset();
    answer(0, kErrorAnswer);
    EXPECT_EQ(hosts.DeleteHost("h-1"), -1);
    EXPECT_EQ(m_pFake->requests.size(), 1);
}

TEST_F(DevicesDao, HostPasswordsThatCannotBeStoredWholeAreRefusedBeforeAnyWrite)
{
    answer(0, authorityTypesAnswer({"1"}));
    CLS_HostEntityDAO hosts;
    for (const QString& strPassword : {QString(1024, QChar('p')), QString::fromUtf8("\xe2\x82\xac")}) {
        CLS_HostEntity host = sampleHost();
        host.S_PASSWORD = strPassword;
        const std::pair<const char*, std::function<int()>> calls[] = {
            {"CLS_HostEntityDAO::InsertHost", [&] { return hosts.InsertHost(host); }},
            {"CLS_HostEntityDAO::UpdateHost", [&] { return hosts.UpdateHost(host); }},
            {"CLS_HostEntityDAO::SetLocalRecorderPassword",
             [&] { return hosts.SetLocalRecorderPassword(strPassword); }},
        };
        for (const auto& call : calls) {
            SCOPED_TRACE(call.first);
            m_pFake->reset();
            LogCapture log;
            EXPECT_LT(call.second(), 0);
            EXPECT_TRUE(m_pFake->requests.isEmpty());
            EXPECT_TRUE(log.hasPart(3, QString(call.first) + " password refused"));
        }
    }
}

TEST_F(DevicesDao, SingleChannelInsertReplacesRightsAndBatchInsertStoresDefence)
{
    answer(0, authorityTypesAnswer({"4"}));
    CLS_ChannelEntityDAO dao;
    EXPECT_EQ(lastRequest().request.value("sqlexec").toString(),
              QString("SELECT I_AUTHORITY_TYPE_ID FROM TAB_OBJ_TYPE_AUTHORITY_TYPE WHERE I_OBJ_TYPE_ID = 5"));

    const QString strObject =
        "Insert Into TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE, S_DOMAIN_ID) Values "
        "(:entityID, :entityHostID, 5, :entityName, 1, :entityDomainID)";
    const QString strCamera =
        "Insert Into TAB_DEV_CAMERA(S_ID, I_NUM, S_DESCRIPTION, I_LINK_TYPE_ID, I_BUF_NUM, I_DELAY_NUM,"
        "I_PROTOCOL_TYPE, I_PTZ_ADDR, I_COM_PORT,I_BAUDRATE, S_PARENT_ID) Values (:entityID, %1, "
        ":entityMemo, 1, "
        "20, 2, 3, 4, 5, 9600, :entityHostID)";
    const QString strBinds = R"(
        {"bindValue":{":entityID":"%1",":entityHostID":"h-1",":entityName":"Cam",":entityDomainID":"d1"}},
        {"bindValue":{":entityID":"%1",":entityMemo":"memo",":entityHostID":"h-1"}},
        {"bindValue":{":entityID":"%1",":entityDecryptCode":"key",":entityHostID":"h-1"}},
        {"bindValue":{":entityID":"%1",":entityHostID":"h-1"}})";
    const QString strRight =
        "%1 Into TAB_OBJ_ROLE_AUTHORITY(S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS, "
        "S_PARENT_ID) Values (:entityID, 'admin_role', 4, 1, :entityHostID)";

    // Single insert: the defence state is left to the table, an existing right is replaced.
    EXPECT_EQ(dao.InsertChannel(sampleChannel("c-1", 0)), 0);
    FakeRequest r = lastRequest();
    EXPECT_EQ(r.command, QString("ExecuteTransactionEx"));
    EXPECT_EQ(statementsOf(r),
              (QStringList{strObject, strCamera.arg(0),
                           "Insert Into TAB_CHANNEL(S_ID,I_CONTROL_TYPE,I_SPEED_X,I_SPEED_Y,I_DATA_TYPE,"
                           "I_ENCRYPT_ENABLED,S_DECRYPT_CODE, S_PARENT_ID) Values (:entityID, 6, 7, 8, 9, 1, "
                           ":entityDecryptCode, :entityHostID)",
                           strRight.arg("REPLACE")}));
    EXPECT_EQ(r.request.value("bindValues").toArray(),
              jsonArray(qPrintable("[" + strBinds.arg("c-1") + "]")));

    // Batch: one transaction, object after object, the defence state stored, rights inserted.
    const int iSent = m_pFake->requests.size();
    CLS_ChannelEntity first = sampleChannel("c-1", 0);
    CLS_ChannelEntity second = sampleChannel("c-2", 1);
    EXPECT_EQ(dao.InsertChannels({&first, nullptr, &second}), 0);
    EXPECT_EQ(m_pFake->requests.size(), iSent + 1);
    r = lastRequest();
    const QString strBatchChannel =
        "Insert Into TAB_CHANNEL(S_ID,I_CONTROL_TYPE,I_SPEED_X,I_SPEED_Y,I_DATA_TYPE,I_ENCRYPT_ENABLED,"
        "S_DECRYPT_CODE, S_PARENT_ID, I_ENABLE_DEFENCE) Values (:entityID, 6, 7, 8, 9, 1, "
        ":entityDecryptCode, "
        ":entityHostID, 0)";
    EXPECT_EQ(statementsOf(r),
              (QStringList{strObject, strCamera.arg(0), strBatchChannel, strRight.arg("Insert"), strObject,
                           strCamera.arg(1), strBatchChannel, strRight.arg("Insert")}));
    EXPECT_EQ(r.request.value("bindValues").toArray(),
              jsonArray(qPrintable("[" + strBinds.arg("c-1") + "," + strBinds.arg("c-2") + "]")));

    // Nothing to insert: nothing is sent.
    EXPECT_EQ(dao.InsertChannels({}), 0);
    EXPECT_EQ(m_pFake->requests.size(), iSent + 1);
}

TEST_F(DevicesDao, ChannelUpdateWritesBindingTypeAndBatchUpdateDoesNot)
{
    CLS_ChannelEntityDAO dao;
    CLS_ChannelEntity e = sampleChannel("c-1", 2);
    e.I_BINDINGDEVTYPE = 3;
    EXPECT_EQ(dao.UpdateChannel(e), 0);
    const QStringList lstSingle = statementsOf(lastRequest());
    EXPECT_EQ(dao.UpdateChannels({&e}), 0);
    const QStringList lstBatch = statementsOf(lastRequest());
    ASSERT_EQ(lstSingle.size(), 3);
    ASSERT_EQ(lstBatch.size(), 3);
    EXPECT_EQ(lstSingle[1],
              QString("Update TAB_DEV_CAMERA Set I_NUM = 2, S_DESCRIPTION = :entityMemo, "
                      "I_BINDINGDEVTYPE = 3, I_LINK_TYPE_ID = 1, I_BUF_NUM = 20, I_DELAY_NUM = 2, "
                      "I_PROTOCOL_TYPE = 3, I_PTZ_ADDR = 4, I_COM_PORT = 5, I_BAUDRATE = 9600 Where "
                      "S_ID = :entityID"));
    EXPECT_FALSE(lstBatch[1].contains("I_BINDINGDEVTYPE"));
    EXPECT_EQ(lstSingle[0], lstBatch[0]);
    EXPECT_EQ(lstSingle[2], lstBatch[2]);
}

TEST_F(DevicesDao, AlarmDeletionsRunThreeTransactionsAndStopAtTheFirstFailure)
{
    struct Twin
    {
        const char* name;
        const char* typeDelete;
        std::function<int(const QStringList&)> remove;
    };
    CLS_AlarmInEntityDAO alarmIns;
    CLS_AlarmOutEntityDAO alarmOuts;
    const Twin twins[] = {
        {"alarm inputs", "Delete From TAB_DEV_ALARM_IN Where S_ID= :id",
         [&](const QStringList& ids) { return alarmIns.DeleteAlarmIns(ids); }},
        {"alarm outputs", "Delete From TAB_DEV_ALARM_OUT Where S_ID= :id",
         [&](const QStringList& ids) { return alarmOuts.DeleteAlarmOuts(ids); }},
    };
    const QJsonArray binds = jsonArray(R"([{"bindValue":{":id":"a"}},{"bindValue":{":id":"b"}}])");
    for (const Twin& t : twins) {
        SCOPED_TRACE(t.name);
        m_pFake->reset();
        EXPECT_EQ(t.remove({"a", "b"}), 0);
        ASSERT_EQ(m_pFake->requests.size(), 3);
        const QString steps[] = {t.typeDelete, "Delete From TAB_OBJ Where S_ID= :id",
                                 "Delete From TAB_OBJ_ROLE_AUTHORITY Where S_OBJ_ID= :id"};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(m_pFake->requests[i].command, QString("ExecuteTransactionEx"));
            QStringList lstSql = statementsOf(m_pFake->requests[i]);
            QJsonArray arrBinds = m_pFake->requests[i].request.value("bindValues").toArray();
            // The first transaction starts with the removal of the points' custom-tree nodes and
            // alarm-linkage rules.
            if (i == 0) {
                ASSERT_FALSE(lstSql.isEmpty());
                EXPECT_EQ(lstSql.first(), QString("DELETE FROM TAB_USER_OBJ WHERE S_OBJ_ID IN (:id0,:id1)"));
            }
            while (i == 0 && !lstSql.isEmpty() &&
                   (lstSql.first().contains("TAB_OBJ_ALARM_ACTION") || lstSql.first().contains("TAB_USER_OBJ"))) {
                lstSql.removeFirst();
                arrBinds.removeFirst();
            }
            EXPECT_EQ(lstSql, (QStringList{steps[i], steps[i]}));
            EXPECT_EQ(arrBinds, binds);
        }

        // The second transaction fails: its result is returned and the third is not sent.
        m_pFake->reset();
        answer(0, R"({"result":"OK","data":{"ret":0}})");
        answer(0, kErrorAnswer);
        EXPECT_EQ(t.remove({"a"}), -1);
        EXPECT_EQ(m_pFake->requests.size(), 2);

        m_pFake->reset();
        EXPECT_EQ(t.remove({}), 0);
        EXPECT_TRUE(m_pFake->requests.isEmpty());
    }
}

TEST_F(DevicesDao, HostPageCountAndPageOffsets)
{
    CLS_HostEntityDAO dao;
    struct PageCount
    {
        int hosts;
        int pageSize;
        int pages;
    };
    const PageCount counts[] = {{25, 10, 3}, {20, 10, 2}, {0, 10, 0}, {1, 10, 1}, {7, 1, 7}};
    for (const PageCount& c : counts) {
        SCOPED_TRACE(testing::Message() << c.hosts << " hosts in pages of " << c.pageSize);
        answer(0, countAnswer(c.hosts));
        EXPECT_EQ(dao.GetHostPageCount(c.pageSize), c.pages);
        EXPECT_EQ(lastRequest().request.value("sqlexec").toString(),
                  QString("SELECT COUNT(*) FROM VIEW_DEV_HOST"));
    }
    answer(0, kErrorAnswer);
    EXPECT_EQ(dao.GetHostPageCount(10), -1);
    const int iSent = m_pFake->requests.size();
    EXPECT_EQ(dao.GetHostPageCount(0), -1);  // refused without a request
    EXPECT_EQ(m_pFake->requests.size(), iSent);

    struct Page
    {
        int pageSize;
        int page;
        const char* limit;
    };
    const Page pages[] = {
        {20, 1, "0,20"}, {20, 0, "0,20"}, {20, -3, "0,20"}, {20, 2, "20,20"}, {10, 3, "20,10"}};
    for (const Page& p : pages) {
        SCOPED_TRACE(testing::Message() << "page " << p.page << " of " << p.pageSize);
        QVector<CLS_HostEntity*> vecHosts;
        EXPECT_EQ(dao.GetHostPage(p.pageSize, p.page, vecHosts), 0);
        EXPECT_EQ(
            lastRequest().request.value("sqlexec").toString(),
            QString("Select * from VIEW_DEV_HOST order by VIEW_DEV_HOST.S_IP asc limit %1").arg(p.limit));
    }
}

TEST_F(DevicesDao, CountsGiveMinusOneForNoAnswer)
{
    CLS_HostEntityDAO hosts;
    CLS_ChannelEntityDAO channels;
    answer(0, countAnswer(4));
    EXPECT_EQ(hosts.GetHostCount(0, ""), 4);
    EXPECT_EQ(lastRequest().request.value("sqlexec").toString(),
              QString("SELECT COUNT(*) FROM TAB_DEV_VIDEO_HOST WHERE 1=1 AND I_DEVTYPE = 0"));
    answer(0, countAnswer(2));
    EXPECT_EQ(hosts.GetHostCount(1, "u-1"), 2);
    EXPECT_EQ(lastRequest().command, QString("ExecuteQueryEx"));
    EXPECT_EQ(lastRequest().request.value("bindValue").toObject(), parseJson(R"({":userID":"u-1"})"));
    EXPECT_TRUE(lastRequest().request.value("sqlexec").toString().endsWith(
        "AND TAB_USER_ROLE.S_USER_ID = :userID) AND I_DEVTYPE = 1"));

    answer(0, rowsAnswer({}));
    EXPECT_EQ(hosts.GetHostCount(0, ""), -1);
    answer(0, kErrorAnswer);
    EXPECT_EQ(channels.GetCameraCount("u-1"), -1);
    answer(0, countAnswer(9));
    EXPECT_EQ(channels.GetCameraCount(""), 9);
    EXPECT_EQ(lastRequest().request.value("sqlexec").toString(),
              QString("SELECT COUNT(*) FROM TAB_DEV_CAMERA"));
}

// Texts that used to be spliced between single quotes are bound: a text holding a quote
// reaches the server as a bind value and never as part of a statement.
TEST_F(DevicesDao, CallerTextsAreBoundNotSpliced)
{
    const QString strQuoted = "x' OR '1'='1";
    CLS_HostEntityDAO hosts;
    CLS_ChannelEntityDAO channels;
    struct Case
    {
        const char* name;
        std::function<void()> call;
        int statements;
    };
    QStringList lstIds;
    QMap<int, QString> mapTypes;
    QVector<CLS_HostEntity*> vecHosts;
    CLS_ChannelEntity channel;
    const Case cases[] = {
        {"DeleteChannel", [&] { channels.DeleteChannel(strQuoted); }, 10},
        {"DeleteChannels",
         [&] {
             channels.DeleteChannels({"c-1", strQuoted});
         },
         10},
        {"GetHostIdsByAddress", [&] { hosts.GetHostIdsByAddress("  " + strQuoted + " ", 0, lstIds); }, 1},
        {"GetHostsOfUser", [&] { hosts.GetHostsOfUser(strQuoted, vecHosts); }, 1},
        {"GetChannelByNum", [&] { channels.GetChannelByNum(" " + strQuoted, 2, channel); }, 1},
        {"GetVideoHostTypes", [&] { hosts.GetVideoHostTypes(0, strQuoted, mapTypes); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_pFake->reset();
        c.call();
        ASSERT_EQ(m_pFake->requests.size(), 1);
        const QJsonObject request = lastRequest().request;
        QStringList lstSql = statementsOf(lastRequest());
        QJsonArray binds;
        if (lstSql.isEmpty()) {
            lstSql << request.value("sqlexec").toString();
            binds.append(QJsonObject{{"bindValue", request.value("bindValue")}});
        } else {
            binds = request.value("bindValues").toArray();
        }
        // Deletions also remove the objects' alarm-linkage rules (their own binds, checked in the
        // alarm tests).
        for (int i = lstSql.size() - 1; i >= 0; --i) {
            if (lstSql[i].contains("TAB_OBJ_ALARM_ACTION")) {
                lstSql.removeAt(i);
                binds.removeAt(i);
            }
        }
        EXPECT_EQ(lstSql.size(), c.statements);
        EXPECT_EQ(binds.size(), c.statements);
        for (const QString& strSql : lstSql) {
            EXPECT_FALSE(strSql.contains("OR '1'")) << qPrintable(strSql);
        }
        // The statement that names the text finds it, trimmed where the operation trims.
        bool bBound = false;
        for (const QJsonValue& v : binds) {
            for (const QJsonValue& value : v.toObject().value("bindValue").toObject()) {
                bBound = bBound || value.toString() == strQuoted;
            }
        }
        EXPECT_TRUE(bBound);
    }
    qDeleteAll(vecHosts);
}

TEST_F(DevicesDao, AddressLookUpSearchesTheColumnOfTheMode)
{
    CLS_HostEntityDAO dao;
    const QPair<int, const char*> modes[] = {
        {1, "S_DOMAIN"}, {2, "S_PRODUCT_ID"}, {0, "S_IP"}, {3, "S_IP"}, {-1, "S_IP"}};
    for (const auto& mode : modes) {
        SCOPED_TRACE(mode.first);
        QStringList lstIds{"kept"};
        answer(0, rowsAnswer({{{"S_ID", "h-1"}}, {{"S_ID", "h-2"}}}));
        EXPECT_EQ(dao.GetHostIdsByAddress(" 10.0.0.1 ", mode.first, lstIds), 0);
        EXPECT_EQ(lstIds, (QStringList{"kept", "h-1", "h-2"}));
        EXPECT_EQ(lastRequest().request.value("sqlexec").toString(),
                  QString("SELECT S_ID From VIEW_DEV_HOST Where %1 = :address").arg(mode.second));
        EXPECT_EQ(lastRequest().request.value("bindValue").toObject(),
                  parseJson(R"({":address":"10.0.0.1"})"));
    }
}

TEST_F(DevicesDao, RowsBecomeEntitiesWithPlainPasswordsAndFailuresLeaveOutputsAlone)
{
    CLS_HostEntityDAO hosts;
    CLS_ChannelEntityDAO channels;
    const QString strStored = CLS_BaseEntityDAO::EncodePassword("s3cret");
    answer(0, rowsAnswer({{{"S_ID", "h-1"},
                           {"S_PASSWORD", strStored},
                           {"I_PORT", "3002"},
                           {"I_DNS_PORT", "abc"},
                           {"S_DNS_PASSWORD", strStored},
                           {"I_ENABLE_DEFENCE", "0"}}}));
    CLS_HostEntity host;
    host.S_DOMAIN = "before";
    EXPECT_EQ(hosts.GetHostById("h-1", host), 0);
    EXPECT_EQ(lastRequest().request.value("bindValue").toObject(), parseJson(R"({":id":"h-1"})"));
    EXPECT_EQ(host.S_PASSWORD, QString("s3cret"));
    EXPECT_EQ(host.S_DNS_PASSWORD, strStored);  // stored as given
    EXPECT_EQ(host.I_PORT, 3002);
    EXPECT_EQ(host.I_DNS_PORT, 0);
    EXPECT_TRUE(host.S_DOMAIN.isEmpty());  // missing column
    EXPECT_EQ(host.I_ENABLE_DEFENCE, 0);

    answer(0, rowsAnswer({}));
    EXPECT_EQ(hosts.GetHostById("nobody", host), -1);
    EXPECT_EQ(host.S_ID, QString("h-1"));

    answer(0, rowsAnswer({{{"S_ID", "c-1"}, {"I_ENCRYPT_ENABLED", "2"}, {"I_NUM", "0"}},
                          {{"S_ID", "c-2"}, {"I_ENCRYPT_ENABLED", "0"}, {"I_NUM", "1"}}}));
    QVector<CLS_ChannelEntity*> vecChannels;
    EXPECT_EQ(channels.GetAllChannels(vecChannels), 0);
    ASSERT_EQ(vecChannels.size(), 2);
    EXPECT_TRUE(vecChannels[0]->I_ENCRYPT_ENABLED);
    EXPECT_FALSE(vecChannels[1]->I_ENCRYPT_ENABLED);
    EXPECT_EQ(vecChannels[1]->I_NUM, 1);

    answer(0, kErrorAnswer);
    EXPECT_EQ(channels.GetAllChannels(vecChannels), -1);
    EXPECT_EQ(vecChannels.size(), 2);
    qDeleteAll(vecChannels);

    QString strUser = "u";
    QString strPassword = "p";
    answer(0, kErrorAnswer);
    EXPECT_EQ(hosts.GetLocalRecorderCredentials(strUser, strPassword), -1);
    EXPECT_EQ(strUser, QString("u"));
    answer(0, rowsAnswer({{{"S_USERNAME", "admin"}, {"S_PASSWORD", strStored}}}));
    EXPECT_EQ(hosts.GetLocalRecorderCredentials(strUser, strPassword), 0);
    EXPECT_EQ(strUser, QString("admin"));
    EXPECT_EQ(strPassword, QString("s3cret"));

    QMap<QString, int> mapCounts{{"kept", 1}};
    answer(0, rowsAnswer(
                  {{{"S_PARENT_ID", "h-1"}, {"S_COUNT", "3"}}, {{"S_PARENT_ID", "h-2"}, {"S_COUNT", "1"}}}));
    EXPECT_EQ(channels.GetChannelCounts(mapCounts), 0);
    EXPECT_EQ(mapCounts, (QMap<QString, int>{{"kept", 1}, {"h-1", 3}, {"h-2", 1}}));
}
