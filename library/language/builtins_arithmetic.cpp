// Arithmetic operators and functions. Intermediates are long double; division by zero, results
// beyond the double range and invalid operations are detected by testing operands and results,
// never through floating-point traps, so the host's FPU state is left alone.
#include <cfloat>
#include <cmath>

#include "library/language/builtin_functions.h"
#include "library/language/builtin_handlers.h"
#include "library/language/errors.h"
#include "library/language/integer_conversion.h"

namespace vortab {

namespace builtin_detail {

const Value& Arg(int argCount, const Value* args, int i) {
    static const Value kEmpty;
    return args && i < argCount ? args[i] : kEmpty;
}

double Checked(long double result) {
    if (std::isnan(result)) throw EInvalidOp();
    if (!(std::fabs(result) <= static_cast<long double>(DBL_MAX))) throw EOverflow();
    return static_cast<double>(result);
}

}  // namespace builtin_detail

using builtin_detail::Arg;
using builtin_detail::Checked;

namespace {

// "+" and "-" read a null operand as 0.
long double Operand(const Value& v) {
    return v.kind() == ValueKind::Null ? 0.0L : static_cast<long double>(v.toNumber());
}

long double Nonzero(const Value& divisor) {
    const long double b = divisor.toNumber();
    if (b == 0) throw EZeroDivide();
    return b;
}

Value Add(const Value& a, const Value& b) {
    if (a.kind() == ValueKind::Text && b.kind() == ValueKind::Text)
        return Value::Text(a.rawText() + b.rawText());
    const double sum = Checked(Operand(a) + Operand(b));
    const bool date = a.kind() == ValueKind::Date || b.kind() == ValueKind::Date;
    return date ? Value::Date(sum) : Value::Number(sum);
}

Value Subtract(const Value& a, const Value& b) {
    const double difference = Checked(Operand(a) - Operand(b));
    // date - number moves the date; date - date is a count of days.
    if (a.kind() == ValueKind::Date && b.kind() != ValueKind::Date) return Value::Date(difference);
    return Value::Number(difference);
}

}  // namespace

double RoundTo(double x, double decimals) {
    const int n = RoundToInt32(decimals);
    if (n == 0) return RoundToInt32(x);
    if (n > 0) {
        // Only the fraction is scaled, so the whole part never meets the 32-bit limit twice.
        const std::int32_t whole = TruncToInt32(x);
        const long double fraction = static_cast<long double>(x) - whole;
        const long double power = std::pow(10.0L, static_cast<long double>(n));
        if (!std::isfinite(power)) throw EInvalidOp();
        return Checked(RoundToInt32(fraction * power) / power + whole);
    }
    // Divide by the exact 10^-n rather than multiply by an inexact 10^n.
    const long double power = std::pow(10.0L, static_cast<long double>(-n));
    if (!std::isfinite(power)) return 0;
    return Checked(RoundToInt32(static_cast<long double>(x) / power) * power);
}

Value EvaluateArithmetic(std::string_view name, int argCount, const Value* args) {
    const Value& a = Arg(argCount, args, 0);
    const Value& b = Arg(argCount, args, 1);
    if (name == "+") return Add(a, b);
    if (name == "-") return argCount == 1 ? Value::Number(Checked(-Operand(a))) : Subtract(a, b);
    if (name == "ABS") return Value::Number(std::fabs(a.toNumber()));
    if (name == "SQR") {
        const long double x = a.toNumber();
        return Value::Number(Checked(x * x));
    }
    if (name == "SQRT") {
        const long double x = a.toNumber();
        if (x < 0) throw EInvalidOp();
        return Value::Number(Checked(std::sqrt(x)));
    }
    if (name == "ROUND") return Value::Number(RoundTo(a.toNumber(), b.toNumber()));

    const long double x = a.toNumber();
    if (name == "*") return Value::Number(Checked(x * static_cast<long double>(b.toNumber())));
    if (name == "MIN") return Value::Number(std::fmin(a.toNumber(), b.toNumber()));
    if (name == "MAX") return Value::Number(std::fmax(a.toNumber(), b.toNumber()));
    // The quotient is computed first, so DIV and MOD by zero fail as a division does.
    if (name == "/") return Value::Number(Checked(x / Nonzero(b)));
    if (name == "DIV") return Value::Number(TruncToInt32(x / Nonzero(b)));
    if (name == "MOD") {
        const long double y = Nonzero(b);
        return Value::Number(Checked(x - y * TruncToInt32(x / y)));
    }
    throw EExecution("Unknown arithmetic function " + std::string(name));
}

void ArithmeticHandler(const IdentifierEntry& entry, TExpression&, int argCount, Value& result,
                       Value* args) {
    result = EvaluateArithmetic(entry.name ? entry.name : "", argCount, args);
}

}  // namespace vortab
