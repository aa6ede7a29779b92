#pragma once
// Fakes for the navigation control's tests: pages that record what the control and the owner
// call on them, and an owner that records the control's events in order.

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/NavigationInterfaces.h"
#include "platform/controls/widgets/NavigationHost.h"
#include "platform/fdt/FdtDtmInterfaces.h"
#include "platform/runtime/IPrivateGUI.h"

namespace kv::test_support {

using CallLog = std::vector<std::string>;

// A page with neither read and write nor a cycle (a heading-like display page).
class FakePage : public QWidget,
                 public INavigationPage,
                 public IDtmActiveXControl,
                 public IPrivateGUI {
  public:
    FakePage(std::string name, std::shared_ptr<CallLog> log)
        : name_(std::move(name)), log_(std::move(log)) {}
    ~FakePage() override { Log("destroyed"); }

    std::string Name() const override { return name_; }
    bool Init(const std::string& guiFunctionCall, const std::string&,
              std::shared_ptr<IDtm>) override {
        Log("Init " + guiFunctionCall);
        return true;
    }
    bool PrepareToRelease() override {
        Log("PrepareToRelease");
        return true;
    }
    bool CloseGUI() override { return PrepareToRelease(); }
    void LockStateChanged(bool) override {}
    void ParameterChanged(IPrivateDataElement&) override {}
    void ParameterSetChanged() override {}
    void ValidateParameters() override {}
    void SetLanguage(int32_t) override {}

  protected:
    void Log(const std::string& what) {
        if (log_)
            log_->push_back(name_ + ": " + what);
    }

  private:
    std::string name_;
    std::shared_ptr<CallLog> log_;
};

// A parameter page: read and write with the given option.
class FakeReadWritePage : public FakePage, public IPrivateGUIReadWriteSaveLoad {
  public:
    FakeReadWritePage(std::string name, std::shared_ptr<CallLog> log, int32_t option)
        : FakePage(std::move(name), std::move(log)), option(option) {}
    int32_t ReadWriteSaveLoadOption() override { return option; }
    bool ReadParameter() override {
        Log("ReadParameter");
        return true;
    }
    bool WriteParameter() override {
        Log("WriteParameter");
        return true;
    }
    int32_t option;
};

// An online page with a cycle switch that behaves as the pages' cycle control does: a change of
// its value mirrors the value into the host's member chain; a release clears it.
class FakeCyclePage : public FakePage, public IPrivateGUICycle {
  public:
    FakeCyclePage(std::string name, std::shared_ptr<CallLog> log)
        : FakePage(std::move(name), std::move(log)) {}
    void SetCyclicRefresh(int16_t v) override {
        Log("SetCyclicRefresh " + std::to_string(v));
        SetValue(v);
        // Not connected: the switch falls back at once.
        if (refuseOn)
            SetValue(0);
    }
    void SetCycleTime(int32_t ms) override {
        Log("SetCycleTime " + std::to_string(ms));
        cycleTime = ms;
    }
    bool PrepareToRelease() override {
        FakePage::PrepareToRelease();
        SetValue(0);
        return true;
    }
    // The user clicks the page's own switch.
    void Click(int16_t v) { SetValue(v); }

    int16_t value = 0;
    int32_t cycleTime = 4000;
    bool refuseOn = false;
    bool mirrored = false;  // whether the last mirroring reached a host

  private:
    void SetValue(int16_t v) {
        if (v == value)
            return;
        value = v;
        mirrored = SetHostCyclicRefresh(this, value);
    }
};

// The owner of the control: records the events; a test may react to them.
class Recorder : public INavigationEvents {
  public:
    explicit Recorder(std::shared_ptr<CallLog> log) : log_(std::move(log)) {}
    void PageCreated(INavigationPage& page) override {
        log_->push_back("PageCreated " + page.Name());
        if (onPageCreated)
            onPageCreated(page);
    }
    void PageReleasing(INavigationPage& page) override {
        log_->push_back("PageReleasing " + page.Name());
        if (onPageReleasing)
            onPageReleasing(page);
    }
    void ToolbarButtonClick(int32_t button) override {
        log_->push_back("ToolbarButtonClick " + std::to_string(button));
    }
    void CyclicRefreshChanged(int16_t value) override {
        log_->push_back("CyclicRefreshChanged " + std::to_string(value));
        if (onCyclicRefreshChanged)
            onCyclicRefreshChanged(value);
    }
    void CycleIntervalChanged() override { log_->push_back("CycleIntervalChanged"); }

    std::function<void(INavigationPage&)> onPageCreated;
    std::function<void(INavigationPage&)> onPageReleasing;
    std::function<void(int16_t)> onCyclicRefreshChanged;

  private:
    std::shared_ptr<CallLog> log_;
};

}  // namespace kv::test_support
