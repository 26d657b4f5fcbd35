#include "CLS_RoleEntityDAO.h"

#include "Log.h"

#include <QHash>

#include <algorithm>

CLS_RoleEntityDAO* CLS_RoleEntityDAO::GetInstance()
{
    static CLS_RoleEntityDAO* s_pInstance = nullptr;
    if (s_pInstance == nullptr) {
        s_pInstance = new CLS_RoleEntityDAO();
    }
    return s_pInstance;
}

CLS_RoleEntityDAO::~CLS_RoleEntityDAO() = default;

int CLS_RoleEntityDAO::GetRoleByUser(const QString& _strUserID, QVector<CLS_RoleEntity>& _vecRoles)
{
    RecordSet* pRows = ExecuteQueryEx(m_strDbName,
                                      "SELECT distinct S_ID, S_DESCRIPTION, I_TYPE, I_OBJ_TYPE_ID, S_CAPTION "
                                      "FROM VIEW_ROLE WHERE  S_USER_ID = :id",
                                      {{":id", _strUserID}});
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_RoleEntityDAO::GetRoleByUser pRecSet=null");
        return -1;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        CLS_RoleEntity role;
        role.S_ID = pRow->value("S_ID");
        role.S_DESCRIPTION = pRow->value("S_DESCRIPTION");
        role.I_TYPE = pRow->value("I_TYPE").toInt();
        role.I_OBJ_TYPE_ID = pRow->value("I_OBJ_TYPE_ID").toInt();
        role.S_CAPTION = pRow->value("S_CAPTION");
        _vecRoles.append(role);
    }
    FreeRecordSet(pRows);
    return 0;
}

int CLS_RoleEntityDAO::DeleteRole(const QString& _strRoleID)
{
    const QMap<QString, QVariant> mapBind{{":id", _strRoleID}};
    const int iRet =
        ExecuteTransactionEx(m_strDbName,
                             {"Delete From TAB_ROLE Where S_ID=:id", "Delete From TAB_OBJ Where S_ID=:id",
                              "Delete From TAB_USER_ROLE Where S_ROLE_ID=:id",
                              "Delete From TAB_OBJ_ROLE_AUTHORITY Where S_ROLE_ID=:id"},
                             {mapBind, mapBind, mapBind, mapBind});
    if (iRet != 0) {
        DL_LOG(2, "DeleteRole failed");
    }
    return iRet;
}

int CLS_RoleEntityDAO::UpdateRole(const CLS_RoleEntity& _role)
{
    const int iRet = ExecuteTransactionEx(m_strDbName,
                                          {"Update TAB_OBJ Set S_CAPTION=:name where S_ID =:id",
                                           "Update TAB_ROLE Set S_DESCRIPTION=:memo where S_ID =:id"},
                                          {{{":name", _role.S_CAPTION}, {":id", _role.S_ID}},
                                           {{":memo", _role.S_DESCRIPTION}, {":id", _role.S_ID}}});
    if (iRet != 0) {
        DL_LOG(2, "UpdateRole failed");
    }
    return iRet;
}

bool CLS_RoleEntityDAO::GetAuthorityByRole(const QString& _strRoleID,
                                           QMap<qint32, QVector<CLS_AuthEntity>>& _mapAuth)
{
    RecordSet* pRows =
        ExecuteQueryEx(m_strDbName, "SELECT * FROM TAB_OBJ_ROLE_AUTHORITY WHERE  S_ROLE_ID = :roleid ",
                       {{":roleid", _strRoleID}});
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_RoleEntityDAO::GetAuthorityByRole pRecSet=null");
        return false;
    }
    bool bOk = true;
    for (const QMap<QString, QString>* pRow : *pRows) {
        if (pRow == nullptr) {
            DL_LOG(2, "CLS_RoleEntityDAO::GetAuthorityByRole pRec=null");
            bOk = false;
            break;
        }
        CLS_AuthEntity auth;
        auth.S_OBJ_ID = pRow->value("S_OBJ_ID");
        auth.S_ROLE_ID = pRow->value("S_ROLE_ID");
        auth.I_AUTHORITY_TYPE_ID = pRow->value("I_AUTHORITY_TYPE_ID").toInt();
        auth.I_STATUS = pRow->value("I_STATUS").toInt();
        _mapAuth[auth.I_AUTHORITY_TYPE_ID].append(auth);
    }
    FreeRecordSet(pRows);
    return bOk;
}

bool CLS_RoleEntityDAO::GetRightsOfRole(const QString& _strRoleID, const QStringList& _lstObjIDs,
                                        QMap<qint32, QVector<CLS_AuthEntity>>& _mapAuth)
{
    static const QString s_strAll = QStringLiteral(
        "SELECT S_OBJ_ID, I_AUTHORITY_TYPE_ID, I_STATUS FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_ROLE_ID = :roleid");
    constexpr int kIdsPerQuery = 500;  // well below SQLite's bound-variable limit

    // Each object id is kept once; the ids asked for are those of the list.
    QHash<QString, QString> mapIds;
    QHash<QString, int> mapPosition;
    for (int i = 0; i < _lstObjIDs.size(); ++i) {
        mapIds.insert(_lstObjIDs[i], _lstObjIDs[i]);
        mapPosition.insert(_lstObjIDs[i], i);
    }
    QMap<qint32, QVector<CLS_AuthEntity>> mapRead;
    auto read = [&](const QString& _strSql, const QMap<QString, QVariant>& _mapBind) {
        RecordSet* pRows = ExecuteQueryEx(m_strDbName, _strSql, _mapBind);
        if (pRows == nullptr) {
            DL_LOG(2, "CLS_RoleEntityDAO::GetRightsOfRole pRecSet=null");
            return false;
        }
        if (_lstObjIDs.isEmpty()) {
            mapIds.reserve(mapIds.size() + pRows->size() / 2);
        }
        bool bOk = true;
        CLS_AuthEntity auth;
        auth.S_ROLE_ID = _strRoleID;
        for (const QMap<QString, QString>* pRow : qAsConst(*pRows)) {
            if (pRow == nullptr) {
                DL_LOG(2, "CLS_RoleEntityDAO::GetRightsOfRole pRec=null");
                bOk = false;
                break;
            }
            const QString strObjID = pRow->value(QStringLiteral("S_OBJ_ID"));
            auto itId = mapIds.constFind(strObjID);
            if (itId == mapIds.cend()) {
                itId = mapIds.insert(strObjID, strObjID);
            }
            auth.S_OBJ_ID = itId.value();
            auth.I_AUTHORITY_TYPE_ID = pRow->value(QStringLiteral("I_AUTHORITY_TYPE_ID")).toInt();
            auth.I_STATUS = pRow->value(QStringLiteral("I_STATUS")).toInt();
            mapRead[auth.I_AUTHORITY_TYPE_ID].append(auth);
        }
        FreeRecordSet(pRows);
        return bOk;
    };

    if (_lstObjIDs.isEmpty()) {
        if (!read(s_strAll, {{":roleid", _strRoleID}})) {
            return false;
        }
    } else {
        for (int iFirst = 0; iFirst < _lstObjIDs.size(); iFirst += kIdsPerQuery) {
            QStringList lstNames;
            QMap<QString, QVariant> mapBind{{":roleid", _strRoleID}};
            for (int i = iFirst; i < _lstObjIDs.size() && i < iFirst + kIdsPerQuery; ++i) {
                const QString strName = QStringLiteral(":id%1").arg(i - iFirst);
                lstNames << strName;
                mapBind.insert(strName, _lstObjIDs[i]);
            }
            if (!read(s_strAll + QStringLiteral(" AND S_OBJ_ID IN (%1)").arg(lstNames.join(',')), mapBind)) {
                return false;
            }
        }
        // The objects' rights were written in the order of the list.
        for (QVector<CLS_AuthEntity>& vecRights : mapRead) {
            std::stable_sort(vecRights.begin(), vecRights.end(),
                             [&](const CLS_AuthEntity& _a, const CLS_AuthEntity& _b) {
                                 return mapPosition.value(_a.S_OBJ_ID) < mapPosition.value(_b.S_OBJ_ID);
                             });
        }
    }
    for (auto it = mapRead.begin(); it != mapRead.end(); ++it) {
        QVector<CLS_AuthEntity>& vecTo = _mapAuth[it.key()];
        if (vecTo.isEmpty()) {
            vecTo.swap(it.value());
        } else {
            vecTo += it.value();
        }
    }
    return true;
}

bool CLS_RoleEntityDAO::HasAuthority(const QString& _strRoleID, const QString& _strObjID,
                                     qint32 _iAuthorityType)
{
    QString strSql = "SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE  S_ROLE_ID = :roleid";
    QMap<QString, QVariant> mapBind{{":roleid", _strRoleID}};
    if (!_strObjID.isEmpty()) {
        strSql += " AND  S_OBJ_ID =:treenodeid";
        mapBind.insert(":treenodeid", _strObjID);
    }
    strSql += " AND  I_AUTHORITY_TYPE_ID =" + IntToString(_iAuthorityType) + " AND  I_STATUS = 1";
    const QString strCount = GetFirstValue(m_strDbName, strSql, mapBind);
    return !strCount.isEmpty() && strCount != QLatin1String("0");
}

int CLS_RoleEntityDAO::UpdateAuthToRole(const CLS_AuthEntity& _auth)
{
    const QString strType = IntToString(_auth.I_AUTHORITY_TYPE_ID);
    const QString strCount =
        GetFirstValue(m_strDbName,
                      "SELECT COUNT(*) FROM TAB_OBJ_ROLE_AUTHORITY WHERE  S_OBJ_ID = :devid AND  "
                      "S_ROLE_ID = :roleid AND  I_AUTHORITY_TYPE_ID = " +
                          strType,
                      {{":devid", _auth.S_OBJ_ID}, {":roleid", _auth.S_ROLE_ID}});
    if (strCount.isEmpty() || strCount == QLatin1String("0")) {
        return AttachAuthToRole(_auth);
    }
    const int iRet = ExecuteTransactionEx(
        m_strDbName,
        {"UPDATE TAB_OBJ_ROLE_AUTHORITY SET  I_STATUS = " + IntToString(_auth.I_STATUS) +
         " WHERE  S_OBJ_ID = :id AND  S_ROLE_ID = :roleid AND  I_AUTHORITY_TYPE_ID =" + strType},
        {{{":id", _auth.S_OBJ_ID}, {":roleid", _auth.S_ROLE_ID}}});
    if (iRet != 0) {
        DL_LOG(2, "UpdateAuthToRole failed");
    }
    return iRet;
}

int CLS_RoleEntityDAO::AttachAuthToRole(const CLS_AuthEntity& _auth)
{
    const int iRet = ExecuteTransactionEx(
        m_strDbName,
        {"INSERT INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS) VALUES "
         "(:id,:roleid," +
         IntToString(_auth.I_AUTHORITY_TYPE_ID) + "," + IntToString(_auth.I_STATUS) + ")"},
        {{{":id", _auth.S_OBJ_ID}, {":roleid", _auth.S_ROLE_ID}}});
    if (iRet != 0) {
        DL_LOG(2, "AttachAuthToRole failed");
    }
    return iRet;
}

int CLS_RoleEntityDAO::UpdateAuthToRoles(const QMap<qint32, QVector<CLS_AuthEntity>>& _mapAuth)
{
    QList<QString> lstSql;
    QList<QMap<QString, QVariant>> lstBind;
    for (auto it = _mapAuth.cbegin(); it != _mapAuth.cend(); ++it) {
        for (const CLS_AuthEntity& auth : it.value()) {
            lstSql.append(
                "REPLACE INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS) "
                "VALUES "
                "(:id,:roleid," +
                IntToString(it.key()) + "," + IntToString(auth.I_STATUS) + ")");
            lstBind.append({{":id", auth.S_OBJ_ID}, {":roleid", auth.S_ROLE_ID}});
        }
    }
    // Nothing to change is not a request.
    const int iRet = lstSql.isEmpty() ? 0 : ExecuteTransactionEx(m_strDbName, lstSql, lstBind);
    DL_LOG(iRet == 0 ? 1 : 2, "CLS_RoleEntityDAO::UpdateAuthToRoles iRet=%d", iRet);
    return iRet;
}
