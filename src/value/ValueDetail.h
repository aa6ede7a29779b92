#pragma once
// Helpers shared by the value layer's source files; not part of its interface.

#include <string>

#include "value/Variant.h"

namespace kv::detail {

enum class NumStatus { Ok, Bad, Overflow };

// Reads a whole text as a number: the locale's number form or an &H/&O literal.
NumStatus ReadNumberText(const std::string& text, const NumberLocale& loc, double& out);

// General number text with up to 'digits' significant digits: fixed notation for decimal exponents
// from -5 (exclusive) to 'digits' (exclusive), "1.5E-07" style otherwise. With dropLeadingZero the
// zero before the separator of values between -1 and 1 is left out (Str).
std::string GeneralText(double v, int digits, char separator, bool dropLeadingZero);

[[noreturn]] void Raise(VbErr number);

}  // namespace kv::detail
