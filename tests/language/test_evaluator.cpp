#include <gtest/gtest.h>

#include <cstring>

#include "library/language/expression.h"
#include "library/language/identifier_table.h"
#include "library/language/library_state.h"
#include "line_runner.h"

namespace vortab::test {
namespace {

// Counts the calls of a probe command so tests can see which operands were evaluated.
int probeCalls = 0;
void ProbeHandler(const IdentifierEntry&, TExpression&, int, Value& result, Value* args) {
    ++probeCalls;
    result = args[0];
}

// A private chain: the language's entries plus PROBE(boolean) and PROBEN(number) -> command.
const IdentifierChain& ProbeChain() {
    static IdentifierEntry probes[] = {
        MakeEntry("PROBE", 0, ProbeHandler, group::kMiscellaneous, 0, vtBoolean, {vtBoolean}),
        MakeEntry("PROBEN", 0, ProbeHandler, group::kMiscellaneous, 0, vtCommand, {vtNumber}),
    };
    static IdentifierChain chain = [] {
        IdentifierChain c = LanguageChain();
        c.RegisterAll(probes);
        return c;
    }();
    return chain;
}

RunResult RunWithProbes(const std::string& line, int& calls) {
    TExpressionSV expr;
    EXPECT_EQ(expr.Compile(line, ProbeChain()), 0) << line;
    probeCalls = 0;
    RunResult r = expr.Run();
    calls = probeCalls;
    return r;
}

TEST(Evaluator, IfRunsOnlyTheChosenBranch) {
    int calls = 0;
    RunResult r = RunWithProbes("IF(FALSE, PROBEN(1), PROBEN(2))", calls);
    EXPECT_EQ(r.value, Value::Number(2));
    EXPECT_EQ(calls, 1);
    r = RunWithProbes("IF(TRUE, PROBEN(1), PROBEN(2))", calls);
    EXPECT_EQ(r.value, Value::Number(1));
    EXPECT_EQ(calls, 1);
    r = RunWithProbes("IF(1 = 2, PROBEN(1), IF(TRUE, PROBEN(3), PROBEN(4)))", calls);
    EXPECT_EQ(r.value, Value::Number(3));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(RunLine("IF(FALSE, ERROR(1), ERROR(2))").value, Value::Number(2));
    EXPECT_EQ(RunLine("IF(TRUE, ERROR(1), ERROR(2))").value, Value::Number(1));
}

TEST(Evaluator, AndOrSkipTheUnneededOperand) {
    int calls = 0;
    EXPECT_EQ(RunWithProbes("FALSE AND PROBE(TRUE)", calls).value, Value::Boolean(false));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(RunWithProbes("TRUE OR PROBE(FALSE)", calls).value, Value::Boolean(true));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(RunWithProbes("TRUE AND PROBE(FALSE)", calls).value, Value::Boolean(false));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(RunWithProbes("FALSE OR PROBE(TRUE)", calls).value, Value::Boolean(true));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(RunWithProbes("(FALSE AND PROBE(TRUE)) OR PROBE(TRUE)", calls).value,
              Value::Boolean(true));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(RunWithProbes("NOT (TRUE OR PROBE(TRUE)) AND PROBE(TRUE)", calls).value,
              Value::Boolean(false));
    EXPECT_EQ(calls, 0);
}

TEST(Evaluator, ConstantLineIsPrecomputed) {
    TExpressionSV expr;
    ASSERT_EQ(expr.Compile("42", Library().chain), 0);
    EXPECT_TRUE(expr.expression().flags & TExpression::kPrecomputed);
    EXPECT_EQ(expr.Run().value, Value::Number(42));
    EXPECT_EQ(expr.Run().value, Value::Number(42));
    ASSERT_EQ(expr.Compile("1+1", Library().chain), 0);
    EXPECT_FALSE(expr.expression().flags & TExpression::kPrecomputed);
}

TEST(Evaluator, FailuresBecomeStatusesAndEmptyValues) {
    Outcome o = RunLine("ERROR(1/0)");
    EXPECT_EQ(o.status, 103);
    EXPECT_TRUE(o.value.isEmpty());
    EXPECT_EQ(RunLine("SQRT(-1)").status, 104);
    EXPECT_EQ(RunLine("\"a\" = 1").status, 101);
}

TEST(Evaluator, EmptyValueCountsAsZero) {
    TExpressionSV expr;
    ASSERT_EQ(expr.Compile("", Library().chain), 0);
    EXPECT_EQ(expr.ValueAsNumber(), 0);
}

TEST(IdentifierChain, OrderHashesAndInformationBlock) {
    const IdentifierChain& chain = Library().chain;
    ASSERT_NE(chain.head(), nullptr);
    EXPECT_STREQ(chain.head()->name, "DAYTEXT");
    // 13 environment functions, 24 commands, 41 operators and functions, 17 IF entries and
    // 4 date functions.
    EXPECT_EQ(chain.size(), 99);
    const IdentifierEntry* last = nullptr;
    for (const IdentifierEntry* e = chain.head(); e; e = e->next) {
        std::uint32_t sum = 0;
        for (const char* c = e->name; *c; ++c) sum += static_cast<unsigned char>(*c);
        EXPECT_EQ(e->hash, sum) << e->name;
        EXPECT_EQ(e->registrationCount, 1) << e->name;
        EXPECT_STREQ(e->helpFile, "VORTAB.HLP");
        last = e;
    }
    EXPECT_STREQ(last->name, "DIR_EXE");
    EXPECT_EQ(chain.FindByName("IF")->hash, 143u);

    const LibraryInfo& info = Library().info;
    EXPECT_EQ(info.version, 6);
    IdentifierEntry* unaligned = nullptr;
    std::memcpy(&unaligned, reinterpret_cast<const char*>(&info) + 2, sizeof unaligned);
    EXPECT_EQ(unaligned, chain.head());
}

TEST(IdentifierChain, RegisteringTwiceLinksOnce) {
    IdentifierEntry a = MakeEntry("A", 0, nullptr, group::kCommands, 0, vtNumber, {});
    IdentifierChain chain;
    chain.Register(a);
    chain.Register(a);
    EXPECT_EQ(chain.size(), 1);
    EXPECT_EQ(a.registrationCount, 2);
    EXPECT_EQ(chain.FindByName("A"), &a);
    EXPECT_EQ(chain.FindByName("B"), nullptr);
    EXPECT_EQ(chain.FindByClass(0), &a);
    EXPECT_EQ(chain.FindByClass(0, &a), nullptr);
}

TEST(IdentifierChain, IfFamilyCoversEveryType) {
    int count = 0;
    for (const IdentifierEntry* e = Library().chain.FindByName("IF"); e;
         e = Library().chain.FindByName("IF", e)) {
        ++count;
        EXPECT_EQ(e->kind, 48);
        EXPECT_EQ(e->argTypes[0], vtBoolean);
        EXPECT_EQ(e->argTypes[1], e->resultType);
        EXPECT_NE(e->resultType, vtSimple);
        EXPECT_NE(e->resultType, vtAny);
    }
    EXPECT_EQ(count, 17);
    EXPECT_EQ(RunLine("IF(TRUE, \"A\", \"B\")").type, vtString);
    EXPECT_EQ(RunLine("IF(TRUE, PRI, UNQ)").type, vtIndexOptions);
}

}  // namespace
}  // namespace vortab::test
