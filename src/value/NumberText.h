#pragma once
// Numbers as texts: IsNumeric, Val and Str, the user's locale form, Format patterns and the
// banker's rounding of the integer conversions. Independent of the C library's locale.

#include <optional>
#include <string>

#include "value/Variant.h"

namespace kv {

// IsNumeric: numbers, Empty and texts that read completely as a number.
bool IsNumeric(const Variant& v, const NumberLocale& loc = NumberLocale::Invariant());

// Val: the locale-free numeric reader. Reads the longest leading number (blanks skipped, point as
// decimal separator, optional exponent, &H and &O prefixes) and ignores the rest; 0 when none.
double Val(const std::string& text);
// Val for callers to whom a number beyond a double is an answer: nullopt where Val raises.
std::optional<double> TryVal(const std::string& text);
// Str: the locale-free number-to-text conversion: a leading blank for non-negative numbers,
// point as separator, no digit before the point for values between -1 and 1.
std::string Str(double value, bool singlePrecision = false);
// Str without the leading blank: the invariant text form written to FDT documents. A single
// has the fewest digits that read back as the same single (up to nine; 0.1 stays ".1"), in
// the same form: an exponent from the eighth digit before the point on.
std::string InvariantNumberText(double value, bool singlePrecision = false);

// Reads a whole text as a number in the given locale (the locale's decimal separator, group
// separators allowed, leading and trailing blanks allowed); nullopt when it does not.
std::optional<double> ParseNumber(const std::string& text, const NumberLocale& loc);
// Reads a number as a user types it: the whole text (blanks around it allowed) one finite
// decimal number with an optional sign and exponent ("E"), its decimal separator the locale's;
// the other of point and comma is read as a decimal mark too, except where it may as well group
// thousands (one to three digits before it, exactly three after). nullopt for anything else:
// digit grouping, a second separator, &H literals, "NaN", "Inf", a number beyond a double.
std::optional<double> ParseInputNumber(const std::string& text, const NumberLocale& loc);

// Format with the numeric patterns the system uses: "0", "00", "0000", "0.0", "0.00", "0.0##",
// "#" and the like: '0' a digit always shown, '#' a digit shown when not zero, '.' the
// locale's separator. Halves round away from zero.
std::string FormatNumber(double value, const std::string& pattern,
                         const NumberLocale& loc = NumberLocale::Invariant());

// Banker's rounding of the integer conversions.
double RoundHalfEven(double v);

}  // namespace kv
