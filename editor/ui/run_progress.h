// What a script run reports before and after every command line, and the callback that
// receives it (true to go on, false to stop).
#pragma once
#include <functional>
#include <string>

#include "shared/status_code.h"

namespace vortab {

struct ProgressRecord {
    std::string Database;
    std::string Message;   // status text of the line just run; empty before it runs
    std::string Line;      // the trimmed command line (Windows-1252)
    bool Before = false;
    StatusCode Status = 0;
    int Total = 0;
    int ToApply = 0;
    int LineNo = 0;
    int Executed = 0;
};

using ProgressCallback = std::function<bool(ProgressRecord&)>;

}  // namespace vortab
