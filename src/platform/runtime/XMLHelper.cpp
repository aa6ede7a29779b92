#include "platform/runtime/XMLHelper.h"

#include <stdexcept>

#include "platform/os/ComponentFolder.h"

namespace kv {

XMLHelper::XMLHelper() : path_(os::XmlDataFolder()) {}

Variant XMLHelper::GetAttribute(const std::string& name, pugi::xml_node node) const {
    pugi::xml_attribute a = node.attribute(name.c_str());
    if (!a)
        return Variant();
    return Variant(std::string(a.value()));
}

namespace {

std::string AttributeText(const Variant& value) {
    switch (value.type()) {
        case VarType::Empty:
        case VarType::Null:
            return {};
        case VarType::Boolean:
            return value.toBool() ? "true" : "false";
        case VarType::ByteArray: {
            static const char digits[] = "0123456789ABCDEF";
            std::string hex;
            for (uint8_t b : value.bytes().bytes) {
                hex += digits[b >> 4];
                hex += digits[b & 0xF];
            }
            return hex;
        }
        default:
            return value.toString();
    }
}

}  // namespace

void XMLHelper::SetAttribute(const std::string& name, const Variant& value, pugi::xml_node node) {
    if (!node)
        throw std::invalid_argument("no node for attribute " + name);
    pugi::xml_attribute a = node.attribute(name.c_str());
    if (!a)
        a = node.append_attribute(name.c_str());
    if (!a)
        throw std::runtime_error("cannot set attribute " + name);
    a.set_value(AttributeText(value).c_str());
}

pugi::xml_node XMLHelper::AddElement(const std::string& name, pugi::xml_node parent) {
    pugi::xml_node child = parent.append_child(name.c_str());
    if (!child)
        throw std::runtime_error("cannot add element " + name);
    return child;
}

}  // namespace kv
