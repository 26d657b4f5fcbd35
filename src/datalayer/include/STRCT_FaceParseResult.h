// The client's record of one face capture, as decoded from the path of its big picture.
#ifndef STRCT_FACEPARSERESULT_H
#define STRCT_FACEPARSERESULT_H

#include <QString>

struct STRCT_FaceParseResult
{
    QString m_strHostID;  ///< not filled by the decoder
    QString m_strChannelID;
    qint32 m_iDirNumber = 0;
    qint32 m_iAgeType = 0;
    qint32 m_iMasksType = 0;
    qint32 m_iGlassesType = 0;
    qint32 m_iTemperatureType = 0;
    QString m_strTemperatureValue;  ///< two decimals, "36.50"
    qint32 m_iGenderType = 0;
    QString m_strCaptureTime;  ///< "yyyy-MM-dd hh:mm:ss"
    QString m_strBigPicPath;
    QString m_strSmallPicPath;  ///< the big picture's path when there is no small picture
    qint64 m_i64FileSize = 0;   ///< KiB of the pictures together
    qint32 m_iExtra = 0;
    QString m_strDirField1;
    QString m_strDirField2;
    QString m_strDirField3;
    QString m_strNegPicPath;  ///< empty when there is no extra picture
    qint32 m_iSimilarity = 0;
    QString m_strName;
    qint32 m_iFaceKey = 0;
};

#endif  // STRCT_FACEPARSERESULT_H
