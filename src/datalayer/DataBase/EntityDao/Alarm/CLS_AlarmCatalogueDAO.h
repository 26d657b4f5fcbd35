// The read-only alarm catalogue of the main database: levels, main, sub and adapter alarm
// types, the level of each adapter alarm type and the device host types.
#ifndef CLS_ALARMCATALOGUEDAO_H
#define CLS_ALARMCATALOGUEDAO_H

#include "CLS_AlarmEntities.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QList>
#include <QVector>

/// TAB_ALARM_LEVEL.
class DATAMEDIATOR_EXPORT CLS_AlarmLevelEntityDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_AlarmLevelEntityDAO* GetInstance();
    /// Appends one entity per level (the caller owns them). 0 or -1.
    int GetAllAlarmLevel(QList<CLS_AlarmLevelEntity*>& _lstOut);

protected:
    CLS_AlarmLevelEntityDAO() = default;
};

/// TAB_DD_MAIN_ALARM_TYPE.
class DATAMEDIATOR_EXPORT CLS_AlarmMainTypeEntityDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_AlarmMainTypeEntityDAO* GetInstance();
    int GetAllAlarmMainType(QList<CLS_AlarmMainTypeEntity*>& _lstOut);
    int LoadData(const RecordSet* _pRecSet, QList<CLS_AlarmMainTypeEntity*>& _lstOut);

protected:
    CLS_AlarmMainTypeEntityDAO() = default;
};

/// TAB_DD_SUB_ALARM_TYPE.
class DATAMEDIATOR_EXPORT CLS_AlarmSubTypeEntityDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_AlarmSubTypeEntityDAO* GetInstance();
    int GetAllAlarmSubType(QList<CLS_AlarmSubTypeEntity*>& _lstOut);
    int LoadData(const RecordSet* _pRecSet, QList<CLS_AlarmSubTypeEntity*>& _lstOut);

protected:
    CLS_AlarmSubTypeEntityDAO() = default;
};

/// Adapter alarm types with their levels and captions, the alarm types of a host type, and the
/// level of an adapter alarm type.
class DATAMEDIATOR_EXPORT CLS_AlarmTypeEntityDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_AlarmTypeEntityDAO* GetInstance();
    /// Appends one entity per adapter alarm type with its caption in _strLangType. 0 or -1.
    int GetAllAdapterAlarmInfo(const QString& _strLangType, QVector<CLS_AdapterAlarmInfoEntity*>& _vecOut);
    int LoadAdapterAlarmInfo(const RecordSet* _pRecSet, QVector<CLS_AdapterAlarmInfoEntity*>& _vecOut);
    /// Appends the main alarm types of the host type with their sub types. 0 or -1.
    int GetAlarmTypesOfHostType(qint32 _iHostTypeId, QList<CLS_AlarmTypeEntity*>& _lstOut);
    /// Groups rows by main alarm type, in order of first appearance; the first row of a sub
    /// alarm type wins.
    int LoadData(const RecordSet* _pRecSet, QList<CLS_AlarmTypeEntity*>& _lstOut);
    /// The server's result.
    int UpdateAlarmTypeLevel(qint32 _iAdapterAlarmId, qint32 _iLevel);

protected:
    CLS_AlarmTypeEntityDAO() = default;
};

/// TAB_DD_QXHOST_CONFIG.
class DATAMEDIATOR_EXPORT CLS_HostConfigEntityDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_HostConfigEntityDAO* GetInstance();
    int GetAllHostConfig(QList<CLS_HostConfigEntity*>& _lstOut);

protected:
    CLS_HostConfigEntityDAO() = default;
};

#endif  // CLS_ALARMCATALOGUEDAO_H
