// minimal-client USER PASSWORD: starts the Tessel data layer from the configuration files beside
// the program (DbServerConfig.json, StartConfiguration.json, WebSocket.json), logs in and prints
// the user's resource tree.
#include <I_DataMediator.h>
#include <CLS_RemoteDBHandler.h>
#include <VideoItem.h>

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

namespace {

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
    return 0;
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
    DeleteMediator(pMediator);
    CLS_RemoteDBHandler::Teardown();
    return iExit;
}
