// The facade's device forwarders, the mediator's device pass-throughs and the item builders'
// failure paths, against the recording socket.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmInEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmOutEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_ChannelEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_EncInEntity.h"
#include "DataBase/EntityDao/HostConfig/CLS_HostEntityDAO.h"
#include "HandlerTestSupport.h"
#include "ItemBuilder/CLS_ItemBuilder.h"
#include "LogCapture.h"

#include <QJsonArray>

#include <functional>

namespace {


const char kErrorAnswer[] = R"({"result":"ERROR","reason":"no such table","code":"sql"})";

}  // namespace

// The device DAO singletons load their authority types on first use; that query is made here,
// before any answer is scripted.
class DevicesMediator : public RemoteDBHandlerRequests
{
protected:
    void SetUp() override
    {
        RemoteDBHandlerRequests::SetUp();
        CLS_HostEntityDAO::GetInstance();
        CLS_ChannelEntityDAO::GetInstance();
        CLS_AlarmInEntityDAO::GetInstance();
        CLS_AlarmOutEntityDAO::GetInstance();
        m_pFake->reset();
    }
    CLS_DataMediator m_mediator;
};

TEST_F(DevicesMediator, FacadeRefusesEmptyIdsAndBadPagesWithoutARequest)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    CLS_HostEntity host;
    CLS_ChannelEntity channel;
    QVector<CLS_HostEntity*> vecHosts;
    QStringList lstIds;
    const std::pair<const char*, std::function<int()>> cases[] = {
        {"DeleteHost", [&] { return access.DeleteHost(""); }},
        {"GetHostById", [&] { return access.GetHostById("", host); }},
        {"GetHostsOfUser", [&] { return access.GetHostsOfUser("", vecHosts); }},
        {"GetHostPageCount", [&] { return access.GetHostPageCount(0); }},
        {"GetHostPage size", [&] { return access.GetHostPage(0, 1, vecHosts); }},
        {"GetHostPage index", [&] { return access.GetHostPage(10, -1, vecHosts); }},
        {"GetHostIdsByAddress", [&] { return access.GetHostIdsByAddress("", 0, lstIds); }},
        {"DeleteChannel", [&] { return access.DeleteChannel(""); }},
        {"DeleteChannelsOfHost", [&] { return access.DeleteChannelsOfHost(""); }},
        {"GetChannelByNum host", [&] { return access.GetChannelByNum("", 0, channel); }},
        {"GetChannelByNum number", [&] { return access.GetChannelByNum("h-1", -1, channel); }},
        {"GetChannelCountOfHost", [&] { return access.GetChannelCountOfHost(""); }},
        {"GetAlarmOutCountOfHost", [&] { return access.GetAlarmOutCountOfHost(""); }},
        {"SetAlarmInDefenceState", [&] { return access.SetAlarmInDefenceState("", 1); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        EXPECT_EQ(c.second(), -1);
        EXPECT_TRUE(m_pFake->requests.isEmpty());
    }
    EXPECT_FALSE(access.IsHostExist(""));
    EXPECT_EQ(access.GetEncInById(""), nullptr);
    EXPECT_TRUE(m_pFake->requests.isEmpty());
}

TEST_F(DevicesMediator, ProductsAreCachedAfterTheFirstNonEmptyAnswer)
{
    LogCapture log;
    QVector<CLS_ProductEntity> vecProducts;
    answer(0, kErrorAnswer);
    EXPECT_EQ(m_mediator.GetAllProduct("PRODUCT", vecProducts), -1);
    answer(0, rowsAnswer({}));
    EXPECT_EQ(m_mediator.GetAllProduct("PRODUCT", vecProducts), -1);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::GetAllProduct qvecProductEntity is empty"));
    EXPECT_TRUE(vecProducts.isEmpty());

    answer(
        0,
        rowsAnswer(
            {{{"S_ID", "p1"}, {"S_PARENTID", "p"}, {"S_CODE", "PRODUCT"}, {"S_KEY", "A"}, {"S_VALUE", "a"}},
             {{"S_ID", "p2"},
              {"S_PARENTID", "p"},
              {"S_CODE", "PRODUCT"},
              {"S_KEY", "B"},
              {"S_VALUE", "b"}}}));
    EXPECT_EQ(m_mediator.GetAllProduct("PRODUCT", vecProducts), 0);
    EXPECT_EQ(
        lastRequest().request.value("sqlexec").toString(),
        QString(
            "SELECT S_ID, S_PARENTID, S_CODE, S_KEY, S_VALUE FROM TAB_DATA_DICTIONARY WHERE S_CODE = :CODE "
            "and I_HASCHILD=0"));
    EXPECT_EQ(lastRequest().request.value("bindValue").toObject(), parseJson(R"({":CODE":"PRODUCT"})"));
    ASSERT_EQ(vecProducts.size(), 2);
    EXPECT_EQ(vecProducts[1].S_KEY, QString("B"));

    // Served from the cache: nothing is sent.
    const int iSent = m_pFake->requests.size();
    vecProducts.clear();
    EXPECT_EQ(m_mediator.GetAllProduct("PRODUCT", vecProducts), 0);
    EXPECT_EQ(vecProducts.size(), 2);
    EXPECT_EQ(m_pFake->requests.size(), iSent);

    // Another code is read, and does not replace the cached list.
    answer(0, rowsAnswer({{{"S_ID", "q1"}, {"S_CODE", "OTHER"}}}));
    EXPECT_EQ(m_mediator.GetAllProduct("OTHER", vecProducts), 0);
    EXPECT_EQ(vecProducts.size(), 1);
    EXPECT_EQ(m_pFake->requests.size(), iSent + 1);
    EXPECT_EQ(m_mediator.GetAllProduct("PRODUCT", vecProducts), 0);
    EXPECT_EQ(vecProducts.size(), 2);
    EXPECT_EQ(m_pFake->requests.size(), iSent + 1);
}

TEST_F(DevicesMediator, RecorderPasswordSlotStoresTheScrambledPasswordAndLogsFailure)
{
    LogCapture log;
    m_mediator.slotUpdateR480HostConfig("admin", "n3w");
    FakeRequest r = lastRequest();
    EXPECT_EQ(r.command, QString("ExecuteEx"));
    EXPECT_EQ(r.request.value("sqlexec").toString(),
              QString("UPDATE TAB_DEV_VIDEO_HOST SET S_PASSWORD=:passwd WHERE I_DEVTYPE='0';"));
    EXPECT_EQ(r.request.value("bindValue").toObject().value(":passwd").toString(),
              CLS_BaseEntityDAO::EncodePassword("n3w"));
    EXPECT_FALSE(log.hasPart(3, "slotUpdateR480HostConfig"));

    answer(0, kErrorAnswer);
    m_mediator.slotUpdateR480HostConfig("admin", "n3w");
    EXPECT_TRUE(log.has(3,
                        "error CLS_DataMediator::slotUpdateR480HostConfig SetR480HostConfig(_qstrUserName, "
                        "_qstrNewPwd) != 0"));
}

TEST_F(DevicesMediator, HostPageItemsCarryTheCountsOfTheirHosts)
{
    const QString strStored = CLS_BaseEntityDAO::EncodePassword("pw");
    answer(0, rowsAnswer({{{"S_ID", "h-1"},
                           {"S_CAPTION", "  Front   gate "},
                           {"S_IP", "10.0.0.1"},
                           {"S_PASSWORD", strStored}},
                          {{"S_ID", "h-2"}, {"S_CAPTION", "Back"}, {"S_IP", "10.0.0.2"}}}));
    answer(0, rowsAnswer({{{"S_PARENT_ID", "h-1"}, {"S_COUNT", "4"}}}));
    answer(0, rowsAnswer(
                  {{{"S_PARENT_ID", "h-1"}, {"S_COUNT", "2"}}, {{"S_PARENT_ID", "h-2"}, {"S_COUNT", "1"}}}));
    answer(0, rowsAnswer({}));
    QVector<STRCT_VideoHost*> vecItems;
    ASSERT_EQ(m_mediator.GetHostPageItems(10, 2, vecItems), 0);
    ASSERT_EQ(m_pFake->requests.size(), 4);
    EXPECT_EQ(m_pFake->requests[0].request.value("sqlexec").toString(),
              QString("Select * from VIEW_DEV_HOST order by VIEW_DEV_HOST.S_IP asc limit 10,10"));
    ASSERT_EQ(vecItems.size(), 2);
    EXPECT_EQ(vecItems[0]->m_strID, "h-1");
    EXPECT_EQ(vecItems[0]->m_strCaption, "Front gate");
    EXPECT_EQ(vecItems[0]->m_strParentID, "resource_root_id");
    EXPECT_EQ(vecItems[0]->m_strPassword, "pw");
    EXPECT_EQ(vecItems[0]->m_strChannelCount, "4");
    EXPECT_EQ(vecItems[0]->m_strAlarmInCount, "2");
    EXPECT_EQ(vecItems[0]->m_strAlarmOutCount, "0");
    EXPECT_EQ(vecItems[1]->m_strChannelCount, "0");
    EXPECT_EQ(vecItems[1]->m_strAlarmInCount, "1");
    EXPECT_EQ(vecItems[1]->m_iSortNum, 1);
    qDeleteAll(vecItems);
    vecItems.clear();

    // A count that cannot be read fails the page: nothing is appended.
    m_pFake->reset();
    answer(0, rowsAnswer({{{"S_ID", "h-1"}}}));
    answer(0, kErrorAnswer);
    EXPECT_EQ(m_mediator.GetHostPageItems(10, 1, vecItems), -1);
    EXPECT_TRUE(vecItems.isEmpty());
}

TEST(DevicesItemBuilder, NullArgumentsAreRefusedWithTheirLogLines)
{
    LogCapture log;
    CLS_AlarmInEntity alarmIn;
    CLS_AlarmOutEntity alarmOut;
    CLS_EncInEntity encIn;
    STRCT_VideoAlarmIn alarmInItem;
    const std::pair<const char*, std::function<bool()>> cases[] = {
        {"_pAlarmInEntity == nullptr || _pAlarmInVideoItem == nullptr",
         [&] { return CLS_ItemBuilder::BuildAlarmInItem(nullptr, &alarmInItem); }},
        {"_pAlarmInEntity == nullptr || _pAlarmInVideoItem == nullptr",
         [&] { return CLS_ItemBuilder::BuildAlarmInItem(&alarmIn, nullptr); }},
        {"_pAlarmOutEntity == nullptr || _pAlarmOutVideoItem == nullptr",
         [&] { return CLS_ItemBuilder::BuildAlarmOutItem(&alarmOut, nullptr); }},
        {"_pDecEntity == nullptr || _pDecItem == nullptr",
         [&] { return CLS_ItemBuilder::BuildEncoderInItem(&encIn, nullptr); }},
        {"_pHostEntity == nullptr || _pHostVideoItem == nullptr",
         [&] { return CLS_ItemBuilder::BuildHostItem(nullptr, nullptr); }},
        {"_pChannelEntity == nullptr || _pChannelVideoItem == nullptr",
         [&] { return CLS_ItemBuilder::BuildChannelItem(nullptr, nullptr); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        log.clear();
        EXPECT_FALSE(c.second());
        EXPECT_TRUE(log.has(3, c.first)) << qPrintable(log.dump());
    }
    EXPECT_EQ(alarmInItem.m_iAlarmNo, 0);
    EXPECT_TRUE(alarmInItem.m_strID.empty());
}

TEST(DevicesItemBuilder, ChannelKeyUnscramblesStoredFormsAndRejectsBadLengths)
{
    QString strKey = "unchanged";
    const QString strScrambled = CLS_BaseEntityDAO::EncodePassword(QString::fromLatin1("k3y-\xe9"));
    EXPECT_EQ(CLS_ItemBuilder::DecodeChannelKey(strScrambled, strKey), 0);
    EXPECT_EQ(strKey, QString::fromLatin1("k3y-\xe9"));

    struct Bad
    {
        const char* name;
        QString text;
    };
    const Bad bad[] = {
        {"empty", ""}, {"not a multiple of three", "#?=~"}, {"over 1024 bytes", QString(3075, '#')}};
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.name);
        strKey = "unchanged";
        EXPECT_EQ(CLS_ItemBuilder::DecodeChannelKey(b.text, strKey), -1);
        EXPECT_EQ(strKey, QString("unchanged"));
    }
    // 1024 bytes is the most; characters outside the alphabet read as the digit 0.
    EXPECT_EQ(CLS_ItemBuilder::DecodeChannelKey(QString(3072, '#'), strKey), 0);
    QString strZeroDigits;
    EXPECT_EQ(CLS_ItemBuilder::DecodeChannelKey("###", strZeroDigits), 0);
    QString strOutside;
    EXPECT_EQ(CLS_ItemBuilder::DecodeChannelKey("xyz", strOutside), 0);
    EXPECT_EQ(strOutside, strZeroDigits);
}
