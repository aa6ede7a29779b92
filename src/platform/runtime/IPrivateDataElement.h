#pragma once
// What the runtime needs of a data element: identity, value type, status, access and the values,
// plus the element's own persistence. The data element of the core implements it.

#include <pugixml.hpp>

#include <cstdint>
#include <string>

#include "platform/runtime/ImportRefusal.h"
#include "value/Variant.h"

namespace kv {

class IDTMContext;
class IPropertyBag;

// ElementMode bits: what the runtime transfers and documents of an element.
enum ElementModeBits : int32_t {
    emUpload = 0x1,
    emDownload = 0x2,
    emDeviceCommand = 0x4,
    emCompareStored = 0x10,
    emDocGroupMask = 0xFFF0000,
};

// StatusFlags bits. The input error, communication error and DP-V1 error class each take a
// field of four bits; the bits of sfProtectedMask are kept by the element itself (StatusFlags
// neither shows nor sets them).
enum StatusFlagBits : int32_t {
    sfWriteProtected = 0x1,
    sfDynamic = 0x2,
    sfChanged = 0x4,
    sfNeeded = 0x8,
    sfReadPending = 0x10,
    sfEditedOnline = 0x20,
    sfInputErrorMask = 0xF000,
    sfCommErrorMask = 0xF0000,
    sfDpv1ErrorMask = 0xF00000,
    sfValid = 0x1000000,
    sfOptional = 0x2000000,
    sfProtectedMask = 0xF000000,
    sfPersistMask = 0x0F000008,
};

// What an element made of its variable in a parameter document.
struct VariableReading {
    enum Kind : uint8_t {
        kTaken,      // the value was taken
        kUnchanged,  // the element holds the value already
        kNotTaken,   // refused or passed over, as the refusal says; in a first reading, not yet
    };
    Kind kind = kNotTaken;
    // Why it was not taken; the import adds the variable's place and name.
    ImportRefusal refusal{};

    bool Taken() const { return kind == kTaken; }
};

class IPrivateDataElement {
  public:
    virtual ~IPrivateDataElement() = default;

    virtual const std::string& Name() const = 0;
    // An element is named before a data set holds it: the set finds an element by the name it
    // was added with while it keeps that name, so a renamed one is found by neither name.
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
    // Writes the element's keys; the element's stored value stays until SaveCompleted.
    virtual bool WriteToPropBag(IPropertyBag& bag, IDTMContext& context) = 0;
    // Whether the stored value and unit are the transient ones already, so that the end of a
    // save has nothing to change.
    virtual bool IsStored() const = 0;
    // The bag last written is kept (the frame's file is in place): what it holds of the element
    // becomes the element's stored value and unit.
    virtual void SaveCompleted() = 0;
    // Takes the element's part of a parameter document's variable. The import reads every
    // variable twice: first, before the model's rules followed the document, it takes what the
    // element takes as it stands (and the descriptor and status), and judges nothing; then,
    // with rulesFollowed, it judges the value against the element as the rules left it (its
    // unit, range, list, validity and protection may follow other values of the document).
    virtual VariableReading ReadFromDtmVariable(pugi::xml_node node, IDTMContext& context,
                                                bool rulesFollowed) = 0;
    virtual bool WriteToDtmVariable(pugi::xml_node node, IDTMContext& context) = 0;
    virtual bool WriteToDocVariable(pugi::xml_node node, IDTMContext& context) = 0;

    virtual bool IsUploadParam(IDTMContext& context) const = 0;
    virtual bool IsDownloadParam(IDTMContext& context) const = 0;
    virtual bool IsDeviceCommand(IDTMContext& context) const = 0;

    virtual int32_t NestProcessLevel() const = 0;
    virtual void SetNestProcessLevel(int32_t level) = 0;
};

// The DP-V1 error class of a device that denies access: its write locking or its hardware
// write protection refuses a write.
inline constexpr int32_t kDpv1AccessDeniedClass = 0x300000;

// The status bits that say why the last transfer of the element failed: its communication
// error and its DP-V1 error class; 0 when it did not fail.
inline int32_t TransferErrorBits(const IPrivateDataElement& element) {
    return element.StatusFlags() & (sfCommErrorMask | sfDpv1ErrorMask);
}

// True when a download writes the element's value: the element is written itself, or with the
// record it is transferred in (transfer: that record, or the element itself). A read that only
// shows the device keeps such a value as the project has it.
inline bool DownloadWrites(const IPrivateDataElement& element,
                           const IPrivateDataElement& transfer) {
    return ((element.ElementMode() | transfer.ElementMode()) & emDownload) != 0;
}

// The device's value where a read recorded one, else the data set's: what the device holds as
// far as the instance knows (a read that only shows the device leaves a value that a download
// writes as the project has it).
inline const Variant& DeviceOrDataSetValue(const IPrivateDataElement& element) {
    return element.DeviceValue().isEmpty() ? element.TransientValue() : element.DeviceValue();
}

}  // namespace kv
