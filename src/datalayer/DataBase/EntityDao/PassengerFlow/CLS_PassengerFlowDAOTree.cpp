// The tree statements of CLS_PassengerFlowDAO.
#include "CLS_PassengerFlowDAO.h"

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "DataBase/EntityDao/Tree/TreeNodeStatements.h"
#include "Log.h"

using namespace DeviceDao;

namespace {

// Groups and device nodes share the insert, with binds of their own.
const TreeNodes::BindNames kGroupBinds{":UserID", ":id", ":ObjID", ":Caption", ":parentID",
                                       "Select I_NUM From TAB_USER_OBJ WHERE S_ID =:ID", ":ID"};
const TreeNodes::BindNames kDeviceBinds{":UserID", ":ID", ":ObjID", ":Caption", ":ParentID",
                                        "Select I_NUM From TAB_USER_OBJ WHERE S_ID =:ID", ":ID"};

}  // namespace

int CLS_PassengerFlowDAO::GetTreeNodes(const QString& _strUserID, const QString& _strParentID,
                                       QVector<CLS_CustomTreeEntity*>& _vecNodes)
{
    return Guarded("CLS_PassengerFlowDAO::GetTreeNodes", -1, [&] {
        QString strSql = QStringLiteral("select * from TAB_USER_OBJ where 1=1");
        Binds binds;
        if (!_strUserID.isEmpty()) {
            strSql += " and S_USER_ID=:UserID";
            binds.insert(":UserID", _strUserID);
        }
        if (!_strParentID.isEmpty()) {
            strSql += " and S_PARENT_ID=:ParentNodeID";
            binds.insert(":ParentNodeID", _strParentID);
        }
        strSql += " order by I_NUM asc";
        const int iRet = ReadEntities(ExecuteQueryEx(m_strDbName, strSql, binds), _vecNodes,
                                      [](const Row& _row, CLS_CustomTreeEntity& _e) {
                                          _e.S_PARENT_ID = Text(_row, "S_PARENT_ID");
                                          _e.S_ID = Text(_row, "S_ID");
                                          _e.S_CAPTION = Text(_row, "S_CAPTION");
                                          _e.S_OBJ_ID = Text(_row, "S_OBJ_ID");
                                          _e.S_USER_ID = Text(_row, "S_USER_ID");
                                          _e.I_NUM = TreeNodes::Num(_row);
                                      });
        if (iRet != 0) {
            DL_LOG(2, "CLS_PassengerFlowDAO::GetTreeNodes nullptr == pRecSet");
        }
        return iRet;
    });
}

int CLS_PassengerFlowDAO::GetChildNodesType(const QString& _strParentID, QVector<CLS_CustomTreeNodesEntity*>& _vecNodes)
{
    return Guarded("CLS_PassengerFlowDAO::GetChildNodesType", -1, [&] {
        const int iRet = ReadEntities(ExecuteQueryEx(m_strDbName,
                                                     "SELECT S_OBJ_ID, S_CAPTION,I_NUM, S_ID "
                                                     "FROM TAB_USER_OBJ "
                                                     "WHERE S_PARENT_ID= :pid "
                                                     "ORDER BY I_NUM ASC",
                                                     {{":pid", _strParentID}}),
                                      _vecNodes, [](const Row& _row, CLS_CustomTreeNodesEntity& _e) {
                                          TreeNodes::LoadTypedNode(_row, _e);
                                          // Device nodes of this tree are counting cameras.
                                          _e.m_iTreeNodeType = _e.S_OBJ_ID.isEmpty() ? 0 : 5;
                                      });
        if (iRet != 0) {
            DL_LOG(2, "CLS_PassengerFlowDAO::GetChildNodesType nullptr == pRecSet");
        }
        return iRet;
    });
}

int CLS_PassengerFlowDAO::GetRootChildNodesType(const QString& _strUserID,
                                                QVector<CLS_CustomTreeNodesEntity*>& _vecNodes)
{
    return Guarded("CLS_PassengerFlowDAO::GetRootChildNodesType", -1, [&] {
        const int iRet =
            ReadEntities(ExecuteQueryEx(m_strDbName,
                                        "SELECT S_ID, S_OBJ_ID, I_OBJ_TYPE_ID, S_CAPTION, S_PARENT_ID, S_USER_ID, I_NUM "
                                        "FROM VIEW_CUSTOM_TREE "
                                        "WHERE S_USER_ID= :uid AND S_PARENT_ID IS NULL "
                                        "ORDER BY I_NUM ASC",
                                        {{":uid", _strUserID}}),
                         _vecNodes, TreeNodes::LoadTypedNode);
        if (iRet != 0) {
            DL_LOG(2, "CLS_PassengerFlowDAO::GetRootChildNodesType nullptr == pRecSet");
        }
        return iRet;
    });
}

qint64 CLS_PassengerFlowDAO::InsertGroup(const CLS_CustomTreeEntity& _entity, bool* _pbWritten)
{
    return Guarded("CLS_PassengerFlowDAO::InsertGroup", qint64(-1), [&] {
        return TreeNodes::InsertOne(m_strDbName, _entity, kGroupBinds, "CLS_PassengerFlowDAO::InsertGroup",
                                    _pbWritten);
    });
}

int CLS_PassengerFlowDAO::InsertDeviceNodes(const QVector<CLS_CustomTreeEntity*>& _vecNodes, bool* _pbWritten)
{
    return Guarded("CLS_PassengerFlowDAO::InsertDeviceNodes", -1, [&] {
        return TreeNodes::InsertMany(m_strDbName, _vecNodes, kDeviceBinds,
                                     "CLS_PassengerFlowDAO::InsertDeviceNodes", _pbWritten);
    });
}

int CLS_PassengerFlowDAO::UpdateNodeCaption(const QString& _strUserID, const QString& _strNodeID,
                                            const QString& _strCaption)
{
    return Guarded("CLS_PassengerFlowDAO::UpdateNodeCaption", -1, [&] {
        return ExecuteEx(m_strDbName,
                         "Update TAB_USER_OBJ Set S_CAPTION =:NewName where S_ID =:TreeNodeID and S_USER_ID=:UserID",
                         {{":NewName", _strCaption}, {":TreeNodeID", _strNodeID}, {":UserID", _strUserID}});
    });
}

int CLS_PassengerFlowDAO::DeleteNodesOfObject(const QString& _strUserID, const QString& _strObjID)
{
    return Guarded("CLS_PassengerFlowDAO::DeleteNodesOfObject", -1, [&] {
        return ExecuteEx(m_strDbName, "delete from TAB_USER_OBJ where S_OBJ_ID=:TreeNode and S_USER_ID=:UserID",
                         {{":TreeNode", _strObjID}, {":UserID", _strUserID}});
    });
}

int CLS_PassengerFlowDAO::DeleteGroup(const QString& _strUserID, const QString& _strNodeID)
{
    return Guarded("CLS_PassengerFlowDAO::DeleteGroup", -1, [&] {
        return ExecuteEx(m_strDbName,
                         QStringLiteral("delete from TAB_USER_OBJ where S_USER_ID=:UserID ") +
                             "and (S_ID =:NodeID or S_PARENT_ID=:NodeID)",
                         {{":UserID", _strUserID}, {":NodeID", _strNodeID}});
    });
}

int CLS_PassengerFlowDAO::DeleteDeviceNodes(const QString& _strUserID, const QString& _strObjID)
{
    return Guarded("CLS_PassengerFlowDAO::DeleteDeviceNodes", -1, [&] {
        if (_strObjID.isEmpty()) {
            return ExecuteEx(m_strDbName, "delete from TAB_USER_OBJ where S_USER_ID=:UserID and S_OBJ_ID is not null",
                             {{":UserID", _strUserID}});
        }
        return ExecuteEx(m_strDbName, "delete from TAB_USER_OBJ where S_USER_ID=:UserID and S_OBJ_ID =:ObjID",
                         {{":UserID", _strUserID}, {":ObjID", _strObjID}});
    });
}
