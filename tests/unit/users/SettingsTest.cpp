// Settings through the mediator, against the recording socket: the group read with its
// fallbacks, the settings record's defaults and conversions, the saves and single values.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "LogCapture.h"
#include "UserRequestsFixture.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <vector>

namespace {

using namespace usertest;

const QString kError = R"({"result":"ERROR","reason":"no such table"})";

// Rows of the group read: (S_SUB_TYPE, S_VALUE) in the order given.
QString settingRows(const std::vector<std::pair<QString, QString>>& _values)
{
    QList<AnswerRow> rows;
    for (const auto& value : _values) {
        rows.append({{"S_SUB_TYPE", value.first}, {"S_VALUE", value.second}});
    }
    return rowsAnswer(rows);
}


QString groupSql(const QString& _strPersonal, const QStringList& _lstFilters)
{
    QString strCom;
    QString strPersonal;
    for (const QString& strFilter : _lstFilters) {
        const QString strColumn = strFilter == "MainType"  ? "S_MAIN_TYPE"
                                  : strFilter == "SubType" ? "S_SUB_TYPE"
                                                           : "S_USERID";
        strCom += " AND " + strColumn + "=:Com" + strFilter + " ";
        strPersonal += " AND " + strColumn + "=:Personal" + strFilter + " ";
    }
    return " SELECT S_SUB_TYPE, S_VALUE FROM TAB_CONFIG_USER_COMMON WHERE 1=1 " + strCom + " UNION ALL " +
           " SELECT S_SUB_TYPE, S_VALUE FROM " + _strPersonal + " WHERE 1=1 " + strPersonal;
}

class SettingsRequests : public UserRequestsFixture
{
protected:
    // Key → value of every UPDATE of a settings save.
    static QMap<QString, QString> savedValues(const FakeRequest& _request)
    {
        QMap<QString, QString> mapValues;
        for (int i = 0; i < statements(_request).size(); ++i) {
            mapValues.insert(binds(_request, i).value(":key").toString(),
                             binds(_request, i).value(":value").toString());
        }
        return mapValues;
    }

};

using SettingsMediator = SettingsRequests;

// ---- reading ----

TEST_F(SettingsMediator, EmptyTablesGiveTheDefaults)
{
    // Every answer is empty: the group read makes the personal table, asks again, then asks the
    // template.
    const STRCT_LocalGeneralSetting* p = m_mediator.GetLocalGeneralSettingInfo();
    ASSERT_NE(p, nullptr);
    const QList<FakeRequest> sent = requests();
    ASSERT_EQ(sent.size(), 4);
    const QJsonObject groupBinds{{":ComMainType", "MAINTYPE_SYSCONFIG"},
                                 {":PersonalMainType", "MAINTYPE_SYSCONFIG"}};
    EXPECT_EQ(sent[0].request.value("sqlexec").toString(), groupSql(kPersonalSql, {"MainType"}));
    EXPECT_EQ(sent[0].request.value("bindValue").toObject(), groupBinds);
    EXPECT_EQ(sent[1].command, QString("Execute"));
    EXPECT_EQ(sent[1].request.value("sqlexec").toString(),
              QString("CREATE TABLE %1 AS SELECT * FROM \"TAB_CONFIG_USER_PERSONAL\"").arg(kPersonalSql));
    EXPECT_EQ(sent[2].request.value("sqlexec").toString(), groupSql(kPersonalSql, {"MainType"}));
    EXPECT_EQ(sent[3].request.value("sqlexec").toString(),
              groupSql("\"TAB_CONFIG_USER_PERSONAL\"", {"MainType"}));

    const QString strAppData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    EXPECT_EQ(p->m_strUserName, QString("admin"));
    EXPECT_EQ(p->m_strLanguage, QString("EN"));
    EXPECT_EQ(p->m_strSkin, QString("dark"));
    EXPECT_EQ(p->m_strDisplayFlag, QString("system"));
    EXPECT_EQ(p->m_strPicturePath, strAppData + "/Picture/");
    EXPECT_EQ(p->m_strRecordPath, strAppData + "/Record/");
    EXPECT_EQ(p->m_strDownPath, strAppData + "/Download/");
    EXPECT_EQ(p->m_strBackupPath, m_home.path() + "/Backuppath/");
    EXPECT_TRUE(QDir(m_home.path() + "/Backuppath").exists());
    EXPECT_EQ(p->m_strDownloadFormat, QString("sdv"));
    EXPECT_EQ(p->m_strRecordFormat, QString("sdv"));
    EXPECT_EQ(p->m_iHandleLogPersistentTime, 30);
    EXPECT_EQ(p->m_iWarningLogPersistentTime, 30);
    EXPECT_EQ(p->m_iPicSaveDays, 30);
    EXPECT_EQ(p->m_iPassengerFlowSaveMonths, 12);
    EXPECT_EQ(p->m_iShowFrameMode, 1);
    EXPECT_FALSE(p->m_bAutoLogin);
    EXPECT_TRUE(p->m_bAutoCode);
    EXPECT_TRUE(p->m_bUseIntelligent);
    EXPECT_TRUE(p->m_bUsePassengerFlow);
    EXPECT_FALSE(p->m_bAlarmGlobalSound);
    EXPECT_EQ(p->m_strFirst, QString("yes"));
    EXPECT_EQ(p->m_strSoftwareType, QString("r480"));
    EXPECT_EQ(p->m_llSynPlayBackMaxIntervalTime, 5000);
    EXPECT_EQ(p->m_iIntelligentLoopDelCount, 10);
    EXPECT_EQ(p->m_iMinStorageValue, 5);
    EXPECT_EQ(p->m_strP2PRegional, QString("0"));
    EXPECT_EQ(p->m_strAlarmGlobalSoundPath, QCoreApplication::applicationDirPath());
    EXPECT_TRUE(p->m_lstDiskDriverName.isEmpty());
    EXPECT_TRUE(p->m_lstCaptureList.isEmpty());
}

TEST_F(SettingsMediator, StoredValuesAreConverted)
{
    QTemporaryDir backupRoot;
    const QString strBackup = backupRoot.path() + "/deep/backup";  // does not exist yet
    answer(
        0,
        settingRows({
            {"showFrameMode", "0"},
            {"picturePath", "C:/x"},
            {"recordPath", "C:/x/"},
            {"downpath", ""},
            {"backuppath", strBackup},
            {"autoLogin", "true"},
            {"savePwd", "0"},
            {"need", "TRUE"},
            {"autocode", "false"},
            {"alarmGlobalSound", "2"},
            {"UseIntelligent", "0"},
            {"R480NvrFirst", "1"},
            {"channelnum", "16"},
            {"codetype", "abc"},
            {"alarmGlobalSoundPath", "/sound/a.wav"},
            {"DiskDriverName",
             R"([{"DiskDriverName":"D:","Status":1},{"DiskDriverName":"E:","Status":0},{"DiskDriverName":"C:","Status":1}])"},
            {"CaptureList", R"([{"ip":"10.0.0.2"},{"ip":"10.0.0.1"}])"},
            {"FlowList", "not json"},
            {"SoftwareType", "standard"},
            {"SynPlayBackMaxIntervalTime", "6000000000"},
            {"InstantPlaybackTime", "15"},
            {"language", "CN"},       // a common row ...
            {"language", "TradCHS"},  // ... and the personal one after it
        }));
    const STRCT_LocalGeneralSetting* p = m_mediator.GetLocalGeneralSettingInfo();
    EXPECT_EQ(requests().size(), 1);  // rows found: no fallback
    EXPECT_EQ(p->m_iShowFrameMode, 1);
    EXPECT_EQ(p->m_strPicturePath, QString("C:/x") + QDir::separator());
    EXPECT_EQ(p->m_strRecordPath, QString("C:/x/"));
    EXPECT_EQ(p->m_strDownPath,
              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/Download/");
    EXPECT_EQ(p->m_strBackupPath, strBackup + QDir::separator());
    EXPECT_TRUE(QDir(strBackup).exists());
    EXPECT_TRUE(p->m_bAutoLogin);
    EXPECT_FALSE(p->m_bSavePwd);
    EXPECT_TRUE(p->m_bNeed);
    EXPECT_FALSE(p->m_bAutoCode);
    EXPECT_TRUE(p->m_bAlarmGlobalSound);
    EXPECT_FALSE(p->m_bUseIntelligent);
    EXPECT_TRUE(p->m_bR480NvrFirst);
    EXPECT_EQ(p->m_iChannelNum, 16);
    EXPECT_EQ(p->m_iCodeType, 0);
    EXPECT_EQ(p->m_strAlarmGlobalSoundPath, QCoreApplication::applicationDirPath() + "/sound/a.wav");
    EXPECT_EQ(p->m_lstDiskDriverName, (QStringList{"D:", "C:"}));
    EXPECT_EQ(p->m_mapDiskDriverName, (QMap<QString, qint32>{{"C:", 1}, {"D:", 1}, {"E:", 0}}));
    EXPECT_EQ(p->m_lstCaptureList, (QStringList{"10.0.0.2", "10.0.0.1"}));
    EXPECT_TRUE(p->m_lstFlowList.isEmpty());
    EXPECT_EQ(p->m_strSoftwareType, QString("standard"));
    EXPECT_EQ(p->m_llSynPlayBackMaxIntervalTime, 6000000000LL);
    EXPECT_EQ(p->m_iInstantPlaybackTime, 15);
    EXPECT_EQ(p->m_strLanguage, QString("TradCHS"));

    // The record stays the mediator's and is refilled in place.
    answer(0, settingRows({{"language", "EN"}}));
    EXPECT_EQ(m_mediator.GetLocalGeneralSettingInfo(), p);
    EXPECT_EQ(p->m_strLanguage, QString("EN"));
    EXPECT_TRUE(p->m_lstDiskDriverName.isEmpty());
}

TEST_F(SettingsMediator, GroupReadFallsBackWhenThePersonalTableIsMissing)
{
    // The union fails on the missing table; it is made from the template and answers.
    answer(0, kError);
    answer(0, R"({"result":"OK","data":{"ret":0}})");
    answer(0, settingRows({{"skin", "light"}}));
    EXPECT_EQ(m_mediator.GetLocalGeneralSettingInfo()->m_strSkin, QString("light"));
    EXPECT_EQ(requests().size(), 3);

    // It cannot be made: the template itself answers.
    m_pFake->reset();
    answer(0, kError);
    answer(0, kError);
    answer(0, settingRows({{"skin", "blue"}}));
    EXPECT_EQ(m_mediator.GetLocalGeneralSettingInfo()->m_strSkin, QString("blue"));
    const QList<FakeRequest> sent = requests();
    ASSERT_EQ(sent.size(), 3);
    EXPECT_EQ(sent[2].request.value("sqlexec").toString(),
              groupSql("\"TAB_CONFIG_USER_PERSONAL\"", {"MainType"}));

    // Without a system id nothing is asked and the record keeps its defaults.
    m_pFake->reset();
    CLS_BaseEntityDAO::ResetSysIdForTest();
    LogCapture log;
    EXPECT_EQ(m_mediator.GetLocalGeneralSettingInfo()->m_strSkin, QString("dark"));
    EXPECT_TRUE(requests().isEmpty());
    EXPECT_TRUE(log.hasPart(3, "CLS_ConfigDAO::QueryGroup GetSysId fail"));
}

// ---- saving ----

STRCT_LocalGeneralSetting changedRecord()
{
    STRCT_LocalGeneralSetting s;
    s.m_bAutoLogin = true;
    s.m_strUserName = "O'Neil";
    s.m_strPassword = "p'w";
    s.m_strPicturePath = "/data/it's/pictures/";
    s.m_bLockApp = true;
    s.m_iShowFrameMode = 3;
    s.m_bAlarmGlobalSound = true;
    s.m_bUseIntelligent = false;
    s.m_mapDiskDriverName = {{"D:", 1}, {"E:", 0}};
    s.m_iInstantPlaybackTime = 20;
    s.m_iPicSaveDays = 7;
    s.m_lstCaptureList = QStringList{"10.0.0.9", "10.0.0.3"};
    s.m_bR480NvrFirst = true;
    s.m_strAliLoginInfo = "{\"a\":\"b'c\"}";
    return s;
}

TEST_F(SettingsMediator, SavesSplitTheRecordIntoPersonalAndCommonKeys)
{
    const STRCT_LocalGeneralSetting s = changedRecord();
    answer(0, countAnswer("1"));  // the personal table exists
    m_mediator.SavePersonalSetInfo(s);
    QList<FakeRequest> sent = requests();
    ASSERT_EQ(sent.size(), 2);
    const FakeRequest personal = sent[1];
    const QString strUpdate =
        QString("UPDATE %1 Set S_VALUE=:value where S_MAIN_TYPE='MAINTYPE_SYSCONFIG' and S_SUB_TYPE=:key");
    for (const QJsonValue& statement : statements(personal)) {
        EXPECT_EQ(statement.toString(), strUpdate.arg(kPersonalSql));
    }
    const QMap<QString, QString> mapPersonal = savedValues(personal);
    EXPECT_EQ(mapPersonal.size(), 41);
    EXPECT_EQ(mapPersonal.value("autoLogin"), QString("true"));
    EXPECT_EQ(mapPersonal.value("lockApp"), QString("true"));
    EXPECT_EQ(mapPersonal.value("userName"), QString("O'Neil"));
    EXPECT_EQ(mapPersonal.value("picturePath"), QString("/data/it's/pictures/"));
    EXPECT_EQ(mapPersonal.value("alarmGlobalSound"), QString("1"));
    EXPECT_EQ(mapPersonal.value("UseIntelligent"), QString("0"));
    EXPECT_EQ(mapPersonal.value("showFrameMode"), QString("3"));
    EXPECT_EQ(QJsonDocument::fromJson(mapPersonal.value("DiskDriverName").toUtf8()).array(),
              (QJsonArray{QJsonObject{{"DiskDriverName", "D:"}, {"Status", 1}},
                          QJsonObject{{"DiskDriverName", "E:"}, {"Status", 0}}}));
    for (const char* pszCommonOrReadOnly : {"PicSaveDays", "CaptureList", "SoftwareType", "first"}) {
        EXPECT_FALSE(mapPersonal.contains(pszCommonOrReadOnly)) << pszCommonOrReadOnly;
    }

    m_pFake->reset();
    m_mediator.SaveComSetInfo(s);
    sent = requests();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(statements(sent[0]).first().toString(), strUpdate.arg("TAB_CONFIG_USER_COMMON"));
    const QMap<QString, QString> mapCommon = savedValues(sent[0]);
    EXPECT_EQ(mapCommon.keys(), (QStringList{"AliLoginInfo", "CaptureList", "ExitNormally", "FlowList",
                                             "PassengerFlowSaveMonths", "PicSaveDays", "R480NvrFirst",
                                             "handleLogPersistentTime", "warningLogPersistentTime"}));
    EXPECT_EQ(mapCommon.value("CaptureList"), QString(R"([{"ip":"10.0.0.9"},{"ip":"10.0.0.3"}])"));
    EXPECT_EQ(mapCommon.value("R480NvrFirst"), QString("1"));
    EXPECT_EQ(mapCommon.value("AliLoginInfo"), QString("{\"a\":\"b'c\"}"));

    // What was saved reads back as the same record (both boolean forms included).
    std::vector<std::pair<QString, QString>> rows;
    for (auto it = mapCommon.cbegin(); it != mapCommon.cend(); ++it) {
        rows.push_back({it.key(), it.value()});
    }
    for (auto it = mapPersonal.cbegin(); it != mapPersonal.cend(); ++it) {
        rows.push_back({it.key(), it.value()});
    }
    rows.push_back({"backuppath", m_home.path() + "/b/"});
    answer(0, settingRows(rows));
    const STRCT_LocalGeneralSetting* p = m_mediator.GetLocalGeneralSettingInfo();
    EXPECT_EQ(p->m_bAutoLogin, s.m_bAutoLogin);
    EXPECT_EQ(p->m_strUserName, s.m_strUserName);
    EXPECT_EQ(p->m_strPassword, s.m_strPassword);
    EXPECT_EQ(p->m_strPicturePath, s.m_strPicturePath);
    EXPECT_EQ(p->m_bLockApp, s.m_bLockApp);
    EXPECT_EQ(p->m_iShowFrameMode, s.m_iShowFrameMode);
    EXPECT_EQ(p->m_bAlarmGlobalSound, s.m_bAlarmGlobalSound);
    EXPECT_EQ(p->m_bUseIntelligent, s.m_bUseIntelligent);
    EXPECT_EQ(p->m_bUsePassengerFlow, s.m_bUsePassengerFlow);
    EXPECT_EQ(p->m_mapDiskDriverName, s.m_mapDiskDriverName);
    EXPECT_EQ(p->m_lstDiskDriverName, QStringList{"D:"});
    EXPECT_EQ(p->m_iInstantPlaybackTime, s.m_iInstantPlaybackTime);
    EXPECT_EQ(p->m_iPicSaveDays, s.m_iPicSaveDays);
    EXPECT_EQ(p->m_lstCaptureList, s.m_lstCaptureList);
    EXPECT_EQ(p->m_bR480NvrFirst, s.m_bR480NvrFirst);
    EXPECT_EQ(p->m_strAliLoginInfo, s.m_strAliLoginInfo);
}

TEST_F(SettingsMediator, SaveFailuresAreLogged)
{
    LogCapture log;
    answer(0, countAnswer("0"));  // missing personal table ...
    answer(0, kError);            // ... which cannot be made: nothing is updated
    m_mediator.SavePersonalSetInfo(STRCT_LocalGeneralSetting());
    EXPECT_EQ(requests().size(), 2);
    EXPECT_TRUE(log.has(2, "CLS_ConfigDAO::SavePersonalInfo CreatePersonalTab iRet=-1"))
        << log.dump().toStdString();
    EXPECT_TRUE(log.has(2, "CLS_DataMediator::SavePersonalSetInfo SaveSysPersonalInfo(-1)"));

    answer(0, kError);
    m_mediator.SaveComSetInfo(STRCT_LocalGeneralSetting());
    EXPECT_TRUE(log.has(2, "CLS_DataMediator::SaveComSetInfo SaveSysPersonalInfo(-1)"));
}

// ---- single values ----

TEST_F(SettingsMediator, OneValueIsWrittenWhereItsRowIs)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    answer(0, settingRows({{"S_MAIN_TYPE", "G"}}));  // the common table has the row
    EXPECT_EQ(access.SetConfigValue("G", "K", "it's", "u1"), 0);
    QList<FakeRequest> sent = requests();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(
        sent[0].request.value("sqlexec").toString(),
        QString(
            "SELECT * FROM TAB_CONFIG_USER_COMMON WHERE S_MAIN_TYPE=:MainType and S_SUB_TYPE= :SubType and "
            "S_USERID= :UserId "));
    EXPECT_EQ(sent[0].request.value("bindValue").toObject(),
              (QJsonObject{{":MainType", "G"}, {":SubType", "K"}, {":UserId", "u1"}}));
    EXPECT_EQ(statements(sent[1]),
              QJsonArray{"UPDATE TAB_CONFIG_USER_COMMON Set S_VALUE=:Value WHERE "
                         "S_MAIN_TYPE=:MainType AND S_SUB_TYPE=:SubType AND S_USERID=:UserId"});
    EXPECT_EQ(binds(sent[1], 0),
              (QJsonObject{{":MainType", "G"}, {":SubType", "K"}, {":UserId", "u1"}, {":Value", "it's"}}));

    // No common row: the personal table, made first when missing.
    m_pFake->reset();
    answer(0, rowsAnswer({}));
    answer(0, countAnswer("0"));
    EXPECT_EQ(access.SetConfigValue("G", "K", "v", ""), 0);
    sent = requests();
    ASSERT_EQ(sent.size(), 4);
    EXPECT_EQ(sent[2].request.value("sqlexec").toString(),
              QString("CREATE TABLE %1 AS SELECT * FROM \"TAB_CONFIG_USER_PERSONAL\"").arg(kPersonalSql));
    EXPECT_EQ(
        statements(sent[3]),
        QJsonArray{QString("UPDATE %1 Set S_VALUE=:Value WHERE S_MAIN_TYPE=:MainType AND S_SUB_TYPE=:SubType")
                       .arg(kPersonalSql)});

    // Reading one value takes the first row: the common one when both tables have the key.
    answer(0, settingRows({{"K", "common"}, {"K", "personal"}}));
    EXPECT_EQ(access.GetConfigValue("G", "K", "u1"), QString("common"));
    EXPECT_EQ(lastRequest().request.value("sqlexec").toString(),
              groupSql(kPersonalSql, {"MainType", "SubType", "UserID"}));
}

TEST_F(SettingsMediator, LastOpenModulesRoundTrip)
{
    STRCT_OpenModule module;
    module.m_iType = 2;
    module.m_bSelect = true;
    module.m_strModuleId = "play'back";
    module.m_bSinglePage = true;
    module.m_iPosX = -5;
    module.m_iPosY = 40;
    answer(0, rowsAnswer({}));
    answer(0, countAnswer("1"));
    m_mediator.SaveLastOpenModules({module, STRCT_OpenModule()});
    const FakeRequest write = lastRequest();
    EXPECT_EQ(binds(write, 0).value(":MainType").toString(), QString("MAINTYPE_VIEWCONFIG"));
    EXPECT_EQ(binds(write, 0).value(":SubType").toString(), QString("LastOpenModules"));
    const QString strStored = binds(write, 0).value(":Value").toString();
    EXPECT_FALSE(strStored.contains('\n'));
    EXPECT_EQ(QJsonDocument::fromJson(strStored.toUtf8()).object().value("lastopenmodules").toArray().first(),
              QJsonValue(QJsonObject{{"type", 2},
                                     {"select", true},
                                     {"moduleid", "play'back"},
                                     {"singlePage", true},
                                     {"posX", -5},
                                     {"posY", 40}}));

    answer(0, settingRows({{"LastOpenModules", strStored}}));
    const QList<STRCT_OpenModule> lstRead = m_mediator.GetLastOpenModules();
    ASSERT_EQ(lstRead.size(), 2);
    EXPECT_EQ(lstRead[0].m_iType, 2);
    EXPECT_TRUE(lstRead[0].m_bSelect);
    EXPECT_EQ(lstRead[0].m_strModuleId, QString("play'back"));
    EXPECT_TRUE(lstRead[0].m_bSinglePage);
    EXPECT_EQ(lstRead[0].m_iPosX, -5);
    EXPECT_EQ(lstRead[0].m_iPosY, 40);
    EXPECT_FALSE(lstRead[1].m_bSelect);
}

// ---- dictionaries and small reads ----

TEST_F(SettingsMediator, DisplayFlagRecoveryIsTriedTwice)
{
    const QString strUpdate =
        QString("UPDATE %1 SET S_VALUE=:flag WHERE S_SUB_TYPE='DisplayFlag'").arg(kPersonalSql);
    LogCapture log;
    answer(0, countAnswer("1"));
    EXPECT_EQ(m_mediator.RecoverDefaultDisplayFlag(), 0);
    EXPECT_EQ(lastRequest().request.value("sqlexec").toString(), strUpdate);
    EXPECT_EQ(lastRequest().request.value("bindValue").toObject(), (QJsonObject{{":flag", "system"}}));
    EXPECT_EQ(requests().size(), 2);

    m_pFake->reset();
    answer(0, countAnswer("1"));
    answer(0, kError);
    answer(0, countAnswer("1"));
    EXPECT_EQ(m_mediator.RecoverDefaultDisplayFlag(), 0);
    EXPECT_TRUE(log.has(2, "CLS_DataAccess::GetInstance().RecoverDefaultDisplayFlag() [Second] "));
    EXPECT_EQ(requests().size(), 4);

    m_pFake->reset();
    log.clear();
    answer(0, countAnswer("1"));
    answer(0, kError);
    answer(0, countAnswer("1"));
    answer(0, kError);
    EXPECT_EQ(m_mediator.RecoverDefaultDisplayFlag(), -1);
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::RecoverDefaultDisplayFlag iRet = (-1)"));

    // The flags are read once and then served from the DAO.
    m_pFake->reset();
    answer(0, rowsAnswer({{{"S_CAPTION", "System"}, {"S_ABBR", "system"}},
                          {{"S_CAPTION", "Big"}, {"S_ABBR", "big"}}}));
    const QMap<QString, QString> flags{{"System", "system"}, {"Big", "big"}};
    EXPECT_EQ(m_mediator.GetCurDisplayflag(), flags);
    EXPECT_EQ(m_mediator.GetCurDisplayflag(), flags);
    EXPECT_EQ(requests().size(), 1);
    EXPECT_EQ(lastRequest().request.value("sqlexec").toString(),
              QString("select S_CAPTION,S_ABBR from TAB_DD_DISPLAYFLAG"));
}

TEST_F(SettingsMediator, DomainServerFallsBackToTheDefault)
{
    answer(0, rowsAnswer({{{"S_DOMAIN", "ddns.example.org"}, {"I_PORT", "7000"}}}));
    STRCT_DomainServerInfo info = m_mediator.GetDomainServerInfo();
    EXPECT_EQ(info.m_strDomain, QString("ddns.example.org"));
    EXPECT_EQ(info.m_iPort, 7000);
    for (const QString& strAnswer : {kError, rowsAnswer({})}) {
        answer(0, strAnswer);
        info = m_mediator.GetDomainServerInfo();
        EXPECT_FALSE(info.m_strDomain.isEmpty());
        EXPECT_EQ(info.m_iPort, 6004);
    }
}

TEST_F(SettingsMediator, HomeModulesAreCachedAndTranslatedInTheCache)
{
    answer(
        0,
        rowsAnswer(
            {{{"S_TITLE", "Live View"}, {"S_DES", "d1"}, {"S_ICONPATH", ":/a.png"}, {"S_TYPE", "liveview"}},
             {{"S_TITLE", "Playback"}, {"S_DES", "d2"}, {"S_ICONPATH", ":/b.png"}, {"S_TYPE", "playback"}}}));
    m_mediator.UpdateHomeModules({{"playback", {{"language", "CN"}, {"title", "录像回放"}}}});
    const QList<STRCT_HomeModule> modules = m_mediator.GetHomeModules();
    EXPECT_EQ(requests().size(), 1);
    ASSERT_EQ(modules.size(), 2);
    EXPECT_EQ(modules[0].m_strTitle, QString("Live View"));
    EXPECT_EQ(modules[1].m_strTitle, QString("录像回放"));
    EXPECT_EQ(modules[1].m_strLanguage, QString("CN"));
    EXPECT_EQ(modules[1].m_strDes, QString("d2"));  // not given: kept
}

TEST(SettingsLanguage, TranslatesAbbreviationsToNumbers)
{
    CLS_DataMediator mediator;
    const std::vector<std::pair<QString, int>> cases{
        {"CN", 1},    {"TradCHS", 2}, {"EN", 3},      {"Farsi", 4},  {"Italian", 5}, {"Korean", 6},
        {"Dutch", 7}, {"Russian", 8}, {"Turkish", 9}, {"French", 3}, {"cn", 3},      {"", 3}};
    for (const auto& c : cases) {
        EXPECT_EQ(mediator.TranslateLanguageType(c.first), c.second) << c.first.toStdString();
    }
}

TEST_F(SettingsMediator, SoftwareTypeMeansR480WhenMissingAndFailsWhenUnread)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    QString strType;
    answer(0, settingRows({{"SoftwareType", "standard"}}));
    EXPECT_EQ(access.GetSoftwareType(strType), 0);
    EXPECT_EQ(strType, QString("standard"));
    EXPECT_EQ(lastRequest().request.value("bindValue").toObject().value(":PersonalSubType").toString(),
              QString("SoftwareType"));
    // Nothing anywhere (union, made table, template): "r480".
    answer(0, rowsAnswer({}));
    answer(0, R"({"result":"OK","data":{"ret":0}})");
    answer(0, rowsAnswer({}));
    answer(0, rowsAnswer({}));
    EXPECT_EQ(access.GetSoftwareType(strType), 0);
    EXPECT_EQ(strType, QString("r480"));

    // Every step of the group read refused: a failure, not "r480".
    strType = "untouched";
    LogCapture log;
    for (int i = 0; i < 3; ++i) {
        answer(0, kError);
    }
    EXPECT_EQ(access.GetSoftwareType(strType), -1);
    EXPECT_EQ(strType, QString("untouched"));
    EXPECT_TRUE(log.hasPart(2, "CLS_ConfigDAO::GetConfigValue pRecSet=null")) << log.dump().toStdString();
    for (int i = 0; i < 3; ++i) {
        answer(0, kError);
    }
    EXPECT_TRUE(access.GetSoftwareType().isEmpty());
}

}  // namespace
