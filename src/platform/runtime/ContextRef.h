#pragma once
// The instance context as an object keeps it that does not own it (a control, a parameter link,
// a recorder): the context must outlive the object, unless a shared pointer owns the context;
// then the object finds out that the context is gone and leaves it alone.

#include <memory>

#include "platform/runtime/IDTMContext.h"

namespace kv {

class ContextRef {
  public:
    void Set(IDTMContext& context) {
        context_ = &context;
        std::shared_ptr<IDTMContext> shared = context.SharedContext();
        shared_ = shared != nullptr;
        weak_ = shared;
    }
    void Reset() { *this = ContextRef(); }
    // The context while it exists; nullptr when none is set or a shared one is gone.
    IDTMContext* Get() const {
        if (shared_ && weak_.expired())
            return nullptr;
        return context_;
    }

  private:
    IDTMContext* context_ = nullptr;
    std::weak_ptr<IDTMContext> weak_;
    bool shared_ = false;
};

}  // namespace kv
