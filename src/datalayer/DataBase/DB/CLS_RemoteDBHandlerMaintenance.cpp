// Maintenance and host-status commands of CLS_RemoteDBHandler.
#include "CLS_RemoteDBHandler.h"

#include "I_WebSocket.h"
#include "QueryAnswerDecoder.h"
#include "Log.h"

namespace {
constexpr int kMaintenanceSelector = 3;
// A status read is small: a server that does not answer it within this is as good as down.
constexpr int kStatusTimeoutS = 10;

void fillInterface(const QJsonObject& _obj, _NetworkInfo& _info)
{
    auto text = [&_obj](const char* _pszKey, QString& _strField) {
        if (_obj.contains(QLatin1String(_pszKey))) {
            const QJsonValue value = _obj.value(QLatin1String(_pszKey));
            _strField = value.isDouble() ? QString::number(value.toDouble()) : value.toVariant().toString();
        }
    };
    text("Ifrname", _info.strIfrName);
    text("Ipv4Addr", _info.strIpv4Addr);
    text("Ipv4Mask", _info.strIpv4Mask);
    text("Ipv4Gateway", _info.strIpv4Gateway);
    text("mac", _info.strMac);
    text("mtu", _info.strMtu);
    text("connectState", _info.strConnectState);
    text("firstDns", _info.strFirstDns);
    text("DHCPStatus", _info.strDHCPStatus);
}
}  // namespace

int CLS_RemoteDBHandler::SendSelected(const QString& _strCommand, const QJsonObject& _jsonRequest,
                                      QString& _strAnswer)
{
    QReadLocker locker(&m_webSocketLock);
    if (m_pWebSocket == nullptr) {
        return -1;
    }
    return m_pWebSocket->SendAndWaitSelected(_strCommand, _jsonRequest, _strAnswer, kMaintenanceSelector);
}

int CLS_RemoteDBHandler::MaintenanceExchange(const char* _pszOperation, const QString& _strCommand,
                                             const QJsonObject& _jsonRequest, QJsonObject& _jsonData)
{
    if (!IsConnectionVaild()) {
        DL_LOG(2, "%s Connection invalid.", _pszOperation);
        return -1;
    }
    QString strAnswer;
    const int iRet = SendSelected(_strCommand, _jsonRequest, strAnswer);
    if (iRet != 0) {
        return iRet;
    }
    return GetResponseData(strAnswer, _jsonData);
}

int CLS_RemoteDBHandler::DownLoadDB(QMap<QString, QVariant>& _mapDbData)
{
    QJsonObject data;
    int iRet = MaintenanceExchange("CLS_RemoteDBHandler::DownLoadDB", QStringLiteral("DownLoadDB"),
                                   QJsonObject(), data);
    if (iRet == 0) {
        iRet = AnswerRetCode(data);
        const QJsonArray items = data.value(QLatin1String("DbData")).toArray();
        for (const QJsonValue& item : items) {
            const QJsonObject obj = item.toObject();
            _mapDbData.insert(obj.value(QLatin1String("key")).toString(),
                              QVariant(obj.value(QLatin1String("value")).toString()));
        }
    }
    if (iRet != 0) {
        DL_LOG(2, "[%s]return:%s = %d", "CLS_RemoteDBHandler::DownLoadDB", "iRet", iRet);
    }
    return iRet;
}

int CLS_RemoteDBHandler::UploadDB(QMap<QString, QVariant>& _mapDbData, QMap<QString, int>& _mapResults)
{
    QJsonObject request;
    request.insert(QStringLiteral("DbData"), QJsonObject::fromVariantMap(_mapDbData));
    QJsonObject data;
    const int iRet =
        MaintenanceExchange("CLS_RemoteDBHandler::UploadDB", QStringLiteral("UploadDB"), request, data);
    if (iRet == 0) {
        const QJsonArray items = data.value(QLatin1String("ret")).toArray();
        for (const QJsonValue& item : items) {
            const QJsonObject obj = item.toObject();
            _mapResults.insert(obj.value(QLatin1String("key")).toString(),
                               obj.value(QLatin1String("value")).toInt(0));
        }
    } else {
        DL_LOG(2, "[%s]return:%s = %d", "CLS_RemoteDBHandler::UploadDB", "iRet", iRet);
    }
    return iRet;
}

namespace {
void fillResults(const QJsonArray& _items, QMap<QString, bool>& _mapResults, bool _bSkipEmptyName)
{
    for (const QJsonValue& item : _items) {
        const QJsonObject obj = item.toObject();
        const QString strName = obj.value(QLatin1String("dbName")).toString();
        if (_bSkipEmptyName && strName.isEmpty()) {
            continue;
        }
        _mapResults.insert(strName, obj.value(QLatin1String("ret")).toBool(false));
    }
}
}  // namespace

int CLS_RemoteDBHandler::BackupDatabase(const QString& _strFilePath, const QList<QString>& _lstDbNames,
                                        QMap<QString, bool>& _mapResults)
{
    QJsonObject request;
    request.insert(QStringLiteral("filePath"), _strFilePath);
    request.insert(QStringLiteral("dbArray"), QJsonArray::fromStringList(_lstDbNames));
    QJsonObject data;
    const int iRet = MaintenanceExchange("CLS_RemoteDBHandler::BackupDatabase",
                                         QStringLiteral("BackupDatabase"), request, data);
    if (iRet == 0) {
        fillResults(data.value(QLatin1String("backupResult")).toArray(), _mapResults, false);
    } else {
        DL_LOG(2, "[%s]return:%s = %d", "CLS_RemoteDBHandler::BackupDatabase", "iRet", iRet);
    }
    return iRet;
}

int CLS_RemoteDBHandler::RestoreDatabase(QString& _strFilePath, const QList<QString>& _lstDbNames,
                                         QMap<QString, bool>& _mapResults, int _iTimeout)
{
    QJsonObject request;
    request.insert(QStringLiteral("filePath"), _strFilePath);
    if (_strFilePath.isEmpty()) {
        request.insert(QStringLiteral("RestoreDefault"), true);
    }
    request.insert(QStringLiteral("timeout"), _iTimeout);
    request.insert(QStringLiteral("dbArray"), QJsonArray::fromStringList(_lstDbNames));
    QJsonObject data;
    const int iRet = MaintenanceExchange("CLS_RemoteDBHandler::RestoreDatabase",
                                         QStringLiteral("RestoreDatabase"), request, data);
    if (iRet == 0) {
        fillResults(data.value(QLatin1String("restoreResult")).toArray(), _mapResults, true);
    } else {
        DL_LOG(2, "[%s]return:%s = %d", "CLS_RemoteDBHandler::RestoreDatabase", "iRet", iRet);
    }
    return iRet;
}

int CLS_RemoteDBHandler::GetAllNetworkInfo(QList<_NetworkInfo*>& _lstInfo)
{
    QJsonObject data;
    int iRet = MaintenanceExchange("CLS_RemoteDBHandler::GetAllNetworkInfo",
                                   QStringLiteral("GetAllNetworkInfo"), QJsonObject(), data);
    if (iRet == 0) {
        iRet = AnswerRetCode(data);
        const QJsonValue netInfo = data.value(QLatin1String("netInfo"));
        if (netInfo.isArray()) {
            for (const QJsonValue& item : netInfo.toArray()) {
                auto* pInfo = new _NetworkInfo();
                fillInterface(item.toObject(), *pInfo);
                _lstInfo.append(pInfo);
            }
        }
    }
    if (iRet != 0) {
        DL_LOG(2, "[%s]return:%s = %d", "CLS_RemoteDBHandler::GetAllNetworkInfo", "iRet", iRet);
    }
    return iRet;
}

int CLS_RemoteDBHandler::GetSystemStatusByName(const QString& _strName, _NetworkInfo*& _pInfo)
{
    QJsonObject request;
    request.insert(QStringLiteral("name"), _strName);
    QJsonObject data;
    int iRet = MaintenanceExchange("CLS_RemoteDBHandler::GetSystemStatusByName",
                                   QStringLiteral("GetSystemStatusByName"), request, data);
    if (iRet == 0) {
        iRet = AnswerRetCode(data);
        if (_pInfo == nullptr) {
            _pInfo = new _NetworkInfo();
        }
        fillInterface(data, *_pInfo);
        for (const QJsonValue& item : data.value(QLatin1String("status")).toArray()) {
            const QJsonObject obj = item.toObject();
            auto* pSample = new _SystemStatus();
            pSample->dMemUsage = obj.value(QLatin1String("MemUsage")).toDouble(0.0);
            pSample->dCpuUsage = obj.value(QLatin1String("CpuUsage")).toDouble(0.0);
            pSample->iRxByte = obj.value(QLatin1String("RxByte")).toInt(0);
            pSample->iTxByte = obj.value(QLatin1String("TxByte")).toInt(0);
            pSample->strDateTime = obj.value(QLatin1String("dateTime")).toString();
            _pInfo->lstStatus.append(pSample);
        }
    }
    if (iRet != 0) {
        DL_LOG(2, "[%s]return:%s = %d", "CLS_RemoteDBHandler::GetSystemStatusByName", "iRet", iRet);
    }
    return iRet;
}

int CLS_RemoteDBHandler::GetServerStatus(QJsonObject& _jsonStatus)
{
    if (!IsConnectionVaild()) {
        DL_LOG(2, "%s Connection invalid.", "CLS_RemoteDBHandler::GetServerStatus");
        return -1;
    }
    QString strAnswer;
    QJsonObject data;
    int iRet = Send(QStringLiteral("ServerStatus"), QJsonObject(), strAnswer, kStatusTimeoutS);
    if (iRet == 0) {
        iRet = GetResponseData(strAnswer, data);
    }
    if (iRet == 0) {
        iRet = AnswerRetCode(data);
    }
    if (iRet != 0) {
        DL_LOG(2, "[%s]return:%s = %d", "CLS_RemoteDBHandler::GetServerStatus", "iRet", iRet);
        return iRet;
    }
    data.remove(QStringLiteral("ret"));
    _jsonStatus = data;
    return 0;
}
