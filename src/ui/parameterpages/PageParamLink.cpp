#include "ui/parameterpages/PageParamLink.h"

#include "ui/framework/clsParamLink.h"

namespace kv {

std::shared_ptr<IPrivateParamLink> MakePageParamLink(const ParamLinkFields& fields) {
    auto link = std::make_shared<clsParamLink>();
    link->index = fields.index;
    link->channel = fields.channel;
    link->Prefix = fields.prefix;
    link->bDisplayDPV1Index = fields.bDisplayDPV1Index;
    link->bOnlineMode = fields.bOnlineMode;
    return link;
}

}  // namespace kv
