#pragma once
// The DTM object as its user interfaces reach it: they are given the DTM (IDtm) by the frame or
// by the window that hosts them, and take the instance's context from it (GetDtmContext).

#include <memory>

#include "platform/fdt/FdtDtmInterfaces.h"

namespace kv {

class IDTMContext;

class IDtmContextHolder {
  public:
    virtual ~IDtmContextHolder() = default;
    // The instance's context; nullptr once it is gone.
    virtual std::shared_ptr<IDTMContext> DTMContext() const = 0;
};

// The context of the DTM object; nullptr without a DTM or for one that offers no context.
inline std::shared_ptr<IDTMContext> GetDtmContext(const IDtm* dtm) {
    const auto* holder = dynamic_cast<const IDtmContextHolder*>(dtm);
    return holder ? holder->DTMContext() : nullptr;
}

}  // namespace kv
