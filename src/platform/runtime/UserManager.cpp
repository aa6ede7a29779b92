#include "platform/runtime/UserManager.h"

#include <pugixml.hpp>

#include "value/Text.h"

namespace kv {

int32_t UserManager::LevelOfRole(const std::string& role) {
    static const struct {
        const char* role;
        int32_t level;
    } kRoles[] = {{"observer", 1},          {"operator", 2},      {"maintenance", 3},
                  {"planning engineer", 3}, {"administrator", 4}, {"oem service", 4}};
    // The roles are fixed ASCII names: folded without the locale, which the window's Qt sets from
    // the environment (a Turkish one would not fold "I" to "i").
    const std::string wanted = ToLowerAscii(role);
    for (const auto& r : kRoles) {
        if (wanted == r.role)
            return r.level;
    }
    return 0;
}

bool UserManager::Config(const std::string& userInfo, IDTMContext& /*context*/) {
    pugi::xml_document doc;
    if (!doc.load_string(userInfo.c_str()))
        return false;
    pugi::xml_node root = doc.document_element();
    if (std::string(root.name()) != "FDT")
        return false;
    pugi::xml_node info = root.child("UserInformation");
    pugi::xml_attribute role = info.attribute("role");
    if (!info || !role)
        return false;
    const int32_t level = LevelOfRole(role.value());
    if (level == 0)
        return false;
    level_ = level;
    role_ = role.value();
    userName_ = info.attribute("userName").value();
    return true;
}

}  // namespace kv
