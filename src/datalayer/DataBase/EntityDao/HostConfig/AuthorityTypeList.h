// The authority types a new device object receives for 'admin_role'.
#ifndef AUTHORITYTYPELIST_H
#define AUTHORITYTYPELIST_H

#include <QMutex>
#include <QString>
#include <QStringList>

/// The authority type ids of one object type (first column of _strSql): read on construction,
/// and again on each use while none are held, so that a failed first read is not final.
class AuthorityTypeList
{
public:
    AuthorityTypeList(const QString& _strDbName, const QString& _strSql);

    /// The types, read again when none are held; empty (logged at level 3 under _pszOperation)
    /// when they cannot be had, and the insert must then fail.
    QStringList Get(const char* _pszOperation);
    /// The types held now, without reading.
    QStringList Held() const;

private:
    const QString m_strDbName;
    const QString m_strSql;
    mutable QMutex m_mutex;
    QStringList m_lstTypes;
};

#endif  // AUTHORITYTYPELIST_H
