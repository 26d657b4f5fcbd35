#include "CLS_RecFileEntityDAO.h"

#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "Log.h"

using namespace DeviceDao;

const char* const CLS_RecFileEntityDAO::kTable = "TAB_REC_FILE";

namespace {

const char kSearchColumns[] =
    "I_ID, S_HOST_ID, S_CAMERA_ID, I_REC_TYPE_ID, S_RECFILE_NAME, S_SAVE_PATH, DT_START, DT_END, I_LENGTH, "
    "I_LOCK, S_SAVE_DISK";

// Rows of a query on this client's table; null without a system id or an answer.
RecordSet* QueryOwn(const QString& _strDbName, const QString& _strSql, const QString& _strWhere,
                    const Binds& _mapBind = Binds())
{
    QString strSysId;
    if (CLS_BaseEntityDAO::GetSysId(strSysId) != 0) {
        return nullptr;
    }
    return CLS_BaseEntityDAO::PartitionExecuteQueryEx(_strDbName, _strSql, _strWhere,
                                                      CLS_RecFileEntityDAO::kTable, strSysId, strSysId, -1, -1,
                                                      QString(), _mapBind);
}

int ExecuteOwn(const QString& _strDbName, const QString& _strSql, const Binds& _mapBind = Binds())
{
    QString strSysId;
    if (CLS_BaseEntityDAO::GetSysId(strSysId) != 0) {
        return -1;
    }
    return _mapBind.isEmpty()
               ? CLS_BaseEntityDAO::PartitionExecute(_strDbName, _strSql, CLS_RecFileEntityDAO::kTable, strSysId)
               : CLS_BaseEntityDAO::PartitionExecuteEx(_strDbName, _strSql, CLS_RecFileEntityDAO::kTable,
                                                       strSysId, _mapBind);
}

}  // namespace

CLS_RecFileEntityDAO* CLS_RecFileEntityDAO::GetInstance()
{
    static CLS_RecFileEntityDAO* const s_pInstance = new CLS_RecFileEntityDAO();
    return s_pInstance;
}

CLS_RecFileEntityDAO::CLS_RecFileEntityDAO()
{
    m_strDbName = QStringLiteral("Tessel-record");
}

CLS_RecFileEntityDAO::~CLS_RecFileEntityDAO() = default;

void CLS_RecFileEntityDAO::LoadRecFile(const Row& _row, CLS_RecFileEntity& e)
{
    e.I_ID = Int(_row, "I_ID");
    e.S_HOST_ID = Text(_row, "S_HOST_ID");
    e.S_CAMERA_ID = Text(_row, "S_CAMERA_ID");
    e.I_REC_TYPE_ID = Int(_row, "I_REC_TYPE_ID");
    e.S_RECFILE_NAME = Text(_row, "S_RECFILE_NAME");
    e.S_SAVE_PATH = Text(_row, "S_SAVE_PATH");
    e.DT_START = Text(_row, "DT_START");
    e.DT_END = Text(_row, "DT_END");
    e.I_LENGTH = Text(_row, "I_LENGTH").toUInt();
    e.I_LOCK = Int(_row, "I_LOCK");
    e.S_SAVE_DISK = Text(_row, "S_SAVE_DISK");
    e.S_CAMERA_NAME = Text(_row, "S_CAMERA_NAME");
    e.I_REC_STREAM_TYPE = Int(_row, "I_REC_STREAM_TYPE");
}

int CLS_RecFileEntityDAO::AddRecordFile(const CLS_RecFileEntity& _entity)
{
    return Guarded("CLS_RecFileEntityDAO::AddRecordFile", -1, [&] {
        const QString strSql =
            QStringLiteral("Insert Into TAB_REC_FILE ( S_HOST_ID, S_CAMERA_ID, I_REC_TYPE_ID, I_REC_STREAM_TYPE, "
                           "S_RECFILE_NAME, S_SAVE_PATH, DT_START, ") +
            " DT_END, I_LENGTH, I_LOCK, S_SAVE_DISK) Values (" + ":hostID,:channelID," +
            IntToString(_entity.I_REC_TYPE_ID) + "," + IntToString(_entity.I_REC_STREAM_TYPE) + "," +
            ":fileName,:savePath,:startTime,:endTime," + UIntToString(_entity.I_LENGTH) + "," +
            IntToString(_entity.I_LOCK) + "," + ":disk)";
        const Binds mapBind{{":hostID", _entity.S_HOST_ID},       {":channelID", _entity.S_CAMERA_ID},
                            {":fileName", _entity.S_RECFILE_NAME}, {":savePath", _entity.S_SAVE_PATH},
                            {":startTime", _entity.DT_START},      {":endTime", _entity.DT_END},
                            {":disk", _entity.S_SAVE_DISK}};
        return ExecuteOwn(m_strDbName, strSql, mapBind);
    });
}

int CLS_RecFileEntityDAO::AddRecordFileToTransaction(const QVector<CLS_RecFileEntity>& _vecEntities)
{
    if (_vecEntities.isEmpty()) {
        return 0;
    }
    QString strSql = QStringLiteral("Insert Into TAB_REC_FILE ( S_HOST_ID, S_CAMERA_ID, I_REC_TYPE_ID, "
                                    "I_REC_STREAM_TYPE, S_RECFILE_NAME, S_SAVE_PATH, DT_START,") +
                     "\tDT_END, I_LENGTH, I_LOCK, S_SAVE_DISK) Values ";
    Binds mapBind;
    for (int i = 0; i < _vecEntities.size(); ++i) {
        const CLS_RecFileEntity& e = _vecEntities.at(i);
        const QString strIndex = QString::number(i);
        if (i > 0) {
            strSql += ",";
        }
        strSql += "(:HostID_" + strIndex + ",:ChannelID_" + strIndex + "," + IntToString(e.I_REC_TYPE_ID) + "," +
                  IntToString(e.I_REC_STREAM_TYPE) + ",:FileName_" + strIndex + ",:SavePath_" + strIndex +
                  ",:StartTime_" + strIndex + ",:EndTime_" + strIndex + "," + UIntToString(e.I_LENGTH) + "," +
                  IntToString(e.I_LOCK) + ",:Disk_" + strIndex + ")";
        mapBind.insert(":HostID_" + strIndex, e.S_HOST_ID);
        mapBind.insert(":ChannelID_" + strIndex, e.S_CAMERA_ID);
        mapBind.insert(":FileName_" + strIndex, e.S_RECFILE_NAME);
        mapBind.insert(":SavePath_" + strIndex, e.S_SAVE_PATH);
        mapBind.insert(":StartTime_" + strIndex, e.DT_START);
        mapBind.insert(":EndTime_" + strIndex, e.DT_END);
        mapBind.insert(":Disk_" + strIndex, e.S_SAVE_DISK);
    }
    m_lstQueueSql.append(strSql);
    m_lstQueueBind.append(mapBind);
    return 0;
}

int CLS_RecFileEntityDAO::AddRecordFileByTransaction()
{
    if (m_lstQueueSql.size() != m_lstQueueBind.size()) {
        DL_LOG(2, "AddRecordFileByTransaction sqlsize:%d != bindvalue size:%d.", m_lstQueueSql.size(),
               m_lstQueueBind.size());
        m_lstQueueSql.clear();
        m_lstQueueBind.clear();
        return -1;
    }
    const QList<QString> lstSql = m_lstQueueSql;
    const QList<Binds> lstBind = m_lstQueueBind;
    m_lstQueueSql.clear();
    m_lstQueueBind.clear();
    if (lstSql.isEmpty()) {
        return 0;
    }
    return Guarded("CLS_RecFileEntityDAO::AddRecordFileByTransaction", -1, [&] {
        QString strSysId;
        if (GetSysId(strSysId) != 0) {
            return -1;
        }
        // The transaction form keys a partition's statements by their text and runs them in
        // text order: two batches of the same size would share one text (and one would be
        // lost), and I_ID must follow the queue. A leading comment with the queue position
        // makes every text unique and its order the queue's.
        QMap<QString, Binds> mapStatements;
        for (int i = 0; i < lstSql.size(); ++i) {
            mapStatements.insert(QString("/*%1*/ ").arg(i, 8, 10, QLatin1Char('0')) + lstSql.at(i), lstBind.at(i));
        }
        return PartitionExecuteTransactionEx(m_strDbName, kTable, {{strSysId, mapStatements}});
    });
}

int CLS_RecFileEntityDAO::SearchPlaybackRecFile(const CLS_RecFileSearchEntity& _search,
                                                QVector<CLS_RecFileEntity*>& _vecFiles)
{
    try {
        const QString strSql = QStringLiteral("SELECT ") + kSearchColumns + " FROM TAB_REC_FILE";
        QString strWhere = " where ";
        Binds mapBind;
        if (!_search.m_strChannelID.isEmpty()) {
            strWhere += "S_CAMERA_ID =:channelID and ";
            mapBind.insert(":channelID", _search.m_strChannelID);
        }
        if (_search.m_iStreamType != -1) {
            strWhere += "I_REC_STREAM_TYPE =" + IntToString(_search.m_iStreamType) + " and ";
        }
        if (_search.m_iRecType > 0) {
            strWhere += "I_REC_TYPE_ID =" + IntToString(_search.m_iRecType) + " and ";
        }
        strWhere += "((DT_START >= :startTime AND DT_END <= :endTime) "
                    "                OR (DT_START <= :startTime AND DT_END >= :startTime)"
                    "                OR (DT_START <= :endTime AND DT_END >= :endTime) "
                    "                OR (DT_START <= :startTime AND DT_END >= :endTime ))";
        mapBind.insert(":startTime", _search.m_strStartTime);
        mapBind.insert(":endTime", _search.m_strEndTime);
        if (_search.m_iLock > 0) {
            strWhere += " AND I_LOCK =" + IntToString(_search.m_iLock);
        }
        strWhere += " ORDER BY DT_START";
        return ReadEntities(QueryOwn(m_strDbName, strSql + strWhere, strWhere, mapBind), _vecFiles,
                            &CLS_RecFileEntityDAO::LoadRecFile);
    } catch (const std::exception& e) {
        DL_LOG(4, "SearchPlaybackRecFile exception error:%s", e.what());
    } catch (...) {
        DL_LOG(4, "SearchPlaybackRecFile exception error:%s", "unknown");
    }
    return -1;
}

int CLS_RecFileEntityDAO::DeleteRecordFileByIds(const QSet<qint32>& _setIds)
{
    if (_setIds.isEmpty()) {
        return -1;
    }
    return Guarded("CLS_RecFileEntityDAO::DeleteRecordFileByIds", -1, [&] {
        QStringList lstIds;
        for (const qint32 iId : _setIds) {
            lstIds.append(IntToString(iId));
        }
        return ExecuteOwn(m_strDbName, "Delete From TAB_REC_FILE Where I_ID  in (" + lstIds.join(",") + ")");
    });
}

int CLS_RecFileEntityDAO::DeleteAllRecordFile(const QString& _strSaveDisk)
{
    return Guarded("CLS_RecFileEntityDAO::DeleteAllRecordFile", -1, [&] {
        if (_strSaveDisk.isEmpty()) {
            return ExecuteOwn(m_strDbName, "Delete From TAB_REC_FILE ");
        }
        return ExecuteOwn(m_strDbName, "Delete From TAB_REC_FILE  where S_SAVE_DISK=:disk",
                          {{":disk", _strSaveDisk}});
    });
}

QDateTime CLS_RecFileEntityDAO::GetEarliestRecordTime()
{
    return Guarded("CLS_RecFileEntityDAO::GetEarliestRecordTime", QDateTime(), [&] {
        const Rows rows(QueryOwn(m_strDbName, "select min(DT_START)  as DT_START from TAB_REC_FILE", QString()));
        const Row* pRow = rows.First();
        return pRow != nullptr ? QDateTime::fromString(Text(*pRow, "DT_START"), "yyyy-MM-dd hh:mm:ss")
                               : QDateTime();
    });
}

int CLS_RecFileEntityDAO::GetAllRecordFile(QVector<CLS_RecFileEntity*>& _vecFiles)
{
    return Guarded("CLS_RecFileEntityDAO::GetAllRecordFile", -1, [&] {
        return ReadEntities(QueryOwn(m_strDbName, "select  *  from TAB_REC_FILE order by DT_START asc", QString()),
                            _vecFiles, &CLS_RecFileEntityDAO::LoadRecFile);
    });
}

qint64 CLS_RecFileEntityDAO::GetOldestRecordFileLength(int _iCount)
{
    return Guarded("CLS_RecFileEntityDAO::GetOldestRecordFileLength", qint64(-1), [&] {
        // The count goes in as given: "LIMIT 0,-1" sums every file.
        const Rows rows(
            QueryOwn(m_strDbName,
                     "SELECT SUM(I_LENGTH) I_LENGTH_SUM FROM (SELECT I_LENGTH FROM TAB_REC_FILE ORDER "
                     "BY I_ID LIMIT 0," +
                         IntToString(_iCount) + ")",
                     QString()));
        if (rows.Failed()) {
            DL_LOG(2, "CLS_RecFileEntityDAO::GetOldestRecordFileLength pRecSet == nullptr");
            return qint64(-1);
        }
        const Row* pRow = rows.First();
        return pRow != nullptr ? Text(*pRow, "I_LENGTH_SUM").toLongLong() : qint64(0);
    });
}

qint64 CLS_RecFileEntityDAO::GetTotalRecordFileLength()
{
    return Guarded("CLS_RecFileEntityDAO::GetTotalRecordFileLength", qint64(-1), [&] {
        const Rows rows(QueryOwn(m_strDbName, "select *  from TAB_REC_FILE", QString()));
        if (rows.Failed()) {
            DL_LOG(2, "CLS_RecFileEntityDAO::GetTotalRecordFileLength pRecSet == nullptr");
            return qint64(-1);
        }
        qint64 i64Total = 0;
        for (const Row* pRow : rows) {
            if (pRow != nullptr) {
                i64Total += Text(*pRow, "I_LENGTH").toUInt();
            }
        }
        return i64Total;
    });
}
