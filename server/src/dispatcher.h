// The one dispatch point: command name -> handler. Handlers write the answer body; any
// exception they throw becomes an "ERROR" answer here.
#ifndef TESSEL_SERVER_DISPATCHER_H
#define TESSEL_SERVER_DISPATCHER_H

#include "database.h"
#include "serverstats.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QString>

#include <QStringList>

#include <functional>
#include <memory>

namespace tessel::server {

class RequestError;
class HostMonitor;

/// Who sent a request.
struct ClientInfo
{
    quint64 connectionId = 0;
    bool loopback = true;  ///< the peer is on this host (127.0.0.0/8, ::1)
};

class Dispatcher;

/// What a handler gets besides the request object.
struct HandlerContext
{
    const Dispatcher& dispatcher;
    const ClientInfo& client;
    ConnectionCache& connections;  ///< the calling thread's database connections
    qint64 requestId;
};

/// Appends the answer JSON object to `out` (which already holds the frame header), or throws.
using Handler = std::function<void(HandlerContext& context, const QJsonObject& request, QByteArray& out)>;

class Dispatcher
{
public:
    explicit Dispatcher(DatabaseSet& databases);

    /// Adds or replaces a command. Call before requests arrive: the table is read without a lock.
    void addCommand(const QByteArray& name, Handler handler);
    bool hasCommand(const QByteArray& name) const { return m_handlers.contains(name); }

    DatabaseSet& databases() const { return m_databases; }

    /// Receives the texts of the "Broadcast" command (the server sends them to its clients).
    void setBroadcaster(std::function<void(const QString&)> broadcaster)
    {
        m_broadcaster = std::move(broadcaster);
    }
    const std::function<void(const QString&)>& broadcaster() const { return m_broadcaster; }

    /// Folders under which BackupDatabase and RestoreDatabase may use a "filePath".
    void setBackupRoots(const QStringList& roots) { m_backupRoots = roots; }
    const QStringList& backupRoots() const { return m_backupRoots; }

    /// The load samples that GetSystemStatusByName answers (none: no samples).
    void setHostMonitor(std::shared_ptr<HostMonitor> monitor) { m_hostMonitor = std::move(monitor); }
    HostMonitor* hostMonitor() const { return m_hostMonitor.get(); }

    /// Largest answer the server builds (query rows); past it the answer is "too-large".
    qsizetype maxAnswerBytes() const { return m_maxAnswerBytes; }
    void setMaxAnswerBytes(qsizetype bytes) { m_maxAnswerBytes = bytes; }

    /// Time limit of each request's statements in ms (0: none); a request's "timeoutMs" may
    /// lower it.
    qint64 statementLimitMs() const { return m_statementLimitMs; }
    void setStatementLimitMs(qint64 ms) { m_statementLimitMs = ms; }

    /// Counters of connections and requests (ServerStatus, metrics).
    ServerStats& stats() const { return *m_stats; }

    /// A whole request frame (UTF-8) in, the answer frame out. Safe from any thread, each with
    /// its own ConnectionCache.
    QByteArray handleFrame(const QByteArray& frame, const ClientInfo& client,
                           ConnectionCache& connections) const;

    /// The request with its header already read: `body` is the JSON text. Lets LaneExpired
    /// through; every other failure becomes an error answer.
    QByteArray handle(qint64 id, const QByteArray& command, const QByteArray& body, const ClientInfo& client,
                      ConnectionCache& connections) const;

    /// "<id>\n{"result":"ERROR",...}"
    static QByteArray errorFrame(qint64 id, const RequestError& error);

private:
    DatabaseSet& m_databases;
    QHash<QByteArray, Handler> m_handlers;
    std::function<void(const QString&)> m_broadcaster;
    QStringList m_backupRoots;
    std::shared_ptr<HostMonitor> m_hostMonitor;
    qsizetype m_maxAnswerBytes = qsizetype(512) << 20;
    qint64 m_statementLimitMs = 30000;
    std::shared_ptr<ServerStats> m_stats = std::make_shared<ServerStats>();
};

/// Whether an SQLite result code is a fault of the disk or the database files (full,
/// read-only, I/O error, corrupt, cannot open) rather than of the request: logged as an error.
bool isStorageFault(int sqliteCode);

/// Adds Execute, ExecuteEx, ExecuteQuery, ExecuteQueryEx, ExecuteTransaction,
/// ExecuteTransactionEx and Broadcast.
void registerStandardCommands(Dispatcher& dispatcher);

/// Adds PartitionExecute, PartitionExecuteEx, PartitionExecuteQuery, PartitionExecuteQueryEx,
/// PartitionExecuteTransaction, PartitionExecuteTransactionEx and PartitionGetTables.
void registerPartitionCommands(Dispatcher& dispatcher);

/// Adds DownLoadDB, UploadDB, BackupDatabase, RestoreDatabase, GetAllNetworkInfo and
/// GetSystemStatusByName.
void registerMaintenanceCommands(Dispatcher& dispatcher);

/// Adds ServerStatus.
void registerStatusCommands(Dispatcher& dispatcher);

}  // namespace tessel::server

#endif
