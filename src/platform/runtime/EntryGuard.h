#pragma once
// The one entry-point guard. Every place where a caller outside the DTM reaches into it (an FDT
// call of the frame, a callback of the runtime, a task or timer of the event loop, a Qt slot)
// runs its body through Guarded: an error that escapes the body is recorded in the diagnostic
// log (where it was caught and what it said) and the entry point gives its documented fallback
// result instead (False, "", an empty list). Nothing escapes into the frame or the event loop.
//
//     bool DTMMain::PrepareToDelete() {
//         return Guarded(Context().Diagnostics(), "DTMMain::PrepareToDelete", false, [&] {
//             ...
//             return true;
//         });
//     }
//
// An entry point whose fallback needs naming gives the type: Guarded<std::string>(log, where,
// {}, body). A void body needs no fallback: Guarded(log, where, body).

#include <exception>
#include <type_traits>
#include <utility>

#include "value/DiagnosticLog.h"

namespace kv {

namespace detail {

// Records the exception being handled; must be called inside a catch.
inline void RecordCurrentError(DiagnosticLog& log, const char* where) noexcept {
    try {
        throw;
    } catch (const std::exception& e) {
        log.Record(where, e.what());
    } catch (...) {
        log.Record(where, "an error that is no std::exception");
    }
}

}  // namespace detail

template <class R, class Body>
R Guarded(DiagnosticLog& log, const char* where, R fallback, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        detail::RecordCurrentError(log, where);
    }
    return fallback;
}

template <class Body>
requires std::is_void_v<std::invoke_result_t<Body>>
void Guarded(DiagnosticLog& log, const char* where, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (...) {
        detail::RecordCurrentError(log, where);
    }
}

}  // namespace kv
