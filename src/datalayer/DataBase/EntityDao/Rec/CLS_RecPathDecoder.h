// Decoding of recording file paths: pure functions over the path text, no file access.
//
//   <save disk>/<any directory>/<f1>-<f2>-<f3>-<number>-<channel id>/<name>
//   name: <type h|t|a><yyyyMMddhhmmss><sep><yyyyMMddhhmmss>[...]<stream m|s><.ext>
#ifndef CLS_RECPATHDECODER_H
#define CLS_RECPATHDECODER_H

#include "DataMediatorExport.h"
#include "STRCT_RecFileInfo.h"

#include <QString>

namespace RecPath {

constexpr int RECFILE_NAME_LEN = 35;
constexpr int RECFILE_DIR_INFO_COUNT = 5;

/// The last five dash fields of a channel (or device) directory.
struct DirInfo
{
    QString strField1;
    QString strField2;
    QString strField3;
    qint32 iNumber = 0;
    QString strChannelID;
};

/// Splits _strDir at "-" keeping empty fields; false when it has fewer than five.
DATAMEDIATOR_EXPORT bool SplitChannelDir(const QString& _strDir, DirInfo& _info);

/// "yyyy-MM-dd hh:mm:ss" from the fourteen digits yyyyMMddhhmmss (not validated).
DATAMEDIATOR_EXPORT QString FormatCompactTime(const QString& _strDigits);

/// True when a component of the path is "..".
DATAMEDIATOR_EXPORT bool HasParentComponent(const QString& _strPath);

/// Decodes every field the path carries (all but host id, length and lock) into _info; the
/// failed step is logged under CLS_DataMediator::DecodeFilePathToRecInfo and gives false with
/// _info unchanged.
DATAMEDIATOR_EXPORT bool DecodeRecFilePath(const QString& _strPath, STRCT_RecFileInfo& _info);

}  // namespace RecPath

#endif  // CLS_RECPATHDECODER_H
