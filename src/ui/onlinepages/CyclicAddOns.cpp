#include "ui/onlinepages/CyclicAddOns.h"

#include <set>

#include "core/clsDataElement.h"
#include "platform/controls/widgets/NavigationHost.h"
#include "platform/controls/widgets/ctlParamSite.h"
#include "platform/controls/widgets/ctlParameter.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/ITransactionGroup.h"
#include "ui/framework/widgets/ctlCycle.h"
#include "ui/onlinepages/OnlinePageParts.h"
#include "ui/parameterpages/PageBase.h"

namespace kv {

CyclicAddOns::CyclicAddOns(PageBase& page) : page_(page) {}

ctlCycle* CyclicAddOns::CreateCycle(const ChildDesign& child, QWidget* parent) {
    auto* cycle = new ctlCycle(parent);
    if (!cycle->ReadProperties(DesignBag(child)))
        qWarning("%s: a designer property of %s has the wrong kind", page_.Name().c_str(),
                 child.name.c_str());
    cycle_ = cycle;
    // The control raises its events inside its own guard; the page's handlers only run while
    // the page (which owns this object) exists.
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
    if (cycle_)
        cycle_->Init(context, scmDoNotStart);
}

void CyclicAddOns::Clear() {
    if (!cycle_)
        return;
    const QPointer<PageBase> page(&page_);
    clearing_ = true;
    cycle_->Clear();
    if (page)
        clearing_ = false;
}

void CyclicAddOns::SetCyclicRefresh(int16_t value) {
    if (cycle_)
        cycle_->SetValue(value);
}

void CyclicAddOns::SetCycleTime(int32_t milliseconds) {
    if (cycle_)
        cycle_->SetInterval(milliseconds);
}

void CyclicAddOns::SetLanguage(int32_t languageId) {
    if (cycle_)
        cycle_->SetLanguage(languageId);
}

bool CyclicAddOns::MirrorIntoHost(int16_t value) const {
    if (!page_.IsInitialised() || clearing_)
        return false;
    return SetHostCyclicRefresh(&page_, value != 0 ? 1 : 0);
}

void CyclicAddOns::OnClick() {
    if (cycle_)
        MirrorIntoHost(cycle_->Value());
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
        clsDataElement* parent = element->GetParentParameter(parameters);
        clsDataElement* target = parent != nullptr ? parent : element;
        if (target->IsUploadParam(context) && added.insert(target->Name()).second)
            requests.push_back(target);
    }
    return requests;
}

void CyclicAddOns::OnAddRequests(ITransactionGroup& group) {
    std::shared_ptr<IDTMContext> context = page_.GetDtmContext();
    if (!context)
        return;
    // A request the group refuses is simply not read.
    for (clsDataElement* element : RequestElements(page_, *context))
        group.AddElement(*element, false);
}

}  // namespace kv
