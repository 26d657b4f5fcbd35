// status, exec and query: the static interface of CLS_RemoteDBHandler.
#include "CtlCommand.h"

#include "CLS_RemoteDBHandler.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

void printRows(const RecordSet& _rows, bool _bJson)
{
    if (_bJson) {
        QJsonArray array;
        for (const QMap<QString, QString>* pRow : _rows) {
            QJsonObject obj;
            for (auto it = pRow->cbegin(); it != pRow->cend(); ++it) {
                obj.insert(it.key(), it.value());
            }
            array.append(obj);
        }
        ctlOut() << QJsonDocument(array).toJson(QJsonDocument::Indented);
        return;
    }
    for (const QMap<QString, QString>* pRow : _rows) {
        QStringList fields;
        for (auto it = pRow->cbegin(); it != pRow->cend(); ++it) {
            fields << it.key() + "=" + it.value();
        }
        ctlOut() << fields.join("  ") << "\n";
    }
    ctlOut() << "(" << _rows.size() << (_rows.size() == 1 ? " row)\n" : " rows)\n");
}

int runStatus(CtlContext& _ctx)
{
    const int iStatus = _ctx.connectStatic();
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"status", iStatus}}).toJson(QJsonDocument::Compact) << "\n";
    } else {
        ctlOut() << "status " << iStatus << (iStatus == 1 ? " (connected)\n" : " (not connected)\n");
    }
    return iStatus == 1 ? 0 : 1;
}

bool connectForSql(CtlContext& _ctx)
{
    if (_ctx.args.size() != 2) {
        ctlErr() << "tesselctl: expected DB and SQL\n";
        return false;
    }
    const int iStatus = _ctx.connectStatic();
    if (iStatus != 1) {
        ctlErr() << "tesselctl: not connected (status " << iStatus << ")\n";
        return false;
    }
    return true;
}

int runExec(CtlContext& _ctx)
{
    if (!connectForSql(_ctx)) {
        return 1;
    }
    const QString& strDb = _ctx.args[0];
    const QString& strSql = _ctx.args[1];
    const int iRet = _ctx.binds.isEmpty() ? CLS_RemoteDBHandler::Execute(strDb, strSql, 3, false)
                                          : CLS_RemoteDBHandler::ExecuteEx(strDb, strSql, _ctx.binds, 3, false);
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"ret", iRet}}).toJson(QJsonDocument::Compact) << "\n";
    } else {
        ctlOut() << "ret " << iRet << "\n";
    }
    return iRet == 0 ? 0 : 1;
}

int runQuery(CtlContext& _ctx)
{
    if (!connectForSql(_ctx)) {
        return 1;
    }
    const QString& strDb = _ctx.args[0];
    const QString& strSql = _ctx.args[1];
    RecordSet* pRows = _ctx.binds.isEmpty() ? CLS_RemoteDBHandler::ExecuteQuery(strDb, strSql, 3)
                                            : CLS_RemoteDBHandler::ExecuteQueryEx(strDb, strSql, _ctx.binds, 3);
    if (pRows == nullptr) {
        ctlErr() << "tesselctl: query failed (the log line \"DB error reason\" says why)\n";
        return 1;
    }
    printRows(*pRows, _ctx.json);
    qDeleteAll(*pRows);
    delete pRows;
    return 0;
}

int runTables(CtlContext& _ctx)
{
    if (_ctx.args.size() < 2 || _ctx.args.size() > 4) {
        ctlErr() << "tesselctl: tables takes DB TABLE [START [END]]\n";
        return 2;
    }
    const int iStatus = _ctx.connectStatic();
    if (iStatus != 1) {
        ctlErr() << "tesselctl: not connected (status " << iStatus << ")\n";
        return 1;
    }
    QVector<QString> vecTables;
    const int iRet = CLS_RemoteDBHandler::PartitionGetTables(_ctx.args[0], _ctx.args[1], _ctx.args.value(2),
                                                             _ctx.args.value(3), vecTables, 3);
    if (iRet != 0) {
        ctlErr() << "tesselctl: listing failed (" << iRet << ")\n";
        return 1;
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonArray::fromStringList(vecTables.toList())).toJson(QJsonDocument::Compact)
                 << "\n";
    } else {
        for (const QString& strTable : vecTables) {
            ctlOut() << strTable << "\n";
        }
        ctlOut() << "(" << vecTables.size() << (vecTables.size() == 1 ? " partition)\n" : " partitions)\n");
    }
    return 0;
}

}  // namespace

TESSELCTL_COMMAND("tables", "DB TABLE [START [END]]", "list the partitions of TABLE within the suffix bounds",
                  &runTables);
TESSELCTL_COMMAND("status", "", "connect and print the channel status (1 = usable)", &runStatus);
TESSELCTL_COMMAND("exec", "DB SQL", "run one statement, print its result code", &runExec);
TESSELCTL_COMMAND("query", "DB SQL", "run one query, print its rows", &runQuery);
