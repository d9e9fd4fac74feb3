// What `vortab apply` shows of a run: the progress bar on stderr when it is a terminal, one
// line per step on stdout otherwise (unless --json), and at the end a summary or the one JSON
// document. It is the run's progress callback, so it also stops a run after Ctrl-C.
#pragma once
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/progress_bar.h"
#include "editor/runner/script_runner.h"

namespace vortab::cli {

struct ApplyReportSetup {
    std::string database, script, log;  // as given (UTF-8); log empty: none
    bool json = false;
    bool bar = false;     // stderr is a terminal
    bool dryRun = false;
};

class ApplyReport {
public:
    explicit ApplyReport(ApplyReportSetup setup);

    // The run's hooks: counting done (Total, ToApply known), and the progress callback.
    void counted(const ProgressRecord& record);
    bool progress(ProgressRecord& record);

    // Takes the bar off the terminal while a question is asked there.
    void hideBar() {
        if (bar_) bar_->clear();
    }
    // True when the run ended before the log was read: it stayed locked.
    bool neverCounted() const { return !total_; }

    // Prints the summary (or the JSON document) for the run's result.
    void finish(StatusCode result);

private:
    struct Step {
        int step;
        std::string line;  // UTF-8, as logged
        StatusCode status;
        std::string message;
        double seconds;
    };
    void printStep(const Step& step, int total) const;
    void printJson(StatusCode result) const;
    void printSummary(StatusCode result) const;

    ApplyReportSetup setup_;
    std::unique_ptr<ProgressBar> bar_;
    std::optional<int> total_, applied_;
    std::chrono::steady_clock::time_point stepStart_;
    std::vector<Step> steps_;
};

}  // namespace vortab::cli
