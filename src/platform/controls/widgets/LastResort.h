#pragma once
// The last-resort guard of calls that Qt makes into the program outside the event loop's tasks
// (a widget's event handlers): they belong to no instance, so what escapes them is recorded in
// the process's widget log (the same guard as every other entry point) and goes no further; it
// must never unwind through Qt.

#include <utility>

#include "platform/runtime/DiagnosticLog.h"
#include "platform/runtime/EntryGuard.h"

namespace kv {

// The errors swallowed in widget event handlers, for the whole process.
DiagnosticLog& WidgetDiagnostics();

template <typename Fn>
void CallGuarded(const char* where, Fn&& fn) noexcept {
    Guarded(WidgetDiagnostics(), where, std::forward<Fn>(fn));
}

}  // namespace kv
