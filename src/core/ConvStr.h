#pragma once
// Hex text and byte arrays.

#include <optional>
#include <string>

#include "value/Variant.h"

namespace kv {

// Empty for an empty text, else a byte array indexed from 0; an odd last digit is the high
// nibble of the last byte. A character that is not a hex digit throws a type mismatch.
Variant HexStringToBytes(const std::string& text);
// The same conversion for callers to whom a text that is no hex text is an answer: no value.
std::optional<Variant> TryHexStringToBytes(const std::string& text);
// Two upper-case hex digits per byte; an empty text for anything but a byte array.
std::string BytesToHexString(const Variant& value);

}  // namespace kv
