// Users, roles and rights, the login session and the security questions.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/Tree/CLS_ResourceTree.h"
#include "Log.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const char kSysConfig[] = "MAINTYPE_SYSCONFIG";

CLS_AuthEntity toEntity(const STRCT_Authority& _auth)
{
    CLS_AuthEntity entity;
    entity.S_OBJ_ID = _auth.m_strObjID;
    entity.S_ROLE_ID = _auth.m_strRoleID;
    entity.I_AUTHORITY_TYPE_ID = _auth.m_iAuthorityType;
    entity.I_STATUS = _auth.m_iStatus;
    return entity;
}

STRCT_Authority toRecord(const CLS_AuthEntity& _entity)
{
    STRCT_Authority auth;
    auth.m_strObjID = _entity.S_OBJ_ID;
    auth.m_strRoleID = _entity.S_ROLE_ID;
    auth.m_iAuthorityType = _entity.I_AUTHORITY_TYPE_ID;
    auth.m_iStatus = _entity.I_STATUS;
    return auth;
}

// Settings hold their JSON documents as compact text without line breaks.
QString compactJson(const QJsonObject& _obj)
{
    return QString::fromUtf8(QJsonDocument(_obj).toJson(QJsonDocument::Compact)).remove('\n');
}

QJsonObject settingObject(const char* _pszKey)
{
    const QString strValue = CLS_DataAccess::GetInstance().GetConfigValue(kSysConfig, _pszKey, QString());
    return QJsonDocument::fromJson(strValue.toUtf8()).object();
}

}  // namespace

int CLS_DataMediator::LoginUser(QString _strUserName, QString _strPassword)
{
    const int iRet = CLS_DataAccess::GetInstance().LoginUser(_strUserName, _strPassword);
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataAccess::LoginUser() error :%d", iRet);
        return iRet;
    }
    const QString strUserId = CLS_DataAccess::GetInstance().GetUserID(_strUserName);
    if (strUserId.isEmpty()) {
        return -11;
    }
    if (!m_strUserID.isEmpty() && m_strUserID != strUserId) {
        // Another user: the trees and rights loaded for the previous one must not be shown.
        CLS_ResourceTree::DropLoaded(*this);
        CLS_ResourceTree::ForgetAuthority(*this);
        // Nor raise the previous user's region alarms.
        DropPassengerFlowRegions();
    }
    m_strUserID = strUserId;
    m_strPassword = _strPassword;
    m_strUserName = _strUserName;
    return 0;
}

int CLS_DataMediator::AddUser(QString _strUserName, QString _strPassword)
{
    const int iRet = CLS_DataAccess::GetInstance().AddUser(_strUserName, _strPassword);
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataAccess::AddUser() error :%d", iRet);
    }
    return iRet;
}

QVector<CLS_UserEntity*> CLS_DataMediator::GetAllUser()
{
    QVector<CLS_UserEntity*> vecUsers;
    CLS_DataAccess::GetInstance().GetAllUser(vecUsers);
    return vecUsers;
}

bool CLS_DataMediator::IsUserExist(QString _strUserName, QString _strUserID)
{
    return CLS_DataAccess::GetInstance().IsUserExist(_strUserName, _strUserID);
}

int CLS_DataMediator::UpdateUserInfo(const CLS_UserEntity& _user)
{
    return CLS_DataAccess::GetInstance().UpdateUserInfo(_user);
}

int CLS_DataMediator::GetRoleByUser(QString _strUserID, QVector<CLS_RoleEntity>& _vecRoles)
{
    return CLS_DataAccess::GetInstance().GetRoleByUser(_strUserID, _vecRoles);
}

int CLS_DataMediator::DeleteRole(QString _strRoleID)
{
    const int iRet = CLS_DataAccess::GetInstance().DeleteRole(_strRoleID);
    if (iRet == 0) {
        CLS_ResourceTree::ForgetAuthorityOf(*this, _strRoleID);
    }
    return iRet;
}

int CLS_DataMediator::DeleteUser(QString _strUserID)
{
    return CLS_DataAccess::GetInstance().DeleteUser(_strUserID);
}

int CLS_DataMediator::InsertUserAddRoleRelatedInfo(CLS_UserEntity* _pUser, CLS_RoleEntity* _pRole)
{
    if (_pUser == nullptr) {
        DL_LOG(3, "CLS_DataMediator::InsertUserAddRoleRelatedInfo userInfo is nullptr");
        return -1;
    }
    if (_pRole == nullptr) {
        DL_LOG(3, "CLS_DataMediator::InsertUserAddRoleRelatedInfo userRole is nullptr");
        return -1;
    }
    return CLS_DataAccess::GetInstance().InsertUserAndRelatedInfo(*_pUser, *_pRole);
}

int CLS_DataMediator::UpdateRoleInfo(CLS_RoleEntity* _pRole)
{
    if (_pRole == nullptr) {
        DL_LOG(3, "CLS_DataMediator::UpdateRoleInfo userRole is nullptr");
        return -1;
    }
    return CLS_DataAccess::GetInstance().UpdateRole(*_pRole);
}

bool CLS_DataMediator::HasAuthority(QString _strRoleID, QString _strObjID, qint32 _iAuthorityType)
{
    return CLS_DataAccess::GetInstance().HasAuthority(_strRoleID, _strObjID, _iAuthorityType);
}

bool CLS_DataMediator::GetAuthorityByRole(QString _strRoleID, AuthorityMap& _mapAuth)
{
    QMap<qint32, QVector<CLS_AuthEntity>> mapEntities;
    if (!CLS_DataAccess::GetInstance().GetAuthorityByRole(_strRoleID, mapEntities)) {
        DL_LOG(2, "CLS_DataMediator::GetAuthorityByRole GetAuthorityByRole fail _strRoleID=%s",
               qUtf8Printable(_strRoleID));
        return false;
    }
    _mapAuth.clear();
    for (auto it = mapEntities.cbegin(); it != mapEntities.cend(); ++it) {
        QVector<STRCT_Authority>& vecRights = _mapAuth[it.key()];
        for (const CLS_AuthEntity& entity : it.value()) {
            vecRights.append(toRecord(entity));
        }
    }
    return true;
}

int CLS_DataMediator::UpdateAuthToRole(STRCT_Authority* _pAuthority)
{
    if (_pAuthority == nullptr) {
        DL_LOG(3, "CLS_DataMediator::UpdateAuthToRole _authority is nullptr");
        return -1;
    }
    const int iRet = CLS_DataAccess::GetInstance().UpdateAuthToRole(toEntity(*_pAuthority));
    if (iRet == 0) {
        CLS_ResourceTree::ForgetAuthorityOf(*this, _pAuthority->m_strRoleID);
    }
    return iRet;
}

int CLS_DataMediator::UpdateAuthToRoles(const AuthorityMap& _mapAuth)
{
    QMap<qint32, QVector<CLS_AuthEntity>> mapEntities;
    for (auto it = _mapAuth.cbegin(); it != _mapAuth.cend(); ++it) {
        QVector<CLS_AuthEntity>& vecEntities = mapEntities[it.key()];
        for (const STRCT_Authority& auth : it.value()) {
            vecEntities.append(toEntity(auth));
        }
    }
    const int iRet = CLS_DataAccess::GetInstance().UpdateAuthToRoles(mapEntities);
    if (iRet == 0) {
        for (const QVector<STRCT_Authority>& vecRights : _mapAuth) {
            for (const STRCT_Authority& auth : vecRights) {
                CLS_ResourceTree::ForgetAuthorityOf(*this, auth.m_strRoleID);
            }
        }
    }
    return iRet;
}

QList<qint32> CLS_DataMediator::GetSecurityQuestion()
{
    QList<qint32> lstQuestions;
    const QJsonArray problems = settingObject("SecurityQuestion").value("Problems").toArray();
    for (const QJsonValue& problem : problems) {
        lstQuestions.append(problem.toObject().value("caption").toVariant().toInt());
    }
    return lstQuestions;
}

void CLS_DataMediator::SetSecurityAnswer(const QMap<QString, QString>& _mapAnswers)
{
    QJsonArray answers;
    for (auto it = _mapAnswers.cbegin(); it != _mapAnswers.cend(); ++it) {
        answers.append(QJsonObject{{"id", it.key().toInt(nullptr, 10)}, {"answer", it.value()}});
    }
    const int iRet = CLS_DataAccess::GetInstance().SetConfigValue(
        kSysConfig, "SecurityAnswer", compactJson(QJsonObject{{"Answer", answers}}), QString());
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::SetSecurityAnswer SetConfigValue iRet=%d", iRet);
    }
}

QList<QPair<qint32, QString>> CLS_DataMediator::GetSecurityAnswer()
{
    QList<QPair<qint32, QString>> lstAnswers;
    const QJsonArray answers = settingObject("SecurityAnswer").value("Answer").toArray();
    for (const QJsonValue& answer : answers) {
        const QJsonObject obj = answer.toObject();
        lstAnswers.append({obj.value("id").toVariant().toInt(), obj.value("answer").toString()});
    }
    return lstAnswers;
}

QString CLS_DataMediator::GetUserPassWord(QString _strUserName)
{
    if (_strUserName.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::GetUserPassWord _strUserName.isEmpty()");
        return QString();
    }
    return CLS_DataAccess::GetInstance().GetUserPassWord(_strUserName);
}

QString CLS_DataMediator::GetCurrentUserID()
{
    return m_strUserID;
}

QString CLS_DataMediator::GetCurrentUserName()
{
    return m_strUserName;
}
