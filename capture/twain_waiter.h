#pragma once

#include <condition_variable>
#include <mutex>

#include "twain/twain_types.h"

// For a scanner driven without a window: the manager's wake-ups are waited
// for on the driving thread, which then offers ProcessEvent a "message".
class TwainWakeWaiter {
public:
    // What InitSourceManager takes as the parent.
    TW_PARENT Parent() { return TW_PARENT{this, &TwainWakeWaiter::Wake}; }
    // Returns once the manager has woken this waiter since the last return.
    void Wait() {
        std::unique_lock lock(mutex_);
        woken_.wait(lock, [this] { return pending_; });
        pending_ = false;
    }

private:
    static void Wake(void* self) {
        auto* waiter = static_cast<TwainWakeWaiter*>(self);
        std::lock_guard lock(waiter->mutex_);
        waiter->pending_ = true;
        waiter->woken_.notify_one();
    }

    std::mutex mutex_;
    std::condition_variable woken_;
    bool pending_ = false;
};
