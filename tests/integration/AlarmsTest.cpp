// The alarm catalogue, the linkage rules and the alarm log against a real server and schema:
// catalogue reads and the level change, saving and loading rules with their cross-product
// deletion and first save, rules leaving with the objects they belong to, the per-second
// sequence and the listing order, the search and count filters, handling, purge and the
// cached events.
#include "CLS_DataAccess.h"
#include "DataBase/EntityDao/HostConfig/CLS_AlarmInEntity.h"
#include "IntegrationFixture.h"
#include "LogCapture.h"

#include <QDateTime>
#include <QSet>

#include <functional>

namespace {

const auto* const g_env =
    ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"italarms01", /*admin*/ true, {}}));

const char kDb[] = "Tessel";

QString linkTable()
{
    return "TAB_OBJ_ALARM_ACTION" + IntegrationEnvironment::instance().sysId();
}

int scalar(const QString& _strSql, const itest::Binds& _binds = itest::Binds())
{
    return itest::scalar(kDb, _strSql, _binds);
}

// Links owned by the test; freed when it ends.
class LinkArgs
{
public:
    ~LinkArgs()
    {
        for (auto& inner : m_map) {
            for (auto& vec : inner) {
                qDeleteAll(vec);
            }
        }
    }
    LinkArgs& add(const QString& _strSrc, int _iAlarm, int _iAction, const QString& _strDes,
                  const QString& _strParam = QString())
    {
        auto* p = new STRCT_SingleAlarmLink();
        p->m_strId = QStringLiteral("%1-%2-%3").arg(_strSrc).arg(_iAlarm).arg(_strDes);
        p->m_strSrcObjId = _strSrc;
        p->m_iAdapterAlarmId = _iAlarm;
        p->m_iActionType = _iAction;
        p->m_strDesObjId = _strDes;
        p->m_iEnable = 1;
        p->m_strParam = _strParam;
        p->m_iCtrlWithArming = 0;
        m_map[_strSrc][_iAlarm].append(p);
        return *this;
    }
    /// Names the pair with no links: its stored rules are removed.
    LinkArgs& clear(const QString& _strSrc, int _iAlarm)
    {
        m_map[_strSrc][_iAlarm];
        return *this;
    }
    AlarmLinkMap* map() { return &m_map; }

private:
    AlarmLinkMap m_map;
};

// "src/alarm/destination" of every stored rule of the admin, sorted.
QStringList storedRules()
{
    RecordSet* pRows = CLS_BaseEntityDAO::ExecuteQuery(
        kDb, "SELECT S_SRC_OBJ_ID || '/' || I_ADAPTER_ALARM_ID || '/' || S_DES_OBJ_ID AS R FROM " + linkTable() +
                 " ORDER BY R");
    QStringList lst;
    if (pRows == nullptr) {
        return {"<failed>"};
    }
    for (const auto* pRow : *pRows) {
        lst.append(pRow->value("R"));
    }
    CLS_BaseEntityDAO::FreeRecordSet(pRows);
    return lst;
}

// "src/alarm/destination" of every rule in a link cache, sorted.
QStringList cachedRules(const AlarmLinkMap& _cache)
{
    QStringList lst;
    for (const auto& mapByAlarm : _cache) {
        for (const auto& vecLinks : mapByAlarm) {
            for (const STRCT_SingleAlarmLink* p : vecLinks) {
                lst.append(QStringLiteral("%1/%2/%3")
                               .arg(p->m_strSrcObjId)
                               .arg(p->m_iAdapterAlarmId)
                               .arg(p->m_strDesObjId));
            }
        }
    }
    lst.sort();
    return lst;
}

void storeRule(const QString& _strSrc, int _iAlarm, int _iAction, const QString& _strDes, const QString& _strUser,
               const QString& _strParam = "{}")
{
    ASSERT_EQ(itest::exec(kDb,
                          "INSERT INTO " + linkTable() +
                              " (S_ID, S_SRC_OBJ_ID, I_ADAPTER_ALARM_ID, I_ENABLE, S_DES_OBJ_ID, I_ACTION_TYPE_ID, "
                              "S_PARAM, S_USER_ID, I_CTRL_WITHDRAW_DEFENCE) VALUES (:id, :src, :alarm, 1, :des, "
                              ":action, :param, :user, 1)",
                          {{":id", _strSrc + _strDes},
                           {":src", _strSrc},
                           {":alarm", _iAlarm},
                           {":des", _strDes},
                           {":action", _iAction},
                           {":param", _strParam},
                           {":user", _strUser}}),
              0);
}

class Alarms : public LoggedInTest
{
protected:
    void SetUp() override
    {
        LoggedInTest::SetUp();
        m_strAdminID = m_mediator.GetCurrentUserID();
        ASSERT_FALSE(m_strAdminID.isEmpty());
    }
    /// Makes sure this system's linkage table exists and is empty.
    void freshLinkTable()
    {
        itest::exec(kDb, "DROP TABLE IF EXISTS " + linkTable());
        ASSERT_EQ(CLS_DataAccess::GetInstance().CreateTableAlarmAction(), 0);
    }
    QString m_strAdminID;
};

// ---- catalogue ----

TEST_F(Alarms, CatalogueReadsTheSeededTypesWithCaptionsOfTheLanguage)
{
    AdapterAlarmInfoMap* pMap = m_mediator.GetAllAdapterAlarmInfo("EN");
    ASSERT_NE(pMap, nullptr);
    EXPECT_EQ(pMap->size(), scalar("SELECT COUNT(*) FROM TAB_DD_ADAPTER_ALARM_TYPE"));
    ASSERT_TRUE(pMap->contains(10));
    const STRCT_AdapterAlarmInfo* pDisk = pMap->value(10);
    EXPECT_EQ(pDisk->m_strCaption, "Disk error");
    EXPECT_EQ(pDisk->m_iLevel, 5);
    EXPECT_EQ(pDisk->m_iMainAlarmType, 5);
    EXPECT_TRUE(pDisk->m_bIsDeal);
    EXPECT_FALSE(pDisk->m_bFilterAlarming);
    // Another language refreshes the same entries in place: pointers the client holds stay valid.
    EXPECT_EQ(m_mediator.GetAllAdapterAlarmInfo("CN"), pMap);
    EXPECT_EQ(pMap->value(10), pDisk);
    EXPECT_EQ(pDisk->m_strCaption, QString::fromUtf8("磁盘错误"));

    STRCT_AdapterAlarmInfo* pInfo = nullptr;
    m_mediator.GetAdapterAlarmInfo(10, pInfo);
    EXPECT_EQ(pInfo, pMap->value(10));
    STRCT_AdapterAlarmInfo sentinel;
    pInfo = &sentinel;
    m_mediator.GetAdapterAlarmInfo(999, pInfo);
    EXPECT_EQ(pInfo, &sentinel);

    QList<CLS_AlarmLevelEntity*>* pLevels = m_mediator.GetAllAlarmLevel();
    ASSERT_EQ(pLevels->size(), 5);
    EXPECT_EQ(pLevels->first()->I_LEVEL, 1);
    EXPECT_EQ(m_mediator.GetAllAlarmLevel()->size(), 5);  // refilled, not appended

    QList<CLS_AlarmMainTypeEntity*> lstMain;
    QList<CLS_AlarmSubTypeEntity*> lstSub;
    EXPECT_EQ(m_mediator.GetAllAlarmMainType(lstMain), 0);
    EXPECT_EQ(m_mediator.GetAllAlarmSubType(lstSub), 0);
    EXPECT_EQ(lstMain.size(), scalar("SELECT COUNT(*) FROM TAB_DD_MAIN_ALARM_TYPE"));
    EXPECT_EQ(lstSub.size(), scalar("SELECT COUNT(*) FROM TAB_DD_SUB_ALARM_TYPE"));
    EXPECT_EQ(lstMain.first()->I_ROW_ID, 0);  // "SELECT *" yields no rowid column
    qDeleteAll(lstMain);
    qDeleteAll(lstSub);
}

TEST_F(Alarms, HostTypesCarryTheirMainTypesWithSubTypes)
{
    QList<STRCT_VideoHostInfo> lstHosts;
    ASSERT_EQ(m_mediator.GetVideoHostInfo(lstHosts), 0);
    ASSERT_EQ(lstHosts.size(), scalar("SELECT COUNT(*) FROM TAB_DD_QXHOST_CONFIG"));
    const STRCT_VideoHostInfo& nvr = lstHosts.first();
    EXPECT_EQ(nvr.m_iHostTypeId, 1);
    EXPECT_EQ(nvr.m_baWindowsPath, QByteArray("plugins\\NvrDevice.dll"));
    QList<int> lstMainTypes;
    for (const CLS_AlarmTypeEntity& type : nvr.m_lstAlarmTypes) {
        lstMainTypes.append(type.I_MAIN_ALARM_TYPE);
    }
    EXPECT_EQ(lstMainTypes, (QList<int>{1, 2, 3, 4, 5}));
    const CLS_AlarmTypeEntity& video = nvr.m_lstAlarmTypes.first();
    EXPECT_EQ(video.m_mapSubAlarmType.keys(), (QList<int>{1, 2, 3}));
    EXPECT_EQ(video.m_mapSubAlarmType.value(3).m_iAdapterAlarmType, 4);
    EXPECT_TRUE(video.m_mapSubAlarmType.value(1).m_bDelayCancel);
    EXPECT_TRUE(nvr.m_lstAlarmTypes.at(3).m_bGetFaceAlarm);
    EXPECT_TRUE(nvr.m_lstAlarmTypes.at(3).m_bGetUniqueAlertAlarm);
}

TEST_F(Alarms, LevelChangeIsStoredAndCachedAndAMissingEntryStillStores)
{
    LogCapture log;
    EXPECT_FALSE(m_mediator.UpdateAdapterAlarmInfo(1, 4));  // no map yet: nothing stored
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::UpdateAdapterAlarmInfo m_pqmapAdapterAlarmInfo == nullptr"));
    EXPECT_EQ(scalar("SELECT I_LEVEL FROM TAB_ALARM_TYPE_LEVEL WHERE I_ALARM_TYPE = 1"), 2);

    // A language without captions leaves the map empty: the level is stored all the same.
    EXPECT_TRUE(m_mediator.GetAllAdapterAlarmInfo("XX")->isEmpty());
    EXPECT_FALSE(m_mediator.UpdateAdapterAlarmInfo(1, 4));
    EXPECT_TRUE(log.has(3, "[CLS_DataMediator::UpdateAdapterAlarmInfo] itAdapterAlarmInfo == "
                           "m_pqmapAdapterAlarmInfo->end()"));
    EXPECT_EQ(scalar("SELECT I_LEVEL FROM TAB_ALARM_TYPE_LEVEL WHERE I_ALARM_TYPE = 1"), 4);

    m_mediator.GetAllAdapterAlarmInfo("EN");
    EXPECT_TRUE(m_mediator.UpdateAdapterAlarmInfo(1, 2));
    EXPECT_EQ(m_mediator.GetAllAdapterAlarmInfo("EN")->value(1)->m_iLevel, 2);
    EXPECT_EQ(scalar("SELECT I_LEVEL FROM TAB_ALARM_TYPE_LEVEL WHERE I_ALARM_TYPE = 1"), 2);
}

// ---- linkage rules ----

TEST_F(Alarms, FirstSaveCreatesTheSystemTableAndLoadingParsesTheRules)
{
    itest::exec(kDb, "DROP TABLE IF EXISTS " + linkTable());
    ASSERT_NE(CLS_DataAccess::GetInstance().TableIsExist(), 0);
    m_mediator.GetAllAdapterAlarmInfo("EN");

    LinkArgs args;
    // Two record actions differing only in the destination both survive.
    args.add("cam-A", 1, 3, "ch-1", R"({"DesChannelID":"ch-1"})")
        .add("cam-A", 1, 3, "ch-2", R"({"DesChannelID":"ch-2"})")
        .add("cam-B", 2, 11, "mail", R"({"channelname":"Gate","emailsubject":"Lost"})")
        .add("cam-B", 2, 4, "ptz", R"({"preset":3})");
    ASSERT_EQ(m_mediator.UpdateAlarmLinkInfo(args.map()), 0);
    EXPECT_EQ(CLS_DataAccess::GetInstance().TableIsExist(), 0);
    EXPECT_EQ(storedRules(), (QStringList{"cam-A/1/ch-1", "cam-A/1/ch-2", "cam-B/2/mail", "cam-B/2/ptz"}));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM " + linkTable() + " WHERE S_USER_ID = :u AND I_CTRL_WITHDRAW_DEFENCE = 0",
                     {{":u", m_strAdminID}}),
              4);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_OBJ_ALARM_ACTION"), 0);  // the template stays empty

    // Another user's rule and one of an unknown alarm type are not loaded.
    storeRule("cam-A", 1, 3, "other", "someone-else");
    storeRule("cam-C", 999, 2, "x", m_strAdminID);

    CLS_DataMediator fresh;
    ItemReleaser release(fresh);
    ASSERT_EQ(fresh.LoginUser(IntegrationEnvironment::kAdminName, IntegrationEnvironment::kAdminPassword), 0);
    LogCapture log;
    EXPECT_EQ(fresh.StartGetAlarmLinkInfo(), -1);  // no adapter map yet
    EXPECT_TRUE(log.has(3, "[CLS_DataAccess::StartGetAlarmLinkInfo]_pqmapAdapterAlarmInfo == nullptr"));
    fresh.GetAllAdapterAlarmInfo("EN");
    ASSERT_EQ(fresh.StartGetAlarmLinkInfo(), 0);
    EXPECT_TRUE(log.has(3, "[CLS_DataAccess::StartGetAlarmLinkInfo]_pqmapAdapterAlarmInfo->find(999) is not Find!!!"));

    const AlarmLinkMap& cache = fresh.GetAlarmLinkCache();
    EXPECT_EQ(cache.keys(), (QStringList{"cam-A", "cam-B"}));
    const auto& vecA = cache["cam-A"][1];
    ASSERT_EQ(vecA.size(), 2);
    EXPECT_EQ(vecA[0]->m_strAlarmCaption, "Motion detection");
    EXPECT_EQ(vecA[0]->m_iAlarmLevel, 2);
    EXPECT_EQ(vecA[0]->m_iCtrlWithArming, 0);
    QStringList lstRecorded;
    for (const STRCT_SingleAlarmLink* p : vecA) {
        ASSERT_NE(p->m_pRecordParam, nullptr);
        lstRecorded.append(p->m_pRecordParam->m_strDesChannelID);
    }
    lstRecorded.sort();
    EXPECT_EQ(lstRecorded, (QStringList{"ch-1", "ch-2"}));
    const auto& vecB = cache["cam-B"][2];
    ASSERT_EQ(vecB.size(), 2);
    for (const STRCT_SingleAlarmLink* p : vecB) {
        if (p->m_iActionType == 11) {
            ASSERT_NE(p->m_pEmailParam, nullptr);
            EXPECT_EQ(p->m_pEmailParam->m_strEmailSubject, "Lost");
        } else {
            EXPECT_EQ(p->m_pEmailParam, nullptr);
            EXPECT_EQ(p->m_pRecordParam, nullptr);
            EXPECT_EQ(p->m_strParam, R"({"preset":3})");
        }
    }
    // Loading again replaces the cache rather than doubling it.
    ASSERT_EQ(fresh.StartGetAlarmLinkInfo(), 0);
    EXPECT_EQ(fresh.GetAlarmLinkCache()["cam-A"][1].size(), 2);
}

TEST_F(Alarms, SavingDeletesTheCrossProductOfSourcesAndAlarms)
{
    freshLinkTable();
    m_mediator.GetAllAdapterAlarmInfo("EN");
    storeRule("A", 1, 2, "old-A1", m_strAdminID);
    storeRule("A", 2, 2, "old-A2", m_strAdminID);
    storeRule("B", 1, 2, "old-B1", m_strAdminID);
    storeRule("B", 2, 2, "old-B2", m_strAdminID);
    storeRule("A", 3, 2, "keep-A3", m_strAdminID);
    storeRule("A", 1, 2, "keep-other-user", "someone-else");
    ASSERT_EQ(m_mediator.StartGetAlarmLinkInfo(), 0);

    LinkArgs args;
    args.add("A", 1, 2, "new-A1", R"({"file":"a.wav"})").add("B", 2, 2, "new-B2", R"({"file":"b.wav"})");
    ASSERT_EQ(m_mediator.UpdateAlarmLinkInfo(args.map()), 0);
    // (A, 2) and (B, 1) go too: sources and alarms are deleted as two independent lists.
    EXPECT_EQ(storedRules(), (QStringList{"A/1/keep-other-user", "A/1/new-A1", "A/3/keep-A3", "B/2/new-B2"}));

    // The cache drops the same cross product: it holds what is stored for this user.
    const AlarmLinkMap& cache = m_mediator.GetAlarmLinkCache();
    EXPECT_EQ(cachedRules(cache), (QStringList{"A/1/new-A1", "A/3/keep-A3", "B/2/new-B2"}));
    ASSERT_EQ(cache["A"][1].size(), 1);
    ASSERT_NE(cache["A"][1].first()->m_pSoundParam, nullptr);
    EXPECT_EQ(cache["A"][1].first()->m_pSoundParam->m_strFile, "a.wav");
    EXPECT_FALSE(cache["B"].contains(1));

    // A pair named without links loses its rules.
    LinkArgs none;
    none.clear("A", 3);
    ASSERT_EQ(m_mediator.UpdateAlarmLinkInfo(none.map()), 0);
    EXPECT_FALSE(storedRules().contains("A/3/keep-A3"));
    EXPECT_FALSE(m_mediator.GetAlarmLinkCache()["A"].contains(3));
}

TEST_F(Alarms, ASaveOfTheCacheWithOneMoreLinkKeepsEveryLinkInItsOrder)
{
    freshLinkTable();
    m_mediator.GetAllAdapterAlarmInfo("EN");
    // Twelve rules of one pair: more than ten statements in the save's transaction.
    QStringList lstOrder;
    for (int i = 0; i < 11; ++i) {
        const QString strDes = QStringLiteral("d%1").arg(11 - i);  // not in text order
        storeRule("A", 1, 2, strDes, m_strAdminID, R"({"file":"x.wav"})");
        lstOrder.append(strDes);
    }
    storeRule("B", 2, 2, "b-old", m_strAdminID);
    ASSERT_EQ(m_mediator.StartGetAlarmLinkInfo(), 0);

    // The argument shares the cache's own links and adds one: the save must copy them before
    // it frees the cache's entries.
    AlarmLinkMap args = m_mediator.GetAlarmLinkCache();
    args.remove("B");
    auto* pNew = new STRCT_SingleAlarmLink();
    pNew->m_strId = "new-link";
    pNew->m_strSrcObjId = "A";
    pNew->m_iAdapterAlarmId = 1;
    pNew->m_iActionType = 3;
    pNew->m_strDesObjId = "d0";
    pNew->m_strParam = R"({"DesChannelID":"d0"})";
    args["A"][1].append(pNew);
    lstOrder.append("d0");
    EXPECT_EQ(m_mediator.UpdateAlarmLinkInfo(&args), 0);
    delete pNew;

    auto destinations = [](const AlarmLinkMap& _cache) {
        QStringList lst;
        for (const STRCT_SingleAlarmLink* p : _cache.value("A").value(1)) {
            lst.append(p->m_strDesObjId);
        }
        return lst;
    };
    EXPECT_EQ(destinations(m_mediator.GetAlarmLinkCache()), lstOrder);
    EXPECT_EQ(cachedRules(m_mediator.GetAlarmLinkCache()), storedRules());
    // A reload gives the rules back in the order they were saved.
    CLS_DataMediator fresh;
    ItemReleaser release(fresh);
    ASSERT_EQ(fresh.LoginUser(IntegrationEnvironment::kAdminName, IntegrationEnvironment::kAdminPassword), 0);
    fresh.GetAllAdapterAlarmInfo("EN");
    ASSERT_EQ(fresh.StartGetAlarmLinkInfo(), 0);
    EXPECT_EQ(destinations(fresh.GetAlarmLinkCache()), lstOrder);
    EXPECT_EQ(cachedRules(fresh.GetAlarmLinkCache()), cachedRules(m_mediator.GetAlarmLinkCache()));
}

TEST_F(Alarms, AFailedSaveKeepsTheStoredRulesAndTheCache)
{
    freshLinkTable();
    m_mediator.GetAllAdapterAlarmInfo("EN");
    storeRule("A", 1, 2, "old", m_strAdminID);
    ASSERT_EQ(m_mediator.StartGetAlarmLinkInfo(), 0);
    ASSERT_EQ(itest::exec(kDb, "CREATE TRIGGER TRG_ALARM_LINK_REFUSE BEFORE INSERT ON " + linkTable() +
                                   " WHEN NEW.S_DES_OBJ_ID = 'refused' BEGIN SELECT RAISE(ABORT, 'refused'); END"),
              0);

    LinkArgs args;
    args.add("A", 1, 2, "fine").add("A", 1, 2, "refused");
    LogCapture log;
    EXPECT_NE(m_mediator.UpdateAlarmLinkInfo(args.map()), 0);
    EXPECT_TRUE(log.hasPart(2, "[CLS_DataMediator::UpdateAlarmLinkInfo] InsertAlarmLinkInfo fail iRet = "));
    EXPECT_EQ(storedRules(), QStringList{"A/1/old"});
    EXPECT_EQ(m_mediator.GetAlarmLinkCache()["A"][1].first()->m_strDesObjId, "old");
    itest::exec(kDb, "DROP TRIGGER TRG_ALARM_LINK_REFUSE");
}

TEST_F(Alarms, RulesLeaveWithTheDeletedHostTheirChildrenAndGenericDevices)
{
    freshLinkTable();
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    for (const QString& strHost : {QStringLiteral("lh-1"), QStringLiteral("lh-2")}) {
        CLS_HostEntity host;
        host.S_ID = strHost;
        host.S_CAPTION = strHost;
        host.S_IP = "10.9.0.1";
        host.I_DEVTYPE = 4;
        ASSERT_EQ(access.InsertHost(host), 0);
        CLS_ChannelEntity channel;
        channel.S_ID = strHost + "-c0";
        channel.S_PARENT_ID = strHost;
        channel.S_CAPTION = "Channel 1";
        ASSERT_EQ(access.InsertChannel(channel), 0);
        CLS_AlarmInEntity alarmIn;
        alarmIn.S_ID = strHost + "-i0";
        alarmIn.S_PARENT_ID = strHost;
        alarmIn.S_CAPTION = "AlarmIn 1";
        ASSERT_EQ(access.InsertAlarmIn(alarmIn), 0);
    }
    for (const char* pszSrc : {"lh-1", "lh-1-c0", "lh-1-i0", "lh-2-c0", "dev-9", "dev-9_0", "dev-10"}) {
        storeRule(pszSrc, 1, 3, "lh-2-c0", m_strAdminID);
    }
    ASSERT_EQ(itest::exec(kDb,
                          "INSERT INTO TAB_OBJ_ALARM_ACTION (S_ID, S_SRC_OBJ_ID, I_ADAPTER_ALARM_ID) VALUES "
                          "('t', 'lh-1-c0', 1)"),
              0);
    ASSERT_EQ(m_mediator.InitTreeNodeData(), 0);

    ASSERT_EQ(m_mediator.DeleteHost("lh-1"), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM " + linkTable() + " WHERE S_SRC_OBJ_ID LIKE 'lh-1%'"), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_OBJ_ALARM_ACTION"), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM " + linkTable() + " WHERE S_SRC_OBJ_ID = 'lh-2-c0'"), 1);

    ASSERT_EQ(m_mediator.DeleteDev("dev-9"), 0);
    EXPECT_EQ(storedRules(), (QStringList{"dev-10/1/lh-2-c0", "lh-2-c0/1/lh-2-c0"}));
    ASSERT_EQ(m_mediator.DeleteHost("lh-2"), 0);
}

// ---- alarm log ----

class AlarmLog : public Alarms
{
protected:
    void SetUp() override
    {
        Alarms::SetUp();
        ASSERT_EQ(CLS_DataAccess::GetInstance().SetConfigValue("MAINTYPE_SYSCONFIG", "SoftwareType", "standard", ""),
                  0);
        ASSERT_EQ(itest::exec(kDb, "DELETE FROM TAB_ALARM_RECORD"), 0);
    }
    static void seed(const QString& _strID, const QString& _strTime, int _iSeq, const QString& _strCaption,
                     int _iLevel, int _iDeal, const QString& _strDealUser, int _iType)
    {
        ASSERT_EQ(itest::exec(kDb,
                              "INSERT INTO TAB_ALARM_RECORD (S_ID, DT_ALARM, I_SEQ, S_CAMERA_CAPTION, I_LEVEL, "
                              "I_DEAL_STATE, S_DEAL_USER_ID, I_ALARM_TYPE) VALUES (:id, :t, :seq, :cap, :lvl, "
                              ":deal, :du, :type)",
                              {{":id", _strID},
                               {":t", _strTime},
                               {":seq", _iSeq},
                               {":cap", _strCaption},
                               {":lvl", _iLevel},
                               {":deal", _iDeal},
                               {":du", _strDealUser},
                               {":type", _iType}}),
                  0);
    }
    QStringList search(const STRCT_AlarmSearchCondition& _condition, bool* _pOk = nullptr)
    {
        QVector<STRCT_AlarmRecord> vecRecords{STRCT_AlarmRecord()};  // must be emptied
        const bool bOk = m_mediator.SearchAlarmRecord(_condition, vecRecords);
        if (_pOk != nullptr) {
            *_pOk = bOk;
        }
        QStringList lst;
        for (const STRCT_AlarmRecord& r : vecRecords) {
            lst.append(r.m_strID);
        }
        return lst;
    }
};

TEST_F(AlarmLog, RecordsOfOneSecondAreNumberedAndListedLatestFirst)
{
    // Retried until three inserts fall within one second.
    QStringList lstIDs;
    QString strTime;
    for (int iTry = 0; iTry < 5; ++iTry) {
        ASSERT_EQ(itest::exec(kDb, "DELETE FROM TAB_ALARM_RECORD"), 0);
        lstIDs.clear();
        QSet<QString> setTimes;
        for (int i = 0; i < 3; ++i) {
            STRCT_NewAlarmRecord alarm;
            alarm.m_strCameraID = "cam-1";
            alarm.m_strCameraCaption = "Gate";
            alarm.m_iAlarmType = 1;
            alarm.m_iIsAlarm = 5;  // anything but 1 is stored as 0
            alarm.m_iLevel = 3;
            ASSERT_TRUE(m_mediator.InsertAlarmRecord(m_strAdminID, alarm));
            ASSERT_EQ(alarm.m_strRecordID.size(), 32);
            lstIDs.append(alarm.m_strRecordID);
            setTimes.insert(alarm.m_strAlarmTime);
            strTime = alarm.m_strAlarmTime;
        }
        if (setTimes.size() == 1) {
            break;
        }
        lstIDs.clear();
    }
    ASSERT_EQ(lstIDs.size(), 3) << "no three inserts within one second";
    EXPECT_EQ(QDateTime::fromString(strTime, "yyyy-MM-dd hh:mm:ss").isValid(), true);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(scalar("SELECT I_SEQ FROM TAB_ALARM_RECORD WHERE S_ID = :id", {{":id", lstIDs[i]}}), i);
    }
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_ALARM_RECORD WHERE I_IS_ALARM = 0 AND S_USER_ID = :u",
                     {{":u", m_strAdminID}}),
              3);
    EXPECT_EQ(search(STRCT_AlarmSearchCondition()), (QStringList{lstIDs[2], lstIDs[1], lstIDs[0]}));
}

TEST_F(AlarmLog, FiltersPagesAndCountsAgree)
{
    seed("r1", "2026-01-01 08:00:00", 0, "Gate 1", 1, 0, "", 1);
    seed("r2", "2026-01-01 09:00:00", 0, "Gate 2", 2, 1, "op", 2);
    seed("r3", "2026-01-01 09:00:00", 1, "50% off_shelf", 3, 0, "", 1);
    seed("r4", "2026-01-02 10:00:00", 0, "500 offXshelf", 4, 1, "op", 3);
    seed("r5", "2026-01-03 11:00:00", 0, "O'Brien's door", 5, 3, "boss", 1);

    struct Case {
        const char* name;
        std::function<void(STRCT_AlarmSearchCondition&)> set;
        QStringList ids;
    };
    const Case cases[] = {
        {"everything", [](STRCT_AlarmSearchCondition&) {}, {"r5", "r4", "r3", "r2", "r1"}},
        {"end time only, inclusive", [](STRCT_AlarmSearchCondition& c) { c.m_strEndTime = "2026-01-01 09:00:00"; },
         {"r3", "r2", "r1"}},
        {"time range",
         [](STRCT_AlarmSearchCondition& c) {
             c.m_strStartTime = "2026-01-01 09:00:00";
             c.m_strEndTime = "2026-01-02 10:00:00";
         },
         {"r4", "r3", "r2"}},
        {"new only", [](STRCT_AlarmSearchCondition& c) { c.m_iDealState = 0; }, {"r3", "r1"}},
        {"state above one is any", [](STRCT_AlarmSearchCondition& c) { c.m_iDealState = 7; },
         {"r5", "r4", "r3", "r2", "r1"}},
        {"levels 2 and 4",
         [](STRCT_AlarmSearchCondition& c) { c.m_bLevel1 = c.m_bLevel3 = c.m_bLevel5 = false; }, {"r4", "r2"}},
        {"deal user", [](STRCT_AlarmSearchCondition& c) { c.m_strDealUserID = "op"; }, {"r4", "r2"}},
        {"caption substring", [](STRCT_AlarmSearchCondition& c) { c.m_strCameraCaption = "Gate"; }, {"r2", "r1"}},
        {"wildcards are plain", [](STRCT_AlarmSearchCondition& c) { c.m_strCameraCaption = "0% off_"; }, {"r3"}},
        {"quote in caption", [](STRCT_AlarmSearchCondition& c) { c.m_strCameraCaption = "O'Brien"; }, {"r5"}},
        {"alarm type", [](STRCT_AlarmSearchCondition& c) { c.m_iAlarmType = 1; }, {"r5", "r3", "r1"}},
        {"combined",
         [](STRCT_AlarmSearchCondition& c) {
             c.m_strStartTime = "2026-01-01 08:30:00";
             c.m_iDealState = 1;
             c.m_bLevel4 = false;
             c.m_strDealUserID = "op";
             c.m_iAlarmType = 2;
         },
         {"r2"}},
    };
    for (const Case& c : cases) {
        STRCT_AlarmSearchCondition condition;
        c.set(condition);
        bool bOk = false;
        EXPECT_EQ(search(condition, &bOk), c.ids) << c.name;
        EXPECT_TRUE(bOk) << c.name;
        EXPECT_EQ(m_mediator.GetAlarmRecordCount(condition), c.ids.size()) << c.name;
    }

    // Pages: offset (page - 1) × size.
    STRCT_AlarmSearchCondition paged;
    paged.m_iPageSize = 2;
    paged.m_iPageNum = 2;
    EXPECT_EQ(search(paged), (QStringList{"r3", "r2"}));
    paged.m_iPageNum = 3;
    EXPECT_EQ(search(paged), QStringList{"r1"});
    EXPECT_EQ(m_mediator.GetAlarmRecordCount(paged), 5);
    // A page far past the end is empty: its offset (here 4294967300) must not wrap round.
    paged.m_iPageSize = 20;
    paged.m_iPageNum = 214748366;
    bool bPastEnd = false;
    EXPECT_EQ(search(paged, &bPastEnd), QStringList());
    EXPECT_TRUE(bPastEnd);

    // No level selected: nothing is asked.
    STRCT_AlarmSearchCondition none;
    none.m_bLevel1 = none.m_bLevel2 = none.m_bLevel3 = none.m_bLevel4 = none.m_bLevel5 = false;
    bool bOk = true;
    EXPECT_TRUE(search(none, &bOk).isEmpty());
    EXPECT_FALSE(bOk);
    EXPECT_EQ(m_mediator.GetAlarmRecordCount(none), 0);
}

TEST_F(AlarmLog, HandlingAndPurge)
{
    seed("p1", "2026-02-01 10:00:00", 0, "Hall", 3, 0, "", 1);
    seed("p2", "2026-02-01 10:00:01", 0, "Hall", 3, 0, "", 1);
    seed("p3", "2026-02-02 00:00:00", 0, "Hall", 3, 0, "", 1);

    STRCT_AlarmDealInfo deal;
    deal.m_strRecordID = "p2";
    deal.m_iDealState = 1;
    deal.m_strDealCaption = "checked, it's the cat";
    deal.m_strDealUserID = m_strAdminID;
    deal.m_strDealTime = "2026-02-01 10:05:00";
    EXPECT_TRUE(m_mediator.UpdateAlarmDealInfo(deal));
    QVector<STRCT_AlarmRecord> vecRecords;
    STRCT_AlarmSearchCondition handled;
    handled.m_iDealState = 1;
    ASSERT_TRUE(m_mediator.SearchAlarmRecord(handled, vecRecords));
    ASSERT_EQ(vecRecords.size(), 1);
    EXPECT_EQ(vecRecords[0].m_strDealCaption, deal.m_strDealCaption);
    EXPECT_EQ(vecRecords[0].m_strDealUserID, m_strAdminID);
    EXPECT_EQ(vecRecords[0].m_strDealTime, deal.m_strDealTime);
    EXPECT_EQ(vecRecords[0].m_strCameraCaption, "Hall");

    // A record of exactly the cut-off time is kept.
    EXPECT_EQ(m_mediator.DeleteAlarmRecord("ignored", "2026-02-01 10:00:01"), 0);
    EXPECT_EQ(search(STRCT_AlarmSearchCondition()), (QStringList{"p3", "p2"}));
}

TEST_F(AlarmLog, TheNoRecordsSoftwareTypeStoresNothingButFillsTheRecord)
{
    ASSERT_EQ(CLS_DataAccess::GetInstance().SetConfigValue("MAINTYPE_SYSCONFIG", "SoftwareType", "r480", ""), 0);
    LogCapture log;
    STRCT_NewAlarmRecord alarm;
    alarm.m_strCameraID = "cam";
    EXPECT_TRUE(m_mediator.InsertAlarmRecord(m_strAdminID, alarm));
    EXPECT_EQ(alarm.m_strRecordID.size(), 32);
    EXPECT_TRUE(QDateTime::fromString(alarm.m_strAlarmTime, "yyyy-MM-dd hh:mm:ss").isValid());
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_ALARM_RECORD"), 0);
    EXPECT_TRUE(log.hasPart(1, "CLS_DataMediator::InsertAlarmRecord SoftwareType=r480"));
}

TEST_F(Alarms, CachedEventsOfThisSystem)
{
    itest::exec(kDb, "DROP TABLE IF EXISTS TAB_CACHE_EVENT" + IntegrationEnvironment::instance().sysId());
    QVector<STRCT_CacheEvent> vecEvents;
    EXPECT_EQ(m_mediator.SearchCacheEvent(vecEvents), 0);  // no table yet: nothing
    EXPECT_TRUE(vecEvents.isEmpty());

    STRCT_CacheEvent event{"ignored", 3, QByteArray("{\"door\":\"north\"}"), "2026-03-01 12:00:00", 9};
    ASSERT_EQ(m_mediator.InsertCacheEvent(event), 0);
    ASSERT_EQ(m_mediator.InsertCacheEvent(event), 0);
    event.m_baData = "other";
    ASSERT_EQ(m_mediator.InsertCacheEvent(event), 0);
    ASSERT_EQ(m_mediator.SearchCacheEvent(vecEvents), 0);
    ASSERT_EQ(vecEvents.size(), 3);
    EXPECT_EQ(vecEvents[0].m_iType, 3);
    EXPECT_EQ(vecEvents[0].m_iParam, 9);
    EXPECT_EQ(vecEvents[0].m_baTime, QByteArray("2026-03-01 12:00:00"));
    EXPECT_EQ(vecEvents[0].m_baID.size(), 32);
    EXPECT_NE(vecEvents[0].m_baID, vecEvents[1].m_baID);

    ASSERT_EQ(m_mediator.DelCacheEvent("{\"door\":\"north\"}"), 0);
    vecEvents.clear();
    ASSERT_EQ(m_mediator.SearchCacheEvent(vecEvents), 0);
    ASSERT_EQ(vecEvents.size(), 1);
    EXPECT_EQ(vecEvents[0].m_baData, QByteArray("other"));
}

}  // namespace

namespace {

// Must stay last: it stops the server and starts it again.
class AlarmsServerStopped : public Alarms
{
};

TEST_F(AlarmsServerStopped, SavesAndSearchesFailAndTheCacheStays)
{
    freshLinkTable();
    m_mediator.GetAllAdapterAlarmInfo("EN");
    storeRule("A", 1, 2, "kept", m_strAdminID);
    ASSERT_EQ(m_mediator.StartGetAlarmLinkInfo(), 0);
    ServerProcess& server = IntegrationEnvironment::instance().server();
    ASSERT_TRUE(server.stop()) << server.output().toStdString();
    ASSERT_TRUE(itest::waitFor([] { return CLS_RemoteDBHandler::m_iConnectedStatus.load() < 0; }, 10000));

    LinkArgs args;
    args.add("A", 1, 2, "new");
    EXPECT_NE(m_mediator.UpdateAlarmLinkInfo(args.map()), 0);
    EXPECT_EQ(cachedRules(m_mediator.GetAlarmLinkCache()), QStringList{"A/1/kept"});
    QVector<STRCT_AlarmRecord> vecRecords{STRCT_AlarmRecord()};
    STRCT_AlarmSearchCondition far;
    far.m_iPageNum = 214748366;
    EXPECT_FALSE(m_mediator.SearchAlarmRecord(far, vecRecords));
    EXPECT_TRUE(vecRecords.isEmpty());

    ASSERT_TRUE(server.start()) << server.output().toStdString();
    ASSERT_TRUE(itest::waitFor([] { return CLS_RemoteDBHandler::m_iConnectedStatus.load() == 1; }, 20000));
    EXPECT_EQ(storedRules(), QStringList{"A/1/kept"});
}

}  // namespace
