// Passenger-flow statistics: forwarders to the counting and region side of
// CLS_PassengerFlowDAO, the DAO's single instance.
#include "CLS_DataAccess.h"

#include "DataBase/EntityDao/PassengerFlow/CLS_PassengerFlowDAO.h"

#include <QDebug>

namespace {

// False (on the debug stream) for an empty user id.
bool HasUser(const QString& _strUserID, const char* _pszOperation)
{
    if (_strUserID.isEmpty()) {
        qDebug() << _pszOperation << "_strUserID.isEmpty()";
        return false;
    }
    return true;
}

}  // namespace

int CLS_DataAccess::AddPassengerFlowInfo(const CLS_PassengerFlowEntity& _entity)
{
    return CLS_PassengerFlowDAO::GetInstance()->AddPassengerFlowInfo(_entity);
}

int CLS_DataAccess::SearchPassengerFlowTotal(const QString& _strRegionID, const QString& _strClearTime,
                                             const QString& _strNowMonth, STRCT_PassengerFlowCounts& _counts)
{
    return CLS_PassengerFlowDAO::GetInstance()->SearchTotal(_strRegionID, _strClearTime, _strNowMonth, _counts);
}

int CLS_DataAccess::GetPassengerFlowStatistics(const CLS_PassengerFlowStatisticConditionEntity& _condition,
                                               QMap<QString, STRCT_PassengerFlowCounts>& _mapResult)
{
    return CLS_PassengerFlowDAO::GetInstance()->GetStatistics(_condition, _mapResult);
}

int CLS_DataAccess::DeletePassengerFlowInfoBefore(const QString& _strMonth)
{
    return CLS_PassengerFlowDAO::GetInstance()->DeletePassengerFlowInfoBefore(_strMonth);
}

int CLS_DataAccess::GetPassengerFlowRegions(const QString& _strUserID, QVector<CLS_RegionEntity*>& _vecRegions)
{
    if (!HasUser(_strUserID, "CLS_DataAccess::GetPassengerFlowRegions")) {
        return -1;
    }
    return CLS_PassengerFlowDAO::GetInstance()->GetRegions(_strUserID, _vecRegions);
}

int CLS_DataAccess::UpdatePassengerFlowRegion(const STRCT_PassengerFlowRegionParam& _param, const QString& _strUserID,
                                              const QString& _strClearTime)
{
    if (!HasUser(_strUserID, "CLS_DataAccess::UpdatePassengerFlowRegion")) {
        return -1;
    }
    return CLS_PassengerFlowDAO::GetInstance()->UpdateRegionParam(_param, _strUserID, _strClearTime);
}

int CLS_DataAccess::DeletePassengerFlowRegions(const QStringList& _lstRegionIDs, const QString& _strUserID)
{
    if (!HasUser(_strUserID, "CLS_DataAccess::DeletePassengerFlowRegions")) {
        return -1;
    }
    return CLS_PassengerFlowDAO::GetInstance()->DeleteRegionParam(_lstRegionIDs, _strUserID);
}

int CLS_DataAccess::DeletePassengerFlowRegionChannels(const QStringList& _lstChannelObjIDs, const QString& _strUserID)
{
    if (!HasUser(_strUserID, "CLS_DataAccess::DeletePassengerFlowRegionChannels")) {
        return -1;
    }
    return CLS_PassengerFlowDAO::GetInstance()->DeleteRegionChannels(_lstChannelObjIDs, _strUserID);
}

int CLS_DataAccess::UpdatePassengerFlowRegionClearTime(const QString& _strRegionID, const QString& _strClearTime)
{
    return CLS_PassengerFlowDAO::GetInstance()->UpdateRegionClearTime(_strRegionID, _strClearTime);
}
