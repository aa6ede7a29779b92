// The three blocks as the model builder makes them: the rules every element follows (addresses,
// lengths, modes, record layout, value kinds, units) and what the blocks single out (indices,
// offline values, access and settings of single elements), not the block tables row by row.

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/DataModelHelpers.h"
#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "devicemodel/DM_FB_AO_P3.h"
#include "devicemodel/DM_PB_P3.h"
#include "devicemodel/DM_TB_Act_P3.h"
#include "devicemodel/DeviceModel.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/DataSet.h"
#include "platform/runtime/ManualEventLoop.h"

namespace kv {
namespace {

constexpr const char* kPB = "PHYS/";
constexpr const char* kTB = "TRANS/1/Act/";
constexpr const char* kAO = "FUNC/1/AO/";
// The SIMULATE status byte is held whole and again as quality and limit under masks.
constexpr const char* kSimulateStatus = "FUNC/1/AO/SIMULATE/Status";

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}
bool IsRecord(const std::string& path) {
    return !path.empty() && path.back() == '/';
}

struct Model {
    Model() : context(std::make_shared<ManualEventLoop>()) {
        dataSet = std::make_shared<DataSet>(context, std::make_shared<clsDataModel>(DeviceModel()));
        context.SetParameters(dataSet);
        BuildDataModel(context);
        for (const auto& e : dataSet->Elements())
            elements.push_back(&AsDataElement(*e));
    }
    bool Has(const std::string& path) const {
        return AsDataElement(dataSet->Item(path)) != nullptr;
    }
    clsDataElement& At(const std::string& path) const {
        clsDataElement* e = AsDataElement(dataSet->Item(path));
        if (e == nullptr)
            throw std::runtime_error("missing " + path);
        return *e;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const clsDataElement* e : elements)
            names.push_back(e->Name());
        return names;
    }
    // The record element that holds a member: the path cut after its last "/".
    clsDataElement* RecordOf(const clsDataElement& member) const {
        const std::string& name = member.Name();
        if (IsRecord(name))
            return nullptr;
        const size_t slash = name.rfind('/');
        if (slash == std::string::npos)
            return nullptr;
        return AsDataElement(dataSet->Item(name.substr(0, slash + 1)));
    }

    DTMContext context;
    std::shared_ptr<DataSet> dataSet;
    std::vector<clsDataElement*> elements;
};

const Model& TheModel() {
    static const Model model;
    return model;
}

// The bytes [begin, end) of an element inside its record.
int32_t ByteLength(const clsDataElement& e) {
    return e.ValueType() == vtUnsigned8 ? 1 : e.ValueTypeLength();
}

// --- structure of the whole model ---

TEST(BlocksModel, ElementCountsPerBlock) {
    std::map<std::string, int> count;
    for (const clsDataElement* e : TheModel().elements) {
        for (const char* prefix : {kPB, kTB, kAO}) {
            if (StartsWith(e->Name(), prefix))
                ++count[prefix];
        }
    }
    EXPECT_EQ(count[kPB], 72);
    EXPECT_EQ(count[kTB], 83);
    EXPECT_EQ(count[kAO], 91);
    EXPECT_EQ(TheModel().elements.size(), 9u + 72 + 83 + 91);
}

TEST(BlocksModel, EveryAddressFollowsItsBlocksRule) {
    for (const clsDataElement* e : TheModel().elements) {
        SCOPED_TRACE(e->Name());
        const std::string& name = e->Name();
        const bool blockIndex =
            name == std::string(kTB) + "BlockIndex" || name == std::string(kAO) + "BlockIndex";
        if (StartsWith(name, kPB)) {
            EXPECT_EQ(e->BlockType, pbfPhysicalBlock);
            EXPECT_EQ(e->BlockNumber, 0);
            EXPECT_EQ(e->Slot, 0);
            EXPECT_EQ(e->index, e->RelIndex + 16);
        } else if (blockIndex) {
            EXPECT_EQ(e->BlockType, pbfNoneBlock);
            EXPECT_EQ(e->BlockNumber, 1);
            EXPECT_EQ(e->RelIndex, -1);
            EXPECT_EQ(e->Slot, -1);
            EXPECT_EQ(e->index, -1);
            EXPECT_EQ(e->ElementMode() & (emUpload | emDownload | emDeviceCommand), 0);
            EXPECT_NE(e->StatusFlags() & sfWriteProtected, 0);
            continue;
        } else if (StartsWith(name, kTB)) {
            EXPECT_EQ(e->BlockType, pbfTransducerBlock);
            EXPECT_EQ(e->BlockNumber, 1);
            EXPECT_EQ(e->Slot, 1);
            EXPECT_EQ(e->index, e->RelIndex + 100);
        } else if (StartsWith(name, kAO)) {
            EXPECT_EQ(e->BlockType, pbfFunctionAOBlock);
            EXPECT_EQ(e->BlockNumber, 1);
            EXPECT_EQ(e->Slot, 1);
            EXPECT_EQ(e->index, e->RelIndex + 16);
        } else {
            EXPECT_EQ(e->BlockType, pbfNoneBlock);  // a DTM-level element
            continue;
        }
        EXPECT_GE(e->RelIndex, 0);
        EXPECT_LE(e->index, 255);
    }
}

TEST(BlocksModel, ElementsReadOrWrittenOnTheirOwnHaveTheirOwnAddress) {
    std::map<std::pair<int, int>, std::string> owner;
    for (const clsDataElement* e : TheModel().elements) {
        if ((e->ElementMode() & (emUpload | emDownload | emDeviceCommand)) == 0)
            continue;
        if (e->Slot < 0)
            continue;  // DTM-level elements never reach the device
        const auto [it, fresh] = owner.emplace(std::make_pair(e->Slot, e->index), e->Name());
        EXPECT_TRUE(fresh) << e->Name() << " shares slot " << e->Slot << ", index " << e->index
                           << " with " << it->second;
    }
}

TEST(BlocksModel, RecordMembersGoWithTheirRecordOnly) {
    const Model& m = TheModel();
    for (const clsDataElement* e : m.elements) {
        const clsDataElement* record = m.RecordOf(*e);
        if (record == nullptr)
            continue;
        SCOPED_TRACE(e->Name());
        EXPECT_EQ(e->ElementMode() & (emUpload | emDownload | emDeviceCommand), 0);
        EXPECT_NE(record->ElementMode() & emUpload, 0);
        EXPECT_EQ(e->Slot, record->Slot);
        EXPECT_EQ(e->index, record->index);
        EXPECT_GE(e->DataPosition, 0);
    }
    // Every block element that is not read on its own is a member of a record.
    for (const clsDataElement* e : m.elements) {
        if (e->Slot >= 0 && (e->ElementMode() & emUpload) == 0) {
            EXPECT_NE(m.RecordOf(*e), nullptr) << e->Name();
        }
    }
}

TEST(BlocksModel, MembersFillTheirRecordWithoutOverlap) {
    const Model& m = TheModel();
    std::map<std::string, std::vector<const clsDataElement*>> members;
    for (const clsDataElement* e : m.elements) {
        if (const clsDataElement* record = m.RecordOf(*e))
            members[record->Name()].push_back(e);
    }
    int valueRecords = 0;
    for (const auto& [recordPath, list] : members) {
        SCOPED_TRACE(recordPath);
        const clsDataElement& record = m.At(recordPath);
        // A record that is decoded itself has a known byte length.
        if (record.ValueType() != vtRecord && record.DataPosition >= 0) {
            for (const clsDataElement* e : list)
                EXPECT_LE(e->DataPosition + ByteLength(*e), record.ValueTypeLength()) << e->Name();
        }
        // Byte by byte: whole bytes are owned once; shared bytes by disjoint masks.
        std::map<int, int> owned;  // byte -> bits taken
        for (const clsDataElement* e : list) {
            if (e->Name() == kSimulateStatus)
                continue;
            ASSERT_GT(ByteLength(*e), 0) << e->Name();
            const int bits = e->ValueType() == vtUnsigned8 ? e->AccessMask : 0xFF;
            for (int b = e->DataPosition; b < e->DataPosition + ByteLength(*e); ++b) {
                EXPECT_EQ(owned[b] & bits, 0) << e->Name() << " overlaps at byte " << b;
                owned[b] |= bits;
            }
        }
        // A record without a value of its own is its members: no byte from 0 on is left out.
        if (record.ValueType() == vtRecord) {
            EXPECT_EQ(owned.begin()->first, 0);
            EXPECT_EQ(owned.rbegin()->first + 1, static_cast<int>(owned.size()));
        }
        // A float value at byte 0 has its status at byte 4: the quality in the six high bits, the
        // limits in the two low ones.
        if (m.Has(recordPath + "Value") && m.At(recordPath + "Value").ValueType() == vtFloat &&
            m.At(recordPath + "Value").DataPosition == 0) {
            ++valueRecords;
            EXPECT_NE(owned[4], 0);
            for (const clsDataElement* e : list) {
                if (e->DataPosition == 4) {
                    EXPECT_EQ(e->AccessMask, e->Name().ends_with("Limit") ? 0x03 : 0xFC)
                        << e->Name();
                }
            }
        }
    }
    // The positioning and feedback values; setpoint, readback, cascade in and out, output.
    EXPECT_EQ(valueRecords, 7);
}

TEST(BlocksModel, OfflineValuesFitTheirElements) {
    for (const clsDataElement* e : TheModel().elements) {
        SCOPED_TRACE(e->Name());
        const Variant& v = e->InitialValue;
        if (e->ValueType() == vtOctetString) {
            ASSERT_TRUE(v.isByteArray());
            EXPECT_EQ(static_cast<int32_t>(v.bytes().bytes.size()), e->ValueTypeLength());
        }
        if (e->ValueType() == vtVisibleString && v.isString() && e->ValueTypeLength() > 0) {
            EXPECT_LE(static_cast<int32_t>(v.str().size()), e->ValueTypeLength());
        }
        if (v.isNumber()) {
            // A masked byte member must fit its bits once shifted into place.
            if (e->ValueType() == vtUnsigned8) {
                int field = e->AccessMask;
                while (field != 0 && (field & 1) == 0)
                    field >>= 1;
                EXPECT_LE(v.number(), field);
            }
            if (const std::optional<ValueRange> range = e->GetRange(0)) {
                EXPECT_GE(v.number(), range->min.number());
                EXPECT_LE(v.number(), range->max.number());
            }
        }
    }
}

TEST(BlocksModel, NoElementStaysDynamic) {
    for (const clsDataElement* e : TheModel().elements)
        EXPECT_EQ(e->StatusFlags() & sfDynamic, 0) << e->Name();
}

// --- data-set order ---

TEST(BlocksModel, PhysicalBlockOrderBeginsWithThePlacedElements) {
    std::vector<std::string> phys;
    for (const std::string& n : TheModel().Names()) {
        if (StartsWith(n, kPB))
            phys.push_back(n.substr(5));
    }
    const std::vector<std::string> head = {
        "TAG_DESC",
        "DESCRIPTOR",
        "DEVICE_MESSAGE",
        "DEVICE_INSTAL_DATE",
        "IDENT_NUMBER_SELECTOR",
        "LOCAL_OP_ENA",
        "MFR/IDENT_BINARY_INPUT",
        "MFR/IDENT_LIMIT_SWITCHES",
        "MFR/TEXT_INPUT_1",
        "MFR/TEXT_INPUT_2",
        "MFR/TEXT_INPUT_3",
        "BLK_OBJ/",
    };
    ASSERT_GE(phys.size(), head.size());
    EXPECT_EQ(std::vector<std::string>(phys.begin(), phys.begin() + head.size()), head);
}

TEST(BlocksModel, ElementsPlacedBehindOthersFollowThemDirectly) {
    const std::vector<std::string> names = TheModel().Names();
    // Each chain is a run of neighbours in the data set's order.
    const std::vector<std::vector<std::string>> chains = {
        {"ProtectedByChannelAssignment", "PHYS/TAG_DESC", "FUNC/1/AO/TAG_DESC",
         "TRANS/1/Act/TAG_DESC", "PHYS/DESCRIPTOR"},
        {"PHYS/LOCAL_OP_ENA", "TRANS/1/Act/MFR/ATTACHMENT", "TRANS/1/Act/MFR/TRANSM_LENGTH",
         "TRANS/1/Act/MFR/TRANSM_PIN_POS", "TRANS/1/Act/MFR/TRANSM_CODE/",
         "TRANS/1/Act/MFR/TRANSM_CODE/Value", "TRANS/1/Act/MFR/TRANSM_CODE/Status",
         "TRANS/1/Act/RATED_TRAVEL", "TRANS/1/Act/MFR/INIT_METHOD",
         "TRANS/1/Act/MFR/MOUNTING_POSITION", "TRANS/1/Act/VALVE_MAN"},
        {"TRANS/1/Act/ADDITIONAL_GEAR_INSTALL_DATE", "FUNC/1/AO/PV_SCALE/",
         "FUNC/1/AO/PV_SCALE/Up_Val", "FUNC/1/AO/PV_SCALE/Lo_Val", "FUNC/1/AO/PV_SCALE/Unit",
         "FUNC/1/AO/PV_SCALE/DecPoint", "FUNC/1/AO/FSAFE_TIME", "FUNC/1/AO/FSAFE_TYPE",
         "FUNC/1/AO/FSAFE_VALUE", "FUNC/1/AO/INCREASE_CLOSE", "FUNC/1/AO/OUT_SCALE/",
         "FUNC/1/AO/OUT_SCALE/Up_Val", "FUNC/1/AO/OUT_SCALE/Lo_Val", "FUNC/1/AO/OUT_SCALE/Unit",
         "FUNC/1/AO/OUT_SCALE/DecPoint", "FUNC/1/AO/IN_CHANNEL", "FUNC/1/AO/OUT_CHANNEL",
         "TRANS/1/Act/MFR/DELAY_TIME"},
        {"PHYS/MFR/TEXT_INPUT_3", "FUNC/1/AO/BATCH/", "FUNC/1/AO/BATCH/BATCH_ID",
         "FUNC/1/AO/BATCH/RUP", "FUNC/1/AO/BATCH/OPERATION", "FUNC/1/AO/BATCH/PHASE",
         "PHYS/BLK_OBJ/"},
    };
    for (const auto& chain : chains) {
        auto at = std::find(names.begin(), names.end(), chain.front());
        ASSERT_NE(at, names.end()) << chain.front();
        ASSERT_LE(chain.size(), static_cast<size_t>(names.end() - at));
        EXPECT_EQ(std::vector<std::string>(at, at + chain.size()), chain);
    }
}

// --- rules that every element follows ---

// The length of each value type 0 to 16 where a table gives none.
constexpr int32_t kTypeLength[] = {0, 0, 1, 2, 3, 2, 3, 4, 4, 8, 1, 8, 8, 17, 0, 0, 4};

// A member of the record, at any depth.
bool InRecord(const std::string& path, const std::string& record) {
    return StartsWith(path, record) && path != record;
}

TEST(BlocksModel, LengthsModesValuesAndCodingFollowTheirRules) {
    std::map<int32_t, std::set<double>> printed;  // documentation list -> positions taken
    for (const clsDataElement* e : TheModel().elements) {
        if (e->BlockType == pbfNoneBlock)
            continue;  // DTM-level elements and BlockIndex
        SCOPED_TRACE(e->Name());
        const int32_t type = e->ValueType();
        const int32_t mode = e->ElementMode();
        ASSERT_TRUE(type >= 0 && type <= vtUnsigned32);
        if (type == vtVisibleString || type == vtOctetString) {
            EXPECT_GT(e->ValueTypeLength(), 0);
        } else {
            EXPECT_EQ(e->ValueTypeLength(), kTypeLength[type]);
        }
        // 144 (&H90) plus the access and group bits; a record without a value of its own is in
        // no group, is read as a whole and may have its mode set outright, without the 144.
        if (type == vtRecord) {
            EXPECT_EQ(mode & ~0xFFFF, 0);
            EXPECT_NE(mode & emUpload, 0);
            EXPECT_TRUE((mode & ~0x7) == 0 || (mode & ~0x7) == 0x90) << mode;
        } else {
            EXPECT_EQ(mode & 0xFFF8, 0x90) << mode;
        }
        EXPECT_TRUE(e->Validity());
        // Whole numbers are 16-bit integers and floats doubles (but the transmission length's
        // 42); the Transducer Block's ranges are doubles (but the travel rates' 0 to 75).
        if (e->InitialValue.isNumber()) {
            const bool integer = type != vtFloat || e->Name().ends_with("/MFR/TRANSM_LENGTH");
            EXPECT_EQ(e->InitialValue.type(), integer ? VarType::Integer : VarType::Double);
        }
        const std::optional<ValueRange> range = e->GetRange(0);
        if (range) {
            EXPECT_LT(range->min.number(), range->max.number());
            const bool integers =
                e->Name().ends_with("/TRAVEL_RATE_DEC") || e->Name().ends_with("/TRAVEL_RATE_INC");
            if (StartsWith(e->Name(), kTB)) {
                EXPECT_EQ(range->min.type(), integers ? VarType::Integer : VarType::Double);
                EXPECT_EQ(range->max.type(), range->min.type());
            }
        }
        // Units are percent, second, millimetre or degree. Only floats have a number format; the
        // Transducer Block's all have one, and a float written on its own has a range.
        for (const int16_t unit : {e->nInitUnit, e->nConstantUnit})
            EXPECT_TRUE(unit == 0 || unit == 1342 || unit == 1054 || unit == 1013 || unit == 1005)
                << unit;
        if (type != vtFloat || StartsWith(e->Name(), kTB)) {
            EXPECT_EQ(e->ValueFormat.empty(), type != vtFloat);
        }
        if (type == vtFloat && (mode & emDownload) != 0) {
            EXPECT_TRUE(range.has_value());
        }
        // A bit list shows a bit-encoded value; octet strings keep the wire's byte order, and so
        // do the Physical Block's diagnosis options alone.
        if (e->ControlType() == 4) {
            EXPECT_TRUE(e->bBitEncoding);
        }
        EXPECT_EQ(e->RawByteOrder,
                  type == vtOctetString || InRecord(e->Name(), "PHYS/MFR/DIAGNOSIS_OPT/"));
        for (int32_t list = 0; list < 5; ++list) {
            const Variant order = e->GetPrintOrder(list);
            if (!order.isEmpty()) {
                EXPECT_TRUE(printed[list].insert(order.number()).second)
                    << "position " << order.number() << " of list " << list << " taken twice";
            }
        }
    }
    EXPECT_EQ(printed.size(), 5u) << "a documentation list without elements";
}

// The whole numbers of the spans from..to.
std::set<int> Numbers(std::initializer_list<std::pair<int, int>> spans) {
    std::set<int> numbers;
    for (const auto& [from, to] : spans) {
        for (int n = from; n <= to; ++n)
            numbers.insert(n);
    }
    return numbers;
}

TEST(BlocksModel, BlockIndicesAndTheirGaps) {
    std::map<std::string, std::set<int>> indices;
    for (const clsDataElement* e : TheModel().elements) {
        for (const char* prefix : {kPB, kTB}) {
            if (StartsWith(e->Name(), prefix) && e->Slot >= 0)
                indices[prefix].insert(e->index);
        }
    }
    // clang-format off
    // Standard parameters at 16 to 41, manufacturer parameters at 49 to 52, 55 to 57 and 59.
    EXPECT_EQ(indices[kPB], Numbers({{16, 41}, {49, 52}, {55, 57}, {59, 59}}));
    // Relative indices 0 to 95 (index 100 on) but 8, 11-21, 26-31, 37, 40-44, 53-56, 70-79, 89.
    EXPECT_EQ(indices[kTB], Numbers({{100, 107}, {109, 110}, {122, 125}, {132, 136}, {138, 139},
                                     {145, 152}, {157, 169}, {180, 188}, {190, 195}}));
    const std::pair<const char*, int> slot1[] = {{"TRANS/1/Act/VALVE_TYPE", 161},
        {"FUNC/1/AO/SP/Value", 25}, {"FUNC/1/AO/MFR/CHECK_BACK_OPT", 65},
        {"FUNC/1/AO/RCAS_OUT/StatusLimit", 43}};
    // clang-format on
    for (const auto& [path, index] : slot1) {
        EXPECT_EQ(TheModel().At(path).Slot, 1) << path;
        EXPECT_EQ(TheModel().At(path).index, index) << path;
    }
}

// --- what the blocks single out ---

Variant Bytes(std::vector<uint8_t> b) {
    return Variant(std::move(b));
}
Variant I(int16_t n) {
    return Variant(n);
}

TEST(BlocksModel, OfflineValuesOfANewInstance) {
    const Model& m = TheModel();
    const Variant dashes("-/-"), date("01.01.2002");
    // The certification, the manufacturer id, the actuator type and the serial numbers are
    // created with other values.
    const std::pair<const char*, Variant> values[] = {
        // clang-format off
        {"PHYS/TAG_DESC", dashes}, {"PHYS/SOFTWARE_REVISION", dashes},
        {"PHYS/HARDWARE_REVISION", dashes}, {"PHYS/DEVICE_ID", dashes},
        {"PHYS/DEVICE_SER_NUM", dashes}, {"PHYS/DEVICE_CERTIFICATION", dashes},
        {"PHYS/DEVICE_MESSAGE", dashes}, {"PHYS/DEVICE_INSTAL_DATE", date},
        {"PHYS/DEVICE_MAN_ID", I(4109)}, {"PHYS/WRITE_LOCKING", I(2457)},
        {"PHYS/LOCAL_OP_ENA", I(1)}, {"PHYS/IDENT_NUMBER_SELECTOR", I(1)},
        {"PHYS/DIAGNOSIS_MASK_EXTENSION", Bytes({0, 0, 0, 0, 0, 0})},
        {"TRANS/1/Act/BlockIndex", I(1)}, {"TRANS/1/Act/ACTUATOR_TYPE", I(0)},
        {"TRANS/1/Act/VALVE_MAN", Variant("")}, {"TRANS/1/Act/ACTUATOR_MAN", Variant("")},
        {"TRANS/1/Act/VALVE_SERIAL_NUMBER", dashes}, {"TRANS/1/Act/ADDITIONAL_GEAR_ID", dashes},
        {"TRANS/1/Act/DEVICE_CALIB_DATE", date}, {"TRANS/1/Act/ADDITIONAL_GEAR_INSTALL_DATE", date},
        {"TRANS/1/Act/TRAVEL_LIMIT_LOW", Variant(0.0)}, {"TRANS/1/Act/TRAVEL_LIMIT_UP", Variant(100.0)},
        {"TRANS/1/Act/MFR/TRANSM_LENGTH", I(42)},
        {"FUNC/1/AO/BlockIndex", I(1)}, {"FUNC/1/AO/BLK_OBJ/Profile", I(0x4002)},
        {"FUNC/1/AO/BLK_OBJ/Profile_Revision", I(0x0300)}, {"FUNC/1/AO/TARGET_MODE", I(8)},
        {"FUNC/1/AO/MODE_BLK/Normal", I(8)}, {"FUNC/1/AO/MODE_BLK/Permitted", I(0x80 | 0x10 | 0x08)},
        {"FUNC/1/AO/PV_SCALE/Up_Val", Variant(100.0)}, {"FUNC/1/AO/PV_SCALE/Lo_Val", Variant(0.0)},
        {"FUNC/1/AO/PV_SCALE/Unit", I(1342)}, {"FUNC/1/AO/PV_SCALE/DecPoint", I(3)},
        {"FUNC/1/AO/CHECK_BACK/", Bytes({0, 0, 0})}, {"FUNC/1/AO/MFR/CHECK_BACK_OPT", Bytes({0, 0, 0})},
        {"FUNC/1/AO/CHECK_BACK_MASK", Bytes({0x8F, 0xEC, 0x03})},
        // clang-format on
    };
    for (const auto& [path, value] : values)
        EXPECT_TRUE(m.At(path).InitialValue == value) << path;

    // The channels: high byte 1, low byte the relative index of the Transducer Block's feedback
    // (in) and positioning (out) value.
    EXPECT_EQ(m.At("FUNC/1/AO/IN_CHANNEL").InitialValue.number(),
              0x100 + m.At("TRANS/1/Act/FEEDBACK_VALUE/").RelIndex);
    EXPECT_EQ(m.At("FUNC/1/AO/OUT_CHANNEL").InitialValue.number(),
              0x100 + m.At("TRANS/1/Act/POSITIONING_VALUE/").RelIndex);
    // The check-back mask is the union, byte by byte, of the check-back bits.
    std::vector<uint8_t> bits(3);
    for (const clsDataElement* e : m.elements) {
        if (InRecord(e->Name(), "FUNC/1/AO/CHECK_BACK/"))
            bits.at(static_cast<size_t>(e->DataPosition)) |= static_cast<uint8_t>(e->AccessMask);
    }
    EXPECT_EQ(m.At("FUNC/1/AO/CHECK_BACK_MASK").InitialValue.bytes().bytes, bits);
}

TEST(BlocksModel, AccessAndSettingsOfSingledOutElements) {
    const Model& m = TheModel();
    const auto access = [&m](const std::string& path) {
        return m.At(path).ElementMode() & (emUpload | emDownload | emDeviceCommand);
    };
    const auto writeProtected = [&m](const std::string& path) {
        return (m.At(path).StatusFlags() & sfWriteProtected) != 0;
    };
    // The 17 diagnosis bits take their values from their records' bytes, write-protected.
    int diagnosisBits = 0;
    for (const clsDataElement* e : m.elements) {
        if (InRecord(e->Name(), "PHYS/DIAGNOSIS/") ||
            InRecord(e->Name(), "PHYS/DIAGNOSIS_EXTENSION/")) {
            ++diagnosisBits;
            EXPECT_EQ(access(e->Name()), 0) << e->Name();
            EXPECT_TRUE(writeProtected(e->Name())) << e->Name();
        }
    }
    EXPECT_EQ(diagnosisBits, 17);
    // 144 + R - &H10000: every group bit, not one group.
    EXPECT_EQ(m.At("PHYS/DIAGNOSIS_MASK").ElementMode(), static_cast<int32_t>(0xFFFF0091u));
    // Created with a value list and a bit list, shown in plain fields.
    EXPECT_EQ(m.At("PHYS/DEVICE_MAN_ID").ControlType(), 1);
    EXPECT_EQ(m.At("PHYS/DIAGNOSIS_MASK_EXTENSION").ControlType(), 1);

    // Created read-write, the actuator action ends read-only and write-protected.
    EXPECT_EQ(access("TRANS/1/Act/ACTUATOR_ACTION"), emUpload);
    EXPECT_TRUE(writeProtected("TRANS/1/Act/ACTUATOR_ACTION"));
    // The mode and alarm members are write-protected; the permitted modes and alarms bit lists.
    for (const char* member :
         {"MODE_BLK/Actual", "MODE_BLK/Normal", "MODE_BLK/Permitted", "ALARM_SUM/Current",
          "ALARM_SUM/Unacknowledged", "ALARM_SUM/Unreported", "ALARM_SUM/Disabled"}) {
        EXPECT_TRUE(writeProtected(kTB + std::string(member))) << member;
        EXPECT_EQ(m.At(kTB + std::string(member)).bBitEncoding,
                  !StartsWith(member, "MODE_BLK/A") && !StartsWith(member, "MODE_BLK/N"));
    }
    // The cut-offs stay in percent whatever unit the output scale takes.
    EXPECT_EQ(m.At("TRANS/1/Act/SETP_CUTOFF_DEC").nConstantUnit, 1342);
    EXPECT_EQ(m.At("TRANS/1/Act/SETP_CUTOFF_INC").nConstantUnit, 1342);
    // The output stays write-protected until the target mode allows editing.
    for (const char* path :
         {"FUNC/1/AO/OUT/Value", "FUNC/1/AO/OUT/StatusQuality", "FUNC/1/AO/OUT/StatusLimit"})
        EXPECT_TRUE(writeProtected(path)) << path;
}

// --- the procedures on their own ---

TEST(BlocksProcedures, BlockPrefixes) {
    EXPECT_EQ(DM_PB_P3::GetBlockPrefix(0), "PHYS/");
    EXPECT_EQ(DM_PB_P3::GetBlockPrefix(7), "PHYS/");
    EXPECT_EQ(DM_TB_Act_P3::GetBlockPrefix(1), "TRANS/1/Act/");
    EXPECT_EQ(DM_TB_Act_P3::GetBlockPrefix(12), "TRANS/12/Act/");
    EXPECT_EQ(DM_TB_Act_P3::GetBlockPrefix(-3), "TRANS/-3/Act/");
    EXPECT_EQ(DM_FB_AO_P3::GetBlockPrefix(1), "FUNC/1/AO/");
    EXPECT_EQ(DM_FB_AO_P3::GetBlockPrefix(12), "FUNC/12/AO/");
}

TEST(BlocksProcedures, DeviceBlocksInBuildingOrder) {
    const std::vector<BlockDefinition>& blocks = DeviceModel()->Blocks();
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].blockType, pbfPhysicalBlock);
    EXPECT_EQ(blocks[0].blockNumber, 0);
    EXPECT_EQ(blocks[1].blockType, pbfTransducerBlock);
    EXPECT_EQ(blocks[1].blockNumber, 1);
    EXPECT_EQ(blocks[2].blockType, pbfFunctionAOBlock);
    EXPECT_EQ(blocks[2].blockNumber, 1);
    for (const BlockDefinition& b : blocks) {
        EXPECT_NE(b.CreateBlockModel, nullptr);
        EXPECT_NE(b.OnDataChanged, nullptr);
        EXPECT_NE(b.OnUpdateElement, nullptr);
    }
}

TEST(BlocksProcedures, DefaultsOnAMissingElementRaiseAnError) {
    DTMContext context(std::make_shared<ManualEventLoop>());
    auto dataSet = std::make_shared<DataSet>(context);
    context.SetParameters(dataSet);
    EXPECT_THROW(DM_PB_P3::SetOfflineDefaults(0, context), std::runtime_error);
    EXPECT_THROW(DM_TB_Act_P3::SetStandardDefaults(1, context), std::runtime_error);
    EXPECT_THROW(DM_FB_AO_P3::SetStandardDefaults(1, context), std::runtime_error);
    EXPECT_TRUE(dataSet->Elements().empty());
}

TEST(BlocksProcedures, TransducerBlockAloneHoldsItsElements) {
    // Built on its own (no Physical Block to place behind), the block still makes all its
    // elements, appended where an after element is missing.
    DTMContext context(std::make_shared<ManualEventLoop>());
    auto dataSet = std::make_shared<DataSet>(context);
    context.SetParameters(dataSet);
    DM_TB_Act_P3::CreateBlockModel(context, 2);
    EXPECT_EQ(dataSet->Elements().size(), 83u);
    const clsDataElement* e = AsDataElement(dataSet->Item("TRANS/2/Act/VALVE_TYPE"));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->BlockNumber, 2);
    EXPECT_EQ(e->RelIndex, 61);
}

}  // namespace
}  // namespace kv
