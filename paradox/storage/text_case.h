// Case-insensitive comparison of 8-bit names (table, field and file names) with the
// Windows-1252 upper-case mapping, as the engine compares names.
#pragma once
#include <string>
#include <string_view>

namespace paradox {

char UpperCase1252(char c);
std::string ToUpper1252(std::string_view s);
bool EqualsIgnoreCase1252(std::string_view a, std::string_view b);

}  // namespace paradox
