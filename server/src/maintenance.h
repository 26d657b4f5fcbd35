// Whole database files: consistent snapshots (SQLite's online backup), checking a file that is
// to replace a database, and the folders where backups may be written and read.
#ifndef TESSEL_SERVER_MAINTENANCE_H
#define TESSEL_SERVER_MAINTENANCE_H

#include "database.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace tessel::server {

/// A file in the data folder (or a backup folder) that is removed, with any -wal, -shm or
/// -journal beside it, when this object ends, unless it was released.
class ScratchFile
{
public:
    /// `<base>.<purpose>-<random>`
    ScratchFile(const QString& base, const char* purpose);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const QString& path() const { return m_path; }
    void release() { m_path.clear(); }

private:
    QString m_path;
};

/// Writes a consistent copy of the database open on `source` to `path` (online backup in one
/// step, so one snapshot), as a standalone file in rollback-journal mode. Throws RequestError.
void snapshotDatabase(sqlite3* source, const QString& path);

/// Copies the database file `source` (opened read-only) to `path` the same way.
void copyDatabaseFile(const QString& source, const QString& path);

/// Checks that `path` holds an SQLite database that can replace `slot`: the SQLite header, a
/// passing `PRAGMA quick_check`, and, when the schema of that database creates tables, at least
/// one of those tables (so the content of another database is refused). Opens it read-only.
/// Throws RequestError ("bad-request") with the reason.
void checkDatabaseFile(const QString& path, const DatabaseSlot& slot);

/// The folder `requested` resolved under one of `roots`: a relative path is taken from the first
/// root; ".." components are refused; the deepest existing part is canonicalised (symlinks
/// resolved) and must lie within a canonicalised root. Created when `create`; must exist
/// otherwise. Throws RequestError ("bad-request") with the reason.
QString backupFolder(const QStringList& roots, const QString& requested, bool create);

/// The file `name` inside the backup folder `folder` (from backupFolder()), resolved: a symbolic
/// link is followed, and its target must lie within one of `roots`. Throws RequestError
/// ("bad-request") otherwise.
QString backupFile(const QStringList& roots, const QString& folder, const QString& name);

/// Makes the data folder and the backup folders 0700 and every file and folder in them 0600 and
/// 0700, with a log line for each one tightened.
void secureFolders(const QString& dataDir, const QStringList& backupRoots);

/// Removes the scratch files (restore, upload, download, backup copies) that a server stopped
/// midway left in `dataDir`, with a log line for each. Returns how many were removed.
int removeLeftoverScratchFiles(const QString& dataDir);

}  // namespace tessel::server

#endif
