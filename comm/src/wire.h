// Big-endian fields and the 8-bit additive checksum of the wire format.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lx9comm {

inline void PutBE32(uint32_t v, uint8_t* out) {
    out[0] = static_cast<uint8_t>(v >> 24);
    out[1] = static_cast<uint8_t>(v >> 16);
    out[2] = static_cast<uint8_t>(v >> 8);
    out[3] = static_cast<uint8_t>(v);
}

inline uint32_t GetBE32(const uint8_t* in) {
    return static_cast<uint32_t>(in[0]) << 24 | static_cast<uint32_t>(in[1]) << 16 |
           static_cast<uint32_t>(in[2]) << 8 | in[3];
}

inline uint16_t GetBE16(const uint8_t* in) {
    return static_cast<uint16_t>(in[0] << 8 | in[1]);
}

inline uint8_t Sum8(const uint8_t* bytes, size_t n, uint8_t start = 0) {
    uint8_t sum = start;
    for (size_t i = 0; i < n; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
    return sum;
}

// The byte that makes a frame's bytes sum to 0 modulo 256.
inline uint8_t Checksum(const uint8_t* bytes, size_t n) {
    return static_cast<uint8_t>(0u - Sum8(bytes, n));
}

}  // namespace lx9comm
