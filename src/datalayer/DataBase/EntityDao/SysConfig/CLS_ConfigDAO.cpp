#include "CLS_ConfigDAO.h"

#include "Log.h"

const char* const CLS_ConfigDAO::kCommonTable = "TAB_CONFIG_USER_COMMON";
const char* const CLS_ConfigDAO::kPersonalTemplate = "TAB_CONFIG_USER_PERSONAL";
const char* const CLS_ConfigDAO::kSysConfig = "MAINTYPE_SYSCONFIG";
// Placeholder until the service operator's host name is known; the table's row wins.
const char* const CLS_ConfigDAO::kDefaultDomain = "ddns.tessel.example";

CLS_ConfigDAO* CLS_ConfigDAO::GetInstance()
{
    static CLS_ConfigDAO* const s_pInstance = new CLS_ConfigDAO();
    return s_pInstance;
}

int CLS_ConfigDAO::PersonalTableName(QString& _strTable)
{
    QString strSysId;
    const int iRet = GetSysId(strSysId);
    if (iRet != 0) {
        return -1;
    }
    _strTable = QLatin1String(kPersonalTemplate) + strSysId;
    return 0;
}

RecordSet* CLS_ConfigDAO::QueryGroupIn(const QString& _strPersonalTable, const QString& _strMainType,
                                       const QString& _strSubType, const QString& _strUserID)
{
    QMap<QString, QVariant> mapBind;
    auto clauses = [&](const QString& _strPrefix) {
        QString strWhere;
        if (!_strMainType.isEmpty()) {
            strWhere += " AND S_MAIN_TYPE=:" + _strPrefix + "MainType ";
            mapBind.insert(":" + _strPrefix + "MainType", _strMainType);
        }
        if (!_strSubType.isEmpty()) {
            strWhere += " AND S_SUB_TYPE=:" + _strPrefix + "SubType ";
            mapBind.insert(":" + _strPrefix + "SubType", _strSubType);
        }
        if (!_strUserID.isEmpty()) {
            strWhere += " AND S_USERID=:" + _strPrefix + "UserID ";
            mapBind.insert(":" + _strPrefix + "UserID", _strUserID);
        }
        return strWhere;
    };
    QString strSql = " SELECT S_SUB_TYPE, S_VALUE FROM TAB_CONFIG_USER_COMMON WHERE 1=1 " + clauses("Com");
    strSql += " UNION ALL ";
    strSql += QString(" SELECT S_SUB_TYPE, S_VALUE FROM %1 WHERE 1=1 ").arg(QuoteIdentifier(_strPersonalTable)) +
              clauses("Personal");
    return ExecuteQueryEx(m_strDbName, strSql, mapBind);
}

RecordSet* CLS_ConfigDAO::QueryGroup(const QString& _strMainType, const QString& _strSubType,
                                     const QString& _strUserID)
{
    QString strPersonal;
    if (PersonalTableName(strPersonal) != 0) {
        DL_LOG(3, "CLS_ConfigDAO::QueryGroup GetSysId fail iRet = %d", -1);
        return nullptr;
    }
    RecordSet* pRows = QueryGroupIn(strPersonal, _strMainType, _strSubType, _strUserID);
    if (pRows != nullptr && !pRows->isEmpty()) {
        return pRows;
    }
    FreeRecordSet(pRows);
    // Nothing found: this system may not have its personal table yet.
    const int iRet = Execute(
        m_strDbName, QString("CREATE TABLE %1 AS SELECT * FROM %2")
                         .arg(QuoteIdentifier(strPersonal), QuoteIdentifier(kPersonalTemplate)));
    if (iRet == 0) {
        pRows = QueryGroupIn(strPersonal, _strMainType, _strSubType, _strUserID);
        if (pRows != nullptr && !pRows->isEmpty()) {
            return pRows;
        }
        FreeRecordSet(pRows);
    }
    return QueryGroupIn(kPersonalTemplate, _strMainType, _strSubType, _strUserID);
}

int CLS_ConfigDAO::GetConfigValue(const QString& _strMainType, const QString& _strSubType,
                                  const QString& _strUserID, QString& _strValue)
{
    RecordSet* pRows = QueryGroup(_strMainType, _strSubType, _strUserID);
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_ConfigDAO::GetConfigValue pRecSet=null %s", qUtf8Printable(_strSubType));
        return -1;
    }
    _strValue = pRows->isEmpty() ? QString() : pRows->first()->value("S_VALUE");
    FreeRecordSet(pRows);
    return 0;
}

QString CLS_ConfigDAO::GetConfigValue(const QString& _strMainType, const QString& _strSubType,
                                      const QString& _strUserID)
{
    QString strValue;
    GetConfigValue(_strMainType, _strSubType, _strUserID, strValue);
    return strValue;
}

int CLS_ConfigDAO::SetConfigValue(const QString& _strMainType, const QString& _strSubType,
                                  const QString& _strValue, const QString& _strUserID)
{
    QString strFind =
        "SELECT * FROM TAB_CONFIG_USER_COMMON WHERE S_MAIN_TYPE=:MainType and S_SUB_TYPE= :SubType ";
    QMap<QString, QVariant> mapBind{{":MainType", _strMainType}, {":SubType", _strSubType}};
    if (!_strUserID.isEmpty()) {
        strFind += "and S_USERID= :UserId ";
        mapBind.insert(":UserId", _strUserID);
    }
    RecordSet* pRows = ExecuteQueryEx(m_strDbName, strFind, mapBind);
    const bool bCommon = pRows != nullptr && !pRows->isEmpty();
    FreeRecordSet(pRows);

    QString strTable = QLatin1String(kCommonTable);
    if (!bCommon) {
        if (PersonalTableName(strTable) != 0) {
            DL_LOG(3, "CLS_ConfigDAO::SetConfigValue GetSysId fail iRet = %d", -1);
            return -1;
        }
        const int iRet = CreatePersonalTab(strTable);
        if (iRet != 0) {
            return iRet;
        }
        strTable = QuoteIdentifier(strTable);
    }
    // The value is bound, so that one holding a quote is stored as given.
    QString strSql = QString("UPDATE %1 Set S_VALUE=:Value").arg(strTable) + " WHERE S_MAIN_TYPE=:MainType" +
                     " AND S_SUB_TYPE=:SubType";
    mapBind.insert(":Value", _strValue);
    if (!_strUserID.isEmpty()) {
        strSql += " AND S_USERID=:UserId";
    }
    const int iRet = ExecuteTransactionEx(m_strDbName, {strSql}, {mapBind});
    if (iRet != 0) {
        DL_LOG(2, "CLS_ConfigDAO::SetConfigValue iRet=%d", iRet);
    }
    return iRet;
}

QMap<QString, QString> CLS_ConfigDAO::GetConfigMap(const QString& _strMainType)
{
    QMap<QString, QString> mapValues;
    RecordSet* pRows = QueryGroup(_strMainType, QString(), QString());
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_ConfigDAO::GetConfigMap pRecSet=null");
        return mapValues;
    }
    // Common rows come first, so a personal value replaces a common one of the same key.
    for (const QMap<QString, QString>* pRow : *pRows) {
        mapValues.insert(pRow->value("S_SUB_TYPE"), pRow->value("S_VALUE"));
    }
    FreeRecordSet(pRows);
    return mapValues;
}

QMap<QString, QString> CLS_ConfigDAO::GetComConfig(const QString& _strMainType)
{
    QMap<QString, QString> mapValues;
    RecordSet* pRows = ExecuteQueryEx(
        m_strDbName, "SELECT S_SUB_TYPE, S_VALUE FROM TAB_CONFIG_USER_COMMON WHERE S_MAIN_TYPE=:ComMainType",
        {{":ComMainType", _strMainType}});
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_ConfigDAO::GetComConfig pRecSet=null");
        return mapValues;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        mapValues.insert(pRow->value("S_SUB_TYPE"), pRow->value("S_VALUE"));
    }
    FreeRecordSet(pRows);
    return mapValues;
}

int CLS_ConfigDAO::SaveInfo(const QString& _strTable, const QMap<QString, QString>& _mapValues)
{
    if (_mapValues.isEmpty()) {
        return 0;
    }
    // Key and value are bound: a path or a text holding a quote is stored as given. A key
    // without a row is simply not stored.
    const QString strSql =
        QString("UPDATE %1 Set S_VALUE=:value where S_MAIN_TYPE='MAINTYPE_SYSCONFIG' and S_SUB_TYPE=:key")
            .arg(_strTable);
    QList<QString> lstSql;
    QList<QMap<QString, QVariant>> lstBind;
    for (auto it = _mapValues.cbegin(); it != _mapValues.cend(); ++it) {
        lstSql.append(strSql);
        lstBind.append({{":value", it.value()}, {":key", it.key()}});
    }
    return ExecuteTransactionEx(m_strDbName, lstSql, lstBind);
}

int CLS_ConfigDAO::SaveComInfo(const QMap<QString, QString>& _mapValues)
{
    return SaveInfo(kCommonTable, _mapValues);
}

int CLS_ConfigDAO::SavePersonalInfo(const QMap<QString, QString>& _mapValues)
{
    QString strTable;
    if (PersonalTableName(strTable) != 0) {
        DL_LOG(3, "CLS_ConfigDAO::SavePersonalInfo GetSysId fail iRet = %d", -1);
        return -1;
    }
    const int iRet = CreatePersonalTab(strTable);
    if (iRet != 0) {
        DL_LOG(2, "CLS_ConfigDAO::SavePersonalInfo CreatePersonalTab iRet=%d", iRet);
        return iRet;
    }
    return SaveInfo(QuoteIdentifier(strTable), _mapValues);
}

STRCT_DeviceAddConfig CLS_ConfigDAO::GetDeviceAddConfig()
{
    STRCT_DeviceAddConfig config;
    const QMap<QString, QString> mapValues = GetConfigMap("MAINTYPE_DEVICEADDCONFIG");
    config.m_strUserName = mapValues.value("userName");
    config.m_strPassword = mapValues.value("password");
    config.m_bAddToGroup = mapValues.value("addToGroup") == QLatin1String("true");
    return config;
}

int CLS_ConfigDAO::CreatePersonalTab(const QString& _strTable)
{
    int iRet = 0;
    const QString strCount = GetFirstValue(
        m_strDbName, "SELECT COUNT(*) FROM SQLITE_MASTER WHERE TYPE = 'table' AND TBL_NAME = :name",
        {{":name", _strTable}});
    if (strCount == QLatin1String("0")) {
        iRet = Execute(m_strDbName,
                       QString("CREATE TABLE %1 AS SELECT * FROM %2")
                           .arg(QuoteIdentifier(_strTable), QuoteIdentifier(kPersonalTemplate)));
    }
    DL_LOG(iRet == 0 ? 1 : 2, "CLS_ConfigDAO::CreatePersonalTab iRet=%d", iRet);
    return iRet;
}

STRCT_DomainServerInfo CLS_ConfigDAO::GetDomainServerInfo()
{
    STRCT_DomainServerInfo info;
    info.m_strDomain = QLatin1String(kDefaultDomain);
    info.m_iPort = kDefaultDomainPort;
    RecordSet* pRows = ExecuteQuery(m_strDbName, "select * from TAB_DOMAIN_SEVER_INFO");
    if (pRows != nullptr && !pRows->isEmpty()) {
        const QMap<QString, QString>* pRow = pRows->first();
        const QString strDomain = pRow->value("S_DOMAIN");
        info.m_strDomain = strDomain.isEmpty() ? QLatin1String(kDefaultDomain) : strDomain;
        info.m_iPort = pRow->value("I_PORT").toInt();
    } else {
        DL_LOG(3, "CLS_ConfigDAO::GetDomainServerInfo no row, default %s:%d", kDefaultDomain,
               kDefaultDomainPort);
    }
    FreeRecordSet(pRows);
    return info;
}
