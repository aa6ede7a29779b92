#include "core/APIHelpers.h"

#include "platform/os/Guid.h"
#include "value/Text.h"

namespace kv {

std::optional<GUID> ProgIdToClsid(const std::string& progId) {
    return os::ClassIdFromProgId(progId);
}

std::optional<GUID> CreateGuid() {
    return os::NewRandomGuid();
}

std::string GuidToString(const GUID& guid, const Variant& withBraces) {
    const std::string text = os::GuidText(guid);
    // Without braces only when withBraces reads as False; a value that is no truth value keeps
    // them.
    return withBraces.tryBool().value_or(true) ? "{" + text + "}" : text;
}

std::string NewGuidString(const Variant& withBraces) {
    const std::optional<GUID> guid = CreateGuid();
    return guid ? GuidToString(*guid, withBraces) : std::string();
}

bool IsSameText(const std::string& a, const std::string& b) {
    return !a.empty() && EqualsNoCase(a, b);
}

}  // namespace kv
