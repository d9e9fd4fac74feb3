#include <gtest/gtest.h>

#include "library/language/errors.h"
#include "library/language/expression.h"
#include "library/language/identifier_table.h"
#include "library/language/library_state.h"
#include "library/language/thread_driver.h"
#include "line_runner.h"

namespace vortab::test {
namespace {

std::vector<std::string> FactorNames(const std::string& line) {
    TExpressionSV sv;
    EXPECT_EQ(sv.Compile(line, Library().chain), 0) << line;
    std::vector<std::string> names;
    sv.expression().ForEach([&](TFactor& f) {
        if (auto* c = dynamic_cast<TConstant*>(&f)) names.push_back(c->value.toText());
        else names.push_back(static_cast<TOperation&>(f).entry->name);
    });
    return names;
}

TEST(Compiler, PostfixOrderAndAssociativity) {
    EXPECT_EQ(FactorNames("1+2/4"), (std::vector<std::string>{"1", "2",
                                                              "4", "/", "+"}));
    EXPECT_DOUBLE_EQ(NumberOf("1+2/4"), 1.5);
    EXPECT_DOUBLE_EQ(NumberOf("10-3-2"), 5);
    EXPECT_DOUBLE_EQ(NumberOf("-3 / 2"), -1.5);
    EXPECT_DOUBLE_EQ(NumberOf("2 / (-4)"), -0.5);
    EXPECT_DOUBLE_EQ(NumberOf("1E-5/2"), 0.000005);
    EXPECT_DOUBLE_EQ(NumberOf("2*1E+2-1"), 199);
    EXPECT_DOUBLE_EQ(NumberOf("(((1)))"), 1);
    EXPECT_DOUBLE_EQ(NumberOf("SQRT 4"), 2);
    EXPECT_DOUBLE_EQ(NumberOf("SQRT(4)"), 2);
}

struct CodeCase {
    const char* line;
    int code;
};

class CompileCodes : public ::testing::TestWithParam<CodeCase> {};

TEST_P(CompileCodes, GivesTheExpectedCode) {
    EXPECT_EQ(CompileCode(GetParam().line), GetParam().code) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CompileCodes,
    ::testing::Values(CodeCase{"2 / -4", 2}, CodeCase{"2/-4", 2}, CodeCase{"2 / (-4)", 0},
                      CodeCase{"-3 / 2", 0}, CodeCase{"1 + \"a\"", 4},
                      CodeCase{"\"a\" + \"b\"", 0}, CodeCase{"1 = 1 AND TRUE", 4},
                      CodeCase{"(1 = 1) AND TRUE", 0}, CodeCase{"()", 1},
                      CodeCase{"ROUND(1,)", 1}, CodeCase{"MIN(1,2,3,4,5,6,7,8,9,10,11)", 3},
                      CodeCase{"1)", 5}, CodeCase{"(1", 6}, CodeCase{"\"", 7},
                      CodeCase{"1.2.3.4", 2}, CodeCase{"NOT NOT TRUE", 2},
                      CodeCase{"NOT (NOT TRUE)", 0}, CodeCase{"TODAY()", 1},
                      CodeCase{"TODAY", 0}, CodeCase{"PRI OR TRUE", 4},
                      CodeCase{"PRI OR UNQ", 0}, CodeCase{"TRUE OR FALSE", 0},
                      CodeCase{"IF(TRUE, \"A\", 1)", 4}, CodeCase{"BAND", 2},
                      CodeCase{"1 +", 2}, CodeCase{"", 0}, CodeCase{"   ", 0},
                      CodeCase{"SQRT", 1}, CodeCase{"1 <= 2", 0}, CodeCase{"1 < = 2", 2}));

TEST(Compiler, LiteralTypes) {
    EXPECT_EQ(RunLine("12:30").type, vtDate);
    EXPECT_EQ(RunLine("1.2.2000").type, vtDate);
    EXPECT_EQ(RunLine("1.2.2000 12:30:15").type, vtDate);
    EXPECT_EQ(RunLine("1.5").type, vtNumber);
    EXPECT_EQ(RunLine("1.2").type, vtNumber);
    EXPECT_EQ(RunLine("true").value, Value::Boolean(true));
    EXPECT_EQ(RunLine("True").type, vtBoolean);
    EXPECT_EQ(RunLine("\"true\"").value, Value::Text("true"));
    EXPECT_EQ(RunLine("\"\"\"\"\"\"").value, Value::Text("\"\""));
    EXPECT_EQ(RunLine("\"AbC\" + \"d\"").value, Value::Text("AbCd"));
    EXPECT_EQ(RunLine("PRI OR UNQ").value, Value::Number(3));
    EXPECT_EQ(RunLine("PRI OR UNQ").type, vtIndexOptions);
    EXPECT_EQ(RunLine("fldint32").value, Value::Number(6));
    EXPECT_EQ(RunLine("BLOCK_SIZE").value, Value::Text("BLOCK SIZE"));
    EXPECT_EQ(RunLine("ERROR(5)").type, vtCommand);
    EXPECT_EQ(RunLine("").type, vtNone);
}

TEST(Compiler, DriverRestrictionsOnKeywords) {
    TExpressionSV sv;
    EXPECT_THROW(sv.Compile("XPR", Library().chain), ENotSupportedByDriver);
    EXPECT_EQ(sv.expression().Count(), 0u);
    EXPECT_EQ(sv.Compile("PASSWORD", Library().chain), 0);
    SetCurrentDriverKind(DriverKind::Dbase);
    EXPECT_EQ(sv.Compile("XPR", Library().chain), 0);
    EXPECT_THROW(sv.Compile("PASSWORD", Library().chain), ENotSupportedByDriver);
    SetCurrentDriverKind(DriverKind::Paradox);
}

TEST(Compiler, ErrorTextNamesTheFailingPart) {
    TExpressionSV sv;
    EXPECT_EQ(sv.Compile("1 + (2 * \"x\")", Library().chain), 4);
    EXPECT_EQ(sv.expression().errorText, "2 * \"x\"");
    EXPECT_EQ(sv.expression().Count(), 0u);
}

TEST(Compiler, NestingLimitGivesCodeEight) {
    std::string deep = std::string(5000, '(') + "1" + std::string(5000, ')');
    EXPECT_EQ(CompileCode(deep), 0);  // stripping parentheses is not recursion
    std::string chain = "1";
    for (int i = 0; i < 3000; ++i) chain += "+1";
    EXPECT_EQ(CompileCode(chain), 8);
    std::string nested;
    for (int i = 0; i < 3000; ++i) nested += "SQRT(";
    nested += "1" + std::string(3000, ')');
    EXPECT_EQ(CompileCode(nested), 8);
}

}  // namespace
}  // namespace vortab::test
