// Where a database stands against a script, read from its upgrade log without running
// anything: the applied step, the pending steps, the steps whose logged command differs from
// the script's current line, a step whose run was cut off, and a log ahead of the script.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace vortab {

struct EditedStep {
    int step = 0;
    std::string logged;  // the command of the step's last header
    std::string script;  // the script's line as it would be logged now (masks included)
};

struct UpgradeStatus {
    int total = 0;
    int applied = 0;
    std::vector<int> pending;
    std::vector<EditedStep> edited;
    std::optional<int> interrupted;  // the log ends with this step's header and no result
    bool newer = false;              // the log shows a higher step than the script has
};

UpgradeStatus ReadUpgradeStatus(const std::vector<std::string>& scriptLines, const std::vector<std::string>& logLines);

}  // namespace vortab
