#include "sqlexec.h"

#include "jsonwriter.h"
#include "logging.h"
#include "requesterror.h"
#include "sqltokens.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace tessel::server {

namespace {

RequestError sqliteError(sqlite3* db)
{
    return statementError(db);
}

QByteArray asciiLower(QByteArray name)
{
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') {
            c = char(c - 'A' + 'a');
        }
    }
    return name;
}

/// The tokens of a statement that count for its expansion: for CREATE VIEW, those after its
/// first AS (the name and the column list are not read).
std::vector<sql::Token> bodyTokens(const QByteArray& text)
{
    std::vector<sql::Token> tokens = sql::tokenize(text);
    tokens.erase(std::remove_if(tokens.begin(), tokens.end(),
                                [](const sql::Token& t) {
                                    return t.kind == sql::TokenKind::Space || t.kind == sql::TokenKind::Comment;
                                }),
                 tokens.end());
    const auto word = [&](size_t i, const char* keyword) {
        return i < tokens.size() && tokens[i].kind == sql::TokenKind::Identifier &&
               sql::sameName(sql::identifierName(text, tokens[i]), QByteArray(keyword));
    };
    if (word(0, "CREATE") && (word(1, "VIEW") || word(2, "VIEW"))) {
        size_t as = 0;
        while (as < tokens.size() && !word(as, "AS")) {
            ++as;
        }
        tokens.erase(tokens.begin(), tokens.begin() + qsizetype(std::min(as, tokens.size())));
    }
    return tokens;
}

}  // namespace

/// What the views of one connection expand to when a statement names them: the SELECTs of
/// their text plus those of the views they name, recursively. SQLite expands views while it
/// prepares a statement, where neither the progress handler nor an interrupt reaches it, and
/// that time grows with the square of the SELECTs expanded. The statements that read the
/// schema versions are prepared once and kept until the connection closes.
class ViewExpansion
{
public:
    ViewExpansion() = default;
    ViewExpansion(const ViewExpansion&) = delete;
    ViewExpansion& operator=(const ViewExpansion&) = delete;
    ~ViewExpansion() { forgetStatements(); }

    /// Reads the views of the main and temp schemas again when either schema changed.
    void refresh(sqlite3* db)
    {
        if (db != m_db) {
            forgetStatements();
            m_db = db;
            m_file.clear();
        }
        const QByteArray file = QByteArray(sqlite3_db_filename(db, "main") ? sqlite3_db_filename(db, "main") : "");
        const qint64 mainVersion = readInteger(db, m_mainVersionStmt, "PRAGMA main.schema_version");
        // Reading the temp schema would open it: only when a statement has already done so.
        const bool hasTemp = tempIsOpen(db);
        const qint64 tempVersion =
            hasTemp ? readInteger(db, m_tempVersionStmt, "PRAGMA temp.schema_version") : -1;
        if (file == m_file && mainVersion == m_mainVersion && tempVersion == m_tempVersion) {
            return;
        }
        m_views.clear();
        m_weights.clear();
        sqlite3_stmt* stmt = nullptr;
        const char* kViews = hasTemp ? "SELECT name, sql FROM sqlite_schema WHERE type = 'view' "
                                       "UNION ALL SELECT name, sql FROM sqlite_temp_schema WHERE type = 'view'"
                                     : "SELECT name, sql FROM sqlite_schema WHERE type = 'view'";
        if (sqlite3_prepare_v2(db, kViews, -1, &stmt, nullptr) != SQLITE_OK) {
            throw sqliteError(db);
        }
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            const auto text = [&](int i) {
                const char* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                return p ? QByteArray(p, sqlite3_column_bytes(stmt, i)) : QByteArray();
            };
            m_views.insert(asciiLower(text(0)), text(1));
        }
        if (rc != SQLITE_DONE) {
            RequestError e = sqliteError(db);
            sqlite3_finalize(stmt);
            throw e;
        }
        sqlite3_finalize(stmt);
        m_file = file;
        m_mainVersion = mainVersion;
        m_tempVersion = tempVersion;
    }

    /// SELECTs the statement text expands to, at most kMaxSelectsPerStatement + 1.
    int ofText(const QByteArray& text)
    {
        if (m_views.isEmpty()) {
            return 0;  // the SELECTs of the text alone are checked by checkNesting
        }
        const Parts parts = partsOf(text);
        qint64 total = parts.selects;
        for (const QByteArray& view : parts.views) {
            total = std::min<qint64>(total + ofView(view), kMaxSelectsPerStatement + 1);
        }
        return int(std::min<qint64>(total, kMaxSelectsPerStatement + 1));
    }

private:
    void forgetStatements()
    {
        for (sqlite3_stmt** stmt : {&m_mainVersionStmt, &m_tempVersionStmt, &m_databasesStmt}) {
            sqlite3_finalize(*stmt);
            *stmt = nullptr;
        }
    }

    static sqlite3_stmt* prepared(sqlite3* db, sqlite3_stmt*& stmt, const char* sql)
    {
        if (!stmt &&
            sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
            stmt = nullptr;
            throw sqliteError(db);
        }
        return stmt;
    }

    bool tempIsOpen(sqlite3* db)
    {
        sqlite3_stmt* stmt = prepared(db, m_databasesStmt, "PRAGMA database_list");
        bool open = false;
        while (!open && sqlite3_step(stmt) == SQLITE_ROW) {
            const char* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
            open = name != nullptr && std::strcmp(name, "temp") == 0;
        }
        sqlite3_reset(stmt);
        return open;
    }

    static qint64 readInteger(sqlite3* db, sqlite3_stmt*& cached, const char* sql)
    {
        sqlite3_stmt* stmt = prepared(db, cached, sql);
        const int rc = sqlite3_step(stmt);
        const qint64 value = rc == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
        sqlite3_reset(stmt);
        return value;
    }

    /// The SELECT keywords of a text and the names in it that are views (once per mention).
    struct Parts
    {
        qint64 selects = 0;
        std::vector<QByteArray> views;
    };
    Parts partsOf(const QByteArray& text) const
    {
        Parts parts;
        for (const sql::Token& t : bodyTokens(text)) {
            const QByteArray name = sql::identifierName(text, t);
            if (name.isEmpty()) {
                continue;
            }
            if (t.kind == sql::TokenKind::Identifier && sql::sameName(name, "SELECT")) {
                ++parts.selects;
            } else {
                QByteArray lower = asciiLower(name);
                if (m_views.contains(lower)) {
                    parts.views.push_back(std::move(lower));
                }
            }
        }
        return parts;
    }

    /// Without recursion: views may have been chained thousands deep outside the server.
    int ofView(const QByteArray& root)
    {
        constexpr qint64 kCap = kMaxSelectsPerStatement + 1;
        if (const auto known = m_weights.constFind(root); known != m_weights.constEnd()) {
            return known.value();
        }
        struct Frame
        {
            QByteArray name;
            Parts parts;
            size_t next = 0;
            qint64 sum = 0;
        };
        std::vector<Frame> stack;
        const auto push = [&](const QByteArray& name) {
            m_weights.insert(name, 0);  // a view that names itself adds nothing (SQLite refuses it)
            Frame f{name, partsOf(m_views.value(name)), 0, 0};
            f.sum = std::min(f.parts.selects, kCap);
            stack.push_back(std::move(f));
        };
        push(root);
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.next < top.parts.views.size()) {
                const QByteArray name = top.parts.views[top.next++];
                if (const auto known = m_weights.constFind(name); known != m_weights.constEnd()) {
                    top.sum = std::min(top.sum + known.value(), kCap);
                } else {
                    push(name);
                }
                continue;
            }
            const int weight = int(std::max<qint64>(1, top.sum));
            m_weights.insert(top.name, weight);
            stack.pop_back();
            if (!stack.empty()) {
                stack.back().sum = std::min(stack.back().sum + weight, kCap);
            }
        }
        return m_weights.value(root);
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_mainVersionStmt = nullptr;  // PRAGMA main.schema_version
    sqlite3_stmt* m_tempVersionStmt = nullptr;  // PRAGMA temp.schema_version
    sqlite3_stmt* m_databasesStmt = nullptr;    // PRAGMA database_list
    QByteArray m_file;
    qint64 m_mainVersion = -1;
    qint64 m_tempVersion = -1;
    QHash<QByteArray, QByteArray> m_views;  // lower-case name -> CREATE VIEW text
    QHash<QByteArray, int> m_weights;
};

std::shared_ptr<ViewExpansion> makeViewExpansion()
{
    return std::make_shared<ViewExpansion>();
}

void checkViewExpansion(Connection& connection, const char* begin, const char* end)
{
    std::shared_ptr<void>& slot = connection.extension(Connection::Extension::Views);
    if (!slot) {
        slot = makeViewExpansion();
    }
    checkViewExpansion(connection.handle(), *static_cast<ViewExpansion*>(slot.get()), begin, end);
}

void checkViewExpansion(sqlite3* db, ViewExpansion& views, const char* begin, const char* end)
{
    views.refresh(db);
    const QByteArray rest = QByteArray::fromRawData(begin, int(end - begin));
    QByteArray statement = rest;
    const std::vector<sql::Token> tokens = sql::tokenize(rest);
    bool trigger = false;
    int words = 0;
    for (const sql::Token& t : tokens) {
        if (t.kind == sql::TokenKind::Identifier && words < 4) {
            const QByteArray word = sql::identifierName(rest, t);
            if (words++ == 0 && sql::sameName(word, "DROP")) {
                return;  // expands nothing, and a deep view must stay removable
            }
            trigger = trigger || sql::sameName(word, "TRIGGER");
        }
        if (!trigger && t.kind == sql::TokenKind::Operator && rest[t.begin] == ';') {
            statement = QByteArray::fromRawData(begin, t.begin);
            break;
        }
    }
    if (views.ofText(statement) > kMaxSelectsPerStatement) {
        throw RequestError(code::kSql, QStringLiteral("the statement expands to more than %1 SELECTs through the "
                                                      "views it names; name fewer or shallower views")
                                           .arg(kMaxSelectsPerStatement));
    }
}

namespace {

/// The statements of one text, from the connection's cache or prepared one by one as they run
/// (a later statement may depend on an earlier one, e.g. CREATE TABLE then INSERT).
class StatementSource
{
public:
    StatementSource(Connection& connection, const QByteArray& sql) : m_connection(connection), m_sql(sql)
    {
        m_cached = connection.statements().find(sql);
        m_tail = m_sql.constData();
        m_end = m_tail + m_sql.size();
        if (!m_cached) {
            checkNesting(m_sql);
        }
    }
    ~StatementSource()
    {
        for (sqlite3_stmt* s : m_prepared) {
            sqlite3_finalize(s);
        }
    }
    StatementSource(const StatementSource&) = delete;
    StatementSource& operator=(const StatementSource&) = delete;

    /// Next statement, nullptr after the last one. Throws RequestError when preparing fails.
    sqlite3_stmt* next()
    {
        if (m_cached) {
            return m_pos < m_cached->statements.size() ? m_cached->statements[m_pos++] : nullptr;
        }
        sqlite3* db = m_connection.handle();
        while (m_tail < m_end) {
            checkViewExpansion(m_connection, m_tail, m_end);
            sqlite3_stmt* stmt = nullptr;
            const char* tail = nullptr;
            if (sqlite3_prepare_v3(db, m_tail, int(m_end - m_tail), SQLITE_PREPARE_PERSISTENT, &stmt,
                                   &tail) != SQLITE_OK) {
                throw sqliteError(db);
            }
            if (tail == m_tail) {
                // SQLite reads the text only up to a NUL character: preparing from there again
                // would make no progress, and what follows it would never run.
                throw RequestError(code::kBadRequest, QByteArray("the SQL text contains a NUL character"));
            }
            m_tail = tail;
            if (stmt) {
                m_prepared.push_back(stmt);
                return stmt;
            }
        }
        return nullptr;
    }

    /// Whether statements may follow the one last returned.
    bool hasMore() const
    {
        if (m_cached) {
            return m_pos < m_cached->statements.size();
        }
        for (const char* p = m_tail; p < m_end; ++p) {
            if (*p != ' ' && *p != '\t' && *p != '\n' && *p != '\r' && *p != ';') {
                return true;
            }
        }
        return false;
    }

    /// Every statement ran: the freshly prepared ones go to the cache.
    void finish()
    {
        if (!m_cached) {
            m_connection.statements().insert(m_sql, std::move(m_prepared));
            m_prepared.clear();
        }
    }

private:
    Connection& m_connection;
    const QByteArray m_sql;
    PreparedText* m_cached = nullptr;
    size_t m_pos = 0;
    std::vector<sqlite3_stmt*> m_prepared;
    const char* m_tail = nullptr;
    const char* m_end = nullptr;
};

/// Leaves a statement ready for its next use whatever happens.
struct StatementUse
{
    sqlite3_stmt* stmt;
    ~StatementUse()
    {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
};

void bind(sqlite3* db, sqlite3_stmt* stmt, const BindValues& binds)
{
    if (binds.empty() || sqlite3_bind_parameter_count(stmt) == 0) {
        return;
    }
    for (const BindValue& b : binds) {
        const int index = sqlite3_bind_parameter_index(stmt, b.name.constData());
        if (index <= 0) {
            continue;
        }
        int rc = SQLITE_OK;
        switch (b.kind) {
            case BindValue::Kind::Null:
                rc = sqlite3_bind_null(stmt, index);
                break;
            case BindValue::Kind::Integer:
                rc = sqlite3_bind_int64(stmt, index, b.integer);
                break;
            case BindValue::Kind::Real:
                rc = sqlite3_bind_double(stmt, index, b.real);
                break;
            case BindValue::Kind::Text:
                // The bind values outlive every use of the statement within the request.
                rc = sqlite3_bind_text64(stmt, index, b.text.constData(), sqlite3_uint64(b.text.size()),
                                         SQLITE_STATIC, SQLITE_UTF8);
                break;
        }
        if (rc != SQLITE_OK) {
            RequestError e = sqliteError(db);
            e.prependReason("binding " + b.name + ": ");
            throw e;
        }
    }
}

qint64 runStatement(sqlite3* db, sqlite3_stmt* stmt, const BindValues& binds, RowWriter* rows,
                    bool appendRows = false)
{
    StatementUse use{stmt};
    bind(db, stmt, binds);
    const bool collect = rows && sqlite3_column_count(stmt) > 0;
    if (collect) {
        if (appendRows) {
            rows->continueWith(stmt);
        } else {
            rows->beginStatement(stmt);
        }
    }
    qint64 count = 0;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        ++count;
        if (collect) {
            rows->addRow(stmt);
        }
    }
    if (rc != SQLITE_DONE) {
        throw sqliteError(db);
    }
    return count;
}

/// Runs all statements of a text inside an open transaction.
void runInTransaction(sqlite3* db, StatementSource& source, sqlite3_stmt* first, const BindValues& binds,
                      RowWriter* rows)
{
    for (sqlite3_stmt* stmt = first ? first : source.next(); stmt; stmt = source.next()) {
        switch (transactionControlOf(sqlite3_sql(stmt))) {
            case TransactionControl::None:
                runStatement(db, stmt, binds, rows);
                break;
            case TransactionControl::Redundant:
                break;  // the enclosing transaction begins and commits
            case TransactionControl::Rollback:
                throw RequestError(code::kSql, QByteArray("ROLLBACK is not accepted inside a transaction: a "
                                                          "failing statement rolls the whole request back"));
        }
    }
}

}  // namespace

void checkNesting(const QByteArray& sql)
{
    if (mostSelectsPerStatement(sql.constData(), sql.size()) > kMaxSelectsPerStatement) {
        throw RequestError(code::kSql, QStringLiteral("a statement holds more than %1 SELECTs; split it")
                                           .arg(kMaxSelectsPerStatement));
    }
}

BindValues bindValuesFromJson(const QJsonObject& object)
{
    BindValues out;
    out.reserve(size_t(object.size()));
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        BindValue b;
        b.name = it.key().toUtf8();
        const QJsonValue v = it.value();
        switch (v.type()) {
            case QJsonValue::Null:
            case QJsonValue::Undefined:
                b.kind = BindValue::Kind::Null;
                break;
            case QJsonValue::Bool:
                b.kind = BindValue::Kind::Integer;
                b.integer = v.toBool() ? 1 : 0;
                break;
            case QJsonValue::Double: {
                // Qt's parser keeps whole numbers that fit 64 bits as integers.
                const QVariant var = v.toVariant();
                if (var.userType() == QMetaType::LongLong) {
                    b.kind = BindValue::Kind::Integer;
                    b.integer = var.toLongLong();
                } else {
                    b.kind = BindValue::Kind::Real;
                    b.real = v.toDouble();
                }
                break;
            }
            case QJsonValue::String:
                b.kind = BindValue::Kind::Text;
                b.text = v.toString().toUtf8();
                break;
            case QJsonValue::Array:
                b.kind = BindValue::Kind::Text;
                b.text = QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact);
                break;
            case QJsonValue::Object:
                b.kind = BindValue::Kind::Text;
                b.text = QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact);
                break;
        }
        out.push_back(std::move(b));
    }
    return out;
}

void RowWriter::beginStatement(sqlite3_stmt* stmt)
{
    m_out.truncate(int(m_mark));
    m_rows = 0;
    continueWith(stmt);
}

void RowWriter::continueWith(sqlite3_stmt* stmt)
{
    const int n = sqlite3_column_count(stmt);
    m_columnPrefix.assign(size_t(n), QByteArray());
    for (int i = 0; i < n; ++i) {
        QByteArray& p = m_columnPrefix[size_t(i)];
        p.reserve(32);
        p.append(i == 0 ? "{\"key\":" : ",{\"key\":");
        const char* name = sqlite3_column_name(stmt, i);
        json::appendString(p, name ? name : "", name ? qsizetype(std::strlen(name)) : 0);
        p.append(",\"value\":");
    }
}

void RowWriter::checkSize() const
{
    if (m_out.size() > m_maxBytes) {
        throw RequestError(
            code::kTooLarge,
            QStringLiteral("the answer exceeds %1 MiB after %2 rows").arg(m_maxBytes >> 20).arg(m_rows));
    }
}

void RowWriter::addRow(sqlite3_stmt* stmt)
{
    checkSize();
    if (m_rows++ > 0) {
        m_out.append(',');
    }
    m_out.append("{\"record\":[", 11);
    const int n = int(m_columnPrefix.size());
    for (int i = 0; i < n; ++i) {
        const QByteArray& prefix = m_columnPrefix[size_t(i)];
        m_out.append(prefix);
        switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_INTEGER:
                m_out.append('"');
                json::appendInt(m_out, sqlite3_column_int64(stmt, i));
                m_out.append("\"}", 2);
                break;
            case SQLITE_FLOAT:
                m_out.append('"');
                json::appendReal(m_out, sqlite3_column_double(stmt, i));
                m_out.append("\"}", 2);
                break;
            case SQLITE_TEXT: {
                const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                json::appendString(m_out, text, sqlite3_column_bytes(stmt, i));
                m_out.append('}');
                break;
            }
            case SQLITE_BLOB: {
                const void* blob = sqlite3_column_blob(stmt, i);
                const int size = sqlite3_column_bytes(stmt, i);
                m_out.append('"');
                m_out.append(QByteArray::fromRawData(static_cast<const char*>(blob), size).toBase64());
                m_out.append("\"}", 2);
                break;
            }
            default:
                m_out.append("null}", 5);
        }
        checkSize();  // one value may be large: checked before the next one is added
    }
    m_out.append("]}", 2);
}

ReadTransaction::ReadTransaction(Connection& connection) : m_connection(connection)
{
    static const QByteArray kBegin = QByteArrayLiteral("BEGIN DEFERRED");
    StatementRun(connection, preparedSingle(connection, kBegin), {}).next();
}

ReadTransaction::~ReadTransaction()
{
    m_connection.rollback();  // nothing was written: ending it either way is the same
}

sqlite3_stmt* preparedSingle(Connection& connection, const QByteArray& sql)
{
    const RequestError notOne(code::kBadRequest, QByteArray("the text must hold exactly one statement"));
    if (PreparedText* cached = connection.statements().find(sql)) {
        if (cached->statements.size() != 1) {
            throw notOne;
        }
        return cached->statements.front();
    }
    StatementSource source(connection, sql);
    sqlite3_stmt* stmt = source.next();
    if (!stmt || source.next()) {
        throw notOne;
    }
    source.finish();
    return stmt;
}

StatementRun::StatementRun(Connection& connection, sqlite3_stmt* stmt, const BindValues& binds)
    : m_connection(connection), m_stmt(stmt)
{
    try {
        bind(connection.handle(), stmt, binds);
    } catch (...) {
        sqlite3_clear_bindings(stmt);
        throw;
    }
}

StatementRun::~StatementRun()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

bool StatementRun::next()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc != SQLITE_DONE) {
        throw sqliteError(m_connection.handle());
    }
    return false;
}

QByteArray StatementRun::text(int i) const
{
    const char* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
    return p ? QByteArray(p, sqlite3_column_bytes(m_stmt, i)) : QByteArray();
}

qint64 StatementRun::integer(int i) const
{
    return sqlite3_column_int64(m_stmt, i);
}

BindValue textBind(const char* name, const QByteArray& value)
{
    BindValue b;
    b.name = name;
    b.kind = BindValue::Kind::Text;
    b.text = value;
    return b;
}

BindValue integerBind(const char* name, qint64 value)
{
    BindValue b;
    b.name = name;
    b.kind = BindValue::Kind::Integer;
    b.integer = value;
    return b;
}

qint64 stepStatement(Connection& connection, sqlite3_stmt* stmt, const BindValues& binds, RowWriter* rows,
                     bool appendRows)
{
    return runStatement(connection.handle(), stmt, binds, rows, appendRows);
}

void executeInTransaction(Connection& connection, const QByteArray& sql, const BindValues& binds,
                          RowWriter* rows)
{
    StatementSource source(connection, sql);
    runInTransaction(connection.handle(), source, nullptr, binds, rows);
    source.finish();
}

void executeText(const Lease& lease, const QByteArray& sql, const BindValues& binds, RowWriter* rows)
{
    Connection& connection = lease.connection();
    sqlite3* db = connection.handle();
    {
        StatementSource source(connection, sql);
        sqlite3_stmt* first = source.next();
        if (!first) {
            source.finish();
            return;
        }
        if (!source.hasMore()) {
            std::unique_lock<std::timed_mutex> writes;
            if (!sqlite3_stmt_readonly(first)) {
                writes = lease.lockWrites();
            }
            runStatement(db, first, binds, rows);
        } else {
            const auto writes = lease.lockWrites();
            Transaction transaction(connection);
            runInTransaction(db, source, first, binds, rows);
            transaction.commit();
        }
        source.finish();
    }
    if (!sqlite3_get_autocommit(db)) {
        // e.g. a lone BEGIN: the next request on this connection must not run inside it
        connection.rollback();
        throw RequestError(code::kSql, QByteArray("the statement left a transaction open, so it was rolled "
                                                  "back; send transactions with ExecuteTransaction"));
    }
}

void executeTransaction(const Lease& lease, const std::vector<QByteArray>& sqls,
                        const std::vector<BindValues>& binds)
{
    static const BindValues kNoBinds;
    Connection& connection = lease.connection();
    const auto writes = lease.lockWrites();
    Transaction transaction(connection);
    for (size_t i = 0; i < sqls.size(); ++i) {
        try {
            executeInTransaction(connection, sqls[i], binds.empty() ? kNoBinds : binds[i], nullptr);
        } catch (RequestError& e) {
            e.setFailedStatement(int(i));
            throw;
        }
    }
    commitRequest(transaction);
}

void commitRequest(Transaction& transaction)
{
    try {
        transaction.commit();
    } catch (RequestError& e) {
        e.prependReason("COMMIT failed: ");
        throw;
    }
}

}  // namespace tessel::server
