#include "ClientConfig.h"

#include "Log.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace tessel::ws {

namespace {

const QString kKeyCaFile = QStringLiteral("ca_file");
const QString kKeyVerify = QStringLiteral("verify");
const QString kKeyToken = QStringLiteral("token");
const QString kKeyLoopbackPlain = QStringLiteral("loopback_plain");
const QString kKeyReconnectMax = QStringLiteral("reconnect_max_ms");

bool parseBool(const QString& _strText, bool* _pValue)
{
    const QString s = _strText.trimmed().toLower();
    if (s == QLatin1String("1") || s == QLatin1String("true") || s == QLatin1String("yes") ||
        s == QLatin1String("on")) {
        *_pValue = true;
        return true;
    }
    if (s == QLatin1String("0") || s == QLatin1String("false") || s == QLatin1String("no") ||
        s == QLatin1String("off")) {
        *_pValue = false;
        return true;
    }
    return false;
}

QString absolutePath(const QString& _strPath, const QDir& _base)
{
    if (_strPath.isEmpty())
        return QString();
    return QDir::cleanPath(_base.absoluteFilePath(_strPath));
}

// Folder of libWebSocket.so: this function's address is inside it.
QString libraryDir()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&libraryDir), &info) != 0 && info.dli_fname != nullptr &&
        info.dli_fname[0] != '\0')
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
    if (QCoreApplication::instance() != nullptr)
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

void applyConfigFile(ClientOptions& _options, const QString& _strPath, bool _bExplicit)
{
    QFile file(_strPath);
    if (!file.exists()) {
        if (_bExplicit)
            qCWarning(lcWebSocket) << "configuration file" << _strPath << "(TESSEL_WS_CONFIG) does not exist;"
                                   << "using defaults";
        else
            qCDebug(lcWebSocket) << "no configuration file at" << _strPath << "; using defaults";
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcWebSocket) << "cannot read configuration file" << _strPath << ":" << file.errorString()
                               << "; using defaults";
        return;
    }
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        qCWarning(lcWebSocket).noquote()
            << QStringLiteral("configuration file %1 is not valid JSON (%2 at offset %3); using defaults")
                   .arg(_strPath, parseError.errorString())
                   .arg(parseError.offset);
        return;
    }
    if (!doc.isObject()) {
        qCWarning(lcWebSocket).noquote()
            << "configuration file" << _strPath << "does not hold a JSON object; using defaults";
        return;
    }
    const QDir base = QFileInfo(_strPath).absoluteDir();
    const QJsonObject obj = doc.object();
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        const QString& key = it.key();
        const QJsonValue v = it.value();
        bool bOk = true;
        if (key == kKeyCaFile) {
            bOk = v.isString();
            if (bOk)
                _options.caFile = absolutePath(v.toString(), base);
        } else if (key == kKeyVerify) {
            bOk = v.isBool();
            if (bOk)
                _options.verify = v.toBool();
        } else if (key == kKeyToken) {
            bOk = v.isString();
            if (bOk)
                _options.token = v.toString();
        } else if (key == kKeyLoopbackPlain) {
            bOk = v.isBool();
            if (bOk)
                _options.loopbackPlain = v.toBool();
        } else if (key == kKeyReconnectMax) {
            bOk = v.isDouble() && v.toDouble() >= kMinReconnectMs && v.toDouble() <= 24.0 * 3600 * 1000;
            if (bOk)
                _options.reconnectMaxMs = v.toInt();
        } else {
            qCWarning(lcWebSocket) << "configuration file" << _strPath << ": unknown member" << key
                                   << "ignored";
            continue;
        }
        if (!bOk)
            qCWarning(lcWebSocket) << "configuration file" << _strPath << ": member" << key
                                   << "has a bad value; ignored";
    }
    qCInfo(lcWebSocket) << "configuration read from" << _strPath;
}

}  // namespace

ClientOptions loadClientOptions()
{
    ClientOptions options;
    const QString strEnvConfig = qEnvironmentVariable("TESSEL_WS_CONFIG");
    if (!strEnvConfig.isEmpty())
        applyConfigFile(options, absolutePath(strEnvConfig, QDir::current()), true);
    else
        applyConfigFile(options, QDir(libraryDir()).absoluteFilePath(QStringLiteral("WebSocket.json")),
                        false);

    const QString strEnvCa = qEnvironmentVariable("TESSEL_WS_CA_FILE");
    if (!strEnvCa.isEmpty())
        options.caFile = absolutePath(strEnvCa, QDir::current());
    const QString strEnvToken = qEnvironmentVariable("TESSEL_WS_TOKEN");
    if (!strEnvToken.isEmpty()) {
        if (strEnvToken.contains(QLatin1Char('\r')) || strEnvToken.contains(QLatin1Char('\n')))
            qCWarning(lcWebSocket) << "TESSEL_WS_TOKEN must not hold a line break; ignored";
        else
            options.token = strEnvToken;
    }
    if (qEnvironmentVariableIsSet("TESSEL_WS_VERIFY")) {
        bool bVerify = true;
        if (parseBool(qEnvironmentVariable("TESSEL_WS_VERIFY"), &bVerify))
            options.verify = bVerify;
        else
            qCWarning(lcWebSocket) << "TESSEL_WS_VERIFY must be 0 or 1; ignored";
    }
    if (!options.verify)
        qCWarning(lcWebSocket) << "TLS certificate verification is OFF";
    return options;
}

bool setOptionText(ClientOptions& _options, const QString& _strKey, const QString& _strValue,
                   QString* _pError)
{
    bool bValue = false;
    if (_strKey == kKeyCaFile) {
        _options.caFile = absolutePath(_strValue, QDir::current());
        return true;
    }
    if (_strKey == kKeyToken) {
        if (_strValue.contains(QLatin1Char('\r')) || _strValue.contains(QLatin1Char('\n'))) {
            *_pError = QStringLiteral("token must not hold a line break");
            return false;
        }
        _options.token = _strValue;
        return true;
    }
    if (_strKey == kKeyVerify || _strKey == kKeyLoopbackPlain) {
        if (!parseBool(_strValue, &bValue)) {
            *_pError = QStringLiteral("%1 takes 1/0, true/false, yes/no or on/off").arg(_strKey);
            return false;
        }
        (_strKey == kKeyVerify ? _options.verify : _options.loopbackPlain) = bValue;
        return true;
    }
    if (_strKey == kKeyReconnectMax) {
        bool bOk = false;
        const int iMs = _strValue.trimmed().toInt(&bOk);
        if (!bOk || iMs < kMinReconnectMs) {
            *_pError = QStringLiteral("reconnect_max_ms takes a whole number >= %1").arg(kMinReconnectMs);
            return false;
        }
        _options.reconnectMaxMs = iMs;
        return true;
    }
    *_pError = QStringLiteral("unknown option \"%1\"").arg(_strKey);
    return false;
}

QString optionText(const ClientOptions& _options, const QString& _strKey)
{
    if (_strKey == kKeyCaFile)
        return _options.caFile.isNull() ? QStringLiteral("") : _options.caFile;
    if (_strKey == kKeyToken)
        return _options.token.isNull() ? QStringLiteral("") : _options.token;
    if (_strKey == kKeyVerify)
        return _options.verify ? QStringLiteral("true") : QStringLiteral("false");
    if (_strKey == kKeyLoopbackPlain)
        return _options.loopbackPlain ? QStringLiteral("true") : QStringLiteral("false");
    if (_strKey == kKeyReconnectMax)
        return QString::number(_options.reconnectMaxMs);
    return QString();
}

}  // namespace tessel::ws
