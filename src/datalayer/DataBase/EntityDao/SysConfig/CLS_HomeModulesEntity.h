// One module of the client's home page (TAB_DD_HOMEMODULES).
#ifndef CLS_HOMEMODULESENTITY_H
#define CLS_HOMEMODULESENTITY_H

#include "CLS_BaseEntity.h"

#include <QString>

class DATAMEDIATOR_EXPORT CLS_HomeModulesEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(true)

    QString S_TITLE;
    QString S_DES;
    QString S_ICONPATH;
    QString S_TYPE;
};

#endif  // CLS_HOMEMODULESENTITY_H
