// Settings and configuration: forwarders to CLS_ConfigDAO and the dictionary DAOs.
#include "CLS_DataAccess.h"

#include "DataBase/EntityDao/SysConfig/CLS_ConfigDAO.h"
#include "DataBase/EntityDao/SysConfig/CLS_DisplayFlagDAO.h"
#include "DataBase/EntityDao/SysConfig/CLS_HomeModulesDAO.h"
#include "DataBase/EntityDao/SysConfig/CLS_LangConfigDAO.h"
#include "DataBase/EntityDao/SysConfig/CLS_SkinConfigDAO.h"
#include "Log.h"

#include <exception>

const char* const CLS_DataAccess::kSoftwareTypeNoRecords = "r480";

namespace {

// Runs one DAO call; an exception becomes a level-4 line and the failure value.
template <typename T, typename F>
T guarded(const char* _pszOperation, T _failure, F&& _call)
{
    try {
        return _call();
    } catch (const std::exception& e) {
        DL_LOG(4, "%s exception %s", _pszOperation, e.what());
    } catch (...) {
        DL_LOG(4, "%s exception", _pszOperation);
    }
    return _failure;
}

}  // namespace

QString CLS_DataAccess::GetConfigValue(QString _strMainType, QString _strSubType, QString _strUserID)
{
    QString strValue;
    GetConfigValue(_strMainType, _strSubType, _strUserID, strValue);
    return strValue;
}

int CLS_DataAccess::GetConfigValue(const QString& _strMainType, const QString& _strSubType,
                                   const QString& _strUserID, QString& _strValue)
{
    return guarded("CLS_DataAccess::GetConfigValue", -1, [&] {
        return CLS_ConfigDAO::GetInstance()->GetConfigValue(_strMainType, _strSubType, _strUserID, _strValue);
    });
}

int CLS_DataAccess::SetConfigValue(QString _strMainType, QString _strSubType, QString _strValue,
                                   QString _strUserID)
{
    if (_strMainType.isEmpty() || _strSubType.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::SetConfigValue _strMainType.isEmpty() || _strSubType.isEmpty()");
        return -1;
    }
    return guarded("CLS_DataAccess::SetConfigValue", -1, [&] {
        return CLS_ConfigDAO::GetInstance()->SetConfigValue(_strMainType, _strSubType, _strValue, _strUserID);
    });
}

QMap<QString, QString> CLS_DataAccess::GetConfigMap(QString _strMainType)
{
    return guarded("CLS_DataAccess::GetConfigMap", QMap<QString, QString>(),
                   [&] { return CLS_ConfigDAO::GetInstance()->GetConfigMap(_strMainType); });
}

QMap<QString, QString> CLS_DataAccess::GetComConfig(QString _strMainType)
{
    return guarded("CLS_DataAccess::GetComConfig", QMap<QString, QString>(),
                   [&] { return CLS_ConfigDAO::GetInstance()->GetComConfig(_strMainType); });
}

int CLS_DataAccess::SaveComInfo(const QMap<QString, QString>& _mapValues)
{
    return guarded("CLS_DataAccess::SaveComInfo", -1,
                   [&] { return CLS_ConfigDAO::GetInstance()->SaveComInfo(_mapValues); });
}

int CLS_DataAccess::SavePersonalInfo(const QMap<QString, QString>& _mapValues)
{
    return guarded("CLS_DataAccess::SavePersonalInfo", -1,
                   [&] { return CLS_ConfigDAO::GetInstance()->SavePersonalInfo(_mapValues); });
}

STRCT_DeviceAddConfig CLS_DataAccess::GetDeviceAddConfig()
{
    return guarded("CLS_DataAccess::GetDeviceAddConfig", STRCT_DeviceAddConfig(),
                   [&] { return CLS_ConfigDAO::GetInstance()->GetDeviceAddConfig(); });
}

QMap<QString, QString> CLS_DataAccess::GetCurDisplayflag()
{
    return guarded("CLS_DataAccess::GetCurDisplayflag", QMap<QString, QString>(),
                   [&] { return CLS_DisplayFlagDAO::GetInstance()->GetDisplayFlags(); });
}

int CLS_DataAccess::RecoverDefaultDisplayFlag()
{
    return guarded("CLS_DataAccess::RecoverDefaultDisplayFlag", -1,
                   [&] { return CLS_DisplayFlagDAO::GetInstance()->RecoverDefaultDisplayFlag(); });
}

QMap<QString, QString> CLS_DataAccess::GetSkins()
{
    return guarded("CLS_DataAccess::GetSkins", QMap<QString, QString>(),
                   [&] { return CLS_SkinConfigDAO::GetInstance()->GetSkins(); });
}

QList<STRCT_LanguageInfo> CLS_DataAccess::GetLanguages()
{
    return guarded("CLS_DataAccess::GetLanguages", QList<STRCT_LanguageInfo>(),
                   [&] { return CLS_LangConfigDAO::GetInstance()->GetLanguages(); });
}

QMap<qint32, QString> CLS_DataAccess::GetLangDictionary(QString _strLangType)
{
    if (_strLangType.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetLangDictionary _strLangType.isEmpty()");
        return QMap<qint32, QString>();
    }
    return guarded("CLS_DataAccess::GetLangDictionary", QMap<qint32, QString>(),
                   [&] { return CLS_LangConfigDAO::GetInstance()->GetDictionary(_strLangType); });
}

QString CLS_DataAccess::GetLangDictionaryEntry(QString _strLangType, qint32 _iId)
{
    if (_strLangType.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetLangDictionaryEntry _strLangType.isEmpty()");
        return QString();
    }
    return guarded("CLS_DataAccess::GetLangDictionaryEntry", QString(),
                   [&] { return CLS_LangConfigDAO::GetInstance()->GetDictionaryEntry(_strLangType, _iId); });
}

int CLS_DataAccess::GetHomeModules(QVector<CLS_HomeModulesEntity>& _vecModules)
{
    return guarded("CLS_DataAccess::GetHomeModules", -1,
                   [&] { return CLS_HomeModulesDAO::GetInstance()->GetHomeModules(_vecModules); });
}

STRCT_DomainServerInfo CLS_DataAccess::GetDomainServerInfo()
{
    STRCT_DomainServerInfo fallback;
    fallback.m_strDomain = QLatin1String(CLS_ConfigDAO::kDefaultDomain);
    fallback.m_iPort = CLS_ConfigDAO::kDefaultDomainPort;
    return guarded("CLS_DataAccess::GetDomainServerInfo", fallback,
                   [&] { return CLS_ConfigDAO::GetInstance()->GetDomainServerInfo(); });
}

int CLS_DataAccess::GetSoftwareType(QString& _strType)
{
    QString strType;
    const int iRet =
        GetConfigValue(CLS_ConfigDAO::kSysConfig, QStringLiteral("SoftwareType"), QString(), strType);
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataAccess::GetSoftwareType iRet = %d", iRet);
        return iRet < 0 ? iRet : -1;
    }
    _strType = strType.isEmpty() ? QString::fromLatin1(kSoftwareTypeNoRecords) : strType;
    return 0;
}

QString CLS_DataAccess::GetSoftwareType()
{
    QString strType;
    return GetSoftwareType(strType) == 0 ? strType : QString();
}
