#include "platform/runtime/PropertyBag.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <pugixml.hpp>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace kv {

namespace {

inline char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

struct TypeName {
    VarType type;
    const char* name;
};
constexpr TypeName kTypeNames[] = {
    {VarType::Empty, "Empty"},   {VarType::Null, "Null"},       {VarType::Boolean, "Boolean"},
    {VarType::Byte, "Byte"},     {VarType::Integer, "Integer"}, {VarType::Long, "Long"},
    {VarType::Single, "Single"}, {VarType::Double, "Double"},   {VarType::Decimal, "Decimal"},
    {VarType::Date, "Date"},     {VarType::String, "String"},   {VarType::ByteArray, "ByteArray"},
};

const char* NameOf(VarType t) {
    for (const auto& tn : kTypeNames)
        if (tn.type == t)
            return tn.name;
    return nullptr;
}

std::optional<VarType> TypeOf(std::string_view name) {
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
            std::string hex;
            const auto& bytes = v.bytes().bytes;
            hex.reserve(bytes.size() * 2);
            for (uint8_t b : bytes) {
                hex += digits[b >> 4];
                hex += digits[b & 0xF];
            }
            return hex;
        }
    }
    return {};
}

// The value of one property element; nullopt and the reason in 'why' when it does not read.
std::optional<Variant> ReadValue(VarType type, pugi::xml_node node, std::string& why) {
    pugi::xml_attribute va = node.attribute("value");
    std::string_view text = va.value();
    if (type == VarType::Empty)
        return Variant();
    if (type == VarType::Null)
        return Variant::Null();
    if (type == VarType::String) {
        if (!va) {
            why = "no value";
            return std::nullopt;
        }
        return Variant(std::string(text));
    }
    if (!va || (text.empty() && type != VarType::ByteArray)) {
        why = "no value";
        return std::nullopt;
    }
    int64_t n = 0;
    switch (type) {
        case VarType::Boolean:
            if (NoCaseEqual{}(text, "true"))
                return Variant(true);
            if (NoCaseEqual{}(text, "false"))
                return Variant(false);
            break;
        case VarType::Byte:
            if (ReadInteger(text, 0, 255, n))
                return Variant(static_cast<uint8_t>(n));
            break;
        case VarType::Integer:
            if (ReadInteger(text, INT16_MIN, INT16_MAX, n))
                return Variant(static_cast<int16_t>(n));
            break;
        case VarType::Long:
            if (ReadInteger(text, INT32_MIN, INT32_MAX, n))
                return Variant(static_cast<int32_t>(n));
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
            if (pugi::xml_attribute lb = node.attribute("lbound")) {
                int64_t lbound = 0;
                if (!ReadInteger(lb.value(), INT32_MIN, INT32_MAX, lbound)) {
                    why = "bad lbound";
                    return std::nullopt;
                }
                a.lbound = static_cast<int32_t>(lbound);
            }
            a.bytes.reserve(text.size() / 2);
            for (size_t i = 0; i < text.size(); i += 2) {
                int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
                if (hi < 0 || lo < 0) {
                    why = "value is no hex text";
                    return std::nullopt;
                }
                a.bytes.push_back(static_cast<uint8_t>(hi << 4 | lo));
            }
            return Variant(std::move(a));
        }
        default:
            break;
    }
    why = "value does not read as its type";
    return std::nullopt;
}

}  // namespace

size_t NoCaseHash::operator()(std::string_view s) const noexcept {
    uint64_t h = 1469598103934665603ULL;
    for (char c : s) {
        h ^= static_cast<unsigned char>(FoldAscii(c));
        h *= 1099511628211ULL;
    }
    return static_cast<size_t>(h);
}

bool NoCaseEqual::operator()(std::string_view a, std::string_view b) const noexcept {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

PropertyBag::PropertyBag(const PropertyBag& other) : IPropertyBag(other) {
    for (const auto* kv : other.order_)
        Write(kv->first, kv->second);
}

PropertyBag& PropertyBag::operator=(const PropertyBag& other) {
    if (this != &other) {
        PropertyBag copy(other);
        *this = std::move(copy);
    }
    return *this;
}

std::optional<Variant> PropertyBag::Read(const std::string& key) const {
    const Variant* v = Find(key);
    if (!v)
        return std::nullopt;
    return *v;
}

const Variant* PropertyBag::Find(std::string_view key) const {
    auto it = values_.find(key);
    return it == values_.end() ? nullptr : &it->second;
}

void PropertyBag::Write(const std::string& key, const Variant& value) {
    auto it = values_.find(key);
    if (it != values_.end()) {
        it->second = value;
        return;
    }
    auto [ins, ok] = values_.emplace(key, value);
    (void)ok;
    order_.push_back(&*ins);
}

bool PropertyBag::Remove(std::string_view key) {
    auto it = values_.find(key);
    if (it == values_.end())
        return false;
    Map::value_type* node = &*it;
    std::erase(order_, node);
    values_.erase(it);
    return true;
}

void PropertyBag::Clear() {
    values_.clear();
    order_.clear();
}

std::vector<std::string> PropertyBag::Keys() const {
    std::vector<std::string> keys;
    keys.reserve(order_.size());
    for (const auto* kv : order_)
        keys.push_back(kv->first);
    return keys;
}

std::string PropertyBag::ToXml() const {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("PropertyBag");
    for (const auto* kv : order_) {
        pugi::xml_node p = root.append_child("Property");
        p.append_attribute("name").set_value(kv->first.c_str());
        const Variant& v = kv->second;
        p.append_attribute("type").set_value(NameOf(v.type()));
        if (v.isByteArray())
            p.append_attribute("lbound").set_value(std::to_string(v.bytes().lbound).c_str());
        if (!v.isEmpty() && !v.isNull())
            p.append_attribute("value").set_value(ValueText(v).c_str());
    }
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

bool PropertyBag::LoadXml(std::string_view xml, std::vector<std::string>* problems) {
    auto report = [&](std::string text) {
        if (problems)
            problems->push_back(std::move(text));
    };
    pugi::xml_document doc;
    pugi::xml_parse_result parsed = doc.load_buffer(xml.data(), xml.size());
    if (!parsed) {
        report(std::string("not an XML document: ") + parsed.description() + " at offset " +
               std::to_string(parsed.offset));
        return false;
    }
    pugi::xml_node root = doc.child("PropertyBag");
    if (!root) {
        report("no PropertyBag element");
        return false;
    }
    Map values;
    std::vector<Map::value_type*> order;
    size_t count = 0;
    for (pugi::xml_node p = root.child("Property"); p; p = p.next_sibling("Property"))
        ++count;
    values.reserve(count);
    order.reserve(count);
    size_t position = 0;
    // Messages are only put together for properties that fail.
    auto where = [&](pugi::xml_node p) {
        std::string w = "property " + std::to_string(position);
        if (const char* n = p.attribute("name").value(); *n)
            w += " \"" + std::string(n) + "\"";
        return w;
    };
    for (pugi::xml_node p = root.first_child(); p; p = p.next_sibling()) {
        if (p.type() != pugi::node_element)
            continue;
        ++position;
        if (std::string_view(p.name()) != "Property") {
            report(where(p) + ": unknown element " + p.name());
            continue;
        }
        pugi::xml_attribute name = p.attribute("name");
        if (!name || !*name.value()) {
            report(where(p) + ": no name");
            continue;
        }
        std::optional<VarType> type = TypeOf(p.attribute("type").value());
        if (!type) {
            report(where(p) + ": unknown type \"" + p.attribute("type").value() + "\"");
            continue;
        }
        std::string why;
        std::optional<Variant> value = ReadValue(*type, p, why);
        if (!value) {
            report(where(p) + ": " + why);
            continue;
        }
        auto [it, inserted] = values.emplace(name.value(), std::move(*value));
        if (!inserted) {
            report(where(p) + ": repeated name, the first one is kept");
            continue;
        }
        order.push_back(&*it);
    }
    values_.swap(values);
    order_.swap(order);
    return true;
}

void ReadOnlyBagView::Write(const std::string& key, const Variant&) {
    throw std::logic_error("the property bag is read-only: " + key);
}

}  // namespace kv
