// The built-in operators and functions as pure functions of their arguments, told apart by
// name as the handlers of builtin_handlers.h are. Each handler only forwards to one of these;
// they are what the tests call. A missing argument reads as empty; an unknown name throws
// EExecution. An empty result means the function has nothing to return.
#pragma once
#include <string_view>

#include "library/language/value.h"

namespace vortab {

// + - (binary and prefix, by argCount) * / MIN MAX MOD DIV ROUND SQR SQRT ABS
Value EvaluateArithmetic(std::string_view name, int argCount, const Value* args);
// ROUND(x, n): ties to even, the power of ten computed exactly.
double RoundTo(double x, double decimals);

// = <> < > <= >=
Value EvaluateComparison(std::string_view name, const Value& a, const Value& b);
// <0, 0, >0 by the comparison rules of the language; EVariantError when the kinds cannot meet.
int CompareValues(const Value& a, const Value& b);

// NOT AND OR (boolean forms)
Value EvaluateBoolean(std::string_view name, int argCount, const Value* args);
// NUM$ STR STR$ UPPER LEN POS COPY, with the process's locale settings
Value EvaluateText(std::string_view name, int argCount, const Value* args);
// TODAY YEAR MONTH DAY DAYOFWEEK DATE MONTHTEXT DAYTEXT
Value EvaluateDate(std::string_view name, int argCount, const Value* args);

// IF, the index-option OR and ERROR.
Value EvaluateIf(const Value& condition, const Value& thenValue, const Value& elseValue);
Value IndexOptionOr(const Value& a, const Value& b);
Value ErrorResult(const Value& code);

namespace builtin_detail {
// Argument i (0-based) or an empty value when the call has fewer.
const Value& Arg(int argCount, const Value* args, int i);
// A long double result stored back as a double: EOverflow past the double range, EInvalidOp
// for NaN.
double Checked(long double result);
}  // namespace builtin_detail

}  // namespace vortab
