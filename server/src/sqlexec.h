// Running request SQL on a leased connection: binding, stepping, row output, transactions.
#ifndef TESSEL_SERVER_SQLEXEC_H
#define TESSEL_SERVER_SQLEXEC_H

#include "database.h"

#include <QByteArray>
#include <QJsonObject>

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
    void addRow(sqlite3_stmt* stmt);
    qint64 rowCount() const { return m_rows; }

private:
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
