// Recording files: path decoding with the host look-up, the index of this system, the
// pre-record and delay cache, recording-type colours and the operation log.
#include "DataBase/EntityDao/Rec/CLS_RecPathDecoder.h"
#include "DataBase/EntityDao/Tree/CLS_ResourceTree.h"

using namespace ResourceTree;

namespace {

CLS_RecFileEntity ToEntity(const STRCT_RecFileInfo& _info)
{
    CLS_RecFileEntity entity;
    entity.S_HOST_ID = _info.m_strHostID;
    entity.S_CAMERA_ID = _info.m_strChannelID;
    entity.I_REC_TYPE_ID = _info.m_iRecType;
    entity.I_REC_STREAM_TYPE = _info.m_iStreamType;
    entity.S_RECFILE_NAME = _info.m_strFileName;
    entity.S_SAVE_PATH = _info.m_strSavePath;
    entity.DT_START = _info.m_strStartTime;
    entity.DT_END = _info.m_strEndTime;
    entity.I_LENGTH = _info.m_uiLength;
    entity.I_LOCK = _info.m_iLock;
    entity.S_SAVE_DISK = _info.m_strSaveDisk;
    return entity;
}

}  // namespace

bool CLS_DataMediator::DecodeFilePathToRecInfo(QString _strFilePath, bool _bSkipHostLookup, STRCT_RecFileInfo& _info)
{
    try {
        STRCT_RecFileInfo decoded = _info;
        if (!RecPath::DecodeRecFilePath(_strFilePath, decoded)) {
            return false;
        }
        if (!_bSkipHostLookup) {
            ReadLocker locker(&m_lockResourceData);
            const STRCT_VideoItem* pItem = CLS_ResourceTree::Find(*this, decoded.m_strChannelID);
            const STRCT_VideoItem* pVideoItem =
                pItem != nullptr ? CLS_ResourceTree::Find(*this, qs(pItem->m_strParentID)) : nullptr;
            if (pVideoItem == nullptr) {
                DL_LOG(3, "[CLS_DataMediator::DecodeFilePathToRecInfo]pVideoItem == nullptr");
                return false;
            }
            if (pVideoItem->GetType() != vitHost) {
                DL_LOG(3, "[CLS_DataMediator::DecodeFilePathToRecInfo]pVideoItem->GetType() != vitHost");
                return false;
            }
            decoded.m_strHostID = qs(pVideoItem->m_strID);
        } else {
            decoded.m_strHostID.clear();
        }
        _info = decoded;
        return true;
    } catch (const std::exception& e) {
        DL_LOG(4, "[CLS_DataMediator::DecodeFilePathToRecInfo]DecodeFilePathToRecInfo exception %s", e.what());
    } catch (...) {
        DL_LOG(4, "[CLS_DataMediator::DecodeFilePathToRecInfo]DecodeFilePathToRecInfo exception %s", "unknown");
    }
    return false;
}

bool CLS_DataMediator::AddRecordFile(const STRCT_RecFileInfo& _info)
{
    return CLS_DataAccess::GetInstance().AddRecordFile(ToEntity(_info)) >= 0;
}

int CLS_DataMediator::AddRecordFileToTransaction(const QVector<STRCT_RecFileInfo>& _vecInfos)
{
    QVector<CLS_RecFileEntity> vecEntities;
    vecEntities.reserve(_vecInfos.size());
    for (const STRCT_RecFileInfo& info : _vecInfos) {
        vecEntities.append(ToEntity(info));
    }
    return CLS_DataAccess::GetInstance().AddRecordFileToTransaction(vecEntities);
}

int CLS_DataMediator::AddRecordFileByTransaction()
{
    return CLS_DataAccess::GetInstance().AddRecordFileByTransaction();
}

int CLS_DataMediator::SearchPlaybackRecFile(const CLS_RecFileSearchEntity& _search,
                                            QVector<CLS_RecFileEntity*>& _vecFiles)
{
    return CLS_DataAccess::GetInstance().SearchPlaybackRecFile(_search, _vecFiles);
}

int CLS_DataMediator::DeleteRecordFileByIds(const QSet<qint32>& _setIds)
{
    return CLS_DataAccess::GetInstance().DeleteRecordFileByIds(_setIds);
}

int CLS_DataMediator::DeleteAllRecordFile(QString _strSaveDisk)
{
    return CLS_DataAccess::GetInstance().DeleteAllRecordFile(_strSaveDisk);
}

QDateTime CLS_DataMediator::GetEarliestRecordTime()
{
    return CLS_DataAccess::GetInstance().GetEarliestRecordTime();
}

int CLS_DataMediator::GetAllRecordFile(QVector<CLS_RecFileEntity*>& _vecFiles)
{
    return CLS_DataAccess::GetInstance().GetAllRecordFile(_vecFiles);
}

qint64 CLS_DataMediator::GetOldestRecordFileLength(int _iCount)
{
    return CLS_DataAccess::GetInstance().GetOldestRecordFileLength(_iCount);
}

qint64 CLS_DataMediator::GetTotalRecordFileLength()
{
    return CLS_DataAccess::GetInstance().GetTotalRecordFileLength();
}

int CLS_DataMediator::UpdateRecordPreAndDelayData(const QVector<CLS_RecPreDelayEntity>& _vecValues)
{
    // Delete and insert go as one transaction: a failure leaves the stored values as they were.
    const int iRet = CLS_DataAccess::GetInstance().ReplaceRecPreDelay(_vecValues);
    if (iRet < 0) {
        DL_LOG(2, "[CLS_DataMediator::UpdateRecordPreAndDelayData] InsertRecordPreAndDelayData < 0");
        return iRet;
    }
    LoadRecordPreAndDelayData();
    return iRet;
}

void CLS_DataMediator::LoadRecordPreAndDelayData()
{
    m_qmapRecPreDelay.clear();
    QVector<CLS_RecPreDelayEntity*> vecValues;
    CLS_DataAccess::GetInstance().SelectRecPreDelayDataAll(vecValues);
    for (const CLS_RecPreDelayEntity* pValue : qAsConst(vecValues)) {
        m_qmapRecPreDelay.insert(pValue->S_CAMERA_ID, qMakePair(pValue->I_REC_PRE, pValue->I_REC_DELAY));
    }
    qDeleteAll(vecValues);
}

QMap<QString, QPair<qint32, qint32>> CLS_DataMediator::GetRecordPreAndDelayData()
{
    return m_qmapRecPreDelay;
}

int CLS_DataMediator::GetRecTypeColor(QMap<QString, QString>& _mapColors)
{
    return CLS_DataAccess::GetInstance().GetRecTypeColor(_mapColors);
}

int CLS_DataMediator::AddOperationLog(QString _strTime, QString _strUserID, qint32 _iLogType, qint32 _iLogDetailType,
                                      QString _strDescription)
{
    return CLS_DataAccess::GetInstance().AddOperationLog(_strTime, _strUserID, _iLogType, _iLogDetailType,
                                                         _strDescription);
}

int CLS_DataMediator::SearchOperationLog(const STRCT_OperationLogFilter& _filter, int _iPageSize, int _iPageNumber,
                                         QVector<CLS_OperationLogEntity*>& _vecEntries)
{
    return CLS_DataAccess::GetInstance().SearchOperationLog(_filter, _iPageSize, _iPageNumber, _vecEntries);
}

int CLS_DataMediator::GetOperationLogCount(const STRCT_OperationLogFilter& _filter)
{
    return CLS_DataAccess::GetInstance().GetOperationLogCount(_filter);
}

int CLS_DataMediator::DeleteOperationLog(QString _strUserID, QString _strKeepTime)
{
    return CLS_DataAccess::GetInstance().DeleteOperationLog(_strUserID, _strKeepTime);
}
