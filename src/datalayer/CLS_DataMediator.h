#ifndef CLS_DATAMEDIATOR_H
#define CLS_DATAMEDIATOR_H

#include "I_DataMediator.h"

#include <QMap>
#include <QReadWriteLock>
#include <QString>

class DATAMEDIATOR_EXPORT CLS_DataMediator : public I_DataMediator
{
    Q_OBJECT
public:
    CLS_DataMediator();
    ~CLS_DataMediator() override;

    void InitData() override;
    int CreateDBConnection() override;
    int DownLoadDB(QMap<QString, QVariant>& _mapDbData) override;
    int UploadDB(QMap<QString, QVariant>& _mapDbData, QMap<QString, int>& _mapResults) override;
    int BackupDatabase(const QString& _strFilePath, const QList<QString>& _lstDbNames,
                       QMap<QString, bool>& _mapResults) override;
    int RestoreDatabase(QString& _strFilePath, const QList<QString>& _lstDbNames, QMap<QString, bool>& _mapResults,
                        int _iTimeout) override;
    QString GetDbDirPath() override;

    // ---- devices and the resource tree ----

    // ---- users, roles and rights ----

    // ---- settings and configuration ----

    // ---- server host status ----
    int GetAllNetworkInfo(QList<_NetworkInfo*>& _lstInfo) override;
    int GetSystemStatusByName(const QString& _strName, _NetworkInfo*& _pInfo) override;

    /// Status callback registered with the database channel; _pUser is the mediator.
    static void DbStatusCallback(int _iCmd, int _iParam, void* _pUser);

    /// The four database names, in preparation order.
    static const QStringList& DatabaseNames();

public slots:
    void slotUpdateR480HostConfig(QString _qstrUserName, QString _qstrNewPwd) override;

private:
    int GetDbServerConfig(QString& _ip, int& _port);
    QString PrepareDbFile(QString _strDir, QString _strDbName);

    friend class CLS_DataMediatorTestAccess;

    // Resource items by object id, guarded by the lock beside it.
    QMap<QString, STRCT_VideoItem*> m_mapResourceData;
    QReadWriteLock m_lockResourceData;
    // Custom-tree nodes by node id.
    QMap<QString, STRCT_VideoItem*> m_mapCustomData;
    // The logged-in user.
    QString m_strUserID;
    QString m_strUserName;
    QString m_strPassword;
    // Database server address as read from DbServerConfig.json (also the file-service host).
    QString m_qstrSerIp;
};

#endif  // CLS_DATAMEDIATOR_H
