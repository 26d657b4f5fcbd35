// Maintenance commands in-process: download, upload, backup and restore of whole databases,
// the backup folders, and the host's network interfaces.
#include "options.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <sqlite3.h>

#include <atomic>
#include <thread>

using namespace tessel::server;
using namespace tessel::server::test;

namespace {

/// Runs SQL on a database file outside the server.
void sqliteFile(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db) << ": " << sql;
    sqlite3_close(db);
}

/// PRAGMA quick_check of a database file and the value of a one-cell query on it.
QString quickCheckAnd(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    QString out;
    for (const char* q : {"PRAGMA quick_check", sql}) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, q, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW) {
            out += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))) + '|';
        } else {
            out += QString("error: ") + sqlite3_errmsg(db) + '|';
        }
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return out;
}

QByteArray fileContent(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(path);
    return f.readAll();
}

class MaintenanceTest : public DispatchTest
{
protected:
    MaintenanceTest()
    {
        QDir().mkpath(root());
        m_dispatcher->setBackupRoots({root()});
        m_dispatcher->setBroadcaster([this](const QString& text) { m_broadcasts << text; });
    }

    QString root() const { return m_folders.path("backups"); }

    QStringList itemNames(ConnectionCache* connections = nullptr)
    {
        const QJsonObject request{{"DbName", "Tessel"},
                                  {"sqlexec", "SELECT S_NAME FROM TAB_ITEM ORDER BY S_ID"}};
        const QJsonObject a =
            connections ? call("ExecuteQuery", request, *connections) : call("ExecuteQuery", request);
        EXPECT_EQ(a.value("result"), "OK") << qPrintable(a.value("reason").toString());
        QStringList out;
        for (int i = 0; i < rowsOf(a).size(); ++i) {
            out << cell(a, i, "S_NAME").toString();
        }
        return out;
    }

    /// {"dbName": ret} of a BackupDatabase or RestoreDatabase answer, as "name=1" texts.
    static QStringList results(const QJsonObject& answer, const char* list)
    {
        EXPECT_EQ(answer.value("result"), "OK") << qPrintable(answer.value("reason").toString());
        QStringList out;
        for (const QJsonValue& v : answer.value("data").toObject().value(list).toArray()) {
            out << v.toObject().value("dbName").toString() + '=' +
                       (v.toObject().value("ret").toBool() ? "1" : "0");
        }
        return out;
    }

    QJsonObject backup(const QString& path, const QJsonArray& names)
    {
        return call("BackupDatabase", {{"filePath", path}, {"dbArray", names}});
    }

    QJsonObject restore(const QString& path, const QJsonArray& names, int timeout = 5)
    {
        QJsonObject request{{"filePath", path}, {"timeout", timeout}, {"dbArray", names}};
        if (path.isEmpty()) {
            request["RestoreDefault"] = true;
        }
        return call("RestoreDatabase", request);
    }

    QStringList leftovers() const
    {
        return QDir(m_folders.dataDir())
            .entryList({"*.download-*", "*.upload-*", "*.restore-*", "*.schema-check-*"}, QDir::Files);
    }

    QStringList m_broadcasts;
};

TEST_F(MaintenanceTest, BackupChangeRestoreBringsTheOldRowsBack)
{
    ASSERT_EQ(execute("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (2, 'kept')").value("result"), "OK");
    EXPECT_EQ(results(backup("nightly", {"Tessel", "Tessel-record", "Nope"}), "backupResult"),
              QStringList({"Tessel=1", "Tessel-record=1", "Nope=0"}));
    EXPECT_EQ(quickCheckAnd(root() + "/nightly/Tessel.db", "SELECT group_concat(S_NAME) FROM TAB_ITEM"),
              "ok|seed,kept|");
    EXPECT_EQ(QDir(root() + "/nightly").entryList(QDir::Files),
              QStringList({"Tessel-record.db", "Tessel.db"}));

    // Changed afterwards, also through a second worker's connection.
    ConnectionCache second(*m_databases);
    ASSERT_EQ(execute("DELETE FROM TAB_ITEM WHERE S_ID = 2").value("result"), "OK");
    ASSERT_EQ(execute("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (3, 'later')").value("result"), "OK");
    EXPECT_EQ(itemNames(&second), QStringList({"seed", "later"}));

    m_broadcasts.clear();
    const QJsonObject a = restore(root() + "/nightly", {"Tessel", "Tessel-intelligent"});
    // Tessel-intelligent was not backed up there: refused, left as it is.
    EXPECT_EQ(results(a, "restoreResult"), QStringList({"Tessel=1", "Tessel-intelligent=0"}));
    EXPECT_EQ(m_broadcasts, QStringList({"Start restoring database.", "Restore database complete."}));
    EXPECT_EQ(itemNames(), QStringList({"seed", "kept"}));
    EXPECT_EQ(itemNames(&second), QStringList({"seed", "kept"}));
    EXPECT_EQ(execute("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (4, 'after')").value("result"), "OK");
    EXPECT_EQ(scalar("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(MaintenanceTest, RestoreDefaultGivesTheSchemaDatabase)
{
    ASSERT_EQ(execute("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (2, 'two')").value("result"), "OK");
    ASSERT_EQ(execute("CREATE TABLE EXTRA (X)").value("result"), "OK");
    EXPECT_EQ(results(restore("", {"Tessel"}), "restoreResult"), QStringList({"Tessel=1"}));
    EXPECT_EQ(itemNames(), QStringList({"seed"}));
    EXPECT_EQ(scalar("SELECT group_concat(name) FROM sqlite_master"), "TAB_ITEM");
    EXPECT_EQ(m_broadcasts, QStringList({"Start restoring database.", "Restore database complete."}));
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(MaintenanceTest, DatabaseBeingReplacedAnswersBusyAndWaitsForRunningRequests)
{
    ASSERT_EQ(execute("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (2, 'two')").value("result"), "OK");
    // A request still running on Tessel: the restore gives up after its timeout, nothing changed.
    ConnectionCache running(*m_databases);
    auto lease = std::make_unique<Lease>(m_databases->acquire(0, running));
    EXPECT_EQ(results(restore("", {"Tessel"}, 1), "restoreResult"), QStringList({"Tessel=0"}));
    EXPECT_EQ(leftovers(), QStringList());

    // The same with more time: meanwhile new requests are turned away at once; when the running
    // one ends, the file is replaced.
    ConnectionCache restorer(*m_databases);
    QJsonObject restoreAnswer;
    std::thread worker([&] {
        restoreAnswer = call(
            "RestoreDatabase",
            {{"filePath", ""}, {"RestoreDefault", true}, {"timeout", 20}, {"dbArray", QJsonArray{"Tessel"}}},
            restorer);
    });
    QJsonObject busy;
    for (int i = 0; i < 400 && busy.value("code") != "busy"; ++i) {
        busy = query("SELECT count(*) FROM TAB_ITEM");
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(busy.value("code"), "busy");
    EXPECT_TRUE(busy.value("reason").toString().contains("being replaced"))
        << qPrintable(busy.value("reason").toString());
    lease.reset();
    worker.join();
    EXPECT_EQ(results(restoreAnswer, "restoreResult"), QStringList({"Tessel=1"}));
    EXPECT_EQ(itemNames(), QStringList({"seed"}));
}

TEST_F(MaintenanceTest, UploadChecksEachDatabaseAndReplacesOnlyValidOnes)
{
    ASSERT_EQ(execute("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (2, 'two')").value("result"), "OK");
    ASSERT_EQ(scalar("SELECT count(*) FROM T_RECORD", "Tessel-record"), "0");
    const QString uploaded = m_folders.path("uploaded.db");
    sqliteFile(
        uploaded,
        "CREATE TABLE TAB_ITEM (S_ID INTEGER PRIMARY KEY, S_NAME TEXT NOT NULL, I_COUNT INTEGER, F_SCORE "
        "REAL, B_DATA BLOB); INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (1, 'uploaded');");
    const QString other = m_folders.path("other.db");
    sqliteFile(other, "CREATE TABLE SOMETHING_ELSE (X); INSERT INTO SOMETHING_ELSE VALUES (1);");
    QByteArray truncated = fileContent(uploaded);
    truncated.truncate(truncated.size() / 2 + 100);

    const struct
    {
        const char* name;
        QJsonValue value;
        int code;
        const char* reason;
    } cases[] = {
        {"Tessel", QString::fromLatin1(QByteArray(5000, 'x').toBase64()), -3, "no SQLite header"},
        {"Tessel-record", QString::fromLatin1(fileContent(other).toBase64()), -3, "none of the tables"},
        {"Tessel-intelligent", QString::fromLatin1(truncated.toBase64()), -3, ""},
        {"Tessel-passengerFlow", "not base64 !", -2, "Base64"},
        {"Other", QString::fromLatin1(fileContent(uploaded).toBase64()), -1, "not one of"},
    };
    QJsonObject data;
    for (const auto& c : cases) {
        data[c.name] = c.value;
    }
    QJsonObject a = call("UploadDB", {{"DbData", data}});
    ASSERT_EQ(a.value("result"), "OK") << qPrintable(a.value("reason").toString());
    QHash<QString, QJsonObject> byName;
    for (const QJsonValue& v : a.value("data").toObject().value("ret").toArray()) {
        byName.insert(v.toObject().value("key").toString(), v.toObject());
    }
    for (const auto& c : cases) {
        EXPECT_EQ(byName.value(c.name).value("value"), c.code) << c.name;
        EXPECT_TRUE(byName.value(c.name).value("reason").toString().contains(c.reason))
            << c.name << ": " << qPrintable(byName.value(c.name).value("reason").toString());
    }
    // Refused: the old databases answer as before, nothing left behind.
    EXPECT_EQ(itemNames(), QStringList({"seed", "two"}));
    EXPECT_EQ(scalar("SELECT count(*) FROM T_RECORD", "Tessel-record"), "0");
    EXPECT_EQ(leftovers(), QStringList());

    // A valid database replaces the old one for every connection.
    ConnectionCache second(*m_databases);
    EXPECT_EQ(itemNames(&second), QStringList({"seed", "two"}));
    a = call("UploadDB",
             {{"DbData", QJsonObject{{"Tessel", QString::fromLatin1(fileContent(uploaded).toBase64())}}}});
    EXPECT_EQ(a.value("data").toObject().value("ret"),
              QJsonArray({QJsonObject{{"key", "Tessel"}, {"value", 0}}}));
    EXPECT_EQ(itemNames(), QStringList({"uploaded"}));
    EXPECT_EQ(itemNames(&second), QStringList({"uploaded"}));
    EXPECT_EQ(leftovers(), QStringList());

    EXPECT_EQ(call("UploadDB", {{"DbData", QJsonArray()}}).value("code"), "bad-request");
    EXPECT_EQ(call("UploadDB", QJsonObject()).value("code"), "bad-request");
}

TEST_F(MaintenanceTest, DownloadReturnsFourConsistentDatabases)
{
    ASSERT_EQ(execute("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (2, 'in the wal')").value("result"), "OK");
    const QJsonObject a = call("DownLoadDB", QJsonObject());
    ASSERT_EQ(a.value("result"), "OK") << qPrintable(a.value("reason").toString());
    EXPECT_EQ(a.value("data").toObject().value("ret"), 0);
    const QJsonArray files = a.value("data").toObject().value("DbData").toArray();
    ASSERT_EQ(files.size(), 4);
    const char* names[] = {"Tessel", "Tessel-record", "Tessel-intelligent", "Tessel-passengerFlow"};
    for (int i = 0; i < 4; ++i) {
        const QJsonObject f = files.at(i).toObject();
        EXPECT_EQ(f.value("key"), names[i]);
        const auto decoded = QByteArray::fromBase64Encoding(f.value("value").toString().toLatin1(),
                                                            QByteArray::AbortOnBase64DecodingErrors);
        ASSERT_TRUE(decoded) << names[i];
        const QString path = m_folders.path(QString("down-%1.db").arg(i));
        writeFile(path, decoded.decoded);
        EXPECT_TRUE(quickCheckAnd(path, "SELECT 1").startsWith("ok|")) << names[i];
    }
    EXPECT_EQ(quickCheckAnd(m_folders.path("down-0.db"), "SELECT group_concat(S_NAME) FROM TAB_ITEM"),
              "ok|seed,in the wal|");
    EXPECT_EQ(leftovers(), QStringList());

    // What was downloaded uploads again.
    const QJsonObject up =
        call("UploadDB", {{"DbData", QJsonObject{{"Tessel", files.at(0).toObject().value("value")}}}});
    EXPECT_EQ(up.value("data").toObject().value("ret").toArray().at(0).toObject().value("value"), 0);
    EXPECT_EQ(itemNames(), QStringList({"seed", "in the wal"}));

    // An answer over the limit is refused as a whole.
    m_dispatcher->setMaxAnswerBytes(8 * 1024);
    EXPECT_EQ(call("DownLoadDB", QJsonObject()).value("code"), "too-large");
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(MaintenanceTest, DownloadInPiecesIsOneSnapshotAndLeavesNothingBehind)
{
    ASSERT_EQ(
        execute("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (2, 'before the first piece')").value("result"),
        "OK");
    const auto piece = [this](const QString& snapshot, qint64 offset) {
        QJsonObject request{{"dbName", "Tessel"}, {"offset", offset}, {"length", 1024}};
        if (!snapshot.isEmpty()) {
            request.insert("snapshot", snapshot);
        }
        return call("DownLoadDBPiece", request);
    };
    QJsonObject a = piece(QString(), 0);
    ASSERT_EQ(a.value("result"), "OK") << qPrintable(a.value("reason").toString());
    const QString snapshot = a.value("data").toObject().value("snapshot").toString();
    const qint64 size = qint64(a.value("data").toObject().value("size").toDouble());
    ASSERT_GT(size, 2048);  // several pieces of 1 KiB
    EXPECT_EQ(leftovers().size(), 1);
    // A write after the first piece is not in this download.
    ASSERT_EQ(execute("INSERT INTO TAB_ITEM (S_ID, S_NAME) VALUES (3, 'after it')").value("result"), "OK");

    QByteArray content;
    int pieces = 0;
    for (;;) {
        const QJsonObject data = a.value("data").toObject();
        ASSERT_EQ(qint64(data.value("offset").toDouble()), content.size());
        content += QByteArray::fromBase64(data.value("data").toString().toLatin1());
        ++pieces;
        if (data.value("last").toBool()) {
            break;
        }
        ASSERT_LT(pieces, 10000);
        a = piece(snapshot, content.size());
        ASSERT_EQ(a.value("result"), "OK") << qPrintable(a.value("reason").toString());
    }
    EXPECT_EQ(content.size(), size);
    EXPECT_GT(pieces, 2);
    const QString path = m_folders.path("pieces.db");
    writeFile(path, content);
    EXPECT_EQ(quickCheckAnd(path, "SELECT group_concat(S_NAME) FROM TAB_ITEM"),
              "ok|seed,before the first piece|");
    // The last piece removed the snapshot; asking for it again is refused.
    EXPECT_EQ(leftovers(), QStringList());
    EXPECT_EQ(piece(snapshot, 0).value("code"), "bad-request");

    // Refusals: an unknown database, an offset past the end, a snapshot of another database.
    EXPECT_EQ(call("DownLoadDBPiece", {{"dbName", "Other"}}).value("code"), "bad-request");
    EXPECT_EQ(call("DownLoadDBPiece", QJsonObject()).value("code"), "bad-request");
    const QJsonObject first = piece(QString(), 0);
    const QString open = first.value("data").toObject().value("snapshot").toString();
    EXPECT_EQ(piece(open, size * 2).value("code"), "bad-request");
    EXPECT_EQ(call("DownLoadDBPiece", {{"dbName", "Tessel-record"}, {"snapshot", open}}).value("code"),
              "bad-request");
    EXPECT_EQ(call("DownLoadDBPiece", {{"dbName", "Tessel"}, {"length", 0}}).value("code"), "bad-request");
    // The open snapshot ends with its last piece.
    const qint64 openSize = qint64(first.value("data").toObject().value("size").toDouble());
    const QJsonObject rest =
        call("DownLoadDBPiece", {{"dbName", "Tessel"}, {"snapshot", open}, {"offset", openSize}});
    EXPECT_TRUE(rest.value("data").toObject().value("last").toBool())
        << qPrintable(rest.value("reason").toString());
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(MaintenanceTest, PathsOutsideTheBackupFoldersAreRefused)
{
    const QString elsewhere = m_folders.path("elsewhere");
    QDir().mkpath(elsewhere);
    ASSERT_TRUE(QFile::link(elsewhere, root() + "/out"));  // a symlink leading out
    QDir().mkpath(root() + "/real");
    ASSERT_TRUE(QFile::link(root() + "/real", root() + "/in"));  // one that stays inside
    const struct
    {
        QString path;
        const char* reason;
    } refused[] = {
        {"../elsewhere", "must not contain \"..\""},
        {root() + "/../elsewhere", "must not contain \"..\""},
        {root() + "/a/../../elsewhere", "must not contain \"..\""},
        {elsewhere, "lies outside the backup folders"},
        {"/", "lies outside the backup folders"},
        {root() + "/out", "lies outside the backup folders"},
        {root() + "/out/new/deeper", "lies outside the backup folders"},
        {"", "\"filePath\" is empty"},
    };
    for (const auto& c : refused) {
        for (const char* command : {"BackupDatabase", "RestoreDatabase"}) {
            const QJsonObject a =
                call(command, {{"filePath", c.path}, {"timeout", 3}, {"dbArray", QJsonArray{"Tessel"}}});
            EXPECT_EQ(a.value("code"), "bad-request") << command << " " << qPrintable(c.path);
            EXPECT_TRUE(a.value("reason").toString().contains(c.reason))
                << command << " " << qPrintable(c.path) << ": " << qPrintable(a.value("reason").toString());
        }
    }
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    EXPECT_TRUE(m_broadcasts.isEmpty());

    // A backup folder that contains the data folder still never lets a backup overwrite it.
    m_dispatcher->setBackupRoots({m_folders.path("")});
    const QJsonObject intoData = backup(m_folders.dataDir(), {"Tessel"});
    EXPECT_EQ(intoData.value("code"), "bad-request");
    EXPECT_TRUE(intoData.value("reason").toString().contains("is the data folder itself"));
    m_dispatcher->setBackupRoots({root()});

    // Inside: new folders are made; a symlink within the root is fine.
    EXPECT_EQ(results(backup(root() + "/a/b", {"Tessel"}), "backupResult"), QStringList({"Tessel=1"}));
    EXPECT_TRUE(QFileInfo::exists(root() + "/a/b/Tessel.db"));
    EXPECT_EQ(results(backup("in/x", {"Tessel"}), "backupResult"), QStringList({"Tessel=1"}));
    EXPECT_TRUE(QFileInfo::exists(root() + "/real/x/Tessel.db"));
    // Restoring from a folder that does not exist is refused.
    EXPECT_EQ(restore(root() + "/missing", {"Tessel"}).value("code"), "bad-request");
}

TEST_F(MaintenanceTest, NetworkInfoListsTheLoopbackInterface)
{
    const QJsonObject a = call("GetAllNetworkInfo", QJsonObject());
    ASSERT_EQ(a.value("result"), "OK");
    EXPECT_EQ(a.value("data").toObject().value("ret"), 0);
    QJsonObject lo;
    for (const QJsonValue& v : a.value("data").toObject().value("netInfo").toArray()) {
        for (const char* key : {"Ifrname", "Ipv4Addr", "Ipv4Mask", "Ipv4Gateway", "mac", "mtu",
                                "connectState", "firstDns", "DHCPStatus"}) {
            EXPECT_TRUE(v.toObject().value(key).isString()) << key;
        }
        if (v.toObject().value("Ipv4Addr") == "127.0.0.1") {
            lo = v.toObject();
        }
    }
    ASSERT_FALSE(lo.isEmpty()) << qPrintable(QJsonDocument(a).toJson());
    EXPECT_EQ(lo.value("Ipv4Mask"), "255.0.0.0");
    EXPECT_GT(lo.value("mtu").toString().toInt(), 0);
    EXPECT_EQ(lo.value("connectState"), "connected");
    EXPECT_EQ(lo.value("DHCPStatus"), "static");

    // The status of one interface carries the same keys; no monitor here, so no samples.
    const QJsonObject s = call("GetSystemStatusByName", {{"name", lo.value("Ifrname")}});
    ASSERT_EQ(s.value("result"), "OK") << qPrintable(s.value("reason").toString());
    EXPECT_EQ(s.value("data").toObject().value("Ipv4Addr"), "127.0.0.1");
    EXPECT_EQ(s.value("data").toObject().value("status"), QJsonArray());
    const QJsonObject unknown = call("GetSystemStatusByName", {{"name", "no-such-if0"}});
    EXPECT_EQ(unknown.value("code"), "bad-request");
    EXPECT_TRUE(unknown.value("reason").toString().contains("no network interface named \"no-such-if0\""));
}

TEST(MaintenanceOptionsTest, BackupRootsRepeatAndSampleInterval)
{
    ServerOptions o;
    QString message;
    ASSERT_EQ(parseCommandLine({"s", "--data-dir", "d", "--backup-root", "/a", "--backup-root", "b",
                                "--sample-interval-ms", "250"},
                               &o, &message),
              ParseOutcome::Run)
        << qPrintable(message);
    EXPECT_EQ(o.backupRoots, QStringList({"/a", "b"}));
    EXPECT_EQ(o.sampleIntervalMs, 250);
    ASSERT_EQ(parseCommandLine({"s", "--data-dir", "d"}, &o, &message), ParseOutcome::Run);
    EXPECT_EQ(o.backupRoots, QStringList());
    EXPECT_EQ(o.sampleIntervalMs, 5000);
    EXPECT_EQ(parseCommandLine({"s", "--data-dir", "d", "--sample-interval-ms", "5"}, &o, &message),
              ParseOutcome::ExitError);
    EXPECT_EQ(parseCommandLine({"s", "--data-dir", "d", "--backup-root", ""}, &o, &message),
              ParseOutcome::ExitError);
}

}  // namespace
