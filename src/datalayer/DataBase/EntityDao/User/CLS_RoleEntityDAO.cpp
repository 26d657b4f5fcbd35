#include "CLS_RoleEntityDAO.h"

#include "Log.h"

CLS_RoleEntityDAO* CLS_RoleEntityDAO::GetInstance()
{
    static CLS_RoleEntityDAO* s_pInstance = nullptr;
    if (s_pInstance == nullptr) {
        s_pInstance = new CLS_RoleEntityDAO();
    }
    return s_pInstance;
}

CLS_RoleEntityDAO::~CLS_RoleEntityDAO() = default;

int CLS_RoleEntityDAO::GetRoleByUser(const QString& _strUserID, QVector<CLS_RoleEntity>& _vecRoles)
{
    RecordSet* pRows = ExecuteQueryEx(m_strDbName,
                                      "SELECT distinct S_ID, S_DESCRIPTION, I_TYPE, I_OBJ_TYPE_ID, S_CAPTION "
                                      "FROM VIEW_ROLE WHERE  S_USER_ID = :id",
                                      {{":id", _strUserID}});
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_RoleEntityDAO::GetRoleByUser pRecSet=null");
        return -1;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        CLS_RoleEntity role;
        role.S_ID = pRow->value("S_ID");
        role.S_DESCRIPTION = pRow->value("S_DESCRIPTION");
        role.I_TYPE = pRow->value("I_TYPE").toInt();
        role.I_OBJ_TYPE_ID = pRow->value("I_OBJ_TYPE_ID").toInt();
        role.S_CAPTION = pRow->value("S_CAPTION");
        _vecRoles.append(role);
    }
    FreeRecordSet(pRows);
    return 0;
}

int CLS_RoleEntityDAO::DeleteRole(const QString& _strRoleID)
{
    const QMap<QString, QVariant> mapBind{{":id", _strRoleID}};
    const int iRet =
        ExecuteTransactionEx(m_strDbName,
                             {"Delete From TAB_ROLE Where S_ID=:id", "Delete From TAB_OBJ Where S_ID=:id",
                              "Delete From TAB_USER_ROLE Where S_ROLE_ID=:id",
                              "Delete From TAB_OBJ_ROLE_AUTHORITY Where S_ROLE_ID=:id"},
                             {mapBind, mapBind, mapBind, mapBind});
    if (iRet != 0) {
        DL_LOG(2, "DeleteRole failed");
    }
    return iRet;
}

int CLS_RoleEntityDAO::UpdateRole(const CLS_RoleEntity& _role)
{
    const int iRet = ExecuteTransactionEx(m_strDbName,
                                          {"Update TAB_OBJ Set S_CAPTION=:name where S_ID =:id",
                                           "Update TAB_ROLE Set S_DESCRIPTION=:memo where S_ID =:id"},
                                          {{{":name", _role.S_CAPTION}, {":id", _role.S_ID}},
                                           {{":memo", _role.S_DESCRIPTION}, {":id", _role.S_ID}}});
    if (iRet != 0) {
        DL_LOG(2, "UpdateRole failed");
    }
    return iRet;
}

bool CLS_RoleEntityDAO::GetAuthorityByRole(const QString& _strRoleID,
                                           QMap<qint32, QVector<CLS_AuthEntity>>& _mapAuth)
{
    RecordSet* pRows =
        ExecuteQueryEx(m_strDbName, "SELECT * FROM TAB_OBJ_ROLE_AUTHORITY WHERE  S_ROLE_ID = :roleid ",
                       {{":roleid", _strRoleID}});
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_RoleEntityDAO::GetAuthorityByRole pRecSet=null");
        return false;
    }
    bool bOk = true;
    for (const QMap<QString, QString>* pRow : *pRows) {
        if (pRow == nullptr) {
            DL_LOG(2, "CLS_RoleEntityDAO::GetAuthorityByRole pRec=null");
            bOk = false;
            break;
        }
        CLS_AuthEntity auth;
        auth.S_OBJ_ID = pRow->value("S_OBJ_ID");
        auth.S_ROLE_ID = pRow->value("S_ROLE_ID");
        auth.I_AUTHORITY_TYPE_ID = pRow->value("I_AUTHORITY_TYPE_ID").toInt();
        auth.I_STATUS = pRow->value("I_STATUS").toInt();
        _mapAuth[auth.I_AUTHORITY_TYPE_ID].append(auth);
    }
    FreeRecordSet(pRows);
    return bOk;
}

bool CLS_RoleEntityDAO::HasAuthority(const QString& _strRoleID, const QString& _strObjID,
                                     qint32 _iAuthorityType)
{
    QString strSql = "SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE  S_ROLE_ID = :roleid";
    QMap<QString, QVariant> mapBind{{":roleid", _strRoleID}};
    if (!_strObjID.isEmpty()) {
        strSql += " AND  S_OBJ_ID =:treenodeid";
        mapBind.insert(":treenodeid", _strObjID);
    }
    strSql += " AND  I_AUTHORITY_TYPE_ID =" + IntToString(_iAuthorityType) + " AND  I_STATUS = 1";
    const QString strCount = GetFirstValue(m_strDbName, strSql, mapBind);
    return !strCount.isEmpty() && strCount != QLatin1String("0");
}

int CLS_RoleEntityDAO::UpdateAuthToRole(const CLS_AuthEntity& _auth)
{
    const QString strType = IntToString(_auth.I_AUTHORITY_TYPE_ID);
    const QString strCount =
        GetFirstValue(m_strDbName,
                      "SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE  S_OBJ_ID = :devid AND  "
                      "S_ROLE_ID = :roleid AND  I_AUTHORITY_TYPE_ID = " +
                          strType,
                      {{":devid", _auth.S_OBJ_ID}, {":roleid", _auth.S_ROLE_ID}});
    if (strCount.isEmpty() || strCount == QLatin1String("0")) {
        return AttachAuthToRole(_auth);
    }
    const int iRet = ExecuteTransactionEx(
        m_strDbName,
        {"UPDATE TAB_OBJ_ROLE_AUTHORITY SET  I_STATUS = " + IntToString(_auth.I_STATUS) +
         " WHERE  S_OBJ_ID = :id AND  S_ROLE_ID = :roleid AND  I_AUTHORITY_TYPE_ID =" + strType},
        {{{":id", _auth.S_OBJ_ID}, {":roleid", _auth.S_ROLE_ID}}});
    if (iRet != 0) {
        DL_LOG(2, "UpdateAuthToRole failed");
    }
    return iRet;
}

int CLS_RoleEntityDAO::AttachAuthToRole(const CLS_AuthEntity& _auth)
{
    const int iRet = ExecuteTransactionEx(
        m_strDbName,
        {"INSERT INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS) VALUES "
         "(:id,:roleid," +
         IntToString(_auth.I_AUTHORITY_TYPE_ID) + "," + IntToString(_auth.I_STATUS) + ")"},
        {{{":id", _auth.S_OBJ_ID}, {":roleid", _auth.S_ROLE_ID}}});
    if (iRet != 0) {
        DL_LOG(2, "AttachAuthToRole failed");
    }
    return iRet;
}

int CLS_RoleEntityDAO::UpdateAuthToRoles(const QMap<qint32, QVector<CLS_AuthEntity>>& _mapAuth)
{
    QList<QString> lstSql;
    QList<QMap<QString, QVariant>> lstBind;
    for (auto it = _mapAuth.cbegin(); it != _mapAuth.cend(); ++it) {
        for (const CLS_AuthEntity& auth : it.value()) {
            lstSql.append(
                "REPLACE INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS) "
                "VALUES "
                "(:id,:roleid," +
                IntToString(it.key()) + "," + IntToString(auth.I_STATUS) + ")");
            lstBind.append({{":id", auth.S_OBJ_ID}, {":roleid", auth.S_ROLE_ID}});
        }
    }
    // Nothing to change is not a request.
    const int iRet = lstSql.isEmpty() ? 0 : ExecuteTransactionEx(m_strDbName, lstSql, lstBind);
    DL_LOG(iRet == 0 ? 1 : 2, "CLS_RoleEntityDAO::UpdateAuthToRoles iRet=%d", iRet);
    return iRet;
}
