// Personal passages recorded by pad terminals: TAB_PAD_HISTORY followed by yyyyMM in "Tessel-intelligent".
#ifndef CLS_PADDATARECVDAO_H
#define CLS_PADDATARECVDAO_H

#include "CLS_PassageHistoryDAO.h"

class DATAMEDIATOR_EXPORT CLS_PadDataRecvDao : public CLS_PassageHistoryDAO
{
public:
    /// Created on first call (no lock), never destroyed.
    static CLS_PadDataRecvDao* GetInstance();

    /// Gives each record without S_ID a new id then
    /// stores them in the monthly tables of their pass times: one record as one statement,
    /// several as one transaction. 0, the server's result, or -1 (nothing stored) when a pass
    /// time has no month.
    int SavePadRecvData(QVector<CLS_PadDataRecvEntity>& _vecRecords);
    /// Appends one page, newest first; 0 or -1.
    int QueryPadHistory(const STRCT_PassageQuery& _query, QVector<CLS_PadDataRecvEntity>& _vecRecords);
    int GetPadRecordCount(const STRCT_PassageQuery& _query);
    /// Appends the oldest _iCount records of every month.
    int GetPadPicFiles(int _iCount, QVector<CLS_PadDataRecvEntity>& _vecRecords);
    /// (id, pass time) pairs.
    int DelPadPicRec(const QList<QPair<QString, QString>>& _lstIdTimes);
    int DeleteAllPadPicData();
    /// The device name of a terminal serial number (TAB_DEV of "Tessel"); 0, or -1 when the
    /// query failed. An unknown serial number gives an empty name.
    int GetTerminalName(const QString& _qstrSn, QString& _qstrName);

    static void Load(const QMap<QString, QString>& _row, CLS_PadDataRecvEntity& _record);

private:
    CLS_PadDataRecvDao();
};

#endif  // CLS_PADDATARECVDAO_H
