#include "editor/ui/highlight_rules.h"

#include <cctype>
#include <ctime>

#include "editor/ui/constant_keywords.h"

namespace vortab::ui {
namespace {

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Characters that glue a run of digits to a name or to a longer dotted or colon run.
bool IsGlue(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '$' || c == '@' ||
           c == '.' || c == ':';
}

// The numbers of a text split at sep; ok is false when a part is empty, not all digits or
// longer than nine digits.
std::vector<int> NumericParts(std::string_view text, char sep, bool& ok) {
    std::vector<int> parts;
    ok = true;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(sep, start);
        const std::string_view part = text.substr(start, end == std::string_view::npos ? text.npos : end - start);
        int value = 0;
        if (part.empty() || part.size() > 9) ok = false;
        for (char c : part) {
            if (!IsDigit(c)) ok = false;
            else if (ok) value = value * 10 + (c - '0');
        }
        parts.push_back(value);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return parts;
}

int CurrentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// The shared date/time/number recogniser: a candidate is a maximal run of digits and sep that
// begins with a digit and is not glued to a name, another dotted or colon run (so a number
// directly followed by ":" is none) on either side; it must keep within the three maxima and
// pass accept. Remark lines are skipped and claimed bytes are never taken twice.
template <typename Accept>
void Recognise(std::string_view line, char sep, std::size_t maxLength, int maxSeparators, int maxDigits,
               std::vector<std::uint8_t>& classes, std::vector<bool>& claimed, SyntaxElement element,
               Accept accept) {
    std::size_t first = line.find_first_not_of(' ');
    if (first != std::string_view::npos && line[first] == ':') return;
    std::size_t i = 0;
    while (i < line.size()) {
        if (!IsDigit(line[i]) || (i > 0 && IsGlue(line[i - 1]))) {
            ++i;
            continue;
        }
        std::size_t end = i;
        int separators = 0, digits = 0;
        for (; end < line.size() && (IsDigit(line[end]) || line[end] == sep); ++end)
            line[end] == sep ? ++separators : ++digits;
        const std::string_view text = line.substr(i, end - i);
        const bool glued = end < line.size() && IsGlue(line[end]);
        bool free = true;
        for (std::size_t k = i; k < end; ++k) free = free && !claimed[k];
        if (free && !glued && text.size() <= maxLength && separators <= maxSeparators && digits <= maxDigits &&
            accept(text))
            for (std::size_t k = i; k < end; ++k) {
                classes[k] = element;
                claimed[k] = true;
            }
        i = end;
    }
}

}  // namespace

bool IsWordSeparator(char c) {
    return c == '\t' || c == '(' || c == ')' || c == ',' || c == ' ' || c == '"';
}

SyntaxElement CommandClass(std::string_view name) {
    const std::string upper = Upper(name);
    static const std::pair<const char*, SyntaxElement> kinds[] = {
        {"TBL_", kTableCommand}, {"FLD_", kFieldCommand}, {"IX_", kIndexCommand},
        {"VCHK_", kCheckCommand}, {"RI_", kLinkCommand}};
    for (const auto& [part, element] : kinds)
        if (upper.find(part) != std::string::npos) return element;
    return kOtherIdentifier;
}

KeywordTable KeywordTable::Build(const LibraryInfo* info) {
    // The library lists its constants among its identifiers too; they keep their own family's
    // class, so the families go in first and the first class of a word stays.
    KeywordTable table;
    for (const KeywordFamily& family : ConstantKeywordFamilies())
        for (const std::string& word : family.words) table.add(word, family.element);
    if (info)
        for (const IdentifierEntry* e = info->chain; e; e = e->next)
            if (e->name) table.add(e->name, e->resultType == vtCommand ? CommandClass(e->name) : kOtherIdentifier);
    return table;
}

void KeywordTable::add(std::string_view word, SyntaxElement element) { words_.emplace(Upper(word), element); }

SyntaxElement KeywordTable::classOf(std::string_view word) const {
    const auto it = words_.find(Upper(word));
    return it == words_.end() ? kWhitespace : it->second;
}

bool IsNumberText(std::string_view text) {
    if (text.empty() || !IsDigit(text.front())) return false;
    int dots = 0;
    for (char c : text) {
        if (c == '.') ++dots;
        else if (!IsDigit(c)) return false;
    }
    return dots <= 1;
}

bool IsDateText(std::string_view text, DateOrder order) {
    if (IsNumberText(text)) return false;
    bool ok = false;
    const std::vector<int> parts = NumericParts(text, '.', ok);
    if (!ok || parts.size() < 2 || parts.size() > 3) return false;
    int day = 0, month = 0, year = CurrentYear();
    const bool withYear = parts.size() == 3;
    switch (order) {
    case DateOrder::DMY: day = parts[0], month = parts[1]; break;
    case DateOrder::MDY: month = parts[0], day = parts[1]; break;
    case DateOrder::YMD:
        month = parts[withYear ? 1 : 0], day = parts[withYear ? 2 : 1];
        break;
    }
    if (withYear) {
        year = parts[order == DateOrder::YMD ? 0 : 2];
        const std::size_t yearDigits = order == DateOrder::YMD ? text.find('.') : text.size() - text.rfind('.') - 1;
        if (yearDigits <= 2) year += year < 50 ? 2000 : 1900;
    }
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

bool IsTimeText(std::string_view text) {
    if (IsNumberText(text)) return false;
    bool ok = false;
    const std::vector<int> parts = NumericParts(text, ':', ok);
    if (!ok || parts.size() < 2 || parts.size() > 3) return false;
    return parts[0] < 24 && parts[1] < 60 && (parts.size() < 3 || parts[2] < 60);
}

std::vector<std::uint8_t> ClassifyLine(std::string_view line, const KeywordTable& keywords, DateOrder order) {
    std::vector<std::uint8_t> classes(line.size(), kWhitespace);
    std::vector<bool> claimed(line.size(), false);
    auto claim = [&](std::size_t from, std::size_t to, SyntaxElement element) {
        for (std::size_t k = from; k < to; ++k) {
            classes[k] = element;
            claimed[k] = true;
        }
    };

    // Remark: the first ':' with nothing but blanks and control characters before it.
    std::size_t limit = line.size();
    if (const std::size_t colon = line.find(':'); colon != std::string_view::npos) {
        bool blanksOnly = true;
        for (std::size_t k = 0; k < colon; ++k) blanksOnly = blanksOnly && static_cast<unsigned char>(line[k]) < 33;
        if (blanksOnly) {
            claim(colon, line.size(), kRemark);
            limit = colon;
        }
    }

    // Strings and whole-word keywords.
    for (std::size_t i = 0; i < limit;) {
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? limit : std::min(close + 1, limit);
            claim(i, end, kString);
            i = end;
        } else if (IsWordSeparator(line[i])) {
            ++i;
        } else {
            std::size_t end = i;
            while (end < limit && !IsWordSeparator(line[end])) ++end;
            if (const SyntaxElement e = keywords.classOf(line.substr(i, end - i)); e != kWhitespace) claim(i, end, e);
            i = end;
        }
    }

    Recognise(line, '.', 11, 2, 9, classes, claimed, kDateTime,
              [&](std::string_view t) { return IsDateText(t, order); });
    Recognise(line, ':', 9, 2, 7, classes, claimed, kDateTime, IsTimeText);
    Recognise(line, '.', 21, 1, 20, classes, claimed, kNumber, IsNumberText);

    for (std::size_t i = 0; i < line.size(); ++i)
        if (!claimed[i] && (line[i] == '(' || line[i] == ')' || line[i] == ',')) claim(i, i + 1, kSymbol);
    return classes;
}

}  // namespace vortab::ui
