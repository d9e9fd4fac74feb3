// The built-in operators and functions through their pure forms, by name as the evaluator
// calls them: results, and the status each failure must end a run with.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "library/language/builtin_functions.h"
#include "library/language/date_calc.h"
#include "library/language/errors.h"

namespace vortab {
namespace {

const bool kPinned = setenv("LC_ALL", "C", 1) == 0;

Value N(double n) { return Value::Number(n); }
Value T(const char* s) { return Value::Text(s); }
Value B(bool b) { return Value::Boolean(b); }
Value D(int day, int month, int year) {
    double d = 0;
    EXPECT_TRUE(EncodeDate(year, month, day, d));
    return Value::Date(d);
}
const Value kNull = Value::Null();

// The status the evaluation loop gives each failure class; 0 when nothing was thrown.
int StatusOf(const std::function<void()>& f) {
    try {
        f();
        return 0;
    } catch (const EVariantError&) {
        return 101;
    } catch (const EOverflow&) {
        return 102;
    } catch (const EZeroDivide&) {
        return 103;
    } catch (const EInvalidOp&) {
        return 104;
    } catch (const std::exception&) {
        return 100;
    }
}

std::string Show(const Value& v) {
    if (v.kind() == ValueKind::Empty || v.kind() == ValueKind::Null) return "<empty/null>";
    if (v.kind() == ValueKind::Date) return "date " + std::to_string(v.rawNumber());
    return v.toText();
}

// A call and either its result (status 0) or the status it fails with.
struct Case {
    const char* name;
    std::vector<Value> args;
    Value expected;
    int status = 0;
};

void Check(Value (*evaluate)(std::string_view, int, const Value*), const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        std::string call = c.name;
        for (const Value& a : c.args) call += " " + Show(a);
        Value result;
        const int status = StatusOf([&] {
            result = evaluate(c.name, static_cast<int>(c.args.size()), c.args.data());
        });
        EXPECT_EQ(status, c.status) << call;
        if (c.status == 0) {
            EXPECT_EQ(result, c.expected) << call << " gave " << Show(result);
        }
    }
}

TEST(Arithmetic, Operators) {
    Check(EvaluateArithmetic, {
        {"+", {N(1), N(2)}, N(3)}, {"+", {N(0.1), N(0.2)}, N(0.1 + 0.2)},
        {"+", {kNull, N(2)}, N(2)}, {"+", {N(2), kNull}, N(2)}, {"-", {kNull, N(7)}, N(-7)},
        {"+", {T("AB"), T("CD")}, T("ABCD")}, {"+", {T("1"), N(1)}, N(2)},
        {"+", {D(31, 12, 1999), N(1)}, D(1, 1, 2000)}, {"+", {N(1), D(31, 12, 1999)}, D(1, 1, 2000)},
        {"-", {D(1, 3, 2000), N(1)}, D(29, 2, 2000)}, {"-", {D(1, 3, 2000), D(1, 2, 2000)}, N(29)},
        {"-", {N(5)}, N(-5)}, {"-", {N(5), N(7)}, N(-2)}, {"*", {N(6), N(7)}, N(42)},
        {"/", {N(7), N(2)}, N(3.5)}, {"/", {N(1), N(3)}, N(1.0 / 3)},
        {"DIV", {N(7), N(2)}, N(3)}, {"DIV", {N(-7), N(2)}, N(-3)}, {"DIV", {N(7.9), N(-1)}, N(-7)},
        {"MOD", {N(-7), N(2)}, N(-1)}, {"MOD", {N(7), N(-2)}, N(1)}, {"MOD", {N(5.5), N(2)}, N(1.5)},
        {"MIN", {N(3), N(-4)}, N(-4)}, {"MAX", {N(3), N(-4)}, N(3)}, {"ABS", {N(-2.5)}, N(2.5)},
        {"SQR", {N(-3)}, N(9)}, {"SQRT", {N(16)}, N(4)}, {"SQRT", {N(0)}, N(0)},
        {"*", {N(1e-200), N(1e-200)}, N(0)},  // underflow raises nothing
        {"/", {N(DBL_MAX), N(2)}, N(DBL_MAX / 2)},
        {"DIV", {N(2147483647), N(1)}, N(2147483647)}, {"DIV", {N(-2147483648.0), N(1)}, N(-2147483648.0)},
    });
}

TEST(Arithmetic, Failures) {
    Check(EvaluateArithmetic, {
        {"/", {N(1), N(0)}, {}, 103}, {"/", {N(0), N(0)}, {}, 103},
        {"DIV", {N(1), N(0)}, {}, 103}, {"MOD", {N(1), N(0)}, {}, 103},
        {"MOD", {N(1e10), N(0)}, {}, 103},  // the quotient is computed first
        {"SQRT", {N(-1)}, {}, 104}, {"DIV", {N(2147483648.0), N(1)}, {}, 104},
        {"MOD", {N(1e10), N(3)}, {}, 104},
        {"*", {N(1e200), N(1e200)}, {}, 102}, {"*", {N(-1e200), N(1e200)}, {}, 102},
        {"+", {N(DBL_MAX), N(DBL_MAX)}, {}, 102}, {"-", {N(-DBL_MAX), N(DBL_MAX)}, {}, 102},
        {"/", {N(1e300), N(1e-300)}, {}, 102}, {"SQR", {N(1e200)}, {}, 102},
        {"+", {T("x"), N(1)}, {}, 101}, {"*", {kNull, N(1)}, {}, 101}, {"NOSUCH", {N(1)}, {}, 100},
    });
}

TEST(Arithmetic, Round) {
    Check(EvaluateArithmetic, {
        {"ROUND", {N(2.5), N(0)}, N(2)}, {"ROUND", {N(3.5), N(0)}, N(4)},
        {"ROUND", {N(-2.5), N(0)}, N(-2)}, {"ROUND", {N(1.25), N(1)}, N(1.2)},
        {"ROUND", {N(1.35), N(1)}, N(1.4)}, {"ROUND", {N(-1.25), N(1)}, N(-1.2)},
        {"ROUND", {N(1.375), N(2)}, N(1.38)},  // exact tie: needs 10^2 exactly, not 2^(2*log2 10)
        {"ROUND", {N(-1.375), N(2)}, N(-1.38)},
        {"ROUND", {N(1234), N(-2)}, N(1200)}, {"ROUND", {N(1250), N(-2)}, N(1200)},
        {"ROUND", {N(1350), N(-2)}, N(1400)},
        {"ROUND", {N(2.675), N(2)}, N(2.67)},  // 2.675 is stored below the tie
        {"ROUND", {N(1234.5678), N(2)}, N(1234.57)},
        {"ROUND", {N(0.123456789), N(8)}, N(0.12345679)},
        {"ROUND", {N(5e9), N(-9)}, N(5e9)},  // only x / 10^9 must fit 32 bits
        {"ROUND", {N(1234), N(-5000)}, N(0)},
        {"ROUND", {N(2.5), N(0.4)}, N(2)},   // the decimals are rounded too
        {"ROUND", {N(3e9), N(0)}, {}, 104}, {"ROUND", {N(3e9), N(1)}, {}, 104},
        {"ROUND", {N(0.5), N(20)}, {}, 104},  // too many decimals
        {"ROUND", {N(3), N(5000)}, {}, 104},
        {"ROUND", {N(1.7e308), N(-308)}, {}, 102},  // 2E+308 does not fit a double
    });
}

TEST(Comparison, OrderOfMixedKinds) {
    const struct {
        Value a, b;
        int order;  // sign of a compared with b
    } cases[] = {
        {N(1), N(2), -1}, {N(2), N(2), 0}, {N(-1), N(-2), 1},
        {T("A"), T("B"), -1}, {T("ABC"), T("ABC"), 0},
        {T("12"), N(12), 0}, {N(9), T("10"), -1},  // a text meets a number as a number
        {T(" 2.5 "), N(2.5), 0},
        {D(1, 1, 2000), D(2, 1, 2000), -1}, {D(1, 1, 2000), N(36526), 0},
        {T("01/01/2000"), D(1, 1, 2000), 0},
        {B(false), B(true), -1}, {B(true), B(true), 0}, {B(true), T("TRUE"), 0},
        {B(true), N(5), 0}, {B(false), N(0), 0},  // a number meets a boolean as a boolean
        {Value(), N(0), 0}, {Value(), T(""), 0}, {Value(), T("A"), -1}, {Value(), B(false), 0},
        {Value(), Value(), 0}, {N(7), Value(), 1}, {kNull, kNull, 0},
    };
    setenv("VORTAB_DATE_ORDER", "MDY", 1);
    for (const auto& c : cases) {
        const std::string call = Show(c.a) + " vs " + Show(c.b);
        EXPECT_EQ(CompareValues(c.a, c.b), c.order) << call;
        EXPECT_EQ(CompareValues(c.b, c.a), -c.order) << call << " reversed";
        const struct {
            const char* op;
            bool holds;
        } ops[] = {{"=", c.order == 0}, {"<>", c.order != 0}, {"<", c.order < 0},
                   {">", c.order > 0},  {"<=", c.order <= 0}, {">=", c.order >= 0}};
        for (const auto& op : ops) EXPECT_EQ(EvaluateComparison(op.op, c.a, c.b), B(op.holds)) << call;
    }
    unsetenv("VORTAB_DATE_ORDER");
    EXPECT_NE(CompareValues(T("a"), T("A")), 0);  // case-sensitive
}

TEST(Comparison, MismatchedKindsRaiseTheVariantError) {
    const struct {
        Value a, b;
    } cases[] = {{T("ABC"), N(1)}, {N(1), T("1x")}, {T("yes"), B(true)},
                 {T("31/31/2000"), D(1, 1, 2000)}, {kNull, N(1)}, {T("A"), kNull}};
    for (const auto& c : cases)
        EXPECT_EQ(StatusOf([&] { EvaluateComparison("=", c.a, c.b); }), 101) << Show(c.a) << " vs " << Show(c.b);
    EXPECT_EQ(StatusOf([] { EvaluateComparison("=~", N(1), N(1)); }), 100);
}

TEST(Boolean, OperatorsAndSkippedOperands) {
    Check(EvaluateBoolean, {
        {"NOT", {B(true)}, B(false)}, {"NOT", {B(false)}, B(true)},
        {"AND", {B(true), B(true)}, B(true)}, {"AND", {B(true), B(false)}, B(false)},
        {"AND", {B(false), Value()}, B(false)},  // right operand skipped
        {"OR", {B(false), B(true)}, B(true)}, {"OR", {B(false), B(false)}, B(false)},
        {"OR", {B(true), Value()}, B(true)},
    });
}

TEST(Misc, IfIndexOptionsAndError) {
    EXPECT_EQ(EvaluateIf(B(true), T("A"), Value()), T("A"));
    EXPECT_EQ(EvaluateIf(B(false), Value(), N(2)), N(2));
    EXPECT_EQ(IndexOptionOr(N(1), N(2)), N(3));
    EXPECT_EQ(IndexOptionOr(N(2), N(2)), N(2));
    EXPECT_EQ(IndexOptionOr(N(1.5), N(4)), N(6));  // 1.5 rounds to 2
    EXPECT_EQ(StatusOf([] { IndexOptionOr(N(1e10), N(1)); }), 104);
    EXPECT_EQ(ErrorResult(N(-1)), N(-1));
}

TEST(Text, Functions) {
    Check(EvaluateText, {
        {"POS", {T("CD"), T("ABCDEF")}, N(3)}, {"POS", {T("X"), T("ABCDEF")}, N(0)},
        {"POS", {T(""), T("ABCDEF")}, N(0)}, {"POS", {T("cd"), T("ABCDEF")}, N(0)},
        {"POS", {T("A"), T("BAA")}, N(2)},
        {"COPY", {T("ABCDEF"), N(2), N(3)}, T("BCD")}, {"COPY", {T("ABCDEF"), N(10), N(3)}, T("")},
        {"COPY", {T("ABCDEF"), N(6), N(3)}, T("F")}, {"COPY", {T("ABCDEF"), N(7), N(1)}, T("")},
        {"COPY", {T("ABCDEF"), N(0), N(2)}, T("AB")}, {"COPY", {T("ABCDEF"), N(-5), N(2)}, T("AB")},
        {"COPY", {T("ABCDEF"), N(2), N(0)}, T("")}, {"COPY", {T("ABCDEF"), N(2), N(-1)}, T("")},
        {"COPY", {T("ABCDEF"), N(2.9), N(2.9)}, T("BC")},  // truncated
        {"COPY", {T("ABCDEF"), N(2), N(2147483647)}, T("BCDEF")},
        {"COPY", {T("A"), N(1e10), N(1)}, {}, 104},
        {"LEN", {T("")}, N(0)}, {"LEN", {T("AB\xE4")}, N(3)},
        {"UPPER", {T("abc\xE4\xFF\x9A")}, T("ABC\xC4\x9F\x8A")},
        {"STR$", {T("as is")}, T("as is")}, {"STR$", {N(1.5)}, T("1.5")},
        {"STR$", {B(true)}, T("True")}, {"STR$", {D(31, 12, 1999)}, T("12/31/1999")},
        {"STR$", {kNull}, {}, 101},
        {"STR", {N(1234.5), N(10.9), N(2.9)}, T("   1234.50")},  // "C": no thousands separator
        {"STR", {N(1), N(1e10), N(0)}, {}, 104}, {"STR", {N(1), N(100000), N(0)}, {}, 104},
        {"NUM$", {N(4), N(1), N(0.125)}, T("12.5%")},
        {"NUM$", {N(0.4), N(1.5), N(1)}, T("1.00")},  // style and decimals rounded
        {"NUM$", {N(5), N(1), N(1)}, {}, 100}, {"NUM$", {N(0), N(-1), N(1)}, {}, 100},
        {"NUM$", {N(1e10), N(1), N(1)}, {}, 104}, {"LEFT", {T("A")}, {}, 100},
    });
}

TEST(Date, Functions) {
    ASSERT_TRUE(kPinned);
    Check(EvaluateDate, {
        {"DATE", {N(31), N(12), N(1999)}, D(31, 12, 1999)},
        {"DATE", {N(1), N(1), N(1)}, Value::Date(kMinDateDay)},
        {"DATE", {N(31), N(12), N(9999)}, Value::Date(kMaxDateDay)},
        {"DATE", {N(30.6), N(12), N(1899)}, Value::Date(1)},  // taken as whole numbers
        {"DATE", {N(31), N(2), N(2000)}, {}, 100}, {"DATE", {N(29), N(2), N(1900)}, {}, 100},
        {"DATE", {N(1), N(13), N(2000)}, {}, 100}, {"DATE", {N(0), N(1), N(2000)}, {}, 100},
        {"DATE", {N(1), N(1), N(0)}, {}, 100}, {"DATE", {N(1), N(1), N(10000)}, {}, 100},
        {"DATE", {N(1), N(1), N(1e10)}, {}, 104},
        {"YEAR", {D(31, 12, 1999)}, N(1999)}, {"MONTH", {D(31, 12, 1999)}, N(12)},
        {"DAY", {D(31, 12, 1999)}, N(31)}, {"DAY", {Value::Date(-1.25)}, N(29)},
        {"YEAR", {Value::Date(kMinDateDay - 1)}, N(0)}, {"YEAR", {Value::Date(1e9)}, N(0)},
        {"YEAR", {T("not a date")}, {}, 101},
        {"DAYOFWEEK", {D(2, 1, 2000)}, N(1)}, {"DAYOFWEEK", {D(1, 1, 2000)}, N(7)},
        {"MONTHTEXT", {N(1)}, T("January")}, {"MONTHTEXT", {N(12)}, T("December")},
        {"MONTHTEXT", {N(13)}, Value()}, {"MONTHTEXT", {N(0)}, Value()},
        {"MONTHTEXT", {N(1e10)}, {}, 104},
        {"DAYTEXT", {N(1)}, T("Sunday")}, {"DAYTEXT", {N(7)}, T("Saturday")},
        {"DAYTEXT", {N(0)}, Value()}, {"DAYTEXT", {N(8)}, Value()},
        {"TODAY", {}, Value::Date(Today())}, {"WEEK", {N(1)}, {}, 100},
    });
}

TEST(Builtins, MissingArgumentsReadAsEmpty) {
    EXPECT_EQ(EvaluateArithmetic("+", 1, nullptr), N(0));
    EXPECT_EQ(EvaluateText("LEN", 0, nullptr), N(0));
    EXPECT_EQ(EvaluateBoolean("NOT", 0, nullptr), B(true));
}

}  // namespace
}  // namespace vortab
