// The hash index behind the data set's paths and the property bag's keys: every entry is found
// past each growth of the table, with hashes that spread and with hashes that all collide.

#include "platform/runtime/HashIndex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {
namespace {

enum class Hashes { Spread, Alike, LastSlot };

// Entries are the positions + 1 of the names.
struct Names {
    const std::vector<std::string>& names;
    Hashes hashes;
    size_t HashOf(std::string_view name) const {
        switch (hashes) {
            case Hashes::Spread:
                return std::hash<std::string_view>{}(name);
            case Hashes::Alike:
                return 7;
            case Hashes::LastSlot:
                return static_cast<size_t>(-1);  // the last slot at every size: the search wraps
        }
        return 0;
    }
    size_t Hash(uint32_t ref) const { return HashOf(names[ref - 1]); }
    bool Has(uint32_t ref, std::string_view name, size_t /*hash*/) const {
        return names[ref - 1] == name;
    }
};

TEST(HashIndex, FindsEveryEntryPastEachGrowth) {
    struct Case {
        size_t count;
        Hashes hashes;
        bool reserved;  // room made for all entries first
    };
    // 16 slots hold 12 entries, 32 hold 24, 64 hold 48, 128 hold 96.
    const Case cases[] = {
        {0, Hashes::Spread, false},    {1, Hashes::Spread, false},     {12, Hashes::Spread, false},
        {13, Hashes::Spread, false},   {25, Hashes::Spread, false},    {49, Hashes::Spread, true},
        {97, Hashes::Spread, false},   {1000, Hashes::Spread, false},  {1000, Hashes::Spread, true},
        {13, Hashes::Alike, false},    {100, Hashes::Alike, false},    {100, Hashes::Alike, true},
        {13, Hashes::LastSlot, false}, {100, Hashes::LastSlot, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " entries, hashes " +
                     std::to_string(static_cast<int>(c.hashes)) + (c.reserved ? ", reserved" : ""));
        std::vector<std::string> names;
        for (size_t i = 0; i < c.count; ++i)
            names.push_back("TRANS/1/Act/PARAMETER_" + std::to_string(i));
        const Names keys{names, c.hashes};
        HashIndex<uint32_t> index;
        if (c.reserved)
            index.Reserve(keys, c.count);
        // The entry that was there already; 0 when it is added.
        auto add = [&](size_t i) {
            const std::string_view name = names[i];
            const auto [ref, added] = index.Insert(keys, name, keys.HashOf(name),
                                                   [i] { return static_cast<uint32_t>(i + 1); });
            EXPECT_EQ(ref, i + 1);
            return added ? uint32_t{0} : ref;
        };
        auto find = [&](std::string_view name) {
            return index.Find(keys, name, keys.HashOf(name));
        };
        for (size_t i = 0; i < c.count; ++i)
            ASSERT_EQ(add(i), 0u) << names[i];
        EXPECT_EQ(index.Count(), c.count);
        for (size_t i = 0; i < c.count; ++i) {
            EXPECT_EQ(find(names[i]), i + 1) << names[i];
            EXPECT_EQ(add(i), i + 1) << names[i];  // a key is there only once
        }
        EXPECT_EQ(index.Count(), c.count);
        EXPECT_EQ(find("TRANS/1/Act/PARAMETER_X"), 0u);
        index.Clear();
        EXPECT_EQ(index.Count(), 0u);
        for (size_t i = 0; i < c.count; ++i)
            EXPECT_EQ(find(names[i]), 0u) << names[i];
        if (c.count > 0) {
            EXPECT_EQ(add(c.count - 1), 0u);
            EXPECT_EQ(find(names[c.count - 1]), c.count);
        }
    }
}

}  // namespace
}  // namespace kv
