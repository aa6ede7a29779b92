#pragma once
// What the runtime needs of a data element: identity, value type, status, access and the values,
// plus the element's own persistence. The data element of the core implements it.

#include <pugixml.hpp>
#include <string>

#include "value/Variant.h"

namespace kv {

class IDTMContext;
class IPropertyBag;

class IPrivateDataElement {
  public:
    virtual ~IPrivateDataElement() = default;

    virtual const std::string& Name() const = 0;
    virtual void SetName(const std::string& name) = 0;
    virtual int32_t ValueType() const = 0;
    virtual int32_t ValueTypeLength() const = 0;
    virtual int32_t StatusFlags() const = 0;
    virtual void SetStatusFlags(int32_t flags) = 0;
    virtual int32_t ElementMode() const = 0;
    virtual const Variant& TransientValue() const = 0;
    virtual void SetTransientValue(const Variant& v) = 0;
    virtual const Variant& PersistentValue() const = 0;
    virtual void SetPersistentValue(const Variant& v) = 0;
    virtual const Variant& DeviceValue() const = 0;
    virtual void SetDeviceValue(const Variant& v) = 0;

    virtual bool InitNew() = 0;
    virtual bool ReadFromPropBag(IPropertyBag& bag, IDTMContext& context) = 0;
    virtual bool WriteToPropBag(IPropertyBag& bag, IDTMContext& context) = 0;
    virtual bool ReadFromDtmVariable(pugi::xml_node node, IDTMContext& context) = 0;
    virtual bool WriteToDtmVariable(pugi::xml_node node, IDTMContext& context) = 0;
    virtual bool WriteToDocVariable(pugi::xml_node node, IDTMContext& context) = 0;

    virtual bool IsUploadParam(IDTMContext& context) const = 0;
    virtual bool IsDownloadParam(IDTMContext& context) const = 0;
    virtual bool IsDeviceCommand(IDTMContext& context) const = 0;

    virtual int32_t NestProcessLevel() const = 0;
    virtual void SetNestProcessLevel(int32_t level) = 0;
};

}  // namespace kv
