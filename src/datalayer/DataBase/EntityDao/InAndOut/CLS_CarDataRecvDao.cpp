#include "CLS_CarDataRecvDao.h"

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "Log.h"

using namespace DeviceDao;

namespace {

const CLS_PassageHistoryDAO::Layout kLayout{"TAB_CAR_HISTORY",
                                            "S_PassTime",
                                            "AND S_Vlp=",
                                            "S_Vlp",
                                            ":VLP",
                                            "AND S_SN IN(",
                                            "CLS_CarDataRecvDao::QueryCarHistory",
                                            "CLS_CarDataRecvDao::GetCarRecordCount",
                                            "CLS_CarDataRecvDao::GetCarPicFiles"};

// The insert of record _iIndex; the index in the id's placeholder keeps the statements of one
// transaction apart.
CLS_PassageHistoryDAO::Insert InsertOf(const CLS_CarDataRecvEntity& r, int _iIndex, const QString& _qstrMonth)
{
    const QString qstrIdKey = ":ID_" + QString::number(_iIndex);
    CLS_PassageHistoryDAO::Insert insert;
    insert.qstrMonth = _qstrMonth;
    insert.qstrSql =
        QStringLiteral(
            "Insert into TAB_CAR_HISTORY(S_ID,S_Vlp,S_Vlpc,S_PassTime,S_Image,S_PlateImage,                  "
            "                                 S_DriverImage,S_SN,S_TerminalName,S_SaveTime) Values(") +
        qstrIdKey + "," + ":Vlp," + ":Vlpc," + ":passtime," + ":image," + ":PlateImage," + ":DriverImage," +
        ":SN," + ":TerminalName," + ":SaveTime)";
    insert.mapBind = Binds{{qstrIdKey, r.S_ID},
                           {":Vlp", r.S_Vlp},
                           {":Vlpc", r.S_Vlpc},
                           {":passtime", r.S_PassTime},
                           {":image", r.S_Image},
                           {":PlateImage", r.S_PlateImage},
                           {":DriverImage", r.S_DriverImage},
                           {":SN", r.S_SN},
                           {":TerminalName", r.S_TerminalName},
                           {":SaveTime", r.S_SaveTime}};
    return insert;
}

}  // namespace

CLS_CarDataRecvDao* CLS_CarDataRecvDao::GetInstance()
{
    static CLS_CarDataRecvDao* const s_pInstance = new CLS_CarDataRecvDao();
    return s_pInstance;
}

CLS_CarDataRecvDao::CLS_CarDataRecvDao() : CLS_PassageHistoryDAO(kLayout) {}

void CLS_CarDataRecvDao::Load(const Row& _row, CLS_CarDataRecvEntity& _record)
{
    _record.S_ID = Text(_row, "S_ID");
    _record.S_Vlp = Text(_row, "S_Vlp");
    _record.S_Vlpc = Text(_row, "S_Vlpc");
    _record.S_PassTime = Text(_row, "S_PassTime");
    _record.S_Image = Text(_row, "S_Image");
    _record.S_PlateImage = Text(_row, "S_PlateImage");
    _record.S_DriverImage = Text(_row, "S_DriverImage");
    _record.S_SN = Text(_row, "S_SN");
    _record.S_TerminalName = Text(_row, "S_TerminalName");
    _record.S_SaveTime = Text(_row, "S_SaveTime");
}

int CLS_CarDataRecvDao::SaveCarRecvData(QVector<CLS_CarDataRecvEntity>& _vecRecords)
{
    return SaveRecords("CLS_CarDataRecvDao::SaveCarRecvData", _vecRecords, &CLS_CarDataRecvEntity::S_PassTime,
                       &InsertOf);
}

int CLS_CarDataRecvDao::QueryCarHistory(const STRCT_PassageQuery& _query,
                                        QVector<CLS_CarDataRecvEntity>& _vecRecords)
{
    QVector<Row> vecRows;
    return ToRecords(QueryPage(_query, vecRows), vecRows, _vecRecords, &Load);
}

int CLS_CarDataRecvDao::GetCarRecordCount(const STRCT_PassageQuery& _query)
{
    return Count(_query);
}

int CLS_CarDataRecvDao::GetCarPicFiles(int _iCount, QVector<CLS_CarDataRecvEntity>& _vecRecords)
{
    QVector<Row> vecRows;
    return ToRecords(Oldest(_iCount, vecRows), vecRows, _vecRecords, &Load);
}

int CLS_CarDataRecvDao::DelCarPicRec(const QList<QPair<QString, QString>>& _lstIdTimes)
{
    return DeleteByIds(_lstIdTimes);
}

int CLS_CarDataRecvDao::DeleteAllCarPicData()
{
    return DeleteAll();
}
