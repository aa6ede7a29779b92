#include "platform/runtime/ManualEventLoop.h"

#include <algorithm>
#include <limits>

#include "platform/runtime/EntryGuard.h"

namespace kv {

void ManualEventLoop::Post(std::function<void()> fn) {
    queue_.push_back(std::move(fn));
}

int32_t ManualEventLoop::StartTimer(int32_t intervalMs, std::function<void()> fn) {
    int32_t id = nextTimer_++;
    int32_t interval = std::max(intervalMs, 1);
    timers_[id] = Timer{interval, now_ + interval, std::move(fn)};
    return id;
}

void ManualEventLoop::StopTimer(int32_t id) {
    timers_.erase(id);
}

int32_t ManualEventLoop::RunUntilIdle(int32_t maxCalls) {
    int32_t ran = 0;
    while (!queue_.empty() && ran < maxCalls) {
        auto fn = std::move(queue_.front());
        queue_.pop_front();
        Guarded(Diagnostics(), "posted call", fn);
        ++ran;
    }
    return ran;
}

void ManualEventLoop::Advance(int64_t ms) {
    const int64_t end = now_ + ms;
    RunUntilIdle();
    for (;;) {
        int32_t nextId = 0;
        int64_t nextDue = std::numeric_limits<int64_t>::max();
        for (const auto& [id, t] : timers_) {
            if (t.due < nextDue) {
                nextDue = t.due;
                nextId = id;
            }
        }
        if (nextId == 0 || nextDue > end)
            break;
        now_ = nextDue;
        auto it = timers_.find(nextId);
        it->second.due += it->second.interval;
        auto fn = it->second.fn;  // the timer may stop itself while it runs
        Guarded(Diagnostics(), "timer", fn);
        RunUntilIdle();
    }
    now_ = end;
}

}  // namespace kv
