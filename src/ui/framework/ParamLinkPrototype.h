#pragma once
// The prototype link that a window or page hands its binding site (ctlParamSite.Init): the site
// makes one link per parameter row from it.

#include <memory>

#include "platform/controls/ControlInterfaces.h"

namespace kv {

// A new clsParamLink with bOnlineMode as given.
std::shared_ptr<IPrivateParamLink> NewParamLinkPrototype(bool onlineMode);

}  // namespace kv
