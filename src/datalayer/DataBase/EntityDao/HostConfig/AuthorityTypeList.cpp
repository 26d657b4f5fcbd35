#include "AuthorityTypeList.h"

#include "DeviceDaoSupport.h"

AuthorityTypeList::AuthorityTypeList(const QString& _strDbName, const QString& _strSql)
    : m_strDbName(_strDbName), m_strSql(_strSql), m_lstTypes(DeviceDao::LoadAuthorityTypes(_strDbName, _strSql))
{
}

QStringList AuthorityTypeList::Get(const char* _pszOperation)
{
    QMutexLocker locker(&m_mutex);
    if (m_lstTypes.isEmpty()) {
        m_lstTypes = DeviceDao::LoadAuthorityTypes(m_strDbName, m_strSql);
        if (m_lstTypes.isEmpty()) {
            DL_LOG(3, "%s no authority types for admin_role", _pszOperation);
        }
    }
    return m_lstTypes;
}

QStringList AuthorityTypeList::Held() const
{
    QMutexLocker locker(&m_mutex);
    return m_lstTypes;
}
