// The alarm log TAB_ALARM_RECORD of the main database, and the per-second sequence numbers of
// the records this process writes.
#ifndef CLS_ALARMRECORDENTITYDAO_H
#define CLS_ALARMRECORDENTITYDAO_H

#include "CLS_AlarmEntities.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QVector>

class DATAMEDIATOR_EXPORT CLS_AlarmRecordEntityDAO : public CLS_BaseEntityDAO
{
public:
    typedef QMap<QString, QVariant> Binds;

    static CLS_AlarmRecordEntityDAO* GetInstance();

    /// Sets S_ID (when empty), DT_ALARM (now) and the sequence number, then stores the record.
    /// The server's result.
    int InsertAlarmRecord(CLS_AlarmRecordEntity& _entity);
    /// Appends the page of matching records, newest first. 0; -1 when no level is selected or
    /// the query failed.
    int SearchAlarmRecord(const CLS_AlarmRecordSearchEntity& _search, QVector<CLS_AlarmRecordEntity*>& _vecOut);
    /// Number of matching records; 0 when no level is selected or the query failed.
    int SearchAlarmRecordCount(const CLS_AlarmRecordSearchEntity& _search);
    int UpdateAlarmDealInfo(const CLS_AlarmRecordEntity& _entity);
    /// Deletes the records written before the cut-off time.
    int DeleteAlarmRecord(const QString& _strCutOff);

    /// The " where ..." part of a search (_bCount false) or count, with its binds; empty when no
    /// filter is active. False when no level flag is set (nothing may be asked).
    static bool BuildConditions(const CLS_AlarmRecordSearchEntity& _search, bool _bCount, QString& _strWhere,
                                Binds& _binds);
    /// The sequence number of a record written at _strTime, advancing the process-wide state;
    /// any thread may call it.
    static int NextSequence(const QString& _strTime);

protected:
    CLS_AlarmRecordEntityDAO() = default;
};

/// The per-system cached events TAB_CACHE_EVENT<SysId>.
class DATAMEDIATOR_EXPORT CLS_CacheEventEntityDAO : public CLS_BaseEntityDAO
{
public:
    static CLS_CacheEventEntityDAO* GetInstance();
    /// The server's result; -1 when the system id is unknown. An empty id is replaced.
    int InsertCacheEvent(CLS_CacheEventEntity& _entity);
    /// Appends every event of this system (the caller owns them). 0 or -1.
    int SearchCacheEvent(QVector<CLS_CacheEventEntity*>& _vecOut);
    /// Removes every event with exactly that data.
    int DelCacheEvent(const QByteArray& _baData);

    static const char* const kTable;  ///< "TAB_CACHE_EVENT"

protected:
    CLS_CacheEventEntityDAO() = default;
};

#endif  // CLS_ALARMRECORDENTITYDAO_H
