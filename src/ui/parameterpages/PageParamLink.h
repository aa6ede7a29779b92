#pragma once
// The binding prototype of a page: the parameter link that the page's site copies for every row,
// with the fields the page sets on it.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/controls/ControlInterfaces.h"

namespace kv {

struct ParamLinkFields {
    int32_t index = 0;               // replaces "%d" in the rows' tags
    std::string channel;             // replaces "%ch"
    std::string prefix;              // replaces "%blk"
    bool bDisplayDPV1Index = false;  // labels begin with the element's relative index
    bool bOnlineMode = true;         // edits mark the element edited online
};

// A new parameter link (clsParamLink) with these fields, unbound.
std::shared_ptr<IPrivateParamLink> MakePageParamLink(const ParamLinkFields& fields);

}  // namespace kv
