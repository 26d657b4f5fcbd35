#ifndef CLS_BASEENTITYDAO_H
#define CLS_BASEENTITYDAO_H

#include "CLS_RemoteDBHandler.h"

#include <QMap>
#include <QString>
#include <QVariant>
#include <QVector>

/// Base of every DAO: the database name its requests go to, thin wrappers over
/// CLS_RemoteDBHandler that fix the wait limit (3) and the broadcast flag (false), conversion
/// helpers, stored-password scrambling and the system identifier of this client installation.
class DATAMEDIATOR_EXPORT CLS_BaseEntityDAO
{
public:
    CLS_BaseEntityDAO();

    static constexpr int kTimeout = 3;

    // ---- wrappers ----
    static int Execute(const QString& _strDbName, const QString& _strSql);
    static int ExecuteEx(const QString& _strDbName, const QString& _strSql,
                         const QMap<QString, QVariant>& _mapBind);
    /// Null on failure, also when anything throws.
    static RecordSet* ExecuteQuery(const QString& _strDbName, const QString& _strSql);
    static RecordSet* ExecuteQueryEx(const QString& _strDbName, const QString& _strSql,
                                     const QMap<QString, QVariant>& _mapBind);
    static int ExecuteTransaction(const QString& _strDbName, const QList<QString>& _lstSql);
    static int ExecuteTransactionEx(const QString& _strDbName, const QList<QString>& _lstSql,
                                    const QList<QMap<QString, QVariant>>& _lstBind);
    static int PartitionExecute(const QString& _strDbName, const QString& _strSql,
                                const QString& _strTableName, const QString& _strSuffix);
    static int PartitionExecuteEx(const QString& _strDbName, const QString& _strSql,
                                  const QString& _strTableName, const QString& _strSuffix,
                                  const QMap<QString, QVariant>& _mapBind);
    static RecordSet* PartitionExecuteQuery(const QString& _strDbName, const QString& _strSql,
                                            const QString& _strWhere, const QString& _strTableName,
                                            const QString& _strStartSuffix, const QString& _strEndSuffix,
                                            int _iStartNum, int _iPageSize, const QString& _strOrder);
    static RecordSet* PartitionExecuteQueryEx(const QString& _strDbName, const QString& _strSql,
                                              const QString& _strWhere, const QString& _strTableName,
                                              const QString& _strStartSuffix, const QString& _strEndSuffix,
                                              int _iStartNum, int _iPageSize, const QString& _strOrder,
                                              const QMap<QString, QVariant>& _mapBind);
    static int PartitionExecuteTransaction(const QString& _strDbName, const QString& _strTableName,
                                           const QMap<QString, QVector<QString>>& _mapSqlBySuffix);
    static int PartitionExecuteTransactionEx(
        const QString& _strDbName, const QString& _strTableName,
        const QMap<QString, QMap<QString, QMap<QString, QVariant>>>& _mapBinds);
    /// 0, or the handler's negative code with _vecTables unchanged.
    static int PartitionGetTables(const QString& _strDbName, const QString& _strTableName,
                                  const QString& _strStartSuffix, const QString& _strEndSuffix,
                                  QVector<QString>& _vecTables);

    // ---- helpers ----
    /// First column (in key order) of the first row, or "0" when there is none.
    static QString GetFirstValue(const QString& _strDbName, const QString& _strSql,
                                 const QMap<QString, QVariant>& _mapBind);
    /// Deletes every row map and the vector, and nulls the pointer.
    static void FreeRecordSet(RecordSet*& _pRecordSet);
    static QString IntToString(int _iValue);
    static QString UIntToString(unsigned int _uiValue);
    /// "%f" with a decimal point whatever the locale.
    static QString FloatToString(double _dValue);
    static QString TrimRight(const QString& _strText);
    /// _strName as an SQL identifier in double quotes (inner quotes doubled).
    static QString QuoteIdentifier(const QString& _strName);

    /// Scrambled stored form: three table characters per Latin-1 byte. An empty result for a
    /// password over 1023 bytes (logged).
    static QString EncodePassword(const QString& _strPassword);
    /// Whether EncodePassword keeps _strPassword whole: at most 1023 characters, all of them
    /// Latin-1. Otherwise logs (level 3, under _pszOperation) and gives false; writers refuse
    /// such a password before anything is written.
    static bool IsStorablePassword(const QString& _strPassword, const char* _pszOperation);
    /// The password of a stored form; empty for an empty form, and for a form over 3069
    /// characters or not a multiple of three (logged).
    static QString DecodePassword(const QString& _strStored);

    // ---- system identifier ----
    /// Settles the id once: "clientid" of StartConfiguration.json, else derived from the first
    /// network adapter (and saved). A "clientid" that is not made of hexadecimal digits is
    /// refused (level 3) and the derived id used. 0, or -1 when there is neither.
    static int InitSysId();
    static int GetSysId(QString& _strSysId);
    static bool ReadClientId(QString& _strClientId);
    static void SaveClientId(const QString& _strClientId);
    /// Whether _strSysId is one the derivation can give: decimal and hexadecimal digits only.
    static bool IsValidSysId(const QString& _strSysId);
    /// 16 hexadecimal digits derived from a six-byte hardware address.
    static QString HardwareAddressDigits(const unsigned char _aucAddress[6]);
    /// Forgets the settled id (tests only).
    static void ResetSysIdForTest();

    // ---- per-client tables (T followed by the system id) ----
    /// 0 when the partition of _strTableName for this client exists, else -1 (also when the
    /// listing failed).
    int TableIsExist(const QString& _strTableName);
    /// Creates this client's partition as a copy of the shared table; 0 or -1.
    int CreateTable(const QString& _strTableName);

protected:
    QString m_strDbName;

private:
    static QString m_strSysId;
    static bool m_bSysIdInit;
};

#endif  // CLS_BASEENTITYDAO_H
