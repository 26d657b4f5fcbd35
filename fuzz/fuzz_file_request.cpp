// Fuzz target: the file service reading and answering requests.
//
// Input: byte 0 chooses the route (modulo 5: /upload, /download, /delete, /rename, /mkdir), the
// rest is the request body (for /mkdir: the "dir" value). The request is answered by
// handleFileRequest over a real temporary root, exactly as the HTTP layer calls it. Checks
// besides the sanitizers: the folder beside the root (reachable through a link inside the root)
// never changes; a body that parseFields accepts is rebuilt exactly from the fields it gave; a
// path that resolve accepts lies below the root with no "." or ".." part; the answer to a
// successful request is one of the texts the client knows.
//
// Fixed finding guarded here (input in fuzz/corpus/fuzz_file_request/regressions/): a body that
// ended inside a UTF-8 sequence was taken as valid, with the cut bytes silently dropped.
#include "FileRequest.h"
#include "FileServer.h"
#include "FileStore.h"
#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace tessel::files;

struct Sandbox
{
    QTemporaryDir dir;
    QString root;
    QString outside;

    Sandbox()
    {
        root = dir.filePath(QStringLiteral("root"));
        outside = dir.filePath(QStringLiteral("outside"));
        QDir().mkpath(root);
        QDir().mkpath(outside);
        QFile secret(outside + QStringLiteral("/secret"));
        secret.open(QIODevice::WriteOnly);
        secret.write("secret");
        secret.close();
        reset();
    }
    // An empty root with a link out of it and one inside it.
    void reset()
    {
        QDir(root).removeRecursively();
        QDir().mkpath(root + QStringLiteral("/sub"));
        QFile::link(outside, root + QStringLiteral("/out"));
        QFile::link(root + QStringLiteral("/sub"), root + QStringLiteral("/in"));
    }
    bool outsideUntouched() const
    {
        QFile secret(outside + QStringLiteral("/secret"));
        return QDir(outside).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) ==
                   QStringList{QStringLiteral("secret")} &&
               secret.open(QIODevice::ReadOnly) && secret.readAll() == "secret";
    }
};

void check(bool _bOk, const char* _pszWhat)
{
    if (!_bOk) {
        std::fprintf(stderr, "fuzz_file_request: check failed: %s\n", _pszWhat);
        std::abort();
    }
}

const char* const kRoutes[] = {"/upload", "/download", "/delete", "/rename", "/mkdir"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* _pData, size_t _size)
{
    static Sandbox s_sandbox;
    static FileStore s_store(s_sandbox.root, 0);
    static unsigned s_uRuns = 0;
    if (_size == 0) {
        return 0;
    }
    if (++s_uRuns % 2000 == 0) {
        s_sandbox.reset();
    }
    const QString strRoute = QLatin1String(kRoutes[_pData[0] % 5]);
    const QByteArray baBody(reinterpret_cast<const char*>(_pData + 1), static_cast<int>(_size - 1));

    // The field reader gives back exactly what it was given.
    const QStringList lstKeys = strRoute == QLatin1String("/rename")
                                    ? QStringList{QStringLiteral("filename"), QStringLiteral("newname")}
                                    : QStringList{QStringLiteral("filename"), QStringLiteral("data")};
    QStringList lstValues;
    QString strError;
    if (parseFields(baBody, lstKeys, &lstValues, &strError)) {
        check(lstValues.size() == 2, "two fields");
        const QString strRebuilt =
            lstKeys[0] + QLatin1Char('=') + lstValues[0] + QLatin1Char('\t') + lstKeys[1] + QLatin1Char('=') + lstValues[1];
        check(strRebuilt.toUtf8() == baBody, "fields rebuild the body");
        check(!lstValues[0].contains(QLatin1Char('\t')), "first field holds no tab");
        QByteArray baContent;
        decodeUploadData(lstValues[1], &baContent, &strError);
    } else {
        check(!strError.isEmpty(), "a refusal has a reason");
    }

    // Resolved paths stay below the root.
    QString strAbsolute;
    const QString strPath = QString::fromUtf8(baBody);
    if (s_store.resolve(strPath, &strAbsolute, &strError)) {
        check(strAbsolute.startsWith(s_store.root() + QLatin1Char('/')), "resolved below the root");
        for (const QString& strPart : strAbsolute.mid(s_store.root().size() + 1).split(QLatin1Char('/'))) {
            check(!strPart.isEmpty() && strPart != QLatin1String(".") && strPart != QLatin1String(".."),
                  "no empty, . or .. part");
        }
    }

    const FileReply reply = handleFileRequest(s_store, strRoute, baBody, strPath);
    if (reply.status == 200) {
        check(reply.body == kReplyOk || reply.body == kReplySameFile || reply.body.startsWith("{\"buf\":"),
              "a success is answered with a known text");
    } else {
        check(!reply.body.isEmpty(), "a failure has a text");
    }
    check(s_sandbox.outsideUntouched(), "the folder outside the root is untouched");
    return 0;
}
