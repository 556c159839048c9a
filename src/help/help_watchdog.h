#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace mnemora {

// Watches that a thread keeps calling beat(). When no beat has come for
// `limit`, onStall runs once, on the watchdog's own thread, and the watching
// ends. The help viewer's window thread beats from a timer; unpacking or
// laying out a damaged file that never ends stops the beats, and onStall
// ends the viewer instead of leaving a frozen window.
//
// Time the whole process spends stopped (a suspended machine, SIGSTOP) is
// not counted: when the watchdog finds that it was itself held up far longer
// than it slept, it starts counting afresh.
class Watchdog {
public:
    using Clock = std::chrono::steady_clock;

    Watchdog(Clock::duration limit, std::function<void()> onStall,
             Clock::duration poll = std::chrono::milliseconds(200));
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void beat();

private:
    void watch();

    const Clock::duration limit_;
    const Clock::duration poll_;
    std::function<void()> onStall_;
    std::mutex mutex_;
    std::condition_variable wake_;
    Clock::time_point lastBeat_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace mnemora
