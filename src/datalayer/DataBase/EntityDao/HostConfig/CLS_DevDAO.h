// Generic devices other than video hosts: TAB_DEV, one Common::STRCT_DevItem per row. The
// password is stored as given.
#ifndef CLS_DEVDAO_H
#define CLS_DEVDAO_H

#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "DevItem.h"

#include <QString>
#include <QVector>

class DATAMEDIATOR_EXPORT CLS_DevDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call (no lock), never destroyed.
    static CLS_DevDAO* GetInstance();
    CLS_DevDAO();
    virtual ~CLS_DevDAO();

    // ---- writes: the remote result; the modification time is now ----
    int InsertDev(const Common::STRCT_DevItem& _devItem);
    /// Inserts, or replaces the row of the same id.
    int ReplaceDev(const Common::STRCT_DevItem& _devItem);
    /// The TAB_DEV row and the rows referring to the device or its channel, in one transaction.
    int DeleteDev(const QString& _strDevID);

    /// A device of the item's type with the item's serial number exists.
    bool IsDevExist(const Common::STRCT_DevItem& _devItem);
    /// One page of the devices of the type, by address: _vecDevs is cleared, then filled; the
    /// total goes to _pageInfo.iTotal. 0, or -1 when the server gave no record set.
    int GetDevsByType(QVector<Common::STRCT_DevItem>& _vecDevs, int _iType,
                      Common::STRCT_PageInfo& _pageInfo);
    /// Every device; _vecDevs is cleared first. 0 or -1.
    int GetAllDevs(QVector<Common::STRCT_DevItem>& _vecDevs);

    static void LoadDev(const QMap<QString, QString>& _row, Common::STRCT_DevItem& _devItem);

private:
    int WriteDev(const char* _pszVerb, const Common::STRCT_DevItem& _devItem);
    int ReadDevs(RecordSet* _pRows, QVector<Common::STRCT_DevItem>& _vecDevs);
};

#endif  // CLS_DEVDAO_H
