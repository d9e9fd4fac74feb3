// The upgrade log as a run holds it: open and locked against every other station from before
// the applied step is read until the run ends. The lock is a POSIX record lock on the whole
// file (an open-file-description lock where the kernel has them), so it dies with its process:
// a killed run never leaves the database locked.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortab {

inline constexpr const char* kLogBusyQuestion = "Database is being upgraded by other station. Retry?";

// Asked while another station holds the log: true tries again, false gives up.
using RetryQuestion = std::function<bool()>;

class LogFile {
public:
    enum class Mode {
        Append,  // created when missing; an exclusive lock, as a run that writes takes
        Read,    // must exist; a shared lock, which waits out a writer but not other readers
    };

    // Opens the log and takes its lock, asking `retry` (when given) each time another station
    // holds it. Nullopt when the lock was not obtained; throws std::system_error when the file
    // cannot be opened.
    static std::unique_ptr<LogFile> OpenGuarded(const std::string& path, Mode mode, const RetryQuestion& retry);

    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile();

    // The whole file as it is now, split into lines.
    std::vector<std::string> readLines() const;
    // Appends one line and its CR LF in a single write. A last line that a killed run left
    // without its line end is ended first, so that the new line starts a line of its own. The
    // line is on disk when the call returns.
    void appendLine(std::string_view line);

    const std::string& path() const { return path_; }

private:
    LogFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
    bool endsMidLine() const;

    std::string path_;
    int fd_;
    bool endChecked_ = false;
};

// True when another process holds the log's lock right now (a file that does not exist is
// not locked).
bool LogIsLocked(const std::string& path);

}  // namespace vortab
