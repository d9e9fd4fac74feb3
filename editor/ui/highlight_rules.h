// The script highlighter's rules without any widget: the keyword table (the constant keyword
// families and the loaded library's identifiers, commands classed by what they act on) and the
// classing of one line into syntax elements, one per byte. Recognisers run in the order remark,
// keywords and strings, date, time, number, symbol; a byte claimed once keeps its class.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "editor/ui/syntax_elements.h"
#include "shared/identifier_entry.h"

namespace vortab::ui {

enum class DateOrder { DMY, MDY, YMD };

class KeywordTable {
public:
    // The constant keywords, then the library's identifiers (none when info is null).
    static KeywordTable Build(const LibraryInfo* info);

    // The class of a whole word, matched without regard to case; kWhitespace when none.
    SyntaxElement classOf(std::string_view word) const;
    std::size_t size() const { return words_.size(); }

private:
    void add(std::string_view word, SyntaxElement element);  // the first class of a word stays
    std::unordered_map<std::string, SyntaxElement> words_;
};

// The command class of an identifier name: the first of "TBL_", "FLD_", "IX_", "VCHK_", "RI_"
// found anywhere in it, else kOtherIdentifier.
SyntaxElement CommandClass(std::string_view name);

// The separators that bound whole words: tab, "(", ")", ",", blank and the double quote.
bool IsWordSeparator(char c);

// Whole-candidate checks of the number, date and time recognisers.
bool IsNumberText(std::string_view text);
bool IsDateText(std::string_view text, DateOrder order);
bool IsTimeText(std::string_view text);

// The element class of every byte of one line (UTF-8 or 8-bit; only ASCII bytes matter).
std::vector<std::uint8_t> ClassifyLine(std::string_view line, const KeywordTable& keywords, DateOrder order);

}  // namespace vortab::ui
