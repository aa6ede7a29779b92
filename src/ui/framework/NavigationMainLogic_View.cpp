// What the main window shows around its pages: the headline with the device state, the device
// and DTM panes, and the tree of the window's function.

#include <cmath>
#include <filesystem>
#include <pugixml.hpp>
#include <sstream>

#include "core/DictionaryLookup.h"
#include "core/DtmElements.h"
#include "core/ProjectHelpers.h"
#include "core/clsDataElement.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/ICommunicationManager.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IDTMDictionary.h"
#include "platform/runtime/IDeviceTypeInfo.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IStateObject.h"
#include "platform/runtime/IXMLHelper.h"
#include "ui/framework/NavHelpers.h"
#include "ui/framework/NavigationMainLogic.h"
#include "ui/framework/clsNavigation.h"
#include "value/NumberText.h"
#include "value/Text.h"

namespace kv {

namespace {

// Bits of DIAGNOSIS (entries 0 to 15) and CHECK_BACK (entries 0 to 17) and what they mean.
constexpr int kLastDiagnosisEntry = 15;
constexpr int kLastCheckBackEntry = 17;

bool IsDiagnosisFailure(int i) {
    return i == 0 || i == 1 || i == 4 || i == 5 || i == 6 || i == 10 || i == 12;
}
bool IsDiagnosisMaintenance(int i) {
    return i == 7 || i == 8 || i == 13 || i == 14 || i == 15;
}
bool IsCheckBackMaintenance(int i) {
    return i == 1 || i == 7 || i == 16;
}
bool IsCheckBackFunctionCheck(int i) {
    return i == 2 || i == 11 || i == 15;
}

// The set entries of a bit-list element, from its lowest entry up to lastEntry; none when the
// element is no bit list with a value list and an array value.
std::vector<int> SetEntries(const clsDataElement* element, int lastEntry) {
    std::vector<int> set;
    if (element == nullptr || element->ValueList.empty() || element->ControlType() != pctBitList ||
        !element->TransientValue().isByteArray())
        return set;
    const std::string bits = ToBinaryString(element->TransientValue());
    int i = 0;
    size_t start = 0;
    while (start <= bits.size() && i <= lastEntry) {
        const size_t end = std::min(bits.find('|', start), bits.size());
        if (bits.compare(start, end - start, "1") == 0)
            set.push_back(i);
        ++i;
        start = end + 1;
    }
    return set;
}

// A value as the panes show it: Empty and Null as nothing, texts without trailing blanks.
std::string DisplayText(const Variant& value) {
    if (value.isEmpty() || value.isNull())
        return {};
    return std::string(TrimRight(value.toString()));
}

clsDataElement* ElementOf(IDTMContext& context, const char* path) {
    return AsDataElement(context.Parameters().Item(path));
}

std::string PathIn(const std::string& folder, const std::string& file) {
    return (std::filesystem::path(folder) / file).string();
}

// Whether the instance has a connection to its device: a channel and an online connection.
bool IsConnected(IDTMContext& context) {
    ICommunicationManager& comm = context.CommunicationManager();
    return comm.Communication() != nullptr && comm.IsOnline();
}

// A writable element's value as the headline and the device pane show the device: while
// connected the device's where a read recorded it (the window's reads leave the value as the
// project has it), else the data set's. A read-only element's value is the device's anyway.
const Variant& DeviceShown(IDTMContext& context, const IPrivateDataElement& element) {
    return IsConnected(context) ? DeviceOrDataSetValue(element) : element.TransientValue();
}

}  // namespace

DeviceState ComputeDeviceState(const clsDataElement* diagnosis, const clsDataElement* checkBack) {
    DeviceState state;
    for (int i : SetEntries(diagnosis, kLastDiagnosisEntry)) {
        if (IsDiagnosisFailure(i)) {
            state.flags |= dsfFailure;
            ++state.failure;
        } else if (IsDiagnosisMaintenance(i)) {
            state.flags |= dsfMaintenance;
            ++state.maintenance;
        }
    }
    if (state.flags == 0 && diagnosis != nullptr && !diagnosis->DeviceValue().isEmpty())
        state.flags = dsfOk;
    for (int i : SetEntries(checkBack, kLastCheckBackEntry)) {
        if (IsCheckBackMaintenance(i)) {
            state.flags |= dsfMaintenance;
            ++state.maintenance;
        } else if (IsCheckBackFunctionCheck(i)) {
            state.flags |= dsfFunctionCheck;
            ++state.functionCheck;
        }
    }
    if (state.flags == 0 && checkBack != nullptr && !checkBack->DeviceValue().isEmpty())
        state.flags = dsfOk;
    return state;
}

std::optional<int32_t> PaneDataState(const Variant& dataStatus) {
    if (!dataStatus.isNumber() || dataStatus.number() != std::floor(dataStatus.number()))
        return std::nullopt;
    switch (static_cast<int64_t>(dataStatus.number())) {
        case edsInitial:
            return ddsInitial;
        case edsDatabase:
            return ddsStored;
        case edsDevice:
            return ddsDevice;
        case edsChanged:
            return ddsChanged;
        case edsIndefinite:
            return ddsIndefinite;
        case kDataStatusSomeStored:
            return ddsPartlyStored;
        case kDataStatusSomeDevice:
            return ddsPartlyDevice;
        default:
            return std::nullopt;
    }
}

FunctionView ViewOfFunction(int32_t functionId) {
    switch (functionId) {
        case 1:
            return {true, false, false};
        case 2:
        case 5:
        case 10:
            return {true, true, true};
        case 3:
        case 7:
            return {false, true, true};
        case 8:
        case 11:
            return {false, false, true};
        case 9:
        case 12:
        case 13:
            return {false, false, false};
        case 14:
            return {true, true, false};
        default:
            return {std::nullopt, false, false};
    }
}

std::string ExpandTreeTexts(const std::string& tree, IDTMContext& context) {
    IDTMDictionary& dictionary = context.Dictionary();
    const pugi::xml_node keys = dictionary.GetSection("keys");
    const pugi::xml_node functions = dictionary.GetSection("DTMFunctions");
    auto expand = [&](const std::string& text) {
        return ExpandTextReferencesEx(ExpandTextReferences(text, context, keys), context, functions,
                                      "label");
    };
    pugi::xml_document doc;
    if (!doc.load_string(tree.c_str(), pugi::parse_default | pugi::parse_declaration) ||
        !doc.document_element())
        return expand(tree);
    // Texts go into the attribute values, so that saving escapes what the document needs.
    std::vector<pugi::xml_node> pending{doc.document_element()};
    while (!pending.empty()) {
        const pugi::xml_node node = pending.back();
        pending.pop_back();
        for (pugi::xml_attribute a : node.attributes()) {
            const std::string value = a.value();
            if (value.find("$(") != std::string::npos)
                a.set_value(expand(value).c_str());
        }
        for (pugi::xml_node child : node.children()) {
            if (child.type() == pugi::node_element)
                pending.push_back(child);
        }
    }
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}

std::string FirstSentence(const std::string& text) {
    const size_t dot = text.find('.');
    return dot == std::string::npos ? std::string() : text.substr(0, dot + 1);
}

// --- the view ---

void NavigationMainLogic::InitView() {
    const std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        return;
    INavigationControl& nav = m_Host.Navigation();
    IStdHeadline& headline = nav.Headline().StdHeadline();
    INavigationPanes& panes = nav.NavigationPanes();
    IParameters& parameters = context->Parameters();

    const std::string xmlDataPath = context->XMLHelper().XMLDataPath();
    IStateImages& images = nav.StateImages();
    images.SetImage(2, "status_maint");
    images.SetImage(3, "status_funct");
    images.SetDisabledImage(2, "status_maint");
    images.SetDisabledImage(3, "status_funct");

    if (const IDeviceTypeInfo* deviceType = context->DeviceType())
        headline.SetDeviceTypeName(deviceType->DisplayName());
    OnMainParameterChanged(parameters.Item(kSoftwareRevisionPath));
    OnMainParameterChanged(parameters.Item(kHardwareRevisionPath));
    headline.SetCompanyIcon(PathIn(xmlDataPath, Text(*context, "companyIcon")));
    OnMainParameterChanged(parameters.Item(kReadbackValuePath));
    OnMainParameterChanged(parameters.Item(kDiagnosisPath));

    IStdToolbar& toolbar = nav.Headline().StdToolbar();
    toolbar.Button(ntbHelp).SetEnabled(true);
    toolbar.Button(ntbSearch).SetEnabled(false);
    toolbar.Button(ntbSpare).SetEnabled(false);

    panes.devInfo().SetDeviceIcon(PathIn(xmlDataPath, Text(*context, "deviceInfoIcon")));
    OnMainParameterChanged(parameters.Item(kTagDescPath));
    OnMainParameterChanged(parameters.Item(kDeviceSerNumPath));

    // An interval the pane does not take (none, or outside its limits) leaves the pane's own.
    if (const IPrivateDataElement* interval = parameters.Item(kCycleIntervalPath)) {
        const Variant& ms = interval->TransientValue();
        if (ms.isNumber() && ms.number() >= kMinCycleInterval && ms.number() <= kMaxCycleInterval)
            panes.dtmInfo().Cycle().SetInterval(ms.toLong());
    }
    panes.devParameter().TreeHolder().SetProperty("functionId",
                                                  Variant(std::to_string(FunctionId())));

    std::string tree;
    if (auto* holder = dynamic_cast<INavigationHolder*>(context->StateObject())) {
        if (const std::shared_ptr<clsNavigation> model = holder->Navigation())
            tree = model->CurTreeStructure();
    }
    ApplyFunctionSubTree(tree);
}

void NavigationMainLogic::OnMainParameterChanged(IPrivateDataElement* element) {
    const std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        return;
    INavigationControl& nav = m_Host.Navigation();
    if (element != nullptr) {
        const std::string& path = element->Name();
        if (path == kReadbackValuePath)
            UpdatePV(*context, *element);
        else if (path == kPvScaleUnitPath)
            UpdatePV(*context);
        else if (path == kDiagnosisPath || path == kCheckBackPath)
            UpdateDataState();
        else
            ShowDeviceText(*context, *element);
    }
    if (const IPrivateDataElement* status = context->Parameters().Item(kDataStatusPath)) {
        if (const std::optional<int32_t> state = PaneDataState(status->TransientValue()))
            nav.NavigationPanes().dtmInfo().SetDataState(*state);
    }
    UpdateConnectState(*context);
}

void NavigationMainLogic::ShowDeviceText(IDTMContext& context, IPrivateDataElement& element) {
    IStdHeadline& headline = m_Host.Navigation().Headline().StdHeadline();
    IDevInfoPane& devInfo = m_Host.Navigation().NavigationPanes().devInfo();
    const std::string& path = element.Name();
    if (path == kSoftwareRevisionPath)
        headline.SetSoftwareRevision(DisplayText(element.TransientValue()));
    else if (path == kHardwareRevisionPath)
        headline.SetHardwareRevision(DisplayText(element.TransientValue()));
    else if (path == kTagDescPath)
        devInfo.SetTag(DisplayText(DeviceShown(context, element)));
    else if (path == kDeviceSerNumPath)
        devInfo.SetSerialNumber(DisplayText(element.TransientValue()));
}

void NavigationMainLogic::UpdatePV(IDTMContext& context) {
    if (IPrivateDataElement* readback = context.Parameters().Item(kReadbackValuePath))
        UpdatePV(context, *readback);
}

void NavigationMainLogic::UpdatePV(IDTMContext& context, IPrivateDataElement& readback) {
    IStdHeadline& headline = m_Host.Navigation().Headline().StdHeadline();
    // The device's value in the unit it was read in: none while that unit is not known.
    const Variant& value = DeviceOrDataSetValue(readback);
    // No value read yet is no value: "-/-", as without a communication.
    if (context.CommunicationManager().Communication() == nullptr || value.isEmpty() ||
        value.isNull() || !value.isNumber() || !std::isfinite(value.number())) {
        headline.SetPV("-/-");
        return;
    }
    // Shown as the rows show numbers: in the form of the language the user sees.
    std::string text = FormatNumber(value.number(), "0.00", LanguageNumberLocale(context));
    const clsDataElement* read = AsDataElement(&readback);
    if (const clsDataElement* unit = ElementOf(context, kPvScaleUnitPath); unit && read) {
        const int16_t code = DeviceOrDataSetUnitCode(*read);
        const std::string unitText = Guarded<std::string>(
            context.Diagnostics(), "ctlNavigationMain::UpdatePV unit", {}, [&] {
                const std::string listed = code != 0 ? unit->GetStrValueFromIdxList(code) : "";
                return listed.empty() ? UnitText(context, code) : listed;
            });
        if (!unitText.empty())
            text += " " + unitText;
    }
    headline.SetPV(text);
}

void NavigationMainLogic::UpdateConnectState(IDTMContext& context) {
    const bool connected = IsConnected(context);
    const int32_t state = connected ? dcsConnected : dcsDisconnected;
    IDtmInfoPane& dtmInfo = m_Host.Navigation().NavigationPanes().dtmInfo();
    if (dtmInfo.ConnectState() == state)
        return;
    dtmInfo.SetConnectState(state);
    // Without a connection there is nothing to cycle: the switch goes off and the user cannot
    // switch it on, and a tree pushed meanwhile cannot start it either. With the connection
    // the switch is the user's again; only the window's function may start cycling (the tree
    // push below).
    ICyclePane& cycle = dtmInfo.Cycle();
    cycle.SetCyclicRefreshEnable(connected);
    if (!connected) {
        cycle.SetCyclicRefresh(0);
        if (m_HostDetached)
            return;
    }
    // What the headline shows of the device follows the connection too.
    UpdatePV(context);
    if (IPrivateDataElement* tag = context.Parameters().Item(kTagDescPath))
        ShowDeviceText(context, *tag);
    UpdateDataState();
    // The functions on offer follow the connection: every open main window gets its tree anew.
    if (auto* holder = dynamic_cast<INavigationHolder*>(context.StateObject())) {
        if (const std::shared_ptr<clsNavigation> model = holder->Navigation())
            model->UpdatecurTreeStructure();
    }
}

void NavigationMainLogic::UpdateDataState() {
    const std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        return;
    // Without a connection the last read is no verdict on the device: no state is shown.
    const DeviceState state = IsConnected(*context)
                                  ? ComputeDeviceState(ElementOf(*context, kDiagnosisPath),
                                                       ElementOf(*context, kCheckBackPath))
                                  : DeviceState{};
    IStdHeadline& headline = m_Host.Navigation().Headline().StdHeadline();
    headline.SetDataState(state.flags);
    auto counted = [&](const char* key, int32_t flag, int16_t count) {
        std::string text = Text(*context, key);
        if ((state.flags & flag) != 0)
            text += " (" + std::to_string(count) + ")";
        return text;
    };
    std::string first = Text(*context, "ctlNavigation_DataState");
    if (state.flags == dsfOk)
        first += " - " + Text(*context, "ctlNavigation_DataState_Ok");
    headline.PanelText(1, first);
    headline.PanelText(
        2, counted("ctlNavigation_DataState_Maintenance", dsfMaintenance, state.maintenance));
    headline.PanelText(
        3, counted("ctlNavigation_DataState_FuncTest", dsfFunctionCheck, state.functionCheck));
    headline.PanelText(4, counted("ctlNavigation_DataState_Failure", dsfFailure, state.failure));
}

void NavigationMainLogic::ApplyFunctionSubTree(const std::string& tree) {
    m_GUITreeStructure = tree;
    if (m_HostDetached)
        return;
    const int32_t functionId = FunctionId();
    const FunctionView view = ViewOfFunction(functionId);
    INavigationPanes& panes = m_Host.Navigation().NavigationPanes();
    if (view.navigationVisible)
        panes.SetNavigationVisible(*view.navigationVisible);
    if (view.subTree) {
        const std::shared_ptr<IDTMContext> context = GetDtmContext();
        m_GUITreeStructure =
            GetSubTreeXml(tree, "functionId", std::to_string(functionId), context.get());
    }
    if (view.enableCyclicRefresh) {
        ICyclePane& cycle = panes.dtmInfo().Cycle();
        if (cycle.CyclicRefreshEnable())
            cycle.SetCyclicRefresh(1);
    }
}

void NavigationMainLogic::ApplyTreeTexts() {
    const std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        return;
    m_Host.Navigation().NavigationPanes().devParameter().TreeHolder().SetTreeXml(
        ExpandTreeTexts(m_GUITreeStructure, *context));
}

void NavigationMainLogic::ApplyLanguage(int32_t languageId) {
    const std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        return;
    m_Host.ParamSite().SetLanguage(languageId);
    ApplyControlTexts(*context, "offline_", m_Host.CaptionedControls());
    ApplyLanguageTexts();
}

void NavigationMainLogic::ApplyLanguageTexts() {
    const std::shared_ptr<IDTMContext> context = GetDtmContext();
    if (!context)
        return;
    IDTMContext& ctx = *context;
    INavigationControl& nav = m_Host.Navigation();
    IStdHeadline& headline = nav.Headline().StdHeadline();
    INavigationPanes& panes = nav.NavigationPanes();
    const clsDataElement* software = ElementOf(ctx, kSoftwareRevisionPath);
    const clsDataElement* hardware = ElementOf(ctx, kHardwareRevisionPath);
    const clsDataElement* readback = ElementOf(ctx, kReadbackValuePath);
    const clsDataElement* tag = ElementOf(ctx, kTagDescPath);
    const clsDataElement* serial = ElementOf(ctx, kDeviceSerNumPath);

    headline.SetDeviceTypeNameToolTip(Text(ctx, "deviceTypeNameToolTip"));
    if (software)
        headline.SetSoftwareRevisionToolTip(software->Description.str());
    if (hardware)
        headline.SetHardwareRevisionToolTip(hardware->Description.str());
    if (readback)
        headline.SetPVToolTip(readback->Label.str() + ": " + readback->Description.str());
    // The value in the language's number form at once, not at its next refresh.
    UpdatePV(ctx);
    headline.SetCompanyLink(Text(ctx, "companyURL"));
    UpdateDataState();

    IStdToolbar& toolbar = nav.Headline().StdToolbar();
    toolbar.Button(ntbNavigationView).SetToolTipText(Text(ctx, "ctlNavigation_NaviBtn_ToolTip"));
    toolbar.Button(ntbRead).SetToolTipText(Text(ctx, "ctlNavigation_ReadBtn_ToolTip"));
    toolbar.Button(ntbWrite).SetToolTipText(Text(ctx, "ctlNavigation_WriteBtn_ToolTip"));
    toolbar.Button(ntbManual).SetToolTipText(Text(ctx, "ctlNavigation_ManualBtn_ToolTip"));
    toolbar.Button(ntbHelp).SetToolTipText(Text(ctx, "ctlNavigation_HelpBtn_ToolTip"));

    IDevInfoPane& devInfo = panes.devInfo();
    devInfo.SetTitle(Text(ctx, "ctlIdent_frmDevice"));
    if (tag)
        devInfo.SetTagToolTip(FirstSentence(tag->Description.str()));
    if (serial)
        devInfo.SetSerialNumberToolTip(serial->Label.str() + ": " +
                                       FirstSentence(serial->Description.str()));
    panes.devParameter().SetTitle(Text(ctx, "key_Parameter"));
    ApplyTreeTexts();

    IDtmInfoPane& dtmInfo = panes.dtmInfo();
    dtmInfo.SetDataStateLabel(Text(ctx, "ctlNavigation_DataStateLabel"));
    dtmInfo.Cycle().SetCyclicRefreshLabel(Text(ctx, "ctlNavigation_CyclicRefreshLabel"));
    dtmInfo.Cycle().SetIntervalLabel(Text(ctx, "ctlNavigation_CycleIntervalLabel"));
    dtmInfo.ConnectStateText(dcsConnected, Text(ctx, "ctlNavigation_ConnectStateLabel"));
    dtmInfo.ConnectStateText(dcsDisconnected, Text(ctx, "ctlNavigation_DisconnectStateLabel"));
    // The data states in the user's language: the texts of "~/DataStatus"'s value list.
    if (const clsDataElement* status = ElementOf(ctx, kDataStatusPath)) {
        for (int32_t v = edsInitial; v <= kDataStatusSomeDevice; ++v) {
            const std::string text = status->GetStrValueFromIdxList(v);
            if (!text.empty())
                dtmInfo.DataStateText(*PaneDataState(Variant(v)), text);
        }
    }
}

}  // namespace kv
