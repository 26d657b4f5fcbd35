// Behaviour snapshots and passage histories: forwarders to CLS_BehaviorAnalysisEntityDAO and
// to the owned car, pad and way DAOs, each refused when its DAO is missing.
#include "CLS_DataAccess.h"

#include "DataBase/EntityDao/BehaviorAnalysis/CLS_BehaviorAnalysisEntityDAO.h"
#include "DataBase/EntityDao/InAndOut/CLS_CarDataRecvDao.h"
#include "DataBase/EntityDao/InAndOut/CLS_PadDataRecvDao.h"
#include "DataBase/EntityDao/InAndOut/CLS_WayDataRecEntityDAO.h"
#include "Log.h"

namespace {

// Forwards to an owned DAO; -1 and the level-2 line _pszMissing when it is null.
template <typename D, typename F>
int Owned(D* _pDao, const char* _pszMissing, F&& _fn)
{
    if (_pDao == nullptr) {
        DL_LOG(2, "%s", _pszMissing);
        return -1;
    }
    return _fn(_pDao);
}

// -1 (logged) for a page that cannot be read.
bool BadPage(const char* _pszOperation, const STRCT_PassageQuery& _query)
{
    if (_query.m_iPageSize <= 0 || _query.m_iPageIndex < 1) {
        DL_LOG(3, "%s _query.m_iPageSize <= 0 || _query.m_iPageIndex < 1", _pszOperation);
        return true;
    }
    return false;
}

template <typename V>
bool Empty(const char* _pszLine, const V& _vec)
{
    if (_vec.isEmpty()) {
        DL_LOG(3, "%s", _pszLine);
        return true;
    }
    return false;
}

CLS_BehaviorAnalysisEntityDAO* Behaviour()
{
    return CLS_BehaviorAnalysisEntityDAO::GetInstance();
}

}  // namespace

int CLS_DataAccess::QueryPadHistory(const STRCT_PassageQuery& _query,
                                    QVector<CLS_PadDataRecvEntity>& _vecRecords)
{
    if (BadPage("CLS_DataAccess::QueryPadHistory", _query)) {
        return -1;
    }
    return Owned(m_pPadDataRecvDao, "CLS_DataAccess::QueryPadHistory() m_pPadDataRecvDao == nullptr",
                 [&](CLS_PadDataRecvDao* p) { return p->QueryPadHistory(_query, _vecRecords); });
}

int CLS_DataAccess::QueryWayHistory(const STRCT_PassageQuery& _query,
                                    QVector<CLS_WayDataRecEntity>& _vecRecords)
{
    if (BadPage("CLS_DataAccess::QueryWayHistory", _query)) {
        return -1;
    }
    return Owned(m_pWayDataRecEntityDAO,
                 "CLS_DataAccess::QueryWayHistory() m_pWayDataRecEntityDAO == nullptr",
                 [&](CLS_WayDataRecEntityDAO* p) { return p->QueryWayHistory(_query, _vecRecords); });
}

int CLS_DataAccess::AddBehaviorAnalysisCapture(QVector<CLS_BehaviorAnalysisEntity>& _qvecBehaviorAnalysisData)
{
    if (Empty("CLS_DataAccess::AddBehaviorAnalysisCapture _qvecBehaviorAnalysisData is empty",
              _qvecBehaviorAnalysisData)) {
        return -1;
    }
    return Behaviour()->AddBehaviorAnalysisCaptures(_qvecBehaviorAnalysisData);
}

int CLS_DataAccess::AddBehaviorAnalysisCapture(CLS_BehaviorAnalysisEntity& _record)
{
    return Behaviour()->AddBehaviorAnalysisCapture(_record);
}

int CLS_DataAccess::BehaviorAnalysisGetRecord(const CLS_BehaviorAnalysisSearchEntity& _search,
                                              QVector<CLS_BehaviorAnalysisEntity>& _vecRecords)
{
    return Behaviour()->BehaviorAnalysisGetRecord(_search, _vecRecords);
}

int CLS_DataAccess::BehaviorAnalysisGetCount(const CLS_BehaviorAnalysisSearchEntity& _search)
{
    return Behaviour()->BehaviorAnalysisGetCount(_search);
}

int CLS_DataAccess::GetOldestBehaviorAnalysisPicFiles(int _iFileNum,
                                                      QVector<CLS_BehaviorAnalysisEntity>& _vecRecords)
{
    if (_iFileNum < 0) {
        DL_LOG(3, "CLS_DataAccess::GetOldestBehaviorAnalysisPicFiles _iFileNum < 0");
        return -1;
    }
    return Behaviour()->GetBehaviorAnalysisPicFiles(_iFileNum, _vecRecords);
}

int CLS_DataAccess::GetBehaviorAnalysisPicFiles(QString _qstrSaveTime, int _iFileNum,
                                                QVector<CLS_BehaviorAnalysisEntity>& _vecRecords)
{
    if (_qstrSaveTime.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetBehaviorAnalysisPicFiles _qstrSaveTime is empty");
        return -1;
    }
    if (_iFileNum < 0) {
        DL_LOG(3, "CLS_DataAccess::GetBehaviorAnalysisPicFiles _iFileNum < 0");
        return -1;
    }
    return Behaviour()->GetBehaviorAnalysisPicFilesBefore(_qstrSaveTime, _iFileNum, _vecRecords);
}

int CLS_DataAccess::DelBehaviorAnalysisPicRec(const QList<QPair<QString, QString>>& _lstIdTimes)
{
    return Behaviour()->DelBehaviorAnalysisPicRec(_lstIdTimes);
}

int CLS_DataAccess::DeleteAllBehaviorAnalysisData()
{
    return Behaviour()->DeleteAllBehaviorAnalysisData();
}

int CLS_DataAccess::SaveCarRecvDataToDB(QVector<CLS_CarDataRecvEntity>& _qvecCarData)
{
    if (Empty("CLS_DataAccess::SaveCarRecvDataToDB _qvecCarData is empty", _qvecCarData)) {
        return -1;
    }
    return Owned(m_pCarDataRecvDao, "CLS_DataAccess::SaveCarRecvDataToDB() m_pCarDataRecvDao == nullptr",
                 [&](CLS_CarDataRecvDao* p) { return p->SaveCarRecvData(_qvecCarData); });
}

int CLS_DataAccess::SavePadRecvDataToDB(QVector<CLS_PadDataRecvEntity>& _qvecPadData)
{
    if (Empty("CLS_DataAccess::SavePadRecvDataToDB _qvecPadData is empty", _qvecPadData)) {
        return -1;
    }
    return Owned(m_pPadDataRecvDao, "CLS_DataAccess::SavePadRecvDataToDB() m_pPadDataRecvDao == nullptr",
                 [&](CLS_PadDataRecvDao* p) { return p->SavePadRecvData(_qvecPadData); });
}

int CLS_DataAccess::SaveWayRecvDataToDB(QVector<CLS_WayDataRecEntity>& _qvecWayData)
{
    if (Empty("CLS_DataAccess::SaveWayRecvDataToDB _qvecWayData is empty", _qvecWayData)) {
        return -1;
    }
    return Owned(m_pWayDataRecEntityDAO,
                 "CLS_DataAccess::SaveWayRecvDataToDB() m_pWayDataRecEntityDAO == nullptr",
                 [&](CLS_WayDataRecEntityDAO* p) { return p->SaveWayRecvData(_qvecWayData); });
}

int CLS_DataAccess::QueryCarHistory(const STRCT_PassageQuery& _query,
                                    QVector<CLS_CarDataRecvEntity>& _vecRecords)
{
    if (BadPage("CLS_DataAccess::QueryCarHistory", _query)) {
        return -1;
    }
    return Owned(m_pCarDataRecvDao, "CLS_DataAccess::QueryCarHistory() m_pCarDataRecvDao == nullptr",
                 [&](CLS_CarDataRecvDao* p) { return p->QueryCarHistory(_query, _vecRecords); });
}

int CLS_DataAccess::GetCarRecordCount(const STRCT_PassageQuery& _query)
{
    return Owned(m_pCarDataRecvDao, "CLS_DataAccess::GetCarRecordCount() m_pCarDataRecvDao == nullptr",
                 [&](CLS_CarDataRecvDao* p) { return p->GetCarRecordCount(_query); });
}

int CLS_DataAccess::GetPadRecordCount(const STRCT_PassageQuery& _query)
{
    return Owned(m_pPadDataRecvDao, "CLS_DataAccess::GetPadRecordCount() m_pPadDataRecvDao == nullptr",
                 [&](CLS_PadDataRecvDao* p) { return p->GetPadRecordCount(_query); });
}

int CLS_DataAccess::GetWayRecordCount(const STRCT_PassageQuery& _query)
{
    return Owned(m_pWayDataRecEntityDAO,
                 "CLS_DataAccess::GetWayRecordCount() m_pWayDataRecEntityDAO == nullptr",
                 [&](CLS_WayDataRecEntityDAO* p) { return p->GetWayRecordCount(_query); });
}

int CLS_DataAccess::GetCarPicFiles(int _iFileNum, QVector<CLS_CarDataRecvEntity>& _vecRecords)
{
    return Owned(m_pCarDataRecvDao, "CLS_DataAccess::GetCarPicFiles() m_pCarDataRecvDao == nullptr",
                 [&](CLS_CarDataRecvDao* p) { return p->GetCarPicFiles(_iFileNum, _vecRecords); });
}

int CLS_DataAccess::GetPadPicFiles(int _iFileNum, QVector<CLS_PadDataRecvEntity>& _vecRecords)
{
    return Owned(m_pPadDataRecvDao, "CLS_DataAccess::GetPadPicFiles() m_pPadDataRecvDao == nullptr",
                 [&](CLS_PadDataRecvDao* p) { return p->GetPadPicFiles(_iFileNum, _vecRecords); });
}

int CLS_DataAccess::GetWayPicFiles(int _iFileNum, QVector<CLS_WayDataRecEntity>& _vecRecords)
{
    return Owned(m_pWayDataRecEntityDAO, "CLS_DataAccess::GetWayPicFiles() m_pWayDataRecEntityDAO == nullptr",
                 [&](CLS_WayDataRecEntityDAO* p) { return p->GetWayPicFiles(_iFileNum, _vecRecords); });
}

int CLS_DataAccess::DelCarPicRec(const QList<QPair<QString, QString>>& _lstIdTimes)
{
    return Owned(m_pCarDataRecvDao, "CLS_DataAccess::DelCarPicRec() m_pCarDataRecvDao == nullptr",
                 [&](CLS_CarDataRecvDao* p) { return p->DelCarPicRec(_lstIdTimes); });
}

int CLS_DataAccess::DelPadPicRec(const QList<QPair<QString, QString>>& _lstIdTimes)
{
    return Owned(m_pPadDataRecvDao, "CLS_DataAccess::DelPadPicRec() m_pPadDataRecvDao == nullptr",
                 [&](CLS_PadDataRecvDao* p) { return p->DelPadPicRec(_lstIdTimes); });
}

int CLS_DataAccess::DelWayPicRec(const QList<QPair<QString, QString>>& _lstIdTimes)
{
    return Owned(m_pWayDataRecEntityDAO, "CLS_DataAccess::DelWayPicRec() m_pWayDataRecEntityDAO == nullptr",
                 [&](CLS_WayDataRecEntityDAO* p) { return p->DelWayPicRec(_lstIdTimes); });
}

int CLS_DataAccess::DeleteAllCarPicData()
{
    return Owned(m_pCarDataRecvDao, "CLS_DataAccess::DeleteAllCarPicData() m_pCarDataRecvDao == nullptr",
                 [&](CLS_CarDataRecvDao* p) { return p->DeleteAllCarPicData(); });
}

int CLS_DataAccess::DeleteAllPadPicData()
{
    return Owned(m_pPadDataRecvDao, "CLS_DataAccess::DeleteAllPadPicData() m_pPadDataRecvDao == nullptr",
                 [&](CLS_PadDataRecvDao* p) { return p->DeleteAllPadPicData(); });
}

int CLS_DataAccess::DeleteAllWayPicData()
{
    return Owned(m_pWayDataRecEntityDAO,
                 "CLS_DataAccess::DeleteAllWayPicData() m_pWayDataRecEntityDAO == nullptr",
                 [&](CLS_WayDataRecEntityDAO* p) { return p->DeleteAllWayPicData(); });
}

int CLS_DataAccess::GetPadTerminalName(QString _qstrTerminalSn, QString& _qstrName)
{
    if (_qstrTerminalSn.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetPadTerminalName _qstrTerminalSn.isEmpty()");
        return -1;
    }
    return Owned(m_pPadDataRecvDao, "CLS_DataAccess::GetPadTerminalName() m_pPadDataRecvDao == nullptr",
                 [&](CLS_PadDataRecvDao* p) { return p->GetTerminalName(_qstrTerminalSn, _qstrName); });
}
