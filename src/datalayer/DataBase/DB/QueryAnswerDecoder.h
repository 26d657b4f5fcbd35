#ifndef QUERYANSWERDECODER_H
#define QUERYANSWERDECODER_H

#include "CLS_RemoteDBHandler.h"

#include <QJsonObject>
#include <QString>

/// Decodes a query answer text straight into a record set while reading it (no JSON tree, no
/// second walk). The rules are those of the answer envelope: a text that is not a JSON object,
/// or in which some object names a member twice, gives -1; a "result" other than "OK" gives -1 and the
/// "DB error reason:%s" line at level 3 when a "reason" is present; otherwise 0 and the rows of
/// "data"."ret" (an empty set when absent), each row's "record" columns as key -> value, where a
/// value that is not a string reads as an empty text and a repeated key keeps its last value.
int DecodeQueryAnswer(const QString& _strAnswer, RecordSet*& _pRows);

/// The result code in "ret" of an answer's "data": 0 when absent, the number when it is a whole
/// number in the int range, else -1 (the answer counts as failed).
int AnswerRetCode(const QJsonObject& _jsonData);

#endif  // QUERYANSWERDECODER_H
