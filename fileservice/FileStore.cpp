#include "FileStore.h"

#include "FileRequest.h"
#include "UploadStream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessel::files {

namespace {

FileReply reply(int _iStatus, const QString& _strText)
{
    return FileReply{_iStatus, _strText.toUtf8()};
}

FileReply refused(const QString& _strPath, const QString& _strWhy)
{
    return reply(403, QStringLiteral("path refused: %1 (%2)").arg(_strWhy, _strPath));
}

// The parent folder of _strAbsolute must exist and be a folder.
FileReply checkParent(const QString& _strAbsolute, bool* _pOk)
{
    const QFileInfo parent(QFileInfo(_strAbsolute).absolutePath());
    *_pOk = false;
    if (!parent.exists()) {
        return reply(404, QLatin1String(kReplyDirNotExists));
    }
    if (!parent.isDir()) {
        return reply(409, QLatin1String(kReplyDirNotFind));
    }
    *_pOk = true;
    return FileReply{};
}

constexpr QFileDevice::Permissions kFilePermissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Opens the replacement of _strAbsolute, readable by the owner only (an existing file's
// permissions are not carried over).
bool openReplacement(QSaveFile* _pFile)
{
    return _pFile->open(QIODevice::WriteOnly) && _pFile->setPermissions(kFilePermissions);
}

}  // namespace

FileStore::FileStore(const QString& _strRoot, qint64 _llMinFreeBytes)
    : m_strRoot(QFileInfo(_strRoot).canonicalFilePath()), m_llMinFreeBytes(_llMinFreeBytes)
{
}

bool FileStore::isValid(QString* _pError) const
{
    if (m_strRoot.isEmpty() || !QFileInfo(m_strRoot).isDir()) {
        *_pError = QStringLiteral("the root folder does not exist");
        return false;
    }
    return true;
}

bool FileStore::insideRoot(const QString& _strCanonical) const
{
    return _strCanonical == m_strRoot ||
           (_strCanonical.startsWith(m_strRoot) && _strCanonical.at(m_strRoot.size()) == QLatin1Char('/')) ||
           m_strRoot == QLatin1String("/");
}

bool FileStore::resolve(const QString& _strPath, QString* _pAbsolute, QString* _pError) const
{
    if (_strPath.isEmpty()) {
        *_pError = QStringLiteral("empty path");
        return false;
    }
    if (_strPath.startsWith(QLatin1Char('/'))) {
        *_pError = QStringLiteral("absolute path");
        return false;
    }
    for (const QChar c : _strPath) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            *_pError = QStringLiteral("control character in path");
            return false;
        }
        if (c == QLatin1Char('\\')) {
            *_pError = QStringLiteral("backslash in path");
            return false;
        }
    }
    QString strAbsolute = m_strRoot;
    bool bExisting = true;
    int iParts = 0;
    for (const QString& strPart : _strPath.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (strPart == QLatin1String(".")) {
            continue;
        }
        if (strPart == QLatin1String("..")) {
            *_pError = QStringLiteral("\"..\" in path");
            return false;
        }
        strAbsolute += QLatin1Char('/') + strPart;
        ++iParts;
        // Every part that exists must stay inside the root once links are followed; below a
        // missing part nothing exists.
        if (bExisting) {
            const QFileInfo info(strAbsolute);
            if (!info.exists() && !info.isSymLink()) {
                bExisting = false;
                continue;
            }
            const QString strCanonical = info.canonicalFilePath();
            if (strCanonical.isEmpty() || !insideRoot(strCanonical)) {
                *_pError = QStringLiteral("path leads out of the root");
                return false;
            }
        }
    }
    if (iParts == 0) {
        *_pError = QStringLiteral("path names the root");
        return false;
    }
    *_pAbsolute = strAbsolute;
    return true;
}

FileReply FileStore::prepareUpload(const QString& _strPath, qint64 _llPayloadBytes, QString* _pAbsolute) const
{
    QString strAbsolute;
    QString strError;
    if (!resolve(_strPath, &strAbsolute, &strError)) {
        return refused(_strPath, strError);
    }
    bool bOk = false;
    FileReply parentReply = checkParent(strAbsolute, &bOk);
    if (!bOk) {
        return parentReply;
    }
    if (QFileInfo(strAbsolute).isDir()) {
        return reply(409, QStringLiteral("a folder has this name (%1)").arg(_strPath));
    }
    if (_llPayloadBytes >= 0 && !spaceFor(strAbsolute, _llPayloadBytes)) {
        return reply(507, QLatin1String(kReplySpaceLower));
    }
    *_pAbsolute = strAbsolute;
    return reply(200, QLatin1String(kReplyOk));
}

bool FileStore::spaceFor(const QString& _strAbsolute, qint64 _llMoreBytes) const
{
    if (m_llMinFreeBytes <= 0) {
        return true;
    }
    const QStorageInfo storage(QFileInfo(_strAbsolute).absolutePath());
    return storage.bytesAvailable() - _llMoreBytes >= m_llMinFreeBytes;
}

int FileStore::openSpool(const QString& _strAbsolute)
{
    const QByteArray baFolder = QFile::encodeName(QFileInfo(_strAbsolute).absolutePath());
    int iFd = ::open(baFolder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (iFd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) {
        return iFd;
    }
    // A file system without unnamed files: a named one, gone from the folder at once.
    QByteArray baTemplate = baFolder + "/.tessel-upload-XXXXXX";
    iFd = ::mkostemp(baTemplate.data(), O_CLOEXEC);
    if (iFd >= 0) {
        ::unlink(baTemplate.constData());
    }
    return iFd;
}

FileReply FileStore::upload(const QString& _strPath, const QByteArray& _baContent) const
{
    QString strAbsolute;
    const FileReply prepared = prepareUpload(_strPath, _baContent.size(), &strAbsolute);
    if (prepared.status != 200) {
        return prepared;
    }
    // Written beside the target and renamed over it: readers see the old file or the new one.
    QSaveFile file(strAbsolute);
    if (!openReplacement(&file) || file.write(_baContent) != _baContent.size() || !file.commit()) {
        const QString strWhy = file.errorString();
        file.cancelWriting();
        return reply(500, QStringLiteral("write failed: %1").arg(strWhy));
    }
    return reply(200, QLatin1String(kReplyOk));
}

FileReply FileStore::storeUpload(const QString& _strPath, const QString& _strAbsolute, int _iSpoolFd,
                                 qint64 _llSpoolBytes) const
{
    // The decoded file is about three quarters of its Base64 text.
    if (!spaceFor(_strAbsolute, _llSpoolBytes / 4 * 3)) {
        return reply(507, QLatin1String(kReplySpaceLower));
    }
    if (QFileInfo(_strAbsolute).isDir()) {
        return reply(409, QStringLiteral("a folder has this name (%1)").arg(_strPath));
    }
    QSaveFile file(_strAbsolute);
    if (!openReplacement(&file)) {
        const QString strWhy = file.errorString();
        file.cancelWriting();
        return reply(500, QStringLiteral("write failed: %1").arg(strWhy));
    }
    qint64 llDecoded = 0;
    QString strError;
    bool bDiskFault = false;
    if (!decodeUploadPayload(_iSpoolFd, &file, &llDecoded, &strError, &bDiskFault)) {
        file.cancelWriting();
        return bDiskFault ? reply(500, QStringLiteral("write failed: %1").arg(strError))
                          : reply(400, QStringLiteral("bad request: %1").arg(strError));
    }
    if (!file.commit()) {
        const QString strWhy = file.errorString();
        return reply(500, QStringLiteral("write failed: %1").arg(strWhy));
    }
    return reply(200, QLatin1String(kReplyOk));
}

FileReply FileStore::openDownload(const QString& _strPath, int* _pFd, qint64* _pSize) const
{
    *_pFd = -1;
    *_pSize = 0;
    QString strAbsolute;
    QString strError;
    if (!resolve(_strPath, &strAbsolute, &strError)) {
        return refused(_strPath, strError);
    }
    const QFileInfo info(strAbsolute);
    if (!info.exists()) {
        return reply(404, QLatin1String(kReplyFileNotExists));
    }
    if (!info.isFile()) {
        return reply(409, QStringLiteral("not a file (%1)").arg(_strPath));
    }
    const int iFd = ::open(QFile::encodeName(strAbsolute).constData(), O_RDONLY | O_CLOEXEC);
    struct stat st
    {
    };
    if (iFd < 0 || ::fstat(iFd, &st) != 0) {
        const QString strWhy = QString::fromLocal8Bit(std::strerror(errno));
        if (iFd >= 0) {
            ::close(iFd);
        }
        return reply(500, QStringLiteral("read failed: %1").arg(strWhy));
    }
    // What was opened, not what was looked at: the name may have changed in between.
    if (!S_ISREG(st.st_mode)) {
        ::close(iFd);
        return reply(409, QStringLiteral("not a file (%1)").arg(_strPath));
    }
    *_pFd = iFd;
    *_pSize = static_cast<qint64>(st.st_size);
    return reply(200, QLatin1String(kReplyOk));
}

FileReply FileStore::download(const QString& _strPath) const
{
    int iFd = -1;
    qint64 llSize = 0;
    const FileReply opened = openDownload(_strPath, &iFd, &llSize);
    if (opened.status != 200) {
        return opened;
    }
    QFile file;
    if (!file.open(iFd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(iFd);
        return reply(500, QStringLiteral("read failed: %1").arg(file.errorString()));
    }
    return FileReply{200, encodeDownloadReply(file.readAll())};
}

FileReply FileStore::remove(const QString& _strPath) const
{
    QString strAbsolute;
    QString strError;
    if (!resolve(_strPath, &strAbsolute, &strError)) {
        return refused(_strPath, strError);
    }
    const QFileInfo info(strAbsolute);
    if (!info.exists() && !info.isSymLink()) {
        return reply(404, QLatin1String(kReplyFileNotExists));
    }
    if (info.isDir() && !info.isSymLink()) {
        if (!QDir(strAbsolute).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            return reply(409, QStringLiteral("folder not empty (%1)").arg(_strPath));
        }
        if (!QDir().rmdir(strAbsolute)) {
            return reply(500, QStringLiteral("delete failed (%1)").arg(_strPath));
        }
        return reply(200, QLatin1String(kReplyOk));
    }
    QFile file(strAbsolute);
    if (!file.remove()) {
        return reply(500, QStringLiteral("delete failed: %1").arg(file.errorString()));
    }
    return reply(200, QLatin1String(kReplyOk));
}

FileReply FileStore::rename(const QString& _strOldPath, const QString& _strNewPath) const
{
    QString strOld;
    QString strNew;
    QString strError;
    if (!resolve(_strOldPath, &strOld, &strError)) {
        return refused(_strOldPath, strError);
    }
    if (!resolve(_strNewPath, &strNew, &strError)) {
        return refused(_strNewPath, strError);
    }
    const QFileInfo oldInfo(strOld);
    if (!oldInfo.exists() && !oldInfo.isSymLink()) {
        return reply(404, QLatin1String(kReplyFileNotExists));
    }
    if (strOld == strNew) {
        return reply(200, QLatin1String(kReplySameFile));
    }
    bool bOk = false;
    FileReply parentReply = checkParent(strNew, &bOk);
    if (!bOk) {
        return parentReply;
    }
    if (oldInfo.isDir() && (strNew + QLatin1Char('/')).startsWith(strOld + QLatin1Char('/'))) {
        return reply(409, QStringLiteral("a folder cannot move into itself (%1)").arg(_strNewPath));
    }
    // RENAME_NOREPLACE: an existing target is never replaced, checked and done in one step.
    const QByteArray baOld = QFile::encodeName(strOld);
    const QByteArray baNew = QFile::encodeName(strNew);
    if (::renameat2(AT_FDCWD, baOld.constData(), AT_FDCWD, baNew.constData(), RENAME_NOREPLACE) != 0) {
        const int iErrno = errno;
        if (iErrno == EEXIST) {
            return reply(409, QStringLiteral("file exists (%1)").arg(_strNewPath));
        }
        return reply(500, QStringLiteral("rename failed: %1").arg(QString::fromLocal8Bit(std::strerror(iErrno))));
    }
    return reply(200, QLatin1String(kReplyOk));
}

FileReply FileStore::mkdir(const QString& _strPath) const
{
    QString strAbsolute;
    QString strError;
    if (!resolve(_strPath, &strAbsolute, &strError)) {
        return refused(_strPath, strError);
    }
    const QFileInfo info(strAbsolute);
    if (info.isDir()) {
        return reply(200, QLatin1String(kReplyOk));
    }
    if (info.exists()) {
        return reply(409, QStringLiteral("a file has this name (%1)").arg(_strPath));
    }
    // Made part by part below the root, each new folder 0700.
    QString strMade = m_strRoot;
    for (const QString& strPart :
         strAbsolute.mid(m_strRoot.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        strMade += QLatin1Char('/') + strPart;
        if (::mkdir(QFile::encodeName(strMade).constData(), 0700) != 0 &&
            (errno != EEXIST || !QFileInfo(strMade).isDir())) {
            return reply(500, QStringLiteral("cannot create the folder (%1)").arg(_strPath));
        }
    }
    return reply(200, QLatin1String(kReplyOk));
}

}  // namespace tessel::files
