#include "MonthlyTables.h"

#include "DataBase/EntityDao/FaceRecognition/CLS_IntelligentDataRecEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "Log.h"

#include <QRegularExpression>

using namespace DeviceDao;

namespace MonthlyTables {

QString MonthOf(const QString& _qstrTime)
{
    return CLS_IntelligentDataRecEntityDAO::MonthOf(_qstrTime);
}

bool IsMonthly(const QString& _qstrTemplate, const QString& _qstrName)
{
    static const QRegularExpression re(QStringLiteral("^[0-9]{6}$"));
    return _qstrName.size() == _qstrTemplate.size() + 6 && _qstrName.startsWith(_qstrTemplate) &&
           re.match(_qstrName.mid(_qstrTemplate.size())).hasMatch();
}

int List(const QString& _qstrDbName, const QString& _qstrTemplate, const QString& _qstrStartMonth,
         const QString& _qstrEndMonth, QVector<QString>& _vecTables, const char* _pszOperation)
{
    _vecTables.clear();
    QVector<QString> vecListed;
    const int iRet = CLS_BaseEntityDAO::PartitionGetTables(_qstrDbName, _qstrTemplate, _qstrStartMonth,
                                                           _qstrEndMonth, vecListed);
    if (iRet != 0) {
        DL_LOG(2, "%s PartitionGetTables %s iRet = %d", _pszOperation, qUtf8Printable(_qstrTemplate), iRet);
        return iRet < 0 ? iRet : -1;
    }
    for (const QString& qstrTable : qAsConst(vecListed)) {
        if (IsMonthly(_qstrTemplate, qstrTable)) {
            _vecTables.append(qstrTable);
        }
    }
    return 0;
}

int DeleteByIds(const QString& _qstrDbName, const QString& _qstrTemplate,
                const QList<QPair<QString, QString>>& _lstIdTimes)
{
    QVector<QString> vecTables;
    const int iList =
        List(_qstrDbName, _qstrTemplate, QString(), QString(), vecTables, "MonthlyTables::DeleteByIds");
    if (iList != 0) {
        return iList;
    }
    QMap<QString, QStringList> mapIdsByTable;
    for (const auto& idTime : _lstIdTimes) {
        const QString qstrTable = _qstrTemplate + MonthOf(idTime.second);
        // Only listed names are written into the statements.
        if (vecTables.contains(qstrTable)) {
            mapIdsByTable[qstrTable].append(idTime.first);
        }
    }
    QList<QString> lstSql;
    QList<Binds> lstBind;
    for (auto it = mapIdsByTable.cbegin(); it != mapIdsByTable.cend(); ++it) {
        Binds mapBind;
        QStringList lstKeys;
        for (const QString& qstrId : it.value()) {
            lstKeys.append(":id" + QString::number(lstKeys.size()));
            mapBind.insert(lstKeys.last(), qstrId);
        }
        lstSql.append("Delete From " + it.key() + " Where S_ID  in (" + lstKeys.join(",") + ")");
        lstBind.append(mapBind);
    }
    return lstSql.isEmpty() ? 0 : CLS_BaseEntityDAO::ExecuteTransactionEx(_qstrDbName, lstSql, lstBind);
}

int DeleteAll(const QString& _qstrDbName, const QString& _qstrTemplate)
{
    QVector<QString> vecTables;
    const int iList =
        List(_qstrDbName, _qstrTemplate, QString(), QString(), vecTables, "MonthlyTables::DeleteAll");
    if (iList != 0) {
        return iList;
    }
    QMap<QString, QVector<QString>> mapBySuffix;
    for (const QString& qstrTable : qAsConst(vecTables)) {
        mapBySuffix.insert(qstrTable.mid(_qstrTemplate.size()), {"Delete From " + _qstrTemplate});
    }
    return mapBySuffix.isEmpty()
               ? 0
               : CLS_BaseEntityDAO::PartitionExecuteTransaction(_qstrDbName, _qstrTemplate, mapBySuffix);
}

int DropEmpty(const QString& _qstrDbName, const QString& _qstrTemplate, const QDate& _today,
              const char* _pszListFailure)
{
    const QString qstrSql = "select name as name from sqlite_master where type ='table' and name like '" +
                            _qstrTemplate + "%' and name < '" + _qstrTemplate + _today.toString("yyyyMM") +
                            "' and length(name) > length('" + _qstrTemplate + "')";
    QStringList lstNames;
    if (Column(CLS_BaseEntityDAO::ExecuteQuery(_qstrDbName, qstrSql), "name", lstNames) != 0) {
        DL_LOG(2, "%s", _pszListFailure);
        return -1;
    }
    // A table name cannot be bound: only listed names of monthly tables are written into the
    // statements.
    for (const QString& qstrName : qAsConst(lstNames)) {
        if (!IsMonthly(_qstrTemplate, qstrName)) {
            continue;
        }
        if (Count(_qstrDbName, "select count(*) as count from " + qstrName, Binds()) == 0) {
            const int iRet =
                CLS_BaseEntityDAO::Execute(_qstrDbName, "DROP TABLE IF EXISTS '" + qstrName + "'");
            if (iRet != 0) {
                DL_LOG(2, "MonthlyTables::DropEmpty %s iRet = %d", qUtf8Printable(qstrName), iRet);
            }
        }
    }
    return 0;
}

}  // namespace MonthlyTables
