// The symbolic constants: keyword families whose words the compiler reads as literal values of
// the special types 5 to 14 and 18 (field types, index options, batch-move modes, ...).
#pragma once
#include <cstdint>
#include <span>
#include <string_view>

namespace vortab {

struct Keyword {
    const char* word;
    double number;       // value of a numeric family
    const char* text;    // value of a text family, null for numeric ones
};

struct KeywordFamily {
    std::uint8_t type;   // the family's ValueType
    std::span<const Keyword> keywords;
};

// The families in the order the compiler tries them.
std::span<const KeywordFamily> KeywordFamilies();

// The keyword of `family` that equals `word` exactly, or null.
const Keyword* FindKeyword(const KeywordFamily& family, std::string_view word);

}  // namespace vortab
