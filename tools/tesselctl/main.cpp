// tesselctl: drives the data layer as a client application would.
#include "CtlCommand.h"

#include "CLS_RemoteDBHandler.h"
#include "I_DataMediator.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QJsonObject>

#include <algorithm>
#include <vector>

namespace {

std::vector<CtlCommand>& commands()
{
    static std::vector<CtlCommand> s_commands;
    return s_commands;
}

CtlLoginHandler& loginHandler()
{
    static CtlLoginHandler s_handler = nullptr;
    return s_handler;
}

// ":name=value": whole numbers bind as integers, other numbers as reals, "null" as NULL, the
// rest as text. --bind-text keeps the value as text whatever it looks like.
bool parseBind(const QString& _strArg, bool _bForceText, QMap<QString, QVariant>& _mapBind)
{
    const int iEq = _strArg.indexOf('=');
    if (iEq <= 1) {
        return false;
    }
    const QString strName = _strArg.left(iEq);
    const QString strValue = _strArg.mid(iEq + 1);
    bool bOk = false;
    if (_bForceText) {
        _mapBind.insert(strName, strValue);
    } else if (const qlonglong llValue = strValue.toLongLong(&bOk); bOk) {
        _mapBind.insert(strName, llValue);
    } else if (const double dValue = strValue.toDouble(&bOk); bOk) {
        _mapBind.insert(strName, dValue);
    } else if (strValue == QLatin1String("null")) {
        _mapBind.insert(strName, QVariant());
    } else {
        _mapBind.insert(strName, strValue);
    }
    return true;
}

bool splitServer(const QString& _strServer, QString& _strHost, int& _iPort)
{
    const int iColon = _strServer.lastIndexOf(':');
    bool bOk = true;
    _strHost = iColon > 0 ? _strServer.left(iColon) : _strServer;
    _iPort = iColon > 0 ? _strServer.mid(iColon + 1).toInt(&bOk) : 9562;
    return bOk && !_strHost.isEmpty() && _iPort > 0 && _iPort < 65533;
}

}  // namespace

QTextStream& ctlOut()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& ctlErr()
{
    static QTextStream stream(stderr);
    return stream;
}

bool registerCtlCommand(const CtlCommand& _command)
{
    commands().push_back(_command);
    return true;
}

static std::vector<QCommandLineOption>& extraOptions()
{
    static std::vector<QCommandLineOption> s_options;
    return s_options;
}

bool registerCtlOption(const QCommandLineOption& _option)
{
    extraOptions().push_back(_option);
    return true;
}

bool registerCtlLoginHandler(CtlLoginHandler _pfnHandler)
{
    loginHandler() = _pfnHandler;
    return true;
}

// The address a client would use: the first DbServerConfig.json of the application directory
// (a client's own copy), the user's config folder (~/.config/tessel) and /etc/tessel, read only;
// else 127.0.0.1:9562. An installed tesselctl has its application directory under /usr, which
// holds none.
static QString configuredServer()
{
    const QString strName = QStringLiteral("/DbServerConfig.json");
    QFile file;
    for (const QString& strDir :
         {QCoreApplication::applicationDirPath(),
          QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/tessel"),
          QStringLiteral("/etc/tessel")}) {
        file.setFileName(strDir + strName);
        if (file.open(QIODevice::ReadOnly)) {
            break;
        }
    }
    if (!file.isOpen()) {
        return QStringLiteral("127.0.0.1:9562");
    }
    const QJsonObject obj = QJsonDocument::fromJson(file.readAll()).object();
    const QString strIp = obj.value(QLatin1String("server_ip")).toString();
    const int iPort = obj.value(QLatin1String("server_port")).toInt(0);
    return QStringLiteral("%1:%2").arg(strIp.isEmpty() ? QStringLiteral("127.0.0.1") : strIp)
        .arg(iPort >= 1 && iPort <= 65535 ? iPort : 9562);
}

int CtlContext::connectStatic()
{
    QString strHost;
    int iPort = 0;
    if (!splitServer(server.isEmpty() ? configuredServer() : server, strHost, iPort)) {
        ctlErr() << "tesselctl: bad --server " << server << " (expected HOST:PORT)\n";
        return -1;
    }
    if (CLS_RemoteDBHandler::InitDb(strHost, iPort) != 0) {
        ctlErr() << "tesselctl: cannot bind libWebSocket next to tesselctl\n";
        return -1;
    }
    return CLS_RemoteDBHandler::CreateDBConnection();
}

int CtlContext::connectMediator()
{
    {
        // Binding the handler first makes the mediator's start-up keep this address; the
        // configuration file is not rewritten.
        const QString strServer = server.isEmpty() ? configuredServer() : server;
        QString strHost;
        int iPort = 0;
        if (!splitServer(strServer, strHost, iPort)) {
            ctlErr() << "tesselctl: bad --server " << server << " (expected HOST:PORT)\n";
            return -1;
        }
        if (CLS_RemoteDBHandler::InitDb(strHost, iPort) != 0) {
            ctlErr() << "tesselctl: cannot bind libWebSocket next to tesselctl\n";
            return -1;
        }
    }
    mediator = CreateMediator();
    mediator->InitData();
    return mediator->CreateDBConnection();
}

int CtlContext::connectAndLogin()
{
    const int iStatus = connectMediator();
    if (iStatus != 1) {
        ctlErr() << "tesselctl: not connected (status " << iStatus << ")\n";
        return iStatus == 0 ? -1 : iStatus;
    }
    if (user.isEmpty()) {
        return 0;
    }
    if (loginHandler() == nullptr) {
        ctlErr() << "tesselctl: logging in is not available in this build\n";
        return -1;
    }
    return loginHandler()(*this);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("tesselctl");
    QCoreApplication::setApplicationVersion("1");

    std::sort(commands().begin(), commands().end(),
              [](const CtlCommand& a, const CtlCommand& b) { return qstrcmp(a.name, b.name) < 0; });
    QString strDescription =
        "Drives the Tessel data layer against a database server, as a client application does.\n\nCommands:\n";
    for (const CtlCommand& command : commands()) {
        const QString strHead = QString("  %1 %2").arg(command.name, command.usage);
        strDescription += strHead.leftJustified(36) + " " + command.help + "\n";
    }
    strDescription +=
        "\nDB is one of Tessel, Tessel-record, Tessel-intelligent, Tessel-passengerFlow.\n"
        "Bind values: --bind :name=value (numbers bind as numbers, null as NULL), --bind-text :name=value.\n"
        "Without --server the address comes from DbServerConfig.json next to tesselctl, as for a client.";

    QCommandLineParser parser;
    parser.setApplicationDescription(strDescription);
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption serverOpt("server", "Database server HOST:PORT for this run.", "host:port");
    QCommandLineOption jsonOpt("json", "Print results as JSON.");
    QCommandLineOption bindOpt("bind", "Bind value :name=value (repeatable).", "bind");
    QCommandLineOption bindTextOpt("bind-text", "Bind value :name=value kept as text (repeatable).", "bind");
    QCommandLineOption userOpt("user", "Log in as this user first.", "name");
    QCommandLineOption passwordOpt("password", "Password for --user.", "password");
    parser.addOptions({serverOpt, jsonOpt, bindOpt, bindTextOpt, userOpt, passwordOpt});
    for (const QCommandLineOption& option : extraOptions()) {
        parser.addOption(option);
    }
    parser.addPositionalArgument("command", "The command to run (see above).");
    parser.process(app);

    QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        parser.showHelp(2);
    }
    const QString strName = args.takeFirst();
    auto it = std::find_if(commands().begin(), commands().end(),
                           [&strName](const CtlCommand& c) { return strName == QLatin1String(c.name); });
    if (it == commands().end()) {
        ctlErr() << "tesselctl: unknown command " << strName << " (see --help)\n";
        return 2;
    }

    CtlContext ctx;
    ctx.parser = &parser;
    ctx.args = args;
    ctx.json = parser.isSet(jsonOpt);
    ctx.server = parser.value(serverOpt);
    ctx.user = parser.value(userOpt);
    ctx.password = parser.value(passwordOpt);
    for (const QString& strBind : parser.values(bindOpt)) {
        if (!parseBind(strBind, false, ctx.binds)) {
            ctlErr() << "tesselctl: bad --bind " << strBind << " (expected :name=value)\n";
            return 2;
        }
    }
    for (const QString& strBind : parser.values(bindTextOpt)) {
        if (!parseBind(strBind, true, ctx.binds)) {
            ctlErr() << "tesselctl: bad --bind-text " << strBind << " (expected :name=value)\n";
            return 2;
        }
    }

    const int iExit = it->run(ctx);
    ctlOut().flush();
    ctlErr().flush();
    DeleteMediator(ctx.mediator);
    CLS_RemoteDBHandler::Teardown();
    return iExit;
}
