// Upper-casing and comparing Windows-1252 names through the one fold table.
#include "shared/text/case_fold.h"

namespace vortab {

std::string UpperCase1252(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpperCase1252(c);
    return out;
}

bool SameNameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperCase1252(a[i]) != UpperCase1252(b[i])) return false;
    return true;
}

}  // namespace vortab
