#include "CLS_HomeModulesDAO.h"

#include "Log.h"

CLS_HomeModulesDAO* CLS_HomeModulesDAO::GetInstance()
{
    static CLS_HomeModulesDAO* const s_pInstance = new CLS_HomeModulesDAO();
    return s_pInstance;
}

int CLS_HomeModulesDAO::GetHomeModules(QVector<CLS_HomeModulesEntity>& _vecModules)
{
    RecordSet* pRows = ExecuteQuery(m_strDbName, "SELECT * FROM TAB_DD_HOMEMODULES");
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_HomeModulesDAO::GetHomeModules pRecSet=null");
        return -1;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        CLS_HomeModulesEntity module;
        module.S_TITLE = pRow->value("S_TITLE");
        module.S_DES = pRow->value("S_DES");
        module.S_ICONPATH = pRow->value("S_ICONPATH");
        module.S_TYPE = pRow->value("S_TYPE");
        _vecModules.append(module);
    }
    FreeRecordSet(pRows);
    return 0;
}
