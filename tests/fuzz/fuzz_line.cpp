// Fuzz target: one script line through the syntax check, then compiled and, when it calls no
// database command, evaluated (functions, operators, literals, conversions).
#include <cstdint>
#include <string>

#include "library/language/expression.h"
#include "library/language/library_state.h"
#include "shared/vortab_api.h"

namespace {

bool CallsACommand(vortab::TExpression& expression) {
    return expression.FirstThat([](vortab::TFactor& factor) {
        auto* operation = dynamic_cast<vortab::TOperation*>(&factor);
        return operation && operation->entry->resultType == vtCommand;
    }) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    (void)vortabCheckSyntax("PARADOX", line.c_str());
    try {
        vortab::TExpressionSV expression;
        if (expression.Compile(line.c_str(), vortab::Library().chain) != 0) return 0;
        if (!CallsACommand(expression.expression())) (void)expression.Run();
    } catch (...) {
        // compile-time refusals (driver restrictions and the like) are thrown; they are answers
    }
    return 0;
}
