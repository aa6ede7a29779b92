// The three blocks as the model builder makes them: the structure of the whole model (addresses,
// record layout, bit masks, offline values) and elements checked one by one against the block
// tables.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
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

TEST(BlocksModel, MembersLieInsideTheirRecordWithoutOverlap) {
    const Model& m = TheModel();
    std::map<std::string, std::vector<const clsDataElement*>> members;
    for (const clsDataElement* e : m.elements) {
        if (const clsDataElement* record = m.RecordOf(*e))
            members[record->Name()].push_back(e);
    }
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
    }
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

// --- elements one by one ---

struct Expected {
    const char* path;
    int slot;
    int index;
    int type;
    int length;
    int pos;
    int32_t mode;
    int32_t flags;
    int control;
    int mask;
    Variant initial;
};

// Same kind of value and same value: Empty, a number, a text or bytes.
::testing::AssertionResult SameValue(const Variant& actual, const Variant& expected) {
    bool same = false;
    if (expected.isEmpty())
        same = actual.isEmpty();
    else if (expected.isByteArray())
        same = actual.isByteArray() && actual.bytes().bytes == expected.bytes().bytes;
    else if (expected.isString())
        same = actual.isString() && actual.str() == expected.str();
    else
        same = actual.isNumber() && actual.number() == expected.number();
    if (same)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "value is " << (actual.isEmpty() ? "Empty" : "")
           << (actual.isByteArray() ? "bytes" : "")
           << (actual.isString() || actual.isNumber() ? actual.toString() : "");
}

Variant Bytes(std::vector<uint8_t> b) {
    return Variant(std::move(b));
}
Variant I(int16_t n) {
    return Variant(n);
}

TEST(BlocksModel, ElementsAsTheTablesDefineThem) {
    const int32_t everyGroup = static_cast<int32_t>(0xFFFF0091u);
    const Expected rows[] = {
        // path                                   slot idx type len pos mode flags ctl mask initial
        {"PHYS/BLK_OBJ/", 0, 16, 0, 0, -1, 0x1, 0, 1, 0xFF, Variant()},
        {"PHYS/BLK_OBJ/Parent_Class", 0, 16, 2, 1, 2, 0x2000090, 1, 3, 0xFF, I(2)},
        {"PHYS/BLK_OBJ/Number_of_Views", 0, 16, 2, 1, 19, 0x2000090, 1, 1, 0xFF, Variant()},
        {"PHYS/ST_REV", 0, 17, 3, 2, 0, 0x2100091, 1, 1, 0xFF, I(0)},
        {"PHYS/TAG_DESC", 0, 18, 14, 32, 0, 0x2100093, 0, 1, 0xFF, Variant("-/-")},
        {"PHYS/MODE_BLK/Normal", 0, 22, 2, 1, 2, 0x2000090, 1, 3, 0xFF, I(8)},
        {"PHYS/DEVICE_MAN_ID", 0, 26, 3, 2, 0, 0x2100091, 1, 1, 0xFF, I(4109)},
        {"PHYS/DIAGNOSIS/", 0, 29, 1, 4, 0, 0x900091, 1, 4, 0xFF, Bytes({0, 0, 0, 0})},
        {"PHYS/DIAGNOSIS/DIA_ZERO_ERR", 0, 29, 2, 1, 1, 0x900090, 1, 1, 0x01, I(0)},
        {"PHYS/DIAGNOSIS/EXTENSION_AVAILABLE", 0, 29, 2, 1, 3, 0x900090, 1, 1, 0x80, I(0)},
        {"PHYS/DIAGNOSIS_EXTENSION/DIA_NOT_CALIB", 0, 30, 2, 1, 1, 0x900090, 1, 1, 0x01, I(0)},
        {"PHYS/DIAGNOSIS_MASK", 0, 31, 1, 4, 0, everyGroup, 1, 4, 0xFF, Bytes({0, 0, 0, 0})},
        {"PHYS/DIAGNOSIS_MASK_EXTENSION", 0, 32, 1, 6, 0, 0x2000091, 1, 1, 0xFF,
         Bytes({0, 0, 0, 0, 0, 0})},
        {"PHYS/DEVICE_CERTIFICATION", 0, 33, 14, 32, 0, 0x2000091, 1, 1, 0xFF, Variant("-/-")},
        {"PHYS/WRITE_LOCKING", 0, 34, 3, 2, 0, 0x2000093, 0, 3, 0xFF, I(2457)},
        {"PHYS/FACTORY_RESET", 0, 35, 3, 2, 0, 0x2000097, 0, 3, 0xFF, I(0)},
        {"PHYS/DEVICE_INSTAL_DATE", 0, 38, 14, 16, 0, 0x2100093, 0, 1, 0xFF, Variant("01.01.2002")},
        {"PHYS/IDENT_NUMBER_SELECTOR", 0, 40, 2, 1, 0, 0x2000093, 0, 3, 0xFF, I(1)},
        {"PHYS/HW_WRITE_PROTECTION", 0, 41, 2, 1, 0, 0x2000091, 1, 3, 0xFF, I(0)},
        {"PHYS/MFR/DEVICE_PRODUCT_NUM", 0, 52, 14, 16, 0, 0x2000091, 1, 1, 0xFF,
         Variant("6274-XXXXXXXX-00")},
        {"PHYS/MFR/TEXT_INPUT_3", 0, 57, 14, 32, 0, 0x2000093, 0, 1, 0xFF, Variant("-/-")},
        {"PHYS/MFR/DIAGNOSIS_OPT/", 0, 59, 3, 2, -1, 0x93, 0, 1, 0xFF, I(0)},
        {"PHYS/MFR/DIAGNOSIS_OPT/DIAGNOSIS_OPT_2", 0, 59, 3, 2, 2, 0x2000090, 0, 4, 0xFF, I(0)},

        {"TRANS/1/Act/BlockIndex", -1, -1, 2, 1, -1, 0x90, 1, 1, 0xFF, I(1)},
        {"TRANS/1/Act/BLK_OBJ/DD_Reference", 1, 100, 7, 4, 4, 0x2000090, 1, 1, 0xFF, Variant()},
        {"TRANS/1/Act/MODE_BLK/Actual", 1, 106, 2, 1, 0, 0x300090, 1, 3, 0xFF, I(8)},
        {"TRANS/1/Act/ALARM_SUM/Disabled", 1, 107, 3, 2, 6, 0x2000090, 1, 4, 0xFF, I(0)},
        {"TRANS/1/Act/DEADBAND", 1, 122, 8, 4, 0, 0x2000093, 0, 1, 0xFF, Variant(0.5)},
        {"TRANS/1/Act/SELF_CALIBRATION_CMD", 1, 133, 2, 1, 0, 0x2000095, 0, 3, 0xFF, I(0)},
        {"TRANS/1/Act/TOTAL_VALVE_TRAVEL_LIMIT", 1, 146, 8, 4, 0, 0x2800093, 0, 1, 0xFF,
         Variant(1000000.0)},
        {"TRANS/1/Act/POSITIONING_VALUE/", 1, 157, 0, 0, -1, 0x91, 0, 1, 0xFF, Variant()},
        {"TRANS/1/Act/POSITIONING_VALUE/Status", 1, 157, 2, 1, 4, 0x200090, 1, 3, 0xFC, I(0)},
        {"TRANS/1/Act/VALVE_TYPE", 1, 161, 2, 1, 0, 0x2000093, 0, 3, 0xFF, I(0)},
        {"TRANS/1/Act/ACTUATOR_TYPE", 1, 162, 2, 1, 0, 0x2000091, 1, 3, 0xFF, I(0)},
        {"TRANS/1/Act/ACTUATOR_ACTION", 1, 163, 2, 1, 0, 0x2000091, 1, 3, 0xFF, I(0)},
        {"TRANS/1/Act/VALVE_MAN", 1, 159, 14, 16, 0, 0x2000093, 0, 1, 0xFF, Variant("")},
        {"TRANS/1/Act/VALVE_SERIAL_NUMBER", 1, 164, 14, 16, 0, 0x2000093, 0, 1, 0xFF,
         Variant("-/-")},
        {"TRANS/1/Act/ADDITIONAL_GEAR_INSTALL_DATE", 1, 169, 14, 16, 0, 0x2000093, 0, 1, 0xFF,
         Variant("01.01.2002")},
        {"TRANS/1/Act/MFR/TRANSM_CODE/", 1, 180, 0, 0, -1, 0x93, 0, 1, 0xFF, Variant()},
        {"TRANS/1/Act/MFR/TRANSM_CODE/Status", 1, 180, 2, 1, 1, 0x2000090, 1, 3, 0xFF, I(32)},
        {"TRANS/1/Act/MFR/TRANSM_LENGTH", 1, 181, 8, 4, 0, 0x2000093, 0, 1, 0xFF, I(42)},
        {"TRANS/1/Act/MFR/BINARY_INPUT", 1, 187, 2, 1, 0, 0x2900091, 1, 3, 0xFF, I(0)},
        {"TRANS/1/Act/MFR/CHARACT_TYPE", 1, 191, 14, 32, 0, 0x2000093, 0, 1, 0xFF, Variant("-/-")},

        {"FUNC/1/AO/BlockIndex", -1, -1, 2, 1, -1, 0x90, 1, 1, 0xFF, I(1)},
        {"FUNC/1/AO/BLK_OBJ/", 1, 16, 0, 0, -1, 0x1, 0, 1, 0xFF, Variant()},
        {"FUNC/1/AO/MODE_BLK/", 1, 22, 0, 0, -1, 0x91, 0, 1, 0xFF, Variant()},
        {"FUNC/1/AO/MODE_BLK/Permitted", 1, 22, 2, 1, 1, 0x2000090, 1, 4, 0xFF, I(152)},
        {"FUNC/1/AO/BATCH/", 1, 24, 0, 0, -1, 0x93, 0, 1, 0xFF, Variant()},
        {"FUNC/1/AO/BATCH/BATCH_ID", 1, 24, 16, 4, 0, 0x2000090, 0, 1, 0xFF, I(0)},
        {"FUNC/1/AO/SP/Value", 1, 25, 8, 4, 0, 0xA00090, 0, 1, 0xFF, Variant(0.0)},
        {"FUNC/1/AO/SP/Status", 1, 25, 2, 1, 4, 0xA00090, 0, 3, 0xFC, I(0)},
        {"FUNC/1/AO/PV_SCALE/", 1, 27, 0, 0, 0, 0x93, 0, 1, 0xFF, Variant()},
        {"FUNC/1/AO/PV_SCALE/Unit", 1, 27, 3, 2, 8, 0x2000090, 0, 3, 0xFF, I(1342)},
        {"FUNC/1/AO/READBACK/Status", 1, 28, 2, 1, 4, 0xA00090, 1, 3, 0xFC, I(0)},
        {"FUNC/1/AO/RCAS_IN/Status", 1, 30, 2, 1, 4, 0x200090, 0, 3, 0xFC, I(6)},
        {"FUNC/1/AO/IN_CHANNEL", 1, 37, 3, 2, 0, 0x2000093, 0, 3, 0xFF, I(314)},
        {"FUNC/1/AO/FSAFE_VALUE", 1, 41, 8, 4, 0, 0x2000093, 0, 1, 0xFF, Variant(0.0)},
        {"FUNC/1/AO/RCAS_OUT/StatusLimit", 1, 43, 2, 1, 4, 0x200090, 1, 3, 0x03, I(0)},
        {"FUNC/1/AO/POS_D/Value", 1, 47, 2, 1, 0, 0x800090, 1, 3, 0xFF, I(0)},
        {"FUNC/1/AO/SETP_DEVIATION", 1, 48, 8, 4, 0, 0xA00091, 1, 1, 0xFF, Variant(0.0)},
        {"FUNC/1/AO/CHECK_BACK/", 1, 49, 1, 3, 0, 0xB00091, 1, 4, 0xFF, Bytes({0, 0, 0})},
        {"FUNC/1/AO/CHECK_BACK/CB_CONTR_ERR", 1, 49, 2, 1, 1, 0xB00090, 1, 1, 0x20, I(0)},
        {"FUNC/1/AO/CHECK_BACK/CB_BINARY_INPUT", 1, 49, 2, 1, 2, 0xB00090, 1, 1, 0x02, I(0)},
        {"FUNC/1/AO/CHECK_BACK_MASK", 1, 50, 1, 3, 0, 0x2000091, 1, 4, 0xFF,
         Bytes({0x8F, 0xEC, 0x03})},
        {"FUNC/1/AO/SIMULATE/", 1, 51, 0, 0, -1, 0x3, 0, 1, 0xFF, Variant()},
        {"FUNC/1/AO/SIMULATE/StatusQuality", 1, 51, 2, 1, 0, 0x200090, 0, 3, 0xFC, I(32)},
        {"FUNC/1/AO/SIMULATE/Value", 1, 51, 8, 4, 1, 0x200090, 0, 1, 0xFF, Variant(0.0)},
        {"FUNC/1/AO/SIMULATE/Enabled", 1, 51, 2, 1, 5, 0x200090, 0, 3, 0xFF, I(0)},
        {"FUNC/1/AO/OUT/StatusQuality", 1, 53, 2, 1, 4, 0xA00090, 1, 3, 0xFC, I(0)},
        {"FUNC/1/AO/OUT_SCALE/Up_Val", 1, 54, 8, 4, 0, 0x2800090, 0, 1, 0xFF, Variant(100.0)},
        {"FUNC/1/AO/OUT_SCALE/Unit", 1, 54, 3, 2, 8, 0x2000090, 0, 3, 0xFF, I(1342)},
        {"FUNC/1/AO/MFR/CHECK_BACK_OPT", 1, 65, 1, 3, 0, 0x2000093, 0, 4, 0xFF, Bytes({0, 0, 0})},
    };
    const Model& m = TheModel();
    for (const Expected& x : rows) {
        SCOPED_TRACE(x.path);
        const clsDataElement& e = m.At(x.path);
        EXPECT_EQ(e.Slot, x.slot);
        EXPECT_EQ(e.index, x.index);
        EXPECT_EQ(e.ValueType(), x.type);
        EXPECT_EQ(e.ValueTypeLength(), x.length);
        EXPECT_EQ(e.DataPosition, x.pos);
        EXPECT_EQ(e.ElementMode(), x.mode);
        EXPECT_EQ(e.StatusFlags(), x.flags);
        EXPECT_EQ(e.ControlType(), x.control);
        EXPECT_EQ(e.AccessMask, x.mask);
        EXPECT_TRUE(SameValue(e.InitialValue, x.initial));
        EXPECT_TRUE(e.Validity());
    }
}

TEST(BlocksModel, UnitsFormatsRangesAndCodingOfSingleElements) {
    const Model& m = TheModel();
    struct UnitRow {
        const char* path;
        int initUnit;
        int constUnit;
        const char* format;
        bool hasRange;
        double lo;
        double hi;
    };
    const UnitRow rows[] = {
        {"TRANS/1/Act/ACT_STROKE_TIME_DEC", 0, 1054, "0.0", false, 0, 0},
        {"TRANS/1/Act/DEADBAND", 0, 1342, "0.0", true, 0.1, 10},
        {"TRANS/1/Act/RATED_TRAVEL", 1013, 0, "0.0", true, 0, 255.9},
        {"TRANS/1/Act/SERVO_RATE_1", 0, 0, "0.00", true, 0, 1},
        {"TRANS/1/Act/SETP_CUTOFF_DEC", 0, 1342, "0.0", true, -2.5, 99},
        {"TRANS/1/Act/TOTAL_VALVE_TRAVEL_LIMIT", 0, 0, "0", true, 0, 16500000},
        {"TRANS/1/Act/TRAVEL_RATE_INC", 0, 1054, "0.0", true, 0, 75},
        {"TRANS/1/Act/POSITIONING_VALUE/Value", 1342, 0, "0.00", false, 0, 0},
        {"TRANS/1/Act/MFR/TRANSM_LENGTH", 0, 1013, "0.0", true, 0, 1023},
        {"TRANS/1/Act/MFR/TOL_OVERSHOOT", 0, 1342, "0.00", true, 0.1, 10},
        {"FUNC/1/AO/SP/Value", 1342, 0, "0.00", false, 0, 0},
        {"FUNC/1/AO/PV_SCALE/Lo_Val", 1342, 0, "", false, 0, 0},
        {"FUNC/1/AO/FSAFE_TIME", 0, 1054, "0", true, 0, 3600},
        {"FUNC/1/AO/FSAFE_VALUE", 0, 1342, "0.00", true, 0, 100},
        {"FUNC/1/AO/SETP_DEVIATION", 0, 1342, "0.00", false, 0, 0},
        {"FUNC/1/AO/OUT/Value", 1342, 0, "", false, 0, 0},
    };
    for (const UnitRow& x : rows) {
        SCOPED_TRACE(x.path);
        const clsDataElement& e = m.At(x.path);
        EXPECT_EQ(e.nInitUnit, x.initUnit);
        EXPECT_EQ(e.nConstantUnit, x.constUnit);
        EXPECT_EQ(e.ValueFormat, x.format);
        const std::optional<ValueRange> range = e.GetRange(0);
        EXPECT_EQ(range.has_value(), x.hasRange);
        if (x.hasRange && range) {
            EXPECT_DOUBLE_EQ(range->min.number(), x.lo);
            EXPECT_DOUBLE_EQ(range->max.number(), x.hi);
        }
    }

    // Subtypes the tables fix: integers for the 16-bit values, doubles for the floats.
    EXPECT_EQ(m.At("TRANS/1/Act/MFR/TRANSM_LENGTH").InitialValue.type(), VarType::Integer);
    EXPECT_EQ(m.At("TRANS/1/Act/DEADBAND").InitialValue.type(), VarType::Double);
    EXPECT_EQ(m.At("TRANS/1/Act/BlockIndex").InitialValue.type(), VarType::Integer);
    EXPECT_EQ(m.At("FUNC/1/AO/SP/Value").InitialValue.type(), VarType::Double);
    EXPECT_EQ(m.At("FUNC/1/AO/RCAS_IN/Status").InitialValue.type(), VarType::Integer);

    // Bit lists, raw byte order and documentation positions.
    EXPECT_TRUE(m.At("PHYS/MODE_BLK/Permitted").bBitEncoding);
    EXPECT_TRUE(m.At("TRANS/1/Act/ALARM_SUM/Current").bBitEncoding);
    EXPECT_FALSE(m.At("TRANS/1/Act/MODE_BLK/Actual").bBitEncoding);
    EXPECT_TRUE(m.At("PHYS/MFR/DIAGNOSIS_OPT/DIAGNOSIS_OPT_1").RawByteOrder);
    EXPECT_TRUE(m.At("PHYS/DIAGNOSIS/").RawByteOrder);  // an octet string keeps wire order
    EXPECT_FALSE(m.At("PHYS/ST_REV").RawByteOrder);
    EXPECT_EQ(m.At("PHYS/TAG_DESC").GetPrintOrder(2).number(), 4);
    EXPECT_EQ(m.At("FUNC/1/AO/MODE_BLK/Actual").GetPrintOrder(4).number(), 2);
    EXPECT_EQ(m.At("FUNC/1/AO/CHECK_BACK/CB_CONTR_ERR").GetPrintOrder(1).number(), 15);
    EXPECT_TRUE(m.At("TRANS/1/Act/MFR/CHARACT_TYPE").GetPrintOrder(0).isEmpty());
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
