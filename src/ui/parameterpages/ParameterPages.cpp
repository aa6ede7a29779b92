#include "ui/parameterpages/ParameterPages.h"

#include <stdexcept>

#include "ui/parameterpages/CommitPages.h"
#include "ui/parameterpages/PageDesigns.h"
#include "ui/parameterpages/ParameterPage.h"

namespace kv {

std::unique_ptr<PageBase> CreateParameterPage(const PageDesign& design) {
    switch (design.templ) {
        case PageTemplate::Parameter:
            return MakePage<ParameterPage>(design);
        case PageTemplate::ChannelAssign:
            return MakePage<ChannelAssignPage>(design);
        case PageTemplate::BusAddress:
            return MakePage<BusAddressPage>(design);
        default:
            throw std::invalid_argument(design.className + " is no parameter page");
    }
}

std::unique_ptr<PageBase> CreateParameterPage(std::string_view className) {
    const PageDesign* design = FindParameterPageDesign(className);
    return design ? CreateParameterPage(*design) : nullptr;
}

void RegisterParameterPages(PageRegistry& registry) {
    for (const PageDesign& design : ParameterPageDesigns()) {
        const PageDesign* d = &design;
        registry.Register("KV6274PA." + design.className,
                          [d]() -> std::unique_ptr<QWidget> { return CreateParameterPage(*d); });
    }
}

}  // namespace kv
