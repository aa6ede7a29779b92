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
#include <cstdint>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/HashIndex.h"
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

// Why a bag's XML form, or one property of it, does not read: what and where, without words (the
// reader of the bag tells it in its own).
struct BagProblem {
    enum Kind {
        kNotXml,          // the text does not parse: 'position' is the parser's offset, 'status'
                          // its pugi::xml_parse_status
        kNoBag,           // the document's element is no <PropertyBag>
        kUnknownElement,  // an element other than <Property>; 'detail': its name
        kNoName,          // a property without a name
        kUnknownType,     // 'detail': the type's name
        kNoValue,         // a type that needs a value, and none
        kBadLowerBound,   // a byte array's "lbound" that is no Long
        kNoHexText,       // a byte array's value that is no hex text
        kNotOfItsType,    // a value that does not read as its type
        kRepeatedName     // a name given before (the first one is kept)
    };
    Kind kind = kNoBag;
    size_t position = 0;  // the property's place among the bag's elements, from 1
    std::string name{};   // the property's name; empty when it has none
    std::string detail{};
    int status = 0;
    bool operator==(const BagProblem&) const = default;
};

class PropertyBag : public IPropertyBag {
  public:
    std::optional<Variant> Read(const std::string& key) const override;
    void Write(const std::string& key, const Variant& value) override;

    // The stored value without a copy; nullptr when the key is missing.
    const Variant* Find(std::string_view key) const;
    bool Contains(std::string_view key) const { return Find(key) != nullptr; }
    bool Remove(std::string_view key);
    size_t Count() const { return entries_.size(); }
    void Clear();
    // Makes room for that many properties, so that writing them does not grow the bag's table
    // of entries nor its index (their keys' characters and their values may still allocate).
    void Reserve(size_t count);
    // Keys in the order of their first writing, spelled as first written.
    std::vector<std::string> Keys() const;
    // Writes every property of 'other' whose key this bag lacks, in the order of other's keys.
    void AddMissing(const PropertyBag& other);

    // The XML form of the bag (shape above).
    std::string ToXml() const;
    // Appends the bag's <PropertyBag> element as text, indented by two spaces per depth, as the
    // text of a document whose element it is at that depth.
    void AppendXmlText(std::string& out, size_t depth) const;
    // Replaces the contents with the properties of an XML document. False, the bag unchanged and
    // the reason in 'problems', when the text is no property-bag document. Otherwise True: every
    // property that can be read is taken; each one that cannot (no name, an unknown type, a value
    // that does not read as its type, a repeated name) is skipped and described in 'problems'.
    bool LoadXml(std::string_view xml, std::vector<BagProblem>* problems = nullptr);
    // The same from a <PropertyBag> element of a parsed document.
    bool LoadXml(pugi::xml_node bag, std::vector<BagProblem>* problems = nullptr);

  private:
    struct Entry {
        uint32_t keyOffset;  // the key's characters in keys_
        uint32_t keySize;
        size_t hash;
        Variant value;
    };
    std::string_view KeyOf(const Entry& e) const { return {keys_.data() + e.keyOffset, e.keySize}; }
    // The index refers to an entry by its position + 1.
    struct EntryKeys {
        const PropertyBag& bag;
        size_t Hash(uint32_t ref) const { return bag.entries_[ref - 1].hash; }
        bool Has(uint32_t ref, std::string_view key, size_t hash) const;
    };
    EntryKeys IndexKeys() const { return {*this}; }
    // Stores a new entry (for the index to take); its reference in the index.
    uint32_t Append(std::string_view key, Variant value, size_t hash);
    // Appends the key with the value (moved from) unless the bag holds the key; false then, the
    // bag and the value unchanged.
    bool AppendIfMissing(std::string_view key, Variant& value, size_t hash);

    std::vector<Entry> entries_;  // in the order of first writing
    // The keys' characters one after another (a removed key's stay until the bag is cleared):
    // one allocation for all keys.
    std::string keys_;
    // The entries by key, the case of ASCII letters ignored.
    HashIndex<uint32_t> index_;
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
