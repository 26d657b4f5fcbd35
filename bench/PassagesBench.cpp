// Car passages through the whole stack, beside the same statements on an in-process SQLite
// connection: page 1 and page 100 (50 a page) with their total, over 6 monthly tables of
// 200,000 passages, filtered by the plate prefix "A" (one passage in twenty: 60,000 matches).
// The in-process reads go to the server's own database file, opened read-only, with the
// statement texts the DAO sends.
#include "BenchSite.h"
#include "CLS_RemoteDBHandler.h"
#include "DataBase/EntityDao/InAndOut/CLS_CarDataRecvDao.h"

#include <QDateTime>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>

namespace {

constexpr int kMonths = 6;
constexpr int kPerMonth = 200000;
constexpr int kPageSize = 50;
constexpr int kMatches = kMonths * kPerMonth / 20;
const char kStart[] = "2025-01-01 00:00:00";
const char kEnd[] = "2025-06-30 23:59:59";
const char kPrefix[] = "A";

sqlite3* g_pDb = nullptr;

QString table(int _iMonth)
{
    return QString("TAB_CAR_HISTORY2025%1").arg(_iMonth, 2, 10, QLatin1Char('0'));
}

bool execute(const QString& _strSql)
{
    if (CLS_RemoteDBHandler::Execute("Tessel-intelligent", _strSql, 600, false) < 0) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(_strSql.left(160)));
        return false;
    }
    return true;
}

// One passage a month through the DAO makes the monthly tables; they are then filled with
// 200,000 passages each, one every 12 s: plate letters "A".."T" by x % 20 and "A".."Z" by
// (x / 20) % 26, then five digits; 30 terminals.
bool seed()
{
    QVector<CLS_CarDataRecvEntity> vecFirst(kMonths);
    for (int m = 0; m < kMonths; ++m) {
        vecFirst[m].S_PassTime = QString("2025-%1-01 00:00:00").arg(m + 1, 2, 10, QLatin1Char('0'));
    }
    if (CLS_CarDataRecvDao::GetInstance()->SaveCarRecvData(vecFirst) != 0) {
        std::fprintf(stderr, "no monthly tables\n");
        return false;
    }
    for (int m = 1; m <= kMonths; ++m) {
        const qint64 i64Start = QDateTime(QDate(2025, m, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
        const QString strFill = benchsite::fill(
            "INSERT INTO {table} (S_ID, S_Vlp, S_Vlpc, S_PassTime, S_Image, S_PlateImage, S_DriverImage, "
            "S_SN, "
            "S_TerminalName, S_SaveTime) "
            "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < {last}) "
            "SELECT printf('c{month}-%06d', x), char(65 + x % 20) || char(65 + (x / 20) % 26) || "
            "printf('%05d', (x * 7919) % 100000), '2', strftime('%Y-%m-%d %H:%M:%S', {start} + x * 12, "
            "'unixepoch'), "
            "printf('/car/{month}/%d.jpg', x), '', '', printf('sn%02d', x % 30), 'gate', '' FROM c",
            {{"table", table(m)},
             {"last", QString::number(kPerMonth - 1)},
             {"month", QString::number(m)},
             {"start", QString::number(i64Start)}});
        if (!execute("DELETE FROM " + table(m)) || !execute(strFill)) {
            return false;
        }
    }
    return execute("ANALYZE");
}

bool setUp()
{
    if (!benchsite::settleSysId() || !seed()) {
        return false;
    }
    const QString strPath = benchsite::g_pServer->dataDir() + "/Tessel-intelligent.db";
    if (sqlite3_open_v2(strPath.toUtf8().constData(), &g_pDb, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "local %s: %s\n", qPrintable(strPath), sqlite3_errmsg(g_pDb));
        return false;
    }
    return true;
}

STRCT_PassageQuery query(int _iPage)
{
    STRCT_PassageQuery q;
    q.m_qstrStartTime = kStart;
    q.m_qstrEndTime = kEnd;
    q.m_qstrKey = kPrefix;
    q.m_bKeyPrefix = true;
    q.m_iPageSize = kPageSize;
    q.m_iPageIndex = _iPage;
    return q;
}

void BM_CarPage_WholeStack(benchmark::State& _state)
{
    const STRCT_PassageQuery q = query(static_cast<int>(_state.range(0)));
    QString strFirst;
    for (auto _ : _state) {
        QVector<CLS_CarDataRecvEntity> vec;
        const int iRet = CLS_CarDataRecvDao::GetInstance()->QueryCarHistory(q, vec);
        const int iTotal = CLS_CarDataRecvDao::GetInstance()->GetCarRecordCount(q);
        if (iRet != 0 || vec.size() != kPageSize || iTotal != kMatches ||
            !vec.first().S_Vlp.startsWith(kPrefix)) {
            _state.SkipWithError("car page failed");
            break;
        }
        strFirst = vec.first().S_ID;
    }
    _state.SetLabel(strFirst.toStdString());
}

// The DAO's statements for the six tables, prepared and run here.
QString unionOf(const char* _pszColumns)
{
    QStringList lst;
    for (int m = 1; m <= kMonths; ++m) {
        lst << QString(
                   "SELECT %1 FROM %2 WHERE 1=1 AND S_PassTime >= :StartTime AND S_PassTime <= :EndTime AND "
                   "S_Vlp >= :VLP AND S_Vlp < :VLPEnd ")
                   .arg(_pszColumns, table(m));
    }
    return lst.join(" UNION ALL ");
}

sqlite3_stmt* prepare(const QString& _strSql)
{
    sqlite3_stmt* pStmt = nullptr;
    if (sqlite3_prepare_v2(g_pDb, _strSql.toUtf8().constData(), -1, &pStmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "local: %s\n", sqlite3_errmsg(g_pDb));
        return nullptr;
    }
    const uint aucMax[] = {0x10FFFF};
    const QMap<QString, QString> mapBind{{":StartTime", kStart},
                                         {":EndTime", kEnd},
                                         {":VLP", kPrefix},
                                         {":VLPEnd", kPrefix + QString::fromUcs4(aucMax, 1)}};
    for (auto it = mapBind.cbegin(); it != mapBind.cend(); ++it) {
        const QByteArray value = it.value().toUtf8();
        sqlite3_bind_text(pStmt, sqlite3_bind_parameter_index(pStmt, it.key().toUtf8().constData()),
                          value.constData(), value.size(), SQLITE_TRANSIENT);
    }
    return pStmt;
}

void BM_CarPage_InProcessSqlite(benchmark::State& _state)
{
    const QString strPage = "SELECT * FROM (" + unionOf("*") +
                            ") ORDER BY S_PassTime DESC, S_ID DESC LIMIT " + QString::number(kPageSize) +
                            " OFFSET " + QString::number((_state.range(0) - 1) * kPageSize);
    const QString strCount = "SELECT COUNT(1) L_SUM FROM (" + unionOf("1") + ")";
    QString strFirst;
    for (auto _ : _state) {
        QVector<CLS_CarDataRecvEntity> vec;
        sqlite3_stmt* pPage = prepare(strPage);
        const int iColumns = pPage != nullptr ? sqlite3_column_count(pPage) : 0;
        while (pPage != nullptr && sqlite3_step(pPage) == SQLITE_ROW) {
            QMap<QString, QString> row;
            for (int c = 0; c < iColumns; ++c) {
                const auto* pText = reinterpret_cast<const char*>(sqlite3_column_text(pPage, c));
                row.insert(
                    QString::fromUtf8(sqlite3_column_name(pPage, c)),
                    pText != nullptr ? QString::fromUtf8(pText, sqlite3_column_bytes(pPage, c)) : QString());
            }
            vec.append(CLS_CarDataRecvEntity());
            CLS_CarDataRecvDao::Load(row, vec.last());
        }
        sqlite3_finalize(pPage);
        sqlite3_stmt* pCount = prepare(strCount);
        const qint64 i64Total =
            pCount != nullptr && sqlite3_step(pCount) == SQLITE_ROW ? sqlite3_column_int64(pCount, 0) : -1;
        sqlite3_finalize(pCount);
        if (vec.size() != kPageSize || i64Total != kMatches) {
            _state.SkipWithError("local car page failed");
            break;
        }
        strFirst = vec.first().S_ID;
    }
    // The first passage of the page, to compare with the whole stack's.
    _state.SetLabel(strFirst.toStdString());
}

void tearDown()
{
    sqlite3_close(g_pDb);
}

}  // namespace

BENCHMARK(BM_CarPage_WholeStack)->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CarPage_InProcessSqlite)->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return benchsite::runBenchmarks(argc, argv, &setUp, &tearDown);
}
