#include "CLS_FaceLibSyncTaskEntityDAO.h"

#include "DataBase/EntityDao/DB/EntityRows.h"
#include "FaceDaoSupport.h"
#include "Log.h"

#include <exception>

namespace {

const char kTaskColumns[] =
    "(S_ID, S_TARGETLIB_ID, S_HOST_ID, S_CHAN_ID, S_FINGER_OR_CARD_ID, S_PERSON_ID, S_NAME, I_OPT_CMD, I_SUB_CMD, "
    "DT_OPT_TIME) ";
const char kDeleteTask[] = "DELETE FROM TAB_FACELIB_HOST_SYNC_TASK WHERE  S_ID =:id ";

// The insert of a pending task with its binds.
QString taskInsert(const CLS_FaceLibSyncTaskEntity& _task, QMap<QString, QVariant>& _mapBind)
{
    _mapBind.insert(":id", _task.S_ID);
    _mapBind.insert(":TargetLibId", _task.S_TARGETLIB_ID);
    _mapBind.insert(":HostId", _task.S_HOST_ID);
    _mapBind.insert(":ChanId", _task.S_CHAN_ID);
    _mapBind.insert(":FingerOrCardId", _task.S_FINGER_OR_CARD_ID);
    _mapBind.insert(":PersonId", _task.S_PERSON_ID);
    _mapBind.insert(":Name", _task.S_NAME);
    _mapBind.insert(":OptTime", _task.DT_OPT_TIME);
    return QString("Insert Into TAB_FACELIB_HOST_SYNC_TASK ") + kTaskColumns +
           "Values (:id, :TargetLibId, :HostId, :ChanId, :FingerOrCardId, :PersonId, :Name, " +
           QString::number(_task.I_OPT_CMD) + ", " + QString::number(_task.I_SUB_CMD) + ", :OptTime)";
}

CLS_FaceLibSyncTaskEntity taskFromRow(const QMap<QString, QString>& _row)
{
    CLS_FaceLibSyncTaskEntity task;
    task.S_ID = _row.value("S_ID");
    task.S_TARGETLIB_ID = _row.value("S_TARGETLIB_ID");
    task.S_HOST_ID = _row.value("S_HOST_ID");
    task.S_CHAN_ID = _row.value("S_CHAN_ID");
    task.S_FINGER_OR_CARD_ID = _row.value("S_FINGER_OR_CARD_ID");
    task.S_PERSON_ID = _row.value("S_PERSON_ID");
    task.I_OPT_CMD = _row.value("I_OPT_CMD").toInt();
    task.I_SUB_CMD = _row.value("I_SUB_CMD").toInt();
    task.DT_OPT_TIME = _row.value("DT_OPT_TIME");
    task.S_NAME = _row.value("S_NAME");
    task.S_ERROR = _row.value("S_ERROR");
    task.S_NUMBER = _row.value("S_NUMBER");
    task.S_CARDNO = _row.value("S_CARDNO");
    task.I_SEX = _row.value("I_SEX").toInt();
    task.DT_BIRTHDAY = _row.value("DT_BIRTHDAY");
    task.S_FACEPIC_PATH = _row.value("S_FACEPIC_PATH");
    return task;
}

int readTasks(const QString& _strDbName, const QString& _strSql, const QMap<QString, QVariant>& _mapBind,
              QVector<CLS_FaceLibSyncTaskEntity>& _vecTasks)
{
    return ReadEntities(_strDbName, _strSql, _mapBind, _vecTasks, taskFromRow, "CLS_FaceLibSyncTaskEntityDAO::readTasks");
}

// The criteria of the failure-table operations, each when set, in their fixed order.
QString failCriteria(const STRCT_FaceSyncTaskQuery& _query, QMap<QString, QVariant>& _mapBind)
{
    QString qstrSql;
    const auto addText = [&](const QString& _qstrValue, const char* _pszClause, const char* _pszName) {
        if (!_qstrValue.isEmpty()) {
            qstrSql += _pszClause;
            _mapBind.insert(_pszName, _qstrValue);
        }
    };
    addText(_query.m_qstrTaskId, " AND S_ID =:TaskId ", ":TaskId");
    if (_query.m_iOptCmd >= 0) {
        qstrSql += " AND I_OPT_CMD = " + QString::number(_query.m_iOptCmd);
    }
    if (_query.m_iSubCmd >= 0) {
        qstrSql += " AND I_SUB_CMD = " + QString::number(_query.m_iSubCmd);
    }
    addText(_query.m_qstrPersonLibId, " AND S_TARGETLIB_ID =:PersonLibId ", ":PersonLibId");
    addText(_query.m_qstrPersonId, " AND S_PERSON_ID =:PersonId ", ":PersonId");
    addText(_query.m_qstrFingerOrCardId, " AND S_FINGER_OR_CARD_ID =:FingerOrCardId ", ":FingerOrCardId");
    addText(_query.m_qstrHostId, " AND S_HOST_ID =:HostId ", ":HostId");
    addText(_query.m_qstrChanId, " AND S_CHAN_ID =:ChanId ", ":ChanId");
    addText(_query.m_qstrOptTime, " AND DT_OPT_TIME =:OptTime ", ":OptTime");
    return qstrSql;
}

}  // namespace

CLS_FaceLibSyncTaskEntityDAO* CLS_FaceLibSyncTaskEntityDAO::GetInstance()
{
    static CLS_FaceLibSyncTaskEntityDAO* const s_pInstance = new CLS_FaceLibSyncTaskEntityDAO();
    return s_pInstance;
}

int CLS_FaceLibSyncTaskEntityDAO::InsertTargetLibStaffTask(const QString& _qstrFaceLibId, const QString& _qstrHostId,
                                                           const QString& _qstrChanId)
{
    RecordSet* pRecSet = ExecuteQueryEx(m_strDbName,
                                        "SELECT A.S_PERSON_ID, B.S_NAME, B.S_NUMBER, C.S_CARD_NO FROM "
                                        "TAB_FACELIB_PERSON_REL A LEFT JOIN TAB_PERSON_CARD C on C.S_PERSON_ID = "
                                        "A.S_PERSON_ID, TAB_PERSON_INFO B WHERE "
                                        " A.S_PERSON_ID = B.S_ID "
                                        " AND A.S_FACELIB_ID = :FaceLibID ",
                                        {{":FaceLibID", _qstrFaceLibId}});
    if (pRecSet == nullptr) {
        DL_LOG(2, "CLS_FaceLibSyncTaskEntityDAO::InsertTargetLibStaffTask pRecSet=nullptr");
        return -1;
    }
    QList<QString> lstSql;
    QList<QMap<QString, QVariant>> lstBinds;
    const QString qstrNow = FaceDao::now();
    for (const QMap<QString, QString>* pRow : *pRecSet) {
        CLS_FaceLibSyncTaskEntity task;
        task.S_ID = FaceDao::newId();
        task.S_TARGETLIB_ID = _qstrFaceLibId;
        task.S_HOST_ID = _qstrHostId;
        task.S_CHAN_ID = _qstrChanId;
        task.S_FINGER_OR_CARD_ID = pRow->value("S_CARD_NO");
        task.S_PERSON_ID = pRow->value("S_PERSON_ID");
        task.S_NAME = pRow->value("S_NAME");
        task.I_OPT_CMD = 1;
        task.I_SUB_CMD = 2;
        task.DT_OPT_TIME = qstrNow;
        QMap<QString, QVariant> mapBind;
        lstSql.append(taskInsert(task, mapBind));
        lstBinds.append(mapBind);
    }
    FreeRecordSet(pRecSet);
    if (lstSql.isEmpty()) {
        return 0;
    }
    const int iRet = ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
    if (iRet != 0) {
        DL_LOG(2, "CLS_FaceLibSyncTaskEntityDAO::InsertTargetLibStaffTask ExecuteTransaction iRet=%d", iRet);
    }
    return iRet;
}

int CLS_FaceLibSyncTaskEntityDAO::InsertStaffTask(const CLS_FaceLibSyncTaskEntity& _task)
{
    CLS_FaceLibSyncTaskEntity task = _task;
    if (task.S_ID.isEmpty()) {
        task.S_ID = FaceDao::newId();
    }
    if (task.S_FINGER_OR_CARD_ID.isEmpty()) {
        task.S_FINGER_OR_CARD_ID = QStringLiteral("null");
    }
    if (task.DT_OPT_TIME.isEmpty()) {
        task.DT_OPT_TIME = FaceDao::now();
    }
    QMap<QString, QVariant> mapBind;
    const QString qstrSql = taskInsert(task, mapBind);
    const int iRet = ExecuteEx(m_strDbName, qstrSql, mapBind);
    if (iRet != 0) {
        DL_LOG(2, "CLS_FaceLibSyncTaskEntityDAO::InsertStaffTask ExecuteInsertEx iRet=%d", iRet);
    }
    return iRet;
}

int CLS_FaceLibSyncTaskEntityDAO::GetSyncTask(const QString& _qstrHostId, const QString& _qstrFaceLibId,
                                              const QString& _qstrChanId, QVector<CLS_FaceLibSyncTaskEntity>& _vecTasks,
                                              QVector<CLS_FaceLibSyncTaskEntity>& _vecDeleteTasks)
{
    try {
        const QMap<QString, QVariant> mapBind{
            {":HostId", _qstrHostId}, {":FaceLibId", _qstrFaceLibId}, {":ChanId", _qstrChanId}};
        const QString qstrWithPerson =
            "SELECT A.S_ID , A.S_TARGETLIB_ID, A.S_HOST_ID, A.S_CHAN_ID,         A.S_FINGER_OR_CARD_ID, A.S_PERSON_ID, "
            "A.I_OPT_CMD, A.I_SUB_CMD, A.DT_OPT_TIME,         B.S_NAME, B.S_NUMBER, B.S_CARDNO, B.I_SEX, "
            "B.DT_BIRTHDAY, B.S_FACEPIC_PATH         FROM TAB_FACELIB_HOST_SYNC_TASK A, TAB_PERSON_INFO B         "
            "WHERE "
            " A.S_PERSON_ID = B.S_ID "
            " AND A.S_HOST_ID =:HostId "
            " AND A.S_TARGETLIB_ID =:FaceLibId "
            " AND A.S_CHAN_ID =:ChanId ";
        const QString qstrDeletes =
            "SELECT * FROM TAB_FACELIB_HOST_SYNC_TASK WHERE "
            " S_HOST_ID =:HostId "
            " AND S_TARGETLIB_ID =:FaceLibId "
            " AND S_CHAN_ID =:ChanId "
            " AND ( I_OPT_CMD = 4 OR I_OPT_CMD = 5)";
        // Read whole before the caller's lists are replaced: they hold this binding's tasks only.
        QVector<CLS_FaceLibSyncTaskEntity> vecTasks;
        QVector<CLS_FaceLibSyncTaskEntity> vecDeleteTasks;
        if (readTasks(m_strDbName, qstrWithPerson, mapBind, vecTasks) != 0 ||
            readTasks(m_strDbName, qstrDeletes, mapBind, vecDeleteTasks) != 0) {
            DL_LOG(2, "CLS_FaceLibSyncTaskEntityDAO::GetSyncTask pRecSet=null");
            return -1;
        }
        _vecTasks.swap(vecTasks);
        _vecDeleteTasks.swap(vecDeleteTasks);
        return 0;
    } catch (const std::exception&) {
        DL_LOG(4, "CLS_FaceLibSyncTaskEntityDAO::GetSyncTask catch");
    }
    return -1;
}

int CLS_FaceLibSyncTaskEntityDAO::QueryTaskSyncById(const QString& _qstrTaskId, CLS_FaceLibSyncTaskEntity& _task)
{
    QVector<CLS_FaceLibSyncTaskEntity> vecTasks;
    if (readTasks(m_strDbName, "SELECT * FROM TAB_FACELIB_HOST_SYNC_TASK WHERE S_ID =:TaskId ",
                  {{":TaskId", _qstrTaskId}}, vecTasks) != 0 ||
        vecTasks.isEmpty()) {
        DL_LOG(2, "CLS_FaceLibSyncTaskEntityDAO::QueryTaskSyncById pRecSet=null");
        return -1;
    }
    _task = vecTasks.first();
    return 0;
}

int CLS_FaceLibSyncTaskEntityDAO::DeleteSyncTask(const QString& _qstrTaskId)
{
    return ExecuteEx(m_strDbName, kDeleteTask, {{":id", _qstrTaskId}});
}

int CLS_FaceLibSyncTaskEntityDAO::InsertSyncTaskFail(const QString& _qstrTaskId, const QString& _qstrError)
{
    CLS_FaceLibSyncTaskEntity task;
    if (QueryTaskSyncById(_qstrTaskId, task) != 0) {
        return -1;
    }
    task.S_ERROR = _qstrError;
    QMap<QString, QVariant> mapFail;
    taskInsert(task, mapFail);
    mapFail.insert(":Error", task.S_ERROR);
    const QList<QString> lstSql{
        "INSERT INTO TAB_FACELIB_HOST_SYNC_FAIL (S_ID, S_TARGETLIB_ID, S_HOST_ID, S_CHAN_ID, S_FINGER_OR_CARD_ID, "
        "S_PERSON_ID,     S_NAME, I_OPT_CMD, I_SUB_CMD, DT_OPT_TIME, S_ERROR) Values (:id, :TargetLibId, :HostId, "
        ":ChanId, :FingerOrCardId, :PersonId, :Name, " +
            QString::number(task.I_OPT_CMD) + ", " + QString::number(task.I_SUB_CMD) + ", :OptTime, :Error)",
        kDeleteTask};
    const int iRet = ExecuteTransactionEx(m_strDbName, lstSql, {mapFail, {{":id", task.S_ID}}});
    if (iRet != 0) {
        DL_LOG(2, "CLS_FaceLibSyncTaskEntityDAO::InsertSyncTaskFail ExecuteTransaction iRet=%d", iRet);
        return -1;
    }
    return 0;
}

int CLS_FaceLibSyncTaskEntityDAO::SearchTaskFail(const STRCT_FaceSyncTaskQuery& _query,
                                                 QVector<CLS_FaceLibSyncTaskEntity>& _vecTasks)
{
    QMap<QString, QVariant> mapBind;
    const QString qstrSql = "SELECT * FROM TAB_FACELIB_HOST_SYNC_FAIL WHERE 1=1" + failCriteria(_query, mapBind);
    if (readTasks(m_strDbName, qstrSql, mapBind, _vecTasks) != 0) {
        DL_LOG(2, "CLS_FaceLibSyncTaskEntityDAO::SearchTaskFail pRecSet=null");
        return -1;
    }
    return 0;
}

int CLS_FaceLibSyncTaskEntityDAO::GetTaskFailCount(const STRCT_FaceSyncTaskQuery& _query)
{
    QMap<QString, QVariant> mapBind;
    const QString qstrSql = "SELECT COUNT(*) FROM TAB_FACELIB_HOST_SYNC_FAIL WHERE 1=1" + failCriteria(_query, mapBind);
    return FaceDao::count(m_strDbName, qstrSql, mapBind);
}

int CLS_FaceLibSyncTaskEntityDAO::GetFailPersonCount(const QString& _qstrFaceLibId, const QString& _qstrHostId,
                                                     const QString& _qstrChanId)
{
    QString qstrSql =
        "SELECT COUNT(DISTINCT A.S_PERSON_ID) FROM TAB_FACELIB_HOST_SYNC_FAIL A, TAB_FACELIB_PERSON_REL B WHERE "
        " (A.I_OPT_CMD = 1 OR A.I_OPT_CMD = 2 OR A.I_OPT_CMD = 3 ) "
        " AND A.S_PERSON_ID = B.S_PERSON_ID "
        " AND A.S_TARGETLIB_ID =:PersonLibId "
        " AND B.S_FACELIB_ID =:PersonLibIdRel ";
    QMap<QString, QVariant> mapBind{{":PersonLibId", _qstrFaceLibId}, {":PersonLibIdRel", _qstrFaceLibId}};
    if (!_qstrHostId.isEmpty()) {
        qstrSql += " AND A.S_HOST_ID =:HostId ";
        mapBind.insert(":HostId", _qstrHostId);
    }
    if (!_qstrChanId.isEmpty()) {
        qstrSql += " AND A.S_CHAN_ID =:ChanId ";
        mapBind.insert(":ChanId", _qstrChanId);
    }
    return FaceDao::count(m_strDbName, qstrSql, mapBind);
}

int CLS_FaceLibSyncTaskEntityDAO::DeleteFailTask(const STRCT_FaceSyncTaskQuery& _query)
{
    try {
        // Only the person, library, host, channel and command criteria apply here.
        STRCT_FaceSyncTaskQuery query;
        query.m_qstrPersonId = _query.m_qstrPersonId;
        query.m_qstrPersonLibId = _query.m_qstrPersonLibId;
        query.m_qstrHostId = _query.m_qstrHostId;
        query.m_qstrChanId = _query.m_qstrChanId;
        query.m_iOptCmd = _query.m_iOptCmd;
        QMap<QString, QVariant> mapBind;
        const QString qstrCriteria = failCriteria(query, mapBind);
        // No criterion would delete every failed task of every library.
        if (qstrCriteria.isEmpty()) {
            DL_LOG(3, "CLS_FaceLibSyncTaskEntityDAO::DeleteFailTask no criteria");
            return -1;
        }
        return ExecuteEx(m_strDbName, "DELETE FROM TAB_FACELIB_HOST_SYNC_FAIL WHERE 1=1" + qstrCriteria,
                         mapBind);
    } catch (const std::exception&) {
        DL_LOG(4, "CLS_FaceLibSyncTaskEntityDAO::DeleteFailTask catch");
    }
    return -1;
}

int CLS_FaceLibSyncTaskEntityDAO::TaskFailConvertSync(const QString& _qstrTaskId)
{
    STRCT_FaceSyncTaskQuery query;
    query.m_qstrTaskId = _qstrTaskId;
    QVector<CLS_FaceLibSyncTaskEntity> vecTasks;
    const int iSearch = SearchTaskFail(query, vecTasks);
    if (iSearch != 0) {
        DL_LOG(2, "CLS_FaceLibSyncTaskEntityDAO::TaskFailConvertSync  SearchTaskFail iRet=%d", iSearch);
        return -1;
    }
    for (const CLS_FaceLibSyncTaskEntity& task : vecTasks) {
        QMap<QString, QVariant> mapInsert;
        const QList<QString> lstSql{taskInsert(task, mapInsert),
                                    "DELETE FROM TAB_FACELIB_HOST_SYNC_FAIL WHERE  S_ID =:id ",
                                    "UPDATE TAB_FACELIB_CHANNEL_REL SET I_STATUS = 3 WHERE S_HOST_ID = :HostId  AND "
                                    "S_FACELIB_ID = :FaceLibId "};
        const QList<QMap<QString, QVariant>> lstBinds{
            mapInsert, {{":id", task.S_ID}}, {{":HostId", task.S_HOST_ID}, {":FaceLibId", task.S_TARGETLIB_ID}}};
        const int iRet = ExecuteTransactionEx(m_strDbName, lstSql, lstBinds);
        if (iRet != 0) {
            DL_LOG(2, "CLS_FaceLibSyncTaskEntityDAO::TaskFailConvertSync ExecuteTransaction iRet=%d", iRet);
            return iRet;
        }
    }
    return 0;
}

int CLS_FaceLibSyncTaskEntityDAO::UpdateChannelSyncTaskStatus(const QString& _qstrHostId, const QString& _qstrFaceLibId,
                                                              int _iStatus, const QString& _qstrStatusCaption)
{
    return ExecuteEx(m_strDbName,
                     "UPDATE TAB_FACELIB_CHANNEL_REL SET  S_STATUS_CAPTION = :StatusCaption,  I_STATUS = " +
                         QString::number(_iStatus) + " WHERE S_HOST_ID = :HostId  AND S_FACELIB_ID = :FaceLibId ",
                     {{":StatusCaption", _qstrStatusCaption}, {":HostId", _qstrHostId}, {":FaceLibId", _qstrFaceLibId}});
}

int CLS_FaceLibSyncTaskEntityDAO::GetSyncTaskCount(const QString& _qstrFaceLibId)
{
    if (_qstrFaceLibId.isEmpty()) {
        return FaceDao::count(m_strDbName, "SELECT COUNT(*) FROM TAB_FACELIB_HOST_SYNC_TASK", {});
    }
    return FaceDao::count(m_strDbName, "SELECT COUNT(*) FROM TAB_FACELIB_HOST_SYNC_TASK WHERE S_TARGETLIB_ID = :TargetLibId",
                          {{":TargetLibId", _qstrFaceLibId}});
}
