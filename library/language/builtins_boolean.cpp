// NOT, AND and OR on booleans. AND and OR return their left operand when it decides the result;
// the evaluator has then already put an empty placeholder where the right operand would be.
#include "library/language/builtin_functions.h"
#include "library/language/builtin_handlers.h"
#include "library/language/errors.h"

namespace vortab {

Value EvaluateBoolean(std::string_view name, int argCount, const Value* args) {
    const bool a = builtin_detail::Arg(argCount, args, 0).toBoolean();
    if (name == "NOT") return Value::Boolean(!a);
    if (name == "AND") return Value::Boolean(a && builtin_detail::Arg(argCount, args, 1).toBoolean());
    if (name == "OR") return Value::Boolean(a || builtin_detail::Arg(argCount, args, 1).toBoolean());
    throw EExecution("Unknown boolean operator " + std::string(name));
}

void BooleanHandler(const IdentifierEntry& entry, TExpression&, int argCount, Value& result,
                    Value* args) {
    result = EvaluateBoolean(entry.name ? entry.name : "", argCount, args);
}

}  // namespace vortab
