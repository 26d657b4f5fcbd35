// Decoders and the TV wall: decoders, their outputs and output regions, TVs and TV outputs,
// screen units, layouts and join templates. Plain records with one field per column.
#ifndef CLS_DECODERENTITIES_H
#define CLS_DECODERENTITIES_H

#include "CLS_BaseEntity.h"

#include <QString>
#include <QVector>

/// Object types of the TV-wall objects in TAB_OBJ.
enum DecoderObjType {
    kObjTypeDecoder = 8,
    kObjTypeDecoderOut = 9,
    kObjTypeDecoderOutRegion = 10,
    kObjTypeTV = 11,
    kObjTypeTVOut = 12,
    kObjTypeEncoderIn = 15,
    kObjTypeTVLayout = 44,
};

/// A decoder (VIEW_DEV_DECODER).
class DATAMEDIATOR_EXPORT CLS_DecEntity : public CLS_BaseEntity
{
public:
    CLS_DecEntity();
    ~CLS_DecEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_IP;
    qint32 I_PORT = 3000;
    QString S_USERNAME;
    QString S_PASSWORD;  ///< stored as given
    QString S_DESCRIPTION;
    qint32 I_DECODER_TYPE_ID = 0;
    QString S_CAPTION;
    QString S_PARENT_ID;
    qint32 I_HTTP_PORT = 80;
    qint32 I_OBJ_TYPE_ID = kObjTypeDecoder;  ///< written to TAB_OBJ, not a column of the view
    qint32 I_DECODER_IN_COUNT = 0;           ///< inputs made by the insert with inputs
};

/// A decoder output (VIEW_DEV_DECODER_OUT); the decoder is S_PARENT_ID.
class DATAMEDIATOR_EXPORT CLS_DecOutEntity : public CLS_BaseEntity
{
public:
    CLS_DecOutEntity();
    ~CLS_DecOutEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    qint32 I_NUM = 0;
    QString S_CAPTION;
    QString S_PARENT_ID;
    qint32 I_VISIBLE = 1;
    qint32 I_OBJ_TYPE_ID = kObjTypeDecoderOut;
};

/// A region of a decoder output, as fractions of the output (VIEW_DEV_DECODER_OUT_REGION).
class DATAMEDIATOR_EXPORT CLS_DecOutRegionEntity : public CLS_BaseEntity
{
public:
    CLS_DecOutRegionEntity();
    ~CLS_DecOutRegionEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    qint32 I_NUM = 0;
    double F_TOP = 0;
    double F_LEFT = 0;
    double F_WIDTH = 0;
    double F_HEIGHT = 0;
    QString S_CAPTION;
    QString S_PARENT_ID;  ///< the output
    qint32 I_OBJ_TYPE_ID = kObjTypeDecoderOutRegion;
};

/// A TV (VIEW_DEV_TV).
class DATAMEDIATOR_EXPORT CLS_TVEntity : public CLS_BaseEntity
{
public:
    CLS_TVEntity();
    ~CLS_TVEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_IP;
    qint32 I_PORT = 0;
    QString S_CAPTION;
};

/// A TV output with the decoder output region it shows (VIEW_VIEW_TV_OUT).
class DATAMEDIATOR_EXPORT CLS_TVOutEntity : public CLS_BaseEntity
{
public:
    CLS_TVOutEntity();
    ~CLS_TVOutEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_DECODER_OUT_REGION_ID;
    qint32 I_NUM = 0;
    QString S_CAPTION;
    QString S_PARENT_ID;
    QString S_DECODER_ID;
    qint32 I_DECODER_OUT_NUM = 0;
    qint32 I_DECODER_OUT_REGION_NUM = 0;
};

/// A screen unit of the TV wall (TAB_DEV_SCREEN_UNIT). I_TYPE 1 is a joined screen, whose
/// members carry it as S_PARENT_ID. The fields after the table's columns are filled by the
/// reads that join them.
class DATAMEDIATOR_EXPORT CLS_ScreenUnitEntity : public CLS_BaseEntity
{
public:
    CLS_ScreenUnitEntity();
    ~CLS_ScreenUnitEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    qint32 I_TYPE = 0;
    QString S_PARENT_ID;
    qint32 I_NUM = 0;
    QString S_DECODER_OUT_ID;  ///< empty: no output
    qint32 I_DECODER_OUT_NUM = 0;
    qint32 I_STYLE_X = 1;  ///< columns
    qint32 I_STYLE_Y = 1;  ///< rows
    QString S_PARAM;       ///< JSON object; "order" holds the order number as text
    QString S_CAPTION;
    double F_X = 0;
    double F_Y = 0;
    double F_W = 0;
    double F_H = 0;

    QString S_LAYOUT_ID;
    QString S_DECODER_ID;
    QString S_DECODER_IP;
    QString S_DECOUT_CAPTION;
    qint32 I_DECODER_NUM = 0;  ///< the output's own number (GetTvScreenInfo)
    qint32 I_ORDER = 0;        ///< "order" of S_PARAM
    qint32 I_DISPLAY_TYPE = 0;
    QVector<CLS_ScreenUnitEntity> m_vecMembers;  ///< members of a joined screen
};

/// A TV-wall layout: its object row, image and screens (rows of VIEW_TVLAYOUT).
class DATAMEDIATOR_EXPORT CLS_TVLayoutEntity : public CLS_BaseEntity
{
public:
    CLS_TVLayoutEntity();
    ~CLS_TVLayoutEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_CAPTION;
    QString S_IMG;
    QString S_PARENT_ID;
    qint32 I_OBJ_TYPE_ID = kObjTypeTVLayout;
    qint32 I_VISIBLE = 1;
    QVector<CLS_ScreenUnitEntity> m_vecScreens;
};

/// One region of a join template (S_CHAN_ID empty: no channel).
struct STRCT_TVJoinRegion
{
    QString S_ID;
    qint32 I_REGION_NO = 0;
    double F_LEFT = 0;
    double F_TOP = 0;
    double F_WIDTH = 0;
    double F_HEIGHT = 0;
    QString S_CHAN_ID;
};

/// A join template of a decoder output with its regions.
class DATAMEDIATOR_EXPORT CLS_TVJoinTemplateEntity : public CLS_BaseEntity
{
public:
    CLS_TVJoinTemplateEntity();
    ~CLS_TVJoinTemplateEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_CAPTION;
    QString S_DECODER_OUT_ID;
    QVector<STRCT_TVJoinRegion> m_vecRegions;
};

/// A region of a join template kept in the "JoinTemplate" setting.
struct STRCT_JoinTemplateRegion
{
    qint32 m_iRegionNo = 0;
    double m_dTop = 0;
    double m_dLeft = 0;
    double m_dWidth = 0;
    double m_dHeight = 0;
};

#endif  // CLS_DECODERENTITIES_H
