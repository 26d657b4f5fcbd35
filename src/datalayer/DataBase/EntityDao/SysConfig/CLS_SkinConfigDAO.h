// Skins of the client (TAB_DD_Skin).
#ifndef CLS_SKINCONFIGDAO_H
#define CLS_SKINCONFIGDAO_H

#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QMap>
#include <QString>

class DATAMEDIATOR_EXPORT CLS_SkinConfigDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_SkinConfigDAO* GetInstance();
    virtual ~CLS_SkinConfigDAO();

    /// Caption → abbreviation of every skin; empty when the read failed.
    QMap<QString, QString> GetSkins();

protected:
    CLS_SkinConfigDAO() = default;
};

#endif  // CLS_SKINCONFIGDAO_H
