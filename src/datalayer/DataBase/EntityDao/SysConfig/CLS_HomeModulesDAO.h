// The home-page modules (TAB_DD_HOMEMODULES, read only).
#ifndef CLS_HOMEMODULESDAO_H
#define CLS_HOMEMODULESDAO_H

#include "CLS_HomeModulesEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QVector>

class DATAMEDIATOR_EXPORT CLS_HomeModulesDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_HomeModulesDAO* GetInstance();

    /// Appends every module in table order. 0, or -1 when the read failed.
    int GetHomeModules(QVector<CLS_HomeModulesEntity>& _vecModules);

protected:
    CLS_HomeModulesDAO() = default;
};

#endif  // CLS_HOMEMODULESDAO_H
