#pragma once
// The texts a parameter row shows lists from: the value list "value:text|value:text" and the
// bit text "1|0|1", bit 0 first.

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

struct ValueListEntry {
    int32_t number;
    std::string text;
};

// The entries of a value list in their order; an entry without ":" is skipped, and a number that
// does not read as a 32-bit integer counts as -1.
std::vector<ValueListEntry> ParseValueListText(const std::string& list);

// The entries of a bit text: each "|"-separated piece is set when it is "1" (or any other
// number but 0). "" gives no entries.
std::vector<bool> ParseBitText(const std::string& bits);
std::string JoinBitText(const std::vector<bool>& bits);

}  // namespace kv
