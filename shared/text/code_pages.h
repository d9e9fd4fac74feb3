// The code pages of the Paradox language drivers (DOS 437 737 850 852 857 861 862 865 866,
// Windows 1250-1254 1257), and Windows-1256 for texts written through another page's driver, as
// Unicode; the decoding of 8-bit table text (alpha fields, memos, field and table names) to UTF-8
// and back. Any other page, or none, is read as Windows-1252.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vortab {

// True when the code page has its own table here (false means the Windows-1252 fallback).
bool IsKnownCodePage(std::uint16_t codePage);
// Every page with its own table, in ascending order.
std::vector<std::uint16_t> KnownCodePages();
// The code points of the bytes 0x80..0xFF of a known page (the lower half is ASCII); nullptr
// for an unknown one. Bytes a Windows page leaves undefined stand for the code point of the
// same number, as the Windows conversion functions decode them, so no byte is ever lost.
const char16_t* UpperHalfOf(std::uint16_t codePage);
// Windows-1252's upper half, the page of names and scripts.
extern const char16_t kUpperHalf1252[128];

// The bytes of UTF-8 text in a known page (Windows-1252 for an unknown one); a character the page
// lacks, or a malformed sequence, becomes "?". The inverse of TextDecoder for every byte but the
// few undefined bytes whose stand-in character the page also holds at a byte of its own.
std::string Utf8ToCodePage(std::string_view utf8, std::uint16_t codePage);

class TextDecoder {
public:
    explicit TextDecoder(std::uint16_t codePage);

    // The code page actually used (1252 for an unknown one).
    std::uint16_t codePage() const { return codePage_; }
    // Appends the UTF-8 form of text; every byte maps to exactly one character.
    void appendUtf8(std::string& out, std::string_view text) const;
    std::string toUtf8(std::string_view text) const;

private:
    std::uint16_t codePage_;
    const char16_t* high_;  // code points of the bytes 0x80..0xFF
};

}  // namespace vortab
