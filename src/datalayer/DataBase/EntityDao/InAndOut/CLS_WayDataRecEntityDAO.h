// Vehicle passages at road checkpoints: TAB_WAY_HISTORY followed by yyyyMM in "Tessel-intelligent".
#ifndef CLS_WAYDATARECENTITYDAO_H
#define CLS_WAYDATARECENTITYDAO_H

#include "CLS_PassageHistoryDAO.h"

class DATAMEDIATOR_EXPORT CLS_WayDataRecEntityDAO : public CLS_PassageHistoryDAO
{
public:
    /// Created on first call (no lock), never destroyed.
    static CLS_WayDataRecEntityDAO* GetInstance();

    /// Gives each record without S_ID a new id, and each its save time (now, with milliseconds), then
    /// stores them in the monthly tables of their pass times: one record as one statement,
    /// several as one transaction. 0, the server's result, or -1 (nothing stored) when a pass
    /// time has no month.
    int SaveWayRecvData(QVector<CLS_WayDataRecEntity>& _vecRecords);
    /// Appends one page, newest first; 0 or -1.
    int QueryWayHistory(const STRCT_PassageQuery& _query, QVector<CLS_WayDataRecEntity>& _vecRecords);
    int GetWayRecordCount(const STRCT_PassageQuery& _query);
    /// Appends the oldest _iCount records of every month.
    int GetWayPicFiles(int _iCount, QVector<CLS_WayDataRecEntity>& _vecRecords);
    /// (id, pass time) pairs.
    int DelWayPicRec(const QList<QPair<QString, QString>>& _lstIdTimes);
    int DeleteAllWayPicData();

    static void Load(const QMap<QString, QString>& _row, CLS_WayDataRecEntity& _record);

private:
    CLS_WayDataRecEntityDAO();
};

#endif  // CLS_WAYDATARECENTITYDAO_H
