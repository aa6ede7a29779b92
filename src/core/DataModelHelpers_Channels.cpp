// The channel factory of the model construction.

#include <memory>

#include "core/DataModelHelpers.h"
#include "devicemodel/clsChannel.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/IPrivateDataModel.h"

namespace kv {

void AddChannel(IDTMContext& context, const std::string& id, bool active, int32_t channelFlag,
                int16_t channelOption, int16_t slot, int16_t index, int16_t bitPosition,
                int16_t bitLength, int32_t floatValue) {
    IParameters& parameters = context.Parameters();
    const IPrivateDataModel* model = parameters.DataModel();
    if (model == nullptr)
        throw std::logic_error("the data set has no data model");

    auto channel = std::make_shared<clsChannel>();
    channel->SetActive(active);
    IProfibusChannelParameter& parameter = channel->ProfibusChannelParameter();
    parameter.SetTag(Variant(id));
    if (model != nullptr) {
        parameter.SetVendor(Variant(model->DTMVendor()));
        parameter.SetVersion(Variant(model->DTMVersion()));
        parameter.SetDate(Variant::FromDate(model->DTMDate()));
        parameter.SetDescriptor(Variant(model->DTMDescriptor()));
    }
    parameter.SetName(parameter.Tag());
    parameter.SetChannelId(parameter.Tag());
    parameter.SetAssigned(Variant(false));
    parameter.SetChannelNumber(Variant(parameters.Channels().Count() + 1));
    parameter.SetFloatValue(Variant(floatValue));
    parameter.SetChannelFlag(Variant(channelFlag));
    parameter.SetDescription(parameter.Tag());
    parameter.SetInitFlag(Variant(false));
    parameter.SetChannelOption(Variant(channelOption));
    parameter.SetSlot(Variant(slot));
    parameter.SetIndex(Variant(index));
    parameter.SetBitPosition(Variant(bitPosition));
    parameter.SetBitLength(Variant(bitLength));
    parameters.Channels().Add(channel);
}

}  // namespace kv
