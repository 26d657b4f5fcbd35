// backup, restore, download, upload, netinfo, sysstatus: the mediator's maintenance and host
// status operations.
#include "CtlCommand.h"

#include "I_DataMediator.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <unistd.h>

namespace {

const QStringList kDatabases{"Tessel", "Tessel-record", "Tessel-intelligent", "Tessel-passengerFlow"};

/// Pieces of a download: 4 MiB of database, about 5.3 MiB of Base64 per answer.
constexpr qint64 kPieceBytes = 4 << 20;

bool checkDatabaseNames(CtlContext& _ctx, const QStringList& _lstDbs, int& _iExit)
{
    for (const QString& strDb : _lstDbs) {
        if (!kDatabases.contains(strDb)) {
            _iExit = _ctx.fail(
                QStringLiteral("%1 is not a database (one of %2)").arg(strDb, kDatabases.join(", ")),
                kCtlUsage);
            return false;
        }
    }
    return true;
}

int printResults(CtlContext& _ctx, const QMap<QString, bool>& _mapResults, const QString& _strSnapshot)
{
    bool bAllOk = !_mapResults.isEmpty();
    QJsonObject results;
    for (auto it = _mapResults.cbegin(); it != _mapResults.cend(); ++it) {
        results.insert(it.key(), it.value());
        bAllOk = bAllOk && it.value();
        if (!_ctx.json) {
            ctlOut() << it.key() << (it.value() ? " ok\n" : " FAILED\n");
        }
    }
    if (_ctx.json) {
        QJsonObject obj{{"results", results}, {"ok", bAllOk}};
        if (!_strSnapshot.isEmpty()) {
            obj.insert("snapshot", _strSnapshot);
        }
        ctlOut() << QJsonDocument(obj).toJson(QJsonDocument::Compact) << "\n";
    }
    if (!bAllOk) {
        ctlErr() << "tesselctl: not every database succeeded (the server's log says why)\n";
    }
    return bAllOk ? kCtlOk : kCtlFailed;
}

/// Before live data is replaced: a backup of those databases into a folder of its own under the
/// server's backup folder. Empty (with a line written) when it could not be kept.
QString keepSnapshot(CtlContext& _ctx, const char* _pszCommand, const QStringList& _lstDbs)
{
    const QString strFolder =
        QStringLiteral("snapshots/before-%1-%2")
            .arg(QLatin1String(_pszCommand), QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss-zzz"));
    QMap<QString, bool> mapResults;
    const int iRet = _ctx.mediator->BackupDatabase(strFolder, _lstDbs, mapResults);
    for (const QString& strDb : _lstDbs) {
        if (iRet != 0 || !mapResults.value(strDb, false)) {
            _ctx.fail(
                QStringLiteral("could not keep a snapshot of %1 in the backup folder %2 (%3); nothing was "
                               "replaced")
                    .arg(strDb, strFolder)
                    .arg(iRet));
            return QString();
        }
    }
    if (!_ctx.json) {
        ctlOut() << "snapshot of " << _lstDbs.join(", ") << " kept in the backup folder " << strFolder
                 << " (bring it back with: tesselctl restore " << strFolder << " " << _lstDbs.join(" ")
                 << ")\n";
    }
    return strFolder;
}

// Asks, connects and keeps the snapshot: the common start of restore, reset and upload.
// 0 with the snapshot's folder, else the exit status.
int prepareReplace(CtlContext& _ctx, const char* _pszCommand, const QStringList& _lstDbs,
                   QString& _strSnapshot)
{
    int iExit = kCtlOk;
    if (!checkDatabaseNames(_ctx, _lstDbs, iExit)) {
        return iExit;
    }
    const QString strWhat =
        QStringLiteral("%1 replaces the live %2 on %3")
            .arg(QLatin1String(_pszCommand), _lstDbs.join(", "),
                 _ctx.server.isEmpty() ? QStringLiteral("the configured server") : _ctx.server);
    if (!_ctx.confirm(strWhat, iExit)) {
        return iExit;
    }
    if (_ctx.connectAndLogin() != 0) {
        return kCtlFailed;
    }
    _strSnapshot = keepSnapshot(_ctx, _pszCommand, _lstDbs);
    return _strSnapshot.isEmpty() ? kCtlFailed : kCtlOk;
}

int runBackup(CtlContext& _ctx)
{
    if (_ctx.args.size() < 2) {
        return _ctx.fail("backup takes DIR and at least one DB", kCtlUsage);
    }
    int iExit = kCtlOk;
    if (!checkDatabaseNames(_ctx, _ctx.args.mid(1), iExit)) {
        return iExit;
    }
    if (_ctx.connectAndLogin() != 0) {
        return kCtlFailed;
    }
    QMap<QString, bool> mapResults;
    const int iRet = _ctx.mediator->BackupDatabase(_ctx.args[0], _ctx.args.mid(1), mapResults);
    if (iRet != 0) {
        return _ctx.fail(QStringLiteral("backup failed (%1; -v shows why)").arg(iRet));
    }
    return printResults(_ctx, mapResults, QString());
}

int runRestore(CtlContext& _ctx)
{
    // DIR is always a folder, as for backup: "restore b1 Tessel" restores b1/Tessel.db.
    if (_ctx.args.size() < 2) {
        return _ctx.fail("restore takes DIR and at least one DB (the empty databases: tesselctl reset DB...)",
                         kCtlUsage);
    }
    const QStringList lstDbs = _ctx.args.mid(1);
    QString strSnapshot;
    const int iExit = prepareReplace(_ctx, "restore", lstDbs, strSnapshot);
    if (iExit != kCtlOk) {
        return iExit;
    }
    QString strDir = _ctx.args[0];
    QMap<QString, bool> mapResults;
    const int iRet = _ctx.mediator->RestoreDatabase(strDir, lstDbs, mapResults, 600);
    if (iRet != 0) {
        return _ctx.fail(QStringLiteral("restore failed (%1; -v shows why)").arg(iRet));
    }
    return printResults(_ctx, mapResults, strSnapshot);
}

int runReset(CtlContext& _ctx)
{
    if (_ctx.args.isEmpty()) {
        return _ctx.fail("reset takes at least one DB", kCtlUsage);
    }
    QString strSnapshot;
    const int iExit = prepareReplace(_ctx, "reset", _ctx.args, strSnapshot);
    if (iExit != kCtlOk) {
        return iExit;
    }
    QString strNoFolder;
    QMap<QString, bool> mapResults;
    const int iRet = _ctx.mediator->RestoreDatabase(strNoFolder, _ctx.args, mapResults, 600);
    if (iRet != 0) {
        return _ctx.fail(QStringLiteral("reset failed (%1; -v shows why)").arg(iRet));
    }
    return printResults(_ctx, mapResults, strSnapshot);
}

bool writeAll(QFile& _file, const QByteArray& _data)
{
    return _file.write(_data) == _data.size();
}

// One database in pieces into _strPath (through a temporary name); 0 or the exit status.
int downloadOne(CtlContext& _ctx, const QString& _strDb, const QString& _strPath, bool _bProgress,
                qint64& _iBytes)
{
    const QString strPartial = _strPath + ".partial";
    QFile file(strPartial);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return _ctx.fail(QStringLiteral("cannot write %1: %2").arg(strPartial, file.errorString()));
    }
    QString strSnapshot;
    qint64 iOffset = 0;
    for (;;) {
        QJsonObject request{{"dbName", _strDb}, {"offset", iOffset}, {"length", kPieceBytes}};
        if (!strSnapshot.isEmpty()) {
            request.insert("snapshot", strSnapshot);
        }
        QJsonObject data;
        const int iExit = ctlExchange(_ctx, "DownLoadDBPiece", request, 0, true, data);
        if (iExit != kCtlOk) {
            file.remove();
            return iExit;
        }
        strSnapshot = data.value("snapshot").toString();
        const qint64 iSize = qint64(data.value("size").toDouble());
        const auto decoded = QByteArray::fromBase64Encoding(data.value("data").toString().toLatin1(),
                                                            QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded || qint64(data.value("offset").toDouble()) != iOffset) {
            file.remove();
            return _ctx.fail(QStringLiteral("%1: a piece of the download is unreadable").arg(_strDb));
        }
        if (!writeAll(file, decoded.decoded)) {
            const QString strError = file.errorString();
            file.remove();
            return _ctx.fail(QStringLiteral("cannot write %1: %2").arg(strPartial, strError));
        }
        iOffset += decoded.decoded.size();
        if (_bProgress) {
            std::fprintf(stderr, "\r%-22s %8.1f / %.1f MiB", qUtf8Printable(_strDb),
                         double(iOffset) / (1 << 20), double(iSize) / (1 << 20));
            std::fflush(stderr);
        }
        if (data.value("last").toBool()) {
            if (iOffset != iSize) {
                file.remove();
                return _ctx.fail(QStringLiteral("%1: the download ended at %2 of %3 bytes")
                                     .arg(_strDb)
                                     .arg(iOffset)
                                     .arg(iSize));
            }
            break;
        }
        if (decoded.decoded.isEmpty()) {
            file.remove();
            return _ctx.fail(QStringLiteral("%1: the server sent an empty piece before the end").arg(_strDb));
        }
    }
    if (_bProgress) {
        std::fprintf(stderr, "\n");
    }
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        const QString strError = file.errorString();
        file.remove();
        return _ctx.fail(QStringLiteral("cannot write %1: %2").arg(strPartial, strError));
    }
    file.close();
    QFile::remove(_strPath);
    if (!QFile::rename(strPartial, _strPath)) {
        QFile::remove(strPartial);
        return _ctx.fail(QStringLiteral("cannot rename %1 to %2").arg(strPartial, _strPath));
    }
    _iBytes = iOffset;
    return kCtlOk;
}

int runDownload(CtlContext& _ctx)
{
    if (_ctx.args.isEmpty()) {
        return _ctx.fail("download takes DIR [DB...]", kCtlUsage);
    }
    const QStringList lstDbs = _ctx.args.size() > 1 ? QStringList(_ctx.args.mid(1)) : kDatabases;
    int iExit = kCtlOk;
    if (!checkDatabaseNames(_ctx, lstDbs, iExit)) {
        return iExit;
    }
    if (!QDir().mkpath(_ctx.args[0])) {
        return _ctx.fail(QStringLiteral("cannot create the folder %1").arg(_ctx.args[0]));
    }
    if (_ctx.connectAndLogin() != 0) {
        return kCtlFailed;
    }
    const bool bProgress = !_ctx.json && isatty(STDERR_FILENO);
    QJsonObject files;
    for (const QString& strDb : lstDbs) {
        const QString strPath = QDir(_ctx.args[0]).filePath(strDb + ".db");
        qint64 iBytes = 0;
        iExit = downloadOne(_ctx, strDb, strPath, bProgress, iBytes);
        if (iExit != kCtlOk) {
            return iExit;
        }
        files.insert(strDb, QJsonObject{{"file", strPath}, {"bytes", iBytes}});
        if (!_ctx.json) {
            ctlOut() << strDb << " -> " << strPath << " (" << iBytes << " bytes)\n";
            ctlOut().flush();
        }
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"ok", true}, {"files", files}}).toJson(QJsonDocument::Compact)
                 << "\n";
    }
    return kCtlOk;
}

int runUpload(CtlContext& _ctx)
{
    if (_ctx.args.size() < 2) {
        return _ctx.fail("upload takes DIR and at least one DB", kCtlUsage);
    }
    const QStringList lstDbs = _ctx.args.mid(1);
    int iExit = kCtlOk;
    if (!checkDatabaseNames(_ctx, lstDbs, iExit)) {
        return iExit;
    }
    QMap<QString, QVariant> mapData;
    for (const QString& strDb : lstDbs) {
        QFile file(QDir(_ctx.args[0]).filePath(strDb + ".db"));
        if (!file.open(QIODevice::ReadOnly)) {
            return _ctx.fail(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
        }
        mapData.insert(strDb, QString::fromLatin1(file.readAll().toBase64()));
    }
    QString strSnapshot;
    iExit = prepareReplace(_ctx, "upload", lstDbs, strSnapshot);
    if (iExit != kCtlOk) {
        return iExit;
    }
    QMap<QString, int> mapResults;
    const int iRet = _ctx.mediator->UploadDB(mapData, mapResults);
    if (iRet != 0) {
        return _ctx.fail(QStringLiteral("upload failed (%1; -v shows why)").arg(iRet));
    }
    bool bAllOk = !mapResults.isEmpty();
    QJsonObject results;
    for (auto it = mapResults.cbegin(); it != mapResults.cend(); ++it) {
        if (!_ctx.json) {
            ctlOut() << it.key() << " " << it.value() << (it.value() == 0 ? " ok\n" : " refused\n");
        }
        results.insert(it.key(), it.value());
        bAllOk = bAllOk && it.value() == 0;
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(
                        QJsonObject{{"results", results}, {"ok", bAllOk}, {"snapshot", strSnapshot}})
                        .toJson(QJsonDocument::Compact)
                 << "\n";
    }
    if (!bAllOk) {
        ctlErr() << "tesselctl: the server refused a database (-1 unknown, -2 not Base64, -3 not a usable "
                    "database of that name, -4 not replaced)\n";
    }
    return bAllOk ? kCtlOk : kCtlFailed;
}

QJsonObject interfaceJson(const _NetworkInfo& _info)
{
    QJsonObject obj{{"Ifrname", _info.strIfrName}, {"Ipv4Addr", _info.strIpv4Addr},
                    {"Ipv4Mask", _info.strIpv4Mask}, {"Ipv4Gateway", _info.strIpv4Gateway},
                    {"mac", _info.strMac},           {"mtu", _info.strMtu},
                    {"connectState", _info.strConnectState}, {"firstDns", _info.strFirstDns},
                    {"DHCPStatus", _info.strDHCPStatus}};
    QJsonArray samples;
    for (const _SystemStatus* pSample : _info.lstStatus) {
        samples.append(QJsonObject{{"MemUsage", pSample->dMemUsage}, {"CpuUsage", pSample->dCpuUsage},
                                   {"RxByte", pSample->iRxByte},     {"TxByte", pSample->iTxByte},
                                   {"dateTime", pSample->strDateTime}});
    }
    if (!samples.isEmpty()) {
        obj.insert("status", samples);
    }
    return obj;
}

void printInterface(const _NetworkInfo& _info)
{
    ctlOut() << _info.strIfrName << "  inet " << _info.strIpv4Addr << "/" << _info.strIpv4Mask << "  gw "
             << _info.strIpv4Gateway << "  mac " << _info.strMac << "  mtu " << _info.strMtu << "  state "
             << _info.strConnectState << "  dns " << _info.strFirstDns << "  dhcp " << _info.strDHCPStatus << "\n";
    for (const _SystemStatus* pSample : _info.lstStatus) {
        ctlOut() << "  " << pSample->strDateTime << "  mem " << pSample->dMemUsage << "%  cpu " << pSample->dCpuUsage
                 << "%  rx " << pSample->iRxByte << "  tx " << pSample->iTxByte << "\n";
    }
}

int runNetinfo(CtlContext& _ctx)
{
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    QList<_NetworkInfo*> lstInfo;
    const int iRet = _ctx.mediator->GetAllNetworkInfo(lstInfo);
    QJsonArray array;
    for (const _NetworkInfo* pInfo : lstInfo) {
        if (_ctx.json) {
            array.append(interfaceJson(*pInfo));
        } else {
            printInterface(*pInfo);
        }
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(array).toJson(QJsonDocument::Indented);
    }
    qDeleteAll(lstInfo);
    if (iRet != 0) {
        ctlErr() << "tesselctl: netinfo failed (" << iRet << ")\n";
    }
    return iRet == 0 ? 0 : 1;
}

int runSysstatus(CtlContext& _ctx)
{
    if (_ctx.args.size() != 1) {
        ctlErr() << "tesselctl: sysstatus takes IFNAME\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    _NetworkInfo* pInfo = nullptr;
    const int iRet = _ctx.mediator->GetSystemStatusByName(_ctx.args[0], pInfo);
    if (pInfo != nullptr) {
        if (_ctx.json) {
            ctlOut() << QJsonDocument(interfaceJson(*pInfo)).toJson(QJsonDocument::Indented);
        } else {
            printInterface(*pInfo);
        }
        delete pInfo;
    }
    if (iRet != 0) {
        ctlErr() << "tesselctl: sysstatus failed (" << iRet << ")\n";
    }
    return iRet == 0 ? 0 : 1;
}

}  // namespace

TESSELCTL_COMMAND("backup", "DIR DB...", "back the databases up into DIR on the server host", &runBackup,
                  "DIR is a folder on the server host, relative to its first backup folder (--backup-root,\n"
                  "default <data-dir>/backups) or absolute within one; each DB goes to DIR/<DB>.db.\n\n"
                  "Examples:\n"
                  "  tesselctl backup nightly Tessel Tessel-record\n"
                  "  tesselctl backup /var/lib/tessel/backups/2024-05-01 Tessel\n");
TESSELCTL_COMMAND("restore", "DIR DB...", "replace the databases by DIR/<DB>.db on the server host",
                  &runRestore,
                  "DIR is taken as for backup. What is replaced is first backed up into the backup folder\n"
                  "snapshots/before-restore-<time>, which the output names; nothing is replaced when that\n"
                  "snapshot fails. Asks on a terminal; without one, --yes is required.\n\n"
                  "Examples:\n"
                  "  tesselctl restore nightly Tessel\n"
                  "  tesselctl --yes --json restore nightly Tessel Tessel-record\n");
TESSELCTL_COMMAND("reset", "DB...", "replace the databases by empty ones made from their schema", &runReset,
                  "Keeps a snapshot first (snapshots/before-reset-<time>) and asks as restore does.\n\n"
                  "Examples:\n"
                  "  tesselctl reset Tessel-intelligent\n");
TESSELCTL_COMMAND("download", "DIR [DB...]", "download the databases (default all four) into DIR here",
                  &runDownload,
                  "Each database comes in pieces of 4 MiB from one snapshot and is written to\n"
                  "DIR/<DB>.db.partial, then renamed to DIR/<DB>.db; memory stays small whatever the size.\n"
                  "A terminal on stderr shows the progress.\n\n"
                  "Examples:\n"
                  "  tesselctl download ./copy\n"
                  "  tesselctl --json download ./copy Tessel\n");
TESSELCTL_COMMAND("upload", "DIR DB...", "replace the databases by DIR/<DB>.db from here", &runUpload,
                  "Keeps a snapshot first (snapshots/before-upload-<time>) and asks as restore does. One\n"
                  "request carries the files: mind the server's --max-frame-mb.\n\n"
                  "Examples:\n"
                  "  tesselctl --yes upload ./copy Tessel\n");
TESSELCTL_COMMAND("netinfo", "", "list the server host's network interfaces", &runNetinfo,
                  "Examples:\n"
                  "  tesselctl netinfo\n"
                  "  tesselctl --json netinfo\n");
TESSELCTL_COMMAND("sysstatus", "IFNAME", "one interface of the server host with its load samples",
                  &runSysstatus,
                  "Examples:\n"
                  "  tesselctl sysstatus eth0\n");
