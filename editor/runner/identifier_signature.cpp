#include "editor/runner/identifier_signature.h"

#include <array>

namespace vortab {

std::string ValueTypeName(std::uint8_t type) {
    static constexpr std::array<const char*, 19> kNames{
        "None",         "Number",        "String",     "Date",       "Boolean",        "RI modifier",
        "Check value",  "Index options", "Table attribute", "Table option", "Integrity option", "Field type",
        "Field subtype", "Batch mode",   "Registry root", "Command",  "Simple value",   "Any",
        "Rights"};
    return type < kNames.size() ? kNames[type] : "Type " + std::to_string(type);
}

std::string IdentifierSignature(const IdentifierEntry& entry) {
    std::string text = entry.name ? entry.name : "";
    std::string arguments;
    for (std::uint8_t type : entry.argTypes) {
        if (type == 0) break;
        if (!arguments.empty()) arguments += ", ";
        arguments += ValueTypeName(type);
    }
    if (!arguments.empty()) text += "(" + arguments + ")";
    if (entry.resultType != vtNone) text += ": " + ValueTypeName(entry.resultType);
    return text;
}

}  // namespace vortab
