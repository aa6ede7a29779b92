#pragma once
// The one dynamic value type of the system. It keeps its subtype (Byte, Integer, Long, ...) the way
// stored project files and the device codec expect, and follows the comparison and conversion rules
// the data set relies on: Empty equals 0 and "", Null never compares equal and cannot be converted,
// integer conversions round half to even and raise an overflow error when the result does not fit.
// The number, text and date rules of the value layer are declared in NumberText.h, Text.h and
// Date.h.

#include <bit>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kv {

// Error numbers of the conversions, as callers and stored texts know them.
enum class VbErr : int {
    InvalidCall = 5,
    Overflow = 6,
    SubscriptRange = 9,
    TypeMismatch = 13,
    InvalidNull = 94,
};

class VbError : public std::runtime_error {
  public:
    VbError(VbErr number, const std::string& what) : std::runtime_error(what), number_(number) {}
    VbErr number() const { return number_; }

  private:
    VbErr number_;
};

enum class VarType : int {
    Empty = 0,
    Null = 1,
    Integer = 2,  // 16-bit signed
    Long = 3,     // 32-bit signed
    Single = 4,
    Double = 5,
    Date = 7,  // days since 1899-12-30, fraction = time of day
    String = 8,
    Boolean = 11,
    Decimal = 14,  // held as a double with the decimal subtype
    Byte = 17,
    ByteArray = 8209,  // array of Byte
};

// A byte array keeps its lower bound: arrays built from device data start at 0, those built from
// hex text may start elsewhere, and index arithmetic on them follows the bound.
struct ByteArray {
    std::vector<uint8_t> bytes;
    int32_t lbound = 0;
    int32_t ubound() const { return lbound + static_cast<int32_t>(bytes.size()) - 1; }
    bool operator==(const ByteArray& o) const { return bytes == o.bytes; }
};

// Number formatting conventions of a user locale. Invariant by default.
struct NumberLocale {
    char decimal = '.';
    char group = ',';
    static const NumberLocale& Invariant();
};

class Variant {
  public:
    Variant() noexcept = default;
    Variant(bool v) : type_(VarType::Boolean), raw_(v ? 1 : 0) {}
    Variant(uint8_t v) : type_(VarType::Byte), raw_(FromInt(v)) {}
    Variant(int16_t v) : type_(VarType::Integer), raw_(FromInt(v)) {}
    Variant(int32_t v) : type_(VarType::Long), raw_(FromInt(v)) {}
    Variant(float v) : type_(VarType::Single), raw_(std::bit_cast<uint64_t>(double{v})) {}
    Variant(double v) : type_(VarType::Double), raw_(std::bit_cast<uint64_t>(v)) {}
    Variant(const char* s) : Variant(std::string(s)) {}
    Variant(std::string s);
    Variant(ByteArray a);
    Variant(std::vector<uint8_t> bytes) : Variant(ByteArray{std::move(bytes), 0}) {}

    Variant(const Variant& o) noexcept : type_(o.type_), raw_(o.raw_) {
        if (o.HasPayload())
            Retain();
    }
    Variant(Variant&& o) noexcept : type_(o.type_), raw_(o.raw_) {
        o.type_ = VarType::Empty;
        o.raw_ = 0;
    }
    Variant& operator=(const Variant& o) noexcept {
        Variant copy(o);
        Swap(copy);
        return *this;
    }
    Variant& operator=(Variant&& o) noexcept {
        Variant moved(std::move(o));
        Swap(moved);
        return *this;
    }
    ~Variant() {
        if (HasPayload())
            Release();
    }

    static Variant Null() {
        Variant v;
        v.type_ = VarType::Null;
        return v;
    }
    static Variant Empty() { return Variant(); }
    static Variant FromDate(double days);
    static Variant FromDecimal(double v);

    VarType type() const { return type_; }
    bool isEmpty() const { return type_ == VarType::Empty; }
    bool isNull() const { return type_ == VarType::Null; }
    bool isString() const { return type_ == VarType::String; }
    bool isByteArray() const { return type_ == VarType::ByteArray; }
    bool isBoolean() const { return type_ == VarType::Boolean; }
    // Byte, Integer, Long, Single, Double, Decimal, Boolean and Date carry a number.
    bool isNumber() const;
    bool isFloat() const { return type_ == VarType::Single || type_ == VarType::Double; }
    bool isIntegral() const;

    // Direct access to the stored value; throws a type mismatch when the subtype differs.
    const std::string& str() const;
    const ByteArray& bytes() const;
    ByteArray& bytes();

    // Conversions. Null raises InvalidNull, text that does not read as a number raises
    // TypeMismatch, results out of range raise Overflow.
    uint8_t toByte() const;                                                      // CByte
    int16_t toInteger() const;                                                   // CInt
    int32_t toLong() const;                                                      // CLng
    float toSingle(const NumberLocale& loc = NumberLocale::Invariant()) const;   // CSng
    double toDouble(const NumberLocale& loc = NumberLocale::Invariant()) const;  // CDbl
    bool toBool() const;                                                         // CBool
    double toDate() const;  // CDate, as days since 1899-12-30
    // CStr: Single with up to 7, Double with up to 15 significant digits; Boolean as True/False.
    std::string toString(const NumberLocale& loc = NumberLocale::Invariant()) const;

    // Converts to the given subtype with the rules above.
    Variant convertTo(VarType t, const NumberLocale& loc = NumberLocale::Invariant()) const;

    // The same conversions with the same rules, for callers to whom a value that does not
    // convert is an answer rather than an error: no value where the forms above raise one.
    std::optional<uint8_t> tryByte() const;
    std::optional<int16_t> tryInteger() const;
    std::optional<int32_t> tryLong() const;
    std::optional<float> trySingle(const NumberLocale& loc = NumberLocale::Invariant()) const;
    std::optional<double> tryDouble(const NumberLocale& loc = NumberLocale::Invariant()) const;
    std::optional<bool> tryBool() const;
    std::optional<double> tryDate() const;
    std::optional<std::string> tryString(const NumberLocale& loc = NumberLocale::Invariant()) const;
    std::optional<Variant> tryConvertTo(VarType t,
                                        const NumberLocale& loc = NumberLocale::Invariant()) const;

    // Loose equality of the '=' operator: Empty equals 0 and ""; numbers compare by value across
    // subtypes; a number and a numeric text compare as numbers; Null is never equal.
    bool looseEquals(const Variant& o) const;
    // Exact structural equality (same subtype and value); arrays element by element.
    bool operator==(const Variant& o) const;
    bool operator!=(const Variant& o) const { return !(*this == o); }
    // The same value held the same way: the same subtype and number (a float's very bits), or
    // the same payload of a text or bytes (the one a copy of the other). Unlike == it never
    // reads a payload.
    bool Identical(const Variant& o) const noexcept { return type_ == o.type_ && raw_ == o.raw_; }

    // The number held, without conversion checks (0 for non-numbers).
    double number() const;

  private:
    friend struct VariantConversions;

    // Texts and byte arrays live in an immutable payload that copies share (a byte array is
    // copied when it is changed through bytes() while shared); every other value is held in
    // place. The value so takes 16 bytes.
    struct Payload;
    struct TextPayload;
    struct ArrayPayload;
    TextPayload& Text() const;
    ArrayPayload& Array() const;
    static uint64_t FromInt(int64_t v) { return static_cast<uint64_t>(v); }
    int64_t Int() const { return static_cast<int64_t>(raw_); }
    double Dbl() const { return std::bit_cast<double>(raw_); }
    bool Bool() const { return raw_ != 0; }
    Payload* Ptr() const { return reinterpret_cast<Payload*>(static_cast<uintptr_t>(raw_)); }
    bool HasPayload() const {
        return (type_ == VarType::String || type_ == VarType::ByteArray) && raw_ != 0;
    }
    void Retain() const noexcept;
    void Release() noexcept;
    void Swap(Variant& o) noexcept {
        std::swap(type_, o.type_);
        std::swap(raw_, o.raw_);
    }

    VarType type_ = VarType::Empty;
    // Byte, Integer, Long: the number; Single, Double, Decimal, Date: the double's bits;
    // Boolean: 0 or 1; String and ByteArray: the payload's address (0 for "").
    uint64_t raw_ = 0;
};

// The single nearest to x (to even between two): a number that rounds to a finite single is one,
// up to FLT_MAX and half a unit in its last place beyond it; nullopt beyond that and for the
// infinities. NaN stays NaN.
std::optional<float> NearestSingle(double x);

}  // namespace kv
