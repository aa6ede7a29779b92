#pragma once
// The device's process channels and its cyclic configuration: the 13 channels of the Analog
// Output block, the slave parameter set that the frame's bus master configuration takes, and the
// channels switched on by the configuration in use.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"

namespace kv {

// Creates the 13 process channels of the Analog Output block once every element exists; a second
// build starts from an empty collection.
void CreateChannels(IDTMContext& context);

// Rebuilds "SlaveBusParamSet_WholeString" from the configuration chosen in
// "SlaveBusParamSet_CfgData" (1 to 7; any other value: no configuration), and reports it only
// when its text changed. Throws when either element is missing.
void BuildSlaveBusParamSet(IParameters& parameters);

// Takes over the slave parameter set held in "~/BusMasterConfigurationPart": switches the
// channels of its configuration on, with their bit positions, and all others off, then puts the
// set's text into "SlaveBusParamSet_WholeString". The whole set is checked first (its length
// fields against its size, a parameter data length of 12, a known configuration or none); a
// set that fails, or a data set without the elements or channels, changes nothing. The reason
// of a refusal; nullopt when the set was taken. Never throws: it runs inside the change hook.
std::optional<std::string> ApplyBusMasterConfiguration(IDTMContext& context);

// Switches the channel on at the bit position and returns the position behind it (position +
// BitLength). Throws when the data set has no such channel.
int16_t ActivateChannel(IParameters& parameters, const std::string& channelId, int16_t position);

}  // namespace kv
