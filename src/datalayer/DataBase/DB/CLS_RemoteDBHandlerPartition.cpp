// Partitioned-table commands of CLS_RemoteDBHandler.
#include "CLS_RemoteDBHandler.h"

#include "Log.h"

#include <QJsonArray>

int CLS_RemoteDBHandler::PartitionExecute(const QString& _strDbName, const QString& _strSql,
                                          const QString& _strTableName, const QString& _strSuffix,
                                          int _iTimeout, bool _bIsBroadcast)
{
    if (!IsConnectionVaild()) {
        DL_LOG(2, "%s Connection invalid.", "CLS_RemoteDBHandler::PartitionExecute");
        return -1;
    }
    QJsonObject request;
    CreatJsonObject(_strDbName, _strSql, request);
    request.insert(QStringLiteral("tableName"), _strTableName);
    request.insert(QStringLiteral("suffix"), _strSuffix);
    request.insert(QStringLiteral("isBroadcast"), _bIsBroadcast);
    return ExecuteCommand("CLS_RemoteDBHandler::PartitionExecute", QStringLiteral("PartitionExecute"),
                          request, _iTimeout);
}

int CLS_RemoteDBHandler::PartitionExecuteEx(const QString& _strDbName, const QString& _strSql,
                                            const QString& _strTableName, const QString& _strSuffix,
                                            const QMap<QString, QVariant>& _mapBind, int _iTimeout,
                                            bool _bIsBroadcast)
{
    if (!IsConnectionVaild()) {
        DL_LOG(2, "%s Connection invalid.", "CLS_RemoteDBHandler::PartitionExecuteEx");
        return -1;
    }
    QJsonObject request;
    CreatJsonObjectEx(_strDbName, _strSql, _mapBind, request);
    request.insert(QStringLiteral("tableName"), _strTableName);
    request.insert(QStringLiteral("suffix"), _strSuffix);
    request.insert(QStringLiteral("isBroadcast"), _bIsBroadcast);
    return ExecuteCommand("CLS_RemoteDBHandler::PartitionExecuteEx", QStringLiteral("PartitionExecuteEx"),
                          request, _iTimeout);
}

QJsonObject CLS_RemoteDBHandler::PartitionQueryRequest(const QString& _strDbName, const QString& _strSql,
                                                       const QString& _strWhere, const QString& _strTableName,
                                                       const QString& _strStartSuffix,
                                                       const QString& _strEndSuffix, int _iStartNum,
                                                       int _iPageSize, const QString& _strOrder)
{
    QJsonObject request;
    CreatJsonObject(_strDbName, _strSql, request);
    request.insert(QStringLiteral("where"), _strWhere);
    request.insert(QStringLiteral("tableName"), _strTableName);
    request.insert(QStringLiteral("startSuffix"), _strStartSuffix);
    request.insert(QStringLiteral("endSuffix"), _strEndSuffix);
    request.insert(QStringLiteral("startNum"), _iStartNum);
    request.insert(QStringLiteral("pageSize"), _iPageSize);
    request.insert(QStringLiteral("order"), _strOrder);
    return request;
}

RecordSet* CLS_RemoteDBHandler::PartitionExecuteQuery(const QString& _strDbName, const QString& _strSql,
                                                      const QString& _strWhere, const QString& _strTableName,
                                                      const QString& _strStartSuffix,
                                                      const QString& _strEndSuffix, int _iStartNum,
                                                      int _iPageSize, const QString& _strOrder, int _iTimeout)
{
    if (!IsConnectionVaild()) {
        DL_LOG(2, "%s Connection invalid.", "CLS_RemoteDBHandler::PartitionExecuteQuery");
        return nullptr;
    }
    const QJsonObject request =
        PartitionQueryRequest(_strDbName, _strSql, _strWhere, _strTableName, _strStartSuffix, _strEndSuffix,
                              _iStartNum, _iPageSize, _strOrder);
    return QueryCommand("CLS_RemoteDBHandler::PartitionExecuteQuery", QStringLiteral("PartitionExecuteQuery"),
                        request, _iTimeout);
}

RecordSet* CLS_RemoteDBHandler::PartitionExecuteQueryEx(
    const QString& _strDbName, const QString& _strSql, const QString& _strWhere, const QString& _strTableName,
    const QString& _strStartSuffix, const QString& _strEndSuffix, int _iStartNum, int _iPageSize,
    const QString& _strOrder, const QMap<QString, QVariant>& _mapBind, int _iTimeout)
{
    if (!IsConnectionVaild()) {
        DL_LOG(2, "%s Connection invalid.", "CLS_RemoteDBHandler::PartitionExecuteQueryEx");
        return nullptr;
    }
    QJsonObject request =
        PartitionQueryRequest(_strDbName, _strSql, _strWhere, _strTableName, _strStartSuffix, _strEndSuffix,
                              _iStartNum, _iPageSize, _strOrder);
    request.insert(QStringLiteral("bindValue"), QJsonObject::fromVariantMap(_mapBind));
    return QueryCommand("CLS_RemoteDBHandler::PartitionExecuteQueryEx",
                        QStringLiteral("PartitionExecuteQueryEx"), request, _iTimeout);
}

int CLS_RemoteDBHandler::PartitionExecuteTransaction(const QString& _strDbName, const QString& _strTableName,
                                                     const QMap<QString, QVector<QString>>& _mapSqlBySuffix,
                                                     int _iTimeout)
{
    if (!IsConnectionVaild()) {
        DL_LOG(2, "%s Connection invalid.", "CLS_RemoteDBHandler::PartitionExecuteTransaction");
        return -1;
    }
    QJsonArray entries;
    for (auto it = _mapSqlBySuffix.cbegin(); it != _mapSqlBySuffix.cend(); ++it) {
        QJsonArray statements;
        for (const QString& strSql : it.value()) {
            statements.append(strSql);
        }
        entries.append(QJsonObject{{QStringLiteral("key"), it.key()}, {QStringLiteral("value"), statements}});
    }
    QJsonObject request;
    request.insert(QStringLiteral("DbName"), _strDbName);
    request.insert(QStringLiteral("tableName"), _strTableName);
    request.insert(QStringLiteral("sqlexec"), entries);
    return ExecuteCommand("CLS_RemoteDBHandler::PartitionExecuteTransaction",
                          QStringLiteral("PartitionExecuteTransaction"), request, _iTimeout);
}

int CLS_RemoteDBHandler::PartitionExecuteTransactionEx(
    const QString& _strDbName, const QString& _strTableName,
    const QMap<QString, QMap<QString, QMap<QString, QVariant>>>& _mapBinds, int _iTimeout)
{
    if (!IsConnectionVaild()) {
        DL_LOG(2, "%s Connection invalid.", "CLS_RemoteDBHandler::PartitionExecuteTransactionEx");
        return -1;
    }
    QJsonArray sqlArray;
    for (auto itSuffix = _mapBinds.cbegin(); itSuffix != _mapBinds.cend(); ++itSuffix) {
        QJsonArray queries;
        for (auto itSql = itSuffix.value().cbegin(); itSql != itSuffix.value().cend(); ++itSql) {
            queries.append(
                QJsonObject{{QStringLiteral("sqlQuery"), itSql.key()},
                            {QStringLiteral("bindValue"), QJsonObject::fromVariantMap(itSql.value())}});
        }
        sqlArray.append(QJsonObject{{QStringLiteral("endSuffix"), itSuffix.key()},
                                    {QStringLiteral("sqlQueryArray"), queries}});
    }
    QJsonObject request;
    request.insert(QStringLiteral("DbName"), _strDbName);
    request.insert(QStringLiteral("tableName"), _strTableName);
    request.insert(QStringLiteral("sqlArray"), sqlArray);
    return ExecuteCommand("CLS_RemoteDBHandler::PartitionExecuteTransactionEx",
                          QStringLiteral("PartitionExecuteTransactionEx"), request, _iTimeout);
}

int CLS_RemoteDBHandler::PartitionGetTables(const QString& _strDbName, const QString& _strTableName,
                                            const QString& _strStartSuffix, const QString& _strEndSuffix,
                                            QVector<QString>& _vecTables, int _iTimeout)
{
    if (!IsConnectionVaild()) {
        DL_LOG(2, "%s Connection invalid.", "CLS_RemoteDBHandler::PartitionGetTables");
        return -1;
    }
    QJsonObject request;
    request.insert(QStringLiteral("DbName"), _strDbName);
    request.insert(QStringLiteral("tableName"), _strTableName);
    request.insert(QStringLiteral("startSuffix"), _strStartSuffix);
    request.insert(QStringLiteral("endSuffix"), _strEndSuffix);
    QString strAnswer;
    const int iSend = Send(QStringLiteral("PartitionGetTables"), request, strAnswer, _iTimeout);
    if (iSend != 0) {
        DL_LOG(1, "CLS_RemoteDBHandler::PartitionGetTables SendTextMessage return null.");
        return iSend < 0 ? iSend : -1;
    }
    QJsonObject data;
    const int iRet = GetResponseData(strAnswer, data);
    if (iRet != 0) {
        return iRet < 0 ? iRet : -1;
    }
    // An answer without a list of names is no listing: refused whole, nothing appended.
    const QJsonValue tables = data.value(QLatin1String("tables"));
    if (!tables.isArray()) {
        return -1;
    }
    QVector<QString> vecNames;
    for (const QJsonValue& table : tables.toArray()) {
        if (!table.isString()) {
            return -1;
        }
        vecNames.append(table.toString());
    }
    _vecTables += vecNames;
    return 0;
}
