#include "CLS_ChannelTargetEntityDAO.h"

#include "DataBase/EntityDao/DB/EntityRows.h"
#include "FaceDaoSupport.h"
#include "Log.h"

#include <exception>

namespace {

const char kDefaultCaption[] = "--";
const char kNeedSync[] = " I_STATUS <> 2 AND I_STATUS <> 4";

QString captionOrDefault(const QString& _qstrCaption)
{
    return _qstrCaption.isEmpty() ? QString(kDefaultCaption) : _qstrCaption;
}

int readTargets(const QString& _strDbName, const QString& _strSql, const QMap<QString, QVariant>& _mapBind,
                QVector<CLS_ChannelTargetEntity>& _vecTargets)
{
    return ReadEntities(
        _strDbName, _strSql, _mapBind, _vecTargets,
        [](const QMap<QString, QString>& _row) {
            CLS_ChannelTargetEntity target;
            target.S_ID = _row.value("S_ID");
            target.S_CHANNEL_ID = _row.value("S_CHANNEL_ID");
            target.S_HOST_ID = _row.value("S_HOST_ID");
            target.S_FACELIB_ID = _row.value("S_FACELIB_ID");
            target.I_SIMILARITY = _row.value("I_SIMILARITY").toInt();
            target.I_STATUS = _row.value("I_STATUS").toInt();
            target.I_ENABLE = _row.value("I_ENABLE").toInt();
            target.S_STATUS_CAPTION = _row.value("S_STATUS_CAPTION");
            return target;
        },
        "CLS_ChannelTargetEntityDAO::readTargets");
}

// The optional host, library and channel conditions of the update statements.
QString bindingConditions(const QString& _qstrHostId, const QString& _qstrFaceLibId, const QString& _qstrChanId,
                          QMap<QString, QVariant>& _mapBind)
{
    QString qstrSql;
    if (!_qstrHostId.isEmpty()) {
        qstrSql += " AND S_HOST_ID =:HostID ";
        _mapBind.insert(":HostID", _qstrHostId);
    }
    if (!_qstrFaceLibId.isEmpty()) {
        qstrSql += " AND S_FACELIB_ID=:FaceLibId ";
        _mapBind.insert(":FaceLibId", _qstrFaceLibId);
    }
    if (!_qstrChanId.isEmpty()) {
        qstrSql += " AND S_CHANNEL_ID=:ChanID ";
        _mapBind.insert(":ChanID", _qstrChanId);
    }
    return qstrSql;
}

}  // namespace

CLS_ChannelTargetEntityDAO* CLS_ChannelTargetEntityDAO::GetInstance()
{
    static CLS_ChannelTargetEntityDAO* const s_pInstance = new CLS_ChannelTargetEntityDAO();
    return s_pInstance;
}

int CLS_ChannelTargetEntityDAO::InsertChannelTarget(const CLS_ChannelTargetEntity& _target)
{
    return ExecuteEx(m_strDbName,
                     "Insert Into TAB_FACELIB_CHANNEL_REL ( S_ID, S_FACELIB_ID, S_HOST_ID, S_CHANNEL_ID, I_SIMILARITY, "
                     "I_ENABLE, I_STATUS, S_STATUS_CAPTION) Values (:s_ID, :faceliblID, :hostlID, :channelID, "
                     ":similarity, :enable, :status, :statusCaption)",
                     {{":s_ID", _target.S_ID},
                      {":faceliblID", _target.S_FACELIB_ID},
                      {":hostlID", _target.S_HOST_ID},
                      {":channelID", _target.S_CHANNEL_ID},
                      {":similarity", _target.I_SIMILARITY},
                      {":enable", _target.I_ENABLE},
                      {":status", _target.I_STATUS},
                      {":statusCaption", captionOrDefault(_target.S_STATUS_CAPTION)}});
}

int CLS_ChannelTargetEntityDAO::UnbindChannelTarget(const QString& _qstrFaceLibId, const QString& _qstrChanId)
{
    const QMap<QString, QVariant> mapBind{{":faceliblID", _qstrFaceLibId}, {":channelID", _qstrChanId}};
    const char* const apszSql[] = {
        "DELETE FROM TAB_FACELIB_HOST_SYNC_FAIL WHERE S_TARGETLIB_ID= :faceliblID AND S_CHAN_ID = :channelID",
        "DELETE FROM TAB_FACELIB_HOST_SYNC_TASK WHERE S_TARGETLIB_ID= :faceliblID AND S_CHAN_ID = :channelID",
        "DELETE FROM TAB_FACELIB_CHANNEL_REL WHERE S_FACELIB_ID= :faceliblID AND S_CHANNEL_ID = :channelID"};
    for (const char* pszSql : apszSql) {
        const int iRet = ExecuteEx(m_strDbName, pszSql, mapBind);
        if (iRet != 0) {
            DL_LOG(2, "CLS_ChannelTargetEntityDAO::UnbindChannelTarget iRet=%d", iRet);
            return iRet;
        }
    }
    return 0;
}

int CLS_ChannelTargetEntityDAO::GetChanTargetLibbyID(const QString& _qstrChanId,
                                                     QVector<CLS_ChannelTargetEntity>& _vecTargets)
{
    return readTargets(m_strDbName, "SELECT * FROM TAB_FACELIB_CHANNEL_REL WHERE S_CHANNEL_ID = :ChanID",
                       {{":ChanID", _qstrChanId}}, _vecTargets);
}

int CLS_ChannelTargetEntityDAO::GetChannelTargetsByLib(const QString& _qstrFaceLibId,
                                                       QVector<CLS_ChannelTargetEntity>& _vecTargets)
{
    return readTargets(m_strDbName, "SELECT * FROM TAB_FACELIB_CHANNEL_REL WHERE S_FACELIB_ID = :FaceLib",
                       {{":FaceLib", _qstrFaceLibId}}, _vecTargets);
}

int CLS_ChannelTargetEntityDAO::GetHostIdsOfLib(const QString& _qstrFaceLibId, QStringList& _lstHostIds)
{
    QVector<CLS_ChannelTargetEntity> vecTargets;
    if (readTargets(m_strDbName, "SELECT * FROM TAB_FACELIB_CHANNEL_REL WHERE S_FACELIB_ID = :targetId",
                    {{":targetId", _qstrFaceLibId}}, vecTargets) != 0) {
        return -1;
    }
    for (const CLS_ChannelTargetEntity& target : vecTargets) {
        if (!_lstHostIds.contains(target.S_HOST_ID)) {
            _lstHostIds << target.S_HOST_ID;
        }
    }
    return 0;
}

int CLS_ChannelTargetEntityDAO::GetSyncingLibId(int _iSynState, QVector<CLS_ChannelTargetEntity>& _vecTargets)
{
    try {
        return readTargets(m_strDbName,
                           "SELECT * FROM TAB_FACELIB_CHANNEL_REL WHERE  I_STATUS = " + QString::number(_iSynState), {},
                           _vecTargets);
    } catch (const std::exception&) {
        DL_LOG(4, "CLS_ChannelTargetEntityDAO::GetSyncingLibId catch _iSynState=%d", _iSynState);
    }
    return -1;
}

int CLS_ChannelTargetEntityDAO::GetHostsNeedSync(QStringList& _lstHostIds)
{
    RecordSet* pRows =
        ExecuteQuery(m_strDbName, QString("SELECT DISTINCT S_HOST_ID FROM TAB_FACELIB_CHANNEL_REL WHERE ") + kNeedSync);
    if (pRows == nullptr) {
        DL_LOG(2, "CLS_ChannelTargetEntityDAO::GetHostsNeedSync pRecSet=null");
        return -1;
    }
    for (const QMap<QString, QString>* pRow : *pRows) {
        _lstHostIds << pRow->value("S_HOST_ID");
    }
    FreeRecordSet(pRows);
    return 0;
}

int CLS_ChannelTargetEntityDAO::GetPersonLibOfNeedSyncByHostId(const QString& _qstrHostId,
                                                               QVector<CLS_ChannelTargetEntity>& _vecTargets)
{
    return readTargets(m_strDbName,
                       QString("SELECT * FROM TAB_FACELIB_CHANNEL_REL WHERE ") + kNeedSync + " AND S_HOST_ID = :HostId ",
                       {{":HostId", _qstrHostId}}, _vecTargets);
}

int CLS_ChannelTargetEntityDAO::GetBoundCountOnHost(const QString& _qstrFaceLibId, const QString& _qstrHostId)
{
    return FaceDao::count(m_strDbName,
                          "SELECT COUNT(*) FROM TAB_FACELIB_CHANNEL_REL WHERE S_FACELIB_ID =:FaceLibId AND S_HOST_ID "
                          "=:HostId",
                          {{":FaceLibId", _qstrFaceLibId}, {":HostId", _qstrHostId}});
}

int CLS_ChannelTargetEntityDAO::GetBoundCount(const QString& _qstrFaceLibId)
{
    return FaceDao::count(m_strDbName,
                          "SELECT COUNT(*) FROM TAB_FACELIB_CHANNEL_REL WHERE S_FACELIB_ID =:FaceLibId  AND I_STATUS = 1",
                          {{":FaceLibId", _qstrFaceLibId}});
}

int CLS_ChannelTargetEntityDAO::IsTargetLibBoundChan(const QString& _qstrFaceLibId, const QString& _qstrChanId)
{
    return FaceDao::count(m_strDbName,
                          "SELECT COUNT(*) FROM TAB_FACELIB_CHANNEL_REL WHERE S_FACELIB_ID =:FaceLibId  AND "
                          "S_CHANNEL_ID = :ChanId ",
                          {{":FaceLibId", _qstrFaceLibId}, {":ChanId", _qstrChanId}});
}

int CLS_ChannelTargetEntityDAO::UpdateChannelTargetStatus(const QString& _qstrHostId, const QString& _qstrFaceLibId,
                                                          const QString& _qstrChanId, int _iStatus,
                                                          const QString& _qstrStatusCaption)
{
    QMap<QString, QVariant> mapBind{{":status", _iStatus}, {":StatusCap", captionOrDefault(_qstrStatusCaption)}};
    const QString qstrConditions = bindingConditions(_qstrHostId, _qstrFaceLibId, _qstrChanId, mapBind);
    if (qstrConditions.isEmpty()) {
        DL_LOG(3, "CLS_ChannelTargetEntityDAO::UpdateChannelTargetStatus no host, library or channel");
        return -1;
    }
    return ExecuteEx(
        m_strDbName,
        "UPDATE TAB_FACELIB_CHANNEL_REL SET I_STATUS=:status , S_STATUS_CAPTION=:StatusCap  WHERE 1=1 " +
            qstrConditions,
        mapBind);
}

int CLS_ChannelTargetEntityDAO::UpdateChannelTargetCaption(const QString& _qstrHostId, const QString& _qstrFaceLibId,
                                                           const QString& _qstrChanId,
                                                           const QString& _qstrStatusCaption)
{
    QMap<QString, QVariant> mapBind{{":statusCaption", captionOrDefault(_qstrStatusCaption)}};
    const QString qstrConditions = bindingConditions(_qstrHostId, _qstrFaceLibId, _qstrChanId, mapBind);
    if (qstrConditions.isEmpty()) {
        DL_LOG(3, "CLS_ChannelTargetEntityDAO::UpdateChannelTargetCaption no host, library or channel");
        return -1;
    }
    return ExecuteEx(
        m_strDbName,
        "UPDATE TAB_FACELIB_CHANNEL_REL SET S_STATUS_CAPTION=:statusCaption WHERE 1=1 " + qstrConditions,
        mapBind);
}
