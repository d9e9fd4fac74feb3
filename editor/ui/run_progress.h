// What a script run reports before and after every command line, and the callback that
// receives it (true to go on, false to stop).
#pragma once
#include <functional>
#include <string>

#include "shared/status_code.h"

namespace vortab::ui {

struct ProgressRecord {
    std::string database;
    std::string message;   // status text of the line just run; empty before it runs
    std::string line;      // the trimmed command line (Windows-1252)
    bool before = false;
    StatusCode status = 0;
    int total = 0;
    int toApply = 0;
    int lineNo = 0;
    int executed = 0;
};

using ProgressCallback = std::function<bool(ProgressRecord&)>;

}  // namespace vortab::ui
