#include "CLS_RecPathDecoder.h"

#include "Log.h"

#include <QStringList>

namespace RecPath {

bool SplitChannelDir(const QString& _strDir, DirInfo& _info)
{
    const QStringList lstFields = _strDir.split(QLatin1Char('-'), Qt::KeepEmptyParts);
    const int iCount = lstFields.size();
    if (iCount < RECFILE_DIR_INFO_COUNT) {
        return false;
    }
    _info.strField1 = lstFields.at(iCount - 5);
    _info.strField2 = lstFields.at(iCount - 4);
    _info.strField3 = lstFields.at(iCount - 3);
    _info.iNumber = lstFields.at(iCount - 2).toInt(nullptr, 10);
    _info.strChannelID = lstFields.at(iCount - 1);
    return true;
}

QString FormatCompactTime(const QString& _strDigits)
{
    return _strDigits.mid(0, 4) + QLatin1Char('-') + _strDigits.mid(4, 2) + QLatin1Char('-') +
           _strDigits.mid(6, 2) + QLatin1Char(' ') + _strDigits.mid(8, 2) + QLatin1Char(':') +
           _strDigits.mid(10, 2) + QLatin1Char(':') + _strDigits.mid(12, 2);
}

bool HasParentComponent(const QString& _strPath)
{
    // Only "/" separates components: "x\..\y" is one legal directory name, not a way up.
    return _strPath.split(QLatin1Char('/')).contains(QStringLiteral(".."));
}

bool DecodeRecFilePath(const QString& _strPath, STRCT_RecFileInfo& _info)
{
    if (HasParentComponent(_strPath)) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFilePathToRecInfo]path contains ..");
        return false;
    }
    int iIndex = _strPath.lastIndexOf(QLatin1Char('/'));
    if (iIndex < 0) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFilePathToRecInfo]iIndex < 0");
        return false;
    }
    const QString qstrFileName = _strPath.mid(iIndex + 1);
    if (qstrFileName.size() < RECFILE_NAME_LEN) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFilePathToRecInfo]qstrFileName.size() < RECFILE_NAME_LEN");
        return false;
    }
    const QString strRest = _strPath.left(iIndex);
    iIndex = strRest.lastIndexOf(QLatin1Char('/'));
    if (iIndex < 0) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFilePathToRecInfo]iIndex < 0");
        return false;
    }
    const QString strChannelDir = strRest.mid(iIndex + 1);
    const QString strUpper = strRest.left(iIndex);
    iIndex = strUpper.lastIndexOf(QLatin1Char('/'));
    if (iIndex < 0) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFilePathToRecInfo]iIndex < 0");
        return false;
    }
    const QString strSaveDisk = strUpper.left(iIndex);

    const QChar cType = qstrFileName.at(0);
    int iRecType = 0;
    if (cType == QLatin1Char('h')) {
        iRecType = 1;
    } else if (cType == QLatin1Char('t')) {
        iRecType = 2;
    } else if (cType == QLatin1Char('a')) {
        iRecType = 3;
    } else {
        DL_LOG(3, "[CLS_DataMediator::DecodeFilePathToRecInfo]qstrRecType error");
        return false;
    }
    const QChar cStream = qstrFileName.at(qstrFileName.size() - 5);
    int iStreamType = 0;
    if (cStream == QLatin1Char('m')) {
        iStreamType = 0;
    } else if (cStream == QLatin1Char('s')) {
        iStreamType = 1;
    } else {
        DL_LOG(3, "[CLS_DataMediator::DecodeFilePathToRecInfo]qstrStreamType error");
        return false;
    }
    DirInfo dir;
    if (!SplitChannelDir(strChannelDir, dir)) {
        DL_LOG(3, "[CLS_DataMediator::DecodeFilePathToRecInfo]qstrlstOtherInfo.size() < RECFILE_DIR_INFO_COUNT");
        return false;
    }

    _info.m_strChannelID = dir.strChannelID;
    _info.m_iRecType = iRecType;
    _info.m_iStreamType = iStreamType;
    _info.m_strFileName = qstrFileName;
    _info.m_strSavePath = _strPath;
    _info.m_strStartTime = FormatCompactTime(qstrFileName.mid(1, 14));
    _info.m_strEndTime = FormatCompactTime(qstrFileName.mid(16, 14));
    _info.m_strSaveDisk = strSaveDisk;
    _info.m_strDirField1 = dir.strField1;
    _info.m_strDirField2 = dir.strField2;
    _info.m_strDirField3 = dir.strField3;
    _info.m_iDirNumber = dir.iNumber;
    return true;
}

}  // namespace RecPath
