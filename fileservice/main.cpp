// tessel-fileserver: the storage host's file service beside tessel-dbserver.
#include "FileServer.h"
#include "FileStore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHostAddress>

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>

namespace {

const char kTokenEnvironment[] = "TESSEL_SERVER_TOKEN";

QString tokenProblem(const QString& _strToken)
{
    for (const QChar c : _strToken) {
        if (c.unicode() < 0x21 || c.unicode() > 0x7e) {
            return QStringLiteral("the access token may hold only visible ASCII characters");
        }
    }
    return QString();
}

int fail(const QString& _strMessage)
{
    std::fprintf(stderr, "tessel-fileserver: %s\n", qPrintable(_strMessage));
    return 2;
}

bool parseMegabytes(const QString& _strText, qint64* _pBytes)
{
    bool bOk = false;
    const qint64 llValue = _strText.toLongLong(&bOk);
    if (!bOk || llValue < 0 || llValue > 1024LL * 1024) {
        return false;
    }
    *_pBytes = llValue * 1024 * 1024;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    // What it creates is the owner's alone: folders 0700, files 0600.
    ::umask(077);

    // Stop signals are taken by a watcher thread (sigwait), never in a handler.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessel-fileserver"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSEL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "File service of the storage host: /upload, /download, /delete, /rename and /mkdir over one "
        "root folder."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QStringLiteral("Data folder of the host; the "
                                     "root defaults to <data-dir>/files (made when missing)."), QStringLiteral("dir"));
    const QCommandLineOption root(QStringLiteral("root"), QStringLiteral("Root folder of the files (must exist)."),
                                  QStringLiteral("dir"));
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    QStringLiteral("Address to listen on (default 127.0.0.1; other than a loopback "
                                                   "address only with an access token)."),
                                    QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port (default 9600)."),
                                  QStringLiteral("port"), QStringLiteral("9600"));
    const QCommandLineOption tokenFile(
        QStringLiteral("token-file"),
        QStringLiteral("File holding the access token that requests must carry in X-Tessel-Token "
                       "(default: the environment variable %1).").arg(QLatin1String(kTokenEnvironment)),
        QStringLiteral("file"));
    const QCommandLineOption maxRequest(QStringLiteral("max-request-mb"),
                                        QStringLiteral("Largest request body in MiB (default 256)."),
                                        QStringLiteral("mib"), QStringLiteral("256"));
    const QCommandLineOption minFree(QStringLiteral("min-free-mb"),
                                     QStringLiteral("Free space in MiB an upload must leave on the root's disk; "
                                                    "below it the upload is answered \"space lower\" (default 64)."),
                                     QStringLiteral("mib"), QStringLiteral("64"));
    const QCommandLineOption allowOrigin(
        QStringLiteral("allow-origin"),
        QStringLiteral("An Origin a request may carry, e.g. https://console.example; repeat for several. "
                       "Requests with any other Origin (web pages) are refused."),
        QStringLiteral("origin"));
    const QCommandLineOption allowHost(
        QStringLiteral("allow-host"),
        QStringLiteral("A host name requests may give in Host besides the addresses served, e.g. the "
                       "host's DNS name when clients use it; repeat for several."),
        QStringLiteral("name"));
    const QCommandLineOption maxConnections(QStringLiteral("max-connections"),
                                            QStringLiteral("Connections open at once (default 256)."),
                                            QStringLiteral("n"), QStringLiteral("256"));
    const QCommandLineOption maxPerAddress(
        QStringLiteral("max-connections-per-address"),
        QStringLiteral("Connections open at once from one address (default 32)."), QStringLiteral("n"),
        QStringLiteral("32"));
    parser.addOptions({dataDir, root, listen, port, tokenFile, maxRequest, minFree, allowOrigin, allowHost,
                       maxConnections, maxPerAddress});
    parser.process(app);

    QString strRoot = parser.value(root);
    if (strRoot.isEmpty()) {
        if (!parser.isSet(dataDir)) {
            return fail(QStringLiteral("give --root DIR or --data-dir DIR"));
        }
        strRoot = QDir(parser.value(dataDir)).absoluteFilePath(QStringLiteral("files"));
        if (!QDir().mkpath(strRoot)) {
            return fail(QStringLiteral("cannot create %1").arg(strRoot));
        }
    }
    qint64 llMinFree = 0;
    if (!parseMegabytes(parser.value(minFree), &llMinFree)) {
        return fail(QStringLiteral("--min-free-mb takes a whole number of MiB"));
    }
    tessel::files::FileServerOptions options;
    if (!parseMegabytes(parser.value(maxRequest), &options.maxRequestBytes) || options.maxRequestBytes == 0) {
        return fail(QStringLiteral("--max-request-mb takes a whole number of MiB above 0"));
    }
    bool bOk = false;
    options.port = parser.value(port).toInt(&bOk);
    if (!bOk || options.port < 1 || options.port > 65535) {
        return fail(QStringLiteral("--port takes a number from 1 to 65535"));
    }
    options.maxConnections = parser.value(maxConnections).toInt(&bOk);
    if (!bOk || options.maxConnections < 1 || options.maxConnections > 100000) {
        return fail(QStringLiteral("--max-connections takes a number from 1 to 100000"));
    }
    options.maxConnectionsPerAddress = parser.value(maxPerAddress).toInt(&bOk);
    if (!bOk || options.maxConnectionsPerAddress < 1 || options.maxConnectionsPerAddress > 100000) {
        return fail(QStringLiteral("--max-connections-per-address takes a number from 1 to 100000"));
    }
    options.allowedOrigins = parser.values(allowOrigin);
    options.allowedHosts = parser.values(allowHost);
    options.listenAddress = parser.value(listen);
    QHostAddress address;
    if (options.listenAddress == QLatin1String("localhost")) {
        options.listenAddress = QStringLiteral("127.0.0.1");
    }
    if (!address.setAddress(options.listenAddress)) {
        return fail(QStringLiteral("--listen: not an IP address: %1").arg(options.listenAddress));
    }
    if (parser.isSet(tokenFile)) {
        QFile file(parser.value(tokenFile));
        if (!file.open(QIODevice::ReadOnly)) {
            return fail(QStringLiteral("--token-file %1: %2").arg(file.fileName(), file.errorString()));
        }
        options.token = QString::fromUtf8(file.read(64 * 1024).trimmed());
        if (options.token.isEmpty()) {
            return fail(QStringLiteral("--token-file %1 is empty").arg(file.fileName()));
        }
    } else {
        options.token = qEnvironmentVariable(kTokenEnvironment).trimmed();
    }
    if (const QString strProblem = tokenProblem(options.token); !strProblem.isEmpty()) {
        return fail(strProblem);
    }
    if (options.token.isEmpty() && !address.isLoopback()) {
        return fail(QStringLiteral("refusing to listen on %1 without an access token: anyone who reaches it "
                                   "could read and replace the files. Give --token-file FILE or %2, or listen "
                                   "on 127.0.0.1")
                        .arg(options.listenAddress, QLatin1String(kTokenEnvironment)));
    }

    const tessel::files::FileStore store(strRoot, llMinFree);
    QString strError;
    if (!store.isValid(&strError)) {
        return fail(QStringLiteral("%1: %2").arg(strRoot, strError));
    }
    tessel::files::FileServer server(store, options);
    if (!server.bind(&strError)) {
        return fail(strError);
    }
    std::thread watcher([&server, stopSignals]() {
        int iSignal = 0;
        sigwait(&stopSignals, &iSignal);
        server.stop();
    });
    std::printf("tessel-fileserver listening on %s:%d, root %s%s\n", qPrintable(options.listenAddress), options.port,
                qPrintable(store.root()), options.token.isEmpty() ? "" : ", access token required");
    std::fflush(stdout);
    server.run();
    // run() also ends when the listening socket fails; wake the watcher so it can be joined.
    pthread_kill(watcher.native_handle(), SIGTERM);
    watcher.join();
    return 0;
}
