// Byte-order helpers. Header and control integers of Paradox files are little-endian; field
// values inside records are big-endian with the sign bit flipped so that bytes sort like values.
#pragma once
#include <cstdint>
#include <cstring>

namespace paradox {

inline uint16_t GetLE16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t GetLE32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int16_t GetLE16s(const uint8_t* p) { return static_cast<int16_t>(GetLE16(p)); }
inline void PutLE16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void PutLE32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

// Signed integers of 2 or 4 bytes: two's complement big-endian, top bit inverted.
inline int32_t GetSortableInt(const uint8_t* p, int width) {
    uint32_t u = 0;
    for (int i = 0; i < width; ++i) u = (u << 8) | p[i];
    u ^= 1u << (width * 8 - 1);
    if (width == 2) return static_cast<int16_t>(static_cast<uint16_t>(u));
    return static_cast<int32_t>(u);
}
inline void PutSortableInt(uint8_t* p, int32_t v, int width) {
    uint32_t u = static_cast<uint32_t>(v) ^ (1u << (width * 8 - 1));
    for (int i = width - 1; i >= 0; --i) {
        p[i] = uint8_t(u);
        u >>= 8;
    }
}

// IEEE double big-endian: positive values get the top bit set, negative ones are inverted.
inline double GetSortableDouble(const uint8_t* p) {
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u = (u << 8) | p[i];
    if (u & (uint64_t(1) << 63)) u &= ~(uint64_t(1) << 63);
    else u = ~u;
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}
inline void PutSortableDouble(uint8_t* p, double d) {
    uint64_t u;
    std::memcpy(&u, &d, 8);
    if (u & (uint64_t(1) << 63)) u = ~u;
    else u |= uint64_t(1) << 63;
    for (int i = 7; i >= 0; --i) {
        p[i] = uint8_t(u);
        u >>= 8;
    }
}

}  // namespace paradox
