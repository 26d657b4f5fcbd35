// Products: the leaves of a product code in the data dictionary (TAB_DATA_DICTIONARY).
#ifndef CLS_PRODUCTENTITYDAO_H
#define CLS_PRODUCTENTITYDAO_H

#include "CLS_ProductEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QString>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_ProductEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call (no lock), never destroyed.
    static CLS_ProductEntityDAO* GetInstance();
    CLS_ProductEntityDAO();
    virtual ~CLS_ProductEntityDAO();

    /// Appends one new entity (owned by the caller) per leaf of the code; 0, or -1 when the
    /// server gave no record set.
    int GetProducts(const QString& _strCode, QVector<CLS_ProductEntity*>& _vecProducts);

    static void LoadProduct(const QMap<QString, QString>& _row, CLS_ProductEntity& _productEntity);
};

#endif  // CLS_PRODUCTENTITYDAO_H
