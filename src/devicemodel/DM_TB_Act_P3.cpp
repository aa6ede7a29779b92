// The Transducer Block's elements as a table in creation order (ascending relative index, each
// record followed by its members). The table shows every element's final state; the rows marked
// "later" are created without units, format, range and mask, which SetStandardDefaults then
// sets together with their initial value where they were created with another one.

#include "devicemodel/DM_TB_Act_P3.h"

#include "devicemodel/BlockHeader.h"
#include "devicemodel/BlockTable.h"

namespace kv::DM_TB_Act_P3 {

namespace {

using namespace blocktable;

constexpr Completion Later = kCompletedLater;
constexpr Completion LaterReadOnly = kReadOnlyLater;
constexpr Pass Std = kStandard;
constexpr Pass Mfr = kManufacturer;

// The element table without the block header's rows that the block takes as they are
// (BlockHeader.h); its BLK_OBJ/DD_Reference takes the place of the header's.
// clang-format off
constexpr ElementRow kOwnRows[] = {
// rel path                               type len          pos     acc  groups     initial            settings                                                                                          after / pass / completion / created with
{kNoRelIndex, "BlockIndex",               2,  1,            kNoPos, N,   0,         BlockNumber,       {.flags = 0x1}},
{0,  "BLK_OBJ/DD_Reference",              7,  4,            4,      N,   0x2000000, Empty,             {.flags = 0x1}},
{2,  "TAG_DESC",                          14, 32,           0,      RW,  0x2000000, EmptyText,         {.print = {{0, 8}}},                                                                              AfterPath("PHYS/TAG_DESC")},
{5,  "TARGET_MODE",                       2,  1,            0,      RW,  0x200000,  Int(8),            {.control = 3, .print = {{4, 20}}}},
{6,  "MODE_BLK/Actual",                   2,  1,            0,      N,   0x300000,  Int(8),            {.flags = 0x3, .control = 3, .print = {{4, 21}}}},
{6,  "MODE_BLK/Permitted",                2,  1,            1,      N,   0x2000000, Int(8),            {.flags = 0x3, .control = 4, .bitEncoded = true}},
{9,  "ACT_STROKE_TIME_DEC",               8,  4,            0,      R,   0x2000000, Dbl(0),            {.flags = 0x1, .print = {{0, 58}}, .constUnit = 1054, .format = "0.0"},                          {}, Std, Later},
{10, "ACT_STROKE_TIME_INC",               8,  4,            0,      R,   0x2000000, Dbl(0),            {.flags = 0x1, .print = {{0, 59}}, .constUnit = 1054, .format = "0.0"},                          {}, Std, Later},
{22, "DEADBAND",                          8,  4,            0,      RW,  0x2000000, Dbl(0.5),          {.print = {{0, 49}}, .constUnit = 1342, .format = "0.0", .rangeMin = Dbl(0.1), .rangeMax = Dbl(10)},      AfterPath("PHYS/LOCAL_OP_ENA"), Std, Later},
{23, "DEVICE_CALIB_DATE",                 14, 16,           0,      RW,  0x2100000, Text("01.01.2002"), {.print = {{0, 83}, {2, 1}}},                                                                   After("DEADBAND"), Std, Later},
{24, "DEVICE_CONFIG_DATE",                14, 16,           0,      RW,  0x2100000, Text("01.01.2002"), {.print = {{0, 84}, {2, 2}}},                                                                   After("DEVICE_CALIB_DATE"), Std, Later},
{25, "LIN_TYPE",                          2,  1,            0,      RW,  0x2000000, Int(0),            {.control = 3, .print = {{0, 48}}},                                                               AfterPath("PHYS/LOCAL_OP_ENA")},
{32, "RATED_TRAVEL",                      8,  4,            0,      RW,  0x2000000, Dbl(15),           {.print = {{0, 23}}, .initUnit = 1013, .format = "0.0", .rangeMin = Dbl(0), .rangeMax = Dbl(255.9)},      AfterPath("PHYS/LOCAL_OP_ENA"), Std, Later},
{33, "SELF_CALIBRATION_CMD",              2,  1,            0,      RC,  0x2000000, Int(0),            {.control = 3}},
{34, "SELF_CALIBRATION_STATUS",           2,  1,            0,      R,   0x2000000, Int(0),            {.flags = 0x1, .control = 3}},
{35, "SERVO_GAIN_1",                      8,  4,            0,      RW,  0x2000000, Dbl(0.5),          {.print = {{0, 50}}, .format = "0.00", .rangeMin = Dbl(0.01), .rangeMax = Dbl(10)},                       After("DEVICE_CONFIG_DATE"), Std, Later},
{36, "SERVO_RATE_1",                      8,  4,            0,      RW,  0x2000000, Dbl(0.12),         {.print = {{0, 52}}, .format = "0.00", .rangeMin = Dbl(0), .rangeMax = Dbl(1)},                           After("SERVO_GAIN_1"), Std, Later},
{38, "SETP_CUTOFF_DEC",                   8,  4,            0,      RW,  0x2000000, Dbl(1),            {.print = {{0, 41}}, .constUnit = 1342, .format = "0.0", .rangeMin = Dbl(-2.5), .rangeMax = Dbl(99)},     After("SERVO_RATE_1"), Std, Later},
{39, "SETP_CUTOFF_INC",                   8,  4,            0,      RW,  0x2000000, Dbl(99),           {.print = {{0, 42}}, .constUnit = 1342, .format = "0.0", .rangeMin = Dbl(0), .rangeMax = Dbl(125)},       After("SETP_CUTOFF_DEC"), Std, Later},
{45, "TOTAL_VALVE_TRAVEL",                8,  4,            0,      R,   0x2800000, Dbl(0),            {.flags = 0x1, .print = {{0, 64}, {1, 11}}, .format = "0"},                                       {}, Std, Later},
{46, "TOTAL_VALVE_TRAVEL_LIMIT",          8,  4,            0,      RW,  0x2800000, Dbl(1000000),      {.print = {{0, 65}}, .format = "0", .rangeMin = Dbl(0), .rangeMax = Dbl(16500000)},                       After("SETP_CUTOFF_INC"), Std, Later},
{47, "TRAVEL_LIMIT_LOW",                  8,  4,            0,      RW,  0x2000000, Dbl(0),            {.print = {{0, 46}}, .constUnit = 1342, .format = "0.0", .rangeMin = Dbl(-20), .rangeMax = Dbl(99.9)},    After("SERVO_RATE_1"), Std, Later},
{48, "TRAVEL_LIMIT_UP",                   8,  4,            0,      RW,  0x2000000, Dbl(100),          {.print = {{0, 47}}, .constUnit = 1342, .format = "0.0", .rangeMin = Dbl(0), .rangeMax = Dbl(120)},       After("TRAVEL_LIMIT_LOW"), Std, Later},
{49, "TRAVEL_RATE_DEC",                   8,  4,            0,      RW,  0x2000000, Dbl(0),            {.print = {{0, 60}}, .constUnit = 1054, .format = "0.0", .rangeMin = Int(0), .rangeMax = Int(75)},        After("TRAVEL_LIMIT_UP"), Std, Later},
{50, "TRAVEL_RATE_INC",                   8,  4,            0,      RW,  0x2000000, Dbl(0),            {.print = {{0, 61}}, .constUnit = 1054, .format = "0.0", .rangeMin = Int(0), .rangeMax = Int(75)},        After("TRAVEL_RATE_DEC"), Std, Later},
{51, "VALVE_MAINTENANCE_DATE",            14, 16,           0,      RW,  0x2100000, Text("01.01.2002"), {.print = {{0, 85}, {2, 3}}},                                                                   After("SETP_CUTOFF_INC"), Std, Later},
{52, "SERVO_GAIN_2",                      8,  4,            0,      RW,  0x2000000, Dbl(1.2),          {.print = {{0, 51}}, .format = "0.00", .rangeMin = Dbl(0.01), .rangeMax = Dbl(10)},                       After("SERVO_GAIN_1"), Std, Later},
{57, "POSITIONING_VALUE/",                0,  kTypeLength,  kNoPos, R,   0,         Empty,             {.mode = 0x91}},
{57, "POSITIONING_VALUE/Value",           8,  4,            0,      N,   0x200000,  Dbl(0),            {.flags = 0x1, .print = {{4, 14}}, .initUnit = 1342, .format = "0.00"},                           {}, Std, Later},
{57, "POSITIONING_VALUE/Status",          2,  1,            4,      N,   0x200000,  Int(0),            {.flags = 0x1, .control = 3, .mask = 0xFC, .print = {{4, 15}}},                                   {}, Std, Later},
{58, "FEEDBACK_VALUE/",                   0,  kTypeLength,  kNoPos, R,   0,         Empty,             {.mode = 0x91}},
{58, "FEEDBACK_VALUE/Value",              8,  4,            0,      N,   0x200000,  Dbl(0),            {.flags = 0x1, .print = {{4, 16}}, .initUnit = 1342, .format = "0.00"},                           {}, Std, Later},
{58, "FEEDBACK_VALUE/Status",             2,  1,            4,      N,   0x200000,  Int(0),            {.flags = 0x1, .control = 3, .mask = 0xFC, .print = {{4, 17}}},                                   {}, Std, Later},
{59, "VALVE_MAN",                         14, 16,           0,      RW,  0x2000000, EmptyText,         {.print = {{0, 20}}},                                                                             After("RATED_TRAVEL")},
{60, "ACTUATOR_MAN",                      14, 16,           0,      RW,  0x2000000, EmptyText,         {.print = {{0, 17}}},                                                                             After("VALVE_MAN")},
{61, "VALVE_TYPE",                        2,  1,            0,      RW,  0x2000000, Int(0),            {.control = 3, .print = {{0, 22}}},                                                               After("ACTUATOR_MAN")},
{62, "ACTUATOR_TYPE",                     2,  1,            0,      R,   0x2000000, Int(0),            {.flags = 0x1, .control = 3, .print = {{0, 19}}},                                                 {}, Std, Later, Int(3)},
{63, "ACTUATOR_ACTION",                   2,  1,            0,      R,   0x2000000, Int(0),            {.flags = 0x1, .control = 3, .print = {{0, 54}}},                                                 {}, Std, LaterReadOnly},
{64, "VALVE_SERIAL_NUMBER",               14, 16,           0,      RW,  0x2000000, Text("-/-"),       {.print = {{0, 21}}},                                                                             After("VALVE_MAN"), Std, Later, EmptyText},
{65, "ACTUATOR_SERIAL_NUMBER",            14, 16,           0,      RW,  0x2000000, Text("-/-"),       {.print = {{0, 18}}},                                                                             After("VALVE_SERIAL_NUMBER"), Std, Later, EmptyText},
{66, "ADDITIONAL_GEAR_SER_NUMBER",        14, 16,           0,      RW,  0x2000000, Text("-/-"),       {.print = {{0, 30}}},                                                                             After("TOTAL_VALVE_TRAVEL_LIMIT"), Std, Later, EmptyText},
{67, "ADDITIONAL_GEAR_MAN",               14, 16,           0,      RW,  0x2000000, Text("-/-"),       {.print = {{0, 29}}},                                                                             After("ADDITIONAL_GEAR_SER_NUMBER"), Std, Later, EmptyText},
{68, "ADDITIONAL_GEAR_ID",                14, 16,           0,      RW,  0x2000000, Text("-/-"),       {.print = {{0, 28}}},                                                                             After("ADDITIONAL_GEAR_MAN"), Std, Later, EmptyText},
{69, "ADDITIONAL_GEAR_INSTALL_DATE",      14, 16,           0,      RW,  0x2000000, Text("01.01.2002"), {.print = {{0, 27}}},                                                                            After("ADDITIONAL_GEAR_ID"), Std, Later},
{80, "MFR/TRANSM_CODE/",                  0,  kTypeLength,  kNoPos, RW,  0,         Empty,             {.mode = 0x93},                                                                                   AfterPath("PHYS/LOCAL_OP_ENA"), Mfr},
{80, "MFR/TRANSM_CODE/Value",             2,  1,            0,      N,   0x2000000, Int(1),            {.control = 3, .print = {{0, 70}}},                                                               After("MFR/TRANSM_CODE/"), Mfr},
{80, "MFR/TRANSM_CODE/Status",            2,  1,            1,      N,   0x2000000, Int(32),           {.flags = 0x1, .control = 3},                                                                     After("MFR/TRANSM_CODE/Value"), Mfr},
{81, "MFR/TRANSM_LENGTH",                 8,  4,            0,      RW,  0x2000000, Int(42),           {.print = {{0, 71}}, .constUnit = 1013, .format = "0.0", .rangeMin = Dbl(0), .rangeMax = Dbl(1023)},      AfterPath("PHYS/LOCAL_OP_ENA"), Mfr},
{82, "MFR/TRANSM_PIN_POS",                2,  1,            0,      RW,  0x2000000, Int(0),            {.control = 3, .print = {{0, 72}}},                                                               After("MFR/TRANSM_LENGTH"), Mfr},
{83, "MFR/INIT_METHOD",                   2,  1,            0,      RW,  0x2000000, Int(0),            {.control = 3, .print = {{0, 73}}},                                                               After("RATED_TRAVEL"), Mfr},
{84, "MFR/DELAY_TIME",                    8,  4,            0,      RW,  0x2000000, Dbl(10),           {.print = {{0, 63}}, .constUnit = 1054, .format = "0.0", .rangeMin = Dbl(0), .rangeMax = Dbl(240)},       After("ADDITIONAL_GEAR_INSTALL_DATE"), Mfr},
{85, "MFR/TOLERANCE_BAND",                8,  4,            0,      RW,  0x2000000, Dbl(5),            {.print = {{0, 62}}, .constUnit = 1342, .format = "0.0", .rangeMin = Dbl(0.1), .rangeMax = Dbl(10)},      After("MFR/DELAY_TIME"), Mfr},
{86, "MFR/SELF_CALIB_WARNING",            2,  1,            0,      R,   0x2000000, Int(0),            {.flags = 0x1, .control = 3, .print = {{0, 75}}},                                                 {}, Mfr},
{87, "MFR/BINARY_INPUT",                  2,  1,            0,      R,   0x2900000, Int(0),            {.flags = 0x1, .control = 3, .print = {{1, 12}, {2, 11}}},                                        {}, Mfr},
{88, "MFR/MAX_HUB",                       8,  4,            0,      R,   0x2000000, Dbl(100),          {.flags = 0x1, .print = {{0, 79}}, .constUnit = 1342, .format = "0.0"},                           {}, Mfr},
{90, "MFR/TRANSDUCER_STATE",              2,  1,            0,      R,   0x900000,  Int(0),            {.flags = 0x1, .control = 3, .print = {{1, 14}, {2, 13}}},                                        {}, Mfr},
{91, "MFR/CHARACT_TYPE",                  14, 32,           0,      RW,  0x2000000, Text("-/-"),       {},                                                                                               {}, Mfr},
{92, "MFR/TOL_OVERSHOOT",                 8,  4,            0,      RW,  0x2000000, Dbl(0.5),          {.print = {{0, 53}}, .constUnit = 1342, .format = "0.00", .rangeMin = Dbl(0.1), .rangeMax = Dbl(10)},     After("MFR/TOLERANCE_BAND"), Mfr},
{93, "MFR/ATTACHMENT",                    2,  1,            0,      RW,  0x2000000, Int(0),            {.control = 3, .print = {{0, 67}}},                                                               AfterPath("PHYS/LOCAL_OP_ENA"), Mfr},
{94, "MFR/ACTUATOR_VERSION",              2,  1,            0,      RW,  0x2000000, Int(0),            {.control = 3, .print = {{0, 68}}},                                                               After("MFR/TOL_OVERSHOOT"), Mfr},
{95, "MFR/MOUNTING_POSITION",             2,  1,            0,      RW,  0x2000000, Int(1),            {.control = 3, .print = {{0, 74}}},                                                               After("MFR/INIT_METHOD"), Mfr},
};

constexpr auto kHeader = BlockHeader({.blockObject = 3, .parentClass = 5, .blockClass = 2});
constexpr auto kElements = MergedRows<kOwnRows, kHeader>();
// clang-format on

constexpr BlockTables kBlock{pbfTransducerBlock, &GetBlockPrefix, kElements};

}  // namespace

std::string GetBlockPrefix(int16_t blockNumber) {
    // The rules ask for block 1, the device's one block of this kind, with nearly every change.
    if (blockNumber == 1)
        return "TRANS/1/Act/";
    return "TRANS/" + std::to_string(blockNumber) + "/Act/";
}

void CreateBlockModel(IDTMContext& context, int16_t blockNumber) {
    CreateBlock(kBlock, context, blockNumber);
}

void SetStandardDefaults(int16_t blockNumber, IDTMContext& context) {
    SetDefaults(kBlock, context, blockNumber);
}

void CreateMfrElements(int16_t blockNumber, IDTMContext& context) {
    CreateLaterRows(kBlock, context, blockNumber);
}

}  // namespace kv::DM_TB_Act_P3
