// The Analog Output block's dependency rules, reached through its three hooks.

#include "devicemodel/DM_FB_AO_P3.h"

namespace kv::DM_FB_AO_P3 {

void OnDataChanged(int16_t, clsDataElement&, IDTMContext&) {}

void OnUpdateElement(clsDataElement&, IDTMContext&, bool) {}

void OnParameterChange(int16_t, clsDataElement&, IDTMContext&) {}

}  // namespace kv::DM_FB_AO_P3
