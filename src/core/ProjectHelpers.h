#pragma once
// Helpers shared by the pages, the main window and the DTM object.

#include <vector>

#include "value/Variant.h"

namespace kv {

// A byte array with the source's bounds; each element converted to a byte.
Variant ToByteArray(const std::vector<Variant>& source, int32_t lbound = 0);
// Deep comparison of two values: arrays element by element, Null and Empty only with their own
// kind, invalid floats with each other, numbers (and numeric texts) by their text form.
bool VariantsEqual(const Variant& a, const Variant& b);

}  // namespace kv
