#include "CLS_WayDataRecEntityDAO.h"

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "Log.h"

#include <QDateTime>

using namespace DeviceDao;

namespace {

const CLS_PassageHistoryDAO::Layout kLayout{"TAB_WAY_HISTORY",
                                            "S_passtime",
                                            "AND S_VLP=",
                                            "S_VLP",
                                            ":VLP",
                                            "AND S_SN IN(",
                                            "CLS_WayDataRecEntityDAO::QueryWayHistory",
                                            "CLS_WayDataRecEntityDAO::GetWayRecordCount",
                                            "CLS_WayDataRecEntityDAO::GetWayPicFiles"};

// The insert of record _iIndex; the index in the id's placeholder keeps the statements of one
// transaction apart.
CLS_PassageHistoryDAO::Insert InsertOf(const CLS_WayDataRecEntity& r, int _iIndex, const QString& _qstrMonth)
{
    const QString qstrIdKey = ":ID_" + QString::number(_iIndex);
    CLS_PassageHistoryDAO::Insert insert;
    insert.qstrMonth = _qstrMonth;
    insert.qstrSql =
        QStringLiteral(
            "Insert into TAB_WAY_HISTORY(S_ID,S_VLP,S_VLPC,S_passtime,S_image,S_plateimage,                  "
            "                   S_driverimage,S_SN,S_terminalname,S_carcolor,S_cartype,S_carclass,           "
            "                          S_crossing,S_lane,S_runingdirection,S_savetime) Values(") +
        qstrIdKey + "," + ":VLP," + ":VLPC," + ":passtime," + ":image," + ":plateimage," + ":driverimage," +
        ":SN," + ":terminalname," + ":carcolor," + ":cartype," + ":carclass," + ":crossing," + ":lane," +
        ":runingdirection," + ":savetime)";
    insert.mapBind = Binds{{qstrIdKey, r.S_ID},
                           {":VLP", r.S_VLP},
                           {":VLPC", r.S_VLPC},
                           {":passtime", r.S_passtime},
                           {":image", r.S_image},
                           {":plateimage", r.S_plateimage},
                           {":driverimage", r.S_driverimage},
                           {":SN", r.S_SN},
                           {":terminalname", r.S_terminalname},
                           {":carcolor", r.S_carcolor},
                           {":cartype", r.S_cartype},
                           {":carclass", r.S_carclass},
                           {":crossing", r.S_crossing},
                           {":lane", r.S_lane},
                           {":runingdirection", r.S_runingdirection},
                           {":savetime", r.S_savetime}};
    return insert;
}

}  // namespace

CLS_WayDataRecEntityDAO* CLS_WayDataRecEntityDAO::GetInstance()
{
    static CLS_WayDataRecEntityDAO* const s_pInstance = new CLS_WayDataRecEntityDAO();
    return s_pInstance;
}

CLS_WayDataRecEntityDAO::CLS_WayDataRecEntityDAO() : CLS_PassageHistoryDAO(kLayout) {}

void CLS_WayDataRecEntityDAO::Load(const Row& _row, CLS_WayDataRecEntity& _record)
{
    _record.S_ID = Text(_row, "S_ID");
    _record.S_VLP = Text(_row, "S_VLP");
    _record.S_VLPC = Text(_row, "S_VLPC");
    _record.S_passtime = Text(_row, "S_passtime");
    _record.S_image = Text(_row, "S_image");
    _record.S_plateimage = Text(_row, "S_plateimage");
    _record.S_driverimage = Text(_row, "S_driverimage");
    _record.S_SN = Text(_row, "S_SN");
    _record.S_terminalname = Text(_row, "S_terminalname");
    _record.S_carcolor = Text(_row, "S_carcolor");
    _record.S_cartype = Text(_row, "S_cartype");
    _record.S_carclass = Text(_row, "S_carclass");
    _record.S_crossing = Text(_row, "S_crossing");
    _record.S_lane = Text(_row, "S_lane");
    _record.S_runingdirection = Text(_row, "S_runingdirection");
    _record.S_savetime = Text(_row, "S_savetime");
}

int CLS_WayDataRecEntityDAO::SaveWayRecvData(QVector<CLS_WayDataRecEntity>& _vecRecords)
{
    const QString qstrSaveTime = QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss:zzz");
    for (CLS_WayDataRecEntity& r : _vecRecords) {
        r.S_savetime = qstrSaveTime;
    }
    return SaveRecords("CLS_WayDataRecEntityDAO::SaveWayRecvData", _vecRecords,
                       &CLS_WayDataRecEntity::S_passtime, &InsertOf);
}

int CLS_WayDataRecEntityDAO::QueryWayHistory(const STRCT_PassageQuery& _query,
                                             QVector<CLS_WayDataRecEntity>& _vecRecords)
{
    QVector<Row> vecRows;
    return ToRecords(QueryPage(_query, vecRows), vecRows, _vecRecords, &Load);
}

int CLS_WayDataRecEntityDAO::GetWayRecordCount(const STRCT_PassageQuery& _query)
{
    return Count(_query);
}

int CLS_WayDataRecEntityDAO::GetWayPicFiles(int _iCount, QVector<CLS_WayDataRecEntity>& _vecRecords)
{
    QVector<Row> vecRows;
    return ToRecords(Oldest(_iCount, vecRows), vecRows, _vecRecords, &Load);
}

int CLS_WayDataRecEntityDAO::DelWayPicRec(const QList<QPair<QString, QString>>& _lstIdTimes)
{
    return DeleteByIds(_lstIdTimes);
}

int CLS_WayDataRecEntityDAO::DeleteAllWayPicData()
{
    return DeleteAll();
}
