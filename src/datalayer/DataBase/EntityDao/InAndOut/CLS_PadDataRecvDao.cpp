#include "CLS_PadDataRecvDao.h"

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "Log.h"

using namespace DeviceDao;

namespace {

const CLS_PassageHistoryDAO::Layout kLayout{"TAB_PAD_HISTORY",
                                            "S_PassTime",
                                            "AND S_UserCode=",
                                            "S_UserCode",
                                            ":UserCode",
                                            "AND S_TerminalSn IN(",
                                            "CLS_PadDataRecvDao::QueryPadHistory",
                                            "CLS_PadDataRecvDao::GetPadRecordCount",
                                            "CLS_PadDataRecvDao::GetPadPicFiles"};

// The insert of record _iIndex; the index in the id's placeholder keeps the statements of one
// transaction apart.
CLS_PassageHistoryDAO::Insert InsertOf(const CLS_PadDataRecvEntity& r, int _iIndex, const QString& _qstrMonth)
{
    const QString qstrIdKey = ":ID_" + QString::number(_iIndex);
    CLS_PassageHistoryDAO::Insert insert;
    insert.qstrMonth = _qstrMonth;
    insert.qstrSql =
        QStringLiteral(
            "Insert into TAB_PAD_HISTORY(S_ID,S_UserCode,S_UserName,S_PassTime,S_Image,S_TerminalSn,         "
            "                                          S_TerminalName,S_SaveTime) Values(") +
        qstrIdKey + "," + ":UserCode," + ":UserName," + ":passtime," + ":image," + ":SN," + ":terminalname," +
        ":savetime)";
    insert.mapBind = Binds{{qstrIdKey, r.S_ID},
                           {":UserCode", r.S_UserCode},
                           {":UserName", r.S_UserName},
                           {":passtime", r.S_PassTime},
                           {":image", r.S_Image},
                           {":SN", r.S_TerminalSn},
                           {":terminalname", r.S_TerminalName},
                           {":savetime", r.S_SaveTime}};
    return insert;
}

}  // namespace

CLS_PadDataRecvDao* CLS_PadDataRecvDao::GetInstance()
{
    static CLS_PadDataRecvDao* const s_pInstance = new CLS_PadDataRecvDao();
    return s_pInstance;
}

CLS_PadDataRecvDao::CLS_PadDataRecvDao() : CLS_PassageHistoryDAO(kLayout) {}

void CLS_PadDataRecvDao::Load(const Row& _row, CLS_PadDataRecvEntity& _record)
{
    _record.S_ID = Text(_row, "S_ID");
    _record.S_UserCode = Text(_row, "S_UserCode");
    _record.S_UserName = Text(_row, "S_UserName");
    _record.S_PassTime = Text(_row, "S_PassTime");
    _record.S_Image = Text(_row, "S_Image");
    _record.S_TerminalSn = Text(_row, "S_TerminalSn");
    _record.S_TerminalName = Text(_row, "S_TerminalName");
    _record.S_SaveTime = Text(_row, "S_SaveTime");
}

int CLS_PadDataRecvDao::SavePadRecvData(QVector<CLS_PadDataRecvEntity>& _vecRecords)
{
    return SaveRecords("CLS_PadDataRecvDao::SavePadRecvData", _vecRecords, &CLS_PadDataRecvEntity::S_PassTime,
                       &InsertOf);
}

int CLS_PadDataRecvDao::QueryPadHistory(const STRCT_PassageQuery& _query,
                                        QVector<CLS_PadDataRecvEntity>& _vecRecords)
{
    QVector<Row> vecRows;
    return ToRecords(QueryPage(_query, vecRows), vecRows, _vecRecords, &Load);
}

int CLS_PadDataRecvDao::GetPadRecordCount(const STRCT_PassageQuery& _query)
{
    return Count(_query);
}

int CLS_PadDataRecvDao::GetPadPicFiles(int _iCount, QVector<CLS_PadDataRecvEntity>& _vecRecords)
{
    QVector<Row> vecRows;
    return ToRecords(Oldest(_iCount, vecRows), vecRows, _vecRecords, &Load);
}

int CLS_PadDataRecvDao::DelPadPicRec(const QList<QPair<QString, QString>>& _lstIdTimes)
{
    return DeleteByIds(_lstIdTimes);
}

int CLS_PadDataRecvDao::DeleteAllPadPicData()
{
    return DeleteAll();
}

int CLS_PadDataRecvDao::GetTerminalName(const QString& _qstrSn, QString& _qstrName)
{
    return Guarded("CLS_PadDataRecvDao::GetTerminalName", -1, [&] {
        const Rows rows(ExecuteQueryEx(QStringLiteral("Tessel"),
                                       "SELECT  S_NAME FROM  TAB_DEV   WHERE  S_SN = :SN",
                                       {{":SN", _qstrSn}}));
        if (rows.Failed()) {
            DL_LOG(2, "CLS_PadDataRecvDao::GetTerminalName nullptr == pRecSet");
            return -1;
        }
        _qstrName = rows.First() != nullptr ? Text(*rows.First(), "S_NAME") : QString();
        return 0;
    });
}
