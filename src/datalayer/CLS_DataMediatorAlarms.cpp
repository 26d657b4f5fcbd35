// Alarm catalogue, the link cache of the current user's linkage rules, the alarm log and the
// cached events.
#include "CLS_DataAccess.h"
#include "CLS_DataMediator.h"
#include "DataBase/EntityDao/HostConfig/DeviceDaoSupport.h"
#include "Log.h"

#include <QDateTime>
#include <QSet>
#include <QUuid>

#include <iterator>

using DeviceDao::Guarded;

// ---- state ----

void CLS_DataMediator::ClearAlarmLinkCache(AlarmLinkMap& _cache)
{
    for (auto& mapByAlarm : _cache) {
        for (auto& vecLinks : mapByAlarm) {
            qDeleteAll(vecLinks);
        }
    }
    _cache.clear();
}

void CLS_DataMediator::ReleaseAlarmState()
{
    if (m_pqmapAdapterAlarmInfo != nullptr) {
        qDeleteAll(*m_pqmapAdapterAlarmInfo);
        delete m_pqmapAdapterAlarmInfo;
        m_pqmapAdapterAlarmInfo = nullptr;
    }
    if (m_pqlistAlarmLevel != nullptr) {
        qDeleteAll(*m_pqlistAlarmLevel);
        delete m_pqlistAlarmLevel;
        m_pqlistAlarmLevel = nullptr;
    }
    ClearAlarmLinkCache(m_qmapAlarmLinkInfo);
}

// ---- alarm catalogue ----

AdapterAlarmInfoMap* CLS_DataMediator::GetAllAdapterAlarmInfo(QString _strLangType)
{
    if (m_pqmapAdapterAlarmInfo == nullptr) {
        m_pqmapAdapterAlarmInfo = new AdapterAlarmInfoMap();
    }
    CLS_DataAccess::GetInstance().GetAllAdapterAlarmInfo(_strLangType, m_pqmapAdapterAlarmInfo);
    return m_pqmapAdapterAlarmInfo;
}

void CLS_DataMediator::GetAdapterAlarmInfo(qint32 _iAdapterAlarmId, STRCT_AdapterAlarmInfo*& _pInfo)
{
    if (m_pqmapAdapterAlarmInfo == nullptr) {
        DL_LOG(3, "m_pqmapAdapterAlarmInfo == nullptr");
        return;
    }
    const auto it = m_pqmapAdapterAlarmInfo->constFind(_iAdapterAlarmId);
    if (it != m_pqmapAdapterAlarmInfo->constEnd()) {
        _pInfo = it.value();
    }
}

bool CLS_DataMediator::UpdateAdapterAlarmInfo(qint32 _iAdapterAlarmId, qint32 _iLevel)
{
    if (m_pqmapAdapterAlarmInfo == nullptr) {
        DL_LOG(3, "CLS_DataMediator::UpdateAdapterAlarmInfo m_pqmapAdapterAlarmInfo == nullptr");
        return false;
    }
    const int iRet = CLS_DataAccess::GetInstance().UpdateAlarmTypeLevel(_iAdapterAlarmId, _iLevel);
    if (iRet < 0) {
        DL_LOG(2, "[CLS_DataMediator::UpdateAdapterAlarmInfo] iRet < 0");
        return false;
    }
    const auto itAdapterAlarmInfo = m_pqmapAdapterAlarmInfo->find(_iAdapterAlarmId);
    if (itAdapterAlarmInfo == m_pqmapAdapterAlarmInfo->end()) {
        DL_LOG(3, "[CLS_DataMediator::UpdateAdapterAlarmInfo] itAdapterAlarmInfo == m_pqmapAdapterAlarmInfo->end()");
        return false;
    }
    STRCT_AdapterAlarmInfo* pAdapterAlarmInfo = itAdapterAlarmInfo.value();
    if (pAdapterAlarmInfo == nullptr) {
        DL_LOG(3, "[CLS_DataMediator::UpdateAdapterAlarmInfo] pAdapterAlarmInfo == nullptr");
        return false;
    }
    pAdapterAlarmInfo->m_iLevel = _iLevel;
    return true;
}

QList<CLS_AlarmLevelEntity*>* CLS_DataMediator::GetAllAlarmLevel()
{
    if (m_pqlistAlarmLevel == nullptr) {
        m_pqlistAlarmLevel = new QList<CLS_AlarmLevelEntity*>();
    }
    CLS_DataAccess::GetInstance().GetAllAlarmLevel(m_pqlistAlarmLevel);
    return m_pqlistAlarmLevel;
}

int CLS_DataMediator::GetAllAlarmMainType(QList<CLS_AlarmMainTypeEntity*>& _lstOut)
{
    return CLS_DataAccess::GetInstance().GetAllAlarmMainType(_lstOut);
}

int CLS_DataMediator::GetAllAlarmSubType(QList<CLS_AlarmSubTypeEntity*>& _lstOut)
{
    return CLS_DataAccess::GetInstance().GetAllAlarmSubType(_lstOut);
}

int CLS_DataMediator::GetVideoHostInfo(QList<STRCT_VideoHostInfo>& _lstOut)
{
    return CLS_DataAccess::GetInstance().GetVideoHostInfo(_lstOut);
}

// ---- linkage rules ----

int CLS_DataMediator::StartGetAlarmLinkInfo()
{
    // A second load replaces the first rather than filing every rule twice.
    ClearAlarmLinkCache(m_qmapAlarmLinkInfo);
    return CLS_DataAccess::GetInstance().StartGetAlarmLinkInfo(m_strUserID, m_pqmapAdapterAlarmInfo,
                                                               &m_qmapAlarmLinkInfo);
}

void CLS_DataMediator::LoadAllAlarmLinkInfo(STRCT_SingleAlarmLink* _pLink, AlarmLinkMap* _pCache)
{
    if (_pLink == nullptr) {
        DL_LOG(3, "[CLS_DataMediator::LoadAllAlarmLinkInfo]--_pSingleAlarmLink == nullptr");
        return;
    }
    CLS_DataAccess::GetInstance().LoadAllAlarmLinkInfo(_pLink, _pCache);
}

int CLS_DataMediator::UpdateAlarmLinkInfo(AlarmLinkMap* _pLinks)
{
    if (_pLinks == nullptr) {
        DL_LOG(3, "CLS_DataMediator::UpdateAlarmLinkInfo nullptr == _pLinks");
        return -1;
    }
    if (m_strUserID.isEmpty()) {
        DL_LOG(3, "CLS_DataMediator::UpdateAlarmLinkInfo m_strUserID.isEmpty()");
        return -1;
    }
    return Guarded("CLS_DataMediator::UpdateAlarmLinkInfo", -1, [&] {
        CLS_DataAccess& access = CLS_DataAccess::GetInstance();
        int iRet = 0;
        bool bReplace = true;
        if (access.TableIsExist() != 0) {
            iRet = access.CreateTableAlarmAction();
            if (iRet != 0) {
                DL_LOG(2, "[CLS_DataMediator::UpdateAlarmLinkInfo] CreateTableAlarmAction fail iRet = %d", iRet);
                return iRet;
            }
            bReplace = false;  // a new table holds nothing to replace
        }
        // The deletion of the old rules travels in the insert's transaction: a failed save
        // leaves the stored rules as they were.
        iRet = access.InsertAlarmLinkInfo(m_strUserID, *_pLinks, bReplace);
        if (iRet != 0) {
            DL_LOG(2, "[CLS_DataMediator::UpdateAlarmLinkInfo] InsertAlarmLinkInfo fail iRet = %d", iRet);
            return iRet;
        }
        UpdateAlarmLinkCache(_pLinks, &m_qmapAlarmLinkInfo);
        return 0;
    });
}

void CLS_DataMediator::UpdateAlarmLinkCache(AlarmLinkMap* _pLinks, AlarmLinkMap* _pCache)
{
    if (_pLinks == nullptr || _pCache == nullptr) {
        return;
    }
    // Copies first: the argument may hold the cache's own links (a map built from
    // GetAlarmLinkCache() plus a new link), and those are freed below.
    QVector<STRCT_SingleAlarmLink*> vecCopies;
    QSet<QString> setSources;
    QSet<qint32> setAlarms;
    for (auto itSrc = _pLinks->cbegin(); itSrc != _pLinks->cend(); ++itSrc) {
        setSources.insert(itSrc.key());
        for (auto itAlarm = itSrc.value().cbegin(); itAlarm != itSrc.value().cend(); ++itAlarm) {
            setAlarms.insert(itAlarm.key());
            for (const STRCT_SingleAlarmLink* pLink : itAlarm.value()) {
                if (pLink != nullptr) {
                    vecCopies.append(pLink->CloneWithoutParam());
                }
            }
        }
    }
    // As the save does in the table: every rule whose source is among the named sources and
    // whose alarm is among the named alarms goes.
    for (auto itCacheSrc = _pCache->begin(); itCacheSrc != _pCache->end();) {
        if (!setSources.contains(itCacheSrc.key())) {
            ++itCacheSrc;
            continue;
        }
        for (auto itCacheAlarm = itCacheSrc->begin(); itCacheAlarm != itCacheSrc->end();) {
            if (setAlarms.contains(itCacheAlarm.key())) {
                qDeleteAll(*itCacheAlarm);
                itCacheAlarm = itCacheSrc->erase(itCacheAlarm);
            } else {
                ++itCacheAlarm;
            }
        }
        itCacheSrc = itCacheSrc->isEmpty() ? _pCache->erase(itCacheSrc) : std::next(itCacheSrc);
    }
    for (STRCT_SingleAlarmLink* pCopy : qAsConst(vecCopies)) {
        LoadAllAlarmLinkInfo(pCopy, _pCache);
    }
}

const AlarmLinkMap& CLS_DataMediator::GetAlarmLinkCache()
{
    return m_qmapAlarmLinkInfo;
}

// ---- alarm records ----

bool CLS_DataMediator::InsertAlarmRecord(QString _strUserID, STRCT_NewAlarmRecord& _record)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    QString strSoftwareType;
    // Unknown whether storing is off: the alarm is not stored, and that is said.
    if (access.GetSoftwareType(strSoftwareType) != 0) {
        DL_LOG(2, "CLS_DataMediator::InsertAlarmRecord GetSoftwareType failed");
        return false;
    }
    if (strSoftwareType == QLatin1String(CLS_DataAccess::kSoftwareTypeNoRecords)) {
        _record.m_strAlarmTime = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        _record.m_strRecordID = QUuid::createUuid().toString(QUuid::Id128);
        DL_LOG(1, "CLS_DataMediator::InsertAlarmRecord SoftwareType=%s", strSoftwareType.toUtf8().constData());
        return true;
    }
    return access.InsertAlarmRecord(_strUserID, _record) == 0;
}

bool CLS_DataMediator::SearchAlarmRecord(const STRCT_AlarmSearchCondition& _condition,
                                         QVector<STRCT_AlarmRecord>& _vecOut)
{
    return CLS_DataAccess::GetInstance().SearchAlarmRecord(_condition, _vecOut);
}

int CLS_DataMediator::GetAlarmRecordCount(const STRCT_AlarmSearchCondition& _condition)
{
    return CLS_DataAccess::GetInstance().SearchAlarmRecordCount(_condition);
}

bool CLS_DataMediator::UpdateAlarmDealInfo(const STRCT_AlarmDealInfo& _deal)
{
    const int iRet = CLS_DataAccess::GetInstance().UpdateAlarmDealInfo(_deal);
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::UpdateAlarmDealInfo iRet = %d", iRet);
    }
    return true;
}

int CLS_DataMediator::DeleteAlarmRecord(QString _strFirstTime, QString _strCutOff)
{
    Q_UNUSED(_strFirstTime)
    return CLS_DataAccess::GetInstance().DeleteAlarmRecord(_strCutOff);
}

int CLS_DataMediator::InsertCacheEvent(const STRCT_CacheEvent& _event)
{
    return CLS_DataAccess::GetInstance().InsertCacheEvent(_event);
}

int CLS_DataMediator::SearchCacheEvent(QVector<STRCT_CacheEvent>& _vecOut)
{
    return CLS_DataAccess::GetInstance().SearchCacheEvent(_vecOut);
}

int CLS_DataMediator::DelCacheEvent(const QByteArray& _baData)
{
    return CLS_DataAccess::GetInstance().DelCacheEvent(_baData);
}
