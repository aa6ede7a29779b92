#include "core/APIHelpers.h"

#include "platform/os/Guid.h"

namespace kv {

namespace {

void AppendHex(std::string& out, uint8_t b) {
    static const char kDigits[] = "0123456789ABCDEF";
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0x0F]);
}

// Without braces only when withBraces reads as False; a value that is no truth value keeps them.
bool WantsBraces(const Variant& withBraces) {
    try {
        return withBraces.toBool();
    } catch (const std::exception&) {
        return true;
    }
}

}  // namespace

bool ProgIdToClsid(const std::string& progId, GUID& clsid) {
    return os::ClassIdFromProgId(progId, clsid);
}

bool CreateGuid(GUID& guid) {
    return os::NewRandomGuid(guid);
}

std::string GuidToString(const GUID& guid, const Variant& withBraces) {
    // Data1, Data2 and Data3 are little-endian numbers; Data4 is written byte by byte.
    static const int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    std::string text = "{";
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text.push_back('-');
        }
        AppendHex(text, guid[kOrder[i]]);
    }
    text.push_back('}');
    if (!WantsBraces(withBraces) && text.size() >= 2 && text.front() == '{' && text.back() == '}') {
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

std::string NewGuidString(const Variant& withBraces) {
    GUID guid{};
    if (!CreateGuid(guid)) {
        return {};
    }
    return GuidToString(guid, withBraces);
}

bool IsSameText(const std::string& a, const std::string& b) {
    return !a.empty() && EqualsNoCase(a, b);
}

}  // namespace kv
