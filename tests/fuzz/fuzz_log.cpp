// Fuzz target: an upgrade log read as `vortab apply` and `vortab status` read it: the applied
// step, the entries, and where the database stands against a small script.
#include <cstdint>
#include <string_view>

#include "editor/runner/script_lines.h"
#include "editor/runner/upgrade_log.h"
#include "editor/runner/upgrade_status.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<std::string> script =
        vortab::SplitLines(":#1\r\nFLD_ADD(\"A\", \"B\", FLDINT32, FLDSTDEFAULT, 0, 0)\r\nFLD_DROP(\"A\", \"B\")\r\n");
    const auto log = vortab::SplitLines(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)vortab::AppliedStepOf(log);
    (void)vortab::ReadUpgradeStatus(script, log);
    return 0;
}
