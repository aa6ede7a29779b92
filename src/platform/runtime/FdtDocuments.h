#pragma once
// The FDT documents that the runtime exchanges with the frame, and their converters and builders.
// Every document has the root "FDT" declaring xmlns:fdt="x-schema:FDTDataTypesSchema.xml"; all
// other names are plain. Booleans are "true"/"false", numbers use the point as separator.
//
// Function call (FunctionCall::Parse, ToXml):
//   <FDT xmlns:fdt="..."><FunctionCall applicationId="501" functionId="F1" argument="3"/></FDT>
//   applicationId: the DTM's function number, a 32-bit integer, required. functionId: the
//   frame's identifier, optional. argument: optional; absent gives an Empty argument, present a
//   text (a numeric text counts as a number).
//
// Operation phase (OperationPhase::Parse, ToXml):
//   <FDT xmlns:fdt="..."><OperationPhase phase="engineering"/></FDT>   phase: required, not empty.
//
// Parameter document (ParameterXMLConverter):
//   <FDT xmlns:fdt="...">
//     <DtmVariables parameterPath="PHYS/">
//       <DtmVariable name="PHYS/TAG_DESC" descriptor="..." statusFlag="ok|invalid">
//         <fdt:Value readAccess="true" writeAccess="true"><fdt:Display string="Valve
//         1"/></fdt:Value>
//       </DtmVariable>
//     </DtmVariables>
//   </FDT>
//   One DtmVariable per element in data-set order; name is the element's whole path. The display
//   text of a float is its invariant number followed by "[unit text]"; of an octet string its hex
//   digits. On import a name is the element's path, or a path relative to the parameterPath of
//   the import. An element takes only a value that passes its check of typed values, in the
//   unit the element holds (a number in another unit is converted into it, a number without a
//   unit is in it); the others keep their values. The outcome does not depend on the order of
//   the variables: the values that their elements take as they stand are taken first, the
//   model's rules follow them as they follow a user's choices in parameter rows (a unit that
//   follows the valve type), and then every value is judged against its element as the rules
//   left it (its unit, range, list, validity and protection may follow the document's other
//   values), once more for as long as that takes another value. A value equal to the element's
//   sets nothing. Elements that the user could not set (the device only reports them, they are
//   write-protected or not valid) are passed over without failing the import; one that asks
//   for a higher user level is refused. No import is taken while an upload or download of the
//   frame runs.
//
// Documentation document (DocumentBuilder, template "DTMDoc", held in code):
//   <FDT xmlns:fdt="..." title="...">
//     <DocumentVariables>
//       <DocumentVariable fdt:nodeId="N8" fdt:name="8: Tag" fdt:descriptor="..."
//                         fdt:display="Valve 1" fdt:statusFlag="ok"/>
//       ...
//     </DocumentVariables>
//   </FDT>
//   title only when given. Variables ordered by their node ids "N<order>" and "N<order>.<sub>";
//   variables of functions without a print order carry no node id and follow in data-set order.
//
// Functions document (FunctionListBuilder, template "DTMFunctions", held in code):
//   <FDT xmlns:fdt="...">
//     <Functions>
//       <StandardFunction functionId="1" name="$(func_1)"/> ...            (outside any group)
//       <FunctionGroup name="Trend" flags="4" options="0">
//         <Function functionId="8" name="$(func_8)"/>
//       </FunctionGroup> ...
//     </Functions>
//   </FDT>
//   functionId is the DTM's function number (the application id of a function call). Only the
//   added groups appear, in the order they were added; flags 4 marks a group whose functions can
//   reach the device (a communication is set), 0 one that works on the stored data only. Names
//   "$(key)" are completed from the dictionary's section "DTMFunctions" (attribute "label") when a
//   dictionary is loaded.
//
// DTM information document (DtmInfoBuilder):
//   <FDT xmlns:fdt="...">
//     <DtmInformation name="..." vendor="..." version="1.0.10" date="2026-12-08" descriptor="..."/>
//   </FDT>

#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/IDocuments.h"
#include "platform/runtime/IFunctionCall.h"
#include "platform/runtime/ImportRefusal.h"

namespace kv {

inline constexpr const char* kFdtNamespace = "x-schema:FDTDataTypesSchema.xml";

class FunctionCall : public IFunctionCall {
  public:
    bool Parse(const std::string& text, IDTMContext& context) override;
    int32_t ApplicationId() const override { return applicationId_; }
    void SetApplicationId(int32_t id) override { applicationId_ = id; }
    const std::string& FunctionId() const override { return functionId_; }
    void SetFunctionId(const std::string& id) override { functionId_ = id; }
    const Variant& FunctionArgument() const override { return argument_; }
    void SetFunctionArgument(const Variant& argument) override { argument_ = argument; }
    std::string ToXml(IDTMContext& context) const override;

  private:
    int32_t applicationId_ = 0;
    std::string functionId_;
    Variant argument_;
};

class OperationPhase : public IOperationPhase {
  public:
    bool Parse(const std::string& text, IDTMContext& context) override;
    const std::string& Phase() const override { return phase_; }
    std::string ToXml(IDTMContext& context) const override;

  private:
    std::string phase_;
};

class ParameterXMLConverter : public IParameterXMLConverter {
  public:
    std::string GetParametersXml(IDTMContext& context, const std::string& parameterPath,
                                 int32_t flags) override;
    bool SetParametersXml(const std::string& parameterPath, IDTMContext& context,
                          const std::string& xml, int32_t flags) override;
    // What the last import did not take, in the document's order. Besides the refusals, which
    // fail the import, it names the variables passed over (ImportRefusal::PassedOver): elements
    // that the user could not set at the moment.
    const std::vector<ImportRefusal>& Refusals() const { return refusals_; }
    // How many variables of the last import their elements hold now: taken, or held already.
    int32_t Taken() const { return taken_; }

  private:
    std::vector<ImportRefusal> refusals_;
    int32_t taken_ = 0;
};

class DocumentBuilder : public IDocumentBuilder {
  public:
    std::optional<std::string> BuildDocument(IDTMContext& context, const std::string& templateName,
                                             int32_t mask, const std::string& title) override;
};

class FunctionListBuilder : public IFunctionListBuilder {
  public:
    void AddFunctionGroup(const std::string& name, int32_t flags, int32_t options) override;
    std::optional<std::string> BuildFunctions(IDTMContext& context,
                                              const std::string& templateName) override;

  private:
    struct Group {
        std::string name;
        int32_t flags;
        int32_t options;
    };
    std::vector<Group> groups_;
};

class DtmInfoBuilder : public IDtmInfoBuilder {
  public:
    std::optional<std::string> BuildInformation(IDTMContext& context) override;
};

}  // namespace kv
