// Languages (TAB_DD_LANG) and their dictionaries (TAB_DD_LANG_DICTIONARY).
#ifndef CLS_LANGCONFIGDAO_H
#define CLS_LANGCONFIGDAO_H

#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "STRCT_SettingRecords.h"

#include <QList>
#include <QMap>
#include <QString>

class DATAMEDIATOR_EXPORT CLS_LangConfigDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_LangConfigDAO* GetInstance();
    virtual ~CLS_LangConfigDAO();

    /// Every language; empty when the read failed.
    QList<STRCT_LanguageInfo> GetLanguages();
    /// Entry id → text of one language's dictionary, in id order.
    QMap<qint32, QString> GetDictionary(const QString& _strLangType);
    /// One entry of a language's dictionary; empty when there is none.
    QString GetDictionaryEntry(const QString& _strLangType, qint32 _iId);

protected:
    CLS_LangConfigDAO() = default;
};

#endif  // CLS_LANGCONFIGDAO_H
