#include "ui/onlinepages/CyclicAddOns.h"

#include <QCheckBox>
#include <algorithm>
#include <set>

#include "core/clsDataElement.h"
#include "platform/controls/widgets/LastResort.h"
#include "platform/controls/widgets/NavigationHost.h"
#include "platform/controls/widgets/Twips.h"
#include "platform/controls/widgets/ctlParamSite.h"
#include "platform/controls/widgets/ctlParameter.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/ITransactionGroup.h"
#include "platform/runtime/PropertyBag.h"
#include "ui/framework/widgets/ctlCycle.h"
#include "ui/parameterpages/PageBase.h"
#include "ui/parameterpages/PageDesign.h"

namespace kv {

namespace {

// Room the pages keep right of and below their children.
constexpr int kPageMarginTwips = 120;

}  // namespace

CyclicAddOns::CyclicAddOns(PageBase& page) : page_(page) {}

ctlCycle* CyclicAddOns::CreateCycle(const ChildDesign& child, QWidget* parent) {
    auto* cycle = new ctlCycle(parent);
    if (!cycle->ReadProperties(DesignBag(child)))
        page_.RecordDesignFault(child, "has a designer property of the wrong kind");
    cycle_ = cycle;
    // The page's handlers only run while the page (which owns this object) exists, each
    // guarded itself: nothing may unwind through the signal.
    const QPointer<PageBase> page(&page_);
    QObject::connect(cycle, &ctlCycle::Click, &page_, [this, page] {
        if (page)
            OnClick();
    });
    QObject::connect(cycle, &ctlCycle::OnAddRequests, &page_,
                     [this, page](ITransactionGroup& group) {
                         if (page)
                             OnAddRequests(group);
                     });
    return cycle;
}

void CyclicAddOns::Init(IDTMContext& context) {
    if (!cycle_)
        return;
    cleared_ = false;
    // The refresh of a page that only shows the device leaves the project's values; that of a
    // cyclic parameter page is its read repeated.
    cycle_->SetReads(page_.ShowsDevice() ? GroupReads::Shown : GroupReads::Watched);
    cycle_->Init(context, scmDoNotStart);
}

void CyclicAddOns::Clear() {
    if (!cycle_)
        return;
    const QPointer<PageBase> page(&page_);
    clearing_ = true;
    cycle_->Clear();
    if (page) {
        clearing_ = false;
        cleared_ = true;
    }
}

void CyclicAddOns::SetCyclicRefresh(int16_t value) {
    if (cycle_ && !cleared_)
        cycle_->SetValue(value);
}

void CyclicAddOns::SetCycleTime(int32_t milliseconds) {
    if (cycle_)
        cycle_->SetInterval(milliseconds);
}

void CyclicAddOns::SetLanguage(int32_t languageId) {
    if (!cycle_)
        return;
    cycle_->SetLanguage(languageId);
    PlaceCycle();
}

void CyclicAddOns::PlaceCycle() {
    if (!cycle_)
        return;
    const int margin = TwipsToPixels(kPageMarginTwips, &page_);
    const int width = std::max(cycle_->width(), cycle_->CheckBox()->sizeHint().width());
    const int right = page_.DesignSize().width() - margin;
    // Not left of the rows and separators, which stand at the margin.
    QRect place(std::max(cycle_->x(), margin), cycle_->y(), width, cycle_->height());
    if (place.right() >= right)
        place.moveLeft(std::max(0, right - width));
    // Each move goes below a child that the control overlaps; the children are finitely many
    // and the control only goes down, so this ends.
    for (bool moved = true; moved;) {
        moved = false;
        for (const PageControl& c : page_.Controls()) {
            QWidget* other = c.widget;
            if (other == nullptr || other == cycle_ || other->parentWidget() != &page_ ||
                !other->isVisibleTo(&page_) || c.design->kind == ChildKind::ParamHelp)
                continue;
            if (other->geometry().intersects(place)) {
                place.moveTop(other->geometry().bottom() + 1 + margin / 2);
                moved = true;
            }
        }
    }
    cycle_->setGeometry(place);
    page_.CoverChildren();
}

bool CyclicAddOns::MirrorIntoHost(int16_t value) const {
    if (!page_.IsInitialised() || clearing_)
        return false;
    return SetHostCyclicRefresh(&page_, value != 0 ? 1 : 0);
}

void CyclicAddOns::OnClick() {
    const std::shared_ptr<IDTMContext> context = page_.GetDtmContext();
    Guarded(context ? context->Diagnostics() : WidgetDiagnostics(), "ctlCycle1_Click", [&] {
        if (cycle_)
            MirrorIntoHost(cycle_->Value());
    });
}

std::vector<clsDataElement*> CyclicAddOns::RequestElements(const PageBase& page,
                                                           IDTMContext& context) {
    std::vector<clsDataElement*> requests;
    ctlParamSite* site = page.Site();
    if (site == nullptr)
        return requests;
    IParameters& parameters = context.Parameters();
    std::set<std::string> added;
    for (ctlParameter* row : page.Rows()) {
        IPrivateParamLink* link = site->GetParamLink(*row);
        clsDataElement* element = link ? AsDataElement(link->DataElement()) : nullptr;
        if (element == nullptr)
            continue;
        // A member of a record is read through its whole record.
        clsDataElement* target = &element->TransferElement(parameters);
        if (target->IsUploadParam(context) && added.insert(target->Name()).second)
            requests.push_back(target);
    }
    return requests;
}

void CyclicAddOns::OnAddRequests(ITransactionGroup& group) {
    std::shared_ptr<IDTMContext> context = page_.GetDtmContext();
    if (!context)
        return;
    Guarded(context->Diagnostics(), "ctlCycle1_OnAddRequests", [&] {
        // A request the group refuses is simply not read.
        for (clsDataElement* element : RequestElements(page_, *context))
            group.AddElement(*element, false);
    });
}

}  // namespace kv
