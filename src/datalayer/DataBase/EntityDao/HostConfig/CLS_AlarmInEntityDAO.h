// Alarm inputs of video hosts: TAB_OBJ and TAB_DEV_ALARM_IN, read through VIEW_DEV_ALARM_IN.
#ifndef CLS_ALARMINENTITYDAO_H
#define CLS_ALARMINENTITYDAO_H

#include "CLS_AlarmInEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class DATAMEDIATOR_EXPORT CLS_AlarmInEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call (no lock), never destroyed.
    static CLS_AlarmInEntityDAO* GetInstance();

    /// Reads the authority types of alarm inputs (object type 6), again on use while none are held;
    /// normally reached through GetInstance().
    CLS_AlarmInEntityDAO();
    virtual ~CLS_AlarmInEntityDAO();

    /// Authority type ids that a new object receives for 'admin_role', as held now.
    QStringList AuthorityTypes() const;

    // ---- writes: the remote result (0 success, negative failure) ----
    /// One transaction: TAB_OBJ, TAB_DEV_ALARM_IN and the rights of 'admin_role'.
    int InsertAlarmIn(const CLS_AlarmInEntity& _alarmInEntity);
    /// The same for every entity, in one transaction; 0 for an empty list.
    int InsertAlarmIns(const QVector<CLS_AlarmInEntity*>& _vecAlarmIns);
    /// Caption, number and description, in one transaction.
    int UpdateAlarmIn(const CLS_AlarmInEntity& _alarmInEntity);
    int UpdateAlarmIns(const QVector<CLS_AlarmInEntity*>& _vecAlarmIns);
    /// Three transactions in turn (type rows, object rows, rights); the first negative result
    /// ends the sequence and is returned. An empty list sends nothing and gives 0.
    int DeleteAlarmIns(const QStringList& _lstAlarmInIDs);
    /// 0, or -1 on failure.
    int SetAlarmInDefenceState(const QString& _strAlarmInID, int _iState);

    // ---- reads: 0, or -1 when the server gave no record set ----
    /// Appends every alarm input, by number. The new entities belong to the caller.
    int GetAllAlarmIns(QVector<CLS_AlarmInEntity*>& _vecAlarmIns);
    /// The count, or -1 for no answer.
    int GetAlarmInCountOfHost(const QString& _strHostID);
    /// Host id -> number of alarm inputs (added to the map).
    int GetAlarmInCounts(QMap<QString, int>& _mapCounts);
    bool IsAlarmInNumExist(const QString& _strHostID, int _iNum);

    static void LoadAlarmIn(const QMap<QString, QString>& _row, CLS_AlarmInEntity& _alarmInEntity);

private:
    class Impl;
    std::unique_ptr<Impl> m_pImpl;
};

#endif  // CLS_ALARMINENTITYDAO_H
