// Security vehicle lists: the send rows of a terminal.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "Log.h"

int CLS_DataMediator::QuerySendDataByTerminalSn(QString _qstrTerminalSn, QVector<CLS_SecurityCarSendEntity>& _vecSends)
{
    const int iRet = CLS_DataAccess::GetInstance().QuerySendDataByTerminalSn(_qstrTerminalSn, _vecSends);
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::QuerySendDataByTerminalSn ret ！= 0");
    }
    return iRet;
}
