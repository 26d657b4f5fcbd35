// Electronic maps with their nodes, and the area catalogue with its domain servers; the areas
// read last are kept for the domain look-ups.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "Log.h"

#include <algorithm>

int CLS_DataMediator::GetAllElectronicMap(QVector<CLS_ElectronicMapEntity>& _vecMaps)
{
    return CLS_DataAccess::GetInstance().GetAllElectronicMap(_vecMaps);
}

int CLS_DataMediator::GetElectronicMapNode(QString _qstrParentId, QVector<CLS_ElectronicMapNodeEntity>& _vecNodes)
{
    return CLS_DataAccess::GetInstance().GetElectronicMapNode(_qstrParentId, _vecNodes);
}

int CLS_DataMediator::AddElectronicMap(const CLS_ElectronicMapEntity& _map)
{
    return CLS_DataAccess::GetInstance().AddElectronicMap(_map);
}

int CLS_DataMediator::ModifyElectronicMap(const CLS_ElectronicMapEntity& _map)
{
    return CLS_DataAccess::GetInstance().ModifyElectronicMap(_map);
}

int CLS_DataMediator::DeleteElectronicMap(QString _qstrId)
{
    return CLS_DataAccess::GetInstance().DeleteElectronicMap(_qstrId);
}

int CLS_DataMediator::AddElectronicMapNode(const QList<CLS_ElectronicMapNodeEntity*>& _lstNodes)
{
    return CLS_DataAccess::GetInstance().AddElectronicMapNode(_lstNodes);
}

int CLS_DataMediator::AddOneElectronicMapNode(const CLS_ElectronicMapNodeEntity& _node)
{
    return CLS_DataAccess::GetInstance().AddOneElectronicMapNode(_node);
}

int CLS_DataMediator::ModifyElectronicMapNode(QString _qstrParentId,
                                              const QList<CLS_ElectronicMapNodeEntity*>& _qlistNodeEntity)
{
    if (_qstrParentId.isEmpty() || _qlistNodeEntity.isEmpty()) {
        DL_LOG(2, "CLS_DataMediator::ModifyElectronicMapNode _qstrParentId.isEmpty() || _qlistNodeEntity.isEmpty()");
        return -1;
    }
    return CLS_DataAccess::GetInstance().ModifyElectronicMapNode(_qstrParentId, _qlistNodeEntity);
}

int CLS_DataMediator::ModifyOneElectronicMapNode(const CLS_ElectronicMapNodeEntity& _node)
{
    return CLS_DataAccess::GetInstance().ModifyOneElectronicMapNode(_node);
}

int CLS_DataMediator::RenameElectronicMapNode(QString _qstrId, QString _qstrCaption)
{
    return CLS_DataAccess::GetInstance().RenameElectronicMapNode(_qstrId, _qstrCaption);
}

int CLS_DataMediator::DeleteElectronicMapNode(QString _qstrParentId, const QStringList& _qlistNodeID)
{
    if (_qstrParentId.isEmpty() || _qlistNodeID.isEmpty()) {
        DL_LOG(2, "CLS_DataMediator::DeleteElectronicMapNode _qstrParentId.isEmpty() || _qlistNodeID.isEmpty()");
        return -1;
    }
    return CLS_DataAccess::GetInstance().DeleteElectronicMapNode(_qstrParentId, _qlistNodeID);
}

int CLS_DataMediator::DeleteOneElectronicMapNode(QString _qstrParentId, QString _qstrId)
{
    return CLS_DataAccess::GetInstance().DeleteOneElectronicMapNode(_qstrParentId, _qstrId);
}

int CLS_DataMediator::DeleteNodeFromAllMaps(QString _qstrId)
{
    return CLS_DataAccess::GetInstance().DeleteNodeFromAllMaps(_qstrId);
}

int CLS_DataMediator::DeleteAllNodesOfMap(QString _qstrParentId)
{
    return CLS_DataAccess::GetInstance().DeleteAllNodesOfMap(_qstrParentId);
}

int CLS_DataMediator::GetAllArea(QString _qstrLanguage, QVector<CLS_AreaEntity>& _vecAreas)
{
    QVector<CLS_AreaEntity> qvecAreaEntitys;
    const int iRet = CLS_DataAccess::GetInstance().GetAllArea(_qstrLanguage, qvecAreaEntitys);
    if (iRet != 0) {
        DL_LOG(3, "CLS_DataMediator::GetAllArea GetAllArea is fail iRet = [%d]", iRet);
        return iRet;
    }
    if (qvecAreaEntitys.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::GetAllArea GetAllArea qvecAreaEntitys is empty");
    }
    m_qvecAreaList = qvecAreaEntitys;
    _vecAreas = qvecAreaEntitys;
    return 0;
}

int CLS_DataMediator::GetAreaDomainInfo(QString _qstrAreaUUID, QVector<CLS_AreaDomainEntity>& _vecDomains)
{
    if (_qstrAreaUUID.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::GetAreaDomainInfo _qstrAreaUUID is invalid");
        return -1;
    }
    if (m_qvecAreaList.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::GetAreaDomainInfo m_qvecAreaList is empty");
        return -1;
    }
    const bool bKnown = std::any_of(m_qvecAreaList.cbegin(), m_qvecAreaList.cend(),
                                    [&](const CLS_AreaEntity& _area) { return _area.S_ID == _qstrAreaUUID; });
    if (!bKnown) {
        DL_LOG(3, "CLS_DataMediator::GetAreaDomainInfo area uuid is invalid");
        return -1;
    }
    const int iRet = CLS_DataAccess::GetInstance().GetAreaDomainInfo(_qstrAreaUUID, _vecDomains);
    if (iRet != 0) {
        DL_LOG(3, "CLS_DataMediator::GetAreaDomainInfo GetAreaDomainInfo fail iRet = [%d]", iRet);
    }
    return iRet;
}

int CLS_DataMediator::GetAllDomain(QMap<QString, QVector<CLS_AreaDomainEntity>>& _mapDomains)
{
    QVector<CLS_AreaDomainEntity> vecDomains;
    const int iRet = CLS_DataAccess::GetInstance().GetAllDomain(vecDomains);
    if (iRet != 0) {
        DL_LOG(3, "CLS_DataMediator::GetAllDomain GetAllDomain fail iRet = [%d]", iRet);
        return iRet;
    }
    QMap<QString, QVector<CLS_AreaDomainEntity>> qmapDomains;
    for (const CLS_AreaDomainEntity& domain : vecDomains) {
        qmapDomains[domain.S_AREAID].append(domain);
    }
    if (qmapDomains.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::GetAllDomain qmapDomains is empty");
        return -1;
    }
    _mapDomains = qmapDomains;
    return 0;
}

int CLS_DataMediator::GetDomainInfoByAreaID(QString _qstrAreaId, QVector<CLS_AreaDomainEntity>& _vecDomains)
{
    QMap<QString, QVector<CLS_AreaDomainEntity>> qmapDomains;
    const int iRet = GetAllDomain(qmapDomains);
    if (iRet != 0) {
        DL_LOG(3, "CLS_DataMediator::GetDomainInfoByAreaID GetAllDomain fail iRet = [%d]", iRet);
        return iRet;
    }
    const auto it = qmapDomains.constFind(_qstrAreaId);
    if (it == qmapDomains.cend()) {
        DL_LOG(3, "CLS_DataMediator::GetDomainInfoByAreaID can not find this domain");
        return -1;
    }
    _vecDomains = it.value();
    return 0;
}
