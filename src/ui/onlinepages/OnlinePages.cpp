#include "ui/onlinepages/OnlinePages.h"

#include <stdexcept>

#include "ui/onlinepages/ArchivePage.h"
#include "ui/onlinepages/CommandPage.h"
#include "ui/onlinepages/CyclicDisplayPage.h"
#include "ui/onlinepages/CyclicParameterPage.h"
#include "ui/onlinepages/OnlinePageDesigns.h"
#include "ui/parameterpages/ParameterPages.h"

namespace kv {

bool IsOnlineTemplate(PageTemplate templ) {
    switch (templ) {
        case PageTemplate::CyclicDisplay:
        case PageTemplate::CyclicParameter:
        case PageTemplate::Command:
        case PageTemplate::Archive:
            return true;
        default:
            return false;
    }
}

std::unique_ptr<PageBase> CreateOnlinePage(const PageDesign& design) {
    switch (design.templ) {
        case PageTemplate::CyclicDisplay:
            return MakePage<CyclicDisplayPage>(design);
        case PageTemplate::CyclicParameter:
            return MakePage<CyclicParameterPage>(design);
        case PageTemplate::Archive: {
            auto page = std::make_unique<ArchivePage>(design);
            page->Build();
            page->PlaceCycleAboveArchive();
            return page;
        }
        case PageTemplate::Command: {
            auto page = std::make_unique<CommandPage>(design);
            page->Build();
            page->ApplyTabOrder();
            return page;
        }
        default:
            throw std::invalid_argument(design.className + " is no page of an online template");
    }
}

std::unique_ptr<PageBase> CreateOnlinePage(std::string_view className) {
    const PageDesign* design = FindOnlinePageDesign(className);
    return design && IsOnlineTemplate(design->templ) ? CreateOnlinePage(*design) : nullptr;
}

void RegisterOnlinePages(PageRegistry& registry) {
    for (const PageDesign& design : OnlinePageDesigns()) {
        if (!IsOnlineTemplate(design.templ))
            continue;
        const PageDesign* d = &design;
        registry.Register("KV6274PA." + design.className,
                          [d]() -> std::unique_ptr<QWidget> { return CreateOnlinePage(*d); });
    }
}

}  // namespace kv
