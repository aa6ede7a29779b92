#pragma once
// Text search with wildcard patterns.

#include <cstdint>
#include <string>

namespace kv {

// The largest 1-based position p such that the text from p matches "*" & pattern & "*"; 0 when
// none or the pattern is empty. Mode 1 compares lower-cased texts.
int32_t InStrRevLike(const std::string& text, const std::string& pattern, int32_t mode);

}  // namespace kv
