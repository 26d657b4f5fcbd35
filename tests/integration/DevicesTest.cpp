// The device tables against a real server and schema: hosts with their channels and alarm
// points from insert to delete, the rights written with them, the channel update rules, the
// item model built from what was stored, and the mediator's device pass-throughs.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "CLS_RemoteDBHandler.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmInEntity.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmOutEntity.h"
#include "DataBase/EntityDao/HostConfig/CLS_ChannelEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_EncInEntity.h"
#include "DataBase/EntityDao/HostConfig/CLS_HostEntityDAO.h"
#include "ItemBuilder/CLS_ItemBuilder.h"
#include "LogCapture.h"
#include "IntegrationFixture.h"
#include "VideoItem.h"

#include <memory>

#include <gtest/gtest.h>

namespace {

using itest::Binds;

QStringList firstColumn(const QString& _strSql, const Binds& _mapBind = Binds())
{
    QStringList lst;
    RecordSet* pRows = CLS_BaseEntityDAO::ExecuteQueryEx("Tessel", _strSql, _mapBind);
    if (pRows != nullptr) {
        for (const QMap<QString, QString>* pRow : *pRows) {
            lst.append(pRow->isEmpty() ? QString() : pRow->first());
        }
    }
    CLS_BaseEntityDAO::FreeRecordSet(pRows);
    return lst;
}

int scalar(const QString& _strSql, const Binds& _mapBind = Binds())
{
    return itest::scalar("Tessel", _strSql, _mapBind);
}

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment(
    IntegrationOptions{"de71ce01", false, {}, nullptr, nullptr, [] {
        // The server made Tessel.db from Tessel.sql and the pieces of Tessel.d, devices among them.
        ASSERT_EQ(scalar("SELECT COUNT(*) FROM sqlite_master WHERE name IN ('TAB_OBJ', 'VIEW_DEV_HOST')"), 2);
    }}));

CLS_HostEntity makeHost(const QString& _strID, const QString& _strIP, int _iDevType = 0)
{
    CLS_HostEntity e;
    e.S_ID = _strID;
    e.S_CAPTION = "Host " + _strIP;
    e.S_IP = _strIP;
    e.I_PORT = 3000;
    e.S_USERNAME = "admin";
    e.S_PASSWORD = "pw-" + _strID;
    e.I_DEVTYPE = _iDevType;
    e.I_VIDEO_HOST_TYPE_ID = 2;
    e.S_PRODUCT_ID = "SN-" + _strID;
    e.S_DOMAIN = "dom-" + _strID;
    e.I_HTTP_PORT = 8080;
    e.I_PROXY_TYPE = 1;
    e.S_DNS_USER = "dns-user";
    e.S_DNS_PASSWORD = "dns-pw";
    e.I_ENABLE_DEFENCE = 1;
    return e;
}

CLS_ChannelEntity makeChannel(const QString& _strID, const QString& _strHostID, int _iNum)
{
    CLS_ChannelEntity e;
    e.S_ID = _strID;
    e.S_PARENT_ID = _strHostID;
    e.S_CAPTION = QStringLiteral("Channel %1").arg(_iNum + 1);
    e.I_NUM = _iNum;
    e.I_BUF_NUM = 20;
    e.I_DELAY_NUM = 1;
    e.I_BAUDRATE = 9600;
    e.I_SPEED_X = 50;
    e.I_SPEED_Y = 50;
    return e;
}

}  // namespace

// Every case starts from empty device tables (the seed rows stay).
class Devices : public ::testing::Test
{
protected:
    void SetUp() override { wipe(); }
    void TearDown() override { wipe(); }
    static void wipe()
    {
        ASSERT_EQ(CLS_BaseEntityDAO::ExecuteTransaction(
                      "Tessel", {"DELETE FROM TAB_DEV_VIDEO_HOST", "DELETE FROM TAB_HOST",
                                 "DELETE FROM TAB_DEV_CAMERA", "DELETE FROM TAB_CHANNEL",
                                 "DELETE FROM TAB_DEV_ALARM_IN", "DELETE FROM TAB_DEV_ALARM_OUT",
                                 "DELETE FROM TAB_DEV_ENCODE_IN", "DELETE FROM TAB_DEV",
                                 "DELETE FROM TAB_OBJ WHERE I_OBJ_TYPE_ID IN (4, 5, 6, 7, 52, 53, 99)",
                                 "DELETE FROM TAB_OBJ_ROLE_AUTHORITY",
                                 "DELETE FROM TAB_USER_ROLE WHERE S_USER_ID LIKE 'itest-%'"}),
                  0);
    }
    CLS_DataAccess& m_access = CLS_DataAccess::GetInstance();
};

TEST_F(Devices, HostWithChannelsAndAlarmPointsFromInsertToDelete)
{
    // An id holding a quote: every statement binds it.
    const QString strHost = "host-o'brien";
    ASSERT_EQ(m_access.InsertHost(makeHost(strHost, "10.0.0.7")), 0);
    EXPECT_TRUE(m_access.IsHostExist(strHost));
    const int iHostRights = CLS_HostEntityDAO::GetInstance()->AuthorityTypes().size();
    EXPECT_GT(iHostRights, 0);
    EXPECT_EQ(
        scalar(
            "SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_OBJ_ID = :id AND S_ROLE_ID = 'admin_role' "
            "AND I_STATUS = 1 AND S_PARENT_ID = :id",
            {{":id", strHost}}),
        iHostRights);

    CLS_HostEntity host;
    ASSERT_EQ(m_access.GetHostById(strHost, host), 0);
    EXPECT_EQ(host.S_IP, QString("10.0.0.7"));
    EXPECT_EQ(host.S_CAPTION, QString("Host 10.0.0.7"));
    EXPECT_EQ(host.S_PASSWORD, "pw-" + strHost);
    EXPECT_EQ(host.S_DNS_PASSWORD, QString("dns-pw"));
    EXPECT_EQ(host.I_HTTP_PORT, 8080);
    EXPECT_EQ(host.S_VIDEO_HOST_TYPE_NAME, QString("Hybrid video recorder"));
    EXPECT_TRUE(host.S_PARENT_ID.isEmpty());

    CLS_ChannelEntity channels[3] = {makeChannel("ch-0", strHost, 0), makeChannel("ch-1", strHost, 1),
                                     makeChannel("ch'2", strHost, 2)};
    ASSERT_EQ(m_access.InsertChannels({&channels[2], &channels[0], &channels[1]}), 0);
    CLS_AlarmInEntity alarmIns[2];
    for (int i = 0; i < 2; ++i) {
        alarmIns[i].S_ID = QStringLiteral("in-%1").arg(i);
        alarmIns[i].S_PARENT_ID = strHost;
        alarmIns[i].S_CAPTION = QStringLiteral("AlarmIn %1").arg(i + 1);
        alarmIns[i].I_NUM = i;
        alarmIns[i].I_ENABLE_DEFENCE = i;
    }
    ASSERT_EQ(m_access.InsertAlarmIns({&alarmIns[0], &alarmIns[1]}), 0);
    CLS_AlarmOutEntity alarmOut;
    alarmOut.S_ID = "out-0";
    alarmOut.S_PARENT_ID = strHost;
    alarmOut.S_CAPTION = "AlarmOut 1";
    ASSERT_EQ(m_access.InsertAlarmOut(alarmOut), 0);

    EXPECT_EQ(m_access.GetChannelCountOfHost(strHost), 3);
    EXPECT_EQ(m_access.GetAlarmInCountOfHost(strHost), 2);
    EXPECT_EQ(m_access.GetAlarmOutCountOfHost(strHost), 1);
    QMap<QString, int> mapCounts;
    EXPECT_EQ(m_access.GetAlarmInCounts(mapCounts), 0);
    EXPECT_EQ(mapCounts, (QMap<QString, int>{{strHost, 2}}));
    EXPECT_TRUE(m_access.IsAlarmInNumExist(strHost, 1));
    EXPECT_FALSE(m_access.IsAlarmInNumExist(strHost, 2));
    EXPECT_TRUE(m_access.IsAlarmOutNumExist(strHost, 0));

    QVector<CLS_ChannelEntity*> vecChannels;
    ASSERT_EQ(m_access.GetAllChannels(vecChannels), 0);
    ASSERT_EQ(vecChannels.size(), 3);
    EXPECT_EQ(vecChannels[0]->S_ID, QString("ch-0"));  // by number
    EXPECT_EQ(vecChannels[2]->S_ID, QString("ch'2"));
    EXPECT_EQ(vecChannels[2]->S_PARENT_ID, strHost);
    qDeleteAll(vecChannels);
    CLS_ChannelEntity channel;
    ASSERT_EQ(m_access.GetChannelByNum(" " + strHost + " ", 1, channel), 0);
    EXPECT_EQ(channel.S_ID, QString("ch-1"));

    // An update changes address, caption and password, never the device type or defence state.
    CLS_HostEntity changed = makeHost(strHost, "10.0.0.8", 5);
    changed.S_CAPTION = "Renamed";
    changed.S_PASSWORD = "new-pw";
    changed.I_ENABLE_DEFENCE = 0;
    ASSERT_EQ(m_access.UpdateHost(changed), 0);
    ASSERT_EQ(m_access.GetHostById(strHost, host), 0);
    EXPECT_EQ(host.S_IP, QString("10.0.0.8"));
    EXPECT_EQ(host.S_CAPTION, QString("Renamed"));
    EXPECT_EQ(host.S_PASSWORD, QString("new-pw"));
    EXPECT_EQ(host.I_DEVTYPE, 0);
    EXPECT_EQ(host.I_ENABLE_DEFENCE, 1);

    alarmIns[1].S_CAPTION = "Back door";
    alarmIns[1].S_DESCRIPTION = "memo";
    alarmIns[1].I_NUM = 7;
    ASSERT_EQ(m_access.UpdateAlarmIns({&alarmIns[1]}), 0);
    QVector<CLS_AlarmInEntity*> vecAlarmIns;
    ASSERT_EQ(m_access.GetAllAlarmIns(vecAlarmIns), 0);
    ASSERT_EQ(vecAlarmIns.size(), 2);
    EXPECT_EQ(vecAlarmIns[1]->S_CAPTION, QString("Back door"));
    EXPECT_EQ(vecAlarmIns[1]->S_DESCRIPTION, QString("memo"));
    EXPECT_EQ(vecAlarmIns[1]->I_NUM, 7);
    EXPECT_EQ(vecAlarmIns[0]->I_ENABLE_DEFENCE, 0);
    qDeleteAll(vecAlarmIns);

    // Deleting the host removes its children with it (found by their parent column), rights
    // included; the children's own deletes then find nothing and still succeed.
    ASSERT_EQ(m_access.DeleteHost(strHost), 0);
    EXPECT_FALSE(m_access.IsHostExist(strHost));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_HOST WHERE S_ID = :id", {{":id", strHost}}), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_OBJ_ID = :id", {{":id", strHost}}),
              0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_OBJ WHERE S_PARENT_ID = :id", {{":id", strHost}}), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_PARENT_ID = :id", {{":id", strHost}}),
              0);

    ASSERT_EQ(m_access.DeleteChannelsOfHost(strHost), 0);
    ASSERT_EQ(m_access.DeleteAlarmIns({"in-0", "in-1"}), 0);
    ASSERT_EQ(m_access.DeleteAlarmOuts({"out-0"}), 0);
    EXPECT_EQ(
        scalar("SELECT COUNT(*) FROM TAB_OBJ WHERE S_ID = :id OR S_PARENT_ID = :id", {{":id", strHost}}), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_DEV_CAMERA") + scalar("SELECT COUNT(*) FROM TAB_CHANNEL") +
                  scalar("SELECT COUNT(*) FROM TAB_DEV_ALARM_IN") +
                  scalar("SELECT COUNT(*) FROM TAB_DEV_ALARM_OUT"),
              0);
    // The alarm points' rights went with them (channel deletions leave theirs; a later single
    // insert of the same id replaces them).
    EXPECT_EQ(
        scalar("SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_OBJ_ID IN ('in-0', 'in-1', 'out-0')"), 0);
}

TEST_F(Devices, UpdateChannelWritesTheBindingTypeAndUpdateChannelsKeepsIt)
{
    ASSERT_EQ(m_access.InsertHost(makeHost("h-1", "10.0.1.1")), 0);
    CLS_ChannelEntity e = makeChannel("c-1", "h-1", 0);
    ASSERT_EQ(m_access.InsertChannel(e), 0);
    CLS_ChannelEntity stored;
    ASSERT_EQ(m_access.GetChannelById("c-1", stored), 0);
    const int iInitial = stored.I_BINDINGDEVTYPE;

    e.I_BINDINGDEVTYPE = iInitial + 2;
    e.I_NUM = 4;
    e.S_CAPTION = "batch";
    ASSERT_EQ(m_access.UpdateChannels({&e}), 0);
    ASSERT_EQ(m_access.GetChannelById("c-1", stored), 0);
    EXPECT_EQ(stored.I_NUM, 4);
    EXPECT_EQ(stored.S_CAPTION, QString("batch"));
    EXPECT_EQ(stored.I_BINDINGDEVTYPE, iInitial);

    e.I_BINDINGDEVTYPE = iInitial + 3;
    e.S_CAPTION = "single";
    ASSERT_EQ(m_access.UpdateChannel(e), 0);
    ASSERT_EQ(m_access.GetChannelById("c-1", stored), 0);
    EXPECT_EQ(stored.S_CAPTION, QString("single"));
    EXPECT_EQ(stored.I_BINDINGDEVTYPE, iInitial + 3);
}

TEST_F(Devices, SingleChannelInsertReplacesRightsAndBatchInsertDoesNot)
{
    const QStringList lstTypes = CLS_ChannelEntityDAO::GetInstance()->AuthorityTypes();
    ASSERT_FALSE(lstTypes.isEmpty());
    ASSERT_EQ(m_access.InsertHost(makeHost("h-1", "10.0.1.1")), 0);
    const QString strRight =
        "INSERT INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS) VALUES "
        "(:id, "
        "'admin_role', " +
        lstTypes.first() + ", 0)";
    ASSERT_EQ(CLS_BaseEntityDAO::ExecuteEx("Tessel", strRight, {{":id", "c-1"}}), 0);
    ASSERT_EQ(CLS_BaseEntityDAO::ExecuteEx("Tessel", strRight, {{":id", "c-2"}}), 0);

    CLS_ChannelEntity first = makeChannel("c-1", "h-1", 0);
    first.I_ENABLE_DEFENCE = 0;
    ASSERT_EQ(m_access.InsertChannel(first), 0);
    EXPECT_EQ(
        scalar(
            "SELECT I_STATUS FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_OBJ_ID = 'c-1' AND I_AUTHORITY_TYPE_ID = " +
            lstTypes.first()),
        1);
    EXPECT_EQ(
        scalar("SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_OBJ_ID = 'c-1' AND S_PARENT_ID = 'h-1' "
               "AND I_STATUS = 1"),
        lstTypes.size());
    // A single insert leaves the defence state to the table (armed).
    EXPECT_EQ(scalar("SELECT I_ENABLE_DEFENCE FROM TAB_CHANNEL WHERE S_ID = 'c-1'"), 1);

    // The batch inserts its rights: an existing one fails the whole batch and nothing is kept.
    CLS_ChannelEntity second = makeChannel("c-2", "h-1", 1);
    CLS_ChannelEntity third = makeChannel("c-3", "h-1", 2);
    third.I_ENABLE_DEFENCE = 0;
    EXPECT_LT(m_access.InsertChannels({&third, &second}), 0);
    EXPECT_EQ(m_access.GetChannelCountOfHost("h-1"), 1);
    ASSERT_EQ(CLS_BaseEntityDAO::ExecuteEx(
                  "Tessel", "DELETE FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_OBJ_ID = :id", {{":id", "c-2"}}),
              0);
    ASSERT_EQ(m_access.InsertChannels({&third, &second}), 0);
    EXPECT_EQ(scalar("SELECT I_ENABLE_DEFENCE FROM TAB_CHANNEL WHERE S_ID = 'c-3'"), 0);
    EXPECT_EQ(m_access.GetChannelCountOfHost("h-1"), 3);
}

TEST_F(Devices, ItemsStartWithTheirDefaultsAndBuildersApplyTheChannelRules)
{
    {
        STRCT_VideoHost host;
        EXPECT_EQ(host.GetType(), 3u);
        EXPECT_EQ(host.m_iPort, 3000);
        EXPECT_EQ(host.m_strUserName, "Admin");
        EXPECT_EQ(host.m_strPassword.size(), 4u);
        EXPECT_EQ(host.m_strDnsUser, "QQ");
        EXPECT_EQ(host.m_strDnsPassword.size(), 8u);
        EXPECT_EQ(host.m_iProxyType, 1);
        EXPECT_EQ(host.m_iDefenceState, 1);
        EXPECT_EQ(host.m_iDevType, -1);
        STRCT_VideoChannel channel;
        EXPECT_EQ(channel.m_iSpeedX, 50);
        EXPECT_EQ(channel.m_iBufNum, 20);
        EXPECT_EQ(channel.m_iDelayNum, 1);
        EXPECT_EQ(channel.m_iBaudRate, 9600);
        EXPECT_EQ(channel.m_iLinkType, -1);
        EXPECT_EQ(channel.m_strStreamTag, "sdv");
        const std::unique_ptr<STRCT_VideoItem> items[] = {
            std::make_unique<STRCT_VideoGroup>(),   std::make_unique<STRCT_VideoChannel>(),
            std::make_unique<STRCT_VideoAlarmIn>(), std::make_unique<STRCT_VideoAlarmOut>(),
            std::make_unique<STRCT_Decoder>(),      std::make_unique<STRCT_DecoderOut>(),
            std::make_unique<STRCT_EncoderIn>(),    std::make_unique<STRCT_FaceLibItem>(),
            std::make_unique<STRUCT_PersonItem>(),
        };
        const uint32_t types[] = {2, 4, 5, 6, 12, 13, 17, 505, 507};
        for (size_t i = 0; i < sizeof(types) / sizeof(types[0]); ++i) {
            EXPECT_EQ(items[i]->GetType(), types[i]);
        }
    }

    ASSERT_EQ(m_access.InsertHost(makeHost("h-1", "10.0.1.1")), 0);
    const QString strKey = CLS_BaseEntityDAO::EncodePassword("k3y");
    struct Case
    {
        const char* name;
        int speedX, speedY, buf, delay;
        QString description;
        bool storedEncrypt;
        // expected
        int itemSpeedX, itemSpeedY, itemBuf, itemDelay;
        bool encrypt;
        const char* code;
    };
    const Case cases[] = {
        {"zero speeds and numbers", 0, 0, 0, 0, "", false, 5, 5, 20, 1, false, "old"},
        {"stored values kept", 30, 40, -3, 7, "plain text", true, 30, 40, 20, 7, true, "old"},
        {"key in the description", 50, 50, 20, 1,
         QString(R"({"needdecrypt":1,"decryptkey":"%1"})").arg(strKey), false, 50, 50, 20, 1, true, "k3y"},
        {"decryption not needed", 50, 50, 20, 1,
         QString(R"({"needdecrypt":0,"decryptkey":"%1"})").arg(strKey), false, 50, 50, 20, 1, false, "old"},
        {"needdecrypt without a key", 50, 50, 20, 1, R"({"needdecrypt":1})", false, 50, 50, 20, 1, false,
         "old"},
        {"key that does not unscramble", 50, 50, 20, 1, R"({"needdecrypt":2,"decryptkey":"#?"})", false, 50,
         50, 20, 1, true, "old"},
    };
    int iNum = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CLS_ChannelEntity e = makeChannel(QStringLiteral("c-%1").arg(iNum), "h-1", iNum);
        ++iNum;
        e.S_CAPTION = "  Lobby \t  cam  ";
        e.I_SPEED_X = c.speedX;
        e.I_SPEED_Y = c.speedY;
        e.I_BUF_NUM = c.buf;
        e.I_DELAY_NUM = c.delay;
        e.S_DESCRIPTION = c.description;
        e.I_ENCRYPT_ENABLED = c.storedEncrypt;
        e.S_DECRYPT_CODE = "old";
        e.I_PROTOCOL_TYPE = 1;
        ASSERT_EQ(m_access.InsertChannel(e), 0);
        CLS_ChannelEntity stored;
        ASSERT_EQ(m_access.GetChannelById(e.S_ID, stored), 0);
        STRCT_VideoChannel item;
        ASSERT_TRUE(CLS_ItemBuilder::BuildChannelItem(&stored, &item));
        EXPECT_EQ(item.m_strID, e.S_ID.toStdString());
        EXPECT_EQ(item.m_strNodeID, item.m_strID);
        EXPECT_EQ(item.m_strParentID, "h-1");
        EXPECT_EQ(item.m_strCaption, "Lobby cam");
        EXPECT_EQ(item.m_strProtocolName, "PELCO-P");
        EXPECT_EQ(item.m_iObjType, 5);
        EXPECT_EQ(item.m_iSpeedX, c.itemSpeedX);
        EXPECT_EQ(item.m_iSpeedY, c.itemSpeedY);
        EXPECT_EQ(item.m_iBufNum, c.itemBuf);
        EXPECT_EQ(item.m_iDelayNum, c.itemDelay);
        EXPECT_EQ(item.m_bEncryptEnabled, c.encrypt);
        EXPECT_EQ(item.m_strDecryptCode, c.code);
        EXPECT_EQ(item.m_strDescription, c.description.toStdString());
    }

    // Host and alarm items from their stored rows.
    CLS_HostEntity host;
    ASSERT_EQ(m_access.GetHostById("h-1", host), 0);
    STRCT_VideoHost hostItem;
    ASSERT_TRUE(CLS_ItemBuilder::BuildHostItem(&host, &hostItem));
    EXPECT_EQ(hostItem.m_strPassword, "pw-h-1");
    EXPECT_EQ(hostItem.m_iDevType, 0);
    EXPECT_EQ(hostItem.m_iHostTypeID, 2);
    EXPECT_EQ(hostItem.m_strHostTypeName, "Hybrid video recorder");
    EXPECT_EQ(hostItem.m_strProductID, "SN-h-1");
    EXPECT_TRUE(hostItem.m_strChannelCount.empty());
    CLS_AlarmInEntity alarmIn;
    alarmIn.S_ID = "in-0";
    alarmIn.S_PARENT_ID = "h-1";
    alarmIn.S_CAPTION = "Door ";
    alarmIn.I_NUM = 3;
    alarmIn.I_ENABLE_DEFENCE = 0;
    ASSERT_EQ(m_access.InsertAlarmIn(alarmIn), 0);
    QVector<CLS_AlarmInEntity*> vecAlarmIns;
    ASSERT_EQ(m_access.GetAllAlarmIns(vecAlarmIns), 0);
    ASSERT_EQ(vecAlarmIns.size(), 1);
    STRCT_VideoAlarmIn alarmItem;
    ASSERT_TRUE(CLS_ItemBuilder::BuildAlarmInItem(vecAlarmIns[0], &alarmItem));
    EXPECT_EQ(alarmItem.m_iAlarmNo, 3);
    EXPECT_EQ(alarmItem.m_iDefenceState, 0);
    EXPECT_EQ(alarmItem.m_strCaption, "Door");
    qDeleteAll(vecAlarmIns);
}

TEST_F(Devices, HostPasswordsAreStoredScrambledAndReadPlain)
{
    ASSERT_EQ(m_access.InsertHost(makeHost("rec", "192.168.1.10", 0)), 0);
    ASSERT_EQ(m_access.InsertHost(makeHost("cam", "192.168.1.20", 1)), 0);
    const QStringList lstStored = firstColumn("SELECT S_PASSWORD FROM TAB_DEV_VIDEO_HOST WHERE S_ID = 'rec'");
    ASSERT_EQ(lstStored.size(), 1);
    EXPECT_NE(lstStored.first(), QString("pw-rec"));
    EXPECT_EQ(lstStored.first(), CLS_BaseEntityDAO::EncodePassword("pw-rec"));

    QString strUser;
    QString strPassword;
    ASSERT_EQ(m_access.GetLocalRecorderCredentials(strUser, strPassword), 0);
    EXPECT_EQ(strUser, QString("admin"));
    EXPECT_EQ(strPassword, QString("pw-rec"));

    // The mediator's slot changes the recorder's password, and only the recorder's.
    CLS_DataMediator mediator;
    LogCapture log;
    mediator.slotUpdateR480HostConfig("admin", "Changed-1");
    EXPECT_FALSE(log.hasPart(3, "slotUpdateR480HostConfig"));
    EXPECT_EQ(firstColumn("SELECT S_PASSWORD FROM TAB_DEV_VIDEO_HOST WHERE S_ID = 'rec'"),
              QStringList{CLS_BaseEntityDAO::EncodePassword("Changed-1")});
    EXPECT_EQ(mediator.GetLocalRecorderCredentials(strUser, strPassword), 0);
    EXPECT_EQ(strPassword, QString("Changed-1"));
    CLS_HostEntity camera;
    ASSERT_EQ(m_access.GetHostById("cam", camera), 0);
    EXPECT_EQ(camera.S_PASSWORD, QString("pw-cam"));

    QString strIP;
    int iHttpPort = 0;
    int iPort = 0;
    ASSERT_EQ(mediator.GetLocalRecorderAddress(strIP, iHttpPort, iPort), 0);
    EXPECT_EQ(strIP, QString("192.168.1.10"));
    EXPECT_EQ(iHttpPort, 8080);
    EXPECT_EQ(iPort, 3000);
}

TEST_F(Devices, MediatorCountsPagesLookUpsAndProducts)
{
    CLS_DataMediator mediator;
    // 25 hosts in pages of 10; the first two are visible to a user through a role.
    for (int i = 0; i < 25; ++i) {
        CLS_HostEntity e = makeHost(QStringLiteral("h-%1").arg(i, 2, 10, QChar('0')),
                                    QStringLiteral("10.2.0.%1").arg(i, 2, 10, QChar('0')), i < 20 ? 0 : 1);
        e.I_PROXY_TYPE = i == 3 ? 4 : 1;
        ASSERT_EQ(m_access.InsertHost(e), 0);
    }
    ASSERT_EQ(
        CLS_BaseEntityDAO::ExecuteTransaction(
            "Tessel",
            {"INSERT INTO TAB_USER_ROLE (S_USER_ID, S_ROLE_ID) VALUES ('itest-u1', 'itest-role')",
             "INSERT INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS) VALUES "
             "('h-00', 'itest-role', 1, 1), ('h-01', 'itest-role', 1, 1), ('h-02', 'itest-role', 1, 0), "
             "('h-21', 'itest-role', 1, 1)"}),
        0);
    CLS_ChannelEntity channels[3] = {makeChannel("c-0", "h-00", 0), makeChannel("c-1", "h-00", 1),
                                     makeChannel("c-2", "h-02", 0)};
    ASSERT_EQ(m_access.InsertChannels({&channels[0], &channels[1], &channels[2]}), 0);

    EXPECT_EQ(mediator.GetHostPageCount(10), 3);
    EXPECT_EQ(mediator.GetHostCount(0, ""), 20);
    EXPECT_EQ(mediator.GetHostCount(0, "itest-u1"), 2);
    EXPECT_EQ(mediator.GetHostCount(1, "itest-u1"), 1);
    EXPECT_EQ(mediator.GetCameraCount(""), 3);
    EXPECT_EQ(mediator.GetCameraCount("itest-u1"), 2);
    QVector<CLS_HostEntity*> vecHosts;
    ASSERT_EQ(m_access.GetHostsOfUser("itest-u1", vecHosts), 0);
    ASSERT_EQ(vecHosts.size(), 3);
    EXPECT_EQ(vecHosts[0]->S_ID, QString("h-00"));
    EXPECT_EQ(vecHosts[2]->S_ID, QString("h-21"));
    qDeleteAll(vecHosts);

    QVector<STRCT_VideoHost*> vecItems;
    ASSERT_EQ(mediator.GetHostPageItems(10, 1, vecItems), 0);
    ASSERT_EQ(vecItems.size(), 10);
    EXPECT_EQ(vecItems[0]->m_strIP, "10.2.0.00");
    EXPECT_EQ(vecItems[0]->m_strChannelCount, "2");
    EXPECT_EQ(vecItems[1]->m_strChannelCount, "0");
    EXPECT_EQ(vecItems[2]->m_strChannelCount, "1");
    qDeleteAll(vecItems);
    vecItems.clear();
    ASSERT_EQ(mediator.GetHostPageItems(10, 3, vecItems), 0);
    ASSERT_EQ(vecItems.size(), 5);
    EXPECT_EQ(vecItems[4]->m_strID, "h-24");
    qDeleteAll(vecItems);
    vecItems.clear();
    // A page far past the end is empty: 429496730 pages of 10 must not wrap round to the first.
    ASSERT_EQ(mediator.GetHostPageItems(10, 429496730, vecItems), 0);
    EXPECT_TRUE(vecItems.isEmpty());
    qDeleteAll(vecItems);

    QStringList lstIds;
    ASSERT_EQ(mediator.GetHostIdsByAddress(" SN-h-07 ", 2, lstIds), 0);
    ASSERT_EQ(mediator.GetHostIdsByAddress("dom-h-08", 1, lstIds), 0);
    ASSERT_EQ(mediator.GetHostIdsByAddress("10.2.0.09", 0, lstIds), 0);
    ASSERT_EQ(mediator.GetHostIdsByProxyType(4, lstIds), 0);
    EXPECT_EQ(lstIds, (QStringList{"h-07", "h-08", "h-09", "h-03"}));

    QMap<int, QString> mapTypes;
    ASSERT_EQ(m_access.GetVideoHostTypes(0, "CN", mapTypes), 0);
    EXPECT_EQ(mapTypes.value(1), QString::fromUtf8("网络硬盘录像机"));
    ASSERT_EQ(m_access.GetVideoHostTypes(0, "EN", mapTypes), 0);
    EXPECT_EQ(mapTypes.keys(), (QList<int>{1, 2, 3}));
    EXPECT_EQ(mapTypes.value(3), QString("Network camera"));

    QVector<CLS_ProductEntity> vecProducts;
    ASSERT_EQ(mediator.GetAllProduct("PRODUCT", vecProducts), 0);
    QStringList lstKeys;
    for (const CLS_ProductEntity& product : vecProducts) {
        lstKeys << product.S_KEY;
    }
    lstKeys.sort();
    EXPECT_EQ(lstKeys, (QStringList{"IPC-B2", "IPC-D4", "R480-08", "R480-16"}));
}

TEST_F(Devices, GenericDevicesAndEncoderInputsRoundTrip)
{
    for (int i = 0; i < 5; ++i) {
        Common::STRCT_DevItem dev;
        dev.S_ID = "dev-" + std::to_string(i);
        dev.S_NAME = "Gate " + std::to_string(i);
        dev.I_TYPE = i < 4 ? 2 : 3;
        dev.S_SN = "SN" + std::to_string(i);
        dev.S_IP = "10.3.0." + std::to_string(i);
        dev.S_PASSWORD = "plain'pw";
        dev.I_PORT = 80;
        ASSERT_EQ(m_access.InsertDev(dev), 0);
    }
    Common::STRCT_DevItem probe;
    probe.S_SN = "SN1";
    probe.I_TYPE = 2;
    EXPECT_TRUE(m_access.IsDevExist(probe));
    probe.I_TYPE = 3;
    EXPECT_FALSE(m_access.IsDevExist(probe));

    QVector<Common::STRCT_DevItem> vecDevs{Common::STRCT_DevItem()};
    Common::STRCT_PageInfo page;
    page.iPageSize = 3;
    page.iPageNum = 2;
    ASSERT_EQ(m_access.GetDevsByType(vecDevs, 2, page), 0);
    EXPECT_EQ(page.iTotal, 4);
    ASSERT_EQ(vecDevs.size(), 1);
    EXPECT_EQ(vecDevs[0].S_ID, "dev-3");
    EXPECT_EQ(vecDevs[0].S_PASSWORD, "plain'pw");
    EXPECT_EQ(vecDevs[0].S_LASTMODIFYTIME.size(), 23u);
    Common::STRCT_PageInfo farPage;
    farPage.iPageSize = 10;
    farPage.iPageNum = 429496730;
    QVector<Common::STRCT_DevItem> vecFar;
    ASSERT_EQ(m_access.GetDevsByType(vecFar, 2, farPage), 0);
    EXPECT_TRUE(vecFar.isEmpty());

    Common::STRCT_DevItem replaced = vecDevs[0];
    replaced.S_NAME = "Renamed";
    ASSERT_EQ(m_access.ReplaceDev(replaced), 0);
    ASSERT_EQ(m_access.DeleteDev("dev-0"), 0);
    ASSERT_EQ(m_access.GetAllDevs(vecDevs), 0);
    ASSERT_EQ(vecDevs.size(), 4);
    for (const Common::STRCT_DevItem& dev : vecDevs) {
        EXPECT_NE(dev.S_ID, "dev-0");
        EXPECT_EQ(dev.S_NAME == "Renamed", dev.S_ID == "dev-3") << dev.S_ID;
    }

    CLS_EncInEntity encIn;
    encIn.S_ID = "enc-1";
    encIn.S_PARENT_ID = "decoder-1";
    encIn.I_OBJ_TYPE_ID = 99;
    encIn.S_CAPTION = "Input 1";
    encIn.I_NUM = 1;
    encIn.I_VISIBLE = 0;
    ASSERT_EQ(m_access.InsertEncIn(encIn), 0);
    EXPECT_LT(m_access.InsertEncIn(encIn), 0);  // the object row exists already
    EXPECT_TRUE(m_access.IsEncInNumExist("decoder-1", 1));
    EXPECT_EQ(m_access.GetEncInCountOfDecoder("decoder-1"), 1);
    encIn.S_CAPTION = "Renamed input";
    encIn.I_NUM = 2;
    ASSERT_EQ(m_access.UpdateEncIn(encIn), 0);
    ASSERT_EQ(m_access.SetEncInDisplayType("enc-1", 3), 0);
    EXPECT_EQ(scalar("SELECT I_DISPLAY_TYPE FROM TAB_DEV_ENCODE_IN WHERE S_ID = 'enc-1'"), 3);
    std::unique_ptr<CLS_EncInEntity> pByNum(m_access.GetEncInByNum("decoder-1", 2));
    ASSERT_NE(pByNum, nullptr);
    EXPECT_EQ(pByNum->S_CAPTION, QString("Renamed input"));
    QVector<CLS_EncInEntity*> vecEncIns;
    ASSERT_EQ(m_access.GetEncInsOfDecoder("decoder-1", vecEncIns), 0);
    ASSERT_EQ(vecEncIns.size(), 1);
    EXPECT_EQ(vecEncIns[0]->I_VISIBLE, 0);
    STRCT_EncoderIn item;
    ASSERT_TRUE(CLS_ItemBuilder::BuildEncoderInItem(vecEncIns[0], &item));
    EXPECT_EQ(item.m_strOwnerID, "decoder-1");
    EXPECT_EQ(item.m_iNum, 2);
    qDeleteAll(vecEncIns);
    ASSERT_EQ(m_access.DeleteEncIn("enc-1"), 0);
    EXPECT_EQ(m_access.GetEncInById("enc-1"), nullptr);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_OBJ WHERE S_ID = 'enc-1'"), 0);
}
