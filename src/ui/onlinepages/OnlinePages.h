#pragma once
// The factory of the online pages: each page's table with the class of its template, and the
// registration of every online page under its ProgID ("KV6274PA." and its class name) with the
// navigation control's page registry.

#include <memory>
#include <string_view>

#include "platform/controls/widgets/PageRegistry.h"
#include "ui/parameterpages/PageBase.h"

namespace kv {

// Whether the online pages' factory builds pages of this template.
bool IsOnlineTemplate(PageTemplate templ);

// The page of an online page table, built. Throws std::invalid_argument for a table of a
// template the factory does not build.
std::unique_ptr<PageBase> CreateOnlinePage(const PageDesign& design);
// The online page of this class name ("ctlMeasVal"); nullptr when there is none.
std::unique_ptr<PageBase> CreateOnlinePage(std::string_view className);

// Registers the online pages; the program calls it once before it opens a main window.
void RegisterOnlinePages(PageRegistry& registry);

}  // namespace kv
