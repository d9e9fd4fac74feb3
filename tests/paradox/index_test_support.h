// Helpers for the index tests: the records of an unencrypted data or index file in chain order,
// read straight from its bytes, so that rebuilt files can be compared with Paradox's own.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"

namespace paradox_test {

inline uint16_t Le16(const std::vector<unsigned char>& b, std::size_t o) { return uint16_t(b[o] | (b[o + 1] << 8)); }
inline uint32_t Le32(const std::vector<unsigned char>& b, std::size_t o) { return uint32_t(Le16(b, o)) | uint32_t(Le16(b, o + 2)) << 16; }

// Record bytes of every block along the chain, each record as a hex string.
inline std::vector<std::string> ChainRecords(const std::vector<unsigned char>& b) {
    std::vector<std::string> out;
    const uint16_t rs = Le16(b, 0), hs = Le16(b, 2);
    const uint32_t bs = uint32_t(b[5]) * 1024;
    uint16_t next = Le16(b, 0x0E);
    if (b.size() < hs || Le16(b, 0x0C) == 0) return out;
    for (int guard = 0; next != 0 && guard < 70000; ++guard) {
        const std::size_t off = hs + std::size_t(next - 1) * bs;
        if (off + bs > b.size()) break;
        const int16_t add = int16_t(Le16(b, off + 4));
        const int n = add < 0 ? 0 : add / rs + 1;
        for (int r = 0; r < n; ++r) {
            static const char* hex = "0123456789abcdef";
            std::string s;
            for (int i = 0; i < rs; ++i) {
                const unsigned char c = b[off + 6 + std::size_t(r) * rs + i];
                s += hex[c >> 4];
                s += hex[c & 15];
            }
            out.push_back(s);
        }
        next = Le16(b, off);
    }
    return out;
}

}  // namespace paradox_test
