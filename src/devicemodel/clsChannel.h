#pragma once
// One process channel of the device: the runtime reaches it as IPrivateChannel, the frame as
// IFdtChannel. Its data lives in the PROFIBUS channel parameter object that it owns.

#include <memory>
#include <string>

#include "platform/fdt/FdtDtmInterfaces.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/IProfibusChannelParameter.h"
#include "platform/runtime/IPropertyBag.h"

namespace kv {

// FDT protocol id of PROFIBUS DP.
inline constexpr const char* kProfibusDPProtocolId = "036D1497-387B-11D4-86E1-00E0987270B9";

class clsChannel : public IPrivateChannel, public IFdtChannel {
  public:
    // Active, with a new parameter object that carries the protocol id.
    clsChannel();

    IProfibusChannelParameter& ProfibusChannelParameter() { return *parameter_; }
    const IProfibusChannelParameter& ProfibusChannelParameter() const { return *parameter_; }
    // The instance's context, through the collection; nullptr without a collection.
    IDTMContext* Context() const;

    // --- IPrivateChannel ---
    Variant Assigned() const override;
    void SetParent(IChannels* parent) override { parent_ = parent; }
    IChannels* Parent() const override { return parent_; }
    void SetChannelId(const std::string& id) override;
    std::string ChannelId() const override;
    void SetActive(bool active) override { active_ = active; }
    bool Active() const override { return active_; }
    std::string ProtocolId() const override { return kProfibusDPProtocolId; }
    bool InitNew(const Variant& a, const Variant& b) override;
    // ChannelId & ".Active" (Boolean, default False) and ChannelId & ".BitPosition" (16-bit,
    // default 0). A stored value of the wrong kind leaves the channel unchanged and gives False.
    bool ReadFromPropBag(const IPropertyBag& bag, IDTMContext* context) override;
    bool WriteToPropBag(IPropertyBag& bag, IDTMContext* context) override;
    bool ReadFromChannelParameter(IProfibusChannelParameter* parameter,
                                  IDTMContext* context) override;
    bool WriteToChannelParameter(IProfibusChannelParameter* parameter,
                                 IDTMContext* context) override;

    // --- IFdtChannel ---
    // System tag & "/" & ChannelId; "" without a context.
    std::string GetChannelPath() override;
    // The channel parameter document; "" without a context.
    std::string GetChannelParameters(const std::string& a, const std::string& b) override;
    // Takes from a channel parameter document of this channel only what the frame owns: the
    // assignment and the descriptive texts (Tag, Name, Description, FrameApplicationTag,
    // GroupName), each when the document gives it. Identity, address, bit position and length
    // stay the channel's own. False, and nothing changed, for a document that does not parse,
    // names another channel or carries a text that is too long or holds control characters.
    bool SetChannelParameters(const std::string& a, const std::string& b,
                              const std::string& xml) override;

  private:
    std::shared_ptr<IProfibusChannelParameter> parameter_;
    IChannels* parent_ = nullptr;  // the collection clears it when it lets the channel go
    bool active_ = true;
};

}  // namespace kv
