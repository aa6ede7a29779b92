// Change hooks and access rules: paired elements, record error spread, station-address and
// cyclic-configuration protection, channel protection and unit conversion of values.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/DataModelHelpers.h"
#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/DataSet.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "platform/runtime/ITransaction.h"
#include "platform/runtime/ManualEventLoop.h"
#include "support/NullFakes.h"
#include "value/ScopedValue.h"

namespace kv {
namespace {

// A data model that hands every reported change to OnElementChanged with the nesting depth as
// its mode, as the model does; forcedMode replaces the depth to play a runtime that always says 1.
class NestingModel : public test_support::NullDataModel {
  public:
    void DataChanged(IPrivateDataElement& element, IDTMContext& context) override {
        const ScopedValue nested(depth, depth + 1);
        const int32_t mode = forcedMode ? *forcedMode : depth;
        calls.emplace_back(element.Name(), mode);
        OnElementChanged(AsDataElement(element), context, mode);
    }

    int32_t depth = 0;
    std::optional<int32_t> forcedMode;
    std::vector<std::pair<std::string, int32_t>> calls;
};

// Counts the reports that reach the user interfaces, one per IParameters.ElementChanged.
class RecordingGUI : public test_support::NullGUIList {
  public:
    void ParameterChanged(IPrivateDataElement& element, const std::string&) override {
        reported.push_back(element.Name());
    }
    bool HasOpenGUIs() const override { return true; }

    int Count(const std::string& name) const {
        int n = 0;
        for (const auto& r : reported)
            n += r == name ? 1 : 0;
        return n;
    }
    std::vector<std::string> reported;
};

class FakeChannel : public IPrivateChannel {
  public:
    explicit FakeChannel(Variant assigned) : assigned_(std::move(assigned)) {}
    Variant Assigned() const override {
        ++reads;
        return assigned_;
    }
    mutable int reads = 0;

  private:
    Variant assigned_;
};

// Points the configuration file at a temporary file (or at none) for the lifetime of the object.
class ConfigFile {
  public:
    explicit ConfigFile(const std::optional<std::string>& dpAddressEnable) {
        path_ = ::testing::TempDir() + "hooks_registry_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".conf";
        std::remove(path_.c_str());
        if (dpAddressEnable) {
            std::ofstream out(path_);
            out << "# settings of this machine\n"
                << "DPAddressEnable=" << *dpAddressEnable << "\n";
        }
        setenv("KV6274PA_CONFIG", path_.c_str(), 1);
    }
    ~ConfigFile() {
        unsetenv("KV6274PA_CONFIG");
        std::remove(path_.c_str());
    }

  private:
    std::string path_;
};

class HooksTest : public ::testing::Test {
  protected:
    HooksTest() : context(std::make_shared<ManualEventLoop>()) {
        model = std::make_shared<NestingModel>();
        gui = std::make_shared<RecordingGUI>();
        dataSet = std::make_shared<DataSet>(context, model);
        context.SetParameters(dataSet);
        context.SetGUIManager(gui);
    }

    clsDataElement& Add(const std::string& name) {
        auto element = std::make_shared<clsDataElement>();
        element->SetName(name);
        dataSet->AddElement(element);
        return *element;
    }
    static void SetValues(clsDataElement& e, const Variant& device, const Variant& transient,
                          const Variant& persistent) {
        e.SetDeviceValue(device);
        e.SetTransientValue(transient);
        e.SetPersistentValue(persistent);
    }

    DTMContext context;
    std::shared_ptr<NestingModel> model;
    std::shared_ptr<RecordingGUI> gui;
    std::shared_ptr<DataSet> dataSet;
};

// --- station address editable only where the machine allows it ---

struct AddressAccessCase {
    const char* title;
    std::optional<std::string> config;  // line value; nullopt = no file
    bool protectedBefore;
    bool silent;
    bool protectedAfter;
    int reports;
};

TEST_F(HooksTest, LocalAddressFollowsDPAddressEnable) {
    const AddressAccessCase cases[] = {
        {"no value", std::nullopt, false, false, true, 1},
        {"no value, already protected", std::nullopt, true, false, true, 0},
        {"dword 1", "dword:00000001", true, false, false, 1},
        {"text 1", "\"1\"", true, false, false, 1},
        {"plain 1", "1", true, false, false, 1},
        {"plain 1 with blanks", " 1 ", true, false, false, 1},
        {"plain 0", "0", false, false, true, 1},
        {"dword 1, already editable", "dword:1", false, false, false, 0},
        {"dword 2", "dword:00000002", false, false, true, 1},
        {"not a number", "\"abc\"", false, false, true, 1},
        {"out of 16-bit range", "\"70000\"", false, false, true, 1},
        {"empty text", "\"\"", false, false, true, 1},
        {"silent", "dword:00000001", true, true, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        dataSet->Clear();
        gui->reported.clear();
        const ConfigFile config(c.config);
        clsDataElement& address = Add("~/LocalAddress");
        if (c.protectedBefore)
            address.SetStatusFlag(sfWriteProtected);
        EXPECT_NO_THROW(UpdateElementAccess(address, context, c.silent));
        EXPECT_EQ((address.StatusFlags() & sfWriteProtected) != 0, c.protectedAfter);
        EXPECT_EQ(gui->Count("~/LocalAddress"), c.reports);
    }
}

TEST_F(HooksTest, UnreadableDPAddressEnableDoesNotFailAChange) {
    const ConfigFile config(std::string("\"abc\""));
    clsDataElement& address = Add("~/LocalAddress");
    EXPECT_NO_THROW(OnElementChanged(address, context, 1));
    EXPECT_NE(address.StatusFlags() & sfWriteProtected, 0);
}

// --- cyclic configuration protected by the frame's channel assignment ---

TEST_F(HooksTest, ProtectedByChannelAssignmentGuardsCfgData) {
    clsDataElement& guard = Add("ProtectedByChannelAssignment");
    clsDataElement& cfg = Add("SlaveBusParamSet_CfgData");
    model->forcedMode = 2;  // the report of the configuration comes back nested

    guard.SetTransientValue(Variant(int16_t{1}));
    UpdateElementAccess(guard, context, false);
    EXPECT_NE(cfg.StatusFlags() & sfWriteProtected, 0);
    EXPECT_EQ(gui->Count("SlaveBusParamSet_CfgData"), 1);

    // Reported again although the flag stays.
    UpdateElementAccess(guard, context, false);
    EXPECT_NE(cfg.StatusFlags() & sfWriteProtected, 0);
    EXPECT_EQ(gui->Count("SlaveBusParamSet_CfgData"), 2);

    guard.SetTransientValue(Variant(int16_t{0}));
    UpdateElementAccess(guard, context, true);
    EXPECT_EQ(cfg.StatusFlags() & sfWriteProtected, 0);
    EXPECT_EQ(gui->Count("SlaveBusParamSet_CfgData"), 2);
}

TEST_F(HooksTest, ChannelAssignmentSetsProtection) {
    clsDataElement& guard = Add("ProtectedByChannelAssignment");
    clsDataElement& cfg = Add("SlaveBusParamSet_CfgData");
    auto nullChannel = std::make_shared<FakeChannel>(Variant::Null());
    auto freeChannel = std::make_shared<FakeChannel>(Variant(false));
    dataSet->Channels().Add(nullChannel);
    dataSet->Channels().Add(freeChannel);

    UpdateChannelProtection(context);
    EXPECT_EQ(guard.TransientValue().type(), VarType::Integer);
    EXPECT_TRUE(guard.TransientValue().looseEquals(Variant(int16_t{0})));
    EXPECT_EQ(cfg.StatusFlags() & sfWriteProtected, 0);
    EXPECT_EQ(gui->Count("ProtectedByChannelAssignment"), 1);

    auto assigned = std::make_shared<FakeChannel>(Variant(true));
    auto after = std::make_shared<FakeChannel>(Variant(true));
    dataSet->Channels().Add(assigned);
    dataSet->Channels().Add(after);
    UpdateChannelProtection(context);
    EXPECT_TRUE(guard.TransientValue().looseEquals(Variant(int16_t{1})));
    EXPECT_NE(cfg.StatusFlags() & sfWriteProtected, 0);
    EXPECT_EQ(gui->Count("ProtectedByChannelAssignment"), 2);
    EXPECT_EQ(after->reads, 0);  // the walk stops at the first assigned channel
}

TEST_F(HooksTest, MissingElementsAreSkipped) {
    dataSet->Channels().Add(std::make_shared<FakeChannel>(Variant(true)));
    EXPECT_NO_THROW(UpdateChannelProtection(context));
    clsDataElement& guard = Add("ProtectedByChannelAssignment");
    guard.SetTransientValue(Variant(int16_t{1}));
    EXPECT_NO_THROW(UpdateElementAccess(guard, context, false));
    EXPECT_TRUE(gui->reported.empty());
}

// --- paired elements ---

struct PairCase {
    const char* changed;
    const char* partner;
    int32_t mode;
    bool bulk;
    bool copied;
};

TEST_F(HooksTest, PairedElementsCopyAllThreeValues) {
    const ConfigFile config(std::nullopt);
    const PairCase cases[] = {
        {"~/Tag", "PHYS/TAG_DESC", 1, false, true},
        {"~/Tag", "PHYS/TAG_DESC", 1, true, false},
        {"~/Tag", "PHYS/TAG_DESC", 2, false, false},
        {"PHYS/TAG_DESC", "~/Tag", 1, false, true},
        {"PHYS/TAG_DESC", "~/Tag", 1, true, true},
        {"PHYS/TAG_DESC", "~/Tag", 0, false, false},
        {"~/Address", "~/LocalAddress", 1, false, true},
        {"~/Address", "~/LocalAddress", 0, false, false},
        {"~/LocalAddress", "~/Address", 1, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.changed) + " mode " + std::to_string(c.mode) +
                     (c.bulk ? " bulk" : ""));
        dataSet->Clear();
        gui->reported.clear();
        model->calls.clear();
        clsDataElement& changed = Add(c.changed);
        clsDataElement& partner = Add(c.partner);
        // Access already as the machine wants it: the only reports are those of the copies.
        changed.SetStatusFlag(sfWriteProtected);
        partner.SetStatusFlag(sfWriteProtected);
        SetValues(changed, Variant("dev"), Variant("edit"), Variant("stored"));
        dataSet->SetBulkUpdateActive(c.bulk);
        OnElementChanged(changed, context, c.mode);
        if (c.copied) {
            EXPECT_EQ(partner.DeviceValue(), Variant("dev"));
            EXPECT_EQ(partner.TransientValue(), Variant("edit"));
            EXPECT_EQ(partner.PersistentValue(), Variant("stored"));
            EXPECT_EQ(gui->Count(c.partner), 1);
        } else {
            EXPECT_TRUE(partner.DeviceValue().isEmpty());
            EXPECT_TRUE(partner.TransientValue().isEmpty());
            EXPECT_TRUE(partner.PersistentValue().isEmpty());
            EXPECT_EQ(gui->Count(c.partner), 0);
        }
    }
    dataSet->SetBulkUpdateActive(false);
}

TEST_F(HooksTest, TagCopyDoesNotBounce) {
    clsDataElement& tag = Add("~/Tag");
    clsDataElement& desc = Add("PHYS/TAG_DESC");
    SetValues(tag, Variant("A"), Variant("B"), Variant("C"));

    // A change reported from outside: the partner comes back nested, with mode 2.
    dataSet->ElementChanged(tag, "");
    using Calls = std::vector<std::pair<std::string, int32_t>>;
    EXPECT_EQ(model->calls, (Calls{{"~/Tag", 1}, {"PHYS/TAG_DESC", 2}}));
    EXPECT_EQ(desc.TransientValue(), Variant("B"));

    // The data-set walk calls the hook directly, so the partner comes back with mode 1.
    model->calls.clear();
    gui->reported.clear();
    SetValues(desc, Variant("X"), Variant("Y"), Variant("Z"));
    OnElementChanged(desc, context, 1);
    EXPECT_EQ(model->calls, (Calls{{"~/Tag", 1}}));
    EXPECT_EQ(tag.TransientValue(), Variant("Y"));
    EXPECT_EQ(gui->Count("PHYS/TAG_DESC"), 0);
    EXPECT_EQ(gui->Count("~/Tag"), 1);

    // A runtime that reports every change with mode 1.
    model->calls.clear();
    model->forcedMode = 1;
    SetValues(tag, Variant("1"), Variant("2"), Variant("3"));
    dataSet->ElementChanged(tag, "");
    EXPECT_EQ(model->calls, (Calls{{"~/Tag", 1}, {"PHYS/TAG_DESC", 1}}));
    EXPECT_EQ(desc.PersistentValue(), Variant("3"));
}

TEST_F(HooksTest, MissingPartnerIsSkipped) {
    const ConfigFile config(std::nullopt);
    for (const char* name : {"~/Tag", "PHYS/TAG_DESC", "~/Address"}) {
        SCOPED_TRACE(name);
        dataSet->Clear();
        clsDataElement& e = Add(name);
        e.SetTransientValue(Variant("x"));
        EXPECT_NO_THROW(OnElementChanged(e, context, 1));
    }
    EXPECT_TRUE(gui->reported.empty());
}

// --- communication error of a record root ---

TEST_F(HooksTest, RecordErrorSpreadsToMembers) {
    clsDataElement& root = Add("PHYS/DIAGNOSIS/");
    clsDataElement& plain = Add("PHYS/DIAGNOSIS/BIT0");
    clsDataElement& own = Add("PHYS/DIAGNOSIS/OWN");
    clsDataElement& already = Add("PHYS/DIAGNOSIS/SAME");
    clsDataElement& other = Add("PHYS/DIAGNOSIS/OTHER");
    clsDataElement& outside = Add("PHYS/OTHER");
    own.SetElementMode(emUpload | emDownload);
    already.SetStatusFlags(0x30000);
    other.SetStatusFlags(0x10000 | sfChanged | sfWriteProtected);
    root.SetStatusFlags(0x30000 | sfChanged);

    OnElementChanged(root, context, 1);
    EXPECT_EQ(plain.StatusFlags(), 0x30000);
    EXPECT_EQ(own.StatusFlags(), 0);
    EXPECT_EQ(already.StatusFlags(), 0x30000);
    EXPECT_EQ(other.StatusFlags(), 0x30000 | sfChanged | sfWriteProtected);
    EXPECT_EQ(outside.StatusFlags(), 0);
    EXPECT_TRUE(root.Validity() && plain.Validity());
    EXPECT_EQ(gui->reported,
              (std::vector<std::string>{"PHYS/DIAGNOSIS/BIT0", "PHYS/DIAGNOSIS/OTHER"}));

    // The error gone from the root clears it on the members.
    gui->reported.clear();
    root.SetStatusFlags(0);
    OnElementChanged(root, context, 1);
    EXPECT_EQ(plain.StatusFlags(), 0);
    EXPECT_EQ(already.StatusFlags(), 0);
    EXPECT_EQ(gui->reported.size(), 3u);
}

// --- unit conversion ---

class ConvertUnitsTest : public ::testing::Test {
  protected:
    static void Units(clsDataElement& e, int16_t device, int16_t transient, int16_t persistent) {
        e.nDeviceUnit = device;
        e.nTransientUnit = transient;
        e.nPersistentUnit = persistent;
    }
    static void Values(clsDataElement& e, const Variant& device, const Variant& transient,
                       const Variant& persistent) {
        e.SetDeviceValue(device);
        e.SetTransientValue(transient);
        e.SetPersistentValue(persistent);
    }
    static float SingleOf(const Variant& v) {
        EXPECT_EQ(v.type(), VarType::Single);
        return static_cast<float>(v.number());
    }

    clsDataModel model;
    clsDataElement element;
    clsDataElement scaleUnit;
};

TEST_F(ConvertUnitsTest, ConstantUnitChangesNothing) {
    element.nConstantUnit = 1342;
    Units(element, 1013, 1013, 1013);
    Values(element, Variant(1.0f), Variant(2.0f), Variant(3.0f));
    Values(scaleUnit, Variant(int16_t{1010}), Variant(int16_t{1010}), Variant(int16_t{1010}));
    EXPECT_FALSE(ConvertValueUnits(model, element, scaleUnit));
    EXPECT_EQ(element.nDeviceUnit, 1013);
    EXPECT_EQ(element.nTransientUnit, 1013);
    EXPECT_EQ(element.nPersistentUnit, 1013);
    EXPECT_EQ(element.TransientValue(), Variant(2.0f));
}

TEST_F(ConvertUnitsTest, ConvertsTheProjectsValuesAndKeepsTheUnitADeviceValueWasReadIn) {
    Units(element, 1001, 1013, 1005);
    Values(element, Variant(0.0f), Variant(1500.0f), Variant(1.0f));
    Values(scaleUnit, Variant(int16_t{1000}), Variant(int32_t{1010}), Variant("1004"));
    EXPECT_TRUE(ConvertValueUnits(model, element, scaleUnit));
    EXPECT_EQ(element.DeviceValue(), Variant(0.0f));                         // read in °C
    EXPECT_FLOAT_EQ(SingleOf(element.TransientValue()), 1.5f);               // mm -> m
    EXPECT_FLOAT_EQ(SingleOf(element.PersistentValue()), 1.0f / 57.29578f);  // ° -> r
    EXPECT_EQ(element.nDeviceUnit, 1001);
    EXPECT_EQ(element.nTransientUnit, 1010);
    EXPECT_EQ(element.nPersistentUnit, 1004);
}

// A value read while the device's unit was not known yet (unit 0) is in the unit the device
// holds, which arrives later: it takes that unit unconverted, and so does a transient value
// taken with it, which then converts into the project's unit.
TEST_F(ConvertUnitsTest, AValueReadBeforeItsUnitTakesTheDevicesUnit) {
    Units(element, 0, 0, 1013);
    Values(element, Variant(1.5f), Variant(1.5f), Variant());
    Values(scaleUnit, Variant(int16_t{1012}), Variant(int16_t{1013}), Variant(int16_t{1013}));
    EXPECT_TRUE(ConvertValueUnits(model, element, scaleUnit));
    EXPECT_EQ(element.DeviceValue(), Variant(1.5f));
    EXPECT_EQ(element.nDeviceUnit, 1012);
    EXPECT_FLOAT_EQ(SingleOf(element.TransientValue()), 15.0f);  // cm -> mm
    EXPECT_EQ(element.nTransientUnit, 1013);
    // The device's unit changes: what was read in the old one keeps it.
    Values(scaleUnit, Variant(int16_t{1342}), Variant(int16_t{1013}), Variant(int16_t{1013}));
    EXPECT_FALSE(ConvertValueUnits(model, element, scaleUnit));
    EXPECT_EQ(element.nDeviceUnit, 1012);
}

TEST_F(ConvertUnitsTest, ValuesThatCannotConvertStillTakeTheUnit) {
    Units(element, 1013, 1013, 1013);
    Values(element, Variant(), Variant("abc"), Variant(std::nanf("")));
    Values(scaleUnit, Variant(int16_t{1010}), Variant(int16_t{1010}), Variant(int16_t{1010}));
    EXPECT_TRUE(ConvertValueUnits(model, element, scaleUnit));
    EXPECT_TRUE(element.DeviceValue().isEmpty());
    EXPECT_EQ(element.TransientValue(), Variant("abc"));
    EXPECT_TRUE(std::isnan(element.PersistentValue().number()));
    EXPECT_EQ(element.nDeviceUnit, 1010);
    EXPECT_EQ(element.nTransientUnit, 1010);
    EXPECT_EQ(element.nPersistentUnit, 1010);
}

TEST_F(ConvertUnitsTest, UnknownUnitTakesTheCodeWithoutConverting) {
    // Element's own unit 1998 (device), the unit element's own field 1998 (transient).
    Units(element, 1998, 1013, 1013);
    Units(scaleUnit, 0, 1998, 0);
    Values(element, Variant(5.0f), Variant(6.0f), Variant(7000.0f));
    Values(scaleUnit, Variant(int16_t{1010}), Variant(int16_t{1010}), Variant(int16_t{1010}));
    EXPECT_TRUE(ConvertValueUnits(model, element, scaleUnit));
    EXPECT_EQ(element.DeviceValue(), Variant(5.0f));
    EXPECT_EQ(element.TransientValue(), Variant(6.0f));
    EXPECT_FLOAT_EQ(SingleOf(element.PersistentValue()), 7.0f);
    EXPECT_EQ(element.nDeviceUnit, 1998);  // the unit it was read in
    EXPECT_EQ(element.nTransientUnit, 1010);
}

TEST_F(ConvertUnitsTest, SameUnitOrNoUnitCodeChangesNothing) {
    Units(element, 1013, 1013, 1013);
    Values(element, Variant(1.0f), Variant(2.0f), Variant(3.0f));
    Values(scaleUnit, Variant(int16_t{1013}), Variant::Null(), Variant("mm"));
    EXPECT_FALSE(ConvertValueUnits(model, element, scaleUnit));
    EXPECT_EQ(element.nTransientUnit, 1013);
    EXPECT_EQ(element.nPersistentUnit, 1013);
    EXPECT_EQ(element.PersistentValue(), Variant(3.0f));

    Values(scaleUnit, Variant(int32_t{70000}), Variant(int16_t{1013}), Variant(int16_t{1013}));
    EXPECT_FALSE(ConvertValueUnits(model, element, scaleUnit));
    EXPECT_EQ(element.nDeviceUnit, 1013);
    EXPECT_EQ(element.DeviceValue(), Variant(1.0f));
}

TEST_F(ConvertUnitsTest, ResultBeyondSingleKeepsValueAndUnit) {
    Units(element, 1010, 1010, 1010);
    Values(element, Variant(3.0e38f), Variant(2.0f), Variant(-FLT_MAX));
    Values(scaleUnit, Variant(int16_t{1013}), Variant(int16_t{1013}), Variant(int16_t{1013}));
    EXPECT_TRUE(ConvertValueUnits(model, element, scaleUnit));  // the transient kind converts
    EXPECT_EQ(element.DeviceValue(), Variant(3.0e38f));
    EXPECT_EQ(element.nDeviceUnit, 1010);
    EXPECT_EQ(element.PersistentValue(), Variant(-FLT_MAX));
    EXPECT_EQ(element.nPersistentUnit, 1010);
    EXPECT_FLOAT_EQ(SingleOf(element.TransientValue()), 2000.0f);
    EXPECT_EQ(element.nTransientUnit, 1013);
}

}  // namespace
}  // namespace kv
