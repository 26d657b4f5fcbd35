// Face captures (monthly tables TAB_INTELLIGENT_FACE_CAPTURE<yyyyMM>) and their search
// condition.
#ifndef CLS_INTELLIGENTDATARECENTITY_H
#define CLS_INTELLIGENTDATARECENTITY_H

#include "CLS_BaseEntity.h"

#include <QString>
#include <QStringList>

class DATAMEDIATOR_EXPORT CLS_IntelligentDataRecEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_HOST_ID;
    QString S_CHANNEL_ID;
    QString S_CHANNEL_NAME;
    qint32 I_AGE_TYPE = 0;
    qint32 I_GENDER_TYPE = 0;
    qint32 I_TEMPERATURE_TYPE = 0;
    qint32 I_MASKS_TYPE = 0;
    qint32 I_GLASSES_TYPE = 0;
    qint64 I_FILE_SIZE = 0;  ///< KiB
    QString S_BIG_PATH;
    QString S_SMALL_PATH;
    QString DT_CAPTURE;  ///< "yyyy-MM-dd hh:mm:ss"
    QString S_TEMPERATURE_VALUE;
    QString S_NAME;
    QString S_NEGPIC_PATH;
    qint32 I_FACEKEY = 0;
    qint32 I_SIMILARITY = 0;
    qint32 I_SEQ = 0;
};

/// Condition of the face-capture search and count. A type of -2 is not filtered.
class DATAMEDIATOR_EXPORT CLS_IntelligentDataRecSearchEntity
{
public:
    static constexpr qint32 kAny = -2;

    QString m_strStartTime;  ///< "yyyy-MM-dd hh:mm:ss"; empty: open
    QString m_strEndTime;
    qint32 m_iGender = kAny;
    qint32 m_iAge = kAny;
    qint32 m_iMasks = kAny;
    qint32 m_iGlasses = kAny;
    qint32 m_iTemperature = kAny;
    qint32 m_iPageSize = 0;    ///< below 1: every row
    qint32 m_iPageNumber = 1;  ///< from 1
    QStringList m_lstChannelIDs;  ///< empty: every channel
};

#endif  // CLS_INTELLIGENTDATARECENTITY_H
