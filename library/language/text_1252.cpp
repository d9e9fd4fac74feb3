// Windows-1252 text in the library: conversions to UTF-8 and to wide characters for the locale
// functions. The code-page mapping itself lives in shared/cp1252.
#include "library/language/text_1252.h"

#include "shared/cp1252.h"

namespace vortab {

std::string Utf8From1252(std::string_view text) { return Cp1252ToUtf8(text); }
std::string Utf8To1252(std::string_view text) { return Utf8ToCp1252(text); }

std::wstring WideFrom1252(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (char ch : text) out += static_cast<wchar_t>(UnicodeFrom1252(static_cast<unsigned char>(ch)));
    return out;
}

}  // namespace vortab
