#include "ui/framework/ParamLinkPrototype.h"

#include "ui/framework/clsParamLink.h"

namespace kv {

std::shared_ptr<IPrivateParamLink> NewParamLinkPrototype(const ParamLinkFields& fields) {
    auto link = std::make_shared<clsParamLink>();
    link->index = fields.index;
    link->channel = fields.channel;
    link->Prefix = fields.prefix;
    link->bDisplayDPV1Index = fields.bDisplayDPV1Index;
    link->bOnlineMode = fields.bOnlineMode;
    link->bShowDevice = fields.bShowDevice;
    return link;
}

std::shared_ptr<IPrivateParamLink> NewParamLinkPrototype(bool onlineMode) {
    ParamLinkFields fields;
    fields.bOnlineMode = onlineMode;
    return NewParamLinkPrototype(fields);
}

}  // namespace kv
