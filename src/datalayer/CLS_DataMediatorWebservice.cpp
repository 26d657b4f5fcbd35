// File operations on the storage host through the toolkit's web-service functions: upload,
// download, delete, rename and directory creation on port 9600 of the database server's host.
#include "CLS_DataMediator.h"
#include "Log.h"
#include "ToolKits.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <cstring>

namespace {

const int kWebservicePort = 9600;
const int kWebserviceTimeoutMs = 5000;
const int kWebserviceMode = 1;
// URL buffer of the toolkit call: 259 bytes and the terminating NUL.
const int kUrlBufferSize = 260;
const char kWorkerFileName[] = "libwebservice_sdk.so";
const char kReplyOk[] = "ok";

QString webserviceUrl(const QString& _qstrHost, const char* _pszPath)
{
    return QStringLiteral("http://%1:%2%3").arg(_qstrHost).arg(kWebservicePort).arg(QLatin1String(_pszPath));
}

// How a request ended: with a reply, without one, or refused before anything was sent.
enum class Submitted
{
    Reply,
    NoReply,
    UrlTooLong
};

// One request through the toolkit. A URL that does not fit the buffer is refused whole (level 3)
// rather than cut: a cut URL names another path, or ends inside a UTF-8 character.
Submitted submit(const char* _pszOperation, const QString& _qstrUrl, const QString& _qstrParam,
                 QString& _qstrReply)
{
    const QByteArray baUrl = _qstrUrl.toUtf8();
    if (baUrl.size() > kUrlBufferSize - 1) {
        DL_LOG(3, "CLS_DataMediator::%s URL too long (%d bytes, at most %d)", _pszOperation, baUrl.size(),
               kUrlBufferSize - 1);
        return Submitted::UrlTooLong;
    }
    const QByteArray baParam = _qstrParam.toUtf8();
    char* pcResult = nullptr;
    webservice_sdk_submit(baUrl.constData(), kWebserviceTimeoutMs, baParam.constData(), kWebserviceMode, &pcResult);
    if (pcResult == nullptr) {
        return Submitted::NoReply;
    }
    // Never null once an answer came, even when the answer is empty.
    _qstrReply = QString::fromUtf8(pcResult, static_cast<int>(std::strlen(pcResult)));
    if (_qstrReply.isNull()) {
        _qstrReply = QLatin1String("");
    }
    webservice_sdk_release(&pcResult);
    return Submitted::Reply;
}

// A request whose only success is the reply "ok" (and, for a rename, a reply naming the same
// file); failures logged under _pszOperation.
int submitExpectingOk(const char* _pszOperation, const QString& _qstrUrl, const QString& _qstrParam,
                      bool _bSameFileIsDone)
{
    QString qstrRet;
    switch (submit(_pszOperation, _qstrUrl, _qstrParam, qstrRet)) {
        case Submitted::UrlTooLong:
            return -1;
        case Submitted::NoReply:
            DL_LOG(2, "CLS_DataMediator::%s pcResult nullptr", _pszOperation);
            return -1;
        case Submitted::Reply:
            break;
    }
    if (qstrRet != QLatin1String(kReplyOk) &&
        !(_bSameFileIsDone && qstrRet.contains(QLatin1String("file is the same file")))) {
        DL_LOG(2, "CLS_DataMediator::%s qstrRet=%s", _pszOperation, qUtf8Printable(qstrRet));
        return -1;
    }
    return 0;
}

}  // namespace

int CLS_DataMediator::WebserviceLoadLib()
{
    if (m_bWebserviceLoaded) {
        return 0;
    }
    // The executable's folder, up to and including its last separator.
    const QString strExe = QCoreApplication::applicationFilePath();
    const int iSlash = strExe.lastIndexOf(QLatin1Char('/'));
    const QString strPath = (iSlash >= 0 ? strExe.left(iSlash + 1) : QString()) + QLatin1String(kWorkerFileName);
    // A path that does not fit the buffer is not cut: the cut path could name another file.
    const QByteArray baPath = strPath.toLocal8Bit();
    if (baPath.size() > kUrlBufferSize - 1 || webservice_load_lib(baPath.constData()) == 0) {
        DL_LOG(4, "CLS_DataMediator::WebserviceLoadLib webservice_load_lib fail");
        return -1;
    }
    m_bWebserviceLoaded = true;
    return 0;
}

int CLS_DataMediator::WebserviceUploadFile(const QString& _qstrSerPath, const QString& localFilePath)
{
    if (_qstrSerPath.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::WebserviceUploadFile _qstrSerPath isEmpty");
        return -1;
    }
    if (m_qstrSerIp.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::WebserviceUploadFile m_qstrSerIp isEmpty");
        return -1;
    }
    const int iRet = WebserviceLoadLib();
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::WebserviceUploadFile WebserviceLoadLib iRet=%d", iRet);
        return -1;
    }

    // A local file that cannot be read whole is refused before anything is sent: sending it
    // empty would empty the remote file.
    QFile file(localFilePath);
    if (localFilePath.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        DL_LOG(3, "CLS_DataMediator::WebserviceUploadFile cannot open localFilePath=%s",
               qUtf8Printable(localFilePath));
        return -1;
    }
    const QByteArray baFile = file.readAll();
    if (file.error() != QFileDevice::NoError || baFile.size() != file.size()) {
        DL_LOG(3, "CLS_DataMediator::WebserviceUploadFile cannot read localFilePath=%s: %s",
               qUtf8Printable(localFilePath), qUtf8Printable(file.errorString()));
        return -1;
    }
    file.close();
    const QString qstrBuf = QString::fromLatin1(baFile.toBase64());
    QJsonObject objData;
    objData.insert(QStringLiteral("size"), qstrBuf.size());
    objData.insert(QStringLiteral("buf"), qstrBuf);
    const QString qstrData = QString::fromUtf8(QJsonDocument(objData).toJson(QJsonDocument::Indented));
    const QString qstrParam = QStringLiteral("filename=%1\tdata=%2").arg(_qstrSerPath, qstrData);

    QString qstrRet;
    const Submitted result =
        submit("WebserviceUploadFile", webserviceUrl(m_qstrSerIp, "/upload"), qstrParam, qstrRet);
    if (result == Submitted::UrlTooLong) {
        return -1;
    }
    if (result == Submitted::NoReply) {
        DL_LOG(2, "CLS_DataMediator::WebserviceUploadFile pcResult nullptr");
        return -1;
    }
    DL_LOG(1, "CLS_DataMediator::WebserviceUploadFile SerPath=%s", qUtf8Printable(_qstrSerPath));
    if (qstrRet.contains(QLatin1String("space lower")) || qstrRet.contains(QLatin1String("dir not find")) ||
        qstrRet.contains(QLatin1String("dir not exists"))) {
        DL_LOG(2, "CLS_DataMediator::WebserviceUploadFile qstrRet=%s", qUtf8Printable(qstrRet));
        return -1;
    }
    if (qstrRet != QLatin1String(kReplyOk)) {
        DL_LOG(3, "CLS_DataMediator::WebserviceUploadFile qstrRet=%s", qUtf8Printable(qstrRet));
        return -1;
    }
    return 0;
}

int CLS_DataMediator::WebserviceDownloadFile(const QString& _qstrSerPath, QString& content)
{
    if (_qstrSerPath.isEmpty()) {
        DL_LOG(2, "CLS_DataMediator::WebserviceDownloadFile _qstrSerPath isEmpty");
        return -1;
    }
    const int iRet = WebserviceLoadLib();
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::WebserviceDownloadFile WebserviceLoadLib iRet=%d", iRet);
        return -1;
    }
    const QString qstrUrl = webserviceUrl(m_qstrSerIp, "/download");
    const QString qstrParam = QStringLiteral("filename=%1").arg(_qstrSerPath);
    QString qstrRet;
    const Submitted result = submit("WebserviceDownloadFile", qstrUrl, qstrParam, qstrRet);
    if (result == Submitted::UrlTooLong) {
        return -1;
    }
    if (result == Submitted::NoReply) {
        DL_LOG(2, "CLS_DataMediator::WebserviceDownloadFile pcResult nullptr pcUrl=%s, pcParam=%s",
               qUtf8Printable(qstrUrl), qUtf8Printable(qstrParam));
        return -1;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(qstrRet.toUtf8());
    if (!doc.isObject()) {
        DL_LOG(2, "CLS_DataMediator::WebserviceDownloadFile qstrRet[%s]", qUtf8Printable(qstrRet));
        return -1;
    }
    // A "buf" that is not text carries no file: taken as missing rather than as an empty file.
    const QJsonValue valBuf = doc.object().value(QLatin1String("buf"));
    if (!valBuf.isString()) {
        DL_LOG(2, "CLS_DataMediator::WebserviceDownloadFile contains not buf");
        return -1;
    }
    content = valBuf.toString();
    return 0;
}

int CLS_DataMediator::WebserviceDelFile(const QString& _qstrSerPath)
{
    if (_qstrSerPath.isEmpty()) {
        DL_LOG(2, "CLS_DataMediator::WebserviceDelFile _qstrSerPath isEmpty");
        return -1;
    }
    if (m_qstrSerIp.isEmpty()) {
        DL_LOG(2, "CLS_DataMediator::WebserviceDelFile m_qstrSerIp isEmpty");
        return -1;
    }
    const int iRet = WebserviceLoadLib();
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::WebserviceDelFile WebserviceLoadLib iRet=%d", iRet);
        return -1;
    }
    return submitExpectingOk("WebserviceDelFile", webserviceUrl(m_qstrSerIp, "/delete"),
                             QStringLiteral("filename=%1").arg(_qstrSerPath), false);
}

int CLS_DataMediator::WebserviceRename(const QString& _qstrOldPath, const QString& _qstrNewPath)
{
    if (_qstrOldPath.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::WebserviceRename _qstrOldPath.isEmpty");
        return -1;
    }
    if (_qstrNewPath.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::WebserviceRename _qstrNewPath.isEmpty");
        return -1;
    }
    const int iRet = WebserviceLoadLib();
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::WebserviceRename WebserviceLoadLib iRet=%d", iRet);
        return -1;
    }
    const QString qstrParam = QStringLiteral("filename=%1\tnewname=%2").arg(_qstrOldPath, _qstrNewPath);
    return submitExpectingOk("WebserviceRename", webserviceUrl(m_qstrSerIp, "/rename"), qstrParam, true);
}

int CLS_DataMediator::WebserviceCreateDir(const QString& _qstrSerPath)
{
    if (_qstrSerPath.isEmpty()) {
        DL_LOG(2, "CLS_DataMediator::WebserviceCreateDir _qstrSerPath isEmpty");
        return -1;
    }
    if (m_qstrSerIp.isEmpty()) {
        DL_LOG(2, "CLS_DataMediator::WebserviceCreateDir m_qstrSerIp isEmpty");
        return -1;
    }
    const int iRet = WebserviceLoadLib();
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::WebserviceCreateDir WebserviceLoadLib iRet=%d", iRet);
        return -1;
    }
    // The path travels as one query value: '#', '&', '%', '+' and the like are percent-encoded
    // ('/' stays readable), and the service decodes the value once.
    const QString qstrDir = QString::fromLatin1(QUrl::toPercentEncoding(_qstrSerPath, "/"));
    return submitExpectingOk("WebserviceCreateDir", webserviceUrl(m_qstrSerIp, "/mkdir?dir=") + qstrDir,
                             QString(), false);
}
