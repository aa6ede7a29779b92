#pragma once
// The bit text of a bit-list row: "1|0|1", bit 0 first.

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

// The entries of a bit text: each "|"-separated field is set when it is "1" (or any other
// number but 0). "" gives no entries.
std::vector<bool> ParseBitText(const std::string& bits);
std::string JoinBitText(const std::vector<bool>& bits);

}  // namespace kv
