// Text functions. Positions and lengths count bytes of the 8-bit text; STR and NUM$ format with
// the process's locale settings (number_format.h).
#include "library/language/builtin_functions.h"
#include "library/language/builtin_handlers.h"
#include "library/language/errors.h"
#include "library/language/integer_conversion.h"
#include "library/language/locale_settings.h"
#include "library/language/number_format.h"
#include "shared/text/case_fold.h"

namespace vortab {

namespace {

// COPY: `count` bytes from the 1-based `start`; a start below 1 counts as 1.
std::string CopyText(const std::string& s, std::int32_t start, std::int32_t count) {
    if (start < 1) start = 1;
    if (count <= 0 || static_cast<std::size_t>(start) > s.size()) return {};
    return s.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(count));
}

double Position(const std::string& sub, const std::string& s) {
    if (sub.empty()) return 0;
    const std::size_t at = s.find(sub);
    return at == std::string::npos ? 0 : static_cast<double>(at + 1);
}

}  // namespace

Value EvaluateText(std::string_view name, int argCount, const Value* args) {
    const auto arg = [&](int i) -> const Value& { return builtin_detail::Arg(argCount, args, i); };
    if (name == "STR$") {
        if (arg(0).kind() == ValueKind::Text) return arg(0);
        return Value::Text(arg(0).toText());
    }
    if (name == "UPPER") return Value::Text(UpperCase1252(arg(0).toText()));
    if (name == "LEN") return Value::Number(static_cast<double>(arg(0).toText().size()));
    if (name == "POS") return Value::Number(Position(arg(0).toText(), arg(1).toText()));
    if (name == "COPY")
        return Value::Text(CopyText(arg(0).toText(), TruncToInt32(arg(1).toNumber()),
                                    TruncToInt32(arg(2).toNumber())));
    if (name == "STR")
        return Value::Text(FormatStr(arg(0).toNumber(), TruncToInt32(arg(1).toNumber()),
                                     TruncToInt32(arg(2).toNumber()), Locale()));
    if (name == "NUM$")
        return Value::Text(FormatNum(RoundToInt32(arg(0).toNumber()),
                                     RoundToInt32(arg(1).toNumber()), arg(2).toNumber(), Locale()));
    throw EExecution("Unknown text function " + std::string(name));
}

void TextHandler(const IdentifierEntry& entry, TExpression&, int argCount, Value& result,
                 Value* args) {
    result = EvaluateText(entry.name ? entry.name : "", argCount, args);
}

}  // namespace vortab
