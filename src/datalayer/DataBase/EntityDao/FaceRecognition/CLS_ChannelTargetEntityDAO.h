// Bindings of face libraries to channels (TAB_FACELIB_CHANNEL_REL) with their synchronisation
// state. States 2 and 4 need no synchronisation; the others keep the host in the work list.
#ifndef CLS_CHANNELTARGETENTITYDAO_H
#define CLS_CHANNELTARGETENTITYDAO_H

#include "CLS_FaceLibEntities.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QStringList>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_ChannelTargetEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_ChannelTargetEntityDAO* GetInstance();

    /// Stores the binding; an empty status caption is stored as "--".
    int InsertChannelTarget(const CLS_ChannelTargetEntity& _target);
    /// Removes the failed and pending tasks of the library on the channel, then the binding,
    /// stopping at the first failure.
    int UnbindChannelTarget(const QString& _qstrFaceLibId, const QString& _qstrChanId);

    // Reads; each appends and returns 0 or -1.
    int GetChanTargetLibbyID(const QString& _qstrChanId, QVector<CLS_ChannelTargetEntity>& _vecTargets);
    int GetChannelTargetsByLib(const QString& _qstrFaceLibId, QVector<CLS_ChannelTargetEntity>& _vecTargets);
    /// The distinct hosts the library is bound on.
    int GetHostIdsOfLib(const QString& _qstrFaceLibId, QStringList& _lstHostIds);
    /// The bindings in state _iSynState.
    int GetSyncingLibId(int _iSynState, QVector<CLS_ChannelTargetEntity>& _vecTargets);
    /// The hosts with a binding that still needs synchronisation.
    int GetHostsNeedSync(QStringList& _lstHostIds);
    /// The bindings of a host that still need synchronisation.
    int GetPersonLibOfNeedSyncByHostId(const QString& _qstrHostId, QVector<CLS_ChannelTargetEntity>& _vecTargets);

    // Counts, -1 when the read failed.
    int GetBoundCountOnHost(const QString& _qstrFaceLibId, const QString& _qstrHostId);
    /// Bindings of the library in state 1.
    int GetBoundCount(const QString& _qstrFaceLibId);
    int IsTargetLibBoundChan(const QString& _qstrFaceLibId, const QString& _qstrChanId);

    /// State and caption of the bindings matching every non-empty id; -1 (level 3) when all three
    /// are empty, which would change every binding.
    int UpdateChannelTargetStatus(const QString& _qstrHostId, const QString& _qstrFaceLibId, const QString& _qstrChanId,
                                  int _iStatus, const QString& _qstrStatusCaption);
    /// Caption only, with the same conditions and refusal; an empty caption is stored as "--".
    int UpdateChannelTargetCaption(const QString& _qstrHostId, const QString& _qstrFaceLibId,
                                   const QString& _qstrChanId, const QString& _qstrStatusCaption);

protected:
    CLS_ChannelTargetEntityDAO() = default;
};

#endif  // CLS_CHANNELTARGETENTITYDAO_H
