#pragma once
// The one event loop of the program. Communication answers, the end of a process and timer ticks
// are always delivered through it, never inside the call that started them.
//
// Every loop (the manual one of the tests and the headless frame, the Qt-backed one of the window)
// runs each posted call and timer tick through the entry-point guard (Guarded) with its own log,
// the loop's last-resort catch. The callers guard their own calls with their context's log; what
// still escapes them is recorded in Diagnostics() and the loop goes on.

#include <cstdint>
#include <functional>

#include "value/DiagnosticLog.h"

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

    // The errors the loop's last-resort catch swallowed.
    DiagnosticLog& Diagnostics() { return diagnostics_; }
    const DiagnosticLog& Diagnostics() const { return diagnostics_; }

  private:
    DiagnosticLog diagnostics_;
};

}  // namespace kv
