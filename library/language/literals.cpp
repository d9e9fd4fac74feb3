#include "library/language/literals.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "library/language/date_calc.h"
#include "library/language/locale_settings.h"

namespace vortab {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipDigits(std::string_view s, std::size_t i) {
    while (i < s.size() && IsDigit(s[i])) ++i;
    return i;
}

// Checks the number grammar; from_chars then does the (locale-independent) conversion.
bool IsNumberText(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t intStart = i;
    i = SkipDigits(s, i);
    bool digits = i > intStart;
    if (i < s.size() && s[i] == '.') {
        const std::size_t fracStart = ++i;
        i = SkipDigits(s, i);
        digits = digits || i > fracStart;
    }
    if (!digits) return false;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        const std::size_t expStart = i;
        i = SkipDigits(s, i);
        if (i == expStart) return false;
    }
    return i == s.size();
}

struct DateToken {
    enum Kind { Number, Dot, Colon } kind;
    int value = 0;
    int digits = 0;
    bool spaceBefore = false;
};

bool Tokenize(std::string_view s, std::vector<DateToken>& tokens) {
    bool space = false;
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == ' ') {
            space = true;
            ++i;
        } else if (c == '.' || c == ':') {
            tokens.push_back({c == '.' ? DateToken::Dot : DateToken::Colon, 0, 0, space});
            space = false;
            ++i;
        } else if (IsDigit(c)) {
            DateToken t{DateToken::Number, 0, 0, space};
            for (; i < s.size() && IsDigit(s[i]); ++i) {
                if (++t.digits > 9) return false;
                t.value = t.value * 10 + (s[i] - '0');
            }
            tokens.push_back(t);
            space = false;
        } else {
            return false;
        }
    }
    return true;
}

// Matches NUM SEP NUM [SEP NUM] at `pos`; fills up to three numbers.
int MatchGroup(const std::vector<DateToken>& t, std::size_t& pos, DateToken::Kind sep,
               int maxParts, DateToken parts[3]) {
    int count = 0;
    while (pos < t.size() && t[pos].kind == DateToken::Number && count < maxParts) {
        parts[count++] = t[pos++];
        if (count == maxParts || pos >= t.size() || t[pos].kind != sep) break;
        ++pos;
        if (pos >= t.size() || t[pos].kind != DateToken::Number) return -1;
    }
    return count;
}

int FullYear(const DateToken& year) {
    if (year.digits > 2) return year.value;
    return year.value < 30 ? 2000 + year.value : 1900 + year.value;
}

bool EncodeDateParts(const DateToken p[3], double& out) {
    DateToken day, month, year;
    switch (CurrentDateOrder()) {
        case DateOrder::DMY: day = p[0]; month = p[1]; year = p[2]; break;
        case DateOrder::MDY: month = p[0]; day = p[1]; year = p[2]; break;
        case DateOrder::YMD: year = p[0]; month = p[1]; day = p[2]; break;
    }
    return EncodeDate(FullYear(year), month.value, day.value, out);
}

}  // namespace

bool ReadNumberLiteral(std::string_view text, double& out) {
    if (text.empty() || !IsNumberText(text)) return false;
    std::string_view digits = text.front() == '+' ? text.substr(1) : text;
    double value = 0;
    auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || ptr != digits.data() + digits.size() || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

bool ReadStringLiteral(std::string_view text, std::string& out) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') return false;
    std::string value;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == '"') {
            if (i + 2 < text.size() && text[i + 1] == '"') {
                value += '"';
                ++i;
                continue;
            }
            return false;
        }
        value += text[i];
    }
    out = std::move(value);
    return true;
}

bool ReadDateLiteral(std::string_view text, double& out) {
    std::vector<DateToken> tokens;
    if (text.empty() || !Tokenize(text, tokens)) return false;
    std::size_t pos = 0;
    DateToken date[3], time[3];
    double value = 0;
    bool hasDate = false;
    if (tokens.size() >= 2 && tokens[1].kind == DateToken::Dot) {
        if (MatchGroup(tokens, pos, DateToken::Dot, 3, date) != 3) return false;
        if (!EncodeDateParts(date, value)) return false;
        hasDate = true;
        if (pos == tokens.size()) {
            out = value;
            return true;
        }
        if (!tokens[pos].spaceBefore) return false;
    }
    const int timeParts = MatchGroup(tokens, pos, DateToken::Colon, 3, time);
    if (timeParts < 2 || pos != tokens.size()) return false;
    double fraction = 0;
    if (!EncodeTime(time[0].value, time[1].value, timeParts == 3 ? time[2].value : 0, 0, fraction))
        return false;
    out = !hasDate ? fraction : value >= 0 ? value + fraction : value - fraction;
    return true;
}

bool ReadBooleanLiteral(std::string_view text, bool& out) {
    if (text == "TRUE") out = true;
    else if (text == "FALSE") out = false;
    else return false;
    return true;
}

}  // namespace vortab
