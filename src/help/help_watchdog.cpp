#include "help/help_watchdog.h"

#include <utility>

namespace mnemora {

namespace {

// A wait that overshoots by more than this was the process being stopped,
// not the window thread being stuck.
constexpr auto kStoppedSlack = std::chrono::seconds(2);

}  // namespace

Watchdog::Watchdog(Clock::duration limit, std::function<void()> onStall)
    : limit_(limit), onStall_(std::move(onStall)) {
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

void Watchdog::arm() {
    bool wakeWatcher = false;
    {
        const std::lock_guard lock(mutex_);
        if (armed_) {
            return;
        }
        armed_ = true;
        armedAt_ = Clock::now();
        wakeWatcher = sleepingForever_;
    }
    // Only a watcher with no deadline needs telling; one already counting
    // looks at the state when its deadline comes.
    if (wakeWatcher) {
        wake_.notify_one();
    }
}

void Watchdog::disarm() {
    const std::lock_guard lock(mutex_);
    armed_ = false;
}

void Watchdog::watch() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!armed_) {
            sleepingForever_ = true;
            wake_.wait(lock, [this] { return stopping_ || armed_; });
            sleepingForever_ = false;
            continue;
        }
        wake_.wait_until(lock, armedAt_ + limit_, [this] { return stopping_; });
        if (stopping_ || !armed_) {
            continue;
        }
        // Armed afresh meanwhile: a later deadline.
        const Clock::time_point due = armedAt_ + limit_;
        const Clock::time_point now = Clock::now();
        if (now < due) {
            continue;
        }
        if (now - due > kStoppedSlack) {
            armedAt_ = now;  // held up far past the deadline: the whole process was stopped
            continue;
        }
        lock.unlock();
        onStall_();
        return;
    }
}

}  // namespace mnemora
