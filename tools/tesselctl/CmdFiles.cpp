// files put|get|rm|mv|mkdir: the mediator's file operations on the storage host (the host of
// server_ip in DbServerConfig.json, port 9600).
#include "CtlCommand.h"

#include "I_DataMediator.h"

#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace {

const char kFilesUsage[] =
    "tesselctl: files put LOCAL REMOTE | get REMOTE [LOCAL|-] | rm REMOTE | mv OLD NEW | mkdir DIR\n";

int fileResult(int _iRet, const QString& _strWhat)
{
    if (_iRet != 0) {
        ctlErr() << "tesselctl: " << _strWhat << " failed (" << _iRet << "; the log says why)\n";
        return 1;
    }
    ctlOut() << _strWhat << " ok\n";
    return 0;
}

// Writes the downloaded file to _strLocal ("-": standard output).
int saveDownload(const QString& _strContent, const QString& _strLocal)
{
    const QByteArray::FromBase64Result decoded =
        QByteArray::fromBase64Encoding(_strContent.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        ctlErr() << "tesselctl: the service sent a \"buf\" that is not Base64\n";
        return 1;
    }
    if (_strLocal == QLatin1String("-")) {
        ctlOut().flush();
        std::fwrite(decoded.decoded.constData(), 1, static_cast<size_t>(decoded.decoded.size()), stdout);
        std::fflush(stdout);
        return 0;
    }
    QSaveFile file(_strLocal);
    if (!file.open(QIODevice::WriteOnly) || file.write(decoded.decoded) != decoded.decoded.size() ||
        !file.commit()) {
        ctlErr() << "tesselctl: cannot write " << _strLocal << ": " << file.errorString() << "\n";
        return 1;
    }
    ctlOut() << "get " << _strLocal << " ok (" << decoded.decoded.size() << " bytes)\n";
    return 0;
}

int runFiles(CtlContext& _ctx)
{
    const QStringList& args = _ctx.args;
    const QString strVerb = args.value(0);
    const int iCount = args.size() - 1;
    const bool bShapeOk = (strVerb == QLatin1String("put") && iCount == 2) ||
                          (strVerb == QLatin1String("get") && (iCount == 1 || iCount == 2)) ||
                          (strVerb == QLatin1String("rm") && iCount == 1) ||
                          (strVerb == QLatin1String("mv") && iCount == 2) ||
                          (strVerb == QLatin1String("mkdir") && iCount == 1);
    if (!bShapeOk) {
        ctlErr() << kFilesUsage;
        return 2;
    }
    if (strVerb == QLatin1String("put") && !QFile::exists(args[1])) {
        // The mediator would send an empty file in its place.
        ctlErr() << "tesselctl: no local file " << args[1] << "\n";
        return 1;
    }
    // Start-up reads the storage host from DbServerConfig.json; no database channel is needed.
    _ctx.mediator = CreateMediator();
    _ctx.mediator->InitData();
    I_DataMediator& mediator = *_ctx.mediator;
    if (strVerb == QLatin1String("put")) {
        return fileResult(mediator.WebserviceUploadFile(args[2], args[1]), QStringLiteral("put ") + args[2]);
    }
    if (strVerb == QLatin1String("get")) {
        QString strContent;
        if (mediator.WebserviceDownloadFile(args[1], strContent) != 0) {
            return fileResult(-1, QStringLiteral("get ") + args[1]);
        }
        const QString strLocal = iCount == 2 ? args[2] : args[1].section(QLatin1Char('/'), -1);
        return saveDownload(strContent, strLocal);
    }
    if (strVerb == QLatin1String("rm")) {
        return fileResult(mediator.WebserviceDelFile(args[1]), QStringLiteral("rm ") + args[1]);
    }
    if (strVerb == QLatin1String("mv")) {
        return fileResult(mediator.WebserviceRename(args[1], args[2]), QStringLiteral("mv %1 %2").arg(args[1], args[2]));
    }
    return fileResult(mediator.WebserviceCreateDir(args[1]), QStringLiteral("mkdir ") + args[1]);
}

}  // namespace

TESSELCTL_COMMAND("files", "put|get|rm|mv|mkdir ...",
                  "files on the storage host: put LOCAL REMOTE, get REMOTE [LOCAL|-], rm, mv OLD NEW, mkdir",
                  &runFiles,
                  "Examples:\n"
                  "  tesselctl files put ./snap.jpg /pictures/snap.jpg\n"
                  "  tesselctl files get /pictures/snap.jpg -\n");
