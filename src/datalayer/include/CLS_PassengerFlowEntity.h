// Passenger-flow statistics: the counting rows, regions with their channels, the statistics
// condition, and the in-memory region parameter and live state the mediator keeps.
#ifndef CLS_PASSENGERFLOWENTITY_H
#define CLS_PASSENGERFLOWENTITY_H

#include "CLS_BaseEntity.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

/// One counting row of a monthly table TAB_PASSENGERFLOW_INFO<yyyyMM>: the people counted in,
/// out and passing on one channel in one time slot of a day.
class DATAMEDIATOR_EXPORT CLS_PassengerFlowEntity : public CLS_BaseEntity
{
public:
    CLS_PassengerFlowEntity();
    ~CLS_PassengerFlowEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_CHANNEL_OBJ_ID;
    QString DT_DATE;  ///< "yyyy-MM-dd"
    QString DT_TIME;  ///< time slot within the day, as the client gives it
    qint32 I_IN_NUMBER = 0;
    qint32 I_OUT_NUMBER = 0;
    qint32 I_PASS_NUMBER = 0;
};

/// One row of the region query: a region joined with one of its channels (channel fields empty
/// for a region without channels).
class DATAMEDIATOR_EXPORT CLS_RegionEntity : public CLS_BaseEntity
{
public:
    CLS_RegionEntity();
    ~CLS_RegionEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_REGION_ID;
    QString S_REGION_NAME;
    QString DT_START;
    QString DT_END;
    qint32 I_MAXCAPACITY_NUMBER = 0;
    qint32 I_MAXCAPACITY_ALARM_ENABLE = 0;
    qint32 I_SHOOTUP_NUMBER = 0;
    qint32 I_SHOOTUP_TIME = 0;
    qint32 I_SHOOTUP_ALARM_ENABLE = 0;
    qint32 I_FIX_NUMBER = 0;
    qint32 I_ALARM_INTERVAL = 0;
    QString S_CHANNEL_ID;
    QString S_CHANNEL_OBJ_ID;
    qint32 I_SEQ = 0;
    QString DT_START_STATISTIC;  ///< clear time "yyyy-MM-dd hh:mm:ss"
};

/// What GetPassengerFlowStatistics sums: the period around m_qstrDate over the channels.
class DATAMEDIATOR_EXPORT CLS_PassengerFlowStatisticConditionEntity : public CLS_BaseEntity
{
public:
    enum Period { pdDay = 0, pdWeek = 1, pdMonth = 2, pdYear = 3 };

    CLS_PassengerFlowStatisticConditionEntity();
    ~CLS_PassengerFlowStatisticConditionEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString m_qstrDate;  ///< "yyyy-MM-dd"
    /// pdDay keyed by hour ("00".."23"), pdWeek by weekday ("0" Sunday .. "6"), pdMonth by day
    /// ("01".."31"), pdYear by month ("01".."12").
    qint32 m_iPeriod = pdDay;
    /// Day only: keep slots with m_qstrStartTime <= DT_TIME <= m_qstrEndTime.
    bool m_bTimeRange = false;
    QString m_qstrStartTime;
    QString m_qstrEndTime;
    QStringList m_qlstChannelObjIDs;
};

/// The sums of one statistics key.
struct STRCT_PassengerFlowCounts {
    qint64 m_i64In = 0;
    qint64 m_i64Out = 0;
    qint64 m_i64Pass = 0;
};

/// A counting report folded into the live state of regions; m_qstrTime "yyyy-MM-dd hh:mm:ss"
/// or empty (totals only, no slot entries).
struct STRCT_PassengerFlowReport {
    qint32 m_iIn = 0;
    qint32 m_iOut = 0;
    qint32 m_iPass = 0;
    QString m_qstrTime;
};

struct STRCT_PassengerFlowRegionChannel {
    QString m_qstrChannelID;
    QString m_qstrChannelObjID;
    qint32 m_iSeq = 0;
};

/// A region as the mediator keeps it (m_qmapPassengerFlowRegionParam, keyed by region id).
struct STRCT_PassengerFlowRegionParam {
    QString m_qstrRegionID;
    QString m_qstrRegionName;
    QString m_qstrStartTime;
    QString m_qstrEndTime;
    QString m_qstrClearTime;  ///< counting starts here, "yyyy-MM-dd hh:mm:ss"
    qint32 m_iMaxCapacityNumber = 0;
    qint32 m_iMaxCapacityAlarmEnable = 0;
    qint32 m_iShootUpNumber = 0;   ///< surge: more than this many in ...
    qint32 m_iShootUpTime = 0;     ///< ... within this many seconds
    qint32 m_iShootUpAlarmEnable = 0;
    qint32 m_iAlarmInterval = 0;   ///< collections between repeats of an active alarm
    qint32 m_iFixNumber = 0;       ///< people present at the clear time
    QVector<STRCT_PassengerFlowRegionChannel> m_qvecChannels;
};
typedef QMap<QString, STRCT_PassengerFlowRegionParam> PassengerFlowRegionParamMap;

/// Counts of one slot of the ten-minute history.
struct STRCT_PassengerFlowSlot {
    qint32 m_iIn = 0;
    qint32 m_iOut = 0;
    qint32 m_iPass = 0;
};

/// A region's live state since its clear time (m_qmapPassengerFlowRegionRealTime).
struct STRCT_PassengerFlowRegionRealTime {
    QString m_qstrRegionID;
    qint32 m_iInTotal = 0;
    qint32 m_iOutTotal = 0;
    qint32 m_iPassTotal = 0;
    qint32 m_iCurrentNumber = 0;   ///< fixed number + in - out, not below 0
    qint32 m_iPeakNumber = 0;
    qint32 m_iOverCapacityCount = 0;  ///< consecutive checks above the maximum capacity
    /// Minute slot ("yyyy-MM-dd hh:mm:ss", the next full minute) -> counts, the last ten minutes.
    QMap<QString, STRCT_PassengerFlowSlot> m_qmapMinuteSlots;
    qint32 m_iCapacityAlarmState = 0;
    qint32 m_iCapacityAlarmCountdown = 0;
    qint32 m_iShootUpCount = 0;  ///< consecutive surge checks above the surge number
    /// Ten-second slot ("yyyy-MM-dd hh:mm:ss") -> people in, for the surge window.
    QMap<QString, qint32> m_qmapShootUpSlots;
    qint32 m_iShootUpAlarmState = 0;
    qint32 m_iShootUpAlarmCountdown = 0;
};

#endif  // CLS_PASSENGERFLOWENTITY_H
