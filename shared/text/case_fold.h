// The one case fold of names: table, field, index, alias, file and script names are
// Windows-1252 text, and every part of the system (engine, language, tools) compares them by
// this upper-casing, the one Windows applies to code page 1252 (doc/text.md).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vortab {

// The upper-case byte of every Windows-1252 byte: a-z, the Latin-1 letters 0xE0..0xFE except
// 0xF7 (division sign), and the four small letters whose capitals sit in 0x80..0x9F: š œ ž ÿ.
// ß and µ have no capital in the page and stay.
inline constexpr std::array<std::uint8_t, 256> kUpper1252 = [] {
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        int u = c;
        if (c >= 'a' && c <= 'z') u = c - 0x20;
        else if (c >= 0xE0 && c <= 0xFE && c != 0xF7) u = c - 0x20;
        else if (c == 0x9A || c == 0x9C || c == 0x9E) u = c - 0x10;
        else if (c == 0xFF) u = 0x9F;
        t[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(u);
    }
    return t;
}();

inline unsigned char UpperCase1252(unsigned char c) { return kUpper1252[c]; }
inline char UpperCase1252(char c) { return static_cast<char>(kUpper1252[static_cast<unsigned char>(c)]); }
std::string UpperCase1252(std::string_view text);

// Whether two names are equal without regard to case: the only such comparison of names.
bool SameNameNoCase(std::string_view a, std::string_view b);

}  // namespace vortab
