// The device's blocks, channels and cyclic configuration as the model builder sees them.

#include "devicemodel/DeviceModel.h"

#include "devicemodel/DM_Channels.h"
#include "devicemodel/DM_FB_AO_P3.h"
#include "devicemodel/DM_PB_P3.h"
#include "devicemodel/DM_TB_Act_P3.h"
#include "platform/runtime/IParameters.h"

namespace kv {

namespace {

class KV6274Device : public IDeviceDefinition {
  public:
    const std::vector<BlockDefinition>& Blocks() const override {
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
    void CreateChannels(IDTMContext& context) const override { kv::CreateChannels(context); }
    std::optional<std::string> ApplyBusMasterConfiguration(IDTMContext& context) const override {
        return kv::ApplyBusMasterConfiguration(context);
    }
    std::optional<std::string> CheckSlaveBusParamSet(
        const std::vector<uint8_t>& bytes) const override {
        return kv::CheckSlaveBusParamSet(bytes);
    }
    void BuildSlaveBusParamSet(IParameters& parameters) const override {
        kv::BuildSlaveBusParamSet(parameters);
    }
    clsDataElement* UnitElementOf(IParameters& parameters,
                                  const clsDataElement& element) const override {
        return DM_FB_AO_P3::UnitElementOf(parameters, element);
    }
};

}  // namespace

const IDeviceDefinition* DeviceModel() {
    static const KV6274Device device;
    return &device;
}

}  // namespace kv
