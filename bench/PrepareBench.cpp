// What the view-expansion check adds to preparing a statement: SQLite's prepare alone beside the
// check and the prepare, for a point select on a table, a select through one of the schema's
// views, and a select through a chain of 40 views. The database holds the whole Tessel schema.
#include "requesterror.h"
#include "sqlexec.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using tessel::server::checkViewExpansion;

QTemporaryDir* g_pDir = nullptr;
sqlite3* g_pDb = nullptr;
std::shared_ptr<tessel::server::ViewExpansion> g_pViews;

bool exec(const QByteArray& _baSql)
{
    char* pszError = nullptr;
    if (sqlite3_exec(g_pDb, _baSql.constData(), nullptr, nullptr, &pszError) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", pszError ? pszError : "?");
        sqlite3_free(pszError);
        return false;
    }
    return true;
}

bool setUp()
{
    g_pDir = new QTemporaryDir();
    const QByteArray baFile = QFile::encodeName(g_pDir->filePath(QStringLiteral("Tessel.db")));
    if (sqlite3_open(baFile.constData(), &g_pDb) != SQLITE_OK) {
        return false;
    }
    // As the server opens its databases.
    if (!exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;")) {
        return false;
    }
    const QDir schema(QStringLiteral(TESSEL_SCHEMA_DIR));
    QStringList lstFiles{schema.filePath(QStringLiteral("Tessel.sql"))};
    for (const QString& strPiece : QDir(schema.filePath(QStringLiteral("Tessel.d")))
                                       .entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name)) {
        lstFiles << schema.filePath(QStringLiteral("Tessel.d/") + strPiece);
    }
    for (const QString& strFile : lstFiles) {
        QFile file(strFile);
        if (!file.open(QIODevice::ReadOnly) || !exec(file.readAll())) {
            std::fprintf(stderr, "schema file %s\n", qPrintable(strFile));
            return false;
        }
    }
    QByteArray baChain = "CREATE VIEW BENCH_CHAIN_0 AS SELECT S_ID, S_CAPTION FROM TAB_OBJ;";
    for (int i = 1; i < 40; ++i) {
        baChain += "CREATE VIEW BENCH_CHAIN_" + QByteArray::number(i) +
                   " AS SELECT S_ID, S_CAPTION FROM BENCH_CHAIN_" + QByteArray::number(i - 1) + ";";
    }
    g_pViews = tessel::server::makeViewExpansion();
    return exec(baChain);
}

const char* const kStatements[] = {
    "SELECT S_ID, S_PARENT_ID, I_OBJ_TYPE_ID, S_CAPTION FROM TAB_OBJ WHERE S_ID = ?1",
    "SELECT * FROM VIEW_DEV_CHANNEL WHERE S_ID = ?1",
    "SELECT S_ID, S_CAPTION FROM BENCH_CHAIN_39 WHERE S_ID = ?1",
};
const char* const kLabels[] = {"point select", "select through a schema view",
                               "select through 40 chained views"};

void prepare(benchmark::State& _state, bool _bCheck)
{
    const char* pszSql = kStatements[_state.range(0)];
    const char* pszEnd = pszSql + std::strlen(pszSql);
    _state.SetLabel(kLabels[_state.range(0)]);
    for (auto _ : _state) {
        if (_bCheck) {
            try {
                checkViewExpansion(g_pDb, *g_pViews, pszSql, pszEnd);
            } catch (const tessel::server::RequestError&) {
                _state.SkipWithError("refused");
                break;
            }
        }
        sqlite3_stmt* pStmt = nullptr;
        if (sqlite3_prepare_v3(g_pDb, pszSql, -1, SQLITE_PREPARE_PERSISTENT, &pStmt, nullptr) != SQLITE_OK) {
            _state.SkipWithError(sqlite3_errmsg(g_pDb));
            break;
        }
        sqlite3_finalize(pStmt);
    }
}

void BM_Prepare(benchmark::State& _state)
{
    prepare(_state, false);
}
void BM_CheckAndPrepare(benchmark::State& _state)
{
    prepare(_state, true);
}
BENCHMARK(BM_Prepare)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CheckAndPrepare)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!setUp()) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    g_pViews.reset();
    sqlite3_close(g_pDb);
    delete g_pDir;
    return 0;
}
