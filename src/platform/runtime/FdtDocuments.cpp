#include "platform/runtime/FdtDocuments.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <sstream>
#include <system_error>

#include "platform/runtime/ElementPath.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IOnlineParameterService.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateDataModel.h"
#include "value/Date.h"
#include "value/Text.h"

namespace kv {

namespace {

// The function list: the DTM's functions outside any group, then the five groups.
constexpr const char* kDTMFunctionsTemplate = R"xml(<FDT>
  <Functions>
    <StandardFunction functionId="1" name="$(func_1)"/>
    <StandardFunction functionId="9" name="$(func_9)"/>
    <StandardFunction functionId="14" name="$(func_14)"/>
    <StandardFunction functionId="15" name="$(func_15)"/>
    <StandardFunction functionId="501" name="$(func_501)"/>
    <FunctionGroup name="Trend">
      <Function functionId="8" name="$(func_8)"/>
    </FunctionGroup>
    <FunctionGroup name="Measure">
      <Function functionId="7" name="$(func_7)"/>
    </FunctionGroup>
    <FunctionGroup name="Diagnosis">
      <Function functionId="5" name="$(func_5)"/>
    </FunctionGroup>
    <FunctionGroup name="Simulation">
      <Function functionId="3" name="$(func_3)"/>
    </FunctionGroup>
    <FunctionGroup name="Operation">
      <Function functionId="2" name="$(func_2)"/>
      <Function functionId="10" name="$(func_10)"/>
      <Function functionId="11" name="$(func_11)"/>
      <Function functionId="12" name="$(func_12)"/>
      <Function functionId="13" name="$(func_13)"/>
    </FunctionGroup>
  </Functions>
</FDT>)xml";

constexpr const char* kDTMDocTemplate = R"(<FDT><DocumentVariables/></FDT>)";

std::string Save(const pugi::xml_document& doc) {
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_default | pugi::format_no_declaration, pugi::encoding_utf8);
    return out.str();
}

// The root "FDT" of a text, with the namespace declared; an empty node when the text does not
// parse or has another root.
pugi::xml_node LoadFdt(pugi::xml_document& doc, const std::string& text) {
    if (!doc.load_string(text.c_str()))
        return {};
    return doc.child("FDT");
}

pugi::xml_node NewFdt(pugi::xml_document& doc) {
    pugi::xml_node root = doc.append_child("FDT");
    root.append_attribute("xmlns:fdt").set_value(kFdtNamespace);
    return root;
}

bool ReadInt32(const char* text, int32_t& out) {
    std::string_view s(text);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    int32_t v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size())
        return false;
    out = v;
    return true;
}

}  // namespace

// --- function call and operation phase ---

bool FunctionCall::Parse(const std::string& text, IDTMContext&) {
    pugi::xml_document doc;
    pugi::xml_node call = LoadFdt(doc, text).child("FunctionCall");
    int32_t id = 0;
    if (!call || !ReadInt32(call.attribute("applicationId").value(), id))
        return false;
    applicationId_ = id;
    functionId_ = call.attribute("functionId").value();
    pugi::xml_attribute arg = call.attribute("argument");
    argument_ = arg ? Variant(std::string(arg.value())) : Variant();
    return true;
}

std::string FunctionCall::ToXml(IDTMContext&) const {
    pugi::xml_document doc;
    pugi::xml_node call = NewFdt(doc).append_child("FunctionCall");
    call.append_attribute("applicationId").set_value(applicationId_);
    if (!functionId_.empty())
        call.append_attribute("functionId").set_value(functionId_.c_str());
    if (!argument_.isEmpty() && !argument_.isNull()) {
        std::string text = argument_.isString() ? argument_.str() : argument_.toString();
        call.append_attribute("argument").set_value(text.c_str());
    }
    return Save(doc);
}

bool OperationPhase::Parse(const std::string& text, IDTMContext&) {
    pugi::xml_document doc;
    pugi::xml_node phase = LoadFdt(doc, text).child("OperationPhase");
    std::string name = phase.attribute("phase").value();
    if (!phase || name.empty())
        return false;
    phase_ = std::move(name);
    return true;
}

std::string OperationPhase::ToXml(IDTMContext&) const {
    pugi::xml_document doc;
    NewFdt(doc).append_child("OperationPhase").append_attribute("phase").set_value(phase_.c_str());
    return Save(doc);
}

std::shared_ptr<IFunctionCall> NewFunctionCall() {
    return std::make_shared<FunctionCall>();
}
std::shared_ptr<IOperationPhase> NewOperationPhase() {
    return std::make_shared<OperationPhase>();
}

// --- parameter document ---

std::string ParameterXMLConverter::GetParametersXml(IDTMContext& context,
                                                    const std::string& parameterPath, int32_t) {
    pugi::xml_document doc;
    pugi::xml_node list = NewFdt(doc).append_child("DtmVariables");
    list.append_attribute("parameterPath").set_value(parameterPath.c_str());
    for (const auto& element : context.Parameters().Elements()) {
        if (!IsUnderPath(element->Name(), parameterPath))
            continue;
        pugi::xml_node node = list.append_child("DtmVariable");
        node.append_attribute("name").set_value(element->Name().c_str());
        element->WriteToDtmVariable(node, context);
    }
    return Save(doc);
}

bool ParameterXMLConverter::SetParametersXml(const std::string& parameterPath, IDTMContext& context,
                                             const std::string& xml, int32_t) {
    refusals_.clear();
    taken_ = 0;
    const auto refuseAll = [this](ImportRefusal::Kind kind) {
        ImportRefusal refusal;
        refusal.kind = kind;
        refusals_.push_back(std::move(refusal));
        return false;
    };
    pugi::xml_document doc;
    pugi::xml_node list = LoadFdt(doc, xml).child("DtmVariables");
    if (!list)
        return refuseAll(ImportRefusal::kNoDocument);
    // The transfer's read-back would put the device's values back over the imported ones.
    if ((context.OnlineParameterService().OnlineMode() & (omUpload | omDownload)) != 0)
        return refuseAll(ImportRefusal::kTransferRuns);
    IParameters& parameters = context.Parameters();
    IPrivateDataModel* const model = parameters.DataModel();
    // A variable of the document whose element the data set holds.
    struct Variable {
        int32_t position;
        std::string path;
        pugi::xml_node node;
        IPrivateDataElement* element;
        Variant before;    // the element's value before the import
        bool set = false;  // the import gave the element a value
    };
    std::vector<Variable> variables;
    const auto read = [&](const Variable& v, bool rulesFollowed) {
        try {
            return v.element->ReadFromDtmVariable(v.node, context, rulesFollowed);
        } catch (const std::exception& e) {
            context.Diagnostics().Record("ParameterXMLConverter::SetParametersXml",
                                         v.path + ": " + e.what());
            return VariableReading{};
        }
    };
    // The rules follow a value the import gave: those of the element's change, and those of a
    // user's choice.
    const auto follow = [&](IPrivateDataElement& element) {
        parameters.ElementChanged(element, "");
        if (model != nullptr)
            model->FollowChoice(element, context);
    };
    // What the last judging did not take, with its variable.
    std::vector<std::pair<Variable*, ImportRefusal>> refused;
    {
        const ScopedBulkUpdate bulk(parameters);
        // First the values that their elements take as they stand, so that the model's rules
        // follow the document: its values may decide on the others' units, ranges, lists,
        // validity and protection, as a user's choices do.
        std::vector<IPrivateDataElement*> changed;
        int32_t position = 0;
        for (pugi::xml_node node = list.child("DtmVariable"); node;
             node = node.next_sibling("DtmVariable")) {
            ++position;
            std::string name = node.attribute("name").value();
            // A name that is no path of the data set may be of any length: the refusal keeps
            // its beginning.
            std::string path = Abridged(name, 80, 76);
            IPrivateDataElement* element = name.empty() ? nullptr : parameters.Item(name);
            if (!element && !name.empty() && !parameterPath.empty()) {
                std::string prefix = parameterPath;
                if (prefix.back() != '/')
                    prefix += '/';
                element = parameters.Item(prefix + name);
            }
            if (!element) {
                ImportRefusal refusal;
                refusal.kind = ImportRefusal::kNoSuchElement;
                refusal.position = position;
                refusal.path = std::move(path);
                refusals_.push_back(std::move(refusal));
                continue;
            }
            Variable& v = variables.emplace_back(
                Variable{position, std::move(path), node, element, element->TransientValue()});
            if (read(v, false).kind == VariableReading::kTaken) {
                v.set = true;
                changed.push_back(element);
            }
        }
        if (!changed.empty()) {
            // The open pages show the new values; the rules of the choices made, then the
            // model's rules and the data-set state follow the whole document at once.
            for (IPrivateDataElement* element : changed)
                context.GUIManager().ParameterChanged(*element, "");
            parameters.SetModifiedState(1);
            if (model != nullptr) {
                for (IPrivateDataElement* element : changed)
                    model->FollowChoice(*element, context);
                model->DataSetChanged(context);
            }
        }
        // Then every value is judged against its element as the rules left it; one that the
        // rules moved gets the document's back. A value taken may lead the rules to let the
        // document give another one (a unit that the valve type offers), so the judging is
        // repeated until it takes nothing more.
        constexpr int kMostRounds = 8;
        for (int round = 0; round < kMostRounds; ++round) {
            refused.clear();
            bool took = false;
            for (Variable& v : variables) {
                VariableReading reading = read(v, true);
                if (reading.kind == VariableReading::kTaken) {
                    v.set = true;
                    took = true;
                    parameters.SetModifiedState(1);
                    follow(*v.element);
                } else if (reading.kind == VariableReading::kNotTaken) {
                    reading.refusal.position = v.position;
                    reading.refusal.path = v.path;
                    refused.emplace_back(&v, std::move(reading.refusal));
                }
            }
            if (!took)
                break;
        }
        // A value that the first reading took and that is refused now leaves the element as
        // the import found it.
        for (auto& [v, refusal] : refused) {
            if (v->set && !refusal.PassedOver()) {
                v->element->SetTransientValue(v->before);
                parameters.ElementChanged(*v->element, "");
            }
        }
    }
    taken_ = static_cast<int32_t>(variables.size() - refused.size());
    for (auto& [v, refusal] : refused)
        refusals_.push_back(std::move(refusal));
    std::stable_sort(
        refusals_.begin(), refusals_.end(),
        [](const ImportRefusal& a, const ImportRefusal& b) { return a.position < b.position; });
    return std::none_of(refusals_.begin(), refusals_.end(),
                        [](const ImportRefusal& refusal) { return !refusal.PassedOver(); });
}

// --- documentation ---

std::optional<std::string> DocumentBuilder::BuildDocument(IDTMContext& context,
                                                          const std::string& templateName,
                                                          int32_t mask, const std::string& title) {
    if (templateName != "DTMDoc")
        return std::nullopt;
    pugi::xml_document doc;
    pugi::xml_node root = LoadFdt(doc, kDTMDocTemplate);
    root.prepend_attribute("xmlns:fdt").set_value(kFdtNamespace);
    if (!title.empty())
        root.append_attribute("title").set_value(title.c_str());
    pugi::xml_node list = root.child("DocumentVariables");
    for (const auto& element : context.Parameters().Elements()) {
        if ((element->ElementMode() & mask) == 0)
            continue;
        pugi::xml_node node = list.append_child("DocumentVariable");
        const bool written =
            Guarded(context.Diagnostics(), "IPrivateDataElement::WriteToDocVariable", false, [&] {
                element->WriteToDocVariable(node, context);
                return true;
            });
        if (!written)
            return std::nullopt;
    }
    return Save(doc);
}

// --- function list ---

void FunctionListBuilder::AddFunctionGroup(const std::string& name, int32_t flags,
                                           int32_t options) {
    groups_.push_back({name, flags, options});
}

std::optional<std::string> FunctionListBuilder::BuildFunctions(IDTMContext& context,
                                                               const std::string& templateName) {
    if (templateName != "DTMFunctions")
        return std::nullopt;
    pugi::xml_document doc;
    pugi::xml_node root = LoadFdt(doc, kDTMFunctionsTemplate);
    root.prepend_attribute("xmlns:fdt").set_value(kFdtNamespace);
    pugi::xml_node functions = root.child("Functions");
    // The template's groups leave the list; the added ones come back in their order.
    pugi::xml_document pool;
    for (pugi::xml_node g = functions.child("FunctionGroup"); g;) {
        pugi::xml_node next = g.next_sibling("FunctionGroup");
        pool.append_copy(g);
        functions.remove_child(g);
        g = next;
    }
    for (const Group& group : groups_) {
        pugi::xml_node source =
            pool.find_child_by_attribute("FunctionGroup", "name", group.name.c_str());
        pugi::xml_node node =
            source ? functions.append_copy(source) : functions.append_child("FunctionGroup");
        if (!source)
            node.append_attribute("name").set_value(group.name.c_str());
        node.append_attribute("flags").set_value(group.flags);
        node.append_attribute("options").set_value(group.options);
    }
    std::string xml = Save(doc);
    // Without a dictionary the names stay as their keys.
    Guarded(context.Diagnostics(), "FunctionListBuilder::BuildFunctions", [&] {
        IDTMDictionary& dictionary = context.Dictionary();
        if (dictionary.HasDocument())
            xml = dictionary.GetXml(context, xml, "DTMFunctions", "label").value_or(xml);
    });
    return xml;
}

// --- DTM information ---

std::optional<std::string> DtmInfoBuilder::BuildInformation(IDTMContext& context) {
    IPrivateDataModel* model = context.Parameters().DataModel();
    if (!model)
        return std::nullopt;
    pugi::xml_document doc;
    pugi::xml_node info = NewFdt(doc).append_child("DtmInformation");
    info.append_attribute("name").set_value(model->DTMName().c_str());
    info.append_attribute("vendor").set_value(model->DTMVendor().c_str());
    info.append_attribute("version").set_value(model->DTMVersion().c_str());
    // A version information without a date leaves the attribute empty.
    const std::string date =
        Guarded<std::string>(context.Diagnostics(), "IPrivateDataModel::DTMDate", {},
                             [&] { return DateToIsoText(model->DTMDate()); });
    info.append_attribute("date").set_value(date.c_str());
    info.append_attribute("descriptor").set_value(model->DTMDescriptor().c_str());
    return Save(doc);
}

}  // namespace kv
