// The databases pane against a real server: a slow operation leaves the window's event loop
// turning, restore and upload ask first and then bring the earlier rows back, refused files and a
// stopped server show as failures with their meaning.
#include "ConsoleSession.h"
#include "ConsoleTestSupport.h"
#include "IntegrationFixture.h"
#include "Panes.h"

#include <CLS_RemoteDBHandler.h>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

namespace {

using console::DatabasesPane;
using ctest::waitUntil;

const auto* const g_env =
    ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment({"itconsole03", true, {}}));

int exec(const QString& _strSql)
{
    return CLS_RemoteDBHandler::Execute("Tessel", _strSql, 3, false);
}

QString keptValue()
{
    return itest::text("Tessel", "SELECT S_V FROM T_KEEP");
}

ServerProcess& server()
{
    return IntegrationEnvironment::instance().server();
}

class DatabasesPaneTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_station.ready());
        ASSERT_TRUE(
            itest::waitFor([] { return CLS_RemoteDBHandler::m_iConnectedStatus.load() == 1; }, 20000));
        exec("DROP TABLE IF EXISTS T_KEEP");
        ASSERT_EQ(exec("CREATE TABLE T_KEEP(S_V TEXT)"), 0);
        ASSERT_EQ(exec("INSERT INTO T_KEEP VALUES('before')"), 0);
        m_pane.setConfirm([this](const QString& _strQuestion) {
            m_lstQuestions << _strQuestion;
            return m_bAnswer;
        });
        m_pane.setSelected({"Tessel"});
        m_pane.folder()->setText(m_folder.path());
    }

    /// Runs the operation and waits for its end; the code (-100 when it did not end).
    int runAndWait(void (DatabasesPane::*_pOperation)(), int _iMs = 30000)
    {
        QSignalSpy finished(&m_pane, &DatabasesPane::finished);
        (m_pane.*_pOperation)();
        if (!waitUntil([&] { return finished.count() == 1; }, _iMs)) {
            return -100;
        }
        return finished.at(0).at(1).toInt();
    }

    ctest::Station m_station{IntegrationEnvironment::kAdminName, IntegrationEnvironment::kAdminPassword};
    console::ConsoleSession m_session{m_station.get()};
    DatabasesPane m_pane{m_session};
    QTemporaryDir m_folder;
    QStringList m_lstQuestions;
    bool m_bAnswer = true;
};

// The server is frozen while a backup runs: the operation cannot end, yet the event loop keeps
// turning, the clock moves and a second operation is turned away; it ends once the server does.
TEST_F(DatabasesPaneTest, ASlowOperationLeavesTheEventLoopTurning)
{
    const pid_t pid = static_cast<pid_t>(server().pid());
    ASSERT_GT(pid, 0);
    int iTicks = 0;
    QTimer ticker;
    ticker.setInterval(20);
    QObject::connect(&ticker, &QTimer::timeout, [&iTicks] { ++iTicks; });
    ticker.start();
    QSignalSpy finished(&m_pane, &DatabasesPane::finished);
    m_pane.backupName()->setText("slow");

    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    // Thaws the server after 4 s whatever happens, so that a backup run on this thread fails
    // the test instead of hanging it.
    std::atomic<bool> bThawed{false};
    std::thread thaw([pid, &bThawed] {
        std::this_thread::sleep_for(std::chrono::seconds(4));
        ::kill(pid, SIGCONT);
        bThawed = true;
    });
    m_pane.backup();
    const QString strStarted = m_pane.elapsed()->text();
    EXPECT_TRUE(m_pane.busy());
    EXPECT_FALSE(m_pane.progress()->isHidden());
    waitUntil([] { return false; }, 1500);
    EXPECT_FALSE(bThawed) << "backup() returned only once the server answered";
    EXPECT_EQ(finished.count(), 0);
    EXPECT_GE(iTicks, 20) << "the event loop turned while the backup waited";
    EXPECT_NE(m_pane.elapsed()->text(), strStarted) << "the clock moves";
    m_pane.download();
    EXPECT_TRUE(m_pane.result()->text().startsWith("Backup of Tessel running")) << "one operation at a time";

    ::kill(pid, SIGCONT);
    thaw.join();
    ASSERT_TRUE(waitUntil([&] { return finished.count() == 1; }, 30000));
    EXPECT_EQ(finished.at(0).at(0).toString(), "Backup");
    EXPECT_EQ(finished.at(0).at(1).toInt(), 0) << m_pane.result()->text().toStdString();
    EXPECT_FALSE(m_pane.busy());
    EXPECT_TRUE(m_pane.progress()->isHidden());
    EXPECT_TRUE(QFile::exists(server().dataDir() + "/backups/slow/Tessel.db"));
}

// Restore asks first; declined, nothing is sent; accepted, the backup's rows come back.
TEST_F(DatabasesPaneTest, RestoreAsksFirstThenBringsTheBackupBack)
{
    m_pane.backupName()->setText("keep");
    ASSERT_EQ(runAndWait(&DatabasesPane::backup), 0) << m_pane.result()->text().toStdString();
    ASSERT_EQ(exec("UPDATE T_KEEP SET S_V = 'after'"), 0);

    QSignalSpy finished(&m_pane, &DatabasesPane::finished);
    m_bAnswer = false;
    m_pane.restore();
    ASSERT_EQ(m_lstQuestions.size(), 1);
    EXPECT_TRUE(m_lstQuestions.at(0).contains("\"keep\"")) << m_lstQuestions.at(0).toStdString();
    EXPECT_TRUE(m_lstQuestions.at(0).contains("Tessel"));
    EXPECT_FALSE(m_pane.busy());
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(keptValue(), "after");

    m_pane.setSelected({});
    m_pane.restore();
    EXPECT_EQ(m_lstQuestions.size(), 1) << "nothing ticked: nothing to ask";
    EXPECT_TRUE(m_pane.result()->text().contains("no database is ticked"));

    m_pane.setSelected({"Tessel"});
    m_bAnswer = true;
    EXPECT_EQ(runAndWait(&DatabasesPane::restore), 0) << m_pane.result()->text().toStdString();
    EXPECT_EQ(m_lstQuestions.size(), 2);
    EXPECT_TRUE(m_pane.result()->text().contains("Tessel: done"));
    EXPECT_TRUE(itest::waitFor([] { return keptValue() == "before"; }, 10000)) << keptValue().toStdString();
}

// Download writes database files; uploading them after a change brings the downloaded rows back,
// a file that is no database is refused with its meaning, and a missing file sends nothing.
TEST_F(DatabasesPaneTest, DownloadedFilesUploadBackAndBadFilesAreRefused)
{
    m_pane.setSelected({"Tessel", "Tessel-record"});
    ASSERT_EQ(runAndWait(&DatabasesPane::download), 0) << m_pane.result()->text().toStdString();
    for (const QString& strName : {QString("Tessel"), QString("Tessel-record")}) {
        QFile file(m_folder.path() + "/" + strName + ".db");
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << strName.toStdString();
        EXPECT_EQ(file.read(16), QByteArray("SQLite format 3\0", 16)) << strName.toStdString();
    }
    EXPECT_FALSE(QFile::exists(m_folder.path() + "/Tessel-intelligent.db")) << "only the ticked ones";

    ASSERT_EQ(exec("UPDATE T_KEEP SET S_V = 'after'"), 0);
    m_pane.setSelected({"Tessel"});
    m_bAnswer = false;
    m_pane.upload();
    EXPECT_EQ(m_lstQuestions.size(), 1);
    EXPECT_TRUE(m_pane.result()->text().startsWith("Upload cancelled"));
    EXPECT_EQ(keptValue(), "after");

    m_bAnswer = true;
    EXPECT_EQ(runAndWait(&DatabasesPane::upload), 0) << m_pane.result()->text().toStdString();
    EXPECT_TRUE(itest::waitFor([] { return keptValue() == "before"; }, 10000)) << keptValue().toStdString();

    QTemporaryDir bad;
    QFile notADatabase(bad.path() + "/Tessel.db");
    ASSERT_TRUE(notADatabase.open(QIODevice::WriteOnly));
    notADatabase.write("these are not the rows you are looking for");
    notADatabase.close();
    m_pane.folder()->setText(bad.path());
    EXPECT_EQ(runAndWait(&DatabasesPane::upload), -3);
    EXPECT_TRUE(m_pane.result()->text().contains("Tessel: -3 (not a usable database of that kind)"))
        << m_pane.result()->text().toStdString();
    EXPECT_EQ(keptValue(), "before");

    m_pane.setSelected({"Tessel", "Tessel-record"});  // no Tessel-record.db there
    const int iAsked = m_lstQuestions.size();
    QSignalSpy finished(&m_pane, &DatabasesPane::finished);
    m_pane.upload();
    EXPECT_EQ(m_lstQuestions.size(), iAsked);
    EXPECT_TRUE(m_pane.result()->text().contains("nothing was sent"));
    EXPECT_EQ(finished.count(), 0);
}

// With the server stopped every operation ends in a negative code shown with its meaning, and a
// download writes no file.
TEST_F(DatabasesPaneTest, AStoppedServerIsAFailureForEveryOperation)
{
    QFile file(m_folder.path() + "/Tessel.db");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("kept");
    file.close();
    ASSERT_TRUE(server().stop());
    ASSERT_TRUE(itest::waitFor([] { return CLS_RemoteDBHandler::m_iConnectedStatus.load() != 1; }, 10000));
    const QList<QPair<const char*, void (DatabasesPane::*)()>> lstOperations = {
        {"backup", &DatabasesPane::backup},
        {"restore", &DatabasesPane::restore},
        {"download", &DatabasesPane::download},
        {"upload", &DatabasesPane::upload},
    };
    for (const auto& operation : lstOperations) {
        const int iCode = runAndWait(operation.second);
        EXPECT_LT(iCode, 0) << operation.first;
        EXPECT_NE(iCode, -100) << operation.first << " did not end";
        EXPECT_TRUE(m_pane.result()->text().contains(console::codeMeaning(iCode))) << operation.first;
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("kept"));
    ASSERT_TRUE(server().start());
}

}  // namespace
