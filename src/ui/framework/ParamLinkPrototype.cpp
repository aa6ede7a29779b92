#include "ui/framework/ParamLinkPrototype.h"

#include "ui/framework/clsParamLink.h"

namespace kv {

std::shared_ptr<IPrivateParamLink> NewParamLinkPrototype(bool onlineMode) {
    auto link = std::make_shared<clsParamLink>();
    link->bOnlineMode = onlineMode;
    return link;
}

}  // namespace kv
