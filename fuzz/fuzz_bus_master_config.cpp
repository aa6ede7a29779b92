// A bus master configuration of any content, as the frame stores it in
// "~/BusMasterConfigurationPart" and reports it: the change hook takes the slave parameter set
// over (channels and "SlaveBusParamSet_WholeString") or refuses it whole.

#include "FuzzSupport.h"
#include "devicemodel/DM_Channels.h"
#include "platform/runtime/IPrivateDataElement.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kv;
    fuzz::ModelInstance& m = fuzz::SharedInstance();
    IPrivateDataElement* busMaster = m.data->Item("~/BusMasterConfigurationPart");
    if (busMaster == nullptr)
        std::abort();
    m.Touch(*busMaster);
    busMaster->SetTransientValue(Variant(ByteArray{std::vector<uint8_t>(data, data + size), 0}));
    m.data->ElementChanged(*busMaster, "");
    ApplyBusMasterConfiguration(m.context);
    m.loop->RunUntilIdle();
    m.Restore();
    return 0;
}
