// The compiler: works top-down on the text of a line. It strips a sub-expression, tries the
// literal forms on the whole of it, then looks for the operator of lowest precedence (the
// right-most one, which makes binary operators left-associative), compiles the operands and
// appends the operation chosen by the operands' types. The factors come out in postfix order.
#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "library/language/errors.h"
#include "library/language/expression.h"
#include "library/language/identifier_table.h"
#include "library/language/keywords.h"
#include "library/language/literals.h"
#include "library/language/thread_driver.h"
#include "shared/status_code.h"
#include "shared/text/case_fold.h"

namespace vortab {
namespace {

// "$", digits, "@", letters and "_".
bool IsIdentifierChar(unsigned char c) {
    return c == '$' || c == '@' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}

// Every byte but space, double quote, "$", parentheses, ",", ".", digits, ":", ";", "@",
// letters and "_": control characters, 127..255 and the printable operator symbols.
bool IsOperatorSymbolChar(unsigned char c) {
    if (IsIdentifierChar(c)) return false;
    switch (c) {
        case ' ': case '"': case '(': case ')': case ',': case '.': case ':': case ';':
            return false;
        default:
            return true;
    }
}

// Deeper nesting than this is reported as compile error 8 instead of exhausting the stack.
constexpr int kMaxNesting = 1000;
constexpr std::size_t kMaxArguments = 10;
// Upper bound of scanning steps for one line (far above what any real line needs).
constexpr std::size_t kWorkBudget = 50'000'000;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

struct Span {
    std::size_t begin, end;
    std::size_t size() const { return end - begin; }
    bool empty() const { return begin >= end; }
};

class LineCompiler {
public:
    LineCompiler(TExpression& expr, const IdentifierChain& chain, std::string line)
        : expr_(expr), chain_(chain), line_(std::move(line)) {
        Analyse();
    }

    std::uint8_t CompileLine() {
        PreScan();
        return CompileSub({0, line_.size()}, {0, line_.size()}, 0);
    }

private:
    // Quote state, parenthesis depth and matching ")" of every "(" (all outside quotes).
    void Analyse() {
        const std::size_t n = line_.size();
        quoted_.assign(n, false);
        depth_.assign(n + 1, 0);
        match_.assign(n, n);
        std::vector<std::size_t> open;
        bool inQuote = false;
        int depth = 0;
        for (std::size_t i = 0; i < n; ++i) {
            depth_[i] = depth;
            const char c = line_[i];
            if (c == '"') {
                quoted_[i] = true;
                inQuote = !inQuote;
                continue;
            }
            quoted_[i] = inQuote;
            if (inQuote) continue;
            if (c == '(') {
                open.push_back(i);
                ++depth;
            } else if (c == ')' && !open.empty()) {
                match_[open.back()] = i;
                open.pop_back();
                --depth;
            }
        }
        depth_[n] = depth;
    }

    void PreScan() {
        const auto families = KeywordFamilies();
        for (std::size_t f = 0; f < families.size(); ++f) {
            for (const Keyword& k : families[f].keywords) {
                if (line_.find(k.word) != std::string::npos) {
                    expr_.familyFlags[f] = true;
                    break;
                }
            }
        }
        hasDateSeparator_ = line_.find_first_of(".:") != std::string::npos;
    }

    std::string_view Text(Span s) const {
        return std::string_view(line_).substr(s.begin, s.size());
    }

    Span Strip(Span s) const {
        auto trim = [&] {
            while (!s.empty() && IsBlank(line_[s.begin])) ++s.begin;
            while (!s.empty() && IsBlank(line_[s.end - 1])) --s.end;
        };
        trim();
        while (s.size() >= 2 && line_[s.begin] == '(' && line_[s.end - 1] == ')' &&
               match_[s.begin] == s.end - 1) {
            ++s.begin;
            --s.end;
            trim();
        }
        return s;
    }

    // Compiles `s`; `enclosing` is reported when `s` is empty.
    std::uint8_t CompileSub(Span s, Span enclosing, int nesting) {
        if (nesting > kMaxNesting) throw ECompile(status::kNestingTooDeep, line_);
        s = Strip(s);
        Spend(s.size() + 1);
        if (s.empty()) throw ECompile(status::kEmptyOperand, std::string(Text(enclosing)));
        if (std::uint8_t type = TryLiteral(s); type != vtNone) return type;
        if (std::uint8_t type = TryNameWithoutArguments(s); type != vtNone) return type;

        for (int cls : {4, 3, 2, 1, 0}) {
            std::size_t pos = 0;
            if (const IdentifierEntry* found = FindOperator(cls, s, pos))
                return CompileOperation(*found, cls, s, pos, nesting);
        }
        throw ECompile(status::kNoMatch, std::string(Text(s)));
    }

    void AppendConstant(Value v) { expr_.Add(std::make_unique<TConstant>(&expr_, std::move(v))); }

    std::uint8_t TryLiteral(Span s) {
        const std::string_view text = Text(s);
        const auto families = KeywordFamilies();
        for (std::size_t f = 0; f < families.size(); ++f) {
            if (!expr_.familyFlags[f]) continue;
            if (const Keyword* k = FindKeyword(families[f], text)) {
                CheckKeywordForDriver(families[f].type, text);
                AppendConstant(k->text ? Value::Text(k->text) : Value::Number(k->number));
                return families[f].type;
            }
        }
        double number = 0;
        if (ReadNumberLiteral(text, number)) {
            AppendConstant(Value::Number(number));
            return vtNumber;
        }
        std::string str;
        if (ReadStringLiteral(text, str)) {
            AppendConstant(Value::Text(std::move(str)));
            return vtString;
        }
        if (hasDateSeparator_ && ReadDateLiteral(text, number)) {
            AppendConstant(Value::Date(number));
            return vtDate;
        }
        bool flag = false;
        if (ReadBooleanLiteral(text, flag)) {
            AppendConstant(Value::Boolean(flag));
            return vtBoolean;
        }
        return vtNone;
    }

    static void CheckKeywordForDriver(std::uint8_t type, std::string_view word) {
        const bool paradox = CurrentDriverKind() == DriverKind::Paradox;
        if (paradox && type == vtIndexOptions && word == "XPR") throw ENotSupportedByDriver();
        if (!paradox && type == vtTableAttribute && word == "PASSWORD")
            throw ENotSupportedByDriver();
    }

    std::uint8_t TryNameWithoutArguments(Span s) {
        const std::string name(Text(s));
        for (const IdentifierEntry* e = chain_.FindByName(name); e; e = chain_.FindByName(name, e)) {
            if (e->argTypes[0] == vtNone) {
                expr_.Add(std::make_unique<TOperation>(&expr_, e));
                return e->resultType;
            }
        }
        return vtNone;
    }

    // The entry of class `cls` whose name occurs right-most in `s` (first in chain order on a
    // tie), with its position.
    const IdentifierEntry* FindOperator(int cls, Span s, std::size_t& bestPos) const {
        const IdentifierEntry* best = nullptr;
        for (const IdentifierEntry* e = chain_.FindByClass(cls); e; e = chain_.FindByClass(cls, e)) {
            std::size_t pos = 0;
            if (!FindOccurrence(*e, cls, s, pos)) continue;
            if (!best || pos > bestPos) {
                best = e;
                bestPos = pos;
            }
        }
        return best;
    }

    // Positions (ascending) where the entry's name stands outside quotes anywhere in the line.
    // Most operators never occur, and a sub-expression is then searched only at the places where
    // its name does, instead of once per operator over the whole text at every level.
    const std::vector<std::size_t>& Occurrences(const IdentifierEntry& e) const {
        auto [it, inserted] = occurrences_.try_emplace(e.name);
        if (inserted) {
            const std::string_view name(e.name);
            for (std::size_t pos = line_.find(name); pos != std::string::npos;
                 pos = line_.find(name, pos + 1)) {
                if (!quoted_[pos]) it->second.push_back(pos);
            }
        }
        return it->second;
    }

    // Counts scanning steps; a line that needs absurdly many is refused like one nested too
    // deeply rather than keeping the caller waiting.
    void Spend(std::size_t steps) const {
        work_ += steps;
        if (work_ > kWorkBudget) throw ECompile(status::kNestingTooDeep, line_);
    }

    bool FindOccurrence(const IdentifierEntry& e, int cls, Span s, std::size_t& found) const {
        const std::string_view name(e.name);
        if (name.empty() || name.size() > s.size()) return false;
        const std::vector<std::size_t>& all = Occurrences(e);
        const int baseDepth = depth_[s.begin];
        auto it = std::upper_bound(all.begin(), all.end(), s.end - name.size());
        while (it != all.begin()) {
            const std::size_t pos = *--it;
            if (pos < s.begin) break;
            Spend(1);
            if (depth_[pos] != baseDepth) continue;
            if (!PassesBoundary(name, s, pos)) continue;
            if (cls >= 2) {
                if (pos == s.begin || pos == s.end - 1) return false;
                if ((name == "+" || name == "-") && IsExponentSign(s, pos)) continue;
            } else if (pos != s.begin) {
                return false;
            }
            found = pos;
            return true;
        }
        return false;
    }

    bool PassesBoundary(std::string_view name, Span s, std::size_t pos) const {
        const bool ident = IsIdentifierChar(static_cast<unsigned char>(name.front()));
        auto clashes = [&](char c) {
            const auto u = static_cast<unsigned char>(c);
            return ident ? IsIdentifierChar(u) : IsOperatorSymbolChar(u);
        };
        if (pos > s.begin && clashes(line_[pos - 1])) return false;
        const std::size_t after = pos + name.size();
        if (after < s.end && clashes(line_[after])) return false;
        return true;
    }

    // A "+" or "-" right after an "E" that belongs to a number such as 1E-5.
    bool IsExponentSign(Span s, std::size_t pos) const {
        const std::size_t rel = pos - s.begin;
        if (rel < 2 || pos >= s.end - 1) return false;
        if (line_[pos - 1] != 'E' && line_[pos - 1] != 'e') return false;
        std::size_t start = pos;
        while (start > s.begin) {
            const auto c = static_cast<unsigned char>(line_[start - 1]);
            if (c == ' ' || IsOperatorSymbolChar(c)) break;
            --start;
        }
        std::size_t end = pos + 1;
        while (end < s.end && line_[end] >= '0' && line_[end] <= '9') ++end;
        double ignored = 0;
        return ReadNumberLiteral(Text({start, end}), ignored);
    }

    std::uint8_t CompileOperation(const IdentifierEntry& found, int cls, Span s, std::size_t pos,
                                  int nesting) {
        const std::size_t nameLen = std::string_view(found.name).size();
        std::uint8_t types[10] = {};
        if (cls == 0) {
            const Span argText = Strip({pos + nameLen, s.end});
            const std::vector<Span> args = SplitArguments(argText);
            if (args.size() > kMaxArguments)
                throw ECompile(status::kTooManyArguments, std::string(Text(s)));
            for (std::size_t i = 0; i < args.size(); ++i)
                types[i] = CompileSub(args[i], s, nesting + 1);
        } else if (cls == 1) {
            types[0] = CompileSub({pos + nameLen, s.end}, s, nesting + 1);
        } else {
            types[0] = CompileSub({s.begin, pos}, s, nesting + 1);
            types[1] = CompileSub({pos + nameLen, s.end}, s, nesting + 1);
        }
        const IdentifierEntry* chosen = ChooseOverload(found, cls, types);
        if (!chosen) throw ECompile(status::kArgumentTypes, std::string(Text(s)));
        expr_.Add(std::make_unique<TOperation>(&expr_, chosen));
        return chosen->resultType;
    }

    std::vector<Span> SplitArguments(Span s) const {
        std::vector<Span> parts;
        const int baseDepth = depth_[s.begin];
        std::size_t start = s.begin;
        for (std::size_t i = s.begin; i < s.end; ++i) {
            if (line_[i] == ',' && !quoted_[i] && depth_[i] == baseDepth) {
                parts.push_back({start, i});
                start = i + 1;
                if (parts.size() > kMaxArguments) return parts;
            }
        }
        parts.push_back({start, s.end});
        return parts;
    }

    static bool Accepts(std::uint8_t expected, std::uint8_t actual) {
        if (expected == actual) return true;
        if (expected == vtAny) return actual != vtNone;
        if (expected == vtSimple) return actual >= vtNumber && actual <= vtBoolean;
        return false;
    }

    const IdentifierEntry* ChooseOverload(const IdentifierEntry& found, int cls,
                                          const std::uint8_t types[10]) const {
        for (const IdentifierEntry* e = &found; e; e = chain_.FindByName(found.name, e)) {
            if (SyntacticClass(*e) != cls) continue;
            bool ok = true;
            for (int i = 0; i < 10 && ok; ++i) ok = Accepts(e->argTypes[i], types[i]);
            if (ok) return e;
        }
        return nullptr;
    }

    TExpression& expr_;
    const IdentifierChain& chain_;
    std::string line_;
    std::vector<bool> quoted_;
    std::vector<int> depth_;
    std::vector<std::size_t> match_;
    bool hasDateSeparator_ = false;
    mutable std::unordered_map<std::string_view, std::vector<std::size_t>> occurrences_;
    mutable std::size_t work_ = 0;
};

std::string_view StripBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Upper-cases outside double quotes.
std::string UpperCaseOutsideQuotes(std::string_view s) {
    std::string out(s);
    bool inQuote = false;
    for (char& c : out) {
        if (c == '"') inQuote = !inQuote;
        else if (!inQuote) c = static_cast<char>(UpperCase1252(static_cast<unsigned char>(c)));
    }
    return out;
}

int CheckQuotesAndParentheses(std::string_view s) {
    if (std::count(s.begin(), s.end(), '"') % 2 != 0) return status::kOddQuotes;
    int depth = 0;
    bool inQuote = false;
    for (char c : s) {
        if (c == '"') inQuote = !inQuote;
        if (inQuote) continue;
        if (c == '(') ++depth;
        if (c == ')' && --depth < 0) return status::kUnopenedParenthesis;
    }
    return depth > 0 ? status::kUnclosedParenthesis : 0;
}

}  // namespace

void TExpression::CheckDriverRestrictions() const {
    if (CurrentDriverKind() == DriverKind::Paradox) return;
    const TFactor* restricted = FirstThat([](const TFactor& f) {
        const auto* op = dynamic_cast<const TOperation*>(&f);
        return op && op->entry && IsParadoxOnly(*op->entry);
    });
    if (restricted) throw ENotSupportedByDriver();
}

int TExpression::Compile(const std::string& line, const IdentifierChain& chain) {
    Clear();
    errorText.clear();
    try {
        std::string_view stripped = StripBlanks(line);
        std::string literal;
        if (ReadStringLiteral(stripped, literal)) {
            Add(std::make_unique<TConstant>(this, Value::Text(std::move(literal))));
            resultType = vtString;
        } else {
            const std::string upper = UpperCaseOutsideQuotes(stripped);
            if (int code = CheckQuotesAndParentheses(upper); code != 0) throw ECompile(code, upper);
            if (!upper.empty()) resultType = LineCompiler(*this, chain, upper).CompileLine();
        }
        PostCompile();
        CheckDriverRestrictions();
        source = line;
        return 0;
    } catch (const ECompile& e) {
        Clear();
        errorText = e.text();
        source = line;
        return e.code();
    } catch (...) {
        Clear();
        throw;
    }
}

}  // namespace vortab
