// The 22 syntax element classes of the script highlighter: index, two-letter INI code, display
// name and default look. The settings' colour table, the lexer's styles and the colours page
// are all indexed by these classes.
#pragma once
#include <array>
#include <cstdint>

namespace vortab::ui {

enum SyntaxElement : int {
    kWhitespace, kSymbol, kTableCommand, kFieldCommand, kIndexCommand, kCheckCommand,
    kLinkCommand, kOtherIdentifier, kRemark, kNumber, kString, kDateTime, kBoolean,
    kLinkQualifier, kCheckQualifier, kIndexOption, kTableAttribute, kFieldType, kFieldSubtype,
    kBatchMode, kRegistryRoot, kPrivilege, kElementCount
};

// Style flags of a ColorEntry.
inline constexpr std::uint8_t kBold = 1, kItalic = 2, kUnderline = 4, kAltFont = 32;
inline constexpr std::uint8_t kStyleMask = kBold | kItalic | kUnderline | kAltFont;
// A colour of -1 means the editor's default; others are 0x00BBGGRR (red in the low byte).
inline constexpr std::int32_t kDefaultColor = -1;

struct ColorEntry {
    std::uint8_t style = 0;
    std::int32_t background = kDefaultColor;
    std::int32_t foreground = kDefaultColor;
    bool operator==(const ColorEntry&) const = default;
};

using ColorTable = std::array<ColorEntry, kElementCount>;

struct ElementInfo {
    const char* code;
    const char* name;
    ColorEntry defaults;
};

const std::array<ElementInfo, kElementCount>& SyntaxElements();
ColorTable DefaultColors();

}  // namespace vortab::ui
