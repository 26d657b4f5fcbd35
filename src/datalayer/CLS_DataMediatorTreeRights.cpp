// The rights of the logged-in user's role held for the trees: read once per login, then kept in
// step as the mediator adds and removes objects, so that no operation reads them all again.
#include "DataBase/EntityDao/Tree/CLS_ResourceTree.h"
#include "DataBase/EntityDao/User/CLS_RoleEntityDAO.h"

bool CLS_ResourceTree::LoadAuthority(CLS_DataMediator& _m, const QString& _strRoleID)
{
    if (!_m.m_strAuthorityRoleID.isEmpty() && _m.m_strAuthorityRoleID == _strRoleID) {
        return true;
    }
    ForgetAuthority(_m);
    if (!CLS_RoleEntityDAO::GetInstance()->GetRightsOfRole(_strRoleID, QStringList(), _m.m_mapAuthority)) {
        DL_LOG(2, "CLS_DataMediator::GetAuthorityByRole GetAuthorityByRole fail _strRoleID=%s",
               qUtf8Printable(_strRoleID));
        return false;
    }
    _m.m_strAuthorityRoleID = _strRoleID;
    return true;
}

void CLS_ResourceTree::AddAuthorityOf(CLS_DataMediator& _m, const QStringList& _lstObjIDs)
{
    if (_m.m_strAuthorityRoleID.isEmpty() || _lstObjIDs.isEmpty()) {
        return;
    }
    CLS_RoleRights read;
    if (!CLS_RoleEntityDAO::GetInstance()->GetRightsOfRole(_m.m_strAuthorityRoleID, _lstObjIDs, read)) {
        // What is held can no longer be trusted: the next load reads every right again.
        DL_LOG(2, "CLS_DataMediator::GetAuthorityByRole GetAuthorityByRole fail _strRoleID=%s",
               qUtf8Printable(_m.m_strAuthorityRoleID));
        ForgetAuthority(_m);
        return;
    }
    _m.m_mapAuthority.Drop(_lstObjIDs);
    _m.m_mapAuthority.Merge(read);
}

void CLS_ResourceTree::DropAuthorityOf(CLS_DataMediator& _m, const QStringList& _lstObjIDs)
{
    if (_m.m_strAuthorityRoleID.isEmpty() || _lstObjIDs.isEmpty()) {
        return;
    }
    _m.m_mapAuthority.Drop(_lstObjIDs);
}

void CLS_ResourceTree::ForgetAuthority(CLS_DataMediator& _m)
{
    _m.m_mapAuthority.Clear();
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
