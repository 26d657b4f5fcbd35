// tree (hosts and decoders), add-host, update-host, delete-host, add-dev, delete-dev: the logged-in user's resource
// tree and the device maintenance of the mediator. Every command logs in (--user, --password)
// and loads the user's tree first, as a client does after its login.
#include "CtlCommand.h"

#include "I_DataMediator.h"
#include "VideoItem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

#include <algorithm>

// The user's custom or passenger-flow tree (CmdCustom.cpp).
void printCustomTree(CtlContext& _ctx, bool _bPassengerFlow);

namespace {

QString text(const std::string& _strValue)
{
    return QString::fromStdString(_strValue);
}

std::string utf8(const QString& _strValue)
{
    return _strValue.toStdString();
}

QString newId()
{
    return QUuid::createUuid().toString(QUuid::Id128);
}

bool parseCount(const QString& _strArg, int& _iValue)
{
    bool bOk = false;
    _iValue = _strArg.toInt(&bOk);
    return bOk && _iValue >= 0;
}

}  // namespace

// Logs in and loads the tree; false (with the reason printed) when either fails. Also used by
// the custom-tree commands (CmdCustom.cpp).
bool openTree(CtlContext& _ctx, const char* _pszCommand)
{
    if (_ctx.user.isEmpty()) {
        ctlErr() << "tesselctl: " << _pszCommand << " needs --user NAME and --password PASSWORD\n";
        return false;
    }
    if (_ctx.connectAndLogin() != 0) {
        return false;
    }
    const int iRet = _ctx.mediator->InitTreeNodeData();
    if (iRet != 0) {
        ctlErr() << "tesselctl: the resource tree of " << _ctx.user << " could not be loaded (" << iRet
                 << "; does the user have a role?)\n";
        return false;
    }
    return true;
}

namespace {

STRCT_VideoHost* findHost(I_DataMediator& _mediator, const QString& _strID)
{
    for (STRCT_VideoItem* pItem : _mediator.GetAllHostItems()) {
        if (text(pItem->m_strID) == _strID) {
            return static_cast<STRCT_VideoHost*>(pItem);
        }
    }
    return nullptr;
}

const char* typeName(const STRCT_VideoItem* _pItem)
{
    switch (_pItem->GetType()) {
        case vitChannel:
            return "channel";
        case vitAlarmIn:
            return "alarm-in";
        case vitAlarmOut:
            return "alarm-out";
        case vitDecoderOut:
            return "output";
        case vitEncoderIn:
            return "input";
        default:
            return "item";
    }
}

int numberOf(const STRCT_VideoItem* _pItem)
{
    switch (_pItem->GetType()) {
        case vitChannel:
            return static_cast<const STRCT_VideoChannel*>(_pItem)->m_iChannelNo;
        case vitAlarmIn:
            return static_cast<const STRCT_VideoAlarmIn*>(_pItem)->m_iAlarmNo;
        case vitAlarmOut:
            return static_cast<const STRCT_VideoAlarmOut*>(_pItem)->m_iAlarmNo;
        case vitDecoderOut:
            return static_cast<const STRCT_DecoderOut*>(_pItem)->m_iNum - 1;
        case vitEncoderIn:
            return static_cast<const STRCT_EncoderIn*>(_pItem)->m_iNum - 1;
        default:
            return 0;
    }
}

// The decoders of the tree with their inputs and outputs, each list in its sort order.
QVector<QPair<STRCT_VideoItem*, QVector<STRCT_VideoItem*>>> treeDecoders(I_DataMediator& _mediator)
{
    const auto bySort = [](const STRCT_VideoItem* a, const STRCT_VideoItem* b) { return a->m_iSortNum < b->m_iSortNum; };
    QVector<STRCT_VideoItem*> vecRoot;
    _mediator.GetChildItems("resource_root_id", vecRoot);
    std::stable_sort(vecRoot.begin(), vecRoot.end(), bySort);
    QVector<QPair<STRCT_VideoItem*, QVector<STRCT_VideoItem*>>> vecDecoders;
    for (STRCT_VideoItem* pItem : vecRoot) {
        if (pItem->GetType() == vitDecoder) {
            QVector<STRCT_VideoItem*> vecChildren;
            _mediator.GetChildItems(text(pItem->m_strID), vecChildren);
            std::stable_sort(vecChildren.begin(), vecChildren.end(), bySort);
            vecDecoders.append({pItem, vecChildren});
        }
    }
    return vecDecoders;
}

void printTree(CtlContext& _ctx)
{
    const auto vecDecoders = treeDecoders(*_ctx.mediator);
    QVector<STRCT_VideoItem*> vecHosts = _ctx.mediator->GetAllHostItems();
    std::stable_sort(
        vecHosts.begin(), vecHosts.end(),
        [](const STRCT_VideoItem* a, const STRCT_VideoItem* b) { return a->m_iSortNum < b->m_iSortNum; });
    if (_ctx.json) {
        QJsonArray hosts;
        for (const STRCT_VideoItem* pItem : vecHosts) {
            const auto* pHost = static_cast<const STRCT_VideoHost*>(pItem);
            QJsonArray children;
            for (const STRCT_VideoItem* pChild : pHost->m_vecChilds) {
                children.append(QJsonObject{{"type", typeName(pChild)},
                                            {"id", text(pChild->m_strID)},
                                            {"number", numberOf(pChild) + 1},
                                            {"caption", text(pChild->m_strCaption)}});
            }
            hosts.append(QJsonObject{{"id", text(pHost->m_strID)},
                                     {"caption", text(pHost->m_strCaption)},
                                     {"ip", text(pHost->m_strIP)},
                                     {"port", pHost->m_iPort},
                                     {"devType", pHost->m_iHostDevType},
                                     {"channels", text(pHost->m_strChannelCount).toInt()},
                                     {"alarmIns", text(pHost->m_strAlarmInCount).toInt()},
                                     {"alarmOuts", text(pHost->m_strAlarmOutCount).toInt()},
                                     {"children", children}});
        }
        QJsonArray decoders;
        for (const auto& decoder : vecDecoders) {
            const auto* pDec = static_cast<const STRCT_Decoder*>(decoder.first);
            QJsonArray children;
            for (const STRCT_VideoItem* pChild : decoder.second) {
                children.append(QJsonObject{{"type", typeName(pChild)},
                                            {"id", text(pChild->m_strID)},
                                            {"number", numberOf(pChild) + 1},
                                            {"caption", text(pChild->m_strCaption)}});
            }
            decoders.append(QJsonObject{{"id", text(pDec->m_strID)},
                                        {"caption", text(pDec->m_strCaption)},
                                        {"ip", text(pDec->m_strIP)},
                                        {"port", pDec->m_iPort},
                                        {"children", children}});
        }
        ctlOut() << QJsonDocument(QJsonObject{{"user", _ctx.user}, {"hosts", hosts}, {"decoders", decoders}})
                        .toJson(QJsonDocument::Indented);
        return;
    }
    ctlOut() << "resource tree of " << _ctx.user << ": " << vecHosts.size()
             << (vecHosts.size() == 1 ? " host\n" : " hosts\n");
    for (const STRCT_VideoItem* pItem : vecHosts) {
        const auto* pHost = static_cast<const STRCT_VideoHost*>(pItem);
        ctlOut() << "  host " << text(pHost->m_strIP) << ":" << pHost->m_iPort << "  \""
                 << text(pHost->m_strCaption) << "\"  [" << text(pHost->m_strID) << "]  type "
                 << pHost->m_iHostDevType << "  channels " << text(pHost->m_strChannelCount) << "  alarm-ins "
                 << text(pHost->m_strAlarmInCount) << "  alarm-outs " << text(pHost->m_strAlarmOutCount)
                 << "\n";
        for (const STRCT_VideoItem* pChild : pHost->m_vecChilds) {
            ctlOut() << "    " << QString(typeName(pChild)).leftJustified(9) << " " << numberOf(pChild) + 1
                     << "  \"" << text(pChild->m_strCaption) << "\"  [" << text(pChild->m_strID) << "]\n";
        }
    }
    if (!vecDecoders.isEmpty()) {
        ctlOut() << vecDecoders.size() << (vecDecoders.size() == 1 ? " decoder\n" : " decoders\n");
    }
    for (const auto& decoder : vecDecoders) {
        const auto* pDec = static_cast<const STRCT_Decoder*>(decoder.first);
        ctlOut() << "  decoder " << text(pDec->m_strIP) << ":" << pDec->m_iPort << "  \"" << text(pDec->m_strCaption)
                 << "\"  [" << text(pDec->m_strID) << "]\n";
        for (const STRCT_VideoItem* pChild : decoder.second) {
            ctlOut() << "    " << QString(typeName(pChild)).leftJustified(9) << " " << numberOf(pChild) + 1
                     << "  \"" << text(pChild->m_strCaption) << "\"  [" << text(pChild->m_strID) << "]\n";
        }
    }
}

int runTree(CtlContext& _ctx)
{
    if (!_ctx.args.isEmpty()) {
        ctlErr() << "tesselctl: tree takes no arguments\n";
        return 2;
    }
    const bool bCustom = _ctx.parser->isSet("custom");
    const bool bPassengerFlow = _ctx.parser->isSet("passenger-flow");
    if (bCustom && bPassengerFlow) {
        ctlErr() << "tesselctl: tree takes --custom or --passenger-flow, not both\n";
        return 2;
    }
    if (!openTree(_ctx, "tree")) {
        return 1;
    }
    if (bCustom || bPassengerFlow) {
        printCustomTree(_ctx, bPassengerFlow);
    } else {
        printTree(_ctx);
    }
    return 0;
}

// Applies NAME=VALUE settings to a host item; false with the reason printed for a bad one.
bool applyHostSettings(const QStringList& _lstSettings, STRCT_VideoHost& _host)
{
    for (const QString& strSetting : _lstSettings) {
        const int iEq = strSetting.indexOf('=');
        const QString strName = strSetting.left(iEq);
        const QString strValue = strSetting.mid(iEq + 1);
        int iValue = 0;
        if (iEq <= 0) {
            ctlErr() << "tesselctl: bad setting " << strSetting << " (expected NAME=VALUE)\n";
            return false;
        }
        if (strName == "ip") {
            _host.m_strIP = utf8(strValue);
        } else if (strName == "caption") {
            _host.m_strCaption = utf8(strValue);
        } else if (strName == "user") {
            _host.m_strUserName = utf8(strValue);
        } else if (strName == "password") {
            _host.m_strPassword = utf8(strValue);
        } else if (strName == "domain") {
            _host.m_strDomain = utf8(strValue);
        } else if (strName == "port" && parseCount(strValue, iValue) && iValue > 0 && iValue < 65536) {
            _host.m_iPort = iValue;
        } else if (strName == "channels" && parseCount(strValue, iValue)) {
            _host.m_strChannelCount = utf8(strValue);
        } else if (strName == "alarm-ins" && parseCount(strValue, iValue)) {
            _host.m_strAlarmInCount = utf8(strValue);
        } else if (strName == "alarm-outs" && parseCount(strValue, iValue)) {
            _host.m_strAlarmOutCount = utf8(strValue);
        } else {
            ctlErr() << "tesselctl: bad setting " << strSetting << "\n";
            return false;
        }
    }
    return true;
}

int runAddHost(CtlContext& _ctx)
{
    int iPort = 0;
    int iChannels = 0;
    int iAlarmIns = 0;
    int iAlarmOuts = 0;
    if (_ctx.args.size() < 7 || _ctx.args.size() > 9 || !parseCount(_ctx.args[1], iPort) || iPort == 0 ||
        iPort > 65535 || !parseCount(_ctx.args[4], iChannels) || !parseCount(_ctx.args[5], iAlarmIns) ||
        !parseCount(_ctx.args[6], iAlarmOuts)) {
        ctlErr() << "tesselctl: add-host takes ADDRESS PORT USER PASSWORD CHANNELS ALARM-INS ALARM-OUTS "
                    "[CAPTION [DEVTYPE]]\n";
        return 2;
    }
    int iDevType = 1;
    if (_ctx.args.size() == 9 && !parseCount(_ctx.args[8], iDevType)) {
        ctlErr() << "tesselctl: DEVTYPE is a number\n";
        return 2;
    }
    if (!openTree(_ctx, "add-host")) {
        return 1;
    }
    STRCT_VideoHost host;
    host.m_strID = utf8(newId());
    host.m_strIP = utf8(_ctx.args[0]);
    host.m_iPort = iPort;
    host.m_strUserName = utf8(_ctx.args[2]);
    host.m_strPassword = utf8(_ctx.args[3]);
    host.m_strCaption = utf8(_ctx.args.size() >= 8 ? _ctx.args[7] : _ctx.args[0]);
    host.m_iHostDevType = iDevType;
    host.m_iDevType = iDevType;
    int iRet = _ctx.mediator->InsertHost(&host);
    if (iRet == 0) {
        // The host's children are made by asking for their numbers.
        host.m_strChannelCount = std::to_string(iChannels);
        host.m_strAlarmInCount = std::to_string(iAlarmIns);
        host.m_strAlarmOutCount = std::to_string(iAlarmOuts);
        iRet = _ctx.mediator->UpdateHost(&host);
    }
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"ret", iRet}, {"id", text(host.m_strID)}})
                        .toJson(QJsonDocument::Compact)
                 << "\n";
    } else if (iRet == 0) {
        ctlOut() << "host " << text(host.m_strID) << " added: " << iChannels << " channels, " << iAlarmIns
                 << " alarm inputs, " << iAlarmOuts << " alarm outputs\n";
    } else {
        ctlErr() << "tesselctl: add-host failed (" << iRet << ")\n";
    }
    return iRet == 0 ? 0 : 1;
}

int runUpdateHost(CtlContext& _ctx)
{
    if (_ctx.args.size() < 2) {
        ctlErr()
            << "tesselctl: update-host takes ID and at least one of ip=, port=, user=, password=, caption=, "
               "domain=, channels=, alarm-ins=, alarm-outs=\n";
        return 2;
    }
    if (!openTree(_ctx, "update-host")) {
        return 1;
    }
    const STRCT_VideoHost* pHost = findHost(*_ctx.mediator, _ctx.args[0]);
    if (pHost == nullptr) {
        ctlErr() << "tesselctl: no host " << _ctx.args[0] << " in the tree of " << _ctx.user << "\n";
        return 1;
    }
    // The item stays the tree's; the change is made on a copy, without its children, and
    // without counters unless they are asked for.
    STRCT_VideoHost update = *pHost;
    update.m_vecChilds.clear();
    update.m_strChannelCount.clear();
    update.m_strAlarmInCount.clear();
    update.m_strAlarmOutCount.clear();
    if (!applyHostSettings(_ctx.args.mid(1), update)) {
        return 2;
    }
    const int iRet = _ctx.mediator->UpdateHost(&update);
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"ret", iRet}}).toJson(QJsonDocument::Compact) << "\n";
    } else if (iRet == 0) {
        const STRCT_VideoHost* pChanged = findHost(*_ctx.mediator, _ctx.args[0]);
        ctlOut() << "host " << _ctx.args[0] << " updated: " << text(pChanged->m_strChannelCount)
                 << " channels, " << text(pChanged->m_strAlarmInCount) << " alarm inputs, "
                 << text(pChanged->m_strAlarmOutCount) << " alarm outputs\n";
    } else {
        ctlErr() << "tesselctl: update-host failed (" << iRet << ")\n";
    }
    return iRet == 0 ? 0 : 1;
}

int runDeleteHost(CtlContext& _ctx)
{
    if (_ctx.args.size() != 1) {
        ctlErr() << "tesselctl: delete-host takes ID\n";
        return 2;
    }
    if (!openTree(_ctx, "delete-host")) {
        return 1;
    }
    bool bExists = false;
    if (!ctlObjectExists(_ctx, _ctx.args[0], bExists)) {
        return 1;
    }
    if (!bExists) {
        return _ctx.fail(QStringLiteral("host %1 not found").arg(_ctx.args[0]));
    }
    const int iRet = _ctx.mediator->DeleteHost(_ctx.args[0]);
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"ret", iRet}}).toJson(QJsonDocument::Compact) << "\n";
    } else if (iRet == 0) {
        ctlOut() << "host " << _ctx.args[0] << " deleted with its channels and alarm points\n";
    } else {
        ctlErr() << "tesselctl: delete-host failed (" << iRet << ")\n";
    }
    return iRet == 0 ? 0 : 1;
}

int runAddDev(CtlContext& _ctx)
{
    int iType = 0;
    int iPort = 0;
    if (_ctx.args.size() < 5 || _ctx.args.size() > 9 || !parseCount(_ctx.args[1], iType) ||
        !parseCount(_ctx.args[4], iPort) || iPort > 65535) {
        ctlErr() << "tesselctl: add-dev takes NAME TYPE SN ADDRESS PORT [USER [PASSWORD [BRAND [ID]]]]\n";
        return 2;
    }
    if (!openTree(_ctx, "add-dev")) {
        return 1;
    }
    Common::STRCT_DevItem dev;
    dev.S_ID = utf8(_ctx.args.size() >= 9 ? _ctx.args[8] : newId());
    dev.S_NAME = utf8(_ctx.args[0]);
    dev.I_TYPE = iType;
    dev.S_SN = utf8(_ctx.args[2]);
    dev.S_IP = utf8(_ctx.args[3]);
    dev.I_PORT = iPort;
    dev.S_USERNAME = utf8(_ctx.args.value(5));
    dev.S_PASSWORD = utf8(_ctx.args.value(6));
    dev.S_BRAND = utf8(_ctx.args.value(7));
    const int iRet = _ctx.mediator->ModifyOrInsertDev(&dev);
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"ret", iRet}, {"id", text(dev.S_ID)}})
                        .toJson(QJsonDocument::Compact)
                 << "\n";
    } else if (iRet == 0) {
        ctlOut() << "device " << text(dev.S_ID) << " stored (type " << iType << ", channel " << text(dev.S_ID)
                 << "_0)\n";
    } else {
        ctlErr() << "tesselctl: add-dev failed (" << iRet << ")\n";
    }
    return iRet == 0 ? 0 : 1;
}

int runDeleteDev(CtlContext& _ctx)
{
    if (_ctx.args.size() != 1) {
        ctlErr() << "tesselctl: delete-dev takes ID\n";
        return 2;
    }
    if (!openTree(_ctx, "delete-dev")) {
        return 1;
    }
    bool bExists = false;
    if (!ctlObjectExists(_ctx, _ctx.args[0], bExists)) {
        return 1;
    }
    if (!bExists) {
        return _ctx.fail(QStringLiteral("device %1 not found").arg(_ctx.args[0]));
    }
    const int iRet = _ctx.mediator->DeleteDev(_ctx.args[0]);
    if (_ctx.json) {
        ctlOut() << QJsonDocument(QJsonObject{{"ret", iRet}}).toJson(QJsonDocument::Compact) << "\n";
    } else if (iRet == 0) {
        ctlOut() << "device " << _ctx.args[0] << " deleted\n";
    } else {
        ctlErr() << "tesselctl: delete-dev failed (" << iRet << ")\n";
    }
    return iRet == 0 ? 0 : 1;
}

}  // namespace

TESSELCTL_COMMAND("tree", "[--custom | --passenger-flow]",
                  "the logged-in user's resource tree: hosts with their channels and alarm points, decoders "
                  "with their inputs and outputs (or the user's custom or passenger-flow tree)",
                  &runTree,
                  "Examples:\n"
                  "  tesselctl --user admin tree\n"
                  "  tesselctl --user admin tree --custom\n");
TESSELCTL_COMMAND("add-host", "ADDR PORT USER PW CH AI AO [CAPTION [DEVTYPE]]",
                  "a video host with that many channels, alarm inputs and alarm outputs", &runAddHost,
                  "Examples:\n"
                  "  tesselctl --user admin add-host 192.168.1.64 3000 admin 'cam pw' 4 2 0 'Front gate'\n");
TESSELCTL_COMMAND(
    "update-host", "ID NAME=VALUE...",
    "change a host (ip, port, user, password, caption, domain, channels, alarm-ins, alarm-outs)",
    &runUpdateHost,
    "A host that does not exist is a failure (exit status 1).\n"
    "\n"
    "Examples:\n"
    "  tesselctl --user admin update-host 4f0c... caption='Back gate' channels=8\n");
TESSELCTL_COMMAND("delete-host", "ID", "delete a host with its channels and alarm points", &runDeleteHost,
                  "A host that does not exist is a failure (\"not found\", exit status 1).\n"
                  "\n"
                  "Examples:\n"
                  "  tesselctl --user admin delete-host 4f0c...\n");
TESSELCTL_COMMAND("add-dev", "NAME TYPE SN ADDR PORT [USER [PW [BRAND [ID]]]]",
                  "store a generic device (a new one, or the one of ID)", &runAddDev,
                  "Examples:\n"
                  "  tesselctl --user admin add-dev 'Door panel' 7 SN123 192.168.1.70 8000\n");
TESSELCTL_COMMAND("delete-dev", "ID", "delete a generic device", &runDeleteDev,
                  "A device that does not exist is a failure (\"not found\", exit status 1).\n"
                  "\n"
                  "Examples:\n"
                  "  tesselctl --user admin delete-dev 4f0c...\n");
