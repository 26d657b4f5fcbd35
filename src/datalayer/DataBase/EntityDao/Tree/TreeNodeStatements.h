// The node insert shared by the custom-tree DAO and the passenger-flow DAO: the two tables have
// the same columns and differ only in their database and the names of the bind values.
#ifndef TREENODESTATEMENTS_H
#define TREENODESTATEMENTS_H

#include "CLS_CustomTreeEntity.h"
#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "Log.h"

namespace TreeNodes {

struct BindNames
{
    const char* pszUser;
    const char* pszID;
    const char* pszObj;
    const char* pszCaption;
    const char* pszParent;
    const char* pszReadSql;   ///< reads I_NUM of one node
    const char* pszReadBind;  ///< the node id in pszReadSql
};

/// I_NUM as stored: the server numbers siblings from the largest one, which may pass the range
/// of int. Empty, missing or invalid text gives _iDefault.
inline qint64 Num(const DeviceDao::Row& _row, qint64 _iDefault = 0)
{
    bool bOk = false;
    const qint64 i64Value = _row.value(QStringLiteral("I_NUM")).toLongLong(&bOk, 10);
    return bOk ? i64Value : _iDefault;
}

/// A node read with the type of its object (columns missing from the row stay empty or 0).
inline void LoadTypedNode(const DeviceDao::Row& _row, CLS_CustomTreeNodesEntity& _e)
{
    _e.S_ID = DeviceDao::Text(_row, "S_ID");
    _e.S_OBJ_ID = DeviceDao::Text(_row, "S_OBJ_ID");
    _e.m_iTreeNodeType = DeviceDao::Int(_row, "I_OBJ_TYPE_ID");
    _e.S_CAPTION = DeviceDao::Text(_row, "S_CAPTION");
    _e.S_DOMAIN_ID = DeviceDao::Text(_row, "S_DOMAIN_ID");
    _e.I_NUM = Num(_row);
}

/// The insert of one node; a group and a root node store NULL instead of an empty text.
inline QString InsertSql(const CLS_CustomTreeEntity& _e, const BindNames& _names, DeviceDao::Binds& _mapBind)
{
    QString strSql = QStringLiteral("Insert Into TAB_USER_OBJ (S_USER_ID,S_ID,S_OBJ_ID,S_CAPTION,S_PARENT_ID) Values(") +
                     _names.pszUser + "," + _names.pszID + ",";
    _mapBind.insert(_names.pszUser, _e.S_USER_ID);
    _mapBind.insert(_names.pszID, _e.S_ID);
    if (_e.S_OBJ_ID.isEmpty()) {
        strSql += "null,";
    } else {
        strSql += QString(_names.pszObj) + ",";
        _mapBind.insert(_names.pszObj, _e.S_OBJ_ID);
    }
    strSql += QString(_names.pszCaption) + ",";
    _mapBind.insert(_names.pszCaption, _e.S_CAPTION);
    if (_e.S_PARENT_ID.isEmpty()) {
        strSql += "null)";
    } else {
        strSql += QString(_names.pszParent) + ")";
        _mapBind.insert(_names.pszParent, _e.S_PARENT_ID);
    }
    return strSql;
}

/// The I_NUM the server gave the node; -1 when it cannot be read.
inline qint64 ReadNum(const QString& _strDbName, const BindNames& _names, const QString& _strNodeID)
{
    using namespace DeviceDao;
    const Rows rows(CLS_BaseEntityDAO::ExecuteQueryEx(_strDbName, _names.pszReadSql, {{_names.pszReadBind, _strNodeID}}));
    const Row* pRow = rows.First();
    return pRow != nullptr ? Num(*pRow, -1) : -1;
}

/// Removes nodes just stored whose numbers could not be read back, so that a failure leaves
/// nothing behind (as far as the server still answers).
inline void RemoveUnnumbered(const QString& _strDbName, const QStringList& _lstNodeIDs,
                             const char* _pszOperation)
{
    QList<QString> lstSql;
    QList<DeviceDao::Binds> lstBinds;
    for (const QString& strID : _lstNodeIDs) {
        lstSql.append(QStringLiteral("Delete From TAB_USER_OBJ Where S_ID = :nodeID"));
        lstBinds.append({{":nodeID", strID}});
    }
    const int iRet = CLS_BaseEntityDAO::ExecuteTransactionEx(_strDbName, lstSql, lstBinds);
    DL_LOG(2, "%s I_NUM not read back; nodes removed again iRet = %d", _pszOperation, iRet);
}

/// Stores one node; its I_NUM, or -1. *_pbWritten (when given) tells whether the insert itself
/// went through: after that a failure (the number could not be read back; the node is removed
/// again) must not be answered with a second insert.
inline qint64 InsertOne(const QString& _strDbName, const CLS_CustomTreeEntity& _entity,
                        const BindNames& _names, const char* _pszOperation, bool* _pbWritten)
{
    if (_pbWritten != nullptr) {
        *_pbWritten = false;
    }
    DeviceDao::Binds binds;
    const QString strSql = InsertSql(_entity, _names, binds);
    const int iRet = CLS_BaseEntityDAO::ExecuteEx(_strDbName, strSql, binds);
    if (iRet != 0) {
        DL_LOG(2, "%s iRet = %d", _pszOperation, iRet);
        return -1;
    }
    if (_pbWritten != nullptr) {
        *_pbWritten = true;
    }
    const qint64 i64Num = ReadNum(_strDbName, _names, _entity.S_ID);
    if (i64Num < 0) {
        RemoveUnnumbered(_strDbName, {_entity.S_ID}, _pszOperation);
    }
    return i64Num;
}

/// Stores the nodes in one transaction, then reads each one's I_NUM back into it. 0 or the
/// failure; *_pbWritten as for InsertOne (a node whose number cannot be read fails the call and
/// the nodes are removed again).
inline int InsertMany(const QString& _strDbName, const QVector<CLS_CustomTreeEntity*>& _vecNodes,
                      const BindNames& _names, const char* _pszOperation, bool* _pbWritten)
{
    if (_pbWritten != nullptr) {
        *_pbWritten = false;
    }
    QList<QString> lstSql;
    QList<DeviceDao::Binds> lstBinds;
    QStringList lstIDs;
    for (const CLS_CustomTreeEntity* pNode : _vecNodes) {
        if (pNode != nullptr) {
            DeviceDao::Binds binds;
            lstSql.append(InsertSql(*pNode, _names, binds));
            lstBinds.append(binds);
            lstIDs.append(pNode->S_ID);
        }
    }
    if (lstSql.isEmpty()) {
        return 0;
    }
    const int iRet = CLS_BaseEntityDAO::ExecuteTransactionEx(_strDbName, lstSql, lstBinds);
    if (iRet != 0) {
        DL_LOG(2, "%s iRet = %d", _pszOperation, iRet);
        return iRet < 0 ? iRet : -1;
    }
    if (_pbWritten != nullptr) {
        *_pbWritten = true;
    }
    for (CLS_CustomTreeEntity* pNode : _vecNodes) {
        if (pNode != nullptr) {
            pNode->I_NUM = ReadNum(_strDbName, _names, pNode->S_ID);
            if (pNode->I_NUM < 0) {
                RemoveUnnumbered(_strDbName, lstIDs, _pszOperation);
                return -1;
            }
        }
    }
    return 0;
}

}  // namespace TreeNodes

#endif  // TREENODESTATEMENTS_H
