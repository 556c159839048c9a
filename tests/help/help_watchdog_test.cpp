#include "help/help_watchdog.h"

#include <gtest/gtest.h>

#include <atomic>

namespace mnemora {
namespace {

using namespace std::chrono_literals;

void sleepUntilOrStall(const std::atomic<int>& stalls, std::chrono::milliseconds most) {
    const auto until = std::chrono::steady_clock::now() + most;
    while (stalls == 0 && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(10ms);
    }
}

TEST(HelpWatchdog, CallsOnceWhenArmedWorkOutlastsTheLimit) {
    std::atomic<int> stalls{0};
    Watchdog watchdog(150ms, [&] { ++stalls; });
    watchdog.arm();
    std::this_thread::sleep_for(50ms);
    watchdog.arm();  // still the same piece of work: the count goes on
    sleepUntilOrStall(stalls, 5s);
    EXPECT_EQ(stalls, 1);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(stalls, 1);  // the watching has ended
}

TEST(HelpWatchdog, StaysQuietWhileIdleAndWhileEachPieceOfWorkEndsInTime) {
    std::atomic<int> stalls{0};
    {
        Watchdog watchdog(200ms, [&] { ++stalls; });
        std::this_thread::sleep_for(400ms);  // never armed: idle for twice the limit
        for (int i = 0; i < 8; ++i) {        // 0.8 s of short pieces, four times the limit
            watchdog.arm();
            std::this_thread::sleep_for(60ms);
            watchdog.disarm();
            std::this_thread::sleep_for(40ms);
        }
        std::this_thread::sleep_for(300ms);  // idle after work
    }
    EXPECT_EQ(stalls, 0);
}

}  // namespace
}  // namespace mnemora
