#include "platform/os/ComponentFolder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifndef KV_SOURCE_XMLDATA_DIR
#define KV_SOURCE_XMLDATA_DIR "XMLData"
#endif

namespace kv::os {

std::string XmlDataFolder() {
    const char* env = std::getenv("KV6274PA_XMLDATA");
    if (env != nullptr && *env != '\0') {
        return env;
    }
    // The program's folder is looked at once: every instance asks for the folder.
    static const std::string installed = [] {
        std::error_code ec;
        const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (!ec) {
            const std::filesystem::path beside = exe.parent_path() / "XMLData";
            if (std::filesystem::is_directory(beside, ec)) {
                return beside.string();
            }
        }
        return std::string(KV_SOURCE_XMLDATA_DIR);
    }();
    return installed;
}

}  // namespace kv::os
