#include "cli/terminal_prompt.h"

#include "cli/table_access.h"
#include "cli/terminal.h"
#include "shared/text/cp1252.h"

namespace vortab::cli {

PasswordPrompt TerminalPasswordPrompt(std::function<void()> beforeAsking) {
    if (!IsInteractive()) return {};
    return [beforeAsking](const std::string& table) -> std::optional<std::string> {
        if (beforeAsking) beforeAsking();
        std::optional<std::string> typed = ReadSecret("Table " + Cp1252ToUtf8(table) + " is password protected. Password (empty gives up): ");
        if (!typed || typed->empty()) return std::nullopt;
        return PasswordTo1252(*typed);
    };
}

}  // namespace vortab::cli
