// One leaf of a product code in the data dictionary (TAB_DATA_DICTIONARY).
#ifndef CLS_PRODUCTENTITY_H
#define CLS_PRODUCTENTITY_H

#include "CLS_BaseEntity.h"

#include <QString>

class DATAMEDIATOR_EXPORT CLS_ProductEntity : public CLS_BaseEntity
{
public:
    CLS_ProductEntity();
    ~CLS_ProductEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_PARENTID;
    QString S_CODE;
    QString S_KEY;
    QString S_VALUE;
};

#endif  // CLS_PRODUCTENTITY_H
