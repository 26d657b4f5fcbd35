// Small records of the settings and dictionary tables that cross the mediator interface.
#ifndef STRCT_SETTINGRECORDS_H
#define STRCT_SETTINGRECORDS_H

#include <QString>

/// One module the client had open when it last closed (group "MAINTYPE_VIEWCONFIG", key
/// "LastOpenModules").
struct STRCT_OpenModule
{
    qint32 m_iType = 0;
    bool m_bSelect = false;
    QString m_strModuleId;
    bool m_bSinglePage = false;
    qint32 m_iPosX = 0;
    qint32 m_iPosY = 0;
};

/// One module of the home page (TAB_DD_HOMEMODULES), with the texts the client may have
/// translated through UpdateHomeModules.
struct STRCT_HomeModule
{
    QString m_strTitle;
    QString m_strDes;
    QString m_strIconPath;
    QString m_strType;      ///< identifies the module
    QString m_strLanguage;  ///< language of the texts; empty as read from the table
};

/// The dynamic-DNS server (TAB_DOMAIN_SEVER_INFO).
struct STRCT_DomainServerInfo
{
    QString m_strDomain;
    qint32 m_iPort = 0;
};

/// Defaults the client offers when a device is added (group "MAINTYPE_DEVICEADDCONFIG").
struct STRCT_DeviceAddConfig
{
    QString m_strUserName;
    QString m_strPassword;
    bool m_bAddToGroup = false;
};

/// One language of TAB_DD_LANG.
struct STRCT_LanguageInfo
{
    QString m_strCaption;
    QString m_strAbbr;
    qint32 m_iLocaleValue = 0;  ///< QLocale::Language of the language
    QString m_strFontFamily;
};

#endif  // STRCT_SETTINGRECORDS_H
