// Load against one server: four caller threads send a mix of queries, statements, transactions,
// partition queries and writes that answer rows. Every request carries a tag of its own that its
// caller must see back; nothing may be lost or reach another caller; the resident memory of the
// client and the server stays flat after the warm-up.
//
// TESSEL_LOAD_REQUESTS sets the total number of requests (default 100000, 4 x 25000).
//
// Under AddressSanitizer freed memory is held in a quarantine (256 MiB by default) that fills
// during the run and would make any process look as if it grew: this test and the server it
// starts run without a quarantine, so that resident memory means what it does in a normal build.
// The other tests keep it.
#include "CLS_RemoteDBHandler.h"
#include "IntegrationFixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#if defined(__SANITIZE_THREAD__)
// ThreadSanitizer keeps a history of every access: resident memory grows with the work done, so
// the bound on its growth only holds without it (the figures are still printed).
constexpr bool kBoundMemory = false;
#else
constexpr bool kBoundMemory = true;
#endif

#if defined(__SANITIZE_ADDRESS__)
// Read by AddressSanitizer at start-up; ASAN_OPTIONS still overrides what it names.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=0";
}
#endif

namespace {

constexpr int kThreads = 4;
constexpr int kKinds = 6;
constexpr int kTimeout = 10;  // seconds: generous, a slow answer under load is not a lost one
constexpr double kMaxGrowth = 0.30;
constexpr int kPartitions = 4;
constexpr int kRowsPerPartition = 10;
constexpr int kPageSize = 5;

// Exit code 0 also means no leak report from a sanitizer build of the server.
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new IntegrationEnvironment(IntegrationOptions{
    "10ad0001", false, {},
    [](ServerProcess& _server) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString strAsan = environment.value(QStringLiteral("ASAN_OPTIONS"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"), (strAsan.isEmpty() ? QString() : strAsan + ':') +
                                                               QStringLiteral("quarantine_size_mb=0"));
        _server.setEnvironment(environment);
    },
    nullptr, nullptr, nullptr, /*clean stop*/ true}));

int totalRequests()
{
    bool bOk = false;
    const int iEnv = qEnvironmentVariableIntValue("TESSEL_LOAD_REQUESTS", &bOk);
    if (bOk && iEnv >= kThreads * kKinds) {
        return iEnv;
    }
    return 100000;
}

/// VmRSS of a process in KiB (0 when it cannot be read).
qint64 residentKiB(qint64 _llPid)
{
    QFile status(_llPid == 0 ? QStringLiteral("/proc/self/status")
                             : QStringLiteral("/proc/%1/status").arg(_llPid));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return 0;
}

void freeRows(RecordSet* _pRows)
{
    if (_pRows != nullptr) {
        qDeleteAll(*_pRows);
        delete _pRows;
    }
}

bool execute(const QString& _strSql)
{
    return CLS_RemoteDBHandler::Execute("Tessel", _strSql, kTimeout, false) == 0;
}

/// Rows of a query as "col=value" texts joined by ',' per row and '|' between rows.
QString table(const QString& _strSql)
{
    RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQuery("Tessel", _strSql, kTimeout);
    if (pRows == nullptr) {
        return QStringLiteral("<failed>");
    }
    QStringList lstRows;
    for (const QMap<QString, QString>* pRow : *pRows) {
        QStringList lstCells;
        for (auto it = pRow->begin(); it != pRow->end(); ++it) {
            lstCells << it.key() + '=' + it.value();
        }
        lstRows << lstCells.join(',');
    }
    freeRows(pRows);
    return lstRows.join('|');
}

/// What one caller thread did.
struct Caller
{
    int iThread = 0;
    int iRequests = 0;
    std::atomic<int>* pDone = nullptr;
    int iFailed = 0;  // no answer, or an error
    int iWrong = 0;   // an answer that was not this request's
    int aiKind[kKinds] = {};
    qlonglong llTagSum1 = 0;  // statements and transactions: the tags they wrote
    qlonglong llTagSum2 = 0;
    QString strFirstProblem;

    void problem(bool _bWrong, const QString& _strWhat)
    {
        ++(_bWrong ? iWrong : iFailed);
        if (strFirstProblem.isEmpty()) {
            strFirstProblem = _strWhat;
        }
    }

    void run()
    {
        const QString strTh = QString::number(iThread);
        for (int i = 0; i < iRequests; ++i) {
            const qlonglong llTag = static_cast<qlonglong>(iThread) * 1000000000LL + i;
            const QString strTag = QString::number(llTag);
            const int iKind = i % kKinds;
            ++aiKind[iKind];
            switch (iKind) {
                case 0: {  // query with bound values
                    RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQueryEx(
                        "Tessel", "SELECT :tag AS TAG, :th AS TH, :txt AS TXT",
                        {{":tag", llTag}, {":th", iThread}, {":txt", "t" + strTag}}, kTimeout);
                    if (pRows == nullptr || pRows->size() != 1) {
                        problem(pRows != nullptr, "query " + strTag);
                    } else if (pRows->at(0)->value("TAG") != strTag || pRows->at(0)->value("TH") != strTh ||
                               pRows->at(0)->value("TXT") != "t" + strTag) {
                        problem(true, "query " + strTag + " got " + pRows->at(0)->value("TAG"));
                    }
                    freeRows(pRows);
                    break;
                }
                case 1:  // statement
                    if (CLS_RemoteDBHandler::ExecuteEx(
                            "Tessel", "INSERT INTO T_LOAD (TAG, TH, KIND) VALUES (:tag, :th, 1)",
                            {{":tag", llTag}, {":th", iThread}}, kTimeout, false) != 0) {
                        problem(false, "statement " + strTag);
                    }
                    llTagSum1 += llTag;
                    break;
                case 2: {  // transaction of three statements
                    const QMap<QString, QVariant> mapBind{{":tag", llTag}, {":th", iThread}};
                    if (CLS_RemoteDBHandler::ExecuteTransactionEx(
                            "Tessel",
                            {"INSERT INTO T_LOAD (TAG, TH, KIND) VALUES (:tag, :th, 2)",
                             "INSERT INTO T_LOAD_ITEM (TAG, I) VALUES (:tag, 0)",
                             "INSERT INTO T_LOAD_ITEM (TAG, I) VALUES (:tag, 1)"},
                            {mapBind, mapBind, mapBind}, kTimeout) != 0) {
                        problem(false, "transaction " + strTag);
                    }
                    llTagSum2 += llTag;
                    break;
                }
                case 3: {  // partition query: one page across the range
                    const int iStart = i % (kPartitions * kRowsPerPartition - kPageSize);
                    RecordSet* pRows = CLS_RemoteDBHandler::PartitionExecuteQueryEx(
                        "Tessel", "SELECT ID, :tag AS TAG FROM TAB_LOADP WHERE ID >= :min ORDER BY ID",
                        QString(), "TAB_LOADP", "202401", "202404", iStart, kPageSize, "ASC",
                        {{":tag", llTag}, {":min", 0}}, kTimeout);
                    if (pRows == nullptr || pRows->size() != kPageSize) {
                        problem(pRows != nullptr, "partition query " + strTag);
                    } else {
                        for (int r = 0; r < kPageSize; ++r) {
                            const int iRow = iStart + r;
                            const int iId = (iRow / kRowsPerPartition + 1) * 100 + iRow % kRowsPerPartition;
                            if (pRows->at(r)->value("TAG") != strTag ||
                                pRows->at(r)->value("ID") != QString::number(iId)) {
                                problem(true,
                                        "partition query " + strTag + " got " + pRows->at(r)->value("TAG"));
                                break;
                            }
                        }
                    }
                    freeRows(pRows);
                    break;
                }
                case 4: {  // a write that answers rows: this thread's own counter
                    RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQueryEx(
                        "Tessel", "UPDATE T_COUNTER SET N = N + 1 WHERE TH = :th RETURNING N, :tag AS TAG",
                        {{":th", iThread}, {":tag", llTag}}, kTimeout);
                    if (pRows == nullptr || pRows->size() != 1) {
                        problem(pRows != nullptr, "counter " + strTag);
                    } else if (pRows->at(0)->value("TAG") != strTag ||
                               pRows->at(0)->value("N") != QString::number(aiKind[4])) {
                        problem(true, "counter " + strTag + " got N=" + pRows->at(0)->value("N"));
                    }
                    freeRows(pRows);
                    break;
                }
                default: {  // query as literal text: a new statement text every time
                    RecordSet* pRows = CLS_RemoteDBHandler::ExecuteQuery(
                        "Tessel", "SELECT " + strTag + " AS TAG, 'x" + strTag + "' AS TXT", kTimeout);
                    if (pRows == nullptr || pRows->size() != 1) {
                        problem(pRows != nullptr, "literal query " + strTag);
                    } else if (pRows->at(0)->value("TAG") != strTag ||
                               pRows->at(0)->value("TXT") != "x" + strTag) {
                        problem(true, "literal query " + strTag + " got " + pRows->at(0)->value("TAG"));
                    }
                    freeRows(pRows);
                    break;
                }
            }
            ++*pDone;
        }
    }
};

}  // namespace

TEST(Load, MixedRequestsFromFourThreadsLoseNothingAndMemoryStaysFlat)
{
    ASSERT_TRUE(
        execute("CREATE TABLE T_LOAD (TAG INTEGER PRIMARY KEY, TH INTEGER NOT NULL, KIND INTEGER NOT NULL)"));
    ASSERT_TRUE(
        execute("CREATE TABLE T_LOAD_ITEM (TAG INTEGER NOT NULL, I INTEGER NOT NULL, PRIMARY KEY (TAG, I))"));
    ASSERT_TRUE(execute("CREATE TABLE T_COUNTER (TH INTEGER PRIMARY KEY, N INTEGER NOT NULL)"));
    ASSERT_TRUE(execute("INSERT INTO T_COUNTER (TH, N) VALUES (0, 0), (1, 0), (2, 0), (3, 0)"));
    ASSERT_TRUE(execute("CREATE TABLE TAB_LOADP (ID INTEGER PRIMARY KEY, V TEXT)"));
    for (int p = 1; p <= kPartitions; ++p) {
        for (int k = 0; k < kRowsPerPartition; ++k) {
            ASSERT_EQ(CLS_RemoteDBHandler::PartitionExecuteEx(
                          "Tessel", "INSERT INTO TAB_LOADP (ID, V) VALUES (:id, 'v')", "TAB_LOADP",
                          QStringLiteral("20240%1").arg(p), {{":id", p * 100 + k}}, kTimeout, false),
                      0);
        }
    }

    const int iTotal = totalRequests();
    const int iPerThread = iTotal / kThreads;
    std::atomic<int> iDone{0};
    Caller callers[kThreads];
    std::vector<std::thread> threads;
    QElapsedTimer timer;
    timer.start();
    for (int t = 0; t < kThreads; ++t) {
        callers[t].iThread = t;
        callers[t].iRequests = iPerThread;
        callers[t].pDone = &iDone;
        threads.emplace_back([&callers, t] { callers[t].run(); });
    }

    // Resident memory after the warm-up (10 % of the requests) and at the end.
    const qint64 llServerPid = IntegrationEnvironment::instance().server().pid();
    qint64 llClientWarm = 0;
    qint64 llServerWarm = 0;
    qint64 llWarmMs = 0;
    while (iDone.load() < iPerThread * kThreads) {
        if (llClientWarm == 0 && iDone.load() >= iPerThread * kThreads / 10) {
            llClientWarm = residentKiB(0);
            llServerWarm = residentKiB(llServerPid);
            llWarmMs = timer.elapsed();
        }
        QThread::msleep(5);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const qint64 llElapsedMs = timer.elapsed();
    const qint64 llClientEnd = residentKiB(0);
    const qint64 llServerEnd = residentKiB(llServerPid);

    int iFailed = 0;
    int iWrong = 0;
    int iStatements = 0;
    int iTransactions = 0;
    for (const Caller& caller : callers) {
        SCOPED_TRACE("thread " + std::to_string(caller.iThread));
        EXPECT_EQ(caller.iFailed, 0) << caller.strFirstProblem.toStdString();
        EXPECT_EQ(caller.iWrong, 0) << caller.strFirstProblem.toStdString();
        iFailed += caller.iFailed;
        iWrong += caller.iWrong;
        iStatements += caller.aiKind[1];
        iTransactions += caller.aiKind[2];
        // Exactly this thread's writes are there, each once.
        EXPECT_EQ(
            table(QStringLiteral("SELECT COUNT(*) AS C, SUM(TAG) AS S FROM T_LOAD WHERE TH = %1 AND KIND = 1")
                      .arg(caller.iThread)),
            QStringLiteral("C=%1,S=%2").arg(caller.aiKind[1]).arg(caller.llTagSum1));
        EXPECT_EQ(
            table(QStringLiteral("SELECT COUNT(*) AS C, SUM(TAG) AS S FROM T_LOAD WHERE TH = %1 AND KIND = 2")
                      .arg(caller.iThread)),
            QStringLiteral("C=%1,S=%2").arg(caller.aiKind[2]).arg(caller.llTagSum2));
        EXPECT_EQ(table(QStringLiteral("SELECT N FROM T_COUNTER WHERE TH = %1").arg(caller.iThread)),
                  QStringLiteral("N=%1").arg(caller.aiKind[4]));
    }
    EXPECT_EQ(table("SELECT COUNT(*) AS C FROM T_LOAD_ITEM"), QStringLiteral("C=%1").arg(2 * iTransactions));
    EXPECT_EQ(table("SELECT COUNT(*) AS C FROM T_LOAD"),
              QStringLiteral("C=%1").arg(iStatements + iTransactions));

    std::printf(
        "[ figures  ] %d requests (%d threads x %d) in %lld ms, %.0f requests/s; %d failed, %d wrong\n",
        iPerThread * kThreads, kThreads, iPerThread, static_cast<long long>(llElapsedMs),
        1000.0 * iPerThread * kThreads / std::max<qint64>(llElapsedMs, 1), iFailed, iWrong);
    std::printf("[ figures  ] VmRSS client %lld KiB after 10%% (%lld ms), %lld KiB at the end (%+.1f%%)\n",
                static_cast<long long>(llClientWarm), static_cast<long long>(llWarmMs),
                static_cast<long long>(llClientEnd),
                100.0 * (llClientEnd - llClientWarm) / std::max<qint64>(llClientWarm, 1));
    std::printf("[ figures  ] VmRSS server %lld KiB after 10%%, %lld KiB at the end (%+.1f%%)\n",
                static_cast<long long>(llServerWarm), static_cast<long long>(llServerEnd),
                100.0 * (llServerEnd - llServerWarm) / std::max<qint64>(llServerWarm, 1));
    ASSERT_GT(llClientWarm, 0);
    ASSERT_GT(llServerWarm, 0);
    if (kBoundMemory) {
        EXPECT_LT(llClientEnd, llClientWarm * (1.0 + kMaxGrowth)) << "client memory grows under load";
        EXPECT_LT(llServerEnd, llServerWarm * (1.0 + kMaxGrowth)) << "server memory grows under load";
    }
}
