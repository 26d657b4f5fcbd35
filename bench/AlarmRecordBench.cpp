// The alarm log at 1,000,000 records: a search page near the start and far into the log, a
// count with a time range, a level set and a handling state, and single inserts, through the
// whole stack; the same page and count on an in-process SQLite copy beside them.
#include "CLS_RemoteDBHandler.h"
#include "DataBase/EntityDao/Alarm/CLS_AlarmRecordEntityDAO.h"
#include "ServerProcess.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>

namespace {

constexpr int kRecords = 1000000;
constexpr int kPageSize = 20;

// One record every 3 s from 2026-01-01 on (about 35 days); levels, states and types cycle.
const QString kFill = QStringLiteral(
    "INSERT INTO TAB_ALARM_RECORD (S_ID, DT_ALARM, S_CAMERA_ID, S_CAMERA_CAPTION, I_CAMERA_TYPE, I_ALARM_TYPE, "
    "I_RULE_ID, I_IS_ALARM, I_LEVEL, S_USER_ID, I_DEAL_STATE, I_SEQ) "
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < %1) "
    "SELECT printf('%032d', x), strftime('%Y-%m-%d %H:%M:%S', 1767225600 + x * 3, 'unixepoch'), "
    "'cam-' || (x % 64), 'Camera ' || (x % 64), 5, 1 + x % 12, -1, 1, 1 + x % 5, 'admin', x % 3, 0 FROM c")
                           .arg(kRecords);

ServerProcess* g_pServer = nullptr;
sqlite3* g_pLocal = nullptr;
QTemporaryDir* g_pLocalDir = nullptr;

CLS_AlarmRecordSearchEntity filtered()
{
    CLS_AlarmRecordSearchEntity s;
    s.m_strStartTime = "2026-01-10 00:00:00";
    s.m_strEndTime = "2026-01-20 00:00:00";
    s.m_iDealState = 0;
    s.m_bLevel[0] = s.m_bLevel[1] = false;  // levels 3 to 5
    return s;
}

CLS_AlarmRecordSearchEntity page(int _iPage)
{
    CLS_AlarmRecordSearchEntity s;
    s.m_iPageNum = _iPage;
    s.m_iPageSize = kPageSize;
    return s;
}

bool setUpServer()
{
    g_pServer = new ServerProcess();
    if (!g_pServer->start() || connectHandlerTo(*g_pServer) != 1) {
        std::fprintf(stderr, "server: %s\n", qPrintable(g_pServer->output()));
        return false;
    }
    return CLS_RemoteDBHandler::Execute("Tessel", kFill, 600, false) == 0 &&
           CLS_RemoteDBHandler::Execute("Tessel", "ANALYZE", 600, false) == 0;
}

// The same table, indexes and rows in a local file, from the server's own schema piece.
bool setUpLocal(const char* _pszSchema)
{
    QFile schema(QString::fromUtf8(_pszSchema));
    if (!schema.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", _pszSchema);
        return false;
    }
    g_pLocalDir = new QTemporaryDir();
    const QByteArray path = (g_pLocalDir->path() + "/local.db").toUtf8();
    if (sqlite3_open(path.constData(), &g_pLocal) != SQLITE_OK) {
        return false;
    }
    const QByteArray fill = kFill.toUtf8();
    const QByteArray tables = schema.readAll();
    // The dictionary table the schema piece seeds captions into.
    for (const char* sql : {"PRAGMA journal_mode=WAL",
                            "CREATE TABLE TAB_DD_LANG_DICTIONARY (I_ID INTEGER, S_CAPTION TEXT, S_LANG_TYPE TEXT)",
                            tables.constData(), fill.constData(), "ANALYZE"}) {
        if (sqlite3_exec(g_pLocal, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "local: %s\n", sqlite3_errmsg(g_pLocal));
            return false;
        }
    }
    return true;
}

void BM_SearchPage_WholeStack(benchmark::State& _state)
{
    const CLS_AlarmRecordSearchEntity search = page(static_cast<int>(_state.range(0)));
    for (auto _ : _state) {
        QVector<CLS_AlarmRecordEntity*> vecRecords;
        const int iRet = CLS_AlarmRecordEntityDAO::GetInstance()->SearchAlarmRecord(search, vecRecords);
        const int iSize = vecRecords.size();
        qDeleteAll(vecRecords);
        if (iRet != 0 || iSize != kPageSize) {
            _state.SkipWithError("search failed");
            break;
        }
    }
}

void BM_Count_WholeStack(benchmark::State& _state)
{
    const CLS_AlarmRecordSearchEntity search = filtered();
    for (auto _ : _state) {
        if (CLS_AlarmRecordEntityDAO::GetInstance()->SearchAlarmRecordCount(search) <= 0) {
            _state.SkipWithError("count failed");
            break;
        }
    }
}

// The DAO's own statement text with its binds, run on the local copy; the rows are stepped.
int runLocal(const CLS_AlarmRecordSearchEntity& _search, bool _bCount)
{
    QString strWhere;
    CLS_AlarmRecordEntityDAO::Binds binds;
    CLS_AlarmRecordEntityDAO::BuildConditions(_search, _bCount, strWhere, binds);
    const QString strSql =
        _bCount ? "select count(*) as count from TAB_ALARM_RECORD" + strWhere
                : "select * from TAB_ALARM_RECORD" + strWhere + " order by DT_ALARM desc,I_SEQ desc limit " +
                      QString::number((_search.m_iPageNum - 1) * _search.m_iPageSize) + "," +
                      QString::number(_search.m_iPageSize);
    sqlite3_stmt* pStmt = nullptr;
    const QByteArray sql = strSql.toUtf8();
    sqlite3_prepare_v2(g_pLocal, sql.constData(), -1, &pStmt, nullptr);
    for (auto it = binds.cbegin(); it != binds.cend(); ++it) {
        const QByteArray value = it.value().toString().toUtf8();
        sqlite3_bind_text(pStmt, sqlite3_bind_parameter_index(pStmt, it.key().toUtf8().constData()),
                          value.constData(), value.size(), SQLITE_TRANSIENT);
    }
    int iRows = 0;
    while (sqlite3_step(pStmt) == SQLITE_ROW) {
        iRows = _bCount ? sqlite3_column_int(pStmt, 0) : iRows + 1;
    }
    sqlite3_finalize(pStmt);
    return iRows;
}

void BM_SearchPage_InProcessSqlite(benchmark::State& _state)
{
    const CLS_AlarmRecordSearchEntity search = page(static_cast<int>(_state.range(0)));
    for (auto _ : _state) {
        if (runLocal(search, false) != kPageSize) {
            _state.SkipWithError("local search failed");
            break;
        }
    }
}

void BM_Count_InProcessSqlite(benchmark::State& _state)
{
    const CLS_AlarmRecordSearchEntity search = filtered();
    for (auto _ : _state) {
        if (runLocal(search, true) <= 0) {
            _state.SkipWithError("local count failed");
            break;
        }
    }
}

void BM_Insert_WholeStack(benchmark::State& _state)
{
    for (auto _ : _state) {
        CLS_AlarmRecordEntity record;
        record.S_CAMERA_ID = "cam-bench";
        record.S_CAMERA_CAPTION = "Bench camera";
        record.I_ALARM_TYPE = 1;
        record.I_LEVEL = 3;
        if (CLS_AlarmRecordEntityDAO::GetInstance()->InsertAlarmRecord(record) != 0) {
            _state.SkipWithError("insert failed");
            break;
        }
    }
    _state.SetItemsProcessed(_state.iterations());
}

}  // namespace

BENCHMARK(BM_SearchPage_WholeStack)->Arg(1)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchPage_InProcessSqlite)->Arg(1)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Count_WholeStack)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Count_InProcessSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Insert_WholeStack)->Iterations(1000)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!setUpServer() || !setUpLocal(TESSEL_ALARM_SCHEMA)) {
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
