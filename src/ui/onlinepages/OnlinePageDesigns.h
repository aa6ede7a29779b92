#pragma once
// The designer tables of the online pages and the look-up of a page's table by class name.

#include <string_view>
#include <vector>

#include "ui/parameterpages/PageDesign.h"

namespace kv {

// The 18 online pages, group by group.
const std::vector<PageDesign>& OnlinePageDesigns();

// The table of the online page with this class name ("ctlMeasVal"), or nullptr.
const PageDesign* FindOnlinePageDesign(std::string_view className);

}  // namespace kv
