#include "CLS_CustomTreeEntityDAO.h"

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "Log.h"
#include "TreeNodeStatements.h"

using namespace DeviceDao;

using TreeNodes::LoadTypedNode;

CLS_CustomTreeEntityDAO* CLS_CustomTreeEntityDAO::GetInstance()
{
    static CLS_CustomTreeEntityDAO* const s_pInstance = new CLS_CustomTreeEntityDAO();
    return s_pInstance;
}

CLS_CustomTreeEntityDAO::~CLS_CustomTreeEntityDAO() = default;

int CLS_CustomTreeEntityDAO::GetRootNodes(const QString& _strUserID, QVector<CLS_CustomTreeNodesEntity*>& _vecNodes)
{
    return Guarded("CLS_CustomTreeEntityDAO::GetRootNodes", -1, [&] {
        const int iRet = ReadEntities(
            ExecuteQueryEx(m_strDbName,
                           "SELECT S_ID, S_OBJ_ID, I_OBJ_TYPE_ID, S_CAPTION, S_PARENT_ID, S_USER_ID, I_NUM "
                           "FROM VIEW_CUSTOM_TREE "
                           "WHERE S_USER_ID= :uid AND S_PARENT_ID IS NULL "
                           "ORDER BY I_NUM ASC",
                           {{":uid", _strUserID}}),
            _vecNodes, LoadTypedNode);
        if (iRet != 0) {
            DL_LOG(2, "CLS_CustomTreeEntityDAO::GetRootNodes nullptr == pRecSet");
        }
        return iRet;
    });
}

int CLS_CustomTreeEntityDAO::GetChildNodes(const QString& _strUserID, const QString& _strParentID,
                                           QVector<CLS_CustomTreeNodesEntity*>& _vecNodes)
{
    return Guarded("CLS_CustomTreeEntityDAO::GetChildNodes", -1, [&] {
        const int iRet = ReadEntities(
            ExecuteQueryEx(m_strDbName,
                           "Select TAB_USER_OBJ.S_ID,TAB_USER_OBJ.S_OBJ_ID,TAB_OBJ.I_OBJ_TYPE_ID,"
                           "TAB_USER_OBJ.S_CAPTION, TAB_OBJ.S_DOMAIN_ID, TAB_USER_OBJ.I_NUM "
                           "From TAB_USER_OBJ LEFT JOIN TAB_OBJ ON TAB_USER_OBJ.S_OBJ_ID = TAB_OBJ.S_ID "
                           "WHERE TAB_USER_OBJ.S_USER_ID= :uid AND TAB_USER_OBJ.S_PARENT_ID= :pid "
                           "ORDER BY TAB_USER_OBJ.I_NUM ASC",
                           {{":uid", _strUserID}, {":pid", _strParentID}}),
            _vecNodes, LoadTypedNode);
        if (iRet != 0) {
            DL_LOG(2, "CLS_CustomTreeEntityDAO::GetChildNodes nullptr == pRecSet");
        }
        return iRet;
    });
}

int CLS_CustomTreeEntityDAO::GetRootChildNodes(const QString& _strUserID, QVector<CLS_CustomTreeEntity*>& _vecNodes)
{
    return Guarded("CLS_CustomTreeEntityDAO::GetRootChildNodes", -1, [&] {
        return ReadEntities(ExecuteQueryEx(m_strDbName,
                                           QStringLiteral("Select ") +
                                               "S_USER_ID,S_OBJ_ID,S_ID,S_CAPTION,S_PARENT_ID,I_NUM" +
                                               " From TAB_USER_OBJ" +
                                               " WHERE S_USER_ID =:uid  AND S_PARENT_ID IS NULL",
                                           {{":uid", _strUserID}}),
                            _vecNodes, [](const Row& _row, CLS_CustomTreeEntity& _e) {
                                _e.S_USER_ID = Text(_row, "S_USER_ID");
                                _e.S_OBJ_ID = Text(_row, "S_OBJ_ID");
                                _e.S_ID = Text(_row, "S_ID");
                                _e.S_CAPTION = Text(_row, "S_CAPTION");
                                _e.S_PARENT_ID = Text(_row, "S_PARENT_ID");
                                _e.I_NUM = TreeNodes::Num(_row);
                            });
    });
}

int CLS_CustomTreeEntityDAO::GetChildNodesTypePassenger(CLS_CustomTreeNodesEntity& _entity)
{
    try {
        const Rows rows(ExecuteQueryEx(m_strDbName,
                                       "SELECT TAB_OBJ.I_OBJ_TYPE_ID, TAB_OBJ.S_DOMAIN_ID,TAB_USER_OBJ.S_ID "
                                       "FROM TAB_USER_OBJ LEFT JOIN TAB_OBJ ON TAB_OBJ.S_ID=TAB_USER_OBJ.S_OBJ_ID "
                                       "WHERE TAB_OBJ.S_ID= :sid",
                                       {{":sid", _entity.S_OBJ_ID}}));
        if (rows.Failed()) {
            DL_LOG(2, "CLS_CustomTreeEntityDAO::GetChildNodesTypePassenger nullptr == pRecSet");
            return -1;
        }
        const Row* pRow = rows.First();
        if (pRow == nullptr) {
            return -1;
        }
        _entity.m_iTreeNodeType = Int(*pRow, "I_OBJ_TYPE_ID");
        _entity.S_DOMAIN_ID = Text(*pRow, "S_DOMAIN_ID");
        _entity.S_ID = Text(*pRow, "S_ID");
        return 0;
    } catch (...) {
        DL_LOG(4, "CLS_CustomTreeEntityDAO::GetChildNodesTypePassenger catch (...)");
        return -1;
    }
}

namespace {

const TreeNodes::BindNames kBinds{":treeUserID", ":treeID", ":treeObjID", ":treeCaption", ":treeParentID",
                                  "Select I_NUM From TAB_USER_OBJ WHERE S_ID = :treeID", ":treeID"};

}  // namespace

qint64 CLS_CustomTreeEntityDAO::InsertCustomTreeNode(const CLS_CustomTreeEntity& _entity, bool* _pbWritten)
{
    return Guarded("CLS_CustomTreeEntityDAO::InsertCustomTreeNode", qint64(-1), [&] {
        return TreeNodes::InsertOne(m_strDbName, _entity, kBinds,
                                    "CLS_CustomTreeEntityDAO::InsertCustomTreeNode", _pbWritten);
    });
}

int CLS_CustomTreeEntityDAO::InsertCustomTreeNodeEx(const QVector<CLS_CustomTreeEntity*>& _vecNodes,
                                                    bool* _pbWritten)
{
    return Guarded("CLS_CustomTreeEntityDAO::InsertCustomTreeNodeEx", -1, [&] {
        return TreeNodes::InsertMany(m_strDbName, _vecNodes, kBinds,
                                     "CLS_CustomTreeEntityDAO::InsertCustomTreeNodeEx", _pbWritten);
    });
}

int CLS_CustomTreeEntityDAO::UpdateCustomTreeNodeCaption(const CLS_CustomTreeEntity& _entity)
{
    return Guarded("CLS_CustomTreeEntityDAO::UpdateCustomTreeNodeCaption", -1, [&] {
        return ExecuteEx(m_strDbName,
                         QStringLiteral("Update TAB_USER_OBJ Set ") + "S_CAPTION = :treeCaption  where S_ID = :treeID",
                         {{":treeCaption", _entity.S_CAPTION}, {":treeID", _entity.S_ID}});
    });
}

int CLS_CustomTreeEntityDAO::SetCustomTreeNodeNum(const QString& _strNodeID, qint64 _iNum)
{
    return Guarded("CLS_CustomTreeEntityDAO::SetCustomTreeNodeNum", -1, [&] {
        const int iRet = ExecuteEx(m_strDbName,
                                   "Update TAB_USER_OBJ Set I_NUM = '" + QString::number(_iNum) + "' " +
                                       "Where  TAB_USER_OBJ.S_ID= :nid",
                                   {{":nid", _strNodeID}});
        return iRet == 0 ? 0 : -1;
    });
}

int CLS_CustomTreeEntityDAO::SetCustomTreeNodeNums(const QMap<QString, qint64>& _mapNums)
{
    return Guarded("CLS_CustomTreeEntityDAO::SetCustomTreeNodeNums", -1, [&] {
        if (_mapNums.isEmpty()) {
            return 0;
        }
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        for (auto it = _mapNums.cbegin(); it != _mapNums.cend(); ++it) {
            lstSql.append("Update TAB_USER_OBJ Set I_NUM = " + QString::number(it.value()) +
                          " Where TAB_USER_OBJ.S_ID= :nid");
            lstBinds.append({{":nid", it.key()}});
        }
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds) == 0 ? 0 : -1;
    });
}

int CLS_CustomTreeEntityDAO::DeleteCustomTreeNode(const QString& _strNodeID)
{
    return Guarded("CLS_CustomTreeEntityDAO::DeleteCustomTreeNode", -1, [&] {
        // The nodes below go with it: left behind they could never be shown or reached again.
        return ExecuteEx(m_strDbName,
                         "WITH RECURSIVE SUB(ID) AS (SELECT :nID UNION "
                         "SELECT TAB_USER_OBJ.S_ID FROM TAB_USER_OBJ JOIN SUB ON TAB_USER_OBJ.S_PARENT_ID = SUB.ID) "
                         "Delete From TAB_USER_OBJ Where S_ID IN (SELECT ID FROM SUB)",
                         {{":nID", _strNodeID}});
    });
}

int CLS_CustomTreeEntityDAO::DeleteCustomTreeNodesOfObjects(const QStringList& _lstObjIDs)
{
    return Guarded("CLS_CustomTreeEntityDAO::DeleteCustomTreeNodesOfObjects", -1, [&] {
        if (_lstObjIDs.isEmpty()) {
            return 0;
        }
        // The ids are bound rather than spliced between quotes.
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        for (const QString& strID : _lstObjIDs) {
            lstSql.append(QStringLiteral("Delete From TAB_USER_OBJ Where S_OBJ_ID = :objID"));
            lstBinds.append({{":objID", strID}});
        }
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}
