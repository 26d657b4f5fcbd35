// Handlers of the SQL commands and of Broadcast.
#include "dispatcher.h"
#include "requestmembers.h"
#include "requesterror.h"
#include "sqlexec.h"

#include <QJsonArray>
#include <QJsonValue>

namespace tessel::server {

namespace {

const QString kBindValue = QStringLiteral("bindValue");
const QString kBindValues = QStringLiteral("bindValues");
const QString kSqlExec = QStringLiteral("sqlexec");
const QString kText = QStringLiteral("text");

QByteArray requireSql(const QJsonObject& request)
{
    return requireString(request, kSqlExec);
}

std::vector<QByteArray> requireSqlArray(const QJsonObject& request)
{
    return requireStringArray(request, kSqlExec);
}

std::vector<BindValues> requireBindArray(const QJsonObject& request, size_t statementCount)
{
    const QJsonValue v = requireMember(request, kBindValues);
    if (!v.isArray()) {
        badRequest(QStringLiteral("member \"bindValues\" must be an array of {\"bindValue\": object}"));
    }
    const QJsonArray array = v.toArray();
    if (size_t(array.size()) != statementCount) {
        badRequest(QStringLiteral("\"bindValues\" has %1 elements but \"sqlexec\" has %2 statements")
                       .arg(array.size())
                       .arg(statementCount));
    }
    std::vector<BindValues> out;
    out.reserve(statementCount);
    for (int i = 0; i < array.size(); ++i) {
        const QJsonValue element = array.at(i);
        const QJsonValue binds = element.toObject().value(kBindValue);
        if (!element.isObject() || !binds.isObject()) {
            badRequest(QStringLiteral("element %1 of \"bindValues\" must be {\"bindValue\": object}").arg(i));
        }
        out.push_back(bindValuesFromJson(binds.toObject()));
    }
    return out;
}

void runStatement(HandlerContext& context, const QJsonObject& request, QByteArray& out, bool withBinds)
{
    const int database = requireDatabase(request);
    const QByteArray sql = requireSql(request);
    const BindValues binds = withBinds ? requireBindObject(request) : BindValues();
    const Lease lease = context.dispatcher.databases().acquire(database, context.connections);
    executeText(lease, sql, binds, nullptr);
    writeOk(out);
}

void runQuery(HandlerContext& context, const QJsonObject& request, QByteArray& out, bool withBinds)
{
    const int database = requireDatabase(request);
    const QByteArray sql = requireSql(request);
    const BindValues binds = withBinds ? requireBindObject(request) : BindValues();
    const Lease lease = context.dispatcher.databases().acquire(database, context.connections);
    out.append("{\"result\":\"OK\",\"data\":{\"ret\":[");
    RowWriter rows(out, context.dispatcher.maxAnswerBytes());
    executeText(lease, sql, binds, &rows);
    out.append("]}}");
}

void runTransaction(HandlerContext& context, const QJsonObject& request, QByteArray& out, bool withBinds)
{
    const int database = requireDatabase(request);
    const std::vector<QByteArray> sqls = requireSqlArray(request);
    const std::vector<BindValues> binds =
        withBinds ? requireBindArray(request, sqls.size()) : std::vector<BindValues>();
    const Lease lease = context.dispatcher.databases().acquire(database, context.connections);
    executeTransaction(lease, sqls, binds);
    writeOk(out);
}

void handleExecute(HandlerContext& context, const QJsonObject& request, QByteArray& out)
{
    runStatement(context, request, out, false);
}

void handleExecuteEx(HandlerContext& context, const QJsonObject& request, QByteArray& out)
{
    runStatement(context, request, out, true);
}

void handleExecuteQuery(HandlerContext& context, const QJsonObject& request, QByteArray& out)
{
    runQuery(context, request, out, false);
}

void handleExecuteQueryEx(HandlerContext& context, const QJsonObject& request, QByteArray& out)
{
    runQuery(context, request, out, true);
}

void handleExecuteTransaction(HandlerContext& context, const QJsonObject& request, QByteArray& out)
{
    runTransaction(context, request, out, false);
}

void handleExecuteTransactionEx(HandlerContext& context, const QJsonObject& request, QByteArray& out)
{
    runTransaction(context, request, out, true);
}

void handleBroadcast(HandlerContext& context, const QJsonObject& request, QByteArray& out)
{
    if (!context.client.loopback) {
        badRequest(QStringLiteral("Broadcast is only accepted from loopback"));
    }
    const QJsonValue text = requireMember(request, kText);
    if (!text.isString()) {
        badRequest(QStringLiteral("member \"text\" must be a string"));
    }
    const auto& broadcaster = context.dispatcher.broadcaster();
    if (!broadcaster) {
        throw RequestError(code::kInternal, QByteArray("this server has no broadcast channel"));
    }
    broadcaster(text.toString());
    writeOk(out);
}

}  // namespace

void registerStandardCommands(Dispatcher& dispatcher)
{
    dispatcher.addCommand("Execute", handleExecute);
    dispatcher.addCommand("ExecuteEx", handleExecuteEx);
    dispatcher.addCommand("ExecuteQuery", handleExecuteQuery);
    dispatcher.addCommand("ExecuteQueryEx", handleExecuteQueryEx);
    dispatcher.addCommand("ExecuteTransaction", handleExecuteTransaction);
    dispatcher.addCommand("ExecuteTransactionEx", handleExecuteTransactionEx);
    dispatcher.addCommand("Broadcast", handleBroadcast);
}

}  // namespace tessel::server
