#pragma once
// The runtime's FDT document converters and builders (document shapes in
// platform/runtime/FdtDocuments.h).

#include <cstdint>
#include <optional>
#include <string>

namespace kv {

class IDTMContext;

// The flags the DTM builds and reads every parameter document with.
constexpr int32_t kParameterDocumentFlags = 64;

// The parameter document of the data set: export and import.
class IParameterXMLConverter {
  public:
    virtual ~IParameterXMLConverter() = default;
    // The parameter document of every element whose path begins with parameterPath (all
    // elements for an empty path).
    virtual std::string GetParametersXml(IDTMContext& context, const std::string& parameterPath,
                                         int32_t flags) = 0;
    // Takes the values of a parameter document into the data set. True only when the text is a
    // parameter document and no variable in it was refused (variables of elements that the user
    // could not set at the moment are passed over); the caller holds the data-set lock.
    virtual bool SetParametersXml(const std::string& parameterPath, IDTMContext& context,
                                  const std::string& xml, int32_t flags) = 0;
};

// The documentation document of a function.
class IDocumentBuilder {
  public:
    virtual ~IDocumentBuilder() = default;
    // Builds the document from the template: every element whose ElementMode meets mask writes
    // its documentation node. title, when not empty, names the document. nullopt when the
    // template is unknown or an element fails.
    virtual std::optional<std::string> BuildDocument(IDTMContext& context,
                                                     const std::string& templateName, int32_t mask,
                                                     const std::string& title) = 0;
};

// The functions document.
class IFunctionListBuilder {
  public:
    virtual ~IFunctionListBuilder() = default;
    // Adds a group of the template to the list, in the order of the calls, with its flags (4: a
    // communication is set) and options.
    virtual void AddFunctionGroup(const std::string& name, int32_t flags, int32_t options) = 0;
    // The functions document of the template with the added groups; nullopt when the template is
    // unknown.
    virtual std::optional<std::string> BuildFunctions(IDTMContext& context,
                                                      const std::string& templateName) = 0;
};

// The DTM information document.
class IDtmInfoBuilder {
  public:
    virtual ~IDtmInfoBuilder() = default;
    // nullopt when the data set has no data model.
    virtual std::optional<std::string> BuildInformation(IDTMContext& context) = 0;
};

}  // namespace kv
