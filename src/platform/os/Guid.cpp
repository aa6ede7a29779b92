#include "platform/os/Guid.h"

#include <random>

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

bool NewRandomGuid(GuidBytes& guid) {
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
        return false;
    }
    SetVersion(guid, 4);
    return true;
}

bool ClassIdFromProgId(const std::string& progId, GuidBytes& clsid) {
    const std::string key = ToUpperAscii(progId);
    const std::string prefix = kProgIdPrefix;
    if (key.size() <= prefix.size() || key.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    const uint64_t lo = Fnv1a(key, 0xCBF29CE484222325ull);
    const uint64_t hi = Fnv1a(key, lo ^ 0x6A09E667F3BCC909ull);
    for (size_t k = 0; k < 8; ++k) {
        clsid[k] = static_cast<uint8_t>(lo >> (8 * k));
        clsid[8 + k] = static_cast<uint8_t>(hi >> (8 * k));
    }
    SetVersion(clsid, 5);
    return true;
}

}  // namespace kv::os
