// Helpers every command handler shares: argument conversions and the rule that a command
// catches its own failures and yields their status code as its value.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "library/language/value.h"

namespace vortab {

// Runs the command's body; the result is 0, or the status code of the failure it raised.
void RunCommand(Value& result, const std::function<void()>& body);

// A number argument rounded to the nearest integer; 9986 when it does not fit in 16 bits.
std::int16_t Int16Argument(const Value& v);
std::string TextArgument(const Value& v);

}  // namespace vortab
