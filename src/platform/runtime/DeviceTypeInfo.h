#pragma once
// The device-type catalogue of this DTM and the device type of an instance.
//
// The catalogue holds one device type:
//   device type   "KV6274PA"
//   IdentValue1   2910 (Long): the PROFIBUS ident number 0x0B5E, as the device reports it when
//                 it is connected
//   IdentValue2   4109 (Long): the manufacturer id (DEVICE_MAN_ID)
//   IdentValue3   "KV6274": the device id (DEVICE_ID)
//   CatalogValue1 "KV6274PA" (device name), CatalogValue2 "KARVEL AG" (vendor),
//   CatalogValue3 "PROFIBUS PA Profile 3.0", CatalogValue4 "Profibus DP/V1" (protocol)
//
// Property-bag keys of the instance's device type: "DeviceType.Name", "DeviceType.IdentValue1"
// to "DeviceType.IdentValue3", "DeviceType.CatalogValue1" to "DeviceType.CatalogValue4". A bag
// without "DeviceType.Name" loads a device type that was never selected.

#include <string>
#include <vector>

#include "platform/runtime/IDeviceTypeInfo.h"
#include "platform/runtime/IPropertyBag.h"

namespace kv {

const std::vector<DeviceTypeCatalogEntry>& DeviceTypeCatalog();

class DeviceTypeInfo : public IDeviceTypeInfo {
  public:
    bool SelectDeviceType(const std::string& deviceType, IDTMContext& context) override;
    std::optional<DeviceTypeCatalogEntry> FindInCatalog(IDTMContext& context) const override;

    const std::string& DeviceType() const override { return deviceType_; }
    const Variant& IdentValue1() const override { return ident_[0]; }
    const Variant& IdentValue2() const override { return ident_[1]; }
    const Variant& IdentValue3() const override { return ident_[2]; }
    const Variant& CatalogValue1() const override { return catalog_[0]; }
    const Variant& CatalogValue2() const override { return catalog_[1]; }
    const Variant& CatalogValue3() const override { return catalog_[2]; }
    const Variant& CatalogValue4() const override { return catalog_[3]; }
    void SetCatalogValue1(const Variant& v) override { catalog_[0] = v; }
    void SetCatalogValue2(const Variant& v) override { catalog_[1] = v; }
    void SetCatalogValue3(const Variant& v) override { catalog_[2] = v; }
    void SetCatalogValue4(const Variant& v) override { catalog_[3] = v; }
    void CopyFrom(const IDeviceTypeInfo& other) override;

    // Sets the identity directly (a device type of a catalogue of another release).
    void SetIdentity(const std::string& deviceType, const Variant& ident1, const Variant& ident2,
                     const Variant& ident3);

    bool InitNew() override;
    // False, nothing changed, when a stored value has the wrong type (the name not a text).
    bool Load(const IPropertyBag& bag) override;
    bool Save(IPropertyBag& bag) override;

  private:
    std::string deviceType_;
    Variant ident_[3];
    Variant catalog_[4];
};

}  // namespace kv
