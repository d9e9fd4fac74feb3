// How a command meets an upgrade log that another station holds: with --wait it polls until
// the time is up, at a terminal it asks whether to retry, otherwise it stops at once.
#pragma once
#include <optional>
#include <string>

#include "editor/runner/log_file.h"

namespace vortab::cli {

// waitSeconds: the --wait option (nullopt when not given). `command` names the caller in
// what is printed on stderr.
RetryQuestion LockedLogAnswer(const std::string& command, std::optional<double> waitSeconds);

// The stderr report of a log that stayed locked.
void ReportLockedLog(const std::string& command, const std::string& log);

}  // namespace vortab::cli
