#pragma once
// The data of one PROFIBUS process channel: identity, protocol, bus address of the underlying
// parameter, position and length in the cyclic telegram. Every property is a Variant.

#include <cstdint>
#include <string>

#include "value/Variant.h"

namespace kv {

class IDTMContext;

// The properties in slot order.
enum class ChannelProperty : int32_t {
    ProtocolId,     // FDT protocol id of the bus, text without braces
    InitFlag,       // Boolean
    Tag,            // text
    Vendor,         // text: the DTM's vendor
    Version,        // text: the DTM's version
    Date,           // date: the DTM's date
    Descriptor,     // text: the DTM's descriptor
    Name,           // text
    ChannelId,      // text: key of the channel
    Assigned,       // Boolean: the frame has assigned the channel
    ChannelNumber,  // 32-bit: position of the channel in its collection, from 1
    FloatValue,     // 32-bit: 1 for a float value
    ChannelFlag,    // 32-bit
    Description,    // text
    BitPosition,    // 16-bit: bit offset in the cyclic data
    BitLength,      // 16-bit: size in bits
    ChannelOption,  // 16-bit
    Slot,           // 16-bit: DP-V1 slot of the underlying parameter
    Index,          // 16-bit: DP-V1 index of the underlying parameter
    // Descriptive fields not filled by the DTM itself:
    DataType,             // text: the FDT data type of the value ("float", "unsigned8", ...)
    SignalType,           // text: "input" or "output"
    FrameApplicationTag,  // text: the frame's own name of the channel
    GroupName,            // text: the frame's group of the channel
};
inline constexpr int32_t kChannelPropertyCount = 23;

// The type a property holds once read from a channel parameter document.
enum class ChannelPropertyType { Text, Boolean, Date, Long, Integer };
ChannelPropertyType TypeOfChannelProperty(ChannelProperty property);
// The name of the property in the channel parameter document.
const char* NameOfChannelProperty(ChannelProperty property);

class IProfibusChannelParameter {
  public:
    virtual ~IProfibusChannelParameter() = default;

    virtual const Variant& Get(ChannelProperty property) const = 0;
    virtual void Set(ChannelProperty property, const Variant& value) = 0;

    // The channel parameter document of the channel.
    virtual std::string ToXml(IDTMContext* context) const = 0;
    // Takes every property from a channel parameter document; False, and nothing changed, when
    // the text is no such document or a value does not read as its property's type.
    virtual bool FromXml(const std::string& text, IDTMContext* context) = 0;

    // --- the properties by name ---
    const Variant& ProtocolId() const { return Get(ChannelProperty::ProtocolId); }
    void SetProtocolId(const Variant& v) { Set(ChannelProperty::ProtocolId, v); }
    const Variant& InitFlag() const { return Get(ChannelProperty::InitFlag); }
    void SetInitFlag(const Variant& v) { Set(ChannelProperty::InitFlag, v); }
    const Variant& Tag() const { return Get(ChannelProperty::Tag); }
    void SetTag(const Variant& v) { Set(ChannelProperty::Tag, v); }
    const Variant& Vendor() const { return Get(ChannelProperty::Vendor); }
    void SetVendor(const Variant& v) { Set(ChannelProperty::Vendor, v); }
    const Variant& Version() const { return Get(ChannelProperty::Version); }
    void SetVersion(const Variant& v) { Set(ChannelProperty::Version, v); }
    const Variant& Date() const { return Get(ChannelProperty::Date); }
    void SetDate(const Variant& v) { Set(ChannelProperty::Date, v); }
    const Variant& Descriptor() const { return Get(ChannelProperty::Descriptor); }
    void SetDescriptor(const Variant& v) { Set(ChannelProperty::Descriptor, v); }
    const Variant& Name() const { return Get(ChannelProperty::Name); }
    void SetName(const Variant& v) { Set(ChannelProperty::Name, v); }
    const Variant& ChannelId() const { return Get(ChannelProperty::ChannelId); }
    void SetChannelId(const Variant& v) { Set(ChannelProperty::ChannelId, v); }
    const Variant& Assigned() const { return Get(ChannelProperty::Assigned); }
    void SetAssigned(const Variant& v) { Set(ChannelProperty::Assigned, v); }
    const Variant& ChannelNumber() const { return Get(ChannelProperty::ChannelNumber); }
    void SetChannelNumber(const Variant& v) { Set(ChannelProperty::ChannelNumber, v); }
    const Variant& FloatValue() const { return Get(ChannelProperty::FloatValue); }
    void SetFloatValue(const Variant& v) { Set(ChannelProperty::FloatValue, v); }
    const Variant& ChannelFlag() const { return Get(ChannelProperty::ChannelFlag); }
    void SetChannelFlag(const Variant& v) { Set(ChannelProperty::ChannelFlag, v); }
    const Variant& Description() const { return Get(ChannelProperty::Description); }
    void SetDescription(const Variant& v) { Set(ChannelProperty::Description, v); }
    const Variant& BitPosition() const { return Get(ChannelProperty::BitPosition); }
    void SetBitPosition(const Variant& v) { Set(ChannelProperty::BitPosition, v); }
    const Variant& BitLength() const { return Get(ChannelProperty::BitLength); }
    void SetBitLength(const Variant& v) { Set(ChannelProperty::BitLength, v); }
    const Variant& ChannelOption() const { return Get(ChannelProperty::ChannelOption); }
    void SetChannelOption(const Variant& v) { Set(ChannelProperty::ChannelOption, v); }
    const Variant& Slot() const { return Get(ChannelProperty::Slot); }
    void SetSlot(const Variant& v) { Set(ChannelProperty::Slot, v); }
    const Variant& Index() const { return Get(ChannelProperty::Index); }
    void SetIndex(const Variant& v) { Set(ChannelProperty::Index, v); }
    const Variant& DataType() const { return Get(ChannelProperty::DataType); }
    void SetDataType(const Variant& v) { Set(ChannelProperty::DataType, v); }
    const Variant& SignalType() const { return Get(ChannelProperty::SignalType); }
    void SetSignalType(const Variant& v) { Set(ChannelProperty::SignalType, v); }
    const Variant& FrameApplicationTag() const { return Get(ChannelProperty::FrameApplicationTag); }
    void SetFrameApplicationTag(const Variant& v) { Set(ChannelProperty::FrameApplicationTag, v); }
    const Variant& GroupName() const { return Get(ChannelProperty::GroupName); }
    void SetGroupName(const Variant& v) { Set(ChannelProperty::GroupName, v); }
};

}  // namespace kv
