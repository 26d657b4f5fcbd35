// Security vehicle lists: forwarders to CLS_SecurityCarEntityDAO, including the virtual slots of
// its send-row operations.
#include "CLS_DataAccess.h"
#include "Log.h"

#include "DataBase/EntityDao/SecurityCar/CLS_SecurityCarEntityDAO.h"

namespace {

CLS_SecurityCarEntityDAO* carDao()
{
    return CLS_SecurityCarEntityDAO::GetInstance();
}

}  // namespace

int CLS_DataAccess::ResetSecurityCarSendStatus(int _iOldState, int _iNewState)
{
    return carDao()->ResetSendStatus(_iOldState, _iNewState);
}

int CLS_DataAccess::ReplaceSecurityCarSend(const CLS_SecurityCarSendEntity& _send)
{
    if (_send.S_TERMINALSN.isEmpty() || _send.S_VLP.isEmpty()) {
        DL_LOG(
            3,
            "CLS_DataAccess::ReplaceSecurityCarSend _send.S_TERMINALSN.isEmpty() || _send.S_VLP.isEmpty()");
        return -1;
    }
    return carDao()->ReplaceSecurityCarSend(_send);
}

int CLS_DataAccess::QuerySendDataByTerminalSn(QString _qstrTerminalSn, QVector<CLS_SecurityCarSendEntity>& _vecSends)
{
    if (_qstrTerminalSn.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::QuerySendDataByTerminalSn _qstrTerminalSn.isEmpty()");
        return -1;
    }
    return carDao()->QuerySendDataByTerminalSn(_qstrTerminalSn, _vecSends);
}

int CLS_DataAccess::UpdateSecurityCarSend(const CLS_SecurityCarSendEntity& _send, QString _qstrOldCmdId)
{
    return carDao()->UpdateSecurityCarSend(_send, _qstrOldCmdId);
}

int CLS_DataAccess::UpdateSecurityCarSendStatusByCmd(QString _qstrTerminalSn, QString _qstrCmdId, int _iState)
{
    return carDao()->UpdateSendStatusByCmd(_qstrTerminalSn, _qstrCmdId, _iState);
}

int CLS_DataAccess::PurgeSecurityCarRemovals()
{
    return carDao()->PurgeFinishedRemovals();
}

int CLS_DataAccess::AddSecurityCar(const CLS_SecurityCarEntity& _car)
{
    if (_car.S_ID.isEmpty() || _car.S_VLP.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::AddSecurityCar _car.S_ID.isEmpty() || _car.S_VLP.isEmpty()");
        return -1;
    }
    return carDao()->AddSecurityCar(_car);
}

int CLS_DataAccess::ReplaceSecurityCar(const CLS_SecurityCarEntity& _car)
{
    if (_car.S_ID.isEmpty() || _car.S_VLP.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::ReplaceSecurityCar _car.S_ID.isEmpty() || _car.S_VLP.isEmpty()");
        return -1;
    }
    return carDao()->ReplaceSecurityCar(_car);
}

int CLS_DataAccess::UpdateSecurityCar(const CLS_SecurityCarEntity& _car, QString _qstrOldVlp, int _iOldVlpc)
{
    if (_car.S_VLP.isEmpty() || _qstrOldVlp.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::UpdateSecurityCar _car.S_VLP.isEmpty() || _qstrOldVlp.isEmpty()");
        return -1;
    }
    return carDao()->UpdateSecurityCar(_car, _qstrOldVlp, _iOldVlpc);
}

int CLS_DataAccess::DeleteSecurityCar(QString _qstrVlp, int _iVlpc)
{
    if (_qstrVlp.isEmpty()) {
        DL_LOG(3, "CLS_DataAccess::DeleteSecurityCar _qstrVlp.isEmpty()");
        return -1;
    }
    return carDao()->DeleteSecurityCar(_qstrVlp, _iVlpc);
}

int CLS_DataAccess::GetUnsentSecurityCars(QString _qstrTerminalSn, int _iListType, QString _qstrVlp, int _iVlpc,
                                          QVector<CLS_SecurityCarSendEntity>& _vecCars)
{
    return carDao()->GetUnsentSecurityCars(_qstrTerminalSn, _iListType, _qstrVlp, _iVlpc, _vecCars);
}

int CLS_DataAccess::GetSecurityCarPage(QString _qstrVlp, int _iPageSize, int _iPageIndex, int& _iTotal,
                                       QVector<CLS_SecurityCarEntity>& _vecCars)
{
    if (_iPageSize <= 0 || _iPageIndex < 0) {
        DL_LOG(3, "CLS_DataAccess::GetSecurityCarPage _iPageSize <= 0 || _iPageIndex < 0");
        return -1;
    }
    return carDao()->GetSecurityCarPage(_qstrVlp, _iPageSize, _iPageIndex, _iTotal, _vecCars);
}

int CLS_DataAccess::GetSecurityCarSendPage(const STRCT_SecurityCarSendQuery& _query, int _iPageSize, int _iPageIndex,
                                           int& _iTotal, QVector<CLS_SecurityCarSendEntity>& _vecSends)
{
    if (_iPageSize <= 0 || _iPageIndex < 0) {
        DL_LOG(3, "CLS_DataAccess::GetSecurityCarSendPage _iPageSize <= 0 || _iPageIndex < 0");
        return -1;
    }
    return carDao()->GetSecurityCarSendPage(_query, _iPageSize, _iPageIndex, _iTotal, _vecSends);
}
