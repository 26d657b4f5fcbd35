// Passenger-flow counting and statistics through the whole stack, beside the same work on an
// in-process SQLite connection:
//  - 100,000 reports through CLS_DataMediator::AddPassengerFlowInfo from 4 threads (each report
//    reads the software type, looks its slot up and adds to it or inserts it; every slot gets
//    two reports); in process the same lookup and update or insert, one thread, on a local file
//    made from the server's schema piece;
//  - statistics of one region of 16 channels over a year of counts (one row per channel and
//    15-minute slot, 12 monthly tables, 560,640 rows): one day by hour, and the whole year by
//    month. In process the same statements on the server's own file, opened read-only.
#include "BenchSite.h"
#include "CLS_DataAccess.h"
#include "DataBase/EntityDao/PassengerFlow/CLS_PassengerFlowDAO.h"

#include <QDate>
#include <QFile>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int kChannels = 16;
constexpr int kSlotsPerDay = 96;
constexpr int kReports = 100000;
constexpr int kThreads = 4;
const char kDb[] = "Tessel-passengerFlow";
const char kDay[] = "2025-06-18";

sqlite3* g_pFlow = nullptr;
sqlite3* g_pAdd = nullptr;
QStringList g_lstChannels;

bool execute(const QString& _strSql)
{
    if (CLS_RemoteDBHandler::Execute(kDb, _strSql, 600, false) < 0) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(_strSql.left(160)));
        return false;
    }
    return true;
}

// One table per month of 2025 from a first row through the DAO, then filled: every channel has
// a row per 15-minute slot of every day, in = 1 + (slot + channel) % 7, out = in - 1, pass 1.
bool seedYear()
{
    for (int m = 1; m <= 12; ++m) {
        CLS_PassengerFlowEntity first;
        first.S_ID = "seed";
        first.S_CHANNEL_OBJ_ID = "seed";
        first.DT_DATE = QDate(2025, m, 1).toString("yyyy-MM-dd");
        first.DT_TIME = "00:00:00";
        const QString strTable = QString("TAB_PASSENGERFLOW_INFO2025%1").arg(m, 2, 10, QLatin1Char('0'));
        const int iDays = QDate(2025, m, 1).daysInMonth();
        const QString strFill = benchsite::fill(
            "INSERT INTO {table} (S_ID, S_CHANNEL_OBJ_ID, DT_DATE, DT_TIME, I_IN_NUMBER, I_OUT_NUMBER, I_PASS_NUMBER) "
            "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < {last}) "
            "SELECT printf('r{month}-%07d', x), printf('pf%02d', x % {channels}), "
            "printf('2025-%02d-%02d', {month}, 1 + x / ({channels} * {slots})), "
            "printf('%02d:%02d:00', (x / {channels}) % {slots} / 4, (x / {channels}) % 4 * 15), "
            "1 + ((x / {channels}) % {slots} + x % {channels}) % 7, ((x / {channels}) % {slots} + x % {channels}) % 7, 1 "
            "FROM c",
            {{"table", strTable},
             {"last", QString::number(iDays * kChannels * kSlotsPerDay - 1)},
             {"month", QString::number(m)},
             {"channels", QString::number(kChannels)},
             {"slots", QString::number(kSlotsPerDay)}});
        if (CLS_PassengerFlowDAO::GetInstance()->AddPassengerFlowInfo(first) != 0 ||
            !execute("DELETE FROM " + strTable) || !execute(strFill)) {
            return false;
        }
    }
    return execute("ANALYZE");
}

bool openLocal(const QString& _strPath, sqlite3** _ppDb, int _iFlags)
{
    if (sqlite3_open_v2(_strPath.toUtf8().constData(), _ppDb, _iFlags, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "local %s: %s\n", qPrintable(_strPath), sqlite3_errmsg(*_ppDb));
        return false;
    }
    return true;
}

// A local file with the counting template as this month's table.
bool setUpAddLocal()
{
    QFile schema(QStringLiteral(TESSEL_PASSENGERFLOW_SCHEMA));
    if (!schema.open(QIODevice::ReadOnly) ||
        !openLocal(benchsite::g_pHome->path() + "/flow.db", &g_pAdd, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) {
        std::fprintf(stderr, "no local counting table\n");
        return false;
    }
    const QByteArray tables = schema.readAll();
    for (const char* pszSql : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL", tables.constData()}) {
        if (sqlite3_exec(g_pAdd, pszSql, nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "local: %s\n", sqlite3_errmsg(g_pAdd));
            return false;
        }
    }
    return true;
}

bool setUp()
{
    for (int c = 0; c < kChannels; ++c) {
        g_lstChannels << QString("pf%1").arg(c, 2, 10, QLatin1Char('0'));
    }
    if (!benchsite::settleSysId() ||
        CLS_DataAccess::GetInstance().SetConfigValue("MAINTYPE_SYSCONFIG", "SoftwareType", "standard", QString()) != 0 ||
        !seedYear()) {
        return false;
    }
    return openLocal(benchsite::g_pServer->dataDir() + "/Tessel-passengerFlow.db", &g_pFlow, SQLITE_OPEN_READONLY) &&
           setUpAddLocal();
}

// Report _i of a run: 4 channels per thread, each slot (a minute of a day) reported twice.
CLS_PassengerFlowEntity reportOf(int _iRun, int _iThread, int _i)
{
    const int iSlot = _i / 8;
    CLS_PassengerFlowEntity e;
    e.S_CHANNEL_OBJ_ID = QString("add%1-%2").arg(_iThread).arg(_i % 4);
    e.DT_DATE = QDate(2026, 1 + _iRun % 12, 1).addDays(iSlot / 1440).toString("yyyy-MM-dd");
    e.DT_TIME = QString("%1:%2:00").arg(iSlot % 1440 / 60, 2, 10, QLatin1Char('0')).arg(iSlot % 60, 2, 10, QLatin1Char('0'));
    e.I_IN_NUMBER = 1;
    e.I_OUT_NUMBER = 1;
    return e;
}

void BM_AddReports4Threads_WholeStack(benchmark::State& _state)
{
    CLS_DataMediator mediator;
    static int iRun = 0;
    for (auto _ : _state) {
        std::atomic<int> iFailed{0};
        std::vector<std::thread> vecThreads;
        for (int t = 0; t < kThreads; ++t) {
            vecThreads.emplace_back([&, t] {
                for (int i = 0; i < kReports / kThreads; ++i) {
                    if (mediator.AddPassengerFlowInfo(reportOf(iRun, t, i)) != 0) {
                        ++iFailed;
                    }
                }
            });
        }
        for (std::thread& thread : vecThreads) {
            thread.join();
        }
        ++iRun;
        if (iFailed.load() != 0) {
            std::fprintf(stderr, "%d reports failed\n", iFailed.load());
            _state.SkipWithError("reports failed");
            break;
        }
    }
    _state.counters["reports/s"] = benchmark::Counter(double(kReports) * _state.iterations(), benchmark::Counter::kIsRate);
}

sqlite3_stmt* prepare(sqlite3* _pDb, const char* _pszSql)
{
    sqlite3_stmt* pStmt = nullptr;
    if (sqlite3_prepare_v2(_pDb, _pszSql, -1, &pStmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "local: %s\n", sqlite3_errmsg(_pDb));
    }
    return pStmt;
}

void bindText(sqlite3_stmt* _pStmt, const char* _pszName, const QString& _strValue)
{
    const QByteArray value = _strValue.toUtf8();
    sqlite3_bind_text(_pStmt, sqlite3_bind_parameter_index(_pStmt, _pszName), value.constData(), value.size(),
                      SQLITE_TRANSIENT);
}

// The same lookup and update or insert, one statement at a time (autocommit), one thread.
void BM_AddReports_InProcessSqlite(benchmark::State& _state)
{
    sqlite3_stmt* pSelect = prepare(g_pAdd,
                                    "SELECT * FROM TAB_PASSENGERFLOW_INFO WHERE S_CHANNEL_OBJ_ID = :ChannelObjID AND "
                                    "DT_DATE =:Date AND DT_TIME =:Time");
    sqlite3_stmt* pUpdate = prepare(g_pAdd,
                                    "UPDATE TAB_PASSENGERFLOW_INFO SET I_IN_NUMBER = I_IN_NUMBER + 1,I_OUT_NUMBER = "
                                    "I_OUT_NUMBER + 1,I_PASS_NUMBER = I_PASS_NUMBER + 0 WHERE S_CHANNEL_OBJ_ID "
                                    "=:ChannelObjID AND DT_DATE = :Date AND DT_TIME = :Time");
    sqlite3_stmt* pInsert = prepare(g_pAdd,
                                    "INSERT INTO TAB_PASSENGERFLOW_INFO (S_ID,S_CHANNEL_OBJ_ID,DT_DATE,DT_TIME,"
                                    "I_IN_NUMBER,I_OUT_NUMBER,I_PASS_NUMBER) VALUES (:ID,:ChannelObjID,:Date,:Time,1,1,0)");
    static int iRun = 0;
    static int iId = 0;  // row ids stay unique across repetitions
    for (auto _ : _state) {
        bool bOk = pSelect != nullptr && pUpdate != nullptr && pInsert != nullptr;
        for (int i = 0; bOk && i < kReports; ++i) {
            const CLS_PassengerFlowEntity e = reportOf(iRun, i % kThreads, i / kThreads);
            for (sqlite3_stmt* pStmt : {pSelect, pUpdate, pInsert}) {
                sqlite3_reset(pStmt);
                bindText(pStmt, ":ChannelObjID", e.S_CHANNEL_OBJ_ID);
                bindText(pStmt, ":Date", e.DT_DATE);
                bindText(pStmt, ":Time", e.DT_TIME);
            }
            sqlite3_stmt* pWrite = pInsert;
            if (sqlite3_step(pSelect) == SQLITE_ROW) {
                pWrite = pUpdate;
            } else {
                bindText(pInsert, ":ID", QString::number(++iId));
            }
            bOk = sqlite3_step(pWrite) == SQLITE_DONE;
        }
        ++iRun;
        if (!bOk) {
            std::fprintf(stderr, "local: %s\n", sqlite3_errmsg(g_pAdd));
            _state.SkipWithError("local add failed");
            break;
        }
    }
    for (sqlite3_stmt* pStmt : {pSelect, pUpdate, pInsert}) {
        sqlite3_finalize(pStmt);
    }
    _state.counters["reports/s"] = benchmark::Counter(double(kReports) * _state.iterations(), benchmark::Counter::kIsRate);
}

CLS_PassengerFlowStatisticConditionEntity condition(qint32 _iPeriod)
{
    CLS_PassengerFlowStatisticConditionEntity c;
    c.m_qstrDate = kDay;
    c.m_iPeriod = _iPeriod;
    c.m_qlstChannelObjIDs = g_lstChannels;
    return c;
}

// Total in over the keys; the label carries it to compare both sides.
void BM_Statistics_WholeStack(benchmark::State& _state)
{
    CLS_DataMediator mediator;
    const qint32 iPeriod = qint32(_state.range(0));
    qint64 i64In = 0;
    int iKeys = 0;
    for (auto _ : _state) {
        QMap<QString, STRCT_PassengerFlowCounts> map;
        const int iRet = mediator.GetPassengerFlowStatistics(condition(iPeriod), map);
        i64In = 0;
        for (const STRCT_PassengerFlowCounts& counts : qAsConst(map)) {
            i64In += counts.m_i64In;
        }
        iKeys = map.size();
        if (iRet != 0 || iKeys != (iPeriod == 0 ? 24 : 12)) {
            _state.SkipWithError("statistics failed");
            break;
        }
    }
    _state.SetLabel(std::to_string(i64In));
    _state.counters["keys"] = iKeys;
}

void BM_Statistics_InProcessSqlite(benchmark::State& _state)
{
    const qint32 iPeriod = qint32(_state.range(0));
    QString strIn;
    for (int c = 0; c < kChannels; ++c) {
        strIn += QString(c == 0 ? "'pf%1'" : ",'pf%1'").arg(c, 2, 10, QLatin1Char('0'));
    }
    const QString strCondition = iPeriod == 0 ? QString(" DT_DATE = '%1'").arg(kDay)
                                              : QString(" DT_DATE >= '2025-01-01' and DT_DATE < '2026-01-01'");
    const int iFirst = iPeriod == 0 ? 6 : 1;
    const int iLast = iPeriod == 0 ? 6 : 12;
    qint64 i64In = 0;
    for (auto _ : _state) {
        QMap<QString, qint64> map;
        for (int m = iFirst; m <= iLast; ++m) {
            const QString strSql = QString("SELECT strftime('%1', %2) THE_TIME, SUM(I_IN_NUMBER) THE_IN_NUMBER, "
                                           "SUM(I_OUT_NUMBER) THE_OUT_NUMBER, SUM(I_PASS_NUMBER) THE_PASS_NUMBER FROM "
                                           "TAB_PASSENGERFLOW_INFO2025%3 WHERE")
                                       .arg(iPeriod == 0 ? "%H" : "%m", iPeriod == 0 ? "DT_TIME" : "DT_DATE")
                                       .arg(m, 2, 10, QLatin1Char('0')) +
                                   strCondition + " And S_CHANNEL_OBJ_ID in (" + strIn + " ) GROUP BY THE_TIME";
            sqlite3_stmt* pStmt = prepare(g_pFlow, strSql.toUtf8().constData());
            while (pStmt != nullptr && sqlite3_step(pStmt) == SQLITE_ROW) {
                map[QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(pStmt, 0)))] +=
                    sqlite3_column_int64(pStmt, 1);
            }
            sqlite3_finalize(pStmt);
        }
        i64In = 0;
        for (const qint64 i64 : qAsConst(map)) {
            i64In += i64;
        }
    }
    _state.SetLabel(std::to_string(i64In));
}

void tearDown()
{
    sqlite3_close(g_pFlow);
    sqlite3_close(g_pAdd);
}

}  // namespace

BENCHMARK(BM_AddReports4Threads_WholeStack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_AddReports_InProcessSqlite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Statistics_WholeStack)->ArgName("period")->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Statistics_InProcessSqlite)->ArgName("period")->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

int main(int _argc, char** _argv)
{
    return benchsite::runBenchmarks(_argc, _argv, &setUp, &tearDown);
}
