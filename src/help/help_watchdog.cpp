#include "help/help_watchdog.h"

#include <utility>

namespace mnemora {

Watchdog::Watchdog(Clock::duration limit, std::function<void()> onStall, Clock::duration poll)
    : limit_(limit), poll_(poll), onStall_(std::move(onStall)), lastBeat_(Clock::now()) {
    thread_ = std::thread([this] { watch(); });
}

Watchdog::~Watchdog() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void Watchdog::beat() {
    const std::lock_guard lock(mutex_);
    lastBeat_ = Clock::now();
}

void Watchdog::watch() {
    std::unique_lock lock(mutex_);
    Clock::time_point lastLook = Clock::now();
    while (!wake_.wait_for(lock, poll_, [this] { return stopping_; })) {
        const Clock::time_point now = Clock::now();
        // Held up for many polls at once: the whole process was stopped.
        if (now - lastLook > 5 * poll_ + std::chrono::seconds(1)) {
            lastBeat_ = now;
        }
        lastLook = now;
        if (now - lastBeat_ > limit_) {
            lock.unlock();
            onStall_();
            return;
        }
    }
}

}  // namespace mnemora
