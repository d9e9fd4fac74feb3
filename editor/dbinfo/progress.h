// The progress operations the structure reader and the script generators report through. The
// front end implements them (the CLI draws a bar on a terminal; the editor its progress window).
// StepProgress may end the operation by throwing SilentAbort when the user asked to stop.
#pragma once
#include <exception>
#include <string>

namespace vortab::dbinfo {

// Ends a command without a message (the user pressed Abort).
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "aborted"; }
};

class Progress {
public:
    virtual ~Progress() = default;
    virtual void StartProgress(const std::string& caption, int total) = 0;
    virtual void StepProgress() = 0;
    virtual void EndProgress() = 0;
};

// Shows nothing.
class NoProgress : public Progress {
public:
    void StartProgress(const std::string&, int) override {}
    void StepProgress() override {}
    void EndProgress() override {}
};

// Starts on construction and ends on destruction, so a failing run still ends the display.
class ProgressScope {
public:
    ProgressScope(Progress& progress, const std::string& caption, int total) : progress_(progress) {
        progress_.StartProgress(caption, total);
    }
    ~ProgressScope() { progress_.EndProgress(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
    void Step() { progress_.StepProgress(); }

private:
    Progress& progress_;
};

}  // namespace vortab::dbinfo
