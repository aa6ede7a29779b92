#pragma once
// The archive object of an instance (recording and curves): created by the DTM's state holder
// and persisted with the instance. Property-bag key: "Archive.CheckCurveEnabled" (Boolean); a
// bag without it loads the default (False).

#include <string>

#include "platform/runtime/IPropertyBag.h"

namespace kv {

class IArchive {
  public:
    virtual ~IArchive() = default;
    virtual bool CheckCurveEnabled() const = 0;
    virtual void SetCheckCurveEnabled(bool enabled) = 0;
};

class Archive : public IArchive, public IPersistObject {
  public:
    // The name under which the object registers for persistence.
    static constexpr const char* kTypeName = "Archive";

    bool CheckCurveEnabled() const override { return checkCurveEnabled_; }
    void SetCheckCurveEnabled(bool enabled) override { checkCurveEnabled_ = enabled; }

    bool InitNew() override;
    // False, nothing changed, when the stored value is no Boolean.
    bool Load(const IPropertyBag& bag) override;
    bool Save(IPropertyBag& bag) override;

  private:
    bool checkCurveEnabled_ = false;
};

}  // namespace kv
