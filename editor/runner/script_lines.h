// How a script's lines are classified: blank (empty after trimming spaces and control
// characters), remark (its very first character is ":"), or command. Command lines are the
// script's steps, numbered 1, 2, 3, ... in order.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace vortab {

struct ScriptStep {
    int step = 0;          // 1-based step number
    int lineNumber = 0;    // 1-based line number in the file
    std::string command;   // trimmed
};

std::string TrimLine(std::string_view line);
bool IsCommandLine(std::string_view line);
std::vector<ScriptStep> ScriptSteps(const std::vector<std::string>& lines);

// Splits a text into lines at LF, CR LF or CR.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace vortab
