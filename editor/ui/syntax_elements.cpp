#include "editor/ui/syntax_elements.h"

namespace vortab::ui {

const std::array<ElementInfo, kElementCount>& SyntaxElements() {
    constexpr std::int32_t D = kDefaultColor;
    static const std::array<ElementInfo, kElementCount> elements = {{
        {"WS", "Whitespace", {0, D, D}},
        {"SY", "Symbol", {0, D, D}},
        {"OT", "Command - Table/Table attrib. related", {kBold, 0x00FFFF, 0x000000}},
        {"OF", "Command - Field related", {kBold, 0xFFFF00, 0x000000}},
        {"OI", "Command - Index related", {kBold, 0x0000FF, 0x00FFFF}},
        {"OV", "Command - Validity check related", {kBold, 0xC0C0C0, 0x000000}},
        {"OR", "Command - Ref.int.related", {kBold, 0x000000, 0xFFFFFF}},
        {"OP", "Other functions/operators", {kBold, D, D}},
        {"RM", "Remark", {0, D, 0xFF0000}},
        {"NU", "Number", {0, D, 0x008000}},
        {"ST", "String", {0, D, 0x000080}},
        {"DT", "Date/Time", {0, D, 0x0000FF}},
        {"BL", "Boolean", {kBold, D, D}},
        {"RI", "Referential integrity qualifier", {kItalic, D, D}},
        {"VC", "Validity check qualifier", {kItalic, D, D}},
        {"IO", "Index option", {kItalic, D, D}},
        {"TA", "Table attribute name", {kItalic, D, D}},
        {"FT", "Field type", {kItalic, D, D}},
        {"FS", "Field subtype", {kItalic, D, D}},
        {"BM", "Batchmove mode", {kItalic, D, D}},
        {"RK", "Registry root key handle", {kItalic, D, 0xFF00FF}},
        {"SP", "Security privilege", {kBold, D, 0x0000FF}},
    }};
    return elements;
}

ColorTable DefaultColors() {
    ColorTable table;
    for (int i = 0; i < kElementCount; ++i) table[i] = SyntaxElements()[i].defaults;
    return table;
}

}  // namespace vortab::ui
