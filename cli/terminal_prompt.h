// The password prompt of the tool: at a terminal, "Table T is password protected" and the
// password read without echo; without a terminal there is none (the table fails with 10498).
#pragma once
#include <functional>

#include "editor/runner/password_prompt.h"

namespace vortab::cli {

// beforeAsking runs first (it takes a progress bar off the line); may be empty.
PasswordPrompt TerminalPasswordPrompt(std::function<void()> beforeAsking = {});

}  // namespace vortab::cli
