// One user account: its TAB_USER row joined with its TAB_OBJ row (VIEW_USER).
#ifndef CLS_USERENTITY_H
#define CLS_USERENTITY_H

#include "CLS_BaseEntity.h"
#include "DataMediatorExport.h"

#include <QString>

/// A user as stored. Read from the store, S_PASSWORD holds the password in clear (already
/// decoded); written, it is scrambled by the DAO.
class DATAMEDIATOR_EXPORT CLS_UserEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    qint32 I_LEVEL = 0;
    QString DT_LIMIT;  ///< expiry, "yyyy-MM-dd hh:mm:ss"
    QString S_DESCRIPTION;
    QString S_PASSWORD;
    qint32 I_OBJ_TYPE_ID = 0;
    QString S_CAPTION;  ///< the user name
};

#endif  // CLS_USERENTITY_H
