#pragma once
// The device's Physical Block after PROFIBUS PA Profile 3.0: its standard and manufacturer
// parameters as data elements, with the bit elements of DIAGNOSIS and DIAGNOSIS_EXTENSION.

#include <cstdint>
#include <string>

#include "core/clsDataElement.h"
#include "platform/runtime/IDTMContext.h"

namespace kv::DM_PB_P3 {

// "PHYS/" for every block number: the device has one Physical Block.
std::string GetBlockPrefix(int16_t blockNumber);
// Creates the standard parameters, then sets the offline defaults and creates the manufacturer
// parameters and the diagnosis bit elements.
void CreateBlockModel(IDTMContext& context, int16_t blockNumber);
void SetOfflineDefaults(int16_t blockNumber, IDTMContext& context);
void CreateManufacturerParameters(int16_t blockNumber, IDTMContext& context);

// The block has no dependency rules: both hooks do nothing.
void OnDataChanged(int16_t blockNumber, clsDataElement& element, IDTMContext& context);
void OnUpdateElement(clsDataElement& element, IDTMContext& context, bool silent);

}  // namespace kv::DM_PB_P3
