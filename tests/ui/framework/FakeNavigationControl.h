#pragma once
// A navigation control without widgets for the main window's logic: it keeps what it is given,
// raises the cycle events on real changes as the control does, hosts the pages a test puts in,
// and records the order of what the window sets. Also fake pages and a fake window around the
// logic (binding site, cycle control, child user interfaces).

#include <pugixml.hpp>

#include <array>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/controls/ControlInterfaces.h"
#include "platform/controls/NavigationInterfaces.h"
#include "platform/fdt/FdtDtmInterfaces.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/IPrivateGUI.h"
#include "ui/framework/NavigationMainLogic.h"

namespace kv::test_support {

using Calls = std::vector<std::string>;

class FakeToolbarButton : public IToolbarButton {
  public:
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool e) override { enabled = e; }
    std::string ToolTipText() const override { return toolTip; }
    void SetToolTipText(const std::string& t) override { toolTip = t; }
    bool enabled = true;
    std::string toolTip;
};

struct FakeStdHeadline : IStdHeadline {
    std::string DeviceTypeName() const override { return deviceTypeName; }
    void SetDeviceTypeName(const std::string& t) override { deviceTypeName = t; }
    std::string DeviceTypeNameToolTip() const override { return deviceTypeNameToolTip; }
    void SetDeviceTypeNameToolTip(const std::string& t) override { deviceTypeNameToolTip = t; }
    std::string SoftwareRevision() const override { return softwareRevision; }
    void SetSoftwareRevision(const std::string& t) override { softwareRevision = t; }
    std::string SoftwareRevisionToolTip() const override { return softwareRevisionToolTip; }
    void SetSoftwareRevisionToolTip(const std::string& t) override { softwareRevisionToolTip = t; }
    std::string HardwareRevision() const override { return hardwareRevision; }
    void SetHardwareRevision(const std::string& t) override { hardwareRevision = t; }
    std::string HardwareRevisionToolTip() const override { return hardwareRevisionToolTip; }
    void SetHardwareRevisionToolTip(const std::string& t) override { hardwareRevisionToolTip = t; }
    std::string PV() const override { return pv; }
    void SetPV(const std::string& t) override { pv = t; }
    std::string PVToolTip() const override { return pvToolTip; }
    void SetPVToolTip(const std::string& t) override { pvToolTip = t; }
    std::string CompanyIcon() const override { return companyIcon; }
    void SetCompanyIcon(const std::string& p) override { companyIcon = p; }
    std::string CompanyLink() const override { return companyLink; }
    void SetCompanyLink(const std::string& u) override { companyLink = u; }
    int32_t DataState() const override { return flags; }
    void SetDataState(int32_t f) override {
        if (f < 0 || f > 15)
            throw std::out_of_range("device state");
        flags = f;
    }
    std::string PanelText(int32_t panel) const override { return panels.at(Panel(panel)); }
    void PanelText(int32_t panel, const std::string& t) override { panels.at(Panel(panel)) = t; }

    std::string deviceTypeName, deviceTypeNameToolTip, softwareRevision, softwareRevisionToolTip;
    std::string hardwareRevision, hardwareRevisionToolTip, pv, pvToolTip, companyIcon, companyLink;
    int32_t flags = 0;
    std::array<std::string, 4> panels;

  private:
    static size_t Panel(int32_t panel) {
        if (panel < 1 || panel > 4)
            throw std::out_of_range("panel");
        return static_cast<size_t>(panel - 1);
    }
};

struct FakeStdToolbar : IStdToolbar {
    IToolbarButton& Button(int32_t number) override {
        auto it = buttons.find(number);
        if (it == buttons.end())
            throw std::out_of_range("toolbar button");
        return it->second;
    }
    std::map<int32_t, FakeToolbarButton> buttons{{1, {}}, {3, {}}, {4, {}}, {6, {}},
                                                 {7, {}}, {9, {}}, {10, {}}};
};

struct FakeStateImages : IStateImages {
    std::string Image(int32_t state) const override { return images.at(state); }
    void SetImage(int32_t state, const std::string& key) override { images[state] = key; }
    std::string DisabledImage(int32_t state) const override { return disabled.at(state); }
    void SetDisabledImage(int32_t state, const std::string& key) override { disabled[state] = key; }
    std::map<int32_t, std::string> images, disabled;
};

struct FakeDevInfo : IDevInfoPane {
    std::string Title() const override { return title; }
    void SetTitle(const std::string& t) override { title = t; }
    std::string Tag() const override { return tag; }
    void SetTag(const std::string& t) override { tag = t; }
    std::string TagToolTip() const override { return tagToolTip; }
    void SetTagToolTip(const std::string& t) override { tagToolTip = t; }
    std::string SerialNumber() const override { return serialNumber; }
    void SetSerialNumber(const std::string& t) override { serialNumber = t; }
    std::string SerialNumberToolTip() const override { return serialNumberToolTip; }
    void SetSerialNumberToolTip(const std::string& t) override { serialNumberToolTip = t; }
    std::string DeviceIcon() const override { return deviceIcon; }
    void SetDeviceIcon(const std::string& p) override { deviceIcon = p; }
    std::string title, tag, tagToolTip, serialNumber, serialNumberToolTip, deviceIcon;
};

// The tree pane: a document that does not parse or has another root is refused, as the control
// refuses it.
struct FakeTreePane : IDevParameterPane, ITreeHolder {
    std::string Title() const override { return title; }
    void SetTitle(const std::string& t) override { title = t; }
    ITreeHolder& TreeHolder() override { return *this; }
    std::string TreeXml() const override { return xml; }
    void SetTreeXml(const std::string& text) override {
        if (!text.empty()) {
            pugi::xml_document doc;
            if (!doc.load_string(text.c_str()) ||
                std::string(doc.document_element().name()) != "treeview")
                throw std::invalid_argument("no tree document");
        }
        xml = text;
        ++sets;
    }
    Variant GetProperty(const std::string& name) const override {
        return name == "functionId" ? Variant(functionId) : Variant();
    }
    void SetProperty(const std::string& name, const Variant& value) override {
        if (name != "functionId")
            throw std::invalid_argument(name);
        functionId = value.toString();
    }
    std::string SelectedNode() const override { return {}; }
    bool SelectNode(const std::string&) override { return false; }
    std::string title, xml, functionId;
    int sets = 0;
};

// The DTM pane: switch and interval raise their events on real changes only.
struct FakeDtmInfo : IDtmInfoPane, ICyclePane {
    ICyclePane& Cycle() override { return *this; }
    int32_t DataState() const override { return dataState; }
    void SetDataState(int32_t s) override {
        if (s < 0 || s > 6)
            throw std::out_of_range("data state");
        dataState = s;
    }
    std::string DataStateLabel() const override { return dataStateLabel; }
    void SetDataStateLabel(const std::string& t) override { dataStateLabel = t; }
    std::string DataStateText(int32_t state) const override { return dataStateTexts.at(state); }
    void DataStateText(int32_t state, const std::string& t) override {
        dataStateTexts.at(state) = t;
    }
    int32_t ConnectState() const override { return connectState; }
    void SetConnectState(int32_t s) override {
        if (s < 0 || s > 2)
            throw std::out_of_range("connect state");
        connectState = s;
    }
    std::string ConnectStateText(int32_t state) const override { return connectTexts.at(state); }
    void ConnectStateText(int32_t state, const std::string& t) override {
        connectTexts.at(state) = t;
    }
    bool CyclicRefreshEnable() const override { return enable; }
    void SetCyclicRefreshEnable(bool e) override { enable = e; }
    int16_t CyclicRefresh() const override { return cyclicRefresh; }
    void SetCyclicRefresh(int16_t value) override {
        const int16_t v = value != 0 ? 1 : 0;
        if (v == cyclicRefresh)
            return;
        cyclicRefresh = v;
        if (auto e = events->lock())
            e->CyclicRefreshChanged(v);
    }
    int32_t Interval() const override { return interval; }
    void SetInterval(int32_t ms) override {
        if (ms < kMinCycleInterval || ms > kMaxCycleInterval)
            throw std::out_of_range("interval");
        if (ms == interval)
            return;
        interval = ms;
        if (auto e = events->lock())
            e->CycleIntervalChanged();
    }
    std::string CyclicRefreshLabel() const override { return cyclicRefreshLabel; }
    void SetCyclicRefreshLabel(const std::string& t) override { cyclicRefreshLabel = t; }
    std::string IntervalLabel() const override { return intervalLabel; }
    void SetIntervalLabel(const std::string& t) override { intervalLabel = t; }

    std::weak_ptr<INavigationEvents>* events = nullptr;
    int32_t dataState = 0;
    std::string dataStateLabel;
    std::array<std::string, 7> dataStateTexts;
    int32_t connectState = 0;
    std::array<std::string, 3> connectTexts;
    bool enable = true;
    int16_t cyclicRefresh = 0;
    int32_t interval = 4000;
    std::string cyclicRefreshLabel, intervalLabel;
};

class FakeNavigationControl : public INavigationControl, public INavigationPanes, public IHeadline {
  public:
    FakeNavigationControl() { dtm.events = &events; }
    INavigationPanes& NavigationPanes() override { return *this; }
    IHeadline& Headline() override { return *this; }
    IStateImages& StateImages() override { return images; }
    std::vector<INavigationPage*> Pages() const override { return pages; }
    void SetEvents(std::weak_ptr<INavigationEvents> e) override { events = e; }
    IDevInfoPane& devInfo() override { return device; }
    IDevParameterPane& devParameter() override { return tree; }
    IDtmInfoPane& dtmInfo() override { return dtm; }
    bool NavigationVisible() const override { return navigationVisible; }
    void SetNavigationVisible(bool v) override { navigationVisible = v; }
    IStdHeadline& StdHeadline() override { return headline; }
    IStdToolbar& StdToolbar() override { return toolbar; }

    std::weak_ptr<INavigationEvents> events;
    std::vector<INavigationPage*> pages;
    bool navigationVisible = true;
    FakeStdHeadline headline;
    FakeStdToolbar toolbar;
    FakeStateImages images;
    FakeDevInfo device;
    FakeTreePane tree;
    FakeDtmInfo dtm;
};

// A page of the navigation control that records its calls; it may refuse its release.
class FakeNavPage : public INavigationPage, public IDtmActiveXControl, public IPrivateGUICycle {
  public:
    FakeNavPage(std::string name, std::shared_ptr<Calls> calls)
        : name_(std::move(name)), calls_(std::move(calls)) {}
    std::string Name() const override { return name_; }
    bool Init(const std::string& gui, const std::string& document,
              std::shared_ptr<IDtm> dtm) override {
        calls_->push_back(name_ + ".Init " + gui);
        initDocument = document;
        initDtm = dtm;
        return true;
    }
    bool PrepareToRelease() override {
        calls_->push_back(name_ + ".PrepareToRelease");
        return agrees;
    }
    void SetCyclicRefresh(int16_t v) override {
        calls_->push_back(name_ + ".SetCyclicRefresh " + std::to_string(v));
    }
    void SetCycleTime(int32_t ms) override {
        calls_->push_back(name_ + ".SetCycleTime " + std::to_string(ms));
    }
    bool agrees = true;
    std::string initDocument;
    std::shared_ptr<IDtm> initDtm;

  private:
    std::string name_;
    std::shared_ptr<Calls> calls_;
};

// A child control of the window that is a user interface.
class FakeChildUI : public IDtmActiveXControl {
  public:
    FakeChildUI(std::string name, std::shared_ptr<Calls> calls)
        : name_(std::move(name)), calls_(std::move(calls)) {}
    bool Init(const std::string& gui, const std::string&, std::shared_ptr<IDtm>) override {
        calls_->push_back(name_ + ".Init " + gui);
        return true;
    }
    bool PrepareToRelease() override {
        calls_->push_back(name_ + ".PrepareToRelease");
        return agrees;
    }
    bool agrees = true;

  private:
    std::string name_;
    std::shared_ptr<Calls> calls_;
};

class FakeParamSite : public IParamSite {
  public:
    explicit FakeParamSite(std::shared_ptr<Calls> calls) : calls_(std::move(calls)) {}
    void Init(IDTMContext&, const std::string& gui,
              std::shared_ptr<IPrivateParamLink> prototype) override {
        if (!prototype)
            throw std::invalid_argument("no prototype");
        calls_->push_back("site.Init " + gui);
    }
    void SetLanguage(int32_t id) override {
        calls_->push_back("site.SetLanguage " + std::to_string(id));
    }
    void Release() override { calls_->push_back("site.Release"); }
    void ParameterChanged(IPrivateDataElement& e) override {
        calls_->push_back("site.ParameterChanged " + e.Name());
    }
    void ParameterSetChanged() override { calls_->push_back("site.ParameterSetChanged"); }
    void Validate() override { calls_->push_back("site.Validate"); }
    void EnableEdit(bool enabled) override {
        calls_->push_back(std::string("site.EnableEdit ") + (enabled ? "1" : "0"));
    }
    IPrivateParamLink* GetParamLink(const IParameterRow&) override { return nullptr; }
    std::vector<IPrivateParamLink*> Links() const override { return {}; }
    const IStatusImages& Images() const override { throw std::logic_error("no images"); }

  private:
    std::shared_ptr<Calls> calls_;
};

// The window around the logic.
class FakeMainHost : public INavigationMainHost {
  public:
    explicit FakeMainHost(std::shared_ptr<Calls> calls) : calls(calls), site(calls) {}
    INavigationControl& Navigation() override { return nav; }
    IParamSite& ParamSite() override { return site; }
    void InitCycle(IDTMContext&) override { calls->push_back("cycle.Init"); }
    int16_t CycleValue() const override { return cycleValue; }
    void SetCycleValue(int16_t v) override {
        calls->push_back("cycle.Value " + std::to_string(v));
        cycleValue = v;
    }
    void ClearCycle() override { calls->push_back("cycle.Clear"); }
    std::vector<IDtmActiveXControl*> ChildUserInterfaces() override { return children; }
    std::vector<ICaptionedControl*> CaptionedControls() override { return {}; }
    void HideWindow() override {
        calls->push_back("hide");
        hidden = true;
    }

    std::shared_ptr<Calls> calls;
    FakeNavigationControl nav;
    FakeParamSite site;
    int16_t cycleValue = 0;
    std::vector<IDtmActiveXControl*> children;
    bool hidden = false;
};

}  // namespace kv::test_support
