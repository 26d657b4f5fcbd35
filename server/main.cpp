// tessel-dbserver: parses the command line and runs the server until SIGTERM or SIGINT; SIGHUP
// reads the options again.
#include "dbserver.h"
#include "logformat.h"
#include "logging.h"
#include "metricsserver.h"
#include "options.h"
#include "sdnotify.h"
#include "serverstatus.h"
#include "signalwatcher.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <ctime>

using namespace tessel::server;

int main(int argc, char* argv[])
{
    // The time zone is read here, before any thread: glibc reads it on the first local-time
    // conversion, and the host monitor's thread would otherwise be the one to write its state.
    tzset();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessel-dbserver"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSEL_VERSION));
    qSetMessagePattern(
        QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} %{if-debug}D%{endif}%{if-info}I%{endif}"
                       "%{if-warning}W%{endif}%{if-critical}E%{endif}%{if-fatal}F%{endif} "
                       "%{category}: %{message}"));

    ServerOptions options;
    QString message;
    switch (parseCommandLine(QCoreApplication::arguments(), &options, &message)) {
        case ParseOutcome::ExitOk:
            std::fprintf(stdout, "%s\n", qPrintable(message));
            return 0;
        case ParseOutcome::ExitError:
            std::fprintf(stderr, "tessel-dbserver: %s\nTry --help.\n", qPrintable(message));
            return 2;
        case ParseOutcome::Run:
            break;
    }
    applyLogLevel(options.logLevel);
    installLogFormat(options.logFormat);
    if (!options.configFile.isEmpty()) {
        qCInfo(lcServer, "options read from %s", qPrintable(options.configFile));
    }
    std::signal(SIGPIPE, SIG_IGN);

    SignalWatcher signalWatcher;
    if (!signalWatcher.install()) {
        std::perror("tessel-dbserver: installing signal handlers");
        return 1;
    }
    DbServer server(options);
    QObject::connect(&signalWatcher, &SignalWatcher::received, &server, [&server](int number) {
        if (number == SIGHUP) {
            // A reload never stops the server: what cannot be used is logged and the
            // configuration in force stays.
            qCInfo(lcServer, "SIGHUP received: reading the configuration again");
            notifyService(reloadingState());
            ServerOptions fresh;
            QString problem;
            if (parseCommandLine(QCoreApplication::arguments(), &fresh, &problem) != ParseOutcome::Run) {
                qCCritical(lcServer, "reload refused, the configuration in force stays: %s", qPrintable(problem));
            } else if (!server.reload(fresh, &problem)) {
                qCCritical(lcServer, "reload refused, the configuration in force stays: %s", qPrintable(problem));
            } else {
                applyLogLevel(fresh.logLevel);
            }
            notifyService("READY=1");
            return;
        }
        qCInfo(lcServer, "signal %d received", number);
        notifyService("STOPPING=1");
        server.stop();
    });
    QObject::connect(&server, &DbServer::stopped, &app, &QCoreApplication::quit);

    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "tessel-dbserver: %s\n", qPrintable(error));
        return 1;
    }
    MetricsServer metrics([&server] { return statusPrometheus(statusReport(server.dispatcher())); });
    if (options.metricsPort != 0 && !metrics.start(options.metricsAddress, options.metricsPort, &error)) {
        std::fprintf(stderr, "tessel-dbserver: %s\n", qPrintable(error));
        return 1;
    }
    std::fprintf(stdout, "%s\n", qPrintable(server.readyLine()));
    std::fflush(stdout);
    notifyService("READY=1\nSTATUS=" + server.readyLine().toUtf8());
    return app.exec();
}
