#include "CLS_DataMediator.h"

#include "CLS_DataAccess.h"
#include "Log.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QThread>
#include <QWaitCondition>

namespace {

const char kDefaultServerIp[] = "127.0.0.1";
constexpr int kDefaultServerPort = 9562;

// Mediators alive now, and the status signals being emitted to them (mediator and emitting
// thread). The callback only reaches a mediator found alive, and emits without the lock; a
// mediator's destructor waits until no other thread is emitting to it, so a channel event
// never lands on a destroyed one.
QMutex s_liveMutex;
QWaitCondition s_emitDone;
QSet<CLS_DataMediator*>& liveMediators()
{
    static QSet<CLS_DataMediator*> s_live;
    return s_live;
}
typedef QPair<CLS_DataMediator*, Qt::HANDLE> Emitter;
QHash<Emitter, int>& emitting()
{
    static QHash<Emitter, int> s_emitting;
    return s_emitting;
}
bool emittedByAnotherThread(CLS_DataMediator* _pMediator)
{
    const Qt::HANDLE self = QThread::currentThreadId();
    for (auto it = emitting().cbegin(); it != emitting().cend(); ++it) {
        if (it.key().first == _pMediator && it.key().second != self) {
            return true;
        }
    }
    return false;
}

// Registers the argument types of the mediator's signals, so that queued connections can copy
// them. The reference parameter is registered under its own spelling as an alias of the vector.
void registerSignalTypes()
{
    static const bool s_bRegistered = [] {
        qRegisterMetaType<OperationType>("OperationType");
        qRegisterMetaType<STRCT_VideoItem*>("STRCT_VideoItem*");
        qRegisterMetaType<const QVector<STRCT_VideoItem*>*>("const QVector<STRCT_VideoItem*>*");
        qRegisterMetaType<QVector<STRCT_VideoItem*>>("QVector<STRCT_VideoItem*>");
        qRegisterMetaType<QVector<STRCT_VideoItem*>>("QVector<STRCT_VideoItem*>&");
        return true;
    }();
    Q_UNUSED(s_bRegistered);
}

}  // namespace

extern "C" {
I_DataMediator* CreateMediator()
{
    return new CLS_DataMediator();
}

int DeleteMediator(I_DataMediator* _pMediator)
{
    delete _pMediator;
    return 0;
}

int Init()
{
    return 0;
}

int Release()
{
    return 0;
}
}

CLS_DataMediator::CLS_DataMediator() : I_DataMediator(nullptr)
{
    qDebug() << "CLS_DataMediator::CLS_DataMediator()";
    registerSignalTypes();
    QMutexLocker locker(&s_liveMutex);
    liveMediators().insert(this);
}

CLS_DataMediator::~CLS_DataMediator()
{
    ReleaseAlarmState();
    QMutexLocker locker(&s_liveMutex);
    liveMediators().remove(this);
    // A slot running on this thread may delete its own mediator; only other threads are waited for.
    while (emittedByAnotherThread(this)) {
        s_emitDone.wait(&s_liveMutex);
    }
    // The resource items are not deleted: the client may still hold them.
}

const QStringList& CLS_DataMediator::DatabaseNames()
{
    static const QStringList s_names{QStringLiteral("Tessel"), QStringLiteral("Tessel-record"),
                                     QStringLiteral("Tessel-intelligent"), QStringLiteral("Tessel-passengerFlow")};
    return s_names;
}

void CLS_DataMediator::InitData()
{
    QString strIp = QString::fromLatin1(kDefaultServerIp);
    int iPort = kDefaultServerPort;
    int iRet = GetDbServerConfig(strIp, iPort);
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataMediator::InitData GetDbServerConfig failed.ret = %d.", iRet);
        // A failed read may have left partial values behind; the defaults stay in force.
        strIp = QString::fromLatin1(kDefaultServerIp);
        iPort = kDefaultServerPort;
    }
    iRet = CLS_DataAccess::GetInstance().InitData(strIp, iPort);
    if (iRet != 0) {
        DL_LOG(2, "CLS_DataAccess::GetInstance().InitData failed.");
        return;
    }
    if (!CLS_DataAccess::GetInstance().SetDBCallback(&CLS_DataMediator::DbStatusCallback, this)) {
        DL_LOG(2, "CLS_DataAccess::GetInstance().SetDBCallback failed.");
        return;
    }
    const QString strDir = GetDbDirPath();
    for (const QString& strName : DatabaseNames()) {
        if (PrepareDbFile(strDir, strName).isEmpty()) {
            break;
        }
    }
}

int CLS_DataMediator::CreateDBConnection()
{
    return CLS_DataAccess::GetInstance().CreateDBConnection();
}

int CLS_DataMediator::DownLoadDB(QMap<QString, QVariant>& _mapDbData)
{
    return CLS_DataAccess::GetInstance().DownLoadDB(_mapDbData);
}

int CLS_DataMediator::UploadDB(QMap<QString, QVariant>& _mapDbData, QMap<QString, int>& _mapResults)
{
    return CLS_DataAccess::GetInstance().UploadDB(_mapDbData, _mapResults);
}

int CLS_DataMediator::BackupDatabase(const QString& _strFilePath, const QList<QString>& _lstDbNames,
                                     QMap<QString, bool>& _mapResults)
{
    return CLS_DataAccess::GetInstance().BackupDatabase(_strFilePath, _lstDbNames, _mapResults);
}

int CLS_DataMediator::RestoreDatabase(QString& _strFilePath, const QList<QString>& _lstDbNames,
                                      QMap<QString, bool>& _mapResults, int _iTimeout)
{
    return CLS_DataAccess::GetInstance().RestoreDatabase(_strFilePath, _lstDbNames, _mapResults, _iTimeout);
}

QString CLS_DataMediator::GetDbDirPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Db/");
}

int CLS_DataMediator::GetAllNetworkInfo(QList<_NetworkInfo*>& _lstInfo)
{
    return CLS_DataAccess::GetInstance().GetAllNetworkInfo(_lstInfo);
}

int CLS_DataMediator::GetSystemStatusByName(const QString& _strName, _NetworkInfo*& _pInfo)
{
    return CLS_DataAccess::GetInstance().GetSystemStatusByName(_strName, _pInfo);
}

int CLS_DataMediator::GetServerStatus(QJsonObject& _objStatus)
{
    return CLS_DataAccess::GetInstance().GetServerStatus(_objStatus);
}

void CLS_DataMediator::DbStatusCallback(int _iCmd, int _iParam, void* _pUser)
{
    qDebug() << "DbStatusCallback: _iCmd:" << _iCmd << " iParam:" << _iParam;
    if (_pUser == nullptr) {
        return;
    }
    auto* pMediator = static_cast<CLS_DataMediator*>(_pUser);
    const Emitter emitter(pMediator, QThread::currentThreadId());
    {
        QMutexLocker locker(&s_liveMutex);
        if (!liveMediators().contains(pMediator)) {
            return;
        }
        ++emitting()[emitter];
    }
    // Not under the lock: a directly connected slot may wait for a thread that creates or
    // deletes a mediator.
    emit pMediator->SignDBStatuaChange(_iParam);
    QMutexLocker locker(&s_liveMutex);
    if (--emitting()[emitter] == 0) {
        emitting().remove(emitter);
    }
    s_emitDone.wakeAll();
}

void CLS_DataMediator::slotUpdateR480HostConfig(QString _qstrUserName, QString _qstrNewPwd)
{
    if (CLS_DataAccess::GetInstance().SetR480HostConfig(_qstrUserName, _qstrNewPwd) != 0) {
        DL_LOG(3,
               "error CLS_DataMediator::slotUpdateR480HostConfig SetR480HostConfig(_qstrUserName, "
               "_qstrNewPwd) != 0");
    }
}

int CLS_DataMediator::GetDbServerConfig(QString& _ip, int& _port)
{
    const QString strPath = QCoreApplication::applicationDirPath() + QStringLiteral("/DbServerConfig.json");
    QFile file(strPath);
    if (QFileInfo(strPath).isFile()) {
        if (!file.open(QIODevice::ReadWrite)) {
            qDebug() << "system,could't open projects json";
            return -1;
        }
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
        if (doc.isNull() || error.error != QJsonParseError::NoError) {
            qDebug() << "json error!";
            file.close();
            return -1;
        }
        QJsonObject obj = doc.object();
        bool bChanged = false;
        _ip = obj.value(QLatin1String("server_ip")).toString();
        if (_ip.isEmpty()) {
            _ip = QString::fromLatin1(kDefaultServerIp);
            obj.insert(QStringLiteral("server_ip"), _ip);
            bChanged = true;
        }
        _port = obj.value(QLatin1String("server_port")).toInt(0);
        if (_port < 1 || _port > 65535) {
            _port = kDefaultServerPort;
            obj.insert(QStringLiteral("server_port"), _port);
            bChanged = true;
        }
        if (bChanged) {
            file.resize(0);
            file.seek(0);
            file.write(QJsonDocument(obj).toJson(QJsonDocument::Indented));
        }
    } else {
        if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
            DL_LOG(2, "CLS_DataMediator::GetDbServerConfig !loadFile.open qstrCfPath %s", qUtf8Printable(strPath));
            return -1;
        }
        QJsonObject obj;
        obj.insert(QStringLiteral("server_ip"), QString::fromLatin1(kDefaultServerIp));
        obj.insert(QStringLiteral("server_port"), kDefaultServerPort);
        file.write(QJsonDocument(obj).toJson(QJsonDocument::Indented));
        _ip = QString::fromLatin1(kDefaultServerIp);
        _port = kDefaultServerPort;
    }
    file.close();
    m_qstrSerIp = _ip;
    return 0;
}

QString CLS_DataMediator::PrepareDbFile(QString _strDir, QString _strDbName)
{
    const QString strLive = _strDir + _strDbName + ".db";
    if (QFileInfo(strLive).size() < 1) {
        QFile::remove(strLive);
    }
    const QString strRecovery = _strDir + _strDbName + "_recovery" + ".db";
    if (QFile::exists(strRecovery)) {
        if (QFile::exists(strLive)) {
            QFile::remove(strLive);
        }
        if (!QFile::copy(strRecovery, strLive)) {
            DL_LOG(2, "!QFile::copy(qstrCoveryPath, qstrDbPath)");
            return QString();
        }
        QFile::remove(strRecovery);
    }
    const QString strClear = _strDir + _strDbName + "_clear" + ".db";
    if (QFile::exists(strClear)) {
        if (QFile::exists(strLive)) {
            QFile::remove(strLive);
        }
        if (!QFile::copy(_strDir + "Tessel_original" + ".db", strLive)) {
            DL_LOG(2, "!QFile::copy(defaultDbPath, qstrDbPath)");
            return QString();
        }
        QFile::remove(strClear);
    }
    return strLive;
}
