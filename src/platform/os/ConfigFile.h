#pragma once
// The machine's DTM settings that Windows keeps in the registry, read from a text file.
//
// Location: the file named by the environment variable KV6274PA_CONFIG; else
// $XDG_CONFIG_HOME/kv6274pa/registry.conf; else ~/.config/kv6274pa/registry.conf.
//
// Format (UTF-8, one entry a line, blanks around names and values ignored):
//   # comment              ; comment
//   [HKEY_LOCAL_MACHINE\Software\KARVEL AG\DAZ6274_IVU12]
//   DPAddressEnable=dword:00000001     a REG_DWORD, one to eight hex digits
//   DPAddressEnable="1"                a text (REG_SZ): everything between the first and last quote
// A section header is the hive's name and the key path; like registry keys it is compared without
// regard to case, and trailing backslashes do not count. Value names may be written in quotes and
// are case-sensitive. Values keep the order of the file; sections naming the same key are joined.
// Lines that do not fit this form (and values before the first section) are ignored.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv::os {

constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegDword = 4;

struct ConfigValue {
    std::string name;
    uint32_t type = kRegSz;
    std::string data;  // the text, or the four bytes of a DWORD, little-endian
};

// The registry name of a predefined key ("HKEY_LOCAL_MACHINE"); empty for an unknown handle.
std::string HiveName(int32_t hive);

// Path of the configuration file as described above; empty when no folder can be determined.
std::string ConfigFilePath();

// The values of one key in the given file text; nullopt when the key is not there.
std::optional<std::vector<ConfigValue>> ParseConfigKey(const std::string& fileText, int32_t hive,
                                                       const std::string& keyPath);
// The values of one key in the configuration file; nullopt when the file or the key is missing.
std::optional<std::vector<ConfigValue>> ReadConfigKey(int32_t hive, const std::string& keyPath);

}  // namespace kv::os
