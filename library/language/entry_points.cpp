// The exported entry points. Each catches every failure and answers with a status code.
#include <cstring>
#include <string>

#include "library/language/expression.h"
#include "library/language/library_state.h"
#include "library/language/status_map.h"
#include "library/language/thread_driver.h"
#include "shared/vortab_api.h"

#define VORTAB_EXPORT extern "C" __attribute__((visibility("default")))

namespace vortab {
namespace {

constexpr const char* kParadoxDriver = "PARADOX";

std::string TextOf(const char* s) { return s ? std::string(s) : std::string(); }

// Steps shared by checking and executing: driver test, compile, command test.
StatusCode CompileCommand(const char* driver, const char* line, TExpressionSV& expr) {
    if (!driver || std::strcmp(driver, kParadoxDriver) != 0) return status::kWrongDriver;
    SetCurrentDriverKind(DriverKindOf(driver));
    if (int code = expr.Compile(TextOf(line), Library().chain); code != 0) return code;
    if (expr.ResultType() != vtCommand) return status::kNotACommand;
    return status::kSuccess;
}

}  // namespace
}  // namespace vortab

VORTAB_EXPORT std::int32_t VORTAB_API vortabCheckSyntax(const char* driver, const char* line) {
    try {
        vortab::TExpressionSV expr;
        return vortab::CompileCommand(driver, line, expr);
    } catch (...) {
        return vortab::FailureStatus(std::current_exception());
    }
}

VORTAB_EXPORT const LibraryInfo* VORTAB_API vortabGetInfo(const char* /*reserved*/) {
    try {
        return &vortab::Library().info;
    } catch (...) {
        return nullptr;
    }
}
