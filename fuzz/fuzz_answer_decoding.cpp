// Fuzz target: the data layer decoding the server's answers.
//
// Input: byte 0 chooses the operation (modulo 12), the rest is the answer text (UTF-8) that
// an in-process I_WebSocket hands back for the request. Every operation goes through
// CLS_RemoteDBHandler exactly as a DAO calls it; every result is freed. Besides the sanitizers,
// the harness checks the documented outcome of each call against its own reading of the answer:
// failure (-1 / null / nothing added) unless the answer is a JSON object whose "result" is
// "OK", and then one row / table / interface / sample per element of the answer's array. The
// query calls have a parser of their own (not Qt's): for them the reading is a strict RFC 8259
// one, and what JSON leaves to implementations (depth, number range, unpaired surrogate
// escapes) or only Qt tolerates is checked for crashes only.
//
// Fixed findings guarded here (docs/reliability.md; inputs in fuzz/corpus/fuzz_answer_decoding/
// regressions/): F-3, a lone low-surrogate escape ("\udc00") in a query answer failed an
// assertion inside rapidjson (an abort again would stop the run); F-7, the query decoder ignored
// what follows a U+0000 character (such an answer is not JSON, so the checks below expect the
// call to fail). F-2 (UB inside rapidjson's own stack) is accepted and suppressed by
// fuzz/known-issues.supp in every mode.
// F-5: an answer repeating a member name is refused on every path before Qt's parser sees it;
// the reference reading below refuses it the same way.
#include "CLS_RemoteDBHandler.h"
#include "FuzzSupport.h"
#include "I_WebSocket.h"
#include "jsonscan.h"
#include "NetworkInfo.h"
#include "ToolKits.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>
#include <QVector>

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Formats like the default log sink (so format strings and arguments are exercised) but
// writes nothing: a fuzzer run logs a line for most inputs.
void quietSink(int /*_iLevel*/, const char* /*_pszFile*/, int /*_iLine*/, const char* _pszFormat, ...)
{
    char message[4096];
    va_list args;
    va_start(args, _pszFormat);
    std::vsnprintf(message, sizeof(message), _pszFormat != nullptr ? _pszFormat : "", args);
    va_end(args);
}

[[noreturn]] void fail(const char* what, int op)
{
    std::fprintf(stderr, "fuzz_answer_decoding: operation %d: %s\n", op, what);
    std::abort();
}

#define CHECK(cond)                                    \
    do {                                               \
        if (!(cond)) {                                 \
            fail("check failed: " #cond, g_currentOp); \
        }                                              \
    } while (0)

int g_currentOp = -1;

/// Answers every request with the current fuzz input; remembers the command and lane.
class FuzzWebSocket final : public I_WebSocket
{
public:
    QString answer;
    QString lastCommand;
    int lastSelector = 0;
    int sends = 0;

    const char* GetVersion() override { return "fuzz"; }
    int SetOption(const QString&, const QString&) override { return -1; }
    QString GetOption(const QString&) override { return QString(); }
    int Disconnect(int) override { return 0; }
    int DisconnectAll() override { return 0; }
    int ChannelState(int) override { return 2; }
    QString ChannelUrl(int) override { return QString(); }
    int PendingRequests() override { return 0; }
    QString LastError(int) override { return QString(); }
    int SetReconnect(bool, int) override { return 0; }
    int Post(const QString&, const QJsonObject&) override { return 0; }

    int Connect(int, QString, WebSocketEventCallback, void*) override { return 1; }
    int IsConnected(int) override { return 1; }
    int SendAndWait(const QString& _strCommand, const QJsonObject& /*_jsonRequest*/, QString& _strAnswer,
                    int /*_iTimeoutSec*/) override
    {
        lastCommand = _strCommand;
        lastSelector = 0;
        ++sends;
        _strAnswer = answer;
        return 0;
    }
    int SendAndWaitSelected(const QString& _strCommand, const QJsonObject& /*_jsonRequest*/,
                            QString& _strAnswer, int _iSelector) override
    {
        lastCommand = _strCommand;
        lastSelector = _iSelector;
        ++sends;
        _strAnswer = answer;
        return 0;
    }
};

FuzzWebSocket* g_socket = nullptr;

void restoreHandler()
{
    // The handler must not keep a pointer to the harness's object past its life, and its
    // teardown must never try to delete it through the WebSocket library.
    CLS_RemoteDBHandler::m_pWebSocket = nullptr;
    CLS_RemoteDBHandler::m_iConnectedStatus = 0;
    delete g_socket;
    g_socket = nullptr;
}

/// The harness's own reading of an answer.
/// Strict RFC 8259 reading of a JSON text. `latitude` marks what the RFC leaves to the
/// implementation: nesting deeper than Qt's limit (1024, section 9), numbers near or past the
/// range of a double (section 6), escapes of unpaired surrogates (section 8.2).
class StrictJson
{
public:
    explicit StrictJson(const QByteArray& text) : m_s(text)
    {
        skipBlanks();
        m_valid = value(0);
        skipBlanks();
        m_valid = m_valid && m_i == m_s.size();
    }
    bool valid() const { return m_valid; }
    bool latitude() const { return m_latitude; }

private:
    static constexpr int kQtDepth = 1024;

    int peek() const { return m_i < m_s.size() ? static_cast<unsigned char>(m_s[m_i]) : -1; }
    void skipBlanks()
    {
        while (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r') {
            ++m_i;
        }
    }
    bool literal(const char* word)
    {
        const int n = int(std::strlen(word));
        if (m_s.mid(m_i, n) != word) {
            return false;
        }
        m_i += n;
        return true;
    }
    bool value(int depth)
    {
        switch (peek()) {
            case '{':
                return object(depth + 1);
            case '[':
                return array(depth + 1);
            case '"':
                return string();
            case 't':
                return literal("true");
            case 'f':
                return literal("false");
            case 'n':
                return literal("null");
            default:
                return number();
        }
    }
    bool object(int depth)
    {
        m_latitude = m_latitude || depth > kQtDepth;
        ++m_i;
        skipBlanks();
        if (peek() == '}') {
            ++m_i;
            return true;
        }
        for (;;) {
            skipBlanks();
            if (peek() != '"' || !string()) {
                return false;
            }
            skipBlanks();
            if (peek() != ':') {
                return false;
            }
            ++m_i;
            skipBlanks();
            if (!value(depth)) {
                return false;
            }
            skipBlanks();
            if (peek() == ',') {
                ++m_i;
                continue;
            }
            if (peek() == '}') {
                ++m_i;
                return true;
            }
            return false;
        }
    }
    bool array(int depth)
    {
        m_latitude = m_latitude || depth > kQtDepth;
        ++m_i;
        skipBlanks();
        if (peek() == ']') {
            ++m_i;
            return true;
        }
        for (;;) {
            skipBlanks();
            if (!value(depth)) {
                return false;
            }
            skipBlanks();
            if (peek() == ',') {
                ++m_i;
                continue;
            }
            if (peek() == ']') {
                ++m_i;
                return true;
            }
            return false;
        }
    }
    bool hex4(uint* unit)
    {
        bool ok = false;
        const QByteArray digits = m_s.mid(m_i, 4);
        for (const char c : digits) {
            if (!std::isxdigit(static_cast<unsigned char>(c))) {
                return false;
            }
        }
        *unit = digits.size() == 4 ? digits.toUInt(&ok, 16) : 0;
        m_i += 4;
        return ok;
    }
    bool string()
    {
        ++m_i;  // the opening quote
        bool pendingHigh = false;
        for (;;) {
            const int c = peek();
            if (c < 0 || c < 0x20) {
                return false;  // end of text, or a control character that is not escaped
            }
            ++m_i;
            if (c == '"') {
                m_latitude = m_latitude || pendingHigh;
                return true;
            }
            if (c != '\\') {
                m_latitude = m_latitude || pendingHigh;
                pendingHigh = false;
                continue;
            }
            const int e = peek();
            ++m_i;
            if (e == 'u') {
                uint unit = 0;
                if (!hex4(&unit)) {
                    return false;
                }
                const bool high = unit >= 0xD800 && unit <= 0xDBFF;
                const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
                m_latitude = m_latitude || (pendingHigh && !low) || (low && !pendingHigh);
                pendingHigh = high;
                continue;
            }
            // e <= 0 first: strchr finds the terminating NUL of its string, so a backslash
            // followed by U+0000 would pass as an escape.
            if (e <= 0 || std::strchr("\"\\/bfnrt", e) == nullptr) {
                return false;
            }
            m_latitude = m_latitude || pendingHigh;
            pendingHigh = false;
        }
    }
    bool number()
    {
        const int start = m_i;
        if (peek() == '-') {
            ++m_i;
        }
        if (peek() == '0') {
            ++m_i;
        } else if (peek() >= '1' && peek() <= '9') {
            while (peek() >= '0' && peek() <= '9') {
                ++m_i;
            }
        } else {
            return false;
        }
        if (peek() == '.') {
            ++m_i;
            if (!(peek() >= '0' && peek() <= '9')) {
                return false;
            }
            while (peek() >= '0' && peek() <= '9') {
                ++m_i;
            }
        }
        bool exponent = false;
        if (peek() == 'e' || peek() == 'E') {
            exponent = true;
            ++m_i;
            if (peek() == '+' || peek() == '-') {
                ++m_i;
            }
            if (!(peek() >= '0' && peek() <= '9')) {
                return false;
            }
            while (peek() >= '0' && peek() <= '9') {
                ++m_i;
            }
        }
        // Long numbers and exponents may leave a double's range: implementations differ.
        m_latitude = m_latitude || exponent || m_i - start > 17;
        return true;
    }

    const QByteArray& m_s;
    int m_i = 0;
    bool m_valid = false;
    bool m_latitude = false;
};

struct Expected
{
    bool qtParsed = false;  // Qt's parser read the answer
    bool ok = false;        // Qt read a JSON object with "result": "OK"
    bool strict = false;    // valid by RFC 8259, away from the latitude it leaves
    bool invalid = false;   // invalid by RFC 8259 (and not only for a latitude)
    QJsonObject data;       // its "data" (empty object when absent or not an object)
    int arraySize(const char* key) const
    {
        const QJsonValue v = data.value(QLatin1String(key));
        return v.isArray() ? v.toArray().size() : 0;
    }
};

Expected readAnswer(const QString& answer)
{
    Expected e;
    const QByteArray utf8 = answer.toUtf8();
    // Like the library, a repeated member name makes the answer unreadable (and keeps it away
    // from Qt's parser, which leaks on it).
    if (tessel::repeatsMemberName(utf8)) {
        e.invalid = true;
        return e;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(utf8, &error);
    e.qtParsed = error.error == QJsonParseError::NoError;
    if (e.qtParsed && doc.isObject() &&
        doc.object().value(QLatin1String("result")) == QJsonValue(QStringLiteral("OK"))) {
        e.ok = true;
        e.data = doc.object().value(QLatin1String("data")).toObject();
    }
    const StrictJson strict(utf8);
    e.strict = strict.valid() && !strict.latitude();
    e.invalid = !strict.valid() && !strict.latitude();
    return e;
}

void checkSent(const char* command, int selector)
{
    CHECK(g_socket->sends == 1);
    CHECK(g_socket->lastCommand == QLatin1String(command));
    CHECK(g_socket->lastSelector == selector);
}

/// The query calls decode with their own parser (not Qt's): they must agree with the answer where
/// JSON itself decides: a strictly valid answer is read as Qt reads it, and an answer that is
/// invalid for both is a failure. Elsewhere (what Qt tolerates, the latitude) they only must
/// not crash.
void checkRows(RecordSet* rows, const Expected& e)
{
    if (e.invalid && !e.qtParsed) {
        CHECK(rows == nullptr);
        return;
    }
    if (!e.strict || !e.qtParsed) {
        return;
    }
    if (!e.ok) {
        CHECK(rows == nullptr);
        return;
    }
    CHECK(rows != nullptr);
    CHECK(rows->size() == e.arraySize("ret"));
    const QJsonArray ret = e.data.value(QLatin1String("ret")).toArray();
    for (int i = 0; i < rows->size(); ++i) {
        CHECK(rows->at(i) != nullptr);
        // A row holds at most one entry per column element (repeated keys collapse).
        const QJsonArray record = ret.at(i).toObject().value(QLatin1String("record")).toArray();
        CHECK(rows->at(i)->size() <= record.size());
    }
}

void freeRows(RecordSet* rows)
{
    if (rows != nullptr) {
        qDeleteAll(*rows);
        delete rows;
    }
}

void checkStatus(int rc, const Expected& e)
{
    if (!e.ok) {
        CHECK(rc == -1);
    } else {
        // "ret": 0 when absent, the number when it is a whole number in the int range, else -1.
        const QJsonValue ret = e.data.value(QLatin1String("ret"));
        const double d = ret.toDouble();
        const bool bWhole = ret.isDouble() && d == std::floor(d) && d >= INT_MIN && d <= INT_MAX;
        CHECK(rc == (ret.isUndefined() ? 0 : (bWhole ? static_cast<int>(d) : -1)));
    }
}

constexpr int kMaintenanceSelector = 3;
constexpr int kOperations = 12;

void runOperation(int op, const Expected& e)
{
    const QString db = QStringLiteral("Tessel");
    const QMap<QString, QVariant> binds{{QStringLiteral(":data"), QStringLiteral("abc")},
                                        {QStringLiteral(":n"), 7}};
    switch (op) {
        case 0: {
            RecordSet* rows = CLS_RemoteDBHandler::ExecuteQuery(db, QStringLiteral("SELECT 1"), 3);
            checkSent("ExecuteQuery", 0);
            checkRows(rows, e);
            freeRows(rows);
            break;
        }
        case 1: {
            RecordSet* rows = CLS_RemoteDBHandler::ExecuteQueryEx(
                db, QStringLiteral("SELECT S_ID FROM TAB_CACHE_EVENT WHERE S_DATA = :data"), binds, 3);
            checkSent("ExecuteQueryEx", 0);
            checkRows(rows, e);
            freeRows(rows);
            break;
        }
        case 2: {
            const int rc = CLS_RemoteDBHandler::Execute(db, QStringLiteral("DELETE FROM T"), 3, false);
            checkSent("Execute", 0);
            checkStatus(rc, e);
            break;
        }
        case 3: {
            const int rc = CLS_RemoteDBHandler::ExecuteTransactionEx(
                db, {QStringLiteral("INSERT INTO T VALUES (:data)"), QStringLiteral("UPDATE T SET N = :n")},
                {binds, binds}, 3);
            checkSent("ExecuteTransactionEx", 0);
            checkStatus(rc, e);
            break;
        }
        case 4: {
            RecordSet* rows = CLS_RemoteDBHandler::PartitionExecuteQuery(
                db, QStringLiteral("SELECT * FROM TAB_OBJ_ALARM_ACTION"), QStringLiteral("I_TYPE = 1"),
                QStringLiteral("TAB_OBJ_ALARM_ACTION"), QStringLiteral("202401"), QStringLiteral("202412"), 0,
                20, QStringLiteral("DESC"), 3);
            checkSent("PartitionExecuteQuery", 0);
            checkRows(rows, e);
            freeRows(rows);
            break;
        }
        case 5: {
            QVector<QString> tables{QStringLiteral("KEEP")};
            const int iRet = CLS_RemoteDBHandler::PartitionGetTables(
                db, QStringLiteral("TAB_OBJ_ALARM_ACTION"), QString(), QString(), tables, 3);
            checkSent("PartitionGetTables", 0);
            CHECK(!tables.isEmpty() && tables.first() == QLatin1String("KEEP"));
            // A refused answer appends nothing and says so; an accepted one appends every name.
            CHECK(iRet <= 0 && (e.ok || iRet < 0));
            CHECK(tables.size() == 1 + (iRet == 0 ? e.arraySize("tables") : 0));
            break;
        }
        case 6: {
            QMap<QString, QVariant> dbData;
            const int rc = CLS_RemoteDBHandler::DownLoadDB(dbData);
            checkSent("DownLoadDB", kMaintenanceSelector);
            checkStatus(rc, e);
            CHECK(dbData.size() <= (e.ok ? e.arraySize("DbData") : 0));
            break;
        }
        case 7: {
            QMap<QString, QVariant> dbData{{QStringLiteral("Tessel"), QStringLiteral("U1FMaXRl")}};
            QMap<QString, int> results;
            const int rc = CLS_RemoteDBHandler::UploadDB(dbData, results);
            checkSent("UploadDB", kMaintenanceSelector);
            CHECK(rc == (e.ok ? 0 : -1));
            CHECK(results.size() <= (e.ok ? e.arraySize("ret") : 0));
            break;
        }
        case 8: {
            QMap<QString, bool> results;
            const int rc = CLS_RemoteDBHandler::BackupDatabase(
                QStringLiteral("/tmp/backup"), {QStringLiteral("Tessel"), QStringLiteral("Tessel-record")},
                results);
            checkSent("BackupDatabase", kMaintenanceSelector);
            CHECK(rc == (e.ok ? 0 : -1));
            CHECK(results.size() <= (e.ok ? e.arraySize("backupResult") : 0));
            break;
        }
        case 9: {
            QString path;  // empty: the pristine databases
            QMap<QString, bool> results;
            const int rc =
                CLS_RemoteDBHandler::RestoreDatabase(path, {QStringLiteral("Tessel")}, results, 60);
            checkSent("RestoreDatabase", kMaintenanceSelector);
            CHECK(rc == (e.ok ? 0 : -1));
            CHECK(results.size() <= (e.ok ? e.arraySize("restoreResult") : 0));
            CHECK(!results.contains(QString()));  // entries without a name are skipped
            break;
        }
        case 10: {
            QList<_NetworkInfo*> infos;
            const int rc = CLS_RemoteDBHandler::GetAllNetworkInfo(infos);
            checkSent("GetAllNetworkInfo", kMaintenanceSelector);
            checkStatus(rc, e);
            CHECK(infos.size() == (e.ok ? e.arraySize("netInfo") : 0));
            for (const _NetworkInfo* info : infos) {
                CHECK(info != nullptr);
            }
            qDeleteAll(infos);
            break;
        }
        case 11: {
            _NetworkInfo* info = nullptr;
            const int rc = CLS_RemoteDBHandler::GetSystemStatusByName(QStringLiteral("eth0"), info);
            checkSent("GetSystemStatusByName", kMaintenanceSelector);
            checkStatus(rc, e);
            if (e.ok) {
                CHECK(info != nullptr);
                CHECK(info->lstStatus.size() == e.arraySize("status"));
            } else {
                CHECK(info == nullptr);
            }
            delete info;
            break;
        }
        default:
            fail("no such operation", op);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    dy_libos_log_debug_ex = &quietSink;
    g_socket = new FuzzWebSocket();
    CLS_RemoteDBHandler::m_pWebSocket = g_socket;
    CLS_RemoteDBHandler::m_iConnectedStatus = 1;
    std::atexit(restoreHandler);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return -1;  // nothing chooses an operation: not worth keeping
    }
    g_currentOp = data[0] % kOperations;
    g_socket->answer = QString::fromUtf8(reinterpret_cast<const char*>(data) + 1, int(size - 1));
    g_socket->lastCommand.clear();
    g_socket->lastSelector = -1;
    g_socket->sends = 0;
    const Expected e = readAnswer(g_socket->answer);
    runOperation(g_currentOp, e);
    g_socket->answer.clear();
    return 0;
}
