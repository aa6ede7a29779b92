#pragma once
// The navigation control (ctlNavigation) that fills the main window: the headline with its
// toolbar, the device pane, the tree pane, the DTM pane and the page area. The main window drives
// it through INavigationControl; the pages it hosts implement the page interfaces below, which
// the control defines and calls. Nothing here needs a window system, so that the main window's
// logic can be tested against a fake control.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "value/Variant.h"

namespace kv {

// --- what the control asks of the pages it hosts ---

// A page created by the navigation control from a tree node's ProgID. The page object also
// implements IDtmActiveXControl and IPrivateGUI, and where it offers them
// IPrivateGUIReadWriteSaveLoad and IPrivateGUICycle; callers find those with dynamic_cast.
class INavigationPage {
  public:
    virtual ~INavigationPage() = default;
    // The page control's name, its class name ("ctlId").
    virtual std::string Name() const = 0;
};

// Bits of ReadWriteSaveLoadOption: 1 read only, 3 read and write.
enum ReadWriteSaveLoadOptions : int32_t {
    rwsloRead = 1,
    rwsloWrite = 2,
};

// Read and write of a page from the toolbar.
class IPrivateGUIReadWriteSaveLoad {
  public:
    virtual ~IPrivateGUIReadWriteSaveLoad() = default;
    virtual int32_t ReadWriteSaveLoadOption() = 0;
    // True when the page's read or write process started.
    virtual bool ReadParameter() = 0;
    virtual bool WriteParameter() = 0;
};

// The cycle switch of an online page.
class IPrivateGUICycle {
  public:
    virtual ~IPrivateGUICycle() = default;
    // 1 switches the page's cycling on, 0 off.
    virtual void SetCyclicRefresh(int16_t value) = 0;
    virtual void SetCycleTime(int32_t milliseconds) = 0;
};

// --- the panes ---

// The device pane.
class IDevInfoPane {
  public:
    virtual ~IDevInfoPane() = default;
    virtual std::string Title() const = 0;
    virtual void SetTitle(const std::string& text) = 0;
    virtual std::string Tag() const = 0;
    virtual void SetTag(const std::string& text) = 0;
    virtual std::string TagToolTip() const = 0;
    virtual void SetTagToolTip(const std::string& text) = 0;
    virtual std::string SerialNumber() const = 0;
    virtual void SetSerialNumber(const std::string& text) = 0;
    virtual std::string SerialNumberToolTip() const = 0;
    virtual void SetSerialNumberToolTip(const std::string& text) = 0;
    // A picture file; while it is empty or cannot be read the control shows its own picture.
    virtual std::string DeviceIcon() const = 0;
    virtual void SetDeviceIcon(const std::string& path) = 0;
};

// The tree of the tree pane. The document has the root "treeview" and nested "node" elements
// with the attributes key, caption (already expanded), ctl (the ProgID of the node's page, empty
// for a heading), functionId and these, which the control interprets:
// - invisibleStatus: "1" (or a true word) leaves the node and its sub-tree out; "0" or absent
//   shows it.
// - showFlag: "showMe" shows the node alone, without its children; "showAllChilds" or absent
//   shows it with its children, expanded.
// - enabledFlag: a node with the flag can be selected; "enabledMeChilds" also enables its
//   children without a flag of their own, "enabledAll" every descendant. A node without the flag
//   is enabled only by such a grant (top-level nodes always are); a disabled node is shown
//   greyed and cannot be selected.
// - navViewVisibleFlag and lockedStatus count on the start node, the node that carries the
//   tree holder's "functionId": when the view starts there, "1" shows and "0" hides the tree
//   pane, and a true lockedStatus keeps the user from toggling it (toolbar button 1).
// When a tree arrives with a new start node, the first enabled node with a page in the start
// node's sub-tree (the start node first) is selected; when the start node stays, the selected
// node stays selected as long as the new tree offers it.
class ITreeHolder {
  public:
    virtual ~ITreeHolder() = default;
    // The document shown, as last set.
    virtual std::string TreeXml() const = 0;
    // Shows a document; "" shows an empty tree. A text that does not parse or whose root is not
    // "treeview" throws std::invalid_argument naming the fault; the tree shown stays then.
    virtual void SetTreeXml(const std::string& xml) = 0;
    // Properties by name: "functionId", the DTM function id (as text) whose node starts the
    // view. GetProperty of another name gives Empty; SetProperty throws std::invalid_argument.
    virtual Variant GetProperty(const std::string& name) const = 0;
    virtual void SetProperty(const std::string& name, const Variant& value) = 0;
    // The key of the selected node, "" when none is.
    virtual std::string SelectedNode() const = 0;
    // Selects the node with this key and shows its page; false when the tree shows no enabled
    // node with the key.
    virtual bool SelectNode(const std::string& key) = 0;
};

// The pane with the navigation tree.
class IDevParameterPane {
  public:
    virtual ~IDevParameterPane() = default;
    virtual std::string Title() const = 0;
    virtual void SetTitle(const std::string& text) = 0;
    virtual ITreeHolder& TreeHolder() = 0;
};

// Limits of the cycle interval in milliseconds.
constexpr int32_t kMinCycleInterval = 100;
constexpr int32_t kMaxCycleInterval = 3600000;

// The cycle switch and interval of the DTM pane. Every real change, whoever makes it (the user,
// the main window or a page through the member chain), reaches every open page through
// IPrivateGUICycle and then raises CyclicRefreshChanged or CycleIntervalChanged; setting the
// current value does nothing.
class ICyclePane {
  public:
    virtual ~ICyclePane() = default;
    // Whether the user may switch cycling (default true). The value itself stays as it is.
    virtual bool CyclicRefreshEnable() const = 0;
    virtual void SetCyclicRefreshEnable(bool enable) = 0;
    // 0 off, 1 on; any other value than 0 is taken as 1.
    virtual int16_t CyclicRefresh() const = 0;
    virtual void SetCyclicRefresh(int16_t value) = 0;
    // Milliseconds (default 4000); outside kMinCycleInterval..kMaxCycleInterval throws
    // std::out_of_range and keeps the interval.
    virtual int32_t Interval() const = 0;
    virtual void SetInterval(int32_t milliseconds) = 0;
    virtual std::string CyclicRefreshLabel() const = 0;
    virtual void SetCyclicRefreshLabel(const std::string& text) = 0;
    virtual std::string IntervalLabel() const = 0;
    virtual void SetIntervalLabel(const std::string& text) = 0;
};

// States of the data set as the DTM pane shows them.
enum DtmInfoDataState : int32_t {
    ddsInitial = 0,
    ddsChanged = 1,
    ddsStored = 2,
    ddsDevice = 3,
    ddsIndefinite = 4,
    ddsPartlyStored = 5,  // some values equal their stored values, none a device value
    ddsPartlyDevice = 6,  // some values equal their device values, none a stored value
};

enum DtmInfoConnectState : int32_t {
    dcsUnknown = 0,
    dcsDisconnected = 1,
    dcsConnected = 2,
};

// The DTM pane: data state, connection state and the cycle.
class IDtmInfoPane {
  public:
    virtual ~IDtmInfoPane() = default;
    virtual ICyclePane& Cycle() = 0;
    // 0 to 6 (DtmInfoDataState); another value throws std::out_of_range.
    virtual int32_t DataState() const = 0;
    virtual void SetDataState(int32_t state) = 0;
    virtual std::string DataStateLabel() const = 0;
    virtual void SetDataStateLabel(const std::string& text) = 0;
    // The text shown for a data state (English texts until set); another state throws
    // std::out_of_range.
    virtual std::string DataStateText(int32_t state) const = 0;
    virtual void DataStateText(int32_t state, const std::string& text) = 0;
    // 0 unknown (shown empty), 1 disconnected, 2 connected; another value throws
    // std::out_of_range.
    virtual int32_t ConnectState() const = 0;
    virtual void SetConnectState(int32_t state) = 0;
    // The text shown for connection state 1 or 2; another state throws std::out_of_range.
    virtual std::string ConnectStateText(int32_t state) const = 0;
    virtual void ConnectStateText(int32_t state, const std::string& text) = 0;
};

// The panes beside the page area.
class INavigationPanes {
  public:
    virtual ~INavigationPanes() = default;
    virtual IDevInfoPane& devInfo() = 0;
    virtual IDevParameterPane& devParameter() = 0;
    virtual IDtmInfoPane& dtmInfo() = 0;
    // Whether the tree pane is shown (toolbar button 1 toggles it).
    virtual bool NavigationVisible() const = 0;
    virtual void SetNavigationVisible(bool visible) = 0;
};

// --- headline, toolbar and state pictures ---

// Device-state flags of the headline; panel 1 shows flag 1, panel 2 flag 2, panel 3 flag 4 and
// panel 4 flag 8.
enum DeviceStateFlags : int32_t {
    dsfOk = 1,
    dsfMaintenance = 2,
    dsfFunctionCheck = 4,
    dsfFailure = 8,
};

class IStdHeadline {
  public:
    virtual ~IStdHeadline() = default;
    virtual std::string DeviceTypeName() const = 0;
    virtual void SetDeviceTypeName(const std::string& text) = 0;
    virtual std::string DeviceTypeNameToolTip() const = 0;
    virtual void SetDeviceTypeNameToolTip(const std::string& text) = 0;
    virtual std::string SoftwareRevision() const = 0;
    virtual void SetSoftwareRevision(const std::string& text) = 0;
    virtual std::string SoftwareRevisionToolTip() const = 0;
    virtual void SetSoftwareRevisionToolTip(const std::string& text) = 0;
    virtual std::string HardwareRevision() const = 0;
    virtual void SetHardwareRevision(const std::string& text) = 0;
    virtual std::string HardwareRevisionToolTip() const = 0;
    virtual void SetHardwareRevisionToolTip(const std::string& text) = 0;
    // The process value as display text ("12.34 %", "-/-").
    virtual std::string PV() const = 0;
    virtual void SetPV(const std::string& text) = 0;
    virtual std::string PVToolTip() const = 0;
    virtual void SetPVToolTip(const std::string& text) = 0;
    // A picture file; nothing is shown while it is empty or cannot be read.
    virtual std::string CompanyIcon() const = 0;
    virtual void SetCompanyIcon(const std::string& path) = 0;
    // An http, https or mailto address, opened when the user clicks it.
    virtual std::string CompanyLink() const = 0;
    virtual void SetCompanyLink(const std::string& url) = 0;
    // DeviceStateFlags, 0 to 15; another value throws std::out_of_range.
    virtual int32_t DataState() const = 0;
    virtual void SetDataState(int32_t flags) = 0;
    // The text of panel 1 to 4; another panel throws std::out_of_range.
    virtual std::string PanelText(int32_t panel) const = 0;
    virtual void PanelText(int32_t panel, const std::string& text) = 0;
};

// Numbers of the toolbar buttons; 2, 5 and 8 are the separators between the groups.
enum NavigationToolbarButton : int32_t {
    ntbNavigationView = 1,
    ntbRead = 3,
    ntbWrite = 4,
    ntbManual = 6,
    ntbHelp = 7,
    ntbSearch = 9,
    ntbSpare = 10,
};

class IToolbarButton {
  public:
    virtual ~IToolbarButton() = default;
    // A button switched off is not shown. Read and write are also greyed while the current page
    // offers no read or write.
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual std::string ToolTipText() const = 0;
    virtual void SetToolTipText(const std::string& text) = 0;
};

class IStdToolbar {
  public:
    virtual ~IStdToolbar() = default;
    // A button by its number (NavigationToolbarButton); another number throws std::out_of_range.
    virtual IToolbarButton& Button(int32_t number) = 0;
};

class IHeadline {
  public:
    virtual ~IHeadline() = default;
    virtual IStdHeadline& StdHeadline() = 0;
    virtual IStdToolbar& StdToolbar() = 0;
};

// The pictures of the four headline panels (states 1 to 4): the image while the panel's flag is
// set and the disabled image while it is not. Pictures are named by key: "status_none",
// "status_ok", "status_funct", "status_critic", "status_maint", "status_on". Another state
// throws std::out_of_range, another key std::invalid_argument.
class IStateImages {
  public:
    virtual ~IStateImages() = default;
    virtual std::string Image(int32_t state) const = 0;
    virtual void SetImage(int32_t state, const std::string& key) = 0;
    virtual std::string DisabledImage(int32_t state) const = 0;
    virtual void SetDisabledImage(int32_t state, const std::string& key) = 0;
};

// --- the control ---

// What the control tells its owner, synchronously. A handler may release pages or the control
// itself; the control then stops what it was doing.
class INavigationEvents {
  public:
    virtual ~INavigationEvents() = default;
    // A page was created for the selected node and is shown.
    virtual void PageCreated(INavigationPage& /*page*/) {}
    // A page is about to be dropped; it is already hidden, no longer hosted and no longer among
    // Pages. It is destroyed later, from the event loop.
    virtual void PageReleasing(INavigationPage& /*page*/) {}
    virtual void ToolbarButtonClick(int32_t /*button*/) {}
    virtual void CyclicRefreshChanged(int16_t /*value*/) {}
    virtual void CycleIntervalChanged() {}
};

// What a page reaches of the control that hosts it: the member chain
// NavigationPanes.dtmInfo.Cycle.CyclicRefresh. A page finds it on the nearest widget above it
// that implements this interface.
class INavigationPanesHost {
  public:
    virtual ~INavigationPanesHost() = default;
    virtual INavigationPanes& NavigationPanes() = 0;
};

class INavigationControl : public INavigationPanesHost {
  public:
    virtual IHeadline& Headline() = 0;
    virtual IStateImages& StateImages() = 0;
    // The pages the control hosts now (the page of the selected node, or none).
    virtual std::vector<INavigationPage*> Pages() const = 0;
    virtual void SetEvents(std::weak_ptr<INavigationEvents> events) = 0;
};

}  // namespace kv
