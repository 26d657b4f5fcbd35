#include "DataBase/EntityDao/Alarm/CLS_AlarmRecordEntityDAO.h"
#include "DataBase/EntityDao/DB/TimeSequence.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

TEST(TimeSequence, CountsWithinOneTimeAndStartsAgainAtAnother)
{
    TimeSequence sequence;
    const QString a = QStringLiteral("2026-12-10 10:00:00");
    const QString b = QStringLiteral("2026-12-10 10:00:01");
    EXPECT_EQ(sequence.Next(a), 0);
    EXPECT_EQ(sequence.Next(a), 1);
    EXPECT_EQ(sequence.Next(a), 2);
    EXPECT_EQ(sequence.Next(b), 0);
    EXPECT_EQ(sequence.Next(a), 0);
}

// The numbering behind each DAO that numbers the records of one second.
struct SequenceSource
{
    const char* name;
    std::function<qint32(const QString&)> next;
};

class SequenceUnderThreads : public ::testing::TestWithParam<SequenceSource>
{
};

TEST_P(SequenceUnderThreads, ThreadsStoringInOneSecondGetDistinctNumbers)
{
    const std::function<qint32(const QString&)>& next = GetParam().next;
    const QString time = QStringLiteral("2026-12-10 10:00:00");
    next(QStringLiteral("2026-12-10 09:59:59"));  // starts the count afresh at `time`
    constexpr int kThreads = 4;
    constexpr int kEach = 50000;
    std::mutex mutex;
    std::vector<qint32> numbers;
    std::vector<std::thread> threads;
    std::atomic<int> iReady{0};
    std::atomic<bool> bGo{false};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            ++iReady;
            while (!bGo.load()) {
            }
            std::vector<qint32> mine;
            for (int i = 0; i < kEach; ++i) {
                mine.push_back(next(time));
            }
            const std::lock_guard<std::mutex> lock(mutex);
            numbers.insert(numbers.end(), mine.begin(), mine.end());
        });
    }
    while (iReady.load() < kThreads) {
    }
    bGo = true;  // all at once, so that the threads overlap
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::sort(numbers.begin(), numbers.end());
    std::vector<qint32> expected(kThreads * kEach);
    for (size_t i = 0; i < expected.size(); ++i) {
        expected[i] = qint32(i);
    }
    EXPECT_EQ(numbers, expected);
}

TimeSequence g_plainSequence;

INSTANTIATE_TEST_SUITE_P(
    Sources, SequenceUnderThreads,
    ::testing::Values(SequenceSource{"TimeSequence",
                                     [](const QString& _t) { return g_plainSequence.Next(_t); }},
                      SequenceSource{"AlarmRecords", &CLS_AlarmRecordEntityDAO::NextSequence}),
    [](const ::testing::TestParamInfo<SequenceSource>& _info) { return std::string(_info.param.name); });
