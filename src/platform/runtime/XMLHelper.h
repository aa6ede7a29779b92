#pragma once
// Attribute access on XML nodes for the element persistence, and the folder of the XML data
// files (dictionaries and the other documents loaded at run time).

#include <string>

#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IXMLHelper.h"

namespace kv {

class XMLHelper : public IXMLHelper {
  public:
    // Starts with the component's XML data folder.
    XMLHelper();
    explicit XMLHelper(std::string path) : path_(std::move(path)) {}

    // The attribute's text; Empty when the node or the attribute is missing.
    Variant GetAttribute(const std::string& name, pugi::xml_node node) const override;
    // Writes the value as text: Boolean as "true"/"false" (xs:boolean), numbers in the invariant
    // form, byte arrays as hex digits, Empty and Null as an empty text.
    void SetAttribute(const std::string& name, const Variant& value, pugi::xml_node node) override;
    // Appends a child element; throws when the parent cannot take one.
    pugi::xml_node AddElement(const std::string& name, pugi::xml_node parent) override;
    const std::string& XMLDataPath() const override { return path_; }
    void SetXMLDataPath(const std::string& path) override { path_ = path; }

  private:
    std::string path_;
};

}  // namespace kv
