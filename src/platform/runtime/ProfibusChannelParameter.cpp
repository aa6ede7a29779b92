#include "platform/runtime/ProfibusChannelParameter.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <pugixml.hpp>
#include <sstream>
#include <stdexcept>

#include "platform/runtime/IDTMContext.h"
#include "value/Date.h"

namespace kv {

namespace {

const char* const kRoot = "FDT";
const char* const kChannel = "FDTChannel";

struct PropertyForm {
    ChannelProperty property;
    ChannelPropertyType type;
    const char* element;  // child of FDTChannel; nullptr: FDTChannel itself
    const char* attribute;
};

// Slot order; the position in this table is the property's number.
const PropertyForm kForms[kChannelPropertyCount] = {
    {ChannelProperty::ProtocolId, ChannelPropertyType::Text, nullptr, "protocolId"},
    {ChannelProperty::InitFlag, ChannelPropertyType::Boolean, nullptr, "initFlag"},
    {ChannelProperty::Tag, ChannelPropertyType::Text, nullptr, "tag"},
    {ChannelProperty::Vendor, ChannelPropertyType::Text, "DTM", "vendor"},
    {ChannelProperty::Version, ChannelPropertyType::Text, "DTM", "version"},
    {ChannelProperty::Date, ChannelPropertyType::Date, "DTM", "date"},
    {ChannelProperty::Descriptor, ChannelPropertyType::Text, "DTM", "descriptor"},
    {ChannelProperty::Name, ChannelPropertyType::Text, nullptr, "name"},
    {ChannelProperty::ChannelId, ChannelPropertyType::Text, nullptr, "channelId"},
    {ChannelProperty::Assigned, ChannelPropertyType::Boolean, nullptr, "assigned"},
    {ChannelProperty::ChannelNumber, ChannelPropertyType::Long, nullptr, "channelNumber"},
    {ChannelProperty::FloatValue, ChannelPropertyType::Long, "BitRange", "floatValue"},
    {ChannelProperty::ChannelFlag, ChannelPropertyType::Long, "BitRange", "channelFlag"},
    {ChannelProperty::Description, ChannelPropertyType::Text, nullptr, "description"},
    {ChannelProperty::BitPosition, ChannelPropertyType::Integer, "BitRange", "bitPosition"},
    {ChannelProperty::BitLength, ChannelPropertyType::Integer, "BitRange", "bitLength"},
    {ChannelProperty::ChannelOption, ChannelPropertyType::Integer, "BitRange", "channelOption"},
    {ChannelProperty::Slot, ChannelPropertyType::Integer, "ProfibusDPAddress", "slot"},
    {ChannelProperty::Index, ChannelPropertyType::Integer, "ProfibusDPAddress", "index"},
    {ChannelProperty::DataType, ChannelPropertyType::Text, nullptr, "dataType"},
    {ChannelProperty::SignalType, ChannelPropertyType::Text, nullptr, "signalType"},
    {ChannelProperty::FrameApplicationTag, ChannelPropertyType::Text, nullptr,
     "frameApplicationTag"},
    {ChannelProperty::GroupName, ChannelPropertyType::Text, nullptr, "groupName"},
};

// The child elements in document order.
const char* const kChildren[] = {"DTM", "ProfibusDPAddress", "BitRange"};

size_t PropertySlot(ChannelProperty property) {
    const auto n = static_cast<size_t>(property);
    if (n >= static_cast<size_t>(kChannelPropertyCount))
        throw std::out_of_range("no such channel property");
    return n;
}

std::string ToText(const Variant& value, ChannelPropertyType type) {
    switch (type) {
        case ChannelPropertyType::Text:
            return value.toString();
        case ChannelPropertyType::Boolean:
            return value.toBool() ? "true" : "false";
        case ChannelPropertyType::Date:
            return DateToIsoText(value.toDate());
        case ChannelPropertyType::Long:
            return std::to_string(value.toLong());
        case ChannelPropertyType::Integer:
            return std::to_string(value.toInteger());
    }
    return {};
}

std::optional<int64_t> ReadWholeNumber(const std::string& text, int64_t min, int64_t max) {
    std::istringstream in(text);
    int64_t n = 0;
    if (text.empty() || text.find_first_not_of("+-0123456789") != std::string::npos || !(in >> n) ||
        !in.eof() || n < min || n > max) {
        return std::nullopt;
    }
    return n;
}

std::optional<Variant> FromText(const std::string& text, ChannelPropertyType type) {
    switch (type) {
        case ChannelPropertyType::Text:
            return Variant(text);
        case ChannelPropertyType::Boolean:
            if (text == "true" || text == "1")
                return Variant(true);
            if (text == "false" || text == "0")
                return Variant(false);
            return std::nullopt;
        case ChannelPropertyType::Date: {
            const std::optional<double> days = ParseIsoDate(text);
            if (!days)
                return std::nullopt;
            return Variant::FromDate(*days);
        }
        case ChannelPropertyType::Long:
            if (auto n = ReadWholeNumber(text, std::numeric_limits<int32_t>::min(),
                                         std::numeric_limits<int32_t>::max())) {
                return Variant(static_cast<int32_t>(*n));
            }
            return std::nullopt;
        case ChannelPropertyType::Integer:
            if (auto n = ReadWholeNumber(text, std::numeric_limits<int16_t>::min(),
                                         std::numeric_limits<int16_t>::max())) {
                return Variant(static_cast<int16_t>(*n));
            }
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

ChannelPropertyType TypeOfChannelProperty(ChannelProperty property) {
    return kForms[PropertySlot(property)].type;
}

const char* NameOfChannelProperty(ChannelProperty property) {
    return kForms[PropertySlot(property)].attribute;
}

const Variant& ProfibusChannelParameter::Get(ChannelProperty property) const {
    return values_[PropertySlot(property)];
}

void ProfibusChannelParameter::Set(ChannelProperty property, const Variant& value) {
    values_[PropertySlot(property)] = value;
}

std::string ProfibusChannelParameter::ToXml(IDTMContext* context) const {
    pugi::xml_document doc;
    pugi::xml_node channel = doc.append_child(kRoot).append_child(kChannel);
    if (context != nullptr)
        channel.append_attribute("nodeId") = context->SystemTag().c_str();
    for (const PropertyForm& form : kForms) {
        const Variant& value = values_[PropertySlot(form.property)];
        if (value.isEmpty() || value.isNull() || form.element != nullptr)
            continue;
        channel.append_attribute(form.attribute) = ToText(value, form.type).c_str();
    }
    for (const char* child : kChildren) {
        pugi::xml_node node = channel.append_child(child);
        for (const PropertyForm& form : kForms) {
            const Variant& value = values_[PropertySlot(form.property)];
            if (value.isEmpty() || value.isNull() || form.element == nullptr ||
                std::string(form.element) != child) {
                continue;
            }
            node.append_attribute(form.attribute) = ToText(value, form.type).c_str();
        }
    }
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_default | pugi::format_no_declaration, pugi::encoding_utf8);
    return out.str();
}

bool ProfibusChannelParameter::FromXml(const std::string& text, IDTMContext* /*context*/) {
    pugi::xml_document doc;
    if (!doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8))
        return false;
    const pugi::xml_node channel = doc.child(kRoot).child(kChannel);
    if (!channel)
        return false;
    std::array<Variant, kChannelPropertyCount> read;
    for (const PropertyForm& form : kForms) {
        const pugi::xml_node node = form.element ? channel.child(form.element) : channel;
        const pugi::xml_attribute attribute = node.attribute(form.attribute);
        if (!attribute)
            continue;
        std::optional<Variant> value = FromText(attribute.value(), form.type);
        if (!value)
            return false;
        read[PropertySlot(form.property)] = std::move(*value);
    }
    const Variant& id = read[PropertySlot(ChannelProperty::ChannelId)];
    if (!id.isString() || id.str().empty())
        return false;
    values_ = std::move(read);
    return true;
}

}  // namespace kv
