#pragma once
// The DTM's main window (KV6274PA.ctlNavigationMain): the navigation control that fills it,
// with headline, toolbar, panes and the page of the selected tree node, and the window's own
// help pane, binding site and cyclic-refresh control. What it does lives in
// NavigationMainLogic; the window hands the logic its controls and Qt's events.
//
// The frame creates it by its ProgID (RegisterFrameworkUserInterfaces), calls Init with its GUI
// function call, the function call document and the DTM, and PrepareToRelease before it drops
// it. Pages come from the navigation control's PageRegistry.

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/ControlInterfaces.h"
#include "platform/controls/NavigationInterfaces.h"
#include "platform/fdt/FdtDtmInterfaces.h"
#include "ui/framework/NavigationMainLogic.h"

namespace kv {

class ctlCycle;
class ctlNavigation;
class ctlParamHelp;
class ctlParamSite;
class PageRegistry;

class ctlNavigationMain : public QWidget,
                          public INavigationPage,
                          public IDtmActiveXControl,
                          public IParamHelpHost,
                          private INavigationMainHost {
    Q_OBJECT

  public:
    static constexpr const char* kProgId = "KV6274PA.ctlNavigationMain";

    // registry: where the navigation control creates its pages; nullptr for the program's.
    explicit ctlNavigationMain(QWidget* parent = nullptr, const PageRegistry* registry = nullptr);
    ~ctlNavigationMain() override;

    // INavigationPage
    std::string Name() const override { return "ctlNavigationMain"; }
    // IDtmActiveXControl
    bool Init(const std::string& guiFunctionCall, const std::string& functionCall,
              std::shared_ptr<IDtm> dtm) override;
    bool PrepareToRelease() override;
    // GetParamHelpCtl: the window's help pane.
    IParamHelp* GetParamHelpCtl() override;

    // GUITreeStructure put and get.
    void SetGUITreeStructure(const std::string& text);
    std::string GUITreeStructure() const;

    // The parts, for the frame and for tests that act as the user.
    ctlNavigation& NavigationControl() const { return *ctlNavigation1_; }
    ctlCycle& CycleControl() const { return *ctlCycle1_; }
    ctlParamSite& BindingSite() const { return *ctlParamSite1_; }
    ctlParamHelp& HelpPane() const { return *ctlParamHelp1_; }
    // What the GUI list holds of the window.
    const std::shared_ptr<NavigationMainLogic>& Logic() const { return logic_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    // INavigationMainHost
    INavigationControl& Navigation() override;
    IParamSite& ParamSite() override;
    void InitCycle(IDTMContext& context) override;
    int16_t CycleValue() const override;
    void SetCycleValue(int16_t value) override;
    void ClearCycle() override;
    std::vector<IDtmActiveXControl*> ChildUserInterfaces() override;
    std::vector<ICaptionedControl*> CaptionedControls() override;
    void HideWindow() override;

    // Runs a call from Qt or the frame guarded: its error goes to the log of the instance's
    // context (given, else the logic's), or to the widget log without one.
    template <class Body>
    void Guard(const char* where, Body&& body, std::shared_ptr<IDTMContext> context = nullptr);

    ctlParamHelp* ctlParamHelp1_;
    ctlNavigation* ctlNavigation1_;
    ctlCycle* ctlCycle1_;
    ctlParamSite* ctlParamSite1_;
    std::shared_ptr<NavigationMainLogic> logic_;
};

}  // namespace kv
