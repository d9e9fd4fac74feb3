#include "editor/runner/upgrade_status.h"

#include <map>

#include "editor/runner/password_mask.h"
#include "editor/runner/script_lines.h"
#include "editor/runner/upgrade_log.h"

namespace vortab {

UpgradeStatus ReadUpgradeStatus(const std::vector<std::string>& scriptLines, const std::vector<std::string>& logLines) {
    UpgradeStatus status;
    const std::vector<ScriptStep> steps = ScriptSteps(scriptLines);
    const std::vector<LogEntry> entries = ParseLogEntries(logLines);
    status.total = static_cast<int>(steps.size());
    status.applied = AppliedStepOf(logLines);
    status.newer = status.applied > status.total;
    for (int step = status.applied + 1; step <= status.total; ++step) status.pending.push_back(step);

    std::map<int, const LogEntry*> lastHeader;
    for (const LogEntry& entry : entries) lastHeader[entry.step] = &entry;
    for (const ScriptStep& step : steps) {
        const auto found = lastHeader.find(step.step);
        if (found == lastHeader.end()) continue;
        const std::string now = MaskPasswords(step.command);
        if (found->second->command != now) status.edited.push_back({step.step, found->second->command, now});
    }
    if (!entries.empty() && !entries.back().result) status.interrupted = entries.back().step;
    return status;
}

}  // namespace vortab
