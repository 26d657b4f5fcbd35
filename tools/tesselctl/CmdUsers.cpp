// init-admin, login, users, settings: the mediator's users and settings operations, and the
// login step that every command runs first when --user is given.
#include "CtlCommand.h"

#include "I_DataMediator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString loginFailure(int _iCode)
{
    switch (_iCode) {
        case -11:
            return "unknown user or expired account";
        case -12:
            return "wrong password";
        default:
            return "empty name or password, or the query failed";
    }
}

int loginHandler(CtlContext& _ctx)
{
    const int iRet = _ctx.mediator->LoginUser(_ctx.user, _ctx.password);
    if (iRet != 0) {
        _ctx.fail(
            QStringLiteral("login as %1 failed (%2: %3)").arg(_ctx.user).arg(iRet).arg(loginFailure(iRet)));
    }
    return iRet;
}

const bool s_loginRegistered = registerCtlLoginHandler(&loginHandler);

QStringList roleNames(I_DataMediator& _mediator, const QString& _strUserId)
{
    QVector<CLS_RoleEntity> vecRoles;
    _mediator.GetRoleByUser(_strUserId, vecRoles);
    QStringList lstNames;
    for (const CLS_RoleEntity& role : vecRoles) {
        lstNames << role.S_CAPTION;
    }
    return lstNames;
}

int runInitAdmin(CtlContext& _ctx)
{
    if (_ctx.args.size() < 1 || _ctx.args.size() > 2) {
        return _ctx.fail("init-admin takes NAME [PASSWORD]", kCtlUsage);
    }
    QString strPassword = _ctx.args.value(1);
    if (strPassword.isEmpty()) {
        // Without --user the password sources name the new administrator's password.
        if (_ctx.user.isEmpty() &&
            (_ctx.parser->isSet("password-file") || qEnvironmentVariableIsSet("TESSEL_PASSWORD"))) {
            _ctx.user = _ctx.args[0];
            if (!_ctx.passwordForUser()) {
                return kCtlUsage;
            }
            _ctx.user.clear();
            strPassword = _ctx.password;
            _ctx.password.clear();
        } else {
            strPassword = ctlReadSecret(QStringLiteral("New password for %1: ").arg(_ctx.args[0]));
            if (!strPassword.isEmpty() && ctlReadSecret(QStringLiteral("The same again: ")) != strPassword) {
                return _ctx.fail("the two passwords differ", kCtlUsage);
            }
            if (strPassword.isEmpty()) {
                return _ctx.fail(
                    "init-admin needs a password: PASSWORD, --password-file, TESSEL_PASSWORD or a "
                    "terminal",
                    kCtlUsage);
            }
        }
    }
    if (_ctx.connectAndLogin() != 0) {
        return kCtlFailed;
    }
    bool bExists = false;
    if (!ctlRowExists(_ctx, "Tessel", "SELECT S_ID FROM TAB_USER WHERE S_ID = 'admin'", {}, bExists)) {
        return kCtlFailed;
    }
    const bool bReplace = _ctx.parser->isSet("replace");
    if (bExists && !bReplace) {
        QVector<CLS_RoleEntity> vecRoles;
        bool bAdmin = false;
        if (!_ctx.user.isEmpty()) {
            _ctx.mediator->GetRoleByUser(_ctx.mediator->GetCurrentUserID(), vecRoles);
            for (const CLS_RoleEntity& role : vecRoles) {
                bAdmin = bAdmin || role.S_ID == QLatin1String("admin_role");
            }
        }
        if (!bAdmin) {
            return _ctx.fail(
                "an administrator exists already; log in as an administrator (--user) or pass "
                "--replace to replace it");
        }
    }
    const int iRet = _ctx.mediator->AddUser(_ctx.args[0], strPassword);
    if (iRet != 0) {
        return _ctx.fail(QStringLiteral("init-admin failed (%1)").arg(iRet));
    }
    if (_ctx.json) {
        ctlOut()
            << QJsonDocument(QJsonObject{{"ret", iRet}, {"replaced", bExists}}).toJson(QJsonDocument::Compact)
            << "\n";
    } else {
        ctlOut() << "administrator " << _ctx.args[0] << (bExists ? " replaced" : " stored")
                 << " (user id admin, role admin_role)\n";
    }
    return kCtlOk;
}

int runLogin(CtlContext& _ctx)
{
    if (_ctx.user.isEmpty()) {
        ctlErr() << "tesselctl: login needs --user NAME\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    const QString strId = _ctx.mediator->GetCurrentUserID();
    const QStringList lstRoles = roleNames(*_ctx.mediator, strId);
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"user", _ctx.user},
                                              {"id", strId},
                                              {"roles", QJsonArray::fromStringList(lstRoles)}})
                        .toJson(QJsonDocument::Compact)
                 << "\n";
    } else {
        ctlOut() << "logged in as " << _ctx.user << " (id " << strId << ", roles: " << lstRoles.join(", ")
                 << ")\n";
    }
    return 0;
}

int runUsers(CtlContext& _ctx)
{
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    const QVector<CLS_UserEntity*> vecUsers = _ctx.mediator->GetAllUser();
    QJsonArray array;
    for (const CLS_UserEntity* pUser : vecUsers) {
        const QStringList lstRoles = roleNames(*_ctx.mediator, pUser->S_ID);
        if (_ctx.json) {
            array.append(QJsonObject{{"id", pUser->S_ID},
                                     {"name", pUser->S_CAPTION},
                                     {"level", pUser->I_LEVEL},
                                     {"expires", pUser->DT_LIMIT},
                                     {"description", pUser->S_DESCRIPTION},
                                     {"roles", QJsonArray::fromStringList(lstRoles)}});
        } else {
            ctlOut() << pUser->S_CAPTION << "  id " << pUser->S_ID << "  level " << pUser->I_LEVEL
                     << "  expires " << pUser->DT_LIMIT << "  roles " << lstRoles.join(",");
            if (!pUser->S_DESCRIPTION.isEmpty()) {
                ctlOut() << "  (" << pUser->S_DESCRIPTION << ")";
            }
            ctlOut() << "\n";
        }
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(array).toJson(QJsonDocument::Indented);
    } else {
        ctlOut() << "(" << vecUsers.size() << (vecUsers.size() == 1 ? " user)\n" : " users)\n");
    }
    qDeleteAll(vecUsers);
    return 0;
}

// The settings record as (key, value) in field order; the password is left out.
QList<QPair<QString, QJsonValue>> settingFields(const STRCT_LocalGeneralSetting& s)
{
    QJsonObject drives;
    for (auto it = s.m_mapDiskDriverName.cbegin(); it != s.m_mapDiskDriverName.cend(); ++it) {
        drives.insert(it.key(), it.value());
    }
    return {{"autoLogin", s.m_bAutoLogin},
            {"userName", s.m_strUserName},
            {"savePwd", s.m_bSavePwd},
            {"language", s.m_strLanguage},
            {"skin", s.m_strSkin},
            {"DisplayFlag", s.m_strDisplayFlag},
            {"picturePath", s.m_strPicturePath},
            {"recordPath", s.m_strRecordPath},
            {"need", s.m_bNeed},
            {"autocode", s.m_bAutoCode},
            {"channelnum", s.m_iChannelNum},
            {"codetype", s.m_iCodeType},
            {"first", s.m_strFirst},
            {"downpath", s.m_strDownPath},
            {"backuppath", s.m_strBackupPath},
            {"lockApp", s.m_bLockApp},
            {"showFrameMode", s.m_iShowFrameMode},
            {"downloadFormat", s.m_strDownloadFormat},
            {"recordFormat", s.m_strRecordFormat},
            {"alarmGlobalSound", s.m_bAlarmGlobalSound},
            {"alarmGlobalSoundPath", s.m_strAlarmGlobalSoundPath},
            {"handleLogPersistentTime", s.m_iHandleLogPersistentTime},
            {"warningLogPersistentTime", s.m_iWarningLogPersistentTime},
            {"IntelligentNetPicStream", s.m_bIntelligentNetPicStream},
            {"DiskDriverName", drives},
            {"CurrDisk", s.m_strCurrDisk},
            {"PicSaveDays", s.m_iPicSaveDays},
            {"UseIntelligent", s.m_bUseIntelligent},
            {"PassengerFlowSaveMonths", s.m_iPassengerFlowSaveMonths},
            {"UsePassengerFlow", s.m_bUsePassengerFlow},
            {"IntelligentLoopDelCount", s.m_iIntelligentLoopDelCount},
            {"DelSizeEach", s.m_iDelSizeEach},
            {"MinStorageType", s.m_iMinStorageType},
            {"MinStorageValue", s.m_iMinStorageValue},
            {"StorageStrategyAction", s.m_iStorageStrategyAction},
            {"StreamType", s.m_iStreamType},
            {"iContinuousRecording", s.m_iContinuousRecording},
            {"VideoType", s.m_iVideoType},
            {"decodeType", s.m_iDecodeType},
            {"StoredP2PRegionalInfo", s.m_strStoredP2PRegionalInfo},
            {"DefaultP2PRegionalInfo", s.m_strDefaultP2PRegionalInfo},
            {"P2PRegional", s.m_strP2PRegional},
            {"P2PUrl", s.m_strP2PUrl},
            {"P2PConfigSet", s.m_strP2PConfigSet},
            {"SoftwareType", s.m_strSoftwareType},
            {"CaptureList", QJsonArray::fromStringList(s.m_lstCaptureList)},
            {"FlowList", QJsonArray::fromStringList(s.m_lstFlowList)},
            {"ExitNormally", s.m_iExitNormally},
            {"R480NvrFirst", s.m_bR480NvrFirst},
            {"AliLoginInfo", s.m_strAliLoginInfo},
            {"ShowFps", s.m_bShowFps},
            {"P2PLoginInfo", s.m_strP2PLoginInfo},
            {"SynPlayBackMaxIntervalTime", s.m_llSynPlayBackMaxIntervalTime},
            {"InstantPlaybackTime", s.m_iInstantPlaybackTime}};
}

QString plainText(const QJsonValue& _value)
{
    if (_value.isString()) {
        return _value.toString();
    }
    if (_value.isBool()) {
        return _value.toBool() ? "true" : "false";
    }
    if (_value.isDouble()) {
        return QString::number(_value.toVariant().toLongLong());
    }
    return QString::fromUtf8(QJsonDocument::fromVariant(_value.toVariant()).toJson(QJsonDocument::Compact));
}

int runSettings(CtlContext& _ctx)
{
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    const STRCT_LocalGeneralSetting* pSetting = _ctx.mediator->GetLocalGeneralSettingInfo();
    const QMap<QString, QString> mapVersion = _ctx.mediator->GetVersionInfo();
    const QList<QPair<QString, QJsonValue>> lstFields = settingFields(*pSetting);
    if (_ctx.json) {
        QJsonObject obj;
        for (const auto& field : lstFields) {
            obj.insert(field.first, field.second);
        }
        QJsonObject version;
        for (auto it = mapVersion.cbegin(); it != mapVersion.cend(); ++it) {
            version.insert(it.key(), it.value());
        }
        obj.insert("version", version);
        ctlOut() << QJsonDocument(obj).toJson(QJsonDocument::Indented);
        return 0;
    }
    for (const auto& field : lstFields) {
        ctlOut() << field.first << "=" << plainText(field.second) << "\n";
    }
    for (auto it = mapVersion.cbegin(); it != mapVersion.cend(); ++it) {
        ctlOut() << "version." << it.key() << "=" << it.value() << "\n";
    }
    return 0;
}

}  // namespace

TESSELCTL_OPTION("replace", "init-admin: replace an existing administrator.");
TESSELCTL_COMMAND(
    "init-admin", "NAME [PASSWORD]", "store the first administrator (role admin_role)", &runInitAdmin,
    "Refuses when an administrator exists already, unless --user logs in as an administrator or\n"
    "--replace is given. Without PASSWORD the password comes from --password-file, TESSEL_PASSWORD\n"
    "or a prompt on the terminal (asked twice).\n\n"
    "Examples:\n"
    "  tesselctl init-admin admin                       # asks for the password\n"
    "  TESSEL_PASSWORD='s3cret pw' tesselctl init-admin admin\n"
    "  tesselctl --user admin init-admin admin 'new pw' # replace, as the administrator\n");
TESSELCTL_COMMAND("login", "", "log in with --user and print the user's id and roles", &runLogin,
                  "Examples:\n"
                  "  tesselctl --user admin login                     # asks for the password\n"
                  "  tesselctl --user admin --password-file ~/.tessel-pw --json login\n");
TESSELCTL_COMMAND("users", "", "list the users with their roles", &runUsers,
                  "Examples:\n"
                  "  tesselctl --user admin users\n");
TESSELCTL_COMMAND("settings", "", "print the settings of this system (MAINTYPE_SYSCONFIG) and the version",
                  &runSettings,
                  "Examples:\n"
                  "  tesselctl --user admin settings\n");
