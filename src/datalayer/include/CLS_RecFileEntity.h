// Recording-file index (TAB_REC_FILE<SysId>), its search condition and the per-channel
// pre-record and delay-record values (TAB_REC_PRE_DELAY<SysId>).
#ifndef CLS_RECFILEENTITY_H
#define CLS_RECFILEENTITY_H

#include "CLS_BaseEntity.h"

#include <QString>

/// One recorded file as stored.
class DATAMEDIATOR_EXPORT CLS_RecFileEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    qint32 I_ID = 0;  ///< row number given by the database, in insertion order
    QString S_HOST_ID;
    QString S_CAMERA_ID;
    qint32 I_REC_TYPE_ID = 0;  ///< 1 "h", 2 "t", 3 "a"
    QString S_RECFILE_NAME;
    QString S_SAVE_PATH;
    QString DT_START;  ///< "yyyy-MM-dd hh:mm:ss"
    QString DT_END;
    quint32 I_LENGTH = 0;
    qint32 I_LOCK = 0;
    QString S_SAVE_DISK;
    QString S_CAMERA_NAME;          ///< not stored
    qint32 I_REC_STREAM_TYPE = 0;  ///< 0 main, 1 sub
};

/// Condition of the playback search.
class DATAMEDIATOR_EXPORT CLS_RecFileSearchEntity
{
public:
    QString m_strChannelID;  ///< empty: every channel
    QString m_strCameraName;
    QString m_strStartTime;  ///< "yyyy-MM-dd hh:mm:ss"
    QString m_strEndTime;
    qint32 m_iRecType = 0;     ///< filter when above 0
    qint32 m_iLock = 0;        ///< filter when above 0
    qint32 m_iStreamType = -1;  ///< filter unless -1
};

/// Pre-record and delay-record values of one channel.
class DATAMEDIATOR_EXPORT CLS_RecPreDelayEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_CAMERA_ID;
    qint32 I_REC_PRE = 0;
    qint32 I_REC_DELAY = 0;
};

/// One entry of the operation log (TAB_DD_LOGRECORD); S_CAPTION is the user's caption when
/// read by the search.
class DATAMEDIATOR_EXPORT CLS_OperationLogEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    qint32 I_ID = 0;
    QString DT_RECORDTIME;
    QString S_USER;
    qint32 I_LOGTYPE = 0;
    qint32 I_LOGDETAILTYPE = 0;
    QString S_LOGDESCRIPTION;
    QString S_CAPTION;
};

/// Filter of the operation-log search and count; empty texts and -1 types are not filtered.
struct STRCT_OperationLogFilter
{
    QString m_strStartTime;
    QString m_strEndTime;
    QString m_strUserID;
    qint32 m_iLogType = -1;
    qint32 m_iLogDetailType = -1;  ///< only with a log type
    QString m_strDescription;      ///< matched as a part of the description
};

#endif  // CLS_RECFILEENTITY_H
