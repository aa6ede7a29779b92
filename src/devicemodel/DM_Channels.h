#pragma once
// The device's process channels and its cyclic configuration: the 13 channels of the Analog
// Output block, the slave parameter set that the frame's bus master configuration takes, and the
// channels switched on by the configuration in use.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"

namespace kv {

// Creates the 13 process channels of the Analog Output block once every element exists; a second
// build starts from an empty collection.
void CreateChannels(IDTMContext& context);

// The slave parameter set around configuration identifiers (hex text; "" for no configuration),
// as upper-case hex text: its length, flags, reserved bytes and parameter data, the identifiers
// with their length, the address table and the user data. The one layout that the build and
// the check share.
std::string SlaveBusParamSetText(const std::string& identifiers);

// Why bytes are no slave parameter set of the device: too short, a length field that does not
// match the byte count, or a field that differs from what SlaveBusParamSetText builds around
// the identifiers the set holds; nullopt when they are one (whatever its identifiers).
std::optional<std::string> CheckSlaveBusParamSet(const std::vector<uint8_t>& bytes);

// Rebuilds "SlaveBusParamSet_WholeString" from the configuration chosen in
// "SlaveBusParamSet_CfgData" (1 to 7; any other value: no configuration), and reports it only
// when its text changed. Throws when either element is missing.
void BuildSlaveBusParamSet(IParameters& parameters);

// Takes over the slave parameter set held in "~/BusMasterConfigurationPart": switches the
// channels of its configuration on, with their bit positions, and all others off (all of them
// when its identifiers are no configuration of the device), then puts the set's text into
// "SlaveBusParamSet_WholeString". A set that CheckSlaveBusParamSet refuses, or a data set
// without the elements or channels, changes nothing. The reason of a refusal; nullopt when the
// set was taken. Never throws: it runs inside the change hook.
std::optional<std::string> ApplyBusMasterConfiguration(IDTMContext& context);

// Switches the channel on at the bit position and returns the position behind it (position +
// BitLength). Throws when the data set has no such channel.
int16_t ActivateChannel(IParameters& parameters, const std::string& channelId, int16_t position);

}  // namespace kv
