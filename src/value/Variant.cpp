// Variant: subtype checks, conversions with the original language's rules, comparisons.

#include "value/Variant.h"

#include <atomic>
#include <cfloat>
#include <cmath>
#include <new>

#include "value/Date.h"
#include "value/NumberText.h"
#include "value/Text.h"
#include "value/ValueDetail.h"

namespace kv {

using detail::NumStatus;
using detail::Raise;

namespace {

// The earliest and the day after the latest date the original Date type holds (100-01-01 and
// 9999-12-31).
constexpr double kMinDate = -657434.0;
constexpr double kEndDate = 2958466.0;

template <typename T>
T RoundedInRange(double v, double lo, double hi) {
    double r = RoundHalfEven(v);
    if (!(r >= lo && r <= hi)) {
        Raise(VbErr::Overflow);
    }
    return static_cast<T>(r);
}

bool IsTrueText(const std::string& s) {
    return EqualsNoCase(s, "True");
}
bool IsFalseText(const std::string& s) {
    return EqualsNoCase(s, "False");
}

double TextToNumber(const std::string& text, const NumberLocale& loc) {
    double v = 0;
    switch (detail::ReadNumberText(text, loc, v)) {
        case NumStatus::Ok:
            return v;
        case NumStatus::Overflow:
            Raise(VbErr::Overflow);
        case NumStatus::Bad:
            break;
    }
    Raise(VbErr::TypeMismatch);
}

const std::string& EmptyText() {
    static const std::string empty;
    return empty;
}

}  // namespace

// The shared, immutable body of a text or byte array. Copies of a value share it; the count is
// atomic so that values may be handed between threads.
struct Variant::Payload {
    mutable std::atomic<uint32_t> refs{1};
};

struct Variant::TextPayload : Variant::Payload {
    explicit TextPayload(std::string s) : text(std::move(s)) {}
    std::string text;
};

struct Variant::ArrayPayload : Variant::Payload {
    explicit ArrayPayload(ByteArray a) : array(std::move(a)) {}
    ByteArray array;
};

Variant::TextPayload& Variant::Text() const {
    return *static_cast<TextPayload*>(Ptr());
}

Variant::ArrayPayload& Variant::Array() const {
    return *static_cast<ArrayPayload*>(Ptr());
}

Variant::Variant(std::string s) : type_(VarType::String) {
    if (!s.empty()) {
        Payload* p = new TextPayload(std::move(s));
        raw_ = reinterpret_cast<uintptr_t>(p);
    }
}

Variant::Variant(ByteArray a) : type_(VarType::ByteArray) {
    Payload* p = new ArrayPayload(std::move(a));
    raw_ = reinterpret_cast<uintptr_t>(p);
}

void Variant::Retain() const noexcept {
    Ptr()->refs.fetch_add(1, std::memory_order_relaxed);
}

void Variant::Release() noexcept {
    Payload* p = Ptr();
    if (p->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        if (type_ == VarType::String)
            delete static_cast<TextPayload*>(p);
        else
            delete static_cast<ArrayPayload*>(p);
    }
    raw_ = 0;
}

Variant Variant::FromDate(double days) {
    Variant v(days);
    v.type_ = VarType::Date;
    return v;
}

Variant Variant::FromDecimal(double value) {
    Variant v(value);
    v.type_ = VarType::Decimal;
    return v;
}

bool Variant::isNumber() const {
    switch (type_) {
        case VarType::Byte:
        case VarType::Integer:
        case VarType::Long:
        case VarType::Single:
        case VarType::Double:
        case VarType::Decimal:
        case VarType::Boolean:
        case VarType::Date:
            return true;
        default:
            return false;
    }
}

bool Variant::isIntegral() const {
    return type_ == VarType::Byte || type_ == VarType::Integer || type_ == VarType::Long ||
           type_ == VarType::Boolean;
}

const std::string& Variant::str() const {
    if (type_ != VarType::String) {
        Raise(VbErr::TypeMismatch);
    }
    return raw_ != 0 ? Text().text : EmptyText();
}

const ByteArray& Variant::bytes() const {
    if (type_ != VarType::ByteArray) {
        Raise(VbErr::TypeMismatch);
    }
    return Array().array;
}

ByteArray& Variant::bytes() {
    if (type_ != VarType::ByteArray) {
        Raise(VbErr::TypeMismatch);
    }
    // The caller may change the array: a shared one is copied first.
    if (Ptr()->refs.load(std::memory_order_acquire) != 1) {
        Payload* own = new ArrayPayload(Array().array);
        Release();
        raw_ = reinterpret_cast<uintptr_t>(own);
    }
    return Array().array;
}

double Variant::number() const {
    switch (type_) {
        case VarType::Boolean:
            return Bool() ? -1.0 : 0.0;
        case VarType::Byte:
        case VarType::Integer:
        case VarType::Long:
            return static_cast<double>(Int());
        case VarType::Single:
        case VarType::Double:
        case VarType::Decimal:
        case VarType::Date:
            return Dbl();
        default:
            return 0;
    }
}

double Variant::toDouble(const NumberLocale& loc) const {
    switch (type_) {
        case VarType::Empty:
            return 0;
        case VarType::Null:
            Raise(VbErr::InvalidNull);
        case VarType::String:
            return TextToNumber(str(), loc);
        case VarType::ByteArray:
            Raise(VbErr::TypeMismatch);
        default:
            return number();
    }
}

float Variant::toSingle(const NumberLocale& loc) const {
    double v = toDouble(loc);
    if (std::fabs(v) > FLT_MAX) {
        Raise(VbErr::Overflow);
    }
    return static_cast<float>(v);
}

uint8_t Variant::toByte() const {
    // True is stored as all bits set, so as a Byte it reads 255 rather than overflowing.
    if (type_ == VarType::Boolean) {
        return Bool() ? 255 : 0;
    }
    return RoundedInRange<uint8_t>(toDouble(), 0, 255);
}

int16_t Variant::toInteger() const {
    return RoundedInRange<int16_t>(toDouble(), -32768.0, 32767.0);
}

int32_t Variant::toLong() const {
    return RoundedInRange<int32_t>(toDouble(), -2147483648.0, 2147483647.0);
}

bool Variant::toBool() const {
    if (type_ == VarType::String) {
        const std::string& s = str();
        if (IsTrueText(s)) {
            return true;
        }
        if (IsFalseText(s)) {
            return false;
        }
    }
    if (type_ == VarType::Boolean) {
        return Bool();
    }
    return toDouble() != 0;
}

double Variant::toDate() const {
    if (type_ == VarType::String) {
        const std::optional<double> days = ParseIsoDate(str());
        if (!days) {
            Raise(VbErr::TypeMismatch);
        }
        return *days;
    }
    const double days = toDouble();
    if (!(days >= kMinDate && days < kEndDate)) {
        Raise(VbErr::Overflow);
    }
    return days;
}

std::string Variant::toString(const NumberLocale& loc) const {
    switch (type_) {
        case VarType::Empty:
            return {};
        case VarType::Null:
            Raise(VbErr::InvalidNull);
        case VarType::Boolean:
            return Bool() ? "True" : "False";
        case VarType::Byte:
        case VarType::Integer:
        case VarType::Long:
            return std::to_string(Int());
        case VarType::Single:
            return detail::GeneralText(number(), 7, loc.decimal, false);
        case VarType::Double:
        case VarType::Decimal:
            return detail::GeneralText(number(), 15, loc.decimal, false);
        case VarType::Date:
            return DateToIsoText(number());
        case VarType::String:
            return str();
        case VarType::ByteArray:
            break;
    }
    Raise(VbErr::TypeMismatch);
}

Variant Variant::convertTo(VarType t, const NumberLocale& loc) const {
    switch (t) {
        case VarType::Empty:
            return Variant();
        case VarType::Null:
            return Variant::Null();
        case VarType::Integer:
            return Variant(toInteger());
        case VarType::Long:
            return Variant(toLong());
        case VarType::Single:
            return Variant(toSingle(loc));
        case VarType::Double:
            return Variant(toDouble(loc));
        case VarType::Date:
            return FromDate(toDate());
        case VarType::String:
            return Variant(toString(loc));
        case VarType::Boolean:
            return Variant(toBool());
        case VarType::Decimal:
            return FromDecimal(toDouble(loc));
        case VarType::Byte:
            return Variant(toByte());
        case VarType::ByteArray:
            if (type_ == VarType::Null) {
                Raise(VbErr::InvalidNull);
            }
            if (type_ != VarType::ByteArray) {
                Raise(VbErr::TypeMismatch);
            }
            return *this;
    }
    Raise(VbErr::TypeMismatch);
}

bool Variant::looseEquals(const Variant& o) const {
    if (isNull() || o.isNull()) {
        return false;
    }
    if (isEmpty() || o.isEmpty()) {
        const Variant& x = isEmpty() ? o : *this;
        if (x.isEmpty()) {
            return true;
        }
        if (x.isString()) {
            return x.str().empty();
        }
        return x.isNumber() && x.number() == 0;
    }
    if (isByteArray() || o.isByteArray()) {
        return isByteArray() && o.isByteArray() && bytes() == o.bytes();
    }
    if (isString() && o.isString()) {
        return str() == o.str();
    }
    if (isNumber() && o.isNumber()) {
        return number() == o.number();
    }
    // A number and a text: compare as numbers when the text reads as one.
    const Variant& num = isNumber() ? *this : o;
    const std::string& text = isString() ? str() : o.str();
    double v = 0;
    if (detail::ReadNumberText(text, NumberLocale::Invariant(), v) == NumStatus::Ok) {
        if (num.type() == VarType::Single) {
            return static_cast<float>(v) == static_cast<float>(num.number());
        }
        return v == num.number();
    }
    if (num.isBoolean()) {
        return (IsTrueText(text) && num.number() != 0) || (IsFalseText(text) && num.number() == 0);
    }
    return false;
}

bool Variant::operator==(const Variant& o) const {
    if (type_ != o.type_) {
        return false;
    }
    switch (type_) {
        case VarType::Empty:
        case VarType::Null:
            return true;
        case VarType::Boolean:
            return Bool() == o.Bool();
        case VarType::Byte:
        case VarType::Integer:
        case VarType::Long:
            return Int() == o.Int();
        case VarType::Single:
        case VarType::Double:
        case VarType::Decimal:
        case VarType::Date:
            return Dbl() == o.Dbl();
        case VarType::String:
            return raw_ == o.raw_ || str() == o.str();
        case VarType::ByteArray:
            return raw_ == o.raw_ || bytes() == o.bytes();
    }
    return false;
}

bool IsNumeric(const Variant& v, const NumberLocale& loc) {
    switch (v.type()) {
        case VarType::Empty:
            return true;
        case VarType::Null:
        case VarType::Date:
        case VarType::ByteArray:
            return false;
        case VarType::String: {
            double x = 0;
            return detail::ReadNumberText(v.str(), loc, x) == NumStatus::Ok;
        }
        default:
            return v.isNumber();
    }
}

}  // namespace kv
