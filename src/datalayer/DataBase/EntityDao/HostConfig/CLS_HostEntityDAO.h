// Video hosts: TAB_OBJ, TAB_DEV_VIDEO_HOST and TAB_HOST, read through VIEW_DEV_HOST.
#ifndef CLS_HOSTENTITYDAO_H
#define CLS_HOSTENTITYDAO_H

#include "CLS_HostEntity.h"
#include "AuthorityTypeList.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_HostEntityDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call (no lock), never destroyed.
    static CLS_HostEntityDAO* GetInstance();

    /// Loads the authority types of hosts (object type 4) once; normally reached through
    /// GetInstance().
    CLS_HostEntityDAO();
    virtual ~CLS_HostEntityDAO();

    /// Authority type ids that a new host receives for 'admin_role', in record order.
    QStringList AuthorityTypes() const;

    // ---- writes: the remote result (0 success, negative failure) ----
    /// One transaction: the TAB_OBJ row, the two host rows and the rights of 'admin_role'.
    /// The password is stored scrambled.
    int InsertHost(const CLS_HostEntity& _hostEntity);
    /// One transaction over TAB_OBJ, TAB_DEV_VIDEO_HOST and TAB_HOST. Never changes the device
    /// type or the defence state.
    int UpdateHost(const CLS_HostEntity& _hostEntity);
    /// Removes the host and its children (found in TAB_OBJ by their parent column) with their
    /// rows and rights, in one transaction; -1 when the children cannot be read.
    int DeleteHost(const QString& _strHostID);
    /// 0, or -1 on failure. Every host of device type 0 gets the password (scrambled).
    int SetLocalRecorderPassword(const QString& _strPassword);
    int SetHostDefenceState(const QString& _strHostID, int _iState);

    // ---- reads: 0, or -1 when the server gave no record set ----
    /// Fills _hostEntity from the host's row; -1 also when there is no such host.
    int GetHostById(const QString& _strHostID, CLS_HostEntity& _hostEntity);
    /// Appends the hosts on which a role of the user holds authority type 1 with status 1,
    /// by address. The new entities belong to the caller.
    int GetHostsOfUser(const QString& _strUserID, QVector<CLS_HostEntity*>& _vecHosts);
    /// Hosts of the device type (visible to the user when one is given); -1 for no answer.
    int GetHostCount(int _iDevType, const QString& _strUserID);
    /// Number of pages of _iPageSize hosts (at least 1); -1 for no answer.
    int GetHostPageCount(int _iPageSize);
    /// Appends page _iPage (from 1; 0 reads the first) of hosts by address.
    int GetHostPage(int _iPageSize, int _iPage, QVector<CLS_HostEntity*>& _vecHosts);
    bool IsHostExist(const QString& _strHostID);
    /// Appends the ids of the hosts whose domain (mode 1), serial number (mode 2) or address
    /// (any other mode) equals the text without its outer blanks.
    int GetHostIdsByAddress(const QString& _strAddress, int _iMode, QStringList& _lstHostIDs);
    int GetHostIdsByProxyType(int _iProxyType, QStringList& _lstHostIDs);
    /// Host type id -> caption in the language; the map is cleared first.
    int GetVideoHostTypes(int _iDevType, const QString& _strLangType, QMap<int, QString>& _mapTypes);
    /// User name and plain password of the first host of device type 0; -1 (outputs unchanged)
    /// when there is none or no answer.
    int GetLocalRecorderCredentials(QString& _strUserName, QString& _strPassword);
    /// Address, HTTP port and port of the first host of device type 0; -1 as above.
    int GetLocalRecorderAddress(QString& _strIP, int& _iHttpPort, int& _iPort);

    /// The entity of one row of the host column list (password unscrambled).
    static void LoadHost(const QMap<QString, QString>& _row, CLS_HostEntity& _hostEntity);

private:
    int ReadHosts(const QString& _strSql, const QMap<QString, QVariant>& _mapBind,
                  QVector<CLS_HostEntity*>& _vecHosts);

    AuthorityTypeList m_authorityTypes;
};

#endif  // CLS_HOSTENTITYDAO_H
