#include "CLS_ElectronicMapEntityDAO.h"

#include "DataBase/EntityDao/DB/EntityRows.h"

namespace {

const char kInsertNode[] =
    "Insert Into TAB_ELECTRONICMAPNODE ( S_ID, S_Caption, I_NodeType, S_ParentID, I_NodeX,I_NodeY) "
    "Values (:s_ID, :Caption, :NodeType, :ParentID, :NodeX , :NodeY )";
const char kUpdateNode[] =
    "UPDATE TAB_ELECTRONICMAPNODE SET "
    "S_Caption = :Caption,"
    "I_NodeType = :NodeType,"
    "I_NodeX = :NodeX,"
    "I_NodeY = :NodeY"
    " WHERE S_ID = :s_ID"
    " AND S_ParentID = :ParentID";
const char kDeleteNode[] = "DELETE FROM TAB_ELECTRONICMAPNODE WHERE S_ID = :s_ID AND S_ParentID = :s_ParentID";

QMap<QString, QVariant> nodeBinds(const CLS_ElectronicMapNodeEntity& _node, const QString& _qstrParentId)
{
    return {{":s_ID", _node.S_ID},         {":Caption", _node.S_Caption}, {":NodeType", _node.I_NodeType},
            {":ParentID", _qstrParentId}, {":NodeX", _node.I_NodeX},     {":NodeY", _node.I_NodeY}};
}

QMap<QString, QVariant> mapBinds(const CLS_ElectronicMapEntity& _map)
{
    return {{":s_ID", _map.S_ID},
            {":Caption", _map.S_Caption},
            {":MapImg", CLS_ElectronicMapEntity::EncodePicture(_map.m_baPicture, _map.m_qstrFormat)},
            {":PicWidth", QString::number(_map.I_PicWidth)},
            {":PicHeight", QString::number(_map.I_PicHeight)}};
}

}  // namespace

CLS_ElectronicMapEntityDAO* CLS_ElectronicMapEntityDAO::GetInstance()
{
    static CLS_ElectronicMapEntityDAO* const s_pInstance = new CLS_ElectronicMapEntityDAO();
    return s_pInstance;
}

int CLS_ElectronicMapEntityDAO::GetAllElectronicMap(QVector<CLS_ElectronicMapEntity>& _vecMaps)
{
    return ReadEntities(
        m_strDbName, "SELECT * FROM TAB_ELECTRONICMAP", {}, _vecMaps,
        [](const QMap<QString, QString>& _row) {
            CLS_ElectronicMapEntity map;
            map.S_ID = _row.value("S_ID");
            map.S_Caption = _row.value("S_Caption");
            map.S_MapImg = _row.value("S_MapImg");
            map.I_PicWidth = _row.value("I_PicWidth").toInt();
            map.I_PicHeight = _row.value("I_PicHeight").toInt();
            return map;
        },
        "CLS_ElectronicMapEntityDAO::GetAllElectronicMap");
}

int CLS_ElectronicMapEntityDAO::GetElectronicMapNode(const QString& _qstrParentId,
                                                     QVector<CLS_ElectronicMapNodeEntity>& _vecNodes)
{
    return ReadEntities(
        m_strDbName, "SELECT * FROM TAB_ELECTRONICMAPNODE  WHERE S_PARENTID = :parentId", {{":parentId", _qstrParentId}},
        _vecNodes,
        [](const QMap<QString, QString>& _row) {
            CLS_ElectronicMapNodeEntity node;
            node.S_ID = _row.value("S_ID");
            node.S_Caption = _row.value("S_Caption");
            node.I_NodeType = _row.value("I_NodeType").toInt();
            node.S_ParentID = _row.value("S_ParentID");
            node.I_NodeX = _row.value("I_NodeX").toInt();
            node.I_NodeY = _row.value("I_NodeY").toInt();
            return node;
        },
        "CLS_ElectronicMapEntityDAO::GetElectronicMapNode");
}

int CLS_ElectronicMapEntityDAO::AddElectronicMap(const CLS_ElectronicMapEntity& _map)
{
    const int iRet = ExecuteEx(m_strDbName,
                               "Insert Into TAB_ELECTRONICMAP ( S_ID, S_Caption, S_MapImg, I_PicWidth, I_PicHeight)"
                               "        Values (:s_ID, :Caption, :MapImg, :PicWidth, :PicHeight )",
                               mapBinds(_map));
    if (iRet != 0) {
        DL_LOG(2, "CLS_ElectronicMapEntityDAO::AddElectronicMap iRet = %d", iRet);
    }
    return iRet;
}

int CLS_ElectronicMapEntityDAO::ModifyElectronicMap(const CLS_ElectronicMapEntity& _map)
{
    const int iRet = ExecuteEx(m_strDbName,
                               "UPDATE TAB_ELECTRONICMAP SET "
                               "S_Caption = :Caption,"
                               "S_MapImg = :MapImg,"
                               "I_PicWidth = :PicWidth,"
                               "I_PicHeight = :PicHeight"
                               " WHERE S_ID = :s_ID",
                               mapBinds(_map));
    if (iRet != 0) {
        DL_LOG(2, "CLS_ElectronicMapEntityDAO::ModifyElectronicMap iRet = %d", iRet);
    }
    return iRet;
}

int CLS_ElectronicMapEntityDAO::DeleteElectronicMap(const QString& _qstrId)
{
    return ExecuteEx(m_strDbName, "DELETE FROM TAB_ELECTRONICMAP WHERE S_ID = :s_ID", {{":s_ID", _qstrId}});
}

int CLS_ElectronicMapEntityDAO::AddElectronicMapNode(const QList<CLS_ElectronicMapNodeEntity*>& _lstNodes)
{
    QList<QString> lstSql;
    QList<QMap<QString, QVariant>> lstBinds;
    for (const CLS_ElectronicMapNodeEntity* pNodeEntity : _lstNodes) {
        if (pNodeEntity == nullptr) {
            DL_LOG(2, "CLS_ElectronicMapEntityDAO::AddElectronicMapNode pNodeEntity is nullptr");
            return -1;
        }
        lstSql.append(kInsertNode);
        lstBinds.append(nodeBinds(*pNodeEntity, pNodeEntity->S_ParentID));
    }
    return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
}

int CLS_ElectronicMapEntityDAO::AddOneElectronicMapNode(const CLS_ElectronicMapNodeEntity& _node)
{
    return ExecuteEx(m_strDbName, kInsertNode, nodeBinds(_node, _node.S_ParentID));
}

int CLS_ElectronicMapEntityDAO::ModifyElectronicMapNode(const QString& _qstrParentId,
                                                        const QList<CLS_ElectronicMapNodeEntity*>& _lstNodes)
{
    QList<QString> lstSql;
    QList<QMap<QString, QVariant>> lstBinds;
    for (const CLS_ElectronicMapNodeEntity* pNodeEntity : _lstNodes) {
        if (pNodeEntity == nullptr) {
            DL_LOG(2, "CLS_ElectronicMapEntityDAO::ModifyElectronicMapNode pNodeEntity is nullptr");
            return -1;
        }
        lstSql.append(kUpdateNode);
        lstBinds.append(nodeBinds(*pNodeEntity, _qstrParentId));
    }
    return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
}

int CLS_ElectronicMapEntityDAO::ModifyOneElectronicMapNode(const CLS_ElectronicMapNodeEntity& _node)
{
    return ExecuteEx(m_strDbName, kUpdateNode, nodeBinds(_node, _node.S_ParentID));
}

int CLS_ElectronicMapEntityDAO::RenameElectronicMapNode(const QString& _qstrId, const QString& _qstrCaption)
{
    return ExecuteEx(m_strDbName,
                     "UPDATE TAB_ELECTRONICMAPNODE SET "
                     "S_Caption = :Caption"
                     " WHERE S_ID = :s_ID",
                     {{":Caption", _qstrCaption}, {":s_ID", _qstrId}});
}

int CLS_ElectronicMapEntityDAO::DeleteElectronicMapNode(const QString& _qstrParentId, const QStringList& _lstNodeIds)
{
    QList<QString> lstSql;
    QList<QMap<QString, QVariant>> lstBinds;
    for (const QString& qstrId : _lstNodeIds) {
        lstSql.append(kDeleteNode);
        lstBinds.append({{":s_ID", qstrId}, {":s_ParentID", _qstrParentId}});
    }
    return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
}

int CLS_ElectronicMapEntityDAO::DeleteOneElectronicMapNode(const QString& _qstrParentId, const QString& _qstrId)
{
    return ExecuteEx(m_strDbName, kDeleteNode, {{":s_ID", _qstrId}, {":s_ParentID", _qstrParentId}});
}

int CLS_ElectronicMapEntityDAO::DeleteNodeFromAllMaps(const QString& _qstrId)
{
    return ExecuteEx(m_strDbName, "DELETE FROM TAB_ELECTRONICMAPNODE WHERE S_ID = :s_ID", {{":s_ID", _qstrId}});
}

int CLS_ElectronicMapEntityDAO::DeleteAllNodesOfMap(const QString& _qstrParentId)
{
    return ExecuteEx(m_strDbName, "DELETE FROM TAB_ELECTRONICMAPNODE WHERE  S_ParentID = :s_ParentID",
                     {{":s_ParentID", _qstrParentId}});
}
