// One encoder input of a decoder: its TAB_OBJ and TAB_DEV_ENCODE_IN rows.
#ifndef CLS_ENCINENTITY_H
#define CLS_ENCINENTITY_H

#include "CLS_BaseEntity.h"

#include <QString>

class DATAMEDIATOR_EXPORT CLS_EncInEntity : public CLS_BaseEntity
{
public:
    CLS_EncInEntity();
    ~CLS_EncInEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    int I_NUM = 0;
    QString S_PARENT_ID;    ///< the decoder
    int I_OBJ_TYPE_ID = 0;  ///< set by the caller
    QString S_CAPTION;
    int I_VISIBLE = 1;
};

#endif  // CLS_ENCINENTITY_H
