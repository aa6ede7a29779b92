#include "core/StrFkt.h"

#include "value/Text.h"
#include "value/Variant.h"

namespace kv {

// Positions are 1-based byte positions in the UTF-8 text. A match from p implies one from every
// earlier position (the pattern is enclosed in '*'), so a binary search finds the last one.
int32_t InStrRevLike(const std::string& text, const std::string& pattern, int32_t mode) {
    if (pattern.empty()) {
        return 0;
    }
    const std::string t = mode == 1 ? ToLowerAscii(text) : text;
    const std::string p = "*" + (mode == 1 ? ToLowerAscii(pattern) : pattern) + "*";
    int64_t lo = 1;
    int64_t hi = static_cast<int64_t>(t.size());
    int32_t found = 0;
    while (lo <= hi) {
        const int64_t mid = (lo + hi) / 2;
        if (Like(t.substr(static_cast<size_t>(mid - 1)), p)) {
            found = static_cast<int32_t>(mid);
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    return found;
}

}  // namespace kv
