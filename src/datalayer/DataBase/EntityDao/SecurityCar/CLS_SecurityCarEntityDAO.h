// The managed vehicles of the entrance terminals (TAB_SECURITY_CAR_MANAGE) and the record of
// which list entries were sent to which terminal (TAB_SECURITY_CAR_SEND). Numbers are written
// into the statements; every text (plates, terminals, command ids, times) is bound.
#ifndef CLS_SECURITYCARENTITYDAO_H
#define CLS_SECURITYCARENTITYDAO_H

#include "CLS_SecurityCarEntity.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QVector>

class DATAMEDIATOR_EXPORT CLS_SecurityCarEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_SecurityCarEntityDAO* GetInstance();
    virtual ~CLS_SecurityCarEntityDAO() = default;

    // ---- send rows (virtual, in this order) ----
    /// Every send row in state _iOldState moves to _iNewState.
    virtual int ResetSendStatus(int _iOldState, int _iNewState);
    /// Command id, type, state and time of the row of _send's terminal, vehicle and list; when
    /// _qstrOldCmdId is given only if the row still carries that command.
    virtual int UpdateSecurityCarSend(const CLS_SecurityCarSendEntity& _send, const QString& _qstrOldCmdId);
    /// The state of one command sent to a terminal.
    virtual int UpdateSendStatusByCmd(const QString& _qstrTerminalSn, const QString& _qstrCmdId, int _iState);
    /// Removes the removal rows (type 0) in state 3.
    virtual int PurgeFinishedRemovals();

    /// Inserts or replaces the row of the send's terminal, vehicle and list.
    int ReplaceSecurityCarSend(const CLS_SecurityCarSendEntity& _send);
    /// Appends every send row of a terminal. 0 or -1.
    int QuerySendDataByTerminalSn(const QString& _qstrTerminalSn, QVector<CLS_SecurityCarSendEntity>& _vecSends);

    // ---- managed vehicles ----
    /// Fails when a vehicle of the same plate and colour exists.
    int AddSecurityCar(const CLS_SecurityCarEntity& _car);
    /// Adds the vehicle, or replaces the one of the same id or the same plate and colour.
    int ReplaceSecurityCar(const CLS_SecurityCarEntity& _car);
    /// Every field but the id of the vehicle (_qstrOldVlp, _iOldVlpc).
    int UpdateSecurityCar(const CLS_SecurityCarEntity& _car, const QString& _qstrOldVlp, int _iOldVlpc);
    int DeleteSecurityCar(const QString& _qstrVlp, int _iVlpc);

    /// Appends the vehicles with no send row other than a removal for the terminal (any when
    /// empty) and list type (-1 either), with their list period in S_BEGINTIME/S_ENDTIME
    /// (2021-01-01 to 2099-01-01 for an unlimited white list). A plate text filters on a part
    /// of the plate, a colour other than 9 on the colour. 0 or -1.
    int GetUnsentSecurityCars(const QString& _qstrTerminalSn, int _iListType, const QString& _qstrVlp, int _iVlpc,
                              QVector<CLS_SecurityCarSendEntity>& _vecCars);
    /// One page (index from 0) of the vehicles whose plate contains _qstrVlp (all when empty);
    /// _iTotal receives the number of matching vehicles. 0 or -1.
    int GetSecurityCarPage(const QString& _qstrVlp, int _iPageSize, int _iPageIndex, int& _iTotal,
                           QVector<CLS_SecurityCarEntity>& _vecCars);
    /// One page (index from 0) of the send rows matching the criteria, each with its list period;
    /// _iTotal receives the number of matching rows. 0 or -1.
    int GetSecurityCarSendPage(const STRCT_SecurityCarSendQuery& _query, int _iPageSize, int _iPageIndex,
                               int& _iTotal, QVector<CLS_SecurityCarSendEntity>& _vecSends);

protected:
    CLS_SecurityCarEntityDAO() = default;

private:
    int ReadPage(const QString& _qstrBase, const QMap<QString, QVariant>& _mapBind, int _iPageSize, int _iPageIndex,
                 int& _iTotal, RecordSet*& _pRows);
};

#endif  // CLS_SECURITYCARENTITYDAO_H
