// The data layer's lazily made singletons, first used by many threads at once (a client's
// reporting threads and its own thread at start-up): each must come out as one object.
#include "CLS_DataAccess.h"
#include "DataBase/EntityDao/Alarm/CLS_AlarmActionEntityDAO.h"
#include "DataBase/EntityDao/Alarm/CLS_AlarmRecordEntityDAO.h"
#include "DataBase/EntityDao/Decoder/CLS_DecEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_ChannelEntityDAO.h"
#include "DataBase/EntityDao/HostConfig/CLS_HostEntityDAO.h"
#include "DataBase/EntityDao/PassengerFlow/CLS_PassengerFlowDAO.h"
#include "DataBase/EntityDao/Rec/CLS_RecFileEntityDAO.h"
#include "DataBase/EntityDao/SysConfig/CLS_ConfigDAO.h"
#include "DataBase/EntityDao/Tree/CLS_CustomTreeEntityDAO.h"
#include "DataBase/EntityDao/User/CLS_UserEntityDAO.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Singleton
{
    const char* name;
    const void* (*get)();
};

const Singleton kSingletons[] = {
    {"CLS_DataAccess", [] { return static_cast<const void*>(&CLS_DataAccess::GetInstance()); }},
    {"CLS_PassengerFlowDAO", [] { return static_cast<const void*>(CLS_PassengerFlowDAO::GetInstance()); }},
    {"CLS_ConfigDAO", [] { return static_cast<const void*>(CLS_ConfigDAO::GetInstance()); }},
    {"CLS_CustomTreeEntityDAO",
     [] { return static_cast<const void*>(CLS_CustomTreeEntityDAO::GetInstance()); }},
    {"CLS_AlarmActionEntityDAO",
     [] { return static_cast<const void*>(CLS_AlarmActionEntityDAO::GetInstance()); }},
    {"CLS_AlarmRecordEntityDAO",
     [] { return static_cast<const void*>(CLS_AlarmRecordEntityDAO::GetInstance()); }},
    {"CLS_CacheEventEntityDAO",
     [] { return static_cast<const void*>(CLS_CacheEventEntityDAO::GetInstance()); }},
    {"CLS_RecFileEntityDAO", [] { return static_cast<const void*>(CLS_RecFileEntityDAO::GetInstance()); }},
    {"CLS_HostEntityDAO", [] { return static_cast<const void*>(CLS_HostEntityDAO::GetInstance()); }},
    {"CLS_ChannelEntityDAO", [] { return static_cast<const void*>(CLS_ChannelEntityDAO::GetInstance()); }},
    {"CLS_UserEntityDAO", [] { return static_cast<const void*>(CLS_UserEntityDAO::GetInstance()); }},
    {"CLS_DecEntityDAO", [] { return static_cast<const void*>(CLS_DecEntityDAO::GetInstance()); }},
};

// Releases kThreads threads at once on each singleton's first use; the names of those that
// came out as more than one object, on stderr. True when every one was a single object.
bool raceFirstUse()
{
    constexpr int kThreads = 8;
    bool bAllOne = true;
    for (const Singleton& singleton : kSingletons) {
        std::atomic<int> iReady{0};
        std::atomic<bool> bGo{false};
        std::vector<const void*> vecSeen(kThreads, nullptr);
        std::vector<std::thread> vecThreads;
        for (int t = 0; t < kThreads; ++t) {
            vecThreads.emplace_back([&, t] {
                ++iReady;
                while (!bGo.load()) {
                }
                vecSeen[t] = singleton.get();
            });
        }
        while (iReady.load() < kThreads) {
        }
        bGo = true;
        for (std::thread& thread : vecThreads) {
            thread.join();
        }
        for (const void* p : vecSeen) {
            if (p == nullptr || p != vecSeen.front()) {
                std::fprintf(stderr, "%s made more than once\n", singleton.name);
                bAllOne = false;
                break;
            }
        }
    }
    return bAllOne;
}

}  // namespace

TEST(Singletons, FirstUseFromManyThreadsMakesOneObject)
{
    // A process of its own (the test binary run again for this case only), in which none of
    // them has been made yet.
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(std::exit(raceFirstUse() ? 0 : 1), ::testing::ExitedWithCode(0), "");
}
