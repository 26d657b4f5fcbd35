// One alarm output of a video host: its TAB_OBJ and TAB_DEV_ALARM_OUT rows (read through
// VIEW_DEV_ALARM_OUT).
#ifndef CLS_ALARMOUTENTITY_H
#define CLS_ALARMOUTENTITY_H

#include "DataMediatorExport.h"

#include <QString>

class DATAMEDIATOR_EXPORT CLS_AlarmOutEntity
{
public:
    CLS_AlarmOutEntity();
    virtual ~CLS_AlarmOutEntity();

    QString S_ID;
    int I_NUM = 0;
    QString S_DESCRIPTION;
    QString S_PARENT_ID;  ///< the host
    QString S_CAPTION;
    int I_OBJ_TYPE_ID = 7;
};

#endif  // CLS_ALARMOUTENTITY_H
