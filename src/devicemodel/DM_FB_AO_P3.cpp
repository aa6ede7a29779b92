// The Analog Output block's elements as tables: the element table in order of relative index
// (each record followed by its members) and the standard defaults set after creation.

#include "devicemodel/DM_FB_AO_P3.h"

#include "devicemodel/BlockHeader.h"
#include "devicemodel/BlockTable.h"

namespace kv::DM_FB_AO_P3 {

namespace {

using namespace blocktable;

constexpr Pass Mfr = kManufacturer;
constexpr Pass Bits = kBitMembers;

// The element table without the block header's rows that the block takes as they are
// (BlockHeader.h); its MODE_BLK/, MODE_BLK/Normal and ALARM_SUM rows take the place of the
// header's.
// clang-format off
constexpr ElementRow kOwnRows[] = {
// rel path                           type len          pos     acc  groups     initial       settings                                                                       after / pass
{kNoRelIndex, "BlockIndex",           2,  1,            kNoPos, N,   0,         BlockNumber,  {.flags = 0x1}},
{2,  "TAG_DESC",                      14, 32,           0,      RW,  0x2000000, EmptyText,    {.print = {{0, 7}}},                                                           AfterPath("PHYS/TAG_DESC")},
{5,  "TARGET_MODE",                   2,  1,            0,      RW,  0x200000,  Int(8),       {.control = 3, .print = {{4, 1}}}},
{6,  "MODE_BLK/",                     0,  kTypeLength,  kNoPos, R,   0,         Empty},
{6,  "MODE_BLK/Actual",               2,  1,            0,      N,   0xB00000,  Int(8),       {.flags = 0x1, .control = 3, .print = {{1, 13}, {2, 12}, {4, 2}}}},
{6,  "MODE_BLK/Permitted",            2,  1,            1,      N,   0x2000000, Int(152),     {.flags = 0x1, .control = 4, .bitEncoded = true}},
{6,  "MODE_BLK/Normal",               2,  1,            2,      N,   0x2000000, Int(8),       {.flags = 0x1, .control = 3}},
{7,  "ALARM_SUM/",                    0,  kTypeLength,  kNoPos, R,   0,         Empty},
{7,  "ALARM_SUM/Current",             3,  2,            0,      N,   0x2000000, Int(0),       {.flags = 0x1, .control = 4, .bitEncoded = true}},
{7,  "ALARM_SUM/Unacknowledged",      3,  2,            2,      N,   0x2000000, Int(0),       {.flags = 0x1, .control = 4, .bitEncoded = true}},
{7,  "ALARM_SUM/Unreported",          3,  2,            4,      N,   0x2000000, Int(0),       {.flags = 0x1, .control = 4, .bitEncoded = true}},
{7,  "ALARM_SUM/Disabled",            3,  2,            6,      N,   0x2000000, Int(0),       {.flags = 0x1, .control = 4, .bitEncoded = true}},
{8,  "BATCH/",                        0,  kTypeLength,  kNoPos, RW,  0,         Empty,        {},                                                                            AfterPath("PHYS/MFR/TEXT_INPUT_3")},
{8,  "BATCH/BATCH_ID",                16, 4,            0,      N,   0x2000000, Int(0),       {.print = {{0, 33}}},                                                          After("BATCH/")},
{8,  "BATCH/RUP",                     3,  2,            4,      N,   0x2000000, Int(0),       {.print = {{0, 34}}},                                                          After("BATCH/BATCH_ID")},
{8,  "BATCH/OPERATION",               3,  2,            6,      N,   0x2000000, Int(0),       {.print = {{0, 35}}},                                                          After("BATCH/RUP")},
{8,  "BATCH/PHASE",                   3,  2,            8,      N,   0x2000000, Int(0),       {.print = {{0, 36}}},                                                          After("BATCH/OPERATION")},
{9,  "SP/",                           0,  kTypeLength,  kNoPos, RW,  0,         Empty},
{9,  "SP/Value",                      8,  4,            0,      N,   0xA00000,  Empty,        {.print = {{1, 3}, {4, 3}}}},
{9,  "SP/Status",                     2,  1,            4,      N,   0xA00000,  Empty,        {.control = 3, .print = {{1, 4}, {4, 4}}}},
{11, "PV_SCALE/",                     0,  kTypeLength,  0,      RW,  0,         Empty,        {},                                                                            AfterTransducer1("ADDITIONAL_GEAR_INSTALL_DATE")},
{11, "PV_SCALE/Up_Val",               8,  4,            0,      N,   0x2800000, Dbl(100),     {.print = {{0, 39}}, .initUnit = 1342},                                        After("PV_SCALE/")},
{11, "PV_SCALE/Lo_Val",               8,  4,            4,      N,   0x2800000, Dbl(0),       {.print = {{0, 38}}, .initUnit = 1342},                                        After("PV_SCALE/Up_Val")},
{11, "PV_SCALE/Unit",                 3,  2,            8,      N,   0x2000000, Int(1342),    {.control = 3, .print = {{0, 40}}},                                            After("PV_SCALE/Lo_Val")},
{11, "PV_SCALE/DecPoint",             2,  1,            10,     N,   0x2000000, Int(3),       {.control = 3},                                                                After("PV_SCALE/Unit")},
{12, "READBACK/",                     0,  kTypeLength,  kNoPos, R,   0,         Empty,        {.flags = 0x1}},
{12, "READBACK/Value",                8,  4,            0,      N,   0xA00000,  Empty,        {.flags = 0x1, .print = {{1, 1}, {4, 5}}}},
{12, "READBACK/Status",               2,  1,            4,      N,   0xA00000,  Int(0),       {.flags = 0x1, .control = 3, .print = {{1, 2}, {4, 6}}}},
{14, "RCAS_IN/",                      0,  kTypeLength,  kNoPos, RW,  0,         Empty},
{14, "RCAS_IN/Value",                 8,  4,            0,      N,   0x200000,  EmptyText,    {.print = {{4, 9}}}},
{14, "RCAS_IN/Status",                2,  1,            4,      N,   0x200000,  EmptyText,    {.control = 3, .print = {{4, 10}}}},
{21, "IN_CHANNEL",                    3,  2,            0,      RW,  0x2000000, Int(314),     {.print = {{0, 80}}},                                                          After("PV_SCALE/DecPoint")},
{22, "OUT_CHANNEL",                   3,  2,            0,      RW,  0x2000000, Int(313),     {.print = {{0, 81}}},                                                          After("IN_CHANNEL")},
{23, "FSAFE_TIME",                    8,  4,            0,      RW,  0x2000000, Dbl(0),       {.print = {{0, 56}}, .constUnit = 1054},                                       After("PV_SCALE/DecPoint")},
{24, "FSAFE_TYPE",                    2,  1,            0,      RW,  0x2000000, Int(2),       {.control = 3, .print = {{0, 55}}},                                            After("FSAFE_TIME")},
{25, "FSAFE_VALUE",                   8,  4,            0,      RW,  0x2000000, Dbl(0),       {.print = {{0, 57}}},                                                          After("FSAFE_TYPE")},
{27, "RCAS_OUT/",                     0,  kTypeLength,  kNoPos, R,   0,         Empty},
{27, "RCAS_OUT/Value",                8,  4,            0,      N,   0x200000,  Empty,        {.flags = 0x1, .print = {{4, 11}}}},
{27, "RCAS_OUT/StatusQuality",        2,  1,            4,      N,   0x200000,  Empty,        {.flags = 0x1, .control = 3, .mask = 0xFC, .print = {{4, 12}}}},
{27, "RCAS_OUT/StatusLimit",          2,  1,            4,      N,   0x200000,  Empty,        {.flags = 0x1, .control = 3, .mask = 0x03, .print = {{4, 13}}}},
{31, "POS_D/",                        0,  kTypeLength,  kNoPos, R,   0,         Empty},
{31, "POS_D/Value",                   2,  1,            0,      N,   0x800000,  Empty,        {.flags = 0x3, .control = 3, .print = {{1, 9}}}},
{31, "POS_D/Status",                  2,  1,            1,      N,   0x800000,  Int(0),       {.flags = 0x3, .control = 3, .print = {{1, 10}}}},
{32, "SETP_DEVIATION",                8,  4,            0,      R,   0xA00000,  Empty,        {.flags = 0x1, .print = {{1, 5}, {4, 7}}, .constUnit = 1342}},
{33, "CHECK_BACK/",                   1,  3,            0,      R,   0xB00000,  Int(0),       {.flags = 0x1, .control = 4, .bitEncoded = true, .print = {{2, 14}, {4, 8}}}},
{33, "CHECK_BACK/CB_FAIL_SAFE",       2,  1,            0,      N,   0xB00000,  Int(0),       {.flags = 0x1, .mask = 0x01},                                                  {}, Bits},
{33, "CHECK_BACK/CB_REQ_LOC_OP",      2,  1,            0,      N,   0xB00000,  Int(0),       {.flags = 0x1, .mask = 0x02},                                                  {}, Bits},
{33, "CHECK_BACK/CB_LOCAL_OP",        2,  1,            0,      N,   0xB00000,  Int(0),       {.flags = 0x1, .mask = 0x04},                                                  {}, Bits},
{33, "CHECK_BACK/CB_OVERRIDE",        2,  1,            0,      N,   0xB00000,  Int(0),       {.flags = 0x1, .mask = 0x08},                                                  {}, Bits},
{33, "CHECK_BACK/CB_TRAV_TIME",       2,  1,            0,      N,   0xB00000,  Int(0),       {.flags = 0x1, .mask = 0x80},                                                  {}, Bits},
{33, "CHECK_BACK/CB_UPDATE_EVT",      2,  1,            1,      N,   0xB00000,  Int(0),       {.flags = 0x1, .mask = 0x04},                                                  {}, Bits},
{33, "CHECK_BACK/CB_SIMULATE",        2,  1,            1,      N,   0xB00000,  Int(0),       {.flags = 0x1, .mask = 0x08},                                                  {}, Bits},
{33, "CHECK_BACK/CB_CONTR_ERR",       2,  1,            1,      N,   0xB00000,  Int(0),       {.flags = 0x1, .mask = 0x20, .print = {{2, 22}, {1, 15}}},                     {}, Bits},
{33, "CHECK_BACK/CB_CONTR_INACT",     2,  1,            1,      N,   0xB00000,  Int(0),       {.flags = 0x1, .mask = 0x40},                                                  {}, Bits},
{33, "CHECK_BACK/CB_SELFTEST",        2,  1,            1,      N,   0xB00000,  Int(0),       {.flags = 0x1, .mask = 0x80},                                                  {}, Bits},
{33, "CHECK_BACK/CB_TOT_VALVE_TRAV",  2,  1,            2,      N,   0xB00000,  Int(0),       {.flags = 0x1, .mask = 0x01},                                                  {}, Bits},
{33, "CHECK_BACK/CB_BINARY_INPUT",    2,  1,            2,      N,   0xB00000,  Int(0),       {.flags = 0x1, .mask = 0x02},                                                  {}, Bits},
{34, "CHECK_BACK_MASK",               1,  3,            0,      R,   0x2000000, Int(0),       {.flags = 0x1, .control = 4, .bitEncoded = true}},
{35, "SIMULATE/",                     0,  kTypeLength,  kNoPos, RW,  0,         Empty,        {.mode = 0x3}},
{35, "SIMULATE/Status",               2,  1,            0,      N,   0x200000,  Int(128),     {.control = 3}},
{35, "SIMULATE/StatusQuality",        2,  1,            0,      N,   0x200000,  Int(32),      {.control = 3, .mask = 0xFC, .print = {{3, 3}, {4, 24}}}},
{35, "SIMULATE/StatusLimit",          2,  1,            0,      N,   0x200000,  Int(0),       {.control = 3, .mask = 0x03, .print = {{3, 4}, {4, 25}}}},
{35, "SIMULATE/Value",                8,  4,            1,      N,   0x200000,  EmptyText,    {.print = {{3, 2}, {4, 23}}}},
{35, "SIMULATE/Enabled",              2,  1,            5,      N,   0x200000,  Int(0),       {.control = 3, .print = {{3, 1}, {4, 22}}}},
{36, "INCREASE_CLOSE",                2,  1,            0,      RW,  0x2000000, Int(0),       {.control = 3, .print = {{0, 37}}},                                            After("FSAFE_VALUE")},
{37, "OUT/",                          0,  kTypeLength,  kNoPos, RW,  0,         Empty},
{37, "OUT/Value",                     8,  4,            0,      N,   0xA00000,  Dbl(0),       {.flags = 0x3, .print = {{1, 6}, {4, 18}}}},
{37, "OUT/StatusQuality",             2,  1,            4,      N,   0xA00000,  Empty,        {.flags = 0x3, .control = 3, .mask = 0xFC, .print = {{1, 7}, {4, 19}}}},
{37, "OUT/StatusLimit",               2,  1,            4,      N,   0xA00000,  Empty,        {.flags = 0x3, .control = 3, .mask = 0x03, .print = {{1, 8}}}},
{38, "OUT_SCALE/",                    0,  kTypeLength,  0,      RW,  0,         Empty,        {},                                                                            After("INCREASE_CLOSE")},
{38, "OUT_SCALE/Up_Val",              8,  4,            0,      N,   0x2800000, Empty,        {.print = {{0, 44}}},                                                          After("OUT_SCALE/")},
{38, "OUT_SCALE/Lo_Val",              8,  4,            4,      N,   0x2800000, Empty,        {.print = {{0, 43}}},                                                          After("OUT_SCALE/Up_Val")},
{38, "OUT_SCALE/Unit",                3,  2,            8,      N,   0x2000000, Empty,        {.control = 3, .print = {{0, 45}}},                                            After("OUT_SCALE/Lo_Val")},
{38, "OUT_SCALE/DecPoint",            2,  1,            10,     N,   0x2000000, Int(3),       {.control = 3},                                                                After("OUT_SCALE/Unit")},
{49, "MFR/CHECK_BACK_OPT",            1,  3,            0,      RW,  0x2000000, Int(0),       {.control = 4, .bitEncoded = true},                                            {}, Mfr},
};

constexpr auto kHeader = BlockHeader({.blockObject = 2, .parentClass = 2, .blockClass = 1});
constexpr auto kElements = MergedRows<kOwnRows, kHeader>();

constexpr DefaultRow kStandardDefaults[] = {
// path                       initial value                   unit / format / range / other
{"SP/Value",                  Dbl(0),                         {.initUnit = 1342, .format = "0.00"}},
{"SP/Status",                 Int(0),                         {.mask = 0xFC}},
{"READBACK/Value",            Dbl(0),                         {.initUnit = 1342, .format = "0.00"}},
{"READBACK/Status",           {},                             {.mask = 0xFC}},
{"RCAS_IN/Value",             Dbl(0),                         {.initUnit = 1342, .format = "0.00"}},
{"RCAS_IN/Status",            Int(6),                         {.mask = 0xFC}},
{"IN_CHANNEL",                {},                             {.control = 3}},
{"OUT_CHANNEL",               {},                             {.control = 3}},
{"FSAFE_TIME",                Dbl(0),                         {.format = "0", .rangeMin = Int(0), .rangeMax = Int(3600)}},
{"FSAFE_VALUE",               {},                             {.constUnit = 1342, .format = "0.00", .rangeMin = Int(0), .rangeMax = Int(100)}},
{"RCAS_OUT/Value",            Dbl(0),                         {.initUnit = 1342, .format = "0.00"}},
{"RCAS_OUT/StatusQuality",    Int(0)},
{"RCAS_OUT/StatusLimit",      Int(0)},
{"POS_D/Value",               Int(0)},
{"POS_D/Status",              Int(0)},
{"SETP_DEVIATION",            Dbl(0),                         {.format = "0.00"}},
{"CHECK_BACK_MASK",           BytesInto(0x8F, 0xEC, 0x03)},
{"SIMULATE/Value",            Dbl(0)},
{"SIMULATE/StatusQuality",    Int(32)},
{"SIMULATE/StatusLimit",      Int(0)},
{"OUT/Value",                 Dbl(0),                         {.initUnit = 1342}},
{"OUT/StatusQuality",         Int(0)},
{"OUT/StatusLimit",           Int(0)},
{"OUT_SCALE/Up_Val",          Dbl(100),                       {.initUnit = 1342}},
{"OUT_SCALE/Lo_Val",          Dbl(0),                         {.initUnit = 1342}},
{"OUT_SCALE/Unit",            Int(1342)},
};
// clang-format on

constexpr BlockTables kBlock{pbfFunctionAOBlock, &GetBlockPrefix, kElements, kStandardDefaults};

}  // namespace

std::string GetBlockPrefix(int16_t blockNumber) {
    // The rules ask for block 1, the device's one block of this kind, with nearly every change.
    if (blockNumber == 1)
        return "FUNC/1/AO/";
    return "FUNC/" + std::to_string(blockNumber) + "/AO/";
}

void CreateBlockModel(IDTMContext& context, int16_t blockNumber) {
    CreateBlock(kBlock, context, blockNumber);
}

void SetStandardDefaults(int16_t blockNumber, IDTMContext& context) {
    SetDefaults(kBlock, context, blockNumber);
}

void CreateCheckBackElements(int16_t blockNumber, IDTMContext& context) {
    CreateLaterRows(kBlock, context, blockNumber);
}

}  // namespace kv::DM_FB_AO_P3
