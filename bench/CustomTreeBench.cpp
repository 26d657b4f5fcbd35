// The administrator's custom tree on the benchmark site: 100 groups at the root holding 200
// channel nodes each (20,000 channels, ten of every host). InitTreeNodeData builds the resource
// tree and then the custom tree; the custom tree's share is InitTreeNodeData with the stored
// nodes minus InitTreeNodeData with the same nodes moved to another user, both in one run.
#include "BenchSite.h"
#include "CLS_DataMediator.h"
#include "CLS_RemoteDBHandler.h"


#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kGroups = 100;
constexpr int kNodesPerGroup = 200;
constexpr int kNodes = kGroups * kNodesPerGroup;

const char kAdmin[] = "admin";
const char kOperator[] = "operator";
const char kPassword[] = "bench pw";


const QString kGroupRows = benchsite::fill(
    "INSERT INTO TAB_USER_OBJ (S_ID, S_USER_ID, S_OBJ_ID, S_CAPTION, S_PARENT_ID, I_NUM) "
    "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < {last}) "
    "SELECT printf('cg%03d', x), 'admin', NULL, 'Group ' || x, NULL, x + 1 FROM c",
    {{"last", QString::number(kGroups - 1)}});
// Node x: channel x % 10 of host x / 10, in group x / 200.
const QString kChannelRows = benchsite::fill(
    "INSERT INTO TAB_USER_OBJ (S_ID, S_USER_ID, S_OBJ_ID, S_CAPTION, S_PARENT_ID, I_NUM) "
    "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < {last}) "
    "SELECT printf('cn%05d', x), 'admin', printf('bh%05d-c%02d', x / 10, x % 10), 'Node ' || x, "
    "printf('cg%03d', x / {group}), x % {group} + 1 FROM c",
    {{"last", QString::number(kNodes - 1)}, {"group", QString::number(kNodesPerGroup)}});

bool execute(const QString& _strSql)
{
    if (CLS_RemoteDBHandler::Execute("Tessel", _strSql, 300, false) < 0) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(_strSql.left(120)));
        return false;
    }
    return true;
}

bool setUp()
{
    return benchsite::settleSysId() && benchsite::addUsersAndSite(kAdmin, kOperator, kPassword) &&
           execute(kGroupRows) && execute(kChannelRows) && execute("ANALYZE");
}

// The stored nodes belong to the administrator (true) or to nobody who logs in (false).
bool ownNodes(bool _bOwn)
{
    return execute(QStringLiteral("UPDATE TAB_USER_OBJ SET S_USER_ID = '%1' WHERE S_USER_ID = '%2'")
                       .arg(_bOwn ? "admin" : "parked", _bOwn ? "parked" : "admin"));
}

void BM_InitTreeNodeData(benchmark::State& _state, bool _bCustomTree)
{
    if (!ownNodes(_bCustomTree)) {
        _state.SkipWithError("nodes not moved");
        return;
    }
    const int iExpected = _bCustomTree ? 1 + kGroups + kNodes : 1;
    int iCustomItems = 0;
    for (auto _ : _state) {
        _state.PauseTiming();
        auto pMediator = std::make_unique<CLS_DataMediator>();
        if (pMediator->LoginUser(kAdmin, kPassword) != 0) {
            _state.SkipWithError("login failed");
            break;
        }
        _state.ResumeTiming();

        const int iRet = pMediator->InitTreeNodeData();

        _state.PauseTiming();
        const QVector<STRCT_VideoItem*> vecCustom = pMediator->GetCustomTreeItems();
        iCustomItems = vecCustom.size();
        qDeleteAll(vecCustom);
        benchsite::freeTree(*pMediator);
        pMediator.reset();
        if (iRet != 0 || iCustomItems != iExpected) {
            std::fprintf(stderr, "InitTreeNodeData %d, %d custom items\n", iRet, iCustomItems);
            _state.SkipWithError("tree not loaded");
            break;
        }
        _state.ResumeTiming();
    }
    _state.counters["custom_items"] = iCustomItems;
    ownNodes(true);
}

}  // namespace

BENCHMARK_CAPTURE(BM_InitTreeNodeData, with_custom_tree, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK_CAPTURE(BM_InitTreeNodeData, without_custom_tree, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

int main(int argc, char** argv)
{
    return benchsite::runBenchmarks(argc, argv, &setUp, nullptr);
}
