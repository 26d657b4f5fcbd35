// The client's one interface to the data layer.
//
// A client loads the library, calls CreateMediator(), then InitData() and CreateDBConnection(),
// and from then on asks the mediator for everything stored. Operations return 0 on success and
// a negative value on failure unless documented otherwise.
#ifndef I_DATAMEDIATOR_H
#define I_DATAMEDIATOR_H

#include "DataMediatorExport.h"
#include "NetworkInfo.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>

struct STRCT_VideoItem;

/// Kind of change carried by every change signal.
enum OperationType {
    otInsert = 1,  ///< items added
    otUpdate = 2,  ///< items changed
    otDelete = 3,  ///< items removed
    otSort = 4,    ///< tree nodes reordered
};

class DATAMEDIATOR_EXPORT I_DataMediator : public QObject
{
    Q_OBJECT
public:
    explicit I_DataMediator(QObject* _pParent = nullptr) : QObject(_pParent) {}
    ~I_DataMediator() override = default;

    // ---- start-up ----
    /// Reads DbServerConfig.json, settles the system id, binds the WebSocket library, registers
    /// the status callback and repairs the local database files. Call once, first.
    virtual void InitData() = 0;
    /// Opens the database channel; 1 when usable, a negative status otherwise.
    virtual int CreateDBConnection() = 0;

    // ---- database maintenance (the server's databases) ----
    virtual int DownLoadDB(QMap<QString, QVariant>& _mapDbData) = 0;
    virtual int UploadDB(QMap<QString, QVariant>& _mapDbData, QMap<QString, int>& _mapResults) = 0;
    virtual int BackupDatabase(const QString& _strFilePath, const QList<QString>& _lstDbNames,
                               QMap<QString, bool>& _mapResults) = 0;
    virtual int RestoreDatabase(QString& _strFilePath, const QList<QString>& _lstDbNames,
                                QMap<QString, bool>& _mapResults, int _iTimeout) = 0;

    /// Folder of the local database files: the application directory followed by "/Db/".
    virtual QString GetDbDirPath() = 0;

    // ---- devices and the resource tree ----

    // ---- users, roles and rights ----

    // ---- settings and configuration ----

    // ---- server host status ----
    /// Appends one new record per interface of the server host; the caller owns them.
    virtual int GetAllNetworkInfo(QList<_NetworkInfo*>& _lstInfo) = 0;
    /// Fills _pInfo (created when null; the caller owns it) with the interface and its samples.
    virtual int GetSystemStatusByName(const QString& _strName, _NetworkInfo*& _pInfo) = 0;

signals:
    void SignResourceDataChangeCallback(const QVector<STRCT_VideoItem*>* _pqvecDataList, OperationType _iCmdType,
                                        int _iDevType, void* _pParam);
    void SignCustomTreeDataChangeCallback(QVector<STRCT_VideoItem*>& _itemList, OperationType _iCmdType,
                                          int _iDevType, void* _param);
    void SignPassengerFlowCustomTreeDataChangeCallback(QVector<STRCT_VideoItem*> _itemList, OperationType _iCmdType,
                                                       int _iDevType, void* _param);
    void SignUpdateViewSuccess();
    void SignUpdateP2PSvrLst();
    void SignDBStatuaChange(int _iDBStatus);
    void SignSendCar();

public slots:
    /// Stores the new password of the local recorder.
    virtual void slotUpdateR480HostConfig(QString _qstrUserName, QString _qstrNewPwd) = 0;
};

extern "C" {
/// A new, idle mediator (no disk or network access).
DATAMEDIATOR_EXPORT I_DataMediator* CreateMediator();
/// Destroys a mediator; null is ignored. Always 0.
DATAMEDIATOR_EXPORT int DeleteMediator(I_DataMediator* _pMediator);
/// Both do nothing and return 0.
DATAMEDIATOR_EXPORT int Init();
DATAMEDIATOR_EXPORT int Release();
}

#endif  // I_DATAMEDIATOR_H
