// Face captures: forwarders to the facade's CLS_IntelligentDataRecEntityDAO, which is the
// DAO's single instance, taken on first use.
#include "CLS_DataAccess.h"

#include "DataBase/EntityDao/FaceRecognition/CLS_IntelligentDataRecEntityDAO.h"

namespace {

CLS_IntelligentDataRecEntityDAO* FaceDao(CLS_IntelligentDataRecEntityDAO*& _pDao)
{
    if (_pDao == nullptr) {
        _pDao = CLS_IntelligentDataRecEntityDAO::GetInstance();
    }
    return _pDao;
}

}  // namespace

int CLS_DataAccess::AddFaceCaptures(QVector<CLS_IntelligentDataRecEntity>& _vecEntities)
{
    return FaceDao(m_pIntelligentDataRecEntityDAO)->AddFaceCaptures(_vecEntities);
}

int CLS_DataAccess::AddFaceCapture(CLS_IntelligentDataRecEntity& _entity)
{
    return FaceDao(m_pIntelligentDataRecEntityDAO)->AddFaceCapture(_entity);
}

int CLS_DataAccess::SearchFaceCapture(const CLS_IntelligentDataRecSearchEntity& _search,
                                      QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures)
{
    return FaceDao(m_pIntelligentDataRecEntityDAO)->SearchFaceCapture(_search, _vecCaptures);
}

int CLS_DataAccess::GetFaceCaptureCount(const CLS_IntelligentDataRecSearchEntity& _search)
{
    return FaceDao(m_pIntelligentDataRecEntityDAO)->GetFaceCaptureCount(_search);
}

int CLS_DataAccess::GetFaceCaptureStatistics(const QString& _strDate, int _iPeriod, int _iKind,
                                             const QString& _strChannelID,
                                             QMap<QString, QVector<qint64>>& _mapResult)
{
    return FaceDao(m_pIntelligentDataRecEntityDAO)
        ->GetFaceCaptureStatistics(_strDate, _iPeriod, _iKind, _strChannelID, _mapResult);
}

QDateTime CLS_DataAccess::GetEarliestFaceCaptureTime()
{
    return FaceDao(m_pIntelligentDataRecEntityDAO)->GetEarliestFaceCaptureTime();
}

int CLS_DataAccess::GetOldestFaceCaptures(int _iCount, QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures)
{
    return FaceDao(m_pIntelligentDataRecEntityDAO)->GetOldestFaceCaptures(_iCount, _vecCaptures);
}

qint64 CLS_DataAccess::GetOldestFaceCaptureSize(int _iCount)
{
    return FaceDao(m_pIntelligentDataRecEntityDAO)->GetOldestFaceCaptureSize(_iCount);
}

int CLS_DataAccess::GetFaceCapturesBefore(const QString& _strTime,
                                          QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures)
{
    return FaceDao(m_pIntelligentDataRecEntityDAO)->GetFaceCapturesBefore(_strTime, _vecCaptures);
}

qint64 CLS_DataAccess::GetFaceCaptureSizeBefore(const QString& _strTime)
{
    return FaceDao(m_pIntelligentDataRecEntityDAO)->GetFaceCaptureSizeBefore(_strTime);
}

int CLS_DataAccess::DeleteFaceCaptureByIds(const QList<QPair<QString, QString>>& _lstIdTimes)
{
    return FaceDao(m_pIntelligentDataRecEntityDAO)->DeleteFaceCaptureByIds(_lstIdTimes);
}

int CLS_DataAccess::DeleteAllFaceCapture()
{
    return FaceDao(m_pIntelligentDataRecEntityDAO)->DeleteAllFaceCapture();
}
