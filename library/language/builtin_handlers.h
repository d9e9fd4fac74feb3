// Handlers of the built-in operators and functions that compute values without a database.
// Each serves the names listed beside it and tells them apart by entry.name and argCount.
#pragma once
#include "library/language/handler.h"

namespace vortab {

// + - (binary and prefix) * / MIN MAX MOD DIV ROUND SQR SQRT ABS
void ArithmeticHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);
// = <> < > <= >=
void ComparisonHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);
// NOT AND OR (boolean forms)
void BooleanHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);
// NUM$ STR STR$ UPPER LEN POS COPY
void TextHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);
// TODAY YEAR MONTH DAY DAYOFWEEK DATE MONTHTEXT DAYTEXT
void DateHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);
// IF(condition, then, else)
void IfHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);
// OR of two index-option values
void IndexOptionOrHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);
// ERROR(n): a command whose result is n
void ErrorHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);

}  // namespace vortab
