// Test helpers: compile a line against the library's chain and run it.
#pragma once
#include <string>

#include "library/language/expression.h"
#include "library/language/library_state.h"

namespace vortab::test {

struct Outcome {
    int compileCode = 0;
    std::uint8_t type = 0;
    StatusCode status = 0;
    Value value;
};

inline Outcome RunLine(const std::string& line) {
    TExpressionSV expr;
    Outcome o;
    o.compileCode = expr.Compile(line, Library().chain);
    if (o.compileCode != 0) return o;
    o.type = expr.ResultType();
    RunResult r = expr.Run();
    o.status = r.status;
    o.value = r.value;
    return o;
}

inline int CompileCode(const std::string& line) { return RunLine(line).compileCode; }

inline double NumberOf(const std::string& line) {
    Outcome o = RunLine(line);
    return o.value.isEmpty() ? 0 : o.value.rawNumber();
}

}  // namespace vortab::test
