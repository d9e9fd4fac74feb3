// Windows-1252 <-> Unicode and UTF-8, for the programs' edges (terminal, arguments, files shown
// to users) and the library's locale texts. The bytes 0x80-0x9F that Windows-1252 leaves
// undefined map to the C1 control code points of the same value, so every byte survives a round
// trip; characters Windows-1252 cannot hold become "?".
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace vortab {

char32_t UnicodeFrom1252(unsigned char c);
// The Windows-1252 byte of a code point, or -1 when it has none.
int Cp1252FromUnicode(char32_t cp);

std::string Cp1252ToUtf8(std::string_view text);
// Malformed UTF-8 sequences count as one unmappable character each.
std::string Utf8ToCp1252(std::string_view text);
// The Windows-1252 text of well-formed UTF-8 whose every character the page holds; nullopt when
// a sequence is malformed or a character has no byte there.
std::optional<std::string> Utf8ToCp1252Exactly(std::string_view text);
// Whether text is well-formed UTF-8 holding a character Windows-1252 lacks: a name that stays
// UTF-8 (as a file name on disk may be) because the page cannot carry it.
bool IsUtf8Beyond1252(std::string_view text);
// Windows-1252 text as wide (Unicode) characters, for the C library's wide collation.
std::wstring WideFrom1252(std::string_view text);

void AppendUtf8(std::string& out, char32_t cp);
// Decodes one UTF-8 sequence at text[i] and advances i; a malformed or overlong sequence yields
// U+FFFD and consumes one byte, so decoding always makes progress.
char32_t NextCodePoint(std::string_view text, std::size_t& i);

}  // namespace vortab
