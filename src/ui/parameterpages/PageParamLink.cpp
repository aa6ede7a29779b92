#include "ui/parameterpages/PageParamLink.h"

#include <stdexcept>

namespace kv {

std::shared_ptr<IPrivateParamLink> MakePageParamLink(const ParamLinkFields& /*fields*/) {
    throw std::logic_error("no parameter link yet");
}

void CommitPendingEdit(IPrivateParamLink& link) {
    link.ValidateParameter();
}

}  // namespace kv
