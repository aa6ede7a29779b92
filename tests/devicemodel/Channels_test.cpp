// The 13 process channels, the slave parameter set of each cyclic configuration, the channels
// that a bus master configuration switches on, and the frame's channel parameter documents.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/ConvStr.h"
#include "core/DataModelHelpers.h"
#include "core/clsDataModel.h"
#include "devicemodel/DM_Channels.h"
#include "devicemodel/DeviceModel.h"
#include "devicemodel/clsChannel.h"
#include "platform/runtime/Channels.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/DataSet.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/ManualEventLoop.h"
#include "platform/runtime/ProfibusChannelParameter.h"
#include "platform/runtime/PropertyBag.h"
#include "support/NullFakes.h"

namespace kv {
namespace {

const char* const kCfgData = "SlaveBusParamSet_CfgData";
const char* const kWholeString = "SlaveBusParamSet_WholeString";
const char* const kBusMaster = "~/BusMasterConfigurationPart";
const char* const kProtected = "ProtectedByChannelAssignment";

const std::vector<std::string> kIds = {
    "SP_Val",          "SP_Stat",         "RCAS_IN_Val",    "RCAS_IN_Stat", "RCAS_OUT_Val",
    "RCAS_OUT_Stat",   "READBACK_Val",    "READBACK_Stat",  "POS_D_Val",    "POS_D_Stat",
    "CHECK_BACK_Val1", "CHECK_BACK_Val2", "CHECK_BACK_Val3"};

class CountingGUI : public test_support::NullGUIList {
  public:
    void ParameterChanged(IPrivateDataElement& e, const std::string&) override {
        ++reports[e.Name()];
    }
    std::map<std::string, int> reports;
};

// A whole model built as for a new instance, with the data model that runs the change hooks.
struct ChannelModel {
    ChannelModel() : context(std::make_shared<ManualEventLoop>()) {
        dataSet = std::make_shared<DataSet>(context, std::make_shared<clsDataModel>(DeviceModel()));
        context.SetParameters(dataSet);
        context.SetGUIManager(gui);
        context.SetSystemTag("DTM_7");
        BuildDataModel(context);
        gui->reports.clear();
    }
    clsChannel& Channel(const std::string& id) {
        auto* channel = dynamic_cast<clsChannel*>(dataSet->Channels().Item(id));
        EXPECT_NE(channel, nullptr) << id;
        return *channel;
    }
    IPrivateDataElement& Element(const std::string& path) { return *dataSet->Item(path); }
    // Sets the value as the page or the frame does and reports it.
    void Change(const std::string& path, const Variant& value) {
        Element(path).SetTransientValue(value);
        dataSet->ElementChanged(Element(path), "");
    }
    std::string WholeString() { return Element(kWholeString).TransientValue().toString(); }
    // Active flag and bit position of every channel.
    std::vector<std::pair<bool, int16_t>> ChannelState() {
        std::vector<std::pair<bool, int16_t>> state;
        for (const std::string& id : kIds) {
            clsChannel& c = Channel(id);
            state.emplace_back(c.Active(), c.ProfibusChannelParameter().BitPosition().toInteger());
        }
        return state;
    }

    DTMContext context;
    std::shared_ptr<DataSet> dataSet;
    std::shared_ptr<CountingGUI> gui = std::make_shared<CountingGUI>();
};

class ChannelsTest : public ::testing::Test, public ChannelModel {};

// The Analog Output record a channel maps: its id up to the last "_" ("SP" of "SP_Val").
std::string RecordOf(const std::string& id) {
    return "FUNC/1/AO/" + id.substr(0, id.rfind('_')) + "/";
}

int32_t ByteLength(const clsDataElement& e) {
    return e.ValueType() == vtUnsigned8 ? 1 : e.ValueTypeLength();
}

// The rules every channel follows: numbered in order, named by its id, the address of its
// record, as long as its element, the channels of a record end to end over the record's bytes.
TEST_F(ChannelsTest, EveryChannelMapsItsRecordEndToEnd) {
    const IChannels& channels = dataSet->Channels();
    ASSERT_EQ(channels.Count(), 13);
    EXPECT_EQ(channels.FdtChannels().size(), 13u);
    std::string record;
    int32_t end = 0;  // the bit behind the record's channels so far
    // The record's bytes: up to the last byte one of its members holds.
    auto recordCovered = [&] {
        int32_t bytes = 0;
        for (const auto& e : dataSet->Elements()) {
            const clsDataElement& member = AsDataElement(*e);
            if (member.Name().starts_with(record) && member.Name() != record)
                bytes = std::max(bytes, member.DataPosition + ByteLength(member));
        }
        EXPECT_EQ(end, 8 * bytes) << record;
    };
    for (int32_t n = 0; n < channels.Count(); ++n) {
        auto* channel = dynamic_cast<clsChannel*>(channels.Items()[static_cast<size_t>(n)].get());
        ASSERT_NE(channel, nullptr);
        const std::string id = channel->ChannelId();
        SCOPED_TRACE(id);
        EXPECT_EQ(id, kIds[static_cast<size_t>(n)]);
        const IProfibusChannelParameter& p = channel->ProfibusChannelParameter();
        EXPECT_EQ(channel->Parent(), &channels);
        EXPECT_EQ(p.ChannelNumber(), Variant(n + 1));
        for (const Variant& text : {p.Tag(), p.Name(), p.Description()})
            EXPECT_EQ(text, Variant(id));
        EXPECT_EQ(p.ProtocolId(), Variant("036D1497-387B-11D4-86E1-00E0987270B9"));
        EXPECT_EQ(channel->ProtocolId(), "036D1497-387B-11D4-86E1-00E0987270B9");
        EXPECT_EQ(channel->GetChannelPath(), "DTM_7/" + id);
        EXPECT_EQ(p.ChannelOption(), Variant(int16_t{0}));
        EXPECT_EQ(p.Assigned(), Variant(false));
        EXPECT_EQ(p.InitFlag(), Variant(false));

        if (RecordOf(id) != record) {
            if (!record.empty())
                recordCovered();
            record = RecordOf(id);
            end = 0;
        }
        ASSERT_NE(dataSet->Item(record), nullptr) << record;
        const clsDataElement& r = AsDataElement(Element(record));
        EXPECT_EQ(p.Slot(), Variant(r.Slot));
        EXPECT_EQ(p.Index(), Variant(r.index));
        // A value channel is as long as the record's value and carries whether it is a float;
        // the others are a byte each.
        const bool valueChannel = id.find("_Val") != std::string::npos;
        const clsDataElement* value =
            valueChannel ? AsDataElement(dataSet->Item(record + "Value")) : nullptr;
        EXPECT_EQ(p.BitLength(), Variant(int16_t(value != nullptr ? 8 * ByteLength(*value) : 8)));
        EXPECT_EQ(p.FloatValue(),
                  Variant(int32_t{value != nullptr && value->ValueType() == vtFloat}));
        EXPECT_EQ(p.BitPosition(), Variant(int16_t(end)));
        end += p.BitLength().toInteger();
    }
    recordCovered();
}

// What singles channels out: only the setpoint is on in a new instance, the setpoint and the
// remote output carry the channel flag; and where the rules above lead for some.
TEST_F(ChannelsTest, SingledOutChannelsOfANewInstance) {
    for (const std::string& id : kIds) {
        SCOPED_TRACE(id);
        const clsChannel& channel = Channel(id);
        const std::string record = RecordOf(id);
        EXPECT_EQ(channel.Active(), record == "FUNC/1/AO/SP/");
        EXPECT_EQ(channel.ProfibusChannelParameter().ChannelFlag(),
                  Variant(int32_t{record == "FUNC/1/AO/SP/" || record == "FUNC/1/AO/RCAS_OUT/"}));
    }
    EXPECT_EQ(Channel("SP_Val").ProfibusChannelParameter().Slot(), Variant(int16_t{1}));
    EXPECT_EQ(Channel("SP_Val").ProfibusChannelParameter().Index(), Variant(int16_t{25}));
    EXPECT_EQ(Channel("SP_Stat").ProfibusChannelParameter().BitPosition(), Variant(int16_t{32}));
    EXPECT_EQ(Channel("CHECK_BACK_Val3").ProfibusChannelParameter().BitPosition(),
              Variant(int16_t{16}));
    EXPECT_EQ(Channel("READBACK_Val").ProfibusChannelParameter().FloatValue(), Variant(int32_t{1}));
    EXPECT_EQ(Channel("POS_D_Val").ProfibusChannelParameter().FloatValue(), Variant(int32_t{0}));
}

TEST_F(ChannelsTest, BuildingTheModelAgainKeepsThirteenChannels) {
    BuildDataModel(context);
    ASSERT_EQ(dataSet->Channels().Count(), 13);
    EXPECT_EQ(Channel("CHECK_BACK_Val3").ProfibusChannelParameter().ChannelNumber(),
              Variant(int32_t{13}));
}

// The slave parameter set of each choice, field by field: whole length, slave flags, slave type,
// 12 reserved bytes, parameter data length and data, configuration length and identifiers,
// address table length, slave user data length and data.
const std::pair<int16_t, const char*> kSlaveSets[] = {
    {1, "00290000000000000000000000000000000C00640A0B0B5E0000000000068284080500020005800000"},
    {2,
     "002C"
     "00"
     "00"
     "000000000000000000000000"
     "000C"
     "00640A0B0B5E00000000"
     "0009"
     "C4848408050805"
     "0002"
     "0005"
     "800000"},
    {3,
     "002E0000000000000000000000000000000C00640A0B0B5E00000000000BC6848608050805050500020005"
     "800000"},
    {4,
     "002B"
     "00"
     "00"
     "000000000000000000000000"
     "000C"
     "00640A0B0B5E00000000"
     "0008"
     "C3848208050A"
     "0002"
     "0005"
     "800000"},
    {5,
     "002F"
     "00"
     "00"
     "000000000000000000000000"
     "000C"
     "00640A0B0B5E00000000"
     "000C"
     "C784890805080505050A"
     "0002"
     "0005"
     "800000"},
    {6,
     "002D"
     "00"
     "00"
     "000000000000000000000000"
     "000C"
     "00640A0B0B5E00000000"
     "000A"
     "C58487080508050A"
     "0002"
     "0005"
     "800000"},
    {7,
     "0033"
     "00"
     "00"
     "000000000000000000000000"
     "000C"
     "00640A0B0B5E00000000"
     "0010"
     "CB898E080508050805080505050A"
     "0002"
     "0005"
     "800000"},
};
const char* const kNoConfiguration =
    "00250000000000000000000000000000000C00640A0B0B5E00000000000200020005800000";

TEST_F(ChannelsTest, ChosenConfigurationGivesItsSlaveParameterSet) {
    const auto channelsBefore = ChannelState();
    const Variant busMasterBefore = Element(kBusMaster).TransientValue();
    for (const auto& [number, expected] : kSlaveSets) {
        SCOPED_TRACE(number);
        Change(kCfgData, Variant(uint8_t(number)));
        EXPECT_EQ(WholeString(), expected);
    }
    for (int16_t none : {0, 8}) {
        Change(kCfgData, Variant(none));
        EXPECT_EQ(WholeString(), kNoConfiguration);
    }
    // The channels follow only the bus master configuration.
    EXPECT_EQ(ChannelState(), channelsBefore);
    EXPECT_EQ(Element(kBusMaster).TransientValue(), busMasterBefore);
}

TEST_F(ChannelsTest, UnchangedSlaveParameterSetIsNotReportedAgain) {
    Change(kCfgData, Variant(int16_t{3}));
    EXPECT_EQ(gui->reports[kWholeString], 1);
    Change(kCfgData, Variant(int16_t{3}));
    EXPECT_EQ(gui->reports[kWholeString], 1);
    Change(kCfgData, Variant(int16_t{0}));
    Change(kCfgData, Variant(int16_t{9}));
    EXPECT_EQ(gui->reports[kWholeString], 2);
}

TEST_F(ChannelsTest, BusMasterConfigurationSwitchesItsChannelsOnAtTheirPositions) {
    const std::map<int16_t, std::vector<std::pair<std::string, int16_t>>> expected = {
        {1, {{"SP_Val", 0}, {"SP_Stat", 32}}},
        {2, {{"RCAS_IN_Val", 0}, {"RCAS_IN_Stat", 32}, {"RCAS_OUT_Val", 0}, {"RCAS_OUT_Stat", 32}}},
        {3,
         {{"SP_Val", 0},
          {"SP_Stat", 32},
          {"READBACK_Val", 0},
          {"READBACK_Stat", 32},
          {"POS_D_Val", 40},
          {"POS_D_Stat", 48}}},
        {4,
         {{"SP_Val", 0},
          {"SP_Stat", 32},
          {"CHECK_BACK_Val1", 0},
          {"CHECK_BACK_Val2", 8},
          {"CHECK_BACK_Val3", 16}}},
        {5,
         {{"SP_Val", 0},
          {"SP_Stat", 32},
          {"READBACK_Val", 0},
          {"READBACK_Stat", 32},
          {"POS_D_Val", 40},
          {"POS_D_Stat", 48},
          {"CHECK_BACK_Val1", 56},
          {"CHECK_BACK_Val2", 64},
          {"CHECK_BACK_Val3", 72}}},
        {6,
         {{"RCAS_IN_Val", 0},
          {"RCAS_IN_Stat", 32},
          {"RCAS_OUT_Val", 0},
          {"RCAS_OUT_Stat", 32},
          {"CHECK_BACK_Val1", 40},
          {"CHECK_BACK_Val2", 48},
          {"CHECK_BACK_Val3", 56}}},
        {7,
         {{"SP_Val", 0},
          {"SP_Stat", 32},
          {"RCAS_IN_Val", 40},
          {"RCAS_IN_Stat", 72},
          {"READBACK_Val", 0},
          {"READBACK_Stat", 32},
          {"RCAS_OUT_Val", 40},
          {"RCAS_OUT_Stat", 72},
          {"POS_D_Val", 80},
          {"POS_D_Stat", 88},
          {"CHECK_BACK_Val1", 96},
          {"CHECK_BACK_Val2", 104},
          {"CHECK_BACK_Val3", 112}}},
        {0, {}},
    };
    std::vector<std::pair<int16_t, std::string>> sets(std::begin(kSlaveSets), std::end(kSlaveSets));
    sets.emplace_back(0, kNoConfiguration);
    for (const auto& [number, text] : sets) {
        SCOPED_TRACE(number);
        // Every channel on at a position no configuration gives: the others must go off and
        // keep their position.
        for (const std::string& id : kIds) {
            Channel(id).SetActive(true);
            Channel(id).ProfibusChannelParameter().SetBitPosition(Variant(int16_t{999}));
        }
        Change(kBusMaster, HexStringToBytes(text));
        std::map<std::string, int16_t> on(expected.at(number).begin(), expected.at(number).end());
        for (const std::string& id : kIds) {
            const clsChannel& c = Channel(id);
            const auto it = on.find(id);
            EXPECT_EQ(c.Active(), it != on.end()) << id;
            EXPECT_EQ(c.ProfibusChannelParameter().BitPosition(),
                      Variant(it != on.end() ? it->second : int16_t{999}))
                << id;
        }
        EXPECT_EQ(WholeString(), text);
    }
}

TEST_F(ChannelsTest, BadBusMasterConfigurationChangesNothing) {
    const std::string cfg3 = kSlaveSets[2].second;
    auto bytes = [](std::string hex) { return HexStringToBytes(hex); };
    auto patched = [&](size_t offset, const char* hexField) {
        std::string text = cfg3;
        text.replace(offset * 2, std::string(hexField).size(), hexField);
        return bytes(text);
    };
    const std::vector<std::pair<const char*, Variant>> cases = {
        {"empty", Variant()},
        {"no byte array", Variant(cfg3)},
        {"no bytes at all", Variant(std::vector<uint8_t>{})},
        {"too short", bytes(cfg3.substr(0, 40))},
        {"cut off", bytes(cfg3.substr(0, cfg3.size() - 2))},
        {"one byte too many", bytes(cfg3 + "00")},
        {"whole length wrong", patched(0, "002F")},
        {"parameter data of 13 bytes", patched(16, "000D")},
        {"configuration length below 2", patched(28, "0001")},
        {"configuration length beyond the set", patched(28, "00FF")},
        {"address table length wrong", patched(39, "0003")},
        {"user data length wrong", patched(41, "0004")},
        {"slave flags set", patched(2, "80")},
        {"reserved byte set", patched(9, "01")},
        {"another ident number", patched(22, "0B5F")},
        {"another watchdog factor", patched(19, "65")},
        {"other user data", patched(43, "800001")},
    };
    Change(kBusMaster, bytes(cfg3));
    const auto channelsBefore = ChannelState();
    const std::string wholeBefore = WholeString();
    for (const auto& [what, value] : cases) {
        SCOPED_TRACE(what);
        context.Diagnostics().Clear();
        Element(kBusMaster).SetTransientValue(value);
        EXPECT_NO_THROW(dataSet->ElementChanged(Element(kBusMaster), ""));
        // The change hook keeps the reason; a part without a value brings nothing to report.
        EXPECT_EQ(context.Diagnostics().Entries().size(), value.isEmpty() ? 0u : 1u);
        const std::optional<std::string> problem = ApplyBusMasterConfiguration(context);
        ASSERT_TRUE(problem);
        EXPECT_FALSE(problem->empty());
        if (value.isByteArray()) {
            EXPECT_EQ(CheckSlaveBusParamSet(value.bytes().bytes), problem);
        }
        EXPECT_EQ(ChannelState(), channelsBefore);
        EXPECT_EQ(WholeString(), wholeBefore);
    }
    context.Diagnostics().Clear();

    // A whole set whose identifiers are no configuration of the device switches every channel
    // off.
    const Variant unknown = patched(30, "C7");
    EXPECT_FALSE(CheckSlaveBusParamSet(unknown.bytes().bytes));
    Change(kBusMaster, unknown);
    EXPECT_TRUE(context.Diagnostics().Empty());
    for (const std::string& id : kIds)
        EXPECT_FALSE(Channel(id).Active()) << id;
    EXPECT_EQ(WholeString(), BytesToHexString(unknown));
}

TEST_F(ChannelsTest, BusMasterConfigurationWithoutChannelsChangesNothing) {
    Element(kBusMaster).SetTransientValue(HexStringToBytes(kSlaveSets[4].second));
    dataSet->Channels().Clear();
    const std::string wholeBefore = WholeString();
    EXPECT_TRUE(ApplyBusMasterConfiguration(context));
    EXPECT_EQ(WholeString(), wholeBefore);
}

TEST_F(ChannelsTest, ActivateChannelReturnsThePositionBehindIt) {
    EXPECT_EQ(ActivateChannel(*dataSet, "READBACK_Val", 40), 72);
    EXPECT_TRUE(Channel("READBACK_Val").Active());
    EXPECT_EQ(Channel("READBACK_Val").ProfibusChannelParameter().BitPosition(),
              Variant(int16_t{40}));
    EXPECT_THROW(ActivateChannel(*dataSet, "NO_SUCH", 0), std::exception);
}

// --- channel parameter documents of the frame ---

std::vector<Variant> Properties(const IProfibusChannelParameter& p) {
    std::vector<Variant> values;
    for (int32_t n = 0; n < kChannelPropertyCount; ++n)
        values.push_back(p.Get(static_cast<ChannelProperty>(n)));
    return values;
}

TEST_F(ChannelsTest, ChannelParametersRoundTrip) {
    clsChannel& channel = Channel("POS_D_Stat");
    const std::string xml = channel.GetChannelParameters("", "");
    ProfibusChannelParameter parsed;
    ASSERT_TRUE(parsed.FromXml(xml, &context)) << xml;
    EXPECT_EQ(Properties(parsed), Properties(channel.ProfibusChannelParameter()));
    EXPECT_NE(xml.find("nodeId=\"DTM_7\""), std::string::npos) << xml;

    clsChannel loose;
    loose.SetChannelId("SP_Val");
    EXPECT_EQ(loose.GetChannelParameters("", ""), "");
    EXPECT_EQ(loose.GetChannelPath(), "");
    EXPECT_FALSE(loose.SetChannelParameters("", "", xml));
}

TEST_F(ChannelsTest, ParametersForAnotherChannelChangeNothing) {
    clsChannel& channel = Channel("SP_Val");
    const auto before = Properties(channel.ProfibusChannelParameter());
    const Variant protectedBefore = Element(kProtected).TransientValue();
    ProfibusChannelParameter other;
    ASSERT_TRUE(other.FromXml(Channel("SP_Stat").GetChannelParameters("", ""), &context));
    other.SetAssigned(Variant(true));
    EXPECT_FALSE(channel.SetChannelParameters("", "", other.ToXml(&context)));
    EXPECT_EQ(Properties(channel.ProfibusChannelParameter()), before);
    EXPECT_EQ(dataSet->Channels().Modified(), 0);
    EXPECT_EQ(Element(kProtected).TransientValue(), protectedBefore);
    EXPECT_EQ(gui->reports[kProtected], 0);
}

TEST_F(ChannelsTest, FrameTakesOnlyTheAssignmentAndTheDescriptiveTexts) {
    clsChannel& channel = Channel("SP_Val");
    const auto before = Properties(channel.ProfibusChannelParameter());
    ProfibusChannelParameter doc;
    ASSERT_TRUE(doc.FromXml(channel.GetChannelParameters("", ""), &context));
    doc.SetAssigned(Variant(true));
    doc.SetTag(Variant("Setpoint"));
    doc.SetFrameApplicationTag(Variant("Valve 12 setpoint"));
    doc.SetSlot(Variant(int16_t{4}));
    doc.SetIndex(Variant(int16_t{200}));
    doc.SetBitLength(Variant(int16_t{16}));
    doc.SetBitPosition(Variant(int16_t{64}));
    doc.SetChannelNumber(Variant(int32_t{99}));
    doc.SetVendor(Variant("someone else"));
    ASSERT_TRUE(channel.SetChannelParameters("", "", doc.ToXml(&context)));

    auto expected = before;
    expected[static_cast<size_t>(ChannelProperty::Assigned)] = Variant(true);
    expected[static_cast<size_t>(ChannelProperty::Tag)] = Variant("Setpoint");
    expected[static_cast<size_t>(ChannelProperty::FrameApplicationTag)] =
        Variant("Valve 12 setpoint");
    EXPECT_EQ(Properties(channel.ProfibusChannelParameter()), expected);
    EXPECT_EQ(dataSet->Channels().Modified(), 1);
    // An assigned channel protects the choice of the cyclic configuration.
    EXPECT_EQ(Element(kProtected).TransientValue(), Variant(int16_t{1}));
    EXPECT_NE(Element(kCfgData).StatusFlags() & 0x1, 0);

    doc.SetAssigned(Variant(false));
    ASSERT_TRUE(channel.SetChannelParameters("", "", doc.ToXml(&context)));
    EXPECT_EQ(Element(kProtected).TransientValue(), Variant(int16_t{0}));
    EXPECT_EQ(Element(kCfgData).StatusFlags() & 0x1, 0);
}

TEST_F(ChannelsTest, BadChannelParameterDocumentsChangeNothing) {
    clsChannel& channel = Channel("SP_Val");
    const std::string good = channel.GetChannelParameters("", "");
    auto replaced = [&](const std::string& what, const std::string& with) {
        std::string text = good;
        const size_t at = text.find(what);
        EXPECT_NE(at, std::string::npos) << what;
        return at == std::string::npos ? text : text.replace(at, what.size(), with);
    };
    const std::string cases[] = {
        "",
        "not xml",
        "<FDT><FDTChannel channelId=\"SP_Val\"",
        "<Other><FDTChannel channelId=\"SP_Val\" assigned=\"true\"/></Other>",
        replaced("channelId=\"SP_Val\"", "channelId=\"\""),
        replaced("assigned=\"false\"", "assigned=\"yes\""),
        replaced("bitLength=\"32\"", "bitLength=\"70000\""),
        replaced("slot=\"1\"", "slot=\"one\""),
        replaced("tag=\"SP_Val\"", "tag=\"a&#9;b\""),
        replaced("tag=\"SP_Val\"", "tag=\"" + std::string(256, 'x') + "\""),
    };
    const auto before = Properties(channel.ProfibusChannelParameter());
    for (const std::string& xml : cases) {
        SCOPED_TRACE(xml);
        EXPECT_FALSE(channel.SetChannelParameters("", "", xml));
        EXPECT_EQ(Properties(channel.ProfibusChannelParameter()), before);
        EXPECT_EQ(dataSet->Channels().Modified(), 0);
    }
}

// --- persistence with the instance ---

TEST_F(ChannelsTest, ChannelsSurviveThePropertyBag) {
    Change(kBusMaster, HexStringToBytes(kSlaveSets[5].second));  // configuration 6
    const auto saved = ChannelState();
    PropertyBag bag;
    ASSERT_TRUE(SaveChannels(dataSet->Channels(), bag, context.Diagnostics()));
    EXPECT_EQ(bag.Count(), 26u);
    EXPECT_EQ(bag.Read("RCAS_OUT_Stat.Active"), Variant(true));
    EXPECT_EQ(bag.Read("CHECK_BACK_Val2.BitPosition"), Variant(int16_t{48}));
    PropertyBag copy;
    ASSERT_TRUE(copy.LoadXml(bag.ToXml()));

    ChannelModel fresh;
    ASSERT_TRUE(LoadChannels(fresh.dataSet->Channels(), copy, fresh.context.Diagnostics()));
    EXPECT_EQ(fresh.ChannelState(), saved);
}

TEST_F(ChannelsTest, BagWithoutChannelEntriesLeavesEveryChannelOffAtZero) {
    PropertyBag bag;
    bag.Write("~/Tag", Variant("Valve"));
    ASSERT_TRUE(LoadChannels(dataSet->Channels(), bag, context.Diagnostics()));
    const std::vector<std::pair<bool, int16_t>> allOff(13, {false, int16_t{0}});
    EXPECT_EQ(ChannelState(), allOff);
}

}  // namespace
}  // namespace kv
