// alarms, alarm-types, links: the alarm log (search with filters and paging, count), the
// adapter alarm types with their levels, and the linkage rules of the logged-in user.
#include "CtlCommand.h"

#include "I_DataMediator.h"
#include "VideoItem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

namespace {

void printJson(const QJsonValue& _value)
{
    const QJsonDocument doc = _value.isArray() ? QJsonDocument(_value.toArray()) : QJsonDocument(_value.toObject());
    ctlOut() << doc.toJson(QJsonDocument::Compact) << "\n";
}

bool needUser(CtlContext& _ctx, const char* _pszCommand)
{
    if (_ctx.user.isEmpty()) {
        ctlErr() << "tesselctl: " << _pszCommand << " needs --user NAME and --password PASSWORD\n";
        return false;
    }
    return _ctx.connectAndLogin() == 0;
}

bool parseInt(const QString& _strText, int& _iValue)
{
    bool bOk = false;
    _iValue = _strText.toInt(&bOk);
    return bOk;
}

// KEY=VALUE filters of the alarm search; false (reason printed) for an unknown key or bad value.
bool parseFilters(const QStringList& _lstArgs, STRCT_AlarmSearchCondition& _c)
{
    for (const QString& strArg : _lstArgs) {
        const int iEq = strArg.indexOf('=');
        const QString strKey = strArg.left(iEq);
        const QString strValue = iEq < 0 ? QString() : strArg.mid(iEq + 1);
        int iValue = 0;
        bool bOk = true;
        if (iEq <= 0) {
            bOk = false;
        } else if (strKey == "from") {
            _c.m_strStartTime = strValue;
        } else if (strKey == "to") {
            _c.m_strEndTime = strValue;
        } else if (strKey == "caption") {
            _c.m_strCameraCaption = strValue;
        } else if (strKey == "deal-user") {
            _c.m_strDealUserID = strValue;
        } else if (strKey == "state" && parseInt(strValue, iValue)) {
            _c.m_iDealState = iValue;
        } else if (strKey == "type" && parseInt(strValue, iValue)) {
            _c.m_iAlarmType = iValue;
        } else if (strKey == "page" && parseInt(strValue, iValue) && iValue >= 1) {
            _c.m_iPageNum = iValue;
        } else if (strKey == "size" && parseInt(strValue, iValue) && iValue >= 1) {
            _c.m_iPageSize = iValue;
        } else if (strKey == "levels") {
            bool* const apLevels[5] = {&_c.m_bLevel1, &_c.m_bLevel2, &_c.m_bLevel3, &_c.m_bLevel4, &_c.m_bLevel5};
            for (bool* p : apLevels) {
                *p = false;
            }
            for (const QString& strLevel : strValue.split(',', Qt::SkipEmptyParts)) {
                bOk = bOk && parseInt(strLevel, iValue) && iValue >= 1 && iValue <= 5;
                if (bOk) {
                    *apLevels[iValue - 1] = true;
                }
            }
        } else {
            bOk = false;
        }
        if (!bOk) {
            ctlErr() << "tesselctl: bad filter " << strArg
                     << " (from=, to=, caption=, deal-user=, state=N, levels=1,2,.., type=N, page=N, size=N)\n";
            return false;
        }
    }
    return true;
}

int runAlarms(CtlContext& _ctx)
{
    QStringList lstArgs = _ctx.args;
    const bool bCount = !lstArgs.isEmpty() && lstArgs.first() == "count";
    if (bCount) {
        lstArgs.removeFirst();
    }
    STRCT_AlarmSearchCondition condition;
    if (!parseFilters(lstArgs, condition)) {
        return 2;
    }
    if (_ctx.connectAndLogin() != 0) {
        return 1;
    }
    if (bCount) {
        const int iCount = _ctx.mediator->GetAlarmRecordCount(condition);
        if (_ctx.json) {
            printJson(QJsonObject{{"count", iCount}});
        } else {
            ctlOut() << iCount << "\n";
        }
        return 0;
    }
    QVector<STRCT_AlarmRecord> vecRecords;
    if (!_ctx.mediator->SearchAlarmRecord(condition, vecRecords)) {
        ctlErr() << "tesselctl: the search failed (no level selected, or no answer)\n";
        return 1;
    }
    if (_ctx.json) {
        QJsonArray arr;
        for (const STRCT_AlarmRecord& r : vecRecords) {
            arr.append(QJsonObject{{"id", r.m_strID},
                                   {"time", r.m_strAlarmTime},
                                   {"camera", r.m_strCameraID},
                                   {"caption", r.m_strCameraCaption},
                                   {"type", r.m_iAlarmType},
                                   {"level", r.m_iLevel},
                                   {"state", r.m_iDealState},
                                   {"dealUser", r.m_strDealUserID},
                                   {"dealTime", r.m_strDealTime},
                                   {"dealCaption", r.m_strDealCaption}});
        }
        printJson(arr);
    } else {
        for (const STRCT_AlarmRecord& r : vecRecords) {
            ctlOut() << r.m_strAlarmTime << "  level " << r.m_iLevel << "  type " << r.m_iAlarmType << "  state "
                     << r.m_iDealState << "  " << r.m_strCameraCaption << "  " << r.m_strID << "\n";
        }
        ctlOut() << vecRecords.size() << " record(s), page " << condition.m_iPageNum << "\n";
    }
    return 0;
}

int runAlarmTypes(CtlContext& _ctx)
{
    if (_ctx.args.size() > 1) {
        ctlErr() << "tesselctl: alarm-types takes [LANGUAGE]\n";
        return 2;
    }
    if (_ctx.connectMediator() != 1) {
        ctlErr() << "tesselctl: no connection to the database server\n";
        return 1;
    }
    const AdapterAlarmInfoMap* pMap = _ctx.mediator->GetAllAdapterAlarmInfo(_ctx.args.value(0, "EN"));
    QJsonArray arr;
    for (const STRCT_AdapterAlarmInfo* p : *pMap) {
        if (_ctx.json) {
            arr.append(QJsonObject{{"id", p->m_iId},
                                   {"caption", p->m_strCaption},
                                   {"level", p->m_iLevel},
                                   {"mainType", p->m_iMainAlarmType},
                                   {"filterAlarming", p->m_bFilterAlarming},
                                   {"deal", p->m_bIsDeal}});
        } else {
            ctlOut() << p->m_iId << "  level " << p->m_iLevel << "  main type " << p->m_iMainAlarmType << "  "
                     << p->m_strCaption << "\n";
        }
    }
    if (_ctx.json) {
        printJson(arr);
    }
    return pMap->isEmpty() ? 1 : 0;
}

QJsonObject linkJson(const STRCT_SingleAlarmLink& _link)
{
    return QJsonObject{{"id", _link.m_strId},           {"source", _link.m_strSrcObjId},
                       {"alarm", _link.m_iAdapterAlarmId}, {"alarmCaption", _link.m_strAlarmCaption},
                       {"action", _link.m_iActionType},  {"destination", _link.m_strDesObjId},
                       {"enable", _link.m_iEnable},      {"param", _link.m_strParam}};
}

int runLinks(CtlContext& _ctx)
{
    const QString strVerb = _ctx.args.value(0);
    int iAlarm = 0;
    int iAction = 0;
    const bool bShow = strVerb == "show" && _ctx.args.size() == 2;
    const bool bSet = strVerb == "set" && (_ctx.args.size() == 5 || _ctx.args.size() == 6) &&
                      parseInt(_ctx.args[2], iAlarm) && parseInt(_ctx.args[3], iAction);
    const bool bClear = strVerb == "clear" && _ctx.args.size() == 3 && parseInt(_ctx.args[2], iAlarm);
    if (!bShow && !bSet && !bClear) {
        ctlErr() << "tesselctl: links takes show ID | set SOURCE ALARM ACTION DESTINATION [PARAM-JSON] | "
                    "clear SOURCE ALARM\n";
        return 2;
    }
    if (!needUser(_ctx, "links")) {
        return 1;
    }
    I_DataMediator& m = *_ctx.mediator;
    m.GetAllAdapterAlarmInfo("EN");
    m.StartGetAlarmLinkInfo();  // -1 also when the user has no rules yet
    if (bShow) {
        // The object itself and, for a host of the user's tree, its channels and alarm points.
        QStringList lstSources{_ctx.args[1]};
        if (m.InitTreeNodeData() == 0) {
            QVector<STRCT_VideoItem*> vecChildren;
            m.GetChildItems(_ctx.args[1], vecChildren);
            for (const STRCT_VideoItem* pChild : vecChildren) {
                lstSources.append(QString::fromStdString(pChild->m_strID));
            }
        }
        QJsonArray arr;
        for (const QString& strSource : lstSources) {
            for (const auto& vecLinks : m.GetAlarmLinkCache().value(strSource)) {
                for (const STRCT_SingleAlarmLink* p : vecLinks) {
                    if (_ctx.json) {
                        arr.append(linkJson(*p));
                    } else {
                        ctlOut() << p->m_strSrcObjId << "  alarm " << p->m_iAdapterAlarmId << " ("
                                 << p->m_strAlarmCaption << ")  action " << p->m_iActionType << " -> "
                                 << p->m_strDesObjId << "  " << p->m_strParam << "\n";
                    }
                }
            }
        }
        if (_ctx.json) {
            printJson(arr);
        }
        return 0;
    }
    STRCT_SingleAlarmLink link;
    AlarmLinkMap mapLinks;
    QVector<STRCT_SingleAlarmLink*>& vecPair = mapLinks[_ctx.args[1]][iAlarm];
    if (bSet) {
        link.m_strId = QUuid::createUuid().toString(QUuid::Id128);
        link.m_strSrcObjId = _ctx.args[1];
        link.m_iAdapterAlarmId = iAlarm;
        link.m_iActionType = iAction;
        link.m_strDesObjId = _ctx.args[4];
        link.m_iEnable = 1;
        link.m_strParam = _ctx.args.value(5, "{}");
        vecPair.append(&link);
    }
    const int iRet = m.UpdateAlarmLinkInfo(&mapLinks);
    if (_ctx.json) {
        printJson(QJsonObject{{"ret", iRet}});
    } else if (iRet == 0) {
        ctlOut() << "rules of " << _ctx.args[1] << " for alarm " << iAlarm << (bSet ? " replaced\n" : " removed\n");
    } else {
        ctlErr() << "tesselctl: links " << strVerb << " failed (" << iRet << ")\n";
    }
    return iRet == 0 ? 0 : 1;
}

}  // namespace

TESSELCTL_COMMAND("alarms",
                  "[count] [from=T to=T caption=S deal-user=ID state=N levels=1,2 type=N page=N size=N]",
                  "search (or count) the alarm log, newest first", &runAlarms,
                  "Examples:\n"
                  "  tesselctl --user admin alarms from='2024-05-01 00:00:00' levels=1,2\n"
                  "  tesselctl --user admin alarms count state=0\n");
TESSELCTL_COMMAND("alarm-types", "[LANGUAGE]", "adapter alarm types with their levels and captions",
                  &runAlarmTypes,
                  "Examples:\n"
                  "  tesselctl alarm-types EN\n");
TESSELCTL_COMMAND("links", "show ID | set SOURCE ALARM ACTION DESTINATION [PARAM] | clear SOURCE ALARM",
                  "the logged-in user's alarm linkage rules of an object or host", &runLinks,
                  "Examples:\n"
                  "  tesselctl --user admin links show 4f0c...\n"
                  "  tesselctl --user admin links set 4f0c... 11 2 sound '{\"file\":\"net.wav\"}'\n");
