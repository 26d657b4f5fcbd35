// The recording-file index of this client, TAB_REC_FILE<SysId> in "Tessel-record", reached
// through the partition commands with the system id as suffix.
#ifndef CLS_RECFILEENTITYDAO_H
#define CLS_RECFILEENTITYDAO_H

#include "CLS_RecFileEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QVariant>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_RecFileEntityDAO : public CLS_BaseEntityDAO
{
public:
    static const char* const kTable;  ///< "TAB_REC_FILE"

    /// Created on first call (no lock), never destroyed.
    static CLS_RecFileEntityDAO* GetInstance();
    CLS_RecFileEntityDAO();
    virtual ~CLS_RecFileEntityDAO();

    /// One row; the server's result (-1 without a system id).
    int AddRecordFile(const CLS_RecFileEntity& _entity);
    /// Queues one multi-row insert of the files (nothing for an empty vector). 0.
    int AddRecordFileToTransaction(const QVector<CLS_RecFileEntity>& _vecEntities);
    /// Sends the queued inserts as one transaction, in queue order, and empties the queue.
    /// 0 for an empty queue, else the server's result.
    int AddRecordFileByTransaction();
    /// Number of queued statements (not yet sent).
    int QueuedStatementCount() const { return m_lstQueueSql.size(); }

    /// Appends the files of the search ordered by start (caller owns them); 0, or -1 with the
    /// vector unchanged.
    int SearchPlaybackRecFile(const CLS_RecFileSearchEntity& _search, QVector<CLS_RecFileEntity*>& _vecFiles);
    /// -1 for an empty set, without a statement.
    int DeleteRecordFileByIds(const QSet<qint32>& _setIds);
    /// Every row, or every row of one save disk.
    int DeleteAllRecordFile(const QString& _strSaveDisk);
    /// Invalid when there is no row or no answer.
    QDateTime GetEarliestRecordTime();
    int GetAllRecordFile(QVector<CLS_RecFileEntity*>& _vecFiles);
    /// Sum of I_LENGTH of the _iCount lowest I_ID (a negative count: of all); 0 when there is
    /// none, -1 when the read failed.
    qint64 GetOldestRecordFileLength(int _iCount);
    /// Sum of I_LENGTH of every file; -1 when the read failed.
    qint64 GetTotalRecordFileLength();

    static void LoadRecFile(const QMap<QString, QString>& _row, CLS_RecFileEntity& _entity);

private:
    // The bulk-insert queue: statements and their bind maps side by side.
    QList<QString> m_lstQueueSql;
    QList<QMap<QString, QVariant>> m_lstQueueBind;
};

#endif  // CLS_RECFILEENTITYDAO_H
