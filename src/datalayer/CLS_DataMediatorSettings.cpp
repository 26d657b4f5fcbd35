// Settings: the "MAINTYPE_SYSCONFIG" record with its defaults and stored forms, version, last
// open modules, home modules, display flags, the dynamic-DNS server and language numbers.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace {

const char kSysConfig[] = "MAINTYPE_SYSCONFIG";
const char kViewConfig[] = "MAINTYPE_VIEWCONFIG";
const char kLastOpenModules[] = "LastOpenModules";

// Reads the stored values of one group with the conversions of the settings record. A key
// missing from the group takes the default given by the caller.
class SettingReader
{
public:
    explicit SettingReader(const QMap<QString, QString>& _mapValues) : m_mapValues(_mapValues) {}

    QString text(const char* _pszKey, const QString& _strDefault = QString()) const
    {
        return m_mapValues.value(QLatin1String(_pszKey), _strDefault);
    }
    // Variant text: empty, "0" and "false" (any case) are false.
    bool flag(const char* _pszKey, const char* _pszDefault) const
    {
        return QVariant(text(_pszKey, QLatin1String(_pszDefault))).toBool();
    }
    // Decimal integer; false when it is 0 (or not a number).
    bool numericFlag(const char* _pszKey) const { return text(_pszKey).toInt(nullptr, 10) != 0; }
    qint32 number(const char* _pszKey, const char* _pszDefault) const
    {
        return text(_pszKey, QLatin1String(_pszDefault)).toInt(nullptr, 10);
    }
    qint64 number64(const char* _pszKey, const char* _pszDefault) const
    {
        return text(_pszKey, QLatin1String(_pszDefault)).toLongLong(nullptr, 10);
    }
    // An empty value takes the default; the result always ends with a separator.
    QString path(const char* _pszKey, const QString& _strDefault) const
    {
        QString strPath = text(_pszKey);
        if (strPath.isEmpty()) {
            strPath = _strDefault;
        }
        if (!strPath.endsWith('/')) {
            strPath += QDir::separator();
        }
        return strPath;
    }

private:
    const QMap<QString, QString>& m_mapValues;
};

QString boolText(bool _bValue)
{
    return _bValue ? QStringLiteral("true") : QStringLiteral("false");
}

QString bitText(bool _bValue)
{
    return _bValue ? QStringLiteral("1") : QStringLiteral("0");
}

QString compactJson(const QJsonDocument& _doc)
{
    return QString::fromUtf8(_doc.toJson(QJsonDocument::Compact)).remove('\n');
}

// "[{"ip":"..."}, ...]" → the "ip" values; anything that is not a JSON array gives nothing.
QStringList ipList(const QString& _strJson)
{
    QStringList lstIps;
    const QJsonArray array = QJsonDocument::fromJson(_strJson.toUtf8()).array();
    for (const QJsonValue& value : array) {
        lstIps.append(value.toObject().value("ip").toString());
    }
    return lstIps;
}

QString ipListJson(const QStringList& _lstIps)
{
    QJsonArray array;
    for (const QString& strIp : _lstIps) {
        array.append(QJsonObject{{"ip", strIp}});
    }
    return compactJson(QJsonDocument(array));
}

QString diskDriversJson(const QMap<QString, qint32>& _mapDrives)
{
    QJsonArray array;
    for (auto it = _mapDrives.cbegin(); it != _mapDrives.cend(); ++it) {
        array.append(QJsonObject{{"DiskDriverName", it.key()}, {"Status", it.value()}});
    }
    return compactJson(QJsonDocument(array));
}

QString appDataDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

}  // namespace

STRCT_LocalGeneralSetting* CLS_DataMediator::GetLocalGeneralSettingInfo()
{
    const QMap<QString, QString> mapValues = CLS_DataAccess::GetInstance().GetConfigMap(kSysConfig);
    if (!m_pLocalGeneralSetting) {
        m_pLocalGeneralSetting = std::make_unique<STRCT_LocalGeneralSetting>();
    }
    STRCT_LocalGeneralSetting& s = *m_pLocalGeneralSetting;
    const SettingReader r(mapValues);

    s.m_bAutoLogin = r.flag("autoLogin", "false");
    s.m_strUserName = r.text("userName", "admin");
    s.m_strPassword = r.text("password");
    s.m_bSavePwd = r.flag("savePwd", "false");
    s.m_strLanguage = r.text("language", "EN");
    s.m_strSkin = r.text("skin", "dark");
    s.m_strDisplayFlag = r.text("DisplayFlag", "system");
    s.m_strPicturePath = r.path("picturePath", appDataDir() + "/Picture/");
    s.m_strRecordPath = r.path("recordPath", appDataDir() + "/Record/");
    s.m_bNeed = r.flag("need", "false");
    s.m_bAutoCode = r.flag("autocode", "true");
    s.m_iChannelNum = r.number("channelnum", "1");
    s.m_iCodeType = r.number("codetype", "1");
    s.m_strFirst = r.text("first", "yes");
    s.m_strDownPath = r.path("downpath", appDataDir() + "/Download/");
    s.m_strBackupPath = r.path("backuppath", QDir::homePath() + "/Backuppath/");
    if (!QDir(s.m_strBackupPath).exists() && !QDir().mkpath(s.m_strBackupPath)) {
        DL_LOG(3, "CLS_DataMediator::GetLocalGeneralSettingInfo ->mkdir fail:%s",
               qUtf8Printable(s.m_strBackupPath));
    }
    s.m_bLockApp = r.flag("lockApp", "false");
    s.m_iShowFrameMode = r.number("showFrameMode", "1");
    if (s.m_iShowFrameMode == 0) {
        s.m_iShowFrameMode = 1;
    }
    s.m_strDownloadFormat = r.text("downloadFormat", "sdv");
    s.m_strRecordFormat = r.text("recordFormat", "sdv");
    s.m_bAlarmGlobalSound = r.numericFlag("alarmGlobalSound");
    s.m_strAlarmGlobalSoundPath = QCoreApplication::applicationDirPath() + r.text("alarmGlobalSoundPath");
    s.m_iHandleLogPersistentTime = r.number("handleLogPersistentTime", "30");
    s.m_iWarningLogPersistentTime = r.number("warningLogPersistentTime", "30");
    s.m_bIntelligentNetPicStream = r.flag("IntelligentNetPicStream", "false");

    // "DiskDriverName": every drive with its status, and apart the drives in use (status 1).
    s.m_lstDiskDriverName.clear();
    s.m_mapDiskDriverName.clear();
    const QJsonArray drives = QJsonDocument::fromJson(r.text("DiskDriverName").toUtf8()).array();
    for (const QJsonValue& drive : drives) {
        const QJsonObject obj = drive.toObject();
        const QString strName = obj.value("DiskDriverName").toString();
        const qint32 iStatus = obj.value("Status").toVariant().toInt();
        s.m_mapDiskDriverName.insert(strName, iStatus);
        if (iStatus == 1) {
            s.m_lstDiskDriverName.append(strName);
        }
    }

    s.m_strCurrDisk = r.text("CurrDisk");
    s.m_iPicSaveDays = r.number("PicSaveDays", "30");
    s.m_bUseIntelligent = r.flag("UseIntelligent", "true");
    s.m_iPassengerFlowSaveMonths = r.number("PassengerFlowSaveMonths", "12");
    s.m_bUsePassengerFlow = r.flag("UsePassengerFlow", "true");
    s.m_iIntelligentLoopDelCount = r.number("IntelligentLoopDelCount", "10");
    s.m_iDelSizeEach = r.number("DelSizeEach", "2");
    s.m_iMinStorageType = r.number("MinStorageType", "0");
    s.m_iMinStorageValue = r.number("MinStorageValue", "5");
    s.m_iStorageStrategyAction = r.number("StorageStrategyAction", "1");
    s.m_iStreamType = r.number("StreamType", "0");
    s.m_iContinuousRecording = r.number("iContinuousRecording", "30");
    s.m_iVideoType = r.number("VideoType", "0");
    s.m_iDecodeType = r.number("decodeType", "0");
    s.m_strStoredP2PRegionalInfo = r.text("StoredP2PRegionalInfo");
    s.m_strDefaultP2PRegionalInfo = r.text("DefaultP2PRegionalInfo");
    s.m_strP2PRegional = r.text("P2PRegional", "0");
    s.m_strP2PUrl = r.text("P2PUrl");
    s.m_strP2PConfigSet = r.text("P2PConfigSet");
    s.m_strSoftwareType = r.text("SoftwareType", CLS_DataAccess::kSoftwareTypeNoRecords);
    s.m_lstCaptureList = ipList(r.text("CaptureList"));
    s.m_lstFlowList = ipList(r.text("FlowList"));
    s.m_iExitNormally = r.number("ExitNormally", "1");
    s.m_bR480NvrFirst = r.numericFlag("R480NvrFirst");
    s.m_strAliLoginInfo = r.text("AliLoginInfo");
    s.m_bShowFps = r.flag("ShowFps", "false");
    s.m_strP2PLoginInfo = r.text("P2PLoginInfo");
    s.m_llSynPlayBackMaxIntervalTime = r.number64("SynPlayBackMaxIntervalTime", "5000");
    s.m_iInstantPlaybackTime = r.number("InstantPlaybackTime", "0");
    return m_pLocalGeneralSetting.get();
}

void CLS_DataMediator::SavePersonalSetInfo(const STRCT_LocalGeneralSetting& _setting)
{
    const STRCT_LocalGeneralSetting& s = _setting;
    QMap<QString, QString> m;
    m.insert("autoLogin", boolText(s.m_bAutoLogin));
    m.insert("userName", s.m_strUserName);
    m.insert("password", s.m_strPassword);
    m.insert("savePwd", boolText(s.m_bSavePwd));
    m.insert("language", s.m_strLanguage);
    m.insert("skin", s.m_strSkin);
    m.insert("DisplayFlag", s.m_strDisplayFlag);
    m.insert("picturePath", s.m_strPicturePath);
    m.insert("recordPath", s.m_strRecordPath);
    m.insert("need", boolText(s.m_bNeed));
    m.insert("autocode", boolText(s.m_bAutoCode));
    m.insert("channelnum", QString::number(s.m_iChannelNum));
    m.insert("codetype", QString::number(s.m_iCodeType));
    m.insert("downpath", s.m_strDownPath);
    m.insert("backuppath", s.m_strBackupPath);
    m.insert("lockApp", boolText(s.m_bLockApp));
    m.insert("showFrameMode", QString::number(s.m_iShowFrameMode));
    m.insert("downloadFormat", s.m_strDownloadFormat);
    m.insert("recordFormat", s.m_strRecordFormat);
    m.insert("alarmGlobalSound", bitText(s.m_bAlarmGlobalSound));
    m.insert("IntelligentNetPicStream", boolText(s.m_bIntelligentNetPicStream));
    m.insert("DiskDriverName", diskDriversJson(s.m_mapDiskDriverName));
    m.insert("CurrDisk", s.m_strCurrDisk);
    m.insert("UseIntelligent", bitText(s.m_bUseIntelligent));
    m.insert("UsePassengerFlow", bitText(s.m_bUsePassengerFlow));
    m.insert("IntelligentLoopDelCount", QString::number(s.m_iIntelligentLoopDelCount));
    m.insert("DelSizeEach", QString::number(s.m_iDelSizeEach));
    m.insert("MinStorageType", QString::number(s.m_iMinStorageType));
    m.insert("MinStorageValue", QString::number(s.m_iMinStorageValue));
    m.insert("StorageStrategyAction", QString::number(s.m_iStorageStrategyAction));
    m.insert("StreamType", QString::number(s.m_iStreamType));
    m.insert("iContinuousRecording", QString::number(s.m_iContinuousRecording));
    m.insert("VideoType", QString::number(s.m_iVideoType));
    m.insert("decodeType", QString::number(s.m_iDecodeType));
    m.insert("StoredP2PRegionalInfo", s.m_strStoredP2PRegionalInfo);
    m.insert("P2PRegional", s.m_strP2PRegional);
    m.insert("P2PUrl", s.m_strP2PUrl);
    m.insert("P2PConfigSet", s.m_strP2PConfigSet);
    m.insert("ShowFps", boolText(s.m_bShowFps));
    m.insert("P2PLoginInfo", s.m_strP2PLoginInfo);
    m.insert("InstantPlaybackTime", QString::number(s.m_iInstantPlaybackTime));
    const int iRet = CLS_DataAccess::GetInstance().SavePersonalInfo(m);
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::SavePersonalSetInfo SaveSysPersonalInfo(%d)", iRet);
    }
}

void CLS_DataMediator::SaveComSetInfo(const STRCT_LocalGeneralSetting& _setting)
{
    const STRCT_LocalGeneralSetting& s = _setting;
    QMap<QString, QString> m;
    m.insert("handleLogPersistentTime", QString::number(s.m_iHandleLogPersistentTime));
    m.insert("warningLogPersistentTime", QString::number(s.m_iWarningLogPersistentTime));
    m.insert("PicSaveDays", QString::number(s.m_iPicSaveDays));
    m.insert("PassengerFlowSaveMonths", QString::number(s.m_iPassengerFlowSaveMonths));
    m.insert("CaptureList", ipListJson(s.m_lstCaptureList));
    m.insert("FlowList", ipListJson(s.m_lstFlowList));
    m.insert("ExitNormally", QString::number(s.m_iExitNormally));
    m.insert("R480NvrFirst", bitText(s.m_bR480NvrFirst));
    m.insert("AliLoginInfo", s.m_strAliLoginInfo);
    const int iRet = CLS_DataAccess::GetInstance().SaveComInfo(m);
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::SaveComSetInfo SaveSysPersonalInfo(%d)", iRet);
    }
}

QMap<QString, QString> CLS_DataMediator::GetVersionInfo()
{
    return CLS_DataAccess::GetInstance().GetComConfig("MAINTYPE_VERSIONINFO");
}

QList<STRCT_OpenModule> CLS_DataMediator::GetLastOpenModules()
{
    QList<STRCT_OpenModule> lstModules;
    const QString strJson =
        CLS_DataAccess::GetInstance().GetConfigValue(kViewConfig, kLastOpenModules, QString());
    const QJsonArray array =
        QJsonDocument::fromJson(strJson.toUtf8()).object().value("lastopenmodules").toArray();
    for (const QJsonValue& value : array) {
        const QJsonObject obj = value.toObject();
        STRCT_OpenModule module;
        module.m_iType = obj.value("type").toVariant().toInt();
        module.m_bSelect = obj.value("select").toVariant().toBool();
        module.m_strModuleId = obj.value("moduleid").toVariant().toString();
        module.m_bSinglePage = obj.value("singlePage").toVariant().toBool();
        module.m_iPosX = obj.value("posX").toVariant().toInt();
        module.m_iPosY = obj.value("posY").toVariant().toInt();
        lstModules.append(module);
    }
    return lstModules;
}

void CLS_DataMediator::SaveLastOpenModules(const QList<STRCT_OpenModule>& _lstModules)
{
    QJsonArray array;
    for (const STRCT_OpenModule& module : _lstModules) {
        array.append(QJsonObject{{"type", module.m_iType},
                                 {"select", module.m_bSelect},
                                 {"moduleid", module.m_strModuleId},
                                 {"singlePage", module.m_bSinglePage},
                                 {"posX", module.m_iPosX},
                                 {"posY", module.m_iPosY}});
    }
    const QString strJson = compactJson(QJsonDocument(QJsonObject{{"lastopenmodules", array}}));
    const int iRet =
        CLS_DataAccess::GetInstance().SetConfigValue(kViewConfig, kLastOpenModules, strJson, QString());
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::SaveLastOpenModules SetConfigValue iRet=%d", iRet);
    }
}

QList<STRCT_HomeModule> CLS_DataMediator::GetHomeModules()
{
    if (m_lstHomeModules.isEmpty()) {
        QVector<CLS_HomeModulesEntity> vecModules;
        CLS_DataAccess::GetInstance().GetHomeModules(vecModules);
        for (const CLS_HomeModulesEntity& entity : vecModules) {
            STRCT_HomeModule module;
            module.m_strTitle = entity.S_TITLE;
            module.m_strDes = entity.S_DES;
            module.m_strIconPath = entity.S_ICONPATH;
            module.m_strType = entity.S_TYPE;
            m_lstHomeModules.append(module);
        }
    }
    return m_lstHomeModules;
}

void CLS_DataMediator::UpdateHomeModules(const QMap<QString, QMap<QString, QString>>& _mapTexts)
{
    if (m_lstHomeModules.isEmpty()) {
        GetHomeModules();
    }
    for (STRCT_HomeModule& module : m_lstHomeModules) {
        const auto it = _mapTexts.constFind(module.m_strType);
        if (it == _mapTexts.cend()) {
            continue;
        }
        const QMap<QString, QString>& mapText = it.value();
        if (mapText.contains("language")) {
            module.m_strLanguage = mapText.value("language");
        }
        if (mapText.contains("title")) {
            module.m_strTitle = mapText.value("title");
        }
        if (mapText.contains("des")) {
            module.m_strDes = mapText.value("des");
        }
        if (mapText.contains("icon")) {
            module.m_strIconPath = mapText.value("icon");
        }
    }
}

QMap<QString, QString> CLS_DataMediator::GetCurDisplayflag()
{
    return CLS_DataAccess::GetInstance().GetCurDisplayflag();
}

int CLS_DataMediator::RecoverDefaultDisplayFlag()
{
    int iRet = CLS_DataAccess::GetInstance().RecoverDefaultDisplayFlag();
    if (iRet == 0) {
        return 0;
    }
    DL_LOG(2, "CLS_DataAccess::GetInstance().RecoverDefaultDisplayFlag() [Second] ");
    iRet = CLS_DataAccess::GetInstance().RecoverDefaultDisplayFlag();
    if (iRet != 0) {
        DL_LOG(3, "CLS_DataMediator::RecoverDefaultDisplayFlag iRet = (%d)", iRet);
    }
    return iRet;
}

STRCT_DomainServerInfo CLS_DataMediator::GetDomainServerInfo()
{
    return CLS_DataAccess::GetInstance().GetDomainServerInfo();
}

int CLS_DataMediator::TranslateLanguageType(QString _strLanguage)
{
    static const QMap<QString, int> s_mapTypes{{"CN", 1},    {"TradCHS", 2}, {"EN", 3},
                                               {"Farsi", 4}, {"Italian", 5}, {"Korean", 6},
                                               {"Dutch", 7}, {"Russian", 8}, {"Turkish", 9}};
    return s_mapTypes.value(_strLanguage, 3);
}

STRCT_DeviceAddConfig CLS_DataMediator::GetDeviceAddConfig()
{
    return CLS_DataAccess::GetInstance().GetDeviceAddConfig();
}
