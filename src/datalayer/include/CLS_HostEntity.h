// One video host: its TAB_OBJ row, its TAB_DEV_VIDEO_HOST and TAB_HOST rows (read through
// VIEW_DEV_HOST). The password is held in plain text; the DAO scrambles it for storage.
#ifndef CLS_HOSTENTITY_H
#define CLS_HOSTENTITY_H

#include "CLS_BaseEntity.h"

#include <QString>

class DATAMEDIATOR_EXPORT CLS_HostEntity : public CLS_BaseEntity
{
public:
    CLS_HostEntity();
    ~CLS_HostEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_IP;
    int I_PORT = 0;
    QString S_USERNAME;
    QString S_PASSWORD;  ///< plain text
    QString S_DESCRIPTION;
    int I_DEVTYPE = 0;  ///< 0: the local recorder model (R480)
    int I_VIDEO_HOST_TYPE_ID = 0;
    QString S_DNS_IP;
    int I_DNS_PORT = 0;
    int I_DNS_TYPE = 0;
    QString S_PRODUCT_ID;  ///< the device's serial number
    QString S_DOMAIN;
    int I_PROXY_TYPE = 0;
    QString S_PROXY1_ID;
    QString S_PROXY1_IP;
    int I_PROXY1_PORT = 0;
    QString S_PROXY1_CAPTION;
    QString S_PROXY2_ID;
    QString S_PROXY2_IP;
    int I_PROXY2_PORT = 0;
    QString S_PROXY2_CAPTION;
    QString S_DNS_USER;
    QString S_DNS_PASSWORD;  ///< stored as given
    QString S_VIDEO_HOST_TYPE_NAME;
    QString S_PARENT_ID;
    int I_OBJ_TYPE_ID = 4;  ///< object type written to TAB_OBJ (not a column of the view)
    QString S_CAPTION;
    int I_HTTP_PORT = 0;
    QString S_ITS_NUMBER;
    QString S_DOMAIN_ID;
    QString S_EXTRA;
    int I_ENABLE_DEFENCE = 1;
};

#endif  // CLS_HOSTENTITY_H
