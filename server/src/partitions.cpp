#include "partitions.h"

#include "logging.h"
#include "requesterror.h"
#include "sqltokens.h"

#include <QHash>

#include <sqlite3.h>

#include <algorithm>

namespace tessel::server {

namespace {

const QByteArray kLimitParam = QByteArrayLiteral(":__tessel_limit");
const QByteArray kOffsetParam = QByteArrayLiteral(":__tessel_offset");

QByteArray asciiLower(QByteArray s)
{
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = char(c - 'A' + 'a');
        }
    }
    return s;
}

/// Rows of a fixed query text with text parameters, through the statement cache.
template <typename RowFunction>
void forEachRow(Connection& connection, const char* sql, const BindValues& binds, RowFunction onRow)
{
    StatementRun run(connection, preparedSingle(connection, QByteArray(sql)), binds);
    while (run.next()) {
        onRow(run);
    }
}

std::vector<QByteArray> columnsOf(Connection& connection, const QByteArray& table)
{
    std::vector<QByteArray> columns;
    forEachRow(connection, "SELECT name FROM pragma_table_info(:table) ORDER BY cid",
               {textBind(":table", table)},
               [&](StatementRun& row) { columns.push_back(asciiLower(row.text(0))); });
    return columns;
}

qint64 schemaVersion(Connection& connection)
{
    qint64 version = 0;
    forEachRow(connection, "PRAGMA schema_version", {}, [&](StatementRun& row) { version = row.integer(0); });
    return version;
}

/// Every partition of a base, before bounds: read from the schema and the registry.
std::vector<Partition> readPartitions(Connection& connection, const QByteArray& base)
{
    // Registered partitions of any base, by lower-case table name -> base.
    QHash<QByteArray, QByteArray> registered;
    if (tableExists(connection, kPartitionRegistry)) {
        forEachRow(connection, "SELECT base, suffix FROM __tessel_partitions", {}, [&](StatementRun& row) {
            const QByteArray b = row.text(0);
            registered.insert(asciiLower(b + row.text(1)), b);
        });
    }
    std::vector<QByteArray> candidates;
    forEachRow(connection,
               "SELECT name FROM sqlite_master WHERE type = 'table' AND length(name) > length(:base) AND "
               "substr(name, 1, length(:base)) = :base COLLATE NOCASE",
               {textBind(":base", base)}, [&](StatementRun& row) { candidates.push_back(row.text(0)); });

    std::vector<Partition> out;
    std::vector<QByteArray> templateColumns;
    bool templateRead = false;
    for (const QByteArray& name : candidates) {
        const auto owner = registered.constFind(asciiLower(name));
        bool member = false;
        if (owner != registered.constEnd()) {
            member = sql::sameName(owner.value(), base);
        } else if (!sql::sameName(name, kPartitionRegistry)) {
            if (!templateRead) {
                templateColumns = columnsOf(connection, base);
                templateRead = true;
            }
            member = !templateColumns.empty() && columnsOf(connection, name) == templateColumns;
        }
        if (member) {
            // The prefix matched ASCII case-insensitively, so it has the base's byte length.
            out.push_back(Partition{name, name.mid(base.size())});
        }
    }
    std::sort(out.begin(), out.end(),
              [](const Partition& a, const Partition& b) { return a.suffix < b.suffix; });
    return out;
}

struct PartitionListCache
{
    qint64 schemaVersion = -1;
    QHash<QByteArray, std::vector<Partition>> lists;  // by lower-case base name
};

/// The row count of a statement: its ORDER BY dropped, as it cannot change the count and would
/// keep SQLite from flattening the subquery into a plain count.
QByteArray countText(const sql::StatementShape& shape, const QByteArray& base, const QByteArray& partition)
{
    return "SELECT COUNT(*) FROM (" + sql::renameTable(shape.unordered, base, partition) + "\n)";
}

QByteArray pageText(const sql::StatementShape& shape, const QByteArray& statement)
{
    const QByteArray limit = "LIMIT " + kLimitParam + " OFFSET " + kOffsetParam;
    // A statement with a LIMIT of its own is paged from outside; otherwise the LIMIT is appended,
    // which keeps the statement's ORDER BY and its index use as they are.
    return shape.topLevelLimit ? "SELECT * FROM (" + statement + "\n) " + limit : statement + '\n' + limit;
}

void requireReadOnly(sqlite3_stmt* stmt)
{
    if (!sqlite3_stmt_readonly(stmt) || sqlite3_column_count(stmt) == 0) {
        throw RequestError(code::kBadRequest,
                           QByteArray("a partition query must be one SELECT statement (it changes nothing)"));
    }
}

}  // namespace

bool tableExists(Connection& connection, const QByteArray& name)
{
    bool found = false;
    forEachRow(connection, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = :name COLLATE NOCASE",
               {textBind(":name", name)}, [&](StatementRun&) { found = true; });
    return found;
}

std::vector<Partition> listPartitions(Connection& connection, const QByteArray& base,
                                      const QByteArray& startSuffix, const QByteArray& endSuffix)
{
    std::shared_ptr<void>& slot = connection.extension(Connection::Extension::Partitions);
    if (!slot) {
        slot = std::make_shared<PartitionListCache>();
    }
    auto* cache = static_cast<PartitionListCache*>(slot.get());
    const qint64 version = schemaVersion(connection);
    if (version != cache->schemaVersion) {
        cache->lists.clear();
        cache->schemaVersion = version;
    }
    const QByteArray key = asciiLower(base);
    auto it = cache->lists.find(key);
    if (it == cache->lists.end()) {
        it = cache->lists.insert(key, readPartitions(connection, base));
    }
    std::vector<Partition> out;
    for (const Partition& p : it.value()) {
        if ((startSuffix.isEmpty() || p.suffix >= startSuffix) &&
            (endSuffix.isEmpty() || p.suffix <= endSuffix)) {
            out.push_back(p);
        }
    }
    return out;
}

bool ensurePartition(Connection& connection, const QByteArray& base, const QByteArray& suffix)
{
    const QByteArray name = base + suffix;
    if (tableExists(connection, name)) {
        return false;
    }
    struct SchemaObject
    {
        QByteArray type;
        QByteArray name;
        QByteArray sql;
    };
    std::vector<SchemaObject> objects;
    forEachRow(
        connection,
        "SELECT type, name, sql FROM sqlite_master WHERE tbl_name = :base COLLATE NOCASE AND sql IS NOT "
        "NULL AND type IN ('table', 'index', 'trigger') ORDER BY CASE type WHEN 'table' THEN 0 WHEN "
        "'index' THEN 1 ELSE 2 END, rowid",
        {textBind(":base", base)}, [&](StatementRun& row) {
            objects.push_back({row.text(0), row.text(1), row.text(2)});
        });
    if (objects.empty() || objects.front().type != "table") {
        RequestError e(code::kSql, QByteArray("cannot create the partition ") + name +
                                       ": there is no table " + base + " to serve as its template");
        e.setSqliteCode(SQLITE_ERROR);
        throw e;
    }
    const QByteArray templateName = objects.front().name;
    sqlite3* db = connection.handle();
    auto exec = [&](const QByteArray& statement) {
        if (sqlite3_exec(db, statement.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            RequestError e = RequestError::sqlite(sqlite3_errmsg(db), sqlite3_extended_errcode(db));
            e.prependReason("creating the partition " + name + " from its template: ");
            throw e;
        }
    };
    int indexes = 0;
    int triggers = 0;
    for (const SchemaObject& o : objects) {
        const bool isTable = o.type == "table";
        const QByteArray statement =
            sql::rewriteCreateStatement(o.sql, templateName, name, isTable ? name : o.name + suffix);
        if (statement.isEmpty()) {
            throw RequestError(code::kInternal, QByteArray("cannot read the definition of ") + o.name +
                                                    " to copy it for the partition " + name);
        }
        exec(statement);
        indexes += o.type == "index";
        triggers += o.type == "trigger";
    }
    exec(QByteArray("CREATE TABLE IF NOT EXISTS ") + kPartitionRegistry +
         " (base TEXT NOT NULL, suffix TEXT NOT NULL, PRIMARY KEY (base, suffix))");
    StatementRun insert(
        connection,
        preparedSingle(connection,
                       "INSERT OR IGNORE INTO __tessel_partitions (base, suffix) VALUES (:base, :suffix)"),
        {textBind(":base", templateName), textBind(":suffix", suffix)});
    insert.next();
    qCInfo(lcSql, "created the partition %s from %s (%d indexes, %d triggers)", name.constData(),
           templateName.constData(), indexes, triggers);
    return true;
}

void queryPartitions(Connection& connection, const PartitionQuery& query, RowWriter& rows)
{
    const sql::StatementShape shape = sql::statementShape(query.sql);
    if (shape.statementCount != 1) {
        throw RequestError(code::kBadRequest, QStringLiteral("a partition query must be one SELECT statement "
                                                             "(\"sqlexec\" holds %1)")
                                                  .arg(shape.statementCount));
    }
    ReadTransaction snapshot(connection);
    std::vector<Partition> partitions =
        listPartitions(connection, query.base, query.startSuffix, query.endSuffix);
    if (query.descending) {
        std::reverse(partitions.begin(), partitions.end());
    }
    qint64 skip = std::max<qint64>(query.startNum, 0);
    qint64 remaining = query.pageSize;  // -1: no limit
    BindValues binds = query.binds;
    binds.push_back(integerBind(kLimitParam.constData(), 0));
    binds.push_back(integerBind(kOffsetParam.constData(), 0));
    BindValue& limit = binds[binds.size() - 2];
    BindValue& offset = binds.back();

    for (const Partition& p : partitions) {
        if (remaining == 0) {
            break;
        }
        const QByteArray statement = sql::renameTable(shape.text, query.base, p.name);
        if (skip > 0) {
            sqlite3_stmt* count = preparedSingle(connection, countText(shape, query.base, p.name));
            StatementRun run(connection, count, query.binds);
            const qint64 rowsHere = run.next() ? run.integer(0) : 0;
            if (rowsHere <= skip) {
                skip -= rowsHere;  // the page starts after this partition
                continue;
            }
        }
        sqlite3_stmt* page = preparedSingle(connection, pageText(shape, statement));
        requireReadOnly(page);
        limit.integer = remaining;
        offset.integer = skip;
        const qint64 got = stepStatement(connection, page, binds, &rows, true);
        skip = 0;
        if (remaining > 0) {
            remaining = std::max<qint64>(remaining - got, 0);
        }
    }
}

}  // namespace tessel::server
