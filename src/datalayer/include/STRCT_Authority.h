// One right of a role on an object, as the mediator hands it to the client and takes it back.
#ifndef STRCT_AUTHORITY_H
#define STRCT_AUTHORITY_H

#include <QMap>
#include <QString>
#include <QVector>

struct STRCT_Authority
{
    QString m_strObjID;     ///< the object (device, channel, ...) the right is on
    qint32 m_iObjType = 0;  ///< not used by the data layer; always 0
    QString m_strRoleID;    ///< the role holding the right
    qint32 m_iAuthorityType = 0;
    qint32 m_iStatus = 1;   ///< 1 granted, 0 withheld
    QString m_strParentID;  ///< not used by the data layer; always empty
};

/// Rights of a role by authority type, in ascending type order.
typedef QMap<qint32, QVector<STRCT_Authority>> AuthorityMap;

#endif  // STRCT_AUTHORITY_H
