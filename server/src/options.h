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
    QString publicCertFile;  ///< where a 0644 copy of the certificate goes; empty: nowhere
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
    quint16 metricsPort = 0;  ///< Prometheus text endpoint; 0: none
    QHostAddress metricsAddress{QHostAddress::LocalHost};
    QString logFormat = QStringLiteral("text");  ///< "text" or "json" (one object per line)
    QString configFile;  ///< the --config file the options were read from, if any

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
/// ExitError with the complaint in `message`. With --config FILE the file's options are read
/// first and the command line's override them; a repeatable option given on the command line
/// replaces the file's values for it.
ParseOutcome parseCommandLine(const QStringList& arguments, ServerOptions* options, QString* message);

/// Turns an options file into command-line arguments ("--name=value"): JSON (an object whose
/// members are option names; a string, number or boolean value, or an array for a repeatable
/// option) or "name = value" lines ('#' starts a comment line; a value may be in double quotes).
/// Names may carry the leading "--". False with the reason in `error` for an unreadable file,
/// a malformed line, or a name that is not in `known`.
bool readConfigFile(const QString& path, const QStringList& known, QStringList* arguments, QString* error);

/// Reads the access token from `path`: the file's text without surrounding blanks. False with
/// the reason in `error` when the file cannot be read, other users may read or write it (any
/// "other" permission bit), or the token is not acceptable.
bool readTokenFile(const QString& path, QString* token, QString* error);

/// Why `token` cannot be used (empty, or characters other than visible ASCII), or an empty text.
QString tokenProblem(const QString& token);

/// Name of the environment variable that carries the access token when --token-file is absent.
inline constexpr const char kTokenEnvironment[] = "TESSEL_SERVER_TOKEN";

/// <dir of the executable>/schema when it exists, else the schema folder of the source tree.
QString defaultSchemaDir();

}  // namespace tessel::server

#endif
