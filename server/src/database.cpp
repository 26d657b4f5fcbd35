#include "database.h"

#include "logging.h"
#include "requesterror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessel::server {

namespace {

const char* const kNames[kDatabaseCount] = {"Tessel", "Tessel-record", "Tessel-intelligent",
                                            "Tessel-passengerFlow"};
constexpr int kBusyTimeoutMs = 5000;
// Reads map the file instead of copying each page through read() into a private cache of
// 2 MiB per connection: a month's statistics or a long count touch tens of MiB, which were
// read again through system calls by every request. The mapping shares the kernel's page
// cache (SQLite clamps the size to its compiled limit). Files are replaced only by rename
// after closeAll(), so no mapped file is truncated under a connection.
constexpr const char* kConnectionPragmas =
    "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON; "
    "PRAGMA mmap_size=4294967296;";

/// stat() of the path: false when it does not exist; throws for any other failure.
bool statIdentity(const QByteArray& path, FileIdentity* out)
{
    struct stat st;
    if (::stat(path.constData(), &st) != 0) {
        if (errno == ENOENT) {
            return false;
        }
        throw RequestError(code::kInternal, QStringLiteral("cannot check %1: %2")
                                                .arg(QString::fromLocal8Bit(path),
                                                     QString::fromLocal8Bit(std::strerror(errno))));
    }
    out->device = quint64(st.st_dev);
    out->inode = quint64(st.st_ino);
    out->valid = true;
    return true;
}

RequestError sqliteError(sqlite3* db)
{
    return statementError(db);
}

thread_local RunLimits t_runLimits;

/// Progress handler of every request connection: nonzero interrupts the running statement.
int checkRunLimits(void*)
{
    return t_runLimits.passed() ? 1 : 0;
}

/// PRAGMAs a request may run: they only read, so nothing of one request's connection state
/// reaches the next request on the same pooled connection. Those in the second list take a
/// table or index name; the others are refused with any argument (that would set them).
bool pragmaAllowed(const char* name, const char* argument)
{
    static const char* const kReading[] = {
        "application_id", "auto_vacuum", "cache_size", "collation_list", "compile_options", "data_version",
        "database_list", "encoding", "foreign_keys", "freelist_count", "function_list", "journal_mode",
        "module_list", "page_count", "page_size", "pragma_list", "schema_version", "synchronous",
        "table_list", "user_version"};
    static const char* const kWithName[] = {"foreign_key_check", "foreign_key_list", "index_info",
                                            "index_list",        "index_xinfo",      "integrity_check",
                                            "quick_check",       "table_info",       "table_xinfo"};
    if (name == nullptr) {
        return false;
    }
    for (const char* n : kWithName) {
        if (sqlite3_stricmp(name, n) == 0) {
            return true;
        }
    }
    for (const char* n : kReading) {
        if (sqlite3_stricmp(name, n) == 0) {
            return argument == nullptr;
        }
    }
    return false;
}

/// Sets SQLite's limits on a request connection: no value, text or statement can grow past
/// what a frame carries, and nothing nests deeper than the worker's stack holds.
void applyLimits(sqlite3* db, const ConnectionLimits& limits)
{
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, limits.valueBytes);
    sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, limits.valueBytes);
    sqlite3_limit(db, SQLITE_LIMIT_COLUMN, 2000);
    sqlite3_limit(db, SQLITE_LIMIT_EXPR_DEPTH, 500);
    sqlite3_limit(db, SQLITE_LIMIT_COMPOUND_SELECT, 250);
    sqlite3_limit(db, SQLITE_LIMIT_VARIABLE_NUMBER, 32766);
    sqlite3_limit(db, SQLITE_LIMIT_TRIGGER_DEPTH, 100);
    sqlite3_limit(db, SQLITE_LIMIT_FUNCTION_ARG, 127);
}

void prepareOrThrow(sqlite3* db, const char* sql, sqlite3_stmt** out)
{
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, out, nullptr) != SQLITE_OK) {
        throw sqliteError(db);
    }
}

/// Steps a statement that returns no rows to completion; throws with SQLite's error.
void stepOrThrow(sqlite3* db, sqlite3_stmt* stmt)
{
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        RequestError e = sqliteError(db);
        sqlite3_reset(stmt);
        throw e;
    }
    sqlite3_reset(stmt);
}

const char* skipBlanksAndComments(const char* p)
{
    for (;;) {
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') {
            ++p;
        }
        if (p[0] == '-' && p[1] == '-') {
            while (*p && *p != '\n') {
                ++p;
            }
        } else if (p[0] == '/' && p[1] == '*') {
            const char* end = std::strstr(p + 2, "*/");
            p = end ? end + 2 : p + std::strlen(p);
        } else {
            return p;
        }
    }
}

/// Matches a keyword at p (case-insensitive, followed by a non-identifier character).
bool keywordAt(const char* p, const char* keyword, const char** after)
{
    const size_t n = std::strlen(keyword);
    if (strncasecmp(p, keyword, n) != 0) {
        return false;
    }
    const char c = p[n];
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_') {
        return false;
    }
    *after = p + n;
    return true;
}

/// Whether a statement of the connection is running VACUUM right now (SQLite runs its own
/// statements inside it, while the VACUUM statement is busy).
bool vacuumRunning(sqlite3* db)
{
    for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s; s = sqlite3_next_stmt(db, s)) {
        const char* after = nullptr;
        const char* sql = sqlite3_stmt_busy(s) ? sqlite3_sql(s) : nullptr;
        if (sql != nullptr && keywordAt(skipBlanksAndComments(sql), "VACUUM", &after)) {
            return true;
        }
    }
    return false;
}

/// Authorizer of every request connection: no statement may open or create another database
/// file or change the connection's settings (PRAGMAs other than reading ones). ATTACH and DETACH are refused at prepare time; VACUUM INTO is refused when it attaches
/// its target; plain VACUUM attaches a private temporary database (the empty name), which stays
/// allowed.
int authorize(void* userData, int action, const char* arg1, const char* arg2, const char*, const char*)
{
    switch (action) {
        case SQLITE_FUNCTION:
            // fts3_tokenizer(name, pointer) installs a tokenizer from a raw pointer (Debian builds
            // SQLite with SQLITE_ENABLE_FTS3_TOKENIZER); turning the option off is not enough, a
            // bound parameter still passes the pointer.
            return arg2 != nullptr && sqlite3_stricmp(arg2, "fts3_tokenizer") == 0 ? SQLITE_DENY : SQLITE_OK;
        case SQLITE_DETACH:
            return SQLITE_DENY;
        case SQLITE_PRAGMA:
            return pragmaAllowed(arg1, arg2) ? SQLITE_OK : SQLITE_DENY;
        case SQLITE_ATTACH:
            if (arg1 != nullptr && arg1[0] == '\0' && vacuumRunning(static_cast<sqlite3*>(userData))) {
                return SQLITE_OK;
            }
            return SQLITE_DENY;
        default:
            return SQLITE_OK;
    }
}

void removeDatabaseFiles(const QString& path)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        QFile::remove(path + QLatin1String(suffix));
    }
}

/// Removes the -wal and -shm beside a database path. SQLite keeps them when the last connection
/// to a file that was renamed over or unlinked closes; the next file at that path would read
/// the old file's pages from them.
void removeStaleWal(const QString& path)
{
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString file = path + QLatin1String(suffix);
        if (QFile::exists(file) && QFile::remove(file)) {
            qCInfo(lcSql, "removed %s left by the replaced database file", qPrintable(file));
        }
    }
}

/// fsync of a file or a folder; false with errno set.
bool syncPath(const QByteArray& path, bool folder)
{
    const int fd = ::open(path.constData(), (folder ? O_RDONLY | O_DIRECTORY : O_RDWR) | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    const int err = errno;
    ::close(fd);
    errno = err;
    return ok;
}

constexpr const char* kCreatingSuffix = ".creating";

}  // namespace

bool RunLimits::passed()
{
    if (cancelled && cancelled->load(std::memory_order_relaxed)) {
        stopped = Stop::Cancelled;
        return true;
    }
    const Clock::time_point now = Clock::now();
    if (now >= laneDeadline) {
        stopped = Stop::Lane;
        return true;
    }
    if (now >= deadline) {
        stopped = Stop::Deadline;
        return true;
    }
    return false;
}

RunLimits& runLimits()
{
    return t_runLimits;
}

RequestError statementError(sqlite3* db)
{
    const int rc = sqlite3_extended_errcode(db);
    if ((rc & 0xff) == SQLITE_INTERRUPT) {
        switch (t_runLimits.stopped) {
            case RunLimits::Stop::None:
                break;
            case RunLimits::Stop::Lane:
                throw LaneExpired();
            case RunLimits::Stop::Deadline: {
                RequestError e(code::kTimeout,
                               QStringLiteral("the statement ran longer than the time limit of %1 ms and was "
                                              "stopped; nothing of it was kept")
                                   .arg(t_runLimits.limitMs));
                e.setSqliteCode(rc);
                return e;
            }
            case RunLimits::Stop::Cancelled: {
                RequestError e(code::kTimeout,
                               QByteArray("the client disconnected; its statement was stopped"));
                e.setSqliteCode(rc);
                return e;
            }
        }
    }
    return RequestError::sqlite(sqlite3_errmsg(db), rc);
}

int mostSelectsPerStatement(const char* sql, qsizetype size)
{
    const auto at = [&](qsizetype i) -> char { return i < size ? sql[i] : '\0'; };
    const auto isWordChar = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
               c == '$' || static_cast<unsigned char>(c) >= 0x80;
    };
    int most = 0;
    int count = 0;
    qsizetype i = 0;
    while (i < size) {
        const char c = sql[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            const char close = c == '[' ? ']' : c;
            ++i;
            while (i < size && sql[i] != close) {
                ++i;
            }
            ++i;
        } else if (c == '-' && at(i + 1) == '-') {
            while (i < size && sql[i] != '\n') {
                ++i;
            }
        } else if (c == '/' && at(i + 1) == '*') {
            i += 2;
            while (i < size && !(sql[i] == '*' && at(i + 1) == '/')) {
                ++i;
            }
            i += 2;
        } else if (c == ';') {
            count = 0;
            ++i;
        } else if (isWordChar(c)) {
            const qsizetype start = i;
            while (i < size && isWordChar(sql[i])) {
                ++i;
            }
            if (i - start == 6 && strncasecmp(sql + start, "SELECT", 6) == 0) {
                most = std::max(most, ++count);
            }
        } else {
            ++i;
        }
    }
    return most;
}

int databaseIndex(QStringView name)
{
    for (int i = 0; i < kDatabaseCount; ++i) {
        if (name == QLatin1String(kNames[i])) {
            return i;
        }
    }
    return -1;
}

QString databaseName(int index)
{
    return QString::fromLatin1(kNames[index]);
}

QString databaseNameList()
{
    QStringList names;
    for (const char* n : kNames) {
        names << QString::fromLatin1(n);
    }
    return names.join(QLatin1String(", "));
}

TransactionControl transactionControlOf(const char* sql)
{
    const char* p = skipBlanksAndComments(sql);
    const char* after = nullptr;
    if (keywordAt(p, "BEGIN", &after) || keywordAt(p, "COMMIT", &after) || keywordAt(p, "END", &after)) {
        return TransactionControl::Redundant;
    }
    if (keywordAt(p, "ROLLBACK", &after)) {
        p = skipBlanksAndComments(after);
        if (keywordAt(p, "TRANSACTION", &after)) {
            p = skipBlanksAndComments(after);
        }
        return keywordAt(p, "TO", &after) ? TransactionControl::None : TransactionControl::Rollback;
    }
    return TransactionControl::None;
}

// ---- UseGate ----

bool UseGate::lockShared(bool mayRefuse)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cond.wait(lock, [&] { return (mayRefuse && m_refusing > 0) || (!m_owned && m_waitingOwners == 0); });
    if (mayRefuse && m_refusing > 0) {
        return false;
    }
    ++m_users;
    return true;
}

void UseGate::unlockShared()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (--m_users == 0 && m_waitingOwners > 0) {
        m_cond.notify_all();
    }
}

void UseGate::lockExclusive()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_waitingOwners;
    m_cond.wait(lock, [this] { return !m_owned && m_users == 0; });
    --m_waitingOwners;
    m_owned = true;
}

bool UseGate::lockExclusiveFor(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_waitingOwners;
    const bool free = m_cond.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                      [this] { return !m_owned && m_users == 0; });
    --m_waitingOwners;
    if (!free) {
        m_cond.notify_all();  // users held back by this waiting owner may go on
        return false;
    }
    m_owned = true;
    return true;
}

void UseGate::beginRefusing()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_refusing;
    m_cond.notify_all();
}

void UseGate::endRefusing()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    --m_refusing;
    m_cond.notify_all();
}

void UseGate::unlockExclusive()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_owned = false;
    m_cond.notify_all();
}

// ---- StatementCache ----

PreparedText* StatementCache::find(const QByteArray& sql)
{
    const auto it = m_index.constFind(sql);
    if (it == m_index.constEnd()) {
        return nullptr;
    }
    m_lru.splice(m_lru.begin(), m_lru, it.value());
    return &m_lru.front();
}

void StatementCache::insert(const QByteArray& sql, std::vector<sqlite3_stmt*> statements)
{
    if (m_index.contains(sql)) {  // not expected: callers look up first
        for (sqlite3_stmt* s : statements) {
            sqlite3_finalize(s);
        }
        return;
    }
    m_lru.push_front(PreparedText{sql, std::move(statements)});
    m_index.insert(sql, m_lru.begin());
    while (int(m_lru.size()) > m_capacity) {
        PreparedText& old = m_lru.back();
        for (sqlite3_stmt* s : old.statements) {
            sqlite3_finalize(s);
        }
        m_index.remove(old.sql);
        m_lru.pop_back();
    }
}

void StatementCache::clear()
{
    for (PreparedText& t : m_lru) {
        for (sqlite3_stmt* s : t.statements) {
            sqlite3_finalize(s);
        }
    }
    m_lru.clear();
    m_index.clear();
}

// ---- Connection ----

Connection::~Connection()
{
    close();
}

void Connection::open(const FileIdentity& identity)
{
    close();
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
    const int rc = sqlite3_open_v2(m_slot.nativePath.constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        RequestError e = db ? sqliteError(db) : RequestError::sqlite(sqlite3_errstr(rc), rc);
        sqlite3_close_v2(db);
        throw e;
    }
    m_db = db;
    try {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        char* err = nullptr;
        if (sqlite3_exec(db, kConnectionPragmas, nullptr, nullptr, &err) != SQLITE_OK) {
            RequestError e = RequestError::sqlite(err, sqlite3_extended_errcode(db));
            sqlite3_free(err);
            throw e;
        }
        sqlite3_set_authorizer(db, &authorize, db);
        applyLimits(db, m_slot.limits);
        sqlite3_progress_handler(db, 1000, &checkRunLimits, nullptr);
        prepareOrThrow(db, "BEGIN IMMEDIATE", &m_begin);
        prepareOrThrow(db, "COMMIT", &m_commit);
        prepareOrThrow(db, "ROLLBACK", &m_rollback);
    } catch (...) {
        closeHandle();
        throw;
    }
    m_identity = identity;
    std::lock_guard<std::mutex> lock(m_slot.registryMutex);
    m_slot.openConnections.push_back(this);
}

void Connection::close()
{
    if (!m_db) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_slot.registryMutex);
        auto& v = m_slot.openConnections;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    closeHandle();
}

void Connection::closeHandle()
{
    if (!m_db) {
        return;
    }
    m_statements.clear();
    for (auto& e : m_extensions) {
        e.reset();
    }
    for (sqlite3_stmt** s : {&m_begin, &m_commit, &m_rollback}) {
        sqlite3_finalize(*s);
        *s = nullptr;
    }
    if (sqlite3_close_v2(m_db) != SQLITE_OK) {
        qCWarning(lcSql, "closing %s: %s", qPrintable(m_slot.name), sqlite3_errmsg(m_db));
    }
    m_db = nullptr;
    m_identity = FileIdentity();
}

void Connection::begin()
{
    stepOrThrow(m_db, m_begin);
}

void Connection::commit()
{
    stepOrThrow(m_db, m_commit);
}

void Connection::rollback() noexcept
{
    if (!m_db || sqlite3_get_autocommit(m_db)) {
        return;  // no transaction (SQLite may already have rolled it back after an error)
    }
    if (sqlite3_step(m_rollback) != SQLITE_DONE) {
        qCWarning(lcSql, "ROLLBACK on %s failed: %s", qPrintable(m_slot.name), sqlite3_errmsg(m_db));
    }
    sqlite3_reset(m_rollback);
}

// ---- Lease ----

std::unique_lock<std::timed_mutex> Lease::lockWrites() const
{
    std::unique_lock<std::timed_mutex> lock(m_slot->writeMutex, std::defer_lock);
    RunLimits& limits = runLimits();
    if (limits.deadline == RunLimits::Clock::time_point::max()) {
        lock.lock();
    } else if (!lock.try_lock_until(limits.deadline)) {
        throw RequestError(code::kTimeout,
                           QStringLiteral("waited for the other writers on %1 longer than the time limit "
                                          "of %2 ms")
                               .arg(m_slot->name)
                               .arg(limits.limitMs));
    }
    return lock;
}

Lease::~Lease()
{
    if (m_slot) {
        m_slot->gate.unlockShared();
    }
}

// ---- DatabaseSet ----

DatabaseSet::DatabaseSet(const QString& dataDir, const QString& schemaDir)
    : m_dataDir(QDir(dataDir).absolutePath()), m_schemaDir(QDir(schemaDir).absolutePath())
{
    for (int i = 0; i < kDatabaseCount; ++i) {
        auto slot = std::make_unique<DatabaseSlot>();
        slot->index = i;
        slot->name = databaseName(i);
        slot->path = QDir(m_dataDir).filePath(slot->name + QLatin1String(".db"));
        slot->nativePath = QFile::encodeName(slot->path);
        slot->schemaPath = QDir(m_schemaDir).filePath(slot->name + QLatin1String(".sql"));
        slot->schemaPiecesDir = QDir(m_schemaDir).filePath(slot->name + QLatin1String(".d"));
        m_slots[size_t(i)] = std::move(slot);
    }
}

DatabaseSet::~DatabaseSet()
{
    // Every connection is closed by now. One still open on a file that was replaced since has
    // just left the old -wal behind: clear it before the next start opens the new file.
    for (auto& s : m_slots) {
        FileIdentity now;
        try {
            if (s->identity.valid && statIdentity(s->nativePath, &now) && now != s->identity) {
                removeStaleWal(s->path);
            }
        } catch (const RequestError& e) {
            qCWarning(lcSql, "%s", e.reason().constData());
        }
    }
}

Lease DatabaseSet::acquire(int index, ConnectionCache& cache)
{
    DatabaseSlot& s = slot(index);
    // Each pass either serves the request or brings the slot up to date with the file; a file
    // replaced again while we look gets a few more passes.
    for (int pass = 0; pass < 4; ++pass) {
        {
            if (!s.gate.lockShared()) {
                throw RequestError(code::kBusy, QStringLiteral("database %1 is being replaced (restore or "
                                                               "upload); try again in a moment")
                                                    .arg(s.name));
            }
            Lease held(&s, nullptr);  // releases the gate on every way out
            FileIdentity now;
            if (statIdentity(s.nativePath, &now) && now == s.identity) {
                Connection& c = cache.connection(index);
                if (!c.isOpen() || c.identity() != now) {
                    c.open(now);
                }
                held.attach(&c);
                return held;
            }
        }
        refresh(s);
    }
    throw RequestError(code::kBusy, QStringLiteral("database file %1 keeps changing").arg(s.path));
}

void DatabaseSet::setLimits(const ConnectionLimits& limits)
{
    for (auto& s : m_slots) {
        s->limits = limits;
    }
}

void DatabaseSet::interruptAll()
{
    for (auto& s : m_slots) {
        std::lock_guard<std::mutex> lock(s->registryMutex);
        for (Connection* c : s->openConnections) {
            sqlite3_interrupt(c->handle());
        }
    }
}

void DatabaseSet::replaceFile(int index, const QString& newFile, int waitMs)
{
    DatabaseSlot& s = slot(index);
    s.gate.beginRefusing();
    struct EndRefusing
    {
        UseGate& g;
        ~EndRefusing() { g.endRefusing(); }
    } endRefusing{s.gate};
    if (!s.gate.lockExclusiveFor(waitMs)) {
        throw RequestError(code::kBusy, QStringLiteral("the requests running on %1 did not end within %2 ms; "
                                                       "it was not replaced")
                                            .arg(s.name)
                                            .arg(waitMs));
    }
    struct Unlock
    {
        UseGate& g;
        ~Unlock() { g.unlockExclusive(); }
    } unlock{s.gate};

    // The last connection to close checkpoints the old file's WAL into it and removes it; what
    // is left (another process's) would be read as part of the new file, so it goes too.
    closeAll(s);
    removeStaleWal(s.path);
    if (::rename(QFile::encodeName(newFile).constData(), s.nativePath.constData()) != 0) {
        const int err = errno;
        s.identity = FileIdentity();  // reopened (the old file) by the next request
        throw RequestError(code::kInternal, QStringLiteral("replacing %1: rename: %2")
                                                .arg(s.path, QString::fromLocal8Bit(std::strerror(err))));
    }
    FileIdentity now;
    statIdentity(s.nativePath, &now);
    s.identity = now;
    qCInfo(lcSql, "%s replaced by %s", qPrintable(s.path), qPrintable(newFile));
}

void DatabaseSet::refresh(DatabaseSlot& s)
{
    s.gate.lockExclusive();
    struct Unlock
    {
        UseGate& g;
        ~Unlock() { g.unlockExclusive(); }
    } unlock{s.gate};

    FileIdentity now;
    if (!statIdentity(s.nativePath, &now)) {
        createFromSchema(s);
        if (!statIdentity(s.nativePath, &now)) {
            throw RequestError(code::kInternal,
                               QStringLiteral("%1 vanished right after it was created").arg(s.path));
        }
    }
    if (now != s.identity) {
        closeAll(s);
        if (s.identity.valid) {
            qCInfo(lcSql, "%s was replaced on disk; reopening its connections", qPrintable(s.path));
            removeStaleWal(s.path);
        }
        s.identity = now;
    }
}

void DatabaseSet::closeAll(DatabaseSlot& s)
{
    std::vector<Connection*> open;
    {
        std::lock_guard<std::mutex> lock(s.registryMutex);
        open.swap(s.openConnections);
    }
    for (Connection* c : open) {
        c->closeHandle();
    }
}

static QStringList schemaScripts(const DatabaseSlot& s)
{
    QStringList scripts{s.schemaPath};
    QStringList pieces =
        QDir(s.schemaPiecesDir)
            .entryList({QStringLiteral("*.sql")}, QDir::Files | QDir::Readable, QDir::NoSort);
    std::sort(pieces.begin(), pieces.end());  // plain code-unit order, whatever the locale
    for (const QString& piece : qAsConst(pieces)) {
        scripts << QDir(s.schemaPiecesDir).filePath(piece);
    }
    return scripts;
}

void buildDatabaseFromSchema(const DatabaseSlot& s, const QString& tmpPath)
{
    // Every script is read before anything is created: a missing one creates nothing.
    const QStringList scriptPaths = schemaScripts(s);
    std::vector<QByteArray> scripts;
    for (const QString& path : scriptPaths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            throw RequestError(
                code::kInternal,
                QStringLiteral("cannot create %1: schema file %2: %3").arg(s.path, path, file.errorString()));
        }
        scripts.push_back(file.readAll());
    }
    const QString folder = QFileInfo(tmpPath).absolutePath();
    if (!QDir().mkpath(folder)) {
        throw RequestError(code::kInternal, QStringLiteral("cannot create the folder %1").arg(folder));
    }

    removeDatabaseFiles(tmpPath);
    sqlite3* db = nullptr;
    const QByteArray nativeTmp = QFile::encodeName(tmpPath);
    const int rc = sqlite3_open_v2(nativeTmp.constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    QString currentScript = s.schemaPath;
    auto fail = [&](const QByteArray& what, int sqliteCode) {
        RequestError e(code::kInternal, QByteArray("creating ") + s.name.toUtf8() + ".db from " +
                                            QFile::encodeName(currentScript) + " failed: " + what);
        if (sqliteCode > 0) {
            e.setSqliteCode(sqliteCode);
        }
        sqlite3_close_v2(db);
        db = nullptr;
        removeDatabaseFiles(tmpPath);
        qCWarning(lcSql, "%s", e.reason().constData());
        throw e;
    };
    if (rc != SQLITE_OK) {
        fail(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc), rc);
    }
    sqlite3_extended_result_codes(db, 1);
    // A rollback journal, not WAL: COMMIT writes every page into the file itself (and syncs it),
    // so a write that fails (disk full) fails the COMMIT instead of a checkpoint at close, which
    // nobody would hear of. The connections that open the finished file turn WAL on.
    if (sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; BEGIN IMMEDIATE", nullptr,
                     nullptr, nullptr) != SQLITE_OK) {
        fail(sqlite3_errmsg(db), sqlite3_extended_errcode(db));
    }
    int total = 0;
    for (size_t i = 0; i < scripts.size(); ++i) {
        currentScript = scriptPaths.at(int(i));
        const QByteArray& script = scripts[i];
        const char* tail = script.constData();
        const char* const end = tail + script.size();
        int statementNo = 0;
        while (tail < end) {
            sqlite3_stmt* stmt = nullptr;
            const char* const start = tail;
            if (sqlite3_prepare_v2(db, tail, int(end - tail), &stmt, &tail) != SQLITE_OK) {
                fail(QByteArray(sqlite3_errmsg(db)) + " (statement " + QByteArray::number(statementNo + 1) +
                         ")",
                     sqlite3_extended_errcode(db));
            }
            if (!stmt) {
                if (tail == start) {
                    fail("the schema script contains a NUL character", SQLITE_ERROR);
                }
                continue;
            }
            ++statementNo;
            // A script dumped with its own BEGIN/COMMIT runs in the one transaction opened above.
            if (transactionControlOf(sqlite3_sql(stmt)) != TransactionControl::None) {
                sqlite3_finalize(stmt);
                continue;
            }
            int step;
            while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
            }
            if (step != SQLITE_DONE) {
                const QByteArray msg =
                    QByteArray(sqlite3_errmsg(db)) + " (statement " + QByteArray::number(statementNo) + ")";
                const int code = sqlite3_extended_errcode(db);
                sqlite3_finalize(stmt);
                fail(msg, code);
            }
            sqlite3_finalize(stmt);
        }
        total += statementNo;
    }
    currentScript = s.schemaPath;
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail(sqlite3_errmsg(db), sqlite3_extended_errcode(db));
    }
    // Read back what was written: the pages on disk must form a sound database.
    QByteArray check;
    sqlite3_stmt* quick = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &quick, nullptr) != SQLITE_OK) {
        fail(sqlite3_errmsg(db), sqlite3_extended_errcode(db));
    }
    int step;
    while ((step = sqlite3_step(quick)) == SQLITE_ROW && check.size() < 1000) {
        check += reinterpret_cast<const char*>(sqlite3_column_text(quick, 0));
    }
    const int checkCode = sqlite3_extended_errcode(db);
    const QByteArray checkError = sqlite3_errmsg(db);
    sqlite3_finalize(quick);
    if (step != SQLITE_DONE && step != SQLITE_ROW) {
        fail("checking the new file: " + checkError, checkCode);
    }
    if (check != "ok") {
        fail("the new file does not check out: " + check, SQLITE_CORRUPT);
    }
    if (sqlite3_close(db) != SQLITE_OK) {
        fail(sqlite3_errmsg(db), sqlite3_extended_errcode(db));
    }
    db = nullptr;
    // Nothing may live outside the file any more (a journal would be rolled back by the next reader).
    for (const char* suffix : {"-journal", "-wal"}) {
        if (QFile::exists(tmpPath + QLatin1String(suffix))) {
            fail(QByteArray("SQLite left ") + QFile::encodeName(tmpPath) + suffix + " behind", SQLITE_IOERR);
        }
    }
    if (!syncPath(nativeTmp, false)) {
        fail(QByteArray("fsync: ") + QByteArray(std::strerror(errno)), SQLITE_IOERR_FSYNC);
    }
    qCInfo(lcSql, "built %s from %s and %d pieces (%d statements)", qPrintable(tmpPath),
           qPrintable(s.schemaPath), int(scripts.size()) - 1, total);
}

void DatabaseSet::createFromSchema(DatabaseSlot& s)
{
    // Built, synced and checked under a temporary name, then renamed into place: the file
    // appears complete or not at all.
    const QString tmpPath = s.path + QLatin1String(kCreatingSuffix);
    buildDatabaseFromSchema(s, tmpPath);
    removeStaleWal(s.path);  // a -wal without its database belongs to no file we would want
    if (::rename(QFile::encodeName(tmpPath).constData(), s.nativePath.constData()) != 0) {
        const int err = errno;
        removeDatabaseFiles(tmpPath);
        throw RequestError(code::kInternal, QStringLiteral("creating %1 failed: rename: %2")
                                                .arg(s.path, QString::fromLocal8Bit(std::strerror(err))));
    }
    // The rename itself lasts once the folder is synced.
    if (!syncPath(QFile::encodeName(m_dataDir), true)) {
        qCWarning(lcSql, "syncing the folder %s after creating %s: %s", qPrintable(m_dataDir),
                  qPrintable(s.name), std::strerror(errno));
    }
    qCInfo(lcSql, "created %s", qPrintable(s.path));
}

int DatabaseSet::removeUnfinishedCreations()
{
    int removed = 0;
    for (auto& s : m_slots) {
        for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
            const QString file = s->path + QLatin1String(kCreatingSuffix) + QLatin1String(suffix);
            if (QFileInfo(file).isFile() && QFile::remove(file)) {
                qCInfo(lcSql, "removed %s, left by a creation that did not finish", qPrintable(file));
                ++removed;
            }
        }
    }
    return removed;
}

int DatabaseSet::checkpointAndClose()
{
    int left = 0;
    for (auto& sp : m_slots) {
        DatabaseSlot& s = *sp;
        s.gate.lockExclusive();
        struct Unlock
        {
            UseGate& g;
            ~Unlock() { g.unlockExclusive(); }
        } unlock{s.gate};
        closeAll(s);
        FileIdentity now;
        try {
            if (!statIdentity(s.nativePath, &now)) {
                continue;  // never created: nothing to fold in, and nothing is created now
            }
        } catch (const RequestError& e) {
            qCWarning(lcSql, "%s", e.reason().constData());
            continue;
        }
        if (s.identity.valid && now != s.identity) {
            removeStaleWal(s.path);  // the replaced file's, left by the connections just closed
        }
        // Connections that closed at the same moment each saw the others still open, so none of
        // them folded the WAL in: one connection, alone on the file, does it now.
        sqlite3* db = nullptr;
        bool ok = sqlite3_open_v2(s.nativePath.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                                  nullptr) == SQLITE_OK;
        if (ok) {
            sqlite3_busy_timeout(db, kBusyTimeoutMs);
            int busy = -1;
            sqlite3_stmt* stmt = nullptr;
            ok = sqlite3_prepare_v2(db, "PRAGMA wal_checkpoint(TRUNCATE)", -1, &stmt, nullptr) == SQLITE_OK &&
                 sqlite3_step(stmt) == SQLITE_ROW;
            if (ok) {
                busy = sqlite3_column_int(stmt, 0);
            }
            sqlite3_finalize(stmt);
            ok = ok && busy == 0;
        }
        if (!ok) {
            qCWarning(lcSql, "checkpointing %s at stop failed: %s", qPrintable(s.path),
                      db ? sqlite3_errmsg(db) : "cannot open it");
        }
        if (sqlite3_close(db) != SQLITE_OK) {
            qCWarning(lcSql, "closing %s at stop: %s", qPrintable(s.path), sqlite3_errmsg(db));
            sqlite3_close_v2(db);
        }
        if (QFileInfo::exists(s.path + QLatin1String("-wal")) || QFileInfo::exists(s.path + QLatin1String("-shm"))) {
            qCWarning(lcSql, "%s-wal is left: copy it along with %s, or start and stop the server again",
                      qPrintable(s.path), qPrintable(s.name + QLatin1String(".db")));
            ++left;
        } else {
            qCInfo(lcSql, "%s checkpointed and closed", qPrintable(s.path));
        }
        s.identity = FileIdentity();
    }
    return left;
}

// ---- ConnectionCache ----

ConnectionCache::ConnectionCache(DatabaseSet& databases) : m_databases(databases) {}

ConnectionCache::~ConnectionCache()
{
    for (auto& c : m_connections) {
        if (c && c->isOpen()) {
            UseGate& gate = c->slot().gate;
            gate.lockShared(false);
            c->close();
            gate.unlockShared();
        }
    }
}

Connection& ConnectionCache::connection(int index)
{
    auto& c = m_connections[size_t(index)];
    if (!c) {
        c = std::make_unique<Connection>(m_databases.slot(index));
    }
    return *c;
}

}  // namespace tessel::server
