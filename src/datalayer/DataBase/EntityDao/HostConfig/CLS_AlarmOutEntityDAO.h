// Alarm outputs of video hosts: TAB_OBJ and TAB_DEV_ALARM_OUT, read through VIEW_DEV_ALARM_OUT.
#ifndef CLS_ALARMOUTENTITYDAO_H
#define CLS_ALARMOUTENTITYDAO_H

#include "CLS_AlarmOutEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class DATAMEDIATOR_EXPORT CLS_AlarmOutEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call (no lock), never destroyed.
    static CLS_AlarmOutEntityDAO* GetInstance();

    /// Reads the authority types of alarm outputs (object type 7), again on use while none are held;
    /// normally reached through GetInstance().
    CLS_AlarmOutEntityDAO();
    virtual ~CLS_AlarmOutEntityDAO();

    /// Authority type ids that a new object receives for 'admin_role', as held now.
    QStringList AuthorityTypes() const;

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
    class Impl;
    std::unique_ptr<Impl> m_pImpl;
};

#endif  // CLS_ALARMOUTENTITYDAO_H
