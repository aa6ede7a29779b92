#include "ui/parameterpages/PageDesign.h"

#include "platform/runtime/PropertyBag.h"

namespace kv {

PropertyBag DesignBag(const ChildDesign& child) {
    PropertyBag bag;
    for (const DesignProperty& p : child.props)
        bag.Write(p.key, p.value);
    return bag;
}

}  // namespace kv
