// The constant keyword families the highlighter colours, in the order they join its keyword
// table: field types, field subtypes, link qualifiers, index options, booleans, check kinds,
// batch-move modes, table attributes, registry roots, privileges.
#pragma once
#include <string>
#include <vector>

#include "editor/ui/syntax_elements.h"

namespace vortab::ui {

struct KeywordFamily {
    SyntaxElement element;
    std::vector<std::string> words;
};

const std::vector<KeywordFamily>& ConstantKeywordFamilies();

}  // namespace vortab::ui
