#pragma once
// The DTM-level elements of the data set (those outside the device's blocks, built with the
// model) and the values of "~/DataStatus".

#include <cstdint>

namespace kv {

// Paths of the DTM-level elements.
inline constexpr const char* kTagPath = "~/Tag";
inline constexpr const char* kAddressPath = "~/Address";
inline constexpr const char* kLocalAddressPath = "~/LocalAddress";
inline constexpr const char* kBusMasterConfigurationPartPath = "~/BusMasterConfigurationPart";
inline constexpr const char* kDataStatusPath = "~/DataStatus";
inline constexpr const char* kCycleIntervalPath = "~/CycleInterval";
inline constexpr const char* kCfgDataPath = "SlaveBusParamSet_CfgData";
inline constexpr const char* kWholeStringPath = "SlaveBusParamSet_WholeString";
inline constexpr const char* kProtectedByChannelAssignmentPath = "ProtectedByChannelAssignment";

// The state of the whole data set that "~/DataStatus" holds and the main window shows.
enum enumDataState : uint8_t {
    edsInitial = 0,     // no element holds a stored or a device value
    edsDatabase = 1,    // every compared element equals its stored value
    edsDevice = 2,      // every transferred element equals its device value
    edsChanged = 3,     // an element was changed since
    edsIndefinite = 4,  // stored and device values mixed
};
// Two more values of "~/DataStatus", without a name in enumDataState: some elements equal their
// stored values and none a device value (5), or the other way round (6).
inline constexpr uint8_t kDataStatusSomeStored = 5;
inline constexpr uint8_t kDataStatusSomeDevice = 6;

}  // namespace kv
