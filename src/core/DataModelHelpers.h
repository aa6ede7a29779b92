#pragma once
// Procedures that fill the data set of one instance (element factory, model builder, slot and
// index rule, dictionary texts), that run after an element changed (block hooks, paired
// elements, access rules) and the value helpers of the data model.

#include <cstdint>
#include <string>
#include <vector>

#include "core/clsDataElement.h"
#include "platform/runtime/IDTMContext.h"
#include "value/Variant.h"

namespace kv {

class clsDataModel;

// --- value helpers ---
Variant GetElementDeviceValue(const clsDataElement& element);
// True for a Single or Double that is not a finite number; never throws.
bool IsInvalidFloat(const Variant& value);

// --- model construction ---
// ValueTypeLength that a value type gets when no length is given.
int32_t DefaultValueTypeLength(int32_t valueType);
clsDataElement& AddDataElement(IParameters& model, const std::string& path, const Variant& initial,
                               int32_t valueType, int32_t length, const std::string& before = {},
                               const std::string& after = {});
void BuildDataModel(IDTMContext& context);
// Creates one process channel with its parameter object filled (identity from the data model
// when the data set has one, number = channels so far + 1, unassigned) and adds it to the data
// set's channel collection.
void AddChannel(IDTMContext& context, const std::string& id, bool active, int32_t channelFlag,
                int16_t channelOption, int16_t slot, int16_t index, int16_t bitPosition,
                int16_t bitLength, int32_t floatValue);
void AssignSlotAndIndex(clsDataElement& element);
void ApplyDictionaryTexts(IDTMContext& context);

// --- change hooks and access rules ---
void OnElementChanged(clsDataElement& element, IDTMContext& context, int32_t mode);
void UpdateElementAccess(clsDataElement& element, IDTMContext& context, bool silent);
bool ConvertValueUnits(clsDataModel& model, clsDataElement& element, clsDataElement& unitElement);
void DispatchParamLinkEvent(clsDataElement& element, IDTMContext& context);
void UpdateChannelProtection(IDTMContext& context);

// --- the device's blocks, defined by the device model ---
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
// The blocks in building order (Physical Block, Transducer Block, Analog Output block).
const std::vector<BlockDefinition>& DeviceBlocks();
// Creates the process channels once every element exists.
void CreateChannels(IDTMContext& context);

}  // namespace kv
