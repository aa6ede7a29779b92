#pragma once
// The cyclic parameter page: the parameter page (read and write of its rows on its own
// transaction group) that also refreshes its rows cyclically with the cyclic add-ons, whose
// reads run in the cycle control's group. The operation-mode pages and the simulation page are
// built on it, and the command page extends it.

#include <cstdint>

#include "platform/controls/NavigationInterfaces.h"
#include "ui/onlinepages/CyclicAddOns.h"
#include "ui/parameterpages/ParameterPage.h"

namespace kv {

class ctlCycle;

class CyclicParameterPage : public ParameterPage, public IPrivateGUICycle {
    Q_OBJECT

  public:
    explicit CyclicParameterPage(const PageDesign& design, QWidget* parent = nullptr);
    ~CyclicParameterPage() override;

    // --- IPrivateGUICycle (no test of the page's state) ---
    void SetCyclicRefresh(int16_t value) override;
    void SetCycleTime(int32_t milliseconds) override;

    ctlCycle* Cycle() const { return addOns_.Cycle(); }

  protected:
    QWidget* CreateChild(const ChildDesign& child, QWidget* parent) override;
    // Binds the cycle control right after the rows, before the language.
    void AfterSiteInit() override;
    // Releases the site, stops cycling, then closes the page's own group.
    bool QueryRelease() override;
    void RollBackInitPage() override;
    void ApplyLanguage(int32_t languageId) override;

  private:
    CyclicAddOns addOns_;
};

}  // namespace kv
