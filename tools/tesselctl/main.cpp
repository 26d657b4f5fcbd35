// tesselctl: drives the data layer as a client application would.
#include "CLS_RemoteDBHandler.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>

namespace {

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
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
    if (_bForceText) {
        _mapBind.insert(strName, strValue);
        return true;
    }
    bool bOk = false;
    const qlonglong llValue = strValue.toLongLong(&bOk);
    if (bOk) {
        _mapBind.insert(strName, llValue);
        return true;
    }
    const double dValue = strValue.toDouble(&bOk);
    if (bOk) {
        _mapBind.insert(strName, dValue);
    } else if (strValue == QLatin1String("null")) {
        _mapBind.insert(strName, QVariant());
    } else {
        _mapBind.insert(strName, strValue);
    }
    return true;
}

void printRows(const RecordSet& _rows, bool _bJson)
{
    if (_bJson) {
        QJsonArray array;
        for (const QMap<QString, QString>* pRow : _rows) {
            QJsonObject obj;
            for (auto it = pRow->cbegin(); it != pRow->cend(); ++it) {
                obj.insert(it.key(), it.value());
            }
            array.append(obj);
        }
        out() << QJsonDocument(array).toJson(QJsonDocument::Indented);
        return;
    }
    for (const QMap<QString, QString>* pRow : _rows) {
        QStringList fields;
        for (auto it = pRow->cbegin(); it != pRow->cend(); ++it) {
            fields << it.key() + "=" + it.value();
        }
        out() << fields.join("  ") << "\n";
    }
    out() << "(" << _rows.size() << (_rows.size() == 1 ? " row)\n" : " rows)\n");
}

int connectServer(const QString& _strServer)
{
    const int iColon = _strServer.lastIndexOf(':');
    const QString strHost = iColon > 0 ? _strServer.left(iColon) : _strServer;
    const int iPort = iColon > 0 ? _strServer.mid(iColon + 1).toInt() : 9562;
    if (CLS_RemoteDBHandler::InitDb(strHost, iPort) != 0) {
        err() << "tesselctl: cannot initialise the data layer for " << _strServer
              << " (bad address, or libWebSocket not found next to tesselctl)\n";
        return -1;
    }
    return CLS_RemoteDBHandler::CreateDBConnection();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("tesselctl");
    QCoreApplication::setApplicationVersion("1");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Drives the Tessel data layer against a database server.\n\n"
        "Commands:\n"
        "  status                      connect and print the channel status (1 = usable)\n"
        "  exec DB SQL                 run one statement, print its result code\n"
        "  query DB SQL                run one query, print its rows\n\n"
        "DB is one of Tessel, Tessel-record, Tessel-intelligent, Tessel-passengerFlow.\n"
        "Bind values: --bind :name=value (numbers bind as numbers, null as NULL), --bind-text :name=value.");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption serverOpt("server", "Database server, HOST:PORT (default 127.0.0.1:9562).",
                                 "host:port", "127.0.0.1:9562");
    QCommandLineOption jsonOpt("json", "Print results as JSON.");
    QCommandLineOption bindOpt("bind", "Bind value :name=value (repeatable).", "bind");
    QCommandLineOption bindTextOpt("bind-text", "Bind value :name=value kept as text (repeatable).", "bind");
    parser.addOptions({serverOpt, jsonOpt, bindOpt, bindTextOpt});
    parser.addPositionalArgument("command", "status | exec | query");
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        parser.showHelp(2);
    }
    const QString strCommand = args.first();
    const bool bJson = parser.isSet(jsonOpt);

    QMap<QString, QVariant> mapBind;
    for (const QString& strBind : parser.values(bindOpt)) {
        if (!parseBind(strBind, false, mapBind)) {
            err() << "tesselctl: bad --bind " << strBind << " (expected :name=value)\n";
            return 2;
        }
    }
    for (const QString& strBind : parser.values(bindTextOpt)) {
        if (!parseBind(strBind, true, mapBind)) {
            err() << "tesselctl: bad --bind-text " << strBind << " (expected :name=value)\n";
            return 2;
        }
    }

    if (strCommand != "status" && strCommand != "exec" && strCommand != "query") {
        err() << "tesselctl: unknown command " << strCommand << "\n";
        return 2;
    }
    if (strCommand != "status" && args.size() != 3) {
        err() << "tesselctl: " << strCommand << " takes DB and SQL\n";
        return 2;
    }

    const int iStatus = connectServer(parser.value(serverOpt));
    if (strCommand == "status") {
        if (bJson) {
            out() << QJsonDocument(QJsonObject{{"status", iStatus}}).toJson(QJsonDocument::Compact) << "\n";
        } else {
            out() << "status " << iStatus << (iStatus == 1 ? " (connected)\n" : " (not connected)\n");
        }
        out().flush();
        CLS_RemoteDBHandler::Teardown();
        return iStatus == 1 ? 0 : 1;
    }
    if (iStatus != 1) {
        err() << "tesselctl: not connected (status " << iStatus << ")\n";
        CLS_RemoteDBHandler::Teardown();
        return 1;
    }

    int iExit = 0;
    if (strCommand == "exec") {
        const int iRet = mapBind.isEmpty()
                             ? CLS_RemoteDBHandler::Execute(args[1], args[2], 3, false)
                             : CLS_RemoteDBHandler::ExecuteEx(args[1], args[2], mapBind, 3, false);
        if (bJson) {
            out() << QJsonDocument(QJsonObject{{"ret", iRet}}).toJson(QJsonDocument::Compact) << "\n";
        } else {
            out() << "ret " << iRet << "\n";
        }
        iExit = iRet == 0 ? 0 : 1;
    } else {
        RecordSet* pRows = mapBind.isEmpty()
                               ? CLS_RemoteDBHandler::ExecuteQuery(args[1], args[2], 3)
                               : CLS_RemoteDBHandler::ExecuteQueryEx(args[1], args[2], mapBind, 3);
        if (pRows == nullptr) {
            err() << "tesselctl: query failed (see the log for the server's reason)\n";
            iExit = 1;
        } else {
            printRows(*pRows, bJson);
            qDeleteAll(*pRows);
            delete pRows;
        }
    }
    out().flush();
    CLS_RemoteDBHandler::Teardown();
    return iExit;
}
