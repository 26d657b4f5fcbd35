#include "maintenance.h"

#include "logging.h"
#include "requesterror.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

#include <sqlite3.h>

#include <sys/stat.h>

namespace tessel::server {

namespace {

void removeWithSideFiles(const QString& path)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        QFile::remove(path + QLatin1String(suffix));
    }
}

RequestError sqliteFailure(sqlite3* db, const QString& what)
{
    RequestError e = RequestError::sqlite(db ? sqlite3_errmsg(db) : "out of memory",
                                          db ? sqlite3_extended_errcode(db) : SQLITE_NOMEM);
    e.prependReason(what.toUtf8() + ": ");
    return e;
}

/// An sqlite3 handle closed on destruction.
struct Handle
{
    sqlite3* db = nullptr;
    ~Handle() { sqlite3_close_v2(db); }
};

void openOrThrow(const QString& path, int flags, Handle& h)
{
    const int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &h.db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        throw sqliteFailure(h.db, QStringLiteral("opening %1").arg(path));
    }
    sqlite3_extended_result_codes(h.db, 1);
    sqlite3_busy_timeout(h.db, 5000);
}

QSet<QByteArray> tableNames(sqlite3* db, const QString& path)
{
    QSet<QByteArray> names;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT lower(name) FROM sqlite_master WHERE type = 'table'", -1, &stmt,
                           nullptr) != SQLITE_OK) {
        throw sqliteFailure(db, QStringLiteral("reading the tables of %1").arg(path));
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        names.insert(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    }
    sqlite3_finalize(stmt);
    return names;
}

[[noreturn]] void refuse(const QString& reason)
{
    throw RequestError(code::kBadRequest, reason);
}

QStringList canonicalPaths(const QStringList& paths)
{
    QStringList out;
    for (const QString& p : paths) {
        const QString c = QFileInfo(p).canonicalFilePath();
        if (!c.isEmpty()) {
            out << c;
        }
    }
    return out;
}

bool within(const QStringList& canonicalRoots, const QString& path)
{
    for (const QString& root : canonicalRoots) {
        if (path == root || path.startsWith(root + QLatin1Char('/'))) {
            return true;
        }
    }
    return false;
}

/// Sets `mode` on `path` when it allows more; logs the change.
void tighten(const QString& path, mode_t mode)
{
    struct stat st;
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &st) != 0 || S_ISLNK(st.st_mode)) {
        return;
    }
    if ((st.st_mode & 07777 & ~mode) == 0) {
        return;
    }
    if (::chmod(native.constData(), mode) == 0) {
        qCInfo(lcServer, "tightened %s from %04o to %04o", qPrintable(path), unsigned(st.st_mode & 07777),
               unsigned(mode));
    } else {
        qCWarning(lcServer, "cannot tighten the permissions of %s", qPrintable(path));
    }
}

void tightenTree(const QString& root)
{
    if (!QFileInfo(root).isDir()) {
        return;
    }
    tighten(root, 0700);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink()) {
            continue;
        }
        tighten(path, info.isDir() ? 0700 : 0600);
    }
}

}  // namespace

ScratchFile::ScratchFile(const QString& base, const char* purpose)
    : m_path(QStringLiteral("%1.%2-%3")
                 .arg(base, QLatin1String(purpose))
                 .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0')))
{
}

ScratchFile::~ScratchFile()
{
    if (!m_path.isEmpty()) {
        removeWithSideFiles(m_path);
    }
}

void snapshotDatabase(sqlite3* source, const QString& path)
{
    removeWithSideFiles(path);
    Handle out;
    openOrThrow(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, out);
    sqlite3_backup* backup = sqlite3_backup_init(out.db, "main", source, "main");
    if (!backup) {
        throw sqliteFailure(out.db, QStringLiteral("copying into %1").arg(path));
    }
    // All pages in one step: the source stays in one read transaction, so the copy is one
    // snapshot, while writers go on (WAL).
    const int rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) {
        RequestError e = RequestError::sqlite(sqlite3_errstr(rc), rc);
        e.prependReason(QStringLiteral("copying into %1: ").arg(path).toUtf8());
        throw e;
    }
    // The copy took the WAL flag of its source: a standalone file is simpler to move around.
    if (sqlite3_exec(out.db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        throw sqliteFailure(out.db, QStringLiteral("finishing %1").arg(path));
    }
    if (sqlite3_close(out.db) != SQLITE_OK) {
        throw sqliteFailure(out.db, QStringLiteral("closing %1").arg(path));
    }
    out.db = nullptr;
}

void copyDatabaseFile(const QString& source, const QString& path)
{
    if (!QFileInfo(source).isFile()) {
        refuse(QStringLiteral("there is no file %1").arg(source));
    }
    Handle in;
    openOrThrow(source, SQLITE_OPEN_READONLY, in);
    snapshotDatabase(in.db, path);
}

void checkDatabaseFile(const QString& path, const DatabaseSlot& slot)
{
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            refuse(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        }
        if (file.read(16) != QByteArray("SQLite format 3", 16)) {
            refuse(QStringLiteral("not an SQLite database (no SQLite header)"));
        }
    }
    QSet<QByteArray> tables;
    {
        struct Cleanup
        {
            const QString& path;
            ~Cleanup()
            {
                // A read-only connection to a WAL-mode file may leave an empty -wal and -shm.
                QFile::remove(path + QLatin1String("-wal"));
                QFile::remove(path + QLatin1String("-shm"));
            }
        } cleanup{path};
        Handle h;
        openOrThrow(path, SQLITE_OPEN_READONLY, h);
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(h.db, "PRAGMA quick_check", -1, &stmt, nullptr) != SQLITE_OK) {
            refuse(QStringLiteral("not a usable SQLite database: %1")
                       .arg(QString::fromUtf8(sqlite3_errmsg(h.db))));
        }
        QStringList problems;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW && problems.size() < 5) {
            problems << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        }
        const QString error = QString::fromUtf8(sqlite3_errmsg(h.db));
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
            refuse(QStringLiteral("not a usable SQLite database: %1").arg(error));
        }
        if (problems != QStringList{QStringLiteral("ok")}) {
            refuse(QStringLiteral("the database is damaged: %1").arg(problems.join(QLatin1String("; "))));
        }
        tables = tableNames(h.db, path);
    }

    // The tables a freshly created database of that name has.
    ScratchFile pristine(slot.path, "schema-check");
    buildDatabaseFromSchema(slot, pristine.path());
    Handle h;
    openOrThrow(pristine.path(), SQLITE_OPEN_READONLY, h);
    const QSet<QByteArray> expected = tableNames(h.db, pristine.path());
    if (!expected.isEmpty() && !expected.intersects(tables)) {
        refuse(QStringLiteral("the database holds none of the tables of %1 (is it another database?)")
                   .arg(slot.name));
    }
}

QString backupFile(const QStringList& roots, const QString& folder, const QString& name)
{
    const QString path = QDir(folder).filePath(name);
    const QFileInfo info(path);
    if (!info.exists()) {
        refuse(QStringLiteral("there is no file %1").arg(path));
    }
    const QString resolved = info.canonicalFilePath();
    if (resolved.isEmpty() || !within(canonicalPaths(roots), resolved)) {
        refuse(QStringLiteral("%1 leads to %2, outside the backup folders of the server")
                   .arg(path, resolved.isEmpty() ? QStringLiteral("nowhere") : resolved));
    }
    return resolved;
}

void secureFolders(const QString& dataDir, const QStringList& backupRoots)
{
    tightenTree(dataDir);
    for (const QString& root : backupRoots) {
        tightenTree(root);
    }
}

int removeLeftoverScratchFiles(const QString& dataDir)
{
    // ScratchFile names: <file>.<purpose>-<16 hex digits>, with SQLite's side files.
    static const QRegularExpression kScratch(QStringLiteral(
        "^.+\\.(restore|upload|download|partial|schema-check)-[0-9a-f]{16}(-wal|-shm|-journal)?$"));
    int removed = 0;
    const QDir dir(dataDir);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (kScratch.match(name).hasMatch() && QFile::remove(dir.filePath(name))) {
            qCInfo(lcServer, "removed %s, left by a server that stopped midway", qPrintable(dir.filePath(name)));
            ++removed;
        }
    }
    return removed;
}

namespace {

/// Folder names with line breaks or other control characters are refused: they would end up in
/// listings, logs and scripts.
void refuseControlCharacters(const QString& requested)
{
    for (const QChar c : requested) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f) || u == 0x2028 || u == 0x2029) {
            refuse(QStringLiteral("member \"filePath\" must not contain control characters (U+%1)")
                       .arg(unsigned(u), 4, 16, QLatin1Char('0')));
        }
    }
}

}  // namespace

QString backupFolder(const QStringList& roots, const QString& requested, bool create)
{
    const QStringList canonicalRoots = canonicalPaths(roots);
    if (canonicalRoots.isEmpty()) {
        refuse(QStringLiteral("no backup folder exists on the server (option --backup-root)"));
    }
    if (requested.isEmpty()) {
        refuse(QStringLiteral("member \"filePath\" is empty"));
    }
    if (requested.contains(QChar(0))) {
        refuse(QStringLiteral("member \"filePath\" must not contain NUL"));
    }
    refuseControlCharacters(requested);
    const QString absolute = QDir::isAbsolutePath(requested)
                                 ? requested
                                 : canonicalRoots.constFirst() + QLatin1Char('/') + requested;
    if (absolute.split(QLatin1Char('/')).contains(QLatin1String(".."))) {
        refuse(QStringLiteral("filePath %1 must not contain \"..\"").arg(requested));
    }
    // The deepest part that exists is resolved (symlinks included); the rest is new folders.
    QString existing = QDir::cleanPath(absolute);
    QStringList missing;
    while (!QFileInfo::exists(existing) && !QFileInfo(existing).isSymLink()) {
        const QFileInfo info(existing);
        missing.prepend(info.fileName());
        existing = info.path();
    }
    QString resolved = QFileInfo(existing).canonicalFilePath();
    if (resolved.isEmpty()) {
        refuse(QStringLiteral("filePath %1 cannot be resolved (a broken symbolic link?)").arg(requested));
    }
    if (!missing.isEmpty()) {
        resolved += QLatin1Char('/') + missing.join(QLatin1Char('/'));
    }
    const auto inside = [&](const QString& path) { return within(canonicalRoots, path); };
    if (!inside(resolved)) {
        refuse(QStringLiteral("filePath %1 (%2) lies outside the backup folders of the server (%3)")
                   .arg(requested, resolved, canonicalRoots.join(QLatin1String(", "))));
    }
    if (create && !QDir().mkpath(resolved)) {
        throw RequestError(code::kInternal, QStringLiteral("cannot create the folder %1").arg(resolved));
    }
    if (!QFileInfo(resolved).isDir()) {
        refuse(QStringLiteral("there is no folder %1").arg(resolved));
    }
    if (!inside(QFileInfo(resolved).canonicalFilePath())) {  // changed under our feet
        refuse(QStringLiteral("filePath %1 lies outside the backup folders of the server").arg(requested));
    }
    return resolved;
}

}  // namespace tessel::server
