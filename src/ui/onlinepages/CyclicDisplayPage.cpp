#include "ui/onlinepages/CyclicDisplayPage.h"

#include <QString>

#include "core/clsDataElement.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/PropertyBag.h"
#include "ui/framework/widgets/ctlBar.h"
#include "ui/parameterpages/PageDesign.h"

namespace kv {

namespace {

// The bar's tooltip: what its value element is, and in which unit.
void SetBarToolTip(ctlBar& bar, clsDataElement& value, IDTMContext& context) {
    bar.setToolTip(ToQString(value.Description.str() + " [" + value.UnitString(context) + "]"));
}

}  // namespace

CyclicDisplayPage::CyclicDisplayPage(const PageDesign& design, QWidget* parent)
    : CyclicPage(design, parent) {}

CyclicDisplayPage::~CyclicDisplayPage() = default;

QWidget* CyclicDisplayPage::CreateChild(const ChildDesign& child, QWidget* parent) {
    if (child.kind != ChildKind::Bar)
        return CyclicPage::CreateChild(child, parent);
    auto* bar = new ctlBar(parent);
    if (!bar->ReadProperties(DesignBag(child)))
        RecordDesignFault(child, "has a designer property of the wrong kind");
    return bar;
}

ctlBar* CyclicDisplayPage::Bar(const std::string& name) const {
    return qobject_cast<ctlBar*>(Control(name));
}

void CyclicDisplayPage::OnParameterChanged(IPrivateDataElement& element) {
    if (!Design().bars.empty()) {
        // Only what the element feeds changes; the values come from the element itself.
        const std::string& name = element.Name();
        std::shared_ptr<IDTMContext> context = GetDtmContext();
        for (const BarDesign& feed : Design().bars) {
            ctlBar* bar = Bar(feed.bar);
            if (bar == nullptr)
                continue;
            const Variant& value = element.TransientValue();
            if (name == WithBlockNumber(feed.value, BlockIndex())) {
                bar->SetValue(value);
                if (clsDataElement* e = AsDataElement(&element); e != nullptr && context)
                    SetBarToolTip(*bar, *e, *context);
            } else if (name == WithBlockNumber(feed.lower, BlockIndex())) {
                bar->SetLimitMin(value);
                bar->SetRangeMin(value);
            } else if (name == WithBlockNumber(feed.upper, BlockIndex())) {
                bar->SetLimitMax(value);
                bar->SetRangeMax(value);
            }
        }
    }
    CyclicPage::OnParameterChanged(element);
}

void CyclicDisplayPage::OnParameterSetChanged() {
    if (std::shared_ptr<IDTMContext> context = GetDtmContext())
        RefreshBars(*context);
    CyclicPage::OnParameterSetChanged();
}

void CyclicDisplayPage::RefreshBars(IDTMContext& context) {
    IParameters& parameters = context.Parameters();
    for (const BarDesign& feed : Design().bars) {
        ctlBar* bar = Bar(feed.bar);
        clsDataElement* value =
            AsDataElement(parameters.Item(WithBlockNumber(feed.value, BlockIndex())));
        clsDataElement* lower =
            AsDataElement(parameters.Item(WithBlockNumber(feed.lower, BlockIndex())));
        clsDataElement* upper =
            AsDataElement(parameters.Item(WithBlockNumber(feed.upper, BlockIndex())));
        // A block number without these elements: the bar keeps what it shows.
        if (bar == nullptr || value == nullptr || lower == nullptr || upper == nullptr)
            continue;
        bar->SetValue(value->TransientValue());
        SetBarToolTip(*bar, *value, context);
        bar->SetLimitMin(lower->TransientValue());
        bar->SetRangeMin(lower->TransientValue());
        bar->SetLimitMax(upper->TransientValue());
        bar->SetRangeMax(upper->TransientValue());
    }
}

}  // namespace kv
