#include "platform/runtime/Channels.h"

#include <stdexcept>

#include "platform/fdt/FdtDtmInterfaces.h"
#include "platform/runtime/EntryGuard.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/IPropertyBag.h"

namespace kv {

Channels::~Channels() {
    Clear();
}

void Channels::Add(std::shared_ptr<IPrivateChannel> channel) {
    if (!channel)
        throw std::invalid_argument("no channel to add");
    channel->SetParent(this);
    items_.push_back(std::move(channel));
}

IPrivateChannel* Channels::Item(const std::string& channelId) const {
    for (const auto& channel : items_) {
        if (channel->ChannelId() == channelId)
            return channel.get();
    }
    return nullptr;
}

void Channels::Clear() {
    for (const auto& channel : items_) {
        if (channel->Parent() == this)
            channel->SetParent(nullptr);
    }
    items_.clear();
}

std::vector<std::shared_ptr<IFdtChannel>> Channels::FdtChannels() const {
    std::vector<std::shared_ptr<IFdtChannel>> result;
    for (const auto& channel : items_) {
        if (auto fdt = std::dynamic_pointer_cast<IFdtChannel>(channel))
            result.push_back(fdt);
    }
    return result;
}

bool SaveChannels(IChannels& channels, IPropertyBag& bag, DiagnosticLog& log) {
    bool ok = true;
    for (const auto& channel : channels.Items()) {
        ok = Guarded(log, "IPrivateChannel::WriteToPropBag", false,
                     [&] { return channel->WriteToPropBag(bag, channels.Context()); }) &&
             ok;
    }
    return ok;
}

bool LoadChannels(IChannels& channels, const IPropertyBag& bag, DiagnosticLog& log) {
    bool ok = true;
    for (const auto& channel : channels.Items()) {
        ok = Guarded(log, "IPrivateChannel::ReadFromPropBag", false,
                     [&] { return channel->ReadFromPropBag(bag, channels.Context()); }) &&
             ok;
    }
    channels.SetModified(0);
    return ok;
}

}  // namespace kv
