// Custom trees and passenger-flow trees: forwarders to CLS_CustomTreeEntityDAO and to the tree
// statements of CLS_PassengerFlowDAO.
#include "CLS_DataAccess.h"

#include "DataBase/EntityDao/PassengerFlow/CLS_PassengerFlowDAO.h"
#include "DataBase/EntityDao/Tree/CLS_CustomTreeEntityDAO.h"

#include <QDebug>

namespace {

// False (with the condition on the debug stream) for an empty id.
bool given(const QString& _strID, const char* _pszCondition)
{
    if (_strID.isEmpty()) {
        qDebug() << _pszCondition;
        return false;
    }
    return true;
}

CLS_CustomTreeEntityDAO& customDao()
{
    return *CLS_CustomTreeEntityDAO::GetInstance();
}

CLS_PassengerFlowDAO& passengerDao()
{
    return *CLS_PassengerFlowDAO::GetInstance();
}

}  // namespace

int CLS_DataAccess::GetRootNodes(QString _strUserID, QVector<CLS_CustomTreeNodesEntity*>& _vecNodes)
{
    if (!given(_strUserID, "_strUserID.isEmpty()")) {
        return -1;
    }
    return customDao().GetRootNodes(_strUserID, _vecNodes);
}

int CLS_DataAccess::GetChildNodes(QString _strUserID, QString _strParentID,
                                  QVector<CLS_CustomTreeNodesEntity*>& _vecNodes)
{
    if (!given(_strUserID, "_strUserID.isEmpty()") || !given(_strParentID, "_strParentID.isEmpty()")) {
        return -1;
    }
    return customDao().GetChildNodes(_strUserID, _strParentID, _vecNodes);
}

int CLS_DataAccess::GetRootChildNodes(QString _strUserID, QVector<CLS_CustomTreeEntity*>& _vecNodes)
{
    if (!given(_strUserID, "_strUserID.isEmpty()")) {
        return -1;
    }
    return customDao().GetRootChildNodes(_strUserID, _vecNodes);
}

int CLS_DataAccess::GetChildNodesTypePassenger(CLS_CustomTreeNodesEntity& _entity)
{
    if (!given(_entity.S_OBJ_ID, "_entity.S_OBJ_ID.isEmpty()")) {
        return -1;
    }
    return customDao().GetChildNodesTypePassenger(_entity);
}

qint64 CLS_DataAccess::InsertCustomTreeNode(const CLS_CustomTreeEntity& _entity, bool* _pbWritten)
{
    if (_pbWritten != nullptr) {
        *_pbWritten = false;
    }
    if (!given(_entity.S_ID, "_entity.S_ID.isEmpty()") || !given(_entity.S_USER_ID, "_entity.S_USER_ID.isEmpty()")) {
        return -1;
    }
    return customDao().InsertCustomTreeNode(_entity, _pbWritten);
}

int CLS_DataAccess::InsertCustomTreeNodeEx(const QVector<CLS_CustomTreeEntity*>& _vecNodes, bool* _pbWritten)
{
    return customDao().InsertCustomTreeNodeEx(_vecNodes, _pbWritten);
}

int CLS_DataAccess::UpdateCustomTreeNodeCaption(const CLS_CustomTreeEntity& _entity)
{
    if (!given(_entity.S_ID, "_entity.S_ID.isEmpty()")) {
        return -1;
    }
    return customDao().UpdateCustomTreeNodeCaption(_entity);
}

int CLS_DataAccess::SetCustomTreeNodeNum(QString _strNodeID, qint64 _iNum)
{
    if (!given(_strNodeID, "_strNodeID.isEmpty()")) {
        return -1;
    }
    return customDao().SetCustomTreeNodeNum(_strNodeID, _iNum);
}

int CLS_DataAccess::SetCustomTreeNodeNums(const QMap<QString, qint64>& _mapNums)
{
    return customDao().SetCustomTreeNodeNums(_mapNums);
}

int CLS_DataAccess::DeleteCustomTreeNode(QString _strNodeID)
{
    if (!given(_strNodeID, "_strNodeID.isEmpty()")) {
        return -1;
    }
    return customDao().DeleteCustomTreeNode(_strNodeID);
}

int CLS_DataAccess::DeleteCustomTreeNodesOfObjects(const QStringList& _lstObjIDs)
{
    return customDao().DeleteCustomTreeNodesOfObjects(_lstObjIDs);
}

int CLS_DataAccess::GetPassengerFlowTreeNodes(QString _strUserID, QString _strParentID,
                                              QVector<CLS_CustomTreeEntity*>& _vecNodes)
{
    return passengerDao().GetTreeNodes(_strUserID, _strParentID, _vecNodes);
}

int CLS_DataAccess::GetRootChildNodesTypePassenager(QString _strUserID,
                                                    QVector<CLS_CustomTreeNodesEntity*>& _vecNodes)
{
    if (!given(_strUserID, "_strUserID.isEmpty()")) {
        return -1;
    }
    return passengerDao().GetRootChildNodesType(_strUserID, _vecNodes);
}

int CLS_DataAccess::GetChildNodesTypePassenager(QString _strParentID, QVector<CLS_CustomTreeNodesEntity*>& _vecNodes)
{
    if (!given(_strParentID, "_strParentID.isEmpty()")) {
        return -1;
    }
    return passengerDao().GetChildNodesType(_strParentID, _vecNodes);
}

qint64 CLS_DataAccess::InsertPassengerFlowGroup(const CLS_CustomTreeEntity& _entity, bool* _pbWritten)
{
    if (_pbWritten != nullptr) {
        *_pbWritten = false;
    }
    if (!given(_entity.S_ID, "_entity.S_ID.isEmpty()") || !given(_entity.S_USER_ID, "_entity.S_USER_ID.isEmpty()")) {
        return -1;
    }
    return passengerDao().InsertGroup(_entity, _pbWritten);
}

int CLS_DataAccess::InsertPassengerFlowNodes(const QVector<CLS_CustomTreeEntity*>& _vecNodes,
                                             bool* _pbWritten)
{
    return passengerDao().InsertDeviceNodes(_vecNodes, _pbWritten);
}

int CLS_DataAccess::UpdatePassengerFlowNodeCaption(QString _strUserID, QString _strNodeID, QString _strCaption)
{
    if (!given(_strUserID, "_strUserID.isEmpty()") || !given(_strNodeID, "_strNodeID.isEmpty()")) {
        return -1;
    }
    return passengerDao().UpdateNodeCaption(_strUserID, _strNodeID, _strCaption);
}

int CLS_DataAccess::DeletePassengerFlowNodesOfObject(QString _strUserID, QString _strObjID)
{
    if (!given(_strUserID, "_strUserID.isEmpty()") || !given(_strObjID, "_strObjID.isEmpty()")) {
        return -1;
    }
    return passengerDao().DeleteNodesOfObject(_strUserID, _strObjID);
}

int CLS_DataAccess::DeletePassengerFlowTreeGroup(QString _strUserID, QString _strNodeID)
{
    if (!given(_strUserID, "_strUserID.isEmpty()") || !given(_strNodeID, "_strNodeID.isEmpty()")) {
        return -1;
    }
    return passengerDao().DeleteGroup(_strUserID, _strNodeID);
}

int CLS_DataAccess::DeletePassengerFlowDeviceNodes(QString _strUserID, QString _strObjID)
{
    if (!given(_strUserID, "_strUserID.isEmpty()")) {
        return -1;
    }
    return passengerDao().DeleteDeviceNodes(_strUserID, _strObjID);
}
