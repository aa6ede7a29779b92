#pragma once
// What the cyclic add-ons add to a page template (the cyclic display page on the page template,
// the cyclic parameter page on the parameter page): the cycle control among the children,
// bound right after the rows and before the language, cleared when the page is released (after
// its site, before the rest of the template's release) or its Init is rolled back, told the
// language, and IPrivateGUICycle passed on to it.

#include <QWidget>
#include <cstdint>

#include "platform/controls/NavigationInterfaces.h"
#include "platform/controls/widgets/ctlParamSite.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMContext.h"
#include "ui/onlinepages/CyclicAddOns.h"
#include "ui/parameterpages/PageDesign.h"

namespace kv {

class ctlCycle;

template <class Base>
class CyclicPage : public Base, public IPrivateGUICycle {
  public:
    explicit CyclicPage(const PageDesign& design, QWidget* parent = nullptr)
        : Base(design, parent), addOns_(*this) {}

    // --- IPrivateGUICycle (no test of the page's state) ---
    void SetCyclicRefresh(int16_t value) override { addOns_.SetCyclicRefresh(value); }
    void SetCycleTime(int32_t milliseconds) override { addOns_.SetCycleTime(milliseconds); }

    ctlCycle* Cycle() const { return addOns_.Cycle(); }

  protected:
    QWidget* CreateChild(const ChildDesign& child, QWidget* parent) override {
        if (child.kind == ChildKind::Cycle)
            return addOns_.CreateCycle(child, parent);
        return Base::CreateChild(child, parent);
    }
    void AfterSiteInit() override { addOns_.Init(*this->GetDtmContext()); }
    bool QueryRelease() override {
        this->Site()->Release();
        addOns_.Clear();
        return Base::QueryRelease();
    }
    void RollBackInitPage() override {
        // The cycle control goes with the page: a clearing that fails is only recorded.
        Guarded(this->Log(), "CyclicPage::RollBackInitPage", [&] { addOns_.Clear(); });
        Base::RollBackInitPage();
    }
    void ApplyLanguage(int32_t languageId) override {
        Base::ApplyLanguage(languageId);
        addOns_.SetLanguage(languageId);
    }

    CyclicAddOns& AddOns() { return addOns_; }
    const CyclicAddOns& AddOns() const { return addOns_; }

  private:
    CyclicAddOns addOns_;
};

}  // namespace kv
