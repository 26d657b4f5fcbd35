// Roles and rights: TAB_ROLE, its TAB_OBJ rows, VIEW_ROLE and TAB_OBJ_ROLE_AUTHORITY.
#ifndef CLS_ROLEENTITYDAO_H
#define CLS_ROLEENTITYDAO_H

#include "CLS_AuthEntity.h"
#include "CLS_RoleEntity.h"
#include "CLS_RoleRights.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_RoleEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_RoleEntityDAO* GetInstance();
    virtual ~CLS_RoleEntityDAO();

    /// Appends the roles the user belongs to. 0, or -1 when the query failed.
    int GetRoleByUser(const QString& _strUserID, QVector<CLS_RoleEntity>& _vecRoles);
    /// The role with its object row, memberships and rights; its members stay users.
    int DeleteRole(const QString& _strRoleID);
    /// Name and description.
    int UpdateRole(const CLS_RoleEntity& _role);

    /// Every right of the role, by authority type. False when the query failed.
    bool GetAuthorityByRole(const QString& _strRoleID, QMap<qint32, QVector<CLS_AuthEntity>>& _mapAuth);
    /// The same rights in the same order, read densely for a cache kept by the caller (one row
    /// per type and status, the objects' ids joined). With _lstObjIDs not empty only the rights
    /// on those objects, in the order of the list within each type. False when a query failed
    /// or an answer was not of that form (_rights is then left as it was).
    bool GetRightsOfRole(const QString& _strRoleID, const QStringList& _lstObjIDs, CLS_RoleRights& _rights);
    /// Whether the role holds the type with status 1 on the object (on any object when
    /// _strObjID is empty).
    bool HasAuthority(const QString& _strRoleID, const QString& _strObjID, qint32 _iAuthorityType);
    /// Inserts the right when the role has no row for that object and type, else updates its status.
    int UpdateAuthToRole(const CLS_AuthEntity& _auth);
    /// Inserts a right (one-statement transaction).
    int AttachAuthToRole(const CLS_AuthEntity& _auth);
    /// Every right of the map, replaced or inserted, in one transaction.
    int UpdateAuthToRoles(const QMap<qint32, QVector<CLS_AuthEntity>>& _mapAuth);

protected:
    CLS_RoleEntityDAO() = default;
};

#endif  // CLS_ROLEENTITYDAO_H
