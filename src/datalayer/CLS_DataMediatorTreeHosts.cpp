// The resource tree: changing a host (re-captioning its children and applying the wanted numbers
// of channels and alarm points) and deleting a host with its children.
#include "DataBase/EntityDao/Tree/CLS_CustomTree.h"
#include "DataBase/EntityDao/Tree/CLS_ResourceTree.h"
#include "ItemBuilder/CLS_ItemBuilder.h"

#include <QDebug>

#include <memory>
#include <vector>

using namespace ResourceTree;

// ---- hosts ----

int CLS_ResourceTree::RecaptionChildren(CLS_DataMediator& _m, const QString& _strHostID,
                                         const std::string& _strIP, const std::string& _strDomain)
{
    // New default captions, computed from what the children show now.
    QMap<QString, QString> mapCaptions;
    {
        ReadLocker locker(&_m.m_lockResourceData);
        STRCT_VideoHost* pHostItem = FindHost(_m, _strHostID);
        if (pHostItem == nullptr) {
            return 0;
        }
        for (STRCT_VideoItem* pChild : pHostItem->m_vecChilds) {
            QString strWord;
            int iNum = 0;
            switch (KindOf(pChild)) {
                case ckChannel:
                    strWord = CLS_DataMediator::tr("Channel");
                    iNum = static_cast<STRCT_VideoChannel*>(pChild)->m_iChannelNo;
                    break;
                case ckAlarmIn:
                    strWord = CLS_DataMediator::tr("AlarmIn");
                    iNum = static_cast<STRCT_VideoAlarmIn*>(pChild)->m_iAlarmNo;
                    break;
                case ckAlarmOut:
                    strWord = CLS_DataMediator::tr("AlarmOut");
                    iNum = static_cast<STRCT_VideoAlarmOut*>(pChild)->m_iAlarmNo;
                    break;
                default:
                    continue;
            }
            const QString strCaption = _strDomain.empty()
                                           ? QStringLiteral("%1-%2 %3").arg(qs(_strIP), strWord).arg(iNum + 1)
                                           : QStringLiteral("%1 %2").arg(strWord).arg(iNum + 1);
            mapCaptions.insert(qs(pChild->m_strID), strCaption);
        }
    }
    if (mapCaptions.isEmpty()) {
        return 0;
    }
    // Stored first, so that the next start shows the same captions.
    const int iRet = CLS_DataAccess::GetInstance().SetObjectCaptions(mapCaptions);
    if (iRet < 0) {
        DL_LOG(2, "CLS_DataMediator::UpdateHost SetObjectCaptions iRet = (%d)", iRet);
        return iRet;
    }
    QVector<STRCT_VideoItem*> vecChanged;
    {
        WriteLocker locker(&_m.m_lockResourceData);
        for (auto it = mapCaptions.cbegin(); it != mapCaptions.cend(); ++it) {
            STRCT_VideoItem* pChild = Find(_m, it.key());
            if (pChild != nullptr && KindOf(pChild) != ckNone) {
                pChild->m_strCaption = u8(it.value());
                vecChanged.append(pChild);
            }
        }
    }
    QVector<STRCT_VideoItem*> vecCustom;
    for (auto it = mapCaptions.cbegin(); it != mapCaptions.cend(); ++it) {
        for (STRCT_VideoItem* pCopy :
             CustomCopies(_m, u8(it.key()), "CLS_DataMediator::UpdateHost nullptr == pCustomItem")) {
            pCopy->m_strCaption = u8(it.value());
            vecCustom.append(pCopy);
        }
    }
    EmitResource(_m, vecChanged, otUpdate, kDevTypeAlarm);
    EmitCustom(_m, vecCustom, otUpdate, kDevTypeAlarm);
    return 0;
}

int CLS_ResourceTree::AdjustChildren(CLS_DataMediator& _m, const QString& _strHostID, ChildKind _kind,
                                     const std::string& _strRequested)
{
    const char* pszWord = _kind == ckChannel ? "Channel" : (_kind == ckAlarmIn ? "AlarmIn" : "AlarmOut");
    // An empty counter asks for no change.
    if (_strRequested.empty()) {
        return 0;
    }
    bool bOk = false;
    const int iRequested = qs(_strRequested).toInt(&bOk, 10);
    if (!bOk || iRequested < 0) {
        if (_kind == ckChannel) {
            DL_LOG(3, "CLS_DataMediator::UpdateHost iNewChlCount = (%d)", bOk ? iRequested : -1);
        } else {
            DL_LOG(3, "CLS_DataMediator::UpdateHost iNew%sCount = (%d)", pszWord, bOk ? iRequested : -1);
        }
        return 0;
    }

    int iPresent = 0;
    int iDevType = 0;
    std::string strIP;
    std::string strDomain;
    QVector<STRCT_VideoItem*> vecSurplus;
    QStringList lstSurplusIDs;
    int iMissing = 0;
    {
        ReadLocker locker(&_m.m_lockResourceData);
        STRCT_VideoHost* pHostItem = FindHost(_m, _strHostID);
        if (pHostItem == nullptr) {
            return 0;
        }
        iPresent = Counter(*pHostItem, _kind);
        iDevType = pHostItem->m_iHostDevType;
        strIP = pHostItem->m_strIP;
        strDomain = pHostItem->m_strDomain;
        // Surplus children go from the end of their section.
        const int iStart = SectionStart(*pHostItem, _kind);
        for (int k = iRequested; k < iPresent; ++k) {
            const int iIndex = iStart + k;
            STRCT_VideoItem* pChild = iIndex < static_cast<int>(pHostItem->m_vecChilds.size())
                                          ? pHostItem->m_vecChilds[static_cast<size_t>(iIndex)]
                                          : nullptr;
            if (KindOf(pChild) != _kind) {
                ++iMissing;
                continue;
            }
            vecSurplus.append(pChild);
            lstSurplusIDs.append(qs(pChild->m_strID));
        }
    }
    for (int i = 0; i < iMissing; ++i) {
        DL_LOG(3, _kind == ckChannel
                      ? "CLS_DataMediator::UpdateHost nullptr == pChannelItem"
                      : (_kind == ckAlarmIn ? "CLS_DataMediator::UpdateHost nullptr == pAlarmIn"
                                            : "CLS_DataMediator::UpdateHost nullptr == pAlarmOut"));
    }

    if (!lstSurplusIDs.isEmpty()) {
        CLS_DataAccess& access = CLS_DataAccess::GetInstance();
        const int iRet = _kind == ckChannel ? access.DeleteChannels(lstSurplusIDs)
                                            : (_kind == ckAlarmIn ? access.DeleteAlarmIns(lstSurplusIDs)
                                                                  : access.DeleteAlarmOuts(lstSurplusIDs));
        if (iRet < 0) {
            DL_LOG(3, "CLS_DataMediator::UpdateHost Delete%ss iRet = (%d)", pszWord, iRet);
            return iRet;
        }
        int iNotListed = 0;
        {
            WriteLocker locker(&_m.m_lockResourceData);
            STRCT_VideoHost* pHostItem = FindHost(_m, _strHostID);
            for (STRCT_VideoItem* pChild : qAsConst(vecSurplus)) {
                Remove(_m, pChild);
                if (pHostItem == nullptr || !Detach(*pHostItem, pChild)) {
                    ++iNotListed;
                }
            }
        }
        for (int i = 0; i < iNotListed; ++i) {
            DL_LOG(3, "CLS_DataMediator::UpdateHost pHostItem->m_vecChilds.end() == iterPos");
        }
        EmitResource(_m, vecSurplus, otDelete, kDevTypeChildren);
        DropAuthorityOf(_m, lstSurplusIDs);
        CLS_CustomTree::DropObjectsOf(_m, vecSurplus, kDevTypeChildren,
                                      "CLS_DataMediator::UpdateHost nullptr == pCustomItem");
        if (!ReleaseLater(vecSurplus)) {
            DL_LOG(3, "CLS_DataMediator::UpdateHost nullptr == pCommonHandle");
        }
    }

    // Missing children are created after the present ones, numbered on from them.
    int iFirst = iPresent;
    int iLast = iRequested;  // exclusive
    if (_kind == ckChannel && isBoundDevType(iDevType)) {
        // A generic device has one channel, named after the device.
        iFirst = 0;
        iLast = (iPresent == 0 && iRequested > 0) ? 1 : 0;
    }
    if (iLast <= iFirst) {
        return 0;
    }
    const QString strWord = CLS_DataMediator::tr(pszWord);
    auto caption = [&](int _iNum) {
        if (_kind == ckChannel && isBoundDevType(iDevType)) {
            return strIP;
        }
        return u8(strDomain.empty() ? QStringLiteral("%1%2%3 %4").arg(qs(strIP), "-", strWord).arg(_iNum + 1)
                                    : QStringLiteral("%1 %2").arg(strWord).arg(_iNum + 1));
    };
    const std::string strHostID = u8(_strHostID);
    int iRet = 0;
    if (_kind == ckChannel) {
        std::vector<std::unique_ptr<STRCT_VideoChannel>> vecOwned;
        QVector<STRCT_VideoChannel*> vecNew;
        for (int n = iFirst; n < iLast; ++n) {
            vecOwned.emplace_back(new STRCT_VideoChannel());
            STRCT_VideoChannel* pChannel = vecOwned.back().get();
            pChannel->m_strID = u8(newObjectId());
            pChannel->m_strNodeID = pChannel->m_strID;
            pChannel->m_strParentID = strHostID;
            pChannel->m_iChannelNo = n;
            pChannel->m_strCaption = caption(n);
            if (isBoundDevType(iDevType)) {
                pChannel->m_iObjType = iDevType == 2 ? kObjTypeDevChannel2 : kObjTypeDevChannel3;
                pChannel->m_iDevType = iDevType;
            } else {
                pChannel->m_iObjType = kObjTypeChannel;
            }
            vecNew.append(pChannel);
        }
        iRet = _m.InsertChannelEx(vecNew);
    } else if (_kind == ckAlarmIn) {
        std::vector<std::unique_ptr<STRCT_VideoAlarmIn>> vecOwned;
        QVector<STRCT_VideoAlarmIn*> vecNew;
        for (int n = iFirst; n < iLast; ++n) {
            vecOwned.emplace_back(new STRCT_VideoAlarmIn());
            STRCT_VideoAlarmIn* pAlarmIn = vecOwned.back().get();
            pAlarmIn->m_strID = u8(newObjectId());
            pAlarmIn->m_strNodeID = pAlarmIn->m_strID;
            pAlarmIn->m_strParentID = strHostID;
            pAlarmIn->m_iAlarmNo = n;
            pAlarmIn->m_strCaption = caption(n);
            vecNew.append(pAlarmIn);
        }
        iRet = _m.InsertAlarmInEx(vecNew);
    } else {
        std::vector<std::unique_ptr<STRCT_VideoAlarmOut>> vecOwned;
        QVector<STRCT_VideoAlarmOut*> vecNew;
        for (int n = iFirst; n < iLast; ++n) {
            vecOwned.emplace_back(new STRCT_VideoAlarmOut());
            STRCT_VideoAlarmOut* pAlarmOut = vecOwned.back().get();
            pAlarmOut->m_strID = u8(newObjectId());
            pAlarmOut->m_strNodeID = pAlarmOut->m_strID;
            pAlarmOut->m_strParentID = strHostID;
            pAlarmOut->m_iAlarmNo = n;
            pAlarmOut->m_strCaption = caption(n);
            vecNew.append(pAlarmOut);
        }
        iRet = _m.InsertAlarmOutEx(vecNew);
    }
    return iRet < 0 ? iRet : 0;
}

int CLS_DataMediator::UpdateHost(STRCT_VideoHost* _pstrctHostData)
{
    return guarded("CLS_DataMediator::UpdateHost", -1, [&] {
        if (_pstrctHostData == nullptr) {
            qDebug() << "_pstrctHostData == nullptr";
            return -1;
        }
        CLS_DataAccess& access = CLS_DataAccess::GetInstance();
        const QString strHostID = qs(_pstrctHostData->m_strID);
        // The item has no field for some stored columns (DNS address and port, HTTP port,
        // proxy addresses); they keep their stored values.
        CLS_HostEntity entity;
        const bool bStored = !strHostID.isEmpty() && access.GetHostById(strHostID, entity) == 0;
        applyHostItem(*_pstrctHostData, entity, bStored);
        int iRet = access.UpdateHost(entity);
        if (iRet < 0) {
            DL_LOG(3, "CLS_DataMediator::UpdateHost iRet = (%d)", iRet);
            return iRet;
        }

        std::string strOldIP;
        {
            ReadLocker locker(&m_lockResourceData);
            STRCT_VideoHost* pHostItem = CLS_ResourceTree::FindHost(*this, strHostID);
            if (pHostItem == nullptr) {
                return 0;
            }
            strOldIP = pHostItem->m_strIP;
        }
        // Captions that cannot be stored fail the update once the stored host row is shown.
        int iCaptions = 0;
        if (strOldIP != _pstrctHostData->m_strIP) {
            iCaptions = CLS_ResourceTree::RecaptionChildren(*this, strHostID, _pstrctHostData->m_strIP,
                                                _pstrctHostData->m_strDomain);
        }

        STRCT_VideoHost stored;
        CLS_ItemBuilder::BuildHostItem(&entity, &stored);
        STRCT_VideoHost* pHostItem = nullptr;
        {
            WriteLocker locker(&m_lockResourceData);
            pHostItem = CLS_ResourceTree::FindHost(*this, strHostID);
            if (pHostItem == nullptr) {
                return 0;
            }
            takeHostValues(stored, *pHostItem);
        }
        CLS_ResourceTree::EmitResource(*this, {pHostItem}, otUpdate, entity.I_DEVTYPE);
        if (iCaptions < 0) {
            return iCaptions;
        }

        const CLS_ResourceTree::ChildKind kinds[] = {CLS_ResourceTree::ckChannel, CLS_ResourceTree::ckAlarmIn,
                                                     CLS_ResourceTree::ckAlarmOut};
        const std::string requested[] = {_pstrctHostData->m_strChannelCount,
                                         _pstrctHostData->m_strAlarmInCount,
                                         _pstrctHostData->m_strAlarmOutCount};
        for (int i = 0; i < 3; ++i) {
            const int iAdjust = CLS_ResourceTree::AdjustChildren(*this, strHostID, kinds[i], requested[i]);
            if (iAdjust < 0) {
                return iAdjust;
            }
        }
        return iRet;
    });
}

int CLS_DataMediator::DeleteHost(QString _strHostID)
{
    return guarded("CLS_DataMediator::DeleteHost", -1, [&] {
        if (_strHostID.isEmpty()) {
            qDebug() << "_strHostID.isEmpty()";
            return -1;
        }
        typedef CLS_ResourceTree T;
        // The database deletes every child of the host, loaded or not, with the host in one
        // transaction; the tree then drops what it had loaded of them.
        const int iRet = CLS_DataAccess::GetInstance().DeleteHost(_strHostID);
        if (iRet < 0) {
            DL_LOG(3, "CLS_DataMediator::DeleteHost iRet = (%d)", iRet);
            return iRet;
        }
        QVector<STRCT_VideoItem*> vecRemoved;
        STRCT_VideoHost* pHostItem = nullptr;
        const std::string strHostID = u8(_strHostID);
        {
            WriteLocker locker(&m_lockResourceData);
            pHostItem = T::FindHost(*this, _strHostID);
            for (STRCT_VideoItem* pItem : m_mapResourceData) {
                if (pItem != nullptr && pItem->m_strParentID == strHostID && T::KindOf(pItem) != T::ckNone) {
                    vecRemoved.append(pItem);
                }
            }
            for (STRCT_VideoItem* pChild : qAsConst(vecRemoved)) {
                T::Remove(*this, pChild);
                if (pHostItem != nullptr) {
                    T::Detach(*pHostItem, pChild);
                }
            }
            if (pHostItem != nullptr) {
                T::Remove(*this, pHostItem);
            }
        }
        if (pHostItem != nullptr) {
            T::DropAuthorityOf(*this, T::IdsOf(vecRemoved) << _strHostID);
        } else {
            // Children the tree never loaded went too: the rights are read again at the next load.
            T::ForgetAuthority(*this);
        }
        if (!vecRemoved.isEmpty()) {
            T::EmitResource(*this, vecRemoved, otDelete, kDevTypeChildren);
            CLS_CustomTree::DropObjectsOf(*this, vecRemoved, kDevTypeChildren,
                                          "CLS_DataMediator::DeleteHost nullptr == pCustomItem");
            if (!T::ReleaseLater(vecRemoved)) {
                DL_LOG(3, "CLS_DataMediator::DeleteHost nullptr == pCommonHandle");
            }
        }
        if (pHostItem != nullptr) {
            T::EmitResource(*this, {pHostItem}, otDelete, pHostItem->m_iDevType);
            if (!T::ReleaseLater({pHostItem})) {
                DL_LOG(3, "CLS_DataMediator::DeleteHost nullptr == pCommonHandle");
            }
        }
        return iRet;
    });
}
