// SQLite databases of the server: the four named files in the data folder, one connection per
// database per worker, replaced files picked up, missing files created from their schema.
#ifndef TESSEL_SERVER_DATABASE_H
#define TESSEL_SERVER_DATABASE_H

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tessel::server {

class RequestError;

inline constexpr int kDatabaseCount = 4;

/// SELECT keywords one statement may hold: bounds how deep SQLite's parser and query planner
/// recurse (a WITH clause chaining thousands of tables otherwise exhausts a thread's stack).
inline constexpr int kMaxSelectsPerStatement = 500;
/// Stack of the threads that run statements: far more than kMaxSelectsPerStatement and the
/// connection limits need, so that no statement can exhaust it.
inline constexpr size_t kWorkerStackBytes = size_t(64) << 20;

/// Limits of the request running on the calling thread. SQLite's progress handler of every
/// connection reads them and interrupts a statement that passes one.
struct RunLimits
{
    using Clock = std::chrono::steady_clock;
    enum class Stop
    {
        None,
        Deadline,   ///< the statement time limit passed
        Cancelled,  ///< the client went away
        Lane,       ///< the quick lane's limit passed: the request runs again on the other workers
    };
    Clock::time_point deadline = Clock::time_point::max();
    qint64 limitMs = 0;  ///< the time limit in force, for the reason text
    Clock::time_point laneDeadline = Clock::time_point::max();
    std::shared_ptr<const std::atomic<bool>> cancelled;  ///< set when the client disconnects
    Stop stopped = Stop::None;                            ///< why the last statement was interrupted

    /// Whether a limit has passed (then `stopped` says which).
    bool passed();
};
/// The calling thread's limits.
RunLimits& runLimits();

/// Thrown (not a std::exception) when a request on the quick lane passed the lane's limit: its
/// statement was interrupted and rolled back, and the request is run again by another worker.
struct LaneExpired
{
};

/// The error of the last failed call on `db`. An interruption by the run limits says which
/// limit; the lane's limit throws LaneExpired instead.
RequestError statementError(sqlite3* db);

/// The most SELECT keywords in one statement of `sql` (statements end at a ';' outside
/// strings, quoted names and comments).
int mostSelectsPerStatement(const char* sql, qsizetype size);

/// Sizes SQLite may handle on a request connection.
struct ConnectionLimits
{
    int valueBytes = 64 << 20;  ///< longest string or blob, also the longest SQL text
};

/// Index of a "DbName" (0..3), or -1 when it is not one of the four names.
int databaseIndex(QStringView name);
QString databaseName(int index);
/// "Tessel, Tessel-record, Tessel-intelligent, Tessel-passengerFlow"
QString databaseNameList();

/// Device and inode of a file: a file copied or renamed over the database path has another one.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    bool valid = false;
    bool operator==(const FileIdentity& o) const
    {
        return valid == o.valid && device == o.device && inode == o.inode;
    }
    bool operator!=(const FileIdentity& o) const { return !(*this == o); }
};

/// Many users at once, or one exclusive owner. A waiting owner keeps new users out, so a
/// steady stream of requests cannot starve it. While it refuses (a file replacement is under
/// way), users that may be refused are turned away instead of waiting.
class UseGate
{
public:
    /// False (nothing locked) when the gate refuses and `mayRefuse`.
    bool lockShared(bool mayRefuse = true);
    void unlockShared();
    void lockExclusive();
    /// False when the users did not all leave within `timeoutMs`.
    bool lockExclusiveFor(int timeoutMs);
    void unlockExclusive();
    void beginRefusing();
    void endRefusing();

private:
    std::mutex m_mutex;
    std::condition_variable m_cond;
    int m_users = 0;
    int m_waitingOwners = 0;
    int m_refusing = 0;
    bool m_owned = false;
};

/// The compiled statements of one SQL text (several when the text holds several statements).
struct PreparedText
{
    QByteArray sql;
    std::vector<sqlite3_stmt*> statements;
};

/// Prepared statements of one connection keyed by SQL text, least recently used evicted.
class StatementCache
{
public:
    explicit StatementCache(int capacity = 256) : m_capacity(capacity) {}
    ~StatementCache() { clear(); }
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    /// The cached entry (now the most recently used), or nullptr.
    PreparedText* find(const QByteArray& sql);
    /// Takes ownership of `statements`; evicts (finalizes) the oldest entry past capacity.
    void insert(const QByteArray& sql, std::vector<sqlite3_stmt*> statements);
    void clear();
    int size() const { return int(m_lru.size()); }

private:
    using List = std::list<PreparedText>;
    List m_lru;  // front: most recently used
    QHash<QByteArray, List::iterator> m_index;
    int m_capacity;
};

struct DatabaseSlot;

/// One SQLite connection to one database, used by one thread at a time.
class Connection
{
public:
    explicit Connection(DatabaseSlot& slot) : m_slot(slot) {}
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool isOpen() const { return m_db != nullptr; }
    const FileIdentity& identity() const { return m_identity; }
    sqlite3* handle() const { return m_db; }
    StatementCache& statements() { return m_statements; }
    DatabaseSlot& slot() const { return m_slot; }

    /// What other parts keep per connection (e.g. the partition lists); dropped when the
    /// connection closes, so it never outlives the file it was read from.
    enum class Extension
    {
        Partitions,
        Views,
        Count
    };
    std::shared_ptr<void>& extension(Extension which) { return m_extensions[size_t(which)]; }

    /// Opens the database file (WAL, busy timeout, foreign keys). Throws RequestError.
    void open(const FileIdentity& identity);
    void close();

    void begin();              ///< BEGIN IMMEDIATE; throws RequestError
    void commit();             ///< COMMIT; throws RequestError (the transaction then stays open)
    void rollback() noexcept;  ///< ROLLBACK when a transaction is open

private:
    friend class DatabaseSet;
    void closeHandle();

    DatabaseSlot& m_slot;
    sqlite3* m_db = nullptr;
    FileIdentity m_identity;
    StatementCache m_statements;
    std::array<std::shared_ptr<void>, size_t(Extension::Count)> m_extensions;
    sqlite3_stmt* m_begin = nullptr;
    sqlite3_stmt* m_commit = nullptr;
    sqlite3_stmt* m_rollback = nullptr;
};

/// Shared state of one database.
struct DatabaseSlot
{
    int index = 0;
    QString name;
    QString path;
    QByteArray nativePath;
    QString schemaPath;       ///< <schema-dir>/<DbName>.sql
    QString schemaPiecesDir;  ///< <schema-dir>/<DbName>.d: its *.sql run after schemaPath, by name

    /// Held shared by every request on this database, exclusively while the file is created or
    /// while the connections to a replaced file are closed.
    UseGate gate;
    /// Taken by every statement that writes and around every transaction.
    std::timed_mutex writeMutex;
    ConnectionLimits limits;

    std::mutex registryMutex;
    std::vector<Connection*> openConnections;  // guarded by registryMutex

    FileIdentity identity;  // file the connections are open on; written under the exclusive gate
};

class ConnectionCache;

/// The database of one request: the gate is held shared until the lease ends.
class Lease
{
public:
    Lease(DatabaseSlot* slot, Connection* connection) : m_slot(slot), m_connection(connection) {}
    Lease(Lease&& o) noexcept : m_slot(o.m_slot), m_connection(o.m_connection) { o.m_slot = nullptr; }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    Lease& operator=(Lease&&) = delete;
    ~Lease();

    void attach(Connection* connection) { m_connection = connection; }
    Connection& connection() const { return *m_connection; }
    DatabaseSlot& slot() const { return *m_slot; }
    /// Waits for the write lock up to the calling thread's deadline; throws RequestError
    /// ("timeout") when it passes first.
    std::unique_lock<std::timed_mutex> lockWrites() const;

private:
    DatabaseSlot* m_slot;
    Connection* m_connection;
};

class DatabaseSet
{
public:
    DatabaseSet(const QString& dataDir, const QString& schemaDir);
    ~DatabaseSet();
    DatabaseSet(const DatabaseSet&) = delete;
    DatabaseSet& operator=(const DatabaseSet&) = delete;

    const QString& dataDir() const { return m_dataDir; }
    const QString& schemaDir() const { return m_schemaDir; }
    DatabaseSlot& slot(int index) { return *m_slots[size_t(index)]; }
    /// Applies to connections opened afterwards.
    void setLimits(const ConnectionLimits& limits);

    /// Makes the database ready for one request on the calling thread's connection: creates a
    /// missing file from its schema, reopens every connection when the file was replaced.
    /// Throws RequestError.
    Lease acquire(int index, ConnectionCache& cache);

    /// Interrupts every statement running on any connection (shutdown after the grace period).
    void interruptAll();

    /// Puts `newFile` (a complete database file in the data folder, nothing in a WAL of its own)
    /// in place of the database: new requests on it are answered "busy" meanwhile, the running
    /// ones get up to `waitMs` to finish ("busy" and nothing changed after that), every
    /// connection to the old file is closed, its -wal/-shm removed, and `newFile` renamed over
    /// it. Throws RequestError; `newFile` is left to the caller when it throws.
    void replaceFile(int index, const QString& newFile, int waitMs);

    /// Removes the files of a creation that did not finish (<DbName>.db.creating and its side
    /// files), each with a log line. Call before the first request. Returns how many went.
    int removeUnfinishedCreations();

    /// At the end of a clean stop, when no request runs any more: closes every connection, folds
    /// each database's WAL into its file (checkpoint TRUNCATE) and closes it, so that the
    /// <DbName>.db files alone hold everything and no -wal or -shm is left. Returns how many
    /// databases still have a -wal or -shm (each logged as a warning).
    int checkpointAndClose();

private:
    void refresh(DatabaseSlot& slot);
    void createFromSchema(DatabaseSlot& slot);
    static void closeAll(DatabaseSlot& slot);

    QString m_dataDir;
    QString m_schemaDir;
    std::array<std::unique_ptr<DatabaseSlot>, kDatabaseCount> m_slots;
};

/// The connections of one worker thread, one per database, opened on first use.
class ConnectionCache
{
public:
    explicit ConnectionCache(DatabaseSet& databases);
    ~ConnectionCache();
    ConnectionCache(const ConnectionCache&) = delete;
    ConnectionCache& operator=(const ConnectionCache&) = delete;

    DatabaseSet& databases() const { return m_databases; }
    Connection& connection(int index);

private:
    DatabaseSet& m_databases;
    std::array<std::unique_ptr<Connection>, kDatabaseCount> m_connections;
};

/// Writes a complete database at `path` from the schema of `slot` (<DbName>.sql, then the
/// <DbName>.d/*.sql pieces in name order) in one transaction. Throws RequestError ("internal",
/// naming the failing file and statement) and leaves no file at `path` when anything fails.
void buildDatabaseFromSchema(const DatabaseSlot& slot, const QString& path);

/// Kind of a statement for the purpose of running it inside a server-side transaction.
enum class TransactionControl
{
    None,       ///< an ordinary statement
    Redundant,  ///< BEGIN, COMMIT or END: the enclosing transaction already does that
    Rollback,   ///< ROLLBACK (not ROLLBACK TO): would end the enclosing transaction
};
/// Looks at the first keywords of a statement text (after blanks and comments).
TransactionControl transactionControlOf(const char* sql);

}  // namespace tessel::server

#endif
