// The Physical Block's elements as tables: the element table in order of relative index (each
// record followed by its members) and the offline defaults set after creation.

#include "devicemodel/DM_PB_P3.h"

#include "devicemodel/BlockHeader.h"
#include "devicemodel/BlockTable.h"

namespace kv::DM_PB_P3 {

namespace {

using namespace blocktable;

// DIAGNOSIS_MASK: 144 + R - &H10000 sets every ElementMode bit from &H10000 up.
constexpr int32_t kEveryGroup = -0x10000;

// The element table without the block header's rows that the block takes as they are
// (BlockHeader.h); its ST_REV takes the place of the header's.
// clang-format off
constexpr ElementRow kOwnRows[] = {
// rel path                                type len          pos     acc  groups     initial              settings                                                        place / pass
{1,  "ST_REV",                             3,  2,            0,      R,   0x2100000, Int(0),              {.flags = 0x1, .print = {{0, 16}}}},
{2,  "TAG_DESC",                           14, 32,           0,      RW,  0x2100000, EmptyText,           {.print = {{0, 1}, {2, 4}}},                                    Before("BLK_OBJ/")},
{5,  "TARGET_MODE",                        2,  1,            0,      RW,  0x200000,  Int(8),              {.control = 3}},
{6,  "MODE_BLK/Actual",                    2,  1,            0,      N,   0x100000,  Int(8),              {.flags = 0x1, .control = 3}},
{6,  "MODE_BLK/Permitted",                 2,  1,            1,      N,   0x2000000, Int(8),              {.flags = 0x1, .control = 4, .bitEncoded = true}},
{8,  "SOFTWARE_REVISION",                  14, 16,           0,      R,   0x2100000, EmptyText,           {.flags = 0x1, .print = {{0, 12}, {2, 8}}}},
{9,  "HARDWARE_REVISION",                  14, 16,           0,      R,   0x2100000, EmptyText,           {.flags = 0x1, .print = {{0, 13}, {2, 9}}}},
{10, "DEVICE_MAN_ID",                      3,  2,            0,      R,   0x2100000, Int(250),            {.flags = 0x1, .control = 3, .print = {{0, 9}, {2, 5}}}},
{11, "DEVICE_ID",                          14, 16,           0,      R,   0x2100000, EmptyText,           {.flags = 0x1, .print = {{2, 6}}}},
{12, "DEVICE_SER_NUM",                     14, 16,           0,      R,   0x2100000, EmptyText,           {.flags = 0x1, .print = {{0, 10}, {2, 7}}}},
{13, "DIAGNOSIS/",                         1,  4,            0,      R,   0x900000,  Int(0),              {.flags = 0x3, .control = 4, .bitEncoded = true, .print = {{2, 27}}}},
{13, "DIAGNOSIS/DIA_HW_ELECTR",            2,  1,            0,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x01},                                   {}, kBitMembers},
{13, "DIAGNOSIS/DIA_HW_MECH",              2,  1,            0,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x02},                                   {}, kBitMembers},
{13, "DIAGNOSIS/DIA_MEM_CHKSUM",           2,  1,            0,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x10},                                   {}, kBitMembers},
{13, "DIAGNOSIS/DIA_MEASUREMENT",          2,  1,            0,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x20},                                   {}, kBitMembers},
{13, "DIAGNOSIS/DIA_NOT_INIT",             2,  1,            0,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x40},                                   {}, kBitMembers},
{13, "DIAGNOSIS/DIA_INIT_ERR",             2,  1,            0,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x80},                                   {}, kBitMembers},
{13, "DIAGNOSIS/DIA_ZERO_ERR",             2,  1,            1,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x01, .print = {{1, 16}, {2, 34}}},      {}, kBitMembers},
{13, "DIAGNOSIS/DIA_CONF_INVAL",           2,  1,            1,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x04},                                   {}, kBitMembers},
{13, "DIAGNOSIS/DIA_WARMSTART",            2,  1,            1,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x08},                                   {}, kBitMembers},
{13, "DIAGNOSIS/DIA_COLDSTART",            2,  1,            1,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x10},                                   {}, kBitMembers},
{13, "DIAGNOSIS/DIA_MAINTAINANCE",         2,  1,            1,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x20},                                   {}, kBitMembers},
{13, "DIAGNOSIS/DIA_CHARACT",              2,  1,            1,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x40},                                   {}, kBitMembers},
{13, "DIAGNOSIS/IDENT_NUMBER_Violation",   2,  1,            1,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x80},                                   {}, kBitMembers},
{13, "DIAGNOSIS/EXTENSION_AVAILABLE",      2,  1,            3,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x80},                                   {}, kBitMembers},
{14, "DIAGNOSIS_EXTENSION/",               1,  6,            0,      R,   0x900000,  Int(0),              {.flags = 0x3, .control = 4, .bitEncoded = true, .print = {{2, 42}}}},
{14, "DIAGNOSIS_EXTENSION/DIA_NOT_TESTED",       2, 1,       0,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x40},                                   {}, kBitMembers},
{14, "DIAGNOSIS_EXTENSION/DIA_LOGIK_NOT_TESTED", 2, 1,       0,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x80},                                   {}, kBitMembers},
{14, "DIAGNOSIS_EXTENSION/DIA_NOT_CALIB",        2, 1,       1,      N,   0x900000,  Int(0),              {.flags = 0x3, .mask = 0x01},                                   {}, kBitMembers},
{15, "DIAGNOSIS_MASK",                     1,  4,            0,      R,   kEveryGroup, Int(0),            {.flags = 0x1, .control = 4, .bitEncoded = true}},
{16, "DIAGNOSIS_MASK_EXTENSION",           1,  6,            0,      R,   0x2000000, Int(0),              {.flags = 0x1, .control = 4, .bitEncoded = true}},
{17, "DEVICE_CERTIFICATION",               14, 32,           0,      R,   0x2000000, Text("CE,NE21, Exmarking see plate"), {.flags = 0x1, .print = {{0, 86}}}},
{18, "WRITE_LOCKING",                      3,  2,            0,      RW,  0x2000000, Int(2457),           {.control = 3, .print = {{0, 32}}}},
{19, "FACTORY_RESET",                      3,  2,            0,      RWC, 0x2000000, Int(0),              {.control = 3}},
{20, "DESCRIPTOR",                         14, 32,           0,      RW,  0x2000000, EmptyText,           {.print = {{0, 2}}},                                            After("TAG_DESC")},
{21, "DEVICE_MESSAGE",                     14, 32,           0,      RW,  0x2000000, EmptyText,           {.print = {{0, 3}}},                                            After("DESCRIPTOR")},
{22, "DEVICE_INSTAL_DATE",                 14, 16,           0,      RW,  0x2100000, EmptyText,           {.print = {{0, 14}, {2, 10}}},                                  After("DEVICE_MESSAGE")},
{23, "LOCAL_OP_ENA",                       2,  1,            0,      RW,  0x2000000, Int(1),              {.control = 3, .print = {{0, 82}}},                             After("DEVICE_INSTAL_DATE")},
{24, "IDENT_NUMBER_SELECTOR",              2,  1,            0,      RW,  0x2000000, Int(1),              {.control = 3, .print = {{0, 15}}},                             After("DEVICE_INSTAL_DATE")},
{25, "HW_WRITE_PROTECTION",                2,  1,            0,      R,   0x2000000, Int(0),              {.flags = 0x3, .control = 3, .print = {{0, 31}}}},
{33, "MFR/IDENT_FORCED_VENTING",           2,  1,            0,      R,   0x2000000, Int(0),              {.flags = 0x1, .control = 3, .print = {{0, 26}}},               {}, kManufacturer},
{34, "MFR/IDENT_BINARY_INPUT",             2,  1,            0,      RW,  0x2000000, Int(0),              {.control = 3, .print = {{0, 24}}},                             After("LOCAL_OP_ENA"), kManufacturer},
{35, "MFR/IDENT_LIMIT_SWITCHES",           2,  1,            0,      RW,  0x2000000, Int(0),              {.control = 3, .print = {{0, 25}}},                             After("MFR/IDENT_BINARY_INPUT"), kManufacturer},
{36, "MFR/DEVICE_PRODUCT_NUM",             14, 16,           0,      R,   0x2000000, Text("6274-XXXXXXXX-00"), {.flags = 0x1, .print = {{0, 11}}},                        {}, kManufacturer},
{39, "MFR/TEXT_INPUT_1",                   14, 32,           0,      RW,  0x2000000, Text("-/-"),         {.print = {{0, 4}}},                                            After("MFR/IDENT_LIMIT_SWITCHES"), kManufacturer},
{40, "MFR/TEXT_INPUT_2",                   14, 32,           0,      RW,  0x2000000, Text("-/-"),         {.print = {{0, 5}}},                                            After("MFR/TEXT_INPUT_1"), kManufacturer},
{41, "MFR/TEXT_INPUT_3",                   14, 32,           0,      RW,  0x2000000, Text("-/-"),         {.print = {{0, 6}}},                                            After("MFR/TEXT_INPUT_2"), kManufacturer},
{43, "MFR/DIAGNOSIS_OPT/",                 3,  2,            kNoPos, RW,  0,         Int(0),              {},                                                             {}, kManufacturer},
{43, "MFR/DIAGNOSIS_OPT/DIAGNOSIS_OPT_1",  3,  2,            0,      N,   0x2000000, Int(0),              {.control = 4, .bitEncoded = true, .rawByteOrder = true},       {}, kManufacturer},
{43, "MFR/DIAGNOSIS_OPT/DIAGNOSIS_OPT_2",  3,  2,            2,      N,   0x2000000, Int(0),              {.control = 4, .bitEncoded = true, .rawByteOrder = true},       {}, kManufacturer},
};

constexpr auto kHeader = BlockHeader({.blockObject = 1, .parentClass = 250, .blockClass = 250});
constexpr auto kElements = MergedRows<kOwnRows, kHeader>();

constexpr DefaultRow kOfflineDefaults[] = {
// path                          initial value                  further
{"BLK_OBJ/Parent_Class",         Int(2)},
{"TAG_DESC",                     Text("-/-")},
{"HARDWARE_REVISION",            Text("-/-")},
{"SOFTWARE_REVISION",            Text("-/-")},
{"DEVICE_MAN_ID",                Int(4109),                     {.control = 1}},
{"DEVICE_ID",                    Text("-/-")},
{"DEVICE_SER_NUM",               Text("-/-")},
{"DEVICE_CERTIFICATION",         Text("-/-")},
{"DEVICE_MESSAGE",               Text("-/-")},
{"DEVICE_INSTAL_DATE",           Text("01.01.2002")},
{"DIAGNOSIS_MASK_EXTENSION",     Bytes(0, 0, 0, 0, 0, 0),       {.control = 1}},
};
// clang-format on

constexpr BlockTables kBlock{pbfPhysicalBlock, &GetBlockPrefix, kElements, kOfflineDefaults};

}  // namespace

std::string GetBlockPrefix(int16_t) {
    return "PHYS/";
}

void CreateBlockModel(IDTMContext& context, int16_t blockNumber) {
    CreateBlock(kBlock, context, blockNumber);
}

void SetOfflineDefaults(int16_t blockNumber, IDTMContext& context) {
    SetDefaults(kBlock, context, blockNumber);
}

void CreateManufacturerParameters(int16_t blockNumber, IDTMContext& context) {
    CreateLaterRows(kBlock, context, blockNumber);
}

void OnDataChanged(int16_t, clsDataElement&, IDTMContext&) {}

void OnUpdateElement(clsDataElement&, IDTMContext&, bool) {}

}  // namespace kv::DM_PB_P3
