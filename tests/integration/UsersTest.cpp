// Users, roles, rights and settings against a real server and the real schema: the first
// administrator on a fresh database, login, rights, role removal, and the settings tables with
// their per-system personal copy.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "CLS_RemoteDBHandler.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "LogCapture.h"
#include "IntegrationFixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const auto* const g_env =
    ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment(IntegrationOptions{"05e50001"}));

// This system's personal settings table.
QString personalTable()
{
    return "TAB_CONFIG_USER_PERSONAL" + IntegrationEnvironment::instance().sysId();
}

// The first column of the first row, or "<none>" / "<failed>".
QString scalar(const QString& _strSql, const QMap<QString, QVariant>& _mapBind = {})
{
    return itest::text("Tessel", _strSql, _mapBind);
}

int exec(const QString& _strSql, const QMap<QString, QVariant>& _mapBind = {})
{
    return itest::exec("Tessel", _strSql, _mapBind);
}

bool personalTableExists()
{
    return scalar("SELECT COUNT(*) FROM SQLITE_MASTER WHERE TYPE='table' AND TBL_NAME=:t",
                  {{":t", personalTable()}}) == "1";
}

// A user with a role of its own, stored through the mediator.
void addUserWithRole(CLS_DataMediator& _mediator, const QString& _strId, const QString& _strName,
                     const QString& _strPassword, const QString& _strLimit, const QString& _strRoleId)
{
    CLS_UserEntity user;
    user.S_ID = _strId;
    user.S_CAPTION = _strName;
    user.S_PASSWORD = _strPassword;
    user.DT_LIMIT = _strLimit;
    user.I_LEVEL = 2;
    user.I_OBJ_TYPE_ID = 13;
    CLS_RoleEntity role;
    role.S_ID = _strRoleId;
    role.S_CAPTION = _strRoleId + " name";
    role.S_DESCRIPTION = "role of " + _strName;
    role.I_OBJ_TYPE_ID = 14;
    ASSERT_EQ(_mediator.InsertUserAddRoleRelatedInfo(&user, &role), 0);
}

}  // namespace

// Must run first: it needs the fresh database, without this system's personal table.
TEST(Users, AFirstAdministratorOnAFreshDatabaseThenLogin)
{
    ASSERT_FALSE(personalTableExists());
    CLS_DataMediator mediator;
    ASSERT_EQ(mediator.AddUser("admin", "abc"), 0);
    EXPECT_TRUE(personalTableExists());
    EXPECT_EQ(scalar("SELECT S_VALUE FROM " + personalTable() + " WHERE S_SUB_TYPE='password'"),
              QString("abc"));
    EXPECT_EQ(scalar("SELECT S_PASSWORD FROM TAB_USER WHERE S_ID='admin'"),
              CLS_BaseEntityDAO::EncodePassword("abc"));

    addUserWithRole(mediator, "u-expired", "late", "abc", "2001-01-01 00:00:00", "r-expired");
    struct Case
    {
        const char* userName;
        const char* password;
        int expected;
    };
    for (const Case& c : {Case{"admin", "abc", 0}, Case{"admin", "abd", -12}, Case{"Admin", "abc", -11},
                          Case{"late", "abc", -11}, Case{"nobody", "abc", -11}, Case{"", "abc", -1}}) {
        CLS_DataMediator session;
        EXPECT_EQ(session.LoginUser(c.userName, c.password), c.expected) << c.userName << "/" << c.password;
        EXPECT_EQ(session.GetCurrentUserID(), QString(c.expected == 0 ? "admin" : "")) << c.userName;
    }

    // The login defaults of this system now name the administrator.
    const STRCT_LocalGeneralSetting* pSetting = mediator.GetLocalGeneralSettingInfo();
    EXPECT_EQ(pSetting->m_strUserName, QString("admin"));
    EXPECT_EQ(pSetting->m_strPassword, QString("abc"));
    EXPECT_FALSE(pSetting->m_bAutoLogin);

    QVector<CLS_RoleEntity> roles;
    ASSERT_EQ(mediator.GetRoleByUser("admin", roles), 0);
    ASSERT_EQ(roles.size(), 1);
    EXPECT_EQ(roles[0].S_ID, QString("admin_role"));

    // Another name for the administrator keeps one account that can log in.
    ASSERT_EQ(mediator.AddUser("chief", "x'y"), 0);
    CLS_DataMediator session;
    EXPECT_EQ(session.LoginUser("chief", "x'y"), 0);
    EXPECT_EQ(session.GetCurrentUserID(), QString("admin"));
    EXPECT_EQ(session.LoginUser("admin", "abc"), -11);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_USER_ROLE WHERE S_USER_ID='admin'"), QString("1"));
    ASSERT_EQ(mediator.AddUser("admin", "abc"), 0);
}

TEST(Users, NamesAreCheckedWithoutCaseButLoginIsExact)
{
    CLS_DataMediator mediator;
    EXPECT_TRUE(mediator.IsUserExist("ADMIN", ""));
    EXPECT_FALSE(mediator.IsUserExist("ADMIN", "admin"));
    EXPECT_FALSE(mediator.IsUserExist("nobody", ""));
    EXPECT_EQ(mediator.GetUserPassWord("admin"), QString("abc"));
    EXPECT_TRUE(mediator.GetUserPassWord("ADMIN").isEmpty());
}

TEST(Users, ChangesKeepQuotesAndDeletesCleanUp)
{
    CLS_DataMediator mediator;
    addUserWithRole(mediator, "u-quote", "o'brien", "pw", "2099-01-01 00:00:00", "r-quote");
    CLS_UserEntity user;
    user.S_ID = "u-quote";
    user.S_CAPTION = "O'Brien";
    user.I_LEVEL = 3;
    user.DT_LIMIT = "2098-01-01 00:00:00";
    user.S_DESCRIPTION = "it's the night shift";
    user.S_PASSWORD = "new'pw";
    ASSERT_EQ(mediator.UpdateUserInfo(user), 0);

    QVector<CLS_UserEntity*> users = mediator.GetAllUser();
    const CLS_UserEntity* pFound = nullptr;
    for (const CLS_UserEntity* pUser : users) {
        if (pUser->S_ID == "u-quote") {
            pFound = pUser;
        }
    }
    ASSERT_NE(pFound, nullptr);
    EXPECT_EQ(pFound->S_CAPTION, QString("O'Brien"));
    EXPECT_EQ(pFound->S_DESCRIPTION, QString("it's the night shift"));
    EXPECT_EQ(pFound->S_PASSWORD, QString("new'pw"));
    EXPECT_EQ(pFound->I_LEVEL, 3);
    EXPECT_EQ(pFound->DT_LIMIT, QString("2098-01-01 00:00:00"));
    qDeleteAll(users);
    EXPECT_EQ(mediator.LoginUser("O'Brien", "new'pw"), 0);

    CLS_RoleEntity role;
    role.S_ID = "r-quote";
    role.S_CAPTION = "night 'crew'";
    role.S_DESCRIPTION = "d'escr";
    ASSERT_EQ(mediator.UpdateRoleInfo(&role), 0);
    QVector<CLS_RoleEntity> roles;
    ASSERT_EQ(mediator.GetRoleByUser("u-quote", roles), 0);
    ASSERT_EQ(roles.size(), 1);
    EXPECT_EQ(roles[0].S_CAPTION, QString("night 'crew'"));
    EXPECT_EQ(roles[0].S_DESCRIPTION, QString("d'escr"));

    ASSERT_EQ(exec("INSERT INTO TAB_USER_OBJ (S_USER_ID,S_ID,S_OBJ_ID,S_CAPTION,S_PARENT_ID) VALUES "
                   "('u-quote','n1',NULL,'group',NULL)"),
              0);
    ASSERT_EQ(mediator.DeleteUser("u-quote"), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_USER WHERE S_ID='u-quote'"), QString("0"));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_OBJ WHERE S_ID='u-quote'"), QString("0"));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_USER_ROLE WHERE S_USER_ID='u-quote'"), QString("0"));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_USER_OBJ WHERE S_USER_ID='u-quote'"), QString("0"));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_ROLE WHERE S_ID='r-quote'"), QString("1"));  // the role stays
}

TEST(Users, RightsAreInsertedOnceThenUpdated)
{
    CLS_DataMediator mediator;
    STRCT_Authority right;
    right.m_strObjID = "host-1";
    right.m_strRoleID = "r-rights";
    right.m_iAuthorityType = 1;
    right.m_iStatus = 1;
    ASSERT_EQ(mediator.UpdateAuthToRole(&right), 0);
    right.m_iStatus = 0;
    ASSERT_EQ(mediator.UpdateAuthToRole(&right), 0);
    EXPECT_EQ(
        scalar(
            "SELECT COUNT(*) || '/' || MAX(I_STATUS) FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_ROLE_ID='r-rights'"),
        QString("1/0"));
    EXPECT_FALSE(mediator.HasAuthority("r-rights", "host-1", 1));

    AuthorityMap rights;
    for (const char* pszObj : {"host-1", "host-2"}) {
        STRCT_Authority a;
        a.m_strObjID = pszObj;
        a.m_strRoleID = "r-rights";
        a.m_iAuthorityType = 2;
        a.m_iStatus = 1;
        rights[2].append(a);
    }
    right.m_iStatus = 1;
    rights[1].append(right);
    ASSERT_EQ(mediator.UpdateAuthToRoles(rights), 0);
    ASSERT_EQ(mediator.UpdateAuthToRoles(rights), 0);  // replaces, never duplicates
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_ROLE_ID='r-rights'"), QString("3"));

    EXPECT_TRUE(mediator.HasAuthority("r-rights", "host-1", 1));
    EXPECT_TRUE(mediator.HasAuthority("r-rights", "", 2));
    EXPECT_FALSE(mediator.HasAuthority("r-rights", "host-3", 2));
    EXPECT_FALSE(mediator.HasAuthority("r-rights", "", 5));

    AuthorityMap read;
    ASSERT_TRUE(mediator.GetAuthorityByRole("r-rights", read));
    EXPECT_EQ(read.keys(), (QList<qint32>{1, 2}));
    EXPECT_EQ(read[2].size(), 2);
    EXPECT_EQ(read[1][0].m_iStatus, 1);
}

TEST(Users, DeletingARoleKeepsItsMembers)
{
    CLS_DataMediator mediator;
    addUserWithRole(mediator, "u-member", "member", "pw", "2099-01-01 00:00:00", "r-gone");
    STRCT_Authority right;
    right.m_strObjID = "host-9";
    right.m_strRoleID = "r-gone";
    right.m_iAuthorityType = 1;
    ASSERT_EQ(mediator.UpdateAuthToRole(&right), 0);

    ASSERT_EQ(mediator.DeleteRole("r-gone"), 0);
    QVector<CLS_RoleEntity> roles;
    ASSERT_EQ(mediator.GetRoleByUser("u-member", roles), 0);
    EXPECT_TRUE(roles.isEmpty());
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_ROLE_ID='r-gone'"), QString("0"));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TAB_OBJ WHERE S_ID='r-gone'"), QString("0"));
    EXPECT_EQ(mediator.LoginUser("member", "pw"), 0);
    // The administrator's role is untouched.
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM VIEW_ROLE WHERE S_ID='admin_role' AND S_USER_ID='admin'"),
              QString("1"));
}

TEST(Users, TreeNodesAreNumberedAmongTheirSiblings)
{
    const char* const pszInsert =
        "INSERT INTO TAB_USER_OBJ (S_USER_ID,S_ID,S_OBJ_ID,S_CAPTION,S_PARENT_ID) VALUES "
        "(:u,:id,NULL,:id,:p)";
    ASSERT_EQ(exec(pszInsert, {{":u", "t1"}, {":id", "g1"}, {":p", QVariant()}}), 0);
    ASSERT_EQ(exec(pszInsert, {{":u", "t1"}, {":id", "g2"}, {":p", QVariant()}}), 0);
    ASSERT_EQ(exec(pszInsert, {{":u", "t1"}, {":id", "g1a"}, {":p", "g1"}}), 0);
    ASSERT_EQ(exec(pszInsert, {{":u", "t2"}, {":id", "h1"}, {":p", QVariant()}}), 0);
    ASSERT_EQ(exec(pszInsert, {{":u", "t1"}, {":id", "g3"}, {":p", QVariant()}}), 0);
    EXPECT_EQ(scalar("SELECT group_concat(S_ID || '=' || I_NUM, ' ') FROM (SELECT * FROM VIEW_CUSTOM_TREE "
                     "WHERE S_USER_ID IN ('t1','t2') ORDER BY S_ID)"),
              QString("g1=1 g1a=1 g2=2 g3=3 h1=1"));
}

// ---- settings ----

TEST(Settings, ThePersonalTableIsMadeFromTheTemplateOnFirstRead)
{
    ASSERT_EQ(exec("DROP TABLE IF EXISTS " + personalTable()), 0);
    ASSERT_EQ(exec("UPDATE TAB_CONFIG_USER_PERSONAL SET S_VALUE='light' WHERE S_SUB_TYPE='skin'"), 0);
    CLS_DataMediator mediator;
    const STRCT_LocalGeneralSetting* p = mediator.GetLocalGeneralSettingInfo();
    EXPECT_TRUE(personalTableExists());
    EXPECT_EQ(p->m_strSkin, QString("light"));
    EXPECT_EQ(p->m_strLanguage, QString("EN"));
    EXPECT_EQ(p->m_iPassengerFlowSaveMonths, 12);
    EXPECT_TRUE(p->m_strPicturePath.endsWith("/Picture/")) << p->m_strPicturePath.toStdString();
    // A fresh database stores records.
    EXPECT_NE(p->m_strSoftwareType, QString("r480"));
    EXPECT_NE(CLS_DataAccess::GetInstance().GetSoftwareType(), QString("r480"));
    ASSERT_EQ(exec("UPDATE TAB_CONFIG_USER_PERSONAL SET S_VALUE='dark' WHERE S_SUB_TYPE='skin'"), 0);
}

TEST(Settings, SavedValuesReadBackAndThePersonalValueWins)
{
    CLS_DataMediator mediator;
    STRCT_LocalGeneralSetting s = *mediator.GetLocalGeneralSettingInfo();
    QTemporaryDir dir;
    s.m_strPicturePath = dir.path() + "/it's mine/";
    s.m_strRecordPath = dir.path() + "/no-separator";
    s.m_strLanguage = "CN";
    s.m_bAutoLogin = true;
    s.m_bUseIntelligent = false;
    s.m_mapDiskDriverName = {{"/mnt/a", 1}, {"/mnt/b", 0}};
    s.m_iPicSaveDays = 9;
    s.m_lstFlowList = QStringList{"10.1.1.1"};
    mediator.SavePersonalSetInfo(s);
    mediator.SaveComSetInfo(s);

    // A common row of a personal key does not win over the personal one.
    ASSERT_EQ(exec("INSERT INTO TAB_CONFIG_USER_COMMON (S_MAIN_TYPE,S_SUB_TYPE,S_VALUE) VALUES "
                   "('MAINTYPE_SYSCONFIG','language','Farsi')"),
              0);
    const STRCT_LocalGeneralSetting* p = mediator.GetLocalGeneralSettingInfo();
    EXPECT_EQ(p->m_strPicturePath, dir.path() + "/it's mine/");
    EXPECT_EQ(p->m_strRecordPath, dir.path() + "/no-separator/");
    EXPECT_EQ(p->m_strLanguage, QString("CN"));
    EXPECT_TRUE(p->m_bAutoLogin);
    EXPECT_FALSE(p->m_bUseIntelligent);
    EXPECT_EQ(p->m_lstDiskDriverName, QStringList{"/mnt/a"});
    EXPECT_EQ(p->m_iPicSaveDays, 9);
    EXPECT_EQ(p->m_lstFlowList, QStringList{"10.1.1.1"});
    ASSERT_EQ(exec("DELETE FROM TAB_CONFIG_USER_COMMON WHERE S_SUB_TYPE='language'"), 0);

    // A key without a row is not stored, and that is no failure.
    ASSERT_EQ(exec("DELETE FROM " + personalTable() + " WHERE S_SUB_TYPE='ShowFps'"), 0);
    s.m_bShowFps = true;
    LogCapture log;
    mediator.SavePersonalSetInfo(s);
    EXPECT_FALSE(log.hasPart(2, "SavePersonalSetInfo")) << log.dump().toStdString();
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM " + personalTable() + " WHERE S_SUB_TYPE='ShowFps'"), QString("0"));
    EXPECT_FALSE(mediator.GetLocalGeneralSettingInfo()->m_bShowFps);
}

TEST(Settings, SingleValuesAndSmallTables)
{
    CLS_DataMediator mediator;
    STRCT_OpenModule module;
    module.m_iType = 4;
    module.m_strModuleId = "view 'A'";
    module.m_bSelect = true;
    mediator.SaveLastOpenModules({module});
    const QList<STRCT_OpenModule> modules = mediator.GetLastOpenModules();
    ASSERT_EQ(modules.size(), 1);
    EXPECT_EQ(modules[0].m_strModuleId, QString("view 'A'"));
    EXPECT_TRUE(modules[0].m_bSelect);

    mediator.SetSecurityAnswer({{"3", "Rex's bone"}});
    EXPECT_EQ(mediator.GetSecurityAnswer(), (QList<QPair<qint32, QString>>{{3, "Rex's bone"}}));
    EXPECT_TRUE(mediator.GetSecurityQuestion().isEmpty());

    const QMap<QString, QString> version = mediator.GetVersionInfo();
    EXPECT_TRUE(version.contains("VERSION"));
    EXPECT_TRUE(version.contains("DATE"));

    EXPECT_EQ(mediator.GetCurDisplayflag().value("System"), QString("system"));
    ASSERT_EQ(exec("UPDATE " + personalTable() + " SET S_VALUE='big' WHERE S_SUB_TYPE='DisplayFlag'"), 0);
    EXPECT_EQ(mediator.RecoverDefaultDisplayFlag(), 0);
    EXPECT_EQ(mediator.GetLocalGeneralSettingInfo()->m_strDisplayFlag, QString("system"));

    EXPECT_FALSE(mediator.GetHomeModules().isEmpty());
    EXPECT_EQ(mediator.GetDomainServerInfo().m_iPort, 6004);
    EXPECT_EQ(mediator.GetDeviceAddConfig().m_strUserName, QString("admin"));

    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    EXPECT_EQ(access.GetLanguages().size(), 9);
    EXPECT_EQ(access.GetSkins().value("Dark"), QString("dark"));
    EXPECT_EQ(access.GetLangDictionaryEntry("EN", 1), QString("Live View"));
    EXPECT_FALSE(access.GetLangDictionary("CN").isEmpty());
}
