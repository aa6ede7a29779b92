#include "platform/runtime/DeviceTypeInfo.h"
#include "platform/runtime/IDeviceTypeInfo.h"
#include "platform/runtime/IPropertyBag.h"
#include "value/Text.h"

#include <cctype>
#include <optional>

namespace kv {

namespace {

const char* const kName = "DeviceType.Name";
const char* const kIdent[3] = {"DeviceType.IdentValue1", "DeviceType.IdentValue2",
                               "DeviceType.IdentValue3"};
const char* const kCatalog[4] = {"DeviceType.CatalogValue1", "DeviceType.CatalogValue2",
                                 "DeviceType.CatalogValue3", "DeviceType.CatalogValue4"};

// Equal values of one kind: numbers by value, texts exactly; Empty never matches.
bool SameIdentity(const Variant& a, const Variant& b) {
    if (a.isEmpty() || b.isEmpty() || a.isNull() || b.isNull())
        return false;
    if (a.isNumber() != b.isNumber())
        return false;
    return a.looseEquals(b);
}

// A stored identity or catalogue value: Empty, a number or a text.
bool UsableValue(const Variant& v) {
    return v.isEmpty() || v.isNumber() || v.isString();
}

}  // namespace

const std::vector<DeviceTypeCatalogEntry>& DeviceTypeCatalog() {
    static const std::vector<DeviceTypeCatalogEntry> catalog = {
        {"KV6274PA", Variant(int32_t{0x0B5E}), Variant(int32_t{4109}), Variant("KV6274"),
         Variant("KV6274PA"), Variant("KARVEL AG"), Variant("PROFIBUS PA Profile 3.0"),
         Variant("Profibus DP/V1")},
    };
    return catalog;
}

bool DeviceTypeInfo::SelectDeviceType(const std::string& deviceType, IDTMContext& /*context*/) {
    for (const DeviceTypeCatalogEntry& entry : DeviceTypeCatalog()) {
        if (EqualsNoCase(entry.deviceType, deviceType)) {
            deviceType_ = entry.deviceType;
            ident_[0] = entry.identValue1;
            ident_[1] = entry.identValue2;
            ident_[2] = entry.identValue3;
            return true;
        }
    }
    return false;
}

std::optional<DeviceTypeCatalogEntry> DeviceTypeInfo::FindInCatalog(
    IDTMContext& /*context*/) const {
    for (const DeviceTypeCatalogEntry& candidate : DeviceTypeCatalog()) {
        if (SameIdentity(candidate.identValue1, ident_[0]) &&
            SameIdentity(candidate.identValue2, ident_[1]))
            return candidate;
    }
    return std::nullopt;
}

void DeviceTypeInfo::CopyFrom(const IDeviceTypeInfo& other) {
    deviceType_ = other.DeviceType();
    ident_[0] = other.IdentValue1();
    ident_[1] = other.IdentValue2();
    ident_[2] = other.IdentValue3();
    catalog_[0] = other.CatalogValue1();
    catalog_[1] = other.CatalogValue2();
    catalog_[2] = other.CatalogValue3();
    catalog_[3] = other.CatalogValue4();
}

void DeviceTypeInfo::SetIdentity(const std::string& deviceType, const Variant& ident1,
                                 const Variant& ident2, const Variant& ident3) {
    deviceType_ = deviceType;
    ident_[0] = ident1;
    ident_[1] = ident2;
    ident_[2] = ident3;
}

bool DeviceTypeInfo::InitNew() {
    deviceType_.clear();
    for (Variant& v : ident_)
        v = Variant();
    for (Variant& v : catalog_)
        v = Variant();
    return true;
}

bool DeviceTypeInfo::Load(const IPropertyBag& bag) {
    std::optional<Variant> name = bag.Read(kName);
    if (!name) {
        InitNew();
        return true;
    }
    if (!name->isString())
        return false;
    Variant ident[3];
    Variant catalog[4];
    for (int i = 0; i < 3; ++i) {
        ident[i] = bag.ReadOr(kIdent[i], Variant());
        if (!UsableValue(ident[i]))
            return false;
    }
    for (int i = 0; i < 4; ++i) {
        catalog[i] = bag.ReadOr(kCatalog[i], Variant());
        if (!UsableValue(catalog[i]))
            return false;
    }
    deviceType_ = name->str();
    for (int i = 0; i < 3; ++i)
        ident_[i] = ident[i];
    for (int i = 0; i < 4; ++i)
        catalog_[i] = catalog[i];
    return true;
}

bool DeviceTypeInfo::Save(IPropertyBag& bag) {
    bag.Write(kName, Variant(deviceType_));
    for (int i = 0; i < 3; ++i)
        bag.Write(kIdent[i], ident_[i]);
    for (int i = 0; i < 4; ++i)
        bag.Write(kCatalog[i], catalog_[i]);
    return true;
}

}  // namespace kv
