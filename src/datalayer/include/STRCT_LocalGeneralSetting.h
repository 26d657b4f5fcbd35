// All settings of the group "MAINTYPE_SYSCONFIG" in one record, with their defaults.
//
// Each field names its key. (P) is saved by SavePersonalSetInfo into the per-system personal
// table, (C) by SaveComSetInfo into the common table, (R) is only read here.
#ifndef STRCT_LOCALGENERALSETTING_H
#define STRCT_LOCALGENERALSETTING_H

#include <QMap>
#include <QString>
#include <QStringList>

struct STRCT_LocalGeneralSetting
{
    bool m_bAutoLogin = false;                     ///< "autoLogin" (P), "true"/"false"
    QString m_strUserName = "admin";               ///< "userName" (P)
    QString m_strPassword;                         ///< "password" (P), as entered
    bool m_bSavePwd = false;                       ///< "savePwd" (P), "true"/"false"
    QString m_strLanguage = "EN";                  ///< "language" (P)
    QString m_strSkin = "dark";                    ///< "skin" (P)
    QString m_strDisplayFlag = "system";           ///< "DisplayFlag" (P)
    QString m_strPicturePath;                      ///< "picturePath" (P), ends with a separator
    QString m_strRecordPath;                       ///< "recordPath" (P), ends with a separator
    bool m_bNeed = false;                          ///< "need" (P), "true"/"false"
    bool m_bAutoCode = true;                       ///< "autocode" (P), "true"/"false"
    qint32 m_iChannelNum = 1;                      ///< "channelnum" (P)
    qint32 m_iCodeType = 1;                        ///< "codetype" (P)
    QString m_strFirst = "yes";                    ///< "first" (R)
    QString m_strDownPath;                         ///< "downpath" (P), ends with a separator
    QString m_strBackupPath;                       ///< "backuppath" (P), ends with a separator
    bool m_bLockApp = false;                       ///< "lockApp" (P), "true"/"false"
    qint32 m_iShowFrameMode = 1;                   ///< "showFrameMode" (P); a stored 0 reads as 1
    QString m_strDownloadFormat = "sdv";           ///< "downloadFormat" (P)
    QString m_strRecordFormat = "sdv";             ///< "recordFormat" (P)
    bool m_bAlarmGlobalSound = false;              ///< "alarmGlobalSound" (P), "1"/"0"
    QString m_strAlarmGlobalSoundPath;             ///< "alarmGlobalSoundPath" (R), application dir + value
    qint32 m_iHandleLogPersistentTime = 30;        ///< "handleLogPersistentTime" (C), days
    qint32 m_iWarningLogPersistentTime = 30;       ///< "warningLogPersistentTime" (C), days
    bool m_bIntelligentNetPicStream = false;       ///< "IntelligentNetPicStream" (P), "true"/"false"
    QStringList m_lstDiskDriverName;               ///< "DiskDriverName" (P): the drives whose status is 1
    QString m_strCurrDisk;                         ///< "CurrDisk" (P)
    qint32 m_iPicSaveDays = 30;                    ///< "PicSaveDays" (C)
    bool m_bUseIntelligent = true;                 ///< "UseIntelligent" (P), "1"/"0"
    qint32 m_iPassengerFlowSaveMonths = 12;        ///< "PassengerFlowSaveMonths" (C)
    bool m_bUsePassengerFlow = true;               ///< "UsePassengerFlow" (P), "1"/"0"
    qint32 m_iIntelligentLoopDelCount = 10;        ///< "IntelligentLoopDelCount" (P)
    qint32 m_iDelSizeEach = 2;                     ///< "DelSizeEach" (P)
    qint32 m_iMinStorageType = 0;                  ///< "MinStorageType" (P)
    qint32 m_iMinStorageValue = 5;                 ///< "MinStorageValue" (P)
    qint32 m_iStorageStrategyAction = 1;           ///< "StorageStrategyAction" (P)
    qint32 m_iStreamType = 0;                      ///< "StreamType" (P)
    qint32 m_iContinuousRecording = 30;            ///< "iContinuousRecording" (P)
    qint32 m_iVideoType = 0;                       ///< "VideoType" (P)
    QMap<QString, qint32> m_mapDiskDriverName;     ///< "DiskDriverName" (P): every drive → its status
    qint32 m_iDecodeType = 0;                      ///< "decodeType" (P)
    QString m_strStoredP2PRegionalInfo;            ///< "StoredP2PRegionalInfo" (P)
    QString m_strDefaultP2PRegionalInfo;           ///< "DefaultP2PRegionalInfo" (R)
    QString m_strP2PRegional = "0";                ///< "P2PRegional" (P)
    QString m_strP2PUrl;                           ///< "P2PUrl" (P)
    QString m_strP2PConfigSet;                     ///< "P2PConfigSet" (P)
    QString m_strSoftwareType = "r480";            ///< "SoftwareType" (R); "r480" stores no records
    QStringList m_lstCaptureList;                  ///< "CaptureList" (C): the "ip" values
    QStringList m_lstFlowList;                     ///< "FlowList" (C): the "ip" values
    qint32 m_iExitNormally = 1;                    ///< "ExitNormally" (C)
    bool m_bR480NvrFirst = false;                  ///< "R480NvrFirst" (C), "1"/"0"
    QString m_strAliLoginInfo;                     ///< "AliLoginInfo" (C)
    bool m_bShowFps = false;                       ///< "ShowFps" (P), "true"/"false"
    QString m_strP2PLoginInfo;                     ///< "P2PLoginInfo" (P)
    qint64 m_llSynPlayBackMaxIntervalTime = 5000;  ///< "SynPlayBackMaxIntervalTime" (R)
    qint32 m_iInstantPlaybackTime = 0;             ///< "InstantPlaybackTime" (P)
};

#endif  // STRCT_LOCALGENERALSETTING_H
