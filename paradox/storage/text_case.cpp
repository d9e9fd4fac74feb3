// Windows-1252 upper-casing: ASCII letters, the Latin-1 letters 0xE0..0xFE except 0xF7,
// and the three letters 0x9A, 0x9C, 0xFF whose capitals sit elsewhere in the code page.
#include "paradox/storage/text_case.h"

namespace paradox {

std::string ToUpper1252(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = UpperCase1252(c);
    return out;
}

bool EqualsIgnoreCase1252(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperCase1252(a[i]) != UpperCase1252(b[i])) return false;
    return true;
}

}  // namespace paradox
