// The programs' texts for the library's status codes: engine codes (8448 and up) take the
// engine's own message; the others come from a fixed table, wrapped in "Error in parsing
// command: ..." (1..99) or "Error in executing command: ..." (100 and up).
#pragma once
#include <string>

#include "shared/status_code.h"

namespace vortab {

std::string StatusMessage(StatusCode code);

}  // namespace vortab
