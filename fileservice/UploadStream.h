// An upload read as it arrives, with bounded memory: the "filename=PATH<TAB>data=" head is kept
// in memory, the JSON payload after it is spooled to a file and decoded from there in pieces.
#ifndef TESSEL_FILESERVICE_UPLOADSTREAM_H
#define TESSEL_FILESERVICE_UPLOADSTREAM_H

#include <QByteArray>
#include <QString>

#include <cstddef>

class QIODevice;

namespace tessel::files {

/// Longest head ("filename=PATH<TAB>data=") an upload may start with.
inline constexpr int kMaxUploadHead = 16 * 1024;

/// Collects the head of an upload body from the first bytes that arrive.
class UploadHead
{
public:
    enum class Result
    {
        NeedMore,  ///< every byte given was taken; the head is not complete yet
        Complete,  ///< path() holds the file name; *_pConsumed bytes were the head's
        Refused,   ///< error() says why
    };

    Result feed(const char* _pData, std::size_t _size, std::size_t* _pConsumed);
    /// The reason to give when the body ends before the head is complete.
    QString incompleteReason() const;
    const QString& path() const { return m_strPath; }
    const QString& error() const { return m_strError; }

private:
    QByteArray m_baHead;
    QString m_strPath;
    QString m_strError;
};

/// Reads the payload {"size": n, "buf": Base64} spooled in the file _iFd (from its start) and
/// writes the decoded bytes to _pOut as they are read; "buf" is never held whole. The rules are
/// decodeUploadData's: an object, a text "buf" in standard Base64, a number "size" equal to the
/// length of "buf". False with the reason in *_pError, *_pDiskFault telling whether the disk
/// failed (rather than the payload); *_pDecoded counts the bytes written.
bool decodeUploadPayload(int _iFd, QIODevice* _pOut, qint64* _pDecoded, QString* _pError, bool* _pDiskFault);

}  // namespace tessel::files

#endif  // TESSEL_FILESERVICE_UPLOADSTREAM_H
