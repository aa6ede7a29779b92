#include "platform/os/ConfigFile.h"

#include <algorithm>
#include <cstdlib>

#include "platform/os/RegularFile.h"
#include "value/Text.h"
#include "value/Variant.h"

namespace kv::os {

namespace {

// Blanks around names and values do not count.
std::string TrimWhite(const std::string& s) {
    return std::string(kv::Trim(s, " \t\r\n"));
}

// Upper-cased key path without trailing backslashes: the form sections are compared in.
std::string NormalizeKey(std::string key) {
    key = ToUpperAscii(TrimWhite(key));
    while (!key.empty() && key.back() == '\\') {
        key.pop_back();
    }
    return key;
}

std::optional<uint32_t> ParseDword(const std::string& hex) {
    if (hex.empty() || hex.size() > 8) {
        return std::nullopt;
    }
    uint32_t v = 0;
    for (char c : hex) {
        int d;
        if (c >= '0' && c <= '9') {
            d = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            d = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            d = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        v = (v << 4) | static_cast<uint32_t>(d);
    }
    return v;
}

std::optional<ConfigValue> ParseValueLine(const std::string& line) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) {
        return std::nullopt;
    }
    ConfigValue value;
    value.name = TrimWhite(line.substr(0, eq));
    if (value.name.size() >= 2 && value.name.front() == '"' && value.name.back() == '"') {
        value.name = value.name.substr(1, value.name.size() - 2);
    }
    if (value.name.empty()) {
        return std::nullopt;
    }
    const std::string data = TrimWhite(line.substr(eq + 1));
    static const std::string kDword = "dword:";
    if (data.size() > kDword.size() && ToLowerAscii(data.substr(0, kDword.size())) == kDword) {
        const std::optional<uint32_t> v = ParseDword(TrimWhite(data.substr(kDword.size())));
        if (!v) {
            return std::nullopt;
        }
        value.type = kRegDword;
        for (int k = 0; k < 4; ++k) {
            value.data.push_back(static_cast<char>((*v >> (8 * k)) & 0xFF));
        }
        return value;
    }
    value.type = kRegSz;
    if (data.size() >= 2 && data.front() == '"' && data.back() == '"') {
        value.data = data.substr(1, data.size() - 2);
    } else {
        value.data = data;
    }
    return value;
}

}  // namespace

std::string ConfigFilePath() {
    const char* file = std::getenv("KV6274PA_CONFIG");
    if (file != nullptr && *file != '\0') {
        return file;
    }
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg != '\0') {
        return std::string(xdg) + "/kv6274pa/registry.conf";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return std::string(home) + "/.config/kv6274pa/registry.conf";
    }
    return {};
}

std::optional<std::vector<ConfigValue>> ParseConfigKey(const std::string& fileText, int32_t hive,
                                                       const std::string& keyPath) {
    if (hive != kSettingsHive || NormalizeKey(keyPath) != NormalizeKey(kSettingsKey)) {
        return std::nullopt;
    }
    std::vector<ConfigValue> values;
    for (size_t at = 0; at < fileText.size();) {
        const size_t end = std::min(fileText.find('\n', at), fileText.size());
        const std::string line = TrimWhite(fileText.substr(at, end - at));
        at = end + 1;
        if (line.empty() || line.front() == '#' || line.front() == ';') {
            continue;
        }
        if (std::optional<ConfigValue> value = ParseValueLine(line)) {
            values.push_back(std::move(*value));
        }
    }
    return values;
}

std::optional<std::vector<ConfigValue>> ReadConfigKey(int32_t hive, const std::string& keyPath) {
    const std::string path = ConfigFilePath();
    if (path.empty()) {
        return std::nullopt;
    }
    // Read again at every question, so that the settings follow the file; a missing file, or
    // one that is no regular file, holds no settings.
    RegularFile file;
    FileFault fault;
    std::string text;
    if (!file.Open(path, fault) || !file.ReadAll(text, fault)) {
        return std::nullopt;
    }
    return ParseConfigKey(text, hive, keyPath);
}

}  // namespace kv::os
