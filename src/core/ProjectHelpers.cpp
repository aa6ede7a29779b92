#include "core/ProjectHelpers.h"

#include <cmath>

#include "core/DataModelHelpers.h"

namespace kv {

Variant ToByteArray(const std::vector<Variant>& source, int32_t lbound) {
    ByteArray result;
    result.lbound = lbound;
    result.bytes.reserve(source.size());
    for (const Variant& v : source) {
        result.bytes.push_back(v.toByte());
    }
    return Variant(std::move(result));
}

namespace {

// Two invalid floats are the same value when both are not a number or both are the same infinity.
bool SameInvalidFloat(const Variant& a, const Variant& b) {
    const double x = a.number();
    const double y = b.number();
    if (std::isnan(x) || std::isnan(y)) {
        return std::isnan(x) && std::isnan(y);
    }
    return x == y;
}

}  // namespace

bool VariantsEqual(const Variant& a, const Variant& b) {
    try {
        if (a.isByteArray() || b.isByteArray()) {
            return a.isByteArray() && b.isByteArray() && a.bytes().lbound == b.bytes().lbound &&
                   a.bytes().bytes == b.bytes().bytes;
        }
        if (a.isNull() || b.isNull()) {
            return a.isNull() && b.isNull();
        }
        if (a.isEmpty() || b.isEmpty()) {
            return a.isEmpty() && b.isEmpty();
        }
        const bool invalidA = IsInvalidFloat(a);
        const bool invalidB = IsInvalidFloat(b);
        if (invalidA || invalidB) {
            return invalidA && invalidB && SameInvalidFloat(a, b);
        }
        if (IsNumeric(a) && IsNumeric(b)) {
            return a.toString() == b.toString();
        }
        return a.looseEquals(b);
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace kv
