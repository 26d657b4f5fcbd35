#include "CLS_RoleRights.h"

#include <algorithm>
#include <iterator>

int CLS_RoleRights::Count() const
{
    int n = 0;
    for (const QVector<Right>& vecRights : m_mapByType) {
        n += vecRights.size();
    }
    return n;
}

void CLS_RoleRights::Clear()
{
    m_strIds.clear();
    m_vecIdEnds.clear();
    m_mapByType.clear();
}

quint32 CLS_RoleRights::AddObject(QStringView _id)
{
    m_strIds.append(_id.data(), static_cast<int>(_id.size()));
    m_vecIdEnds.append(static_cast<quint32>(m_strIds.size()));
    return static_cast<quint32>(m_vecIdEnds.size() - 1);
}

void CLS_RoleRights::Append(qint32 _iType, quint32 _uiObject, qint32 _iStatus)
{
    m_mapByType[_iType].append(Right{_uiObject, _iStatus});
}

QStringView CLS_RoleRights::ObjectAt(quint32 _uiObject) const
{
    const quint32 uiStart = _uiObject == 0 ? 0 : m_vecIdEnds[static_cast<int>(_uiObject) - 1];
    return QStringView(m_strIds).mid(uiStart, m_vecIdEnds[static_cast<int>(_uiObject)] - uiStart);
}

void CLS_RoleRights::Drop(const QStringList& _lstObjIDs)
{
    if (_lstObjIDs.isEmpty() || m_vecIdEnds.isEmpty()) {
        return;
    }
    QSet<QStringView> setDrop;
    setDrop.reserve(_lstObjIDs.size());
    for (const QString& strID : _lstObjIDs) {
        setDrop.insert(QStringView(strID));
    }
    // The ids kept, renumbered in the same order; -1 for those dropped.
    QVector<qint32> vecNew(m_vecIdEnds.size(), 0);
    bool bAny = false;
    for (int i = 0; i < m_vecIdEnds.size(); ++i) {
        if (setDrop.contains(ObjectAt(static_cast<quint32>(i)))) {
            vecNew[i] = -1;
            bAny = true;
        }
    }
    if (!bAny) {
        return;
    }
    QString strIds;
    strIds.reserve(m_strIds.size());
    QVector<quint32> vecEnds;
    vecEnds.reserve(m_vecIdEnds.size());
    for (int i = 0; i < m_vecIdEnds.size(); ++i) {
        if (vecNew[i] < 0) {
            continue;
        }
        const QStringView id = ObjectAt(static_cast<quint32>(i));
        vecNew[i] = vecEnds.size();
        strIds.append(id.data(), static_cast<int>(id.size()));
        vecEnds.append(static_cast<quint32>(strIds.size()));
    }
    for (auto it = m_mapByType.begin(); it != m_mapByType.end();) {
        QVector<Right>& vecRights = it.value();
        vecRights.erase(std::remove_if(vecRights.begin(), vecRights.end(),
                                       [&](const Right& _r) { return vecNew[static_cast<int>(_r.uiObject)] < 0; }),
                        vecRights.end());
        for (Right& r : vecRights) {
            r.uiObject = static_cast<quint32>(vecNew[static_cast<int>(r.uiObject)]);
        }
        // A type without rights has no entry, as after a fresh read.
        it = vecRights.isEmpty() ? m_mapByType.erase(it) : std::next(it);
    }
    strIds.squeeze();
    m_strIds.swap(strIds);
    m_vecIdEnds.swap(vecEnds);
}

void CLS_RoleRights::Merge(const CLS_RoleRights& _other)
{
    const quint32 uiFirst = static_cast<quint32>(m_vecIdEnds.size());
    for (int i = 0; i < _other.m_vecIdEnds.size(); ++i) {
        AddObject(_other.ObjectAt(static_cast<quint32>(i)));
    }
    for (auto it = _other.m_mapByType.cbegin(); it != _other.m_mapByType.cend(); ++it) {
        QVector<Right> vecNew = it.value();
        for (Right& r : vecNew) {
            r.uiObject += uiFirst;
        }
        // Held rights come first within a status, and each type's rights stay ordered by status.
        auto byStatus = [](const Right& _a, const Right& _b) { return _a.iStatus < _b.iStatus; };
        std::stable_sort(vecNew.begin(), vecNew.end(), byStatus);
        QVector<Right>& vecHeld = m_mapByType[it.key()];
        QVector<Right> vecMerged;
        vecMerged.reserve(vecHeld.size() + vecNew.size());
        std::merge(vecHeld.cbegin(), vecHeld.cend(), vecNew.cbegin(), vecNew.cend(), std::back_inserter(vecMerged),
                   byStatus);
        vecHeld.swap(vecMerged);
    }
}

QSet<QString> CLS_RoleRights::ObjectsWith(qint32 _iType, qint32 _iStatus) const
{
    QSet<QString> setIDs;
    const auto it = m_mapByType.constFind(_iType);
    if (it == m_mapByType.cend()) {
        return setIDs;
    }
    for (const Right& r : it.value()) {
        if (r.iStatus == _iStatus) {
            setIDs.insert(ObjectAt(r.uiObject).toString());
        }
    }
    return setIDs;
}

AuthorityMap CLS_RoleRights::ToMap(const QString& _strRoleID) const
{
    QVector<QString> vecIDs;
    vecIDs.reserve(m_vecIdEnds.size());
    for (int i = 0; i < m_vecIdEnds.size(); ++i) {
        vecIDs.append(ObjectAt(static_cast<quint32>(i)).toString());
    }
    AuthorityMap mapAuth;
    for (auto it = m_mapByType.cbegin(); it != m_mapByType.cend(); ++it) {
        QVector<STRCT_Authority>& vecTo = mapAuth[it.key()];
        vecTo.reserve(it.value().size());
        for (const Right& r : it.value()) {
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
