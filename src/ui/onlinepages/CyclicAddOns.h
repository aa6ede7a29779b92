#pragma once
// The cyclic add-ons that every online page carries, whatever its template: the cyclic-refresh
// control ctlCycle1 made from its table line, its binding to the instance (never started by
// it), the page's cycle switch and interval (IPrivateGUICycle), the mirror of every change of
// the switch into the navigation control that hosts the page, the page's read requests (one per
// distinct element or record behind its rows), and the switch-off at release.
//
// The add-ons belong to one page and live as long as it; the page's template calls them from
// its own steps (child factory, InitPage, QueryRelease).

#include <QPointer>
#include <cstdint>
#include <vector>

#include "ui/framework/widgets/ctlCycle.h"

class QWidget;

namespace kv {

class IDTMContext;
class ITransactionGroup;
class PageBase;
class clsDataElement;
struct ChildDesign;

class CyclicAddOns {
  public:
    explicit CyclicAddOns(PageBase& page);
    CyclicAddOns(const CyclicAddOns&) = delete;
    CyclicAddOns& operator=(const CyclicAddOns&) = delete;

    // The page's ctlCycle1 from its table line ("interval", "automatedynamicicons"), inside
    // parent, with its Click and OnAddRequests handled by the page.
    ctlCycle* CreateCycle(const ChildDesign& child, QWidget* parent);
    // The page's cycle control; nullptr before CreateCycle.
    ctlCycle* Cycle() const { return cycle_; }

    // InitPage, right after the rows are bound: the control makes its own transaction group
    // and stays off until the user or the navigation control switches it on.
    void Init(IDTMContext& context);
    // Release: cycling stops and the control's group is closed. The switch-off is not mirrored
    // into the navigation control: the page leaves it, the control's switch stays.
    void Clear();

    // --- IPrivateGUICycle ---
    // 1 (any value but 0) switches cycling on, 0 off; the current value changes nothing. Before
    // Init the control only takes the value; after the release it takes nothing (its group is
    // closed: it would only report that the device cannot be reached).
    void SetCyclicRefresh(int16_t value);
    void SetCycleTime(int32_t milliseconds);
    // The check box's caption in the instance's language, and the control placed anew for it.
    void SetLanguage(int32_t languageId);
    // Places the control where its whole caption shows and it covers nothing: as wide as its
    // caption, inside the page's design width and its margins, below any child it would overlap
    // (the page grows as far as needed). The help pane, which goes where help is asked for,
    // does not count.
    void PlaceCycle();

    // The cycle switch into the navigation control that hosts the page (its member chain
    // NavigationPanes.dtmInfo.Cycle.CyclicRefresh), only while the page is initialised and not
    // releasing; every failure is ignored. True when the host took the value.
    bool MirrorIntoHost(int16_t value) const;

    // The read requests of the page's rows, in the page's control order: for each row its
    // element, or the record that holds it, once, when it is read from the device. Rows bound
    // to no element add nothing.
    static std::vector<clsDataElement*> RequestElements(const PageBase& page, IDTMContext& context);

  private:
    void OnClick();
    void OnAddRequests(ITransactionGroup& group);

    PageBase& page_;
    QPointer<ctlCycle> cycle_;
    // Set while Clear switches the control off.
    bool clearing_ = false;
    // Set by Clear until the next Init: the control's group is closed.
    bool cleared_ = false;
};

}  // namespace kv
