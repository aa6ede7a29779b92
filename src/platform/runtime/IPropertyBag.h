#pragma once
// The frame's property bag: typed values under case-insensitive keys.

#include <optional>
#include <string>
#include <type_traits>
#include <utility>

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

// A stored value as a control property of type T (std::string, int32_t, double or bool),
// converted with the Variant's rules: apply takes it. False when the value does not convert;
// the property then stays as it was.
template <typename T, typename Apply>
bool ApplyProperty(const Variant& stored, Apply&& apply) {
    std::optional<T> value;
    if constexpr (std::is_same_v<T, std::string>)
        value = stored.tryString();
    else if constexpr (std::is_same_v<T, int32_t>)
        value = stored.tryLong();
    else if constexpr (std::is_same_v<T, double>)
        value = stored.tryDouble();
    else if constexpr (std::is_same_v<T, bool>)
        value = stored.tryBool();
    else
        static_assert(!sizeof(T), "no conversion for this property type");
    if (!value)
        return false;
    std::forward<Apply>(apply)(*value);
    return true;
}

// Reads one property of a control: the stored value, or def when the key is missing.
template <typename T, typename Apply>
bool ReadProperty(const IPropertyBag& bag, const std::string& key, const Variant& def,
                  Apply&& apply) {
    return ApplyProperty<T>(bag.ReadOr(key, def), std::forward<Apply>(apply));
}

// Reads one property of a control when the bag holds it; a missing key leaves it alone.
template <typename T, typename Apply>
bool ReadStoredProperty(const IPropertyBag& bag, const std::string& key, Apply&& apply) {
    const std::optional<Variant> stored = bag.Read(key);
    return !stored || ApplyProperty<T>(*stored, std::forward<Apply>(apply));
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
