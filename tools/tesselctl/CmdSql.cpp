// status, exec, query and tables: SQL through the channel of CLS_RemoteDBHandler. exec and query
// send their request themselves, so that they keep the columns' order, SQL NULL and the server's
// reason for a refusal.
#include "CtlCommand.h"

#include "CLS_RemoteDBHandler.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

/// Waiting for a statement without --timeout: long enough for the server's own statement limit
/// to end it first.
constexpr int kDefaultSqlWaitS = 3600;

/// The server sends every value as text (integers in decimal, reals as the shortest text that
/// reads back, "Inf" for infinities) and SQL NULL as null. A text in exactly the server's number
/// form is printed as a JSON number; other texts (leading zeros, "+1", " 1") stay texts.
QJsonValue typedValue(const QJsonValue& _value)
{
    if (!_value.isString()) {
        return _value;
    }
    static const QRegularExpression kNumber(QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]+)?(e[+-][0-9]+)?$"));
    const QString strText = _value.toString();
    if (!kNumber.match(strText).hasMatch()) {
        return _value;
    }
    if (!strText.contains('.') && !strText.contains('e')) {
        bool bOk = false;
        const qlonglong llValue = strText.toLongLong(&bOk);
        // A JSON number keeps integers exactly up to 2^53.
        if (bOk && llValue <= (qlonglong(1) << 53) && llValue >= -(qlonglong(1) << 53)) {
            return QJsonValue(llValue);
        }
        return _value;
    }
    return QJsonValue(strText.toDouble());
}

/// One JSON value as compact text.
QByteArray jsonText(const QJsonValue& _value)
{
    const QByteArray text = QJsonDocument(QJsonArray{_value}).toJson(QJsonDocument::Compact);
    return text.mid(1, text.size() - 2);
}

int runStatus(CtlContext& _ctx)
{
    const int iStatus = _ctx.connectStatic();
    if (iStatus != 1) {
        return _ctx.fail(QStringLiteral("not connected (status %1)").arg(iStatus));
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"status", iStatus}}).toJson(QJsonDocument::Compact) << "\n";
    } else {
        ctlOut() << "status " << iStatus << " (connected)\n";
    }
    return kCtlOk;
}

// The request of exec or query, sent on the connected channel; 0 with the answer's data.
int sendSql(CtlContext& _ctx, const char* _pszCommand, QJsonObject& _data)
{
    if (_ctx.args.size() != 2) {
        return _ctx.fail(QStringLiteral("%1 takes DB and SQL").arg(_pszCommand), kCtlUsage);
    }
    const int iStatus = _ctx.connectStatic();
    if (iStatus != 1) {
        return _ctx.fail(QStringLiteral("not connected (status %1)").arg(iStatus));
    }
    QJsonObject request{{"DbName", _ctx.args[0]}, {"sqlexec", _ctx.args[1]}};
    QString strCommand = QLatin1String(_pszCommand) == QLatin1String("exec") ? "Execute" : "ExecuteQuery";
    if (!_ctx.binds.isEmpty()) {
        request.insert("bindValue", QJsonObject::fromVariantMap(_ctx.binds));
        strCommand += "Ex";
    }
    if (_ctx.timeoutS > 0) {
        // The server ends the statement too, not only this wait.
        request.insert("timeoutMs", qint64(_ctx.timeoutS) * 1000);
    }
    return ctlExchange(_ctx, strCommand, request, _ctx.timeoutS > 0 ? _ctx.timeoutS : kDefaultSqlWaitS, false,
                       _data);
}

int runExec(CtlContext& _ctx)
{
    QJsonObject data;
    const int iExit = sendSql(_ctx, "exec", data);
    if (iExit != kCtlOk) {
        return iExit;
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"ret", 0}}).toJson(QJsonDocument::Compact) << "\n";
    } else {
        ctlOut() << "ret 0\n";
    }
    return kCtlOk;
}

int runQuery(CtlContext& _ctx)
{
    QJsonObject data;
    const int iExit = sendSql(_ctx, "query", data);
    if (iExit != kCtlOk) {
        return iExit;
    }
    const QJsonArray rows = data.value("ret").toArray();
    if (_ctx.json) {
        // QJsonObject sorts its members; the text is written here, member by member, so that
        // each row object keeps the SELECT's order.
        QByteArray out = "[";
        for (int i = 0; i < rows.size(); ++i) {
            out += i == 0 ? "\n  {" : ",\n  {";
            const QJsonArray record = rows[i].toObject().value("record").toArray();
            for (int k = 0; k < record.size(); ++k) {
                const QJsonObject cell = record[k].toObject();
                const QByteArray member =
                    jsonText(cell.value("key")) + ": " + jsonText(typedValue(cell.value("value")));
                out += (k == 0 ? "" : ", ") + member;
            }
            out += "}";
        }
        out += rows.isEmpty() ? "]\n" : "\n]\n";
        ctlOut() << QString::fromUtf8(out);
        return kCtlOk;
    }
    for (const QJsonValue& row : rows) {
        QStringList lstFields;
        for (const QJsonValue& cell : row.toObject().value("record").toArray()) {
            const QJsonValue value = cell.toObject().value("value");
            lstFields << cell.toObject().value("key").toString() + "=" +
                             (value.isNull() ? QStringLiteral("NULL") : value.toString());
        }
        ctlOut() << lstFields.join("  ") << "\n";
    }
    ctlOut() << "(" << rows.size() << (rows.size() == 1 ? " row)\n" : " rows)\n");
    return kCtlOk;
}

int runTables(CtlContext& _ctx)
{
    if (_ctx.args.size() < 2 || _ctx.args.size() > 4) {
        return _ctx.fail("tables takes DB TABLE [START [END]]", kCtlUsage);
    }
    const int iStatus = _ctx.connectStatic();
    if (iStatus != 1) {
        return _ctx.fail(QStringLiteral("not connected (status %1)").arg(iStatus));
    }
    QJsonObject request{{"DbName", _ctx.args[0]},
                        {"tableName", _ctx.args[1]},
                        {"startSuffix", _ctx.args.value(2)},
                        {"endSuffix", _ctx.args.value(3)}};
    QJsonObject data;
    const int iExit = ctlExchange(_ctx, "PartitionGetTables", request, 30, false, data);
    if (iExit != kCtlOk) {
        return iExit;
    }
    QStringList lstTables;
    for (const QJsonValue& table : data.value("tables").toArray()) {
        lstTables << table.toString();
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonArray::fromStringList(lstTables)).toJson(QJsonDocument::Compact)
                 << "\n";
    } else {
        for (const QString& strTable : lstTables) {
            ctlOut() << strTable << "\n";
        }
        ctlOut() << "(" << lstTables.size() << (lstTables.size() == 1 ? " partition)\n" : " partitions)\n");
    }
    return kCtlOk;
}

}  // namespace

TESSELCTL_COMMAND("tables", "DB TABLE [START [END]]", "list the partitions of TABLE within the suffix bounds",
                  &runTables,
                  "Examples:\n"
                  "  tesselctl tables Tessel-intelligent TAB_FACE_CAPTURE 202401 202412\n");
TESSELCTL_COMMAND("status", "", "connect and print the channel status (1 = usable)", &runStatus,
                  "Exit status 0 when the channel is usable, 1 when not.\n\n"
                  "Examples:\n"
                  "  tesselctl --server 10.0.0.5:9562 status\n");
TESSELCTL_COMMAND("exec", "DB SQL", "run one statement; a refusal prints the server's reason", &runExec,
                  "--timeout N waits N seconds and asks the server to stop the statement then; without it\n"
                  "the server's statement limit (--statement-timeout-s, 30 s by default) applies.\n\n"
                  "Examples:\n"
                  "  tesselctl exec Tessel \"UPDATE TAB_OBJ SET S_CAPTION = :c WHERE S_ID = :id\" \\\n"
                  "      --bind-text :c='Gate 2' --bind-text :id=4f0c...\n"
                  "  tesselctl --timeout 120 exec Tessel-record \"DELETE FROM TAB_REC_FILE_X WHERE ...\"\n");
TESSELCTL_COMMAND(
    "query", "DB SQL", "run one query, print its rows", &runQuery,
    "Columns come in the SELECT's order. With --json each row is an object; NULL is null and\n"
    "values in the server's number form (integers, reals) are numbers, the rest texts.\n\n"
    "Examples:\n"
    "  tesselctl query Tessel \"SELECT S_ID, S_CAPTION FROM TAB_OBJ WHERE I_OBJ_TYPE_ID = :t\" --bind :t=13\n"
    "  tesselctl --json query Tessel \"SELECT count(*) AS n FROM TAB_OBJ\"\n");
