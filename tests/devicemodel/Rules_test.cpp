// The Transducer Block's and the Analog Output block's dependency rules over a whole model: valve
// type, attachment and transmission elements, the switch of value lists and units, the rated
// travel and the notice of a new initialisation method; units, ranges and editability of the
// Analog Output block; values and units that arrive from the device; the SIMULATE status byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/DataModelHelpers.h"
#include "core/DictionaryLookup.h"
#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "platform/runtime/Transaction.h"
#include "support/ModelContext.h"

namespace kv {
namespace {

using test_support::DictionaryDoc;
using test_support::ModelContext;
using test_support::TempFolder;

const std::string TB = "TRANS/1/Act/";
const std::string AO = "FUNC/1/AO/";

// The lists the rules switch between, as a dictionary of the test.
const char* const kLeverList = "1:Lever S|2:Lever M|3:Coupling shared";
const char* const kCouplingList = "11:Coupling 90|3:Coupling shared";
const char* const kLinearUnits = "1342:%|1013:mm|1012:cm";
const char* const kRotaryUnits = "1342:%|1005:deg|1004:rad";
const char* const kNotice = "The new method applies at the next initialisation.";

std::string RulesDictionary(bool withRotaryLists) {
    const std::string codeLists = std::string("0:{") + kLeverList + "}" +
                                  (withRotaryLists ? std::string("1:{") + kCouplingList + "}" : "");
    const std::string unitLists = std::string("0:{") + kLinearUnits + "}" +
                                  (withRotaryLists ? std::string("1:{") + kRotaryUnits + "}" : "");
    return DictionaryDoc(
        9, std::string("<keys><entry key=\"meld_init_art\" text=\"") + kNotice +
               "\"/></keys><parameters>"
               "<entry key=\"TRANS/i/Act/MFR/TRANSM_CODE/Value\" label=\"Code\" "
               "description=\"0:Lever help|1:Coupling help\" help=\"Lever help\" valueList=\"" +
               kLeverList + "\" valueLists=\"" + codeLists +
               "\"/>"
               "<entry key=\"FUNC/i/AO/OUT_SCALE/Unit\" label=\"Unit\" valueList=\"" +
               kLinearUnits + "\" valueLists=\"" + unitLists + "\"/></parameters>");
}

// A model built as the DTM builds a new instance: elements created, started with their initial
// values and units, dictionary texts applied.
class RulesTest : public ::testing::Test {
  protected:
    explicit RulesTest(bool withRotaryLists = true) : ctx(folder.path) {
        folder.Write("DTMDictionary_9.xml", RulesDictionary(withRotaryLists));
        ctx.model->CreateModel(ctx.context);
        for (const auto& e : ctx.data->Elements())
            e->InitNew();
        ctx.model->SetLanguage(ctx.context, 0x409);
        ctx.data->SetDataSetState(1);
        ctx.gui->changed.clear();
    }

    clsDataElement& E(const std::string& path) { return ctx.Element(path); }

    // A user's edit in a parameter row: the value, its report, then the block's rules for edits.
    void Edit(const std::string& path, const Variant& value) {
        clsDataElement& e = E(path);
        e.SetTransientValue(value);
        ctx.data->ElementChanged(e, "");
        DispatchParamLinkEvent(e, ctx.context);
    }
    // A value that arrives without a parameter row (a load, a read of one element).
    void Set(const std::string& path, const Variant& value) {
        clsDataElement& e = E(path);
        e.SetTransientValue(value);
        ctx.data->ElementChanged(e, "");
    }
    int Reports(const std::string& path) const {
        return static_cast<int>(std::count(ctx.gui->changed.begin(), ctx.gui->changed.end(), path));
    }
    // A read response of the device for a record, bytes as the device sends them.
    void Read(const std::string& record, const std::vector<uint8_t>& bytes) {
        clsDataElement& e = E(record);
        Transaction t;
        t.SetSlot(Variant(static_cast<uint8_t>(e.Slot)));
        t.SetIndex(Variant(static_cast<uint8_t>(e.index)));
        t.SetData(ByteArray{bytes, 0});
        ASSERT_TRUE(ctx.model->ReadTransactionResponse(ctx.context, t, false, e));
    }
    std::vector<uint8_t> WriteRequest(const std::string& record) {
        Transaction t;
        EXPECT_TRUE(ctx.model->BuildTransactionRequest(ctx.context, t, true, E(record)));
        return t.Data().bytes;
    }
    double Shown(const std::string& path) { return E(path).TransientValue().toDouble(); }

    TempFolder folder;
    ModelContext ctx;
};

class RulesWithoutRotaryListsTest : public RulesTest {
  protected:
    RulesWithoutRotaryListsTest() : RulesTest(false) {}
};

// ---------------------------------------------------------------- Transducer Block

TEST_F(RulesTest, ParamLinkEventOfPhysicalBlockDoesNothing) {
    // The Physical Block has no rule for a user's edit: the element and the data set stay.
    clsDataElement& e = E("PHYS/TAG_DESC");
    e.SetDeviceValue(Variant("d"));
    e.SetTransientValue(Variant("t"));
    e.SetPersistentValue(Variant("p"));
    const int32_t flags = e.StatusFlags();
    ctx.gui->changed.clear();
    DispatchParamLinkEvent(e, ctx.context);
    EXPECT_EQ(e.TransientValue(), Variant("t"));
    EXPECT_EQ(e.StatusFlags(), flags);
    EXPECT_TRUE(ctx.gui->changed.empty());
    EXPECT_TRUE(ctx.prompt->questions.empty());
}

TEST_F(RulesTest, ValveTypeAndAttachmentChooseTheValidElements) {
    struct Case {
        int valveType, attachment;
        bool attachmentValid, code, lengthAndPin;
    } cases[] = {
        {0, 0, true, true, false},  {0, 1, true, false, true},  {1, 0, false, true, false},
        {1, 1, false, true, false}, {2, 1, false, true, false}, {2, 0, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "VT " << c.valveType << " ATT " << c.attachment);
        Set(TB + "MFR/ATTACHMENT", Variant(static_cast<uint8_t>(c.attachment)));
        Set(TB + "VALVE_TYPE", Variant(static_cast<uint8_t>(c.valveType)));
        EXPECT_EQ(E(TB + "MFR/ATTACHMENT").Validity(), c.attachmentValid);
        EXPECT_EQ(E(TB + "MFR/MOUNTING_POSITION").Validity(), c.attachmentValid);
        for (const char* p :
             {"MFR/TRANSM_CODE/", "MFR/TRANSM_CODE/Value", "MFR/TRANSM_CODE/Status"})
            EXPECT_EQ(E(TB + p).Validity(), c.code) << p;
        for (const char* p : {"MFR/TRANSM_LENGTH", "MFR/TRANSM_PIN_POS"})
            EXPECT_EQ(E(TB + p).Validity(), c.lengthAndPin) << p;
    }
}

TEST_F(RulesTest, AttachmentAloneRerunsOnlyTheTransmissionChoice) {
    Set(TB + "MFR/ATTACHMENT", Variant(uint8_t{1}));
    EXPECT_FALSE(E(TB + "MFR/TRANSM_CODE/Value").Validity());
    EXPECT_TRUE(E(TB + "MFR/TRANSM_LENGTH").Validity());
    EXPECT_EQ(Reports(TB + "MFR/MOUNTING_POSITION"), 0);
    EXPECT_EQ(Reports(AO + "OUT_SCALE/Unit"), 0);
    for (const char* p : {"MFR/TRANSM_CODE/", "MFR/TRANSM_CODE/Value", "MFR/TRANSM_CODE/Status",
                          "MFR/TRANSM_LENGTH", "MFR/TRANSM_PIN_POS"})
        EXPECT_EQ(Reports(TB + p), 1) << p;
}

TEST_F(RulesTest, ValveTypeSwitchesTransmissionCodesAndHelp) {
    clsDataElement& code = E(TB + "MFR/TRANSM_CODE/Value");
    EXPECT_EQ(code.ValueList, kLeverList);
    EXPECT_EQ(code.Help, "Lever help");
    ASSERT_TRUE(code.TransientValue().looseEquals(Variant(1)));

    Set(TB + "VALVE_TYPE", Variant(uint8_t{1}));
    EXPECT_EQ(code.ValueList, kCouplingList);
    EXPECT_EQ(code.Help, "Coupling help");
    // Lever 1 has no place among the couplings: the first coupling is taken.
    EXPECT_EQ(code.TransientValue().toDouble(), 11.0);
    EXPECT_GE(Reports(TB + "MFR/TRANSM_CODE/Value"), 1);

    // A code that both lists hold stays.
    Set(TB + "MFR/TRANSM_CODE/Value", Variant(uint8_t{3}));
    Set(TB + "VALVE_TYPE", Variant(uint8_t{0}));
    EXPECT_EQ(code.ValueList, kLeverList);
    EXPECT_EQ(code.Help, "Lever help");
    EXPECT_TRUE(code.TransientValue().looseEquals(Variant(3)));

    // Any other valve type leaves lists, help and code alone.
    Set(TB + "VALVE_TYPE", Variant(uint8_t{2}));
    EXPECT_EQ(code.ValueList, kLeverList);
    EXPECT_EQ(code.Help, "Lever help");
    EXPECT_TRUE(code.TransientValue().looseEquals(Variant(3)));
    EXPECT_EQ(E(AO + "OUT_SCALE/Unit").ValueList, kLinearUnits);
}

TEST_F(RulesTest, ValveTypeSwitchesTheOutputScaleUnits) {
    clsDataElement& unit = E(AO + "OUT_SCALE/Unit");
    struct Case {
        int16_t unitBefore;
        int valveType;
        int16_t unitAfter;
    } cases[] = {
        {1013, 1, 1005},                   // a length gives way to degrees
        {1012, 1, 1005}, {1342, 1, 1342},  // percent stays
        {1005, 1, 1005},                   // already the rotary unit
        {1004, 0, 1013},                   // radians give way to millimetres
        {1005, 0, 1013}, {1342, 0, 1342}, {1013, 0, 1013},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.unitBefore << " VT " << c.valveType);
        // Start from the other valve type's list, so that the list changes.
        Set(TB + "VALVE_TYPE", Variant(static_cast<uint8_t>(1 - c.valveType)));
        unit.SetTransientValue(Variant(c.unitBefore));
        ctx.gui->changed.clear();
        Set(TB + "VALVE_TYPE", Variant(static_cast<uint8_t>(c.valveType)));
        EXPECT_EQ(unit.ValueList, c.valveType == 0 ? kLinearUnits : kRotaryUnits);
        EXPECT_TRUE(unit.TransientValue().looseEquals(Variant(c.unitAfter)));
        EXPECT_GE(Reports(AO + "OUT_SCALE/Unit"), 1);  // also when the unit stayed
    }
    // The list does not change: the unit is neither forced nor reported.
    unit.SetTransientValue(Variant(int16_t{1012}));
    ctx.gui->changed.clear();
    Set(TB + "VALVE_TYPE", Variant(uint8_t{0}));
    EXPECT_TRUE(unit.TransientValue().looseEquals(Variant(1012)));
    EXPECT_EQ(Reports(AO + "OUT_SCALE/Unit"), 0);
}

TEST_F(RulesTest, ValveTypeToRotaryCarriesTheOutputValuesIntoDegrees) {
    Set(AO + "OUT_SCALE/Unit", Variant(int16_t{1013}));
    Set(TB + "VALVE_TYPE", Variant(uint8_t{1}));
    for (const std::string& p : {AO + "OUT/Value", AO + "OUT_SCALE/Up_Val", AO + "OUT_SCALE/Lo_Val",
                                 TB + "POSITIONING_VALUE/Value", TB + "FEEDBACK_VALUE/Value"})
        EXPECT_EQ(E(p).nTransientUnit, 1005) << p;
    EXPECT_EQ(Shown(AO + "OUT_SCALE/Up_Val"), 100.0);  // lengths and angles do not convert
}

TEST_F(RulesTest, SilentUpdateChangesTheSameButReportsNothing) {
    clsDataElement& vt = E(TB + "VALVE_TYPE");
    E(TB + "MFR/ATTACHMENT").SetTransientValue(Variant(uint8_t{1}));
    E(AO + "OUT_SCALE/Unit").SetTransientValue(Variant(int16_t{1013}));
    vt.SetTransientValue(Variant(uint8_t{1}));
    UpdateElementAccess(vt, ctx.context, true);

    EXPECT_FALSE(E(TB + "MFR/ATTACHMENT").Validity());
    EXPECT_FALSE(E(TB + "MFR/MOUNTING_POSITION").Validity());
    EXPECT_TRUE(E(TB + "MFR/TRANSM_CODE/Value").Validity());
    EXPECT_FALSE(E(TB + "MFR/TRANSM_LENGTH").Validity());
    EXPECT_EQ(E(TB + "MFR/TRANSM_CODE/Value").ValueList, kCouplingList);
    EXPECT_EQ(E(TB + "MFR/TRANSM_CODE/Value").Help, "Coupling help");
    EXPECT_EQ(E(TB + "MFR/TRANSM_CODE/Value").TransientValue().toDouble(), 11.0);
    EXPECT_EQ(E(AO + "OUT_SCALE/Unit").ValueList, kRotaryUnits);
    EXPECT_TRUE(E(AO + "OUT_SCALE/Unit").TransientValue().looseEquals(Variant(1005)));
    EXPECT_TRUE(ctx.gui->changed.empty());
}

TEST_F(RulesTest, LanguageWalkAppliesTheRulesSilently) {
    E(TB + "VALVE_TYPE").SetTransientValue(Variant(uint8_t{1}));
    E(AO + "OUT_SCALE/Unit").SetTransientValue(Variant(int16_t{1013}));
    std::string german = RulesDictionary(true);
    german.replace(german.find("language=\"9\""), 12, "language=\"7\"");
    folder.Write("DTMDictionary_7.xml", german);
    ctx.model->SetLanguage(ctx.context, 0x407);
    ASSERT_EQ(ctx.model->CurrentLanguage, 7);
    EXPECT_FALSE(E(TB + "MFR/ATTACHMENT").Validity());
    EXPECT_EQ(E(TB + "MFR/TRANSM_CODE/Value").ValueList, kCouplingList);
    EXPECT_EQ(E(AO + "OUT_SCALE/Unit").ValueList, kRotaryUnits);
    // The walk reaches the unit after the valve type: the output follows it, silently.
    EXPECT_EQ(E(AO + "OUT/Value").nTransientUnit, 1005);
    EXPECT_TRUE(ctx.gui->changed.empty());
}

TEST_F(RulesTest, RerunWithUnchangedValuesReportsOnlyTheTransmissionElements) {
    Set(TB + "VALVE_TYPE", Variant(uint8_t{0}));
    std::vector<std::string> reported;
    for (const std::string& name : ctx.gui->changed) {
        if (name.rfind("~/", 0) != 0)  // the data-set state is not a rule's
            reported.push_back(name);
    }
    std::sort(reported.begin(), reported.end());
    std::vector<std::string> expected{TB + "MFR/TRANSM_CODE/",      TB + "MFR/TRANSM_CODE/Status",
                                      TB + "MFR/TRANSM_CODE/Value", TB + "MFR/TRANSM_LENGTH",
                                      TB + "MFR/TRANSM_PIN_POS",    TB + "VALVE_TYPE"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(reported, expected);
}

TEST_F(RulesTest, ChoosingTheValveTypeSetsTheRatedTravel) {
    clsDataElement& travel = E(TB + "RATED_TRAVEL");
    travel.SetTransientValue(Variant(42.0));
    Edit(TB + "VALVE_TYPE", Variant(uint8_t{1}));
    EXPECT_EQ(Shown(TB + "RATED_TRAVEL"), 90.0);
    EXPECT_EQ(travel.nTransientUnit, 1005);
    EXPECT_EQ(travel.nConstantUnit, 1005);
    EXPECT_EQ(travel.UnitString(ctx.context), "°");

    Edit(TB + "VALVE_TYPE", Variant(uint8_t{0}));
    EXPECT_EQ(Shown(TB + "RATED_TRAVEL"), 15.0);
    EXPECT_EQ(travel.nTransientUnit, 1013);
    EXPECT_EQ(travel.nConstantUnit, 1013);

    // Any other valve type counts as rotary.
    Edit(TB + "VALVE_TYPE", Variant(uint8_t{2}));
    EXPECT_EQ(Shown(TB + "RATED_TRAVEL"), 90.0);

    // A value that does not come from a parameter row leaves the rated travel alone.
    travel.SetTransientValue(Variant(42.0));
    Set(TB + "VALVE_TYPE", Variant(uint8_t{0}));
    EXPECT_EQ(Shown(TB + "RATED_TRAVEL"), 42.0);
}

TEST_F(RulesTest, ANewInitialisationMethodBringsUpTheNotice) {
    Edit(TB + "MFR/INIT_METHOD", Variant(uint8_t{1}));
    Edit(TB + "MFR/INIT_METHOD", Variant(uint8_t{2}));
    ASSERT_EQ(ctx.prompt->questions.size(), 2u);
    EXPECT_EQ(ctx.prompt->questions[0].first, kNotice);
    EXPECT_EQ(ctx.prompt->questions[0].second, 0);
    // Read or loaded: no notice.
    Set(TB + "MFR/INIT_METHOD", Variant(uint8_t{3}));
    EXPECT_EQ(ctx.prompt->questions.size(), 2u);
    // The Analog Output block has no rule for a user's edit.
    Edit(AO + "TARGET_MODE", Variant(uint8_t{16}));
    EXPECT_EQ(ctx.prompt->questions.size(), 2u);
}

TEST_F(RulesWithoutRotaryListsTest, AMissingListLeavesListsAndValuesAlone) {
    Set(AO + "OUT_SCALE/Unit", Variant(int16_t{1012}));
    Set(TB + "VALVE_TYPE", Variant(uint8_t{1}));
    EXPECT_EQ(E(TB + "MFR/TRANSM_CODE/Value").ValueList, kLeverList);
    EXPECT_TRUE(E(TB + "MFR/TRANSM_CODE/Value").TransientValue().looseEquals(Variant(1)));
    EXPECT_EQ(E(AO + "OUT_SCALE/Unit").ValueList, kLinearUnits);
    EXPECT_TRUE(E(AO + "OUT_SCALE/Unit").TransientValue().looseEquals(Variant(1012)));
    // The help still follows the valve type.
    EXPECT_EQ(E(TB + "MFR/TRANSM_CODE/Value").Help, "Coupling help");
}

// ---------------------------------------------------------------- Analog Output block

TEST_F(RulesTest, ScaleUnitsCarryTheirValues) {
    const std::vector<std::string> pvTargets{AO + "SP/Value",        AO + "PV_SCALE/Up_Val",
                                             AO + "PV_SCALE/Lo_Val", AO + "READBACK/Value",
                                             AO + "RCAS_IN/Value",   AO + "RCAS_OUT/Value"};
    // Percent to millimetres: other classes, the numbers stay.
    Set(AO + "PV_SCALE/Unit", Variant(int16_t{1013}));
    for (const std::string& p : pvTargets) {
        EXPECT_EQ(E(p).nTransientUnit, 1013) << p;
        EXPECT_GE(Reports(p), 1) << p;
    }
    EXPECT_EQ(Shown(AO + "PV_SCALE/Up_Val"), 100.0);
    // Millimetres to centimetres: the numbers convert.
    Set(AO + "PV_SCALE/Unit", Variant(int16_t{1012}));
    EXPECT_FLOAT_EQ(static_cast<float>(Shown(AO + "PV_SCALE/Up_Val")), 10.0f);
    EXPECT_EQ(E(AO + "PV_SCALE/Up_Val").nTransientUnit, 1012);

    // The output scale carries the Transducer Block's positioning and feedback values, not its
    // cut-off points, whose unit is fixed.
    E(TB + "POSITIONING_VALUE/Value").SetTransientValue(Variant(50.0f));
    Set(AO + "OUT_SCALE/Unit", Variant(int16_t{1013}));
    Set(AO + "OUT_SCALE/Unit", Variant(int16_t{1012}));
    EXPECT_EQ(E(TB + "POSITIONING_VALUE/Value").nTransientUnit, 1012);
    EXPECT_FLOAT_EQ(static_cast<float>(Shown(TB + "POSITIONING_VALUE/Value")), 5.0f);
    EXPECT_EQ(E(TB + "FEEDBACK_VALUE/Value").nTransientUnit, 1012);
    for (const char* p : {"SETP_CUTOFF_DEC", "SETP_CUTOFF_INC"})
        EXPECT_EQ(E(TB + p).nTransientUnit, 1342) << p;
    EXPECT_FLOAT_EQ(static_cast<float>(Shown(TB + "SETP_CUTOFF_INC")), 99.0f);
}

TEST_F(RulesTest, SilentUnitChangeReportsNothing) {
    clsDataElement& unit = E(AO + "PV_SCALE/Unit");
    E(AO + "PV_SCALE/Up_Val").SetTransientValue(Variant(70.0f));
    unit.SetTransientValue(Variant(int16_t{1013}));
    UpdateElementAccess(unit, ctx.context, true);
    EXPECT_EQ(E(AO + "SP/Value").nTransientUnit, 1013);
    EXPECT_EQ(E(AO + "PV_SCALE/Up_Val").nTransientUnit, 1013);
    EXPECT_TRUE(ctx.gui->changed.empty());
    // The unit itself sets no range: the setpoint keeps the limits of the language walk.
    const std::optional<ValueRange> range = E(AO + "SP/Value").GetRange(0);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->max.toDouble(), 100.0);
}

TEST_F(RulesTest, TargetModeDecidesWhetherTheOutputIsEditable) {
    struct Case {
        int mode;
        bool editable;
    } cases[] = {{8, false}, {16, true}, {32, true}, {8, false}, {48, false}, {32, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        Set(AO + "TARGET_MODE", Variant(static_cast<uint8_t>(c.mode)));
        for (const char* p : {"OUT/Value", "OUT/StatusQuality"})
            EXPECT_EQ((E(AO + p).StatusFlags() & sfWriteProtected) == 0, c.editable) << p;
        EXPECT_NE(E(AO + "OUT/StatusLimit").StatusFlags() & sfWriteProtected, 0);
    }
    // A mode that agrees with the flags changes and reports nothing.
    ctx.gui->changed.clear();
    Set(AO + "TARGET_MODE", Variant(uint8_t{16}));
    EXPECT_EQ(Reports(AO + "OUT/Value"), 0);
    EXPECT_EQ(Reports(AO + "OUT/StatusQuality"), 0);
}

TEST_F(RulesTest, ScaleLimitsSetTheRanges) {
    Set(AO + "PV_SCALE/Up_Val", Variant(50.0f));
    std::optional<ValueRange> range = E(AO + "SP/Value").GetRange(0);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->min.toDouble(), 0.0);
    EXPECT_EQ(range->max.toDouble(), 50.0);
    // The limits are taken as they stand, even crossed.
    Set(AO + "PV_SCALE/Lo_Val", Variant(80.0f));
    range = E(AO + "SP/Value").GetRange(0);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->min.toDouble(), 80.0);
    EXPECT_EQ(range->max.toDouble(), 50.0);
    // Crossed, they hold the values between them.
    EXPECT_EQ(E(AO + "SP/Value").CalcParamErrorFlags(ctx.context, Variant(60.0f)), 0);
    EXPECT_EQ(E(AO + "SP/Value").CalcParamErrorFlags(ctx.context, Variant(90.0f)), 0x4000);

    Set(AO + "OUT_SCALE/Lo_Val", Variant(10.0f));
    range = E(AO + "OUT/Value").GetRange(0);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->min.toDouble(), 10.0);
    EXPECT_EQ(range->max.toDouble(), 100.0);

    // Neither the decimal point nor an element of another block sets a range.
    ctx.gui->changed.clear();
    Set(AO + "PV_SCALE/DecPoint", Variant(uint8_t{2}));
    Set(TB + "DEADBAND", Variant(1.0));
    EXPECT_EQ(Reports(AO + "SP/Value"), 0);
    EXPECT_EQ(Reports(AO + "OUT/Value"), 0);
}

// ---------------------------------------------------------------- values from the device

// PV_SCALE as the device sends it: upper and lower limit as floats, unit, decimal point.
std::vector<uint8_t> PvScaleBytes(std::vector<uint8_t> up, std::vector<uint8_t> lo, uint16_t unit) {
    std::vector<uint8_t> bytes = up;
    bytes.insert(bytes.end(), lo.begin(), lo.end());
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(2);
    return bytes;
}
// SP: value as a float and its status.
std::vector<uint8_t> SpBytes(std::vector<uint8_t> value) {
    value.push_back(0x80);
    return value;
}
const std::vector<uint8_t> k50{0x42, 0x48, 0x00, 0x00};
const std::vector<uint8_t> k10{0x41, 0x20, 0x00, 0x00};
const std::vector<uint8_t> k25{0x41, 0xC8, 0x00, 0x00};
const std::vector<uint8_t> k5{0x40, 0xA0, 0x00, 0x00};
const std::vector<uint8_t> k1{0x3F, 0x80, 0x00, 0x00};
const std::vector<uint8_t> k2p5{0x40, 0x20, 0x00, 0x00};
constexpr uint16_t kMm = 1013;  // 0x03F5
constexpr uint16_t kCm = 1012;  // 0x03F4

TEST_F(RulesTest, ADeviceUnitInAnotherClassShowsTheDevicesNumbers) {
    // The instance holds percent; the device answers in millimetres.
    Read(AO + "PV_SCALE/", PvScaleBytes(k50, k10, kMm));
    Read(AO + "SP/", SpBytes(k25));
    EXPECT_EQ(Shown(AO + "PV_SCALE/Up_Val"), 50.0);
    EXPECT_EQ(Shown(AO + "PV_SCALE/Lo_Val"), 10.0);
    EXPECT_EQ(Shown(AO + "SP/Value"), 25.0);
    for (const char* p : {"PV_SCALE/Up_Val", "PV_SCALE/Lo_Val", "SP/Value"}) {
        EXPECT_EQ(E(AO + p).UnitString(ctx.context), "mm") << p;
        EXPECT_EQ(E(AO + p).nDeviceUnit, 1013) << p;
    }
}

// The instance holds millimetres, the device centimetres: a unit of the same class, where a
// conversion of the device's numbers would show them ten times too small.
class DeviceUnitTest : public RulesTest {
  protected:
    DeviceUnitTest() {
        Set(AO + "PV_SCALE/Unit", Variant(int16_t{1013}));
        ctx.gui->changed.clear();
    }
    void ExpectDevicesNumbersInCentimetres() {
        EXPECT_FLOAT_EQ(static_cast<float>(Shown(AO + "PV_SCALE/Up_Val")), 5.0f);
        EXPECT_FLOAT_EQ(static_cast<float>(Shown(AO + "PV_SCALE/Lo_Val")), 1.0f);
        EXPECT_FLOAT_EQ(static_cast<float>(Shown(AO + "SP/Value")), 2.5f);
        for (const char* p : {"PV_SCALE/Up_Val", "PV_SCALE/Lo_Val", "SP/Value"}) {
            EXPECT_EQ(E(AO + p).nTransientUnit, 1012) << p;
            EXPECT_EQ(E(AO + p).nDeviceUnit, 1012) << p;
            EXPECT_FLOAT_EQ(static_cast<float>(E(AO + p).DeviceValue().toDouble()),
                            static_cast<float>(Shown(AO + p)))
                << p;
        }
    }
};

TEST_F(DeviceUnitTest, ScaleReadBeforeTheSetpoint) {
    Read(AO + "PV_SCALE/", PvScaleBytes(k5, k1, kCm));
    Read(AO + "SP/", SpBytes(k2p5));
    ExpectDevicesNumbersInCentimetres();
}

TEST_F(DeviceUnitTest, SetpointReadBeforeTheScale) {
    Read(AO + "SP/", SpBytes(k2p5));
    Read(AO + "PV_SCALE/", PvScaleBytes(k5, k1, kCm));
    ExpectDevicesNumbersInCentimetres();
}

TEST_F(DeviceUnitTest, ValuesEnteredOfflineStillConvert) {
    // Entered by the user in millimetres, not read: converted when the device's unit arrives.
    Set(AO + "RCAS_IN/Value", Variant(40.0f));
    Read(AO + "PV_SCALE/", PvScaleBytes(k5, k1, kCm));
    EXPECT_FLOAT_EQ(static_cast<float>(Shown(AO + "RCAS_IN/Value")), 4.0f);
    EXPECT_EQ(E(AO + "RCAS_IN/Value").nTransientUnit, 1012);
}

TEST_F(DeviceUnitTest, AUsersUnitChangeConvertsTheShownValuesNotTheDevices) {
    Read(AO + "PV_SCALE/", PvScaleBytes(k5, k1, kCm));
    Read(AO + "SP/", SpBytes(k2p5));
    Set(AO + "PV_SCALE/Unit", Variant(int16_t{1013}));
    EXPECT_FLOAT_EQ(static_cast<float>(Shown(AO + "PV_SCALE/Up_Val")), 50.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(Shown(AO + "SP/Value")), 25.0f);
    EXPECT_EQ(E(AO + "SP/Value").nTransientUnit, 1013);
    // The device's values keep the unit the device sent them in.
    EXPECT_FLOAT_EQ(static_cast<float>(E(AO + "SP/Value").DeviceValue().toDouble()), 2.5f);
    EXPECT_EQ(E(AO + "SP/Value").nDeviceUnit, 1012);

    // Reading again brings the device's unit and numbers back, unconverted.
    Read(AO + "PV_SCALE/", PvScaleBytes(k5, k1, kCm));
    Read(AO + "SP/", SpBytes(k2p5));
    ExpectDevicesNumbersInCentimetres();
}

// ---------------------------------------------------------------- the SIMULATE status byte

TEST_F(RulesTest, TheEditedFormOfTheSimulateStatusReachesTheDevice) {
    // Byte 0 the status, bytes 1 to 4 the value (0.0), byte 5 the enabling switch.
    const std::string record = AO + "SIMULATE/";
    EXPECT_EQ(WriteRequest(record), (std::vector<uint8_t>{0x80, 0, 0, 0, 0, 0}));

    Set(AO + "SIMULATE/Status", Variant(uint8_t{0x49}));  // uncertain, substitute; low limited
    EXPECT_TRUE(E(AO + "SIMULATE/StatusQuality").TransientValue().looseEquals(Variant(0x12)));
    EXPECT_TRUE(E(AO + "SIMULATE/StatusLimit").TransientValue().looseEquals(Variant(1)));
    EXPECT_EQ(WriteRequest(record), (std::vector<uint8_t>{0x49, 0, 0, 0, 0, 0}));

    Set(AO + "SIMULATE/StatusQuality", Variant(uint8_t{0x18}));  // uncertain, simulated value
    EXPECT_TRUE(E(AO + "SIMULATE/Status").TransientValue().looseEquals(Variant(0x61)));
    EXPECT_EQ(WriteRequest(record), (std::vector<uint8_t>{0x61, 0, 0, 0, 0, 0}));

    Set(AO + "SIMULATE/StatusLimit", Variant(uint8_t{3}));
    EXPECT_TRUE(E(AO + "SIMULATE/Status").TransientValue().looseEquals(Variant(0x63)));
    EXPECT_EQ(WriteRequest(record), (std::vector<uint8_t>{0x63, 0, 0, 0, 0, 0}));
}

TEST_F(RulesTest, AnUnusableSimulateStatusIsNotSpread) {
    Set(AO + "SIMULATE/Status", Variant("abc"));
    EXPECT_TRUE(E(AO + "SIMULATE/StatusQuality").TransientValue().looseEquals(Variant(0x20)));
    EXPECT_TRUE(E(AO + "SIMULATE/StatusLimit").TransientValue().looseEquals(Variant(0)));
    Set(AO + "SIMULATE/StatusQuality", Variant(uint8_t{64}));  // beyond the six bits
    EXPECT_TRUE(E(AO + "SIMULATE/Status").TransientValue().looseEquals(Variant("abc")));
}

TEST_F(RulesTest, ReadingTheSimulateRecordKeepsItsFormsTogether) {
    Read(AO + "SIMULATE/", {0x4B, 0x42, 0x48, 0x00, 0x00, 0x01});
    EXPECT_TRUE(E(AO + "SIMULATE/Status").TransientValue().looseEquals(Variant(0x4B)));
    EXPECT_TRUE(E(AO + "SIMULATE/StatusQuality").TransientValue().looseEquals(Variant(0x12)));
    EXPECT_TRUE(E(AO + "SIMULATE/StatusLimit").TransientValue().looseEquals(Variant(3)));
    EXPECT_EQ(Shown(AO + "SIMULATE/Value"), 50.0);
}

// ---------------------------------------------------------------- the product's dictionaries

TEST(RulesDictionary, TheProductOffersListsAndHelpForBothValveTypes) {
    for (int lcid : {0x409, 0x407}) {
        SCOPED_TRACE(lcid);
        ModelContext ctx(KV_SOURCE_XMLDATA_DIR);
        ctx.model->CreateModel(ctx.context);
        for (const auto& e : ctx.data->Elements())
            e->InitNew();
        ctx.model->SetLanguage(ctx.context, lcid);
        clsDataElement& code = ctx.Element(TB + "MFR/TRANSM_CODE/Value");
        clsDataElement& unit = ctx.Element(AO + "OUT_SCALE/Unit");
        for (clsDataElement* e : {&code, &unit}) {
            EXPECT_FALSE(e->GetValueLists("0").empty()) << e->Name();
            EXPECT_FALSE(e->GetValueLists("1").empty()) << e->Name();
            EXPECT_NE(e->GetValueLists("0"), e->GetValueLists("1")) << e->Name();
            // A new instance (valve type 0) starts with the list of its valve type.
            EXPECT_EQ(e->ValueList.str(), e->GetValueLists("0")) << e->Name();
        }
        EXPECT_FALSE(code.GetStrValueFromGivenValueList(code.Description, Variant(0)).empty());
        EXPECT_FALSE(code.GetStrValueFromGivenValueList(code.Description, Variant(1)).empty());
        EXPECT_FALSE(code.GetStrValueFromIdxList(code.TransientValue().toLong()).empty());
        // Each unit list offers percent and the travel unit of its valve type.
        EXPECT_NE(unit.GetValueLists("0").find("1342:"), std::string::npos);
        EXPECT_NE(unit.GetValueLists("0").find("1013:"), std::string::npos);
        EXPECT_NE(unit.GetValueLists("1").find("1342:"), std::string::npos);
        EXPECT_NE(unit.GetValueLists("1").find("1005:"), std::string::npos);
        EXPECT_NE(GetDictionaryText(ctx.context, "meld_init_art"), "meld_init_art");
    }
}

}  // namespace
}  // namespace kv
