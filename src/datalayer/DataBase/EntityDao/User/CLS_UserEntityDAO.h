// Users, login and stored passwords: TAB_USER, its TAB_OBJ rows, memberships, VIEW_USER.
#ifndef CLS_USERENTITYDAO_H
#define CLS_USERENTITYDAO_H

#include "CLS_RoleEntity.h"
#include "CLS_UserEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QString>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_UserEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_UserEntityDAO* GetInstance();
    virtual ~CLS_UserEntityDAO();

    /// No account of that name whose expiry lies ahead.
    static constexpr int kUnknownOrExpired = -11;
    /// The account exists but the password differs.
    static constexpr int kWrongPassword = -12;
    /// Object id and role id of the first administrator.
    static const char* const kAdminId;
    static const char* const kAdminRoleId;
    /// Object type of the administrator in TAB_OBJ.
    static constexpr int kAdminObjType = 13;

    /// 0 when the name exists, has not expired and the password matches exactly;
    /// kUnknownOrExpired, kWrongPassword, or -1 for empty arguments or a failed query.
    int LoginUser(const QString& _strUserName, const QString& _strpwd);
    /// Id of the user of that name; empty when there is none or the name is empty.
    QString GetUserID(const QString& _strUserName);
    /// The first administrator (object "admin", role "admin_role") with the given name and
    /// password, and the login defaults of the personal settings, in one transaction.
    int AddUser(const QString& _strUserName, const QString& _strpwd);
    /// A new user together with a new role it belongs to, in one transaction.
    int InsertUserAndRelatedInfo(const CLS_UserEntity& _user, const CLS_RoleEntity& _role);
    /// Name first, then level, expiry, description and password; stops at the first failure.
    int UpdateUserInfo(const CLS_UserEntity& _user);
    /// The user with its object row, memberships and custom-tree nodes.
    int DeleteUser(const QString& _strUserID);
    /// Whether another user (not _strUserID, when given) already has the name, ignoring case.
    bool IsUserExist(const QString& _strUserName, const QString& _strUserID);
    /// Appends every user with its password decoded; the caller owns the entities. 0 or -1.
    int GetAllUser(QVector<CLS_UserEntity*>& _vecUsers);
    /// The decoded password of the user of that name; empty when not found.
    QString GetUserPassWord(const QString& _strUserName);

protected:
    CLS_UserEntityDAO() = default;
};

#endif  // CLS_USERENTITYDAO_H
