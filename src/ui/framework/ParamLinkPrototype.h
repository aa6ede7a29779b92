#pragma once
// The prototype link that a window or page hands its binding site (ctlParamSite.Init): the site
// makes one link per parameter row from it.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/controls/ControlInterfaces.h"

namespace kv {

// The fields of the prototype, which every link made from it copies.
struct ParamLinkFields {
    int32_t index = 0;               // replaces "%d" in the rows' tags
    std::string channel;             // replaces "%ch"
    std::string prefix;              // replaces "%blk"
    bool bDisplayDPV1Index = false;  // labels begin with the element's relative index
    bool bOnlineMode = false;        // edits mark the element edited online
    bool bShowDevice = false;        // the rows show the device's values
};

// A new clsParamLink with these fields.
std::shared_ptr<IPrivateParamLink> NewParamLinkPrototype(const ParamLinkFields& fields);
// A new clsParamLink with bOnlineMode as given.
std::shared_ptr<IPrivateParamLink> NewParamLinkPrototype(bool onlineMode);

}  // namespace kv
