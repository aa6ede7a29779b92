#pragma once
// The guard of calls that Qt makes into widgets that know no instance (their event handlers,
// their slots): what escapes them is recorded in the process's widget log (the same guard as
// every other entry point) and goes no further; it must never unwind through Qt. A widget that
// knows its instance's context guards with the context's log instead.

#include <utility>

#include "platform/runtime/EntryGuard.h"
#include "value/DiagnosticLog.h"

namespace kv {

// The errors swallowed in widget event handlers, for the whole process.
DiagnosticLog& WidgetDiagnostics();

template <typename Fn>
void CallGuarded(const char* where, Fn&& fn) noexcept {
    Guarded(WidgetDiagnostics(), where, std::forward<Fn>(fn));
}

// The same for a handler with a result: the fallback when the handler failed.
template <typename R, typename Fn>
R CallGuarded(const char* where, R fallback, Fn&& fn) noexcept {
    return Guarded(WidgetDiagnostics(), where, std::move(fallback), std::forward<Fn>(fn));
}

}  // namespace kv
