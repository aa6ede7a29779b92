#pragma once
// Requests and byte helpers shared by the tests of the simulated positioner.

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "sim/SimulatedPositioner.h"

namespace kv::simtest {

using Bytes = std::vector<uint8_t>;

inline Bytes Pad(const std::string& text, size_t length) {
    Bytes b(text.begin(), text.end());
    b.resize(length, ' ');
    return b;
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// An IEEE 754 single, most significant byte first.
inline Bytes F32(float v) {
    const uint32_t u = std::bit_cast<uint32_t>(v);
    return {uint8_t(u >> 24), uint8_t(u >> 16), uint8_t(u >> 8), uint8_t(u)};
}

// A value record: the float and its status byte.
inline Bytes ValueStatus(float v, uint8_t status) {
    return Join({F32(v), {status}});
}

inline float FloatAt(const Bytes& b, size_t at = 0) {
    return std::bit_cast<float>(uint32_t(b.at(at)) << 24 | uint32_t(b.at(at + 1)) << 16 |
                                uint32_t(b.at(at + 2)) << 8 | uint32_t(b.at(at + 3)));
}

inline Bytes Err(uint8_t code) {
    return {0x80, code, 0x00};
}

inline Dpv1Response Read(SimulatedPositioner& d, uint8_t slot, uint8_t index,
                         uint8_t length = 240) {
    Dpv1Request r;
    r.slot = slot;
    r.index = index;
    r.length = length;
    return d.Handle(r);
}

inline Dpv1Response Write(SimulatedPositioner& d, uint8_t slot, uint8_t index, const Bytes& data) {
    Dpv1Request r;
    r.write = true;
    r.slot = slot;
    r.index = index;
    r.data = data;
    return d.Handle(r);
}

}  // namespace kv::simtest
