// tesselctl's command table. Each command lives in a Cmd*.cpp file of its own and registers
// itself with TESSELCTL_COMMAND; main.cpp parses the options and dispatches.
#ifndef TESSELCTL_CTLCOMMAND_H
#define TESSELCTL_CTLCOMMAND_H

#include <QCommandLineParser>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QVariant>

class I_DataMediator;

struct CtlContext
{
    QCommandLineParser* parser = nullptr;
    QStringList args;  ///< positional arguments after the command name
    bool json = false;
    QString server;    ///< --server HOST:PORT, empty when not given
    QString user;      ///< --user
    QString password;  ///< --password
    QMap<QString, QVariant> binds;

    /// Connects through the static interface of CLS_RemoteDBHandler; the channel status.
    int connectStatic();
    /// Creates the mediator and runs the client start-up (InitData, CreateDBConnection); the
    /// channel status (1 = usable). The mediator stays in `mediator`.
    int connectMediator();
    /// Connects the mediator and, when --user is given, logs in first. 0 or a failure code.
    int connectAndLogin();

    I_DataMediator* mediator = nullptr;
};

QTextStream& ctlOut();
QTextStream& ctlErr();

struct CtlCommand
{
    const char* name;
    const char* usage;  ///< arguments, e.g. "DB SQL"
    const char* help;   ///< one line
    int (*run)(CtlContext& _ctx);  ///< exit status
};

bool registerCtlCommand(const CtlCommand& _command);

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
