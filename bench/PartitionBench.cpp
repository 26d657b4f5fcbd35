// A paged, newest-first query over 24 partitions of 50,000 rows, beside the same page from one
// unpartitioned table of 1,200,000 rows, both through the whole stack.
#include "CLS_RemoteDBHandler.h"
#include "ServerProcess.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int kPartitions = 24;
constexpr int kRowsPerPartition = 50000;
constexpr int kPageSize = 20;

ServerProcess* g_pServer = nullptr;

QString suffixOf(int _iMonth)
{
    return QString::asprintf("%04d%02d", 2022 + _iMonth / 12, _iMonth % 12 + 1);
}

bool setUp()
{
    g_pServer = new ServerProcess();
    if (!g_pServer->start() || connectHandlerTo(*g_pServer) != 1) {
        std::fprintf(stderr, "server: %s\n", qPrintable(g_pServer->output()));
        return false;
    }
    const char* const kColumns = "(S_ID TEXT PRIMARY KEY, DT_TIME TEXT, I_CHANNEL INTEGER, S_PATH TEXT, I_TYPE INTEGER)";
    if (CLS_RemoteDBHandler::Execute("Tessel", QString("CREATE TABLE BENCH_REC") + kColumns, 30, false) != 0 ||
        CLS_RemoteDBHandler::Execute("Tessel", "CREATE INDEX IDX_BENCH_REC_TIME ON BENCH_REC(DT_TIME)", 30, false) != 0 ||
        CLS_RemoteDBHandler::Execute("Tessel", QString("CREATE TABLE BENCH_ALL") + kColumns, 30, false) != 0 ||
        CLS_RemoteDBHandler::Execute("Tessel", "CREATE INDEX IDX_BENCH_ALL_TIME ON BENCH_ALL(DT_TIME)", 30, false) != 0) {
        return false;
    }
    for (int m = 0; m < kPartitions; ++m) {
        // Rows of month m: one every ~50 s; time text sorts like the time.
        const QString strFill = QString(
            "INSERT INTO %1 WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < %2) "
            "SELECT '%3-' || x, printf('%4-%05d', x), x % 64, '/rec/' || x, x % 5 FROM c");
        const QString strSuffix = suffixOf(m);
        if (CLS_RemoteDBHandler::PartitionExecute("Tessel", strFill.arg("BENCH_REC").arg(kRowsPerPartition)
                                                                .arg(strSuffix).arg(strSuffix),
                                                  "BENCH_REC", strSuffix, 120, false) != 0 ||
            CLS_RemoteDBHandler::Execute(
                "Tessel", strFill.arg("BENCH_ALL").arg(kRowsPerPartition).arg(strSuffix).arg(strSuffix), 120, false) != 0) {
            std::fprintf(stderr, "fill failed at month %d\n", m);
            return false;
        }
    }
    return true;
}

void freeRows(RecordSet* _pRows)
{
    if (_pRows != nullptr) {
        qDeleteAll(*_pRows);
        delete _pRows;
    }
}

void BM_Partitioned(benchmark::State& _state)
{
    const int iStart = static_cast<int>(_state.range(0));
    for (auto _ : _state) {
        RecordSet* pRows = CLS_RemoteDBHandler::PartitionExecuteQuery(
            "Tessel", "SELECT * FROM BENCH_REC  WHERE  1=1 ORDER BY DT_TIME DESC", "  WHERE  1=1", "BENCH_REC", "",
            "", iStart, kPageSize, "DESC", 60);
        if (pRows == nullptr || pRows->size() != kPageSize) {
            _state.SkipWithError("partitioned page failed");
            freeRows(pRows);
            break;
        }
        freeRows(pRows);
    }
}

void BM_Unpartitioned(benchmark::State& _state)
{
    const QString strSql =
        QString("SELECT * FROM BENCH_ALL ORDER BY DT_TIME DESC LIMIT %1 OFFSET %2").arg(kPageSize).arg(_state.range(0));
    for (auto _ : _state) {
        RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQuery("Tessel", strSql, 60);
        if (pRows == nullptr || pRows->size() != kPageSize) {
            _state.SkipWithError("unpartitioned page failed");
            freeRows(pRows);
            break;
        }
        freeRows(pRows);
    }
}

}  // namespace

// First page, and a page 1,000,000 rows deep.
BENCHMARK(BM_Partitioned)->Arg(0)->Arg(1000000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Unpartitioned)->Arg(0)->Arg(1000000)->Unit(benchmark::kMicrosecond)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!setUp()) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CLS_RemoteDBHandler::Teardown();
    g_pServer->stop();
    delete g_pServer;
    return 0;
}
