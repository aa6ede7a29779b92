#include "platform/runtime/ProcessId.h"

#include <atomic>

#include "platform/os/Guid.h"

namespace kv {

std::string NewProcessId() {
    os::GuidBytes g{};
    if (!os::NewRandomGuid(g)) {
        static std::atomic<uint64_t> counter{0};
        return "PROCESS-" + std::to_string(++counter);
    }
    // Data1, Data2 and Data3 are little-endian in the structure; Data4 is in order.
    static const int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text.push_back('-');
        const uint8_t b = g[kOrder[i]];
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 0x0F]);
    }
    return text;
}

}  // namespace kv
