#pragma once
// Work spread over threads of the process's own, each joined before the call returns.

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <type_traits>
#include <variant>

namespace kv {
class DiagnosticLog;
}

namespace kv::os {

// How many CPUs the process may run on (its affinity, which a container or taskset may narrow
// below the machine's count); the machine's count where the affinity cannot be read.
size_t UsableCpus();

// Runs body on the calling thread and at once on up to threads - 1 others, and joins them before
// it returns; body must not throw. How many threads ran it: fewer than asked where the system
// gives no more threads (or no room for them), and then 'log', when given, records why.
size_t RunConcurrently(size_t threads, const std::function<void()>& body, DiagnosticLog* log);

// Runs work(i) for every i below count on up to 'threads' threads (RunConcurrently); or
// work(i, state), where each thread has a State of its own that it keeps from one i to the next
// (a buffer, say). The first exception of work stops the others and is thrown again here.
template <class State = std::monostate, class Work>
void RunOnThreads(size_t count, size_t threads, Work work, DiagnosticLog* log = nullptr) {
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr fault;  // written by the first thread that fails, read after the joins
    const auto run = [&]() noexcept {
        try {
            State state{};
            for (size_t i = next.fetch_add(1); i < count; i = next.fetch_add(1)) {
                if constexpr (std::is_invocable_v<Work&, size_t, State&>)
                    work(i, state);
                else
                    work(i);
            }
        } catch (...) {
            next = count;
            if (!failed.exchange(true))
                fault = std::current_exception();
        }
    };
    RunConcurrently(threads < count ? threads : count, run, log);
    if (fault)
        std::rethrow_exception(fault);
}

}  // namespace kv::os
