#pragma once
// A read-only text that many owners can hold without copying it. Dictionary texts (labels, help,
// value lists) are loaded once per process and shared by every DTM instance; assigning a new
// text allocates it once. A holder takes the size of one pointer. The count of its holders and
// the std::string share one allocation, which holds a short text too (one that fits the string's
// own buffer, 15 bytes with GCC's library); a longer text takes a second allocation of its own.

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace kv {

class SharedText {
  public:
    SharedText() noexcept = default;
    SharedText(std::string s) : p_(s.empty() ? nullptr : new Block{{1}, std::move(s)}) {}
    SharedText(const char* s) : SharedText(std::string(s)) {}
    SharedText(const SharedText& o) noexcept : p_(o.p_) {
        if (p_)
            p_->holders.fetch_add(1, std::memory_order_relaxed);
    }
    SharedText(SharedText&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    SharedText& operator=(SharedText o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~SharedText() {
        if (p_ && p_->holders.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete p_;
    }

    const std::string& str() const { return p_ ? p_->text : EmptyString(); }
    operator const std::string&() const { return str(); }
    bool empty() const { return !p_; }
    size_t size() const { return p_ ? p_->text.size() : 0; }
    const char* c_str() const { return str().c_str(); }

    bool operator==(const SharedText& o) const { return p_ == o.p_ || str() == o.str(); }
    bool operator==(std::string_view o) const { return str() == o; }
    bool operator==(const char* o) const { return str() == o; }

  private:
    struct Block {
        std::atomic<size_t> holders;
        const std::string text;
    };
    static const std::string& EmptyString() {
        static const std::string empty;
        return empty;
    }
    Block* p_ = nullptr;
};

}  // namespace kv
