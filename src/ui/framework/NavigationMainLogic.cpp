#include "ui/framework/NavigationMainLogic.h"

#include <filesystem>

#include "core/DictionaryLookup.h"
#include "core/DtmElements.h"
#include "core/ProjectHelpers.h"
#include "core/WinSDK.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/ICommObject.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IDtmContextHolder.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IXMLHelper.h"
#include "ui/framework/GUIRegistration.h"
#include "ui/framework/NavigationTree.h"
#include "ui/framework/ParamLinkPrototype.h"

namespace kv {

namespace {

namespace fs = std::filesystem;

// The folder of the component: the parent of its XML data folder.
fs::path ComponentFolder(const std::string& xmlDataPath) {
    fs::path folder = fs::path(xmlDataPath).lexically_normal();
    if (folder.filename().empty())
        folder = folder.parent_path();
    return folder.parent_path();
}

}  // namespace

NavigationMainLogic::NavigationMainLogic(INavigationMainHost& host) : m_Host(host) {}

NavigationMainLogic::~NavigationMainLogic() = default;

std::shared_ptr<IDTMContext> NavigationMainLogic::GetDtmContext() const {
    return kv::GetDtmContext(m_DTM.get());
}

int32_t NavigationMainLogic::FunctionId() const {
    return Initialised() && m_FunctionCall ? m_FunctionCall->ApplicationId() : 0;
}

std::string NavigationMainLogic::Text(IDTMContext& context, const std::string& key) {
    return GetDictionaryText(context, key);
}

// --- IDtmActiveXControl ---

bool NavigationMainLogic::Init(const std::string& guiFunctionCall, const std::string& functionCall,
                               std::shared_ptr<IDtm> dtm) {
    // A window takes one function call for its life until it is released.
    if (guiFunctionCall.empty() || !dtm || Initialised() || m_HostDetached)
        return false;
    const std::shared_ptr<IDTMContext> context = kv::GetDtmContext(dtm.get());
    if (!context)
        return false;
    const bool done = Guarded(context->Diagnostics(), "ctlNavigationMain::Init", false, [&] {
        m_DTM = dtm;
        if (!m_FunctionCall)
            m_FunctionCall = NewFunctionCall();
        if (!m_FunctionCall->Parse(functionCall, *context)) {
            m_DTM.reset();
            return false;
        }
        // A window the GUI list does not take would never hear of a change: it refuses.
        const bool topLevel = guiFunctionCall.back() != '$';
        if (!context->GUIManager().RegisterGUI(guiFunctionCall, shared_from_this(), topLevel)) {
            m_DTM.reset();
            return false;
        }
        m_GUIFunctionCall = guiFunctionCall;
        m_EverInitialised = true;
        InitPage();
        int32_t number = 0;
        for (IDtmActiveXControl* child : m_Host.ChildUserInterfaces()) {
            ++number;
            child->Init(guiFunctionCall + "." + std::to_string(number) + "$", functionCall, dtm);
        }
        return true;
    });
    // A failure on the way leaves nothing registered.
    if (!done && Initialised())
        Terminate();
    return done;
}

bool NavigationMainLogic::PrepareToRelease() {
    if (!Initialised())
        return true;
    const std::shared_ptr<IDTMContext> context = GetDtmContext();
    return Guarded(context->Diagnostics(), "ctlNavigationMain::PrepareToRelease", false, [&] {
        // Everyone is asked before anything of the window is released, so that a refusal
        // leaves the window whole.
        for (IDtmActiveXControl* child : m_Host.ChildUserInterfaces()) {
            if (!child->PrepareToRelease())
                return false;
        }
        for (INavigationPage* page : m_Host.Navigation().Pages()) {
            if (!ReleaseChildPage(page))
                return false;
        }
        m_Host.ParamSite().Release();
        m_Host.ClearCycle();
        m_Host.HideWindow();
        context->GUIManager().UnregisterGUI(m_GUIFunctionCall);
        m_DTM.reset();
        m_GUIFunctionCall.clear();
        return true;
    });
}

bool NavigationMainLogic::ReleaseChildPage(INavigationPage* page) {
    auto* control = dynamic_cast<IDtmActiveXControl*>(page);
    return control == nullptr || control->PrepareToRelease();
}

void NavigationMainLogic::InitPage() {
    IDTMContext& context = *GetDtmContext();
    m_Host.ParamSite().Init(context, m_GUIFunctionCall, NewParamLinkPrototype(false));
    m_Host.InitCycle(context);
    if (context.GUIManager().Locked())
        EnableEdit(false);
    InitView();
    ApplyLanguage(context.GUIManager().Language());
    ParameterSetChanged();
}

void NavigationMainLogic::EnableEdit(bool enabled) {
    m_Host.ParamSite().EnableEdit(enabled);
}

// --- IPrivateGUI ---

bool NavigationMainLogic::CloseGUI() {
    return Initialised() ? PrepareToRelease() : true;
}

void NavigationMainLogic::LockStateChanged(bool locked) {
    if (!Initialised())
        return;
    EnableEdit(!locked);
}

void NavigationMainLogic::ParameterChanged(IPrivateDataElement& element) {
    if (!Initialised())
        return;
    m_Host.ParamSite().ParameterChanged(element);
    OnMainParameterChanged(&element);
}

void NavigationMainLogic::ParameterSetChanged() {
    if (!Initialised())
        return;
    m_Host.ParamSite().ParameterSetChanged();
    OnMainParameterChanged(nullptr);
}

void NavigationMainLogic::ValidateParameters() {
    if (!Initialised())
        return;
    m_Host.ParamSite().Validate();
}

void NavigationMainLogic::SetLanguage(int32_t languageId) {
    ApplyLanguage(languageId);
}

// --- GUITreeStructure ---

void NavigationMainLogic::SetGUITreeStructure(const std::string& text) {
    ApplyFunctionSubTree(text);
    ApplyTreeTexts();
}

std::string NavigationMainLogic::GUITreeStructure() const {
    if (m_HostDetached)
        return m_GUITreeStructure;
    std::string shown = m_Host.Navigation().NavigationPanes().devParameter().TreeHolder().TreeXml();
    if (shown.empty() && !m_EverInitialised)
        return DesignTimeTreeStructure();
    return shown;
}

// --- events of the navigation control ---

void NavigationMainLogic::PageCreated(INavigationPage& page) {
    if (!Initialised())
        return;
    Guard("ctlNavigationMain::PageCreated", [&] {
        auto* control = dynamic_cast<IDtmActiveXControl*>(&page);
        if (control == nullptr)
            return;
        const std::string document = m_FunctionCall->ToXml(*GetDtmContext());
        // The page's answer is not used. A new page follows the navigation control's current
        // cycle switch, which the control hands it itself.
        control->Init(m_GUIFunctionCall + "." + page.Name() + "$", document, m_DTM);
    });
}

void NavigationMainLogic::PageReleasing(INavigationPage& page) {
    Guard("ctlNavigationMain::PageReleasing", [&] { ReleaseChildPage(&page); });
}

void NavigationMainLogic::ToolbarButtonClick(int32_t button) {
    if (!Initialised())
        return;
    Guard("ctlNavigationMain::ToolbarButtonClick", [&] {
        if (button == ntbManual)
            OpenDocument("func_doc");
        else if (button == ntbHelp)
            OpenDocument("func_help");
    });
}

void NavigationMainLogic::OpenDocument(const char* key) {
    IDTMContext& context = *GetDtmContext();
    const Variant entry = context.Dictionary().GetText("DTMFunctions", key, "path");
    const std::string relative = entry.isString() ? entry.str() : std::string();
    // Without a path there is no document: the component's folder is no document either.
    if (relative.empty()) {
        context.DisplayMessage(Text(context, "no_document_available"));
        return;
    }
    const fs::path file = ComponentFolder(context.XMLHelper().XMLDataPath()) / relative;
    std::error_code error;
    if (!fs::is_regular_file(file, error)) {
        context.DisplayMessage(Text(context, "no_document_available"));
        return;
    }
    // The document is there, but no program could be started to show it (on Linux: xdg-open
    // is missing), or the program ended without opening it (xdg-open found no viewer): the
    // message names the file, so that the user can open it another way.
    const std::string path = file.string();
    const std::weak_ptr<NavigationMainLogic> weakSelf = weak_from_this();
    const std::weak_ptr<IDTMContext> weakContext = GetDtmContext();
    auto ended = [weakSelf, weakContext, path](bool opened) {
        const std::shared_ptr<NavigationMainLogic> self = weakSelf.lock();
        const std::shared_ptr<IDTMContext> later = weakContext.lock();
        // A window that is gone, released or bound to another instance meanwhile is told nothing.
        if (opened || !self || !later || self->GetDtmContext() != later)
            return;
        self->Guard("ctlNavigationMain::OpenDocument ended",
                    [&] { self->TellNoProgramFor(*later, path); });
    };
    if (!ShellOpenDocument(path, context.Loop(), std::move(ended), context.Diagnostics()))
        TellNoProgramFor(context, path);
}

void NavigationMainLogic::TellNoProgramFor(IDTMContext& context, const std::string& file) {
    context.DisplayMessage(GetDictionaryText(context, "no_program_for_document", Variant(file)));
}

void NavigationMainLogic::CyclicRefreshChanged(int16_t value) {
    if (!Initialised())
        return;
    // Mirroring the switch into the window's own cycle; its errors are ignored.
    Guard("ctlNavigationMain::CyclicRefreshChanged", [&] { m_Host.SetCycleValue(value); });
}

void NavigationMainLogic::CycleIntervalChanged() {
    const std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        return;
    Guard("ctlNavigationMain::CycleIntervalChanged", [&] {
        IPrivateDataElement* element = context->Parameters().Item(kCycleIntervalPath);
        if (element == nullptr)
            return;
        const int32_t interval = m_Host.Navigation().NavigationPanes().dtmInfo().Cycle().Interval();
        const Variant value(interval);
        if (element->TransientValue().looseEquals(value))
            return;
        // The interval is the window's setting: it goes with the instance when the project is
        // saved, but it is no change of the device's data and nobody else is told.
        element->SetTransientValue(value);
    });
}

// --- events of ctlCycle1 ---

void NavigationMainLogic::CycleAddRequests(ITransactionGroup& group) {
    if (const std::shared_ptr<IDTMContext> context = GetDtmContext())
        AddStartupRequests(*context, group, true);
}

void NavigationMainLogic::CycleClick() {
    if (!Initialised())
        return;
    // The pane's switch follows the control; its errors are ignored.
    Guard("ctlNavigationMain::CycleClick", [&] {
        m_Host.Navigation().NavigationPanes().dtmInfo().Cycle().SetCyclicRefresh(
            m_Host.CycleValue());
    });
}

void NavigationMainLogic::CycleError() {
    const std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        return;
    ICommObject* comm = context->CommunicationManager().CommObject();
    if (comm == nullptr || !comm->ErrorPending() || comm->ErrorCode() != cecConnectionLost)
        return;
    context->DisplayMessage(Text(*context, "error_cycle_timeout"));
    Guard("ctlNavigationMain::CycleError",
          [&] { m_Host.Navigation().NavigationPanes().dtmInfo().Cycle().SetCyclicRefresh(0); });
}

// --- window events ---

void NavigationMainLogic::Shown() {
    TellGUIShown(GetDtmContext(), m_GUIFunctionCall, true);
}

void NavigationMainLogic::Hidden() {
    TellGUIShown(GetDtmContext(), m_GUIFunctionCall, false);
}

void NavigationMainLogic::DetachHost() noexcept {
    Terminate();
    m_HostDetached = true;
}

void NavigationMainLogic::Terminate() noexcept {
    if (!Initialised())
        return;
    LeaveGUIList(GetDtmContext(), m_GUIFunctionCall);
    m_DTM.reset();
    m_GUIFunctionCall.clear();
}

}  // namespace kv
