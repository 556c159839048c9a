#include "help/help_watchdog.h"

#include <gtest/gtest.h>

#include <atomic>

namespace mnemora {
namespace {

using namespace std::chrono_literals;

TEST(HelpWatchdog, CallsOnceWhenTheBeatsStop) {
    std::atomic<int> stalls{0};
    Watchdog watchdog(150ms, [&] { ++stalls; }, 10ms);
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (stalls == 0 && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(stalls, 1);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(stalls, 1);  // the watching has ended
}

TEST(HelpWatchdog, StaysQuietWhileTheBeatsGoOn) {
    std::atomic<int> stalls{0};
    {
        Watchdog watchdog(300ms, [&] { ++stalls; }, 10ms);
        for (int i = 0; i < 60; ++i) {  // 0.6 s of beats, twice the limit
            watchdog.beat();
            std::this_thread::sleep_for(10ms);
        }
    }
    EXPECT_EQ(stalls, 0);
}

}  // namespace
}  // namespace mnemora
