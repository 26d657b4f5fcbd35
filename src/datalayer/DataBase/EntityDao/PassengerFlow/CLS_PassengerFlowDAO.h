// The passenger-flow database ("Tessel-passengerFlow"). The users' passenger-flow trees
// (TAB_USER_OBJ and VIEW_CUSTOM_TREE there) are read and written in CLS_PassengerFlowDAOTree.cpp.
#ifndef CLS_PASSENGERFLOWDAO_H
#define CLS_PASSENGERFLOWDAO_H

#include "CLS_CustomTreeEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QString>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_PassengerFlowDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_PassengerFlowDAO* GetInstance();
    virtual ~CLS_PassengerFlowDAO();

    // ---- tree ----
    // Readers append new entities (owned by the caller); 0, or -1 with nothing appended.
    /// Stored nodes, of one user and one parent when they are given.
    int GetTreeNodes(const QString& _strUserID, const QString& _strParentID, QVector<CLS_CustomTreeEntity*>& _vecNodes);
    /// Children of a node by I_NUM (type 5 for a device node, 0 for a group).
    int GetChildNodesType(const QString& _strParentID, QVector<CLS_CustomTreeNodesEntity*>& _vecNodes);
    /// The user's nodes at the root by I_NUM.
    int GetRootChildNodesType(const QString& _strUserID, QVector<CLS_CustomTreeNodesEntity*>& _vecNodes);
    /// Stores a group node; the I_NUM the server gave it, or -1.
    int InsertGroup(const CLS_CustomTreeEntity& _entity);
    /// Stores device nodes in one transaction and reads each one's I_NUM back. 0 or the failure.
    int InsertDeviceNodes(const QVector<CLS_CustomTreeEntity*>& _vecNodes);
    int UpdateNodeCaption(const QString& _strUserID, const QString& _strNodeID, const QString& _strCaption);
    /// The user's nodes referring to the object.
    int DeleteNodesOfObject(const QString& _strUserID, const QString& _strObjID);
    /// The user's group node with its direct children.
    int DeleteGroup(const QString& _strUserID, const QString& _strNodeID);
    /// The user's device nodes: all of them, or those of one object.
    int DeleteDeviceNodes(const QString& _strUserID, const QString& _strObjID);

protected:
    CLS_PassengerFlowDAO();
};

#endif  // CLS_PASSENGERFLOWDAO_H
