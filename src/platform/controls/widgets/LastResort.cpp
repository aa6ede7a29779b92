#include "platform/controls/widgets/LastResort.h"

#include <cstdio>

namespace kv {

void ReportUnhandledError(const char* where, const char* what) noexcept {
    std::fprintf(stderr, "kv6274pa: unhandled error in %s: %s\n", where,
                 what != nullptr ? what : "unknown error");
}

}  // namespace kv
