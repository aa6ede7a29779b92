#include "platform/runtime/PropertyBag.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <pugixml.hpp>
#include <stdexcept>
#include <system_error>

#include "platform/runtime/XmlText.h"

namespace kv {

namespace {

inline char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

struct TypeName {
    VarType type;
    std::string_view name;
};
constexpr TypeName kTypeNames[] = {
    {VarType::Empty, "Empty"},   {VarType::Null, "Null"},       {VarType::Boolean, "Boolean"},
    {VarType::Byte, "Byte"},     {VarType::Integer, "Integer"}, {VarType::Long, "Long"},
    {VarType::Single, "Single"}, {VarType::Double, "Double"},   {VarType::Decimal, "Decimal"},
    {VarType::Date, "Date"},     {VarType::String, "String"},   {VarType::ByteArray, "ByteArray"},
};

std::string_view NameOf(VarType t) {
    for (const auto& tn : kTypeNames)
        if (tn.type == t)
            return tn.name;
    return {};
}

// Whether the text s (ending with its zero) is the name; reads s no further than its zero.
inline bool Is(const char* s, std::string_view name) {
    for (const char c : name)
        if (*s++ != c)
            return false;
    return *s == '\0';
}

std::optional<VarType> TypeOf(const char* name) {
    // As written by the bag itself first, then in any case.
    for (const auto& tn : kTypeNames)
        if (name[0] == tn.name[0] && Is(name, tn.name))
            return tn.type;
    for (const auto& tn : kTypeNames)
        if (NoCaseEqual{}(name, tn.name))
            return tn.type;
    return std::nullopt;
}

template <class F>
std::string FloatText(F v) {
    if (std::isnan(v))
        return "nan";
    if (std::isinf(v))
        return v < 0 ? "-inf" : "inf";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);  // shortest text that reads back exactly
    return std::string(buf, r.ptr);
}

template <class F>
bool ReadFloat(std::string_view s, F& out) {
    if (s == "nan") {
        out = std::numeric_limits<F>::quiet_NaN();
        return true;
    }
    if (s == "inf" || s == "-inf") {
        out =
            s[0] == '-' ? -std::numeric_limits<F>::infinity() : std::numeric_limits<F>::infinity();
        return true;
    }
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(out);
}

bool ReadInteger(std::string_view s, int64_t lo, int64_t hi, int64_t& out) {
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && out >= lo && out <= hi;
}

// The same for a text ending with its zero. Most values are a few decimal digits: those are read
// here in one walk, everything else (and every fault) as above.
inline bool ReadInteger(const char* s, int64_t lo, int64_t hi, int64_t& out) {
    const bool negative = *s == '-';
    const char* const from = s + negative;
    const char* p = from;
    uint64_t n = 0;
    for (unsigned d = static_cast<unsigned char>(*p) - '0'; d < 10;
         d = static_cast<unsigned char>(*++p) - '0')
        n = n * 10 + d;
    if (*p == 0 && p > from && p - from <= 18) {
        out = negative ? -static_cast<int64_t>(n) : static_cast<int64_t>(n);
        return out >= lo && out <= hi;
    }
    return ReadInteger(std::string_view(s), lo, hi, out);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string ValueText(const Variant& v) {
    switch (v.type()) {
        case VarType::Empty:
        case VarType::Null:
            return {};
        case VarType::Boolean:
            return v.toBool() ? "true" : "false";
        case VarType::Byte:
        case VarType::Integer:
        case VarType::Long:
            return std::to_string(static_cast<int64_t>(v.number()));
        case VarType::Single:
            return FloatText(static_cast<float>(v.number()));
        case VarType::Double:
        case VarType::Decimal:
        case VarType::Date:
            return FloatText(v.number());
        case VarType::String:
            return v.str();
        case VarType::ByteArray: {
            static const char digits[] = "0123456789ABCDEF";
            const auto& bytes = v.bytes().bytes;
            std::string hex(bytes.size() * 2, '0');
            for (size_t i = 0; i < bytes.size(); ++i) {
                hex[2 * i] = digits[bytes[i] >> 4];
                hex[2 * i + 1] = digits[bytes[i] & 0xF];
            }
            return hex;
        }
    }
    return {};
}

// The values of the attributes of one property element (the first of each name), found in one
// walk; nullptr for an attribute the element lacks.
struct PropertyAttributes {
    const char* name = nullptr;
    const char* type = nullptr;
    const char* value = nullptr;
    const char* lbound = nullptr;

    explicit PropertyAttributes(pugi::xml_node node) {
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            const char* n = a.name();
            for (const auto& [attribute, slot] :
                 {std::pair{"name", &name}, std::pair{"type", &type}, std::pair{"value", &value},
                  std::pair{"lbound", &lbound}}) {
                if (n[0] == attribute[0] && Is(n, attribute)) {
                    if (!*slot)
                        *slot = a.value();
                    break;
                }
            }
        }
    }
};

// The value of one property element; nullopt and the reason in 'why' when it does not read.
std::optional<Variant> ReadValue(VarType type, const PropertyAttributes& attributes,
                                 BagProblem::Kind& why) {
    const char* const va = attributes.value;
    if (type == VarType::Empty)
        return Variant();
    if (type == VarType::Null)
        return Variant::Null();
    if (type == VarType::String) {
        if (!va) {
            why = BagProblem::kNoValue;
            return std::nullopt;
        }
        return Variant(std::string(va));
    }
    if (!va || (!*va && type != VarType::ByteArray)) {
        why = BagProblem::kNoValue;
        return std::nullopt;
    }
    int64_t n = 0;
    switch (type) {
        case VarType::Byte:
            if (ReadInteger(va, 0, 255, n))
                return Variant(static_cast<uint8_t>(n));
            break;
        case VarType::Integer:
            if (ReadInteger(va, INT16_MIN, INT16_MAX, n))
                return Variant(static_cast<int16_t>(n));
            break;
        case VarType::Long:
            if (ReadInteger(va, INT32_MIN, INT32_MAX, n))
                return Variant(static_cast<int32_t>(n));
            break;
        default:
            break;
    }
    const std::string_view text = va;
    switch (type) {
        case VarType::Boolean:
            if (NoCaseEqual{}(text, "true"))
                return Variant(true);
            if (NoCaseEqual{}(text, "false"))
                return Variant(false);
            break;
        case VarType::Single: {
            float f = 0;
            if (ReadFloat(text, f))
                return Variant(f);
            break;
        }
        case VarType::Double:
        case VarType::Decimal:
        case VarType::Date: {
            double d = 0;
            if (!ReadFloat(text, d))
                break;
            if (type == VarType::Double)
                return Variant(d);
            if (!std::isfinite(d))
                break;
            return type == VarType::Decimal ? Variant::FromDecimal(d) : Variant::FromDate(d);
        }
        case VarType::ByteArray: {
            if (text.size() % 2 != 0)
                break;
            ByteArray a;
            if (const char* lb = attributes.lbound) {
                int64_t lbound = 0;
                if (!ReadInteger(std::string_view(lb), INT32_MIN, INT32_MAX, lbound)) {
                    why = BagProblem::kBadLowerBound;
                    return std::nullopt;
                }
                a.lbound = static_cast<int32_t>(lbound);
            }
            a.bytes.resize(text.size() / 2);
            for (size_t i = 0; i < a.bytes.size(); ++i) {
                int hi = HexDigit(text[2 * i]), lo = HexDigit(text[2 * i + 1]);
                if (hi < 0 || lo < 0) {
                    why = BagProblem::kNoHexText;
                    return std::nullopt;
                }
                a.bytes[i] = static_cast<uint8_t>(hi << 4 | lo);
            }
            return Variant(std::move(a));
        }
        default:
            break;
    }
    why = BagProblem::kNotOfItsType;
    return std::nullopt;
}

}  // namespace

namespace {

constexpr uint64_t kOnes = 0x0101010101010101ULL;

inline uint64_t Load8(const char* p) {
    uint64_t x;
    std::memcpy(&x, p, 8);
    return x;
}

// Fewer than eight characters in one word, without reading beyond them: the same characters give
// the same word.
inline uint64_t LoadShort(const char* p, size_t n) {
    if (n >= 4) {
        uint32_t first, last;
        std::memcpy(&first, p, 4);
        std::memcpy(&last, p + n - 4, 4);
        return static_cast<uint64_t>(last) << 32 | first;
    }
    if (n == 0)
        return 0;
    return static_cast<uint64_t>(static_cast<unsigned char>(p[0])) |
           static_cast<uint64_t>(static_cast<unsigned char>(p[n / 2])) << 8 |
           static_cast<uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16;
}

// Eight characters with the ASCII capitals folded to small letters.
inline uint64_t Folded(uint64_t x) {
    const uint64_t low = x & (0x7F * kOnes);
    // 0x80 in every byte from 'A' on, and in every byte beyond 'Z'.
    const uint64_t fromA = low + (0x80 - 'A') * kOnes;
    const uint64_t beyondZ = low + (0x80 - 'Z' - 1) * kOnes;
    const uint64_t capitals = fromA & ~beyondZ & ~x & (0x80 * kOnes);
    return x | (capitals >> 2);
}

inline bool SameWordNoCase(uint64_t a, uint64_t b) {
    return a == b || Folded(a) == Folded(b);
}

// Whether n characters of a and b are alike but for the case of ASCII letters.
[[gnu::always_inline]] inline bool EqualNoCase(const char* a, const char* b, size_t n) {
    if (n >= 8) {
        const size_t last = n - 8;
        for (size_t i = 0; i < last; i += 8)
            if (!SameWordNoCase(Load8(a + i), Load8(b + i)))
                return false;
        return SameWordNoCase(Load8(a + last), Load8(b + last));
    }
    for (size_t i = 0; i < n; ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

// Eight characters at a time. Bit 5 is set in every character before mixing, which gives a capital
// and its small letter the same code; characters that differ only there otherwise ('_' and DEL,
// '[' and '{', control characters and digits) hardly meet in keys.
[[gnu::always_inline]] inline size_t HashNoCase(const char* p, size_t n) {
    constexpr uint64_t kCase = 0x20 * kOnes;
    constexpr uint64_t kMix = 0xFF51AFD7ED558CCDULL;
    uint64_t h = 0x9E3779B97F4A7C15ULL ^ n;
    if (n >= 8) {
        // The rest as the last eight characters, some of them taken twice.
        const char* const last = p + n - 8;
        for (; p < last; p += 8)
            h = (h ^ (Load8(p) | kCase)) * kMix;
        h = (h ^ (Load8(last) | kCase)) * kMix;
    } else {
        h = (h ^ (LoadShort(p, n) | kCase)) * kMix;
    }
    h ^= h >> 32;
    h *= 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 29;
    return static_cast<size_t>(h);
}

}  // namespace

size_t NoCaseHash::operator()(std::string_view s) const noexcept {
    return HashNoCase(s.data(), s.size());
}

bool NoCaseEqual::operator()(std::string_view a, std::string_view b) const noexcept {
    return a.size() == b.size() && EqualNoCase(a.data(), b.data(), a.size());
}

std::optional<Variant> PropertyBag::Read(const std::string& key) const {
    const Variant* v = Find(key);
    if (!v)
        return std::nullopt;
    return *v;
}

// Inlined in every search, as the key comparison is.
[[gnu::always_inline]] inline bool PropertyBag::EntryKeys::Has(uint32_t ref, std::string_view key,
                                                               size_t hash) const {
    const Entry& e = bag.entries_[ref - 1];
    return e.hash == hash && e.keySize == key.size() &&
           EqualNoCase(bag.keys_.data() + e.keyOffset, key.data(), key.size());
}

uint32_t PropertyBag::Append(std::string_view key, Variant value, size_t hash) {
    // The key's characters first: when the entry cannot be stored, they are only unused.
    const size_t keyOffset = keys_.size();
    keys_.append(key);
    entries_.push_back({static_cast<uint32_t>(keyOffset), static_cast<uint32_t>(key.size()), hash,
                        std::move(value)});
    return static_cast<uint32_t>(entries_.size());
}

bool PropertyBag::AppendIfMissing(std::string_view key, Variant& value, size_t hash) {
    return index_
        .Insert(IndexKeys(), key, hash, [&] { return Append(key, std::move(value), hash); })
        .second;
}

const Variant* PropertyBag::Find(std::string_view key) const {
    const uint32_t ref = index_.Find(IndexKeys(), key, HashNoCase(key.data(), key.size()));
    return ref == 0 ? nullptr : &entries_[ref - 1].value;
}

void PropertyBag::Write(const std::string& key, const Variant& value) {
    const size_t hash = NoCaseHash{}(key);
    const auto [ref, added] = index_.Insert(IndexKeys(), std::string_view(key), hash,
                                            [&] { return Append(key, value, hash); });
    if (!added)
        entries_[ref - 1].value = value;
}

void PropertyBag::AddMissing(const PropertyBag& other) {
    // The other bag's hash codes serve this one: no key is hashed again.
    for (const Entry& e : other.entries_) {
        const std::string_view key = other.KeyOf(e);
        index_.Insert(IndexKeys(), key, e.hash, [&] { return Append(key, e.value, e.hash); });
    }
}

bool PropertyBag::Remove(std::string_view key) {
    const uint32_t ref = index_.Find(IndexKeys(), key, NoCaseHash{}(key));
    if (ref == 0)
        return false;
    entries_.erase(entries_.begin() + static_cast<ptrdiff_t>(ref - 1));
    // The later entries moved down one place: they are indexed anew.
    index_.Clear();
    for (size_t n = 0; n < entries_.size(); ++n) {
        const Entry& e = entries_[n];
        index_.Insert(IndexKeys(), KeyOf(e), e.hash, [n] { return static_cast<uint32_t>(n + 1); });
    }
    return true;
}

void PropertyBag::Clear() {
    entries_.clear();
    keys_.clear();
    index_ = {};
}

void PropertyBag::Reserve(size_t count) {
    entries_.reserve(count);
    index_.Reserve(IndexKeys(), count);
}

std::vector<std::string> PropertyBag::Keys() const {
    std::vector<std::string> keys;
    keys.reserve(entries_.size());
    for (const Entry& e : entries_)
        keys.emplace_back(KeyOf(e));
    return keys;
}

void PropertyBag::AppendXmlText(std::string& out, size_t depth) const {
    const std::string indent(2 * depth, ' ');
    if (entries_.empty()) {
        out += indent + "<PropertyBag />\n";
        return;
    }
    out += indent + "<PropertyBag>\n";
    for (const Entry& e : entries_) {
        const Variant& v = e.value;
        out += indent;
        out += "  <Property name=\"";
        AppendXmlAttributeValue(out, KeyOf(e));
        out += "\" type=\"";
        out += NameOf(v.type());
        out += '"';
        if (v.isByteArray())
            out += " lbound=\"" + std::to_string(v.bytes().lbound) + '"';
        if (!v.isEmpty() && !v.isNull()) {
            out += " value=\"";
            AppendXmlAttributeValue(out, ValueText(v));
            out += '"';
        }
        out += " />\n";
    }
    out += indent + "</PropertyBag>\n";
}

std::string PropertyBag::ToXml() const {
    std::string text = "<?xml version=\"1.0\"?>\n";
    AppendXmlText(text, 0);
    return text;
}

bool PropertyBag::LoadXml(std::string_view xml, std::vector<BagProblem>* problems) {
    pugi::xml_document doc;
    pugi::xml_parse_result parsed = doc.load_buffer(xml.data(), xml.size());
    if (!parsed) {
        if (problems) {
            problems->push_back({.kind = BagProblem::kNotXml,
                                 .position = static_cast<size_t>(parsed.offset),
                                 .status = parsed.status});
        }
        return false;
    }
    return LoadXml(doc.child("PropertyBag"), problems);
}

// Room made for the keys of a loaded bag, per property; the keys are shrunk to their size after.
constexpr size_t kKeySizeGuess = 32;

bool PropertyBag::LoadXml(pugi::xml_node root, std::vector<BagProblem>* problems) {
    if (!root || std::string_view(root.name()) != "PropertyBag") {
        if (problems)
            problems->push_back({.kind = BagProblem::kNoBag});
        return false;
    }
    PropertyBag loaded;
    // Room for every child element: almost all of them are properties.
    size_t count = 0;
    for (pugi::xml_node p = root.first_child(); p; p = p.next_sibling())
        ++count;
    loaded.Reserve(count);
    loaded.keys_.reserve(count * kKeySizeGuess);
    size_t position = 0;
    // Problems are only put together for properties that fail.
    auto report = [&](pugi::xml_node p, BagProblem::Kind kind, const char* detail = "") {
        if (problems)
            problems->push_back({kind, position, p.attribute("name").value(), detail});
    };
    for (pugi::xml_node p = root.first_child(); p; p = p.next_sibling()) {
        if (p.type() != pugi::node_element)
            continue;
        ++position;
        if (const char* element = p.name(); !Is(element, "Property")) {
            report(p, BagProblem::kUnknownElement, element);
            continue;
        }
        const PropertyAttributes attributes(p);
        if (!attributes.name || !*attributes.name) {
            report(p, BagProblem::kNoName);
            continue;
        }
        const char* const typeName = attributes.type ? attributes.type : "";
        std::optional<VarType> type = TypeOf(typeName);
        if (!type) {
            report(p, BagProblem::kUnknownType, typeName);
            continue;
        }
        BagProblem::Kind why = BagProblem::kNotOfItsType;
        std::optional<Variant> value = ReadValue(*type, attributes, why);
        if (!value) {
            report(p, why);
            continue;
        }
        const std::string_view key = attributes.name;
        if (!loaded.AppendIfMissing(key, *value, HashNoCase(key.data(), key.size())))
            report(p, BagProblem::kRepeatedName);
    }
    loaded.keys_.shrink_to_fit();
    *this = std::move(loaded);
    return true;
}

void ReadOnlyBagView::Write(const std::string& key, const Variant&) {
    throw std::logic_error("the property bag is read-only: " + key);
}

}  // namespace kv
