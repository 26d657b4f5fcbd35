// Users, roles and rights through the mediator, against the recording socket: which requests
// each operation sends, how it reads the scripted answers, and what it logs.
#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "LogCapture.h"
#include "UserRequestsFixture.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>

#include <functional>
#include <vector>

namespace {

using namespace usertest;

const char kAbcStored[] = "#]_#]~#;~";  // stored form of "abc"

const QString kError = R"({"result":"ERROR","reason":"refused"})";

using UsersRequests = UserRequestsFixture;
using UsersMediator = UsersRequests;

// ---- login ----

struct LoginCase
{
    const char* name;
    QString userName;
    QString password;
    QList<QString> answers;  // scripted answers, in order
    int expected;
    int requestsSent;
    bool logsError;  // "CLS_DataAccess::LoginUser() error :<code>"
};

class UsersLogin : public UsersRequests, public ::testing::WithParamInterface<LoginCase>
{
};

TEST_P(UsersLogin, ReturnsItsCodeAndSetsTheSessionOnlyOnSuccess)
{
    const LoginCase& c = GetParam();
    for (const QString& strAnswer : c.answers) {
        answer(0, strAnswer);
    }
    LogCapture log;
    EXPECT_EQ(m_mediator.LoginUser(c.userName, c.password), c.expected);
    const QList<FakeRequest> sent = requests();
    ASSERT_EQ(sent.size(), c.requestsSent);
    if (c.expected == 0) {
        EXPECT_EQ(m_mediator.GetCurrentUserID(), QString("admin"));
        EXPECT_EQ(m_mediator.GetCurrentUserName(), c.userName);
    } else {
        EXPECT_TRUE(m_mediator.GetCurrentUserID().isEmpty());
        EXPECT_EQ(log.has(2, QString("CLS_DataAccess::LoginUser() error :%1").arg(c.expected)), c.logsError)
            << log.dump().toStdString();
    }
    if (c.userName.isEmpty() || c.password.isEmpty()) {
        EXPECT_TRUE(log.has(3, "_strUserName.length() <= 0 || _strpwd.length() <= 0"));
        return;
    }
    // The name is bound, never written into the text; only accounts whose expiry lies ahead count.
    const FakeRequest& login = sent.first();
    EXPECT_EQ(login.command, QString("ExecuteQueryEx"));
    const QString strSql = login.request.value("sqlexec").toString();
    const QString strPrefix = "SELECT S_PASSWORD,S_ID FROM VIEW_USER WHERE S_CAPTION=:name AND DT_LIMIT > '";
    ASSERT_TRUE(strSql.startsWith(strPrefix)) << strSql.toStdString();
    const QDateTime now = QDateTime::fromString(strSql.mid(strPrefix.size(), 19), "yyyy-MM-dd hh:mm:ss");
    EXPECT_LE(qAbs(now.secsTo(QDateTime::currentDateTime())), 5);
    EXPECT_TRUE(strSql.endsWith("'"));
    EXPECT_EQ(login.request.value("bindValue").toObject(), (QJsonObject{{":name", c.userName}}));
}

const QString kAdminRow = rowsAnswer({{{"S_PASSWORD", kAbcStored}, {"S_ID", "admin"}}});
const QString kAdminId = rowsAnswer({{{"S_ID", "admin"}}});
const QString kNoRows = rowsAnswer({});

INSTANTIATE_TEST_SUITE_P(
    Users, UsersLogin,
    ::testing::Values(LoginCase{"rightPassword", "admin", "abc", {kAdminRow, kAdminId}, 0, 2, false},
                      LoginCase{"wrongPassword", "admin", "abd", {kAdminRow}, -12, 1, true},
                      LoginCase{"passwordCaseMatters", "admin", "ABC", {kAdminRow}, -12, 1, true},
                      // The server leaves out an expired account just as an unknown name.
                      LoginCase{"unknownOrExpired", "nobody", "abc", {kNoRows}, -11, 1, true},
                      LoginCase{"idVanishedAfterCheck", "admin", "abc", {kAdminRow, kNoRows}, -11, 2, false},
                      LoginCase{"queryFailed", "admin", "abc", {kError}, -1, 1, true},
                      LoginCase{"emptyName", "", "abc", {}, -1, 0, true},
                      LoginCase{"emptyPassword", "admin", "", {}, -1, 0, true}),
    [](const ::testing::TestParamInfo<LoginCase>& info) { return std::string(info.param.name); });

TEST_F(UsersMediator, AFailedLoginKeepsThePreviousSession)
{
    answer(0, kAdminRow);
    answer(0, kAdminId);
    ASSERT_EQ(m_mediator.LoginUser("admin", "abc"), 0);
    answer(0, kAdminRow);
    EXPECT_EQ(m_mediator.LoginUser("admin", "wrong"), -12);
    EXPECT_EQ(m_mediator.GetCurrentUserID(), QString("admin"));
    EXPECT_EQ(m_mediator.GetCurrentUserName(), QString("admin"));
}

// ---- first administrator ----

TEST_F(UsersMediator, FirstAdministratorMakesThePersonalTableBeforeItsTransaction)
{
    answer(0, countAnswer("0"));  // the personal table does not exist yet
    EXPECT_EQ(m_mediator.AddUser("root", "it's"), 0);
    const QList<FakeRequest> sent = requests();
    ASSERT_EQ(sent.size(), 3);

    EXPECT_EQ(sent[0].command, QString("ExecuteQueryEx"));
    EXPECT_EQ(sent[0].request.value("sqlexec").toString(),
              QString("SELECT COUNT(*) FROM SQLITE_MASTER WHERE TYPE = 'table' AND TBL_NAME = :name"));
    EXPECT_EQ(sent[0].request.value("bindValue").toObject(), (QJsonObject{{":name", kPersonal}}));
    EXPECT_EQ(sent[1].command, QString("Execute"));
    EXPECT_EQ(sent[1].request.value("sqlexec").toString(),
              QString("CREATE TABLE %1 AS SELECT * FROM \"TAB_CONFIG_USER_PERSONAL\"").arg(kPersonalSql));

    const FakeRequest& tx = sent[2];
    EXPECT_EQ(tx.command, QString("ExecuteTransactionEx"));
    const QString strUpdate =
        QString("UPDATE %1 SET S_VALUE = %2 WHERE S_MAIN_TYPE = 'MAINTYPE_SYSCONFIG' AND S_SUB_TYPE = '%3'");
    const QStringList expected{
        "REPLACE INTO TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION) VALUES ('admin',NULL,13,:name)",
        "REPLACE INTO TAB_USER(S_ID, I_LEVEL, DT_LIMIT, S_DESCRIPTION, S_PASSWORD) VALUES "
        "('admin',1,'2099-12-31 00:00:00','',:pwd)",
        "REPLACE INTO TAB_USER_ROLE(S_USER_ID, S_ROLE_ID) VALUES ('admin','admin_role')",
        strUpdate.arg(kPersonalSql, ":name", "userName"),
        strUpdate.arg(kPersonalSql, ":pwd ", "password"),
        strUpdate.arg(kPersonalSql, "'false' ", "autoLogin"),
        strUpdate.arg(kPersonalSql, "'false' ", "savePwd"),
    };
    ASSERT_EQ(statements(tx).size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(statements(tx).at(i).toString(), expected[i]) << i;
    }
    EXPECT_EQ(binds(tx, 0), (QJsonObject{{":name", "root"}}));
    // The user row keeps the scrambled form; the personal login default the password as entered.
    EXPECT_EQ(binds(tx, 1), (QJsonObject{{":pwd", CLS_BaseEntityDAO::EncodePassword("it's")}}));
    EXPECT_EQ(binds(tx, 3), (QJsonObject{{":name", "root"}}));
    EXPECT_EQ(binds(tx, 4), (QJsonObject{{":pwd", "it's"}}));
    EXPECT_TRUE(binds(tx, 2).isEmpty());
}

TEST_F(UsersMediator, FirstAdministratorFailures)
{
    {
        // An existing personal table is not made again.
        answer(0, countAnswer("1"));
        EXPECT_EQ(m_mediator.AddUser("admin", "abc"), 0);
        const QList<FakeRequest> sent = requests();
        ASSERT_EQ(sent.size(), 2);
        EXPECT_EQ(sent[1].command, QString("ExecuteTransactionEx"));
    }
    {
        // The personal table cannot be made: no transaction, the failure is reported and logged.
        m_pFake->reset();
        answer(0, countAnswer("0"));
        answer(0, kError);
        LogCapture log;
        EXPECT_EQ(m_mediator.AddUser("admin", "abc"), -1);
        EXPECT_EQ(requests().size(), 2);
        EXPECT_TRUE(log.has(2, "CLS_DataAccess::AddUser() error :-1")) << log.dump().toStdString();
    }
    {
        m_pFake->reset();
        LogCapture log;
        EXPECT_EQ(m_mediator.AddUser("", "abc"), -1);
        EXPECT_EQ(m_mediator.AddUser("admin", ""), -1);
        EXPECT_TRUE(requests().isEmpty());
        EXPECT_TRUE(log.has(3, "_strUserName.length() <= 0 || _strpwd.length() <= 0"));
    }
    {
        // Without a settled system id there is no personal table to name.
        m_pFake->reset();
        CLS_BaseEntityDAO::ResetSysIdForTest();
        EXPECT_EQ(m_mediator.AddUser("admin", "abc"), -1);
        EXPECT_TRUE(requests().isEmpty());
    }
}

// ---- users ----

TEST_F(UsersMediator, UserChangesBindEveryText)
{
    CLS_UserEntity user;
    user.S_ID = "u'1";
    user.S_CAPTION = "O'Brien";
    user.I_LEVEL = 2;
    user.DT_LIMIT = "2030-01-01 00:00:00";
    user.S_DESCRIPTION = "night shift; it's fine";
    user.S_PASSWORD = "abc";
    EXPECT_EQ(m_mediator.UpdateUserInfo(user), 0);
    QList<FakeRequest> sent = requests();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(statements(sent[0]), QJsonArray{"UPDATE TAB_OBJ SET S_CAPTION=:name WHERE S_ID =:id"});
    EXPECT_EQ(binds(sent[0], 0), (QJsonObject{{":name", "O'Brien"}, {":id", "u'1"}}));
    EXPECT_EQ(statements(sent[1]),
              QJsonArray{"UPDATE TAB_USER SET I_LEVEL=2,DT_LIMIT=:limit,S_DESCRIPTION=:memo,S_PASSWORD=:pwd "
                         "WHERE S_ID =:id"});
    EXPECT_EQ(binds(sent[1], 0), (QJsonObject{{":limit", "2030-01-01 00:00:00"},
                                              {":memo", "night shift; it's fine"},
                                              {":pwd", kAbcStored},
                                              {":id", "u'1"}}));

    // A failed rename stops before the user row.
    m_pFake->reset();
    answer(0, kError);
    EXPECT_EQ(m_mediator.UpdateUserInfo(user), -1);
    EXPECT_EQ(requests().size(), 1);

    // A new user with its role: the password scrambled and the expiry bound as well.
    m_pFake->reset();
    CLS_RoleEntity role;
    role.S_ID = "r1";
    role.S_CAPTION = "guards";
    role.S_DESCRIPTION = "gate 'A'";
    role.I_TYPE = 2;
    role.I_OBJ_TYPE_ID = 14;
    user.I_OBJ_TYPE_ID = 13;
    EXPECT_EQ(m_mediator.InsertUserAddRoleRelatedInfo(&user, &role), 0);
    sent = requests();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(statements(sent[0]).at(1).toString(),
              QString("INSERT INTO TAB_USER(S_ID, I_LEVEL, DT_LIMIT, S_DESCRIPTION, S_PASSWORD) VALUES "
                      "(:id,2,:limit,:memo,:pwd)"));
    EXPECT_EQ(binds(sent[0], 1).value(":pwd").toString(), QString(kAbcStored));
    EXPECT_EQ(binds(sent[0], 3), (QJsonObject{{":id", "r1"}, {":memo", "gate 'A'"}}));
    EXPECT_EQ(statements(sent[0]).at(3).toString(),
              QString("Insert Into TAB_ROLE(S_ID, S_DESCRIPTION, I_TYPE) Values (:id,:memo,2)"));
    EXPECT_EQ(binds(sent[0], 4), (QJsonObject{{":userid", "u'1"}, {":roleid", "r1"}}));

    m_pFake->reset();
    answer(0, kError);
    LogCapture log;
    EXPECT_EQ(m_mediator.InsertUserAddRoleRelatedInfo(&user, &role), -1);
    EXPECT_TRUE(log.has(2, "InsertUserAndRelatedInfo:InsertRole failed"));
}

// A password that cannot be scrambled whole would be stored damaged while success is
// reported: every writer refuses it before sending anything.
TEST_F(UsersMediator, PasswordsThatCannotBeStoredWholeAreRefusedBeforeAnyWrite)
{
    const QString strTooLong(1024, QChar('z'));
    const QString strNotLatin1 = QString::fromUtf8("pa\xe2\x82\xac");  // the euro sign
    CLS_RoleEntity role;
    role.S_ID = "r1";
    for (const QString& strPassword : {strTooLong, strNotLatin1}) {
        CLS_UserEntity user;
        user.S_ID = "u1";
        user.S_CAPTION = "someone";
        user.S_PASSWORD = strPassword;
        const std::pair<const char*, std::function<int()>> calls[] = {
            {"CLS_UserEntityDAO::AddUser", [&] { return m_mediator.AddUser("admin", strPassword); }},
            {"CLS_UserEntityDAO::UpdateUserInfo", [&] { return m_mediator.UpdateUserInfo(user); }},
            {"CLS_UserEntityDAO::InsertUserAndRelatedInfo",
             [&] { return m_mediator.InsertUserAddRoleRelatedInfo(&user, &role); }},
        };
        for (const auto& call : calls) {
            SCOPED_TRACE(call.first);
            m_pFake->reset();
            LogCapture log;
            EXPECT_LT(call.second(), 0);
            EXPECT_TRUE(requests().isEmpty());
            EXPECT_TRUE(log.hasPart(3, QString(call.first) + " password refused"));
        }
    }
    // The longest password that fits, and Latin-1 beyond ASCII, are still written.
    for (const QString& strPassword : {QString(1023, QChar('z')), QString::fromLatin1("\xe9t\xe9")}) {
        m_pFake->reset();
        CLS_UserEntity user;
        user.S_ID = "u1";
        user.S_PASSWORD = strPassword;
        EXPECT_EQ(m_mediator.UpdateUserInfo(user), 0);
        ASSERT_EQ(requests().size(), 2);
        EXPECT_EQ(CLS_BaseEntityDAO::DecodePassword(binds(requests()[1], 0).value(":pwd").toString()),
                  strPassword);
    }
}

struct ExistCase
{
    const char* name;
    QString userId;
    QString answerText;  // COUNT(*) answered, or a full answer when it starts with '{'
    bool expected;
};

class UsersExist : public UsersRequests, public ::testing::WithParamInterface<ExistCase>
{
};

TEST_P(UsersExist, ComparesNamesWithoutCaseAndLeavesOutTheGivenUser)
{
    const ExistCase& c = GetParam();
    answer(0, c.answerText.startsWith('{') ? c.answerText : countAnswer(c.answerText));
    EXPECT_EQ(m_mediator.IsUserExist("ADMIN", c.userId), c.expected);
    const FakeRequest r = lastRequest();
    QString strSql = "Select Count(*) From VIEW_USER Where UPPER(S_CAPTION) = UPPER(:name)";
    QJsonObject expectedBinds{{":name", "ADMIN"}};
    if (!c.userId.isEmpty()) {
        strSql += " AND S_ID !=:id";
        expectedBinds.insert(":id", c.userId);
    }
    EXPECT_EQ(r.request.value("sqlexec").toString(), strSql);
    EXPECT_EQ(r.request.value("bindValue").toObject(), expectedBinds);
}

INSTANTIATE_TEST_SUITE_P(
    Users, UsersExist,
    ::testing::Values(ExistCase{"taken", "", "1", true}, ExistCase{"free", "", "0", false},
                      ExistCase{"onlyItself", "admin", "0", false},
                      ExistCase{"takenByAnother", "u2", "1", true},
                      ExistCase{"queryFailed", "", kError, false}, ExistCase{"emptyScalar", "", "", false}),
    [](const ::testing::TestParamInfo<ExistCase>& info) { return std::string(info.param.name); });

TEST_F(UsersMediator, UsersListDecodesPasswordsAndHandsOwnership)
{
    answer(0, rowsAnswer({{{"S_ID", "admin"},
                           {"I_LEVEL", "1"},
                           {"DT_LIMIT", "2099-12-31 00:00:00"},
                           {"S_DESCRIPTION", ""},
                           {"S_PASSWORD", kAbcStored},
                           {"I_OBJ_TYPE_ID", "13"},
                           {"S_CAPTION", "admin"}},
                          {{"S_ID", "u2"}, {"I_LEVEL", "x"}, {"S_CAPTION", "bob"}}}));
    QVector<CLS_UserEntity*> users = m_mediator.GetAllUser();
    ASSERT_EQ(users.size(), 2);
    EXPECT_EQ(users[0]->S_PASSWORD, QString("abc"));
    EXPECT_EQ(users[0]->I_OBJ_TYPE_ID, 13);
    EXPECT_EQ(users[0]->DT_LIMIT, QString("2099-12-31 00:00:00"));
    EXPECT_EQ(users[1]->I_LEVEL, 0);  // not a number
    EXPECT_TRUE(users[1]->S_PASSWORD.isEmpty());
    qDeleteAll(users);

    answer(0, kError);
    EXPECT_TRUE(m_mediator.GetAllUser().isEmpty());

    answer(0, rowsAnswer({{{"S_PASSWORD", kAbcStored}}}));
    EXPECT_EQ(m_mediator.GetUserPassWord("admin"), QString("abc"));
    EXPECT_EQ(lastRequest().request.value("bindValue").toObject(), (QJsonObject{{":name", "admin"}}));
    answer(0, kNoRows);
    EXPECT_TRUE(m_mediator.GetUserPassWord("ghost").isEmpty());
    m_pFake->reset();
    LogCapture log;
    EXPECT_TRUE(m_mediator.GetUserPassWord("").isEmpty());
    EXPECT_TRUE(log.has(3, "CLS_DataMediator::GetUserPassWord _strUserName.isEmpty()"));
    EXPECT_TRUE(requests().isEmpty());
}

// ---- rights ----

TEST_F(UsersMediator, SettingOneRightInsertsOrUpdatesItsRow)
{
    STRCT_Authority right;
    right.m_strObjID = "cam'1";
    right.m_strRoleID = "r1";
    right.m_iAuthorityType = 3;
    right.m_iStatus = 1;

    answer(0, countAnswer("0"));
    EXPECT_EQ(m_mediator.UpdateAuthToRole(&right), 0);
    QList<FakeRequest> sent = requests();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0].request.value("sqlexec").toString(),
              QString("SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE  S_OBJ_ID = :devid AND  S_ROLE_ID = "
                      ":roleid AND "
                      " I_AUTHORITY_TYPE_ID = 3"));
    EXPECT_EQ(sent[0].request.value("bindValue").toObject(),
              (QJsonObject{{":devid", "cam'1"}, {":roleid", "r1"}}));
    EXPECT_EQ(statements(sent[1]), QJsonArray{"INSERT INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, "
                                              "I_AUTHORITY_TYPE_ID, I_STATUS) VALUES (:id,:roleid,3,1)"});
    EXPECT_EQ(binds(sent[1], 0), (QJsonObject{{":id", "cam'1"}, {":roleid", "r1"}}));

    m_pFake->reset();
    right.m_iStatus = 0;
    answer(0, countAnswer("1"));
    EXPECT_EQ(m_mediator.UpdateAuthToRole(&right), 0);
    sent = requests();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(statements(sent[1]),
              QJsonArray{"UPDATE TAB_OBJ_ROLE_AUTHORITY SET  I_STATUS = 0 WHERE  S_OBJ_ID = :id "
                         "AND  S_ROLE_ID = :roleid AND  I_AUTHORITY_TYPE_ID =3"});

    LogCapture log;
    answer(0, countAnswer("0"));
    answer(0, kError);
    EXPECT_EQ(m_mediator.UpdateAuthToRole(&right), -1);
    EXPECT_TRUE(log.has(2, "AttachAuthToRole failed"));
    answer(0, countAnswer("2"));
    answer(0, kError);
    EXPECT_EQ(m_mediator.UpdateAuthToRole(&right), -1);
    EXPECT_TRUE(log.has(2, "UpdateAuthToRole failed"));
}

TEST_F(UsersMediator, TestingOneRightWithAndWithoutAnObject)
{
    answer(0, countAnswer("1"));
    EXPECT_TRUE(m_mediator.HasAuthority("r1", "cam1", 2));
    EXPECT_EQ(lastRequest().request.value("sqlexec").toString(),
              QString("SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE  S_ROLE_ID = :roleid AND  S_OBJ_ID "
                      "=:treenodeid "
                      "AND  I_AUTHORITY_TYPE_ID =2 AND  I_STATUS = 1"));
    EXPECT_EQ(lastRequest().request.value("bindValue").toObject(),
              (QJsonObject{{":roleid", "r1"}, {":treenodeid", "cam1"}}));

    answer(0, countAnswer("4"));
    EXPECT_TRUE(m_mediator.HasAuthority("r1", "", 2));
    EXPECT_EQ(lastRequest().request.value("sqlexec").toString(),
              QString("SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE  S_ROLE_ID = :roleid AND  "
                      "I_AUTHORITY_TYPE_ID =2 "
                      "AND  I_STATUS = 1"));
    EXPECT_EQ(lastRequest().request.value("bindValue").toObject(), (QJsonObject{{":roleid", "r1"}}));

    answer(0, countAnswer("0"));
    EXPECT_FALSE(m_mediator.HasAuthority("r1", "", 2));
    answer(0, kError);
    EXPECT_FALSE(m_mediator.HasAuthority("r1", "cam1", 2));
}

TEST_F(UsersMediator, RightsOfARoleTravelByAuthorityType)
{
    answer(0,
           rowsAnswer(
               {{{"S_OBJ_ID", "h1"}, {"S_ROLE_ID", "r1"}, {"I_AUTHORITY_TYPE_ID", "3"}, {"I_STATUS", "0"}},
                {{"S_OBJ_ID", "h1"}, {"S_ROLE_ID", "r1"}, {"I_AUTHORITY_TYPE_ID", "1"}, {"I_STATUS", "1"}},
                {{"S_OBJ_ID", "h2"}, {"S_ROLE_ID", "r1"}, {"I_AUTHORITY_TYPE_ID", "3"}, {"I_STATUS", "1"}}}));
    AuthorityMap rights;
    rights[99].append(STRCT_Authority());  // replaced, not merged
    ASSERT_TRUE(m_mediator.GetAuthorityByRole("r1", rights));
    EXPECT_EQ(lastRequest().request.value("bindValue").toObject(), (QJsonObject{{":roleid", "r1"}}));
    ASSERT_EQ(rights.keys(), (QList<qint32>{1, 3}));
    ASSERT_EQ(rights[3].size(), 2);
    EXPECT_EQ(rights[3][0].m_strObjID, QString("h1"));
    EXPECT_EQ(rights[3][0].m_iStatus, 0);
    EXPECT_EQ(rights[3][1].m_strObjID, QString("h2"));
    EXPECT_EQ(rights[1][0].m_strRoleID, QString("r1"));
    EXPECT_EQ(rights[1][0].m_iAuthorityType, 1);

    // Storing them back: one REPLACE per right, in type order, each with its own binds.
    m_pFake->reset();
    EXPECT_EQ(m_mediator.UpdateAuthToRoles(rights), 0);
    const FakeRequest tx = lastRequest();
    const QString strReplace =
        "REPLACE INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, "
        "I_STATUS) VALUES (:id,:roleid,%1,%2)";
    EXPECT_EQ(statements(tx),
              (QJsonArray{strReplace.arg(1).arg(1), strReplace.arg(3).arg(0), strReplace.arg(3).arg(1)}));
    EXPECT_EQ(binds(tx, 2), (QJsonObject{{":id", "h2"}, {":roleid", "r1"}}));

    LogCapture log;
    answer(0, kError);
    EXPECT_FALSE(m_mediator.GetAuthorityByRole("r1", rights));
    EXPECT_TRUE(log.has(2, "CLS_RoleEntityDAO::GetAuthorityByRole pRecSet=null"));
    EXPECT_TRUE(log.has(2, "CLS_DataMediator::GetAuthorityByRole GetAuthorityByRole fail _strRoleID=r1"));
    answer(0, kError);
    EXPECT_EQ(m_mediator.UpdateAuthToRoles(rights), -1);
    EXPECT_TRUE(log.has(2, "CLS_RoleEntityDAO::UpdateAuthToRoles iRet=-1"));
}

struct NullCase
{
    const char* name;
    std::function<int(CLS_DataMediator&)> call;
    const char* logText;
};

class UsersNullArguments : public UsersRequests, public ::testing::WithParamInterface<NullCase>
{
};

TEST_P(UsersNullArguments, AreRefusedWithoutARequest)
{
    LogCapture log;
    EXPECT_EQ(GetParam().call(m_mediator), -1);
    EXPECT_TRUE(requests().isEmpty());
    EXPECT_TRUE(log.has(3, GetParam().logText)) << log.dump().toStdString();
}

CLS_UserEntity g_user;
CLS_RoleEntity g_role;

INSTANTIATE_TEST_SUITE_P(
    Users, UsersNullArguments,
    ::testing::Values(
        NullCase{"userInfo",
                 [](CLS_DataMediator& m) { return m.InsertUserAddRoleRelatedInfo(nullptr, &g_role); },
                 "CLS_DataMediator::InsertUserAddRoleRelatedInfo userInfo is nullptr"},
        NullCase{"userRole",
                 [](CLS_DataMediator& m) { return m.InsertUserAddRoleRelatedInfo(&g_user, nullptr); },
                 "CLS_DataMediator::InsertUserAddRoleRelatedInfo userRole is nullptr"},
        NullCase{"updateRole", [](CLS_DataMediator& m) { return m.UpdateRoleInfo(nullptr); },
                 "CLS_DataMediator::UpdateRoleInfo userRole is nullptr"},
        NullCase{"authority", [](CLS_DataMediator& m) { return m.UpdateAuthToRole(nullptr); },
                 "CLS_DataMediator::UpdateAuthToRole _authority is nullptr"},
        NullCase{"deleteUser", [](CLS_DataMediator& m) { return m.DeleteUser(""); },
                 "CLS_DataAccess::DeleteUser _strUserID == nullptr || _strUserID.length() <= 0"},
        NullCase{"deleteRole", [](CLS_DataMediator& m) { return m.DeleteRole(""); },
                 "CLS_DataAccess::DeleteRole _strRoleID == nullptr || _strRoleID.length() <= 0"}),
    [](const ::testing::TestParamInfo<NullCase>& info) { return std::string(info.param.name); });

// ---- security questions ----

TEST_F(UsersMediator, SecurityAnswersAreOneCompactDocument)
{
    // No row in the common table: the answers go to the personal one (which exists).
    answer(0, kNoRows);
    answer(0, countAnswer("1"));
    m_mediator.SetSecurityAnswer({{"2", "Tom's dog"}, {"10", "blue\nsky"}});
    const QList<FakeRequest> sent = requests();
    ASSERT_EQ(sent.size(), 3);
    EXPECT_EQ(statements(sent[2]),
              QJsonArray{QString("UPDATE %1 Set S_VALUE=:Value WHERE S_MAIN_TYPE=:MainType AND "
                                 "S_SUB_TYPE=:SubType")
                             .arg(kPersonalSql)});
    const QString strStored = binds(sent[2], 0).value(":Value").toString();
    EXPECT_FALSE(strStored.contains('\n'));
    // Map order is the text order of the keys: "10" before "2".
    EXPECT_EQ(QJsonDocument::fromJson(strStored.toUtf8()).object(),
              QJsonObject({{"Answer", QJsonArray{QJsonObject{{"id", 10}, {"answer", "blue\nsky"}},
                                                 QJsonObject{{"id", 2}, {"answer", "Tom's dog"}}}}}));

    answer(0, rowsAnswer({{{"S_SUB_TYPE", "SecurityAnswer"}, {"S_VALUE", strStored}}}));
    const QList<QPair<qint32, QString>> answers = m_mediator.GetSecurityAnswer();
    EXPECT_EQ(answers, (QList<QPair<qint32, QString>>{{10, "blue\nsky"}, {2, "Tom's dog"}}));

    answer(0, rowsAnswer({{{"S_SUB_TYPE", "SecurityQuestion"},
                           {"S_VALUE", R"({"Problems":[{"caption":7},{"caption":3}]})"}}}));
    EXPECT_EQ(m_mediator.GetSecurityQuestion(), (QList<qint32>{7, 3}));
    EXPECT_EQ(lastRequest().request.value("bindValue").toObject().value(":ComSubType").toString(),
              QString("SecurityQuestion"));
}

}  // namespace
