#pragma once
// The one event loop of the program. Communication answers, the end of a process and timer ticks
// are always delivered through it, never inside the call that started them.

#include <cstdint>
#include <functional>

namespace kv {

class IEventLoop {
  public:
    virtual ~IEventLoop() = default;
    // Runs fn later, on the loop, in the order of posting.
    virtual void Post(std::function<void()> fn) = 0;
    // Calls fn every intervalMs milliseconds until stopped; returns the timer's id (> 0).
    virtual int32_t StartTimer(int32_t intervalMs, std::function<void()> fn) = 0;
    virtual void StopTimer(int32_t id) = 0;
    // Milliseconds since an arbitrary start.
    virtual int64_t NowMs() const = 0;
};

}  // namespace kv
