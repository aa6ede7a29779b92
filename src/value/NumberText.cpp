// Number reading and writing: Val, Str, CStr's general form, locale texts and Format patterns.
// Everything here is independent of the C library's locale (to_chars/from_chars only).

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "value/NumberText.h"
#include "value/Text.h"
#include "value/ValueDetail.h"

namespace kv {

namespace detail {

void Raise(VbErr number) {
    switch (number) {
        case VbErr::InvalidCall:
            throw VbError(number, "Invalid procedure call or argument");
        case VbErr::Overflow:
            throw VbError(number, "Overflow");
        case VbErr::SubscriptRange:
            throw VbError(number, "Subscript out of range");
        case VbErr::TypeMismatch:
            throw VbError(number, "Type mismatch");
        case VbErr::InvalidNull:
            throw VbError(number, "Invalid use of Null");
    }
    throw VbError(number, "Error");
}

}  // namespace detail

using detail::NumStatus;

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// |v| as significant decimal digits (trailing zeros removed) and the exponent of the first one.
struct Digits {
    std::string digits;
    int exp = 0;
};

// The digits and exponent of a number that to_chars wrote in scientific form.
Digits DigitsOf(std::string_view s) {
    Digits d;
    size_t e = s.find('e');
    for (char c : s.substr(0, e)) {
        if (IsDigit(c)) {
            d.digits += c;
        }
    }
    while (d.digits.size() > 1 && d.digits.back() == '0') {
        d.digits.pop_back();
    }
    std::string_view es = s.substr(e + 1);
    bool neg = es.front() == '-';
    std::from_chars(es.data() + 1, es.data() + es.size(), d.exp);
    if (neg) {
        d.exp = -d.exp;
    }
    return d;
}

Digits SignificantDigits(double v, int precision) {
    if (v == 0) {
        return Digits{"0", 0};
    }
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific,
                           precision - 1);
    return DigitsOf(std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
}

// The fewest digits of a non-zero single that read back as that single.
Digits ShortestDigits(float v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific);
    return DigitsOf(std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
}

// The general form of a non-zero number's digits: with an exponent from the given digit count
// on and below 1E-04, else plain with the separator.
std::string LaidOut(bool negative, const Digits& d, int digits, char separator,
                    bool dropLeadingZero) {
    std::string out = negative ? "-" : "";
    const int len = static_cast<int>(d.digits.size());
    if (d.exp >= digits || d.exp < -4) {
        out += d.digits[0];
        if (len > 1) {
            out += separator;
            out.append(d.digits, 1);
        }
        out += d.exp < 0 ? "E-" : "E+";
        int a = std::abs(d.exp);
        if (a < 10) {
            out += '0';
        }
        out += std::to_string(a);
    } else if (d.exp >= 0) {
        const int intLen = d.exp + 1;
        if (len <= intLen) {
            out += d.digits;
            out.append(static_cast<size_t>(intLen - len), '0');
        } else {
            out.append(d.digits, 0, static_cast<size_t>(intLen));
            out += separator;
            out.append(d.digits, static_cast<size_t>(intLen));
        }
    } else {
        if (!dropLeadingZero) {
            out += '0';
        }
        out += separator;
        out.append(static_cast<size_t>(-d.exp - 1), '0');
        out += d.digits;
    }
    return out;
}

// Builds a double from decimal parts. Results too large report Overflow; too small become 0.
NumStatus DecimalToDouble(bool neg, const std::string& intDigits, const std::string& fracDigits,
                          long exp, double& out) {
    std::string text = intDigits.empty() ? "0" : intDigits;
    if (!fracDigits.empty()) {
        text += '.';
        text += fracDigits;
    }
    text += 'e';
    text += std::to_string(exp);
    double v = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // Decimal magnitude: position of the first significant digit plus the exponent.
        size_t lead = intDigits.find_first_not_of('0');
        long magnitude;
        if (lead != std::string::npos) {
            magnitude = static_cast<long>(intDigits.size() - lead) + exp;
        } else {
            size_t z = fracDigits.find_first_not_of('0');
            magnitude = -static_cast<long>(z == std::string::npos ? fracDigits.size() : z) + exp;
        }
        if (magnitude > 0) {
            return NumStatus::Overflow;
        }
        v = 0;
    } else if (r.ec != std::errc() || !std::isfinite(v)) {
        return NumStatus::Overflow;
    }
    out = neg ? -v : v;
    return NumStatus::Ok;
}

// Reads an exponent's digits, saturating far beyond any double's range.
long ReadExponentDigits(std::string_view s, size_t& i) {
    long exp = 0;
    while (i < s.size() && IsDigit(s[i])) {
        exp = std::min(exp * 10 + (s[i] - '0'), 100000L);
        ++i;
    }
    return exp;
}

// Reads "&H..." or "&O..." at 'pos'. Values up to 16 bits read as Integer, up to 32 bits as Long
// (so "&HFFFF" is -1 and "&H10000" is 65536); more raise an overflow.
NumStatus ReadRadixLiteral(std::string_view s, size_t& pos, double& out) {
    if (pos + 1 >= s.size() || s[pos] != '&') {
        return NumStatus::Bad;
    }
    char kind = static_cast<char>(s[pos + 1] | 0x20);
    int radix = kind == 'h' ? 16 : kind == 'o' ? 8 : 0;
    if (radix == 0) {
        return NumStatus::Bad;
    }
    size_t i = pos + 2;
    uint64_t value = 0;
    bool any = false;
    bool overflow = false;
    while (i < s.size()) {
        char c = s[i];
        int digit;
        if (IsDigit(c)) {
            digit = c - '0';
        } else if (radix == 16 && (c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
            digit = (c | 0x20) - 'a' + 10;
        } else {
            break;
        }
        if (digit >= radix) {
            break;
        }
        value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(digit);
        overflow = overflow || value > 0xFFFFFFFFu;
        any = true;
        ++i;
    }
    if (!any) {
        return NumStatus::Bad;
    }
    pos = i;
    if (overflow) {
        return NumStatus::Overflow;
    }
    if (value <= 0xFFFF) {
        out = static_cast<int16_t>(static_cast<uint16_t>(value));
    } else {
        out = static_cast<int32_t>(static_cast<uint32_t>(value));
    }
    return NumStatus::Ok;
}

// How a decimal number is written: its decimal separator; a separator of digit groups, skipped
// between the digits before the decimal separator (0: none); a second decimal separator, taken
// where it cannot separate digit groups (0: none); and whether "D" marks an exponent as "E" does.
struct NumberForm {
    char decimal = '.';
    char group = 0;
    char otherDecimal = 0;
    bool dExponent = true;
};

// Reads a whole text (blanks around it allowed) as one decimal number of the form.
NumStatus ScanNumber(std::string_view text, const NumberForm& form, double& out) {
    std::string_view s = Trim(text, " \t");
    size_t i = 0;
    const size_t n = s.size();
    bool neg = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        neg = s[i] == '-';
        ++i;
    }
    std::string intDigits;
    std::string fracDigits;
    while (i < n) {
        char c = s[i];
        if (IsDigit(c)) {
            intDigits += c;
            ++i;
        } else if (form.group != 0 && c == form.group && c != form.decimal && !intDigits.empty() &&
                   i + 1 < n && IsDigit(s[i + 1])) {
            ++i;
        } else {
            break;
        }
    }
    char separator = 0;
    if (i < n && (s[i] == form.decimal || (form.otherDecimal != 0 && s[i] == form.otherDecimal))) {
        separator = s[i++];
        while (i < n && IsDigit(s[i])) {
            fracDigits += s[i++];
        }
    }
    if (intDigits.empty() && fracDigits.empty()) {
        return NumStatus::Bad;
    }
    long exp = 0;
    if (i < n && ((s[i] | 0x20) == 'e' || (form.dExponent && (s[i] | 0x20) == 'd'))) {
        ++i;
        bool expNeg = false;
        if (i < n && (s[i] == '+' || s[i] == '-')) {
            expNeg = s[i] == '-';
            ++i;
        }
        size_t start = i;
        exp = ReadExponentDigits(s, i);
        if (i == start) {
            return NumStatus::Bad;
        }
        if (expNeg) {
            exp = -exp;
        }
    }
    if (i != n) {
        return NumStatus::Bad;
    }
    // The second separator between a group of one to three digits (not starting with 0) and
    // exactly three digits may as well separate thousands: "1.234" is no number then.
    if (separator != 0 && separator != form.decimal && !intDigits.empty() &&
        intDigits.size() <= 3 && intDigits[0] != '0' && fracDigits.size() == 3) {
        return NumStatus::Bad;
    }
    return DecimalToDouble(neg, intDigits, fracDigits, exp, out);
}

NumStatus ParseLocaleNumber(std::string_view text, const NumberLocale& loc, double& out) {
    return ScanNumber(text, NumberForm{loc.decimal, loc.group, 0, true}, out);
}

// Adds one unit in the last place of a decimal digit string; returns false when it carries out.
bool IncrementDigits(std::string& digits) {
    for (size_t k = digits.size(); k-- > 0;) {
        if (digits[k] != '9') {
            ++digits[k];
            return true;
        }
        digits[k] = '0';
    }
    return false;
}

}  // namespace

namespace detail {

NumStatus ReadNumberText(const std::string& text, const NumberLocale& loc, double& out) {
    NumStatus s = ParseLocaleNumber(text, loc, out);
    if (s != NumStatus::Bad) {
        return s;
    }
    std::string_view t = Trim(text, " \t");
    size_t pos = 0;
    s = ReadRadixLiteral(t, pos, out);
    return s == NumStatus::Ok && pos != t.size() ? NumStatus::Bad : s;
}

std::string GeneralText(double v, int digits, char separator, bool dropLeadingZero) {
    if (std::isnan(v)) {
        return "NaN";
    }
    if (std::isinf(v)) {
        return v < 0 ? "-Inf" : "Inf";
    }
    if (v == 0) {
        return "0";
    }
    return LaidOut(v < 0, SignificantDigits(v, digits), digits, separator, dropLeadingZero);
}

}  // namespace detail

const NumberLocale& NumberLocale::Invariant() {
    static const NumberLocale invariant;
    return invariant;
}

double RoundHalfEven(double v) {
    if (!std::isfinite(v) || std::fabs(v) >= 4503599627370496.0) {  // 2^52: already integral
        return v;
    }
    double f = std::floor(v);
    double diff = v - f;
    if (diff > 0.5) {
        return f + 1;
    }
    if (diff < 0.5) {
        return f;
    }
    return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

std::optional<double> ParseNumber(const std::string& text, const NumberLocale& loc) {
    double v = 0;
    if (ParseLocaleNumber(text, loc, v) != NumStatus::Ok) {
        return std::nullopt;
    }
    return v;
}

std::optional<double> ParseInputNumber(const std::string& text, const NumberLocale& loc) {
    // The other of point and comma is a decimal mark where it can be nothing else.
    const char other = loc.decimal == ',' ? '.' : ',';
    double v = 0;
    if (ScanNumber(text, NumberForm{loc.decimal, 0, other, false}, v) != NumStatus::Ok) {
        return std::nullopt;
    }
    return v;
}

namespace {

// Val's reading of text into v; Overflow for a number beyond a double.
NumStatus ReadVal(const std::string& text, double& v) {
    std::string s;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') {
            s += c;
        }
    }
    size_t i = 0;
    if (!s.empty() && s[0] == '&') {
        const NumStatus st = ReadRadixLiteral(s, i, v);
        if (st == NumStatus::Bad) {
            v = 0;
            return NumStatus::Ok;
        }
        return st;
    }
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        neg = s[i] == '-';
        ++i;
    }
    std::string intDigits;
    std::string fracDigits;
    while (i < s.size() && IsDigit(s[i])) {
        intDigits += s[i++];
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            fracDigits += s[i++];
        }
    }
    if (intDigits.empty() && fracDigits.empty()) {
        v = 0;
        return NumStatus::Ok;
    }
    long exp = 0;
    if (i < s.size() && ((s[i] | 0x20) == 'e' || (s[i] | 0x20) == 'd')) {
        size_t j = i + 1;
        bool expNeg = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            expNeg = s[j] == '-';
            ++j;
        }
        size_t start = j;
        long e = ReadExponentDigits(s, j);
        if (j != start) {  // a marker without digits is not part of the number
            exp = expNeg ? -e : e;
        }
    }
    return DecimalToDouble(neg, intDigits, fracDigits, exp, v);
}

}  // namespace

double Val(const std::string& text) {
    double v = 0;
    if (ReadVal(text, v) != NumStatus::Ok) {
        detail::Raise(VbErr::Overflow);
    }
    return v;
}

std::optional<double> TryVal(const std::string& text) {
    double v = 0;
    if (ReadVal(text, v) != NumStatus::Ok) {
        return std::nullopt;
    }
    return v;
}

std::string Str(double value, bool singlePrecision) {
    std::string text = detail::GeneralText(value, singlePrecision ? 7 : 15, '.', true);
    return text[0] == '-' ? text : " " + text;
}

std::string InvariantNumberText(double value, bool singlePrecision) {
    if (singlePrecision && value != 0 && std::isfinite(value)) {
        if (const std::optional<float> single = NearestSingle(value))
            return LaidOut(*single < 0, ShortestDigits(*single), 7, '.', true);
    }
    return detail::GeneralText(value, singlePrecision ? 7 : 15, '.', true);
}

std::string FormatNumber(double value, const std::string& pattern, const NumberLocale& loc) {
    static constexpr const char* kPlaceholders = "0#.,";
    size_t first = pattern.find_first_of(kPlaceholders);
    if (first == std::string::npos) {
        return pattern.empty() ? detail::GeneralText(value, 15, loc.decimal, false) : pattern;
    }
    size_t last = pattern.find_last_of(kPlaceholders);
    std::string_view body(pattern.data() + first, last - first + 1);
    size_t point = body.find('.');
    std::string_view intPattern = body.substr(0, point);
    std::string_view fracPattern =
        point == std::string_view::npos ? std::string_view() : body.substr(point + 1);

    const size_t minInt =
        static_cast<size_t>(std::count(intPattern.begin(), intPattern.end(), '0'));
    const bool grouping = intPattern.find(',') != std::string_view::npos;
    const size_t reqFrac =
        static_cast<size_t>(std::count(fracPattern.begin(), fracPattern.end(), '0'));
    const size_t nFrac =
        reqFrac + static_cast<size_t>(std::count(fracPattern.begin(), fracPattern.end(), '#'));

    // Decimal digits of the value as CStr sees them (15 significant), rounded half away from zero.
    Digits d = SignificantDigits(value, 15);
    std::string intDigits;
    std::string fracDigits;
    if (d.exp >= 0) {
        const size_t intLen = static_cast<size_t>(d.exp) + 1;
        intDigits = d.digits.substr(0, intLen);
        intDigits.append(intLen - intDigits.size(), '0');
        if (d.digits.size() > intLen) {
            fracDigits = d.digits.substr(intLen);
        }
    } else {
        intDigits = "0";
        fracDigits = std::string(static_cast<size_t>(-d.exp - 1), '0') + d.digits;
    }
    if (fracDigits.size() > nFrac) {
        bool up = fracDigits[nFrac] >= '5';
        fracDigits.resize(nFrac);
        if (up) {
            std::string all = intDigits + fracDigits;
            if (!IncrementDigits(all)) {
                all.insert(all.begin(), '1');
            }
            intDigits = all.substr(0, all.size() - nFrac);
            fracDigits = all.substr(all.size() - nFrac);
        }
    }
    fracDigits.append(nFrac - fracDigits.size(), '0');

    intDigits.erase(0, intDigits.find_first_not_of('0'));
    if (intDigits.size() < minInt) {
        intDigits.insert(0, minInt - intDigits.size(), '0');
    }
    if (grouping) {
        for (size_t k = intDigits.size(); k > 3; k -= 3) {
            intDigits.insert(k - 3, 1, loc.group);
        }
    }
    while (fracDigits.size() > reqFrac && fracDigits.back() == '0') {
        fracDigits.pop_back();
    }

    std::string out = value < 0 ? "-" : "";
    out.append(pattern, 0, first);
    out += intDigits;
    if (point != std::string_view::npos) {
        out += loc.decimal;
        out += fracDigits;
    }
    out.append(pattern, last + 1);
    return out;
}

}  // namespace kv
