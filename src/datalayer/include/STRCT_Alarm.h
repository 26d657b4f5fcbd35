// Records of the alarm catalogue, the linkage rules and the alarm log that cross the mediator
// interface.
#ifndef STRCT_ALARM_H
#define STRCT_ALARM_H

#include "CLS_AlarmEntities.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QVector>

/// One adapter alarm type as the client sees it.
struct STRCT_AdapterAlarmInfo
{
    qint32 m_iId = -1;
    bool m_bFilterAlarming = false;
    qint32 m_iLevel = -1;
    QString m_strCaption;
    qint32 m_iMainAlarmType = -1;
    bool m_bIsDeal = false;
};

typedef QMap<qint32, STRCT_AdapterAlarmInfo*> AdapterAlarmInfoMap;

/// Parameter of action type 2: the sound to play.
struct STRCT_SoundLinkParam
{
    QString m_strFile;
};

/// Parameter of action type 3: the channel to record.
struct STRCT_RecordLinkParam
{
    QString m_strDesChannelID;
};

/// Parameter of action type 11.
struct STRCT_EmailLinkParam
{
    QString m_strChannelName;
    QString m_strEmailSubject;
};

/// Parameter of action type 18.
struct STRCT_BallonTipsLinkParam
{
    QString m_strChannelName;
    QString m_strBallonTipsTitle;
};

/// Parameter of action type 19.
struct STRCT_AlarmVideoLinkParam
{
    qint32 m_iLinkVideoType = 0;
};

/// One linkage rule as the client uses it. At most one parameter pointer is set, the one of the
/// action type; the link owns it. Copying is not allowed (the parameter would be shared).
struct DATAMEDIATOR_EXPORT STRCT_SingleAlarmLink
{
    STRCT_SingleAlarmLink() = default;
    ~STRCT_SingleAlarmLink();
    STRCT_SingleAlarmLink(const STRCT_SingleAlarmLink&) = delete;
    STRCT_SingleAlarmLink& operator=(const STRCT_SingleAlarmLink&) = delete;

    /// A new link with every field of this one and no parameter record.
    STRCT_SingleAlarmLink* CloneWithoutParam() const;
    /// Frees the parameter record, whichever is set.
    void FreeParam();

    QString m_strId;
    QString m_strSrcObjId;
    qint32 m_iAdapterAlarmId = 0;
    QString m_strAlarmCaption;
    qint32 m_iAlarmLevel = 0;
    qint32 m_iMainAlarmType = 0;
    qint32 m_iActionType = 0;
    QString m_strDesObjId;
    qint32 m_iEnable = 0;
    QString m_strParam;
    STRCT_SoundLinkParam* m_pSoundParam = nullptr;
    STRCT_RecordLinkParam* m_pRecordParam = nullptr;
    STRCT_BallonTipsLinkParam* m_pBallonTipsParam = nullptr;
    STRCT_AlarmVideoLinkParam* m_pAlarmVideoParam = nullptr;
    STRCT_EmailLinkParam* m_pEmailParam = nullptr;
    qint32 m_iCtrlWithArming = 1;
};

/// Links by source object id, then adapter alarm id, in the order they were added.
typedef QMap<QString, QMap<qint32, QVector<STRCT_SingleAlarmLink*>>> AlarmLinkMap;

/// One device host type with the alarm types it raises.
struct STRCT_VideoHostInfo
{
    qint32 m_iHostTypeId = 0;
    QByteArray m_baFileName;
    QByteArray m_baCaption;
    QByteArray m_baWindowsPath;
    QByteArray m_baMacPath;
    QByteArray m_baLoadToken;
    QList<CLS_AlarmTypeEntity> m_lstAlarmTypes;
};

/// A new alarm for InsertAlarmRecord; the time and id are filled by the insertion.
struct STRCT_NewAlarmRecord
{
    QString m_strCameraID;
    QString m_strCameraCaption;
    qint32 m_iCameraType = -1;
    qint32 m_iAlarmType = 0;
    qint32 m_iIsAlarm = 0;
    qint32 m_iRuleID = -1;
    qint32 m_iLevel = -1;
    QString m_strAlarmTime;  ///< out
    QString m_strRecordID;   ///< out
};

/// One stored alarm.
struct STRCT_AlarmRecord
{
    QString m_strID;
    QString m_strAlarmTime;
    QString m_strCameraID;
    QString m_strCameraCaption;
    qint32 m_iCameraType = -1;
    qint32 m_iAlarmType = 0;
    qint32 m_iRuleID = -1;
    qint32 m_iIsAlarm = 0;
    qint32 m_iLevel = -1;
    QString m_strUserID;
    qint32 m_iDealState = 0;
    QString m_strDealUserID;
    QString m_strDealTime;
    QString m_strDealCaption;
};

/// Filters and page of an alarm-record search, as the client gives them.
struct STRCT_AlarmSearchCondition
{
    QString m_strStartTime;
    QString m_strEndTime;
    QString m_strCameraCaption;
    QString m_strDealUserID;
    qint32 m_iDealState = 2;  ///< above 1: any
    bool m_bLevel1 = true;
    bool m_bLevel2 = true;
    bool m_bLevel3 = true;
    bool m_bLevel4 = true;
    bool m_bLevel5 = true;
    qint32 m_iPageSize = 20;
    qint32 m_iPageNum = 1;
    qint32 m_iAlarmType = 0;  ///< 0: any
};

/// The handling of one alarm record.
struct STRCT_AlarmDealInfo
{
    QString m_strRecordID;
    qint32 m_iDealState = 0;
    QString m_strDealCaption;
    QString m_strDealUserID;
    QString m_strDealTime;
};

/// One cached event.
struct STRCT_CacheEvent
{
    QByteArray m_baID;
    qint32 m_iType = 0;
    QByteArray m_baData;
    QByteArray m_baTime;
    qint32 m_iParam = 0;
};

#endif  // STRCT_ALARM_H
