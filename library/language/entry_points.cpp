// The exported entry points. Each catches every failure and answers with a status code.
#include <cstring>
#include <string>

#include "library/commands/database_context.h"
#include "library/commands/passwords.h"
#include "library/commands/suspended_links.h"
#include "library/engine/engine.h"
#include "library/engine/engine_session.h"
#include "library/language/expression.h"
#include "library/language/integer_conversion.h"
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

// The engine must be at least 3.5.0.21.
StatusCode EngineVersionStatus() {
    const engine::EngineVersion v = LoadedEngineVersion();
    if (v.major == 0) return status::kEngineNotInitialised;
    const std::uint16_t have[4] = {v.major, v.minor, v.release, v.build};
    const std::uint16_t need[4] = {3, 5, 0, 21};
    for (int i = 0; i < 4; ++i) {
        if (have[i] != need[i]) return have[i] > need[i] ? 0 : status::kEngineTooOld;
    }
    return status::kSuccess;
}

// What every call that works on a database does first: the engine's version, the database as
// the calling thread's, and the links that an interrupted change left suspended added back.
StatusCode OpenDatabase(const char* database, const char* driver) {
    if (StatusCode code = EngineVersionStatus(); code != 0) return code;
    UseDatabase(TextOf(database), driver);
    RestoreLeftSuspendedLinks();
    return status::kSuccess;
}

// The line's value as a status: empty is 0, anything else rounded to a 32-bit integer.
StatusCode LineStatus(const Value& value) {
    if (value.isEmpty()) return status::kSuccess;
    return RoundToInt32(value.toNumber());
}

}  // namespace
}  // namespace vortab

VORTAB_EXPORT std::int32_t VORTAB_API vortabExecLine(const char* database, const char* driver,
                                                     const char* line) {
    try {
        vortab::TExpressionSV expr;
        if (vortab::StatusCode code = vortab::CompileCommand(driver, line, expr); code != 0)
            return code;
        if (vortab::StatusCode code = vortab::OpenDatabase(database, driver); code != 0) return code;
        vortab::RunResult result = expr.Run();
        if (result.status != 0) return result.status;
        return vortab::LineStatus(result.value);
    } catch (...) {
        return vortab::FailureStatus(std::current_exception());
    }
}

VORTAB_EXPORT std::int32_t VORTAB_API vortabRestoreLinks(const char* database, const char* driver) {
    try {
        if (!driver || std::strcmp(driver, vortab::kParadoxDriver) != 0) return vortab::status::kWrongDriver;
        return vortab::OpenDatabase(database, driver);
    } catch (...) {
        return vortab::FailureStatus(std::current_exception());
    }
}

VORTAB_EXPORT void VORTAB_API vortabAddPassword(const char* password) {
    try {
        vortab::AddKnownPassword(vortab::TextOf(password));
    } catch (...) {
    }
}

VORTAB_EXPORT VortabPasswordCallback VORTAB_API
vortabRegisterPswdCallback(VortabPasswordCallback callback) {
    return vortab::ExchangePasswordCallback(callback);
}

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
