#pragma once
// The runtime's property bag: typed values under case-insensitive keys (ASCII letters fold), kept
// in the order of their first writing, with their XML form used for project files:
//
//   <PropertyBag>
//     <Property name="PHYS/TAG_DESC" type="String" value="Valve 1"/>
//     <Property name="PHYS/TAG_DESC.Unit" type="Integer" value="0"/>
//     <Property name="PHYS/DIAGNOSIS/" type="ByteArray" lbound="0" value="01AB"/>
//     <Property name="X" type="Empty"/>
//   </PropertyBag>
//
// type is the value's subtype: Empty, Null, Boolean ("true"/"false"), Byte, Integer, Long,
// Single, Double, Decimal, Date (day count), String, ByteArray (hex digits, with "lbound").
// Floating values are written in the shortest form that reads back to the same bits ("inf",
// "-inf" and "nan" for the values that are no finite number).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/runtime/IPropertyBag.h"

namespace kv {

// Hash and equality of keys that ignore the case of ASCII letters; both take any text form.
struct NoCaseHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept;
};
struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
};

class PropertyBag : public IPropertyBag {
  public:
    PropertyBag() = default;
    // A copy has storage of its own, with the keys in the same order.
    PropertyBag(const PropertyBag& other);
    PropertyBag& operator=(const PropertyBag& other);
    PropertyBag(PropertyBag&&) = default;
    PropertyBag& operator=(PropertyBag&&) = default;

    std::optional<Variant> Read(const std::string& key) const override;
    void Write(const std::string& key, const Variant& value) override;

    // The stored value without a copy; nullptr when the key is missing.
    const Variant* Find(std::string_view key) const;
    bool Contains(std::string_view key) const { return Find(key) != nullptr; }
    bool Remove(std::string_view key);
    size_t Count() const { return order_.size(); }
    void Clear();
    // Keys in the order of their first writing, spelled as first written.
    std::vector<std::string> Keys() const;

    // The XML form of the bag (shape above).
    std::string ToXml() const;
    // Replaces the contents with the properties of an XML document. False, the bag unchanged and
    // the reason in 'problems', when the text is no property-bag document. Otherwise True: every
    // property that can be read is taken; each one that cannot (no name, an unknown type, a value
    // that does not read as its type, a repeated name) is skipped and described in 'problems'.
    bool LoadXml(std::string_view xml, std::vector<std::string>* problems = nullptr);

  private:
    using Map = std::unordered_map<std::string, Variant, NoCaseHash, NoCaseEqual>;
    Map values_;
    std::vector<Map::value_type*> order_;  // map nodes do not move
};

// A read-only view of a bag for walks that take a writable bag; writing through it throws.
class ReadOnlyBagView : public IPropertyBag {
  public:
    explicit ReadOnlyBagView(const IPropertyBag& bag) : bag_(bag) {}
    std::optional<Variant> Read(const std::string& key) const override { return bag_.Read(key); }
    void Write(const std::string& key, const Variant& value) override;

  private:
    const IPropertyBag& bag_;
};

}  // namespace kv
