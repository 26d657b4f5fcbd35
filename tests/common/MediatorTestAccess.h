// Reaches the mediator's private parts for tests. One definition for every test that needs it.
#ifndef TESSEL_TESTS_MEDIATORTESTACCESS_H
#define TESSEL_TESTS_MEDIATORTESTACCESS_H

#include "CLS_DataMediator.h"
#include "VideoItem.h"

#include <QReadWriteLock>

class CLS_DataMediatorTestAccess
{
public:
    static int config(CLS_DataMediator& _mediator, QString& _ip, int& _port)
    {
        return _mediator.GetDbServerConfig(_ip, _port);
    }
    static QString prepare(CLS_DataMediator& _mediator, const QString& _strDir, const QString& _strName)
    {
        return _mediator.PrepareDbFile(_strDir, _strName);
    }
    /// The state a login and an empty custom and passenger-flow tree leave: the current user and
    /// the two root groups.
    static void openEmptyTrees(CLS_DataMediator& _mediator, const QString& _strUserID)
    {
        _mediator.m_strUserID = _strUserID;
        for (QMap<QString, STRCT_VideoItem*>* pMap : {&_mediator.m_mapCustomData, &_mediator.m_mapPassengerFlowData}) {
            auto* pRoot = new STRCT_VideoGroup();
            pRoot->m_strID = "custom_root_id";
            pRoot->m_strNodeID = pRoot->m_strID;
            pMap->insert("custom_root_id", pRoot);
        }
    }
    /// The state a login leaves behind, without the database.
    static void setUser(CLS_DataMediator& _mediator, const QString& _strUserID) { _mediator.m_strUserID = _strUserID; }
    /// The rights the mediator holds for the trees, and the role they belong to (empty: none held).
    static AuthorityMap authority(const CLS_DataMediator& _mediator)
    {
        return _mediator.m_mapAuthority.ToMap(_mediator.m_strAuthorityRoleID);
    }
    static QString authorityRole(const CLS_DataMediator& _mediator) { return _mediator.m_strAuthorityRoleID; }
    /// Deletes the resource and tree items the mediator still holds, as the client that owns them does
    /// (the mediator's destructor leaves them alone on purpose), and empties the map.
    static void releaseItems(CLS_DataMediator& _mediator)
    {
        QWriteLocker locker(&_mediator.m_lockResourceData);
        qDeleteAll(_mediator.m_mapResourceData);
        _mediator.m_mapResourceData.clear();
        qDeleteAll(_mediator.m_mapCustomData);
        _mediator.m_mapCustomData.clear();
        qDeleteAll(_mediator.m_mapPassengerFlowData);
        _mediator.m_mapPassengerFlowData.clear();
    }
};

/// Releases a mediator's items when the scope ends (declare it right after the mediator).
class ItemReleaser
{
public:
    explicit ItemReleaser(CLS_DataMediator& _mediator) : m_mediator(_mediator) {}
    ~ItemReleaser() { CLS_DataMediatorTestAccess::releaseItems(m_mediator); }
    ItemReleaser(const ItemReleaser&) = delete;
    ItemReleaser& operator=(const ItemReleaser&) = delete;

private:
    CLS_DataMediator& m_mediator;
};

#endif
