#pragma once
// XML access of the element persistence and the folder of the XML data files.

#include <optional>
#include <pugixml.hpp>
#include <string>

#include "value/Variant.h"

namespace kv {

// XML access of the element persistence, and the folder of the XML data files.
class IXMLHelper {
  public:
    virtual ~IXMLHelper() = default;
    virtual Variant GetAttribute(const std::string& name, pugi::xml_node node) const = 0;
    virtual void SetAttribute(const std::string& name, const Variant& value,
                              pugi::xml_node node) = 0;
    virtual pugi::xml_node AddElement(const std::string& name, pugi::xml_node parent) = 0;
    virtual const std::string& XMLDataPath() const = 0;
    virtual void SetXMLDataPath(const std::string& path) = 0;
    // Loads a document from text. The reason when the text is no well-formed XML document;
    // nullopt when it loaded.
    virtual std::optional<std::string> LoadXml(pugi::xml_document& doc,
                                               const std::string& text) const {
        pugi::xml_parse_result result = doc.load_string(text.c_str());
        if (result && doc.document_element())
            return std::nullopt;
        return std::string("The XML document does not load: ") +
               (result ? "it has no root element" : result.description()) + " (offset " +
               std::to_string(result ? 0 : result.offset) + ").";
    }
};

}  // namespace kv
