// Face libraries, persons, channel bindings, recognition modes and synchronisation tasks:
// forwarders to the face-library DAOs. Ids are checked: an empty one is refused with -1 and the
// condition on the debug stream, without a request.
#include "CLS_DataAccess.h"
#include "Log.h"

#include "DataBase/EntityDao/FaceRecognition/CLS_ChanFaceDistinguishConfigEntityDAO.h"
#include "DataBase/EntityDao/FaceRecognition/CLS_ChannelTargetEntityDAO.h"
#include "DataBase/EntityDao/FaceRecognition/CLS_FaceInfoEntityDAO.h"
#include "DataBase/EntityDao/FaceRecognition/CLS_FaceLibInfoEntityDAO.h"
#include "DataBase/EntityDao/FaceRecognition/CLS_FaceLibSyncTaskEntityDAO.h"

#include <QDateTime>
#include <QUuid>

int CLS_DataAccess::GetPersonInfoByPersonID(QString _qstrPersonId, CLS_FaceInfoEntity& _person)
{
    if (_qstrPersonId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetPersonInfoByPersonID _qstrPersonId.isEmpty()");
        return -1;
    }
    return CLS_FaceInfoEntityDAO::GetInstance()->GetPersonInfoByPersonID(_qstrPersonId, _person);
}

int CLS_DataAccess::GetAllFaceLib(QVector<CLS_FaceLibInfoEntity>& _vecLibs)
{
    return CLS_FaceLibInfoEntityDAO::GetInstance()->GetAllFaceLib(_vecLibs);
}

int CLS_DataAccess::GetFaceLibById(QString _qstrId, CLS_FaceLibInfoEntity& _lib)
{
    if (_qstrId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetFaceLibById _qstrId.isEmpty()");
        return -1;
    }
    return CLS_FaceLibInfoEntityDAO::GetInstance()->GetFaceLibById(_qstrId, _lib);
}

int CLS_DataAccess::AddFaceLib(CLS_FaceLibInfoEntity& _lib)
{
    if (_lib.S_CAPTION.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::AddFaceLib _lib.S_CAPTION.isEmpty()");
        return -1;
    }
    if (_lib.S_ID.isEmpty()) {
        _lib.S_ID = QUuid::createUuid().toString(QUuid::Id128);
    }
    if (_lib.DT_TIME.isEmpty()) {
        _lib.DT_TIME = QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss");
    }
    return CLS_FaceLibInfoEntityDAO::GetInstance()->AddFaceLib(_lib);
}

int CLS_DataAccess::RenameFaceLib(QString _qstrId, QString _qstrCaption)
{
    if (_qstrId.isEmpty() || _qstrCaption.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::RenameFaceLib _qstrId.isEmpty() || _qstrCaption.isEmpty()");
        return -1;
    }
    return CLS_FaceLibInfoEntityDAO::GetInstance()->RenameFaceLib(_qstrId, _qstrCaption);
}

int CLS_DataAccess::DeleteFaceLib(QString _qstrId)
{
    if (_qstrId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::DeleteFaceLib _qstrId.isEmpty()");
        return -1;
    }
    return CLS_FaceLibInfoEntityDAO::GetInstance()->DeleteFaceLib(_qstrId);
}

int CLS_DataAccess::GetFaceLibNameCount(QString _qstrLibName)
{
    if (_qstrLibName.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetFaceLibNameCount _qstrLibName.isEmpty()");
        return -1;
    }
    return CLS_FaceLibInfoEntityDAO::GetInstance()->GetFaceLibNameCount(_qstrLibName);
}

int CLS_DataAccess::AddPerson(const CLS_FaceInfoEntity& _person, QString _qstrFaceLibId)
{
    if (_person.S_ID.isEmpty() || _qstrFaceLibId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::AddPerson _person.S_ID.isEmpty() || _qstrFaceLibId.isEmpty()");
        return -1;
    }
    return CLS_FaceInfoEntityDAO::GetInstance()->AddPerson(_person, _qstrFaceLibId);
}

int CLS_DataAccess::UpdatePerson(const CLS_FaceInfoEntity& _person)
{
    if (_person.S_ID.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::UpdatePerson _person.S_ID.isEmpty()");
        return -1;
    }
    return CLS_FaceInfoEntityDAO::GetInstance()->UpdatePerson(_person);
}

int CLS_DataAccess::RemovePersonFromLib(QString _qstrPersonId, QString _qstrFaceLibId)
{
    if (_qstrPersonId.isEmpty() || _qstrFaceLibId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::RemovePersonFromLib _qstrPersonId.isEmpty() || _qstrFaceLibId.isEmpty()");
        return -1;
    }
    return CLS_FaceInfoEntityDAO::GetInstance()->RemovePersonFromLib(_qstrPersonId, _qstrFaceLibId);
}

int CLS_DataAccess::RemovePersonsOfLibs(const QStringList& _lstFaceLibIds)
{
    return CLS_FaceInfoEntityDAO::GetInstance()->RemovePersonsOfLibs(_lstFaceLibIds);
}

int CLS_DataAccess::GetPersonNameCount(QString _qstrName)
{
    return CLS_FaceInfoEntityDAO::GetInstance()->GetPersonNameCount(_qstrName);
}

int CLS_DataAccess::GetPersonNumberCount(QString _qstrNumber)
{
    return CLS_FaceInfoEntityDAO::GetInstance()->GetPersonNumberCount(_qstrNumber);
}

int CLS_DataAccess::GetPersonIdCount(QString _qstrPersonId)
{
    return CLS_FaceInfoEntityDAO::GetInstance()->GetPersonIdCount(_qstrPersonId);
}

int CLS_DataAccess::GetPersonLibRelCount(QString _qstrPersonId)
{
    return CLS_FaceInfoEntityDAO::GetInstance()->GetPersonLibRelCount(_qstrPersonId);
}

int CLS_DataAccess::GetPersonCount()
{
    return CLS_FaceInfoEntityDAO::GetInstance()->GetPersonCount();
}

int CLS_DataAccess::GetFaceLibMemberCount(QString _qstrFaceLibId)
{
    if (_qstrFaceLibId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetFaceLibMemberCount _qstrFaceLibId.isEmpty()");
        return -1;
    }
    return CLS_FaceInfoEntityDAO::GetInstance()->GetFaceLibMemberCount(_qstrFaceLibId);
}

int CLS_DataAccess::GetPersonByFaceLibQuery(QString _qstrFaceLibId, const STRCT_FacePersonQuery& _query)
{
    if (_qstrFaceLibId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetPersonByFaceLibQuery _qstrFaceLibId.isEmpty()");
        return -1;
    }
    return CLS_FaceInfoEntityDAO::GetInstance()->GetPersonByFaceLibQuery(_qstrFaceLibId, _query);
}

int CLS_DataAccess::GetPageOrgManageQuery(const QStringList& _lstFaceLibIds, const STRCT_FacePersonQuery& _query)
{
    return CLS_FaceInfoEntityDAO::GetInstance()->GetPageOrgManageQuery(_lstFaceLibIds, _query);
}

int CLS_DataAccess::GetPersonByNumber(QString _qstrNumber, QVector<CLS_FaceInfoEntity>& _vecPersons)
{
    return CLS_FaceInfoEntityDAO::GetInstance()->GetPersonByNumber(_qstrNumber, _vecPersons);
}

int CLS_DataAccess::GetPersonByNumericNumber(qint64 _iNumber, QVector<CLS_FaceInfoEntity>& _vecPersons)
{
    return CLS_FaceInfoEntityDAO::GetInstance()->GetPersonByNumericNumber(_iNumber, _vecPersons);
}

int CLS_DataAccess::GetAllUserNameId(QMap<QString, QString>& _mapNumberName)
{
    return CLS_FaceInfoEntityDAO::GetInstance()->GetAllUserNameId(_mapNumberName);
}

int CLS_DataAccess::GetFaceLibCaptionsOfPerson(QString _qstrPersonId, QStringList& _lstCaptions)
{
    if (_qstrPersonId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetFaceLibCaptionsOfPerson _qstrPersonId.isEmpty()");
        return -1;
    }
    return CLS_FaceInfoEntityDAO::GetInstance()->GetFaceLibCaptionsOfPerson(_qstrPersonId, _lstCaptions);
}

int CLS_DataAccess::GetPagePerson(const QStringList& _lstFaceLibIds, const STRCT_FacePersonQuery& _query,
                                  int _iPageSize, int _iPageIndex, QVector<CLS_FaceInfoEntity>& _vecPersons)
{
    if (_iPageSize <= 0 || _iPageIndex < 0) {
        DL_LOG(3, "CLS_DataAccess::GetPagePerson _iPageSize <= 0 || _iPageIndex < 0");
        return -1;
    }
    return CLS_FaceInfoEntityDAO::GetInstance()->GetPagePerson(_lstFaceLibIds, _query, _iPageSize, _iPageIndex,
                                                               _vecPersons);
}

int CLS_DataAccess::GetAllPersonInfo(QVector<CLS_FaceInfoEntity>& _vecPersons)
{
    return CLS_FaceInfoEntityDAO::GetInstance()->GetAllPersonInfo(_vecPersons);
}

int CLS_DataAccess::InsertChannelTarget(const CLS_ChannelTargetEntity& _target)
{
    if (_target.S_ID.isEmpty() || _target.S_FACELIB_ID.isEmpty() || _target.S_CHANNEL_ID.isEmpty()) {
        DL_LOG(3,
               "CLS_DataAccess::InsertChannelTarget _target.S_ID.isEmpty() || _target.S_FACELIB_ID.isEmpty() "
               "|| _target.S_CHANNEL_ID.isEmpty()");
        return -1;
    }
    return CLS_ChannelTargetEntityDAO::GetInstance()->InsertChannelTarget(_target);
}

int CLS_DataAccess::UnbindChannelTarget(QString _qstrFaceLibId, QString _qstrChanId)
{
    if (_qstrFaceLibId.isEmpty() || _qstrChanId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::UnbindChannelTarget _qstrFaceLibId.isEmpty() || _qstrChanId.isEmpty()");
        return -1;
    }
    return CLS_ChannelTargetEntityDAO::GetInstance()->UnbindChannelTarget(_qstrFaceLibId, _qstrChanId);
}

int CLS_DataAccess::GetChanTargetLibbyID(QString _qstrChanId, QVector<CLS_ChannelTargetEntity>& _vecTargets)
{
    if (_qstrChanId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetChanTargetLibbyID _qstrChanId.isEmpty()");
        return -1;
    }
    return CLS_ChannelTargetEntityDAO::GetInstance()->GetChanTargetLibbyID(_qstrChanId, _vecTargets);
}

int CLS_DataAccess::GetChannelTargetsByLib(QString _qstrFaceLibId, QVector<CLS_ChannelTargetEntity>& _vecTargets)
{
    if (_qstrFaceLibId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetChannelTargetsByLib _qstrFaceLibId.isEmpty()");
        return -1;
    }
    return CLS_ChannelTargetEntityDAO::GetInstance()->GetChannelTargetsByLib(_qstrFaceLibId, _vecTargets);
}

int CLS_DataAccess::GetHostIdsOfLib(QString _qstrFaceLibId, QStringList& _lstHostIds)
{
    if (_qstrFaceLibId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetHostIdsOfLib _qstrFaceLibId.isEmpty()");
        return -1;
    }
    return CLS_ChannelTargetEntityDAO::GetInstance()->GetHostIdsOfLib(_qstrFaceLibId, _lstHostIds);
}

int CLS_DataAccess::GetSyncingLibId(int _iSynState, QVector<CLS_ChannelTargetEntity>& _vecTargets)
{
    return CLS_ChannelTargetEntityDAO::GetInstance()->GetSyncingLibId(_iSynState, _vecTargets);
}

int CLS_DataAccess::GetHostsNeedSync(QStringList& _lstHostIds)
{
    return CLS_ChannelTargetEntityDAO::GetInstance()->GetHostsNeedSync(_lstHostIds);
}

int CLS_DataAccess::GetPersonLibOfNeedSyncByHostId(QString _qstrHostId, QVector<CLS_ChannelTargetEntity>& _vecTargets)
{
    if (_qstrHostId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetPersonLibOfNeedSyncByHostId _qstrHostId.isEmpty()");
        return -1;
    }
    return CLS_ChannelTargetEntityDAO::GetInstance()->GetPersonLibOfNeedSyncByHostId(_qstrHostId, _vecTargets);
}

int CLS_DataAccess::GetBoundCountOnHost(QString _qstrFaceLibId, QString _qstrHostId)
{
    if (_qstrFaceLibId.isEmpty() || _qstrHostId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetBoundCountOnHost _qstrFaceLibId.isEmpty() || _qstrHostId.isEmpty()");
        return -1;
    }
    return CLS_ChannelTargetEntityDAO::GetInstance()->GetBoundCountOnHost(_qstrFaceLibId, _qstrHostId);
}

int CLS_DataAccess::GetBoundCount(QString _qstrFaceLibId)
{
    if (_qstrFaceLibId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetBoundCount _qstrFaceLibId.isEmpty()");
        return -1;
    }
    return CLS_ChannelTargetEntityDAO::GetInstance()->GetBoundCount(_qstrFaceLibId);
}

int CLS_DataAccess::IsTargetLibBoundChan(QString _qstrFaceLibId, QString _qstrChanId)
{
    if (_qstrFaceLibId.isEmpty() || _qstrChanId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::IsTargetLibBoundChan _qstrFaceLibId.isEmpty() || _qstrChanId.isEmpty()");
        return -1;
    }
    return CLS_ChannelTargetEntityDAO::GetInstance()->IsTargetLibBoundChan(_qstrFaceLibId, _qstrChanId);
}

int CLS_DataAccess::UpdateChannelTargetStatus(QString _qstrHostId, QString _qstrFaceLibId, QString _qstrChanId, int _iStatus,
                                              QString _qstrStatusCaption)
{
    return CLS_ChannelTargetEntityDAO::GetInstance()->UpdateChannelTargetStatus(_qstrHostId, _qstrFaceLibId, _qstrChanId, _iStatus, _qstrStatusCaption);
}

int CLS_DataAccess::UpdateChannelTargetCaption(QString _qstrHostId, QString _qstrFaceLibId, QString _qstrChanId,
                                               QString _qstrStatusCaption)
{
    return CLS_ChannelTargetEntityDAO::GetInstance()->UpdateChannelTargetCaption(_qstrHostId, _qstrFaceLibId, _qstrChanId, _qstrStatusCaption);
}

int CLS_DataAccess::GetDistinguishType(QString _qstrHostId, int& _iDistinguishType)
{
    if (_qstrHostId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetDistinguishType _qstrHostId.isEmpty()");
        return -1;
    }
    return CLS_ChanFaceDistinguishConfigEntityDAO::GetInstance()->GetDistinguishType(_qstrHostId, _iDistinguishType);
}

int CLS_DataAccess::SetDistinguishType(QString _qstrHostId, int _iDistinguishType)
{
    if (_qstrHostId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::SetDistinguishType _qstrHostId.isEmpty()");
        return -1;
    }
    return CLS_ChanFaceDistinguishConfigEntityDAO::GetInstance()->SetDistinguishType(_qstrHostId, _iDistinguishType);
}

int CLS_DataAccess::InsertTargetLibStaffTask(QString _qstrFaceLibId, QString _qstrHostId, QString _qstrChanId)
{
    if (_qstrFaceLibId.isEmpty() || _qstrHostId.isEmpty() || _qstrChanId.isEmpty()) {
        DL_LOG(3,
               "CLS_DataAccess::InsertTargetLibStaffTask _qstrFaceLibId.isEmpty() || _qstrHostId.isEmpty() "
               "|| _qstrChanId.isEmpty()");
        return -1;
    }
    return CLS_FaceLibSyncTaskEntityDAO::GetInstance()->InsertTargetLibStaffTask(_qstrFaceLibId, _qstrHostId, _qstrChanId);
}

int CLS_DataAccess::InsertStaffTask(const CLS_FaceLibSyncTaskEntity& _task)
{
    if (_task.S_TARGETLIB_ID.isEmpty() || _task.S_HOST_ID.isEmpty()) {
        DL_LOG(3,
               "CLS_DataAccess::InsertStaffTask _task.S_TARGETLIB_ID.isEmpty() || _task.S_HOST_ID.isEmpty()");
        return -1;
    }
    return CLS_FaceLibSyncTaskEntityDAO::GetInstance()->InsertStaffTask(_task);
}

int CLS_DataAccess::GetSyncTask(QString _qstrHostId, QString _qstrFaceLibId, QString _qstrChanId,
                                QVector<CLS_FaceLibSyncTaskEntity>& _vecTasks,
                                QVector<CLS_FaceLibSyncTaskEntity>& _vecDeleteTasks)
{
    if (_qstrHostId.isEmpty() || _qstrFaceLibId.isEmpty() || _qstrChanId.isEmpty()) {
        DL_LOG(3,
               "CLS_DataAccess::GetSyncTask _qstrHostId.isEmpty() || _qstrFaceLibId.isEmpty() || "
               "_qstrChanId.isEmpty()");
        return -1;
    }
    return CLS_FaceLibSyncTaskEntityDAO::GetInstance()->GetSyncTask(_qstrHostId, _qstrFaceLibId, _qstrChanId, _vecTasks, _vecDeleteTasks);
}

int CLS_DataAccess::QueryTaskSyncById(QString _qstrTaskId, CLS_FaceLibSyncTaskEntity& _task)
{
    if (_qstrTaskId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::QueryTaskSyncById _qstrTaskId.isEmpty()");
        return -1;
    }
    return CLS_FaceLibSyncTaskEntityDAO::GetInstance()->QueryTaskSyncById(_qstrTaskId, _task);
}

int CLS_DataAccess::DeleteSyncTask(QString _qstrTaskId)
{
    if (_qstrTaskId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::DeleteSyncTask _qstrTaskId.isEmpty()");
        return -1;
    }
    return CLS_FaceLibSyncTaskEntityDAO::GetInstance()->DeleteSyncTask(_qstrTaskId);
}

int CLS_DataAccess::InsertSyncTaskFail(QString _qstrTaskId, QString _qstrError)
{
    if (_qstrTaskId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::InsertSyncTaskFail _qstrTaskId.isEmpty()");
        return -1;
    }
    return CLS_FaceLibSyncTaskEntityDAO::GetInstance()->InsertSyncTaskFail(_qstrTaskId, _qstrError);
}

int CLS_DataAccess::SearchTaskFail(const STRCT_FaceSyncTaskQuery& _query, QVector<CLS_FaceLibSyncTaskEntity>& _vecTasks)
{
    return CLS_FaceLibSyncTaskEntityDAO::GetInstance()->SearchTaskFail(_query, _vecTasks);
}

int CLS_DataAccess::GetTaskFailCount(const STRCT_FaceSyncTaskQuery& _query)
{
    return CLS_FaceLibSyncTaskEntityDAO::GetInstance()->GetTaskFailCount(_query);
}

int CLS_DataAccess::GetFailPersonCount(QString _qstrFaceLibId, QString _qstrHostId, QString _qstrChanId)
{
    if (_qstrFaceLibId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::GetFailPersonCount _qstrFaceLibId.isEmpty()");
        return -1;
    }
    return CLS_FaceLibSyncTaskEntityDAO::GetInstance()->GetFailPersonCount(_qstrFaceLibId, _qstrHostId, _qstrChanId);
}

int CLS_DataAccess::DeleteFailTask(const STRCT_FaceSyncTaskQuery& _query)
{
    return CLS_FaceLibSyncTaskEntityDAO::GetInstance()->DeleteFailTask(_query);
}

int CLS_DataAccess::TaskFailConvertSync(QString _qstrTaskId)
{
    if (_qstrTaskId.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::TaskFailConvertSync _qstrTaskId.isEmpty()");
        return -1;
    }
    return CLS_FaceLibSyncTaskEntityDAO::GetInstance()->TaskFailConvertSync(_qstrTaskId);
}

int CLS_DataAccess::UpdateChannelSyncTaskStatus(QString _qstrHostId, QString _qstrFaceLibId, int _iStatus,
                                                QString _qstrStatusCaption)
{
    if (_qstrHostId.isEmpty() || _qstrFaceLibId.isEmpty()) {
        DL_LOG(
            3,
            "CLS_DataAccess::UpdateChannelSyncTaskStatus _qstrHostId.isEmpty() || _qstrFaceLibId.isEmpty()");
        return -1;
    }
    return CLS_FaceLibSyncTaskEntityDAO::GetInstance()->UpdateChannelSyncTaskStatus(_qstrHostId, _qstrFaceLibId, _iStatus, _qstrStatusCaption);
}

int CLS_DataAccess::GetSyncTaskCount(QString _qstrFaceLibId)
{
    return CLS_FaceLibSyncTaskEntityDAO::GetInstance()->GetSyncTaskCount(_qstrFaceLibId);
}
