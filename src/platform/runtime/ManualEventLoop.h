#pragma once
// An event loop driven by hand: posted calls and timers run when the owner asks, on a clock that
// only moves when told. Tests and the headless frame use it. An error that escapes a call or a
// tick is recorded in Diagnostics() and the loop goes on.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>

#include "platform/os/IEventLoop.h"

namespace kv {

class ManualEventLoop : public IEventLoop {
  public:
    void Post(std::function<void()> fn) override;
    int32_t StartTimer(int32_t intervalMs, std::function<void()> fn) override;
    void StopTimer(int32_t id) override;
    int64_t NowMs() const override { return now_; }

    // Runs posted calls until none is left (calls posted meanwhile included); returns how many
    // ran. Stops after maxCalls to end a loop that keeps posting.
    int32_t RunUntilIdle(int32_t maxCalls = 1000000);
    // Moves the clock forward, firing due timers in time order and running posted calls after
    // each tick.
    void Advance(int64_t ms);
    bool HasPending() const { return !queue_.empty(); }
    size_t TimerCount() const { return timers_.size(); }

  private:
    struct Timer {
        int32_t interval;
        int64_t due;
        std::function<void()> fn;
    };
    std::deque<std::function<void()>> queue_;
    std::map<int32_t, Timer> timers_;
    int32_t nextTimer_ = 1;
    int64_t now_ = 0;
};

}  // namespace kv
