#pragma once
// A path of the online page tables with the page's block number put in for "%d".

#include <cstdint>
#include <string>

namespace kv {

// The path with every "%d" replaced by the block number ("FUNC/%d/AO/SP/Value" with 2 gives
// "FUNC/2/AO/SP/Value").
std::string BlockPath(const std::string& path, int16_t blockIndex);

}  // namespace kv
