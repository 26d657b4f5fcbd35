#include "CLS_DisplayFlagDAO.h"

#include "CLS_ConfigDAO.h"
#include "Log.h"

CLS_DisplayFlagDAO* CLS_DisplayFlagDAO::GetInstance()
{
    static CLS_DisplayFlagDAO* const s_pInstance = new CLS_DisplayFlagDAO();
    return s_pInstance;
}

CLS_DisplayFlagDAO::CLS_DisplayFlagDAO() = default;

CLS_DisplayFlagDAO::~CLS_DisplayFlagDAO() = default;

QString CLS_DisplayFlagDAO::FlagText(int _iIndex)
{
    switch (_iIndex) {
        case 1:
            return QStringLiteral("small");
        case 2:
            return QStringLiteral("big");
        default:
            return QStringLiteral("system");
    }
}

void CLS_DisplayFlagDAO::LoadFlags()
{
    RecordSet* pRows = ExecuteQuery(m_strDbName, "select S_CAPTION,S_ABBR from TAB_DD_DISPLAYFLAG");
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_DisplayFlagDAO::LoadFlags pRecSet=null");
        return;
    }
    m_mapFlags.clear();
    for (const QMap<QString, QString>* pRow : *pRows) {
        m_mapFlags.insert(pRow->value("S_CAPTION"), pRow->value("S_ABBR"));
    }
    m_bLoaded = !m_mapFlags.isEmpty();
    FreeRecordSet(pRows);
}

QMap<QString, QString> CLS_DisplayFlagDAO::GetDisplayFlags()
{
    if (!m_bLoaded) {
        LoadFlags();
    }
    return m_mapFlags;
}

int CLS_DisplayFlagDAO::RecoverDefaultDisplayFlag()
{
    QString strTable;
    if (CLS_ConfigDAO::PersonalTableName(strTable) != 0) {
        DL_LOG(3, "CLS_DisplayFlagDAO::RecoverDefaultDisplayFlag GetSysId fail iRet = %d", -1);
        return -1;
    }
    // Like the settings save: a fresh system has no personal table until it is made.
    const int iRet = CLS_ConfigDAO::GetInstance()->CreatePersonalTab(strTable);
    if (iRet != 0) {
        return iRet;
    }
    return ExecuteEx(m_strDbName,
                     QString("UPDATE %1 SET S_VALUE=:flag WHERE S_SUB_TYPE='DisplayFlag'").arg(QuoteIdentifier(strTable)),
                     {{":flag", FlagText(0)}});
}
