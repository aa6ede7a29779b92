#pragma once
// GUIDs as text and the case-insensitive match of process ids.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "value/Variant.h"

namespace kv {

using GUID = std::array<uint8_t, 16>;

// The class id registered for a ProgID; nullopt for a ProgID that is not registered.
std::optional<GUID> ProgIdToClsid(const std::string& progId);
// A new random GUID; nullopt when none can be made.
std::optional<GUID> CreateGuid();
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case; without braces when withBraces is False.
std::string GuidToString(const GUID& guid, const Variant& withBraces);
std::string NewGuidString(const Variant& withBraces = Variant(false));
// True when a is not empty and equals b ignoring case.
bool IsSameText(const std::string& a, const std::string& b);

}  // namespace kv
