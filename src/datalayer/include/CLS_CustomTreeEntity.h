// Nodes of the users' own trees (TAB_USER_OBJ): a group when S_OBJ_ID is empty, else a
// reference to a channel or an alarm point.
#ifndef CLS_CUSTOMTREEENTITY_H
#define CLS_CUSTOMTREEENTITY_H

#include "CLS_BaseEntity.h"

#include <QString>

/// A node as stored.
class DATAMEDIATOR_EXPORT CLS_CustomTreeEntity : public CLS_BaseEntity
{
public:
    CLS_CustomTreeEntity();
    ~CLS_CustomTreeEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_CAPTION;
    QString S_USER_ID;
    QString S_OBJ_ID;     ///< empty for a group
    QString S_PARENT_ID;  ///< empty at the root
    qint64 I_NUM = -1;    ///< order among siblings, assigned by the server; -1 until read
};

/// A node joined with the object it refers to.
class DATAMEDIATOR_EXPORT CLS_CustomTreeNodesEntity : public CLS_BaseEntity
{
public:
    CLS_CustomTreeNodesEntity();
    ~CLS_CustomTreeNodesEntity() override;
    TESSEL_ENTITY_FLAG(false)

    QString S_ID;
    QString S_OBJ_ID;
    int m_iTreeNodeType = 0;  ///< I_OBJ_TYPE_ID of the object; 0 for a group or an unknown object
    QString S_CAPTION;
    QString S_DOMAIN_ID;
    qint64 I_NUM = 0;
};

#endif  // CLS_CUSTOMTREEENTITY_H
