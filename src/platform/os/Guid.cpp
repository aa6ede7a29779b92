#include "platform/os/Guid.h"

#include <random>

#include "value/Text.h"
#include "value/Variant.h"

namespace kv::os {

namespace {

constexpr char kProgIdPrefix[] = "KV6274PA.";

// Marks the bytes as an RFC 4122 GUID of the given version. The version nibble is the high nibble
// of Data3 (byte 7 in the little-endian structure), the variant bits the top of Data4[0].
void SetVersion(GuidBytes& g, uint8_t version) {
    g[7] = static_cast<uint8_t>((g[7] & 0x0F) | (version << 4));
    g[8] = static_cast<uint8_t>((g[8] & 0x3F) | 0x80);
}

// 64-bit FNV-1a, seeded so that two passes give independent halves.
uint64_t Fnv1a(const std::string& s, uint64_t seed) {
    uint64_t h = seed;
    for (unsigned char c : s) {
        h ^= c;
        h *= 0x100000001B3ull;
    }
    return h;
}

}  // namespace

std::optional<GuidBytes> NewRandomGuid() {
    GuidBytes guid{};
    try {
        std::random_device rd;
        std::mt19937_64 gen((static_cast<uint64_t>(rd()) << 32) ^ rd());
        for (size_t i = 0; i < guid.size(); i += 8) {
            uint64_t r = gen() ^ ((static_cast<uint64_t>(rd()) << 32) | rd());
            for (size_t k = 0; k < 8; ++k) {
                guid[i + k] = static_cast<uint8_t>(r >> (8 * k));
            }
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
    SetVersion(guid, 4);
    return guid;
}

std::optional<GuidBytes> ClassIdFromProgId(const std::string& progId) {
    const std::string key = ToUpperAscii(progId);
    const std::string prefix = kProgIdPrefix;
    if (key.size() <= prefix.size() || key.compare(0, prefix.size(), prefix) != 0) {
        return std::nullopt;
    }
    GuidBytes clsid{};
    const uint64_t lo = Fnv1a(key, 0xCBF29CE484222325ull);
    const uint64_t hi = Fnv1a(key, lo ^ 0x6A09E667F3BCC909ull);
    for (size_t k = 0; k < 8; ++k) {
        clsid[k] = static_cast<uint8_t>(lo >> (8 * k));
        clsid[8 + k] = static_cast<uint8_t>(hi >> (8 * k));
    }
    SetVersion(clsid, 5);
    return clsid;
}

std::string GuidText(const GuidBytes& guid) {
    // Data1, Data2 and Data3 are little-endian in the structure; Data4 is in order.
    static const int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text.push_back('-');
        const uint8_t b = guid[static_cast<size_t>(kOrder[i])];
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0x0F]);
    }
    return text;
}

}  // namespace kv::os
