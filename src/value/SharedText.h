#pragma once
// A read-only text that many owners can hold without copying it. Dictionary texts (labels, help,
// value lists) are loaded once per process and shared by every DTM instance; assigning a new
// text allocates it once.

#include <memory>
#include <string>
#include <string_view>

namespace kv {

class SharedText {
  public:
    SharedText() = default;
    SharedText(std::string s)
        : p_(s.empty() ? nullptr : std::make_shared<const std::string>(std::move(s))) {}
    SharedText(const char* s) : SharedText(std::string(s)) {}
    explicit SharedText(std::shared_ptr<const std::string> p) : p_(std::move(p)) {
        if (p_ && p_->empty())
            p_.reset();
    }

    const std::string& str() const { return p_ ? *p_ : EmptyString(); }
    operator const std::string&() const { return str(); }
    bool empty() const { return !p_; }
    size_t size() const { return p_ ? p_->size() : 0; }
    const char* c_str() const { return str().c_str(); }

    bool operator==(const SharedText& o) const { return str() == o.str(); }
    bool operator==(std::string_view o) const { return str() == o; }
    bool operator==(const char* o) const { return str() == o; }

  private:
    static const std::string& EmptyString() {
        static const std::string empty;
        return empty;
    }
    std::shared_ptr<const std::string> p_;
};

}  // namespace kv
