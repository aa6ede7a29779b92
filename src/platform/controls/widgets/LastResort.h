#pragma once
// The last-resort guard of calls that Qt's event loop makes into the program (event handlers,
// timers, posted calls): an exception that escapes the call is reported on stderr and goes no
// further, since it must never unwind through Qt.

#include <exception>
#include <utility>

namespace kv {

// Writes the report of an unhandled error in 'where' (what is null for an unknown error).
void ReportUnhandledError(const char* where, const char* what) noexcept;

template <typename Fn>
void CallGuarded(const char* where, Fn&& fn) noexcept {
    try {
        std::forward<Fn>(fn)();
    } catch (const std::exception& e) {
        ReportUnhandledError(where, e.what());
    } catch (...) {
        ReportUnhandledError(where, nullptr);
    }
}

}  // namespace kv
