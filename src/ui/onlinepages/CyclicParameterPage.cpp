#include "ui/onlinepages/CyclicParameterPage.h"

#include "platform/controls/widgets/ctlParamSite.h"

namespace kv {

CyclicParameterPage::CyclicParameterPage(const PageDesign& design, QWidget* parent)
    : ParameterPage(design, parent), addOns_(*this) {}

CyclicParameterPage::~CyclicParameterPage() = default;

QWidget* CyclicParameterPage::CreateChild(const ChildDesign& child, QWidget* parent) {
    if (child.kind == ChildKind::Cycle)
        return addOns_.CreateCycle(child, parent);
    return ParameterPage::CreateChild(child, parent);
}

void CyclicParameterPage::SetCyclicRefresh(int16_t value) {
    addOns_.SetCyclicRefresh(value);
}

void CyclicParameterPage::SetCycleTime(int32_t milliseconds) {
    addOns_.SetCycleTime(milliseconds);
}

void CyclicParameterPage::AfterSiteInit() {
    addOns_.Init(*GetDtmContext());
}

bool CyclicParameterPage::QueryRelease() {
    Site()->Release();
    addOns_.Clear();
    // The parameter page's release: the site (released already, nothing left), then the group.
    return ParameterPage::QueryRelease();
}

void CyclicParameterPage::RollBackInitPage() {
    try {
        addOns_.Clear();
    } catch (...) {
        // The cycle control goes with the page.
    }
    ParameterPage::RollBackInitPage();
}

void CyclicParameterPage::ApplyLanguage(int32_t languageId) {
    ParameterPage::ApplyLanguage(languageId);
    addOns_.SetLanguage(languageId);
}

}  // namespace kv
