// Entities of the alarm catalogue, the linkage rules, the alarm records and the cached events.
// Plain records with one field per column, in column order.
#ifndef CLS_ALARMENTITIES_H
#define CLS_ALARMENTITIES_H

#include "CLS_BaseEntity.h"

#include <QByteArray>
#include <QMap>
#include <QString>

/// One linkage rule of the per-system linkage table.
class DATAMEDIATOR_EXPORT CLS_AlarmActionEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(true)
    QString S_ID;
    QString S_SRC_OBJ_ID;
    qint32 I_ADAPTER_ALARM_ID = 0;
    qint32 I_ENABLE = 0;
    QString S_DES_OBJ_ID;
    qint32 I_ACTION_TYPE_ID = 0;
    QString S_PARAM;
    qint32 I_CTRL_WITHDRAW_DEFENCE = 0;
};

/// One row of TAB_ALARM_LEVEL.
class DATAMEDIATOR_EXPORT CLS_AlarmLevelEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(true)
    qint32 I_LEVEL = 0;
    QString S_CAPTION;
};

/// One row of TAB_DD_MAIN_ALARM_TYPE.
class DATAMEDIATOR_EXPORT CLS_AlarmMainTypeEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(true)
    qint32 I_ID = 0;
    qint32 I_ROW_ID = 0;  ///< "rowid"; 0 when the row lacks it (as under "SELECT *")
    QString S_CAPTION;
    qint32 I_HOST_TYPE_ID = 0;
    qint32 I_MAIN_ALARM_TYPE = 0;
    qint32 I_HOST_ITEM_TYPE_ID = 0;
    qint32 I_IS_GET_VCA_ALARM = 0;
    qint32 I_IS_GET_FACE_ALARM = 0;
    qint32 I_IS_GET_EXCEPT_ALARM = 0;
    qint32 I_IS_GET_UNIQUEALERT_ALARM = 0;
};

/// One row of TAB_DD_SUB_ALARM_TYPE.
class DATAMEDIATOR_EXPORT CLS_AlarmSubTypeEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(true)
    qint32 I_ID = 0;
    QString S_CAPTION;
    qint32 I_SUB_ALARM_TYPE = 0;
    qint32 I_ADAPTER_ALARM_ID = 0;
    qint32 I_MAIN_ALARM_TYPE_ID = 0;
    qint32 I_IS_DELAYCANCELALARM = 0;
    qint32 I_IS_FILTERREPEATALARM = 0;
};

/// One adapter alarm type with its level and its caption in one language.
class DATAMEDIATOR_EXPORT CLS_AdapterAlarmInfoEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(true)
    qint32 I_ID = 0;
    bool I_IS_FILTERALARMING = false;
    qint32 I_LEVEL = 0;
    QString S_CAPTION;
    qint32 I_MAIN_ALARM_TYPE = 0;
    bool I_IS_DEAL = false;
};

/// A sub alarm type as one main alarm type of a host type carries it.
struct STRCT_SubAlarmType
{
    qint32 m_iSubAlarmType = 0;
    qint32 m_iAdapterAlarmType = 0;
    bool m_bFilterAlarming = false;
    bool m_bDelayCancel = false;
    bool m_bFilterRepeat = false;
};

/// One main alarm type of a host type with its sub alarm types by sub alarm type.
class DATAMEDIATOR_EXPORT CLS_AlarmTypeEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(true)
    qint32 I_HOST_TYPE_ID = 0;
    qint32 I_MAIN_ALARM_TYPE = 0;
    qint32 I_HOST_ITEM_TYPE_ID = 0;
    bool m_bGetExceptAlarm = false;
    bool m_bGetVcaAlarm = false;
    bool m_bGetUniqueAlertAlarm = false;
    bool m_bGetFaceAlarm = false;
    QMap<qint32, STRCT_SubAlarmType> m_mapSubAlarmType;
};

/// One row of TAB_DD_QXHOST_CONFIG.
class DATAMEDIATOR_EXPORT CLS_HostConfigEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(true)
    qint32 I_HOSTTYPEID = 0;
    QString S_FILE_NAME;
    QString S_CAPTION;
    QString S_PATH_MAC;
    QString S_PATH_WINDOWS;
    QString S_DLL_LOADTOKEN;
};

/// One row of TAB_ALARM_RECORD (I_SEQ is set by the writer).
class DATAMEDIATOR_EXPORT CLS_AlarmRecordEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(true)
    QString S_ID;
    QString DT_ALARM;
    QString S_CAMERA_ID;
    QString S_CAMERA_CAPTION;
    qint32 I_CAMERA_TYPE = -1;
    qint32 I_ALARM_TYPE = 0;
    qint32 I_RULE_ID = -1;
    qint32 I_IS_ALARM = 0;
    qint32 I_LEVEL = -1;
    QString S_USER_ID;
    qint32 I_DEAL_STATE = 0;
    QString S_DEAL_USER_ID;
    QString DT_DEAL;
    QString S_DEAL_CAPTION;
};

/// Filters and page of an alarm-record search.
class DATAMEDIATOR_EXPORT CLS_AlarmRecordSearchEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(true)
    QString m_strStartTime;      ///< inclusive lower bound of DT_ALARM; empty: none
    QString m_strEndTime;        ///< inclusive upper bound; empty: none
    QString m_strCameraCaption;  ///< substring of S_CAMERA_CAPTION; empty: none
    QString m_strDealUserID;     ///< exact S_DEAL_USER_ID; empty: none
    qint32 m_iDealState = 2;     ///< exact state when 1 or less; above 1: any
    bool m_bLevel[5] = {true, true, true, true, true};  ///< levels 1 to 5; all set: any
    qint32 m_iPageSize = 20;
    qint32 m_iPageNum = 1;       ///< counted from 1
    qint32 m_iAlarmType = 0;     ///< exact I_ALARM_TYPE when not 0
};

/// One event of the per-system TAB_CACHE_EVENT table.
class DATAMEDIATOR_EXPORT CLS_CacheEventEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(true)
    QByteArray S_ID;
    qint32 I_TYPE = 0;
    QByteArray S_DATA;
    QByteArray DT_TIME;
    qint32 I_PARAM = 0;
};

#endif  // CLS_ALARMENTITIES_H
