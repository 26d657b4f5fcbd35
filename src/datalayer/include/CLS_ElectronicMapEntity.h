// Electronic maps with their nodes, and the read-only catalogue of areas and domain servers.
#ifndef CLS_ELECTRONICMAPENTITY_H
#define CLS_ELECTRONICMAPENTITY_H

#include "CLS_BaseEntity.h"
#include "DataMediatorExport.h"

#include <QByteArray>
#include <QString>

/// One TAB_ELECTRONICMAP row. Writers give the picture as m_baPicture in m_qstrFormat ("png",
/// "jpeg", ...); readers get S_MapImg as stored: "image/<format>;base64:<Base64 bytes>".
class DATAMEDIATOR_EXPORT CLS_ElectronicMapEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_Caption;
    QByteArray m_baPicture;
    QString m_qstrFormat;
    QString S_MapImg;
    qint32 I_PicWidth = 0;
    qint32 I_PicHeight = 0;

    /// The stored text of a picture.
    static QString EncodePicture(const QByteArray& _baPicture, const QString& _qstrFormat);
};

/// One TAB_ELECTRONICMAPNODE row: an object placed on the map S_ParentID.
class DATAMEDIATOR_EXPORT CLS_ElectronicMapNodeEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_Caption;
    qint32 I_NodeType = 0;
    QString S_ParentID;
    qint32 I_NodeX = 0;
    qint32 I_NodeY = 0;
};

/// One TAB_AREA row; S_CAPTION is the name in the language asked for (empty for "CN").
class DATAMEDIATOR_EXPORT CLS_AreaEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    qint32 I_INDEX = 0;
    QString S_CODE;
    QString S_ISOCODE;
    QString S_DOMAINABBR;
    QString S_PINYIN;
    qint32 I_CAPTION = 0;
    QString S_CAPTION;
};

/// A domain server of an area (TAB_AREADOMAIN joined with TAB_DOMAIN_SERVER).
class DATAMEDIATOR_EXPORT CLS_AreaDomainEntity : public CLS_BaseEntity
{
public:
    TESSEL_ENTITY_FLAG(false)

    QString S_AREAID;
    QString S_ID;
    qint32 I_TYPE = 0;
    qint32 I_INDEX = 0;
    QString S_DOMAIN;
};

#endif  // CLS_ELECTRONICMAPENTITY_H
