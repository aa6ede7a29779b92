#pragma once
// The device's Analog Output function block after PROFIBUS PA Profile 3.0: its standard
// parameters, MFR/CHECK_BACK_OPT and the CHECK_BACK bit elements as data elements, and the hooks
// of its dependency rules.

#include <cstdint>
#include <string>

#include "core/clsDataElement.h"
#include "platform/runtime/IDTMContext.h"

namespace kv::DM_FB_AO_P3 {

// "FUNC/" & blockNumber & "/AO/".
std::string GetBlockPrefix(int16_t blockNumber);
// Creates the standard parameters, then sets their defaults and creates MFR/CHECK_BACK_OPT and
// the CHECK_BACK bit elements.
void CreateBlockModel(IDTMContext& context, int16_t blockNumber);
void SetStandardDefaults(int16_t blockNumber, IDTMContext& context);
void CreateCheckBackElements(int16_t blockNumber, IDTMContext& context);

// Hooks of the block's dependency rules (DM_FB_AO_P3_Rules.cpp).
void OnDataChanged(int16_t blockNumber, clsDataElement& element, IDTMContext& context);
void OnUpdateElement(clsDataElement& element, IDTMContext& context, bool silent);
void OnParameterChange(int16_t blockNumber, clsDataElement& element, IDTMContext& context);
// The element whose value is the unit code of the element's values (the unit of its scale);
// nullptr when the element does not follow one.
clsDataElement* UnitElementOf(IParameters& parameters, const clsDataElement& element);

}  // namespace kv::DM_FB_AO_P3
