// The console's resource tree on a site of 10,000 channels on 1,000 hosts: InitTreeNodeData
// alone, beside the console's whole path to a filled tree view (the load on the session's thread,
// the copies of the items, the model adapter reset and attached to a QTreeView, the first
// painting of the view), and scrolling: every row's data() for the roles a view asks for, with
// the server's request count read before and after to show that no row costs a round trip.
//
// Widgets are drawn on the offscreen platform (QT_QPA_PLATFORM=offscreen unless set).
#include "BenchSite.h"
#include "ConsoleSession.h"
#include "ItemTreeModel.h"
#include "Panes.h"

#include <QApplication>
#include <QJsonObject>
#include <QEventLoop>
#include <QTimer>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

constexpr int kHosts = 1000;
constexpr int kChannels = 10;
constexpr int kItems = kHosts * (1 + kChannels);

const char kAdmin[] = "admin";
const char kPassword[] = "bench pw";

const char* const kSeed[] = {
    "CREATE TABLE IF NOT EXISTS BENCH_H(X INTEGER PRIMARY KEY)",
    "INSERT INTO BENCH_H WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 999) "
    "SELECT x FROM c",
    "CREATE TABLE IF NOT EXISTS BENCH_N(X INTEGER PRIMARY KEY)",
    "INSERT INTO BENCH_N WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 9) SELECT "
    "x FROM c",
    "INSERT INTO TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) "
    "SELECT printf('ch%05d', X), NULL, 4, 'Host ' || X, 1 FROM BENCH_H H",
    "INSERT INTO TAB_DEV_VIDEO_HOST (S_ID, S_IP, I_PORT, S_USERNAME, S_PASSWORD, S_DESCRIPTION, I_DEVTYPE, "
    "I_VIDEO_HOST_TYPE_ID, S_DNS_IP, I_DNS_PORT, I_DNS_TYPE, S_PRODUCT_ID, S_DOMAIN, I_HTTP_PORT, "
    "S_ITS_NUMBER) "
    "SELECT printf('ch%05d', X), printf('10.%d.%d.1', X / 250, X % 250), 3000, 'admin', '=_^', '', 1, 1, '', "
    "0, 0, 'SN' || X, '', 80, '' FROM BENCH_H H",
    "INSERT INTO TAB_HOST (S_ID, I_PROXY_TYPE, S_PROXY1_ID, S_PROXY1_IP, I_PROXY1_PORT, S_PROXY1_CAPTION, "
    "S_PROXY2_ID, S_PROXY2_IP, I_PROXY2_PORT, S_PROXY2_CAPTION, S_DNS_USER, S_DNS_PASSWORD, "
    "I_ENABLE_DEFENCE) "
    "SELECT printf('ch%05d', X), 1, '', '', 0, '', '', '', 0, '', '', '', 1 FROM BENCH_H H",
    "INSERT INTO TAB_OBJ (S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION, I_VISIBLE) "
    "SELECT printf('ch%05d-c%02d', H.X, N.X), printf('ch%05d', H.X), 5, "
    "printf('10.%d.%d.1-Channel %d', H.X / 250, H.X % 250, N.X + 1), 1 FROM BENCH_H H, BENCH_N N",
    "INSERT INTO TAB_DEV_CAMERA (S_ID, I_NUM, S_DESCRIPTION, I_LINK_TYPE_ID, I_BUF_NUM, I_DELAY_NUM, "
    "I_PROTOCOL_TYPE, I_PTZ_ADDR, I_COM_PORT, I_BAUDRATE, S_PARENT_ID) "
    "SELECT printf('ch%05d-c%02d', H.X, N.X), N.X, '', 0, 20, 1, 0, 0, 1, 9600, printf('ch%05d', H.X) FROM "
    "BENCH_H H, BENCH_N N",
    "INSERT INTO TAB_CHANNEL (S_ID, I_CONTROL_TYPE, I_SPEED_X, I_SPEED_Y, I_DATA_TYPE, I_ENCRYPT_ENABLED, "
    "S_DECRYPT_CODE, S_PARENT_ID, I_ENABLE_DEFENCE) "
    "SELECT printf('ch%05d-c%02d', H.X, N.X), 0, 50, 50, 0, 0, '', printf('ch%05d', H.X), 1 FROM BENCH_H H, "
    "BENCH_N N",
    // the administrator's rights, as the device tables write them with each object
    "INSERT INTO TAB_OBJ_ROLE_AUTHORITY (S_OBJ_ID, S_ROLE_ID, I_AUTHORITY_TYPE_ID, I_STATUS, S_PARENT_ID) "
    "SELECT o.S_ID, 'admin_role', t.I_AUTHORITY_TYPE_ID, 1, COALESCE(o.S_PARENT_ID, o.S_ID) FROM TAB_OBJ o "
    "JOIN TAB_OBJ_TYPE_AUTHORITY_TYPE t ON t.I_OBJ_TYPE_ID = o.I_OBJ_TYPE_ID WHERE o.S_ID LIKE 'ch%'",
};

bool setUp()
{
    if (!benchsite::settleSysId()) {
        return false;
    }
    CLS_DataMediator mediator;
    if (mediator.AddUser(kAdmin, kPassword) != 0) {
        std::fprintf(stderr, "no administrator\n");
        return false;
    }
    for (const char* pszSql : kSeed) {
        if (CLS_RemoteDBHandler::Execute("Tessel", pszSql, 300, false) < 0) {
            std::fprintf(stderr, "seed failed: %s\n", pszSql);
            return false;
        }
    }
    return true;
}

// TESSEL_BENCH_QUICK=1 (scripts/bench.sh --quick): fewer iterations.
int iterations(int _iFull, int _iQuick)
{
    const char* pszQuick = std::getenv("TESSEL_BENCH_QUICK");
    return pszQuick != nullptr && std::strcmp(pszQuick, "1") == 0 ? _iQuick : _iFull;
}

// A client's mediator, logged in, trees not loaded; released with the items it leaves behind.
I_DataMediator* loggedIn()
{
    I_DataMediator* pMediator = CreateMediator();
    if (pMediator->LoginUser(kAdmin, kPassword) != 0) {
        DeleteMediator(pMediator);
        return nullptr;
    }
    return pMediator;
}

void release(I_DataMediator* _pMediator)
{
    const QVector<STRCT_VideoItem*> vecItems = console::allTreeItems(*_pMediator);
    DeleteMediator(_pMediator);
    qDeleteAll(vecItems);
}

// The server's requests answered so far (served and refused); -1 when it cannot be read. The
// status read itself is counted after its own answer, so two reads in a row differ by one.
double requestsSoFar(I_DataMediator& _mediator)
{
    QJsonObject status;
    if (_mediator.GetServerStatus(status) != 0) {
        return -1;
    }
    return status.value("served").toDouble() + status.value("refused").toDouble();
}

void BM_InitTreeNodeData(benchmark::State& _state)
{
    for (auto _ : _state) {
        _state.PauseTiming();
        I_DataMediator* pMediator = loggedIn();
        if (pMediator == nullptr) {
            _state.SkipWithError("login failed");
            break;
        }
        _state.ResumeTiming();

        const int iRet = pMediator->InitTreeNodeData();

        _state.PauseTiming();
        const int iHosts = pMediator->GetAllHostItems().size();
        release(pMediator);
        if (iRet != 0 || iHosts != kHosts) {
            std::fprintf(stderr, "InitTreeNodeData %d, %d hosts\n", iRet, iHosts);
            _state.SkipWithError("tree not loaded");
            break;
        }
        _state.ResumeTiming();
    }
    _state.counters["items"] = kItems;
}

// What a user waits for after logging in: the trees pane's load (InitTreeNodeData and the copies
// of the items on the session's thread, the models reset on the window's thread) and the first
// painting of the resource view with its hosts expanded.
void BM_ConsoleTreeLoad(benchmark::State& _state)
{
    for (auto _ : _state) {
        _state.PauseTiming();
        I_DataMediator* pMediator = loggedIn();
        if (pMediator == nullptr) {
            _state.SkipWithError("login failed");
            break;
        }
        auto* pSession = new console::ConsoleSession(pMediator);
        auto* pPane = new console::TreesPane(*pSession);
        pPane->resize(1000, 700);
        pPane->show();
        QCoreApplication::processEvents();
        int iCode = 1;
        bool bLoaded = false;
        // The window's thread waits in its event loop, as the program's does (no busy polling).
        QEventLoop loop;
        QObject::connect(pPane, &console::TreesPane::loaded, &loop, [&](int _iCode) {
            iCode = _iCode;
            bLoaded = true;
            loop.quit();
        });
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        _state.ResumeTiming();

        pPane->load();
        loop.exec();
        const bool bDone = bLoaded;
        QTreeView* pView = pPane->view(console::TreeKind::Resource);
        const QPixmap shown = pView->viewport()->grab();

        _state.PauseTiming();
        const int iItems = pPane->model(console::TreeKind::Resource)->itemCount();
        const bool bPainted = !shown.isNull() && pView->indexAt(QPoint(5, 5)).isValid();
        delete pPane;
        delete pSession;
        release(pMediator);
        if (!bDone || iCode != 0 || iItems != kItems || !bPainted) {
            std::fprintf(stderr, "load %d (%s), %d items, painted %d\n", iCode, bDone ? "ended" : "no end",
                         iItems, bPainted);
            _state.SkipWithError("tree view not filled");
            break;
        }
        _state.ResumeTiming();
    }
    _state.counters["items"] = kItems;
}

// Every row of the loaded resource model, expanded, read as a view reads it while scrolling:
// caption, icon and tooltip of the first column, the id of the second. The server's request
// count before and after the walks gives the round trips they caused: there must be none.
void BM_ScrollEveryRow(benchmark::State& _state)
{
    I_DataMediator* pMediator = loggedIn();
    if (pMediator == nullptr || pMediator->InitTreeNodeData() != 0) {
        _state.SkipWithError("tree not loaded");
        if (pMediator != nullptr) {
            release(pMediator);
        }
        return;
    }
    console::ItemTreeModel model(console::TreeKind::Resource);
    model.resetTo(console::snapshotTree(*pMediator, console::TreeKind::Resource));
    const double dBefore = requestsSoFar(*pMediator);
    int64_t iRows = 0;
    size_t uiText = 0;
    for (auto _ : _state) {
        const std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& _parent) {
            const int iCount = model.rowCount(_parent);
            for (int i = 0; i < iCount; ++i) {
                const QModelIndex caption = model.index(i, console::ItemTreeModel::CaptionColumn, _parent);
                uiText += caption.data(Qt::DisplayRole).toString().size();
                benchmark::DoNotOptimize(caption.data(Qt::DecorationRole));
                uiText += caption.data(Qt::ToolTipRole).toString().size();
                uiText += model.index(i, console::ItemTreeModel::IdColumn, _parent).data().toString().size();
                ++iRows;
                walk(caption);
            }
        };
        walk(QModelIndex());
    }
    const double dAfter = requestsSoFar(*pMediator);
    release(pMediator);
    benchmark::DoNotOptimize(uiText);
    const double dRoundTrips = dAfter - dBefore - 1;
    _state.SetItemsProcessed(iRows);
    _state.counters["rows"] = static_cast<double>(model.itemCount());
    _state.counters["round_trips"] = dRoundTrips;
    if (dBefore < 0 || dAfter < 0) {
        _state.SkipWithError("the server's request count could not be read");
    } else if (dRoundTrips != 0 || iRows != static_cast<int64_t>(_state.iterations()) * kItems) {
        std::fprintf(stderr, "%.0f round trips, %lld rows\n", dRoundTrips, static_cast<long long>(iRows));
        _state.SkipWithError("scrolling asked the server");
    }
}

}  // namespace

BENCHMARK(BM_InitTreeNodeData)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(iterations(10, 3));
BENCHMARK(BM_ConsoleTreeLoad)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(iterations(10, 3));
BENCHMARK(BM_ScrollEveryRow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(iterations(20, 5));

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // No logging while measuring.
    dy_libos_log_debug_ex = nullptr;
    if (!benchsite::startServer() || !setUp()) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CLS_RemoteDBHandler::Teardown();
    benchsite::g_pServer->stop();
    delete benchsite::g_pServer;
    delete benchsite::g_pHome;
    return 0;
}
