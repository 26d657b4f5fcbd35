// Alarm catalogue, linkage rules with their parameter parsers, alarm log and cached events:
// forwarders to the DAOs of DataBase/EntityDao/Alarm.
#include "CLS_DataAccess.h"

#include "DataBase/EntityDao/Alarm/CLS_AlarmActionEntityDAO.h"
#include "DataBase/EntityDao/Alarm/CLS_AlarmCatalogueDAO.h"
#include "DataBase/EntityDao/Alarm/CLS_AlarmRecordEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "Log.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>

using DeviceDao::Guarded;

namespace {

// The object of a parameter text; false (logged under the parser's name) when it does not parse.
bool parseParam(const char* _pszParser, const QString& _strParam, STRCT_SingleAlarmLink* _pLink, QJsonObject& _obj)
{
    if (_pLink == nullptr) {
        DL_LOG(3, "[CLS_DataAccess::%s]_pSingleAlarmLink == nullptr", _pszParser);
        return false;
    }
    QJsonParseError qjsonErr;
    const QJsonDocument qjsonDoc = QJsonDocument::fromJson(_strParam.toUtf8(), &qjsonErr);
    if (qjsonDoc.isNull() || (qjsonErr.error != QJsonParseError::NoError)) {
        DL_LOG(3, "[CLS_DataAccess::%s]qjsonDoc.isNull() || (qjsonErr.error != QJsonParseError::NoError)",
               _pszParser);
        return false;
    }
    _obj = qjsonDoc.object();
    return true;
}

// Whether every key is present; the first missing one is logged.
bool hasKeys(const char* _pszParser, const QJsonObject& _obj, std::initializer_list<const char*> _keys)
{
    for (const char* pszKey : _keys) {
        if (!_obj.contains(QLatin1String(pszKey))) {
            DL_LOG(3, "[CLS_DataAccess::%s]!qjsonObj.contains(%s)", _pszParser, pszKey);
            return false;
        }
    }
    return true;
}

// Installs a fresh parameter record in the link's slot (an earlier one is freed).
template <typename P>
P* freshParam(P*& _pSlot)
{
    delete _pSlot;
    _pSlot = new P();
    return _pSlot;
}

CLS_AlarmRecordSearchEntity toSearchEntity(const STRCT_AlarmSearchCondition& c)
{
    CLS_AlarmRecordSearchEntity s;
    s.m_strStartTime = c.m_strStartTime;
    s.m_strEndTime = c.m_strEndTime;
    s.m_strCameraCaption = c.m_strCameraCaption;
    s.m_strDealUserID = c.m_strDealUserID;
    s.m_iDealState = c.m_iDealState;
    const bool abLevels[5] = {c.m_bLevel1, c.m_bLevel2, c.m_bLevel3, c.m_bLevel4, c.m_bLevel5};
    std::copy(abLevels, abLevels + 5, s.m_bLevel);
    s.m_iPageSize = c.m_iPageSize;
    s.m_iPageNum = c.m_iPageNum;
    s.m_iAlarmType = c.m_iAlarmType;
    return s;
}

CLS_AlarmActionEntityDAO::SourceAlarmPairs pairsOf(const AlarmLinkMap& _mapLinks)
{
    CLS_AlarmActionEntityDAO::SourceAlarmPairs lstPairs;
    for (auto itSrc = _mapLinks.cbegin(); itSrc != _mapLinks.cend(); ++itSrc) {
        for (auto itAlarm = itSrc.value().cbegin(); itAlarm != itSrc.value().cend(); ++itAlarm) {
            lstPairs.append({itSrc.key(), itAlarm.key()});
        }
    }
    return lstPairs;
}

}  // namespace

// ---- alarm catalogue and linkage ----

int CLS_DataAccess::GetAllAdapterAlarmInfo(QString _strLangType, AdapterAlarmInfoMap* _pMap)
{
    if (_pMap == nullptr) {
        return -1;
    }
    return Guarded("CLS_DataAccess::GetAllAdapterAlarmInfo", -1, [&] {
        QVector<CLS_AdapterAlarmInfoEntity*> qvecAdapterAlarmInfoEntity;
        const int iRet = CLS_AlarmTypeEntityDAO::GetInstance()->GetAllAdapterAlarmInfo(_strLangType,
                                                                                      qvecAdapterAlarmInfoEntity);
        if (iRet < 0) {
            DL_LOG(2, "[CLS_DataAccess::GetAllAdapterAlarmInfo]iRet < 0");
            return iRet;
        }
        for (CLS_AdapterAlarmInfoEntity* pEntity : qAsConst(qvecAdapterAlarmInfoEntity)) {
            if (pEntity == nullptr) {
                DL_LOG(3, "qvecAdapterAlarmInfoEntity[i] == nullptr");
                continue;
            }
            // A reload updates an entry in place: the client may hold pointers to the entries.
            STRCT_AdapterAlarmInfo* pInfo = _pMap->value(pEntity->I_ID, nullptr);
            if (pInfo == nullptr) {
                pInfo = new STRCT_AdapterAlarmInfo();
                _pMap->insert(pEntity->I_ID, pInfo);
            }
            pInfo->m_iId = pEntity->I_ID;
            pInfo->m_bFilterAlarming = pEntity->I_IS_FILTERALARMING;
            pInfo->m_iLevel = pEntity->I_LEVEL;
            pInfo->m_strCaption = pEntity->S_CAPTION;
            pInfo->m_iMainAlarmType = pEntity->I_MAIN_ALARM_TYPE;
            pInfo->m_bIsDeal = pEntity->I_IS_DEAL;
        }
        qDeleteAll(qvecAdapterAlarmInfoEntity);
        return 0;
    });
}

int CLS_DataAccess::GetAllAlarmLevel(QList<CLS_AlarmLevelEntity*>* _pList)
{
    if (_pList == nullptr) {
        return -1;
    }
    return Guarded("CLS_DataAccess::GetAllAlarmLevel", -1, [&] {
        QList<CLS_AlarmLevelEntity*> qlistAlarmLevelEntity;
        const int iRet = CLS_AlarmLevelEntityDAO::GetInstance()->GetAllAlarmLevel(qlistAlarmLevelEntity);
        if (iRet < 0) {
            DL_LOG(2, "[CLS_DataAccess::GetAllAlarmLevel]iRet < 0");
            return iRet;
        }
        qDeleteAll(*_pList);
        _pList->clear();
        for (CLS_AlarmLevelEntity* pEntity : qAsConst(qlistAlarmLevelEntity)) {
            if (pEntity == nullptr) {
                DL_LOG(3, "qlistAlarmLevelEntity[i] == nullptr");
                continue;
            }
            _pList->append(pEntity);
        }
        return 0;
    });
}

int CLS_DataAccess::GetAllAlarmMainType(QList<CLS_AlarmMainTypeEntity*>& _lstOut)
{
    return Guarded("CLS_DataAccess::GetAllAlarmMainType", -1,
                   [&] { return CLS_AlarmMainTypeEntityDAO::GetInstance()->GetAllAlarmMainType(_lstOut); });
}

int CLS_DataAccess::GetAllAlarmSubType(QList<CLS_AlarmSubTypeEntity*>& _lstOut)
{
    return Guarded("CLS_DataAccess::GetAllAlarmSubType", -1,
                   [&] { return CLS_AlarmSubTypeEntityDAO::GetInstance()->GetAllAlarmSubType(_lstOut); });
}

int CLS_DataAccess::GetVideoHostInfo(QList<STRCT_VideoHostInfo>& _lstOut)
{
    return Guarded("CLS_DataAccess::GetVideoHostInfo", -1, [&] {
        QList<CLS_HostConfigEntity*> lstHosts;
        const int iRet = CLS_HostConfigEntityDAO::GetInstance()->GetAllHostConfig(lstHosts);
        if (iRet < 0) {
            DL_LOG(2, "CLS_DataAccess::GetVideoHostInfo iRet < 0");
            return iRet;
        }
        for (const CLS_HostConfigEntity* pCLSHostConfigEntity : qAsConst(lstHosts)) {
            if (pCLSHostConfigEntity == nullptr) {
                DL_LOG(3, "CLS_DataAccess::GetVideoHostInfo nullptr == pCLSHostConfigEntity");
                continue;
            }
            STRCT_VideoHostInfo info;
            info.m_iHostTypeId = pCLSHostConfigEntity->I_HOSTTYPEID;
            info.m_baFileName = pCLSHostConfigEntity->S_FILE_NAME.toUtf8();
            info.m_baCaption = pCLSHostConfigEntity->S_CAPTION.toUtf8();
            info.m_baWindowsPath = pCLSHostConfigEntity->S_PATH_WINDOWS.toUtf8();
            info.m_baMacPath = pCLSHostConfigEntity->S_PATH_MAC.toUtf8();
            info.m_baLoadToken = pCLSHostConfigEntity->S_DLL_LOADTOKEN.toUtf8();
            QList<CLS_AlarmTypeEntity*> lstTypes;
            if (CLS_AlarmTypeEntityDAO::GetInstance()->GetAlarmTypesOfHostType(info.m_iHostTypeId, lstTypes) < 0) {
                DL_LOG(2, "CLS_DataAccess::GetVideoHostInfo iRet < 0");
            }
            for (const CLS_AlarmTypeEntity* pCLSAlarmTypeEntity : qAsConst(lstTypes)) {
                if (pCLSAlarmTypeEntity == nullptr) {
                    DL_LOG(3, "CLS_DataAccess::GetVideoHostInfo nullptr == pCLSAlarmTypeEntity");
                    continue;
                }
                info.m_lstAlarmTypes.append(*pCLSAlarmTypeEntity);
            }
            qDeleteAll(lstTypes);
            _lstOut.append(info);
        }
        qDeleteAll(lstHosts);
        return 0;
    });
}

int CLS_DataAccess::UpdateAlarmTypeLevel(qint32 _iAdapterAlarmId, qint32 _iLevel)
{
    return Guarded("CLS_DataAccess::UpdateAlarmTypeLevel", -1, [&] {
        return CLS_AlarmTypeEntityDAO::GetInstance()->UpdateAlarmTypeLevel(_iAdapterAlarmId, _iLevel);
    });
}

int CLS_DataAccess::StartGetAlarmLinkInfo(QString _strUserID, AdapterAlarmInfoMap* _pAdapterMap,
                                          AlarmLinkMap* _pCache)
{
    if (_pAdapterMap == nullptr) {
        DL_LOG(3, "[CLS_DataAccess::StartGetAlarmLinkInfo]_pqmapAdapterAlarmInfo == nullptr");
        return -1;
    }
    return Guarded("CLS_DataAccess::StartGetAlarmLinkInfo", -1, [&] {
        QVector<CLS_AlarmActionEntity*> qvectAlarmActionEntity;
        const int iRet =
            CLS_AlarmActionEntityDAO::GetInstance()->StartGetAlarmLinkInfo(_strUserID, qvectAlarmActionEntity);
        if (iRet < 0 || qvectAlarmActionEntity.isEmpty()) {
            DL_LOG(2, "[CLS_DataAccess::StartGetAlarmLinkInfo]iRet < 0");
            qDeleteAll(qvectAlarmActionEntity);
            return -1;
        }
        struct Release {
            QVector<CLS_AlarmActionEntity*>& vec;
            ~Release() { qDeleteAll(vec); }
        } release{qvectAlarmActionEntity};
        for (const CLS_AlarmActionEntity* pEntity : qAsConst(qvectAlarmActionEntity)) {
            if (pEntity == nullptr) {
                DL_LOG(3, "[CLS_DataAccess::StartGetAlarmLinkInfo]qvectAlarmActionEntity[i] == nullptr");
                continue;
            }
            const auto itInfo = _pAdapterMap->constFind(pEntity->I_ADAPTER_ALARM_ID);
            if (itInfo == _pAdapterMap->constEnd()) {
                DL_LOG(3, "[CLS_DataAccess::StartGetAlarmLinkInfo]_pqmapAdapterAlarmInfo->find(%d) is not Find!!!",
                       pEntity->I_ADAPTER_ALARM_ID);
                continue;
            }
            const STRCT_AdapterAlarmInfo* pAdapterAlarmInfo = itInfo.value();
            if (pAdapterAlarmInfo == nullptr) {
                DL_LOG(3, "[CLS_DataAccess::StartGetAlarmLinkInfo]pAdapterAlarmInfo == nullptr");
                continue;
            }
            auto* pLink = new STRCT_SingleAlarmLink();
            pLink->m_strId = pEntity->S_ID;
            pLink->m_strSrcObjId = pEntity->S_SRC_OBJ_ID;
            pLink->m_iAdapterAlarmId = pEntity->I_ADAPTER_ALARM_ID;
            pLink->m_iActionType = pEntity->I_ACTION_TYPE_ID;
            pLink->m_iEnable = pEntity->I_ENABLE;
            pLink->m_strDesObjId = pEntity->S_DES_OBJ_ID;
            pLink->m_strParam = pEntity->S_PARAM;
            pLink->m_iCtrlWithArming = pEntity->I_CTRL_WITHDRAW_DEFENCE;
            pLink->m_iAlarmLevel = pAdapterAlarmInfo->m_iLevel;
            pLink->m_strAlarmCaption = pAdapterAlarmInfo->m_strCaption;
            pLink->m_iMainAlarmType = pAdapterAlarmInfo->m_iMainAlarmType;
            LoadAllAlarmLinkInfo(pLink, _pCache);
        }
        return 0;
    });
}

void CLS_DataAccess::LoadAllAlarmLinkInfo(STRCT_SingleAlarmLink* _pLink, AlarmLinkMap* _pCache)
{
    if (_pLink == nullptr) {
        DL_LOG(3, "[CLS_DataAccess::LoadAllAlarmLinkInfo]_pSingleAlarmLink == nullptr");
        return;
    }
    if (_pCache == nullptr) {
        // Nobody would own the link.
        DL_LOG(3, "[CLS_DataAccess::LoadAllAlarmLinkInfo]_pqmapAlarmLinkInfo == nullptr");
        delete _pLink;
        return;
    }
    switch (_pLink->m_iActionType) {
    case 2:
        ParseSoundLinkParam(_pLink->m_strParam, _pLink);
        break;
    case 3:
        ParseRecordLinkParam(_pLink->m_strParam, _pLink);
        break;
    case 11:
        ParseEmailLinkParam(_pLink->m_strParam, _pLink);
        break;
    case 18:
        ParseBallonTipsLinkParam(_pLink->m_strParam, _pLink);
        break;
    case 19:
        ParseAlarmVideoLinkParam(_pLink->m_strParam, _pLink);
        break;
    default:
        break;
    }
    (*_pCache)[_pLink->m_strSrcObjId][_pLink->m_iAdapterAlarmId].append(_pLink);
}

void CLS_DataAccess::ParseSoundLinkParam(const QString& _strParam, STRCT_SingleAlarmLink* _pSingleAlarmLink)
{
    QJsonObject qjsonObj;
    if (!parseParam("ParseSoundLinkParam", _strParam, _pSingleAlarmLink, qjsonObj)) {
        return;
    }
    STRCT_SoundLinkParam* pParam = freshParam(_pSingleAlarmLink->m_pSoundParam);
    if (hasKeys("ParseSoundLinkParam", qjsonObj, {"file"})) {
        pParam->m_strFile = qjsonObj.value("file").toString();
    }
}

void CLS_DataAccess::ParseRecordLinkParam(const QString& _strParam, STRCT_SingleAlarmLink* _pSingleAlarmLink)
{
    QJsonObject qjsonObj;
    if (!parseParam("ParseRecordLinkParam", _strParam, _pSingleAlarmLink, qjsonObj)) {
        return;
    }
    STRCT_RecordLinkParam* pParam = freshParam(_pSingleAlarmLink->m_pRecordParam);
    if (hasKeys("ParseRecordLinkParam", qjsonObj, {"DesChannelID"})) {
        pParam->m_strDesChannelID = qjsonObj.value("DesChannelID").toString();
    }
}

void CLS_DataAccess::ParseEmailLinkParam(const QString& _strParam, STRCT_SingleAlarmLink* _pSingleAlarmLink)
{
    QJsonObject qjsonObj;
    if (!parseParam("ParseEmailLinkParam", _strParam, _pSingleAlarmLink, qjsonObj)) {
        return;
    }
    STRCT_EmailLinkParam* pParam = freshParam(_pSingleAlarmLink->m_pEmailParam);
    if (hasKeys("ParseEmailLinkParam", qjsonObj, {"channelname", "emailsubject"})) {
        pParam->m_strChannelName = qjsonObj.value("channelname").toString();
        pParam->m_strEmailSubject = qjsonObj.value("emailsubject").toString();
    }
}

void CLS_DataAccess::ParseBallonTipsLinkParam(const QString& _strParam, STRCT_SingleAlarmLink* _pSingleAlarmLink)
{
    QJsonObject qjsonObj;
    if (!parseParam("ParseBallonTipsLinkParam", _strParam, _pSingleAlarmLink, qjsonObj)) {
        return;
    }
    STRCT_BallonTipsLinkParam* pParam = freshParam(_pSingleAlarmLink->m_pBallonTipsParam);
    if (hasKeys("ParseBallonTipsLinkParam", qjsonObj, {"channelname", "ballontipstitle"})) {
        pParam->m_strChannelName = qjsonObj.value("channelname").toString();
        pParam->m_strBallonTipsTitle = qjsonObj.value("ballontipstitle").toString();
    }
}

void CLS_DataAccess::ParseAlarmVideoLinkParam(const QString& _strParam, STRCT_SingleAlarmLink* _pSingleAlarmLink)
{
    QJsonObject qjsonObj;
    if (!parseParam("ParseAlarmVideoLinkParam", _strParam, _pSingleAlarmLink, qjsonObj)) {
        return;
    }
    STRCT_AlarmVideoLinkParam* pParam = freshParam(_pSingleAlarmLink->m_pAlarmVideoParam);
    if (hasKeys("ParseAlarmVideoLinkParam", qjsonObj, {"LinkVideoType"})) {
        pParam->m_iLinkVideoType = qjsonObj.value("LinkVideoType").toInt(0);
    }
}

int CLS_DataAccess::TableIsExist()
{
    return Guarded("CLS_DataAccess::TableIsExist", -1, [&] {
        return CLS_AlarmActionEntityDAO::GetInstance()->TableIsExist(CLS_AlarmActionEntityDAO::kTable);
    });
}

int CLS_DataAccess::CreateTableAlarmAction()
{
    return Guarded("CLS_DataAccess::CreateTableAlarmAction", -1, [&] {
        return CLS_AlarmActionEntityDAO::GetInstance()->CreateTable(CLS_AlarmActionEntityDAO::kTable);
    });
}

int CLS_DataAccess::DeleteAlarmLinkInfo(QString _strUserID, const AlarmLinkMap& _mapLinks)
{
    return Guarded("CLS_DataAccess::DeleteAlarmLinkInfo", -1, [&] {
        return CLS_AlarmActionEntityDAO::GetInstance()->DeleteAlarmLinkInfo(_strUserID, pairsOf(_mapLinks));
    });
}

int CLS_DataAccess::InsertAlarmLinkInfo(QString _strUserID, const AlarmLinkMap& _mapLinks, bool _bReplace)
{
    return Guarded("CLS_DataAccess::InsertAlarmLinkInfo", -1, [&] {
        CLS_AlarmActionEntityDAO* pDao = CLS_AlarmActionEntityDAO::GetInstance();
        try {
            if (_bReplace) {
                pDao->QueueDeleteAlarmLinkInfo(_strUserID, pairsOf(_mapLinks));
            }
            for (auto itSrc = _mapLinks.cbegin(); itSrc != _mapLinks.cend(); ++itSrc) {
                for (auto itAlarm = itSrc.value().cbegin(); itAlarm != itSrc.value().cend(); ++itAlarm) {
                    QVector<CLS_AlarmActionEntity*> vecEntities;
                    for (const STRCT_SingleAlarmLink* pLink : itAlarm.value()) {
                        if (pLink == nullptr) {
                            continue;
                        }
                        auto* e = new CLS_AlarmActionEntity();
                        e->S_ID = pLink->m_strId;
                        e->S_SRC_OBJ_ID = pLink->m_strSrcObjId;
                        e->I_ADAPTER_ALARM_ID = pLink->m_iAdapterAlarmId;
                        e->I_ENABLE = pLink->m_iEnable;
                        e->S_DES_OBJ_ID = pLink->m_strDesObjId;
                        e->I_ACTION_TYPE_ID = pLink->m_iActionType;
                        e->S_PARAM = pLink->m_strParam;
                        e->I_CTRL_WITHDRAW_DEFENCE = pLink->m_iCtrlWithArming;
                        vecEntities.append(e);
                    }
                    pDao->QueueAlarmLinkInfo(_strUserID, vecEntities);
                    qDeleteAll(vecEntities);
                }
            }
        } catch (...) {
            pDao->InsertAlarmLinkInfoByTransaction();  // never leave a half-built queue behind
            throw;
        }
        return pDao->InsertAlarmLinkInfoByTransaction();
    });
}

int CLS_DataAccess::DeleteAlarmLinkInfoBySource(QString _strUserID, const QStringList& _lstSourceIDs)
{
    return Guarded("CLS_DataAccess::DeleteAlarmLinkInfoBySource", -1, [&] {
        return CLS_AlarmActionEntityDAO::GetInstance()->DeleteAlarmLinkInfoBySource(_strUserID, _lstSourceIDs);
    });
}

// ---- alarm records ----

int CLS_DataAccess::InsertAlarmRecord(QString _strUserID, STRCT_NewAlarmRecord& _record)
{
    return Guarded("CLS_DataAccess::InsertAlarmRecord", -1, [&] {
        CLS_AlarmRecordEntity e;
        e.S_CAMERA_ID = _record.m_strCameraID;
        e.S_CAMERA_CAPTION = _record.m_strCameraCaption;
        e.I_CAMERA_TYPE = _record.m_iCameraType;
        e.I_ALARM_TYPE = _record.m_iAlarmType;
        e.I_RULE_ID = _record.m_iRuleID;
        e.I_LEVEL = _record.m_iLevel;
        e.I_IS_ALARM = _record.m_iIsAlarm == 1 ? 1 : 0;
        e.S_USER_ID = _strUserID;
        const int iRet = CLS_AlarmRecordEntityDAO::GetInstance()->InsertAlarmRecord(e);
        _record.m_strAlarmTime = e.DT_ALARM;
        _record.m_strRecordID = e.S_ID;
        return iRet;
    });
}

bool CLS_DataAccess::SearchAlarmRecord(const STRCT_AlarmSearchCondition& _condition,
                                       QVector<STRCT_AlarmRecord>& _vecOut)
{
    _vecOut.clear();
    return Guarded("CLS_DataAccess::SearchAlarmRecord", false, [&] {
        QVector<CLS_AlarmRecordEntity*> vecEntities;
        const int iRet =
            CLS_AlarmRecordEntityDAO::GetInstance()->SearchAlarmRecord(toSearchEntity(_condition), vecEntities);
        for (const CLS_AlarmRecordEntity* e : qAsConst(vecEntities)) {
            STRCT_AlarmRecord r;
            r.m_strID = e->S_ID;
            r.m_strAlarmTime = e->DT_ALARM;
            r.m_strCameraID = e->S_CAMERA_ID;
            r.m_strCameraCaption = e->S_CAMERA_CAPTION;
            r.m_iCameraType = e->I_CAMERA_TYPE;
            r.m_iAlarmType = e->I_ALARM_TYPE;
            r.m_iRuleID = e->I_RULE_ID;
            r.m_iIsAlarm = e->I_IS_ALARM;
            r.m_iLevel = e->I_LEVEL;
            r.m_strUserID = e->S_USER_ID;
            r.m_iDealState = e->I_DEAL_STATE;
            r.m_strDealUserID = e->S_DEAL_USER_ID;
            r.m_strDealTime = e->DT_DEAL;
            r.m_strDealCaption = e->S_DEAL_CAPTION;
            _vecOut.append(r);
        }
        qDeleteAll(vecEntities);
        return iRet == 0;
    });
}

int CLS_DataAccess::SearchAlarmRecordCount(const STRCT_AlarmSearchCondition& _condition)
{
    return Guarded("CLS_DataAccess::SearchAlarmRecordCount", 0, [&] {
        return CLS_AlarmRecordEntityDAO::GetInstance()->SearchAlarmRecordCount(toSearchEntity(_condition));
    });
}

int CLS_DataAccess::UpdateAlarmDealInfo(const STRCT_AlarmDealInfo& _deal)
{
    return Guarded("CLS_DataAccess::UpdateAlarmDealInfo", -1, [&] {
        CLS_AlarmRecordEntity e;
        e.S_ID = _deal.m_strRecordID;
        e.I_DEAL_STATE = _deal.m_iDealState;
        e.S_DEAL_CAPTION = _deal.m_strDealCaption;
        e.S_DEAL_USER_ID = _deal.m_strDealUserID;
        e.DT_DEAL = _deal.m_strDealTime;
        return CLS_AlarmRecordEntityDAO::GetInstance()->UpdateAlarmDealInfo(e);
    });
}

int CLS_DataAccess::DeleteAlarmRecord(QString _strCutOff)
{
    return Guarded("CLS_DataAccess::DeleteAlarmRecord", -1,
                   [&] { return CLS_AlarmRecordEntityDAO::GetInstance()->DeleteAlarmRecord(_strCutOff); });
}

int CLS_DataAccess::InsertCacheEvent(const STRCT_CacheEvent& _event)
{
    return Guarded("CLS_DataAccess::InsertCacheEvent", -1, [&] {
        CLS_CacheEventEntity e;
        e.I_TYPE = _event.m_iType;
        e.S_DATA = _event.m_baData;
        e.DT_TIME = _event.m_baTime;
        e.I_PARAM = _event.m_iParam;
        return CLS_CacheEventEntityDAO::GetInstance()->InsertCacheEvent(e);
    });
}

int CLS_DataAccess::SearchCacheEvent(QVector<STRCT_CacheEvent>& _vecOut)
{
    return Guarded("CLS_DataAccess::SearchCacheEvent", -1, [&] {
        QVector<CLS_CacheEventEntity*> vecEntities;
        const int iRet = CLS_CacheEventEntityDAO::GetInstance()->SearchCacheEvent(vecEntities);
        for (const CLS_CacheEventEntity* e : qAsConst(vecEntities)) {
            _vecOut.append({e->S_ID, e->I_TYPE, e->S_DATA, e->DT_TIME, e->I_PARAM});
        }
        qDeleteAll(vecEntities);
        return iRet;
    });
}

int CLS_DataAccess::DelCacheEvent(const QByteArray& _baData)
{
    return Guarded("CLS_DataAccess::DelCacheEvent", -1,
                   [&] { return CLS_CacheEventEntityDAO::GetInstance()->DelCacheEvent(_baData); });
}
