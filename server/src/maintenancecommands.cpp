// Handlers of the maintenance commands: whole databases down- and uploaded, backed up and
// restored, and the host's network interfaces and load samples.
#include "dispatcher.h"
#include "hoststatus.h"
#include "jsonwriter.h"
#include "logging.h"
#include "maintenance.h"
#include "requesterror.h"
#include "requestmembers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include <sqlite3.h>

#include <QDateTime>
#include <QMutex>
#include <QMutexLocker>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <map>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <unistd.h>

namespace tessel::server {

namespace {

/// Waiting for the requests running on a database before replacing it, when the request does
/// not say ("timeout", seconds).
constexpr int kDefaultReplaceWaitSeconds = 30;

const QString kDbArray = QStringLiteral("dbArray");
const QString kFilePath = QStringLiteral("filePath");

/// Codes of UploadDB per database.
enum UploadCode
{
    kUploadDone = 0,
    kUploadUnknownName = -1,
    kUploadNotBase64 = -2,
    kUploadNotValid = -3,
    kUploadNotReplaced = -4,
};

void appendKey(QByteArray& out, const char* key)
{
    json::appendString(out, key, qsizetype(std::strlen(key)));
    out.append(':');
}

void appendStringMember(QByteArray& out, const char* key, const QString& value, bool first = false)
{
    if (!first) {
        out.append(',');
    }
    appendKey(out, key);
    json::appendString(out, value.toUtf8());
}

/// Renames a finished file over its final name in the same folder.
void renameInto(const QString& from, const QString& to)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        throw RequestError(code::kInternal, QStringLiteral("rename %1 to %2: %3")
                                                .arg(from, to, QString::fromLocal8Bit(std::strerror(errno))));
    }
}

/// Appends the file as Base64, read in pieces so that only the answer grows.
void appendBase64(QByteArray& out, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw RequestError(code::kInternal, QStringLiteral("reading %1: %2").arg(path, file.errorString()));
    }
    constexpr qint64 kPiece = 3 * (1 << 20);  // a multiple of 3: the pieces' Base64 join up
    while (!file.atEnd()) {
        const QByteArray piece = file.read(kPiece);
        if (piece.isEmpty()) {
            throw RequestError(code::kInternal,
                               QStringLiteral("reading %1: %2").arg(path, file.errorString()));
        }
        out.append(piece.toBase64());
    }
}

qint64 base64Length(qint64 bytes)
{
    return (bytes + 2) / 3 * 4;
}

void writeFileSynced(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size() ||
        !file.flush() || ::fsync(file.handle()) != 0) {
        throw RequestError(code::kInternal, QStringLiteral("writing %1: %2").arg(path, file.errorString()));
    }
}

std::vector<QString> requireDbArray(const QJsonObject& request)
{
    return requireTextArray(request, kDbArray);
}

/// Runs `work` on each named database in turn: {name, whether it succeeded}. An unknown name
/// fails with a log line.
std::vector<std::pair<QString, bool>> forEachDatabase(const std::vector<QString>& names, const char* command,
                                                      const std::function<bool(const QString&, int)>& work)
{
    std::vector<std::pair<QString, bool>> results;
    for (const QString& dbName : names) {
        const int index = databaseIndex(dbName);
        if (index < 0) {
            qCWarning(lcSql, "%s: unknown database \"%s\"", command, qPrintable(dbName.left(100)));
        }
        results.emplace_back(dbName, index >= 0 && work(dbName, index));
    }
    return results;
}

/// The backup folder named by "filePath"; never the data folder, whose files are the live ones.
QString checkedBackupFolder(const HandlerContext& context, const QString& requested, bool create)
{
    const QString folder = backupFolder(context.dispatcher.backupRoots(), requested, create);
    if (QFileInfo(folder).canonicalFilePath() ==
        QFileInfo(context.dispatcher.databases().dataDir()).canonicalFilePath()) {
        badRequest(QStringLiteral("filePath %1 is the data folder itself").arg(requested));
    }
    return folder;
}

void handleDownLoadDb(HandlerContext& context, const QJsonObject&, QByteArray& out)
{
    DatabaseSet& databases = context.dispatcher.databases();
    std::vector<std::unique_ptr<ScratchFile>> snapshots;
    qint64 encoded = 0;
    for (int i = 0; i < kDatabaseCount; ++i) {
        const Lease lease = databases.acquire(i, context.connections);
        snapshots.push_back(std::make_unique<ScratchFile>(lease.slot().path, "download"));
        snapshotDatabase(lease.connection().handle(), snapshots.back()->path());
        encoded += base64Length(QFileInfo(snapshots.back()->path()).size());
    }
    const qint64 limit = context.dispatcher.maxAnswerBytes();
    if (encoded + 4096 > limit) {
        throw RequestError(
            code::kTooLarge,
            QStringLiteral("the four databases make %1 MiB of Base64, more than the answer limit "
                           "of %2 MiB; use BackupDatabase instead")
                .arg(encoded >> 20)
                .arg(limit >> 20));
    }
    out.reserve(out.size() + int(encoded) + 4096);
    out.append("{\"result\":\"OK\",\"data\":{\"ret\":0,\"DbData\":[");
    for (int i = 0; i < kDatabaseCount; ++i) {
        out.append(i == 0 ? "{" : ",{");
        appendStringMember(out, "key", databaseName(i), true);
        out.append(",\"value\":\"");
        appendBase64(out, snapshots[size_t(i)]->path());
        out.append("\"}");
    }
    out.append("]}}");
}

void handleUploadDb(HandlerContext& context, const QJsonObject& request, QByteArray& out)
{
    const QJsonValue data = requireMember(request, QStringLiteral("DbData"));
    if (!data.isObject()) {
        badRequest(QStringLiteral("member \"DbData\" must be an object {database name: Base64 content}"));
    }
    const QJsonObject files = data.toObject();
    DatabaseSet& databases = context.dispatcher.databases();
    out.append("{\"result\":\"OK\",\"data\":{\"ret\":[");
    bool first = true;
    for (auto it = files.constBegin(); it != files.constEnd(); ++it) {
        int result = kUploadDone;
        QString reason;
        const int index = databaseIndex(it.key());
        if (index < 0) {
            result = kUploadUnknownName;
            reason = QStringLiteral("not one of %1").arg(databaseNameList());
        } else {
            QByteArray content;
            if (it.value().isString()) {
                const auto decoded = QByteArray::fromBase64Encoding(it.value().toString().toLatin1(),
                                                                    QByteArray::AbortOnBase64DecodingErrors);
                if (decoded) {
                    content = decoded.decoded;
                } else {
                    result = kUploadNotBase64;
                }
            } else {
                result = kUploadNotBase64;
            }
            if (result != kUploadDone) {
                reason = QStringLiteral("the value is not a Base64 text");
            } else {
                const DatabaseSlot& slot = databases.slot(index);
                ScratchFile scratch(slot.path, "upload");
                try {
                    writeFileSynced(scratch.path(), content);
                    content.clear();
                    checkDatabaseFile(scratch.path(), slot);
                } catch (const RequestError& e) {
                    result = kUploadNotValid;
                    reason = QString::fromUtf8(e.reason());
                }
                if (result == kUploadDone) {
                    try {
                        databases.replaceFile(index, scratch.path(), kDefaultReplaceWaitSeconds * 1000);
                        scratch.release();
                    } catch (const RequestError& e) {
                        result = kUploadNotReplaced;
                        reason = QString::fromUtf8(e.reason());
                    }
                }
            }
        }
        if (result == kUploadDone) {
            qCInfo(lcSql, "[c%llu] #%lld UploadDB replaced %s", context.client.connectionId,
                   context.requestId, qPrintable(it.key()));
        } else {
            qCWarning(lcSql, "[c%llu] #%lld UploadDB refused %s (%d): %s", context.client.connectionId,
                      context.requestId, qPrintable(it.key().left(100)), result, qPrintable(reason));
        }
        out.append(first ? "{" : ",{");
        first = false;
        appendStringMember(out, "key", it.key(), true);
        out.append(",\"value\":");
        json::appendInt(out, result);
        if (!reason.isEmpty()) {
            appendStringMember(out, "reason", reason);
        }
        out.append('}');
    }
    out.append("]}}");
}

/// One database downloaded in pieces: the snapshot taken by the first piece's request, kept
/// until its last piece is sent or it lies unused for kDownloadIdleMs.
struct PieceDownload
{
    std::unique_ptr<ScratchFile> snapshot;
    QString dbName;
    qint64 size = 0;
    qint64 lastUse = 0;
};

constexpr qint64 kDefaultPieceBytes = 4 << 20;
constexpr qint64 kMaxPieceBytes = 32 << 20;
constexpr qint64 kDownloadIdleMs = 10 * 60 * 1000;
constexpr size_t kMaxDownloads = 8;

struct PieceDownloads
{
    QMutex mutex;
    std::map<QString, PieceDownload> open;
};

PieceDownloads& pieceDownloads()
{
    static PieceDownloads downloads;
    return downloads;
}

/// {"dbName", "offset", "length", "snapshot"} answers {"ret":0,"snapshot","size","offset",
/// "data":Base64,"last"}. Without "snapshot" a new snapshot of the database is taken; the pieces
/// of one snapshot are one consistent copy however long the download takes.
void handleDownLoadDbPiece(HandlerContext& context, const QJsonObject& request, QByteArray& out)
{
    const QString dbName = requireText(request, QStringLiteral("dbName"));
    const QString snapshotId = optionalText(request, QStringLiteral("snapshot"));
    const qint64 offset =
        optionalInteger(request, QStringLiteral("offset"), 0, 0, std::numeric_limits<qint64>::max());
    const qint64 length =
        optionalInteger(request, QStringLiteral("length"), kDefaultPieceBytes, 1, kMaxPieceBytes);
    const int index = databaseIndex(dbName);
    if (index < 0) {
        badRequest(
            QStringLiteral("dbName \"%1\" is not one of %2").arg(dbName.left(100), databaseNameList()));
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    PieceDownloads& downloads = pieceDownloads();
    QString id = snapshotId;
    QString path;
    qint64 size = 0;
    {
        QMutexLocker locker(&downloads.mutex);
        for (auto it = downloads.open.begin(); it != downloads.open.end();) {
            if (now - it->second.lastUse > kDownloadIdleMs) {
                qCInfo(lcSql, "DownLoadDBPiece: dropped the unused snapshot %s of %s", qPrintable(it->first),
                       qPrintable(it->second.dbName));
                it = downloads.open.erase(it);
            } else {
                ++it;
            }
        }
        if (!id.isEmpty()) {
            const auto it = downloads.open.find(id);
            if (it == downloads.open.end() || it->second.dbName != dbName) {
                badRequest(QStringLiteral("there is no download snapshot %1 of %2 (finished, or unused for "
                                          "10 minutes)")
                               .arg(id.left(40), dbName));
            }
            it->second.lastUse = now;
            path = it->second.snapshot->path();
            size = it->second.size;
        } else if (downloads.open.size() >= kMaxDownloads) {
            throw RequestError(code::kBusy,
                               QStringLiteral("%1 downloads are running; try again when one ended")
                                   .arg(downloads.open.size()));
        }
    }
    if (id.isEmpty()) {
        DatabaseSet& databases = context.dispatcher.databases();
        auto snapshot = std::make_unique<ScratchFile>(databases.slot(index).path, "download");
        {
            const Lease lease = databases.acquire(index, context.connections);
            snapshotDatabase(lease.connection().handle(), snapshot->path());
        }
        size = QFileInfo(snapshot->path()).size();
        path = snapshot->path();
        id = QStringLiteral("%1").arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
        QMutexLocker locker(&downloads.mutex);
        downloads.open[id] = PieceDownload{std::move(snapshot), dbName, size, now};
    }
    if (offset > size) {
        badRequest(QStringLiteral("offset %1 lies beyond the snapshot's %2 bytes").arg(offset).arg(size));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset)) {
        throw RequestError(code::kInternal, QStringLiteral("reading %1: %2").arg(path, file.errorString()));
    }
    const QByteArray piece = file.read(std::min(length, size - offset));
    if (piece.size() != std::min(length, size - offset)) {
        throw RequestError(code::kInternal, QStringLiteral("reading %1: %2").arg(path, file.errorString()));
    }
    file.close();
    const bool last = offset + piece.size() >= size;
    if (last) {
        QMutexLocker locker(&downloads.mutex);
        downloads.open.erase(id);
    }
    out.append("{\"result\":\"OK\",\"data\":{\"ret\":0");
    appendStringMember(out, "snapshot", id);
    out.append(",\"size\":");
    json::appendInt(out, size);
    out.append(",\"offset\":");
    json::appendInt(out, offset);
    out.append(",\"data\":\"");
    out.append(piece.toBase64());
    out.append(last ? "\",\"last\":true}}" : "\",\"last\":false}}");
}

/// {"<listName>":[{"dbName":name,"ret":bool}, ...]}
void writeResults(QByteArray& out, const char* listName, const std::vector<std::pair<QString, bool>>& results)
{
    out.append("{\"result\":\"OK\",\"data\":{");
    appendKey(out, listName);
    out.append('[');
    for (size_t i = 0; i < results.size(); ++i) {
        out.append(i == 0 ? "{" : ",{");
        appendStringMember(out, "dbName", results[i].first, true);
        out.append(results[i].second ? ",\"ret\":true}" : ",\"ret\":false}");
    }
    out.append("]}}");
}

void handleBackupDatabase(HandlerContext& context, const QJsonObject& request, QByteArray& out)
{
    const QString requested = requireText(request, kFilePath);
    const std::vector<QString> names = requireDbArray(request);
    const QString folder = checkedBackupFolder(context, requested, true);
    DatabaseSet& databases = context.dispatcher.databases();
    const auto results = forEachDatabase(names, "BackupDatabase", [&](const QString& dbName, int index) {
        const QString target = QDir(folder).filePath(dbName + QLatin1String(".db"));
        ScratchFile scratch(target, "partial");
        try {
            const Lease lease = databases.acquire(index, context.connections);
            snapshotDatabase(lease.connection().handle(), scratch.path());
            renameInto(scratch.path(), target);
            scratch.release();
            qCInfo(lcSql, "backed up %s to %s", qPrintable(dbName), qPrintable(target));
            return true;
        } catch (const RequestError& e) {
            qCWarning(lcSql, "backing up %s to %s failed: %s", qPrintable(dbName), qPrintable(target),
                      e.reason().constData());
            return false;
        }
    });
    writeResults(out, "backupResult", results);
}

void handleRestoreDatabase(HandlerContext& context, const QJsonObject& request, QByteArray& out)
{
    const bool restoreDefault = optionalBool(request, QStringLiteral("RestoreDefault"), false);
    const QString requested = optionalText(request, kFilePath);
    const qint64 timeout = optionalInteger(request, QStringLiteral("timeout"), 0,
                                           std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    const std::vector<QString> names = requireDbArray(request);
    QString folder;
    if (!restoreDefault) {
        if (requested.isEmpty()) {
            badRequest(QStringLiteral("member \"filePath\" is empty and \"RestoreDefault\" is not true"));
        }
        folder = checkedBackupFolder(context, requested, false);
    }
    const int waitMs = int(std::min<qint64>(timeout > 0 ? timeout : kDefaultReplaceWaitSeconds, 3600) * 1000);
    const auto& broadcast = context.dispatcher.broadcaster();
    if (broadcast) {
        broadcast(QStringLiteral("Start restoring database."));
    }
    DatabaseSet& databases = context.dispatcher.databases();
    const auto results = forEachDatabase(names, "RestoreDatabase", [&](const QString& dbName, int index) {
        const DatabaseSlot& slot = databases.slot(index);
        QString source = restoreDefault ? QStringLiteral("its schema")
                                        : QDir(folder).filePath(dbName + QLatin1String(".db"));
        ScratchFile scratch(slot.path, "restore");
        try {
            // Made ready beside the live file first; only the swap keeps requests out.
            if (restoreDefault) {
                buildDatabaseFromSchema(slot, scratch.path());
            } else {
                // A symbolic link is followed only to a file inside the backup folders.
                source = backupFile(context.dispatcher.backupRoots(), folder, dbName + QLatin1String(".db"));
                copyDatabaseFile(source, scratch.path());
                checkDatabaseFile(scratch.path(), slot);
            }
            databases.replaceFile(index, scratch.path(), waitMs);
            scratch.release();
            qCInfo(lcSql, "restored %s from %s", qPrintable(dbName), qPrintable(source));
            return true;
        } catch (const RequestError& e) {
            qCWarning(lcSql, "restoring %s from %s failed: %s", qPrintable(dbName), qPrintable(source),
                      e.reason().constData());
            return false;
        }
    });
    if (broadcast) {
        broadcast(QStringLiteral("Restore database complete."));
    }
    writeResults(out, "restoreResult", results);
}

void appendInterface(QByteArray& out, const InterfaceInfo& i)
{
    appendStringMember(out, "Ifrname", i.name, true);
    appendStringMember(out, "Ipv4Addr", i.ipv4Address);
    appendStringMember(out, "Ipv4Mask", i.ipv4Mask);
    appendStringMember(out, "Ipv4Gateway", i.ipv4Gateway);
    appendStringMember(out, "mac", i.mac);
    appendStringMember(out, "mtu", i.mtu);
    appendStringMember(out, "connectState", i.connectState);
    appendStringMember(out, "firstDns", i.firstDns);
    appendStringMember(out, "DHCPStatus", i.dhcpStatus);
}

void handleGetAllNetworkInfo(HandlerContext&, const QJsonObject&, QByteArray& out)
{
    out.append("{\"result\":\"OK\",\"data\":{\"ret\":0,\"netInfo\":[");
    bool first = true;
    for (const InterfaceInfo& i : networkInterfaces()) {
        out.append(first ? "{" : ",{");
        first = false;
        appendInterface(out, i);
        out.append('}');
    }
    out.append("]}}");
}

void handleGetSystemStatusByName(HandlerContext& context, const QJsonObject& request, QByteArray& out)
{
    const QString name = requireText(request, QStringLiteral("name"));
    InterfaceInfo info;
    if (!networkInterface(name, &info)) {
        badRequest(QStringLiteral("there is no network interface named \"%1\"").arg(name.left(100)));
    }
    out.append("{\"result\":\"OK\",\"data\":{\"ret\":0,");
    appendInterface(out, info);
    out.append(",\"status\":[");
    const HostMonitor* monitor = context.dispatcher.hostMonitor();
    const std::vector<HostSample> samples = monitor ? monitor->samples(name) : std::vector<HostSample>();
    for (size_t k = 0; k < samples.size(); ++k) {
        const HostSample& s = samples[k];
        out.append(k == 0 ? "{\"MemUsage\":" : ",{\"MemUsage\":");
        json::appendReal(out, s.memUsage);
        out.append(",\"CpuUsage\":");
        json::appendReal(out, s.cpuUsage);
        out.append(",\"RxByte\":");
        json::appendInt(out, s.rxBytes);
        out.append(",\"TxByte\":");
        json::appendInt(out, s.txBytes);
        appendStringMember(out, "dateTime", s.time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
        out.append('}');
    }
    out.append("]}}");
}

}  // namespace

void registerMaintenanceCommands(Dispatcher& dispatcher)
{
    dispatcher.addCommand("DownLoadDB", handleDownLoadDb);
    dispatcher.addCommand("DownLoadDBPiece", handleDownLoadDbPiece);
    dispatcher.addCommand("UploadDB", handleUploadDb);
    dispatcher.addCommand("BackupDatabase", handleBackupDatabase);
    dispatcher.addCommand("RestoreDatabase", handleRestoreDatabase);
    dispatcher.addCommand("GetAllNetworkInfo", handleGetAllNetworkInfo);
    dispatcher.addCommand("GetSystemStatusByName", handleGetSystemStatusByName);
}

}  // namespace tessel::server
