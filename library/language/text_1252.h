// Character rules of the language on 8-bit Windows-1252 text: upper-casing by the Windows-1252
// mapping, and the compiler's identifier and operator-symbol character classes.
#pragma once
#include <string>
#include <string_view>

#include "shared/cp1252.h"

namespace vortab {

inline unsigned char UpperCase1252(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 0x10);
    if (c == 0xFF) return 0x9F;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
    return c;
}

inline std::string UpperCase1252(std::string_view s) {
    std::string out(s);
    for (char& ch : out) ch = static_cast<char>(UpperCase1252(static_cast<unsigned char>(ch)));
    return out;
}

// "$", digits, "@", letters and "_".
inline bool IsIdentifierChar(unsigned char c) {
    return c == '$' || c == '@' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}

// Every byte but space, double quote, "$", parentheses, ",", ".", digits, ":", ";", "@",
// letters and "_": control characters, 127..255 and the printable operator symbols.
inline bool IsOperatorSymbolChar(unsigned char c) {
    if (IsIdentifierChar(c)) return false;
    switch (c) {
        case ' ': case '"': case '(': case ')': case ',': case '.': case ':': case ';':
            return false;
        default:
            return true;
    }
}

// Windows-1252 text to UTF-8 and back (unmappable characters become "?").
std::string Utf8From1252(std::string_view text);
std::string Utf8To1252(std::string_view text);

// Windows-1252 text as wide (Unicode) characters, for the C library's wide collation.
std::wstring WideFrom1252(std::string_view text);

}  // namespace vortab
