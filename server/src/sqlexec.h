// Running request SQL on a leased connection: binding, stepping, row output, transactions.
#ifndef TESSEL_SERVER_SQLEXEC_H
#define TESSEL_SERVER_SQLEXEC_H

#include "database.h"

#include <QByteArray>
#include <QJsonObject>

#include <memory>
#include <vector>

namespace tessel::server {

struct BindValue
{
    enum class Kind
    {
        Null,
        Integer,
        Real,
        Text
    };
    QByteArray name;  ///< parameter name with its leading ':', '@', '$' or '?'
    Kind kind = Kind::Null;
    qint64 integer = 0;
    double real = 0;
    QByteArray text;  ///< UTF-8
};
using BindValues = std::vector<BindValue>;

/// Refuses ("sql") a text with a statement nesting more SELECTs than kMaxSelectsPerStatement.
void checkNesting(const QByteArray& sql);

/// What the views of a connection expand to, kept with the connection between statements.
class ViewExpansion;
std::shared_ptr<ViewExpansion> makeViewExpansion();

/// Refuses ("sql") the statement that starts at `begin` when it names views that expand to
/// more SELECTs than kMaxSelectsPerStatement. Only the text up to its first ';' is read (a
/// trigger's body: to the end of the text). Run before each statement is prepared; `views`
/// must be dropped before `db` is closed.
void checkViewExpansion(sqlite3* db, ViewExpansion& views, const char* begin, const char* end);
/// The same with the connection's own ViewExpansion.
void checkViewExpansion(Connection& connection, const char* begin, const char* end);

/// Converts a "bindValue" object: whole numbers within 64 bits as integers, other numbers as
/// reals, strings as text, booleans as 1/0, null as NULL, arrays and objects as compact JSON.
BindValues bindValuesFromJson(const QJsonObject& object);

/// Writes the rows of a statement as the "ret" array elements of a query answer:
/// {"record":[{"key":"COL","value":"text"},...]},... Starting a new statement drops the rows
/// written so far, so the rows of the last row-returning statement remain.
class RowWriter
{
public:
    RowWriter(QByteArray& out, qsizetype maxBytes) : m_out(out), m_mark(out.size()), m_maxBytes(maxBytes) {}
    void beginStatement(sqlite3_stmt* stmt);
    /// Like beginStatement, but keeps the rows written so far: the rows of this statement follow
    /// them (rows gathered from several statements, e.g. partitions).
    void continueWith(sqlite3_stmt* stmt);
    void addRow(sqlite3_stmt* stmt);
    qint64 rowCount() const { return m_rows; }

private:
    void checkSize() const;

    QByteArray& m_out;
    const qsizetype m_mark;
    const qsizetype m_maxBytes;
    std::vector<QByteArray> m_columnPrefix;  // ',{"key":"NAME","value":' (no comma for the first)
    qint64 m_rows = 0;
};

/// BEGIN IMMEDIATE on construction; ROLLBACK on destruction unless commit() succeeded.
class Transaction
{
public:
    explicit Transaction(Connection& connection) : m_connection(connection) { connection.begin(); }
    ~Transaction()
    {
        if (!m_committed) {
            m_connection.rollback();
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit()
    {
        m_connection.commit();
        m_committed = true;
    }

private:
    Connection& m_connection;
    bool m_committed = false;
};

/// Commits the transaction of a request; a failure's reason says it was the COMMIT.
void commitRequest(Transaction& transaction);

/// A read transaction (BEGIN DEFERRED): the statements run inside it see one snapshot of the
/// database. Ended on destruction.
class ReadTransaction
{
public:
    explicit ReadTransaction(Connection& connection);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    Connection& m_connection;
};

/// The statement of a one-statement text, prepared through the connection's statement cache.
/// Throws RequestError when it does not prepare, or ("bad-request") when the text holds no
/// statement or more than one.
sqlite3_stmt* preparedSingle(Connection& connection, const QByteArray& sql);

/// One use of a prepared statement: bound on construction, reset and its bindings cleared on
/// destruction. The bind values must outlive it.
class StatementRun
{
public:
    StatementRun(Connection& connection, sqlite3_stmt* stmt, const BindValues& binds);
    ~StatementRun();
    StatementRun(const StatementRun&) = delete;
    StatementRun& operator=(const StatementRun&) = delete;

    /// Steps once: true with a row, false at the end; throws RequestError on failure.
    bool next();
    sqlite3_stmt* statement() const { return m_stmt; }
    /// Column `i` of the current row as UTF-8 text (empty for NULL).
    QByteArray text(int i) const;
    qint64 integer(int i) const;

private:
    Connection& m_connection;
    sqlite3_stmt* m_stmt;
};

/// A text bind value.
BindValue textBind(const char* name, const QByteArray& value);
/// An integer bind value.
BindValue integerBind(const char* name, qint64 value);

/// Binds and steps a statement to its end; rows go to `rows` when given (appended to the rows
/// already there when `appendRows`). Returns the number of rows. The statement is reset and
/// its bindings cleared afterwards. Throws RequestError.
qint64 stepStatement(Connection& connection, sqlite3_stmt* stmt, const BindValues& binds, RowWriter* rows,
                     bool appendRows);

/// Runs every statement of a text inside the transaction the caller has open (and whose write
/// lock it holds). BEGIN/COMMIT/END are skipped, ROLLBACK refused. Throws RequestError.
void executeInTransaction(Connection& connection, const QByteArray& sql, const BindValues& binds,
                          RowWriter* rows);

/// Runs every statement of one SQL text. A single statement runs on its own (under the write
/// lock unless it is read-only); several run in one transaction under the write lock. Rows go
/// to `rows` when given. Throws RequestError; nothing of a failed text is kept.
void executeText(const Lease& lease, const QByteArray& sql, const BindValues& binds, RowWriter* rows);

/// Runs the texts in order in one transaction under the write lock, each with its own binds
/// (`binds` empty: none). Throws RequestError carrying the failing index; nothing is kept then.
void executeTransaction(const Lease& lease, const std::vector<QByteArray>& sqls,
                        const std::vector<BindValues>& binds);

}  // namespace tessel::server

#endif
