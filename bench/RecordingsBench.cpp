// Recordings and face captures through the whole stack, each beside the same work on an
// in-process SQLite connection:
//  - a face-capture page (50 a page, page 1 and page 200) over 12 monthly tables of 100,000
//    captures with an age and a gender filter; in process the tables are paged newest first as
//    the server pages partitions (count the tables the page skips, then LIMIT/OFFSET);
//  - the playback search of one channel and one day among 500,000 recording rows;
//  - 10,000 recording files through the bulk queue (100 batches of 100, one transaction); in
//    process the same statements with their binds in one transaction on a local file.
// The reads in process go to the server's own database files, opened read-only.
#include "BenchSite.h"
#include "CLS_RemoteDBHandler.h"
#include "DataBase/EntityDao/FaceRecognition/CLS_IntelligentDataRecEntityDAO.h"
#include "DataBase/EntityDao/Rec/CLS_RecFileEntityDAO.h"

#include <QDateTime>
#include <QFile>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>

namespace {

constexpr int kMonths = 12;
constexpr int kCapturesPerMonth = 100000;
constexpr int kFacePageSize = 50;
constexpr int kRecRows = 500000;
constexpr int kRecCameras = 100;
constexpr int kBulkFiles = 10000;
constexpr int kBulkBatch = 100;

typedef QMap<QString, QVariant> BindMap;

QString g_strSysId;
sqlite3* g_pFaces = nullptr;
sqlite3* g_pRecords = nullptr;
sqlite3* g_pBulk = nullptr;

QString faceTable(int _iMonth)
{
    return QString("TAB_INTELLIGENT_FACE_CAPTURE2025%1").arg(_iMonth, 2, 10, QLatin1Char('0'));
}

bool execute(const QString& _strDb, const QString& _strSql)
{
    if (CLS_RemoteDBHandler::Execute(_strDb, _strSql, 600, false) < 0) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(_strSql.left(160)));
        return false;
    }
    return true;
}

qint64 serverCount(const QString& _strSql)
{
    RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQuery("Tessel-record", _strSql, 60);
    const qint64 i64Count =
        pRows != nullptr && pRows->size() == 1 ? pRows->first()->value("N", "-1").toLongLong() : -1;
    CLS_BaseEntityDAO::FreeRecordSet(pRows);
    return i64Count;
}

// ---- seeding ----

// The monthly tables come from one capture per month written through the DAO; those are
// replaced by 100,000 captures a month, one every 24 s: age 1 + x % 4, gender x % 3, so one
// capture in twelve matches the filter. 16 channels.
bool seedFaces()
{
    QVector<CLS_IntelligentDataRecEntity> vecFirst(kMonths);
    for (int m = 0; m < kMonths; ++m) {
        vecFirst[m].S_ID = "seed";
        vecFirst[m].DT_CAPTURE = QString("2025-%1-01 00:00:00").arg(m + 1, 2, 10, QLatin1Char('0'));
    }
    if (CLS_IntelligentDataRecEntityDAO::GetInstance()->AddFaceCaptures(vecFirst) != 0) {
        std::fprintf(stderr, "no monthly tables\n");
        return false;
    }
    for (int m = 1; m <= kMonths; ++m) {
        const qint64 i64Start = QDateTime(QDate(2025, m, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
        const QString strFill = benchsite::fill(
            "INSERT INTO {table} (S_ID, S_HOST_ID, S_CHANNEL_ID, S_CHANNEL_NAME, I_AGE_TYPE, I_GENDER_TYPE, "
            "I_MASKS_TYPE, I_GLASSES_TYPE, I_TEMPERATURE_TYPE, S_TEMPERATURE_VALUE, DT_CAPTURE, S_BIG_PATH, "
            "S_SMALL_PATH, I_FILE_SIZE, I_SEQ, S_NEGPIC_PATH, S_NAME) "
            "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < {last}) "
            "SELECT printf('f{month}-%06d', x), 'host01', printf('cam%02d', x % 16), printf('Camera %d', x % 16), "
            "1 + x % 4, x % 3, x % 2, 0, 0, '', strftime('%Y-%m-%d %H:%M:%S', {start} + x * 24, 'unixepoch'), "
            "printf('/faces/{month}/%d-big.jpg', x), printf('/faces/{month}/%d-small.jpg', x), 48, x, '', '' FROM c",
            {{"table", faceTable(m)},
             {"last", QString::number(kCapturesPerMonth - 1)},
             {"month", QString::number(m)},
             {"start", QString::number(i64Start)}});
        if (!execute("Tessel-intelligent", "DELETE FROM " + faceTable(m)) ||
            !execute("Tessel-intelligent", strFill)) {
            return false;
        }
    }
    return execute("Tessel-intelligent", "ANALYZE");
}

// This client's recording table from one file written through the DAO, then 500,000 files of
// 10 minutes: 100 cameras, file x of camera x % 100 starting (x / 100) * 600 s after 2026-01-01.
bool seedRecordings()
{
    CLS_RecFileEntity first;
    first.S_CAMERA_ID = "seed";
    first.DT_START = first.DT_END = "2026-01-01 00:00:00";
    if (CLS_RecFileEntityDAO::GetInstance()->AddRecordFile(first) != 0) {
        std::fprintf(stderr, "no recording table\n");
        return false;
    }
    const QString strTable = "TAB_REC_FILE" + g_strSysId;
    const qint64 i64Start = QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    const QString strFill = benchsite::fill(
        "INSERT INTO {table} (S_HOST_ID, S_CAMERA_ID, I_REC_TYPE_ID, I_REC_STREAM_TYPE, S_RECFILE_NAME, "
        "S_SAVE_PATH, DT_START, DT_END, I_LENGTH, I_LOCK, S_SAVE_DISK) "
        "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < {last}) "
        "SELECT 'host01', printf('cam%03d', x % {cameras}), 1, 0, printf('rec%07d.sdv', x), '/rec/', "
        "strftime('%Y-%m-%d %H:%M:%S', {start} + (x / {cameras}) * 600, 'unixepoch'), "
        "strftime('%Y-%m-%d %H:%M:%S', {start} + (x / {cameras}) * 600 + 600, 'unixepoch'), 65536, 0, '/data' FROM c",
        {{"table", strTable},
         {"last", QString::number(kRecRows - 1)},
         {"cameras", QString::number(kRecCameras)},
         {"start", QString::number(i64Start)}});
    return execute("Tessel-record", "DELETE FROM " + strTable) && execute("Tessel-record", strFill) &&
           execute("Tessel-record", "ANALYZE");
}

bool openLocal(const QString& _strPath, sqlite3** _ppDb, int _iFlags)
{
    if (sqlite3_open_v2(_strPath.toUtf8().constData(), _ppDb, _iFlags, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "local %s: %s\n", qPrintable(_strPath), sqlite3_errmsg(*_ppDb));
        return false;
    }
    return true;
}

// An empty recording table in a local file, from the server's own schema piece.
bool setUpBulkLocal(const char* _pszSchema)
{
    QFile schema(QString::fromUtf8(_pszSchema));
    if (!schema.open(QIODevice::ReadOnly) ||
        !openLocal(benchsite::g_pHome->path() + "/bulk.db", &g_pBulk, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) {
        std::fprintf(stderr, "no local recording table from %s\n", _pszSchema);
        return false;
    }
    const QByteArray tables = schema.readAll();
    for (const char* pszSql : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL", tables.constData()}) {
        if (sqlite3_exec(g_pBulk, pszSql, nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "local: %s\n", sqlite3_errmsg(g_pBulk));
            return false;
        }
    }
    return true;
}

bool setUp()
{
    if (!benchsite::settleSysId() || CLS_BaseEntityDAO::GetSysId(g_strSysId) != 0 || !seedFaces() ||
        !seedRecordings()) {
        return false;
    }
    return openLocal(benchsite::g_pServer->dataDir() + "/Tessel-intelligent.db", &g_pFaces, SQLITE_OPEN_READONLY) &&
           openLocal(benchsite::g_pServer->dataDir() + "/Tessel-record.db", &g_pRecords, SQLITE_OPEN_READONLY) &&
           setUpBulkLocal(TESSEL_RECORDING_SCHEMA);
}

// ---- in process ----

sqlite3_stmt* prepare(sqlite3* _pDb, const QString& _strSql, const BindMap& _mapBind)
{
    sqlite3_stmt* pStmt = nullptr;
    if (sqlite3_prepare_v2(_pDb, _strSql.toUtf8().constData(), -1, &pStmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "local: %s\n", sqlite3_errmsg(_pDb));
        return nullptr;
    }
    for (auto it = _mapBind.cbegin(); it != _mapBind.cend(); ++it) {
        const QByteArray value = it.value().toString().toUtf8();
        sqlite3_bind_text(pStmt, sqlite3_bind_parameter_index(pStmt, it.key().toUtf8().constData()),
                          value.constData(), value.size(), SQLITE_TRANSIENT);
    }
    return pStmt;
}

// The rows as the record sets of the whole stack carry them (column name to text), loaded into
// entities; the number of rows, or -1.
template <class E>
int readEntities(sqlite3* _pDb, const QString& _strSql, const BindMap& _mapBind,
                 void (*_load)(const QMap<QString, QString>&, E&), QVector<E*>& _vec)
{
    sqlite3_stmt* pStmt = prepare(_pDb, _strSql, _mapBind);
    if (pStmt == nullptr) {
        return -1;
    }
    const int iColumns = sqlite3_column_count(pStmt);
    QVector<QString> names(iColumns);
    for (int c = 0; c < iColumns; ++c) {
        names[c] = QString::fromUtf8(sqlite3_column_name(pStmt, c));
    }
    int iRows = 0;
    while (sqlite3_step(pStmt) == SQLITE_ROW) {
        QMap<QString, QString> row;
        for (int c = 0; c < iColumns; ++c) {
            const auto* pText = reinterpret_cast<const char*>(sqlite3_column_text(pStmt, c));
            row.insert(names[c],
                       pText != nullptr ? QString::fromUtf8(pText, sqlite3_column_bytes(pStmt, c)) : QString());
        }
        _vec.append(new E());
        _load(row, *_vec.last());
        ++iRows;
    }
    sqlite3_finalize(pStmt);
    return iRows;
}

qint64 countRows(sqlite3* _pDb, const QString& _strSql, const BindMap& _mapBind)
{
    sqlite3_stmt* pStmt = prepare(_pDb, _strSql, _mapBind);
    if (pStmt == nullptr) {
        return -1;
    }
    const qint64 i64Count = sqlite3_step(pStmt) == SQLITE_ROW ? sqlite3_column_int64(pStmt, 0) : -1;
    sqlite3_finalize(pStmt);
    return i64Count;
}

// ---- face captures ----

const char kFaceStart[] = "2025-01-01 00:00:00";
const char kFaceEnd[] = "2025-12-31 23:59:59";
constexpr int kAge = 2;
constexpr int kGender = 1;

void BM_FacePage_WholeStack(benchmark::State& _state)
{
    CLS_IntelligentDataRecSearchEntity search;
    search.m_strStartTime = kFaceStart;
    search.m_strEndTime = kFaceEnd;
    search.m_iAge = kAge;
    search.m_iGender = kGender;
    search.m_iPageSize = kFacePageSize;
    search.m_iPageNumber = static_cast<int>(_state.range(0));
    QString strFirst;
    for (auto _ : _state) {
        QVector<CLS_IntelligentDataRecEntity*> vecCaptures;
        const int iRet = CLS_IntelligentDataRecEntityDAO::GetInstance()->SearchFaceCapture(search, vecCaptures);
        const bool bOk = iRet == 0 && vecCaptures.size() == kFacePageSize &&
                         vecCaptures.first()->I_AGE_TYPE == kAge && vecCaptures.first()->I_GENDER_TYPE == kGender;
        strFirst = bOk ? vecCaptures.first()->S_ID : QString();
        qDeleteAll(vecCaptures);
        if (!bOk) {
            _state.SkipWithError("search failed");
            break;
        }
    }
    _state.SetLabel(strFirst.toStdString());
}

// Tables newest first: the tables the page skips whole are counted, then the page is read
// with LIMIT/OFFSET from the table where it starts, continuing into older ones while short.
void BM_FacePage_InProcessSqlite(benchmark::State& _state)
{
    const QString strWhere =
        QString(" where  DT_CAPTURE >=:startTime  and DT_CAPTURE <=:endTime and I_GENDER_TYPE=%1 and I_AGE_TYPE=%2")
            .arg(kGender)
            .arg(kAge);
    const BindMap mapBind{{":startTime", kFaceStart}, {":endTime", kFaceEnd}};
    const qint64 i64Offset = (_state.range(0) - 1) * kFacePageSize;
    QString strFirst;
    for (auto _ : _state) {
        QVector<CLS_IntelligentDataRecEntity*> vecCaptures;
        qint64 i64Skip = i64Offset;
        for (int m = kMonths; m >= 1 && vecCaptures.size() < kFacePageSize; --m) {
            if (i64Skip > 0) {
                const qint64 i64Count = countRows(g_pFaces, "select count(*) from " + faceTable(m) + strWhere, mapBind);
                if (i64Count <= i64Skip) {
                    i64Skip -= i64Count;
                    continue;
                }
            }
            const QString strSql = "select * from " + faceTable(m) + strWhere +
                                   " order by DT_CAPTURE desc, I_SEQ desc limit " +
                                   QString::number(kFacePageSize - vecCaptures.size()) + " offset " +
                                   QString::number(i64Skip);
            readEntities(g_pFaces, strSql, mapBind, &CLS_IntelligentDataRecEntityDAO::LoadFaceCapture, vecCaptures);
            i64Skip = 0;
        }
        const bool bOk = vecCaptures.size() == kFacePageSize;
        strFirst = bOk ? vecCaptures.first()->S_ID : QString();
        qDeleteAll(vecCaptures);
        if (!bOk) {
            _state.SkipWithError("local search failed");
            break;
        }
    }
    // The first capture of the page, to compare with the whole stack's.
    _state.SetLabel(strFirst.toStdString());
}

// ---- playback search ----

const char kDayStart[] = "2026-01-15 00:00:00";
const char kDayEnd[] = "2026-01-15 23:59:59";
const char kCamera[] = "cam042";
// 10-minute files of one camera touching the day: 144 inside it and the one ending at its start.
constexpr int kFilesOfDay = 145;

void BM_PlaybackDay_WholeStack(benchmark::State& _state)
{
    CLS_RecFileSearchEntity search;
    search.m_strChannelID = kCamera;
    search.m_strStartTime = kDayStart;
    search.m_strEndTime = kDayEnd;
    int iFiles = 0;
    for (auto _ : _state) {
        QVector<CLS_RecFileEntity*> vecFiles;
        const int iRet = CLS_RecFileEntityDAO::GetInstance()->SearchPlaybackRecFile(search, vecFiles);
        iFiles = vecFiles.size();
        qDeleteAll(vecFiles);
        if (iRet != 0 || iFiles != kFilesOfDay) {
            _state.SkipWithError("playback search failed");
            break;
        }
    }
    _state.counters["files"] = iFiles;
}

void BM_PlaybackDay_InProcessSqlite(benchmark::State& _state)
{
    const QString strSql =
        "SELECT I_ID, S_HOST_ID, S_CAMERA_ID, I_REC_TYPE_ID, S_RECFILE_NAME, S_SAVE_PATH, DT_START, DT_END, "
        "I_LENGTH, I_LOCK, S_SAVE_DISK FROM TAB_REC_FILE" +
        g_strSysId +
        " where S_CAMERA_ID =:channelID and ((DT_START >= :startTime AND DT_END <= :endTime) "
        "OR (DT_START <= :startTime AND DT_END >= :startTime) OR (DT_START <= :endTime AND DT_END >= :endTime) "
        "OR (DT_START <= :startTime AND DT_END >= :endTime )) ORDER BY DT_START";
    const BindMap mapBind{{":channelID", kCamera}, {":startTime", kDayStart}, {":endTime", kDayEnd}};
    int iFiles = 0;
    for (auto _ : _state) {
        QVector<CLS_RecFileEntity*> vecFiles;
        iFiles = readEntities(g_pRecords, strSql, mapBind, &CLS_RecFileEntityDAO::LoadRecFile, vecFiles);
        qDeleteAll(vecFiles);
        if (iFiles != kFilesOfDay) {
            _state.SkipWithError("local playback search failed");
            break;
        }
    }
    _state.counters["files"] = iFiles;
}

// ---- bulk queue ----

QVector<CLS_RecFileEntity> bulkBatch(int _iIteration, int _iBatch)
{
    QVector<CLS_RecFileEntity> vec(kBulkBatch);
    for (int i = 0; i < kBulkBatch; ++i) {
        CLS_RecFileEntity& e = vec[i];
        const int iFile = _iBatch * kBulkBatch + i;
        const QDateTime start = QDateTime(QDate(2026, 3, 1), QTime(0, 0), Qt::UTC).addSecs(iFile * 60);
        e.S_HOST_ID = "host02";
        e.S_CAMERA_ID = QString("bulk%1").arg(_iIteration);
        e.I_REC_TYPE_ID = 1;
        e.S_RECFILE_NAME = QString("bulk%1-%2.sdv").arg(_iIteration).arg(iFile);
        e.S_SAVE_PATH = "/rec/bulk/";
        e.DT_START = start.toString("yyyy-MM-dd hh:mm:ss");
        e.DT_END = start.addSecs(60).toString("yyyy-MM-dd hh:mm:ss");
        e.I_LENGTH = 4096;
        e.S_SAVE_DISK = "/data";
    }
    return vec;
}

void BM_BulkAdd10000_WholeStack(benchmark::State& _state)
{
    CLS_RecFileEntityDAO* pDao = CLS_RecFileEntityDAO::GetInstance();
    // Every repetition adds files of its own camera.
    static int iIteration = 0;
    for (auto _ : _state) {
        _state.PauseTiming();
        QVector<QVector<CLS_RecFileEntity>> vecBatches;
        for (int b = 0; b < kBulkFiles / kBulkBatch; ++b) {
            vecBatches.append(bulkBatch(iIteration, b));
        }
        _state.ResumeTiming();

        for (const QVector<CLS_RecFileEntity>& vecBatch : vecBatches) {
            pDao->AddRecordFileToTransaction(vecBatch);
        }
        const int iRet = pDao->AddRecordFileByTransaction();

        _state.PauseTiming();
        const qint64 i64Stored = serverCount(
            QString("SELECT COUNT(*) AS N FROM TAB_REC_FILE%1 WHERE S_CAMERA_ID = 'bulk%2'").arg(g_strSysId).arg(iIteration));
        if (iRet != 0 || i64Stored != kBulkFiles) {
            std::fprintf(stderr, "bulk add %d, %lld stored\n", iRet, i64Stored);
            _state.SkipWithError("bulk add failed");
            break;
        }
        ++iIteration;
        _state.ResumeTiming();
    }
    _state.SetItemsProcessed(_state.iterations() * kBulkFiles);
}

// The statements the queue builds (the DAO's text shape with its named binds), prepared and
// run in one transaction.
void BM_BulkAdd10000_InProcessSqlite(benchmark::State& _state)
{
    // Every repetition adds files of its own camera.
    static int iIteration = 0;
    for (auto _ : _state) {
        _state.PauseTiming();
        QVector<QVector<CLS_RecFileEntity>> vecBatches;
        for (int b = 0; b < kBulkFiles / kBulkBatch; ++b) {
            vecBatches.append(bulkBatch(iIteration, b));
        }
        _state.ResumeTiming();

        bool bOk = sqlite3_exec(g_pBulk, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        for (const QVector<CLS_RecFileEntity>& vecBatch : vecBatches) {
            QString strSql = "Insert Into TAB_REC_FILE ( S_HOST_ID, S_CAMERA_ID, I_REC_TYPE_ID, I_REC_STREAM_TYPE, "
                             "S_RECFILE_NAME, S_SAVE_PATH, DT_START,\tDT_END, I_LENGTH, I_LOCK, S_SAVE_DISK) Values ";
            BindMap mapBind;
            for (int i = 0; i < vecBatch.size(); ++i) {
                const CLS_RecFileEntity& e = vecBatch.at(i);
                const QString strIndex = QString::number(i);
                strSql += QString(i > 0 ? "," : "") + "(:HostID_" + strIndex + ",:ChannelID_" + strIndex + "," +
                          QString::number(e.I_REC_TYPE_ID) + "," + QString::number(e.I_REC_STREAM_TYPE) +
                          ",:FileName_" + strIndex + ",:SavePath_" + strIndex + ",:StartTime_" + strIndex +
                          ",:EndTime_" + strIndex + "," + QString::number(e.I_LENGTH) + "," +
                          QString::number(e.I_LOCK) + ",:Disk_" + strIndex + ")";
                mapBind.insert(":HostID_" + strIndex, e.S_HOST_ID);
                mapBind.insert(":ChannelID_" + strIndex, e.S_CAMERA_ID);
                mapBind.insert(":FileName_" + strIndex, e.S_RECFILE_NAME);
                mapBind.insert(":SavePath_" + strIndex, e.S_SAVE_PATH);
                mapBind.insert(":StartTime_" + strIndex, e.DT_START);
                mapBind.insert(":EndTime_" + strIndex, e.DT_END);
                mapBind.insert(":Disk_" + strIndex, e.S_SAVE_DISK);
            }
            sqlite3_stmt* pStmt = prepare(g_pBulk, strSql, mapBind);
            bOk = bOk && pStmt != nullptr && sqlite3_step(pStmt) == SQLITE_DONE;
            sqlite3_finalize(pStmt);
        }
        bOk = sqlite3_exec(g_pBulk, bOk ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK && bOk;

        _state.PauseTiming();
        const qint64 i64Stored = countRows(
            g_pBulk, "SELECT COUNT(*) FROM TAB_REC_FILE WHERE S_CAMERA_ID = :cam", {{":cam", QString("bulk%1").arg(iIteration)}});
        if (!bOk || i64Stored != kBulkFiles) {
            std::fprintf(stderr, "local bulk add %d, %lld stored: %s\n", bOk, i64Stored, sqlite3_errmsg(g_pBulk));
            _state.SkipWithError("local bulk add failed");
            break;
        }
        ++iIteration;
        _state.ResumeTiming();
    }
    _state.SetItemsProcessed(_state.iterations() * kBulkFiles);
}

void tearDown()
{
    sqlite3_close(g_pFaces);
    sqlite3_close(g_pRecords);
    sqlite3_close(g_pBulk);
}

}  // namespace

BENCHMARK(BM_FacePage_WholeStack)->Arg(1)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FacePage_InProcessSqlite)->Arg(1)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaybackDay_WholeStack)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlaybackDay_InProcessSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BulkAdd10000_WholeStack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_BulkAdd10000_InProcessSqlite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

int main(int argc, char** argv)
{
    return benchsite::runBenchmarks(argc, argv, &setUp, &tearDown);
}
