#pragma once
// The process channels of an instance, as the runtime holds them.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "value/Variant.h"

namespace kv {

class IChannels;
class IDTMContext;
class IFdtChannel;
class IProfibusChannelParameter;
class IPropertyBag;

// One process channel as the runtime holds it. The members beyond Assigned have the behaviour of
// a channel that keeps nothing of its own, so that a minimal channel need not spell them out.
class IPrivateChannel {
  public:
    virtual ~IPrivateChannel() = default;
    // Whether the frame has assigned the channel (the Assigned property of its PROFIBUS channel
    // parameter); Null when the frame never said.
    virtual Variant Assigned() const = 0;

    // The collection that holds the channel; set by the collection only (nullptr once the
    // collection let it go).
    virtual void SetParent(IChannels* /*parent*/) {}
    virtual IChannels* Parent() const { return nullptr; }
    // Key of the channel in its collection and prefix of its property-bag keys.
    virtual void SetChannelId(const std::string& /*id*/) {}
    virtual std::string ChannelId() const { return {}; }
    // The channel is part of the current cyclic configuration.
    virtual void SetActive(bool /*active*/) {}
    virtual bool Active() const { return false; }
    // The FDT protocol id of the channel's bus, text without braces.
    virtual std::string ProtocolId() const { return {}; }

    virtual bool InitNew(const Variant& /*a*/, const Variant& /*b*/) { return true; }
    // The channel's own property-bag entries; False when nothing was read or written.
    virtual bool ReadFromPropBag(const IPropertyBag& /*bag*/, IDTMContext* /*context*/) {
        return false;
    }
    virtual bool WriteToPropBag(IPropertyBag& /*bag*/, IDTMContext* /*context*/) { return false; }
    virtual bool ReadFromChannelParameter(IProfibusChannelParameter* /*parameter*/,
                                          IDTMContext* /*context*/) {
        return false;
    }
    virtual bool WriteToChannelParameter(IProfibusChannelParameter* /*parameter*/,
                                         IDTMContext* /*context*/) {
        return false;
    }
};

class IChannels {
  public:
    virtual ~IChannels() = default;
    // Adds the channel and sets its parent to this collection.
    virtual void Add(std::shared_ptr<IPrivateChannel> channel) = 0;
    virtual int32_t Count() const = 0;
    // The channel with this id; nullptr when none.
    virtual IPrivateChannel* Item(const std::string& channelId) const = 0;
    virtual const std::vector<std::shared_ptr<IPrivateChannel>>& Items() const = 0;
    virtual void Clear() = 0;
    // The context of the instance; nullptr when the collection belongs to none.
    virtual IDTMContext* Context() const = 0;
    virtual void SetModified(int32_t modified) = 0;
    // 1 after a channel was changed by the frame, until the channels are saved or loaded.
    virtual int32_t Modified() const { return 0; }
    // The channels as the frame sees them, in the collection's order (those that are no FDT
    // channel are left out).
    virtual std::vector<std::shared_ptr<IFdtChannel>> FdtChannels() const { return {}; }
};

}  // namespace kv
