// Settings rows (group, key, value, optional user) in the common table TAB_CONFIG_USER_COMMON
// and in this system's personal table TAB_CONFIG_USER_PERSONAL<SysId>, which is made as a copy
// of the template TAB_CONFIG_USER_PERSONAL when it is first needed.
#ifndef CLS_CONFIGDAO_H
#define CLS_CONFIGDAO_H

#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"
#include "STRCT_SettingRecords.h"

#include <QMap>
#include <QString>

class DATAMEDIATOR_EXPORT CLS_ConfigDAO : public CLS_BaseEntityDAO
{
public:
    /// Created on first call, never destroyed.
    static CLS_ConfigDAO* GetInstance();

    static const char* const kCommonTable;       ///< "TAB_CONFIG_USER_COMMON"
    static const char* const kPersonalTemplate;  ///< "TAB_CONFIG_USER_PERSONAL"
    static const char* const kSysConfig;         ///< "MAINTYPE_SYSCONFIG"

    /// Name of this system's personal table. 0, or -1 when the system id is not settled.
    static int PersonalTableName(QString& _strTable);

    /// Rows (S_SUB_TYPE, S_VALUE) of the common table followed by those of the personal table
    /// matching the non-empty filters. When nothing matches, the personal table is made from
    /// the template and asked again, and at last the template itself. Null when the system id
    /// is not settled or every query failed; the caller owns the record set.
    RecordSet* QueryGroup(const QString& _strMainType, const QString& _strSubType, const QString& _strUserID);

    /// Sets _strValue to S_VALUE of the first matching row (the common one when both tables
    /// have the key), or to empty text when no row matches; 0. -1 (logged, _strValue untouched)
    /// when the read failed: a failure is never "no value".
    int GetConfigValue(const QString& _strMainType, const QString& _strSubType, const QString& _strUserID,
                       QString& _strValue);
    /// The value as above; empty both when there is none and when the read failed.
    QString GetConfigValue(const QString& _strMainType, const QString& _strSubType,
                           const QString& _strUserID);
    /// Writes the common row when the common table has one, else the personal row (the personal
    /// table is made first when missing). A key without a row is not stored. 0 or the failure.
    int SetConfigValue(const QString& _strMainType, const QString& _strSubType, const QString& _strValue,
                       const QString& _strUserID);
    /// Every key of the group → value; a personal value replaces a common one.
    QMap<QString, QString> GetConfigMap(const QString& _strMainType);
    /// Every key of the group in the common table alone → value.
    QMap<QString, QString> GetComConfig(const QString& _strMainType);

    /// Updates the "MAINTYPE_SYSCONFIG" rows of the common table, all in one transaction.
    int SaveComInfo(const QMap<QString, QString>& _mapValues);
    /// The same for the personal table, made first when missing.
    int SavePersonalInfo(const QMap<QString, QString>& _mapValues);

    /// The "MAINTYPE_DEVICEADDCONFIG" values; missing keys leave the record's defaults.
    STRCT_DeviceAddConfig GetDeviceAddConfig();

    /// Makes the table _strTable as a copy of the personal template when it does not exist.
    /// 0 when it exists afterwards.
    int CreatePersonalTab(const QString& _strTable);

    /// The first row of TAB_DOMAIN_SEVER_INFO; the default domain with port 6004 when the read
    /// fails or finds nothing.
    STRCT_DomainServerInfo GetDomainServerInfo();
    static const char* const kDefaultDomain;
    static constexpr int kDefaultDomainPort = 6004;

protected:
    CLS_ConfigDAO() = default;

private:
    RecordSet* QueryGroupIn(const QString& _strPersonalTable, const QString& _strMainType,
                            const QString& _strSubType, const QString& _strUserID);
    /// _strTable as statements name it (a built name quoted).
    int SaveInfo(const QString& _strTable, const QMap<QString, QString>& _mapValues);
};

#endif  // CLS_CONFIGDAO_H
