// Behaviour-analysis snapshots and the vehicle (car), personal (pad) and road (way) passages,
// each kept in monthly tables of "Tessel-intelligent" (template name followed by yyyyMM), and
// the conditions of their paged searches.
#ifndef CLS_PASSAGEENTITIES_H
#define CLS_PASSAGEENTITIES_H

#include "CLS_BaseEntity.h"
#include "DataMediatorExport.h"

#include <QString>
#include <QStringList>

/// One TAB_INTELLIGENT_BEHAVIOR_CAPTURE row.
class DATAMEDIATOR_EXPORT CLS_BehaviorAnalysisEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_DEV_ID;
    QString S_CHANNEL_ID;
    QString S_CHANNEL_NAME;
    qint32 I_TYPE = 0;  ///< behaviour type
    QString S_SNAP_PATH;
    qint64 I_FILE_SIZE = 0;
    QString DT_SNAP_TIMESTAMP;  ///< "yyyy-MM-dd hh:mm:ss"; gives the month
    qint32 I_SEQ = 0;           ///< within one second, set when stored
    QString S_EXTRA;
};

/// Condition of the behaviour search and count; empty texts and lists are not filtered.
class DATAMEDIATOR_EXPORT CLS_BehaviorAnalysisSearchEntity
{
public:
    static constexpr qint32 kAnyType = -1;

    QString m_strStartTime;  ///< "yyyy-MM-dd hh:mm:ss"
    QString m_strEndTime;
    QStringList m_lstChannelIDs;
    qint32 m_iType = kAnyType;
    qint32 m_iPageSize = 0;    ///< below 1: every row
    qint32 m_iPageNumber = 1;  ///< from 1
};

/// One TAB_CAR_HISTORY row: a vehicle passing an entrance terminal.
class DATAMEDIATOR_EXPORT CLS_CarDataRecvEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_Vlp;       ///< plate
    QString S_Vlpc;      ///< plate colour
    QString S_PassTime;  ///< "yyyy-MM-dd hh:mm:ss"; gives the month
    QString S_Image;
    QString S_PlateImage;
    QString S_DriverImage;
    QString S_SN;  ///< terminal serial number
    QString S_TerminalName;
    QString S_SaveTime;
};

/// One TAB_PAD_HISTORY row: a person passing a pad terminal.
class DATAMEDIATOR_EXPORT CLS_PadDataRecvEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_UserCode;
    QString S_UserName;
    QString S_PassTime;  ///< "yyyy-MM-dd hh:mm:ss"; gives the month
    QString S_Image;
    QString S_TerminalSn;
    QString S_TerminalName;
    QString S_SaveTime;
};

/// One TAB_WAY_HISTORY row: a vehicle passing a road checkpoint.
class DATAMEDIATOR_EXPORT CLS_WayDataRecEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_VLP;
    QString S_VLPC;
    QString S_passtime;  ///< "yyyy-MM-dd hh:mm:ss"; gives the month
    QString S_image;
    QString S_plateimage;
    QString S_driverimage;
    QString S_SN;
    QString S_terminalname;
    QString S_carcolor;
    QString S_cartype;
    QString S_carclass;
    QString S_crossing;
    QString S_lane;
    QString S_runingdirection;
    QString S_savetime;  ///< set when stored: "yyyy-MM-dd hh:mm:ss:zzz"
};

/// Condition of a car, pad or way passage search and count. Empty texts and lists are not
/// filtered.
struct STRCT_PassageQuery
{
    QString m_qstrStartTime;    ///< "yyyy-MM-dd hh:mm:ss"; its month is the first table searched
    QString m_qstrEndTime;      ///< its month is the last table searched
    QString m_qstrKey;          ///< plate (car, way) or user code (pad)
    bool m_bKeyPrefix = false;  ///< m_qstrKey matches the start of the plate or code
    QStringList m_lstTerminalSns;
    qint32 m_iPageSize = 20;  ///< from 1
    qint32 m_iPageIndex = 1;  ///< from 1
};

#endif  // CLS_PASSAGEENTITIES_H
