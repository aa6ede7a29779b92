#include <cmath>

#include "core/DataModelHelpers.h"

namespace kv {

Variant GetElementDeviceValue(const clsDataElement& element) {
    return element.DeviceValue();
}

bool IsInvalidFloat(const Variant& value) {
    return value.isFloat() && !std::isfinite(value.number());
}

}  // namespace kv
