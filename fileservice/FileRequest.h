// Reading the requests of the file service: the tab-separated "key=value" parameter text and
// the upload's {"size", "buf"} payload.
#ifndef TESSEL_FILESERVICE_FILEREQUEST_H
#define TESSEL_FILESERVICE_FILEREQUEST_H

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tessel::files {

/// Splits _baBody into the fields named by _lstKeys, in that order: "k1=v1\tk2=v2...". Every
/// field but the last ends at the next tab; the last takes the rest of the text, tabs included
/// (the upload's JSON payload is the last field). The body must be UTF-8. On failure returns
/// false and *_pError says which field is missing or malformed.
bool parseFields(const QByteArray& _baBody, const QStringList& _lstKeys, QStringList* _pValues, QString* _pError);

/// Decodes the upload payload: a JSON object whose "buf" is standard Base64 and whose "size" is
/// the length of that Base64 text. On failure returns false with the reason in *_pError.
bool decodeUploadData(const QString& _strData, QByteArray* _pBytes, QString* _pError);

/// The download reply for _baFile: {"buf": Base64}.
QByteArray encodeDownloadReply(const QByteArray& _baFile);

/// The same reply written in pieces: the prefix, the Base64 of the file, the suffix (Base64 has
/// nothing that JSON escapes).
inline constexpr char kDownloadReplyPrefix[] = "{\"buf\":\"";
inline constexpr char kDownloadReplySuffix[] = "\"}";
/// Length of the reply for a file of _llFileBytes.
inline qint64 downloadReplyBytes(qint64 _llFileBytes)
{
    return qint64(sizeof(kDownloadReplyPrefix) - 1) + (_llFileBytes + 2) / 3 * 4 +
           qint64(sizeof(kDownloadReplySuffix) - 1);
}

}  // namespace tessel::files

#endif  // TESSEL_FILESERVICE_FILEREQUEST_H
