// tesselctl's command table. Each command lives in a Cmd*.cpp file of its own and registers
// itself with TESSELCTL_COMMAND; main.cpp parses the options and dispatches.
#ifndef TESSELCTL_CTLCOMMAND_H
#define TESSELCTL_CTLCOMMAND_H

#include <QCommandLineParser>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QVariant>

#include <vector>

class I_DataMediator;

/// Exit statuses: 0 success, 1 failure, 2 a bad command line.
enum CtlExit
{
    kCtlOk = 0,
    kCtlFailed = 1,
    kCtlUsage = 2,
};

struct CtlContext
{
    QCommandLineParser* parser = nullptr;
    QStringList args;  ///< positional arguments after the command name
    bool json = false;
    QString server;    ///< --server HOST:PORT, empty when not given
    QString user;      ///< --user
    QString password;  ///< the password for --user, once passwordForUser() found it
    bool yes = false;  ///< --yes: replacing live data needs no question
    int timeoutS = 0;  ///< --timeout in seconds, 0 when not given
    QMap<QString, QVariant> binds;

    /// Connects through the static interface of CLS_RemoteDBHandler; the channel status.
    int connectStatic();
    /// Creates the mediator and runs the client start-up (InitData, CreateDBConnection); the
    /// channel status (1 = usable). The mediator stays in `mediator`.
    int connectMediator();
    /// Connects the mediator and, when --user is given, logs in first. 0 or a failure code
    /// (with its line written).
    int connectAndLogin();

    /// The password of --user: --password-file, TESSEL_PASSWORD, --password, else a prompt on
    /// the terminal. False (with a line written) when there is none.
    bool passwordForUser();

    /// Writes "tesselctl: <text>" to stderr and, with --json, {"error": text, "exit": status}
    /// to stdout when nothing was printed there yet. Returns _iExit.
    int fail(const QString& _strText, int _iExit = kCtlFailed);

    /// A command that replaces live data asks first: true with --yes or when the user answers
    /// y on the terminal. Without a terminal and without --yes it refuses (exit status 2).
    bool confirm(const QString& _strWhat, int& _iExit);

    I_DataMediator* mediator = nullptr;
};

QTextStream& ctlOut();
QTextStream& ctlErr();

/// Whether _strSql (a SELECT) gives at least one row in _strDb. False, with the failure line
/// written, when the query failed.
bool ctlRowExists(CtlContext& _ctx, const QString& _strDb, const QString& _strSql,
                  const QMap<QString, QVariant>& _mapBind, bool& _bExists);
/// The same for the object _strId of TAB_OBJ (devices, decoders, views, users and their parts).
bool ctlObjectExists(CtlContext& _ctx, const QString& _strId, bool& _bExists);

/// Sends one request on the connected channel (the maintenance lane when _bMaintenance) and
/// checks the answer's envelope: 0 with its "data" in _data, else the exit status 1 with a line
/// that says why (the server's reason when it gave one).
int ctlExchange(CtlContext& _ctx, const QString& _strCommand, const QJsonObject& _request, int _iTimeoutS,
                bool _bMaintenance, QJsonObject& _data);

/// Reads one line from the terminal without echo (for passwords); empty without a terminal.
QString ctlReadSecret(const QString& _strPrompt);

struct CtlCommand
{
    const char* name;
    const char* usage;  ///< arguments, e.g. "DB SQL"
    const char* help;   ///< one line
    int (*run)(CtlContext& _ctx);  ///< exit status
    const char* details = nullptr;  ///< more text and examples for "tesselctl help NAME"
};

bool registerCtlCommand(const CtlCommand& _command);
/// Every registered command, sorted by name once main() started.
const std::vector<CtlCommand>& ctlCommands();
/// The names of every option, long and short, for completion.
QStringList ctlOptionNames();
/// The per-command help text (usage, description, details).
QString ctlCommandHelp(const CtlCommand& _command);

/// An extra option of one command family, offered on the command line of every command; the
/// command reads it through _ctx.parser. Register with TESSELCTL_OPTION.
bool registerCtlOption(const QCommandLineOption& _option);
#define TESSELCTL_OPTION(...) \
    static const bool TESSELCTL_CONCAT(s_option_, __LINE__) = registerCtlOption(QCommandLineOption(__VA_ARGS__))

/// The login step used by connectAndLogin (registered by the users commands); returns 0 when
/// logged in.
typedef int (*CtlLoginHandler)(CtlContext& _ctx);
bool registerCtlLoginHandler(CtlLoginHandler _pfnHandler);

#define TESSELCTL_CONCAT2(a, b) a##b
#define TESSELCTL_CONCAT(a, b) TESSELCTL_CONCAT2(a, b)
#define TESSELCTL_COMMAND(...) \
    static const bool TESSELCTL_CONCAT(s_registered_, __LINE__) = registerCtlCommand(CtlCommand{__VA_ARGS__})

#endif  // TESSELCTL_CTLCOMMAND_H
