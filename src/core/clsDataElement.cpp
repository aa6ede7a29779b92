#include "core/clsDataElement.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <typeinfo>

#include "core/ConvStr.h"
#include "core/DataModelHelpers.h"
#include "core/ProjectHelpers.h"
#include "core/clsDataModel.h"
#include "platform/runtime/ByteBuffer.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IUserManager.h"
#include "units/clsPROFIBUSProfil3Units.h"
#include "value/NumberText.h"
#include "value/Text.h"

namespace kv {

namespace {

constexpr int32_t kVisibleStatus = ~static_cast<int32_t>(sfProtectedMask);

constexpr int32_t kErrNotANumber = 0x2000;
constexpr int32_t kErrOutOfRange = 0x4000;
constexpr int32_t kErrTooLong = 0x5000;
constexpr int32_t kErrBadCharacter = 0x6000;
constexpr int16_t kUnitUnknown = 1998;
// The control type of a row that chooses its value from the value list.
constexpr int32_t kValueListControl = 3;

bool IsWholeNumberType(int32_t type) {
    return (type >= vtUnsigned8 && type <= vtInteger32) || type == vtUnsigned32;
}

bool IsNumberType(int32_t type) {
    return IsWholeNumberType(type) || type == vtFloat || type == vtDouble || type == vtDecimal;
}

// The bit of a bit-list entry; nullopt for numbers without a bit of a 32-bit value.
std::optional<uint32_t> BitMask(int32_t number) {
    if (number >= 0 && number <= 31) {
        return 1u << number;
    }
    return std::nullopt;
}

std::string Marked(bool set, std::string_view text) {
    return (set ? "[x] " : "[ ] ") + std::string(text);
}

void AppendJoined(std::string& out, const std::string& item) {
    if (!out.empty()) {
        out += ", ";
    }
    out += item;
}

std::string LookupValueList(const ValueList& list, int32_t value, bool bitList,
                            int32_t noneNumber) {
    if (!bitList) {
        return std::string(list.TextOf(value).value_or(std::string_view()));
    }
    std::string out;
    const auto bits = static_cast<uint32_t>(value);
    for (const ValueList::Entry& e : list.Entries()) {
        const std::optional<uint32_t> mask = BitMask(e.number);
        if (!mask) {
            continue;
        }
        if (value == 0 && e.number == noneNumber) {
            AppendJoined(out, Marked(true, e.text));
        } else {
            AppendJoined(out, Marked((bits & *mask) != 0, e.text));
        }
    }
    return out;
}

// The unit table of the context's data model; nullptr when the data set has no such model.
const clsPROFIBUSProfil3Units* UnitTable(IDTMContext& context) {
    clsDataModel* model = DataModelOf(context);
    return model != nullptr ? &model->PROFIBUSProfil3Units() : nullptr;
}

// A number in the precision of a single: its nearest single when that is finite, else the
// number itself (beyond the single range it stays beyond it).
double AsSingle(double x) {
    const std::optional<float> single = NearestSingle(x);
    return single ? static_cast<double>(*single) : x;
}

// True when x lies within [low, high]. With single, x and the bounds are compared as singles:
// the single nearest to a bound, as a typed bound becomes, lies within the range.
bool InRange(double x, double low, double high, bool single) {
    if (single) {
        x = AsSingle(x);
        low = AsSingle(low);
        high = AsSingle(high);
    }
    return !(x < low) && !(x > high);
}

// The same with Variant bounds: an Empty side does not limit, a side that does not read as a
// number holds nothing. Bounds in reverse order (a scale whose upper value lies below its lower
// one) hold the values between them.
bool InRange(double x, const Variant& min, const Variant& max, bool single) {
    constexpr double kUnbounded = std::numeric_limits<double>::infinity();
    const std::optional<double> low = min.isEmpty() ? -kUnbounded : min.tryDouble();
    const std::optional<double> high = max.isEmpty() ? kUnbounded : max.tryDouble();
    return low && high && InRange(x, std::min(*low, *high), std::max(*low, *high), single);
}

struct FullRange {
    double min;
    double max;
};

std::optional<FullRange> FullRangeOf(int32_t valueType) {
    switch (valueType) {
        case vtUnsigned8:
            return FullRange{0, 255};
        case vtUnsigned16:
            return FullRange{0, 65535};
        case vtUnsigned24:
            return FullRange{0, 16777215};
        case vtInteger16:
            return FullRange{-32768, 32767};
        case vtInteger24:
            return FullRange{-8388608, 8388607};
        case vtInteger32:
            return FullRange{-2147483648.0, 2147483647.0};
        case vtFloat:
            // Every finite single; a number that rounds to one is one.
            return FullRange{-FLT_MAX, FLT_MAX};
        case vtDouble:
            return FullRange{-1.79769313486231E+308, 1.79769313486231E+308};
        case vtDecimal:
            return FullRange{-7.92281625142643E+28, 7.92281625142643E+28};
        case vtUnsigned32:
            return FullRange{0, 4294967295.0};
        default:
            return std::nullopt;
    }
}

}  // namespace

// --- status ---

int32_t clsDataElement::StatusFlags() const {
    return m_Status & kVisibleStatus;
}

void clsDataElement::SetStatusFlags(int32_t flags) {
    m_Status = (flags & kVisibleStatus) | (m_Status & sfProtectedMask);
}

void clsDataElement::SetStatusFlag(int32_t flags) {
    m_Status |= flags & kVisibleStatus;
}

void clsDataElement::ClearStatusFlag(int32_t flags) {
    m_Status &= ~(flags & kVisibleStatus);
}

bool clsDataElement::Validity() const {
    return (m_Status & sfValid) != 0;
}

void clsDataElement::SetValidity(bool valid) {
    m_Status = valid ? (m_Status | sfValid) : (m_Status & ~sfValid);
}

bool clsDataElement::ParamOptional() const {
    return (m_Status & sfOptional) != 0;
}

void clsDataElement::SetParamOptional(bool optional) {
    m_Status = optional ? (m_Status | sfOptional) : (m_Status & ~sfOptional);
}

bool clsDataElement::ParamDynamic() const {
    return (m_Status & sfDynamic) != 0;
}

void clsDataElement::SetParamDynamic(bool dynamic) {
    m_Status = dynamic ? (m_Status | sfDynamic) : (m_Status & ~sfDynamic);
}

void clsDataElement::AddDynamicMark(bool deviceOnly) {
    if (DynamicCounter <= 0) {
        DynamicCounter = 0;
        m_DeviceOnlyMarks = 0;
        m_DynamicBeforeMarks = ParamDynamic();
    }
    if (DynamicCounter < std::numeric_limits<int16_t>::max()) {
        ++DynamicCounter;
        if (deviceOnly)
            ++m_DeviceOnlyMarks;
    }
    SetParamDynamic(true);
}

void clsDataElement::RemoveDynamicMark(bool deviceOnly) {
    if (DynamicCounter <= 0)
        return;  // no mark to take back
    --DynamicCounter;
    if (deviceOnly && m_DeviceOnlyMarks > 0)
        --m_DeviceOnlyMarks;
    m_DeviceOnlyMarks = std::min(m_DeviceOnlyMarks, DynamicCounter);
    SetParamDynamic(DynamicCounter != 0 || m_DynamicBeforeMarks);
}

bool clsDataElement::ValueDynamic() const {
    if (DynamicCounter <= 0)
        return ParamDynamic();
    return DynamicCounter > m_DeviceOnlyMarks || m_DynamicBeforeMarks;
}

// --- units ---

std::string UnitText(IDTMContext& context, int16_t code) {
    if (code == 0) {
        return {};
    }
    const clsPROFIBUSProfil3Units* units = UnitTable(context);
    std::string text = units != nullptr ? units->PROFIBUSProfil3UnitString(code) : "";
    if (text.empty()) {
        text = "#" + std::to_string(code);
    }
    return text;
}

std::string clsDataElement::UnitString(IDTMContext& context) const {
    return UnitText(context, nTransientUnit);
}

std::optional<int16_t> clsDataElement::TryUnitCode(IDTMContext& context,
                                                   const std::string& text) const {
    if (!text.empty() && text[0] == '#') {
        // CInt of the number after "#": a number outside 16 bits names no code.
        const std::optional<double> number = TryVal(text.substr(1));
        return number ? Variant(*number).tryInteger() : std::nullopt;
    }
    const clsPROFIBUSProfil3Units* units = UnitTable(context);
    if (units == nullptr) {
        return std::nullopt;
    }
    return static_cast<int16_t>(units->PROFIBUSProfil3UnitIndex(text));
}

Variant clsDataElement::ValueInUnit(IDTMContext& context, const Variant& value,
                                    int16_t unit) const {
    if (unit == nTransientUnit)
        return value;
    const clsPROFIBUSProfil3Units* units = UnitTable(context);
    const std::optional<double> number = value.isNumber() ? value.tryDouble() : std::nullopt;
    if (units == nullptr || !number || !units->Convertible(unit, nTransientUnit))
        return Variant::Null();
    const std::optional<double> converted =
        units->TryCalculateUnitValue(*number, unit, nTransientUnit);
    return converted ? GetTypedValue(Variant(*converted)) : Variant::Null();
}

void clsDataElement::SetUnitString(IDTMContext& context, const std::string& text) {
    const std::optional<int16_t> code = TryUnitCode(context, text);
    if (!code) {
        throw std::invalid_argument("the unit text '" + text + "' names no unit code");
    }
    nTransientUnit = *code;
}

// --- ranges and print orders ---

std::optional<ValueRange> clsDataElement::GetRange(int32_t idx) const {
    if (!m_Lists || idx < 0 || static_cast<size_t>(idx) >= m_Lists->rangeMin.size()) {
        return std::nullopt;
    }
    ValueRange range{m_Lists->rangeMin[static_cast<size_t>(idx)],
                     m_Lists->rangeMax[static_cast<size_t>(idx)]};
    if (range.min.isEmpty() && range.max.isEmpty()) {
        return std::nullopt;
    }
    return range;
}

bool clsDataElement::WithinRanges(double x) const {
    // The ranges are read in order up to the first one without a bound: a single range counts
    // as much as several.
    if (!m_Lists) {
        return true;
    }
    const std::vector<Variant>& mins = m_Lists->rangeMin;
    const std::vector<Variant>& maxs = m_Lists->rangeMax;
    size_t idx = 0;
    for (; idx < std::min(mins.size(), maxs.size()); ++idx) {
        if (mins[idx].isEmpty() && maxs[idx].isEmpty()) {
            break;
        }
        if (InRange(x, mins[idx], maxs[idx], m_ValueType == vtFloat)) {
            return true;
        }
    }
    return idx == 0;
}

std::vector<ValueRange> clsDataElement::RangesInShownUnit(IDTMContext& context) const {
    const clsPROFIBUSProfil3Units* units = nullptr;
    if (nTransientUnit != nInitUnit && nTransientUnit != kUnitUnknown && nInitUnit != kUnitUnknown)
        units = UnitTable(context);
    const auto shown = [&](const Variant& limit) {
        if (units != nullptr && !limit.isEmpty()) {
            if (const std::optional<double> number = limit.tryDouble()) {
                if (const std::optional<double> converted =
                        units->TryCalculateUnitValue(*number, nInitUnit, nTransientUnit))
                    return Variant(*converted);
            }
        }
        return limit;
    };
    std::vector<ValueRange> ranges;
    for (int32_t i = 0;; ++i) {
        const std::optional<ValueRange> range = GetRange(i);
        if (!range)
            return ranges;
        ranges.push_back({shown(range->min), shown(range->max)});
    }
}

std::optional<int32_t> clsDataElement::MaxTextLength() const {
    if (m_ValueTypeLength <= 0)
        return std::nullopt;
    // A packed text holds only as many characters as its bytes on the wire take.
    if (bPackedCoding)
        return std::min(m_ValueTypeLength, ByteBuffer::PackedCapacity(StringWireLength()));
    return m_ValueTypeLength;
}

clsDataElement::Lists& clsDataElement::OwnLists() {
    // Only this element holds lists that no other one shares, so they are changed in place.
    if (!m_Lists) {
        m_Lists = std::make_shared<Lists>();
    } else if (m_Lists.use_count() > 1) {
        m_Lists = std::make_shared<Lists>(*m_Lists);
    }
    return const_cast<Lists&>(*m_Lists);
}

namespace {

// Removes entry idx of a list that reaches it: later entries move down one place and the last
// becomes Empty; the list keeps its length.
void RemoveEntry(std::vector<Variant>& list, size_t idx) {
    if (idx >= list.size()) {
        return;
    }
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(idx));
    list.emplace_back();
}

}  // namespace

void clsDataElement::SetRange(int32_t idx, const Variant& min, const Variant& max) {
    if (idx < 0) {
        return;
    }
    const auto i = static_cast<size_t>(idx);
    if (!min.isEmpty() || !max.isEmpty()) {
        Lists& lists = OwnLists();
        if (lists.rangeMin.size() <= i) {
            lists.rangeMin.resize(i + 1);
        }
        if (lists.rangeMax.size() <= i) {
            lists.rangeMax.resize(i + 1);
        }
        lists.rangeMin[i] = min;
        lists.rangeMax[i] = max;
        return;
    }
    if (m_Lists && i < std::max(m_Lists->rangeMin.size(), m_Lists->rangeMax.size())) {
        Lists& lists = OwnLists();
        RemoveEntry(lists.rangeMin, i);
        RemoveEntry(lists.rangeMax, i);
    }
}

Variant clsDataElement::GetPrintOrder(int32_t list) const {
    if (!m_Lists || list < 0 || static_cast<size_t>(list) >= m_Lists->printOrder.size()) {
        return Variant();
    }
    return m_Lists->printOrder[static_cast<size_t>(list)];
}

void clsDataElement::SetPrintOrder(int32_t list, const Variant& order) {
    if (list < 0) {
        return;
    }
    const auto i = static_cast<size_t>(list);
    if (!order.isEmpty()) {
        Lists& lists = OwnLists();
        if (lists.printOrder.size() <= i) {
            lists.printOrder.resize(i + 1);
        }
        lists.printOrder[i] = order;
        return;
    }
    if (m_Lists && i < m_Lists->printOrder.size()) {
        RemoveEntry(OwnLists().printOrder, i);
    }
}

// --- typed values ---

Variant clsDataElement::GetTypedValue(const Variant& value, const NumberLocale& loc) const {
    if (value.isEmpty()) {
        return Variant();
    }
    // What does not convert to the element's type gives Null.
    const auto typed = [](const auto& converted) {
        return converted ? Variant(*converted) : Variant::Null();
    };
    // Floats: a text with a point is read locale-independently.
    const auto floatValue = [&]() -> std::optional<double> {
        if (value.isString() && value.str().find('.') != std::string::npos)
            return TryVal(value.str());
        return value.tryDouble(loc);
    };
    switch (m_ValueType) {
        case vtRecord:
            return Variant();
        case vtOctetString:
            if (value.isByteArray())
                return value;
            if (value.isString())
                return TryHexStringToBytes(value.str()).value_or(Variant::Null());
            return Variant::Null();
        case vtUnsigned8:
            return typed(value.tryByte());
        case vtUnsigned16:
        case vtUnsigned24:
        case vtInteger24:
        case vtInteger32:
            return typed(value.tryLong());
        case vtInteger16:
            return typed(value.tryInteger());
        case vtFloat: {
            const std::optional<double> d = floatValue();
            return d ? typed(Variant(*d).trySingle()) : Variant::Null();
        }
        case vtDouble:
            return typed(floatValue());
        case vtByte:
            return typed(value.tryBool());
        case vtDateTime:
        case vtType12:
        case vtType13: {
            const std::optional<double> date = value.tryDate();
            return date ? Variant::FromDate(*date) : Variant::Null();
        }
        case vtVisibleString:
            return value.isString() ? value : typed(value.tryString(loc));
        case vtDecimal: {
            // A number beyond the decimal's range (or no finite number) does not convert.
            const std::optional<double> d = value.tryDouble(loc);
            const FullRange range = *FullRangeOf(vtDecimal);
            if (!d || !(*d >= range.min && *d <= range.max))
                return Variant::Null();
            return Variant::FromDecimal(*d);
        }
        case vtUnsigned32:
            return typed(value.tryDouble(loc));
        default:
            return Variant::Null();
    }
}

Variant clsDataElement::GetTypedInput(const Variant& value, const NumberLocale& loc) const {
    const bool wholeNumber = IsWholeNumberType(m_ValueType);
    // An empty text is a value of a text only: the device's bytes are never made up.
    if (m_ValueType == vtOctetString && value.isString() && value.str().empty())
        return Variant::Null();
    if (!IsNumberType(m_ValueType) || !value.isString())
        return GetTypedValue(value, loc);
    const std::optional<double> typed = ParseInputNumber(value.str(), loc);
    if (!typed || (wholeNumber && *typed != std::floor(*typed)))
        return Variant::Null();
    // The type's conversion refuses what it cannot hold (a float beyond the single range).
    return GetTypedValue(Variant(*typed), loc);
}

int32_t clsDataElement::StringWireLength() const {
    if (!bPackedCoding)
        return m_ValueTypeLength;
    return static_cast<int32_t>(RoundHalfEven(m_ValueTypeLength * 3.0 / 4.0));
}

// --- input and change checks ---

int32_t clsDataElement::CalcParamErrorFlags(IDTMContext& context, const Variant& value) const {
    if (m_ValueType == vtRecord) {
        return 0;
    }
    if (value.isNull()) {
        return kErrNotANumber;
    }
    const NumberLocale& loc = context.Locale();
    if (m_ValueType == vtVisibleString) {
        // A text is checked as it stands, any other value as its text.
        const std::optional<std::string> converted =
            value.isString() ? std::nullopt : value.tryString(loc);
        if (!value.isString() && !converted) {
            return kErrNotANumber;
        }
        const std::string& text = converted ? *converted : value.str();
        const std::optional<int32_t> maxLength = MaxTextLength();
        const bool limited = maxLength.has_value();
        const auto most = static_cast<size_t>(std::max(maxLength.value_or(0), 0));
        // No character takes more than four bytes: a longer text is too long before it is read.
        if (limited && text.size() > 4 * most)
            return kErrTooLong;
        const std::vector<uint32_t> chars = Utf8CodePoints(text);
        if (limited && chars.size() > most)
            return kErrTooLong;
        // A visible string holds no control characters (below 0x20, 0x7F, and 0x80-0x9F, which
        // also stand for the bytes that the code page leaves undefined): only a text as the
        // device gave it (or as it was stored) holds one, and such a text may go back unchanged.
        std::optional<bool> unchanged;
        auto asGiven = [&] {
            if (!unchanged)
                unchanged =
                    VariantsEqual(value, m_DeviceValue) || VariantsEqual(value, m_PersistentValue);
            return *unchanged;
        };
        for (uint32_t cp : chars) {
            const int code = UnicodeToCp1252(cp);
            const bool control = cp < 0x20 || (cp >= 0x7F && cp < 0xA0);
            if (code < 0 || (control && !asGiven()) ||
                (bPackedCoding && !ByteBuffer::HasPackedForm(static_cast<uint8_t>(code)))) {
                // Not representable on the wire.
                return kErrBadCharacter;
            }
            if (!WithinRanges(code)) {
                return kErrBadCharacter;
            }
        }
        return 0;
    }
    if (m_ValueType == vtOctetString) {
        return 0;
    }
    const bool numericType = IsNumberType(m_ValueType);
    if (numericType && !IsNumeric(value, loc)) {
        return kErrNotANumber;
    }
    if (IsInvalidFloat(value)) {
        // No such value is written to the device.
        return kErrNotANumber;
    }
    const std::optional<double> number = value.tryDouble(loc);
    if (!number) {
        // Only the numeric types are checked for numbers; any other value that does not read
        // as one can be tested against no range.
        return numericType || GetRange(0) ? kErrNotANumber : 0;
    }
    const double plain = *number;
    double converted = plain;
    if (nTransientUnit != kUnitUnknown && nInitUnit != kUnitUnknown &&
        nTransientUnit != nInitUnit) {
        if (const clsPROFIBUSProfil3Units* units = UnitTable(context)) {
            // A conversion that overflows lies far outside any range.
            const std::optional<double> inInitUnit =
                units->TryCalculateUnitValue(plain, nTransientUnit, nInitUnit);
            if (!inInitUnit)
                return kErrOutOfRange;
            converted = *inInitUnit;
        }
    }
    if (!WithinRanges(converted)) {
        return kErrOutOfRange;
    }
    if (const std::optional<FullRange> full = FullRangeOf(m_ValueType)) {
        if (!InRange(plain, full->min, full->max, m_ValueType == vtFloat)) {
            return kErrOutOfRange;
        }
    }
    return 0;
}

InputBarrier clsDataElement::InputBarrierOf(IDTMContext& context) const {
    // A member of a record is written with its record (looked up only when the element is
    // not written on its own). A device command is run rather than given a value, whatever its
    // reading bit says.
    int32_t mode = m_ElementMode;
    if ((mode & (emDownload | emDeviceCommand)) == 0) {
        if (const clsDataElement* record = GetParentParameter(context.Parameters()))
            mode |= record->m_ElementMode;
    }
    if ((mode & (emUpload | emDownload | emDeviceCommand)) == emUpload)
        return InputBarrier::kDeviceOnly;
    if (RequiredUserLevel > context.UserManager().UserLevel())
        return InputBarrier::kUserLevel;
    if ((StatusFlags() & sfWriteProtected) != 0)
        return InputBarrier::kWriteProtected;
    return InputBarrier::kNone;
}

bool clsDataElement::OutsideValueList(const Variant& value) const {
    const bool choice =
        m_ControlType == kValueListControl || (m_ControlType == 0 && m_ValueType == vtUnsigned8 &&
                                               (m_ElementMode & emDeviceCommand) == 0);
    if (!choice || ValueList.Entries().empty() || value.isEmpty())
        return false;
    const std::optional<int32_t> number = value.tryLong();
    return !number || !ValueList.TextOf(*number);
}

int32_t clsDataElement::CalcParamStatusFlags(IDTMContext& /*context*/,
                                             const Variant& newValue) const {
    if (m_ValueType == vtRecord) {
        return 0;
    }
    auto unitAgrees = [this](int16_t unit) {
        return unit < 1000 || unit > 2000 || unit == nTransientUnit;
    };
    bool equal = false;
    if (!m_PersistentValue.isEmpty()) {
        equal = VariantsEqual(newValue, m_PersistentValue) && unitAgrees(nPersistentUnit);
    } else if (!m_DeviceValue.isEmpty()) {
        equal = VariantsEqual(newValue, m_DeviceValue) && unitAgrees(nDeviceUnit);
    } else {
        equal = VariantsEqual(newValue, InitialValue) && nTransientUnit == nInitUnit;
    }
    return equal ? 0 : sfChanged;
}

// --- value lists ---

std::string clsDataElement::GetStrValueFromIdxList(int32_t idx) const {
    return LookupValueList(ValueList, idx, bBitEncoding, m_ValueTypeLength * 8);
}

std::string clsDataElement::GetStrValueFromIdxListEx(const Variant& value) const {
    if (!value.isByteArray()) {
        return {};
    }
    const ByteArray& a = value.bytes();
    auto byteAt = [&a](int32_t k) -> std::optional<uint8_t> {
        const int32_t i = k / 8;
        if (i < a.lbound || i > a.ubound()) {
            return std::nullopt;
        }
        return a.bytes[static_cast<size_t>(i - a.lbound)];
    };
    if (!bBitEncoding) {
        for (const ValueList::Entry& e : ValueList.Entries()) {
            if (e.number < 0) {
                continue;
            }
            const std::optional<uint8_t> b = byteAt(e.number);
            if (b && *b == e.number) {
                return std::string(e.text);
            }
        }
        return {};
    }
    std::string out;
    for (const ValueList::Entry& e : ValueList.Entries()) {
        if (e.number < 0) {
            continue;
        }
        const std::optional<uint8_t> b = byteAt(e.number);
        if (!b) {
            continue;
        }
        AppendJoined(out, Marked((*b & (1u << (e.number % 8))) != 0, e.text));
    }
    return out;
}

std::string clsDataElement::GetStrValueFromGivenValueList(const std::string& list,
                                                          const Variant& value) const {
    const std::optional<int32_t> n = value.tryLong();
    if (!n) {
        return {};
    }
    return LookupValueList(kv::ValueList(list), *n, false, 0);
}

std::string clsDataElement::GetStrCommandErrorFromIndex(int32_t code) const {
    return LookupValueList(CmdErrList, code, false, 0);
}

void clsDataElement::SetStrValueFromIdxList(int32_t idx, const std::string& text) {
    ValueList = ValueList.WithText(idx, text);
}

void clsDataElement::ReplaceValueListEntries() {
    const std::vector<kv::ValueList::Entry>& entries = ValueList.Entries();
    const bool hasNone = std::any_of(entries.begin(), entries.end(),
                                     [](const kv::ValueList::Entry& e) { return e.key == "none"; });
    if (!hasNone) {
        return;
    }
    std::string number;
    switch (m_ValueType) {
        case vtOctetString:
            number = std::to_string(m_ValueTypeLength * 8);
            break;
        case vtUnsigned8:
            number = "8";
            break;
        case vtUnsigned16:
        case vtInteger16:
            number = "16";
            break;
        case vtUnsigned24:
        case vtInteger24:
        case vtInteger32:
            number = "32";
            break;
        default:
            return;
    }
    // Every "none" of the text is replaced, also one inside a word.
    const std::string& list = ValueList.str();
    std::string out;
    size_t pos = 0;
    for (size_t hit = list.find("none"); hit != std::string::npos; hit = list.find("none", pos)) {
        out.append(list, pos, hit - pos);
        out += number;
        pos = hit + 4;
    }
    out.append(list, pos, std::string::npos);
    ValueList = std::move(out);
}

std::string clsDataElement::GetValueLists(const std::string& key) const {
    // "key:{list}key:{list}...": cut at ":{"; each segment but the first starts with a list up
    // to its "}", followed by the key of the next list.
    const std::string& text = ValueLists.str();
    std::vector<std::string> segments;
    size_t start = 0;
    for (size_t cut = text.find(":{"); cut != std::string::npos; cut = text.find(":{", start)) {
        segments.push_back(text.substr(start, cut - start));
        start = cut + 2;
    }
    segments.push_back(text.substr(start));
    std::string currentKey = segments[0];
    for (size_t i = 1; i < segments.size(); ++i) {
        const size_t close = segments[i].find('}');
        const std::string list = segments[i].substr(0, close);
        if (currentKey == key) {
            return list;
        }
        currentKey = close == std::string::npos ? std::string() : segments[i].substr(close + 1);
    }
    return {};
}

clsDataElement* clsDataElement::GetParentParameter(IParameters& parameters) const {
    const std::optional<std::string> record = ParentRecordPath(Name());
    return record ? AsDataElement(parameters.Item(*record)) : nullptr;
}

clsDataElement& clsDataElement::TransferElement(IParameters& parameters) {
    clsDataElement* record = GetParentParameter(parameters);
    return record != nullptr ? *record : *this;
}

bool clsDataElement::IsBitListEntry(IDTMContext& context) const {
    const clsDataElement* parent = GetParentParameter(context.Parameters());
    return parent != nullptr && parent->bBitEncoding;
}

// --- runtime interface ---

bool clsDataElement::InitNew() {
    m_TransientValue = InitialValue;
    m_PersistentValue = Variant();
    m_DeviceValue = Variant();
    InitUnits();
    return true;
}

void clsDataElement::InitUnits() {
    if (nConstantUnit > 0) {
        nInitUnit = nConstantUnit;
    }
    nTransientUnit = nInitUnit;
}

bool clsDataElement::IsUploadParam(IDTMContext& /*context*/) const {
    return (m_ElementMode & emUpload) != 0;
}

bool clsDataElement::IsDownloadParam(IDTMContext& context) const {
    return Validity() && (m_ElementMode & emDownload) != 0 &&
           (m_ElementMode & emDeviceCommand) == 0 &&
           context.UserManager().UserLevel() >= RequiredUserLevel;
}

bool clsDataElement::IsDeviceCommand(IDTMContext& context) const {
    return (m_ElementMode & emDeviceCommand) != 0 &&
           context.UserManager().UserLevel() >= RequiredUserLevel;
}

// Every element of the data set is a clsDataElement itself: its exact type is checked first,
// which costs much less than the search of a dynamic_cast.
clsDataElement* AsDataElement(IPrivateDataElement* element) {
    if (element != nullptr && typeid(*element) == typeid(clsDataElement))
        return static_cast<clsDataElement*>(element);
    return dynamic_cast<clsDataElement*>(element);
}

clsDataElement& AsDataElement(IPrivateDataElement& element) {
    if (typeid(element) == typeid(clsDataElement))
        return static_cast<clsDataElement&>(element);
    return dynamic_cast<clsDataElement&>(element);
}

clsDataElement& ElementAt(IParameters& parameters, const std::string& path) {
    clsDataElement* element = AsDataElement(parameters.Item(path));
    if (element == nullptr)
        throw std::runtime_error("the data set has no element \"" + path + "\"");
    return *element;
}

}  // namespace kv
