// Recording files, pre-record and delay values, recording-type colours and the operation log:
// forwarders to their DAOs.
#include "CLS_DataAccess.h"

#include "DataBase/EntityDao/Rec/CLS_RecFileEntityDAO.h"
#include "DataBase/EntityDao/Rec/CLS_RecLogRecordDAO.h"
#include "DataBase/EntityDao/Rec/CLS_RecPreDelayEntityDAO.h"

int CLS_DataAccess::AddRecordFile(const CLS_RecFileEntity& _entity)
{
    return CLS_RecFileEntityDAO::GetInstance()->AddRecordFile(_entity);
}

int CLS_DataAccess::AddRecordFileToTransaction(const QVector<CLS_RecFileEntity>& _vecEntities)
{
    return CLS_RecFileEntityDAO::GetInstance()->AddRecordFileToTransaction(_vecEntities);
}

int CLS_DataAccess::AddRecordFileByTransaction()
{
    return CLS_RecFileEntityDAO::GetInstance()->AddRecordFileByTransaction();
}

int CLS_DataAccess::SearchPlaybackRecFile(const CLS_RecFileSearchEntity& _search,
                                          QVector<CLS_RecFileEntity*>& _vecFiles)
{
    return CLS_RecFileEntityDAO::GetInstance()->SearchPlaybackRecFile(_search, _vecFiles);
}

int CLS_DataAccess::DeleteRecordFileByIds(const QSet<qint32>& _setIds)
{
    return CLS_RecFileEntityDAO::GetInstance()->DeleteRecordFileByIds(_setIds);
}

int CLS_DataAccess::DeleteAllRecordFile(const QString& _strSaveDisk)
{
    return CLS_RecFileEntityDAO::GetInstance()->DeleteAllRecordFile(_strSaveDisk);
}

QDateTime CLS_DataAccess::GetEarliestRecordTime()
{
    return CLS_RecFileEntityDAO::GetInstance()->GetEarliestRecordTime();
}

int CLS_DataAccess::GetAllRecordFile(QVector<CLS_RecFileEntity*>& _vecFiles)
{
    return CLS_RecFileEntityDAO::GetInstance()->GetAllRecordFile(_vecFiles);
}

qint64 CLS_DataAccess::GetOldestRecordFileLength(int _iCount)
{
    return CLS_RecFileEntityDAO::GetInstance()->GetOldestRecordFileLength(_iCount);
}

qint64 CLS_DataAccess::GetTotalRecordFileLength()
{
    return CLS_RecFileEntityDAO::GetInstance()->GetTotalRecordFileLength();
}

int CLS_DataAccess::ReplaceRecPreDelay(const QVector<CLS_RecPreDelayEntity>& _vecValues)
{
    return CLS_RecPreDelayEntityDAO::GetInstance()->ReplaceRecPreDelay(_vecValues);
}

int CLS_DataAccess::SelectRecPreDelayDataAll(QVector<CLS_RecPreDelayEntity*>& _vecValues)
{
    return CLS_RecPreDelayEntityDAO::GetInstance()->SelectRecPreDelayDataAll(_vecValues);
}

int CLS_DataAccess::GetRecTypeColor(QMap<QString, QString>& _mapColors)
{
    return CLS_RecPreDelayEntityDAO::GetInstance()->GetRecTypeColor(_mapColors);
}

int CLS_DataAccess::AddOperationLog(const QString& _strTime, const QString& _strUserID, qint32 _iLogType,
                                    qint32 _iLogDetailType, const QString& _strDescription)
{
    return CLS_RecLogRecordDAO::GetInstance()->AddOperationLog(_strTime, _strUserID, _iLogType, _iLogDetailType,
                                                               _strDescription);
}

int CLS_DataAccess::SearchOperationLog(const STRCT_OperationLogFilter& _filter, int _iPageSize, int _iPageNumber,
                                       QVector<CLS_OperationLogEntity*>& _vecEntries)
{
    return CLS_RecLogRecordDAO::GetInstance()->SearchOperationLog(_filter, _iPageSize, _iPageNumber, _vecEntries);
}

int CLS_DataAccess::GetOperationLogCount(const STRCT_OperationLogFilter& _filter)
{
    return CLS_RecLogRecordDAO::GetInstance()->GetOperationLogCount(_filter);
}

int CLS_DataAccess::DeleteOperationLog(const QString& _strUserID, const QString& _strKeepTime)
{
    return CLS_RecLogRecordDAO::GetInstance()->DeleteOperationLog(_strUserID, _strKeepTime);
}
