// tessel-console [--user NAME] [--password-file FILE]: a window onto the data layer. The server
// address comes from DbServerConfig.json beside the program (editable in the window). With a
// user and a password (from the file or TESSEL_PASSWORD) it connects and logs in at once.
#include "MainWindow.h"

#include <CLS_RemoteDBHandler.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tessel-console"));
    QApplication::setApplicationVersion(QStringLiteral(TESSEL_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tessel console: the data layer's trees, alarm log, passenger flow "
                       "and server status in a window."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("Log in as NAME at start."),
                                  QStringLiteral("NAME"));
    const QCommandLineOption passwordFile(
        QStringLiteral("password-file"),
        QStringLiteral("Read the password from FILE (else TESSEL_PASSWORD)."), QStringLiteral("FILE"));
    parser.addOption(user);
    parser.addOption(passwordFile);
    parser.process(app);

    QString strPassword = qEnvironmentVariable("TESSEL_PASSWORD");
    if (parser.isSet(passwordFile)) {
        QFile file(parser.value(passwordFile));
        if (!file.open(QIODevice::ReadOnly)) {
            qCritical("tessel-console: %s: %s", qPrintable(file.fileName()), qPrintable(file.errorString()));
            return 2;
        }
        strPassword = QString::fromUtf8(file.readLine()).trimmed();
    }

    int iExit = 0;
    {
        console::MainWindow window;
        window.show();
        if (parser.isSet(user)) {
            window.connectAndLogin(parser.value(user), strPassword);
        }
        iExit = QApplication::exec();
    }
    // The mediator is gone with the window; the channel closes with the process.
    CLS_RemoteDBHandler::Teardown();
    return iExit;
}
