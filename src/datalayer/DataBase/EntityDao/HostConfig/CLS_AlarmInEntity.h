// One alarm input of a video host: its TAB_OBJ and TAB_DEV_ALARM_IN rows (read through
// VIEW_DEV_ALARM_IN).
#ifndef CLS_ALARMINENTITY_H
#define CLS_ALARMINENTITY_H

#include "DataMediatorExport.h"

#include <QString>

class DATAMEDIATOR_EXPORT CLS_AlarmInEntity
{
public:
    CLS_AlarmInEntity();
    virtual ~CLS_AlarmInEntity();

    QString S_ID;
    int I_NUM = 0;
    QString S_DESCRIPTION;
    QString S_PARENT_ID;  ///< the host
    int I_OBJ_TYPE_ID = 6;
    QString S_CAPTION;
    int I_ENABLE_DEFENCE = 1;
};

#endif  // CLS_ALARMINENTITY_H
