// One channel of a video host: its TAB_OBJ, TAB_DEV_CAMERA and TAB_CHANNEL rows (read through
// VIEW_DEV_CHANNEL).
#ifndef CLS_CHANNELENTITY_H
#define CLS_CHANNELENTITY_H

#include "CLS_BaseEntity.h"

#include <QString>

class DATAMEDIATOR_EXPORT CLS_ChannelEntity : public CLS_BaseEntity
{
public:
    CLS_ChannelEntity();
    ~CLS_ChannelEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    int I_NUM = 0;
    QString S_DESCRIPTION;
    int I_BINDINGDEVTYPE = 0;
    int I_LINK_TYPE_ID = 0;
    int I_BUF_NUM = 0;
    int I_DELAY_NUM = 0;
    int I_PROTOCOL_TYPE = 0;
    int I_PTZ_ADDR = 0;
    int I_COM_PORT = 0;
    int I_BAUDRATE = 0;
    int I_CONTROL_TYPE = 0;
    int I_SPEED_X = 0;
    int I_SPEED_Y = 0;
    int I_DATA_TYPE = 0;
    QString S_PARENT_ID;  ///< the host
    QString S_PROTOCOL_NAME;
    int I_OBJ_TYPE_ID = 5;  ///< object type written to TAB_OBJ: 5, or 52/53 (generic devices)
    QString S_CAPTION;
    bool I_ENCRYPT_ENABLED = false;
    QString S_DECRYPT_CODE;
    QString S_DOMAIN_ID;
    int I_ENABLE_DEFENCE = 1;
};

#endif  // CLS_CHANNELENTITY_H
