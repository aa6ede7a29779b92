// The process channels of the Analog Output block and the cyclic configuration.

#include "devicemodel/DM_Channels.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/ConvStr.h"
#include "core/DataModelHelpers.h"
#include "core/DtmElements.h"
#include "core/clsDataElement.h"
#include "devicemodel/DM_FB_AO_P3.h"
#include "devicemodel/clsChannel.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateDataModel.h"

namespace kv {

namespace {

// --- the channels ---

struct ChannelDefinition {
    const char* id;
    const char* element;     // path after the block prefix
    bool firstOfRecord;      // the bit position at creation starts again at 0
    int16_t fixedBitLength;  // 0: 8 x ValueTypeLength of the element
    bool active;
    int32_t floatValue;
    int32_t channelFlag;
};

const ChannelDefinition kChannels[] = {
    {"SP_Val", "SP/Value", true, 0, true, 1, 1},
    {"SP_Stat", "SP/Status", false, 0, true, 0, 1},
    {"RCAS_IN_Val", "RCAS_IN/Value", true, 0, false, 1, 0},
    {"RCAS_IN_Stat", "RCAS_IN/Status", false, 0, false, 0, 0},
    {"RCAS_OUT_Val", "RCAS_OUT/Value", true, 0, false, 1, 1},
    {"RCAS_OUT_Stat", "RCAS_OUT/StatusQuality", false, 0, false, 0, 1},
    {"READBACK_Val", "READBACK/Value", true, 0, false, 1, 0},
    {"READBACK_Stat", "READBACK/Status", false, 0, false, 0, 0},
    {"POS_D_Val", "POS_D/Value", true, 0, false, 0, 0},
    {"POS_D_Stat", "POS_D/Status", false, 0, false, 0, 0},
    {"CHECK_BACK_Val1", "CHECK_BACK/", true, 8, false, 0, 0},
    {"CHECK_BACK_Val2", "CHECK_BACK/", false, 8, false, 0, 0},
    {"CHECK_BACK_Val3", "CHECK_BACK/", false, 8, false, 0, 0},
};

// --- the configurations ---

struct Configuration {
    const char* identifier;
    std::vector<const char*> outputs;  // in activation order
    std::vector<const char*> inputs;
};

const std::array<Configuration, 7>& Configurations() {
    static const std::array<Configuration, 7> table{{
        {"82840805", {"SP_Val", "SP_Stat"}, {}},
        {"C4848408050805", {"RCAS_IN_Val", "RCAS_IN_Stat"}, {"RCAS_OUT_Val", "RCAS_OUT_Stat"}},
        {"C68486080508050505",
         {"SP_Val", "SP_Stat"},
         {"READBACK_Val", "READBACK_Stat", "POS_D_Val", "POS_D_Stat"}},
        {"C3848208050A",
         {"SP_Val", "SP_Stat"},
         {"CHECK_BACK_Val1", "CHECK_BACK_Val2", "CHECK_BACK_Val3"}},
        {"C784890805080505050A",
         {"SP_Val", "SP_Stat"},
         {"READBACK_Val", "READBACK_Stat", "POS_D_Val", "POS_D_Stat", "CHECK_BACK_Val1",
          "CHECK_BACK_Val2", "CHECK_BACK_Val3"}},
        {"C58487080508050A",
         {"RCAS_IN_Val", "RCAS_IN_Stat"},
         {"RCAS_OUT_Val", "RCAS_OUT_Stat", "CHECK_BACK_Val1", "CHECK_BACK_Val2",
          "CHECK_BACK_Val3"}},
        {"CB898E080508050805080505050A",
         {"SP_Val", "SP_Stat", "RCAS_IN_Val", "RCAS_IN_Stat"},
         {"READBACK_Val", "READBACK_Stat", "RCAS_OUT_Val", "RCAS_OUT_Stat", "POS_D_Val",
          "POS_D_Stat", "CHECK_BACK_Val1", "CHECK_BACK_Val2", "CHECK_BACK_Val3"}},
    }};
    return table;
}

// The layout of the slave parameter set (byte offsets; numbers big-endian, every length counts
// its own two bytes): the whole length, slave flags, slave type, reserved bytes, then the
// parameter data with its length field (station status, watchdog factors, minimum station
// delay, ident number 0B5E, group ident, DP-V1 status bytes), the configuration identifiers
// with their length field, the empty address table and the slave user data.
constexpr std::string_view kSetHead =
    "00"
    "00"
    "000000000000000000000000"
    "000C"
    "00640A0B0B5E00000000";
constexpr std::string_view kSetTail =
    "0002"
    "0005"
    "800000";
// The whole length, then the head.
constexpr size_t kConfigLengthOffset = 2 + kSetHead.size() / 2;
// The bytes of a set without identifiers.
constexpr size_t kSetWithoutIdentifiers = kConfigLengthOffset + 2 + kSetTail.size() / 2;

std::string Hex4(size_t value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(value & 0xFFFF));
    return buf;
}

uint16_t Read16(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint16_t>((bytes[offset] << 8) | bytes[offset + 1]);
}

// The configuration identifiers of a set that CheckSlaveBusParamSet accepted, as hex text.
std::string IdentifiersOf(const std::vector<uint8_t>& bytes) {
    const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(kConfigLengthOffset + 2);
    const auto end = first + static_cast<std::ptrdiff_t>(bytes.size() - kSetWithoutIdentifiers);
    return BytesToHexString(Variant(std::vector<uint8_t>(first, end)));
}

// Creates one process channel with its parameter object filled (identity from the data model,
// number = channels so far + 1, unassigned) and adds it to the data set's channel collection.
void AddChannel(IDTMContext& context, const std::string& id, bool active, int32_t channelFlag,
                int16_t channelOption, int16_t slot, int16_t index, int16_t bitPosition,
                int16_t bitLength, int32_t floatValue) {
    IParameters& parameters = context.Parameters();
    const IPrivateDataModel* model = parameters.DataModel();
    if (model == nullptr)
        throw std::logic_error("the data set has no data model");

    auto channel = std::make_shared<clsChannel>();
    channel->SetActive(active);
    IProfibusChannelParameter& parameter = channel->ProfibusChannelParameter();
    parameter.SetTag(Variant(id));
    parameter.SetVendor(Variant(model->DTMVendor()));
    parameter.SetVersion(Variant(model->DTMVersion()));
    parameter.SetDate(Variant::FromDate(model->DTMDate()));
    parameter.SetDescriptor(Variant(model->DTMDescriptor()));
    parameter.SetName(parameter.Tag());
    parameter.SetChannelId(parameter.Tag());
    parameter.SetAssigned(Variant(false));
    parameter.SetChannelNumber(Variant(parameters.Channels().Count() + 1));
    parameter.SetFloatValue(Variant(floatValue));
    parameter.SetChannelFlag(Variant(channelFlag));
    parameter.SetDescription(parameter.Tag());
    parameter.SetInitFlag(Variant(false));
    parameter.SetChannelOption(Variant(channelOption));
    parameter.SetSlot(Variant(slot));
    parameter.SetIndex(Variant(index));
    parameter.SetBitPosition(Variant(bitPosition));
    parameter.SetBitLength(Variant(bitLength));
    parameters.Channels().Add(channel);
}

}  // namespace

void CreateChannels(IDTMContext& context) {
    IParameters& parameters = context.Parameters();
    // The channels are made once per model; a second build starts from an empty collection, so
    // numbers and ids stay unique.
    parameters.Channels().Clear();
    const std::string prefix = DM_FB_AO_P3::GetBlockPrefix(1);
    int16_t position = 0;
    for (const ChannelDefinition& row : kChannels) {
        const clsDataElement& element = ElementAt(parameters, prefix + row.element);
        const int16_t bitLength = row.fixedBitLength != 0
                                      ? row.fixedBitLength
                                      : Variant(int32_t{8} * element.ValueTypeLength()).toInteger();
        if (row.firstOfRecord)
            position = 0;
        AddChannel(context, row.id, row.active, row.channelFlag, int16_t{0}, element.Slot,
                   element.index, position, bitLength, row.floatValue);
        position = Variant(int32_t{position} + bitLength).toInteger();
    }
}

std::string SlaveBusParamSetText(const std::string& identifiers) {
    std::string body(kSetHead);
    body += Hex4(identifiers.size() / 2 + 2);
    body += identifiers;
    body += kSetTail;
    return Hex4(body.size() / 2 + 2) + body;
}

std::optional<std::string> CheckSlaveBusParamSet(const std::vector<uint8_t>& bytes) {
    const size_t size = bytes.size();
    if (size < kSetWithoutIdentifiers)
        return "the slave parameter set is too short (" + std::to_string(size) + " bytes)";
    if (Read16(bytes, 0) != size) {
        return "the length field of the slave parameter set (" + std::to_string(Read16(bytes, 0)) +
               ") does not match its " + std::to_string(size) + " bytes";
    }
    const size_t cfgLength = Read16(bytes, kConfigLengthOffset);
    if (cfgLength < 2 || kSetWithoutIdentifiers + cfgLength - 2 != size) {
        return "the configuration data length of the slave parameter set (" +
               std::to_string(cfgLength) + ") does not match its " + std::to_string(size) +
               " bytes";
    }
    // Everything but the identifiers is what the cyclic configuration builds around them.
    const Variant built = HexStringToBytes(SlaveBusParamSetText(IdentifiersOf(bytes)));
    const std::vector<uint8_t>& expected = built.bytes().bytes;
    const auto differs =
        std::mismatch(bytes.begin(), bytes.end(), expected.begin(), expected.end());
    if (differs.first != bytes.end()) {
        return "the slave parameter set differs from the device's fixed fields at byte " +
               std::to_string(differs.first - bytes.begin());
    }
    return std::nullopt;
}

void BuildSlaveBusParamSet(IParameters& parameters) {
    const Variant& cfgData = ElementAt(parameters, kCfgDataPath).TransientValue();
    std::string identifiers;
    for (int16_t number = 1; number <= 7; ++number) {
        if (cfgData.looseEquals(Variant(number))) {
            identifiers = Configurations()[static_cast<size_t>(number - 1)].identifier;
            break;
        }
    }
    const std::string whole = SlaveBusParamSetText(identifiers);

    IPrivateDataElement& wholeString = ElementAt(parameters, kWholeStringPath);
    const Variant& current = wholeString.TransientValue();
    if (current.isString() && current.str() == whole)
        return;
    wholeString.SetTransientValue(Variant(whole));
    parameters.ElementChanged(wholeString, "");
}

std::optional<std::string> ApplyBusMasterConfiguration(IDTMContext& context) {
    // A failure refuses the set; what failed goes to the context's diagnostic log.
    return Guarded(
        context.Diagnostics(), "ApplyBusMasterConfiguration",
        std::optional<std::string>("the bus master configuration could not be taken over"),
        [&]() -> std::optional<std::string> {
            IParameters& parameters = context.Parameters();
            IPrivateDataElement* busMaster = parameters.Item(kBusMasterConfigurationPartPath);
            IPrivateDataElement* wholeString = parameters.Item(kWholeStringPath);
            if (busMaster == nullptr || wholeString == nullptr)
                return "the data set has no cyclic configuration";
            const Variant value = busMaster->TransientValue();
            if (!value.isByteArray())
                return "the bus master configuration holds no bytes";
            const std::vector<uint8_t>& bytes = value.bytes().bytes;
            if (std::optional<std::string> problem = CheckSlaveBusParamSet(bytes))
                return problem;
            IChannels& channels = parameters.Channels();
            for (const ChannelDefinition& row : kChannels) {
                if (dynamic_cast<clsChannel*>(channels.Item(row.id)) == nullptr)
                    return std::string("the data set has no process channel ") + row.id;
            }
            // Identifiers of no configuration of the device switch every channel off.
            const std::string identifiers = IdentifiersOf(bytes);
            const Configuration* found = nullptr;
            for (const Configuration& cfg : Configurations()) {
                if (identifiers == cfg.identifier)
                    found = &cfg;
            }
            for (const ChannelDefinition& row : kChannels)
                channels.Item(row.id)->SetActive(false);
            if (found != nullptr) {
                int16_t position = 0;
                for (const char* id : found->outputs)
                    position = ActivateChannel(parameters, id, position);
                position = 0;
                for (const char* id : found->inputs)
                    position = ActivateChannel(parameters, id, position);
            }
            const std::string text = BytesToHexString(value);
            const Variant& current = wholeString->TransientValue();
            if (!current.isString() || current.str() != text) {
                wholeString->SetTransientValue(Variant(text));
                parameters.ElementChanged(*wholeString, "");
            }
            return std::nullopt;
        });
}

int16_t ActivateChannel(IParameters& parameters, const std::string& channelId, int16_t position) {
    auto* channel = dynamic_cast<clsChannel*>(parameters.Channels().Item(channelId));
    if (channel == nullptr)
        throw std::runtime_error("the data set has no process channel " + channelId);
    channel->SetActive(true);
    IProfibusChannelParameter& parameter = channel->ProfibusChannelParameter();
    parameter.SetBitPosition(Variant(position));
    return Variant(int32_t{position} + parameter.BitLength().toInteger()).toInteger();
}

}  // namespace kv
