#include "CLS_ProductEntityDAO.h"

#include "DeviceDaoSupport.h"

using namespace DeviceDao;

CLS_ProductEntityDAO* CLS_ProductEntityDAO::GetInstance()
{
    static CLS_ProductEntityDAO* const s_pInstance = new CLS_ProductEntityDAO();
    return s_pInstance;
}

CLS_ProductEntityDAO::CLS_ProductEntityDAO() = default;

CLS_ProductEntityDAO::~CLS_ProductEntityDAO() = default;

void CLS_ProductEntityDAO::LoadProduct(const QMap<QString, QString>& _row, CLS_ProductEntity& e)
{
    e.S_ID = Text(_row, "S_ID");
    e.S_PARENTID = Text(_row, "S_PARENTID");
    e.S_CODE = Text(_row, "S_CODE");
    e.S_KEY = Text(_row, "S_KEY");
    e.S_VALUE = Text(_row, "S_VALUE");
}

int CLS_ProductEntityDAO::GetProducts(const QString& _strCode, QVector<CLS_ProductEntity*>& _vecProducts)
{
    return Guarded("CLS_ProductEntityDAO::GetProducts", -1, [&] {
        return ReadEntities(
            ExecuteQueryEx(m_strDbName,
                           QStringLiteral("SELECT S_ID, S_PARENTID, S_CODE, S_KEY, S_VALUE FROM "
                                          "TAB_DATA_DICTIONARY WHERE S_CODE = :CODE and I_HASCHILD=0"),
                           Binds{{":CODE", _strCode}}),
            _vecProducts, &CLS_ProductEntityDAO::LoadProduct);
    });
}
