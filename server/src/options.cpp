#include "options.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <algorithm>
#include <sys/stat.h>

#ifndef TESSEL_SCHEMA_SOURCE_DIR
#define TESSEL_SCHEMA_SOURCE_DIR ""
#endif

namespace tessel::server {

QString defaultSchemaDir()
{
    const QDir exeDir(QCoreApplication::applicationDirPath());
    const QString beside = exeDir.filePath(QStringLiteral("schema"));
    if (QFileInfo(beside).isDir()) {
        return beside;
    }
    // An installed server: <prefix>/bin/tessel-dbserver and <prefix>/share/tessel/schema.
    const QString shared = QDir::cleanPath(exeDir.filePath(QStringLiteral("../share/tessel/schema")));
    if (QFileInfo(shared).isDir()) {
        return shared;
    }
    return QStringLiteral(TESSEL_SCHEMA_SOURCE_DIR);
}

namespace {

QString optionName(QString name)
{
    name = name.trimmed();
    if (name.startsWith(QLatin1String("--"))) {
        name.remove(0, 2);
    }
    return name;
}

bool configValueText(const QJsonValue& value, QString* text)
{
    switch (value.type()) {
        case QJsonValue::String:
            *text = value.toString();
            return true;
        case QJsonValue::Double: {
            const double d = value.toDouble();
            *text = d == double(qint64(d)) ? QString::number(qint64(d)) : QString::number(d, 'g', 17);
            return true;
        }
        case QJsonValue::Bool:
            *text = value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
            return true;
        default:
            return false;
    }
}

bool readJsonConfig(const QString& path, const QByteArray& content, const QStringList& known,
                    QStringList* arguments, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(content, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
        *error = QStringLiteral("--config %1: not a JSON object (%2 at offset %3)")
                     .arg(path, parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                                             : QStringLiteral("another value"))
                     .arg(parseError.offset);
        return false;
    }
    const QJsonObject object = doc.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString name = optionName(it.key());
        if (!known.contains(name)) {
            *error = QStringLiteral("--config %1: unknown option \"%2\"").arg(path, it.key());
            return false;
        }
        const QJsonArray values = it.value().isArray() ? it.value().toArray() : QJsonArray{it.value()};
        for (const QJsonValue& v : values) {
            QString text;
            if (!configValueText(v, &text)) {
                *error = QStringLiteral("--config %1: \"%2\" must be a string, a number, a boolean or an "
                                        "array of them")
                             .arg(path, it.key());
                return false;
            }
            arguments->append(QStringLiteral("--%1=%2").arg(name, text));
        }
    }
    return true;
}

bool readKeyValueConfig(const QString& path, const QByteArray& content, const QStringList& known,
                        QStringList* arguments, QString* error)
{
    const QList<QByteArray> lines = content.split('\n');
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = QString::fromUtf8(lines[n]).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';'))) {
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            *error = QStringLiteral("--config %1 line %2: expected \"name = value\"").arg(path).arg(n + 1);
            return false;
        }
        const QString name = optionName(line.left(equals));
        if (!known.contains(name)) {
            *error = QStringLiteral("--config %1 line %2: unknown option \"%3\"").arg(path).arg(n + 1).arg(name);
            return false;
        }
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'))) {
            value = value.mid(1, value.size() - 2);
        }
        arguments->append(QStringLiteral("--%1=%2").arg(name, value));
    }
    return true;
}

}  // namespace

bool readConfigFile(const QString& path, const QStringList& known, QStringList* arguments, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("--config %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray content = file.read(1 << 20);
    if (!file.atEnd()) {
        *error = QStringLiteral("--config %1: larger than 1 MiB").arg(path);
        return false;
    }
    QStringList out;
    const bool ok = content.trimmed().startsWith('{') ? readJsonConfig(path, content, known, &out, error)
                                                      : readKeyValueConfig(path, content, known, &out, error);
    if (ok) {
        *arguments = out;
    }
    return ok;
}

QString tokenProblem(const QString& token)
{
    if (token.isEmpty()) {
        return QStringLiteral("the access token is empty");
    }
    for (const QChar c : token) {
        if (c.unicode() < 0x21 || c.unicode() > 0x7e) {
            return QStringLiteral(
                "the access token may hold only visible ASCII characters (no blanks, "
                "line breaks or other characters): it travels in an HTTP header");
        }
    }
    return QString();
}

bool readTokenFile(const QString& path, QString* token, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("--token-file %1: %2").arg(path, file.errorString());
        return false;
    }
    // As ssh does with its keys: a secret others may read is no secret; refused, not used.
    struct stat st;
    if (::fstat(file.handle(), &st) == 0 && (st.st_mode & S_IRWXO) != 0) {
        *error = QStringLiteral("--token-file %1 is open to other users (mode %2): run chmod o-rwx on it "
                                "(0600, or 0640 with the group of the server's user)")
                     .arg(path)
                     .arg(uint(st.st_mode & 07777), 4, 8, QLatin1Char('0'));
        return false;
    }
    const QByteArray content = file.read(64 * 1024).trimmed();
    const QString text = QString::fromUtf8(content);
    const QString problem = tokenProblem(text);
    if (!problem.isEmpty()) {
        *error = QStringLiteral("--token-file %1: %2").arg(path, problem);
        return false;
    }
    *token = text;
    return true;
}

namespace {

/// An IP address, "localhost" or "any".
bool hostAddress(const QString& text, QHostAddress* address)
{
    if (text == QLatin1String("localhost")) {
        *address = QHostAddress(QHostAddress::LocalHost);
        return true;
    }
    if (text == QLatin1String("any")) {
        *address = QHostAddress(QHostAddress::Any);
        return true;
    }
    return address->setAddress(text);
}

ParseOutcome parseArguments(const QStringList& arguments, ServerOptions* options, QString* message,
                            bool withConfig);

/// Reads the --config file and parses its options followed by the command line's.
ParseOutcome parseWithConfig(const QStringList& arguments, const QString& path, const QStringList& known,
                             const QStringList& repeatedOnCommandLine, ServerOptions* options,
                             QString* message)
{
    QStringList fromFile;
    if (!readConfigFile(path, known, &fromFile, message)) {
        return ParseOutcome::ExitError;
    }
    QStringList combined{arguments.value(0)};
    for (const QString& argument : qAsConst(fromFile)) {
        const QString name = argument.mid(2, argument.indexOf(QLatin1Char('=')) - 2);
        if (name == QLatin1String("config") || name == QLatin1String("help") || name == QLatin1String("version")) {
            *message = QStringLiteral("--config %1: \"%2\" cannot be set in an options file").arg(path, name);
            return ParseOutcome::ExitError;
        }
        if (!repeatedOnCommandLine.contains(name)) {
            combined.append(argument);
        }
    }
    combined.append(arguments.mid(1));
    const ParseOutcome outcome = parseArguments(combined, options, message, false);
    if (outcome == ParseOutcome::Run) {
        options->configFile = QFileInfo(path).absoluteFilePath();
    }
    return outcome;
}

ParseOutcome parseArguments(const QStringList& arguments, ServerOptions* options, QString* message,
                            bool withConfig)
{
    const int defaultWorkers = std::max(2, QThread::idealThreadCount());
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Database server of Tessel: runs the SQL that clients send over WebSocket on the SQLite files\n"
        "of the data folder. TLS on the base port, base+1 and base+3; plain WebSocket on base+2."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Shows the version."));
    const QCommandLineOption dataDir(
        QStringLiteral("data-dir"),
        QStringLiteral("Folder of the database files (required; created if missing)."),
        QStringLiteral("DIR"));
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        QStringLiteral("Address to listen on: an IPv4 or IPv6 address, \"localhost\" or "
                       "\"any\" (default 127.0.0.1)."),
        QStringLiteral("ADDR"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption port(
        QStringList{QStringLiteral("port")},
        QStringLiteral("Base port; the server takes it and the next three (default 9562; 0 "
                       "picks a free block)."),
        QStringLiteral("N"), QStringLiteral("9562"));
    const QCommandLineOption cert(
        QStringLiteral("cert"),
        QStringLiteral("PEM certificate (chain) for TLS (default: <data-dir>/tls/server.crt, "
                       "a self-signed one made at first start)."),
        QStringLiteral("FILE"));
    const QCommandLineOption key(QStringLiteral("key"),
                                 QStringLiteral("Unencrypted PEM private key of --cert (default: "
                                                "<data-dir>/tls/server.key, mode 0600)."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption workers(
        QStringLiteral("workers"),
        QStringLiteral("Worker threads running requests (default %1: the core count, at "
                       "least 2).")
            .arg(defaultWorkers),
        QStringLiteral("N"), QString::number(defaultWorkers));
    const QCommandLineOption logLevel(QStringLiteral("log-level"),
                                      QStringLiteral("debug, info, warning or error (default info)."),
                                      QStringLiteral("LEVEL"), QStringLiteral("info"));
    const QCommandLineOption maxFrame(
        QStringLiteral("max-frame-mb"),
        QStringLiteral("Largest request in MiB; a larger one is answered \"too-large\" "
                       "(default 64, at most 512)."),
        QStringLiteral("N"), QStringLiteral("64"));
    const QCommandLineOption schemaDir(
        QStringLiteral("schema-dir"),
        QStringLiteral("Folder of the <DbName>.sql files that create missing "
                       "databases (default: the schema folder beside the executable)."),
        QStringLiteral("DIR"));
    const QCommandLineOption backupRoot(
        QStringLiteral("backup-root"),
        QStringLiteral("A folder under which BackupDatabase and RestoreDatabase may use their "
                       "\"filePath\"; repeat for several (default: <data-dir>/backups)."),
        QStringLiteral("DIR"));
    const QCommandLineOption sampleInterval(
        QStringLiteral("sample-interval-ms"),
        QStringLiteral("Interval of the host load samples of GetSystemStatusByName in ms (default "
                       "5000, 10..3600000)."),
        QStringLiteral("N"), QStringLiteral("5000"));
    const QCommandLineOption tokenFile(
        QStringLiteral("token-file"),
        QStringLiteral("File holding the access token that every client must send as X-Tessel-Token "
                       "(default: the environment variable %1; required to listen on an address "
                       "other than loopback).")
            .arg(QLatin1String(kTokenEnvironment)),
        QStringLiteral("FILE"));
    const QCommandLineOption statementTimeout(
        QStringLiteral("statement-timeout-s"),
        QStringLiteral("Time limit of the statements of one request in seconds; a request's "
                       "\"timeoutMs\" may lower it (default 30, 0 for none, at most 86400)."),
        QStringLiteral("N"), QStringLiteral("30"));
    const QCommandLineOption allowOrigin(
        QStringLiteral("allow-origin"),
        QStringLiteral("An Origin a WebSocket handshake may carry, e.g. https://console.example; "
                       "repeat for several. Handshakes with any other Origin (web pages) are "
                       "refused; native clients send none (default: none allowed)."),
        QStringLiteral("ORIGIN"));
    const QCommandLineOption maxOutgoing(
        QStringLiteral("max-outgoing-mb"),
        QStringLiteral("Unsent answers a connection may pile up, in MiB, before it is closed as not "
                       "reading (default 64, 1..4096)."),
        QStringLiteral("N"), QStringLiteral("64"));
    const QCommandLineOption metricsPort(
        QStringLiteral("metrics-port"),
        QStringLiteral("Port of the Prometheus text endpoint (GET /metrics); default: no endpoint."),
        QStringLiteral("N"));
    const QCommandLineOption metricsAddress(
        QStringLiteral("metrics-address"),
        QStringLiteral("Address of the metrics endpoint: an IPv4 or IPv6 address, \"localhost\" or "
                       "\"any\" (default 127.0.0.1)."),
        QStringLiteral("ADDR"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption logFormat(
        QStringLiteral("log-format"),
        QStringLiteral("text, or json for one JSON object per line (default text)."), QStringLiteral("FORMAT"),
        QStringLiteral("text"));
    const QCommandLineOption publicCert(
        QStringLiteral("public-cert"),
        QStringLiteral("Also writes the certificate the server uses to FILE, readable by everyone (0644), "
                       "for clients to trust; rewritten at every start and reload (default: none)."),
        QStringLiteral("FILE"));
    const QCommandLineOption config(
        QStringLiteral("config"),
        QStringLiteral("Options file (\"name = value\" lines or a JSON object) read before the command "
                       "line, which wins."),
        QStringLiteral("FILE"));
    const QList<QCommandLineOption> all{help,           version,     dataDir,       listen,     port,
                                        cert,           key,         workers,       logLevel,   maxFrame,
                                        schemaDir,      backupRoot,  sampleInterval, tokenFile, statementTimeout,
                                        allowOrigin,    maxOutgoing, metricsPort,   metricsAddress, logFormat,
                                        publicCert,     config};
    parser.addOptions(all);

    if (!parser.parse(arguments)) {
        *message = parser.errorText();
        return ParseOutcome::ExitError;
    }
    if (parser.isSet(help)) {
        *message = parser.helpText();
        return ParseOutcome::ExitOk;
    }
    if (parser.isSet(version)) {
        *message =
            QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion();
        return ParseOutcome::ExitOk;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *message = QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().constFirst());
        return ParseOutcome::ExitError;
    }
    if (withConfig && parser.isSet(config)) {
        QStringList known;
        for (const QCommandLineOption& option : all) {
            known.append(option.names());
        }
        QStringList repeated;
        for (const QCommandLineOption* option : {&backupRoot, &allowOrigin}) {
            if (parser.isSet(*option)) {
                repeated.append(option->names());
            }
        }
        return parseWithConfig(arguments, parser.value(config), known, repeated, options, message);
    }

    ServerOptions o;
    o.dataDir = parser.value(dataDir);
    if (o.dataDir.isEmpty()) {
        *message = QStringLiteral("--data-dir is required");
        return ParseOutcome::ExitError;
    }
    const QString address = parser.value(listen);
    if (!hostAddress(address, &o.listenAddress)) {
        *message = QStringLiteral("--listen: not an IP address: %1").arg(address);
        return ParseOutcome::ExitError;
    }
    bool ok = false;
    const uint portValue = parser.value(port).toUInt(&ok);
    if (!ok || portValue > 65532) {
        *message = QStringLiteral("--port must be 0..65532 (the server also takes the next three ports)");
        return ParseOutcome::ExitError;
    }
    o.port = quint16(portValue);
    o.certFile = parser.value(cert);
    o.keyFile = parser.value(key);
    o.publicCertFile = parser.value(publicCert);
    if (o.certFile.isEmpty() != o.keyFile.isEmpty()) {
        *message = QStringLiteral("--cert and --key go together");
        return ParseOutcome::ExitError;
    }
    o.workers = parser.value(workers).toInt(&ok);
    if (!ok || o.workers < 1 || o.workers > 256) {
        *message = QStringLiteral("--workers must be 1..256");
        return ParseOutcome::ExitError;
    }
    o.logLevel = parser.value(logLevel);
    if (!QStringList{QStringLiteral("debug"), QStringLiteral("info"), QStringLiteral("warning"),
                     QStringLiteral("error")}
             .contains(o.logLevel)) {
        *message = QStringLiteral("--log-level must be debug, info, warning or error");
        return ParseOutcome::ExitError;
    }
    o.maxFrameMb = parser.value(maxFrame).toInt(&ok);
    if (!ok || o.maxFrameMb < 1 || o.maxFrameMb > 512) {
        *message = QStringLiteral("--max-frame-mb must be 1..512");
        return ParseOutcome::ExitError;
    }
    o.schemaDir = parser.isSet(schemaDir) ? parser.value(schemaDir) : defaultSchemaDir();
    o.backupRoots = parser.values(backupRoot);
    if (o.backupRoots.contains(QString())) {
        *message = QStringLiteral("--backup-root must not be empty");
        return ParseOutcome::ExitError;
    }
    o.sampleIntervalMs = parser.value(sampleInterval).toInt(&ok);
    if (!ok || o.sampleIntervalMs < 10 || o.sampleIntervalMs > 3600000) {
        *message = QStringLiteral("--sample-interval-ms must be 10..3600000");
        return ParseOutcome::ExitError;
    }
    o.statementTimeoutS = parser.value(statementTimeout).toInt(&ok);
    if (!ok || o.statementTimeoutS < 0 || o.statementTimeoutS > 86400) {
        *message = QStringLiteral("--statement-timeout-s must be 0..86400");
        return ParseOutcome::ExitError;
    }
    o.allowedOrigins = parser.values(allowOrigin);
    o.maxOutgoingMb = parser.value(maxOutgoing).toInt(&ok);
    if (!ok || o.maxOutgoingMb < 1 || o.maxOutgoingMb > 4096) {
        *message = QStringLiteral("--max-outgoing-mb must be 1..4096");
        return ParseOutcome::ExitError;
    }
    if (parser.isSet(metricsPort)) {
        const uint value = parser.value(metricsPort).toUInt(&ok);
        if (!ok || value < 1 || value > 65535) {
            *message = QStringLiteral("--metrics-port must be 1..65535");
            return ParseOutcome::ExitError;
        }
        o.metricsPort = quint16(value);
    }
    const QString metricsAt = parser.value(metricsAddress);
    if (!hostAddress(metricsAt, &o.metricsAddress)) {
        *message = QStringLiteral("--metrics-address: not an IP address: %1").arg(metricsAt);
        return ParseOutcome::ExitError;
    }
    o.logFormat = parser.value(logFormat);
    if (o.logFormat != QLatin1String("text") && o.logFormat != QLatin1String("json")) {
        *message = QStringLiteral("--log-format must be text or json");
        return ParseOutcome::ExitError;
    }
    if (parser.isSet(tokenFile)) {
        if (!readTokenFile(parser.value(tokenFile), &o.token, message)) {
            return ParseOutcome::ExitError;
        }
        o.tokenSource = QStringLiteral("--token-file %1").arg(parser.value(tokenFile));
    } else if (qEnvironmentVariableIsSet(kTokenEnvironment)) {
        o.token = qEnvironmentVariable(kTokenEnvironment).trimmed();
        const QString problem = tokenProblem(o.token);
        if (!problem.isEmpty()) {
            *message = QStringLiteral("%1: %2").arg(QLatin1String(kTokenEnvironment), problem);
            return ParseOutcome::ExitError;
        }
        o.tokenSource = QLatin1String(kTokenEnvironment);
    }
    *options = o;
    return ParseOutcome::Run;
}

}  // namespace

ParseOutcome parseCommandLine(const QStringList& arguments, ServerOptions* options, QString* message)
{
    return parseArguments(arguments, options, message, true);
}

}  // namespace tessel::server
