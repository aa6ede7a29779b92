// Model construction, dictionary texts of the elements, language switch, change reports and the
// data-set state.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/ConvStr.h"
#include "core/DataModelHelpers.h"
#include "core/DictionaryLookup.h"
#include "core/DtmElements.h"
#include "core/clsDataModel.h"
#include "platform/os/VersionInfo.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "support/ModelContext.h"
#include "units/clsPROFIBUSProfil3Units.h"
#include "value/Date.h"

namespace kv {
namespace {

using test_support::DictionaryDoc;
using test_support::ModelContext;
using test_support::TempFolder;

const std::vector<std::string> kGeneral = {"~/Tag",
                                           "~/Address",
                                           "~/LocalAddress",
                                           "~/BusMasterConfigurationPart",
                                           "~/DataStatus",
                                           "~/CycleInterval",
                                           "SlaveBusParamSet_CfgData",
                                           "SlaveBusParamSet_WholeString",
                                           "ProtectedByChannelAssignment"};

class ModelTest : public ::testing::Test {
  protected:
    ModelTest() : ctx((Prepare(), folder.path)) {}
    void Prepare() {
        folder.CopyProductDictionaries();
        folder.Write("DTMDictionary_9_test.xml",
                     DictionaryDoc(9, R"~(<units><entry key="unit_1342" text="percent"/></units>
            <parameters>
              <entry key="TRANS/i/A" label="A label" description="A descr" help="A help"
                     valueList="0:Off|1:On" default="42" iconList="icons" cmdErrList="1:bad"/>
              <entry key="TRANS/i/NOLABEL" description="only a description"/>
              <entry key="TRANS/i/OCTETS" label="O" description="O" help="O" default="0A0B"/>
              <entry key="TRANS/i/BADNUM" label="N" description="N" help="N" default="abc"/>
              <entry key="PHYS/0/P" label="phys as is" description="" help=""/>
            </parameters>
            <parameters_manu_spec>
              <entry key="TRANS/i/M" label="$(error_at_connect)" description="m" help="m"/>
            </parameters_manu_spec>)~"));
        folder.Write("DTMDictionary_7_test.xml",
                     DictionaryDoc(7, R"~(<units><entry key="unit_1342" text="Prozent"/></units>
            <parameters><entry key="TRANS/i/A" label="A Bezeichnung" description="d" help="h"/>
            </parameters>)~"));
    }
    std::vector<std::string> Order() const {
        std::vector<std::string> names;
        for (const auto& e : ctx.data->Elements())
            names.push_back(e->Name());
        return names;
    }
    clsDataElement& AddTB(const std::string& name, int32_t type, const Variant& initial) {
        clsDataElement& e = AddDataElement(*ctx.data, name, initial, type, -1);
        e.BlockType = pbfTransducerBlock;
        e.BlockNumber = 1;
        return e;
    }

    TempFolder folder;
    ModelContext ctx;
};

TEST_F(ModelTest, CreateModelBuildsTheGeneralElements) {
    ctx.model->CreateModel(ctx.context);
    EXPECT_TRUE(ctx.dictionary->HasDocument());
    // The DTM-level elements come first, before any block's.
    const std::vector<std::string> order = Order();
    ASSERT_GE(order.size(), kGeneral.size());
    EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + kGeneral.size()), kGeneral);
    EXPECT_EQ(ctx.data->DataSetState(), 0);

    clsDataElement& tag = ctx.Element("~/Tag");
    EXPECT_EQ(tag.InitialValue.str(), std::string(32, ' '));
    EXPECT_EQ(tag.ValueTypeLength(), -1);
    clsDataElement& address = ctx.Element("~/Address");
    EXPECT_EQ(address.ElementMode(), 0x80090);
    EXPECT_EQ(address.RequiredUserLevel, 2);
    const std::optional<ValueRange> range = address.GetRange(0);
    ASSERT_TRUE(range);
    EXPECT_TRUE(range->min.looseEquals(Variant(0)) && range->max.looseEquals(Variant(126)));
    EXPECT_EQ(ctx.Element("~/LocalAddress").ElementMode(), 144);

    clsDataElement& bus = ctx.Element("~/BusMasterConfigurationPart");
    ASSERT_TRUE(bus.InitialValue.isByteArray());
    const std::vector<uint8_t>& bytes = bus.InitialValue.bytes().bytes;
    ASSERT_EQ(bytes.size(), 41u);
    EXPECT_EQ(bus.ValueTypeLength(), 41);
    EXPECT_EQ(bytes[0], 0x00);
    EXPECT_EQ(bytes[1], 0x29);  // the set's own length, 41
    EXPECT_EQ(bytes[17], 0x0C);
    EXPECT_EQ(bytes[30], 0x82);  // configuration 1 identifier "82840805"
    EXPECT_EQ(bytes[33], 0x05);
    EXPECT_EQ(bytes[38], 0x80);
    EXPECT_TRUE(bus.RawByteOrder);
    EXPECT_EQ(bus.ElementMode(), 16);
    EXPECT_EQ(ctx.Element("SlaveBusParamSet_WholeString").InitialValue.str(),
              std::string("0029") + "00" + "00" + "000000000000000000000000" + "000C" +
                  "00640A0B0B5E00000000" + "0006" + "82840805" + "0002" + "0005" + "800000");
    clsDataElement& status = ctx.Element("~/DataStatus");
    EXPECT_EQ(status.ElementMode(), 0);
    EXPECT_EQ(status.StatusFlags() & 0xFF, 1);
    EXPECT_FALSE(status.Validity());
    EXPECT_EQ(ctx.Element("~/CycleInterval").InitialValue.toLong(), 3000);
    EXPECT_EQ(ctx.Element("SlaveBusParamSet_CfgData").ControlType(), 3);
    EXPECT_EQ(ctx.Element("SlaveBusParamSet_CfgData").RequiredUserLevel, 3);

    for (const std::string& path : kGeneral) {
        EXPECT_EQ(ctx.Element(path).Slot, -1) << path;  // general elements keep the default
        EXPECT_EQ(ctx.Element(path).index, -1) << path;
    }
    for (const auto& e : ctx.data->Elements())
        EXPECT_EQ(e->StatusFlags() & sfDynamic, 0) << e->Name();
}

// Every data set of the process starts from the same elements, and none of them is shared: a
// change to one instance's elements reaches no other instance, made before or after.
TEST_F(ModelTest, EachDataSetHasElementsOfItsOwn) {
    ctx.model->CreateModel(ctx.context);
    const std::vector<std::string> order = Order();
    clsDataElement& tag = ctx.Element("~/Tag");
    tag.InitialValue = Variant(std::string("changed"));
    tag.SetTransientValue(Variant(std::string("changed")));
    ctx.Element("~/Address").SetRange(0, int16_t{1}, int16_t{2});

    ModelContext other(folder.path);
    other.model->CreateModel(other.context);
    std::vector<std::string> otherOrder;
    for (const auto& e : other.data->Elements())
        otherOrder.push_back(e->Name());
    EXPECT_EQ(otherOrder, order);
    EXPECT_NE(&other.Element("~/Tag"), &tag);
    EXPECT_EQ(other.Element("~/Tag").InitialValue.str(), std::string(32, ' '));
    EXPECT_TRUE(other.Element("~/Address").GetRange(0)->max.looseEquals(Variant(126)));

    other.Element("~/CycleInterval").InitialValue = Variant(int32_t{1});
    EXPECT_EQ(ctx.Element("~/CycleInterval").InitialValue.toLong(), 3000);
}

TEST(ModelConstruction, AddDataElementLengthsAndOctetStrings) {
    TempFolder f;
    ModelContext ctx(f.path);
    clsDataElement& zeros = AddDataElement(*ctx.data, "Z", Variant(int16_t{0}), 1, 4);
    ASSERT_TRUE(zeros.InitialValue.isByteArray());
    EXPECT_EQ(zeros.InitialValue.bytes().bytes, (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_TRUE(zeros.RawByteOrder);
    clsDataElement& empty = AddDataElement(*ctx.data, "E", Variant(), 1, 4);
    EXPECT_TRUE(empty.InitialValue.isEmpty());
    EXPECT_TRUE(empty.RawByteOrder);
    EXPECT_EQ(AddDataElement(*ctx.data, "S", Variant(""), 14, -1).ValueTypeLength(), -1);
    EXPECT_EQ(AddDataElement(*ctx.data, "R/", Variant(), 0, -1).ValueTypeLength(), 0);
    clsDataElement& plain = AddDataElement(*ctx.data, "F", Variant(1.0f), 8, -1);
    EXPECT_FALSE(plain.RawByteOrder);
    EXPECT_EQ(plain.ElementMode(), 144);
    EXPECT_EQ(plain.ControlType(), 1);

    const int32_t lengths[][2] = {{0, 0},  {1, 0},   {2, 1},   {3, 2},  {4, 3},  {5, 2},
                                  {6, 3},  {7, 4},   {8, 4},   {9, 8},  {10, 1}, {11, 8},
                                  {12, 8}, {13, 17}, {14, -1}, {15, 0}, {16, 4}, {99, 0}};
    for (const auto& l : lengths)
        EXPECT_EQ(DefaultValueTypeLength(l[0]), l[1]) << l[0];
}

TEST(ModelConstruction, SlotAndIndexByBlock) {
    struct Case {
        int32_t blockType;
        int16_t blockNumber, relIndex, slot, index;
    } cases[] = {{pbfPhysicalBlock, 0, 3, 0, 19},    {pbfTransducerBlock, 1, 3, 1, 103},
                 {pbfFunctionAOBlock, 1, 3, 1, 19},  {pbfDeviceDirectory, 0, 3, 1, 3},
                 {pbfFunctionAIBlock, 1, 3, -1, -1}, {pbfNoneBlock, 1, 3, -1, -1}};
    for (const Case& c : cases) {
        clsDataElement e;
        e.BlockType = c.blockType;
        e.BlockNumber = c.blockNumber;
        e.RelIndex = c.relIndex;
        AssignSlotAndIndex(e);
        EXPECT_EQ(e.Slot, c.slot) << c.blockType;
        EXPECT_EQ(e.index, c.index) << c.blockType;
    }
    clsDataElement big;
    big.BlockType = pbfTransducerBlock;
    big.RelIndex = 32700;
    EXPECT_THROW(AssignSlotAndIndex(big), VbError);
}

TEST_F(ModelTest, DictionaryTextsOfTheElements) {
    ctx.model->CreateModel(ctx.context);
    clsDataElement& a = AddTB("TRANS/1/A", 3, Variant(int16_t{1}));
    clsDataElement& noLabel = AddTB("TRANS/1/NOLABEL", 3, Variant());
    clsDataElement& octets = AddTB("TRANS/1/OCTETS", 1, Variant());
    clsDataElement& badNum = AddTB("TRANS/1/BADNUM", 3, Variant(int16_t{7}));
    clsDataElement& manu = AddTB("TRANS/1/M", 3, Variant());
    clsDataElement& phys = AddDataElement(*ctx.data, "PHYS/0/P", Variant(), 3, -1);
    phys.BlockType = pbfPhysicalBlock;
    phys.BlockNumber = 0;
    ctx.model->SetLanguage(ctx.context, 0x409);

    EXPECT_EQ(a.Label, "A label");
    EXPECT_EQ(a.Description, "A descr");
    EXPECT_EQ(a.Help, "A help");
    EXPECT_EQ(a.ValueList, "0:Off|1:On");
    EXPECT_EQ(a.IconList, "icons");
    EXPECT_EQ(a.CmdErrList, "1:bad");
    // The default becomes a value of the element's own type.
    EXPECT_TRUE(a.InitialValue.isNumber());
    EXPECT_EQ(a.InitialValue.toLong(), 42);
    EXPECT_TRUE(a.TransientValue().looseEquals(Variant(42)));
    ASSERT_TRUE(octets.InitialValue.isByteArray());
    EXPECT_EQ(octets.InitialValue.bytes().bytes, (std::vector<uint8_t>{0x0A, 0x0B}));
    EXPECT_EQ(badNum.InitialValue.toLong(), 7);  // a default that is no number is not taken
    // An entry without label or help leaves them empty and the elements after it still get
    // their texts.
    EXPECT_TRUE(noLabel.Label.empty());
    EXPECT_EQ(noLabel.Description, "only a description");
    EXPECT_EQ(octets.Label, "O");
    // Found in the manufacturer section, references expanded.
    EXPECT_EQ(manu.Label.str(), GetDictionaryText(ctx.context, "error_at_connect"));
    // A Physical Block path is looked up unchanged.
    EXPECT_EQ(phys.Label, "phys as is");
    // DTM-level elements.
    EXPECT_EQ(ctx.Element("~/Tag").Label, "Tag");
    EXPECT_FALSE(ctx.Element("~/DataStatus").ValueList.empty());
    EXPECT_FALSE(ctx.Element("SlaveBusParamSet_CfgData").ValueList.empty());
    for (const std::string& path : kGeneral) {
        EXPECT_FALSE(ctx.Element(path).Label.empty()) << path;
        EXPECT_FALSE(ctx.Element(path).Help.empty()) << path;
    }
}

TEST_F(ModelTest, DefaultsOnlyWhileTheDataSetIsFresh) {
    ctx.model->CreateModel(ctx.context);
    clsDataElement& a = AddTB("TRANS/1/A", 3, Variant(int16_t{1}));
    ctx.data->SetDataSetState(1);
    ctx.model->SetLanguage(ctx.context, 9);
    EXPECT_EQ(a.Label, "A label");
    EXPECT_EQ(a.InitialValue.toLong(), 1);
}

TEST_F(ModelTest, LanguageSwitchChangesLabelsUnitsAndMessages) {
    ctx.model->CreateModel(ctx.context);
    clsDataElement& a = AddTB("TRANS/1/A", 3, Variant());
    ctx.model->SetLanguage(ctx.context, 0x409);
    EXPECT_EQ(ctx.model->CurrentLanguage, 9);
    EXPECT_EQ(a.Label, "A label");
    EXPECT_EQ(ctx.model->PROFIBUSProfil3Units().PROFIBUSProfil3UnitString(1342), "percent");
    const std::string english = GetDictionaryText(ctx.context, "error_at_read_status");
    const std::string englishTag = ctx.Element("~/Tag").Label;

    ctx.model->SetLanguage(ctx.context, 0x407);
    EXPECT_EQ(ctx.model->CurrentLanguage, 7);
    EXPECT_EQ(a.Label, "A Bezeichnung");
    EXPECT_EQ(ctx.model->PROFIBUSProfil3Units().PROFIBUSProfil3UnitString(1342), "Prozent");
    EXPECT_NE(GetDictionaryText(ctx.context, "error_at_read_status"), english);
    EXPECT_NE(ctx.Element("~/Tag").Label.str(), englishTag);
    EXPECT_TRUE(ctx.prompt->messages.empty());
}

TEST_F(ModelTest, SameLanguageLoadsOnce) {
    ctx.model->CreateModel(ctx.context);
    clsDataElement& a = AddTB("TRANS/1/A", 3, Variant());
    ctx.model->SetLanguage(ctx.context, 0x407);
    a.Label = "marker";
    ctx.model->SetLanguage(ctx.context, 0x807);  // also primary language 7: nothing happens
    EXPECT_EQ(a.Label, "marker");
    ctx.model->SetLanguage(ctx.context, 0x409);
    EXPECT_EQ(a.Label, "A label");
}

TEST(ModelLanguage, FailedSwitchShowsTheLanguageAndKeepsTexts) {
    TempFolder empty;
    ModelContext ctx(empty.path);
    ctx.model->CreateModel(ctx.context);  // no dictionary: the model is still built
    EXPECT_EQ(ctx.data->Elements().front()->Name(), "~/Tag");
    ctx.Element("~/Tag").Label = "kept";
    const size_t logged = ctx.context.Diagnostics().Entries().size();
    ctx.model->SetLanguage(ctx.context, 1031);
    EXPECT_EQ(ctx.prompt->messages, (std::vector<std::string>{"Error setting LanguageId 1031"}));
    // The message names no reason: the log keeps it.
    ASSERT_EQ(ctx.context.Diagnostics().Entries().size(), logged + 1);
    EXPECT_EQ(ctx.context.Diagnostics().Entries().back().where, "clsDataModel::SetLanguage");
    EXPECT_EQ(ctx.model->CurrentLanguage, 0);
    EXPECT_EQ(ctx.Element("~/Tag").Label, "kept");
    EXPECT_EQ(GetDictionaryText(ctx.context, "error_at_read_status"), "error_at_read_status");
}

// --- data-set state ---

class StateTest : public ModelTest {
  protected:
    StateTest() {
        ctx.model->CreateModel(ctx.context);
        ctx.model->SetLanguage(ctx.context, 9);
        // Two device parameters (read and written, compared with stored values).
        for (const char* name : {"TRANS/1/D1", "TRANS/1/D2"}) {
            clsDataElement& e = AddTB(name, 3, Variant(int16_t{5}));
            e.SetElementMode(0x13);
            e.InitNew();
        }
        for (const auto& e : ctx.data->Elements())
            e->InitNew();  // a new instance
    }
    int32_t State() {
        ctx.model->EvaluateDataSetState(ctx.context);
        return ctx.Element("~/DataStatus").TransientValue().toLong();
    }
    void StoreAll() {
        for (const auto& e : ctx.data->Elements())
            e->SetPersistentValue(e->TransientValue());
    }
    // Every element that is read from or written to the device takes its shown value as the
    // value read.
    void ReadAll() {
        for (const auto& e : ctx.data->Elements()) {
            if (e->Name().back() == '/' || e->Name() == "~/DataStatus")
                continue;
            if (e->IsUploadParam(ctx.context) || e->IsDownloadParam(ctx.context))
                Read(e->Name(), e->TransientValue());
        }
    }
    void Read(const std::string& path, const Variant& value) {
        IPrivateDataElement* e = ctx.data->Item(path);
        e->SetDeviceValue(value);
        e->SetPersistentValue(Variant());
        e->SetTransientValue(value);
    }
};

TEST_F(StateTest, FreshInstanceIsInitial) {
    EXPECT_EQ(State(), 0);
    EXPECT_EQ(ctx.data->DataSetState(), 1);
    EXPECT_EQ(ctx.Element("~/DataStatus").TransientValue().type(), VarType::Byte);
}

TEST_F(StateTest, StoredChangedAndBack) {
    StoreAll();
    EXPECT_EQ(State(), 1);
    ctx.Element("TRANS/1/D1").SetTransientValue(Variant(int16_t{9}));
    EXPECT_EQ(State(), 3);
    ctx.Element("TRANS/1/D1").SetTransientValue(Variant(int16_t{5}));
    EXPECT_EQ(State(), 1);
    // The cycle interval is the window's setting, saved with the instance but not compared.
    ctx.Element("~/CycleInterval").SetTransientValue(Variant(int32_t{1500}));
    EXPECT_EQ(State(), 1);
    ctx.Element("~/CycleInterval").SetPersistentValue(Variant());
    EXPECT_EQ(State(), 1);
}

TEST_F(StateTest, DeviceAndPartialStates) {
    ReadAll();
    EXPECT_EQ(State(), 2);  // everything read, nothing stored

    // After a save, a read of a part only: stored and device values mixed.
    StoreAll();
    Read("TRANS/1/D1", Variant(int16_t{5}));
    EXPECT_EQ(State(), 4);
}

TEST_F(StateTest, SomeDeviceValuesNoStoredOnes) {
    Read("TRANS/1/D1", Variant(int16_t{5}));  // D2 never read
    EXPECT_EQ(State(), 6);
}

TEST_F(StateTest, SomeStoredValuesNoDeviceOnes) {
    StoreAll();
    ctx.Element("TRANS/1/D2").SetPersistentValue(Variant());  // D2 not in the stored instance
    EXPECT_EQ(State(), 5);
}

// The state tells what a download would write: a command's value and the values that only the
// device reports do not count, nor does a read that only shows the device beside a value that a
// download writes.
TEST_F(StateTest, OnlyWhatADownloadWritesCountsAndWatchingKeepsTheTakenValue) {
    clsDataElement& command = AddTB("TRANS/1/CMD", vtUnsigned8, Variant(uint8_t{0}));
    command.SetElementMode(0x17);
    clsDataElement& reported = AddTB("TRANS/1/RO", vtUnsigned16, Variant(int32_t{1}));
    reported.SetElementMode(0x11);
    AddTB("TRANS/1/REC/", vtRecord, Variant()).SetElementMode(0x11);
    clsDataElement& member = AddTB("TRANS/1/REC/M", vtUnsigned16, Variant(int32_t{1}));
    member.SetElementMode(0x10);
    for (clsDataElement* e : {&command, &reported, &member})
        e->InitNew();
    clsDataElement& written = ctx.Element("TRANS/1/D1");
    const auto watch = [&](int16_t value) {
        written.KeepTakenDeviceValue();
        written.SetDeviceValue(Variant(value));
    };
    struct Step {
        const char* name;
        std::function<void()> action;
        int32_t state;
    };
    const Step steps[] = {
        {"everything read", [&] { ReadAll(); }, edsDevice},
        {"a command given", [&] { command.SetTransientValue(Variant(uint8_t{1})); }, edsDevice},
        {"reported values read anew",
         [&] {
             Read("TRANS/1/RO", Variant(int32_t{7}));
             Read("TRANS/1/REC/M", Variant(int32_t{7}));
         },
         edsDevice},
        {"a written value watched", [&] { watch(9); }, edsDevice},
        {"saved", [&] { StoreAll(); }, edsDatabase},
        {"the frame's tag copied from the device's",
         [&] { ctx.Element("~/Tag").SetTransientValue(Variant("FV-1")); }, edsDatabase},
        {"a reported value read after the save", [&] { Read("TRANS/1/RO", Variant(int32_t{8})); },
         edsDatabase},
        {"watched again", [&] { watch(10); }, edsDatabase},
        {"the watched value taken",
         [&] {
             written.DropTakenDeviceValue();
             Read("TRANS/1/D1", Variant(int16_t{10}));
         },
         edsIndefinite},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.action();
        EXPECT_EQ(State(), step.state);
        EXPECT_EQ(written.CalcParamStatusFlags(ctx.context, written.TransientValue()), 0);
    }
    EXPECT_EQ(written.DeviceValue().toLong(), 10);
}

TEST_F(StateTest, InputErrorsAndNeededValuesSetTheErrorState) {
    StoreAll();
    ctx.Element("TRANS/1/D1").SetTransientValue(Variant(int16_t{9}));
    ctx.Element("TRANS/1/D1").SetStatusFlag(0x2000);
    EXPECT_EQ(State(), 3);
    EXPECT_EQ(ctx.data->DataSetState(), 2);
    ctx.Element("TRANS/1/D1").ClearStatusFlag(0x2000);
    ctx.Element("TRANS/1/D2").SetStatusFlag(sfNeeded);
    State();
    EXPECT_EQ(ctx.data->DataSetState(), 2);
    ctx.Element("TRANS/1/D2").ClearStatusFlag(sfNeeded);
    State();
    EXPECT_EQ(ctx.data->DataSetState(), 1);
}

TEST_F(StateTest, UnchangedStateSendsNothing) {
    State();
    ctx.gui->changed.clear();
    State();
    EXPECT_TRUE(ctx.gui->changed.empty());
    StoreAll();
    State();
    EXPECT_EQ(ctx.gui->changed, (std::vector<std::string>{"~/DataStatus"}));
}

TEST_F(StateTest, NestedChangeIsEvaluatedOnceAfterTheOuterChange) {
    ctx.data->stateWrites = 0;
    // "~/Address" is copied into "~/LocalAddress", whose report comes back nested.
    ctx.Element("~/Address").SetTransientValue(Variant(int16_t{7}));
    ctx.data->ElementChanged(ctx.Element("~/Address"), "");
    EXPECT_EQ(ctx.Element("~/LocalAddress").TransientValue().toLong(), 7);
    EXPECT_EQ(ctx.data->stateWrites, 1);
    EXPECT_EQ(ctx.model->NestDepth, 0);
}

TEST_F(StateTest, NestingDepthComesBackAfterAFailure) {
    ctx.gui->failOn = "~/LocalAddress";  // the nested report fails
    ctx.data->stateWrites = 0;
    EXPECT_THROW(ctx.data->ElementChanged(ctx.Element("~/Address"), ""), std::runtime_error);
    EXPECT_EQ(ctx.model->NestDepth, 0);
    EXPECT_EQ(ctx.data->stateWrites, 0);  // not evaluated after a failure
    ctx.gui->failOn.clear();
    ctx.data->ElementChanged(ctx.Element("~/CycleInterval"), "");
    EXPECT_EQ(ctx.data->stateWrites, 1);  // later changes are evaluated again
}

TEST_F(StateTest, BulkUpdateIsEvaluatedOnceAtItsEnd) {
    StoreAll();
    ctx.data->stateWrites = 0;
    ctx.data->SetBulkUpdateActive(true);
    for (const char* name : {"TRANS/1/D1", "TRANS/1/D2"}) {
        ctx.Element(name).SetTransientValue(Variant(int16_t{9}));
        ctx.data->ElementChanged(ctx.Element(name), "");
    }
    EXPECT_EQ(ctx.data->stateWrites, 0);
    ctx.data->SetBulkUpdateActive(false);
    EXPECT_EQ(ctx.data->stateWrites, 1);
    EXPECT_EQ(ctx.Element("~/DataStatus").TransientValue().toLong(), 3);  // changed values
    // Ending a bulk update without changes evaluates nothing.
    ctx.data->SetBulkUpdateActive(true);
    ctx.data->SetBulkUpdateActive(false);
    EXPECT_EQ(ctx.data->stateWrites, 1);
}

TEST_F(StateTest, DataSetChangedRunsAllHooksThenEvaluates) {
    ctx.Element("~/Address").SetTransientValue(Variant(int16_t{9}));
    ctx.model->DataSetChanged(ctx.context);
    EXPECT_EQ(ctx.Element("~/LocalAddress").TransientValue().toLong(), 9);
    EXPECT_FALSE(ctx.model->ProcessingCompleteValidation());
    EXPECT_EQ(ctx.model->NestDepth, 0);
}

TEST(ModelIdentity, VersionTexts) {
    clsDataModel m;
    EXPECT_FALSE(m.DTMName().empty());
    EXPECT_FALSE(m.DTMVendor().empty());
    // The file version a.b.c.d gives a.b.d.
    const std::string file = os::ComponentVersion().FileVersionText();
    const size_t third = file.find('.', file.find('.') + 1);
    EXPECT_EQ(m.DTMVersion(), file.substr(0, third) + file.substr(file.rfind('.')));
    const DateParts d = SplitDate(m.DTMDate());
    EXPECT_GE(d.year, 2000);
}

}  // namespace
}  // namespace kv
