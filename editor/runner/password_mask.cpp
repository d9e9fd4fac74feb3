#include "editor/runner/password_mask.h"

#include <cctype>
#include <utility>
#include <vector>

namespace vortab {
namespace {

using Range = std::pair<std::size_t, std::size_t>;

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string Upper(std::string_view s) {
    std::string u(s);
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

// Just past the string literal that opens at `i`; two double quotes in a row stay inside it.
std::size_t SkipString(std::string_view s, std::size_t i) {
    for (++i; i < s.size(); ++i) {
        if (s[i] != '"') continue;
        if (i + 1 < s.size() && s[i + 1] == '"') {
            ++i;
            continue;
        }
        return i + 1;
    }
    return s.size();
}

// Where the level that `from` stands on ends: the first ")" that closes an enclosing
// parenthesis, or the end of the text.
std::size_t LevelEnd(std::string_view s, std::size_t from) {
    int depth = 0;
    for (std::size_t i = from; i < s.size();) {
        if (s[i] == '"') {
            i = SkipString(s, i);
            continue;
        }
        if (s[i] == '(') ++depth;
        if (s[i] == ')' && depth-- == 0) return i;
        ++i;
    }
    return s.size();
}

// The arguments of [begin, end): split at the commas outside quotes and parentheses.
std::vector<Range> SplitArguments(std::string_view s, std::size_t begin, std::size_t end) {
    std::vector<Range> args;
    int depth = 0;
    std::size_t start = begin;
    for (std::size_t i = begin; i < end;) {
        if (s[i] == '"') {
            i = SkipString(s, i);
            continue;
        }
        if (s[i] == '(') ++depth;
        if (s[i] == ')') --depth;
        if (s[i] == ',' && depth == 0) {
            args.emplace_back(start, i);
            start = i + 1;
        }
        ++i;
    }
    args.emplace_back(start, end);
    return args;
}

// Which arguments (0-based) of a command hold passwords; empty for other names.
std::vector<std::size_t> PasswordArguments(const std::string& name, std::string_view s, const std::vector<Range>& args) {
    if (name == "TBL_AUXPSWD") return {1, 2};
    // Any attribute that mentions PASSWORD counts, also one computed by IF: masking too much
    // only hides a value, masking too little shows a password.
    if (name == "TBL_SETATTR" && args.size() > 1 &&
        Upper(s.substr(args[1].first, args[1].second - args[1].first)).find("PASSWORD") != std::string::npos)
        return {2};
    return {};
}

std::string Mask(std::string_view s);

// Appends the argument list [begin, end) of a password command with its password arguments
// replaced; the other arguments are masked in their turn.
void AppendArguments(std::string& out, std::string_view s, std::size_t begin, std::size_t end, const std::string& name) {
    const std::vector<Range> args = SplitArguments(s, begin, end);
    const std::vector<std::size_t> hidden = PasswordArguments(name, s, args);
    for (std::size_t a = 0; a < args.size(); ++a) {
        if (a > 0) out += ',';
        auto [first, last] = args[a];
        bool secret = false;
        for (std::size_t h : hidden) secret = secret || h == a;
        if (!secret) {
            out += Mask(s.substr(first, last - first));
            continue;
        }
        std::size_t textFirst = first, textLast = last;
        while (textFirst < textLast && IsBlank(s[textFirst])) ++textFirst;
        while (textLast > textFirst && IsBlank(s[textLast - 1])) --textLast;
        out.append(s.substr(first, textFirst - first));
        out += kMaskedPassword;
        out.append(s.substr(textLast, last - textLast));
    }
}

std::string Mask(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] == '"') {
            const std::size_t j = SkipString(s, i);
            out.append(s.substr(i, j - i));
            i = j;
            continue;
        }
        if (!IsNameChar(s[i]) || (i > 0 && IsNameChar(s[i - 1]))) {
            out += s[i++];
            continue;
        }
        std::size_t j = i;
        while (j < s.size() && IsNameChar(s[j])) ++j;
        const std::string name = Upper(s.substr(i, j - i));
        out.append(s.substr(i, j - i));
        i = j;
        if (name != "TBL_SETATTR" && name != "TBL_AUXPSWD") continue;
        // The arguments: inside the parentheses that follow the name, or, written without
        // them, the rest of the level the name stands on.
        std::size_t begin = j;
        while (begin < s.size() && IsBlank(s[begin])) ++begin;
        if (begin < s.size() && s[begin] == '(') ++begin;
        const std::size_t end = LevelEnd(s, begin);
        out.append(s.substr(j, begin - j));
        AppendArguments(out, s, begin, end, name);
        i = end;
    }
    return out;
}

}  // namespace

std::string MaskPasswords(std::string_view line) { return Mask(line); }

}  // namespace vortab
