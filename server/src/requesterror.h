// The failure of one request, carried from where it is found to the dispatch point, which
// turns it into an "ERROR" answer.
#ifndef TESSEL_SERVER_REQUESTERROR_H
#define TESSEL_SERVER_REQUESTERROR_H

#include <QByteArray>
#include <QString>
#include <exception>

namespace tessel::server {

/// Values of the answer member "code".
namespace code {
inline constexpr const char kBadFrame[] = "bad-frame";
inline constexpr const char kBadJson[] = "bad-json";
inline constexpr const char kUnknownCommand[] = "unknown-command";
inline constexpr const char kBadRequest[] = "bad-request";
inline constexpr const char kBadDatabase[] = "bad-database";
inline constexpr const char kSql[] = "sql";
inline constexpr const char kTooLarge[] = "too-large";
inline constexpr const char kBusy[] = "busy";
inline constexpr const char kTimeout[] = "timeout";
inline constexpr const char kInternal[] = "internal";
}  // namespace code

class RequestError : public std::exception
{
public:
    RequestError(const char* code, QString reason) : m_code(code), m_reason(reason.toUtf8()) {}
    RequestError(const char* code, QByteArray reasonUtf8) : m_code(code), m_reason(std::move(reasonUtf8)) {}

    /// An error reported by SQLite: its message and extended result code.
    static RequestError sqlite(const char* message, int sqliteCode)
    {
        RequestError e(code::kSql, QByteArray(message ? message : "unknown SQLite error"));
        if ((sqliteCode & 0xff) == kSqliteAuth) {
            // The connections' authorizer is the only source of SQLITE_AUTH.
            e.m_reason.append(
                " (this server refuses ATTACH, DETACH and VACUUM INTO: no statement may open "
                "or create another database file; and every PRAGMA that is not a reading one: no "
                "request may change the settings of the pooled connections)");
        }
        e.m_sqliteCode = sqliteCode;
        return e;
    }

    const char* code() const { return m_code; }
    const QByteArray& reason() const { return m_reason; }
    /// SQLite's extended result code, or -1 when SQLite did not report this failure.
    int sqliteCode() const { return m_sqliteCode; }
    void setSqliteCode(int sqliteCode) { m_sqliteCode = sqliteCode; }
    /// Index of the failing statement of a transaction, or -1.
    int failedStatement() const { return m_failedStatement; }
    void setFailedStatement(int index) { m_failedStatement = index; }
    void prependReason(const QByteArray& prefix) { m_reason.prepend(prefix); }

    const char* what() const noexcept override { return m_reason.constData(); }

private:
    static constexpr int kSqliteAuth = 23;  // SQLITE_AUTH
    const char* m_code;
    QByteArray m_reason;
    int m_sqliteCode = -1;
    int m_failedStatement = -1;
};

}  // namespace tessel::server

#endif
