// Variant: subtype checks, conversions, comparisons.

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

std::optional<float> NearestSingle(double x) {
    // Halfway between FLT_MAX and 2^128: from here on a number rounds to infinity.
    constexpr double kRoundsToInfinity = 0x1.ffffffp127;
    if (std::isnan(x))
        return static_cast<float>(x);
    if (!(std::fabs(x) < kRoundsToInfinity))
        return std::nullopt;
    if (std::fabs(x) > FLT_MAX)
        return x > 0 ? FLT_MAX : -FLT_MAX;
    return static_cast<float>(x);
}

namespace {

bool IsTrueText(const std::string& s) {
    return EqualsNoCase(s, "True");
}
bool IsFalseText(const std::string& s) {
    return EqualsNoCase(s, "False");
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

// --- conversions ---
//
// Each conversion has one core, written over what it does with an error: the throwing forms
// raise it, the try forms note it and answer with no value. A core that met an error returns at
// once with a placeholder value, which the try forms drop.

namespace {

struct RaiseError {
    [[noreturn]] void operator()(VbErr number) const { Raise(number); }
    static constexpr bool failed() { return false; }
};

struct NoteError {
    void operator()(VbErr) { failed_ = true; }
    bool failed() const { return failed_; }
    // The value a core gave, or none when it met an error.
    template <typename T>
    std::optional<T> Checked(T value) const {
        if (failed_) {
            return std::nullopt;
        }
        return value;
    }
    bool failed_ = false;
};

}  // namespace

// The cores, with the access to the stored value that the subtypes' own rules need.
struct VariantConversions {
    template <typename Fail>
    static double TextToNumber(const std::string& text, const NumberLocale& loc, Fail& fail) {
        double v = 0;
        switch (detail::ReadNumberText(text, loc, v)) {
            case NumStatus::Ok:
                return v;
            case NumStatus::Overflow:
                fail(VbErr::Overflow);
                return 0;
            case NumStatus::Bad:
                break;
        }
        fail(VbErr::TypeMismatch);
        return 0;
    }

    template <typename Fail>
    static double DoubleOf(const Variant& v, const NumberLocale& loc, Fail& fail) {
        switch (v.type()) {
            case VarType::Empty:
                return 0;
            case VarType::Null:
                fail(VbErr::InvalidNull);
                return 0;
            case VarType::String:
                return TextToNumber(v.str(), loc, fail);
            case VarType::ByteArray:
                fail(VbErr::TypeMismatch);
                return 0;
            default:
                return v.number();
        }
    }

    template <typename Fail>
    static float SingleOf(const Variant& v, const NumberLocale& loc, Fail& fail) {
        const double d = DoubleOf(v, loc, fail);
        if (fail.failed()) {
            return 0;
        }
        const std::optional<float> single = NearestSingle(d);
        if (!single) {
            fail(VbErr::Overflow);
            return 0;
        }
        return *single;
    }

    template <typename T, typename Fail>
    static T RoundedInRange(const Variant& v, double lo, double hi, Fail& fail) {
        const double d = DoubleOf(v, NumberLocale::Invariant(), fail);
        if (fail.failed()) {
            return 0;
        }
        const double r = RoundHalfEven(d);
        if (!(r >= lo && r <= hi)) {
            fail(VbErr::Overflow);
            return 0;
        }
        return static_cast<T>(r);
    }

    template <typename Fail>
    static uint8_t ByteOf(const Variant& v, Fail& fail) {
        // True is stored as all bits set, so as a Byte it reads 255 rather than overflowing.
        if (v.isBoolean()) {
            return v.Bool() ? 255 : 0;
        }
        return RoundedInRange<uint8_t>(v, 0, 255, fail);
    }

    template <typename Fail>
    static int16_t IntegerOf(const Variant& v, Fail& fail) {
        return RoundedInRange<int16_t>(v, -32768.0, 32767.0, fail);
    }

    template <typename Fail>
    static int32_t LongOf(const Variant& v, Fail& fail) {
        return RoundedInRange<int32_t>(v, -2147483648.0, 2147483647.0, fail);
    }

    template <typename Fail>
    static bool BoolOf(const Variant& v, Fail& fail) {
        if (v.isString()) {
            if (IsTrueText(v.str())) {
                return true;
            }
            if (IsFalseText(v.str())) {
                return false;
            }
        }
        if (v.isBoolean()) {
            return v.Bool();
        }
        return DoubleOf(v, NumberLocale::Invariant(), fail) != 0;
    }

    template <typename Fail>
    static double DateOf(const Variant& v, Fail& fail) {
        if (v.isString()) {
            const std::optional<double> days = ParseIsoDate(v.str());
            if (!days) {
                fail(VbErr::TypeMismatch);
                return 0;
            }
            return *days;
        }
        const double days = DoubleOf(v, NumberLocale::Invariant(), fail);
        if (!fail.failed() && !IsDateInRange(days)) {
            fail(VbErr::Overflow);
            return 0;
        }
        return days;
    }

    template <typename Fail>
    static std::string StringOf(const Variant& v, const NumberLocale& loc, Fail& fail) {
        switch (v.type()) {
            case VarType::Empty:
                return {};
            case VarType::Null:
                fail(VbErr::InvalidNull);
                return {};
            case VarType::Boolean:
                return v.Bool() ? "True" : "False";
            case VarType::Byte:
            case VarType::Integer:
            case VarType::Long:
                return std::to_string(v.Int());
            case VarType::Single:
                return detail::GeneralText(v.number(), 7, loc.decimal, false);
            case VarType::Double:
            case VarType::Decimal:
                return detail::GeneralText(v.number(), 15, loc.decimal, false);
            case VarType::Date:
                if (!IsDateInRange(v.number())) {
                    fail(VbErr::Overflow);
                    return {};
                }
                return DateToIsoText(v.number());
            case VarType::String:
                return v.str();
            case VarType::ByteArray:
                break;
        }
        fail(VbErr::TypeMismatch);
        return {};
    }

    template <typename Fail>
    static Variant ConvertedTo(const Variant& v, VarType t, const NumberLocale& loc, Fail& fail) {
        switch (t) {
            case VarType::Empty:
                return Variant();
            case VarType::Null:
                return Variant::Null();
            case VarType::Integer:
                return Variant(IntegerOf(v, fail));
            case VarType::Long:
                return Variant(LongOf(v, fail));
            case VarType::Single:
                return Variant(SingleOf(v, loc, fail));
            case VarType::Double:
                return Variant(DoubleOf(v, loc, fail));
            case VarType::Date:
                return Variant::FromDate(DateOf(v, fail));
            case VarType::String:
                return Variant(StringOf(v, loc, fail));
            case VarType::Boolean:
                return Variant(BoolOf(v, fail));
            case VarType::Decimal:
                return Variant::FromDecimal(DoubleOf(v, loc, fail));
            case VarType::Byte:
                return Variant(ByteOf(v, fail));
            case VarType::ByteArray:
                if (v.isNull()) {
                    fail(VbErr::InvalidNull);
                    return Variant();
                }
                if (!v.isByteArray()) {
                    fail(VbErr::TypeMismatch);
                    return Variant();
                }
                return v;
        }
        fail(VbErr::TypeMismatch);
        return Variant();
    }
};

uint8_t Variant::toByte() const {
    RaiseError fail;
    return VariantConversions::ByteOf(*this, fail);
}
int16_t Variant::toInteger() const {
    RaiseError fail;
    return VariantConversions::IntegerOf(*this, fail);
}
int32_t Variant::toLong() const {
    RaiseError fail;
    return VariantConversions::LongOf(*this, fail);
}
float Variant::toSingle(const NumberLocale& loc) const {
    RaiseError fail;
    return VariantConversions::SingleOf(*this, loc, fail);
}
double Variant::toDouble(const NumberLocale& loc) const {
    RaiseError fail;
    return VariantConversions::DoubleOf(*this, loc, fail);
}
bool Variant::toBool() const {
    RaiseError fail;
    return VariantConversions::BoolOf(*this, fail);
}
double Variant::toDate() const {
    RaiseError fail;
    return VariantConversions::DateOf(*this, fail);
}
std::string Variant::toString(const NumberLocale& loc) const {
    RaiseError fail;
    return VariantConversions::StringOf(*this, loc, fail);
}
Variant Variant::convertTo(VarType t, const NumberLocale& loc) const {
    RaiseError fail;
    return VariantConversions::ConvertedTo(*this, t, loc, fail);
}

std::optional<uint8_t> Variant::tryByte() const {
    NoteError fail;
    return fail.Checked(VariantConversions::ByteOf(*this, fail));
}
std::optional<int16_t> Variant::tryInteger() const {
    NoteError fail;
    return fail.Checked(VariantConversions::IntegerOf(*this, fail));
}
std::optional<int32_t> Variant::tryLong() const {
    NoteError fail;
    return fail.Checked(VariantConversions::LongOf(*this, fail));
}
std::optional<float> Variant::trySingle(const NumberLocale& loc) const {
    NoteError fail;
    return fail.Checked(VariantConversions::SingleOf(*this, loc, fail));
}
std::optional<double> Variant::tryDouble(const NumberLocale& loc) const {
    NoteError fail;
    return fail.Checked(VariantConversions::DoubleOf(*this, loc, fail));
}
std::optional<bool> Variant::tryBool() const {
    NoteError fail;
    return fail.Checked(VariantConversions::BoolOf(*this, fail));
}
std::optional<double> Variant::tryDate() const {
    NoteError fail;
    return fail.Checked(VariantConversions::DateOf(*this, fail));
}
std::optional<std::string> Variant::tryString(const NumberLocale& loc) const {
    NoteError fail;
    return fail.Checked(VariantConversions::StringOf(*this, loc, fail));
}
std::optional<Variant> Variant::tryConvertTo(VarType t, const NumberLocale& loc) const {
    NoteError fail;
    return fail.Checked(VariantConversions::ConvertedTo(*this, t, loc, fail));
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
