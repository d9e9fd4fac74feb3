// Case-insensitive comparison of 8-bit names (table, field and file names) with the
// Windows-1252 upper-case mapping, as the engine compares names. Inline: the script library and
// the structure reader use it too, and libparadox.so exports only the engine's face.
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

inline std::string ToUpper1252(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = UpperCase1252(c);
    return out;
}

inline bool EqualsIgnoreCase1252(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperCase1252(a[i]) != UpperCase1252(b[i])) return false;
    return true;
}

}  // namespace paradox
