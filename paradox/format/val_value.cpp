// Record-encoding to native-form conversion for validity-check values.
#include "paradox/format/val_value.h"

#include <algorithm>
#include <cstring>

namespace paradox {
namespace {

// Sortable big-endian integer (sign bit flipped) to a signed value.
std::int64_t DecodeInt(const std::uint8_t* p, std::size_t n) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v = (v << 8) | p[i];
    v ^= std::uint64_t(1) << (8 * n - 1);
    // Sign-extend from n bytes.
    const std::uint64_t sign = std::uint64_t(1) << (8 * n - 1);
    return std::int64_t((v ^ sign) - sign);
}

// Sortable big-endian double: top bit set means non-negative, otherwise every byte complemented.
double DecodeDouble(const std::uint8_t* p) {
    std::uint8_t b[8];
    std::memcpy(b, p, 8);
    if (b[0] & 0x80) {
        b[0] &= 0x7F;
    } else {
        for (auto& x : b) x = std::uint8_t(~x);
    }
    std::uint64_t bits = 0;
    for (auto x : b) bits = (bits << 8) | x;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

template <typename T>
void Put(std::uint8_t* out, std::size_t outSize, T value) {
    if (outSize >= sizeof value) std::memcpy(out, &value, sizeof value);
}

}  // namespace

void DecodeCheckValue(std::uint8_t type, std::uint8_t sizeByte, const std::uint8_t* src, std::size_t width,
                      std::uint8_t* out, std::size_t outSize) {
    std::memset(out, 0, outSize);
    switch (type) {
    case 0x01: {  // Alpha: text up to its first NUL, always zero-terminated in out
        std::size_t n = 0;
        while (n < width && src[n] != 0) ++n;
        std::memcpy(out, src, std::min(n, outSize ? outSize - 1 : 0));
        return;
    }
    case 0x03:
        if (width >= 2) Put(out, outSize, std::int16_t(DecodeInt(src, 2)));
        return;
    case 0x02: case 0x04: case 0x14: case 0x16:
        if (width >= 4) Put(out, outSize, std::int32_t(DecodeInt(src, 4)));
        return;
    case 0x05: case 0x06: case 0x15:
        if (width >= 8) Put(out, outSize, DecodeDouble(src));
        return;
    case 0x09:
        if (width >= 1) Put(out, outSize, std::int16_t(src[0] == 0x81 ? 1 : 0));
        return;
    case 0x17: {  // BCD: byte 0 sign/marker/decimals, then 32 digit nibbles
        if (width < 17 || outSize < 18) return;
        const bool negative = (src[0] & 0x80) == 0;
        out[0] = 32;
        out[1] = std::uint8_t((negative ? 0x80 : 0) | (sizeByte & 0x3F));
        for (int i = 0; i < 16; ++i) out[2 + i] = negative ? std::uint8_t(~src[1 + i]) : src[1 + i];
        return;
    }
    default:
        std::memcpy(out, src, std::min(width, outSize));
        return;
    }
}

std::optional<std::string> NativeBcdText(const std::uint8_t* native) {
    const bool negative = (native[1] & 0x80) != 0;
    const int decimals = native[1] & 0x3F;
    if (decimals > 32) return std::nullopt;
    std::string digits;
    for (int i = 0; i < 16; ++i) {
        const std::uint8_t b = native[2 + i];
        if ((b >> 4) > 9 || (b & 15) > 9) return std::nullopt;
        digits += static_cast<char>('0' + (b >> 4));
        digits += static_cast<char>('0' + (b & 15));
    }
    std::string whole = digits.substr(0, static_cast<std::size_t>(32 - decimals));
    const std::size_t first = whole.find_first_not_of('0');
    whole = first == std::string::npos ? "0" : whole.substr(first);
    std::string text = (negative ? "-" : "") + whole;
    if (decimals > 0) text += "." + digits.substr(static_cast<std::size_t>(32 - decimals));
    return text;
}

}  // namespace paradox
