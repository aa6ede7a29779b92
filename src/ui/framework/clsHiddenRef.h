#pragma once
// A reference that does not keep its object alive and cannot dangle: Item gives the object while
// it exists and nullptr once it is gone. Used where a counted reference would make a cycle (the
// tree model refers to the context that owns it).

#include <memory>

namespace kv {

template <class T>
class clsHiddenRef {
  public:
    std::shared_ptr<T> Item() const { return ref_.lock(); }
    void SetItem(const std::shared_ptr<T>& object) { ref_ = object; }
    void Reset() { ref_.reset(); }

  private:
    std::weak_ptr<T> ref_;
};

}  // namespace kv
