#include "platform/controls/Archive.h"
#include "platform/runtime/IPropertyBag.h"

namespace kv {

namespace {
const char* const kCheckCurveEnabled = "Archive.CheckCurveEnabled";
}

bool Archive::InitNew() {
    checkCurveEnabled_ = false;
    return true;
}

bool Archive::Load(const IPropertyBag& bag) {
    std::optional<Variant> stored = bag.Read(kCheckCurveEnabled);
    if (!stored) {
        checkCurveEnabled_ = false;
        return true;
    }
    if (!stored->isBoolean())
        return false;
    checkCurveEnabled_ = stored->toBool();
    return true;
}

bool Archive::Save(IPropertyBag& bag) {
    bag.Write(kCheckCurveEnabled, Variant(checkCurveEnabled_));
    return true;
}

}  // namespace kv
