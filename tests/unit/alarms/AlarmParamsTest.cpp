// Linkage parameters as the link cache parses them, the in-memory refresh of the cache, and the
// condition texts of the alarm-record search and count.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/Alarm/CLS_AlarmRecordEntityDAO.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

// The parsed parameter of a link as one comparable text; "-" when no record is set.
std::string paramOf(const STRCT_SingleAlarmLink& _link)
{
    int iSet = 0;
    QString strText = "-";
    if (_link.m_pSoundParam != nullptr) {
        ++iSet;
        strText = "sound:" + _link.m_pSoundParam->m_strFile;
    }
    if (_link.m_pRecordParam != nullptr) {
        ++iSet;
        strText = "record:" + _link.m_pRecordParam->m_strDesChannelID;
    }
    if (_link.m_pEmailParam != nullptr) {
        ++iSet;
        strText = "email:" + _link.m_pEmailParam->m_strChannelName + "|" + _link.m_pEmailParam->m_strEmailSubject;
    }
    if (_link.m_pBallonTipsParam != nullptr) {
        ++iSet;
        strText = "tips:" + _link.m_pBallonTipsParam->m_strChannelName + "|" +
                  _link.m_pBallonTipsParam->m_strBallonTipsTitle;
    }
    if (_link.m_pAlarmVideoParam != nullptr) {
        ++iSet;
        strText = "video:" + QString::number(_link.m_pAlarmVideoParam->m_iLinkVideoType);
    }
    return iSet > 1 ? "several" : strText.toStdString();
}

struct ParamCase
{
    const char* name;
    int actionType;
    const char* param;
    const char* parsed;
    const char* log;  // level-3 line expected, or empty
};

class LinkParams : public ::testing::TestWithParam<ParamCase>
{
};

TEST_P(LinkParams, FileIntoTheCacheWithTheirParsedParameter)
{
    const ParamCase& c = GetParam();
    LogCapture log;
    AlarmLinkMap cache;
    auto* pLink = new STRCT_SingleAlarmLink();
    pLink->m_strSrcObjId = "src";
    pLink->m_iAdapterAlarmId = 7;
    pLink->m_iActionType = c.actionType;
    pLink->m_strParam = QString::fromUtf8(c.param);
    CLS_DataAccess::GetInstance().LoadAllAlarmLinkInfo(pLink, &cache);

    ASSERT_EQ(cache.value("src").value(7).size(), 1);
    EXPECT_EQ(cache["src"][7].first(), pLink);
    EXPECT_EQ(paramOf(*pLink), c.parsed);
    EXPECT_EQ(pLink->m_strParam, QString::fromUtf8(c.param));  // the text stays as stored
    if (*c.log != '\0') {
        EXPECT_TRUE(log.has(3, c.log)) << log.dump().toStdString();
    }
    qDeleteAll(cache["src"][7]);
}

INSTANTIATE_TEST_SUITE_P(
    Alarms, LinkParams,
    ::testing::Values(
        ParamCase{"Sound", 2, R"({"file":"alarm.wav","volume":3})", "sound:alarm.wav", ""},
        ParamCase{"SoundMissingKey", 2, R"({"path":"x"})", "sound:",
                  "[CLS_DataAccess::ParseSoundLinkParam]!qjsonObj.contains(file)"},
        ParamCase{"SoundNotJson", 2, "file=alarm.wav", "-",
                  "[CLS_DataAccess::ParseSoundLinkParam]qjsonDoc.isNull() || (qjsonErr.error != "
                  "QJsonParseError::NoError)"},
        ParamCase{"Record", 3, R"({"DesChannelID":"ch-9"})", "record:ch-9", ""},
        ParamCase{"RecordMissingKey", 3, R"({})", "record:",
                  "[CLS_DataAccess::ParseRecordLinkParam]!qjsonObj.contains(DesChannelID)"},
        ParamCase{"Email", 11, R"({"channelname":"Gate","emailsubject":"Intruder"})", "email:Gate|Intruder", ""},
        // The first key present, the second missing: neither is copied.
        ParamCase{"EmailWithoutSubject", 11, R"({"channelname":"Gate"})", "email:|",
                  "[CLS_DataAccess::ParseEmailLinkParam]!qjsonObj.contains(emailsubject)"},
        ParamCase{"EmailWithoutChannel", 11, R"({"emailsubject":"Intruder"})", "email:|",
                  "[CLS_DataAccess::ParseEmailLinkParam]!qjsonObj.contains(channelname)"},
        ParamCase{"Tips", 18, R"({"channelname":"Hall","ballontipstitle":"Look"})", "tips:Hall|Look", ""},
        ParamCase{"TipsWithoutTitle", 18, R"({"channelname":"Hall"})", "tips:|",
                  "[CLS_DataAccess::ParseBallonTipsLinkParam]!qjsonObj.contains(ballontipstitle)"},
        ParamCase{"TipsEmptyText", 18, "", "-",
                  "[CLS_DataAccess::ParseBallonTipsLinkParam]qjsonDoc.isNull() || (qjsonErr.error != "
                  "QJsonParseError::NoError)"},
        ParamCase{"Video", 19, R"({"LinkVideoType":2})", "video:2", ""},
        ParamCase{"VideoNotANumber", 19, R"({"LinkVideoType":"two"})", "video:0", ""},
        ParamCase{"VideoMissingKey", 19, R"({"other":1})", "video:0",
                  "[CLS_DataAccess::ParseAlarmVideoLinkParam]!qjsonObj.contains(LinkVideoType)"},
        // Action types without a parser keep their text only.
        ParamCase{"Other", 4, R"({"preset":3})", "-", ""},
        ParamCase{"OtherNotJson", 0, "anything", "-", ""}),
    [](const ::testing::TestParamInfo<ParamCase>& _info) { return std::string(_info.param.name); });

TEST(AlarmLinks, NullLinksAreLoggedAndIgnored)
{
    LogCapture log;
    AlarmLinkMap cache;
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    access.LoadAllAlarmLinkInfo(nullptr, &cache);
    access.ParseSoundLinkParam(R"({"file":"a"})", nullptr);
    CLS_DataMediator mediator;
    mediator.LoadAllAlarmLinkInfo(nullptr, &cache);
    EXPECT_TRUE(cache.isEmpty());
    EXPECT_TRUE(log.has(3, "[CLS_DataAccess::LoadAllAlarmLinkInfo]_pSingleAlarmLink == nullptr"));
    EXPECT_TRUE(log.has(3, "[CLS_DataAccess::ParseSoundLinkParam]_pSingleAlarmLink == nullptr"));
    EXPECT_TRUE(log.has(3, "[CLS_DataMediator::LoadAllAlarmLinkInfo]--_pSingleAlarmLink == nullptr"));
}

STRCT_SingleAlarmLink* link(const QString& _strSrc, int _iAlarm, int _iAction, const QString& _strDes,
                            const QString& _strParam = QString())
{
    auto* p = new STRCT_SingleAlarmLink();
    p->m_strId = _strSrc + "-" + _strDes;
    p->m_strSrcObjId = _strSrc;
    p->m_iAdapterAlarmId = _iAlarm;
    p->m_iActionType = _iAction;
    p->m_strDesObjId = _strDes;
    p->m_strParam = _strParam;
    return p;
}

QStringList destinations(const AlarmLinkMap& _cache, const QString& _strSrc, int _iAlarm)
{
    QStringList lst;
    for (const STRCT_SingleAlarmLink* p : _cache.value(_strSrc).value(_iAlarm)) {
        lst.append(p->m_strDesObjId);
    }
    return lst;
}

TEST(AlarmLinks, CacheRefreshReplacesOnlyTheNamedPairsWithOwnCopies)
{
    CLS_DataMediator mediator;
    AlarmLinkMap cache;
    mediator.LoadAllAlarmLinkInfo(link("A", 1, 3, "old-1", R"({"DesChannelID":"old-1"})"), &cache);
    mediator.LoadAllAlarmLinkInfo(link("A", 2, 2, "keep", R"({"file":"k.wav"})"), &cache);
    mediator.LoadAllAlarmLinkInfo(link("B", 5, 3, "gone"), &cache);

    AlarmLinkMap update;
    update["A"][1] = {link("A", 1, 3, "new-1", R"({"DesChannelID":"new-1"})"),
                      link("A", 1, 3, "new-2", R"({"DesChannelID":"new-2"})")};
    update["B"][5] = {};  // every rule of the pair removed
    mediator.UpdateAlarmLinkCache(&update, &cache);

    EXPECT_EQ(destinations(cache, "A", 1), (QStringList{"new-1", "new-2"}));
    EXPECT_EQ(destinations(cache, "A", 2), QStringList{"keep"});
    EXPECT_FALSE(cache.contains("B"));
    // The cache holds copies with their own parsed parameters, not the caller's links.
    const STRCT_SingleAlarmLink* pCached = cache["A"][1].first();
    EXPECT_NE(pCached, update["A"][1].first());
    ASSERT_NE(pCached->m_pRecordParam, nullptr);
    EXPECT_EQ(pCached->m_pRecordParam->m_strDesChannelID, "new-1");
    EXPECT_EQ(update["A"][1].first()->m_pRecordParam, nullptr);

    qDeleteAll(update["A"][1]);
    for (auto& inner : cache) {
        for (auto& vec : inner) {
            qDeleteAll(vec);
        }
    }
}

// ---- condition texts ----

struct ConditionCase
{
    const char* name;
    std::function<void(CLS_AlarmRecordSearchEntity&)> set;
    const char* search;
    const char* count;
};

class AlarmConditions : public ::testing::TestWithParam<ConditionCase>
{
};

TEST_P(AlarmConditions, FollowTheFixedOrderAndSpelling)
{
    const ConditionCase& c = GetParam();
    CLS_AlarmRecordSearchEntity search;
    c.set(search);
    QString strWhere;
    CLS_AlarmRecordEntityDAO::Binds binds;
    ASSERT_TRUE(CLS_AlarmRecordEntityDAO::BuildConditions(search, false, strWhere, binds));
    EXPECT_EQ(strWhere.toStdString(), c.search);
    binds.clear();
    ASSERT_TRUE(CLS_AlarmRecordEntityDAO::BuildConditions(search, true, strWhere, binds));
    EXPECT_EQ(strWhere.toStdString(), c.count);
}

INSTANTIATE_TEST_SUITE_P(
    Alarms, AlarmConditions,
    ::testing::Values(
        ConditionCase{"NoFilter", [](CLS_AlarmRecordSearchEntity&) {}, "", ""},
        ConditionCase{"EndTimeOnly", [](CLS_AlarmRecordSearchEntity& s) { s.m_strEndTime = "t"; },
                      " where  DT_ALARM <=:endTime ", " where  DT_ALARM <= :endTime "},
        ConditionCase{"BothTimes",
                      [](CLS_AlarmRecordSearchEntity& s) {
                          s.m_strStartTime = "a";
                          s.m_strEndTime = "b";
                      },
                      " where  DT_ALARM >= :startTime   and DT_ALARM <= :endTime ",
                      " where  DT_ALARM >=:startTime   and DT_ALARM <=:endTime "},
        ConditionCase{"DealStateAboveOneIsAny", [](CLS_AlarmRecordSearchEntity& s) { s.m_iDealState = 2; }, "",
                      ""},
        ConditionCase{"DealStateAndLevels",
                      [](CLS_AlarmRecordSearchEntity& s) {
                          s.m_iDealState = 0;
                          s.m_bLevel[0] = false;
                          s.m_bLevel[3] = false;
                      },
                      " where I_DEAL_STATE = 0 and I_LEVEL IN (2,3,5)",
                      " where I_DEAL_STATE = 0 and I_LEVEL IN (2,3,5)"},
        ConditionCase{"DealUserFirstAndLater",
                      [](CLS_AlarmRecordSearchEntity& s) {
                          s.m_strDealUserID = "u";
                          s.m_iAlarmType = 4;
                      },
                      " where S_DEAL_USER_ID = :userID and I_ALARM_TYPE = 4",
                      " where S_DEAL_USER_ID = :userID  and I_ALARM_TYPE = 4"},
        ConditionCase{"Everything",
                      [](CLS_AlarmRecordSearchEntity& s) {
                          s.m_strStartTime = "a";
                          s.m_iDealState = 1;
                          s.m_bLevel[4] = false;
                          s.m_strDealUserID = "u";
                          s.m_strCameraCaption = "Gate";
                          s.m_iAlarmType = 3;
                      },
                      " where  DT_ALARM >= :startTime  and I_DEAL_STATE = 1 and I_LEVEL IN (1,2,3,4) and "
                      "S_DEAL_USER_ID = :userID  and S_CAMERA_CAPTION like :cameraCaption ESCAPE '\\' and "
                      "I_ALARM_TYPE = 3",
                      " where  DT_ALARM >=:startTime  and I_DEAL_STATE = 1 and I_LEVEL IN (1,2,3,4) and "
                      "S_DEAL_USER_ID = :userID and S_CAMERA_CAPTION like :cameraCaption ESCAPE '\\' and "
                      "I_ALARM_TYPE = 3"}),
    [](const ::testing::TestParamInfo<ConditionCase>& _info) { return std::string(_info.param.name); });

TEST(AlarmConditionBinds, CaptionIsBoundWithItsWildcardsEscaped)
{
    CLS_AlarmRecordSearchEntity search;
    search.m_strCameraCaption = R"(50%_o'k\)";
    QString strWhere;
    CLS_AlarmRecordEntityDAO::Binds binds;
    ASSERT_TRUE(CLS_AlarmRecordEntityDAO::BuildConditions(search, false, strWhere, binds));
    EXPECT_FALSE(strWhere.contains("50"));
    EXPECT_EQ(binds.value(":cameraCaption").toString(), R"(%50\%\_o'k\\%)");
}

TEST(AlarmConditionBinds, NoLevelFlagAsksNothing)
{
    CLS_AlarmRecordSearchEntity search;
    std::fill(search.m_bLevel, search.m_bLevel + 5, false);
    QString strWhere;
    CLS_AlarmRecordEntityDAO::Binds binds;
    EXPECT_FALSE(CLS_AlarmRecordEntityDAO::BuildConditions(search, false, strWhere, binds));
}

}  // namespace
