// Case-insensitive comparison of 8-bit names (table, field and file names) with the
// Windows-1252 upper-case mapping, as the engine compares names.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace paradox {

namespace detail {
constexpr std::uint8_t UpperByte1252(std::uint8_t c) {
    if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<std::uint8_t>(c - 32);
    if (c == 0x9A) return 0x8A;
    if (c == 0x9C) return 0x8C;
    if (c == 0xFF) return 0x9F;
    return c;
}
// The mapping of every byte, looked up rather than computed: index keys fold case byte by byte.
inline constexpr std::array<std::uint8_t, 256> kUpper1252 = [] {
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) t[static_cast<std::size_t>(c)] = UpperByte1252(static_cast<std::uint8_t>(c));
    return t;
}();
}  // namespace detail

inline char UpperCase1252(char c) { return static_cast<char>(detail::kUpper1252[static_cast<unsigned char>(c)]); }
std::string ToUpper1252(std::string_view s);
bool EqualsIgnoreCase1252(std::string_view a, std::string_view b);

}  // namespace paradox
