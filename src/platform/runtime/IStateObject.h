#pragma once
// The DTM's per-instance holder object, kept by the context.

namespace kv {

class IDTMContext;

// Per-instance holder object that the DTM stores in the context.
class IStateObject {
  public:
    virtual ~IStateObject() = default;
    virtual void Init(IDTMContext& context) = 0;
    virtual void Terminate() = 0;
};

}  // namespace kv
