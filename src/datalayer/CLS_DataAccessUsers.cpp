// Users, roles and rights: checked forwarders to CLS_UserEntityDAO and CLS_RoleEntityDAO.
#include "CLS_DataAccess.h"

#include "DataBase/EntityDao/User/CLS_RoleEntityDAO.h"
#include "DataBase/EntityDao/User/CLS_UserEntityDAO.h"
#include "Log.h"

#include <exception>

namespace {

// Runs one DAO call; an exception becomes a level-4 line and the failure value.
template <typename T, typename F>
T guarded(const char* _pszOperation, T _failure, F&& _call)
{
    try {
        return _call();
    } catch (const std::exception& e) {
        DL_LOG(4, "%s exception %s", _pszOperation, e.what());
    } catch (...) {
        DL_LOG(4, "%s exception", _pszOperation);
    }
    return _failure;
}

}  // namespace

int CLS_DataAccess::LoginUser(QString _strUserName, QString _strpwd)
{
    if (_strUserName.length() <= 0 || _strpwd.length() <= 0) {
        DL_LOG(3, "_strUserName.length() <= 0 || _strpwd.length() <= 0");
        return -1;
    }
    return guarded("CLS_DataAccess::LoginUser", -1,
                   [&] { return CLS_UserEntityDAO::GetInstance()->LoginUser(_strUserName, _strpwd); });
}

QString CLS_DataAccess::GetUserID(QString _strUserName)
{
    if (_strUserName.length() <= 0 || _strUserName.isNull()) {
        DL_LOG(3, "_strUserName.length() <= 0 || _strUserName == nullptr");
        return QString();
    }
    return guarded("CLS_DataAccess::GetUserID", QString(),
                   [&] { return CLS_UserEntityDAO::GetInstance()->GetUserID(_strUserName); });
}

int CLS_DataAccess::AddUser(QString _strUserName, QString _strpwd)
{
    if (_strUserName.length() <= 0 || _strpwd.length() <= 0) {
        DL_LOG(3, "_strUserName.length() <= 0 || _strpwd.length() <= 0");
        return -1;
    }
    return guarded("CLS_DataAccess::AddUser", -1,
                   [&] { return CLS_UserEntityDAO::GetInstance()->AddUser(_strUserName, _strpwd); });
}

int CLS_DataAccess::InsertUserAndRelatedInfo(const CLS_UserEntity& _user, const CLS_RoleEntity& _role)
{
    return guarded("CLS_DataAccess::InsertUserAndRelatedInfo", -1,
                   [&] { return CLS_UserEntityDAO::GetInstance()->InsertUserAndRelatedInfo(_user, _role); });
}

int CLS_DataAccess::UpdateUserInfo(const CLS_UserEntity& _user)
{
    return guarded("CLS_DataAccess::UpdateUserInfo", -1,
                   [&] { return CLS_UserEntityDAO::GetInstance()->UpdateUserInfo(_user); });
}

int CLS_DataAccess::DeleteUser(QString _strUserID)
{
    if (_strUserID.isNull() || _strUserID.length() <= 0) {
        DL_LOG(3, "CLS_DataAccess::DeleteUser _strUserID == nullptr || _strUserID.length() <= 0");
        return -1;
    }
    return guarded("CLS_DataAccess::DeleteUser", -1,
                   [&] { return CLS_UserEntityDAO::GetInstance()->DeleteUser(_strUserID); });
}

bool CLS_DataAccess::IsUserExist(QString _strUserName, QString _strUserID)
{
    return guarded("CLS_DataAccess::IsUserExist", false,
                   [&] { return CLS_UserEntityDAO::GetInstance()->IsUserExist(_strUserName, _strUserID); });
}

int CLS_DataAccess::GetAllUser(QVector<CLS_UserEntity*>& _vecUsers)
{
    return guarded("CLS_DataAccess::GetAllUser", -1,
                   [&] { return CLS_UserEntityDAO::GetInstance()->GetAllUser(_vecUsers); });
}

QString CLS_DataAccess::GetUserPassWord(QString _strUserName)
{
    if (_strUserName.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetUserPassWord _strUserName.isEmpty()");
        return QString();
    }
    return guarded("CLS_DataAccess::GetUserPassWord", QString(),
                   [&] { return CLS_UserEntityDAO::GetInstance()->GetUserPassWord(_strUserName); });
}

int CLS_DataAccess::GetRoleByUser(QString _strUserID, QVector<CLS_RoleEntity>& _vecRoles)
{
    if (_strUserID.isNull() || _strUserID.length() <= 0) {
        DL_LOG(3, "CLS_DataAccess::GetRoleByUser _strUserID == nullptr || _strUserID.length() <= 0");
        return -1;
    }
    return guarded("CLS_DataAccess::GetRoleByUser", -1,
                   [&] { return CLS_RoleEntityDAO::GetInstance()->GetRoleByUser(_strUserID, _vecRoles); });
}

int CLS_DataAccess::DeleteRole(QString _strRoleID)
{
    if (_strRoleID.isNull() || _strRoleID.length() <= 0) {
        DL_LOG(3, "CLS_DataAccess::DeleteRole _strRoleID == nullptr || _strRoleID.length() <= 0");
        return -1;
    }
    return guarded("CLS_DataAccess::DeleteRole", -1,
                   [&] { return CLS_RoleEntityDAO::GetInstance()->DeleteRole(_strRoleID); });
}

int CLS_DataAccess::UpdateRole(const CLS_RoleEntity& _role)
{
    return guarded("CLS_DataAccess::UpdateRole", -1,
                   [&] { return CLS_RoleEntityDAO::GetInstance()->UpdateRole(_role); });
}

bool CLS_DataAccess::GetAuthorityByRole(QString _strRoleID, QMap<qint32, QVector<CLS_AuthEntity>>& _mapAuth)
{
    if (_strRoleID.isNull() || _strRoleID.length() <= 0) {
        DL_LOG(3, "CLS_DataAccess::GetAuthorityByRole _strRoleID == nullptr || _strRoleID.length() <= 0");
        return false;
    }
    return guarded("CLS_DataAccess::GetAuthorityByRole", false, [&] {
        return CLS_RoleEntityDAO::GetInstance()->GetAuthorityByRole(_strRoleID, _mapAuth);
    });
}

bool CLS_DataAccess::HasAuthority(QString _strRoleID, QString _strObjID, qint32 _iAuthorityType)
{
    if (_strRoleID.isNull() || _strRoleID.length() <= 0) {
        DL_LOG(3, "CLS_DataAccess::HasAuthority _strRoleID == nullptr || _strRoleID.length() <= 0");
        return false;
    }
    return guarded("CLS_DataAccess::HasAuthority", false, [&] {
        return CLS_RoleEntityDAO::GetInstance()->HasAuthority(_strRoleID, _strObjID, _iAuthorityType);
    });
}

int CLS_DataAccess::UpdateAuthToRole(const CLS_AuthEntity& _auth)
{
    return guarded("CLS_DataAccess::UpdateAuthToRole", -1,
                   [&] { return CLS_RoleEntityDAO::GetInstance()->UpdateAuthToRole(_auth); });
}

int CLS_DataAccess::UpdateAuthToRoles(const QMap<qint32, QVector<CLS_AuthEntity>>& _mapAuth)
{
    return guarded("CLS_DataAccess::UpdateAuthToRoles", -1,
                   [&] { return CLS_RoleEntityDAO::GetInstance()->UpdateAuthToRoles(_mapAuth); });
}
