// The client's record of one recording file, as decoded from its path.
#ifndef STRCT_RECFILEINFO_H
#define STRCT_RECFILEINFO_H

#include <QString>

struct STRCT_RecFileInfo
{
    QString m_strHostID;     ///< host of the channel (empty when the look-up is skipped)
    QString m_strChannelID;  ///< last dash field of the channel directory
    qint32 m_iRecType = 0;   ///< 1 "h", 2 "t", 3 "a"
    qint32 m_iStreamType = 0;  ///< 0 "m" main, 1 "s" sub
    QString m_strFileName;
    QString m_strSavePath;  ///< the whole path
    QString m_strStartTime;  ///< "yyyy-MM-dd hh:mm:ss"
    QString m_strEndTime;
    quint32 m_uiLength = 0;  ///< not set by the decoder
    qint32 m_iLock = 0;      ///< not set by the decoder
    QString m_strSaveDisk;   ///< the path before the third-last "/"
    QString m_strDirField1;
    QString m_strDirField2;
    QString m_strDirField3;
    qint32 m_iDirNumber = 0;
};

#endif  // STRCT_RECFILEINFO_H
