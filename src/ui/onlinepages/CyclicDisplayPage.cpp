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
        // Only the bars the element feeds change, the tooltip only with its value element; the
        // values are the elements' as the device has them.
        const std::string& name = element.Name();
        if (std::shared_ptr<IDTMContext> context = GetDtmContext()) {
            for (const BarDesign& feed : Design().bars) {
                const bool value = name == WithBlockNumber(feed.value, BlockIndex());
                if (value || name == WithBlockNumber(feed.lower, BlockIndex()) ||
                    name == WithBlockNumber(feed.upper, BlockIndex()))
                    ShowBar(*context, feed, value);
            }
        }
    }
    CyclicPage::OnParameterChanged(element);
}

void CyclicDisplayPage::OnParameterSetChanged() {
    if (std::shared_ptr<IDTMContext> context = GetDtmContext()) {
        for (const BarDesign& feed : Design().bars)
            ShowBar(*context, feed, true);
    }
    CyclicPage::OnParameterSetChanged();
}

void CyclicDisplayPage::ShowBar(IDTMContext& context, const BarDesign& feed, bool withToolTip) {
    IParameters& parameters = context.Parameters();
    ctlBar* bar = Bar(feed.bar);
    clsDataElement* value =
        AsDataElement(parameters.Item(WithBlockNumber(feed.value, BlockIndex())));
    clsDataElement* lower =
        AsDataElement(parameters.Item(WithBlockNumber(feed.lower, BlockIndex())));
    clsDataElement* upper =
        AsDataElement(parameters.Item(WithBlockNumber(feed.upper, BlockIndex())));
    // A block number without these elements: the bar keeps what it shows.
    if (bar == nullptr || value == nullptr || lower == nullptr || upper == nullptr)
        return;
    // The value on the scale in the scale's unit: converted where the device sent it in
    // another, none where it does not convert (until it is read in the scale's unit).
    const int16_t unit = DeviceOrDataSetUnitCode(*upper);
    const Variant shown = DeviceOrDataSetValueIn(context, *value, unit);
    bar->SetValue(shown.isNull() ? Variant() : shown);
    if (withToolTip)
        bar->setToolTip(ToQString(value->Description.str() + " [" + UnitText(context, unit) + "]"));
    bar->SetLimitMin(DeviceOrDataSetValue(*lower));
    bar->SetRangeMin(DeviceOrDataSetValue(*lower));
    bar->SetLimitMax(DeviceOrDataSetValue(*upper));
    bar->SetRangeMax(DeviceOrDataSetValue(*upper));
}

}  // namespace kv
