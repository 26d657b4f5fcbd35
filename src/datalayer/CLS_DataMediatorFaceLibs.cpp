// Face libraries: the synchronisation tasks of a channel's library and the binding reads.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "Log.h"

namespace {

// Devices of this type are bound by their own id; their "channel" is the device itself.
constexpr int kSelfHostedDeviceType = 4;

}  // namespace

int CLS_DataMediator::InsertTargetLibStaffTask(const QString& _qstrChanID, const QString& _qstrFaceLibID,
                                               const int& _iDeviceType)
{
    if (_qstrChanID.isEmpty() || _qstrFaceLibID.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::InsertTargetLibStaffTask _qstrChanID.isEmpty() || _qstrFaceLibID.isEmpty()");
        return -1;
    }
    const STRCT_VideoItem* pHost = GetHostItemOfChild(_qstrChanID);
    if (pHost == nullptr) {
        DL_LOG(3, "CLS_DataMediator::InsertTargetLibStaffTask pHost=nullptr");
        return -1;
    }
    const QString qstrHostId =
        _iDeviceType == kSelfHostedDeviceType ? _qstrChanID : QString::fromStdString(pHost->m_strID);
    return CLS_DataAccess::GetInstance().InsertTargetLibStaffTask(_qstrFaceLibID, qstrHostId, _qstrChanID);
}

int CLS_DataMediator::GetChanTargetLibbyID(QString _qstrChanID, QVector<CLS_ChannelTargetEntity>& _vecTargets)
{
    const int iRet = CLS_DataAccess::GetInstance().GetChanTargetLibbyID(_qstrChanID, _vecTargets);
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::GetChanTargetLibbyID iRet=%d", iRet);
    }
    return iRet;
}

int CLS_DataMediator::GetPersonLibOfNeedSyncByHostId(QString _qstrHostId, QVector<CLS_ChannelTargetEntity>& _vecTargets)
{
    const int iRet = CLS_DataAccess::GetInstance().GetPersonLibOfNeedSyncByHostId(_qstrHostId, _vecTargets);
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::GetPersonLibOfNeedSyncByHostId iRet=%d", iRet);
    }
    return iRet;
}
