// Electronic maps (TAB_ELECTRONICMAP) and the nodes placed on them (TAB_ELECTRONICMAPNODE). A
// node is identified by its object id together with its map: one object may sit on several maps.
#ifndef CLS_ELECTRONICMAPENTITYDAO_H
#define CLS_ELECTRONICMAPENTITYDAO_H

#include "CLS_ElectronicMapEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QList>
#include <QStringList>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_ElectronicMapEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_ElectronicMapEntityDAO* GetInstance();

    /// Appends every map, S_MapImg as stored. 0 or -1.
    int GetAllElectronicMap(QVector<CLS_ElectronicMapEntity>& _vecMaps);
    /// Appends the nodes of one map. 0 or -1.
    int GetElectronicMapNode(const QString& _qstrParentId, QVector<CLS_ElectronicMapNodeEntity>& _vecNodes);
    /// Stores the map with its picture encoded from m_baPicture and m_qstrFormat.
    int AddElectronicMap(const CLS_ElectronicMapEntity& _map);
    int ModifyElectronicMap(const CLS_ElectronicMapEntity& _map);
    int DeleteElectronicMap(const QString& _qstrId);

    /// Every node in one transaction; -1 without a request when one of them is null.
    int AddElectronicMapNode(const QList<CLS_ElectronicMapNodeEntity*>& _lstNodes);
    int AddOneElectronicMapNode(const CLS_ElectronicMapNodeEntity& _node);
    /// The nodes of one map, each with its new caption, type and place, in one transaction.
    int ModifyElectronicMapNode(const QString& _qstrParentId, const QList<CLS_ElectronicMapNodeEntity*>& _lstNodes);
    int ModifyOneElectronicMapNode(const CLS_ElectronicMapNodeEntity& _node);
    /// The caption of the object on every map.
    int RenameElectronicMapNode(const QString& _qstrId, const QString& _qstrCaption);
    /// The listed nodes of one map, in one transaction.
    int DeleteElectronicMapNode(const QString& _qstrParentId, const QStringList& _lstNodeIds);
    int DeleteOneElectronicMapNode(const QString& _qstrParentId, const QString& _qstrId);
    /// The object's nodes on every map.
    int DeleteNodeFromAllMaps(const QString& _qstrId);
    int DeleteAllNodesOfMap(const QString& _qstrParentId);

protected:
    CLS_ElectronicMapEntityDAO() = default;
};

#endif  // CLS_ELECTRONICMAPENTITYDAO_H
