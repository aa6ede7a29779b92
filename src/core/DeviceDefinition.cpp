#include "core/DeviceDefinition.h"

namespace kv {

const BlockDefinition* IDeviceDefinition::FindBlock(int32_t blockType) const {
    for (const BlockDefinition& block : Blocks()) {
        if (block.blockType == blockType)
            return &block;
    }
    return nullptr;
}

}  // namespace kv
