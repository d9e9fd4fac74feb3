// Windows-1252 text to and from Unicode; the page itself is the one of shared/text/code_pages.
#include "shared/text/cp1252.h"

#include "shared/text/code_pages.h"

namespace vortab {

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[i], advancing i; a malformed or overlong sequence yields
// U+FFFD and consumes one byte, so decoding always makes progress.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1; cp = lead & 0x1F; minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2; cp = lead & 0x0F; minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3; cp = lead & 0x07; minimum = 0x10000;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + extra >= text.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        const unsigned char c = byte(i + k);
        if ((c & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += extra + 1;
    return cp;
}

char32_t UnicodeFrom1252(unsigned char c) {
    return c < 0x80 ? c : kUpperHalf1252[c - 0x80];
}

int Cp1252FromUnicode(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int k = 0; k < 32; ++k)
        if (kUpperHalf1252[k] == cp) return 0x80 + k;
    // Spaces that locales use as thousands separators but Windows-1252 lacks.
    if (cp == 0x202F || cp == 0x2009 || cp == 0x2007) return 0xA0;
    return -1;
}

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) AppendUtf8(out, UnicodeFrom1252(static_cast<unsigned char>(ch)));
    return out;
}

std::string Utf8ToCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const int c = Cp1252FromUnicode(NextCodePoint(text, i));
        out += c < 0 ? '?' : static_cast<char>(c);
    }
    return out;
}

std::optional<std::string> Utf8ToCp1252Exactly(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const int c = Cp1252FromUnicode(NextCodePoint(text, i));  // a malformed sequence: U+FFFD, -1
        if (c < 0) return std::nullopt;
        out += static_cast<char>(c);
    }
    return out;
}

bool IsUtf8Beyond1252(std::string_view text) {
    bool beyond = false;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t cp = NextCodePoint(text, i);
        if (cp == 0xFFFD) return false;  // malformed: 8-bit text
        beyond = beyond || Cp1252FromUnicode(cp) < 0;
    }
    return beyond;
}

std::wstring WideFrom1252(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (char ch : text) out += static_cast<wchar_t>(UnicodeFrom1252(static_cast<unsigned char>(ch)));
    return out;
}

}  // namespace vortab
