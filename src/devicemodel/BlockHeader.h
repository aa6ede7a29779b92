#pragma once
// The rows every block of the device starts with: BLK_OBJ and its members, ST_REV, STRATEGY,
// ALERT_KEY and the records MODE_BLK and ALARM_SUM, as most blocks have them. A block's table
// (MergedRows) gives the rows in which it differs: a row of its own at the place of one of these
// takes its place. TAG_DESC, TARGET_MODE, MODE_BLK/Actual and MODE_BLK/Permitted differ in
// every block and stand in the blocks' tables only.

#include <array>
#include <cstdint>

#include "devicemodel/BlockTable.h"

namespace kv::blocktable {

// The initial values of BLK_OBJ/Block_Object, BLK_OBJ/Parent_Class and BLK_OBJ/Class: what the
// block is.
struct BlockObject {
    int32_t blockObject;
    int32_t parentClass;
    int32_t blockClass;
};

// The header rows of the block that `id` tells, in table order.
consteval auto BlockHeader(BlockObject id) {
    // clang-format off
    return std::to_array<ElementRow>({
// rel path                           type len          pos     acc  groups     initial               settings
{0,  "BLK_OBJ/",                      0,  kTypeLength,  kNoPos, R,   0,         Empty,                {.mode = 0x1}},
{0,  "BLK_OBJ/Reserved",              2,  1,            0,      N,   0,         Empty,                {.flags = 0x1}},
{0,  "BLK_OBJ/Block_Object",          2,  1,            1,      N,   0x2000000, Int(id.blockObject),  {.flags = 0x1, .control = 3}},
{0,  "BLK_OBJ/Parent_Class",          2,  1,            2,      N,   0x2000000, Int(id.parentClass),  {.flags = 0x1, .control = 3}},
{0,  "BLK_OBJ/Class",                 2,  1,            3,      N,   0x2000000, Int(id.blockClass),   {.flags = 0x1, .control = 3}},
{0,  "BLK_OBJ/DD_Reference",          16, 4,            4,      N,   0x2000000, Empty,                {.flags = 0x1}},
{0,  "BLK_OBJ/DD_Revision",           3,  2,            8,      N,   0x2000000, Empty,                {.flags = 0x1}},
{0,  "BLK_OBJ/Profile",               3,  2,            10,     N,   0x2000000, Int(16386),           {.flags = 0x1, .control = 3}},
{0,  "BLK_OBJ/Profile_Revision",      3,  2,            12,     N,   0x2000000, Int(768),             {.flags = 0x1, .control = 3}},
{0,  "BLK_OBJ/Execution_Time",        2,  1,            14,     N,   0x2000000, Empty,                {.flags = 0x1}},
{0,  "BLK_OBJ/Number_of_Parameters",  3,  2,            15,     N,   0x2000000, Empty,                {.flags = 0x1}},
{0,  "BLK_OBJ/Address_of_View_1",     3,  2,            17,     N,   0x2000000, Empty,                {.flags = 0x1}},
{0,  "BLK_OBJ/Number_of_Views",       2,  1,            19,     N,   0x2000000, Empty,                {.flags = 0x1}},
{1,  "ST_REV",                        3,  2,            0,      R,   0x2100000, Int(0),               {.flags = 0x1}},
{3,  "STRATEGY",                      3,  2,            0,      RW,  0x2000000, Int(0)},
{4,  "ALERT_KEY",                     2,  1,            0,      RW,  0x2000000, Int(0)},
{6,  "MODE_BLK/",                     0,  kTypeLength,  kNoPos, R,   0,         Empty,                {.mode = 0x1}},
{6,  "MODE_BLK/Normal",               2,  1,            2,      N,   0x2000000, Int(8),               {.flags = 0x3, .control = 3}},
{7,  "ALARM_SUM/",                    0,  kTypeLength,  kNoPos, R,   0,         Empty,                {.mode = 0x1}},
{7,  "ALARM_SUM/Current",             3,  2,            0,      N,   0x2000000, Int(0),               {.flags = 0x3, .control = 4, .bitEncoded = true}},
{7,  "ALARM_SUM/Unacknowledged",      3,  2,            2,      N,   0x2000000, Int(0),               {.flags = 0x3, .control = 4, .bitEncoded = true}},
{7,  "ALARM_SUM/Unreported",          3,  2,            4,      N,   0x2000000, Int(0),               {.flags = 0x3, .control = 4, .bitEncoded = true}},
{7,  "ALARM_SUM/Disabled",            3,  2,            6,      N,   0x2000000, Int(0),               {.flags = 0x3, .control = 4, .bitEncoded = true}},
    });
    // clang-format on
}

}  // namespace kv::blocktable
