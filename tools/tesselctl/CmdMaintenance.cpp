// backup, restore, download, upload, netinfo, sysstatus: the mediator's maintenance and host
// status operations.
#include "CtlCommand.h"

#include "I_DataMediator.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

int printResults(const QMap<QString, bool>& _mapResults, bool _bJson)
{
    bool bAllOk = !_mapResults.isEmpty();
    QJsonObject obj;
    for (auto it = _mapResults.cbegin(); it != _mapResults.cend(); ++it) {
        obj.insert(it.key(), it.value());
        bAllOk = bAllOk && it.value();
        if (!_bJson) {
            ctlOut() << it.key() << (it.value() ? " ok\n" : " FAILED\n");
        }
    }
    if (_bJson) {
        ctlOut() << QJsonDocument(obj).toJson(QJsonDocument::Compact) << "\n";
    }
    return bAllOk ? 0 : 1;
}

int runBackup(CtlContext& _ctx)
{
    if (_ctx.args.size() < 2) {
        ctlErr() << "tesselctl: backup takes DIR and at least one DB\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    QMap<QString, bool> mapResults;
    const int iRet = _ctx.mediator->BackupDatabase(_ctx.args[0], _ctx.args.mid(1), mapResults);
    if (iRet != 0) {
        ctlErr() << "tesselctl: backup failed (" << iRet << ")\n";
        return 1;
    }
    return printResults(mapResults, _ctx.json);
}

int runRestore(CtlContext& _ctx)
{
    // "restore DB..." restores the pristine databases; "restore DIR DB..." restores from DIR.
    if (_ctx.args.isEmpty()) {
        ctlErr() << "tesselctl: restore takes [DIR] DB...\n";
        return 2;
    }
    QString strDir;
    QStringList lstDbs = _ctx.args;
    if (lstDbs.first().contains('/')) {
        strDir = lstDbs.takeFirst();
    }
    if (lstDbs.isEmpty()) {
        ctlErr() << "tesselctl: restore needs at least one DB\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    QMap<QString, bool> mapResults;
    const int iRet = _ctx.mediator->RestoreDatabase(strDir, lstDbs, mapResults, 600);
    if (iRet != 0) {
        ctlErr() << "tesselctl: restore failed (" << iRet << ")\n";
        return 1;
    }
    return printResults(mapResults, _ctx.json);
}

int runDownload(CtlContext& _ctx)
{
    if (_ctx.args.size() != 1) {
        ctlErr() << "tesselctl: download takes DIR\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    QMap<QString, QVariant> mapData;
    const int iRet = _ctx.mediator->DownLoadDB(mapData);
    if (iRet != 0) {
        ctlErr() << "tesselctl: download failed (" << iRet << ")\n";
        return 1;
    }
    QDir().mkpath(_ctx.args[0]);
    for (auto it = mapData.cbegin(); it != mapData.cend(); ++it) {
        QFile file(QDir(_ctx.args[0]).filePath(it.key() + ".db"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            ctlErr() << "tesselctl: cannot write " << file.fileName() << "\n";
            return 1;
        }
        file.write(QByteArray::fromBase64(it.value().toString().toLatin1()));
        ctlOut() << it.key() << " -> " << file.fileName() << "\n";
    }
    return 0;
}

int runUpload(CtlContext& _ctx)
{
    if (_ctx.args.size() < 2) {
        ctlErr() << "tesselctl: upload takes DIR and at least one DB\n";
        return 2;
    }
    QMap<QString, QVariant> mapData;
    for (const QString& strDb : _ctx.args.mid(1)) {
        QFile file(QDir(_ctx.args[0]).filePath(strDb + ".db"));
        if (!file.open(QIODevice::ReadOnly)) {
            ctlErr() << "tesselctl: cannot read " << file.fileName() << "\n";
            return 1;
        }
        mapData.insert(strDb, QString::fromLatin1(file.readAll().toBase64()));
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    QMap<QString, int> mapResults;
    const int iRet = _ctx.mediator->UploadDB(mapData, mapResults);
    if (iRet != 0) {
        ctlErr() << "tesselctl: upload failed (" << iRet << ")\n";
        return 1;
    }
    bool bAllOk = !mapResults.isEmpty();
    for (auto it = mapResults.cbegin(); it != mapResults.cend(); ++it) {
        ctlOut() << it.key() << " " << it.value() << (it.value() == 0 ? " ok\n" : " refused\n");
        bAllOk = bAllOk && it.value() == 0;
    }
    return bAllOk ? 0 : 1;
}

QJsonObject interfaceJson(const _NetworkInfo& _info)
{
    QJsonObject obj{{"Ifrname", _info.strIfrName}, {"Ipv4Addr", _info.strIpv4Addr},
                    {"Ipv4Mask", _info.strIpv4Mask}, {"Ipv4Gateway", _info.strIpv4Gateway},
                    {"mac", _info.strMac},           {"mtu", _info.strMtu},
                    {"connectState", _info.strConnectState}, {"firstDns", _info.strFirstDns},
                    {"DHCPStatus", _info.strDHCPStatus}};
    QJsonArray samples;
    for (const _SystemStatus* pSample : _info.lstStatus) {
        samples.append(QJsonObject{{"MemUsage", pSample->dMemUsage}, {"CpuUsage", pSample->dCpuUsage},
                                   {"RxByte", pSample->iRxByte},     {"TxByte", pSample->iTxByte},
                                   {"dateTime", pSample->strDateTime}});
    }
    if (!samples.isEmpty()) {
        obj.insert("status", samples);
    }
    return obj;
}

void printInterface(const _NetworkInfo& _info)
{
    ctlOut() << _info.strIfrName << "  inet " << _info.strIpv4Addr << "/" << _info.strIpv4Mask << "  gw "
             << _info.strIpv4Gateway << "  mac " << _info.strMac << "  mtu " << _info.strMtu << "  state "
             << _info.strConnectState << "  dns " << _info.strFirstDns << "  dhcp " << _info.strDHCPStatus << "\n";
    for (const _SystemStatus* pSample : _info.lstStatus) {
        ctlOut() << "  " << pSample->strDateTime << "  mem " << pSample->dMemUsage << "%  cpu " << pSample->dCpuUsage
                 << "%  rx " << pSample->iRxByte << "  tx " << pSample->iTxByte << "\n";
    }
}

int runNetinfo(CtlContext& _ctx)
{
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    QList<_NetworkInfo*> lstInfo;
    const int iRet = _ctx.mediator->GetAllNetworkInfo(lstInfo);
    QJsonArray array;
    for (const _NetworkInfo* pInfo : lstInfo) {
        if (_ctx.json) {
            array.append(interfaceJson(*pInfo));
        } else {
            printInterface(*pInfo);
        }
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(array).toJson(QJsonDocument::Indented);
    }
    qDeleteAll(lstInfo);
    if (iRet != 0) {
        ctlErr() << "tesselctl: netinfo failed (" << iRet << ")\n";
    }
    return iRet == 0 ? 0 : 1;
}

int runSysstatus(CtlContext& _ctx)
{
    if (_ctx.args.size() != 1) {
        ctlErr() << "tesselctl: sysstatus takes IFNAME\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    _NetworkInfo* pInfo = nullptr;
    const int iRet = _ctx.mediator->GetSystemStatusByName(_ctx.args[0], pInfo);
    if (pInfo != nullptr) {
        if (_ctx.json) {
            ctlOut() << QJsonDocument(interfaceJson(*pInfo)).toJson(QJsonDocument::Indented);
        } else {
            printInterface(*pInfo);
        }
        delete pInfo;
    }
    if (iRet != 0) {
        ctlErr() << "tesselctl: sysstatus failed (" << iRet << ")\n";
    }
    return iRet == 0 ? 0 : 1;
}

}  // namespace

TESSELCTL_COMMAND("backup", "DIR DB...", "back the databases up into DIR on the server host", &runBackup);
TESSELCTL_COMMAND("restore", "[DIR] DB...", "restore from DIR on the server host, or the pristine databases",
                  &runRestore);
TESSELCTL_COMMAND("download", "DIR", "download every database into DIR here", &runDownload);
TESSELCTL_COMMAND("upload", "DIR DB...", "replace the databases by DIR/<DB>.db from here", &runUpload);
TESSELCTL_COMMAND("netinfo", "", "list the server host's network interfaces", &runNetinfo);
TESSELCTL_COMMAND("sysstatus", "IFNAME", "one interface of the server host with its load samples", &runSysstatus);
