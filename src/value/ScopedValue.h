#pragma once
// The one scoped-value guard: a variable holds a value for the life of the guard and gets its
// earlier value back on every way out of the scope, an exception included. Nesting guards of
// one variable unwinds them in order, so a depth counter or a "running" flag stays right.
//
//     const ScopedValue depth(m_NestDepth, m_NestDepth + 1);
//     const ScopedValue busy(m_Busy, true);

#include <utility>

namespace kv {

template <class T>
class [[nodiscard]] ScopedValue {
  public:
    ScopedValue(T& target, T value)
        : target_(target), old_(std::exchange(target, std::move(value))) {}
    ~ScopedValue() { target_ = std::move(old_); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

    // The value the variable had before the guard.
    const T& Previous() const { return old_; }

  private:
    T& target_;
    T old_;
};

}  // namespace kv
