// Face captures: path decoding, storing (skipped under the "r480" software type), search,
// statistics, retention queries and deletion.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/FaceRecognition/CLS_IntelligentDataRecPathDecoder.h"
#include "Log.h"

#include <exception>

namespace {

CLS_IntelligentDataRecEntity ToEntity(const STRCT_FaceParseResult& _result)
{
    CLS_IntelligentDataRecEntity entity;
    entity.S_HOST_ID = _result.m_strHostID;
    entity.S_CHANNEL_ID = _result.m_strChannelID;
    entity.I_AGE_TYPE = _result.m_iAgeType;
    entity.I_GENDER_TYPE = _result.m_iGenderType;
    entity.I_MASKS_TYPE = _result.m_iMasksType;
    entity.I_GLASSES_TYPE = _result.m_iGlassesType;
    entity.I_TEMPERATURE_TYPE = _result.m_iTemperatureType;
    entity.S_TEMPERATURE_VALUE = _result.m_strTemperatureValue;
    entity.DT_CAPTURE = _result.m_strCaptureTime;
    entity.S_BIG_PATH = _result.m_strBigPicPath;
    entity.S_SMALL_PATH = _result.m_strSmallPicPath;
    entity.S_NEGPIC_PATH = _result.m_strNegPicPath;
    entity.I_FILE_SIZE = _result.m_i64FileSize;
    entity.S_NAME = _result.m_strName;
    entity.I_SIMILARITY = _result.m_iSimilarity;
    entity.I_FACEKEY = _result.m_iFaceKey;
    return entity;
}

// 1 (logged) when the software type stores no captures, 0 when it stores them, -1 (logged)
// when the setting could not be read: then nothing is stored and the caller fails.
int StoresNothing(const char* _pszOperation)
{
    QString strType;
    if (CLS_DataAccess::GetInstance().GetSoftwareType(strType) != 0) {
        DL_LOG(2, "%s GetSoftwareType failed", _pszOperation);
        return -1;
    }
    if (strType != QLatin1String(CLS_DataAccess::kSoftwareTypeNoRecords)) {
        return 0;
    }
    DL_LOG(2, "%s SoftwareType=%s", _pszOperation, qUtf8Printable(strType));
    return 1;
}

}  // namespace

bool CLS_DataMediator::DecodeFaceCapturePathToFaceParseResult(QString _strFilePath, STRCT_FaceParseResult& _result)
{
    try {
        return FaceCapturePath::DecodeFaceCapturePath(_strFilePath, _result);
    } catch (const std::exception& e) {
        DL_LOG(4, "[CLS_DataMediator::DecodeFaceCapturePathToFaceParseResult]exception %s", e.what());
    } catch (...) {
        DL_LOG(4, "[CLS_DataMediator::DecodeFaceCapturePathToFaceParseResult]exception %s", "unknown");
    }
    return false;
}

bool CLS_DataMediator::AddTransactionForAddFaceCapture(const QVector<STRCT_FaceParseResult>& _vecResults)
{
    const int iNothing = StoresNothing("CLS_DataMediator::AddTransactionForAddFaceCapture");
    if (iNothing != 0) {
        return iNothing > 0;
    }
    QVector<CLS_IntelligentDataRecEntity> vecEntities;
    vecEntities.reserve(_vecResults.size());
    for (const STRCT_FaceParseResult& result : _vecResults) {
        vecEntities.append(ToEntity(result));
    }
    return CLS_DataAccess::GetInstance().AddFaceCaptures(vecEntities) >= 0;
}

int CLS_DataMediator::AddFaceCapture(const STRCT_FaceParseResult& _result)
{
    const int iNothing = StoresNothing("CLS_DataMediator::AddFaceCapture");
    if (iNothing != 0) {
        return iNothing > 0 ? 0 : -1;
    }
    CLS_IntelligentDataRecEntity entity = ToEntity(_result);
    return CLS_DataAccess::GetInstance().AddFaceCapture(entity);
}

int CLS_DataMediator::SearchFaceCapture(const CLS_IntelligentDataRecSearchEntity& _search,
                                        QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures)
{
    return CLS_DataAccess::GetInstance().SearchFaceCapture(_search, _vecCaptures);
}

int CLS_DataMediator::GetFaceCaptureCount(const CLS_IntelligentDataRecSearchEntity& _search)
{
    return CLS_DataAccess::GetInstance().GetFaceCaptureCount(_search);
}

int CLS_DataMediator::GetFaceCaptureStatistics(QString _strDate, int _iPeriod, int _iKind, QString _strChannelID,
                                               QMap<QString, QVector<qint64>>& _mapResult)
{
    return CLS_DataAccess::GetInstance().GetFaceCaptureStatistics(_strDate, _iPeriod, _iKind, _strChannelID,
                                                                  _mapResult);
}

QDateTime CLS_DataMediator::GetEarliestFaceCaptureTime()
{
    return CLS_DataAccess::GetInstance().GetEarliestFaceCaptureTime();
}

int CLS_DataMediator::GetOldestFaceCaptures(int _iCount, QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures)
{
    return CLS_DataAccess::GetInstance().GetOldestFaceCaptures(_iCount, _vecCaptures);
}

qint64 CLS_DataMediator::GetOldestFaceCaptureSize(int _iCount)
{
    return CLS_DataAccess::GetInstance().GetOldestFaceCaptureSize(_iCount);
}

int CLS_DataMediator::GetFaceCapturesBefore(QString _strTime, QVector<CLS_IntelligentDataRecEntity*>& _vecCaptures)
{
    return CLS_DataAccess::GetInstance().GetFaceCapturesBefore(_strTime, _vecCaptures);
}

qint64 CLS_DataMediator::GetFaceCaptureSizeBefore(QString _strTime)
{
    return CLS_DataAccess::GetInstance().GetFaceCaptureSizeBefore(_strTime);
}

int CLS_DataMediator::DeleteFaceCaptureByIds(const QList<QPair<QString, QString>>& _lstIdTimes)
{
    return CLS_DataAccess::GetInstance().DeleteFaceCaptureByIds(_lstIdTimes);
}

int CLS_DataMediator::DeleteAllFaceCapture()
{
    return CLS_DataAccess::GetInstance().DeleteAllFaceCapture();
}
