#pragma once
// Procedures that fill the data set of one instance (element factory, model builder, slot and
// index rule, dictionary texts), that run after an element changed (block hooks, paired
// elements, access rules) and the value helpers of the data model.

#include <cstdint>
#include <string>
#include <vector>

#include "core/clsDataElement.h"
#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IParameters.h"
#include "value/Variant.h"

namespace kv {

class clsDataModel;
class IDeviceDefinition;

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
void AssignSlotAndIndex(clsDataElement& element);
void ApplyDictionaryTexts(IDTMContext& context);

// --- change hooks and access rules ---
// The forms with a device take the definition of the context's data model from their caller
// (nullptr: it has none); the others look it up.
void OnElementChanged(clsDataElement& element, IDTMContext& context, int32_t mode);
void OnElementChanged(clsDataElement& element, IDTMContext& context, int32_t mode,
                      const IDeviceDefinition* device);
void UpdateElementAccess(clsDataElement& element, IDTMContext& context, bool silent);
void UpdateElementAccess(clsDataElement& element, IDTMContext& context, bool silent,
                         const IDeviceDefinition* device);
// The element's values follow the unit element (the unit of their scale): the transient and the
// stored value are converted into its unit of that kind. A value read from the device keeps the
// unit the device sent it in; one read while that unit was not known yet (0) takes the unit the
// device holds, and so does a transient value taken with it. True when a unit changed.
bool ConvertValueUnits(clsDataModel& model, clsDataElement& element, clsDataElement& unitElement);
void DispatchParamLinkEvent(clsDataElement& element, IDTMContext& context);
void UpdateChannelProtection(IDTMContext& context);

}  // namespace kv
