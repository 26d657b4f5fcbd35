// The file service's folder: every path a client names is resolved inside one root folder, and
// the five operations act on it. Replies are the texts the data layer judges. Files are made
// 0600 and folders 0700, whatever the umask.
#ifndef TESSEL_FILESERVICE_FILESTORE_H
#define TESSEL_FILESERVICE_FILESTORE_H

#include <QByteArray>
#include <QString>

namespace tessel::files {

/// Reply texts the client relies on.
inline constexpr const char kReplyOk[] = "ok";
inline constexpr const char kReplySameFile[] = "file is the same file";
inline constexpr const char kReplySpaceLower[] = "space lower";
inline constexpr const char kReplyDirNotExists[] = "dir not exists";
inline constexpr const char kReplyDirNotFind[] = "dir not find";
inline constexpr const char kReplyFileNotExists[] = "file not exists";

/// One answer: HTTP status and body text.
struct FileReply
{
    int status = 200;
    QByteArray body;
};

class FileStore
{
public:
    /// _strRoot must exist; _llMinFreeBytes is the free space an upload must leave behind.
    FileStore(const QString& _strRoot, qint64 _llMinFreeBytes);

    /// False (with the reason) when the root is not a usable folder.
    bool isValid(QString* _pError) const;
    QString root() const { return m_strRoot; }

    /// Resolves a client path (relative, '/'-separated) to an absolute path below the root.
    /// Refused: empty, absolute, "..", control characters, backslashes, the root itself, and
    /// any existing part of the path that leads out of the root through a symbolic link.
    bool resolve(const QString& _strPath, QString* _pAbsolute, QString* _pError) const;

    FileReply upload(const QString& _strPath, const QByteArray& _baContent) const;
    /// The checks of an upload before its payload is read: the path, its folder, and the free
    /// space when the payload's size is known (_llPayloadBytes >= 0). Status 200 with
    /// *_pAbsolute set when the upload may go on.
    FileReply prepareUpload(const QString& _strPath, qint64 _llPayloadBytes, QString* _pAbsolute) const;
    /// Opens an unnamed file in the folder of _strAbsolute to spool a payload into; -1 on failure.
    static int openSpool(const QString& _strAbsolute);
    /// Whether the disk of _strAbsolute keeps the free space with _llMoreBytes more written.
    bool spaceFor(const QString& _strAbsolute, qint64 _llMoreBytes) const;
    /// Decodes the payload spooled in _iSpoolFd (_llSpoolBytes long) into the file of a
    /// prepared upload, replacing it whole or not at all.
    FileReply storeUpload(const QString& _strPath, const QString& _strAbsolute, int _iSpoolFd,
                          qint64 _llSpoolBytes) const;
    /// Opens the file of a download for reading: status 200 with the descriptor (the caller
    /// closes it) and the size it has now, or the refusal with *_pFd = -1.
    FileReply openDownload(const QString& _strPath, int* _pFd, qint64* _pSize) const;
    /// The whole download reply in memory (openDownload, read, encodeDownloadReply).
    FileReply download(const QString& _strPath) const;
    /// Deletes a file or an empty folder.
    FileReply remove(const QString& _strPath) const;
    /// Renames a file or folder; never replaces an existing target.
    FileReply rename(const QString& _strOldPath, const QString& _strNewPath) const;
    /// Creates a folder and the folders above it (0700); an existing folder is success.
    FileReply mkdir(const QString& _strPath) const;

private:
    bool insideRoot(const QString& _strCanonical) const;

    QString m_strRoot;  // canonical
    qint64 m_llMinFreeBytes;
};

}  // namespace tessel::files

#endif  // TESSEL_FILESERVICE_FILESTORE_H
