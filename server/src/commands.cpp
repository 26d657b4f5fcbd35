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

DatabaseWork readStatement(HandlerContext&, const QJsonObject& request, bool withBinds)
{
    QByteArray sql = requireSql(request);
    BindValues binds = withBinds ? requireBindObject(request) : BindValues();
    return [sql = std::move(sql), binds = std::move(binds)](const Lease& lease, QByteArray& out) {
        executeText(lease, sql, binds, nullptr);
        writeOk(out);
    };
}

DatabaseWork readQuery(HandlerContext& context, const QJsonObject& request, bool withBinds)
{
    QByteArray sql = requireSql(request);
    BindValues binds = withBinds ? requireBindObject(request) : BindValues();
    return [&context, sql = std::move(sql), binds = std::move(binds)](const Lease& lease, QByteArray& out) {
        answerRows(context, out, [&](RowWriter& rows) { executeText(lease, sql, binds, &rows); });
    };
}

DatabaseWork readTransaction(HandlerContext&, const QJsonObject& request, bool withBinds)
{
    std::vector<QByteArray> sqls = requireSqlArray(request);
    std::vector<BindValues> binds = withBinds ? requireBindArray(request, sqls.size()) : std::vector<BindValues>();
    return [sqls = std::move(sqls), binds = std::move(binds)](const Lease& lease, QByteArray& out) {
        executeTransaction(lease, sqls, binds);
        writeOk(out);
    };
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
    addDatabaseCommands(dispatcher, "Execute", readStatement);
    addDatabaseCommands(dispatcher, "ExecuteQuery", readQuery);
    addDatabaseCommands(dispatcher, "ExecuteTransaction", readTransaction);
    dispatcher.addCommand("Broadcast", handleBroadcast);
}

}  // namespace tessel::server
