#pragma once
// The designer tables of the parameter pages and the look-up of a page's table by class name.

#include <initializer_list>
#include <string_view>
#include <vector>

#include "ui/parameterpages/PageDesign.h"

namespace kv {

// The 24 parameter pages, group by group.
const std::vector<PageDesign>& ParameterPageDesigns();

// The tables of several groups in one list, group by group.
std::vector<PageDesign> JoinPageDesigns(
    std::initializer_list<std::vector<PageDesign> (*)()> groups);

// The table of the page with this class name ("ctlId"), or nullptr.
const PageDesign* FindPageDesign(const std::vector<PageDesign>& designs,
                                 std::string_view className);
const PageDesign* FindParameterPageDesign(std::string_view className);

}  // namespace kv
