// IF, the OR of index options and the ERROR command.
#include "library/language/builtin_functions.h"
#include "library/language/builtin_handlers.h"
#include "library/language/integer_conversion.h"

namespace vortab {

using builtin_detail::Arg;

Value EvaluateIf(const Value& condition, const Value& thenValue, const Value& elseValue) {
    // The branch not taken arrives as the evaluator's empty placeholder.
    return condition.toBoolean() ? thenValue : elseValue;
}

Value IndexOptionOr(const Value& a, const Value& b) {
    return Value::Number(RoundToInt32(a.toNumber()) | RoundToInt32(b.toNumber()));
}

Value ErrorResult(const Value& code) { return Value::Number(code.toNumber()); }

void IfHandler(const IdentifierEntry&, TExpression&, int argCount, Value& result, Value* args) {
    result = EvaluateIf(Arg(argCount, args, 0), Arg(argCount, args, 1), Arg(argCount, args, 2));
}

void IndexOptionOrHandler(const IdentifierEntry&, TExpression&, int argCount, Value& result,
                          Value* args) {
    result = IndexOptionOr(Arg(argCount, args, 0), Arg(argCount, args, 1));
}

void ErrorHandler(const IdentifierEntry&, TExpression&, int argCount, Value& result, Value* args) {
    result = ErrorResult(Arg(argCount, args, 0));
}

}  // namespace vortab
