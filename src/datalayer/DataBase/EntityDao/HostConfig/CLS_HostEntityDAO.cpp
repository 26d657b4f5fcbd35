#include "CLS_HostEntityDAO.h"

#include "DeviceDaoSupport.h"
#include "ObjectRemoval.h"

using namespace DeviceDao;

namespace {

const char kHostColumns[] =
    "S_ID, S_IP, I_PORT, S_USERNAME, S_PASSWORD, S_DESCRIPTION, I_VIDEO_HOST_TYPE_ID, S_DNS_IP, I_DNS_PORT, "
    "I_DNS_TYPE, I_DEVTYPE, S_PRODUCT_ID, S_DOMAIN, I_PROXY_TYPE, S_PROXY1_ID, S_PROXY1_IP, I_PROXY1_PORT, "
    "S_PROXY1_CAPTION, S_PROXY2_ID, S_PROXY2_IP, I_PROXY2_PORT, S_PROXY2_CAPTION, S_DNS_USER, "
    "S_DNS_PASSWORD, "
    "S_CAPTION, S_PARENT_ID, S_VIDEO_HOST_TYPE_ID, S_VIDEO_HOST_TYPE_NAME, S_DOMAIN_ID, I_HTTP_PORT, "
    "S_ITS_NUMBER, I_ENABLE_DEFENCE";

QString hostSelect()
{
    return QStringLiteral("SELECT %1 FROM VIEW_DEV_HOST").arg(QLatin1String(kHostColumns));
}

// Hosts on which a role of the user holds authority type 1 (visible) with status 1.
const char kHostsOfUserRole[] =
    "(SELECT S_OBJ_ID FROM TAB_USER_ROLE LEFT JOIN TAB_OBJ_ROLE_AUTHORITY ON "
    "TAB_OBJ_ROLE_AUTHORITY.S_ROLE_ID = "
    "TAB_USER_ROLE.S_ROLE_ID WHERE TAB_OBJ_ROLE_AUTHORITY.I_AUTHORITY_TYPE_ID = 1 AND "
    "TAB_OBJ_ROLE_AUTHORITY.I_STATUS=1  AND TAB_USER_ROLE.S_USER_ID = :userID)";

QString num(int _iValue)
{
    return CLS_BaseEntityDAO::IntToString(_iValue);
}

}  // namespace

CLS_HostEntityDAO* CLS_HostEntityDAO::GetInstance()
{
    static CLS_HostEntityDAO* const s_pInstance = new CLS_HostEntityDAO();
    return s_pInstance;
}

CLS_HostEntityDAO::CLS_HostEntityDAO()
    : m_authorityTypes(m_strDbName, QStringLiteral("SELECT I_AUTHORITY_TYPE_ID FROM TAB_OBJ_TYPE_AUTHORITY_TYPE "
                                                   "WHERE I_OBJ_TYPE_ID=4"))
{
}

CLS_HostEntityDAO::~CLS_HostEntityDAO() = default;

QStringList CLS_HostEntityDAO::AuthorityTypes() const
{
    return m_authorityTypes.Held();
}

int CLS_HostEntityDAO::InsertHost(const CLS_HostEntity& _hostEntity)
{
    return Guarded("CLS_HostEntityDAO::InsertHost", -1, [&] {
        const CLS_HostEntity& e = _hostEntity;
        if (!IsStorablePassword(e.S_PASSWORD, "CLS_HostEntityDAO::InsertHost")) {
            return -1;
        }
        const QStringList lstTypes = m_authorityTypes.Get("CLS_HostEntityDAO::InsertHost");
        if (lstTypes.isEmpty()) {
            return -1;
        }
        QList<QString> lstSql;
        QList<Binds> lstBinds;

        lstSql << QStringLiteral(
                      "Insert Into TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) Values "
                      "(:hostEntityID, NULL, %1, :hostEntityName, 1)")
                      .arg(num(e.I_OBJ_TYPE_ID));
        lstBinds << Binds{{":hostEntityID", e.S_ID}, {":hostEntityName", e.S_CAPTION}};

        lstSql
            << QStringLiteral(
                   "Insert Into TAB_DEV_VIDEO_HOST(S_ID, S_IP, I_PORT, S_USERNAME, S_PASSWORD, "
                   "S_DESCRIPTION, "
                   "I_DEVTYPE,I_VIDEO_HOST_TYPE_ID, S_DNS_IP, I_DNS_PORT,I_DNS_TYPE,S_PRODUCT_ID,S_DOMAIN,"
                   "I_HTTP_PORT,S_ITS_NUMBER) Values (:hostEntityID, :hostEntityIP, %1, :hostEntityUser, "
                   ":hostEntityPWD, :hostEntityMemo, %2, %3, :hostEntityDNSIP, %4, %5, :hostEntitySerialNo, "
                   ":hostEntityDomain, %6, :hostEntityITSHostNo)")
                   .arg(num(e.I_PORT), num(e.I_DEVTYPE), num(e.I_VIDEO_HOST_TYPE_ID), num(e.I_DNS_PORT),
                        num(e.I_DNS_TYPE), num(e.I_HTTP_PORT));
        lstBinds << Binds{{":hostEntityID", e.S_ID},
                          {":hostEntityIP", e.S_IP},
                          {":hostEntityUser", e.S_USERNAME},
                          {":hostEntityPWD", EncodePassword(e.S_PASSWORD)},
                          {":hostEntityMemo", e.S_DESCRIPTION},
                          {":hostEntityDNSIP", e.S_DNS_IP},
                          {":hostEntitySerialNo", e.S_PRODUCT_ID},
                          {":hostEntityDomain", e.S_DOMAIN},
                          {":hostEntityITSHostNo", e.S_ITS_NUMBER}};

        lstSql
            << QStringLiteral(
                   "Insert Into TAB_HOST(S_ID, I_PROXY_TYPE, S_PROXY1_ID, S_PROXY1_IP, I_PROXY1_PORT, "
                   "S_PROXY1_CAPTION,S_PROXY2_ID, S_PROXY2_IP, I_PROXY2_PORT, S_PROXY2_CAPTION, S_DNS_USER, "
                   "S_DNS_PASSWORD, I_ENABLE_DEFENCE) Values (:hostEntityID, %1, :hostEntityProxyID1, "
                   ":hostEntityProxyIP1, %2, :hostEntityProxyName1, :hostEntityProxyID2, "
                   ":hostEntityProxyIP2, "
                   "%3, :hostEntityProxyName2, :hostEntityDNSUser, :hostEntityDNSPassword, "
                   ":hostEntityDefenceState)")
                   .arg(num(e.I_PROXY_TYPE), num(e.I_PROXY1_PORT), num(e.I_PROXY2_PORT));
        lstBinds << Binds{{":hostEntityID", e.S_ID},
                          {":hostEntityProxyID1", e.S_PROXY1_ID},
                          {":hostEntityProxyIP1", e.S_PROXY1_IP},
                          {":hostEntityProxyName1", e.S_PROXY1_CAPTION},
                          {":hostEntityProxyID2", e.S_PROXY2_ID},
                          {":hostEntityProxyIP2", e.S_PROXY2_IP},
                          {":hostEntityProxyName2", e.S_PROXY2_CAPTION},
                          {":hostEntityDNSUser", e.S_DNS_USER},
                          {":hostEntityDNSPassword", e.S_DNS_PASSWORD},
                          {":hostEntityDefenceState", e.I_ENABLE_DEFENCE}};

        for (const QString& strType : lstTypes) {
            lstSql << QStringLiteral(
                          "INSERT INTO TAB_OBJ_ROLE_AUTHORITY(S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, "
                          "I_STATUS, "
                          "S_PARENT_ID) VALUES (:hostEntityID, 'admin_role', %1, 1, :hostEntityID)")
                          .arg(num(strType.toInt()));
            lstBinds << Binds{{":hostEntityID", e.S_ID}};
        }
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_HostEntityDAO::UpdateHost(const CLS_HostEntity& _hostEntity)
{
    return Guarded("CLS_HostEntityDAO::UpdateHost", -1, [&] {
        const CLS_HostEntity& e = _hostEntity;
        if (!IsStorablePassword(e.S_PASSWORD, "CLS_HostEntityDAO::UpdateHost")) {
            return -1;
        }
        QList<QString> lstSql;
        QList<Binds> lstBinds;

        lstSql << QStringLiteral("Update TAB_OBJ Set S_CAPTION = :hostEntityName Where S_ID = :hostEntityID");
        lstBinds << Binds{{":hostEntityID", e.S_ID}, {":hostEntityName", e.S_CAPTION}};

        lstSql << QStringLiteral(
                      "UPDATE TAB_DEV_VIDEO_HOST SET S_IP = :hostEntityIP, I_PORT = %1, S_USERNAME = "
                      ":hostEntityUser, S_PASSWORD = :hostEntityPWD, S_DESCRIPTION = :hostEntityMemo, "
                      "I_VIDEO_HOST_TYPE_ID = %2, S_DNS_IP = :hostEntityDNSIP, I_DNS_PORT = %3, I_DNS_TYPE = "
                      "%4, "
                      "S_PRODUCT_ID = :hostEntitySerialNo, S_DOMAIN = :hostEntityDomain, I_HTTP_PORT = %5, "
                      "S_ITS_NUMBER = :hostEntityITSHostNo WHERE S_ID =:hostEntityID")
                      .arg(num(e.I_PORT), num(e.I_VIDEO_HOST_TYPE_ID), num(e.I_DNS_PORT), num(e.I_DNS_TYPE),
                           num(e.I_HTTP_PORT));
        lstBinds << Binds{{":hostEntityID", e.S_ID},
                          {":hostEntityIP", e.S_IP},
                          {":hostEntityUser", e.S_USERNAME},
                          {":hostEntityPWD", EncodePassword(e.S_PASSWORD)},
                          {":hostEntityMemo", e.S_DESCRIPTION},
                          {":hostEntityDNSIP", e.S_DNS_IP},
                          {":hostEntitySerialNo", e.S_PRODUCT_ID},
                          {":hostEntityDomain", e.S_DOMAIN},
                          {":hostEntityITSHostNo", e.S_ITS_NUMBER}};

        lstSql
            << QStringLiteral(
                   "UPDATE TAB_HOST SET I_PROXY_TYPE = %1, S_PROXY1_ID = :hostEntityProxyID1, S_PROXY1_IP = "
                   ":hostEntityProxyIP1, I_PROXY1_PORT = %2, S_PROXY1_CAPTION = :hostEntityProxyName1, "
                   "S_PROXY2_ID = :hostEntityProxyID2, S_PROXY2_IP = :hostEntityProxyIP2, I_PROXY2_PORT = "
                   "%3, "
                   "S_PROXY2_CAPTION = :hostEntityProxyName2, S_DNS_USER = :hostEntityDNSUser, "
                   "S_DNS_PASSWORD = :hostEntityDNSPassword WHERE S_ID =:hostEntityID")
                   .arg(num(e.I_PROXY_TYPE), num(e.I_PROXY1_PORT), num(e.I_PROXY2_PORT));
        lstBinds << Binds{{":hostEntityID", e.S_ID},
                          {":hostEntityProxyID1", e.S_PROXY1_ID},
                          {":hostEntityProxyIP1", e.S_PROXY1_IP},
                          {":hostEntityProxyName1", e.S_PROXY1_CAPTION},
                          {":hostEntityProxyID2", e.S_PROXY2_ID},
                          {":hostEntityProxyIP2", e.S_PROXY2_IP},
                          {":hostEntityProxyName2", e.S_PROXY2_CAPTION},
                          {":hostEntityDNSUser", e.S_DNS_USER},
                          {":hostEntityDNSPassword", e.S_DNS_PASSWORD}};
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_HostEntityDAO::DeleteHost(const QString& _strHostID)
{
    return Guarded("CLS_HostEntityDAO::DeleteHost", -1, [&] {
        // The children are found by their parent column, whatever tree is loaded, and go with
        // the host and every row referring to them in one transaction.
        QStringList lstIDs;
        if (Column(ExecuteQueryEx(m_strDbName, QStringLiteral("SELECT S_ID FROM TAB_OBJ WHERE S_PARENT_ID=:id"),
                                  Binds{{":id", _strHostID}}),
                   "S_ID", lstIDs) != 0) {
            return -1;
        }
        lstIDs.append(_strHostID);
        QList<QString> lstSql;
        QList<Binds> lstBinds;
        AppendDeviceObjectRemoval(lstIDs, lstSql, lstBinds);
        return ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    });
}

int CLS_HostEntityDAO::SetLocalRecorderPassword(const QString& _strPassword)
{
    return Guarded("CLS_HostEntityDAO::SetLocalRecorderPassword", -1, [&] {
        if (!IsStorablePassword(_strPassword, "CLS_HostEntityDAO::SetLocalRecorderPassword")) {
            return -1;
        }
        const int iRet =
            ExecuteEx(m_strDbName,
                      QStringLiteral("UPDATE TAB_DEV_VIDEO_HOST SET S_PASSWORD=:passwd WHERE I_DEVTYPE='0';"),
                      Binds{{":passwd", EncodePassword(_strPassword)}});
        return iRet == 0 ? 0 : -1;
    });
}

int CLS_HostEntityDAO::SetHostDefenceState(const QString& _strHostID, int _iState)
{
    return Guarded("CLS_HostEntityDAO::SetHostDefenceState", -1, [&] {
        return ExecuteEx(m_strDbName,
                         QStringLiteral("UPDATE TAB_HOST SET I_ENABLE_DEFENCE=:newStates WHERE S_ID=:hostId"),
                         Binds{{":newStates", _iState}, {":hostId", _strHostID}});
    });
}

void CLS_HostEntityDAO::LoadHost(const QMap<QString, QString>& _row, CLS_HostEntity& e)
{
    e.S_ID = Text(_row, "S_ID");
    e.S_IP = Text(_row, "S_IP");
    e.I_PORT = Int(_row, "I_PORT");
    e.S_USERNAME = Text(_row, "S_USERNAME");
    e.S_PASSWORD = DecodePassword(Text(_row, "S_PASSWORD"));
    e.S_DESCRIPTION = Text(_row, "S_DESCRIPTION");
    e.I_VIDEO_HOST_TYPE_ID = Int(_row, "I_VIDEO_HOST_TYPE_ID");
    e.S_DNS_IP = Text(_row, "S_DNS_IP");
    e.I_DNS_PORT = Int(_row, "I_DNS_PORT");
    e.I_DNS_TYPE = Int(_row, "I_DNS_TYPE");
    e.I_DEVTYPE = Int(_row, "I_DEVTYPE");
    e.S_PRODUCT_ID = Text(_row, "S_PRODUCT_ID");
    e.S_DOMAIN = Text(_row, "S_DOMAIN");
    e.I_PROXY_TYPE = Int(_row, "I_PROXY_TYPE");
    e.S_PROXY1_ID = Text(_row, "S_PROXY1_ID");
    e.S_PROXY1_IP = Text(_row, "S_PROXY1_IP");
    e.I_PROXY1_PORT = Int(_row, "I_PROXY1_PORT");
    e.S_PROXY1_CAPTION = Text(_row, "S_PROXY1_CAPTION");
    e.S_PROXY2_ID = Text(_row, "S_PROXY2_ID");
    e.S_PROXY2_IP = Text(_row, "S_PROXY2_IP");
    e.I_PROXY2_PORT = Int(_row, "I_PROXY2_PORT");
    e.S_PROXY2_CAPTION = Text(_row, "S_PROXY2_CAPTION");
    e.S_DNS_USER = Text(_row, "S_DNS_USER");
    e.S_DNS_PASSWORD = Text(_row, "S_DNS_PASSWORD");
    e.S_CAPTION = Text(_row, "S_CAPTION");
    e.S_PARENT_ID = Text(_row, "S_PARENT_ID");
    e.S_VIDEO_HOST_TYPE_NAME = Text(_row, "S_VIDEO_HOST_TYPE_NAME");
    e.S_DOMAIN_ID = Text(_row, "S_DOMAIN_ID");
    e.I_HTTP_PORT = Int(_row, "I_HTTP_PORT");
    e.S_ITS_NUMBER = Text(_row, "S_ITS_NUMBER");
    e.I_ENABLE_DEFENCE = Int(_row, "I_ENABLE_DEFENCE");
}

int CLS_HostEntityDAO::ReadHosts(const QString& _strSql, const QMap<QString, QVariant>& _mapBind,
                                 QVector<CLS_HostEntity*>& _vecHosts)
{
    RecordSet* pRows = _mapBind.isEmpty() ? ExecuteQuery(m_strDbName, _strSql)
                                          : ExecuteQueryEx(m_strDbName, _strSql, _mapBind);
    return ReadEntities(pRows, _vecHosts, &CLS_HostEntityDAO::LoadHost);
}

int CLS_HostEntityDAO::GetHostById(const QString& _strHostID, CLS_HostEntity& _hostEntity)
{
    return Guarded("CLS_HostEntityDAO::GetHostById", -1, [&] {
        const Rows rows(ExecuteQueryEx(m_strDbName, hostSelect() + QStringLiteral(" WHERE S_ID = :id"),
                                       Binds{{":id", _strHostID}}));
        if (rows.First() == nullptr) {
            return -1;
        }
        LoadHost(*rows.First(), _hostEntity);
        return 0;
    });
}

int CLS_HostEntityDAO::GetHostsOfUser(const QString& _strUserID, QVector<CLS_HostEntity*>& _vecHosts)
{
    return Guarded("CLS_HostEntityDAO::GetHostsOfUser", -1, [&] {
        // The user id is bound rather than spliced between quotes.
        const QString strSql =
            hostSelect() +
            QStringLiteral(" WHERE S_ID IN %1 ORDER BY S_IP ASC").arg(QLatin1String(kHostsOfUserRole));
        return ReadHosts(strSql, Binds{{":userID", _strUserID}}, _vecHosts);
    });
}

int CLS_HostEntityDAO::GetHostCount(int _iDevType, const QString& _strUserID)
{
    return Guarded("CLS_HostEntityDAO::GetHostCount", -1, [&] {
        if (_strUserID.isEmpty()) {
            return Count(
                m_strDbName,
                QStringLiteral("SELECT COUNT(*) FROM TAB_DEV_VIDEO_HOST WHERE 1=1 AND I_DEVTYPE = %1")
                    .arg(num(_iDevType)),
                Binds());
        }
        return Count(m_strDbName,
                     QStringLiteral("SELECT COUNT(*) FROM VIEW_DEV_HOST WHERE S_ID IN %1 AND I_DEVTYPE = %2")
                         .arg(QLatin1String(kHostsOfUserRole), num(_iDevType)),
                     Binds{{":userID", _strUserID}});
    });
}

int CLS_HostEntityDAO::GetHostPageCount(int _iPageSize)
{
    return Guarded("CLS_HostEntityDAO::GetHostPageCount", -1, [&] {
        if (_iPageSize < 1) {
            return -1;
        }
        const int iCount = Count(m_strDbName, QStringLiteral("SELECT COUNT(*) FROM VIEW_DEV_HOST"), Binds());
        if (iCount < 1) {
            return iCount;  // 0 hosts, or -1 for no answer
        }
        return iCount % _iPageSize == 0 ? iCount / _iPageSize : iCount / _iPageSize + 1;
    });
}

int CLS_HostEntityDAO::GetHostPage(int _iPageSize, int _iPage, QVector<CLS_HostEntity*>& _vecHosts)
{
    return Guarded("CLS_HostEntityDAO::GetHostPage", -1, [&] {
        const qint64 i64Offset = _iPage - 1 < 1 ? 0 : qint64(_iPage - 1) * _iPageSize;  // never wraps
        const QString strSql =
            QStringLiteral("Select * from VIEW_DEV_HOST order by VIEW_DEV_HOST.S_IP asc limit %1,%2")
                .arg(QString::number(i64Offset), num(_iPageSize));
        return ReadHosts(strSql, Binds(), _vecHosts);
    });
}

bool CLS_HostEntityDAO::IsHostExist(const QString& _strHostID)
{
    return Guarded("CLS_HostEntityDAO::IsHostExist", false, [&] {
        return Count(m_strDbName,
                     QStringLiteral("SELECT COUNT(*) FROM TAB_DEV_VIDEO_HOST WHERE S_ID = :hostID"),
                     Binds{{":hostID", _strHostID}}) > 0;
    });
}

int CLS_HostEntityDAO::GetHostIdsByAddress(const QString& _strAddress, int _iMode, QStringList& _lstHostIDs)
{
    return Guarded("CLS_HostEntityDAO::GetHostIdsByAddress", -1, [&] {
        const char* pszColumn = _iMode == 1 ? "S_DOMAIN" : (_iMode == 2 ? "S_PRODUCT_ID" : "S_IP");
        // The text is bound rather than spliced between quotes.
        const QString strSql = QStringLiteral("SELECT S_ID From VIEW_DEV_HOST Where %1 = :address")
                                   .arg(QLatin1String(pszColumn));
        return Column(ExecuteQueryEx(m_strDbName, strSql, Binds{{":address", _strAddress.trimmed()}}), "S_ID",
                      _lstHostIDs);
    });
}

int CLS_HostEntityDAO::GetHostIdsByProxyType(int _iProxyType, QStringList& _lstHostIDs)
{
    return Guarded("CLS_HostEntityDAO::GetHostIdsByProxyType", -1, [&] {
        return Column(
            ExecuteQuery(
                m_strDbName,
                QStringLiteral("SELECT S_ID FROM TAB_HOST WHERE I_PROXY_TYPE = %1").arg(num(_iProxyType))),
            "S_ID", _lstHostIDs);
    });
}

int CLS_HostEntityDAO::GetVideoHostTypes(int _iDevType, const QString& _strLangType,
                                         QMap<int, QString>& _mapTypes)
{
    _mapTypes.clear();
    return Guarded("CLS_HostEntityDAO::GetVideoHostTypes", -1, [&] {
        // The language is bound rather than spliced between quotes.
        const QString strSql =
            QStringLiteral(
                "SELECT a.I_ID, b.S_CAPTION FROM TAB_VIDEO_HOST_TYPE a,TAB_DD_Lang_DICTIONARY b "
                "where a.S_CAPTION = b.I_ID and b.S_LANG_TYPE=:langType and a.I_DEVTYPE = %1")
                .arg(num(_iDevType));
        const Rows rows(ExecuteQueryEx(m_strDbName, strSql, Binds{{":langType", _strLangType}}));
        if (rows.Failed()) {
            return -1;
        }
        for (const Row* pRow : rows) {
            if (pRow != nullptr) {
                _mapTypes.insert(Int(*pRow, "I_ID"), Text(*pRow, "S_CAPTION"));
            }
        }
        return 0;
    });
}

int CLS_HostEntityDAO::GetLocalRecorderCredentials(QString& _strUserName, QString& _strPassword)
{
    return Guarded("CLS_HostEntityDAO::GetLocalRecorderCredentials", -1, [&] {
        const Rows rows(ExecuteQuery(
            m_strDbName, QStringLiteral("SELECT * FROM TAB_DEV_VIDEO_HOST WHERE I_DEVTYPE='0' limit 0,1;")));
        const Row* pRow = rows.First();
        if (pRow == nullptr) {
            return -1;
        }
        _strUserName = Text(*pRow, "S_USERNAME");
        _strPassword = DecodePassword(Text(*pRow, "S_PASSWORD"));
        return 0;
    });
}

int CLS_HostEntityDAO::GetLocalRecorderAddress(QString& _strIP, int& _iHttpPort, int& _iPort)
{
    return Guarded("CLS_HostEntityDAO::GetLocalRecorderAddress", -1, [&] {
        const Rows rows(ExecuteQuery(
            m_strDbName, QStringLiteral("SELECT * FROM TAB_DEV_VIDEO_HOST WHERE I_DEVTYPE = 0 LIMIT 1")));
        const Row* pRow = rows.First();
        if (pRow == nullptr) {
            return -1;
        }
        _strIP = Text(*pRow, "S_IP");
        _iHttpPort = Int(*pRow, "I_HTTP_PORT");
        _iPort = Int(*pRow, "I_PORT");
        return 0;
    });
}
