// tesselctl as an operator and a script use it: exit statuses, quiet stderr, --json, the
// commands that replace live data (confirmation and snapshot), init-admin's refusal, the
// download in pieces and a clean end of its channels; against a real server.
#include "IntegrationFixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

const auto* const g_env =
    ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"c71c7e57", /*admin*/ true}));

struct CtlRun
{
    int iExit = -1;
    QString strOut;
    QString strErr;
};

/// Runs tesselctl from the application directory with stdin a pipe (not a terminal).
CtlRun ctl(const QStringList& _lstArgs, const QString& _strServer = QString(),
           const QProcessEnvironment& _env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    QProcessEnvironment env = _env;
    // A sanitizer build lists the suppressions it used on stderr; the program's own stderr is
    // what is checked here.
    env.insert("LSAN_OPTIONS", env.value("LSAN_OPTIONS") + ":print_suppressions=0");
    process.setProcessEnvironment(env);
    QStringList lstArgs{"--server", _strServer.isEmpty()
                                        ? IntegrationEnvironment::instance().server().address()
                                        : _strServer};
    lstArgs << _lstArgs;
    process.start(QCoreApplication::applicationDirPath() + "/tesselctl", lstArgs);
    process.closeWriteChannel();
    CtlRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        run.strErr = "tesselctl did not finish";
        return run;
    }
    run.iExit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.strOut = QString::fromUtf8(process.readAllStandardOutput());
    run.strErr = QString::fromUtf8(process.readAllStandardError());
    return run;
}

CtlRun ctlAsAdmin(QStringList _lstArgs)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TESSEL_PASSWORD", IntegrationEnvironment::kAdminPassword);
    _lstArgs.prepend(IntegrationEnvironment::kAdminName);
    _lstArgs.prepend("--user");
    return ctl(_lstArgs, QString(), env);
}

std::string describe(const CtlRun& _run)
{
    return QStringLiteral("exit %1\n--- stdout\n%2--- stderr\n%3")
        .arg(_run.iExit)
        .arg(_run.strOut, _run.strErr)
        .toStdString();
}

QString caption(const QString& _strId)
{
    return itest::text("Tessel", "SELECT S_CAPTION FROM TAB_OBJ WHERE S_ID = :id", {{":id", _strId}});
}

// ---- the command line's contract: status, stdout, stderr ----

struct LineCase
{
    const char* name;
    QStringList args;
    int iExit;
    const char* stdoutPattern;  ///< must match stdout (regular expression)
    const char* stderrPattern;  ///< must match stderr; "^$" for nothing at all
};

std::ostream& operator<<(std::ostream& _os, const LineCase& _case)
{
    return _os << _case.name;
}

class CtlLineTest : public ::testing::TestWithParam<LineCase>
{
};

TEST_P(CtlLineTest, ExitStatusAndOutput)
{
    const LineCase& c = GetParam();
    const CtlRun run = ctl(c.args);
    EXPECT_EQ(run.iExit, c.iExit) << describe(run);
    EXPECT_TRUE(QRegularExpression(c.stdoutPattern).match(run.strOut).hasMatch()) << describe(run);
    EXPECT_TRUE(QRegularExpression(c.stderrPattern).match(run.strErr).hasMatch()) << describe(run);
    // One clear line on failure, nothing on success; never a build path.
    EXPECT_LE(run.strErr.count('\n'), 1) << describe(run);
    EXPECT_FALSE(run.strErr.contains(TESSEL_SOURCE_DIR "/src/")) << describe(run);
}

const QString kTypedSelect = "SELECT 1 AS zb, 'x' AS a, NULL AS c, 2.5 AS d, '007' AS e, -3 AS f";

INSTANTIATE_TEST_SUITE_P(
    Cli, CtlLineTest,
    ::testing::Values(
        LineCase{"unknown_option", {"--bogus", "status"}, 2, "^$", "^tesselctl: Unknown option 'bogus'"},
        LineCase{"bad_server", {"--server", "127.0.0.1:port", "status"}, 2, "^$", "^tesselctl: bad --server"},
        LineCase{"unknown_command", {"frobnicate"}, 2, "^$", "^tesselctl: unknown command frobnicate"},
        LineCase{"bad_bind", {"--bind", "id=1", "query", "Tessel", "SELECT 1"}, 2, "^$", "bad --bind"},
        LineCase{"bad_timeout", {"--timeout", "0", "query", "Tessel", "SELECT 1"}, 2, "^$", "bad --timeout"},
        LineCase{"status_is_quiet", {"status"}, 0, "^status 1 \\(connected\\)\n$", "^$"},
        // The columns in the SELECT's order, NULL as null, numbers as numbers, "007" a text.
        LineCase{"query_json_typed",
                 {"--json", "query", "Tessel", kTypedSelect},
                 0,
                 "^\\[\n  \\{\"zb\": 1, \"a\": \"x\", \"c\": null, \"d\": 2\\.5, \"e\": \"007\", \"f\": "
                 "-3\\}\n\\]\n$",
                 "^$"},
        LineCase{"query_text_order",
                 {"query", "Tessel", kTypedSelect},
                 0,
                 "^zb=1  a=x  c=NULL  d=2.5  e=007  f=-3\n",
                 "^$"},
        LineCase{"query_refused",
                 {"query", "Tessel", "SELECT * FROM no_such_table"},
                 1,
                 "^$",
                 "^tesselctl: ExecuteQuery refused \\(sql\\): .*no such table: no_such_table\n$"},
        LineCase{"query_refused_json",
                 {"--json", "query", "Tessel", "SELECT * FROM no_such_table"},
                 1,
                 "^\\{\"error\":\"ExecuteQuery refused \\(sql\\): .*no such table.*\",\"exit\":1\\}\n$",
                 "no such table"},
        LineCase{
            "exec_refused", {"exec", "Tessel", "UPDATE no_such_table SET a = 1"}, 1, "^$", "no such table"},
        LineCase{
            "restore_needs_dir_and_db", {"restore", "b1"}, 2, "^$", "restore takes DIR and at least one DB"},
        LineCase{
            "restore_unknown_db", {"--yes", "restore", "b1", "Tesel"}, 2, "^$", "Tesel is not a database"},
        LineCase{"restore_needs_yes", {"restore", "b1", "Tessel"}, 2, "^$", "pass --yes"},
        LineCase{"reset_needs_yes_json",
                 {"--json", "reset", "Tessel"},
                 2,
                 "^\\{\"error\":.*pass --yes.*\"exit\":2\\}\n$",
                 "pass --yes"},
        LineCase{
            "upload_missing_file", {"--yes", "upload", "/nonexistent", "Tessel"}, 1, "^$", "cannot read"},
        LineCase{"login_without_password", {"--user", "admin", "login"}, 2, "^$", "needs a password"},
        LineCase{"version", {"--version"}, 0, "^tesselctl " TESSEL_VERSION "\n$", "^$"},
        LineCase{"help_names_the_program", {"--help"}, 0, "^Usage: tesselctl \\[options\\]", "^$"},
        LineCase{"command_help",
                 {"help", "restore"},
                 0,
                 "^Usage: tesselctl \\[OPTIONS\\] restore DIR DB\\.\\.\\.\n(.|\n)*Examples:",
                 "^$"},
        LineCase{"command_help_option",
                 {"download", "--help"},
                 0,
                 "Usage: tesselctl \\[OPTIONS\\] download",
                 "^$"},
        LineCase{"completion", {"completion", "bash"}, 0, "complete -F _tesselctl tesselctl", "^$"}),
    [](const ::testing::TestParamInfo<LineCase>& _info) { return std::string(_info.param.name); });

// With the server down every command that reaches it fails with 1 and one line, never an empty
// success; --json gives the error object.
TEST(CtlServerDown, EveryCommandFailsWithOneLine)
{
    ServerProcess stopped;
    ASSERT_TRUE(stopped.start()) << stopped.output().toStdString();
    const QString strAddress = stopped.address();
    ASSERT_TRUE(stopped.stop());
    // The fixture's server certificate stays the trusted one: this client fails before TLS.
    qputenv("TESSEL_WS_CA_FILE",
            (IntegrationEnvironment::instance().server().dataDir() + "/tls/server.crt").toUtf8());
    const QList<QStringList> lstCommands{
        {"status"},
        {"query", "Tessel", "SELECT 1"},
        {"exec", "Tessel", "DELETE FROM TAB_OBJ WHERE 0"},
        {"backup", "b1", "Tessel"},
        {"--yes", "restore", "b1", "Tessel"},
        {"--yes", "reset", "Tessel"},
        {"download", QDir::tempPath() + "/tesselctl-down-never", "Tessel"},
        {"init-admin", "admin", "pw 12345678"},
        {"server-status"},
    };
    for (const QStringList& lstArgs : lstCommands) {
        SCOPED_TRACE(lstArgs.join(' ').toStdString());
        const CtlRun run = ctl(lstArgs, strAddress);
        EXPECT_EQ(run.iExit, 1) << describe(run);
        EXPECT_EQ(run.strErr.count('\n'), 1) << describe(run);
        EXPECT_TRUE(run.strErr.startsWith("tesselctl: ")) << describe(run);
        const CtlRun json = ctl(QStringList{"--json"} + lstArgs, strAddress);
        EXPECT_EQ(json.iExit, 1) << describe(json);
        const QJsonObject obj = QJsonDocument::fromJson(json.strOut.toUtf8()).object();
        EXPECT_FALSE(obj.value("error").toString().isEmpty()) << describe(json);
        EXPECT_EQ(obj.value("exit").toInt(), 1) << describe(json);
    }
    EXPECT_FALSE(QFileInfo::exists(QDir::tempPath() + "/tesselctl-down-never/Tessel.db"));
}

TEST(CtlVerbose, ShowsTheLibraryLogWithSourcePathsFromTheRoot)
{
    const CtlRun quiet = ctl({"query", "Tessel", "SELECT * FROM no_such_table"});
    const CtlRun loud = ctl({"-vvv", "query", "Tessel", "SELECT * FROM no_such_table"});
    EXPECT_EQ(loud.iExit, 1);
    EXPECT_GT(loud.strErr.count('\n'), quiet.strErr.count('\n')) << describe(loud);
    // The library's lines name their source as src/...; never the build machine's folder.
    EXPECT_TRUE(loud.strErr.contains(QRegularExpression(" src/[A-Za-z/_]+\\.cpp:[0-9]+ "))) << describe(loud);
    EXPECT_FALSE(loud.strErr.contains(TESSEL_SOURCE_DIR "/src/")) << describe(loud);
    EXPECT_FALSE(loud.strErr.contains("../src/")) << describe(loud);
}

// ---- changing what does not exist ----

TEST(CtlNotFound, DeletingAMissingObjectFails)
{
    const QList<QStringList> lstCommands{
        {"delete-host", "0123456789abcdef0123456789abcdef"},
        {"delete-dev", "0123456789abcdef0123456789abcdef"},
        {"delete-decoder", "0123456789abcdef0123456789abcdef"},
        {"views", "rm", "0123456789abcdef0123456789abcdef"},
        {"update-host", "0123456789abcdef0123456789abcdef", "caption=x"},
        {"flow", "rm-region", "0123456789abcdef0123456789abcdef"},
    };
    for (const QStringList& lstArgs : lstCommands) {
        SCOPED_TRACE(lstArgs.join(' ').toStdString());
        const CtlRun run = ctlAsAdmin(lstArgs);
        EXPECT_EQ(run.iExit, 1) << describe(run);
        EXPECT_TRUE(run.strErr.contains(QRegularExpression("not found|no host"))) << describe(run);
    }
}

// ---- init-admin ----

TEST(CtlInitAdmin, RefusesToReplaceAnAdministratorWithoutLoginOrReplace)
{
    const QString strBefore = itest::text("Tessel", "SELECT S_PASSWORD FROM TAB_USER WHERE S_ID = 'admin'");
    const CtlRun refused = ctl({"init-admin", "intruder", "intruder pw 1"});
    EXPECT_EQ(refused.iExit, 1) << describe(refused);
    EXPECT_TRUE(refused.strErr.contains("an administrator exists already")) << describe(refused);
    EXPECT_EQ(caption("admin"), IntegrationEnvironment::kAdminName);
    EXPECT_EQ(itest::text("Tessel", "SELECT S_PASSWORD FROM TAB_USER WHERE S_ID = 'admin'"), strBefore);

    QProcessEnvironment wrong = QProcessEnvironment::systemEnvironment();
    wrong.insert("TESSEL_PASSWORD", "not the password");
    const CtlRun badLogin =
        ctl({"--user", "admin", "init-admin", "intruder", "intruder pw 1"}, QString(), wrong);
    EXPECT_EQ(badLogin.iExit, 1) << describe(badLogin);
    EXPECT_EQ(caption("admin"), IntegrationEnvironment::kAdminName);

    // Logged in as the administrator: replaced (and put back the same way).
    const CtlRun asAdmin = ctlAsAdmin({"init-admin", "admin2", "second pw 123"});
    EXPECT_EQ(asAdmin.iExit, 0) << describe(asAdmin);
    EXPECT_EQ(caption("admin"), "admin2");
    const CtlRun replaced = ctl({"--replace", "init-admin", IntegrationEnvironment::kAdminName,
                                 IntegrationEnvironment::kAdminPassword});
    EXPECT_EQ(replaced.iExit, 0) << describe(replaced);
    EXPECT_TRUE(replaced.strOut.contains("replaced")) << describe(replaced);
    EXPECT_EQ(caption("admin"), IntegrationEnvironment::kAdminName);
    EXPECT_EQ(ctlAsAdmin({"login"}).iExit, 0);
}

// ---- restore, reset and their snapshots ----

QString snapshotOf(const CtlRun& _run)
{
    return QRegularExpression("kept in the backup folder (snapshots/before-[a-z]+-[0-9-]+)")
        .match(_run.strOut)
        .captured(1);
}

TEST(CtlRestore, RoundTripKeepsASnapshotOfWhatItReplaced)
{
    const QString strId = "c71c0000000000000000000000000001";
    ASSERT_EQ(itest::exec("Tessel",
                          "INSERT INTO TAB_OBJ (S_ID, I_OBJ_TYPE_ID, S_CAPTION) VALUES (:id, 1, 'before')",
                          {{":id", strId}}),
              0);
    const CtlRun backup = ctl({"backup", "b1", "Tessel"});
    ASSERT_EQ(backup.iExit, 0) << describe(backup);
    ASSERT_EQ(
        itest::exec("Tessel", "UPDATE TAB_OBJ SET S_CAPTION = 'after' WHERE S_ID = :id", {{":id", strId}}),
        0);

    // "b1" is the folder, as for backup: the old reading made it a database and reset Tessel.
    const CtlRun restore = ctl({"--yes", "restore", "b1", "Tessel"});
    ASSERT_EQ(restore.iExit, 0) << describe(restore);
    EXPECT_TRUE(restore.strErr.isEmpty()) << describe(restore);
    EXPECT_TRUE(restore.strOut.contains("Tessel ok")) << describe(restore);
    EXPECT_EQ(caption(strId), "before");

    const QString strSnapshot = snapshotOf(restore);
    ASSERT_FALSE(strSnapshot.isEmpty()) << describe(restore);
    const QString strSnapshotFile =
        IntegrationEnvironment::instance().server().dataDir() + "/backups/" + strSnapshot + "/Tessel.db";
    EXPECT_TRUE(QFileInfo(strSnapshotFile).isFile()) << strSnapshotFile.toStdString();

    // The snapshot holds what the restore replaced.
    const CtlRun back = ctl({"--yes", "--json", "restore", strSnapshot, "Tessel"});
    ASSERT_EQ(back.iExit, 0) << describe(back);
    const QJsonObject answer = QJsonDocument::fromJson(back.strOut.toUtf8()).object();
    EXPECT_TRUE(answer.value("ok").toBool()) << describe(back);
    EXPECT_TRUE(answer.value("snapshot").toString().startsWith("snapshots/before-restore-"))
        << describe(back);
    EXPECT_EQ(caption(strId), "after");

    // A restore from a folder without that database replaces nothing and fails.
    const CtlRun missing = ctl({"--yes", "restore", "no-such-folder", "Tessel"});
    EXPECT_EQ(missing.iExit, 1) << describe(missing);
    EXPECT_EQ(caption(strId), "after");
    ASSERT_EQ(itest::exec("Tessel", "DELETE FROM TAB_OBJ WHERE S_ID = :id", {{":id", strId}}), 0);
}

TEST(CtlRestore, ResetIsItsOwnCommandAndKeepsASnapshot)
{
    ASSERT_EQ(itest::exec("Tessel-record", "CREATE TABLE IF NOT EXISTS ctl_marker (v TEXT)"), 0);
    ASSERT_EQ(itest::exec("Tessel-record", "INSERT INTO ctl_marker VALUES ('kept')"), 0);
    const CtlRun reset = ctl({"--yes", "reset", "Tessel-record"});
    ASSERT_EQ(reset.iExit, 0) << describe(reset);
    EXPECT_EQ(itest::text("Tessel-record", "SELECT count(*) FROM sqlite_master WHERE name = 'ctl_marker'"),
              "0");
    const QString strSnapshot = snapshotOf(reset);
    ASSERT_TRUE(strSnapshot.startsWith("snapshots/before-reset-")) << describe(reset);
    const CtlRun back = ctl({"--yes", "restore", strSnapshot, "Tessel-record"});
    ASSERT_EQ(back.iExit, 0) << describe(back);
    EXPECT_EQ(itest::text("Tessel-record", "SELECT v FROM ctl_marker"), "kept");
}

// ---- download in pieces ----

TEST(CtlDownload, DatabaseLargerThanOnePieceArrivesWhole)
{
    // About 6 MiB in Tessel-intelligent: more than one 4 MiB piece.
    ASSERT_EQ(itest::exec("Tessel-intelligent", "CREATE TABLE IF NOT EXISTS ctl_bulk (v BLOB)"), 0);
    ASSERT_EQ(itest::exec("Tessel-intelligent",
                          "INSERT INTO ctl_bulk VALUES (randomblob(3000000)), (randomblob(3000000))"),
              0);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const CtlRun run = ctl({"--json", "download", dir.path(), "Tessel-intelligent"});
    ASSERT_EQ(run.iExit, 0) << describe(run);
    EXPECT_TRUE(run.strErr.isEmpty()) << describe(run);
    const QString strFile = dir.filePath("Tessel-intelligent.db");
    const QJsonObject files = QJsonDocument::fromJson(run.strOut.toUtf8()).object().value("files").toObject();
    EXPECT_EQ(qint64(files.value("Tessel-intelligent").toObject().value("bytes").toDouble()),
              QFileInfo(strFile).size());
    EXPECT_GT(QFileInfo(strFile).size(), 6000000);
    EXPECT_FALSE(QFileInfo::exists(strFile + ".partial"));

    // The same content as the server's own backup, past the header's change counters.
    ASSERT_EQ(ctl({"backup", "cmp", "Tessel-intelligent"}).iExit, 0);
    QFile mine(strFile);
    QFile theirs(IntegrationEnvironment::instance().server().dataDir() +
                 "/backups/cmp/Tessel-intelligent.db");
    ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
    ASSERT_TRUE(theirs.open(QIODevice::ReadOnly));
    const QByteArray a = mine.readAll();
    const QByteArray b = theirs.readAll();
    EXPECT_TRUE(a.startsWith("SQLite format 3"));
    ASSERT_EQ(a.size(), b.size());
    EXPECT_TRUE(a.mid(100) == b.mid(100));
    ASSERT_EQ(itest::exec("Tessel-intelligent", "DROP TABLE ctl_bulk"), 0);

    // No snapshot file of the download is left in the data folder.
    QDirIterator it(IntegrationEnvironment::instance().server().dataDir(), {"*.download-*"}, QDir::Files);
    EXPECT_FALSE(it.hasNext()) << it.next().toStdString();
}

// ---- closing ----

TEST(CtlClose, TheServerSeesCleanCloses)
{
    ServerProcess server;
    ASSERT_TRUE(server.start({"--log-level", "info"})) << server.output().toStdString();
    for (int i = 0; i < 3; ++i) {
        const CtlRun run = ctl({"query", "Tessel", "SELECT 1"}, server.address());
        ASSERT_EQ(run.iExit, 0) << describe(run);
    }
    ASSERT_TRUE(server.stop());
    qputenv("TESSEL_WS_CA_FILE",
            (IntegrationEnvironment::instance().server().dataDir() + "/tls/server.crt").toUtf8());
    const QString strLog = server.output();
    EXPECT_GE(strLog.count("disconnected"), 3) << strLog.toStdString();
    EXPECT_FALSE(strLog.contains("truncated")) << strLog.toStdString();
    EXPECT_FALSE(strLog.contains("end of stream")) << strLog.toStdString();
    EXPECT_FALSE(strLog.contains("reset by peer")) << strLog.toStdString();
}

}  // namespace
