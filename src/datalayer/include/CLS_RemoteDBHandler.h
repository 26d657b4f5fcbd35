// Static interface to the database server: the one WebSocket client of the process, its
// connection status, and the request operations every DAO goes through.
#ifndef CLS_REMOTEDBHANDLER_H
#define CLS_REMOTEDBHANDLER_H

#include "DataMediatorExport.h"
#include "NetworkInfo.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QReadWriteLock>
#include <QString>
#include <QVariant>
#include <QVector>

#include <atomic>

class I_WebSocket;
class DBThread;

/// Rows of a query answer: one heap map (column name → text) per row, in the server's order.
/// Owned by the caller; an empty vector means no rows, null means failure.
typedef QVector<QMap<QString, QString>*> RecordSet;

/// Status callback: (command, parameter, user pointer). With this handler the command is 1 (the
/// main channel) and the parameter the channel event (1 opened, 2 closed).
typedef void (*DBStatusCallback)(int _iCmd, int _iParam, void* _pUser);

/// Whole state is static; the library never creates an instance. Destroying an instance tears
/// the channel down (so does Teardown(), which a host may call before it quits).
class DATAMEDIATOR_EXPORT CLS_RemoteDBHandler
{
public:
    CLS_RemoteDBHandler() = default;
    CLS_RemoteDBHandler(const CLS_RemoteDBHandler&) = default;
    CLS_RemoteDBHandler& operator=(const CLS_RemoteDBHandler&) = default;
    virtual ~CLS_RemoteDBHandler();

    /// Stores the server address and base port and binds the WebSocket library from the
    /// application directory. 0, or -1 for a bad address/port or a library that does not load.
    /// A second successful call changes nothing.
    static int InitDb(const QString& _strServerIP, int _iPort);

    /// Starts the database thread and waits (10 ms polls, at most 30000) for the first non-zero
    /// status: 1 when requests may be sent, a negative channel code, -1 when not initialised,
    /// -2 when the wait expired. There is one client and one thread per process: a call while
    /// they exist or are being made returns the current status and makes nothing.
    static int CreateDBConnection();

    /// Stores the status callback and its user pointer (a null function switches it off); true.
    static bool SetDBCallback(DBStatusCallback _pCallback, void* _pUser);

    /// Event handler given to every connect call of the WebSocket client.
    static void WebSocketCallback(int _iServerType, int _iEvent, const QString& _strText, void* _pUser);

    /// Deletes the client and stops the database thread (idempotent). Flags, address and the
    /// callback stay as they are.
    static void Teardown();

    // ---- statements, queries and transactions ----
    static int Execute(const QString& _strDbName, const QString& _strSql, int _iTimeout, bool _bIsBroadcast);
    static int ExecuteEx(const QString& _strDbName, const QString& _strSql,
                         const QMap<QString, QVariant>& _mapBind, int _iTimeout, bool _bIsBroadcast);
    static RecordSet* ExecuteQuery(const QString& _strDbName, const QString& _strSql, int _iTimeout);
    static RecordSet* ExecuteQueryEx(const QString& _strDbName, const QString& _strSql,
                                     const QMap<QString, QVariant>& _mapBind, int _iTimeout);
    static int ExecuteTransaction(const QString& _strDbName, const QList<QString>& _lstSql, int _iTimeout);
    static int ExecuteTransactionEx(const QString& _strDbName, const QList<QString>& _lstSql,
                                    const QList<QMap<QString, QVariant>>& _lstBind, int _iTimeout);

    // ---- partitioned tables: the statement names the base table, the request the partition(s) ----
    static int PartitionExecute(const QString& _strDbName, const QString& _strSql,
                                const QString& _strTableName, const QString& _strSuffix, int _iTimeout,
                                bool _bIsBroadcast);
    static int PartitionExecuteEx(const QString& _strDbName, const QString& _strSql,
                                  const QString& _strTableName, const QString& _strSuffix,
                                  const QMap<QString, QVariant>& _mapBind, int _iTimeout, bool _bIsBroadcast);
    /// Rows of the partitions from _strStartSuffix to _strEndSuffix (empty bound: open), taken in
    /// ascending suffix order or descending when _strOrder is "DESC", then paged over the whole
    /// range (_iStartNum/_iPageSize -1: no paging).
    static RecordSet* PartitionExecuteQuery(const QString& _strDbName, const QString& _strSql,
                                            const QString& _strWhere, const QString& _strTableName,
                                            const QString& _strStartSuffix, const QString& _strEndSuffix,
                                            int _iStartNum, int _iPageSize, const QString& _strOrder,
                                            int _iTimeout);
    static RecordSet* PartitionExecuteQueryEx(const QString& _strDbName, const QString& _strSql,
                                              const QString& _strWhere, const QString& _strTableName,
                                              const QString& _strStartSuffix, const QString& _strEndSuffix,
                                              int _iStartNum, int _iPageSize, const QString& _strOrder,
                                              const QMap<QString, QVariant>& _mapBind, int _iTimeout);
    /// Statements per partition suffix, sent in ascending suffix order, all or nothing.
    static int PartitionExecuteTransaction(const QString& _strDbName, const QString& _strTableName,
                                           const QMap<QString, QVector<QString>>& _mapSqlBySuffix,
                                           int _iTimeout);
    /// Bind values per statement text per suffix; a partition's statements run in the key order
    /// of the inner map, that is in the alphabetical order of their text.
    static int PartitionExecuteTransactionEx(
        const QString& _strDbName, const QString& _strTableName,
        const QMap<QString, QMap<QString, QMap<QString, QVariant>>>& _mapBinds, int _iTimeout);
    /// Appends the names of the existing partitions of _strTableName within the bounds to
    /// _vecTables (never cleared). 0, or a negative code (not connected, send failed, answer
    /// refused) with _vecTables unchanged, so that a failed listing never reads as "no table".
    static int PartitionGetTables(const QString& _strDbName, const QString& _strTableName,
                                  const QString& _strStartSuffix, const QString& _strEndSuffix,
                                  QVector<QString>& _vecTables, int _iTimeout);

    // ---- maintenance and host status (the client's maintenance lane, selector 3) ----
    /// Each database as Base64 of its file: dbData[name] = text (later duplicates win).
    static int DownLoadDB(QMap<QString, QVariant>& _mapDbData);
    /// Replaces the named databases; _mapResults[name] = 0 done, negative refused.
    static int UploadDB(QMap<QString, QVariant>& _mapDbData, QMap<QString, int>& _mapResults);
    static int BackupDatabase(const QString& _strFilePath, const QList<QString>& _lstDbNames,
                              QMap<QString, bool>& _mapResults);
    /// An empty path restores the pristine databases. _iTimeout travels to the server.
    static int RestoreDatabase(QString& _strFilePath, const QList<QString>& _lstDbNames,
                               QMap<QString, bool>& _mapResults, int _iTimeout);
    /// Appends one new record per interface of the server host (never cleared).
    static int GetAllNetworkInfo(QList<_NetworkInfo*>& _lstInfo);
    /// Fills _pInfo (created when null) and appends the interface's recent samples.
    static int GetSystemStatusByName(const QString& _strName, _NetworkInfo*& _pInfo);
    /// The server's own figures ("ServerStatus", the "data" object without "ret"), asked on the
    /// ordinary lane with a 10 s wait; _jsonStatus is left as it was on failure.
    static int GetServerStatus(QJsonObject& _jsonStatus);

    // ---- static state ----
    static bool m_bIsInitialized;
    static QString m_strServerIP;
    static int m_iPort;
    static I_WebSocket* m_pWebSocket;
    static QReadWriteLock m_webSocketLock;
    static DBThread* m_dbThread;
    static std::atomic<int> m_iConnectedStatus;  // one store per step, read without a lock
    static std::atomic<bool> m_bFinishFirstConnect;  // written on the socket thread
    static DBStatusCallback m_callback;
    static void* m_userData;

private:
    static bool IsConnectionVaild();
    static void ExecNotify(int _iFirst, int _iSecond);
    static QString ChannelUrl(int _iChannel);

    static int CreatJsonObject(const QString& _strDbName, const QString& _strSql, QJsonObject& _jsonObj);
    static int CreatJsonObjectEx(const QString& _strDbName, const QString& _strSql,
                                 const QMap<QString, QVariant>& _mapBind, QJsonObject& _jsonObj);
    static int GetResponseData(const QString& _strAnswer, QJsonObject& _jsonData);
    /// Rows of a query answer (envelope checked as GetResponseData does); null on failure.
    static RecordSet* GetResponseMessage(const QString& _strAnswer);

    /// Sends under the read lock; -1 when there is no client.
    static int Send(const QString& _strCommand, const QJsonObject& _jsonRequest, QString& _strAnswer,
                    int _iTimeout);
    static int SendSelected(const QString& _strCommand, const QJsonObject& _jsonRequest, QString& _strAnswer);
    /// Status test, selected send and answer decoding shared by the maintenance commands.
    static int MaintenanceExchange(const char* _pszOperation, const QString& _strCommand,
                                   const QJsonObject& _jsonRequest, QJsonObject& _jsonData);
    static int ExecuteCommand(const char* _pszOperation, const QString& _strCommand,
                              const QJsonObject& _jsonRequest, int _iTimeout);
    static RecordSet* QueryCommand(const char* _pszOperation, const QString& _strCommand,
                                   const QJsonObject& _jsonRequest, int _iTimeout);
    static QJsonObject PartitionQueryRequest(const QString& _strDbName, const QString& _strSql,
                                             const QString& _strWhere, const QString& _strTableName,
                                             const QString& _strStartSuffix, const QString& _strEndSuffix,
                                             int _iStartNum, int _iPageSize, const QString& _strOrder);

    friend class CLS_RemoteDBHandlerTestAccess;
};

#endif  // CLS_REMOTEDBHANDLER_H
