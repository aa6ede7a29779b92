#include "ui/framework/clsNavigation.h"

#include <pugixml.hpp>
#include <sstream>

#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IFunctionCall.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IPrivateFunctions.h"
#include "platform/runtime/IPrivateGUI.h"
#include "platform/runtime/IPrompt.h"
#include "platform/runtime/IStateObject.h"
#include "platform/runtime/IXMLHelper.h"
#include "ui/framework/IMainWindow.h"
#include "ui/framework/NavHelpers.h"
#include "ui/framework/NavigationTree.h"

namespace kv {

namespace {

const SharedText& SharedDesignTimeTree() {
    static const SharedText tree(DesignTimeTreeStructure());
    return tree;
}

}  // namespace

clsNavigation::clsNavigation()
    : m_InitialTreeStructure(SharedDesignTimeTree()), m_CurTreeStructure(m_InitialTreeStructure) {}

clsNavigation::clsNavigation(std::string designTimeTree)
    : m_InitialTreeStructure(std::move(designTimeTree)),
      m_CurTreeStructure(m_InitialTreeStructure) {}

clsNavigation::~clsNavigation() {
    m_DTMContext.Reset();
}

void clsNavigation::AttachDTMContext(const std::shared_ptr<IDTMContext>& context) {
    m_DTMContext.SetItem(context);
}

void clsNavigation::SetCurTreeStructure(const std::string& text) {
    if (text == m_CurTreeStructure.str())
        return;
    m_CurTreeStructure = SharedText(text);
    UpdatecurTreeStructure();
}

std::string clsNavigation::CurTreeStructure() const {
    // Without a context there is no function list to derive the tree from.
    std::shared_ptr<IDTMContext> context = DTMContext();
    if (!context)
        return {};
    return Guarded<std::string>(context->Diagnostics(), "clsNavigation::CurTreeStructure", {},
                                [&] { return DeriveTree(*context); });
}

std::string clsNavigation::DeriveTree(IDTMContext& context) const {
    pugi::xml_document tree;
    pugi::xml_parse_result parsed =
        tree.load_string(m_CurTreeStructure.c_str(), pugi::parse_default | pugi::parse_declaration);
    if (!parsed) {
        context.MessageBox(GetXmlParseErrorText(&parsed, m_CurTreeStructure.str()), mbsOkOnly);
        return {};
    }

    std::shared_ptr<IOperationPhase> phase;
    if (auto* holder = dynamic_cast<IOperationPhaseHolder*>(context.StateObject()))
        phase = holder->LastOpPhase();
    IPrivateFunctions* functions = context.Functions();
    const std::string functionList = functions ? functions->GetFunctions(context, phase) : "";
    pugi::xml_document functionsDoc;
    if (const std::optional<std::string> loadError =
            context.XMLHelper().LoadXml(functionsDoc, functionList)) {
        context.DisplayMessage(*loadError);
        return {};
    }

    const std::vector<pugi::xml_node> roots = ElementsByTagName(tree, "treeview");
    pugi::xml_node list = functionsDoc.child("FDT").child("Functions");
    for (const pugi::xpath_node& found : list.select_nodes(".//*")) {
        const pugi::xml_node node = found.node();
        const std::string_view name = node.name();
        if (name != "StandardFunction" && name != "Function")
            continue;
        const char* functionId = node.attribute("functionId").value();
        pugi::xml_node target = FindNodeByAttribute(roots, "functionId", functionId);
        if (!target)
            continue;
        pugi::xml_attribute status = target.attribute("invisibleStatus");
        if (!status)
            status = target.append_attribute("invisibleStatus");
        status.set_value("0");
    }
    std::ostringstream out;
    tree.save(out, "", pugi::format_raw);
    return out.str();
}

void clsNavigation::UpdatecurTreeStructure() const {
    std::shared_ptr<IDTMContext> context = DTMContext();
    if (!context)
        return;
    const std::string text = CurTreeStructure();
    // A tree that could not be derived is not pushed: the windows keep the one they show.
    if (text.empty())
        return;
    DiagnosticLog& log = context->Diagnostics();
    const std::vector<std::string> ids =
        Guarded(log, "clsNavigation::UpdatecurTreeStructure", std::vector<std::string>(),
                [&] { return context->GUIManager().FunctionIds(); });
    for (const std::string& id : ids) {
        // A window that cannot take the tree is skipped.
        Guarded(log, "IMainWindow::SetGUITreeStructure", [&] {
            auto window = std::dynamic_pointer_cast<IMainWindow>(context->GUIManager().GetGUI(id));
            if (window)
                window->SetGUITreeStructure(text);
        });
    }
}

}  // namespace kv
