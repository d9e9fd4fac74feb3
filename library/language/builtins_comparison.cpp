// Comparison operators. Two texts compare by the locale's collation; otherwise the operands meet
// as booleans when either is a boolean, else as numbers (dates and numeric keyword values are
// numbers too), a text or an empty operand being converted to the other operand's kind.
#include "library/language/builtin_functions.h"
#include "library/language/builtin_handlers.h"
#include "library/language/errors.h"
#include "library/language/locale_settings.h"

namespace vortab {

int CompareValues(const Value& a, const Value& b) {
    const ValueKind ka = a.kind(), kb = b.kind();
    if (ka == ValueKind::Null || kb == ValueKind::Null) {
        if (ka == kb) return 0;
        throw EVariantError();
    }
    if (ka == ValueKind::Empty && kb == ValueKind::Empty) return 0;
    // Texts, and a text against empty (which becomes "").
    if ((ka == ValueKind::Text || ka == ValueKind::Empty) &&
        (kb == ValueKind::Text || kb == ValueKind::Empty))
        return CollateCompare(a.toText(), b.toText());
    if (ka == ValueKind::Boolean || kb == ValueKind::Boolean) {
        const bool x = a.toBoolean(), y = b.toBoolean();
        return x == y ? 0 : (x ? 1 : -1);  // FALSE < TRUE
    }
    // A text meets a date as a date and a number as a number.
    const double x = ka == ValueKind::Text && kb == ValueKind::Date ? a.toDate() : a.toNumber();
    const double y = kb == ValueKind::Text && ka == ValueKind::Date ? b.toDate() : b.toNumber();
    return x < y ? -1 : (x > y ? 1 : 0);
}

Value EvaluateComparison(std::string_view name, const Value& a, const Value& b) {
    const int c = CompareValues(a, b);
    if (name == "=") return Value::Boolean(c == 0);
    if (name == "<>") return Value::Boolean(c != 0);
    if (name == "<") return Value::Boolean(c < 0);
    if (name == ">") return Value::Boolean(c > 0);
    if (name == "<=") return Value::Boolean(c <= 0);
    if (name == ">=") return Value::Boolean(c >= 0);
    throw EExecution("Unknown comparison " + std::string(name));
}

void ComparisonHandler(const IdentifierEntry& entry, TExpression&, int argCount, Value& result,
                       Value* args) {
    result = EvaluateComparison(entry.name ? entry.name : "", builtin_detail::Arg(argCount, args, 0),
                                builtin_detail::Arg(argCount, args, 1));
}

}  // namespace vortab
