// Electronic maps and areas: forwarders to CLS_ElectronicMapEntityDAO and CLS_AreaDomainDAO.
#include "CLS_DataAccess.h"
#include "Log.h"

#include "DataBase/EntityDao/ElectronicMap/CLS_AreaDomainDAO.h"
#include "DataBase/EntityDao/ElectronicMap/CLS_ElectronicMapEntityDAO.h"

namespace {

CLS_ElectronicMapEntityDAO* mapDao()
{
    return CLS_ElectronicMapEntityDAO::GetInstance();
}

}  // namespace

int CLS_DataAccess::GetAllElectronicMap(QVector<CLS_ElectronicMapEntity>& _vecMaps)
{
    return mapDao()->GetAllElectronicMap(_vecMaps);
}

int CLS_DataAccess::GetElectronicMapNode(QString _qstrParentId, QVector<CLS_ElectronicMapNodeEntity>& _vecNodes)
{
    if (_qstrParentId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetElectronicMapNode _qstrParentId.isEmpty()");
        return -1;
    }
    return mapDao()->GetElectronicMapNode(_qstrParentId, _vecNodes);
}

int CLS_DataAccess::AddElectronicMap(const CLS_ElectronicMapEntity& _map)
{
    if (_map.S_ID.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::AddElectronicMap _map.S_ID.isEmpty()");
        return -1;
    }
    return mapDao()->AddElectronicMap(_map);
}

int CLS_DataAccess::ModifyElectronicMap(const CLS_ElectronicMapEntity& _map)
{
    if (_map.S_ID.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::ModifyElectronicMap _map.S_ID.isEmpty()");
        return -1;
    }
    return mapDao()->ModifyElectronicMap(_map);
}

int CLS_DataAccess::DeleteElectronicMap(QString _qstrId)
{
    if (_qstrId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::DeleteElectronicMap _qstrId.isEmpty()");
        return -1;
    }
    return mapDao()->DeleteElectronicMap(_qstrId);
}

int CLS_DataAccess::AddElectronicMapNode(const QList<CLS_ElectronicMapNodeEntity*>& _lstNodes)
{
    if (_lstNodes.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::AddElectronicMapNode _lstNodes.isEmpty()");
        return -1;
    }
    return mapDao()->AddElectronicMapNode(_lstNodes);
}

int CLS_DataAccess::AddOneElectronicMapNode(const CLS_ElectronicMapNodeEntity& _node)
{
    return mapDao()->AddOneElectronicMapNode(_node);
}

int CLS_DataAccess::ModifyElectronicMapNode(QString _qstrParentId, const QList<CLS_ElectronicMapNodeEntity*>& _lstNodes)
{
    return mapDao()->ModifyElectronicMapNode(_qstrParentId, _lstNodes);
}

int CLS_DataAccess::ModifyOneElectronicMapNode(const CLS_ElectronicMapNodeEntity& _node)
{
    return mapDao()->ModifyOneElectronicMapNode(_node);
}

int CLS_DataAccess::RenameElectronicMapNode(QString _qstrId, QString _qstrCaption)
{
    if (_qstrId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::RenameElectronicMapNode _qstrId.isEmpty()");
        return -1;
    }
    return mapDao()->RenameElectronicMapNode(_qstrId, _qstrCaption);
}

int CLS_DataAccess::DeleteElectronicMapNode(QString _qstrParentId, const QStringList& _lstNodeIds)
{
    return mapDao()->DeleteElectronicMapNode(_qstrParentId, _lstNodeIds);
}

int CLS_DataAccess::DeleteOneElectronicMapNode(QString _qstrParentId, QString _qstrId)
{
    if (_qstrParentId.isEmpty() || _qstrId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::DeleteOneElectronicMapNode _qstrParentId.isEmpty() || _qstrId.isEmpty()");
        return -1;
    }
    return mapDao()->DeleteOneElectronicMapNode(_qstrParentId, _qstrId);
}

int CLS_DataAccess::DeleteNodeFromAllMaps(QString _qstrId)
{
    if (_qstrId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::DeleteNodeFromAllMaps _qstrId.isEmpty()");
        return -1;
    }
    return mapDao()->DeleteNodeFromAllMaps(_qstrId);
}

int CLS_DataAccess::DeleteAllNodesOfMap(QString _qstrParentId)
{
    if (_qstrParentId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::DeleteAllNodesOfMap _qstrParentId.isEmpty()");
        return -1;
    }
    return mapDao()->DeleteAllNodesOfMap(_qstrParentId);
}

int CLS_DataAccess::GetAllArea(QString _qstrLanguage, QVector<CLS_AreaEntity>& _vecAreas)
{
    return CLS_AreaDomainDAO::GetInstance()->GetAllArea(_qstrLanguage, _vecAreas);
}

int CLS_DataAccess::GetAllDomain(QVector<CLS_AreaDomainEntity>& _vecDomains)
{
    return CLS_AreaDomainDAO::GetInstance()->GetAllDomain(_vecDomains);
}

int CLS_DataAccess::GetAreaDomainInfo(QString _qstrAreaId, QVector<CLS_AreaDomainEntity>& _vecDomains)
{
    if (_qstrAreaId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetAreaDomainInfo _qstrAreaId.isEmpty()");
        return -1;
    }
    return CLS_AreaDomainDAO::GetInstance()->GetAreaDomainInfo(_qstrAreaId, _vecDomains);
}
