#pragma once
// The device type of an instance and the catalogue of the device types this DTM supports.

#include <optional>
#include <string>

#include "platform/runtime/IPropertyBag.h"
#include "value/Variant.h"

namespace kv {

class IDTMContext;

// One device type of the catalogue: the frame's name for it, three identity values and four
// descriptive values.
struct DeviceTypeCatalogEntry {
    std::string deviceType;
    Variant identValue1;
    Variant identValue2;
    Variant identValue3;
    Variant catalogValue1;
    Variant catalogValue2;
    Variant catalogValue3;
    Variant catalogValue4;
};

// The device type of an instance, persisted with it. InitNew resets it to "never selected" (every
// value Empty).
class IDeviceTypeInfo : public IPersistObject {
  public:
    // Takes the identity of the catalogue's entry named deviceType (compared without regard to
    // case); False, nothing changed, when the catalogue has no such entry.
    virtual bool SelectDeviceType(const std::string& deviceType, IDTMContext& context) = 0;
    // The catalogue's entry whose IdentValue1 and IdentValue2 equal this device type's; nullopt
    // when there is none.
    virtual std::optional<DeviceTypeCatalogEntry> FindInCatalog(IDTMContext& context) const = 0;

    virtual const std::string& DeviceType() const = 0;
    // The name under which the device type is shown: its first catalogue value when that is a
    // text, else its name.
    virtual std::string DisplayName() const {
        const Variant& name = CatalogValue1();
        return name.isString() && !name.str().empty() ? name.str() : DeviceType();
    }
    virtual const Variant& IdentValue1() const = 0;
    virtual const Variant& IdentValue2() const = 0;
    virtual const Variant& IdentValue3() const = 0;
    virtual const Variant& CatalogValue1() const = 0;
    virtual const Variant& CatalogValue2() const = 0;
    virtual const Variant& CatalogValue3() const = 0;
    virtual const Variant& CatalogValue4() const = 0;
    virtual void SetCatalogValue1(const Variant& v) = 0;
    virtual void SetCatalogValue2(const Variant& v) = 0;
    virtual void SetCatalogValue3(const Variant& v) = 0;
    virtual void SetCatalogValue4(const Variant& v) = 0;
    // Takes every value of another device type.
    virtual void CopyFrom(const IDeviceTypeInfo& other) = 0;
};

}  // namespace kv
