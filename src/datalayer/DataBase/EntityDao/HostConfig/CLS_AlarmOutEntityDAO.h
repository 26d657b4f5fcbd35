// Alarm inputs of video hosts: TAB_OBJ and TAB_DEV_ALARM_OUT, read through VIEW_DEV_ALARM_OUT.
#ifndef CLS_ALARMOUTENTITYDAO_H
#define CLS_ALARMOUTENTITYDAO_H

#include "CLS_AlarmOutEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_AlarmOutEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call (no lock), never destroyed.
    static CLS_AlarmOutEntityDAO* GetInstance();

    /// Loads the authority types of alarm outputs (object type 7) once; normally reached through
    /// GetInstance().
    CLS_AlarmOutEntityDAO();
    virtual ~CLS_AlarmOutEntityDAO();

    const QStringList& AuthorityTypes() const { return m_lstAuthorityTypes; }

    // ---- writes: the remote result (0 success, negative failure) ----
    /// One transaction: TAB_OBJ, TAB_DEV_ALARM_OUT and the rights of 'admin_role'.
    int InsertAlarmOut(const CLS_AlarmOutEntity& _alarmOutEntity);
    /// The same for every entity, in one transaction; 0 for an empty list.
    int InsertAlarmOuts(const QVector<CLS_AlarmOutEntity*>& _vecAlarmOuts);
    /// Caption, number and description, in one transaction.
    int UpdateAlarmOut(const CLS_AlarmOutEntity& _alarmOutEntity);
    int UpdateAlarmOuts(const QVector<CLS_AlarmOutEntity*>& _vecAlarmOuts);
    /// Three transactions in turn (type rows, object rows, rights); the first negative result
    /// ends the sequence and is returned. An empty list sends nothing and gives 0.
    int DeleteAlarmOuts(const QStringList& _lstAlarmOutIDs);

    // ---- reads: 0, or -1 when the server gave no record set ----
    /// Appends every alarm output, by number. The new entities belong to the caller.
    int GetAllAlarmOuts(QVector<CLS_AlarmOutEntity*>& _vecAlarmOuts);
    /// The count, or -1 for no answer.
    int GetAlarmOutCountOfHost(const QString& _strHostID);
    /// Host id -> number of alarm outputs (added to the map).
    int GetAlarmOutCounts(QMap<QString, int>& _mapCounts);
    bool IsAlarmOutNumExist(const QString& _strHostID, int _iNum);

    static void LoadAlarmOut(const QMap<QString, QString>& _row, CLS_AlarmOutEntity& _alarmOutEntity);

private:
    void AppendInsert(const CLS_AlarmOutEntity& _alarmOutEntity, QList<QString>& _lstSql,
                      QList<QMap<QString, QVariant>>& _lstBinds) const;

    QStringList m_lstAuthorityTypes;
};

#endif  // CLS_ALARMOUTENTITYDAO_H
