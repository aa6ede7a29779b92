#include "core/Registry.h"

#include "platform/os/ConfigFile.h"
#include "value/DiagnosticLog.h"
#include "value/Text.h"

namespace kv {

namespace {

// Size of the name and data buffers the values are enumerated with, the terminating NUL included.
constexpr size_t kBufferSize = 255;

// Length in bytes of a text in the ANSI code page.
size_t AnsiLength(const std::string& utf8) {
    return Utf8ToCp1252(utf8).size();
}

// True when the value does not fit the enumeration buffers.
bool ExceedsBuffers(const os::ConfigValue& value) {
    if (AnsiLength(value.name) + 1 > kBufferSize) {
        return true;
    }
    const size_t dataSize =
        value.type == os::kRegDword ? value.data.size() : AnsiLength(value.data) + 1;
    return dataSize > kBufferSize;
}

}  // namespace

std::string GetRegValue(const std::string& keyPath, const std::string& subKey,
                        const std::string& valueName, const std::string& def, int32_t hive,
                        DiagnosticLog& log) {
    return QueryRegValue(hive, keyPath, subKey, valueName, def, log).tryString().value_or(def);
}

Variant QueryRegValue(int32_t hive, const std::string& keyPath, const std::string& subKey,
                      const std::string& valueName, const std::string& def, DiagnosticLog& log) {
    Variant result(def);
    try {
        const auto values = os::ReadConfigKey(hive, keyPath + "\\" + subKey);
        if (!values) {
            return result;
        }
        // Enumerated in order; a value too large for the buffers ends the enumeration, as does the
        // end of the list. The name must match exactly.
        for (const os::ConfigValue& value : *values) {
            if (ExceedsBuffers(value)) {
                break;
            }
            if (value.name == valueName) {
                if (value.type == os::kRegDword) {
                    result = Variant(CVL(value.data.substr(0, 4)));
                } else {
                    result = Variant(TrimAtNul(value.data));
                }
                break;
            }
        }
    } catch (const std::exception& e) {
        log.Record("QueryRegValue", e.what());
        return Variant(def);
    }
    return result;
}

std::string TrimAtNul(const std::string& text) {
    const size_t nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

int32_t CVL(const std::string& text) {
    if (text.size() != 4) {
        throw VbError(static_cast<VbErr>(1000), "CVL: Invalid string argument");
    }
    uint32_t v = 0;
    for (int k = 3; k >= 0; --k) {
        v = (v << 8) | static_cast<uint8_t>(text[static_cast<size_t>(k)]);
    }
    return static_cast<int32_t>(v);
}

}  // namespace kv
