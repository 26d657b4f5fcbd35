// Face libraries, their persons, channel bindings, per-host recognition mode and the
// synchronisation task queue.
#ifndef CLS_FACELIBENTITIES_H
#define CLS_FACELIBENTITIES_H

#include "CLS_BaseEntity.h"
#include "DataMediatorExport.h"

#include <QString>

/// One TAB_FACELIB_INFO row.
class DATAMEDIATOR_EXPORT CLS_FaceLibInfoEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_CAPTION;
    QString DT_TIME;  ///< "yyyy-MM-dd hh:mm:ss"
};

/// One TAB_PERSON_INFO row; the library id and caption when read through the membership join.
class DATAMEDIATOR_EXPORT CLS_FaceInfoEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_NAME;
    QString S_NUMBER;  ///< the person's number, text that may hold digits
    QString S_CARDNO;
    qint32 I_SEX = 0;
    QString S_TELEPHONE;
    QString DT_BIRTHDAY;
    QString S_COUNTRY;
    QString S_PROVINCE;
    QString S_CITY;
    QString S_ADDRESS;
    QString S_COMPANY;
    qint32 I_IDCARD_TYPE = 0;
    QString S_IDCARD_NO;
    QString S_FACEPIC_PATH;
    QString S_FACELIB_ID;
    QString S_FACELIB_CAPTION;
};

/// Criteria of the person searches; empty texts and a negative sex are not filtered on.
struct STRCT_FacePersonQuery {
    QString m_qstrID;
    QString m_qstrNumber;
    QString m_qstrName;  ///< matched as a part of the name
    qint32 m_iSex = -1;
};

/// One TAB_FACELIB_CHANNEL_REL row: a library bound to a channel of a host.
class DATAMEDIATOR_EXPORT CLS_ChannelTargetEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_CHANNEL_ID;
    QString S_HOST_ID;
    QString S_FACELIB_ID;
    qint32 I_SIMILARITY = 0;
    qint32 I_STATUS = 0;
    qint32 I_ENABLE = 0;
    QString S_STATUS_CAPTION;
};

/// One TAB_CONFIG_CHANNEL_FACE row.
class DATAMEDIATOR_EXPORT CLS_ChanFaceDistinguishConfigEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_HOST_ID;
    qint32 I_DISTINGUISH_TYPE = 0;
};

/// One task of TAB_FACELIB_HOST_SYNC_TASK or TAB_FACELIB_HOST_SYNC_FAIL (with S_ERROR); the
/// person fields when read through the person join.
class DATAMEDIATOR_EXPORT CLS_FaceLibSyncTaskEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_TARGETLIB_ID;
    QString S_HOST_ID;
    QString S_CHAN_ID;
    QString S_FINGER_OR_CARD_ID;
    QString S_PERSON_ID;
    qint32 I_OPT_CMD = 0;
    qint32 I_SUB_CMD = 0;
    QString DT_OPT_TIME;
    QString S_NAME;
    QString S_ERROR;
    QString S_NUMBER;
    QString S_CARDNO;
    qint32 I_SEX = 0;
    QString DT_BIRTHDAY;
    QString S_FACEPIC_PATH;
};

/// Criteria of the failure-table operations: each text when non-empty, each number when >= 0.
struct STRCT_FaceSyncTaskQuery {
    QString m_qstrTaskId;
    qint32 m_iOptCmd = -1;
    qint32 m_iSubCmd = -1;
    QString m_qstrPersonLibId;
    QString m_qstrPersonId;
    QString m_qstrFingerOrCardId;
    QString m_qstrHostId;
    QString m_qstrChanId;
    QString m_qstrOptTime;
};

#endif  // CLS_FACELIBENTITIES_H
