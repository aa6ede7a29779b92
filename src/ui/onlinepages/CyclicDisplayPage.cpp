#include "ui/onlinepages/CyclicDisplayPage.h"

#include <QString>

#include "core/ProjectHelpers.h"
#include "core/clsDataElement.h"
#include "platform/controls/widgets/QtText.h"
#include "platform/runtime/ElementPath.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/PropertyBag.h"
#include "ui/framework/widgets/ctlBar.h"
#include "ui/parameterpages/PageDesign.h"

namespace kv {

namespace {

// The bar's tooltip: what its value element is, and in which unit.
void SetBarToolTip(ctlBar& bar, clsDataElement& value, IDTMContext& context) {
    bar.setToolTip(
        ToQString(value.Description.str() + " [" + DeviceOrDataSetUnit(context, value) + "]"));
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
        // Only what the element feeds changes; the values are the element's as the device has
        // them.
        const std::string& name = element.Name();
        std::shared_ptr<IDTMContext> context = GetDtmContext();
        for (const BarDesign& feed : Design().bars) {
            ctlBar* bar = Bar(feed.bar);
            if (bar == nullptr)
                continue;
            const Variant& value = DeviceOrDataSetValue(element);
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
        bar->SetValue(DeviceOrDataSetValue(*value));
        SetBarToolTip(*bar, *value, context);
        bar->SetLimitMin(DeviceOrDataSetValue(*lower));
        bar->SetRangeMin(DeviceOrDataSetValue(*lower));
        bar->SetLimitMax(DeviceOrDataSetValue(*upper));
        bar->SetRangeMax(DeviceOrDataSetValue(*upper));
    }
}

}  // namespace kv
