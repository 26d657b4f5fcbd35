// tesselctl: drives the data layer as a client application would.
#include "CtlCommand.h"

#include "CLS_RemoteDBHandler.h"
#include "I_DataMediator.h"
#include "I_WebSocket.h"
#include "ToolKits.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QJsonObject>
#include <QElapsedTimer>
#include <QReadLocker>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <termios.h>
#include <unistd.h>
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

// stdout and stderr as QTextStream devices that remember whether anything went out, and the
// last line written to stderr.
class CtlDevice : public QIODevice
{
public:
    explicit CtlDevice(FILE* _pFile) : m_pFile(_pFile) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }
    qint64 written() const { return m_iWritten; }
    /// The last line written that was not empty, when this device keeps it.
    QString lastLine() const
    {
        const QList<QByteArray> lines = m_kept.split('\n');
        for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
            if (!it->trimmed().isEmpty()) {
                return QString::fromUtf8(*it);
            }
        }
        return QString();
    }
    void keepLastLines() { m_bKeep = true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* _pData, qint64 _iSize) override
    {
        const size_t uDone = std::fwrite(_pData, 1, size_t(_iSize), m_pFile);
        std::fflush(m_pFile);
        m_iWritten += qint64(uDone);
        if (m_bKeep) {
            m_kept.append(_pData, int(_iSize));
            if (m_kept.size() > 8192) {
                m_kept.remove(0, m_kept.size() - 4096);
            }
        }
        return qint64(uDone);
    }

private:
    FILE* m_pFile;
    qint64 m_iWritten = 0;
    bool m_bKeep = false;
    QByteArray m_kept;
};

CtlDevice& outDevice()
{
    static CtlDevice device(stdout);
    return device;
}

CtlDevice& errDevice()
{
    static CtlDevice device(stderr);
    device.keepLastLines();
    return device;
}

// ":name=value": whole numbers bind as integers, other numbers as reals, "null" as NULL, the
// rest as text. --bind-text keeps the value as text whatever it looks like.
bool parseBind(const QString& _strArg, bool _bForceText, QMap<QString, QVariant>& _mapBind)
{
    const int iEq = _strArg.indexOf('=');
    if (iEq <= 1 || !_strArg.startsWith(':')) {
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
    // The server listens on the base port and the three after it.
    return bOk && !_strHost.isEmpty() && _iPort > 0 && _iPort <= 65532;
}

// The library's log and Qt's messages: silent by default, -v shows rejected input and errors,
// -vv information and traces, -vvv everything.
int g_iVerbosity = 0;

void qtMessages(QtMsgType _type, const QMessageLogContext&, const QString& _strMessage)
{
    int iLevel = 1;
    switch (_type) {
        case QtDebugMsg:
            iLevel = 1;
            break;
        case QtInfoMsg:
            iLevel = 2;
            break;
        case QtWarningMsg:
            iLevel = 3;
            break;
        case QtCriticalMsg:
        case QtFatalMsg:
            iLevel = 4;
            break;
    }
    if (g_iVerbosity > 0 && iLevel >= 4 - g_iVerbosity) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(_strMessage));
    }
}

void setVerbosity(int _iVerbosity)
{
    g_iVerbosity = _iVerbosity;
    qInstallMessageHandler(&qtMessages);
    if (_iVerbosity <= 0) {
        toolkit::setLogHook(nullptr);
        return;
    }
    qputenv("TESSEL_LOG_LEVEL", QByteArray::number(std::max(1, 4 - _iVerbosity)));
    dy_libos_log_reload_config();
    toolkit::setLogHook(&dy_libos_log_default_sink);
}

QString usageText(const QCommandLineParser& _parser)
{
    // The parser names the program by the path it was started with.
    QString strText = _parser.helpText();
    const QString strArgv0 = QCoreApplication::arguments().value(0);
    const int iAt = strArgv0.isEmpty() ? -1 : strText.indexOf(strArgv0);
    if (iAt >= 0) {
        strText.replace(iAt, strArgv0.size(), QStringLiteral("tesselctl"));
    }
    return strText;
}

}  // namespace

QTextStream& ctlOut()
{
    static QTextStream stream(&outDevice());
    return stream;
}

QTextStream& ctlErr()
{
    static QTextStream stream(&errDevice());
    return stream;
}

bool registerCtlCommand(const CtlCommand& _command)
{
    commands().push_back(_command);
    return true;
}

const std::vector<CtlCommand>& ctlCommands()
{
    return commands();
}

static std::vector<QCommandLineOption>& extraOptions()
{
    static std::vector<QCommandLineOption> s_options;
    return s_options;
}

static std::vector<QCommandLineOption>& allOptions()
{
    static std::vector<QCommandLineOption> s_options;
    return s_options;
}

QStringList ctlOptionNames()
{
    QStringList lstNames;
    for (const QCommandLineOption& option : allOptions()) {
        for (const QString& strName : option.names()) {
            lstNames << (strName.size() == 1 ? "-" : "--") + strName;
        }
    }
    return lstNames;
}

QString ctlCommandHelp(const CtlCommand& _command)
{
    QString strHelp = QString::fromUtf8(_command.help);
    if (!strHelp.isEmpty()) {
        strHelp[0] = strHelp[0].toUpper();
    }
    QString strText = QStringLiteral("Usage: tesselctl [OPTIONS] %1 %2\n\n%3.\n")
                          .arg(QLatin1String(_command.name), QLatin1String(_command.usage), strHelp);
    if (_command.details != nullptr) {
        strText += QLatin1Char('\n') + QString::fromUtf8(_command.details);
        if (!strText.endsWith('\n')) {
            strText += '\n';
        }
    }
    strText += QStringLiteral("\nThe options of every command: tesselctl --help.\n");
    return strText;
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

QString ctlReadSecret(const QString& _strPrompt)
{
    if (!isatty(STDIN_FILENO)) {
        return QString();
    }
    std::fprintf(stderr, "%s", qUtf8Printable(_strPrompt));
    std::fflush(stderr);
    termios old{};
    const bool bTerm = tcgetattr(STDIN_FILENO, &old) == 0;
    if (bTerm) {
        termios quiet = old;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    char szLine[1024] = {};
    const bool bRead = std::fgets(szLine, sizeof(szLine), stdin) != nullptr;
    if (bTerm) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    }
    std::fprintf(stderr, "\n");
    if (!bRead) {
        return QString();
    }
    QString strLine = QString::fromLocal8Bit(szLine);
    while (strLine.endsWith('\n') || strLine.endsWith('\r')) {
        strLine.chop(1);
    }
    return strLine;
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

static QString describeStatus(int _iStatus)
{
    switch (_iStatus) {
        case -1:
            return QStringLiteral("the client library could not be set up");
        case -2:
            return QStringLiteral("no answer within the start-up wait");
        case -19:
            return QStringLiteral(
                "the first channel could not be opened (server down, wrong port, TLS or token)");
        default:
            return QStringLiteral("channel %1 %2")
                .arg(-_iStatus / 16)
                .arg(-_iStatus % 16 == 2 ? "closed" : "failed");
    }
}

int CtlContext::connectStatic()
{
    QString strHost;
    int iPort = 0;
    if (!splitServer(server.isEmpty() ? configuredServer() : server, strHost, iPort)) {
        fail(QStringLiteral("bad --server %1 (expected HOST:PORT)").arg(server), kCtlUsage);
        return -1;
    }
    if (CLS_RemoteDBHandler::InitDb(strHost, iPort) != 0) {
        fail(QStringLiteral("cannot bind libWebSocket next to tesselctl"));
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
            fail(QStringLiteral("bad --server %1 (expected HOST:PORT)").arg(strServer), kCtlUsage);
            return -1;
        }
        if (CLS_RemoteDBHandler::InitDb(strHost, iPort) != 0) {
            fail(QStringLiteral("cannot bind libWebSocket next to tesselctl"));
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
        fail(QStringLiteral("not connected to %1 (status %2: %3)")
                 .arg(server.isEmpty() ? configuredServer() : server)
                 .arg(iStatus)
                 .arg(describeStatus(iStatus)));
        return iStatus == 0 ? -1 : iStatus;
    }
    if (user.isEmpty()) {
        return 0;
    }
    if (loginHandler() == nullptr) {
        fail(QStringLiteral("logging in is not available in this build"));
        return -1;
    }
    return loginHandler()(*this);
}

bool CtlContext::passwordForUser()
{
    const QString strFile = parser->value(QStringLiteral("password-file"));
    if (!strFile.isEmpty()) {
        QFile file(strFile);
        if (!file.open(QIODevice::ReadOnly)) {
            fail(QStringLiteral("cannot read --password-file %1: %2").arg(strFile, file.errorString()),
                 kCtlUsage);
            return false;
        }
        password = QString::fromUtf8(file.readLine());
        while (password.endsWith('\n') || password.endsWith('\r')) {
            password.chop(1);
        }
        return true;
    }
    if (qEnvironmentVariableIsSet("TESSEL_PASSWORD")) {
        password = qEnvironmentVariable("TESSEL_PASSWORD");
        return true;
    }
    if (parser->isSet(QStringLiteral("password"))) {
        password = parser->value(QStringLiteral("password"));
        return true;
    }
    password = ctlReadSecret(QStringLiteral("Password for %1: ").arg(user));
    if (password.isEmpty()) {
        fail(QStringLiteral("--user %1 needs a password: --password-file FILE, TESSEL_PASSWORD or a terminal")
                 .arg(user),
             kCtlUsage);
        return false;
    }
    return true;
}

bool ctlRowExists(CtlContext& _ctx, const QString& _strDb, const QString& _strSql,
                  const QMap<QString, QVariant>& _mapBind, bool& _bExists)
{
    RecordSet* pRows = _mapBind.isEmpty()
                           ? CLS_RemoteDBHandler::ExecuteQuery(_strDb, _strSql, 30)
                           : CLS_RemoteDBHandler::ExecuteQueryEx(_strDb, _strSql, _mapBind, 30);
    if (pRows == nullptr) {
        _ctx.fail(QStringLiteral("a query of %1 failed (-v shows why)").arg(_strDb));
        return false;
    }
    _bExists = !pRows->isEmpty();
    qDeleteAll(*pRows);
    delete pRows;
    return true;
}

bool ctlObjectExists(CtlContext& _ctx, const QString& _strId, bool& _bExists)
{
    return ctlRowExists(_ctx, QStringLiteral("Tessel"),
                        QStringLiteral("SELECT 1 FROM TAB_OBJ WHERE S_ID = :id"),
                        {{QStringLiteral(":id"), _strId}}, _bExists);
}

int ctlExchange(CtlContext& _ctx, const QString& _strCommand, const QJsonObject& _request, int _iTimeoutS,
                bool _bMaintenance, QJsonObject& _data)
{
    QString strAnswer;
    int iRet = WS_SEND_NOT_CONNECTED;
    {
        QReadLocker locker(&CLS_RemoteDBHandler::m_webSocketLock);
        if (CLS_RemoteDBHandler::m_pWebSocket != nullptr) {
            iRet = _bMaintenance ? CLS_RemoteDBHandler::m_pWebSocket->SendAndWaitSelected(
                                       _strCommand, _request, strAnswer, 3)
                                 : CLS_RemoteDBHandler::m_pWebSocket->SendAndWait(_strCommand, _request,
                                                                                  strAnswer, _iTimeoutS);
        }
    }
    switch (iRet) {
        case WS_SEND_OK:
            break;
        case WS_SEND_TIMEOUT:
            return _ctx.fail(QStringLiteral("%1: no answer within %2 s").arg(_strCommand).arg(_iTimeoutS));
        case WS_SEND_CLOSED:
            return _ctx.fail(
                QStringLiteral("%1: the connection closed before the answer came").arg(_strCommand));
        case WS_SEND_NOT_CONNECTED:
            return _ctx.fail(QStringLiteral("%1: not connected").arg(_strCommand));
        default:
            return _ctx.fail(QStringLiteral("%1: sending failed (%2)").arg(_strCommand).arg(iRet));
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(strAnswer.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        return _ctx.fail(QStringLiteral("%1: the answer is not a JSON object").arg(_strCommand));
    }
    const QJsonObject answer = doc.object();
    if (answer.value(QLatin1String("result")).toString() != QLatin1String("OK")) {
        const QString strCode = answer.value(QLatin1String("code")).toString();
        return _ctx.fail(QStringLiteral("%1 refused%2: %3")
                             .arg(_strCommand, strCode.isEmpty() ? QString() : " (" + strCode + ")",
                                  answer.value(QLatin1String("reason")).toString()));
    }
    _data = answer.value(QLatin1String("data")).toObject();
    return kCtlOk;
}

int CtlContext::fail(const QString& _strText, int _iExit)
{
    ctlErr() << "tesselctl: " << _strText << "\n";
    ctlErr().flush();
    return _iExit;
}

bool CtlContext::confirm(const QString& _strWhat, int& _iExit)
{
    if (yes) {
        return true;
    }
    if (!isatty(STDIN_FILENO)) {
        _iExit = fail(QStringLiteral("%1; stdin is not a terminal, so pass --yes to go ahead").arg(_strWhat),
                      kCtlUsage);
        return false;
    }
    std::fprintf(stderr, "%s. Go ahead? [y/N] ", qUtf8Printable(_strWhat));
    std::fflush(stderr);
    char szLine[64] = {};
    const bool bRead = std::fgets(szLine, sizeof(szLine), stdin) != nullptr;
    const QString strAnswer = QString::fromLocal8Bit(szLine).trimmed().toLower();
    if (bRead && (strAnswer == QLatin1String("y") || strAnswer == QLatin1String("yes"))) {
        return true;
    }
    _iExit = fail(QStringLiteral("nothing was changed"));
    return false;
}

static int runCommandLine(CtlContext& ctx)
{
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
        "Without --server the address comes from DbServerConfig.json next to tesselctl, as for a client.\n"
        "The password for --user comes from --password-file, TESSEL_PASSWORD or a prompt on the terminal.\n"
        "Exit status: 0 success, 1 failure, 2 a bad command line. \"tesselctl help COMMAND\" shows a\n"
        "command's own help with examples; \"tesselctl completion bash\" prints a completion script.";

    QCommandLineParser parser;
    parser.setApplicationDescription(strDescription);
    const QCommandLineOption helpOpt({"h", "help"},
                                     "Show this help, or the command's own help after a command.");
    const QCommandLineOption versionOpt({"V", "version"}, "Show the version.");
    const QCommandLineOption verboseOpt({"v", "verbose"},
                                        "Show the library's log on stderr; repeat for more (-vv, -vvv).");
    const QCommandLineOption serverOpt("server", "Database server HOST:PORT for this run.", "host:port");
    const QCommandLineOption jsonOpt("json",
                                     "Print results as JSON (failures as {\"error\": ..., \"exit\": N}).");
    const QCommandLineOption bindOpt("bind", "Bind value :name=value (repeatable).", "bind");
    const QCommandLineOption bindTextOpt("bind-text", "Bind value :name=value kept as text (repeatable).",
                                         "bind");
    const QCommandLineOption userOpt("user", "Log in as this user first.", "name");
    const QCommandLineOption passwordFileOpt("password-file",
                                             "Read the password for --user from FILE (first line).", "file");
    const QCommandLineOption passwordOpt("password",
                                         "Password for --user (visible to other users: prefer "
                                         "--password-file or TESSEL_PASSWORD).",
                                         "password");
    const QCommandLineOption yesOpt("yes", "Replace live data (restore, reset, upload) without asking.");
    const QCommandLineOption timeoutOpt(
        "timeout",
        "query, exec: wait this many seconds for the answer (default: as long as "
        "the server's statement limit allows).",
        "seconds");
    allOptions() = {helpOpt,     versionOpt, verboseOpt,      serverOpt,   jsonOpt, bindOpt,
                    bindTextOpt, userOpt,    passwordFileOpt, passwordOpt, yesOpt,  timeoutOpt};
    for (const QCommandLineOption& option : extraOptions()) {
        allOptions().push_back(option);
    }
    for (const QCommandLineOption& option : allOptions()) {
        parser.addOption(option);
    }
    parser.addPositionalArgument("command", "The command to run (see above).");

    ctx.parser = &parser;
    // Known before parsing, so that a bad command line gets its error object too.
    ctx.json = QCoreApplication::arguments().contains(QStringLiteral("--json"));
    if (!parser.parse(QCoreApplication::arguments())) {
        return ctx.fail(parser.errorText() + " (see tesselctl --help)", kCtlUsage);
    }
    ctx.json = parser.isSet(jsonOpt);
    setVerbosity(int(parser.optionNames().count("v") + parser.optionNames().count("verbose")));
    if (parser.isSet(versionOpt)) {
        ctlOut() << "tesselctl " << TESSEL_VERSION << "\n";
        return kCtlOk;
    }

    QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        if (parser.isSet(helpOpt)) {
            ctlOut() << usageText(parser);
            return kCtlOk;
        }
        ctlErr() << usageText(parser);
        return kCtlUsage;
    }
    QString strName = args.takeFirst();
    const bool bHelp = parser.isSet(helpOpt) || strName == QLatin1String("help");
    if (strName == QLatin1String("help")) {
        if (args.isEmpty()) {
            ctlOut() << usageText(parser);
            return kCtlOk;
        }
        strName = args.takeFirst();
    }
    auto it = std::find_if(commands().begin(), commands().end(),
                           [&strName](const CtlCommand& c) { return strName == QLatin1String(c.name); });
    if (it == commands().end()) {
        return ctx.fail(QStringLiteral("unknown command %1 (see tesselctl --help)").arg(strName), kCtlUsage);
    }
    if (bHelp) {
        ctlOut() << ctlCommandHelp(*it);
        return kCtlOk;
    }

    ctx.args = args;
    ctx.server = parser.value(serverOpt);
    ctx.user = parser.value(userOpt);
    ctx.yes = parser.isSet(yesOpt);
    if (!ctx.server.isEmpty()) {
        QString strHost;
        int iPort = 0;
        if (!splitServer(ctx.server, strHost, iPort)) {
            return ctx.fail(
                QStringLiteral("bad --server %1 (expected HOST:PORT, PORT at most 65532)").arg(ctx.server),
                kCtlUsage);
        }
    }
    if (parser.isSet(timeoutOpt)) {
        bool bOk = false;
        ctx.timeoutS = parser.value(timeoutOpt).toInt(&bOk);
        if (!bOk || ctx.timeoutS < 1 || ctx.timeoutS > 86400) {
            return ctx.fail(QStringLiteral("bad --timeout %1 (expected 1 to 86400 seconds)")
                                .arg(parser.value(timeoutOpt)),
                            kCtlUsage);
        }
    }
    for (const QString& strBind : parser.values(bindOpt)) {
        if (!parseBind(strBind, false, ctx.binds)) {
            return ctx.fail(QStringLiteral("bad --bind %1 (expected :name=value)").arg(strBind), kCtlUsage);
        }
    }
    for (const QString& strBind : parser.values(bindTextOpt)) {
        if (!parseBind(strBind, true, ctx.binds)) {
            return ctx.fail(QStringLiteral("bad --bind-text %1 (expected :name=value)").arg(strBind),
                            kCtlUsage);
        }
    }
    if (!ctx.user.isEmpty() && !ctx.passwordForUser()) {
        return kCtlUsage;
    }

    return it->run(ctx);
}

// The channels open one after another; one still opening when the process ends would be cut
// in the middle of its handshake. Once the first is open, the others get a moment to finish.
static void settleChannels()
{
    QReadLocker locker(&CLS_RemoteDBHandler::m_webSocketLock);
    I_WebSocket* pSocket = CLS_RemoteDBHandler::m_pWebSocket;
    if (pSocket == nullptr || pSocket->ChannelState(1) != 2) {
        return;
    }
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 1000) {
        bool bAllOpen = true;
        for (int iChannel = 1; iChannel <= 4; ++iChannel) {
            bAllOpen = bAllOpen && pSocket->ChannelState(iChannel) == 2;
        }
        if (bAllOpen) {
            return;
        }
        QThread::msleep(5);
    }
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("tesselctl");
    QCoreApplication::setApplicationVersion(TESSEL_VERSION);
    // Quiet until -v says otherwise: the library logs from its first call on.
    setVerbosity(0);

    CtlContext ctx;
    const int iExit = runCommandLine(ctx);
    ctlErr().flush();
    ctlOut().flush();
    // Scripts read one JSON document on stdout, a failure too.
    if (iExit != kCtlOk && ctx.json && outDevice().written() == 0) {
        QString strError = errDevice().lastLine();
        if (strError.startsWith(QLatin1String("tesselctl: "))) {
            strError.remove(0, 11);
        }
        ctlOut()
            << QJsonDocument(QJsonObject{{"error", strError}, {"exit", iExit}}).toJson(QJsonDocument::Compact)
            << "\n";
        ctlOut().flush();
    }
    settleChannels();
    DeleteMediator(ctx.mediator);
    CLS_RemoteDBHandler::Teardown();
    return iExit;
}
