// The rights of the logged-in user's role held for the trees: read once per login, then kept in
// step as the mediator adds and removes objects, so that no operation reads them all again.
#include "DataBase/EntityDao/Tree/CLS_ResourceTree.h"
#include "DataBase/EntityDao/User/CLS_RoleEntityDAO.h"

#include <QSet>

namespace {

void appendRecords(const QMap<qint32, QVector<CLS_AuthEntity>>& _mapEntities, AuthorityMap& _mapAuth)
{
    for (auto it = _mapEntities.cbegin(); it != _mapEntities.cend(); ++it) {
        QVector<STRCT_Authority>& vecRights = _mapAuth[it.key()];
        vecRights.reserve(vecRights.size() + it.value().size());
        for (const CLS_AuthEntity& entity : it.value()) {
            STRCT_Authority auth;
            auth.m_strObjID = entity.S_OBJ_ID;
            auth.m_strRoleID = entity.S_ROLE_ID;
            auth.m_iAuthorityType = entity.I_AUTHORITY_TYPE_ID;
            auth.m_iStatus = entity.I_STATUS;
            vecRights.append(auth);
        }
    }
}

}  // namespace

bool CLS_ResourceTree::LoadAuthority(CLS_DataMediator& _m, const QString& _strRoleID)
{
    if (!_m.m_strAuthorityRoleID.isEmpty() && _m.m_strAuthorityRoleID == _strRoleID) {
        return true;
    }
    ForgetAuthority(_m);
    QMap<qint32, QVector<CLS_AuthEntity>> mapEntities;
    if (!CLS_RoleEntityDAO::GetInstance()->GetRightsOfRole(_strRoleID, QStringList(), mapEntities)) {
        DL_LOG(2, "CLS_DataMediator::GetAuthorityByRole GetAuthorityByRole fail _strRoleID=%s",
               qUtf8Printable(_strRoleID));
        return false;
    }
    appendRecords(mapEntities, _m.m_mapAuthority);
    _m.m_strAuthorityRoleID = _strRoleID;
    return true;
}

void CLS_ResourceTree::AddAuthorityOf(CLS_DataMediator& _m, const QStringList& _lstObjIDs)
{
    if (_m.m_strAuthorityRoleID.isEmpty() || _lstObjIDs.isEmpty()) {
        return;
    }
    QMap<qint32, QVector<CLS_AuthEntity>> mapEntities;
    if (!CLS_RoleEntityDAO::GetInstance()->GetRightsOfRole(_m.m_strAuthorityRoleID, _lstObjIDs, mapEntities)) {
        // What is held can no longer be trusted: the next load reads every right again.
        DL_LOG(2, "CLS_DataMediator::GetAuthorityByRole GetAuthorityByRole fail _strRoleID=%s",
               qUtf8Printable(_m.m_strAuthorityRoleID));
        ForgetAuthority(_m);
        return;
    }
    DropAuthorityOf(_m, _lstObjIDs);
    appendRecords(mapEntities, _m.m_mapAuthority);
}

void CLS_ResourceTree::DropAuthorityOf(CLS_DataMediator& _m, const QStringList& _lstObjIDs)
{
    if (_m.m_strAuthorityRoleID.isEmpty() || _lstObjIDs.isEmpty()) {
        return;
    }
    const QSet<QString> setIDs(_lstObjIDs.cbegin(), _lstObjIDs.cend());
    for (auto it = _m.m_mapAuthority.begin(); it != _m.m_mapAuthority.end();) {
        QVector<STRCT_Authority>& vecRights = it.value();
        vecRights.erase(std::remove_if(vecRights.begin(), vecRights.end(),
                                       [&](const STRCT_Authority& _auth) { return setIDs.contains(_auth.m_strObjID); }),
                        vecRights.end());
        // A type without rights has no entry, as after a fresh read.
        it = vecRights.isEmpty() ? _m.m_mapAuthority.erase(it) : std::next(it);
    }
}

void CLS_ResourceTree::ForgetAuthority(CLS_DataMediator& _m)
{
    _m.m_mapAuthority.clear();
    _m.m_strAuthorityRoleID.clear();
}

QStringList CLS_ResourceTree::IdsOf(const QVector<STRCT_VideoItem*>& _vecItems)
{
    QStringList lstIDs;
    lstIDs.reserve(_vecItems.size());
    for (const STRCT_VideoItem* pItem : _vecItems) {
        if (pItem != nullptr) {
            lstIDs.append(ResourceTree::qs(pItem->m_strID));
        }
    }
    return lstIDs;
}
