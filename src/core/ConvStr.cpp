#include "core/ConvStr.h"

namespace kv {

namespace {

// The value of a hex digit; -1 for any other character.
int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace

std::optional<Variant> TryHexStringToBytes(const std::string& text) {
    if (text.empty()) {
        return Variant();
    }
    ByteArray result;
    result.bytes.reserve((text.size() + 1) / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = i + 1 < text.size() ? HexDigit(text[i + 1]) : 0;
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        result.bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return Variant(std::move(result));
}

Variant HexStringToBytes(const std::string& text) {
    if (std::optional<Variant> bytes = TryHexStringToBytes(text)) {
        return std::move(*bytes);
    }
    const char c = text[text.find_first_not_of("0123456789ABCDEFabcdef")];
    throw VbError(VbErr::TypeMismatch,
                  "Type mismatch: '" + std::string(1, c) + "' is no hex digit");
}

std::string BytesToHexString(const Variant& value) {
    if (!value.isByteArray()) {
        return {};
    }
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : value.bytes().bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0x0F]);
    }
    return text;
}

}  // namespace kv
