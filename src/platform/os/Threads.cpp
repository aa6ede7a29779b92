#include "platform/os/Threads.h"

#include <sched.h>
#include <algorithm>
#include <cerrno>
#include <string>
#include <thread>
#include <vector>

#include "value/DiagnosticLog.h"

namespace kv::os {

size_t UsableCpus() {
    for (int cpus = CPU_SETSIZE; cpus <= (1 << 16); cpus *= 2) {
        cpu_set_t* set = CPU_ALLOC(static_cast<size_t>(cpus));
        if (set == nullptr)
            break;
        const size_t size = CPU_ALLOC_SIZE(static_cast<size_t>(cpus));
        const bool read = ::sched_getaffinity(0, size, set) == 0;
        const bool tooSmall = !read && errno == EINVAL;  // the system has more CPUs
        const int count = read ? CPU_COUNT_S(size, set) : 0;
        CPU_FREE(set);
        if (read)
            return static_cast<size_t>(std::max(count, 1));
        if (!tooSmall)
            break;
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

size_t RunConcurrently(size_t threads, const std::function<void()>& body, DiagnosticLog* log) {
    // Joined however this block is left.
    struct Helpers {
        std::vector<std::thread> threads;
        ~Helpers() {
            for (std::thread& t : threads)
                t.join();
        }
    } helpers;
    const size_t wanted = std::max<size_t>(threads, 1);
    try {
        helpers.threads.reserve(wanted - 1);
        while (helpers.threads.size() + 1 < wanted)
            helpers.threads.emplace_back(body);
    } catch (const std::exception& e) {
        // No more threads to be had (std::system_error), or no room to keep them: those that run
        // and this one do the work.
        if (log != nullptr) {
            log->Record("os::RunConcurrently", std::to_string(helpers.threads.size() + 1) + " of " +
                                                   std::to_string(wanted) +
                                                   " threads started: " + e.what());
        }
    }
    body();
    return helpers.threads.size() + 1;
}

}  // namespace kv::os
