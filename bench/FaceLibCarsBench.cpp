// Through the whole stack: fetching one binding's work from a queue of 100,000 face-library
// sync tasks (1,000 bindings of 100 tasks over 10,000 persons), and one page of 50 managed
// vehicles among 200,000 with a plate filter (the page and its total).
#include "BenchSite.h"
#include "CLS_DataAccess.h"
#include "CLS_RemoteDBHandler.h"
#include "DataBase/EntityDao/DB/CLS_BaseEntityDAO.h"


#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int kPersons = 10000;
constexpr int kBindings = 1000;
constexpr int kTasksPerBinding = 100;
constexpr int kCars = 200000;
constexpr int kPlatesK1 = 770;
constexpr int kRemovalsOf537 = 14;


bool run(const QString& _strSql)
{
    if (CLS_RemoteDBHandler::Execute("Tessel", _strSql, 300, false) != 0) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(_strSql.left(120)));
        return false;
    }
    return true;
}

bool setUp()
{
    const QString strSeq = "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < %1) ";
    return run(QString("INSERT INTO TAB_PERSON_INFO (S_ID, S_NAME, S_NUMBER, I_SEX, S_FACEPIC_PATH) ") +
               strSeq.arg(kPersons - 1) +
               "SELECT printf('p%05d', x), 'Person ' || x, printf('%06d', x), x % 2, '/faces/' || x || '.jpg' "
               "FROM c") &&
           run(QString("INSERT INTO TAB_FACELIB_HOST_SYNC_TASK (S_ID, S_TARGETLIB_ID, S_HOST_ID, S_CHAN_ID, "
                       "S_FINGER_OR_CARD_ID, S_PERSON_ID, S_NAME, I_OPT_CMD, I_SUB_CMD, DT_OPT_TIME) ") +
               strSeq.arg(kBindings * kTasksPerBinding - 1) +
               benchsite::fill("SELECT printf('t%06d', x), printf('lib%02d', (x / {per}) % 10), "
                               "printf('h%03d', (x / {per}) / 10), printf('c%04d', x / {per}), 'null', "
                               "printf('p%05d', x % {persons}), 'n', 1 + (x % 7 = 0) * 3, 2, '2024-05-01 10:00:00' "
                               "FROM c",
                               {{"per", QString::number(kTasksPerBinding)}, {"persons", QString::number(kPersons)}})) &&
           run(QString("INSERT INTO TAB_SECURITY_CAR_MANAGE (S_ID, S_VLP, I_VLPC, I_ALWAYSOK, S_USER, S_TEL, "
                       "S_WHITEBEGINTIME, S_WHITEENDTIME, S_BLACKBEGINTIME, S_BLACKENDTIME) ") +
               strSeq.arg(kCars - 1) +
               "SELECT printf('v%06d', x), printf('%s%05d', char(65 + x % 26), x / 2), x % 4, x % 2, 'owner', '', "
               "'2024-01-01', '2024-12-31', '', '' FROM c") &&
           run("ANALYZE");
}

// Binding 537: host h053, library lib07, channel c0537.
void BM_GetSyncTaskOfOneBinding(benchmark::State& _state)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    for (auto _ : _state) {
        QVector<CLS_FaceLibSyncTaskEntity> vecTasks, vecDeletes;
        if (access.GetSyncTask("h053", "lib07", "c0537", vecTasks, vecDeletes) != 0 ||
            vecTasks.size() != kTasksPerBinding) {
            _state.SkipWithError("GetSyncTask");
            break;
        }
        // Every seventh task of the queue is a removal: 14 of tasks 53,700 to 53,799.
        if (vecDeletes.size() != kRemovalsOf537) {
            _state.SkipWithError("wrong removals");
            break;
        }
    }
}

// Plates containing "K1": letter K (x % 26 = 10) with x / 2 from 10000 to 19999, 770 of
// them; the page is the third (page index 2).
void BM_CarPageWithPlateFilter(benchmark::State& _state)
{
    CLS_DataAccess& access = CLS_DataAccess::GetInstance();
    for (auto _ : _state) {
        int iTotal = 0;
        QVector<CLS_SecurityCarEntity> vecCars;
        if (access.GetSecurityCarPage("K1", 50, 2, iTotal, vecCars) != 0 || vecCars.size() != 50) {
            _state.SkipWithError("GetSecurityCarPage");
            break;
        }
        if (iTotal != kPlatesK1) {
            _state.SkipWithError("wrong total");
            break;
        }
    }
}

}  // namespace

BENCHMARK(BM_GetSyncTaskOfOneBinding)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CarPageWithPlateFilter)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    return benchsite::runBenchmarks(argc, argv, &setUp, nullptr);
}
