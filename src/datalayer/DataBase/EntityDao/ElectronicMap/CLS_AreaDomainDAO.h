// The read-only catalogue of areas (TAB_AREA) and the domain servers serving each area
// (TAB_AREADOMAIN, TAB_DOMAIN_SERVER).
#ifndef CLS_AREADOMAINDAO_H
#define CLS_AREADOMAINDAO_H

#include "CLS_ElectronicMapEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QVector>

class DATAMEDIATOR_EXPORT CLS_AreaDomainDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_AreaDomainDAO* GetInstance();

    /// Appends every area: for "CN" in pinyin order, for any other language with its name in
    /// that language and in the order of those names. 0 or -1.
    int GetAllArea(const QString& _qstrLanguage, QVector<CLS_AreaEntity>& _vecAreas);
    /// Appends every (area, domain server) pair. 0 or -1.
    int GetAllDomain(QVector<CLS_AreaDomainEntity>& _vecDomains);
    /// Appends the domain servers of one area. 0 or -1.
    int GetAreaDomainInfo(const QString& _qstrAreaId, QVector<CLS_AreaDomainEntity>& _vecDomains);

protected:
    CLS_AreaDomainDAO() = default;
};

#endif  // CLS_AREADOMAINDAO_H
