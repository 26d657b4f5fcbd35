// One row of TAB_OBJ_ROLE_AUTHORITY: a right of a role on an object.
#ifndef CLS_AUTHENTITY_H
#define CLS_AUTHENTITY_H

#include "CLS_BaseEntity.h"

#include <QString>

class DATAMEDIATOR_EXPORT CLS_AuthEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_OBJ_ID;
    qint32 I_OBJ_TYPE_ID = 0;  ///< not stored; always 0
    QString S_ROLE_ID;
    qint32 I_AUTHORITY_TYPE_ID = 0;
    qint32 I_STATUS = 1;  ///< 1 granted, 0 withheld
};

#endif  // CLS_AUTHENTITY_H
