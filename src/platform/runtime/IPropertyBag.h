#pragma once
// The frame's property bag: typed values under case-insensitive keys.

#include <optional>
#include <string>

#include "value/Variant.h"

namespace kv {

class IPropertyBag {
  public:
    virtual ~IPropertyBag() = default;
    // The value stored under key; std::nullopt when the key is missing (an Empty value is a
    // stored value).
    virtual std::optional<Variant> Read(const std::string& key) const = 0;
    virtual void Write(const std::string& key, const Variant& value) = 0;
    // The stored value, or def when the key is missing.
    Variant ReadOr(const std::string& key, const Variant& def) const {
        auto v = Read(key);
        return v ? *v : def;
    }
};

// Reads one property of a control: apply takes the stored value, or def when the key is missing.
// False when the value is of a kind that apply cannot convert (a conversion error); the property
// then stays as it was.
template <typename Apply>
bool ReadProperty(const IPropertyBag& bag, const std::string& key, const Variant& def,
                  Apply&& apply) {
    try {
        apply(bag.ReadOr(key, def));
        return true;
    } catch (const VbError&) {
        return false;
    }
}

// An object that the runtime persists together with the instance.
class IPersistObject {
  public:
    virtual ~IPersistObject() = default;
    virtual bool InitNew() = 0;
    virtual bool Load(const IPropertyBag& bag) = 0;
    virtual bool Save(IPropertyBag& bag) = 0;
};

}  // namespace kv
