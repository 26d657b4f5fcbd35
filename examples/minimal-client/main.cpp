// minimal-client USER PASSWORD: starts the Tessel data layer from the configuration files beside
// the program (DbServerConfig.json, StartConfiguration.json, WebSocket.json), logs in and prints
// the user's resource tree. Then, as a windowed client would: blocking calls on a worker thread,
// a change signal received on the main thread through a queued connection, and everything the
// caller owns freed (docs/client-guide.md has the rules).
#include <I_DataMediator.h>
#include <CLS_RemoteDBHandler.h>
#include <VideoItem.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSet>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

int watchChangesFromAWorker(I_DataMediator& _mediator);

int run(I_DataMediator& _mediator, const QString& _strUser, const QString& _strPassword)
{
    _mediator.InitData();  // reads DbServerConfig.json: the server's address
    const int iStatus = _mediator.CreateDBConnection();
    if (iStatus != 1) {
        std::fprintf(stderr, "minimal-client: no connection to the database server (status %d)\n", iStatus);
        return 1;
    }
    int iRet = _mediator.LoginUser(_strUser, _strPassword);
    if (iRet != 0) {
        std::fprintf(stderr, "minimal-client: login as %s failed (%d)\n", qPrintable(_strUser), iRet);
        return 1;
    }
    iRet = _mediator.InitTreeNodeData();
    if (iRet != 0) {
        std::fprintf(stderr, "minimal-client: the resource tree could not be loaded (%d)\n", iRet);
        return 1;
    }
    QVector<STRCT_VideoItem*> vecHosts = _mediator.GetAllHostItems();
    std::stable_sort(
        vecHosts.begin(), vecHosts.end(),
        [](const STRCT_VideoItem* a, const STRCT_VideoItem* b) { return a->m_iSortNum < b->m_iSortNum; });
    std::printf("resource tree of %s: %d hosts\n", qPrintable(_strUser), int(vecHosts.size()));
    for (const STRCT_VideoItem* pHost : vecHosts) {
        std::printf("%s  %s\n", pHost->m_strCaption.c_str(), pHost->m_strID.c_str());
        for (const STRCT_VideoItem* pChild : pHost->m_vecChilds) {
            std::printf("  %s  %s\n", pChild->m_strCaption.c_str(), pChild->m_strID.c_str());
        }
    }
    return watchChangesFromAWorker(_mediator);
}

// A worker thread adds a custom-tree group and removes it again; the main thread hears of both
// through a queued connection. The receiver copies what it prints while it runs, and reads no
// more than the pointers' own texts: the items of a removal are freed shortly after the signal.
int watchChangesFromAWorker(I_DataMediator& _mediator)
{
    QStringList lstSeen;
    QObject receiver;  // lives on the main thread: the queued slot runs there
    QObject::connect(
        &_mediator, &I_DataMediator::SignCustomTreeDataChangeCallback, &receiver,
        [&lstSeen](QVector<STRCT_VideoItem*>& _vecItems, OperationType _op, int, void*) {
            lstSeen << QStringLiteral("%1 %2 item(s)")
                           .arg(_op == otInsert ? "inserted" : "deleted")
                           .arg(_vecItems.size());
        },
        Qt::QueuedConnection);

    int iUsers = -1;
    int iRet = -1;
    std::unique_ptr<QThread> pWorker(QThread::create([&] {
        // Entities handed out are the caller's: free them.
        QVector<CLS_UserEntity*> vecUsers = _mediator.GetAllUser();
        iUsers = vecUsers.size();
        qDeleteAll(vecUsers);
        QString strNodeID;
        iRet = _mediator.InsertCustomTreeGroup("custom_root_id", "minimal-client", strNodeID);
        if (iRet == 0) {
            iRet = _mediator.DeleteFromCustomTree(strNodeID);
        }
    }));
    QEventLoop loop;
    QObject::connect(pWorker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    pWorker->start();
    loop.exec();
    // The queued calls were posted before the worker finished; let them run.
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();
    if (iRet != 0) {
        std::fprintf(stderr, "minimal-client: the custom tree could not be changed (%d)\n", iRet);
        return 1;
    }
    std::printf("users: %d\n", iUsers);
    for (const QString& strSeen : qAsConst(lstSeen)) {
        std::printf("custom tree signal on the main thread: %s\n", qPrintable(strSeen));
    }
    return 0;
}

// The tree items the mediator still holds become the caller's once it is deleted.
QVector<STRCT_VideoItem*> heldItems(I_DataMediator& _mediator)
{
    QSet<STRCT_VideoItem*> setItems;
    QVector<STRCT_VideoItem*> vecPending;
    _mediator.GetChildItems(QString(), vecPending);
    _mediator.GetChildItems("resource_root_id", vecPending);
    while (!vecPending.isEmpty()) {
        STRCT_VideoItem* pItem = vecPending.takeLast();
        if (pItem != nullptr && !setItems.contains(pItem)) {
            setItems.insert(pItem);
            vecPending.append(
                QVector<STRCT_VideoItem*>(pItem->m_vecChilds.begin(), pItem->m_vecChilds.end()));
            if (pItem->GetType() == vitDecoder) {
                _mediator.GetChildItems(QString::fromStdString(pItem->m_strID), vecPending);
            }
        }
    }
    for (STRCT_VideoItem* pItem : _mediator.GetCustomTreeItems() + _mediator.GetPassengerFlowTreeItems()) {
        setItems.insert(pItem);
    }
    return setItems.values().toVector();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: minimal-client USER PASSWORD\n");
        return 2;
    }
    I_DataMediator* pMediator = CreateMediator();
    const int iExit = run(*pMediator, QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    const QVector<STRCT_VideoItem*> vecItems = heldItems(*pMediator);
    DeleteMediator(pMediator);
    qDeleteAll(vecItems);
    CLS_RemoteDBHandler::Teardown();
    return iExit;
}
