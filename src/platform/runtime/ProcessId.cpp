#include "platform/runtime/ProcessId.h"

#include <atomic>

#include "platform/os/Guid.h"

namespace kv {

std::string NewProcessId() {
    const std::optional<os::GuidBytes> guid = os::NewRandomGuid();
    if (!guid) {
        static std::atomic<uint64_t> counter{0};
        return "PROCESS-" + std::to_string(++counter);
    }
    return os::GuidText(*guid);
}

}  // namespace kv
