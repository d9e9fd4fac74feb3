// Windows-1252 <-> UTF-8, for the programs' edges (terminal, arguments, files shown to users).
// Characters Windows-1252 cannot hold become "?".
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vortab {

// Unicode code points of the bytes 0x80..0x9F (0 where Windows-1252 leaves a byte undefined).
inline constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

inline char32_t Cp1252ToUnicode(unsigned char c) {
    if (c >= 0x80 && c <= 0x9F && kCp1252High[c - 0x80] != 0) return kCp1252High[c - 0x80];
    return c;
}

inline std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char byte : text) {
        const char32_t cp = Cp1252ToUnicode(byte);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

inline char UnicodeToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF) ) return static_cast<char>(cp);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] != 0 && kCp1252High[i] == cp) return static_cast<char>(0x80 + i);
    return '?';
}

// Invalid UTF-8 bytes are taken as Windows-1252 bytes as they stand.
inline std::string Utf8ToCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        int extra = b >= 0xF0 && b < 0xF8 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        if (b >= 0x80 && extra == 0) extra = -1;
        if (extra > 0 && i + static_cast<std::size_t>(extra) < text.size() + 0) {
            char32_t cp = b & (0x3F >> extra);
            bool valid = true;
            for (int k = 1; k <= extra && valid; ++k) {
                const auto c = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
                valid = (c & 0xC0) == 0x80;
                cp = (cp << 6) | (c & 0x3F);
            }
            if (valid) {
                out += UnicodeToCp1252(cp);
                i += static_cast<std::size_t>(extra) + 1;
                continue;
            }
        }
        out += static_cast<char>(b);
        ++i;
    }
    return out;
}

}  // namespace vortab
