// One role: its TAB_ROLE row joined with its TAB_OBJ row (VIEW_ROLE).
#ifndef CLS_ROLEENTITY_H
#define CLS_ROLEENTITY_H

#include "CLS_BaseEntity.h"
#include "DataMediatorExport.h"

#include <QString>

class DATAMEDIATOR_EXPORT CLS_RoleEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_DESCRIPTION;
    qint32 I_TYPE = 1;
    qint32 I_OBJ_TYPE_ID = 0;
    QString S_CAPTION;  ///< the role name
};

#endif  // CLS_ROLEENTITY_H
