#include "DataBase/EntityDao/DB/TimeSequence.h"

#include <algorithm>
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

TEST(TimeSequence, ThreadsStoringInOneSecondGetDistinctNumbers)
{
    TimeSequence sequence;
    const QString time = QStringLiteral("2026-12-10 10:00:00");
    constexpr int kThreads = 4;
    constexpr int kEach = 50000;
    std::mutex mutex;
    std::vector<qint32> numbers;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            std::vector<qint32> mine;
            for (int i = 0; i < kEach; ++i) {
                mine.push_back(sequence.Next(time));
            }
            const std::lock_guard<std::mutex> lock(mutex);
            numbers.insert(numbers.end(), mine.begin(), mine.end());
        });
    }
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
