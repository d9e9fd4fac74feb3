// The anchors of the language reference page. The generator that writes the page and the
// editor that opens it at a topic both name anchors through these functions, so a help
// context, a command name or a keyword always reaches the place the page gave it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vortab::help {

inline constexpr const char* kReferenceFileName = "vortab-reference.html";

// Topics of the editor itself, carried as help contexts like the identifiers' topics.
inline constexpr std::int32_t kMainWindowContext = 15000;
inline constexpr std::int32_t kOptionsContext = 15007;

// Fixed sections of the page.
inline constexpr const char* kContentsAnchor = "contents";
inline constexpr const char* kIndexAnchor = "index";
inline constexpr const char* kUsingAnchor = "using";
inline constexpr const char* kBasicsAnchor = "basics";
inline constexpr const char* kConstantsAnchor = "constants";

inline std::string ContextAnchor(std::int32_t context) { return "ctx" + std::to_string(context); }

// A name's anchor: names made of letters, digits, "_" and "$" stand as they are (upper case);
// an operator gets a spelled-out anchor, since "<" and ">" do not belong in a URL.
inline std::string NameAnchor(std::string_view name) {
    struct Operator {
        std::string_view symbol, anchor;
    };
    static constexpr Operator kOperators[] = {{"+", "op-plus"}, {"-", "op-minus"}, {"*", "op-times"},
                                              {"/", "op-divide"}, {"=", "op-eq"}, {"<>", "op-ne"},
                                              {"<", "op-lt"}, {">", "op-gt"}, {"<=", "op-le"},
                                              {">=", "op-ge"}};
    for (const Operator& op : kOperators)
        if (op.symbol == name) return std::string(op.anchor);
    std::string anchor;
    for (char c : name) anchor += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return anchor;
}

}  // namespace vortab::help
