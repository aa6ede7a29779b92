#pragma once
// The factory of the parameter pages: each page's table with the class of its template, and
// the registration of every page under its ProgID ("KV6274PA." and its class name) with the
// navigation control's page registry.

#include <memory>
#include <string_view>

#include "platform/controls/widgets/PageRegistry.h"
#include "ui/parameterpages/PageBase.h"

namespace kv {

// A page of template class Page made from its table and built.
template <class Page>
std::unique_ptr<PageBase> MakePage(const PageDesign& design) {
    auto page = std::make_unique<Page>(design);
    page->Build();
    return page;
}

// The page of a parameter page table, built. Throws std::invalid_argument for a table of
// another template (the online pages have their own factory).
std::unique_ptr<PageBase> CreateParameterPage(const PageDesign& design);
// The parameter page of this class name ("ctlId"); nullptr when there is none.
std::unique_ptr<PageBase> CreateParameterPage(std::string_view className);

// Registers the 24 parameter pages; the program calls it once before it opens a main window.
void RegisterParameterPages(PageRegistry& registry);

}  // namespace kv
