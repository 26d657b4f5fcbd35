#include "CLS_IntelligentDataRecPathDecoder.h"

#include "DataBase/EntityDao/Rec/CLS_RecPathDecoder.h"
#include "Log.h"

#include <QFileInfo>
#include <QStringList>
#include <QtNumeric>

namespace FaceCapturePath {

namespace {

const char kBigSuffix[] = "b.jpg";

// A face type field: an integer in which "N" stands for a minus sign.
bool ParseTypeField(QString _strField, qint32& _iValue)
{
    _strField.replace(QLatin1Char('N'), QLatin1Char('-'));
    bool bOk = false;
    _iValue = _strField.toInt(&bOk, 10);
    return bOk;
}

bool ParseIntField(const QString& _strField, qint32& _iValue)
{
    bool bOk = false;
    _iValue = _strField.toInt(&bOk, 10);
    return bOk;
}

// Size of a readable regular file; -1 when there is none.
qint64 FileSize(const QString& _strPath)
{
    const QFileInfo info(_strPath);
    return info.isFile() && info.isReadable() ? info.size() : -1;
}

}  // namespace

bool DecodeFaceCapturePath(const QString& _strPath, STRCT_FaceParseResult& _result)
{
    if (RecPath::HasParentComponent(_strPath)) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFaceCapturePathToFaceParseResult]path contains ..");
        return false;
    }
    const int iLast = _strPath.lastIndexOf(QLatin1Char('/'));
    if (iLast < 0) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFaceCapturePathToFaceParseResult] _qstrFilePath.lastIndexOf(/) < 0");
        return false;
    }
    const QString qstrFileName = _strPath.mid(iLast + 1);
    if (qstrFileName.size() < FACECAPTURE_TIME_LEN) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFaceCapturePathToFaceParseResult]qstrFileName.size() < FACECAPTURE_TIME_LEN");
        return false;
    }
    const QString qstrDevInfo = _strPath.left(iLast);
    const int iFaceCapture = qstrDevInfo.indexOf(QLatin1String("FaceCapture"));
    if (iFaceCapture < 0) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFaceCapturePathToFaceParseResult]qstrDevInfo.indexOf(FaceCapture) < 0");
        return false;
    }
    const int iStart = _strPath.indexOf(QLatin1Char('/'), iFaceCapture);
    const int iEnd = iStart < 0 ? -1 : _strPath.indexOf(QLatin1Char('/'), iStart + 1);
    if (iStart < 0 || iEnd < 0) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFaceCapturePathToFaceParseResult]iIndex < 0");
        return false;
    }
    const QString strDevDir = _strPath.mid(iStart + 1, iEnd - iStart - 1);

    if (qstrFileName.at(qstrFileName.size() - 5) != QLatin1Char('b')) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFilePathToRecInfo]qstrPicType != b");
        return false;
    }
    if (!qstrFileName.endsWith(QLatin1String(kBigSuffix))) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFaceCapturePathToFaceParseResult]qstrFileName.lastIndexOf(b.jpg) < 0");
        return false;
    }

    const QString strTime = qstrFileName.mid(0, 8) + qstrFileName.mid(10, 6);
    const QStringList qstrlstFaceParam =
        qstrFileName.left(qstrFileName.size() - 5).split(QLatin1Char('-'), Qt::KeepEmptyParts);
    if (qstrlstFaceParam.size() < FACECAPTURE_PARAM_COUNT) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFilePathToRecInfo]qstrlstFaceParam.size() < FACECAPTURE_PARAM_COUNT");
        return false;
    }
    qint32 aiTypes[5] = {0, 0, 0, 0, 0};  // age, gender, masks, glasses, temperature
    for (int i = 0; i < 5; ++i) {
        if (!ParseTypeField(qstrlstFaceParam.at(i + 1), aiTypes[i])) {
            DL_LOG(3, "[CLS_DataMediator::DecodeFaceCapturePathToFaceParseResult]face field %d is not a number", i + 1);
            return false;
        }
    }
    bool bOk = false;
    const double dTemperature = qstrlstFaceParam.at(6).toDouble(&bOk);
    qint32 iExtra = 0;
    qint32 iSimilarity = 0;
    qint32 iFaceKey = 0;
    const bool bWithKey = qstrlstFaceParam.size() >= 10;
    if (!bOk || !qIsFinite(dTemperature) || !ParseIntField(qstrlstFaceParam.at(7), iExtra) ||
        (bWithKey && (!ParseIntField(qstrlstFaceParam.at(8), iSimilarity) ||
                      !ParseIntField(qstrlstFaceParam.at(9), iFaceKey)))) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFaceCapturePathToFaceParseResult]face field is not a number");
        return false;
    }
    RecPath::DirInfo dir;
    if (!RecPath::SplitChannelDir(strDevDir, dir)) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFilePathToRecInfo]qstrlstOtherInfo.size() < RECFILE_DIR_INFO_COUNT");
        return false;
    }

    // The pictures: the big one must be there; the siblings are optional.
    const qint64 i64BigSize = FileSize(_strPath);
    if (i64BigSize < 0) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFaceCapturePathToFaceParseResult]big picture not readable");
        return false;
    }
    const QString strStem = _strPath.left(_strPath.size() - 5);
    qint64 i64Total = i64BigSize;
    QString strSmallPath = strStem + QLatin1String("s.jpg");
    const qint64 i64SmallSize = FileSize(strSmallPath);
    if (i64SmallSize >= 0) {
        i64Total += i64SmallSize;
    } else {
        strSmallPath = _strPath;
    }
    QString strNegPath = strStem + QLatin1String("Neg.jpg");
    qint64 i64NegSize = FileSize(strNegPath);
    if (i64NegSize < 0) {
        strNegPath = strStem + QLatin1String("Neg.png");
        i64NegSize = FileSize(strNegPath);
    }
    if (i64NegSize >= 0) {
        i64Total += i64NegSize;
    } else {
        strNegPath.clear();
    }

    _result.m_strChannelID = dir.strChannelID;
    _result.m_iDirNumber = dir.iNumber;
    _result.m_strDirField1 = dir.strField1;
    _result.m_strDirField2 = dir.strField2;
    _result.m_strDirField3 = dir.strField3;
    _result.m_strCaptureTime = RecPath::FormatCompactTime(strTime);
    _result.m_iAgeType = aiTypes[0];
    _result.m_iGenderType = aiTypes[1];
    _result.m_iMasksType = aiTypes[2];
    _result.m_iGlassesType = aiTypes[3];
    _result.m_iTemperatureType = aiTypes[4];
    _result.m_strTemperatureValue = QString::number(dTemperature / 100.0, 'f', 2);
    _result.m_strBigPicPath = _strPath;
    _result.m_strSmallPicPath = strSmallPath;
    _result.m_strNegPicPath = strNegPath;
    _result.m_i64FileSize = i64Total / 1024;
    _result.m_iExtra = iExtra;
    _result.m_iSimilarity = bWithKey ? iSimilarity : 0;
    _result.m_iFaceKey = bWithKey ? iFaceKey : 0;
    _result.m_strName.clear();
    return true;
}

}  // namespace FaceCapturePath
