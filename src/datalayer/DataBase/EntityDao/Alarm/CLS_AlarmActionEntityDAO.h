// Linkage rules of the current system: the per-system table TAB_OBJ_ALARM_ACTION<SysId>, made
// from the empty template TAB_OBJ_ALARM_ACTION and reached through the partition commands.
#ifndef CLS_ALARMACTIONENTITYDAO_H
#define CLS_ALARMACTIONENTITYDAO_H

#include "CLS_AlarmEntities.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_AlarmActionEntityDAO : public CLS_BaseEntityDAO
{
public:
    typedef QMap<QString, QVariant> Binds;
    /// (source object id, adapter alarm id) pairs whose stored rules a save replaces.
    typedef QList<QPair<QString, qint32>> SourceAlarmPairs;

    static const char* const kTable;  ///< "TAB_OBJ_ALARM_ACTION"

    /// Created on first call, never destroyed.
    static CLS_AlarmActionEntityDAO* GetInstance();

    /// Appends one entity per rule of the user (the caller owns them). 0; -1 when the system id
    /// is unknown or the query failed.
    int StartGetAlarmLinkInfo(const QString& _strUserID, QVector<CLS_AlarmActionEntity*>& _vecOut);
    /// Appends one entity per row; 0, or -1 for a null record set.
    int LoadData(const RecordSet* _pRecSet, QVector<CLS_AlarmActionEntity*>& _vecOut);

    /// Deletes every rule of the user whose source is among the pairs' sources and whose alarm
    /// is among the pairs' alarms. The server's result; 0 for no pairs.
    int DeleteAlarmLinkInfo(const QString& _strUserID, const SourceAlarmPairs& _lstPairs);
    /// Deletes every rule of the user whose source is one of the ids.
    int DeleteAlarmLinkInfoBySource(const QString& _strUserID, const QStringList& _lstSourceIDs);

    /// Queues the deletion of named pairs; call it before queueing the inserts (the queue runs
    /// in order).
    void QueueDeleteAlarmLinkInfo(const QString& _strUserID, const SourceAlarmPairs& _lstPairs);
    /// Queues one insert statement per entity.
    void QueueAlarmLinkInfo(const QString& _strUserID, const QVector<CLS_AlarmActionEntity*>& _vecEntities);
    /// Sends the queue as one partition transaction, in queue order, and empties it whatever the
    /// outcome.
    int InsertAlarmLinkInfoByTransaction();
    /// Number of queued statements.
    int QueuedCount() const { return m_lstSql.size(); }

    /// Appends to a plain transaction of the main database the statements that delete every
    /// rule (of any user) whose source is one of _lstObjIDs or a child object of _strParentID
    /// (when not empty), from the template and from this system's table (made first when
    /// missing). Put them before the statements that delete the objects' own rows.
    static void AppendDeleteOfObjects(const QStringList& _lstObjIDs, const QString& _strParentID,
                                      QList<QString>& _lstSql, QList<Binds>& _lstBinds);

protected:
    CLS_AlarmActionEntityDAO() = default;

private:
    QList<QString> m_lstSql;
    QList<Binds> m_lstBinds;
};

#endif  // CLS_ALARMACTIONENTITYDAO_H
