#include "editor/runner/script_lines.h"

namespace vortab {

std::string TrimLine(std::string_view line) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!line.empty() && blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && blank(line.back())) line.remove_suffix(1);
    return std::string(line);
}

bool IsCommandLine(std::string_view line) {
    return !line.empty() && line.front() != ':' && !TrimLine(line).empty();
}

std::vector<ScriptStep> ScriptSteps(const std::vector<std::string>& lines) {
    std::vector<ScriptStep> steps;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!IsCommandLine(lines[i])) continue;
        steps.push_back({static_cast<int>(steps.size()) + 1, static_cast<int>(i) + 1,
                         TrimLine(lines[i])});
    }
    return steps;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            current += c;
        }
    }
    if (!current.empty()) lines.push_back(std::move(current));
    return lines;
}

}  // namespace vortab
