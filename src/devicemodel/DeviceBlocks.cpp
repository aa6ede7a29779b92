// The device's blocks as the model builder sees them.

#include "core/DataModelHelpers.h"
#include "devicemodel/DM_FB_AO_P3.h"
#include "devicemodel/DM_PB_P3.h"
#include "devicemodel/DM_TB_Act_P3.h"

namespace kv {

const std::vector<BlockDefinition>& DeviceBlocks() {
    static const std::vector<BlockDefinition> blocks{
        {pbfPhysicalBlock, 0, &DM_PB_P3::CreateBlockModel, &DM_PB_P3::OnDataChanged,
         &DM_PB_P3::OnUpdateElement, nullptr},
        {pbfTransducerBlock, 1, &DM_TB_Act_P3::CreateBlockModel, &DM_TB_Act_P3::OnDataChanged,
         &DM_TB_Act_P3::OnUpdateElement, &DM_TB_Act_P3::OnParameterChange},
        {pbfFunctionAOBlock, 1, &DM_FB_AO_P3::CreateBlockModel, &DM_FB_AO_P3::OnDataChanged,
         &DM_FB_AO_P3::OnUpdateElement, &DM_FB_AO_P3::OnParameterChange},
    };
    return blocks;
}

}  // namespace kv
