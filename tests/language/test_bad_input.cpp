// Any byte string as a line gives a status code: never a crash, a hang or an exception.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "library/language/expression.h"
#include "library/language/library_state.h"
#include "library/language/status_map.h"

namespace vortab::test {
namespace {

// Compiles and, when that succeeds, runs the line; returns the code it ended with.
int CompileAndRun(const std::string& line) {
    try {
        TExpressionSV expr;
        if (int code = expr.Compile(line, Library().chain); code != 0) return code;
        return expr.Run().status;
    } catch (...) {
        return FailureStatus(std::current_exception());
    }
}

bool IsKnownCode(int code) {
    return (code >= 0 && code <= 11) || (code >= 100 && code <= 104);
}

const std::vector<std::string> kSeeds = {
    "IF(1 = 1, ERROR(1), ERROR(2))",
    "ROUND(1234.5678, 2) + SQRT(16) * (-3) / (2 - 1)",
    "\"ab\"\"c\" + UPPER(\"x\") + STR$(1.5) + COPY(\"ABCDEF\", 2, 3)",
    "DATE(31, 12, 1999) + 1 - 1.2.2000 12:30:15",
    "(TRUE OR FALSE) AND NOT (1 <= 2) OR (\"a\" <> \"b\")",
    "PRI OR UNQ OR DES",
    "NUM$(4, 1, 0.125) + STR(1234.5, 10, 2)",
    "MONTHTEXT(MONTH(TODAY)) + DAYTEXT(DAYOFWEEK(TODAY))",
    "7 DIV 2 + (-7 MOD 2) + MIN(1, MAX(2, ABS(-3)))",
};

std::string Mutate(std::string line, std::mt19937& rng) {
    static const std::string kAlphabet = "()\",.:+-*/<>= ETRUFALSNODIV0123456789\t\x01\xff\xe9";
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < edits; ++i) {
        const std::size_t pos = line.empty() ? 0 : rng() % line.size();
        switch (rng() % 4) {
            case 0:
                if (!line.empty()) line.erase(pos, 1 + rng() % 3);
                break;
            case 1:
                line.insert(pos, 1, kAlphabet[rng() % kAlphabet.size()]);
                break;
            case 2:
                if (!line.empty()) line[pos] = static_cast<char>(rng() % 256);
                break;
            default:
                line.insert(pos, line.substr(rng() % (line.size() + 1), rng() % 12));
                break;
        }
    }
    return line;
}

TEST(BadInput, RandomBytesGiveStatusCodes) {
    std::mt19937 rng(12345);
    for (int i = 0; i < 20000; ++i) {
        std::string line(rng() % 64, '\0');
        for (char& c : line) c = static_cast<char>(rng() % 256);
        const int code = CompileAndRun(line);
        ASSERT_TRUE(IsKnownCode(code)) << code;
    }
}

TEST(BadInput, MutatedLinesGiveStatusCodes) {
    std::mt19937 rng(777);
    for (int i = 0; i < 30000; ++i) {
        const std::string line = Mutate(kSeeds[rng() % kSeeds.size()], rng);
        const int code = CompileAndRun(line);
        ASSERT_TRUE(IsKnownCode(code)) << code << " for " << line;
    }
}

TEST(BadInput, SeedsThemselvesRun) {
    for (const std::string& line : kSeeds) EXPECT_EQ(CompileAndRun(line), 0) << line;
}

TEST(BadInput, ExtremeShapesEndQuickly) {
    const std::vector<std::string> lines = {
        std::string(200000, '('),
        std::string(200000, ')'),
        std::string(100000, '(') + std::string(100000, ')'),
        std::string(100001, '"'),
        std::string(200000, '1'),
        std::string(200000, '-') + "1",
        [] { std::string s; for (int i = 0; i < 50000; ++i) s += "(1=1)+"; return s + "1"; }(),
        [] { std::string s; for (int i = 0; i < 30000; ++i) s += "NOT "; return s + "TRUE"; }(),
        [] { std::string s; for (int i = 0; i < 20000; ++i) s += "IF(TRUE,"; return s; }(),
        [] { std::string s = "\""; s += std::string(100000, 'x'); return s + "\""; }(),
        std::string(100000, '\xff'),
    };
    for (const std::string& line : lines) EXPECT_TRUE(IsKnownCode(CompileAndRun(line)));
}

}  // namespace
}  // namespace vortab::test
