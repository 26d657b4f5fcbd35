// Command line of tessel-dbserver.
#ifndef TESSEL_SERVER_OPTIONS_H
#define TESSEL_SERVER_OPTIONS_H

#include <QHostAddress>
#include <QString>
#include <QStringList>

namespace tessel::server {

struct ServerOptions
{
    QString dataDir;
    QHostAddress listenAddress{QHostAddress::LocalHost};
    quint16 port = 9562;  ///< base port; 0 picks a free block of four
    QString certFile;     ///< empty: <data-dir>/tls/server.crt, made when missing
    QString keyFile;
    int workers = 2;
    QString logLevel = QStringLiteral("info");
    int maxFrameMb = 64;
    QString schemaDir;
    int stopGraceMs = 10000;  ///< how long requests in flight may run on after SIGTERM
    QStringList backupRoots;  ///< empty: <data-dir>/backups
    int sampleIntervalMs = 5000;
    /// Access token every WebSocket handshake must carry as X-Tessel-Token; empty: none is
    /// asked for (then the server only listens on a loopback address).
    QString token;
    QString tokenSource;  ///< where the token came from, for the log: the file or the variable
    int statementTimeoutS = 30;  ///< time limit of a request's statements; 0: none
    /// Origins a handshake's Origin header may name (browsers send one, native clients none).
    QStringList allowedOrigins;
    int maxOutgoingMb = 64;  ///< answers a connection may leave unread before it is closed

    qint64 maxFrameBytes() const { return qint64(maxFrameMb) << 20; }
    qint64 maxOutgoingBytes() const { return qint64(maxOutgoingMb) << 20; }
};

enum class ParseOutcome
{
    Run,
    ExitOk,
    ExitError
};

/// Parses `arguments` (argv as a list). ExitOk after --help/--version (text in `message`),
/// ExitError with the complaint in `message`.
ParseOutcome parseCommandLine(const QStringList& arguments, ServerOptions* options, QString* message);

/// Reads the access token from `path`: the file's text without surrounding blanks. False with
/// the reason in `error` when the file cannot be read or the token is not acceptable.
bool readTokenFile(const QString& path, QString* token, QString* error);

/// Why `token` cannot be used (empty, or characters other than visible ASCII), or an empty text.
QString tokenProblem(const QString& token);

/// Name of the environment variable that carries the access token when --token-file is absent.
inline constexpr const char kTokenEnvironment[] = "TESSEL_SERVER_TOKEN";

/// <dir of the executable>/schema when it exists, else the schema folder of the source tree.
QString defaultSchemaDir();

}  // namespace tessel::server

#endif
