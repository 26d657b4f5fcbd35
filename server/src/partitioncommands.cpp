// Handlers of the partition commands: statements, paged queries, transactions and the table
// listing on tables split into <base><suffix> partitions.
#include "dispatcher.h"
#include "jsonwriter.h"
#include "partitions.h"
#include "requesterror.h"
#include "requestmembers.h"
#include "sqltokens.h"

#include <QJsonArray>

#include <sqlite3.h>

#include <algorithm>
#include <limits>

namespace tessel::server {

namespace {

const QString kTableName = QStringLiteral("tableName");
const QString kSuffix = QStringLiteral("suffix");
const QString kSqlExec = QStringLiteral("sqlexec");

QByteArray requireTableName(const QJsonObject& request)
{
    const QByteArray name = requireString(request, kTableName);
    if (name.isEmpty() || name.contains('\0')) {
        badRequest(QStringLiteral("member \"tableName\" must name the base table"));
    }
    return name;
}

QByteArray checkSuffix(const QByteArray& suffix, const QString& member)
{
    if (suffix.isEmpty()) {
        badRequest(QStringLiteral("member \"%1\" must not be empty: the base table itself is not a partition")
                       .arg(member));
    }
    if (suffix.contains('\0')) {
        badRequest(QStringLiteral("member \"%1\" must not contain NUL").arg(member));
    }
    return suffix;
}

/// The statement for the partition: the base name replaced where it stands as a whole name.
QByteArray forPartition(const QByteArray& sql, const QByteArray& base, const QByteArray& partition,
                        bool mustNameBase)
{
    int replaced = 0;
    QByteArray out = sql::renameTable(sql, base, partition, &replaced);
    if (mustNameBase && replaced == 0) {
        badRequest(
            QStringLiteral("the statement does not name the table \"%1\"").arg(QString::fromUtf8(base)));
    }
    return out;
}

/// Whether every statement of the text prepares on the base table and only reads.
bool onlyReads(Connection& connection, const QByteArray& sql)
{
    checkNesting(sql);
    sqlite3* db = connection.handle();
    const char* tail = sql.constData();
    const char* const end = tail + sql.size();
    while (tail < end) {
        sqlite3_stmt* stmt = nullptr;
        const char* const start = tail;
        if (sqlite3_prepare_v2(db, tail, int(end - tail), &stmt, &tail) != SQLITE_OK) {
            return false;  // e.g. a later statement that needs an earlier one: treated as a write
        }
        if (tail == start) {
            return false;  // a NUL character stops SQLite's reading; the execution path refuses it
        }
        if (!stmt) {
            continue;
        }
        const bool reads = sqlite3_stmt_readonly(stmt);
        sqlite3_finalize(stmt);
        if (!reads) {
            return false;
        }
    }
    return true;
}

DatabaseWork readPartitionStatement(HandlerContext&, const QJsonObject& request, bool withBinds)
{
    QByteArray sql = requireString(request, kSqlExec);
    const QByteArray base = requireTableName(request);
    QByteArray suffix = checkSuffix(requireString(request, kSuffix), kSuffix);
    BindValues binds = withBinds ? requireBindObject(request) : BindValues();
    QByteArray text = forPartition(sql, base, base + suffix, true);
    return [sql = std::move(sql), base, suffix = std::move(suffix), binds = std::move(binds),
            text = std::move(text)](const Lease& lease, QByteArray& out) {
        Connection& connection = lease.connection();
        if (tableExists(connection, base + suffix) || onlyReads(connection, sql)) {
            executeText(lease, text, binds, nullptr);  // a read of a missing partition: "no such table"
        } else {
            // A write to a partition that does not exist yet: made from its template first, in the
            // same transaction, so a failing statement leaves no partition behind.
            const auto writes = lease.lockWrites();
            Transaction transaction(connection);
            ensurePartition(connection, base, suffix);
            executeInTransaction(connection, text, binds, nullptr);
            transaction.commit();
        }
        writeOk(out);
    };
}

DatabaseWork readPartitionQuery(HandlerContext& context, const QJsonObject& request, bool withBinds)
{
    PartitionQuery query;
    query.sql = requireString(request, kSqlExec);
    query.base = requireTableName(request);
    (void)optionalString(request, QStringLiteral("where"));  // the statement already carries it
    query.startSuffix = optionalString(request, QStringLiteral("startSuffix"));
    query.endSuffix = optionalString(request, QStringLiteral("endSuffix"));
    query.startNum =
        optionalInteger(request, QStringLiteral("startNum"), -1, -1, std::numeric_limits<qint64>::max());
    query.pageSize =
        optionalInteger(request, QStringLiteral("pageSize"), -1, -1, std::numeric_limits<qint64>::max());
    const QByteArray order = optionalString(request, QStringLiteral("order")).trimmed().toUpper();
    if (order != "DESC" && order != "ASC" && !order.isEmpty()) {
        badRequest(QStringLiteral("member \"order\" must be \"DESC\", \"ASC\" or empty"));
    }
    query.descending = order == "DESC";
    query.binds = withBinds ? requireBindObject(request) : BindValues();
    (void)forPartition(query.sql, query.base, query.base, true);
    return [&context, query = std::move(query)](const Lease& lease, QByteArray& out) {
        answerRows(context, out, [&](RowWriter& rows) { queryPartitions(lease.connection(), query, rows); });
    };
}

/// One partition's share of a partition transaction.
struct PartitionStatements
{
    QByteArray suffix;
    std::vector<QByteArray> sqls;
    std::vector<BindValues> binds;  // empty: no binds
};

void runPartitionTransaction(const Lease& lease, const QByteArray& base, const std::vector<PartitionStatements>& work)
{
    static const BindValues kNoBinds;
    Connection& connection = lease.connection();
    const auto writes = lease.lockWrites();
    Transaction transaction(connection);
    int index = 0;  // over all statements of the request, in order
    for (const PartitionStatements& part : work) {
        const QByteArray partition = base + part.suffix;
        try {
            if (!part.sqls.empty()) {
                ensurePartition(connection, base, part.suffix);
            }
        } catch (RequestError& e) {
            e.setFailedStatement(index);
            throw;
        }
        for (size_t i = 0; i < part.sqls.size(); ++i, ++index) {
            try {
                executeInTransaction(connection, forPartition(part.sqls[i], base, partition, false),
                                     part.binds.empty() ? kNoBinds : part.binds[i], nullptr);
            } catch (RequestError& e) {
                e.prependReason("partition " + partition + ": ");
                e.setFailedStatement(index);
                throw;
            }
        }
    }
    commitRequest(transaction);
}

QJsonObject elementObject(const QJsonValue& v, const QString& where)
{
    if (!v.isObject()) {
        badRequest(QStringLiteral("%1 must be an object").arg(where));
    }
    return v.toObject();
}

QByteArray elementString(const QJsonObject& o, const QString& key, const QString& where)
{
    const QJsonValue v = o.value(key);
    if (!v.isString()) {
        badRequest(QStringLiteral("%1 needs \"%2\" as a string").arg(where, key));
    }
    return v.toString().toUtf8();
}

QJsonArray requireArray(const QJsonObject& request, const QString& name, const char* shape)
{
    const QJsonValue v = requireMember(request, name);
    if (!v.isArray()) {
        badRequest(QStringLiteral("member \"%1\" must be an array of %2").arg(name, QLatin1String(shape)));
    }
    return v.toArray();
}

/// The elements of the array member `name` of a partition transaction, each an object.
template <typename ReadElement>
std::vector<PartitionStatements> readPartitionElements(const QJsonObject& request, const QString& name,
                                                       const char* shape, ReadElement readElement)
{
    const QJsonArray entries = requireArray(request, name, shape);
    std::vector<PartitionStatements> work;
    for (int i = 0; i < entries.size(); ++i) {
        const QString where = QStringLiteral("element %1 of \"%2\"").arg(i).arg(name);
        PartitionStatements part;
        readElement(elementObject(entries.at(i), where), where, part);
        work.push_back(std::move(part));
    }
    return work;
}

/// {"key": suffix, "value": [statements]}
void readSuffixAndStatements(const QJsonObject& entry, const QString& where, PartitionStatements& part)
{
    part.suffix = checkSuffix(elementString(entry, QStringLiteral("key"), where), where + " \"key\"");
    const QJsonValue value = entry.value(QStringLiteral("value"));
    if (!value.isArray()) {
        badRequest(QStringLiteral("%1 needs \"value\" as an array of strings").arg(where));
    }
    for (const QJsonValue& sql : value.toArray()) {
        if (!sql.isString()) {
            badRequest(QStringLiteral("%1 needs \"value\" as an array of strings").arg(where));
        }
        part.sqls.push_back(sql.toString().toUtf8());
    }
}

/// {"endSuffix": suffix, "sqlQueryArray": [{"sqlQuery", "bindValue"}]}
void readSuffixAndQueries(const QJsonObject& entry, const QString& where, PartitionStatements& part)
{
    part.suffix =
        checkSuffix(elementString(entry, QStringLiteral("endSuffix"), where), where + " \"endSuffix\"");
    const QJsonValue queries = entry.value(QStringLiteral("sqlQueryArray"));
    if (!queries.isArray()) {
        badRequest(QStringLiteral("%1 needs \"sqlQueryArray\" as an array of {\"sqlQuery\", \"bindValue\"}")
                       .arg(where));
    }
    const QJsonArray list = queries.toArray();
    for (int k = 0; k < list.size(); ++k) {
        const QString inner = QStringLiteral("element %1 of \"sqlQueryArray\" in %2").arg(k).arg(where);
        const QJsonObject q = elementObject(list.at(k), inner);
        part.sqls.push_back(elementString(q, QStringLiteral("sqlQuery"), inner));
        const QJsonValue binds = q.value(QStringLiteral("bindValue"));
        if (!binds.isUndefined() && !binds.isObject()) {
            badRequest(QStringLiteral("%1 needs \"bindValue\" as an object").arg(inner));
        }
        part.binds.push_back(bindValuesFromJson(binds.toObject()));
    }
}

DatabaseWork readPartitionTransaction(HandlerContext&, const QJsonObject& request, bool withBinds)
{
    QByteArray base = requireTableName(request);
    std::vector<PartitionStatements> work =
        withBinds ? readPartitionElements(request, QStringLiteral("sqlArray"),
                                          "{\"endSuffix\": suffix, \"sqlQueryArray\": [...]}", readSuffixAndQueries)
                  : readPartitionElements(request, kSqlExec, "{\"key\": suffix, \"value\": [statements]}",
                                          readSuffixAndStatements);
    return [base = std::move(base), work = std::move(work)](const Lease& lease, QByteArray& out) {
        runPartitionTransaction(lease, base, work);
        writeOk(out);
    };
}

void handlePartitionGetTables(HandlerContext& context, const QJsonObject& request, QByteArray& out)
{
    const int database = requireDatabase(request);
    const QByteArray base = requireTableName(request);
    const QByteArray start = optionalString(request, QStringLiteral("startSuffix"));
    const QByteArray end = optionalString(request, QStringLiteral("endSuffix"));
    const Lease lease = context.dispatcher.databases().acquire(database, context.connections);
    std::vector<Partition> partitions;
    {
        ReadTransaction snapshot(lease.connection());
        partitions = listPartitions(lease.connection(), base, start, end);
    }
    std::sort(partitions.begin(), partitions.end(),
              [](const Partition& a, const Partition& b) { return a.name < b.name; });
    out.append("{\"result\":\"OK\",\"data\":{\"ret\":0,\"tables\":[");
    for (size_t i = 0; i < partitions.size(); ++i) {
        if (i > 0) {
            out.append(',');
        }
        json::appendString(out, partitions[i].name);
    }
    out.append("]}}");
}

}  // namespace

void registerPartitionCommands(Dispatcher& dispatcher)
{
    addDatabaseCommands(dispatcher, "PartitionExecute", readPartitionStatement);
    addDatabaseCommands(dispatcher, "PartitionExecuteQuery", readPartitionQuery);
    addDatabaseCommands(dispatcher, "PartitionExecuteTransaction", readPartitionTransaction);
    dispatcher.addCommand("PartitionGetTables", handlePartitionGetTables);
}

}  // namespace tessel::server
