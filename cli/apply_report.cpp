#include "cli/apply_report.h"

#include <cstdio>
#include <iostream>

#include "cli/json_writer.h"
#include "cli/terminal.h"
#include "shared/text/cp1252.h"

namespace vortab::cli {
namespace {

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

}  // namespace

ApplyReport::ApplyReport(ApplyReportSetup setup) : setup_(std::move(setup)) {}

void ApplyReport::counted(const ProgressRecord& record) {
    total_ = record.Total;
    applied_ = record.Total - record.ToApply;
}

bool ApplyReport::progress(ProgressRecord& record) {
    if (record.Before) {
        if (StopRequested()) return false;
        if (setup_.bar && !bar_) bar_ = std::make_unique<ProgressBar>();
        if (bar_) bar_->show(record.LineNo, record.Total, double(record.Executed) / record.ToApply, Cp1252ToUtf8(record.Line));
        stepStart_ = std::chrono::steady_clock::now();
        return true;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - stepStart_).count();
    steps_.push_back({record.LineNo, Cp1252ToUtf8(record.Line), record.Status, Cp1252ToUtf8(record.Message), seconds});
    if (bar_) bar_->clear();
    if (!setup_.json) printStep(steps_.back(), record.Total);
    return !StopRequested();
}

void ApplyReport::printStep(const Step& step, int total) const {
    std::cout << "step " << step.step << "/" << total << ": " << step.message << " (" << Seconds(step.seconds)
              << ")  " << step.line << std::endl;
}

void ApplyReport::finish(StatusCode result) {
    bar_.reset();
    if (result > 0 && result != status::kStoppedByUser && !steps_.empty() && steps_.back().status == result) {
        const Step& failed = steps_.back();
        std::cerr << "vortab apply: step " << failed.step << " failed: " << result << " " << failed.message << "\n    "
                  << failed.line << "\n";
    }
    if (setup_.json) printJson(result);
    else printSummary(result);
}

void ApplyReport::printSummary(StatusCode result) const {
    const std::string prefix = setup_.dryRun ? "dry run: " : "";
    if (!total_ && result <= 0) std::cout << setup_.script << " holds no command lines: nothing to do\n";
    if (!total_ || (steps_.empty() && result > 0)) return;
    if (steps_.empty() && result <= 0) {
        std::cout << prefix << setup_.database << " is up to date: all " << *total_
                  << " steps already applied, none run" << (setup_.log.empty() ? "" : " (log " + setup_.log + ")")
                  << "\n";
        return;
    }
    int done = 0, already = 0;
    for (const Step& s : steps_) {
        done += s.status == 0 ? 1 : 0;
        already += s.status < 0 ? 1 : 0;
    }
    int reached = *applied_;
    if (!steps_.empty()) reached = steps_.back().status > 0 ? steps_.back().step - 1 : steps_.back().step;
    std::cout << prefix << steps_.size() << " step" << (steps_.size() == 1 ? "" : "s") << " run (" << done
              << " done, " << already << " already updated); ";
    if (setup_.dryRun)
        std::cout << "the scratch copy reached step " << reached << " of " << *total_ << ", " << setup_.database
                  << " is unchanged\n";
    else
        std::cout << setup_.database << " now at step " << reached << " of " << *total_ << "\n";
}

void ApplyReport::printJson(StatusCode result) const {
    std::string out;
    JsonWriter json(out);
    json.beginObject();
    json.member("database", setup_.database);
    json.member("script", setup_.script);
    json.key("log");
    if (setup_.log.empty()) json.null();
    else json.string(setup_.log);
    json.memberInteger("total", total_.value_or(0));
    json.memberInteger("applied", applied_.value_or(0));
    json.key("steps");
    json.beginArray();
    for (const Step& s : steps_) {
        json.beginObject();
        json.memberInteger("step", s.step);
        json.member("line", s.line);
        json.memberInteger("status", s.status);
        json.member("message", s.message);
        json.memberNumber("seconds", s.seconds);
        json.endObject();
    }
    json.endArray();
    json.memberInteger("result", result);
    json.endObject();
    std::cout << out << "\n";
}

}  // namespace vortab::cli
