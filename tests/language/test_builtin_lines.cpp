// The built-in functions end to end: script lines compiled against the library's chain and
// run, so each handler is reached under its names and its failures become the run's status.
#include <gtest/gtest.h>

#include <cstdlib>

#include "line_runner.h"

namespace vortab::test {
namespace {

const bool kPinned = setenv("LC_ALL", "C", 1) == 0;

struct LineCase {
    const char* line;
    int status;
    Value value;  // when status is 0
};

TEST(BuiltinLines, ValuesAndStatuses) {
    ASSERT_TRUE(kPinned);
    const Value N0 = Value::Number(0);
    const LineCase cases[] = {
        {"ROUND(2.5, 0)", 0, Value::Number(2)},
        {"ROUND(3.5, 0)", 0, Value::Number(4)},
        {"ROUND(-2.5, 0)", 0, Value::Number(-2)},
        {"ROUND(1.25, 1)", 0, Value::Number(1.2)},
        {"ROUND(1234, -2)", 0, Value::Number(1200)},
        {"7 DIV 2", 0, Value::Number(3)},
        {"-7 DIV 2", 0, Value::Number(-3)},
        {"-7 MOD 2", 0, Value::Number(-1)},
        {"7 MOD (-2)", 0, Value::Number(1)},
        {"5.5 MOD 2", 0, Value::Number(1.5)},
        {"2 * 3 - 4 / 8", 0, Value::Number(5.5)},
        {"MIN(3, -4) + MAX(3, -4) + ABS(-2) + SQR(3) + SQRT(16)", 0, Value::Number(14)},
        {"1 / 0", 103, {}},
        {"1 DIV 0", 103, {}},
        {"1 MOD 0", 103, {}},
        {"SQRT(-1)", 104, {}},
        {"ROUND(0.5, 20)", 104, {}},
        {"1E300 * 1E300", 102, {}},
        {"POS(\"X\", \"ABC\")", 0, N0},
        {"POS(\"C\", \"ABC\")", 0, Value::Number(3)},
        {"COPY(\"ABCDEF\", 2, 3)", 0, Value::Text("BCD")},
        {"COPY(\"ABCDEF\", 10, 3)", 0, Value::Text("")},
        {"UPPER(\"abc\") + STR$(1.5) + STR$(TRUE)", 0, Value::Text("ABC1.5True")},
        {"LEN(\"abc\")", 0, Value::Number(3)},
        {"STR(1234.5, 10, 2)", 0, Value::Text("   1234.50")},
        {"NUM$(4, 1, 0.125)", 0, Value::Text("12.5%")},
        {"NUM$(5, 1, 1)", 100, {}},
        {"DATE(31, 12, 1999) + 1 = DATE(1, 1, 2000)", 0, Value::Boolean(true)},
        {"DATE(1, 3, 2000) - DATE(1, 2, 2000)", 0, Value::Number(29)},
        {"YEAR(DATE(2, 1, 2000) - 2) * 100 + MONTH(DATE(2, 1, 2000))", 0, Value::Number(199901)},
        {"DAY(DATE(29, 2, 2000))", 0, Value::Number(29)},
        {"DAYOFWEEK(DATE(2, 1, 2000))", 0, Value::Number(1)},
        {"DATE(31, 2, 2000)", 100, {}},
        {"MONTHTEXT(3) + DAYTEXT(2)", 0, Value::Text("MarchMonday")},
        {"MONTHTEXT(13)", 0, {}},
        {"DAYTEXT(0)", 0, {}},
        {"YEAR(TODAY) > 2000", 0, Value::Boolean(true)},
        {"IF(1 = 1, \"A\", \"B\")", 0, Value::Text("A")},
        {"IF(1 > 2, \"A\", \"B\")", 0, Value::Text("B")},
        {"\"A\" = 1", 101, {}},
        {"\"12\" = 12", 0, Value::Boolean(true)},
        {"\"ABC\" < \"ABD\"", 0, Value::Boolean(true)},
        {"\"a\" <> \"A\"", 0, Value::Boolean(true)},
        {"2 >= 2", 0, Value::Boolean(true)},
        {"2 <= 1", 0, Value::Boolean(false)},
        {"NOT (TRUE AND FALSE) OR FALSE", 0, Value::Boolean(true)},
        {"PRI OR UNQ", 0, Value::Number(3)},
        {"ERROR(7)", 0, Value::Number(7)},
        {"IF(FALSE, ERROR(1), ERROR(2 / 0))", 103, {}},
    };
    for (const LineCase& c : cases) {
        const Outcome o = RunLine(c.line);
        ASSERT_EQ(o.compileCode, 0) << c.line;
        EXPECT_EQ(o.status, c.status) << c.line;
        if (c.status == 0) {
            EXPECT_EQ(o.value, c.value) << c.line;
        } else {
            EXPECT_TRUE(o.value.isEmpty()) << c.line;
        }
    }
}

}  // namespace
}  // namespace vortab::test
