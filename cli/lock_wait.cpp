#include "cli/lock_wait.h"

#include <chrono>
#include <iostream>
#include <thread>

#include "cli/terminal.h"

namespace vortab::cli {

RetryQuestion LockedLogAnswer(const std::string& command, std::optional<double> waitSeconds) {
    if (waitSeconds) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                 std::chrono::duration<double>(*waitSeconds));
        auto told = std::make_shared<bool>(false);
        return [=] {
            if (StopRequested() || Clock::now() >= deadline) return false;
            if (!*told) {
                std::cerr << "vortab " << command << ": the database is being upgraded by another run; waiting up to "
                          << *waitSeconds << " s\n";
                *told = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            return !StopRequested();
        };
    }
    if (IsInteractive()) return [] { return AskYesNo(kLogBusyQuestion); };
    return {};
}

void ReportLockedLog(const std::string& command, const std::string& log) {
    std::cerr << "vortab " << command << ": the log " << log
              << " is locked: the database is being upgraded by another run (stopped; --wait SECONDS waits for it)\n";
}

}  // namespace vortab::cli
