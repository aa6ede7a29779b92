#pragma once
// Reading one configuration value (the machine's DTM settings).

#include <cstdint>
#include <string>

#include "value/Variant.h"

namespace kv {

class DiagnosticLog;

constexpr int32_t HKEY_LOCAL_MACHINE_ID = static_cast<int32_t>(0x80000002u);

// The value, or def when the key or the value is missing or cannot be read; why it could not be
// read goes to the log.
std::string GetRegValue(const std::string& keyPath, const std::string& subKey,
                        const std::string& valueName, const std::string& def, int32_t hive,
                        DiagnosticLog& log);
Variant QueryRegValue(int32_t hive, const std::string& keyPath, const std::string& subKey,
                      const std::string& valueName, const std::string& def, DiagnosticLog& log);
std::string TrimAtNul(const std::string& text);
// Four ANSI characters read as a 32-bit little-endian integer; throws error 1000 otherwise.
int32_t CVL(const std::string& text);

}  // namespace kv
