#pragma once
// The main window of the DTM (ctlNavigationMain) without its widgets: registration with the GUI
// list, initialisation and release of the pages that the navigation control creates, the cycle
// switch of the navigation control and of the window's own cyclic-refresh control, the manual
// and the help file, and what the window shows around its pages: headline with the device
// state, device and DTM panes, the tree of its function (NavigationMainLogic_View.cpp).
//
// It reaches the navigation control, the binding site and the cyclic-refresh control only
// through INavigationMainHost, so that it runs against fakes as well as against the widgets.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/DictionaryLookup.h"
#include "platform/controls/ControlInterfaces.h"
#include "platform/controls/NavigationInterfaces.h"
#include "platform/fdt/FdtDtmInterfaces.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IFunctionCall.h"
#include "platform/runtime/IPrivateGUI.h"
#include "ui/framework/IMainWindow.h"

namespace kv {

class clsDataElement;
class IPrivateDataElement;
class ITransactionGroup;

// Paths of the elements the headline and the panes show (Analog Output block 1).
inline constexpr const char* kSoftwareRevisionPath = "PHYS/SOFTWARE_REVISION";
inline constexpr const char* kHardwareRevisionPath = "PHYS/HARDWARE_REVISION";
inline constexpr const char* kTagDescPath = "PHYS/TAG_DESC";
inline constexpr const char* kDeviceSerNumPath = "PHYS/DEVICE_SER_NUM";
inline constexpr const char* kDiagnosisPath = "PHYS/DIAGNOSIS/";
inline constexpr const char* kReadbackValuePath = "FUNC/1/AO/READBACK/Value";
inline constexpr const char* kPvScaleUnitPath = "FUNC/1/AO/PV_SCALE/Unit";
inline constexpr const char* kCheckBackPath = "FUNC/1/AO/CHECK_BACK/";

// The window around the logic: its child controls.
class INavigationMainHost {
  public:
    virtual ~INavigationMainHost() = default;
    virtual INavigationControl& Navigation() = 0;
    // ctlParamSite1.
    virtual IParamSite& ParamSite() = 0;
    // ctlCycle1: Init with the context and "do not start", its value (0 off, 1 on), Clear.
    virtual void InitCycle(IDTMContext& context) = 0;
    virtual int16_t CycleValue() const = 0;
    virtual void SetCycleValue(int16_t value) = 0;
    virtual void ClearCycle() = 0;
    // The window's own child controls that are user interfaces, in the window's order.
    virtual std::vector<IDtmActiveXControl*> ChildUserInterfaces() = 0;
    // The window's controls whose captions come from the dictionary.
    virtual std::vector<ICaptionedControl*> CaptionedControls() = 0;
    virtual void HideWindow() = 0;
};

// The device state of the headline: DeviceStateFlags and how many bits of each kind are set.
struct DeviceState {
    int32_t flags = 0;
    int16_t maintenance = 0;
    int16_t functionCheck = 0;
    int16_t failure = 0;
};

// The device state from the diagnosis of the Physical Block and the check-back bits of the
// Analog Output block (either may be nullptr).
DeviceState ComputeDeviceState(const clsDataElement* diagnosis, const clsDataElement* checkBack);

// The DTM pane's data state (DtmInfoDataState) for a value of "~/DataStatus"; nullopt for a
// value outside 0 to 6.
std::optional<int32_t> PaneDataState(const Variant& dataStatus);

// What the window does for a function id: the tree pane shown (true), hidden (false) or left
// (nullopt); the tree cut to the node of the function; cycling switched on where allowed.
struct FunctionView {
    std::optional<bool> navigationVisible;
    bool subTree = false;
    bool enableCyclicRefresh = false;
};
FunctionView ViewOfFunction(int32_t functionId);

// The tree document with every "$(key)" inside its attribute values replaced: first from the
// section "keys" (attribute "text"), then from the section "DTMFunctions" (attribute "label").
// The texts are escaped as the document needs them. A text that is no XML document comes back
// expanded as plain text (the control refuses it then).
std::string ExpandTreeTexts(const std::string& tree, IDTMContext& context);

// The text up to and including its first "."; empty when it has none.
std::string FirstSentence(const std::string& text);

class NavigationMainLogic : public IPrivateGUI,
                            public IMainWindow,
                            public INavigationEvents,
                            public std::enable_shared_from_this<NavigationMainLogic> {
  public:
    // The host must stay until DetachHost: the widget that owns both detaches it when it goes.
    explicit NavigationMainLogic(INavigationMainHost& host);
    ~NavigationMainLogic() override;
    NavigationMainLogic(const NavigationMainLogic&) = delete;
    NavigationMainLogic& operator=(const NavigationMainLogic&) = delete;

    // --- IDtmActiveXControl of the window ---
    // False, nothing kept, for an empty GUI function call, no DTM, a DTM without a context or a
    // function call document that does not parse.
    bool Init(const std::string& guiFunctionCall, const std::string& functionCall,
              std::shared_ptr<IDtm> dtm);
    // Asks the window's user-interface children and every page first; only when all agreed
    // does the window release its binding site and cycle, hide and unregister. False, with
    // everything still working, when one refused.
    bool PrepareToRelease();

    bool Initialised() const { return !m_GUIFunctionCall.empty(); }
    const std::string& GUIFunctionCall() const { return m_GUIFunctionCall; }
    // The DTM's context; nullptr while no DTM is kept.
    std::shared_ptr<IDTMContext> GetDtmContext() const;
    // The application id of the window's function call; 0 while not initialised.
    int32_t FunctionId() const;

    // --- IPrivateGUI ---
    bool CloseGUI() override;
    void LockStateChanged(bool locked) override;
    void ParameterChanged(IPrivateDataElement& element) override;
    void ParameterSetChanged() override;
    void ValidateParameters() override;
    void SetLanguage(int32_t languageId) override;

    // --- GUITreeStructure (IMainWindow) ---
    // Cuts the tree to the window's function and shows it with its texts.
    void SetGUITreeStructure(const std::string& text) override;
    // The tree the navigation control shows; the design-time tree for a window that was never
    // initialised.
    std::string GUITreeStructure() const override;
    // The tree last given to the window, before its texts were expanded.
    const std::string& StoredTreeStructure() const { return m_GUITreeStructure; }

    // --- events of the navigation control ---
    void PageCreated(INavigationPage& page) override;
    void PageReleasing(INavigationPage& page) override;
    void ToolbarButtonClick(int32_t button) override;
    void CyclicRefreshChanged(int16_t value) override;
    void CycleIntervalChanged() override;

    // --- events of ctlCycle1 ---
    void CycleAddRequests(ITransactionGroup& group);
    void CycleClick();
    void CycleError();

    // --- window events ---
    void Shown();
    void Hidden();
    // The window goes away: unregisters (errors ignored) and forgets the DTM.
    void Terminate() noexcept;
    // The window is being destroyed: terminates, and from now on nothing reaches the host
    // (a GUI list may still hold the logic for a moment).
    void DetachHost() noexcept;

    // --- what the window shows (NavigationMainLogic_View.cpp) ---
    void InitView();
    // Updates the headline field of the element (nullptr: none), then the data state and the
    // connection state. A new connection state also decides whether cycling may run and
    // refreshes the process value and the device state.
    void OnMainParameterChanged(IPrivateDataElement* element);
    // The device state of the headline; none without a connection.
    void UpdateDataState();
    void ApplyFunctionSubTree(const std::string& tree);
    void ApplyTreeTexts();
    void ApplyLanguageTexts();
    void ApplyLanguage(int32_t languageId);

  private:
    void InitPage();
    void EnableEdit(bool enabled);
    // A page's PrepareToRelease; True for a page that is no user interface.
    static bool ReleaseChildPage(INavigationPage* page);
    void OpenDocument(const char* key);
    // "no_program_for_document" with the file's name.
    static void TellNoProgramFor(IDTMContext& context, const std::string& file);
    // Shows the element's text of the device (revisions, tag, serial number); nothing for any
    // other element. The tag is the device's while connected, where it was read.
    void ShowDeviceText(IDTMContext& context, IPrivateDataElement& element);
    // The process value with its unit, from the read-back element.
    void UpdatePV(IDTMContext& context);
    void UpdatePV(IDTMContext& context, IPrivateDataElement& readback);
    void UpdateConnectState(IDTMContext& context);
    std::string Text(IDTMContext& context, const std::string& key);
    // Runs an entry point's body; what escapes it is recorded in the instance's log. Without a
    // context it goes to the caller, who guards its own call.
    template <class Body>
    void Guard(const char* where, Body&& body) {
        if (const std::shared_ptr<IDTMContext> context = GetDtmContext())
            Guarded(context->Diagnostics(), where, std::forward<Body>(body));
        else
            std::forward<Body>(body)();
    }

    INavigationMainHost& m_Host;
    std::shared_ptr<IDtm> m_DTM;
    std::string m_GUIFunctionCall;
    std::shared_ptr<IFunctionCall> m_FunctionCall;
    std::string m_GUITreeStructure;
    bool m_EverInitialised = false;
    bool m_HostDetached = false;
};

}  // namespace kv
