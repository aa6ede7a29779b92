#pragma once
// GUIDs of the operating system: random ones for process ids and name-based class ids for the
// component's ProgIDs. A GUID is held as the 16 bytes of the COM structure (Data1, Data2 and Data3
// little-endian, then the eight bytes of Data4).

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kv::os {

using GuidBytes = std::array<uint8_t, 16>;

// A random version-4 GUID; nullopt when no random source could be read.
std::optional<GuidBytes> NewRandomGuid();

// The class id registered for a ProgID. The component registers "KV6274PA.<class name>" for its
// DTM object and its pages; every such ProgID (compared without regard to case, as registry keys
// are) has a fixed class id derived from its name. nullopt for any other ProgID.
std::optional<GuidBytes> ClassIdFromProgId(const std::string& progId);
// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX": upper-case hex digits of Data1, Data2, Data3 and Data4,
// without braces.
std::string GuidText(const GuidBytes& guid);

}  // namespace kv::os
