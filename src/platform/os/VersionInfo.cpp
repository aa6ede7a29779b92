#include "platform/os/VersionInfo.h"

#include <cstdlib>

#ifndef KV_VERSION_STRING
#define KV_VERSION_STRING "1.0.0"
#endif
#ifndef KV_BUILD_DATE
#define KV_BUILD_DATE "2026-12-08"
#endif

namespace kv::os {

namespace {

constexpr uint16_t kBuildNumber = 10;

VersionInfo MakeVersion() {
    VersionInfo v;
    v.title = "KV6274PA";
    v.companyName = "KARVEL AG";
    v.fileDescription = "DTM for the KV6274 PROFIBUS PA valve positioner";
    // "major.minor.revision" from the build; missing parts are 0.
    const std::string text = KV_VERSION_STRING;
    size_t pos = 0;
    for (size_t i = 0; i < 3 && pos <= text.size(); ++i) {
        const size_t dot = text.find('.', pos);
        const std::string part = text.substr(pos, dot == std::string::npos ? dot : dot - pos);
        v.fileVersion[i] = static_cast<uint16_t>(std::strtoul(part.c_str(), nullptr, 10));
        if (dot == std::string::npos) {
            break;
        }
        pos = dot + 1;
    }
    v.fileVersion[3] = kBuildNumber;
    v.comments = std::string("Build ") + KV_BUILD_DATE;
    return v;
}

}  // namespace

std::string VersionInfo::FileVersionText() const {
    return std::to_string(fileVersion[0]) + "." + std::to_string(fileVersion[1]) + "." +
           std::to_string(fileVersion[2]) + "." + std::to_string(fileVersion[3]);
}

const VersionInfo& ComponentVersion() {
    static const VersionInfo info = MakeVersion();
    return info;
}

}  // namespace kv::os
