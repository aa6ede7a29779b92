#pragma once
// The user manager of an instance: the frame's user information turned into a user level.
//
// User information document:
//   <FDT><UserInformation userName="J. Smith" role="Maintenance"/></FDT>
// role (required; compared without regard to case) gives the level:
//   "Observer" 1, "Operator" 2, "Maintenance" 3, "Planning Engineer" 3, "Administrator" 4,
//   "OEM Service" 4.
// Until the frame sends user information the level is 3 (a maintenance user).

#include <cstdint>
#include <string>

#include "platform/runtime/IDTMContext.h"
#include "platform/runtime/IUserManager.h"

namespace kv {

class UserManager : public IUserManager {
  public:
    int32_t UserLevel() const override { return level_; }
    const std::string& UserName() const { return userName_; }
    const std::string& Role() const { return role_; }
    // False, the user unchanged, for a text that is no user information document or names no
    // known role.
    bool Config(const std::string& userInfo, IDTMContext& context) override;

    // The level of a role; 0 for an unknown one.
    static int32_t LevelOfRole(const std::string& role);

  private:
    int32_t level_ = 3;
    std::string userName_;
    std::string role_;
};

}  // namespace kv
