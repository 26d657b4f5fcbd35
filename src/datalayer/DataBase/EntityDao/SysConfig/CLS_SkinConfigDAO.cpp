#include "CLS_SkinConfigDAO.h"

#include "Log.h"

CLS_SkinConfigDAO* CLS_SkinConfigDAO::GetInstance()
{
    static CLS_SkinConfigDAO* const s_pInstance = new CLS_SkinConfigDAO();
    return s_pInstance;
}

CLS_SkinConfigDAO::~CLS_SkinConfigDAO() = default;

QMap<QString, QString> CLS_SkinConfigDAO::GetSkins()
{
    QMap<QString, QString> mapSkins;
    RecordSet* pRows = ExecuteQuery(m_strDbName, "select S_CAPTION,S_ABBR from TAB_DD_Skin");
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_SkinConfigDAO::GetSkins pRecSet=null");
        return mapSkins;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        mapSkins.insert(pRow->value("S_CAPTION"), pRow->value("S_ABBR"));
    }
    FreeRecordSet(pRows);
    return mapSkins;
}
