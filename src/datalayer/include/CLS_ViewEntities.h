// Saved views with their channels, view-cruise entries and group-switching rows.
#ifndef CLS_VIEWENTITIES_H
#define CLS_VIEWENTITIES_H

#include "CLS_BaseEntity.h"

#include <QString>
#include <QVector>

/// One window of a view: the channel shown, its stream type, the panel and the tree node.
struct STRCT_ViewChannel
{
    QString S_CAMERA_ID;
    qint32 I_DATA_TYPE = 0;
    qint32 I_PANEL_NUM = 0;
    QString S_TREENODE_ID;
};

/// A view (TAB_VIEW) with the layout it belongs to (empty for none) and its channels in row
/// order. A view without channels has an empty channel vector.
class DATAMEDIATOR_EXPORT CLS_ViewEntity : public CLS_BaseEntity
{
public:
    CLS_ViewEntity();
    ~CLS_ViewEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;  ///< a new id is made on insert when empty
    QString S_CAPTION;
    QString S_PARAM;
    QString S_LAYOUT_ID;
    qint32 I_TYPE = 0;
    qint32 I_ISTEMPLATE = 0;
    QVector<STRCT_ViewChannel> m_vecChannels;
};

/// One entry of a user's view cruise, with the caption and type of its view.
class DATAMEDIATOR_EXPORT CLS_ViewCruiseEntity : public CLS_BaseEntity
{
public:
    CLS_ViewCruiseEntity();
    ~CLS_ViewCruiseEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_USER_ID;
    QString S_VIEW_ID;
    qint32 I_TIME = 10;  ///< seconds on screen
    qint32 I_SEQUENCE = 0;
    QString S_CAPTION;
    qint32 I_TYPE = 0;
};

/// One group of a user's group switching.
class DATAMEDIATOR_EXPORT CLS_GroupSwitchEntity : public CLS_BaseEntity
{
public:
    CLS_GroupSwitchEntity();
    ~CLS_GroupSwitchEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_GROUP_ID;
    QString S_USER_ID;
    QString S_GROUP_NAME;
    qint32 I_SCREEN_STYLE = 0;
    qint32 I_SWITCH_TIME = 0;
};

/// Id and caption of a view, as the lists by type and by layout give them.
struct STRCT_ViewCaption
{
    QString S_ID;
    QString S_CAPTION;
};

#endif  // CLS_VIEWENTITIES_H
