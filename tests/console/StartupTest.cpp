// The console as the program starts it: its own mediator, the server address from
// DbServerConfig.json beside the program, InitData and CreateDBConnection on the session's
// thread, the login, the status the library itself reports when the server goes and comes back,
// and at the end the mediator deleted with the items it leaves to its client.
#include "ConsoleSession.h"
#include "ConsoleTestSupport.h"
#include "MainWindow.h"
#include "Panes.h"
#include "ServerProcess.h"

#include <CLS_RemoteDBHandler.h>

#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>

#include <memory>

#include <gtest/gtest.h>

namespace {

using ctest::waitUntil;

// A file of the application directory, put back as it was when the case ends.
class AppFile
{
public:
    AppFile(const QString& _strName, const QByteArray& _baContent)
        : m_strPath(QCoreApplication::applicationDirPath() + "/" + _strName)
    {
        QFile file(m_strPath);
        m_bExisted = file.open(QIODevice::ReadOnly);
        if (m_bExisted) {
            m_baBefore = file.readAll();
            file.close();
        }
        write(_baContent);
    }
    ~AppFile()
    {
        if (m_bExisted) {
            write(m_baBefore);
        } else {
            QFile::remove(m_strPath);
        }
    }
    QByteArray read() const
    {
        QFile file(m_strPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    void write(const QByteArray& _baContent)
    {
        QFile file(m_strPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(_baContent);
    }
    QString m_strPath;
    bool m_bExisted = false;
    QByteArray m_baBefore;
};

TEST(ConsoleStartup, ConnectsFromItsConfigurationLogsInAndFollowsTheConnection)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    ServerProcess server;
    ASSERT_TRUE(server.start()) << server.output().toStdString();
    AppFile config(
        "DbServerConfig.json",
        QStringLiteral(R"({"server_ip":"127.0.0.1","server_port":%1})").arg(server.port()).toUtf8());
    AppFile start("StartConfiguration.json", R"({"clientid":"c0501e01"})");
    {
        console::MainWindow window;
        window.show();
        QLabel* pMessage = window.findChild<QLabel*>("loginMessage");
        ASSERT_NE(pMessage, nullptr);

        // No administrator yet: connected, and the login says why it failed.
        QSignalSpy failed(&window, &console::MainWindow::failed);
        window.connectAndLogin("admin", "Adm1n pass");
        ASSERT_TRUE(waitUntil([&] { return failed.count() == 1; }, 60000));
        EXPECT_EQ(failed.at(0).at(0).toString(), console::MainWindow::loginMessage(-11));
        EXPECT_EQ(window.statusText(), console::MainWindow::statusMessage(1));
        EXPECT_TRUE(config.read().contains(QByteArray::number(server.port()))) << "the address is kept";

        bool bAdded = false;
        int iAdd = -100;
        window.session().call(
            &window, [](I_DataMediator& _m) { return _m.AddUser("admin", "Adm1n pass"); },
            [&](int _iRet) {
                iAdd = _iRet;
                bAdded = true;
            });
        ASSERT_TRUE(waitUntil([&] { return bAdded; }));
        ASSERT_EQ(iAdd, 0);
        QSignalSpy ready(&window, &console::MainWindow::ready);
        window.connectAndLogin("admin", "Adm1n pass");
        ASSERT_TRUE(waitUntil([&] { return ready.count() == 1; }, 30000)) << pMessage->text().toStdString();
        EXPECT_TRUE(window.tabs()->isTabEnabled(1));
        QSignalSpy done(window.treesPane(), &console::TreesPane::finished);
        window.treesPane()->addHost("Gate", "10.50.0.1", 2);
        ASSERT_TRUE(waitUntil([&] { return done.count() == 1; }));
        EXPECT_EQ(done.at(0).at(1).toInt(), 0);

        // The status as the library reports it, through the mediator's own callback.
        ASSERT_TRUE(server.stop());
        EXPECT_TRUE(
            waitUntil([&] { return window.statusText() == console::MainWindow::statusMessage(2); }, 10000))
            << window.statusText().toStdString();
        ASSERT_TRUE(server.start());
        EXPECT_TRUE(
            waitUntil([&] { return window.statusText() == console::MainWindow::statusMessage(1); }, 30000))
            << window.statusText().toStdString();
    }
    // The window is gone with its mediator and the items it held (the leak check sees them).
    CLS_RemoteDBHandler::Teardown();
    EXPECT_TRUE(server.stop());
}

}  // namespace
