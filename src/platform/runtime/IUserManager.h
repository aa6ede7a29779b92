#pragma once
// The user level of an instance.

#include <cstdint>
#include <string>

namespace kv {

class IDTMContext;

// The frame's user information turned into a user level.
class IUserManager {
  public:
    virtual ~IUserManager() = default;
    virtual int32_t UserLevel() const = 0;
    virtual bool Config(const std::string& userInfo, IDTMContext& context) = 0;
};

}  // namespace kv
