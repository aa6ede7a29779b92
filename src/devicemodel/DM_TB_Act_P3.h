#pragma once
// The device's actuator Transducer Block after PROFIBUS PA Profile 3.0: its standard and
// manufacturer parameters as data elements, and the hooks of its dependency rules.

#include <cstdint>
#include <string>

#include "core/clsDataElement.h"
#include "platform/runtime/IDTMContext.h"

namespace kv::DM_TB_Act_P3 {

// "TRANS/" & blockNumber & "/Act/".
std::string GetBlockPrefix(int16_t blockNumber);
// Creates the standard parameters, then completes them with their defaults and creates the
// manufacturer parameters.
void CreateBlockModel(IDTMContext& context, int16_t blockNumber);
void SetStandardDefaults(int16_t blockNumber, IDTMContext& context);
void CreateMfrElements(int16_t blockNumber, IDTMContext& context);

// Hooks of the block's dependency rules (DM_TB_Act_P3_Rules.cpp).
void OnDataChanged(int16_t blockNumber, clsDataElement& element, IDTMContext& context);
void OnUpdateElement(clsDataElement& element, IDTMContext& context, bool silent);
void OnParameterChange(int16_t blockNumber, clsDataElement& element, IDTMContext& context);

}  // namespace kv::DM_TB_Act_P3
