// Readers of the literal forms of the language, each tried on a whole stripped, upper-cased
// sub-expression: numbers, string literals with doubled quotes, date/time literals and booleans.
// Each returns false when the text is not that kind of literal.
#pragma once
#include <string>
#include <string_view>

namespace vortab {

// Optional sign, digits with an optional "." fraction, optional exponent; "." always.
bool ReadNumberLiteral(std::string_view text, double& out);
// "..." with "" standing for one double quote.
bool ReadStringLiteral(std::string_view text, std::string& out);
// d.m.y (in the locale's or the pinned order), h:m[:s], or both separated by spaces.
bool ReadDateLiteral(std::string_view text, double& out);
bool ReadBooleanLiteral(std::string_view text, bool& out);

}  // namespace vortab
