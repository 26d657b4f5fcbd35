// The queue of per-person synchronisation tasks (TAB_FACELIB_HOST_SYNC_TASK) and the failed
// tasks (TAB_FACELIB_HOST_SYNC_FAIL). A task keeps its id when it moves between the two.
#ifndef CLS_FACELIBSYNCTASKENTITYDAO_H
#define CLS_FACELIBSYNCTASKENTITYDAO_H

#include "CLS_FaceLibEntities.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QVector>

class DATAMEDIATOR_EXPORT CLS_FaceLibSyncTaskEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_FaceLibSyncTaskEntityDAO* GetInstance();

    /// One task (command 1, sub-command 2) per member of the library for the channel, in one
    /// transaction; nothing is sent for a library without members.
    int InsertTargetLibStaffTask(const QString& _qstrFaceLibId, const QString& _qstrHostId, const QString& _qstrChanId);
    /// One task from the record (a new id when S_ID is empty); an empty finger-or-card id is
    /// stored as "null".
    int InsertStaffTask(const CLS_FaceLibSyncTaskEntity& _task);
    /// The pending tasks of one binding: _vecTasks those whose person exists (with its data),
    /// _vecDeleteTasks those of commands 4 and 5, which need no person. Both lists are replaced
    /// on success and left as they were on failure.
    int GetSyncTask(const QString& _qstrHostId, const QString& _qstrFaceLibId, const QString& _qstrChanId,
                    QVector<CLS_FaceLibSyncTaskEntity>& _vecTasks, QVector<CLS_FaceLibSyncTaskEntity>& _vecDeleteTasks);
    /// One pending task. 0 when found, -1 when missing or the read failed.
    int QueryTaskSyncById(const QString& _qstrTaskId, CLS_FaceLibSyncTaskEntity& _task);
    /// Done: removes a pending task.
    int DeleteSyncTask(const QString& _qstrTaskId);
    /// Moves a pending task with the error text to the failure table (one transaction).
    int InsertSyncTaskFail(const QString& _qstrTaskId, const QString& _qstrError);
    /// Appends the failed tasks matching the criteria. 0 or -1.
    int SearchTaskFail(const STRCT_FaceSyncTaskQuery& _query, QVector<CLS_FaceLibSyncTaskEntity>& _vecTasks);
    /// Number of failed tasks matching the criteria, -1 when the read failed.
    int GetTaskFailCount(const STRCT_FaceSyncTaskQuery& _query);
    /// Number of distinct members of the library with a failed add, change or delete (commands
    /// 1 to 3), on the host and channel when given; -1 when the read failed.
    int GetFailPersonCount(const QString& _qstrFaceLibId, const QString& _qstrHostId, const QString& _qstrChanId);
    /// Removes the failed tasks matching the person, library, host, channel and command criteria;
    /// -1 (level 3) when none of them is set.
    int DeleteFailTask(const STRCT_FaceSyncTaskQuery& _query);
    /// Moves a failed task back into the queue and sets the bindings of its host and library to
    /// state 3 (one transaction per task). 0 also when there is no such task.
    int TaskFailConvertSync(const QString& _qstrTaskId);
    /// State and caption of the bindings of the library on the host.
    int UpdateChannelSyncTaskStatus(const QString& _qstrHostId, const QString& _qstrFaceLibId, int _iStatus,
                                    const QString& _qstrStatusCaption);
    /// Number of pending tasks of the library (every library when empty), -1 when the read failed.
    int GetSyncTaskCount(const QString& _qstrFaceLibId);

protected:
    CLS_FaceLibSyncTaskEntityDAO() = default;
};

#endif  // CLS_FACELIBSYNCTASKENTITYDAO_H
