// Round trips through the whole stack (CLS_RemoteDBHandler -> libWebSocket -> tessel-dbserver
// -> SQLite -> record set) beside the same work on an in-process SQLite connection.
#include "CLS_RemoteDBHandler.h"
#include "I_WebSocket.h"
#include "ServerProcess.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kPointRows = 100000;
constexpr int kWideRows = 10000;

const char* const kCreatePoint =
    "CREATE TABLE IF NOT EXISTS BENCH_POINT(S_KEY TEXT PRIMARY KEY, I_A INTEGER, I_B INTEGER, S_C TEXT, "
    "F_D REAL, DT_E TEXT)";
const char* const kFillPoint =
    "INSERT INTO BENCH_POINT WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 100000) "
    "SELECT printf('%032d', x), x, x * 7, 'caption ' || x, x / 3.0, '2024-01-01 00:00:00' FROM c";
const char* const kPointSelect = "SELECT S_KEY, I_A, I_B, S_C, F_D, DT_E FROM BENCH_POINT WHERE S_KEY = :key";

const char* const kCreateWide =
    "CREATE TABLE IF NOT EXISTS BENCH_WIDE(I_ID INTEGER PRIMARY KEY, C01 TEXT, C02 TEXT, C03 TEXT, C04 TEXT, "
    "C05 TEXT, C06 INTEGER, C07 INTEGER, C08 INTEGER, C09 INTEGER, C10 REAL, C11 TEXT, C12 TEXT, C13 TEXT, C14 TEXT, "
    "C15 TEXT, C16 INTEGER, C17 INTEGER, C18 INTEGER, C19 REAL)";
const char* const kFillWide =
    "INSERT INTO BENCH_WIDE WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 10000) "
    "SELECT x, 'a' || x, 'bb' || x, 'ccc' || x, 'dddd' || x, 'eeeee' || x, x, x * 2, x * 3, x * 4, x / 7.0, "
    "'f' || x, 'g' || x, 'h' || x, 'i' || x, 'j' || x, x + 1, x + 2, x + 3, x / 9.0 FROM c";
const char* const kWideSelect = "SELECT * FROM BENCH_WIDE ORDER BY I_ID";

ServerProcess* g_pServer = nullptr;
sqlite3* g_pLocal = nullptr;
QTemporaryDir* g_pLocalDir = nullptr;

QString keyOf(int _i)
{
    return QString::asprintf("%032d", _i);
}

void freeRows(RecordSet* _pRows)
{
    if (_pRows != nullptr) {
        qDeleteAll(*_pRows);
        delete _pRows;
    }
}

bool setUpServer()
{
    g_pServer = new ServerProcess();
    if (!g_pServer->start()) {
        std::fprintf(stderr, "server did not start: %s\n", qPrintable(g_pServer->output()));
        return false;
    }
    if (connectHandlerTo(*g_pServer) != 1) {
        std::fprintf(stderr, "client did not connect\n");
        return false;
    }
    return CLS_RemoteDBHandler::Execute("Tessel", kCreatePoint, 30, false) == 0 &&
           CLS_RemoteDBHandler::Execute("Tessel", kFillPoint, 120, false) == 0 &&
           CLS_RemoteDBHandler::Execute("Tessel", kCreateWide, 30, false) == 0 &&
           CLS_RemoteDBHandler::Execute("Tessel", kFillWide, 120, false) == 0;
}

bool setUpLocal()
{
    g_pLocalDir = new QTemporaryDir();
    const QByteArray path = (g_pLocalDir->path() + "/local.db").toUtf8();
    if (sqlite3_open(path.constData(), &g_pLocal) != SQLITE_OK) {
        return false;
    }
    for (const char* sql : {"PRAGMA journal_mode=WAL", kCreatePoint, kFillPoint, kCreateWide, kFillWide}) {
        if (sqlite3_exec(g_pLocal, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "local: %s\n", sqlite3_errmsg(g_pLocal));
            return false;
        }
    }
    return true;
}

// Reads a prepared statement's rows into the same record-set type the data layer returns.
RecordSet* readRows(sqlite3_stmt* _pStmt)
{
    auto* pRows = new RecordSet();
    const int iColumns = sqlite3_column_count(_pStmt);
    QVector<QString> names(iColumns);
    for (int c = 0; c < iColumns; ++c) {
        names[c] = QString::fromUtf8(sqlite3_column_name(_pStmt, c));
    }
    while (sqlite3_step(_pStmt) == SQLITE_ROW) {
        auto* pRow = new QMap<QString, QString>();
        for (int c = 0; c < iColumns; ++c) {
            const auto* pText = reinterpret_cast<const char*>(sqlite3_column_text(_pStmt, c));
            pRow->insert(names[c], pText != nullptr ? QString::fromUtf8(pText, sqlite3_column_bytes(_pStmt, c))
                                                    : QString());
        }
        pRows->append(pRow);
    }
    sqlite3_reset(_pStmt);
    return pRows;
}

// Point selects of successive keys through the whole stack until the state ends or one fails.
void runPointSelects(benchmark::State& _state, int _iFirst, const char* _pszFailure)
{
    int i = _iFirst;
    for (auto _ : _state) {
        i = i % kPointRows + 1;
        RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQueryEx("Tessel", kPointSelect, {{":key", keyOf(i)}}, 3);
        if (pRows == nullptr || pRows->size() != 1) {
            _state.SkipWithError(_pszFailure);
            freeRows(pRows);
            break;
        }
        freeRows(pRows);
        ++i;
    }
}

void BM_PointSelect_WholeStack(benchmark::State& _state)
{
    runPointSelects(_state, static_cast<int>(_state.thread_index()) * 7919, "point select failed");
    _state.SetItemsProcessed(_state.iterations());
}

// The same round trip over TLS: loopback traffic normally takes the plain channel, so the
// library's loopback_plain option is switched off for the run (requests then use channel 1, wss).
void BM_PointSelect_WholeStackTls(benchmark::State& _state)
{
    I_WebSocket* pWebSocket = CLS_RemoteDBHandler::m_pWebSocket;
    if (pWebSocket == nullptr || pWebSocket->SetOption(QStringLiteral("loopback_plain"), QStringLiteral("false")) != 0) {
        _state.SkipWithError("cannot switch to the TLS channel");
        return;
    }
    runPointSelects(_state, 0, "point select over TLS failed");
    pWebSocket->SetOption(QStringLiteral("loopback_plain"), QStringLiteral("true"));
}

void BM_PointSelect_InProcessSqlite(benchmark::State& _state)
{
    sqlite3_stmt* pStmt = nullptr;
    sqlite3_prepare_v2(g_pLocal, kPointSelect, -1, &pStmt, nullptr);
    int i = 0;
    for (auto _ : _state) {
        i = i % kPointRows + 1;
        const QByteArray key = keyOf(i).toUtf8();
        sqlite3_bind_text(pStmt, 1, key.constData(), key.size(), SQLITE_TRANSIENT);
        RecordSet* pRows = readRows(pStmt);
        if (pRows->size() != 1) {
            _state.SkipWithError("local point select failed");
        }
        freeRows(pRows);
        ++i;
    }
    sqlite3_finalize(pStmt);
}

void BM_WideQuery_WholeStack(benchmark::State& _state)
{
    for (auto _ : _state) {
        RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQuery("Tessel", kWideSelect, 30);
        if (pRows == nullptr || pRows->size() != kWideRows) {
            _state.SkipWithError("wide query failed");
            freeRows(pRows);
            break;
        }
        freeRows(pRows);
    }
}

void BM_WideQuery_InProcessSqlite(benchmark::State& _state)
{
    sqlite3_stmt* pStmt = nullptr;
    sqlite3_prepare_v2(g_pLocal, kWideSelect, -1, &pStmt, nullptr);
    for (auto _ : _state) {
        RecordSet* pRows = readRows(pStmt);
        if (pRows->size() != kWideRows) {
            _state.SkipWithError("local wide query failed");
        }
        freeRows(pRows);
    }
    sqlite3_finalize(pStmt);
}

}  // namespace

BENCHMARK(BM_PointSelect_WholeStack)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_PointSelect_WholeStackTls)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_PointSelect_InProcessSqlite)->MinTime(1.0);
BENCHMARK(BM_WideQuery_WholeStack)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_WideQuery_InProcessSqlite)->Unit(benchmark::kMillisecond)->MinTime(2.0);
// Throughput with several caller threads: compare items_per_second across the thread counts.
BENCHMARK(BM_PointSelect_WholeStack)->Name("BM_PointSelect_Throughput")->Threads(1)->Threads(2)->Threads(4)->UseRealTime()->MinTime(2.0);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!setUpServer() || !setUpLocal()) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CLS_RemoteDBHandler::Teardown();
    g_pServer->stop();
    delete g_pServer;
    sqlite3_close(g_pLocal);
    delete g_pLocalDir;
    return 0;
}
