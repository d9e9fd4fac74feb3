#include "library/commands/command_support.h"

#include <limits>

#include "library/engine/engine.h"
#include "library/language/integer_conversion.h"
#include "library/language/status_map.h"

namespace vortab {

void RunCommand(Value& result, const std::function<void()>& body) {
    StatusCode code = status::kSuccess;
    try {
        body();
    } catch (...) {
        code = FailureStatus(std::current_exception());
    }
    result = Value::Number(code);
}

std::int16_t Int16Argument(const Value& v) {
    const std::int32_t n = RoundToInt32(v.toNumber());
    if (n < std::numeric_limits<std::int16_t>::min() || n > std::numeric_limits<std::int16_t>::max())
        throw engine::EngineError(engine::err::kInvalidParam, "number out of range");
    return static_cast<std::int16_t>(n);
}

std::string TextArgument(const Value& v) { return v.toText(); }

}  // namespace vortab
