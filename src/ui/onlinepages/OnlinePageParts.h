#pragma once
// Small pieces the online page templates share: a child's designer properties as a property
// bag, and a path of the tables with the page's block number put in for "%d".

#include <cstdint>
#include <string>

#include "platform/runtime/PropertyBag.h"
#include "ui/parameterpages/PageDesign.h"

namespace kv {

// The designer properties of a table line, under their keys.
PropertyBag DesignBag(const ChildDesign& child);

// The path with every "%d" replaced by the block number ("FUNC/%d/AO/SP/Value" with 2 gives
// "FUNC/2/AO/SP/Value").
std::string BlockPath(const std::string& path, int16_t blockIndex);

}  // namespace kv
