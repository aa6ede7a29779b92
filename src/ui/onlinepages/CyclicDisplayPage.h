#pragma once
// The cyclic display page: a page of live values with neither a read nor a write of its own
// and without a transaction group. Its rows are refreshed by its cycle control while cycling is
// on (CyclicAddOns), with reads that show the device, and the bar graphs of its table (ctlBar
// inside picture boxes) show the elements' values as the device has them: a full refresh sets
// every member of every bar, a change of one element only what it feeds, before the rows are
// refreshed.
//
// Templates built on it (the archive page) extend the steps below and call the base step where
// they only add to it: the child factory, AfterSiteInit (the cycle control's Init), QueryRelease
// (site released, cycling stopped), the forwards to the site, SetCyclicRefresh and SetCycleTime;
// MirrorCycleSwitch passes a switch of their own into the navigation control.

#include <cstdint>
#include <string>

#include "ui/onlinepages/CyclicPage.h"
#include "ui/parameterpages/PageBase.h"

namespace kv {

class ctlBar;
class ctlCycle;

class CyclicDisplayPage : public CyclicPage<PageBase> {
    Q_OBJECT

  public:
    explicit CyclicDisplayPage(const PageDesign& design, QWidget* parent = nullptr);
    ~CyclicDisplayPage() override;

    // A bar of the page by name ("barAORb"); nullptr when it has none.
    ctlBar* Bar(const std::string& name) const;
    // Its rows and bars show the device's values; its reads leave the project's.
    bool ShowsDevice() const override { return true; }

  protected:
    // The bars; ctlCycle1 and the other kinds as the bases make them.
    QWidget* CreateChild(const ChildDesign& child, QWidget* parent) override;
    // The bars that the element feeds, then the rows.
    void OnParameterChanged(IPrivateDataElement& element) override;
    // Every member of every bar, then the rows.
    void OnParameterSetChanged() override;

    // Passes a switch into the navigation control that hosts the page (while initialised).
    bool MirrorCycleSwitch(int16_t value) const { return AddOns().MirrorIntoHost(value); }

  private:
    // The bar of the feed shows its value on its scale, and tells in its tooltip what it shows.
    void ShowBar(IDTMContext& context, const BarDesign& feed, bool withToolTip);
};

}  // namespace kv
