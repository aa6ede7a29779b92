#pragma once
// The machine's DTM settings that Windows keeps in the registry, read from a text file.
//
// Location: the file named by the environment variable KV6274PA_CONFIG; else
// $XDG_CONFIG_HOME/kv6274pa/registry.conf; else ~/.config/kv6274pa/registry.conf.
//
// The file holds the values of the DTM's settings key (kSettingsHive \ kSettingsKey), one
// "name = value" a line (UTF-8; blanks around names and values do not count):
//   # comment                          (also ; comment)
//   DPAddressEnable=1                  a text
//   DPAddressEnable="1"                a text: everything between the first and last quote
//   DPAddressEnable=dword:00000001     a REG_DWORD, one to eight hex digits
// Names may be written in quotes and are case-sensitive; values keep the order of the file.
// Lines without "=" (such as a "[key]" line of a registry export) and lines with an empty name
// or a broken DWORD are ignored.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv::os {

constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegDword = 4;

// The key whose values the file holds.
constexpr int32_t kSettingsHive = static_cast<int32_t>(0x80000002u);  // HKEY_LOCAL_MACHINE
constexpr const char* kSettingsKey = "Software\\KARVEL AG\\DAZ6274_IVU12";

struct ConfigValue {
    std::string name;
    uint32_t type = kRegSz;
    std::string data;  // the text, or the four bytes of a DWORD, little-endian
};

// Path of the configuration file as described above; empty when no folder can be determined.
std::string ConfigFilePath();

// The values of one key in the given file text: those of the file for the settings key (its
// path compared without regard to case or trailing backslashes), nullopt for any other key.
std::optional<std::vector<ConfigValue>> ParseConfigKey(const std::string& fileText, int32_t hive,
                                                       const std::string& keyPath);
// The values of one key in the configuration file; nullopt when the file or the key is missing.
std::optional<std::vector<ConfigValue>> ReadConfigKey(int32_t hive, const std::string& keyPath);

}  // namespace kv::os
