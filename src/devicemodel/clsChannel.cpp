#include "devicemodel/clsChannel.h"

#include <optional>

#include "core/DataModelHelpers.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IPropertyBag.h"
#include "platform/runtime/ProfibusChannelParameter.h"
#include "value/Text.h"

namespace kv {

namespace {

// The longest descriptive text the frame may give a channel, in characters.
constexpr size_t kMaxFrameText = 255;

// The properties that belong to the frame, in slot order.
const ChannelProperty kFrameOwned[] = {
    ChannelProperty::Tag,
    ChannelProperty::Name,
    ChannelProperty::Assigned,
    ChannelProperty::Description,
    ChannelProperty::FrameApplicationTag,
    ChannelProperty::GroupName,
};

bool AcceptableFrameText(const Variant& value) {
    if (value.isEmpty())
        return true;
    if (!value.isString())
        return false;
    const std::vector<uint32_t> codePoints = Utf8CodePoints(value.str());
    if (codePoints.size() > kMaxFrameText)
        return false;
    for (uint32_t c : codePoints) {
        if (c < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

}  // namespace

clsChannel::clsChannel() : parameter_(std::make_shared<kv::ProfibusChannelParameter>()) {
    parameter_->SetProtocolId(Variant(ProtocolId()));
}

IDTMContext* clsChannel::Context() const {
    return parent_ ? parent_->Context() : nullptr;
}

Variant clsChannel::Assigned() const {
    return parameter_->Assigned();
}

void clsChannel::SetChannelId(const std::string& id) {
    parameter_->SetChannelId(Variant(id));
}

std::string clsChannel::ChannelId() const {
    return parameter_->ChannelId().toString();
}

bool clsChannel::InitNew(const Variant&, const Variant&) {
    return true;
}

bool clsChannel::ReadFromPropBag(const IPropertyBag& bag, IDTMContext*) {
    const std::string id = ChannelId();
    const std::optional<bool> active = bag.ReadOr(id + ".Active", Variant(false)).tryBool();
    if (!active)
        return false;
    const std::optional<int16_t> bitPosition =
        bag.ReadOr(id + ".BitPosition", Variant(int16_t{0})).tryInteger();
    if (!bitPosition)
        return false;
    active_ = *active;
    parameter_->SetBitPosition(Variant(*bitPosition));
    return true;
}

bool clsChannel::WriteToPropBag(IPropertyBag& bag, IDTMContext*) {
    const std::string id = ChannelId();
    const int16_t bitPosition = parameter_->BitPosition().toInteger();
    bag.Write(id + ".Active", Variant(active_));
    bag.Write(id + ".BitPosition", Variant(bitPosition));
    return true;
}

bool clsChannel::ReadFromChannelParameter(IProfibusChannelParameter*, IDTMContext*) {
    return false;
}

bool clsChannel::WriteToChannelParameter(IProfibusChannelParameter*, IDTMContext*) {
    return false;
}

std::string clsChannel::GetChannelPath() {
    IDTMContext* context = Context();
    if (context == nullptr)
        return {};
    return Guarded<std::string>(context->Diagnostics(), "clsChannel::GetChannelPath", {},
                                [&] { return context->SystemTag() + "/" + ChannelId(); });
}

std::string clsChannel::GetChannelParameters(const std::string&, const std::string&) {
    IDTMContext* context = Context();
    if (context == nullptr)
        return {};
    return Guarded<std::string>(context->Diagnostics(), "clsChannel::GetChannelParameters", {},
                                [&] { return parameter_->ToXml(context); });
}

bool clsChannel::SetChannelParameters(const std::string&, const std::string&,
                                      const std::string& xml) {
    IDTMContext* context = Context();
    if (context == nullptr)
        return false;
    return Guarded(context->Diagnostics(), "clsChannel::SetChannelParameters", false, [&] {
        kv::ProfibusChannelParameter parsed;
        if (!parsed.FromXml(xml, context))
            return false;
        if (parsed.ChannelId().toString() != ChannelId())
            return false;
        for (ChannelProperty property : kFrameOwned) {
            if (TypeOfChannelProperty(property) == ChannelPropertyType::Text &&
                !AcceptableFrameText(parsed.Get(property))) {
                return false;
            }
        }
        parent_->SetModified(1);
        for (ChannelProperty property : kFrameOwned) {
            const Variant& value = parsed.Get(property);
            if (!value.isEmpty())
                parameter_->Set(property, value);
        }
        UpdateChannelProtection(*context);
        return true;
    });
}

}  // namespace kv
