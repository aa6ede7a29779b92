#pragma once
// Version information of the component, set when it is built.

#include <array>
#include <cstdint>
#include <string>

namespace kv::os {

struct VersionInfo {
    std::string title;                      // "KV6274PA"
    std::string companyName;                // "KARVEL AG"
    std::string fileDescription;            // what the component is
    std::array<uint16_t, 4> fileVersion{};  // major, minor, revision, build
    std::string comments;                   // carries the build date: "Build YYYY-MM-DD"

    // "major.minor.revision.build"
    std::string FileVersionText() const;
};

const VersionInfo& ComponentVersion();

}  // namespace kv::os
