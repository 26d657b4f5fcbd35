#include "CLS_LangConfigDAO.h"

#include "Log.h"

CLS_LangConfigDAO* CLS_LangConfigDAO::GetInstance()
{
    static CLS_LangConfigDAO* const s_pInstance = new CLS_LangConfigDAO();
    return s_pInstance;
}

CLS_LangConfigDAO::~CLS_LangConfigDAO() = default;

QList<STRCT_LanguageInfo> CLS_LangConfigDAO::GetLanguages()
{
    QList<STRCT_LanguageInfo> lstLanguages;
    RecordSet* pRows =
        ExecuteQuery(m_strDbName, "select S_CAPTION,S_ABBR,I_LOCALEVALUE,S_FONTFAMILY from TAB_DD_LANG");
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_LangConfigDAO::GetLanguages pRecSet=null");
        return lstLanguages;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        STRCT_LanguageInfo info;
        info.m_strCaption = pRow->value("S_CAPTION");
        info.m_strAbbr = pRow->value("S_ABBR");
        info.m_iLocaleValue = pRow->value("I_LOCALEVALUE").toInt();
        info.m_strFontFamily = pRow->value("S_FONTFAMILY");
        lstLanguages.append(info);
    }
    FreeRecordSet(pRows);
    return lstLanguages;
}

QMap<qint32, QString> CLS_LangConfigDAO::GetDictionary(const QString& _strLangType)
{
    QMap<qint32, QString> mapEntries;
    // The language is bound rather than written between quotes.
    RecordSet* pRows = ExecuteQueryEx(
        m_strDbName,
        "select I_ID,S_CAPTION from TAB_DD_LANG_DICTIONARY  where S_LANG_TYPE=:type order by I_ID asc",
        {{":type", _strLangType}});
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_LangConfigDAO::GetDictionary pRecSet=null");
        return mapEntries;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        mapEntries.insert(pRow->value("I_ID").toInt(), pRow->value("S_CAPTION"));
    }
    FreeRecordSet(pRows);
    return mapEntries;
}

QString CLS_LangConfigDAO::GetDictionaryEntry(const QString& _strLangType, qint32 _iId)
{
    RecordSet* pRows =
        ExecuteQueryEx(m_strDbName,
                       "select S_CAPTION from TAB_DD_LANG_DICTIONARY  where S_LANG_TYPE = :type and I_ID = " +
                           IntToString(_iId),
                       {{":type", _strLangType}});
    QString strText;
    if (pRows != nullptr && !pRows->isEmpty()) {
        strText = pRows->first()->value("S_CAPTION");
    }
    FreeRecordSet(pRows);
    return strText;
}
