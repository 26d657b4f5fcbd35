#include "CLS_UserEntityDAO.h"

#include "DataBase/EntityDao/SysConfig/CLS_ConfigDAO.h"
#include "Log.h"

#include <QDateTime>

const char* const CLS_UserEntityDAO::kAdminId = "admin";
const char* const CLS_UserEntityDAO::kAdminRoleId = "admin_role";

CLS_UserEntityDAO* CLS_UserEntityDAO::GetInstance()
{
    static CLS_UserEntityDAO* const s_pInstance = new CLS_UserEntityDAO();
    return s_pInstance;
}

CLS_UserEntityDAO::~CLS_UserEntityDAO() = default;

int CLS_UserEntityDAO::LoginUser(const QString& _strUserName, const QString& _strpwd)
{
    if (_strUserName.length() <= 0 || _strpwd.length() <= 0) {
        DL_LOG(3, "_strUserName.length() <= 0 || _strpwd.length() <= 0");
        return -1;
    }
    // An account whose expiry is not later than now is not found at all.
    const QString strSql = "SELECT S_PASSWORD,S_ID FROM VIEW_USER WHERE S_CAPTION=:name AND DT_LIMIT > '" +
                           QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss") + "'";
    RecordSet* pRows = ExecuteQueryEx(m_strDbName, strSql, {{":name", _strUserName}});
    if (pRows == nullptr) {
        return -1;
    }
    int iRet = kUnknownOrExpired;
    if (!pRows->isEmpty()) {
        const QString strStored = pRows->first()->value("S_PASSWORD");
        iRet = DecodePassword(strStored) == _strpwd ? 0 : kWrongPassword;
    }
    FreeRecordSet(pRows);
    return iRet;
}

QString CLS_UserEntityDAO::GetUserID(const QString& _strUserName)
{
    if (_strUserName.length() <= 0) {
        DL_LOG(3, "_strUserName.length() <= 0 || _strUserName == nullptr");
        return QString();
    }
    RecordSet* pRows = ExecuteQueryEx(m_strDbName, "SELECT S_ID FROM VIEW_USER WHERE S_CAPTION = :name",
                                      {{":name", _strUserName}});
    QString strId;
    if (pRows != nullptr && !pRows->isEmpty()) {
        strId = pRows->first()->value("S_ID");
    }
    FreeRecordSet(pRows);
    return strId;
}

int CLS_UserEntityDAO::AddUser(const QString& _strUserName, const QString& _strpwd)
{
    if (_strUserName.length() <= 0 || _strpwd.length() <= 0) {
        DL_LOG(3, "_strUserName.length() <= 0 || _strpwd.length() <= 0");
        return -1;
    }
    if (!IsStorablePassword(_strpwd, "CLS_UserEntityDAO::AddUser")) {
        return -1;
    }
    QString strPersonal;
    int iRet = CLS_ConfigDAO::PersonalTableName(strPersonal);
    if (iRet != 0) {
        DL_LOG(3, "CLS_UserEntityDAO::AddUser GetSysId fail iRet = %d", iRet);
        return -1;
    }
    // The login defaults below update the personal table, which a fresh database does not have
    // until the first settings read makes it; without it the whole transaction would fail.
    iRet = CLS_ConfigDAO::GetInstance()->CreatePersonalTab(strPersonal);
    if (iRet != 0) {
        DL_LOG(2, "CLS_UserEntityDAO::AddUser CreatePersonalTab iRet=%d", iRet);
        return iRet;
    }

    // The user row takes the administrator's fixed id, like its object row and membership, so
    // that VIEW_USER joins them whatever name is chosen.
    const QString strUpdatePersonal =
        "UPDATE " + QuoteIdentifier(strPersonal) +
        " SET S_VALUE = %1 WHERE S_MAIN_TYPE = 'MAINTYPE_SYSCONFIG' AND S_SUB_TYPE = '%2'";
    const QList<QString> lstSql{
        "REPLACE INTO TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION) VALUES ('admin',NULL,13,:name)",
        "REPLACE INTO TAB_USER(S_ID, I_LEVEL, DT_LIMIT, S_DESCRIPTION, S_PASSWORD) VALUES "
        "('admin',1,'2099-12-31 00:00:00','',:pwd)",
        "REPLACE INTO TAB_USER_ROLE(S_USER_ID, S_ROLE_ID) VALUES ('admin','admin_role')",
        strUpdatePersonal.arg(":name", "userName"),
        strUpdatePersonal.arg(":pwd ", "password"),
        strUpdatePersonal.arg("'false' ", "autoLogin"),
        strUpdatePersonal.arg("'false' ", "savePwd"),
    };
    const QList<QMap<QString, QVariant>> lstBind{
        {{":name", _strUserName}},
        {{":pwd", EncodePassword(_strpwd)}},
        {},
        {{":name", _strUserName}},
        {{":pwd", _strpwd}},
        {},
        {},
    };
    return ExecuteTransactionEx(m_strDbName, lstSql, lstBind);
}

int CLS_UserEntityDAO::InsertUserAndRelatedInfo(const CLS_UserEntity& _user, const CLS_RoleEntity& _role)
{
    if (!IsStorablePassword(_user.S_PASSWORD, "CLS_UserEntityDAO::InsertUserAndRelatedInfo")) {
        return -1;
    }
    const QList<QString> lstSql{
        "INSERT INTO TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) VALUES (:id,NULL ," +
            IntToString(_user.I_OBJ_TYPE_ID) + ",:username,1)",
        "INSERT INTO TAB_USER(S_ID, I_LEVEL, DT_LIMIT, S_DESCRIPTION, S_PASSWORD) VALUES (:id," +
            IntToString(_user.I_LEVEL) + ",:limit,:memo,:pwd)",
        "Insert Into TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) Values (:id,NULL ," +
            IntToString(_role.I_OBJ_TYPE_ID) + ",:name,1)",
        "Insert Into TAB_ROLE(S_ID, S_DESCRIPTION, I_TYPE) Values (:id,:memo," + IntToString(_role.I_TYPE) +
            ")",
        "INSERT INTO TAB_USER_ROLE (S_USER_ID, S_ROLE_ID) VALUES (:userid,:roleid)",
    };
    const QList<QMap<QString, QVariant>> lstBind{
        {{":id", _user.S_ID}, {":username", _user.S_CAPTION}},
        {{":id", _user.S_ID},
         {":limit", _user.DT_LIMIT},
         {":memo", _user.S_DESCRIPTION},
         {":pwd", EncodePassword(_user.S_PASSWORD)}},
        {{":id", _role.S_ID}, {":name", _role.S_CAPTION}},
        {{":id", _role.S_ID}, {":memo", _role.S_DESCRIPTION}},
        {{":userid", _user.S_ID}, {":roleid", _role.S_ID}},
    };
    const int iRet = ExecuteTransactionEx(m_strDbName, lstSql, lstBind);
    if (iRet < 0) {
        DL_LOG(2, "InsertUserAndRelatedInfo:InsertRole failed");
    }
    return iRet;
}

int CLS_UserEntityDAO::UpdateUserInfo(const CLS_UserEntity& _user)
{
    if (!IsStorablePassword(_user.S_PASSWORD, "CLS_UserEntityDAO::UpdateUserInfo")) {
        return -1;
    }
    int iRet = ExecuteTransactionEx(m_strDbName, {"UPDATE TAB_OBJ SET S_CAPTION=:name WHERE S_ID =:id"},
                                    {{{":name", _user.S_CAPTION}, {":id", _user.S_ID}}});
    if (iRet != 0) {
        return iRet;
    }
    // Every text is bound: a description or password holding a quote is stored as given.
    iRet = ExecuteTransactionEx(m_strDbName,
                                {"UPDATE TAB_USER SET I_LEVEL=" + IntToString(_user.I_LEVEL) +
                                 ",DT_LIMIT=:limit,S_DESCRIPTION=:memo,S_PASSWORD=:pwd WHERE S_ID =:id"},
                                {{{":limit", _user.DT_LIMIT},
                                  {":memo", _user.S_DESCRIPTION},
                                  {":pwd", EncodePassword(_user.S_PASSWORD)},
                                  {":id", _user.S_ID}}});
    return iRet;
}

int CLS_UserEntityDAO::DeleteUser(const QString& _strUserID)
{
    const QMap<QString, QVariant> mapBind{{":id", _strUserID}};
    const int iRet = ExecuteTransactionEx(
        m_strDbName,
        {"Delete From TAB_OBJ Where S_ID=:id", "Delete From TAB_USER_ROLE Where S_USER_ID=:id",
         "Delete From TAB_USER_OBJ Where S_USER_ID=:id", "Delete From TAB_USER Where S_ID=:id"},
        {mapBind, mapBind, mapBind, mapBind});
    if (iRet != 0) {
        DL_LOG(2, "DeleteUser");
    }
    return iRet;
}

bool CLS_UserEntityDAO::IsUserExist(const QString& _strUserName, const QString& _strUserID)
{
    QString strSql = "Select Count(*) From VIEW_USER Where UPPER(S_CAPTION) = UPPER(:name)";
    QMap<QString, QVariant> mapBind{{":name", _strUserName}};
    if (!_strUserID.isEmpty()) {
        strSql += " AND S_ID !=:id";
        mapBind.insert(":id", _strUserID);
    }
    const QString strCount = GetFirstValue(m_strDbName, strSql, mapBind);
    return !strCount.isEmpty() && strCount != QLatin1String("0");
}

int CLS_UserEntityDAO::GetAllUser(QVector<CLS_UserEntity*>& _vecUsers)
{
    RecordSet* pRows = ExecuteQuery(
        m_strDbName,
        "SELECT S_ID, I_LEVEL, DT_LIMIT, S_DESCRIPTION, S_PASSWORD, I_OBJ_TYPE_ID, S_CAPTION FROM VIEW_USER");
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_UserEntityDAO::GetAllUser pRecSet=null");
        return -1;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        auto* pUser = new CLS_UserEntity();
        pUser->S_ID = pRow->value("S_ID");
        pUser->I_LEVEL = pRow->value("I_LEVEL").toInt();
        pUser->DT_LIMIT = pRow->value("DT_LIMIT");
        pUser->S_DESCRIPTION = pRow->value("S_DESCRIPTION");
        pUser->S_PASSWORD = DecodePassword(pRow->value("S_PASSWORD"));
        pUser->I_OBJ_TYPE_ID = pRow->value("I_OBJ_TYPE_ID").toInt();
        pUser->S_CAPTION = pRow->value("S_CAPTION");
        _vecUsers.append(pUser);
    }
    FreeRecordSet(pRows);
    return 0;
}

QString CLS_UserEntityDAO::GetUserPassWord(const QString& _strUserName)
{
    RecordSet* pRows = ExecuteQueryEx(m_strDbName, "SELECT S_PASSWORD FROM VIEW_USER WHERE S_CAPTION = :name",
                                      {{":name", _strUserName}});
    QString strPassword;
    if (pRows != nullptr && !pRows->isEmpty()) {
        strPassword = DecodePassword(pRows->first()->value("S_PASSWORD"));
    }
    FreeRecordSet(pRows);
    return strPassword;
}
