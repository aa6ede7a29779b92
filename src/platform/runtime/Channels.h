#pragma once
// The channel collection of an instance's data set, and the walks that persist its channels with
// the instance.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/IChannels.h"
#include "platform/runtime/IPropertyBag.h"

namespace kv {

class DiagnosticLog;

class Channels : public IChannels {
  public:
    // The context owns the data set that holds the collection and so outlives it.
    explicit Channels(IDTMContext* context = nullptr) : context_(context) {}
    // Channels that outlive the collection (the frame may still hold them) lose their parent.
    ~Channels() override;
    Channels(const Channels&) = delete;
    Channels& operator=(const Channels&) = delete;

    // Adds the channel last and makes this collection its parent.
    void Add(std::shared_ptr<IPrivateChannel> channel) override;
    int32_t Count() const override { return static_cast<int32_t>(items_.size()); }
    // The first channel whose ChannelId is channelId (exact text); nullptr when none.
    IPrivateChannel* Item(const std::string& channelId) const override;
    const std::vector<std::shared_ptr<IPrivateChannel>>& Items() const override { return items_; }
    // Removes every channel; each loses its parent.
    void Clear() override;
    IDTMContext* Context() const override { return context_; }
    void SetModified(int32_t modified) override { modified_ = modified; }
    int32_t Modified() const override { return modified_; }
    std::vector<std::shared_ptr<IFdtChannel>> FdtChannels() const override;

  private:
    IDTMContext* context_;
    std::vector<std::shared_ptr<IPrivateChannel>> items_;
    int32_t modified_ = 0;
};

// Every channel writes its property-bag entries (IPrivateChannel::WriteToPropBag); the
// collection counts as unmodified only once the save is completed (SaveCompleted of the data
// set). False when any channel failed; the others are still written. An error of a channel is
// recorded in log.
bool SaveChannels(IChannels& channels, IPropertyBag& bag, DiagnosticLog& log);
// Every channel reads its property-bag entries (IPrivateChannel::ReadFromPropBag); afterwards
// the collection counts as unmodified. False when any channel failed; the others are still read.
// An error of a channel is recorded in log.
bool LoadChannels(IChannels& channels, const IPropertyBag& bag, DiagnosticLog& log);

}  // namespace kv
