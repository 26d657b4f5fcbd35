#include "CLS_RoleRights.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>

int CLS_RoleRights::Count() const
{
    int n = 0;
    for (const TypeRights& rights : m_mapByType) {
        n += rights.vecObjects.size();
    }
    return n;
}

void CLS_RoleRights::Clear()
{
    m_baIds.clear();
    m_vecIdEnds.clear();
    m_mapByType.clear();
}

quint32 CLS_RoleRights::AddObject(QStringView _id)
{
    m_baIds += _id.toUtf8();
    m_vecIdEnds.append(static_cast<quint32>(m_baIds.size()));
    return static_cast<quint32>(m_vecIdEnds.size() - 1);
}

void CLS_RoleRights::Push(TypeRights& _rights, quint32 _uiObject, qint32 _iStatus)
{
    _rights.vecObjects.append(_uiObject);
    if (_rights.vecRuns.isEmpty() || _rights.vecRuns.last().first != _iStatus) {
        _rights.vecRuns.append(qMakePair(_iStatus, _rights.vecObjects.size()));
    } else {
        _rights.vecRuns.last().second = _rights.vecObjects.size();
    }
}

QVector<CLS_RoleRights::Right> CLS_RoleRights::Expand(const TypeRights& _rights)
{
    QVector<Right> vecRights;
    vecRights.reserve(_rights.vecObjects.size());
    int iStart = 0;
    for (const auto& run : _rights.vecRuns) {
        for (int i = iStart; i < run.second; ++i) {
            vecRights.append(Right{_rights.vecObjects[i], run.first});
        }
        iStart = run.second;
    }
    return vecRights;
}

void CLS_RoleRights::Append(qint32 _iType, quint32 _uiObject, qint32 _iStatus)
{
    Push(m_mapByType[_iType], _uiObject, _iStatus);
}

void CLS_RoleRights::Reserve(qint32 _iType, int _iRights)
{
    QVector<quint32>& vecObjects = m_mapByType[_iType].vecObjects;
    vecObjects.reserve(vecObjects.size() + _iRights);
}

void CLS_RoleRights::Squeeze()
{
    m_baIds.squeeze();
    m_vecIdEnds.squeeze();
    for (auto it = m_mapByType.begin(); it != m_mapByType.end();) {
        it.value().vecObjects.squeeze();
        it.value().vecRuns.squeeze();
        it = it.value().vecObjects.isEmpty() ? m_mapByType.erase(it) : std::next(it);
    }
}

std::string_view CLS_RoleRights::Utf8At(quint32 _uiObject) const
{
    const quint32 uiStart = _uiObject == 0 ? 0 : m_vecIdEnds[static_cast<int>(_uiObject) - 1];
    return std::string_view(m_baIds.constData() + uiStart,
                            m_vecIdEnds[static_cast<int>(_uiObject)] - uiStart);
}

void CLS_RoleRights::Drop(const QStringList& _lstObjIDs)
{
    if (_lstObjIDs.isEmpty() || m_vecIdEnds.isEmpty()) {
        return;
    }
    QVector<QByteArray> vecUtf8;
    vecUtf8.reserve(_lstObjIDs.size());
    std::unordered_set<std::string_view> setDrop;
    setDrop.reserve(static_cast<size_t>(_lstObjIDs.size()));
    for (const QString& strID : _lstObjIDs) {
        vecUtf8.append(strID.toUtf8());
        setDrop.insert(
            std::string_view(vecUtf8.last().constData(), static_cast<size_t>(vecUtf8.last().size())));
    }
    // The ids kept, renumbered in the same order; -1 for those dropped.
    QVector<qint32> vecNew(m_vecIdEnds.size(), 0);
    bool bAny = false;
    for (int i = 0; i < m_vecIdEnds.size(); ++i) {
        if (setDrop.count(Utf8At(static_cast<quint32>(i))) != 0) {
            vecNew[i] = -1;
            bAny = true;
        }
    }
    if (!bAny) {
        return;
    }
    QByteArray baIds;
    baIds.reserve(m_baIds.size());
    QVector<quint32> vecEnds;
    vecEnds.reserve(m_vecIdEnds.size());
    for (int i = 0; i < m_vecIdEnds.size(); ++i) {
        if (vecNew[i] >= 0) {
            vecNew[i] = vecEnds.size();
            const std::string_view id = Utf8At(static_cast<quint32>(i));
            baIds.append(id.data(), static_cast<int>(id.size()));
            vecEnds.append(static_cast<quint32>(baIds.size()));
        }
    }
    for (auto it = m_mapByType.begin(); it != m_mapByType.end();) {
        TypeRights kept;
        kept.vecObjects.reserve(it.value().vecObjects.size());
        for (const Right& r : Expand(it.value())) {
            const qint32 iNew = vecNew[static_cast<int>(r.uiObject)];
            if (iNew >= 0) {
                Push(kept, static_cast<quint32>(iNew), r.iStatus);
            }
        }
        // A type without rights has no entry, as after a fresh read.
        if (kept.vecObjects.isEmpty()) {
            it = m_mapByType.erase(it);
        } else {
            it.value() = kept;
            ++it;
        }
    }
    m_baIds.swap(baIds);
    m_vecIdEnds.swap(vecEnds);
    Squeeze();
}

void CLS_RoleRights::Merge(const CLS_RoleRights& _other)
{
    const quint32 uiFirst = static_cast<quint32>(m_vecIdEnds.size());
    m_baIds += _other.m_baIds;
    for (quint32 uiEnd : _other.m_vecIdEnds) {
        m_vecIdEnds.append(uiEnd + static_cast<quint32>(m_baIds.size() - _other.m_baIds.size()));
    }
    auto byStatus = [](const Right& _a, const Right& _b) { return _a.iStatus < _b.iStatus; };
    for (auto it = _other.m_mapByType.cbegin(); it != _other.m_mapByType.cend(); ++it) {
        QVector<Right> vecNew = Expand(it.value());
        if (vecNew.isEmpty()) {
            continue;
        }
        for (Right& r : vecNew) {
            r.uiObject += uiFirst;
        }
        // Held rights come first within a status, and each type's rights stay ordered by status.
        std::stable_sort(vecNew.begin(), vecNew.end(), byStatus);
        TypeRights& held = m_mapByType[it.key()];
        if (held.vecRuns.isEmpty() || held.vecRuns.last().first <= vecNew.first().iStatus) {
            // All after what is held (the usual case): appended where they are.
            for (const Right& r : qAsConst(vecNew)) {
                Push(held, r.uiObject, r.iStatus);
            }
            continue;
        }
        const QVector<Right> vecHeld = Expand(held);
        QVector<Right> vecMerged;
        vecMerged.reserve(vecHeld.size() + vecNew.size());
        std::merge(vecHeld.cbegin(), vecHeld.cend(), vecNew.cbegin(), vecNew.cend(),
                   std::back_inserter(vecMerged), byStatus);
        TypeRights merged;
        merged.vecObjects.reserve(vecMerged.size());
        for (const Right& r : qAsConst(vecMerged)) {
            Push(merged, r.uiObject, r.iStatus);
        }
        held = merged;
    }
}

QSet<QString> CLS_RoleRights::ObjectsWith(qint32 _iType, qint32 _iStatus) const
{
    QSet<QString> setIDs;
    const auto it = m_mapByType.constFind(_iType);
    if (it == m_mapByType.cend()) {
        return setIDs;
    }
    for (const Right& r : Expand(it.value())) {
        if (r.iStatus == _iStatus) {
            setIDs.insert(ObjectAt(r.uiObject));
        }
    }
    return setIDs;
}

AuthorityMap CLS_RoleRights::ToMap(const QString& _strRoleID) const
{
    QVector<QString> vecIDs;
    vecIDs.reserve(m_vecIdEnds.size());
    for (int i = 0; i < m_vecIdEnds.size(); ++i) {
        vecIDs.append(ObjectAt(static_cast<quint32>(i)));
    }
    AuthorityMap mapAuth;
    for (auto it = m_mapByType.cbegin(); it != m_mapByType.cend(); ++it) {
        QVector<STRCT_Authority>& vecTo = mapAuth[it.key()];
        vecTo.reserve(it.value().vecObjects.size());
        for (const Right& r : Expand(it.value())) {
            STRCT_Authority auth;
            auth.m_strObjID = vecIDs[static_cast<int>(r.uiObject)];
            auth.m_strRoleID = _strRoleID;
            auth.m_iAuthorityType = it.key();
            auth.m_iStatus = r.iStatus;
            vecTo.append(auth);
        }
    }
    return mapAuth;
}
