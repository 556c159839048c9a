#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace mnemora {

// Watches that a piece of work ends in time. arm() says "busy from now"
// (a later arm() while busy changes nothing), disarm() says "idle". When the
// watchdog stays armed for `limit`, onStall runs once, on the watchdog's own
// thread, and the watching ends. The help viewer arms it whenever its window
// thread handles an event and disarms it when that thread goes back to
// waiting, so unpacking or laying out a damaged file that never ends ends the
// viewer instead of leaving a frozen window.
//
// While disarmed the watchdog's thread sleeps without a time-out: an idle
// viewer costs no wake-ups. Time the whole process spends stopped (a
// suspended machine, SIGSTOP) is not counted: a watchdog that wakes far later
// than it asked to starts counting afresh.
class Watchdog {
public:
    using Clock = std::chrono::steady_clock;

    Watchdog(Clock::duration limit, std::function<void()> onStall);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void arm();
    void disarm();

private:
    void watch();

    const Clock::duration limit_;
    std::function<void()> onStall_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool armed_ = false;
    Clock::time_point armedAt_;
    bool sleepingForever_ = false;  // the thread waits for an arm() to wake it
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace mnemora
