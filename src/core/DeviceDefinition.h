#pragma once
// What the core needs of the device model, declared here and defined by the device model: the
// device's blocks with the hooks of their rules, its process channels and the rules of its
// cyclic configuration. The DTM object hands the device model's definition to the data model;
// the core reaches the device model through nothing else.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/IParameters.h"

namespace kv {

class clsDataElement;
class IDTMContext;
class IParameters;

// One block of the device.
struct BlockDefinition {
    int32_t blockType;    // ProfibusBlockFlags
    int16_t blockNumber;  // number given to CreateBlockModel
    void (*CreateBlockModel)(IDTMContext& context, int16_t blockNumber);
    // Rules after a change of one of the block's elements; blockNumber is the element's own.
    void (*OnDataChanged)(int16_t blockNumber, clsDataElement& element, IDTMContext& context);
    // Editability rules of the block's elements.
    void (*OnUpdateElement)(clsDataElement& element, IDTMContext& context, bool silent);
    // Rules after a user's edit in a parameter row; nullptr when the block has none.
    void (*OnParameterChange)(int16_t blockNumber, clsDataElement& element, IDTMContext& context);
};

class IDeviceDefinition {
  public:
    virtual ~IDeviceDefinition() = default;
    // The blocks in building order.
    virtual const std::vector<BlockDefinition>& Blocks() const = 0;
    // Creates the process channels once every element exists.
    virtual void CreateChannels(IDTMContext& context) const = 0;
    // The cyclic configuration: "~/BusMasterConfigurationPart" changed (the frame's bus master
    // configuration switches the channels). Why the set was refused, with nothing changed;
    // nullopt when it was taken. Never throws.
    virtual std::optional<std::string> ApplyBusMasterConfiguration(IDTMContext& context) const = 0;
    // Why bytes are no slave parameter set of the device, which ApplyBusMasterConfiguration would
    // refuse; nullopt when they are one.
    virtual std::optional<std::string> CheckSlaveBusParamSet(
        const std::vector<uint8_t>& bytes) const = 0;
    // The cyclic configuration: "SlaveBusParamSet_CfgData" changed (the slave parameter set is
    // rebuilt from the chosen configuration).
    virtual void BuildSlaveBusParamSet(IParameters& parameters) const = 0;
    // The element whose value is the unit code of the element's values (the unit of its
    // scale); nullptr when the element's unit is its own.
    virtual clsDataElement* UnitElementOf(IParameters& /*parameters*/,
                                          const clsDataElement& /*element*/) const {
        return nullptr;
    }

    // The definition of the block with this block type; nullptr for the DTM-level elements and
    // for block types the device does not have.
    const BlockDefinition* FindBlock(int32_t blockType) const;
};

}  // namespace kv
