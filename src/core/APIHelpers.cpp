#include "core/APIHelpers.h"

#include "platform/os/Guid.h"
#include "value/Text.h"

namespace kv {

namespace {

// Without braces only when withBraces reads as False; a value that is no truth value keeps them.
bool WantsBraces(const Variant& withBraces) {
    try {
        return withBraces.toBool();
    } catch (const std::exception&) {
        return true;
    }
}

}  // namespace

std::optional<GUID> ProgIdToClsid(const std::string& progId) {
    return os::ClassIdFromProgId(progId);
}

std::optional<GUID> CreateGuid() {
    return os::NewRandomGuid();
}

std::string GuidToString(const GUID& guid, const Variant& withBraces) {
    const std::string text = os::GuidText(guid);
    return WantsBraces(withBraces) ? "{" + text + "}" : text;
}

std::string NewGuidString(const Variant& withBraces) {
    const std::optional<GUID> guid = CreateGuid();
    return guid ? GuidToString(*guid, withBraces) : std::string();
}

bool IsSameText(const std::string& a, const std::string& b) {
    return !a.empty() && EqualsNoCase(a, b);
}

}  // namespace kv
