#include "platform/controls/widgets/PageRegistry.h"

#include <stdexcept>

namespace kv {

PageRegistry& PageRegistry::Instance() {
    static PageRegistry registry;
    return registry;
}

void PageRegistry::Register(const std::string& progId, Creator creator) {
    if (progId.empty() || !creator)
        throw std::invalid_argument("a page needs a ProgID and a creator");
    creators_[progId] = std::move(creator);
}

void PageRegistry::Unregister(const std::string& progId) {
    creators_.erase(progId);
}

bool PageRegistry::Contains(const std::string& progId) const {
    return creators_.count(progId) != 0;
}

std::unique_ptr<QWidget> PageRegistry::Create(const std::string& progId) const {
    auto it = creators_.find(progId);
    if (it == creators_.end())
        return nullptr;
    return it->second();
}

}  // namespace kv
