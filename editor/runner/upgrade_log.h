// The upgrade log's text: two lines per executed step, in Windows-1252 with CR LF line ends, a
// header "#<step> - <date> <time>: <command>" written before the step runs and the step's status
// text after it returns. A database's applied step is the highest step whose header is directly
// followed by a line that begins with "Success".
#pragma once
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortab {

inline constexpr const char* kDefaultLogName = "vortab.log";

// One step's entry: its header and the line after it (none when the log ends after the header).
struct LogEntry {
    int step = 0;
    std::string command;  // the command text of the header, as logged
    std::optional<std::string> result;
};

// The step number of a header line: "#", an integer, then a space. Nullopt for any other line,
// and 0 for a header whose number is 0 (which, like a non-header, pairs with nothing).
std::optional<int> HeaderStep(std::string_view line);

// The header of a step run at `when`, the date and time in the user's locale.
std::string FormatHeader(int step, std::string_view command, std::time_t when);

// The log's entries in order: a header takes the next line as its result, whatever it is.
std::vector<LogEntry> ParseLogEntries(const std::vector<std::string>& logLines);

// The applied step of a log's lines (0 for none).
int AppliedStepOf(const std::vector<std::string>& logLines);

// The applied step of the log file; 0 when the path is empty or no such file exists. Reads
// without a lock: a reader may see a run in progress up to its last written line.
int ReadAppliedStep(const std::string& path);

// The lines of a log file (none when it does not exist); throws std::system_error when it
// exists but cannot be read.
std::vector<std::string> ReadLogLines(const std::string& path);

}  // namespace vortab
