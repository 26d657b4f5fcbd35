#include "CLS_RoleEntityDAO.h"

#include "Log.h"

#include <QHash>

#include <algorithm>

CLS_RoleEntityDAO* CLS_RoleEntityDAO::GetInstance()
{
    static CLS_RoleEntityDAO* const s_pInstance = new CLS_RoleEntityDAO();
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

namespace {

// Each object's id of a dense row, as "<length in characters>:<id>" one after another; false
// when the text is not that or holds another number of ids than _iCount.
template <class F>
bool splitIds(QStringView _text, int _iCount, F _onId)
{
    int iPos = 0;
    const int iSize = static_cast<int>(_text.size());
    for (int n = 0; n < _iCount; ++n) {
        qint64 iLength = 0;
        const int iDigits = iPos;
        while (iPos < iSize && _text[iPos].isDigit() && iLength <= iSize) {
            iLength = iLength * 10 + _text[iPos].digitValue();
            ++iPos;
        }
        if (iPos == iDigits || iPos >= iSize || _text[iPos] != QLatin1Char(':')) {
            return false;
        }
        const int iStart = ++iPos;
        // The length counts characters: a pair of surrogates is one.
        for (qint64 i = 0; i < iLength; ++i) {
            if (iPos >= iSize) {
                return false;
            }
            iPos +=
                _text[iPos].isHighSurrogate() && iPos + 1 < iSize && _text[iPos + 1].isLowSurrogate() ? 2 : 1;
        }
        _onId(_text.mid(iStart, iPos - iStart));
    }
    return iPos == iSize;
}

}  // namespace

bool CLS_RoleEntityDAO::GetRightsOfRole(const QString& _strRoleID, const QStringList& _lstObjIDs,
                                        CLS_RoleRights& _rights)
{
    // One row per type and status, the objects' ids joined in the order of the role's index
    // (type, status, then as written): that of a plain read of the role's rights.
    static const QString s_strDense = QStringLiteral(
        "SELECT I_AUTHORITY_TYPE_ID, I_STATUS, COUNT(*) AS I_COUNT, "
        "group_concat(length(S_OBJ_ID) || ':' || S_OBJ_ID, '') AS S_OBJ_IDS FROM TAB_OBJ_ROLE_AUTHORITY "
        "WHERE S_ROLE_ID = :roleid GROUP BY I_AUTHORITY_TYPE_ID, I_STATUS "
        "ORDER BY I_AUTHORITY_TYPE_ID, I_STATUS");
    static const QString s_strOf = QStringLiteral(
        "SELECT S_OBJ_ID, I_AUTHORITY_TYPE_ID, I_STATUS "
        "FROM TAB_OBJ_ROLE_AUTHORITY WHERE S_ROLE_ID = :roleid");
    constexpr int kIdsPerQuery = 500;  // well below SQLite's bound-variable limit

    CLS_RoleRights read;
    if (_lstObjIDs.isEmpty()) {
        RecordSet* pRows = ExecuteQueryEx(m_strDbName, s_strDense, {{":roleid", _strRoleID}});
        if (pRows == nullptr) {
            DL_LOG(2, "CLS_RoleEntityDAO::GetRightsOfRole pRecSet=null");
            return false;
        }
        // Views into the rows' texts, alive until the rows are freed.
        QHash<QStringView, quint32> mapIds;
        bool bOk = true;
        for (const QMap<QString, QString>* pRow : qAsConst(*pRows)) {
            bool bCount = false;
            const int iCount = pRow == nullptr ? 0 : pRow->value(QStringLiteral("I_COUNT")).toInt(&bCount);
            if (pRow == nullptr || !bCount || iCount < 0) {
                DL_LOG(2, "CLS_RoleEntityDAO::GetRightsOfRole pRec=null");
                bOk = false;
                break;
            }
            const qint32 iType = pRow->value(QStringLiteral("I_AUTHORITY_TYPE_ID")).toInt();
            const qint32 iStatus = pRow->value(QStringLiteral("I_STATUS")).toInt();
            const auto itIds = pRow->constFind(QStringLiteral("S_OBJ_IDS"));
            const QStringView ids = itIds == pRow->cend() ? QStringView() : QStringView(itIds.value());
            mapIds.reserve(mapIds.size() + iCount);
            read.Reserve(iType, iCount);
            const bool bSplit = splitIds(ids, iCount, [&](QStringView _id) {
                auto itId = mapIds.constFind(_id);
                if (itId == mapIds.cend()) {
                    itId = mapIds.insert(_id, read.AddObject(_id));
                }
                read.Append(iType, itId.value(), iStatus);
            });
            if (!bSplit) {
                DL_LOG(2, "CLS_RoleEntityDAO::GetRightsOfRole pRec=null");
                bOk = false;
                break;
            }
        }
        FreeRecordSet(pRows);
        if (!bOk) {
            return false;
        }
        read.Squeeze();
        _rights = std::move(read);
        return true;
    }

    // The rights on the objects of the list, in the order of the list within each type.
    QHash<QString, int> mapPosition;
    for (int i = 0; i < _lstObjIDs.size(); ++i) {
        mapPosition.insert(_lstObjIDs[i], i);
    }
    struct Row
    {
        int iPosition;
        qint32 iType;
        qint32 iStatus;
    };
    QVector<Row> vecRows;
    for (int iFirst = 0; iFirst < _lstObjIDs.size(); iFirst += kIdsPerQuery) {
        QStringList lstNames;
        QMap<QString, QVariant> mapBind{{":roleid", _strRoleID}};
        for (int i = iFirst; i < _lstObjIDs.size() && i < iFirst + kIdsPerQuery; ++i) {
            const QString strName = QStringLiteral(":id%1").arg(i - iFirst);
            lstNames << strName;
            mapBind.insert(strName, _lstObjIDs[i]);
        }
        RecordSet* pRows = ExecuteQueryEx(
            m_strDbName, s_strOf + QStringLiteral(" AND S_OBJ_ID IN (%1)").arg(lstNames.join(',')), mapBind);
        if (pRows == nullptr) {
            DL_LOG(2, "CLS_RoleEntityDAO::GetRightsOfRole pRecSet=null");
            return false;
        }
        bool bOk = true;
        for (const QMap<QString, QString>* pRow : qAsConst(*pRows)) {
            const auto itPosition = pRow == nullptr
                                        ? mapPosition.cend()
                                        : mapPosition.constFind(pRow->value(QStringLiteral("S_OBJ_ID")));
            if (itPosition == mapPosition.cend()) {
                DL_LOG(2, "CLS_RoleEntityDAO::GetRightsOfRole pRec=null");
                bOk = false;
                break;
            }
            vecRows.append(Row{itPosition.value(), pRow->value(QStringLiteral("I_AUTHORITY_TYPE_ID")).toInt(),
                               pRow->value(QStringLiteral("I_STATUS")).toInt()});
        }
        FreeRecordSet(pRows);
        if (!bOk) {
            return false;
        }
    }
    // By type, then as the objects were written.
    std::stable_sort(vecRows.begin(), vecRows.end(), [](const Row& _a, const Row& _b) {
        return _a.iType != _b.iType ? _a.iType < _b.iType : _a.iPosition < _b.iPosition;
    });
    QHash<int, quint32> mapObject;
    for (const Row& row : qAsConst(vecRows)) {
        auto itObject = mapObject.constFind(row.iPosition);
        if (itObject == mapObject.cend()) {
            itObject = mapObject.insert(row.iPosition, read.AddObject(_lstObjIDs[row.iPosition]));
        }
        read.Append(row.iType, itObject.value(), row.iStatus);
    }
    _rights = std::move(read);
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
