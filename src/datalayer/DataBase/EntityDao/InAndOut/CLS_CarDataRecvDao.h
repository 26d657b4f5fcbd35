// Vehicle passages at entrance terminals: TAB_CAR_HISTORY followed by yyyyMM in "Tessel-intelligent".
#ifndef CLS_CARDATARECVDAO_H
#define CLS_CARDATARECVDAO_H

#include "CLS_PassageHistoryDAO.h"

class DATAMEDIATOR_EXPORT CLS_CarDataRecvDao : public CLS_PassageHistoryDAO
{
public:
    /// Created on first call (no lock), never destroyed.
    static CLS_CarDataRecvDao* GetInstance();

    /// Gives each record without S_ID a new id then
    /// stores them in the monthly tables of their pass times: one record as one statement,
    /// several as one transaction. 0, the server's result, or -1 (nothing stored) when a pass
    /// time has no month.
    int SaveCarRecvData(QVector<CLS_CarDataRecvEntity>& _vecRecords);
    /// Appends one page, newest first; 0 or -1.
    int QueryCarHistory(const STRCT_PassageQuery& _query, QVector<CLS_CarDataRecvEntity>& _vecRecords);
    int GetCarRecordCount(const STRCT_PassageQuery& _query);
    /// Appends the oldest _iCount records of every month.
    int GetCarPicFiles(int _iCount, QVector<CLS_CarDataRecvEntity>& _vecRecords);
    /// (id, pass time) pairs.
    int DelCarPicRec(const QList<QPair<QString, QString>>& _lstIdTimes);
    int DeleteAllCarPicData();

    static void Load(const QMap<QString, QString>& _row, CLS_CarDataRecvEntity& _record);

private:
    CLS_CarDataRecvDao();
};

#endif  // CLS_CARDATARECVDAO_H
