// The language reference as one HTML page: how to use it and the language basics, every
// identifier of the chain grouped as the identifier table groups them (each form with its
// argument and result types, and the description kept for it), the symbolic constants, the
// editor's own topics and a keyword index. Every name, keyword and help context gets an anchor (help_anchors.h).
#pragma once
#include <string>
#include <vector>

#include "editor/help/descriptions.h"
#include "shared/identifier_entry.h"

namespace vortab::help {

struct ConstantFamily {
    std::uint8_t type;  // the value type the family's keywords have
    std::vector<std::pair<std::string, std::string>> keywords;  // word, value as text
};

struct ReferenceSources {
    const IdentifierEntry* chain = nullptr;  // the head
    std::vector<ConstantFamily> constants;
    Descriptions descriptions;
    std::string openingHtml;  // sections placed before the identifiers
    std::string editorHtml;   // sections placed after the identifiers
};

struct ReferencePage {
    std::string html;
    std::vector<std::string> errors;    // identifiers without a description, missing topics
    std::vector<std::string> warnings;  // descriptions of names the chain does not have
};

ReferencePage WriteReferencePage(const ReferenceSources& sources);

}  // namespace vortab::help
