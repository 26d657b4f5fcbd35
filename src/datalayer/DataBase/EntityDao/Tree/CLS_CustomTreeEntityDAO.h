// The users' custom trees: TAB_USER_OBJ and VIEW_CUSTOM_TREE of the main database.
#ifndef CLS_CUSTOMTREEENTITYDAO_H
#define CLS_CUSTOMTREEENTITYDAO_H

#include "CLS_CustomTreeEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_CustomTreeEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_CustomTreeEntityDAO* GetInstance();
    virtual ~CLS_CustomTreeEntityDAO();

    // Readers append new entities (owned by the caller); 0, or -1 with nothing appended.
    /// The user's nodes at the root, by I_NUM, with the types of their objects.
    int GetRootNodes(const QString& _strUserID, QVector<CLS_CustomTreeNodesEntity*>& _vecNodes);
    /// The user's children of a node, by I_NUM, with the types and domains of their objects.
    int GetChildNodes(const QString& _strUserID, const QString& _strParentID,
                      QVector<CLS_CustomTreeNodesEntity*>& _vecNodes);
    /// The user's nodes at the root as stored.
    int GetRootChildNodes(const QString& _strUserID, QVector<CLS_CustomTreeEntity*>& _vecNodes);
    /// Type, domain and node id of a node referring to _entity.S_OBJ_ID; 0, or -1 when the
    /// query failed or no node refers to it.
    int GetChildNodesTypePassenger(CLS_CustomTreeNodesEntity& _entity);

    /// Stores a node; the I_NUM the server gave it, or -1. *_pbWritten (when given): whether
    /// the insert went through; a failure after it (the number could not be read back, the node
    /// was removed again) must not be answered with a second insert.
    qint64 InsertCustomTreeNode(const CLS_CustomTreeEntity& _entity, bool* _pbWritten = nullptr);
    /// Stores the nodes in one transaction and reads each one's I_NUM back into it. 0 or the
    /// failure; *_pbWritten as above.
    int InsertCustomTreeNodeEx(const QVector<CLS_CustomTreeEntity*>& _vecNodes, bool* _pbWritten = nullptr);
    int UpdateCustomTreeNodeCaption(const CLS_CustomTreeEntity& _entity);
    /// 0, or -1 on failure.
    int SetCustomTreeNodeNum(const QString& _strNodeID, qint64 _iNum);
    /// Node id -> I_NUM, in one transaction; 0 for an empty map, else 0 or -1.
    int SetCustomTreeNodeNums(const QMap<QString, qint64>& _mapNums);
    /// The node with every node below it, in one statement.
    int DeleteCustomTreeNode(const QString& _strNodeID);
    /// Every user's nodes referring to the objects, in one transaction; 0 for an empty list.
    int DeleteCustomTreeNodesOfObjects(const QStringList& _lstObjIDs);

protected:
    CLS_CustomTreeEntityDAO() = default;
};

#endif  // CLS_CUSTOMTREEENTITYDAO_H
