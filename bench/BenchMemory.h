#pragma once
// What a benchmark measures of its process's memory.

#include <malloc.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>

namespace kv::bench {

// The bytes of the heap in use (the allocator's blocks below its mapping threshold).
inline size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// The process's resident memory; 0 when /proc cannot tell it.
inline size_t ResidentBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return static_cast<size_t>(resident) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace kv::bench
