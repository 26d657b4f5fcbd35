// Decoding of face-capture picture paths:
//
//   .../FaceCapture/<f1>-<f2>-<f3>-<number>-<channel id>/.../<name>b.jpg
//   name: <time>-<age>-<gender>-<masks>-<glasses>-<temperature type>-<temperature x100>-<extra>
//         [-<similarity>-<face key>]
//   time: yyyyMMdd??hhmmss..., "N" in a type field stands for a minus sign
//
// Besides the text, only the sizes of the big picture and its siblings ("s.jpg", "Neg.jpg" or
// "Neg.png" in place of "b.jpg") are read.
#ifndef CLS_INTELLIGENTDATARECPATHDECODER_H
#define CLS_INTELLIGENTDATARECPATHDECODER_H

#include "DataMediatorExport.h"
#include "STRCT_FaceParseResult.h"

#include <QString>

namespace FaceCapturePath {

constexpr int FACECAPTURE_TIME_LEN = 19;
constexpr int FACECAPTURE_PARAM_COUNT = 8;

/// Decodes the path into _result (all but host id and name). A failed step is logged under
/// CLS_DataMediator::DecodeFaceCapturePathToFaceParseResult and gives false with _result
/// unchanged; so does a big picture that cannot be read.
DATAMEDIATOR_EXPORT bool DecodeFaceCapturePath(const QString& _strPath, STRCT_FaceParseResult& _result);

}  // namespace FaceCapturePath

#endif  // CLS_INTELLIGENTDATARECPATHDECODER_H
