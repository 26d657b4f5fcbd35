// hosts: one page of video hosts with their numbers of channels, alarm inputs and outputs,
// through the mediator.
#include "CtlCommand.h"

#include "I_DataMediator.h"
#include "VideoItem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString text(const std::string& _strValue)
{
    return QString::fromStdString(_strValue);
}

bool parsePositive(const QString& _strArg, int& _iValue)
{
    bool bOk = false;
    _iValue = _strArg.toInt(&bOk);
    return bOk && _iValue >= 1;
}

int runHosts(CtlContext& _ctx)
{
    int iPage = 1;
    int iPageSize = 20;
    if (_ctx.args.size() > 2 || (_ctx.args.size() >= 1 && !parsePositive(_ctx.args[0], iPage)) ||
        (_ctx.args.size() == 2 && !parsePositive(_ctx.args[1], iPageSize))) {
        ctlErr() << "tesselctl: hosts takes [PAGE [SIZE]], both from 1\n";
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    const int iPages = _ctx.mediator->GetHostPageCount(iPageSize);
    if (iPages < 0) {
        ctlErr() << "tesselctl: hosts failed (" << iPages << ")\n";
        return 1;
    }
    QVector<STRCT_VideoHost*> vecHosts;
    const int iRet = _ctx.mediator->GetHostPageItems(iPageSize, iPage, vecHosts);
    if (iRet != 0) {
        ctlErr() << "tesselctl: hosts failed (" << iRet << ")\n";
        return 1;
    }
    if (_ctx.json) {
        QJsonArray array;
        for (const STRCT_VideoHost* pHost : vecHosts) {
            array.append(QJsonObject{{"id", text(pHost->m_strID)},
                                     {"caption", text(pHost->m_strCaption)},
                                     {"ip", text(pHost->m_strIP)},
                                     {"port", pHost->m_iPort},
                                     {"devType", pHost->m_iHostDevType},
                                     {"hostType", text(pHost->m_strHostTypeName)},
                                     {"channels", text(pHost->m_strChannelCount).toInt()},
                                     {"alarmIns", text(pHost->m_strAlarmInCount).toInt()},
                                     {"alarmOuts", text(pHost->m_strAlarmOutCount).toInt()}});
        }
        ctlOut() << QJsonDocument(
                        QJsonObject{
                            {"page", iPage}, {"pages", iPages}, {"pageSize", iPageSize}, {"hosts", array}})
                        .toJson(QJsonDocument::Indented);
    } else {
        ctlOut() << "page " << iPage << " of " << iPages << " (" << iPageSize << " per page)\n";
        for (const STRCT_VideoHost* pHost : vecHosts) {
            ctlOut() << text(pHost->m_strIP) << ":" << pHost->m_iPort << "  " << text(pHost->m_strCaption)
                     << "  [" << text(pHost->m_strID) << "]  type " << pHost->m_iHostDevType << "  channels "
                     << text(pHost->m_strChannelCount) << "  alarm in " << text(pHost->m_strAlarmInCount)
                     << "  alarm out " << text(pHost->m_strAlarmOutCount) << "\n";
        }
    }
    qDeleteAll(vecHosts);
    return 0;
}

}  // namespace

TESSELCTL_COMMAND("hosts", "[PAGE [SIZE]]",
                  "one page of video hosts (by address) with their channel and alarm point counts", &runHosts,
                  "Examples:\n"
                  "  tesselctl --user admin hosts\n"
                  "  tesselctl --user admin --json hosts 2 50\n");
